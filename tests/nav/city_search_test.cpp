// The search by city reads a typed name as a pilot writes it: in any case, "st" or "saint",
// with its state's code or name or without, "city" after New York's, an apostrophe or none; a
// name begun or a town of the same name in a smaller state's line is no city of the list.
#include "nav/city_search.h"

#include <gtest/gtest.h>

namespace {

constexpr char kList[] =
    "New York|NY|New York|KLGA KEWR KJFK\n"
    "St. Louis|MO|Missouri|KSTL KCPS\n"
    "Jackson|MS|Mississippi|KJAN KHKS\n"
    "Kansas City|MO|Missouri|KMCI KMKC\n"
    "Kansas City|KS|Kansas|KMKC\n"
    "Fort Worth|TX|Texas|KDFW\n"
    "Martha's Vineyard|MA|Massachusetts|KMVY\n"
    "Mexico|MO|Missouri|KMYJ\n"
    "Honolulu|HI|Hawaii|\n"
    "Mexico City|MX|Mexico|MMMX\n";

TEST(CitySearch, ATypedCityGivesItsAirportsBestFirst) {
    const struct {
        const char* typed;
        const char* first;  // "" when no city is named
    } cases[] = {
        {"new york", "KLGA"},
        {"NEW YORK CITY", "KLGA"},
        {"New York, NY", "KLGA"},
        {"saint louis", "KSTL"},
        {"st louis", "KSTL"},
        {"St. Louis, Missouri", "KSTL"},
        {" jackson ", "KJAN"},
        {"jackson ms", "KJAN"},
        {"jackson tn", ""},
        {"kansas city", "KMCI"},
        {"kansas city, kansas", "KMKC"},
        {"ft worth", "KDFW"},
        // An apostrophe typed or not.
        {"martha's vineyard", "KMVY"},
        {"marthas vineyard, ma", "KMVY"},
        {"martha s vineyard", ""},
        {"new", ""},
        {"york", ""},
        {"", ""},
        {"louis", ""},
        {"st. louis mo extra", ""},
        {"honolulu", ""},
        // The city named exactly before the one named without "city".
        {"mexico city", "MMMX"},
        {"mexico", "KMYJ"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> codes = nav::AirportsOfCity(kList, c.typed);
        EXPECT_EQ(codes.empty() ? std::string() : codes.front(), c.first) << c.typed;
    }
    EXPECT_EQ(nav::AirportsOfCity(kList, "new york"),
              (std::vector<std::string>{"KLGA", "KEWR", "KJFK"}));
}

// A typed place with no airport (a listed city outside the world, a name with a state) is told
// from an airport's name, which may begin the same way.
TEST(CitySearch, APlaceWithItsStateOrAListedCityIsNoAirportsName) {
    const struct {
        const char* typed;
        bool place;
    } cases[] = {
        {"honolulu", true},          {"Honolulu, HI", true},   {"vail mo", true},
        {"vail, missouri", true},    {"st louis", true},       {"jackson tn", false},
        {"vail", false},             {"san carlos a", false},  {"ksql", false},
        {"mo", false},               {"missouri", false},      {"new york", true},
        {"grand junction", false},   {"kansas", false},        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nav::NamesAPlaceOnly(kList, c.typed), c.place) << c.typed;
}

// A place typed with its state is told by the state's code or name at its end; the airports'
// states are read by code.
TEST(CitySearch, APlaceTypedWithAStateAndTheAirportsStates) {
    const struct {
        const char* typed;
        std::vector<std::string> place;
        const char* state;
    } cases[] = {
        {"san carlos ms", {"san", "carlos"}, "MS"},
        {"San Carlos, Mississippi", {"san", "carlos"}, "MS"},
        {"vail  tx", {"vail"}, "TX"},
        {"fort worth texas", {"fort", "worth"}, "TX"},
        {"ft worth tx", {"fort", "worth"}, "TX"},
        {"mo", {}, ""},
        {"missouri", {}, ""},
        {"vail co", {}, ""},  // a state not in the list
        {"vail", {}, ""},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> place;
        std::string state;
        EXPECT_EQ(nav::PlaceWithState(kList, c.typed, &place, &state), *c.state != '\0') << c.typed;
        EXPECT_EQ(place, c.place) << c.typed;
        EXPECT_EQ(state, c.state) << c.typed;
    }
    constexpr char kStates[] = "KSQL|CA\nKSQLX|NV\nKGJT|CO\n";
    EXPECT_EQ(nav::StateOfAirport(kStates, "KSQL"), "CA");
    EXPECT_EQ(nav::StateOfAirport(kStates, "KGJT"), "CO");
    EXPECT_EQ(nav::StateOfAirport(kStates, "KSQ"), "");
    EXPECT_EQ(nav::StateOfAirport(kStates, "MYGF"), "");
}

}  // namespace
