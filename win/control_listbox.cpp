// "ListBox" (and "ComboLBox", the drop-down list of a combo box): rows of text, sorted or in
// the order added, one or several selected, owner-drawn rows of a fixed height, tab stops,
// prefix search, type-ahead, the keys and the wheel, and (with WS_VSCROLL and WS_HSCROLL) scroll
// bars while the rows or the widest row do not fit. The parent hears LBN_SELCHANGE and
// LBN_DBLCLK when LBS_NOTIFY is set. Unless LBS_NOINTEGRALHEIGHT is set, a list is only as tall
// as the whole rows that fit the height it was given: no row is ever shown cut.
#include <algorithm>

#include "win/control_internal.h"
#include "win/timing.h"

namespace win {

LResult ComboDropDownEvent(HWND combo, int event, int index);  // control_combobox.cpp

namespace {

using namespace ctl;

struct ListState {
    HFONT font;
    ListModel model;
    int rowHeight = 0;
    std::vector<int> tabs;  // pixels
    bool focused = false;
    bool tracking = false;
    HWND combo;  // the owning combo box of a drop-down
    ListScrollBars bars;
    int left = 0;    // pixels scrolled sideways
    int extent = 0;  // LB_SETHORIZONTALEXTENT's width
    int textWidth = -1;  // the widest row's text, measured again when the rows, font or tabs change
    bool layoutDue = false;
    int askedHeight = -1;  // the window height its creator or owner last gave it
    bool fitting = false;  // while the list sizes itself to whole rows
};
StateTable<ListState> theLists;

bool OwnerDraw(HWND h) {
    return (StyleOf(h) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

int RowHeight(HWND, ListState& s) {
    if (s.rowHeight > 0) return s.rowHeight;
    return LineHeight(s.font) + 1;
}

// The rows lie inside the sunken edge (a drop-down's one-pixel frame is drawn over them).
constexpr int kEdge = 2;

// Inside the edge, without the room of the shown scroll bars.
RECT RowArea(HWND h, const ListState& s) {
    RECT c;
    GetClientRect(h, &c);
    if (s.combo) return c;
    RECT r{c.left + kEdge, c.top + kEdge, std::max(c.left + kEdge, c.right - kEdge),
           std::max(c.top + kEdge, c.bottom - kEdge)};
    if (s.bars.VerticalShown()) r.right = std::max(r.left, r.right - ScrollBarThickness());
    if (s.bars.HorizontalShown()) r.bottom = std::max(r.top, r.bottom - ScrollBarThickness());
    return r;
}

int VisibleRows(HWND h, ListState& s) {
    const RECT c = RowArea(h, s);
    return std::max(1, (c.bottom - c.top) / RowHeight(h, s));
}

// The list's height cut down to the whole rows that fit the height it was last given (the rows
// change height with the font or LB_SETITEMHEIGHT, so the fit starts from that height each
// time, never from an earlier fit). A list too low for one row keeps its height.
void FitWholeRows(HWND h, ListState& s) {
    if (s.combo || s.fitting || (StyleOf(h) & (LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWVARIABLE)))
        return;
    RECT w;
    GetWindowRect(h, &w);
    const int height = w.bottom - w.top;
    if (s.askedHeight < 0) s.askedHeight = height;
    const RECT area = RowArea(h, s);
    const int frame = height - (area.bottom - area.top);
    const int rows = s.askedHeight - frame, rh = RowHeight(h, s);
    const int wanted = rows < rh ? s.askedHeight : s.askedHeight - rows % rh;
    if (wanted == height) return;
    s.fitting = true;
    SetWindowPos(h, {}, 0, 0, w.right - w.left, wanted, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    s.fitting = false;
}

// How wide the rows are: the extent the owner set, or the widest text (and its tab stops).
int RowsWidth(HWND h, ListState& s) {
    if (!(StyleOf(h) & WS_HSCROLL)) return s.extent;
    if (s.textWidth < 0) {
        // A list of thousands of rows is measured once, not at each scroll.
        int widest = 0;
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s.font)));
        for (const ListModel::Item& item : s.model.items)
            widest = std::max(
                widest, ForEachTabbedCell(dc, item.text, s.tabs, [](int, std::string_view) {}) + 4);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        s.textWidth = widest;
    }
    return std::max(s.extent, s.textWidth);
}

// The scroll bars the style asks for, shown while the rows (or the widest row) do not fit, and
// the top row and sideways offset held inside what can be scrolled.
void Layout(HWND h, ListState& s) {
    if (s.combo || !s.bars.vertical) return;
    RECT c;
    GetClientRect(h, &c);
    const std::uint32_t style = StyleOf(h);
    const int thick = ScrollBarThickness(), rh = RowHeight(h, s);
    const int innerW = std::max(0, c.right - c.left - 2 * kEdge), innerH = std::max(0, c.bottom - c.top - 2 * kEdge);
    const int count = static_cast<int>(s.model.items.size());
    const int width = (style & WS_HSCROLL) ? RowsWidth(h, s) : 0;
    bool needV = false, needH = false;
    for (int pass = 0; pass < 3; ++pass) {
        needH = (style & WS_HSCROLL) && width > innerW - (needV ? thick : 0);
        needV = (style & WS_VSCROLL) && static_cast<long long>(count) * rh > innerH - (needH ? thick : 0);
    }
    const int areaW = std::max(0, innerW - (needV ? thick : 0));
    const int areaH = std::max(0, innerH - (needH ? thick : 0));
    const int page = std::max(1, areaH / rh);
    s.model.top = std::clamp(s.model.top, 0, std::max(0, count - page));
    s.left = needH ? std::clamp(s.left, 0, std::max(0, width - areaW)) : 0;
    ListScrollBars::Place(s.bars.vertical, c.right - kEdge - thick, c.top + kEdge, thick, areaH);
    ListScrollBars::Place(s.bars.horizontal, c.left + kEdge, c.bottom - kEdge - thick, areaW, thick);
    ListScrollBars::Set(s.bars.vertical, needV, count, page, s.model.top);
    ListScrollBars::Set(s.bars.horizontal, needH, width, areaW, s.left);
}

// The bars follow at the next message that is not one more row: a list filled with thousands
// of rows lays them out once.
void Changed(HWND h) {
    if (ListState* s = theLists.Get(h)) s->layoutDue = true;
    InvalidateRect(h, nullptr, true);
}

void EnsureVisible(HWND h, ListState& s, int i) {
    if (i < 0) return;
    const int rows = VisibleRows(h, s);
    if (i < s.model.top) s.model.top = i;
    if (i >= s.model.top + rows) s.model.top = i - rows + 1;
    s.model.top = std::max(0, s.model.top);
}

void SelChanged(HWND h, ListState& s) {
    if (s.combo) {
        ComboDropDownEvent(s.combo, 0, s.model.current);
        return;
    }
    if (StyleOf(h) & LBS_NOTIFY) NotifyCommand(h, LBN_SELCHANGE);
}

// Moves the caret to `i` as a user does: single selection follows it; with Shift in an
// extended list the range from the anchor is selected.
void UserMove(HWND h, ListState& s, int i) {
    const int n = static_cast<int>(s.model.items.size());
    if (n == 0) return;
    i = std::clamp(i, 0, n - 1);
    const std::uint32_t style = StyleOf(h);
    if (style & LBS_MULTIPLESEL) {
        s.model.current = i;
    } else if ((style & LBS_EXTENDEDSEL) && ShiftDown() && s.model.anchor >= 0) {
        for (int k = 0; k < n; ++k)
            s.model.items[k].selected = k >= std::min(i, s.model.anchor) && k <= std::max(i, s.model.anchor);
        s.model.current = i;
    } else {
        s.model.Select(i);
        s.model.anchor = i;
    }
    EnsureVisible(h, s, i);
    Changed(h);
    SelChanged(h, s);
}

void Paint(HWND h, ListState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT c;
    GetClientRect(h, &c);
    ControlColours(h, dc, WM_CTLCOLORLISTBOX, COLOR_WINDOW);
    HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s.font)));
    RECT rows = RowArea(h, s);
    rows.left -= s.left;  // scrolled sideways: the edge drawn next covers what passes it
    PaintListRows(h, dc, rows, s.model, RowHeight(h, s), s.focused || s.combo, OwnerDraw(h),
                  s.combo ? ODT_COMBOBOX : ODT_LISTBOX, s.tabs);
    if (!s.combo) DrawEdge(dc, &c, EDGE_SUNKEN, BF_RECT);
    else FrameRect(dc, &c, GetSysColorBrush(COLOR_WINDOWFRAME));
    SelectObject(dc, old);
    EndPaint(h, &ps);
}

int RowAt(HWND h, ListState& s, int y) {
    const RECT area = RowArea(h, s);
    if (y >= area.bottom && !s.tracking) return -1;
    const int i = s.model.top + std::max(0, y - area.top) / RowHeight(h, s);
    return i < static_cast<int>(s.model.items.size()) ? i : -1;
}

LResult ListProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ListState* s = theLists.Get(h);
    switch (m) {
        case WM_NCCREATE: {
            ListState& n = theLists.Make(h);
            const std::uint32_t style = StyleOf(h);
            n.model.sorted = (style & LBS_SORT) != 0;
            n.model.multiple = (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
            return DefWindowProc(h, m, w, l);
        }
        case WM_CREATE:
            if (s != nullptr && OwnerDraw(h)) {
                MEASUREITEMSTRUCT mi;
                mi.CtlType = ODT_LISTBOX;
                mi.CtlID = static_cast<unsigned>(IdOf(h));
                mi.itemHeight = static_cast<unsigned>(LineHeight(s->font) + 1);
                SendMessage(GetParent(h), WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LParam>(&mi));
                s->rowHeight = static_cast<int>(mi.itemHeight);
            }
            if (s != nullptr && (StyleOf(h) & (WS_VSCROLL | WS_HSCROLL))) s->bars.Create(h);
            return 0;
        case WM_NCDESTROY:
            theLists.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    if (s->layoutDue && m != LB_ADDSTRING && m != LB_INSERTSTRING && m != LB_SETITEMDATA) {
        s->layoutDue = false;
        Layout(h, *s);
    }
    if (m == WM_SETFONT || m == LB_ADDSTRING || m == LB_INSERTSTRING || m == LB_DELETESTRING ||
        m == LB_RESETCONTENT || m == LB_SETTABSTOPS)
        s->textWidth = -1;
    ListModel& md = s->model;
    const int n = static_cast<int>(md.items.size());
    auto text = [&](LParam p) { return p != 0 ? std::string(reinterpret_cast<const char*>(p)) : std::string(); };
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            FitWholeRows(h, *s);
            if (l != 0) Changed(h);
            else Layout(h, *s);
            return 0;
        case WM_SIZE:
            if (!s->fitting) {
                RECT r;
                GetWindowRect(h, &r);
                s->askedHeight = r.bottom - r.top;
                FitWholeRows(h, *s);
            }
            Changed(h);
            return 0;
        case LB_SETHORIZONTALEXTENT:
            s->extent = std::max(0, static_cast<int>(w));
            Changed(h);
            return 0;
        case LB_GETHORIZONTALEXTENT:
            return s->extent;
        case WM_VSCROLL:
        case WM_HSCROLL: {
            const HWND bar{static_cast<std::uint32_t>(l)};
            if (!s->bars.Owns(bar)) return 0;
            const unsigned code = LOWORD(static_cast<std::uintptr_t>(w));
            if (m == WM_VSCROLL) {
                const int page = VisibleRows(h, *s);
                s->model.top = ScrolledPosition(code, bar, s->model.top, 1, page,
                                                static_cast<int>(s->model.items.size()) - page);
            } else {
                const RECT area = RowArea(h, *s);
                const int view = area.right - area.left;
                s->left = ScrolledPosition(code, bar, s->left, 8, view, RowsWidth(h, *s) - view);
            }
            Changed(h);
            return 0;
        }
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case LB_ADDSTRING:
        case LB_INSERTSTRING: {
            const int at = md.Insert(m == LB_ADDSTRING ? -1 : static_cast<int>(static_cast<std::intptr_t>(w)),
                                     OwnerDraw(h) && !(StyleOf(h) & LBS_HASSTRINGS) ? std::string() : text(l),
                                     OwnerDraw(h) && !(StyleOf(h) & LBS_HASSTRINGS) ? l : 0);
            Changed(h);
            return at;
        }
        case LB_DELETESTRING: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n) return LB_ERR;
            md.items.erase(md.items.begin() + i);
            if (md.current == i) md.current = -1;
            else if (md.current > i) --md.current;
            md.top = std::min(md.top, std::max(0, static_cast<int>(md.items.size()) - 1));
            Changed(h);
            return static_cast<LResult>(md.items.size());
        }
        case LB_RESETCONTENT:
            md.items.clear();
            md.current = -1;
            md.top = 0;
            md.anchor = -1;
            Changed(h);
            return 0;
        case LB_GETCOUNT:
            return n;
        case LB_GETTEXT: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return LB_ERR;
            const std::string& t = md.items[i].text;
            char* out = reinterpret_cast<char*>(l);
            std::copy(t.begin(), t.end(), out);
            out[t.size()] = '\0';
            return static_cast<LResult>(t.size());
        }
        case LB_GETTEXTLEN: {
            const int i = static_cast<int>(w);
            return i < 0 || i >= n ? LB_ERR : static_cast<LResult>(md.items[i].text.size());
        }
        case LB_GETITEMDATA: {
            const int i = static_cast<int>(w);
            return i < 0 || i >= n ? LB_ERR : md.items[i].data;
        }
        case LB_SETITEMDATA: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n) return LB_ERR;
            md.items[i].data = l;
            return 1;
        }
        case LB_GETCURSEL:
            if (md.multiple) return md.current;
            return md.current >= 0 && md.current < n && md.items[md.current].selected ? md.current : LB_ERR;
        case LB_SETCURSEL: {
            if (md.multiple) return LB_ERR;
            const int i = static_cast<int>(static_cast<std::intptr_t>(w));
            md.Select(i >= 0 && i < n ? i : -1);
            EnsureVisible(h, *s, md.current);
            Changed(h);
            return i >= 0 && i < n ? i : LB_ERR;
        }
        case LB_GETSEL: {
            const int i = static_cast<int>(w);
            return i < 0 || i >= n ? LB_ERR : (md.items[i].selected ? 1 : 0);
        }
        case LB_SETSEL: {
            if (!md.multiple) return LB_ERR;
            const int i = static_cast<int>(static_cast<std::intptr_t>(l));
            if (i == -1) {
                for (auto& it : md.items)
                    it.selected = w != 0;
            } else if (i >= 0 && i < n) {
                md.items[i].selected = w != 0;
            } else {
                return LB_ERR;
            }
            Changed(h);
            return 0;
        }
        case LB_GETSELCOUNT:
            return md.multiple ? md.SelectedCount() : LB_ERR;
        case LB_GETSELITEMS: {
            if (!md.multiple || l == 0) return LB_ERR;
            auto* out = reinterpret_cast<int*>(l);
            int k = 0;
            for (int i = 0; i < n && k < static_cast<int>(w); ++i)
                if (md.items[i].selected) out[k++] = i;
            return k;
        }
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT:
            return md.Find(static_cast<int>(static_cast<std::intptr_t>(w)), text(l), m == LB_FINDSTRINGEXACT);
        case LB_SELECTSTRING: {
            const int i = md.Find(static_cast<int>(static_cast<std::intptr_t>(w)), text(l), false);
            if (i < 0) return LB_ERR;
            if (!md.multiple) md.Select(i);
            EnsureVisible(h, *s, i);
            Changed(h);
            return i;
        }
        case LB_GETTOPINDEX:
            return md.top;
        case LB_SETTOPINDEX:
            md.top = std::clamp(static_cast<int>(w), 0, std::max(0, n - 1));
            Changed(h);
            return 0;
        case LB_GETCARETINDEX:
            return md.current;
        case LB_SETCARETINDEX:
            md.current = std::clamp(static_cast<int>(w), -1, n - 1);
            EnsureVisible(h, *s, md.current);
            Changed(h);
            return 0;
        case LB_GETITEMHEIGHT:
            return RowHeight(h, *s);
        case LB_SETITEMHEIGHT:
            s->rowHeight = std::max(1, static_cast<int>(LOWORD(static_cast<std::uintptr_t>(l))));
            FitWholeRows(h, *s);
            Changed(h);
            return 0;
        case LB_GETITEMRECT: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return LB_ERR;
            const RECT c = RowArea(h, *s);
            const int y = c.top + (i - md.top) * RowHeight(h, *s);
            *reinterpret_cast<RECT*>(l) = RECT{c.left, y, c.right, y + RowHeight(h, *s)};
            return 1;
        }
        case LB_SETTABSTOPS: {
            s->tabs.clear();
            const auto* stops = reinterpret_cast<const int*>(l);
            HWND dialog = GetParent(h);
            const int cx = GetDialogBaseUnits(dialog).cx;
            for (unsigned i = 0; i < w && stops != nullptr; ++i)
                s->tabs.push_back(stops[i] * cx / 4);
            Changed(h);
            return 1;
        }
        case WM_SETFOCUS:
            s->focused = true;
            Changed(h);
            if (StyleOf(h) & LBS_NOTIFY) NotifyCommand(h, LBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            s->focused = false;
            Changed(h);
            if (StyleOf(h) & LBS_NOTIFY) NotifyCommand(h, LBN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!s->combo) SetFocus(h);
            const int i = RowAt(h, *s, GET_Y_LPARAM(l));
            if (i < 0) return 0;
            if (StyleOf(h) & LBS_MULTIPLESEL) {
                md.items[i].selected = !md.items[i].selected;
                md.current = i;
                Changed(h);
                SelChanged(h, *s);
            } else if ((StyleOf(h) & LBS_EXTENDEDSEL) && ControlDown()) {
                md.items[i].selected = !md.items[i].selected;
                md.current = md.anchor = i;
                Changed(h);
                SelChanged(h, *s);
            } else {
                UserMove(h, *s, i);
            }
            if (m == WM_LBUTTONDBLCLK) {
                if (s->combo) return 0;
                if (StyleOf(h) & LBS_NOTIFY) NotifyCommand(h, LBN_DBLCLK);
                return 0;
            }
            s->tracking = true;
            SetCapture(h);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s->combo && !s->tracking) {
                // The drop-down follows the pointer as it hovers.
                const int i = RowAt(h, *s, GET_Y_LPARAM(l));
                if (i >= 0 && i != md.current) {
                    md.Select(i);
                    Changed(h);
                }
                return 0;
            }
            if (s->tracking && !(StyleOf(h) & LBS_MULTIPLESEL)) {
                const int i = RowAt(h, *s, std::max(0, GET_Y_LPARAM(l)));
                if (i >= 0 && i != md.current) UserMove(h, *s, i);
            }
            return 0;
        case WM_LBUTTONUP:
            if (s->tracking) {
                s->tracking = false;
                ReleaseCapture();
            }
            if (s->combo) ComboDropDownEvent(s->combo, 1, md.current);
            return 0;
        case WM_MOUSEWHEEL: {
            const int delta = static_cast<std::int16_t>(HIWORD(w));
            const int rows = delta / 120 * 3;
            md.top = std::clamp(md.top - rows, 0, std::max(0, n - VisibleRows(h, *s)));
            Changed(h);
            return 0;
        }
        case WM_KEYDOWN: {
            if (n == 0) return 0;
            const int page = VisibleRows(h, *s);
            const int cur = std::max(md.current, 0);
            switch (w) {
                case VK_UP: UserMove(h, *s, md.current < 0 ? 0 : cur - 1); return 0;
                case VK_DOWN: UserMove(h, *s, md.current < 0 ? 0 : cur + 1); return 0;
                case VK_PRIOR: UserMove(h, *s, cur - page + 1); return 0;
                case VK_NEXT: UserMove(h, *s, cur + page - 1); return 0;
                case VK_HOME: UserMove(h, *s, 0); return 0;
                case VK_END: UserMove(h, *s, n - 1); return 0;
                case VK_SPACE:
                    if ((StyleOf(h) & LBS_MULTIPLESEL) && md.current >= 0) {
                        md.items[md.current].selected = !md.items[md.current].selected;
                        Changed(h);
                        SelChanged(h, *s);
                    }
                    return 0;
                default:
                    break;
            }
            break;
        }
        case WM_CHAR: {
            const unsigned ch = static_cast<unsigned>(w);
            if (ch <= 0x20 || n == 0 || (OwnerDraw(h) && !(StyleOf(h) & LBS_HASSTRINGS))) return 0;
            // Type-ahead: letters typed within a second of each other make one prefix.
            const std::uint32_t now = timeGetTime();
            if (now - md.typedAt > 1000) md.typed.clear();
            md.typedAt = now;
            md.typed.push_back(static_cast<char>(ch));
            int i = md.Find(md.typed.size() == 1 ? md.current : md.current - 1, md.typed, false);
            if (i < 0 && md.typed.size() > 1) {
                md.typed = std::string(1, static_cast<char>(ch));
                i = md.Find(md.current, md.typed, false);
            }
            if (i >= 0) UserMove(h, *s, i);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace

LResult ListBoxProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    return ListProc(h, m, w, l);
}

LResult ComboLBoxProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_CREATE) {
        if (ListState* s = theLists.Get(h)) {
            auto* cs = reinterpret_cast<const CREATESTRUCT*>(l);
            s->combo = HWND{static_cast<std::uint32_t>(cs->createParams)};
        }
        return 0;
    }
    if (m == WM_MOUSEACTIVATE) return 3;  // MA_NOACTIVATE: the dialog stays active
    return ListProc(h, m, w, l);
}

namespace ctl {
// Access for the combo box: the drop-down's model.
ListModel* DropDownModel(HWND list) {
    ListState* s = theLists.Get(list);
    return s != nullptr ? &s->model : nullptr;
}
void SetDropDownRowHeight(HWND list, int height) {
    if (ListState* s = theLists.Get(list)) s->rowHeight = height;
}
}  // namespace ctl

}  // namespace win
