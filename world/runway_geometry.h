// A runway built from its record: the pavement with its painted markings as textured quads, and
// its lights (edge, threshold, centre line, touchdown zone, approach lighting with sequenced
// flashers, glide-slope indicators) in three lists by the direction they are seen from. The
// runway mesh draws from it.
//
// The runway's own frame: x across (negative to the left looking from end 1 to end 2), y along
// (end 1 at -length/2, end 2 at +length/2), z up; built in feet and stored in shape units
// (feet x 0.77575755).
#pragma once

#include <cstdint>
#include <vector>

#include "world/airport_records.h"

namespace world {

// Light codes.
inline constexpr std::uint16_t kLightGreen = 219;
inline constexpr std::uint16_t kLightAmber = 220;
inline constexpr std::uint16_t kLightRed = 221;
inline constexpr std::uint16_t kLightWhite = 222;
inline constexpr std::uint16_t kLightFlasher = 11;
// Codes 1..10: white above a plane tilted at the code's angle, red below; odd codes face
// aircraft approaching end 1, even codes end 2.
[[nodiscard]] double GlideSlopeAngle(int code);
[[nodiscard]] int GlideSlopeCode(double angle, int end);

inline constexpr std::uint16_t kSteadyMask = 0xFFFF;

struct RunwayLight {
    float x = 0.0f;  // shape units
    float y = 0.0f;
    float z = 0.0f;
    std::uint32_t word = 0;  // low 16 bits the code, high 16 bits the sequence mask
    [[nodiscard]] std::uint16_t Code() const { return static_cast<std::uint16_t>(word); }
    [[nodiscard]] std::uint16_t Mask() const { return static_cast<std::uint16_t>(word >> 16); }
};

// Materials of the runway list: the pavement by surface and the markings.
inline constexpr int kHardPavementMaterial = 0;
inline constexpr int kSoftPavementMaterial = 1;
inline constexpr int kMarkingMaterial = 7;

// Cells of the 256 x 256 marking texture: sixteen cells of 48 x 64 texels in a 4 x 4 grid (the
// first 192 columns): digits 0..9 at cells 0..9, the designators C 10, R 11, L 15, and the
// painted pieces. The centre-line dashes run down columns 224..255 over the whole height, so
// they can repeat along a runway.
inline constexpr int kCellStripes = 12;  // threshold stripes
inline constexpr int kCellArrow = 13;
inline constexpr int kCellBar = 14;
inline constexpr int kMarkingCellWidth = 48;
inline constexpr int kMarkingCellHeight = 64;
inline constexpr int kCentreLineFirstColumn = 224;
inline constexpr float kCentreLineU0 = kCentreLineFirstColumn / 256.0f;
// The texel rectangle [x0, x1) x [y0, y1) of a cell.
void MarkingCellRect(int cell, int* x0, int* y0, int* x1, int* y1);

struct RunwayMarkingFlags {
    bool stripes = false;
    bool touchdown = false;
    bool caution = false;  // amber edge lights in the last part of the runway
    bool numbers = false;
    bool displaced = false;
};

// What one end has, decoded from the record.
struct RunwayEndInfo {
    int marking = 0;    // 1 precision, 2 non-precision, 3 basic, 4 numbers only, 0 none
    int glideSlope = 0;
    int approach = 0;
    bool centreLine = false;
    bool touchdownLights = false;
    int threshold = 0;  // displaced threshold, feet
    RunwayMarkingFlags flags;
};
[[nodiscard]] RunwayEndInfo DecodeRunwayEnd(const RunwayRecord& r, int end);

// The glyph cells of a number code: tens digit (-1 without one), units, designator cell
// (-1 without one).
struct RunwayNumber {
    int tens = -1;
    int units = 0;
    int designator = -1;
};
[[nodiscard]] RunwayNumber DecodeRunwayNumber(std::uint8_t code);

struct RunwayVertex {
    float x, y, z;
};
struct RunwayTexCoord {
    float u, v;
};
struct RunwayFace {
    std::uint16_t vertex[4];
    std::uint16_t tex[4];
    std::uint16_t centre;
    std::uint16_t material;
};

class RunwayGeometry {
public:
    static constexpr int kMaxVertices = 300;
    static constexpr int kMaxTexCoords = 150;
    static constexpr int kMaxFaces = 60;

    // markingSetting / lightingSetting: the scenery settings "RunwayMarkings" and
    // "RunwayLighting" (0 all, 1 fewer, 2 least).
    RunwayGeometry(const RunwayRecord& record, int markingSetting, int lightingSetting);

    std::vector<RunwayVertex> vertices;
    std::vector<RunwayTexCoord> texCoords;
    std::vector<RunwayFace> faces;
    std::vector<RunwayLight> bothWays;
    std::vector<RunwayLight> towardEnd2;  // seen by aircraft approaching end 1
    std::vector<RunwayLight> towardEnd1;  // seen by aircraft approaching end 2
    // Pieces that did not fit the mesh's limits.
    int dropped = 0;
    float widthFeet = 0.0f;
    float lengthFeet = 0.0f;

    // Bounds in shape units.
    float minX = 0, maxX = 0, minY = 0, maxY = 0;

private:
    // A quad in the frame of one end (along = feet from that end inward, across = feet to the
    // right as seen landing on it), textured with the cell rectangle (u0, v0)-(u1, v1), v0 at
    // the near edge.
    void AddEndQuad(int end, double a0, double a1, double c0, double c1, float u0, float v0,
                    float u1, float v1, int material);
    void AddCellQuad(int end, double a0, double a1, double c0, double c1, int cell);
    void AddQuad(const RunwayVertex corners[4], const RunwayTexCoord tex[4], int material);
    std::uint16_t AddTexCoord(RunwayTexCoord t);
    // x across and y along in feet, in the runway's frame.
    void EndToRunway(int end, double along, double across, double* x, double* y) const;
    void AddLight(std::vector<RunwayLight>& list, double xFeet, double yFeet, std::uint16_t code,
                  std::uint16_t mask = kSteadyMask);
    // A light by the colour seen from each approach.
    void AddTwoWay(double xFeet, double yFeet, std::uint16_t towardEnd2Code,
                   std::uint16_t towardEnd1Code);
    // A light seen only from the approach to `end`.
    void AddApproachLight(int end, double along, double across, std::uint16_t code,
                          std::uint16_t mask = kSteadyMask);

    void BuildPavement(bool hard);
    double BuildEndMarkings(int end, const RunwayEndInfo& info, std::uint8_t code,
                            int markingSetting);
    void BuildEdgeLights(const RunwayEndInfo& e1, const RunwayEndInfo& e2);
    void BuildThresholdLights(int end, const RunwayEndInfo& info);
    void BuildCentreLineLights(int end, const RunwayEndInfo& info, const RunwayEndInfo& other);
    void BuildTouchdownLights(int end, const RunwayEndInfo& info);
    void BuildApproachLights(int end, const RunwayEndInfo& info);
    void BuildGlideSlope(int end, const RunwayEndInfo& info);

    double halfWidth = 0.0;
    double halfLength = 0.0;
};

// The running mask of the sequenced flashers: doubles every flight step from 0x10000 to
// 0x80000000, then starts again.
[[nodiscard]] std::uint32_t RunwayLightMask();
void SetRunwayLightMask(std::uint32_t mask);
// Once per flight step: the sequence moves one place.
void StepRunwayLightMask();
// Whether a light of `mask` lights at the running mask.
[[nodiscard]] inline bool IsLightOn(std::uint16_t mask, std::uint32_t running) {
    return ((running >> 16) & mask) != 0;
}

}  // namespace world
