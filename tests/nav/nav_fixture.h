// A fresh working folder for one navigation test, with the loose data folders the navigation
// volumes look in ("Data\Nav", "Data\Sms", "Data\Mag", "Data\Nor"), and the navigation state,
// the radios, the masters and the aircraft's position put back to their start.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/radio_words.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "nav/dialog_controls.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"
#include "nav/variation_lookup.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace navtest {

// A list that keeps its rows (the planning pages' lists work the same way).
class RecordingList final : public nav::ListTarget {
public:
    void Reset() override { rows.clear(); }
    int Add(std::string_view text) override {
        rows.emplace_back(text);
        return static_cast<int>(rows.size()) - 1;
    }
    void Select(int row) override { selected = row; }
    void SetTop(int row) override { top = row; }
    void SetTabStops(const int* stops, int count) override {
        tabStops.assign(stops, stops + count);
    }
    std::vector<std::string> rows;
    std::vector<int> tabStops;
    int selected = -2;
    int top = -2;
};

class NavFixture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"Data/Nav", "Data/Sms", "Data/Mag", "Data/Nor"})
            folder.MakeFolders(f);
        here = std::make_unique<testsupport::ScopedCurrentFolder>(folder.Root());
        core::CloseGlobalVolumes();
        platform::ForgetFolderListings();
        Reset();
    }
    void TearDown() override {
        nav::theSmsDatabase.Close();
        core::CloseGlobalVolumes();
        here.reset();
        platform::ForgetFolderListings();
        Reset();
    }
    static void Reset() {
        nav::theNavDatabase.Clear();
        nav::ResetNavReception();
        nav::theSmsDatabase.ResetStepping();
        nav::ForgetGridTiles();
        cockpit::ResetRadioWords();
        cockpit::thePanelSwitches.batteryPower = 0;
        cockpit::theCockpitSwitches.avionicsMaster = 0;
        flight::theFlightModelState = flight::FlightModelState{};
    }
    static void MastersOn() {
        cockpit::thePanelSwitches.batteryPower = 1;
        cockpit::theCockpitSwitches.avionicsMaster = 1;
    }
    // Writes a loose file of a data folder ("Data/Nav/na.vor").
    void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        folder.Write(path, std::string(bytes.begin(), bytes.end()));
        platform::ForgetFolderListings();
    }
    void WriteText(const std::string& path, const std::string& bytes) {
        folder.Write(path, bytes);
        platform::ForgetFolderListings();
    }

    testsupport::TempFolder folder{"zephlon-nav"};
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

}  // namespace navtest
