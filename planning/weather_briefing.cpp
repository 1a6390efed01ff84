// The route weather draw. Every random value is one call of the program's generator, taken in
// the order the steps below are written, so one seed always gives one weather.
#include "planning/weather_briefing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/numeric.h"
#include "nav/map_view.h"
#include "nav/sms_database.h"
#include "planning/route_weather.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/timing.h"
#include "win/window.h"

namespace planning {

int theRouteChanged = 0;

namespace {

constexpr int kDepartureRadiusField = 1965;
constexpr int kDestinationRadiusField = 1966;
constexpr int kDrawAgainButton = 1575;
constexpr int kBriefingLists[3] = {1968, 1969, 1970};
constexpr std::int32_t kMinimumRadius = 50;

int R() {
    return core::rand();
}

struct Cloud {
    std::int32_t top = 0, base = 0, cover = 0;
};

int CloudBand(std::int32_t altitude) {
    return altitude < 6500 ? 0 : altitude < 20000 ? 1 : 2;
}

// Thickness draws: 400..600 ft, 700 or 800 ft, 100..800 ft.
std::int32_t ThicknessA() {
    return (R() % 3 * 4 + 16) * 25;
}
std::int32_t ThicknessB() {
    return ((R() & 1) * 4 + 28) * 25;
}
std::int32_t ThicknessE() {
    return ((R() & 7) * 4 + 4) * 25;
}

std::int32_t TopFromCover(std::int32_t base, std::int32_t cover) {
    switch (cover) {
        case 0:
            return base + 300;
        case 1:
            return base + 700 + (R() & 1);
        case 2:
        case 3:
        case 4:
        case 5:
            return (R() & 1) != 0 ? base + 1000 : base + ThicknessB();
        case 6: {
            const int r = R() % 3;
            return r == 2 ? base + ThicknessA() : r == 1 ? base + ThicknessB() : base + 1000;
        }
        case 7: {
            const int r = R() & 3;
            return r == 2 ? base + ThicknessA() : r == 1 ? base + ThicknessB() : base + 1000;
        }
        default: {
            const int r = R() % 3;
            return r == 2 ? base + ThicknessA() : r == 0 ? base + 1000 : base + ThicknessE();
        }
    }
}

// A high base above the cruise altitude h (the step count at least 1 right under the ceiling).
std::int32_t HighBase(std::int32_t h) {
    if (h < 19000) return (R() % 25 * 5 + 100) * 200;
    return h + (R() % std::max(1, (45000 - h) / 1000) * 5 + 5) * 200;
}

// A low base above h, 2,500 to 5,400 ft when the cruise is low.
std::int32_t LowBase(std::int32_t h) {
    if (h >= 5000) return h + R() % 1000 + 200;
    std::int32_t base = 0;
    do base = (R() % 30 * 4 + 100) * 25;
    while (base <= h);
    return base;
}

// A visual deck keeps 1,100 ft above the field: a lower one is lifted with its thickness.
void KeepClearOfField(Cloud& c, std::int32_t elevation) {
    if (elevation + 1100 <= c.base) return;
    c.top = std::min(c.top + (elevation - c.base) + 1100, 45000);
    c.base = elevation + 1100;
}

Cloud DepartureCloudsVfr(std::int32_t h, int mode, std::int32_t departureElevation) {
    Cloud c;
    const int kind = h >= 19000 ? 2 : h >= 5500 ? 1 + (R() & 1) : R() % 3;
    if (kind == 2) {
        c.base = HighBase(h);
        c.top = c.base + 50;
        c.cover = R() % 6;
    } else if (kind == 1) {
        c.base = h >= 5500 ? h + (R() % std::max(1, (20000 - h) / 1000) * 5 + 5) * 200
                           : (R() % 13 * 5 + 35) * 200;
        c.top = c.base + (R() % 5) * 100;
        c.cover = 5 - R() % 12 % 5;
    } else {
        c.base = LowBase(h);
        c.cover = 5 - R() % 13 % 6;
        c.top = TopFromCover(c.base, c.cover);
    }
    if (mode == 1) KeepClearOfField(c, departureElevation);
    if (c.top > 20000 && c.cover > 5) c.cover = 5;
    return c;
}

Cloud DepartureCloudsIfr(std::int32_t h) {
    Cloud c;
    const int r = R() % 5 % 3;
    if (r == 2) {
        c.base = HighBase(h);
        c.top = c.base + 50;
        c.cover = (R() & 3) + 3;
    } else if (r == 0) {
        c.base = h < 5000 ? LowBase(h) : 5500;
        c.cover = R() % 5 + 4;
        c.top = TopFromCover(c.base, c.cover);
    } else {
        c.base = h >= 5500 ? (R() % 10 * 5 + 65) * 200 : (R() % 13 * 5 + 35) * 200;
        c.top = c.base + (R() % 5) * 100;
        c.cover = R() % 5 + 4;
    }
    return c;
}

// A deck near another: the top a little moved, the deck shifted up or down by up to 1,000 ft
// without leaving one base band, the cover changed by up to two eighths.
Cloud VaryClouds(const Cloud& source) {
    Cloud c = source;
    if ((R() & 1) != 0)
        c.top += (R() & 1) * 100;
    else
        c.top -= (R() & 1) * 100;
    if (c.top <= c.base) c.top = c.base + 100;
    const bool up = (R() & 1) != 0;
    const std::int32_t s = R() % 11 * 100;
    const std::int32_t back = up ? -100 : 100;
    c.base += up ? s : -s;
    c.top += up ? s : -s;
    // A deck deeper than a band never settles; the step count keeps that from looping.
    for (int i = 0; i < 500 && CloudBand(c.base) != CloudBand(c.top); ++i) {
        c.base += back;
        c.top += back;
    }
    if ((R() & 1) != 0)
        c.cover += R() % 3;
    else
        c.cover -= R() % 3;
    return c;
}

void SetFirstCloud(RouteWeatherStation& s, const Cloud& c) {
    s.C1Top = c.top;
    s.C1Base = c.base;
    s.C1Cover = c.cover;
}
Cloud FirstCloud(const RouteWeatherStation& s) {
    return Cloud{s.C1Top, s.C1Base, s.C1Cover};
}

struct DrawContext {
    int mode = 1;
    std::int32_t h = 0;  // the uncapped cruise altitude
    std::int32_t departureElevation = 0, averageElevation = 0, destinationElevation = 0;
};

void DeriveRouteClouds(RouteEnvironment& e, const DrawContext& d) {
    const int a = R() % 15;
    const int b = R() % 15;
    const bool visual = d.mode == 1;
    Cloud en = a != 0 ? VaryClouds(FirstCloud(e.departure))
                      : DepartureCloudsVfr(d.h, d.mode, d.departureElevation);
    if (visual) KeepClearOfField(en, d.averageElevation);
    Cloud dest = a != 0 && b == 0 ? DepartureCloudsVfr(d.h, d.mode, d.departureElevation)
                                  : VaryClouds(en);
    if (visual) {
        KeepClearOfField(dest, d.destinationElevation);
        if (dest.top > 20000 && dest.cover > 5) dest.cover = 5;
    } else {
        en.cover = std::clamp(en.cover, 0, 8);
        dest.cover = std::clamp(dest.cover, 0, 8);
    }
    SetFirstCloud(e.enRoute, en);
    SetFirstCloud(e.destination, dest);
}

std::int32_t RandomWindDirection() {
    const int d = R() % 10;
    std::int32_t v = R() & 0x3FFF;
    if (d <= 4)
        v += 0x8000;
    else if (d <= 6)
        v += 0x4000;
    else if (d <= 8)
        v += 0xC000;
    return std::max(v, 183);
}

std::int32_t RandomNearbyDirection(int spread, std::int32_t base) {
    return (base + R() % spread) % 65520 + 183;
}

// Northerly winds are light, westerly ones strong.
std::int32_t RandomWindSpeedForDirection(std::int32_t direction) {
    if (direction > 0xE000 || direction < 0x2000) return 10 + R() % 10;
    if (direction < 0x6000) return 10 + R() % 15;
    if (direction < 0x9000) return 25 + R() % 15;
    if (direction < 0xB000) return 35 + R() % 15;
    return 20 + R() % 10;
}

void GenerateStationWinds(RouteWeatherStation& s, int mode) {
    const bool ifr = mode == 2;
    const int spread = ifr ? 9100 : 3640;
    const double factors[3] = {ifr ? 0.65 : 0.5, ifr ? 1.3 : 1.0, ifr ? 1.95 : 1.5};
    s.WsDir = RandomWindDirection();
    s.WsVel = static_cast<std::int32_t>(RandomWindSpeedForDirection(s.WsDir) * 0.2);
    if (!ifr && R() % 10 < 2) s.WsVel = 0;
    std::int32_t* dirs[3] = {&s.W1Dir, &s.W2Dir, &s.W3Dir};
    std::int32_t* vels[3] = {&s.W1Vel, &s.W2Vel, &s.W3Vel};
    std::int32_t previous = s.WsDir;
    for (int i = 0; i < 3; ++i) {
        *dirs[i] = RandomNearbyDirection(spread, previous);
        *vels[i] = static_cast<std::int32_t>(RandomWindSpeedForDirection(*dirs[i]) * factors[i]);
        previous = *dirs[i];
    }
}

void GenerateStationWindBands(RouteWeatherStation& s, std::int32_t elevation, std::int32_t h) {
    const std::int32_t m = FeetToMetres(elevation);
    const std::int32_t extra = h < 18000 ? 914 : 1829;
    s.WsBase = m;
    s.WsTop = s.W1Base = m + 914;
    s.W1Top = s.W2Base = s.W1Base + R() % 1829 + extra;
    s.W2Top = s.W3Base = s.W2Base + R() % 1829 + extra;
    s.W3Top = 13716;
}

double MilesBetween(std::int32_t x0, std::int32_t z0, std::int32_t x1, std::int32_t z1) {
    const double dx = static_cast<double>(x1) - x0;
    const double dz = static_cast<double>(z1) - z0;
    return std::sqrt(dx * dx + dz * dz) * kNauticalMilesPerUnit;
}

std::int32_t AirportRadius(double distance) {
    return std::max(static_cast<std::int32_t>(distance / 3), kMinimumRadius);
}

}  // namespace

int RouteBearing(std::int32_t x0, std::int32_t z0, std::int32_t x1, std::int32_t z1) {
    const double dx = static_cast<double>(x1) - x0;
    const double dz = static_cast<double>(z1) - z0;
    if (dx == 0 && dz == 0) return 360;
    const int a = static_cast<int>(std::atan2(dz, dx) * 57.29577951308232 + 0.5);
    return a <= 90 ? 90 - a : 450 - a;
}

std::int32_t CapCruiseAltitude(int aircraft, std::int32_t altitude) {
    switch (aircraft) {
        case 0:
            return std::min(altitude, 12000);
        case 1:
        case 2:
            return std::min(altitude, 16000);
        case 3:
        case 4:
            return std::min(altitude, 35000);
        default:
            return altitude;
    }
}

std::int32_t RoundCruiseAltitude(std::int32_t altitude) {
    const auto thousands = static_cast<std::int32_t>(altitude * 0.001 + 0.5) * 1000;
    if (altitude >= 18000) return thousands;
    // Visual altitudes end in 500: the threshold sits at 226 ft, not a quarter.
    const std::int32_t r = altitude % 1000;
    if (r > 226 && r <= 500) return thousands + 500;
    if (r > 500 && r <= 750) return thousands - 500;
    return thousands;
}

std::int32_t HemisphericCruiseAltitude(std::int32_t altitude, int magneticCourse, bool visual,
                                       std::int32_t ceiling) {
    const int eastbound = ((magneticCourse % 360) + 360) % 360 < 180 ? 1 : 0;
    std::int32_t best = 0;
    for (std::int32_t thousands = eastbound ? 1 : 2; thousands <= 60; thousands += 2) {
        std::int32_t candidate = thousands * 1000;
        if (visual && candidate + 500 < 18000) candidate += 500;
        if (candidate > ceiling && best != 0) break;
        if (best == 0 || std::abs(candidate - altitude) <= std::abs(best - altitude)) best = candidate;
    }
    return best;
}

RouteWeatherDraw GenerateRouteWeather(const RouteWeatherRequest& q) {
    RouteWeatherDraw out;
    RouteEnvironment& e = out.environment;
    DrawContext d;
    d.mode = q.ifr != 0 ? 2 : 1;
    d.departureElevation = q.departureElevation;
    d.destinationElevation = q.destinationElevation;
    d.averageElevation = (q.departureElevation + q.destinationElevation) / 2;
    out.distance = MilesBetween(q.departureX, q.departureZ, q.destinationX, q.destinationZ);

    const int course = RouteBearing(q.departureX, q.departureZ, q.destinationX, q.destinationZ);
    d.h = q.requestedAltitude + q.maxNodeElevation;
    out.uncappedCruise = d.h;
    // The altitude a pilot would file: the one of the hemispheric rule nearest the rounded one,
    // by the magnetic course (the grid's course less the variation and north parts there).
    const nav::GridValues grid = nav::theMapView.LookupGridValues(q.departureX, q.departureZ);
    const int magneticCourse = course - static_cast<int>(std::lround(
                                            (grid.variation + grid.north) * (360.0 / 65536.0)));
    out.cruiseAltitude = HemisphericCruiseAltitude(
        RoundCruiseAltitude(CapCruiseAltitude(q.aircraft, d.h)), magneticCourse, d.mode == 1,
        CapCruiseAltitude(q.aircraft, 60000));

    const double c = course * (1.0 / 180.0) * 3.14159265359;
    const auto rd = static_cast<std::int32_t>(q.departureRadius * 7.15);
    const auto rs = static_cast<std::int32_t>(q.destinationRadius * 7.15);
    e.enRouteX = static_cast<std::int32_t>(q.departureX + std::sin(c) * rd);
    e.enRouteZ = static_cast<std::int32_t>(rd * std::cos(c) + q.departureZ);
    e.destinationX = static_cast<std::int32_t>(q.destinationX - std::sin(c) * rs);
    e.destinationZ = static_cast<std::int32_t>(q.destinationZ - rs * std::cos(c));
    e.course = static_cast<std::int32_t>(course * 182.02);

    const int hourDraw = R() % 10;
    e.hour = static_cast<std::int8_t>(hourDraw < 8 ? 8 + hourDraw : 19);
    e.minute = static_cast<std::int8_t>(R() % 60);
    e.day = static_cast<std::int8_t>(R() % 30 + 1);
    e.month = static_cast<std::int8_t>(R() % 3 + 6);

    RouteWeatherStation* stations[3] = {&e.departure, &e.enRoute, &e.destination};
    for (RouteWeatherStation* s : stations) s->P = d.mode == 1 ? 14908 + R() % 1720 : 14499 + R() % 2540;
    for (RouteWeatherStation* s : stations) s->T = (R() % 11 + 10) * 256;

    SetFirstCloud(e.departure, d.mode == 1 ? DepartureCloudsVfr(d.h, d.mode, d.departureElevation)
                                           : DepartureCloudsIfr(d.h));
    if (out.distance >= 100.0)
        DeriveRouteClouds(e, d);
    else
        e.destination = e.enRoute = e.departure;

    const std::int32_t elevations[3] = {d.departureElevation, d.averageElevation, d.destinationElevation};
    world::WeatherState* weathers[3] = {&theDepartureWeather, &theEnrouteWeather, &theDestinationWeather};
    for (int i = 0; i < 3; ++i) {
        GenerateStationWinds(*stations[i], d.mode);
        GenerateStationWindBands(*stations[i], elevations[i], d.h);
        ApplyStationWinds(*stations[i], *weathers[i]);
    }
    return out;
}

// ---- briefing lines ------------------------------------------------------------------------------

std::vector<std::string> BriefingLines(const StationBriefing& b, const world::WeatherState& weather,
                                       BriefingStyle style) {
    const bool planning = style == BriefingStyle::kPlanning;
    std::vector<std::string> lines;
    char text[256];
    if (!b.title.empty())
        std::snprintf(text, sizeof text, "%s: Temperature %dC", b.title.c_str(), b.temperatureC);
    else
        std::snprintf(text, sizeof text, planning ? "Enroute Temperature %dC" : "Temperature %dC",
                      b.temperatureC);
    lines.emplace_back(text);

    const std::string surface = weather.GetWindLayer(0)->FormatText();
    // The page calls 1-2 eighths scattered and 7 overcast, the dialog 1-3 and only 8.
    const int broken = planning ? 3 : 4;
    const int overcast = planning ? 7 : 8;
    if (b.cover == 0)
        std::snprintf(text, sizeof text, "Altimeter %.2f  -  Clear  -  Surface Winds %s", b.altimeter,
                      surface.c_str());
    else if (b.cover < broken)
        std::snprintf(text, sizeof text, "Altimeter %.2f  -  %04d Scattered  -  Surface Winds %s",
                      b.altimeter, b.cloudBase, surface.c_str());
    else if (b.cover < overcast)
        std::snprintf(text, sizeof text, "Altimeter %.2f  -  Ceiling %04d Broken  -  Surface Winds %s",
                      b.altimeter, b.cloudBase, surface.c_str());
    else
        std::snprintf(text, sizeof text, "Altimeter %.2f  -  Ceiling %04d Overcast  -  Surface Winds %s",
                      b.altimeter, b.cloudBase, surface.c_str());
    lines.emplace_back(text);

    std::string line = "Winds Aloft (MSL): ";
    int count = planning ? 1 : 0;
    for (int k = 1; k < world::kWindLayers; ++k) {
        const world::WindLayer& layer = *weather.GetWindLayer(k);
        if (layer.GetBottomAltitude() < b.lowestAloft) continue;
        if (!planning && count % 3 != 0) line += " - ";
        line += layer.FormatText();
        ++count;
        if (count % 3 == 0) {
            lines.push_back(line);
            line = planning ? "" : "   ";
        } else if (planning && k != world::kWindLayers - 1) {
            line += " - ";
        }
    }
    if (line != "" && line != "   ") lines.push_back(line);
    return lines;
}

void WriteBriefingLines(win::HWND dialog, int listId, const std::vector<std::string>& lines) {
    win::SendDlgItemMessage(dialog, listId, win::LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        win::SendDlgItemMessage(dialog, listId, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(line.c_str()));
}

// ---- the page ------------------------------------------------------------------------------------

WeatherBriefing::WeatherBriefing() : ui::FakePropertyPage("FLIGHTPLANWEATHERPG", "Weather Briefing") {}

int WeatherBriefing::OnInitDialog(win::HWND dialog) {
    window = dialog;
    const int r = ui::FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20035);
    core::srand(seed != 0 ? seed : static_cast<std::uint32_t>(win::CalendarTime()));
    return r;
}

namespace {

// The directory's airport of a row: first runway position and field elevation; 0 when it
// cannot be read.
int DescribeAirport(nav::SmsDatabase* directory, const std::int32_t* row, std::int32_t* x,
                    std::int32_t* z, std::int32_t* elevation) {
    if (directory == nullptr || row == nullptr || directory->DescribeStation(*row, 0) == nullptr) return 0;
    *x = directory->shownX;
    *z = directory->shownZ;
    *elevation = directory->CurrentAirport().elevation;
    return 1;
}

std::string ListText(win::HWND list, std::int32_t row) {
    if (!list) return {};
    const auto length = win::SendMessage(list, win::LB_GETTEXTLEN, static_cast<win::WParam>(row), 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    win::SendMessage(list, win::LB_GETTEXT, static_cast<win::WParam>(row), reinterpret_cast<win::LParam>(text.data()));
    text.resize(text.find('\0'));
    return text;
}

}  // namespace

void WeatherBriefing::Generate() {
    RouteWeatherRequest q;
    q.ifr = links.ifr != nullptr ? *links.ifr : 0;
    q.aircraft = links.aircraft != nullptr ? *links.aircraft : 0;
    q.requestedAltitude = links.requestedAltitude != nullptr ? *links.requestedAltitude : 0;
    q.maxNodeElevation = links.workingPlan != nullptr ? links.workingPlan->GetMaxElevation() : 0;
    DescribeAirport(links.directory, links.departureRow, &q.departureX, &q.departureZ, &q.departureElevation);
    DescribeAirport(links.directory, links.destinationRow, &q.destinationX, &q.destinationZ,
                    &q.destinationElevation);
    q.departureRadius = links.departureRadius != nullptr ? *links.departureRadius : kMinimumRadius;
    q.destinationRadius = links.destinationRadius != nullptr ? *links.destinationRadius : kMinimumRadius;
    const RouteWeatherDraw draw = GenerateRouteWeather(q);
    mode = q.ifr != 0 ? 2 : 1;
    departureElevation = q.departureElevation;
    destinationElevation = q.destinationElevation;
    averageElevation = (departureElevation + destinationElevation) / 2;
    maxNodeElevation = q.maxNodeElevation;
    uncappedCruise = draw.uncappedCruise;
    distance = draw.distance;
    if (links.cruiseAltitude != nullptr) *links.cruiseAltitude = draw.cruiseAltitude;
    if (links.environment != nullptr) *links.environment = draw.environment;
    WriteBriefings();
}

void WeatherBriefing::WriteBriefings() {
    if (links.environment == nullptr || !window) return;
    const RouteEnvironment& e = *links.environment;
    const RouteWeatherStation* stations[3] = {&e.departure, &e.enRoute, &e.destination};
    const world::WeatherState* weathers[3] = {&theDepartureWeather, &theEnrouteWeather, &theDestinationWeather};
    const std::int32_t* rows[3] = {links.departureRow, nullptr, links.destinationRow};
    for (int i = 0; i < 3; ++i) {
        const RouteWeatherStation& s = *stations[i];
        StationBriefing b;
        if (rows[i] != nullptr) b.title = ListText(links.airportList, *rows[i]);
        b.temperatureC = s.T / 256;
        b.altimeter = 0.01 * (2800 + s.P * 800 / 65536);
        b.cover = s.C1Cover;
        b.cloudBase = s.C1Base;
        b.lowestAloft = MetresToFeet(s.WsBase) + 100;
        WriteBriefingLines(window, kBriefingLists[i], BriefingLines(b, *weathers[i], BriefingStyle::kPlanning));
    }
}

void WeatherBriefing::OnPageActivate(win::HWND, int) {
    if (firstShowing == 0 && theRouteChanged == 0) return;
    // The first showing always draws, also for a route whose airports are still unknown.
    const bool first = firstShowing != 0;
    firstShowing = 0;
    theRouteChanged = 0;
    std::int32_t dx = 0, dz = 0, sx = 0, sz = 0, elevation = 0;
    DescribeAirport(links.directory, links.departureRow, &dx, &dz, &elevation);
    DescribeAirport(links.directory, links.destinationRow, &sx, &sz, &elevation);
    distance = MilesBetween(dx, dz, sx, sz);
    const std::int32_t radius = AirportRadius(distance);
    for (auto [field, value] : {std::pair{kDepartureRadiusField, links.departureRadius},
                                std::pair{kDestinationRadiusField, links.destinationRadius}}) {
        if (value != nullptr) *value = radius;
        win::SetDlgItemInt(window, field, static_cast<unsigned>(radius), false);
    }
    if (!first && dx == lastDepartureX && dz == lastDepartureZ && sx == lastDestinationX &&
        sz == lastDestinationZ && lastCruise == uncappedCruise) {
        WriteBriefings();
        return;
    }
    lastDepartureX = dx;
    lastDepartureZ = dz;
    lastDestinationX = sx;
    lastDestinationZ = sz;
    lastCruise = uncappedCruise;
    Generate();
}

int WeatherBriefing::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if ((id == kDepartureRadiusField || id == kDestinationRadiusField) && notifyCode == win::EN_KILLFOCUS) {
        std::int32_t* radius = id == kDepartureRadiusField ? links.departureRadius : links.destinationRadius;
        // At most a third of the route, then at least 50 nm.
        const std::int32_t typed = static_cast<std::int32_t>(win::GetDlgItemInt(window, id, nullptr, false));
        const std::int32_t held = std::max(std::min(typed, static_cast<std::int32_t>(distance / 3)), kMinimumRadius);
        if (radius != nullptr) *radius = held;
        win::SetDlgItemInt(window, id, static_cast<unsigned>(held), false);
        return 1;
    }
    switch (id) {
        case kDrawAgainButton:
            Generate();
            return 1;
        case win::IDOK:
        case win::IDCANCEL:
        case ui::kCancelButtonId:
            return 1;
        default:
            return ui::FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

}  // namespace planning
