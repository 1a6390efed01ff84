// Saved flights: save and load through the world's sections, the folder of bare names, the
// current flight name, the file dialogs, a full disc during a save and a missing flight.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "sim/flight_file.h"
#include "sim/main_window_services.h"
#include "sim/saved_flight.h"
#include "sim/view_controller.h"
#include "ui/file_dialogs.h"
#include "win/program_entry.h"

namespace {

std::string theLoadedPath;
int theLoadResult = 1;
int FakeLoad(core::IniFile& file, int) {
    theLoadedPath = file.Path();
    return theLoadResult;
}
int FakeSave(core::IniFile& file) {
    return file.PutString("Aircraft", "type", "0") & file.PutString("Test", "written", "yes");
}

std::string theChosen;
ui::FileDialogRequest theRequest;
int theDialogDepth = -1;  // the dialog mode's depth while the dialog was up
int Answer(ui::FileDialogRequest& r) {
    theRequest = r;
    theDialogDepth = sim::DialogDepth();
    if (theChosen.empty()) return 0;
    r.file = theChosen;
    return 1;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SavedFlight : public ::testing::Test {
protected:
    void SetUp() override {
        sim::theSituationServices = sim::WorldSituationServices();
        sim::theCurrentFlightName = "StartUp.Flt";
        flight::theFlightModelState = flight::FlightModelState{};
        sim::theViewController.ResetPresets();
        flight::theAircraft.SelectByType(0);
        ui::theFileDialogHandler = &Answer;
        theChosen.clear();
        theLoadedPath.clear();
        theLoadResult = 1;
    }
    void TearDown() override {
        platform::ClearSimulatedFaults();
        sim::theSituationServices = sim::WorldSituationServices();
        ui::theFileDialogHandler = nullptr;
        sim::theViewController.ResetPresets();
        sim::theCurrentFlightName = "StartUp.Flt";
    }
    static std::string Path(const char* name) {
        const std::string p = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::remove(p.c_str());
        return p;
    }
};

TEST_F(SavedFlight, SavedAndLoadedGivesTheSameAircraftState) {
    const std::string path = Path("saved_round_trip.Flt");
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPosX = 1234567;
    s.fmPosY = 98765;
    s.fmPosZ = -4444;
    s.fmHead = 0x4000;
    s.fmFlaps = 2;
    s.fmFuel1 = 20000;  // 78 kg, within the 172's tanks
    ASSERT_EQ(sim::SaveFlight(path.c_str()), 1);
    EXPECT_EQ(sim::theCurrentFlightName, path);
    // This world has no aircraft to name; the program's always has one.
    EXPECT_EQ(core::IniFile(path.c_str()).PutInt("Aircraft", "type", 0), 1);
    const flight::FlightModelState saved = s;
    s = flight::FlightModelState{};
    sim::theCurrentFlightName = "StartUp.Flt";
    ASSERT_EQ(sim::LoadFlight(path.c_str(), 1), 1);
    EXPECT_EQ(s.fmPosX, saved.fmPosX);
    EXPECT_EQ(s.fmPosY, saved.fmPosY);
    EXPECT_EQ(s.fmPosZ, saved.fmPosZ);
    EXPECT_EQ(s.fmHead, saved.fmHead);
    EXPECT_EQ(s.fmFlaps, saved.fmFlaps);
    EXPECT_EQ(s.fmFuel1, saved.fmFuel1);
    EXPECT_EQ(sim::theCurrentFlightName, path);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(SavedFlight, SavingOverAFlightStartsFromAnEmptyFile) {
    const std::string path = Path("saved_over.Flt");
    {
        std::ofstream out(path);
        out << "[Gone]\nkey=1\n";
    }
    sim::theSituationServices = {&FakeLoad, &FakeSave};
    ASSERT_EQ(sim::SaveFlight(path.c_str()), 1);
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("Gone"), std::string::npos);
    EXPECT_NE(text.find("written=yes"), std::string::npos);
}

TEST_F(SavedFlight, FullDiscKeepsTheOldFlight) {
    const std::string path = Path("saved_full.Flt");
    ASSERT_EQ(sim::SaveFlight(path.c_str()), 1);
    const std::string before = ReadAll(path);
    ASSERT_FALSE(before.empty());
    sim::theCurrentFlightName = "Other.Flt";
    flight::theFlightModelState.fmPosX = 777;
    platform::SimulateDiskFull(10);
    EXPECT_EQ(sim::SaveFlight(path.c_str()), 0);
    platform::ClearSimulatedFaults();
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(sim::theCurrentFlightName, "Other.Flt");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(SavedFlight, MissingFlightChangesNothing) {
    flight::theFlightModelState.fmPosX = 31337;
    sim::theViewController.SetViewMode(1);
    flight::theAircraft.SelectByType(2);
    const std::string missing = std::string(ZEPHLON_BINARY_DIR) + "/no_such_flight.Flt";
    EXPECT_EQ(sim::LoadFlight(missing.c_str(), 1), 0);
    EXPECT_EQ(sim::LoadFlight(nullptr, 1), 0);
    EXPECT_EQ(sim::LoadFlight(ZEPHLON_BINARY_DIR, 1), 0);  // a folder is no flight
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 31337);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 1);
    EXPECT_EQ(sim::theCurrentFlightName, "StartUp.Flt");
    theChosen = missing;
    EXPECT_EQ(sim::ResumeFlight({}, 1), 0);
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 31337);
}

TEST_F(SavedFlight, BareNamesComeFromTheFlightsFolder) {
    sim::theSituationServices = {&FakeLoad, &FakeSave};
    std::filesystem::create_directories("Flights");
    const std::string name = "saved_flight_test_bare.Flt";
    {
        std::ofstream out("Flights/" + name);
        out << "[Aircraft]\ntype=0\n";
    }
    sim::FlightFile f;
    EXPECT_EQ(f.Load({}, name.c_str(), 1), 1);
    EXPECT_EQ(theLoadedPath, "Flights\\" + name);
    EXPECT_EQ(sim::theCurrentFlightName, "Flights\\" + name);
    // A name with a backslash is taken as it stands.
    const std::string full = std::string(ZEPHLON_BINARY_DIR) + "\\nowhere\\x.Flt";
    EXPECT_EQ(f.Load({}, full.c_str(), 1), 0);
    std::filesystem::remove("Flights/" + name);
}

TEST_F(SavedFlight, FailedLoadKeepsTheNameAndLowPanelFallsBack) {
    const std::string path = Path("saved_low_panel.Flt");
    {
        std::ofstream out(path);
        out << "[Aircraft]\ntype=3\n[Views]\ncur=1\n";
    }
    sim::theSituationServices = {&FakeLoad, &FakeSave};
    theLoadResult = 2;  // bit 0 clear: not loaded
    flight::theAircraft.SelectByType(3);
    sim::theViewController.SetViewMode(1);
    EXPECT_EQ(sim::LoadFlight(path.c_str(), 0), 0);
    EXPECT_EQ(sim::theCurrentFlightName, "StartUp.Flt");
    EXPECT_EQ(sim::theViewController.GetViewMode(), 0);
    // The 172 has a low panel and keeps it.
    theLoadResult = 1;
    flight::theAircraft.SelectByType(0);
    sim::theViewController.SetViewMode(1);
    EXPECT_EQ(sim::LoadFlight(path.c_str(), 0), 1);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 1);
}

TEST_F(SavedFlight, DialogsAskForFlightsAndReportACancel) {
    std::string path = "kept";
    EXPECT_EQ(sim::ResumeFlightDialog(&path, {}, 1), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_EQ(theRequest.title, "Save Flight");
    EXPECT_EQ(theRequest.flags, ui::OFN_OVERWRITEPROMPT | ui::OFN_HIDEREADONLY |
                                    ui::OFN_NOCHANGEDIR | ui::OFN_NOREADONLYRETURN);
    EXPECT_EQ(theRequest.filterName, "Flight Files (*.Flt)");
    EXPECT_EQ(theRequest.initialFolder, "Flights");
    EXPECT_EQ(sim::ResumeFlight({}, 1), 0);
    EXPECT_EQ(theRequest.title, "Resume Flight");
    EXPECT_EQ(theRequest.flags, ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR | ui::OFN_FILEMUSTEXIST);
    EXPECT_EQ(sim::SaveFlightAs({}), 0);

    const std::string chosen = Path("saved_as.Flt");
    theChosen = chosen;
    sim::theSituationServices = {&FakeLoad, &FakeSave};
    EXPECT_EQ(sim::SaveFlightAs({}), 1);
    EXPECT_EQ(sim::theCurrentFlightName, chosen);
    EXPECT_EQ(sim::ResumeFlight({}, 1), 1);
    EXPECT_EQ(theLoadedPath, chosen);
    // A path longer than the dialog's buffer counts as no choice.
    theChosen = std::string(300, 'a');
    EXPECT_EQ(sim::ResumeFlightDialog(&path, {}, 0), 0);
}

// The runner's trace says whether a flight found on disc was actually loaded.
TEST_F(SavedFlight, TheTraceTellsALoadFromAFailure) {
    const std::string path = Path("saved_traced.Flt");
    {
        std::ofstream out(path);
        out << "[Aircraft]\ntype=0\n";
    }
    sim::theSituationServices = {&FakeLoad, &FakeSave};
    std::vector<std::string> trace;
    win::SetTraceSink([&trace](std::string_view line) { trace.emplace_back(line); });
    for (const int result : {1, 0}) {
        theLoadResult = result;
        trace.clear();
        EXPECT_EQ(sim::LoadFlightFile(path, 1), result);
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace[0],
                  result != 0 ? "flight: loaded " + path : "flight: " + path + " not loaded");
    }
    win::SetTraceSink({});
}

// The flight dialogs run in dialog mode, and leave it.
TEST_F(SavedFlight, FileDialogsRunInDialogMode) {
    theDialogDepth = -1;
    EXPECT_EQ(sim::ResumeFlight(win::HWND{}, 1), 0);  // cancelled
    EXPECT_EQ(theDialogDepth, 1);
    EXPECT_EQ(sim::DialogDepth(), 0);
    theDialogDepth = -1;
    EXPECT_EQ(sim::SaveFlightAs(win::HWND{}), 0);
    EXPECT_EQ(theDialogDepth, 1);
    EXPECT_EQ(sim::DialogDepth(), 0);
}

// Flights that name no aircraft (empty, cut before the type, of random bytes, with a type that
// is a word) are refused and change nothing; saves into what is not a plain file are refused
// and leave it as it was.
TEST_F(SavedFlight, DamagedFlightsAndImpossibleTargetsAreRefused) {
    testsupport::TempFolder dir("saved-flight-damaged");
    std::string noise;
    for (int i = 0; i < 2000; ++i)
        noise += static_cast<char>((i * 7919) >> 3);
    const std::pair<const char*, std::string> damaged[] = {
        {"empty", ""},
        {"cut before the type", "[Aircraft]\nfmPosX=5\nfmFu"},
        {"noise", noise},
        {"word type", "[Aircraft]\ntype=Baron\nfmPosX=5\n"},
        {"other sections only", "[Panel]\nmaster=1\n[Aircraft2]\ntype=1\n"},
    };
    flight::theAircraft.SelectByType(2);
    for (const auto& [what, text] : damaged) {
        SCOPED_TRACE(what);
        dir.Write("damaged.Flt", text);
        flight::theFlightModelState.fmPosX = 31337;
        flight::theFlightModelState.fmFuel1 = 4242;
        EXPECT_EQ(sim::LoadFlight(dir.Path("damaged.Flt").c_str(), 1), 0);
        EXPECT_EQ(flight::theFlightModelState.fmPosX, 31337);
        EXPECT_EQ(flight::theFlightModelState.fmFuel1, 4242);
        EXPECT_EQ(flight::theAircraft.GetType(), 2);
        EXPECT_EQ(sim::theCurrentFlightName, "StartUp.Flt");
        EXPECT_EQ(dir.Read("damaged.Flt"), text);
    }
    dir.MakeFolders("folder.Flt");
    ASSERT_EQ(mkfifo(dir.Path("pipe.Flt").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(dir.Path("taken.Flt.tmp").c_str(), 0600), 0);
    for (const char* target : {"folder.Flt", "pipe.Flt"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(sim::SaveFlight(dir.Path(target).c_str()), 0);
        EXPECT_EQ(sim::LoadFlight(dir.Path(target).c_str(), 1), 0);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder.Flt")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("pipe.Flt")));
    EXPECT_EQ(sim::theCurrentFlightName, "StartUp.Flt");
    // A pipe of the name an older save used for its temporary is none of the save's business:
    // the save makes a temporary of its own and leaves the pipe alone.
    EXPECT_EQ(sim::SaveFlight(dir.Path("taken.Flt").c_str()), 1);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("taken.Flt.tmp")));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path("taken.Flt")));
    flight::theAircraft.SelectByType(0);
}

}  // namespace
