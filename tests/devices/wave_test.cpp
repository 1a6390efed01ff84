// Wave clips: our writer's images read back whole, numbered members of a volume, and damaged
// images of every kind that must give no clip or a bounded one, never a crash.
#include "devices/wave.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/endian.h"
#include "core/mem_stream.h"
#include "core/resource_volume.h"
#include "support/temp_folder.h"

namespace {

using devices::CWave;

std::vector<std::uint8_t> Image(std::size_t dataBytes, int bits = 8, int channels = 1) {
    std::vector<std::uint8_t> data(dataBytes);
    for (std::size_t i = 0; i < dataBytes; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    return devices::MakeWaveImage(11025, channels, bits, data.data(), data.size());
}

int Load(CWave& w, const std::vector<std::uint8_t>& image, std::uint32_t available) {
    core::MemRWStream s(static_cast<std::uint32_t>(image.size()),
                        static_cast<const void*>(image.data()));
    return w.LoadFromStream(s, available);
}

TEST(Wave, OurImagesReadBackWhole) {
    for (std::size_t bytes : {1u, 2u, 101u, 4096u}) {
        const std::vector<std::uint8_t> image = Image(bytes, 8, 1);
        CWave w;
        ASSERT_EQ(Load(w, image, static_cast<std::uint32_t>(image.size())), 1);
        EXPECT_EQ(w.Size(), image.size());
        win::WAVEFORMATEX f;
        ASSERT_EQ(w.GetFormat(&f), 1);
        EXPECT_EQ(f.wFormatTag, 1);
        EXPECT_EQ(f.nChannels, 1);
        EXPECT_EQ(f.nSamplesPerSec, 11025u);
        EXPECT_EQ(f.wBitsPerSample, 8);
        EXPECT_EQ(f.cbSize, 0);  // a 16-byte "fmt " has none: the rest reads zero
        ASSERT_EQ(w.GetDataSize(), bytes);
        EXPECT_EQ(w.ReadAllData(),
                  std::vector<std::uint8_t>(image.begin() + 44, image.begin() + 44 + bytes));
        // Smaller buffers take what they can; the two parts of a ring region in order.
        std::vector<std::uint8_t> small(bytes / 2);
        EXPECT_EQ(w.ReadData(small.data(), static_cast<std::uint32_t>(small.size())), bytes / 2);
        std::vector<std::uint8_t> a(bytes), b(bytes);
        EXPECT_EQ(w.ReadDataSplit(a.data(), b.data(), static_cast<std::uint32_t>(bytes / 3),
                                  static_cast<std::uint32_t>(bytes)),
                  bytes);
        EXPECT_EQ(b[0], image[44 + bytes / 3]);
    }
    // An odd RIFF length is kept whole: length + 8 bytes.
    std::vector<std::uint8_t> odd = Image(10);
    odd.push_back(0x55);
    core::WriteU32(odd.data() + 4, static_cast<std::uint32_t>(odd.size() - 8));
    CWave w;
    ASSERT_EQ(Load(w, odd, static_cast<std::uint32_t>(odd.size())), 1);
    EXPECT_EQ(w.Size(), odd.size());
    EXPECT_EQ(CWave::LoadFile(nullptr, 12), "12.wav");
    EXPECT_EQ(CWave::LoadFile("snd\\sndfx\\", 7), "snd\\sndfx\\7.wav");
    EXPECT_EQ(w.Free(), 1);
    EXPECT_EQ(w.Free(), 0);
    EXPECT_EQ(w.GetDataSize(), 0u);
}

TEST(Wave, DamagedImagesGiveNoClipOrABoundedOne) {
    const std::vector<std::uint8_t> good = Image(200);
    const std::uint32_t n = static_cast<std::uint32_t>(good.size());
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::uint32_t available;
        int loads;
        std::uint32_t dataSize;  // when it loads
        bool hasFormat;
    };
    const Case cases[] = {
        {"not RIFF", [](auto& v) { v[0] = 'X'; }, n, 0, 0, false},
        {"length past the member", [](auto& v) { core::WriteU32(v.data() + 4, 5000); }, n, 0, 0,
         false},
        {"length past 16 MB", [](auto& v) { core::WriteU32(v.data() + 4, 0xFFFFFFF0u); },
         0xFFFFFFFFu, 0, 0, false},
        {"member shorter than it says", [](auto& v) { v.resize(100); }, 0xFFFFFFFFu, 0, 0, false},
        {"data chunk overruns the image", [](auto& v) { core::WriteU32(v.data() + 40, 100000); }, n,
         1, 200, true},
        {"fmt chunk overruns the image",
         [](auto& v) { core::WriteU32(v.data() + 16, 0xFFFFFFF0u); }, n, 1, 0, true},
        {"no WAVE form", [](auto& v) { std::memcpy(v.data() + 8, "AVI ", 4); }, n, 1, 0, false},
        {"no data chunk", [](auto& v) { std::memcpy(v.data() + 36, "junk", 4); }, n, 1, 0, true},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> v = good;
        c.damage(v);
        CWave w;
        EXPECT_EQ(Load(w, v, c.available), c.loads) << c.what;
        EXPECT_EQ(w.GetDataSize(), c.dataSize) << c.what;
        win::WAVEFORMATEX f;
        EXPECT_EQ(w.GetFormat(&f) != 0, c.hasFormat) << c.what;
    }
    // A "fmt " of 10 bytes: what is there, the rest zero.
    std::vector<std::uint8_t> shortFormat = good;
    core::WriteU32(shortFormat.data() + 16, 10);
    CWave w;
    ASSERT_EQ(Load(w, shortFormat, n), 1);
    win::WAVEFORMATEX f;
    ASSERT_EQ(w.GetFormat(&f), 1);
    EXPECT_EQ(f.nSamplesPerSec, 11025u);
    EXPECT_EQ(f.nBlockAlign, 0);
    EXPECT_EQ(f.wBitsPerSample, 0);
    // Every prefix and a trail of bit flips: nothing reads outside the image.
    for (std::uint32_t cut = 0; cut <= n; ++cut) {
        std::vector<std::uint8_t> v(good.begin(), good.begin() + cut);
        CWave c;
        if (Load(c, v, cut) == 1) {
            EXPECT_LE(c.GetDataSize(), c.Size());
            (void)c.ReadAllData();
        }
    }
    std::uint32_t seed = 7;
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> v = good;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 214013u + 2531011u;
            v[(seed >> 16) % 48] ^= static_cast<std::uint8_t>(seed >> 8);
        }
        CWave c;
        if (Load(c, v, n) == 1) {
            EXPECT_EQ(c.ReadAllData().size(), c.GetDataSize());
        }
    }
}

TEST(Wave, VolumesGiveClipsByNumber) {
    testsupport::TempFolder dir("zephlon-wave");
    dir.MakeFolders("clips");
    const std::vector<std::uint8_t> image = Image(300);
    dir.Write("clips/12.wav", std::string(image.begin(), image.end()));
    std::vector<std::uint8_t> truncated(image.begin(), image.begin() + 100);
    dir.Write("clips/13.wav", std::string(truncated.begin(), truncated.end()));
    dir.Write("clips/14.wav", "RIFX this is no clip");
    core::ResourceVolume volume(nullptr, dir.Path("clips").c_str(), 0);
    std::unique_ptr<CWave> w = volume.LoadWave(12);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->GetDataSize(), 300u);
    EXPECT_FALSE(volume.LoadWave(13)) << "a member shorter than its header says";
    EXPECT_FALSE(volume.LoadWave(14));
    EXPECT_FALSE(volume.LoadWave(15)) << "missing";
}

}  // namespace
