#include "ui/dialog_services.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/ini_file.h"
#include "ui/generic_dialog.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/file_api.h"
#include "win/resource.h"

namespace ui {
namespace {

// The awaited file is there: a plain file of its name (a folder, a device or a pipe is none).
bool FileExists(const std::string& path) {
    return win::IsPlainFile(path);
}

// The message box's layout when the resource pack cannot give it (missing, damaged, or without
// the template): the same controls under the same ids, so the box still tells its text.
const win::DialogTemplate& BuiltInGenericTemplate() {
    static const win::DialogTemplate form = [] {
        win::DialogTemplate d;
        d.style = win::DS_MODALFRAME | win::DS_SETFONT | win::WS_POPUP | win::WS_CAPTION |
                  win::WS_SYSMENU;
        d.cx = 160;
        d.cy = 62;
        d.caption = "Zephlon";
        d.fontSize = 8;
        d.fontFace = "MS Sans Serif";
        win::AddDialogItem(d, "Static", "", GenericDialog::kTextId, win::SS_LEFT, 8, 8, 144, 20);
        win::AddDialogItem(d, "Button", "&OK", win::IDYES, win::BS_PUSHBUTTON, 8, 40, 44, 14);
        win::AddDialogItem(d, "Button", "No", win::IDNO, win::BS_PUSHBUTTON, 58, 40, 44, 14);
        win::AddDialogItem(d, "Button", "Cancel", win::IDCANCEL, win::BS_PUSHBUTTON, 108, 40, 44, 14);
        return d;
    }();
    return form;
}

}  // namespace

// ---- GenericDialog ----------------------------------------------------------------------------

GenericDialog::GenericDialog()
    : Dialog("GENERIC", theDialogHost.dialogDepth && theDialogHost.dialogDepth() > 0 ? 0 : 745) {}

GenericDialog::~GenericDialog() {
    if (textFont) win::DeleteObject(win::AsGdiObject(textFont));
}

int GenericDialog::OnInitDialog(win::HWND dialog) {
    using namespace win;
    RECT textRect{};
    if (HWND t = GetDlgItem(dialog, kTextId)) {
        GetWindowRect(t, &textRect);
        MapWindowPoints({}, dialog, &textRect);
    }
    const int r = Dialog::OnInitDialog(dialog);
    shown = true;
    SetWindowLong(dialog, DWL_USER, 20058);
    helpButtonId = kHelpButtonId;
    if (textRect.right <= textRect.left) {
        if (HWND t = GetDlgItem(dialog, kTextId)) {
            GetWindowRect(t, &textRect);
            MapWindowPoints({}, dialog, &textRect);
        }
    }

    // The buttons with a text, in the order 6, 7, 2; the others hide.
    const int ids[3] = {IDYES, IDNO, IDCANCEL};
    const std::string* texts[3] = {&button1, &button2, &button3};
    std::vector<HWND> shown;
    for (int i = 0; i < 3; ++i) {
        HWND b = GetDlgItem(dialog, ids[i]);
        if (!b) continue;
        if (texts[i]->empty()) {
            ShowWindow(b, SW_HIDE);
        } else {
            SetWindowText(b, *texts[i]);
            shown.push_back(b);
        }
    }
    // The first shown button is the default one.
    if (!shown.empty()) SendMessage(dialog, DM_SETDEFID, static_cast<WParam>(GetDlgCtrlID(shown[0])), 0);

    HWND textControl = GetDlgItem(dialog, kTextId);
    if (!textControl) return r;
    textFont = CreateFont(-17, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
    SendMessage(textControl, WM_SETFONT, textFont.id, 0);
    SetWindowText(textControl, text);

    // The text's size: a box of about 8:5 on one line's area, at least 128 pixels wide (192 with
    // three buttons), then wrapped at that width.
    HDC dc = CreateCompatibleDC({});
    HGDIOBJ old = SelectObject(dc, AsGdiObject(textFont));
    RECT one{0, 0, 0, 0};
    DrawText(dc, text, &one, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    const long long a = static_cast<long long>(one.right - one.left) * (one.bottom - one.top) * 8 / 5;
    int width = static_cast<int>(std::sqrt(static_cast<double>(a) * 0.25) * 4.0);
    const int minimum = shown.size() < 3 ? 128 : 192;
    width = std::max(width, minimum);
    RECT wrapped{0, 0, width, 0};
    DrawText(dc, text, &wrapped, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    SelectObject(dc, old);
    DeleteDC(dc);
    int shift = 0;
    if (wrapped.right - wrapped.left < minimum) {
        shift = (minimum - (wrapped.right - wrapped.left)) / 2;
        wrapped.right = wrapped.left + minimum;
    }
    const int newW = wrapped.right - wrapped.left, newH = wrapped.bottom - wrapped.top;
    const int growX = newW - (textRect.right - textRect.left);
    const int growY = newH - (textRect.bottom - textRect.top);
    MoveWindow(textControl, textRect.left + shift, textRect.top, newW - shift, newH, true);

    RECT wr;
    GetWindowRect(dialog, &wr);
    SetWindowPos(dialog, {}, wr.left - growX / 2, wr.top - growY / 2, (wr.right - wr.left) + growX,
                 (wr.bottom - wr.top) + growY, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(dialog, &client);
    if (HWND frame = GetDlgItem(dialog, kFrameControlId))
        MoveWindow(frame, 0, 0, client.right, client.bottom, true);

    int total = 0;
    for (HWND b : shown) {
        RECT br;
        GetWindowRect(b, &br);
        total += br.right - br.left;
    }
    const int gap = shown.empty() ? 0 : (client.right - total) / (static_cast<int>(shown.size()) + 1);
    int x = 0;
    for (HWND b : shown) {
        RECT br;
        GetWindowRect(b, &br);
        MapWindowPoints({}, dialog, &br);
        x += gap;
        MoveWindow(b, x, br.top + growY, br.right - br.left, br.bottom - br.top, true);
        x += br.right - br.left;
    }
    if (!shown.empty()) SetFocus(shown[0]);
    return 0;
}

int GenericDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK || id == win::IDRETRY || id == win::IDYES) {
        // A disc prompt stays until the file it waits for is there.
        if (!awaitedFile.empty() && !FileExists(awaitedFile)) return Dialog::OnCommand(notifyCode, wParam, control);
        win::EndDialog(window, id);
        return 1;
    }
    if (id == win::IDCANCEL || id == win::IDNO) {
        win::EndDialog(window, id);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

int GenericDialog::OnDeviceChange(unsigned, win::DEV_BROADCAST_HDR* header) {
    if (!awaitedFile.empty() && header != nullptr && header->dbch_devicetype == win::DBT_DEVTYP_VOLUME)
        win::PostMessage(window, win::WM_COMMAND, win::IDOK, 0);
    return 0;
}

// ---- InsertCD ---------------------------------------------------------------------------------

namespace {
constexpr int kPromptText = 2023;
constexpr int kMissingFileText = 2024;
}  // namespace

InsertCDDialog::InsertCDDialog(int disc) : Dialog(disc == 2 ? "INSERT_CD2" : "INSERT_CD1", 760) {}

int InsertCDDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    // The file looked for, so the user knows what to put back.
    if (!awaitedFile.empty())
        win::SetDlgItemText(dialog, kMissingFileText, "Looking for " + win::ShownPath(awaitedFile));
    if (buttonType == 5) {
        // The words name the button the user has.
        win::SetDlgItemText(dialog, win::IDOK, "Retry");
        std::string text = win::GetDlgItemText(dialog, kPromptText);
        if (const std::size_t at = text.find("press OK"); at != std::string::npos) {
            text.replace(at, 8, "press Retry");
            win::SetDlgItemText(dialog, kPromptText, text);
        }
    }
    if (buttonType == 0)
        if (win::HWND c = win::GetDlgItem(dialog, win::IDCANCEL)) win::ShowWindow(c, win::SW_HIDE);
    return r;
}

int InsertCDDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK) {
        if (!awaitedFile.empty() && !FileExists(awaitedFile)) return Dialog::OnCommand(notifyCode, wParam, control);
        win::EndDialog(window, 1);
        return 1;
    }
    if (id == win::IDCANCEL) {
        win::EndDialog(window, 2);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

int InsertCDDialog::OnDeviceChange(unsigned, win::DEV_BROADCAST_HDR* header) {
    if (!awaitedFile.empty() && header != nullptr && header->dbch_devicetype == win::DBT_DEVTYP_VOLUME)
        win::PostMessage(window, win::WM_COMMAND, win::IDOK, 0);
    return 0;
}

// ---- The services -----------------------------------------------------------------------------

namespace {

int ShowBox(win::HWND parent, std::string_view text, std::uint32_t type, bool builtIn) {
    GenericDialog box;
    box.text = std::string(text);
    if (builtIn) box.builtTemplate = &BuiltInGenericTemplate();
    switch (type & 7) {
        case MB_OK:
            break;
        case MB_OKCANCEL:
            box.button3 = "Cancel";
            break;
        case MB_YESNOCANCEL:
            box.button1 = "Yes";
            box.button2 = "No";
            box.button3 = "Cancel";
            break;
        case MB_YESNO:
            box.button1 = "Yes";
            box.button2 = "No";
            break;
        case MB_RETRYCANCEL:
            box.button1 = "Retry";
            box.button3 = "Cancel";
            break;
        default:
            break;  // types 2, 6 and 7: "&OK", answering 6
    }
    const std::intptr_t r = box.DoModal(parent);
    // A box that was shown and then taken down with the program counts as cancelled.
    if (r < 0 && box.shown) return win::IDCANCEL;
    if (r < 0) {
        // No template (no resource library): the text goes to the log and the first button
        // of the set is the answer, as a user who only reads would give.
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        switch (type & 7) {
            case MB_OK:
            case MB_OKCANCEL:
                return win::IDOK;
            case MB_RETRYCANCEL:
                return win::IDRETRY;
            default:
                return win::IDYES;
        }
    }
    // The first button of every set but the Windows-style OK ones answers with its own id.
    if (r == win::IDYES && ((type & 7) == MB_OK || (type & 7) == MB_OKCANCEL)) return win::IDOK;
    if (r == win::IDYES && (type & 7) == MB_RETRYCANCEL) return win::IDRETRY;
    return static_cast<int>(r);
}

}  // namespace

int ShowMessageBox(win::HWND parent, std::string_view text, std::uint32_t type) {
    // A pack that lost its template still gets the box. Without any pack (a part of the program
    // run on its own) the text goes to the log, as ShowBox does when no template is found.
    const win::HINSTANCE library =
        theDialogHost.resourceLibrary ? theDialogHost.resourceLibrary() : win::HINSTANCE{};
    return ShowBox(parent, text, type, library && !win::LoadDialogTemplate(library, "GENERIC"));
}

int ShowMessageBoxWithoutResources(std::string_view text, std::uint32_t type) {
    return ShowBox({}, text, type, true);
}

std::string FileMessageText(std::string_view format, std::string_view path, std::uint32_t error) {
    const std::string shown = win::ShownPath(path);
    std::string sentence(format);
    if (const std::size_t at = sentence.find("%s"); at != std::string::npos)
        sentence.replace(at, 2, shown);
    std::string reason = win::DescribeFileErrorAt(path, error);
    if (!shown.empty() && sentence.find(shown) == std::string::npos) {
        reason = shown + ": " + reason;
    } else if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z') {
        reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
    }
    return sentence + "\n\n" + reason + ".";
}

int ShowFileMessage(win::HWND parent, std::string_view sentence, std::string_view path,
                    std::uint32_t error) {
    const std::string text = FileMessageText(sentence, path, error);
    std::string line = text;
    for (std::size_t at; (at = line.find("\n\n")) != std::string::npos;) line.replace(at, 2, " ");
    std::fprintf(stderr, "zephlon: %s\n", line.c_str());
    ShowMessageBox(parent, text, MB_ICONEXCLAMATION);
    return win::IDOK;
}

int PromptForDisc(win::HWND parent, int disc, std::string_view path, std::uint32_t buttons) {
    if (path.empty()) return 0;
    const std::string file(path);
    if (FileExists(file)) return 1;
    // No disc brings the file while a folder, a device or a pipe stands in its place.
    if (win::IsOtherThanPlainFile(file)) {
        ShowFileMessage(parent, "Zephlon cannot read the file %s.", file, win::ERROR_BAD_FILE_TYPE);
        return 0;
    }
    const int showMissing = core::theIniFile.GetInt("System", "ShowMissingFiles", 0);
    win::WatchPathForArrival(file);
    int result;
    if ((disc == 1 || disc == 2) && showMissing == 0) {
        InsertCDDialog prompt(disc);
        prompt.awaitedFile = file;
        prompt.buttonType = static_cast<int>(buttons);
        const std::intptr_t r = prompt.DoModal(parent);
        result = r < 0 ? (FileExists(file) ? 1 : 0) : (r == 2 ? 0 : 1);
    } else {
        GenericDialog prompt;
        prompt.text = "Please insert Zephlon's CD #" + std::to_string(disc) + " into the drive.";
        if (showMissing != 0)
            prompt.text += "\nLooking for " + win::ShownPath(file) + "\nCurDir is " +
                           win::GetCurrentDirectory().substr(0, 300);
        switch (buttons & 7) {
            case 1:
                prompt.button3 = "Cancel";
                break;
            case 3:
                prompt.button1 = "Yes";
                prompt.button2 = "No";
                prompt.button3 = "Cancel";
                break;
            case 4:
                prompt.button1 = "Yes";
                prompt.button2 = "No";
                break;
            case 5:
                prompt.button1 = "Retry";
                prompt.button3 = "Cancel";
                break;
            default:
                break;
        }
        prompt.awaitedFile = file;
        prompt.discNumber = disc;
        const std::intptr_t r = prompt.DoModal(parent);
        result = r < 0 ? (FileExists(file) ? 1 : 0) : (r == win::IDNO || r == win::IDCANCEL ? 0 : 1);
    }
    win::StopWatchingPath(file);
    return result;
}

}  // namespace ui
