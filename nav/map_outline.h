// The map's geography files "states.bin", "rcoast.bin", "water.bin" and "dcoast.bin"
// (`MapOutlineFile`), members of the navigation volume beside the na.* tables. Each is a u32
// point count followed by that many points, each a little-endian f32 latitude (degrees north)
// and f32 longitude (degrees, positive west). A point whose latitude is exactly -1.0 lifts the
// pen: the next point starts a new polyline (in "water.bin", each run ended by a marker is one
// closed lake ring). The map reads them through MapView::LoadOutlines, LoadWater and
// LoadDetailCoast; the data maker writes them through EncodeMapOutline.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace nav {

struct MapOutlinePoint {
    float lat = 0.0f;
    float lon = 0.0f;
};

inline constexpr std::uint32_t kPenUpBits = 0xBF800000u;  // -1.0f
inline constexpr int kOutlinePointBytes = 8;
// The longest water ring the map draws in one piece.
inline constexpr int kMaxWaterRingPoints = 2799;

// The marker by its bit pattern, so that no other value that compares equal counts.
[[nodiscard]] inline bool IsPenUp(const MapOutlinePoint& p) {
    std::uint32_t bits;
    std::memcpy(&bits, &p.lat, 4);
    return bits == kPenUpBits;
}
[[nodiscard]] inline MapOutlinePoint PenUp() {
    return MapOutlinePoint{-1.0f, -1.0f};
}

// The points of a member's bytes: the count's points, or the whole points the bytes hold when
// the count promises more.
[[nodiscard]] std::vector<MapOutlinePoint> DecodeMapOutline(const std::uint8_t* bytes,
                                                            std::size_t size);
[[nodiscard]] std::vector<std::uint8_t> EncodeMapOutline(const std::vector<MapOutlinePoint>& p);

// Reads a member of the navigation volume whole; a member that does not open leaves `points`
// empty (0). A count past the member's end keeps the points that are there.
int ReadMapOutline(const char* memberName, std::vector<MapOutlinePoint>* points);

}  // namespace nav
