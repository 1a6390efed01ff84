// The one object behind every instrument, switch, lever and lamp of the 2D panel. A gauge keeps,
// per back buffer, what it last drew there (area, point, values), so that it repaints only when
// its value changed and first erases its old image by copying the panel background back; it also
// holds the instrument's state words, which the cockpit systems, commands, clicks and saved
// situations write. Every drawing call draws on the display mode's current surface through that
// surface's draw table, and draws nothing of a piece whose art is missing.
#pragma once

#include <cmath>
#include <cstdint>

namespace gfx {
class GFXBitmap;
class GFXBitmapArray;
class GFXFont;
class GFXSurface;
struct GFXDrawTable;
}  // namespace gfx

namespace cockpit {

// Set when a gauge of the last cockpit frame moved a step toward its value and is not there yet
// (levers and needles slide a step a frame): the next frame has more to show. Cleared as each
// cockpit frame begins.
extern bool thePanelSliding;

struct IntPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // 1 when the point lies inside the rectangle, all four edges included.
    [[nodiscard]] constexpr int IsInRect(std::int32_t l, std::int32_t t, std::int32_t r,
                                         std::int32_t b) const {
        return l <= x && x <= r && t <= y && y <= b ? 1 : 0;
    }
};

struct IntRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr IntRect() = default;
    constexpr IntRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        : left(l), top(t), right(r), bottom(b) {}
    IntRect& Assign(const IntRect& o) {
        *this = o;
        return *this;
    }
    std::int32_t* Left() { return &left; }
    std::int32_t* Top() { return &top; }
    std::int32_t* Right() { return &right; }
    std::int32_t* Bottom() { return &bottom; }
};

inline bool operator==(const IntRect& a, const IntRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The nearest integer; an exact half goes toward zero (2.5 gives 2, -2.5 gives -2).
[[nodiscard]] inline std::int32_t RoundNearest(double x) {
    const double whole = std::trunc(x);
    const double fraction = x - whole;
    // Only a fraction beyond one half rounds away from zero.
    if (fraction > 0.5) return static_cast<std::int32_t>(whole) + 1;
    if (fraction < -0.5) return static_cast<std::int32_t>(whole) - 1;
    return static_cast<std::int32_t>(whole);
}

// The display mode's current surface (null without one): the panel pass's while one is under
// way, else fetched anew at every drawing call.
[[nodiscard]] gfx::GFXSurface* PanelSurface();
// A surface's draw table, the pass's own for the pass's surface (null for a null surface).
[[nodiscard]] const gfx::GFXDrawTable* PanelTable(gfx::GFXSurface* s);
// A surface the panel draws on instead of the display's (tests and benchmarks); null for none.
extern gfx::GFXSurface* thePanelSurfaceOverride;

// The surface and its draw table looked up once for a panel pass (PaintCockpit's): every draw of
// the pass asks for both, and neither changes inside a pass. Held while the object lives; a pass
// begun inside another keeps the outer one's and puts it back.
class PanelPass {
public:
    PanelPass();
    ~PanelPass();
    PanelPass(const PanelPass&) = delete;
    PanelPass& operator=(const PanelPass&) = delete;
    [[nodiscard]] gfx::GFXSurface* Surface() const { return surface_; }

private:
    gfx::GFXSurface* surface_;
    gfx::GFXSurface* outerSurface_;
    const gfx::GFXDrawTable* outerTable_;
};

// Painted panel frames so far. A gauge drawn by several routines in one frame (a radio's windows
// and lamps, a readout and its lamp) advances its slot once per frame: the first routine does.
extern std::uint32_t thePanelPaintCount;
// Starts a painted panel frame (the panel routines call it first).
void BeginPanelFrame();

// A small filled polygon handed to the draw table's polygon entry.
template <int N>
struct GaugePolygonOf {
    IntPoint vertices[N];
    std::int32_t colour = 0;
    // Fills the polygon in `colour` on the current surface.
    void Fill(std::int32_t fillColour);
};

class GaugePolygon : public GaugePolygonOf<4> {
public:
    // Paints an attitude background: the sky rectangle, then the ground quadrilateral whose
    // edges differ by the bank offset and whose middle row moves with the pitch offset.
    void DrawHorizon(std::int16_t pitchOffset, std::int16_t bankOffset, std::int32_t x,
                     std::int32_t y, std::int16_t height, std::int16_t width, std::int16_t sky,
                     std::int16_t ground, std::int16_t line, std::int32_t drawLine);
};

inline constexpr int kGaugeSlots = 3;

class PanelGauge {
public:
    PanelGauge();
    ~PanelGauge() = default;
    PanelGauge(const PanelGauge&) = delete;
    PanelGauge& operator=(const PanelGauge&) = delete;

    // Forgets what was drawn in every slot below slotCount; slot back to 0.
    void ResetDrawnState();
    // Binds the gauge to `count` back buffers and leaves the always-draw state.
    void BindSlots(std::int32_t count);

    // The drawing protocol's pieces.
    // Advances `slot` unless the gauge draws always or was advanced in this frame already
    // (every gauge asks once or more a panel pass: kept inline).
    void AdvanceSlot() {
        if (alwaysDraw != 0 || slotCount <= 0 || advancedInFrame == thePanelPaintCount) return;
        advancedInFrame = thePanelPaintCount;
        slot = slot >= 0 && slot + 1 < slotCount ? slot + 1 : 0;
    }
    // Erases the slot's last image (first and second drawn areas) when it holds one.
    void EraseSlot();
    // EraseSlot, then frame `frame` of a sprite set drawn with its anchor on `point`, in one pass
    // where the frame lies inside the one area erased; answers the frame's area as
    // DrawFrameAnchored does.
    IntRect EraseAndDrawFrame(const gfx::GFXFont* font, std::int32_t frame, IntPoint point);
    // Records a drawn area of `source`'s size at `at`: the common last step of every draw.
    void MarkDirty(IntRect source, IntRect* out, IntPoint* at);
    // Records the first (second) drawn element of the slot: w x h pixels drawn at `at`.
    void Record(IntPoint at, std::int32_t w, std::int32_t h, bool second = false);
    // One slew step from the slot's recorded value toward `target` (a jump with `force`).
    [[nodiscard]] std::int32_t Slew(std::int32_t recorded, std::int32_t target) const;

    // A line in a palette colour (the panel's top edge); uses no field of the gauge.
    void DrawLine(IntPoint from, IntPoint to, std::int16_t colour) const;
    // Frame `frame` of a sprite set with its anchor on `point`; nothing when missing. Answers
    // the painted frame's top-left corner and size through the optional outputs.
    static bool DrawFrame(const gfx::GFXFont* font, std::int32_t frame, IntPoint point,
                          IntRect* painted = nullptr);
    // A rectangle of a bitmap at (x, y), slot advanced, erased, recorded with `value`.
    void DrawBitmapPiece(const gfx::GFXBitmap* bitmap, IntRect source, std::int32_t x,
                         std::int32_t y, std::int32_t value);
    // A whole bitmap at (x, y) (slot advanced); nothing of the panel calls it.
    void DrawBitmap(const gfx::GFXBitmap* bitmap, std::int32_t x, std::int32_t y);

    // Back-buffer records.
    std::int32_t alwaysDraw = 1;
    std::int32_t eraseNeeded[kGaugeSlots] = {};
    IntRect drawnRect[kGaugeSlots];
    IntRect drawnRect2[kGaugeSlots];
    IntPoint drawnAt[kGaugeSlots];
    IntPoint drawnAt2[kGaugeSlots];
    std::int32_t drawnValue1[kGaugeSlots] = {};
    std::int32_t drawnValue2[kGaugeSlots] = {};
    std::int32_t drawnValue3[kGaugeSlots] = {};
    std::int32_t drawnValue4[kGaugeSlots] = {};
    std::int32_t drawnValue5[kGaugeSlots] = {};
    std::int32_t drawnValue6[kGaugeSlots] = {};
    std::int32_t drawnValue7[kGaugeSlots] = {};
    std::int32_t drawnValue8[kGaugeSlots] = {};
    std::int32_t slot = 0;
    std::int32_t slotCount = 0;
    std::uint32_t advancedInFrame = 0;  // the frame whose draw advanced `slot` last

    // State words.
    std::int16_t toFrom = 0;
    std::int16_t glideSlopeNeedle = 0;
    std::int16_t courseNeedle = 0;
    std::int16_t needle = 0;
    std::int16_t needle2 = 0;
    std::int16_t courseDegrees = 0;
    std::int16_t cardFrame = 0;
    std::int16_t lever = 0;
    std::uint16_t activeMHz = 0;
    std::uint16_t activeKHz = 0;
    std::uint16_t standbyMHz = 0;
    std::uint16_t standbyKHz = 0;
    std::int32_t bearingMode = 0;
    std::int32_t bearing = 0;
    std::int32_t switchState = 0;
    std::int32_t navFlag1 = 0;
    std::int32_t navFlag2 = 0;
    std::int32_t selected = 0;
    std::int32_t selectedChanged = 0;
    std::int32_t hidden = 0;
    std::uint16_t baroSetting = 0;
    std::int16_t flapsFrame = 0;
    std::int32_t mode = 0;
    std::int32_t gearDownFlag = 0;
    std::int16_t knob = 0;
    std::int16_t dmeDigits[5] = {};
    std::int32_t refresh = 0;
    std::int32_t transferLamp = 0;
    std::int32_t transferRedraw = 0;
    std::int32_t buttons[10] = {};
    std::int32_t dirty = 0;
    std::int32_t force = 0;
    std::int32_t animStep = 0;
    std::int32_t altFace = 0;
    GaugePolygonOf<3> needlePolygon;
    std::int32_t value = 0;
    std::int16_t value2 = 0;
    std::int16_t value3 = 0;
};

// The barometric pressure word each gauge reads once when it is built (28.00 inHg + p x 800 /
// 65536); it starts the program as 10642, so every gauge starts at 29.29.
extern std::int16_t theBarometricPressureWord;

// The bitmap of frame `id` of an array: the id is the index in a dense array, looked up in a
// sparse one; null when missing.
[[nodiscard]] const gfx::GFXBitmap* FrameBitmap(const gfx::GFXBitmapArray* art, std::int32_t id);
// The anchor (ox, oy) of frame `id` of a sprite set; false when the frame has none.
bool FrameAnchor(const gfx::GFXFont* font, std::int32_t id, IntPoint* anchor);
// Frame `frame` drawn with its anchor on `point`; answers its area (left, top, right, bottom
// inclusive), empty (right < left) when nothing was drawn.
IntRect DrawFrameAnchored(const gfx::GFXFont* font, std::int32_t frame, IntPoint point);
// Frame `frame` of a sprite set looked up once: its bitmap (null when the set lacks it) and its
// record.
struct FrameGlyph {
    const gfx::GFXBitmap* bitmap = nullptr;
    const std::uint8_t* record = nullptr;
};
[[nodiscard]] FrameGlyph LookUpFrame(const gfx::GFXFont* font, std::int32_t frame);
// A frame looked up with LookUpFrame drawn as its one-character string at the string point `at`:
// the top of the frame is the point's y less its height, moved by its vertical offset.
void DrawFrameGlyph(const gfx::GFXFont* font, std::int32_t frame, const FrameGlyph& glyph,
                    IntPoint at);

// Copies `source` of the main panel bitmap to `at` on the current surface, every pixel of it (an
// erase).
void RestorePanelBackground(const IntRect& source, IntPoint at);
// The same with the bitmap's transparent pixels left out: the panel's art laid over the attitude
// window as a mask.
void DrawPanelMask(const IntRect& source, IntPoint at);

}  // namespace cockpit
