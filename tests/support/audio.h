// Small measurements of captured sound for the tests: levels, tones, and the reading of the 16-bit
// WAV files the runner writes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// One channel of interleaved stereo samples.
inline std::vector<double> Channel(const std::vector<std::int16_t>& stereo, int which,
                                   std::size_t first = 0, std::size_t count = ~std::size_t{0}) {
    std::vector<double> out;
    for (std::size_t f = first; f < stereo.size() / 2 && f - first < count; ++f)
        out.push_back(stereo[2 * f + static_cast<std::size_t>(which)]);
    return out;
}

inline double Rms(const std::vector<double>& x) {
    double s = 0;
    for (double v : x)
        s += v * v;
    return x.empty() ? 0 : std::sqrt(s / static_cast<double>(x.size()));
}

// Level in decibels of b relative to a (negative when b is quieter).
inline double DbBelow(double a, double b) {
    return 20.0 * std::log10(b / a);
}

// The fundamental of a periodic signal: the shortest lag whose autocorrelation comes within 10 %
// of the best one between the two frequencies given.
inline double Pitch(const std::vector<double>& x, int rate, double lowHz, double highHz) {
    const auto lo = static_cast<std::size_t>(rate / highHz);
    const auto hi = static_cast<std::size_t>(rate / lowHz);
    if (x.size() < 2 * hi) return 0;
    double mean = 0;
    for (double v : x)
        mean += v;
    mean /= static_cast<double>(x.size());
    std::vector<double> ac;
    for (std::size_t lag = lo; lag <= hi; ++lag) {
        double s = 0;
        for (std::size_t i = 0; i + hi < x.size(); ++i)
            s += (x[i] - mean) * (x[i + lag] - mean);
        ac.push_back(s);
    }
    double best = 0;
    for (double a : ac)
        best = std::max(best, a);
    for (std::size_t i = 0; i < ac.size(); ++i)
        if (ac[i] >= 0.9 * best) return rate / static_cast<double>(lo + i);
    return 0;
}

// Zero crossings a second: twice the frequency of a pure tone.
inline double ToneHz(const std::vector<double>& x, int rate) {
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
        if ((x[i - 1] < 0) != (x[i] < 0)) ++crossings;
    return x.size() < 2 ? 0 : crossings * rate / (2.0 * static_cast<double>(x.size()));
}

// A tone-or-silence segment of a signal.
struct Segment {
    std::size_t start = 0;  // frame
    std::size_t length = 0;
    double hz = 0;  // 0 for silence
};

// Cuts a signal into runs of sound and silence (silence: every sample within `quiet` for at least
// `minGap` frames); each sound run gets its tone frequency.
inline std::vector<Segment> Segments(const std::vector<double>& x, int rate, double quiet,
                                     std::size_t minGap) {
    std::vector<Segment> out;
    std::size_t i = 0;
    while (i < x.size()) {
        while (i < x.size() && std::abs(x[i]) <= quiet)
            ++i;
        if (i >= x.size()) break;
        const std::size_t start = i;
        std::size_t lastLoud = i;
        while (i < x.size() && i - lastLoud < minGap) {
            if (std::abs(x[i]) > quiet) lastLoud = i;
            ++i;
        }
        Segment s;
        s.start = start;
        s.length = lastLoud + 1 - start;
        s.hz = ToneHz(std::vector<double>(x.begin() + static_cast<std::ptrdiff_t>(start),
                                          x.begin() + static_cast<std::ptrdiff_t>(lastLoud + 1)),
                      rate);
        out.push_back(s);
    }
    return out;
}

// Morse from tone segments: a dot lasts about a unit, a dash three; a silence longer than two
// units ends a character.
inline std::string Morse(const std::vector<Segment>& tones, double unitFrames) {
    std::string out;
    for (std::size_t k = 0; k < tones.size(); ++k) {
        if (k > 0) {
            const double gap = static_cast<double>(tones[k].start) -
                               static_cast<double>(tones[k - 1].start + tones[k - 1].length);
            if (gap > 2 * unitFrames) out += ' ';
        }
        out += static_cast<double>(tones[k].length) > 2 * unitFrames ? '-' : '.';
    }
    return out;
}

// Letters of a Morse text such as ".- -..."; '?' for a code that is no letter or digit.
inline std::string FromMorse(const std::string& code) {
    static const char* const kCodes[36] = {
        ".-",    "-...",  "-.-.",  "-..",   ".",     "..-.",  "--.",   "....",  "..",
        ".---",  "-.-",   ".-..",  "--",    "-.",    "---",   ".--.",  "--.-",  ".-.",
        "...",   "-",     "..-",   "...-",  ".--",   "-..-",  "-.--",  "--..",  "-----",
        ".----", "..---", "...--", "....-", ".....", "-....", "--...", "---..", "----."};
    std::string out, word;
    auto flush = [&] {
        if (word.empty()) return;
        char c = '?';
        for (int i = 0; i < 36; ++i)
            if (word == kCodes[i])
                c = i < 26 ? static_cast<char>('a' + i) : static_cast<char>('0' + i - 26);
        out += c;
        word.clear();
    };
    for (char ch : code) {
        if (ch == ' ')
            flush();
        else
            word += ch;
    }
    flush();
    return out;
}

// The samples of a 16-bit PCM WAV file's "data" chunk (empty when it is not one), with its rate
// and channel count.
struct WavFile {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;
};
inline WavFile ReadWav16(const std::string& bytes) {
    WavFile w;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                          (static_cast<std::uint32_t>(b[at + 3]) << 24));
    };
    if (bytes.size() < 44 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0)
        return w;
    w.channels = b[22] | (b[23] << 8);
    w.rate = static_cast<int>(u32(24));
    if ((b[34] | (b[35] << 8)) != 16) return w;
    const std::size_t n = std::min<std::size_t>(u32(40), bytes.size() - 44) / 2;
    w.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        w.samples[i] = static_cast<std::int16_t>(b[44 + 2 * i] | (b[45 + 2 * i] << 8));
    return w;
}

}  // namespace testsupport
