// Classes and windows: creation and destruction, geometry, z-order, activation, focus and
// capture. Every window's rectangle is kept in screen coordinates; a child moves with its
// parent.
#include <algorithm>
#include <cctype>

#include "win/compositor.h"
#include "win/dialog.h"
#include "win/window_internal.h"

namespace win {
namespace detail {

State& S() {
    static State theState;
    return theState;
}

WindowData* Find(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = S().windows.find(hwnd.id);
    return it == S().windows.end() ? nullptr : it->second.get();
}

HWND TopLevelOf(HWND hwnd) {
    WindowData* w = Find(hwnd);
    while (w != nullptr && (w->style & WS_CHILD) && w->parent)
        w = Find(w->parent);
    return w != nullptr ? w->handle : HWND{};
}

bool IsVisibleChain(HWND hwnd) {
    for (WindowData* w = Find(hwnd); w != nullptr; w = Find(w->parent))
        if (!(w->style & WS_VISIBLE)) return false;
    return Find(hwnd) != nullptr;
}

bool IsEnabledChain(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    for (;;) {
        if (w->style & WS_DISABLED) return false;
        if (!(w->style & WS_CHILD) || !w->parent) return true;
        w = Find(w->parent);
        if (w == nullptr) return true;
    }
}

Insets NonClientInsets(const WindowData& w) {
    Insets in;
    const std::uint32_t s = w.style;
    if (w.frameInsets) {
        // The window's procedure measures its own frame (a skinned frame).
        in.left = w.frameInsets->left;
        in.top = w.frameInsets->top;
        in.right = w.frameInsets->right;
        in.bottom = w.frameInsets->bottom;
        in.frame = in.left;
        if ((s & WS_CAPTION) == WS_CAPTION) in.caption = std::max(0, in.top - in.frame);
        if (!(s & WS_CHILD) && w.menu) in.band = -1;
        return in;
    }
    // Every captioned window gets the sizing-frame thickness, so the program's frame arithmetic
    // (which reads SM_CXFRAME) lands exactly on its 640×480 client.
    if ((s & WS_THICKFRAME) || (s & WS_CAPTION) == WS_CAPTION)
        in.frame = GetSystemMetrics(SM_CXFRAME);
    else if ((s & WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME))
        in.frame = GetSystemMetrics(SM_CXDLGFRAME);
    else if (s & WS_BORDER)
        in.frame = GetSystemMetrics(SM_CXBORDER);
    if ((s & WS_CAPTION) == WS_CAPTION) in.caption = GetSystemMetrics(SM_CYCAPTION);
    if (!(s & WS_CHILD) && w.menu) in.band = -1;  // filled below
    in.left = in.right = in.bottom = in.frame;
    in.top = in.frame + in.caption;
    return in;
}

RECT ClientRectScreen(const WindowData& w) {
    Insets in = NonClientInsets(w);
    int band = 0;
    if (in.band != 0) band = MenuBandHeight(w.handle);
    RECT r{w.rect.left + in.left, w.rect.top + in.top + band, w.rect.right - in.right,
           w.rect.bottom - in.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

std::uint32_t NowMs() {
    return platform::CurrentBackend().GetClock().Milliseconds();
}

namespace {

MenuBarHooks theMenuHooks;

std::string WindowManagerLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

void ResizeSurface(WindowData& w) {
    RECT c = ClientRectScreen(w);
    int width = c.right - c.left, height = c.bottom - c.top;
    WindowSurface& s = w.surface;
    if (s.width == width && s.height == height) return;
    s.width = width;
    s.height = height;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (s.format == SurfaceFormat::Indexed8) {
        s.indices.assign(n, 0);
        s.pixels.clear();
    } else {
        s.pixels.assign(n, 0);
        s.indices.clear();
    }
    ++s.contentSerial;
}

void OffsetTree(WindowData& w, int dx, int dy) {
    w.rect.left += dx;
    w.rect.right += dx;
    w.rect.top += dy;
    w.rect.bottom += dy;
    for (HWND c : w.children)
        if (WindowData* cw = Find(c)) OffsetTree(*cw, dx, dy);
}

void RemoveFrom(std::vector<HWND>& list, HWND h) {
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
}

// Places a top-level window at the top of its band (topmost windows stay above the others).
void RaiseTopLevel(HWND h, HWND after = HWND_TOP) {
    State& st = S();
    WindowData* w = Find(h);
    if (w == nullptr) return;
    RemoveFrom(st.topLevel, h);
    const bool topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
    auto pos = st.topLevel.begin();
    if (after == HWND_BOTTOM) {
        pos = st.topLevel.end();
    } else if (after && after != HWND_TOP && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
        auto it = std::find(st.topLevel.begin(), st.topLevel.end(), after);
        pos = it == st.topLevel.end() ? st.topLevel.begin() : it + 1;
    } else if (!topmost) {
        pos = std::find_if(st.topLevel.begin(), st.topLevel.end(), [](HWND o) {
            WindowData* ow = Find(o);
            return ow == nullptr || !(ow->exStyle & WS_EX_TOPMOST);
        });
    }
    st.topLevel.insert(pos, h);
    // An owned window always lies above its owner, whatever band the owner is in (a dialog
    // over a topmost full-screen window stays visible).
    for (bool moved = true; moved;) {
        moved = false;
        for (std::size_t i = 0; i < st.topLevel.size() && !moved; ++i) {
            WindowData* o = Find(st.topLevel[i]);
            if (o == nullptr || !o->owner) continue;
            auto ownerAt = std::find(st.topLevel.begin(), st.topLevel.begin() + static_cast<std::ptrdiff_t>(i), o->owner);
            if (ownerAt == st.topLevel.begin() + static_cast<std::ptrdiff_t>(i)) continue;
            const HWND owned = st.topLevel[i];
            st.topLevel.erase(st.topLevel.begin() + static_cast<std::ptrdiff_t>(i));
            st.topLevel.insert(ownerAt, owned);
            moved = true;
        }
    }
}

HWND NextToActivate(HWND leaving) {
    WindowData* w = Find(leaving);
    if (w != nullptr && w->owner) {
        WindowData* o = Find(w->owner);
        if (o != nullptr && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED) && !o->destroying)
            return o->handle;
    }
    for (HWND h : S().topLevel) {
        WindowData* c = Find(h);
        if (h == leaving || c == nullptr || c->destroying) continue;
        if ((c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) && !(c->style & WS_MINIMIZE))
            return h;
    }
    return {};
}

void SendSizeAndMove(WindowData& w) {
    HWND h = w.handle;
    RECT c = ClientRectScreen(w);
    POINT origin{c.left, c.top};
    if (WindowData* p = Find(w.parent)) {
        RECT pc = ClientRectScreen(*p);
        origin.x -= pc.left;
        origin.y -= pc.top;
    }
    WParam kind = (w.style & WS_MINIMIZE) ? 1 : (w.style & WS_MAXIMIZE) ? 2 : 0;
    SendMessage(h, WM_SIZE, kind,
                MAKELPARAM(static_cast<std::uint16_t>(c.right - c.left),
                           static_cast<std::uint16_t>(c.bottom - c.top)));
    if (Find(h) != nullptr)
        SendMessage(
            h, WM_MOVE, 0,
            MAKELPARAM(static_cast<std::uint16_t>(origin.x), static_cast<std::uint16_t>(origin.y)));
}

void DestroyTree(HWND h);

}  // namespace

int MenuBandHeight(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || !w->menu || (w->style & WS_CHILD)) return 0;
    if (theMenuHooks.bandHeight) return theMenuHooks.bandHeight(hwnd);
    return GetSystemMetrics(SM_CYMENU);
}

const MenuBarHooks& GetMenuBarHooks() {
    return theMenuHooks;
}

void SetAppActive(bool active) {
    State& st = S();
    if (st.appActive == active) return;
    st.appActive = active;
    std::vector<HWND> tops = st.topLevel;
    if (!active) {
        HWND old = st.active;
        if (old) {
            st.lastActive = old;
            st.active = {};
            SendMessage(old, WM_NCACTIVATE, 0, 0);
            if (Find(old) != nullptr) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, 0);
        }
        for (HWND h : tops)
            if (Find(h) != nullptr) SendMessage(h, WM_ACTIVATEAPP, 0, 0);
        if (HWND f = st.focus) {
            st.focus = {};
            if (Find(f) != nullptr) SendMessage(f, WM_KILLFOCUS, 0, 0);
        }
    } else {
        for (HWND h : tops)
            if (Find(h) != nullptr) SendMessage(h, WM_ACTIVATEAPP, 1, 0);
    }
}

void Activate(HWND hwnd, bool byClick) {
    State& st = S();
    HWND target = TopLevelOf(hwnd);
    WindowData* t = Find(target);
    if (t == nullptr || t->destroying) return;
    if (!st.appActive) SetAppActive(true);
    if (st.active == target) return;
    HWND old = st.active;
    if (old) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        if (Find(old) != nullptr)
            SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LParam>(target.id));
    }
    if (Find(target) == nullptr) return;
    RaiseTopLevel(target);
    st.active = target;
    st.lastActive = target;
    // The root owner remembers its last active popup (GetLastActivePopup).
    WindowData* root = t;
    while (root->owner && Find(root->owner) != nullptr)
        root = Find(root->owner);
    root->lastActivePopup = target;
    SendMessage(target, WM_NCACTIVATE, 1, 0);
    if (WindowData* tw = Find(target)) {
        const bool minimised = (tw->style & WS_MINIMIZE) != 0;
        SendMessage(target, WM_ACTIVATE,
                    MAKEWPARAM(static_cast<std::uint16_t>(byClick ? WA_CLICKACTIVE : WA_ACTIVE),
                               minimised ? 1 : 0),
                    static_cast<LParam>(old.id));
    }
}

namespace {

void DestroyTree(HWND h) {
    State& st = S();
    WindowData* w = Find(h);
    if (w == nullptr || w->destroying) return;
    w->destroying = true;
    // Owned windows go first, as their owner's destruction takes them along.
    std::vector<HWND> owned;
    for (auto& [id, other] : st.windows)
        if (other->owner == h && !other->destroying) owned.push_back(other->handle);
    for (HWND o : owned)
        DestroyTree(o);

    if (st.active == h) {
        HWND next = NextToActivate(h);
        SendMessage(h, WM_NCACTIVATE, 0, 0);
        SendMessage(h, WM_ACTIVATE, WA_INACTIVE, static_cast<LParam>(next.id));
        st.active = {};
        if (next) Activate(next, false);
    }
    if (st.lastActive == h) st.lastActive = {};
    if (st.capture == h) st.capture = {};
    if (st.focus == h || IsChild(h, st.focus)) st.focus = {};

    SendMessage(h, WM_DESTROY, 0, 0);
    if ((w = Find(h)) == nullptr) return;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids)
        DestroyTree(c);
    SendMessage(h, WM_NCDESTROY, 0, 0);

    st.timers.erase(std::remove_if(st.timers.begin(), st.timers.end(),
                                   [h](const Timer& t) { return t.hwnd == h; }),
                    st.timers.end());
    if ((w = Find(h)) == nullptr) return;
    if (WindowData* p = Find(w->parent)) RemoveFrom(p->children, h);
    RemoveFrom(st.topLevel, h);
    for (auto& [id, other] : st.windows)
        if (other->lastActivePopup == h) other->lastActivePopup = {};
    st.windows.erase(h.id);
    RequestPresent();
}

}  // namespace
void ResetWindowSystem() {
    State& st = S();
    while (!st.topLevel.empty()) {
        HWND h = st.topLevel.front();
        DestroyTree(h);
        RemoveFrom(st.topLevel, h);
    }
    st.windows.clear();
    st.classes.clear();
    st.queue.clear();
    st.timers.clear();
    st.quitPosted = false;
    st.active = st.lastActive = st.focus = st.capture = HWND{};
    st.appActive = false;
    st.modal.clear();
    st.cbtHooks.clear();
    st.contextHelpMode = false;
    st.screenWidth = platform::kFrameWidth;
    st.screenHeight = platform::kFrameHeight;
    st.screenSizeSet = false;
    st.cursorPos = POINT{};
    ResetKeys();
    ResetCursors();
    SetDisplayWindow({});
    // The menu code installs its hooks again when it starts.
    SetMenuBarHooks({});
    SetNonClientPainter(nullptr);
}

}  // namespace detail

using namespace detail;

// ---- Classes --------------------------------------------------------------------------------

std::uint16_t RegisterClass(const WNDCLASS& wc) {
    if (wc.className.empty() || wc.wndProc == nullptr) return 0;
    State& st = S();
    std::string key = WindowManagerLower(wc.className);
    if (st.classes.count(key) != 0) return 0;
    ClassData c{wc, st.nextAtom++};
    st.classes.emplace(key, std::move(c));
    return st.classes[key].atom;
}

bool UnregisterClass(std::string_view className, HINSTANCE) {
    State& st = S();
    std::string key = WindowManagerLower(className);
    for (auto& [id, w] : st.windows)
        if (WindowManagerLower(w->className) == key) return false;
    return st.classes.erase(key) != 0;
}

bool GetClassInfo(HINSTANCE, std::string_view className, WNDCLASS* out) {
    auto it = S().classes.find(WindowManagerLower(className));
    if (it == S().classes.end()) return false;
    if (out != nullptr) *out = it->second.wc;
    return true;
}

std::string GetClassName(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr ? w->className : std::string();
}

// ---- Creation and destruction ---------------------------------------------------------------

HWND CreateWindowEx(std::uint32_t exStyle, std::string_view className, std::string_view name,
                    std::uint32_t style, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, HWND parent, HMENU menu, HINSTANCE instance,
                    LParam param) {
    State& st = S();
    auto cls = st.classes.find(WindowManagerLower(className));
    // The standard controls exist from the start, as the system's own classes do.
    if (cls == st.classes.end() && RegisterSystemClasses())
        cls = st.classes.find(WindowManagerLower(className));
    if (cls == st.classes.end()) return {};
    const bool child = (style & WS_CHILD) != 0;
    if (child && Find(parent) == nullptr) return {};
    if (!child && !(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;

    auto data = std::make_unique<WindowData>();
    WindowData& w = *data;
    w.handle = HWND{st.nextWindowId++};
    w.className = cls->second.wc.className;
    w.classStyle = cls->second.wc.style;
    w.classCursor = cls->second.wc.cursor;
    w.proc = cls->second.wc.wndProc;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.text = std::string(name);
    w.instance = instance;
    if (child) {
        w.parent = parent;
        w.id = static_cast<int>(menu.id);
    } else {
        w.owner = TopLevelOf(parent);
        w.menu = menu;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = platform::kFrameWidth;
        height = platform::kFrameHeight;
    }
    int ox = 0, oy = 0;
    if (child) {
        RECT pc = ClientRectScreen(*Find(parent));
        ox = pc.left;
        oy = pc.top;
    }
    w.rect = RECT{x + ox, y + oy, x + ox + std::max(0, width), y + oy + std::max(0, height)};
    const HWND h = w.handle;
    st.windows.emplace(h.id, std::move(data));
    if (child)
        Find(parent)->children.push_back(h);
    else
        RaiseTopLevel(h);
    ResizeSurface(*Find(h));

    CREATESTRUCT cs;
    cs.createParams = param;
    cs.instance = instance;
    cs.menu = menu;
    cs.parent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.style = style;
    cs.name = std::string(name);
    cs.className = std::string(className);
    cs.exStyle = exStyle;
    if (RunCreateHooks(h, &cs)) {
        if (Find(h) != nullptr) DestroyTree(h);
        return {};
    }
    if (Find(h) == nullptr) return {};
    if (SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LParam>(&cs)) == 0 && Find(h) != nullptr) {
        DestroyTree(h);
        return {};
    }
    if (Find(h) == nullptr) return {};
    if (SendMessage(h, WM_CREATE, 0, reinterpret_cast<LParam>(&cs)) == -1) {
        DestroyTree(h);
        return {};
    }
    WindowData* made = Find(h);
    if (made == nullptr) return {};
    SendSizeAndMove(*made);
    if ((style & WS_VISIBLE) && Find(h) != nullptr) ShowWindow(h, SW_SHOW);
    return Find(h) != nullptr ? h : HWND{};
}

bool DestroyWindow(HWND hwnd) {
    if (Find(hwnd) == nullptr) return false;
    DestroyTree(hwnd);
    return true;
}

void SetWindowFrameInsets(HWND hwnd, const RECT* insets) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return;
    const RECT before = ClientRectScreen(*w);
    if (insets != nullptr) w->frameInsets = *insets;
    else w->frameInsets.reset();
    const RECT after = ClientRectScreen(*w);
    // The children keep their places in the client area.
    const int dx = after.left - before.left, dy = after.top - before.top;
    if (dx != 0 || dy != 0)
        for (HWND c : w->children)
            if (WindowData* cw = Find(c)) OffsetTree(*cw, dx, dy);
    ResizeSurface(*w);
    InvalidateRect(hwnd, nullptr, true);
    RequestPresent();
}

bool IsWindow(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr || hwnd.id == kRemoteWindowId;
}
bool IsWindowVisible(HWND hwnd) {
    return IsVisibleChain(hwnd);
}
bool IsWindowEnabled(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr && !(w->style & WS_DISABLED);
}
bool IsIconic(HWND hwnd) {
    if (hwnd.id == kRemoteWindowId) return RemoteRequest("iconic");
    WindowData* w = Find(hwnd);
    return w != nullptr && (w->style & WS_MINIMIZE);
}
bool IsZoomed(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr && (w->style & WS_MAXIMIZE);
}
bool IsChild(HWND parent, HWND hwnd) {
    WindowData* w = Find(hwnd);
    while (w != nullptr && (w->style & WS_CHILD)) {
        if (w->parent == parent) return true;
        w = Find(w->parent);
    }
    return false;
}

// ---- Showing and placing --------------------------------------------------------------------

bool ShowWindow(HWND hwnd, int command) {
    if (hwnd.id == kRemoteWindowId) return RemoteRequest("restore");
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    const bool top = !(w->style & WS_CHILD);
    auto setVisible = [&](bool on) {
        if (on == ((w->style & WS_VISIBLE) != 0)) return;
        SendMessage(hwnd, WM_SHOWWINDOW, on ? 1 : 0, 0);
        if ((w = Find(hwnd)) == nullptr) return;
        if (on) {
            w->style |= WS_VISIBLE;
            InvalidateRect(hwnd, nullptr, true);
        } else {
            w->style &= ~WS_VISIBLE;
        }
        RequestPresent();
    };
    switch (command) {
        case SW_HIDE:
            setVisible(false);
            if (w != nullptr && top && S().active == hwnd) {
                HWND next = NextToActivate(hwnd);
                if (next)
                    Activate(next, false);
                else
                    S().active = {};
            }
            if (w != nullptr && (S().focus == hwnd || IsChild(hwnd, S().focus))) SetFocus({});
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE: {
            const bool was = (w->style & WS_MINIMIZE) != 0;
            w->style |= WS_MINIMIZE;
            w->style &= ~WS_MAXIMIZE;
            setVisible(true);
            if (w == nullptr) break;
            if (!was) SendSizeAndMove(*w);
            if (top && S().active == hwnd && command == SW_MINIMIZE) {
                HWND next = NextToActivate(hwnd);
                if (next) {
                    Activate(next, false);
                } else {
                    // Nothing else to activate: the window stays active but minimised, as the
                    // last window of an application does; it hears that it lost the focus.
                    SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
                    if (S().focus) {
                        HWND f = S().focus;
                        S().focus = {};
                        SendMessage(f, WM_KILLFOCUS, 0, 0);
                    }
                    S().active = {};
                    S().lastActive = hwnd;
                }
            } else if (top && command == SW_SHOWMINIMIZED) {
                Activate(hwnd, false);
            }
            break;
        }
        case SW_MAXIMIZE: {
            w->style &= ~WS_MINIMIZE;
            w->style |= WS_MAXIMIZE;
            Insets in = NonClientInsets(*w);
            int band = MenuBandHeight(hwnd);
            // The display window fills the screen; any other window fills the picture, the part
            // of the screen that is shown.
            RECT area{0, 0, S().screenWidth, S().screenHeight};
            if (hwnd != GetDisplayWindow()) area = PictureRect();
            SetWindowPos(hwnd, {}, area.left - in.left, area.top - (in.top + band),
                         area.right - area.left + in.left + in.right,
                         area.bottom - area.top + in.top + band + in.bottom,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if ((w = Find(hwnd)) == nullptr) break;
            setVisible(true);
            if (w != nullptr && top) Activate(hwnd, false);
            break;
        }
        default: {
            const bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                                  command != SW_SHOWMINNOACTIVE;
            const bool restore =
                command == SW_RESTORE || command == SW_SHOWNORMAL || command == SW_SHOWNOACTIVATE;
            bool resized = false;
            if (restore && (w->style & (WS_MINIMIZE | WS_MAXIMIZE))) {
                w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
                resized = true;
            }
            setVisible(true);
            if ((w = Find(hwnd)) == nullptr) break;
            if (resized) SendSizeAndMove(*w);
            if (Find(hwnd) != nullptr && top && activate) Activate(hwnd, false);
            break;
        }
    }
    return wasVisible;
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, std::uint32_t flags) {
    if (hwnd.id == kRemoteWindowId) return RemoteRequest("front");
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    WINDOWPOS pos;
    pos.hwnd = hwnd;
    pos.insertAfter = insertAfter;
    // Positions are given in the parent's client coordinates for a child.
    int ox = 0, oy = 0;
    if (WindowData* p = Find(w->parent)) {
        RECT pc = ClientRectScreen(*p);
        ox = pc.left;
        oy = pc.top;
    }
    pos.x = (flags & SWP_NOMOVE) ? w->rect.left - ox : x;
    pos.y = (flags & SWP_NOMOVE) ? w->rect.top - oy : y;
    pos.cx = (flags & SWP_NOSIZE) ? w->rect.right - w->rect.left : width;
    pos.cy = (flags & SWP_NOSIZE) ? w->rect.bottom - w->rect.top : height;
    pos.flags = flags;
    SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LParam>(&pos));
    if ((w = Find(hwnd)) == nullptr) return false;
    const RECT old = w->rect;
    const RECT oldClient = ClientRectScreen(*w);
    const int nx = pos.x + ox, ny = pos.y + oy;
    OffsetTree(*w, nx - old.left, ny - old.top);
    w->rect.right = w->rect.left + std::max(0, pos.cx);
    w->rect.bottom = w->rect.top + std::max(0, pos.cy);
    if (!(flags & SWP_NOZORDER) && !(w->style & WS_CHILD)) {
        if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        RaiseTopLevel(hwnd, insertAfter);
    }
    ResizeSurface(*w);
    const RECT newClient = ClientRectScreen(*w);
    const bool moved = old.left != w->rect.left || old.top != w->rect.top;
    const bool sized = (oldClient.right - oldClient.left) != (newClient.right - newClient.left) ||
                       (oldClient.bottom - oldClient.top) != (newClient.bottom - newClient.top);
    if (sized && !(flags & SWP_NOREDRAW)) InvalidateRect(hwnd, nullptr, true);
    SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LParam>(&pos));
    if ((w = Find(hwnd)) != nullptr && (moved || sized)) SendSizeAndMove(*w);
    if (moved && Find(hwnd) != nullptr) FollowDisplayWindow(hwnd);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    RequestPresent();
    return true;
}

bool MoveWindow(HWND hwnd, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                bool repaint) {
    return SetWindowPos(hwnd, {}, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool BringWindowToTop(HWND hwnd) {
    if (hwnd.id == kRemoteWindowId) return RemoteRequest("front");
    HWND top = TopLevelOf(hwnd);
    if (!top) return false;
    RaiseTopLevel(top);
    RequestPresent();
    return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || rect == nullptr) return false;
    *rect = w->rect;
    return true;
}

bool GetClientRect(HWND hwnd, RECT* rect) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || rect == nullptr) return false;
    RECT c = ClientRectScreen(*w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || point == nullptr) return false;
    RECT c = ClientRectScreen(*w);
    point->x += c.left;
    point->y += c.top;
    return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || point == nullptr) return false;
    RECT c = ClientRectScreen(*w);
    point->x -= c.left;
    point->y -= c.top;
    return true;
}

bool AdjustWindowRectEx(RECT* rect, std::uint32_t style, bool menu, std::uint32_t exStyle) {
    if (rect == nullptr) return false;
    WindowData probe;
    probe.style = style;
    if (!(style & (WS_CHILD | WS_POPUP))) probe.style |= WS_CAPTION;
    probe.exStyle = exStyle;
    Insets in = NonClientInsets(probe);
    rect->left -= in.left;
    rect->right += in.right;
    rect->top -= in.top + (menu && !(style & WS_CHILD) ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->bottom += in.bottom;
    return true;
}

bool AdjustWindowRect(RECT* rect, std::uint32_t style, bool menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

// ---- Window words ---------------------------------------------------------------------------

std::intptr_t GetWindowLong(HWND hwnd, int index) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    switch (index) {
        case GWL_WNDPROC:
            return reinterpret_cast<std::intptr_t>(w->proc);
        case GWL_HINSTANCE:
            return w->instance.id;
        case GWL_HWNDPARENT:
            return (w->style & WS_CHILD) ? w->parent.id : w->owner.id;
        case GWL_ID:
            return w->id;
        case GWL_STYLE:
            return static_cast<std::intptr_t>(w->style);
        case GWL_EXSTYLE:
            return static_cast<std::intptr_t>(w->exStyle);
        case GWL_USERDATA:
            return w->userData;
        default: {
            if (index < 0) return 0;
            auto it = w->extra.find(index);
            return it == w->extra.end() ? 0 : it->second;
        }
    }
}

std::intptr_t SetWindowLong(HWND hwnd, int index, std::intptr_t value) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    std::intptr_t old = GetWindowLong(hwnd, index);
    switch (index) {
        case GWL_WNDPROC:
            if (value != 0) w->proc = reinterpret_cast<WNDPROC>(value);
            break;
        case GWL_ID:
            w->id = static_cast<int>(value);
            break;
        case GWL_STYLE: {
            const std::uint32_t keep = w->style & (WS_VISIBLE | WS_CHILD);
            w->style = (static_cast<std::uint32_t>(value) & ~(WS_VISIBLE | WS_CHILD)) | keep;
            RequestPresent();
            break;
        }
        case GWL_EXSTYLE:
            w->exStyle = static_cast<std::uint32_t>(value);
            break;
        case GWL_USERDATA:
            w->userData = value;
            break;
        case GWL_HWNDPARENT:
            if (!(w->style & WS_CHILD)) w->owner = HWND{static_cast<std::uint32_t>(value)};
            break;
        default:
            if (index >= 0) w->extra[index] = value;
            break;
    }
    return old;
}

LResult CallWindowProc(WNDPROC proc, HWND hwnd, std::uint32_t message, WParam wParam,
                       LParam lParam) {
    if (proc == nullptr) return 0;
    return proc(hwnd, message, wParam, lParam);
}

bool SetWindowText(HWND hwnd, std::string_view text) {
    if (Find(hwnd) == nullptr) return false;
    std::string copy(text);
    SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LParam>(copy.c_str()));
    return true;
}

std::string GetWindowText(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr ? w->text : std::string();
}

// ---- Relations ------------------------------------------------------------------------------

HWND FindWindow(std::string_view className, std::string_view title) {
    const std::string cls = WindowManagerLower(className);
    for (HWND h : S().topLevel) {
        WindowData* w = Find(h);
        if (w == nullptr || w->destroying) continue;
        if (!cls.empty() && WindowManagerLower(w->className) != cls) continue;
        if (!title.empty() && w->text != title) continue;
        return h;
    }
    // A first copy of the program may own it (single instance).
    std::string ask = "find ";
    ask += cls;
    if (RemoteRequest(ask)) return HWND{kRemoteWindowId};
    return {};
}

HWND GetParent(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return {};
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, unsigned command) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return {};
    if (command == GW_OWNER) return (w->style & WS_CHILD) ? HWND{} : w->owner;
    if (command == GW_CHILD) return w->children.empty() ? HWND{} : w->children.front();
    const std::vector<HWND>* list = &S().topLevel;
    if (WindowData* p = Find(w->parent); p != nullptr && (w->style & WS_CHILD)) list = &p->children;
    if (list->empty()) return {};
    auto it = std::find(list->begin(), list->end(), hwnd);
    switch (command) {
        case GW_HWNDFIRST:
            return list->front();
        case GW_HWNDLAST:
            return list->back();
        case GW_HWNDNEXT:
            return (it == list->end() || it + 1 == list->end()) ? HWND{} : *(it + 1);
        case GW_HWNDPREV:
            return (it == list->begin() || it == list->end()) ? HWND{} : *(it - 1);
        default:
            return {};
    }
}

HWND GetDesktopWindow() {
    return HWND{0xFFFFFFF0u};
}

HWND GetDlgItem(HWND dialog, int id) {
    WindowData* w = Find(dialog);
    if (w == nullptr) return {};
    for (HWND c : w->children)
        if (WindowData* cw = Find(c); cw != nullptr && cw->id == id) return c;
    return {};
}

int GetDlgCtrlID(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr ? w->id : 0;
}

HWND GetLastActivePopup(HWND hwnd) {
    if (hwnd.id == kRemoteWindowId) return hwnd;
    WindowData* w = Find(hwnd);
    if (w == nullptr) return {};
    WindowData* p = Find(w->lastActivePopup);
    if (p != nullptr && !p->destroying && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED))
        return p->handle;
    return hwnd;
}

bool SetForegroundWindow(HWND hwnd) {
    if (hwnd.id == kRemoteWindowId) return RemoteRequest("front");
    if (Find(hwnd) == nullptr) return false;
    Activate(hwnd, false);
    platform::CurrentBackend().GetVideo().Raise();
    return true;
}

HWND GetForegroundWindow() {
    return S().active;
}

HWND SetActiveWindow(HWND hwnd) {
    HWND old = S().active;
    if (Find(hwnd) != nullptr) Activate(hwnd, false);
    return old;
}

HWND GetActiveWindow() {
    return S().active;
}

bool EnableWindow(HWND hwnd, bool enable) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (!enable && (S().focus == hwnd || IsChild(hwnd, S().focus))) SetFocus({});
    if (!enable && S().capture == hwnd) ReleaseCapture();
    SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

HWND SetFocus(HWND hwnd) {
    State& st = S();
    HWND old = st.focus;
    if (hwnd) {
        WindowData* w = Find(hwnd);
        if (w == nullptr) return {};
        // A window disabled, or lying in one that is (a dialog under its message box), cannot
        // take the focus, as it could not keep it (EnableWindow takes it away).
        if (!IsEnabledChain(hwnd)) return {};
        HWND top = TopLevelOf(hwnd);
        if (st.active != top) Activate(top, false);
        old = st.focus;
        if (old == hwnd) return old;
    }
    st.focus = hwnd;
    if (old && Find(old) != nullptr) SendMessage(old, WM_KILLFOCUS, hwnd.id, 0);
    if (hwnd && st.focus == hwnd && Find(hwnd) != nullptr)
        SendMessage(hwnd, WM_SETFOCUS, old.id, 0);
    return old;
}

HWND GetFocus() {
    return S().focus;
}

HWND SetCapture(HWND hwnd) {
    State& st = S();
    HWND old = st.capture;
    if (Find(hwnd) == nullptr) return old;
    st.capture = hwnd;
    if (old && old != hwnd && Find(old) != nullptr)
        SendMessage(old, WM_CAPTURECHANGED, 0, static_cast<LParam>(hwnd.id));
    return old;
}

bool ReleaseCapture() {
    State& st = S();
    HWND old = st.capture;
    st.capture = {};
    if (old && Find(old) != nullptr) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() {
    return S().capture;
}

HWND WindowFromPoint(POINT p) {
    auto inside = [](const RECT& r, POINT q) {
        return q.x >= r.left && q.x < r.right && q.y >= r.top && q.y < r.bottom;
    };
    for (HWND h : S().topLevel) {
        WindowData* w = Find(h);
        if (w == nullptr || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) continue;
        if (!inside(w->rect, p)) continue;
        HWND found = h;
        for (bool deeper = true; deeper;) {
            deeper = false;
            WindowData* cur = Find(found);
            for (HWND c : cur->children) {
                WindowData* cw = Find(c);
                if (cw != nullptr && (cw->style & WS_VISIBLE) && inside(cw->rect, p)) {
                    // Labels and group boxes let the pointer through to what lies beneath.
                    if (SendMessage(c, WM_NCHITTEST, 0,
                                    MAKELPARAM(static_cast<std::uint16_t>(p.x),
                                               static_cast<std::uint16_t>(p.y))) == HTTRANSPARENT)
                        continue;
                    found = c;
                    deeper = true;
                    break;
                }
            }
        }
        return found;
    }
    return {};
}

// ---- Surfaces -------------------------------------------------------------------------------

void ClearWindowSurfaceTransparent(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || w->surface.format != SurfaceFormat::Rgb32) return;
    std::fill(w->surface.pixels.begin(), w->surface.pixels.end(), kTransparentPixel);
    ++w->surface.contentSerial;
}

WindowSurface* GetWindowSurface(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr ? &w->surface : nullptr;
}

bool SetWindowSurfaceFormat(HWND hwnd, SurfaceFormat format) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    if (w->surface.format == format) return true;
    w->surface.format = format;
    w->surface.pictureIndexed = false;
    w->surface.width = w->surface.height = -1;
    ResizeSurface(*w);
    RequestPresent();
    return true;
}

bool SetWindowSurfacePalette(HWND hwnd, const std::array<std::uint32_t, 256>& palette) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    if (w->surface.palette != palette) {
        w->surface.palette = palette;
        ++w->surface.paletteSerial;
    }
    return true;
}

void MarkWindowSurfaceDrawn(HWND hwnd) {
    if (WindowData* w = Find(hwnd)) ++w->surface.contentSerial;
}

// ---- Metrics and hooks ----------------------------------------------------------------------

int GetSystemMetrics(int index) {
    State& st = S();
    if (!st.screenSizeSet) {
        platform::ScreenSize s = platform::CurrentBackend().GetVideo().GetScreenSize();
        if (s.width > 0 && s.height > 0) {
            st.screenWidth = s.width;
            st.screenHeight = s.height;
        }
    }
    switch (index) {
        case SM_CXSCREEN:
            return st.screenWidth;
        case SM_CYSCREEN:
            return st.screenHeight;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return 16;
        case SM_CYCAPTION:
            return 19;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CYMENU:
            return 19;
        case SM_CXFULLSCREEN:
            return st.screenWidth;
        case SM_CYFULLSCREEN:
            return st.screenHeight - 19;
        case SM_MOUSEPRESENT:
            return 1;
        case SM_CXMIN:
            return 112;
        case SM_CYMIN:
            return 27;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        case SM_CMOUSEBUTTONS:
            return 3;
        case SM_CXMAXIMIZED:
            return st.screenWidth + 8;
        case SM_CYMAXIMIZED:
            return st.screenHeight + 8;
        default:
            return 0;
    }
}

void SetVirtualScreenSize(int width, int height) {
    State& st = S();
    st.screenWidth = width;
    st.screenHeight = height;
    st.screenSizeSet = true;
}

void SetMenuBarHooks(MenuBarHooks hooks) {
    theMenuHooks = std::move(hooks);
}

void SetWindowMenuHandle(HWND hwnd, HMENU menu) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || (w->style & WS_CHILD)) return;
    w->menu = menu;
    ResizeSurface(*w);
    RequestPresent();
}

HMENU GetWindowMenuHandle(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w != nullptr ? w->menu : HMENU{};
}

}  // namespace win
