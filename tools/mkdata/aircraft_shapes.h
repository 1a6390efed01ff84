// The aircraft shapes of the installation: the five aircraft the user flies (with a near and a
// far model, liveries and the animated parts of the part-animation table: propellers, lights,
// gear) and the five traffic aircraft, each built from its type's published dimensions, and
// the soft top silhouettes their shadows are drawn with.
#pragma once

#include <string>

#include "tools/mkdata/shape_builder.h"

namespace mkdata {

// Published figures of a type, in feet and square feet, and where they come from.
struct PublishedFigures {
    const char* type;
    double span;
    double length;
    double height;
    double wingArea;
    const char* source;
};

// Frame counts of the part-animation entries 0..15 of the five aircraft types (0 where the type
// has no such part); the shapes carry one sequence per entry with these lengths.
[[nodiscard]] int PartFrames(int type, int entry);

// Types 0..4: "172", "bonanza", "baron", "kingair", "citation".
[[nodiscard]] ShapeFiles MakeAircraftShape(int type);
[[nodiscard]] const PublishedFigures& AircraftFigures(int type);
// The soft top silhouette of type 0..4 ("shad<type>.bmp"): 64 x 64, index 0 around it.
[[nodiscard]] Picture ShadowPicture(int type);

// Traffic models 0..4: "c182_1", "c310_1", "arch_1", "moon_1", "lear_1".
[[nodiscard]] ShapeFiles MakeTrafficShape(int model);
[[nodiscard]] const PublishedFigures& TrafficFigures(int model);
// How far the model's origin lies above its wheels, in shape units (the traffic table's height
// offset).
[[nodiscard]] double TrafficHeightOffset(int model);

}  // namespace mkdata
