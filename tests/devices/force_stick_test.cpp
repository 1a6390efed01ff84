// The force-feedback stick on the headless machine: opening the device, the effects' units and
// clamps, the standard effects and their cap, releasing, and the library stick over a recording
// library.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "devices/force_feedback_support.h"
#include "force_fixture.h"

namespace {

using namespace devices;
using devicestest::ForceFixture;

using SupportLayer = ForceFixture;

TEST_F(SupportLayer, OpeningFailsCleanlyWithoutAForceFeedbackStick) {
    Plug(false, "Plain Stick");
    win::IDirectInput* input = reinterpret_cast<win::IDirectInput*>(1);
    win::IDirectInputDevice2* device = reinterpret_cast<win::IDirectInputDevice2*>(1);
    EXPECT_EQ(OpenForceFeedbackJoystick(win::HWND{1}, win::HINSTANCE{1}, &input, &device, 9),
              static_cast<win::HRESULT>(0x80040154u));
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(OpenForceFeedbackJoystick(win::HWND{}, win::HINSTANCE{1}, &input, &device, 9),
              win::E_INVALIDARG);

    Plug(true);
    win::theDirectInputFaults.acquireFails = true;
    EXPECT_EQ(OpenForceFeedbackJoystick(win::HWND{1}, win::HINSTANCE{1}, &input, &device, 9),
              win::DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(device, nullptr);
    win::theDirectInputFaults = win::DirectInputFaults{};
    win::theDirectInputFaults.queryInterfaceFails = true;
    EXPECT_EQ(OpenForceFeedbackJoystick(win::HWND{1}, win::HINSTANCE{1}, &input, &device, 9),
              win::E_NOINTERFACE);
    EXPECT_EQ(input, nullptr);
    // The fixture checks that nothing obtained on the way was left behind.
}

TEST_F(SupportLayer, CreatorsBuildTheRecordsTheDeviceExpects) {
    Plug(true);
    win::IDirectInput* input = nullptr;
    win::IDirectInputDevice2* device = nullptr;
    ASSERT_EQ(OpenForceFeedbackJoystick(win::HWND{1}, win::HINSTANCE{1}, &input, &device, 9), 0);
    EXPECT_EQ(Lines(), std::vector<std::string>{"haptic: autocenter 0"})
        << "the device's own centring is off";
    const auto axesOf = [](win::IDirectInputEffect* e) {
        std::uint32_t axes[3] = {};
        win::DICONDITION c[2];
        win::DIEFFECT p;
        p.cAxes = 3;
        p.rgdwAxes = axes;
        p.cbTypeSpecificParams = sizeof c;
        p.lpvTypeSpecificParams = c;
        e->GetParameters(&p, win::DIEP_AXES | win::DIEP_TYPESPECIFICPARAMS);
        return std::pair{p.cAxes, p.cbTypeSpecificParams};
    };
    win::IDirectInputEffect *xOnly = nullptr, *neither = nullptr, *wave = nullptr, *none = nullptr;
    ASSERT_EQ(CreateSpringEffectObject(device, &xOnly, win::INFINITE, 5000, 0, 0, 0, -1), 0);
    ASSERT_EQ(CreateSpringEffectObject(device, &neither, win::INFINITE, 0, 0, 0, 0, -1), 0);
    EXPECT_EQ(axesOf(xOnly), (std::pair<std::uint32_t, std::uint32_t>{1, 24}));
    EXPECT_EQ(axesOf(neither), (std::pair<std::uint32_t, std::uint32_t>{2, 48}));
    ASSERT_EQ(CreatePeriodicEffectObject(device, &wave, 2, win::INFINITE, 100000, 0, 10000, 0, 0,
                                         0, 0, 0, -1),
              0);
    none = reinterpret_cast<win::IDirectInputEffect*>(1);
    EXPECT_LT(CreatePeriodicEffectObject(device, &none, 9, win::INFINITE, 100000, 0, 10000, 0, 0,
                                         0, 0, 0, -1),
              0);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(CreatePeriodicEffectObject(device, &none, 3, win::INFINITE, 100000, 0, 10000, 0, 0,
                                         0, 0, 0, -1),
              win::DIERR_UNSUPPORTED)
        << "no square waves here";
    EXPECT_EQ(CreateConditionEffectObject(device, &none, 15, win::INFINITE, 1, 0, 1, 0, -1),
              win::E_INVALIDARG);
    EXPECT_EQ(CreateROMEffectObject(device, &none, kBuffetingEffectGuid, win::INFINITE, 10000, 0,
                                    -1),
              win::DIERR_DEVICENOTREG);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "haptic: new 0 spring right=16383,0 left=16383,0 center=0,0 "
                           "deadband=0,0 length=inf",
                           "haptic: new 1 spring right=0,0 left=0,0 center=0,0 deadband=0,0 "
                           "length=inf",
                           "haptic: new 2 sine dir=0 period=100 magnitude=32767 offset=0 "
                           "phase=9000 length=inf"}));
    EXPECT_EQ(ReleaseDeviceEffect(device, xOnly), 0);
    EXPECT_EQ(ReleaseDeviceEffect(device, nullptr), 0);  // every other one
    EXPECT_EQ(Lines(), (std::vector<std::string>{"haptic: destroy 0", "haptic: destroy 1",
                                                  "haptic: destroy 2"}));
    EXPECT_EQ(ReleaseAllEffects(nullptr), win::E_INVALIDARG);
    device->Release();
    input->Release();
}

TEST(ForceFeedbackErrorNames, KnownCodesByNameOthersInHexadecimal) {
    const struct {
        win::HRESULT code;
        const char* name;
    } cases[] = {
        {win::DIERR_DEVICEFULL, "DIERR_DEVICEFULL"},
        {static_cast<win::HRESULT>(0x80040154u), "DIERR_DEVICENOTREG"},
        {win::DIERR_OTHERAPPHASPRIO,
         "E_ACCESSDENIED: DIERR_OTHERAPPHASPRIO, DIERR_READONLY, DIERR_HANDLEEXISTS"},
        {win::DIERR_OLDDIRECTINPUTVERSION, "DIERR_OLDDIRECTINPUTVERSION"},
        {1, "S_FALSE"},
        {0x40506, "SFERR_END_OF_LIST"},
        {static_cast<win::HRESULT>(0x8765ABCDu), "8765abcd"},
        {0, "0"},
    };
    for (const auto& c : cases) {
        std::string name = "unchanged";
        ForceFeedbackErrorName(c.code, &name);
        EXPECT_EQ(name, c.name);
    }
    ForceFeedbackErrorName(win::DIERR_GENERIC, nullptr);  // nothing to write into
}

using Effects = ForceFixture;

TEST_F(Effects, UnitsAndClampsOfTheSetters) {
    Plug(true);
    Start();
    auto* jolt = static_cast<FFConstantForceEffect*>(theForceEffects[kJoltEffect].get());
    auto* wave = static_cast<FFPeriodicEffect*>(theForceEffects[kYVibrationEffect].get());
    const auto deviceJolt = [&] { return Device().effects.at(1).effect; };
    const auto deviceWave = [&] { return Device().effects.at(6).effect; };

    wave->SetFrequency(3);
    EXPECT_EQ(wave->periodic.dwPeriod, 333333u);
    EXPECT_EQ(deviceWave().period, 333);
    wave->SetFrequency(10);
    EXPECT_EQ(wave->periodic.dwPeriod, 100000u);
    // The strength of a wave is its magnitude, not the gain the device gets.
    wave->SetStrength(50);
    EXPECT_EQ(wave->periodic.dwMagnitude, 5000u);
    EXPECT_EQ(deviceWave().magnitude, 16383);
    wave->SetOffset(-250);
    EXPECT_EQ(wave->periodic.lOffset, -10000);
    wave->SetPhase(-90);
    EXPECT_EQ(wave->periodic.dwPhase, 27000u);

    jolt->SetMagnitude(-120);
    EXPECT_EQ(jolt->constant.lMagnitude, -10000);
    EXPECT_EQ(deviceJolt().level, -32767);
    const struct {
        int percent;
        int gain;
    } strengths[] = {{0, 1}, {150, 10000}, {-5, 1}, {37, 3700}};
    for (const auto& s : strengths) {
        jolt->SetStrength(s.percent);
        EXPECT_EQ(jolt->GetStrength(), s.gain) << s.percent;
    }
    jolt->SetStrength(50);
    EXPECT_EQ(deviceJolt().level, -16383) << "the gain is folded into the level";
    const struct {
        int degrees;
        int hundredths;
    } directions[] = {{400, 36000}, {-90, 27000}, {-720, 0}, {359, 35900}};
    for (const auto& d : directions) {
        jolt->SetDirection(d.degrees);
        EXPECT_EQ(jolt->GetDirection(), d.hundredths) << d.degrees;
    }
    jolt->SetDuration(25000);
    EXPECT_EQ(jolt->GetDuration(), 2500000u);
    EXPECT_EQ(deviceJolt().length, 2500u);
    jolt->SetDuration(-1);
    EXPECT_EQ(jolt->GetDuration(), win::INFINITE);

    Stick().centering->SetXStiffness(-30);
    EXPECT_EQ(Stick().centering->conditions[0].lPositiveCoefficient, -3000);
    EXPECT_EQ(Stick().centering->conditions[0].lNegativeCoefficient, -3000);
    EXPECT_EQ(Device().effects.at(0).effect.right[0], -9830);
}

TEST_F(Effects, AZeroFrequencyStopsTheWaveInsteadOfDividing) {
    Plug(true);
    Start();
    auto* wave = static_cast<FFPeriodicEffect*>(theForceEffects[kXVibrationEffect].get());
    ASSERT_TRUE(wave->Start());
    ASSERT_TRUE(wave->IsPlaying());
    wave->SetFrequency(0);
    EXPECT_FALSE(wave->IsPlaying());
    EXPECT_EQ(wave->periodic.dwPeriod, 100000u) << "the period is kept";
    wave->SetFrequency(-4);
    EXPECT_EQ(Device().effects.at(5).effect.period, 100);
}

using StickTest = ForceFixture;

TEST_F(StickTest, StartingMakesTheSpringAndTheStandardEffectsOnce) {
    Plug(true);
    SetForceFeedbackWindow(win::HWND{1});
    ASSERT_TRUE(InitForceFeedback());
    const std::vector<std::string> expected = {
        "haptic: autocenter 0",
        "haptic: new 0 spring right=16383,16383 left=16383,16383 center=0,0 deadband=0,0 "
        "length=inf",
        "haptic: run 0",
        "haptic: unpause",
        "haptic: new 1 constant dir=0 level=32767 length=inf",
        "haptic: new 2 constant dir=0 level=32767 length=inf",
        "haptic: new 3 constant dir=27000 level=32767 length=inf",
        "haptic: new 4 constant dir=18000 level=32767 length=inf",
        "haptic: new 5 sine dir=27000 period=100 magnitude=32767 offset=0 phase=0 length=inf",
        "haptic: new 6 sine dir=18000 period=100 magnitude=32767 offset=0 phase=0 length=inf",
        "haptic: unpause"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(theForceActuatorsOn, 1);
    // The device-stored buffeting does not exist here: a no-op effect, still counted.
    ASSERT_NE(theForceEffects[kBuffetEffect], nullptr);
    EXPECT_EQ(theForceEffects[kBuffetEffect]->effect, nullptr);
    theForceEffects[kBuffetEffect]->SetStrength(80);
    theForceEffects[kBuffetEffect]->Start();
    EXPECT_EQ(theForceEffects[kBuffetEffect]->GetStrength(), 0);
    EXPECT_EQ(Stick().effectCount, 7u);
    EXPECT_TRUE(InitForceFeedback());
    EXPECT_TRUE(Lines().empty()) << "a second start makes nothing";
    EXPECT_TRUE(Stick().IsForceActive());
}

TEST_F(StickTest, TenEffectsAtMostAndSlotsOutsideTheRangeDoNothing) {
    Plug(true);
    Start();
    FFDirectInputStick& stick = Stick();
    stick.StartEffect(0, 50, 90, 0);
    stick.StartEffect(1, 50, 90, 5);
    stick.StartEffect(1, 60, 90, 5);  // the old one goes first
    EXPECT_EQ(stick.effectCount, 9u);
    stick.StartEffect(16, 50, 0, 0);
    stick.StartEffect(-1, 50, 0, 0);
    stick.SetStickForce(40, 0);
    EXPECT_EQ(stick.effectCount, 10u);
    const std::size_t lines = Lines().size();
    EXPECT_EQ(lines, 6u);  // two news, a destroy, a new, the stick force's new and run
    stick.StartEffect(2, 50, 0, 0);
    EXPECT_EQ(stick.slots[2], nullptr) << "the eleventh effect";
    EXPECT_EQ(stick.CreatePeriodicEffect(1, -1, 5, 0, 50, 0, 0, 0, 0, 0, -1), nullptr);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Device().effects.at(8).effect.button, 2) << "slot 1 plays while button 1 is held";
    stick.StopEffect(1);
    EXPECT_EQ(stick.effectCount, 9u);
    stick.SetStickForce(-60, 45);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "haptic: destroy 8",
                           "haptic: update 9 constant dir=0 level=-19660 length=inf",
                           "haptic: update 9 constant dir=4500 level=-19660 length=inf"}));
}

TEST_F(StickTest, CentringIsRestoredAndSetOnOneAxisOrBoth) {
    Plug(true);
    Start();
    FFDirectInputStick& stick = Stick();
    stick.SetCenterStiffness(2, 80);
    stick.SetCenterOffset(0, -20);
    stick.SetCenterOffset(2, 70);  // no such axis for an offset
    EXPECT_EQ(stick.GetCenterStiffness(0), 8000);
    EXPECT_EQ(stick.GetCenterStiffness(1), 8000);
    EXPECT_EQ(stick.GetCenterOffset(0), -2000);
    EXPECT_EQ(stick.GetCenterOffset(1), 0);
    EXPECT_EQ(stick.GetCenterOffset(2), 0);
    stick.RestoreCentering(2);
    EXPECT_EQ(stick.GetCenterStiffness(0), 5000);
    EXPECT_EQ(stick.GetCenterStiffness(1), 5000);
    EXPECT_EQ(stick.GetCenterOffset(0), 0);
    EXPECT_EQ(Device().effects.at(0).effect.right, (std::array<std::int16_t, 2>{16383, 16383}));
}

TEST_F(StickTest, ADeviceThatRefusesEverythingStillGivesAStickThatDoesNothing) {
    Plug(true);
    machine.Forces().SetFeatures(platform::kHapticAll & ~platform::kHapticAllTypes);
    Start();
    FFDirectInputStick& stick = Stick();
    EXPECT_EQ(stick.centering->effect, nullptr) << "no spring: the centring is silently absent";
    for (int i = 0; i < 20; ++i)
        stick.StartEffect(3, 50, 0, i % 2);
    EXPECT_EQ(stick.effectCount, 8u) << "a refused effect gives its count back when it goes";
    stick.SetCenterStiffness(2, 100);
    JoltStick(0, 100, 1);
    theForceActuatorsOn = 1;
    SetStickXYForce(0.5f, 0.5f);
    EXPECT_EQ(Device().effects.size(), 0u);
}

TEST_F(StickTest, ReleasingLetsGoOfEveryEffectAndTheDevice) {
    Plug(true);
    Start();
    Stick().StartEffect(0, 50, 0, 0);
    Lines();
    ForceActuatorsOff();
    EXPECT_EQ(theForceActuatorsOn, 0);
    ReleaseForceFeedback(true);
    EXPECT_EQ(theForceStick, nullptr);
    EXPECT_EQ(theForceFeedbackMode, kForceFeedbackNone);
    for (const auto& e : theForceEffects)
        EXPECT_EQ(e, nullptr);
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "haptic: pause");
    EXPECT_EQ(lines[1], "haptic: unpause") << "the actuators stay on and the stick centred";
    int destroyed = 0;
    for (const std::string& l : lines)
        destroyed += l.rfind("haptic: destroy ", 0) == 0;
    EXPECT_EQ(destroyed, 8) << "the spring, six standard effects and the slot";
    EXPECT_EQ(machine.Forces().OpenDevices(), 0);
    ReleaseForceFeedback(true);  // nothing left to release
}

// ---- the library stick over a recording library ----------------------------------------------

std::vector<std::string> theCalls;
int theWorkingPort = 1;
int thePort = 0;

std::string Args(std::initializer_list<std::int32_t> v) {
    std::string s;
    for (std::int32_t a : v)
        s += (s.empty() ? "" : ",") + std::to_string(a);
    return s;
}
template <int N>
std::int32_t Log0() {
    theCalls.push_back(std::string(kStickEntryNames[N]) + "()");
    return 1;
}
template <int N>
std::int32_t Log1(std::int32_t a) {
    theCalls.push_back(std::string(kStickEntryNames[N]) + "(" + Args({a}) + ")");
    if (N == kSetJoystickPort) thePort = a;
    return 1;
}
template <int N>
std::int32_t Log2(std::int32_t a, std::int32_t b) {
    theCalls.push_back(std::string(kStickEntryNames[N]) + "(" + Args({a, b}) + ")");
    return 1;
}
template <int N>
std::int32_t Log3(std::int32_t a, std::int32_t b, std::int32_t c) {
    theCalls.push_back(std::string(kStickEntryNames[N]) + "(" + Args({a, b, c}) + ")");
    return 1;
}
std::int32_t ButtonReflexJolt(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                              std::int32_t e) {
    theCalls.push_back("_ButtonReflexJolt(" + Args({a, b, c, d, e}) + ")");
    return 1;
}
std::int32_t InitStick(void* info) {
    theCalls.push_back(info != nullptr ? "_InitStick(info)" : "_InitStick(null)");
    return thePort == theWorkingPort ? 1 : 0;
}
std::int32_t GetStickStatus(std::uint32_t* status) {
    *status = 0x00000107;  // forces active, and the third bit
    return 1;
}
void NeverCalled() {
    theCalls.push_back("an entry the program never calls");
}

// The library's exports, all 28 unless `without` names one to leave out.
void RegisterLibrary(int without = -1) {
    const auto p = [](auto f) { return reinterpret_cast<win::FARPROC>(f); };
    std::array<win::FARPROC, kStickEntries> f{};
    f[kInitStick] = p(&InitStick);
    f[kGetStickStatus] = p(&GetStickStatus);
    f[kEcho] = f[kGetStickError] = f[kEnablePositionReporting] = f[kDisablePositionReporting] =
        f[kGetStickPosition] = p(&NeverCalled);
    f[kEnableForces] = p(&Log0<kEnableForces>);
    f[kDisableForces] = p(&Log0<kDisableForces>);
    f[kClearForces] = p(&Log0<kClearForces>);
    f[kCloseStick] = p(&Log0<kCloseStick>);
    f[kSetJoystickPort] = p(&Log1<kSetJoystickPort>);
    f[kJolt] = p(&Log3<kJolt>);
    f[kButtonReflexJolt] = p(&ButtonReflexJolt);
    f[kButtonReflexClear] = p(&Log1<kButtonReflexClear>);
    f[kXVibration] = p(&Log3<kXVibration>);
    f[kXVibrationClear] = p(&Log0<kXVibrationClear>);
    f[kYVibration] = p(&Log3<kYVibration>);
    f[kYVibrationClear] = p(&Log0<kYVibrationClear>);
    f[kBuffeting] = p(&Log1<kBuffeting>);
    f[kBuffetingClear] = p(&Log0<kBuffetingClear>);
    f[kVectorForce] = p(&Log2<kVectorForce>);
    f[kVectorForceClear] = p(&Log0<kVectorForceClear>);
    f[kXYVectorForce] = p(&Log2<kXYVectorForce>);
    f[kXSpring] = p(&Log3<kXSpring>);
    f[kXSpringClear] = p(&Log0<kXSpringClear>);
    f[kYSpring] = p(&Log3<kYSpring>);
    f[kYSpringClear] = p(&Log0<kYSpringClear>);
    std::vector<win::ModuleExport> exports;
    for (int i = 0; i < kStickEntries; ++i)
        if (i != without) exports.push_back({kStickEntryNames[static_cast<std::size_t>(i)], f[static_cast<std::size_t>(i)]});
    win::RegisterModule("IFORCE.DLL", std::move(exports));
}

class LibraryStickTest : public ForceFixture {
protected:
    void SetUp() override {
        ForceFixture::SetUp();
        theCalls.clear();
        theWorkingPort = 1;
        thePort = 0;
        Plug(false, "Plain Stick");  // no input-device stick: the library is tried
        SetForceFeedbackWindow(win::HWND{1});
    }
    std::vector<std::string> Calls() {
        std::vector<std::string> c = theCalls;
        theCalls.clear();
        return c;
    }
    FFLibraryStick& Lib() { return static_cast<FFLibraryStick&>(*theForceStick); }
};

TEST_F(LibraryStickTest, StartsOnPortOneWithItsSpringsAndForcesOn) {
    RegisterLibrary();
    ASSERT_TRUE(InitForceFeedback());
    EXPECT_EQ(theForceFeedbackMode, kForceFeedbackLibrary);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"_SetJoystickPort(1)", "_InitStick(info)",
                                                  "_XSpring(0,0,0)", "_YSpring(0,0,0)",
                                                  "_EnableForces()"}));
    FFLibraryStick& stick = Lib();
    EXPECT_EQ(stick.strength, 0);
    EXPECT_TRUE(stick.IsForceActive());
    EXPECT_TRUE(stick.QueryDeviceFlag());
    EXPECT_EQ(GetLibraryStickStatusByte(1), 1);
    EXPECT_EQ(GetLibraryStickStatusByte(4), 0);

    // Half the stiffness goes to the library; what it reads back is twice that.
    const struct {
        int percent;
        const char* call;
        int back;
    } stiffness[] = {{66, "_XSpring(0,33,33)", 66}, {67, "_XSpring(0,33,33)", 66},
                     {-40, "_XSpring(0,0,0)", 0},   {150, "_XSpring(0,50,50)", 100}};
    for (const auto& s : stiffness) {
        stick.SetCenterStiffness(0, s.percent);
        EXPECT_EQ(Calls(), std::vector<std::string>{s.call}) << s.percent;
        EXPECT_EQ(stick.GetCenterStiffness(0), s.back) << s.percent;
    }
    stick.SetCenterOffset(1, -130);
    stick.SetCenterStiffness(2, 20);
    stick.RestoreCentering(2);
    stick.StartEffect(4, 60, 90, 3);
    stick.StartEffect(5, 60, 90, 0);
    stick.StopEffect(4);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "_YSpring(-100,0,0)", "_XSpring(0,10,10)", "_YSpring(-100,10,10)",
                           "_XSpring(0,0,0)", "_YSpring(0,0,0)",
                           "_ButtonReflexJolt(4,60,90,166,333)", "_ButtonReflexJolt(5,60,90,0,0)",
                           "_ButtonReflexClear(4)"}));

    // The triggers speak the library's terms.
    StartYVibration(0.49931f, 0.50069f, 3.0069f);
    SetStickXYForce(1.5f, -2.0f);
    JoltStick(-90, 4000, 0.5f);
    StartXVibration(0.2f, 0.4f, 0.0f);
    SetStickVectorForce(30, 2.0f);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"_YVibration(49,50,3)", "_XYVectorForce(100,-100)",
                                                  "_Jolt(50,270,2500)", "_XVibrationClear()",
                                                  "_VectorForce(100,30)"}));

    EXPECT_FALSE(ReleaseStickLibrary()) << "a stick is alive";
    EXPECT_EQ(theStickLibraryLoaded, 1);
    ReleaseForceFeedback(true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"_ClearForces()", "_XSpring(0,0,0)",
                                                  "_YSpring(0,0,0)"}));
    EXPECT_EQ(theStickLibraryLoaded, 0) << "released with the last stick";
    EXPECT_EQ(theLibraryStickCount, 0);
}

TEST_F(LibraryStickTest, PortTwoWhenPortOneDoesNotAnswer) {
    RegisterLibrary();
    theWorkingPort = 2;
    ASSERT_TRUE(InitForceFeedback());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"_SetJoystickPort(1)", "_InitStick(info)",
                                                  "_CloseStick()", "_SetJoystickPort(2)",
                                                  "_InitStick(info)", "_XSpring(0,0,0)",
                                                  "_YSpring(0,0,0)", "_EnableForces()"}));
    EXPECT_EQ(theLibraryStickCount, 1);
    ReleaseForceFeedback(true);
    Calls();
    theWorkingPort = 3;
    EXPECT_FALSE(InitForceFeedback()) << "neither port";
    EXPECT_EQ(theForceStick, nullptr);
    EXPECT_EQ(theLibraryStickCount, 0);
}

TEST_F(LibraryStickTest, AMissingEntryPointLeavesTheLibraryUnboundAndUncalled) {
    EXPECT_FALSE(InitForceFeedback()) << "no library at all";
    RegisterLibrary(kYSpringClear);
    EXPECT_FALSE(InitForceFeedback());
    EXPECT_EQ(theStickLibraryLoaded, 0);
    EXPECT_NE(theStickLibrary.entries[kInitStick], nullptr) << "the ones found stay";
    EXPECT_EQ(theStickLibrary.entries[kYSpringClear], nullptr);
    EXPECT_TRUE(Calls().empty());
    // A stick made anyway (the library not bound) is not ready and calls nothing it must not.
    FFLibraryStick stick(1);
    EXPECT_FALSE(stick.Ready());
    stick.StartEffect(1, 50, 0, 5);
    stick.SetStickForce(50, 0);
    EXPECT_FALSE(stick.IsForceActive());
    EXPECT_TRUE(Calls().empty());
}

}  // namespace
