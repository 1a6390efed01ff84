// The aircraft table and the current aircraft.
#include "flight/aircraft.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "gfx/bitmap.h"
#include "ts/shape.h"

namespace flight {

const AircraftInfo theAircraftTable[6] = {
    {0, "Cessna 172 Skyhawk", "art\\Palettes\\cess.ppl", "art\\Panel\\172_gps.bmp"},
    {1, "Beechcraft V35 Bonanza", "art\\Palettes\\bon.ppl", "art\\Panel\\bon_gps.bmp"},
    {2, "Beechcraft 58 Baron", "art\\Palettes\\bon.ppl", "art\\Panel\\bon_gps.bmp"},
    {3, "Beechcraft B200 Super King", "art\\Palettes\\bon.ppl", "art\\Panel\\bon_gps.bmp"},
    {4, "Cessna 525 CitationJet", "art\\Palettes\\jet.ppl", "art\\Panel\\bon_gps.bmp"},
    {5, "Cessna 172 Skyhawk", "art\\Palettes\\cess.ppl", "art\\Panel\\172_gps.bmp"},
};

Aircraft theAircraft;

namespace {

// Before the first selection the aircraft has no type; the commands then act as for the 172.
int CurrentAircraftType() {
    const int type = theAircraft.GetType();
    return type < 0 ? 0 : type;
}
void ToggleAircraftBrakes() {
    theAircraft.ToggleBrakes();
}
void AnimateAircraftGear(int down) {
    if (down != 0)
        theAircraft.AnimateGearDown();
    else
        theAircraft.AnimateGearUp();
}

}  // namespace

AircraftServices DefaultAircraftServices() {
    return AircraftServices{&CurrentAircraftType, &ToggleAircraftBrakes, &AnimateAircraftGear};
}

AircraftServices theAircraftServices = DefaultAircraftServices();

namespace {

constexpr double kWorldPerUnit = 0.009941939075797343;  // 1 / 100.584
constexpr int kSlots = kPartEntries;

struct PartShape {
    std::uint16_t mode;
    std::int16_t delay;
    std::int16_t frames;  // 0: the part is absent
};

// Part tables by type (type 5 uses type 0's): entries 0 to 3 propellers, 4 to 8 lights, 9 to
// 15 gear.
PartShape PartFor(int type, int entry) {
    static const std::int16_t propTurning[5] = {12, 12, 8, 8, 4};
    static const std::int16_t propRunning[5] = {12, 12, 8, 8, 2};
    static const std::int16_t gear[5][7] = {{0, 0, 0, 0, 0, 0, 0},
                                            {17, 24, 24, 14, 21, 14, 21},
                                            {17, 23, 23, 15, 24, 16, 24},
                                            {11, 18, 18, 12, 21, 21, 0},
                                            {12, 18, 18, 15, 17, 17, 0}};
    switch (entry) {
        case 0:
            return {0, 1, propTurning[type]};
        case 1:
            return {1, 1, propRunning[type]};
        case 2:
            return {0, 1, static_cast<std::int16_t>(type >= 2 ? propTurning[type] : 0)};
        case 3:
            return {1, 1, static_cast<std::int16_t>(type >= 2 ? propRunning[type] : 0)};
        case 4:
            return {0, static_cast<std::int16_t>(type == 0 ? 1 : 18), 2};
        case 5:
            return {1, 2, 12};
        case 6:
            return {1, 12, 2};
        case 7:
        case 8:
            return {0, 1, 2};
        default:
            return {0, 3, gear[type][entry - 9]};
    }
}

// Ground bump: a short rise, then decaying alternations.
const float kGroundBump[32] = {-0.0025f, -0.0015f, -0.0005f, 0.0005f,  0.0015f,  0.0025f,  -0.0024f,
                               0.0023f,  -0.0022f, 0.0021f,  -0.002f,  0.0019f,  -0.0018f, 0.0017f,
                               -0.0016f, 0.0015f,  -0.0014f, 0.0013f,  -0.0012f, 0.0011f,  -0.001f,
                               0.0009f,  -0.0008f, 0.0007f,  -0.0006f, 0.0005f,  -0.0004f, 0.0003f,
                               -0.0002f, 0.0002f,  -0.0001f, 0.0001f};

const float kVibration[16] = {0.0026f, 0.0021f, 0.0018f, 0.0015f, 0.0012f, 0.0009f,
                              0.0007f, 0.0005f, 0.0004f, 0.0003f, 0.0002f, 0.0001f,
                              0.0f,    0.0f,    0.0f,    0.0f};

int BaseType(int type) {
    return type == 5 ? 0 : type;
}

}  // namespace

Aircraft::Aircraft() : slots(kSlots, 0) {}

Aircraft::~Aircraft() {
    ReleasePanelBitmaps();
    ReleaseSideViewBitmap();
    ReleaseArt();
}

int ElevatorStepForType(int type) {
    switch (type) {
        case 2:
        case 3:
            return 48;
        case 4:
            return 24;
        default:
            return 64;
    }
}

int Aircraft::GetElevatorStep() const {
    return ElevatorStepForType(type);
}

void Aircraft::SelectByType(int t) {
    Select((t >= 0 && t <= 5) ? t : 0);
}

void Aircraft::Select(int row) {
    if (row < 0 || row > 5) row = 0;
    const int previous = type;
    const bool hadAircraft = selected != 0 && previous >= 0;
    if (hadAircraft) SaveHobbsMeter();
    if (hadAircraft) {
        HoldSounds(1);
        StopEngineSounds();
    }

    const AircraftInfo& info = theAircraftTable[row];
    const int base = BaseType(static_cast<int>(info.type));
    for (int e = 0; e < kPartEntries; ++e) {
        const PartShape shape = PartFor(base, e);
        partPresent[e] = shape.frames > 0;
        AircraftPartAnim& p = parts[e];
        p.mode = shape.mode;
        p.state = 0;
        p.delay = shape.delay;
        p.delayReload = shape.delay;
        p.frame = 0;
        p.slot = e;
        p.frameCount = shape.frames;
        p.frames.assign(static_cast<std::size_t>(shape.frames > 0 ? shape.frames : 0), 0);
        for (int f = 0; f < shape.frames; ++f)
            p.frames[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(f);
    }
    fullName = info.fullName;
    paletteFile = info.paletteFile;
    gpsBitmap = info.gpsBitmap;
    selecting = 1;
    selected = 0;

    LoadAircraftParameters(static_cast<int>(info.type));
    InitFlightModelForAircraft();

    CarryFuelSelection(hadAircraft ? previous : -1);

    selected = 1;
    selecting = 0;
    type = -1;
    theFlightHooks.releasePanelArt();
    theFlightHooks.loadPanelArt(static_cast<int>(info.type));
    type = static_cast<int>(info.type);

    LoadHobbsMeter();
    theFlightHooks.setupGaugesForAircraft();
    ReleasePanelBitmaps();
    ReleaseSideViewBitmap();
    ReleaseArt();
    UpdatePanelBitmaps(theFlightWorldServices.viewMode());
    LoadArt();
    HoldSounds(0);

    CarryEngineState();
    theFlightHooks.invalidateAllGauges();
}

void Aircraft::CarryFuelSelection(int previous) {
    const int k = theAircraftParameters.apModelCode;
    const bool prevSingle = previous == 0 || previous == 1 || previous == 5;
    const bool prevTwin = previous == 2 || previous == 3 || previous == 4;
    // With no aircraft before there is nothing to carry over.
    if (prevSingle && (k == 1 || k == 3 || k == 4)) {
        const std::uint8_t v = theFuelTankSelector != 0 ? 1 : 0;
        theLeftEngineTankSelector = v;
        theRightEngineTankSelector = v;
    } else if (prevTwin && (k == 2 || k == 5)) {
        if (theLeftEngineTankSelector == 0) theFuelTankSelector = 0;
        if (theLeftEngineTankSelector == 1) theFuelTankSelector = 2;
    }
    PanelSwitches& sw = theFlightHooks.panelSwitches();
    const int now = static_cast<int>(theAircraftTable[theFlightModelType].type);
    if ((previous == 0 || previous == 5) && now == 1) {
        // The Bonanza's selector has one position less.
        if (sw.fuelSelectorSwitchLeft >= 2) {
            --sw.fuelSelectorSwitchLeft;
            sw.fuelSelectorLeftRedraw = 1;
        }
    } else if (prevSingle && now >= 2 && now <= 4) {
        sw.fuelSelectorSwitchLeft = theLeftEngineTankSelector;
        sw.fuelSelectorSwitchRight = theLeftEngineTankSelector;
        sw.fuelSelectorLeftRedraw = sw.fuelSelectorRightRedraw = 1;
    } else if (prevTwin && (now == 0 || now == 1)) {
        const std::uint16_t v = theFuelTankSelector != 0 ? 2 : 0;
        sw.fuelSelectorSwitchLeft = v;
        sw.fuelSelectorSwitchRight = v;
        sw.fuelSelectorLeftRedraw = sw.fuelSelectorRightRedraw = 1;
    }
}

void Aircraft::CarryEngineState() {
    FlightModelState& s = theFlightModelState;
    PanelSwitches& sw = theFlightHooks.panelSwitches();
    const int k = theAircraftParameters.apModelCode;
    if (s.fmEngines != 0) {
        sw.turbineIgnitionLeft = 1;
        if (k == 1) sw.igniterLeft = 1;
        if (theAircraftParameters.apEngineCount == 2) {
            sw.turbineIgnitionRight = 1;
            if (k == 1) sw.igniterRight = 1;
            sw.ignitionRight = sw.ignitionLeft;
            sw.ignitionRightRedraw = 1;
            s.fmEngines = static_cast<std::int8_t>(s.fmEngines | 2);
            sw.fuelSelectorSwitchRight = sw.fuelSelectorSwitchLeft;
            sw.fuelSelectorRightRedraw = 1;
        } else {
            s.fmEngines = static_cast<std::int8_t>(s.fmEngines & 1);
        }
        theFlightWorldServices.throttleDown();
        StartEngineSounds();
    } else {
        bumpFinished = 1;
        vibrationPhase = 0;
        vibrationIndex = 0;
        bumpIndex = 0;
    }
}

int Aircraft::LoadType(core::IniFile& file) {
    const int t = file.GetInt("Aircraft", "type", -1);
    SelectByType(t);
    return 1;
}

int Aircraft::SaveType(core::IniFile& file) const {
    return file.PutInt("Aircraft", "type", type);
}

void Aircraft::SaveHobbsMeter() {
    if (fullName == nullptr || fullName[0] == '\0') return;
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", static_cast<int>(hobbs[0]),
                  static_cast<int>(hobbs[1]));
    core::theIniFile.PutString("Hobbs Meter", fullName, text);
}

void Aircraft::LoadHobbsMeter() {
    hobbs[0] = hobbs[1] = 0;
    if (fullName == nullptr || fullName[0] == '\0') return;
    const std::string text = core::theIniFile.GetString("Hobbs Meter", fullName, "0,0");
    // Two counters "a,b" of seconds; a number out of range is held to the 32-bit range and text
    // reads 0 (the hour meter shows a negative counter as no time).
    const char* at = text.c_str();
    for (int i = 0; i < 2; ++i) {
        char* end = nullptr;
        const long long v = std::strtoll(at, &end, 10);
        if (end == at) break;
        hobbs[i] = static_cast<std::uint32_t>(static_cast<std::int32_t>(
            std::clamp<long long>(v, INT32_MIN, INT32_MAX)));
        at = end;
        if (*at != ',') break;
        ++at;
    }
}

void Aircraft::AddHobbsTime(int counter, std::uint32_t amount) {
    hobbs[counter & 1] += amount;
}

void Aircraft::TickHobbsMeters() {
    if (theEngineStarted) hobbs[0] += 1;
    if (theEngineRunning) hobbs[1] += 1;
}

int Aircraft::GetViewportBottom() const {
    return GetViewportBottom(theFlightWorldServices.viewMode(),
                             theFlightWorldServices.lookDirection());
}

int Aircraft::GetViewportBottom(int viewMode, int lookDirection) const {
    static const int full[5] = {171, 193, 150, 150, 143};
    static const int low[5] = {215, 235, 150, 150, 143};
    if (lookDirection != 0 || type < 0 || type > 4) return 479;
    if (viewMode == 0) return full[type];
    if (viewMode == 1) return low[type];
    return 479;
}

void Aircraft::GetViewWindow(int mode, ViewWindow& out) const {
    out.left = -40.0f;
    out.right = 40.0f;
    if (mode == 0) {
        out.top = 30.0f;
        out.bottom = -30.0f;
        return;
    }
    float h = 10.5f;
    switch (type) {
        case 0:
        case 5:
            h = mode == 1 ? 13.5f : 10.5f;
            break;
        case 1:
            h = mode == 1 ? 14.5f : 12.0f;
            break;
        case 2:
        case 3:
            h = 9.5f;
            break;
        default:
            h = 10.5f;
            break;
    }
    out.top = h;
    out.bottom = -h;
}

void Aircraft::GetScenePosition(float out[3]) const {
    double p[3];
    FlightPositionToScene(theFlightModelState.fmPosX, theFlightModelState.fmPosZ,
                          GetAircraftAltitude(), p);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(p[i]);
}

std::string Aircraft::GetPaletteName(int timeOfDay, int viewMode, int lookDirection) const {
    static const char* const panelPrefix[6] = {"s", "b", "ba", "k", "j", "s"};
    static const char* const viewPrefix[6] = {"172", "bon", "bar", "kin", "cit", "172"};
    static const char* const lookSuffix[8] = {"f", "fl", "l", "bl", "b", "br", "r", "fr"};
    const int t = (type >= 0 && type <= 5) ? type : 0;
    char name[64];
    if (lookDirection == 0) {
        if (viewMode == 0 || viewMode == 1) {
            std::snprintf(name, sizeof name, "%s_pnl%d.pal", panelPrefix[t], timeOfDay);
        } else if (viewMode == 2 || viewMode == 3) {
            std::snprintf(name, sizeof name, "%s_f%d.pal", viewPrefix[t], timeOfDay);
        } else {
            return std::string();
        }
    } else if (lookDirection >= 1 && lookDirection <= 7) {
        std::snprintf(name, sizeof name, "%s_%s%d.pal", viewPrefix[t], lookSuffix[lookDirection],
                      timeOfDay);
    } else {
        std::snprintf(name, sizeof name, "%s_f%d.pal", viewPrefix[t], timeOfDay);  // looking down
    }
    return name;
}

const char* AirborneFlightName(int type, AirborneLeg leg) {
    static const char* const kNames[5][3] = {
        {"C172Air.Flt", "C172Pattern.Flt", "C172Final.Flt"},
        {"BonAir.Flt", "BonPattern.Flt", "BonFinal.Flt"},
        {"BarAir.Flt", "BarPattern.Flt", "BarFinal.Flt"},
        {"KingAir.Flt", "KingPattern.Flt", "KingFinal.Flt"},
        {"JetAir.Flt", "JetPattern.Flt", "JetFinal.Flt"}};
    return kNames[type >= 1 && type <= 4 ? type : 0][static_cast<int>(leg)];
}

const char* Aircraft::GetAirborneFlightName() const {
    return AirborneFlightName(type, AirborneLeg::Cruise);
}

int Aircraft::LoadAirborneFlight() {
    return LoadAirborneFlight(AirborneLeg::Cruise);
}

int Aircraft::LoadAirborneFlight(AirborneLeg leg) {
    const int result = theFlightWorldServices.loadFlight(AirborneFlightName(type, leg), 0);
    theFlightHooks.centerNavIndicators();
    return result;
}

// ---- parts -------------------------------------------------------------------------------

const AircraftPartAnim* Aircraft::GetPart(int entry) const {
    if (entry < 0 || entry >= kPartEntries || !partPresent[entry]) return nullptr;
    return &parts[entry];
}

std::uint32_t Aircraft::GetSlotValue(int slot) const {
    return (slot >= 0 && slot < static_cast<int>(slots.size()))
               ? slots[static_cast<std::size_t>(slot)]
               : 0;
}

void Aircraft::WriteSlot(const AircraftPartAnim& part) {
    if (part.frames.empty()) return;
    WriteSlotValue(part.slot, part.frames[static_cast<std::size_t>(part.frame)]);
}

void Aircraft::WriteSlotValue(int slot, std::uint32_t value) {
    if (slot < 0 || slot >= static_cast<int>(slots.size())) return;
    slots[static_cast<std::size_t>(slot)] = value;
    // Slot n is sequence n of the aircraft's shape.
    if (instance != nullptr)
        if (ts::TSSequenceState* state = instance->GetSequenceState()) state->SetValue(slot, value);
}

void Aircraft::HidePropellerDisc(int entry) {
    // One past the last frame: outside the cell table, so the running part shows nothing
    // while its engine does not run.
    if (partPresent[entry]) WriteSlotValue(parts[entry].slot, static_cast<std::uint32_t>(parts[entry].frameCount));
}

void Aircraft::AnimateParts() {
    for (int e = 0; e < kPartEntries; ++e) {
        if (!partPresent[e]) continue;
        AircraftPartAnim& p = parts[e];
        if (p.state != 1 && p.state != 2) continue;
        if (--p.delay > 0) continue;
        const std::int32_t last = p.frameCount - 1;
        if (p.state == 1) {
            if (++p.frame > last) {
                if (p.mode == 1) {
                    p.frame = 0;
                } else {
                    p.frame = last;
                    p.state = 0;
                }
            }
        } else {
            if (--p.frame < 0) {
                if (p.mode == 1) {
                    p.frame = last;
                } else {
                    p.frame = 0;
                    p.state = 0;
                }
            }
        }
        p.delay = p.delayReload;
        WriteSlot(p);
    }
}

void Aircraft::ApplyPartStates() {
    for (int e = 0; e < kPartEntries; ++e) {
        if (!partPresent[e] || e == 1 || e == 3) continue;
        parts[e].frame = 0;
        WriteSlot(parts[e]);
    }
    HidePropellerDisc(1);
    HidePropellerDisc(3);
    if (theFlightModelState.fmEngines != 0) {
        SetPropellerRunning(0);
        if (type >= 2 && type <= 4) SetPropellerRunning(1);
    }
    const PanelSwitches& sw = theFlightHooks.panelSwitches();
    ShowNavLights(static_cast<int>(sw.navLights));
    ShowStrobeLights(static_cast<int>(sw.strobe));
    ShowBeaconLight(static_cast<int>(sw.beacon));
    ShowLandingLights(static_cast<int>(sw.landingLights));
    ShowTaxiLight(static_cast<int>(sw.taxiLight));
}

void Aircraft::StartPart(int entry, std::uint16_t state, bool fromEnd) {
    if (!partPresent[entry]) return;
    AircraftPartAnim& p = parts[entry];
    p.state = state;
    p.frame = fromEnd ? p.frameCount - 1 : 0;
    p.delay = p.delayReload;
    WriteSlot(p);
}

void Aircraft::StartPropeller(int engine) {
    const int e = engine ? 2 : 0;
    if (!partPresent[e]) return;
    parts[e].mode = 1;
    parts[e].state = 1;
}

void Aircraft::SetPropellerRunning(int engine) {
    const int turning = engine ? 2 : 0;
    const int running = engine ? 3 : 1;
    if (partPresent[turning]) parts[turning].state = 0;
    if (partPresent[running]) parts[running].state = 1;
}

void Aircraft::StopPropeller(int engine) {
    const int turning = engine ? 2 : 0;
    const int running = engine ? 3 : 1;
    if (partPresent[running]) parts[running].state = 0;
    HidePropellerDisc(running);
    if (partPresent[turning]) {
        AircraftPartAnim& p = parts[turning];
        p.frame = 0;
        p.mode = 0;
        p.state = 1;
        WriteSlot(p);
    }
}

// The gear is entries 9 to 15; entries 7 and 8 are the landing and taxi lights.
void Aircraft::AnimateGearUp() {
    for (int e = 9; e < kPartEntries; ++e)
        StartPart(e, 1, false);
}

void Aircraft::AnimateGearDown() {
    for (int e = 9; e < kPartEntries; ++e)
        StartPart(e, 2, true);
}

void Aircraft::ShowNavLights(int on) {
    if (!partPresent[4]) return;
    parts[4].frame = on ? 1 : 0;
    WriteSlot(parts[4]);
}

void Aircraft::ShowStrobeLights(int on) {
    if (!partPresent[5]) return;
    parts[5].frame = on ? 1 : 0;
    parts[5].state = on ? 1 : 0;
    WriteSlot(parts[5]);
}

void Aircraft::ShowBeaconLight(int on) {
    if (!partPresent[6]) return;
    parts[6].frame = on ? 1 : 0;
    parts[6].state = on ? 1 : 0;
    WriteSlot(parts[6]);
}

void Aircraft::ShowLandingLights(int on) {
    if (!partPresent[7]) return;
    if (type == 3 && !theFlightModelState.fmGear) on = 0;
    parts[7].frame = on ? 1 : 0;
    WriteSlot(parts[7]);
}

void Aircraft::ShowTaxiLight(int on) {
    if (!partPresent[8]) return;
    if ((type == 2 || type == 3) && !theFlightModelState.fmGear) on = 0;
    parts[8].frame = on ? 1 : 0;
    WriteSlot(parts[8]);
}

// ---- brakes and cockpit shake --------------------------------------------------------------

void Aircraft::ToggleBrakes() {
    FlightModelState& s = theFlightModelState;
    s.fmRBrake = static_cast<std::int8_t>(~s.fmRBrake);
    s.fmLBrake = static_cast<std::int8_t>(~s.fmLBrake);
    if (s.fmRBrake != 0 && s.fmIAS >= 1) {
        bumpIndex = 0;
        bumpFinished = 0;
    }
}

float Aircraft::GetGroundBump() {
    if (!theFlightModelState.fmOTG || bumpFinished) return 0.0f;
    float scale = 1.5f;
    if (type == 2) scale = 0.8f;
    if (type == 3 || type == 4) scale = 0.5f;
    const float v = kGroundBump[bumpIndex] * scale;
    if (++bumpIndex >= 32) {
        bumpIndex = 0;
        bumpFinished = 1;
    }
    return v;
}

float Aircraft::GetEngineVibration() {
    if (!theFlightModelState.fmOTG || !theEngineStarted || type == 4) return 0.0f;
    const int rpm = theFlightModelState.fmEngineSpeed[0];
    int band = 15;
    if (rpm < 1200) {
        band = 11;
    } else if (rpm < 1300) {
        band = 12;
    } else if (rpm < 1400) {
        band = 13;
    } else if (rpm < 1500) {
        band = 14;
    }
    vibrationPhase ^= 1;
    if (vibrationPhase) {
        if (vibrationIndex < band) {
            ++vibrationIndex;
        } else {
            vibrationIndex = band;
        }
        return kVibration[vibrationIndex];
    }
    return -kVibration[vibrationIndex];
}

bool Aircraft::IsCockpitShaking() const {
    if (theFlightWorldServices.isSlewing() || !theFlightModelState.fmOTG) return false;
    return bumpFinished == 0 || (theEngineStarted != 0 && type != 4);
}

bool Aircraft::ArePartsMoving() const {
    for (int e = 0; e < kPartEntries; ++e)
        if (partPresent[e] && (parts[e].state == 1 || parts[e].state == 2)) return true;
    return false;
}

float Aircraft::GetCockpitShake() {
    if (theFlightWorldServices.isSlewing()) return 0.0f;
    return GetGroundBump() + GetEngineVibration();
}

void Aircraft::Step() {
    if (!selecting && selected) UpdateFlight();
    AnimateParts();
}

// ---- art ---------------------------------------------------------------------------------

void Aircraft::LoadArt() {
    ReleaseArt();
    switch (type) {
        case 0:
        case 2:
        case 5:
            modelHeightOffset = 0.7757576f;
            break;
        case 4:
            modelHeightOffset = 1.5515151f;
            break;
        default:
            modelHeightOffset = 0.0f;
            break;
    }
    for (std::uint32_t& v : slots)
        v = 0;
    shapeName = ShapeNameForType(type);
    shape = theFlightWorldServices.acquireShape(shapeName.c_str());
    if (shape != nullptr) instance = std::make_unique<ts::TSShapeInstance>(shape);
    artLoaded = true;
    ApplyPartStates();
}

void Aircraft::ReleaseArt() {
    instance.reset();
    if (shape != nullptr) theFlightWorldServices.releaseShape(shape);
    shape = nullptr;
    artLoaded = false;
}

const char* ShapeNameForType(int type) {
    switch (type) {
        case 1:
            return "bonanza";
        case 2:
            return "baron";
        case 3:
            return "kingair";
        case 4:
            return "citation";
        default:
            return "172";
    }
}

// ---- positions ---------------------------------------------------------------------------

double GetAircraftAltitude() {
    const std::uint32_t sum = static_cast<std::uint32_t>(theFlightModelState.fmPosY) +
                              static_cast<std::uint32_t>(theTerrainDatum);
    return sum * kWorldPerUnit;
}

double GetAircraftHeightAboveTerrain() {
    return theFlightModelState.fmPosY * kWorldPerUnit;
}

double GetAircraftHeadingRadians() {
    return -static_cast<double>(theFlightModelState.fmHead) * 9.587379924285257e-05;
}

void GetAircraftAttitude(float out[3]) {
    const FlightModelState& s = theFlightModelState;
    out[0] = static_cast<float>(-static_cast<double>(static_cast<std::int16_t>(s.fmPitch)) *
                                9.587379924285257e-05);
    out[1] = static_cast<float>(-static_cast<double>(static_cast<std::int16_t>(s.fmBank)) *
                                9.587379924285257e-05);
    out[2] = static_cast<float>(-static_cast<double>(s.fmHead) * 9.587379924285257e-05);
}

void FlightPositionToScene(std::int32_t x, std::int32_t z, double altitude, double out[3]) {
    float origin[2];
    theFlightWorldServices.terrainWindowOrigin(origin);
    out[0] = origin[0] + x * kWorldPerUnit;
    out[1] = origin[1] + z * kWorldPerUnit;
    out[2] = altitude;
}

void GetAircraftWorldPosition(double out[3]) {
    out[0] = theFlightModelState.fmPosX * kWorldPerUnit + 9437184.0;
    out[1] = theFlightModelState.fmPosZ * kWorldPerUnit + 5242880.0;
    out[2] = GetAircraftAltitude();
}

}  // namespace flight
