#include "nav/city_search.h"

#include <cctype>

#include "core/resource_volume.h"
#include "nav/nav_database.h"
#include "win/program_entry.h"

namespace nav {

namespace {

std::vector<std::string_view> Split(std::string_view text, char by) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(by, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool SameWords(const std::vector<std::string>& typed, std::size_t from,
               const std::vector<std::string>& words) {
    if (typed.size() - from != words.size()) return false;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (typed[from + i] != words[i]) return false;
    return true;
}

// Whether the typed words are the city's name followed by nothing, its state's code or name.
bool NamesCity(const std::vector<std::string>& typed, std::string_view name, std::string_view state,
               std::string_view stateName) {
    const std::vector<std::string> words = CityWords(name);
    if (words.empty() || typed.size() < words.size()) return false;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (typed[i] != words[i]) return false;
    const std::size_t rest = words.size();
    return rest == typed.size() || SameWords(typed, rest, CityWords(state)) ||
           SameWords(typed, rest, CityWords(stateName));
}

}  // namespace

std::vector<std::string> CityWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    const auto flush = [&] {
        if (word.empty()) return;
        if (word == "st") word = "saint";
        if (word == "ft") word = "fort";
        if (word == "mt") word = "mount";
        words.push_back(word);
        word.clear();
    };
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\'') continue;  // "Martha's" reads "marthas", as names are often written
        if (std::isalnum(c))
            word += static_cast<char>(std::tolower(c));
        else
            flush();
    }
    flush();
    return words;
}

std::vector<std::string> AirportsOfCity(std::string_view list, std::string_view typed) {
    std::vector<std::string> words = CityWords(typed);
    if (words.empty()) return {};
    // "New York City" is New York.
    std::vector<std::string> withoutCity = words;
    if (withoutCity.size() > 1 && withoutCity.back() == "city") withoutCity.pop_back();
    // The city named exactly first ("mexico city" before the town of Mexico), then one named
    // without the word.
    for (const std::vector<std::string>* named : {&words, &withoutCity})
        for (const std::string_view line : Split(list, '\n')) {
            const std::vector<std::string_view> f = Split(line, '|');
            if (f.size() < 4 || !NamesCity(*named, f[0], f[1], f[2])) continue;
            std::vector<std::string> codes;
            for (const std::string_view code : Split(f[3], ' '))
                if (!code.empty()) codes.emplace_back(code);
            return codes;
        }
    return {};
}

bool NamesAPlaceOnly(std::string_view list, std::string_view typed) {
    std::vector<std::string> words = CityWords(typed);
    if (words.empty()) return false;
    std::vector<std::string> withoutCity = words;
    if (withoutCity.size() > 1 && withoutCity.back() == "city") withoutCity.pop_back();
    for (const std::string_view line : Split(list, '\n')) {
        const std::vector<std::string_view> f = Split(line, '|');
        if (f.size() < 4) continue;
        if (NamesCity(words, f[0], f[1], f[2]) || NamesCity(withoutCity, f[0], f[1], f[2]))
            return true;
    }
    // A place's name followed by a state's code or name.
    std::vector<std::string> place;
    std::string state;
    return PlaceWithState(list, typed, &place, &state);
}

bool PlaceWithState(std::string_view list, std::string_view typed, std::vector<std::string>* place,
                    std::string* state) {
    const std::vector<std::string> words = CityWords(typed);
    for (const std::string_view line : Split(list, '\n')) {
        const std::vector<std::string_view> f = Split(line, '|');
        if (f.size() < 4) continue;
        for (const std::string_view name : {f[1], f[2]}) {
            const std::vector<std::string> stateWords = CityWords(name);
            if (stateWords.empty() || words.size() <= stateWords.size() ||
                !SameWords(words, words.size() - stateWords.size(), stateWords))
                continue;
            place->assign(words.begin(),
                          words.end() - static_cast<std::ptrdiff_t>(stateWords.size()));
            *state = std::string(f[1]);
            return true;
        }
    }
    return false;
}

AirportStateTable ReadAirportStates(std::string_view states) {
    AirportStateTable table;
    for (const std::string_view line : Split(states, '\n')) {
        const std::size_t bar = line.find('|');
        if (bar != std::string_view::npos) table.emplace(line.substr(0, bar), line.substr(bar + 1));
    }
    return table;
}

std::string StateOfAirport(const AirportStateTable& table, std::string_view code) {
    const auto found = table.find(code);
    return found == table.end() ? std::string() : found->second;
}

std::string StateOfAirport(std::string_view states, std::string_view code) {
    return StateOfAirport(ReadAirportStates(states), code);
}

namespace {

std::string ReadMember(const char* member) {
    std::string text;
    if (theNavVolume.OpenFile(member)) {
        char line[512];
        while (theNavVolume.ReadLine(line, sizeof line) != nullptr)
            text += std::string(line) + "\n";
    } else {
        win::TraceLine(std::string("nav: load ") + member + ": missing");
    }
    theNavVolume.CloseFile();
    return text;
}

const std::string& CityList() {
    static const std::string list = ReadMember(kCityAirportsMember);
    return list;
}

}  // namespace

std::vector<std::string> AirportsOfTypedCity(std::string_view typed) {
    return AirportsOfCity(CityList(), typed);
}

bool TypedPlaceWithState(std::string_view typed, std::vector<std::string>* place,
                         std::string* state) {
    return PlaceWithState(CityList(), typed, place, state);
}

std::string StateOfListedAirport(std::string_view code) {
    // Read once into a table: a search asks it of every row of the list.
    static const AirportStateTable states = ReadAirportStates(ReadMember(kAirportStatesMember));
    return StateOfAirport(states, code);
}

}  // namespace nav
