// "SysListView32" in report mode with its "SysHeader32": columns, rows of cells, one or many
// selected, owner-drawn rows (only the visible ones are drawn), sorting by a compare function,
// header dividers dragged to new widths with the HDN_ notifications, which the list passes on to
// its parent, and scroll bars that appear when the rows or the columns do not fit (the header
// scrolls sideways with the rows).
#include <algorithm>
#include <deque>

#include "win/control_internal.h"

namespace win {
namespace {

using namespace ctl;

// ---- Header -----------------------------------------------------------------------------------

struct HeaderState {
    HFONT font;
    std::vector<HDITEM> items;
    int tracking = -1;  // the column whose right divider is being dragged
    int trackStart = 0, widthStart = 0;
};
StateTable<HeaderState> theHeaders;

int DividerAt(const HeaderState& s, int x) {
    int edge = 0;
    for (int i = 0; i < static_cast<int>(s.items.size()); ++i) {
        edge += s.items[i].cxy;
        if (std::abs(x - edge) <= 3) return i;
    }
    return -1;
}

LResult HeaderNotify(HWND h, std::int32_t code, int item, HDITEM* hd) {
    NMHEADER nm;
    nm.iItem = item;
    nm.pitem = hd;
    return NotifyParent(h, nm.hdr, code);
}

// ---- List view --------------------------------------------------------------------------------

// A row's cells: the item's own text, then its sub-items'. The first is kept in the row itself
// and the others are made only when there are any, so that a one-column list's rows need no
// storage of their own and stay small to move.
struct Row {
    std::string first;
    std::unique_ptr<std::vector<std::string>> more;
    LParam param = 0;
    std::uint32_t state = 0;

    [[nodiscard]] std::size_t CellCount() const { return 1 + (more ? more->size() : 0); }
    std::string& Cell(std::size_t k) { return k == 0 ? first : (*more)[k - 1]; }
    [[nodiscard]] const std::string& Cell(std::size_t k) const {
        return k == 0 ? first : (*more)[k - 1];
    }
    // At least n cells, the new ones empty.
    void Grow(std::size_t n) {
        if (n <= CellCount()) return;
        if (!more) more = std::make_unique<std::vector<std::string>>();
        more->resize(n - 1);
    }
    // A new empty cell at k (below CellCount()), those from k on moving one to the right.
    void InsertCell(std::size_t k) {
        if (!more) more = std::make_unique<std::vector<std::string>>();
        if (k == 0) {
            more->insert(more->begin(), std::move(first));
            first.clear();
        } else {
            more->insert(more->begin() + static_cast<std::ptrdiff_t>(k - 1), std::string());
        }
    }
};

struct ListViewState {
    HFONT font;
    HWND header;
    std::vector<LVCOLUMN> columns;
    std::deque<Row> rows;  // filled at the end a row at a time: no block is moved or copied
    int top = 0;
    int left = 0;  // pixels scrolled sideways
    int rowHeight = 0;
    bool focused = false;
    ListScrollBars bars;
    bool layoutDue = false;
};
StateTable<ListViewState> theListViews;

constexpr int kSidewaysLine = 16;

int HeaderHeight(const ListViewState& s) {
    return s.header ? LineHeight(s.font) + 6 : 0;
}

int ColumnsWidth(const ListViewState& s) {
    int width = 0;
    for (const LVCOLUMN& col : s.columns)
        width += col.cx;
    return width;
}

int RowH(HWND h, ListViewState& s) {
    if (s.rowHeight > 0) return s.rowHeight;
    if (StyleOf(h) & LVS_OWNERDRAWFIXED) {
        MEASUREITEMSTRUCT mi;
        mi.CtlType = ODT_LISTVIEW;
        mi.CtlID = static_cast<unsigned>(IdOf(h));
        mi.itemHeight = static_cast<unsigned>(LineHeight(s.font) + 1);
        SendMessage(GetParent(h), WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LParam>(&mi));
        s.rowHeight = std::max(1, static_cast<int>(mi.itemHeight));
        return s.rowHeight;
    }
    return LineHeight(s.font) + 2;
}

// Where rows are drawn: the client area under the header, beside the shown scroll bars.
RECT RowArea(HWND h, const ListViewState& s) {
    RECT c;
    GetClientRect(h, &c);
    if (s.bars.VerticalShown()) c.right = std::max(c.left, c.right - ScrollBarThickness());
    if (s.bars.HorizontalShown()) c.bottom = std::max(c.top, c.bottom - ScrollBarThickness());
    c.top = std::min(c.bottom, c.top + HeaderHeight(s));
    return c;
}

int VisibleRows(HWND h, ListViewState& s) {
    const RECT a = RowArea(h, s);
    return std::max(1, (a.bottom - a.top) / RowH(h, s));
}

// The scroll bars shown for what does not fit (a horizontal bar takes height from the rows, a
// vertical one width from the columns, so each may bring the other), the top row and the
// sideways offset held inside what can be scrolled, and the header moved with the columns.
void Layout(HWND h, ListViewState& s) {
    RECT c;
    GetClientRect(h, &c);
    const int clientW = c.right - c.left, clientH = c.bottom - c.top;
    const int thick = ScrollBarThickness();
    const int width = ColumnsWidth(s), count = static_cast<int>(s.rows.size()), rh = RowH(h, s);
    const bool scrolls = (StyleOf(h) & LVS_NOSCROLL) == 0;
    bool needV = false, needH = false;
    for (int pass = 0; pass < 3 && scrolls; ++pass) {
        needH = width > clientW - (needV ? thick : 0);
        needV = static_cast<long long>(count) * rh > clientH - HeaderHeight(s) - (needH ? thick : 0);
    }
    const int areaW = std::max(0, clientW - (needV ? thick : 0));
    const int areaH = std::max(0, clientH - HeaderHeight(s) - (needH ? thick : 0));
    const int page = std::max(1, areaH / rh);
    s.top = std::clamp(s.top, 0, std::max(0, count - page));
    s.left = std::clamp(s.left, 0, std::max(0, width - areaW));
    ListScrollBars::Place(s.bars.vertical, clientW - thick, 0, thick, clientH - (needH ? thick : 0));
    ListScrollBars::Place(s.bars.horizontal, 0, clientH - thick, areaW, thick);
    ListScrollBars::Set(s.bars.vertical, needV, count, page, s.top);
    ListScrollBars::Set(s.bars.horizontal, needH, width, areaW, s.left);
    if (s.header) MoveWindow(s.header, -s.left, 0, areaW + s.left, HeaderHeight(s), true);
}

// Something the rows show changed: the rows are drawn again, and the bars follow at the next
// message that does not fill in more rows (a long list lays them out once).
void Changed(HWND h, ListViewState& s) {
    s.layoutDue = true;
    InvalidateRect(h, nullptr, true);
}

void ItemChanged(HWND h, int item, std::uint32_t oldState, std::uint32_t newState, LParam param) {
    if (oldState == newState) return;
    NMLISTVIEW nm;
    nm.iItem = item;
    nm.uOldState = oldState;
    nm.uNewState = newState;
    nm.uChanged = LVIF_STATE;
    nm.lParam = param;
    NotifyParent(h, nm.hdr, LVN_ITEMCHANGED);
}

void SetState(HWND h, ListViewState& s, int i, std::uint32_t state, std::uint32_t mask) {
    Row& r = s.rows[i];
    const std::uint32_t old = r.state;
    r.state = (r.state & ~mask) | (state & mask);
    // Only one row has the focus.
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
        for (int k = 0; k < static_cast<int>(s.rows.size()); ++k)
            if (k != i && (s.rows[k].state & LVIS_FOCUSED)) {
                const std::uint32_t o = s.rows[k].state;
                s.rows[k].state &= ~LVIS_FOCUSED;
                ItemChanged(h, k, o, s.rows[k].state, s.rows[k].param);
            }
    ItemChanged(h, i, old, r.state, r.param);
    InvalidateRect(h, nullptr, true);
}

void EnsureVisible(HWND h, ListViewState& s, int i) {
    const int rows = VisibleRows(h, s);
    if (i < s.top) s.top = i;
    if (i >= s.top + rows) s.top = i - rows + 1;
    s.top = std::max(0, s.top);
    Changed(h, s);
}

void UserSelect(HWND h, ListViewState& s, int i, bool toggle) {
    const int n = static_cast<int>(s.rows.size());
    if (n == 0) return;
    i = std::clamp(i, 0, n - 1);
    if (toggle && !(StyleOf(h) & LVS_SINGLESEL)) {
        SetState(h, s, i, (s.rows[i].state ^ LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        for (int k = 0; k < n; ++k)
            if (k != i && (s.rows[k].state & LVIS_SELECTED)) SetState(h, s, k, 0, LVIS_SELECTED);
        SetState(h, s, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    EnsureVisible(h, s, i);
}

void Paint(HWND h, ListViewState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT c;
    GetClientRect(h, &c);
    FillRect(dc, &c, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s.font)));
    SetBkMode(dc, TRANSPARENT);
    const int rh = RowH(h, s);
    const bool ownerDraw = (StyleOf(h) & LVS_OWNERDRAWFIXED) != 0;
    const int width = ColumnsWidth(s);
    const RECT area = RowArea(h, s);
    // Rows start left of the area by what is scrolled sideways; the bars lie over the rest.
    const int x0 = area.left - s.left;
    for (int i = s.top, y = area.top; i < static_cast<int>(s.rows.size()) && y < area.bottom; ++i, y += rh) {
        const Row& r = s.rows[i];
        RECT item{x0, y, x0 + std::max<int>(area.right - area.left + s.left, width), y + rh};
        const bool sel = (r.state & LVIS_SELECTED) && (s.focused || (StyleOf(h) & LVS_SHOWSELALWAYS));
        if (ownerDraw) {
            DRAWITEMSTRUCT d;
            d.CtlType = ODT_LISTVIEW;
            d.CtlID = static_cast<unsigned>(IdOf(h));
            d.itemID = static_cast<unsigned>(i);
            d.itemAction = ODA_DRAWENTIRE;
            d.itemState = ((r.state & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                          ((r.state & LVIS_FOCUSED) && s.focused ? ODS_FOCUS : 0);
            d.hwndItem = h;
            d.hDC = dc;
            d.rcItem = item;
            d.itemData = static_cast<std::uintptr_t>(r.param);
            SendMessage(GetParent(h), WM_DRAWITEM, d.CtlID, reinterpret_cast<LParam>(&d));
            continue;
        }
        if (sel) FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        int x = x0;
        for (std::size_t k = 0; k < s.columns.size(); ++k) {
            RECT cell{x + 2, y, x + s.columns[k].cx - 2, y + rh};
            if (k < r.CellCount())
                DrawText(dc, r.Cell(k), &cell,
                         DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                             (s.columns[k].fmt == LVCFMT_RIGHT ? DT_RIGHT : 0));
            x += s.columns[k].cx;
        }
        if ((r.state & LVIS_FOCUSED) && s.focused) DrawFocusRect(dc, &item);
    }
    SelectObject(dc, old);
    EndPaint(h, &ps);
}

int RowAtPoint(HWND h, ListViewState& s, int y) {
    const RECT area = RowArea(h, s);
    if (y < area.top || y >= area.bottom) return -1;
    const int i = s.top + (y - area.top) / RowH(h, s);
    return i < static_cast<int>(s.rows.size()) ? i : -1;
}

std::string_view CellText(const Row& r, int k) {
    return k >= 0 && k < static_cast<int>(r.CellCount())
               ? std::string_view(r.Cell(static_cast<std::size_t>(k)))
               : std::string_view();
}

void CopyOut(std::string_view text, LVITEM* item) {
    item->text = item->cchTextMax > 0 && static_cast<int>(text.size()) >= item->cchTextMax
                     ? text.substr(0, static_cast<std::size_t>(item->cchTextMax - 1))
                     : text;
}

}  // namespace

LResult HeaderProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    HeaderState* s = theHeaders.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theHeaders.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theHeaders.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const int n = static_cast<int>(s->items.size());
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            return 0;
        case HDM_GETITEMCOUNT:
            return n;
        case HDM_INSERTITEM: {
            if (l == 0) return -1;
            const int at = std::clamp(static_cast<int>(w), 0, n);
            s->items.insert(s->items.begin() + at, *reinterpret_cast<const HDITEM*>(l));
            InvalidateRect(h, nullptr, true);
            return at;
        }
        case HDM_DELETEITEM:
            if (static_cast<int>(w) >= n) return 0;
            s->items.erase(s->items.begin() + static_cast<int>(w));
            InvalidateRect(h, nullptr, true);
            return 1;
        case HDM_GETITEM: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return 0;
            auto* out = reinterpret_cast<HDITEM*>(l);
            if (out->mask & HDI_WIDTH) out->cxy = s->items[i].cxy;
            if (out->mask & HDI_TEXT) out->text = s->items[i].text;
            if (out->mask & HDI_FORMAT) out->fmt = s->items[i].fmt;
            return 1;
        }
        case HDM_SETITEM: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return 0;
            const auto* in = reinterpret_cast<const HDITEM*>(l);
            if (in->mask & HDI_WIDTH) s->items[i].cxy = std::max(0, in->cxy);
            if (in->mask & HDI_TEXT) s->items[i].text = in->text;
            if (in->mask & HDI_FORMAT) s->items[i].fmt = in->fmt;
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
            HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s->font)));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            int x = 0;
            for (const HDITEM& it : s->items) {
                RECT r{x, c.top, x + it.cxy, c.bottom};
                DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
                RECT t{r.left + 4, r.top, r.right - 4, r.bottom};
                DrawText(dc, it.text, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
                x += it.cxy;
            }
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN: {
            const int x = GET_X_LPARAM(l);
            const int d = DividerAt(*s, x);
            if (d >= 0) {
                HDITEM hd = s->items[d];
                hd.mask = HDI_WIDTH;
                if (HeaderNotify(h, HDN_BEGINTRACK, d, &hd) != 0) return 0;
                s->tracking = d;
                s->trackStart = x;
                s->widthStart = s->items[d].cxy;
                SetCapture(h);
                return 0;
            }
            int edge = 0;
            for (int i = 0; i < n; ++i) {
                if (x >= edge && x < edge + s->items[i].cxy) {
                    HeaderNotify(h, HDN_ITEMCLICK, i, &s->items[i]);
                    break;
                }
                edge += s->items[i].cxy;
            }
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            if (s->tracking >= 0) {
                const int i = s->tracking;
                HDITEM hd;
                hd.mask = HDI_WIDTH;
                hd.cxy = std::max(0, s->widthStart + GET_X_LPARAM(l) - s->trackStart);
                if (m == WM_MOUSEMOVE) {
                    HeaderNotify(h, HDN_TRACK, i, &hd);
                    if (HeaderNotify(h, HDN_ITEMCHANGING, i, &hd) == 0 && theHeaders.Get(h) != nullptr) {
                        s->items[i].cxy = hd.cxy;
                        InvalidateRect(h, nullptr, true);
                        HeaderNotify(h, HDN_ITEMCHANGED, i, &hd);
                    }
                } else {
                    s->tracking = -1;
                    ReleaseCapture();
                    s->items[i].cxy = hd.cxy;
                    InvalidateRect(h, nullptr, true);
                    HeaderNotify(h, HDN_ENDTRACK, i, &hd);
                }
            }
            return 0;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

LResult ListViewProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ListViewState* s = theListViews.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theListViews.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_CREATE: {
            if (s == nullptr) return -1;
            if ((StyleOf(h) & 3) == LVS_REPORT && !(StyleOf(h) & LVS_NOCOLUMNHEADER)) {
                RECT c;
                GetClientRect(h, &c);
                s->header = CreateWindowEx(0, WC_HEADER, "", WS_CHILD | WS_VISIBLE, 0, 0, c.right,
                                           HeaderHeight(*s), h, {}, {}, 0);
                // HeaderHeight asks for the header: size it now that it exists.
                if (s->header) MoveWindow(s->header, 0, 0, c.right, HeaderHeight(*s), false);
            }
            if (!(StyleOf(h) & LVS_NOSCROLL)) s->bars.Create(h);
            return 0;
        }
        case WM_NCDESTROY:
            theListViews.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    if (s->layoutDue && m != LVM_INSERTITEM && m != LVM_SETITEMTEXT && m != LVM_SETITEM) {
        s->layoutDue = false;
        Layout(h, *s);
    }
    const int n = static_cast<int>(s->rows.size());
    auto item = [&]() { return reinterpret_cast<LVITEM*>(l); };
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            s->rowHeight = 0;
            if (s->header) SendMessage(s->header, WM_SETFONT, w, 0);
            Changed(h, *s);
            return 0;
        case WM_SIZE:
            Changed(h, *s);
            return 0;
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case LVM_GETHEADER:
            return static_cast<LResult>(s->header.id);
        case LVM_INSERTCOLUMN: {
            if (l == 0) return -1;
            LVCOLUMN col = *reinterpret_cast<const LVCOLUMN*>(l);
            const int at = std::clamp(static_cast<int>(w), 0, static_cast<int>(s->columns.size()));
            s->columns.insert(s->columns.begin() + at, col);
            for (Row& r : s->rows)
                if (static_cast<int>(r.CellCount()) > at)
                    r.InsertCell(static_cast<std::size_t>(at));
            if (s->header) {
                HDITEM hd;
                hd.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
                hd.cxy = col.cx;
                hd.text = col.text;
                hd.fmt = col.fmt;
                SendMessage(s->header, HDM_INSERTITEM, static_cast<WParam>(at), reinterpret_cast<LParam>(&hd));
            }
            Changed(h, *s);
            return at;
        }
        case LVM_GETCOLUMN: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= static_cast<int>(s->columns.size()) || l == 0) return 0;
            *reinterpret_cast<LVCOLUMN*>(l) = s->columns[i];
            return 1;
        }
        case LVM_GETCOLUMNWIDTH: {
            const int i = static_cast<int>(w);
            return i < 0 || i >= static_cast<int>(s->columns.size()) ? 0 : s->columns[i].cx;
        }
        case LVM_SETCOLUMNWIDTH: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= static_cast<int>(s->columns.size())) return 0;
            s->columns[i].cx = std::max(0, static_cast<int>(static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l)))));
            if (s->header) {
                HDITEM hd;
                hd.mask = HDI_WIDTH;
                hd.cxy = s->columns[i].cx;
                SendMessage(s->header, HDM_SETITEM, w, reinterpret_cast<LParam>(&hd));
            }
            Changed(h, *s);
            return 1;
        }
        case LVM_INSERTITEM: {
            if (l == 0) return -1;
            const LVITEM& it = *item();
            const int at = std::clamp(it.iItem, 0, n);
            Row& r = at == n ? s->rows.emplace_back() : *s->rows.emplace(s->rows.begin() + at);
            r.Grow(s->columns.size());
            if (it.mask & LVIF_TEXT) r.first = it.text;
            if (it.mask & LVIF_PARAM) r.param = it.lParam;
            if (it.mask & LVIF_STATE) r.state = it.state & it.stateMask;
            Changed(h, *s);
            return at;
        }
        case LVM_SETITEM:
        case LVM_SETITEMTEXT: {
            if (l == 0) return 0;
            LVITEM& it = *item();
            const int i = m == LVM_SETITEMTEXT ? static_cast<int>(w) : it.iItem;
            if (i < 0 || i >= n || it.iSubItem < 0) return 0;
            Row& r = s->rows[i];
            if (m == LVM_SETITEMTEXT || (it.mask & LVIF_TEXT)) {
                r.Grow(static_cast<std::size_t>(it.iSubItem) + 1);
                r.Cell(static_cast<std::size_t>(it.iSubItem)) = it.text;
            }
            if (m == LVM_SETITEM && (it.mask & LVIF_PARAM)) r.param = it.lParam;
            if (m == LVM_SETITEM && (it.mask & LVIF_STATE)) SetState(h, *s, i, it.state, it.stateMask);
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case LVM_GETITEM: {
            if (l == 0) return 0;
            LVITEM& it = *item();
            if (it.iItem < 0 || it.iItem >= n) return 0;
            const Row& r = s->rows[it.iItem];
            if (it.mask & LVIF_TEXT) CopyOut(CellText(r, it.iSubItem), &it);
            if (it.mask & LVIF_PARAM) it.lParam = r.param;
            if (it.mask & LVIF_STATE) it.state = r.state & it.stateMask;
            return 1;
        }
        case LVM_GETITEMTEXT: {
            const int i = static_cast<int>(w);
            if (l == 0 || i < 0 || i >= n) return 0;
            LVITEM& it = *item();
            const Row& r = s->rows[i];
            CopyOut(CellText(r, it.iSubItem), &it);
            return static_cast<LResult>(it.text.size());
        }
        case LVM_SETITEMSTATE: {
            if (l == 0) return 0;
            const LVITEM& it = *item();
            const int i = static_cast<int>(static_cast<std::intptr_t>(w));
            if (i == -1) {
                for (int k = 0; k < n; ++k)
                    SetState(h, *s, k, it.state, it.stateMask);
                return 1;
            }
            if (i < 0 || i >= n) return 0;
            SetState(h, *s, i, it.state, it.stateMask);
            return 1;
        }
        case LVM_GETITEMSTATE: {
            const int i = static_cast<int>(w);
            return i < 0 || i >= n ? 0 : static_cast<LResult>(s->rows[i].state & static_cast<std::uint32_t>(l));
        }
        case LVM_GETSELECTEDCOUNT:
            return std::count_if(s->rows.begin(), s->rows.end(),
                                 [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; });
        case LVM_GETITEMCOUNT:
            return n;
        case LVM_GETNEXTITEM: {
            const std::uint32_t flags = static_cast<std::uint32_t>(l);
            for (int i = static_cast<int>(static_cast<std::intptr_t>(w)) + 1; i < n; ++i) {
                const std::uint32_t st = s->rows[i].state;
                if ((flags & LVNI_FOCUSED) && !(st & LVIS_FOCUSED)) continue;
                if ((flags & LVNI_SELECTED) && !(st & LVIS_SELECTED)) continue;
                return i;
            }
            return -1;
        }
        case LVM_DELETEITEM: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n) return 0;
            s->rows.erase(s->rows.begin() + i);
            s->top = std::min(s->top, std::max(0, n - 2));
            Changed(h, *s);
            return 1;
        }
        case LVM_DELETEALLITEMS:
            s->rows.clear();
            s->top = 0;
            Changed(h, *s);
            return 1;
        case LVM_SORTITEMS: {
            auto compare = reinterpret_cast<PFNLVCOMPARE>(l);
            if (compare == nullptr) return 0;
            const LParam param = static_cast<LParam>(w);
            // The rows' values are sorted with their places, and the rows then moved once each
            // into the order found: a row is bigger than its value.
            struct Key {
                LParam param;
                std::size_t row;
            };
            std::vector<Key> keys(s->rows.size());
            for (std::size_t i = 0; i < keys.size(); ++i)
                keys[i] = Key{s->rows[i].param, i};
            std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
                return compare(a.param, b.param, param) < 0;
            });
            std::deque<Row> sorted;
            for (const Key& k : keys)
                sorted.push_back(std::move(s->rows[k.row]));
            s->rows = std::move(sorted);
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case LVM_ENSUREVISIBLE:
            if (static_cast<int>(w) >= 0 && static_cast<int>(w) < n) EnsureVisible(h, *s, static_cast<int>(w));
            InvalidateRect(h, nullptr, true);
            return 1;
        case LVM_GETTOPINDEX:
            return s->top;
        case LVM_GETITEMRECT: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return 0;
            const RECT area = RowArea(h, *s);
            const int y = area.top + (i - s->top) * RowH(h, *s);
            *reinterpret_cast<RECT*>(l) = RECT{area.left - s->left, y, area.right, y + RowH(h, *s)};
            return 1;
        }
        case WM_VSCROLL:
        case WM_HSCROLL: {
            const HWND bar{static_cast<std::uint32_t>(l)};
            if (!s->bars.Owns(bar)) return 0;
            const RECT area = RowArea(h, *s);
            const unsigned code = LOWORD(static_cast<std::uintptr_t>(w));
            if (m == WM_VSCROLL) {
                const int page = VisibleRows(h, *s);
                s->top = ScrolledPosition(code, bar, s->top, 1, page, n - page);
            } else {
                const int view = area.right - area.left;
                s->left = ScrolledPosition(code, bar, s->left, kSidewaysLine, view, ColumnsWidth(*s) - view);
            }
            Changed(h, *s);
            return 0;
        }
        case WM_NOTIFY: {
            // The header's notifications: follow a new width, then tell the list's parent.
            auto* hdr = reinterpret_cast<NMHDR*>(l);
            if (hdr != nullptr && hdr->hwndFrom == s->header) {
                auto* nm = reinterpret_cast<NMHEADER*>(l);
                if ((hdr->code == HDN_ITEMCHANGED || hdr->code == HDN_ENDTRACK) && nm->pitem != nullptr &&
                    (nm->pitem->mask & HDI_WIDTH) && nm->iItem >= 0 &&
                    nm->iItem < static_cast<int>(s->columns.size())) {
                    s->columns[nm->iItem].cx = nm->pitem->cxy;
                    Changed(h, *s);
                }
                if (hdr->code == HDN_ITEMCLICK) {
                    NMLISTVIEW lv;
                    lv.iSubItem = nm->iItem;
                    NotifyParent(h, lv.hdr, LVN_COLUMNCLICK);
                    return 0;
                }
                HWND parent = GetParent(h);
                return parent ? SendMessage(parent, WM_NOTIFY, w, l) : 0;
            }
            return 0;
        }
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            s->focused = m == WM_SETFOCUS;
            InvalidateRect(h, nullptr, true);
            NMHDR nm;
            NotifyParent(h, nm, s->focused ? NM_SETFOCUS : NM_KILLFOCUS);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: {
            SetFocus(h);
            const int i = RowAtPoint(h, *s, GET_Y_LPARAM(l));
            if (i >= 0) UserSelect(h, *s, i, m == WM_LBUTTONDOWN && ControlDown());
            NMLISTVIEW nm;
            nm.iItem = i;
            nm.ptAction = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            NotifyParent(h, nm.hdr, m == WM_LBUTTONDBLCLK ? NM_DBLCLK : m == WM_RBUTTONDOWN ? NM_RCLICK : NM_CLICK);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            const int delta = static_cast<std::int16_t>(HIWORD(w));
            s->top = std::clamp(s->top - delta / 40, 0, std::max(0, n - VisibleRows(h, *s)));
            Changed(h, *s);
            return 0;
        }
        case WM_KEYDOWN: {
            if (n == 0) return 0;
            int cur = static_cast<int>(SendMessage(h, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED));
            const int page = VisibleRows(h, *s);
            int to = cur;
            switch (w) {
                case VK_UP: to = cur - 1; break;
                case VK_DOWN: to = cur + 1; break;
                case VK_PRIOR: to = cur - page + 1; break;
                case VK_NEXT: to = cur + page - 1; break;
                case VK_HOME: to = 0; break;
                case VK_END: to = n - 1; break;
                case VK_SPACE:
                    if (cur >= 0) UserSelect(h, *s, cur, true);
                    return 0;
                default: return DefWindowProc(h, m, w, l);
            }
            if (cur < 0) to = 0;
            UserSelect(h, *s, to, false);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
