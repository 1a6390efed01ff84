#include "win/gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>

#include "win/window_surface.h"

namespace win {

namespace {

// ---- Objects --------------------------------------------------------------------------------

enum class ObjKind { Bitmap, Brush, Font, Palette, Pen };

struct BitmapData {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;  // 8 or 32
    int stride = 0;         // bytes per row, a multiple of 4
    bool bottomUp = false;
    std::vector<std::uint32_t> storage;      // 4-byte aligned pixels
    std::array<std::uint32_t, 256> table{};  // 0x00RRGGBB, 8-bit only
    std::uint8_t* Bits() { return reinterpret_cast<std::uint8_t*>(storage.data()); }
};

struct GdiObject {
    ObjKind kind = ObjKind::Brush;
    bool stock = false;
    int selected = 0;  // how many DCs hold it
    std::unique_ptr<BitmapData> bitmap;
    COLORREF colour = 0;  // brush or pen colour
    bool hollow = false;  // null brush or null pen
    int penWidth = 1;
    LOGFONT logFont;
    std::shared_ptr<TrueTypeFont> font;
    std::vector<PALETTEENTRY> entries;
    std::vector<std::uint8_t> systemIndex;  // logical entry -> system entry after realisation
    // What the last realisation was made from (the entries, and the system palette by its
    // serial just after), and what it placed: realised again from the same, it gives the same.
    std::vector<PALETTEENTRY> realisedEntries;
    std::uint32_t realisedSerial = 0;
    unsigned realisedPlaced = 0;
};

struct DeviceContext {
    bool memory = true;
    HWND window;
    std::uint32_t* pixels = nullptr;  // an external 32-bit target
    int pixelsWidth = 0, pixelsHeight = 0, pixelsPitch = 0;
    std::uint32_t bitmap = 0;
    std::uint32_t brush = 0;
    std::uint32_t font = 0;
    std::uint32_t pen = 0;
    std::uint32_t palette = 0;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    std::uint32_t textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    POINT position;
};

// The 20 colours a 256-colour display reserves: 0..9 at the bottom, 246..255 at the top.
constexpr PALETTEENTRY kStaticColours[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

constexpr int StaticSlot(int i) {
    return i < 10 ? i : 236 + i;
}

struct Gdi {
    std::unordered_map<std::uint32_t, GdiObject> objects;
    std::unordered_map<std::uint32_t, DeviceContext> dcs;
    std::uint32_t nextId = 0x1000;  // below: system-colour brushes (COLOR_x + 1)
    std::array<std::uint32_t, 18> stock{};
    std::array<std::uint32_t, 32> sysBrushes{};
    std::array<PALETTEENTRY, 256> systemPalette{};
    std::uint32_t systemPaletteSerial = 1;

    Gdi() { ResetSystem(); }
    void ResetSystem() {
        systemPalette.fill(PALETTEENTRY{});
        for (int i = 0; i < 20; ++i)
            systemPalette[StaticSlot(i)] = kStaticColours[i];
        ++systemPaletteSerial;
    }
    std::uint32_t Add(GdiObject object) {
        const std::uint32_t id = nextId++;
        objects.emplace(id, std::move(object));
        return id;
    }
    GdiObject* Find(std::uint32_t id, ObjKind kind) {
        auto it = objects.find(id);
        return it != objects.end() && it->second.kind == kind ? &it->second : nullptr;
    }
    DeviceContext* Dc(HDC hdc) {
        auto it = dcs.find(hdc.id);
        return it != dcs.end() ? &it->second : nullptr;
    }
};

Gdi& TheGdi() {
    static Gdi gdi;
    return gdi;
}

std::uint32_t ToRgb(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
               static_cast<std::uint8_t>(rgb));
}
std::uint32_t QuadToRgb(RGBQUAD q) {
    return (static_cast<std::uint32_t>(q.rgbRed) << 16) |
           (static_cast<std::uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
}
RGBQUAD RgbToQuad(std::uint32_t rgb) {
    return RGBQUAD{static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                   static_cast<std::uint8_t>(rgb >> 16), 0};
}

// Win95's default scheme.
COLORREF SysColour(int index) {
    switch (index) {
        case COLOR_SCROLLBAR:
            return RGB(192, 192, 192);
        case COLOR_BACKGROUND:
            return RGB(0, 128, 128);
        case COLOR_ACTIVECAPTION:
            return RGB(0, 0, 128);
        case COLOR_INACTIVECAPTION:
            return RGB(128, 128, 128);
        case COLOR_MENU:
            return RGB(192, 192, 192);
        case COLOR_WINDOW:
            return RGB(255, 255, 255);
        case COLOR_WINDOWFRAME:
            return RGB(0, 0, 0);
        case COLOR_MENUTEXT:
            return RGB(0, 0, 0);
        case COLOR_WINDOWTEXT:
            return RGB(0, 0, 0);
        case COLOR_CAPTIONTEXT:
            return RGB(255, 255, 255);
        case COLOR_ACTIVEBORDER:
            return RGB(192, 192, 192);
        case COLOR_INACTIVEBORDER:
            return RGB(192, 192, 192);
        case COLOR_APPWORKSPACE:
            return RGB(128, 128, 128);
        case COLOR_HIGHLIGHT:
            return RGB(0, 0, 128);
        case COLOR_HIGHLIGHTTEXT:
            return RGB(255, 255, 255);
        case COLOR_BTNFACE:
            return RGB(192, 192, 192);
        case COLOR_BTNSHADOW:
            return RGB(128, 128, 128);
        case COLOR_GRAYTEXT:
            return RGB(128, 128, 128);
        case COLOR_BTNTEXT:
            return RGB(0, 0, 0);
        case COLOR_INACTIVECAPTIONTEXT:
            return RGB(192, 192, 192);
        case COLOR_BTNHIGHLIGHT:
            return RGB(255, 255, 255);
        case COLOR_3DDKSHADOW:
            return RGB(0, 0, 0);
        case COLOR_3DLIGHT:
            return RGB(192, 192, 192);
        case COLOR_INFOTEXT:
            return RGB(0, 0, 0);
        case COLOR_INFOBK:
            return RGB(255, 255, 225);
        default:
            return RGB(0, 0, 0);
    }
}

// ---- Stock objects --------------------------------------------------------------------------

LOGFONT StockFontRequest(int index) {
    LOGFONT lf;
    switch (index) {
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
            lf.lfHeight = 16;
            lf.lfWeight = FW_BOLD;
            lf.lfFaceName = "System";
            break;
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case SYSTEM_FIXED_FONT:
            lf.lfHeight = 13;
            lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
            lf.lfFaceName = "Courier";
            break;
        default:  // ANSI_VAR_FONT, DEFAULT_GUI_FONT: the dialog face
            lf.lfHeight = -11;
            lf.lfFaceName = "MS Sans Serif";
            break;
    }
    return lf;
}

std::uint32_t Stock(int index) {
    Gdi& gdi = TheGdi();
    if (index < 0 || index >= static_cast<int>(gdi.stock.size())) return 0;
    if (gdi.stock[index] != 0) return gdi.stock[index];
    GdiObject obj;
    obj.stock = true;
    switch (index) {
        case WHITE_BRUSH:
        case LTGRAY_BRUSH:
        case GRAY_BRUSH:
        case DKGRAY_BRUSH:
        case BLACK_BRUSH: {
            static constexpr std::uint8_t kGrey[5] = {255, 192, 128, 64, 0};
            obj.kind = ObjKind::Brush;
            obj.colour = RGB(kGrey[index], kGrey[index], kGrey[index]);
            break;
        }
        case NULL_BRUSH:
            obj.kind = ObjKind::Brush;
            obj.hollow = true;
            break;
        case WHITE_PEN:
        case BLACK_PEN:
            obj.kind = ObjKind::Pen;
            obj.colour = index == WHITE_PEN ? RGB(255, 255, 255) : RGB(0, 0, 0);
            break;
        case NULL_PEN:
            obj.kind = ObjKind::Pen;
            obj.hollow = true;
            break;
        case DEFAULT_PALETTE:
            obj.kind = ObjKind::Palette;
            obj.entries.assign(std::begin(kStaticColours), std::end(kStaticColours));
            break;
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case ANSI_VAR_FONT:
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
        case SYSTEM_FIXED_FONT:
        case DEFAULT_GUI_FONT:
            obj.kind = ObjKind::Font;
            obj.logFont = StockFontRequest(index);
            obj.font = TrueTypeFont::Realise(obj.logFont);
            break;
        default:
            return 0;
    }
    gdi.stock[index] = gdi.Add(std::move(obj));
    return gdi.stock[index];
}

std::uint32_t StockBitmap() {
    // The 1×1 bitmap a fresh memory DC holds; index 9 of the stock table is unused, so it
    // keeps this one.
    Gdi& gdi = TheGdi();
    if (gdi.stock[9] != 0) return gdi.stock[9];
    GdiObject obj;
    obj.kind = ObjKind::Bitmap;
    obj.stock = true;
    obj.bitmap = std::make_unique<BitmapData>();
    obj.bitmap->width = obj.bitmap->height = 1;
    obj.bitmap->stride = 4;
    obj.bitmap->storage.assign(1, 0);
    gdi.stock[9] = gdi.Add(std::move(obj));
    return gdi.stock[9];
}

void Select(std::uint32_t& slot, std::uint32_t id) {
    Gdi& gdi = TheGdi();
    if (auto it = gdi.objects.find(slot); it != gdi.objects.end()) --it->second.selected;
    slot = id;
    if (auto it = gdi.objects.find(slot); it != gdi.objects.end()) ++it->second.selected;
}

HDC NewDc(DeviceContext dc) {
    Gdi& gdi = TheGdi();
    const std::uint32_t id = gdi.nextId++;
    auto& stored = gdi.dcs.emplace(id, DeviceContext{}).first->second;
    stored.memory = dc.memory;
    stored.window = dc.window;
    Select(stored.bitmap, dc.memory ? StockBitmap() : 0);
    Select(stored.brush, Stock(WHITE_BRUSH));
    Select(stored.pen, Stock(BLACK_PEN));
    Select(stored.font, Stock(SYSTEM_FONT));
    Select(stored.palette, Stock(DEFAULT_PALETTE));
    return HDC{id};
}

// ---- Targets --------------------------------------------------------------------------------

// Where a DC's pixels are, resolved for each call (a window's surface moves when it is resized).
struct Target {
    std::uint8_t* base = nullptr;  // row 0
    std::ptrdiff_t pitch = 0;      // bytes from one row to the next (negative bottom-up)
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    const std::array<std::uint32_t, 256>* table = nullptr;
    HWND window;

    std::uint8_t* Row(int y) const { return base + pitch * y; }
    std::uint32_t Get(int x, int y) const {
        if (bitsPerPixel == 8) return Row(y)[x];
        std::uint32_t v;
        std::memcpy(&v, Row(y) + 4 * x, 4);
        return v & 0x00FFFFFFu;
    }
    void Put(int x, int y, std::uint32_t v) const {
        if (bitsPerPixel == 8)
            Row(y)[x] = static_cast<std::uint8_t>(v);
        else
            std::memcpy(Row(y) + 4 * x, &v, 4);
    }
    std::uint32_t ToRgbValue(std::uint32_t v) const {
        return bitsPerPixel == 8 ? (*table)[v & 0xFF] : v;
    }
};

Target BitmapTarget(BitmapData& bm) {
    Target t;
    t.width = bm.width;
    t.height = bm.height;
    t.bitsPerPixel = bm.bitsPerPixel;
    t.table = &bm.table;
    if (bm.bottomUp) {
        t.base = bm.Bits() + static_cast<std::ptrdiff_t>(bm.height - 1) * bm.stride;
        t.pitch = -bm.stride;
    } else {
        t.base = bm.Bits();
        t.pitch = bm.stride;
    }
    return t;
}

// A window holding a copied 8-bit picture takes other drawing as the true-colour window it is:
// its picture is spread back to 32 bits first.
void SpreadPictureToRgb(HWND window) {
    WindowSurface* s = GetWindowSurface(window);
    if (!s || !s->pictureIndexed || s->format != SurfaceFormat::Indexed8) return;
    const std::vector<std::uint8_t> indices = s->indices;
    const std::array<std::uint32_t, 256> palette = s->palette;
    SetWindowSurfaceFormat(window, SurfaceFormat::Rgb32);
    s = GetWindowSurface(window);
    for (std::size_t i = 0; i < s->pixels.size() && i < indices.size(); ++i)
        s->pixels[i] = palette[indices[i]] & 0x00FFFFFFu;
}

bool ResolveTarget(const DeviceContext& dc, Target& out) {
    if (dc.pixels) {
        out = Target{};
        out.base = reinterpret_cast<std::uint8_t*>(dc.pixels);
        out.pitch = static_cast<std::ptrdiff_t>(dc.pixelsPitch) * 4;
        out.width = dc.pixelsWidth;
        out.height = dc.pixelsHeight;
        out.bitsPerPixel = 32;
        return out.width > 0 && out.height > 0;
    }
    if (dc.memory) {
        GdiObject* obj = TheGdi().Find(dc.bitmap, ObjKind::Bitmap);
        if (!obj || !obj->bitmap) return false;
        out = BitmapTarget(*obj->bitmap);
        return out.width > 0 && out.height > 0;
    }
    SpreadPictureToRgb(dc.window);
    WindowSurface* s = GetWindowSurface(dc.window);
    if (!s || s->width <= 0 || s->height <= 0) return false;
    out = Target{};
    out.width = s->width;
    out.height = s->height;
    out.window = dc.window;
    if (s->format == SurfaceFormat::Indexed8) {
        if (s->indices.size() < static_cast<std::size_t>(s->width) * s->height) return false;
        out.base = s->indices.data();
        out.pitch = s->width;
        out.bitsPerPixel = 8;
        out.table = &s->palette;
    } else {
        if (s->pixels.size() < static_cast<std::size_t>(s->width) * s->height) return false;
        out.base = reinterpret_cast<std::uint8_t*>(s->pixels.data());
        out.pitch = static_cast<std::ptrdiff_t>(s->width) * 4;
        out.bitsPerPixel = 32;
    }
    return true;
}

void Drawn(const Target& t) {
    if (t.window) MarkWindowSurfaceDrawn(t.window);
}

const std::vector<PALETTEENTRY>& DcPaletteEntries(const DeviceContext& dc) {
    if (GdiObject* pal = TheGdi().Find(dc.palette, ObjKind::Palette)) return pal->entries;
    return TheGdi().Find(Stock(DEFAULT_PALETTE), ObjKind::Palette)->entries;
}

// A COLORREF as the pixel value of a target: an index on 8 bits, 0x00RRGGBB on 32.
std::uint32_t PixelFor(const DeviceContext& dc, const Target& t, COLORREF c) {
    if ((c >> 24) == 0x01) {
        const unsigned i = c & 0xFFFF;
        if (t.bitsPerPixel == 8) {
            // A palette index on a window over the system palette goes through the mapping
            // realisation made; on a DIB it is an index of the DIB's own table.
            if (!dc.memory) {
                if (GdiObject* pal = TheGdi().Find(dc.palette, ObjKind::Palette);
                    pal && i < pal->systemIndex.size())
                    return pal->systemIndex[i];
            }
            return i & 0xFF;
        }
        const auto& entries = DcPaletteEntries(dc);
        if (i >= entries.size()) return 0;
        return ToRgb(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue));
    }
    if (t.bitsPerPixel == 8) return NearestTableIndex(*t.table, c & 0x00FFFFFFu);
    return ToRgb(c);
}

void FillTarget(const Target& t, RECT r, std::uint32_t value) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, t.width);
    r.bottom = std::min(r.bottom, t.height);
    if (r.left >= r.right || r.top >= r.bottom) return;
    for (int y = r.top; y < r.bottom; ++y) {
        if (t.bitsPerPixel == 8) {
            std::memset(t.Row(y) + r.left, static_cast<int>(value & 0xFF),
                        static_cast<std::size_t>(r.right - r.left));
        } else {
            for (int x = r.left; x < r.right; ++x)
                t.Put(x, y, value);
        }
    }
}

std::uint32_t ApplyRop(std::uint32_t rop, std::uint32_t dst, std::uint32_t src,
                       std::uint32_t mask) {
    switch (rop) {
        case SRCPAINT:
            return dst | src;
        case SRCAND:
            return dst & src;
        case SRCINVERT:
            return dst ^ src;
        case NOTSRCCOPY:
            return ~src & mask;
        default:
            return src;
    }
}

bool IsSourceRop(std::uint32_t rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
           rop == NOTSRCCOPY;
}

// Converts source pixel values to destination values: 8 to 8 through the nearest colours of
// the destination table (an identity when the tables agree), 8 to 32 through the source
// table, 32 to 8 by the nearest colour (cached), 32 to 32 unchanged.
class PixelConverter {
public:
    PixelConverter(const Target& src, const Target& dst) : src_(src), dst_(dst) {
        if (src.bitsPerPixel == 8) {
            const bool sameTable = dst.bitsPerPixel == 8 && *src.table == *dst.table;
            for (int i = 0; i < 256; ++i) {
                const std::uint32_t rgb = (*src.table)[i];
                if (dst.bitsPerPixel == 32)
                    lut_[i] = rgb;
                else
                    lut_[i] = sameTable ? static_cast<std::uint32_t>(i)
                                        : NearestTableIndex(*dst.table, ToColorRef(rgb));
            }
        }
    }
    std::uint32_t operator()(std::uint32_t v) {
        if (src_.bitsPerPixel == 8) return lut_[v & 0xFF];
        if (dst_.bitsPerPixel == 32) return v;
        // 32 to 8: a small direct-mapped cache keeps photographs from costing a search each.
        const std::size_t slot = ((v * 2654435761u) >> 20) & 4095;
        if (cacheKey_[slot] != (v | 0x80000000u)) {
            cacheKey_[slot] = v | 0x80000000u;
            cacheValue_[slot] = NearestTableIndex(*dst_.table, ToColorRef(v));
        }
        return cacheValue_[slot];
    }

private:
    const Target& src_;
    const Target& dst_;
    std::array<std::uint32_t, 256> lut_{};
    std::array<std::uint32_t, 4096> cacheKey_{};
    std::array<std::uint8_t, 4096> cacheValue_{};
};

// Nearest-pixel copy of a source rectangle onto a destination rectangle; a negative extent
// runs the other way, so extents of opposite signs mirror. Pixels that fall outside either
// target are left alone.
// The rectangle of a 1:1 copy that lies inside both targets (destination coordinates, 64-bit
// so that no extent can overflow); false when nothing is left.
struct CopyRect {
    std::int64_t left, top, right, bottom, dx, dy;  // source = destination + (dx, dy)
};
bool ClipCopy(const Target& dst, int x, int y, int w, int h, const Target& src, int sx, int sy,
              CopyRect& r) {
    r.dx = static_cast<std::int64_t>(sx) - x;
    r.dy = static_cast<std::int64_t>(sy) - y;
    r.left = std::max({static_cast<std::int64_t>(x), std::int64_t{0}, -r.dx});
    r.top = std::max({static_cast<std::int64_t>(y), std::int64_t{0}, -r.dy});
    r.right = std::min(
        {static_cast<std::int64_t>(x) + w, static_cast<std::int64_t>(dst.width), src.width - r.dx});
    r.bottom = std::min({static_cast<std::int64_t>(y) + h, static_cast<std::int64_t>(dst.height),
                         src.height - r.dy});
    return r.left < r.right && r.top < r.bottom;
}

// The common cases of a present: a 1:1 copy between targets of one depth whose colours agree
// goes row by row; an 8-bit picture onto a 32-bit target goes through its table.
bool FastCopy(const Target& dst, int x, int y, int w, int h, const Target& src, int sx, int sy) {
    const bool same = dst.bitsPerPixel == src.bitsPerPixel &&
                      (dst.bitsPerPixel == 32 || *dst.table == *src.table);
    const bool expand = src.bitsPerPixel == 8 && dst.bitsPerPixel == 32;
    if (!same && !expand) return false;
    CopyRect r;
    if (!ClipCopy(dst, x, y, w, h, src, sx, sy, r)) return true;
    const auto width = static_cast<std::size_t>(r.right - r.left);
    for (std::int64_t row = r.top; row < r.bottom; ++row) {
        const std::uint8_t* from = src.Row(static_cast<int>(row + r.dy)) +
                                   static_cast<std::size_t>(r.left + r.dx) * (src.bitsPerPixel / 8);
        std::uint8_t* to = dst.Row(static_cast<int>(row)) +
                           static_cast<std::size_t>(r.left) * (dst.bitsPerPixel / 8);
        if (same) {
            std::memcpy(to, from, width * (dst.bitsPerPixel / 8));
        } else {
            const auto& table = *src.table;
            for (std::size_t i = 0; i < width; ++i) {
                const std::uint32_t v = table[from[i]] & 0x00FFFFFFu;
                std::memcpy(to + 4 * i, &v, 4);
            }
        }
    }
    return true;
}

void StretchCore(const Target& dst, int x, int y, int w, int h, const Target& src, int sx, int sy,
                 int sw, int sh, std::uint32_t rop) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
    if (rop == SRCCOPY && w == sw && h == sh && w > 0 && h > 0 &&
        FastCopy(dst, x, y, w, h, src, sx, sy))
        return;
    const std::int64_t aw = std::abs(static_cast<std::int64_t>(w));
    const std::int64_t ah = std::abs(static_cast<std::int64_t>(h));
    const std::int64_t asw = std::abs(static_cast<std::int64_t>(sw));
    const std::int64_t ash = std::abs(static_cast<std::int64_t>(sh));
    // Only the columns and rows that land inside the destination are walked.
    auto destCol = [&](std::int64_t i) { return w > 0 ? x + i : x - 1 - i; };
    auto destRow = [&](std::int64_t j) { return h > 0 ? y + j : y - 1 - j; };
    auto srcCol = [&](std::int64_t i) {
        const std::int64_t off = ((2 * i + 1) * asw) / (2 * aw);
        return sw > 0 ? sx + off : sx - 1 - off;
    };
    auto srcRow = [&](std::int64_t j) {
        const std::int64_t off = ((2 * j + 1) * ash) / (2 * ah);
        return sh > 0 ? sy + off : sy - 1 - off;
    };
    std::vector<std::pair<int, int>> cols;  // destination column, source column
    cols.reserve(static_cast<std::size_t>(std::min<std::int64_t>(aw, dst.width)));
    for (std::int64_t i = 0; i < aw; ++i) {
        const std::int64_t dc = destCol(i);
        if (dc < 0 || dc >= dst.width) continue;
        const std::int64_t sc = srcCol(i);
        if (sc < 0 || sc >= src.width) continue;
        cols.emplace_back(static_cast<int>(dc), static_cast<int>(sc));
    }
    if (cols.empty()) return;
    PixelConverter convert(src, dst);
    const std::uint32_t mask = dst.bitsPerPixel == 8 ? 0xFFu : 0x00FFFFFFu;
    const bool plainCopy = rop == SRCCOPY;
    for (std::int64_t j = 0; j < ah; ++j) {
        const std::int64_t dr = destRow(j);
        if (dr < 0 || dr >= dst.height) continue;
        const std::int64_t sr = srcRow(j);
        if (sr < 0 || sr >= src.height) continue;
        const int dy = static_cast<int>(dr);
        const int syy = static_cast<int>(sr);
        for (const auto& [dc, sc] : cols) {
            const std::uint32_t s = convert(src.Get(sc, syy));
            dst.Put(dc, dy, plainCopy ? s : ApplyRop(rop, dst.Get(dc, dy), s, mask) & mask);
        }
    }
}

// ---- Text -----------------------------------------------------------------------------------

std::shared_ptr<TrueTypeFont> DcFont(const DeviceContext& dc) {
    if (GdiObject* f = TheGdi().Find(dc.font, ObjKind::Font); f && f->font) return f->font;
    if (GdiObject* f = TheGdi().Find(Stock(SYSTEM_FONT), ObjKind::Font)) return f->font;
    return nullptr;
}

const LOGFONT* DcLogFont(const DeviceContext& dc) {
    if (GdiObject* f = TheGdi().Find(dc.font, ObjKind::Font)) return &f->logFont;
    return nullptr;
}

struct Clip {
    int left, top, right, bottom;
};

Clip TargetClip(const Target& t) {
    return Clip{0, 0, t.width, t.height};
}

Clip Intersect(Clip a, const RECT& r) {
    return Clip{std::max(a.left, r.left), std::max(a.top, r.top), std::min(a.right, r.right),
                std::min(a.bottom, r.bottom)};
}

void BlendPut(const Target& t, int x, int y, std::uint32_t value, std::uint8_t coverage) {
    if (t.bitsPerPixel == 8 || coverage == 255) {
        if (coverage >= 128) t.Put(x, y, value);
        return;
    }
    const std::uint32_t d = t.Get(x, y);
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t a = (value >> shift) & 0xFF;
        const std::uint32_t b = (d >> shift) & 0xFF;
        out |= ((a * coverage + b * (255 - coverage) + 127) / 255) << shift;
    }
    t.Put(x, y, out);
}

// Walks the characters of one line of text, giving each character's pen position; tabs move
// to the next multiple of `tabWidth` when it is above 0. Returns the line's width.
template <class Visit>
int WalkLine(TrueTypeFont& font, std::string_view text, int tabWidth, Visit&& visit) {
    int x = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t at = pos;
        const char32_t c = NextTextChar(text, pos);
        if (c == '\t' && tabWidth > 0) {
            x = (x / tabWidth + 1) * tabWidth;
            continue;
        }
        const FontGlyph& g = font.Glyph(c);
        visit(at, c, x, g);
        x += g.advance;
    }
    return x;
}

int LineWidth(TrueTypeFont& font, std::string_view text, int tabWidth) {
    return WalkLine(font, text, tabWidth, [](std::size_t, char32_t, int, const FontGlyph&) {});
}

// Draws one line with its top-left at (x, top); `underlineAt` lists byte offsets of characters
// to underline (prefix marks), and `underlineAll` underlines the whole line.
void DrawLine(const Target& t, Clip clip, TrueTypeFont& font, int x, int top, std::string_view text,
              std::uint32_t value, int tabWidth, const std::vector<std::size_t>& underlineAt,
              bool underlineAll, bool strikeOut) {
    clip = Intersect(clip, RECT{0, 0, t.width, t.height});
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const int baseline = top + font.Ascent();
    auto hline = [&](int x0, int x1, int y0, int thickness) {
        for (int yy = y0; yy < y0 + thickness; ++yy) {
            if (yy < clip.top || yy >= clip.bottom) continue;
            for (int xx = std::max(x0, clip.left); xx < std::min(x1, clip.right); ++xx)
                t.Put(xx, yy, value);
        }
    };
    const int width =
        WalkLine(font, text, tabWidth, [&](std::size_t at, char32_t, int penX, const FontGlyph& g) {
            const int gx = x + penX + g.left;
            const int gy = baseline - g.top;
            for (int row = 0; row < g.rows; ++row) {
                const int yy = gy + row;
                if (yy < clip.top || yy >= clip.bottom) continue;
                for (int col = 0; col < g.width; ++col) {
                    const int xx = gx + col;
                    if (xx < clip.left || xx >= clip.right) continue;
                    const std::uint8_t cov =
                        g.coverage[static_cast<std::size_t>(row) * g.width + col];
                    if (cov) BlendPut(t, xx, yy, value, cov);
                }
            }
            if (std::find(underlineAt.begin(), underlineAt.end(), at) != underlineAt.end())
                hline(x + penX, x + penX + g.advance, baseline + font.UnderlinePosition(),
                      font.UnderlineThickness());
        });
    if (underlineAll)
        hline(x, x + width, baseline + font.UnderlinePosition(), font.UnderlineThickness());
    if (strikeOut) hline(x, x + width, baseline - font.Ascent() / 3, font.UnderlineThickness());
}

// Removes prefix marks: "&x" underlines x, "&&" is one ampersand. Offsets of the underlined
// characters are offsets into the returned text.
std::string StripPrefixes(std::string_view text, std::vector<std::size_t>* underlined) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out.push_back('&');
                ++i;
                continue;
            }
            if (i + 1 < text.size() && underlined) underlined->push_back(out.size());
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

// ---- System palette -------------------------------------------------------------------------

unsigned Realise(GdiObject& pal) {
    Gdi& gdi = TheGdi();
    // The outcome depends on the entries and on the system palette's static and free slots,
    // which a realisation leaves as they were: the same palette over the system palette it
    // made itself gives the same mapping, and changes nothing (a frame realises every time).
    if (pal.realisedSerial == gdi.systemPaletteSerial &&
        pal.systemIndex.size() == pal.entries.size() && pal.realisedEntries == pal.entries)
        return pal.realisedPlaced;
    // As the foreground palette, the logical palette owns every non-static entry.
    std::array<bool, 256> used{};
    for (int i = 0; i < 20; ++i)
        used[StaticSlot(i)] = true;
    std::array<PALETTEENTRY, 256> next = gdi.systemPalette;
    pal.systemIndex.assign(pal.entries.size(), 0);
    int nextFree = 10;
    unsigned placed = 0;
    for (std::size_t i = 0; i < pal.entries.size(); ++i) {
        const PALETTEENTRY e = pal.entries[i];
        if (e.peFlags & PC_EXPLICIT) {
            pal.systemIndex[i] = static_cast<std::uint8_t>(e.peRed | (e.peGreen << 8));
            continue;
        }
        if (!(e.peFlags & (PC_NOCOLLAPSE | PC_RESERVED))) {
            int match = -1;
            for (int s = 0; s < 256 && match < 0; ++s)
                if (used[s] && next[s].peRed == e.peRed && next[s].peGreen == e.peGreen &&
                    next[s].peBlue == e.peBlue)
                    match = s;
            if (match >= 0) {
                pal.systemIndex[i] = static_cast<std::uint8_t>(match);
                continue;
            }
        }
        if (nextFree <= 245) {
            next[nextFree] = PALETTEENTRY{e.peRed, e.peGreen, e.peBlue, 0};
            used[nextFree] = true;
            pal.systemIndex[i] = static_cast<std::uint8_t>(nextFree++);
            ++placed;
            continue;
        }
        // The system palette is full: the nearest colour already there.
        std::array<std::uint32_t, 256> table{};
        for (int s = 0; s < 256; ++s)
            table[s] =
                used[s] ? ToRgb(RGB(next[s].peRed, next[s].peGreen, next[s].peBlue)) : 0xFFFFFFFFu;
        pal.systemIndex[i] = NearestTableIndex(table, RGB(e.peRed, e.peGreen, e.peBlue));
    }
    bool changed = false;
    for (int s = 0; s < 256; ++s) {
        if (!(next[s] == gdi.systemPalette[s])) changed = true;
    }
    if (changed) {
        gdi.systemPalette = next;
        ++gdi.systemPaletteSerial;
    }
    pal.realisedEntries = pal.entries;
    pal.realisedSerial = gdi.systemPaletteSerial;
    pal.realisedPlaced = placed;
    return placed;
}

}  // namespace

// ---- Helpers --------------------------------------------------------------------------------

std::uint8_t NearestTableIndex(const std::array<std::uint32_t, 256>& table, COLORREF colour) {
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    int best = 0;
    std::int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t e = table[i];
        if (e == 0xFFFFFFFFu) continue;  // an unused slot (see Realise)
        const int dr = static_cast<int>((e >> 16) & 0xFF) - r;
        const int dg = static_cast<int>((e >> 8) & 0xFF) - g;
        const int db = static_cast<int>(e & 0xFF) - b;
        const std::int64_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// ---- Device contexts ------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC) {
    DeviceContext dc;
    dc.memory = true;
    return NewDc(dc);
}

bool DeleteDC(HDC hdc) {
    Gdi& gdi = TheGdi();
    DeviceContext* dc = gdi.Dc(hdc);
    if (!dc) return false;
    Select(dc->bitmap, 0);
    Select(dc->brush, 0);
    Select(dc->pen, 0);
    Select(dc->font, 0);
    Select(dc->palette, 0);
    gdi.dcs.erase(hdc.id);
    return true;
}

HDC CreatePixelDC(std::uint32_t* pixels, int width, int height, int pitch) {
    if (!pixels || width <= 0 || height <= 0 || pitch < width) return HDC{};
    DeviceContext dc;
    dc.memory = false;
    HDC hdc = NewDc(dc);
    DeviceContext* stored = TheGdi().Dc(hdc);
    stored->pixels = pixels;
    stored->pixelsWidth = width;
    stored->pixelsHeight = height;
    stored->pixelsPitch = pitch;
    return hdc;
}

HDC OpenWindowDC(HWND hwnd) {
    if (!GetWindowSurface(hwnd)) return HDC{};
    DeviceContext dc;
    dc.memory = false;
    dc.window = hwnd;
    return NewDc(dc);
}

bool CloseWindowDC(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || dc->memory || dc->pixels) return false;
    return DeleteDC(hdc);
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) {
        // The screen's DC: it draws nothing itself, but palettes select and realise in it.
        DeviceContext dc;
        dc.memory = false;
        return NewDc(dc);
    }
    return OpenWindowDC(hwnd);
}

int ReleaseDC(HWND, HDC hdc) {
    return CloseWindowDC(hdc) ? 1 : 0;
}

bool UpdateColors(HDC hdc) {
    // Window surfaces keep their pixels as indices or colours, so nothing needs remapping.
    return TheGdi().Dc(hdc) != nullptr;
}

void InstallWindowDcProvider() {
    SetDcProvider(DcProvider{[](HWND hwnd, bool) { return OpenWindowDC(hwnd); },
                             [](HWND, HDC hdc) { CloseWindowDC(hdc); }});
}

HWND WindowFromDC(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? dc->window : HWND{};
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    Gdi& gdi = TheGdi();
    DeviceContext* dc = gdi.Dc(hdc);
    auto it = gdi.objects.find(object.id);
    if (!dc || it == gdi.objects.end()) return HGDIOBJ{};
    std::uint32_t* slot = nullptr;
    switch (it->second.kind) {
        case ObjKind::Bitmap:
            // A bitmap goes into one memory DC at a time, never into a window DC.
            if (!dc->memory ||
                (it->second.selected > 0 && dc->bitmap != object.id && !it->second.stock))
                return HGDIOBJ{};
            slot = &dc->bitmap;
            break;
        case ObjKind::Brush:
            slot = &dc->brush;
            break;
        case ObjKind::Font:
            slot = &dc->font;
            break;
        case ObjKind::Pen:
            slot = &dc->pen;
            break;
        case ObjKind::Palette:
            return HGDIOBJ{};  // SelectPalette selects palettes
    }
    const std::uint32_t previous = *slot;
    Select(*slot, object.id);
    return HGDIOBJ{previous};
}

HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) {
    if (!TheGdi().Find(bitmap.id, ObjKind::Bitmap)) return HBITMAP{};
    return HBITMAP{SelectObject(hdc, AsGdiObject(bitmap)).id};
}
HBRUSH SelectObject(HDC hdc, HBRUSH brush) {
    if (!TheGdi().Find(brush.id, ObjKind::Brush)) return HBRUSH{};
    return HBRUSH{SelectObject(hdc, AsGdiObject(brush)).id};
}
HFONT SelectObject(HDC hdc, HFONT font) {
    if (!TheGdi().Find(font.id, ObjKind::Font)) return HFONT{};
    return HFONT{SelectObject(hdc, AsGdiObject(font)).id};
}
HPEN SelectObject(HDC hdc, HPEN pen) {
    if (!TheGdi().Find(pen.id, ObjKind::Pen)) return HPEN{};
    return HPEN{SelectObject(hdc, AsGdiObject(pen)).id};
}

HGDIOBJ GetCurrentObject(HDC hdc, unsigned objectType) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc) return HGDIOBJ{};
    switch (objectType) {
        case OBJ_PEN:
            return HGDIOBJ{dc->pen};
        case OBJ_BRUSH:
            return HGDIOBJ{dc->brush};
        case OBJ_PAL:
            return HGDIOBJ{dc->palette};
        case OBJ_FONT:
            return HGDIOBJ{dc->font};
        case OBJ_BITMAP:
            return HGDIOBJ{dc->bitmap};
        default:
            return HGDIOBJ{};
    }
}

bool DeleteObject(HGDIOBJ object) {
    Gdi& gdi = TheGdi();
    auto it = gdi.objects.find(object.id);
    if (it == gdi.objects.end()) return false;
    if (it->second.stock) return true;
    // Deleting what a DC still holds would leave the DC drawing with a dangling object.
    if (it->second.selected > 0) return false;
    gdi.objects.erase(it);
    return true;
}

HGDIOBJ GetStockObject(int index) {
    if (index == 9) return HGDIOBJ{};
    return HGDIOBJ{Stock(index)};
}

int SetBkMode(HDC hdc, int mode) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->bkMode, mode);
}
int GetBkMode(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? dc->bkMode : 0;
}
COLORREF SetBkColor(HDC hdc, COLORREF colour) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? std::exchange(dc->bkColour, colour) : CLR_INVALID;
}
COLORREF GetBkColor(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? dc->bkColour : CLR_INVALID;
}
COLORREF SetTextColor(HDC hdc, COLORREF colour) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? std::exchange(dc->textColour, colour) : CLR_INVALID;
}
COLORREF GetTextColor(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? dc->textColour : CLR_INVALID;
}
std::uint32_t SetTextAlign(HDC hdc, std::uint32_t align) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? std::exchange(dc->textAlign, align) : 0xFFFFFFFFu;
}
std::uint32_t GetTextAlign(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? dc->textAlign : 0xFFFFFFFFu;
}
int SetStretchBltMode(HDC hdc, int mode) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    return dc ? std::exchange(dc->stretchMode, mode) : 0;
}

int GetDeviceCaps(HDC hdc, int index) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    const bool memory = dc && dc->memory && ResolveTarget(*dc, t);
    // The screen is a 256-colour display with a palette, the machine the program was made for;
    // a memory DC answers for its bitmap.
    switch (index) {
        case HORZRES:
            return memory ? t.width : GetSystemMetrics(SM_CXSCREEN);
        case VERTRES:
            return memory ? t.height : GetSystemMetrics(SM_CYSCREEN);
        case BITSPIXEL:
            return memory ? t.bitsPerPixel : 8;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return memory && t.bitsPerPixel == 32 ? -1 : 20;
        case RASTERCAPS:
            return memory && t.bitsPerPixel == 32 ? 0 : RC_PALETTE;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case SIZEPALETTE:
            return memory && t.bitsPerPixel == 32 ? 0 : 256;
        case NUMRESERVED:
            return memory && t.bitsPerPixel == 32 ? 0 : 20;
        case COLORRES:
            return 18;
        default:
            return 0;
    }
}

COLORREF GetNearestColor(HDC hdc, COLORREF colour) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t)) return CLR_INVALID;
    return ToColorRef(t.ToRgbValue(PixelFor(*dc, t, colour)));
}

// ---- Bitmaps --------------------------------------------------------------------------------

namespace {

HBITMAP NewBitmap(int width, int height, int bitsPerPixel, bool bottomUp) {
    // Refuse sizes whose pixel count cannot be held (or is absurd for a 640×480 program).
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return HBITMAP{};
    if (bitsPerPixel != 8 && bitsPerPixel != 32) return HBITMAP{};
    GdiObject obj;
    obj.kind = ObjKind::Bitmap;
    obj.bitmap = std::make_unique<BitmapData>();
    BitmapData& bm = *obj.bitmap;
    bm.width = width;
    bm.height = height;
    bm.bitsPerPixel = bitsPerPixel;
    bm.bottomUp = bottomUp;
    bm.stride = bitsPerPixel == 8 ? (width + 3) & ~3 : width * 4;
    bm.storage.assign(static_cast<std::size_t>(bm.stride) * height / 4, 0);
    return HBITMAP{TheGdi().Add(std::move(obj))};
}

BitmapData* BitmapOf(HBITMAP bitmap) {
    GdiObject* obj = TheGdi().Find(bitmap.id, ObjKind::Bitmap);
    return obj ? obj->bitmap.get() : nullptr;
}

BitmapData* SelectedBitmap(HDC hdc) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || !dc->memory) return nullptr;
    GdiObject* obj = TheGdi().Find(dc->bitmap, ObjKind::Bitmap);
    return obj && !obj->stock ? obj->bitmap.get() : nullptr;
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, std::uint32_t usage, void** bits, void*,
                         std::uint32_t) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS) return HBITMAP{};
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount != 8 && h.biBitCount != 32) return HBITMAP{};
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && h.biBitCount == 32))
        return HBITMAP{};
    if (h.biHeight == INT32_MIN) return HBITMAP{};
    const HBITMAP result = NewBitmap(h.biWidth, std::abs(h.biHeight), h.biBitCount, h.biHeight > 0);
    BitmapData* bm = BitmapOf(result);
    if (!bm) return HBITMAP{};
    if (h.biBitCount == 8) {
        const unsigned used = h.biClrUsed == 0 || h.biClrUsed > 256 ? 256 : h.biClrUsed;
        for (unsigned i = 0; i < used; ++i)
            bm->table[i] = QuadToRgb(info->bmiColors[i]);
    }
    if (bits) *bits = bm->Bits();
    return result;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (dc && dc->memory && ResolveTarget(*dc, t) && t.bitsPerPixel == 8) {
        const HBITMAP result = NewBitmap(width, height, 8, false);
        if (BitmapData* bm = BitmapOf(result)) bm->table = *t.table;
        return result;
    }
    return NewBitmap(width, height, 32, false);
}

HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                     const void* bits) {
    if (planes != 1) return HBITMAP{};
    const HBITMAP result = NewBitmap(width, height, static_cast<int>(bitsPerPixel), false);
    BitmapData* bm = BitmapOf(result);
    if (!bm) return HBITMAP{};
    if (bitsPerPixel == 8)
        for (int i = 0; i < 256; ++i)
            bm->table[i] = ToRgb(RGB(i, i, i));
    if (bits) {
        // Rows of the source are WORD-aligned, as CreateBitmap's are.
        const int srcStride = ((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2;
        const auto* src = static_cast<const std::uint8_t*>(bits);
        const int rowBytes = width * static_cast<int>(bitsPerPixel) / 8;
        for (int y = 0; y < height; ++y)
            std::memcpy(bm->Bits() + static_cast<std::ptrdiff_t>(y) * bm->stride,
                        src + static_cast<std::ptrdiff_t>(y) * srcStride,
                        static_cast<std::size_t>(rowBytes));
    }
    return result;
}

bool GetObject(HBITMAP bitmap, BITMAP* out) {
    BitmapData* bm = BitmapOf(bitmap);
    if (!bm || !out) return false;
    out->bmType = 0;
    out->bmWidth = bm->width;
    out->bmHeight = bm->height;
    out->bmWidthBytes = bm->stride;
    out->bmPlanes = 1;
    out->bmBitsPixel = static_cast<std::uint16_t>(bm->bitsPerPixel);
    out->bmBits = bm->Bits();
    return true;
}

unsigned SetDIBColorTable(HDC hdc, unsigned start, unsigned count, const RGBQUAD* colours) {
    BitmapData* bm = SelectedBitmap(hdc);
    if (!bm || bm->bitsPerPixel != 8 || !colours || start >= 256) return 0;
    count = std::min(count, 256 - start);
    for (unsigned i = 0; i < count; ++i)
        bm->table[start + i] = QuadToRgb(colours[i]);
    return count;
}

unsigned GetDIBColorTable(HDC hdc, unsigned start, unsigned count, RGBQUAD* colours) {
    BitmapData* bm = SelectedBitmap(hdc);
    if (!bm || bm->bitsPerPixel != 8 || !colours || start >= 256) return 0;
    count = std::min(count, 256 - start);
    for (unsigned i = 0; i < count; ++i)
        colours[i] = RgbToQuad(bm->table[start + i]);
    return count;
}

namespace {

// A whole 8-bit picture copied onto a true-colour window keeps its indices and colour table, so
// the copy is a row copy and the screen takes the window as indices (one lookup on the way out)
// instead of a 32-bit conversion, a composition and another copy.
bool CopyWholePictureIndexed(const DeviceContext& ddc, const Target& st, int x, int y, int w,
                             int h, int sx, int sy, int sw, int sh, std::uint32_t rop) {
    if (ddc.memory || ddc.pixels || !ddc.window || rop != SRCCOPY || st.bitsPerPixel != 8 ||
        st.table == nullptr || x != 0 || y != 0 || sx != 0 || sy != 0 || w != sw || h != sh ||
        w != st.width || h != st.height)
        return false;
    WindowSurface* ws = GetWindowSurface(ddc.window);
    if (!ws || w != ws->width || h != ws->height) return false;
    bool changed = false;
    if (ws->format == SurfaceFormat::Rgb32) {
        SetWindowSurfaceFormat(ddc.window, SurfaceFormat::Indexed8);
        ws = GetWindowSurface(ddc.window);
        ws->pictureIndexed = true;
        changed = true;
    } else if (!ws->pictureIndexed) {
        return false;  // an 8-bit window of its own keeps the system palette's rules
    }
    // Only rows that differ are copied, and a picture that did not change leaves the window
    // undrawn, so the screen is not presented again for the same frame.
    // The rows copied are noted for the screen, which then need not compare them again.
    const bool tracked = ws->rowsSerial == ws->contentSerial &&
                         ws->rowsChanged.size() == static_cast<std::size_t>(h);
    for (int row = 0; row < h; ++row) {
        std::uint8_t* to = &ws->indices[static_cast<std::size_t>(row) * w];
        if (std::memcmp(to, st.Row(row), static_cast<std::size_t>(w)) == 0) continue;
        std::memcpy(to, st.Row(row), static_cast<std::size_t>(w));
        if (tracked) ws->rowsChanged[static_cast<std::size_t>(row)] = 1;
        changed = true;
    }
    SetWindowSurfacePalette(ddc.window, *st.table);
    if (changed) {
        MarkWindowSurfaceDrawn(ddc.window);
        if (tracked) ws->rowsSerial = ws->contentSerial;
    }
    return true;
}

}  // namespace

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sw,
                int sh, std::uint32_t rop) {
    Gdi& gdi = TheGdi();
    DeviceContext* ddc = gdi.Dc(dest);
    DeviceContext* sdc = gdi.Dc(source);
    if (!ddc || !sdc || !IsSourceRop(rop)) return false;
    Target dt, st;
    if (!ResolveTarget(*sdc, st)) return false;
    if (CopyWholePictureIndexed(*ddc, st, x, y, width, height, sx, sy, sw, sh, rop)) return true;
    if (!ResolveTarget(*ddc, dt)) return false;
    if (dt.base == st.base) {
        // A copy within one target reads from a snapshot, so overlapping rectangles work.
        std::vector<std::uint8_t> copy(static_cast<std::size_t>(std::abs(st.pitch)) * st.height);
        std::uint8_t* lowest = st.pitch < 0 ? st.Row(st.height - 1) : st.base;
        std::memcpy(copy.data(), lowest, copy.size());
        Target snap = st;
        snap.base = st.pitch < 0 ? copy.data() + (st.height - 1) * std::abs(st.pitch) : copy.data();
        StretchCore(dt, x, y, width, height, snap, sx, sy, sw, sh, rop);
    } else {
        StretchCore(dt, x, y, width, height, st, sx, sy, sw, sh, rop);
    }
    Drawn(dt);
    return true;
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
            std::uint32_t rop) {
    if (!IsSourceRop(rop)) return PatBlt(dest, x, y, width, height, rop);
    return StretchBlt(dest, x, y, width, height, source, sx, sy, width, height, rop);
}

int StretchDIBits(HDC dest, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* info, std::uint32_t usage,
                  std::uint32_t rop) {
    DeviceContext* ddc = TheGdi().Dc(dest);
    if (!ddc || !bits || !info || usage != DIB_RGB_COLORS || !IsSourceRop(rop)) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if ((h.biBitCount != 8 && h.biBitCount != 32) || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == INT32_MIN)
        return 0;
    std::array<std::uint32_t, 256> table{};
    if (h.biBitCount == 8) {
        const unsigned used = h.biClrUsed == 0 || h.biClrUsed > 256 ? 256 : h.biClrUsed;
        for (unsigned i = 0; i < used; ++i)
            table[i] = QuadToRgb(info->bmiColors[i]);
    }
    Target src;
    src.width = h.biWidth;
    src.height = std::abs(h.biHeight);
    src.bitsPerPixel = h.biBitCount;
    src.table = &table;
    const std::ptrdiff_t stride =
        h.biBitCount == 8 ? (h.biWidth + 3) & ~3 : static_cast<std::ptrdiff_t>(h.biWidth) * 4;
    auto* base = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(bits));
    if (h.biHeight > 0) {
        src.base = base + stride * (src.height - 1);
        src.pitch = -stride;
    } else {
        src.base = base;
        src.pitch = stride;
    }
    Target dt;
    if (!ResolveTarget(*ddc, dt)) return 0;
    StretchCore(dt, x, y, width, height, src, sx, sy, sw, sh, rop);
    Drawn(dt);
    return std::abs(height);
}

bool PatBlt(HDC hdc, int x, int y, int width, int height, std::uint32_t rop) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t)) return false;
    RECT r{std::min(x, x + width), std::min(y, y + height), std::max(x, x + width),
           std::max(y, y + height)};
    switch (rop) {
        case BLACKNESS:
            FillTarget(t, r, PixelFor(*dc, t, RGB(0, 0, 0)));
            break;
        case WHITENESS:
            FillTarget(t, r, PixelFor(*dc, t, RGB(255, 255, 255)));
            break;
        case PATCOPY: {
            GdiObject* brush = TheGdi().Find(dc->brush, ObjKind::Brush);
            if (brush && !brush->hollow) FillTarget(t, r, PixelFor(*dc, t, brush->colour));
            break;
        }
        case DSTINVERT: {
            const std::uint32_t mask = t.bitsPerPixel == 8 ? 0xFF : 0x00FFFFFF;
            for (int yy = std::max(r.top, 0); yy < std::min(r.bottom, t.height); ++yy)
                for (int xx = std::max(r.left, 0); xx < std::min(r.right, t.width); ++xx)
                    t.Put(xx, yy, ~t.Get(xx, yy) & mask);
            break;
        }
        default:
            return false;
    }
    Drawn(t);
    return true;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t) || x < 0 || y < 0 || x >= t.width || y >= t.height)
        return CLR_INVALID;
    return ToColorRef(t.ToRgbValue(t.Get(x, y)));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t) || x < 0 || y < 0 || x >= t.width || y >= t.height)
        return CLR_INVALID;
    const std::uint32_t v = PixelFor(*dc, t, colour);
    t.Put(x, y, v);
    Drawn(t);
    return ToColorRef(t.ToRgbValue(v));
}

// ---- Brushes, pens, rectangles, lines -------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF colour) {
    GdiObject obj;
    obj.kind = ObjKind::Brush;
    obj.colour = colour;
    return HBRUSH{TheGdi().Add(std::move(obj))};
}

COLORREF GetSysColor(int index) {
    return SysColour(index);
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index > COLOR_INFOBK) return HBRUSH{};
    Gdi& gdi = TheGdi();
    if (gdi.sysBrushes[index] == 0) {
        GdiObject obj;
        obj.kind = ObjKind::Brush;
        obj.stock = true;
        obj.colour = SysColour(index);
        gdi.sysBrushes[index] = gdi.Add(std::move(obj));
    }
    return HBRUSH{gdi.sysBrushes[index]};
}

namespace {

// The brush colour, or nothing for a hollow brush; small numbers are system colours + 1.
bool BrushColour(HBRUSH brush, COLORREF* colour) {
    if (brush.id >= 1 && brush.id <= static_cast<std::uint32_t>(COLOR_INFOBK) + 1) {
        *colour = SysColour(static_cast<int>(brush.id) - 1);
        return true;
    }
    GdiObject* obj = TheGdi().Find(brush.id, ObjKind::Brush);
    if (!obj || obj->hollow) return false;
    *colour = obj->colour;
    return true;
}

void PlotPen(const Target& t, int x, int y, int width, std::uint32_t value) {
    const int half = width / 2;
    for (int yy = y - half; yy < y - half + width; ++yy)
        for (int xx = x - half; xx < x - half + width; ++xx)
            if (xx >= 0 && yy >= 0 && xx < t.width && yy < t.height) t.Put(xx, yy, value);
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    COLORREF colour = 0;
    if (!dc || !rect || !ResolveTarget(*dc, t)) return 0;
    if (!BrushColour(brush, &colour)) return 1;
    FillTarget(t, *rect, PixelFor(*dc, t, colour));
    Drawn(t);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    COLORREF colour = 0;
    if (!dc || !rect || !ResolveTarget(*dc, t)) return 0;
    if (!BrushColour(brush, &colour) || rect->right <= rect->left || rect->bottom <= rect->top)
        return 1;
    const std::uint32_t v = PixelFor(*dc, t, colour);
    const RECT& r = *rect;
    FillTarget(t, RECT{r.left, r.top, r.right, r.top + 1}, v);
    FillTarget(t, RECT{r.left, r.bottom - 1, r.right, r.bottom}, v);
    FillTarget(t, RECT{r.left, r.top, r.left + 1, r.bottom}, v);
    FillTarget(t, RECT{r.right - 1, r.top, r.right, r.bottom}, v);
    Drawn(t);
    return 1;
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    GdiObject obj;
    obj.kind = ObjKind::Pen;
    obj.colour = colour;
    obj.hollow = style == PS_NULL;
    obj.penWidth = std::clamp(width, 1, 64);
    return HPEN{TheGdi().Add(std::move(obj))};
}

bool MoveToEx(HDC hdc, int x, int y, POINT* previous) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc) return false;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return true;
}

bool LineTo(HDC hdc, int x, int y) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t)) return false;
    GdiObject* pen = TheGdi().Find(dc->pen, ObjKind::Pen);
    const POINT from = dc->position;
    dc->position = POINT{x, y};
    if (!pen || pen->hollow) return true;
    const std::uint32_t v = PixelFor(*dc, t, pen->colour);
    // Steps along the major axis from the current position up to, but not including, the end
    // point; the minor coordinate is rounded from the exact slope. Only the steps whose major
    // coordinate lies near the target are walked, so a line to a far point costs no more than
    // one across the target.
    const std::int64_t x0 = from.x, y0 = from.y;
    const std::int64_t ddx = static_cast<std::int64_t>(x) - x0;
    const std::int64_t ddy = static_cast<std::int64_t>(y) - y0;
    const bool xMajor = std::abs(ddx) >= std::abs(ddy);
    const std::int64_t n = xMajor ? std::abs(ddx) : std::abs(ddy);
    const std::int64_t major0 = xMajor ? x0 : y0;
    const std::int64_t minor0 = xMajor ? y0 : x0;
    const std::int64_t minorDelta = xMajor ? ddy : ddx;
    const int step = (xMajor ? ddx : ddy) < 0 ? -1 : 1;
    const std::int64_t limit = (xMajor ? t.width : t.height) + 64;
    // The range of steps i whose major coordinate major0 + step * i lies in [-64, limit).
    std::int64_t first = 0, last = n;  // half-open
    if (step > 0) {
        first = std::max<std::int64_t>(first, -64 - major0);
        last = std::min<std::int64_t>(last, limit - major0);
    } else {
        first = std::max<std::int64_t>(first, major0 - limit + 1);
        last = std::min<std::int64_t>(last, major0 + 64 + 1);
    }
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t major = major0 + step * i;
        // Rounded i × slope, floored; a 128-bit product, as both factors may approach 2^32.
        const __int128 scaled = static_cast<__int128>(2) * i * minorDelta + n;
        __int128 q = scaled / (2 * n);
        if (scaled % (2 * n) < 0) --q;
        const std::int64_t minor = minor0 + static_cast<std::int64_t>(q);
        const std::int64_t px = xMajor ? major : minor;
        const std::int64_t py = xMajor ? minor : major;
        if (px >= -64 && py >= -64 && px < t.width + 64 && py < t.height + 64)
            PlotPen(t, static_cast<int>(px), static_cast<int>(py), pen->penWidth, v);
    }
    Drawn(t);
    return true;
}

bool Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t)) return false;
    if (GdiObject* brush = TheGdi().Find(dc->brush, ObjKind::Brush); brush && !brush->hollow)
        FillTarget(t, RECT{left + 1, top + 1, right - 1, bottom - 1},
                   PixelFor(*dc, t, brush->colour));
    if (GdiObject* pen = TheGdi().Find(dc->pen, ObjKind::Pen); pen && !pen->hollow) {
        const std::uint32_t v = PixelFor(*dc, t, pen->colour);
        FillTarget(t, RECT{left, top, right, top + 1}, v);
        FillTarget(t, RECT{left, bottom - 1, right, bottom}, v);
        FillTarget(t, RECT{left, top, left + 1, bottom}, v);
        FillTarget(t, RECT{right - 1, top, right, bottom}, v);
    }
    Drawn(t);
    return true;
}

// ---- Text -----------------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONT* font) {
    if (!font) return HFONT{};
    GdiObject obj;
    obj.kind = ObjKind::Font;
    obj.logFont = *font;
    obj.font = TrueTypeFont::Realise(*font);
    return HFONT{TheGdi().Add(std::move(obj))};
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 unsigned italic, unsigned underline, unsigned strikeOut, unsigned charSet,
                 unsigned outPrecision, unsigned clipPrecision, unsigned quality,
                 unsigned pitchAndFamily, std::string_view faceName) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<std::uint8_t>(italic != 0);
    lf.lfUnderline = static_cast<std::uint8_t>(underline != 0);
    lf.lfStrikeOut = static_cast<std::uint8_t>(strikeOut != 0);
    lf.lfCharSet = static_cast<std::uint8_t>(charSet);
    lf.lfOutPrecision = static_cast<std::uint8_t>(outPrecision);
    lf.lfClipPrecision = static_cast<std::uint8_t>(clipPrecision);
    lf.lfQuality = static_cast<std::uint8_t>(quality);
    lf.lfPitchAndFamily = static_cast<std::uint8_t>(pitchAndFamily);
    lf.lfFaceName = std::string(faceName.substr(0, 31));
    return CreateFontIndirect(&lf);
}

bool GetObject(HFONT font, LOGFONT* out) {
    GdiObject* obj = TheGdi().Find(font.id, ObjKind::Font);
    if (!obj || !out) return false;
    *out = obj->logFont;
    return true;
}

bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || !metrics) return false;
    auto font = DcFont(*dc);
    const LOGFONT* lf = DcLogFont(*dc);
    if (!font) return false;
    *metrics = TEXTMETRIC{};
    metrics->tmHeight = font->Height();
    metrics->tmAscent = font->Ascent();
    metrics->tmDescent = font->Descent();
    metrics->tmInternalLeading = font->InternalLeading();
    metrics->tmAveCharWidth = font->AverageCharWidth();
    metrics->tmMaxCharWidth = font->MaxCharWidth();
    if (lf) {
        metrics->tmWeight = lf->lfWeight == FW_DONTCARE ? FW_NORMAL : lf->lfWeight;
        metrics->tmItalic = lf->lfItalic;
        metrics->tmUnderlined = lf->lfUnderline;
        metrics->tmStruckOut = lf->lfStrikeOut;
        metrics->tmCharSet = lf->lfCharSet;
        metrics->tmPitchAndFamily = lf->lfPitchAndFamily;
    }
    return true;
}

bool GetTextExtentPoint32(HDC hdc, std::string_view text, SIZE* size) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || !size) return false;
    auto font = DcFont(*dc);
    if (!font) return false;
    size->cx = font->TextWidth(text);
    size->cy = font->Height();
    return true;
}

bool ExtTextOut(HDC hdc, int x, int y, std::uint32_t options, const RECT* rect,
                std::string_view text) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    Target t;
    if (!dc || !ResolveTarget(*dc, t)) return false;
    auto font = DcFont(*dc);
    if (!font) return false;
    const int width = font->TextWidth(text);
    if (dc->textAlign & TA_UPDATECP) {
        x = dc->position.x;
        y = dc->position.y;
    }
    int left = x;
    switch (dc->textAlign & TA_CENTER) {
        case TA_RIGHT:
            left = x - width;
            break;
        case TA_CENTER:
            left = x - width / 2;
            break;
        default:
            break;
    }
    int top = y;
    if ((dc->textAlign & TA_BASELINE) == TA_BASELINE)
        top = y - font->Ascent();
    else if (dc->textAlign & TA_BOTTOM)
        top = y - font->Height();
    if (dc->textAlign & TA_UPDATECP) {
        if ((dc->textAlign & TA_CENTER) == TA_LEFT) dc->position.x = left + width;
        if ((dc->textAlign & TA_CENTER) == TA_RIGHT) dc->position.x = left;
    }
    Clip clip = TargetClip(t);
    if (rect && (options & ETO_OPAQUE)) FillTarget(t, *rect, PixelFor(*dc, t, dc->bkColour));
    if (rect && (options & ETO_CLIPPED)) clip = Intersect(clip, *rect);
    if (dc->bkMode == OPAQUE) {
        Target clipped = t;
        RECT box{left, top, left + width, top + font->Height()};
        box.left = std::max(box.left, clip.left);
        box.top = std::max(box.top, clip.top);
        box.right = std::min(box.right, clip.right);
        box.bottom = std::min(box.bottom, clip.bottom);
        FillTarget(clipped, box, PixelFor(*dc, t, dc->bkColour));
    }
    const LOGFONT* lf = DcLogFont(*dc);
    DrawLine(t, clip, *font, left, top, text, PixelFor(*dc, t, dc->textColour), 0, {},
             lf && lf->lfUnderline, lf && lf->lfStrikeOut);
    Drawn(t);
    return true;
}

bool TextOut(HDC hdc, int x, int y, std::string_view text) {
    return ExtTextOut(hdc, x, y, 0, nullptr, text);
}

int DrawText(HDC hdc, std::string_view text, RECT* rect, std::uint32_t format) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || !rect) return 0;
    auto font = DcFont(*dc);
    if (!font) return 0;
    const int lineHeight = font->Height();
    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * font->AverageCharWidth() : 0;
    const int boxWidth = rect->right - rect->left;

    struct Line {
        std::string text;
        std::vector<std::size_t> underlined;
    };
    std::vector<Line> lines;
    // Paragraphs end at line breaks (CR LF, CR or LF) unless the text is one line.
    std::vector<std::string> paragraphs(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (format & DT_SINGLELINE) continue;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            paragraphs.emplace_back();
            continue;
        }
        paragraphs.back().push_back(c);
    }
    for (const std::string& paragraph : paragraphs) {
        std::vector<std::size_t> marks;
        const std::string shown =
            (format & DT_NOPREFIX) ? paragraph : StripPrefixes(paragraph, &marks);
        if (format & DT_HIDEPREFIX) marks.clear();
        auto addLine = [&](std::size_t from, std::size_t to) {
            Line line;
            line.text = shown.substr(from, to - from);
            for (std::size_t m : marks)
                if (m >= from && m < to) line.underlined.push_back(m - from);
            lines.push_back(std::move(line));
        };
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
            addLine(0, shown.size());
            continue;
        }
        // Greedy word wrap: a line takes words while they fit; a word wider than the box gets
        // a line of its own. Spaces at a break are dropped.
        std::size_t lineStart = 0;
        std::size_t pos = 0;
        std::size_t lastFitEnd = std::string::npos;
        while (pos <= shown.size()) {
            const std::size_t wordEnd = std::min(shown.find(' ', pos), shown.size());
            const int width = LineWidth(
                *font, std::string_view(shown).substr(lineStart, wordEnd - lineStart), tabWidth);
            if (width > boxWidth && lastFitEnd != std::string::npos) {
                addLine(lineStart, lastFitEnd);
                lineStart = lastFitEnd;
                while (lineStart < shown.size() && shown[lineStart] == ' ')
                    ++lineStart;
                pos = lineStart;
                lastFitEnd = std::string::npos;
                continue;
            }
            lastFitEnd = wordEnd;
            if (wordEnd >= shown.size()) break;
            pos = wordEnd + 1;
        }
        addLine(lineStart, shown.size());
    }

    int widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, LineWidth(*font, line.text, tabWidth));
    const int total = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    Target t;
    if (!ResolveTarget(*dc, t)) return 0;
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineHeight;
    }
    Clip clip = TargetClip(t);
    if (!(format & DT_NOCLIP)) clip = Intersect(clip, *rect);
    const std::uint32_t textValue = PixelFor(*dc, t, dc->textColour);
    const std::uint32_t bkValue = PixelFor(*dc, t, dc->bkColour);
    const LOGFONT* lf = DcLogFont(*dc);
    for (const Line& line : lines) {
        const int width = LineWidth(*font, line.text, tabWidth);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (boxWidth - width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - width;
        if (dc->bkMode == OPAQUE) {
            RECT box{std::max(x, clip.left), std::max(y, clip.top), std::min(x + width, clip.right),
                     std::min(y + lineHeight, clip.bottom)};
            FillTarget(t, box, bkValue);
        }
        DrawLine(t, clip, *font, x, y, line.text, textValue, tabWidth, line.underlined,
                 lf && lf->lfUnderline, lf && lf->lfStrikeOut);
        y += lineHeight;
    }
    Drawn(t);
    return total;
}

// ---- Palettes -------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palVersion != 0x300 || palette->palPalEntry.empty() ||
        palette->palPalEntry.size() > 256)
        return HPALETTE{};
    GdiObject obj;
    obj.kind = ObjKind::Palette;
    obj.entries = palette->palPalEntry;
    return HPALETTE{TheGdi().Add(std::move(obj))};
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool) {
    Gdi& gdi = TheGdi();
    DeviceContext* dc = gdi.Dc(hdc);
    if (!dc || !gdi.Find(palette.id, ObjKind::Palette)) return HPALETTE{};
    const std::uint32_t previous = dc->palette;
    Select(dc->palette, palette.id);
    return HPALETTE{previous};
}

unsigned RealizePalette(HDC hdc) {
    Gdi& gdi = TheGdi();
    DeviceContext* dc = gdi.Dc(hdc);
    if (!dc) return 0;
    GdiObject* pal = gdi.Find(dc->palette, ObjKind::Palette);
    if (!pal || pal->stock) return 0;
    const unsigned placed = Realise(*pal);
    if (!dc->memory) {
        // An 8-bit window shows its indices through the system palette, as a 256-colour
        // screen does.
        if (WindowSurface* s = GetWindowSurface(dc->window);
            s && s->format == SurfaceFormat::Indexed8 && !s->pictureIndexed) {
            std::array<std::uint32_t, 256> colours{};
            for (int i = 0; i < 256; ++i) {
                const PALETTEENTRY& e = gdi.systemPalette[i];
                colours[i] = ToRgb(RGB(e.peRed, e.peGreen, e.peBlue));
            }
            if (colours != s->palette) SetWindowSurfacePalette(dc->window, colours);
        }
    }
    return placed;
}

unsigned SetPaletteEntries(HPALETTE palette, unsigned start, unsigned count,
                           const PALETTEENTRY* entries) {
    GdiObject* pal = TheGdi().Find(palette.id, ObjKind::Palette);
    if (!pal || pal->stock || !entries || start >= pal->entries.size()) return 0;
    count = std::min<unsigned>(count, static_cast<unsigned>(pal->entries.size()) - start);
    std::copy(entries, entries + count, pal->entries.begin() + start);
    return count;
}

unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count,
                           PALETTEENTRY* entries) {
    GdiObject* pal = TheGdi().Find(palette.id, ObjKind::Palette);
    if (!pal) return 0;
    if (!entries) return static_cast<unsigned>(pal->entries.size());
    if (start >= pal->entries.size()) return 0;
    count = std::min<unsigned>(count, static_cast<unsigned>(pal->entries.size()) - start);
    std::copy(pal->entries.begin() + start, pal->entries.begin() + start + count, entries);
    return count;
}

unsigned GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
    GdiObject* pal = TheGdi().Find(palette.id, ObjKind::Palette);
    if (!pal) return CLR_INVALID;
    std::array<std::uint32_t, 256> table;
    table.fill(0xFFFFFFFFu);
    for (std::size_t i = 0; i < pal->entries.size(); ++i)
        table[i] =
            ToRgb(RGB(pal->entries[i].peRed, pal->entries[i].peGreen, pal->entries[i].peBlue));
    return NearestTableIndex(table, colour & 0x00FFFFFFu);
}

unsigned GetSystemPaletteEntries(HDC, unsigned start, unsigned count, PALETTEENTRY* out) {
    if (!out) return 256;
    if (start >= 256) return 0;
    count = std::min(count, 256 - start);
    const auto& sys = TheGdi().systemPalette;
    std::copy(sys.begin() + start, sys.begin() + start + count, out);
    return count;
}

std::uint32_t GetSystemPaletteSerial() {
    return TheGdi().systemPaletteSerial;
}

void ResetSystemPalette() {
    TheGdi().ResetSystem();
}

bool GetCharABCWidths(HDC hdc, unsigned first, unsigned last, ABC* out) {
    DeviceContext* dc = TheGdi().Dc(hdc);
    if (!dc || !out || last < first) return false;
    auto font = DcFont(*dc);
    if (!font) return false;
    for (unsigned c = first; c <= last; ++c) {
        const FontGlyph& g = font->Glyph(static_cast<char32_t>(c));
        ABC& abc = out[c - first];
        abc.abcA = g.left;
        abc.abcB = static_cast<unsigned>(std::max(0, g.width));
        abc.abcC = g.advance - g.left - g.width;
    }
    return true;
}

}  // namespace win
