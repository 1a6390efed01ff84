// What the sound tests share: a headless machine with its card, clip folders of their own (the
// effects and the tower's words as loose files), sound opened on them, and a clock that runs the
// sound steps at their tick rates.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "devices/beacon_sound.h"
#include "devices/engine_sounds.h"
#include "devices/sound_device.h"
#include "devices/wave.h"
#include "platform/headless/headless_backend.h"
#include "support/audio.h"
#include "support/temp_folder.h"
#include "win/dsound.h"

namespace devicestest {

inline constexpr int kRate = 11025;

// 8-bit samples of a tone (a raised-cosine ramp at both ends), then silence.
inline std::vector<std::uint8_t> ToneBytes(double hz, double seconds, double silence = 0) {
    const auto on = static_cast<std::size_t>(seconds * kRate);
    std::vector<std::uint8_t> v(on + static_cast<std::size_t>(silence * kRate), 0x80);
    const std::size_t ramp = 40;
    for (std::size_t i = 0; i < on; ++i) {
        double g = 1;
        if (i < ramp) g = static_cast<double>(i) / ramp;
        if (on - i < ramp) g = static_cast<double>(on - i) / ramp;
        v[i] = static_cast<std::uint8_t>(std::lround(
            128 + 100 * g * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / kRate)));
    }
    return v;
}

class SoundFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        win::ResetDirectSoundStandIn();
        core::theIniFile.DeleteSection("Sound");
        folder.MakeFolders("fx");
        folder.MakeFolders("atc");
        core::theSoundEffectsVolume.SetNames(nullptr, folder.Path("fx").c_str(), 0);
        core::theTowerAtcVolume.SetNames(nullptr, folder.Path("atc").c_str(), 0);
        devices::ResetEngineSoundState();
    }
    void TearDown() override {
        devices::ShutdownSound();
        devices::ResetEngineSoundState();
        devices::theBeaconSound.ClearIdents();
        for (std::uint32_t& c : devices::theBeaconSound.counters)
            c = 0;
        devices::theBeaconSound.speaking = 0;
        core::theSoundEffectsVolume.SetNames("Snd\\SndFx.Vol", "Snd\\SndFx", 0);
        core::theTowerAtcVolume.SetNames("Snd\\TowerATC.Vol", "Snd\\TowerATC", 0);
        platform::SetCurrentBackend(nullptr);
    }
    // Writes clip `id` into the effects ("fx") or words ("atc") folder.
    void Clip(const char* where, int id, const std::vector<std::uint8_t>& samples, int rate = kRate,
              int channels = 1, int bits = 8) {
        const std::vector<std::uint8_t> image =
            devices::MakeWaveImage(rate, channels, bits, samples.data(), samples.size());
        folder.Write(std::string(where) + "/" + std::to_string(id) + ".wav",
                     std::string(image.begin(), image.end()));
    }
    // Advances the virtual clock and lets the card take what played.
    void Run(std::uint32_t ms) {
        machine.Time().Advance(ms);
        win::MixDirectSound();
    }
    // One tick of 18.2 a second with the sound steps at their rates (one flight step a tick).
    void Tick() {
        ++ticks;
        devices::PollStarterSounds();
        if (ticks % 2 == 0) devices::UpdateEngineStartSound();
        if (ticks % 3 == 0) devices::UpdateEngineSounds();
        if (ticks % 6 == 0) devices::UpdateWindAndSyncSounds(win::HWND{});
        if (ticks % 18 == 0) devices::UpdateSpeechAndBeacons(win::HWND{});
        Run(ticks % 5 == 0 ? 54 : 55);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            Tick();
    }
    const std::vector<std::int16_t>& Captured() { return machine.Sound().Captured(); }
    std::size_t CapturedFrames() { return Captured().size() / 2; }

    platform::HeadlessBackend machine;
    testsupport::TempFolder folder{"zephlon-sound"};
    std::uint64_t ticks = 0;
};

}  // namespace devicestest
