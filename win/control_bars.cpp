// The smaller common controls: "ToolbarWindow32" (an image strip, push and check buttons,
// tooltips asked with TTN_NEEDTEXT), "tooltips_class32" (a plain text pop-up), and minimal
// "SysTabControl32" and "SysTreeView32" (items, a current one, a click to change it).
#include <algorithm>

#include "win/compositor.h"
#include "win/control_internal.h"

namespace win {
namespace {

using namespace ctl;

// ---- Toolbar ----------------------------------------------------------------------------------

struct ToolbarState {
    std::vector<TBBUTTON> buttons;
    HBITMAP strip;
    int imageWidth = 16;
    int pressed = -1;
    int hot = -1;
    HWND tip;
};
StateTable<ToolbarState> theToolbars;

constexpr int kButtonPad = 7;

RECT ButtonRect(const ToolbarState& s, int index) {
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += s.buttons[i].fsStyle & TBSTYLE_SEP ? 8 : s.imageWidth + kButtonPad;
    const int w = s.buttons[index].fsStyle & TBSTYLE_SEP ? 8 : s.imageWidth + kButtonPad;
    return RECT{x, 2, x + w, 2 + s.imageWidth + kButtonPad};
}

int ButtonAt(const ToolbarState& s, POINT p) {
    for (int i = 0; i < static_cast<int>(s.buttons.size()); ++i) {
        const RECT r = ButtonRect(s, i);
        if (!(s.buttons[i].fsStyle & TBSTYLE_SEP) && p.x >= r.left && p.x < r.right &&
            p.y >= r.top && p.y < r.bottom)
            return i;
    }
    return -1;
}

int IndexOfCommand(const ToolbarState& s, int id) {
    for (int i = 0; i < static_cast<int>(s.buttons.size()); ++i)
        if (s.buttons[i].idCommand == id && !(s.buttons[i].fsStyle & TBSTYLE_SEP)) return i;
    return -1;
}

// A disabled button's image: its shape, key colour left out, in the face's shadow over a
// highlight one pixel down and right, the look of a command that does nothing now.
void DrawDisabledImage(HDC dc, int x, int y, HDC strip, int sx, int size) {
    const COLORREF key = RGB(255, 0, 255);
    const struct {
        int offset;
        COLORREF colour;
    } passes[] = {{1, GetSysColor(COLOR_BTNHIGHLIGHT)}, {0, GetSysColor(COLOR_BTNSHADOW)}};
    for (const auto& pass : passes)
        for (int j = 0; j < size; ++j)
            for (int i = 0; i < size; ++i)
                if (GetPixel(strip, sx + i, j) != key)
                    SetPixel(dc, x + i + pass.offset, y + j + pass.offset, pass.colour);
}

constexpr std::uintptr_t kTipTimer = 0x7017;

void ShowTip(HWND h, ToolbarState& s, int index) {
    if (!(StyleOf(h) & TBSTYLE_TOOLTIPS)) return;
    if (s.tip) {
        DestroyWindow(s.tip);
        s.tip = {};
    }
    if (index < 0) return;
    TOOLTIPTEXT tt;
    tt.hdr.hwndFrom = h;
    tt.hdr.idFrom = static_cast<std::uintptr_t>(s.buttons[index].idCommand);
    tt.hdr.code = TTN_NEEDTEXT;
    HWND parent = GetParent(h);
    if (parent) SendMessage(parent, WM_NOTIFY, tt.hdr.idFrom, reinterpret_cast<LParam>(&tt));
    if (tt.text.empty() || theToolbars.Get(h) == nullptr) return;
    RECT r = ButtonRect(s, index);
    constexpr int kTipHeight = 18;
    const int width = static_cast<int>(tt.text.size()) * 7 + 8;
    // Below the button, or above it when the picture ends first (a toolbar at its foot), and
    // always wholly within the picture.
    POINT below{r.left, r.bottom + 2}, above{r.left, r.top - 2 - kTipHeight};
    ClientToScreen(h, &below);
    ClientToScreen(h, &above);
    const RECT picture = PictureRect();
    POINT p = below.y + kTipHeight <= picture.bottom ? below : above;
    p.x = std::max(std::min(p.x, picture.right - width), picture.left);
    p.y = std::max(std::min(p.y, picture.bottom - kTipHeight), picture.top);
    s.tip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, tt.text, WS_POPUP | WS_BORDER, p.x, p.y,
                           width, kTipHeight, h, {}, {}, 0);
    if (s.tip) ShowWindow(s.tip, SW_SHOWNA);
    // The tip goes when the pointer leaves the toolbar (checked a few times a second).
    if (s.tip) SetTimer(h, kTipTimer, 200, nullptr);
}

// ---- Tab control and tree view ----------------------------------------------------------------

struct TabState {
    std::vector<TCITEM> items;
    int current = -1;
    HFONT font;
};
StateTable<TabState> theTabs;

struct TreeItem {
    std::uintptr_t handle = 0;
    std::uintptr_t parent = 0;
    std::string text;
    LParam param = 0;
};
struct TreeState {
    std::vector<TreeItem> items;  // in display order (children after their parent)
    std::uintptr_t selected = 0;
    std::uintptr_t next = 1;
    HFONT font;
};
StateTable<TreeState> theTrees;

constexpr int kTabWidth = 80;

}  // namespace

LResult ToolbarProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ToolbarState* s = theToolbars.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theToolbars.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            if (s != nullptr && IsWindow(s->tip)) DestroyWindow(s->tip);
            theToolbars.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    switch (m) {
        case TB_ADDBITMAP: {
            const auto* add = reinterpret_cast<const TBADDBITMAP*>(l);
            if (add == nullptr) return -1;
            s->strip = add->bitmap;
            s->imageWidth = std::max(1, add->imageWidth);
            return 0;
        }
        case TB_ADDBUTTONS: {
            const auto* b = reinterpret_cast<const TBBUTTON*>(l);
            for (unsigned i = 0; i < w && b != nullptr; ++i)
                s->buttons.push_back(b[i]);
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case TB_BUTTONCOUNT:
            return static_cast<LResult>(s->buttons.size());
        case TB_COMMANDTOINDEX:
            return IndexOfCommand(*s, static_cast<int>(w));
        case TB_CHECKBUTTON:
        case TB_ENABLEBUTTON: {
            const int i = IndexOfCommand(*s, static_cast<int>(w));
            if (i < 0) return 0;
            const std::uint8_t bit = m == TB_CHECKBUTTON ? TBSTATE_CHECKED : TBSTATE_ENABLED;
            s->buttons[i].fsState = static_cast<std::uint8_t>(
                l != 0 ? s->buttons[i].fsState | bit : s->buttons[i].fsState & ~bit);
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case TB_ISBUTTONCHECKED:
        case TB_ISBUTTONENABLED: {
            const int i = IndexOfCommand(*s, static_cast<int>(w));
            const std::uint8_t bit = m == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED : TBSTATE_ENABLED;
            return i >= 0 && (s->buttons[i].fsState & bit) ? 1 : 0;
        }
        case TB_GETITEMRECT: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= static_cast<int>(s->buttons.size()) || l == 0) return 0;
            *reinterpret_cast<RECT*>(l) = ButtonRect(*s, i);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = s->strip ? SelectObject(mem, AsGdiObject(s->strip)) : HGDIOBJ{};
            for (int i = 0; i < static_cast<int>(s->buttons.size()); ++i) {
                const TBBUTTON& b = s->buttons[i];
                if (b.fsStyle & TBSTYLE_SEP) continue;
                RECT r = ButtonRect(*s, i);
                const bool enabled = (b.fsState & TBSTATE_ENABLED) != 0;
                const bool down = i == s->pressed || (b.fsState & TBSTATE_CHECKED);
                if (down || (i == s->hot && enabled))
                    DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
                const int x = r.left + 3 + (down ? 1 : 0), y = r.top + 3 + (down ? 1 : 0);
                if (s->strip && enabled)
                    TransparentBlt(dc, x, y, s->imageWidth, s->imageWidth, mem,
                                   b.iBitmap * s->imageWidth, 0, s->imageWidth, s->imageWidth,
                                   RGB(255, 0, 255));
                else if (s->strip)
                    DrawDisabledImage(dc, x, y, mem, b.iBitmap * s->imageWidth, s->imageWidth);
            }
            if (s->strip) SelectObject(mem, old);
            DeleteDC(mem);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER: {
            if (w != kTipTimer) return 0;
            POINT p{};
            RECT r;
            GetCursorPos(&p);
            GetWindowRect(h, &r);
            if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return 0;
            KillTimer(h, kTipTimer);
            s->hot = -1;
            ShowTip(h, *s, -1);
            InvalidateRect(h, nullptr, true);
            return 0;
        }
        case WM_MOUSEMOVE: {
            const int i = ButtonAt(*s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            if (i != s->hot) {
                s->hot = i;
                InvalidateRect(h, nullptr, true);
                ShowTip(h, *s, i);
            }
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const int i = ButtonAt(*s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            if (i < 0 || !(s->buttons[i].fsState & TBSTATE_ENABLED)) return 0;
            s->pressed = i;
            SetCapture(h);
            InvalidateRect(h, nullptr, true);
            return 0;
        }
        case WM_LBUTTONUP: {
            const int was = s->pressed;
            s->pressed = -1;
            if (GetCapture() == h) ReleaseCapture();
            InvalidateRect(h, nullptr, true);
            if (was >= 0 && (s->buttons[was].fsState & TBSTATE_ENABLED) &&
                ButtonAt(*s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}) == was) {
                TBBUTTON& b = s->buttons[was];
                if (b.fsStyle & TBSTYLE_CHECK) b.fsState ^= TBSTATE_CHECKED;
                if (HWND parent = GetParent(h))
                    SendMessage(parent, WM_COMMAND,
                                MAKEWPARAM(static_cast<std::uint16_t>(b.idCommand), BN_CLICKED),
                                static_cast<LParam>(h.id));
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

LResult TooltipProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, GetSysColorBrush(COLOR_INFOBK));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            DrawText(dc, GetWindowText(h), &c,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_MOUSEACTIVATE:
            return 3;
        default:
            return DefWindowProc(h, m, w, l);
    }
}

LResult TabControlProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    TabState* s = theTabs.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theTabs.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theTabs.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const int n = static_cast<int>(s->items.size());
    const int rowHeight = LineHeight(s->font) + 6;
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            return 0;
        case TCM_INSERTITEM: {
            if (l == 0) return -1;
            const int at = std::clamp(static_cast<int>(w), 0, n);
            s->items.insert(s->items.begin() + at, *reinterpret_cast<const TCITEM*>(l));
            if (s->current < 0) s->current = 0;
            InvalidateRect(h, nullptr, true);
            return at;
        }
        case TCM_GETITEMCOUNT:
            return n;
        case TCM_GETITEM: {
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n || l == 0) return 0;
            *reinterpret_cast<TCITEM*>(l) = s->items[i];
            return 1;
        }
        case TCM_GETCURSEL:
            return s->current;
        case TCM_SETCURSEL:
        case TCM_SETCURFOCUS: {
            const int old = s->current;
            const int i = static_cast<int>(w);
            if (i < 0 || i >= n) return -1;
            if (i != old) {
                s->current = i;
                InvalidateRect(h, nullptr, true);
            }
            return old;
        }
        case TCM_ADJUSTRECT: {
            auto* r = reinterpret_cast<RECT*>(l);
            if (r != nullptr) r->top += w != 0 ? -rowHeight : rowHeight;
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
            HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s->font)));
            SetBkMode(dc, TRANSPARENT);
            const bool ownerDraw = (StyleOf(h) & TCS_OWNERDRAWFIXED) != 0;
            for (int i = 0; i < n; ++i) {
                RECT r{i * kTabWidth, 0, (i + 1) * kTabWidth, rowHeight};
                if (ownerDraw) {
                    DRAWITEMSTRUCT d;
                    d.CtlType = ODT_TAB;
                    d.CtlID = static_cast<unsigned>(IdOf(h));
                    d.itemID = static_cast<unsigned>(i);
                    d.itemAction = ODA_DRAWENTIRE;
                    d.itemState = i == s->current ? ODS_SELECTED : 0;
                    d.hwndItem = h;
                    d.hDC = dc;
                    d.rcItem = r;
                    SendMessage(GetParent(h), WM_DRAWITEM, d.CtlID, reinterpret_cast<LParam>(&d));
                    continue;
                }
                DrawEdge(dc, &r, i == s->current ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
                DrawText(dc, s->items[i].text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            }
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
            const int i = x / kTabWidth;
            if (y < rowHeight && i >= 0 && i < n && i != s->current) {
                s->current = i;
                InvalidateRect(h, nullptr, true);
                NMHDR nm;
                NotifyParent(h, nm, TCN_SELCHANGE);
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

LResult TreeViewProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    TreeState* s = theTrees.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theTrees.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theTrees.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const int rowHeight = LineHeight(s->font) + 2;
    auto depth = [&](const TreeItem& it) {
        int d = 0;
        for (std::uintptr_t p = it.parent; p != 0; ++d) {
            auto f = std::find_if(s->items.begin(), s->items.end(),
                                  [&](const TreeItem& t) { return t.handle == p; });
            p = f == s->items.end() ? 0 : f->parent;
        }
        return d;
    };
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            return 0;
        case TVM_INSERTITEM: {
            const auto* in = reinterpret_cast<const TVINSERTSTRUCT*>(l);
            if (in == nullptr) return 0;
            TreeItem it{s->next++, in->hParent, in->text, in->lParam};
            // After the parent's last descendant.
            auto pos = s->items.end();
            if (in->hParent != 0) {
                auto p = std::find_if(s->items.begin(), s->items.end(),
                                      [&](const TreeItem& t) { return t.handle == in->hParent; });
                if (p == s->items.end()) return 0;
                const int pd = depth(*p);
                pos = p + 1;
                while (pos != s->items.end() && depth(*pos) > pd)
                    ++pos;
            }
            s->items.insert(pos, it);
            InvalidateRect(h, nullptr, true);
            return static_cast<LResult>(it.handle);
        }
        case TVM_DELETEITEM:
            if (l == 0)
                s->items.clear();
            else
                s->items.erase(std::remove_if(s->items.begin(), s->items.end(),
                                              [&](const TreeItem& t) {
                                                  return t.handle ==
                                                             static_cast<std::uintptr_t>(l) ||
                                                         t.parent == static_cast<std::uintptr_t>(l);
                                              }),
                               s->items.end());
            InvalidateRect(h, nullptr, true);
            return 1;
        case TVM_GETCOUNT:
            return static_cast<LResult>(s->items.size());
        case TVM_SELECTITEM:
            s->selected = static_cast<std::uintptr_t>(l);
            InvalidateRect(h, nullptr, true);
            return 1;
        case TVM_GETNEXTITEM:
            if (w == TVGN_CARET) return static_cast<LResult>(s->selected);
            if (w == TVGN_ROOT)
                return s->items.empty() ? 0 : static_cast<LResult>(s->items.front().handle);
            return 0;
        case TVM_GETITEM: {
            auto* out = reinterpret_cast<TVITEM*>(l);
            if (out == nullptr) return 0;
            for (const TreeItem& t : s->items)
                if (t.handle == out->hItem) {
                    out->text = t.text;
                    out->lParam = t.param;
                    return 1;
                }
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, GetSysColorBrush(COLOR_WINDOW));
            HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s->font)));
            SetBkMode(dc, TRANSPARENT);
            int y = 0;
            for (const TreeItem& t : s->items) {
                RECT r{4 + 16 * depth(t), y, c.right, y + rowHeight};
                if (t.handle == s->selected) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
                SetTextColor(dc, GetSysColor(t.handle == s->selected ? COLOR_HIGHLIGHTTEXT
                                                                     : COLOR_WINDOWTEXT));
                DrawText(dc, t.text, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
                y += rowHeight;
            }
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            SetFocus(h);
            const int i = GET_Y_LPARAM(l) / rowHeight;
            if (i >= 0 && i < static_cast<int>(s->items.size()) &&
                s->items[i].handle != s->selected) {
                s->selected = s->items[i].handle;
                InvalidateRect(h, nullptr, true);
                NMHDR nm;
                NotifyParent(h, nm, TVN_SELCHANGED);
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
