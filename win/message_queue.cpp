// The message queue: posting and sending, the platform's input turned into messages, painting,
// timers, and the default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/termination.h"
#include "win/dialog.h"
#include "win/dsound.h"
#include "win/window_internal.h"

namespace win {
namespace detail {
namespace {

std::uint32_t theJoystickChanges = 0;
std::uint32_t theJoystickArrivals = 0;
std::uint32_t theMessageSerial = 0;

struct ClickMemory {
    HWND hwnd;
    std::uint32_t message = 0;
    std::uint32_t time = 0;
    POINT at;
    bool valid = false;
} theLastClick;

bool Matches(const MSG& m, HWND filter, std::uint32_t lo, std::uint32_t hi) {
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

unsigned MouseKeyFlags() {
    unsigned f = 0;
    if (KeyIsDown(VK_LBUTTON)) f |= MK_LBUTTON;
    if (KeyIsDown(VK_RBUTTON)) f |= MK_RBUTTON;
    if (KeyIsDown(VK_MBUTTON)) f |= MK_MBUTTON;
    if (GetAsyncKeyState(VK_SHIFT) < 0) f |= MK_SHIFT;
    if (GetAsyncKeyState(VK_CONTROL) < 0) f |= MK_CONTROL;
    return f;
}

LParam PointParam(POINT p) {
    return MAKELPARAM(static_cast<std::uint16_t>(p.x), static_cast<std::uint16_t>(p.y));
}

bool IsClientMouse(std::uint32_t message) {
    return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK;
}

bool IsNonClientMouse(std::uint32_t message) {
    return message >= WM_NCMOUSEMOVE &&
           message <= WM_NCMOUSEMOVE + (WM_MBUTTONDBLCLK - WM_MOUSEMOVE);
}

// The window that took each button's last press (left, right, middle).
HWND thePressTarget[3];

void PostMouseInput(HWND target, std::uint32_t message, WParam wParam, POINT screen) {
    MSG m;
    m.hwnd = target;
    m.message = message;
    m.wParam = wParam;
    m.lParam = PointParam(screen);
    m.time = NowMs();
    m.pt = screen;
    QueuedMessage q(m);
    q.mouseInput = true;
    q.keyFlags = MouseKeyFlags();
    S().queue.push_back(q);
}

// What a queued message is when it is taken: mouse input goes to the window holding the capture
// (as client input), and client input carries its point in the window's place of now.
MSG Delivered(const QueuedMessage& q) {
    MSG m = q;
    if (!q.mouseInput) return m;
    const HWND capture = S().capture;
    if (capture && (m.hwnd != capture || IsNonClientMouse(m.message)) && Find(capture) != nullptr) {
        m.hwnd = capture;
        if (IsNonClientMouse(m.message)) m.message += WM_MOUSEMOVE - WM_NCMOUSEMOVE;
        m.wParam = q.keyFlags;
    }
    if (IsClientMouse(m.message) && Find(m.hwnd) != nullptr) {
        POINT cp = m.pt;
        ScreenToClient(m.hwnd, &cp);
        m.lParam = PointParam(cp);
    }
    return m;
}

void HandleMouse(const platform::Event& e) {
    State& st = S();
    POINT sp = OutputToScreen(e.x, e.y);
    st.cursorPos = sp;
    std::uint32_t message = WM_MOUSEMOVE;
    const bool down = e.kind == platform::EventKind::MouseDown;
    int button = -1;
    if (e.kind != platform::EventKind::MouseMove) {
        unsigned vk = e.button == platform::MouseButton::Left    ? VK_LBUTTON
                      : e.button == platform::MouseButton::Right ? VK_RBUTTON
                                                                 : VK_MBUTTON;
        button = vk == VK_LBUTTON ? 0 : vk == VK_RBUTTON ? 1 : 2;
        SetKeyDown(vk, down);
        std::uint32_t base = vk == VK_LBUTTON   ? WM_LBUTTONDOWN
                             : vk == VK_RBUTTON ? WM_RBUTTONDOWN
                                                : WM_MBUTTONDOWN;
        message = down ? base : base + 1;
    }
    HWND target = st.capture ? st.capture : WindowFromPoint(sp);
    const bool release = button >= 0 && !down;
    if (release && (!target || (!st.capture && !IsEnabledChain(target)))) {
        // A release where no window may hear it (off every window, or over one a dialog
        // disabled) still ends what the press began: the window that took the press hears it,
        // or the one that took the capture meanwhile.
        const HWND pressed = thePressTarget[button];
        thePressTarget[button] = {};
        if (pressed && Find(pressed) != nullptr)
            PostMouseInput(pressed, message, MouseKeyFlags(), sp);
        return;
    }
    if (!target) return;
    if (!st.capture && !IsEnabledChain(target)) {
        // A click on a window disabled by a modal dialog (or on a control of one) brings the
        // dialog forward instead; the window hears nothing of the mouse.
        if (down) {
            HWND top = TopLevelOf(target);
            HWND popup = GetLastActivePopup(top);
            if (popup && popup != top) Activate(popup, true);
        }
        return;
    }
    if (st.contextHelpMode && e.kind == platform::EventKind::MouseDown) {
        // The what's-this click: the clicked control's dialog hears WM_HELP, not the click.
        st.contextHelpMode = false;
        HELPINFO info;
        info.iCtrlId = GetDlgCtrlID(target);
        info.hItemHandle = target;
        info.MousePos = sp;
        HWND top = TopLevelOf(target);
        SendMessage(target == top ? top : target, WM_HELP, 0, reinterpret_cast<LParam>(&info));
        return;
    }
    int hit = HTCLIENT;
    if (!st.capture) hit = static_cast<int>(SendMessage(target, WM_NCHITTEST, 0, PointParam(sp)));
    if (Find(target) == nullptr) return;
    if (!st.capture)
        SendMessage(
            target, WM_SETCURSOR, target.id,
            MAKELPARAM(static_cast<std::uint16_t>(hit), static_cast<std::uint16_t>(message)));
    if (Find(target) == nullptr) return;
    if (down) {
        HWND top = TopLevelOf(target);
        if (st.active != top || !st.appActive) {
            LResult r = SendMessage(
                target, WM_MOUSEACTIVATE, top.id,
                MAKELPARAM(static_cast<std::uint16_t>(hit), static_cast<std::uint16_t>(message)));
            if (r != 3 && r != 4) Activate(top, true);  // MA_NOACTIVATE(ANDEAT) keep it inactive
        }
        WindowData* w = Find(target);
        if (w == nullptr) return;
        const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2,
                  dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        const std::uint32_t now = NowMs();
        if (hit == HTCLIENT && (w->classStyle & CS_DBLCLKS) && theLastClick.valid &&
            theLastClick.hwnd == target && theLastClick.message == message &&
            now - theLastClick.time <= 500 && std::abs(sp.x - theLastClick.at.x) <= dx &&
            std::abs(sp.y - theLastClick.at.y) <= dy) {
            message += 2;  // WM_xBUTTONDOWN -> WM_xBUTTONDBLCLK
            theLastClick.valid = false;
        } else {
            theLastClick = ClickMemory{target, message, now, sp, true};
        }
    }
    if (button >= 0) thePressTarget[button] = down ? target : HWND{};
    if (hit != HTCLIENT) {
        PostMouseInput(target, message - (WM_MOUSEMOVE - WM_NCMOUSEMOVE),
                       static_cast<WParam>(static_cast<std::uint32_t>(hit)), sp);
        return;
    }
    PostMouseInput(target, message, MouseKeyFlags(), sp);
}

void HandleEvent(const platform::Event& e) {
    State& st = S();
    HWND display = GetDisplayWindow();
    switch (e.kind) {
        case platform::EventKind::KeyDown:
        case platform::EventKind::KeyUp:
            HandleKeyEvent(e);
            break;
        case platform::EventKind::MouseMove:
        case platform::EventKind::MouseDown:
        case platform::EventKind::MouseUp:
            HandleMouse(e);
            break;
        case platform::EventKind::MouseWheel: {
            HWND target = st.focus ? st.focus : st.active;
            if (target)
                PostInputMessage(target, WM_MOUSEWHEEL,
                                 MAKEWPARAM(static_cast<std::uint16_t>(MouseKeyFlags()),
                                            static_cast<std::uint16_t>(e.wheel * 120)),
                                 PointParam(st.cursorPos));
            break;
        }
        case platform::EventKind::FocusGained: {
            HWND again = st.lastActive ? st.lastActive : display;
            if (Find(again) != nullptr && !IsIconic(again))
                Activate(again, false);
            else
                SetAppActive(true);
            break;
        }
        case platform::EventKind::FocusLost:
            SetAppActive(false);
            break;
        // The desktop's minimise and restore reach the program as system commands, which the
        // default handling turns into ShowWindow and the activation messages.
        case platform::EventKind::Minimized:
            if (display && !IsIconic(display)) PostMessage(display, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            break;
        case platform::EventKind::Restored:
            if (display && IsIconic(display)) PostMessage(display, WM_SYSCOMMAND, SC_RESTORE, 0);
            break;
        case platform::EventKind::CloseRequested:
            if (display) PostMessage(display, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        // The session that runs the program ends: the program saves what it keeps and closes
        // without asking. Without a window there is nothing to save and the loop just ends.
        case platform::EventKind::TerminateRequested:
            if (display)
                PostMessage(display, WM_ENDSESSION, 1, 0);
            else
                PostQuitMessage(0);
            break;
        case platform::EventKind::Exposed:
            RequestPresent();
            break;
        case platform::EventKind::Moved:
            DisplayWindowMovedTo(POINT{e.x, e.y});
            break;
        case platform::EventKind::JoystickAdded:
            ++theJoystickArrivals;
            ++theJoystickChanges;
            break;
        case platform::EventKind::JoystickRemoved:
            ++theJoystickChanges;
            break;
        case platform::EventKind::Text:
            break;  // characters come from TranslateMessage
    }
}

void PumpPlatform() {
    ServiceSingleInstance();
    // Sound plays on this thread: every turn of the loop brings the buffers up to the card.
    MixDirectSound();
    platform::Events& events = platform::CurrentBackend().GetEvents();
    platform::Event e;
    if (platform::TakeTerminationRequest()) {
        e.kind = platform::EventKind::TerminateRequested;
        HandleEvent(e);
    }
    while (events.Poll(&e))
        HandleEvent(e);
}

// The first window (top of the z-order, parents before children) with something to paint.
HWND FindInvalid(HWND h, HWND filter) {
    WindowData* w = Find(h);
    if (w == nullptr || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) return {};
    if (w->invalid && (!filter || filter == h || IsChild(filter, h))) return h;
    for (HWND c : w->children)
        if (HWND f = FindInvalid(c, filter)) return f;
    return {};
}

Timer* DueTimer(HWND filter, std::uint32_t now) {
    Timer* best = nullptr;
    for (Timer& t : S().timers) {
        if (!t.pending && static_cast<std::int32_t>(now - t.due) >= 0) t.pending = true;
        if (!t.pending) continue;
        if (filter && t.hwnd != filter && !IsChild(filter, t.hwnd)) continue;
        if (best == nullptr || static_cast<std::int32_t>(t.due - best->due) < 0) best = &t;
    }
    return best;
}

bool PeekInternal(MSG* msg, HWND filter, std::uint32_t lo, std::uint32_t hi, std::uint32_t flags,
                  bool notifyEmpty) {
    State& st = S();
    PumpPlatform();
    auto take = [&](const MSG& m) {
        if (flags & PM_REMOVE) ++theMessageSerial;
        if (msg != nullptr) *msg = m;
        st.lastMessageTime = m.time;
        st.lastMessagePos = m.pt;
        return true;
    };
    for (auto it = st.queue.begin(); it != st.queue.end(); ++it) {
        const MSG m = Delivered(*it);
        if (!Matches(m, filter, lo, hi)) continue;
        if (flags & PM_REMOVE) {
            st.queue.erase(it);
            KeyMessageTaken(m);
        }
        return take(m);
    }
    const std::uint32_t now = NowMs();
    MSG m;
    m.time = now;
    m.pt = st.cursorPos;
    if (st.quitPosted && !filter && (lo == 0 || (lo <= WM_QUIT && hi >= WM_QUIT))) {
        if (flags & PM_REMOVE) st.quitPosted = false;
        m.message = WM_QUIT;
        m.wParam = static_cast<WParam>(st.quitCode);
        return take(m);
    }
    if (lo == 0 || (lo <= WM_PAINT && hi >= WM_PAINT)) {
        for (HWND h : st.topLevel) {
            if (HWND p = FindInvalid(h, filter)) {
                m.hwnd = p;
                m.message = WM_PAINT;
                return take(m);
            }
        }
    }
    if (lo == 0 || (lo <= WM_TIMER && hi >= WM_TIMER)) {
        if (Timer* t = DueTimer(filter, now)) {
            m.hwnd = t->hwnd;
            m.message = WM_TIMER;
            m.wParam = t->id;
            m.lParam = reinterpret_cast<LParam>(t->proc);
            if (flags & PM_REMOVE) {
                t->pending = false;
                t->due = now + t->interval;
            }
            return take(m);
        }
    }
    PresentIfChanged();
    if (notifyEmpty) platform::CurrentBackend().GetEvents().OnQueueEmpty();
    return false;
}

std::uint32_t TimeToNextTimer() {
    const std::uint32_t now = NowMs();
    std::uint32_t best = platform::kWaitForever;
    for (const Timer& t : S().timers) {
        if (t.pending) return 0;
        std::int32_t left = static_cast<std::int32_t>(t.due - now);
        std::uint32_t wait = left <= 0 ? 0u : static_cast<std::uint32_t>(left);
        best = std::min(best, wait);
    }
    return best;
}

void InvalidateTree(HWND h, const RECT* rect, bool erase, bool children) {
    InvalidateRect(h, rect, erase);
    if (!children) return;
    if (WindowData* w = Find(h)) {
        std::vector<HWND> kids = w->children;
        for (HWND c : kids)
            InvalidateTree(c, nullptr, erase, true);
    }
}

void UpdateTree(HWND h, bool children) {
    UpdateWindow(h);
    if (!children) return;
    if (WindowData* w = Find(h)) {
        std::vector<HWND> kids = w->children;
        for (HWND c : kids)
            UpdateTree(c, true);
    }
}

int HitTest(WindowData& w, POINT p) {
    const RECT& r = w.rect;
    if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return HTNOWHERE;
    RECT c = ClientRectScreen(w);
    if (p.x >= c.left && p.x < c.right && p.y >= c.top && p.y < c.bottom) return HTCLIENT;
    Insets in = NonClientInsets(w);
    const int band = MenuBandHeight(w.handle);
    if (band > 0 && p.y >= c.top - band && p.y < c.top && p.x >= c.left && p.x < c.right)
        return HTMENU;
    if (in.caption > 0 && p.y >= r.top + in.frame && p.y < r.top + in.frame + in.caption &&
        p.x >= r.left + in.frame && p.x < r.right - in.frame) {
        if ((w.style & WS_SYSMENU) && p.x >= r.right - in.frame - in.caption) return HTCLOSE;
        if ((w.style & WS_SYSMENU) && p.x < r.left + in.frame + in.caption) return HTSYSMENU;
        return HTCAPTION;
    }
    if (!(w.style & WS_THICKFRAME)) return HTBORDER;
    const int corner = in.caption > 0 ? in.caption : 8;
    const bool left = p.x < r.left + in.frame, right = p.x >= r.right - in.frame;
    const bool top = p.y < r.top + in.frame, bottom = p.y >= r.bottom - in.frame;
    const bool nearLeft = p.x < r.left + corner, nearRight = p.x >= r.right - corner;
    const bool nearTop = p.y < r.top + corner, nearBottom = p.y >= r.bottom - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    return HTBORDER;
}

DcProvider theDcProvider;

}  // namespace

void PostInputMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    MSG m;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = NowMs();
    m.pt = S().cursorPos;
    S().queue.push_back(QueuedMessage(m));
}

bool MouseInputQueued() {
    return std::any_of(S().queue.begin(), S().queue.end(),
                       [](const QueuedMessage& q) { return q.mouseInput; });
}

std::uint32_t JoystickChangeCount() {
    return theJoystickChanges;
}

std::uint32_t JoystickArrivalCount() {
    return theJoystickArrivals;
}

}  // namespace detail

using namespace detail;

LResult SendMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    ++theMessageSerial;
    WindowData* w = Find(hwnd);
    if (w == nullptr || w->proc == nullptr) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

bool PostMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    if (hwnd.id == kRemoteWindowId) return false;
    if (hwnd && Find(hwnd) == nullptr) return false;
    PostInputMessage(hwnd, message, wParam, lParam);
    return true;
}

void PostQuitMessage(int exitCode) {
    S().quitPosted = true;
    S().quitCode = exitCode;
}

bool PeekMessage(MSG* msg, HWND hwnd, std::uint32_t filterMin, std::uint32_t filterMax,
                 std::uint32_t removeFlags) {
    return PeekInternal(msg, hwnd, filterMin, filterMax, removeFlags, true);
}

int GetMessage(MSG* msg, HWND hwnd, std::uint32_t filterMin, std::uint32_t filterMax) {
    platform::Events& events = platform::CurrentBackend().GetEvents();
    for (;;) {
        // Waiting tells the headless driver the queue ran dry, so a blocked loop feeds one
        // scripted step per turn; the look itself must not do it a second time.
        if (PeekInternal(msg, hwnd, filterMin, filterMax, PM_REMOVE, false))
            return msg != nullptr && msg->message == WM_QUIT ? 0 : 1;
        const std::uint32_t timeout = TimeToNextTimer();
        // Nothing can ever arrive (a headless machine whose driver is done): fail instead of
        // hanging.
        if (timeout == platform::kWaitForever && !events.MayDeliverLater()) return -1;
        platform::Event e;
        if (events.Wait(&e, timeout)) HandleEvent(e);
    }
}

void RestUntilInput(std::uint32_t ms) {
    if (PeekInternal(nullptr, {}, 0, 0, PM_NOREMOVE, false)) return;
    const std::uint32_t timer = TimeToNextTimer();
    if (timer == 0) return;
    platform::CurrentBackend().GetEvents().Rest(std::min(ms, timer));
}

std::uint32_t MessageSerial() {
    return theMessageSerial;
}

void NoteOutsideChange() {
    ++theMessageSerial;
}

bool WaitMessage() {
    MSG m;
    if (PeekInternal(&m, {}, 0, 0, PM_NOREMOVE, false)) return true;
    platform::Event e;
    if (platform::CurrentBackend().GetEvents().Wait(&e, TimeToNextTimer())) HandleEvent(e);
    return true;
}

LResult DispatchMessage(const MSG* msg) {
    if (msg == nullptr) return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, NowMs());
        return 0;
    }
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

std::uint32_t GetMessageTime() {
    return S().lastMessageTime;
}
std::uint32_t GetMessagePos() {
    return MAKELONG(static_cast<std::uint16_t>(S().lastMessagePos.x),
                    static_cast<std::uint16_t>(S().lastMessagePos.y));
}

// ---- Painting -------------------------------------------------------------------------------

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    RECT full{0, 0, w->surface.width, w->surface.height};
    RECT r = rect != nullptr ? *rect : full;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, full.right);
    r.bottom = std::min(r.bottom, full.bottom);
    if (r.right <= r.left || r.bottom <= r.top) return true;
    if (w->invalid) {
        RECT& u = *w->invalid;
        u = RECT{std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
                 std::max(u.bottom, r.bottom)};
    } else {
        w->invalid = r;
    }
    w->eraseWanted = w->eraseWanted || erase;
    return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    if (!w->invalid) return true;
    // The invalid area is kept as one rectangle: validating a part that covers it whole (or
    // the whole client) clears it; a partial validation leaves it to the next paint.
    const RECT& u = *w->invalid;
    if (rect == nullptr || (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right &&
                            rect->bottom >= u.bottom)) {
        w->invalid.reset();
        w->eraseWanted = false;
    }
    return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool) {
    WindowData* w = Find(hwnd);
    if (w == nullptr || !w->invalid) {
        if (rect != nullptr) *rect = RECT{};
        return false;
    }
    if (rect != nullptr) *rect = *w->invalid;
    return true;
}

bool UpdateWindow(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return false;
    if (w->invalid && IsVisibleChain(hwnd)) SendMessage(hwnd, WM_PAINT, 0, 0);
    return true;
}

bool RedrawWindow(HWND hwnd, const RECT* rect, std::uint32_t flags) {
    if (Find(hwnd) == nullptr) return false;
    const bool children = (flags & RDW_ALLCHILDREN) != 0;
    if (flags & (RDW_INVALIDATE | RDW_INTERNALPAINT))
        InvalidateTree(hwnd, rect, (flags & RDW_ERASE) != 0, children);
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
    if (flags & RDW_UPDATENOW) UpdateTree(hwnd, children);
    RequestPresent();
    return true;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return {};
    PAINTSTRUCT local;
    PAINTSTRUCT& p = ps != nullptr ? *ps : local;
    p.paint = w->invalid.value_or(RECT{0, 0, w->surface.width, w->surface.height});
    p.erase = w->eraseWanted;
    w->invalid.reset();
    w->eraseWanted = false;
    p.hdc = theDcProvider.acquire ? theDcProvider.acquire(hwnd, false) : HDC{};
    if (p.erase && p.hdc) p.erase = SendMessage(hwnd, WM_ERASEBKGND, p.hdc.id, 0) == 0;
    return p.hdc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (ps != nullptr && ps->hdc && theDcProvider.release) theDcProvider.release(hwnd, ps->hdc);
    MarkWindowSurfaceDrawn(hwnd);
    RequestPresent();
    return true;
}

void SetDcProvider(DcProvider provider) {
    theDcProvider = std::move(provider);
}

// ---- Timers ---------------------------------------------------------------------------------

std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t elapseMs, TIMERPROC proc) {
    State& st = S();
    if (hwnd && Find(hwnd) == nullptr) return 0;
    if (!hwnd) id = st.nextTimerId++;
    // Like the original, intervals below 10 ms run at 10 ms, and longer ones than the clock's
    // half turn at that half turn: a due time further ahead would read as already passed.
    const std::uint32_t interval = std::clamp<std::uint32_t>(elapseMs, 10, 0x7FFFFFFF);
    for (Timer& t : st.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.interval = interval;
            t.due = NowMs() + interval;
            t.proc = proc;
            t.pending = false;
            return id == 0 ? 1 : id;
        }
    }
    Timer t;
    t.hwnd = hwnd;
    t.id = id;
    t.interval = interval;
    t.due = NowMs() + interval;
    t.proc = proc;
    st.timers.push_back(t);
    return id == 0 ? 1 : id;
}

bool KillTimer(HWND hwnd, std::uintptr_t id) {
    auto& timers = S().timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) return false;
    timers.erase(it);
    return true;
}

// ---- Default window procedure ---------------------------------------------------------------

namespace {

// The system's move loop: the window follows the pointer, by exactly the pointer's move and
// never out of the picture, while the left button stays down; other messages go on being
// served meanwhile. Escape puts the window back.
void RunMoveLoop(HWND hwnd) {
    const POINT start = S().lastMessagePos;  // where the press that began the move was
    RECT origin;
    GetWindowRect(hwnd, &origin);
    auto follow = [&](POINT screen) {
        const POINT to = KeepWithinPicture(
            hwnd, POINT{origin.left + screen.x - start.x, origin.top + screen.y - start.y});
        SetWindowPos(hwnd, {}, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    SetCapture(hwnd);
    MSG m;
    while (GetCapture() == hwnd) {
        // A button let go where no window heard it (the desktop took the focus meanwhile) ends
        // the move once the input before it is served.
        PumpPlatform();
        if (!KeyIsDown(VK_LBUTTON) && !MouseInputQueued()) break;
        if (GetMessage(&m, {}, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (m.hwnd == hwnd && (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP)) {
            follow(m.pt);
            if (m.message == WM_LBUTTONUP) break;
            continue;
        }
        if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            SetWindowPos(hwnd, {}, origin.left, origin.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    if (GetCapture() == hwnd) ReleaseCapture();
}

}  // namespace

LResult DefWindowProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return 0;
    switch (message) {
        case WM_NCCREATE:
            return 1;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_SETTEXT:
            w->text =
                lParam != 0 ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
            RequestPresent();
            return 1;
        case WM_GETTEXT: {
            if (wParam == 0 || lParam == 0) return 0;
            auto* out = reinterpret_cast<char*>(lParam);
            std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
            std::memcpy(out, w->text.data(), n);
            out[n] = '\0';
            return static_cast<LResult>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LResult>(w->text.size());
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 0;
        case WM_NCHITTEST:
            return HitTest(*w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_SETCURSOR: {
            if ((w->style & WS_CHILD) && w->parent &&
                SendMessage(w->parent, WM_SETCURSOR, wParam, lParam) != 0)
                return 1;
            const int hit = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
            std::uint32_t id = IDC_ARROW;
            switch (hit) {
                case HTCLIENT:
                    if (w->classCursor) {
                        SetCursor(w->classCursor);
                        return 1;
                    }
                    return 0;
                case HTLEFT:
                case HTRIGHT:
                    id = IDC_SIZEWE;
                    break;
                case HTTOP:
                case HTBOTTOM:
                    id = IDC_SIZENS;
                    break;
                case HTTOPLEFT:
                case HTBOTTOMRIGHT:
                    id = IDC_SIZENWSE;
                    break;
                case HTTOPRIGHT:
                case HTBOTTOMLEFT:
                    id = IDC_SIZENESW;
                    break;
                case HTERROR:
                    return 0;
                default:
                    break;
            }
            SetCursor(LoadCursor({}, id));
            return 1;
        }
        case WM_MOUSEACTIVATE:
            if ((w->style & WS_CHILD) && w->parent) {
                LResult r = SendMessage(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
                if (r != 0) return r;
            }
            return 1;  // MA_ACTIVATE
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) SetFocus(hwnd);
            return 0;
        case WM_NCACTIVATE:
            return 1;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (lParam & (1 << 29)))
                SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SYSKEYUP:
        case WM_KEYUP:
            if ((wParam == VK_MENU || wParam == VK_F10) && MenuKeyAlone())
                SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
            return 0;
        case WM_SYSCHAR:
            // Alt with a letter or digit opens the menu it underlines.
            if ((lParam & (1 << 29)) && wParam > 0x20 && wParam < 0x7F)
                SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, wParam);
            return 0;
        case WM_RBUTTONUP: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &p);
            SendMessage(
                hwnd, WM_CONTEXTMENU, hwnd.id,
                MAKELPARAM(static_cast<std::uint16_t>(p.x), static_cast<std::uint16_t>(p.y)));
            return 0;
        }
        case WM_CONTEXTMENU:
        case WM_HELP:
            // A control without its own answer leaves the request to its dialog. A part of a
            // control (a combo box's edit, a list's scroll bar or header) asks as its control.
            if ((w->style & WS_CHILD) && w->parent) {
                const WindowData* parent = Find(w->parent);
                const bool partOfControl = message == WM_CONTEXTMENU && parent != nullptr &&
                                           (parent->style & WS_CHILD) &&
                                           GetClassName(w->parent) != WC_DIALOG;
                return SendMessage(w->parent, message,
                                   partOfControl ? static_cast<WParam>(w->parent.id) : wParam,
                                   lParam);
            }
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CONTEXTHELP:
                    S().contextHelpMode = true;
                    break;
                case SC_MOVE:
                    RunMoveLoop(hwnd);
                    break;
                case SC_CLOSE:
                    SendMessage(hwnd, WM_CLOSE, 0, 0);
                    break;
                case SC_MINIMIZE:
                    ShowWindow(hwnd, SW_MINIMIZE);
                    break;
                case SC_MAXIMIZE:
                    ShowWindow(hwnd, SW_MAXIMIZE);
                    break;
                case SC_RESTORE:
                    ShowWindow(hwnd, SW_RESTORE);
                    break;
                case SC_KEYMENU:
                    if (GetMenuBarHooks().keyMenu)
                        GetMenuBarHooks().keyMenu(hwnd, static_cast<unsigned>(lParam & 0xFFFF));
                    break;
                default:
                    break;
            }
            return 0;
        case WM_NCLBUTTONDOWN:
            if (wParam == static_cast<WParam>(HTMENU) && GetMenuBarHooks().track)
                GetMenuBarHooks().track(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            else if (wParam == static_cast<WParam>(HTCLOSE))
                SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
            else if (wParam == static_cast<WParam>(HTCAPTION) && !(w->style & WS_MAXIMIZE))
                SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
            else if (wParam == 21)  // HTHELP
                SendMessage(hwnd, WM_SYSCOMMAND, SC_CONTEXTHELP, lParam);
            return 0;
        default:
            return 0;
    }
}

}  // namespace win
