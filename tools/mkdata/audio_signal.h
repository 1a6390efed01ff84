// What the makers of sound clips share: a clip as samples in -1..1, the same noise for the same
// sample on every run, peak levelling, short fades, and the 8-bit mono image the program's
// speech and effect channels take.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/installation.h"

namespace mkdata {

using Signal = std::vector<double>;

// The program's 15-bit generator's arithmetic as a hash of a position: noise in -1..1 that two
// runs make alike.
[[nodiscard]] double HashNoise(std::uint32_t n);
// Scales the clip so that its loudest sample reaches `peak` (a silent clip stays silent).
void NormalisePeak(Signal& s, double peak);
// Fades both ends over `seconds`, so a one-shot clip starts and stops without a click.
void FadeClipEnds(Signal& s, double seconds, int rate);
// The clip as an 8-bit unsigned mono WAV image (samples clipped to -1..1).
[[nodiscard]] Bytes EightBitClip(const Signal& s, int rate);

}  // namespace mkdata
