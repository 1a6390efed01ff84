// A right click on every control of every panel view shows the help of that control, in the
// running program: each aircraft parked (and the C172 and the Bonanza in their lower view too)
// is right-clicked at the middle of every button of its click tables (the table the panel itself
// uses for the left button), on every knob, trim wheel, flap and gear lever and on every lever of
// its quadrant; the popup each click opens must name what the table says stands there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "cockpit/panel_click_regions.h"
#include "support/panel_views.h"
#include "support/starter_run.h"

namespace {

using cockpit::PanelArea;

struct Target {
    int x = 0;
    int y = 0;
    std::string what;                 // the control, as the tables name it
    std::vector<std::string> titles;  // what its help may begin with (any of them)
};

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}
bool EndsWith(const std::string& s, const char* suffix) {
    const std::string t = suffix;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// The help titles of a radio stack group; empty for the other areas.
std::vector<std::string> GroupTitles(PanelArea area) {
    switch (area) {
        case PanelArea::AudioGroup: return {"Audio panel"};
        case PanelArea::AutopilotGroup: return {"Autopilot"};
        case PanelArea::DmeGroup: return {"DME"};
        case PanelArea::Com1Group: return {"COM1 radio"};
        case PanelArea::Com2Group: return {"COM2 radio"};
        case PanelArea::AdfGroup: return {"ADF receiver"};
        case PanelArea::Nav1Group: return {"NAV1 radio"};
        case PanelArea::Nav2Group: return {"NAV2 radio"};
        case PanelArea::TransponderGroup: return {"Transponder"};
        default: return {};
    }
}

// The help titles of a switch row's button, by its command (on the twins the speed-brake command
// works the propeller synchronisation).
std::vector<std::string> CommandTitles(const std::string& c, int type) {
    const bool right = EndsWith(c, "Right");
    const struct {
        const char* prefix;
        std::vector<std::string> titles;
    } kRows[] = {
        {"ToggleBatteryPower", {"Battery master"}},
        {"ToggleAvionicPower", {"Avionics master"}},
        {"TogglePitotHeat", {"Pitot heat"}},
        {"ToggleStrobeLight", {"Strobe"}},
        {"ToggleBeaconLight", {"Beacon"}},
        {"ToggleNavLight", {"Navigation lights"}},
        {"ToggleTaxiLight", {"Taxi light"}},
        {"ToggleLandingLight", {"Landing light"}},
        {"ToggleSpeedBrake", {type == 4 ? "Speed brake" : "Propeller synchronisation"}},
        {"ToggleLeftBoost", {"Fuel boost"}},
        {"ToggleRightBoost", {"Fuel boost"}},
        {"ToggleCowlFlaps", {"Cowl flaps"}},
        {"OpenCowlFlaps", {"Cowl flaps"}},
        {"CloseCowlFlaps", {"Cowl flaps"}},
        {"ToggleTemperature", {"Temperature readout", "Outside air"}},
        {"ToggleTimer", {"Clock"}},
        {"CycleElapseTime", {"Clock"}},
        {"RMI", {"RMI needle buttons"}},
        {"CycleFuelSwitch",
         {right ? "Right fuel selector" : "Fuel selector", "Left fuel selector"}},
        // The turbines' start switches, or the START of an ignition key.
        {"SetIgnitionStart",
         {right ? "Right engine start switch" : "Left engine start switch",
          right ? "Right ignition switch" : "Ignition switch", "Left ignition switch"}},
        {"SetIgnition",
         {right ? "Right ignition switch" : "Ignition switch", "Left ignition switch"}},
        {"SetCarbHeat", {"Carburettor heat"}},
        {"Throttle", {"Throttle"}},
        {"Mixture", {"Mixture"}},
        {"PropPitch", {"Propeller control"}},
    };
    for (const auto& r : kRows)
        if (StartsWith(c, r.prefix)) return r.titles;
    return {};
}

// The clicks of a panel in a view.
std::vector<Target> Targets(int type, int view) {
    const int off = cockpit::kPanelThresholds[type].offset[view];
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[type];
    std::vector<Target> all;
    for (int i = 0; i < table.count; ++i) {
        const cockpit::PanelClickRegion& r = table.regions[i];
        if (r.shown == cockpit::RegionShown::FullView && view == 1) continue;
        auto add = [&](int x, int y, const std::string& what, std::vector<std::string> titles) {
            all.push_back({x, y + off, what, std::move(titles)});
        };
        const std::vector<std::string> group = GroupTitles(r.area);
        const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
        for (int k = 0; k < g.count; ++k) {
            const cockpit::ClickRect b = cockpit::ButtonRect(g, k);
            const std::string c = g.buttons[k].command;
            add((b.left + b.right) / 2, (b.top + b.bottom) / 2, c,
                group.empty() ? CommandTitles(c, type) : group);
        }
        const int midX = (r.rect.left + r.rect.right) / 2, midY = (r.rect.top + r.rect.bottom) / 2;
        const bool turbine = type >= 3;
        // The knobs (a square at a, b of side c) and the boxes (a, b, c wide and d high).
        static const struct {
            PanelArea area;
            bool box;
            const char* what;
            std::vector<std::string> titles;
        } kParts[] = {
            {PanelArea::Nav1CourseKnob, false, "NAV1 course knob", {"NAV1 course indicator"}},
            {PanelArea::Nav2CourseKnob, false, "NAV2 course knob",
             {"NAV2 course indicator", "Second course indicator"}},
            {PanelArea::Nav2CourseKnobIfCard, false, "NAV2 course knob",
             {"NAV2 course indicator", "Second course indicator"}},
            {PanelArea::AdfCourseKnob, false, "ADF card knob", {"ADF indicator"}},
            {PanelArea::AltimeterKnob, false, "altimeter knob", {"Altimeter"}},
            {PanelArea::ElevatorTrim, true, "elevator trim", {"Elevator trim"}},
            {PanelArea::RudderTrim, true, "rudder trim", {"Rudder trim"}},
            {PanelArea::AileronTrim, true, "aileron trim", {"Aileron trim"}},
            {PanelArea::FlapLever, true, "flap lever", {"Flap lever"}},
        };
        for (const auto& part : kParts)
            if (part.area == r.area)
                add(r.a + r.c / 2, r.b + (part.box ? r.d : r.c) / 2, part.what, part.titles);
        switch (r.area) {
            case PanelArea::HeadingCoursePair:
                for (const auto& [x, y, s] : {std::tuple{r.a, r.b, r.c}, std::tuple{r.d, r.e, r.f}})
                    add(x + s / 2, y + s / 2, "heading and course knobs",
                        {type == 0 ? "Heading indicator"
                         : turbine ? "Course and heading knobs"
                                   : "Horizontal situation indicator",
                         "Heading indicator", "Course and heading knobs"});
                break;
            case PanelArea::GearLever:
                add(midX, midY, "gear lever", {"Landing gear lever"});
                break;
            case PanelArea::LeverQuadrant: {
                const int c[6] = {r.a, r.b, r.c, r.d, r.e, r.f};
                int left = r.rect.left;
                for (int col = 0; col < 6 && c[col] > left; ++col) {
                    add((left + c[col] - 1) / 2, midY, "lever",
                        {"Throttle", "Right throttle", "Propeller control", "Right propeller control",
                         "Mixture", "Right mixture", "Cowl flaps", "Carburettor heat"});
                    left = c[col] + 1;
                }
                break;
            }
            default:
                break;
        }
    }
    return all;
}

// The text of the help popup each click opened (empty where it opened none): the runner traces
// "popups close" before every click and after the last.
std::vector<std::string> PopupsPerClick(const std::string& trace) {
    std::vector<std::string> out;
    std::size_t at = trace.find("popups close");
    while (at != std::string::npos) {
        const std::size_t next = trace.find("popups close", at + 1);
        const std::string part = trace.substr(at, next == std::string::npos ? std::string::npos : next - at);
        const std::size_t popup = part.find("help popup ");
        std::string text;
        if (popup != std::string::npos) {
            const std::size_t colon = part.find("): ", popup);
            text = part.substr(colon + 3, part.find('\n', colon) - colon - 3);
        }
        out.push_back(text);
        at = next;
    }
    // The last marker comes after the last click.
    if (!out.empty()) out.pop_back();
    return out;
}

using Panel = testsupport::PanelView;

class PanelHelpSweep : public ::testing::TestWithParam<Panel> {};

TEST_P(PanelHelpSweep, EachRightClickShowsTheHelpOfTheControlUnderIt) {
    const Panel& p = GetParam();
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::vector<Target> targets = Targets(p.type, p.view);
    ASSERT_GT(targets.size(), 20u);
    testsupport::StarterRun run("zephlon-helpsweep", p.flight);
    std::string script = "frame-interval 40\nwait 400\n";
    if (p.view == 1) script += "menu 1664\nwait 200\n";
    script += "popups close\n";
    for (const Target& t : targets)
        script += "mouse " + std::to_string(t.x) + " " + std::to_string(t.y) +
                  " right-click\nwait 60\npopups close\n";
    script += "quit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> popups = PopupsPerClick(r.out);
    ASSERT_EQ(popups.size(), targets.size()) << r.out;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        const std::string where = std::string(p.name) + " " + t.what + " at " +
                                  std::to_string(t.x) + "," + std::to_string(t.y);
        ASSERT_FALSE(t.titles.empty()) << where << ": no help title known for it";
        const bool named = std::any_of(t.titles.begin(), t.titles.end(), [&](const std::string& title) {
            return StartsWith(popups[i], title.c_str());
        });
        EXPECT_TRUE(named) << where << " shows \"" << popups[i] << "\", not \"" << t.titles.front()
                           << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(Panels, PanelHelpSweep, ::testing::ValuesIn(testsupport::kPanelViews),
                         [](const ::testing::TestParamInfo<Panel>& i) { return std::string(i.param.name); });

}  // namespace
