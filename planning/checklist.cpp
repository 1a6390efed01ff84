#include "planning/checklist.h"

#include <array>
#include <cstdio>

#include "ui/dialog_helpers.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/resource.h"

namespace planning {
namespace {

constexpr int kLines = 1624;
constexpr int kSections = 1944;
constexpr int kTitle = 1862;

// A section as written: its title and its steps, "Item -- SETTING", a "\n" where a long step
// goes on to the next line.
struct Section {
    const char* title;
    std::vector<const char*> steps;
};

// The checklists, in our own words from common practice for each type; speeds are indicated
// knots as the types' handbooks give them.
const std::vector<Section> k172 = {
    {"STARTING ENGINE",
     {"Mixture -- RICH", "Carburetor Heat -- COLD", "Battery / Alternator Switch -- ON",
      "Fuel Selector Valve -- BOTH", "Throttle -- OPEN 1/8 INCH", "Propeller Area -- CLEAR",
      "Ignition Switch -- START (release\nwhen engine starts)", "Oil Pressure -- CHECK",
      "Flashing Beacon and Navigation\nLights -- ON as required",
      "Avionics Power Switch and Radios-- ON"}},
    {"BEFORE TAKEOFF",
     {"Parking Brake -- SET", "Cabin Doors and Windows -- CLOSED\nand LOCKED",
      "Flight Controls -- FREE and CORRECT", "Flight Instruments -- SET",
      "Fuel Selector Valve -- BOTH", "Mixture -- RICH (below 3,000 ft)", "Elevator Trim -- TAKEOFF",
      "Throttle -- 1,700 RPM", "Magnetos -- CHECK (drop 125 RPM\nmax, 50 RPM difference)",
      "Carburetor Heat -- CHECK for RPM drop", "Suction Gauge -- CHECK",
      "Engine Instruments and Ammeter --\nCHECK", "Throttle -- 1,000 RPM or less", "Radios -- SET",
      "Strobe Lights -- ON", "Wing Flaps -- UP to 10 degrees"}},
    {"TAKEOFF",
     {"Wing Flaps -- UP to 10 degrees", "Carburetor Heat -- COLD", "Throttle -- FULL OPEN",
      "Elevator Control -- LIFT NOSE WHEEL\nat 55 KIAS", "Climb Speed -- 70 to 80 KIAS",
      "Wing Flaps -- RETRACT above 60 KIAS", "Short Field: Wing Flaps -- 10 degrees",
      "Carburetor Heat -- COLD", "Brakes -- APPLY", "Throttle -- FULL OPEN",
      "Mixture -- RICH (lean above 3,000\nft for maximum RPM)", "Brakes -- RELEASE",
      "Elevator Control -- SLIGHTLY TAIL LOW", "Climb Speed -- 56 KIAS until all\nobstacles are cleared",
      "Wing Flaps -- RETRACT slowly after\nreaching 60 KIAS", "Climb Speed -- 70 to 80 KIAS"}},
    {"ENROUTE CLIMB",
     {"Airspeed -- 70 to 85 KIAS", "Throttle -- FULL OPEN",
      "Mixture -- RICH below 3,000 ft,\nLEAN above for maximum RPM"}},
    {"CRUISE",
     {"Power -- 2,100 to 2,700 RPM\n(no more than 75% power)", "Elevator Trim -- ADJUST",
      "Mixture -- LEAN"}},
    {"DESCENT",
     {"Fuel Selector Valve -- BOTH", "Power -- AS DESIRED", "Mixture -- ENRICHEN as required",
      "Carburetor Heat -- FULL HEAT as\nrequired to prevent icing", "Altimeter -- SET",
      "Elevator Trim -- ADJUST", "Landing Light -- ON as required"}},
    {"BEFORE LANDING",
     {"Seats, Belts, Harnesses -- SECURE", "Fuel Selector Valve -- BOTH", "Mixture -- RICH",
      "Carburetor Heat -- ON"}},
    {"LANDING",
     {"Airspeed -- 65 to 75 KIAS (flaps UP)",
      "Wing Flaps -- AS DESIRED (below\n110 KIAS for 10 degrees, below 85\nKIAS for 10 to 40 degrees)",
      "Airspeed -- 60 to 70 KIAS (flaps\nDOWN)", "Touchdown -- MAIN WHEELS FIRST",
      "Landing Roll -- LOWER NOSE WHEEL\nGENTLY", "Braking -- MINIMUM REQUIRED",
      "Short Field: Airspeed -- 65 to 75 KIAS", "Wing Flaps -- FULL DOWN (40 degrees)",
      "Airspeed -- 61 KIAS until flare", "Power -- REDUCE to idle as the\nobstacle is cleared",
      "Touchdown -- MAIN WHEELS FIRST", "Brakes -- APPLY HEAVILY", "Wing Flaps -- RETRACT",
      "Go-around: Throttle -- FULL OPEN", "Carburetor Heat -- COLD",
      "Wing Flaps -- RETRACT to 20 degrees", "Climb Speed -- 55 KIAS",
      "Wing Flaps -- RETRACT SLOWLY after\nreaching a safe altitude and 60\nKIAS",
      "Climb Speed -- 70 to 80 KIAS", "Elevator Trim -- ADJUST", "Traffic Pattern -- RE-ENTER",
      "Before Landing Checklist -- REPEAT"}},
    {"AFTER LANDING", {"Wing Flaps -- UP", "Carburetor Heat -- COLD"}},
    {"SHUTDOWN", {"Avionics, Mixture, Magnetos -- OFF"}},
};

const std::vector<Section> kBonanza = {
    {"STARTING ENGINE",
     {"Seats, Belts, Harnesses -- SECURE", "Parking Brake -- SET", "Circuit Breakers -- IN",
      "Landing Gear Handle -- DOWN", "Fuel Selector Valve -- FULLEST TANK", "Mixture -- FULL RICH",
      "Propeller -- HIGH RPM", "Throttle -- OPEN 1/2 INCH", "Battery and Alternator -- ON",
      "Auxiliary Fuel Pump -- ON until\nfuel flow shows, then OFF", "Propeller Area -- CLEAR",
      "Magneto / Start Switch -- START", "Oil Pressure -- CHECK",
      "Avionics Master Switch -- ON"}},
    {"BEFORE TAKEOFF",
     {"Parking Brake -- SET", "Doors and Windows -- CLOSED and\nLOCKED",
      "Flight Controls -- FREE and CORRECT", "Flight Instruments -- SET",
      "Fuel Selector Valve -- FULLEST TANK", "Engine Instruments -- IN THE GREEN",
      "Throttle -- 2,200 RPM", "Magnetos -- CHECK (drop 150 RPM\nmax, 50 RPM difference)",
      "Propeller -- EXERCISE three times", "Alternator -- CHECK output",
      "Throttle -- 1,000 RPM", "Trim -- SET for takeoff", "Cowl Flaps -- OPEN",
      "Wing Flaps -- UP", "Mixture -- FULL RICH (lean for\nfield elevation)",
      "Transponder -- ALT and Strobes ON"}},
    {"TAKEOFF",
     {"Power -- FULL THROTTLE, 2,700 RPM", "Engine Instruments -- CHECK",
      "Rotate -- 70 KIAS", "Landing Gear -- UP with no runway\nleft ahead",
      "Climb Speed -- 96 KIAS (best rate)", "Landing Light -- OFF"}},
    {"CLIMB",
     {"Power -- 25 in. Hg, 2,500 RPM", "Mixture -- LEAN as altitude\nincreases"}},
    {"CRUISE", {"Power -- SET from the cruise table", "Cowl Flaps -- CLOSED", "Mixture -- LEAN"}},
    {"DESCENT",
     {"Altimeter -- SET", "Power -- REDUCE, keep the engine\nwarm", "Mixture -- ENRICHEN as required"}},
    {"BEFORE LANDING",
     {"Seats, Belts, Harnesses -- SECURE", "Fuel Selector Valve -- FULLEST TANK",
      "Mixture -- FULL RICH", "Cowl Flaps -- AS REQUIRED",
      "Landing Gear -- DOWN below 152 KIAS\n(three green lights)",
      "Wing Flaps -- 15 degrees below 152\nKIAS, FULL DOWN below 123 KIAS",
      "Propeller -- HIGH RPM", "Approach Speed -- 77 KIAS", "Landing Light -- ON",
      "Autopilot -- OFF", "Brakes -- CHECK"}},
    {"BALKED LANDING",
     {"Power -- FULL THROTTLE, 2,700 RPM", "Airspeed -- 80 KIAS",
      "Wing Flaps -- UP in stages", "Landing Gear -- UP", "Cowl Flaps -- OPEN",
      "Climb Speed -- 96 KIAS"}},
    {"AFTER LANDING",
     {"Landing Light -- OFF", "Wing Flaps -- UP", "Cowl Flaps -- OPEN", "Trim -- SET for takeoff"}},
    {"SHUTDOWN",
     {"Parking Brake -- SET", "Avionics Master Switch -- OFF", "Electrical Equipment -- OFF",
      "Throttle -- CLOSED", "Mixture -- IDLE CUT-OFF", "Magnetos, Battery, Alternator -- OFF"}},
};

const std::vector<Section> kBaron = {
    {"STARTING ENGINE",
     {"Seats, Belts, Harnesses -- SECURE", "Parking Brake -- SET", "Circuit Breakers -- IN",
      "Landing Gear Handle -- DOWN", "Fuel Selectors -- ON", "Cowl Flaps -- OPEN",
      "Mixtures -- FULL RICH", "Propellers -- HIGH RPM", "Throttles -- OPEN 1/2 INCH",
      "Battery and Alternators -- ON", "Propeller Areas -- CLEAR",
      "Left Auxiliary Fuel Pump -- HIGH\nuntil fuel flow shows, then OFF",
      "Left Magneto / Start Switch -- START", "Left Oil Pressure -- CHECK",
      "Right Engine -- START the same\nway", "Right Oil Pressure -- CHECK",
      "Avionics Master Switch -- ON"}},
    {"BEFORE TAKEOFF",
     {"Parking Brake -- SET", "Doors and Windows -- CLOSED and\nLOCKED",
      "Flight Controls -- FREE and CORRECT", "Flight Instruments -- SET",
      "Fuel Quantity -- CHECK", "Throttles -- 2,200 RPM",
      "Magnetos -- CHECK (drop 150 RPM\nmax, 50 RPM difference)",
      "Propellers -- EXERCISE and FEATHER\ncheck", "Alternators -- CHECK both",
      "Throttles -- 1,000 RPM", "Trim Tabs -- SET for takeoff", "Wing Flaps -- UP",
      "Mixtures -- FULL RICH", "Transponder -- ALT", "Strobe Lights -- ON"}},
    {"TAKEOFF",
     {"Power -- FULL THROTTLE, 2,700 RPM", "Engine Instruments -- CHECK",
      "Rotate -- 85 KIAS", "Landing Gear -- UP with no runway\nleft ahead",
      "Climb Speed -- 105 KIAS (best rate)", "Landing Lights -- OFF"}},
    {"CLIMB",
     {"Power -- 25 in. Hg, 2,500 RPM", "Mixtures -- LEAN as altitude\nincreases",
      "Cowl Flaps -- AS REQUIRED", "Engine Temperatures -- WATCH", "Airspeed -- 120 KIAS"}},
    {"CRUISE",
     {"Power -- SET from the cruise table", "Propellers -- SYNCHRONIZE", "Cowl Flaps -- CLOSED",
      "Mixtures -- LEAN"}},
    {"DESCENT",
     {"Altimeter -- SET", "Power -- REDUCE, keep the engines\nwarm", "Mixtures -- ENRICHEN as required",
      "Cowl Flaps -- CLOSED"}},
    {"BEFORE LANDING",
     {"Seats, Belts, Harnesses -- SECURE", "Fuel Selectors -- ON", "Mixtures -- FULL RICH",
      "Cowl Flaps -- AS REQUIRED", "Landing Gear -- DOWN below 152 KIAS\n(three green lights)",
      "Wing Flaps -- APPROACH below 152\nKIAS, FULL DOWN below 122 KIAS", "Propellers -- HIGH RPM",
      "Approach Speed -- 95 KIAS", "Landing Lights -- ON", "Autopilot -- OFF",
      "Yaw Damper -- OFF", "Brakes -- CHECK"}},
    {"BALKED LANDING",
     {"Power -- FULL THROTTLE, 2,700 RPM", "Airspeed -- 95 KIAS", "Wing Flaps -- UP in stages",
      "Landing Gear -- UP", "Cowl Flaps -- OPEN", "Climb Speed -- 105 KIAS",
      "Trim -- ADJUST"}},
    {"AFTER LANDING",
     {"Landing Lights -- OFF", "Wing Flaps -- UP", "Cowl Flaps -- OPEN", "Trim Tabs -- SET for\ntakeoff"}},
    {"SHUTDOWN",
     {"Parking Brake -- SET", "Avionics Master Switch -- OFF", "Electrical Equipment -- OFF",
      "Throttles -- CLOSED", "Mixtures -- IDLE CUT-OFF", "Magnetos -- OFF", "Battery and Alternators -- OFF",
      "Fuel Selectors -- OFF"}},
};

const std::vector<Section> kKingAir = {
    {"STARTING ENGINE",
     {"Seats, Belts, Harnesses -- SECURE", "Parking Brake -- SET", "Circuit Breakers -- IN",
      "Landing Gear Handle -- DOWN", "Condition Levers -- FUEL CUT-OFF", "Power Levers -- IDLE",
      "Propeller Levers -- HIGH RPM", "Battery -- ON", "Propeller Areas -- CLEAR",
      "Right Ignition and Engine Start --\nON", "Right Condition Lever -- LOW IDLE\nat 12% N1",
      "Right ITT and N1 -- WATCH (1,000 C\nmax)", "Right Starter -- OFF at 50% N1",
      "Left Engine -- START the same way"}},
    {"BEFORE TAKEOFF",
     {"Flight Controls -- FREE and CORRECT", "Flight Instruments -- SET", "Fuel Quantity -- CHECK",
      "Autofeather -- ARM", "Propellers -- EXERCISE", "Trim Tabs -- SET for takeoff",
      "Wing Flaps -- UP or APPROACH", "Condition Levers -- HIGH IDLE", "Transponder -- ALT",
      "Strobe Lights -- ON", "Yaw Damper -- OFF"}},
    {"TAKEOFF",
     {"Power -- SET for takeoff (torque\nlimit)", "Engine Instruments -- CHECK", "Rotate -- 95 KIAS",
      "Landing Gear -- UP with no runway\nleft ahead", "Climb Speed -- 121 KIAS (best rate)",
      "Yaw Damper -- ON"}},
    {"CLIMB",
     {"Power -- CLIMB torque, 1,900 RPM", "Propellers -- SYNCHRONIZE", "Autofeather -- OFF",
      "Ice Protection -- AS REQUIRED", "Pressurization -- CHECK", "Climb Speed -- 160 KIAS"}},
    {"CRUISE", {"Power -- SET from the cruise table", "Propellers -- 1,700 to 1,900 RPM"}},
    {"DESCENT", {"Altimeter -- SET", "Power -- AS REQUIRED", "Pressurization -- SET for landing"}},
    {"BEFORE LANDING",
     {"Seats, Belts, Harnesses -- SECURE", "Autofeather -- ARM", "Landing Gear -- DOWN below 181\nKIAS",
      "Landing Lights -- ON"}},
    {"NORMAL LANDING",
     {"Wing Flaps -- DOWN below 148 KIAS", "Propellers -- HIGH RPM", "Approach Speed -- 103 KIAS",
      "Power Levers -- IDLE at touchdown", "Propellers -- REVERSE as required"}},
    {"BALKED LANDING",
     {"Power -- MAXIMUM allowable", "Wing Flaps -- APPROACH", "Landing Gear -- UP",
      "Climb Speed -- 121 KIAS", "Wing Flaps -- UP"}},
    {"AFTER LANDING",
     {"Landing Lights -- OFF", "Wing Flaps -- UP", "Condition Levers -- LOW IDLE"}},
    {"SHUTDOWN",
     {"Parking Brake -- SET", "Avionics Master Switch -- OFF", "Autofeather -- OFF",
      "Power Levers -- IDLE", "Condition Levers -- FUEL CUT-OFF", "ITT and N1 -- WATCH as they\nfall",
     }},
};

const std::vector<Section> kCitationJet = {
    {"STARTING ENGINE",
     {"Seats, Belts, Harnesses -- SECURE", "Parking Brake -- SET", "Circuit Breakers -- IN",
      "Landing Gear Handle -- DOWN", "Throttles -- CUT-OFF", "Battery -- ON",
      "Beacon -- ON", "Fuel Quantity -- CHECK", "Right Engine Start Button -- PRESS",
      "Right Throttle -- IDLE at 8% N2", "Right ITT -- WATCH (850 C max\nduring start)",
      "Right Oil Pressure -- CHECK", "Left Engine -- START the same way",
      "Generators -- ON", "Avionics Power -- ON", "Flight Instruments -- SET",
      "Transponder -- STANDBY"}},
    {"BEFORE TAKEOFF",
     {"Flight Controls -- FREE and CORRECT", "Trim -- SET for takeoff", "Wing Flaps -- 15 degrees",
      "Speed Brakes -- RETRACTED", "Takeoff Speeds -- SET (V1, VR, V2)", "Anti-Skid -- ON",
      "Transponder -- ALT", "Strobe Lights -- ON"}},
    {"TAKEOFF",
     {"Throttles -- TAKEOFF", "Engine Instruments -- CHECK", "Rotate -- at VR (about 100\nKIAS)",
      "Pitch -- 10 degrees nose up", "Landing Gear -- UP with a positive\nrate of climb",
      "Wing Flaps -- UP above V2 + 10", "Yaw Damper -- ON"}},
    {"CLIMB",
     {"Throttles -- CLIMB", "Climb Speed -- 200 KIAS / 0.58 Mach", "Pressurization -- CHECK",
      "Ice Protection -- AS REQUIRED", "Altimeters -- SET 29.92 at 18,000\nft",
      "Fuel Balance -- CHECK", "Landing Lights -- OFF"}},
    {"CRUISE", {"Throttles -- SET for the cruise table", "Fuel Balance -- CHECK"}},
    {"DESCENT",
     {"Altimeters -- SET", "Throttles -- AS REQUIRED", "Pressurization -- SET for landing",
      "Ice Protection -- AS REQUIRED"}},
    {"BEFORE LANDING",
     {"Seats, Belts, Harnesses -- SECURE", "Landing Gear -- DOWN below 186\nKIAS (three green)",
      "Landing Lights -- ON", "Autopilot -- OFF"}},
    {"NORMAL LANDING",
     {"Wing Flaps -- LAND (35 degrees)", "Approach Speed -- VREF + 10 (about\n118 KIAS)",
      "Throttles -- IDLE at touchdown"}},
    {"BALKED LANDING",
     {"Throttles -- TAKEOFF", "Pitch -- 10 degrees nose up", "Wing Flaps -- 15 degrees",
      "Landing Gear -- UP with a positive\nrate of climb", "Climb Speed -- VREF + 10",
      "Wing Flaps -- UP above V2 + 10", "Yaw Damper -- ON"}},
    {"AFTER LANDING",
     {"Speed Brakes -- RETRACTED", "Wing Flaps -- UP", "Landing Lights -- OFF"}},
    {"SHUTDOWN",
     {"Parking Brake -- SET", "Avionics Power -- OFF", "Throttles -- CUT-OFF after one\nminute at idle",
      "Battery -- OFF"}},
};

Checklist Assemble(const std::vector<Section>& sections) {
    Checklist c;
    for (const Section& s : sections) {
        if (!c.lines.empty()) c.lines.emplace_back();
        c.starts.push_back(c.lines.empty() ? 0 : static_cast<int>(c.lines.size()) - 1);
        c.titles.emplace_back(s.title);
        c.lines.emplace_back(s.title);
        int number = 0;
        for (const char* step : s.steps) {
            char prefix[16];
            std::snprintf(prefix, sizeof prefix, "%4d. ", ++number);
            std::string text = step;
            std::size_t from = 0;
            for (bool first = true;; first = false) {
                const std::size_t end = text.find('\n', from);
                c.lines.push_back((first ? std::string(prefix) : std::string(6, ' ')) +
                                  text.substr(from, end == std::string::npos ? end : end - from));
                if (end == std::string::npos) break;
                from = end + 1;
            }
        }
    }
    return c;
}

}  // namespace

const Checklist& GetChecklist(int type) {
    static const std::array<Checklist, 5> kLists = {Assemble(k172), Assemble(kBonanza), Assemble(kBaron),
                                                    Assemble(kKingAir), Assemble(kCitationJet)};
    return kLists[type >= 0 && type <= 4 ? type : 0];
}

const char* ChecklistTitleBitmap(int type) {
    static const char* const kNames[5] = {"172_TITL", "BON_TITL", "BAR_TITL", "KNG_TITL", "CIT_TITL"};
    return kNames[type >= 0 && type <= 4 ? type : 0];
}

int ChecklistDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    const Checklist& list = GetChecklist(type);
    for (const std::string& line : list.lines)
        win::SendDlgItemMessage(dialog, kLines, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(line.c_str()));
    for (const std::string& t : list.titles)
        win::SendDlgItemMessage(dialog, kSections, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(t.c_str()));
    if (ui::theDialogHost.resourceLibrary != nullptr)
        title = win::LoadBitmap(ui::theDialogHost.resourceLibrary(), ChecklistTitleBitmap(type));
    if (title)
        win::SendDlgItemMessage(dialog, kTitle, win::STM_SETIMAGE, win::IMAGE_BITMAP, static_cast<win::LParam>(title.id));
    return r;
}

int ChecklistDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kSections && notifyCode == win::LBN_SELCHANGE) {
        const auto row = static_cast<int>(win::SendDlgItemMessage(window, kSections, win::LB_GETCURSEL, 0, 0));
        const Checklist& list = GetChecklist(type);
        if (row >= 0 && row < static_cast<int>(list.starts.size())) {
            const auto start = static_cast<win::WParam>(list.starts[static_cast<std::size_t>(row)]);
            win::SendDlgItemMessage(window, kLines, win::LB_SETCURSEL, start, 0);
            win::SendDlgItemMessage(window, kLines, win::LB_SETTOPINDEX, start, 0);
        }
        return 1;
    }
    if (ui::optiondialogs::EndButtons(*this, wParam, nullptr) != 0) return 1;
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

int ChecklistDialog::OnDestroy() {
    if (title) win::DeleteObject(title);
    title = {};
    return ui::Dialog::OnDestroy();
}

}  // namespace planning
