// The headless machine's force feedback: what it writes for each call, what it refuses, and how
// a stick's removal cuts its device off.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"

namespace {

using namespace platform;

class HeadlessHapticsTest : public ::testing::Test {
protected:
    int Plug(bool haptic) {
        JoystickInfo info;
        info.name = "Stick";
        info.axes = 4;
        info.buttons = 8;
        info.haptic = haptic;
        return machine.Sticks().Plug(info);
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> l = machine.Forces().Lines();
        machine.Forces().ClearLines();
        return l;
    }
    HeadlessBackend machine;
};

TEST_F(HeadlessHapticsTest, WritesEveryCallInTheDevicesUnits) {
    Plug(false);
    EXPECT_EQ(machine.GetHaptics().Open(0), nullptr) << "a stick plugged without haptic";
    const int stick = Plug(true);
    auto device = machine.GetHaptics().Open(stick);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Features(), kHapticAll);

    HapticEffect constant;
    constant.direction = 27000;
    constant.level = -32767;
    constant.length = 2500;
    HapticEffect sine;
    sine.type = HapticType::SawtoothDown;
    sine.direction = 18000;
    sine.period = 333;
    sine.magnitude = 16383;
    sine.offset = -225;
    sine.phase = 9000;
    HapticEffect spring;
    spring.type = HapticType::Spring;
    spring.right = {16383, 0};
    spring.left = {16383, -5};
    spring.center = {-8191, 3};
    spring.deadband = {0, 65535};
    EXPECT_EQ(device->NewEffect(constant), 0);
    EXPECT_EQ(device->NewEffect(sine), 1);
    EXPECT_EQ(device->NewEffect(spring), 2);
    sine.offset = 0;
    EXPECT_TRUE(device->UpdateEffect(1, sine));
    EXPECT_TRUE(device->RunEffect(2, kHapticInfinity));
    EXPECT_TRUE(device->StopEffect(2));
    device->DestroyEffect(0);
    EXPECT_TRUE(device->StopAll());
    EXPECT_TRUE(device->SetGain(40));
    EXPECT_TRUE(device->SetAutocenter(0));
    EXPECT_TRUE(device->Pause());
    EXPECT_TRUE(device->Unpause());
    const std::vector<std::string> expected = {
        "haptic: new 0 constant dir=27000 level=-32767 length=2500",
        "haptic: new 1 sawtoothdown dir=18000 period=333 magnitude=16383 offset=-225 phase=9000 "
        "length=inf",
        "haptic: new 2 spring right=16383,0 left=16383,-5 center=-8191,3 deadband=0,65535 "
        "length=inf",
        "haptic: update 1 sawtoothdown dir=18000 period=333 magnitude=16383 offset=0 phase=9000 "
        "length=inf",
        "haptic: run 2",
        "haptic: stop 2",
        "haptic: destroy 0",
        "haptic: stopall",
        "haptic: gain 40",
        "haptic: autocenter 0",
        "haptic: pause",
        "haptic: unpause"};
    EXPECT_EQ(Lines(), expected);
    // The freed id is the next one given.
    EXPECT_EQ(device->NewEffect(constant), 0);
}

TEST_F(HeadlessHapticsTest, RefusesWhatTheDeviceCannotDoAndWritesNothingForIt) {
    Plug(true);
    machine.Forces().SetFeatures(kHapticAllTypes & ~HapticTypeBit(HapticType::Spring));
    machine.Forces().SetCapacity(2);
    auto device = machine.GetHaptics().Open(0);
    ASSERT_NE(device, nullptr);
    HapticEffect spring;
    spring.type = HapticType::Spring;
    HapticEffect constant;
    EXPECT_EQ(device->NewEffect(spring), -1);
    EXPECT_EQ(device->NewEffect(constant), 0);
    EXPECT_EQ(device->NewEffect(constant), 1);
    EXPECT_EQ(device->NewEffect(constant), -1) << "full";
    EXPECT_FALSE(device->UpdateEffect(0, spring)) << "an effect keeps its type";
    EXPECT_FALSE(device->UpdateEffect(7, constant));
    EXPECT_FALSE(device->RunEffect(0, 0));
    EXPECT_FALSE(device->SetGain(50));
    EXPECT_FALSE(device->Pause());
    EXPECT_FALSE(device->SetAutocenter(101));
    EXPECT_EQ(device->EffectStatus(0), -1) << "no status: the device cannot tell";
    EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(HeadlessHapticsTest, StatusFollowsRunsStopsAndTheEffectsLength) {
    Plug(true);
    auto device = machine.GetHaptics().Open(0);
    HapticEffect jolt;
    jolt.length = 2500;
    const int id = device->NewEffect(jolt);
    EXPECT_EQ(device->EffectStatus(id), 0);
    ASSERT_TRUE(device->RunEffect(id, 2));
    machine.Time().Advance(4999);
    EXPECT_EQ(device->EffectStatus(id), 1);
    EXPECT_TRUE(machine.Forces().Playing(id));
    machine.Time().Advance(1);
    EXPECT_EQ(device->EffectStatus(id), 0) << "two runs of 2.5 s are over";
    ASSERT_TRUE(device->RunEffect(id, kHapticInfinity));
    EXPECT_TRUE(device->StopAll());
    EXPECT_EQ(device->EffectStatus(id), 0);
}

TEST_F(HeadlessHapticsTest, AnUnpluggedStickCutsItsDeviceOffButNotAnotherOne) {
    Plug(true);
    Plug(true);
    auto first = machine.GetHaptics().Open(0);
    auto second = machine.GetHaptics().Open(1);
    HapticEffect e;
    ASSERT_EQ(first->NewEffect(e), 0);
    ASSERT_EQ(second->NewEffect(e), 0);
    Lines();
    // The second stick moves into index 0; the first device must not reach it.
    ASSERT_TRUE(machine.Sticks().Unplug(0));
    EXPECT_FALSE(first->RunEffect(0, 1));
    EXPECT_EQ(first->NewEffect(e), -1);
    EXPECT_FALSE(first->StopAll());
    first->DestroyEffect(0);
    EXPECT_TRUE(second->RunEffect(0, 1));
    EXPECT_EQ(Lines(), std::vector<std::string>{"haptic: run 0"});
    first.reset();
    EXPECT_EQ(machine.Forces().OpenDevices(), 1);
}

TEST(HeadlessHaptics, ADeviceOutlivingItsMachineAnswersGone) {
    std::unique_ptr<HapticDevice> device;
    {
        HeadlessBackend machine;
        JoystickInfo info;
        info.haptic = true;
        machine.Sticks().Plug(info);
        device = machine.GetHaptics().Open(0);
        ASSERT_NE(device, nullptr);
    }
    HapticEffect e;
    EXPECT_EQ(device->NewEffect(e), -1);
    EXPECT_FALSE(device->StopAll());
}

}  // namespace
