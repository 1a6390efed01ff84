// The runner's `radio` command: `radio NAV1|NAV2|ADF|COM1|COM2|XPDR VALUE` sets a radio's active
// frequency as tuning does ("113.90", "362", "4523") and runs what a change of that radio runs.
#include <cctype>
#include <string>
#include <vector>

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

// "113.90" (NAV 108.00 to 117.95) or "121.80" (COM 118.00 to 136.97): whole megahertz minus 100
// and the hundredths.
bool ParseMegahertz(const std::string& text, int low, int high, std::int16_t* whole,
                    std::int16_t* hundredths) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot != 3 || text.size() != 6) return false;
    const std::string mhz = text.substr(0, 3), fraction = text.substr(4);
    if (!Digits(mhz) || !Digits(fraction)) return false;
    const int m = std::stoi(mhz);
    if (m < low || m > high) return false;
    *whole = static_cast<std::int16_t>(m - 100);
    *hundredths = static_cast<std::int16_t>(std::stoi(fraction));
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
        ok = ParseMegahertz(value, 118, 136, &t->whole, &t->fraction);
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

bool RunRadio(const std::vector<std::string>& words, std::string* why) {
    Tuning t;
    if (!Parse(words, &t, why)) return false;
    win::TraceLine("radio " + words[0] + " " + words[1]);
    cockpit::SetActiveFrequency(t.radio, t.whole, t.fraction);
    return true;
}

const bool theRadioCommand = [] {
    RegisterScriptCommand(ScriptCommand{"radio", &CheckRadio, &RunRadio});
    return true;
}();

}  // namespace

}  // namespace simrun
