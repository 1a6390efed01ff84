#include "planning/lesson_script.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/resource_volume.h"
#include "win/file_api.h"

namespace planning {

// Sorted as a comparison folding letters to lower case sorts them ("_" before letters, "{" and
// "}" after them), which the binary search relies on.
const LessonKeyword theLessonKeywords[kLessonKeywordCount] = {
    {"AIRCRAFT_LEVEL_TEST", 0}, {"AIRSPEED_RANGE_TEST", 1}, {"ALTITUDE_CHANGE_RANGE_TEST", 28}, {"AP_BANK_LEFT", 3},
    {"AP_LEFT_RUDDER", 4}, {"AP_NEUTRAL_RUDDER", 5}, {"AP_RIGHT_RUDDER", 6},
    {"AP_STRAIGHT_AND_LEVEL", 0}, {"AP_YOKE_BACK", 2}, {"AP_YOKE_FORWARD", 1},
    {"BACKTRIM_TEST", 3}, {"BANK_RANGE_TEST", 29}, {"BEGIN", 6}, {"BRANCH", 12}, {"CALLPROC", 10}, {"CARB_OFF", 0},
    {"CARB_ON", 1}, {"CARB_TEST", 4}, {"CENTER_PEDALS_TEST", 5}, {"CLEAR_TEST", 6},
    {"CLEAR_WARNING", 19990}, {"CONTINUOUS", 13}, {"DIRECTIONS_LOOKED_INIT", 2},
    {"ELEVATOR_HIGH_TEST", 7}, {"ELEVATOR_RANGE_TEST", 8}, {"END", 7}, {"ENDPROC", 9},
    {"EXEC", 5}, {"EXEC2", 258}, {"FLAPS_RANGE_TEST", 9}, {"FLTFILE", 259},
    {"GENTLER_HAND", 19991}, {"GOOD_JOB", 19995}, {"GOOD_JOB_TEST", 10},
    {"GREAT_LANDING", 19992}, {"GROUP_BEGIN", 260}, {"GROUP_END", 261}, {"HEADING_CHANGE_RANGE_TEST", 30},
    {"IDLE_TEST", 11},
    {"INIT_CLEAR_TEST", 3}, {"LABEL", 11}, {"LOOKED_LEFT_TEST", 12}, {"LOOKING_LEFT_CHECK", 4},
    {"MIXTURE_FULL_RICH", 5}, {"MY_AIRCRAFT", 19998}, {"NEEDS_WORK", 19994}, {"NOT_BAD", 19997},
    {"OFF_REFERENCES_TEST", 18}, {"ON_REFERENCES_TEST", 19}, {"OTHER_RIGHT_TEST", 14}, {"PERFORMANCE_BAD", 6}, {"PERFORMANCE_INIT", 7}, {"PROC", 8},
    {"RANGETEST", 2}, {"RANGETESTNOT", 3}, {"RPM_RANGE_TEST", 15}, {"RUDDER_LEFT_TEST", 16},
    {"RUDDER_RIGHT_TEST", 17}, {"SAY", 4}, {"SEQ_BEGIN", 262}, {"SEQ_END", 263},
    {"SET_TRAP_MODE", 8}, {"SET_VIEW_COWL", 9}, {"SET_VIEW_FORWARD", 10}, {"SET_VIEW_LEFT", 11},
    {"STOPCONTINUOUS", 14}, {"STRAIGHT_LEVEL_INIT", 12}, {"STRAIGHT_LEVEL_WARN", 13},
    {"TEST", 0}, {"TESTNOT", 1}, {"THROTTLE_FULL", 14}, {"THROTTLE_IDLE", 15}, {"TIMER", 264},
    {"TITLE", 257}, {"TRAP_YOKE", 1}, {"TRAP_YOKE_THROTTLE", 2}, {"TRIM_INIT", 16},
    {"VERY_NICE", 19993}, {"WAIT_10_SEC", 10}, {"WAIT_1_SEC", 1}, {"WAIT_2_SEC", 2},
    {"WAIT_3_SEC", 3}, {"WAIT_4_SEC", 4}, {"WAIT_5_SEC", 5}, {"WAIT_6_SEC", 6},
    {"WAIT_7_SEC", 7}, {"WAIT_8_SEC", 8}, {"WAIT_9_SEC", 9}, {"WELL_DONE", 19996},
    {"YOKE_BACKWARD_TEST", 21}, {"YOKE_CENTER_TEST", 22}, {"YOKE_FORWARD_GENTLE_TEST", 23},
    {"YOKE_FORWARD_TEST", 24}, {"YOKE_LEFT_GENTLE_TEST", 25}, {"YOKE_LEFT_TEST", 26},
    {"YOKE_RIGHT_TEST", 27}, {"YOUR_AIRCRAFT", 19999}, {"{", 260}, {"}", 261},
};

LessonScript theLessonScript;

namespace {

int CompareFolded(std::string_view a, const char* b) {
    for (std::size_t i = 0;; ++i) {
        const int ca = i < a.size() ? std::tolower(static_cast<unsigned char>(a[i])) : 0;
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb || ca == 0) return ca - cb;
    }
}

constexpr const char* kSeparators = ", \t\n";

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(kSeparators, at)) != std::string_view::npos) {
        const std::size_t end = std::min(line.find_first_of(kSeparators, at), line.size());
        tokens.push_back(line.substr(at, end - at));
        at = end;
    }
    return tokens;
}

bool IsNamed(std::uint32_t type) {
    switch (type) {
        case kLessonBegin: case kLessonEnd: case kLessonProc: case kLessonEndProc:
        case kLessonCallProc: case kLessonLabel: case kLessonBranch: case kLessonContinuous:
            return true;
        default:
            return false;
    }
}

// A flight a lesson may name: a file of "Flights", or a path inside the installation folder;
// never an absolute path, a drive, or a step up out of a folder, which could reach any file.
bool IsInstallationPath(std::string_view name) {
    if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

// The actions an EXEC can name (the interpreter does nothing for any other).
bool IsLessonAction(int id) {
    return (id >= 0 && id <= 16) || id == kPhraseMyAircraft;
}
constexpr int kActionSetTrapMode = 8;

// A number operand: a keyword's value, or a whole decimal number (a minus sign allowed) that
// fits 16 bits. Nothing for anything else ("nan", "1e20", "0x10", "99999999").
std::optional<int> NumberOperand(std::string_view token) {
    const int row = FindLessonKeyword(token);
    if (row >= 0) return theLessonKeywords[row].value;
    const std::string_view digits = token.substr(!token.empty() && token[0] == '-' ? 1 : 0);
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int v = std::atoi(std::string(token).c_str());
    if (v < INT16_MIN || v > INT16_MAX) return std::nullopt;
    return v;
}

// Builds the statement of one line; 0, with why in `*why`, when the line cannot build one.
int ParseLessonStatement(LessonScript& script, int value, const std::vector<std::string_view>& t,
                         std::string* why) {
    auto refuse = [&](const std::string& reason) {
        *why = reason;
        return 0;
    };
    // The test operand of a test statement: a test keyword.
    auto test = [&](std::int16_t* out) {
        if (t.size() < 2 || t[1].substr(0, 2) == "//") return refuse("it names no test");
        const int v = LookupLessonKeyword(t[1], false);
        if (v < 0) return refuse(std::string(t[1]) + " is no test");
        *out = static_cast<std::int16_t>(v);
        return 1;
    };
    // Operand i as a number no lower than `low`; `what` names it in the refusal.
    auto number = [&](std::size_t i, const char* what, int low, std::int16_t* out) {
        if (i >= t.size() || t[i].substr(0, 2) == "//")
            return refuse(std::string("it lacks its ") + what);
        const std::optional<int> v = NumberOperand(t[i]);
        if (!v || *v < low)
            return refuse(std::string("its ") + what + " " + std::string(t[i]) +
                          " is no whole number from " + std::to_string(low) + " to 32767");
        *out = static_cast<std::int16_t>(*v);
        return 1;
    };
    if (value == kKeywordTitle || value == kKeywordSeqEnd) return 1;
    if (value == kKeywordFltFile) {
        if (t.size() < 2) return refuse("it names no flight");
        if (t[1].size() > 31 || !IsInstallationPath(t[1]))
            return refuse(
                "its flight " + std::string(t[1]) +
                " lies outside the installation or has a name of more than 31 characters");
        script.flightFile = std::string(t[1]);
        return 1;
    }
    if (script.count >= kLessonStatementLimit)
        return refuse("the script has more than 1024 statements");
    LessonStatement s;
    s.name = MakeLessonName("");
    switch (value) {
        case kLessonTest:
        case kLessonTestNot:
            s.type = static_cast<std::uint32_t>(value);
            if (test(&s.operand[0]) == 0) return 0;
            break;
        case kLessonRangeTest:
        case kLessonRangeTestNot:
            s.type = static_cast<std::uint32_t>(value);
            if (test(&s.operand[0]) == 0 || number(2, "low bound", INT16_MIN, &s.operand[1]) == 0 ||
                number(3, "high bound", INT16_MIN, &s.operand[2]) == 0)
                return 0;
            // A range that runs backwards holds nothing: its test could never be passed.
            if (s.operand[1] > s.operand[2])
                return refuse("its range runs backwards, from " + std::to_string(s.operand[1]) +
                              " down to " + std::to_string(s.operand[2]));
            break;
        case kLessonSay:
            s.type = kLessonSay;
            if (number(1, "phrase", 0, &s.operand[0]) == 0 ||
                number(2, "wait", 0, &s.operand[1]) == 0)
                return 0;
            break;
        case kKeywordTimer:
            s.type = kLessonSay;
            if (number(1, "wait", 0, &s.operand[1]) == 0) return 0;
            break;
        case kLessonExec:
        case kKeywordExec2:
            s.type = kLessonExec;
            if (t.size() < 2 || t[1].substr(0, 2) == "//") return refuse("it names no action");
            if (const std::optional<int> action = NumberOperand(t[1]);
                action && IsLessonAction(*action))
                s.operand[0] = static_cast<std::int16_t>(*action);
            else
                return refuse(std::string(t[1]) + " is no action a lesson can take");
            if (value == kKeywordExec2) {
                if (number(2, "parameter", INT16_MIN, &s.operand[1]) == 0) return 0;
                const int most = s.operand[0] == kActionSetTrapMode  ? 2
                                 : s.operand[0] == kPhraseMyAircraft ? 6
                                                                     : INT16_MAX;
                if (s.operand[1] < 0 && most != INT16_MAX)
                    return refuse("its parameter " + std::string(t[2]) + " is negative");
                if (s.operand[1] > most)
                    return refuse(std::string("its ") + (most == 2 ? "trap mode " : "manoeuvre ") +
                                  std::string(t[2]) + " is none there is");
            }
            break;
        case kLessonBegin: case kLessonProc: case kLessonCallProc: case kLessonLabel:
        case kLessonBranch: case kLessonContinuous:
            if (t.size() < 2) return refuse("it lacks its name");
            s.type = static_cast<std::uint32_t>(value);
            s.name = MakeLessonName(t[1]);
            break;
        case kKeywordGroupBegin:
            s.type = kLessonBegin;
            s.name = MakeLessonName("Group");
            break;
        case kLessonEnd:
        case kKeywordGroupEnd:
            s.type = kLessonEnd;
            s.name = MakeLessonName("End");
            break;
        case kLessonEndProc:
            s.type = kLessonEndProc;
            s.name = MakeLessonName("EPr");
            break;
        case kKeywordSeqBegin:
            if (script.procedureCount >= kLessonProcedureLimit)
                return refuse("the script has more than 8 sequences");
            s.type = kLessonLabel;
            s.name = MakeLessonName("Seq");
            script.procedures[static_cast<std::size_t>(script.procedureCount++)] =
                LessonProcedure{&script.rows[static_cast<std::size_t>(script.count)],
                                &script.rows[static_cast<std::size_t>(script.count)]};
            break;
        case kLessonStopContinuous:
            s.type = kLessonStopContinuous;
            break;
        default:
            return refuse(std::string(t[0]) + " starts no statement");
    }
    script.rows[static_cast<std::size_t>(script.count++)] = s;
    return 1;
}

// Links each CALLPROC and CONTINUOUS to the first sequence whose opening is followed by a
// statement of its name; 0 when a name has no sequence. A script that branches to a label it
// does not have (cut short, say) is refused too.
int ResolveLessonLabels(LessonScript& script) {
    const auto begin = script.rows.begin(), end = script.rows.begin() + script.count;
    for (auto b = begin; b != end; ++b)
        if (b->type == kLessonBranch && std::none_of(begin, end, [&](const LessonStatement& s) {
                return s.type == kLessonLabel && s.name == b->name;
            })) {
            script.refusal = "BRANCH " + LessonNameText(b->name) + " names no label";
            return 0;
        }
    for (int i = 0; i < script.count; ++i) {
        LessonStatement& s = script.rows[static_cast<std::size_t>(i)];
        if (s.type != kLessonCallProc && s.type != kLessonContinuous) continue;
        s.target = nullptr;
        for (int p = 0; p < script.procedureCount && s.target == nullptr; ++p) {
            LessonProcedure& proc = script.procedures[static_cast<std::size_t>(p)];
            const LessonStatement* next = proc.start + 1;
            if (next >= script.rows.data() + script.count) continue;
            if (IsNamed(next->type) && next->name == s.name) s.target = &proc;
        }
        if (s.target == nullptr) {
            script.refusal = std::string(s.type == kLessonCallProc ? "CALLPROC " : "CONTINUOUS ") +
                             LessonNameText(s.name) + " names no sequence";
            return 0;
        }
    }
    return 1;
}

const char* TypeName(std::uint32_t type) {
    static const char* const kNames[15] = {"TEST", "TESTNOT", "RANGETEST", "RANGETESTNOT", "SOUND",
                                           "EXEC", "BEGIN", "END", "PROC", "ENDPROC", "CALLPROC",
                                           "LABEL", "BRANCH", "CONTINUOUS", "STOPCONTINUOUS"};
    return type < 15 ? kNames[type] : "ERROR";
}

// Lines of a member of the lessons volume, read one by one.
template <typename Body>
auto WithLessonMember(const std::string& member, Body body) -> decltype(body(LessonLineReader{})) {
    core::ResourceVolume volume("Lessons\\Lessons.Vol", "Lessons", 1);
    if (volume.OpenFile(member) == 0) return {};
    auto result = body([&volume](char* buffer, int size) { return volume.ReadLine(buffer, size); });
    volume.CloseFile();
    return result;
}

}  // namespace

int FindLessonKeyword(std::string_view token) {
    int lower = 0, upper = kLessonKeywordCount, middle = kLessonKeywordCount / 2;
    for (;;) {
        const int c = CompareFolded(token, theLessonKeywords[middle].name);
        if (c == 0) return middle;
        const int next = c < 0 ? (middle + lower) / 2 : (upper + middle + 1) / 2;
        if (c < 0)
            upper = middle;
        else
            lower = middle + 1;
        if (next < 0 || next >= kLessonKeywordCount || next == middle) return -1;
        middle = next;
    }
}

int LookupLessonKeyword(std::string_view token, bool allowNumber) {
    if (token.substr(0, 2) == "//") return -1;
    const int row = FindLessonKeyword(token);
    if (row >= 0) return theLessonKeywords[row].value;
    if (allowNumber && !token.empty() && std::isdigit(static_cast<unsigned char>(token[0])))
        return std::atoi(std::string(token.substr(0, 16)).c_str());
    return -2;
}

LessonName MakeLessonName(std::string_view text) {
    LessonName name{};
    std::memcpy(name.data(), text.data(), std::min(text.size(), name.size()));
    return name;
}

std::string LessonNameText(const LessonName& name) {
    const void* end = std::memchr(name.data(), 0, name.size());
    return {name.data(), end ? static_cast<std::size_t>(static_cast<const char*>(end) - name.data()) : name.size()};
}

void LessonScript::Reset() {
    rows.fill(LessonStatement{});
    count = 0;
    procedures.fill(LessonProcedure{});
    procedureCount = 0;
    flightFile.clear();
    refusal.clear();
}

LessonLineReader ReadLessonLinesFrom(std::string_view text) {
    auto rest = std::make_shared<std::string>(text);
    auto at = std::make_shared<std::size_t>(0);
    return [rest, at](char* buffer, int size) -> char* {
        const std::string& t = *rest;
        if (*at >= t.size() || size <= 0) return nullptr;
        std::size_t end = t.find_first_of("\r\n", *at);
        if (end == std::string::npos) end = t.size();
        const std::size_t length = end - *at;
        if (length > static_cast<std::size_t>(size - 1)) {
            *at = t.size();
            return nullptr;
        }
        std::memcpy(buffer, t.data() + *at, length);
        buffer[length] = '\0';
        *at = end;
        if (*at < t.size() && t[*at] == '\r') ++*at;
        if (*at < t.size() && t[*at] == '\n') ++*at;
        return buffer;
    };
}

int LoadLessonScript(LessonScript& script, const LessonLineReader& lines) {
    script.Reset();
    int result = 1;
    char buffer[256];
    int line = 0;
    // The first refused line is the one named.
    auto refuse = [&](const std::string& why) {
        if (script.refusal.empty())
            script.refusal =
                "line " + std::to_string(line) + " (" + std::string(buffer) + "): " + why;
        result = 0;
    };
    while (lines(buffer, sizeof buffer) != nullptr) {
        ++line;
        if (static_cast<unsigned char>(buffer[0]) == 26) break;
        const std::vector<std::string_view> tokens = Tokens(buffer);
        if (tokens.empty()) continue;
        const int value = LookupLessonKeyword(tokens[0], false);
        if (value == -1) continue;
        if (value < 0) {
            refuse(std::string(tokens[0]) + " is no word of the lesson language");
            return 0;
        }
        std::string why;
        if (ParseLessonStatement(script, value, tokens, &why) == 0) refuse(why);
    }
    if (result == 0) return 0;
    return ResolveLessonLabels(script);
}

std::string DumpLessonStatements(const LessonScript& script) {
    std::string out;
    int indent = 0;
    char line[160];
    for (int i = 0; i < script.count; ++i) {
        const LessonStatement& s = script.rows[static_cast<std::size_t>(i)];
        if (s.type == kLessonProc) out += "\n";
        if (s.type == kLessonEnd || s.type == kLessonEndProc) indent = std::max(0, indent - 1);
        out.append(static_cast<std::size_t>(indent) * 3, ' ');
        const std::string name = LessonNameText(s.name);  // at most 16 characters
        switch (s.type) {
            case kLessonTest: case kLessonTestNot: case kLessonExec:
                std::snprintf(line, sizeof line, " [test: %d] [parm: %d]", s.operand[0], s.operand[1]);
                break;
            case kLessonRangeTest: case kLessonRangeTestNot:
                std::snprintf(line, sizeof line, " [test: %d] [lo: %d] [hi: %d]", s.operand[0], s.operand[1], s.operand[2]);
                break;
            case kLessonSay:
                std::snprintf(line, sizeof line, " [id: %d] [wait: %d]", s.operand[0], s.operand[1]);
                break;
            case kLessonBegin: case kLessonEnd: case kLessonProc: case kLessonEndProc:
            case kLessonLabel: case kLessonBranch:
                std::snprintf(line, sizeof line, " [%s]", name.c_str());
                break;
            default:
                line[0] = '\0';
        }
        out += std::string("[") + TypeName(s.type) + "]" + line + "\n";
        if (s.type == kLessonProc || s.type == kLessonBegin) ++indent;
        if (s.type == kLessonEnd || s.type == kLessonEndProc) out += "\n";
    }
    return out;
}

int DumpLessonFile(const LessonScript& script, const std::string& path) {
    const std::string text = DumpLessonStatements(script);
    if (win::ReplaceFileAtomically(path, std::string_view(text))) return 1;
    core::ReportUnwrittenFile(path, win::GetLastError());
    return 0;
}

std::optional<std::string> ReadLessonTitle(const LessonLineReader& lines) {
    char buffer[256];
    while (lines(buffer, sizeof buffer) != nullptr) {
        const std::string_view line(buffer);
        const std::size_t begin = line.find_first_not_of(kSeparators);
        if (begin == std::string_view::npos) continue;
        const std::size_t end = std::min(line.find_first_of(kSeparators, begin), line.size());
        if (CompareFolded(line.substr(begin, end - begin), "TITLE") != 0) continue;
        return std::string(end < line.size() ? line.substr(end + 1) : std::string_view());
    }
    return std::nullopt;
}

std::optional<std::string> LoadManeuverLesson(int n) {
    char member[32];
    std::snprintf(member, sizeof member, "zqMan%d.txt", n);
    return WithLessonMember(member, [](const LessonLineReader& lines) { return ReadLessonTitle(lines); });
}

namespace {

std::optional<std::string> FirstLineOf(const char* member) {
    return WithLessonMember(member, [](const LessonLineReader& lines) {
        char buffer[256];
        return lines(buffer, sizeof buffer) ? std::optional<std::string>(buffer) : std::nullopt;
    });
}

}  // namespace

int LoadLessonDescription(std::string* text, int n) {
    for (int lesson = n; lesson >= 1; --lesson) {
        char member[32];
        std::snprintf(member, sizeof member, "lDesc%d.txt", lesson);
        const std::optional<std::string> line = FirstLineOf(member);
        if (line) {
            *text = *line;
            return lesson;
        }
    }
    text->clear();
    return 0;
}

std::string LoadManeuverDescription(int n) {
    char member[32];
    std::snprintf(member, sizeof member, "mDesc%d.txt", n);
    return FirstLineOf(member).value_or(std::string());
}

}  // namespace planning
