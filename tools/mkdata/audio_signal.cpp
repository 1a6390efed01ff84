#include "tools/mkdata/audio_signal.h"

#include <algorithm>
#include <cmath>

#include "devices/wave.h"

namespace mkdata {

double HashNoise(std::uint32_t n) {
    std::uint32_t s = n * 2654435761u + 0x9E3779B9u;
    s = s * 214013u + 2531011u;
    s ^= s >> 15;
    s = s * 214013u + 2531011u;
    return static_cast<double>((s >> 16) & 0x7FFF) / 16383.5 - 1.0;
}

void NormalisePeak(Signal& s, double peak) {
    double m = 0;
    for (double x : s)
        m = std::max(m, std::abs(x));
    if (m <= 0) return;
    for (double& x : s)
        x *= peak / m;
}

void FadeClipEnds(Signal& s, double seconds, int rate) {
    const auto wanted = static_cast<std::size_t>(std::lround(seconds * rate));
    const std::size_t n = std::min(wanted, s.size() / 2);
    for (std::size_t i = 0; i < n; ++i) {
        const double g = static_cast<double>(i) / static_cast<double>(n);
        s[i] *= g;
        s[s.size() - 1 - i] *= g;
    }
}

Bytes EightBitClip(const Signal& s, int rate) {
    std::vector<std::uint8_t> pcm(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        pcm[i] = static_cast<std::uint8_t>(
            std::clamp<long>(std::lround(std::clamp(s[i], -1.0, 1.0) * 127.0) + 128, 1, 255));
    return devices::MakeWaveImage(rate, 1, 8, pcm.data(), pcm.size());
}

}  // namespace mkdata
