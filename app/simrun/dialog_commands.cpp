// The runner's dialog commands, acting on open dialogs as a user would:
//   dialog NAME            later commands act on the open dialog whose template name is NAME,
//                          else whose template name or caption contains it (latest first);
//                          waits up to 5 s of simulated time for it
//   set ID VALUE           types into an edit, clicks a check or radio box until it shows
//                          VALUE, selects a row of a list, combo or list view (equal, else
//                          beginning with, else containing VALUE; #N for row N; a combo with an
//                          edit takes a value no row holds as typed text), moves a
//                          trackbar by keys, presses an up-down +N or -N times
//   click ID [right|double]  a mouse click in the middle of the control
//   click all right        a right click on every visible, enabled control of the dialog and
//                          of its shown pages, one at a time, in the order they lie
//   read ID                the control's class, text, state and rows (a list box's first row
//                          shown too; a list's scroll bars and the columns it shows whole), into
//                          the trace; `read ID selected` gives a list's selected row alone
//   scroll ID DIRECTION [page]  a click on the list's own scroll bar: its arrow towards left,
//                          right, up or down, or with `page` the trough beside the thumb
//   expect ID VALUE        stops the run unless the control shows VALUE
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "script.h"
#include "sim/main_window.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/modal.h"
#include "win/program_entry.h"

namespace simrun {
namespace {

std::string LowerText(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Check boxes and radio buttons, by what they tell the dialog manager (a skinned one is
// owner-drawn but answers as the kind it shows).
bool IsCheckable(win::HWND h) {
    if (win::GetClassName(h) != win::WC_BUTTON) return false;
    const auto code = static_cast<unsigned>(win::SendMessage(h, win::WM_GETDLGCODE, 0, 0));
    return (code & win::DLGC_BUTTON) && !(code & (win::DLGC_DEFPUSHBUTTON | win::DLGC_UNDEFPUSHBUTTON));
}

// The rows a list-like control shows (list-view columns joined by " | ") and the selected one.
std::vector<std::string> Rows(win::HWND h, int* selected) {
    using namespace win;
    std::vector<std::string> rows;
    *selected = -1;
    const std::string cls = GetClassName(h);
    if (cls == WC_LISTBOX) {
        const int n = static_cast<int>(SendMessage(h, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::string t(static_cast<std::size_t>(std::max<LResult>(0, SendMessage(h, LB_GETTEXTLEN, i, 0))) + 1, '\0');
            SendMessage(h, LB_GETTEXT, i, reinterpret_cast<LParam>(t.data()));
            t.resize(t.find('\0'));
            rows.push_back(t);
        }
        *selected = static_cast<int>(SendMessage(h, LB_GETCURSEL, 0, 0));
    } else if (cls == WC_COMBOBOX) {
        const int n = static_cast<int>(SendMessage(h, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::string t(static_cast<std::size_t>(std::max<LResult>(0, SendMessage(h, CB_GETLBTEXTLEN, i, 0))) + 1, '\0');
            SendMessage(h, CB_GETLBTEXT, i, reinterpret_cast<LParam>(t.data()));
            t.resize(t.find('\0'));
            rows.push_back(t);
        }
        *selected = static_cast<int>(SendMessage(h, CB_GETCURSEL, 0, 0));
    } else if (cls == WC_LISTVIEW) {
        const int n = static_cast<int>(SendMessage(h, LVM_GETITEMCOUNT, 0, 0));
        HWND header = HWND{static_cast<std::uint32_t>(SendMessage(h, LVM_GETHEADER, 0, 0))};
        const int cols = std::max<int>(1, header ? static_cast<int>(SendMessage(header, HDM_GETITEMCOUNT, 0, 0)) : 1);
        for (int i = 0; i < n; ++i) {
            std::string row;
            for (int k = 0; k < cols; ++k) {
                LVITEM it;
                it.iSubItem = k;
                it.cchTextMax = 512;
                SendMessage(h, LVM_GETITEMTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(&it));
                row += (k > 0 ? " | " : "") + it.text;
            }
            rows.push_back(row);
        }
        *selected = static_cast<int>(SendMessage(h, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_SELECTED));
    }
    return rows;
}

// A list's own scroll bar, when it shows one.
win::HWND ListScrollBar(win::HWND list, bool vertical) {
    for (win::HWND c = win::GetWindow(list, win::GW_CHILD); c; c = win::GetWindow(c, win::GW_HWNDNEXT))
        if (win::GetClassName(c) == win::WC_SCROLLBAR && win::IsWindowVisible(c) &&
            ((win::GetWindowLong(c, win::GWL_STYLE) & win::SBS_VERT) != 0) == vertical)
            return c;
    return {};
}

// "hscroll=POS/LAST" and "vscroll=POS/LAST" of the bars a list shows, and for a list view the
// columns the user sees whole, as the header stands over the rows, and where the header's cells
// lie on the screen ("header=TOP-BOTTOM cells=LEFT-RIGHT,..." in screenshot pixels).
std::string ScrollState(win::HWND list) {
    using namespace win;
    std::string text;
    for (const bool vertical : {false, true}) {
        const HWND bar = ListScrollBar(list, vertical);
        if (!bar) continue;
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        SendMessage(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LParam>(&info));
        const int last = std::max(info.nMin, info.nMax - static_cast<int>(std::max(1u, info.nPage)) + 1);
        text += std::string(vertical ? " vscroll=" : " hscroll=") + std::to_string(info.nPos) + "/" + std::to_string(last);
    }
    const HWND header{static_cast<std::uint32_t>(SendMessage(list, LVM_GETHEADER, 0, 0))};
    if (GetClassName(list) != WC_LISTVIEW || !header) return text;
    RECT client, at;
    GetClientRect(list, &client);
    GetWindowRect(header, &at);
    MapWindowPoints({}, list, &at);
    int view = client.right - client.left;
    if (const HWND v = ListScrollBar(list, true)) {
        RECT r;
        GetWindowRect(v, &r);
        view -= r.right - r.left;
    }
    RECT screen;
    GetWindowRect(header, &screen);
    std::string shown, cells;
    int x = at.left;
    const int n = static_cast<int>(SendMessage(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        HDITEM item;
        item.mask = HDI_WIDTH | HDI_TEXT;
        SendMessage(header, HDM_GETITEM, static_cast<WParam>(i), reinterpret_cast<LParam>(&item));
        if (x >= 0 && x + item.cxy <= view) shown += (shown.empty() ? "" : "|") + item.text;
        const int left = screen.left + x - at.left;
        cells += (i == 0 ? "" : ",") + std::to_string(left) + "-" + std::to_string(left + item.cxy);
        x += item.cxy;
    }
    return text + " columns=\"" + shown + "\" header=" + std::to_string(screen.top) + "-" +
           std::to_string(screen.bottom) + " cells=" + cells;
}

bool IsListLike(win::HWND h) {
    const std::string cls = win::GetClassName(h);
    return cls == win::WC_LISTBOX || cls == win::WC_COMBOBOX || cls == win::WC_LISTVIEW;
}

int Position(win::HWND h, bool* has) {
    using namespace win;
    const std::string cls = GetClassName(h);
    *has = true;
    if (cls == TRACKBAR_CLASS) return static_cast<int>(SendMessage(h, TBM_GETPOS, 0, 0));
    if (cls == UPDOWN_CLASS) return static_cast<int>(SendMessage(h, UDM_GETPOS, 0, 0));
    if (cls == WC_SCROLLBAR) return static_cast<int>(SendMessage(h, SBM_GETPOS, 0, 0));
    *has = false;
    return 0;
}

// What a control shows, for `expect`.
std::string Shows(win::HWND h) {
    bool has = false;
    const int pos = Position(h, &has);
    if (has) return std::to_string(pos);
    if (IsCheckable(h)) return std::to_string(win::SendMessage(h, win::BM_GETCHECK, 0, 0));
    if (IsListLike(h) && win::GetClassName(h) != win::WC_COMBOBOX) {
        int sel = -1;
        const auto rows = Rows(h, &sel);
        return sel >= 0 && sel < static_cast<int>(rows.size()) ? rows[sel] : std::string();
    }
    return win::GetWindowText(h);
}

int FindRow(const std::vector<std::string>& rows, const std::string& value) {
    if (value.size() > 1 && value[0] == '#') {
        const int n = std::atoi(value.c_str() + 1);
        return n >= 0 && n < static_cast<int>(rows.size()) ? n : -1;
    }
    const std::string v = LowerText(value);
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            const std::string r = LowerText(rows[i]);
            if ((pass == 0 && r == v) || (pass == 1 && r.rfind(v, 0) == 0) ||
                (pass == 2 && r.find(v) != std::string::npos))
                return i;
        }
    return -1;
}

// A click in the middle of a screen rectangle, as the mouse command gives it.
Command ClickIn(const win::RECT& r, const std::string& how) {
    const win::POINT origin = win::OutputOrigin();
    Command m;
    m.x = (r.left + r.right) / 2 - origin.x;
    m.y = (r.top + r.bottom) / 2 - origin.y;
    m.action = how == "right" ? "right-click" : "left-click";
    return m;
}

}  // namespace

bool ParseDialogCommand(const std::string& verb, const std::string& restIn, Command* c,
                        std::string* why) {
    if (verb != "dialog" && verb != "set" && verb != "click" && verb != "read" && verb != "expect" &&
        verb != "scroll")
        return false;
    std::string rest = restIn;
    c->kind = Command::Kind::Dialog;
    c->action = verb;
    if (verb == "dialog") {
        c->text = Word(rest);
        if (c->text.empty()) *why = "expected a dialog name";
    } else {
        const std::string id = Word(rest);
        if (verb == "click" && id == "all") {
            c->text = id;
            c->button = Word(rest);
            if (c->button != "right") *why = "only right clicks go to every control";
            if (why->empty() && !Word(rest).empty()) *why = "unexpected words at the end";
            return true;
        }
        if (id.empty() || !std::all_of(id.begin(), id.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); }) ||
            id.size() > 5 || std::stoul(id) > 0xFFFF) {
            *why = "expected a control id";
            return true;
        }
        c->id = static_cast<std::uint32_t>(std::stoul(id));
        c->button = Word(rest);  // the value, or how to click
        if ((verb == "set" || verb == "expect") && c->button.empty() &&
            restIn.find('"') == std::string::npos)
            *why = "expected a value";
        if (verb == "click" && !c->button.empty() && c->button != "right" && c->button != "double")
            *why = "expected right or double";
        if (verb == "read" && !c->button.empty() && c->button != "selected")
            *why = "unexpected words at the end";
        if (verb == "scroll") {
            if (c->button != "left" && c->button != "right" && c->button != "up" && c->button != "down")
                *why = "expected left, right, up or down";
            c->text = Word(rest);
            if (!c->text.empty() && c->text != "page") *why = "expected page or nothing after the direction";
        }
    }
    if (why->empty() && !Word(rest).empty()) *why = "unexpected words at the end";
    return true;
}

std::string DialogText(win::HWND dialog) {
    std::string text;
    for (win::HWND c = win::GetWindow(dialog, win::GW_CHILD); c; c = win::GetWindow(c, win::GW_HWNDNEXT)) {
        const std::string t = win::GetWindowText(c);
        if (t.empty() || !win::IsWindowVisible(c)) continue;
        if (!text.empty()) text += " | ";
        text += t;
    }
    return text;
}

bool IsExitQuestion(win::HWND dialog) {
    return LowerText(DialogText(dialog)).find("want to quit") != std::string::npos ||
           LowerText(win::GetWindowTemplateName(dialog)) == "exit";
}

void Driver::AnswerWithDefault(win::HWND dialog) {
    win::TraceLine("answered default");
    const win::LResult def = win::SendMessage(dialog, win::DM_GETDEFID, 0, 0);
    const int id = win::HIWORD(static_cast<std::uintptr_t>(def)) == win::DC_HASDEFID
                       ? win::LOWORD(static_cast<std::uintptr_t>(def))
                       : win::IDOK;
    win::PostMessage(dialog, win::WM_COMMAND,
                     win::MAKEWPARAM(static_cast<std::uint16_t>(id), win::BN_CLICKED), 0);
}

void Driver::DialogOpened(win::HWND dialog) {
    dialogs_.push_back(dialog);
}

bool Driver::UnansweredDialogOpen() {
    for (win::HWND d : dialogs_)
        if (win::IsWindow(d) && win::IsModalLoopRunning(d)) return true;
    return false;
}

std::string Driver::UnansweredDialogCaption() {
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
        if (win::IsWindow(*it) && win::IsModalLoopRunning(*it)) return win::GetWindowText(*it);
    return {};
}

win::HWND Driver::CurrentDialog() {
    if (win::IsWindow(current_) && win::IsWindowVisible(current_)) return current_;
    // Without a `dialog` command: the latest open one.
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
        if (win::IsWindow(*it) && win::IsWindowVisible(*it)) return *it;
    return {};
}

win::HWND Driver::FindControl(const Command& c, bool mustBeUsable) {
    const std::string where = "line " + std::to_string(c.line) + ": ";
    win::HWND dialog = CurrentDialog();
    if (!dialog) Fail(where + "no dialog is open");
    win::HWND control = win::GetDlgItem(dialog, static_cast<int>(c.id));
    // Sheet pages are dialogs inside the sheet: look into them too.
    if (!control)
        for (win::HWND p = win::GetWindow(dialog, win::GW_CHILD); p && !control; p = win::GetWindow(p, win::GW_HWNDNEXT))
            if (win::GetClassName(p) == win::WC_DIALOG && win::IsWindowVisible(p))
                control = win::GetDlgItem(p, static_cast<int>(c.id));
    if (!control) Fail(where + "dialog \"" + win::GetWindowText(dialog) + "\" has no control " + std::to_string(c.id));
    if (mustBeUsable && !win::IsWindowVisible(control))
        Fail(where + "control " + std::to_string(c.id) + " is hidden");
    if (mustBeUsable && !win::IsWindowEnabled(control))
        Fail(where + "control " + std::to_string(c.id) + " is disabled");
    return control;
}

bool Driver::SweepRightClicks(const Command& c) {
    using namespace win;
    if (!sweeping_) {
        const HWND dialog = CurrentDialog();
        if (!dialog) Fail("line " + std::to_string(c.line) + ": no dialog is open");
        sweep_.clear();
        std::vector<HWND> parents{dialog};
        for (std::size_t i = 0; i < parents.size(); ++i)
            for (HWND w = GetWindow(parents[i], GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                if (!IsWindowVisible(w) || !IsWindowEnabled(w)) continue;
                if (GetClassName(w) == WC_DIALOG)
                    parents.push_back(w);  // a sheet's shown page
                else
                    sweep_.push_back(w);
            }
        std::reverse(sweep_.begin(), sweep_.end());
        sweeping_ = true;
        TraceLine("click all right: " + std::to_string(sweep_.size()) + " controls");
    }
    // One click a step: each opens (and closes) its popup before the next.
    while (!sweep_.empty()) {
        const HWND h = sweep_.back();
        sweep_.pop_back();
        if (!IsWindow(h) || !IsWindowVisible(h)) continue;
        // With the template the control belongs to (a sheet's page is a dialog of its own).
        TraceLine("click " + std::to_string(GetDlgCtrlID(h)) + " right in " + GetWindowTemplateName(GetParent(h)));
        ClickAt(h, "right");
        return false;
    }
    sweeping_ = false;
    return true;
}

void Driver::ClickAt(win::HWND control, const std::string& how) {
    win::RECT r;
    win::GetWindowRect(control, &r);
    const Command m = ClickIn(r, how);
    InjectMouse(m);
    if (how == "double") InjectMouse(m);
}

bool Driver::RunDialogCommand(const Command& c) {
    using namespace win;
    const std::string where = "line " + std::to_string(c.line) + ": ";
    if (c.action == "dialog") {
        // The latest dialog whose template is the name, else whose template or caption holds it.
        std::vector<HWND> open;
        for (HWND d : dialogs_)
            if (IsWindow(d) && IsWindowVisible(d)) open.push_back(d);
        for (HWND d : sim::theMainWindow.modeless)
            if (IsWindow(d) && IsWindowVisible(d) && std::find(open.begin(), open.end(), d) == open.end())
                open.push_back(d);
        const std::string want = LowerText(c.text);
        HWND found;
        for (auto it = open.rbegin(); it != open.rend() && !found; ++it)
            if (LowerText(GetWindowTemplateName(*it)) == want) found = *it;
        for (auto it = open.rbegin(); it != open.rend() && !found; ++it)
            if (LowerText(GetWindowTemplateName(*it)).find(want) != std::string::npos ||
                LowerText(GetWindowText(*it)).find(want) != std::string::npos)
                found = *it;
        if (!found) {
            if (dialogWaited_ >= 5000) Fail(where + "no dialog \"" + c.text + "\" opened within 5 s");
            dialogWaited_ += frameInterval_;
            return false;
        }
        dialogWaited_ = 0;
        current_ = found;
        TraceLine("dialog " + c.text);
        return true;
    }
    if (c.action == "read") {
        HWND h = FindControl(c, false);
        std::string line = "read " + std::to_string(c.id) + " " + GetClassName(h) + " \"" +
                           GetWindowText(h) + "\" enabled=" + (IsWindowEnabled(h) ? "1" : "0") +
                           " focus=" + (GetFocus() == h || IsChild(h, GetFocus()) ? "1" : "0");
        bool has = false;
        const int pos = Position(h, &has);
        if (IsCheckable(h)) line += " checked=" + std::to_string(SendMessage(h, BM_GETCHECK, 0, 0));
        if (has) line += " position=" + std::to_string(pos);
        std::vector<std::string> rows;
        int sel = -1;
        if (IsListLike(h)) {
            rows = Rows(h, &sel);
            line += " selected=" + std::to_string(sel) + " rows=" + std::to_string(rows.size());
            if (GetClassName(h) == WC_LISTBOX)
                line += " top=" + std::to_string(SendMessage(h, LB_GETTOPINDEX, 0, 0));
            line += ScrollState(h);
        }
        TraceLine(line);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (c.button.empty() || static_cast<int>(i) == sel)
                TraceLine("read " + std::to_string(c.id) + " row " + std::to_string(i) + ": \"" + rows[i] + "\"");
        return true;
    }
    if (c.action == "expect") {
        HWND h = FindControl(c, false);
        const std::string shown = Shows(h);
        if (shown != c.button)
            Fail(where + "control " + std::to_string(c.id) + " shows \"" + shown + "\", not \"" + c.button + "\"");
        TraceLine("expect " + std::to_string(c.id) + " \"" + c.button + "\"");
        return true;
    }
    if (c.action == "click" && c.text == "all") return SweepRightClicks(c);
    if (c.action == "click" && CurrentDialog() && !GetDlgItem(CurrentDialog(), static_cast<int>(c.id))) {
        // A toolbar button is clicked by its command id.
        for (HWND t = GetWindow(CurrentDialog(), GW_CHILD); t; t = GetWindow(t, GW_HWNDNEXT)) {
            if (GetClassName(t) != TOOLBARCLASSNAME || !IsWindowVisible(t)) continue;
            const auto index = SendMessage(t, TB_COMMANDTOINDEX, static_cast<WParam>(c.id), 0);
            RECT r;
            if (index < 0 || SendMessage(t, TB_GETITEMRECT, static_cast<WParam>(index), reinterpret_cast<LParam>(&r)) == 0)
                continue;
            MapWindowPoints(t, {}, &r);
            TraceLine("click " + std::to_string(c.id) + (c.button.empty() ? "" : " " + c.button));
            const Command m = ClickIn(r, c.button);
            InjectMouse(m);
            if (c.button == "double") InjectMouse(m);
            return true;
        }
    }
    HWND h = FindControl(c, true);
    TraceLine(c.action + " " + std::to_string(c.id) + (c.button.empty() ? "" : " " + c.button) +
              (c.action == "scroll" && !c.text.empty() ? " " + c.text : ""));
    if (c.action == "scroll") {
        const bool vertical = c.button == "up" || c.button == "down";
        const HWND bar = ListScrollBar(h, vertical);
        if (!bar) Fail(where + "control " + std::to_string(c.id) + " shows no " + (vertical ? "vertical" : "horizontal") + " scroll bar");
        SCROLLBARINFO info;
        SendMessage(bar, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LParam>(&info));
        const RECT r = info.rcScrollBar;
        const int length = vertical ? r.bottom - r.top : r.right - r.left;
        const bool forward = c.button == "right" || c.button == "down";
        // Half an arrow in from the end, or halfway between the thumb and the arrow.
        const int along = c.text == "page"
                              ? (forward ? (info.xyThumbBottom + length - info.dxyLineButton) / 2
                                         : (info.dxyLineButton + info.xyThumbTop) / 2)
                              : (forward ? length - info.dxyLineButton / 2 : info.dxyLineButton / 2);
        const RECT spot = vertical ? RECT{r.left, r.top + along, r.right, r.top + along + 1}
                                   : RECT{r.left + along, r.top, r.left + along + 1, r.bottom};
        InjectMouse(ClickIn(spot, "left"));
        return true;
    }
    if (c.action == "click") {
        ClickAt(h, c.button);
        return true;
    }
    // set
    const std::string cls = GetClassName(h);
    HWND dialog = GetParent(h);
    // A combo with an edit takes a value none of its rows holds as typed text.
    HWND typedInto = h;
    if (cls == WC_COMBOBOX && GetDlgItem(h, 1001)) {
        int sel = -1;
        if (FindRow(Rows(h, &sel), c.button) < 0) typedInto = GetDlgItem(h, 1001);
    }
    if (GetClassName(typedInto) == WC_EDIT) {
        SetFocus(typedInto);
        SendMessage(typedInto, EM_SETSEL, 0, -1);
        SendMessage(typedInto, WM_CLEAR, 0, 0);
        for (char ch : c.button)
            SendMessage(typedInto, WM_CHAR, static_cast<unsigned char>(ch), 0);
        // The user moves on, and the edit hears it lose the focus.
        if (HWND next = GetNextDlgTabItem(dialog, h, false); next && next != h) SetFocus(next);
        return true;
    }
    if (IsCheckable(h)) {
        for (int i = 0; i < 3 && std::to_string(SendMessage(h, BM_GETCHECK, 0, 0)) != c.button; ++i)
            SendMessage(h, BM_CLICK, 0, 0);
        if (std::to_string(SendMessage(h, BM_GETCHECK, 0, 0)) != c.button)
            Fail(where + "control " + std::to_string(c.id) + " cannot show " + c.button);
        return true;
    }
    if (IsListLike(h)) {
        int sel = -1;
        const auto rows = Rows(h, &sel);
        const int row = FindRow(rows, c.button);
        if (row < 0) Fail(where + "control " + std::to_string(c.id) + " has no row \"" + c.button + "\"");
        SetFocus(h);
        if (cls == WC_LISTBOX) {
            SendMessage(h, LB_SETCURSEL, static_cast<WParam>(row), 0);
            SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(c.id), LBN_SELCHANGE), static_cast<LParam>(h.id));
        } else if (cls == WC_COMBOBOX) {
            SendMessage(h, CB_SETCURSEL, static_cast<WParam>(row), 0);
            SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(c.id), CBN_SELCHANGE), static_cast<LParam>(h.id));
        } else {
            LVITEM clear;
            clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessage(h, LVM_SETITEMSTATE, static_cast<WParam>(-1), reinterpret_cast<LParam>(&clear));
            LVITEM it;
            it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessage(h, LVM_SETITEMSTATE, static_cast<WParam>(row), reinterpret_cast<LParam>(&it));
        }
        return true;
    }
    if (cls == TRACKBAR_CLASS) {
        const int want = std::atoi(c.button.c_str());
        SetFocus(h);
        for (int i = 0; i < 100000; ++i) {
            const int pos = static_cast<int>(SendMessage(h, TBM_GETPOS, 0, 0));
            if (pos == want) break;
            const WParam key = pos < want ? VK_RIGHT : VK_LEFT;
            SendMessage(h, WM_KEYDOWN, key, 0);
            SendMessage(h, WM_KEYUP, key, 0);
            if (static_cast<int>(SendMessage(h, TBM_GETPOS, 0, 0)) == pos) break;  // at an end
        }
        return true;
    }
    if (cls == UPDOWN_CLASS) {
        const int n = std::atoi(c.button.c_str());
        if (n == 0 && c.button != "+0" && c.button != "-0") Fail(where + "expected +N or -N for an up-down");
        for (int i = 0; i < std::abs(n); ++i)
            SendMessage(h, WM_KEYDOWN, n > 0 ? VK_UP : VK_DOWN, 0);
        return true;
    }
    Fail(where + "control " + std::to_string(c.id) + " (" + cls + ") cannot be set");
    return true;
}

}  // namespace simrun
