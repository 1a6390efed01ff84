// Video files and the video window: clips written by our writer read back frame for frame, a
// corpus of damaged and foreign files is refused without a crash, and the window plays at the
// clip's rate in step with its sound, tells its owner when it stops, and reports refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "win/avi_file.h"
#include "win/controls.h"
#include "win/dsound.h"
#include "win/timing.h"
#include "win/video_window.h"
#include "win_test_support.h"

namespace {

using namespace win;

constexpr int kW = 40, kH = 30;

std::vector<std::uint8_t> Picture(int seed) {
    std::vector<std::uint8_t> p(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p[y * kW + x] = static_cast<std::uint8_t>(((x / (4 + seed)) + y * seed) % 7 + (x == y ? 200 : 0));
    return p;
}

struct Clip {
    std::vector<std::vector<std::uint8_t>> pictures;
    std::vector<std::uint8_t> image;
};

// Frames 0..n-1 (each a new picture, or the one before repeated), sound of `seconds`.
Clip MakeClip(int frames, std::uint32_t coding, int soundBits, double seconds, int fps = 10) {
    Clip c;
    AviContents s;
    s.width = kW;
    s.height = kH;
    s.coding = coding;
    s.rate = static_cast<std::uint32_t>(fps);
    for (int i = 0; i < 256; ++i) s.palette[i] = static_cast<std::uint32_t>(i * 0x010203);
    c.pictures.reserve(static_cast<std::size_t>(frames));
    const std::vector<std::uint8_t>* previous = nullptr;
    for (int i = 0; i < frames; ++i) {
        c.pictures.push_back(Picture(i % 3 == 2 ? (i - 1) % 5 + 1 : i % 5 + 1));
        const auto& p = c.pictures.back();
        if (coding == kAviRle8) {
            s.frames.push_back(EncodeRle8(p.data(), previous ? previous->data() : nullptr, kW, kH));
        } else {
            constexpr int kStride = (kW + 3) & ~3;  // rows padded to 4 bytes, bottom up
            std::vector<std::uint8_t> raw(kStride * kH);
            for (int y = 0; y < kH; ++y) std::memcpy(&raw[(kH - 1 - y) * kStride], &p[y * kW], kW);
            s.frames.push_back(raw);
        }
        s.keyFrames.push_back(i == 0);
        previous = &c.pictures.back();
    }
    if (soundBits > 0) {
        s.soundRate = 11025;
        s.soundBits = soundBits;
        const auto n = static_cast<std::size_t>(seconds * 11025) * (soundBits / 8);
        for (std::size_t i = 0; i < n; ++i) s.sound.push_back(static_cast<std::uint8_t>(i * 7));
    }
    c.image = MakeAviImage(s);
    return c;
}

TEST(AviFile, OurClipsReadBackFrameForFrame) {
    struct Case {
        std::uint32_t coding;
        int bits;
    };
    for (const Case& k : {Case{kAviRle8, 8}, Case{kAviRle8, 16}, Case{kAviUncoded, 0}}) {
        const Clip c = MakeClip(12, k.coding, k.bits, 1.2);
        AviClip clip;
        std::string why;
        ASSERT_TRUE(ReadAviClip(c.image, &clip, &why)) << why;
        EXPECT_EQ(clip.width, kW);
        EXPECT_EQ(clip.height, kH);
        EXPECT_EQ(clip.FrameCount(), 12u);
        EXPECT_EQ(clip.rate, 10u);
        EXPECT_EQ(clip.palette[5], 5u * 0x010203);
        std::vector<std::uint8_t> frame(kW * kH, 0);
        for (int i = 0; i < 12; ++i) {
            ASSERT_TRUE(DecodeAviFrame(clip, static_cast<std::size_t>(i), frame.data()));
            EXPECT_EQ(frame, c.pictures[static_cast<std::size_t>(i)]) << "frame " << i;
        }
        EXPECT_EQ(clip.soundRate, k.bits ? 11025 : 0);
        if (k.bits) {
            EXPECT_EQ(clip.SoundSamples(), static_cast<std::size_t>(1.2 * 11025));
        }
    }
}

TEST(AviFile, RepeatedFramesCostTwoBytesAndRunsStayInTheirRow) {
    const auto a = Picture(1);
    EXPECT_EQ(EncodeRle8(a.data(), a.data(), kW, kH), (std::vector<std::uint8_t>{0, 1}));
    // One changed pixel: a skip to it, the pixel, the end.
    auto b = a;
    b[kW * (kH - 1) + 5] ^= 1;
    const auto code = EncodeRle8(b.data(), a.data(), kW, kH);
    EXPECT_LT(code.size(), 12u);
    auto out = a;
    ASSERT_TRUE(DecodeRle8(code.data(), code.size(), kW, kH, true, out.data()));
    EXPECT_EQ(out, b);
    // A run that would spill into the next row, a move below the picture, a literal past it.
    const std::vector<std::vector<std::uint8_t>> bad = {
        {static_cast<std::uint8_t>(kW + 1), 3},
        {0, 2, 0, static_cast<std::uint8_t>(kH + 1)},
        {static_cast<std::uint8_t>(kW - 2), 3, 0, 3, 1, 2, 3, 0},
        {0, 4, 1, 2},  // a literal longer than its data
    };
    for (const auto& c : bad) EXPECT_FALSE(DecodeRle8(c.data(), c.size(), kW, kH, true, out.data()));
}

// Patches a little-endian 32-bit field at the position of `tag` + offset.
void Patch32(std::vector<std::uint8_t>& b, const char* tag, std::size_t offset, std::uint32_t v, int nth = 0) {
    std::size_t at = 0;
    for (int seen = -1; seen < nth; ++seen) {
        auto it = std::search(b.begin() + static_cast<std::ptrdiff_t>(seen < 0 ? 0 : at + 1), b.end(), tag, tag + 4);
        ASSERT_NE(it, b.end()) << tag;
        at = static_cast<std::size_t>(it - b.begin());
    }
    for (int i = 0; i < 4; ++i) b[at + offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(AviFile, DamagedAndForeignFilesAreRefused) {
    const Clip good = MakeClip(6, kAviRle8, 8, 0.6);
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> corpus;
    for (std::size_t cut : {std::size_t{0}, std::size_t{11}, std::size_t{100}, good.image.size() / 2, good.image.size() - 1})
        corpus.emplace_back("truncated", std::vector<std::uint8_t>(good.image.begin(), good.image.begin() + static_cast<std::ptrdiff_t>(cut)));
    auto patched = [&](const char* what, const char* tag, std::size_t off, std::uint32_t v, int nth = 0) {
        auto b = good.image;
        Patch32(b, tag, off, v, nth);
        corpus.emplace_back(what, b);
    };
    patched("riff size past the end", "RIFF", 4, 0x7FFFFFF0);
    patched("frame chunk past the end", "00dc", 4, 0x00FFFFFF);
    patched("other coding", "strf", 8 + 16, 0x47504A4D);           // 'MJPG'
    patched("24-bit pictures", "strf", 8 + 12, 0x00180001);        // planes 1, 24 bits
    patched("too wide", "strf", 8 + 4, 641);
    patched("too high", "strf", 8 + 8, 481);
    patched("compressed sound", "strf", 8, 0x00010002, 1);         // tag 2, mono
    patched("stereo sound", "strf", 8, 0x00020001, 1);
    {  // the first frame's first run made wider than the picture
        auto b = good.image;
        auto it = std::search(b.begin(), b.end(), "00dc", "00dc" + 4);
        ASSERT_NE(it, b.end());
        it[8] = 0;  // absolute run of 200 bytes in a 40-pixel row
        it[9] = 200;
        corpus.emplace_back("codes past the frame", b);
    }
    for (const auto& [what, bytes] : corpus) {
        AviClip clip;
        std::string why;
        EXPECT_FALSE(ReadAviClip(bytes, &clip, &why)) << what;
        EXPECT_FALSE(why.empty()) << what;
    }
    // Any byte changed anywhere: read or refused, never a read outside the file.
    for (std::size_t i = 0; i < good.image.size(); i += 7) {
        auto b = good.image;
        b[i] ^= 0xA5;
        AviClip clip;
        std::string why;
        if (ReadAviClip(b, &clip, &why)) {
            std::vector<std::uint8_t> frame(static_cast<std::size_t>(clip.width) * clip.height);
            for (std::size_t f = 0; f < clip.FrameCount(); ++f) EXPECT_TRUE(DecodeAviFrame(clip, f, frame.data()));
        }
    }
}

class VideoWindowTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ResetDirectSoundStandIn();
        ResetVideoWindowStats();
        SetVideoErrorReporter([this](HWND, const std::string& path) { refused.push_back(path); });
    }
    void TearDown() override {
        SetVideoErrorReporter(nullptr);
        HeadlessTest::TearDown();
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder.Path(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Runs the loop for `ms` of machine time in 5 ms steps; the stop notifications it saw.
    std::vector<wintest::Seen> Run(std::uint32_t ms) {
        std::vector<wintest::Seen> stops;
        for (std::uint32_t t = 0; t < ms; t += 5) {
            machine.Time().Advance(5);
            for (const auto& s : Pump())
                if (s.message == MCIWNDM_NOTIFYMODE) stops.push_back(s);
        }
        return stops;
    }
    static std::uint32_t Mode(HWND v) { return static_cast<std::uint32_t>(SendMessage(v, MCIWNDM_GETMODEA, 0, 0)); }

    testsupport::TempFolder folder;
    std::vector<std::string> refused;
};

TEST_F(VideoWindowTest, PlaysAtTheClipsRateInStepWithItsSoundAndTellsItsOwnerAtTheEnd) {
    const Clip c = MakeClip(20, kAviRle8, 8, 2.0);  // 2 s of pictures and of sound
    const std::string path = Write("clip.avi", c.image);
    const HWND owner = MakeWindow();
    const HWND v = MCIWndCreate(owner, {}, WS_CHILD | WS_VISIBLE | MCIWNDF_NOTIFYMODE | MCIWNDF_NOPLAYBAR, path);
    ASSERT_TRUE(v);
    RECT r;
    GetClientRect(v, &r);
    EXPECT_EQ(r.right, kW);  // the window takes the clip's size
    EXPECT_EQ(r.bottom, kH);
    EXPECT_EQ(Mode(v), MCI_MODE_STOP);
    char name[16] = {};
    SendMessage(v, MCIWNDM_GETMODEA, sizeof name, reinterpret_cast<LParam>(name));
    EXPECT_STREQ(name, "stopped");
    ASSERT_EQ(SendMessage(v, MCI_PLAY, 0, 0), 0);
    EXPECT_EQ(Mode(v), MCI_MODE_PLAY);
    EXPECT_TRUE(Run(1000).empty());
    // Half-way through, the picture is frame 10 give or take the step.
    const std::uint8_t* pixels = nullptr;
    const long shown = VideoWindowFrame(v, &pixels, nullptr, nullptr);
    EXPECT_NEAR(shown, 10, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + kW * kH), c.pictures[static_cast<std::size_t>(shown)]);
    const auto stops = Run(1200);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].hwnd, owner);
    EXPECT_EQ(stops[0].wParam, static_cast<WParam>(v.id));
    EXPECT_EQ(stops[0].lParam, static_cast<LParam>(MCI_MODE_STOP));
    EXPECT_EQ(Mode(v), MCI_MODE_STOP);
    EXPECT_EQ(VideoWindowFrame(v, nullptr, nullptr, nullptr), 19);
    EXPECT_EQ(GetVideoWindowStats().soundUnderruns, 0u);
    // The sound reached the card: the capture holds it, not silence.
    const auto& captured = machine.Sound().Captured();
    std::size_t loud = 0;
    for (std::int16_t s : captured) loud += std::abs(s) > 1000;
    EXPECT_GT(loud, captured.size() / 4);
    // A stop asked for by the program notifies nothing.
    SendMessage(v, MCI_PLAY, 0, 0);
    Run(100);
    SendMessage(v, MCI_STOP, 0, 0);
    EXPECT_TRUE(Run(300).empty());
    SendMessage(v, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(v));
    EXPECT_EQ(GetVideoWindowStats().liveWindows, 0);
}

TEST_F(VideoWindowTest, WithoutSoundTheClockPacesThePicturesAndSeekShowsAFrame) {
    const Clip c = MakeClip(10, kAviUncoded, 0, 0, 5);  // 2 s at 5 frames a second
    const HWND owner = MakeWindow();
    const HWND v = MCIWndCreate(owner, {}, WS_CHILD | WS_VISIBLE | MCIWNDF_NOTIFYMODE, Write("quiet.avi", c.image));
    ASSERT_TRUE(v);
    SendMessage(v, MCI_SEEK, 0, 7);
    EXPECT_EQ(Mode(v), MCI_MODE_SEEK);
    Run(20);
    EXPECT_EQ(Mode(v), MCI_MODE_STOP);
    EXPECT_EQ(VideoWindowFrame(v, nullptr, nullptr, nullptr), 7);
    SendMessage(v, MCI_PLAY, 0, 0);  // from frame 7: 0.6 s left
    EXPECT_TRUE(Run(500).empty());
    EXPECT_EQ(Run(200).size(), 1u);
}

TEST_F(VideoWindowTest, PaletteCanBeReplacedAndTheSurfaceShowsIt) {
    const Clip c = MakeClip(2, kAviRle8, 0, 0);
    const HWND v = MCIWndCreate(MakeWindow(), {}, WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR, Write("p.avi", c.image));
    const HPALETTE own{static_cast<std::uint32_t>(SendMessage(v, MCIWNDM_GETPALETTE, 0, 0))};
    ASSERT_TRUE(own);
    PALETTEENTRY e{};
    GetPaletteEntries(own, 3, 1, &e);
    EXPECT_EQ((PALETTEENTRY{3, 6, 9, 0}), e);
    // A grey-only palette: every colour maps to a grey.
    LOGPALETTE lp;
    for (int i = 0; i < 256; ++i)
        lp.palPalEntry.push_back(PALETTEENTRY{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    const HPALETTE grey = CreatePalette(&lp);
    SendMessage(v, MCIWNDM_SETPALETTE, static_cast<WParam>(grey.id), 0);
    EXPECT_EQ(SendMessage(v, MCIWNDM_GETPALETTE, 0, 0), static_cast<LResult>(grey.id));
    SendMessage(v, MCIWNDM_REALIZE, 0, 0);
    const WindowSurface* s = GetWindowSurface(v);
    ASSERT_NE(s, nullptr);
    for (std::uint32_t p : s->pixels) {
        EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
        EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    }
    DeleteObject(grey);
}

TEST_F(VideoWindowTest, ARefusedFileIsReportedAndTheEndStillComes) {
    const Clip c = MakeClip(4, kAviRle8, 8, 0.4);
    auto cut = c.image;
    cut.resize(cut.size() / 2);
    const HWND owner = MakeWindow();
    for (const std::string& path : {Write("cut.avi", cut), folder.Path("missing.avi")}) {
        refused.clear();
        const HWND v = MCIWndCreate(owner, {}, WS_CHILD | WS_VISIBLE | MCIWNDF_NOTIFYMODE, path);
        ASSERT_TRUE(v);
        EXPECT_EQ(Mode(v), MCI_MODE_NOT_READY);
        EXPECT_NE(SendMessage(v, MCI_PLAY, 0, 0), 0);
        const auto stops = Run(20);
        ASSERT_EQ(refused, std::vector<std::string>{path});
        ASSERT_EQ(stops.size(), 1u);
        EXPECT_EQ(stops[0].lParam, static_cast<LParam>(MCI_MODE_STOP));
        DestroyWindow(v);
    }
}

TEST_F(VideoWindowTest, AnimationControlRepeatsItsClip) {
    InitCommonControls();
    const Clip c = MakeClip(3, kAviRle8, 0, 0);  // 0.3 s
    const HWND owner = MakeWindow();
    const HWND a = CreateWindowEx(0, ANIMATE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 60, owner, {}, {}, 0);
    ASSERT_TRUE(a);
    const std::string path = Write("a.avi", c.image);
    ASSERT_EQ(SendMessage(a, ACM_OPENA, 0, reinterpret_cast<LParam>(path.c_str())), 1);
    const HWND v = AnimationVideoWindow(a);
    ASSERT_TRUE(v);
    ASSERT_EQ(SendMessage(a, ACM_PLAY, 2, MAKELPARAM(0, 0xFFFF)), 1);
    Run(450);  // the second play is under way
    EXPECT_EQ(Mode(v), MCI_MODE_PLAY);
    Run(400);
    EXPECT_EQ(Mode(v), MCI_MODE_STOP);
    EXPECT_EQ(SendMessage(a, ACM_OPENA, 0, 0), 1);
    EXPECT_FALSE(IsWindow(v));
}

}  // namespace
