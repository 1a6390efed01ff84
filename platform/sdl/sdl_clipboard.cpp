#include "platform/clipboard.h"

#include <SDL.h>

namespace platform {
namespace {

std::string& LocalText() {
    static std::string text;
    return text;
}

// The desktop's clipboard only exists while SDL's video runs; a headless run never starts it.
bool DesktopClipboard() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

void SetClipboardText(std::string_view text) {
    LocalText() = std::string(text);
    if (DesktopClipboard()) SDL_SetClipboardText(LocalText().c_str());
}

std::string GetClipboardText() {
    if (DesktopClipboard() && SDL_HasClipboardText()) {
        char* t = SDL_GetClipboardText();
        std::string out = t != nullptr ? t : "";
        SDL_free(t);
        return out;
    }
    return LocalText();
}

bool HasClipboardText() {
    return !GetClipboardText().empty();
}

}  // namespace platform
