// The ground of the country where the public record says where it lies, read as a pilot placed
// there reads it: the lessons' cruise moved over each place and resumed in the running program,
// which reports the ground under the aircraft. Lakes stand at their published surface
// elevations (each figure's source beside it), the floor of Death Valley below the sea, the bay
// shore between San Carlos and Palo Alto near sea level and rising gently inland, South Lake
// Tahoe's runway on its flat valley floor, and towns inland at their published elevations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "nav/lat_lon.h"
#include "support/elevation_grid.h"
#include "support/navdata_csv.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

// The sweeps over the country's gentle cells and over every pass spend nearly all their time
// moving the running program from place to place: an ordinary run looks at an even spread of
// them, ZEPHLON_FULL_SWEEPS=1 at every one.
bool FullSweeps() { return std::getenv("ZEPHLON_FULL_SWEEPS") != nullptr; }

struct Place {
    const char* name;
    double lat, lon;  // east positive
    double feet;      // the published elevation
    double within;    // how far the ground may lie from it
};

// Each place's ground as the program reports it, from one run that resumes a flight at each.
std::vector<double> GroundAt(const std::vector<Place>& places, const char* prefix) {
    StarterRun run(prefix);
    const std::string cruise = run.Dir().Read("Flights/Cruise.Flt");
    std::string script = "frame-interval 100\nwait 500\n";
    for (std::size_t i = 0; i < places.size(); ++i) {
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, places[i].lat, -places[i].lon);
        std::string flight = cruise;
        testsupport::PutSavedValue(flight, "fmPosX", x);
        testsupport::PutSavedValue(flight, "fmPosZ", z);
        const std::string name = "Place" + std::to_string(i) + ".Flt";
        run.Dir().Write("Flights/" + name, flight);
        script += "menu 109\ndialog \"Resume Flight\"\nset 1120 " + name +
                  "\nkey Return press\nwait 600\nreport ground_ft\n";
    }
    script += "quit\n";
    const testsupport::CommandResult r = run.Play(script);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    std::vector<double> ground;
    for (std::size_t at = 0; (at = r.out.find(" ground_ft=", at)) != std::string::npos; ++at)
        ground.push_back(std::stod(r.out.substr(at + 11)));
    EXPECT_EQ(ground.size(), places.size()) << r.out;
    ground.resize(places.size(), std::nan(""));
    return ground;
}

void ExpectGround(const std::vector<Place>& places, const char* prefix) {
    const std::vector<double> ground = GroundAt(places, prefix);
    for (std::size_t i = 0; i < places.size(); ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within) << places[i].name;
}

// The middle of lakes across the country and the floor of the lowest basin.
TEST(GroundHeights, LakesLieAtTheirPublishedSurfaceElevations) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    ExpectGround(
        {
            // 6,225 ft: Lake Tahoe's surface (traveltill.com, Lake Tahoe; 1,895 m at
            // laketahoe.jpl.nasa.gov).
            {"Lake Tahoe", 39.09, -120.04, 6225, 40},
            // 6,178 ft, the USGS benchmark (garywmcleod.com/craterlake).
            {"Crater Lake", 42.94, -122.10, 6178, 40},
            // 7,733 ft (scenicusa.net, Yellowstone Lake; 7,732 ft at lakesinus.com).
            {"Yellowstone Lake", 44.467, -110.367, 7733, 40},
            // 236 ft below the sea (226 to 238 ft quoted between 2006 and 2015).
            {"Salton Sea", 33.25, -115.78, -236, 40},
            // Badwater Basin's salt pan, 282 ft below the sea (scientika.blogspot.com).
            {"Death Valley's floor", 36.24, -116.80, -282, 40},
            // The historic average, 4,200 ft (usgs.gov, Great Salt Lake).
            {"Great Salt Lake", 41.17, -112.58, 4200, 40},
            // 601.1 ft and 577.5 ft (answers.com; 600 and 577 ft in Britannica).
            {"Lake Superior", 47.7, -87.5, 601, 40},
            {"Lake Michigan", 44.0, -87.0, 577, 40},
            // Full pool 3,700 ft (arizonainformation.info).
            {"Lake Powell", 37.08, -111.25, 3700, 40},
            // 2,894 ft (Wikipedia's Flathead Lake as quoted at cryer.org.uk).
            {"Flathead Lake", 47.90, -114.10, 2894, 40},
            // 95.5 ft most of the summer (sites.middlebury.edu).
            {"Lake Champlain", 44.53, -73.33, 95.5, 40},
            // 1,029 ft (wikimili.com, Moosehead Lake).
            {"Moosehead Lake", 45.633, -69.65, 1029, 40},
            // 4,150 ft (Summer Lake's article as quoted at review.clateway.com).
            {"Summer Lake", 42.81, -120.75, 4150, 40},
            // 3,935.6 ft on 28 June 2005 (pubs.usgs.gov, SIR 2007-5012).
            {"Walker Lake", 38.69, -118.70, 3936, 40},
            // 7,519 ft (wikimili.com, Blue Mesa Reservoir).
            {"Blue Mesa Reservoir", 38.478, -107.27, 7519, 40},
            // The conservation pool, 617 ft (kxii.com).
            {"Lake Texoma", 33.885, -96.62, 617, 40},
            // About 746 ft (Lake Winnebago's article as quoted at piglix.com).
            {"Lake Winnebago", 44.04, -88.43, 746, 40},
            // The normal pool, 172 ft (tbpjo.org, the dam's relicensing).
            {"Toledo Bend Reservoir", 31.52, -93.75, 172, 40},
            // Full pool 1,071 ft (sam.usace.army.mil, Lake Sidney Lanier).
            {"Lake Sidney Lanier", 34.32, -83.92, 1071, 40},
            // Full at 504.32 ft (laconiadailysun.com).
            {"Lake Winnipesaukee", 43.63, -71.35, 504, 40},
            // One outline, the St. Lawrence from the Thousand Islands to Quebec, at two levels:
            // Lake St. Lawrence above the Moses-Saunders dam at 241.7 ft (morrisburgleader.ca)
            // and Lake Saint-Louis below the Beauharnois dam at 21 m, 69 ft.
            {"Lake St. Lawrence", 44.94, -75.04, 241, 40},
            {"Lake Saint-Louis", 45.39, -73.86, 69, 40},
            // The Mississippi below Genoa, the pool behind Lock and Dam 9 at its normal 620 ft
            // (Wikipedia, Lock and Dam No. 9), in a valley whose bluffs rise 500 ft above it.
            {"Pool 9 of the Mississippi", 43.4849, -91.2453, 620, 40},
            // The summer target, 1,452.92 ft (the power company's reservoir table).
            {"Whiteface Reservoir", 47.3133, -92.1851, 1453, 40},
            // Rice Lake's summer target, 1,375.57 ft (the same table), north of Duluth's airport.
            {"Rice Lake Reservoir", 46.9004, -92.1899, 1376, 40},
            // 561 ft (Wikipedia, Millerton Lake), in the foothills above Friant.
            {"Millerton Lake", 37.0031, -119.6686, 561, 40},
            // 381 ft (Wikipedia, Lower Otay Reservoir, from GNIS), whose estimate lay 55 ft low.
            {"Lower Otay Reservoir", 32.6372, -116.9249, 381, 40},
            // The Harney Basin's floor, 4,111 ft, where Harney Lake is its sink (Wikipedia).
            {"Harney Lake", 43.2369, -119.1089, 4111, 40},
            // 3,970 ft at Lone Rock in the Carson Sink (its article's geobox), whose estimate
            // lay 230 ft above the playa.
            {"Carson Sink", 39.7783, -118.3926, 3970, 40},
            // The full pool, 5,620 ft (Wikipedia, Palisades Dam), whose estimate lay 227 ft low.
            {"Palisades Reservoir", 43.2942, -111.1345, 5620, 40},
            // Lake Monroe on the St. Johns, which the tide reaches at low river (the state's
            // report on the middle St. Johns), at the sea's level, whose estimate lay 32 ft above
            // it; the lakes stand at their levels exactly.
            {"Lake Monroe", 28.83, -81.25, 0, 10},
        },
        "zephlon-lakes");
}

// Lakes whose level the maker once estimated from the ground round their shores (the lower
// quarter of it), which lay hundreds of feet off where a reservoir drowns a canyon: each stands at
// its published figure over the whole of its outline, not only near the point its row names (the
// sources are in data/water-us/levels.csv). A dam's crest stands in where no pool figure is
// published: it bounds the full pool from above by a few feet.
TEST(GroundHeights, LakesOnceEstimatedStandAtTheirPublishedLevels) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    ExpectGround(
        {
            // The crest of Seminoe Dam, 6,361 ft (bjtravels.blogspot.com, from the Bureau of
            // Reclamation's figures; the full pool of 1,017,279 acre-ft stands just below it), in a
            // canyon whose estimate lay 480 ft low: the north arm by the dam, the middle and the
            // south end, 13 miles apart.
            {"Seminoe Reservoir, north arm", 42.10, -106.87, 6361, 10},
            {"Seminoe Reservoir, middle", 42.06, -106.83, 6361, 10},
            {"Seminoe Reservoir, south end", 41.99, -106.835, 6361, 10},
            // 88 m, 289 ft (Wikipedia, Kejimikujik Lake), at its middle and its west shore.
            {"Kejimkujik Lake", 44.37, -65.23, 289, 10},
            {"Kejimkujik Lake, west", 44.385, -65.25, 289, 10},
            // The normal summer level, 1,158.5 ft (the state's water management at Thief Lake).
            {"Thief Lake", 48.49, -95.88, 1158.5, 10},
            // The ordinary high water mark, 963.1 ft (hometownsource.com, the county's no-wake
            // ordinance).
            {"Lake Waconia", 44.8733, -93.7938, 963.1, 10},
            // 4,131 ft (Wikipedia, Adobe Creek Reservoir); the estimate lay 167 ft low.
            {"Adobe Creek Reservoir", 38.2688, -103.2058, 4131, 10},
            // 4,060 ft (Colorado Parks and Wildlife); the estimate stood 87 ft high.
            {"North Sterling Reservoir", 40.7807, -103.2568, 4060, 10},
            // Pike Bay, joined to Cass Lake (1,301 ft) by a channel; the estimate stood 20 ft
            // above the lake it opens into.
            {"Pike Bay", 47.3536, -94.5802, 1301, 10},
        },
        "zephlon-estimated-lakes");
}

// The bay's shore between San Carlos and Palo Alto lies 0 to 10 ft above the sea; Atherton,
// three miles inland, at about 60 ft. South Lake Tahoe's runway (6,264 ft published) lies in a
// valley whose floor is flat for a mile and a half either side.
TEST(GroundHeights, TheBayShoreAndAValleyFloorLieWhereThePublicRecordPutsThem) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    ExpectGround(
        {
            {"Redwood Shores", 37.530, -122.240, 5, 15},
            {"Bair Island", 37.515, -122.220, 5, 15},
            {"Ravenswood", 37.480, -122.130, 5, 15},
            {"East Palo Alto", 37.465, -122.120, 5, 15},
            {"Palo Alto Baylands", 37.456, -122.105, 5, 15},
            {"Atherton", 37.4613, -122.1978, 60, 40},
            {"South Lake Tahoe, 1.5 mi east", 38.8939, -119.9677, 6264, 40},
            {"South Lake Tahoe, 1.5 mi west", 38.8939, -120.0229, 6264, 40},
            {"South Lake Tahoe, 1.5 mi south", 38.8723, -119.9953, 6264, 40},
        },
        "zephlon-shore");
}

// Towns inland, each at the elevation its article gives for its coordinates (the sources are
// in data/places-us/heights.csv): the East Bay's plain between the shore and the hills, the
// Coachella Valley beside Palm Springs, the valleys of the Rockies and the Sierra (Placerville
// below Telluride's mesa, Basalt down the valley from Aspen), the Blue Ridge.
TEST(GroundHeights, TownsLieAtTheirPublishedElevations) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    ExpectGround(
        {
            {"Newark CA", 37.5330, -122.0330, 20, 60},
            {"Fremont CA", 37.5483, -121.9886, 56, 60},
            {"Union City CA", 37.5964, -122.0483, 69, 60},
            {"Milpitas CA", 37.4347, -121.8950, 20, 60},
            {"Hayward CA", 37.6689, -122.0808, 105, 60},
            {"San Leandro CA", 37.7250, -122.1561, 56, 60},
            {"Castro Valley CA", 37.6942, -122.0864, 161, 60},
            {"Pleasanton CA", 37.6725, -121.8825, 351, 60},
            {"Danville CA", 37.8217, -122.0000, 358, 60},
            {"San Ramon CA", 37.7572, -121.9522, 480, 60},
            {"Walnut Creek CA", 37.9064, -122.0650, 131, 60},
            {"Cathedral City CA", 33.7797, -116.4653, 328, 60},
            {"Rancho Mirage CA", 33.7692, -116.4211, 272, 60},
            {"Pasadena CA", 34.1561, -118.1319, 863, 60},
            {"Glendale CA", 34.1461, -118.2550, 522, 60},
            {"Mammoth Lakes CA", 37.6486, -118.9719, 7880, 60},
            {"Telluride CO", 37.9375, -107.8123, 8750, 60},
            {"Aspen CO", 39.1911, -106.8175, 7908, 60},
            {"Boulder CO", 40.0150, -105.2706, 5318, 60},
            {"Asheville NC", 35.5951, -82.5515, 2134, 60},
            {"Placerville CO", 38.0051, -108.0395, 7408, 60},
            {"Basalt CO", 39.3689, -107.0328, 6611, 60},
            // In valleys narrower than a cell of the elevation grid, whose mean stands above
            // the valley's floor (Moab between cliffs 1,000 ft high 2 km apart, Eagle and
            // Carbondale between ridges), and at the foot of the Sangre de Cristo, whose cells
            // east of it pull Santa Fe's mean up the range.
            {"Santa Fe NM", 35.6672, -105.9644, 7199, 60},
            {"Moab UT", 38.5725, -109.5497, 4026, 60},
            {"Carbondale CO", 39.3946, -107.2145, 6181, 60},
            {"Eagle CO", 39.6322, -106.8200, 6683, 60},
        },
        "zephlon-towns");
}

struct Summit {
    const char* name;
    double lat, lon;  // east positive
    double feet;      // the published elevation
    double valley;    // the published ground it rises from: a town's or an airport's nearby
};

// The summits beside busy airports, at their published elevations (the sources are in
// data/places-us/summits.csv), each within a tenth of its height above the valley it rises
// from: the ground is drawn in cells up to a few hundred feet across, whose corners need not
// fall on the summit, and a tenth is what a pilot would notice. Mount Diablo and the San
// Jacinto massif stand as a pilot sees them from the valleys: above 3,000 ft and 8,000 ft half
// a mile from the summit on every side, not a spike on a plain.
TEST(GroundHeights, SummitsBesideTheAirportsStandAtTheirPublishedElevations) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const std::vector<Summit> summits = {
        {"Mount Diablo", 37.8817, -121.9142, 3849, 358},         // Danville
        {"Mount Hamilton", 37.3417, -121.6428, 4265, 62},        // San Jose's field
        {"Mission Peak", 37.5124, -121.8805, 2517, 56},          // Fremont
        {"Mount Tamalpais", 37.9291, -122.5778, 2571, 0},        // the bay
        {"Vollmer Peak", 37.8830, -122.2386, 1905, 0},           // the bay
        {"San Bruno Mountain", 37.6874, -122.4356, 1319, 0},     // the bay
        {"Loma Prieta", 37.1110, -121.8442, 3790, 62},           // San Jose's field
        {"San Jacinto Peak", 33.8147, -116.6794, 10834, 477},    // Palm Springs' field
        {"Toro Peak", 33.5234, -116.4256, 8716, 272},            // Rancho Mirage
        {"Mount San Antonio", 34.2889, -117.6467, 10064, 1200},  // the foothills' towns
        {"Mount Wilson", 34.2238, -118.0616, 5710, 863},         // Pasadena
        {"Mount Lukens", 34.2690, -118.2390, 5075, 522},         // Glendale
        {"Mammoth Mountain", 37.6306, -119.0326, 11059, 7880},   // Mammoth Lakes
        {"Aspen Mountain", 39.1761, -106.8292, 10705, 7908},     // Aspen
        {"Sandia Crest", 35.2101, -106.4487, 10679, 5355},       // Albuquerque's field
        {"Mount Pisgah", 35.4255, -82.7569, 5721, 2134},         // Asheville
        {"Mount Mitchell", 35.7647, -82.2653, 6684, 2134},       // Asheville
    };
    std::vector<Place> places;
    for (const Summit& s : summits)
        places.push_back({s.name, s.lat, s.lon, s.feet, 0.1 * (s.feet - s.valley)});
    // Half a mile north, east, south and west of the two summits.
    struct Massif {
        const char* name;
        double lat, lon, above;
    };
    const Massif massifs[] = {{"Mount Diablo", 37.8817, -121.9142, 3000},
                              {"San Jacinto Peak", 33.8147, -116.6794, 8000}};
    const double dLat = 804.672 / 111320.0;
    std::vector<double> above;
    for (const Massif& m : massifs) {
        const double dLon = dLat / std::cos(m.lat * M_PI / 180.0);
        for (const auto& [north, east] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}}) {
            places.push_back({m.name, m.lat + north * dLat, m.lon + east * dLon, 0, 0});
            above.push_back(m.above);
        }
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-summits");
    for (std::size_t i = 0; i < summits.size(); ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within) << places[i].name;
    for (std::size_t i = summits.size(); i < places.size(); ++i)
        EXPECT_GT(ground[i], above[i - summits.size()])
            << "half a mile from " << places[i].name << " at " << places[i].lat << ", "
            << places[i].lon;
}

// A point `nm` nautical miles from (lat, lon) on a true bearing, on the sphere's local plane.
std::pair<double, double> Offset(double lat, double lon, double nm, double bearingDeg) {
    const double metres = nm * 1852.0, b = bearingDeg * M_PI / 180.0;
    const double dLat = metres * std::cos(b) / 111320.0;
    const double dLon = metres * std::sin(b) / (111320.0 * std::cos(lat * M_PI / 180.0));
    return {lat + dLat, lon + dLon};
}

// The mountains a pilot looks for across the country (the sources are in
// data/places-us/summits.csv): each summit within 5 % or 300 ft of its published height, whichever
// is less; half a mile off it the ground still stands above four fifths of the summit's height,
// a massif rather than a needle; three miles off, north, east, south and west, it has fallen at
// least a seventh of the summit's height (and at least 800 ft: Black Elk Peak rises from a
// plateau), as the flanks of the real mountains fall, unless the elevation grid's cell there
// stands higher (within 300 ft of its mean: three miles north of Guadalupe Peak lies its high
// country, whose cell reads 7,623 ft).
TEST(GroundHeights, TheMountainsAPilotLooksForStandAtTheirPublishedHeights) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const struct {
        const char* name;
        double lat, lon, feet;
    } mountains[] = {
        {"Mount Rainier WA", 46.8530, -121.7606, 14410},
        {"Mount Adams WA", 46.2028, -121.4890, 12276},
        {"Mount St. Helens WA", 46.1912, -122.1944, 8363},
        {"Mount Baker WA", 48.7769, -121.8145, 10778},
        {"Glacier Peak WA", 48.1112, -121.1140, 10541},
        {"Mount Olympus WA", 47.8013, -123.7108, 7980},
        {"Mount Hood OR", 45.3735, -121.6959, 11249},
        {"Mount Jefferson OR", 44.6743, -121.7996, 10497},
        {"South Sister OR", 44.1034, -121.7692, 10358},
        {"Mount McLoughlin OR", 42.4446, -122.3160, 9495},
        {"Mount Shasta CA", 41.4094, -122.1950, 14162},
        {"Lassen Peak CA", 40.4878, -121.5040, 10457},
        {"Mount Whitney CA", 36.5785, -118.2923, 14505},
        {"San Gorgonio Mountain CA", 34.0992, -116.8249, 11503},
        {"Charleston Peak NV", 36.2716, -115.6956, 11916},
        {"Wheeler Peak NV", 38.9861, -114.3133, 13065},
        {"Kings Peak UT", 40.7764, -110.3728, 13528},
        {"Mount Timpanogos UT", 40.3908, -111.6459, 11749},
        {"Mount Nebo UT", 39.8216, -111.7599, 11933},
        {"Borah Peak ID", 44.1374, -113.7811, 12662},
        {"Granite Peak MT", 45.1634, -109.8075, 12807},
        {"Grand Teton WY", 43.7412, -110.8024, 13775},
        {"Gannett Peak WY", 43.1842, -109.6542, 13810},
        {"Cloud Peak WY", 44.3821, -107.1739, 13171},
        {"Black Elk Peak SD", 43.8661, -103.5317, 7242},
        {"Longs Peak CO", 40.2550, -105.6151, 14259},
        {"Grays Peak CO", 39.6339, -105.8175, 14278},
        {"Torreys Peak CO", 39.6428, -105.8212, 14267},
        {"Mount Blue Sky CO", 39.5883, -105.6438, 14266},
        {"Pikes Peak CO", 38.8405, -105.0442, 14115},
        {"Mount Elbert CO", 39.1178, -106.4453, 14438},
        {"Blanca Peak CO", 37.5772, -105.4858, 14357},
        {"Uncompahgre Peak CO", 38.0717, -107.4621, 14321},
        {"Wheeler Peak NM", 36.5569, -105.4169, 13161},
        {"Humphreys Peak AZ", 35.3463, -111.6779, 12633},
        {"Mount Lemmon AZ", 32.4430, -110.7885, 9159},
        {"Guadalupe Peak TX", 31.8915, -104.8607, 8751},
        {"Clingmans Dome TN", 35.5629, -83.4985, 6643},
        {"Mount Rogers VA", 36.6598, -81.5446, 5729},
        {"Mount Washington NH", 44.2706, -71.3047, 6288},
        {"Mount Mansfield VT", 44.5439, -72.8143, 4395},
        {"Mount Marcy NY", 44.1127, -73.9237, 5343},
        {"Mount Katahdin ME", 45.9044, -68.9213, 5267},
        {"Mount Moran WY", 43.8353, -110.7756, 12610},
        {"Thompson Peak ID", 44.1415, -115.0100, 10751},
        {"West Spanish Peak CO", 37.3756, -104.9936, 13631},
        {"American Fork Twin Peaks UT", 40.5519, -111.6569, 11489},
        {"Hyndman Peak ID", 43.7494, -114.1312, 12012},
        {"Ruby Dome NV", 40.6217, -115.4750, 11387},
        {"Grandfather Mountain NC", 36.1072, -81.8102, 5946},
        {"Castle Peak CO", 39.0097, -106.8614, 14279},
        {"Capitol Peak CO", 39.1503, -107.0829, 14137},
        {"Fremont Peak WY", 43.1247, -109.6181, 13751},
    };
    std::vector<Place> places;
    for (const auto& m : mountains) {
        places.push_back({m.name, m.lat, m.lon, m.feet, std::min(0.05 * m.feet, 300.0)});
        const auto [nLat, nLon] = Offset(m.lat, m.lon, 0.5, 0.0);
        places.push_back({m.name, nLat, nLon, m.feet, 0});
        for (double bearing : {0.0, 90.0, 180.0, 270.0}) {
            const auto [lat, lon] = Offset(m.lat, m.lon, 3.0, bearing);
            places.push_back({m.name, lat, lon, m.feet, 0});
        }
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-mountains");
    const testsupport::ElevationGrid grid;
    for (std::size_t i = 0; i < places.size(); i += 6) {
        const Place& top = places[i];
        EXPECT_NEAR(ground[i], top.feet, top.within) << top.name << " (its summit)";
        EXPECT_GT(ground[i + 1], 0.8 * top.feet) << top.name << " half a mile north";
        const double fallen = std::max(800.0, 0.15 * top.feet);
        for (std::size_t k = 2; k < 6; ++k)
            EXPECT_LT(ground[i + k],
                      std::max(top.feet - fallen,
                               grid.Feet(places[i + k].lat, places[i + k].lon) + 300.0))
                << top.name << " three miles off at " << places[i + k].lat << ", "
                << places[i + k].lon;
    }
}

// Where pilots fly among the ranges (the sources are in data/places-us/summits.csv and
// heights.csv): the summits of the Front Range between Longs Peak and Pikes Peak, the Sawatch, the
// Elk Range, the Sierra from Mount Langley past Whitney, the Palisades and the peaks above Bishop
// to Tahoe with Yosemite Valley's walls and domes (its east crest stands far above the elevation
// grid's clip at 10,750 ft, where the crest would otherwise stand flat-topped), the
// Wasatch, the Smokies and the Adirondacks within 300 ft of their published heights; the passes
// (the Divide's over the Sawatch and San Juans, Red Mountain, the Sierra's from Carson to Sonora,
// Teton) and the valley towns between them (Ouray, Buena Vista, Salida, Gunnison, Crested Butte,
// Golden at the foot of the Front Range, Bishop and Lone Pine below the Sierra) within 200 ft, so
// that the crests do not sag to the valleys and the valleys are not filled. Along the Continental
// Divide from the Arapaho Peaks over Rollins Pass and James Peak to Berthoud Pass, along the
// Smokies' crest from Clingmans Dome to Newfound Gap and from Sonora Peak down to Sonora Pass, the
// ground midway between two of them stands no lower than the lower of the two (less 200 ft): the
// real crest between them has no lower crossing.
TEST(GroundHeights, TheRangesStandAtTheirSummitsPassesAndValleyTowns) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    std::vector<Place> places = {
        {"James Peak CO", 39.8522, -105.6900, 13294, 300},
        {"North Arapaho Peak CO", 40.0267, -105.6505, 13502, 300},
        {"Mount Audubon CO", 40.0989, -105.6164, 13229, 300},
        {"Mount Bierstadt CO", 39.5826, -105.6688, 14065, 300},
        {"Quandary Peak CO", 39.3973, -106.1064, 14271, 300},
        {"Mount Massive CO", 39.1875, -106.4757, 14428, 300},
        {"Mount of the Holy Cross CO", 39.4669, -106.4817, 14005, 300},
        {"Mount Tallac CA", 38.9060, -120.0990, 9739, 300},
        {"Mount Ritter CA", 37.6894, -119.1990, 13149, 300},
        {"Mount Dana CA", 37.8999, -119.2211, 13061, 300},
        {"Mount Olympus UT", 40.6566, -111.7710, 9026, 300},
        {"Mount Le Conte TN", 35.6542, -83.4367, 6593, 300},
        {"Mount Guyot TN", 35.7053, -83.2575, 6621, 300},
        {"Clingmans Dome TN", 35.5629, -83.4985, 6643, 300},
        {"Whiteface Mountain NY", 44.3658, -73.9028, 4867, 300},
        {"Algonquin Peak NY", 44.1436, -73.9867, 5114, 300},
        {"North Palisade CA", 37.0943, -118.5145, 14248, 300},
        {"Half Dome CA", 37.7460, -119.5329, 8846, 300},
        {"El Capitan CA", 37.7422, -119.6358, 7573, 300},
        {"Clouds Rest CA", 37.7679, -119.4892, 9930, 300},
        {"Sonora Peak CA", 38.3538, -119.6352, 11464, 300},
        {"Mount Princeton CO", 38.7492, -106.2424, 14204, 300},
        {"Maroon Peak CO", 39.0708, -106.9890, 14163, 300},
        {"Thunderhead Mountain TN", 35.5686, -83.7063, 5527, 300},
        {"Mount Sneffels CO", 38.0038, -107.7923, 14150, 300},
        {"Mount Whitney CA", 36.5785, -118.2923, 14505, 300},
        {"Mount Russell CA", 36.5907, -118.2890, 14094, 300},
        {"Mount Langley CA", 36.5233, -118.2390, 14032, 300},
        {"Mount Williamson CA", 36.6560, -118.3112, 14379, 300},
        {"Split Mountain CA", 37.0209, -118.4224, 14064, 300},
        {"Mount Darwin CA", 37.1669, -118.6715, 13837, 300},
        {"Mount Humphreys CA", 37.2705, -118.6730, 13992, 300},
        {"Basin Mountain CA", 37.2961, -118.6604, 13187, 300},
        {"Mount Tom CA", 37.3385, -118.6585, 13658, 300},
        {"Mount Morgan CA", 37.4053, -118.7329, 13754, 300},
        {"Mount Tyndall CA", 36.6555, -118.3370, 14025, 300},
        {"Mount Sill CA", 37.0961, -118.5035, 14159, 300},
        {"Mount Abbot CA", 37.3863, -118.7848, 13710, 300},
        {"Red Slate Mountain CA", 37.5075, -118.8693, 13129, 300},
        {"Mount Lyell CA", 37.7394, -119.2716, 13120, 300},
        {"Rollins Pass CO", 39.9342, -105.6828, 11677, 200},
        {"Berthoud Pass CO", 39.7978, -105.7769, 11307, 200},
        {"Loveland Pass CO", 39.6636, -105.8792, 11990, 200},
        {"Guanella Pass CO", 39.5950, -105.7111, 11669, 200},
        {"Independence Pass CO", 39.1081, -106.5644, 12095, 200},
        {"Tioga Pass CA", 37.9111, -119.2581, 9943, 200},
        {"Newfound Gap TN", 35.6112, -83.4249, 5046, 200},
        {"Vail Pass CO", 39.5306, -106.2172, 10662, 200},
        {"Sonora Pass CA", 38.3278, -119.6358, 9624, 200},
        {"Monarch Pass CO", 38.4961, -106.3250, 11312, 200},
        {"Cottonwood Pass CO", 38.8278, -106.4093, 12126, 200},
        {"Wolf Creek Pass CO", 37.4833, -106.8031, 10857, 200},
        {"Teton Pass WY", 43.4975, -110.9553, 8431, 200},
        {"Red Mountain Pass CO", 37.8989, -107.7119, 11018, 200},
        {"Carson Pass CA", 38.6939, -119.9875, 8574, 200},
        {"Ebbetts Pass CA", 38.5444, -119.8118, 8736, 200},
        {"Idaho Springs CO", 39.7425, -105.5136, 7526, 200},
        {"Georgetown CO", 39.7125, -105.6958, 8521, 200},
        {"Nederland CO", 39.9619, -105.5106, 8228, 200},
        {"Estes Park CO", 40.3771, -105.5255, 7522, 200},
        {"Silverthorne CO", 39.6383, -106.0764, 8790, 200},
        {"Vail CO", 39.6358, -106.3630, 8150, 200},
        {"Winter Park CO", 39.9041, -105.7792, 9052, 200},
        {"Gatlinburg TN", 35.7142, -83.5103, 1289, 200},
        {"Lake Placid NY", 44.2856, -73.9853, 1801, 200},
        {"Ouray CO", 38.0233, -107.6722, 7792, 200},
        {"Golden CO", 39.7469, -105.2108, 5675, 200},
        {"Buena Vista CO", 38.8293, -106.1395, 7965, 200},
        {"Crested Butte CO", 38.8677, -106.9773, 8909, 200},
        {"Lone Pine CA", 36.6061, -118.0628, 3727, 200},
        {"Bishop CA", 37.3667, -118.3958, 4150, 200},
        {"Salida CO", 38.5347, -105.9989, 7084, 200},
        {"Gunnison CO", 38.5444, -106.9269, 7703, 200},
    };
    const std::size_t named = places.size();
    auto find = [&](const char* name) {
        return *std::find_if(places.begin(), places.begin() + named,
                             [&](const Place& p) { return std::string(p.name) == name; });
    };
    const std::pair<const char*, const char*> crests[] = {
        {"North Arapaho Peak CO", "Rollins Pass CO"},
        {"Rollins Pass CO", "James Peak CO"},
        {"James Peak CO", "Berthoud Pass CO"},
        {"Clingmans Dome TN", "Newfound Gap TN"},
        {"Sonora Peak CA", "Sonora Pass CA"},
    };
    for (const auto& [from, to] : crests) {
        const Place a = find(from), b = find(to);
        places.push_back(
            {from, (a.lat + b.lat) / 2, (a.lon + b.lon) / 2, std::min(a.feet, b.feet), 200});
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-ranges");
    for (std::size_t i = 0; i < named; ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within) << places[i].name;
    for (std::size_t i = named; i < places.size(); ++i)
        EXPECT_GT(ground[i], places[i].feet - places[i].within)
            << "midway along the crest from " << places[i].name;
}

// The roads pilots follow over the western ranges (the sources are in data/places-us/passes.csv,
// heights.csv and summits.csv, or beside the places below): Emigrant Gap and Donner Pass on I-80
// over the Sierra with Soda Springs below the pass; Hoosier and Fremont Passes, Leadville, Frisco,
// Dillon, Copper Mountain and Breckenridge in Colorado's high valleys, Evergreen and Woodland Park
// in the Front Range's foothills; Park City behind the Wasatch and Alta in it; Snoqualmie,
// Stevens, White, Chinook, Santiam, McKenzie and Willamette Passes over the Cascades with
// Leavenworth and Sisters at their eastern foot; Siskiyou Summit on I-5; Tehachapi, Cajon and
// Tejon Passes round Los Angeles. Each pass and town within 200 ft of its published height, each
// summit within 300 ft. Between them: along the crests of data/places-us/ridges.csv that join a
// pass to the summits on either side (Castle Peak to Donner Pass to Mount Judah, Three Fingered
// Jack to Santiam Pass to Mount Washington, Snoqualmie Mountain to Snoqualmie Pass), the ground a
// quarter, half and three quarters of the way stands no lower than the lower end (less 200 ft), as
// the real crest does; up the valleys the roads follow (the Blue River's from Frisco past
// Breckenridge to Hoosier Pass, Tenmile Creek's from Copper Mountain and the Arkansas's from
// Leadville to Fremont Pass) the ground half way lies between the two ends' heights (within 200
// ft): the valley neither sags nor is walled.
TEST(GroundHeights, TheRoutesOverTheWesternRangesStandAtTheirPassesAndTowns) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    std::vector<Place> places = {
        {"Donner Pass CA", 39.3144, -120.3269, 7056, 200},
        {"Hoosier Pass CO", 39.3617, -106.0625, 11542, 200},
        {"Snoqualmie Pass WA", 47.4230, -121.4110, 3015, 200},
        {"Stevens Pass WA", 47.7450, -121.0933, 4061, 200},
        {"Santiam Pass OR", 44.3883, -121.8450, 4817, 200},
        {"Siskiyou Summit OR", 42.0606, -122.6058, 4310, 200},
        {"Tehachapi Pass CA", 35.1022, -118.2828, 3771, 200},
        {"Cajon Pass CA", 34.3258, -117.4283, 3777, 200},
        {"Tejon Pass CA", 34.8030, -118.8771, 4160, 200},
        {"Leadville CO", 39.2500, -106.2917, 10152, 200},
        {"Frisco CO", 39.5775, -106.0967, 9097, 200},
        {"Breckenridge CO", 39.4996, -106.0433, 9600, 200},
        {"Park City UT", 40.6503, -111.5014, 6936, 200},
        {"Sisters OR", 44.2908, -121.5489, 3182, 200},
        {"Soda Springs CA", 39.3233, -120.3833, 6768, 200},
        {"Emigrant Gap CA", 39.3030, -120.6660, 5200, 200},
        // 9,019 ft (wikimili.com/en/Dillon,_Colorado, 39.62833 -106.04667), which the smooth
        // field already gives.
        {"Dillon CO", 39.6283, -106.0467, 9019, 200},
        {"Evergreen CO", 39.6389, -105.3364, 7220, 200},
        {"Woodland Park CO", 38.9983, -105.0564, 8465, 200},
        {"Alta UT", 40.5808, -111.6372, 8560, 200},
        // 1,171 ft (Leavenworth's article at encyclopedia.datana.cloud, 47 35 47 N 120 39 55 W),
        // which its airport nearby already gives.
        {"Leavenworth WA", 47.5964, -120.6653, 1171, 200},
        {"White Pass WA", 46.6383, -121.3900, 4500, 200},
        {"Chinook Pass WA", 46.8717, -121.5155, 5430, 200},
        {"McKenzie Pass OR", 44.2597, -121.8097, 5325, 200},
        {"Willamette Pass OR", 43.6003, -122.0381, 5128, 200},
        {"Fremont Pass CO", 39.3664, -106.1867, 11318, 200},
        {"Copper Mountain CO", 39.5017, -106.1564, 9712, 200},
        {"Castle Peak CA", 39.3655, -120.3492, 9109, 300},
        {"Mount Judah CA", 39.2985, -120.3156, 8243, 300},
        {"Three Fingered Jack OR", 44.4790, -121.8431, 7844, 300},
        {"Mount Washington OR", 44.3321, -121.8385, 7795, 300},
        {"Snoqualmie Mountain WA", 47.4587, -121.4165, 6278, 300},
    };
    const std::size_t named = places.size();
    auto find = [&](const char* name) {
        return *std::find_if(places.begin(), places.begin() + named,
                             [&](const Place& p) { return std::string(p.name) == name; });
    };
    struct Between {
        const char* from;
        const char* to;
        bool crest;  // a crest: no lower than the lower end; else a valley: between the ends
    };
    const Between stretches[] = {
        {"Castle Peak CA", "Donner Pass CA", true},
        {"Donner Pass CA", "Mount Judah CA", true},
        {"Three Fingered Jack OR", "Santiam Pass OR", true},
        {"Santiam Pass OR", "Mount Washington OR", true},
        {"Snoqualmie Mountain WA", "Snoqualmie Pass WA", true},
        {"Frisco CO", "Breckenridge CO", false},
        {"Breckenridge CO", "Hoosier Pass CO", false},
        {"Copper Mountain CO", "Fremont Pass CO", false},
        {"Leadville CO", "Fremont Pass CO", false},
    };
    std::vector<std::pair<double, double>> bounds;  // lowest and highest ground allowed
    for (const Between& b : stretches) {
        const Place a = find(b.from), c = find(b.to);
        const double lower = std::min(a.feet, c.feet), upper = std::max(a.feet, c.feet);
        for (double t : b.crest ? std::vector<double>{0.25, 0.5, 0.75} : std::vector<double>{0.5}) {
            places.push_back({b.from, a.lat + t * (c.lat - a.lat), a.lon + t * (c.lon - a.lon),
                              lower, 200});
            bounds.emplace_back(lower - 200, b.crest ? 1e9 : upper + 200);
        }
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-routes");
    for (std::size_t i = 0; i < named; ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within) << places[i].name;
    for (std::size_t i = named; i < places.size(); ++i) {
        const auto [low, high] = bounds[i - named];
        EXPECT_GT(ground[i], low) << "between " << places[i].name << " and the next, at "
                                  << places[i].lat << ", " << places[i].lon;
        EXPECT_LT(ground[i], high) << "between " << places[i].name << " and the next, at "
                                   << places[i].lat << ", " << places[i].lon;
    }
}

// Every published pass and town of data/places-us (passes.csv and heights.csv, each figure's
// source beside it) within 150 ft of its figure, and South Lake Tahoe's valley floor flat a mile
// and a half round the runway on every side (within 30 ft of the field's 6,264 ft: the floor
// rises no more than 1 in 400, and falls toward the lake's 6,225 ft to the north): a pass five
// miles from the runway (Echo Summit) stands at its height without narrowing the floor, a town a
// mile below an airstrip on the bench above it (Salida) and a town in a valley between ski
// resorts (Avon) lie at their own heights. A town within a mile of an airport whose published
// elevation differs from its own by more than that may lie anywhere between the two (within 150
// ft), the airport's runway being level at its own.
TEST(GroundHeights, EveryPublishedPassAndTownStandsAtItsHeightBesideTheAirportsFloors) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    std::vector<Place> places;
    std::vector<std::string> names;                 // the places' names, which they point at
    std::vector<std::pair<double, double>> bounds;  // lowest and highest ground allowed
    std::vector<std::array<double, 3>> airports;    // lat, lon, feet
    for (const auto& r : testsupport::ReadNavdataCsv("airport.csv"))
        if (r.size() >= 6 && r[2] == "land")
            airports.push_back({std::stod(r[4]), std::stod(r[5]), std::stod(r[3])});
    for (const char* file : {"passes.csv", "heights.csv"}) {
        const auto rows = testsupport::ReadDataCsv("places-us", file);
        ASSERT_GT(rows.size(), 30u) << file;
        for (const auto& r : rows) {
            ASSERT_GE(r.size(), 4u) << file;
            const Place p{"", std::stod(r[1]), std::stod(r[2]), std::stod(r[3]), 150};
            double low = p.feet, high = p.feet;
            for (const auto& [lat, lon, feet] : airports) {
                const double north = (lat - p.lat) * 111320.0;
                const double east = (lon - p.lon) * 111320.0 * std::cos(p.lat * M_PI / 180.0);
                if (std::hypot(north, east) > 1852.0 || std::fabs(feet - p.feet) <= 150) continue;
                low = std::min(low, feet);
                high = std::max(high, feet);
            }
            places.push_back(p);
            names.push_back(r[0]);
            bounds.emplace_back(low - 150, high + 150);
        }
    }
    const std::size_t named = places.size();
    const double field = 6264, tvl[] = {38.893882, -119.995335};
    for (int k = 0; k < 8; ++k) {
        const auto [lat, lon] = Offset(tvl[0], tvl[1], 1.5, 45.0 * k);
        places.push_back({"South Lake Tahoe's floor", lat, lon, field, 30});
        names.push_back("South Lake Tahoe's floor 1.5 nm out on " + std::to_string(45 * k));
        bounds.emplace_back(field - 30, field + 30);
    }
    for (std::size_t i = 0; i < places.size(); ++i)
        places[i].name = names[i].c_str();
    const std::vector<double> ground = GroundAt(places, "zephlon-cited");
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_GT(ground[i], bounds[i].first) << names[i] << " (" << places[i].feet << " ft)";
        EXPECT_LT(ground[i], bounds[i].second) << names[i] << " (" << places[i].feet << " ft)";
    }
    EXPECT_GT(named, 80u);
}

// Every cited summit of data/places-us/summits.csv (each figure's source beside it) within 5 %
// or 300 ft of its published height, whichever is less: the state high points and the
// ultra-prominent peaks a pilot looks for, and the summits on either side of the passes, as well
// as those beside the airports and among the ranges.
TEST(GroundHeights, EveryCitedSummitStandsAtItsPublishedHeight) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const auto rows = testsupport::ReadDataCsv("places-us", "summits.csv");
    ASSERT_GT(rows.size(), 130u);
    std::vector<Place> places;
    std::vector<std::string> names;
    for (const auto& r : rows) {
        ASSERT_GE(r.size(), 4u);
        const double feet = std::stod(r[3]);
        places.push_back({"", std::stod(r[1]), std::stod(r[2]), feet, std::min(0.05 * feet, 300.0)});
        names.push_back(r[0]);
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-every-summit");
    for (std::size_t i = 0; i < places.size(); ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within) << names[i];
}

// Every published pass (data/places-us/passes.csv) is a saddle on the crests that ridges.csv
// runs through it to the cited summits on either side (summits.csv): a mile and two miles along
// each crest (nearer where its summit is closer) the ground stands above the pass (by more than
// 25 ft), and a mile across the crest on either side it lies more than 150 ft below it, as the
// road climbs to the pass from both valleys. A pass that no crest reaches would stand as a
// rounded rise, falling every way, so every pass has a crest. Chinook Pass, whose nearest
// summit (Naches Peak) stands only 0.4 nm off, stood as such a rise, 1,400-1,600 ft above the
// ground a mile along the Cascade crest either side; its crests run to Chinook Peak and past
// Naches Peak to Seymour Peak.
TEST(GroundHeights, EveryPassIsASaddleOnItsCrests) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    struct Spot {
        double lat, lon;
    };
    std::vector<std::pair<std::string, Spot>> passes;
    std::vector<std::pair<std::string, Spot>> named;  // summits and passes, the crests' ends
    for (const char* file : {"passes.csv", "summits.csv"}) {
        for (const auto& r : testsupport::ReadDataCsv("places-us", file)) {
            ASSERT_GE(r.size(), 4u) << file;
            const Spot s{std::stod(r[1]), std::stod(r[2])};
            named.emplace_back(r[0], s);
            if (std::string(file) == "passes.csv") passes.emplace_back(r[0], s);
        }
    }
    const auto crests = testsupport::ReadDataCsv("places-us", "ridges.csv");
    ASSERT_GT(passes.size(), 40u);
    auto find = [&](const std::string& name) {
        for (const auto& [n, s] : named)
            if (n == name) return s;
        ADD_FAILURE() << "no place named " << name;
        return Spot{0, 0};
    };
    enum Kind { kPass, kAlong, kAcross };
    struct Probe {
        std::size_t pass;
        Kind kind;
        std::string where;
    };
    std::vector<Place> places;
    std::vector<Probe> probes;
    for (std::size_t p = 0; p < passes.size(); ++p) {
        const auto& [name, at] = passes[p];
        // The direction (north, east, unit) and length (nm) of each crest leaving the pass.
        std::vector<std::array<double, 3>> ways;
        for (const auto& r : crests) {
            ASSERT_GE(r.size(), 3u);
            if (r[1] != name && r[2] != name) continue;
            const Spot end = find(r[1] == name ? r[2] : r[1]);
            const double north = (end.lat - at.lat) * 111320.0;
            const double east = (end.lon - at.lon) * 111320.0 * std::cos(at.lat * M_PI / 180.0);
            const double length = std::hypot(north, east);
            ways.push_back({north / length, east / length, length / 1852.0});
        }
        if (ways.empty()) {
            ADD_FAILURE() << name << " has no crest: it stands as a cone";
            continue;
        }
        if (!FullSweeps() && p % 2 != 0) continue;
        places.push_back({"", at.lat, at.lon, 0, 0});
        probes.push_back({p, kPass, "the pass"});
        for (const auto& [north, east, nm] : ways) {
            const double bearing = std::atan2(east, north) * 180.0 / M_PI;
            for (const auto& [miles, share] : {std::pair{1.0, 0.45}, std::pair{2.0, 0.85}}) {
                const double d = std::min(miles, share * nm);
                const auto [lat, lon] = Offset(at.lat, at.lon, d, bearing);
                places.push_back({"", lat, lon, 0, 0});
                probes.push_back({p, kAlong, std::to_string(d) + " nm along the crest on " +
                                                 std::to_string(static_cast<int>(bearing))});
            }
        }
        // Across: square to the line through the pass that the crests make (a crest's own line
        // where there is one, or where both leave the same way).
        double north = ways[0][0], east = ways[0][1];
        if (ways.size() > 1 &&
            std::hypot(ways[0][0] - ways[1][0], ways[0][1] - ways[1][1]) > 0.5) {
            north = ways[0][0] - ways[1][0];
            east = ways[0][1] - ways[1][1];
        }
        const double axis = std::atan2(east, north) * 180.0 / M_PI;
        for (double side : {90.0, -90.0}) {
            const auto [lat, lon] = Offset(at.lat, at.lon, 1.0, axis + side);
            places.push_back({"", lat, lon, 0, 0});
            probes.push_back({p, kAcross, "1 nm across the crest on " +
                                              std::to_string(static_cast<int>(axis + side))});
        }
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-saddles");
    double pass = 0;
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const Probe& pr = probes[i];
        const std::string& name = passes[pr.pass].first;
        if (pr.kind == kPass) {
            pass = ground[i];
            continue;
        }
        if (pr.kind == kAlong)
            EXPECT_GT(ground[i], pass + 25) << name << " (" << pass << " ft): " << pr.where;
        else
            EXPECT_LT(ground[i], pass - 150) << name << " (" << pass << " ft): " << pr.where;
    }
}

// Aspen's runway 15 is approached down the Roaring Fork valley, which falls from the field
// (7,820 ft) past Woody Creek (7,300 ft, where Woody Creek meets the river 2.4 nm out) toward
// Basalt (6,611 ft); the sources are in data/places-us/heights.csv. Under the last five miles
// of the final the ground stands nowhere above the field, falls or holds from each mile to the
// next outward, lies at Woody Creek's height beside it, and five miles out lies lower than
// Woody Creek, on the way down to Basalt: no invented ridge across the valley.
TEST(GroundHeights, AspensFinalFollowsTheRoaringForkValleyDown) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const double threshold[] = {39.232175, -106.873147};  // runway 15's threshold
    const double field = 7820, woodyCreek = 7300;
    std::vector<Place> places = {{"Woody Creek CO", 39.2708, -106.8883, woodyCreek, 150}};
    for (int nm = 1; nm <= 5; ++nm) {
        // Outward along the final: the runway's true course is 159.7 degrees.
        const auto [lat, lon] = Offset(threshold[0], threshold[1], nm, 159.7 + 180.0);
        places.push_back({"the final", lat, lon, field, 0});
    }
    const std::vector<double> ground = GroundAt(places, "zephlon-aspen");
    EXPECT_NEAR(ground[0], woodyCreek, places[0].within) << "Woody Creek";
    for (int nm = 1; nm <= 5; ++nm) {
        SCOPED_TRACE(std::to_string(nm) + " nm out on the final");
        EXPECT_LT(ground[nm], field + 30);
        if (nm > 1) {
            EXPECT_LT(ground[nm], ground[nm - 1] + 60);
        }
    }
    EXPECT_LT(ground[5], woodyCreek);
}


struct GridCell {
    double lat, lon, feet;
};
std::vector<GridCell> GentleGridCells() {
    constexpr int kRows = testsupport::ElevationGrid::kRows;
    constexpr int kColumns = testsupport::ElevationGrid::kColumns;
    const testsupport::ElevationGrid grid;
    if (!grid.Read()) return {};
    auto at = [&](int r, int c) { return grid.Cell(r, c); };
    auto rowOf = [](double lat) { return static_cast<int>(std::lround((49.4 - lat) * 24)); };
    auto columnOf = [](double lon) { return static_cast<int>(std::lround((lon + 124.7666667) * 24)); };
    // The cells within about 10 km of every public height the maker is given: airports, radio
    // stations, towns, summits, passes, lakes and basins.
    std::vector<std::uint8_t> near(static_cast<std::size_t>(kRows) * kColumns, 0);
    auto mark = [&](const std::string& folder, const std::string& file, std::size_t lat,
                    std::size_t lon) {
        for (const auto& row : testsupport::ReadDataCsv(folder, file)) {
            if (row.size() <= std::max(lat, lon)) continue;
            const int r = rowOf(std::atof(row[lat].c_str()));
            const int c = columnOf(std::atof(row[lon].c_str()));
            for (int dr = -3; dr <= 3; ++dr)
                for (int dc = -4; dc <= 4; ++dc)
                    if (r + dr >= 0 && r + dr < kRows && c + dc >= 0 && c + dc < kColumns)
                        near[static_cast<std::size_t>(r + dr) * kColumns + c + dc] = 1;
        }
    };
    mark("navdata-us", "airport.csv", 4, 5);
    mark("navdata-us", "vor.csv", 2, 3);
    mark("navdata-us", "ndb.csv", 2, 3);
    mark("navdata-us", "dme.csv", 2, 3);
    mark("navdata-us", "ils.csv", 4, 5);
    mark("navdata-us", "ils.csv", 10, 11);
    mark("navdata-us", "marker.csv", 3, 4);
    for (const char* file : {"heights.csv", "summits.csv", "passes.csv"})
        mark("places-us", file, 1, 2);
    mark("water-us", "levels.csv", 2, 3);
    // Gentle country: the cells two round each within 20 m of it (the nearest within 8 m), all
    // of them land a metre or more above the sea.
    std::vector<GridCell> cells;
    for (int r = 2; r < kRows - 2; r += 5)
        for (int c = 2; c < kColumns - 2; c += 7) {
            const int v = at(r, c);
            if (near[static_cast<std::size_t>(r) * kColumns + c] || v == 32767) continue;
            bool gentle = true;
            for (int dr = -2; dr <= 2 && gentle; ++dr)
                for (int dc = -2; dc <= 2 && gentle; ++dc) {
                    const int w = at(r + dr, c + dc);
                    const int most = (std::abs(dr) <= 1 && std::abs(dc) <= 1) ? 80 : 200;
                    gentle = w > 10 && w != 32767 && std::abs(w - v) <= most;
                }
            if (gentle) cells.push_back({49.4 - r / 24.0, -124.7666667 + c / 24.0, v / 3.048});
        }
    // About 260 of them spread over the country (about 90 in an ordinary run).
    std::vector<GridCell> spread;
    const std::size_t step = std::max<std::size_t>(1, cells.size() / (FullSweeps() ? 260 : 90));
    for (std::size_t i = 0; i < cells.size(); i += step)
        spread.push_back(cells[i]);
    return spread;
}

// The ground where the maker holds no public height of its own: the elevation grid's cells in
// gentle country at least 10 km from every airport, station, town, summit, pass and lake it is
// given (each a cell's mean height, which the ground at the cell's centre keeps), and towns and
// places it is not given, each at its published elevation; all within 150 ft where the ground is
// gentle. Along the Santa
// Cruz Mountains' crest from Kings Mountain past Sierra Morena, Page Mill Road and Saratoga Gap
// to Castle Rock (20 miles; Kings Mountain about 2,000 ft, Skeggs Point's benchmark 2,315 ft,
// Saratoga Gap about 2,600 ft, the road's top past Castle Rock about 3,150 ft, as Skyline
// Boulevard's riders give them), the ground within a mile either side of the line stands above
// 1,800 ft.
TEST(GroundHeights, TheGroundFollowsPublicHeightsTheMakerIsNotGiven) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    std::vector<Place> places = {
        // Wikipedia's infobox figures and coordinates for each (as quoted at piglix.com,
        // wikimili.com and pwojczyn.com).
        {"Grand Junction CO", 39.0639, -108.5506, 4583, 150},
        {"State College PA", 40.7914, -77.8586, 1154, 150},
        // The Warm Springs district of Fremont, 30 to 80 ft, and the salt ponds west of Hayward,
        // a few feet above the bay.
        {"Warm Springs, Fremont CA", 37.4877, -121.9290, 55, 150},
        {"Hayward's salt ponds CA", 37.6100, -122.1400, 5, 40},
        // Towns of the West's valleys, canyons and basins, each at the elevation and coordinates
        // of its Wikipedia article (en.wikipedia.org/wiki/<town>,_<state>, the figures GNIS's;
        // Ketchum's 5,853 ft also at wikimili.com/en/Ketchum,_Idaho): narrow valleys whose
        // cell means stand above their floors (Ketchum, Globe, Rifle, Paonia, Markleeville, Cle
        // Elum) and towns below an airport's bench (Cottonwood, Big Timber) among broad ones.
        {"Ketchum ID", 43.6807, -114.3637, 5853, 150},
        {"Cottonwood AZ", 34.7392, -112.0099, 3314, 150},
        {"Globe AZ", 33.3942, -110.7865, 3541, 150},
        {"Durango CO", 37.2753, -107.8801, 6512, 150},
        {"Steamboat Springs CO", 40.4850, -106.8317, 6732, 150},
        {"Rifle CO", 39.5347, -107.7831, 5348, 150},
        {"Creede CO", 37.8514, -106.9264, 8799, 150},
        {"Canon City CO", 38.4494, -105.2253, 5332, 150},
        {"Paonia CO", 38.8683, -107.5920, 5682, 150},
        {"Orofino ID", 46.4793, -116.2551, 1027, 150},
        {"Idaho City ID", 43.8285, -115.8345, 3966, 150},
        {"Superior MT", 47.1916, -114.8918, 2743, 150},
        {"Thompson Falls MT", 47.5952, -115.3413, 2402, 150},
        {"Hamilton MT", 46.2469, -114.1604, 3570, 150},
        {"Livingston MT", 45.6622, -110.5607, 4501, 150},
        {"Philipsburg MT", 46.3324, -113.2942, 5270, 150},
        {"Big Timber MT", 45.8338, -109.9550, 4081, 150},
        {"Ennis MT", 45.3491, -111.7299, 4948, 150},
        {"Jackson WY", 43.4799, -110.7624, 6237, 150},
        {"Dubois WY", 43.5333, -109.6307, 6946, 150},
        {"Pinedale WY", 42.8666, -109.8607, 7175, 150},
        {"Cody WY", 44.5263, -109.0565, 5016, 150},
        {"Panguitch UT", 37.8225, -112.4358, 6624, 150},
        {"Logan UT", 41.7370, -111.8338, 4535, 150},
        {"Price UT", 39.5994, -110.8107, 5567, 150},
        {"Tonopah NV", 38.0672, -117.2301, 6047, 150},
        {"Mount Shasta CA", 41.3099, -122.3106, 3586, 150},
        {"Quincy CA", 39.9368, -120.9472, 3432, 150},
        {"Markleeville CA", 38.6946, -119.7796, 5531, 150},
        {"Bridgeport CA", 38.2555, -119.2313, 6453, 150},
        {"Lee Vining CA", 37.9577, -119.1218, 6781, 150},
        {"Independence CA", 36.8027, -118.2001, 3930, 150},
        {"Big Pine CA", 37.1649, -118.2890, 3989, 150},
        {"Big Bear Lake CA", 34.2439, -116.9114, 6752, 150},
        {"Ojai CA", 34.4480, -119.2429, 745, 150},
        {"Joseph OR", 45.3543, -117.2296, 4190, 150},
        {"La Grande OR", 45.3246, -118.0877, 2788, 150},
        {"Oakridge OR", 43.7468, -122.4617, 1283, 150},
        {"Ashland OR", 42.1946, -122.7095, 1949, 150},
        {"Baker City OR", 44.7749, -117.8344, 3451, 150},
        {"Winthrop WA", 48.4779, -120.1862, 1765, 150},
        {"Cle Elum WA", 47.1954, -120.9390, 1909, 150},
        {"Skykomish WA", 47.7093, -121.3598, 1017, 150},
        {"Ruidoso NM", 33.3317, -105.6731, 6920, 150},
        {"Hailey ID", 43.5196, -114.3153, 5318, 150},
        {"Salmon ID", 45.1758, -113.8959, 3945, 150},
        {"McCall ID", 44.9110, -116.0987, 5013, 150},
        // Glenwood Springs (en.m.wikipedia.org), where the Roaring Fork leaves its canyon for
        // the Colorado's, in a valley narrower than a cell.
        {"Glenwood Springs CO", 39.5506, -107.3247, 5761, 150},
    };
    const std::size_t named = places.size();
    for (const GridCell& g : GentleGridCells())
        places.push_back({"a cell of the elevation grid", g.lat, g.lon, g.feet, 150});
    const std::size_t cells = places.size() - named;
    EXPECT_GE(cells, FullSweeps() ? 250u : 85u);
    // Kings Mountain (37.4450, -122.3420) to Sierra Morena (37.4109, -122.3060) and on to Castle
    // Rock (37.2304, -122.0962): a station every mile or so, each looked at across the line.
    const std::size_t crest = places.size();
    EXPECT_GE(crest, FullSweeps() ? 300u : 135u);
    const double line[][2] = {{37.4450, -122.3420}, {37.4109, -122.3060}, {37.2304, -122.0962}};
    for (const auto& [leg, stations] : {std::pair{0, 3}, std::pair{1, 17}})
        for (int k = leg == 0 ? 0 : 1; k <= stations; ++k) {
            const double lat = line[leg][0] + (line[leg + 1][0] - line[leg][0]) * k / stations;
            const double lon = line[leg][1] + (line[leg + 1][1] - line[leg][1]) * k / stations;
            for (double nm : {-0.8, -0.4, 0.0, 0.4, 0.8}) {
                const auto [a, o] = Offset(lat, lon, std::fabs(nm), nm < 0 ? 225.0 : 45.0);
                places.push_back({"the Santa Cruz Mountains' crest", a, o, 1800, 0});
            }
        }
    const std::vector<double> ground = GroundAt(places, "zephlon-unpinned");
    for (std::size_t i = 0; i < crest; ++i)
        EXPECT_NEAR(ground[i], places[i].feet, places[i].within)
            << places[i].name << " at " << places[i].lat << ", " << places[i].lon;
    for (std::size_t i = crest; i < places.size(); i += 5)
        EXPECT_GT(*std::max_element(ground.begin() + static_cast<std::ptrdiff_t>(i),
                                    ground.begin() + static_cast<std::ptrdiff_t>(i + 5)),
                  1800.0)
            << "the crest near " << places[i + 2].lat << ", " << places[i + 2].lon;
}

}  // namespace
