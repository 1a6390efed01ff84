// The lesson script language: plain-text scripts in "Lessons\Lessons.Vol" ("zqMan<n>.txt"
// manoeuvres, "zqLess<n>.txt" lessons, "lDesc<n>.txt" lesson descriptions) read into statement
// rows that the interpreter (lesson_controller.h) steps.
//
// A line is a keyword and its operands, separated by commas, blanks, tabs or line feeds; "//"
// starts a comment; a line starting with Ctrl-Z ends the script. Keywords ignore case; names
// keep theirs and only their first 16 characters count. The first token's keyword value selects
// the statement, so any keyword of a statement's value builds that statement.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace planning {

enum LessonStatementType : std::uint32_t {
    kLessonTest = 0,
    kLessonTestNot = 1,
    kLessonRangeTest = 2,
    kLessonRangeTestNot = 3,
    kLessonSay = 4,
    kLessonExec = 5,
    kLessonBegin = 6,
    kLessonEnd = 7,
    kLessonProc = 8,
    kLessonEndProc = 9,
    kLessonCallProc = 10,
    kLessonLabel = 11,
    kLessonBranch = 12,
    kLessonContinuous = 13,
    kLessonStopContinuous = 14,
    kLessonUnused = 0xFFFFFFFFu,
};

// Keyword values that are no statement type but select one.
inline constexpr int kKeywordTitle = 257, kKeywordExec2 = 258, kKeywordFltFile = 259,
                     kKeywordGroupBegin = 260, kKeywordGroupEnd = 261, kKeywordSeqBegin = 262,
                     kKeywordSeqEnd = 263, kKeywordTimer = 264;
inline constexpr int kPhraseNeedsWork = 19994;
inline constexpr int kPhraseMyAircraft = 19998;
inline constexpr int kPhraseYourAircraft = 19999;

struct LessonKeyword {
    const char* name;
    std::int32_t value;
};
inline constexpr int kLessonKeywordCount = 99;
extern const LessonKeyword theLessonKeywords[kLessonKeywordCount];

// The row of `token` by a binary search ignoring case, or -1.
[[nodiscard]] int FindLessonKeyword(std::string_view token);
// A keyword's value; -1 for a comment ("//..."); with `allowNumber` a token starting with a digit
// gives its number; -2 otherwise.
[[nodiscard]] int LookupLessonKeyword(std::string_view token, bool allowNumber);

using LessonName = std::array<char, 16>;  // not terminated when 16 characters long
[[nodiscard]] LessonName MakeLessonName(std::string_view text);
[[nodiscard]] std::string LessonNameText(const LessonName& name);

struct LessonProcedure;

struct LessonStatement {
    std::uint32_t type = kLessonUnused;
    std::int16_t operand[3] = {0, 0, 0};  // test/phrase/action id; parameter, low or wait; high
    LessonName name = MakeLessonName("ERROR");
    LessonProcedure* target = nullptr;  // CALLPROC and CONTINUOUS after the fix-up
};

// A callable sequence: where it starts and the statement to run next.
struct LessonProcedure {
    LessonStatement* start = nullptr;
    LessonStatement* current = nullptr;
};

inline constexpr int kLessonStatementLimit = 1024;
inline constexpr int kLessonProcedureLimit = 8;

// The loaded script. Every load starts from empty tables, so nothing of an earlier script runs.
struct LessonScript {
    std::array<LessonStatement, kLessonStatementLimit> rows;
    int count = 0;
    std::array<LessonProcedure, kLessonProcedureLimit> procedures;
    int procedureCount = 0;
    std::string flightFile;  // from FLTFILE; empty means "Lesson.Flt"
    // Why the last load refused the script, for the user ("line 3 (SAY 99999999 3): ..."); empty
    // after a load that succeeded.
    std::string refusal;
    void Reset();
};
extern LessonScript theLessonScript;

// The next line into `buffer` (at most size - 1 characters), null at the end or on a line too long.
using LessonLineReader = std::function<char*(char* buffer, int size)>;
// A reader over text held in memory, ending lines as the volume's reader does.
[[nodiscard]] LessonLineReader ReadLessonLinesFrom(std::string_view text);

// Reads a whole script: 1 when every line built its statement and every call was resolved. A
// script is refused (0) for an unknown first keyword, a statement value that is no statement, a
// missing operand, more than 1024 statements or 8 sequences, an unresolved CALLPROC or
// CONTINUOUS name, or a FLTFILE name of more than 31 characters or outside the installation
// folder (absolute, with a drive, or stepping up with ".."). Operands must mean something a
// lesson can do: a test is a test keyword; a number is a keyword or a whole decimal number that
// fits the statement's 16-bit field (a minus sign allowed); a range runs from its low bound up;
// a phrase and a wait are not negative; an EXEC names an action there is, and the trap mode and
// the copilot's manoeuvre of an EXEC2 are ones there are. `refusal` then says which line and why.
int LoadLessonScript(LessonScript& script, const LessonLineReader& lines);
// The rows as the debug dump shows them ("Less.out").
[[nodiscard]] std::string DumpLessonStatements(const LessonScript& script);
int DumpLessonFile(const LessonScript& script, const std::string& path);

// The text after "TITLE" of the first such line.
[[nodiscard]] std::optional<std::string> ReadLessonTitle(const LessonLineReader& lines);
// The title of manoeuvre n ("zqMan<n>.txt"), or nothing when there is no such manoeuvre.
[[nodiscard]] std::optional<std::string> LoadManeuverLesson(int n);
// The first line of the description of lesson n, else of the nearest lesson below it; the number
// of the lesson whose description was read, 0 when none.
int LoadLessonDescription(std::string* text, int n);
// The first line of the description of manoeuvre n ("mDesc<n>.txt"); empty when it has none.
[[nodiscard]] std::string LoadManeuverDescription(int n);

}  // namespace planning
