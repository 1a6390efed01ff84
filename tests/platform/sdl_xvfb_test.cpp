// The SDL machine on a real X server: the test starts Xvfb on a free display, shows a palette
// ramp, photographs the X screen with xwd and checks colours at fixed points; the same frame
// presented with a new colour table comes out recoloured; 32-bit frames show the rows their caller
// says changed; a window that changes size shows the whole of the latest frame. Skipped when Xvfb,
// xwd or convert is missing.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/backend.h"
#include "support/xvfb.h"

namespace {

using namespace platform;
using xvfb::At;
using xvfb::FindTool;
using xvfb::Photograph;

// Handles the window's events for `turns` turns of 20 ms.
void HandleEvents(Backend& sdl, int turns) {
    for (int i = 0; i < turns; ++i) {
        Event e;
        while (sdl.GetEvents().Poll(&e)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Presents a frame again and again, handling the window's events, until the window has
// appeared; false when a present fails.
template <class Present>
bool LetTheWindowAppear(Backend& sdl, Present&& present) {
    for (int i = 0; i < 20; ++i) {
        if (!present()) return false;
        HandleEvents(sdl, 1);
    }
    return true;
}

// The X screen a moment after a present, once the server has drawn it.
std::vector<unsigned char> LookSoon(const std::string& display, const std::string& convert) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return Photograph(display, convert);
}

void ShowRampAndRecolour(const std::string& display, const std::string& convert) {
    xvfb::UseDisplayForSdl(display);
    {
        std::unique_ptr<Backend> sdl = CreateSdlBackend();
        ASSERT_NE(sdl, nullptr);
        Video& video = sdl->GetVideo();
        ASSERT_TRUE(video.Open(VideoOptions{}));
        EXPECT_EQ(video.GetScreenSize().width, 640);

        std::vector<std::uint8_t> frame(kFrameWidth * kFrameHeight);
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x)
                frame[y * kFrameWidth + x] = static_cast<std::uint8_t>(x * 256 / kFrameWidth);
        Palette ramp{};
        for (int i = 0; i < 256; ++i)
            ramp[i] = static_cast<std::uint32_t>((i << 16) | ((255 - i) << 8));
        ASSERT_TRUE(LetTheWindowAppear(
            *sdl, [&] { return video.Present8(frame.data(), kFrameWidth, ramp); }));
        std::vector<unsigned char> shot = Photograph(display, convert);
        ASSERT_EQ(shot.size(), 640u * 480u * 3u);
        struct Probe {
            int x, y;
            std::uint32_t colour;
        };
        const Probe ramped[] = {{5, 240, 0x02FD00}, {320, 100, 0x807F00}, {636, 470, 0xFE0100}};
        for (const Probe& p : ramped)
            EXPECT_EQ(At(shot, p.x, p.y), p.colour) << p.x;

        Palette blue = ramp;
        blue[128] = 0x0000FF;
        ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, blue));
        shot = LookSoon(display, convert);
        ASSERT_EQ(shot.size(), 640u * 480u * 3u);
        EXPECT_EQ(At(shot, 320, 100), 0x0000FFu);
        EXPECT_EQ(At(shot, 321, 400), 0x0000FFu);  // the same column of index 128
        EXPECT_EQ(At(shot, 5, 240), 0x02FD00u);

        // A band of changed rows in the middle: the rows above and below it stay as they were.
        std::fill_n(&frame[200 * kFrameWidth], 10 * kFrameWidth, std::uint8_t{128});
        ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, blue));
        shot = LookSoon(display, convert);
        ASSERT_EQ(shot.size(), 640u * 480u * 3u);
        EXPECT_EQ(At(shot, 5, 205), 0x0000FFu);
        EXPECT_EQ(At(shot, 5, 199), 0x02FD00u);
        EXPECT_EQ(At(shot, 5, 210), 0x02FD00u);
        EXPECT_EQ(At(shot, 636, 470), 0xFE0100u);
        video.Close();
    }
}

// 32-bit frames with the caller's word on their rows: the rows said to differ reach the screen,
// a row said to be the same is not looked at, and a frame without the word is compared whole.
void ShowRowsOnTheCallersWord(const std::string& display, const std::string& convert) {
    xvfb::UseDisplayForSdl(display);
    std::unique_ptr<Backend> sdl = CreateSdlBackend();
    ASSERT_NE(sdl, nullptr);
    Video& video = sdl->GetVideo();
    ASSERT_TRUE(video.Open(VideoOptions{}));
    std::vector<std::uint32_t> frame(kFrameWidth * kFrameHeight, 0x00FF00u);
    ASSERT_TRUE(
        LetTheWindowAppear(*sdl, [&] { return video.Present32(frame.data(), kFrameWidth); }));
    std::vector<std::uint8_t> changed(kFrameHeight, 0);
    std::fill_n(&frame[200 * kFrameWidth], 10 * kFrameWidth, 0x0000FFu);
    std::fill_n(&changed[200], 10, std::uint8_t{1});
    std::fill_n(&frame[300 * kFrameWidth], kFrameWidth, 0xFF0000u);  // said to be the same
    ASSERT_TRUE(video.Present32(frame.data(), kFrameWidth, changed.data()));
    std::vector<unsigned char> shot = LookSoon(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    EXPECT_EQ(At(shot, 5, 205), 0x0000FFu);
    EXPECT_EQ(At(shot, 5, 199), 0x00FF00u);
    EXPECT_EQ(At(shot, 5, 300), 0x00FF00u);
    ASSERT_TRUE(video.Present32(frame.data(), kFrameWidth));
    shot = LookSoon(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    EXPECT_EQ(At(shot, 5, 300), 0xFF0000u);
    EXPECT_EQ(At(shot, 600, 209), 0x0000FFu);
    video.Close();
}

// A window shown one to one, then over a screen twice its size and back: after each change of
// size the next frame, even one with no row changed, shows whole, the rows changed before the
// change included.
void ShowWholeFramesAcrossSizes(const std::string& display, const std::string& convert) {
    constexpr int kScreenW = 2 * kFrameWidth, kScreenH = 2 * kFrameHeight;
    xvfb::UseDisplayForSdl(display);
    std::unique_ptr<Backend> sdl = CreateSdlBackend();
    ASSERT_NE(sdl, nullptr);
    Video& video = sdl->GetVideo();
    ASSERT_TRUE(video.Open(VideoOptions{}));
    Palette palette{};
    palette[10] = 0x00FF00;
    palette[100] = 0xFF0000;
    palette[200] = 0x0000FF;
    std::vector<std::uint8_t> frame(kFrameWidth * kFrameHeight, 10);
    auto present = [&] { return video.Present8(frame.data(), kFrameWidth, palette); };
    ASSERT_TRUE(LetTheWindowAppear(*sdl, present));
    // A band at one to one.
    std::fill_n(&frame[200 * kFrameWidth], 10 * kFrameWidth, std::uint8_t{200});
    ASSERT_TRUE(present());
    // Full screen: the frame twice its size, the band drawn before included.
    video.SetFullScreen(true);
    HandleEvents(*sdl, 10);
    ASSERT_TRUE(present());
    std::vector<unsigned char> shot = LookSoon(display, convert);
    ASSERT_EQ(shot.size(), std::size_t{kScreenW} * kScreenH * 3u);
    EXPECT_EQ(At(shot, 20, 2 * 205, kScreenW), 0x0000FFu);
    EXPECT_EQ(At(shot, 1200, 2 * 100, kScreenW), 0x00FF00u);
    EXPECT_EQ(At(shot, 1200, 2 * 400, kScreenW), 0x00FF00u);
    // A band while scaled, then back to one to one in the middle of the screen.
    std::fill_n(&frame[300 * kFrameWidth], 10 * kFrameWidth, std::uint8_t{100});
    ASSERT_TRUE(present());
    video.SetFullScreen(false);
    HandleEvents(*sdl, 10);
    ASSERT_TRUE(present());
    shot = LookSoon(display, convert);
    ASSERT_EQ(shot.size(), std::size_t{kScreenW} * kScreenH * 3u);
    const int left = (kScreenW - kFrameWidth) / 2, top = (kScreenH - kFrameHeight) / 2;
    EXPECT_EQ(At(shot, left + 5, top + 205, kScreenW), 0x0000FFu);
    EXPECT_EQ(At(shot, left + 600, top + 305, kScreenW), 0xFF0000u);
    EXPECT_EQ(At(shot, left + 5, top + 50, kScreenW), 0x00FF00u);
    EXPECT_EQ(At(shot, left + 600, top + 470, kScreenW), 0x00FF00u);
    video.Close();
}

// Runs `body(display, convert)` in a child on an X server of its own with `screen`; skipped
// without Xvfb, xwd or convert.
void RunOnXvfb(const std::string& screen,
               void (*body)(const std::string& display, const std::string& convert)) {
    const std::string convert = FindTool("convert");
    if (FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    xvfb::Server server(97, 160, screen);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    xvfb::ExpectPassesInChild([&] { body(server.Display(), convert); });
}

TEST(SdlVideoOnXvfb, ShowsThePaletteRampAndRecoloursIt) {
    RunOnXvfb("640x480x24", &ShowRampAndRecolour);
}

TEST(SdlVideoOnXvfb, Shows32BitRowsOnTheCallersWord) {
    RunOnXvfb("640x480x24", &ShowRowsOnTheCallersWord);
}

TEST(SdlVideoOnXvfb, ShowsWholeFramesAcrossSizes) {
    RunOnXvfb("1280x960x24", &ShowWholeFramesAcrossSizes);
}

}  // namespace
