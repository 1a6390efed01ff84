// What the instrument routines share beyond the gauge protocol: the drawing primitives on the
// current panel surface (every bitmap piece held inside its bitmap, every text bounded), the
// clip scope of parts that slide inside a window, the power test of the digital windows and the
// field formatting of the readouts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace gfx {
class GFXBitmap;
class GFXFont;
}  // namespace gfx

namespace cockpit {

// Battery master and avionics master both on: the digital windows and lamps show their powered
// state only then.
[[nodiscard]] bool StackPowered();
[[nodiscard]] bool BatteryOn();

void FillPanelRect(IntRect r, std::int32_t colour);
void DrawPanelPixel(IntPoint p, std::int32_t colour);
void DrawPanelLine(IntPoint a, IntPoint b, std::int32_t colour);
// A lamp: a horizontal line of `length` pixels from `at`, in `onColour` when lit.
void DrawLampLine(IntPoint at, std::int32_t length, bool lit, std::int32_t offColour,
                  std::int32_t onColour);
// `source` (inclusive) of a bitmap at `at`, held inside the bitmap (the destination moves with a
// clipped left or top edge). False when nothing of it lies inside.
bool DrawBitmapRect(const gfx::GFXBitmap* bitmap, IntRect source, IntPoint at);
// A text through the font's string operation; nothing without a font.
void DrawPanelText(const gfx::GFXFont* font, IntPoint at, const char* text);
// One frame of a sprite set as a one-character string at a string point (baseline 0: the frame's
// top is the point's y less its height).
void DrawFrameString(const gfx::GFXFont* font, std::int32_t frame, IntPoint at);
// One frame with its top-left corner at `topLeft` (anchors not used); answers its area.
IntRect DrawFrameTopLeft(const gfx::GFXFont* font, std::int32_t frame, IntPoint topLeft);
// A frame's size; false when the set lacks it.
bool FrameSize(const gfx::GFXFont* font, std::int32_t frame, std::int32_t* w, std::int32_t* h);
// The top-left corner and size of a frame drawn with its anchor on `point`.
bool FrameArea(const gfx::GFXFont* font, std::int32_t frame, IntPoint point, IntRect* area);

// The smallest rectangle (left, top, right, bottom, inclusive) holding both; an empty one
// (right < left) holds nothing.
[[nodiscard]] IntRect UnionRect(const IntRect& a, const IntRect& b);
inline constexpr IntRect kNoRect{0, 0, -1, -1};

// The surface's clip rectangle replaced for the life of the scope (within the old one) and put
// back afterwards.
class ClipScope {
public:
    explicit ClipScope(IntRect clip);
    ~ClipScope();
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;
    // Replaces the clip again (within the one saved at the start).
    void Set(IntRect clip);

private:
    IntRect saved{};
    std::uint32_t savedFlags = 0;
    bool active = false;
};

// Records an area drawn in the current slot: `area` is the painted rectangle (left, top, right,
// bottom inclusive, screen); the first or second drawn element.
void RecordArea(PanelGauge& g, const IntRect& area, bool second = false);

// The decimal text of a number into a field of `width` characters: padded on the left with '0'
// to the width, and held to the window (the largest number the width shows).
void FormatZeroPadded(char* out, std::size_t size, std::int32_t value, int width);
// `count` copies of a character.
void FormatRepeated(char* out, std::size_t size, char c, int count);

}  // namespace cockpit
