// The radio's speech: every clip of "Snd\TowerATC.Vol" ("N.wav"), spoken with espeak-ng from our
// own phrase table (data/speech/phrases.txt) in the voice of whoever says it: four controllers
// who sound clearly different, the pilot, the copilot and two traffic pilots. Voices heard over
// the radio are band-limited to about 300-3000 Hz and a little compressed; the copilot sits in
// the cockpit and is not. Every clip is trimmed of its silence, filtered and written 8-bit
// unsigned mono at 11025 Hz, the format the spoken-word queue copies raw, with a short pause
// after it so that words queued one after another do not run together. The module also makes
// clip 1 (the click that ends a transmission), clip 2 (the squelch tail before it) and the
// silence clip 195.
//
// espeak-ng speaks the same text the same way on every run, so two runs write the same bytes, as
// long as the C library's generator, from which it draws the breath of the voices that have one,
// starts alike: the module starts it afresh before it speaks.
// With a cache folder the clips are kept there under a key of everything they are made from (the
// table, the voices, espeak-ng's version, and a line spoken and shaped in every voice by this
// run, which changes with espeak-ng's speech and with this module's shaping) and taken from
// there while that key is unchanged: a build that changes neither the table nor this module does
// not speak again, and a cold run writes the same clips as a cached one.
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "core/endian.h"
#include "devices/wave.h"
#include "tools/mkdata/audio_signal.h"
#include "tools/mkdata/clip_cache.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 11025;
constexpr const char* kVolume = "Snd\\TowerATC.Vol";
constexpr const char* kTable = "/speech/phrases.txt";
// A clip must fit the speech buffer with its second of lead.
constexpr std::size_t kMaxClipBytes = 139000;
// Raise when the making of the clips changes in a way the key below does not see.
constexpr const char* kModuleVersion = "speech clips 2";

struct Voice {
    const char* espeak;  // voice and variant
    int wordsPerMinute;
    int pitch;  // 0..100
    int range;  // 0..100
    bool radio;
};

enum VoiceIndex : int {
    kTowerA,  // the controller voices of offsets 0, 100, 200, 300
    kTowerB,
    kTowerC,
    kTowerD,
    kPilot,
    kCopilot,
    kTrafficA,
    kTrafficB,
};

constexpr Voice kVoices[] = {
    {"en-us+m3", 175, 38, 45, true},        // a low, even American voice
    {"en-gb-x-rp+m4", 165, 58, 60, true},   // a brisker British voice
    {"en-us+f2", 170, 62, 55, true},        // a woman's voice
    {"en-gb-scotland+m7", 160, 46, 40, true},  // a slower Scots voice
    {"en-us+m1", 168, 50, 50, true},        // the pilot, as the radio carries him
    {"en-us+f4", 165, 55, 60, false},       // the copilot, beside him in the cockpit
    {"en-us+m6", 180, 42, 50, true},        // the first traffic pilot
    {"en+m2", 170, 60, 50, true},           // the second
};

// Where the lines of a section go: the clip id is base + line id + offset, in a voice.
struct Placement {
    int base;
    VoiceIndex voice;
    int offset;
};
struct Section {
    const char* name;
    std::vector<Placement> placements;
};
const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {"words",
         {{4500, kTowerA, 0},
          {4500, kTowerB, 100},
          {4500, kTowerC, 200},
          {4500, kTowerD, 300},
          {6000, kPilot, 0},
          {6000, kCopilot, 200}}},
        {"controller", {{0, kTowerA, 0}, {0, kTowerB, 100}, {0, kTowerC, 200}, {0, kTowerD, 300}}},
        {"pilot", {{0, kPilot, 0}, {0, kCopilot, 200}}},
        {"copilot", {{0, kCopilot, 0}}},
        {"traffic", {{0, kTrafficA, 0}, {0, kTrafficB, 100}}},
    };
    return sections;
}

// The clips the module makes itself.
constexpr int kClickClip = 1;
constexpr int kSquelchClip = 2;
constexpr int kSilenceClip = 195;

struct Job {
    int id = 0;
    int voice = 0;
    std::string text;  // "-" for silence
};

// ---- the table ---------------------------------------------------------------------------------

int ReadTable(const std::string& path, std::string* bytes, std::vector<Job>* jobs,
              std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return 0;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    *bytes = ss.str();

    std::map<int, std::string> made;  // clip id -> where it was made, to refuse a second one
    for (int id : {kClickClip, kSquelchClip, kSilenceClip})
        made[id] = "the module";
    const Section* section = nullptr;
    std::istringstream lines(*bytes);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        *error = path + ":" + std::to_string(number) + ": " + why;
        return 0;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (line[first] == '[') {
            const std::size_t close = line.find(']', first);
            if (close == std::string::npos) return fail("a section name without ']'");
            const std::string name = line.substr(first + 1, close - first - 1);
            section = nullptr;
            for (const Section& s : Sections())
                if (name == s.name) section = &s;
            if (section == nullptr) return fail("unknown section [" + name + "]");
            continue;
        }
        if (section == nullptr) return fail("a line before the first section");
        std::size_t end = first;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        const std::size_t textAt = line.find_first_not_of(" \t", end);
        if (end == first || end - first > 5 || textAt == std::string::npos || textAt == end)
            return fail("expected an id, blanks and a text");
        const int id = std::stoi(line.substr(first, end - first));
        std::string text = line.substr(textAt);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
        for (const Placement& p : section->placements) {
            const int clip = p.base + id + p.offset;
            if (clip > 65535) return fail("clip " + std::to_string(clip) + " is beyond 65535");
            const std::string here = "line " + std::to_string(number);
            const auto [at, fresh] = made.emplace(clip, here);
            if (!fresh) return fail("clip " + std::to_string(clip) + " is made twice (also " +
                                    at->second + ")");
            jobs->push_back(Job{clip, p.voice, text});
        }
    }
    // One voice at a time, then by id: espeak-ng changes voice as little as possible.
    std::sort(jobs->begin(), jobs->end(), [](const Job& a, const Job& b) {
        return a.voice != b.voice ? a.voice < b.voice : a.id < b.id;
    });
    return 1;
}

// ---- the key of the cache ---------------------------------------------------------------------

std::string Key(const std::string& table, const char* espeakVersion, const std::string& probe) {
    CacheKey f;
    f.Add(kModuleVersion);
    f.Add(espeakVersion != nullptr ? espeakVersion : "");
    f.Add(table);
    f.Add(probe);
    for (const Voice& v : kVoices)
        f.Add(std::string(v.espeak) + " " + std::to_string(v.wordsPerMinute) + " " +
              std::to_string(v.pitch) + " " + std::to_string(v.range) + (v.radio ? " r" : ""));
    return f.Hex();
}


// ---- sound processing -------------------------------------------------------------------------

// A second-order section (the audio cookbook's low- and high-pass, Butterworth Q).
class Biquad {
public:
    Biquad(bool highPass, double cutoff, int rate) {
        const double w = 2.0 * std::numbers::pi * cutoff / rate;
        const double q = 1.0 / std::numbers::sqrt2;
        const double alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w);
        const double a0 = 1.0 + alpha;
        if (highPass) {
            b0 = (1.0 + c) / 2.0 / a0;
            b1 = -(1.0 + c) / a0;
        } else {
            b0 = (1.0 - c) / 2.0 / a0;
            b1 = (1.0 - c) / a0;
        }
        b2 = b0;
        a1 = -2.0 * c / a0;
        a2 = (1.0 - alpha) / a0;
    }
    void Run(Signal& s) const {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& x : s) {
            const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            x = y;
        }
    }

private:
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// Fourth-order filters: two sections each.
void Filter(Signal& s, bool highPass, double cutoff, int rate) {
    const Biquad section(highPass, cutoff, rate);
    section.Run(s);
    section.Run(s);
}

// The span of the clip that holds speech: from a little before the first sample above the
// threshold to a little after the last.
void TrimSilence(Signal& s, int rate) {
    constexpr double kThreshold = 0.015;
    std::size_t first = s.size(), last = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > kThreshold) {
            first = std::min(first, i);
            last = i;
        }
    if (first >= s.size()) {
        s.clear();
        return;
    }
    const auto margin = static_cast<std::size_t>(rate / 100);  // 10 ms
    const std::size_t from = first > margin ? first - margin : 0;
    const std::size_t to = std::min(s.size(), last + 1 + margin);
    s = Signal(s.begin() + static_cast<std::ptrdiff_t>(from),
               s.begin() + static_cast<std::ptrdiff_t>(to));
}

// Linear resampling after the low-pass has taken away what the new rate cannot hold.
Signal Resample(const Signal& s, int from, int to) {
    if (from == to || s.empty()) return s;
    const auto n = static_cast<std::size_t>(static_cast<double>(s.size()) * to / from);
    Signal out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * from / to;
        const auto k = static_cast<std::size_t>(t);
        const double f = t - static_cast<double>(k);
        const double a = s[std::min(k, s.size() - 1)];
        const double b = s[std::min(k + 1, s.size() - 1)];
        out[i] = a + (b - a) * f;
    }
    return out;
}

Signal Silence(double seconds) {
    return Signal(static_cast<std::size_t>(std::lround(seconds * kRate)), 0.0);
}

// A spoken clip: trimmed, filtered as its voice is heard, at the program's rate, with a short
// lead and a pause after it.
Signal ShapeSpeech(const std::vector<std::int16_t>& pcm, int rate, const Voice& voice) {
    Signal s(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i)
        s[i] = pcm[i] / 32768.0;
    TrimSilence(s, rate);
    if (s.empty()) return Silence(0.1);
    if (voice.radio) {
        Filter(s, true, 300.0, rate);
        Filter(s, false, 3000.0, rate);
        // A little of a transmitter's compression: loud and soft syllables come closer.
        NormalisePeak(s, 1.0);
        const double drive = std::tanh(2.5);
        for (double& x : s)
            x = std::tanh(2.5 * x) / drive;
    } else {
        Filter(s, false, 4500.0, rate);
    }
    s = Resample(s, rate, kRate);
    NormalisePeak(s, voice.radio ? 0.85 : 0.8);
    FadeClipEnds(s, 0.004, kRate);
    Signal out = Silence(0.01);
    out.insert(out.end(), s.begin(), s.end());
    const Signal pause = Silence(0.07);
    out.insert(out.end(), pause.begin(), pause.end());
    return out;
}

// Clip 2: the rush of noise a receiver lets through when the carrier drops, cut off by the
// squelch.
Signal SquelchTail() {
    Signal s = Silence(0.16);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = HashNoise(7001u + static_cast<std::uint32_t>(i));
    Filter(s, true, 300.0, kRate);
    Filter(s, false, 3000.0, kRate);
    NormalisePeak(s, 1.0);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] *= 0.45 * (0.35 + 0.65 * std::exp(-static_cast<double>(i) / (0.05 * kRate)));
    FadeClipEnds(s, 0.003, kRate);
    return s;
}

// Clip 1: the click of the squelch closing, then a short pause.
Signal Click() {
    Signal s = Silence(0.012);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        s[i] = std::exp(-t / 0.002) *
               (0.7 * std::sin(2.0 * std::numbers::pi * 1400.0 * t) +
                0.3 * HashNoise(9001u + static_cast<std::uint32_t>(i)));
    }
    NormalisePeak(s, 0.6);
    const Signal pause = Silence(0.12);
    s.insert(s.end(), pause.begin(), pause.end());
    return s;
}

// ---- speaking ---------------------------------------------------------------------------------

std::vector<std::int16_t>* theCapture = nullptr;

int Capture(short* samples, int count, espeak_EVENT*) {
    if (samples != nullptr && count > 0 && theCapture != nullptr)
        theCapture->insert(theCapture->end(), samples, samples + count);
    return 0;  // go on
}

// A speaker of clips: one line in one voice at a time, the voice set only when it changes.
class Speaker {
public:
    explicit Speaker(int rate) : rate_(rate) {
        espeak_SetSynthCallback(&Capture);
        theCapture = &pcm_;
    }
    ~Speaker() { theCapture = nullptr; }
    Speaker(const Speaker&) = delete;
    Speaker& operator=(const Speaker&) = delete;

    // The clip of `text` ("-" is a short silence) in voice `v`; 0 when espeak-ng fails.
    int Speak(int v, const std::string& text, Bytes* clip, std::string* error) {
        const Voice& voice = kVoices[v];
        if (text == "-") {
            *clip = EightBitClip(Silence(0.1), kRate);
            return 1;
        }
        if (v != current_) {
            if (espeak_SetVoiceByName(voice.espeak) != EE_OK) {
                *error = std::string("espeak-ng has no voice ") + voice.espeak;
                return 0;
            }
            espeak_SetParameter(espeakRATE, voice.wordsPerMinute, 0);
            espeak_SetParameter(espeakPITCH, voice.pitch, 0);
            espeak_SetParameter(espeakRANGE, voice.range, 0);
            current_ = v;
        }
        pcm_.clear();
        if (espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                         nullptr, nullptr) != EE_OK ||
            espeak_Synchronize() != EE_OK) {
            *error = "espeak-ng could not speak \"" + text + "\"";
            return 0;
        }
        *clip = EightBitClip(ShapeSpeech(pcm_, rate_, voice), kRate);
        return 1;
    }

private:
    int rate_;
    int current_ = -1;
    std::vector<std::int16_t> pcm_;
};

int Speak(const std::vector<Job>& jobs, int rate, Clips* clips, std::string* error) {
    Speaker speaker(rate);
    for (const Job& job : jobs)
        if (!speaker.Speak(job.voice, job.text, &(*clips)[job.id], error)) return 0;
    return 1;
}

// What this module makes of a line in every voice, with espeak-ng and the shaping as they are
// now: part of the cache's key, so that clips kept by a maker that spoke or shaped differently
// (an earlier version of this file, another espeak-ng) are never taken for this one's.
int Probe(int rate, std::string* probe, std::string* error) {
    Speaker speaker(rate);
    for (int v = 0; v < static_cast<int>(std::size(kVoices)); ++v) {
        Bytes clip;
        if (!speaker.Speak(v, "Runway three one left, cleared to land.", &clip, error)) return 0;
        probe->append(clip.begin(), clip.end());
    }
    for (const Signal& s : {Click(), SquelchTail()}) {
        const Bytes clip = EightBitClip(s, kRate);
        probe->append(clip.begin(), clip.end());
    }
    return 1;
}

}  // namespace

int MakeSpeech(Installation& installation, std::string* error) {
    std::string table;
    std::vector<Job> jobs;
    if (!ReadTable(installation.DataDir() + kTable, &table, &jobs, error)) return 0;

    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        *error = "espeak-ng could not start (is espeak-ng-data installed?)";
        return 0;
    }
    // Starting espeak-ng opens an audio device even for synchronous output, and the sound
    // server's client, the first time it runs on a machine (no runtime folder of its own yet),
    // names that folder with a dozen draws from the C library's generator: a fresh machine's
    // first run would breathe differently from every later one. Whatever was drawn before, the
    // speech starts from the generator's first state, the one an untouched process has.
    std::srand(1);
    const char* version = espeak_Info(nullptr);
    // Spoken on every run, cached or cold: espeak-ng's speech depends a little on what it said
    // before, so every run says the same things in the same order.
    std::string probe;
    if (!Probe(rate, &probe, error)) {
        espeak_Terminate();
        return 0;
    }
    const fs::path cached = installation.CacheDir().empty()
                                ? fs::path()
                                : fs::path(installation.CacheDir()) /
                                      ("speech-" + Key(table, version, probe) + ".clips");
    Clips clips;
    const bool fromCache = !cached.empty() && ReadClipCache(cached, kMaxClipBytes, &clips) &&
                           clips.size() == jobs.size() + 3;
    if (!fromCache) {
        clips.clear();
        const int spoken = Speak(jobs, rate, &clips, error);
        if (!spoken) {
            espeak_Terminate();
            return 0;
        }
        clips[kClickClip] = EightBitClip(Click(), kRate);
        clips[kSquelchClip] = EightBitClip(SquelchTail(), kRate);
        // As long as the effects' silence: the speech queue pads with it.
        clips[kSilenceClip] = EightBitClip(Silence(0.48), kRate);
    }
    espeak_Terminate();
    for (const auto& [id, image] : clips) {
        if (image.size() > kMaxClipBytes) {
            *error = "clip " + std::to_string(id) + " is " + std::to_string(image.size()) +
                     " bytes, more than the speech buffer takes";
            return 0;
        }
    }
    if (!fromCache && !cached.empty()) WriteClipCache(cached, clips);
    for (auto& [id, image] : clips)
        installation.AddMember(kVolume, devices::CWave::LoadFile(nullptr, id), std::move(image));
    return 1;
}

}  // namespace mkdata
