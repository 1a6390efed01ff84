// The navigation log of a plan and the cruise performance lookup behind it.
#include "planning/nav_log.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <numbers>

#include "flight/published_performance.h"
#include "nav/lat_lon.h"
#include "nav/map_view.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"
#include "world/celestial.h"

namespace planning {

std::unique_ptr<NavLog> theNavLog;

namespace {

constexpr double kDegreesPerBinaryUnit = 0.005493298176225006;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

// Where a value falls on an ascending axis: the two entries around it (equal for an exact hit
// or a value beyond either end, which takes the nearest entry).
void AxisPlace(const std::vector<int>& axis, int value, std::size_t* low, std::size_t* high) {
    if (value <= axis.front()) {
        *low = *high = 0;
        return;
    }
    for (std::size_t i = 0; i < axis.size(); ++i) {
        if (axis[i] == value) {
            *low = *high = i;
            return;
        }
        if (axis[i] > value) {
            *low = i - 1;
            *high = i;
            return;
        }
    }
    *low = *high = axis.size() - 1;
}

// Sines and cosines of whole degrees from -720 to 720, each computed as the formulas would compute
// it: the log's angles are whole degrees, so a leg needs no trigonometry of its own.
struct WholeDegreeTrig {
    static constexpr int kLimit = 720;
    std::array<double, 2 * kLimit + 1> sine{}, cosine{};
    WholeDegreeTrig() {
        for (int d = -kLimit; d <= kLimit; ++d) {
            const double a = d * kRadiansPerDegree;
            sine[static_cast<std::size_t>(d + kLimit)] = std::sin(a);
            cosine[static_cast<std::size_t>(d + kLimit)] = std::cos(a);
        }
    }
};
const WholeDegreeTrig kTrig;

double SinDegrees(int degrees) {
    if (degrees < -WholeDegreeTrig::kLimit || degrees > WholeDegreeTrig::kLimit)
        return std::sin(degrees * kRadiansPerDegree);
    return kTrig.sine[static_cast<std::size_t>(degrees + WholeDegreeTrig::kLimit)];
}

double CosDegrees(int degrees) {
    if (degrees < -WholeDegreeTrig::kLimit || degrees > WholeDegreeTrig::kLimit)
        return std::cos(degrees * kRadiansPerDegree);
    return kTrig.cosine[static_cast<std::size_t>(degrees + WholeDegreeTrig::kLimit)];
}

double LegMiles(const FlightPlanNode& a, const FlightPlanNode& b) {
    const double dx = (static_cast<double>(b.x) - a.x) * kNauticalMilesPerUnit;
    const double dz = (static_cast<double>(b.y) - a.y) * kNauticalMilesPerUnit;
    return std::sqrt(dx * dx + dz * dz);
}

constexpr std::int16_t kStartingFuel[5] = {40, 74, 194, 3212, 3212};
constexpr int kEngines[5] = {1, 1, 2, 2, 2};

// The log keeps whole degrees only. An arctangent by a polynomial good to about 2e-8 rad decides
// the whole degree whenever a margin far wider than that error stays inside it; otherwise (rarely)
// the library's arctangent does, so the log is the same as from the library alone.
constexpr double kRoughMargin = 1e-6;  // radians

double RoughAtan(double t) {  // |t| <= 1
    // The polynomial in t^2 in pairs, so its terms are worked out side by side.
    const double u = t * t, u2 = u * u, u4 = u2 * u2;
    const double low = (1.0 - 0.3333314528 * u) + u2 * (0.1999355085 - 0.1420889944 * u);
    const double high = (0.1065626393 - 0.0752896400 * u) + u2 * (0.0429096138 - 0.0161657367 * u);
    return t * (low + u4 * (high + u4 * 0.0028662257));
}

// The arctangent of y / x for any x other than 0, by one division.
double RoughAtanOf(double y, double x) {
    if (std::fabs(y) <= std::fabs(x)) return RoughAtan(y / x);
    const double r = x / y;  // the same sign as y / x
    return std::copysign(std::numbers::pi / 2, r) - RoughAtan(r);
}

int CourseOfDegrees(double degrees) {
    const int whole = static_cast<int>(std::floor(degrees + 0.5));
    return whole > 90 ? 450 - whole : 90 - whole;
}

int CourseOfAngle(double radians) {
    return CourseOfDegrees(radians / kRadiansPerDegree);
}

// The log's magnetic heading from a true heading and the grid's offset.
int MagneticHeadingOfWhole(int whole) {
    int heading = whole % 360 + 1;
    if (heading < 1) heading += 360;
    return heading;
}

int MagneticHeading(double trueHeading, double offset) {
    return MagneticHeadingOfWhole(static_cast<int>(trueHeading - offset));
}

double HeadingOfDegrees(double h, double x, double y) {
    if (x < 0.0) return h + 180.0;
    return y < 0.0 ? h + 360.0 : h;
}

double HeadingOfAngle(double radians, double x, double y) {
    return HeadingOfDegrees(radians / kRadiansPerDegree, x, y);
}

}  // namespace

std::int16_t StartingFuel(int type) {
    return type >= 0 && type <= 4 ? kStartingFuel[type] : 0;
}

const char* FuelFlowFormat(int type) {
    return type >= 3 ? "%3.1f pph" : "%3.1f gph";
}

double InterpolateLinear(double x0, double x1, double y0, double y1, double x) {
    return y1 - (y1 - y0) / (x1 - x0) * (x1 - x);
}

namespace {

// The axes of a type's cruise table: its altitudes in table order, its powers ascending.
struct CruiseAxes {
    std::vector<int> altitudes, powers;
};

const CruiseAxes& CruiseAxesOf(int type) {
    static const std::array<CruiseAxes, 5> axes = [] {
        std::array<CruiseAxes, 5> all;
        for (int t = 0; t < 5; ++t) {
            CruiseAxes& a = all[static_cast<std::size_t>(t)];
            for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(t).cruise) {
                if (a.altitudes.empty() || a.altitudes.back() != p.altitudeFeet)
                    a.altitudes.push_back(p.altitudeFeet);
                if (std::find(a.powers.begin(), a.powers.end(), p.powerPercent) == a.powers.end())
                    a.powers.push_back(p.powerPercent);
            }
            std::sort(a.powers.begin(), a.powers.end());
        }
        return all;
    }();
    return axes[static_cast<std::size_t>(type)];
}

}  // namespace

void LookupCruisePerformance(int type, std::int32_t altitudeFeet, int powerPercent,
                             std::uint16_t* trueAirspeed, float* fuelFlow) {
    *trueAirspeed = 0;
    *fuelFlow = 0.0f;
    if (type < 0 || type > 4) return;
    const std::vector<flight::CruisePoint>& table =
        flight::PublishedPerformanceForType(type).cruise;
    const CruiseAxes& axes = CruiseAxesOf(type);
    const std::vector<int>& altitudes = axes.altitudes;
    const std::vector<int>& powers = axes.powers;
    if (altitudes.empty() || powers.empty()) return;
    std::size_t a0 = 0, a1 = 0, p0 = 0, p1 = 0;
    AxisPlace(altitudes, altitudeFeet, &a0, &a1);
    AxisPlace(powers, powerPercent, &p0, &p1);
    const auto at = [&](std::size_t a, std::size_t p) -> const flight::CruisePoint& {
        return table[a * powers.size() + p];
    };
    const double alt = std::clamp<double>(altitudeFeet, altitudes.front(), altitudes.back());
    const double pow = std::clamp<double>(powerPercent, powers.front(), powers.back());
    // In altitude at one power column, then in power between two columns.
    const auto column = [&](std::size_t p, double flight::CruisePoint::*field) {
        if (a0 == a1) return at(a0, p).*field;
        return InterpolateLinear(altitudes[a0], altitudes[a1], at(a0, p).*field,
                                 at(a1, p).*field, alt);
    };
    const auto value = [&](double flight::CruisePoint::*field) {
        if (p0 == p1) return column(p0, field);
        return InterpolateLinear(powers[p0], powers[p1], column(p0, field), column(p1, field), pow);
    };
    *trueAirspeed =
        static_cast<std::uint16_t>(value(&flight::CruisePoint::trueAirspeedKnots) + 0.5);
    // A twin's book gives each engine's flow; the log plans the whole aircraft's.
    const int engines = flight::PublishedPerformanceForType(type).fuelPerEngine
                            ? kEngines[static_cast<std::size_t>(type)]
                            : 1;
    *fuelFlow = static_cast<float>(value(&flight::CruisePoint::fuelFlow) * engines);
}

int LegCourse(const FlightPlanNode& from, const FlightPlanNode& to) {
    // Four-quadrant and rounded to the nearest degree on both sides of east, so a leg due south
    // reads 180.
    const double dy = static_cast<double>(to.y) - from.y;
    const double dx = static_cast<double>(to.x) - from.x;
    if (dx != 0.0 && dy != 0.0) {
        double a = 0.0;
        if (std::fabs(dy) <= std::fabs(dx)) {
            a = RoughAtan(dy / dx);
            if (dx < 0.0) a += dy > 0.0 ? std::numbers::pi : -std::numbers::pi;
        } else {
            a = (dy > 0.0 ? std::numbers::pi / 2 : -std::numbers::pi / 2) - RoughAtan(dx / dy);
        }
        // A product in place of the exact path's quotient: an ulp apart, far inside the margin.
        const int low = CourseOfDegrees((a - kRoughMargin) * kDegreesPerRadian);
        if (low == CourseOfDegrees((a + kRoughMargin) * kDegreesPerRadian)) return low;
    }
    return CourseOfAngle(std::atan2(dy, dx));
}

int WindCorrectedGroundSpeed(int course, int windDirection, int windSpeed, int trueAirspeed) {
    const double w = windSpeed, c = CosDegrees(course - windDirection);
    const double square = static_cast<double>(trueAirspeed) * trueAirspeed - w * w + w * w * c * c;
    if (!(square >= 0.0)) return 0;
    const double gs = std::sqrt(square) - w * c;
    return gs > 0.0 ? static_cast<int>(gs) : 0;
}

double WindCorrectedHeading(int course, int windDirection, int windSpeed, int groundSpeed) {
    const double y = groundSpeed * SinDegrees(course) + windSpeed * SinDegrees(windDirection);
    const double x = groundSpeed * CosDegrees(course) + windSpeed * CosDegrees(windDirection);
    if (x == 0.0) return y < 0.0 ? 270.0 : 90.0;
    return HeadingOfAngle(std::atan(y / x), x, y);
}

int WindCorrectedMagneticHeading(int course, int windDirection, int windSpeed, int groundSpeed,
                                 double offset) {
    const double y = groundSpeed * SinDegrees(course) + windSpeed * SinDegrees(windDirection);
    const double x = groundSpeed * CosDegrees(course) + windSpeed * CosDegrees(windDirection);
    if (x != 0.0) {
        // Both ends of the margin on the same whole degree give the same heading.
        const double a = RoughAtanOf(y, x);
        const int low = static_cast<int>(
            HeadingOfDegrees((a - kRoughMargin) * kDegreesPerRadian, x, y) - offset);
        const int high = static_cast<int>(
            HeadingOfDegrees((a + kRoughMargin) * kDegreesPerRadian, x, y) - offset);
        if (low == high) return MagneticHeadingOfWhole(low);
    }
    return MagneticHeading(WindCorrectedHeading(course, windDirection, windSpeed, groundSpeed), offset);
}

void PickCruiseWindBand(const RouteWeatherStation& s, std::int32_t altitudeFeet,
                        std::int32_t* direction, std::int32_t* speed) {
    if (MetresToFeet(s.WsTop) > altitudeFeet) {
        *direction = s.WsDir;
        *speed = s.WsVel;
    } else if (MetresToFeet(s.W1Top) > altitudeFeet) {
        *direction = s.W1Dir;
        *speed = s.W1Vel;
    } else if (MetresToFeet(s.W2Top) > altitudeFeet) {
        *direction = s.W2Dir;
        *speed = s.W2Vel;
    } else {
        *direction = s.W3Dir;
        *speed = s.W3Vel;
    }
}

void FlightPlan::BuildNavLog() const {
    // A log built again reuses the memory of the one before.
    if (!theNavLog) theNavLog = std::make_unique<NavLog>();
    NavLog& log = *theNavLog;
    std::vector<NavLogRow> rows = std::move(log.rows);
    rows.clear();
    log = NavLog{};
    log.rows = std::move(rows);
    const int count = std::min(nodeCount, kMaxPlanNodes);
    if (active == 0 || count <= 0) return;
    const FlightPlanNode& first = nodes[0];
    const FlightPlanNode& last = nodes[static_cast<std::size_t>(count - 1)];
    log.title = first.ident + " to " + last.ident;
    log.cruiseAltitude = cruiseAltitude;
    log.power = power;
    LookupCruisePerformance(aircraft, cruiseAltitude, power, &log.trueAirspeed, &log.fuelFlow);
    log.startingFuel = StartingFuel(aircraft);
    log.departure = first.ident;

    std::array<double, kMaxPlanNodes> legMiles{};
    double total = 0.0;
    for (int i = 0; i + 1 < count; ++i) {
        legMiles[static_cast<std::size_t>(i)] =
            LegMiles(nodes[static_cast<std::size_t>(i)], nodes[static_cast<std::size_t>(i + 1)]);
        total += legMiles[static_cast<std::size_t>(i)];
    }
    // The log's distances add up as a pilot checks them: each leg rounded to a whole mile, the
    // total their sum, and what remains after a leg the total less the legs so far.
    std::int32_t shownTotal = 0;
    for (int i = 0; i + 1 < count; ++i)
        shownTotal += static_cast<std::int32_t>(legMiles[static_cast<std::size_t>(i)] + 0.5);
    log.totalDistance = shownTotal;
    const bool departed = departureTime >= 0;
    log.departed = departed;
    if (departed) {
        log.departureHour = static_cast<std::int16_t>(departureTime / 60);
        log.departureMinute = static_cast<std::int16_t>(departureTime - log.departureHour * 60);
    }

    log.rows.resize(static_cast<std::size_t>(count));
    std::int32_t remaining = shownTotal;
    double hoursSum = 0.0;
    int minutesSum = 0;
    // The cruise wind of each weather area (departure, en route, destination), worked out once.
    struct AreaWind {
        bool known = false;
        int direction = 0;
        std::int32_t speed = 0;
    };
    std::array<AreaWind, 3> areaWinds{};
    for (int i = 0; i + 1 < count; ++i) {
        const FlightPlanNode& from = nodes[static_cast<std::size_t>(i)];
        const FlightPlanNode& to = nodes[static_cast<std::size_t>(i + 1)];
        NavLogRow& row = log.rows[static_cast<std::size_t>(i)];
        const int course = LegCourse(from, to);
        const int area = PickLegWeatherArea(*this, i);
        AreaWind& wind = areaWinds[static_cast<std::size_t>(std::clamp(area, 0, 2))];
        if (!wind.known) {
            std::int32_t band = 0;
            PickCruiseWindBand(RouteStation(*this, area), cruiseAltitude, &band, &wind.speed);
            wind.direction = static_cast<int>(band * kDegreesPerBinaryUnit);
            wind.direction = (wind.direction + 5) / 10 * 10;
            if (wind.direction == 0) wind.direction = 360;
            wind.known = true;
        }
        // The course is a direction on the world's grid, while a wind blows from a magnetic
        // direction, as the world's weather applies it: the triangle is worked on the grid,
        // where a direction is the magnetic one plus the variation and north parts.
        const nav::GridValues grid = nav::theMapView.LookupGridValues(from.x, from.y);
        const double gridOffset =
            grid.variation * kDegreesPerBinaryUnit + grid.north * kDegreesPerBinaryUnit;
        const int windDirection = wind.direction + static_cast<int>(std::lround(gridOffset));
        const std::int32_t windSpeed = wind.speed;
        const int gs = WindCorrectedGroundSpeed(course, windDirection, windSpeed, log.trueAirspeed);
        row.groundSpeed = static_cast<std::int16_t>(gs);
        row.windComponent = static_cast<std::int16_t>(
            -static_cast<int>(windSpeed * CosDegrees(course - windDirection) + 0.5));
        row.magneticHeading = static_cast<std::int16_t>(
            WindCorrectedMagneticHeading(course, windDirection, windSpeed, gs, gridOffset + 0.5));
        const double d = legMiles[static_cast<std::size_t>(i)];
        row.distance = static_cast<std::int32_t>(d + 0.5);
        remaining -= row.distance;
        row.remaining = remaining;
        row.fix = from.ident;
        const float previousFuel =
            i == 0 ? static_cast<float>(log.startingFuel) : log.rows[static_cast<std::size_t>(i - 1)].fuelRemaining;
        if (gs > 0) {
            const double t = d / gs;
            const int minutes = static_cast<int>(t) * 60 +
                                static_cast<int>((t - static_cast<int>(t)) * 60.0 + 0.5);
            row.estimatedMinutes = static_cast<std::uint16_t>(minutes);
            hoursSum += t;
            minutesSum += minutes;
            row.legFuel = static_cast<float>(t * log.fuelFlow);
            if (departed)
                row.estimatedArrival = static_cast<std::uint16_t>((minutesSum + departureTime) % 1440);
        } else {
            // Without ground speed the leg has no time, fuel or arrival.
            row.estimatedMinutes = kNotKnown;
        }
        row.fuelRemaining = std::max(previousFuel - row.legFuel, 0.0f);
        log.totalFuel += row.legFuel;
        std::int32_t t0 = 0, f0 = 0, t1 = 0, f1 = 0;
        if (departed && GetNodeActuals(i, &t0, &f0) != 0 && GetNodeActuals(i + 1, &t1, &f1) != 0) {
            // Stamps after midnight count on from the departure's day.
            if (t0 < departureTime) t0 += 1440;
            if (t1 < departureTime) t1 += 1440;
            const int actual = t1 - t0;
            row.actualMinutes = static_cast<std::uint16_t>(actual);
            if (actual > 0) row.actualGroundSpeed = static_cast<std::uint16_t>(d / actual * 60.0);
            row.actualArrival = static_cast<std::uint16_t>(nodes[static_cast<std::size_t>(i + 1)].arrivalTime);
            double fuel = f1 / 256.0 * 2.2;
            if (aircraft >= 0 && aircraft <= 2) fuel /= 6.0;
            row.actualFuelRemaining = static_cast<float>(fuel);
        }
    }
    log.totalHours = static_cast<std::int16_t>(hoursSum);
    log.totalMinutes = static_cast<std::int16_t>((hoursSum - log.totalHours) * 60.0 + 0.5);
    NavLogRow& end = log.rows.back();
    end = NavLogRow{};
    end.fix = last.ident;
    end.remaining = remaining;
    end.estimatedArrival = 0;
}

}  // namespace planning

namespace planning {

double SunElevation(double lat, double lonWest, std::int64_t utcSeconds) {
    constexpr std::int64_t kJ2000 = 946728000;  // 2000-01-01 12:00 UTC
    const double days = static_cast<double>(utcSeconds - kJ2000) / 86400.0;
    const world::EclipticPlace sun = world::SunPlace(days);
    const double hourAngle = (world::GreenwichSiderealTime(days) - lonWest - sun.rightAscension) *
                             kRadiansPerDegree;
    const double phi = lat * kRadiansPerDegree, delta = sun.declination * kRadiansPerDegree;
    return std::asin(std::sin(phi) * std::sin(delta) +
                     std::cos(phi) * std::cos(delta) * std::cos(hourAngle)) /
           kRadiansPerDegree;
}

namespace {

PlaceClock thePlaceClock = nullptr;
SimulationClock theSimulationClock = nullptr;

}  // namespace

void SetPlaceClock(PlaceClock clock) { thePlaceClock = clock; }
void SetSimulationClock(SimulationClock clock) { theSimulationClock = clock; }

int VfrReserveMinutes(const FlightPlan& plan, const NavLog& log) {
    constexpr int kDay = 30, kNight = 45;
    constexpr double kCivilTwilight = -6.0;
    const RouteEnvironment& e = plan.environment;
    const int count = std::min(plan.nodeCount, kMaxPlanNodes);
    if (count <= 0) return kDay;
    const FlightPlanNode& first = plan.nodes[0];
    const FlightPlanNode& last = plan.nodes[static_cast<std::size_t>(count - 1)];
    double lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
    nav::WorldToLatLon(&lat0, &lon0, first.x, first.y);
    nav::WorldToLatLon(&lat1, &lon1, last.x, last.y);
    const auto atNight = [&](std::int64_t off) {
        const std::int64_t on = off + (log.totalHours * 60 + log.totalMinutes) * 60;
        return SunElevation(lat0, lon0, off) < kCivilTwilight ||
               SunElevation(lat1, lon1, on) < kCivilTwilight;
    };
    if (theSimulationClock != nullptr) return atNight(theSimulationClock()) ? kNight : kDay;
    if (e.hour < 0 || e.minute < 0 || e.month < 1 || e.month > 12 || e.day < 1) return kDay;
    // The plan keeps the month and day only: the sun's course on them changes little by year.
    using namespace std::chrono;
    const sys_days date{year{2026} / month{static_cast<unsigned>(e.month)} /
                        day{static_cast<unsigned>(e.day)}};
    const std::int64_t local = date.time_since_epoch().count() * 86400 + e.hour * 3600 + e.minute * 60;
    const std::int64_t off = thePlaceClock != nullptr
                                 ? thePlaceClock(lat0, lon0, local)
                                 : local + static_cast<std::int64_t>(std::lround(lon0 / 15.0)) * 3600;
    return atNight(off) ? kNight : kDay;
}

}  // namespace planning
