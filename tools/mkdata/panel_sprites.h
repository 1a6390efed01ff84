// The panel's sprite sets, made for one aircraft type at its sizes and in its inks: needles,
// compass and course cards, the attitude sets, the turn set, the misc set (cover plate, knobs,
// lamps, switches, quadrant pieces, trim wheels), the synchroscope, the HSI digits and the
// digit fonts of the radios, readouts and baro windows.
#pragma once

#include "tools/mkdata/installation.h"

namespace mkdata {

enum class NeedleShape { Pointer, Hand, TenThousand };
// 180 frames turning (n - 1) x 2 degrees (or (n - 2) x 2 with `startFrame` 2), pivot at the anchor.
[[nodiscard]] Bytes NeedleSetBytes(int type, NeedleShape shape, double length, double width,
                                   int startFrame = 1);
// The heading card set: 144 turned cards, and the type's fixed frames (the C172's lubber index,
// the HSIs' aircraft symbol and warning flags).
[[nodiscard]] Bytes HeadingCardBytes(int type, double radius);
// The course, ADF and RMI card set: 144 turned cards, the course face, flags, hubs and the RMI's
// selector annunciators.
[[nodiscard]] Bytes NavCardBytes(int type, double radius);
[[nodiscard]] Bytes AttitudeRingBytes(int type, double radius);
[[nodiscard]] Bytes AttitudePitchBytes(int type);
// The turbine attitude director's card (122 bank frames drawn from their top-left corner) and its
// annunciators and pointers.
[[nodiscard]] Bytes DirectorCardBytes(int type, int size);
[[nodiscard]] Bytes TurnSetBytes(int type, bool withSymbol);
[[nodiscard]] Bytes MiscSetBytes(int type, double coverRadius);
[[nodiscard]] Bytes SynchroscopeBytes(int type);
// Radio, clock and readout digits (6 x 7 cells, lit inks), with the stack sprites and the jet's
// temperature units.
[[nodiscard]] Bytes PanelDigitBytes(int type);
// Small digits (5 x 6 cells) of the baro windows, the Mach window, the jet's readouts and the
// turbine HSI, in `ink` on `back`.
[[nodiscard]] Bytes SmallDigitBytes(int type, bool opaque, bool greenOnBlack);

}  // namespace mkdata
