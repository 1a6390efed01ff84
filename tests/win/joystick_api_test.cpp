// The multimedia joystick calls over scripted sticks: capabilities, positions, buttons and hat as
// the interface reports them, and sticks that lack parts or go away.
#include "win/joystick.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "win/process.h"
#include "win/window.h"

namespace {

using namespace win;

class Sticks : public ::testing::Test {
protected:
    void SetUp() override { platform::SetCurrentBackend(&machine); }
    void TearDown() override { platform::SetCurrentBackend(nullptr); }
    int Plug(const char* name, int axes, int buttons, int hats) {
        platform::JoystickInfo info;
        info.name = name;
        info.axes = axes;
        info.buttons = buttons;
        info.hats = hats;
        return machine.Sticks().Plug(info);
    }
    platform::HeadlessBackend machine;
};

TEST_F(Sticks, CapabilitiesSayWhatTheStickHas) {
    const struct {
        int axes, buttons, hats;
        std::uint32_t caps, numAxes, numButtons;
    } cases[] = {
        {2, 4, 0, 0, 2, 4},
        {3, 8, 1, JOYCAPS_HASZ | JOYCAPS_HASPOV | JOYCAPS_POV4DIR | JOYCAPS_POVCTS, 3, 8},
        {4, 12, 0, JOYCAPS_HASZ | JOYCAPS_HASR, 4, 12},
        {8, 40, 2, 0x7F, 6, 32},  // more than the interface counts
        {0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        machine.Sticks().Unplug(0);
        Plug("Flight Stick Pro", c.axes, c.buttons, c.hats);
        JOYCAPS caps;
        ASSERT_EQ(joyGetDevCaps(0, &caps, kJoyCapsSize), JOYERR_NOERROR);
        EXPECT_EQ(caps.wCaps, c.caps) << c.axes << " axes";
        EXPECT_EQ(caps.wNumAxes, c.numAxes);
        EXPECT_EQ(caps.wNumButtons, c.numButtons);
        EXPECT_EQ(caps.wXmin, 0u);
        EXPECT_EQ(caps.wXmax, 65535u);
        EXPECT_EQ(caps.wZmax, 65535u);
        EXPECT_STREQ(caps.szPname, "Flight Stick Pro");
    }
    JOYCAPS caps;
    EXPECT_EQ(joyGetDevCaps(0, &caps, 100), MMSYSERR_INVALPARAM);
    EXPECT_EQ(joyGetDevCaps(1, &caps, kJoyCapsSize), JOYERR_UNPLUGGED);
    EXPECT_EQ(joyGetDevCaps(16, &caps, kJoyCapsSize), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(joyGetNumDevs(), kJoystickSlots);
}

TEST_F(Sticks, PositionsButtonsAndHatAsTheInterfaceReportsThem) {
    Plug("Pad", 4, 6, 1);
    platform::HeadlessJoysticks& s = machine.Sticks();
    s.SetAxis(0, 0, -32768);
    s.SetAxis(0, 1, 32767);
    s.SetAxis(0, 2, 20478);
    s.SetButton(0, 1, true);
    s.SetButton(0, 6, true);
    JOYINFOEX info;
    info.dwFlags = JOY_RETURNALL;
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, 0u);
    EXPECT_EQ(info.dwYpos, 65535u);
    EXPECT_EQ(info.dwZpos, 53246u);
    EXPECT_EQ(info.dwRpos, 32768u);
    EXPECT_EQ(info.dwUpos, 32768u);  // an axis the stick lacks reads centred
    EXPECT_EQ(info.dwButtons, 0x21u);
    EXPECT_EQ(info.dwButtonNumber, 2u);
    EXPECT_EQ(info.dwPOV, JOY_POVCENTERED);
    const struct {
        std::uint8_t bits;
        std::uint32_t pov;
    } hats[] = {{platform::kHatUp, 0},
                {platform::kHatUp | platform::kHatRight, 4500},
                {platform::kHatRight, 9000},
                {platform::kHatDown | platform::kHatRight, 13500},
                {platform::kHatDown, 18000},
                {platform::kHatDown | platform::kHatLeft, 22500},
                {platform::kHatLeft, 27000},
                {platform::kHatUp | platform::kHatLeft, 31500},
                {platform::kHatUp | platform::kHatDown, JOY_POVCENTERED}};
    for (const auto& h : hats) {
        s.SetHat(0, 0, h.bits);
        ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
        EXPECT_EQ(info.dwPOV, h.pov);
    }
    // Only what was asked for is filled.
    JOYINFOEX some;
    some.dwFlags = JOY_RETURNX;
    some.dwYpos = 7;
    ASSERT_EQ(joyGetPosEx(0, &some), JOYERR_NOERROR);
    EXPECT_EQ(some.dwYpos, 7u);
    JOYINFOEX wrongSize;
    wrongSize.dwSize = 40;
    EXPECT_EQ(joyGetPosEx(0, &wrongSize), MMSYSERR_INVALPARAM);
}

TEST_F(Sticks, AnUnpluggedStickFailsAndArrivalsAreCounted) {
    const std::uint32_t before = JoystickArrivals();
    Plug("Stick", 3, 4, 0);
    JOYINFOEX info;
    info.dwFlags = JOY_RETURNALL;
    EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    machine.Sticks().Unplug(0);
    EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_UNPLUGGED);
    std::string name;
    EXPECT_FALSE(GetJoystickProductName(0, &name));
    // The arrival is counted when the queue hands it over.
    platform::Event e;
    e.kind = platform::EventKind::JoystickAdded;
    machine.Input().Inject(e);
    MSG m;
    PeekMessage(&m, HWND{}, 0, 0, PM_REMOVE);
    EXPECT_EQ(JoystickArrivals(), before + 1);
}

TEST(Process, OnlyTheControlPanelsRun) {
    const std::uint32_t before = WinExecCount();
    EXPECT_GT(WinExec("control joy.cpl", 1), 31u);
    EXPECT_EQ(WinExec("notepad.exe readme.txt", 1), ERROR_FILE_NOT_FOUND_EXEC);
    EXPECT_EQ(WinExec(nullptr, 1), ERROR_FILE_NOT_FOUND_EXEC);
    EXPECT_EQ(WinExecCount(), before + 1);
}

}  // namespace
