// The ground under the aircraft's track over the last stretch it moved: how steeply it rises
// there, smoothed over the distance the gear takes up a rise in, so that a small step in the
// ground (the edge of an airport's floor) reads as the gentle rise the wheels feel and a hillside
// reads as its slope.
#pragma once

#include <cstdint>

namespace flight {

// The run over which the ground's rise is taken (metres): a wheel rolling over a step no taller
// than its gear's stroke spreads the step over a few of its own lengths and the wheelbase.
inline constexpr double kGroundTrackMetres = 15.0;

// One step's measure along the track: the ground's rise and the run over it, both 1/256 m.
// Steps that did not move leave the record as it was.
void RecordGroundAlongTrack(std::int32_t rise, std::int32_t run);
// The aircraft has been put elsewhere (a flight loaded, slew, a reset): the record describes
// other ground and is dropped.
void ForgetGroundAlongTrack();
// Rise over run of the ground under the last kGroundTrackMetres of track (or over what has
// been recorded, when less); 0 with nothing recorded.
[[nodiscard]] double GroundSlopeAlongTrack();

}  // namespace flight
