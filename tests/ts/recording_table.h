// A draw table that records the polygons the shape engine hands to entry 11 instead of filling
// them, for the tests that check what is submitted (and where).
#pragma once

#include <vector>

#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/raster/poly_request.h"

namespace tstest {

struct RecordedPolygon {
    std::vector<gfx::GFXScreenPoint> points;
    std::vector<gfx::GFXTexCoord> tex;
    std::uint32_t flags = 0;
    std::uint32_t colour = 0;
    std::uint32_t surfaceFlags = 0;  // the surface's flags (the clip bit) while it was submitted
};

inline std::vector<RecordedPolygon>& Recorded() {
    static std::vector<RecordedPolygon> polygons;
    return polygons;
}

inline void RecordPolygon(gfx::GFXSurface* s, gfx::GFXPolyRequest* q) {
    RecordedPolygon p;
    p.surfaceFlags = s->flags;
    for (int i = 0; i < q->count; ++i) {
        p.points.push_back(*q->points[i]);
        if ((q->flags & gfx::kPolyTextured) != 0 && q->texCoords != nullptr) p.tex.push_back(*q->texCoords[i]);
    }
    p.flags = q->flags;
    p.colour = q->colour;
    Recorded().push_back(p);
}

// While it lives, memory surfaces record their polygons (and draw nothing else).
class RecordingTable {
public:
    RecordingTable() {
        table.DrawPolygon = &RecordPolygon;
        previous = gfx::GFXMemSurface::SetDrawTable(&table);
        Recorded().clear();
    }
    ~RecordingTable() { gfx::GFXMemSurface::SetDrawTable(previous); }
    RecordingTable(const RecordingTable&) = delete;
    RecordingTable& operator=(const RecordingTable&) = delete;

private:
    gfx::GFXDrawTable table = gfx::theSoftwareDrawTable;
    const gfx::GFXDrawTable* previous = nullptr;
};

}  // namespace tstest
