// Morse idents of the tuned stations: the elements queued for a text, the ten- and thirty-second
// counting with the audio buttons, and idents read back in Morse from the card's capture.
#include "devices/beacon_sound.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "sound_fixture.h"

namespace {

using namespace devices;
using devicestest::SoundFixture;
using devicestest::ToneBytes;

constexpr double kUnit = 0.12;

class Beacon : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        Clip("fx", 100, ToneBytes(1020, kUnit, kUnit));
        Clip("fx", 101, ToneBytes(1020, 3 * kUnit, kUnit));
        Clip("fx", 200, ToneBytes(1350, kUnit, kUnit));
        Clip("fx", 201, ToneBytes(1350, 3 * kUnit, kUnit));
        Clip("fx", 196,
             std::vector<std::uint8_t>(static_cast<std::size_t>(2 * kUnit * 11025), 0x80));
        Clip("fx", 195,
             std::vector<std::uint8_t>(static_cast<std::size_t>(4 * kUnit * 11025), 0x80));
        cockpit::ResetAudioPanel();
        cockpit::thePanelSwitches.batteryPower = 1;
        cockpit::theCockpitSwitches.avionicsMaster = 1;
        ASSERT_EQ(InitSound(win::HWND{}), 1);
    }
    void TearDown() override {
        cockpit::ResetAudioPanel();
        cockpit::ResetCockpitServices();
        cockpit::ResetCockpitSwitches();
        SoundFixture::TearDown();
    }
    std::vector<int> Ring() {
        std::vector<int> out;
        const BeaconSound& b = theBeaconSound;
        for (int i = 0;
             i < SpeechQueue::kRingSize &&
             b.ring[(b.playIndex + i) % SpeechQueue::kRingSize] != SpeechQueue::kFreeSlot;
             ++i)
            out.push_back(b.ring[(b.playIndex + i) % SpeechQueue::kRingSize]);
        return out;
    }
    // The Morse heard since frame `from`, as letters, and the tone it was keyed in.
    std::string Heard(std::size_t from, double* hz = nullptr) {
        const std::vector<double> left = testsupport::Channel(Captured(), 0, from);
        const std::vector<testsupport::Segment> tones =
            testsupport::Segments(left, 11025, 300, 300);
        if (hz != nullptr) *hz = tones.empty() ? 0 : tones.front().hz;
        return testsupport::FromMorse(testsupport::Morse(tones, kUnit * 11025));
    }
};

TEST_F(Beacon, AnIdentBecomesDotsDashesAndGaps) {
    BeaconSound& b = theBeaconSound;
    for (char c : std::string("abc"))
        b.QueueMorseChar(win::HWND{}, c, 0);
    EXPECT_EQ(Ring(),
              (std::vector<int>{100, 101, 196, 101, 100, 100, 100, 196, 101, 100, 101, 100, 196}));
    EXPECT_EQ(b.speaking, 1u);
    b.QueuePhrase(0, 0, 0);
    for (char c : std::string("9-?A"))
        b.QueueMorseChar(win::HWND{}, c, 100);
    // Digits key, other characters (upper case among them, folded by the caller) key nothing.
    EXPECT_EQ(Ring(), (std::vector<int>{201, 201, 201, 201, 200, 196}));
}

TEST_F(Beacon, CountersKeyEachReceiverAtItsMarksOnceASecond) {
    BeaconSound& b = theBeaconSound;
    cockpit::theAudioPanelButtons.audioMixNav1 = 1;
    b.SetIdent(BeaconSound::kNav1, "OSI");
    b.SetIdent(BeaconSound::kAdf, "QQ");
    b.SetIdent(BeaconSound::kNav2, "SFO");  // its audio button is out
    for (int s = 0; s < 9; ++s)
        b.CountSecond(win::HWND{});
    EXPECT_TRUE(Ring().empty());
    b.CountSecond(win::HWND{});
    // Both marks fell in the same second: each ident once (NAV1, then the ADF).
    const std::vector<int> osi = {101, 101, 101, 196, 100, 100, 100, 196, 100, 100, 196};
    const std::vector<int> qq = {101, 101, 100, 101, 196, 101, 101, 100, 101, 196};
    std::vector<int> both = osi;
    both.insert(both.end(), qq.begin(), qq.end());
    EXPECT_EQ(Ring(), both);
    EXPECT_EQ(b.counters[BeaconSound::kNav1], 10u);
    // An empty ident stops its counter.
    b.SetIdent(BeaconSound::kAdf, "");
    b.QueuePhrase(0, 0, 0);
    for (int s = 0; s < 20; ++s)
        b.CountSecond(win::HWND{});
    EXPECT_EQ(b.counters[BeaconSound::kNav1], 0u) << "back to 0 after the third repetition";
    EXPECT_EQ(b.counters[BeaconSound::kAdf], 10u);
    // On the third repetition a NAV receiver with the DME on it keys the DME's tone.
    b.QueuePhrase(0, 0, 0);
    b.navStates[0] = 2;
    cockpit::theAudioPanelButtons.audioMixDME = 1;
    for (int s = 0; s < 30; ++s)
        b.CountSecond(win::HWND{});
    const std::vector<int> ring = Ring();
    ASSERT_FALSE(ring.empty());
    EXPECT_EQ(std::count(ring.begin(), ring.end(), 201), 3);
    EXPECT_EQ(std::count(ring.begin(), ring.end(), 101), 3 * 2);
    // Long idents are cut at nine characters.
    b.SetIdent(BeaconSound::kDme, "ABCDEFGHIJKL");
    EXPECT_EQ(b.Ident(BeaconSound::kDme), "ABCDEFGHI");
}

TEST_F(Beacon, TheIdentIsHeardInMorseWithinItsFirstTenSeconds) {
    cockpit::theAudioPanelButtons.audioMixNav1 = 1;
    theBeaconSound.SetIdent(BeaconSound::kNav1, "OSI");
    const std::size_t from = CapturedFrames();
    Ticks(static_cast<int>(18.2 * 16));
    double hz = 0;
    EXPECT_EQ(Heard(from, &hz), "osi");
    EXPECT_NEAR(hz, 1020, 15);
    // Without battery power the counters stand still and nothing more is keyed.
    cockpit::thePanelSwitches.batteryPower = 0;
    const std::size_t off = CapturedFrames();
    Ticks(static_cast<int>(18.2 * 12));
    EXPECT_EQ(Heard(off), "");
}

TEST_F(Beacon, SoundThatCameBackReopensTheBeacon) {
    cockpit::theAudioPanelButtons.audioMixNav2 = 1;
    theBeaconSound.SetIdent(BeaconSound::kNav2, "E");
    for (int s = 0; s < 9; ++s)
        theBeaconSound.CountSecond(win::HWND{});
    ShutdownSound();
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    EXPECT_EQ(theBeaconSound.buffer, nullptr);
    const std::size_t from = CapturedFrames();
    Ticks(static_cast<int>(18.2 * 4));
    EXPECT_EQ(Heard(from), "e");
}

}  // namespace
