// The runner's help line:
//   popups close     each help popup closes by itself once shown (the runner's default)
//   popups stay      popups stay open until the script clicks or presses a key
//   popups link      clicks the open popup's text (its green link, when the text has a topic)
#include "platform/headless/headless_backend.h"
#include "script.h"
#include "ui/help_popup.h"
#include "win/compositor.h"
#include "win/program_entry.h"
#include "win/window.h"

namespace simrun {
namespace {

bool CheckPopups(const std::vector<std::string>& words, std::string* why) {
    if (words.size() != 1 || (words[0] != "close" && words[0] != "stay" && words[0] != "link")) {
        *why = "expected popups close, stay or link";
        return false;
    }
    return true;
}

bool RunPopups(const std::vector<std::string>& words, std::string* why) {
    win::TraceLine("popups " + words[0]);
    if (words[0] != "link") {
        ui::theHelpPopupHost.closeWhenShown = words[0] == "close";
        return true;
    }
    const win::HWND popup = ui::theHelpPopup.Window();
    if (!popup || !win::IsWindow(popup)) {
        *why = "no help popup is open";
        return false;
    }
    const win::RECT r = ui::theHelpPopup.TextRect();
    win::POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    win::ClientToScreen(popup, &p);
    const win::POINT origin = win::OutputOrigin();
    platform::Backend& backend = platform::CurrentBackend();
    if (!backend.IsHeadless()) {
        *why = "not on the headless machine";
        return false;
    }
    auto* machine = static_cast<platform::HeadlessBackend*>(&backend);
    for (const bool down : {true, false}) {
        platform::Event e;
        e.kind = down ? platform::EventKind::MouseDown : platform::EventKind::MouseUp;
        e.button = platform::MouseButton::Left;
        e.x = p.x - origin.x;
        e.y = p.y - origin.y;
        machine->Input().Inject(e);
    }
    return true;
}

const bool theHelpCommands = [] {
    RegisterScriptCommand(ScriptCommand{"popups", &CheckPopups, &RunPopups});
    // Headless runs would wait forever on a popup nobody closes.
    ui::theHelpPopupHost.closeWhenShown = true;
    return true;
}();

}  // namespace
}  // namespace simrun
