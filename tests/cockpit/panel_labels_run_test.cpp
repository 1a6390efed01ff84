// Every text the panel art carries stays legible in the running program: each of the five
// aircraft ready to fly (engines running, radios on), in both views of the C172 and the
// Bonanza and with the Baron's engine gauges swapped in, is photographed, and under every text
// of the maker's layout the screenshot holds exactly the panel art's pixels: no needle, digit,
// lamp, switch or lever the program draws covers a word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::LayoutBox;

struct View {
    int type;
    int view;  // 0 full panel, 1 the lower view
    bool swapped;
    const char* flight;
    const char* art;      // the panel art under the texts
    int artLeft, artTop;  // the art's place on the screen
    int fullTop;          // the full view's first panel row on the screen
    const char* name;
};
constexpr View kViews[] = {
    {0, 0, false, "C172Fly.Flt", "172panel.bmp", 0, 171, 171, "C172"},
    {0, 1, false, "C172Fly.Flt", "172lopan.bmp", 0, 215, 171, "C172Lower"},
    {1, 0, false, "BonFly.Flt", "b_panel.bmp", 0, 193, 193, "Bonanza"},
    {1, 1, false, "BonFly.Flt", "b_lwpnl.bmp", 0, 235, 193, "BonanzaLower"},
    {2, 0, false, "BarFly.Flt", "ba_pnl.bmp", 0, 150, 150, "Baron"},
    {2, 0, true, "BarFly.Flt", "ba_swap.bmp", 483, 329, 150, "BaronSwapped"},
    {3, 0, false, "KingFly.Flt", "k_pnl.bmp", 0, 150, 150, "KingAir"},
    {4, 0, false, "JetFly.Flt", "j_pnl.bmp", 0, 143, 143, "CitationJet"},
};

class PanelLabels : public ::testing::TestWithParam<View> {};

TEST_P(PanelLabels, EveryTextShowsAsTheArtDrewIt) {
    const View& v = GetParam();
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    int status = -1;
    const std::vector<testsupport::PanelLayout> layouts = testsupport::ReadPanelLayouts(&status);
    ASSERT_EQ(layouts.size(), 8u);
    const testsupport::PanelLayout& layout =
        layouts[v.swapped ? 5 : v.view == 1 ? 6 + static_cast<std::size_t>(v.type) : static_cast<std::size_t>(v.type)];

    testsupport::StarterRun run("zephlon-labels", v.flight);
    std::string script = "frame-interval 20\nwait 1500\n";
    if (v.view == 1) script += "menu 1664\nwait 700\n";
    if (v.swapped) script += "key Tab press\nwait 700\n";
    script += "screenshot " + run.Dir().Path("shot.bmp") + "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const IndexedPicture shot = testsupport::ScreenIndices(run.Dir().Read("shot.bmp"));
    ASSERT_EQ(shot.width, 640);
    auto art = testsupport::InstalledPanelBitmap(v.art);
    ASSERT_TRUE(art) << v.art;
    const IndexedPicture picture = testsupport::Indices(*art);

    int checked = 0;
    for (const LayoutBox& t : layout.texts) {
        // The text's place on this view's screen, when this view shows it.
        const int shift = v.swapped ? 0 : (v.artTop - v.fullTop);
        int differ = 0, inside = 0;
        for (int y = t.top; y <= t.bottom; ++y)
            for (int x = t.left; x <= t.right; ++x) {
                const int sy = y + shift, ax = x - v.artLeft, ay = sy - v.artTop;
                if (!picture.Holds(ax, ay) || !shot.Holds(x, sy)) continue;
                ++inside;
                differ += shot.At(x, sy) != picture.At(ax, ay);
            }
        if (inside == 0) continue;
        ++checked;
        EXPECT_EQ(differ, 0) << v.name << ": \"" << t.what << "\" at " << t.left << "," << t.top;
    }
    EXPECT_GE(checked, v.swapped ? 6 : 25) << v.name;
}

INSTANTIATE_TEST_SUITE_P(Panels, PanelLabels, ::testing::ValuesIn(kViews),
                         [](const ::testing::TestParamInfo<View>& i) { return std::string(i.param.name); });

}  // namespace
