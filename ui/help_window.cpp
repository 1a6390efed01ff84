#include "ui/help_window.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/text_lines.h"
#include "ui/dialog_services.h"
#include "ui/general_dialogs.h"
#include "ui/help_popup.h"
#include "ui/owner_draw_library.h"
#include "ui/ui_services.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace ui {
namespace {

constexpr char kHelpWindowClassName[] = "ZephlonHelpWindow";
constexpr char kCaption[] = "Zephlon Help";
constexpr int kWidth = 420;
constexpr int kHeight = 400;
constexpr int kMargin = 8;
constexpr int kScrollWidth = 16;
constexpr int kButtonHeight = 24;
constexpr int kLine = 16;  // a wheel or arrow step
constexpr int kIndexButton = 1;
constexpr int kCloseButton = 2;
constexpr int kScrollBarId = 3;
constexpr win::COLORREF kHelpWindowLinkColour = win::RGB(0, 128, 0);
// A topic file far larger than any help text is not read.
constexpr std::size_t kMaxFileBytes = 4u << 20;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

bool ParseId(std::string_view s, std::uint32_t* id) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), *id);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

HelpWindow theHelpWindow;

// ---- the topic file ---------------------------------------------------------------------------

int HelpTopicFile::Parse(std::string_view text) {
    topics.clear();
    HelpTopic current;
    bool inTopic = false;
    std::string paragraph;
    auto endParagraph = [&] {
        if (inTopic && !paragraph.empty()) current.paragraphs.push_back(paragraph);
        paragraph.clear();
    };
    auto endTopic = [&] {
        endParagraph();
        if (inTopic && Find(current.id) == nullptr) topics.push_back(std::move(current));
        current = HelpTopic{};
        inTopic = false;
    };
    std::string_view line;
    while (core::NextLine(text, &line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == ';') continue;
        if (!line.empty() && line[0] == '#') {
            endTopic();
            std::string_view rest = line.substr(1);
            const std::size_t space = rest.find_first_of(" \t");
            std::uint32_t id = 0;
            if (ParseId(rest.substr(0, space), &id) && space != std::string_view::npos) {
                current.id = id;
                current.title = std::string(Trim(rest.substr(space)));
                inTopic = !current.title.empty();
            }
            continue;
        }
        if (!inTopic) continue;
        if (line.empty()) {
            endParagraph();
        } else if (StartsWithNoCase(line, "see:")) {
            endParagraph();
            std::string_view ids = line.substr(4);
            while (!ids.empty()) {
                ids = Trim(ids);
                const std::size_t sep = ids.find_first_of(" ,\t");
                std::uint32_t id = 0;
                if (ParseId(ids.substr(0, sep), &id)) current.links.push_back(id);
                ids = sep == std::string_view::npos ? std::string_view{} : ids.substr(sep + 1);
            }
        } else if (StartsWithNoCase(line, "index:")) {
            endParagraph();
            std::string_view words = line.substr(6);
            while (!words.empty()) {
                const std::size_t sep = words.find(';');
                const std::string_view w = Trim(words.substr(0, sep));
                if (!w.empty()) current.keywords.emplace_back(w);
                words = sep == std::string_view::npos ? std::string_view{} : words.substr(sep + 1);
            }
        } else {
            if (!paragraph.empty()) paragraph += ' ';
            paragraph += line;
        }
    }
    endTopic();
    return static_cast<int>(topics.size());
}

int HelpTopicFile::Load(const std::string& path) {
    std::string bytes;
    readError = win::ERROR_SUCCESS;
    bool read = false;
    if (!win::ReadTextFile(path, &bytes)) {
        const std::uint32_t error = win::GetLastError();
        if (error != win::ERROR_FILE_NOT_FOUND && error != win::ERROR_PATH_NOT_FOUND)
            readError = error == win::ERROR_SUCCESS ? win::ERROR_READ_FAULT : error;
        bytes.clear();
    } else if (bytes.size() > kMaxFileBytes) {
        readError = win::ERROR_FILE_TOO_LARGE;
        bytes.clear();
    } else {
        read = true;
    }
    const int topicsRead = Parse(bytes);
    // A file that was read and holds no topic at all (an empty one) is no help file.
    if (read && topicsRead == 0) readError = win::ERROR_FILE_INVALID;
    return topicsRead;
}

const HelpTopic* HelpTopicFile::Find(std::uint32_t id) const {
    for (const HelpTopic& t : topics)
        if (t.id == id) return &t;
    return nullptr;
}

std::vector<HelpIndexEntry> HelpTopicFile::Index() const {
    std::vector<HelpIndexEntry> index;
    for (const HelpTopic& t : topics) {
        // A word that only repeats the topic's title, or a word before it, in another case
        // ("Altimeter" and "altimeter") is listed once.
        std::vector<std::string> listed = {Lower(t.title)};
        index.push_back({t.title, t.id});
        for (const std::string& k : t.keywords) {
            if (std::find(listed.begin(), listed.end(), Lower(k)) != listed.end()) continue;
            listed.push_back(Lower(k));
            index.push_back({k, t.id});
        }
    }
    std::stable_sort(index.begin(), index.end(),
                     [](const HelpIndexEntry& a, const HelpIndexEntry& b) {
                         return Lower(a.label) < Lower(b.label);
                     });
    return index;
}

// ---- the window -------------------------------------------------------------------------------

void HelpWindow::Load() {
    std::string path = kHelpTopicFile;
    ResolveSourcePath(path, kHelpTopicFile);
    file.Load(path);
    if (file.ReadError() == win::ERROR_SUCCESS) return;
    // Something stands where the help file should be and cannot be read: the window shows no
    // topics, and the user learns why, once a session (the help is read again each time it is
    // opened, and a file put right meanwhile is read).
    win::TraceLine("help: " + path + " not read: " + win::DescribeFileError(file.ReadError()));
    if (unreadableTold) return;
    unreadableTold = true;
    ShowFileMessage(UiMainWindow(), "The help file %s cannot be read; the help shows no topics.",
                    path, file.ReadError());
}

bool HelpWindow::Open() {
    if (window && win::IsWindow(window)) return true;
    win::WNDCLASS existing;
    if (!win::GetClassInfo({}, kHelpWindowClassName, &existing)) {
        win::WNDCLASS wc;
        wc.wndProc = &HelpWindow::WindowProc;
        wc.background = win::GetSysColorBrush(win::COLOR_WINDOW);
        wc.className = kHelpWindowClassName;
        win::RegisterClass(wc);
    }
    // Centred on the picture, which is all of the screen the user sees.
    const win::RECT view = win::PictureRect();
    window = win::CreateWindowEx(0, kHelpWindowClassName, kCaption,
                                 win::WS_POPUP | win::WS_CAPTION | win::WS_SYSMENU,
                                 view.left + (view.right - view.left - kWidth) / 2,
                                 view.top + (view.bottom - view.top - kHeight) / 2, kWidth, kHeight,
                                 UiMainWindow(), {}, {}, reinterpret_cast<win::LParam>(this));
    if (!window) return false;
    win::RECT c;
    win::GetClientRect(window, &c);
    const int buttonY = c.bottom - kMargin - kButtonHeight;
    win::CreateWindowEx(0, win::WC_BUTTON, "&Index",
                        win::WS_CHILD | win::WS_VISIBLE | win::BS_PUSHBUTTON, kMargin, buttonY, 80,
                        kButtonHeight, window, win::HMENU{kIndexButton}, {}, 0);
    win::CreateWindowEx(0, win::WC_BUTTON, "&Close",
                        win::WS_CHILD | win::WS_VISIBLE | win::BS_PUSHBUTTON,
                        c.right - kMargin - 80, buttonY, 80, kButtonHeight, window,
                        win::HMENU{kCloseButton}, {}, 0);
    scrollBar = win::CreateWindowEx(0, win::WC_SCROLLBAR, "", win::WS_CHILD | win::SBS_VERT,
                                    c.right - kMargin - kScrollWidth, kMargin, kScrollWidth,
                                    buttonY - 2 * kMargin, window, win::HMENU{kScrollBarId}, {}, 0);
    win::HDC dc = win::GetDC(window);
    titleFont = wplCreateFont(dc, "Arial", nullptr, 12, WPL_FONT_BOLD, 96);
    textFont = wplCreateFont(dc, "Arial", nullptr, 9, 0, 96);
    linkFont = wplCreateFont(dc, "Arial", nullptr, 9, WPL_FONT_UNDERLINE, 96);
    win::ReleaseDC(window, dc);
    win::ShowWindow(window, win::SW_SHOW);
    return true;
}

win::RECT HelpWindow::View() const {
    win::RECT c;
    win::GetClientRect(window, &c);
    return win::RECT{kMargin, kMargin, c.right - 2 * kMargin - kScrollWidth,
                     c.bottom - 2 * kMargin - kButtonHeight};
}

void HelpWindow::Lay(const std::vector<Row>& content) {
    rows = content;
    const win::RECT view = View();
    const int width = view.right - view.left;
    win::HDC dc = win::GetDC(window);
    int y = 0;
    for (Row& r : rows) {
        const win::HFONT font = r.kind == Row::kTitle  ? titleFont
                                : r.kind == Row::kLink ? linkFont
                                                       : textFont;
        const win::HGDIOBJ old = win::SelectObject(dc, win::AsGdiObject(font));
        win::RECT m{0, 0, width, 0};
        win::DrawText(dc, r.text, &m, win::DT_CALCRECT | win::DT_WORDBREAK | win::DT_NOPREFIX);
        win::SelectObject(dc, old);
        // Links are only as wide as their words, so a click beside one misses it.
        r.rect = win::RECT{0, y, r.kind == Row::kLink ? std::min(width, m.right) : width,
                           y + (m.bottom - m.top)};
        y = r.rect.bottom + (r.kind == Row::kLink ? 2 : 8);
    }
    win::ReleaseDC(window, dc);
    contentHeight = y;
    const int range = std::max(0, contentHeight - (view.bottom - view.top));
    win::SendMessage(scrollBar, win::SBM_SETRANGE, 0, range);
    win::ShowWindow(scrollBar, range > 0 ? win::SW_SHOW : win::SW_HIDE);
    scroll = -1;
    ScrollTo(0);
}

void HelpWindow::ScrollTo(int offset) {
    const win::RECT view = View();
    offset = std::clamp(offset, 0, std::max(0, contentHeight - (view.bottom - view.top)));
    if (offset == scroll) return;
    scroll = offset;
    win::SendMessage(scrollBar, win::SBM_SETPOS, static_cast<win::WParam>(scroll), 1);
    win::InvalidateRect(window, nullptr, true);
}

void HelpWindow::ShowTopic(std::uint32_t id) {
    Load();
    if (!Open()) return;
    std::vector<Row> content;
    const HelpTopic* t = file.Find(id);
    if (t == nullptr) {
        content.push_back({Row::kText, kNoHelpText, 0, {}});
        win::TraceLine("help topic " + std::to_string(id) + ": " + kNoHelpText);
    } else {
        content.push_back({Row::kTitle, t->title, 0, {}});
        for (const std::string& p : t->paragraphs)
            content.push_back({Row::kText, p, 0, {}});
        bool first = true;
        for (std::uint32_t link : t->links) {
            const HelpTopic* to = file.Find(link);
            if (to == nullptr) continue;  // a link to nothing is not offered
            if (first) content.push_back({Row::kText, "Related topics:", 0, {}});
            first = false;
            content.push_back({Row::kLink, to->title, to->id, {}});
        }
        win::TraceLine("help topic " + std::to_string(id) + ": " + t->title);
    }
    showingIndex = false;
    shownTopic = id;
    win::SetWindowText(window, std::string(kCaption) + (t != nullptr ? " - " + t->title : ""));
    Lay(content);
}

void HelpWindow::ShowIndex() {
    Load();
    if (!Open()) return;
    std::vector<Row> content;
    content.push_back({Row::kTitle, "Index", 0, {}});
    const std::vector<HelpIndexEntry> index = file.Index();
    if (index.empty()) content.push_back({Row::kText, "The help file has no topics.", 0, {}});
    for (const HelpIndexEntry& e : index)
        content.push_back({Row::kLink, e.label, e.topic, {}});
    win::TraceLine("help index: " + std::to_string(index.size()) + " entries");
    showingIndex = true;
    shownTopic = 0;
    win::SetWindowText(window, std::string(kCaption) + " - Index");
    Lay(content);
}

void HelpWindow::Close() {
    if (window && win::IsWindow(window)) win::DestroyWindow(window);
    window = {};
}

win::POINT HelpWindow::RowPoint(std::size_t i) const {
    const win::RECT view = View();
    const Row& r = rows.at(i);
    win::POINT p{view.left + (r.rect.left + r.rect.right) / 2,
                 view.top + (r.rect.top + r.rect.bottom) / 2 - scroll};
    win::ClientToScreen(window, &p);
    return p;
}

void HelpWindow::Paint(win::HDC dc) {
    // The margins, the button row and the scroll bar's place while it is hidden are the page's
    // colour too.
    win::RECT client;
    win::GetClientRect(window, &client);
    win::FillRect(dc, &client, win::GetSysColorBrush(win::COLOR_WINDOW));
    // Rows are drawn into a picture of the view, so a row cut by its edge stays inside it.
    const win::RECT view = View();
    const int w = view.right - view.left, h = view.bottom - view.top;
    if (w <= 0 || h <= 0) return;
    win::HDC memory = win::CreateCompatibleDC(dc);
    win::HBITMAP picture = win::CreateCompatibleBitmap(dc, w, h);
    const win::HGDIOBJ oldBitmap = win::SelectObject(memory, win::AsGdiObject(picture));
    win::RECT all{0, 0, w, h};
    win::FillRect(memory, &all, win::GetSysColorBrush(win::COLOR_WINDOW));
    win::SetBkMode(memory, win::TRANSPARENT);
    for (const Row& r : rows) {
        win::RECT at{r.rect.left, r.rect.top - scroll, r.rect.right, r.rect.bottom - scroll};
        if (at.bottom < 0 || at.top > h) continue;
        const win::HFONT font = r.kind == Row::kTitle  ? titleFont
                                : r.kind == Row::kLink ? linkFont
                                                       : textFont;
        const win::HGDIOBJ old = win::SelectObject(memory, win::AsGdiObject(font));
        win::SetTextColor(memory, r.kind == Row::kLink ? kHelpWindowLinkColour : win::RGB(0, 0, 0));
        win::DrawText(memory, r.text, &at, win::DT_WORDBREAK | win::DT_NOPREFIX);
        win::SelectObject(memory, old);
    }
    win::BitBlt(dc, view.left, view.top, w, h, memory, 0, 0, win::SRCCOPY);
    win::SelectObject(memory, oldBitmap);
    win::DeleteObject(win::AsGdiObject(picture));
    win::DeleteDC(memory);
}

void HelpWindow::Click(win::POINT p) {
    const win::RECT view = View();
    const int x = p.x - view.left, y = p.y - view.top + scroll;
    if (p.y < view.top || p.y >= view.bottom) return;
    for (const Row& r : rows)
        if (r.kind == Row::kLink && x >= r.rect.left && x < r.rect.right && y >= r.rect.top &&
            y < r.rect.bottom) {
            const std::uint32_t to = r.topic;  // ShowTopic replaces the rows
            ShowTopic(to);
            return;
        }
}

win::LResult HelpWindow::WindowProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    using namespace win;
    HelpWindow& self = theHelpWindow;
    if (self.window != h) return DefWindowProc(h, m, w, l);
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            self.Paint(dc);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(w) == kIndexButton)
                self.ShowIndex();
            else if (LOWORD(w) == kCloseButton || LOWORD(w) == IDCANCEL)
                self.Close();
            return 0;
        case WM_LBUTTONDOWN:
            self.Click(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            return 0;
        case WM_MOUSEMOVE: {
            const RECT view = self.View();
            const int x = GET_X_LPARAM(l) - view.left, y = GET_Y_LPARAM(l) - view.top + self.scroll;
            bool over = false;
            for (const Row& r : self.rows)
                over |= r.kind == Row::kLink && x >= r.rect.left && x < r.rect.right &&
                        y >= r.rect.top && y < r.rect.bottom;
            if (over && theUiServices.setProgramCursor != nullptr)
                theUiServices.setProgramCursor(747);
            else
                SetCursor(LoadCursor({}, IDC_ARROW));
            return 0;
        }
        case WM_VSCROLL: {
            const RECT view = self.View();
            const int page = view.bottom - view.top - kLine;
            switch (LOWORD(w)) {
                case SB_LINEUP:
                    self.ScrollTo(self.scroll - kLine);
                    break;
                case SB_LINEDOWN:
                    self.ScrollTo(self.scroll + kLine);
                    break;
                case SB_PAGEUP:
                    self.ScrollTo(self.scroll - page);
                    break;
                case SB_PAGEDOWN:
                    self.ScrollTo(self.scroll + page);
                    break;
                case SB_THUMBPOSITION:
                case SB_THUMBTRACK:
                    self.ScrollTo(static_cast<int>(HIWORD(w)));
                    break;
                case SB_TOP:
                    self.ScrollTo(0);
                    break;
                case SB_BOTTOM:
                    self.ScrollTo(self.contentHeight);
                    break;
                default:
                    break;
            }
            return 0;
        }
        case WM_MOUSEWHEEL:
            self.ScrollTo(self.scroll - static_cast<std::int16_t>(HIWORD(w)) / 120 * 3 * kLine);
            return 0;
        case WM_KEYDOWN: {
            const RECT view = self.View();
            switch (w) {
                case VK_UP:
                    self.ScrollTo(self.scroll - kLine);
                    break;
                case VK_DOWN:
                    self.ScrollTo(self.scroll + kLine);
                    break;
                case VK_PRIOR:
                    self.ScrollTo(self.scroll - (view.bottom - view.top));
                    break;
                case VK_NEXT:
                    self.ScrollTo(self.scroll + (view.bottom - view.top));
                    break;
                case VK_ESCAPE:
                    self.Close();
                    break;
                default:
                    break;
            }
            return 0;
        }
        case WM_CLOSE:
            self.Close();
            return 0;
        case WM_DESTROY:
            for (HFONT* f : {&self.titleFont, &self.textFont, &self.linkFont}) {
                if (*f) DeleteObject(AsGdiObject(*f));
                *f = {};
            }
            self.window = {};
            self.rows.clear();
            return 0;
        default:
            return DefWindowProc(h, m, w, l);
    }
}

// ---- the help commands ------------------------------------------------------------------------

void OpenPopupHelpTopic(unsigned command, unsigned long data) {
    // The help window cannot show over an exclusive full screen.
    if (theUiServices.isFullScreen != nullptr && theUiServices.isFullScreen() &&
        theUiServices.leaveFullScreen != nullptr)
        theUiServices.leaveFullScreen();
    if (command == kHelpCommandContext)
        theHelpWindow.ShowTopic(static_cast<std::uint32_t>(data));
    else if (command == kHelpCommandKey)
        theHelpWindow.ShowIndex();
}

}  // namespace ui
