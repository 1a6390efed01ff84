// The desktop's clipboard of text. On the SDL machine (once its video is up) it is the
// desktop's own; otherwise, and on the headless machine, one text kept in the process.
#pragma once

#include <string>
#include <string_view>

namespace platform {

void SetClipboardText(std::string_view text);
std::string GetClipboardText();
bool HasClipboardText();

}  // namespace platform
