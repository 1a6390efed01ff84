// The common open and save file dialogs, as the saved-flight and tape code ask for them: a
// request record and the dialog that answers it (a file-name edit, the folder's matching files,
// its sub-folders and the type list, with the standard control ids). A test may install its own
// answering routine instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/handles.h"

namespace ui {

inline constexpr std::uint32_t OFN_READONLY = 0x00000001;
inline constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr std::uint32_t OFN_HIDEREADONLY = 0x00000004;
inline constexpr std::uint32_t OFN_NOCHANGEDIR = 0x00000008;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr std::uint32_t OFN_NOREADONLYRETURN = 0x00008000;

struct FileDialogRequest {
    win::HWND owner{};
    bool save = false;
    std::string title;          // empty: the system's own title
    std::string filterName;     // "Flight Files (*.Flt)"
    std::string filterPattern;  // "*.Flt"
    int filterIndex = 1;
    std::string initialFolder;
    std::string defaultExtension;
    std::uint32_t flags = 0;
    std::size_t bufferSize = 256;  // the longest path the caller takes, its NUL included
    std::string file;              // in: the starting name; out: the chosen path
    std::vector<std::string> hiddenNames;  // files not offered (the program's own), any case
    // Saving: a hidden name typed by hand is refused with this text (the dialog stays open);
    // empty: it is taken like any other.
    std::string hiddenRefusal;
};

// Runs the dialog: 1 with request.file holding the chosen path, 0 when cancelled. A chosen path
// that does not fit the caller's buffer counts as cancelled.
int RunFileDialog(FileDialogRequest& request);

// Control ids of the standard dialog.
inline constexpr int kFileNameId = 1152;
inline constexpr int kFileListId = 1120;
inline constexpr int kFolderListId = 1121;
inline constexpr int kFileTypeId = 1136;

// An installed answer replaces the dialog (unit tests); null shows the dialog.
extern int (*theFileDialogHandler)(FileDialogRequest& request);

}  // namespace ui
