// The GPS pages' geometry and data: what the map centres on, where a world position lies on
// the map, distances and bearings as printed, the nearest item, airports' runway records from
// "flp.sms" (read once each), and the flight plan's leg in the navigation pages.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "cockpit/gps_display.h"
#include "core/endian.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"
#include "planning/planning_services.h"
#include "world/airport_objects.h"
#include "world/terrain_services.h"

namespace cockpit {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// The airports' cache is emptied when it grows past this many records.
constexpr std::size_t kAirportCacheLimit = 2048;

const planning::FlightPlan* NoPlan() {
    return nullptr;
}
const world::AirportObjectDatabase* NoObjects() {
    return nullptr;
}
int ReadSmsFile(std::uint32_t offset, std::uint8_t* buffer, int size) {
    core::ResourceVolume& file = nav::theSmsFile;
    if (offset > 0x7FFFFFFFu || !file.OpenFile(nav::kSmsFileName)) {
        file.CloseFile();
        return 0;
    }
    int read = 0;
    if (file.Seek(static_cast<std::int32_t>(offset))) read = file.ReadRecords(buffer, 1, size);
    file.CloseFile();
    return std::max(read, 0);
}
std::int16_t WorldVariation() {
    return world::theMagneticVariation;
}

std::int32_t PositionOf(int category, int index, bool x) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    switch (category) {
        case 0: return x ? db.airports[index].x : db.airports[index].z;
        case 1: return x ? db.vors[index].x : db.vors[index].z;
        case 2: return x ? db.ndbs[index].x : db.ndbs[index].z;
        default: return x ? db.waypoints[index].x : db.waypoints[index].z;
    }
}

int CountOf(int category) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    switch (category) {
        case 0: return db.AirportCount();
        case 1: return db.VorCount();
        case 2: return db.NdbCount();
        case 3: return db.WaypointCount();
        default: return 0;
    }
}

}  // namespace

GpsSources DefaultGpsSources() {
    return {&NoPlan, &NoObjects, &ReadSmsFile, &WorldVariation};
}
GpsSources theGpsSources = DefaultGpsSources();

GpsAirport ReadGpsAirport(std::uint32_t entryOffset,
                          int (*readSms)(std::uint32_t, std::uint8_t*, int)) {
    GpsAirport a;
    std::uint8_t head[nav::kSmsEntryHeadBytes];
    if (readSms == nullptr || readSms(entryOffset, head, sizeof head) != sizeof head) return a;
    if (nav::NavKindOfCode(head[0]) != nav::kSmsAirport) return a;
    const std::uint32_t recordOffset = core::ReadU32(head + 1);
    std::uint8_t header[nav::kSmsAirportHeaderBytes];
    if (readSms(recordOffset, header, sizeof header) != sizeof header) return a;
    a.header = nav::DecodeAirportHeader(header);
    // The rows the count promises must all have been read.
    const int count = a.header.runwayCount;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(count) * nav::kSmsRunwayBytes);
    if (count > 0 &&
        readSms(recordOffset + nav::kSmsAirportHeaderBytes, rows.data(),
                static_cast<int>(rows.size())) != static_cast<int>(rows.size()))
        return a;
    for (int i = 0; i < count; ++i) {
        a.runways.push_back(nav::DecodeRunwayRecord(rows.data() + i * nav::kSmsRunwayBytes));
        const nav::SmsRunwayRecord& r = a.runways.back();
        if (i == 0) a.minX = a.maxX = r.x, a.minZ = a.maxZ = r.z;
        a.minX = std::min(a.minX, r.x), a.maxX = std::max(a.maxX, r.x);
        a.minZ = std::min(a.minZ, r.z), a.maxZ = std::max(a.maxZ, r.z);
    }
    a.valid = true;
    return a;
}

int GpsTenthsOfMile(double dx, double dz) {
    const double d = std::sqrt(dx * dx + dz * dz) * 0.009941939075797343 * 1.2890625;
    return static_cast<int>((d + 0.5) * 0.0016469038208168643 + 0.5);
}

int GpsBearing(double dx, double dz, std::int16_t variation) {
    const double degrees = 90.0 - 360.0 * (std::atan2(dz, dx) / kTwoPi + variation / 65536.0);
    int b = static_cast<int>(std::lround(degrees));
    b %= 360;
    if (b <= 0) b += 360;
    return b;
}

void GpsDisplay::LoadArt() {
    core::ResourceVolume& volume = core::thePanelVolume;
    if (!smallFont) smallFont = volume.LoadFont("gps5.pft");
    if (!largeFont) largeFont = volume.LoadFont("gps7.pft");
    if (!symbolFont) symbolFont = volume.LoadFont("gpsSymbl.pft");
    if (!gpsPalette) gpsPalette = volume.LoadPalette("gps.pal", 0);
}

void GpsDisplay::ReleaseArt() {
    smallFont.reset();
    largeFont.reset();
    symbolFont.reset();
    gpsPalette.reset();
    airportCache.clear();
}

void GpsDisplay::SetFonts(std::unique_ptr<gfx::GFXFont> small, std::unique_ptr<gfx::GFXFont> large,
                          std::unique_ptr<gfx::GFXFont> symbols) {
    smallFont = std::move(small);
    largeFont = std::move(large);
    symbolFont = std::move(symbols);
    redrawNow = true;
}

void GpsDisplay::SetPageState(int newMode, int newPage, int newCategory, int newSelected,
                              std::uint32_t newLayers) {
    mode = std::clamp(newMode, 0, 2);
    pageNumber = std::clamp(newPage, 0, 8);
    category = std::clamp(newCategory, 0, 3);
    selected = newSelected;
    layers = newLayers;
    redrawNow = true;
}

int GpsDisplay::NearestItem(int cat) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const auto scan = [&](const auto& table) {
        int best = -1, i = 0;
        double bestDistance = 0;
        for (const auto& row : table) {
            const double dx = static_cast<double>(std::int64_t{row.x} - s.fmPosX);
            const double dz = static_cast<double>(std::int64_t{row.z} - s.fmPosZ);
            const double d = dx * dx + dz * dz;
            // A later item wins only when strictly nearer.
            if (best < 0 || d < bestDistance) best = i, bestDistance = d;
            ++i;
        }
        return best;
    };
    const nav::NavDatabase& db = nav::theNavDatabase;
    switch (cat) {
        case 0: return scan(db.airports);
        case 1: return scan(db.vors);
        case 2: return scan(db.ndbs);
        case 3: return scan(db.waypoints);
        default: return -1;
    }
}

const GpsAirport& GpsDisplay::Airport(int index) {
    const auto found = airportCache.find(index);
    if (found != airportCache.end()) return found->second;
    if (airportCache.size() >= kAirportCacheLimit) airportCache.clear();
    GpsAirport a;
    if (index >= 0 && index < nav::theNavDatabase.AirportCount())
        a = ReadGpsAirport(nav::theNavDatabase.airports[index].entryOffset, theGpsSources.readSms);
    return airportCache.emplace(index, std::move(a)).first->second;
}

double GpsDisplay::AirportFrameRange(int index) {
    const GpsAirport& a = Airport(index);
    if (!a.valid || a.runways.empty()) return 0.0;
    return std::hypot(static_cast<double>(a.maxX) - a.minX, static_cast<double>(a.maxZ) - a.minZ) *
           2.7913159026286485e-06;
}

void GpsDisplay::UpdateCentre() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    if (mode == 0) {
        // An index outside the table leaves the centre where it was.
        if (selected < 0 || selected >= CountOf(category)) return;
        centreX = PositionOf(category, selected, true);
        centreZ = PositionOf(category, selected, false);
        if (category == 0) {
            const GpsAirport& a = Airport(selected);
            if (a.valid && !a.runways.empty()) {
                centreX = static_cast<std::int32_t>((static_cast<std::int64_t>(a.minX) + a.maxX) / 2);
                centreZ = static_cast<std::int32_t>((static_cast<std::int64_t>(a.minZ) + a.maxZ) / 2);
            }
        }
        return;
    }
    centreX = s.fmPosX;
    centreZ = s.fmPosZ;
    if (mode == 1 && pageNumber == 5 && fromSlot.valid) centreX = fromSlot.x, centreZ = fromSlot.z;
    if (mode == 1 && pageNumber == 7 && toSlot.valid) centreX = toSlot.x, centreZ = toSlot.z;
}

void GpsDisplay::WorldToMap(double wx, double wz, int* px, int* py) const {
    const double dx = wx - centreX;
    const double dz = wz - centreZ;
    const double r = std::sqrt(dx * dx + dz * dz);
    // Clockwise from north on the world plane, then turned so that the map's top is the
    // aircraft's heading, or magnetic north on the north-up pages.
    const bool northUp = mode == 0 || pageNumber == 5 || pageNumber == 7;
    const double up = northUp ? theGpsSources.variation() * kTwoPi / 65536.0
                              : flight::theFlightModelState.fmHead * kTwoPi / 65536.0;
    const double a = std::atan2(dx, dz) - up;
    const double halfX = std::trunc(width / std::max(pixelsPerUnit, 1e-12)) / 2.0;
    const double halfZ = std::trunc(height / std::max(pixelsPerUnit, 1e-12)) / 2.0;
    *px = static_cast<int>((r * std::sin(a) + halfX) * pixelsPerUnit);
    *py = static_cast<int>((halfZ - r * std::cos(a)) * pixelsPerUnit);
    // En route, more of the map lies ahead.
    if (pageNumber == 6) *py += static_cast<int>((height - 5 - borderBottom - height / 2 - 15) * 0.75);
}

int GpsDisplay::FindWaypointIndex(int kind, const std::string& ident, int* category) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    auto find = [&](int cat, const auto& table, auto name) {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (name(table[i]) == ident) {
                *category = cat;
                return static_cast<int>(i);
            }
        return -1;
    };
    switch (kind) {
        case 1: return find(0, db.airports, [](const auto& r) { return r.ident; });
        case 2: return find(1, db.vors, [](const auto& r) { return r.ident; });
        case 3: return find(2, db.ndbs, [](const auto& r) { return r.ident; });
        case 6: return find(3, db.waypoints, [](const auto& r) { return r.name; });
        default: return -1;
    }
}

bool GpsDisplay::FindWaypoint(int kind, const std::string& ident, std::int32_t* x,
                              std::int32_t* z) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    int cat = 0;
    const int i = FindWaypointIndex(kind, ident, &cat);
    if (i < 0) return false;
    const auto at = [&](const auto& table) {
        *x = table[static_cast<std::size_t>(i)].x;
        *z = table[static_cast<std::size_t>(i)].z;
    };
    if (cat == 0) at(db.airports);
    else if (cat == 1) at(db.vors);
    else if (cat == 2) at(db.ndbs);
    else at(db.waypoints);
    return true;
}

void GpsDisplay::UpdateFlightPlanProgress() {
    if (mode != 1) return;
    const planning::FlightPlan* plan = theGpsSources.flightPlan();
    if (plan == nullptr || plan->active == 0 || plan->nodeCount <= 0) {
        pageNumber = 4;
        fromSlot = toSlot = {};
        return;
    }
    const int count = std::min(plan->nodeCount, planning::kMaxPlanNodes);
    const int leg = std::clamp(plan->currentNode, 0, count - 1);
    if (leg == 0 && pageNumber != 6) pageNumber = 5;
    else if (leg >= count - 2) pageNumber = 7;
    else pageNumber = 6;
    auto fill = [&](GpsWaypointSlot& slot, int index) {
        if (index >= count) {
            slot = {};
            return;
        }
        const planning::FlightPlanNode& node = plan->nodes[static_cast<std::size_t>(index)];
        if (slot.valid && slot.ident == node.ident) return;
        slot.ident = node.ident;
        slot.valid = FindWaypoint(node.kind, node.ident, &slot.x, &slot.z);
    };
    fill(fromSlot, leg);
    fill(toSlot, leg + 1);
}

}  // namespace cockpit
