// Land cover from what is known of a place: snow and bare rock high up and on steep slopes, and
// below them the cover of its climate (forest in the wet north-west, the north and the east,
// farmland in the corn belt, the plains' east and the central valleys, grass on the high plains
// and in California, scrub in the basins and desert in the south-west). The climate's borders
// are bent by broad noise so they follow no parallel or meridian, and each cover's weight is
// broken into patches by finer noise, so fields, woods and open land alternate where climates
// meet.
#include <algorithm>
#include <cmath>

#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

const char* const kMaterialNames[kMaterialCount] = {"water",  "grass",  "farmland", "forest",
                                                    "scrub",  "desert", "rock",     "snow"};

namespace {

// 0 below `from`, 1 above `to` (or the other way round when from > to), smooth between.
double Ramp(double v, double from, double to) {
    const double t = std::clamp((v - from) / (to - from), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace

Material LandCover(double lat, double lon, double feet, double slope, double x, double y) {
    // Climate borders wander by a few degrees over a few hundred kilometres.
    const double w = -lon + 3.0 * (ValueNoise(x, y, 700000.0, 301) - 0.5);  // degrees west
    const double n = lat + 2.0 * (ValueNoise(x, y, 700000.0, 302) - 0.5);
    const double region = ValueNoise(x, y, 60000.0, 202);
    const double snowLine = 13000.0 - 220.0 * std::max(0.0, n - 33.0) + 1500.0 * (region - 0.5);
    if (feet > snowLine) return kSnow;
    if (slope > 0.55 || feet > snowLine - 1500.0) return kRock;

    const double east = Ramp(w, 97.0, 93.0);          // the wet east
    const double plains = Ramp(w, 94.0, 98.0) * Ramp(w, 106.0, 102.0);
    const double dryWest = Ramp(w, 101.0, 105.0) * Ramp(w, 121.0, 118.0);
    const double pacific = Ramp(w, 117.5, 121.0);
    const double north = Ramp(n, 47.0, 50.0);
    const double southWest = Ramp(n, 37.5, 34.5);
    const double cornBelt = Ramp(w, 82.0, 85.0) * Ramp(w, 99.0, 96.0) * Ramp(n, 36.0, 38.5) *
                            Ramp(n, 46.5, 44.0);
    const double mountain = Ramp(feet, 5500.0, 7500.0) * (1.0 - east);
    const double lowland = Ramp(feet, 1200.0, 400.0);

    // The east is wooded where it is not farmed: most of all in the north-east's hills, on the
    // Appalachians' heights and on any steep side; the fields keep the valleys and the plains.
    const double northEast = Ramp(n, 41.0, 43.5) * Ramp(w, 78.0, 75.0);
    const double highEast = east * (Ramp(feet, 1000.0, 2500.0) + 3.0 * Ramp(feet, 2000.0, 3500.0));
    const double steep = east * Ramp(slope, 0.03, 0.12);
    const double wooded = 1.0 + 0.3 * northEast + 0.35 * highEast + 1.0 * steep;
    // The fields of the mid-Atlantic's valleys and piedmont (Lancaster, the Cumberland and
    // Shenandoah Valleys): gentle low ground north of the south's pine woods.
    const double valleys = Ramp(w, 80.5, 79.0) * (1.0 - northEast) * Ramp(n, 35.5, 37.5) *
                           Ramp(feet, 1700.0, 1000.0) * Ramp(slope, 0.06, 0.02);

    double s[kMaterialCount] = {};
    s[kForest] = 0.85 * east * (1.0 - 0.15 * cornBelt) * (1.0 - 0.4 * valleys) * wooded +
                 1.1 * pacific * Ramp(n, 39.0, 42.5) + 0.9 * north * (1.0 - 0.7 * plains) +
                 1.0 * mountain * (1.0 - southWest * 0.5);
    s[kFarmland] = 0.75 * east + 0.3 * cornBelt + 0.85 * plains * Ramp(w, 101.0, 97.0) +
                   0.9 * pacific * lowland * (1.0 - north);
    s[kGrass] = 0.3 + 0.8 * plains * Ramp(w, 97.0, 100.0) * (1.0 - mountain) +
                0.7 * pacific * Ramp(n, 40.0, 36.0) + 0.4 * dryWest * Ramp(n, 38.0, 42.0);
    s[kScrub] = 0.9 * dryWest * Ramp(n, 34.5, 37.5) * (1.0 - mountain) +
                0.5 * pacific * Ramp(n, 37.0, 33.5);
    s[kDesert] = 1.3 * dryWest * southWest * Ramp(feet, 7000.0, 5500.0) +
                 0.8 * plains * Ramp(n, 31.5, 29.0) * Ramp(w, 100.0, 103.0);
    // Patches: woods against fields, and open land against scrub and sand.
    const double woods = ValueNoise(x, y, 9000.0, 401);
    const double open = ValueNoise(x, y, 13000.0, 402);
    s[kForest] *= 0.6 + 0.8 * woods;
    s[kFarmland] *= 1.4 - 0.8 * woods;
    s[kGrass] *= 0.6 + 0.8 * open;
    s[kScrub] *= 1.4 - 0.8 * open;
    s[kDesert] *= 0.8 + 0.4 * open;
    Material best = kGrass;
    for (int m = kGrass; m <= kDesert; ++m)
        if (s[m] > s[best]) best = static_cast<Material>(m);
    return best;
}

}  // namespace mkdata::terrain
