// The panel's strips and small pictures, in the row layouts the drawing takes them from: the
// barometric, low-altitude and drum strips of the altimeters, the magnetic compass's tape and
// frame, the hour-meter digits, switch, key, flap, gear-knob and quadrant pieces, and the
// autopilot's and audio panel's labels and lamps.
#pragma once

#include "tools/mkdata/installation.h"

namespace mkdata {

[[nodiscard]] Bytes BaroStripBytes(int type);
[[nodiscard]] Bytes LowFlagStripBytes(int type);
[[nodiscard]] Bytes DrumStripBytes(int type);
[[nodiscard]] Bytes CompassTapeBytes(int type);
[[nodiscard]] Bytes CompassFrameBytes(int type);
[[nodiscard]] Bytes HourMeterBytes(int type);
[[nodiscard]] Bytes SwitchArtBytes(int type);
[[nodiscard]] Bytes KeyArtBytes(int type);
[[nodiscard]] Bytes FlapsArtBytes(int type);
[[nodiscard]] Bytes GearKnobBytes(int type);
[[nodiscard]] Bytes BonanzaQuadrantBytes(int type);
[[nodiscard]] Bytes AutopilotArtBytes(int type);
[[nodiscard]] Bytes AudioArtBytes(int type);

}  // namespace mkdata
