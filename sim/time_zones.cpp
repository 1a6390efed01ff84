#include "sim/time_zones.h"

#include <cstddef>
#include <iterator>

namespace sim {

namespace {

// The Eastern/Central line, degrees west, at a latitude.
double EasternCentralLine(double lat, double lonWest) {
    // Upper Michigan keeps Eastern time but for its four counties on Wisconsin (Iron Mountain,
    // Menominee); the Lake Michigan line runs down the middle of the lake.
    if (lat >= 45.3) return 87.5;
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
    // Panama City); Tallahassee and the peninsula Eastern.
    return 85.0;
}

// The Central/Mountain line, degrees west, at a latitude.
double CentralMountainLine(double lat) {
    // Saskatchewan and Manitoba: the Manitoba border.
    if (lat >= 49.0) return 101.5;
    // North Dakota keeps Central time to Montana but for its south-west (Dickinson, Bowman).
    if (lat >= 47.5) return 104.05;
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
    if (lat >= 45.5) return 114.5 + (lat - 45.5) * 0.44;
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

}  // namespace

PlaceZone ZoneOfPlace(double lat, double lonWest) {
    // Hawaii keeps Hawaii-Aleutian standard time all year.
    if (lonWest > 154.0 && lat < 24.0) return {10, false, "Hawaii-Aleutian"};
    // Alaska, east of the Aleutians' far end.
    if (lonWest > 141.0 && lat > 51.0) return {9, true, "Alaska"};
    // Puerto Rico and the Virgin Islands keep Atlantic standard time all year; the Maritimes
    // keep Atlantic time with daylight time (Maine stays Eastern: its border with New
    // Brunswick lies near 67.8 W).
    if (lonWest < 68.0 && lat < 20.0) return {4, false, "Atlantic"};
    if (lonWest < 67.0 && lat > 43.0) return {4, true, "Atlantic"};
    if (lonWest < EasternCentralLine(lat, lonWest)) return {5, true, "Eastern"};
    if (lonWest < CentralMountainLine(lat)) return {6, true, "Central"};
    if (lonWest < MountainPacificLine(lat)) {
        // Arizona keeps Mountain Standard Time all year (the Navajo Nation in its north-east
        // corner keeps daylight time, as Utah and New Mexico do; it is left with the state).
        if (lat >= 31.33 && lat <= 37.0 && lonWest >= 109.05 && lonWest <= 114.82)
            return {7, false, "Mountain"};
        return {7, true, "Mountain"};
    }
    return {8, true, "Pacific"};
}

}  // namespace sim
