// The sound device and its mixer on the headless machine: what the card receives for buffers of
// each format, level, pan and pitch, and the device's calls with their documented results.
#include "win/dsound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "support/audio.h"

namespace {

using namespace win;

class Sound : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        ResetDirectSoundStandIn();
        OpenDevice();
    }
    // A device at priority level with its primary buffer at 11025 samples a second.
    void OpenDevice() {
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        ASSERT_EQ(device->SetCooperativeLevel(HWND{}, DSSCL_PRIORITY), DS_OK);
        DSBUFFERDESC d;
        d.dwFlags = DSBCAPS_PRIMARYBUFFER;
        ASSERT_EQ(device->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
        SetRate(11025);
    }
    void TearDown() override {
        for (DirectSoundBuffer* b : buffers)
            b->Release();
        primary->Release();
        device->Release();
        EXPECT_EQ(DirectSoundLiveObjects(), 0);
        platform::SetCurrentBackend(nullptr);
    }
    void SetRate(std::uint32_t rate) {
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 2;
        f.wBitsPerSample = 8;
        f.nBlockAlign = 2;
        f.nSamplesPerSec = rate;
        f.nAvgBytesPerSec = rate * 2;
        ASSERT_EQ(primary->SetFormat(&f), DS_OK);
    }
    DirectSoundBuffer* Make(std::uint32_t rate, int bits, int channels, std::uint32_t bytes,
                            std::uint32_t flags = DSBCAPS_STATIC | DSBCAPS_CTRLDEFAULT) {
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = static_cast<std::uint16_t>(channels);
        f.wBitsPerSample = static_cast<std::uint16_t>(bits);
        f.nBlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
        f.nSamplesPerSec = rate;
        f.nAvgBytesPerSec = rate * f.nBlockAlign;
        DSBUFFERDESC d;
        d.dwFlags = flags;
        d.dwBufferBytes = bytes;
        d.lpwfxFormat = &f;
        DirectSoundBuffer* b = nullptr;
        EXPECT_EQ(device->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
        if (b != nullptr) buffers.push_back(b);
        return b;
    }
    static void Fill(DirectSoundBuffer* b, const std::vector<std::uint8_t>& bytes) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        std::uint32_t n1 = 0, n2 = 0;
        ASSERT_EQ(b->Lock(0, static_cast<std::uint32_t>(bytes.size()), &p1, &n1, &p2, &n2, 0),
                  DS_OK);
        std::memcpy(p1, bytes.data(), n1);
        ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    }
    // 8-bit samples of a sine of `hz` at `rate`.
    static std::vector<std::uint8_t> Tone(double hz, std::uint32_t rate, double seconds) {
        std::vector<std::uint8_t> v(static_cast<std::size_t>(rate * seconds));
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<std::uint8_t>(
                std::lround(128 + 100 * std::sin(2 * std::numbers::pi * hz * i / rate)));
        return v;
    }
    void Run(std::uint32_t ms) {
        machine.Time().Advance(ms);
        MixDirectSound();
    }
    const std::vector<std::int16_t>& Captured() { return machine.Sound().Captured(); }

    platform::HeadlessBackend machine;
    DirectSound* device = nullptr;
    DirectSoundBuffer* primary = nullptr;
    std::vector<DirectSoundBuffer*> buffers;
};

TEST_F(Sound, ABufferAtTheCardsRateAtFullLevelPassesBitExact) {
    DirectSoundBuffer* b = Make(11025, 8, 1, 256);
    std::vector<std::uint8_t> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    Fill(b, ramp);
    const std::size_t before = Captured().size() / 2;
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Run(100);
    const std::vector<std::int16_t>& c = Captured();
    for (std::size_t f = 0; f < 512; ++f) {
        const int expected = (static_cast<int>(f % 256) - 128) * 256;
        ASSERT_EQ(c[2 * (before + f)], expected) << "frame " << f;
        ASSERT_EQ(c[2 * (before + f) + 1], expected) << "frame " << f;
    }
}

TEST_F(Sound, VolumeAndPanLowerTheLevelsTheyName) {
    struct Case {
        std::int32_t volume, pan;
        double leftDb, rightDb;  // expected, relative to the full level; below -60 means silent
    };
    const Case cases[] = {
        {0, 0, 0, 0},         {-600, 0, -6, -6},       {-2000, 0, -20, -20},
        {0, 10000, -100, 0},  {0, -10000, 0, -100},    {0, 600, -6, 0},
        {-300, -300, -3, -6}, {-10000, 0, -100, -100}, {-20000, 0, -100, -100},
    };
    DirectSoundBuffer* b = Make(11025, 8, 1, 11025);
    Fill(b, Tone(1000, 11025, 1.0));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Run(200);
    const std::size_t fullAt = Captured().size() / 2;
    Run(500);
    const double full = testsupport::Rms(testsupport::Channel(Captured(), 0, fullAt));
    for (const Case& k : cases) {
        ASSERT_EQ(b->SetVolume(k.volume), DS_OK);
        ASSERT_EQ(b->SetPan(k.pan), DS_OK);
        const std::size_t at = Captured().size() / 2;
        Run(500);
        for (int side = 0; side < 2; ++side) {
            const double want = side == 0 ? k.leftDb : k.rightDb;
            const double rms = testsupport::Rms(testsupport::Channel(Captured(), side, at));
            if (want <= -60)
                EXPECT_LT(rms, full * 0.001) << k.volume << "/" << k.pan << " side " << side;
            else
                EXPECT_NEAR(testsupport::DbBelow(full, rms), want, 0.2)
                    << k.volume << "/" << k.pan << " side " << side;
        }
    }
    std::int32_t v = 1;
    ASSERT_EQ(b->GetVolume(&v), DS_OK);
    EXPECT_EQ(v, DSBVOLUME_MIN);  // clamped
}

TEST_F(Sound, PitchScalesHowLongAOneShotPlays) {
    for (std::uint32_t frequency : {11025u, 22050u, 5513u}) {
        DirectSoundBuffer* b = Make(11025, 8, 1, 5513);
        Fill(b, Tone(500, 11025, 0.5));
        ASSERT_EQ(b->SetFrequency(frequency), DS_OK);
        const std::size_t at = Captured().size() / 2;
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        Run(1500);
        const std::vector<double> left = testsupport::Channel(Captured(), 0, at);
        std::size_t last = 0;
        for (std::size_t i = 0; i < left.size(); ++i)
            if (left[i] != 0) last = i;
        EXPECT_NEAR(static_cast<double>(last), 5513.0 * 11025 / frequency, 3) << frequency;
        std::uint32_t status = 1;
        ASSERT_EQ(b->GetStatus(&status), DS_OK);
        EXPECT_EQ(status, 0u) << "a one-shot stops at its end";
        std::uint32_t play = 1;
        ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
        EXPECT_EQ(play, 0u);
    }
}

TEST_F(Sound, StereoAndSixteenBitBuffersMixIntoTheCard) {
    DirectSoundBuffer* b = Make(11025, 16, 2, 400);
    std::vector<std::uint8_t> bytes(400);
    for (std::size_t f = 0; f < 100; ++f) {
        const auto l = static_cast<std::uint16_t>(static_cast<std::int16_t>(1000 + f));
        const auto r = static_cast<std::uint16_t>(static_cast<std::int16_t>(-2000 - f));
        bytes[4 * f] = l & 0xFF;
        bytes[4 * f + 1] = l >> 8;
        bytes[4 * f + 2] = r & 0xFF;
        bytes[4 * f + 3] = r >> 8;
    }
    Fill(b, bytes);
    DirectSoundBuffer* loud = Make(11025, 16, 1, 200);
    std::vector<std::uint8_t> max(200);
    for (std::size_t i = 0; i < 200; i += 2) {
        max[i] = 0xFF;
        max[i + 1] = 0x7F;
    }
    Fill(loud, max);
    const std::size_t at = Captured().size() / 2;
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    Run(5);
    const std::vector<std::int16_t>& c = Captured();
    EXPECT_EQ(c[2 * at], 1000);
    EXPECT_EQ(c[2 * at + 1], -2000);
    EXPECT_EQ(c[2 * (at + 10)], 1010);
    // Two loud buffers sum past the 16 bits: the card takes the clamped value.
    ASSERT_EQ(loud->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DirectSoundBuffer* loud2 = Make(11025, 16, 1, 200);
    Fill(loud2, max);
    ASSERT_EQ(loud2->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::size_t at2 = Captured().size() / 2;
    Run(10);
    EXPECT_EQ(Captured()[2 * at2 + 2], 32767);
}

TEST_F(Sound, BuffersLockInTwoPartsAtTheEndAndStartSilent) {
    DirectSoundBuffer* b8 = Make(11025, 8, 1, 1000);
    DirectSoundBuffer* b16 = Make(22050, 16, 2, 1000);
    void* p1 = nullptr;
    void* p2 = nullptr;
    std::uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(b8->Lock(900, 300, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 200u);
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(static_cast<std::uint8_t*>(p1) - static_cast<std::uint8_t*>(p2), 900);
    EXPECT_EQ(static_cast<std::uint8_t*>(p1)[0], 0x80);
    EXPECT_EQ(static_cast<std::uint8_t*>(p2)[199], 0x80);
    EXPECT_EQ(b8->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b16->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(static_cast<std::uint8_t*>(p1)[500], 0);
    EXPECT_EQ(b16->Unlock(p1, n1, nullptr, 0), DS_OK);
    // Regions the buffer cannot give, and pointers it did not give.
    EXPECT_EQ(b8->Lock(1000, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b8->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b8->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    std::uint8_t elsewhere[4];
    EXPECT_EQ(b8->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(Sound, CallsAnswerWithTheirDocumentedResults) {
    DirectSoundBuffer* plain = Make(11025, 8, 1, 100, DSBCAPS_STATIC);
    DirectSoundBuffer* b = Make(11025, 8, 1, 100);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(8000), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(b->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(100001), DSERR_INVALIDPARAM);
    std::uint32_t f = 0;
    ASSERT_EQ(b->SetFrequency(100000), DS_OK);
    ASSERT_EQ(b->SetFrequency(0), DS_OK);  // back to the buffer's own rate
    ASSERT_EQ(b->GetFrequency(&f), DS_OK);
    EXPECT_EQ(f, 11025u);
    EXPECT_EQ(b->SetPan(20000), DS_OK);
    std::int32_t pan = 0;
    ASSERT_EQ(b->GetPan(&pan), DS_OK);
    EXPECT_EQ(pan, DSBPAN_RIGHT);
    EXPECT_EQ(b->SetCurrentPosition(100), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFormat(nullptr), DSERR_INVALIDCALL);

    WAVEFORMATEX f44 = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(primary->SetFormat(&f44), DSERR_BADFORMAT);
    ASSERT_EQ(device->SetCooperativeLevel(HWND{}, DSSCL_NORMAL), DS_OK);
    WAVEFORMATEX f22 = {WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8, 0};
    EXPECT_EQ(primary->SetFormat(&f22), DSERR_PRIOLEVELNEEDED);

    // A lost buffer refuses to be filled until restored.
    b->MarkLost();
    std::uint32_t status = 0;
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
    void* p1 = nullptr;
    std::uint32_t n1 = 0;
    EXPECT_EQ(b->Lock(0, 10, &p1, &n1, nullptr, nullptr, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DS_OK);
    EXPECT_EQ(b->Lock(0, 10, &p1, &n1, nullptr, nullptr, 0), DS_OK);

    // Formats the device refuses.
    WAVEFORMATEX bad = {WAVE_FORMAT_PCM, 3, 11025, 33075, 3, 8, 0};
    DSBUFFERDESC d;
    d.dwBufferBytes = 300;
    d.lpwfxFormat = &bad;
    DirectSoundBuffer* none = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&d, &none, nullptr), DSERR_BADFORMAT);
    WAVEFORMATEX ok = {WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    d.lpwfxFormat = &ok;
    d.dwBufferBytes = 2;
    EXPECT_EQ(device->CreateSoundBuffer(&d, &none, nullptr), DSERR_INVALIDPARAM);
    d.dwBufferBytes = 100;
    EXPECT_EQ(device->CreateSoundBuffer(&d, &none, &d), DSERR_NOAGGREGATION);
    EXPECT_EQ(none, nullptr);
}

TEST_F(Sound, CursorsFollowTheVirtualClockExactly) {
    DirectSoundBuffer* b = Make(11025, 8, 1, 11025);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::uint32_t play = 0, write = 0;
    Run(400);
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 4410u);
    EXPECT_GT(write, play);
    Run(700);  // past the end: the looping buffer wraps
    ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 1102u);
    ASSERT_EQ(b->SetFrequency(22050), DS_OK);
    Run(100);
    ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_NEAR(play, 1102.0 + 2205.0, 2.0);
}

TEST_F(Sound, TheCardRecordsSilenceWhileNoDeviceHasIt) {
    DirectSoundBuffer* b = Make(11025, 8, 1, 11025);
    Fill(b, Tone(1000, 11025, 1.0));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Run(1000);
    // The device goes; a second later another opens the card again.
    b->Release();
    buffers.clear();
    primary->Release();
    device->Release();
    machine.Time().Advance(1000);
    OpenDevice();
    Run(500);
    const std::vector<std::int16_t>& c = Captured();
    EXPECT_EQ(c.size(), 2u * (11025 * 25 / 10)) << "sample n lies n / rate after the first open";
    EXPECT_GT(testsupport::Rms(testsupport::Channel(c, 0, 0, 11025)), 1000);
    EXPECT_EQ(testsupport::Rms(testsupport::Channel(c, 0, 11100, 11025)), 0);
}

TEST(SoundLibrary, AMissingLibraryOrDriverGivesNoDevice) {
    platform::HeadlessBackend machine;
    platform::SetCurrentBackend(&machine);
    ResetDirectSoundStandIn();
    theDirectSoundFaults.libraryMissing = true;
    EXPECT_EQ(LoadDirectSoundLibrary(), nullptr);
    theDirectSoundFaults.libraryMissing = false;
    const DirectSoundLibrary* lib = LoadDirectSoundLibrary();
    ASSERT_NE(lib, nullptr);
    theDirectSoundFaults.createFails = true;
    DirectSound* d = nullptr;
    EXPECT_EQ(lib->DirectSoundCreate(nullptr, &d, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(d, nullptr);
    FreeDirectSoundLibrary();
    EXPECT_EQ(DirectSoundLibraryLoads(), 0);
    ResetDirectSoundStandIn();
    platform::SetCurrentBackend(nullptr);
}

// A card that holds what it is fed until the test plays it, as a real card holds its lead, and
// gives back what it has not begun to play.
class LeadCard final : public platform::Audio {
public:
    bool Open(const platform::AudioFormat&) override { return open = true; }
    void Close() override { open = false; }
    [[nodiscard]] bool IsOpen() const override { return open; }
    bool Feed(const std::int16_t* samples, std::size_t count) override {
        fed.insert(fed.end(), samples, samples + count);
        return true;
    }
    [[nodiscard]] std::size_t QueuedSamples() const override { return fed.size() - played * 2; }
    [[nodiscard]] std::size_t FramesDue() override {
        const std::size_t queued = fed.size() / 2 - played;
        return open && queued < kLead ? kLead - queued : 0;
    }
    [[nodiscard]] std::uint32_t MsQueued() override { return 0; }
    std::size_t TakeBackQueued() override {
        const std::size_t back = fed.size() / 2 - played;
        fed.resize(played * 2);
        return back;
    }
    static constexpr std::size_t kLead = 1000;
    bool open = false;
    std::vector<std::int16_t> fed;
    std::size_t played = 0;  // frames the card has begun to play
};

// The headless machine with the lead card for its sound.
class LeadMachine final : public platform::Backend {
public:
    platform::Video& GetVideo() override { return machine.GetVideo(); }
    platform::Events& GetEvents() override { return machine.GetEvents(); }
    platform::Clock& GetClock() override { return machine.GetClock(); }
    platform::Audio& GetAudio() override { return card; }
    platform::Joysticks& GetJoysticks() override { return machine.GetJoysticks(); }
    platform::Haptics& GetHaptics() override { return machine.GetHaptics(); }
    [[nodiscard]] bool IsHeadless() const override { return true; }
    platform::HeadlessBackend machine;
    LeadCard card;
};

// A sound that starts is mixed into the lead the card has not begun to play, from the frame it
// would play next; what the card played stays, and a sound already playing goes on unchanged.
TEST(SoundLead, AStartingSoundIsMixedIntoTheUnplayedLead) {
    LeadMachine lead;
    platform::SetCurrentBackend(&lead);
    ResetDirectSoundStandIn();
    DirectSound* device = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    ASSERT_EQ(device->SetCooperativeLevel(HWND{}, DSSCL_PRIORITY), DS_OK);
    const auto make = [&](const std::vector<std::uint8_t>& bytes) {
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 1;
        f.wBitsPerSample = 8;
        f.nBlockAlign = 1;
        f.nSamplesPerSec = static_cast<std::uint32_t>(DirectSoundDeviceRate());
        f.nAvgBytesPerSec = f.nSamplesPerSec;
        DSBUFFERDESC d;
        d.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLDEFAULT;
        d.dwBufferBytes = static_cast<std::uint32_t>(bytes.size());
        d.lpwfxFormat = &f;
        DirectSoundBuffer* b = nullptr;
        EXPECT_EQ(device->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
        void* p1 = nullptr;
        void* p2 = nullptr;
        std::uint32_t n1 = 0, n2 = 0;
        EXPECT_EQ(b->Lock(0, static_cast<std::uint32_t>(bytes.size()), &p1, &n1, &p2, &n2, 0),
                  DS_OK);
        std::memcpy(p1, bytes.data(), n1);
        EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
        return b;
    };
    // A looping ramp that repeats every 97 frames, and a level step of 2,560 that lasts 300.
    std::vector<std::uint8_t> ramp(97);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::uint8_t>(80 + i);
    DirectSoundBuffer* loop = make(ramp);
    DirectSoundBuffer* step = make(std::vector<std::uint8_t>(300, 138));
    ASSERT_EQ(loop->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    MixDirectSound();
    ASSERT_EQ(lead.card.fed.size(), 2 * LeadCard::kLead);
    const std::vector<std::int16_t> before = lead.card.fed;
    lead.card.played = 400;
    // The start tops the lead up to its length first (the sound before the call), then mixes
    // the new sound into all of it.
    ASSERT_EQ(step->Play(0, 0, 0), DS_OK);
    const std::vector<std::int16_t>& fed = lead.card.fed;
    constexpr std::size_t kFed = 400 + LeadCard::kLead;
    ASSERT_EQ(fed.size(), 2 * kFed);
    for (std::size_t f = 0; f < kFed; ++f) {
        const int ramp16 = (static_cast<int>(ramp[f % ramp.size()]) - 128) * 256;
        const int added = f >= 400 && f < 700 ? 10 * 256 : 0;
        if (f < LeadCard::kLead) {
            ASSERT_EQ(before[2 * f], ramp16) << f;
        }
        ASSERT_EQ(fed[2 * f], ramp16 + added) << f;
        ASSERT_EQ(fed[2 * f + 1], ramp16 + added) << f;
    }
    // The next feed goes on from where both sounds were.
    lead.card.played = 1300;
    MixDirectSound();
    ASSERT_EQ(lead.card.fed.size(), 2 * (1300 + LeadCard::kLead));
    for (std::size_t f = kFed; f < 1300 + LeadCard::kLead; ++f)
        ASSERT_EQ(lead.card.fed[2 * f], (static_cast<int>(ramp[f % ramp.size()]) - 128) * 256) << f;
    loop->Release();
    step->Release();
    device->Release();
    platform::SetCurrentBackend(nullptr);
}

}  // namespace
