#include "ui/property_sheets.h"

namespace ui {
namespace {

using namespace win;

constexpr int kMaxTabs = 20;

RECT ClientRectOf(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints({}, parent, &r);
    return r;
}

// A page lives hidden at (x, y) of its sheet's client area, at its own size; dragging any of it
// moves the sheet.
void PlacePage(Dialog& page, HWND dialog, int x, int y) {
    page.window = dialog;
    page.dragWindow = GetParent(dialog) ? GetParent(dialog) : dialog;
    page.ScaleToFrame(kFrameControlId);
    SetWindowPos(dialog, {}, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    GetWindowRect(dialog, &page.windowRect);
}

}  // namespace

// ---- Wizard -----------------------------------------------------------------------------------

FakePropertyPage::FakePropertyPage(const char* templateName, const char* pageTitle)
    : Dialog(templateName, 0), title(pageTitle != nullptr ? pageTitle : "") {}

int FakePropertyPage::OnInitDialog(HWND dialog) {
    PlacePage(*this, dialog, 0, 0);
    if (helpId != 0) SetWindowLong(dialog, DWL_USER, static_cast<LParam>(helpId));
    return 1;
}

void FakePropertyPage::Close(int code) {
    // A page never shown has no window: only the no-op message and the no-op destruction.
    if (window) SendMessage(window, WM_COMMAND, static_cast<WParam>(code), 0);
    DestroyModeless();
}

FakePropertySheet::FakePropertySheet(const char* templateName, std::uint32_t palette) : Dialog(templateName, palette) {}

void FakePropertySheet::AddPage(FakePropertyPage* page) {
    pages.Append(reinterpret_cast<std::uintptr_t>(page));
}

int FakePropertySheet::OnInitDialog(HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    if (createAllPages == 1)
        for (int i = 1; i < pages.count; ++i) OnCreatePage(i);
    ShowCurrentPage();
    return r;
}

void FakePropertySheet::OnCreatePage(int index) {
    FakePropertyPage* page = Page(index);
    if (page == nullptr) return;
    SetWindowText(window, page->title);
    page->CreateModeless(window);
    if (page->window) ShowWindow(page->window, SW_HIDE);
}

int FakePropertySheet::ShowCurrentPage() {
    FakePropertyPage* page = Page(currentPage);
    if (page == nullptr) return 0;
    SetWindowText(window, page->title);
    OnPageChanging();
    page->CreateModeless(window);
    FakePropertyPage* before = Page(previousPage);
    SendMessage(page->window, WM_PAGEACTIVATE, before != nullptr ? before->window.id : 0,
                static_cast<LParam>(previousPage));
    previousPage = currentPage;
    ShowWindow(page->window, SW_SHOW);
    InvalidateRect(page->window, nullptr, false);
    if (HWND back = GetDlgItem(window, kBackButtonId)) EnableWindow(back, currentPage > 0);
    SetDlgItemText(window, kNextButtonId, currentPage < pages.count - 1 ? "Next >" : "Finish");
    return OnPageChanged(window);
}

int FakePropertySheet::OnPageChanged(HWND) { return 1; }
void FakePropertySheet::OnPageChanging() {}

int FakePropertySheet::NextPage() {
    if (currentPage + 1 >= pages.count) return 1;
    return TurnPage(currentPage + 1);
}

int FakePropertySheet::PrevPage() {
    if (currentPage <= 0) return 1;
    return TurnPage(currentPage - 1);
}

// The page `to` replaces the current one; the keyboard's focus, when it was on the page put
// away, moves to the new page's first control.
int FakePropertySheet::TurnPage(int to) {
    FakePropertyPage* page = Page(currentPage);
    const bool focusOnPage = page != nullptr && page->window && IsChild(page->window, GetFocus());
    if (page != nullptr) ShowWindow(page->window, SW_HIDE);
    currentPage = to;
    ShowCurrentPage();
    if (focusOnPage)
        if (HWND first = GetNextDlgTabItem(window, {}, false))
            SendMessage(window, WM_NEXTDLGCTL, static_cast<WParam>(first.id), 1);
    return 1;
}

int FakePropertySheet::Finish() {
    for (int i = 0; i < pages.count; ++i) Page(i)->Close(IDOK);
    EndDialog(window, 0);
    currentPage = previousPage = 0;
    return 1;
}

int FakePropertySheet::Cancel() {
    for (int i = 0; i < pages.count; ++i) Page(i)->Close(IDCANCEL);
    EndDialog(window, 0);
    currentPage = 0;
    return 1;
}

int FakePropertySheet::OnCommand(unsigned notifyCode, WParam wParam, HWND control) {
    const int id = LOWORD(wParam);
    if (id == kBackButtonId) return PrevPage();
    if (id == kNextButtonId) return currentPage == pages.count - 1 ? Finish() : NextPage();
    if (id == kCancelButtonId || id == IDCANCEL) return Cancel();
    return Dialog::OnCommand(notifyCode, wParam, control);
}

// ---- Tabbed sheet -----------------------------------------------------------------------------

FakeTabPropertyPage::FakeTabPropertyPage(const char* templateName, const char* pageTitle)
    : Dialog(templateName, 0), title(pageTitle != nullptr ? pageTitle : "") {}

int FakeTabPropertyPage::OnInitDialog(HWND dialog) {
    HWND sheet = GetParent(dialog);
    int x = 0, y = 0;
    if (placeUnderTabs)
        if (HWND tab = GetDlgItem(sheet, kFirstTabButtonId)) {
            const RECT r = ClientRectOf(tab, sheet);
            x = r.left + 1;
            y = r.bottom;
        }
    PlacePage(*this, dialog, x, y);
    return 1;
}

void FakeTabPropertyPage::Close(int code) {
    if (window) SendMessage(window, WM_COMMAND, static_cast<WParam>(code), 0);
    DestroyModeless();
}

FakeTabPropertySheet::FakeTabPropertySheet(const char* templateName, std::uint32_t palette)
    : Dialog(templateName, palette) {
    tabRowFlag = 1;
}

void FakeTabPropertySheet::AddPage(FakeTabPropertyPage* page) {
    pages.Append(reinterpret_cast<std::uintptr_t>(page));
}

int FakeTabPropertySheet::OnInitDialog(HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    ShowCurrentPage();
    SendDlgItemMessage(window, kFirstTabButtonId + currentPage, BM_SETCHECK, 1, 0);
    return r;
}

void FakeTabPropertySheet::ShowCurrentPage() {
    FakeTabPropertyPage* page = Page(currentPage);
    if (page == nullptr) return;
    SetWindowText(window, page->title);
    OnPageChanging();
    page->CreateModeless(window);
    ShowWindow(page->window, SW_SHOW);
    InvalidateRect(page->window, nullptr, false);
    ValidateRect(window, nullptr);
    RedrawWindow(window, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void FakeTabPropertySheet::OnPageChanging() {}

int FakeTabPropertySheet::CloseAll(int code) {
    for (int i = 0; i < pages.count; ++i) Page(i)->Close(code);
    EndDialog(window, 0);
    currentPage = 0;
    return 1;
}

int FakeTabPropertySheet::OnOK() { return CloseAll(IDOK); }
int FakeTabPropertySheet::Cancel() { return CloseAll(IDCANCEL); }

int FakeTabPropertySheet::OnCommand(unsigned notifyCode, WParam wParam, HWND control) {
    const int id = LOWORD(wParam);
    if (id == IDOK) return OnOK();
    if (id == IDCANCEL || id == kCancelButtonId) return Cancel();
    if (id >= kFirstTabButtonId && id < kFirstTabButtonId + kMaxTabs) {
        // A tab button without a page does nothing.
        if (id - kFirstTabButtonId >= pages.count) return 1;
        if (FakeTabPropertyPage* page = Page(currentPage)) ShowWindow(page->window, SW_HIDE);
        SendDlgItemMessage(window, kFirstTabButtonId + currentPage, BM_SETCHECK, 0, 0);
        currentPage = id - kFirstTabButtonId;
        SendDlgItemMessage(window, id, BM_SETCHECK, 1, 0);
        ShowCurrentPage();
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace ui
