// The GPS window: its rectangle kept on the screen, the ranges it takes, the colour keys parsed
// and matched to the palette, the drag that moves it, and its place kept in the settings file.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "cockpit/gps_display.h"
#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"

namespace {

using cockpit::GpsDisplay;
using cockpit::GpsRgb;

TEST(GpsDisplay, WindowRectIsClampedToTheScreen) {
    const struct {
        int x, y, w, h;
        int ex, ey, ew, eh;
    } cases[] = {
        {600, 400, 100, 100, 512, 336, 128, 144},
        {-50, -9, 300, 200, 0, 0, 300, 200},
        {10, 10, 5000, 5000, 0, 0, 640, 480},
        {100, 100, -5, -5, 100, 100, 128, 144},
        {2147483647, -2147483647 - 1, 128, 144, 512, 0, 128, 144},
    };
    for (const auto& c : cases) {
        GpsDisplay g;
        g.SetWindowRect(c.x, c.y, c.w, c.h);
        EXPECT_EQ(g.X(), c.ex) << c.x;
        EXPECT_EQ(g.Y(), c.ey) << c.y;
        EXPECT_EQ(g.Width(), c.ew) << c.w;
        EXPECT_EQ(g.Height(), c.eh) << c.h;
    }
}

TEST(GpsDisplay, RangesAboveATenthUpToAHundred) {
    const struct {
        double asked;
        double kept;
    } cases[] = {{0.1, 25.0}, {100.5, 25.0}, {100.0, 100.0}, {0.11, 0.11}, {-4, 25.0}};
    for (const auto& c : cases) {
        GpsDisplay g;
        g.SetScale(c.asked);
        EXPECT_DOUBLE_EQ(g.Range(), c.kept) << c.asked;
    }
    GpsDisplay g;
    g.SetScale(100.0);
    g.ZoomOut();  // 125 is beyond the last range: nothing changes
    EXPECT_DOUBLE_EQ(g.Range(), 100.0);
    g.ZoomIn();
    EXPECT_DOUBLE_EQ(g.Range(), 80.0);
}

TEST(GpsDisplay, ColourTextsKeepWhatIsMissing) {
    const struct {
        const char* text;
        GpsRgb expected;
    } cases[] = {
        {"1,2,3", {1, 2, 3}}, {"200", {200, 20, 30}},    {"abc", {0, 20, 30}},
        {"5,,7", {5, 0, 7}},  {"300,-4,9", {255, 0, 9}}, {"", {10, 20, 30}},
        {"7,8", {7, 8, 30}},
    };
    for (const auto& c : cases) {
        GpsRgb rgb{10, 20, 30};
        cockpit::ParseGpsColor(c.text, &rgb);
        EXPECT_EQ(rgb, c.expected) << c.text;
    }
}

TEST(GpsDisplay, NearestColourSkipsEntryZeroAndTakesTheFirstOfEquals) {
    std::array<GpsRgb, 256> palette{};
    for (auto& p : palette)
        p = {255, 255, 255};
    palette[0] = {0, 0, 0};
    palette[7] = {10, 0, 0};
    palette[9] = {10, 0, 0};
    palette[12] = {0, 9, 0};
    EXPECT_EQ(cockpit::NearestGpsColor(palette, {0, 0, 0}), 7);
    // Green weighs twice red: 6 x 81 against 3 x 100 + ...
    EXPECT_EQ(cockpit::NearestGpsColor(palette, {0, 2, 0}), 12);
    EXPECT_EQ(cockpit::NearestGpsColor(palette, {255, 255, 255}), 1);
}

TEST(GpsDisplay, OldColourSetsAreRewritten) {
    core::IniFile& ini = core::theIniFile;
    ini.DeleteSection("GPSColors");
    ini.PutInt("GPSColors", "ColorSet", 2);
    ini.PutString("GPSColors", "BgnFill", "250,250,250");
    std::array<GpsRgb, 256> palette{};
    palette[1] = {0, 0, 0};
    palette[2] = {250, 250, 250};
    GpsDisplay g;
    EXPECT_EQ(g.LoadColors(1, &palette), 1);
    EXPECT_EQ(g.Color(cockpit::kBgnFill), 1);  // the default black, not the discarded text
    EXPECT_EQ(ini.GetInt("GPSColors", "ColorSet", 0), 3);
    EXPECT_EQ(g.LoadColors(0, &palette), 0);  // the palette did not change

    ini.PutString("GPSColors", "BgnFill", "250,250,250");
    EXPECT_EQ(g.LoadColors(1, &palette), 1);
    EXPECT_EQ(g.Color(cockpit::kBgnFill), 2);
    EXPECT_EQ(g.LoadColors(1, nullptr), 0);
}

TEST(GpsDisplay, DraggingMovesAndResizesAndThePlaceIsKept) {
    core::IniFile& ini = core::theIniFile;
    ini.DeleteSection("GPS");
    GpsDisplay g;
    EXPECT_EQ(g.ContainsPoint(100, 100), 0);  // hidden
    g.Load(0);
    ASSERT_TRUE(g.Shown());
    EXPECT_EQ(g.ContainsPoint(32, 32), 1);
    EXPECT_EQ(g.ContainsPoint(288, 288), 1);
    EXPECT_EQ(g.ContainsPoint(289, 100), 0);

    ASSERT_EQ(g.OnMouseDown(100, 100), 1);
    g.OnMouseMove(150, 150);
    g.OnMouseUp(200, 200);
    EXPECT_EQ(g.X(), 132);
    EXPECT_EQ(g.Y(), 132);

    // With borders, a press on the bottom-right corner resizes, down to the least size.
    g.SetBorders(8, 8, 10, 10);
    ASSERT_EQ(g.OnMouseDown(132 + 255, 132 + 255), 1);
    EXPECT_EQ(g.CursorAt(132 + 255, 132 + 255), 729);
    g.OnMouseUp(0, 0);
    EXPECT_EQ(g.Width(), 128);
    EXPECT_EQ(g.Height(), 144);
    EXPECT_EQ(g.X(), 132);

    g.Load(-1);
    EXPECT_FALSE(g.Shown());
    EXPECT_EQ(ini.GetInt("GPS", "DisplayX", -1), 132);
    EXPECT_EQ(ini.GetInt("GPS", "DisplayW", -1), 128);
    GpsDisplay again;
    again.Load(0);
    EXPECT_EQ(again.X(), 132);
    EXPECT_EQ(again.Height(), 144);
}

TEST(GpsDisplay, RedrawsEvery500MsAcrossTheClocksWrap) {
    std::array<GpsRgb, 256> palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                      static_cast<std::uint8_t>(i * 13)};
    nav::theNavDatabase.airports.push_back({"KSFO", 20 * 474112, 0, 0, 0});
    flight::theFlightModelState.fmPosX = 0;
    GpsDisplay g;
    g.Load(0);
    g.Update(nullptr, &palette, 0xFFFFFE00u);
    const std::vector<std::uint8_t> first = g.Page();
    // The aircraft moves towards the airport; the page waits for its 500 ms, then follows, also
    // when the millisecond clock wrapped past zero in between.
    flight::theFlightModelState.fmPosX = 10 * 474112;
    g.Update(nullptr, &palette, 0xFFFFFF00u);
    EXPECT_EQ(g.Page(), first);
    g.Update(nullptr, &palette, 0x100u);
    EXPECT_NE(g.Page(), first);
    nav::theNavDatabase.Clear();
    flight::theFlightModelState = flight::FlightModelState{};
    g.Load(-1);
}

TEST(GpsDisplay, BadSettingsAreClamped) {
    core::IniFile& ini = core::theIniFile;
    ini.PutInt("GPS", "DisplayX", -400);
    ini.PutInt("GPS", "DisplayY", 99999);
    ini.PutString("GPS", "DisplayW", "wide");
    ini.PutInt("GPS", "DisplayH", 100000);
    GpsDisplay g;
    g.Load(1);
    EXPECT_EQ(g.X(), 0);
    EXPECT_EQ(g.Width(), 128);
    EXPECT_EQ(g.Height(), 480);
    EXPECT_EQ(g.Y(), 0);
    g.Load(9);
    EXPECT_FALSE(g.Shown());
}

}  // namespace
