// The flight model's INI sections: the "Aircraft" section of a situation (the saved head of
// the state) and the crash limits of section "Feq".
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

namespace {

constexpr const char* kSection = "Aircraft";

enum class Width { I32, U16, I16, I8 };

// How a read value is held to what the world and the aircraft allow: to a range; a flag byte
// (any non-zero value is set); a brake (set is -1, as the brake command leaves it); an angle
// (every value is one, wrapped at its width); the engine bits; the ground-contact state (an
// unknown state is none).
enum class FieldHold { Range, Flag, Brake, Angle, EngineBits, Contact, FlapNotch, Fuel, Payload };

struct SavedField {
    const char* key;
    Width width;
    void* (*address)(FlightModelState&);
    FieldHold hold;
    std::int32_t low, high;  // for FieldHold::Range
};

// The fastest any of the aircraft flies is well under 200 m/s (389 kt); a saved speed beyond it
// is damage, and would carry the aircraft off the world within seconds.
constexpr std::int32_t kSpeed = 200 << 16;        // m/s, 16.16
constexpr std::int32_t kWorldSpeed = 200 * 256;   // 1/256 m per second
// 50,000 ft above the datum, over every type's ceiling; the altitude word and the turbulence
// layers are read from it with the datum added, which must not leave 32 bits.
constexpr std::int32_t kHighest = 15240 * 256;
constexpr std::int32_t kWord = 32767;
constexpr std::int32_t kRightAngle = 16384;

#define FIELD(name, width, ...)                                                             \
    SavedField {                                                                            \
#name, Width::width, [](FlightModelState & s) -> void* { return &s.name; }, __VA_ARGS__ \
    }

// The saved head, in the order of the record.
const SavedField kSavedFields[] = {
    // A position off the covered area is the world's to move: it wraps to the other side and
    // says so, as it does for a flight that leaves it.
    FIELD(fmPosX, I32, FieldHold::Range, INT32_MIN, INT32_MAX),
    FIELD(fmPosY, I32, FieldHold::Range, 0, kHighest),
    FIELD(fmPosZ, I32, FieldHold::Range, INT32_MIN, INT32_MAX),
    FIELD(fmPitch, U16, FieldHold::Angle, 0, 0),
    FIELD(fmBank, U16, FieldHold::Angle, 0, 0),
    FIELD(fmHead, U16, FieldHold::Angle, 0, 0),
    FIELD(fmHVel, I32, FieldHold::Range, -kSpeed, kSpeed),
    FIELD(fmVVel, I32, FieldHold::Range, -kSpeed, kSpeed),
    FIELD(fmSVel, I32, FieldHold::Range, -kSpeed, kSpeed),
    FIELD(fmTAVel, I32, FieldHold::Range, 0, kSpeed),
    FIELD(fmYVel, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmRVel, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmDeltaX, I32, FieldHold::Range, -kWorldSpeed, kWorldSpeed),
    FIELD(fmDeltaY, I32, FieldHold::Range, -kWorldSpeed, kWorldSpeed),
    FIELD(fmDeltaZ, I32, FieldHold::Range, -kWorldSpeed, kWorldSpeed),
    FIELD(fmElvCur, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmWndANG, I16, FieldHold::Range, -kRightAngle, kRightAngle),
    FIELD(fmAllowWA, I16, FieldHold::Range, -kRightAngle, kRightAngle),
    FIELD(fmCNAdj, I16, FieldHold::Range, 0, kWord),
    FIELD(fmDeltaH, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmOTG, I8, FieldHold::Flag, 0, 0),
    FIELD(fmInvert, I8, FieldHold::Flag, 0, 0),
    FIELD(fmEngines, I8, FieldHold::EngineBits, 0, 0),
    FIELD(fmOGV, I8, FieldHold::Contact, 0, 0),
    FIELD(fmSpoil, I16, FieldHold::Range, 0, kWord),
    FIELD(fmElv, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmAil, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmRud, I16, FieldHold::Range, -kWord, kWord),
    FIELD(fmThrot, I16, FieldHold::Range, 0, kWord),
    FIELD(fmFlaps, I8, FieldHold::FlapNotch, 0, 0),
    FIELD(fmGear, I8, FieldHold::Flag, 0, 0),
    FIELD(fmAfter, I8, FieldHold::Flag, 0, 0),
    FIELD(fmRBrake, I8, FieldHold::Brake, 0, 0),
    FIELD(fmLBrake, I8, FieldHold::Brake, 0, 0),
    FIELD(fmRThrust, I8, FieldHold::Flag, 0, 0),
    FIELD(fmFuel1, I32, FieldHold::Fuel, 0, 0),
    FIELD(fmFuel2, I32, FieldHold::Fuel, 0, 0),
    FIELD(fmFuel3, I32, FieldHold::Fuel, 0, 0),
    FIELD(fmPLoad, I32, FieldHold::Payload, 0, 0),
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

// The value as read held to what the field allows for the current aircraft.
std::int32_t Held(const SavedField& f, std::int32_t v) {
    const AircraftParameters& ap = theAircraftParameters;
    switch (f.hold) {
        case FieldHold::Range:
            return std::clamp(v, f.low, f.high);
        case FieldHold::Flag:
            return v != 0 ? 1 : 0;
        case FieldHold::Brake:
            return v != 0 ? -1 : 0;
        case FieldHold::Angle:
            return v & 0xFFFF;
        case FieldHold::EngineBits:
            return std::clamp(v, 0, 3);
        case FieldHold::Contact:
            return v >= 0 && v <= 3 ? v : 0;
        case FieldHold::FlapNotch: {
            // The aircraft's own notch count once it is flown, else its type's table.
            const int most = theFlightModelState.fmMaxFlaps > 0 ? theFlightModelState.fmMaxFlaps : ap.apMaxFlaps;
            return std::clamp<std::int32_t>(v, 0, std::clamp(most, 0, 4));
        }
        case FieldHold::Fuel: {
            // A tank holds at most the aircraft's whole fuel (kg; the field counts 1/256 kg).
            const std::int64_t most = std::int64_t{std::max(ap.apMaxFuel, 0)} * 256;
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, most));
        }
        case FieldHold::Payload:
            return std::clamp(v, 0, std::max(ap.apMaxTakeoffWeight - ap.apEmptyWeight, 0));
    }
    return v;
}

}  // namespace

std::vector<std::string> theHeldAircraftKeys;

int ReadAircraftState(core::IniFile& file) {
    FlightModelState& s = theFlightModelState;
    theHeldAircraftKeys.clear();
    auto read = [&](const char* key, std::int32_t fallback, const SavedField& f) {
        const std::int32_t v = file.GetInt(kSection, key, fallback);
        const std::int32_t held = Held(f, v);
        // An angle is every value wrapped, and any non-zero flag or brake is set; anything else
        // held was out of its range.
        const bool quiet =
            f.hold == FieldHold::Angle || f.hold == FieldHold::Flag || f.hold == FieldHold::Brake;
        if (held != v && !quiet) theHeldAircraftKeys.emplace_back(key);
        return held;
    };
    for (const SavedField& f : kSavedFields)
        Store(f, s, read(f.key, 0, f));
    s.fmAdjustedTach = static_cast<std::int16_t>(
        read("fmAdjustedTach", 0, SavedField{"", Width::I16, nullptr, FieldHold::Range, 0, kWord}));
    s.fmNetThrust = 0;
    // What the steps work out as they go is worked out afresh before the next step's forces.
    theFlightStep.firstStepAfterRead = 1;
    s.fmMultiEngineSynch = static_cast<std::int8_t>(
        read("fmMultiEngineSynch", 1, SavedField{"", Width::I8, nullptr, FieldHold::Flag, 0, 0}));
    // Flaps saved out are out: their angle, lift and drag are the notch's at once, not run out
    // again from retracted while the aircraft, trimmed for them, sinks.
    const AircraftParameters& ap = theAircraftParameters;
    const int notch = std::clamp<int>(s.fmFlaps, 0, std::clamp<int>(ap.apMaxFlaps, 0, 4));
    s.fmFlapAlpha = ap.apFlapAlpha[notch];
    s.fmFlapLift = ap.apFlapLift[notch];
    s.fmFlapDrag = ap.apFlapDrag[notch];
    CountFlightFromRead();
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
