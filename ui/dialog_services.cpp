#include "ui/dialog_services.h"

#include <cstdio>
#include <string>

#include "win/file_api.h"

namespace ui {

int ShowMessageBox(win::HWND, std::string_view text, std::uint32_t type) {
    // No dialog yet: the text goes to the log and the first button of the set is the answer.
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    switch (type & 7) {
        case MB_YESNOCANCEL:
        case MB_YESNO:
            return win::IDYES;
        case MB_RETRYCANCEL:
            return win::IDRETRY;
        default:
            return win::IDOK;
    }
}

int PromptForDisc(win::HWND, int disc, std::string_view path, std::uint32_t) {
    const std::uint32_t attributes = win::GetFileAttributes(path);
    if (attributes != win::INVALID_FILE_ATTRIBUTES) return 1;
    // Without a dialog nobody can insert the disc, so the prompt counts as cancelled.
    std::fprintf(stderr, "Please insert disc %d: %.*s is missing.\n", disc,
                 static_cast<int>(path.size()), path.data());
    return 0;
}

}  // namespace ui
