#include "script.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <utility>

#include "sim/input/key_names.h"
#include "win/compositor.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/program_entry.h"

namespace simrun {
namespace {

using platform::Scancode;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Runs a host command through the shell and waits for it: true when it ended with 0. Unlike
// std::system the runner does not ignore SIGINT meanwhile, so a command may send the runner any
// of the signals that end a session.
bool RunHostCommand(const std::string& command) {
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
        0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ParseNumber(const std::string& s, std::uint32_t* out) {
    if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), ::isdigit)) return false;
    *out = static_cast<std::uint32_t>(std::stoul(s));
    return true;
}

bool ParseSigned(const std::string& s, int* out) {
    std::size_t start = (!s.empty() && s[0] == '-') ? 1 : 0;
    if (s.size() <= start || s.size() > 7 ||
        !std::all_of(s.begin() + static_cast<std::ptrdiff_t>(start), s.end(), ::isdigit))
        return false;
    *out = std::stoi(s);
    return true;
}


std::string StripAmpersands(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
    return Lower(s);
}

// A deque: parsed commands keep pointers to their rows while others register.
std::deque<ScriptCommand>& RegisteredCommands() {
    static std::deque<ScriptCommand> commands;
    return commands;
}

}  // namespace

std::string Word(std::string& rest) {
    std::size_t b = rest.find_first_not_of(" \t");
    if (b == std::string::npos) {
        rest.clear();
        return {};
    }
    std::string word;
    std::size_t e;
    if (rest[b] == '"') {
        e = rest.find('"', b + 1);
        if (e == std::string::npos) e = rest.size();
        word = rest.substr(b + 1, e - b - 1);
        e = std::min(rest.size(), e + 1);
    } else {
        e = rest.find_first_of(" \t", b);
        if (e == std::string::npos) e = rest.size();
        word = rest.substr(b, e - b);
    }
    rest = rest.substr(e);
    return word;
}

namespace {

std::vector<void (*)(std::uint32_t)>& FrameHooks() {
    static std::vector<void (*)(std::uint32_t)> hooks;
    return hooks;
}

}  // namespace

void RegisterFrameHook(void (*hook)(std::uint32_t ms)) {
    FrameHooks().push_back(hook);
}

void RegisterScriptCommand(const ScriptCommand& command) {
    RegisteredCommands().push_back(command);
}

const ScriptCommand* FindScriptCommand(const std::string& verb) {
    for (const ScriptCommand& c : RegisteredCommands())
        if (Lower(c.verb) == verb) return &c;
    return nullptr;
}

bool ParseKeyName(const std::string& name, std::vector<Scancode>* modifiers, Scancode* key) {
    // Alt alone, as a user presses it to reach the menu bar.
    if (Lower(name) == "alt") {
        modifiers->clear();
        *key = Scancode::LeftAlt;
        return true;
    }
    // The program's own key names, so a script types what a binding file names.
    const std::uint32_t code = sim::ParseScriptKeyName(name);
    if (code == 0 || (code & sim::kKeySlew) != 0) return false;
    const Scancode k = win::ScancodeForVirtualKey(code & sim::kKeyMask);
    if (k == Scancode::Unknown) return false;
    modifiers->clear();
    if ((code & sim::kKeyShift) != 0) modifiers->push_back(Scancode::LeftShift);
    if ((code & sim::kKeyCtrl) != 0) modifiers->push_back(Scancode::LeftCtrl);
    if ((code & sim::kKeyAlt) != 0) modifiers->push_back(Scancode::LeftAlt);
    *key = k;
    return true;
}

std::optional<std::vector<Command>> ParseScript(const std::string& source, std::string* error) {
    std::vector<Command> out;
    std::istringstream in(source);
    std::string raw;
    int lineNo = 0;
    auto bad = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNo) + ": " + why + ": " + raw;
        return std::nullopt;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string rest = raw;
        std::string verb = Lower(Word(rest));
        if (verb.empty() || verb[0] == '#') continue;
        Command c;
        c.line = lineNo;
        if (verb == "wait-for") {
            // A line the program traces, waited for as a pilot waits for the controller's
            // call; the run fails when it does not come within the time given.
            c.kind = Command::Kind::WaitFor;
            c.text = Word(rest);
            if (c.text.empty() || !ParseNumber(Word(rest), &c.ms))
                return bad("expected \"TEXT\" MILLISECONDS");
        } else if (verb == "wait" || verb == "frame-interval") {
            c.kind = verb == "wait" ? Command::Kind::Wait : Command::Kind::FrameInterval;
            if (!ParseNumber(Word(rest), &c.ms) ||
                (c.kind == Command::Kind::FrameInterval && c.ms == 0))
                return bad("expected milliseconds");
        } else if (verb == "key") {
            c.kind = Command::Kind::Key;
            std::string name = Word(rest);
            if (!ParseKeyName(name, &c.modifiers, &c.key)) return bad("unknown key '" + name + "'");
            c.action = Lower(Word(rest));
            if (c.action != "down" && c.action != "up" && c.action != "press")
                return bad("expected down, up or press");
        } else if (verb == "mouse") {
            c.kind = Command::Kind::Mouse;
            if (!ParseSigned(Word(rest), &c.x) || !ParseSigned(Word(rest), &c.y))
                return bad("expected X Y");
            c.action = Lower(Word(rest));
            static const char* actions[] = {"move",       "left-down", "left-up",    "left-click",
                                            "right-down", "right-up",  "right-click"};
            if (std::none_of(std::begin(actions), std::end(actions),
                             [&](const char* a) { return c.action == a; }))
                return bad("unknown mouse action '" + c.action + "'");
        } else if (verb == "menu") {
            c.kind = Command::Kind::Menu;
            if (!ParseNumber(Word(rest), &c.id) || c.id > 0xFFFF)
                return bad("expected a command id");
        } else if (verb == "answer") {
            c.kind = Command::Kind::Answer;
            c.text = Word(rest);
            c.button = Word(rest);
            const std::string when = Lower(Word(rest));
            c.always = when == "always";
            if (c.text.empty() || c.button.empty() || (!when.empty() && !c.always))
                return bad("expected TEXT BUTTON [always]");
        } else if (verb == "screenshot") {
            c.kind = Command::Kind::Screenshot;
            c.text = Word(rest);
            if (c.text.empty()) return bad("expected a file name");
        } else if (verb == "save") {
            c.kind = Command::Kind::Save;
            c.text = Word(rest);
            if (c.text.empty()) return bad("expected a file name");
        } else if (verb == "focus") {
            // Another program takes the desktop's focus, or gives it back.
            c.kind = Command::Kind::Focus;
            c.action = Lower(Word(rest));
            if (c.action != "lost" && c.action != "gained") return bad("expected lost or gained");
        } else if (verb == "shell") {
            // A command of the host run at this point of the script (a photograph of the
            // display, say); the run stops when it fails.
            c.kind = Command::Kind::Shell;
            c.text = Word(rest);
            if (c.text.empty()) return bad("expected a quoted command");
        } else if (verb == "quit") {
            c.kind = Command::Kind::Quit;
        } else if (std::string why; ParseDialogCommand(verb, rest, &c, &why)) {
            if (!why.empty()) return bad(why);
            rest.clear();
        } else if (const ScriptCommand* registered = FindScriptCommand(verb)) {
            c.kind = Command::Kind::Registered;
            c.registered = registered;
            for (std::string w = Word(rest); !w.empty(); w = Word(rest))
                c.words.push_back(w);
            std::string why;
            if (registered->check != nullptr && !registered->check(c.words, &why)) return bad(why);
        } else {
            return bad("unknown command '" + verb + "'");
        }
        if (!Word(rest).empty()) return bad("unexpected words at the end");
        out.push_back(std::move(c));
    }
    return out;
}

Driver::Driver(platform::HeadlessBackend& machine, std::vector<Command> commands)
    : machine_(machine), commands_(std::move(commands)) {}

void Driver::Advance(std::uint32_t ms) {
    for (auto* hook : FrameHooks()) hook(ms);
    machine_.Time().Advance(ms);
    simulatedMs_ += ms;
    // A held key repeats as a keyboard does: after half a second, thirty times a second.
    for (HeldKey& h : held_) {
        h.heldMs += ms;
        while (h.heldMs >= kRepeatDelayMs + h.repeats * kRepeatPeriodMs) {
            platform::Event e;
            e.kind = platform::EventKind::KeyDown;
            e.scancode = h.key;
            e.repeat = true;
            machine_.Input().Inject(e);
            ++h.repeats;
        }
    }
}

void Driver::Fail(const std::string& message) {
    failed_ = true;
    failure_ = message;
    std::fflush(stdout);
    std::fprintf(stderr, "simrun: %s\n", message.c_str());
    // A failure while closing ends the run without a second close.
    if (std::function<void()> close = std::exchange(closer, nullptr)) close();
    std::exit(3);
}

void Driver::InjectKey(const Command& c) {
    auto send = [&](Scancode s, bool down) {
        platform::Event e;
        e.kind = down ? platform::EventKind::KeyDown : platform::EventKind::KeyUp;
        e.scancode = s;
        machine_.Input().Inject(e);
    };
    if (c.action != "up") {
        for (Scancode m : c.modifiers)
            send(m, true);
        send(c.key, true);
    }
    std::erase_if(held_, [&](const HeldKey& h) { return h.key == c.key; });
    if (c.action == "down") held_.push_back(HeldKey{c.key, 0, 0});
    if (c.action != "down") {
        send(c.key, false);
        for (auto it = c.modifiers.rbegin(); it != c.modifiers.rend(); ++it)
            send(*it, false);
    }
}

void Driver::InjectMouse(const Command& c) {
    auto send = [&](platform::EventKind kind, platform::MouseButton b) {
        platform::Event e;
        e.kind = kind;
        e.x = c.x;
        e.y = c.y;
        e.button = b;
        machine_.Input().Inject(e);
    };
    send(platform::EventKind::MouseMove, platform::MouseButton::None);
    const platform::MouseButton b =
        c.action.rfind("left", 0) == 0 ? platform::MouseButton::Left : platform::MouseButton::Right;
    if (c.action.find("-down") != std::string::npos || c.action.find("-click") != std::string::npos)
        send(platform::EventKind::MouseDown, b);
    if (c.action.find("-up") != std::string::npos || c.action.find("-click") != std::string::npos)
        send(platform::EventKind::MouseUp, b);
}

void Driver::Traced(std::string_view line) {
    if (watching_ != nullptr) traced_.emplace_back(line);
}

bool Driver::Step() {
    if (waitLeft_ > 0) {
        const std::uint32_t d = std::min(frameInterval_, waitLeft_);
        Advance(d);
        waitLeft_ -= d;
        return true;
    }
    if (watching_ != nullptr) {
        const Command& c = *watching_;
        for (; watchFrom_ < traced_.size(); ++watchFrom_)
            if (traced_[watchFrom_].find(c.text) != std::string::npos) {
                watching_ = nullptr;
                traced_.clear();
                break;
            }
        if (watching_ != nullptr) {
            if (watchLeft_ == 0)
                Fail("line " + std::to_string(c.line) + ": \"" + c.text + "\" not traced within " +
                     std::to_string(c.ms) + " ms");
            const std::uint32_t d = std::min(frameInterval_, watchLeft_);
            Advance(d);
            watchLeft_ -= d;
            return true;
        }
    }
    while (next_ < commands_.size()) {
        const Command& c = commands_[next_++];
        switch (c.kind) {
            case Command::Kind::Wait:
                waitLeft_ = c.ms;
                if (waitLeft_ > 0) return Step();
                break;
            case Command::Kind::WaitFor:
                watching_ = &c;
                watchFrom_ = 0;
                watchLeft_ = c.ms;
                traced_.clear();
                return Step();
            case Command::Kind::FrameInterval:
                frameInterval_ = c.ms;
                break;
            case Command::Kind::Key:
                InjectKey(c);
                return true;
            case Command::Kind::Mouse:
                InjectMouse(c);
                return true;
            case Command::Kind::Menu: {
                win::HWND main = win::GetDisplayWindow();
                win::TraceLine("menu " + std::to_string(c.id));
                if (!main) Fail("line " + std::to_string(c.line) + ": no main window for the menu");
                win::PostMessage(main, win::WM_COMMAND, c.id, 0);
                return true;
            }
            case Command::Kind::Answer:
                answers_.push_back(Answer{c.text, c.button, c.always});
                break;
            case Command::Kind::Screenshot:
                if (!win::WriteScreenshotBmp(c.text))
                    Fail("line " + std::to_string(c.line) + ": cannot write " + c.text);
                win::TraceLine("screenshot " + c.text);
                break;
            case Command::Kind::Save:
                if (!saver || saver(c.text) == 0)
                    Fail("line " + std::to_string(c.line) + ": cannot save " + c.text);
                win::TraceLine("save " + c.text);
                break;
            case Command::Kind::Focus: {
                win::TraceLine("focus " + c.action);
                platform::Event e;
                e.kind = c.action == "lost" ? platform::EventKind::FocusLost
                                            : platform::EventKind::FocusGained;
                machine_.Input().Inject(e);
                return true;
            }
            case Command::Kind::Shell:
                win::TraceLine("shell " + c.text);
                if (!RunHostCommand(c.text))
                    Fail("line " + std::to_string(c.line) + ": the command failed: " + c.text);
                break;
            case Command::Kind::Dialog:
                if (!RunDialogCommand(c)) {
                    --next_;  // waits for its dialog a frame at a time
                    Advance(frameInterval_);
                }
                return true;
            case Command::Kind::Registered: {
                std::string why;
                if (!c.registered->run(c.words, &why))
                    Fail("line " + std::to_string(c.line) + ": " + why);
                // It set the program's state without a message: the next turn draws it.
                win::NoteOutsideChange();
                break;
            }
            case Command::Kind::Quit: {
                win::TraceLine("quit");
                quitting_ = true;
                platform::Event e;
                e.kind = platform::EventKind::CloseRequested;
                machine_.Input().Inject(e);
                return true;
            }
        }
    }
    if (!quitting_ && UnansweredDialogOpen()) {
        // The script is done with a question still open: a closing user confirms the exit
        // question; any other dialog was left unanswered by mistake.
        win::HWND open = CurrentDialog();
        if (open && IsExitQuestion(open)) {
            quitting_ = true;
            win::TraceLine("end of script");
            AnswerWithDefault(open);
            return true;
        }
        Fail("unanswered dialog \"" + UnansweredDialogCaption() + "\": " + DialogText(open));
    }
    if (!quitting_) {
        // The script ended without quitting: close the program the way the user would.
        win::TraceLine("end of script");
        quitting_ = true;
        platform::Event e;
        e.kind = platform::EventKind::CloseRequested;
        machine_.Input().Inject(e);
        return true;
    }
    if (graceLeft_ == 0) Fail("the program did not end within 10 s of simulated time after quit");
    const std::uint32_t d = std::min(frameInterval_, graceLeft_);
    graceLeft_ -= d;
    Advance(d);
    return true;
}

void Driver::OnModal(win::HWND dialog) {
    const std::string caption = win::GetWindowText(dialog);
    const std::string templ = win::GetWindowTemplateName(dialog);
    const std::string text = DialogText(dialog);
    win::TraceLine("dialog " + (templ.empty() ? std::string("-") : templ) + " \"" + caption +
                   "\": " + text);
    // Answers written right after the command that opens the dialog count as given before it.
    while (next_ < commands_.size() && commands_[next_].kind == Command::Kind::Answer) {
        answers_.push_back(
            Answer{commands_[next_].text, commands_[next_].button, commands_[next_].always});
        ++next_;
    }
    for (auto it = answers_.begin(); it != answers_.end(); ++it) {
        const std::string want = Lower(it->text);
        // The exit question is answered by the name the trace gives it, whatever box asks it.
        if (Lower(templ).find(want) == std::string::npos &&
            Lower(caption).find(want) == std::string::npos &&
            Lower(text).find(want) == std::string::npos &&
            !(want == "exit" && IsExitQuestion(dialog)))
            continue;
        // The button by its label (without the mnemonic mark) or by its id.
        win::HWND button;
        std::uint32_t id = 0;
        for (win::HWND c = win::GetWindow(dialog, win::GW_CHILD); c;
             c = win::GetWindow(c, win::GW_HWNDNEXT))
            if (StripAmpersands(win::GetWindowText(c)) == StripAmpersands(it->button)) button = c;
        if (button)
            id = static_cast<std::uint32_t>(win::GetDlgCtrlID(button));
        else if (!ParseNumber(it->button, &id) || id > 0xFFFF)
            Fail("dialog \"" + caption + "\" has no button '" + it->button + "'");
        win::TraceLine("answered " + it->button);
        win::PostMessage(dialog, win::WM_COMMAND,
                         win::MAKEWPARAM(static_cast<std::uint16_t>(id), win::BN_CLICKED),
                         static_cast<win::LParam>(button.id));
        if (!it->always) answers_.erase(it);
        return;
    }
    if (quitting_) {
        // Closing: the exit question is confirmed as a closing user does, with its default
        // button; anything else still open when the script is done is a mistake of the script.
        if (IsExitQuestion(dialog)) {
            AnswerWithDefault(dialog);
            return;
        }
        Fail("unanswered dialog \"" + caption + "\": " + text);
    }
    // Left open for the commands that follow (dialog, set, click, key …).
    DialogOpened(dialog);
}

std::optional<std::string> Driver::AnswerTemplateDialog(std::string_view templateName) {
    while (next_ < commands_.size() && commands_[next_].kind == Command::Kind::Answer) {
        answers_.push_back(
            Answer{commands_[next_].text, commands_[next_].button, commands_[next_].always});
        ++next_;
    }
    const std::string templ = Lower(std::string(templateName));
    for (auto it = answers_.begin(); it != answers_.end(); ++it) {
        if (templ.find(Lower(it->text)) == std::string::npos) continue;
        std::string choice = it->button;
        win::TraceLine("answered " + choice);
        if (!it->always) answers_.erase(it);
        return choice;
    }
    return std::nullopt;
}

}  // namespace simrun
