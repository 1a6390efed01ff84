#include "ui/file_dialogs.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/file_system.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/file_api.h"

namespace ui {

int (*theFileDialogHandler)(FileDialogRequest& request) = nullptr;

namespace {

using namespace win;

// The standard dialog's own control ids.
constexpr int kNameLabelId = 1090;
constexpr int kFolderTextId = 1088;
constexpr int kTypeLabelId = 1089;
constexpr int kFoldersLabelId = 1091;
constexpr std::size_t kLongestName = 255;

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// A list of patterns separated by ';' ("*.Flt;*.Cam"); "*.*" also matches names without a dot.
bool MatchesAny(const std::string& patterns, const std::string& name) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string one = patterns.substr(start, end - start);
        while (!one.empty() && one.front() == ' ') one.erase(0, 1);
        while (!one.empty() && one.back() == ' ') one.pop_back();
        if (!one.empty() && (platform::MatchPattern(one, name) || one == "*.*")) return true;
        start = end + 1;
    }
    return false;
}

bool HasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string> Split(std::string_view path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

// Joins `name` to `folder` and takes "." and ".." out where they can go, so a typed "..\x"
// names the file itself. Absolute paths (a leading separator) stay absolute; a relative path
// may keep leading ".." parts.
std::string Resolve(const std::string& folder, const std::string& name) {
    const bool nameAbsolute = !name.empty() && (name[0] == '\\' || name[0] == '/');
    std::string whole = nameAbsolute ? name : (folder.empty() ? name : folder + "\\" + name);
    const bool absolute = !whole.empty() && (whole[0] == '\\' || whole[0] == '/');
    std::vector<std::string> out;
    for (const std::string& part : Split(whole)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!out.empty() && out.back() != "..") out.pop_back();
            else if (!absolute) out.push_back("..");
            continue;
        }
        out.push_back(part);
    }
    std::string r = absolute ? "/" : "";
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0) r += absolute ? "/" : "\\";
        r += out[i];
    }
    return r;
}

bool IsFolder(const std::string& path) {
    const std::uint32_t a = GetFileAttributes(path.empty() ? "." : path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::string ItemText(HWND control, int index, bool combo) {
    const LResult n = SendMessage(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WParam>(index), 0);
    if (n < 0) return {};
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    SendMessage(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WParam>(index), reinterpret_cast<LParam>(s.data()));
    s.resize(static_cast<std::size_t>(n));
    return s;
}

DialogTemplate MakeTemplate(const std::string& caption) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 276;
    t.cy = 134;
    t.caption = caption;
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    auto add = [&](const char* cls, const char* text, int id, std::uint32_t style, int x, int y, int cx, int cy) {
        AddDialogItem(t, cls, text, id, style, x, y, cx, cy);
    };
    add("Static", "File &name:", kNameLabelId, 0, 6, 6, 100, 9);
    add("Edit", "", kFileNameId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 6, 16, 100, 12);
    add("ListBox", "", kFileListId,
        WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 6, 32, 100, 68);
    add("Static", "&Folders:", kFoldersLabelId, 0, 114, 6, 96, 9);
    add("Static", "", kFolderTextId, SS_NOPREFIX, 114, 16, 96, 12);
    add("ListBox", "", kFolderListId, WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        114, 32, 96, 68);
    add("Static", "List files of &type:", kTypeLabelId, 0, 6, 104, 100, 9);
    add("ComboBox", "", kFileTypeId, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 6, 114, 100, 60);
    add("Button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 218, 6, 50, 14);
    add("Button", "Cancel", IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 218, 24, 50, 14);
    return t;
}

// The open and save dialog on the dialog base, so it runs in dialog mode, drags and takes the
// program's look like every other dialog.
class FileDialog : public Dialog {
public:
    FileDialog(FileDialogRequest& request)
        : Dialog("", 0), request_(request), form_(MakeTemplate(Caption(request))) {
        builtTemplate = &form_;
    }

    int OnInitDialog(HWND dialog) override {
        Dialog::OnInitDialog(dialog);
        folder_ = Resolve(request_.initialFolder, "");
        pattern_ = request_.filterPattern.empty() ? "*.*" : request_.filterPattern;
        HWND types = GetDlgItem(dialog, kFileTypeId);
        SendMessage(types, CB_ADDSTRING, 0,
                    reinterpret_cast<LParam>((request_.filterName.empty() ? pattern_ : request_.filterName).c_str()));
        SendMessage(types, CB_SETCURSEL, 0, 0);
        // A starting name with a folder opens that folder.
        std::string start = request_.file;
        const std::size_t cut = start.find_last_of("\\/");
        if (cut != std::string::npos) {
            const std::string where = Resolve(folder_, start.substr(0, cut));
            if (IsFolder(where)) folder_ = where;
            start = start.substr(cut + 1);
        }
        Refill();
        SetDlgItemText(dialog, kFileNameId, start.empty() ? pattern_ : start);
        HWND name = GetDlgItem(dialog, kFileNameId);
        SetFocus(name);
        SendMessage(name, EM_SETSEL, 0, -1);
        return 0;  // the focus is set
    }

    int OnCommand(unsigned code, WParam wParam, HWND control) override {
        const int id = LOWORD(wParam);
        switch (id) {
            case IDOK:
                Accept();
                return 1;
            case IDCANCEL:
                EndDialog(window, 0);
                return 1;
            case kFileListId:
                if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
                    HWND list = GetDlgItem(window, kFileListId);
                    const LResult i = SendMessage(list, LB_GETCURSEL, 0, 0);
                    if (i >= 0) SetDlgItemText(window, kFileNameId, ItemText(list, static_cast<int>(i), false));
                    if (code == LBN_DBLCLK) Accept();
                }
                return 1;
            case kFolderListId:
                if (code == LBN_DBLCLK) {
                    HWND list = GetDlgItem(window, kFolderListId);
                    const LResult i = SendMessage(list, LB_GETCURSEL, 0, 0);
                    if (i >= 0) EnterFolder(Resolve(folder_, ItemText(list, static_cast<int>(i), false)));
                }
                return 1;
            case kFileTypeId:
                if (code == CBN_SELCHANGE) {
                    pattern_ = request_.filterPattern.empty() ? "*.*" : request_.filterPattern;
                    Refill();
                }
                return 1;
            default:
                return Dialog::OnCommand(code, wParam, control);
        }
    }

private:
    static std::string Caption(const FileDialogRequest& r) {
        if (!r.title.empty()) return r.title;
        return r.save ? "Save As" : "Open";
    }

    void EnterFolder(const std::string& folder) {
        folder_ = folder;
        Refill();
        SetDlgItemText(window, kFileNameId, pattern_);
    }

    [[nodiscard]] bool Hidden(const std::string& name) const {
        return std::any_of(request_.hiddenNames.begin(), request_.hiddenNames.end(),
                           [&](const std::string& h) { return Lower(h) == Lower(name); });
    }

    // Lists the folder's files that match the pattern and its sub-folders ("..", then by name).
    void Refill() {
        HWND files = GetDlgItem(window, kFileListId);
        HWND folders = GetDlgItem(window, kFolderListId);
        SendMessage(files, LB_RESETCONTENT, 0, 0);
        SendMessage(folders, LB_RESETCONTENT, 0, 0);
        std::vector<std::string> subfolders;
        FindData data;
        FindHandle h = FindFirstFile((folder_.empty() ? std::string() : folder_ + "\\") + "*", &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (data.fileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolders.push_back(data.fileName);
                else if (MatchesAny(pattern_, data.fileName) && !Hidden(data.fileName))
                    SendMessage(files, LB_ADDSTRING, 0, reinterpret_cast<LParam>(data.fileName.c_str()));
            } while (FindNextFile(h, &data));
            FindClose(h);
        }
        std::sort(subfolders.begin(), subfolders.end(),
                  [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
        if (folder_ != "/") SendMessage(folders, LB_ADDSTRING, 0, reinterpret_cast<LParam>(".."));
        for (const std::string& f : subfolders)
            SendMessage(folders, LB_ADDSTRING, 0, reinterpret_cast<LParam>(f.c_str()));
        SetDlgItemText(window, kFolderTextId, folder_.empty() ? "." : folder_);
    }

    void Refuse(const std::string& text) {
        ShowMessageBox(window, text, MB_OK | MB_ICONEXCLAMATION);
        HWND name = GetDlgItem(window, kFileNameId);
        SetFocus(name);
        SendMessage(name, EM_SETSEL, 0, -1);
    }

    // OK: a pattern filters, a folder opens, a file name ends the dialog once it passes the
    // caller's flags.
    void Accept() {
        std::string typed = GetDlgItemText(window, kFileNameId);
        while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.back()))) typed.pop_back();
        while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.front()))) typed.erase(0, 1);
        if (typed.size() >= 2 && typed.front() == '"' && typed.back() == '"') typed = typed.substr(1, typed.size() - 2);
        if (typed.empty()) return;
        if (typed.size() > kLongestName) {
            Refuse("The file name is too long.");
            return;
        }
        const std::size_t cut = typed.find_last_of("\\/");
        const std::string last = cut == std::string::npos ? typed : typed.substr(cut + 1);
        if (HasWildcard(last)) {
            if (cut != std::string::npos) {
                const std::string where = Resolve(folder_, typed.substr(0, cut));
                if (!IsFolder(where)) {
                    Refuse(typed + "\nThe folder does not exist.");
                    return;
                }
                folder_ = where;
            }
            pattern_ = last;
            Refill();
            SetDlgItemText(window, kFileNameId, pattern_);
            return;
        }
        if (HasWildcard(typed) || typed.find_first_of("<>|\"") != std::string::npos) {
            Refuse(typed + "\nThe file name is not valid.");
            return;
        }
        std::string path = Resolve(folder_, typed);
        if (IsFolder(path) && (last.empty() || last == "." || last == ".." || Exists(path))) {
            EnterFolder(path);
            return;
        }
        const std::size_t slash = path.find_last_of("\\/");
        const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
        if (!IsFolder(parent)) {
            Refuse(typed + "\nThe folder does not exist.\nPlease verify the correct path was given.");
            return;
        }
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        // A save always makes a file of its own kind: a name typed with another extension (a
        // pilot's or the settings' file) gets the kind's own added, so no other file is replaced.
        const std::size_t dot = name.find_last_of('.');
        if (!request_.defaultExtension.empty() &&
            (dot == std::string::npos ||
             (request_.save &&
              !platform::EqualIgnoringCase(name.substr(dot + 1), request_.defaultExtension))))
            path += "." + request_.defaultExtension;
        // An existing file keeps the name as stored, whatever case was typed.
        FindData found;
        FindHandle search = FindFirstFile(path, &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            const std::size_t end = path.find_last_of("\\/");
            path = (end == std::string::npos ? std::string() : path.substr(0, end + 1)) + found.fileName;
        }
        if ((request_.flags & OFN_FILEMUSTEXIST) && !Exists(path)) {
            Refuse(typed + "\nFile not found.\nPlease verify the correct file name was given.");
            return;
        }
        if (request_.save && !request_.hiddenRefusal.empty() &&
            Hidden(path.substr(path.find_last_of("\\/") + 1))) {
            Refuse(request_.hiddenRefusal);
            return;
        }
        if (request_.save && (request_.flags & OFN_OVERWRITEPROMPT) && Exists(path) &&
            ShowMessageBox(window, ShownPath(path) + " already exists.\nDo you want to replace it?",
                           MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            HWND edit = GetDlgItem(window, kFileNameId);
            SetFocus(edit);
            return;
        }
        if (path.size() + 1 > request_.bufferSize) {
            Refuse("The file name is too long.");
            return;
        }
        request_.file = path;
        EndDialog(window, 1);
    }

    FileDialogRequest& request_;
    DialogTemplate form_;
    std::string folder_;
    std::string pattern_;
};

}  // namespace

int RunFileDialog(FileDialogRequest& request) {
    const std::string start = request.file;
    int chosen;
    if (theFileDialogHandler != nullptr) {
        chosen = theFileDialogHandler(request);
    } else {
        // The dialog browses with its own folder: the program's working folder stays.
        FileDialog dialog(request);
        chosen = dialog.DoModal(request.owner) == 1 ? 1 : 0;
    }
    if (chosen == 0 || request.file.empty() || request.file.size() >= request.bufferSize) {
        request.file = start;
        return 0;
    }
    return 1;
}

}  // namespace ui
