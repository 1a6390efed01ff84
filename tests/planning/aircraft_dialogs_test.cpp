// The aircraft dialogs' data: the checklists' sections, the loading model's limits and texts,
// and performance texts of every shape read without harm.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "flight/aircraft_parameters.h"
#include "planning/aircraft_selection.h"
#include "planning/checklist.h"
#include "planning/loading.h"

namespace {

struct ChecklistCase {
    int type;
    std::vector<std::pair<const char*, int>> sections;
    int lines;
};

TEST(Checklists, SectionsStartWhereTheListSays) {
    const ChecklistCase cases[] = {
        {0, {{"STARTING ENGINE", 0}, {"BEFORE TAKEOFF", 13}, {"TAKEOFF", 34}, {"ENROUTE CLIMB", 56}, {"CRUISE", 62},
             {"DESCENT", 68}, {"BEFORE LANDING", 78}, {"LANDING", 84}, {"AFTER LANDING", 115}, {"SHUTDOWN", 119}},
         122},
        {1, {{"STARTING ENGINE", 0}, {"BEFORE TAKEOFF", 16}, {"TAKEOFF", 37}, {"CLIMB", 46}, {"CRUISE", 51},
             {"DESCENT", 56}, {"BEFORE LANDING", 62}, {"BALKED LANDING", 77}, {"AFTER LANDING", 85}, {"SHUTDOWN", 91}},
         99},
        {2, {{"STARTING ENGINE", 0}, {"BEFORE TAKEOFF", 20}, {"TAKEOFF", 40}, {"CLIMB", 49}, {"CRUISE", 57},
             {"DESCENT", 63}, {"BEFORE LANDING", 70}, {"BALKED LANDING", 86}, {"AFTER LANDING", 95}, {"SHUTDOWN", 102}},
         112},
        {3, {{"STARTING ENGINE", 0}, {"BEFORE TAKEOFF", 18}, {"TAKEOFF", 31}, {"CLIMB", 41}, {"CRUISE", 49},
             {"DESCENT", 53}, {"BEFORE LANDING", 58}, {"NORMAL LANDING", 65}, {"BALKED LANDING", 72},
             {"AFTER LANDING", 79}, {"SHUTDOWN", 84}},
         93},
        {4, {{"STARTING ENGINE", 0}, {"BEFORE TAKEOFF", 19}, {"TAKEOFF", 29}, {"CLIMB", 40}, {"CRUISE", 50},
             {"DESCENT", 54}, {"BEFORE LANDING", 60}, {"NORMAL LANDING", 67}, {"BALKED LANDING", 73},
             {"AFTER LANDING", 83}, {"SHUTDOWN", 88}},
         95},
    };
    for (const ChecklistCase& c : cases) {
        const planning::Checklist& list = planning::GetChecklist(c.type);
        EXPECT_EQ(static_cast<int>(list.lines.size()), c.lines) << "type " << c.type;
        EXPECT_LE(list.lines.size(), static_cast<std::size_t>(planning::kMaxChecklistLines));
        ASSERT_EQ(list.titles.size(), c.sections.size()) << "type " << c.type;
        for (std::size_t s = 0; s < c.sections.size(); ++s) {
            EXPECT_EQ(list.titles[s], c.sections[s].first) << "type " << c.type;
            EXPECT_EQ(list.starts[s], c.sections[s].second) << "type " << c.type << " " << list.titles[s];
            // Every section but the first starts at the empty line above its title.
            const auto start = static_cast<std::size_t>(list.starts[s]);
            if (s > 0 && start + 1 < list.lines.size()) {
                EXPECT_EQ(list.lines[start], "") << "type " << c.type << " " << list.titles[s];
                EXPECT_EQ(list.lines[start + 1], list.titles[s]);
            }
        }
    }
    // Any other type reads the 172's.
    EXPECT_EQ(&planning::GetChecklist(5), &planning::GetChecklist(0));
    EXPECT_STREQ(planning::ChecklistTitleBitmap(5), "172_TITL");
}

TEST(Checklists, TheFirstSectionOfThe172) {
    const std::vector<std::string> expected = {
        "STARTING ENGINE", "   1. Mixture -- RICH", "   2. Carburetor Heat -- COLD",
        "   3. Battery / Alternator Switch -- ON", "   4. Fuel Selector Valve -- BOTH",
        "   5. Throttle -- OPEN 1/8 INCH", "   6. Propeller Area -- CLEAR", "   7. Ignition Switch -- START (release",
        "      when engine starts)", "   8. Oil Pressure -- CHECK", "   9. Flashing Beacon and Navigation",
        "      Lights -- ON as required", "  10. Avionics Power Switch and Radios-- ON"};
    const planning::Checklist& list = planning::GetChecklist(0);
    ASSERT_GE(list.lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(list.lines.begin(), list.lines.begin() + 13), expected);
}

TEST(Loading, ConversionsRoundToTheNearestSoATypedFigureComesBack) {
    EXPECT_EQ(planning::PoundsToKilograms(1), 0);
    EXPECT_EQ(planning::PoundsToKilograms(2), 1);
    EXPECT_EQ(planning::PoundsToKilograms(0), 0);
    EXPECT_NEAR(planning::GallonsToKilograms(40), 109.1, 0.01);
    EXPECT_EQ(planning::KilogramsToPounds(1111), 2450);
    EXPECT_EQ(planning::KilogramsToGallons(109), 40);
    for (int pounds : {1, 2, 5, 170, 300, 301, 641, 2300})
        EXPECT_NEAR(planning::KilogramsToPounds(planning::PoundsToKilograms(pounds)), pounds, 1) << pounds;
    // Fuel typed in gallons or pounds reads back as typed, and in the other unit at 6 lb a
    // gallon.
    for (int gallons : {1, 10, 19, 20, 40}) {
        const double kg = planning::GallonsToKilograms(gallons);
        EXPECT_EQ(planning::KilogramsToGallons(kg), gallons) << gallons;
        EXPECT_EQ(planning::FuelKilogramsToPounds(kg), gallons * 6) << gallons;
    }
    for (int pounds : {1, 59, 60, 1540, 3220})
        EXPECT_EQ(planning::FuelKilogramsToPounds(planning::FuelPoundsToKilograms(pounds)), pounds)
            << pounds;
    // Jet-A weighs about 6.7 lb a gallon (avgas 6): 100 gallons are 305 kg, not 273.
    EXPECT_NEAR(planning::GallonsToKilograms(100, planning::kJetPoundsPerGallon), 304.5, 0.1);
    EXPECT_EQ(planning::KilogramsToGallons(305, planning::kJetPoundsPerGallon), 100);
    // Typed amounts up to a billion saturate.
    EXPECT_EQ(planning::KilogramsToGallons(1e12), 2147483647);
    EXPECT_EQ(planning::PoundsToKilograms(-1e10), -2147483647 - 1);
}

planning::LoadingModel Model(int maxTakeoff, int empty, int maxFuelPerTank, int cabin, int leftKg, int rightKg,
                             int pounds = 0) {
    planning::LoadingModel m;
    m.maxTakeoffWeight = maxTakeoff;
    m.emptyWeight = empty;
    m.maxFuelPerTank = maxFuelPerTank;
    m.cabinLoad = cabin;
    m.leftTank = leftKg * 256;
    m.rightTank = rightKg * 256;
    m.fuelInPounds = pounds;
    if (pounds != 0) m.poundsPerGallon = planning::kJetPoundsPerGallon;
    return m;
}

TEST(Loading, TextsOfTheLimits) {
    EXPECT_EQ(Model(1111, 600, 50, 0, 0, 0).MaxTakeoffText(), "Maximum legal takeoff weight is 2,450 lbs.");
    // The 172's 2,300 lb (1,043 kg) as the aircraft selection gives them.
    EXPECT_EQ(Model(1043, 643, 54, 0, 0, 0).MaxTakeoffText(),
              "Maximum legal takeoff weight is 2,300 lbs.");
    // 643 + 150 + 40 + 40 kg = 873 kg, 1,925 lb shown as 1,920.
    EXPECT_EQ(Model(1043, 643, 54, 150, 40, 40).TotalText(), "Total or gross weight is 1,920 lbs.");
    // The jet's tanks are edited in pounds, their companions in gallons.
    const planning::LoadingModel jet = Model(4717, 2815, 732, 200, 700, 600, 1);
    EXPECT_EQ(jet.TankFigure(0), 1540);
    EXPECT_EQ(jet.TankCompanionText(0), "(230 Gals)");
    planning::LoadingModel kingAir = Model(5670, 3520, 794, 0, 700, 0);
    kingAir.poundsPerGallon = planning::kJetPoundsPerGallon;
    EXPECT_EQ(kingAir.TankFigure(0), 230);  // 1,540 lb of Jet-A
    EXPECT_EQ(Model(1043, 643, 54, 0, 40, 0).TankCompanionText(0), "( 88 lbs)");
    EXPECT_EQ(Model(1043, 643, 54, 0, 40, 0).TankFigure(0), 15);
}

// Filled from the aircraft table, the piston aircraft's tanks read their handbooks' usable
// gallons and, at 6 lb a gallon of avgas, their weight.
TEST(Loading, FullTanksReadTheHandbooksGallonsAndTheirWeight) {
    const struct { int type, gallons; } aircraft[] = {{0, 40}, {1, 74}, {2, 194}};
    for (const auto& a : aircraft) {
        SCOPED_TRACE(a.type);
        planning::LoadingModel m;
        m.maxFuelPerTank = flight::AircraftParametersForType(a.type).apMaxFuel / 2.0;
        m.FillTanks();
        EXPECT_EQ(m.MaxFuelText(), "Maximum fuel load is " + std::to_string(a.gallons) +
                                       " gals or " + std::to_string(a.gallons * 6) + " lbs.");
        for (const int tank : {0, 1}) {
            EXPECT_EQ(m.TankFigure(tank), a.gallons / 2);
            char companion[32];
            std::snprintf(companion, sizeof companion, "(%3d lbs)", a.gallons * 3);
            EXPECT_EQ(m.TankCompanionText(tank), companion);
        }
    }
}

TEST(Loading, FuelHasPriorityOverTheCabinLoad) {
    struct Case {
        const char* what;
        planning::LoadingModel model;
        int action;  // 0 fill, 1 left tank 500 kg, 2 cabin -40 kg, 3 cabin 2000 kg
        int cabin, left, right;
    } cases[] = {
        {"filled on a loaded aircraft", Model(1043, 643, 54, 380, 10, 10), 0, 292, 54, 54},
        {"filled within the limit", Model(1043, 643, 54, 100, 10, 10), 0, 100, 54, 54},
        {"fuel alone past the limit", Model(800, 700, 100, 50, 0, 0), 0, 0, 100, 100},
        {"a tank past its size", Model(1043, 643, 54, 0, 0, 0), 1, 0, 54, 0},
        {"a negative cabin load", Model(1043, 643, 54, 100, 0, 0), 2, 0, 0, 0},
        {"a cabin load past the limit", Model(1043, 643, 54, 0, 20, 20), 3, 360, 20, 20},
    };
    for (Case& c : cases) {
        planning::LoadingModel& m = c.model;
        if (c.action == 0) m.FillTanks();
        if (c.action == 1) m.SetTank(0, 500);
        if (c.action == 2) m.SetCabinLoad(-40);
        if (c.action == 3) m.SetCabinLoad(2000);
        m.LimitCabinLoad();
        EXPECT_EQ(m.cabinLoad, c.cabin) << c.what;
        EXPECT_EQ(m.leftTank, c.left * 256) << c.what;
        EXPECT_EQ(m.rightTank, c.right * 256) << c.what;
        EXPECT_GE(m.cabinLoad, 0) << c.what;
    }
}

std::vector<std::string> Lines(const std::string& bytes) {
    auto text = std::make_unique<planning::PerformanceText>();
    text->Assign(bytes);
    std::vector<std::string> lines;
    while (const char* line = text->NextLine()) {
        lines.emplace_back(line);
        if (lines.size() > 20000) break;
    }
    return lines;
}

TEST(PerformanceText, LinesOfEveryShapeOfText) {
    const std::string big(20000, 'x');
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"carriage return and line feed", "Cessna\r\n160 hp\r\n", {"Cessna", "160 hp"}},
        {"no line end at all", "one line only", {"one line only"}},
        {"line feeds alone", "a\nb\n\nc", {"a", "b", "", "c"}},
        {"carriage returns alone", "a\rb\r", {"a", "b"}},
        {"Ctrl-Z ends the text", "a\r\n\x1a" "after", {"a"}},
        {"zero bytes cut a line short", std::string("a\0b\r\nc", 6), {"a", "c"}},
        {"nothing", "", {}},
        {"over 16 KB", big, {std::string(16384, 'x')}},
        {"a line end as the last byte read", std::string(16383, 'y') + "\r\nz", {std::string(16383, 'y')}},
    };
    for (const auto& c : cases) EXPECT_EQ(Lines(c.bytes), c.lines) << c.what;
}

TEST(PerformanceText, ButtonsNameTheirTypes) {
    EXPECT_EQ(planning::AircraftTypeOfButton(1741), 0);
    EXPECT_EQ(planning::AircraftTypeOfButton(1743), 1);
    EXPECT_EQ(planning::AircraftTypeOfButton(1742), 2);
    EXPECT_EQ(planning::AircraftTypeOfButton(1746), 3);
    EXPECT_EQ(planning::AircraftTypeOfButton(1745), 4);
    EXPECT_EQ(planning::AircraftTypeOfButton(1744), -1);
}

}  // namespace
