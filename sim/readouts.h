// The on-screen readouts' arithmetic shared by the world and its tests: the colour pair of a
// readout line for the period of day, and the frame-rate figure of a group of ten frames.
#pragma once

#include <cstdint>

namespace sim {

struct ReadoutColours {
    std::uint32_t text;  // 0x00BBGGRR
    std::uint32_t shadow;
};

// At dawn (0), dusk (2) and night (3) every component c becomes 255 - c; by day (1) it stays.
// The shadow moves each component by 170 towards the other end.
[[nodiscard]] ReadoutColours ReadoutColoursFor(std::uint32_t colour, int dayPeriod);
// The room the "Brakes" word takes, and its x for a line at `y`: at the left edge, or right of
// the GPS window when the window covers that place.
inline constexpr int kBrakesReadoutWidth = 56;
inline constexpr int kBrakesReadoutHeight = 18;
[[nodiscard]] int BrakesReadoutX(int y);
// The line over the picture after a crash: how to fly on.
inline constexpr char kCrashHint[] = "Crashed. File > Restart Flight (Ctrl+E) flies again.";
// Frames per second of ten frames that took `sumMs` simulated milliseconds.
[[nodiscard]] float FrameRateFor(std::int32_t sumMs);

}  // namespace sim
