// Published performance of the five aircraft types (see the header).
#include "flight/published_performance.h"

#include <algorithm>
#include <cmath>

namespace flight {

namespace {

// Cruise tables of the navigation log (true airspeed in knots, fuel flow) and handbook
// figures; the stall speeds are calibrated airspeeds with power off at the test weight
// (0 where no figure is published); the rotation speeds are the handbooks' normal take-off
// speeds at maximum weight, flaps up (C172N: lift the nose wheel at 55 KIAS; V35B: rotate at
// 70; Baron 58: 85; B200: 95; 525: VR about 100). The last three figures of each type are its
// best-rate-of-climb speed and its take-off ground roll and distance to 50 ft, sourced beside
// them.
const PublishedPerformance kPublished[5] = {
    {0,
     {{2000, 50, 91, 5.8},   {2000, 55, 97, 6.3},   {2000, 60, 101, 6.7},  {2000, 65, 106, 7.2},
      {2000, 70, 109, 7.8},  {2000, 75, 113, 8.4},  {3000, 50, 91, 5.8},   {3000, 55, 97, 6.3},
      {3000, 60, 102, 6.7},  {3000, 65, 107, 7.3},  {3000, 70, 111, 7.8},  {3000, 75, 114, 8.4},
      {4000, 50, 91, 5.8},   {4000, 55, 97, 6.2},   {4000, 60, 103, 6.7},  {4000, 65, 108, 7.3},
      {4000, 70, 112, 7.8},  {4000, 75, 116, 8.4},  {5000, 50, 92, 5.8},   {5000, 55, 97, 6.2},
      {5000, 60, 104, 6.7},  {5000, 65, 109, 7.3},  {5000, 70, 113, 7.9},  {5000, 75, 117, 8.4},
      {6000, 50, 92, 5.7},   {6000, 55, 97, 6.2},   {6000, 60, 104, 6.7},  {6000, 65, 109, 7.3},
      {6000, 70, 114, 7.9},  {6000, 75, 117, 8.4},  {7000, 50, 93, 5.8},   {7000, 55, 99, 6.2},
      {7000, 60, 105, 6.7},  {7000, 65, 110, 7.3},  {7000, 70, 115, 7.9},  {7000, 75, 119, 8.4},
      {8000, 50, 93, 5.8},   {8000, 55, 100, 6.2},  {8000, 60, 106, 6.7},  {8000, 65, 111, 7.3},
      {8000, 70, 115, 7.9},  {8000, 75, 120, 8.4},  {9000, 50, 93, 5.8},   {9000, 55, 101, 6.2},
      {9000, 60, 107, 6.7},  {9000, 65, 112, 7.3},  {9000, 70, 116, 7.9},  {9000, 75, 121, 8.4},
      {10000, 50, 93, 5.8},  {10000, 55, 101, 6.2}, {10000, 60, 107, 6.7}, {10000, 65, 112, 7.2},
      {10000, 70, 117, 7.8}, {10000, 75, 122, 8.4}, {11000, 50, 94, 5.8},  {11000, 55, 102, 6.2},
      {11000, 60, 108, 6.7}, {11000, 65, 113, 7.2}, {11000, 70, 118, 7.8}, {11000, 75, 123, 8.3},
      {12000, 50, 95, 5.8},  {12000, 55, 102, 6.2}, {12000, 60, 108, 6.7}, {12000, 65, 113, 7.2},
      {12000, 70, 118, 7.7}, {12000, 75, 123, 8.2}},
     true,
     false,
     1043,   // maximum take-off weight 1043 kg (2300 lb) of the 160-hp O-320-H2AD Skyhawk
             // (pilotfriend.com/training/flight_training/fxd_wing/c172.htm, "The Cessna 172
             // Skyhawk", specifications)
     50,     // The stall speeds, climb rate, ceiling and rotation speed are the C172N handbook's
     44,     // (section 5: stall speeds, maximum rate of climb); the stall speeds, 50 KCAS flaps up
     770,    // and 44 KCAS at 40 degrees of flaps, as quoted from the 1978 handbook's performance
     14200,  // section (askacfi.com/8496/no-flaps-approach-speed-c-172.htm); aopa.org's fact
             // sheets give other models' climb and ceiling (172M 645 fpm and 13,100 ft, 172S
             // 730 fpm and 14,000 ft)
     55,
     73,    // C172N handbook, normal climb: best rate of climb at sea level 73 KIAS; the same
            // page above: "Best Rate Of Climb 73 Kt"
     805,   // C172N handbook, performance specifications (2300 lb, sea level, standard day):
     1440,  // ground roll 805 ft, total distance over a 50-ft obstacle 1440 ft
     {},
     125},  // 1980 Model 172N handbook, performance specifications: "Maximum at Sea Level 125
            // KNOTS" (manualslib.com/manual/2906351/Cessna-17273274.html, page 4)
    {1,
     {{2000, 45, 131, 9.6},   {2000, 55, 145, 11.5},  {2000, 65, 156, 13.3},
      {2000, 75, 166, 15.2},  {3000, 45, 132, 9.6},   {3000, 55, 146, 11.5},
      {3000, 65, 157, 13.3},  {3000, 75, 167, 15.2},  {4000, 45, 133, 9.6},
      {4000, 55, 147, 11.5},  {4000, 65, 159, 13.3},  {4000, 75, 169, 15.2},
      {5000, 45, 134, 9.6},   {5000, 55, 148, 11.5},  {5000, 65, 160, 13.3},
      {5000, 75, 170, 15.2},  {6000, 45, 135, 9.6},   {6000, 55, 148, 11.5},
      {6000, 65, 161, 13.3},  {6000, 75, 172, 15.2},  {7000, 45, 135, 9.6},
      {7000, 55, 149, 11.5},  {7000, 65, 162, 13.3},  {7000, 75, 172, 15},
      {8000, 45, 136, 9.6},   {8000, 55, 150, 11.5},  {8000, 65, 163, 13.3},
      {8000, 75, 170, 14.4},  {9000, 45, 137, 9.6},   {9000, 55, 149, 11.2},
      {9000, 65, 161, 12.7},  {9000, 75, 169, 14},    {10000, 45, 137, 9.6},
      {10000, 55, 148, 11},   {10000, 65, 160, 12.3}, {10000, 75, 168, 13.5},
      {11000, 45, 138, 9.6},  {11000, 55, 147, 10.7}, {11000, 65, 158, 11.9},
      {11000, 75, 167, 13.1}, {12000, 45, 138, 9.6},  {12000, 55, 145, 10.4},
      {12000, 65, 157, 11.5}, {12000, 75, 165, 12.6}},
     true,
     false,
     1542,
     63,    // The V35B's stall speeds, climb rate and ceiling are its handbook's; no public page
     53,    // at hand quotes them, nor its take-off distances (the handbook's take-off chart is
     1136,  // not among the pages at hand)
     17858,
     70,   // a Bonanza rotates "as 70 knots rolled by" (G36 pilot report, Pilot magazine
           // May/June 2010, issuu.com/pilotmag/docs/mayjune2010/70; the G36 is the heavier
           // straight-tail type)
     107,  // best rate of a V35B at 3400 lb near 107 KIAS, flight-tested (J. Deakin, "Climb
           // Faster", AVweb); the V35B handbook publishes no best-rate speed
     0,
     0,
     {},
     0,  // no top speed of its own at hand: neither a page nor the pages of the V35B handbook
         // quote it (nor the openings at hand of Aviation Consumer's V-tail guides, AOPA Pilot's
         // "A lucky find" (2011), pilotfriend.com's Bonanza pages, Plane & Pilot's "The Ultimate
         // V-Tail" or Flying's "Air Compare" of 2023); a bound below
     0,
     0,
     1250,  // The V35B's take-off roll is at most the heavier A36's: "The POH estimated our
            // takeoff roll at full gross weight (and no flaps) at 1,250 feet" (a Bonanza A36,
            // 3,650 lb, sea level, a standard day plus 4 F: AOPA Pilot, May 2015, "P&E:
            // Technique", aopa.org/News-and-Video/All-News/2015/May/Pilot/pe_technique); the
            // V35B has the same wing and engine family and weighs 3,400 lb.
     "G36",
     175,    // The V35B at full throttle is at least as fast as the heavier G36 Bonanza (3,650 lb,
     3500},  // longer cabin, straight tail) on less than its full power: "the G36 produced a
             // solid 175 knots at 2,500 rpm and about 27 inches of manifold pressure at 3,500
             // msl" (G36 pilot report, Pilot magazine May/June 2010,
             // issuu.com/pilotmag/docs/mayjune2010/70); 27 in. at 2,500 rpm is about 78 % of
             // the G36's 300 hp, some 235 hp, where the V35B's full throttle there gives about
             // 255 of its 285.
    {2,
     {{2000, 55, 152, 9.4},   {2000, 65, 174, 12.4},  {2000, 75, 193, 15.7},
      {4000, 55, 158, 9.8},   {4000, 65, 180, 13},    {4000, 75, 199, 16.4},
      {6000, 55, 163, 10.2},  {6000, 65, 187, 13.5},  {6000, 75, 200, 15.9},
      {8000, 55, 169, 10.5},  {8000, 65, 189, 13.3},  {8000, 75, 198, 14.7},
      {10000, 55, 172, 10.6}, {10000, 65, 186, 12.4}, {10000, 75, 196, 13.7},
      {12000, 55, 168, 9.9},  {12000, 65, 183, 11.5}, {12000, 75, 193, 12.8},
      {14000, 55, 164, 9.3},  {14000, 65, 180, 10.8}, {14000, 75, 189, 11.8},
      {16000, 55, 157, 8.7},  {16000, 65, 175, 10},   {16000, 75, 185, 11}},
     true,
     true,
     2495,
     84,
     74,
     1700,  // "maximum rate of climb near a jetlike 1,700 fpm" with two 300-hp IO-550-C
            // (Flying, "What It's Like to Fly the Beechcraft Baron G58",
            // flyingmag.com/what-its-like-to-fly-beechcraft-baron-g58); the first, 285-hp 58
            // climbed 1,695 fpm at 5,400 lb (King Air magazine, September 2017, p. 23,
            // kingairmagazine.com/issue/Sep17/files/basic-html/page23.html)
     20688,
     85,
     105,   // Baron operating speeds: VY 105 knots (Beech Baron checklist, twin-engine best rate)
     0,     // no ground roll at hand for the 300-hp 58: the pages give the distance over 50 ft
            // only (below), which bounds the roll from above; aerostar.net.au's "Take off
            // Distance Required 2150ft" is a B55's (Jane's Baron 58 entry at janes.migavia.com,
            // Aviation Consumer's Baron 58 guide, Flying's G58 report and the 58 handbooks'
            // scanned copies at scribd.com: only their openings are at hand)
     2300,  // Baron 58 (1996 on, two 300-hp IO-550-C, 5,500 lb): take-off distance 2,300 ft over
            // 50 ft, sea level, standard day (Plane & Pilot, planeandpilotmag.com/article/
            // beech-baron, "Takeoff distance 2,300'"); the book's take-off is flaps up
     // Baron 58 pilot's operating handbook (serials TH-1 to TH-772, January 1983), section 1,
     // descriptive data, page 1-11: maximum cruise power 24.5 in. Hg at 2,500 rpm (the 75 %
     // rows; a copy at de.scribd.com/document/572305307/Beachcraft-Baron-B58-POH); the economy
     // cruise (55 %) is flown with the propellers at 2,100 rpm, a setting no public page at
     // hand quotes.
     {{55, 2100}, {75, 2500}},
     // No top speed of the 58's own at hand: the G58's 202 kt are its 75 % cruise ("a 202-knot
     // cruise speed at 75% power", Plane & Pilot, "The Mystique of the Baron", 2008), which the
     // table covers; the turbocharged 58's 287 mph (aeropedia.com.au/?p=3203) are another
     // engine's. The 58 is the E55 with its fuselage stretched 25 cm ("Model 58 derived from E55
     // with 25 cm (10 in) fuselage stretch", Jane's, janes.migavia.com/usa/beech/
     // beech-baron-58.html) and 300 hp an engine since 1984; the E55 at 5,300 lb: "Top mph 239"
     // (207.7 kt; Plane & Pilot, planeandpilotmag.com/article/beech-baron, whose B55 with 260 hp
     // an engine makes 231), flown as a sea-level figure: a normally aspirated twin is fastest
     // there.
     208,
     0,
     2404,
     0,
     "E55"},
    {3,
     {{2000, 65, 245, 918},  {2000, 75, 250, 956},  {4000, 65, 250, 892},  {4000, 75, 255, 926},
      {6000, 65, 254, 866},  {6000, 75, 260, 900},  {8000, 65, 259, 842},  {8000, 75, 265, 878},
      {10000, 65, 264, 820}, {10000, 75, 270, 858}, {12000, 65, 270, 800}, {12000, 75, 276, 836},
      {14000, 65, 275, 786}, {14000, 75, 281, 822}, {16000, 65, 280, 776}, {16000, 75, 287, 812},
      {18000, 65, 286, 770}, {18000, 75, 289, 776}, {20000, 65, 287, 736}, {20000, 75, 290, 736},
      {22000, 65, 288, 700}, {22000, 75, 291, 700}, {24000, 65, 287, 656}, {24000, 75, 290, 658},
      {26000, 65, 285, 610}, {26000, 75, 288, 610}, {28000, 65, 282, 562}, {28000, 75, 285, 564},
      {29000, 65, 280, 540}, {29000, 75, 283, 542}, {31000, 65, 275, 498}, {31000, 75, 279, 500},
      {33000, 65, 269, 458}, {33000, 75, 273, 460}, {35000, 65, 260, 418}, {35000, 75, 264, 418}},
     false,
     false,
     5670,  // maximum take-off weight 5,670 kg and ceiling FL350 (SKYbrary, aircraft type page
     99,    // BE20, skybrary.aero/index.php/Beech_200)
     75,
     2450,  // no public page at hand gives the B200's own rate; the Model 200 (PT6A-41, also
            // 850 shp, 12,500 lb) climbs 2,520 ft/min (aeropedia.com.au/?p=3218, "Beech Super
            // King Air 200"), 3 % more
     35000,
     95,
     125,   // B200 best rate of climb about 125 KIAS at maximum weight: not yet checked against
            // a public handbook page (SKYbrary's BE20 page gives V2 115 kt and an initial climb
            // at 145 KIAS, a climb schedule rather than the best-rate speed)
     1860,  // B200 take-off run 567 m (1,860 ft), the manufacturer's figure for the production
            // aircraft (airport-technology.com/projects/raytheon_bk_air200, "take-off run of
            // 567m"; maximum weight 12,500 lb, sea level, standard day, flaps up); SKYbrary's BE20
            // page gives 570 m.
     0,     // No B200 distance to 50 ft is at hand; the Model 200's is 765 m (2,510 ft) at
            // 12,500 lb (aeropedia.com.au/?p=3218)
     {},
     289,     // Model 200 (two 850-shp PT6A-41, 12,500 lb): "Max cruising speed at 4,570 m
     15000},  // (15,000 ft): 536 km/h (333 mph)" (aeropedia.com.au/?p=3218); the B200's PT6A-42
              // are flat rated at the same 850 shp.
    {4,
     {{5000, 65, 190, 645},  {5000, 75, 279, 1108},  {10000, 65, 203, 620}, {10000, 75, 300, 1088},
      {15000, 65, 216, 594}, {15000, 75, 323, 1080}, {17000, 65, 224, 592}, {17000, 75, 333, 1081},
      {19000, 65, 232, 591}, {19000, 75, 343, 1087}, {21000, 65, 234, 571}, {21000, 75, 354, 1086},
      {23000, 65, 242, 570}, {23000, 75, 365, 1090}, {25000, 65, 251, 572}, {25000, 75, 375, 1085},
      {27000, 65, 263, 576}, {27000, 75, 376, 1031}, {29000, 65, 273, 580}, {29000, 75, 376, 977},
      {31000, 65, 287, 590}, {31000, 75, 376, 926},  {33000, 65, 298, 597}, {33000, 75, 374, 874},
      {35000, 65, 298, 578}, {35000, 75, 371, 821},  {37000, 65, 308, 587}, {37000, 75, 357, 733},
      {39000, 65, 321, 610}, {39000, 75, 343, 666}},
     false,
     false,
     4717,  // 10,400 lb; SKYbrary's C525 page gives 4,700 kg
     0,     // no clean stall at hand: Plane & Pilot's "Stall speed 86 kts" is the heavier CJ1's
            // (10,600 lb) and names no flap setting (planeandpilotmag.com/article/cessna-citation);
            // Jane's 525 entry (janes.migavia.com) is at hand only to its design features
     82,
     3311,
     41000,  // ceiling FL410 (SKYbrary, aircraft type page C525, skybrary.aero/index.php/C525)
     100,
     0,     // the 525's flight manual climbs on a schedule, with no best-rate speed of its own,
            // and no page at hand names one
     0,     // no ground roll at hand: the pages give the field length only (below, and "Fully
            // loaded the plane needs only a 3,200 foot runway", wapaircharter.com/citation-cj1.php;
            // Flight International's CJ1 flight test, flightglobal.com/big-performer/35647.article,
            // and B/CA's CJ1 analysis: only their openings are at hand), which bounds the roll
            // from above
     3281,  // take-off distance 1,000 m at the 4,700 kg maximum weight (SKYbrary, aircraft type
            // page C525, performance data)
     {},
     380,             // "CitationJet - Max cruising speed at 3990kg (8800lb) AUW 704km/h (380kt)"
     kFastestHeight,  // (barrieaircraft.com/cessna-citationjet-cj1-cj2.html), at the height it
     3990},           // is fastest
};

}  // namespace

const PublishedPerformance& PublishedPerformanceForType(int type) {
    if (type < 0 || type > 4) type = 0;
    return kPublished[type];
}

namespace {

// The gauges' published readings at the cruise powers. The Skyhawk's fixed-pitch rpm is its
// handbook's cruise table (see fmfit); the jet shows fuel flow, not torque.
const PublishedCruiseGauges kCruiseGauges[5] = {
    {},
    // The Bonanza runs its cruise at 2,500 rpm: "a later cruise-power run, we'd see 175 knots at
    // 6,500 msl pulling 24.7 inches of manifold pressure running wide-open throttle and 2,500 rpm"
    // (G36 pilot report, Pilot magazine May/June 2010, issuu.com/pilotmag/docs/mayjune2010/70;
    // at 6,500 ft the standard air holds 23.5 in., the wide-open throttle's reading 1.2 in. more
    // with the ram of 175 knots), and a turbonormalized V35 set up for cruise at 17,500 ft: "Dial
    // the prop back to 2,500 rpm" (AOPA Pilot, 2001, "AOPA's 2001 Bonanza Sweepstakes"). Its 285-hp 520-cubic-inch
    // Continental is the Baron 58's, whose handbook sets maximum cruise power at "24.5 in. Hg at
    // 2500 rpm" (Baron 58 handbook, section 1, page 1-11, de.scribd.com/document/572305307): the
    // 75 % rows, at every height, the throttle wide open where the air and the ram of the airflow
    // hold less (above about 6,500 ft at those rows' speeds). No public page at hand gives the V35B's settings for 45, 55 or 65 % (its
    // handbook's cruise tables are not among the pages at hand).
    {{{75, 2500}}, {{75, 24.5}}},
    // The Baron 58 handbook, section 1, page 1-11: "Maximum Cruise Power ..... 24.5 in. Hg at
    // 2500 rpm" (the 75 % rows); its economy settings are not among the pages at hand.
    {{{75, 2500}}, {{75, 24.5}}},
    // The King Air's PT6A-42: "-41 and -42 engines have a maximum continuous torque of 2,230
    // ft.-lbs." (pilotproficient.com, "King Air 200 Engine Instruments"; King Air magazine,
    // February 2022, p. 27: "the full 2,230 ft-lbs of torque"). No public page at hand gives the
    // B200's cruise torque by height, so every cruise row reads at most the limit.
    {{}, {}, 2230},
    {},
};

}  // namespace

const PublishedCruiseGauges& PublishedCruiseGaugesForType(int type) {
    if (type < 0 || type > 4) type = 0;
    return kCruiseGauges[type];
}

// The troposphere's pressure: 29.92126 in. at sea level, the temperature falling 0.0019812 K a
// foot from 288.15 K (U.S. Standard Atmosphere, 1976, as tabled with the barometric formula at
// fxsolver.com/solve/preset/table/1); the exponent is g0 M / (R* L), 5.25588.
double StandardPressureInches(double feet) {
    return 29.92126 * std::pow(1.0 - 0.0019812 * feet / 288.15, 5.25588);
}

// Half the density times the square of the speed; the density is the air's pressure over
// 287.053 J/(kg K) times its temperature.
double RamInches(double pressureInches, double kelvin, double metresPerSecond) {
    constexpr double kPascalsPerInch = 3386.389;
    const double density = pressureInches * kPascalsPerInch / (287.053 * kelvin);
    return 0.5 * density * metresPerSecond * metresPerSecond / kPascalsPerInch;
}

double StandardRamInches(double feet, double trueAirspeedKnots) {
    return RamInches(StandardPressureInches(feet), 288.15 - 0.0019812 * feet,
                     trueAirspeedKnots * 1852.0 / 3600.0);
}

std::optional<double> BookManifoldInches(int type, int powerPercent, double feet,
                                         double trueAirspeedKnots) {
    for (const CruiseManifold& m : PublishedCruiseGaugesForType(type).manifold)
        if (m.powerPercent == powerPercent)
            return std::min(m.inches, StandardPressureInches(feet) +
                                          StandardRamInches(feet, trueAirspeedKnots));
    return std::nullopt;
}

}  // namespace flight
