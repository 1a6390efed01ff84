// The station layers of the map, the airways, the obstacles and a plan's route. Station places
// come from the navigation tables once and are kept (the tables do not change while the
// program runs); an airport's runways are read from the station directory the first time the
// map needs them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "nav/lat_lon.h"
#include "nav/map_palette.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"
#include "nav/variation_lookup.h"
#include "win/gdi_shapes.h"

namespace nav {

// The places and cells the view's station tables hold (its members' types, so not file-local).
struct MapPlace {
    double lat = 0.0;
    double lon = 0.0;
};

// Station rows by cells of a quarter degree, so a close view visits the few cells it covers.
struct MapCellIndex {
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> cells;
    std::size_t rows = 0;
};

namespace {

win::COLORREF Index(int i) {
    return win::PALETTEINDEX(static_cast<std::uint16_t>(i));
}

template <typename Row>
std::vector<MapPlace> PlacesOf(const std::vector<Row>& rows) {
    std::vector<MapPlace> out(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        WorldToLatLon(&out[i].lat, &out[i].lon, rows[i].x, rows[i].z);
    return out;
}

constexpr double kCellDegrees = 0.25;

std::int64_t CellKey(std::int64_t latCell, std::int64_t lonCell) {
    return (latCell << 32) ^ (lonCell & 0xFFFFFFFF);
}

MapCellIndex IndexOf(const std::vector<MapPlace>& places) {
    MapCellIndex index;
    index.rows = places.size();
    for (std::size_t i = 0; i < places.size(); ++i) {
        const MapPlace& p = places[i];
        if (!(std::abs(p.lat) <= 90.0 && std::abs(p.lon) <= 360.0)) continue;
        index.cells[CellKey(static_cast<std::int64_t>(std::floor(p.lat / kCellDegrees)),
                            static_cast<std::int64_t>(std::floor(p.lon / kCellDegrees)))]
            .push_back(static_cast<std::uint32_t>(i));
    }
    return index;
}

// The rows whose cells meet the box, in table order (stations draw over each other in that
// order); every row when the box covers much of the country.
const std::vector<std::uint32_t>& RowsIn(const MapCellIndex& index, double latLo, double latHi,
                                         double lonLo, double lonHi,
                                         std::vector<std::uint32_t>* out) {
    out->clear();
    const auto la = static_cast<std::int64_t>(std::floor(std::max(latLo, -90.0) / kCellDegrees));
    const auto lb = static_cast<std::int64_t>(std::floor(std::min(latHi, 90.0) / kCellDegrees));
    const auto oa = static_cast<std::int64_t>(std::floor(std::max(lonLo, -360.0) / kCellDegrees));
    const auto ob = static_cast<std::int64_t>(std::floor(std::min(lonHi, 360.0) / kCellDegrees));
    if ((lb - la + 1) * (ob - oa + 1) > 4000) {
        out->resize(index.rows);
        for (std::size_t i = 0; i < index.rows; ++i)
            (*out)[i] = static_cast<std::uint32_t>(i);
        return *out;
    }
    for (std::int64_t a = la; a <= lb; ++a)
        for (std::int64_t o = oa; o <= ob; ++o)
            if (auto it = index.cells.find(CellKey(a, o)); it != index.cells.end())
                out->insert(out->end(), it->second.begin(), it->second.end());
    std::sort(out->begin(), out->end());
    return *out;
}

// A pen and a brush of palette colours, selected for the life of the object.
class Tools {
public:
    Tools(win::HDC dc, int penColour, int brushColour, int penWidth = 1) : dc_(dc) {
        pen_ = win::CreatePen(win::PS_SOLID, penWidth, Index(penColour));
        oldPen_ = win::SelectObject(dc, pen_);
        if (brushColour >= 0) {
            brush_ = win::CreateSolidBrush(Index(brushColour));
            oldBrush_ = win::SelectObject(dc, brush_);
        } else {
            oldBrush_ = win::SelectObject(dc, win::HBRUSH{win::GetStockObject(win::HOLLOW_BRUSH).id});
        }
    }
    ~Tools() {
        win::SelectObject(dc_, oldPen_);
        win::SelectObject(dc_, oldBrush_);
        win::DeleteObject(pen_);
        if (brush_) win::DeleteObject(brush_);
    }
    Tools(const Tools&) = delete;
    Tools& operator=(const Tools&) = delete;

private:
    win::HDC dc_;
    win::HPEN pen_, oldPen_;
    win::HBRUSH brush_, oldBrush_;
};

void Text(win::HDC dc, int x, int y, std::uint32_t align, const std::string& text) {
    win::SetTextAlign(dc, align);
    win::TextOut(dc, x, y, text);
}

int TextWidth(win::HDC dc, const std::string& text) {
    win::SIZE size{};
    win::GetTextExtentPoint32(dc, text, &size);
    return size.cx;
}

// "%f" of the frequency in MHz, cut to six characters: 117.30 shows as "117.30".
std::string VorFrequencyText(std::int16_t hundredths) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<std::uint16_t>(hundredths) * 0.01);
    return std::string(text).substr(0, 6);
}

std::string AtisText(std::uint16_t bcd) {
    return bcd != 0 ? "ATIS " + FrequencyText(bcd) : std::string();
}

}  // namespace

struct MapView::StationPlaces {
    const void* keys[6] = {};
    std::size_t sizes[6] = {};
    std::vector<MapPlace> vors, ndbs, waypoints, airports, ils;
    MapCellIndex vorCells, ndbCells, waypointCells, airportCells, ilsCells;
    std::vector<std::uint32_t> visible;  // scratch of the layer being drawn
    std::vector<std::vector<MapPlace>> airways;
    struct Bounds {
        double latMin, latMax, lonMin, lonMax;
    };
    std::vector<Bounds> airwayBounds;
};

struct MapView::AirportRunways {
    bool read = false;  // the record was read (or found unreadable)
    bool ok = false;
    std::uint16_t atis = 0;
    struct End {
        MapPlace place;
        std::uint16_t width = 0;
    };
    std::vector<End> ends;
};

void AddAirwayLabel(std::vector<MapLabel>* labels, int x, int y, const std::string& name) {
    auto near = std::find_if(labels->begin(), labels->end(), [&](const MapLabel& l) {
        return std::abs(l.x - x) <= 4 && std::abs(l.y - y) <= 4;
    });
    if (near == labels->end()) {
        labels->push_back(MapLabel{x, y, name.substr(0, kMaxAirwayLabel)});
        return;
    }
    if (near->text.size() + 1 + name.size() > kMaxAirwayLabel) return;
    if (("-" + near->text + "-").find("-" + name + "-") != std::string::npos) return;
    near->text += "-" + name;
}

// The station caches are complete here.
MapView::MapView() = default;
MapView::~MapView() = default;

void MapView::ForgetStationCaches() {
    places.reset();
    runways.clear();
}

MapView::StationPlaces& MapView::Places() {
    const NavDatabase& db = theNavDatabase;
    const void* keys[6] = {db.vors.data(),      db.ndbs.data(), db.waypoints.data(),
                           db.airports.data(), db.ils.data(),  db.airways.data()};
    const std::size_t sizes[6] = {db.vors.size(), db.ndbs.size(), db.waypoints.size(),
                                  db.airports.size(), db.ils.size(), db.airways.size()};
    bool same = places != nullptr;
    for (int i = 0; same && i < 6; ++i)
        same = places->keys[i] == keys[i] && places->sizes[i] == sizes[i];
    if (same) return *places;
    auto p = std::make_unique<StationPlaces>();
    std::copy(std::begin(keys), std::end(keys), p->keys);
    std::copy(std::begin(sizes), std::end(sizes), p->sizes);
    p->vors = PlacesOf(db.vors);
    p->ndbs = PlacesOf(db.ndbs);
    p->waypoints = PlacesOf(db.waypoints);
    p->airports = PlacesOf(db.airports);
    p->ils = PlacesOf(db.ils);
    p->vorCells = IndexOf(p->vors);
    p->ndbCells = IndexOf(p->ndbs);
    p->waypointCells = IndexOf(p->waypoints);
    p->airportCells = IndexOf(p->airports);
    p->ilsCells = IndexOf(p->ils);
    p->airways.reserve(db.airways.size());
    for (const AirwayRecord& a : db.airways) {
        p->airways.push_back(PlacesOf(a.points));
        StationPlaces::Bounds b{90.0, -90.0, 1e9, -1e9};
        for (const MapPlace& q : p->airways.back()) {
            b.latMin = std::min(b.latMin, q.lat);
            b.latMax = std::max(b.latMax, q.lat);
            b.lonMin = std::min(b.lonMin, q.lon);
            b.lonMax = std::max(b.lonMax, q.lon);
        }
        p->airwayBounds.push_back(b);
    }
    places = std::move(p);
    runways.clear();
    runways.resize(db.airports.size());
    return *places;
}

const MapView::AirportRunways& MapView::RunwaysOf(int airportRow) {
    Places();
    std::unique_ptr<AirportRunways>& slot = runways[static_cast<std::size_t>(airportRow)];
    if (!slot) slot = std::make_unique<AirportRunways>();
    if (slot->read) return *slot;
    slot->read = true;
    ++airportRecordReads;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    if (!theSmsDatabase.ReadAirportRecord(airportRow, &entry, &header, &rows)) return *slot;
    slot->ok = true;
    slot->atis = header.atis;
    for (const SmsRunwayRecord& r : rows) {
        AirportRunways::End e;
        WorldToLatLon(&e.place.lat, &e.place.lon, r.x, r.z);
        e.width = r.width;
        slot->ends.push_back(e);
    }
    return *slot;
}

void MapView::DrawSmallLabel(win::HDC dc, const std::string& text, int x, int y) {
    const win::HFONT old = win::SelectObject(dc, smallFont);
    Text(dc, x, y + 16, win::TA_CENTER | win::TA_TOP, text);
    win::SelectObject(dc, old);
}

// ---- VORs, NDBs, waypoints -----------------------------------------------------------------------

void MapView::DrawVors(win::HDC dc) {
    StationPlaces& p = Places();
    const std::vector<VorRecord>& rows = theNavDatabase.vors;
    for (const std::uint32_t i : RowsIn(p.vorCells, bottomLat, topLat, rightLon, leftLon, &p.visible)) {
        int x, y;
        if (!ProjectStation(p.vors[i].lat, p.vors[i].lon, &x, &y)) continue;
        const bool lit = vorInfoTool && highlightSet && rows[i].ident == highlightIdent;
        const win::COLORREF colour = Index(lit ? kMapHighlight : kMapVorColour);
        win::SetPixel(dc, x, y, colour);
        if (zoom >= 4) {
            for (int dx = -2; dx <= 2; ++dx) {
                win::SetPixel(dc, x + dx, y - 4, colour);
                win::SetPixel(dc, x + dx, y + 4, colour);
            }
            for (int s : {-1, 1}) {
                win::SetPixel(dc, x + 4 * s, y, colour);
                for (int dy : {-1, 1}) {
                    win::SetPixel(dc, x + 3 * s, y + dy, colour);
                    win::SetPixel(dc, x + 3 * s, y + 2 * dy, colour);
                    win::SetPixel(dc, x + 2 * s, y + 3 * dy, colour);
                }
            }
            win::SetTextColor(dc, colour);
            Text(dc, x, y + 5, win::TA_CENTER | win::TA_TOP, rows[i].ident);
            if (showFrequencies) DrawSmallLabel(dc, VorFrequencyText(rows[i].frequency), x, y);
        }
        if (zoom > 2) vorHits.push_back(MapPointHit{rows[i].ident, x, y, static_cast<int>(i)});
    }
}

void MapView::DrawNdbs(win::HDC dc) {
    StationPlaces& p = Places();
    const std::vector<NdbRecord>& rows = theNavDatabase.ndbs;
    Tools tools(dc, kMapNdbColour, -1);
    win::SetTextColor(dc, Index(kMapNdbColour));
    for (const std::uint32_t i : RowsIn(p.ndbCells, bottomLat, topLat, rightLon, leftLon, &p.visible)) {
        int x, y;
        if (!ProjectStation(p.ndbs[i].lat, p.ndbs[i].lon, &x, &y)) continue;
        win::SetPixel(dc, x, y, Index(kMapNdbColour));
        if (zoom >= 4) {
            win::Ellipse(dc, x - 4, y - 4, x + 5, y + 5);
            Text(dc, x - 13, y + 5, win::TA_LEFT | win::TA_TOP, rows[i].ident);
            if (showFrequencies) DrawSmallLabel(dc, std::to_string(rows[i].frequency), x, y);
        }
        if (zoom > 2) ndbHits.push_back(MapPointHit{rows[i].ident, x, y, static_cast<int>(i)});
    }
}

void MapView::DrawWaypoints(win::HDC dc) {
    StationPlaces& p = Places();
    const std::vector<WaypointRecord>& rows = theNavDatabase.waypoints;
    Tools tools(dc, kMapWaypointColour, -1);
    win::SetTextColor(dc, Index(kMapWaypointColour));
    for (const std::uint32_t i : RowsIn(p.waypointCells, bottomLat, topLat, rightLon, leftLon, &p.visible)) {
        int x, y;
        if (!ProjectStation(p.waypoints[i].lat, p.waypoints[i].lon, &x, &y)) continue;
        if (zoom < 4) {
            win::SetPixel(dc, x, y, Index(kMapWaypointColour));
        } else {
            const win::POINT triangle[4] = {{x - 4, y + 4}, {x + 4, y + 4}, {x, y - 4}, {x - 4, y + 4}};
            win::Polyline(dc, triangle, 4);
            Text(dc, x, y + 5, win::TA_CENTER | win::TA_TOP, rows[i].name);
        }
        if (zoom > 2) waypointHits.push_back(MapPointHit{rows[i].name, x, y, static_cast<int>(i)});
    }
}

// ---- Airports --------------------------------------------------------------------------------------

void MapView::DrawAirports(win::HDC dc) {
    StationPlaces& p = Places();
    const std::vector<AirportIndexRecord>& rows = theNavDatabase.airports;
    const MapZoomLevel& z = kMapZoomTable[std::clamp(zoom, 0, kMapZoomLevels - 1)];
    // Close in, airports up to a view's span outside it send their runways into it.
    const MapZoomLevel pad = zoom >= 5 ? z : MapZoomLevel{"", 0.0, 0.0, 1, 1};
    for (const std::uint32_t i : RowsIn(p.airportCells, bottomLat - pad.latSpan, topLat + pad.latSpan, rightLon - pad.lonSpan,
                               leftLon + pad.lonSpan, &p.visible)) {
        const MapPlace& at = p.airports[i];
        const bool lit = airportInfoTool && highlightSet && rows[i].ident == highlightIdent;
        const int colour = lit ? kMapHighlight : kMapAirportColour;
        if (zoom <= 4) {
            int x, y;
            if (!ProjectStation(at.lat, at.lon, &x, &y)) continue;
            if (zoom <= 3) {
                win::SetPixel(dc, x, y, Index(colour));
            } else {
                Tools tools(dc, colour, -1);
                win::Ellipse(dc, x - 4, y - 4, x + 5, y + 5);
                const int ticks[4][4] = {{x, y - 5, x, y - 8}, {x, y + 5, x, y + 8},
                                         {x + 5, y, x + 8, y}, {x - 5, y, x - 8, y}};
                for (const auto& t : ticks) {
                    win::MoveToEx(dc, t[0], t[1], nullptr);
                    win::LineTo(dc, t[2], t[3]);
                }
                win::SetTextColor(dc, Index(colour));
                Text(dc, x, y + 5, win::TA_CENTER | win::TA_TOP, rows[i].ident);
                if (showFrequencies) {
                    const AirportRunways& r = RunwaysOf(static_cast<int>(i));
                    if (r.atis != 0) DrawSmallLabel(dc, AtisText(r.atis), x, y);
                }
            }
            if (zoom > 2)
                airportHits.push_back(
                    MapBoxHit{rows[i].ident, x + 15, y + 15, x - 15, y - 4, static_cast<int>(i)});
            continue;
        }
        // Close in: the runways, for airports up to a view's span outside the view.
        if (!(at.lat < topLat + z.latSpan && at.lat > bottomLat - z.latSpan &&
              at.lon < leftLon + z.lonSpan && at.lon > rightLon - z.lonSpan))
            continue;
        const AirportRunways& r = RunwaysOf(static_cast<int>(i));
        if (r.ends.size() < 2) continue;
        int minX = 0, maxX = 0, minY = 0, maxY = 0;
        bool drawn = false;
        // The rows come in pairs, one per end; each runway is drawn from threshold to threshold.
        for (std::size_t k = 0; k + 1 < r.ends.size(); k += 2) {
            int width = zoom == 5 ? 1 : 2;
            if (zoom == 7) {
                // The pair's first row gives the width in feet; at this zoom the pen keeps the
                // airport colour, so a highlight shows in the label only.
                const int feet = r.ends[k].width;
                width = feet > 188 ? 9 : feet > 166 ? 8 : feet > 144 ? 7 : feet > 121 ? 6
                      : feet > 99  ? 5 : feet > 77  ? 4 : feet > 55  ? 3 : 2;
            }
            int x1 = LongitudeToPixel(r.ends[k].place.lon);
            int y1 = LatitudeToPixel(r.ends[k].place.lat);
            int x2 = LongitudeToPixel(r.ends[k + 1].place.lon);
            int y2 = LatitudeToPixel(r.ends[k + 1].place.lat);
            if (!ClipSegment(&x1, &y1, &x2, &y2)) continue;
            Tools tools(dc, zoom == 7 ? kMapAirportColour : colour, -1, width);
            win::MoveToEx(dc, x1, y1, nullptr);
            win::LineTo(dc, x2, y2);
            if (!drawn) {
                minX = maxX = x1;
                minY = maxY = y1;
                drawn = true;
            }
            minX = std::min({minX, x1, x2});
            maxX = std::max({maxX, x1, x2});
            minY = std::min({minY, y1, y2});
            maxY = std::max({maxY, y1, y2});
        }
        if (!drawn) continue;
        const int cx = (minX + maxX) / 2, top = maxY + 3;
        win::SetTextColor(dc, Index(colour));
        Text(dc, cx, top, win::TA_CENTER | win::TA_TOP, rows[i].ident);
        win::TEXTMETRIC tm;
        win::GetTextMetrics(dc, &tm);
        int half = TextWidth(dc, rows[i].ident) / 2, bottom = top + tm.tmHeight;
        if (showFrequencies && r.atis != 0) {
            const std::string atis = AtisText(r.atis);
            DrawSmallLabel(dc, atis, cx, top);
            const win::HFONT old = win::SelectObject(dc, smallFont);
            half = std::max(half, TextWidth(dc, atis) / 2);
            win::GetTextMetrics(dc, &tm);
            bottom = std::max(bottom, top + 16 + tm.tmHeight);
            win::SelectObject(dc, old);
        }
        airportHits.push_back(MapBoxHit{rows[i].ident, std::max(maxX, cx + half) + 1, bottom,
                                        std::min(minX, cx - half) - 1, minY - 1,
                                        static_cast<int>(i)});
    }
}

// ---- Localizers --------------------------------------------------------------------------------------

void MapView::DrawLocalizers(win::HDC dc) {
    StationPlaces& p = Places();
    const std::vector<IlsRecord>& rows = theNavDatabase.ils;
    const int l1 = zoom == 5 ? 15 : zoom == 6 ? 20 : 150;
    const int l2 = zoom == 5 ? 17 : zoom == 6 ? 22 : 158;
    for (const std::uint32_t i : RowsIn(p.ilsCells, bottomLat, topLat, rightLon, leftLon, &p.visible)) {
        int x, y;
        if (!ProjectStation(p.ils[i].lat, p.ils[i].lon, &x, &y)) continue;
        // The feather points away from the runway along the course's reciprocal. The course is
        // a direction on the world grid; the map's up is true north, which lies the grid's
        // north part away from the grid's.
        const GridValues g = LookupGridValues(rows[i].x, rows[i].z);
        const double b =
            static_cast<std::uint16_t>(rows[i].course - g.north) * 360.0 / 65536.0 + 180.0;
        auto point = [&](double bearing, int length) {
            const double r = bearing * 3.14159265359 / 180.0;
            return win::POINT{x + static_cast<int>(std::lround(length * std::sin(r))),
                              y - static_cast<int>(std::lround(length * std::cos(r)))};
        };
        const win::POINT a{x, y}, first = point(b + 5.0, l2), middle = point(b, l1),
                         last = point(b - 5.0, l2);
        {
            Tools tools(dc, kMapFeatherLeft, kMapFeatherLeft);
            const win::POINT left[3] = {a, first, middle};
            win::Polygon(dc, left, 3);
        }
        {
            Tools tools(dc, kMapFeatherRight, kMapFeatherRight);
            const win::POINT right[3] = {a, middle, last};
            win::Polygon(dc, right, 3);
        }
        const bool lit = approachInfoTool && highlightSet && rows[i].ident == highlightIdent;
        win::SetTextColor(dc, Index(lit ? kMapHighlight : kMapFeatherLeft));
        Text(dc, x, y + 5, win::TA_CENTER | win::TA_TOP, rows[i].ident);
        win::TEXTMETRIC tm;
        win::GetTextMetrics(dc, &tm);
        int half = TextWidth(dc, rows[i].ident) / 2, bottom = y + 5 + tm.tmHeight;
        if (showFrequencies) {
            const std::string text = VorFrequencyText(rows[i].frequency);
            DrawSmallLabel(dc, text, x, y + 5);
            const win::HFONT old = win::SelectObject(dc, smallFont);
            half = std::max(half, TextWidth(dc, text) / 2);
            win::GetTextMetrics(dc, &tm);
            bottom = std::max(bottom, y + 21 + tm.tmHeight);
            win::SelectObject(dc, old);
        }
        const int left = std::min({first.x, middle.x, last.x, x - half});
        const int right = std::max({first.x, middle.x, last.x, x + half});
        const int top = std::min({first.y, middle.y, last.y, y});
        bottom = std::max({bottom, first.y, middle.y, last.y});
        localizerHits.push_back(
            MapBoxHit{rows[i].ident, right + 1, bottom + 1, left - 1, top - 1, static_cast<int>(i)});
    }
}

// ---- Airways -----------------------------------------------------------------------------------------

void MapView::DrawAirways(win::HDC dc) {
    const StationPlaces& p = Places();
    const std::vector<AirwayRecord>& airways = theNavDatabase.airways;
    std::vector<MapLabel> labels;
    const MapZoomLevel& z = kMapZoomTable[std::clamp(zoom, 0, kMapZoomLevels - 1)];
    const double padLat = 4.0 * z.latSpan / (height - 2.0 * margin);
    const double padLon = 4.0 * z.lonSpan / (width - 2.0 * margin);
    {
        Tools tools(dc, kMapAirwayColour, -1);
        for (std::size_t a = 0; a < airways.size(); ++a) {
            // An airway whose bounds miss the view (widened by a few pixels, as truncation
            // brings points just outside onto the edge) has no segment in it.
            const StationPlaces::Bounds& b = p.airwayBounds[a];
            if (b.latMax < bottomLat - padLat || b.latMin > topLat + padLat ||
                b.lonMax < rightLon - padLon || b.lonMin > leftLon + padLon)
                continue;
            const std::vector<MapPlace>& points = p.airways[a];
            const std::string name = "V" + std::to_string(airways[a].identifier);
            for (std::size_t k = 0; k + 1 < points.size(); ++k) {
                int x1 = LongitudeToPixel(points[k].lon), y1 = LatitudeToPixel(points[k].lat);
                int x2 = LongitudeToPixel(points[k + 1].lon);
                int y2 = LatitudeToPixel(points[k + 1].lat);
                if (!ClipSegment(&x1, &y1, &x2, &y2)) continue;
                win::MoveToEx(dc, x1, y1, nullptr);
                win::LineTo(dc, x2, y2);
                if (zoom >= 5) AddAirwayLabel(&labels, (x1 + x2) / 2, (y1 + y2) / 2, name);
            }
        }
    }
    if (labels.empty()) return;
    const win::HFONT old = win::SelectObject(dc, smallFont);
    win::SetTextColor(dc, Index(kMapAirwayColour));
    for (const MapLabel& l : labels)
        Text(dc, l.x, l.y - 3, win::TA_CENTER | win::TA_BOTTOM, l.text);
    win::SelectObject(dc, old);
}

// ---- Obstacles ---------------------------------------------------------------------------------------

void MapView::DrawObstacles(win::HDC dc) {
    if (theMapObstacleSource == nullptr) return;
    const double corners[4][2] = {
        {topLat, leftLon}, {topLat, rightLon}, {bottomLat, leftLon}, {bottomLat, rightLon}};
    std::vector<std::pair<int, int>> done;
    for (const auto& c : corners) {
        std::int32_t wx = 0, wz = 0;
        LatLonToWorld(&wx, &wz, c[0], c[1]);
        std::uint16_t column = 0, row = 0;
        std::uint32_t ox = 0, oz = 0;
        WorldToGridTile(wx, wz, &column, &row, &ox, &oz);
        const std::pair<int, int> tile{column, row};
        if (std::find(done.begin(), done.end(), tile) != done.end()) continue;
        done.push_back(tile);
        DrawObstacleTile(dc, column, row);
    }
}

void MapView::DrawObstacleTile(win::HDC dc, int column, int row) {
    std::vector<MapObstacle> list;
    theMapObstacleSource(column, row, &list);
    Tools tools(dc, kMapObstacleColour, -1);
    for (const MapObstacle& o : list) {
        // Grid units from the grid's origin, then world units.
        const double gx = column * 1048576.0 + o.x, gz = row * 1048576.0 + o.z;
        const double wx = (gx - 0x900000) * 100.584, wz = (gz - 0x500000) * 100.584;
        if (!(std::abs(wx) < 2147483647.0 && std::abs(wz) < 2147483647.0)) continue;
        double lat = 0.0, lon = 0.0;
        WorldToLatLon(&lat, &lon, static_cast<std::int32_t>(wx), static_cast<std::int32_t>(wz));
        int x, y;
        if (!ProjectStation(lat, lon, &x, &y)) continue;
        win::SetPixel(dc, x, y, Index(kMapObstacleColour));
        const win::POINT v[3] = {{x - 4, y}, {x, y - 8}, {x + 4, y}};
        win::Polyline(dc, v, 3);
    }
}

// ---- The route --------------------------------------------------------------------------------------

void MapView::BuildRoute(const std::vector<MapRouteNode>& plan) {
    const StationPlaces& p = Places();
    const NavDatabase& db = theNavDatabase;
    route.clear();
    // Nodes are looked up by ident (plan files keep idents), the first row that has it.
    auto find = [](const auto& rows, const std::string& ident, auto identOf) -> int {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (identOf(rows[i]) == ident) return static_cast<int>(i);
        return -1;
    };
    for (const MapRouteNode& node : plan) {
        const MapPlace* at = nullptr;
        int row = -1;
        switch (node.kind) {
            case kMapItemAirport:
                row = find(db.airports, node.ident, [](const auto& r) { return r.ident; });
                if (row >= 0) at = &p.airports[static_cast<std::size_t>(row)];
                break;
            case kMapItemVor:
                row = find(db.vors, node.ident, [](const auto& r) { return r.ident; });
                if (row >= 0) at = &p.vors[static_cast<std::size_t>(row)];
                break;
            case kMapItemNdb:
                row = find(db.ndbs, node.ident, [](const auto& r) { return r.ident; });
                if (row >= 0) at = &p.ndbs[static_cast<std::size_t>(row)];
                break;
            case kMapItemWaypoint:
                row = find(db.waypoints, node.ident, [](const auto& r) { return r.name; });
                if (row >= 0) at = &p.waypoints[static_cast<std::size_t>(row)];
                break;
            default:
                break;
        }
        if (at != nullptr) route.push_back(RouteNode{at->lat, at->lon, node.kind, node.ident});
    }
    if (route.empty() || keepView || keepViewToo) return;
    double latMin = route[0].lat, latMax = latMin, lonMin = route[0].lon, lonMax = lonMin;
    for (const RouteNode& n : route) {
        latMin = std::min(latMin, n.lat);
        latMax = std::max(latMax, n.lat);
        lonMin = std::min(lonMin, n.lon);
        lonMax = std::max(lonMax, n.lon);
    }
    for (int level = kMapZoomLevels - 1; level >= 0; --level) {
        const MapZoomLevel& z = kMapZoomTable[level];
        if (z.latSpan > latMax - latMin && z.lonSpan > lonMax - lonMin) {
            previousZoom = zoom;
            zoom = level;
            centreLat = (latMin + latMax) / 2.0;
            centreLon = (lonMin + lonMax) / 2.0;
            SetView(level, 0, 0, 0);
            return;
        }
    }
}

void MapView::DrawRoute(win::HDC dc, const std::vector<MapRouteNode>&) {
    if (route.empty()) return;
    std::vector<win::POINT> at(route.size());
    for (std::size_t i = 0; i < route.size(); ++i)
        at[i] = win::POINT{LongitudeToPixel(route[i].lon), LatitudeToPixel(route[i].lat)};
    {
        Tools legs(dc, kMapRouteColour, -1);
        for (std::size_t i = 0; i + 1 < route.size(); ++i) {
            int x1 = at[i].x, y1 = at[i].y, x2 = at[i + 1].x, y2 = at[i + 1].y;
            if (!ClipSegment(&x1, &y1, &x2, &y2)) continue;
            win::MoveToEx(dc, x1, y1, nullptr);
            win::LineTo(dc, x2, y2);
        }
    }
    Tools marks(dc, kMapFeatherLeft, -1);
    for (std::size_t i : {std::size_t{0}, route.size() - 1})
        if (InsideView(route[i].lat, route[i].lon))
            win::Ellipse(dc, at[i].x - 3, at[i].y - 3, at[i].x + 4, at[i].y + 4);
    win::SetTextColor(dc, Index(kMapFeatherLeft));
    for (std::size_t i = 0; i < route.size(); ++i) {
        if (!InsideView(route[i].lat, route[i].lon)) continue;
        if (zoom >= 4) {
            // Close in, a node on a layer that is on is labelled by its layer already.
            const int k = route[i].kind;
            const bool own = (k == kMapItemAirport && showAirports) || (k == kMapItemVor && showVors) ||
                             (k == kMapItemNdb && showNdbs) || (k == kMapItemWaypoint && showWaypoints);
            if (own) continue;
        }
        Text(dc, at[i].x, at[i].y + 5, win::TA_CENTER | win::TA_TOP, route[i].ident);
    }
    Tools fill(dc, kMapFeatherLeft, kMapBlack);
    for (const win::POINT& q : at)
        win::Ellipse(dc, q.x - 2, q.y - 2, q.x + 3, q.y + 3);
}

}  // namespace nav
