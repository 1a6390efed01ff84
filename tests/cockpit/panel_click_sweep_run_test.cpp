// Every click of every panel acts on what is drawn under it, in the running program: each
// aircraft parked with its battery and avionics on (and the C172 and the Bonanza in their lower
// view too) is clicked at the middle of every button of its click tables (the table the panel
// itself uses), on both halves of every knob, trim wheel and flap lever and on every lever's
// push and pull, one click after the other; after each the flight is saved and the screen
// photographed. Between two clicks only what the clicked control works may change: its own keys
// of the saved flight, and pixels only inside its region of the panel or on the instrument it
// turns (a radio flip that changes the stations received, the masters and the starters may change
// anything). Where the lower view leaves controls out, a click where they would be changes
// nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/panel_views.h"
#include "support/starter_run.h"

namespace {

using cockpit::ClickRect;
using cockpit::PanelArea;
using testsupport::IndexedPicture;

struct Target {
    int x = 0;
    int y = 0;
    std::string what;
    std::vector<std::string> keys;   // prefixes of the saved keys it may change
    ClickRect region{};              // its region on this view's screen
    std::vector<ClickRect> screen;   // and where else it may change the picture (full view)
    bool anywhere = false;           // may change any pixel and any key
    bool mayIdle = false;            // may change nothing (already so, or on the ground)
    bool mustIdle = false;           // changes nothing at all
    int settle = 120;                // how long its effect takes (flaps travel, stations received)
    int rank = 0;                    // the order of the clicks within a region
};

// The rectangle of an instrument row of the panel (its drawing point and reach).
ClickRect AroundRow(int type, cockpit::PanelOp op, int reach) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i) {
        if (rows[i].op != op) continue;
        const int y = rows[i].y + cockpit::kFullViewOffset[type];
        return {rows[i].x - reach, y - reach, rows[i].x + reach, y + reach};
    }
    return {0, 0, -1, -1};
}
ClickRect Hsi(int type) {
    for (cockpit::PanelOp op : {cockpit::PanelOp::HsiC172, cockpit::PanelOp::HsiTwin, cockpit::PanelOp::HsiTurbine}) {
        const ClickRect r = AroundRow(type, op, 60);
        if (r.right > r.left) return r;
    }
    return {0, 0, -1, -1};
}
ClickRect Director(int type) {
    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(type);
    return {a.c - 2, a.d - 2, a.e + 2, a.f + 2};
}
ClickRect ClockWindow(int type) {
    const cockpit::IntPoint p = cockpit::kClockPoint[type];
    const int y = p.y + cockpit::kFullViewOffset[type];
    return {p.x - 4, y - 10, p.x + 52, y + 3};
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// What a command of the tables may change besides its region.
void Expect(const std::string& c, int type, Target* t) {
    const bool turbine = type >= 3;
    auto keys = [&](std::initializer_list<const char*> k) { t->keys.assign(k.begin(), k.end()); };
    if (StartsWith(c, "ToggleAudio")) {
        keys({"audioMix"});
    } else if (StartsWith(c, "AutoPilot") || StartsWith(c, "Autopilot")) {
        keys({"AP"});
        if (turbine) t->screen.push_back(Director(type));
        t->mayIdle = c.find("Trim") != std::string::npos;
    } else if (StartsWith(c, "DmeMode")) {
        // The hold receiver shows through NAV2's signal flag and bearing display.
        keys({"dme", "vor2", "nav2"});
        t->screen.push_back(Hsi(type));
        t->screen.push_back(AroundRow(type, cockpit::PanelOp::CourseIndicator, 55));
        t->screen.push_back(AroundRow(type, cockpit::PanelOp::Rmi, 55));
        const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[type];
        for (int i = 0; i < table.count; ++i)
            if (table.regions[i].area == PanelArea::Nav2Group) t->screen.push_back(table.regions[i].rect);
        t->mayIdle = true;
        t->settle = 4000;  // the new source's distance, speed and time come with its next reading
    } else if (c == "CommFlipStandby" || StartsWith(c, "CommMHz") || StartsWith(c, "CommKHz")) {
        keys({"com", "xpndr"});
    } else if (c == "ToggleIdent" || c == "ToggleVFR") {
        keys({"xpndr"});
    } else if (c == "NavFlipStandby") {
        t->anywhere = true;  // other stations received: needles, flags, idents
    } else if (c == "ToggleIDT" || c == "ToggleBRG" || StartsWith(c, "NavMHz") || StartsWith(c, "NavKHz")) {
        keys({"nav", "vor", "adf"});
    } else if (c == "RMI1" || c == "RMI2") {
        keys({"rmiButton"});
    } else if (c == "ToggleTimer" || c == "CycleElapseTime") {
        t->screen.push_back(ClockWindow(type));
        t->mayIdle = c == "CycleElapseTime";
    } else if (c == "ToggleTemperature") {
        t->screen.push_back(AroundRow(type, cockpit::PanelOp::OutsideAirTemperature, 30));
    } else if (c == "ToggleBatteryPower" || c == "ToggleAvionicPower" ||
               c.find("IgnitionStart") != std::string::npos) {
        t->anywhere = true;  // every powered window, or an engine coming to life
    } else if (c == "TogglePitotHeat") {
        keys({"pitot"});
    } else if (StartsWith(c, "Toggle") && c.find("Light") != std::string::npos) {
        keys({"strobes", "beacon", "navLights", "taxiLights", "landingLights"});
    } else if (c == "ToggleSpeedBrake") {
        keys({"speedBrake", "propSync", "fmSpoil"});
    } else if (c.find("Boost") != std::string::npos) {
        keys({"fuelBoost"});
    } else if (c.find("Cowl") != std::string::npos) {
        keys({"cowlFlaps"});
        t->mayIdle = c != "ToggleCowlFlaps";
    } else if (StartsWith(c, "CycleFuelSwitch")) {
        keys({"fuelSel"});
    } else {
        // Levers and switches that may already stand where a click puts them.
        static const struct {
            const char* prefix;
            std::vector<const char*> keys;
        } kMayIdle[] = {{"SetIgnition", {"ignition"}},
                        {"SetCarbHeat", {"carbHeat"}},
                        {"Throttle", {"throttle", "fmThrot"}},
                        {"Mixture", {"mixture"}},
                        {"PropPitch", {"propPitch"}}};
        for (const auto& m : kMayIdle)
            if (StartsWith(c, m.prefix)) {
                t->keys.assign(m.keys.begin(), m.keys.end());
                t->mayIdle = true;
                break;
            }
    }
    // The order within a region: tuning up, the flip (so it swaps two different frequencies),
    // tuning down, the rest; the masters and the starters last of all.
    const bool tuning = c.find("MHz") != std::string::npos || c.find("KHz") != std::string::npos;
    const bool up = c.find("Up") != std::string::npos;
    t->rank = tuning && up ? 0 : c.find("Flip") != std::string::npos ? 1 : tuning ? 2 : 3;
    if (t->anywhere && c != "NavFlipStandby") t->rank = c == "ToggleBatteryPower" ? 6 : 5;
    // The NAV flip waits for its stations before the clicks after it; the masters and starters
    // come last, so what they start need not settle.
    if (t->anywhere) t->settle = c == "NavFlipStandby" ? 12000 : 1000;
}

ClickRect Shift(ClickRect r, int dy) {
    return {r.left, r.top + dy, r.right, r.bottom + dy};
}

// The clicks of a panel in a view, in the order they are made.
std::vector<Target> Targets(int type, int view) {
    const int off = cockpit::kPanelThresholds[type].offset[view];
    const int top = cockpit::kPanelThresholds[type].top[view];
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[type];
    std::vector<Target> all;
    for (int i = 0; i < table.count; ++i) {
        const cockpit::PanelClickRegion& r = table.regions[i];
        const ClickRect region = Shift(r.rect, off);
        std::vector<Target> mine;
        auto add = [&](int x, int y, const std::string& what) {
            Target t;
            t.x = x;
            t.y = y + off;
            t.what = what;
            t.region = region;
            mine.push_back(t);
            return &mine.back();
        };
        if (r.shown == cockpit::RegionShown::FullView && view == 1) {
            // Not drawn in this view: a click where the control would be changes nothing.
            if (region.top <= 479) {
                Target* t = add((r.rect.left + r.rect.right) / 2, 0, "hidden region");
                t->y = std::max(region.top, top + 1);
                t->mustIdle = true;
            }
            all.insert(all.end(), mine.begin(), mine.end());
            continue;
        }
        // A radio's buttons change that radio's words only.
        std::vector<std::string> radio;
        switch (r.area) {
            case PanelArea::Nav1Group: radio = {"nav1", "vor1"}; break;
            case PanelArea::Nav2Group: radio = {"nav2", "vor2"}; break;
            case PanelArea::Com1Group: radio = {"com1"}; break;
            case PanelArea::Com2Group: radio = {"com2"}; break;
            case PanelArea::AdfGroup: radio = {"adf"}; break;
            case PanelArea::TransponderGroup: radio = {"xpndr"}; break;
            default: break;
        }
        const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
        for (int k = 0; k < g.count; ++k) {
            const ClickRect b = cockpit::ButtonRect(g, k);
            Target* t = add((b.left + b.right) / 2, (b.top + b.bottom) / 2, g.buttons[k].command);
            Expect(g.buttons[k].command, type, t);
            if (!radio.empty() && !t->keys.empty()) t->keys = radio;
            // A press-only button acts on the press and the release lets it go.
            if (g.buttons[k].kinds == cockpit::kOnPress) t->mayIdle = true;
        }
        auto knob = [&](int x, int y, int s, const char* what, std::vector<ClickRect> more,
                        std::initializer_list<const char*> keys) {
            for (int half = 0; half < 2; ++half) {
                Target* t = add(half == 0 ? x + s / 4 : x + s - s / 4, y + s / 2, what);
                t->screen.insert(t->screen.end(), more.begin(), more.end());
                t->keys.assign(keys.begin(), keys.end());
            }
        };
        const bool turbine = type >= 3;
        const std::vector<ClickRect> navMore =
            turbine ? std::vector<ClickRect>{Hsi(type), Director(type)} : std::vector<ClickRect>{Hsi(type)};
        switch (r.area) {
            case PanelArea::HeadingCoursePair:
                knob(r.a, r.b, r.c, "course knob", navMore, {"nav", "vor"});
                knob(r.d, r.e, r.f, "heading bug knob", {Hsi(type)}, {"nav1HSIbug"});
                break;
            case PanelArea::Nav1CourseKnob:
            case PanelArea::Nav2CourseKnob:
            case PanelArea::Nav2CourseKnobIfCard:
                knob(r.a, r.b, r.c, "course knob",
                     {AroundRow(type, cockpit::PanelOp::CourseIndicator, 55),
                      AroundRow(type, cockpit::PanelOp::AdfIndicator, 55)},
                     {"nav", "vor"});
                break;
            case PanelArea::AdfCourseKnob:
                knob(r.a, r.b, r.c, "ADF card knob", {AroundRow(type, cockpit::PanelOp::AdfIndicator, 55)}, {});
                break;
            case PanelArea::AltimeterKnob:
                knob(r.a, r.b, r.c, "altimeter knob",
                     {AroundRow(type, cockpit::PanelOp::ThreePointerAltimeter, 55),
                      AroundRow(type, cockpit::PanelOp::CounterAltimeter, 70)},
                     {});
                // The hands slew to the new setting.
                mine[mine.size() - 1].settle = mine[mine.size() - 2].settle = 1000;
                break;
            case PanelArea::ElevatorTrim:
            case PanelArea::FlapLever: {
                const bool flaps = r.area == PanelArea::FlapLever;
                // Down (the lower half) first, so that up has something to undo.
                for (int half = 1; half >= 0; --half) {
                    Target* t = add(r.a + r.c / 2, r.b + (half == 0 ? r.d / 4 : r.d - r.d / 4),
                                    flaps ? "flap lever" : "elevator trim");
                    t->keys = flaps ? std::vector<std::string>{"flaps", "fmFlaps"}
                                    : std::vector<std::string>{"elevatorTrim", "kbElevator", "fmElv"};
                    if (flaps) t->settle = 4000;
                }
                break;
            }
            case PanelArea::RudderTrim:
            case PanelArea::AileronTrim: {
                const bool rudder = r.area == PanelArea::RudderTrim;
                for (int half = 0; half < 2; ++half) {
                    Target* t = add(half == 0 ? r.a + r.c / 4 : r.a + r.c - r.c / 4, r.b + r.d / 2,
                                    rudder ? "rudder trim" : "aileron trim");
                    t->keys = rudder ? std::vector<std::string>{"rudderTrim", "kbRudder", "fmRud"}
                                     : std::vector<std::string>{"aileronTrim", "kbAileron", "fmAil"};
                }
                break;
            }
            case PanelArea::GearLever: {
                // Parked, the gear stays down.
                Target* t = add((r.rect.left + r.rect.right) / 2, (r.rect.top + r.rect.bottom) / 2, "gear lever");
                t->keys = {"gear", "fmGear"};
                t->mayIdle = true;
                break;
            }
            case PanelArea::LeverQuadrant: {
                // Each column's push (above row 445) and pull.
                const int c[6] = {r.a, r.b, r.c, r.d, r.e, r.f};
                int left = r.rect.left;
                for (int col = 0; col < 6 && c[col] > left; ++col) {
                    const int x = (left + c[col] - 1) / 2;
                    for (const int y : {(r.rect.top + 444) / 2, (445 + r.rect.bottom) / 2}) {
                        Target* t = add(x, y, "lever");
                        t->keys = {"throttle", "propPitch", "mixture", "fmThrot"};
                        t->mayIdle = true;
                    }
                    left = c[col] + 1;
                }
                break;
            }
            default:
                break;
        }
        std::stable_sort(mine.begin(), mine.end(), [](const Target& a, const Target& b) { return a.rank < b.rank; });
        all.insert(all.end(), mine.begin(), mine.end());
    }
    std::stable_sort(all.begin(), all.end(), [](const Target& a, const Target& b) {
        return std::max(a.rank, 4) < std::max(b.rank, 4);
    });
    return all;
}

// The keys ("[Section]key") whose values differ between two saved flights: not the simulated
// time, nor the ATC's state, which moves on by itself once a COM radio is heard (its traffic
// flies).
std::vector<std::string> ChangedKeys(const std::string& a, const std::string& b) {
    auto read = [](const std::string& text) {
        std::map<std::string, std::string> m;
        std::istringstream in(text);
        std::string line, section;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[') section = line;
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) m[section + line.substr(0, eq)] = line.substr(eq + 1);
        }
        return m;
    };
    const auto ma = read(a), mb = read(b);
    std::vector<std::string> changed;
    for (const auto& [k, v] : mb) {
        auto it = ma.find(k);
        if ((it == ma.end() || it->second != v) && k != "[Time]cur" && !StartsWith(k, "[ATCComm]"))
            changed.push_back(k);
    }
    return changed;
}

bool Within(int x, int y, const ClickRect& r) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

using Panel = testsupport::PanelView;

class PanelClickSweep : public ::testing::TestWithParam<Panel> {};

TEST_P(PanelClickSweep, EachClickChangesOnlyWhatItsControlWorks) {
    const Panel& p = GetParam();
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::vector<Target> targets = Targets(p.type, p.view);
    ASSERT_GT(targets.size(), 20u);
    testsupport::StarterRun run("zephlon-sweep", p.flight);
    // Battery and avionics on by their keys; the view; time for every gauge to settle.
    std::string script = "frame-interval 40\nwait 600\nkey Z press\nkey X press\n";
    if (p.view == 1) script += "menu 1664\n";
    // The receivers take up to ten seconds to find their stations after the avionics come on.
    script += "wait 12000\n";
    auto shot = [&](std::size_t i) {
        return "save " + run.Dir().Path("s" + std::to_string(i) + ".flt") + "\nscreenshot " +
               run.Dir().Path("s" + std::to_string(i) + ".bmp") + "\n";
    };
    script += shot(0);
    for (std::size_t i = 0; i < targets.size(); ++i)
        script += "mouse " + std::to_string(targets[i].x) + " " + std::to_string(targets[i].y) +
                  " left-click\nwait " + std::to_string(targets[i].settle) + "\n" + shot(i + 1);
    script += "quit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;

    const int off = cockpit::kPanelThresholds[p.type].offset[p.view];
    // What moves by itself: the clock.
    std::vector<ClickRect> noise = {Shift(ClockWindow(p.type), off)};
    // Above the panel the world shows; its lights (a beacon, an obstacle's lamp) blink by
    // themselves, a few pixels, where a click that moved the view would change thousands.
    const int worldBottom = cockpit::kPanelThresholds[p.type].top[p.view];
    constexpr int kWorldLights = 24;
    auto isNoise = [&](int x, int y) {
        for (const ClickRect& n : noise)
            if (Within(x, y, n)) return true;
        return false;
    };
    std::string flight = run.Dir().Read("s0.flt");
    IndexedPicture before = testsupport::ScreenIndices(run.Dir().Read("s0.bmp"));
    ASSERT_EQ(before.width, 640);
    int acted = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        const std::string where = std::string(p.name) + " " + t.what + " at " + std::to_string(t.x) +
                                  "," + std::to_string(t.y);
        const std::string nextFlight = run.Dir().Read("s" + std::to_string(i + 1) + ".flt");
        const IndexedPicture after = testsupport::ScreenIndices(run.Dir().Read("s" + std::to_string(i + 1) + ".bmp"));
        ASSERT_EQ(after.width, 640) << where;
        std::vector<std::string> keys = ChangedKeys(flight, nextFlight);
        if (p.type == 3)
            keys.erase(std::remove_if(keys.begin(), keys.end(),
                                      [](const std::string& k) { return StartsWith(k, "[Panel]tachometer"); }),
                       keys.end());
        int inside = 0, outside = 0, world = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                if (before.At(x, y) == after.At(x, y)) continue;
                bool allowed = Within(x, y, t.region);
                for (const ClickRect& s : t.screen)
                    allowed = allowed || (s.right >= s.left && Within(x, y, Shift(s, off)));
                if (allowed) {
                    ++inside;
                } else if (y < worldBottom && ++world <= kWorldLights) {
                    // The world's own blinking lights.
                } else if (!isNoise(x, y) && outside++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
        if (t.mustIdle) {
            EXPECT_EQ(inside + outside, 0) << where;
            EXPECT_TRUE(keys.empty()) << where << " changed " << (keys.empty() ? "" : keys.front());
        } else if (!t.anywhere) {
            EXPECT_EQ(outside, 0) << where << ": the picture changed at " << firstX << "," << firstY;
            for (const std::string& k : keys) {
                const std::string key = k.substr(k.find(']') + 1);
                bool allowed = key == "nav1RadioSelectedFlag" || key == "nav2RadioSelectedFlag";
                for (const std::string& prefix : t.keys)
                    allowed = allowed || StartsWith(prefix[0] == '[' ? k : key, prefix.c_str());
                EXPECT_TRUE(allowed) << where << " changed the saved " << k;
            }
            if (!t.mayIdle) {
                EXPECT_TRUE(inside > 0 || !keys.empty()) << where << " changed nothing";
            }
        }
        acted += inside > 0 || !keys.empty();
        flight = nextFlight;
        before = after;
    }
    EXPECT_GT(acted, static_cast<int>(targets.size()) / 2) << p.name;
}

INSTANTIATE_TEST_SUITE_P(Panels, PanelClickSweep, ::testing::ValuesIn(testsupport::kPanelViews),
                         [](const ::testing::TestParamInfo<Panel>& i) { return std::string(i.param.name); });

}  // namespace
