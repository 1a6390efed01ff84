#include "sim/flight_tape.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "core/endian.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "sim/input/flight_controls.h"
#include "sim/input/keyboard_input.h"
#include "sim/main_window_services.h"
#include "sim/slew.h"
#include "sim/view_controller.h"
#include "ui/dialog_services.h"
#include "ui/file_dialogs.h"
#include "world/terrain_services.h"

namespace sim {

FlightStateRecord theFlightStateRecord;
FlightTape theFlightTape(&DispatchKeyCode);

namespace {

namespace off = tape_offsets;

constexpr const char* kAircraftCodes[6] = {"cess172 ", "bonanza ", "baron   ",
                                           "king    ", "525cj   ", "cess172 "};

int NoPause() {
    return 0;
}
void DefaultDate(TapeCalendar* out) {
    *out = TapeCalendar{};
}
void NoEngineSounds() {}

// Field-by-field little-endian access to a stretch of the record.
class RecordCursor {
public:
    RecordCursor(std::uint8_t* bytes, std::size_t at, std::size_t end)
        : bytes(bytes), at(at), end(end) {}

    template <class T>
    void Put(T value) {
        static_assert(std::is_integral_v<T>);
        if (at + sizeof(T) > end) return;
        if constexpr (sizeof(T) == 1)
            bytes[at] = static_cast<std::uint8_t>(value);
        else if constexpr (sizeof(T) == 2)
            core::WriteU16(bytes + at, static_cast<std::uint16_t>(value));
        else
            core::WriteU32(bytes + at, static_cast<std::uint32_t>(value));
        at += sizeof(T);
    }
    template <class T>
    void Get(T& value) {
        static_assert(std::is_integral_v<T>);
        if (at + sizeof(T) > end) return;
        if constexpr (sizeof(T) == 1)
            value = static_cast<T>(bytes[at]);
        else if constexpr (sizeof(T) == 2)
            value = static_cast<T>(core::ReadU16(bytes + at));
        else
            value = static_cast<T>(core::ReadU32(bytes + at));
        at += sizeof(T);
    }
    [[nodiscard]] std::size_t Position() const { return at; }

private:
    std::uint8_t* bytes;
    std::size_t at;
    std::size_t end;
};

// The 98 bytes of the flight-model head, in record order.
template <class F>
void VisitFlightModelHead(flight::FlightModelState& s, F&& f) {
    f(s.fmPosX), f(s.fmPosY), f(s.fmPosZ);
    f(s.fmPitch), f(s.fmBank), f(s.fmHead);
    f(s.fmHVel), f(s.fmVVel), f(s.fmSVel), f(s.fmTAVel);
    f(s.fmYVel), f(s.fmRVel);
    f(s.fmDeltaX), f(s.fmDeltaY), f(s.fmDeltaZ);
    f(s.fmElvCur), f(s.fmWndANG), f(s.fmAllowWA), f(s.fmCNAdj), f(s.fmDeltaH);
    f(s.fmOTG), f(s.fmInvert), f(s.fmEngines), f(s.fmOGV);
    f(s.fmSpoil), f(s.fmElv), f(s.fmAil), f(s.fmRud), f(s.fmThrot);
    f(s.fmFlaps), f(s.fmGear), f(s.fmUnsavedByte), f(s.fmAfter);
    f(s.fmRBrake), f(s.fmLBrake), f(s.fmRThrust), f(s.fmAutoCoordination);
    f(s.fmFuel1), f(s.fmFuel2), f(s.fmFuel3), f(s.fmPLoad);
}

// The flight-control values: inputs, trims and the six engine levers.
template <class F>
void VisitControls(F&& f) {
    flight::FlightModelState& s = flight::theFlightModelState;
    f(theElevatorInput), f(theRudderInput), f(theRudderTrim), f(theAileronInput), f(theAileronTrim);
    f(s.fmApElvTrim), f(s.fmThrotRight), f(s.fmMultiEngineSynch);
    for (cockpit::LeverGauge* g : {&cockpit::theThrottleLever, &cockpit::theThrottleLever2,
                                   &cockpit::thePropPitchLever, &cockpit::thePropPitchLever2,
                                   &cockpit::theMixtureLever, &cockpit::theMixtureLever2})
        f(g->lever);
}

template <class F>
void VisitEngineWords(F&& f) {
    flight::FlightModelState& s = flight::theFlightModelState;
    f(s.fmAdjustedTach), f(s.fmEngineSpeed[0]), f(s.fmEngineSpeed[1]);
}

// Engine, autopilot and radio values of the flight model and the panel.
template <class F>
void VisitEngineAndRadio(F&& f) {
    flight::FlightModelState& s = flight::theFlightModelState;
    f(cockpit::theFuelTankSelector), f(cockpit::theLeftEngineTankSelector),
        f(cockpit::theRightEngineTankSelector);
    f(cockpit::theEngineSpeedDrop[0]), f(cockpit::theEngineSpeedDrop[1]);
    f(cockpit::theLeftMixtureLever), f(cockpit::theRightConditionLever);
    f(s.fmAutopilotModes), f(s.fmAutopilotState), f(s.fmApTargetAlt), f(s.fmApHeadingSel),
        f(s.fmApCourse);
    f(cockpit::theCockpitSwitches.altimeterSetting);
    f(cockpit::theCockpitSwitches.reverseThrust[0]),
        f(cockpit::theCockpitSwitches.reverseThrust[1]);
}

// The 8-bit and 16-bit switch bytes at 101..110.
std::uint8_t Byte(std::uint32_t v) {
    return static_cast<std::uint8_t>(v);
}

bool WriteAll(win::FileHandle file, const void* bytes, std::uint32_t count) {
    std::uint32_t written = 0;
    return win::WriteFile(file, bytes, count, &written) && written == count;
}

}  // namespace

FlightTapeServices DefaultFlightTapeServices() {
    return FlightTapeServices{&NoPause, &DefaultDate, &NoEngineSounds};
}
FlightTapeServices theFlightTapeServices = DefaultFlightTapeServices();

const char* TapeAircraftCode(int type) {
    return type >= 0 && type <= 5 ? kAircraftCodes[type] : kAircraftCodes[0];
}

int TapeAircraftType(const char code[8]) {
    for (int type = 0; type <= 4; ++type)
        if (std::memcmp(code, kAircraftCodes[type], 8) == 0) return type;
    return -1;
}

void CaptureFlightState() {
    std::uint8_t* b = theFlightStateRecord.bytes.data();
    theFlightStateRecord.bytes.fill(0);
    {
        RecordCursor c(b, off::kFlightModel, off::kSlew);
        VisitFlightModelHead(flight::theFlightModelState, [&c](auto& v) { c.Put(v); });
    }
    core::WriteU16(b + off::kSlew, theSlewControl.IsActive() ? 1 : 0);
    b[off::kPause] = Byte(theFlightTapeServices.pauseRequested() != 0);
    const cockpit::PanelSwitches& sw = cockpit::thePanelSwitches;
    b[off::kBattery] = Byte(sw.batteryPower);
    b[off::kAvionics] = Byte(cockpit::theCockpitSwitches.avionicsMaster);
    b[off::kIgnitionLeft] = Byte(sw.ignitionLeft);
    core::WriteU16(b + off::kMixtureLeft,
                   static_cast<std::uint16_t>(cockpit::theMixtureLever.lever));
    b[off::kFuelSwitchLeft] = Byte(sw.fuelSelectorSwitchLeft);
    b[off::kIgnitionRight] = Byte(sw.ignitionRight);
    core::WriteU16(b + off::kMixtureRight,
                   static_cast<std::uint16_t>(cockpit::theMixtureLever2.lever));
    b[off::kFuelSwitchRight] = Byte(sw.fuelSelectorSwitchRight);
    b[off::kInCamera] = Byte(theViewController.InCamera());
    b[off::kSkyCamPreset] = Byte(theViewController.GetSkyCamPreset());
    b[off::kViewMode] = Byte(theViewController.GetViewMode());
    b[off::kLookDirection] = Byte(theViewController.GetLookDirection());
    {
        RecordCursor c(b, off::kEnvironment, off::kEnvironment + 42);
        c.Put(world::theSeaLevelTemp);
        c.Put(world::theMagneticVariation);
        c.Put(world::theTerrainDatum);
        c.Put(world::theTerrainHeight);
    }
    {
        RecordCursor c(b, off::kControls, off::kControls + 39);
        VisitControls([&c](auto& v) { c.Put(v); });
    }
    {
        RecordCursor c(b, off::kEngineWords, off::kEngineWords + 6);
        VisitEngineWords([&c](auto& v) { c.Put(v); });
    }
    TapeCalendar date;
    theFlightTapeServices.utcDate(&date);
    b[off::kDay] = Byte(static_cast<std::uint32_t>(date.day));
    b[off::kMonth] = Byte(static_cast<std::uint32_t>(date.month));
    core::WriteU16(b + off::kYear, static_cast<std::uint16_t>(date.year));
    b[off::kSecond] = Byte(static_cast<std::uint32_t>(date.second));
    b[off::kMinute] = Byte(static_cast<std::uint32_t>(date.minute));
    b[off::kHour] = Byte(static_cast<std::uint32_t>(date.hour));
    {
        RecordCursor c(b, off::kEngineAndRadio, off::kEngineAndRadio + 47);
        VisitEngineAndRadio([&c](auto& v) { c.Put(v); });
    }
    std::memcpy(b + off::kAircraftCode, TapeAircraftCode(flight::theAircraft.GetType()), 8);
}

int WriteFlightState(win::FileHandle file) {
    CaptureFlightState();
    return WriteAll(file, theFlightStateRecord.bytes.data(),
                    static_cast<std::uint32_t>(kFlightStateRecordSize))
               ? 1
               : 0;
}

int RestoreFlightState(const FlightStateRecord& record) {
    FlightStateRecord copy = record;
    std::uint8_t* b = copy.bytes.data();
    char code[8];
    std::memcpy(code, b + off::kAircraftCode, 8);
    const int type = TapeAircraftType(code);
    if (type < 0) return 0;
    theFlightTapeServices.stopEngineSounds();
    // The aircraft first: selecting a type loads its own flight-model values, which the
    // record then overwrites.
    if (flight::theAircraft.GetType() != type && !(type == 0 && flight::theAircraft.GetType() == 5))
        flight::theAircraft.SelectByType(type);
    {
        RecordCursor c(b, off::kFlightModel, off::kSlew);
        VisitFlightModelHead(flight::theFlightModelState, [&c](auto& v) { c.Get(v); });
    }
    theSlewControl.SetActive(core::ReadU16(b + off::kSlew) != 0 ? 1 : 0);
    cockpit::PanelSwitches& sw = cockpit::thePanelSwitches;
    sw.batteryPower = b[off::kBattery];
    cockpit::theCockpitSwitches.avionicsMaster = b[off::kAvionics];
    sw.ignitionLeft = b[off::kIgnitionLeft];
    cockpit::theMixtureLever.lever = core::ReadI16(b + off::kMixtureLeft);
    sw.fuelSelectorSwitchLeft = b[off::kFuelSwitchLeft];
    sw.ignitionRight = b[off::kIgnitionRight];
    cockpit::theMixtureLever2.lever = core::ReadI16(b + off::kMixtureRight);
    sw.fuelSelectorSwitchRight = b[off::kFuelSwitchRight];
    sw.ignitionLeftRedraw = sw.ignitionRightRedraw = 1;
    sw.fuelSelectorLeftRedraw = sw.fuelSelectorRightRedraw = 1;
    {
        RecordCursor c(b, off::kControls, off::kControls + 39);
        VisitControls([&c](auto& v) { c.Get(v); });
    }
    {
        RecordCursor c(b, off::kEngineWords, off::kEngineWords + 6);
        VisitEngineWords([&c](auto& v) { c.Get(v); });
    }
    {
        RecordCursor c(b, off::kEngineAndRadio, off::kEngineAndRadio + 47);
        VisitEngineAndRadio([&c](auto& v) { c.Get(v); });
    }
    // Views: the preset, then the mode, then the look direction of a cockpit mode.
    ViewController& v = theViewController;
    v.SetSkyCamPreset(b[off::kSkyCamPreset] & 3);
    const int mode = b[off::kViewMode] <= 5 ? b[off::kViewMode] : 0;
    if (mode == kViewSkyCam)
        v.EnterSkyCam(v.GetSkyCamPreset());
    else
        v.SetViewMode(mode);
    if (!v.InCamera()) v.SetLookDirection(b[off::kLookDirection] <= 8 ? b[off::kLookDirection] : 0);
    v.RebuildCamera();
    theFlightStateRecord = record;
    return 1;
}

int ReadFlightState(win::FileHandle file) {
    FlightStateRecord record;
    std::uint32_t read = 0;
    if (!win::ReadFile(file, record.bytes.data(),
                       static_cast<std::uint32_t>(kFlightStateRecordSize), &read) ||
        read != kFlightStateRecordSize)
        return 0;
    return RestoreFlightState(record);
}

FlightTape::FlightTape(KeyDispatchFunction replayTarget) : replayTarget(replayTarget) {
    Close();
}

FlightTape::~FlightTape() {
    Close();
}

void FlightTape::Fail(win::HWND window, const char* format) {
    char text[512];
    std::snprintf(text, sizeof text, format, win::ShownPath(name).c_str());
    message = text;
    ui::ShowMessageBox(window, message, ui::MB_OK);
}

int FlightTape::OpenTapeFile(win::HWND owner, const char* fileName) {
    if (fileName == nullptr) return 0;
    name = fileName;
    win::FileHandle f = win::CreateFile(name, win::GENERIC_WRITE, 0, win::CREATE_ALWAYS,
                                        win::FILE_ATTRIBUTE_NORMAL);
    if (!f.IsValid()) {
        Fail(owner, "Could not open camcorder file %s.");
        return 0;
    }
    if (WriteFlightState(f) == 0) {
        win::CloseHandle(f);
        Fail(owner, "Could not write camcorder file %s.");
        return 0;
    }
    Close();  // a tape already open ends first
    file = f;
    mode = kRecording;
    return 1;
}

int FlightTape::Append(win::HWND window, const std::uint8_t* bytes, std::uint32_t count) {
    if (!file.IsValid()) return 0;
    if (WriteAll(file, bytes, count)) return 1;
    // A tape that lost a record is of no use for replay: stop here, and say so.
    win::CloseHandle(file);
    file = win::FileHandle{};
    mode = kIdle;
    Fail(window, "Could not write camcorder file %s.");
    return 0;
}

int FlightTape::WriteKeyEvent(win::HWND window, std::uint32_t code) {
    std::uint8_t r[5] = {kTapeKeyEvent};
    core::WriteU32(r + 1, code);
    return Append(window, r, sizeof r);
}

int FlightTape::WriteStateSample(win::HWND window, const TapeStateSample& sample) {
    std::uint8_t r[19] = {kTapeStateSample};
    for (int i = 0; i < 4; ++i)
        core::WriteU32(r + 1 + 4 * i, sample.words[i]);
    core::WriteU16(r + 17, sample.half);
    return Append(window, r, sizeof r);
}

int FlightTape::WriteFrameMark(win::HWND window) {
    const std::uint8_t r[1] = {kTapeFrameMark};
    return Append(window, r, sizeof r);
}

void FlightTape::Close() {
    if (file.IsValid()) {
        if (mode == kRecording) {
            const std::uint8_t end = kTapeEnd;
            WriteAll(file, &end, 1);
        }
        win::CloseHandle(file);
    }
    file = win::FileHandle{};
    mode = kIdle;
}

std::uint32_t FlightTape::ReadRecord(std::uint8_t* out, std::uint32_t size) {
    if (readerEmpty || mode != kPlaying || !file.IsValid() || out == nullptr) return 0;
    std::uint32_t read = 0;
    return win::ReadFile(file, out, size, &read) ? read : 0;
}

int FlightTape::SetMode(int newMode) {
    const int previous = mode;
    mode = newMode;
    return previous;
}

int SaveTapeDialog(win::HWND owner, std::string* path) {
    ui::FileDialogRequest r;
    r.owner = owner;
    r.save = true;
    r.title = "Save Tape";
    r.filterName = "Tape Files (*.Cam)";
    r.filterPattern = "*.Cam";
    r.bufferSize = 256;
    if (ShowSaveFileDialog(r) == 0) return 0;
    if (path != nullptr) *path = r.file;
    return 1;
}

std::string OpenTapeDialog(win::HWND owner, const char* title, std::uint32_t extraFlags) {
    ui::FileDialogRequest r;
    r.owner = owner;
    r.title = title != nullptr ? title : "";
    r.filterName = "Flight Tapes  (*.CAM)";
    r.filterPattern = "*.CAM";
    r.defaultExtension = "cam";
    r.flags = ui::OFN_HIDEREADONLY | extraFlags;
    r.file = "flight.cam";
    r.bufferSize = 256;
    return ShowOpenFileDialog(r) != 0 ? r.file : std::string();
}

}  // namespace sim
