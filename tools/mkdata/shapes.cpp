// The "shapes" module: everything of "Art\3DShapes.Vol". The five aircraft and the five traffic
// aircraft with their material lists and textures, the aircraft's shadow pictures, the
// buildings of the airports, the obstacles (masts, stacks, tanks, towers and the rest of the
// obstacle table) and the trees. One volume holds them all; the loose folders that override it
// (Planes, Buildings, Obstacle) only decide where a user's own files would go.
#include <cstdio>

#include "tools/mkdata/aircraft_shapes.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/scenery_shapes.h"

namespace mkdata {

namespace {

constexpr const char* kVolume = "Art\\3DShapes.Vol";

// Shapes are stored as ".dts" beside their ".dml" (a name asked for without an extension finds
// the ".dts" after the ".dt2").
void Add(Installation& installation, const ShapeFiles& files) {
    installation.AddMember(kVolume, files.name + ".dts", files.dts);
    installation.AddMember(kVolume, files.name + ".dml", files.dml);
    for (const auto& [name, bytes] : files.textures)
        installation.AddMember(kVolume, name, bytes);
}

}  // namespace

int MakeShapes(Installation& installation, std::string* error) {
    for (int type = 0; type < 5; ++type) {
        const ShapeFiles files = MakeAircraftShape(type);
        if (files.dts.empty() || files.dml.empty()) {
            *error = "cannot store the shape of aircraft type " + std::to_string(type);
            return 0;
        }
        Add(installation, files);
        char shadow[16];
        std::snprintf(shadow, sizeof shadow, "shad%d.bmp", type);
        installation.AddMember(kVolume, shadow, BmpFile(ShadowPicture(type)));
    }
    for (int model = 0; model < 5; ++model)
        Add(installation, MakeTrafficShape(model));
    for (const ShapeFiles& files : MakeSceneryShapes()) {
        if (files.dts.empty() || files.dml.empty()) {
            *error = "cannot store the shape " + files.name;
            return 0;
        }
        Add(installation, files);
    }
    return 1;
}

}  // namespace mkdata
