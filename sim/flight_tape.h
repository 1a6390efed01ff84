// Flight tapes (".Cam"): a fixed 855-byte snapshot of the simulation state, followed by tagged
// records (state samples, every key code the user pressed, frame marks) and an end byte. The
// recorder is one global object whose replay target is the key dispatcher; it stays idle until
// a caller opens a tape.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "win/file_api.h"
#include "win/handles.h"

namespace sim {

inline constexpr std::size_t kFlightStateRecordSize = 855;

// The record's byte places.
namespace tape_offsets {
inline constexpr std::size_t kFlightModel = 0;  // 98 bytes, fmPosX through fmPLoad
inline constexpr std::size_t kSlew = 98;
inline constexpr std::size_t kPause = 100;
inline constexpr std::size_t kBattery = 101;
inline constexpr std::size_t kAvionics = 102;
inline constexpr std::size_t kIgnitionLeft = 103;
inline constexpr std::size_t kMixtureLeft = 104;
inline constexpr std::size_t kFuelSwitchLeft = 106;
inline constexpr std::size_t kIgnitionRight = 107;
inline constexpr std::size_t kMixtureRight = 108;
inline constexpr std::size_t kFuelSwitchRight = 110;
inline constexpr std::size_t kInCamera = 111;
inline constexpr std::size_t kSkyCamPreset = 112;
inline constexpr std::size_t kViewMode = 113;
inline constexpr std::size_t kLookDirection = 114;
inline constexpr std::size_t kEnvironment = 493;  // 42 bytes
inline constexpr std::size_t kControls = 553;     // 39 bytes
inline constexpr std::size_t kEngineWords = 609;  // 6 bytes
inline constexpr std::size_t kDay = 615;
inline constexpr std::size_t kMonth = 616;
inline constexpr std::size_t kYear = 617;
inline constexpr std::size_t kSecond = 621;
inline constexpr std::size_t kMinute = 622;
inline constexpr std::size_t kHour = 623;
inline constexpr std::size_t kEngineAndRadio = 626;  // 47 bytes
inline constexpr std::size_t kAircraftCode = 847;    // 8 bytes
}  // namespace tape_offsets

struct FlightStateRecord {
    std::array<std::uint8_t, kFlightStateRecordSize> bytes{};
};
extern FlightStateRecord theFlightStateRecord;

// The tagged records after the state record.
inline constexpr std::uint8_t kTapeStateSample = 0x80;  // 19 bytes
inline constexpr std::uint8_t kTapeKeyEvent = 0x8D;     // 5 bytes
inline constexpr std::uint8_t kTapeFrameMark = 0x8E;    // 1 byte
inline constexpr std::uint8_t kTapeEnd = 0x89;          // 1 byte

// A state sample: four words and a half word of a 20-byte sample.
struct TapeStateSample {
    std::uint32_t words[4] = {0, 0, 0, 0};
    std::uint16_t half = 0;
};

// The aircraft code of a type ("cess172 " ...), and the type of a code (-1 for none).
[[nodiscard]] const char* TapeAircraftCode(int type);
[[nodiscard]] int TapeAircraftType(const char code[8]);

// What the tape reads of the world beside the flight model: pause request, simulated UTC date
// and the engine sounds. The world installs its own.
struct TapeCalendar {
    int day = 1;    // 1..31
    int month = 0;  // 0..11
    int year = 1997;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
struct FlightTapeServices {
    int (*pauseRequested)();
    void (*utcDate)(TapeCalendar* out);
    void (*stopEngineSounds)();
};
extern FlightTapeServices theFlightTapeServices;
[[nodiscard]] FlightTapeServices DefaultFlightTapeServices();

// Fills theFlightStateRecord from the simulation.
void CaptureFlightState();
// Capture, then the 855 bytes; 1 when all were written.
int WriteFlightState(win::FileHandle file);
// The inverse: reads 855 bytes and, only when all arrived and the aircraft code is known, puts
// the aircraft, flight model, slew, switches, levers and views back. 1 or 0.
int ReadFlightState(win::FileHandle file);
// The same from a record already in memory.
int RestoreFlightState(const FlightStateRecord& record);

using KeyDispatchFunction = int (*)(std::uint32_t code);

class FlightTape {
public:
    enum Mode : int { kIdle = 0, kPlaying = 1, kRecording = 2, kOther = 4 };

    explicit FlightTape(KeyDispatchFunction replayTarget);
    ~FlightTape();
    FlightTape(const FlightTape&) = delete;
    FlightTape& operator=(const FlightTape&) = delete;

    // Creates the tape (replacing one of the same name) and writes the state record; mode 2.
    // A tape that cannot be made (or whose record cannot be written) leaves the mode as it was
    // and shows why. 1 or 0; nothing for a null name.
    int OpenTapeFile(win::HWND owner, const char* name);
    // Append one record; a failed write closes the tape and says so. 1 or 0.
    int WriteKeyEvent(win::HWND window, std::uint32_t code);
    int WriteStateSample(win::HWND window, const TapeStateSample& sample);
    int WriteFrameMark(win::HWND window);
    // Recording: the end byte, then closed; playing: closed; idle: nothing.
    void Close();
    int SetMode(int newMode);
    // The reader of a tape being played: up to `size` bytes of it, or nothing (0) while nothing
    // plays or the reader is held empty. Start-up holds it empty, so no tape plays back.
    std::uint32_t ReadRecord(std::uint8_t* out, std::uint32_t size);
    void SetReaderEmpty(bool empty) { readerEmpty = empty; }
    [[nodiscard]] int GetMode() const { return mode; }
    [[nodiscard]] bool IsRecording() const { return mode == kRecording; }
    [[nodiscard]] const std::string& Message() const { return message; }
    [[nodiscard]] KeyDispatchFunction ReplayTarget() const { return replayTarget; }

private:
    int Append(win::HWND window, const std::uint8_t* bytes, std::uint32_t count);
    void Fail(win::HWND window, const char* format);

    win::FileHandle file;
    int mode = kIdle;
    bool readerEmpty = false;
    std::string message;
    std::string name;
    KeyDispatchFunction replayTarget;
};

extern FlightTape theFlightTape;

// "Save Tape": 1 with the chosen path, 0 when cancelled.
int SaveTapeDialog(win::HWND owner, std::string* path);
// An open dialog starting at "flight.cam"; the chosen path, or empty when cancelled.
std::string OpenTapeDialog(win::HWND owner, const char* title, std::uint32_t extraFlags);

}  // namespace sim
