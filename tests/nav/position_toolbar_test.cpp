// The positioning map's toolbar in the running program, worked with the mouse
// (position_toolbar.simrun): the buttons that do nothing at a zoom look off (their images
// greyed), a layer switched on stays pressed in while its button is off, and a click on the
// aircraft grabs it rather than zooming and, not moved, leaves it where it was.
#include <gtest/gtest.h>

#include <string>

#include "script_run.h"

namespace {

using testsupport::ScreenRgb;
constexpr auto Pixel = testsupport::ScreenshotPixel;

// The toolbar's place in the picture and its buttons: 23 pixels each, separators 8.
constexpr int kToolbarX = 18, kToolbarY = 448, kButton = 23, kSeparator = 8;
enum Button { kAirports = 0, kLocalizers = 3, kObstacles = 6, kZoomIn = 9, kZoomOut = 10,
              kAirportInfo = 17, kVorInfo = 18, kApproachInfo = 19 };

int Left(int index) {
    const int separators = (index > 8) + (index > 11) + (index > 16);
    return kToolbarX + (index - separators) * kButton + separators * kSeparator;
}

// Pixels of a button's image drawn in its own colours: a greyed image is only the face's
// shadow and highlight greys.
int Ink(const std::string& bmp, int index) {
    int n = 0;
    for (int y = kToolbarY + 4; y < kToolbarY + 23; ++y)
        for (int x = Left(index) + 2; x < Left(index) + kButton - 2; ++x) {
            const ScreenRgb c = Pixel(bmp, x, y);
            n += (c.r != c.g || c.g != c.b || c.r < 100) ? 1 : 0;
        }
    return n;
}

// A button held in (checked) has the dark side of a sunken edge at its left.
bool PressedIn(const std::string& bmp, int index) {
    const ScreenRgb c = Pixel(bmp, Left(index), kToolbarY + 12);
    return c.r < 160 && c.g < 160 && c.b < 160;
}

class PositionToolbar : public navtest::ScriptRun {};

TEST_F(PositionToolbar, ButtonsLookOffWhereTheyDoNothingAndTheAircraftClickKeepsItsPlace) {
    const testsupport::CommandResult r = Play("position_toolbar.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // The click on the aircraft grabbed it: no zoom. Then 40 nm, then 160 nm.
    const std::size_t z0 = r.out.find("report map_zoom=0");
    const std::size_t z5 = r.out.find("report map_zoom=5");
    const std::size_t z4 = r.out.find("report map_zoom=4");
    ASSERT_NE(z0, std::string::npos) << r.out;
    ASSERT_NE(z5, std::string::npos) << r.out;
    ASSERT_NE(z4, std::string::npos) << r.out;
    EXPECT_LT(z0, z5);
    EXPECT_LT(z5, z4);

    const std::string zoom0 = dir.Read("zoom0.bmp"), zoom5 = dir.Read("zoom5.bmp"),
                      zoom4 = dir.Read("zoom4.bmp");
    ASSERT_GT(zoom0.size(), 54u);
    ASSERT_GT(zoom5.size(), 54u);
    ASSERT_GT(zoom4.size(), 54u);
    // At 4800 nm: zoom out, localizers, obstacles and the three information tools are off.
    const struct {
        int button;
        bool on;
    } zoom0Looks[] = {{kAirports, true},   {kLocalizers, false},  {kObstacles, false},
                      {kZoomIn, true},     {kZoomOut, false},     {kAirportInfo, false},
                      {kVorInfo, false},   {kApproachInfo, false}};
    for (const auto& l : zoom0Looks) {
        if (l.on)
            EXPECT_GT(Ink(zoom0, l.button), 20) << "button " << l.button;
        else
            EXPECT_EQ(Ink(zoom0, l.button), 0) << "button " << l.button;
    }
    // At 40 nm the localizer button works: the click at 4800 nm left the layer off, this one
    // switched it on.
    EXPECT_GT(Ink(zoom5, kLocalizers), 20);
    EXPECT_TRUE(PressedIn(zoom5, kLocalizers));
    EXPECT_GT(Ink(zoom5, kObstacles), 20);
    // At 160 nm it is off again, still held in: the layer stays on for the closer zooms.
    EXPECT_EQ(Ink(zoom4, kLocalizers), 0);
    EXPECT_TRUE(PressedIn(zoom4, kLocalizers));
    EXPECT_EQ(Ink(zoom4, kObstacles), 0);
    EXPECT_FALSE(PressedIn(zoom4, kObstacles));

    // Grabbed and let go where it was grabbed, the aircraft did not move.
    const Saved before = Read("before.flt"), after = Read("after.flt");
    EXPECT_LT(navtest::Metres(before.lat, before.lon, after.lat, after.lon), 1.0);
    EXPECT_EQ(before.heading, after.heading);
}

}  // namespace
