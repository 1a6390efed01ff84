// The input-device interface over the machine's sticks: enumeration, opening, effects converted
// into the haptic layer's units, partial changes merged into one record, the actuators, status,
// and what a stick's removal leaves. And the registry of run-time bound modules.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "win/dinput.h"
#include "win/module.h"

namespace {

using namespace win;

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        theDirectInputFaults = DirectInputFaults{};
        alive = DirectInputObjectsAlive();
    }
    void TearDown() override {
        if (device != nullptr) device->Release();
        if (input != nullptr) input->Release();
        EXPECT_EQ(DirectInputObjectsAlive(), alive) << "an interface object was left behind";
        platform::SetCurrentBackend(nullptr);
    }
    void Plug(const char* name, bool haptic) {
        platform::JoystickInfo info;
        info.name = name;
        info.axes = 4;
        info.buttons = 8;
        info.haptic = haptic;
        machine.Sticks().Plug(info);
    }
    static int Collect(const DIDEVICEINSTANCE* d, void* ref) {
        static_cast<std::vector<DIDEVICEINSTANCE>*>(ref)->push_back(*d);
        return DIENUM_CONTINUE;
    }
    // Opens the first force-feedback stick with the joystick format's buttons at 24.. .
    void Open() {
        ASSERT_EQ(DirectInputCreate(HINSTANCE{1}, DIRECTINPUT_VERSION, &input, nullptr), DI_OK);
        std::vector<DIDEVICEINSTANCE> found;
        ASSERT_EQ(input->EnumDevices(DIDEVTYPE_JOYSTICK, &Collect, &found, DIEDFL_FORCEFEEDBACK),
                  DI_OK);
        ASSERT_FALSE(found.empty());
        IDirectInputDevice* first = nullptr;
        ASSERT_EQ(input->CreateDevice(found[0].guidInstance, &first, nullptr), DI_OK);
        void* second = nullptr;
        ASSERT_EQ(first->QueryInterface(IID_IDirectInputDevice2, &second), DI_OK);
        first->Release();
        device = static_cast<IDirectInputDevice2*>(second);
        static const DIOBJECTDATAFORMAT objects[] = {
            {&GUID_XAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
            {&GUID_YAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
            {nullptr, 24, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
            {nullptr, 25, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0}};
        const DIDATAFORMAT format{24, 16, DIDF_ABSAXIS, 60, 4, objects};
        ASSERT_EQ(device->SetDataFormat(&format), DI_OK);
        ASSERT_EQ(device->SetCooperativeLevel(HWND{1}, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
        ASSERT_EQ(device->Acquire(), DI_OK);
        machine.Forces().ClearLines();
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> l = machine.Forces().Lines();
        machine.Forces().ClearLines();
        return l;
    }
    const platform::HapticEffect& OnDevice(int id) {
        return machine.Forces().LastDevice()->effects.at(id).effect;
    }

    platform::HeadlessBackend machine;
    IDirectInput* input = nullptr;
    IDirectInputDevice2* device = nullptr;
    std::int32_t alive = 0;
};

// A polar record on both axes with the given block.
struct Record {
    std::uint32_t axes[2] = {0, 4};
    std::int32_t directions[2] = {0, 0};
    DIEFFECT e;
    Record(std::uint32_t flags, std::int32_t direction, void* block, std::uint32_t size) {
        directions[0] = direction;
        e.dwFlags = flags;
        e.dwDuration = INFINITE;
        e.dwGain = 10000;
        e.cAxes = 2;
        e.rgdwAxes = axes;
        e.rglDirection = directions;
        e.cbTypeSpecificParams = size;
        e.lpvTypeSpecificParams = block;
    }
};
constexpr std::uint32_t kPolar = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;
constexpr std::uint32_t kCartesian = DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN;

TEST_F(DirectInputTest, EnumeratesJoysticksAndOnlyTheForceFeedbackOnesWhenAsked) {
    Plug("Plain Stick", false);
    Plug("Force Stick", true);
    ASSERT_EQ(DirectInputCreate(HINSTANCE{1}, DIRECTINPUT_VERSION, &input, nullptr), DI_OK);
    std::vector<DIDEVICEINSTANCE> all, force;
    EXPECT_EQ(input->EnumDevices(0, &Collect, &all, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(input->EnumDevices(DIDEVTYPE_JOYSTICK, &Collect, &force, DIEDFL_FORCEFEEDBACK),
              DI_OK);
    ASSERT_EQ(all.size(), 2u);
    ASSERT_EQ(force.size(), 1u);
    EXPECT_STREQ(force[0].tszProductName, "Force Stick");
    EXPECT_EQ(force[0].dwDevType & 0xFF, DIDEVTYPE_JOYSTICK);
    EXPECT_EQ(force[0].guidInstance, all[1].guidInstance);
    std::vector<DIDEVICEINSTANCE> mice;
    EXPECT_EQ(input->EnumDevices(DIDEVTYPE_MOUSE, &Collect, &mice, 0), DI_OK);
    EXPECT_TRUE(mice.empty());

    IDirectInputDevice* plain = nullptr;
    GUID nowhere = all[0].guidInstance;
    nowhere.data1 += 7;
    EXPECT_EQ(input->CreateDevice(nowhere, &plain, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(plain, nullptr);
    // A stick that cannot push back opens, but makes no effects.
    ASSERT_EQ(input->CreateDevice(all[0].guidInstance, &plain, nullptr), DI_OK);
    void* second = nullptr;
    ASSERT_EQ(plain->QueryInterface(IID_IDirectInputDevice2, &second), DI_OK);
    plain->Release();
    auto* d2 = static_cast<IDirectInputDevice2*>(second);
    DICONSTANTFORCE c{5000};
    Record r(kPolar, 0, &c, sizeof c);
    IDirectInputEffect* e = nullptr;
    EXPECT_EQ(d2->CreateEffect(GUID_ConstantForce, &r.e, &e, nullptr), DIERR_UNSUPPORTED);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(plain->QueryInterface(IID_IDirectInputEffect, &second), E_NOINTERFACE);
    d2->Release();
}

TEST_F(DirectInputTest, CreateChecksItsArguments) {
    EXPECT_EQ(DirectInputCreate(HINSTANCE{}, DIRECTINPUT_VERSION, &input, nullptr),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInputCreate(HINSTANCE{1}, 0x0700, &input, nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInputCreate(HINSTANCE{1}, 0x0100, &input, nullptr),
              DIERR_BETADIRECTINPUTVERSION);
    int outer = 0;
    EXPECT_EQ(DirectInputCreate(HINSTANCE{1}, DIRECTINPUT_VERSION, &input, &outer),
              DIERR_NOAGGREGATION);
    EXPECT_EQ(input, nullptr);
    theDirectInputFaults.createFails = true;
    EXPECT_EQ(DirectInputCreate(HINSTANCE{1}, DIRECTINPUT_VERSION, &input, nullptr),
              DIERR_GENERIC);
}

TEST_F(DirectInputTest, EffectsReachTheDeviceInItsUnitsWithTheGainFoldedIn) {
    Plug("Force Stick", true);
    Open();
    DICONSTANTFORCE c{-10000};
    Record constant(kPolar, 27000, &c, sizeof c);
    constant.e.dwGain = 5000;
    constant.e.dwDuration = 2500000;
    DIPERIODIC p{10000, -2000, 9000, 333333};
    Record sine(kPolar, 18000, &p, sizeof p);
    DIENVELOPE envelope{20, 10000, 100000, 5000, 200000};
    sine.e.lpEnvelope = &envelope;
    sine.e.dwTriggerButton = 25;  // the format's second button
    DICONDITION x{0, 5000, 5000, 10000, 10000, 0};
    Record spring(kCartesian, 0, &x, sizeof x);
    spring.e.cAxes = 1;  // x only
    IDirectInputEffect *e1 = nullptr, *e2 = nullptr, *e3 = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &constant.e, &e1, nullptr), DI_OK);
    ASSERT_EQ(device->CreateEffect(GUID_Sine, &sine.e, &e2, nullptr), DI_OK);
    ASSERT_EQ(device->CreateEffect(GUID_Spring, &spring.e, &e3, nullptr), DI_OK);
    const std::vector<std::string> expected = {
        "haptic: new 0 constant dir=27000 level=-16383 length=2500",
        "haptic: new 1 sine dir=18000 period=333 magnitude=32767 offset=-6553 phase=9000 "
        "length=inf",
        "haptic: new 2 spring right=16383,0 left=16383,0 center=0,0 deadband=0,0 length=inf"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(OnDevice(1).button, 2);
    EXPECT_EQ(OnDevice(1).attackLevel, 32767);
    EXPECT_EQ(OnDevice(1).attackLength, 100);
    EXPECT_EQ(OnDevice(1).fadeLength, 200);
    EXPECT_EQ(OnDevice(2).rightSaturation[0], 65535);
    EXPECT_EQ(OnDevice(0).button, 0);
    e1->Release();
    e2->Release();
    e3->Release();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"haptic: destroy 0", "haptic: destroy 1",
                                                  "haptic: destroy 2"}));
}

TEST_F(DirectInputTest, PartialChangesMergeIntoOneRecordSentWholeAndOnlyWhenItChanged) {
    Plug("Force Stick", true);
    Open();
    DIPERIODIC p{10000, 0, 0, 100000};
    Record sine(kPolar, 0, &p, sizeof p);
    IDirectInputEffect* e = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_Sine, &sine.e, &e, nullptr), DI_OK);
    Lines();
    DIEFFECT gain;
    gain.dwGain = 2500;
    ASSERT_EQ(e->SetParameters(&gain, DIEP_GAIN), DI_OK);
    ASSERT_EQ(e->SetParameters(&gain, DIEP_GAIN), DI_OK);  // nothing new for the device
    std::int32_t dirs[2] = {9000, 0};
    DIEFFECT direction;
    direction.dwFlags = kPolar;
    direction.cAxes = 2;
    direction.rglDirection = dirs;
    ASSERT_EQ(e->SetParameters(&direction, DIEP_DIRECTION), DI_OK);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "haptic: update 0 sine dir=0 period=100 magnitude=8191 offset=0 "
                           "phase=0 length=inf",
                           "haptic: update 0 sine dir=9000 period=100 magnitude=8191 offset=0 "
                           "phase=0 length=inf"}));

    // Reading back: the merged record, the block's size when asked with too little room.
    DIPERIODIC back{};
    std::uint32_t axes[3] = {};
    std::int32_t directions[3] = {};
    DIENVELOPE env;
    DIEFFECT out;
    out.cAxes = 3;
    out.rgdwAxes = axes;
    out.rglDirection = directions;
    out.lpEnvelope = &env;
    out.cbTypeSpecificParams = 4;
    out.lpvTypeSpecificParams = &back;
    EXPECT_EQ(e->GetParameters(&out, DIEP_ALLPARAMS), DIERR_MOREDATA);
    EXPECT_EQ(out.cbTypeSpecificParams, kDIPeriodicSize);
    ASSERT_EQ(e->GetParameters(&out, DIEP_ALLPARAMS), DI_OK);
    EXPECT_EQ(out.dwGain, 2500u);
    EXPECT_EQ(out.cAxes, 2u);
    EXPECT_EQ(directions[0], 9000);
    EXPECT_EQ(back.dwPeriod, 100000u);
    EXPECT_EQ(out.lpEnvelope, nullptr) << "the effect has no envelope";

    // A bad part leaves the record as it was.
    DIEFFECT bad;
    bad.cbTypeSpecificParams = 8;
    bad.lpvTypeSpecificParams = &back;
    bad.dwGain = 10001;
    EXPECT_EQ(e->SetParameters(&bad, DIEP_TYPESPECIFICPARAMS), DIERR_INVALIDPARAM);
    EXPECT_EQ(e->SetParameters(&bad, DIEP_GAIN), DIERR_INVALIDPARAM);
    bad.dwSize = 40;
    EXPECT_EQ(e->SetParameters(&bad, DIEP_DURATION), DIERR_INVALIDPARAM);
    EXPECT_TRUE(Lines().empty());
    e->Release();
}

TEST_F(DirectInputTest, RefusesTheEffectsTheMachineHasNot) {
    Plug("Force Stick", true);
    machine.Forces().SetFeatures(platform::kHapticAll &
                                 ~platform::HapticTypeBit(platform::HapticType::Spring));
    Open();
    DIPERIODIC p{10000, 0, 0, 100000};
    Record square(kPolar, 0, &p, sizeof p);
    DICONDITION c[2] = {{0, 5000, 5000, 10000, 10000, 0}, {0, 5000, 5000, 10000, 10000, 0}};
    Record spring(kCartesian, 0, c, sizeof c);
    GUID stored = GUID_Sine;
    stored.data1 = 0xE84CD1A3u;
    IDirectInputEffect* e = nullptr;
    EXPECT_EQ(device->CreateEffect(GUID_Square, &square.e, &e, nullptr), DIERR_UNSUPPORTED);
    EXPECT_EQ(device->CreateEffect(stored, &square.e, &e, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device->CreateEffect(GUID_Spring, &spring.e, &e, nullptr), DIERR_UNSUPPORTED);
    EXPECT_EQ(e, nullptr);
    EXPECT_TRUE(Lines().empty());
    // An effect with parameters the device cannot take is not made at all.
    Record bad(kPolar, 0, &p, 12);
    EXPECT_EQ(device->CreateEffect(GUID_Sine, &bad.e, &e, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(e, nullptr);
}

TEST_F(DirectInputTest, ActuatorsPauseTheDeviceOrTurnItsGainDown) {
    Plug("Force Stick", true);
    Open();
    std::uint32_t state = 0;
    ASSERT_EQ(device->GetForceFeedbackState(&state), DI_OK);
    EXPECT_EQ(state & (DIGFFS_ACTUATORSON | DIGFFS_POWERON | DIGFFS_EMPTY | DIGFFS_STOPPED),
              DIGFFS_ACTUATORSON | DIGFFS_POWERON | DIGFFS_EMPTY | DIGFFS_STOPPED);
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_SETACTUATORSOFF), DI_OK);
    ASSERT_EQ(device->GetForceFeedbackState(&state), DI_OK);
    EXPECT_TRUE(state & DIGFFS_ACTUATORSOFF);
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_SETACTUATORSON), DI_OK);
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_STOPALL), DI_OK);
    EXPECT_EQ(device->SendForceFeedbackCommand(0x40), DIERR_INVALIDPARAM);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"haptic: pause", "haptic: unpause",
                                                  "haptic: stopall"}));
    device->Release();
    device = nullptr;
    input->Release();
    input = nullptr;

    machine.Forces().SetFeatures(platform::kHapticAllTypes | platform::kHapticGain);
    Open();
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_SETACTUATORSOFF), DI_OK);
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_SETACTUATORSON), DI_OK);
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_PAUSE), DIERR_UNSUPPORTED);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"haptic: gain 0", "haptic: gain 100"}));
}

TEST_F(DirectInputTest, StatusComesFromTheDeviceOrFromTheEffectsOwnRecord) {
    Plug("Force Stick", true);
    machine.Forces().SetFeatures(platform::kHapticAllTypes | platform::kHapticPause);
    Open();
    DICONSTANTFORCE c{10000};
    Record jolt(kPolar, 0, &c, sizeof c);
    jolt.e.dwDuration = 2500000;
    IDirectInputEffect* e = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &jolt.e, &e, nullptr), DI_OK);
    std::uint32_t status = 9;
    ASSERT_EQ(e->GetEffectStatus(&status), DI_OK);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(e->Start(1, 0), DI_OK);
    machine.Time().Advance(2499);
    ASSERT_EQ(e->GetEffectStatus(&status), DI_OK);
    EXPECT_EQ(status, DIEGES_PLAYING);
    machine.Time().Advance(1);
    ASSERT_EQ(e->GetEffectStatus(&status), DI_OK);
    EXPECT_EQ(status, 0u) << "its 2.5 s are over";
    ASSERT_EQ(e->Start(INFINITE, 0), DI_OK);
    ASSERT_EQ(e->Stop(), DI_OK);
    ASSERT_EQ(e->GetEffectStatus(&status), DI_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(e->Start(0, 0), DIERR_INVALIDPARAM);
    e->Release();
}

TEST_F(DirectInputTest, EnumeratedEffectsCanBeReleasedOnTheWayAndALostStickAnswersLost) {
    Plug("Force Stick", true);
    Open();
    DICONSTANTFORCE c{10000};
    Record r(kPolar, 0, &c, sizeof c);
    IDirectInputEffect* kept = nullptr;
    for (int i = 0; i < 3; ++i) {
        IDirectInputEffect* e = nullptr;
        ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &r.e, &e, nullptr), DI_OK);
        kept = e;
    }
    const auto release = [](IDirectInputEffect* e, void*) {
        e->Release();
        return DIENUM_CONTINUE;
    };
    ASSERT_EQ(device->EnumCreatedEffectObjects(release, nullptr, 0), DI_OK);
    EXPECT_EQ(Lines().size(), 6u);  // three new, three destroy
    int left = 0;
    const auto count = [](IDirectInputEffect*, void* ref) {
        ++*static_cast<int*>(ref);
        return DIENUM_CONTINUE;
    };
    device->EnumCreatedEffectObjects(count, &left, 0);
    EXPECT_EQ(left, 0);

    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &r.e, &kept, nullptr), DI_OK);
    ASSERT_TRUE(machine.Sticks().Unplug(0));
    EXPECT_EQ(kept->Start(1, 0), DIERR_INPUTLOST);
    std::uint32_t state = 0;
    EXPECT_EQ(device->SendForceFeedbackCommand(DISFFC_STOPALL), DIERR_INPUTLOST);
    c.lMagnitude = 0;
    EXPECT_EQ(kept->SetParameters(&r.e, DIEP_TYPESPECIFICPARAMS), DIERR_INPUTLOST);
    // Releasing the device first leaves the effect harmless.
    device->Release();
    device = nullptr;
    EXPECT_EQ(kept->Start(1, 0), DIERR_INPUTLOST);
    EXPECT_EQ(kept->GetEffectStatus(&state), DI_OK);
    kept->Release();
    EXPECT_TRUE(Lines().size() == 1u) << "only the last new reached the device";
}

TEST(Modules, OnlyRegisteredModulesLoadAndOnlyTheirExportsAreFound) {
    EXPECT_FALSE(LoadLibrary("nothing.dll"));
    EXPECT_TRUE(GetModuleHandle(nullptr)) << "the program itself";
    static int calls = 0;
    const FARPROC touch = [] { ++calls; };
    RegisterModule("Test.DLL", {{"_Touch", touch}});
    const HMODULE m = LoadLibrary("test.dll");
    ASSERT_TRUE(m);
    EXPECT_EQ(GetModuleHandle("TEST.dll"), m);
    EXPECT_EQ(GetProcAddress(m, "_Missing"), nullptr);
    const FARPROC p = GetProcAddress(m, "_Touch");
    ASSERT_NE(p, nullptr);
    p();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ModuleLoads("test.dll"), 1);
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_FALSE(FreeLibrary(m));
    UnregisterModule("test.dll");
    EXPECT_EQ(GetProcAddress(m, "_Touch"), nullptr) << "a handle of a module gone";
    EXPECT_FALSE(LoadLibrary("test.dll"));
}

// Not registered, a library is the platform's shared library of its name; only a bare name is
// looked up, never a path.
TEST(Modules, AnUnregisteredLibraryIsTheSharedLibraryOfItsPlatformName) {
    EXPECT_EQ(SharedLibraryName("IForce.DLL"), "libiforce.so");
    EXPECT_EQ(SharedLibraryName("vendor"), "libvendor.so");
    for (const char* path : {"../c.dll", "lib/c.dll", "C:\\lib\\c.dll"})
        EXPECT_FALSE(LoadLibrary(path)) << path;
    EXPECT_FALSE(LoadLibrary("no-such-library-at-all.dll"));
}

}  // namespace
