// The smaller services around windows that dialogs and controls lean on: the CBT hook, window
// properties and atoms, class words, point mapping, the caret, the system menu and the
// device-arrival broadcast.
#include <algorithm>
#include <cctype>
#include <map>

#include "win/dialog.h"
#include "win/file_api.h"
#include "win/menu.h"
#include "win/window_internal.h"

namespace win {
namespace {

using detail::Find;
using detail::S;

std::string WindowExtrasLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

struct AtomEntry {
    std::string name;
    int count = 0;
};
std::map<std::uint16_t, AtomEntry>& Atoms() {
    static std::map<std::uint16_t, AtomEntry> atoms;
    return atoms;
}

struct Caret {
    HWND owner;
    RECT rect;
    int hideCount = 1;  // a new caret is hidden until ShowCaret
};
Caret theCaret;

std::map<std::uint32_t, HMENU>& SystemMenus() {
    static std::map<std::uint32_t, HMENU> menus;
    return menus;
}

std::vector<std::string>& WatchedPaths() {
    static std::vector<std::string> paths;
    return paths;
}

// A property name: "#n" names the atom n (so names and atoms reach the same slot).
std::string PropKey(std::string_view name) {
    if (!name.empty() && name[0] == '#') {
        unsigned n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return WindowExtrasLower(name);
            n = n * 10 + static_cast<unsigned>(c - '0');
            if (n > 0xFFFF) return WindowExtrasLower(name);
        }
        auto it = Atoms().find(static_cast<std::uint16_t>(n));
        if (it != Atoms().end()) return WindowExtrasLower(it->second.name);
    }
    return WindowExtrasLower(name);
}

void InvalidateCaret() {
    if (Find(theCaret.owner) != nullptr) InvalidateRect(theCaret.owner, &theCaret.rect, false);
}

}  // namespace

namespace detail {

bool RunCreateHooks(HWND hwnd, CREATESTRUCT* cs) {
    // The hooks may unhook themselves while they run: walk a copy.
    std::vector<State::Hook> hooks = S().cbtHooks;
    if (hooks.empty()) return false;
    CBT_CREATEWND info{cs, HWND_TOP};
    // Only the first hook is called; it passes the call on with CallNextHookEx.
    return hooks.front().proc(HCBT_CREATEWND, hwnd.id, reinterpret_cast<LParam>(&info)) != 0;
}

}  // namespace detail

std::uint16_t GetClassAtom(HWND hwnd) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    if (w->className == WC_DIALOG) return kDialogClassAtom;
    auto it = S().classes.find(WindowExtrasLower(w->className));
    return it == S().classes.end() ? 0 : it->second.atom;
}

// ---- Hooks ------------------------------------------------------------------------------------

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE, std::uint32_t) {
    if (idHook != WH_CBT || proc == nullptr) return {};
    detail::State& st = S();
    const std::uint32_t id = st.nextHookId++;
    st.cbtHooks.insert(st.cbtHooks.begin(), detail::State::Hook{id, proc});
    return HHOOK{id};
}

bool UnhookWindowsHookEx(HHOOK hook) {
    auto& hooks = S().cbtHooks;
    auto it = std::find_if(hooks.begin(), hooks.end(),
                           [&](const detail::State::Hook& h) { return h.id == hook.id; });
    if (it == hooks.end()) return false;
    hooks.erase(it);
    return true;
}

LResult CallNextHookEx(HHOOK hook, int code, WParam wParam, LParam lParam) {
    const auto& hooks = S().cbtHooks;
    auto it = std::find_if(hooks.begin(), hooks.end(),
                           [&](const detail::State::Hook& h) { return h.id == hook.id; });
    if (it == hooks.end() || ++it == hooks.end()) return 0;
    return it->proc(code, wParam, lParam);
}

std::uint32_t GetCurrentThreadId() {
    return 1;  // the program has one thread
}

// ---- Class words ------------------------------------------------------------------------------

std::intptr_t SetClassLong(HWND hwnd, int index, std::intptr_t value) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    auto it = S().classes.find(WindowExtrasLower(w->className));
    if (it == S().classes.end()) return 0;
    WNDCLASS& wc = it->second.wc;
    switch (index) {
        case GCL_WNDPROC: {
            const auto old = reinterpret_cast<std::intptr_t>(wc.wndProc);
            if (value != 0) wc.wndProc = reinterpret_cast<WNDPROC>(value);
            return old;
        }
        case GCL_HCURSOR: {
            const auto old = static_cast<std::intptr_t>(wc.cursor.id);
            wc.cursor = HCURSOR{static_cast<std::uint32_t>(value)};
            for (auto& [id, other] : S().windows)
                if (WindowExtrasLower(other->className) == it->first)
                    other->classCursor = wc.cursor;
            return old;
        }
        case GCL_STYLE: {
            const auto old = static_cast<std::intptr_t>(wc.style);
            wc.style = static_cast<std::uint32_t>(value);
            return old;
        }
        default:
            return 0;
    }
}

std::intptr_t GetClassLong(HWND hwnd, int index) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    auto it = S().classes.find(WindowExtrasLower(w->className));
    if (it == S().classes.end()) return 0;
    const WNDCLASS& wc = it->second.wc;
    switch (index) {
        case GCL_WNDPROC:
            return reinterpret_cast<std::intptr_t>(wc.wndProc);
        case GCL_HCURSOR:
            return static_cast<std::intptr_t>(wc.cursor.id);
        case GCL_STYLE:
            return static_cast<std::intptr_t>(wc.style);
        default:
            return 0;
    }
}

// ---- Properties and atoms ---------------------------------------------------------------------

bool SetProp(HWND hwnd, std::string_view name, std::intptr_t value) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr || name.empty()) return false;
    w->props[PropKey(name)] = value;
    return true;
}

std::intptr_t GetProp(HWND hwnd, std::string_view name) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    auto it = w->props.find(PropKey(name));
    return it == w->props.end() ? 0 : it->second;
}

std::intptr_t RemoveProp(HWND hwnd, std::string_view name) {
    detail::WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    auto it = w->props.find(PropKey(name));
    if (it == w->props.end()) return 0;
    const std::intptr_t v = it->second;
    w->props.erase(it);
    return v;
}

std::uint16_t GlobalFindAtom(std::string_view name) {
    const std::string key = WindowExtrasLower(name);
    for (const auto& [atom, e] : Atoms())
        if (WindowExtrasLower(e.name) == key) return atom;
    return 0;
}

std::uint16_t GlobalAddAtom(std::string_view name) {
    if (name.empty() || name.size() > 255) return 0;
    if (std::uint16_t a = GlobalFindAtom(name)) {
        ++Atoms()[a].count;
        return a;
    }
    std::uint16_t a = 0xC000;
    while (Atoms().count(a) != 0 && a != 0xFFFF)
        ++a;
    if (Atoms().count(a) != 0) return 0;
    Atoms()[a] = AtomEntry{std::string(name), 1};
    return a;
}

std::uint16_t GlobalDeleteAtom(std::uint16_t atom) {
    auto it = Atoms().find(atom);
    if (it == Atoms().end()) return atom;  // as the system: the atom back means failure
    if (--it->second.count <= 0) Atoms().erase(it);
    return 0;
}

std::string GlobalGetAtomName(std::uint16_t atom) {
    auto it = Atoms().find(atom);
    return it == Atoms().end() ? std::string() : it->second.name;
}

// ---- Coordinates ------------------------------------------------------------------------------

int MapWindowPoints(HWND from, HWND to, POINT* points, unsigned count) {
    POINT o1{0, 0}, o2{0, 0};
    if (from) ClientToScreen(from, &o1);
    if (to) ClientToScreen(to, &o2);
    const int dx = o1.x - o2.x, dy = o1.y - o2.y;
    for (unsigned i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MAKELONG(static_cast<std::uint16_t>(dx), static_cast<std::uint16_t>(dy)));
}

int MapWindowPoints(HWND from, HWND to, RECT* rect) {
    POINT p[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    const int r = MapWindowPoints(from, to, p, 2);
    *rect = RECT{p[0].x, p[0].y, p[1].x, p[1].y};
    return r;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
    detail::WindowData* w = Find(parent);
    if (w == nullptr) return {};
    POINT sp = clientPoint;
    ClientToScreen(parent, &sp);
    for (HWND c : w->children) {
        detail::WindowData* cw = Find(c);
        if (cw == nullptr || !(cw->style & WS_VISIBLE)) continue;
        if (sp.x >= cw->rect.left && sp.x < cw->rect.right && sp.y >= cw->rect.top &&
            sp.y < cw->rect.bottom)
            return c;
    }
    return parent;
}

// ---- Caret ------------------------------------------------------------------------------------

bool CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    if (Find(hwnd) == nullptr) return false;
    DestroyCaret();
    theCaret.owner = hwnd;
    theCaret.rect = RECT{0, 0, std::max(1, width), std::max(1, height)};
    theCaret.hideCount = 1;
    return true;
}

bool DestroyCaret() {
    if (!theCaret.owner) return false;
    if (theCaret.hideCount == 0) InvalidateCaret();
    theCaret = Caret{};
    return true;
}

bool SetCaretPos(int x, int y) {
    if (!theCaret.owner) return false;
    // The owner sets the place again as it paints: no change, nothing to repaint.
    if (theCaret.rect.left == x && theCaret.rect.top == y) return true;
    if (theCaret.hideCount == 0) InvalidateCaret();
    const int w = theCaret.rect.right - theCaret.rect.left,
              h = theCaret.rect.bottom - theCaret.rect.top;
    theCaret.rect = RECT{x, y, x + w, y + h};
    if (theCaret.hideCount == 0) InvalidateCaret();
    return true;
}

bool GetCaretPos(POINT* point) {
    if (!theCaret.owner || point == nullptr) return false;
    *point = POINT{theCaret.rect.left, theCaret.rect.top};
    return true;
}

bool ShowCaret(HWND hwnd) {
    if (!theCaret.owner || (hwnd && hwnd != theCaret.owner)) return false;
    if (theCaret.hideCount > 0 && --theCaret.hideCount == 0) InvalidateCaret();
    return true;
}

bool HideCaret(HWND hwnd) {
    if (!theCaret.owner || (hwnd && hwnd != theCaret.owner)) return false;
    if (theCaret.hideCount++ == 0) InvalidateCaret();
    return true;
}

CaretState GetCaretState() {
    if (Find(theCaret.owner) == nullptr) return {};
    return CaretState{theCaret.owner, theCaret.rect, theCaret.hideCount == 0};
}

bool IsContextHelpMode() {
    return S().contextHelpMode;
}

// ---- System menu ------------------------------------------------------------------------------

HMENU GetSystemMenu(HWND hwnd, bool revert) {
    if (Find(hwnd) == nullptr) return {};
    auto& menus = SystemMenus();
    auto it = menus.find(hwnd.id);
    if (revert) {
        if (it != menus.end()) {
            DestroyMenu(it->second);
            menus.erase(it);
        }
        return {};
    }
    if (it != menus.end() && IsMenu(it->second)) return it->second;
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, SC_RESTORE, "&Restore");
    AppendMenu(m, MF_STRING, SC_MOVE, "&Move");
    AppendMenu(m, MF_STRING, SC_SIZE, "&Size");
    AppendMenu(m, MF_STRING, SC_MINIMIZE, "Mi&nimize");
    AppendMenu(m, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
    AppendMenu(m, MF_SEPARATOR, 0, "");
    AppendMenu(m, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    menus[hwnd.id] = m;
    return m;
}

// ---- Device broadcasts ------------------------------------------------------------------------

void BroadcastVolumeArrival() {
    DEV_BROADCAST_HDR header;
    header.dbch_devicetype = DBT_DEVTYP_VOLUME;
    const std::vector<HWND> tops = S().topLevel;
    for (HWND h : tops)
        if (Find(h) != nullptr)
            SendMessage(h, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LParam>(&header));
}

void WatchPathForArrival(std::string_view path) {
    WatchedPaths().emplace_back(path);
}

void StopWatchingPath(std::string_view path) {
    auto& paths = WatchedPaths();
    auto it = std::find(paths.begin(), paths.end(), std::string(path));
    if (it != paths.end()) paths.erase(it);
}

bool CheckWatchedPaths() {
    auto& paths = WatchedPaths();
    bool arrived = false;
    for (auto it = paths.begin(); it != paths.end();) {
        if (GetFileAttributes(*it) != INVALID_FILE_ATTRIBUTES) {
            it = paths.erase(it);
            arrived = true;
        } else {
            ++it;
        }
    }
    if (arrived) BroadcastVolumeArrival();
    return arrived;
}

}  // namespace win
