// The panels' art as the data maker lays it out (mkdata --panel-layout), checked here with our
// own arithmetic: no text of a panel overlaps another text or another gauge's face, every text
// lies on the screen, every labelled button of the click tables carries its label where it is
// clicked and every knob of them is drawn in its square.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cockpit/panel_click_regions.h"
#include "support/panel_art.h"

namespace {

using testsupport::LayoutBox;
using testsupport::PanelLayout;

bool Overlap(const LayoutBox& a, const LayoutBox& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}
bool Inside(const LayoutBox& in, const cockpit::ClickRect& r) {
    return in.left >= r.left && in.right <= r.right && in.top >= r.top && in.bottom <= r.bottom;
}
std::string Where(const PanelLayout& p, const LayoutBox& b) {
    return "panel " + std::to_string(p.type) + (p.swapped ? " swapped" : p.lower ? " lower" : "") + " \"" + b.what +
           "\" at " + std::to_string(b.left) + "," + std::to_string(b.top);
}

class PanelLayouts : public ::testing::Test {
protected:
    static void SetUpTestSuite() { layouts = testsupport::ReadPanelLayouts(&status); }
    static inline std::vector<PanelLayout> layouts;
    static inline int status = -1;
};

TEST_F(PanelLayouts, EveryPanelIsLaidOutWithoutFault) {
    ASSERT_EQ(status, 0);
    ASSERT_EQ(layouts.size(), 8u);
    for (const PanelLayout& p : layouts) {
        EXPECT_EQ(p.fault, "") << p.type;
        // Names of gauges, units, buttons and switches: dozens a panel (the Baron's swapped
        // gauges are six bars).
        EXPECT_GE(p.texts.size(), p.swapped ? 6u : p.lower ? 25u : 40u) << p.type;
    }
}

TEST_F(PanelLayouts, NoTextOverlapsAnotherTextOrAnotherGaugesFace) {
    for (const PanelLayout& p : layouts) {
        for (std::size_t i = 0; i < p.texts.size(); ++i) {
            const LayoutBox& t = p.texts[i];
            EXPECT_TRUE(t.left >= 0 && t.right <= 639 && t.top >= 0 && t.bottom <= 479)
                << Where(p, t);
            for (std::size_t j = i + 1; j < p.texts.size(); ++j)
                EXPECT_FALSE(Overlap(t, p.texts[j])) << Where(p, t) << " and " << Where(p, p.texts[j]);
            for (const LayoutBox& f : p.faces) {
                if (f.owner == t.owner) continue;
                EXPECT_FALSE(testsupport::Covers(f, t)) << Where(p, t) << " over " << Where(p, f);
            }
        }
    }
}

// The numbers and words printed on the dials stand apart from each other and from the texts.
TEST_F(PanelLayouts, NoNumberOrWordOnAFaceTouchesAnother) {
    for (const PanelLayout& p : layouts) {
        EXPECT_GE(p.marks.size(), p.swapped ? 0u : 30u) << p.type;
        for (std::size_t i = 0; i < p.marks.size(); ++i) {
            const LayoutBox& m = p.marks[i];
            for (std::size_t j = i + 1; j < p.marks.size(); ++j)
                EXPECT_FALSE(Overlap(m, p.marks[j])) << Where(p, m) << " and " << Where(p, p.marks[j]);
            for (const LayoutBox& t : p.texts) EXPECT_FALSE(Overlap(m, t)) << Where(p, m) << " and " << Where(p, t);
        }
    }
}

// A window cut into a dial (an hour meter, a drum, a setting) leaves the dial's numbers readable.
TEST_F(PanelLayouts, NoWindowCoversANumberOfItsDial) {
    int windows = 0;
    for (const PanelLayout& p : layouts)
        for (const LayoutBox& f : p.faces) {
            if (f.what != "window") continue;
            ++windows;
            for (const LayoutBox& m : p.marks)
                EXPECT_FALSE(testsupport::Covers(f, m)) << Where(p, m) << " under " << Where(p, f);
        }
    EXPECT_GT(windows, 10);
}

// The screen rows of the full view are the click tables' rows: what is clicked is drawn there.
TEST_F(PanelLayouts, LabelledButtonsAndKnobsAreDrawnWhereTheyAreClicked) {
    ASSERT_GE(layouts.size(), 5u);
    for (int type = 0; type < 5; ++type) {
        const PanelLayout& p = layouts[static_cast<std::size_t>(type)];
        const cockpit::PanelClickTable& t = cockpit::kPanelClickTables[type];
        int buttons = 0, knobs = 0;
        for (int i = 0; i < t.count; ++i) {
            const cockpit::PanelClickRegion& r = t.regions[i];
            const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
            for (int k = 0; k < g.count; ++k) {
                const char* label = g.buttons[k].label;
                if (label == nullptr) continue;
                const cockpit::ClickRect rect = cockpit::ButtonRect(g, k);
                bool found = false;
                for (const LayoutBox& text : p.texts) found = found || (text.what == label && Inside(text, rect));
                EXPECT_TRUE(found) << "type " << type << " " << g.buttons[k].command << " " << label;
                ++buttons;
            }
            cockpit::ClickRect squares[2];
            const int n = cockpit::KnobSquares(r, squares);
            for (int q = 0; q < n; ++q) {
                const cockpit::ClickRect& s = squares[q];
                bool found = false;
                for (const LayoutBox& f : p.faces)
                    found = found || (f.what == "knob" && f.radius > 0 && f.cx > s.left &&
                                      f.cx < s.right + 1 && f.cy > s.top && f.cy < s.bottom + 1);
                EXPECT_TRUE(found) << "type " << type << " knob at " << s.left << "," << s.top;
                ++knobs;
            }
        }
        EXPECT_GT(buttons, 10) << type;
        EXPECT_GE(knobs, 3) << type;
    }
}

}  // namespace
