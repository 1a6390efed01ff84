#include "device_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <span>

#include "devices/wave.h"
#include "platform/file_system.h"
#include "win/dsound.h"
#include "win/program_entry.h"

namespace simrun {

namespace {

constexpr std::uint32_t kPressMs = 100;

// How many audio lines of the script are still to come: the card keeps its capture only while
// one is, and only what the next one will write.
std::size_t theAudioLinesLeft = 0;
// The folder the script was read from: audio files named relative to it stay there after the
// runner enters the installation's folder.
std::filesystem::path theCallerFolder;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Number(const std::string& s, int lo, int hi, int* out) {
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

const char* const kHatNames[] = {"centre", "up",        "up-right", "right",  "down-right",
                                 "down",   "down-left", "left",     "up-left"};
const std::uint8_t kHatBits[] = {0,
                                 platform::kHatUp,
                                 platform::kHatUp | platform::kHatRight,
                                 platform::kHatRight,
                                 platform::kHatDown | platform::kHatRight,
                                 platform::kHatDown,
                                 platform::kHatDown | platform::kHatLeft,
                                 platform::kHatLeft,
                                 platform::kHatUp | platform::kHatLeft};

// A joystick line read: what to do, the stick's name and the numbers.
struct StickLine {
    std::string action;
    std::string name;
    std::vector<int> numbers;
};

bool ParseStick(const std::vector<std::string>& words, StickLine* line, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };
    const auto word = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    line->action = Lower(word(0));
    std::size_t used = 1;
    if (line->action == "plug") {
        line->name = word(1);
        if (line->name.empty()) return fail("expected a joystick name");
        line->numbers = {4, 8, 1, 0};  // axes, buttons, hats, haptic
        for (used = 2; used < words.size();) {
            const std::string w = Lower(word(used++));
            if (w == "haptic") {
                line->numbers[3] = 1;
                continue;
            }
            int* slot = w == "axes"      ? &line->numbers[0]
                        : w == "buttons" ? &line->numbers[1]
                        : w == "hats"    ? &line->numbers[2]
                                         : nullptr;
            if (slot == nullptr || !Number(word(used++), 0, 64, slot))
                return fail("expected axes N, buttons N, hats N or haptic");
        }
    } else if (line->action == "unplug") {
    } else if (line->action == "axis") {
        int axis = 0, value = 0;
        if (!Number(word(1), 0, platform::kMaxJoystickAxes - 1, &axis) ||
            !Number(word(2), -32768, 32767, &value))
            return fail("expected an axis 0..7 and a value -32768..32767");
        line->numbers = {axis, value};
        used = 3;
    } else if (line->action == "button") {
        int button = 0;
        if (!Number(word(1), 1, platform::kMaxJoystickButtons, &button))
            return fail("expected a button 1..32");
        const std::string how = Lower(word(2));
        if (how != "down" && how != "up" && how != "press")
            return fail("expected down, up or press");
        line->numbers = {button, how == "down" ? 1 : (how == "up" ? 0 : 2)};
        used = 3;
    } else if (line->action == "hat") {
        int hat = 0;
        if (!Number(word(1), 0, platform::kMaxJoystickHats - 1, &hat))
            return fail("expected a hat 0..3");
        const std::string where = Lower(word(2));
        const auto* it = std::find(std::begin(kHatNames), std::end(kHatNames), where);
        if (it == std::end(kHatNames)) return fail("unknown hat direction '" + where + "'");
        line->numbers = {hat, static_cast<int>(it - std::begin(kHatNames))};
        used = 3;
    } else {
        return fail("expected plug, unplug, axis, button or hat");
    }
    if (used < words.size()) return fail("unexpected words at the end");
    return true;
}

platform::HeadlessBackend* Machine() {
    return dynamic_cast<platform::HeadlessBackend*>(&platform::CurrentBackend());
}

// Runs a joystick line; `announce` puts hot-plug events into the machine's queue.
bool RunStick(const StickLine& line, platform::HeadlessBackend& machine, bool announce,
              std::string* error) {
    platform::HeadlessJoysticks& sticks = machine.Sticks();
    auto announceChange = [&](platform::EventKind kind, int index) {
        if (!announce) return;
        platform::Event e;
        e.kind = kind;
        e.joystick = index;
        machine.Input().Inject(e);
    };
    if (line.action == "plug") {
        platform::JoystickInfo info;
        info.name = line.name;
        info.axes = line.numbers[0];
        info.buttons = line.numbers[1];
        info.hats = line.numbers[2];
        info.haptic = line.numbers[3] != 0;
        announceChange(platform::EventKind::JoystickAdded, sticks.Plug(info));
        win::TraceLine("joystick plug " + line.name);
        return true;
    }
    const int last = sticks.Count() - 1;
    if (last < 0) {
        *error = "no joystick is plugged in";
        return false;
    }
    if (line.action == "unplug") {
        sticks.Unplug(last);
        announceChange(platform::EventKind::JoystickRemoved, last);
        win::TraceLine("joystick unplug");
        return true;
    }
    bool done = false;
    if (line.action == "axis") {
        done = sticks.SetAxis(last, line.numbers[0], static_cast<std::int16_t>(line.numbers[1]));
    } else if (line.action == "button") {
        done = line.numbers[1] == 2 ? sticks.PressButton(last, line.numbers[0], kPressMs)
                                    : sticks.SetButton(last, line.numbers[0], line.numbers[1] != 0);
    } else if (line.action == "hat") {
        done = sticks.SetHat(last, line.numbers[0],
                             kHatBits[static_cast<std::size_t>(line.numbers[1])]);
    }
    if (!done) *error = "the joystick has no such " + line.action;
    return done;
}

bool CheckJoystick(const std::vector<std::string>& words, std::string* error) {
    StickLine line;
    return ParseStick(words, &line, error);
}

bool RunJoystick(const std::vector<std::string>& words, std::string* error) {
    StickLine line;
    if (!ParseStick(words, &line, error)) return false;
    platform::HeadlessBackend* machine = Machine();
    if (machine == nullptr) {
        *error = "joysticks are scripted on the headless machine only";
        return false;
    }
    return RunStick(line, *machine, true, error);
}

bool CheckAudio(const std::vector<std::string>& words, std::string* error) {
    if (words.size() != 1) {
        *error = "expected a file name";
        return false;
    }
    // The script is read in the caller's folder, before the run enters the installation's.
    if (theCallerFolder.empty()) theCallerFolder = std::filesystem::current_path();
    ++theAudioLinesLeft;
    return true;
}

bool RunAudio(const std::vector<std::string>& words, std::string* error) {
    platform::HeadlessBackend* machine = Machine();
    if (machine == nullptr || words.size() != 1) {
        *error = "no headless sound card";
        return false;
    }
    std::filesystem::path path = words[0];
    if (path.is_relative() && !theCallerFolder.empty()) path = theCallerFolder / path;
    // Everything played up to this moment belongs to the file.
    win::MixDirectSound();
    platform::HeadlessAudio& card = machine->Sound();
    const std::vector<std::int16_t>& all = card.Captured();
    const int rate = card.EverOpened() ? card.Format().rate : 11025;
    const int channels = card.EverOpened() ? card.Format().channels : 2;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(all.size() * 2);
    for (const std::int16_t sample : all) {
        const auto v = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    // What this line wrote is asked for by no other: the card lets it go, and keeps nothing
    // more once no audio line is left.
    card.ClearCaptured();
    if (theAudioLinesLeft > 0) --theAudioLinesLeft;
    card.KeepCapture(theAudioLinesLeft > 0);
    const std::vector<std::uint8_t> image =
        devices::MakeWaveImage(rate, channels, 16, bytes.data(), bytes.size());
    if (platform::ReplaceFileAtomically(path.string(), std::span<const std::uint8_t>(image), false) !=
        platform::kFileOk) {
        *error = "cannot write " + path.string();
        return false;
    }
    win::TraceLine("audio " + path.string());
    return true;
}

const bool theDeviceCommands = [] {
    RegisterScriptCommand(ScriptCommand{"joystick", &CheckJoystick, &RunJoystick});
    RegisterScriptCommand(ScriptCommand{"audio", &CheckAudio, &RunAudio});
    return true;
}();

}  // namespace

void SetUpSoundCapture(platform::HeadlessBackend& machine) {
    machine.Sound().KeepCapture(theAudioLinesLeft > 0);
}

bool SetUpScriptedSticks(std::vector<Command>& commands, platform::HeadlessBackend& machine,
                         std::string* error) {
    std::size_t n = 0;
    for (; n < commands.size(); ++n) {
        const Command& c = commands[n];
        if (c.kind != Command::Kind::Registered || c.registered == nullptr ||
            Lower(c.registered->verb) != "joystick")
            break;
        StickLine line;
        if (!ParseStick(c.words, &line, error) || !RunStick(line, machine, false, error)) {
            *error = "line " + std::to_string(c.line) + ": " + *error;
            return false;
        }
    }
    commands.erase(commands.begin(), commands.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

}  // namespace simrun
