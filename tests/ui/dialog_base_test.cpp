// The dialog base: nested modal runs keep their own results, a quit ends them all, dragging by
// any point moves the dialog, an empty title takes the parent's, the dialog mode is left as
// often as it was entered, and a dialog that would leave the picture is centred on it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/dialog.h"
#include "ui/dialog_services.h"
#include "ui_test_support.h"
#include "win/compositor.h"

namespace {

using namespace win;

class Outer : public ui::Dialog {
public:
    Outer() : Dialog("GENERIC", 0) {}
    int OnCommand(unsigned code, WParam w, HWND control) override {
        if (LOWORD(w) == 5000) {
            innerResult = ui::ShowMessageBox(window, "Inner", ui::MB_YESNOCANCEL);
            return 1;
        }
        if (LOWORD(w) == IDYES) {
            EndDialog(window, 42);
            return 1;
        }
        return Dialog::OnCommand(code, w, control);
    }
    int innerResult = 0;
};

class DialogBaseTest : public uitest::DialogTest {};

TEST_F(DialogBaseTest, NestedModalRunsKeepTheirResultsAndAQuitEndsThemAll) {
    Outer outer;
    Play({[&] { PostMessage(outer.window, WM_COMMAND, 5000, 0); },
          [&] {
              // The inner box is the latest "Zephlon" dialog; the outer one is behind it.
              HWND inner = Dialog("Zephlon");
              ASSERT_TRUE(inner);
              ASSERT_NE(inner, outer.window);
              Press(inner, IDNO);
          },
          [&] { Press(outer.window, IDYES); }});
    EXPECT_EQ(outer.DoModal({}), 42);
    EXPECT_EQ(outer.innerResult, IDNO);
    EXPECT_EQ(uitest::theDialogModeDepth, 0);

    Outer again;
    Play({[&] { PostMessage(again.window, WM_COMMAND, 5000, 0); }, [&] { PostQuitMessage(3); }});
    EXPECT_EQ(again.DoModal({}), -1);
    EXPECT_EQ(uitest::theDialogModeDepth, 0);
    MSG m;
    EXPECT_EQ(GetMessage(&m, {}, 0, 0), 0);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(DialogBaseTest, DragsByAnyPointAndTakesTheParentsTitle) {
    WNDCLASS wc;
    wc.className = "Parent";
    wc.wndProc = DefWindowProc;
    RegisterClass(wc);
    HWND parent =
        CreateWindowEx(0, "Parent", "Owner Title", WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    // GENERIC has a title; a dialog whose template has none takes its parent's.
    DialogTemplate t = *LoadDialogTemplate(uitest::theTestLibrary, "GENERIC");
    t.caption.clear();
    ui::Dialog dialog("", 0);
    dialog.builtTemplate = &t;
    ASSERT_EQ(dialog.CreateModeless(parent), 1);
    EXPECT_EQ(GetWindowText(dialog.window), "Owner Title");
    RECT before;
    GetWindowRect(dialog.window, &before);
    // The pointer goes 20, 15 and then 10, 5 further; its client points follow the moving window.
    SendMessage(dialog.window, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SendMessage(dialog.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 25));
    SendMessage(dialog.window, WM_LBUTTONUP, 0, MAKELPARAM(20, 15));
    RECT after;
    GetWindowRect(dialog.window, &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);
    EXPECT_FALSE(GetCapture());
    // A move that comes without the button (its release went elsewhere) ends a drag where it
    // stands.
    SendMessage(dialog.window, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SendMessage(dialog.window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    SendMessage(dialog.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, 70));
    RECT still;
    GetWindowRect(dialog.window, &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
    EXPECT_FALSE(GetCapture());
    dialog.DestroyModeless();
    EXPECT_EQ(uitest::theDialogModeDepth, 0);
}

// On a screen larger than the picture only the picture is shown: a dialog without a parent, or
// one whose parent would put it partly outside the picture, is centred on the picture, not on the
// screen.
TEST_F(DialogBaseTest, ADialogThatWouldLeaveThePictureIsCentredOnIt) {
    WNDCLASS wc;
    wc.className = "Program";
    wc.wndProc = DefWindowProc;
    RegisterClass(wc);
    SetVirtualScreenSize(1920, 1080);
    HWND display =
        CreateWindowEx(0, "Program", "", WS_POPUP | WS_VISIBLE, 60, 80, 640, 480, {}, {}, {}, 0);
    SetDisplayWindow(display);
    // A small window at the picture's right edge: centred over it the dialog would stand out.
    HWND edge = CreateWindowEx(0, "Program", "", WS_POPUP | WS_VISIBLE, 680, 545, 40, 20, display,
                               {}, {}, 0);
    const RECT picture = PictureRect();
    ASSERT_EQ(picture, (RECT{60, 80, 700, 560}));
    struct Case {
        const char* what;
        HWND parent;
    };
    for (const Case c : {Case{"no parent", HWND{}}, Case{"a parent at the edge", edge}}) {
        SCOPED_TRACE(c.what);
        ui::Dialog dialog("GENERIC", 0);
        ASSERT_EQ(dialog.CreateModeless(c.parent), 1);
        RECT r;
        GetWindowRect(dialog.window, &r);
        EXPECT_GE(r.left, picture.left);
        EXPECT_GE(r.top, picture.top);
        EXPECT_LE(r.right, picture.right);
        EXPECT_LE(r.bottom, picture.bottom);
        EXPECT_LE(std::abs((r.left + r.right) - (picture.left + picture.right)), 1);
        dialog.DestroyModeless();
    }
}

}  // namespace
