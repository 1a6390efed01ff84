// Whole frames of the real program: zephlon itself on the headless machine, in a folder made
// like the starter installation, each frame exactly what its message loop does when idle (the
// world with its terrain, scenery, aircraft and clouds, the panel, the GPS and the readouts,
// presented to the screen, then the clock's ticks). Three places: parked at San Carlos (KSQL)
// on the first flight with the panel, the lessons' cruise 3,000 ft over KSQL with the panel,
// and 15,000 ft over Leadville (KLXV) in the Rockies in the full-screen world view.
//
// Each place runs in a child process of its own (the program's globals start fresh, and the
// benchmarks do not depend on their order). The child flies 90 frames to page in what lies
// round the aircraft, then times 300 frames on its thread's processor clock (other work on a
// loaded machine does not count) with a 16 ms virtual clock between them, and counts the heap
// allocations and the pixels the rasterizer wrote in each. The goals are a frame's processor
// time against a memcpy of the 32-bit frame timed in the same child among the frames (after
// every tenth): 12 parked and 15 in cruise with the panel, 25 in the full-screen world. A digest
// of the last frame's presented pixels lets a faster frame be checked for the same picture.
//
// The present on its own: the child keeps 16 of the frames it drew and then copies them, one
// after the other, onto the main window from a DIB section and presents the screen, as the
// program's frame ends; the goal is each place's share of a memcpy of the 32-bit frame (0.41
// parked, 0.85 in cruise, 1.8 in the full-screen world, whose rows all change).
//
// The processor a flight keeps busy, parked, in cruise and in a turn: the program runs as in a
// window, its virtual clock moved on by the processor time each turn of its loop took and by
// the time each of its rests asked for, once drawing a picture in every turn (the loop that
// never rests, a whole core) and three times with its own frame step (the least counts); the
// goal is each place's share of the first (its wake-ups a simulated second beside it). The
// start on its own: the processor from the program's entry to its first frame, parked at KSQL
// and 15,000 ft over Leadville (the program's target is 0.3 s; the goals are each place's).
// Needs the installation the build makes (build/install).
//
// The program in a window: zephlon on an X server of the benchmark's own (Xvfb), parked at KSQL
// and in cruise over it, with a sound card that plays in real time: its loop's wake-ups and its
// processor over the least busy of three spans of 10 s of real time (goals: half or less of
// what the loop measured when it rested at most 5 ms at a time, and about a quarter above what
// each measures).
//
// A minute of cruise in the headless runner: simrun (beside this program) flies the lessons'
// cruise for 60 s of simulated time at a 16 ms frame interval with a screenshot every 5 s,
// drawing a picture in every turn and with the program's own frame step, three times each in
// turn; the least processor time of each whole process (start and close included), and the
// screenshots of the two compared byte for byte. The flight's picture changes on every tick,
// 18.2 times a simulated second, against 62.5 turns of the loop at this interval: the frame
// step draws each of those pictures, so its run costs at least 0.29 of the run that draws in
// every turn (the start and the ticks add to both). The goal is at most 0.43 of it (measured
// 0.35-0.41): a frame step that drew a third more pictures than the ticks make, about 0.44,
// fails. With ZEPHLON_REFERENCE_SIMRUN and
// ZEPHLON_REFERENCE_INSTALL naming an older build's simrun and its installation, that build
// flies the same minute with its own frame step, with the same goal against its time (for a
// build that drew in every turn).
#define ZEPHLON_ALLOCATION_COUNTER_HERE
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/allocation_counter.h"
#include "bench/goal.h"
#include "core/ini_file.h"
#include "devices/joystick.h"
#include "gfx/raster/span_state.h"
#include "nav/lat_lon.h"
#include "platform/headless/headless_backend.h"
#include "sim/main_window.h"
#include "win/compositor.h"
#include "win/gdi.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/window.h"
#include "win/window_surface.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWarmUpFrames = 90;
constexpr int kMeasuredFrames = 300;
// The reference is timed among the frames, after every tenth (the least of three copies), so
// that both meet the machine in the same state; the frame after a copy, which finds the
// program's data pushed out of the caches by it, is left out.
constexpr int kCopyEveryFrames = 10;
constexpr std::uint32_t kFrameIntervalMs = 16;
constexpr std::size_t kKeptFrames = 16;
constexpr int kPresents = 301;

struct Place {
    const char* flight;  // the installation's flight it starts from
    int view;            // the view mode it is flown in (0 the panel, 3 the plain world)
    bool leadville;      // moved to 15,000 ft over Leadville
    double goal;         // a frame's time in memcpys of the 32-bit frame, at most
    // The present of its frames in memcpys of the 32-bit frame, at most (a little above what it
    // measures: the parked frames change in few rows, the full-screen world's in all).
    double presentGoal = 0;
};

// What a child reports.
struct Measurement {
    std::vector<double> seconds;  // processor time of each measured frame
    std::uint64_t allocations = 0;
    std::uint64_t pixels = 0;
    std::uint32_t digest = 0;
    double memcpy32 = 0;
    double present = 0;  // median processor time of one copy onto the window and present
    std::string error;
};

fs::path Installation() {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return fs::path(std::string(exe, n > 0 ? static_cast<std::size_t>(n) : 0))
               .parent_path()
               .parent_path() /
           "install";
}

// A folder like the installation, its data folders linked and its flights copied, with the
// place's flight as the first flight.
bool MakeFolder(const fs::path& folder, const Place& place, std::string* error,
                const fs::path& install = Installation()) {
    if (!fs::exists(install / "Flights" / place.flight)) {
        *error = "no starter installation (build the installation target)";
        return false;
    }
    fs::remove_all(folder);
    fs::create_directories(folder / "Flights");
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        if (e.is_directory() && e.path().filename() != "Flights")
            fs::create_symlink(e.path(), folder / e.path().filename());
    for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
        fs::copy_file(e.path(), folder / "Flights" / e.path().filename());
    const fs::path first = folder / "Flights" / "Startup.Flt";
    fs::copy_file(install / "Flights" / place.flight, first, fs::copy_options::overwrite_existing);
    // The view is a setting of the program, not of the flight.
    core::IniFile settings((folder / "Zephlon.ini").string().c_str());
    settings.PutInt("Views", "cur", place.view);
    core::IniFile flight(first.string().c_str());
    if (place.leadville) {
        // Lake County airport: 39.219466 N, 106.316444 W, 9,927 ft; the aircraft 5,073 ft
        // above its pad (the saved height counts from the ground), so 15,000 ft above the sea.
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, 39.219466, 106.316444);
        flight.PutInt("Aircraft", "fmPosX", x);
        flight.PutInt("Aircraft", "fmPosZ", z);
        flight.PutInt("Aircraft", "fmPosY", static_cast<std::int32_t>(5073 * 0.3048 * 256));
    }
    return true;
}

// A frame the program drew, as its main window held it.
struct KeptFrame {
    std::vector<std::uint8_t> indices;
    std::array<std::uint32_t, 256> palette{};
};

// The median time of copying kept frames onto the main window and presenting the screen.
double TimePresents(const std::vector<KeptFrame>& kept) {
    const win::HWND main = win::GetDisplayWindow();
    const win::HDC screen = win::GetDC(main);
    std::vector<win::HDC> dcs;
    std::vector<win::HBITMAP> bitmaps;
    for (const KeptFrame& f : kept) {
        win::BITMAPINFO info;
        info.bmiHeader.biWidth = platform::kFrameWidth;
        info.bmiHeader.biHeight = -platform::kFrameHeight;
        info.bmiHeader.biBitCount = 8;
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] = win::RGBQUAD{static_cast<std::uint8_t>(f.palette[i]),
                                             static_cast<std::uint8_t>(f.palette[i] >> 8),
                                             static_cast<std::uint8_t>(f.palette[i] >> 16), 0};
        const win::HDC dc = win::CreateCompatibleDC(win::HDC{});
        void* bits = nullptr;
        const win::HBITMAP bitmap =
            win::CreateDIBSection(dc, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
        std::copy(f.indices.begin(), f.indices.end(), static_cast<std::uint8_t*>(bits));
        win::SelectObject(dc, bitmap);
        dcs.push_back(dc);
        bitmaps.push_back(bitmap);
    }
    std::size_t next = 0;
    const double median = benchsupport::MedianSeconds(
        [&] {
            win::BitBlt(screen, 0, 0, platform::kFrameWidth, platform::kFrameHeight,
                        dcs[next++ % dcs.size()], 0, 0, win::SRCCOPY);
            win::PresentNow();
        },
        kPresents);
    win::ReleaseDC(main, screen);
    return median;
}

// A child's failure: its reason goes to the parent, and the child ends.
[[noreturn]] void ChildFails(FILE* out, const std::string& why) {
    std::fprintf(out, "error %s\n", why.c_str());
    std::fclose(out);
    _exit(1);
}

// The headless machine the child runs the program on, in the folder made for it; a dialog
// fails the measurement.
void StartChildMachine(const fs::path& folder, platform::HeadlessBackend& machine, FILE* out) {
    if (chdir(folder.c_str()) != 0) ChildFails(out, "cannot enter " + folder.string());
    platform::SetCurrentBackend(&machine);
    machine.Screen().Open(platform::VideoOptions{});
    win::SetVirtualScreenSize(platform::kFrameWidth, platform::kFrameHeight);
    win::SetCursorPos(platform::kFrameWidth / 2, platform::kFrameHeight / 2);
    core::theIniFile = core::IniFile("./Zephlon.ini");
    devices::theJoystickIniFile = core::IniFile("./joystick.ini");
    win::SetModalObserver([out](win::HWND dialog) {
        ChildFails(out, "a dialog opened: \"" + win::GetWindowText(dialog) + "\"");
    });
}

std::uint32_t ScreenDigest(platform::HeadlessBackend& machine) {
    std::uint32_t digest = 2166136261u;
    for (std::uint32_t p : machine.Screen().LastPixels())
        digest = (digest ^ (p & 0xFFFFFF)) * 16777619u;
    return digest;
}

// The child: runs the program and writes what it measured to `out`, then ends at once (the
// measurement is all it is for; the program is not shut down).
[[noreturn]] void RunChild(const fs::path& folder, FILE* out) {
    auto fail = [out](const std::string& why) { ChildFails(out, why); };
    platform::HeadlessBackend machine;
    StartChildMachine(folder, machine, out);
    const win::ProgramEntry program = sim::ZephlonProgram();

    std::vector<double> seconds, copies;
    seconds.reserve(kMeasuredFrames);
    copies.reserve(kMeasuredFrames / kCopyEveryFrames + 1);
    constexpr std::size_t kFrame32Bytes = 640 * 480 * 4;
    benchsupport::AlignedBuffer copyFrom(kFrame32Bytes), copyTo(kFrame32Bytes);
    std::memset(copyFrom.bytes, 7, kFrame32Bytes);
    std::memset(copyTo.bytes, 0, kFrame32Bytes);
    bool afterCopy = false;
    std::uint64_t lastFrames = 0, pixels = 0, allocations = 0;
    double lastTime = 0;
    std::uint64_t lastPixels = 0, lastAllocations = 0;
    // Frames that differ from the one before (a frame between two ticks may show the same
    // picture, which the screen is not given again).
    std::vector<KeptFrame> kept;
    std::uint32_t keptSerial = 0;
    machine.Input().SetQueueEmptyHandler([&] {
        const double now = benchsupport::ThreadSeconds();
        const std::uint64_t frames = program.frames();
        const std::uint64_t written = gfx::theSpanState.pixelsWritten;
        const std::uint64_t allocated = benchsupport::theAllocations.load();
        if (frames == lastFrames + 1 && frames > kWarmUpFrames && !afterCopy) {
            seconds.push_back(now - lastTime);
            pixels += written - lastPixels;
            allocations += allocated - lastAllocations;
        }
        afterCopy = false;
        if (frames == lastFrames + 1 && frames > kWarmUpFrames &&
            seconds.size() % kCopyEveryFrames == 0 && !seconds.empty() &&
            copies.size() < seconds.size() / kCopyEveryFrames) {
            double least = 1e30;
            for (int k = 0; k < 3; ++k) {
                const double t0 = benchsupport::ThreadSeconds();
                std::memcpy(copyTo.bytes, copyFrom.bytes, kFrame32Bytes);
                benchmark::ClobberMemory();
                least = std::min(least, benchsupport::ThreadSeconds() - t0);
            }
            copies.push_back(least);
            afterCopy = true;
        }
        if (static_cast<int>(seconds.size()) == kMeasuredFrames) {
            benchsupport::theCounting = false;
            const std::uint32_t digest = ScreenDigest(machine);
            if (kept.size() < 2) fail("fewer than two different frames were drawn");
            const double present = TimePresents(kept);
            std::fprintf(out, "memcpy32 %.9g\npresent %.9g\n",
                         benchsupport::Median(std::move(copies)), present);
            for (double s : seconds)
                std::fprintf(out, "frame %.9g\n", s);
            std::fprintf(out, "allocations %llu\npixels %llu\ndigest %u\n",
                         static_cast<unsigned long long>(allocations),
                         static_cast<unsigned long long>(pixels), digest);
            std::fclose(out);
            _exit(0);
        }
        const win::WindowSurface* shown = win::GetWindowSurface(win::GetDisplayWindow());
        if (frames > kWarmUpFrames && kept.size() < kKeptFrames && shown != nullptr &&
            shown->contentSerial != keptSerial) {
            if (shown->format != win::SurfaceFormat::Indexed8)
                fail("the main window does not hold the 8-bit picture");
            benchsupport::theCounting = false;
            kept.push_back(KeptFrame{shown->indices, shown->palette});
            keptSerial = shown->contentSerial;
        }
        // The headless sound card keeps what it is fed; only the program's own work counts.
        machine.Sound().ClearCaptured();
        machine.Time().Advance(kFrameIntervalMs);
        lastFrames = frames;
        lastPixels = written;
        lastAllocations = benchsupport::theAllocations.load();
        benchsupport::theCounting = frames >= kWarmUpFrames;
        lastTime = benchsupport::ThreadSeconds();
        return true;
    });
    program.winMain("");
    fail("the program ended after " + std::to_string(program.frames()) + " frames");
    _exit(1);
}

// Ends a benchmark that could not measure with its reason; else gives each of its iterations
// `seconds`. False when it ended.
bool TimeOrEnd(benchmark::State& state, const std::string& error, double seconds) {
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        for (auto _ : state) {
        }
        return false;
    }
    for (auto _ : state)
        state.SetIterationTime(seconds);
    return true;
}

// ---- the processor a flight keeps busy -------------------------------------------------------

// The program as it runs in a window, where time passes while it works: each turn of its loop
// moves the virtual clock on by the processor time the turn took, and each rest of the loop by
// the time it asked to rest (a wake-up). After the warm-up, the share of one core a simulated
// second costs and the loop's wake-ups a simulated second, in the program's own frame step and
// with a picture drawn in every turn (the reference: the loop that never rests), in the same
// child.
struct Load {
    double everyTurn = 0;  // processor seconds per simulated second, a picture every turn
    double ownStep = 0;    // the same with the program's frame step
    std::uint64_t framesEveryTurn = 0, framesOwnStep = 0;
    double wakeUps = 0;  // the own step's rests a simulated second
    double startup = 0;  // processor seconds from the start to the first frame
    std::string error;
};

constexpr double kLoadWarmUpSeconds = 3.0;
constexpr double kLoadSeconds = 8.0;
// The frame step's runs: a few milliseconds of processor a simulated second move with whatever
// else the machine does in that second, so the least of three counts.
constexpr int kOwnStepRuns = 3;

[[noreturn]] void RunLoadChild(const fs::path& folder, bool turn, bool everyTurn, FILE* out) {
    auto fail = [out](const std::string& why) { ChildFails(out, why); };
    const double started = benchsupport::ThreadSeconds();
    platform::HeadlessBackend machine;
    StartChildMachine(folder, machine, out);
    sim::theDrawEveryTurn = everyTurn;
    const win::ProgramEntry program = sim::ZephlonProgram();
    double simulated = 0, owed = 0, measuredFrom = -1, busy = 0, startup = -1;
    std::uint64_t framesFrom = 0, wakeUps = 0, wakeUpsFrom = 0;
    double lastTime = benchsupport::ThreadSeconds();
    bool banked = false;
    // Once the program flies, the time a rest asked for passes as it would in a window.
    machine.Input().SetRestHandler([&](std::uint32_t ms) {
        if (program.frames() == 0) return;
        ++wakeUps;
        simulated += ms * 1e-3;
        machine.Sound().ClearCaptured();
        machine.Time().Advance(ms);
    });
    machine.Input().SetQueueEmptyHandler([&] {
        const double now = benchsupport::ThreadSeconds();
        const std::uint64_t frames = program.frames();
        if (startup < 0 && frames > 0) startup = now - started;
        const double step = now - lastTime;
        if (measuredFrom >= 0) busy += now - lastTime;
        if (turn && !banked && frames > 0) {
            // A bank to the left held for half a second: the aircraft then turns on its own.
            platform::Event e;
            e.kind = platform::EventKind::KeyDown;
            e.scancode = platform::Scancode::Left;
            machine.Input().Inject(e);
            banked = true;
        } else if (turn && banked && simulated > 0.5 && simulated < 0.6) {
            platform::Event e;
            e.kind = platform::EventKind::KeyUp;
            e.scancode = platform::Scancode::Left;
            machine.Input().Inject(e);
        }
        if (frames > 0) simulated += step;
        if (measuredFrom < 0 && simulated >= kLoadWarmUpSeconds) {
            measuredFrom = simulated;
            framesFrom = frames;
            wakeUpsFrom = wakeUps;
        }
        if (measuredFrom >= 0 && simulated - measuredFrom >= kLoadSeconds) {
            const double seconds = simulated - measuredFrom;
            std::fprintf(out, "load %.9g\nframes %llu\nwakeups %.9g\nstartup %.9g\n",
                         busy / seconds, static_cast<unsigned long long>(frames - framesFrom),
                         static_cast<double>(wakeUps - wakeUpsFrom) / seconds, startup);
            std::fclose(out);
            _exit(0);
        }
        // The virtual clock counts whole milliseconds: the rest is owed to the next turn.
        owed += step * 1000.0;
        const auto ms = static_cast<std::uint32_t>(owed);
        owed -= ms;
        machine.Sound().ClearCaptured();
        machine.Time().Advance(frames > 0 ? ms : 16);
        lastTime = benchsupport::ThreadSeconds();
        return true;
    });
    program.winMain("");
    fail("the program ended after " + std::to_string(program.frames()) + " frames");
    _exit(1);
}

// Runs a child and reads its lines.
template <class Child, class Line>
std::string RunInChild(Child&& child, Line&& line) {
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        child(fdopen(fds[1], "w"));
    }
    close(fds[1]);
    std::string error;
    FILE* in = fdopen(fds[0], "r");
    char text[512];
    while (in != nullptr && std::fgets(text, sizeof text, in) != nullptr) {
        std::string l(text);
        if (!l.empty() && l.back() == '\n') l.pop_back();
        const std::size_t space = l.find(' ');
        const std::string key = l.substr(0, space);
        const std::string value = space == std::string::npos ? "" : l.substr(space + 1);
        if (key == "error") error = value;
        line(key, value);
    }
    if (in != nullptr) std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    if (error.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        error = "the program's process failed";
    return error;
}

Load MeasureLoad(const Place& place, bool turn) {
    Load l;
    const fs::path folder =
        fs::temp_directory_path() / ("zephlon-load-bench-" + std::to_string(getpid()));
    if (!MakeFolder(folder, place, &l.error)) return l;
    for (int run = 0; run <= kOwnStepRuns && l.error.empty(); ++run) {
        const bool everyTurn = run == 0;
        double load = 0, startup = 0, wakeUps = 0;
        std::uint64_t frames = 0;
        l.error = RunInChild([&](FILE* out) { RunLoadChild(folder, turn, everyTurn, out); },
                             [&](const std::string& key, const std::string& value) {
                                 if (key == "load") load = std::strtod(value.c_str(), nullptr);
                                 if (key == "startup")
                                     startup = std::strtod(value.c_str(), nullptr);
                                 if (key == "wakeups")
                                     wakeUps = std::strtod(value.c_str(), nullptr);
                                 if (key == "frames")
                                     frames = std::strtoull(value.c_str(), nullptr, 10);
                             });
        if (!l.error.empty()) break;
        if (everyTurn) {
            l.everyTurn = load;
            l.framesEveryTurn = frames;
        } else if (run == 1 || load < l.ownStep) {
            l.ownStep = load;
            l.framesOwnStep = frames;
            l.startup = startup;
            l.wakeUps = wakeUps;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return l;
}

// Goal: the program's own frame step keeps at most `goal` of the core busy that a picture in
// every turn does (a whole core), parked, in cruise and in a turn; its wake-ups a simulated
// second beside it.
void BM_ProcessorPerSimulatedSecond(benchmark::State& state, Place place, bool turn, double goal) {
    const Load l = MeasureLoad(place, turn);
    std::string error = l.error;
    if (error.empty() && (l.framesOwnStep == 0 || l.framesEveryTurn == 0))
        error = "no frame was drawn";
    if (!TimeOrEnd(state, error, l.ownStep)) return;
    benchsupport::Goals goals(state);
    goals.AtMost("own_step_per_every_turn", l.ownStep / l.everyTurn, goal);
    goals.Note("core_share_own_step", l.ownStep);
    goals.Note("core_share_every_turn", l.everyTurn);
    goals.Note("frames_own_step", static_cast<double>(l.framesOwnStep));
    goals.Note("frames_every_turn", static_cast<double>(l.framesEveryTurn));
    goals.Note("wake_ups_per_s", l.wakeUps);
}

// ---- the start -------------------------------------------------------------------------------

// The processor a start takes on the headless machine, from the program's entry to its first
// frame: the loading screen, the pilot, the world, the first flight and the navigation
// database, then the terrain, objects and textures round the aircraft paged in. Each start runs
// in a child of its own; the least of kStartRuns counts.
constexpr int kStartRuns = 5;

[[noreturn]] void RunStartChild(const fs::path& folder, FILE* out) {
    const double started = benchsupport::ThreadSeconds();
    platform::HeadlessBackend machine;
    StartChildMachine(folder, machine, out);
    const win::ProgramEntry program = sim::ZephlonProgram();
    machine.Input().SetQueueEmptyHandler([&] {
        if (program.frames() > 0) {
            std::fprintf(out, "startup %.9g\n", benchsupport::ThreadSeconds() - started);
            std::fclose(out);
            _exit(0);
        }
        machine.Time().Advance(16);
        return true;
    });
    program.winMain("");
    ChildFails(out, "the program ended before its first frame");
}

// Goal: a start within `goal` seconds of processor (the program's target is 0.3 s; the goals are
// about a quarter above what each start measures), parked at San Carlos and over the Rockies.
void BM_StartUp(benchmark::State& state, Place place, double goal) {
    const fs::path folder =
        fs::temp_directory_path() / ("zephlon-start-bench-" + std::to_string(getpid()));
    std::string error;
    double least = 0;
    if (MakeFolder(folder, place, &error)) {
        for (int i = 0; error.empty() && i < kStartRuns; ++i) {
            double seconds = 0;
            error = RunInChild([&](FILE* out) { RunStartChild(folder, out); },
                               [&](const std::string& key, const std::string& value) {
                                   if (key == "startup")
                                       seconds = std::strtod(value.c_str(), nullptr);
                               });
            if (error.empty() && seconds <= 0) error = "no start measured";
            if (error.empty() && (least == 0 || seconds < least)) least = seconds;
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (!TimeOrEnd(state, error, least)) return;
    benchsupport::Goals goals(state);
    goals.AtMost("startup_s", least, goal);
}

// ---- the program in a window ------------------------------------------------------------------

// An X server of the benchmark's own: Xvfb chooses a free display and says which once it is up.
// Display() is empty when there is none.
class XServer {
public:
    explicit XServer(const char* screen = "640x480x24") {
        int fds[2];
        if (pipe(fds) != 0) return;
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[16] = {};
        if (pid_ > 0 && read(fds[0], number, sizeof number - 1) > 0)
            display_ = ":" + std::to_string(std::atoi(number));
        close(fds[0]);
    }
    ~XServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    [[nodiscard]] const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A field of one of the program thread's files in /proc: the number after `key` in its status
// file, or the first number of its schedstat file (nanoseconds on the processor) for an empty key.
double ThreadFigure(pid_t pid, const std::string& key) {
    const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
    std::ifstream in(task + (key.empty() ? "/schedstat" : "/status"));
    for (std::string line; std::getline(in, line);) {
        if (key.empty()) return std::strtod(line.c_str(), nullptr);
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + key.size(), nullptr);
    }
    return -1;
}

// What the program does in a window over a span of real time, its loop's thread alone.
struct WindowLoad {
    double wakeUps = 0;    // times a second it gave the processor away
    double coreShare = 0;  // processor seconds a second
    std::string error;
};

constexpr int kWindowSeconds = 10;
// Spans measured one after the other in the same run: the one with the least processor counts
// (another program's burst on the machine shows in one span, seldom in all three).
constexpr int kWindowSpans = 3;

WindowLoad MeasureWindow(const XServer& server, const Place& place, bool fullScreen = false) {
    WindowLoad w;
    const fs::path folder =
        fs::temp_directory_path() / ("zephlon-window-bench-" + std::to_string(getpid()));
    if (!MakeFolder(folder, place, &w.error)) return w;
    if (fullScreen) {
        // The program starts full screen, as it does after the user left it so.
        core::IniFile settings((folder / "Zephlon.ini").string().c_str());
        settings.PutInt("Settings", "MainDD", 1);
    }
    const fs::path zephlon = Installation().parent_path() / "bin" / "zephlon";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", server.Display().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        // A sound card that plays in real time, heard by no one.
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 2);
        execl(zephlon.c_str(), zephlon.c_str(), "--dir", folder.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The start is done when the settings are written; a second more and the flight is steady.
    bool started = false;
    for (int i = 0; i < 600 && !started && pid > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(folder / "Zephlon.ini");
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        started = text.find("[Joysticks]") != std::string::npos;
    }
    if (started) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        for (int span = 0; span < kWindowSpans && w.error.empty(); ++span) {
            const auto t0 = std::chrono::steady_clock::now();
            const double switches0 = ThreadFigure(pid, "voluntary_ctxt_switches:");
            const double busy0 = ThreadFigure(pid, "");
            std::this_thread::sleep_for(std::chrono::seconds(kWindowSeconds));
            const double switches1 = ThreadFigure(pid, "voluntary_ctxt_switches:");
            const double busy1 = ThreadFigure(pid, "");
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            if (switches0 < 0 || switches1 < switches0 || busy0 < 0 || busy1 < busy0) {
                w.error = "the program ended";
                break;
            }
            const double share = (busy1 - busy0) * 1e-9 / seconds;
            if (span == 0 || share < w.coreShare) {
                w.coreShare = share;
                w.wakeUps = (switches1 - switches0) / seconds;
            }
        }
    } else {
        w.error = "the program did not start in its window";
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return w;
}

// Goals: at most half of what the loop measured when it rested at most 5 ms at a time (about 200
// wake-ups a second parked and in cruise, and 4.2 % of a core parked and 5.7 % in cruise), and
// about a quarter above what each measures where that is less.
void BM_WindowWakeUps(benchmark::State& state, Place place, double wakeUpsGoal,
                      double coreShareGoal) {
    const XServer server;
    WindowLoad w;
    if (server.Display().empty())
        w.error = "no Xvfb";
    else
        w = MeasureWindow(server, place);
    if (!TimeOrEnd(state, w.error, w.coreShare)) return;
    benchsupport::Goals goals(state);
    goals.AtMost("wake_ups_per_s", w.wakeUps, wakeUpsGoal);
    goals.AtMost("core_share", w.coreShare, coreShareGoal);
}

// The program full screen on a 1920×1080 display against its 640×480 window on the same
// display, the processor a second of each measured as above in the same run: the full screen
// sends only the rows that changed, scaled, so it costs about what the window does. When it
// sent its whole picture every tick it took 8.0 times the window's processor parked (5.4 % of a
// core against 0.67 %) and 2.3 times in cruise; now 1.12 and 1.46. Goals a quarter above.
void BM_FullScreenLoad(benchmark::State& state, Place place, double perWindowGoal) {
    const XServer server("1920x1080x24");
    WindowLoad window, full;
    if (server.Display().empty()) {
        window.error = "no Xvfb";
    } else {
        window = MeasureWindow(server, place);
        if (window.error.empty()) full = MeasureWindow(server, place, true);
        if (window.error.empty()) window.error = full.error;
    }
    if (window.error.empty() && (window.coreShare <= 0 || full.coreShare <= 0))
        window.error = "no processor measured";
    if (!TimeOrEnd(state, window.error, full.coreShare)) return;
    benchsupport::Goals goals(state);
    goals.AtMost("core_per_window", full.coreShare / window.coreShare, perWindowGoal);
    goals.Note("full_core_share", full.coreShare);
    goals.Note("window_core_share", window.coreShare);
    goals.Note("full_wake_ups_per_s", full.wakeUps);
}

// ---- a minute of cruise in the headless runner -----------------------------------------------

constexpr int kCruiseShots = 12;
constexpr int kCruiseShotEveryMs = 5000;

// A runner and the installation it flies in: the build's own, or another build's named by
// ZEPHLON_REFERENCE_SIMRUN and ZEPHLON_REFERENCE_INSTALL (an older program, whose installation's
// files may differ from this one's).
struct Runner {
    fs::path simrun;
    fs::path install;
};

Runner BuildRunner() {
    return Runner{Installation().parent_path() / "bin" / "simrun", Installation()};
}

// The reference runner when both variables name one; else none (an empty simrun).
Runner ReferenceRunner() {
    const char* simrun = std::getenv("ZEPHLON_REFERENCE_SIMRUN");
    const char* install = std::getenv("ZEPHLON_REFERENCE_INSTALL");
    if (simrun == nullptr || install == nullptr || *simrun == 0 || *install == 0) return {};
    return Runner{simrun, install};
}

// One run of simrun in a fresh folder: its processor seconds (user and system), and the bytes of
// its screenshots; an empty vector of shots when the run failed.
double RunSimrun(const Runner& runner, const Place& place, bool everyTurn, const fs::path& folder,
                 std::vector<std::string>* shots, std::string* error) {
    if (!MakeFolder(folder, place, error, runner.install)) return 0;
    const fs::path& simrun = runner.simrun;
    if (!fs::exists(simrun)) {
        *error = "no simrun at " + simrun.string();
        return 0;
    }
    const fs::path shotDir = folder.string() + "-shots";
    fs::remove_all(shotDir);
    fs::create_directories(shotDir);
    std::string script = "frame-interval 16\n";
    for (int i = 0; i < kCruiseShots; ++i)
        script += "wait " + std::to_string(kCruiseShotEveryMs) + "\nscreenshot " +
                  (shotDir / ("shot" + std::to_string(i) + ".bmp")).string() + "\n";
    script += "quit\n";
    const fs::path scriptPath = shotDir / "script.txt";
    std::ofstream(scriptPath, std::ios::binary) << script;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (FILE* quiet = std::freopen("/dev/null", "w", stdout)) (void)quiet;
        std::vector<std::string> args = {simrun.string(), "--dir", folder.string(),
                                         scriptPath.string()};
        if (everyTurn) args.insert(args.begin() + 1, "--draw-every-turn");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        *error = "simrun failed";
        return 0;
    }
    shots->clear();
    for (int i = 0; i < kCruiseShots; ++i) {
        std::ifstream in(shotDir / ("shot" + std::to_string(i) + ".bmp"), std::ios::binary);
        shots->emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (shots->back().empty()) *error = "a screenshot is missing";
    }
    fs::remove_all(shotDir);
    fs::remove_all(folder);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Goal: a minute of cruise in the runner with the program's own frame step costs at most 0.43 of
// the processor it costs with a picture in every turn (the ticks' pictures alone are 0.29 of
// the turns), with the same screenshots. With a reference runner named (an older build and its
// installation), the same minute flown by it too, with the same goal against its processor time
// (the pictures of two builds are not compared).
constexpr double kCruiseMinuteGoal = 0.43;
constexpr int kCruiseMinuteRuns = 3;

void BM_HeadlessCruiseMinute(benchmark::State& state) {
    const Place cruise{"Cruise.Flt", 0, false, 0};
    const fs::path folder =
        fs::temp_directory_path() / ("zephlon-cruise-bench-" + std::to_string(getpid()));
    std::string error;
    std::vector<std::string> everyShots, ownShots, referenceShots;
    const Runner build = BuildRunner(), reference = ReferenceRunner();
    // Each runner flies the minute kCruiseMinuteRuns times, the runs taken in turn, and the
    // least processor time of each counts: a busy stretch of the machine during one run (which
    // can double a run's time) then weighs on neither side.
    double every = 0, own = 0, referenceOwn = 0;
    auto least = [](double kept, double t) { return kept == 0 || t < kept ? t : kept; };
    for (int run = 0; error.empty() && run < kCruiseMinuteRuns; ++run) {
        every = least(every, RunSimrun(build, cruise, true, folder, &everyShots, &error));
        if (error.empty())
            own = least(own, RunSimrun(build, cruise, false, folder, &ownShots, &error));
        if (error.empty() && !reference.simrun.empty())
            referenceOwn = least(
                referenceOwn, RunSimrun(reference, cruise, false, folder, &referenceShots, &error));
    }
    if (!error.empty() && !reference.simrun.empty()) error = "reference runner: " + error;
    int moved = 0, differing = 0;
    for (int i = 0; error.empty() && i < kCruiseShots; ++i) {
        if (everyShots[i] != ownShots[i]) ++differing;
        if (i > 0 && everyShots[i] != everyShots[i - 1]) ++moved;
    }
    // The flight moves the picture between every two shots: a run that drew nothing fails.
    if (error.empty() && moved < kCruiseShots - 1) error = "the screenshots did not change";
    if (!TimeOrEnd(state, error, own)) return;
    benchsupport::Goals goals(state);
    goals.AtMost("own_step_per_every_turn", own / every, kCruiseMinuteGoal);
    goals.Note("processor_s_own_step", own);
    goals.Note("processor_s_every_turn", every);
    goals.AtMost("screenshots_differing", differing, 0);
    if (referenceOwn > 0) {
        goals.AtMost("own_step_per_reference", own / referenceOwn, kCruiseMinuteGoal);
        goals.Note("processor_s_reference", referenceOwn);
    }
}

Measurement Measure(const Place& place) {
    Measurement m;
    const fs::path folder =
        fs::temp_directory_path() / ("zephlon-frame-bench-" + std::to_string(getpid()));
    if (!MakeFolder(folder, place, &m.error)) return m;
    m.error = RunInChild(
        [&](FILE* out) { RunChild(folder, out); },
        [&](const std::string& key, const std::string& value) {
            if (key == "frame") m.seconds.push_back(std::strtod(value.c_str(), nullptr));
            if (key == "memcpy32") m.memcpy32 = std::strtod(value.c_str(), nullptr);
            if (key == "present") m.present = std::strtod(value.c_str(), nullptr);
            if (key == "allocations") m.allocations = std::strtoull(value.c_str(), nullptr, 10);
            if (key == "pixels") m.pixels = std::strtoull(value.c_str(), nullptr, 10);
            if (key == "digest")
                m.digest = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        });
    if (m.error.empty() && static_cast<int>(m.seconds.size()) != kMeasuredFrames)
        m.error = "too few frames measured";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return m;
}

void BM_WholeFrame(benchmark::State& state, Place place) {
    const Measurement m = Measure(place);
    if (!m.error.empty()) {
        state.SkipWithError(m.error.c_str());
        for (auto _ : state) {
        }
        return;
    }
    if (m.pixels == 0) {
        state.SkipWithError("the frames drew no pixels");
        for (auto _ : state) {
        }
        return;
    }
    std::size_t i = 0;
    for (auto _ : state)
        state.SetIterationTime(m.seconds[i++ % m.seconds.size()]);
    const double median = benchsupport::Median(m.seconds);
    benchsupport::Goals goals(state);
    goals.AtMost("frame_per_memcpy32", median / m.memcpy32, place.goal);
    goals.Note("frame_ms", median * 1e3);
    goals.AtMost("present_per_memcpy32", m.present / m.memcpy32, place.presentGoal);
    goals.AtMost("allocations_per_frame", static_cast<double>(m.allocations) / kMeasuredFrames, 0);
    goals.Note("pixels_per_frame", static_cast<double>(m.pixels) / kMeasuredFrames);
    char digest[16];
    std::snprintf(digest, sizeof digest, "%08x", m.digest);
    goals.Text("digest", digest);
}

BENCHMARK_CAPTURE(BM_WholeFrame, ParkedAtKsqlWithThePanel, Place{"Startup.Flt", 0, false, 12, 0.41})
    ->Iterations(kMeasuredFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WholeFrame, CruiseOverKsqlWithThePanel,
                  Place{"Cruise.Flt", 0, false, 15, 0.85})
    ->Iterations(kMeasuredFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WholeFrame, RockiesAt15000FtFullScreenWorld,
                  Place{"Cruise.Flt", 3, true, 25, 1.8})
    ->Iterations(kMeasuredFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_HeadlessCruiseMinute)->Iterations(1)->UseManualTime();

BENCHMARK_CAPTURE(BM_WindowWakeUps, ParkedAtKsql, Place{"Startup.Flt", 0, false, 0}, 30, 0.009)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_WindowWakeUps, CruiseOverKsql, Place{"Cruise.Flt", 0, false, 0}, 33, 0.0285)
    ->Iterations(1)
    ->UseManualTime();

BENCHMARK_CAPTURE(BM_FullScreenLoad, ParkedAtKsql, Place{"Startup.Flt", 0, false, 0}, 1.4)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_FullScreenLoad, CruiseOverKsql, Place{"Cruise.Flt", 0, false, 0}, 1.85)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_StartUp, ParkedAtKsql, Place{"Startup.Flt", 0, false, 0}, 0.1)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_StartUp, LeadvilleAt15000Ft, Place{"Cruise.Flt", 0, true, 0}, 0.12)
    ->Iterations(1)
    ->UseManualTime();

BENCHMARK_CAPTURE(BM_ProcessorPerSimulatedSecond, ParkedAtKsql, Place{"Startup.Flt", 0, false, 0},
                  false, 0.0008)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_ProcessorPerSimulatedSecond, CruiseOverKsql, Place{"Cruise.Flt", 0, false, 0},
                  false, 0.0094)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_ProcessorPerSimulatedSecond, TurnOverKsql, Place{"Cruise.Flt", 0, false, 0},
                  true, 0.01)
    ->Iterations(1)
    ->UseManualTime();

}  // namespace
