// What the force-feedback tests share: a headless machine with a stick that pushes back, the
// program's window for the device, and everything the force-feedback globals hold put back
// after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/force_feedback.h"
#include "devices/force_stick.h"
#include "devices/force_triggers.h"
#include "devices/library_stick.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "platform/headless/headless_backend.h"
#include "sim/device_host.h"
#include "sim/input/flight_controls.h"
#include "sim/slew.h"
#include "win/dinput.h"
#include "win/module.h"

namespace devicestest {

class ForceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        win::theDirectInputFaults = win::DirectInputFaults{};
        alive = win::DirectInputObjectsAlive();
        Reset();
    }
    void TearDown() override {
        devices::ShutdownForceFeedback();
        devices::ReleaseForceFeedback(true);
        Reset();
        win::UnregisterModule(devices::kStickLibraryName);
        EXPECT_EQ(win::DirectInputObjectsAlive(), alive) << "an interface object was left behind";
        platform::SetCurrentBackend(nullptr);
    }
    static void Reset() {
        devices::theForceFeedbackActive = 0;
        devices::theForceRefresh = 0;
        devices::theJoystickFound = 0;
        devices::theForceStickWorked = true;
        devices::theForceStickName.clear();
        devices::theForceActuatorsOn = 0;
        devices::theForceStickWindow = win::HWND{};
        devices::theForceUpdateMemory = devices::ForceUpdateMemory{};
        devices::theStickLibraryLoaded = 0;
        devices::theStickLibrary = devices::StickLibrary{};
        flight::theFlightModelState = flight::FlightModelState{};
        flight::theFlightStep.stickBumpX = flight::theFlightStep.stickBumpY = 0;
        sim::theAileronTrim = 0;
        sim::theSlewControl.SetActive(0);
        sim::InstallDeviceHost();
    }
    void Plug(bool haptic, const char* name = "Force Stick") {
        platform::JoystickInfo info;
        info.name = name;
        info.axes = 4;
        info.buttons = 8;
        info.hats = 1;
        info.haptic = haptic;
        machine.Sticks().Plug(info);
    }
    // Force feedback on a haptic stick, the way the program starts it.
    void Start() {
        devices::SetForceFeedbackWindow(win::HWND{1});
        ASSERT_TRUE(devices::InitForceFeedback());
        ASSERT_EQ(devices::theForceFeedbackMode, devices::kForceFeedbackDirectInput);
        machine.Forces().ClearLines();
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> l = machine.Forces().Lines();
        machine.Forces().ClearLines();
        return l;
    }
    const platform::HeadlessHapticDeviceState& Device() {
        return *machine.Forces().LastDevice();
    }
    devices::FFDirectInputStick& Stick() {
        return static_cast<devices::FFDirectInputStick&>(*devices::theForceStick);
    }

    platform::HeadlessBackend machine;
    std::int32_t alive = 0;
};

}  // namespace devicestest
