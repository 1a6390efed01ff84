// The flight model's INI sections: the "Aircraft" section of a situation (the saved head of
// the state) and the crash limits of section "Feq".
#include <algorithm>
#include <cstdint>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

namespace {

constexpr const char* kSection = "Aircraft";

enum class Width { I32, U16, I16, I8 };

struct SavedField {
    const char* key;
    Width width;
    void* (*address)(FlightModelState&);
};

#define FIELD(name, width)                                                         \
    SavedField {                                                                   \
#name, Width::width, [](FlightModelState & s) -> void* { return &s.name; } \
    }

// The saved head, in the order of the record.
const SavedField kSavedFields[] = {
    FIELD(fmPosX, I32),   FIELD(fmPosY, I32),    FIELD(fmPosZ, I32),   FIELD(fmPitch, U16),
    FIELD(fmBank, U16),   FIELD(fmHead, U16),    FIELD(fmHVel, I32),   FIELD(fmVVel, I32),
    FIELD(fmSVel, I32),   FIELD(fmTAVel, I32),   FIELD(fmYVel, I16),   FIELD(fmRVel, I16),
    FIELD(fmDeltaX, I32), FIELD(fmDeltaY, I32),  FIELD(fmDeltaZ, I32), FIELD(fmElvCur, I16),
    FIELD(fmWndANG, I16), FIELD(fmAllowWA, I16), FIELD(fmCNAdj, I16),  FIELD(fmDeltaH, I16),
    FIELD(fmOTG, I8),     FIELD(fmInvert, I8),   FIELD(fmEngines, I8), FIELD(fmOGV, I8),
    FIELD(fmSpoil, I16),  FIELD(fmElv, I16),     FIELD(fmAil, I16),    FIELD(fmRud, I16),
    FIELD(fmThrot, I16),  FIELD(fmFlaps, I8),    FIELD(fmGear, I8),    FIELD(fmAfter, I8),
    FIELD(fmRBrake, I8),  FIELD(fmLBrake, I8),   FIELD(fmRThrust, I8), FIELD(fmFuel1, I32),
    FIELD(fmFuel2, I32),  FIELD(fmFuel3, I32),   FIELD(fmPLoad, I32),
};

#undef FIELD

std::int32_t Load(const SavedField& f, FlightModelState& s) {
    void* p = f.address(s);
    switch (f.width) {
        case Width::I32:
            return *static_cast<std::int32_t*>(p);
        case Width::U16:
            return *static_cast<std::uint16_t*>(p);
        case Width::I16:
            return *static_cast<std::int16_t*>(p);
        case Width::I8:
            return *static_cast<std::int8_t*>(p);
    }
    return 0;
}

// Stores at the field's width: the low 16 or 8 bits of narrow fields.
void Store(const SavedField& f, FlightModelState& s, std::int32_t v) {
    void* p = f.address(s);
    switch (f.width) {
        case Width::I32:
            *static_cast<std::int32_t*>(p) = v;
            break;
        case Width::U16:
            *static_cast<std::uint16_t*>(p) = static_cast<std::uint16_t>(v & 0xFFFF);
            break;
        case Width::I16:
            *static_cast<std::int16_t*>(p) = static_cast<std::int16_t>(v & 0xFFFF);
            break;
        case Width::I8:
            *static_cast<std::int8_t*>(p) = static_cast<std::int8_t>(v & 0xFF);
            break;
    }
}

}  // namespace

int ReadAircraftState(core::IniFile& file) {
    FlightModelState& s = theFlightModelState;
    for (const SavedField& f : kSavedFields)
        Store(f, s, file.GetInt(kSection, f.key, 0));
    s.fmAdjustedTach =
        static_cast<std::int16_t>(file.GetInt(kSection, "fmAdjustedTach", 0) & 0xFFFF);
    s.fmNetThrust = 0;
    s.fmMultiEngineSynch =
        static_cast<std::int8_t>(file.GetInt(kSection, "fmMultiEngineSynch", 1) & 0xFF);
    // A hand-edited situation must not put the flaps or the contact state outside their ranges,
    // nor the flag bytes outside 0 and 1.
    if (s.fmFlaps < 0) s.fmFlaps = 0;
    if (s.fmMaxFlaps > 0 && s.fmFlaps > s.fmMaxFlaps) s.fmFlaps = s.fmMaxFlaps;
    if (s.fmOGV < 0 || s.fmOGV > 3) s.fmOGV = 0;
    s.fmOTG = s.fmOTG ? 1 : 0;
    s.fmInvert = s.fmInvert ? 1 : 0;
    s.fmGear = s.fmGear ? 1 : 0;
    s.fmEngines = static_cast<std::int8_t>(s.fmEngines & 3);
    // Flaps saved out are out: their angle, lift and drag are the notch's at once, not run out
    // again from retracted while the aircraft, trimmed for them, sinks.
    const AircraftParameters& ap = theAircraftParameters;
    const int notch = std::clamp<int>(s.fmFlaps, 0, std::clamp<int>(ap.apMaxFlaps, 0, 4));
    s.fmFlapAlpha = ap.apFlapAlpha[notch];
    s.fmFlapLift = ap.apFlapLift[notch];
    s.fmFlapDrag = ap.apFlapDrag[notch];
    return 1;
}

int WriteAircraftState(core::IniFile& file) {
    FlightModelState& s = theFlightModelState;
    int ok = 1;
    for (const SavedField& f : kSavedFields)
        ok &= file.PutInt(kSection, f.key, Load(f, s)) ? 1 : 0;
    ok &= file.PutInt(kSection, "fmAdjustedTach", s.fmAdjustedTach) ? 1 : 0;
    ok &= file.PutInt(kSection, "fmMultiEngineSynch", s.fmMultiEngineSynch) ? 1 : 0;
    return ok;
}

int ReadCrashLimits() {
    CrashLimits& c = theCrashLimits;
    core::IniFile& ini = core::theIniFile;
    c.bouncePct = ini.GetInt("Feq", "bouncePct", 90);
    c.maxBounceVSpeed = ini.GetInt("Feq", "maxBounceVSpeed", 98304);
    c.maxCrashVSpeed = ini.GetInt("Feq", "maxCrashVSpeed", 1310720);
    c.maxCrashPitch = ini.GetInt("Feq", "maxCrashPitch", 2731);
    c.maxCrashBank = ini.GetInt("Feq", "maxCrashBank", 2276);
    c.showWhyCrash = ini.GetInt("Feq", "showWhyCrash", 0);
    return c.showWhyCrash;
}

}  // namespace flight
