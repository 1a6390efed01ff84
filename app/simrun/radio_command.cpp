// The runner's `radio` command: `radio NAV1|NAV2|ADF|COM1|COM2|XPDR VALUE` tunes a radio as a
// pilot does on the panel ("113.90", "362", "4523"): the radio selected, its standby frequency
// stepped with the tuning keys' commands, swapped into use and the standby dialled back (the
// transponder's code stepped in place), so that what the change of a radio sets off runs as it
// does for the pilot. A frequency the panel cannot dial (off the radio's band or its 50 kHz
// steps) is refused.
#include <cctype>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/radio_commands.h"
#include "cockpit/radio_words.h"
#include "script.h"
#include "win/program_entry.h"

namespace simrun {

namespace {

bool Digits(const std::string& s) {
    if (s.empty()) return false;
    for (const char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "113.90" (NAV 108.00 to 117.95) or "121.80" (COM 118.00 to 135.95), in the radios' 50 kHz
// steps: whole megahertz minus 100 and the hundredths.
bool ParseMegahertz(const std::string& text, int low, int high, std::int16_t* whole,
                    std::int16_t* hundredths) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot != 3 || text.size() != 6) return false;
    const std::string mhz = text.substr(0, 3), fraction = text.substr(4);
    if (!Digits(mhz) || !Digits(fraction)) return false;
    const int m = std::stoi(mhz);
    const int f = std::stoi(fraction);
    if (m < low || m > high || f % 5 != 0) return false;
    *whole = static_cast<std::int16_t>(m - 100);
    *hundredths = static_cast<std::int16_t>(f);
    return true;
}

struct Tuning {
    cockpit::Radio radio = cockpit::Radio::Nav1;
    std::int16_t whole = 0;
    std::int16_t fraction = 0;
};

bool Parse(const std::vector<std::string>& words, Tuning* t, std::string* why) {
    if (words.size() != 2) {
        *why = "expected NAV1|NAV2|ADF|COM1|COM2|XPDR VALUE";
        return false;
    }
    std::string name = words[0];
    for (char& ch : name)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const std::string& value = words[1];
    bool ok = false;
    if (name == "NAV1" || name == "NAV2") {
        t->radio = name == "NAV1" ? cockpit::Radio::Nav1 : cockpit::Radio::Nav2;
        ok = ParseMegahertz(value, 108, 117, &t->whole, &t->fraction);
    } else if (name == "COM1" || name == "COM2") {
        t->radio = name == "COM1" ? cockpit::Radio::Com1 : cockpit::Radio::Com2;
        ok = ParseMegahertz(value, 118, 135, &t->whole, &t->fraction);
    } else if (name == "ADF") {
        // Kilohertz: the hundreds and the rest.
        t->radio = cockpit::Radio::Adf;
        ok = Digits(value) && value.size() <= 4 && std::stoi(value) >= 100 &&
             std::stoi(value) <= 1999;
        if (ok) {
            t->whole = static_cast<std::int16_t>(std::stoi(value) / 100);
            t->fraction = static_cast<std::int16_t>(std::stoi(value) % 100);
        }
    } else if (name == "XPDR") {
        // Four octal digits: the first pair and the second pair.
        t->radio = cockpit::Radio::Transponder;
        ok = value.size() == 4 && value.find_first_not_of("01234567") == std::string::npos;
        if (ok) {
            t->whole = static_cast<std::int16_t>(std::stoi(value.substr(0, 2)));
            t->fraction = static_cast<std::int16_t>(std::stoi(value.substr(2)));
        }
    } else {
        *why = "radio: expected NAV1, NAV2, ADF, COM1, COM2 or XPDR";
        return false;
    }
    if (!ok) *why = "radio: not a frequency of " + name + ": '" + value + "'";
    return ok;
}

bool CheckRadio(const std::vector<std::string>& words, std::string* why) {
    Tuning t;
    return Parse(words, &t, why);
}

// Presses `step` until `word` shows `wanted` (a radio's words wrap round their range, so a
// value in it is reached within one turn); false when it never does.
template <typename Word>
bool StepTo(const Word& word, int wanted, void (*step)()) {
    for (int i = 0; i < 100 && static_cast<int>(word) != wanted; ++i)
        step();
    return static_cast<int>(word) == wanted;
}

// The panel's way to the frequency: select, step the standby (the code in place), swap.
bool Dial(const Tuning& t) {
    using namespace cockpit;
    // The selection commands, in the order of the radios.
    static void (*const kSelect[])() = {&Nav1, &Nav2, &ADF, &Comm1, &Comm2, &Transponder};
    kSelect[static_cast<int>(t.radio)]();
    if (t.radio == Radio::Transponder)
        return StepTo(theTransponder.activeMHz, t.whole, &CommMHzUp) &&
               StepTo(theTransponder.activeKHz, t.fraction, &CommKHzUp);
    const bool com = t.radio == Radio::Com1 || t.radio == Radio::Com2;
    PanelGauge& radio = RadioWords(t.radio);
    void (*mhzUp)() = com ? &CommMHzUp : &NavMHzUp;
    void (*khzUp)() = com ? &CommKHzUp : &NavKHzUp;
    const int standbyMHz = radio.standbyMHz, standbyKHz = radio.standbyKHz;
    if (!StepTo(radio.standbyMHz, t.whole, mhzUp) || !StepTo(radio.standbyKHz, t.fraction, khzUp))
        return false;
    if (com)
        CommFlipStandby();
    else
        NavFlipStandby();
    // The standby window dialled back to what it showed: the command changes the active
    // frequency only.
    StepTo(radio.standbyMHz, standbyMHz, mhzUp);
    StepTo(radio.standbyKHz, standbyKHz, khzUp);
    return radio.activeMHz == static_cast<std::uint16_t>(t.whole) &&
           radio.activeKHz == static_cast<std::uint16_t>(t.fraction);
}

bool RunRadio(const std::vector<std::string>& words, std::string* why) {
    Tuning t;
    if (!Parse(words, &t, why)) return false;
    win::TraceLine("radio " + words[0] + " " + words[1]);
    if (!Dial(t)) {
        // A NAV radio showing its bearing takes no tuning keys.
        *why = "radio: the panel does not tune " + words[0] + " to " + words[1] + " now";
        return false;
    }
    return true;
}

const bool theRadioCommand = [] {
    RegisterScriptCommand(ScriptCommand{"radio", &CheckRadio, &RunRadio});
    return true;
}();

}  // namespace

}  // namespace simrun
