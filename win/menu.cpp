#include "win/menu.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <unordered_map>

#include "win/compositor.h"
#include "win/gdi.h"
#include "win/input.h"
#include "win/window_surface.h"

namespace win {

namespace {

struct MenuItem {
    std::uint32_t flags = 0;  // MF_ values and MFT_RADIOCHECK
    std::uint32_t id = 0;
    HMENU submenu;
    std::string text;
    // The width of `text` on the bar, kept with the text it was measured for: the band's height
    // is asked for at every present, and measuring TrueType text each time cost a layout.
    mutable std::string measuredText;
    mutable int measuredWidth = -1;
};

struct MenuData {
    bool popup = false;
    std::vector<MenuItem> items;
    HWND window;  // the window whose bar this is
};

struct Menus {
    std::unordered_map<std::uint32_t, MenuData> menus;
    std::uint32_t nextId = 1;
    std::unordered_map<std::uint32_t, HWND> overlays;  // window -> its overlay band window
};

Menus& TheMenus() {
    static Menus menus;
    return menus;
}

MenuData* Find(HMENU menu) {
    auto it = TheMenus().menus.find(menu.id);
    return it != TheMenus().menus.end() ? &it->second : nullptr;
}

HMENU NewMenu(bool popup) {
    Menus& m = TheMenus();
    const std::uint32_t id = m.nextId++;
    m.menus[id].popup = popup;
    return HMENU{id};
}

// The item an id or position names, with the menu that holds it; commands are searched
// depth-first through submenus, as the original platform did.
MenuItem* Locate(HMENU menu, std::uint32_t item, std::uint32_t flags, HMENU* holder,
                 int depth = 0) {
    MenuData* data = Find(menu);
    if (!data || depth > 16) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= data->items.size()) return nullptr;
        if (holder) *holder = menu;
        return &data->items[item];
    }
    for (MenuItem& it : data->items) {
        if (!(it.flags & MF_POPUP) && !(it.flags & MF_SEPARATOR) && it.id == item) {
            if (holder) *holder = menu;
            return &it;
        }
    }
    for (MenuItem& it : data->items) {
        if (it.flags & MF_POPUP) {
            if (MenuItem* found = Locate(it.submenu, item, flags, holder, depth + 1)) return found;
        }
    }
    return nullptr;
}

std::string Shown(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') out.push_back('&'), ++i;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

// The character after a single '&', upper case; 0 when there is none.
char Mnemonic(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

// ---- Drawing ------------------------------------------------------------------------------------

HFONT MenuFont() {
    static HFONT font =
        CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                   VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    return font;
}

HFONT CaptionFont() {
    static HFONT font =
        CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                   VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    return font;
}

// A scratch DC for measuring, over a one-pixel target.
HDC MeasureDc() {
    static std::uint32_t pixel = 0;
    static HDC dc = [] {
        HDC d = CreatePixelDC(&pixel, 1, 1, 1);
        SelectObject(d, MenuFont());
        return d;
    }();
    return dc;
}

int TextWidth(std::string_view text) {
    SIZE size;
    GetTextExtentPoint32(MeasureDc(), Shown(text), &size);
    return size.cx;
}

int RowHeight() {
    return std::max(GetSystemMetrics(SM_CYMENU), 16);
}

constexpr int kBarPad = 7;  // pixels either side of a bar item's text
constexpr int kPopupBorder = 3;
constexpr int kCheckColumn = 18;
constexpr int kArrowColumn = 18;
constexpr int kSeparatorHeight = 8;

int BarItemWidth(const MenuItem& item) {
    if (item.flags & MF_SEPARATOR) return 2 * kBarPad;
    if (item.measuredWidth < 0 || item.measuredText != item.text) {
        item.measuredWidth = TextWidth(item.text);
        item.measuredText = item.text;
    }
    return item.measuredWidth + 2 * kBarPad;
}

// Lays bar items out left to right in rows of `width`, calling place(item index, rectangle
// relative to the band) for each.
template <class Place>
void ForEachBarItem(const MenuData& menu, int width, Place&& place) {
    int x = 0, y = 0;
    const int h = RowHeight();
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        const int w = BarItemWidth(item);
        if ((x > 0 && x + w > width) ||
            ((item.flags & (MF_MENUBREAK | MF_MENUBARBREAK)) && x > 0)) {
            x = 0;
            y += h;
        }
        place(i, RECT{x, y, x + w, y + h});
        x += w;
    }
}

std::vector<RECT> LayoutBar(const MenuData& menu, int width) {
    std::vector<RECT> rects;
    ForEachBarItem(menu, width, [&](std::size_t, const RECT& r) { rects.push_back(r); });
    return rects;
}

int BarRows(const MenuData& menu, int width) {
    int bottom = 0;
    ForEachBarItem(menu, width, [&](std::size_t, const RECT& r) { bottom = r.bottom; });
    return bottom == 0 ? 1 : bottom / RowHeight();
}

struct PopupLayout {
    int width = 0;
    int height = 0;
    std::vector<RECT> items;  // client coordinates
};

PopupLayout LayoutPopup(const MenuData& menu) {
    PopupLayout layout;
    int textWidth = 0, accelWidth = 0;
    for (const MenuItem& item : menu.items) {
        if (item.flags & MF_SEPARATOR) continue;
        const std::size_t tab = item.text.find('\t');
        textWidth = std::max(textWidth, TextWidth(item.text.substr(0, tab)));
        if (tab != std::string::npos)
            accelWidth = std::max(accelWidth, TextWidth(item.text.substr(tab + 1)));
    }
    const int inner = kCheckColumn + textWidth + (accelWidth ? accelWidth + 16 : 0) + kArrowColumn;
    layout.width = std::max(inner + 2 * kPopupBorder, 60);
    int y = kPopupBorder;
    for (const MenuItem& item : menu.items) {
        const int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : RowHeight();
        layout.items.push_back(RECT{kPopupBorder, y, layout.width - kPopupBorder, y + h});
        y += h;
    }
    layout.height = y + kPopupBorder;
    return layout;
}

// The state of the menu being tracked, which the painters consult for highlights.
struct Tracking;
Tracking* theTracking = nullptr;

void Fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// The raised 3-D edge of a popup or a pressed bar item.
void Edge(HDC dc, RECT r, bool raised) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, raised ? GetSysColor(COLOR_3DLIGHT) : shadow);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom},
         raised ? GetSysColor(COLOR_3DLIGHT) : shadow);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, raised ? dark : light);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, raised ? dark : light);
    if (raised) {
        Fill(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.top + 2}, light);
        Fill(dc, RECT{r.left + 1, r.top + 1, r.left + 2, r.bottom - 1}, light);
        Fill(dc, RECT{r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, shadow);
        Fill(dc, RECT{r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, shadow);
    }
}

void DrawItemText(HDC dc, std::string_view text, RECT r, std::uint32_t flags, bool selected,
                  std::uint32_t format) {
    SetBkMode(dc, TRANSPARENT);
    const bool grey = (flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (grey && !selected) {
        // Greyed text is etched: a white copy one pixel down and right under the grey one.
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT shadow{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
        DrawText(dc, text, &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else if (grey) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
    DrawText(dc, text, &r, format);
}

void DrawCheck(HDC dc, RECT r, bool radio, COLORREF colour) {
    const int cx = r.left + kCheckColumn / 2, cy = (r.top + r.bottom) / 2;
    if (radio) {
        Fill(dc, RECT{cx - 2, cy - 3, cx + 2, cy + 3}, colour);
        Fill(dc, RECT{cx - 3, cy - 2, cx + 3, cy + 2}, colour);
        return;
    }
    // A tick: down-right for three steps, then up-right for four, three pixels thick.
    for (int i = 0; i < 7; ++i) {
        const int x = cx - 3 + i;
        const int y = i < 3 ? cy - 1 + i : cy + 1 - (i - 2);
        Fill(dc, RECT{x, y, x + 1, y + 3}, colour);
    }
}

void DrawArrow(HDC dc, RECT r, COLORREF colour) {
    const int x = r.right - kArrowColumn / 2 - 2, cy = (r.top + r.bottom) / 2;
    for (int i = 0; i < 4; ++i)
        Fill(dc, RECT{x + i, cy - 3 + i, x + i + 1, cy + 4 - i}, colour);
}

void PaintPopup(HDC dc, const MenuData& menu, const PopupLayout& layout, int selected) {
    const RECT all{0, 0, layout.width, layout.height};
    Fill(dc, all, GetSysColor(COLOR_MENU));
    Edge(dc, all, true);
    SelectObject(dc, MenuFont());
    for (std::size_t i = 0; i < menu.items.size() && i < layout.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        const RECT r = layout.items[i];
        if (item.flags & MF_SEPARATOR) {
            const int y = (r.top + r.bottom) / 2 - 1;
            Fill(dc, RECT{r.left + 1, y, r.right - 1, y + 1}, GetSysColor(COLOR_BTNSHADOW));
            Fill(dc, RECT{r.left + 1, y + 1, r.right - 1, y + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
            continue;
        }
        const bool sel = static_cast<int>(i) == selected;
        if (sel) Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
        const COLORREF mark =
            GetSysColor(sel                                        ? COLOR_HIGHLIGHTTEXT
                        : (item.flags & (MF_GRAYED | MF_DISABLED)) ? COLOR_GRAYTEXT
                                                                   : COLOR_MENUTEXT);
        if (item.flags & MF_CHECKED) DrawCheck(dc, r, (item.flags & MFT_RADIOCHECK) != 0, mark);
        const std::size_t tab = item.text.find('\t');
        RECT textBox{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
        DrawItemText(dc, item.text.substr(0, tab), textBox, item.flags, sel,
                     DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (tab != std::string::npos)
            DrawItemText(dc, item.text.substr(tab + 1), textBox, item.flags, sel,
                         DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        if (item.flags & MF_POPUP) DrawArrow(dc, r, mark);
    }
}

}  // namespace

// ---- The tracking loop --------------------------------------------------------------------------

namespace {

const char kPopupClass[] = "#32768";
const char kOverlayClass[] = "ZephlonMenuOverlay";

struct Tracking {
    HWND owner;
    HMENU bar;         // null for a popup tracked alone
    RECT barScreen{};  // the band in screen coordinates
    HWND overlay;      // the overlay window showing the bar, when that is the band
    int barDrop = 0;   // how much lower than its place the band is shown (MenuBandDrop)
    int barSelected = -1;
    struct Level {
        HMENU menu;
        HWND window;
        RECT screen{};
        PopupLayout layout;
        int selected = -1;
    };
    std::vector<Level> levels;
    bool done = false;
    bool chosen = false;
    std::uint32_t chosenId = 0;
    bool buttonDownSeen = false;
    bool openedByMouse = false;  // a click on the bar opened it
};

void PaintBar(HDC dc, HMENU menu, RECT band, int selected) {
    Fill(dc, band, GetSysColor(COLOR_MENU));
    MenuData* data = Find(menu);
    if (!data) return;
    SelectObject(dc, MenuFont());
    const auto rects = LayoutBar(*data, band.right - band.left);
    for (std::size_t i = 0; i < data->items.size() && i < rects.size(); ++i) {
        const MenuItem& item = data->items[i];
        if (item.flags & MF_SEPARATOR) continue;
        RECT r{band.left + rects[i].left, band.top + rects[i].top, band.left + rects[i].right,
               band.top + rects[i].bottom};
        const bool sel = static_cast<int>(i) == selected;
        if (sel) Edge(dc, r, false);
        // A pressed item's text moves down and right by one pixel.
        const RECT text = sel ? RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1} : r;
        DrawItemText(dc, item.text, text, item.flags, false,
                     DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
}

void RefreshBar(Tracking& t) {
    if (t.overlay) {
        if (WindowSurface* s = GetWindowSurface(t.overlay)) {
            if (s->format == SurfaceFormat::Rgb32 && !s->pixels.empty()) {
                HDC dc = CreatePixelDC(s->pixels.data(), s->width, s->height, s->width);
                PaintBar(dc, t.bar, RECT{0, 0, s->width, s->height}, t.barSelected);
                DeleteDC(dc);
                MarkWindowSurfaceDrawn(t.overlay);
            }
        }
    }
    RequestPresent();
}

void RefreshLevel(Tracking::Level& level) {
    MenuData* data = Find(level.menu);
    if (!data) return;
    HDC dc = GetDC(level.window);
    if (!dc) return;
    PaintPopup(dc, *data, level.layout, level.selected);
    ReleaseDC(level.window, dc);
    RequestPresent();
}

LResult PopupProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            if (theTracking)
                for (auto& level : theTracking->levels)
                    if (level.window == hwnd) RefreshLevel(level);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_MOUSEACTIVATE:
            return 3;  // MA_NOACTIVATE: a menu never takes the activation
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void TrackBar(HWND owner, RECT barScreen, HWND overlay, int openIndex, bool keyboard, bool byMouse);

LResult OverlayProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            HWND owner = GetWindow(hwnd, GW_OWNER);
            RECT r;
            GetWindowRect(hwnd, &r);
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MenuData* data = Find(GetMenu(owner));
            if (!data) return 0;
            const auto rects = LayoutBar(*data, r.right - r.left);
            for (std::size_t i = 0; i < rects.size(); ++i) {
                const RECT& ir = rects[i];
                if (p.x >= ir.left && p.x < ir.right && p.y >= ir.top && p.y < ir.bottom)
                    TrackBar(owner, r, hwnd, static_cast<int>(i), false, true);
            }
            return 0;
        }
        case WM_MOUSEACTIVATE:
            return 3;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            if (ps.hdc) {
                RECT r;
                GetClientRect(hwnd, &r);
                PaintBar(
                    ps.hdc, GetMenu(GetWindow(hwnd, GW_OWNER)), r,
                    theTracking && theTracking->overlay == hwnd ? theTracking->barSelected : -1);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// Registered on first need, and again after the window system was reset (tests do that).
void RegisterClasses() {
    WNDCLASS existing;
    if (!GetClassInfo(HINSTANCE{}, kPopupClass, &existing)) {
        WNDCLASS popup;
        popup.wndProc = PopupProc;
        popup.className = kPopupClass;
        popup.background = HBRUSH{COLOR_MENU + 1};
        RegisterClass(popup);
    }
    if (!GetClassInfo(HINSTANCE{}, kOverlayClass, &existing)) {
        WNDCLASS overlay;
        overlay.wndProc = OverlayProc;
        overlay.className = kOverlayClass;
        overlay.background = HBRUSH{COLOR_MENU + 1};
        RegisterClass(overlay);
    }
}

void SendMenuSelect(Tracking& t, HMENU menu, int index) {
    MenuData* data = Find(menu);
    if (!data || index < 0 || static_cast<std::size_t>(index) >= data->items.size()) return;
    const MenuItem& item = data->items[static_cast<std::size_t>(index)];
    std::uint32_t flags = (item.flags & 0xFFFF) | MF_HILITE | MF_MOUSESELECT;
    const std::uint32_t low = (item.flags & MF_POPUP) ? static_cast<std::uint32_t>(index) : item.id;
    SendMessage(t.owner, WM_MENUSELECT,
                MAKEWPARAM(static_cast<std::uint16_t>(low), static_cast<std::uint16_t>(flags)),
                static_cast<LParam>(menu.id));
}

void CloseLevelsFrom(Tracking& t, std::size_t from) {
    while (t.levels.size() > from) {
        DestroyWindow(t.levels.back().window);
        t.levels.pop_back();
    }
    RequestPresent();
}

// Opens `menu` with its top-left at (x, y) on the screen (moved to stay on the picture); `index` is
// its position in the menu above.
void OpenPopup(Tracking& t, HMENU menu, int x, int y, int index, int altX) {
    MenuData* data = Find(menu);
    if (!data) return;
    // The owner may change the popup (checks, greying, even its items) before it is laid out.
    SendMessage(t.owner, WM_INITMENUPOPUP, static_cast<WParam>(menu.id),
                MAKELPARAM(static_cast<std::uint16_t>(index), 0));
    data = Find(menu);
    if (!data || !IsWindow(t.owner)) return;
    Tracking::Level level;
    level.menu = menu;
    level.layout = LayoutPopup(*data);
    // Kept within the picture, the part of the screen the user sees.
    const RECT view = PictureRect();
    if (x + level.layout.width > view.right) x = std::max(view.left, altX - level.layout.width);
    if (y + level.layout.height > view.bottom)
        y = std::max(view.top, static_cast<int>(view.bottom) - level.layout.height);
    level.screen = RECT{x, y, x + level.layout.width, y + level.layout.height};
    RegisterClasses();
    level.window =
        CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP, x, y,
                       level.layout.width, level.layout.height, t.owner, HMENU{}, HINSTANCE{}, 0);
    if (!level.window) return;
    SetWindowPos(level.window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    t.levels.push_back(level);
    RefreshLevel(t.levels.back());
}

RECT BarItemScreen(const Tracking& t, int index) {
    MenuData* data = Find(t.bar);
    if (!data) return RECT{};
    const auto rects = LayoutBar(*data, t.barScreen.right - t.barScreen.left);
    if (index < 0 || static_cast<std::size_t>(index) >= rects.size()) return RECT{};
    const RECT& r = rects[static_cast<std::size_t>(index)];
    return RECT{t.barScreen.left + r.left, t.barScreen.top + r.top, t.barScreen.left + r.right,
                t.barScreen.top + r.bottom};
}

void SelectBar(Tracking& t, int index, bool open) {
    MenuData* data = Find(t.bar);
    if (!data || index < 0 || static_cast<std::size_t>(index) >= data->items.size()) return;
    CloseLevelsFrom(t, 0);
    t.barSelected = index;
    RefreshBar(t);
    SendMenuSelect(t, t.bar, index);
    const MenuItem& item = data->items[static_cast<std::size_t>(index)];
    if (open && (item.flags & MF_POPUP) && !(item.flags & (MF_GRAYED | MF_DISABLED))) {
        // The popup opens under the band as it is shown; its items then take the clicks there.
        const RECT r = BarItemScreen(t, index);
        OpenPopup(t, item.submenu, r.left, r.bottom + t.barDrop, index, r.right);
    }
}

bool Selectable(const MenuItem& item) {
    return !(item.flags & MF_SEPARATOR);
}

void SelectInLevel(Tracking& t, std::size_t levelIndex, int item, bool openSubmenu) {
    if (levelIndex >= t.levels.size()) return;
    CloseLevelsFrom(t, levelIndex + 1);
    Tracking::Level& level = t.levels[levelIndex];
    if (level.selected != item) {
        level.selected = item;
        RefreshLevel(level);
        if (item >= 0) SendMenuSelect(t, level.menu, item);
    }
    MenuData* data = Find(level.menu);
    if (!openSubmenu || !data || item < 0 || static_cast<std::size_t>(item) >= data->items.size())
        return;
    const MenuItem& it = data->items[static_cast<std::size_t>(item)];
    if ((it.flags & MF_POPUP) && !(it.flags & (MF_GRAYED | MF_DISABLED))) {
        const RECT& r = level.layout.items[static_cast<std::size_t>(item)];
        OpenPopup(t, it.submenu, level.screen.left + r.right - 2,
                  level.screen.top + r.top - kPopupBorder, item, level.screen.left + 2);
    }
}

void Choose(Tracking& t, const MenuItem& item) {
    if (item.flags & (MF_GRAYED | MF_DISABLED | MF_POPUP | MF_SEPARATOR)) return;
    t.done = true;
    t.chosen = true;
    t.chosenId = item.id;
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Which level and item lie under a screen point: (level, item), level −1 for the bar.
bool HitTest(const Tracking& t, POINT p, int& level, int& item) {
    for (int l = static_cast<int>(t.levels.size()) - 1; l >= 0; --l) {
        const auto& lv = t.levels[static_cast<std::size_t>(l)];
        if (!Inside(lv.screen, p)) continue;
        level = l;
        item = -1;
        for (std::size_t i = 0; i < lv.layout.items.size(); ++i) {
            RECT r = lv.layout.items[i];
            r.left += lv.screen.left;
            r.right += lv.screen.left;
            r.top += lv.screen.top;
            r.bottom += lv.screen.top;
            if (Inside(r, p)) item = static_cast<int>(i);
        }
        return true;
    }
    if (t.bar && Inside(t.barScreen, p)) {
        level = -1;
        item = -1;
        MenuData* data = Find(t.bar);
        const std::size_t count = data ? data->items.size() : 0;
        for (std::size_t i = 0; i < count; ++i)
            if (Inside(BarItemScreen(t, static_cast<int>(i)), p)) item = static_cast<int>(i);
        return true;
    }
    return false;
}

void Mouse(Tracking& t, const MSG& m) {
    const bool down = m.message == WM_LBUTTONDOWN || m.message == WM_NCLBUTTONDOWN ||
                      m.message == WM_RBUTTONDOWN || m.message == WM_NCRBUTTONDOWN ||
                      m.message == WM_LBUTTONDBLCLK || m.message == WM_NCLBUTTONDBLCLK;
    const bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP ||
                    m.message == WM_RBUTTONUP || m.message == WM_NCRBUTTONUP;
    int level = 0, item = -1;
    const bool hit = HitTest(t, m.pt, level, item);
    if (!hit) {
        // A click outside every menu ends the menu and is eaten.
        if (down) t.done = true;
        return;
    }
    if (level < 0) {
        if (item < 0) return;
        if (down && item == t.barSelected && !t.levels.empty() && t.buttonDownSeen) {
            t.done = true;  // a second click on the open item closes the menu
            return;
        }
        if (down) t.buttonDownSeen = true;
        if (item != t.barSelected) SelectBar(t, item, true);
        return;
    }
    const auto l = static_cast<std::size_t>(level);
    if (!up) {
        SelectInLevel(t, l, item, true);
        return;
    }
    MenuData* data = Find(t.levels[l].menu);
    if (data && item >= 0 && static_cast<std::size_t>(item) < data->items.size())
        Choose(t, data->items[static_cast<std::size_t>(item)]);
}

int NextSelectable(const MenuData& data, int from, int step) {
    const int n = static_cast<int>(data.items.size());
    if (n == 0) return -1;
    int i = from;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (Selectable(data.items[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

void Key(Tracking& t, const MSG& m) {
    const auto vk = static_cast<unsigned>(m.wParam);
    if (m.message == WM_SYSKEYDOWN && (vk == VK_MENU || vk == VK_F10)) {
        t.done = true;
        return;
    }
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return;
    MenuData* barData = Find(t.bar);
    const int barCount = barData ? static_cast<int>(barData->items.size()) : 0;
    if (t.levels.empty()) {
        // Only the bar is highlighted.
        if (vk == VK_ESCAPE)
            t.done = true;
        else if (vk == VK_LEFT && barCount)
            SelectBar(t, (t.barSelected - 1 + barCount) % barCount, false);
        else if (vk == VK_RIGHT && barCount)
            SelectBar(t, (t.barSelected + 1) % barCount, false);
        else if ((vk == VK_DOWN || vk == VK_RETURN) && barCount)
            SelectBar(t, t.barSelected, true);
        else if (barData) {
            for (int i = 0; i < barCount; ++i)
                if (Mnemonic(barData->items[static_cast<std::size_t>(i)].text) ==
                    static_cast<char>(vk))
                    SelectBar(t, i, true);
        }
        return;
    }
    Tracking::Level& level = t.levels.back();
    MenuData* data = Find(level.menu);
    if (!data) return;
    switch (vk) {
        case VK_ESCAPE:
            if (t.levels.size() > 1 || !t.bar) {
                if (t.levels.size() == 1) t.done = true;
                CloseLevelsFrom(t, t.levels.size() - 1);
            } else if (t.openedByMouse) {
                // A menu the mouse opened closes whole: the program goes on at once, rather than
                // waiting with the bar selected for a second Escape.
                t.done = true;
                CloseLevelsFrom(t, 0);
            } else {
                CloseLevelsFrom(t, 0);  // back to the bar alone, to go on with the keys
            }
            return;
        case VK_UP:
        case VK_DOWN:
            SelectInLevel(
                t, t.levels.size() - 1,
                NextSelectable(*data, level.selected < 0 && vk == VK_DOWN ? -1 : level.selected,
                               vk == VK_DOWN ? 1 : -1),
                false);
            return;
        case VK_RIGHT:
            if (level.selected >= 0 &&
                (data->items[static_cast<std::size_t>(level.selected)].flags & MF_POPUP)) {
                SelectInLevel(t, t.levels.size() - 1, level.selected, true);
                if (t.levels.size() > 1) {
                    MenuData* sub = Find(t.levels.back().menu);
                    if (sub)
                        SelectInLevel(t, t.levels.size() - 1, NextSelectable(*sub, -1, 1), false);
                }
            } else if (barCount) {
                SelectBar(t, (t.barSelected + 1) % barCount, true);
            }
            return;
        case VK_LEFT:
            if (t.levels.size() > 1)
                CloseLevelsFrom(t, t.levels.size() - 1);
            else if (barCount)
                SelectBar(t, (t.barSelected - 1 + barCount) % barCount, true);
            return;
        case VK_RETURN:
            if (level.selected >= 0) {
                const MenuItem& item = data->items[static_cast<std::size_t>(level.selected)];
                if (item.flags & MF_POPUP)
                    SelectInLevel(t, t.levels.size() - 1, level.selected, true);
                else
                    Choose(t, item);
            }
            return;
        default:
            for (std::size_t i = 0; i < data->items.size(); ++i) {
                if (Mnemonic(data->items[i].text) != static_cast<char>(vk)) continue;
                const MenuItem& item = data->items[i];
                if (item.flags & MF_POPUP)
                    SelectInLevel(t, t.levels.size() - 1, static_cast<int>(i), true);
                else
                    Choose(t, item);
                return;
            }
    }
}

bool IsMouse(std::uint32_t message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

// Runs the menu until an item is chosen or the menu is left; returns the chosen id or 0.
std::uint32_t RunLoop(Tracking& t) {
    Tracking* outer = theTracking;
    theTracking = &t;
    while (!t.done) {
        MSG m;
        const int got = GetMessage(&m, HWND{}, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (!IsWindow(t.owner)) break;
        if (IsMouse(m.message)) {
            Mouse(t, m);
        } else if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) {
            Key(t, m);
        } else {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    CloseLevelsFrom(t, 0);
    t.barSelected = -1;
    if (t.bar) RefreshBar(t);
    theTracking = outer;
    if (IsWindow(t.owner)) {
        SendMessage(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessage(t.owner, WM_EXITMENULOOP, 0, 0);
    }
    return t.chosen ? t.chosenId : 0;
}

void TrackBar(HWND owner, RECT barScreen, HWND overlay, int openIndex, bool keyboard,
              bool byMouse) {
    if (theTracking) return;  // one menu at a time
    HMENU bar = GetMenu(owner);
    if (!Find(bar)) return;
    Tracking t;
    t.owner = owner;
    t.bar = bar;
    t.barScreen = barScreen;
    t.overlay = overlay;
    t.barDrop = overlay ? 0 : MenuBandDrop(owner);
    t.buttonDownSeen = !keyboard;
    t.openedByMouse = byMouse;
    SendMessage(owner, WM_ENTERMENULOOP, 0, 0);
    SendMessage(owner, WM_INITMENU, static_cast<WParam>(bar.id), 0);
    if (!IsWindow(owner)) return;
    SelectBar(t, openIndex, !keyboard);
    const std::uint32_t id = RunLoop(t);
    if (t.chosen && IsWindow(owner))
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), 0), 0);
}

// The band of a window's own menu bar, in screen coordinates.
RECT BandScreen(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    MenuData* data = Find(GetMenu(hwnd));
    const int width = client.right - client.left;
    const int rows = data ? BarRows(*data, width) : 1;
    return RECT{origin.x, origin.y - rows * RowHeight(), origin.x + width, origin.y};
}

int BandHeight(HWND hwnd) {
    MenuData* data = Find(GetMenu(hwnd));
    if (!data) return 0;
    RECT wr;
    GetWindowRect(hwnd, &wr);
    // The band spans the window less its frame; the frame is the same on both sides.
    RECT adjusted{0, 0, 0, 0};
    AdjustWindowRect(&adjusted, static_cast<std::uint32_t>(GetWindowLong(hwnd, GWL_STYLE)), false);
    const int width = (wr.right - wr.left) - (adjusted.right - adjusted.left);
    return BarRows(*data, std::max(width, 1)) * RowHeight();
}

void MenuPaintNonClient(HWND hwnd, const ComposeTarget& target, const RECT& wr, const RECT& band) {
    HDC dc = CreatePixelDC(target.pixels, target.width, target.height, target.pitch);
    if (!dc) return;
    const auto style = static_cast<std::uint32_t>(GetWindowLong(hwnd, GWL_STYLE));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, false);
    const int left = -frame.left, top = -frame.top, right = frame.right, bottom = frame.bottom;
    const int captionHeight =
        (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
    const int edge = top - captionHeight;  // the frame above the caption
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // The frame's four strips (never the client, which the compositor draws itself).
    const int clientTop = band.bottom > band.top ? band.bottom : wr.top + top;
    if (left > 0 || top > 0) {
        Fill(dc,
             RECT{wr.left, wr.top, wr.right,
                  clientTop - (band.bottom > band.top ? band.bottom - band.top : 0)},
             face);
        Fill(dc, RECT{wr.left, wr.top, wr.left + left, wr.bottom}, face);
        Fill(dc, RECT{wr.right - right, wr.top, wr.right, wr.bottom}, face);
        Fill(dc, RECT{wr.left, wr.bottom - bottom, wr.right, wr.bottom}, face);
        if (left > 1) Edge(dc, wr, true);
    }
    if (captionHeight > 0) {
        const bool active = GetActiveWindow() == hwnd || GetForegroundWindow() == hwnd;
        RECT caption{wr.left + left, wr.top + edge, wr.right - right,
                     wr.top + edge + captionHeight - 1};
        Fill(dc, caption, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SelectObject(dc, CaptionFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        RECT text = caption;
        text.left += 4;
        DrawText(dc, GetWindowText(hwnd), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (band.bottom > band.top) {
        const int selected = theTracking && theTracking->owner == hwnd && !theTracking->overlay
                                 ? theTracking->barSelected
                                 : -1;
        PaintBar(dc, GetMenu(hwnd), band, selected);
    }
    DeleteDC(dc);
}

}  // namespace

// ---- Menus --------------------------------------------------------------------------------------

HMENU CreateMenu() {
    return NewMenu(false);
}

HMENU CreatePopupMenu() {
    return NewMenu(true);
}

bool IsMenu(HMENU menu) {
    return Find(menu) != nullptr;
}

bool DestroyMenu(HMENU menu) {
    MenuData* data = Find(menu);
    if (!data) return false;
    std::vector<HMENU> subs;
    for (const MenuItem& item : data->items)
        if (item.flags & MF_POPUP) subs.push_back(item.submenu);
    if (data->window && IsWindow(data->window) && GetMenu(data->window) == menu)
        SetMenu(data->window, HMENU{});
    TheMenus().menus.erase(menu.id);
    for (HMENU sub : subs)
        DestroyMenu(sub);
    return true;
}

bool AppendMenu(HMENU menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                std::string_view text) {
    MenuData* data = Find(menu);
    if (!data) return false;
    MenuItem item;
    item.flags = flags & ~(MF_BYPOSITION | MF_END);
    item.text = std::string(text);
    if (flags & MF_POPUP) {
        item.submenu = HMENU{static_cast<std::uint32_t>(idOrSubmenu)};
        // A submenu is owned by one item; a missing one or the menu itself is refused.
        if (!Find(item.submenu) || item.submenu == menu) return false;
        Find(item.submenu)->popup = true;
        data = Find(menu);
    } else {
        item.id = static_cast<std::uint32_t>(idOrSubmenu);
    }
    data->items.push_back(std::move(item));
    if (data->window) RequestPresent();
    return true;
}

bool AppendMenu(HMENU menu, std::uint32_t flags, HMENU submenu, std::string_view text) {
    return AppendMenu(menu, flags | MF_POPUP, submenu.id, text);
}

bool RemoveMenu(HMENU menu, std::uint32_t position, std::uint32_t flags) {
    HMENU holder;
    MenuItem* item = Locate(menu, position, flags, &holder);
    if (!item) return false;
    MenuData* data = Find(holder);
    data->items.erase(data->items.begin() + (item - data->items.data()));
    return true;
}

namespace {

HMENU Build(const std::vector<MenuTemplateItem>& items, bool popup, int depth) {
    HMENU menu = NewMenu(popup);
    for (const MenuTemplateItem& t : items) {
        if ((t.flags & MF_POPUP) && depth < 16) {
            HMENU sub = Build(t.items, true, depth + 1);
            AppendMenu(menu, (t.flags & ~MF_POPUP) | MF_POPUP, sub.id, t.text);
        } else {
            AppendMenu(menu, t.flags & ~MF_POPUP, t.id, t.text);
        }
    }
    return menu;
}

}  // namespace

HMENU LoadMenuIndirect(const std::vector<MenuTemplateItem>& items) {
    return Build(items, false, 0);
}

HMENU LoadMenu(HINSTANCE library, std::string_view name) {
    const auto bytes = LoadResourceBytes(library, RT_MENU, name);
    if (!bytes) return HMENU{};
    const auto items = DecodeMenuTemplate(*bytes);
    if (!items) return HMENU{};
    return LoadMenuIndirect(*items);
}

HMENU LoadMenu(HINSTANCE library, std::uint32_t id) {
    return LoadMenu(library, "#" + std::to_string(id));
}

namespace {

void Changed(HMENU holder) {
    (void)holder;
    if (theTracking)
        for (auto& level : theTracking->levels)
            RefreshLevel(level);
    RequestPresent();
}

}  // namespace

std::uint32_t CheckMenuItem(HMENU menu, std::uint32_t item, std::uint32_t flags) {
    HMENU holder;
    MenuItem* it = Locate(menu, item, flags, &holder);
    if (!it) return kMenuError;
    const std::uint32_t previous = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~static_cast<std::uint32_t>(MF_CHECKED)) | (flags & MF_CHECKED);
    Changed(holder);
    return previous;
}

std::uint32_t EnableMenuItem(HMENU menu, std::uint32_t item, std::uint32_t flags) {
    HMENU holder;
    MenuItem* it = Locate(menu, item, flags, &holder);
    if (!it) return kMenuError;
    const std::uint32_t previous = it->flags & (MF_GRAYED | MF_DISABLED);
    it->flags = (it->flags & ~static_cast<std::uint32_t>(MF_GRAYED | MF_DISABLED)) |
                (flags & (MF_GRAYED | MF_DISABLED));
    Changed(holder);
    return previous;
}

bool CheckMenuRadioItem(HMENU menu, std::uint32_t first, std::uint32_t last, std::uint32_t check,
                        std::uint32_t flags) {
    HMENU holder;
    if (!Locate(menu, check, flags, &holder)) return false;
    MenuData* data = Find(holder);
    for (std::size_t i = 0; i < data->items.size(); ++i) {
        MenuItem& it = data->items[i];
        const std::uint32_t key = (flags & MF_BYPOSITION) ? static_cast<std::uint32_t>(i) : it.id;
        if ((it.flags & (MF_POPUP | MF_SEPARATOR)) && !(flags & MF_BYPOSITION)) continue;
        if (key < first || key > last) continue;
        if (key == check)
            it.flags |= MF_CHECKED | MFT_RADIOCHECK;
        else
            it.flags &= ~static_cast<std::uint32_t>(MF_CHECKED);
    }
    Changed(holder);
    return true;
}

std::uint32_t GetMenuState(HMENU menu, std::uint32_t item, std::uint32_t flags) {
    MenuItem* it = Locate(menu, item, flags, nullptr);
    if (!it) return kMenuError;
    std::uint32_t state = it->flags & 0xFFFF & ~MFT_RADIOCHECK;
    if (it->flags & MF_POPUP) {
        MenuData* sub = Find(it->submenu);
        const std::uint32_t count =
            sub ? static_cast<std::uint32_t>(std::min<std::size_t>(sub->items.size(), 255)) : 0;
        state = (state & 0xFF) | (count << 8);
    }
    return state;
}

int GetMenuItemCount(HMENU menu) {
    MenuData* data = Find(menu);
    return data ? static_cast<int>(data->items.size()) : -1;
}

std::uint32_t GetMenuItemID(HMENU menu, int position) {
    MenuData* data = Find(menu);
    if (!data || position < 0 || static_cast<std::size_t>(position) >= data->items.size())
        return kMenuError;
    const MenuItem& it = data->items[static_cast<std::size_t>(position)];
    return (it.flags & MF_POPUP) ? kMenuError : it.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
    MenuData* data = Find(menu);
    if (!data || position < 0 || static_cast<std::size_t>(position) >= data->items.size())
        return HMENU{};
    const MenuItem& it = data->items[static_cast<std::size_t>(position)];
    return (it.flags & MF_POPUP) ? it.submenu : HMENU{};
}

int GetMenuString(HMENU menu, std::uint32_t item, std::string* text, std::uint32_t flags) {
    MenuItem* it = Locate(menu, item, flags, nullptr);
    if (!it || !text) return 0;
    *text = it->text;
    return static_cast<int>(text->size());
}

HMENU GetMenu(HWND hwnd) {
    HMENU menu = GetWindowMenuHandle(hwnd);
    return Find(menu) ? menu : HMENU{};
}

bool SetMenu(HWND hwnd, HMENU menu) {
    if (!IsWindow(hwnd)) return false;
    if (menu && !Find(menu)) return false;
    if (MenuData* old = Find(GetWindowMenuHandle(hwnd)); old && old->window == hwnd)
        old->window = HWND{};
    if (MenuData* data = Find(menu)) data->window = hwnd;
    SetWindowMenuHandle(hwnd, menu);
    // The client shrinks or grows by the band.
    SetWindowPos(hwnd, HWND{}, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (IsMenuOverlayShown(hwnd)) ShowMenuOverlay(hwnd, true);
    RequestPresent();
    return true;
}

bool DrawMenuBar(HWND hwnd) {
    if (!IsWindow(hwnd)) return false;
    if (IsMenuOverlayShown(hwnd)) ShowMenuOverlay(hwnd, true);
    RequestPresent();
    return true;
}

bool ShowMenuOverlay(HWND hwnd, bool show) {
    if (!IsWindow(hwnd)) return false;
    auto& overlays = TheMenus().overlays;
    auto it = overlays.find(hwnd.id);
    if (!show) {
        if (it == overlays.end()) return true;
        if (IsMenuOverlayShown(hwnd)) DestroyWindow(it->second);
        overlays.erase(it);
        RequestPresent();
        return true;
    }
    MenuData* data = Find(GetMenu(hwnd));
    if (!data) return false;
    const POINT origin = OutputOrigin();
    const int width = 640;
    const int height = BarRows(*data, width) * RowHeight();
    HWND overlay = IsMenuOverlayShown(hwnd) ? it->second : HWND{};
    if (!overlay) {
        RegisterClasses();
        overlay = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOverlayClass, "", WS_POPUP,
                                 origin.x, origin.y, width, height, hwnd, HMENU{}, HINSTANCE{}, 0);
        if (!overlay) return false;
        overlays[hwnd.id] = overlay;
    } else {
        SetWindowPos(overlay, HWND_TOPMOST, origin.x, origin.y, width, height, SWP_NOACTIVATE);
    }
    SetWindowPos(overlay, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (WindowSurface* s = GetWindowSurface(overlay);
        s && s->format == SurfaceFormat::Rgb32 && !s->pixels.empty()) {
        HDC dc = CreatePixelDC(s->pixels.data(), s->width, s->height, s->width);
        PaintBar(dc, GetMenu(hwnd), RECT{0, 0, s->width, s->height}, -1);
        DeleteDC(dc);
        MarkWindowSurfaceDrawn(overlay);
    }
    RequestPresent();
    return true;
}

bool IsMenuOverlayShown(HWND hwnd) {
    auto& overlays = TheMenus().overlays;
    auto it = overlays.find(hwnd.id);
    return it != overlays.end() && IsWindow(it->second) &&
           GetClassName(it->second) == kOverlayClass && GetWindow(it->second, GW_OWNER) == hwnd;
}

std::uint32_t TrackPopupMenu(HMENU menu, std::uint32_t flags, int x, int y, HWND owner) {
    if (theTracking || !Find(menu) || !IsWindow(owner)) return 0;
    Tracking t;
    t.owner = owner;
    SendMessage(owner, WM_ENTERMENULOOP, 0, 1);
    SendMessage(owner, WM_INITMENU, static_cast<WParam>(menu.id), 0);
    OpenPopup(t, menu, x, y, 0, x);
    if (t.levels.empty()) {
        SendMessage(owner, WM_EXITMENULOOP, 0, 1);
        return 0;
    }
    const std::uint32_t id = RunLoop(t);
    if (!t.chosen) return 0;
    if (flags & TPM_RETURNCMD) return id;
    PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), 0), 0);
    return 1;
}

void InstallMenuSupport() {
    InstallWindowDcProvider();
    MenuBarHooks hooks;
    hooks.bandHeight = [](HWND hwnd) { return BandHeight(hwnd); };
    hooks.track = [](HWND hwnd, POINT screenPoint) {
        const RECT band = BandScreen(hwnd);
        Tracking probe;
        probe.bar = GetMenu(hwnd);
        probe.barScreen = band;
        int level = 0, item = -1;
        if (!HitTest(probe, screenPoint, level, item) || item < 0) return;
        TrackBar(hwnd, band, HWND{}, item, false, true);
    };
    hooks.keyMenu = [](HWND hwnd, unsigned key) {
        if (!GetMenu(hwnd)) return;
        int index = 0;
        if (key != 0) {
            MenuData* data = Find(GetMenu(hwnd));
            index = -1;
            for (std::size_t i = 0; data && i < data->items.size(); ++i)
                if (Mnemonic(data->items[i].text) ==
                    static_cast<char>(std::toupper(static_cast<int>(key & 0xFF))))
                    index = static_cast<int>(i);
            if (index < 0) return;
        }
        // Over a full-screen picture the bar is the overlay's, where the mouse finds it too.
        const HWND overlay = IsMenuOverlayShown(hwnd) ? TheMenus().overlays[hwnd.id] : HWND{};
        RECT band = BandScreen(hwnd);
        if (overlay) GetWindowRect(overlay, &band);
        TrackBar(hwnd, band, overlay, index, key == 0, false);
    };
    SetMenuBarHooks(hooks);
    SetNonClientPainter(MenuPaintNonClient);
}

}  // namespace win
