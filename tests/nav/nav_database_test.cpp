// The navigation tables through their own writers and the loaders, damaged tables, and the
// reception checks that decide which station each receiver hears.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cockpit/bearing.h"
#include "core/endian.h"
#include "nav/nav_records.h"
#include "nav_fixture.h"
#include "win/program_entry.h"

namespace {

using navtest::NavFixture;
using Bytes = std::vector<std::uint8_t>;

nav::VorRecord Vor(const char* ident, int frequency, std::int32_t x, std::int32_t z,
                   std::uint16_t flags = 0x0201) {
    return nav::VorRecord{ident, static_cast<std::int16_t>(frequency), x, z, 12, flags};
}
nav::IlsRecord Ils(const char* ident, int frequency, std::int32_t x, std::int32_t z) {
    nav::IlsRecord r;
    r.ident = ident;
    r.frequency = static_cast<std::int16_t>(frequency);
    r.x = x;
    r.z = z;
    r.x2 = x;
    r.z2 = z - 10000;
    r.flags = nav::kIlsFlag | nav::kOuterMarkerFlag;
    r.course = 0x4000;
    r.glideSlopeAngle = 546;
    r.pointX[0] = x - 500000;
    r.pointZ[0] = z;
    return r;
}
nav::NdbRecord Ndb(const char* ident, int khz, std::int32_t x, std::int32_t z) {
    return nav::NdbRecord{ident, static_cast<std::int16_t>(khz), x, z, -3, 0};
}

Bytes Table(bool ok, const Bytes& bytes) {
    EXPECT_TRUE(ok);
    return bytes;
}
Bytes VorTable(const std::vector<nav::VorRecord>& rows) {
    Bytes b;
    return Table(nav::WriteVorTable(rows, &b), b);
}
Bytes IlsTable(const std::vector<nav::IlsRecord>& rows) {
    Bytes b;
    return Table(nav::WriteIlsTable(rows, &b), b);
}
Bytes NdbTable(const std::vector<nav::NdbRecord>& rows) {
    Bytes b;
    return Table(nav::WriteNdbTable(rows, &b), b);
}

class NavDatabaseTest : public NavFixture {
protected:
    void Load(const char* member, const Bytes& bytes) {
        Write(std::string("Data/Nav/") + member, bytes);
    }
    static void Place(std::int32_t x, std::int32_t z) {
        flight::theFlightModelState.fmPosX = x;
        flight::theFlightModelState.fmPosZ = z;
    }
    static void TuneNav1(int whole, int hundredths) {
        cockpit::theNav1Radio.activeMHz = static_cast<std::uint16_t>(whole);
        cockpit::theNav1Radio.activeKHz = static_cast<std::uint16_t>(hundredths);
    }
};

TEST_F(NavDatabaseTest, EveryRowReadsBackThroughTheLoaders) {
    const std::vector<nav::VorRecord> vors = {Vor("OSI", 11390, -1234567, 7654321, 0x0A41),
                                              Vor("SJC", 11410, INT32_MIN, INT32_MAX, 0)};
    std::vector<nav::AirportIndexRecord> airports = {
        {"KSQL", 10, 20, 5, 3000}, {"L06", -5, -6, -210, 0xFFFFFFFFu}};  // below sea level
    const std::vector<nav::NdbRecord> ndbs = {Ndb("PAO", 362, 1, 2), Ndb("ABCDE", 1750, 3, 4)};
    const std::vector<nav::IlsRecord> ils = {Ils("I-OAK", 10990, 100, 200),
                                             Ils("I-AB", 11190, 5, 6)};
    const std::vector<nav::WaypointRecord> waypoints = {{"MENLO", 1, 2}, {"A", -1, -2}};
    const std::vector<nav::AirwayRecord> airways = {
        {23, {{"OSI", 1, 2}, {"MENLO", 3, 4}, {"SJC", 5, 6}}}, {99, {}}, {4, {{"X", 7, 8}}}};
    Bytes b;
    ASSERT_TRUE(nav::WriteVorTable(vors, &b));
    Load("na.vor", b);
    ASSERT_TRUE(nav::WriteAirportTable(airports, &b));
    Load("na.apt", b);
    ASSERT_TRUE(nav::WriteNdbTable(ndbs, &b));
    Load("na.ndb", b);
    ASSERT_TRUE(nav::WriteIlsTable(ils, &b));
    Load("na.ils", b);
    ASSERT_TRUE(nav::WriteWaypointTable(waypoints, &b));
    Load("na.wpt", b);
    ASSERT_TRUE(nav::WriteAirwayTable(airways, &b));
    Load("na.vct", b);
    const std::vector<nav::ComChannelRecord> channels = {
        {"KDEN", nav::ComService::Atis, 0x3400}, {"KDEN", nav::ComService::Approach, 0x1930}};
    ASSERT_TRUE(nav::WriteComChannelTable(channels, &b));
    Load("na.frq", b);

    EXPECT_EQ(nav::LoadNavVors(), 1);
    EXPECT_EQ(nav::LoadNavNdbs(), 1);
    EXPECT_EQ(nav::LoadNavIls(), 1);
    EXPECT_EQ(nav::LoadNavAirports(), 1);
    EXPECT_EQ(nav::LoadNavWaypoints(), 1);
    EXPECT_EQ(nav::LoadNavAirways(), 1);
    EXPECT_EQ(nav::LoadNavComChannels(), 1);
    EXPECT_EQ(nav::theNavDatabase.comChannels, channels);
    EXPECT_EQ(nav::theNavDatabase.vors, vors);
    EXPECT_EQ(nav::theNavDatabase.airports, airports);
    EXPECT_EQ(nav::theNavDatabase.airports[1].elevation, -210);
    EXPECT_EQ(nav::theNavDatabase.ndbs, ndbs);
    EXPECT_EQ(nav::theNavDatabase.ils, ils);
    EXPECT_EQ(nav::theNavDatabase.waypoints, waypoints);
    EXPECT_EQ(nav::theNavDatabase.airways, airways);
    EXPECT_TRUE(nav::theNavDatabase.airways[1].points.empty());  // a point count of 0

    // Texts longer than their fields, and tables over the 16-bit row index, are refused.
    EXPECT_FALSE(nav::WriteVorTable({Vor("ABCD", 11000, 0, 0)}, &b));
    EXPECT_FALSE(nav::WriteAirportTable({{"KSQLX", 0, 0, 0, 0}}, &b));
    EXPECT_FALSE(nav::WriteComChannelTable({{"KDEN", static_cast<nav::ComService>(6), 0x1830}}, &b));
    EXPECT_FALSE(nav::WriteWaypointTable(std::vector<nav::WaypointRecord>(32768, {"A", 0, 0}), &b));
}

// A damaged member: the table keeps the whole rows that are there, or nothing; never a crash.
TEST_F(NavDatabaseTest, DamagedTablesKeepWholeRowsOrNone) {
    const Bytes good =
        VorTable({Vor("AAA", 11000, 1, 1), Vor("BBB", 11000, 2, 2), Vor("CCC", 11100, 3, 3)});
    auto withCount = [&](std::uint32_t count) {
        Bytes b = good;
        core::WriteU32(b.data(), count);
        return b;
    };
    Bytes unterminated = good;
    for (int i = 0; i < 4; ++i)
        unterminated[4 + static_cast<std::size_t>(i)] = 'Z';
    const struct {
        const char* what;
        Bytes bytes;
        std::size_t rows;
    } cases[] = {
        {"whole", good, 3},
        {"empty member", {}, 0},
        {"count cut short", {3, 0}, 0},
        {"last row cut", Bytes(good.begin(), good.end() - 7), 2},
        {"odd size", Bytes(good.begin(), good.end() - 1), 2},
        {"count past the end", withCount(1000), 3},
        {"count above 32,767", withCount(32768), 0},
        {"count 0xFFFFFFFF", withCount(0xFFFFFFFFu), 0},
        {"fewer rows than there are", withCount(1), 1},
        {"ident without terminator", unterminated, 3},
    };
    for (const auto& c : cases) {
        Load("na.vor", c.bytes);
        EXPECT_EQ(nav::LoadNavVors(), 1) << c.what;
        EXPECT_EQ(nav::theNavDatabase.vors.size(), c.rows) << c.what;
    }
    EXPECT_EQ(nav::theNavDatabase.vors[0].ident, "ZZZZ");  // bounded by its field

    // The same rules for every table of fixed rows.
    const Bytes ils = IlsTable({Ils("I-A", 10900, 0, 0), Ils("I-B", 10900, 0, 0)});
    Load("na.ils", Bytes(ils.begin(), ils.end() - 1));
    nav::LoadNavIls();
    EXPECT_EQ(nav::theNavDatabase.ils.size(), 1u);
    Load("na.ndb", withCount(40000));
    nav::LoadNavNdbs();
    EXPECT_TRUE(nav::theNavDatabase.ndbs.empty());

    // A member that is not there leaves its table empty and says so.
    std::remove("Data/Nav/na.vor");
    platform::ForgetFolderListings();
    EXPECT_EQ(nav::LoadNavVors(), 0);
    EXPECT_TRUE(nav::theNavDatabase.vors.empty());
}

TEST_F(NavDatabaseTest, DamagedAirwaysEndTheTableWhereTheyGoWrong) {
    const std::vector<nav::AirwayRecord> airways = {
        {1, {{"A", 1, 1}, {"B", 2, 2}}}, {2, {{"C", 3, 3}}}, {3, {{"D", 4, 4}, {"E", 5, 5}}}};
    Bytes good;
    ASSERT_TRUE(nav::WriteAirwayTable(airways, &good));
    auto withPoints = [&](int airway, std::int16_t points) {
        Bytes b = good;
        core::WriteU16(b.data() + 4 + 10 * airway + 8, static_cast<std::uint16_t>(points));
        return b;
    };
    Bytes manyAirways = good;
    core::WriteU32(manyAirways.data(), 40000);
    const struct {
        const char* what;
        Bytes bytes;
        std::size_t airways;
    } cases[] = {
        {"whole", good, 3},
        {"negative point count", withPoints(1, -5), 1},
        {"huge point count", withPoints(1, 32767), 1},
        {"more points than are left", withPoints(2, 3), 2},
        {"last point cut", Bytes(good.begin(), good.end() - 3), 2},
        {"headers cut", Bytes(good.begin(), good.begin() + 19), 0},
        {"count above 32,767", manyAirways, 0},
        {"empty member", {}, 0},
    };
    for (const auto& c : cases) {
        Load("na.vct", c.bytes);
        nav::LoadNavAirways();
        ASSERT_EQ(nav::theNavDatabase.airways.size(), c.airways) << c.what;
        for (std::size_t i = 0; i < c.airways; ++i)
            EXPECT_EQ(nav::theNavDatabase.airways[i], airways[i]) << c.what;
    }
}

TEST_F(NavDatabaseTest, TheNearerOfTwoStationsOnAFrequencyIsHeardAndTheEarlierOnATie) {
    MastersOn();
    Load("na.vor", VorTable({Vor("FAR", 11390, 0, 900000), Vor("NER", 11390, 0, -400000),
                             Vor("TIE", 11390, 0, 400000), Vor("OTH", 11400, 0, 0)}));
    nav::LoadNavVors();
    Place(0, 0);
    TuneNav1(13, 90);
    nav::CheckNav1Reception();
    EXPECT_EQ(nav::theNavReceptionFlags & nav::kNav1Reception, nav::kNav1Reception);
    EXPECT_EQ(nav::theNav1Station.ident, "NER");  // 400,000 away, before TIE at the same distance
    EXPECT_EQ(nav::theNav1Station.distance, 400000u);
    EXPECT_EQ(nav::theNav1Station.frequency, 11390);
    EXPECT_EQ(nav::theNav1Station.range, 188520u);  // class 0x0200
    EXPECT_EQ(nav::theNav1Station.elevation, 12);
    EXPECT_EQ(nav::theNav1Station.bearing, 0);  // the aircraft lies north of the station
    EXPECT_EQ(nav::FindFirstVor(nav::theNavDatabase.VorCount(), 11390), 0);
    EXPECT_EQ(nav::FindFirstVor(0, 11390), -1);
    EXPECT_EQ(nav::FindFirstVor(4, 11400), 3);
    EXPECT_EQ(nav::FindFirstVor(3, 11400), -1);

    // NAV2 has its own station and bit.
    cockpit::theNav2Radio.activeMHz = 14;
    cockpit::theNav2Radio.activeKHz = 0;
    nav::CheckNav2Reception();
    EXPECT_EQ(nav::theNav2Station.ident, "OTH");
    EXPECT_EQ(nav::theNavReceptionFlags, nav::kNav1Reception | nav::kNav2Reception);
}

// The station heard is the first row of the least truncated distance, however many rows come
// near it: rows a fraction further or nearer, and rows beyond 2^26 units.
TEST_F(NavDatabaseTest, TheFirstRowOfTheLeastWholeDistanceIsHeard) {
    struct Row {
        const char* ident;
        std::int32_t x, z;
    };
    struct Case {
        std::vector<Row> rows;
        const char* heard;
        std::uint32_t distance;
    };
    const std::vector<Case> cases = {
        {{{"FRC", 3, 400000}, {"WHL", 0, 400000}}, "FRC", 400000},
        {{{"WHL", 0, 400000}, {"FRC", 3, 400000}}, "WHL", 400000},
        {{{"ONE", 0, 400000}, {"TWO", 0, 399999}, {"TRE", 0, -399999}}, "TWO", 399999},
        {{{"FAR", 0, 90000000}, {"BIG", 1, 70000000}, {"EQL", 0, 70000000}}, "BIG", 70000000},
        {{{"BIG", 0, 70000000}, {"NER", 0, -69999999}, {"EQL", 9, 69999999}}, "NER", 69999999},
    };
    MastersOn();
    Place(0, 0);
    for (const Case& c : cases) {
        std::vector<nav::VorRecord> rows;
        for (const Row& r : c.rows)
            rows.push_back(Vor(r.ident, 11390, r.x, r.z));
        Load("na.vor", VorTable(rows));
        nav::LoadNavVors();
        TuneNav1(13, 90);
        nav::CheckNav1Reception();
        EXPECT_EQ(nav::theNav1Station.ident, c.heard) << c.rows.front().ident;
        EXPECT_EQ(nav::theNav1Station.distance, c.distance) << c.rows.front().ident;
    }
}

TEST_F(NavDatabaseTest, AVorNeedsBothMastersWhileAnIlsOnItsFrequencyIsHeardWithout) {
    Load("na.vor", VorTable({Vor("VOR", 10870, 0, 100)}));
    Load("na.ils", IlsTable({Ils("I-INB", 10870, 0, 50000)}));
    nav::LoadNavVors();
    nav::LoadNavIls();
    TuneNav1(8, 70);
    for (const bool battery : {false, true}) {
        cockpit::thePanelSwitches.batteryPower = battery;
        cockpit::theCockpitSwitches.avionicsMaster = !battery;
        EXPECT_EQ(nav::TuneVor(8, 70, 0), 0);
        nav::CheckNav1Reception();
        EXPECT_EQ(nav::theNav1Station.ident, "I-INB");
        EXPECT_EQ(nav::theNavReceptionFlags, nav::kNav1Reception);
        // An ILS measures from its glide-slope point and carries its course and markers.
        EXPECT_EQ(nav::theNav1Station.distance, 40000u);
        EXPECT_EQ(nav::theNav1Station.z2, 40000);
        EXPECT_EQ(nav::theNav1Station.range, nav::kIlsReceptionRange);
        EXPECT_EQ(nav::theNav1Station.localizerCourse, 0x4000);
        EXPECT_EQ(nav::theNav1Station.glideSlopeAngle, 546);
        EXPECT_EQ(nav::theNav1Station.pointX[0], -500000);
    }
    MastersOn();
    nav::CheckNav1Reception();
    EXPECT_EQ(nav::theNav1Station.ident, "VOR");  // a VOR wins over an ILS on its frequency
}

TEST_F(NavDatabaseTest, AFrequencyWithoutAStationClearsTheBitAndKeepsTheLastStation) {
    MastersOn();
    Load("na.ndb", NdbTable({Ndb("PAO", 362, 1000, 0)}));
    cockpit::theAdfRadio.activeMHz = 3;
    cockpit::theAdfRadio.activeKHz = 62;
    nav::LoadNavNdbs();  // the loader runs the ADF check
    EXPECT_EQ(nav::theNavReceptionFlags, nav::kAdfReception);
    EXPECT_EQ(nav::theAdfStation.ident, "PAO");
    EXPECT_EQ(nav::theAdfStation.range, nav::kNdbReceptionRange);
    EXPECT_EQ(nav::theAdfStation.elevation, -3);
    cockpit::theAdfRadio.activeMHz = 3;
    cockpit::theAdfRadio.activeKHz = 63;
    nav::CheckAdfReception();
    EXPECT_EQ(nav::theNavReceptionFlags, 0);
    EXPECT_EQ(nav::theAdfStation.ident, "PAO");
    EXPECT_EQ(nav::theAdfStation.frequency, 362);
    EXPECT_EQ(nav::theAdfStation.distance, nav::kNoStationDistance);
    // Refused for want of power, a VOR search leaves even the distance alone.
    nav::theNav1Station.distance = 77;
    cockpit::theCockpitSwitches.avionicsMaster = 0;
    nav::CheckNav1Reception();
    EXPECT_EQ(nav::theNav1Station.distance, nav::kNoStationDistance);  // the ILS search reset it
    nav::theNav1Station.distance = 77;
    EXPECT_EQ(nav::TuneVor(0, 0, 0), 0);
    EXPECT_EQ(nav::theNav1Station.distance, 77u);
}

TEST_F(NavDatabaseTest, ReceptionRangesByClass) {
    const struct {
        std::uint16_t flags;
        std::uint32_t range;
    } cases[] = {{0x0100, 117825}, {0x0200, 188520}, {0x0400, 471300},
                 {0x0000, 188520}, {0x0700, 117825}, {0x0600, 188520}};
    for (const auto& c : cases)
        EXPECT_EQ(nav::VorReceptionRange(c.flags), c.range) << c.flags;
}

TEST_F(NavDatabaseTest, EachReceiverIsCheckedOnceEvery29Ticks) {
    MastersOn();
    Load("na.vor", VorTable({Vor("ONE", 11000, 0, 0), Vor("TWO", 11100, 0, 0)}));
    Load("na.ndb", NdbTable({Ndb("ADF", 400, 0, 0)}));
    nav::LoadNavVors();
    nav::LoadNavNdbs();
    nav::ResetNavReception();
    TuneNav1(10, 0);
    cockpit::theNav2Radio.activeMHz = 11;
    cockpit::theNav2Radio.activeKHz = 0;
    cockpit::theAdfRadio.activeMHz = 4;
    cockpit::theAdfRadio.activeKHz = 0;
    std::vector<int> changes;
    std::uint8_t last = 0;
    for (int call = 1; call <= 29 + 9; ++call) {
        nav::TickNavReception();
        if (nav::theNavReceptionFlags != last) changes.push_back(call);
        last = nav::theNavReceptionFlags;
        if (call == 29) nav::theNavReceptionFlags = last = 0;  // the next cycle sets NAV1 again
    }
    EXPECT_EQ(changes, (std::vector<int>{9, 19, 29, 38}));
}

TEST_F(NavDatabaseTest, TheTraceNamesEachChangeOfStationOrReception) {
    MastersOn();
    Load("na.vor", VorTable({Vor("OSI", 11390, 0, 0), Vor("SJC", 11410, 0, 0)}));
    nav::LoadNavVors();
    std::vector<std::string> lines;
    win::SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    Place(0, 3461018);  // 7.3 nm north
    TuneNav1(13, 90);
    nav::CheckNav1Reception();
    nav::CheckNav1Reception();  // nothing changed
    TuneNav1(14, 10);
    nav::CheckNav1Reception();
    TuneNav1(14, 5);
    nav::CheckNav1Reception();
    nav::CheckNav1Reception();
    win::SetTraceSink(nullptr);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"nav: NAV1 113.90 OSI 7.3 nm",
                                        "nav: NAV1 114.10 SJC 7.3 nm", "nav: NAV1 114.05 none"}));
}

TEST(Bearing, VectorsAndRadialsOnTheWorldPlane) {
    const struct {
        std::int64_t east, north;
        std::uint16_t bearing;
    } cases[] = {{0, 5, 0},
                 {5, 0, 0x4000},
                 {0, -5, 0x8000},
                 {-5, 0, 0xC000},
                 {3, 3, 0x2000},
                 // Differences of two world positions need 33 bits.
                 {std::int64_t{INT32_MAX} * 2, 0, 0x4000},
                 {std::int64_t{INT32_MIN} * 2, std::int64_t{INT32_MIN} * 2, 0xA000}};
    for (const auto& c : cases)
        EXPECT_EQ(cockpit::VectorBearing(c.east, c.north), c.bearing) << c.east << " " << c.north;
    flight::theFlightModelState.fmPosX = 300;
    flight::theFlightModelState.fmPosZ = 400;
    EXPECT_EQ(cockpit::BearingAndRangeFromAircraft({0, 0}, 0), cockpit::VectorBearing(300, 400));
    EXPECT_EQ(cockpit::theBearingRange, 500u);
    EXPECT_EQ(cockpit::BearingAndRangeFromAircraft({-6, -8}, 1), cockpit::VectorBearing(-6, -8));
    EXPECT_EQ(cockpit::theBearingRange, 10u);
    flight::theFlightModelState.fmPosX = INT32_MAX;
    flight::theFlightModelState.fmPosZ = INT32_MAX;
    cockpit::BearingAndRangeFromAircraft({INT32_MIN, INT32_MIN}, 0);
    EXPECT_EQ(cockpit::theBearingRange, 0xFFFFFFFFu);
    flight::theFlightModelState = flight::FlightModelState{};
}

}  // namespace
