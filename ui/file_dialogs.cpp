#include "ui/file_dialogs.h"

namespace ui {

int (*theFileDialogHandler)(FileDialogRequest& request) = nullptr;

int RunFileDialog(FileDialogRequest& request) {
    if (theFileDialogHandler == nullptr) return 0;
    const std::string start = request.file;
    if (theFileDialogHandler(request) == 0 || request.file.empty() ||
        request.file.size() >= request.bufferSize) {
        request.file = start;
        return 0;
    }
    return 1;
}

}  // namespace ui
