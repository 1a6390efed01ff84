// Dialogs made from templates: the hook sees the dialog and each control in order, the dialog
// procedure hears WM_INITDIALOG with its parameter, keyboard and mouse reach the controls, and
// a template naming an unknown class gives -1.
#include <gtest/gtest.h>

#include "platform/clipboard.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/modal.h"
#include "win_test_support.h"

namespace {

using namespace win;

std::vector<std::string> theCreated;
std::vector<std::pair<int, unsigned>> theCommands;
LParam theInitParam = 0;

LResult CbtProc(int code, WParam w, LParam l) {
    if (code == HCBT_CREATEWND) {
        auto* info = reinterpret_cast<CBT_CREATEWND*>(l);
        theCreated.push_back(info->lpcs->className);
    }
    (void)w;
    return 0;
}

std::intptr_t TestDlgProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_INITDIALOG) {
        theInitParam = l;
        return 1;
    }
    if (m == WM_COMMAND) {
        theCommands.emplace_back(LOWORD(w), HIWORD(w));
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) EndDialog(h, LOWORD(w));
        return 1;
    }
    return 0;
}

DialogTemplate MakeTemplate() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    t.cx = 200;
    t.cy = 100;
    t.caption = "Test";
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    auto add = [&](const char* cls, const char* text, int id, std::uint32_t style, int x, int y, int cx, int cy) {
        AddDialogItem(t, cls, text, id, style, x, y, cx, cy);
    };
    add("Edit", "", 100, WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 100, 12);
    add("Button", "&Check", 101, WS_TABSTOP | BS_AUTOCHECKBOX, 10, 30, 80, 10);
    add("Button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 70, 50, 14);
    add("Button", "Cancel", IDCANCEL, WS_TABSTOP, 70, 70, 50, 14);
    return t;
}

class DialogManagerTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        theCreated.clear();
        theCommands.clear();
        theInitParam = 0;
    }
};

TEST_F(DialogManagerTest, HookSeesDialogAndControlsInOrderAndInitGetsTheParameter) {
    HHOOK hook = SetWindowsHookEx(WH_CBT, CbtProc, {}, GetCurrentThreadId());
    HWND owner = MakeWindow(true);
    HWND d = CreateDialogIndirectParam(MakeTemplate(), owner, TestDlgProc, 1234);
    ASSERT_TRUE(d);
    EXPECT_EQ(theInitParam, 1234);
    EXPECT_EQ(GetClassAtom(d), kDialogClassAtom);
    const std::vector<std::string> want = {"TestWindow", "#32770", "Edit", "Button", "Button", "Button"};
    EXPECT_EQ(theCreated, want);
    EXPECT_TRUE(UnhookWindowsHookEx(hook));
    // Dialog units follow the font: the edit is wider than its 100 units' quarter.
    RECT r;
    GetWindowRect(GetDlgItem(d, 100), &r);
    EXPECT_GT(r.right - r.left, 100);
    // The default button answers DM_GETDEFID.
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(SendMessage(d, DM_GETDEFID, 0, 0))), IDOK);
    DestroyWindow(d);
}

TEST_F(DialogManagerTest, UnknownClassOrMissingTemplateGivesMinusOne) {
    DialogTemplate t = MakeTemplate();
    DialogItemTemplate bad;
    bad.className = "NoSuchClass";
    bad.style = WS_CHILD;
    t.items.push_back(bad);
    EXPECT_EQ(DialogBoxIndirectParam(t, {}, TestDlgProc, 0), -1);
    EXPECT_EQ(DialogBoxParam({}, "NOSUCH", {}, TestDlgProc, 0), -1);
}

TEST_F(DialogManagerTest, MouseClickOnAButtonGivesBnClicked) {
    HWND owner = MakeWindow(true);
    int step = 0;
    machine.Input().SetQueueEmptyHandler([&] {
        HWND d = FindWindow("#32770", "Test");
        if (step++ == 0 && d) {
            RECT r;
            GetWindowRect(GetDlgItem(d, IDCANCEL), &r);
            Mouse(platform::EventKind::MouseMove, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            Mouse(platform::EventKind::MouseDown, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            Mouse(platform::EventKind::MouseUp, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            return true;
        }
        return false;
    });
    EXPECT_EQ(DialogBoxIndirectParam(MakeTemplate(), owner, TestDlgProc, 0), IDCANCEL);
    machine.Input().SetQueueEmptyHandler(nullptr);
    EXPECT_EQ(theCommands.back(), std::make_pair(static_cast<int>(IDCANCEL), BN_CLICKED));
}

TEST_F(DialogManagerTest, PropertiesAtomsAndItemHelpers) {
    HWND w = MakeWindow(true);
    const std::uint16_t atom = GlobalAddAtom("WPL");
    ASSERT_NE(atom, 0);
    EXPECT_EQ(GlobalAddAtom("wpl"), atom);
    EXPECT_TRUE(SetProp(w, "WPL", 42));
    EXPECT_EQ(GetProp(w, "#" + std::to_string(atom)), 42);
    EXPECT_EQ(RemoveProp(w, "wpl"), 42);
    EXPECT_EQ(GetProp(w, "WPL"), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtom("WPL"), 0);

    HWND d = CreateDialogIndirectParam(MakeTemplate(), w, TestDlgProc, 0);
    bool ok = false;
    SetDlgItemText(d, 100, " -17 ");
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(d, 100, &ok, true)), -17);
    EXPECT_TRUE(ok);
    SetDlgItemText(d, 100, "99999999999");
    GetDlgItemInt(d, 100, &ok, false);
    EXPECT_FALSE(ok);
    // A one-line edit keeps only the first line of a pasted text.
    platform::SetClipboardText("first\r\nsecond");
    SetDlgItemText(d, 100, "");
    SendDlgItemMessage(d, 100, WM_PASTE, 0, 0);
    EXPECT_EQ(GetDlgItemText(d, 100), "first");
    SendDlgItemMessage(d, 100, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessage(d, 100, EM_SETSEL, 0, -1);
    SendDlgItemMessage(d, 100, WM_PASTE, 0, 0);
    EXPECT_EQ(GetDlgItemText(d, 100), "fir");
    DestroyWindow(d);
}

TEST_F(DialogManagerTest, KeyboardTypesIntoTheEditTabsOnSpaceChecksAndEnterEnds) {
    HWND owner = MakeWindow(true);
    using platform::Scancode;
    // One key stroke per turn of the dialog's loop, as a typing user gives them.
    const std::vector<Scancode> strokes = {Scancode::A, Scancode::B, Scancode::Tab, Scancode::Space,
                                           Scancode::Return};
    std::size_t next = 0;
    std::string typed;
    unsigned checked = 99;
    machine.Input().SetQueueEmptyHandler([&] {
        HWND d = FindWindow("#32770", "Test");
        if (!d || next >= strokes.size()) return false;
        if (strokes[next] == Scancode::Return) {
            typed = GetDlgItemText(d, 100);
            checked = IsDlgButtonChecked(d, 101);
        }
        Key(strokes[next], true);
        Key(strokes[next], false);
        ++next;
        return true;
    });
    EXPECT_EQ(DialogBoxIndirectParam(MakeTemplate(), owner, TestDlgProc, 0), IDOK);
    machine.Input().SetQueueEmptyHandler(nullptr);
    EXPECT_EQ(next, strokes.size());
    EXPECT_EQ(typed, "ab");
    EXPECT_EQ(checked, 1u);
}

TEST_F(DialogManagerTest, AnOwnedDialogStaysAboveItsTopmostOwner) {
    HWND owner = MakeWindow(true);
    HWND d = CreateDialogIndirectParam(MakeTemplate(), owner, TestDlgProc, 0);
    ASSERT_TRUE(d);
    ShowWindow(d, SW_SHOW);
    SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(GetDlgItem(d, IDOK), &r);
    EXPECT_EQ(WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}), GetDlgItem(d, IDOK));
    DestroyWindow(d);
}

std::intptr_t theOriginal = 0;
std::vector<std::string> theOrder;

LResult Replacement(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_INITDIALOG) theOrder.push_back("replacement");
    return CallWindowProc(reinterpret_cast<WNDPROC>(theOriginal), h, m, w, l);
}

std::intptr_t OrderProc(HWND, std::uint32_t m, WParam, LParam) {
    if (m == WM_INITDIALOG) theOrder.push_back("dialog");
    return m == WM_INITDIALOG ? 1 : 0;
}

LResult SubclassingHook(int code, WParam w, LParam l) {
    if (code == HCBT_CREATEWND && reinterpret_cast<CBT_CREATEWND*>(l)->lpcs->className == "#32770")
        theOriginal = SetWindowLong(HWND{static_cast<std::uint32_t>(w)}, GWL_WNDPROC,
                                    reinterpret_cast<std::intptr_t>(&Replacement));
    return 0;
}

TEST_F(DialogManagerTest, AHookMayReplaceTheDialogsProcedureAndHearsInitFirst) {
    theOrder.clear();
    HHOOK hook = SetWindowsHookEx(WH_CBT, SubclassingHook, {}, GetCurrentThreadId());
    HWND d = CreateDialogIndirectParam(MakeTemplate(), MakeWindow(true), OrderProc, 0);
    ASSERT_TRUE(d);
    UnhookWindowsHookEx(hook);
    EXPECT_NE(theOriginal, 0);
    EXPECT_EQ(theOrder, (std::vector<std::string>{"replacement", "dialog"}));
    DestroyWindow(d);
}

}  // namespace

// A list box's rows lie inside its sunken edge: the first row starts below and right of the
// edge's two pixels, and a click finds the row drawn under it.
TEST_F(DialogManagerTest, ListRowsLieInsideTheSunkenEdge) {
    HWND owner = MakeWindow(true);
    // Kept at the height given, so the fifth row shows cut at the bottom.
    HWND list =
        CreateWindowEx(0, WC_LISTBOX, "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       10, 10, 120, 100, owner, HMENU{7}, {}, 0);
    ASSERT_TRUE(list);
    SendMessage(list, LB_SETITEMHEIGHT, 0, 20);
    for (const char* row : {"one", "two", "three", "four", "five", "six"})
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>(row));
    RECT first{};
    ASSERT_EQ(SendMessage(list, LB_GETITEMRECT, 0, reinterpret_cast<LParam>(&first)), 1);
    EXPECT_EQ(first.left, 2);
    EXPECT_EQ(first.top, 2);
    EXPECT_EQ(first.right, 118);
    EXPECT_EQ(first.bottom, 22);
    // Four whole rows fit in the 96 pixels inside the edge; the page keys move by that many.
    SendMessage(list, LB_SETCURSEL, 0, 0);
    SendMessage(list, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 3);
    SendMessage(list, LB_SETTOPINDEX, 0, 0);
    const struct {
        int y, row;
    } clicks[] = {{0, 0}, {2, 0}, {21, 0}, {22, 1}, {41, 1}, {42, 2}, {97, 4}};
    for (const auto& c : clicks) {
        SendMessage(list, WM_LBUTTONDOWN, 0, MAKELPARAM(20, static_cast<std::uint16_t>(c.y)));
        SendMessage(list, WM_LBUTTONUP, 0, MAKELPARAM(20, static_cast<std::uint16_t>(c.y)));
        EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), c.row) << "y " << c.y;
    }
}
