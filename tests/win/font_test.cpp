#include "win/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "win/gdi.h"

namespace win {
namespace {

TEST(FontText, Utf8DecodingNeverRefusesInput) {
    struct Case {
        std::string text;
        std::vector<char32_t> chars;
    } cases[] = {
        {"Ab", {'A', 'b'}},
        {"\xC2\xB0", {0xB0}},                  // degree sign
        {"\xE2\x82\xAC", {0x20AC}},            // euro sign
        {"\xF0\x9F\x98\x80", {0x1F600}},       // four bytes
        {"\xB0x", {0xB0, 'x'}},                // a lone Latin-1 byte stands for itself
        {"\xE2\x82", {0xE2, 0x82}},            // cut short
        {"\xC0\x80", {0xC0, 0x80}},            // over-long
        {"\xED\xA0\x80", {0xED, 0xA0, 0x80}},  // a surrogate
    };
    for (const Case& c : cases) {
        std::vector<char32_t> got;
        for (std::size_t pos = 0; pos < c.text.size();)
            got.push_back(NextTextChar(c.text, pos));
        EXPECT_EQ(got, c.chars) << c.text;
    }
}

TEST(FontFiles, FaceNamesMapToInstalledFaces) {
    struct Case {
        const char* face;
        bool bold, italic;
        std::uint8_t pitch;
        const char* expected;  // part of the file name
    } cases[] = {
        {"Arial", false, false, 0, "Sans"},
        {"MS Sans Serif", true, false, 0, "Sans-Bold"},
        {"Sans Serif", false, true, 0, "Sans-Italic"},
        {"Times New Roman", false, false, 0, "Serif"},
        {"MS Serif", false, false, 0, "Serif"},
        {"Courier New", false, false, 0, "Mono"},
        {"", false, false, FIXED_PITCH | FF_MODERN, "Mono"},
        {"NoSuchFace", false, false, 0, "Sans"},
    };
    for (const Case& c : cases) {
        const std::string path = FindFontFile(c.face, c.bold, c.italic, c.pitch);
        ASSERT_FALSE(path.empty()) << "no Liberation or DejaVu face installed";
        EXPECT_NE(path.find(c.expected), std::string::npos) << c.face << " -> " << path;
    }
}

TEST(FontMetrics, HeightsFollowTheSignOfTheRequest) {
    for (int height : {-11, -17, -32}) {
        LOGFONT lf;
        lf.lfHeight = height;
        lf.lfFaceName = "Arial";
        auto font = TrueTypeFont::Realise(lf);
        ASSERT_TRUE(font);
        // A negative height is the em: the cell less its internal leading.
        EXPECT_EQ(font->Height() - font->InternalLeading(), -height);
    }
    for (int height : {13, 16, 24}) {
        LOGFONT lf;
        lf.lfHeight = height;
        auto font = TrueTypeFont::Realise(lf);
        ASSERT_TRUE(font);
        EXPECT_NEAR(font->Height(), height, 1);  // a positive height is the cell
    }
    LOGFONT huge;
    huge.lfHeight = -2000000000;
    auto font = TrueTypeFont::Realise(huge);
    ASSERT_TRUE(font);
    EXPECT_LE(font->Height(), 1400);  // absurd sizes are clamped, not rendered
}

struct TextTarget {
    HDC dc;
    HBITMAP bitmap;
    std::uint32_t* pixels = nullptr;
    int width, height;
    TextTarget(int w, int h) : width(w), height(h) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(HDC{});
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        SelectObject(dc, bitmap);
        std::fill(pixels, pixels + w * h, 0x00FFFFFFu);
    }
    ~TextTarget() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // The box of pixels that are not white.
    RECT Ink(std::uint32_t background = 0x00FFFFFFu) const {
        RECT r{width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (pixels[y * width + x] != background) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    }
    int Count(std::uint32_t value) const {
        return static_cast<int>(std::count(pixels, pixels + width * height, value));
    }
};

HFONT DialogFont(int height, int weight = FW_NORMAL) {
    return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                      VARIABLE_PITCH | FF_SWISS, "Arial");
}

TEST(FontExtent, ExtentsGrowWithTextAndWeight) {
    TextTarget t(200, 40);
    HFONT normal = DialogFont(-17);
    HFONT bold = DialogFont(-17, FW_BOLD);
    SelectObject(t.dc, normal);
    SIZE empty, one, two, boldSize;
    ASSERT_TRUE(GetTextExtentPoint32(t.dc, "", &empty));
    ASSERT_TRUE(GetTextExtentPoint32(t.dc, "Altitude", &one));
    ASSERT_TRUE(GetTextExtentPoint32(t.dc, "Altitude Altitude", &two));
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(t.dc, &tm));
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, tm.tmHeight);
    EXPECT_GT(one.cx, 30);
    EXPECT_GT(two.cx, 2 * one.cx);  // the space between them
    EXPECT_EQ(one.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    SelectObject(t.dc, bold);
    ASSERT_TRUE(GetTextExtentPoint32(t.dc, "Altitude", &boldSize));
    EXPECT_GT(boldSize.cx, one.cx);
    SelectObject(t.dc, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(normal);
    DeleteObject(bold);
}

TEST(FontDraw, TextStaysInsideItsExtentAndHonoursTheBackgroundMode) {
    TextTarget t(200, 40);
    HFONT font = DialogFont(-17);
    SelectObject(t.dc, font);
    SIZE size;
    GetTextExtentPoint32(t.dc, "Heading 270", &size);
    SetTextColor(t.dc, RGB(0, 0, 0));
    SetBkMode(t.dc, TRANSPARENT);
    ASSERT_TRUE(TextOut(t.dc, 10, 5, "Heading 270"));
    RECT ink = t.Ink();
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 10 + size.cx + 1);
    EXPECT_LE(ink.bottom, 5 + size.cy);
    // Without antialiasing only the text colour is written.
    EXPECT_EQ(t.Count(0) + t.Count(0x00FFFFFF), 200 * 40);

    // Opaque: the whole extent box takes the background colour.
    std::fill(t.pixels, t.pixels + 200 * 40, 0x00FFFFFFu);
    SetBkMode(t.dc, OPAQUE);
    SetBkColor(t.dc, RGB(0, 0, 255));
    TextOut(t.dc, 10, 5, "Heading 270");
    ink = t.Ink();
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 5);
    EXPECT_EQ(ink.right, 10 + size.cx);
    EXPECT_EQ(ink.bottom, 5 + size.cy);
    SelectObject(t.dc, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(font);
}

TEST(FontDraw, AlignmentMovesTheReferencePoint) {
    HFONT font = DialogFont(-17);
    struct Case {
        std::uint32_t align;
    } cases[] = {
        {TA_LEFT | TA_TOP}, {TA_RIGHT | TA_TOP}, {TA_CENTER | TA_BASELINE}, {TA_LEFT | TA_BOTTOM}};
    for (const Case& c : cases) {
        TextTarget t(200, 60);
        SelectObject(t.dc, font);
        SetBkMode(t.dc, OPAQUE);
        SetBkColor(t.dc, RGB(255, 0, 0));
        SetTextAlign(t.dc, c.align);
        SIZE size;
        GetTextExtentPoint32(t.dc, "Mixture", &size);
        TEXTMETRIC tm;
        GetTextMetrics(t.dc, &tm);
        TextOut(t.dc, 100, 30, "Mixture");
        const RECT box = t.Ink();
        const int h = c.align & TA_CENTER;
        const int expectLeft = h == TA_RIGHT    ? 100 - size.cx
                               : h == TA_CENTER ? 100 - size.cx / 2
                                                : 100;
        const int v = c.align & TA_BASELINE;
        const int expectTop = v == TA_BASELINE ? 30 - tm.tmAscent
                              : v == TA_BOTTOM ? 30 - tm.tmHeight
                                               : 30;
        EXPECT_EQ(box.left, expectLeft) << c.align;
        EXPECT_EQ(box.top, expectTop) << c.align;
        SelectObject(t.dc, HFONT{GetStockObject(SYSTEM_FONT).id});
    }
    DeleteObject(font);
}

TEST(FontDrawText, MeasuresWrapsAndAligns) {
    TextTarget t(300, 200);
    HFONT font = DialogFont(-17);
    SelectObject(t.dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(t.dc, &tm);
    SIZE size;
    GetTextExtentPoint32(t.dc, "Could not start timer.", &size);

    RECT r{5, 7, 5, 7};
    EXPECT_EQ(
        DrawText(t.dc, "Could not start timer.", &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX),
        tm.tmHeight);
    EXPECT_EQ(r.right, 5 + size.cx);
    EXPECT_EQ(r.bottom, 7 + tm.tmHeight);

    // Word wrap inside 100 pixels: several lines, none wider than the box unless one word is.
    RECT wrap{0, 0, 100, 0};
    const int h = DrawText(t.dc, "You are leaving the airspace of this simulation now", &wrap,
                           DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_GE(h, 3 * tm.tmHeight);
    EXPECT_EQ(h % tm.tmHeight, 0);
    EXPECT_LE(wrap.right, 100);
    RECT word{0, 0, 10, 0};
    DrawText(t.dc, "Unbreakable", &word, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(word.bottom, tm.tmHeight);  // one long word keeps its own line
    RECT lines{0, 0, 200, 0};
    EXPECT_EQ(DrawText(t.dc, "a\r\nb\nc\rd", &lines, DT_CALCRECT), 4 * tm.tmHeight);

    // Prefix marks take no room; "&&" is one ampersand.
    RECT a{0, 0, 0, 0}, b{0, 0, 0, 0}, c{0, 0, 0, 0};
    DrawText(t.dc, "&File", &a, DT_CALCRECT | DT_SINGLELINE);
    DrawText(t.dc, "File", &b, DT_CALCRECT | DT_SINGLELINE);
    DrawText(t.dc, "A&&B", &c, DT_CALCRECT | DT_SINGLELINE);
    SIZE amp;
    GetTextExtentPoint32(t.dc, "A&B", &amp);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(c.right, amp.cx);

    // Centred and right-aligned text, clipped to its box.
    for (std::uint32_t format : {DT_CENTER, DT_RIGHT}) {
        std::fill(t.pixels, t.pixels + 300 * 200, 0x00FFFFFFu);
        SetBkMode(t.dc, TRANSPARENT);
        RECT box{50, 50, 250, 100};
        DrawText(t.dc, "Fuel", &box, format | DT_SINGLELINE | DT_VCENTER);
        const RECT ink = t.Ink();
        SIZE fuel;
        GetTextExtentPoint32(t.dc, "Fuel", &fuel);
        if (format == DT_CENTER)
            EXPECT_NEAR((ink.left + ink.right) / 2, 150, 3);
        else
            EXPECT_LE(ink.right, 251);
        EXPECT_GT(ink.top, 50 + (50 - tm.tmHeight) / 2 - 1);
        EXPECT_LT(ink.bottom, 100);
    }
    std::fill(t.pixels, t.pixels + 300 * 200, 0x00FFFFFFu);
    RECT tiny{10, 10, 14, 14};
    DrawText(t.dc, "WWWWWW", &tiny, DT_SINGLELINE);
    const RECT ink = t.Ink();
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 14);
    SelectObject(t.dc, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(font);
}

TEST(FontDrawText, PrefixUnderlinesTheMarkedCharacter) {
    TextTarget with(100, 40), without(100, 40);
    HFONT font = DialogFont(-17);
    for (TextTarget* t : {&with, &without}) {
        SelectObject(t->dc, font);
        SetBkMode(t->dc, TRANSPARENT);
    }
    RECT r1{0, 0, 100, 40}, r2{0, 0, 100, 40};
    DrawText(with.dc, "&File", &r1, DT_SINGLELINE);
    DrawText(without.dc, "&File", &r2, DT_SINGLELINE | DT_NOPREFIX);
    TEXTMETRIC tm;
    GetTextMetrics(with.dc, &tm);
    // Below the baseline of "File" only the underline has ink.
    int below = 0;
    for (int y = tm.tmAscent + 1; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            below += with.pixels[y * 100 + x] == 0;
    EXPECT_GT(below, 2);
    EXPECT_GT(without.Ink().right, with.Ink().right);  // the & itself is drawn
    for (TextTarget* t : {&with, &without})
        SelectObject(t->dc, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(font);
}

}  // namespace
}  // namespace win
