// Flight tapes: the 855-byte state record through the writer and the inverse reader, the tagged
// records, the end byte, refused records and failed writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "core/endian.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "platform/file_system.h"
#include "sim/flight_tape.h"
#include "sim/input/flight_controls.h"
#include "sim/input/keyboard_input.h"
#include "sim/slew.h"
#include "sim/view_controller.h"
#include "ui/file_dialogs.h"

namespace {

namespace off = sim::tape_offsets;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Tape : public ::testing::Test {
protected:
    void SetUp() override {
        flight::theAircraft.SelectByType(2);
        flight::theFlightModelState = flight::FlightModelState{};
        cockpit::ResetCockpitSwitches();
        cockpit::ResetCockpitServices();
        cockpit::ResetPanelControls();
        sim::theSlewControl.SetActive(0);
        sim::theViewController.ResetPresets();
    }
    void TearDown() override {
        sim::theFlightTape.Close();
        platform::ClearSimulatedFaults();
        sim::theSlewControl.SetActive(0);
        sim::theViewController.ResetPresets();
        ui::theFileDialogHandler = nullptr;
    }
    static std::string Path(const char* name) {
        const std::string p = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::remove(p.c_str());
        return p;
    }
    static void Fly() {
        flight::FlightModelState& s = flight::theFlightModelState;
        s.fmPosX = 123456;
        s.fmPosY = -7890;
        s.fmHead = 0xBEEF;
        s.fmTAVel = 3500000;
        s.fmGear = 1;
        s.fmPLoad = 0x01020304;
        s.fmEngineSpeed[0] = 2300;
        s.fmAutopilotModes = 5;
        cockpit::thePanelSwitches.batteryPower = 1;
        cockpit::thePanelSwitches.ignitionLeft = 3;
        cockpit::thePanelSwitches.fuelSelectorSwitchRight = 2;
        cockpit::theMixtureLever.lever = 31;
        cockpit::theCockpitSwitches.altimeterSetting = 3012;
        sim::theElevatorInput = -321;
        sim::theSlewControl.SetActive(1);
        sim::theViewController.SetViewMode(2);
        sim::theViewController.SetLookDirection(6);
        sim::theViewController.SetSkyCamPreset(3);
    }
};

TEST_F(Tape, RecordPlacesItsFields) {
    Fly();
    sim::CaptureFlightState();
    const std::uint8_t* b = sim::theFlightStateRecord.bytes.data();
    EXPECT_EQ(core::ReadI32(b + 0), 123456);
    EXPECT_EQ(core::ReadI32(b + 4), -7890);
    EXPECT_EQ(core::ReadU16(b + 16), 0xBEEF);
    EXPECT_EQ(core::ReadU32(b + 94), 0x01020304u);  // fmPLoad ends the 98 bytes
    EXPECT_EQ(core::ReadU16(b + off::kSlew), 1);
    EXPECT_EQ(b[off::kBattery], 1);
    EXPECT_EQ(b[off::kIgnitionLeft], 3);
    EXPECT_EQ(core::ReadU16(b + off::kMixtureLeft), 31);
    EXPECT_EQ(b[off::kFuelSwitchRight], 2);
    EXPECT_EQ(b[off::kInCamera], 0);
    EXPECT_EQ(b[off::kSkyCamPreset], 3);
    EXPECT_EQ(b[off::kViewMode], 2);
    EXPECT_EQ(b[off::kLookDirection], 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + off::kAircraftCode), 8), "baron   ");
    for (std::size_t i = 115; i < 493; ++i)
        ASSERT_EQ(b[i], 0) << i;
    for (std::size_t i = 673; i < 847; ++i)
        ASSERT_EQ(b[i], 0) << i;
}

TEST_F(Tape, AircraftCodes) {
    const char* codes[6] = {"cess172 ", "bonanza ", "baron   ", "king    ", "525cj   ", "cess172 "};
    for (int type = 0; type < 6; ++type) {
        EXPECT_STREQ(sim::TapeAircraftCode(type), codes[type]);
        EXPECT_EQ(sim::TapeAircraftType(codes[type]), type == 5 ? 0 : type);
    }
    EXPECT_EQ(sim::TapeAircraftType("cessna  "), -1);
}

TEST_F(Tape, FileHoldsRecordThenTaggedRecordsThenEnd) {
    const std::string path = Path("tape_records.cam");
    Fly();
    ASSERT_EQ(sim::theFlightTape.OpenTapeFile({}, path.c_str()), 1);
    EXPECT_TRUE(sim::theFlightTape.IsRecording());
    sim::TapeStateSample sample{{1, 2, 3, 0xA0B0C0D0u}, 0x1234};
    EXPECT_EQ(sim::theFlightTape.WriteStateSample({}, sample), 1);
    EXPECT_EQ(sim::theFlightTape.WriteKeyEvent({}, 0x40058), 1);
    EXPECT_EQ(sim::theFlightTape.WriteFrameMark({}), 1);
    sim::theFlightTape.Close();
    EXPECT_EQ(sim::theFlightTape.GetMode(), 0);

    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 855u + 19 + 5 + 1 + 1);
    const std::uint8_t* r = bytes.data() + 855;
    EXPECT_EQ(r[0], 0x80);
    EXPECT_EQ(core::ReadU32(r + 13), 0xA0B0C0D0u);
    EXPECT_EQ(core::ReadU16(r + 17), 0x1234);
    EXPECT_EQ(r[19], 0x8D);
    EXPECT_EQ(core::ReadU32(r + 20), 0x40058u);
    EXPECT_EQ(r[24], 0x8E);
    EXPECT_EQ(r[25], 0x89);
}

TEST_F(Tape, ReaderPutsTheSameStateBack) {
    const std::string path = Path("tape_round_trip.cam");
    Fly();
    ASSERT_EQ(sim::theFlightTape.OpenTapeFile({}, path.c_str()), 1);
    sim::theFlightTape.Close();
    const sim::FlightStateRecord written = sim::theFlightStateRecord;

    // Change everything the record holds, and the aircraft.
    flight::theAircraft.SelectByType(4);
    flight::theFlightModelState = flight::FlightModelState{};
    cockpit::ResetCockpitSwitches();
    cockpit::ResetCockpitServices();
    cockpit::ResetPanelControls();
    sim::theElevatorInput = 0;
    sim::theSlewControl.SetActive(0);
    sim::theViewController.ResetPresets();

    win::FileHandle f =
        win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING);
    ASSERT_TRUE(f.IsValid());
    ASSERT_EQ(sim::ReadFlightState(f), 1);
    win::CloseHandle(f);
    EXPECT_EQ(flight::theAircraft.GetType(), 2);
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 123456);
    EXPECT_EQ(sim::theElevatorInput, -321);
    EXPECT_TRUE(sim::theSlewControl.IsActive());
    EXPECT_EQ(sim::theViewController.GetViewMode(), 2);
    EXPECT_EQ(sim::theViewController.GetLookDirection(), 6);

    sim::CaptureFlightState();
    EXPECT_EQ(sim::theFlightStateRecord.bytes, written.bytes);
}

TEST_F(Tape, ReaderRefusesShortOrForeignRecords) {
    const std::string path = Path("tape_bad.cam");
    Fly();
    sim::CaptureFlightState();
    sim::FlightStateRecord foreign = sim::theFlightStateRecord;
    std::memcpy(foreign.bytes.data() + off::kAircraftCode, "glider  ", 8);
    const struct {
        std::size_t size;
        const sim::FlightStateRecord* record;
    } cases[] = {{0, &foreign}, {854, &sim::theFlightStateRecord}, {855, &foreign}};
    for (const auto& c : cases) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(c.record->bytes.data()),
                      static_cast<std::streamsize>(c.size));
        }
        flight::theFlightModelState.fmPosX = 42;
        win::FileHandle f =
            win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING);
        ASSERT_TRUE(f.IsValid());
        EXPECT_EQ(sim::ReadFlightState(f), 0) << c.size;
        win::CloseHandle(f);
        EXPECT_EQ(flight::theFlightModelState.fmPosX, 42) << c.size;
    }
}

TEST_F(Tape, UnopenableTapeLeavesTheRecorderIdle) {
    EXPECT_EQ(sim::theFlightTape.OpenTapeFile({}, nullptr), 0);
    const std::string path = std::string(ZEPHLON_BINARY_DIR) + "/no/such/folder/t.cam";
    EXPECT_EQ(sim::theFlightTape.OpenTapeFile({}, path.c_str()), 0);
    EXPECT_EQ(sim::theFlightTape.GetMode(), 0);
    EXPECT_EQ(sim::theFlightTape.Message(), "Could not open camcorder file " + path + ".");
}

TEST_F(Tape, FailedWriteStopsTheRecording) {
    const std::string path = Path("tape_full.cam");
    ASSERT_EQ(sim::theFlightTape.OpenTapeFile({}, path.c_str()), 1);
    platform::SimulateDiskFull(0);
    EXPECT_EQ(sim::theFlightTape.WriteKeyEvent({}, 0x50), 0);
    EXPECT_EQ(sim::theFlightTape.GetMode(), 0);
    EXPECT_NE(sim::theFlightTape.Message().find("Could not write"), std::string::npos);
    EXPECT_EQ(sim::theFlightTape.WriteFrameMark({}), 0);
}

int Cancel(ui::FileDialogRequest&) {
    return 0;
}
int Choose(ui::FileDialogRequest& r) {
    r.file = r.save ? "chosen.Cam" : r.file;
    return 1;
}

TEST_F(Tape, DialogsReportACancel) {
    std::string path = "unchanged";
    ui::theFileDialogHandler = &Cancel;
    EXPECT_EQ(sim::SaveTapeDialog({}, &path), 0);
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(sim::OpenTapeDialog({}, "Play", 0), "");
    ui::theFileDialogHandler = &Choose;
    EXPECT_EQ(sim::SaveTapeDialog({}, &path), 1);
    EXPECT_EQ(path, "chosen.Cam");
    EXPECT_EQ(sim::OpenTapeDialog({}, "Play", 0), "flight.cam");
}

TEST_F(Tape, ReplayTargetIsTheKeyDispatcher) {
    EXPECT_EQ(sim::theFlightTape.ReplayTarget(), &sim::DispatchKeyCode);
    EXPECT_EQ(sim::theFlightTape.SetMode(4), 0);
    EXPECT_EQ(sim::theFlightTape.SetMode(0), 4);
}

}  // namespace
