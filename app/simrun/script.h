// The runner's script: one command a line, read whole before the run so that a mistake stops
// the run before it starts; then played step by step each time the program's queue runs dry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "win/window.h"

namespace simrun {

// A command that lives in its own source file: its verb, a check of its words when the script
// is read (false with a message stops the run before it starts) and what it does when its turn
// comes (false with a message fails the run). Register it before the script is read.
struct ScriptCommand {
    const char* verb;
    bool (*check)(const std::vector<std::string>& words, std::string* error);
    bool (*run)(const std::vector<std::string>& words, std::string* error);
};
void RegisterScriptCommand(const ScriptCommand& command);
[[nodiscard]] const ScriptCommand* FindScriptCommand(const std::string& verb);
// Called with each stretch of simulated time before it runs (a frame's worth while waiting).
void RegisterFrameHook(void (*hook)(std::uint32_t ms));

struct Command {
    enum class Kind {
        Wait,
        WaitFor,
        FrameInterval,
        Key,
        Mouse,
        Menu,
        Answer,
        Screenshot,
        Save,
        Focus,
        Shell,
        Quit,
        Registered,
        Dialog  // dialog, set, click, read, expect (dialog_commands.cpp)
    };
    Kind kind = Kind::Wait;
    int line = 0;
    std::uint32_t ms = 0;
    // key
    std::vector<platform::Scancode> modifiers;
    platform::Scancode key = platform::Scancode::Unknown;
    std::string action;  // down | up | press, the mouse action, or lost | gained
    // mouse
    int x = 0, y = 0;
    // menu
    std::uint32_t id = 0;
    // answer / screenshot
    std::string text;
    std::string button;
    bool always = false;  // answer ... always: every matching dialog, not only the next
    // a registered command and the words after its verb
    const ScriptCommand* registered = nullptr;
    std::vector<std::string> words;
};

// The dialog commands' parser: true when `verb` is one of them (then `why` is empty, or says
// what is wrong with the line).
bool ParseDialogCommand(const std::string& verb, const std::string& rest, Command* c,
                        std::string* why);

// The texts of a dialog's visible controls joined by " | ", as the trace shows them.
std::string DialogText(win::HWND dialog);
// Whether a dialog is the program's exit question.
bool IsExitQuestion(win::HWND dialog);

// Parses the script; on a bad line returns nothing and puts a message into `error`.
std::optional<std::vector<Command>> ParseScript(const std::string& source, std::string* error);
// The keys to press for a key name of the program's key-name table ("F1", "ShiftP", "Back",
// "Prior", "Numpad8", "ShiftCtrlF1", "Alt`"), with modifiers also written "Shift+P", "Ctrl+O",
// "Alt+Return", and the readable names "Backspace", "PageUp", "PageDown", "Esc", "Del", "Ins";
// "Alt" alone is the Alt key by itself.
bool ParseKeyName(const std::string& name, std::vector<platform::Scancode>* modifiers,
                  platform::Scancode* key);

class Driver {
public:
    Driver(platform::HeadlessBackend& machine, std::vector<Command> commands);
    // One step while the program's queue is dry; false once nothing is left to do.
    bool Step();
    // A modal dialog has started: answer it from the script or stop the run.
    void OnModal(win::HWND dialog);
    // A dialog that is still a least body asks for its choice: the answer given for its
    // template ("answer WindAloft OK"), taken once; none leaves it cancelled.
    std::optional<std::string> AnswerTemplateDialog(std::string_view templateName);
    [[nodiscard]] bool Failed() const { return failed_; }
    [[nodiscard]] const std::string& Failure() const { return failure_; }
    [[nodiscard]] std::uint64_t SimulatedMs() const { return simulatedMs_; }
    // Saves the program's situation into a file (the `save` command); 1 on success.
    std::function<int(const std::string& path)> saver;
    // Closes the program down before a failed run ends the process (as its own close would, so
    // that nothing is left to static destruction).
    std::function<void()> closer;
    // Every line the program traces (the `wait-for` command watches them).
    void Traced(std::string_view line);

private:
    void Advance(std::uint32_t ms);
    void Fail(const std::string& message);
    void InjectKey(const Command& c);
    void InjectMouse(const Command& c);
    // The dialog commands (dialog_commands.cpp): false while the command waits for its dialog.
    bool RunDialogCommand(const Command& c);
    void DialogOpened(win::HWND dialog);
    void AnswerWithDefault(win::HWND dialog);
    bool UnansweredDialogOpen();
    std::string UnansweredDialogCaption();
    win::HWND CurrentDialog();
    win::HWND FindControl(const Command& c, bool mustBeUsable);
    void ClickAt(win::HWND control, const std::string& how);
    // `click all right`: false while controls are left to click.
    bool SweepRightClicks(const Command& c);

    platform::HeadlessBackend& machine_;
    std::vector<Command> commands_;
    std::size_t next_ = 0;
    std::uint32_t frameInterval_ = 16;
    std::uint32_t waitLeft_ = 0;
    std::uint64_t simulatedMs_ = 0;
    bool quitting_ = false;
    // The `wait-for` under way: the lines traced since it began, and its time left.
    std::vector<std::string> traced_;
    std::size_t watchFrom_ = 0;
    std::uint32_t watchLeft_ = 0;
    const Command* watching_ = nullptr;
    std::uint32_t graceLeft_ = 10000;
    bool failed_ = false;
    std::string failure_;
    struct Answer {
        std::string text;
        std::string button;
        bool always = false;
    };
    std::vector<Answer> answers_;
    std::vector<win::HWND> dialogs_;  // modal dialogs seen, oldest first
    win::HWND current_;               // the dialog the dialog commands act on
    std::uint32_t dialogWaited_ = 0;
    std::vector<win::HWND> sweep_;  // the controls `click all right` has still to click
    bool sweeping_ = false;
    // Keys held down by the script, which repeat while held.
    static constexpr std::uint32_t kRepeatDelayMs = 500;
    static constexpr std::uint32_t kRepeatPeriodMs = 33;
    struct HeldKey {
        platform::Scancode key;
        std::uint32_t heldMs;
        std::uint32_t repeats;
    };
    std::vector<HeldKey> held_;
};

// Splits off the first word of a script line (a quoted word without its quotes); the rest
// keeps its inner spaces.
std::string Word(std::string& rest);

}  // namespace simrun
