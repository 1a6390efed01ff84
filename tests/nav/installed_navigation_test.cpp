// The navigation database and station directory of the starter installation, read back through
// the program's loaders: every table as the maker wrote it, every station of the public data
// there, positions on their public coordinates by a second projection, and what the radios and
// the airport page make of Oakland and San Carlos.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/stream_io.h"
#include "independent_projection.h"
#include "nav/lat_lon.h"
#include "nav/nav_records.h"
#include "nav_fixture.h"

namespace {

namespace fs = std::filesystem;
using navtest::RecordingList;
using Bytes = std::vector<std::uint8_t>;
using Csv = std::vector<std::vector<std::string>>;

class InstalledNavigation : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(install / "Data" / "Sms" / "flp.sms"))
            GTEST_SKIP() << "the starter installation is not built";
        here = std::make_unique<testsupport::ScopedCurrentFolder>(install.string());
        platform::ForgetFolderListings();
        core::OpenGlobalVolumes();
        nav::theNavDatabase.Clear();
        nav::ResetNavReception();
        ASSERT_EQ(nav::LoadNavVors(), 1);
        ASSERT_EQ(nav::LoadNavNdbs(), 1);
        ASSERT_EQ(nav::LoadNavIls(), 1);
        ASSERT_EQ(nav::LoadNavAirports(), 1);
        ASSERT_EQ(nav::LoadNavWaypoints(), 1);
        ASSERT_EQ(nav::LoadNavAirways(), 1);
    }
    void TearDown() override {
        nav::theSmsDatabase.Close();
        core::CloseGlobalVolumes();
        here.reset();
        platform::ForgetFolderListings();
        flight::theFlightModelState = flight::FlightModelState{};
        cockpit::thePanelSwitches.batteryPower = 0;
        cockpit::theCockpitSwitches.avionicsMaster = 0;
    }
    static Bytes Member(const char* name) {
        Bytes bytes;
        if (!nav::theNavVolume.OpenFile(name)) return bytes;
        const std::int64_t size = nav::theNavVolume.GetStream()->GetEntrySize(name);
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
        if (!core::ReadAll(*nav::theNavVolume.GetStream(), static_cast<std::uint32_t>(bytes.size()),
                           bytes.data()))
            bytes.clear();
        nav::theNavVolume.CloseFile();
        return bytes;
    }
    static void Place(double lat, double lonEast) {
        nav::LatLonToWorld(&flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ,
                           lat, -lonEast);
    }
    static int Row(const RecordingList& list, const std::string& name) {
        const auto it = std::find(list.rows.begin(), list.rows.end(), name);
        return it == list.rows.end() ? -1 : static_cast<int>(it - list.rows.begin());
    }
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

// Every COM channel the directory holds is one the radios can dial (118.00 to 135.95 MHz in 50 kHz
// steps), within 25 kHz of the first channel of its kind the public data lists (a 25 kHz channel
// the data wrote with two decimals lies on one of its two 50 kHz neighbours), and channels the
// data keeps apart stay apart. The broadcast is the ATIS where the data lists one, even after an
// automatic weather station (Austin's 124.40, not its station's 128.85).
TEST_F(InstalledNavigation, EveryComChannelIsOneTheRadiosCanDial) {
    std::map<std::string, std::map<std::string, int>> listed;
    std::set<std::string> withAtis;
    for (const auto& r : navtest::ReadNavCsv("frequency.csv")) {
        if (r.size() < 3) continue;
        const bool atis = r[1] == "atis" && r.size() >= 4 && r[3].find("ATIS") != std::string::npos;
        if (atis && withAtis.insert(r[0]).second) listed[r[0]].erase("atis");
        if (!(r[1] == "atis" && !atis && withAtis.count(r[0]) != 0))
            listed[r[0]].emplace(r[1], std::stoi(r[2]));
    }
    EXPECT_EQ(listed["KAUS"]["atis"], 12440);
    const auto& airports = nav::theNavDatabase.airports;
    int checked = 0, moved = 0;
    for (std::size_t i = 0; i < airports.size(); ++i) {
        const auto data = listed.find(airports[i].ident);
        if (data == listed.end()) continue;
        nav::SmsEntryCopy entry;
        nav::SmsAirportHeader h;
        std::vector<nav::SmsRunwayRecord> rows;
        ASSERT_EQ(nav::theSmsDatabase.ReadAirportRecord(static_cast<int>(i), &entry, &h, &rows), 1);
        const std::pair<const char*, std::uint16_t> kinds[] = {
            {"atis", h.atis},   {"clearance", h.clearance}, {"ground", h.ground},
            {"tower", h.tower}, {"departure", h.departure}, {"approach", h.approach}};
        std::map<int, int> writtenFor;  // written channel -> the data's
        for (const auto& [kind, bcd] : kinds) {
            const auto it = data->second.find(kind);
            const std::string text = nav::theSmsDatabase.FormatFrequency(bcd);
            if (it == data->second.end() || it->second < 11800 || it->second > 13597) {
                EXPECT_TRUE(text.empty()) << airports[i].ident << " " << kind;
                continue;
            }
            ASSERT_EQ(text.size(), 6u) << airports[i].ident << " " << kind;
            const int written = std::stoi(text.substr(0, 3)) * 100 + std::stoi(text.substr(4));
            EXPECT_EQ(written % 5, 0) << airports[i].ident << " " << kind << " " << text;
            EXPECT_GE(written, 11800);
            EXPECT_LE(written, 13595);
            EXPECT_LE(std::abs(written - it->second), 5) << airports[i].ident << " " << kind;
            const auto [other, added] = writtenFor.emplace(written, it->second);
            EXPECT_TRUE(added || other->second == it->second)
                << airports[i].ident << " " << kind << " " << text;
            ++checked;
            moved += written != it->second;
        }
    }
    EXPECT_GT(checked, 5000);
    EXPECT_GT(moved, 500);  // the 25 kHz channels, about a third of the ATIS
}

TEST_F(InstalledNavigation, EveryTableReadsBackAsWrittenWithEveryStationOfTheData) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    Bytes b;
    ASSERT_TRUE(nav::WriteVorTable(db.vors, &b));
    EXPECT_TRUE(b == Member("na.vor"));
    ASSERT_TRUE(nav::WriteNdbTable(db.ndbs, &b));
    EXPECT_TRUE(b == Member("na.ndb"));
    ASSERT_TRUE(nav::WriteIlsTable(db.ils, &b));
    EXPECT_TRUE(b == Member("na.ils"));
    ASSERT_TRUE(nav::WriteAirportTable(db.airports, &b));
    EXPECT_TRUE(b == Member("na.apt"));
    ASSERT_TRUE(nav::WriteWaypointTable(db.waypoints, &b));
    EXPECT_TRUE(b == Member("na.wpt"));
    ASSERT_TRUE(nav::WriteAirwayTable(db.airways, &b));
    EXPECT_TRUE(b == Member("na.vct"));

    // Every VOR, NDB and airport; every ILS whose "I-" ident fits its field.
    const Csv vors = navtest::ReadNavCsv("vor.csv"), ndbs = navtest::ReadNavCsv("ndb.csv");
    const Csv ils = navtest::ReadNavCsv("ils.csv"), airports = navtest::ReadNavCsv("airport.csv");
    std::size_t ilsThatFit = 0;
    for (const auto& r : ils)
        ilsThatFit += (r[2][0] == 'I' ? r[2].size() + 1 : r[2].size() + 2) <= 5 ? 1 : 0;
    EXPECT_EQ(db.vors.size(), vors.size());
    EXPECT_EQ(db.ndbs.size(), ndbs.size());
    EXPECT_EQ(db.ils.size(), ilsThatFit);
    EXPECT_EQ(db.airports.size(), airports.size());
    EXPECT_EQ(db.waypoints.size(), 32767u);
    std::set<std::pair<std::string, int>> vorFrequencies;
    for (const auto& r : vors)
        vorFrequencies.emplace(r[0], std::stoi(r[5]));
    for (const nav::VorRecord& v : db.vors)
        EXPECT_EQ(vorFrequencies.count({v.ident, v.frequency}), 1u) << v.ident;

    // Runs of one frequency lie together; the index and the waypoints are in identifier order.
    auto byFrequency = [](const auto& rows) {
        return std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& c) {
            return std::tie(a.frequency, a.ident) < std::tie(c.frequency, c.ident);
        });
    };
    EXPECT_TRUE(byFrequency(db.vors));
    EXPECT_TRUE(byFrequency(db.ndbs));
    EXPECT_TRUE(byFrequency(db.ils));
    EXPECT_TRUE(std::is_sorted(db.airports.begin(), db.airports.end(),
                               [](const auto& a, const auto& c) { return a.ident < c.ident; }));
    EXPECT_TRUE(std::is_sorted(db.waypoints.begin(), db.waypoints.end(),
                               [](const auto& a, const auto& c) { return a.name < c.name; }));
    // Victor airways through named points; V25 passes Woodside.
    EXPECT_GT(db.airways.size(), 500u);
    bool v25AtWoodside = false;
    for (const nav::AirwayRecord& a : db.airways) {
        EXPECT_GE(a.points.size(), 2u) << a.identifier;
        for (const nav::WaypointRecord& p : a.points) {
            EXPECT_FALSE(p.name.empty());
            v25AtWoodside = v25AtWoodside || (a.identifier == 25 && p.name == "OSI");
        }
    }
    EXPECT_TRUE(v25AtWoodside);
}

TEST_F(InstalledNavigation, StationsAndAirportsLieOnTheirPublicCoordinates) {
    const Csv vors = navtest::ReadNavCsv("vor.csv"), airports = navtest::ReadNavCsv("airport.csv");
    std::map<std::string, const nav::VorRecord*> vorByKey;
    for (const nav::VorRecord& v : nav::theNavDatabase.vors)
        vorByKey[v.ident + "/" + std::to_string(v.frequency)] = &v;
    std::map<std::string, const nav::AirportIndexRecord*> airportByIdent;
    for (const nav::AirportIndexRecord& a : nav::theNavDatabase.airports)
        airportByIdent[a.ident] = &a;
    // Twenty of each, spread over the tables.
    for (std::size_t k = 0; k < 20; ++k) {
        const auto& v = vors[(k * 613) % vors.size()];
        const nav::VorRecord* row = vorByKey[v[0] + "/" + v[5]];
        ASSERT_NE(row, nullptr) << v[0];
        double lat = 0, lon = 0;
        navtest::WorldToGeographic(row->x, row->z, &lat, &lon);
        EXPECT_LT(navtest::Metres(lat, lon, std::stod(v[2]), std::stod(v[3])), 1.0) << v[0];
        EXPECT_EQ(row->elevation, static_cast<int>(std::lround(std::stoi(v[4]) * 0.3048))) << v[0];

        const auto& a = airports[(k * 6961) % airports.size()];
        const nav::AirportIndexRecord* airport = airportByIdent[a[0]];
        ASSERT_NE(airport, nullptr) << a[0];
        navtest::WorldToGeographic(airport->x, airport->z, &lat, &lon);
        EXPECT_LT(navtest::Metres(lat, lon, std::stod(a[4]), std::stod(a[5])), 1.0) << a[0];
        EXPECT_EQ(airport->elevation, std::stoi(a[3])) << a[0];  // feet
    }
    EXPECT_EQ(airportByIdent["L06"]->elevation, -210);  // Furnace Creek, below sea level
}

TEST_F(InstalledNavigation, TheDirectoryNamesEveryStationAndTheIndexPointsIntoIt) {
    ASSERT_EQ(nav::theSmsDatabase.Open({}), 1);
    RecordingList lists[5];
    for (int kind = 0; kind < 5; ++kind)
        nav::theSmsDatabase.FillStationList(lists[kind], kind);
    const nav::NavDatabase& db = nav::theNavDatabase;
    EXPECT_EQ(lists[0].rows.size(), db.airports.size());
    EXPECT_EQ(lists[1].rows.size(), db.vors.size());
    EXPECT_EQ(lists[2].rows.size(), db.ndbs.size());
    EXPECT_EQ(lists[3].rows.size(), db.ils.size());
    EXPECT_EQ(lists[4].rows.size(), db.waypoints.size());
    // Sorted as a reader looks names up: capitals beside small letters.
    const auto folded = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const RecordingList& l : lists)
        EXPECT_TRUE(std::is_sorted(l.rows.begin(), l.rows.end(),
                                   [&](const std::string& a, const std::string& b) { return folded(a) < folded(b); }));
    EXPECT_EQ(std::abs(Row(lists[0], "SAN CARLOS (4AZ7)") - Row(lists[0], "San Carlos (KSQL)")), 1);
    EXPECT_GE(Row(lists[0], "San Carlos (KSQL)"), 0);
    EXPECT_GE(Row(lists[1], "WOODSIDE (OSI)"), 0);
    EXPECT_GE(Row(lists[3], "I-SFO KSFO Rwy 28L"), 0);
    EXPECT_GE(Row(lists[4], "MENLO"), 0);

    // Every airport of the index points at its own entry.
    std::ifstream in("Data/Sms/flp.sms", std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const nav::AirportIndexRecord& a : db.airports) {
        ASSERT_LT(a.entryOffset + 6u, file.size()) << a.ident;
        const int size = static_cast<int>(std::min<std::size_t>(105, file.size() - a.entryOffset));
        const nav::SmsEntryCopy entry = nav::DecodeEntryCopy(file.data() + a.entryOffset, size);
        EXPECT_EQ(nav::NavKindOfCode(entry.code), 0) << a.ident;
        const std::string tail = "(" + a.ident + ")";
        ASSERT_GE(entry.name.size(), tail.size()) << a.ident;
        EXPECT_EQ(entry.name.substr(entry.name.size() - tail.size()), tail);
        EXPECT_EQ(nav::ExtractAirportIdent(entry.name), a.ident) << entry.name;
    }
    // Every VOR's record gives its frequency and position.
    std::map<std::string, const nav::VorRecord*> vorByIdent;
    for (const nav::VorRecord& v : db.vors)
        vorByIdent[v.ident] = &v;
    for (int row = 0; row < static_cast<int>(lists[1].rows.size()); ++row) {
        ASSERT_EQ(nav::theSmsDatabase.ShowVorInfo({}, row, {}), 0);
        const std::string ident =
            nav::ExtractAirportIdent(lists[1].rows[static_cast<std::size_t>(row)]);
        const nav::VorRecord* v = vorByIdent[ident];
        ASSERT_NE(v, nullptr) << ident;
        if (nav::theSmsDatabase.VorX() != v->x) continue;  // an ident used twice
        EXPECT_EQ(nav::theSmsDatabase.VorFrequency(), nav::FrequencyToBcd(v->frequency)) << ident;
        EXPECT_NE(nav::NavAidKindName(nav::theSmsCurrentEntry.code), "Error") << ident;
    }
    // Every record agrees with the tables beside it (a sixteenth of the waypoints, for time).
    for (int kind = 2; kind <= 4; ++kind)
        for (std::size_t row = 0; row < lists[kind].rows.size(); row += kind == 4 ? 16 : 1)
            ASSERT_EQ(nav::theSmsDatabase.ReadRecord({}, static_cast<int>(row), kind), 0)
                << lists[kind].rows[row];
    for (std::size_t i = 0; i < db.airports.size(); ++i) {
        nav::SmsEntryCopy entry;
        nav::SmsAirportHeader header;
        std::vector<nav::SmsRunwayRecord> rows;
        ASSERT_EQ(
            nav::theSmsDatabase.ReadAirportRecord(static_cast<int>(i), &entry, &header, &rows), 1)
            << db.airports[i].ident;
    }
}

// The navaid directory calls a VOR Canadian only when it stands in Canada: nearer a Canadian
// airport's ICAO code (CY.., CZ..) than a United States one (K...), measured on the public
// coordinates. The Californian stations once called Canadian are checked by name.
TEST_F(InstalledNavigation, EveryVorIsCanadianOnlyInCanada) {
    ASSERT_EQ(nav::theSmsDatabase.Open({}), 1);
    RecordingList vors;
    nav::theSmsDatabase.FillStationList(vors, 1);
    struct Place {
        double lat, lon;
        bool canadian;
    };
    std::vector<Place> airports;
    for (const auto& a : navtest::ReadNavCsv("airport.csv")) {
        if (a.size() < 6 || a[0].size() != 4) continue;
        const bool canadian = a[0].rfind("CY", 0) == 0 || a[0].rfind("CZ", 0) == 0;
        if (canadian || (a[0][0] == 'K' && std::all_of(a[0].begin(), a[0].end(), ::isalpha)))
            airports.push_back({std::stod(a[4]), std::stod(a[5]), canadian});
    }
    std::map<std::string, bool> inCanada;  // "NAME (IDENT)"
    for (const auto& v : navtest::ReadNavCsv("vor.csv")) {
        const double lat = std::stod(v[2]), lon = std::stod(v[3]);
        double best = 1e300;
        bool canadian = false;
        for (const Place& p : airports) {
            const double d = navtest::Metres(lat, lon, p.lat, p.lon);
            if (d < best) best = d, canadian = p.canadian;
        }
        inCanada[v[1] + " (" + v[0] + ")"] = canadian;
    }
    int canadian = 0, checked = 0;
    for (int row = 0; row < static_cast<int>(vors.rows.size()); ++row) {
        const std::string& name = vors.rows[static_cast<std::size_t>(row)];
        const auto truth = inCanada.find(name);
        if (truth == inCanada.end()) continue;  // a name used twice
        ASSERT_EQ(nav::theSmsDatabase.ShowVorInfo({}, row, {}), 0);
        const bool shown =
            nav::NavAidKindName(nav::theSmsCurrentEntry.code).find("Canadian") != std::string::npos;
        EXPECT_EQ(shown, truth->second) << name;
        canadian += shown ? 1 : 0;
        ++checked;
    }
    EXPECT_GT(checked, 1100);
    EXPECT_GT(canadian, 50);
    for (const char* name :
         {"SAUSALITO (SAU)", "SACRAMENTO (SAC)", "PANOCHE (PXN)", "GORMAN (GMN)", "HECTOR (HEC)"}) {
        ASSERT_TRUE(inCanada.count(name) != 0) << name;
        EXPECT_FALSE(inCanada[name]) << name;
    }
}

// Every towered airport of the public data lists its runways on the airports wizard's page, Palo
// Alto too, whose runway the data gives with one end unnamed ("xxx"): both its ends, 13 and 31.
TEST_F(InstalledNavigation, EveryToweredAirportListsItsRunways) {
    ASSERT_EQ(nav::theSmsDatabase.Open({}), 1);
    RecordingList airports;
    nav::theSmsDatabase.FillStationList(airports, 0);
    std::map<std::string, int> rows;
    for (std::size_t i = 0; i < airports.rows.size(); ++i)
        rows.emplace(airports.rows[i], static_cast<int>(i));
    int towered = 0;
    for (const auto& a : navtest::ReadNavCsv("airport.csv")) {
        if (a.size() < 7 || a[6] != "1" || a[2] != "land") continue;
        const auto it = rows.find(a[1] + " (" + a[0] + ")");
        if (it == rows.end()) continue;  // idents too long for the directory
        ++towered;
        RecordingList runways;
        ASSERT_EQ(nav::theSmsDatabase.FillRunwayList(runways, it->second), 0) << a[0];
        EXPECT_FALSE(runways.rows.empty()) << a[0];
        if (a[0] == "KPAO") {
            ASSERT_EQ(runways.rows.size(), 2u);
            EXPECT_EQ(runways.rows[0].rfind("31", 0), 0u) << runways.rows[0];
            EXPECT_EQ(runways.rows[1].rfind("13", 0), 0u) << runways.rows[1];
        }
    }
    EXPECT_GT(towered, 900);
}

TEST_F(InstalledNavigation, OaklandsRadiosAndAirportPage) {
    cockpit::thePanelSwitches.batteryPower = 1;
    cockpit::theCockpitSwitches.avionicsMaster = 1;
    Place(37.710325, -122.227480);  // KOAK
    const struct {
        int whole, hundredths;
        const char* ident;
    } tunes[] = {{16, 80, "OAK"}, {8, 70, "I-INB"}, {9, 90, "I-OAK"}, {13, 90, "OSI"}};
    for (const auto& t : tunes) {
        EXPECT_EQ(nav::TuneVor(t.whole, t.hundredths, 0) + nav::TuneIls(t.whole, t.hundredths, 1),
                  1)
            << t.ident;
        const nav::TunedNavStation& s =
            t.ident[0] == 'I' ? nav::theNav2Station : nav::theNav1Station;
        EXPECT_EQ(s.ident, t.ident);
    }
    // The same frequency far away: Seattle's VORTAC on 116.80.
    Place(47.43536111, -122.30961111);
    cockpit::theNav1Radio.activeMHz = 16;
    cockpit::theNav1Radio.activeKHz = 80;
    nav::CheckNav1Reception();
    EXPECT_EQ(nav::theNav1Station.ident, "SEA");
    EXPECT_LT(nav::theNav1Station.distance, 1000u);

    ASSERT_EQ(nav::theSmsDatabase.Open({}), 1);
    RecordingList airports;
    nav::theSmsDatabase.FillStationList(airports, 0);
    const int oakland = Row(airports, "Metro Oakland Intl (KOAK)");
    ASSERT_GE(oakland, 0);
    ASSERT_EQ(nav::theSmsDatabase.ShowAirportInfo({}, oakland), 0);
    EXPECT_EQ(nav::AirspaceText(nav::theSmsDatabase.CurrentAirport().airspace), "Class C");
    EXPECT_EQ(nav::FacilitiesText(nav::theSmsDatabase.CurrentAirport().airspace), "Yes/Yes");
    // The ATIS's 25 kHz channel, 133.775 MHz (the data's "13377"), on the radio's 133.75.
    EXPECT_EQ(nav::AirportFrequencyLines(nav::theSmsDatabase.CurrentAirport()).first.substr(0, 12),
              "ATIS: 133.75");
    RecordingList runways;
    ASSERT_EQ(nav::theSmsDatabase.FillRunwayList(runways, oakland), 0);
    const std::vector<std::string> starts = {"11 \t", "29 \t", "9R\t",  "27L\t",
                                             "9L\t",  "27R\t", "15 \t", "33 \t"};
    ASSERT_EQ(runways.rows.size(), starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(runways.rows[i].rfind(starts[i], 0), 0u) << runways.rows[i];
    EXPECT_NE(runways.rows[0].find("\tILS: I-AAZ"), std::string::npos);
    EXPECT_NE(runways.rows[1].find("\tILS: I-INB"), std::string::npos);
    EXPECT_NE(runways.rows[5].find("\tILS: I-OAK"), std::string::npos);
    EXPECT_EQ(runways.rows[3].find("ILS"), std::string::npos);
    // Each row's threshold is its runway end of the public data (none is displaced here).
    const Csv ends = navtest::ReadNavCsv("runway.csv");
    std::size_t row = 0;
    for (const auto& r : ends) {
        if (r[0] != "KOAK") continue;
        for (const int end : {0, 1}) {
            double lat = 0, lon = 0;
            const nav::RunwayListEntry& e = nav::theSmsDatabase.RunwayList()[row++];
            navtest::WorldToGeographic(e.x, e.z, &lat, &lon);
            EXPECT_LT(
                navtest::Metres(lat, lon, std::stod(r[4 + 4 * end]), std::stod(r[5 + 4 * end])),
                1.0);
        }
    }

    const int sanCarlos = Row(airports, "San Carlos (KSQL)");
    ASSERT_EQ(nav::theSmsDatabase.ShowAirportInfo({}, sanCarlos), 0);
    const nav::FrequencyLines lines =
        nav::AirportFrequencyLines(nav::theSmsDatabase.CurrentAirport());
    EXPECT_EQ(lines.first, "GND CON: 121.60        TOWER: 119.00        DEP CON: 135.65");
    EXPECT_EQ(lines.second, "APP CON: 133.95");
    EXPECT_EQ(nav::AirspaceText(nav::theSmsDatabase.CurrentAirport().airspace), "Class D");
}

}  // namespace
