// "Edit": one line (scrolling sideways as the caret moves) or several (wrapped at the control's
// width), with a caret, a selection made by Shift and the mouse, a length limit, digits only
// (ES_NUMBER), read-only text, and cut, copy and paste through the clipboard. The parent hears
// EN_CHANGE after every change of the text and EN_SETFOCUS / EN_KILLFOCUS.
#include <algorithm>
#include <cctype>

#include "platform/clipboard.h"
#include "win/control_internal.h"

namespace win {
namespace {

using namespace ctl;

struct EditState {
    HFONT font;
    int caret = 0;   // byte offset
    int anchor = 0;  // the other end of the selection
    int xOffset = 0; // pixels scrolled to the left (one line)
    int topLine = 0; // first visual line shown (several lines)
    unsigned limit = 30000;
    bool focused = false;
    bool dragging = false;
    bool modified = false;
};
StateTable<EditState> theEdits;

struct VisualLine {
    int start = 0;
    int end = 0;  // exclusive; the line break itself is not part of the line
};

bool Multi(HWND h) {
    return (StyleOf(h) & ES_MULTILINE) != 0;
}

std::string Shown(HWND h, const std::string& text) {
    return (StyleOf(h) & ES_PASSWORD) ? std::string(text.size(), '*') : text;
}

int Measure(HWND h, HFONT font, std::string_view s) {
    HDC dc = CreateCompatibleDC({});
    HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(font)));
    const int w = TextWidth(dc, s);
    SelectObject(dc, old);
    DeleteDC(dc);
    (void)h;
    return w;
}

// The visual lines of a multi-line edit: paragraphs split at line breaks, each wrapped at the
// client width between words (a word wider than the line is broken where it must be).
std::vector<VisualLine> Layout(HWND h, const EditState& s) {
    const std::string text = GetWindowText(h);
    std::vector<VisualLine> lines;
    if (!Multi(h)) {
        lines.push_back(VisualLine{0, static_cast<int>(text.size())});
        return lines;
    }
    RECT c;
    GetClientRect(h, &c);
    const int width = std::max(8, c.right - c.left - 4);
    const bool wrap = !(StyleOf(h) & ES_AUTOHSCROLL) || (StyleOf(h) & ES_READONLY);
    int pos = 0;
    const int n = static_cast<int>(text.size());
    for (;;) {
        int end = pos;
        while (end < n && text[end] != '\n' && text[end] != '\r')
            ++end;
        int start = pos;
        while (wrap && Measure(h, s.font, std::string_view(text).substr(start, end - start)) > width) {
            // Fit as many characters as possible, then go back to the last blank.
            int fit = start + 1;
            while (fit < end &&
                   Measure(h, s.font, std::string_view(text).substr(start, fit + 1 - start)) <= width)
                ++fit;
            int cut = fit;
            for (int k = fit; k > start; --k)
                if (text[k - 1] == ' ') {
                    cut = k;
                    break;
                }
            lines.push_back(VisualLine{start, cut});
            start = cut;
        }
        lines.push_back(VisualLine{start, end});
        if (end >= n) break;
        pos = end + ((text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ? 2 : 1);
        if (pos >= n) {
            lines.push_back(VisualLine{pos, pos});
            break;
        }
    }
    return lines;
}

int LineOf(const std::vector<VisualLine>& lines, int offset) {
    for (int i = static_cast<int>(lines.size()) - 1; i >= 0; --i)
        if (offset >= lines[i].start) return i;
    return 0;
}

// The byte offset nearest to x pixels into a line.
int OffsetAt(HWND h, const EditState& s, const std::string& text, VisualLine line, int x) {
    const std::string shown = Shown(h, text);
    int best = line.start, bestDist = 1 << 30;
    for (int i = line.start; i <= line.end; ++i) {
        const int px = Measure(h, s.font, std::string_view(shown).substr(line.start, i - line.start));
        const int d = std::abs(px - x);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

void Notify(HWND h, unsigned code) {
    NotifyCommand(h, code);
}

void KeepCaretInView(HWND h, EditState& s) {
    RECT c;
    GetClientRect(h, &c);
    const std::string text = GetWindowText(h);
    if (!Multi(h)) {
        const int x = Measure(h, s.font, std::string_view(Shown(h, text)).substr(0, s.caret));
        const int width = std::max(1, c.right - c.left - 4);
        if (x - s.xOffset > width) s.xOffset = x - width + width / 4;
        if (x < s.xOffset) s.xOffset = std::max(0, x - width / 4);
        return;
    }
    const auto lines = Layout(h, s);
    const int line = LineOf(lines, s.caret);
    const int visible = std::max(1, (c.bottom - c.top - 2) / LineHeight(s.font));
    if (line < s.topLine) s.topLine = line;
    if (line >= s.topLine + visible) s.topLine = line - visible + 1;
}

void SetText(HWND h, const std::string& text) {
    DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LParam>(text.c_str()));
}

// Replaces the selection with `insert` as a user's edit: limits and filters apply.
void ReplaceSelection(HWND h, EditState& s, std::string insert, bool byUser) {
    std::string text = GetWindowText(h);
    const int a = std::min(s.caret, s.anchor), b = std::max(s.caret, s.anchor);
    if (!Multi(h)) {
        // One line holds no line break: a pasted text is cut at its first one.
        const std::size_t cut = insert.find_first_of("\r\n");
        if (cut != std::string::npos) insert.resize(cut);
    }
    if (byUser && (StyleOf(h) & ES_NUMBER))
        insert.erase(std::remove_if(insert.begin(), insert.end(),
                                    [](char c) { return !std::isdigit(static_cast<unsigned char>(c)); }),
                     insert.end());
    if (StyleOf(h) & ES_UPPERCASE)
        for (char& c : insert)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (StyleOf(h) & ES_LOWERCASE)
        for (char& c : insert)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t room =
        s.limit > text.size() - static_cast<std::size_t>(b - a)
            ? s.limit - (text.size() - static_cast<std::size_t>(b - a))
            : 0;
    bool full = false;
    if (insert.size() > room) {
        insert.resize(room);
        full = true;
    }
    if (insert.empty() && a == b) {
        if (full) Notify(h, EN_MAXTEXT);
        return;
    }
    text.replace(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a), insert);
    SetText(h, text);
    s.caret = s.anchor = a + static_cast<int>(insert.size());
    s.modified = true;
    KeepCaretInView(h, s);
    InvalidateRect(h, nullptr, true);
    if (full) Notify(h, EN_MAXTEXT);
    Notify(h, EN_UPDATE);
    Notify(h, EN_CHANGE);
}

int WordStart(const std::string& t, int i) {
    while (i > 0 && t[i - 1] == ' ')
        --i;
    while (i > 0 && t[i - 1] != ' ')
        --i;
    return i;
}
int WordEnd(const std::string& t, int i) {
    const int n = static_cast<int>(t.size());
    while (i < n && t[i] != ' ')
        ++i;
    while (i < n && t[i] == ' ')
        ++i;
    return i;
}

void MoveCaret(HWND h, EditState& s, int to, bool extend) {
    const int n = static_cast<int>(GetWindowText(h).size());
    s.caret = std::clamp(to, 0, n);
    if (!extend) s.anchor = s.caret;
    KeepCaretInView(h, s);
    InvalidateRect(h, nullptr, true);
}

void CopySelection(HWND h, const EditState& s) {
    if (StyleOf(h) & ES_PASSWORD) return;
    const std::string text = GetWindowText(h);
    const int a = std::min(s.caret, s.anchor), b = std::max(s.caret, s.anchor);
    if (a != b) platform::SetClipboardText(text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
}

void Paint(HWND h, EditState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT c;
    GetClientRect(h, &c);
    const std::uint32_t style = StyleOf(h);
    const bool readOnly = (style & ES_READONLY) != 0, disabled = (style & WS_DISABLED) != 0;
    HBRUSH back = ControlColours(h, dc, readOnly || disabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                 readOnly || disabled ? COLOR_BTNFACE : COLOR_WINDOW);
    const COLORREF fore = disabled ? GetSysColor(COLOR_GRAYTEXT) : GetTextColor(dc);
    FillRect(dc, &c, back);
    HGDIOBJ oldFont = SelectObject(dc, AsGdiObject(FontOr(s.font)));
    SetBkMode(dc, TRANSPARENT);
    const std::string text = Shown(h, GetWindowText(h));
    const auto lines = Layout(h, s);
    const int lh = LineHeight(s.font);
    const int a = std::min(s.caret, s.anchor), b = std::max(s.caret, s.anchor);
    const bool showSel = s.focused || (style & ES_NOHIDESEL);
    const int x0 = 2 - (Multi(h) ? 0 : s.xOffset);
    int y = Multi(h) ? 1 : std::max(0, (c.bottom - lh) / 2);
    for (int i = Multi(h) ? s.topLine : 0; i < static_cast<int>(lines.size()); ++i, y += lh) {
        if (y >= c.bottom) break;
        const VisualLine L = lines[i];
        const std::string_view line = std::string_view(text).substr(L.start, L.end - L.start);
        SetTextColor(dc, fore);
        TextOut(dc, x0, y, line);
        if (showSel && a != b && b > L.start && a < L.end + 1) {
            const int sa = std::max(a, L.start), sb = std::min(b, L.end);
            const int px0 = x0 + Measure(h, s.font, std::string_view(text).substr(L.start, sa - L.start));
            const int px1 = x0 + Measure(h, s.font, std::string_view(text).substr(L.start, sb - L.start));
            RECT sel{px0, y, std::max(px1, px0 + 1), y + lh};
            FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            TextOut(dc, px0, y, std::string_view(text).substr(sa, sb - sa));
        }
        if (s.focused && a == b && s.caret >= L.start && s.caret <= L.end &&
            LineOf(lines, s.caret) == i) {
            const int cx = x0 + Measure(h, s.font, std::string_view(text).substr(L.start, s.caret - L.start));
            SetCaretPos(cx, y);
            RECT caret{cx, y, cx + 1, y + lh};
            FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(h, &ps);
}

}  // namespace

LResult EditProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    EditState* s = theEdits.Get(h);
    switch (m) {
        case WM_NCCREATE: {
            EditState& n = theEdits.Make(h);
            if (Multi(h)) n.limit = 0xFFFFFFu;
            return DefWindowProc(h, m, w, l);
        }
        case WM_NCDESTROY:
            if (GetCaretState().owner == h) DestroyCaret();
            theEdits.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const bool readOnly = (StyleOf(h) & ES_READONLY) != 0;
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            if (l != 0) InvalidateRect(h, nullptr, true);
            return 0;
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
                   (Multi(h) && !readOnly ? DLGC_WANTALLKEYS : 0);
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            std::string t = l != 0 ? std::string(reinterpret_cast<const char*>(l)) : std::string();
            if (!Multi(h)) {
                const std::size_t cut = t.find_first_of("\r\n");
                if (cut != std::string::npos) t.resize(cut);
            }
            SetText(h, t);
            s->caret = s->anchor = 0;
            s->xOffset = 0;
            s->topLine = 0;
            s->modified = false;
            InvalidateRect(h, nullptr, true);
            if (!Multi(h)) {
                Notify(h, EN_UPDATE);
                Notify(h, EN_CHANGE);
            }
            return 1;
        }
        case WM_ENABLE:
            InvalidateRect(h, nullptr, true);
            return 0;
        case EM_GETSEL: {
            const int a = std::min(s->caret, s->anchor), b = std::max(s->caret, s->anchor);
            if (w != 0) *reinterpret_cast<std::uint32_t*>(w) = static_cast<std::uint32_t>(a);
            if (l != 0) *reinterpret_cast<std::uint32_t*>(l) = static_cast<std::uint32_t>(b);
            return static_cast<LResult>(MAKELONG(static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b)));
        }
        case EM_SETSEL: {
            const int n = static_cast<int>(GetWindowText(h).size());
            int a = static_cast<int>(static_cast<std::intptr_t>(w));
            int b = static_cast<int>(l);
            if (a < 0) {
                s->anchor = s->caret;  // -1 removes the selection
            } else {
                if (b < 0 || b > n) b = n;
                a = std::min(a, n);
                s->anchor = a;
                s->caret = b;
            }
            KeepCaretInView(h, *s);
            InvalidateRect(h, nullptr, true);
            return 0;
        }
        case EM_REPLACESEL:
            ReplaceSelection(h, *s, l != 0 ? reinterpret_cast<const char*>(l) : "", false);
            return 0;
        case EM_LIMITTEXT:
            s->limit = w == 0 ? (Multi(h) ? 0xFFFFFFu : 0x7FFFFFFEu) : static_cast<unsigned>(w);
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LResult>(s->limit);
        case EM_GETMODIFY:
            return s->modified ? 1 : 0;
        case EM_SETMODIFY:
            s->modified = w != 0;
            return 0;
        case EM_SETREADONLY: {
            const std::uint32_t st = w != 0 ? StyleOf(h) | ES_READONLY : StyleOf(h) & ~ES_READONLY;
            SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(st));
            InvalidateRect(h, nullptr, true);
            return 1;
        }
        case EM_GETLINECOUNT:
            return static_cast<LResult>(Layout(h, *s).size());
        case EM_SCROLLCARET:
            KeepCaretInView(h, *s);
            InvalidateRect(h, nullptr, true);
            return 1;
        case WM_CUT:
            if (readOnly) return 0;
            CopySelection(h, *s);
            ReplaceSelection(h, *s, "", true);
            return 0;
        case WM_COPY:
            CopySelection(h, *s);
            return 0;
        case WM_PASTE:
            if (readOnly) return 0;
            ReplaceSelection(h, *s, platform::GetClipboardText(), true);
            return 0;
        case WM_CLEAR:
            if (readOnly) return 0;
            ReplaceSelection(h, *s, "", true);
            return 0;
        case WM_SETFOCUS:
            s->focused = true;
            CreateCaret(h, {}, 1, LineHeight(s->font));
            ShowCaret(h);
            InvalidateRect(h, nullptr, true);
            Notify(h, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            s->focused = false;
            if (GetCaretState().owner == h) DestroyCaret();
            InvalidateRect(h, nullptr, true);
            Notify(h, EN_KILLFOCUS);
            return 0;
        case WM_CHAR: {
            const unsigned ch = static_cast<unsigned>(w);
            switch (ch) {
                case 1:  // Ctrl+A
                    s->anchor = 0;
                    MoveCaret(h, *s, static_cast<int>(GetWindowText(h).size()), true);
                    return 0;
                case 3:  // Ctrl+C
                    CopySelection(h, *s);
                    return 0;
                case 22:  // Ctrl+V
                    SendMessage(h, WM_PASTE, 0, 0);
                    return 0;
                case 24:  // Ctrl+X
                    SendMessage(h, WM_CUT, 0, 0);
                    return 0;
                case 8:  // Backspace
                    if (readOnly) return 0;
                    if (s->caret == s->anchor && s->caret > 0) {
                        const std::string t = GetWindowText(h);
                        s->anchor = s->caret - 1;
                        if (s->anchor > 0 && t[s->anchor] == '\n' && t[s->anchor - 1] == '\r')
                            --s->anchor;
                    }
                    ReplaceSelection(h, *s, "", true);
                    return 0;
                case '\r':
                    if (Multi(h) && !readOnly) ReplaceSelection(h, *s, "\r\n", true);
                    return 0;
                default:
                    break;
            }
            if (ch < 0x20 || ch == 0x7F || readOnly) return 0;
            if ((StyleOf(h) & ES_NUMBER) && !std::isdigit(static_cast<int>(ch))) return 0;
            ReplaceSelection(h, *s, std::string(1, static_cast<char>(ch)), true);
            return 0;
        }
        case WM_KEYDOWN: {
            const bool shift = ShiftDown(), ctrl = ControlDown();
            const std::string t = GetWindowText(h);
            const auto lines = Layout(h, *s);
            const int line = LineOf(lines, s->caret);
            switch (w) {
                case VK_LEFT:
                    if (!shift && s->caret != s->anchor)
                        MoveCaret(h, *s, std::min(s->caret, s->anchor), false);
                    else
                        MoveCaret(h, *s, ctrl ? WordStart(t, s->caret) : s->caret - 1, shift);
                    return 0;
                case VK_RIGHT:
                    if (!shift && s->caret != s->anchor)
                        MoveCaret(h, *s, std::max(s->caret, s->anchor), false);
                    else
                        MoveCaret(h, *s, ctrl ? WordEnd(t, s->caret) : s->caret + 1, shift);
                    return 0;
                case VK_HOME:
                    MoveCaret(h, *s, ctrl ? 0 : lines[line].start, shift);
                    return 0;
                case VK_END:
                    MoveCaret(h, *s, ctrl ? static_cast<int>(t.size()) : lines[line].end, shift);
                    return 0;
                case VK_UP:
                case VK_DOWN: {
                    if (!Multi(h)) {
                        MoveCaret(h, *s, w == VK_UP ? s->caret - 1 : s->caret + 1, shift);
                        return 0;
                    }
                    const int target = line + (w == VK_UP ? -1 : 1);
                    if (target < 0 || target >= static_cast<int>(lines.size())) return 0;
                    const int x = Measure(h, s->font,
                                          std::string_view(t).substr(lines[line].start, s->caret - lines[line].start));
                    MoveCaret(h, *s, OffsetAt(h, *s, t, lines[target], x), shift);
                    return 0;
                }
                case VK_DELETE:
                    if (readOnly) return 0;
                    if (shift) {
                        SendMessage(h, WM_CUT, 0, 0);
                        return 0;
                    }
                    if (s->caret == s->anchor && s->caret < static_cast<int>(t.size())) {
                        s->anchor = s->caret + 1;
                        if (t[s->caret] == '\r' && s->anchor < static_cast<int>(t.size()) &&
                            t[s->anchor] == '\n')
                            ++s->anchor;
                    }
                    ReplaceSelection(h, *s, "", true);
                    return 0;
                case VK_INSERT:
                    if (ctrl) SendMessage(h, WM_COPY, 0, 0);
                    if (shift) SendMessage(h, WM_PASTE, 0, 0);
                    return 0;
                default:
                    break;
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            SetFocus(h);
            const std::string t = GetWindowText(h);
            const auto lines = Layout(h, *s);
            const int lh = LineHeight(s->font);
            const int y = GET_Y_LPARAM(l);
            const int index = Multi(h) ? std::clamp(s->topLine + (y - 1) / lh, 0,
                                                    static_cast<int>(lines.size()) - 1)
                                       : 0;
            const int x = GET_X_LPARAM(l) - 2 + (Multi(h) ? 0 : s->xOffset);
            const int at = OffsetAt(h, *s, t, lines[index], x);
            if (m == WM_LBUTTONDBLCLK) {
                s->anchor = WordStart(t, at);
                int e = at;
                while (e < static_cast<int>(t.size()) && t[e] != ' ')
                    ++e;
                MoveCaret(h, *s, e, true);
                return 0;
            }
            MoveCaret(h, *s, at, ShiftDown());
            s->dragging = true;
            SetCapture(h);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s->dragging) {
                const std::string t = GetWindowText(h);
                const auto lines = Layout(h, *s);
                const int lh = LineHeight(s->font);
                const int index = Multi(h) ? std::clamp(s->topLine + (GET_Y_LPARAM(l) - 1) / lh, 0,
                                                        static_cast<int>(lines.size()) - 1)
                                           : 0;
                const int x = GET_X_LPARAM(l) - 2 + (Multi(h) ? 0 : s->xOffset);
                MoveCaret(h, *s, OffsetAt(h, *s, t, lines[index], x), true);
            }
            return 0;
        case WM_LBUTTONUP:
            if (s->dragging) {
                s->dragging = false;
                ReleaseCapture();
            }
            return 0;
        case WM_MOUSEWHEEL:
            if (Multi(h)) {
                const int delta = static_cast<std::int16_t>(HIWORD(w));
                s->topLine = std::max(0, s->topLine - delta / 40);
                InvalidateRect(h, nullptr, true);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
