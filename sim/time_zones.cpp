#include "sim/time_zones.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include <date/tz.h>

#include "win/program_entry.h"

namespace sim {

namespace {

// The Eastern/Central line, degrees west, at a latitude.
double EasternCentralLine(double lat, double lonWest) {
    // Upper Michigan keeps Eastern time (Houghton, Marquette, Ontonagon) but for its four
    // counties on Wisconsin: Menominee, Dickinson (Iron Mountain), Iron and Gogebic (Ironwood,
    // which reaches Lake Superior); the line steps north-west along their northern borders.
    // Door County's tip (Washington Island) keeps Wisconsin's Central time.
    if (lat >= 45.3) {
        if (lat < 45.45) return 86.8;
        if (lat < 45.9) return 87.37;
        if (lat < 46.07) return 87.6;
        if (lat < 46.33) return 88.12;
        if (lat < 46.45) return 88.99;
        return 89.93;
    }
    if (lat >= 41.76) return 87.0;
    if (lat >= 37.95) {
        // Indiana keeps Eastern time to its border with Illinois (87.53 W), but for two corners
        // that keep Central time: the north-west by Chicago (Lake, Porter, La Porte, Newton,
        // Jasper and Starke counties: Gary, Michigan City; South Bend stays Eastern) and the
        // south-west by Evansville (Posey, Vanderburgh, Warrick, Gibson, Spencer, Perry).
        // Kentucky north of 37.95 N (Louisville) is Eastern.
        if (lat >= 40.74 && lonWest > 86.47) return 86.47;
        if (lat < 38.25 && lonWest > 86.3) return 86.3;
        if (lat < 38.53 && lonWest > 87.07) return 87.07;
        return 87.53;
    }
    // Western Kentucky keeps Central time: the line runs from the Ohio River west of Louisville
    // (86.4 W) south-east to the Tennessee border near 85.1 W (Bowling Green and Owensboro
    // Central, Elizabethtown Eastern).
    if (lat >= 36.6) return 86.4 - (37.95 - lat) * (1.3 / 1.35);
    if (lat >= 35.0) {
        // East Tennessee keeps Eastern time (Knoxville, Chattanooga); the Cumberland Plateau and
        // everything west of it (Crossville, Nashville, Memphis) Central.
        return lat >= 36.0 ? 84.75 : 84.75 + (36.0 - lat) * 0.75;
    }
    if (lat >= 31.0) {
        // Georgia Eastern, Alabama Central: the state line, from 85.6 W to the Chattahoochee.
        return 85.6 - (35.0 - lat) * 0.15;
    }
    // The Florida panhandle west of the Apalachicola River keeps Central time (Pensacola,
    // Panama City); Tallahassee and the peninsula Eastern, and so does the coast south of the
    // Intracoastal Waterway in Gulf County (Apalachicola, Port St. Joe).
    return lat < 30.0 ? 85.39 : 85.0;
}

// The Central/Mountain line, degrees west, at a latitude.
double CentralMountainLine(double lat) {
    // Saskatchewan and Manitoba: the Manitoba border.
    if (lat >= 49.0) return 101.5;
    // North Dakota keeps Central time to Montana but for its south-west (Dickinson, Bowman):
    // Mercer (Hazen, Beulah), Oliver and Morton (Mandan) counties are Central, Grant Mountain.
    if (lat >= 47.5) return 104.05;
    if (lat >= 46.63) return 102.0;
    if (lat >= 45.94) return 101.0;
    // South Dakota: Mountain west of the Missouri River (Rapid City; Pierre is Central).
    if (lat >= 43.0) return 100.4;
    // Nebraska: the western third and the panhandle Mountain (Ogallala; North Platte Central).
    if (lat >= 40.0) return 101.25;
    // Kansas: its four western counties on Colorado Mountain (Goodland).
    if (lat >= 37.0) return 101.4;
    // The Oklahoma panhandle Central to New Mexico; Texas Central to New Mexico, and Mountain
    // only in its far west (El Paso and Hudspeth counties).
    if (lat >= 32.0) return 103.04;
    return 104.9;
}

// The Mountain/Pacific line, degrees west, at a latitude.
double MountainPacificLine(double lat) {
    // Northern Idaho keeps Pacific time (Coeur d'Alene, Lewiston): the Montana border.
    if (lat >= 47.9) return 116.05;
    if (lat >= 45.5) return 114.5 + (lat - 45.5) * 0.646;
    // Most of Malheur County, Oregon, keeps Mountain time with Boise (Ontario).
    if (lat >= 42.0) return lat < 44.3 ? 118.2 : 117.0;
    // Nevada Pacific, Utah and Arizona Mountain: the Utah line, then the Colorado River from
    // Lake Mead down to Yuma.
    if (lat >= 36.1) return 114.05;
    // Points of the river, north to south: Lake Mead to Hoover Dam, Laughlin, Needles, Lake
    // Havasu, Parker, Blythe, Yuma, the Mexican border.
    static constexpr struct {
        double lat, lonWest;
    } kRiver[] = {{36.1, 114.05},  {36.02, 114.74}, {35.16, 114.58}, {34.84, 114.62},
                  {34.48, 114.38}, {34.30, 114.14}, {34.15, 114.30}, {33.6, 114.52},
                  {33.0, 114.50},  {32.72, 114.66}, {32.5, 114.81}};
    for (std::size_t i = 1; i < std::size(kRiver); ++i) {
        if (lat < kRiver[i].lat) continue;
        const double f = (lat - kRiver[i].lat) / (kRiver[i - 1].lat - kRiver[i].lat);
        return kRiver[i].lonWest + f * (kRiver[i - 1].lonWest - kRiver[i].lonWest);
    }
    return 114.81;
}


// A border as latitudes at longitudes (degrees west, in either order), straight between points;
// beyond its ends it keeps the end's latitude.
struct BorderPoint {
    double lonWest, lat;
};

double BorderLatitude(std::span<const BorderPoint> border, double lonWest) {
    const bool westward = border.front().lonWest < border.back().lonWest;
    const auto before = [&](double a, double b) { return westward ? a < b : a > b; };
    if (!before(border.front().lonWest, lonWest)) return border.front().lat;
    for (std::size_t i = 1; i < border.size(); ++i) {
        if (before(border[i].lonWest, lonWest)) continue;
        const double span = border[i].lonWest - border[i - 1].lonWest;
        if (span == 0.0) return border[i].lat;
        const double f = (lonWest - border[i - 1].lonWest) / span;
        return border[i - 1].lat + f * (border[i].lat - border[i - 1].lat);
    }
    return border.back().lat;
}

// A line as longitudes (degrees west) at latitudes, ascending.
struct MeridianPoint {
    double lat, lonWest;
};

double LineLongitude(std::span<const MeridianPoint> line, double lat) {
    if (lat <= line.front().lat) return line.front().lonWest;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (lat > line[i].lat) continue;
        const double f = (lat - line[i - 1].lat) / (line[i].lat - line[i - 1].lat);
        return line[i - 1].lonWest + f * (line[i].lonWest - line[i - 1].lonWest);
    }
    return line.back().lonWest;
}

// The Gulf of California's middle, from Cabo San Lucas up to the Colorado's mouth and the
// river up to the border: Baja California lies west of it.
constexpr MeridianPoint kGulfOfCalifornia[] = {{22.5, 109.0}, {24.0, 109.2}, {25.5, 109.8},
                                               {27.0, 111.0}, {28.5, 112.5}, {30.0, 113.6},
                                               {31.7, 114.8}, {32.5, 114.81}, {32.72, 114.72}};

// Sinaloa's and Nayarit's line with Durango and Jalisco.
constexpr MeridianPoint kSinaloaEast[] = {{20.9, 104.2}, {22.5, 104.4}, {23.0, 105.4},
                                          {24.0, 105.9}, {25.0, 106.9}, {26.4, 107.9}};

// The border of Canada east of Lake of the Woods: the Rainy River, Lake Superior, the St Marys
// River, Lake Huron, Lake Erie (the St Clair and Detroit Rivers between them apart), Lake Ontario, the St Lawrence, the 45th parallel, Maine's
// northern border and, south of Grand Falls, the St Croix.
constexpr BorderPoint kCanadaEast[] = {
    {95.15, 49.0},  {94.6, 48.74},  {93.45, 48.62},  {93.0, 48.62},  {92.0, 48.3},   {91.0, 48.2},
    {89.6, 48.0},   {88.4, 48.3},   {85.0, 46.8},    {84.6, 46.47},  {84.45, 46.47}, {84.35, 46.51},
    {84.1, 46.5},   {83.9, 46.1},   {83.5, 45.95},   {82.41, 45.3},  {82.4, 41.68},  {81.25, 42.2},
    {80.0, 42.45},  {79.06, 42.85}, {79.04, 43.45},  {78.5, 43.6},   {76.5, 43.6},   {76.3, 44.22},
    {75.47, 44.73}, {75.0, 44.98},  {74.7, 45.0},    {71.5, 45.0},   {71.1, 45.3},   {70.6, 45.7},
    {70.0, 46.7},   {69.2, 47.45},  {68.3, 47.35},   {67.8, 47.07},  {67.79, 45.9},  {67.45, 45.6},
    {67.28, 45.19}, {67.05, 44.96}, {66.98, 44.96},  {66.95, 44.6},  {66.2, 43.3},   {60.0, 43.3}};

// The border of Mexico: the line from the Pacific to the Colorado, the river, the line to the
// 31st parallel's step at the Bootheel, and the Rio Grande down to the Gulf.
constexpr BorderPoint kMexico[] = {
    {117.13, 32.535}, {114.72, 32.718}, {114.71, 32.48}, {111.07, 31.33}, {108.21, 31.33}, {108.2, 31.78},
    {106.53, 31.78}, {104.37, 29.56}, {103.2, 28.98}, {102.4, 29.8},  {101.4, 29.77},
    {100.9, 29.3},   {100.5, 28.67}, {99.5, 27.5},   {99.1, 26.45},  {98.0, 26.05},
    {97.5, 25.87},   {97.15, 25.95}, {96.0, 25.95}};

// The Ohio River between Indiana and Kentucky.
constexpr BorderPoint kOhioRiver[] = {{84.82, 39.1}, {85.75, 38.28}, {86.5, 37.95}, {88.1, 37.5}};

// Cuba's north coast, west to east.
constexpr BorderPoint kCubaNorth[] = {{84.95, 21.85}, {83.0, 22.95}, {81.5, 23.2}, {80.0, 23.1},
                                      {78.5, 22.55},  {77.0, 21.8},  {75.6, 21.0}, {74.1, 20.3}};

bool InBox(double lat, double lonWest, double south, double north, double east, double west) {
    return lat >= south && lat <= north && lonWest >= east && lonWest <= west;
}

// The islands: Bermuda, the Bahamas, Turks and Caicos, the Greater and Lesser Antilles.
bool CaribbeanZone(double lat, double lonWest, PlaceZone* zone) {
    if (InBox(lat, lonWest, 32.0, 32.6, 64.4, 65.1)) {
        *zone = {"Atlantic/Bermuda", "Atlantic"};
        return true;
    }
    if (lat > 27.4 || lat < 10.0 || lonWest < 59.0 || lonWest > 85.2) return false;
    // Florida's coast and keys lie west of 80.0 W north of 25.4 N and of 80.2 W south of it.
    if (lat > 24.4 && lonWest > (lat > 25.4 ? 79.95 : 80.15)) return false;
    if (lonWest < 65.15) {
        // The Virgin Islands east of Puerto Rico's own, and the Leeward and Windward Islands.
        *zone = lonWest < 65.0 && lat < 18.8 && lonWest > 64.2 ? PlaceZone{"America/St_Thomas", "Atlantic"}
                                                              : PlaceZone{"America/Antigua", "Atlantic"};
        return true;
    }
    if (lat < 18.8 && lonWest < 68.0) {
        *zone = {"America/Puerto_Rico", "Atlantic"};
        return true;
    }
    if (InBox(lat, lonWest, 17.4, 20.2, 68.0, 71.72)) {
        *zone = {"America/Santo_Domingo", "Atlantic"};
        return true;
    }
    if (InBox(lat, lonWest, 17.9, 20.2, 71.72, 74.6)) {
        *zone = {"America/Port-au-Prince", "Eastern"};
        return true;
    }
    if (InBox(lat, lonWest, 20.9, 22.1, 71.0, 72.6)) {
        *zone = {"America/Grand_Turk", "Eastern"};
        return true;
    }
    if (InBox(lat, lonWest, 17.5, 18.7, 76.0, 78.5)) {
        *zone = {"America/Jamaica", "Eastern"};
        return true;
    }
    if (InBox(lat, lonWest, 19.1, 19.9, 79.6, 81.5)) {
        *zone = {"America/Cayman", "Eastern"};
        return true;
    }
    if (lat > 19.7 && lat < BorderLatitude(kCubaNorth, lonWest) + 0.05 && lonWest >= 74.0 &&
        lonWest <= 85.0) {
        *zone = {"America/Havana", "Cuba"};
        return true;
    }
    if (lat > 20.8 && lonWest >= 72.6 && lonWest <= 79.4) {
        *zone = {"America/Nassau", "Eastern"};
        return true;
    }
    return false;
}

// Mexico and, south of the Rio Hondo, Belize and Guatemala.
PlaceZone MexicoZone(double lat, double lonWest) {
    if (lat < 18.45 && lonWest > 87.4 && lonWest < 89.22 && lat > 15.8) return {"America/Belize", "Central"};
    if (lat < 17.82 && lonWest < 90.98 && lonWest > 89.15) return {"America/Guatemala", "Central"};
    // Quintana Roo keeps Eastern Standard Time; the rest of the Yucatan Central.
    if (lonWest < 87.55 + (21.6 - lat) * 0.45 && lat > 17.8) return {"America/Cancun", "Eastern"};
    if (lat > 19.5 && lonWest < 90.4 && lonWest > 87.5) return {"America/Merida", "Central"};
    const double border = BorderLatitude(kMexico, lonWest);
    // The peninsula: Baja California keeps Pacific time with the United States' daylight time;
    // Baja California Sur, south of 28 N, Mountain Standard Time.
    if (lonWest > LineLongitude(kGulfOfCalifornia, lat) && lat > 22.8) {
        if (lat >= 28.0) return {"America/Tijuana", "Pacific"};
        return {"America/Mazatlan", "Mountain"};
    }
    // Sonora Mountain Standard Time all year; Sinaloa and Nayarit Mountain Standard Time (no
    // daylight time since 2022) but for the bay of Banderas by Puerto Vallarta.
    if (lat > 26.4 && lonWest > 108.55) return {"America/Hermosillo", "Mountain"};
    if (lat <= 26.4 && lat > 20.9 && lonWest > LineLongitude(kSinaloaEast, lat)) {
        if (lat < 20.85 && lonWest < 105.6) return {"America/Bahia_Banderas", "Central"};
        return {"America/Mazatlan", "Mountain"};
    }
    // The border towns keep the United States' daylight time: Ciudad Juarez Mountain, the
    // strip from Ojinaga down to Matamoros Central.
    const bool onBorder = lat > border - 0.25;
    if (lonWest > 105.2 && lonWest < 108.21 && lat > 26.0) {
        if (onBorder && lonWest > 106.0) return {"America/Ciudad_Juarez", "Mountain"};
        if (onBorder) return {"America/Ojinaga", "Central"};
        return {"America/Chihuahua", "Central"};
    }
    if (lonWest <= 105.2 && lonWest > 97.0 && lat > 24.5) {
        if (onBorder) return {"America/Matamoros", "Central"};
        return {"America/Monterrey", "Central"};
    }
    return {"America/Mexico_City", "Central"};
}

// Canada south of 60 N and the territories above it.
PlaceZone CanadaZone(double lat, double lonWest) {
    if (lat >= 60.0) {
        if (lonWest > 123.8) return {"America/Whitehorse", "Mountain"};  // Yukon: MST all year
        if (lonWest > 102.0) return {"America/Yellowknife", "Mountain"};
        if (lonWest > 85.0) return {"America/Rankin_Inlet", "Central"};
        return {"America/Iqaluit", "Eastern"};
    }
    // British Columbia west of the Rockies; its east Kootenay keeps Mountain time, Creston and
    // the Peace River country Mountain Standard Time all year.
    const double rockies = lat < 49.5 ? 114.06 : lat < 53.9 ? 114.06 + (lat - 49.5) * 1.35 : 120.0;
    if (lonWest > rockies) {
        if (lat < 49.5 && lonWest > 116.3 && lonWest < 116.8) return {"America/Creston", "Mountain"};
        if (lat < 50.3 && lonWest < 116.8) return {"America/Edmonton", "Mountain"};
        if (lat >= 50.3 && lat < 51.8 && lonWest < 117.9) return {"America/Edmonton", "Mountain"};
        if (lat > 55.0 && lonWest < 123.5) return {"America/Dawson_Creek", "Mountain"};
        return {"America/Vancouver", "Pacific"};
    }
    if (lonWest > 110.0) return {"America/Edmonton", "Mountain"};  // Lloydminster with Alberta
    // Saskatchewan keeps Central Standard Time all year; Manitoba Central time.
    if (lonWest > (lat < 53.0 ? 101.45 : 101.88)) return {"America/Regina", "Central"};
    const double ontario = lat < 52.8 ? 95.15 : 95.15 - (lat - 52.8) * 1.55;
    if (lonWest > ontario) return {"America/Winnipeg", "Central"};
    // North-western Ontario keeps Central time west of 90 W, but Atikokan Eastern Standard
    // Time all year.
    if (lonWest > 90.0) {
        if (InBox(lat, lonWest, 48.5, 49.1, 91.2, 92.0)) return {"America/Atikokan", "Eastern"};
        return {"America/Winnipeg", "Central"};
    }
    // Labrador, the Maritimes and the Magdalen Islands Atlantic time; Newfoundland its own; the
    // Gaspe and Anticosti with Quebec, Eastern.
    if (lat > 46.6 && lat < 51.7 && lonWest < 59.4) return {"America/St_Johns", "Newfoundland"};
    if (lat > 52.0 && lonWest < (lat < 53.3 ? 66.95 : 66.0)) return {"America/Goose_Bay", "Atlantic"};
    if (InBox(lat, lonWest, 47.1, 47.8, 61.3, 62.2)) return {"America/Halifax", "Atlantic"};
    // New Brunswick south of Quebec's line from Maine's corner to the Restigouche and Chaleur
    // Bay, Nova Scotia and Prince Edward Island.
    if (lonWest < 69.05 && lat < std::min(48.05, 47.45 + (69.05 - lonWest) * 0.4))
        return {"America/Halifax", "Atlantic"};
    return {"America/Toronto", "Eastern"};
}

bool InCanada(double lat, double lonWest) {
    if (lonWest > 141.0) return false;  // Alaska's side of the 141st meridian
    if (lonWest > 123.3) return lat > 48.3;  // Vancouver Island, across the strait
    if (lonWest > 95.15) return lat >= 49.0;
    // Between Lakes Huron and Erie the border runs north and south: down the St Clair River,
    // through Lake St Clair and down the Detroit River to Lake Erie south of Pelee Island.
    if (InBox(lat, lonWest, 41.6, 43.05, 82.4, 83.2)) {
        if (lat >= 42.6) return lonWest < 82.45;
        if (lat >= 42.33) return lonWest < 82.7;
        return lonWest < 83.1 && lat > 41.68;
    }
    return lat > BorderLatitude(kCanadaEast, lonWest);
}

// The United States' zones by the lines above.
PlaceZone UsZone(double lat, double lonWest) {
    // Hawaii keeps Hawaii-Aleutian standard time all year.
    if (lonWest > 154.0 && lat < 24.0) return {"Pacific/Honolulu", "Hawaii-Aleutian"};
    // Alaska, east of the Aleutians' far end.
    if (lonWest > 141.0 && lat > 51.0) return {"America/Anchorage", "Alaska"};
    if (lonWest < EasternCentralLine(lat, lonWest)) {
        if (lat < 41.76 && lonWest > 84.82 && lat > BorderLatitude(kOhioRiver, lonWest))
            return {"America/Indiana/Indianapolis", "Eastern"};
        if (lat > 41.76 && lonWest > 82.4) return {"America/Detroit", "Eastern"};
        return {"America/New_York", "Eastern"};
    }
    if (lonWest < CentralMountainLine(lat)) return {"America/Chicago", "Central"};
    if (lonWest < MountainPacificLine(lat)) {
        // Arizona keeps Mountain Standard Time all year but for the Navajo Nation in its
        // north-east (Window Rock, Chinle, Kayenta, Tuba City), which keeps daylight time as
        // Utah and New Mexico do; the Hopi lands inside it and Page beside it keep the state's.
        const bool hopi = lat > 35.55 && lat < 36.25 && lonWest > 110.0 && lonWest < 111.0;
        const bool page = lat > 36.8 && lonWest > 111.3;
        const bool navajo = lat > 35.2 && lonWest < 111.6 && !hopi && !page;
        if (lat >= 31.33 && lat <= 37.0 && lonWest >= 109.05 && lonWest <= 114.82 && !navajo)
            return {"America/Phoenix", "Mountain"};
        // Southern Idaho, below Montana's line along the divide.
        if (lat > 42.0 && lonWest > 111.05 &&
            (lat < 44.45 || (lat < 45.5 && lonWest > 113.0 + (lat - 44.45) * 1.2)))
            return {"America/Boise", "Mountain"};
        return {"America/Denver", "Mountain"};
    }
    return {"America/Los_Angeles", "Pacific"};
}

// The database's zone of a name, looked up once: a name the database lacks is said once and
// then read as the mean solar hour.
const date::time_zone* FindZone(const char* id) {
    static std::mutex guard;
    static std::map<std::string, const date::time_zone*, std::less<>> found;
    const std::lock_guard<std::mutex> lock(guard);
    if (const auto at = found.find(std::string_view(id)); at != found.end()) return at->second;
    const date::time_zone* zone = nullptr;
    try {
        zone = date::locate_zone(id);
    } catch (const std::exception& e) {
        win::TraceLine(std::string("time zone: ") + id + " not in the system's database (" +
                       e.what() + "); the mean solar hour is used");
    }
    found.emplace(id, zone);
    return zone;
}

int SolarSecondsBehind(double lonWest) {
    return static_cast<int>(std::lround(lonWest / 15.0)) * 3600;
}

}  // namespace

PlaceZone ZoneOfPlace(double lat, double lonWest) {
    PlaceZone zone;
    if (CaribbeanZone(lat, lonWest, &zone)) return zone;
    if (lonWest <= 117.13 && lonWest > 86.0 && lat < BorderLatitude(kMexico, lonWest) && lat < 32.72)
        return MexicoZone(lat, lonWest);
    if (lonWest > 86.0 && lat < 21.8 && lonWest < 118.0) return MexicoZone(lat, lonWest);
    if (InCanada(lat, lonWest)) return CanadaZone(lat, lonWest);
    return UsZone(lat, lonWest);
}

ZoneMoment ZoneAt(const PlaceZone& zone, std::int64_t utcSeconds, double lonWest) {
    const date::time_zone* tz = FindZone(zone.id);
    if (tz == nullptr) return {SolarSecondsBehind(lonWest), false};
    const date::sys_info info = tz->get_info(date::sys_seconds{std::chrono::seconds{utcSeconds}});
    return {static_cast<int>(-info.offset.count()), info.save != std::chrono::minutes{0}};
}

std::int64_t LocalToUtc(const PlaceZone& zone, std::int64_t localSeconds, double lonWest) {
    const date::time_zone* tz = FindZone(zone.id);
    if (tz == nullptr) return localSeconds + SolarSecondsBehind(lonWest);
    const date::local_seconds local{std::chrono::seconds{localSeconds}};
    const date::local_info info = tz->get_info(local);
    // Unique: its one offset. Skipped: the offset before the gap, so the clock reads the time an
    // hour on. Repeated: the first offset.
    return localSeconds - info.first.offset.count();
}

}  // namespace sim
