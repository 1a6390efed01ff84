// The control classes' registration and what the controls share.
#include <algorithm>
#include <cctype>

#include "win/control_internal.h"
#include "win/font.h"
#include "win/timing.h"
#include "win/window_internal.h"

namespace win {

LResult ButtonProc(HWND, std::uint32_t, WParam, LParam);
LResult StaticProc(HWND, std::uint32_t, WParam, LParam);
LResult EditProc(HWND, std::uint32_t, WParam, LParam);
LResult ListBoxProc(HWND, std::uint32_t, WParam, LParam);
LResult ComboBoxProc(HWND, std::uint32_t, WParam, LParam);
LResult ComboLBoxProc(HWND, std::uint32_t, WParam, LParam);
LResult ScrollBarProc(HWND, std::uint32_t, WParam, LParam);
LResult TrackbarProc(HWND, std::uint32_t, WParam, LParam);
LResult UpDownProc(HWND, std::uint32_t, WParam, LParam);
LResult ListViewProc(HWND, std::uint32_t, WParam, LParam);
LResult HeaderProc(HWND, std::uint32_t, WParam, LParam);
LResult ToolbarProc(HWND, std::uint32_t, WParam, LParam);
LResult TooltipProc(HWND, std::uint32_t, WParam, LParam);
LResult TabControlProc(HWND, std::uint32_t, WParam, LParam);
LResult TreeViewProc(HWND, std::uint32_t, WParam, LParam);
LResult AnimateProc(HWND, std::uint32_t, WParam, LParam);

namespace detail {

bool RegisterSystemClasses() {
    struct Row {
        const char* name;
        WNDPROC proc;
        std::uint32_t style;
    };
    static const Row kRows[] = {
        {WC_DIALOG, DefDlgProc, CS_DBLCLKS},
        {WC_BUTTON, ButtonProc, CS_DBLCLKS},
        {WC_STATIC, StaticProc, 0},
        {WC_EDIT, EditProc, CS_DBLCLKS},
        {WC_LISTBOX, ListBoxProc, CS_DBLCLKS},
        {WC_COMBOBOX, ComboBoxProc, CS_DBLCLKS},
        {WC_COMBOLBOX, ComboLBoxProc, CS_DBLCLKS},
        {WC_SCROLLBAR, ScrollBarProc, 0},
        {TRACKBAR_CLASS, TrackbarProc, 0},
        {UPDOWN_CLASS, UpDownProc, 0},
        {WC_LISTVIEW, ListViewProc, CS_DBLCLKS},
        {WC_HEADER, HeaderProc, 0},
        {TOOLBARCLASSNAME, ToolbarProc, 0},
        {TOOLTIPS_CLASS, TooltipProc, 0},
        {WC_TABCONTROL, TabControlProc, 0},
        {WC_TREEVIEW, TreeViewProc, CS_DBLCLKS},
        {"SysAnimate32", AnimateProc, 0},
    };
    bool added = false;
    for (const Row& r : kRows) {
        if (GetClassInfo({}, r.name, nullptr)) continue;
        WNDCLASS wc;
        wc.className = r.name;
        wc.wndProc = r.proc;
        wc.style = r.style;
        added = RegisterClass(wc) != 0 || added;
    }
    return added;
}

}  // namespace detail

void InitCommonControls() {
    detail::RegisterSystemClasses();
}

namespace ctl {

std::uint32_t StyleOf(HWND h) {
    return static_cast<std::uint32_t>(GetWindowLong(h, GWL_STYLE));
}

int IdOf(HWND h) {
    return GetDlgCtrlID(h);
}

HFONT FontOr(HFONT font) {
    if (font) return font;
    return HFONT{GetStockObject(DEFAULT_GUI_FONT).id};
}

HBRUSH ControlColours(HWND control, HDC dc, std::uint32_t message, int fallback) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(fallback));
    HWND parent = GetParent(control);
    HBRUSH b;
    if (parent)
        b = HBRUSH{static_cast<std::uint32_t>(
            SendMessage(parent, message, dc.id, static_cast<LParam>(control.id)))};
    return b ? b : GetSysColorBrush(fallback);
}

void NotifyCommand(HWND control, unsigned code) {
    HWND parent = GetParent(control);
    if (!parent) return;
    SendMessage(parent, WM_COMMAND,
                MAKEWPARAM(static_cast<std::uint16_t>(IdOf(control)),
                           static_cast<std::uint16_t>(code)),
                static_cast<LParam>(control.id));
}

LResult NotifyParent(HWND control, NMHDR& header, std::int32_t code) {
    header.hwndFrom = control;
    header.idFrom = static_cast<std::uintptr_t>(IdOf(control));
    header.code = code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LParam>(&header));
}

std::string StripMnemonics(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out.push_back(text[i]);
    }
    return out;
}

bool ShiftDown() {
    return GetKeyState(static_cast<int>(VK_SHIFT)) < 0;
}

bool ControlDown() {
    return GetKeyState(static_cast<int>(VK_CONTROL)) < 0;
}

void Draw3dFrame(HDC dc, const RECT& r, bool sunken) {
    DrawEdge(dc, const_cast<RECT*>(&r), sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

int LineHeight(HFONT font) {
    HDC dc = CreateCompatibleDC({});
    HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(font)));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

int TextWidth(HDC dc, std::string_view text) {
    SIZE s{};
    GetTextExtentPoint32(dc, text, &s);
    return s.cx;
}

// ---- The list model ---------------------------------------------------------------------------

namespace {
std::string LowerCopy(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
}  // namespace

int ListModel::Insert(int index, std::string text, LParam data) {
    int at = index;
    if (index < 0 || index > static_cast<int>(items.size())) {
        at = static_cast<int>(items.size());
        if (sorted) {
            const std::string key = LowerCopy(text);
            at = 0;
            while (at < static_cast<int>(items.size()) && LowerCopy(items[at].text) <= key)
                ++at;
        }
    }
    items.insert(items.begin() + at, Item{std::move(text), data, false});
    if (current >= at) ++current;
    if (anchor >= at) ++anchor;
    return at;
}

int ListModel::Find(int after, std::string_view text, bool exact) const {
    const int n = static_cast<int>(items.size());
    if (n == 0) return -1;
    const std::string key = LowerCopy(text);
    const int start = after < -1 || after >= n ? -1 : after;
    for (int step = 1; step <= n; ++step) {
        const int i = (start + step) % n;
        const std::string t = LowerCopy(items[i].text);
        if (exact ? t == key : t.compare(0, key.size(), key) == 0) return i;
    }
    return -1;
}

int ListModel::Select(int index) {
    if (index < -1 || index >= static_cast<int>(items.size())) return -1;
    for (Item& it : items)
        it.selected = false;
    current = index;
    if (index >= 0) items[index].selected = true;
    return index;
}

int ListModel::SelectedCount() const {
    int n = 0;
    for (const Item& it : items)
        n += it.selected ? 1 : 0;
    return n;
}

void ListScrollBars::Create(HWND list) {
    for (HWND* bar : {&vertical, &horizontal}) {
        const std::uint32_t style = WS_CHILD | (bar == &vertical ? SBS_VERT : SBS_HORZ);
        *bar = CreateWindowEx(0, WC_SCROLLBAR, "", style, 0, 0, 1, 1, list, {}, {}, 0);
    }
}

void ListScrollBars::Set(HWND bar, bool shown, int count, int page, int pos) {
    if (!bar) return;
    if (shown) {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = std::max(0, count - 1);
        info.nPage = static_cast<unsigned>(std::max(1, page));
        info.nPos = pos;
        SendMessage(bar, SBM_SETSCROLLINFO, 1, reinterpret_cast<LParam>(&info));
    }
    if (IsWindowVisible(bar) != shown) ShowWindow(bar, shown ? SW_SHOW : SW_HIDE);
}

void ListScrollBars::Place(HWND bar, int x, int y, int width, int height) {
    if (!bar) return;
    RECT r;
    GetWindowRect(bar, &r);
    MapWindowPoints({}, GetParent(bar), &r);
    if (r.left != x || r.top != y || r.right - r.left != width || r.bottom - r.top != height)
        MoveWindow(bar, x, y, width, height, true);
}

bool ListScrollBars::VerticalShown() const {
    return vertical && IsWindowVisible(vertical);
}

bool ListScrollBars::HorizontalShown() const {
    return horizontal && IsWindowVisible(horizontal);
}

int ScrollBarThickness() {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    return t > 0 ? t : 16;
}

int ScrolledPosition(unsigned code, HWND bar, int pos, int line, int page, int last) {
    switch (code) {
        case SB_LINEUP: pos -= line; break;
        case SB_LINEDOWN: pos += line; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = last; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The whole track position, not the 16 bits the message carries.
            SCROLLINFO info;
            info.fMask = SIF_TRACKPOS;
            if (SendMessage(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LParam>(&info)) != 0) pos = info.nTrackPos;
            break;
        }
        default: break;
    }
    return std::clamp(pos, 0, std::max(0, last));
}

int NextTabStop(const std::vector<int>& tabs, int pen) {
    for (const int stop : tabs)
        if (stop > pen) return stop;
    // Past the last stop (or with none set) the stops go on every 32 pixels.
    return (std::max(pen, 0) / 32 + 1) * 32;
}

void PaintListRows(HWND control, HDC dc, const RECT& client, const ListModel& model, int rowHeight,
                   bool focused, bool ownerDraw, unsigned ctlType, const std::vector<int>& tabs) {
    HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &client, window);
    SetBkMode(dc, TRANSPARENT);
    const int n = static_cast<int>(model.items.size());
    for (int i = model.top; i < n; ++i) {
        const int y = client.top + (i - model.top) * rowHeight;
        if (y >= client.bottom) break;
        RECT row{client.left, y, client.right, y + rowHeight};
        const ListModel::Item& item = model.items[i];
        const bool caret = focused && i == model.current;
        if (ownerDraw) {
            DRAWITEMSTRUCT d;
            d.CtlType = ctlType;
            d.CtlID = static_cast<unsigned>(IdOf(control));
            d.itemID = static_cast<unsigned>(i);
            d.itemAction = ODA_DRAWENTIRE;
            d.itemState = (item.selected ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0);
            d.hwndItem = control;
            d.hDC = dc;
            d.rcItem = row;
            d.itemData = static_cast<std::uintptr_t>(item.data);
            HWND parent = GetParent(control);
            if (ctlType == ODT_COMBOBOX && GetClassName(parent) == WC_COMBOLBOX)
                parent = GetParent(parent);
            SendMessage(parent, WM_DRAWITEM, d.CtlID, reinterpret_cast<LParam>(&d));
            continue;
        }
        if (item.selected) {
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        }
        // Tab stops (list boxes with LBS_USETABSTOPS): a tab moves to the first stop past the
        // text drawn so far, so a cell wider than its column pushes the rest of the row on
        // instead of being drawn over.
        const int origin = row.left + 2;
        ForEachTabbedCell(dc, item.text, tabs, [&](int x, std::string_view cellText) {
            RECT cell{origin + x, row.top, row.right, row.bottom};
            DrawText(dc, cellText, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        });
        if (caret) DrawFocusRect(dc, &row);
    }
}

}  // namespace ctl
}  // namespace win
