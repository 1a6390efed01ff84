// The runner's `radio` command: `radio NAV1|NAV2|ADF|COM1|COM2|XPDR VALUE` sets a radio's active
// frequency as tuning does ("113.90", "362", "4523") and runs what a change of that radio runs.
#include <cctype>
#include <string>

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

bool Parse(std::string rest, std::function<void()>* action, std::string* why) {
    std::string name = TakeWord(rest);
    for (char& ch : name)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const std::string value = TakeWord(rest);
    if (!TakeWord(rest).empty()) {
        *why = "unexpected words at the end";
        return false;
    }
    cockpit::Radio radio = cockpit::Radio::Nav1;
    std::int16_t whole = 0, fraction = 0;
    bool ok = false;
    if (name == "NAV1" || name == "NAV2") {
        radio = name == "NAV1" ? cockpit::Radio::Nav1 : cockpit::Radio::Nav2;
        ok = ParseMegahertz(value, 108, 117, &whole, &fraction);
    } else if (name == "COM1" || name == "COM2") {
        radio = name == "COM1" ? cockpit::Radio::Com1 : cockpit::Radio::Com2;
        ok = ParseMegahertz(value, 118, 136, &whole, &fraction);
    } else if (name == "ADF") {
        // Kilohertz: the hundreds and the rest.
        radio = cockpit::Radio::Adf;
        ok = Digits(value) && value.size() <= 4 && std::stoi(value) >= 100 && std::stoi(value) <= 1999;
        if (ok) {
            whole = static_cast<std::int16_t>(std::stoi(value) / 100);
            fraction = static_cast<std::int16_t>(std::stoi(value) % 100);
        }
    } else if (name == "XPDR") {
        // Four octal digits: the first pair and the second pair.
        radio = cockpit::Radio::Transponder;
        ok = value.size() == 4 && value.find_first_not_of("01234567") == std::string::npos;
        if (ok) {
            whole = static_cast<std::int16_t>(std::stoi(value.substr(0, 2)));
            fraction = static_cast<std::int16_t>(std::stoi(value.substr(2)));
        }
    } else {
        *why = "expected NAV1, NAV2, ADF, COM1, COM2 or XPDR";
        return false;
    }
    if (!ok) {
        *why = "not a frequency of " + name + ": '" + value + "'";
        return false;
    }
    *action = [radio, whole, fraction, name, value] {
        win::TraceLine("radio " + name + " " + value);
        cockpit::SetActiveFrequency(radio, whole, fraction);
    };
    return true;
}

[[maybe_unused]] const bool theRadioCommand = AddCommand("radio", Parse);

}  // namespace

}  // namespace simrun
