// The sound effects: every clip the program plays from "Snd\SndFx.Vol" ("N.wav"), synthesised
// from simple physical sketches so that two runs write the same bytes. All are 8-bit mono
// 11025 Hz, the format the spoken-word queue copies raw (the Morse elements and the silence go
// through it). Looping clips hold a whole number of periods of everything periodic in them, and
// their noise is filtered round the loop, so the end joins the start without a click.
//
// Engine clips are made at their own rate and played faster or slower by the engine sound: the
// pitch a clip is heard at is its firing frequency here times (playback rate / 11025).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "devices/wave.h"
#include "tools/mkdata/audio_signal.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

constexpr int kRate = 11025;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr const char* kVolume = "Snd\\SndFx.Vol";

std::size_t Samples(double seconds) {
    return static_cast<std::size_t>(std::lround(seconds * kRate));
}

// A one-pole low-pass run twice round a loop, so that the filter's state at the end is the one it
// starts with.
void LowPassLoop(Signal& s, double cutoff) {
    const double a = 1.0 - std::exp(-kTwoPi * cutoff / kRate);
    double y = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (double& x : s) {
            y += a * (x - y);
            if (pass == 1) x = y;
        }
}

void LowPass(Signal& s, double cutoff) {
    const double a = 1.0 - std::exp(-kTwoPi * cutoff / kRate);
    double y = 0;
    for (double& x : s) {
        y += a * (x - y);
        x = y;
    }
}

// Removes the slow drift a low-pass leaves (a one-pole high-pass).
void HighPass(Signal& s, double cutoff) {
    const double a = std::exp(-kTwoPi * cutoff / kRate);
    double prevX = 0, y = 0;
    for (double& x : s) {
        y = a * (y + x - prevX);
        prevX = x;
        x = y;
    }
}

void FadeEnds(Signal& s, double seconds) {
    FadeClipEnds(s, seconds, kRate);
}

// ---- engines ---------------------------------------------------------------------------------

struct EngineSketch {
    double firing;      // firings a second at the clip's own rate
    int cylinders;      // a little difference between cylinders
    double seconds;     // loop length; firing x seconds is a whole multiple of cylinders
    double pulseDecay;  // seconds
    double pulseTone;   // the exhaust's ring, Hz
    double harmonics;   // weight of the steady exhaust harmonics
    double noise;       // weight of the roar
    double whine;       // Hz of a turbine's whine (0: none)
    double whineWeight;
    std::uint32_t seed;
};

// A running engine as a seamless loop: a pulse at every firing (ringing and noisy, a little
// different from cylinder to cylinder), the steady harmonics of the exhaust, a roar and, for the
// turbines, a whine.
Signal Engine(const EngineSketch& e) {
    const std::size_t n = Samples(e.seconds);
    const auto firings = static_cast<long>(std::lround(e.firing * e.seconds));
    Signal s(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double phase = e.firing * t;
        const auto k = static_cast<long>(std::floor(phase));
        double v = 0;
        // This firing and the tail of the one before it (the loop's last firing before sample 0).
        for (long back = 0; back <= 1; ++back) {
            const long firing = ((k - back) % firings + firings) % firings;
            const double since = (phase - static_cast<double>(k - back)) / e.firing;
            const double amp =
                1.0 + 0.03 * ((firing % e.cylinders) - e.cylinders / 2.0) / e.cylinders;
            const double ring = std::sin(kTwoPi * e.pulseTone * since);
            const auto m = static_cast<std::uint32_t>(since * kRate);
            v += amp * std::exp(-since / e.pulseDecay) *
                 (0.7 * ring +
                  0.3 * HashNoise(e.seed + static_cast<std::uint32_t>(firing) * 977u + m));
        }
        for (int h = 1; h <= 4; ++h)
            v += e.harmonics / h * std::sin(kTwoPi * h * e.firing * t + h * 0.7);
        v += e.noise * HashNoise(e.seed * 31u + static_cast<std::uint32_t>(i));
        if (e.whine > 0)
            v += e.whineWeight *
                 (std::sin(kTwoPi * e.whine * t) + 0.3 * std::sin(kTwoPi * 2 * e.whine * t));
        s[i] = v;
    }
    LowPassLoop(s, e.whine > 0 ? 3500 : 1800);
    NormalisePeak(s, 0.9);
    return s;
}

// ---- pieces ----------------------------------------------------------------------------------

// A tone of a given length with short ramps (no clicks), followed by silence.
Signal ToneThenSilence(double hz, double toneSeconds, double silenceSeconds, double amplitude) {
    const std::size_t on = Samples(toneSeconds);
    Signal s(on + Samples(silenceSeconds), 0.0);
    const std::size_t ramp = Samples(0.005);
    for (std::size_t i = 0; i < on; ++i) {
        double g = 1.0;
        if (i < ramp) g = static_cast<double>(i) / ramp;
        if (on - i < ramp) g = static_cast<double>(on - i) / ramp;
        s[i] = amplitude * g * std::sin(kTwoPi * hz * static_cast<double>(i) / kRate);
    }
    return s;
}

// A marker beacon's keying as a loop of `seconds`: `pattern` of tone (1) and gap (0) units,
// repeated a whole number of times in the loop.
Signal Keyed(double hz, const std::string& pattern, int repeats, double seconds, double amplitude) {
    const std::size_t n = Samples(seconds);
    const std::size_t units = pattern.size() * static_cast<std::size_t>(repeats);
    Signal s(n, 0.0);
    const std::size_t ramp = Samples(0.003);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t unit = i * units / n;
        if (pattern[unit % pattern.size()] != '1') continue;
        const std::size_t begin = (unit * n + units - 1) / units;
        const std::size_t end = ((unit + 1) * n + units - 1) / units;
        // A tone that carries on into the next unit has no ramp at the seam.
        const bool startsHere = pattern[(unit + pattern.size() - 1) % pattern.size()] != '1';
        const bool endsHere = pattern[(unit + 1) % pattern.size()] != '1';
        double g = 1.0;
        if (startsHere && i - begin < ramp) g = static_cast<double>(i - begin) / ramp;
        if (endsHere && end - i < ramp) g = static_cast<double>(end - i) / ramp;
        s[i] = amplitude * g * std::sin(kTwoPi * hz * static_cast<double>(i) / kRate);
    }
    return s;
}

// Noise shaped by an envelope and a low-pass, for knocks, thumps and crashes.
Signal Burst(double seconds, double cutoff, std::uint32_t seed,
             const std::function<double(double)>& envelope) {
    Signal s(Samples(seconds));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = HashNoise(seed + static_cast<std::uint32_t>(i)) *
               envelope(static_cast<double>(i) / kRate);
    LowPass(s, cutoff);
    return s;
}

Signal Click(double seconds, double ring, double decay, std::uint32_t seed) {
    Signal s(Samples(seconds));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        s[i] = std::exp(-t / decay) * (0.6 * std::sin(kTwoPi * ring * t) +
                                       0.4 * HashNoise(seed + static_cast<std::uint32_t>(i)));
    }
    NormalisePeak(s, 0.8);
    return s;
}

// An electric motor spinning up (or down): its whine follows `speed` (0..1) over the clip.
Signal Motor(double seconds, double topHz, double weight, std::uint32_t seed,
             const std::function<double(double)>& speed) {
    Signal s(Samples(seconds));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = speed(t);
        phase += topHz * v / kRate;
        s[i] = weight * v *
                   (std::sin(kTwoPi * phase) + 0.4 * std::sin(kTwoPi * 2 * phase) +
                    0.2 * std::sin(kTwoPi * 3 * phase)) +
               0.15 * v * HashNoise(seed + static_cast<std::uint32_t>(i));
    }
    return s;
}

void Mix(Signal& into, const Signal& add, double gain, std::size_t at = 0) {
    if (into.size() < at + add.size()) into.resize(at + add.size(), 0.0);
    for (std::size_t i = 0; i < add.size(); ++i)
        into[at + i] += gain * add[i];
}

// A piston starter: the motor's whine with the chug of each compression, and the first firings
// as the engine catches at the end.
Signal PistonStarter(double seconds, double motorHz, double chugHz, std::uint32_t seed) {
    Signal s =
        Motor(seconds, motorHz, 0.5, seed, [&](double t) { return std::min(1.0, 0.4 + t * 2); });
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double chug = 0.5 + 0.5 * std::sin(kTwoPi * chugHz * t);
        s[i] *= 0.5 + 0.5 * chug * chug;
    }
    for (int f = 0; f < 6; ++f) {
        const double at = seconds - 0.6 + f * 0.09;
        Mix(s,
            Burst(0.08, 900, seed + 5000 + f * 101, [](double t) { return std::exp(-t / 0.02); }),
            0.9, Samples(at));
    }
    s.resize(Samples(seconds));
    NormalisePeak(s, 0.85);
    FadeEnds(s, 0.01);
    return s;
}

// A turbine starter: a whine that climbs, with the igniters' ticks.
Signal TurbineStarter(double seconds, double topHz, bool igniters, std::uint32_t seed) {
    Signal s = Motor(seconds, topHz, 0.6, seed,
                     [&](double t) { return 0.15 + 0.85 * (1 - std::exp(-t / (seconds / 2.5))); });
    if (igniters)
        for (double at = 0.5; at < seconds - 0.1; at += 0.25)
            Mix(s, Click(0.02, 2500, 0.004, seed + static_cast<std::uint32_t>(at * 1000)), 0.3,
                Samples(at));
    LowPass(s, 3000);
    NormalisePeak(s, 0.85);
    FadeEnds(s, 0.02);
    return s;
}

// A spin-down: firings (or a whine) slowing to a stop.
Signal PistonStop(std::uint32_t seed) {
    Signal s;
    double at = 0, gap = 0.03;
    for (int f = 0; f < 14; ++f) {
        Mix(s, Burst(0.1, 700, seed + f * 37, [](double t) { return std::exp(-t / 0.025); }),
            1.0 - f * 0.06, Samples(at));
        at += gap;
        gap *= 1.22;
    }
    NormalisePeak(s, 0.8);
    FadeEnds(s, 0.01);
    return s;
}

Signal TurbineStop(double seconds, double fromHz, double roar, std::uint32_t seed) {
    Signal s =
        Motor(seconds, fromHz, 0.6, seed, [&](double t) { return std::exp(-t / (seconds / 3)); });
    Mix(s,
        Burst(seconds, 1200, seed + 99,
              [&](double t) { return roar * std::exp(-t / (seconds / 4)); }),
        1.0);
    NormalisePeak(s, 0.8);
    FadeEnds(s, 0.02);
    return s;
}

// Filtered noise as a seamless loop.
Signal NoiseLoop(double seconds, double cutoff, std::uint32_t seed, double lowCut) {
    Signal s(Samples(seconds));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = HashNoise(seed + static_cast<std::uint32_t>(i));
    LowPassLoop(s, cutoff);
    // The high-pass round the loop too: a second pass starts from the first's end state.
    Signal copy = s;
    copy.insert(copy.end(), s.begin(), s.end());
    HighPass(copy, lowCut);
    std::copy(copy.begin() + static_cast<std::ptrdiff_t>(s.size()), copy.end(), s.begin());
    NormalisePeak(s, 0.8);
    return s;
}

// ---- the clips -------------------------------------------------------------------------------

struct Clip {
    int id;
    Signal (*make)();
};

Signal Engine172() {
    // Four cylinders: heard at about 42 firings a second at idle, 80 at full power.
    return Engine({28, 4, 1.0, 0.008, 180, 0.25, 0.05, 0, 0, 1});
}
Signal EngineBig() {
    // Six cylinders, a deeper exhaust.
    return Engine({36, 6, 1.0, 0.010, 120, 0.35, 0.06, 0, 0, 2});
}
Signal EngineTurboprop() {
    return Engine({80, 4, 1.0, 0.004, 300, 0.15, 0.35, 1800, 0.35, 3});
}
Signal EngineJet() {
    return Engine({60, 6, 1.0, 0.003, 200, 0.05, 0.9, 1500, 0.3, 4});
}
Signal Stop172() {
    return PistonStop(11);
}
Signal StopJet() {
    return TurbineStop(3.0, 1500, 0.9, 12);
}
Signal StopTurboprop() {
    return TurbineStop(3.0, 1800, 0.5, 13);
}
Signal Starter172() {
    return PistonStarter(2.4, 190, 4.5, 21);
}
Signal StarterBig() {
    return PistonStarter(2.6, 150, 3.8, 22);
}
Signal StarterJet() {
    return TurbineStarter(3.5, 1500, false, 23);
}
Signal StarterTurboprop() {
    return TurbineStarter(3.5, 1800, true, 24);
}
Signal StallHorn() {
    // A reed horn: 1600 Hz with its harmonics, a whole number of cycles in the loop.
    Signal s(Samples(1.0));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        s[i] = 0.6 * std::sin(kTwoPi * 1600 * t) + 0.25 * std::sin(kTwoPi * 3200 * t + 0.5) +
               0.1 * std::sin(kTwoPi * 4800 * t + 1.0);
    }
    NormalisePeak(s, 0.8);
    return s;
}
Signal AvionicsOff() {
    Signal s = Click(0.05, 800, 0.01, 31);
    Mix(s, Motor(0.6, 420, 0.4, 32, [](double t) { return std::exp(-t / 0.2); }), 0.5,
        Samples(0.02));
    NormalisePeak(s, 0.7);
    FadeEnds(s, 0.01);
    return s;
}
Signal AvionicsOn() {
    Signal s = Click(0.05, 900, 0.01, 33);
    Mix(s, Motor(0.7, 420, 0.4, 34, [](double t) { return std::min(1.0, t / 0.5); }), 0.5,
        Samples(0.02));
    NormalisePeak(s, 0.7);
    FadeEnds(s, 0.01);
    return s;
}
Signal Wind() {
    return NoiseLoop(2.0, 900, 41, 60);
}
Signal GearMotor() {
    Signal s = Motor(4.0, 380, 0.5, 51, [](double t) {
        return std::min({1.0, t / 0.3, std::max(0.0, (4.0 - t) / 0.3)});
    });
    LowPass(s, 2500);
    NormalisePeak(s, 0.8);
    FadeEnds(s, 0.01);
    return s;
}
Signal TransferClick() {
    return Click(0.03, 3000, 0.004, 61);
}
Signal FlapLever() {
    Signal s = Click(0.04, 1200, 0.008, 62);
    Mix(s, Click(0.04, 1000, 0.008, 63), 0.7, Samples(0.05));
    NormalisePeak(s, 0.8);
    return s;
}
Signal KnobClick() {
    return Click(0.025, 2200, 0.003, 64);
}
Signal SelectorClunk() {
    return Click(0.08, 450, 0.02, 65);
}
Signal SwitchClick() {
    return Click(0.03, 1800, 0.005, 66);
}
Signal OuterMarker() {
    // 400 Hz, two dashes a second.
    return Keyed(400, "1110", 2, 1.0, 0.7);
}
Signal MiddleMarker() {
    // 1300 Hz, dot and dash alternating.
    return Keyed(1300, "101110", 2, 1.2, 0.7);
}
Signal InnerMarker() {
    // 3000 Hz, six dots a second.
    return Keyed(3000, "10", 6, 1.0, 0.7);
}
Signal TouchdownSoft() {
    Signal s = Burst(0.18, 2500, 71, [](double t) { return std::exp(-t / 0.04); });
    HighPass(s, 600);
    NormalisePeak(s, 0.7);
    FadeEnds(s, 0.005);
    return s;
}
Signal Touchdown() {
    Signal s(Samples(0.35));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        s[i] = std::exp(-t / 0.07) * std::sin(kTwoPi * 55 * t) * 0.8;
    }
    Mix(s, Burst(0.2, 1500, 72, [](double t) { return 0.5 * std::exp(-t / 0.03); }), 1.0);
    NormalisePeak(s, 0.9);
    FadeEnds(s, 0.005);
    return s;
}
Signal GroundRoll() {
    Signal s = NoiseLoop(1.0, 250, 81, 30);
    // Seams of the runway: eight knocks a second, a whole number in the loop.
    for (int k = 0; k < 8; ++k)
        Mix(s, Burst(0.05, 400, 82 + k, [](double t) { return std::exp(-t / 0.012); }), 0.6,
            Samples(k / 8.0));
    s.resize(Samples(1.0));
    NormalisePeak(s, 0.8);
    return s;
}
Signal Crash() {
    Signal s = Burst(2.5, 2000, 91, [](double t) { return std::exp(-t / 0.6); });
    Mix(s, Burst(0.5, 300, 92, [](double t) { return 2.0 * std::exp(-t / 0.1); }), 1.0);
    // Metal: a few resonances ringing down.
    for (double hz : {730.0, 1170.0, 1930.0})
        for (std::size_t i = 0; i < s.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            s[i] += 0.15 * std::exp(-t / 0.5) * std::sin(kTwoPi * hz * t) *
                    (0.5 + 0.5 * HashNoise(93 + static_cast<std::uint32_t>(i / 200)));
        }
    NormalisePeak(s, 0.9);
    FadeEnds(s, 0.01);
    return s;
}

// Morse elements: a unit is 0.12 s; an element is its tone and one unit of silence, so elements
// of a character are a unit apart and the gap's two units make the three between characters.
constexpr double kUnit = 0.12;
Signal Dot() {
    return ToneThenSilence(1020, kUnit, kUnit, 0.7);
}
Signal Dash() {
    return ToneThenSilence(1020, 3 * kUnit, kUnit, 0.7);
}
Signal DmeDot() {
    return ToneThenSilence(1350, kUnit, kUnit, 0.7);
}
Signal DmeDash() {
    return ToneThenSilence(1350, 3 * kUnit, kUnit, 0.7);
}
Signal Gap() {
    return Signal(Samples(2 * kUnit), 0.0);
}
Signal Silence() {
    return Signal(Samples(4 * kUnit), 0.0);
}

const Clip kClips[] = {
    {2, Engine172},
    {3, Stop172},
    {4, Starter172},
    {5, StallHorn},
    {6, AvionicsOff},
    {7, AvionicsOn},
    {8, Wind},
    {9, StarterBig},
    {10, EngineBig},
    {11, GearMotor},
    {12, TransferClick},
    {13, FlapLever},
    {14, KnobClick},
    {15, SelectorClunk},
    {16, InnerMarker},
    {17, StarterJet},
    {18, StopJet},
    {19, EngineJet},
    {20, MiddleMarker},
    {21, OuterMarker},
    {23, SwitchClick},
    {24, StarterTurboprop},
    {25, EngineTurboprop},
    {26, StopTurboprop},
    {27, TouchdownSoft},
    {28, Touchdown},
    {29, GroundRoll},
    {30, Crash},
    {100, Dot},
    {101, Dash},
    {195, Silence},
    {196, Gap},
    {200, DmeDot},
    {201, DmeDash},
};

}  // namespace

int MakeEffects(Installation& installation, std::string* error) {
    for (const Clip& c : kClips) {
        Bytes image = EightBitClip(c.make(), kRate);
        if (image.size() <= 44) {
            if (error != nullptr) *error = "effect clip " + std::to_string(c.id) + " is empty";
            return 0;
        }
        installation.AddMember(kVolume, devices::CWave::LoadFile(nullptr, c.id), std::move(image));
    }
    return 1;
}

}  // namespace mkdata
