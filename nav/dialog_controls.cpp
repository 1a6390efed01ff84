#include "nav/dialog_controls.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "nav/city_search.h"
#include "platform/file_system.h"
#include "win/window.h"

namespace nav {

namespace {

// The list box messages, with their documented numbers.
constexpr std::uint32_t kLbAddString = 0x0180;
constexpr std::uint32_t kLbResetContent = 0x0184;
constexpr std::uint32_t kLbSetCurSel = 0x0186;
constexpr std::uint32_t kLbSetTabStops = 0x0192;
constexpr std::uint32_t kLbSetTopIndex = 0x0197;
constexpr std::uint32_t kLbGetText = 0x0189;
constexpr std::uint32_t kLbGetTextLen = 0x018A;
constexpr std::uint32_t kLbGetCount = 0x018B;

}  // namespace

ListBoxTarget::ListBoxTarget(win::HWND dialog, int controlId)
    : control(win::GetDlgItem(dialog, controlId)) {}

void ListBoxTarget::Reset() {
    if (control) win::SendMessage(control, kLbResetContent, 0, 0);
}

int ListBoxTarget::Add(std::string_view text) {
    if (!control) return -1;
    const std::string copy(text);
    return static_cast<int>(
        win::SendMessage(control, kLbAddString, 0, reinterpret_cast<win::LParam>(copy.c_str())));
}

void ListBoxTarget::Select(int row) {
    if (control) win::SendMessage(control, kLbSetCurSel, static_cast<win::WParam>(row), 0);
}

void ListBoxTarget::SetTop(int row) {
    if (control) win::SendMessage(control, kLbSetTopIndex, static_cast<win::WParam>(row), 0);
}

void ListBoxTarget::SetTabStops(const int* stops, int count) {
    if (control)
        win::SendMessage(control, kLbSetTabStops, static_cast<win::WParam>(count),
                         reinterpret_cast<win::LParam>(stops));
}

std::string ListRowText(win::HWND list, int row) {
    const auto length = win::SendMessage(list, kLbGetTextLen, static_cast<win::WParam>(row), 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    win::SendMessage(list, kLbGetText, static_cast<win::WParam>(row),
                     reinterpret_cast<win::LParam>(text.data()));
    text.resize(text.find('\0'));
    return text;
}

namespace {

// Whether `words` stands in `name` as whole words, whatever the case.
bool HoldsWords(std::string_view name, std::string_view words) {
    for (std::size_t at = 0; at + words.size() <= name.size(); ++at) {
        if (at > 0 && std::isalnum(static_cast<unsigned char>(name[at - 1]))) continue;
        const std::size_t end = at + words.size();
        if (end < name.size() && std::isalnum(static_cast<unsigned char>(name[end]))) continue;
        if (platform::EqualIgnoringCase(name.substr(at, words.size()), words)) return true;
    }
    return false;
}

// Whether `part` stands word for word somewhere in `words`, and where (npos when it does not).
std::size_t FindWords(const std::vector<std::string>& words, const std::vector<std::string>& part) {
    if (part.empty() || part.size() > words.size()) return std::string::npos;
    for (std::size_t at = 0; at + part.size() <= words.size(); ++at)
        if (std::equal(part.begin(), part.end(), words.begin() + static_cast<std::ptrdiff_t>(at)))
            return at;
    return std::string::npos;
}

}  // namespace

int SelectTypedStation(win::HWND list, std::string_view typed,
                       const std::function<int(int row)>& rank) {
    const std::size_t first = typed.find_first_not_of(' ');
    if (first == std::string_view::npos) return -1;
    typed = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
    const int rows = static_cast<int>(win::SendMessage(list, kLbGetCount, 0, 0));
    int exact = -1, any = -1, named = -1, whole = -1, wholePreferred = -1;
    int city = -1, cityRank = 0;
    // The airports of a city typed, best first, and the row of the best one listed.
    const std::vector<std::string> cityAirports =
        rank ? AirportsOfTypedCity(typed) : std::vector<std::string>{};
    int listedCity = -1;
    std::size_t listedCityPlace = cityAirports.size();
    // A place no listed city's name, typed with its state ("san carlos ca", "loveland co"): the
    // best ranked airport of that state whose name begins with the place's, else the best whose
    // name holds it as words ("Fort Collins Loveland Muni"), never one of another state.
    std::vector<std::string> place;
    std::string state;
    const bool withState =
        rank && cityAirports.empty() && TypedPlaceWithState(typed, &place, &state);
    int inState = -1, inStateRank = 0;
    bool inStateBegins = false;
    // Words typed that begin no name but stand whole in one ("lake tahoe"): the first such.
    const std::vector<std::string> typedWords =
        rank ? CityWords(typed) : std::vector<std::string>{};
    int held = -1;
    // The first field of the United States whose name begins with the typed words, else the first
    // whose name holds them.
    int usHeld = -1, usBegins = -1;
    // The typed text standing whole anywhere in a row ("KOAK" in "I-INB KOAK Rwy 29").
    int holding = -1;
    for (int row = 0; row < rows && named < 0; ++row) {
        const std::string text = ListRowText(list, row);
        const std::string_view view(text);
        const std::size_t open = text.rfind(" (");
        const bool coded = open != std::string::npos && text.back() == ')';
        const std::string_view code =
            coded ? view.substr(open + 2, text.size() - open - 3) : std::string_view{};
        if (coded && platform::EqualIgnoringCase(code, typed)) named = row;
        for (std::size_t i = 0; coded && i < listedCityPlace; ++i)
            if (code == cityAirports[i]) {
                listedCity = row;
                listedCityPlace = i;
            }
        const std::string_view name = coded ? view.substr(0, open) : view;
        const std::vector<std::string> nameWords =
            rank ? CityWords(name) : std::vector<std::string>{};
        if (withState && coded) {
            const std::size_t at = FindWords(nameWords, place);
            if (at != std::string::npos && StateOfListedAirport(code) == state) {
                const bool begins = at == 0;
                const int r = rank(row);
                if (inState < 0 || std::pair(begins, r) > std::pair(inStateBegins, inStateRank)) {
                    inState = row;
                    inStateRank = r;
                    inStateBegins = begins;
                }
            }
        }
        if (held < 0 && FindWords(nameWords, typedWords) != std::string::npos) held = row;
        // The name alone, without its code.
        if (wholePreferred < 0 && platform::EqualIgnoringCase(name, typed)) {
            if (whole < 0) whole = row;
            if (rank && rank(row) > 0) wholePreferred = row;
        }
        if (rank && cityRank < 3 && HoldsWords(name, typed)) {
            const int r = rank(row);
            if (r > cityRank) {
                city = row;
                cityRank = r;
            }
        }
        if (rank && usBegins < 0 && coded && HoldsWords(name, typed) &&
            !StateOfListedAirport(code).empty()) {
            if (usHeld < 0) usHeld = row;
            if (FindWords(nameWords, typedWords) == 0) usBegins = row;
        }
        if (holding < 0 && HoldsWords(view, typed)) holding = row;
        if (exact < 0 && text.compare(0, typed.size(), typed) == 0) exact = row;
        if (any < 0 && text.size() >= typed.size() &&
            platform::EqualIgnoringCase(view.substr(0, typed.size()), typed))
            any = row;
    }
    int row = named;
    for (const int candidate :
         {listedCity, inState, wholePreferred, city, whole, exact, any, held, holding})
        if (row < 0) row = candidate;
    // A field abroad found by its name gives way to one of the United States whose name holds
    // the words ("london", "kingston": Kentucky's and New York's, not Ontario's); a city typed
    // with its province or known by its own airports keeps its field.
    if (row >= 0 && usHeld >= 0 && row != named && row != listedCity && row != inState) {
        const std::string text = ListRowText(list, row);
        const std::size_t open = text.rfind(" (");
        if (open != std::string::npos && text.back() == ')' &&
            StateOfListedAirport(std::string_view(text).substr(open + 2, text.size() - open - 3)).empty())
            row = usBegins >= 0 ? usBegins : usHeld;
    }
    if (row >= 0) win::SendMessage(list, kLbSetCurSel, static_cast<win::WParam>(row), 0);
    // Text that names no airport, whether a place with none listed ("honolulu", "san carlos wy")
    // or no word of any name ("qqqq"): nothing is selected, rather than the airport elsewhere
    // that an earlier letter selected.
    if (row < 0 && rank) win::SendMessage(list, kLbSetCurSel, static_cast<win::WParam>(-1), 0);
    return row;
}

void SetControlText(win::HWND dialog, int id, std::string_view text) {
    const win::HWND control = win::GetDlgItem(dialog, id);
    if (control) win::SetWindowText(control, text);
}

}  // namespace nav
