// The GPS window's bezel cut from its bitmap, its button bar, the buttons in the three modes and
// the identifier entry over the navigation database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cockpit/gps_display.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"

namespace {

using cockpit::GpsBezel;
using cockpit::GpsDisplay;

// A bezel bitmap of 100 x 120: borders 5, 6, 7 and 20; three wide pieces 4 rows high, then ten
// buttons of 8 x 6 (normal, an empty column, pressed), each row followed by an empty one.
struct Bitmap {
    int w = 100, h = 120;
    std::vector<std::uint8_t> px = std::vector<std::uint8_t>(100 * 120, 0);
    void Fill(int l, int t, int r, int b, std::uint8_t c) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                px[static_cast<std::size_t>(y) * w + x] = c;
    }
};
Bitmap SampleBezel() {
    Bitmap b;
    b.Fill(0, 0, 100, 120, 9);
    b.Fill(5, 7, 94, 100, 0);
    int y = 8;
    for (int piece = 0; piece < 3; ++piece, y += 5)
        b.Fill(6, y, 20, y + 4, 20);
    for (int button = 0; button < 10; ++button, y += 7) {
        b.Fill(6, y, 14, y + 6, static_cast<std::uint8_t>(30 + button));
        b.Fill(15, y, 23, y + 6, static_cast<std::uint8_t>(50 + button));
    }
    return b;
}

TEST(GpsBezel, CutsBordersPiecesAndButtons) {
    Bitmap s = SampleBezel();
    const GpsBezel b = cockpit::CutGpsBezel(s.px.data(), s.w, s.h, s.w);
    EXPECT_EQ(b.left, 5);
    EXPECT_EQ(b.right, 6);
    EXPECT_EQ(b.top, 7);
    EXPECT_EQ(b.bottom, 20);
    EXPECT_EQ(b.corners[3].w, 6);
    EXPECT_EQ(b.corners[3].h, 20);
    EXPECT_EQ(b.leftStrip.h, 120 - 7 - 20);
    EXPECT_EQ(b.topStrip.w, 100 - 5 - 6);
    // The wide pieces cover both halves; the buttons come in pairs.
    EXPECT_EQ(b.images[0].w, 29);
    EXPECT_EQ(b.images[4].h, 4);
    for (int id = 6; id <= 24; id += 2) {
        ASSERT_EQ(b.images[id].w, 8) << id;
        ASSERT_EQ(b.images[id].h, 6) << id;
        EXPECT_EQ(b.images[id].pixels[0], 30 + (id - 6) / 2) << id;
        EXPECT_EQ(b.images[id + 1].pixels[0], 50 + (id - 6) / 2) << id;
    }
}

TEST(GpsBezel, OddBitmapsNeverCrash) {
    const std::vector<std::uint8_t> zeros(64 * 64, 0), ones(64 * 64, 3), one(1, 7);
    const struct {
        const std::uint8_t* px;
        int w, h;
        int border;  // every border
    } cases[] = {
        {nullptr, 64, 64, 0},       // missing
        {zeros.data(), 64, 64, 0},  // all empty
        {ones.data(), 64, 64, 31},  // drawn all over: below half the side
        {one.data(), 1, 1, 0},      // tiny
        {zeros.data(), 0, 0, 0},
    };
    for (const auto& c : cases) {
        const GpsBezel b = cockpit::CutGpsBezel(c.px, c.w, c.h, c.w);
        EXPECT_EQ(b.left, c.border) << c.w;
        EXPECT_EQ(b.bottom, c.border) << c.w;
        EXPECT_EQ(b.images[6].w, 0);
        GpsDisplay g;
        g.SetBezel(b);
        g.SetWindowRect(0, 0, 128, 144);
        g.Redraw();  // draws whatever there is
        EXPECT_EQ(g.ButtonAt(64, 140), 0);
    }
}

TEST(GpsBezel, ButtonRectanglesMapToTheirIds) {
    Bitmap s = SampleBezel();
    GpsDisplay g;
    g.SetBezel(cockpit::CutGpsBezel(s.px.data(), s.w, s.h, s.w));
    g.SetWindowRect(0, 0, 256, 200);
    // Ten buttons of 8 with 24 pixels of gaps, centred; their middle on the bottom border's.
    const int total = 10 * 8 + 24, left = (256 - total) / 2, middle = 200 - 20 + 10;
    EXPECT_EQ(g.ButtonRect(6).left, left);
    EXPECT_EQ(g.ButtonRect(24).right, left + total);
    EXPECT_EQ(g.ButtonRect(12).left, g.ButtonRect(10).right + 6);
    EXPECT_EQ(g.ButtonBar().left, left - 4);
    EXPECT_EQ(g.ButtonBar().right, left + total + 4);
    for (int id = 6; id <= 24; id += 2) {
        const cockpit::GpsRect& r = g.ButtonRect(id);
        EXPECT_EQ(r.top, middle - 3) << id;
        EXPECT_EQ(g.ButtonAt(r.left, r.top), id);  // left and top edges included
        EXPECT_EQ(g.ButtonAt(r.right - 1, r.bottom - 1), id);
        EXPECT_NE(g.ButtonAt(r.right, r.top), id);   // right edge excluded
        EXPECT_EQ(g.ButtonAt(r.left, r.bottom), 0);  // bottom edge excluded
    }
}

// A press on the button strip presses the button and never drags; the press shows for one redraw.
TEST(GpsBezel, StripPressesButtonsAndShowsThemOnce) {
    Bitmap s = SampleBezel();
    GpsDisplay g;
    g.Load(0);
    g.SetBezel(cockpit::CutGpsBezel(s.px.data(), s.w, s.h, s.w));
    g.SetWindowRect(40, 50, 256, 200);
    const cockpit::GpsRect menu = g.ButtonRect(cockpit::kGpsMenu);
    EXPECT_EQ(g.OnMouseDown(40 + menu.left + 2, 50 + menu.top + 2), 1);
    EXPECT_TRUE(g.MenuOpen());
    EXPECT_EQ(g.CursorAt(40 + menu.left + 2, 50 + menu.top + 2), 631);
    g.OnMouseMove(200, 200);  // no drag was started
    EXPECT_EQ(g.X(), 40);
    EXPECT_EQ(g.Highlight(), cockpit::kGpsMenu);
    g.Redraw();
    // The pressed image (50 + 3) was drawn, then the highlight cleared.
    EXPECT_EQ(g.Page()[static_cast<std::size_t>(menu.top) * 256 + menu.left], 53);
    EXPECT_EQ(g.Highlight(), 0);
    g.Redraw();
    EXPECT_EQ(g.Page()[static_cast<std::size_t>(menu.top) * 256 + menu.left], 33);
    g.SaveGpsWindowRect();
}

planning::FlightPlan thePlan;
bool thePlanActive = false;

// The world: VORs and airports round the aircraft, and a flight plan when asked.
class GpsButtons : public ::testing::Test {
protected:
    void SetUp() override {
        saved = cockpit::theGpsSources;
        cockpit::theGpsSources.flightPlan = [] {
            return thePlanActive ? &thePlan : static_cast<const planning::FlightPlan*>(nullptr);
        };
        cockpit::theGpsSources.readSms = [](std::uint32_t, std::uint8_t*, int) { return 0; };
        thePlanActive = false;
        nav::theNavDatabase.Clear();
        const char* vors[] = {"ABC", "ABD", "ABA", "ACX", "AB", "ABCE", "ABCD", "ZZZ", "ABB"};
        int i = 0;
        for (const char* id : vors) {
            nav::VorRecord r;
            r.ident = id;
            r.x = 1000 * ++i;
            nav::theNavDatabase.vors.push_back(r);
        }
        for (const char* id : {"KSQL", "KSFO", "KOAK"}) {
            nav::AirportIndexRecord a;
            a.ident = id;
            a.x = 5000 * ++i;
            nav::theNavDatabase.airports.push_back(a);
        }
        flight::theFlightModelState.fmPosX = 0;
        flight::theFlightModelState.fmPosZ = 0;
    }
    void TearDown() override {
        nav::theNavDatabase.Clear();
        cockpit::theGpsSources = saved;
    }
    static int Find(const char* ident) {
        for (int i = 0; i < GpsDisplay::ItemCount(1); ++i)
            if (GpsDisplay::Ident(1, i) == ident) return i;
        return -1;
    }
    void Press(std::initializer_list<int> ids) {
        for (int id : ids)
            g.PressButton(id);
    }
    GpsDisplay g;
    cockpit::GpsSources saved{};
};

using namespace cockpit;

TEST_F(GpsButtons, ModesPagesAndMenuLines) {
    struct Step {
        std::vector<int> presses;
        int mode, page, line;
        bool menu;
        double range;
    };
    const Step steps[] = {
        {{kGpsWaypoint}, 0, 0, 0, false, 4.0},
        {{kGpsMenu, kGpsUp}, 0, 0, 3, true, 4.0},         // up on line 0 wraps to line 3
        {{kGpsZoomIn, kGpsZoomOut}, 0, 0, 3, true, 4.0},  // zoom buttons inert with the menu open
        {{kGpsWaypoint}, 0, 0, 3, true, 4.0},             // the mode's own button keeps the line
        {{kGpsDown, kGpsRight}, 0, 1, 0, true, 4.0},      // line 0: the next category's page
        {{kGpsMenu, kGpsZoomOut}, 0, 1, 0, false, 5.0},
        {{kGpsNearest}, 2, 8, 0, false, 25.0},
        {{kGpsMenu, kGpsDown, kGpsDown, kGpsDown}, 2, 8, 0, true, 25.0},  // lines 0..2
        {{kGpsNavigation}, 1, 4, 0, true, 55.0},
        {{kGpsUp}, 1, 4, 5, true, 55.0},
        {{kGpsDown}, 1, 4, 0, true, 55.0},  // down on line 5 goes to line 0
    };
    for (const Step& s : steps) {
        for (int id : s.presses)
            g.PressButton(id);
        EXPECT_EQ(g.Mode(), s.mode) << s.presses[0];
        EXPECT_EQ(g.CurrentPage(), s.page) << s.presses[0];
        EXPECT_EQ(g.MenuLine(), s.line) << s.presses[0];
        EXPECT_EQ(g.MenuOpen(), s.menu) << s.presses[0];
        EXPECT_DOUBLE_EQ(g.Range(), s.range) << s.presses[0];
    }
}

TEST_F(GpsButtons, LayersFollowTheMenus) {
    Press({kGpsWaypoint});
    EXPECT_EQ(g.Layers(), 0x101u);                     // airports and the aircraft
    Press({kGpsMenu, kGpsDown, kGpsDown, kGpsRight});  // victor routes on
    EXPECT_EQ(g.Layers() & 0x200u, 0x200u);
    Press({kGpsUp, kGpsUp, kGpsRight});  // category: VORs
    EXPECT_EQ(g.Layers(), 0x302u);
    EXPECT_EQ(g.Category(), 1);
    // Nearest: the category changes when the menu closes.
    Press({kGpsMenu, kGpsNearest, kGpsMenu, kGpsRight});
    EXPECT_EQ(g.Category(), 2);
    EXPECT_EQ(g.Layers() & 0xFu, 0x2u);
    Press({kGpsMenu});
    EXPECT_EQ(g.Layers() & 0xFu, 0x4u);
    EXPECT_EQ(g.CurrentPage(), 8);
    // Navigation: the mode's own flags (airports, VORs and NDBs; the intersections, hundreds
    // within its range, only on request), each line its layer.
    Press({kGpsNavigation});
    EXPECT_EQ(g.Layers() & 0x10Fu, 0x107u);
    Press({kGpsMenu, kGpsRight});
    EXPECT_EQ(g.Layers() & 0xFu, 0x5u);  // VORs off
    Press({kGpsDown, kGpsDown, kGpsRight});
    EXPECT_EQ(g.Layers() & 0xFu, 0xDu);  // intersections on
}

TEST_F(GpsButtons, NearestItemIsSelected) {
    flight::theFlightModelState.fmPosX = 4400;   // between ACX (4000) and AB (5000)
    Press({kGpsWaypoint, kGpsMenu, kGpsRight});  // VORs
    EXPECT_EQ(GpsDisplay::Ident(1, g.SelectedItem()), "ACX");
}

TEST_F(GpsButtons, IdentifierEntryWalksTheDatabase) {
    Press({kGpsWaypoint, kGpsMenu, kGpsRight});  // VORs, the nearest (ABC) selected
    ASSERT_EQ(GpsDisplay::Ident(1, g.SelectedItem()), "ABC");
    Press({kGpsDown, kGpsRight});  // "Waypoint ID": the cursor on the first character
    EXPECT_EQ(g.IdentCursor(), 0);
    const struct {
        const char* from;
        int cursor;
        int button;
        const char* to;
    } cases[] = {
        {"ABC", 2, kGpsDown, "ABD"},                             // up a letter
        {"ABC", 2, kGpsUp, "ABB"},                               // down: the nearest below
        {"ABB", 2, kGpsUp, "ABA"},   {"ABA", 2, kGpsUp, "ABA"},  // nothing below: kept
        {"ABC", 1, kGpsDown, "ACX"},                             // the second letter
        {"ZZZ", 0, kGpsDown, "ZZZ"},                             // nothing above
        {"ZZZ", 0, kGpsUp, "AB"},  // the nearest letter, the first sorted from there on
    };
    for (const auto& c : cases) {
        g.SelectItem(Find(c.from));
        while (g.IdentCursor() > c.cursor)
            g.PressButton(kGpsLeft);
        while (g.IdentCursor() < c.cursor)
            g.PressButton(kGpsRight);
        g.PressButton(c.button);
        EXPECT_EQ(GpsDisplay::Ident(1, g.SelectedItem()), c.to) << c.from << " " << c.cursor;
    }
    // Past the last character: the longer identifier with the lowest next letter.
    g.SelectItem(Find("ABC"));
    Press({kGpsRight, kGpsRight, kGpsRight});
    EXPECT_EQ(GpsDisplay::Ident(1, g.SelectedItem()), "ABCD");
    EXPECT_EQ(g.IdentCursor(), 3);
    Press({kGpsRight});  // nothing longer: the entry ends
    EXPECT_EQ(g.IdentCursor(), -1);
    EXPECT_EQ(g.MenuLine(), 1);
    // Left before the first character ends it too.
    Press({kGpsLeft});  // the cursor on the last character
    EXPECT_EQ(g.IdentCursor(), 3);
    Press({kGpsLeft, kGpsLeft, kGpsLeft, kGpsLeft});
    EXPECT_EQ(g.IdentCursor(), -1);
}

TEST_F(GpsButtons, NavigationLegsNeedAFlightPlan) {
    Press({kGpsNavigation, kGpsMenu});
    EXPECT_TRUE(g.MenuOpen());
    Press({kGpsMenu});  // the default leg, but no plan: the menu closes
    EXPECT_FALSE(g.MenuOpen());
    EXPECT_EQ(g.Leg(), 0);
    thePlan.active = 1;
    thePlan.nodeCount = 3;
    thePlanActive = true;
    Press({kGpsMenu, kGpsMenu});
    EXPECT_TRUE(g.MenuOpen());
    EXPECT_EQ(g.Leg(), -1);
    for (int i = 0; i < 6; ++i)
        g.PressButton(kGpsRight);
    EXPECT_EQ(g.Leg(), 4);  // at most the waypoints + 1
    Press({kGpsMenu});
    EXPECT_FALSE(g.MenuOpen());
    EXPECT_EQ(g.Leg(), 0);
}

TEST_F(GpsButtons, NavigationMenuShowsTheLegsWaypointWithItsDetails) {
    // San Carlos, the ABC VOR, an unknown fix, Oakland; the aircraft flies the second leg.
    thePlan = {};
    thePlan.active = 1;
    thePlan.nodeCount = 4;
    thePlan.currentNode = 1;
    const std::pair<const char*, int> nodes[] = {{"KSQL", 1}, {"ABC", 2}, {"NOPE", 6}, {"KOAK", 1}};
    for (int i = 0; i < 4; ++i)
        thePlan.nodes[static_cast<std::size_t>(i)].ident = nodes[i].first,
        thePlan.nodes[static_cast<std::size_t>(i)].kind = nodes[i].second;
    thePlanActive = true;
    const struct {
        int leg;
        const char* text;
        const char* id;
        const char* type;
    } cases[] = {
        {1, "Departure KSQL", "ID: KSQL", "Type: Airport"},
        {2, "KSQL -> ABC", "ID: ABC", "Type: VOR VOR"},
        {3, "Enroute to NOPE", "ID: NOPE", nullptr},  // not in the database: its name alone
        {4, "Arrival KOAK", "ID: KOAK", "Type: Airport"},
        {5, "Arrival KOAK", "ID: KOAK", "Type: Airport"},
    };
    Press({kGpsNavigation, kGpsMenu, kGpsMenu});
    ASSERT_EQ(g.Leg(), -1);
    g.Redraw();  // the default leg on the departure page: the first
    for (const auto& c : cases) {
        g.Redraw();
        ASSERT_EQ(g.Leg(), c.leg);
        EXPECT_EQ(GpsDisplay::LegText(thePlan, 4, c.leg), c.text);
        const std::vector<std::string>& box = g.BoxLines();
        ASSERT_FALSE(box.empty()) << c.leg;
        EXPECT_EQ(box[0], c.id);
        if (c.type != nullptr) {
            ASSERT_GE(box.size(), 6u) << c.leg;
            EXPECT_EQ(box[1], c.type);
            EXPECT_NE(box.back().find("deg BRG"), std::string::npos) << box.back();
        } else {
            EXPECT_EQ(box.size(), 1u);
        }
        g.PressButton(kGpsRight);
    }
    thePlanActive = false;
}

}  // namespace
