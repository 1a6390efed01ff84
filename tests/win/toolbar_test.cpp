// The toolbar's buttons look like what they do: an enabled button shows its image and answers a
// click; a disabled one, checked or not, shows its shape greyed, rises under no pointer and sends
// nothing.
#include <gtest/gtest.h>

#include "win/compositor.h"
#include "win/controls.h"
#include "win/gdi.h"
#include "win_test_support.h"

namespace {

using namespace win;

constexpr int kImage = 16;
constexpr COLORREF kInk = RGB(200, 0, 0);
constexpr int kButtonIds[3] = {801, 802, 803};

class ToolbarTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        InstallWindowDcProvider();
        owner = MakeWindow(true);
        toolbar = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30, owner,
                                 HMENU{1}, {}, 0);
        ASSERT_TRUE(toolbar);
        // Three images: a red square on the key colour.
        HDC screen = GetDC(owner);
        strip = CreateCompatibleBitmap(screen, 3 * kImage, kImage);
        ReleaseDC(owner, screen);
        HDC mem = CreateCompatibleDC(HDC{});
        SelectObject(mem, strip);
        HBRUSH key = CreateSolidBrush(RGB(255, 0, 255)), ink = CreateSolidBrush(kInk);
        const RECT all{0, 0, 3 * kImage, kImage};
        FillRect(mem, &all, key);
        for (int i = 0; i < 3; ++i) {
            const RECT square{i * kImage + 4, 4, i * kImage + 12, 12};
            FillRect(mem, &square, ink);
        }
        DeleteDC(mem);
        DeleteObject(key);
        DeleteObject(ink);
        TBADDBITMAP add;
        add.bitmap = strip;
        add.imageWidth = kImage;
        SendMessage(toolbar, TB_ADDBITMAP, 3, reinterpret_cast<LParam>(&add));
        TBBUTTON buttons[3];
        for (int i = 0; i < 3; ++i) {
            buttons[i].iBitmap = i;
            buttons[i].idCommand = kButtonIds[i];
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = TBSTYLE_CHECK;
        }
        SendMessage(toolbar, TB_ADDBUTTONS, 3, reinterpret_cast<LParam>(buttons));
    }

    RECT ButtonScreen(int index) {
        RECT r{};
        SendMessage(toolbar, TB_GETITEMRECT, static_cast<WParam>(index), reinterpret_cast<LParam>(&r));
        POINT at{0, 0};
        ClientToScreen(toolbar, &at);
        return RECT{r.left + at.x, r.top + at.y, r.right + at.x, r.bottom + at.y};
    }
    static int Count(const ComposedFrame& f, RECT r, COLORREF colour) {
        const std::uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += f.pixels[static_cast<std::size_t>(y) * 640 + x] == rgb;
        return n;
    }

    HWND owner, toolbar;
    HBITMAP strip;
};

TEST_F(ToolbarTest, ADisabledButtonShowsItsShapeGreyedAndSendsNothing) {
    // The second button is off, the third is off and checked (a layer switched on that the view
    // cannot show now).
    SendMessage(toolbar, TB_ENABLEBUTTON, kButtonIds[1], 0);
    SendMessage(toolbar, TB_CHECKBUTTON, kButtonIds[2], 1);
    SendMessage(toolbar, TB_ENABLEBUTTON, kButtonIds[2], 0);
    Pump();
    ComposedFrame f = ComposeFrame();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const struct {
        int index;
        bool enabled;
    } looks[] = {{0, true}, {1, false}, {2, false}};
    for (const auto& l : looks) {
        SCOPED_TRACE(l.index);
        const RECT r = ButtonScreen(l.index);
        if (l.enabled) {
            EXPECT_EQ(Count(f, r, kInk), 64);
        } else {
            EXPECT_EQ(Count(f, r, kInk), 0);
            EXPECT_GE(Count(f, r, shadow), 64);  // the square, greyed (and the checked one's edge)
        }
    }
    // The pointer over a disabled button raises no edge; a click on it sends nothing.
    const RECT off = ButtonScreen(1);
    const int edgeBefore = Count(f, off, GetSysColor(COLOR_BTNHIGHLIGHT));
    Mouse(platform::EventKind::MouseMove, off.left + 8, off.top + 8);
    Mouse(platform::EventKind::MouseDown, off.left + 8, off.top + 8);
    Mouse(platform::EventKind::MouseUp, off.left + 8, off.top + 8);
    const auto seen = Pump();
    f = ComposeFrame();
    EXPECT_EQ(Count(f, off, GetSysColor(COLOR_BTNHIGHLIGHT)), edgeBefore);
    for (const wintest::Seen& s : seen) EXPECT_NE(s.message, WM_COMMAND);
    EXPECT_EQ(SendMessage(toolbar, TB_ISBUTTONCHECKED, kButtonIds[1], 0), 0);

    // Enabled again, it shows its image and a click checks it and tells the owner.
    SendMessage(toolbar, TB_ENABLEBUTTON, kButtonIds[1], 1);
    Mouse(platform::EventKind::MouseDown, off.left + 8, off.top + 8);
    Mouse(platform::EventKind::MouseUp, off.left + 8, off.top + 8);
    const auto after = Pump();
    EXPECT_EQ(Count(ComposeFrame(), off, kInk), 64);
    EXPECT_EQ(SendMessage(toolbar, TB_ISBUTTONCHECKED, kButtonIds[1], 0), 1);
    bool told = false;
    for (const wintest::Seen& s : after) told = told || (s.message == WM_COMMAND && LOWORD(s.wParam) == kButtonIds[1]);
    EXPECT_TRUE(told);
}

}  // namespace
