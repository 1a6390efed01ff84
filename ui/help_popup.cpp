#include "ui/help_popup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/resource_volume.h"
#include "ui/dialog_services.h"
#include "ui/general_dialogs.h"
#include "ui/owner_draw_library.h"
#include "ui/ui_services.h"
#include "win/compositor.h"
#include "win/dialog.h"
#include "win/file_api.h"
#include "win/input.h"
#include "win/program_entry.h"

namespace ui {
namespace {

constexpr char kClassName[] = "ZephlonHelpClass";
constexpr char kTitle[] = "Zephlon Context Help";
constexpr std::uint32_t kLinkCursor = 747;
constexpr win::COLORREF kBackground = win::RGB(255, 255, 238);
constexpr win::COLORREF kLinkColour = win::RGB(0, 128, 0);
constexpr int kWrapWidth = 320;
constexpr int kScreenMargin = 32;
// The program's picture, where the popup must stay whole.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
// Every text then ends inside the buffer, even the last one of a file without its zero byte.
constexpr std::size_t kZeroTail = 12;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string Hex(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08X", v);
    return b;
}

}  // namespace

HelpPopupHost theHelpPopupHost;
HelpPopup theHelpPopup;

std::uint32_t RemapHelpId(std::uint32_t helpId) {
    for (const HelpRemapPair* p = theHelpRemap; p->helpId != 0; ++p)
        if (p->helpId == helpId) return p->textId;
    return helpId;
}

std::vector<std::uint8_t> WriteHelpIndex(const std::vector<HelpIndexRow>& rows) {
    std::vector<std::uint8_t> out;
    auto put = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(static_cast<std::uint32_t>(rows.size()));
    std::uint32_t at = 4 + 12 * static_cast<std::uint32_t>(rows.size());
    for (const HelpIndexRow& r : rows) {
        put(r.id);
        put(at);
        put(static_cast<std::uint32_t>(r.topic));
        at += static_cast<std::uint32_t>(r.text.size()) + 1;
    }
    for (const HelpIndexRow& r : rows) {
        out.insert(out.end(), r.text.begin(), r.text.end());
        out.push_back(0);
    }
    return out;
}

void ResolveSourcePath(std::string& path, std::string_view fileName) {
    // What stands at the path, a file or not, is the installation's: it is read or refused.
    if (win::GetFileAttributes(path) != win::INVALID_FILE_ATTRIBUTES || win::IsOtherThanPlainFile(path))
        return;
    path = core::theCdRoot + "Corvex\\" + std::string(fileName);
}

HelpPopup::~HelpPopup() = default;

int HelpPopup::LoadIndexBytes(std::string_view bytes) {
    index.clear();
    rows = 0;
    indexTried = true;
    const std::uint64_t size = bytes.size();
    if (size < 4) return 0;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint64_t n = U32(b);
    // The row table must lie inside the file, and every text must start inside it.
    if (4 + 12 * n > size) return 0;
    for (std::uint64_t i = 0; i < n; ++i)
        if (U32(b + 8 + 12 * i) >= size) return 0;
    index.assign(b, b + size);
    index.resize(index.size() + kZeroTail, 0);
    rows = static_cast<std::uint32_t>(n);
    return 1;
}

void HelpPopup::LoadIndex() {
    Release();
    std::string path = kHelpIndexFile;
    ResolveSourcePath(path, kHelpIndexFile);
    std::string bytes;
    std::uint32_t error = win::ERROR_FILE_INVALID;
    if (!win::ReadTextFile(path, &bytes)) {
        indexTried = true;
        error = win::GetLastError();
        // Without an index every control gets the fallback text, and that is all.
        if (error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_PATH_NOT_FOUND) return;
    } else if (LoadIndexBytes(bytes) != 0) {
        return;
    }
    // An index that is there and cannot be used is said once, with the file and why.
    win::TraceLine("help index " + path + " not read: " + win::DescribeFileErrorAt(path, error) +
                   "; every control gets the fallback text");
    ShowFileMessage(UiMainWindow(),
                    "The help index %s cannot be read; every control shows the general help text.",
                    path, error);
}

void HelpPopup::Release() {
    index.clear();
    index.shrink_to_fit();
    rows = 0;
    indexTried = false;
    if (brush) win::DeleteObject(win::AsGdiObject(brush));
    if (normalFont) win::DeleteObject(win::AsGdiObject(normalFont));
    if (linkFont) win::DeleteObject(win::AsGdiObject(linkFont));
    brush = {};
    normalFont = {};
    linkFont = {};
    dpi = 0;
}

std::string_view HelpPopup::FindText(std::uint32_t id, std::int32_t* topic) const {
    for (std::uint32_t i = 0; i < rows; ++i) {
        const std::uint8_t* row = index.data() + 4 + 12 * static_cast<std::size_t>(i);
        if (U32(row) != id) continue;
        const auto* at = reinterpret_cast<const char*>(index.data() + U32(row + 4));
        if (topic != nullptr) *topic = static_cast<std::int32_t>(U32(row + 8));
        return std::string_view(at, std::strlen(at));
    }
    if (topic != nullptr) *topic = kNoTopic;
    return kNoHelpText;
}

std::uint32_t HelpPopup::KeyOf(win::HWND window) {
    const auto c = static_cast<std::uint32_t>(win::GetWindowLong(window, win::GWL_ID));
    if (c == win::IDOK || c == win::IDCANCEL || c == 1816 || c == 1817)
        return kSharedButtonsHelpId << 16 | c;
    if (c != 0) {
        const auto dialog =
            static_cast<std::uint32_t>(win::GetWindowLong(win::GetParent(window), win::DWL_USER));
        return dialog << 16 | (c & 0xFFFF);
    }
    return static_cast<std::uint32_t>(win::GetWindowLong(window, win::DWL_USER)) << 16;
}

void HelpPopup::MakeFonts(win::HWND owner) {
    win::HDC dc = win::GetDC(owner);
    const int want = win::GetSystemMetrics(win::SM_CXSCREEN) == 640
                         ? 96
                         : win::GetDeviceCaps(dc, win::LOGPIXELSY);
    if (want != dpi) {
        if (normalFont) win::DeleteObject(win::AsGdiObject(normalFont));
        if (linkFont) win::DeleteObject(win::AsGdiObject(linkFont));
        normalFont = {};
        linkFont = {};
        dpi = want;
    }
    if (!normalFont) normalFont = wplCreateFont(dc, "Arial", nullptr, 9, 0, dpi);
    if (!linkFont) linkFont = wplCreateFont(dc, "Arial", nullptr, 9, WPL_FONT_UNDERLINE, dpi);
    win::ReleaseDC(owner, dc);
}

void HelpPopup::Layout(win::POINT anchor) {
    win::HDC dc = win::GetDC({});
    const win::HGDIOBJ old = win::SelectObject(dc, win::AsGdiObject(normalFont));
    win::RECT r{0, 0, 0, 0};
    win::DrawText(dc, text, &r, win::DT_CALCRECT | win::DT_NOPREFIX | win::DT_SINGLELINE);
    if (r.right - r.left > kWrapWidth) {
        // A long text wraps to a box of about the golden ratio instead of one long line.
        const long long area = static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
        int width = static_cast<int>(std::sqrt(static_cast<double>(area) * 8 / 5 * 0.25) * 4);
        // A very long text would wrap wider than the screen: it keeps the screen's margins.
        width = std::min(width, kPictureWidth - 2 * kScreenMargin);
        r = win::RECT{0, 0, width, 0};
        win::DrawText(dc, text, &r, win::DT_CALCRECT | win::DT_NOPREFIX | win::DT_WORDBREAK);
    }
    win::SelectObject(dc, old);
    win::ReleaseDC({}, dc);
    const int width = r.right - r.left, height = r.bottom - r.top;
    // The popup stays on the picture: on a desktop larger than the picture (a window), the
    // screen reaches beyond it and a popup there would be cut off at the picture's edge.
    const win::POINT origin = win::OutputOrigin();
    const int left = origin.x, top = origin.y;
    const int right = left + kPictureWidth, bottom = top + kPictureHeight;
    int x = anchor.x - width / 2;
    int y = anchor.y + 24;
    if (x + width > right - kScreenMargin) x = right - width - kScreenMargin;
    if (y + height > bottom - kScreenMargin) y -= height + 48;
    if (x < left + kScreenMargin) x = left + kScreenMargin;
    if (y < top + kScreenMargin) y = top + kScreenMargin;
    // In the window's own coordinates, once it stands at (x - 8, y - 8).
    textRect = win::RECT{8, 6, 8 + width, 6 + height};
    windowRect = win::RECT{x - 8, y - 8, x + width + 8, y + height + 8};
}

bool HelpPopup::OverLink(win::LParam l) const {
    if (topic == kNoTopic) return false;
    const win::POINT p{win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l)};
    return p.x >= textRect.left && p.x < textRect.right && p.y >= textRect.top &&
           p.y < textRect.bottom;
}

void HelpPopup::Show(win::HWND target, std::uint32_t id) {
    if (!target && id == 0) return;
    if (window) return;  // one popup at a time
    if (!indexTried) LoadIndex();
    win::POINT cursor;
    win::GetCursorPos(&cursor);

    const std::uint32_t key = KeyOf(target);
    win::POINT anchor = cursor;
    std::uint32_t lookup = id;
    if (id == 0) {
        lookup = RemapHelpId(key);
        win::RECT r;
        win::GetWindowRect(target, &r);
        anchor = win::POINT{r.left, (r.top + r.bottom) / 2};
    }
    std::int32_t found = kNoTopic;
    text = std::string(FindText(lookup, &found));
    topic = found;
    topicClicked = 0;
    closingButtonUp = 0;

    if (!brush) brush = win::CreateSolidBrush(kBackground);
    win::WNDCLASS existing;
    if (!win::GetClassInfo({}, kClassName, &existing)) {
        win::WNDCLASS wc;
        wc.wndProc = &HelpPopup::WindowProc;
        wc.icon = win::LoadIcon({}, win::IDI_APPLICATION);
        wc.background = brush;
        wc.className = kClassName;
        win::RegisterClass(wc);
    }
    MakeFonts(target);
    Layout(anchor);
    win::TraceLine("help popup " + Hex(key) + " (" + std::to_string(lookup) + "): " + text);

    if (theHelpPopupHost.pauseTime) theHelpPopupHost.pauseTime(1);
    if (theHelpPopupHost.freezeView) theHelpPopupHost.freezeView(1);
    const win::HWND made = win::CreateWindowEx(
        0, kClassName, kTitle, win::WS_POPUP | win::WS_BORDER, windowRect.left, windowRect.top,
        windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, target, {}, {},
        reinterpret_cast<win::LParam>(this));
    if (made) {
        win::SetWindowLong(made, win::GWL_USERDATA, reinterpret_cast<win::LParam>(this));
        window = made;
        win::ShowWindow(made, win::SW_SHOW);
        win::UpdateWindow(made);
        if (theHelpPopupHost.closeWhenShown) win::PostMessage(made, win::WM_USER, 0, 0);
        while (win::IsWindow(made)) {
            win::MSG m;
            const int got = win::GetMessage(&m, {}, 0, 0);
            if (got == 0) {
                // The program is ending: the outer loop hears the quit too.
                win::PostQuitMessage(static_cast<int>(m.wParam));
                break;
            }
            if (got < 0) break;
            // A key closes the popup, whichever window has the keyboard; the key goes no further.
            if (m.message == win::WM_KEYDOWN || m.message == win::WM_SYSKEYDOWN) {
                Close(made, false);
                continue;
            }
            win::TranslateMessage(&m);
            win::DispatchMessage(&m);
        }
        if (win::IsWindow(made)) win::DestroyWindow(made);
        window = {};
    }
    if (topicClicked && topic != kNoTopic) {
        win::TraceLine("help popup link " + std::to_string(topic));
        OpenPopupHelpTopic(kHelpCommandContext, static_cast<unsigned long>(topic));
    }
    if (theHelpPopupHost.freezeView) theHelpPopupHost.freezeView(0);
    if (theHelpPopupHost.pauseTime) theHelpPopupHost.pauseTime(0);
}

void HelpPopup::Close(win::HWND h, bool byClick) {
    closingButtonUp = 0;
    if (win::GetCapture() == h) win::ReleaseCapture();
    if (byClick && theHelpPopupHost.suppressLeftUp) theHelpPopupHost.suppressLeftUp();
    win::PostMessage(h, win::WM_USER, 0, 0);
}

win::LResult HelpPopup::WindowProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    using namespace win;
    auto* self = reinterpret_cast<HelpPopup*>(GetWindowLong(h, GWL_USERDATA));
    if (m == WM_CREATE) {
        self = reinterpret_cast<HelpPopup*>(reinterpret_cast<const CREATESTRUCT*>(l)->createParams);
        SetWindowLong(h, GWL_USERDATA, reinterpret_cast<LParam>(self));
        if (self != nullptr) self->closing = false;
        SetCapture(h);
        return 0;
    }
    if (self == nullptr) return DefWindowProc(h, m, w, l);
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT client;
            GetClientRect(h, &client);
            FillRect(dc, &client, self->brush);
            SetBkMode(dc, TRANSPARENT);
            const bool link = self->topic != kNoTopic;
            SetTextColor(dc, link ? kLinkColour : RGB(0, 0, 0));
            const HGDIOBJ old =
                SelectObject(dc, AsGdiObject(link ? self->linkFont : self->normalFont));
            RECT r = self->textRect;
            DrawText(dc, self->text, &r, DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
            FrameRect(dc, &client,
                      HBRUSH{static_cast<std::uint32_t>(GetStockObject(BLACK_BRUSH).id)});
            EndPaint(h, &ps);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (self->OverLink(l)) {
                if (theHelpPopupHost.setProgramCursor)
                    theHelpPopupHost.setProgramCursor(kLinkCursor);
            } else if (theHelpPopupHost.dialogDepth && theHelpPopupHost.dialogDepth() > 0) {
                SetCursor(LoadCursor({}, IDC_ARROW));
            } else if (theHelpPopupHost.setProgramCursor) {
                theHelpPopupHost.setProgramCursor(IDC_ARROW);
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (m == WM_LBUTTONDOWN && self->OverLink(l)) self->topicClicked = 1;
            // Closed when the button is let go, which the popup still hears.
            if (self->closingButtonUp == 0) self->closingButtonUp = m + 1;
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (self->closingButtonUp == m) self->Close(h, true);
            return 0;
        case WM_CAPTURECHANGED:
            // Losing the mouse while a press was closing it ends the popup.
            if (self->closingButtonUp != 0) self->Close(h, true);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            self->Close(h, false);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(w) == WA_INACTIVE) self->Close(h, false);
            return 0;
        case WM_USER:
            if (!self->closing) {
                self->closing = true;
                DestroyWindow(h);
            }
            return 0;
        case WM_DESTROY:
            if (GetCapture() == h) ReleaseCapture();
            self->window = {};
            SetWindowLong(h, GWL_USERDATA, 0);
            return 0;
        default:
            return DefWindowProc(h, m, w, l);
    }
}

}  // namespace ui
