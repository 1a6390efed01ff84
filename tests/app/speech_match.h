// Finding the radio's recorded words in a captured sound: a clip of the tower volume as a signal,
// where its spoken part is first heard in a capture, and a capture without a looping clip (a
// warning horn) under the speech.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/resource_volume.h"
#include "devices/wave.h"

namespace apptest {

namespace fs = std::filesystem;

// A clip of the tower volume as a signal round 0.
inline std::vector<double> Clip(const fs::path& install, int id) {
    const fs::path previous = fs::current_path();
    fs::current_path(install);
    std::vector<double> out;
    {
        core::ResourceVolume volume("Snd\\TowerATC.Vol", "Snd\\TowerATC", 0);
        if (std::unique_ptr<devices::CWave> w = volume.LoadWave(id)) {
            const std::uint8_t* p = w->Data();
            for (std::uint32_t i = 0; p != nullptr && i < w->GetDataSize(); ++i)
                out.push_back((p[i] - 128) / 128.0);
        }
    }
    fs::current_path(previous);
    return out;
}

// Normalised correlation of `clip` with the signal at `s` (the signal's mean taken out).
inline double Correlation(const std::vector<double>& signal, const std::vector<double>& clip,
                   std::size_t s, std::size_t n) {
    double mean = 0, xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < n; ++i)
        mean += signal[s + i];
    mean /= static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double y = signal[s + i] - mean;
        xy += clip[i] * y;
        xx += clip[i] * clip[i];
        yy += y * y;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

// Where the clip's spoken part is first heard at or after `from`: the first position whose
// normalised correlation with it reaches 0.98 (else the best one), and that correlation.
// Positions whose first 32, then 256 samples already fit well are the only ones measured whole.
inline double Find(const std::vector<double>& signal, std::vector<double> clip, std::size_t from,
            std::size_t* at) {
    // The clip's own lead and pause are silence: only the spoken part is looked for.
    auto loud = [](double x) { return std::abs(x) > 0.02; };
    const auto first = std::find_if(clip.begin(), clip.end(), loud);
    const auto last = std::find_if(clip.rbegin(), clip.rend(), loud).base();
    if (first >= last) return 0;
    clip = std::vector<double>(first, last);
    if (clip.size() < 256) return 0;
    const std::size_t n = clip.size(), head = 256;
    double best = 0;
    for (std::size_t s = from; s + n <= signal.size(); ++s) {
        if (Correlation(signal, clip, s, 32) < 0.7 || Correlation(signal, clip, s, head) < 0.8)
            continue;
        const double r = Correlation(signal, clip, s, n);
        if (r > best) {
            best = r;
            *at = s;
        }
        if (r >= 0.98) break;
    }
    return best;
}

// A looping clip under the speech (a warning horn) repeats exactly with the loop's length
// wherever nothing else plays. That loop, measured in a stretch without speech from `quiet` on,
// is taken out of the whole capture; with none the capture stays as it is.
inline std::vector<double> WithoutLoop(std::vector<double> x, std::size_t quiet) {
    const std::size_t window = 2000;
    std::size_t loop = 0;
    for (std::size_t l = 16; l < 44100 && loop == 0; ++l) {
        if (quiet + 2 * l + window > x.size()) break;
        bool same = true;
        for (std::size_t n = quiet + l; n < quiet + l + window && same; ++n)
            same = std::abs(x[n] - x[n - l]) < 1e-9;
        if (same) loop = l;
    }
    if (loop == 0) return x;
    const std::vector<double> one(x.begin() + static_cast<std::ptrdiff_t>(quiet),
                                  x.begin() + static_cast<std::ptrdiff_t>(quiet + loop));
    for (std::size_t n = 0; n < x.size(); ++n)
        x[n] -= one[(n + loop - quiet % loop) % loop];
    return x;
}

}  // namespace apptest
