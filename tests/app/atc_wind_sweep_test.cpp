// The controllers' runway and the wind, over every towered airport of California in the running
// program: the first flight is put on the runway end the wind blows along from behind (15 kt),
// COM1 tuned to the airport's ATIS (or its tower where it has none), and the session's runway read
// from the saved flight. Its number times ten is its magnetic heading: the tailwind on it must not
// pass 5 kt. Each airport gets one of the four quadrants' winds in turn (all four with
// ZEPHLON_FULL_SWEEP set), and San Jose and Palo Alto the south-easterlies the pilots reported.
// The centre's channel of each session is one no airport within 100 nm lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "atc_channels.h"
#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "support/navdata_csv.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

constexpr double kWindKnots = 15;

// Roughly California: its borders with Oregon (42 N), Nevada (120 W, then the line to the
// Colorado at 35 N), Arizona (the river) and Mexico.
bool InCalifornia(double lat, double lon) {
    if (lat < 32.53 || lat > 42.0 || lon < -124.5) return false;
    if (lat >= 39) return lon < -120.0;
    if (lat >= 35) return lon < -120.0 + (39 - lat) * 5.37 / 4;
    return lon < -114.2;
}

struct RunwayEnd {
    std::string id;  // "30L"
    double lat, lon;
    double otherLat, otherLon;  // the far end
};

// The runway's magnetic heading from its number.
double MagneticHeading(const std::string& id) {
    return std::atoi(id.c_str()) * 10.0;
}

double Tailwind(double windFrom, const std::string& id) {
    return -kWindKnots * std::cos((windFrom - MagneticHeading(id)) * navtest::kPi / 180);
}

struct Airport {
    std::string icao;
    std::vector<RunwayEnd> ends;
};

// The towered land airports of the United States (K) for which `keep` holds, with their hard
// runways' ends, in the data's order.
std::vector<Airport> ToweredAirports(const std::function<bool(double lat, double lon)>& keep) {
    std::map<std::string, Airport> byIcao;
    std::vector<std::string> order;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv"))
        if (a.size() >= 7 && a[6] == "1" && a[2] == "land" && a[0][0] == 'K' &&
            keep(std::stod(a[4]), std::stod(a[5]))) {
            byIcao[a[0]].icao = a[0];
            order.push_back(a[0]);
        }
    for (const auto& r : testsupport::ReadNavdataCsv("runway.csv")) {
        const auto it = byIcao.find(r[0]);
        // Hard runways only (surface 1 asphalt, 2 concrete): the directory leaves the lake beds
        // and the grass out.
        if (it == byIcao.end() || r.size() < 11 || (r[2] != "1" && r[2] != "2")) continue;
        const double lat1 = std::stod(r[4]), lon1 = std::stod(r[5]);
        const double lat2 = std::stod(r[8]), lon2 = std::stod(r[9]);
        for (const auto& [id, la, lo, ola, olo] :
             {std::tuple{r[3], lat1, lon1, lat2, lon2}, std::tuple{r[7], lat2, lon2, lat1, lon1}})
            if (std::atoi(id.c_str()) > 0) it->second.ends.push_back({id, la, lo, ola, olo});
    }
    std::vector<Airport> out;
    for (const std::string& icao : order)
        if (!byIcao[icao].ends.empty()) out.push_back(byIcao[icao]);
    return out;
}

std::vector<Airport> CaliforniaToweredAirports() {
    return ToweredAirports(InCalifornia);
}

// Degrees between a wind and a runway's magnetic heading (0 straight down it, 180 behind).
double OffTheWind(double windFrom, const std::string& id) {
    const double d = std::fmod(std::abs(windFrom - MagneticHeading(id)), 360.0);
    return d > 180 ? 360 - d : d;
}

// The runway list's text of an end: its number without a leading zero, then its side letter or
// a blank.
std::string ListedRunway(const std::string& id) {
    const std::string side = id.substr(std::min(id.find_first_not_of("0123456789"), id.size()));
    return std::to_string(std::atoi(id.c_str())) + (side.empty() ? " " : side);
}

// The airports wizard's steps to a start at `icao` on `runway` ("On the runway" or "On final
// approach"), with or without air traffic control.
std::string WizardStart(const std::string& icao, const std::string& runway, const char* where,
                        bool atc) {
    return "menu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" + icao +
           ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"" + runway +
           "\"\nset 1958 \"" + where + "\"\n" + (atc ? "click 1567\n" : "") +
           "dialog AIRPORTS_WIZBKGND\nclick 1717\nwait 300\n";
}

class AtcWindSweep : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built() ||
            !testsupport::UseStarterInstallation(dir, "Startup.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    // The centre's channel of the last session.
    std::string center;
    // The session's take-off runway with the aircraft a quarter along `end`, facing along it,
    // the wind from `windFrom`; empty when no session started.
    std::string SessionRunway(const RunwayEnd& end, double windFrom, const std::string& com) {
        double x1, z1, x2, z2;
        navtest::GeographicToWorld(end.lat, end.lon, &x1, &z1);
        navtest::GeographicToWorld(end.otherLat, end.otherLon, &x2, &z2);
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Aircraft", "fmPosX", static_cast<int>(std::lround(x1 + (x2 - x1) / 4)));
            flight.PutInt("Aircraft", "fmPosZ", static_cast<int>(std::lround(z1 + (z2 - z1) / 4)));
            const double heading = std::atan2(x2 - x1, z2 - z1);  // radians from grid north
            flight.PutInt("Aircraft", "fmHead",
                          static_cast<int>(std::lround(heading * 32768 / navtest::kPi)) & 0xFFFF);
            flight.PutInt("Weather", "swDir", static_cast<int>(windFrom));
            flight.PutInt("Weather", "swSpd", static_cast<int>(kWindKnots));
        }
        dir.Write("sweep.txt", "frame-interval 1000\nwait 1000\nradio COM1 " + com +
                                   "\nwait 1000\nsave " + dir.Path("sweep.flt") + "\nquit\n");
        const testsupport::CommandResult r =
            testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                    " " + dir.Path("sweep.txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("sweep.flt").c_str());
        if (saved.GetInt("ATCComm", "atcOn", 0) != 1) return {};
        center = saved.GetString("ATCComm", "centerFreq", "");
        return saved.GetString("ATCComm", "toRwy", "");
    }

    testsupport::TempFolder dir{"zephlon-atc-wind-sweep"};
};

TEST_F(AtcWindSweep, NoToweredAirportOfCaliforniaGivesARunwayWithATailwind) {
    const bool full = std::getenv("ZEPHLON_FULL_SWEEP") != nullptr;
    const std::vector<Airport> airports = CaliforniaToweredAirports();
    // Every airport's place and listed channels (MHz x 100), for the centre's channel.
    struct Field {
        double lat, lon;
        std::vector<int> channels;
    };
    std::map<std::string, Field> fields;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv"))
        if (a.size() >= 6) fields[a[0]] = Field{std::stod(a[4]), std::stod(a[5]), {}};
    for (const auto& f : testsupport::ReadNavdataCsv("frequency.csv"))
        if (f.size() >= 3 && fields.count(f[0]) != 0)
            fields[f[0]].channels.push_back(std::stoi(f[2]));
    ASSERT_GT(airports.size(), 70u);
    int cases = 0, sessions = 0;
    std::vector<std::string> silent;
    for (std::size_t i = 0; i < airports.size(); ++i) {
        const Airport& a = airports[i];
        const std::map<std::string, std::string> ch = apptest::Channels(a.icao);
        // A few fields flagged towered list no tower (an automatic weather station on "atis").
        if (ch.count("tower") == 0) continue;
        const auto com = ch.count("atis") != 0 ? ch.find("atis") : ch.find("tower");
        std::vector<double> winds;
        for (int q = 0; q < 4; ++q)
            if (full || q == static_cast<int>(i % 4)) winds.push_back(45 + 90 * q);
        if (a.icao == "KSJC") winds.push_back(120);
        if (a.icao == "KPAO") winds.push_back(130);
        for (const double wind : winds) {
            // The end the wind blows along from behind.
            const RunwayEnd* worst = &a.ends[0];
            for (const RunwayEnd& e : a.ends)
                if (Tailwind(wind, e.id) > Tailwind(wind, worst->id)) worst = &e;
            const std::string runway = SessionRunway(*worst, wind, com->second);
            ++cases;
            if (runway.empty()) {
                silent.push_back(a.icao);
                continue;
            }
            ++sessions;
            // The centre answers on a channel no airport within 100 nm lists (a 25 kHz
            // channel's cut decimal counted as either neighbour).
            const int centre = static_cast<int>(std::lround(std::stod(center) * 100));
            const Field& here = fields[a.icao];
            for (const auto& [icao, f] : fields) {
                if (navtest::Metres(here.lat, here.lon, f.lat, f.lon) > 100 * 1852.0) continue;
                for (const int c : f.channels)
                    EXPECT_GT(std::abs(c - centre), 2)
                        << a.icao << ": the centre's " << center << " is " << icao << "'s";
            }
            EXPECT_LE(Tailwind(wind, runway), 5.0) << a.icao << " wind " << wind << ": runway "
                                                   << runway << " (placed on " << worst->id << ")";
        }
    }
    // Every airport answers on its ATIS or tower.
    EXPECT_TRUE(silent.empty()) << silent.size() << " of " << cases << " silent, first "
                                << testing::PrintToString(silent);
    EXPECT_GT(sessions, 70);
}

// Through the airports wizard: a few towered airports, each in the four quadrants' winds, the
// user choosing the runway end the wind blows along from behind, on the runway or on final. The
// session's runway never has a tailwind over 5 kt; on the runway the aircraft stays where the
// user put it, at the chosen end's threshold (in the runway's first half), facing along it.
TEST_F(AtcWindSweep, TheAirportsWizardsSessionTakesTheWindsRunway) {
    std::map<std::string, Airport> airports;
    for (const Airport& a : CaliforniaToweredAirports())
        airports[a.icao] = a;
    constexpr double kUnitsPerFoot = 474112.0 / 6076.12;
    int sessions = 0;
    for (const std::string icao : {"KSJC", "KOAK", "KPAO", "KSQL", "KLGB", "KSAN"}) {
        ASSERT_EQ(airports.count(icao), 1u) << icao;
        const Airport& a = airports[icao];
        for (int q = 0; q < 5; ++q) {
            // The four quadrants on the runway, then the south-easterly on final.
            const double wind = q < 4 ? 45 + 90 * q : 135;
            const bool onRunway = q < 4;
            // Of parallels the last listed: the wizard's second row of a pair.
            const RunwayEnd* worst = &a.ends[0];
            for (const RunwayEnd& e : a.ends)
                if (Tailwind(wind, e.id) >= Tailwind(wind, worst->id)) worst = &e;
            {
                core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
                flight.PutInt("Weather", "swDir", static_cast<int>(wind));
                flight.PutInt("Weather", "swSpd", static_cast<int>(kWindKnots));
            }
            // The list shows the number without a leading zero, and a blank where a runway has
            // no side letter.
            const std::string side = worst->id.substr(
                std::min(worst->id.find_first_not_of("0123456789"), worst->id.size()));
            dir.Write("wizard.txt",
                      "frame-interval 100\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
                          icao +
                          ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset "
                          "1059 \"" +
                          std::to_string(std::atoi(worst->id.c_str())) +
                          (side.empty() ? " " : side) + "\"\nset 1958 \"" +
                          (onRunway ? "On the runway" : "On final approach") +
                          "\"\nclick 1567\ndialog AIRPORTS_WIZBKGND\nclick 1717\nwait 500\n"
                          "save " +
                          dir.Path("wizard.flt") + "\nquit\n");
            const testsupport::CommandResult r =
                testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                        " " + dir.Path("wizard.txt") + " 2>&1");
            ASSERT_EQ(r.status, 0) << r.out;
            core::IniFile saved(dir.Path("wizard.flt").c_str());
            const std::string where =
                icao + " wind " + std::to_string(static_cast<int>(wind)) + " chosen " + worst->id;
            if (saved.GetInt("ATCComm", "atcOn", 0) != 1) {
                ADD_FAILURE() << where << ": no session";
                continue;
            }
            ++sessions;
            const std::string runway = saved.GetString("ATCComm", "toRwy", "");
            EXPECT_LE(Tailwind(wind, runway), 5.0) << where << ": runway " << runway;
            if (!onRunway) continue;
            double x1, z1, x2, z2;
            navtest::GeographicToWorld(worst->lat, worst->lon, &x1, &z1);
            navtest::GeographicToWorld(worst->otherLat, worst->otherLon, &x2, &z2);
            const double x = saved.GetInt("Aircraft", "fmPosX", 0),
                         z = saved.GetInt("Aircraft", "fmPosZ", 0);
            // On the chosen runway's centre line, in its first half (past a displaced
            // threshold, where one is).
            const double length = std::hypot(x2 - x1, z2 - z1);
            const double along = ((x - x1) * (x2 - x1) + (z - z1) * (z2 - z1)) / length;
            const double across = ((x - x1) * (z2 - z1) - (z - z1) * (x2 - x1)) / length;
            EXPECT_LT(std::abs(across) / kUnitsPerFoot, 50) << where;
            EXPECT_GE(along / kUnitsPerFoot, -50) << where;
            EXPECT_LT(along, length / 2) << where;
            const double heading = std::atan2(x2 - x1, z2 - z1) * 32768 / navtest::kPi;
            const int off = static_cast<std::int16_t>(static_cast<std::uint16_t>(
                saved.GetInt("Aircraft", "fmHead", 0) - static_cast<int>(std::lround(heading))));
            EXPECT_LT(std::abs(off), 1820) << where << ": heading";  // 10 degrees
        }
    }
    EXPECT_EQ(sessions, 30);
}

// Every type through the wizard, at fields whose runways are short for the turbines or partly
// unpaved, or beside a strip, the user on the end the wind blows along from behind: the session
// is the chosen field's, its runway the into-wind end of one that suits the aircraft, hard where
// a hard one serves the wind as well.
TEST_F(AtcWindSweep, EveryTypeTakesTheWindsRunwayFromTheWizard) {
    struct Row {
        const char* flight;
        const char* icao;
        const char* runway;  // as the wizard lists it
        int wind;
        const char* unpaved = "";  // a runway along the wind that is not paved
    };
    for (const Row& row : std::vector<Row>{{"Startup.Flt", "KSFF", "21R", 30, "3C"},
                                           {"Startup.Flt", "KDYS", "34 ", 135, "16C"},
                                           // A strip's reference point nearer the chosen threshold.
                                           {"Startup.Flt", "KCOS", "35L", 180},
                                           {"Startup.Flt", "KOSH", "9 ", 270},
                                           {"Startup.Flt", "KLCH", "23 ", 50},
                                           {"KingStop.Flt", "KBIL", "28R", 180},
                                           {"KingStop.Flt", "KCEA", "35 ", 180},
                                           {"KingStop.Flt", "KPAO", "31 ", 0},
                                           {"KingStop.Flt", "KEMT", "19 ", 0},
                                           {"JetStop.Flt", "KSSF", "27 ", 90},
                                           {"JetStop.Flt", "KMIC", "24R", 90}}) {
        if (std::string(row.flight) != "Startup.Flt")
            std::filesystem::copy_file(dir.Path(std::string("Flights/") + row.flight),
                                   dir.Path("Flights/Startup.Flt"),
                                   std::filesystem::copy_options::overwrite_existing);
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Weather", "swDir", row.wind);
            flight.PutInt("Weather", "swSpd", static_cast<int>(kWindKnots));
        }
        dir.Write("type.txt", "frame-interval 100\nwait 300\n" +
                                  WizardStart(row.icao, row.runway, "On the runway", true) +
                                  "save " + dir.Path("type.flt") + "\nquit\n");
        const testsupport::CommandResult r = testsupport::RunCommand(
            testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " + dir.Path("type.txt") + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("type.flt").c_str());
        const std::string runway = saved.GetString("ATCComm", "toRwy", "");
        EXPECT_EQ(saved.GetInt("ATCComm", "atcOn", 0), 1) << row.flight << " " << row.icao;
        EXPECT_LE(Tailwind(row.wind, runway), 2.0) << row.flight << " " << row.icao << ": " << runway;
        EXPECT_NE(ListedRunway(runway), ListedRunway(row.unpaved)) << row.icao;
    }
}

// Fifty towered fields from coast to coast, on both sides of the map's middle where the grid's
// north turns the other way, in the four quadrants' winds (15 kt). The user is placed on the
// runway end the wind blows along from behind, and the session starts through the airports
// wizard with air traffic control while the aircraft stands at San Carlos (the wizard chooses
// before the first frame at the new field), in all four winds; on that runway without it, the
// masters on and the ATIS (or the tower where there is none) dialled; and on final to it, the
// ATIS dialled in the air, these two in one wind each in turn (all four with ZEPHLON_FULL_SWEEP
// set). The session's runway, read from the saved flight, has no tailwind (2 kt at most, the
// designators being rounded to ten degrees) and lies no more than 60 degrees off the wind (65 by
// the designators) where the field has a runway within 55. A field is taken whose channel no other airport within 40 nm
// lists (a pilot dialling it would raise that one).
TEST_F(AtcWindSweep, FieldsAcrossTheCountryTakeTheWindsRunwayHoweverTheSessionStarts) {
    const bool full = std::getenv("ZEPHLON_FULL_SWEEP") != nullptr;
    struct Place {
        double lat = 0, lon = 0;
        std::vector<int> channels;
    };
    std::map<std::string, Place> places;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv"))
        if (a.size() >= 6) places[a[0]] = Place{std::stod(a[4]), std::stod(a[5]), {}};
    for (const auto& f : testsupport::ReadNavdataCsv("frequency.csv"))
        if (f.size() >= 3 && places.count(f[0]) != 0) places[f[0]].channels.push_back(std::stoi(f[2]));
    const auto channelOf = [](const Airport& a) {
        const std::map<std::string, std::string> ch = apptest::Channels(a.icao);
        return ch.count("atis") != 0 ? ch.at("atis") : ch.at("tower");
    };
    const auto sharedNearby = [&](const Airport& a) {
        const int mine = static_cast<int>(std::lround(std::stod(channelOf(a)) * 100));
        const Place& here = places[a.icao];
        for (const auto& [icao, p] : places)
            if (icao != a.icao && navtest::Metres(here.lat, here.lon, p.lat, p.lon) < 40 * 1852.0)
                for (const int c : p.channels)
                    if (std::abs(c - mine) <= 2) return true;
        return false;
    };
    const std::vector<std::string> named = {"KJFK", "KBOS", "KMSP", "KMIA", "KORD"};
    std::vector<Airport> fields, rest;
    for (const Airport& a : ToweredAirports([](double, double) { return true; })) {
        if (apptest::Channels(a.icao).count("tower") == 0) continue;
        if (std::find(named.begin(), named.end(), a.icao) != named.end())
            fields.push_back(a);
        else if (!sharedNearby(a))
            rest.push_back(a);
    }
    ASSERT_EQ(fields.size(), named.size());
    // The rest spread evenly from west to east.
    std::sort(rest.begin(), rest.end(), [&](const Airport& x, const Airport& y) {
        return places[x.icao].lon < places[y.icao].lon;
    });
    ASSERT_GT(rest.size(), 200u);
    for (std::size_t k = 0; k < 45; ++k)
        fields.push_back(rest[k * (rest.size() - 1) / 44]);
    EXPECT_LT(places[fields[5].icao].lon, -122.0);
    EXPECT_GT(places[fields.back().icao].lon, -71.0);

    // One run of the program a wind, the four side by side, each in its own folder: the session
    // starts of every field, each saved.
    const auto wizardOnly = [&](std::size_t i, int q, const char* how) {
        if (full || std::string(how) == "wizard") return false;
        return static_cast<int>((i + (std::string(how) == "atis" ? 2 : 0)) % 4) != q;
    };
    std::vector<std::unique_ptr<testsupport::TempFolder>> folders;
    std::vector<std::future<testsupport::CommandResult>> runs;
    for (int q = 0; q < 4; ++q) {
        const double wind = 45 + 90 * q;
        folders.push_back(std::make_unique<testsupport::TempFolder>("zephlon-atc-fields"));
        testsupport::TempFolder& here = *folders.back();
        ASSERT_TRUE(testsupport::UseStarterInstallation(here, "Startup.Flt"));
        {
            core::IniFile flight(here.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Weather", "swDir", static_cast<int>(wind));
            flight.PutInt("Weather", "swSpd", static_cast<int>(kWindKnots));
        }
        std::string script = "frame-interval 100\nwait 300\n";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Airport& a = fields[i];
            const RunwayEnd* worst = &a.ends[0];
            for (const RunwayEnd& e : a.ends)
                if (Tailwind(wind, e.id) > Tailwind(wind, worst->id)) worst = &e;
            const std::string runway = ListedRunway(worst->id);
            const std::string tune = "radio COM1 121.50\nradio COM1 " + channelOf(a) + "\nwait 300\n";
            const auto save = [&](const char* how) {
                return "save " + here.Path(a.icao + "-" + how + ".flt") + "\n";
            };
            script += WizardStart("KSQL", "30", "On the runway", false) +
                      WizardStart(a.icao, runway, "On the runway", true) + save("wizard");
            if (!wizardOnly(i, q, "runway"))
                script += WizardStart(a.icao, runway, "On the runway", false) +
                          "key Z press\nkey X press\n" + tune + save("runway");
            if (!wizardOnly(i, q, "atis"))
                script += WizardStart(a.icao, runway, "On final approach", false) + tune + save("atis");
        }
        here.Write("fields.txt", script + "quit\n");
        runs.push_back(std::async(std::launch::async, [&here] {
            return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " +
                                           here.Root() + " " + here.Path("fields.txt") + " 2>&1");
        }));
    }
    std::vector<std::string> wrong;
    int sessions = 0, cases = 0;
    for (int q = 0; q < 4; ++q) {
        const double wind = 45 + 90 * q;
        const testsupport::CommandResult r = runs[static_cast<std::size_t>(q)].get();
        ASSERT_EQ(r.status, 0) << r.out;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Airport& a = fields[i];
            double best = 180;
            for (const RunwayEnd& e : a.ends)
                best = std::min(best, OffTheWind(wind, e.id));
            for (const char* how : {"wizard", "runway", "atis"}) {
                if (wizardOnly(i, q, how)) continue;
                ++cases;
                core::IniFile saved(
                    folders[static_cast<std::size_t>(q)]->Path(a.icao + "-" + how + ".flt").c_str());
                const std::string where =
                    a.icao + " " + how + " wind " + std::to_string(static_cast<int>(wind));
                if (saved.GetInt("ATCComm", "atcOn", 0) != 1) {
                    wrong.push_back(where + ": no session");
                    continue;
                }
                ++sessions;
                const std::string runway = saved.GetString("ATCComm", "toRwy", "");
                if (Tailwind(wind, runway) > 2.0 || (best <= 55 && OffTheWind(wind, runway) > 65))
                    wrong.push_back(where + ": runway " + runway);
            }
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << cases << ":\n"
                               << testing::PrintToString(wrong);
    EXPECT_EQ(sessions, cases);
    EXPECT_GE(cases, 300);
}

// On the threshold of a big field's runway that lies far from its reference point (over 2 nm
// east or north), the wind down that runway, masters on and the ATIS dialled: the broadcast is
// heard there as anywhere on the field, and the session starts on that runway.
TEST_F(AtcWindSweep, TheAtisIsHeardFromTheFarthestRunwayEnds) {
    for (const auto& [icao, runway] : {std::pair{"KSTL", "11 "}, std::pair{"KDEN", "26 "},
                                       std::pair{"KDEN", "35R"}, std::pair{"KDFW", "13R"},
                                       std::pair{"KMCO", "35R"}}) {
        const int wind = std::atoi(runway) * 10;
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Weather", "swDir", wind);
            flight.PutInt("Weather", "swSpd", static_cast<int>(kWindKnots));
        }
        dir.Write("far.txt", "frame-interval 100\nwait 300\n" +
                                 WizardStart(icao, runway, "On the runway", false) +
                                 "key Z press\nkey X press\nradio COM1 121.50\nradio COM1 " +
                                 apptest::Channels(icao).at("atis") + "\nwait 300\nsave " +
                                 dir.Path("far.flt") + "\nquit\n");
        const testsupport::CommandResult r = testsupport::RunCommand(
            testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " + dir.Path("far.txt") + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("far.flt").c_str());
        EXPECT_EQ(saved.GetInt("ATCComm", "atcOn", 0), 1) << icao << " " << runway;
        EXPECT_LE(Tailwind(wind, saved.GetString("ATCComm", "toRwy", "")), 2.0) << icao << " " << runway;
    }
}

// Every channel a field publishes for a service is heard, not only its first: on the runway,
// masters on, the ATIS dialled on any of its channels starts the session, and then the tower or
// ground on any of theirs is tuned. Channels as the public data lists them (a 25 kHz channel on
// its lower 50 kHz neighbour: Dallas's 135.925 dialled 135.90); Toronto's flight service station,
// listed among its broadcasts, is no ATIS.
TEST_F(AtcWindSweep, EveryPublishedChannelOfAServiceIsHeard) {
    const struct {
        const char* icao;
        const char* runway;
        const char* atis;     // dialled first
        const char* kind;     // then this service ("" none)
        const char* channel;  // on this channel
        bool heard;
    } rows[] = {
        {"KMCI", "19L", "126.60", "towerTuned", "128.20", true},
        {"KMCI", "19L", "126.60", "groundTuned", "121.80", true},
        {"KDFW", "17C", "135.90", "", "", true},
        {"KDFW", "17C", "123.75", "towerTuned", "134.90", true},
        {"KDFW", "17C", "123.75", "groundTuned", "121.85", true},
        {"KDEN", "26 ", "134.00", "", "", true},
        {"KDEN", "26 ", "125.60", "towerTuned", "133.30", true},
        {"KDEN", "26 ", "125.60", "groundTuned", "127.50", true},
        {"CYYZ", "24R", "120.80", "", "", true},
        {"CYYZ", "24R", "126.70", "", "", false},
        {"MMMX", "5R", "127.65", "groundTuned", "121.85", true},
        {"TJSJ", "8 ", "125.80", "groundTuned", "121.90", true},
        {"MKJP", "12 ", "127.70", "groundTuned", "121.70", true},
    };
    for (const auto& row : rows) {
        std::string script = "frame-interval 100\nwait 300\n" +
                             WizardStart(row.icao, row.runway, "On the runway", false) +
                             "key Z press\nkey X press\nradio COM1 121.50\nradio COM1 " + row.atis +
                             "\nwait 300\n";
        if (*row.kind != 0) script += "radio COM1 " + std::string(row.channel) + "\nwait 300\n";
        dir.Write("channels.txt", script + "save " + dir.Path("channels.flt") + "\nquit\n");
        const testsupport::CommandResult r = testsupport::RunCommand(
            testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " +
            dir.Path("channels.txt") + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("channels.flt").c_str());
        const std::string where = std::string(row.icao) + " " + row.atis + " " + row.channel;
        EXPECT_EQ(saved.GetInt("ATCComm", "atcOn", 0), row.heard ? 1 : 0) << where;
        if (*row.kind != 0) {
            EXPECT_EQ(saved.GetInt("ATCComm", row.kind, 0), 1) << where;
        }
    }
}

}  // namespace
