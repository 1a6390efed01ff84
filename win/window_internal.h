// The window system's own bookkeeping, shared by its source files and by nothing else.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "win/compositor.h"
#include "win/input.h"
#include "win/window.h"
#include "win/window_surface.h"

namespace win::detail {

struct ClassData {
    WNDCLASS wc;
    std::uint16_t atom = 0;
};

struct WindowData {
    HWND handle;
    std::string className;
    std::uint32_t classStyle = 0;
    HCURSOR classCursor;
    WNDPROC proc = nullptr;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::string text;
    HWND parent;  // child windows only
    HWND owner;   // top-level windows only
    HMENU menu;
    int id = 0;
    HINSTANCE instance;
    RECT rect;  // window rectangle, screen coordinates
    std::intptr_t userData = 0;
    std::map<int, std::intptr_t> extra;
    std::vector<HWND> children;       // top of the z-order first
    std::optional<RECT> invalid;      // client coordinates
    std::optional<RECT> frameInsets;  // a frame drawn by the window's own procedure
    bool eraseWanted = false;
    bool destroying = false;
    bool createdSizeSent = false;
    HWND lastActivePopup;
    std::string templateName;  // the dialog template the window was made from
    WindowSurface surface;
    std::map<std::string, std::intptr_t> props;  // SetProp, by lower-case name
    // A dialog ended by EndDialog before its modal loop began (in WM_INITDIALOG).
    bool dialogEnded = false;
    std::intptr_t dialogResult = 0;
};

struct Timer {
    HWND hwnd;
    std::uintptr_t id = 0;
    std::uint32_t interval = 0;
    std::uint32_t due = 0;
    TIMERPROC proc = nullptr;
    bool pending = false;
};

struct ModalFrame {
    HWND dialog;
    bool ended = false;
    std::intptr_t result = 0;
};

// A queued message. Mouse input keeps its screen point (`pt`) and the buttons held with it: the
// window it goes to and its client point are settled when it is taken, as the program then
// sees the windows (a press that took the capture has the release that was queued behind it
// go to the capturing window; a window moved meanwhile gets the point in its new place).
struct QueuedMessage : MSG {
    QueuedMessage() = default;
    explicit QueuedMessage(const MSG& m) : MSG(m) {}
    bool mouseInput = false;
    unsigned keyFlags = 0;  // MK_ flags when the input came
};

struct State {
    std::unordered_map<std::string, ClassData> classes;  // lower-case names
    std::uint16_t nextAtom = 0xC000;
    std::unordered_map<std::uint32_t, std::unique_ptr<WindowData>> windows;
    std::vector<HWND> topLevel;  // z-order, top first
    std::uint32_t nextWindowId = 0x100;

    std::deque<QueuedMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::uintptr_t nextTimerId = 0x7F00;
    std::uint32_t lastMessageTime = 0;
    POINT lastMessagePos;

    HWND active;
    HWND lastActive;
    HWND focus;
    HWND capture;
    bool appActive = false;

    int screenWidth = platform::kFrameWidth;
    int screenHeight = platform::kFrameHeight;
    bool screenSizeSet = false;

    POINT cursorPos;
    std::vector<ModalFrame> modal;

    struct Hook {
        std::uint32_t id = 0;
        LResult (*proc)(int, WParam, LParam) = nullptr;
    };
    std::vector<Hook> cbtHooks;  // the latest first
    std::uint32_t nextHookId = 1;
    bool contextHelpMode = false;
};

State& S();
WindowData* Find(HWND hwnd);
HWND TopLevelOf(HWND hwnd);
bool IsVisibleChain(HWND hwnd);
// The window and every window it lies in (up to its top-level window) are enabled: a control of
// a dialog disabled under its own message box takes no input although it is enabled itself.
bool IsEnabledChain(HWND hwnd);
RECT ClientRectScreen(const WindowData& w);
// Frame thickness, caption and menu band of a window, in pixels.
struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
    int caption = 0, band = 0, frame = 0;
};
Insets NonClientInsets(const WindowData& w);
int MenuBandHeight(HWND hwnd);
const MenuBarHooks& GetMenuBarHooks();
void Activate(HWND hwnd, bool byClick);
void SetAppActive(bool active);
std::uint32_t NowMs();

// The CBT hooks' HCBT_CREATEWND for a window about to get WM_NCCREATE; true when a hook refused.
bool RunCreateHooks(HWND hwnd, CREATESTRUCT* cs);
// Registers the standard and common control classes when they are not registered yet; true when
// a class was added.
bool RegisterSystemClasses();

// Input from the platform, turned into queue messages (keyboard.cpp, mouse in message_queue.cpp).
void HandleKeyEvent(const platform::Event& event);
void PostInputMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);
// True while mouse input waits in the queue.
bool MouseInputQueued();
void SetKeyDown(unsigned vk, bool down);
bool KeyIsDown(unsigned vk);
// Brings GetKeyState's table up to a key message the program has just taken from the queue.
void KeyMessageTaken(const MSG& m);
// True while Alt (or F10) went down and up with no other key in between: its release opens the
// menu.
bool MenuKeyAlone();
void ResetKeys();
std::uint32_t JoystickChangeCount();
std::uint32_t JoystickArrivalCount();
// The cursor shape of the display after WM_SETCURSOR; the compositor presents it.
void ApplyCursor();
void ResetCursors();
// Called when the queue runs dry: presents the composed frame if anything changed.
void PresentIfChanged();
// After the display window moved: the platform's window is put where the picture now lies on
// the screen (only while the picture is a window on a larger screen).
void FollowDisplayWindow(HWND moved);
// The user moved the platform's window: the display window moves with it, as a window moved by
// its caption does, so the program learns the place it keeps.
void DisplayWindowMovedTo(POINT pictureTopLeft);
// Called by the pump: a first copy answers a second one's requests.
void ServiceSingleInstance();
// Destroys every window and forgets queue, timers, focus and keys (tests and the runner start
// from a clean machine).
void ResetWindowSystem();
// A proxy window handle standing for the first copy's main window (single instance).
inline constexpr std::uint32_t kRemoteWindowId = 0xFFFFFF00u;
bool RemoteRequest(const std::string& request);

}  // namespace win::detail
