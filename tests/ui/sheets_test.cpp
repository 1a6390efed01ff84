// Wizards and tabbed sheets over pages made from templates, the growable array that holds the
// pages, and the owner-drawn list view with its text fitting.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/grow_array.h"
#include "ui/owner_draw_list_view.h"
#include "ui/property_sheets.h"
#include "ui_test_support.h"
#include "win/controls.h"

namespace {

using namespace win;

DialogTemplate Form(std::uint32_t style, int cx, int cy) {
    DialogTemplate t;
    t.style = style | DS_SETFONT;
    t.cx = static_cast<std::int16_t>(cx);
    t.cy = static_cast<std::int16_t>(cy);
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    return t;
}

std::vector<std::string> theEvents;

// A page that records what it hears.
template <class Base>
class Page : public Base {
public:
    Page(const char* name) : Base("", name), form_(Form(WS_CHILD | DS_CONTROL, 150, 60)) {
        AddDialogItem(form_, "Edit", "", 300, WS_TABSTOP | WS_BORDER, 10, 10, 80, 12);
        this->builtTemplate = &form_;
    }
    int OnCommand(unsigned code, WParam w, HWND c) override {
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
            theEvents.push_back(this->title + (LOWORD(w) == IDOK ? " ok" : " cancel"));
        return Base::OnCommand(code, w, c);
    }
    void OnPageActivate(HWND previous, int index) override {
        theEvents.push_back(this->title + " after " + (previous == this->window ? "itself" : "other") + " " +
                            std::to_string(index));
    }

private:
    DialogTemplate form_;
};

class Wizard : public ui::FakePropertySheet {
public:
    Wizard() : FakePropertySheet("", 0), form_(Form(WS_POPUP | WS_CAPTION, 170, 100)) {
        AddDialogItem(form_, "Button", "< Back", ui::kBackButtonId, WS_TABSTOP, 10, 80, 40, 14);
        AddDialogItem(form_, "Button", "Next >", ui::kNextButtonId, WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 80, 40, 14);
        AddDialogItem(form_, "Button", "Cancel", IDCANCEL, WS_TABSTOP, 110, 80, 40, 14);
        builtTemplate = &form_;
    }

private:
    DialogTemplate form_;
};

class Tabs : public ui::FakeTabPropertySheet {
public:
    Tabs() : FakeTabPropertySheet("", 0), form_(Form(WS_POPUP | WS_CAPTION, 170, 100)) {
        AddDialogItem(form_, "Button", "One", ui::kFirstTabButtonId, BS_AUTOCHECKBOX | 0x1000, 4, 4, 40, 12);
        AddDialogItem(form_, "Button", "Two", ui::kFirstTabButtonId + 1, BS_AUTOCHECKBOX | 0x1000, 46, 4, 40, 12);
        AddDialogItem(form_, "Button", "OK", IDOK, WS_TABSTOP, 110, 80, 40, 14);
        builtTemplate = &form_;
    }

private:
    DialogTemplate form_;
};

class SheetTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        theEvents.clear();
    }
};

TEST_F(SheetTest, WizardWalksItsPagesAndFinishes) {
    Wizard sheet;
    Page<ui::FakePropertyPage> a("First"), b("Second"), c("Third");
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    std::vector<std::string> next;
    std::vector<bool> backEnabled;
    auto look = [&] {
        next.push_back(GetDlgItemText(sheet.window, ui::kNextButtonId) + " " + GetWindowText(sheet.window));
        backEnabled.push_back(IsWindowEnabled(GetDlgItem(sheet.window, ui::kBackButtonId)));
    };
    Play({look, [&] { Press(sheet.window, ui::kNextButtonId); }, look,
          [&] { Press(sheet.window, ui::kBackButtonId); }, look,
          [&] { Press(sheet.window, ui::kNextButtonId); },
          [&] { Press(sheet.window, ui::kNextButtonId); }, look,
          [&] { Press(sheet.window, ui::kNextButtonId); }});
    EXPECT_EQ(sheet.DoModal({}), 0);
    EXPECT_EQ(next, (std::vector<std::string>{"Next > First", "Next > Second", "Next > First", "Finish Third"}));
    EXPECT_EQ(backEnabled, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(theEvents, (std::vector<std::string>{"First after itself 0", "Second after other 0",
                                                   "First after other 1", "Second after other 0",
                                                   "Third after other 1", "First ok", "Second ok", "Third ok"}));
    EXPECT_FALSE(a.window);
    EXPECT_EQ(uitest::theDialogModeDepth, 0);
}

TEST_F(SheetTest, CancelClosesEveryPageShownOrNotAndOnePageShowsFinish) {
    {
        Wizard sheet;
        Page<ui::FakePropertyPage> a("First"), b("Second");
        sheet.AddPage(&a);
        sheet.AddPage(&b);
        Play({[&] { Press(sheet.window, IDCANCEL); }});
        EXPECT_EQ(sheet.DoModal({}), 0);
        // The second page was never made: only the first hears the cancel.
        EXPECT_EQ(theEvents, (std::vector<std::string>{"First after itself 0", "First cancel"}));
    }
    theEvents.clear();
    Wizard sheet;
    Page<ui::FakePropertyPage> only("Only");
    sheet.AddPage(&only);
    std::string label;
    Play({[&] {
              label = GetDlgItemText(sheet.window, ui::kNextButtonId);
              Press(sheet.window, ui::kNextButtonId);
          }});
    EXPECT_EQ(sheet.DoModal({}), 0);
    EXPECT_EQ(label, "Finish");
    EXPECT_EQ(theEvents.back(), "Only ok");
    EXPECT_EQ(uitest::theDialogModeDepth, 0);
}

TEST_F(SheetTest, TabsSwitchPagesUnderTheTabRow) {
    Tabs sheet;
    Page<ui::FakeTabPropertyPage> a("Alpha"), b("Beta");
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    std::vector<std::string> seen;
    RECT tab{}, page{};
    auto look = [&] {
        seen.push_back(GetWindowText(sheet.window) + " " +
                       std::to_string(IsDlgButtonChecked(sheet.window, ui::kFirstTabButtonId)) +
                       std::to_string(IsDlgButtonChecked(sheet.window, ui::kFirstTabButtonId + 1)) +
                       (a.window && IsWindowVisible(a.window) ? " a" : "") + (b.window && IsWindowVisible(b.window) ? " b" : ""));
    };
    Play({look,
          [&] {
              GetWindowRect(GetDlgItem(sheet.window, ui::kFirstTabButtonId), &tab);
              GetWindowRect(a.window, &page);
              Press(sheet.window, ui::kFirstTabButtonId + 1);
          },
          look, [&] { Press(sheet.window, ui::kFirstTabButtonId + 1); }, look,
          [&] { Press(sheet.window, ui::kFirstTabButtonId + 7); }, look, [&] { Press(sheet.window, IDOK); }});
    EXPECT_EQ(sheet.DoModal({}), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"Alpha 10 a", "Beta 01 b", "Beta 01 b", "Beta 01 b"}));
    EXPECT_EQ(page.left, tab.left + 1);
    EXPECT_EQ(page.top, tab.bottom);
    EXPECT_EQ(theEvents, (std::vector<std::string>{"Alpha ok", "Beta ok"}));
}

void* Refuse(void*, std::size_t) { return nullptr; }

TEST(GrowArray, GrowsByItsStepAndKeepsItsElementsWhenMemoryIsRefused) {
    ui::GrowArray a(5);
    for (std::uintptr_t v = 1; v <= 6; ++v) ASSERT_TRUE(a.Append(v));
    EXPECT_EQ(a.count, 6);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.ownsStorage, 1);
    for (std::uintptr_t v = 7; v <= 10; ++v) ASSERT_TRUE(a.Append(v));
    ui::GrowArray::reallocate = &Refuse;
    EXPECT_FALSE(a.Append(11));
    ui::GrowArray::reallocate = &std::realloc;
    EXPECT_EQ(a.count, 10);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.At(9), 10u);
    EXPECT_EQ(a.At(10), 0u);
}

class ListViewTest : public uitest::DialogTest {};

TEST_F(ListViewTest, CellsFitWithAnEllipsisAndFollowTheHeader) {
    WNDCLASS wc;
    wc.className = "ListOwner";
    wc.wndProc = DefWindowProc;
    RegisterClass(wc);
    HWND owner = CreateWindowEx(0, "ListOwner", "", WS_VISIBLE, 0, 0, 400, 300, {}, {}, {}, 0);
    ui::OwnerDrawListView view(LVS_REPORT | LVS_OWNERDRAWFIXED | WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, owner, 500, 2);
    ASSERT_TRUE(view.Create());
    EXPECT_EQ(view.InsertColumn(0, 60, LVCFMT_LEFT, "Name"), 1);
    EXPECT_EQ(view.InsertColumn(1, 80, LVCFMT_LEFT, "Value"), 1);
    EXPECT_EQ(view.InsertColumn(2, 80, LVCFMT_LEFT, "Beyond"), 0);
    EXPECT_EQ(view.InsertColumn(-1, 80, LVCFMT_LEFT, "Before"), 0);
    EXPECT_EQ(view.InsertItem(0, "A rather long first cell", 77), 1);
    view.SetItemText(0, 1, "short");
    EXPECT_EQ(view.GetItemData(0), 77);
    EXPECT_EQ(view.GetItemCount(), 1);

    HDC dc = GetDC(view.list);
    // Fitting: ends in "..." within width − 4; a column narrower than "..." + 4 keeps the text.
    char text[64];
    std::strcpy(text, "A rather long first cell");
    ASSERT_EQ(ui::FitTextWithEllipsis(dc, text, sizeof text, 60), 1);
    const std::string fitted = text;
    ASSERT_GE(fitted.size(), 4u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
    SIZE s;
    GetTextExtentPoint32(dc, fitted, &s);
    EXPECT_LE(s.cx, 56);
    GetTextExtentPoint32(dc, fitted.substr(0, fitted.size() - 3) + "r...", &s);
    EXPECT_GT(s.cx, 56) << "one character more would have fitted";
    std::strcpy(text, "Wide");
    EXPECT_EQ(ui::FitTextWithEllipsis(dc, text, sizeof text, 6), 0);
    EXPECT_STREQ(text, "Wide");
    // A text longer than the row buffer's half is still fitted whole.
    std::string longText(400, 'm');
    std::vector<char> big(longText.begin(), longText.end());
    big.push_back('\0');
    ASSERT_EQ(ui::FitTextWithEllipsis(dc, big.data(), static_cast<int>(big.size()), 100), 1);
    EXPECT_EQ(std::string(big.data()).substr(std::strlen(big.data()) - 3), "...");

    // Drawing a row reads every cell; the header's new width reaches the wrapper.
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_LISTVIEW;
    item.CtlID = 500;
    item.itemID = 0;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    item.hDC = dc;
    item.rcItem = RECT{0, 0, 140, 14};
    EXPECT_EQ(view.OnDrawItem(499, &item), 0);
    EXPECT_EQ(view.OnDrawItem(500, &item), 1);
    HWND header{static_cast<std::uint32_t>(SendMessage(view.list, LVM_GETHEADER, 0, 0))};
    ASSERT_TRUE(header);
    HDITEM wide;
    wide.mask = HDI_WIDTH;
    wide.cxy = 120;
    SendMessage(header, HDM_SETITEM, 0, reinterpret_cast<LParam>(&wide));
    NMHEADER nm;
    nm.hdr.hwndFrom = header;
    nm.hdr.code = static_cast<std::uint32_t>(HDN_ENDTRACK);
    nm.iItem = 0;
    view.OnNotify(500, &nm.hdr);
    EXPECT_EQ(view.columnWidths[0], 120);
    MEASUREITEMSTRUCT measure;
    EXPECT_EQ(view.OnMeasureItem(500, &measure), 1);
    EXPECT_GT(measure.itemHeight, 8u);
    EXPECT_LE(measure.itemHeight, 16u);
    ReleaseDC(view.list, dc);
}

}  // namespace
