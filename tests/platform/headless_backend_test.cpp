// The deterministic machine: its clock moves only when told, its audio keeps what it is fed,
// and the colour lookup table is rebuilt only when the colours change.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "platform/palette_lut.h"

namespace {

using namespace platform;

TEST(HeadlessClock, MovesOnlyWhenToldAndWrapsLikeTheSystemTimer) {
    HeadlessClock clock;
    EXPECT_EQ(clock.Milliseconds(), 0u);
    EXPECT_EQ(clock.Milliseconds(), 0u);
    clock.Advance(1500);
    clock.Sleep(500);  // the program's Sleep is virtual time too
    EXPECT_EQ(clock.Milliseconds(), 2000u);
    EXPECT_EQ(clock.Counter(), 2000000u);
    EXPECT_EQ(clock.CounterFrequency(), 1000000u);
    clock.SetMilliseconds(0xFFFFFFFFull - 5);
    const std::uint32_t before = clock.Milliseconds();
    clock.Advance(10);
    EXPECT_EQ(clock.Milliseconds(), 4u);
    EXPECT_EQ(clock.Milliseconds() - before, 10u);  // differences survive the wrap
}

TEST(HeadlessAudio, KeepsEverySampleItIsFed) {
    HeadlessAudio audio;
    const std::int16_t a[] = {1, -2, 3, -4};
    EXPECT_FALSE(audio.Feed(a, 4));  // not open
    EXPECT_FALSE(audio.Open(AudioFormat{22050, 3}));
    ASSERT_TRUE(audio.Open(AudioFormat{11025, 1}));
    EXPECT_TRUE(audio.Feed(a, 4));
    EXPECT_TRUE(audio.Feed(a + 2, 2));
    const std::vector<std::int16_t> expected = {1, -2, 3, -4, 3, -4};
    EXPECT_EQ(audio.Captured(), expected);
    EXPECT_EQ(audio.QueuedSamples(), 6u);
    EXPECT_EQ(audio.Format().rate, 11025);
}

TEST(HeadlessAudio, FollowsTheVirtualClockAndRecordsSilenceWhileClosed) {
    HeadlessBackend machine;
    HeadlessAudio& card = machine.Sound();
    EXPECT_EQ(card.FramesDue(), 0u);  // closed
    machine.Time().Advance(500);
    ASSERT_TRUE(card.Open(AudioFormat{11025, 2}));
    machine.Time().Advance(100);
    EXPECT_EQ(card.FramesDue(), 1102u);
    const std::vector<std::int16_t> loud(2 * 1102, 1000);
    ASSERT_TRUE(card.Feed(loud.data(), loud.size()));
    EXPECT_EQ(card.FramesDue(), 0u);
    card.Close();
    machine.Time().Advance(1000);
    EXPECT_EQ(card.Captured().size(), 2u * 12127);  // 1.1 s after the first open, silence after
    ASSERT_TRUE(card.Open(AudioFormat{11025, 2}));
    machine.Time().Advance(100);
    EXPECT_EQ(card.FramesDue(), 1103u);
    EXPECT_EQ(card.Captured()[2 * 1101], 1000);
    EXPECT_EQ(card.Captured()[2 * 1102], 0);
    // Another rate starts a capture of its own.
    ASSERT_TRUE(card.Open(AudioFormat{22050, 2}));
    EXPECT_TRUE(card.Captured().empty());
}

// A card told to keep nothing holds no samples however long it plays, yet keeps time: the
// sound it asks for and the silence of a pause follow the clock as before.
TEST(HeadlessAudio, WithoutKeepingItHoldsNothingAndKeepsTime) {
    HeadlessBackend machine;
    HeadlessAudio& card = machine.Sound();
    ASSERT_TRUE(card.Open(AudioFormat{11025, 2}));
    card.KeepCapture(false);
    for (int second = 0; second < 60; ++second) {
        machine.Time().Advance(1000);
        const std::vector<std::int16_t> played(2 * card.FramesDue(), 700);
        ASSERT_TRUE(card.Feed(played.data(), played.size()));
        EXPECT_EQ(card.FramesDue(), 0u);
    }
    card.Close();
    machine.Time().Advance(1000);
    EXPECT_TRUE(card.Captured().empty());
    ASSERT_TRUE(card.Open(AudioFormat{11025, 2}));
    machine.Time().Advance(100);
    EXPECT_EQ(card.FramesDue(), 1102u);  // 61.1 s after the first open: 673627 frames in all
    card.KeepCapture(true);
    const std::vector<std::int16_t> kept(2 * 1102, 5);
    ASSERT_TRUE(card.Feed(kept.data(), kept.size()));
    EXPECT_EQ(card.Captured(), kept);
}

TEST(HeadlessJoysticks, ScriptedSticksKeepTheirParts) {
    HeadlessJoysticks sticks;
    JoystickInfo info;
    info.name = "Yoke";
    info.axes = 2;
    info.buttons = 40;
    info.hats = 0;
    EXPECT_EQ(sticks.Plug(info), 0);
    EXPECT_TRUE(sticks.SetAxis(0, 1, -5));
    EXPECT_FALSE(sticks.SetAxis(0, 2, 5));      // no third axis
    EXPECT_FALSE(sticks.SetHat(0, 0, kHatUp));  // no hat
    EXPECT_TRUE(sticks.SetButton(0, 32, true));
    EXPECT_FALSE(sticks.SetButton(0, 33, true));  // the state holds 32
    JoystickState s;
    ASSERT_TRUE(sticks.Read(0, &s));
    EXPECT_EQ(s.axes[1], -5);
    EXPECT_EQ(s.buttons, 0x80000000u);
    EXPECT_TRUE(sticks.Unplug(0));
    EXPECT_FALSE(sticks.Read(0, &s));
    EXPECT_FALSE(sticks.Unplug(0));
}

TEST(HeadlessJoysticks, APressIsLetGoWhenItsTimeHasCome) {
    HeadlessBackend machine;
    JoystickInfo info;
    info.buttons = 4;
    machine.Sticks().Plug(info);
    ASSERT_TRUE(machine.Sticks().PressButton(0, 2, 100));
    JoystickState s;
    machine.Time().Advance(99);
    ASSERT_TRUE(machine.Sticks().Read(0, &s));
    EXPECT_EQ(s.buttons, 2u);
    machine.Time().Advance(1);
    ASSERT_TRUE(machine.Sticks().Read(0, &s));
    EXPECT_EQ(s.buttons, 0u);
    // Held down again by hand, it stays down.
    machine.Sticks().SetButton(0, 2, true);
    machine.Time().Advance(1000);
    ASSERT_TRUE(machine.Sticks().Read(0, &s));
    EXPECT_EQ(s.buttons, 2u);
}

TEST(PaletteLut, RebuildsOnlyWhenTheColoursChange) {
    PaletteLut lut;
    Palette p{};
    for (int i = 0; i < 256; ++i)
        p[i] = static_cast<std::uint32_t>(i * 0x010101);
    EXPECT_TRUE(lut.Update(p));
    EXPECT_FALSE(lut.Update(p));
    EXPECT_EQ(lut.Rebuilds(), 1u);
    EXPECT_EQ(lut.Table()[7], 0xFF070707u);
    p[7] = 0x123456;
    EXPECT_TRUE(lut.Update(p));
    EXPECT_EQ(lut.Table()[7], 0xFF123456u);
    EXPECT_EQ(lut.Pairs()[7 | (255 << 8)], 0xFFFFFFFFFF123456ull);  // the first pixel low

    const std::uint8_t src[2][3] = {{0, 7, 255}, {1, 2, 3}};
    std::uint32_t dst[2][4] = {};
    ConvertIndexed(&src[0][0], 3, lut, &dst[0][0], 4, 3, 2);
    EXPECT_EQ(dst[0][1], 0xFF123456u);
    EXPECT_EQ(dst[0][2], 0xFFFFFFFFu);
    EXPECT_EQ(dst[1][2], 0xFF030303u);
    EXPECT_EQ(dst[0][3], 0u);  // past the row's width: untouched
}

// Groups of 64 through wide registers where the processor has them, pairs of pixels a lookup
// for the rest: every width (round the groups of 8 and 64), offset and row step gives what a
// lookup per pixel gives, and nothing past a row's width is written.
TEST(PaletteLut, ConvertsAnyWidthAndPitchLikeOneLookupAPixel) {
    PaletteLut lut;
    Palette p{};
    std::uint32_t seed = 5;
    auto next = [&] {
        seed = seed * 214013u + 2531011u;
        return seed >> 8;
    };
    for (std::uint32_t& c : p)
        c = next() & 0xFFFFFF;
    lut.Update(p);
    for (const int width : {1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 128, 191, 640}) {
        for (const int offset : {0, 1, 3}) {
            const int height = 3, pitch = width + 5, dstPitch = width + 2;
            std::vector<std::uint8_t> src(static_cast<std::size_t>(pitch) * height + offset);
            for (std::uint8_t& b : src)
                b = static_cast<std::uint8_t>(next());
            std::vector<std::uint32_t> dst(static_cast<std::size_t>(dstPitch) * height + offset,
                                           0xDEADBEEFu);
            ConvertIndexed(src.data() + offset, pitch, lut, dst.data() + offset, dstPitch, width,
                           height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < dstPitch; ++x) {
                    const std::uint32_t got = dst[offset + y * dstPitch + x];
                    const std::uint32_t want =
                        x < width ? 0xFF000000u | p[src[offset + y * pitch + x]] : 0xDEADBEEFu;
                    ASSERT_EQ(got, want)
                        << "width " << width << " offset " << offset << " at " << x << "," << y;
                }
        }
    }
}

TEST(HeadlessVideo, PresentsTheIndicesInTheColoursGivenWithThem) {
    HeadlessVideo video;
    ASSERT_TRUE(video.Open(VideoOptions{}));
    std::vector<std::uint8_t> frame(kFrameWidth * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            frame[y * kFrameWidth + x] = static_cast<std::uint8_t>(x / 3);
    Palette grey{};
    for (int i = 0; i < 256; ++i)
        grey[i] = static_cast<std::uint32_t>(i * 0x010101);
    ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, grey));
    EXPECT_TRUE(video.LastWasIndexed());
    EXPECT_EQ(video.LastPixels()[300] & 0xFFFFFF, 0x646464u);  // index 100
    Palette red = grey;
    red[100] = 0xFF0000;
    ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, red));
    EXPECT_EQ(video.Frames(), 2u);
    EXPECT_EQ(video.LastPixels()[300] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(video.LutRebuilds(), 2u);
    ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, red));
    EXPECT_EQ(video.LutRebuilds(), 2u);                     // the same colours: the tables stay
    EXPECT_FALSE(video.Present8(frame.data(), 100, grey));  // pitch shorter than a row
}

// The screen converts only the rows that changed since the last frame: after any sequence of
// frames, colour changes and 32-bit frames, with or without the caller's word on which rows
// changed, its pixels are the last frame converted whole.
TEST(HeadlessVideo, TheScreenShowsTheWholeLastFrameWhicheverRowsChanged) {
    HeadlessVideo video;
    ASSERT_TRUE(video.Open(VideoOptions{}));
    std::vector<std::uint8_t> frame(kFrameWidth * kFrameHeight);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 7 / 5);
    Palette colours{};
    for (int i = 0; i < 256; ++i)
        colours[i] = static_cast<std::uint32_t>(i * 0x010203);
    std::vector<std::uint32_t> other(kFrameWidth * kFrameHeight, 0x123456);
    const std::vector<std::uint8_t> saved(frame.begin() + 300 * kFrameWidth,
                                          frame.begin() + 301 * kFrameWidth);
    std::vector<std::uint8_t> said(kFrameHeight, 0);
    // RowSaid changes row 300 and says so; RowBack puts it back without a word, so that it
    // matches what the screen showed before RowSaid.
    enum class Step {
        Same,
        OneRow,
        FirstAndLastRows,
        OnePixel,
        Recolour,
        Frame32,
        Reopen,
        RowSaid,
        RowBack,
        NothingSaid
    };
    const Step steps[] = {Step::Same,     Step::OneRow,      Step::FirstAndLastRows,
                          Step::OnePixel, Step::Recolour,    Step::Frame32,
                          Step::Same,     Step::OneRow,      Step::Reopen,
                          Step::Same,     Step::RowSaid,     Step::RowBack,
                          Step::RowSaid,  Step::NothingSaid, Step::RowSaid,
                          Step::Recolour, Step::RowSaid,     Step::OneRow};
    int n = 0;
    for (const Step step : steps) {
        ++n;
        const std::uint8_t* word = nullptr;
        std::fill(said.begin(), said.end(), std::uint8_t{0});
        switch (step) {
            case Step::RowSaid:
                std::fill_n(&frame[300 * kFrameWidth], kFrameWidth, static_cast<std::uint8_t>(n));
                said[300] = 1;
                word = said.data();
                break;
            case Step::RowBack:
                std::copy(saved.begin(), saved.end(), &frame[300 * kFrameWidth]);
                break;
            case Step::NothingSaid:
                word = said.data();
                break;
            case Step::Same:
                break;
            case Step::OneRow:
                std::fill_n(&frame[static_cast<std::size_t>(100 + n) * kFrameWidth], kFrameWidth,
                            static_cast<std::uint8_t>(n));
                break;
            case Step::FirstAndLastRows:
                frame[5] ^= 0xFF;
                frame[frame.size() - 1] ^= 0xFF;
                break;
            case Step::OnePixel:
                frame[240 * kFrameWidth + 639] ^= 0x55;
                break;
            case Step::Recolour:
                colours[frame[0]] = 0xABCDEF;
                break;
            case Step::Frame32:
                ASSERT_TRUE(video.Present32(other.data(), kFrameWidth));
                ASSERT_EQ(video.LastPixels()[1000], 0xFF123456u);
                break;
            case Step::Reopen:
                video.Close();
                ASSERT_TRUE(video.Open(VideoOptions{}));
                break;
        }
        ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, colours, word));
        for (std::size_t i = 0; i < frame.size(); ++i)
            ASSERT_EQ(video.LastPixels()[i], 0xFF000000u | colours[frame[i]])
                << "step " << n << " pixel " << i;
    }
}

TEST(HeadlessEvents, DeliverInOrderAndLetTheDriverRunWhenDry) {
    HeadlessBackend machine;
    Event e;
    e.kind = EventKind::KeyDown;
    e.scancode = Scancode::A;
    machine.Input().Inject(e);
    e.scancode = Scancode::B;
    machine.Input().Inject(e);
    Event out;
    ASSERT_TRUE(machine.Input().Poll(&out));
    EXPECT_EQ(out.scancode, Scancode::A);
    ASSERT_TRUE(machine.Input().Poll(&out));
    EXPECT_EQ(out.scancode, Scancode::B);
    EXPECT_FALSE(machine.Input().Poll(&out));
    // Without a driver a wait lets its time pass; with one the driver decides.
    EXPECT_FALSE(machine.Input().Wait(&out, 40));
    EXPECT_EQ(machine.Time().Milliseconds(), 40u);
    int steps = 0;
    machine.Input().SetQueueEmptyHandler([&] {
        ++steps;
        machine.Time().Advance(16);
        return steps < 2;
    });
    EXPECT_TRUE(machine.Input().MayDeliverLater());
    EXPECT_FALSE(machine.Input().Wait(&out, kWaitForever));
    EXPECT_FALSE(machine.Input().Wait(&out, kWaitForever));
    EXPECT_FALSE(machine.Input().MayDeliverLater());
    EXPECT_EQ(machine.Time().Milliseconds(), 72u);
}

}  // namespace
