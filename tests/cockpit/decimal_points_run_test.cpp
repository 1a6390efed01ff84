// The radio and DME windows as a pilot reads them in the running program: COM1 tuned to 118.30
// shows 118, a point and 30; the DME's distance its miles, a point and the tenth. Each window is
// photographed and read back with the panel's own digits, and the point's pixels are looked at:
// two by two in the digits' ink, clear of the digits on both sides.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cockpit/gauges.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

cockpit::IntPoint ActiveWindow(const cockpit::PanelGauge* radio) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(0, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == cockpit::PanelOp::RadioActive && rows[i].gauge == radio)
            return {rows[i].x, rows[i].y + cockpit::kFullViewOffset[0]};
    return {0, 0};
}

// The digit set's ink and window colours: a lit and an unlit pixel of its "8".
struct Inks {
    int digit = -1, window = -1;
};
Inks InksOf(const gfx::GFXFont& font) {
    Inks k;
    std::int32_t vo = 0;
    const gfx::GFXBitmap* g = font.GetGlyph('8', &vo);
    if (g == nullptr) return k;
    k.window = g->Row(0)[0];  // the 8's corners are unlit
    for (int y = 0; y < std::abs(g->height) && k.digit < 0; ++y)
        for (int x = 0; x < g->width; ++x)
            if (g->Row(y)[x] != k.window) k.digit = g->Row(y)[x];
    return k;
}

// A point at column x: lit two by two on the two rows above the baseline, unlit beside it.
std::string PointAt(const IndexedPicture& p, const Inks& k, int x, int baseline) {
    std::string what;
    for (int y = baseline - 2; y < baseline; ++y) {
        for (int dx = -1; dx <= 2; ++dx) {
            const bool lit = dx == 0 || dx == 1;
            const int want = lit ? k.digit : k.window;
            what += p.At(x + dx, y) == want ? (lit ? '#' : '.') : '?';
        }
        what += '|';
    }
    return what;
}

TEST(DecimalPointsRun, TheFrequencyAndDmeWindowsShowTheirPoints) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-decimal-points", "C172Fly.Flt");
    const std::string d = run.Dir().Root();
    const auto r =
        run.Play("frame-interval 50\nwait 800\nradio COM1 118.30\nwait 800\nscreenshot " + d +
                 "/radios.bmp\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto font = testsupport::InstalledPanelFont("panel172.pft");
    ASSERT_TRUE(font);
    const Inks k = InksOf(*font);
    ASSERT_GE(k.digit, 0);
    const IndexedPicture p = testsupport::ScreenIndices(run.Dir().Read("radios.bmp"));
    ASSERT_GT(p.width, 0);

    const cockpit::IntPoint com = ActiveWindow(&cockpit::theCom1Radio);
    ASSERT_GT(com.x, 0);
    const char* digits = "0123456789 ";
    EXPECT_EQ(testsupport::ReadPanelText(p, *font, com.x, com.y, 3, cockpit::kDigitPitch, digits),
              "118");
    EXPECT_EQ(PointAt(p, k, com.x + 3 * cockpit::kDigitPitch, com.y), ".##.|.##.|");
    EXPECT_EQ(testsupport::ReadPanelText(p, *font, com.x + cockpit::kFrequencySecondField, com.y, 2,
                                         cockpit::kDigitPitch, digits),
              "30");

    // The DME of NAV1's station: the miles, the point, the tenth.
    const cockpit::IntPoint dme{cockpit::kDmeReadout[0].x,
                                cockpit::kDmeReadout[0].y + cockpit::kFullViewOffset[0]};
    const std::string miles = testsupport::ReadPanelText(p, *font, dme.x + cockpit::kDmeMilesX,
                                                         dme.y, 2, cockpit::kDigitPitch, digits);
    const std::string tenth = testsupport::ReadPanelText(p, *font, dme.x + cockpit::kDmeTenthsX,
                                                         dme.y, 1, cockpit::kDigitPitch, digits);
    EXPECT_EQ(miles.find_first_not_of("0123456789"), std::string::npos) << miles;
    EXPECT_EQ(tenth.find_first_not_of("0123456789"), std::string::npos) << tenth;
    EXPECT_EQ(PointAt(p, k, dme.x + cockpit::kDmeMilesX + 2 * cockpit::kDigitPitch, dme.y),
              ".##.|.##.|");
}

}  // namespace
