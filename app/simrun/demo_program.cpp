// A small program of the window system, run by simrun until the simulator exists: one main
// window with a 640×480 8-bit picture (a palette ramp with a moving block), a 250 ms timer, an
// accelerator table, and a message box made of plain windows for the script to answer.
#include "demo_program.h"

#include <cstdio>
#include <string>

#include "win/compositor.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/modal.h"
#include "win/program_entry.h"
#include "win/timing.h"
#include "win/window.h"
#include "win/window_surface.h"

namespace simrun {
namespace {

using namespace win;

constexpr int kCmdOpen = 159;
constexpr int kCmdPause = 464;
constexpr int kCmdExit = 168;
constexpr int kCmdRecolour = 692;
constexpr int kCmdStatusLine = 712;

HWND theMain;
std::uint64_t theFrames = 0;
std::uint64_t theTimerTicks = 0;
bool thePaused = false;
bool theStatusLine = false;
int thePaletteShift = 0;

std::string Format(const char* fmt, long long a, long long b = 0, long long c = 0) {
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::array<std::uint32_t, 256> Ramp(int shift) {
    std::array<std::uint32_t, 256> p{};
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>((i + shift) & 0xFF);
        p[static_cast<std::size_t>(i)] = (v << 16) | ((255 - v) << 8) | (v / 2);
    }
    p[255] = 0xFFFFFF;
    return p;
}

void DrawFrame() {
    WindowSurface* s = GetWindowSurface(theMain);
    if (s == nullptr || s->format != SurfaceFormat::Indexed8) return;
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x)
            s->indices[static_cast<std::size_t>(y) * s->width + x] =
                static_cast<std::uint8_t>((x * 256) / s->width);
    // A white block that moves one step a frame, so frames differ.
    const int bx = static_cast<int>((theFrames * 4) % static_cast<std::uint64_t>(s->width - 32));
    for (int y = 400; y < 432 && y < s->height; ++y)
        for (int x = bx; x < bx + 32; ++x)
            s->indices[static_cast<std::size_t>(y) * s->width + x] = 255;
    MarkWindowSurfaceDrawn(theMain);
}

// ---- The message box: a captioned popup with a text window and buttons ----------------------

LResult ButtonProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_LBUTTONDOWN:
            SetCapture(h);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == h) {
                ReleaseCapture();
                const int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
                RECT r;
                GetClientRect(h, &r);
                if (x >= 0 && y >= 0 && x < r.right && y < r.bottom)
                    SendMessage(GetParent(h), WM_COMMAND,
                                MAKEWPARAM(static_cast<std::uint16_t>(GetDlgCtrlID(h)), BN_CLICKED),
                                static_cast<LParam>(h.id));
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            if (WindowSurface* s = GetWindowSurface(h))
                std::fill(s->pixels.begin(), s->pixels.end(), 0xC0C0C0u);
            EndPaint(h, &ps);
            return 0;
        }
        default:
            return DefWindowProc(h, m, w, l);
    }
}

LResult BoxProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_COMMAND:
            EndDialog(h, LOWORD(w));
            return 0;
        case WM_CLOSE:
            EndDialog(h, IDCANCEL);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            if (WindowSurface* s = GetWindowSurface(h))
                std::fill(s->pixels.begin(), s->pixels.end(), 0xFFFFE0u);
            EndPaint(h, &ps);
            return 0;
        }
        default:
            return DefWindowProc(h, m, w, l);
    }
}

// Buttons: ids 6 (Yes), 7 (No), 1 (OK), 2 (Cancel), as the message box uses them.
int MessageBoxDemo(HWND owner, const std::string& text, bool yesNo) {
    HWND box = CreateWindowEx(0, "DemoBox", "Zephlon", WS_POPUP | WS_CAPTION | WS_SYSMENU, 170, 170,
                              300, 120, owner, {}, {}, 0);
    if (!box) return -1;
    SetWindowTemplateName(box, "GENERIC");
    CreateWindowEx(0, "DemoButton", text, WS_CHILD | WS_VISIBLE, 10, 10, 270, 30, box, HMENU{2023},
                   {}, 0);
    struct B {
        const char* label;
        int id;
    };
    const B yn[] = {{"Yes", IDYES}, {"No", IDNO}};
    const B ok[] = {{"&OK", IDOK}};
    const B* buttons = yesNo ? yn : ok;
    const int count = yesNo ? 2 : 1;
    for (int i = 0; i < count; ++i)
        CreateWindowEx(0, "DemoButton", buttons[i].label, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                       30 + i * 130, 60, 100, 24, box,
                       HMENU{static_cast<std::uint32_t>(buttons[i].id)}, {}, 0);
    TraceLine("message box: " + text);
    const std::intptr_t result = RunModalLoop(box);
    DestroyWindow(box);
    TraceLine(Format("message box result: %lld", static_cast<long long>(result)));
    return static_cast<int>(result);
}

LResult MainProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_CREATE:
            SetWindowSurfaceFormat(h, SurfaceFormat::Indexed8);
            SetWindowSurfacePalette(h, Ramp(0));
            if (SetTimer(h, 1, 250, nullptr) == 0) return -1;
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_TIMER:
            ++theTimerTicks;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            DrawFrame();
            EndPaint(h, &ps);
            return 0;
        }
        case WM_COMMAND:
            TraceLine(Format("command %lld (%lld)", LOWORD(w), HIWORD(w)));
            switch (LOWORD(w)) {
                case kCmdOpen:
                    MessageBoxDemo(h, "Open a flight plan?", true);
                    break;
                case kCmdPause:
                    thePaused = !thePaused;
                    break;
                case kCmdRecolour:
                    thePaletteShift += 64;
                    SetWindowSurfacePalette(h, Ramp(thePaletteShift));
                    break;
                case kCmdExit:
                    PostMessage(h, WM_CLOSE, 0, 0);
                    break;
                case kCmdStatusLine:
                    theStatusLine = !theStatusLine;
                    break;
                default:
                    MessageBoxDemo(h, "Not yet implemented!", false);
                    break;
            }
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            TraceLine(Format("key down %lld repeat %lld scan %lld", static_cast<long long>(w),
                             l & 0xFFFF, (l >> 16) & 0x1FF));
            return m == WM_SYSKEYDOWN ? DefWindowProc(h, m, w, l) : 0;
        case WM_INITMENUPOPUP:
            // The marks are set just before the popup is drawn, as the program's menus do.
            TraceLine("init menu popup");
            CheckMenuItem(HMENU{static_cast<std::uint32_t>(w)}, kCmdStatusLine,
                          theStatusLine ? MF_CHECKED : MF_UNCHECKED);
            CheckMenuItem(HMENU{static_cast<std::uint32_t>(w)}, kCmdPause,
                          thePaused ? MF_CHECKED : MF_UNCHECKED);
            return 0;
        case WM_ENTERMENULOOP:
            TraceLine("enter menu loop");
            return 0;
        case WM_EXITMENULOOP:
            TraceLine("exit menu loop");
            return 0;
        case WM_MOUSEMOVE: {
            // The menu bar shows over the picture while the mouse is at the top of the screen.
            const bool top = GET_Y_LPARAM(l) < GetSystemMetrics(SM_CYMENU);
            if (top != IsMenuOverlayShown(h)) {
                ShowMenuOverlay(h, top);
                TraceLine(top ? "menu bar shown" : "menu bar hidden");
            }
            return 0;
        }
        case WM_CHAR:
            TraceLine(Format("char %lld", static_cast<long long>(w)));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            TraceLine(Format(m == WM_RBUTTONDOWN   ? "right down %lld %lld"
                             : m == WM_LBUTTONDOWN ? "left down %lld %lld"
                                                   : "left double %lld %lld",
                             GET_X_LPARAM(l), GET_Y_LPARAM(l)));
            return 0;
        case WM_CLOSE:
            TraceLine("close");
            DestroyWindow(h);
            return 0;
        default:
            return DefWindowProc(h, m, w, l);
    }
}

int DemoMain(const std::string&) {
    theFrames = theTimerTicks = 0;
    thePaused = false;
    theStatusLine = false;
    thePaletteShift = 0;
    WNDCLASS wc;
    wc.style = CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNCLIENT;
    wc.wndProc = MainProc;
    wc.cursor = LoadCursor({}, IDC_ARROW);
    wc.className = "ZephlonDemo";
    if (RegisterClass(wc) == 0) return -1;
    wc = WNDCLASS{};
    wc.wndProc = BoxProc;
    wc.className = "DemoBox";
    RegisterClass(wc);
    wc.wndProc = ButtonProc;
    wc.className = "DemoButton";
    RegisterClass(wc);
    HACCEL accel = CreateAcceleratorTable({ACCEL{FVIRTKEY | FCONTROL, 'O', kCmdOpen},
                                           ACCEL{FVIRTKEY, 'P', kCmdPause},
                                           ACCEL{FVIRTKEY | FCONTROL, 'B', kCmdRecolour}});
    InstallMenuSupport();
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, kCmdOpen, "&Open...\tCtrl+O");
    AppendMenu(file, MF_STRING, kCmdPause, "&Pause\tP");
    AppendMenu(file, MF_SEPARATOR, 0, "");
    AppendMenu(file, MF_STRING, kCmdExit, "E&xit");
    HMENU view = CreatePopupMenu();
    AppendMenu(view, MF_STRING, kCmdRecolour, "&Recolour\tCtrl+B");
    AppendMenu(view, MF_STRING, kCmdStatusLine, "&Status line");
    AppendMenu(bar, MF_POPUP, file, "&File");
    AppendMenu(bar, MF_POPUP, view, "&View");
    // The client fills the 640×480 screen; caption, menu band and frame lie above and around
    // it, out of view, as in full screen.
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, 0x000B0000, true);
    theMain = CreateWindowEx(0, "ZephlonDemo", "Zephlon", 0x000B0000, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    if (!theMain) return 0;
    SetMenu(theMain, bar);
    SetDisplayWindow(theMain);
    ShowWindow(theMain, SW_SHOWNORMAL);
    UpdateWindow(theMain);
    TraceLine("demo started");
    MSG m;
    for (;;) {
        if (!PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            // The idle step: one frame.
            if (!thePaused) {
                ++theFrames;
                DrawFrame();
            }
            continue;
        }
        if (m.message == WM_QUIT) break;
        if (TranslateAccelerator(theMain, accel, &m)) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    DestroyAcceleratorTable(accel);
    TraceLine(Format("demo ended after %lld timer ticks", static_cast<long long>(theTimerTicks)));
    return static_cast<int>(m.wParam);
}

}  // namespace

win::ProgramEntry DemoProgram() {
    win::ProgramEntry e;
    e.name = "demo";
    e.winMain = DemoMain;
    e.ticks = [] { return std::uint64_t{0}; };
    e.frames = [] { return theFrames; };
    return e;
}

}  // namespace simrun
