#include "device_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

#include "devices/wave.h"
#include "win/dsound.h"
#include "win/program_entry.h"

namespace simrun {

namespace {

// What a joystick line does, kept in the command's action; numbers in its numbers.
constexpr const char* kPlug = "plug";
constexpr const char* kUnplug = "unplug";
constexpr const char* kAxis = "axis";
constexpr const char* kButton = "button";
constexpr const char* kHat = "hat";
constexpr const char* kAudio = "audio";

constexpr std::uint32_t kPressMs = 100;

struct PendingRelease {
    int button;
    std::uint64_t at;
};
std::vector<PendingRelease> thePendingReleases;
// How much of the headless card's capture earlier audio lines took.
std::size_t theAudioTaken = 0;

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

bool ParseJoystick(std::string& rest, Command* c, std::string* error) {
    c->action = Lower(NextWord(rest));
    auto fail = [&](const std::string& why) {
        *error = why;
        return true;
    };
    if (c->action == kPlug) {
        c->text = NextWord(rest);
        if (c->text.empty()) return fail("expected a joystick name");
        // axes, buttons, hats, haptic
        c->numbers = {4, 8, 1, 0};
        for (std::string w = Lower(NextWord(rest)); !w.empty(); w = Lower(NextWord(rest))) {
            int* slot = w == "axes"      ? &c->numbers[0]
                        : w == "buttons" ? &c->numbers[1]
                        : w == "hats"    ? &c->numbers[2]
                                         : nullptr;
            if (w == "haptic") {
                c->numbers[3] = 1;
            } else if (slot == nullptr || !Number(NextWord(rest), 0, 64, slot)) {
                return fail("expected axes N, buttons N, hats N or haptic");
            }
        }
    } else if (c->action == kUnplug) {
    } else if (c->action == kAxis) {
        int axis = 0, value = 0;
        if (!Number(NextWord(rest), 0, platform::kMaxJoystickAxes - 1, &axis) ||
            !Number(NextWord(rest), -32768, 32767, &value))
            return fail("expected an axis 0..7 and a value -32768..32767");
        c->numbers = {axis, value};
    } else if (c->action == kButton) {
        int button = 0;
        if (!Number(NextWord(rest), 1, platform::kMaxJoystickButtons, &button))
            return fail("expected a button 1..32");
        const std::string how = Lower(NextWord(rest));
        if (how != "down" && how != "up" && how != "press")
            return fail("expected down, up or press");
        c->numbers = {button, how == "down" ? 1 : (how == "up" ? 0 : 2)};
    } else if (c->action == kHat) {
        int hat = 0;
        if (!Number(NextWord(rest), 0, platform::kMaxJoystickHats - 1, &hat))
            return fail("expected a hat 0..3");
        const std::string where = Lower(NextWord(rest));
        const auto* it = std::find(std::begin(kHatNames), std::end(kHatNames), where);
        if (it == std::end(kHatNames)) return fail("unknown hat direction '" + where + "'");
        c->numbers = {hat, static_cast<int>(it - std::begin(kHatNames))};
    } else {
        return fail("expected plug, unplug, axis, button or hat");
    }
    return true;
}

void Inject(platform::HeadlessBackend& machine, platform::EventKind kind, int index) {
    platform::Event e;
    e.kind = kind;
    e.joystick = index;
    machine.Input().Inject(e);
}

bool WriteCapture(platform::HeadlessBackend& machine, const std::string& path, std::string* error) {
    // Everything played up to this moment belongs to the file.
    win::MixDirectSound();
    platform::HeadlessAudio& card = machine.Sound();
    const std::vector<std::int16_t>& all = card.Captured();
    const int rate = card.EverOpened() ? card.Format().rate : 11025;
    const int channels = card.EverOpened() ? card.Format().channels : 2;
    if (theAudioTaken > all.size()) theAudioTaken = 0;  // a new capture began
    std::vector<std::uint8_t> bytes;
    bytes.reserve((all.size() - theAudioTaken) * 2);
    for (std::size_t i = theAudioTaken; i < all.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(all[i]);
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    theAudioTaken = all.size();
    const std::vector<std::uint8_t> image =
        devices::MakeWaveImage(rate, channels, 16, bytes.data(), bytes.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

bool ParseDeviceCommand(const std::string& verb, std::string& rest, Command* c,
                        std::string* error) {
    if (verb == "joystick") {
        c->kind = Command::Kind::Device;
        return ParseJoystick(rest, c, error);
    }
    if (verb == kAudio) {
        c->kind = Command::Kind::Device;
        c->action = kAudio;
        c->text = NextWord(rest);
        if (c->text.empty()) *error = "expected a file name";
        return true;
    }
    return false;
}

std::string* AudioFileOf(Command& c) {
    return c.kind == Command::Kind::Device && c.action == kAudio ? &c.text : nullptr;
}

bool RunDeviceCommand(const Command& c, platform::HeadlessBackend& machine, bool* injected,
                      std::string* error) {
    *injected = false;
    if (c.action == kAudio) {
        if (!WriteCapture(machine, c.text, error)) return false;
        win::TraceLine("audio " + c.text);
        return true;
    }
    platform::HeadlessJoysticks& sticks = machine.Sticks();
    if (c.action == kPlug) {
        platform::JoystickInfo info;
        info.name = c.text;
        info.axes = c.numbers[0];
        info.buttons = c.numbers[1];
        info.hats = c.numbers[2];
        info.haptic = c.numbers[3] != 0;
        const int index = sticks.Plug(info);
        Inject(machine, platform::EventKind::JoystickAdded, index);
        *injected = true;
        win::TraceLine("joystick plug " + c.text);
        return true;
    }
    const int last = sticks.Count() - 1;
    if (last < 0) {
        *error = "no joystick is plugged in";
        return false;
    }
    if (c.action == kUnplug) {
        sticks.Unplug(last);
        Inject(machine, platform::EventKind::JoystickRemoved, last);
        *injected = true;
        win::TraceLine("joystick unplug");
        return true;
    }
    bool done = false;
    if (c.action == kAxis) {
        done = sticks.SetAxis(last, c.numbers[0], static_cast<std::int16_t>(c.numbers[1]));
    } else if (c.action == kButton) {
        done = sticks.SetButton(last, c.numbers[0], c.numbers[1] != 0);
        if (done && c.numbers[1] == 2)
            thePendingReleases.push_back({c.numbers[0], machine.Time().Elapsed() + kPressMs});
    } else if (c.action == kHat) {
        done = sticks.SetHat(last, c.numbers[0], kHatBits[c.numbers[1]]);
    }
    if (!done) {
        *error = "the joystick has no such " + c.action;
        return false;
    }
    return true;
}

bool SetUpScriptedSticks(std::vector<Command>& commands, platform::HeadlessBackend& machine,
                         std::string* error) {
    std::size_t n = 0;
    for (; n < commands.size(); ++n) {
        const Command& c = commands[n];
        if (c.kind != Command::Kind::Device || c.action == kAudio) break;
        bool injected = false;
        if (!RunDeviceCommand(c, machine, &injected, error)) {
            *error = "line " + std::to_string(c.line) + ": " + *error;
            return false;
        }
    }
    // Sticks there before the program starts announce nothing.
    platform::Event e;
    std::vector<platform::Event> keep;
    while (machine.Input().Poll(&e))
        if (e.kind != platform::EventKind::JoystickAdded &&
            e.kind != platform::EventKind::JoystickRemoved)
            keep.push_back(e);
    for (platform::Event& k : keep)
        machine.Input().Inject(std::move(k));
    commands.erase(commands.begin(), commands.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

void ServiceDeviceCommands(platform::HeadlessBackend& machine) {
    const std::uint64_t now = machine.Time().Elapsed();
    std::erase_if(thePendingReleases, [&](const PendingRelease& r) {
        if (r.at > now) return false;
        machine.Sticks().SetButton(machine.Sticks().Count() - 1, r.button, false);
        return true;
    });
}

}  // namespace simrun
