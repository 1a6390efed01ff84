// The drawing calls dialogs and skins add to the basic layer: edges, focus marks, key-colour
// blits, device bitmaps from DIBs and the font families the system offers.
#include <algorithm>
#include <cctype>

#include "win/gdi.h"

namespace win {
namespace {

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c) {
    // Horizontal or vertical runs only, end exclusive.
    if (y0 == y1)
        for (int x = std::min(x0, x1); x < std::max(x0, x1); ++x)
            SetPixel(dc, x, y0, c);
    else
        for (int y = std::min(y0, y1); y < std::max(y0, y1); ++y)
            SetPixel(dc, x0, y, c);
}

std::string GdiExtraLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace

bool DrawEdge(HDC hdc, RECT* rect, unsigned edge, unsigned flags) {
    if (rect == nullptr) return false;
    RECT r = *rect;
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_3DLIGHT),
                   shadow = GetSysColor(COLOR_BTNSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW);
    // Outer ring, then inner ring: top-left and bottom-right colours of each.
    struct Ring {
        unsigned raised, sunken;
        COLORREF rTL, rBR, sTL, sBR;
    };
    const Ring rings[2] = {{BDR_RAISEDOUTER, BDR_SUNKENOUTER, face, dark, shadow, light},
                           {BDR_RAISEDINNER, BDR_SUNKENINNER, light, shadow, dark, face}};
    for (const Ring& ring : rings) {
        COLORREF tl, br;
        if (edge & ring.raised) {
            tl = ring.rTL;
            br = ring.rBR;
        } else if (edge & ring.sunken) {
            tl = ring.sTL;
            br = ring.sBR;
        } else {
            continue;
        }
        if (r.right - r.left < 1 || r.bottom - r.top < 1) break;
        if (flags & BF_TOP) Line(hdc, r.left, r.top, r.right, r.top, tl);
        if (flags & BF_LEFT) Line(hdc, r.left, r.top, r.left, r.bottom, tl);
        if (flags & BF_BOTTOM) Line(hdc, r.left, r.bottom - 1, r.right, r.bottom - 1, br);
        if (flags & BF_RIGHT) Line(hdc, r.right - 1, r.top, r.right - 1, r.bottom, br);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    }
    if (flags & BF_MIDDLE) FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (flags & BF_ADJUST) *rect = r;
    return true;
}

bool DrawFocusRect(HDC hdc, const RECT* rect) {
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top) return false;
    auto flip = [&](int x, int y) {
        const COLORREF c = GetPixel(hdc, x, y);
        if (c != CLR_INVALID) SetPixel(hdc, x, y, (~c) & 0xFFFFFF);
    };
    const RECT& r = *rect;
    for (int x = r.left; x < r.right; x += 2) {
        flip(x, r.top);
        if (r.bottom - 1 > r.top) flip(x, r.bottom - 1);
    }
    for (int y = r.top + 2; y < r.bottom - 1; y += 2) {
        flip(r.left, y);
        if (r.right - 1 > r.left) flip(r.right - 1, y);
    }
    return true;
}

bool DrawFrameControl(HDC hdc, RECT* rect, unsigned type, unsigned state) {
    if (rect == nullptr || type != DFC_SCROLL) return false;
    const RECT r = *rect;
    if (!(state & DFCS_TRANSPARENT)) {
        FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
        RECT e = r;
        DrawEdge(hdc, &e, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    // The triangle: rows widening from its point, a third of the button across.
    const unsigned direction = state & 0x3;
    const bool vertical = direction == DFCS_SCROLLUP || direction == DFCS_SCROLLDOWN;
    const bool forward = direction == DFCS_SCROLLDOWN || direction == DFCS_SCROLLRIGHT;
    const int size = std::max(2, (std::min(r.right - r.left, r.bottom - r.top) + 1) / 3);
    const int shift = (state & DFCS_PUSHED) ? 1 : 0;
    const int cx = (r.left + r.right) / 2 + shift, cy = (r.top + r.bottom) / 2 + shift;
    const HBRUSH ink = GetSysColorBrush((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    for (int i = 0; i < size; ++i) {
        const int half = forward ? size - 1 - i : i;
        const int at = (vertical ? cy : cx) - size / 2 + i;
        RECT row = vertical ? RECT{cx - half, at, cx + half + 1, at + 1} : RECT{at, cy - half, at + 1, cy + half + 1};
        FillRect(hdc, &row, ink);
    }
    return true;
}

bool TransparentBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                    int sw, int sh, COLORREF key) {
    if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return false;
    const COLORREF want = key & 0xFFFFFF;
    for (int j = 0; j < height; ++j) {
        const int v = sy + j * sh / height;
        for (int i = 0; i < width; ++i) {
            const COLORREF c = GetPixel(source, sx + i * sw / width, v);
            if (c == CLR_INVALID || (c & 0xFFFFFF) == want) continue;
            SetPixel(dest, x + i, y + j, c);
        }
    }
    return true;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, std::uint32_t init,
                       const void* bits, const BITMAPINFO* info, std::uint32_t usage) {
    if (header == nullptr || header->biWidth <= 0 || header->biHeight == 0) return {};
    const int w = header->biWidth, h = std::abs(header->biHeight);
    BITMAPINFO made;
    made.bmiHeader = *header;
    if (info != nullptr) made.bmiColors = info->bmiColors;
    const int bpp = header->biBitCount == 8 ? 8 : 32;
    made.bmiHeader.biBitCount = static_cast<std::uint16_t>(bpp);
    made.bmiHeader.biCompression = BI_RGB;
    void* dest = nullptr;
    HBITMAP bmp = CreateDIBSection(hdc, &made, DIB_RGB_COLORS, &dest, nullptr, 0);
    if (!bmp || !(init & CBM_INIT) || bits == nullptr || info == nullptr) return bmp;
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, AsGdiObject(bmp));
    StretchDIBits(mem, 0, 0, w, h, 0, 0, w, h, bits, info, usage, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return bmp;
}

int EnumFontFamilies(HDC hdc, std::string_view face, FONTENUMPROC proc, LParam lParam) {
    if (proc == nullptr) return 0;
    static const char* const kSans[] = {"Arial", "Sans Serif", "MS Sans Serif", "Helvetica",
                                        "Liberation Sans", "System"};
    static const char* const kOthers[] = {"Times New Roman", "Courier New", "Liberation Serif",
                                          "Liberation Mono"};
    std::vector<std::string> faces;
    if (face.empty()) {
        for (const char* f : kSans)
            faces.emplace_back(f);
        for (const char* f : kOthers)
            faces.emplace_back(f);
    } else {
        for (const char* f : kSans)
            if (GdiExtraLower(f) == GdiExtraLower(face)) faces.emplace_back(f);
        for (const char* f : kOthers)
            if (GdiExtraLower(f) == GdiExtraLower(face)) faces.emplace_back(f);
    }
    static const char* const kStyles[] = {"Regular", "Bold", "Italic", "Bold Italic"};
    int result = 1;
    for (const std::string& f : faces) {
        for (int s = 0; s < 4; ++s) {
            if (face.empty() && s > 0) break;
            ENUMLOGFONT elf;
            elf.elfLogFont.lfFaceName = f;
            elf.elfLogFont.lfWeight = (s & 1) ? FW_BOLD : FW_NORMAL;
            elf.elfLogFont.lfItalic = (s & 2) ? 1 : 0;
            elf.elfLogFont.lfCharSet = ANSI_CHARSET;
            elf.elfLogFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
            elf.elfLogFont.lfHeight = 16;
            elf.elfStyle = kStyles[s];
            elf.elfFullName = s == 0 ? f : f + " " + kStyles[s];
            TEXTMETRIC tm;
            HFONT font = CreateFontIndirect(&elf.elfLogFont);
            HDC dc = hdc ? hdc : CreateCompatibleDC({});
            HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
            GetTextMetrics(dc, &tm);
            SelectObject(dc, old);
            if (!hdc) DeleteDC(dc);
            DeleteObject(AsGdiObject(font));
            result = proc(&elf, &tm, TRUETYPE_FONTTYPE, lParam);
            if (result == 0) return 0;
        }
    }
    return result;
}

}  // namespace win
