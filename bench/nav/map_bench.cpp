// The map against plain peers measured in the same run, over the starter installation's data
// around Los Angeles (the densest area), every station layer and the airways on:
// - Redraw at zooms 0, 4, 5 and 7 against drawing the same grid, clipped outline segments,
//   station symbols (each kind as the map draws it, in palette colours), labels and airway
//   segments with no layer logic (goal: within 1.5, 1.6, 1.8 and 1.9 times at zooms 0, 4, 5
//   and 7; the reference's pixels must come within a fifth of the map's, or the benchmark
//   fails), the milliseconds beside it; the counter opens_per_redraw is the station-directory reads
//   each redraw made (the records are kept after the first);
// - a drag step (background and symbol) against a memcpy of the picture (goal: within
//   2 memcpys);
// - loading the four outline files against reading their bytes through the same volume (goal:
//   within 1.2 reads).
// Each counts what it drew, copied or read and fails when there was nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/resource_volume.h"
#include "core/stream_io.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "nav/map_palette.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "platform/file_system.h"
#include "win/gdi_shapes.h"

namespace {

namespace fs = std::filesystem;

constexpr double kLaLat = 33.95;
constexpr double kLaLon = 118.35;

// The installation beside the benchmark (build/bin/.. /install), opened once.
struct Installation {
    bool ok = false;
    Installation() {
        const fs::path install = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "install";
        if (!fs::exists(install / "Data" / "Data.Vol")) return;
        fs::current_path(install);
        platform::ForgetFolderListings();
        core::OpenGlobalVolumes();
        ok = nav::LoadNavVors() && nav::LoadNavNdbs() && nav::LoadNavIls() &&
             nav::LoadNavAirports() && nav::LoadNavWaypoints() && nav::LoadNavAirways();
        nav::LatLonToWorld(&flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ,
                           kLaLat, kLaLon);
        nav::MapView& m = nav::theMapView;
        m.InitForPositionAircraft();
        m.showAirports = m.showVors = m.showNdbs = m.showLocalizers = 1;
        m.showAirways = m.showWaypoints = m.showFrequencies = 1;
    }
};

bool Ready(benchmark::State& state) {
    static Installation installation;
    if (!installation.ok) state.SkipWithError("the starter installation is not built");
    return installation.ok;
}

void ShowZoom(int zoom) {
    nav::MapView& m = nav::theMapView;
    m.previousZoom = m.zoom;
    m.zoom = zoom;
    m.centreLat = kLaLat;
    m.centreLon = kLaLon;
    m.SetView(zoom, 0, 0, 0);
    m.Redraw();  // the caches warm before the timing
}

std::size_t Drawn() {
    const nav::MapView& m = nav::theMapView;
    return m.vorHits.size() + m.ndbHits.size() + m.airportHits.size() + m.waypointHits.size() +
           m.localizerHits.size();
}

// Pixels of the map's picture in any but its commonest index (the land or sea it is drawn on):
// what the redraw put there.
std::size_t PixelsDrawn() {
    win::BITMAP bm;
    if (!win::GetObject(nav::theMapView.drawingBitmap, &bm) || bm.bmBits == nullptr) return 0;
    std::array<std::size_t, 256> count{};
    const auto* bits = static_cast<const std::uint8_t*>(bm.bmBits);
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            ++count[bits[y * bm.bmWidthBytes + x]];
    const std::size_t all = static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight);
    return all - *std::max_element(count.begin(), count.end());
}


// The same picture's elements, found once, then drawn with no layer logic: the background, the
// grid, the outline and airway segments as clipped, a symbol and a label per station the map listed (or
// a pixel per station at the wide zooms) and the runway lines of the listed airports.
struct Reference {
    std::vector<win::POINT> segments;  // pairs
    std::vector<win::POINT> points;
    std::vector<nav::MapPointHit> roses;      // VORs: a ring of pixels
    std::vector<nav::MapPointHit> circles;    // NDBs
    std::vector<nav::MapPointHit> triangles;  // waypoints
    std::vector<nav::MapBoxHit> boxes;
};

Reference Collect() {
    const nav::MapView& m = nav::theMapView;
    Reference r;
    auto segmentsOf = [&](const std::vector<nav::MapOutlinePoint>& pts) {
        bool have = false;
        win::POINT prev{};
        for (const nav::MapOutlinePoint& p : pts) {
            if (nav::IsPenUp(p)) {
                have = false;
                continue;
            }
            const win::POINT q{m.LongitudeToPixel(p.lon), m.LatitudeToPixel(p.lat)};
            if (have) {
                int x1 = prev.x, y1 = prev.y, x2 = q.x, y2 = q.y;
                if (m.ClipSegment(&x1, &y1, &x2, &y2)) {
                    r.segments.push_back({x1, y1});
                    r.segments.push_back({x2, y2});
                }
            }
            prev = q;
            have = true;
        }
    };
    // The grid: whole multiples of the zoom's step, across the view inside its margin.
    const nav::MapZoomLevel& z = nav::kMapZoomTable[std::clamp(m.zoom, 0, nav::kMapZoomLevels - 1)];
    const int lo = static_cast<int>(m.margin);
    for (int i = static_cast<int>(z.multiplier * m.topLat);
         i >= static_cast<int>(z.multiplier * m.bottomLat); --i) {
        const int y = m.LatitudeToPixel(static_cast<double>(i) / z.multiplier);
        if (i % z.step != 0 || y < lo || y >= m.height - lo) continue;
        r.segments.push_back({lo, y});
        r.segments.push_back({m.width - lo, y});
    }
    for (int i = static_cast<int>(z.multiplier * m.leftLon);
         i >= static_cast<int>(z.multiplier * m.rightLon); --i) {
        const int x = m.LongitudeToPixel(static_cast<double>(i) / z.multiplier);
        if (i % z.step != 0 || x < lo || x >= m.width - lo) continue;
        r.segments.push_back({x, lo});
        r.segments.push_back({x, m.height - lo});
    }
    segmentsOf(m.states);
    if (m.zoom < 4) segmentsOf(m.coast);
    if (m.zoom >= 4) {
        segmentsOf(m.water);
        segmentsOf(m.detailCoast);
    }
    for (const nav::AirwayRecord& a : nav::theNavDatabase.airways) {
        std::vector<nav::MapOutlinePoint> pts;
        for (const nav::WaypointRecord& w : a.points) {
            double lat, lon;
            nav::WorldToLatLon(&lat, &lon, w.x, w.z);
            pts.push_back({static_cast<float>(lat), static_cast<float>(lon)});
        }
        segmentsOf(pts);
    }
    auto pointsOf = [&](const auto& rows) {
        for (const auto& row : rows) {
            double lat, lon;
            nav::WorldToLatLon(&lat, &lon, row.x, row.z);
            if (m.InsideView(lat, lon)) r.points.push_back({m.LongitudeToPixel(lon), m.LatitudeToPixel(lat)});
        }
    };
    if (m.zoom < 3) {
        pointsOf(nav::theNavDatabase.vors);
        pointsOf(nav::theNavDatabase.ndbs);
        pointsOf(nav::theNavDatabase.airports);
        pointsOf(nav::theNavDatabase.waypoints);
    }
    r.roses = m.vorHits;
    r.circles = m.ndbHits;
    r.triangles = m.waypointHits;
    for (const auto* list : {&m.airportHits, &m.localizerHits})
        r.boxes.insert(r.boxes.end(), list->begin(), list->end());
    return r;
}

// Draws the reference picture once; the items drawn.
std::size_t DrawReference(const Reference& r) {
    nav::MapView& m = nav::theMapView;
    const win::HDC dc = m.memoryDc;
    const win::HDC back = win::CreateCompatibleDC(win::HDC{});
    const win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, win::PALETTEINDEX(nav::kMapWaterColour));
    const win::HBITMAP old = win::SelectObject(dc, m.drawingBitmap);
    const win::HBITMAP oldBack = win::SelectObject(back, m.templateBitmap);
    win::BitBlt(dc, 0, 0, m.width, m.height, back, 0, 0, win::SRCCOPY);
    win::SelectObject(back, oldBack);
    const win::HPEN oldPen = win::SelectObject(dc, pen);
    const win::HFONT oldFont = win::SelectObject(dc, m.labelFont);
    // The map's own tools: outlined symbols and labels in palette colours over what is there
    // (a colour given as red, green and blue would be matched to the palette on every call).
    const win::HBRUSH oldBrush =
        win::SelectObject(dc, win::HBRUSH{win::GetStockObject(win::HOLLOW_BRUSH).id});
    win::SetTextColor(dc, win::PALETTEINDEX(nav::kMapVorColour));
    win::SetBkMode(dc, win::TRANSPARENT);
    for (std::size_t i = 0; i + 1 < r.segments.size(); i += 2) {
        win::MoveToEx(dc, r.segments[i].x, r.segments[i].y, nullptr);
        win::LineTo(dc, r.segments[i + 1].x, r.segments[i + 1].y);
    }
    for (const win::POINT& p : r.points)
        win::SetPixel(dc, p.x, p.y, win::PALETTEINDEX(6));
    // Each station drawn as the map draws its kind, with its label.
    const win::COLORREF vor = win::PALETTEINDEX(nav::kMapVorColour);
    for (const nav::MapPointHit& s : r.roses) {
        for (int dx = -2; dx <= 2; ++dx) {
            win::SetPixel(dc, s.x + dx, s.y - 4, vor);
            win::SetPixel(dc, s.x + dx, s.y + 4, vor);
        }
        for (int dy = -2; dy <= 2; ++dy) {
            win::SetPixel(dc, s.x - 4, s.y + dy, vor);
            win::SetPixel(dc, s.x + 4, s.y + dy, vor);
        }
        win::TextOut(dc, s.x - 10, s.y + 5, s.ident);
    }
    for (const nav::MapPointHit& s : r.circles) {
        win::Ellipse(dc, s.x - 4, s.y - 4, s.x + 5, s.y + 5);
        win::TextOut(dc, s.x - 10, s.y + 5, s.ident);
    }
    for (const nav::MapPointHit& s : r.triangles) {
        const win::POINT triangle[4] = {
            {s.x - 4, s.y + 4}, {s.x + 4, s.y + 4}, {s.x, s.y - 4}, {s.x - 4, s.y + 4}};
        win::Polyline(dc, triangle, 4);
        win::TextOut(dc, s.x - 10, s.y + 5, s.ident);
    }
    for (const nav::MapBoxHit& b : r.boxes) {
        win::MoveToEx(dc, b.left, b.top, nullptr);
        win::LineTo(dc, b.right, b.top);
        win::TextOut(dc, b.left, b.top + 5, b.ident);
    }
    win::SelectObject(dc, oldBrush);
    win::SelectObject(dc, oldFont);
    win::SelectObject(dc, oldPen);
    win::SelectObject(dc, old);
    win::DeleteObject(pen);
    win::DeleteDC(back);
    return r.segments.size() / 2 + r.points.size() + r.roses.size() + r.circles.size() +
           r.triangles.size() + r.boxes.size();
}

// The redraw against the plain drawing of the same picture, at zooms 0, 4, 5 and 7: at most this.
double RedrawGoal(int zoom) {
    switch (zoom) {
        case 0:
            return 1.5;
        case 4:
            return 1.6;
        case 5:
            return 1.8;
        default:
            return 1.9;
    }
}

void MapRedraw(benchmark::State& state) {
    if (!Ready(state)) return;
    const int zoom = static_cast<int>(state.range(0));
    ShowZoom(zoom);
    nav::MapView& m = nav::theMapView;
    const int readsBefore = m.AirportRecordReads();
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        m.Redraw();
    const double redraw = clock.PerIteration(state);
    const std::size_t pixels = PixelsDrawn();
    if (pixels == 0) state.SkipWithError("nothing was drawn");
    state.counters["items"] = static_cast<double>(Drawn());
    state.counters["opens_per_redraw"] =
        static_cast<double>(m.AirportRecordReads() - readsBefore) / static_cast<double>(state.iterations());
    const Reference r = Collect();
    const double ratio =
        benchsupport::PairedRatio([&] { m.Redraw(); }, [&] { DrawReference(r); }, 21);
    // The reference stands for the same picture: its drawn pixels within a fifth of the map's
    // (the labels it places plainly differ a little), or the ratio says nothing.
    DrawReference(r);
    const double referencePixels = static_cast<double>(PixelsDrawn());
    m.Redraw();  // the map's own picture again
    const double share = referencePixels / static_cast<double>(pixels);
    if (share < 0.8 || share > 1.25) state.SkipWithError("the reference draws another picture");
    benchsupport::Goals goals(state);
    goals.AtMost("per_reference", ratio, RedrawGoal(zoom));
    goals.Note("ms", redraw * 1e3);
    goals.Note("pixels", static_cast<double>(pixels));
    goals.Note("reference_pixels", referencePixels);
}
BENCHMARK(MapRedraw)->Arg(0)->Arg(4)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

void MapReference(benchmark::State& state) {
    if (!Ready(state)) return;
    ShowZoom(static_cast<int>(state.range(0)));
    const Reference r = Collect();
    std::size_t items = 0;
    for (auto _ : state)
        items += DrawReference(r);
    if (items == 0) state.SkipWithError("nothing was drawn");
    state.counters["items"] = static_cast<double>(items) / static_cast<double>(state.iterations());
}
BENCHMARK(MapReference)->Arg(0)->Arg(4)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

// A drag step against a memcpy of the picture: at most this.
constexpr double kDragGoal = 2.0;

void MapDragStep(benchmark::State& state) {
    if (!Ready(state)) return;
    ShowZoom(4);
    nav::MapView& m = nav::theMapView;
    m.cursorX = m.symbolX;
    m.cursorY = m.symbolY;
    m.BeginDrag();
    int step = 0;
    const auto dragStep = [&] {
        m.cursorX = m.symbolX + ((step++ & 1) ? 3 : -3);
        m.DragTo();
    };
    for (auto _ : state)
        dragStep();
    benchsupport::MemcpyReference picture(static_cast<std::size_t>(m.width) * m.height, 10);
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 10; ++i)
                dragStep();
        },
        picture);
    m.CancelDrag();
    if (step == 0 || !m.symbolShown) state.SkipWithError("the symbol was not drawn");
    state.SetBytesProcessed(static_cast<std::int64_t>(step) * m.width * m.height);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_of_the_picture", ratio, kDragGoal);
}
BENCHMARK(MapDragStep);

void PictureMemcpy(benchmark::State& state) {
    std::vector<std::uint8_t> from(556 * 326, 10), to(556 * 326);
    std::int64_t copies = 0;
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        ++copies;
    }
    state.SetBytesProcessed(copies * static_cast<std::int64_t>(from.size()));
}
BENCHMARK(PictureMemcpy);

// Reads the four outline files' bytes through the map's volume; the bytes read.
std::size_t ReadOutlines(std::vector<std::uint8_t>& bytes) {
    std::size_t total = 0;
    for (const char* name : {"states.bin", "rcoast.bin", "water.bin", "dcoast.bin"}) {
        if (!nav::theNavVolume.OpenFile(name)) continue;
        const std::int64_t size = nav::theNavVolume.GetStream()->GetEntrySize(name);
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
        if (!bytes.empty() && core::ReadAll(*nav::theNavVolume.GetStream(),
                                            static_cast<std::uint32_t>(bytes.size()), bytes.data()))
            total += bytes.size();
        nav::theNavVolume.CloseFile();
    }
    return total;
}

// Loading the outlines against reading their bytes: at most this.
constexpr double kOutlineGoal = 1.2;

void LoadOutlineFiles(benchmark::State& state) {
    if (!Ready(state)) return;
    nav::MapView& m = nav::theMapView;
    std::size_t points = 0;
    const auto load = [&] {
        m.LoadOutlines();
        m.LoadWater();
        m.LoadDetailCoast();
        points += m.states.size() + m.coast.size() + m.water.size() + m.detailCoast.size();
    };
    for (auto _ : state)
        load();
    if (points == 0) state.SkipWithError("no outline was read");
    state.SetBytesProcessed(static_cast<std::int64_t>(points) * 8);
    std::vector<std::uint8_t> bytes;
    std::size_t total = 0;
    const double ratio = benchsupport::PairedRatio(
        load, [&] { total += ReadOutlines(bytes); }, 21);
    if (total == 0) state.SkipWithError("no bytes were read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_read_of_the_bytes", ratio, kOutlineGoal);
}
BENCHMARK(LoadOutlineFiles)->Unit(benchmark::kMillisecond);

void ReadOutlineBytes(benchmark::State& state) {
    if (!Ready(state)) return;
    std::vector<std::uint8_t> bytes;
    std::size_t total = 0;
    for (auto _ : state)
        total += ReadOutlines(bytes);
    if (total == 0) state.SkipWithError("no bytes were read");
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(ReadOutlineBytes)->Unit(benchmark::kMillisecond);

}  // namespace
