// The holders of video windows: sound effects are shut down for exactly as long as a video
// window exists, a second video closes the first, a sequence plays in one window, the dialog
// player sits on its placeholder (or the bottom-right corner), and a refused file is told to the
// user while the end notification still comes and sound comes back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "devices/sound_device.h"
#include "sim/sim_world.h"
#include "support/temp_folder.h"
#include "ui/video_windows.h"
#include "ui_test_support.h"
#include "win/avi_file.h"
#include "win/dsound.h"
#include "win/program_entry.h"
#include "win/video_window.h"

namespace {

using namespace win;

// A short clip of `frames` frames at 10 a second with sound.
std::vector<std::uint8_t> ClipBytes(int frames, std::uint8_t colour) {
    AviContents s;
    s.width = 32;
    s.height = 24;
    s.rate = 10;
    std::vector<std::uint8_t> picture(32 * 24, colour);
    for (int i = 0; i < frames; ++i) s.frames.push_back(EncodeRle8(picture.data(), i ? picture.data() : nullptr, 32, 24));
    s.soundRate = 11025;
    s.sound.assign(static_cast<std::size_t>(frames) * 1102, 0x90);
    return MakeAviImage(s);
}

class VideoHoldersTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        savedIni = core::theIniFile;
        core::theIniFile = core::IniFile(folder.Path("zephlon.ini").c_str());
        ResetDirectSoundStandIn();
        ASSERT_EQ(devices::InitSound(HWND{}), 1);
        main = CreateWindowEx(0, "#32770", "Main", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
        for (int i = 0; i < 3; ++i) {
            files.push_back(folder.Path("f0" + std::to_string(i) + ".avi"));
            const auto bytes = ClipBytes(3 + i, static_cast<std::uint8_t>(i));
            std::ofstream(files.back(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
    }
    void TearDown() override {
        ui::theMainVideoWindow.OnPlayStopped(main);
        ui::theVideoPlayer.CloseAndRestore();
        devices::ShutdownSound();
        sim::theSimWorld.SetVideoPlaying(0);
        core::theIniFile = savedIni;
        DialogTest::TearDown();
    }
    // Machine time passes; the main window's stop notifications go to the main video holder.
    void Run(std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms; t += 5) {
            machine.Time().Advance(5);
            MSG m;
            while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
                if (m.message == MCIWNDM_NOTIFYMODE && m.hwnd == main) {
                    if (m.lParam == static_cast<LParam>(MCI_MODE_STOP)) ui::theMainVideoWindow.OnPlayStopped(main);
                    continue;
                }
                DispatchMessage(&m);
            }
        }
    }
    // The sound effects are closed exactly while a holder keeps a window, and so is the picture.
    void ExpectSoundHeldWhile(bool windowExists) {
        EXPECT_EQ(devices::IsSoundOpen(), !windowExists);
        EXPECT_EQ(sim::theSimWorld.IsVideoPlaying(), windowExists);
        EXPECT_EQ(ui::VideoSoundHolds(), windowExists ? 1 : 0);
    }

    testsupport::TempFolder folder;
    core::IniFile savedIni;
    HWND main;
    std::vector<std::string> files;
};

TEST_F(VideoHoldersTest, SoundIsShutDownExactlyWhileAWindowExistsAndASecondVideoClosesTheFirst) {
    ExpectSoundHeldWhile(false);
    ui::theMainVideoWindow.Play(main, {}, files[0]);
    const HWND first = ui::theMainVideoWindow.window;
    ASSERT_TRUE(IsWindow(first));
    ExpectSoundHeldWhile(true);
    ui::theMainVideoWindow.PlayPopup(main, {}, files[1]);
    const HWND second = ui::theMainVideoWindow.window;
    EXPECT_FALSE(IsWindow(first));
    ASSERT_TRUE(IsWindow(second));
    EXPECT_TRUE(IsZoomed(second));
    ExpectSoundHeldWhile(true);
    Run(700);  // 0.4 s of clip: the stop notification closes it
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(ui::theMainVideoWindow.window);
    ExpectSoundHeldWhile(false);
}

TEST_F(VideoHoldersTest, ASequenceReusesOneWindowWithoutReopeningSound) {
    ui::theMainVideoWindow.PlaySequence(main, {}, files);
    const HWND w = ui::theMainVideoWindow.window;
    ASSERT_TRUE(w);
    std::vector<std::string> played;
    SetTraceSink([&](std::string_view line) {
        if (line.rfind("video play ", 0) == 0) played.emplace_back(line.substr(11));
        // Between the files the effects stay closed.
        EXPECT_FALSE(devices::IsSoundOpen());
    });
    for (int k = 0; k < 4 && ui::theVideoSequenceRunning; ++k) {
        Run(300);
        if (ui::theMainVideoWindow.window) {
            EXPECT_EQ(ui::theMainVideoWindow.window, w);
        }
    }
    Run(800);
    SetTraceSink(nullptr);
    EXPECT_EQ(played, (std::vector<std::string>{files[1], files[2]}));
    EXPECT_FALSE(IsWindow(w));
    ExpectSoundHeldWhile(false);
}

TEST_F(VideoHoldersTest, DialogPlayerSitsOnItsPlaceholderOrInTheCorner) {
    const HWND dialog = CreateWindowEx(0, "#32770", "Ground", WS_POPUP | WS_VISIBLE, 50, 40, 500, 400, main, {}, {}, 0);
    const HWND spot = CreateWindowEx(0, "Static", "", WS_CHILD | WS_VISIBLE, 15, 21, 320, 240, dialog, HMENU{1900}, {}, 0);
    ASSERT_TRUE(ui::theVideoPlayer.CreateInDialogItem(dialog, 1900, -1));
    RECT r;
    GetWindowRect(ui::theVideoPlayer.window, &r);
    POINT at{r.left, r.top};
    ScreenToClient(dialog, &at);
    EXPECT_EQ(at.x, 15);
    EXPECT_EQ(at.y, 21);
    EXPECT_FALSE(IsWindowVisible(spot));
    ExpectSoundHeldWhile(true);
    ASSERT_EQ(ui::theVideoPlayer.Play(files[0]), 1);
    EXPECT_EQ(ui::theVideoPlayer.IsPlaying(), 1);
    EXPECT_TRUE(ui::theVideoPlayer.palette);
    Run(500);
    EXPECT_EQ(ui::theVideoPlayer.IsPlaying(), 0);
    ui::theVideoPlayer.CloseAndRestore();
    EXPECT_TRUE(IsWindowVisible(spot));
    ExpectSoundHeldWhile(false);

    // No such control, or no id at all (which the video window and unnamed texts share).
    for (const int missing : {4321, 0}) {
        ASSERT_TRUE(ui::theVideoPlayer.CreateInDialogItem(dialog, missing, -1));
        RECT c;
        GetClientRect(dialog, &c);
        GetWindowRect(ui::theVideoPlayer.window, &r);
        at = POINT{r.left, r.top};
        ScreenToClient(dialog, &at);
        EXPECT_EQ(at.x, c.right - 320) << missing;
        EXPECT_EQ(at.y, c.bottom - 240) << missing;
        EXPECT_TRUE(IsWindowVisible(ui::theVideoPlayer.window)) << missing;
        ui::theVideoPlayer.CloseAndRestore();
        ExpectSoundHeldWhile(false);
    }
}

TEST_F(VideoHoldersTest, ARefusedFileIsToldTheEndStillComesAndSoundReturns) {
    std::ofstream(folder.Path("bad.avi"), std::ios::binary) << "RIFF\x10\0\0\0AVI LIST";
    std::string told;
    Play({[&] {
        const HWND box = Dialog("Zephlon");
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetWindowText(c).find("Could not play") != std::string::npos) told = GetWindowText(c);
        Press(box, IDOK);
    }});
    ui::theMainVideoWindow.Play(main, {}, folder.Path("bad.avi"));
    ExpectSoundHeldWhile(true);
    Run(50);
    EXPECT_EQ(told, "Could not play the video " + folder.Path("bad.avi") + ".");
    EXPECT_FALSE(ui::theMainVideoWindow.window);
    ExpectSoundHeldWhile(false);
}

}  // namespace
