// The controls that hold a position in a range: "ScrollBar", "msctls_trackbar32" (thumb drag
// with TB_THUMBTRACK … TB_ENDTRACK, paging beside the thumb, keys) and "msctls_updown32"
// (UDN_DELTAPOS before each step, which the parent may change or refuse).
#include <algorithm>

#include "win/control_internal.h"

namespace win {
namespace {

using namespace ctl;

// ---- Trackbar ---------------------------------------------------------------------------------

struct TrackState {
    int min = 0, max = 100, pos = 0;
    int page = 20, line = 1, ticFreq = 1;
    bool dragging = false;
    int grab = 0;  // pointer offset inside the thumb when the drag began
    bool focused = false;
};
StateTable<TrackState> theTracks;

constexpr int kThumbLength = 11;

bool Vertical(HWND h) {
    return (StyleOf(h) & TBS_VERT) != 0;
}

// The channel and the thumb, in client coordinates.
void TrackLayout(HWND h, const TrackState& s, RECT* channel, RECT* thumb) {
    RECT c;
    GetClientRect(h, &c);
    const bool v = Vertical(h);
    const int length = (v ? c.bottom - c.top : c.right - c.left) - 8;
    const int free = std::max(1, length - kThumbLength);
    const int offset = s.max == s.min ? free / 2
                                      : static_cast<int>(static_cast<long long>(free) * (s.pos - s.min) / (s.max - s.min));
    if (v) {
        const int cx = (c.left + c.right) / 2;
        *channel = RECT{cx - 2, c.top + 4, cx + 2, c.bottom - 4};
        *thumb = RECT{c.left + 2, c.top + 4 + offset, c.right - 2, c.top + 4 + offset + kThumbLength};
    } else {
        const int cy = (c.top + c.bottom) / 2;
        *channel = RECT{c.left + 4, cy - 2, c.right - 4, cy + 2};
        *thumb = RECT{c.left + 4 + offset, c.top + 2, c.left + 4 + offset + kThumbLength, c.bottom - 2};
    }
}

void TrackNotify(HWND h, unsigned code, int pos) {
    HWND parent = GetParent(h);
    if (!parent) return;
    SendMessage(parent, Vertical(h) ? WM_VSCROLL : WM_HSCROLL,
                MAKEWPARAM(static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(pos)),
                static_cast<LParam>(h.id));
}

void TrackSet(HWND h, TrackState& s, int pos) {
    pos = std::clamp(pos, std::min(s.min, s.max), std::max(s.min, s.max));
    if (pos == s.pos) return;
    s.pos = pos;
    InvalidateRect(h, nullptr, true);
}

void TrackPaint(HWND h, TrackState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT c;
    GetClientRect(h, &c);
    FillRect(dc, &c, ControlColours(h, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE));
    RECT channel, thumb;
    TrackLayout(h, s, &channel, &thumb);
    FillRect(dc, &channel, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT);
    if (!(StyleOf(h) & TBS_NOTHUMB)) {
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    }
    if (s.focused) {
        RECT f{c.left, c.top, c.right, c.bottom};
        DrawFocusRect(dc, &f);
    }
    EndPaint(h, &ps);
}

int PosFromPoint(HWND h, const TrackState& s, POINT p) {
    RECT channel, thumb;
    TrackLayout(h, s, &channel, &thumb);
    const bool v = Vertical(h);
    const int length = (v ? channel.bottom - channel.top : channel.right - channel.left);
    const int free = std::max(1, length - kThumbLength);
    const int at = (v ? p.y - channel.top : p.x - channel.left) - s.grab;
    return s.min + static_cast<int>(static_cast<long long>(at) * (s.max - s.min) / free);
}

// ---- Up-down ----------------------------------------------------------------------------------

struct UpDownState {
    int lower = 100, upper = 0;  // the system's default range runs down
    int pos = 0;
    HWND buddy;
    int pressed = 0;  // -1 lower half, 1 upper half
};
StateTable<UpDownState> theUpDowns;

bool Horizontal(HWND h) {
    return (StyleOf(h) & UDS_HORZ) != 0;
}

void ShowInBuddy(HWND h, const UpDownState& s) {
    if (s.buddy && (StyleOf(h) & UDS_SETBUDDYINT)) SetWindowText(s.buddy, std::to_string(s.pos));
}

// One press: +1 means towards `upper`.
void Step(HWND h, UpDownState& s, int direction) {
    if (s.buddy && (StyleOf(h) & UDS_SETBUDDYINT)) {
        // The buddy may have been typed into.
        bool ok = false;
        const unsigned v = GetDlgItemInt(GetParent(s.buddy), GetDlgCtrlID(s.buddy), &ok, true);
        if (ok) s.pos = static_cast<int>(v);
    }
    NMUPDOWN nm;
    nm.iPos = s.pos;
    nm.iDelta = s.upper >= s.lower ? direction : -direction;
    if (NotifyParent(h, nm.hdr, UDN_DELTAPOS) != 0) return;  // refused
    if (theUpDowns.Get(h) == nullptr) return;
    const int lo = std::min(s.lower, s.upper), hi = std::max(s.lower, s.upper);
    int next = s.pos + nm.iDelta;
    if (next > hi) next = (StyleOf(h) & UDS_WRAP) ? lo : hi;
    if (next < lo) next = (StyleOf(h) & UDS_WRAP) ? hi : lo;
    s.pos = next;
    ShowInBuddy(h, s);
    HWND parent = GetParent(h);
    if (parent)
        SendMessage(parent, Horizontal(h) ? WM_HSCROLL : WM_VSCROLL,
                    MAKEWPARAM(SB_THUMBPOSITION, static_cast<std::uint16_t>(s.pos)),
                    static_cast<LParam>(h.id));
}

// ---- Scroll bar -------------------------------------------------------------------------------

struct ScrollState {
    int min = 0, max = 100, pos = 0;
    int page = 0;       // 0: a square thumb, and the last position is max
    int trackPos = 0;   // where the dragged thumb stands
    int pressed = 0;    // the part held down (1..5 as in SCROLLBARINFO), 0 none
    int grab = 0;       // the pointer's offset into the thumb while it is dragged
    bool repeating = false;
};
StateTable<ScrollState> theScrolls;

constexpr std::uintptr_t kScrollRepeatTimer = 0x5342;
constexpr std::uint32_t kScrollRepeatDelayMs = 400;
constexpr std::uint32_t kScrollRepeatMs = 50;
constexpr int kMinimumThumb = 8;

int LastPosition(const ScrollState& s) {
    return s.page > 0 ? std::max(s.min, s.max - s.page + 1) : std::max(s.min, s.max);
}

// The parts along the bar: arrows at both ends, the thumb between them.
struct ScrollParts {
    bool vertical = true;
    int length = 0, thickness = 0, arrow = 0, thumbStart = 0, thumbLength = 0;
};

ScrollParts PartsOf(HWND h, const ScrollState& s, int position) {
    ScrollParts p;
    RECT c;
    GetClientRect(h, &c);
    p.vertical = (StyleOf(h) & SBS_VERT) != 0;
    p.length = p.vertical ? c.bottom - c.top : c.right - c.left;
    p.thickness = p.vertical ? c.right - c.left : c.bottom - c.top;
    p.arrow = std::min(p.thickness, p.length / 2);
    const int free = std::max(0, p.length - 2 * p.arrow);
    const long long span = static_cast<long long>(s.max) - s.min + 1;
    p.thumbLength = s.page > 0 && span > 0 ? static_cast<int>(free * std::min<long long>(s.page, span) / span)
                                           : p.thickness;
    p.thumbLength = std::min(free, std::max(p.thumbLength, kMinimumThumb));
    const int last = LastPosition(s);
    const int room = free - p.thumbLength;
    p.thumbStart = p.arrow + (last > s.min ? static_cast<int>(static_cast<long long>(room) *
                                                              (std::clamp(position, s.min, last) - s.min) /
                                                              (last - s.min))
                                           : 0);
    return p;
}

// 1 first arrow, 2 page before the thumb, 3 thumb, 4 page after, 5 last arrow.
int PartAt(const ScrollParts& p, int along) {
    if (along < p.arrow) return 1;
    if (along >= p.length - p.arrow) return 5;
    if (along < p.thumbStart) return 2;
    if (along < p.thumbStart + p.thumbLength) return 3;
    return 4;
}

}  // namespace

LResult TrackbarProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    TrackState* s = theTracks.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theTracks.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theTracks.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const bool redraw = w != 0;
    switch (m) {
        case TBM_GETPOS: return s->pos;
        case TBM_GETRANGEMIN: return s->min;
        case TBM_GETRANGEMAX: return s->max;
        case TBM_SETPOS:
            TrackSet(h, *s, static_cast<int>(l));
            return 0;
        case TBM_SETRANGE:
            s->min = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l)));
            s->max = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(l)));
            s->pos = std::clamp(s->pos, std::min(s->min, s->max), std::max(s->min, s->max));
            if (redraw) InvalidateRect(h, nullptr, true);
            return 0;
        case TBM_SETRANGEMIN:
            s->min = static_cast<int>(l);
            s->pos = std::max(s->pos, s->min);
            if (redraw) InvalidateRect(h, nullptr, true);
            return 0;
        case TBM_SETRANGEMAX:
            s->max = static_cast<int>(l);
            s->pos = std::min(s->pos, s->max);
            if (redraw) InvalidateRect(h, nullptr, true);
            return 0;
        case TBM_SETTICFREQ: s->ticFreq = std::max(1, static_cast<int>(w)); return 0;
        case TBM_SETPAGESIZE: { const int o = s->page; s->page = static_cast<int>(l); return o; }
        case TBM_GETPAGESIZE: return s->page;
        case TBM_SETLINESIZE: { const int o = s->line; s->line = static_cast<int>(l); return o; }
        case TBM_GETLINESIZE: return s->line;
        case TBM_GETTHUMBRECT:
        case TBM_GETCHANNELRECT: {
            RECT channel, thumb;
            TrackLayout(h, *s, &channel, &thumb);
            if (l != 0) *reinterpret_cast<RECT*>(l) = m == TBM_GETTHUMBRECT ? thumb : channel;
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_PAINT:
            TrackPaint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            s->focused = m == WM_SETFOCUS;
            InvalidateRect(h, nullptr, true);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(h);
            RECT channel, thumb;
            TrackLayout(h, *s, &channel, &thumb);
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            const bool v = Vertical(h);
            if (p.x >= thumb.left && p.x < thumb.right && p.y >= thumb.top && p.y < thumb.bottom) {
                s->dragging = true;
                s->grab = v ? p.y - thumb.top : p.x - thumb.left;
                SetCapture(h);
                return 0;
            }
            // Beside the thumb: a page towards the pointer, as the Page keys do.
            const bool after = v ? p.y >= thumb.bottom : p.x >= thumb.right;
            SendMessage(h, WM_KEYDOWN, after ? VK_NEXT : VK_PRIOR, 0);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s->dragging && GetCapture() == h) {
                TrackSet(h, *s, PosFromPoint(h, *s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}));
                TrackNotify(h, TB_THUMBTRACK, s->pos);
            }
            return 0;
        case WM_LBUTTONUP:
            if (s->dragging) {
                TrackSet(h, *s, PosFromPoint(h, *s, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}));
                s->dragging = false;
                ReleaseCapture();
                TrackNotify(h, TB_THUMBPOSITION, s->pos);
            }
            TrackNotify(h, TB_ENDTRACK, 0);
            return 0;
        case WM_KEYDOWN: {
            unsigned code = 0xFFFF;
            int to = s->pos;
            switch (w) {
                case VK_LEFT: case VK_UP: code = TB_LINEUP; to -= s->line; break;
                case VK_RIGHT: case VK_DOWN: code = TB_LINEDOWN; to += s->line; break;
                case VK_PRIOR: code = TB_PAGEUP; to -= s->page; break;
                case VK_NEXT: code = TB_PAGEDOWN; to += s->page; break;
                case VK_HOME: code = TB_TOP; to = s->min; break;
                case VK_END: code = TB_BOTTOM; to = s->max; break;
                default: break;
            }
            if (code == 0xFFFF) break;
            TrackSet(h, *s, to);
            TrackNotify(h, code, s->pos);
            return 0;
        }
        case WM_KEYUP:
            if (w == VK_LEFT || w == VK_UP || w == VK_RIGHT || w == VK_DOWN || w == VK_PRIOR ||
                w == VK_NEXT || w == VK_HOME || w == VK_END) {
                TrackNotify(h, TB_ENDTRACK, 0);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

LResult UpDownProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    UpDownState* s = theUpDowns.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theUpDowns.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_CREATE:
            if (s != nullptr && (StyleOf(h) & UDS_AUTOBUDDY)) {
                // The buddy is the control made just before this one.
                HWND prev = GetWindow(h, GW_HWNDPREV);
                if (prev) SendMessage(h, UDM_SETBUDDY, prev.id, 0);
            }
            return 0;
        case WM_NCDESTROY:
            theUpDowns.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    switch (m) {
        case UDM_SETRANGE:
            s->upper = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l)));
            s->lower = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(l)));
            return 0;
        case UDM_GETRANGE:
            return static_cast<LResult>(MAKELONG(static_cast<std::uint16_t>(s->upper), static_cast<std::uint16_t>(s->lower)));
        case UDM_SETPOS: {
            const int old = s->pos;
            s->pos = std::clamp(static_cast<int>(static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l)))),
                                std::min(s->lower, s->upper), std::max(s->lower, s->upper));
            ShowInBuddy(h, *s);
            return old;
        }
        case UDM_GETPOS:
            return s->pos;
        case UDM_SETBUDDY: {
            const HWND old = s->buddy;
            s->buddy = HWND{static_cast<std::uint32_t>(w)};
            if (s->buddy && (StyleOf(h) & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) {
                // Sits against the buddy's edge, which gives up the room.
                RECT b;
                GetWindowRect(s->buddy, &b);
                MapWindowPoints({}, GetParent(h), &b);
                RECT me;
                GetWindowRect(h, &me);
                const int width = me.right - me.left;
                const bool right = (StyleOf(h) & UDS_ALIGNRIGHT) != 0;
                MoveWindow(s->buddy, right ? b.left : b.left + width, b.top, b.right - b.left - width, b.bottom - b.top, true);
                MoveWindow(h, right ? b.right - width : b.left, b.top, width, b.bottom - b.top, true);
            }
            ShowInBuddy(h, *s);
            return static_cast<LResult>(old.id);
        }
        case UDM_GETBUDDY:
            return static_cast<LResult>(s->buddy.id);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            const bool horz = Horizontal(h);
            RECT a = c, b = c;
            if (horz) a.right = b.left = (c.left + c.right) / 2;
            else a.bottom = b.top = (c.top + c.bottom) / 2;
            // Two arrow buttons, so the user sees which half steps which way.
            const unsigned inactive = IsWindowEnabled(h) ? 0 : DFCS_INACTIVE;
            DrawFrameControl(dc, &a, DFC_SCROLL,
                             (horz ? DFCS_SCROLLLEFT : DFCS_SCROLLUP) | inactive |
                                 (s->pressed == (horz ? -1 : 1) ? DFCS_PUSHED : 0));
            DrawFrameControl(dc, &b, DFC_SCROLL,
                             (horz ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN) | inactive |
                                 (s->pressed == (horz ? 1 : -1) ? DFCS_PUSHED : 0));
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN: {
            RECT c;
            GetClientRect(h, &c);
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            // The upper (or right) half steps towards the upper end of the range.
            const int dir = Horizontal(h) ? (p.x >= (c.left + c.right) / 2 ? 1 : -1)
                                          : (p.y < (c.top + c.bottom) / 2 ? 1 : -1);
            s->pressed = dir;
            InvalidateRect(h, nullptr, true);
            Step(h, *s, dir);
            if (theUpDowns.Get(h) != nullptr) SetCapture(h);
            return 0;
        }
        case WM_LBUTTONUP:
            if (GetCapture() == h) ReleaseCapture();
            s->pressed = 0;
            InvalidateRect(h, nullptr, true);
            if (HWND parent = GetParent(h))
                SendMessage(parent, Horizontal(h) ? WM_HSCROLL : WM_VSCROLL,
                            MAKEWPARAM(SB_ENDSCROLL, static_cast<std::uint16_t>(s->pos)), static_cast<LParam>(h.id));
            return 0;
        case WM_KEYDOWN:
            if (w == VK_UP || w == VK_DOWN) {
                Step(h, *s, w == VK_UP ? 1 : -1);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

LResult ScrollBarProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ScrollState* s = theScrolls.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theScrolls.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            KillTimer(h, kScrollRepeatTimer);
            theScrolls.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const bool vert = (StyleOf(h) & SBS_VERT) != 0;
    auto notify = [&](unsigned code, int pos) {
        if (HWND parent = GetParent(h))
            SendMessage(parent, vert ? WM_VSCROLL : WM_HSCROLL,
                        MAKEWPARAM(static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(pos)),
                        static_cast<LParam>(h.id));
    };
    // What pressing a part asks of the parent.
    auto press = [&](int part) {
        static constexpr unsigned kCodes[6] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
        if (part != 3 && part >= 1 && part <= 5) notify(kCodes[part], s->pos);
    };
    auto along = [&](LParam at) { return vert ? GET_Y_LPARAM(at) : GET_X_LPARAM(at); };
    switch (m) {
        case SBM_SETPOS: {
            const int old = s->pos;
            s->pos = std::clamp(static_cast<int>(w), s->min, LastPosition(*s));
            if (l != 0) InvalidateRect(h, nullptr, true);
            return old;
        }
        case SBM_GETPOS:
            return s->pos;
        case SBM_SETRANGE:
            s->min = static_cast<int>(w);
            s->max = static_cast<int>(l);
            s->pos = std::clamp(s->pos, s->min, LastPosition(*s));
            InvalidateRect(h, nullptr, true);
            return 0;
        case SBM_GETRANGE:
            if (w != 0) *reinterpret_cast<int*>(w) = s->min;
            if (l != 0) *reinterpret_cast<int*>(l) = s->max;
            return 0;
        case SBM_SETSCROLLINFO: {
            const auto* in = reinterpret_cast<const SCROLLINFO*>(l);
            if (in == nullptr) return s->pos;
            if (in->fMask & SIF_RANGE) {
                s->min = in->nMin;
                s->max = std::max(in->nMin, in->nMax);
            }
            if (in->fMask & SIF_PAGE) s->page = static_cast<int>(std::min<unsigned>(in->nPage, 1u << 30));
            if (in->fMask & SIF_POS) s->pos = in->nPos;
            s->pos = std::clamp(s->pos, s->min, LastPosition(*s));
            if (w != 0) InvalidateRect(h, nullptr, true);
            return s->pos;
        }
        case SBM_GETSCROLLINFO: {
            auto* out = reinterpret_cast<SCROLLINFO*>(l);
            if (out == nullptr) return 0;
            if (out->fMask & SIF_RANGE) {
                out->nMin = s->min;
                out->nMax = s->max;
            }
            if (out->fMask & SIF_PAGE) out->nPage = static_cast<unsigned>(s->page);
            if (out->fMask & SIF_POS) out->nPos = s->pos;
            if (out->fMask & SIF_TRACKPOS) out->nTrackPos = s->pressed == 3 ? s->trackPos : s->pos;
            return 1;
        }
        case SBM_GETSCROLLBARINFO: {
            auto* out = reinterpret_cast<SCROLLBARINFO*>(l);
            if (out == nullptr) return 0;
            const ScrollParts p = PartsOf(h, *s, s->pressed == 3 ? s->trackPos : s->pos);
            GetWindowRect(h, &out->rcScrollBar);
            out->dxyLineButton = p.arrow;
            out->xyThumbTop = p.thumbStart;
            out->xyThumbBottom = p.thumbStart + p.thumbLength;
            const bool usable = LastPosition(*s) > s->min && IsWindowEnabled(h);
            for (int i = 0; i < 6; ++i)
                out->rgstate[i] = (usable ? 0u : STATE_SYSTEM_UNAVAILABLE) | (s->pressed == i && i > 0 ? STATE_SYSTEM_PRESSED : 0u);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            // The trough a shade lighter than the buttons, as the bars of the window system are.
            const HBRUSH trough = CreateSolidBrush(RGB(224, 224, 224));
            FillRect(dc, &c, trough);
            DeleteObject(AsGdiObject(trough));
            const ScrollParts p = PartsOf(h, *s, s->pressed == 3 ? s->trackPos : s->pos);
            auto span = [&](int from, int to) {
                return vert ? RECT{c.left, c.top + from, c.right, c.top + to}
                            : RECT{c.left + from, c.top, c.left + to, c.bottom};
            };
            const bool usable = LastPosition(*s) > s->min && IsWindowEnabled(h);
            for (int part : {1, 5}) {
                RECT a = part == 1 ? span(0, p.arrow) : span(p.length - p.arrow, p.length);
                const unsigned direction = vert ? (part == 1 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN)
                                                : (part == 1 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT);
                DrawFrameControl(dc, &a, DFC_SCROLL,
                                 direction | (s->pressed == part ? DFCS_PUSHED : 0u) | (usable ? 0u : DFCS_INACTIVE));
            }
            if (usable) {
                RECT t = span(p.thumbStart, p.thumbStart + p.thumbLength);
                FillRect(dc, &t, GetSysColorBrush(COLOR_BTNFACE));
                DrawEdge(dc, &t, EDGE_RAISED, BF_RECT);
            }
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN: {
            if (LastPosition(*s) <= s->min) return 0;
            const ScrollParts p = PartsOf(h, *s, s->pos);
            const int at = along(l);
            s->pressed = PartAt(p, at);
            s->trackPos = s->pos;
            SetCapture(h);
            if (s->pressed == 3) {
                s->grab = at - p.thumbStart;
            } else {
                press(s->pressed);
                // Held down, the arrow or the page keeps going, as on any scroll bar.
                SetTimer(h, kScrollRepeatTimer, kScrollRepeatDelayMs, nullptr);
                s->repeating = false;
            }
            InvalidateRect(h, nullptr, true);
            return 0;
        }
        case WM_TIMER: {
            if (w != kScrollRepeatTimer) break;
            if (s->pressed == 0 || s->pressed == 3 || GetCapture() != h) {
                KillTimer(h, kScrollRepeatTimer);
                return 0;
            }
            if (!s->repeating) {
                s->repeating = true;
                SetTimer(h, kScrollRepeatTimer, kScrollRepeatMs, nullptr);
            }
            // Paging stops once the thumb has come to the pointer.
            POINT cursor;
            GetCursorPos(&cursor);
            ScreenToClient(h, &cursor);
            const int part = PartAt(PartsOf(h, *s, s->pos), vert ? cursor.y : cursor.x);
            if (part == s->pressed) press(s->pressed);
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (s->pressed != 3 || GetCapture() != h) return 0;
            const ScrollParts p = PartsOf(h, *s, s->pos);
            const int free = p.length - 2 * p.arrow - p.thumbLength;
            const int last = LastPosition(*s);
            const int offset = std::clamp(along(l) - s->grab - p.arrow, 0, std::max(free, 0));
            const int pos = free > 0 ? s->min + static_cast<int>((static_cast<long long>(offset) * (last - s->min) +
                                                                   free / 2) / free)
                                     : s->min;
            if (pos != s->trackPos) {
                s->trackPos = pos;
                notify(SB_THUMBTRACK, pos);
                InvalidateRect(h, nullptr, true);
            }
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_CANCELMODE: {
            if (s->pressed == 0) return 0;
            KillTimer(h, kScrollRepeatTimer);
            if (GetCapture() == h) ReleaseCapture();
            // The parent reads the track position while the thumb still counts as held.
            if (s->pressed == 3) notify(SB_THUMBPOSITION, s->trackPos);
            s->pressed = 0;
            notify(SB_ENDSCROLL, s->pos);
            InvalidateRect(h, nullptr, true);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
