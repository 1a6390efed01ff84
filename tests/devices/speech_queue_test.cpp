// The spoken-word queue, heard: word clips that are tones coded by their id are queued, streamed
// at the sound step's rate, and read back from the card's capture.
#include "devices/speech_queue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "sound_fixture.h"

namespace {

using namespace devices;
using devicestest::SoundFixture;
using devicestest::ToneBytes;

// The tone of word id: 200 Hz plus 20 Hz per id (ids below 100; a base of 100 adds nothing).
double ToneOf(int id) {
    return 200 + 20 * (id % 100);
}

class Speech : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        Clip("atc", SpeechQueue::kSilenceClip, std::vector<std::uint8_t>(3300, 0x80));
        ASSERT_EQ(InitSound(win::HWND{}), 1);
    }
    void TearDown() override {
        queue.Close();
        SoundFixture::TearDown();
    }
    void Word(int id, double seconds = 0.12) {
        Clip("atc", id, ToneBytes(ToneOf(id), seconds, 0.04));
    }
    // Streams until the buffer has stopped (or the time is up): the step every third tick.
    void Speak(int maxTicks = 2000) {
        for (int t = 0; t < maxTicks; ++t) {
            if (t % 3 == 0) queue.ProcessTheATCqueue(win::HWND{}, 0);
            Run(t % 5 == 0 ? 54 : 55);
            if (t > 3 && queue.IsPlaying() == 0 &&
                queue.ring[queue.playIndex] == SpeechQueue::kFreeSlot)
                return;
        }
    }
    // The ids heard since frame `from`.
    std::vector<int> Heard(std::size_t from) {
        std::vector<int> ids;
        const std::vector<double> left = testsupport::Channel(Captured(), 0, from);
        for (const testsupport::Segment& s :
             testsupport::Segments(left, devicestest::kRate, 300, 220))
            ids.push_back(static_cast<int>(std::lround((s.hz - 200) / 20)));
        return ids;
    }

    SpeechQueue queue;
};

TEST_F(Speech, FrequenciesAndNumbersAreSpokenWordByWordThenTheBufferStopsAtZero) {
    for (int id : {58, 10, 5, 2, 42})
        Word(100 + id);
    ASSERT_EQ(queue.OpenWordFolder("snd\\toweratc\\"), 1);
    queue.QueuePhrase(0, 0, 0);
    queue.QueueFrequency("118.05", 100);
    queue.QueueNumber(2500, 100);
    queue.speaking = 1;
    const std::size_t from = CapturedFrames();
    Speak();
    EXPECT_EQ(Heard(from), (std::vector<int>{58, 10, 5, 2, 5, 42}));
    EXPECT_EQ(queue.IsPlaying(), 0);
    std::uint32_t play = 1;
    ASSERT_EQ(queue.buffer->GetCurrentPosition(&play, nullptr), win::DS_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(queue.writePos, 0u);
    EXPECT_EQ(queue.endPos, 0u);
    // Heard to its end: the speaker is silent again, ready for its next utterance.
    EXPECT_EQ(queue.speaking, 0u);
    // An empty ring: the step has nothing to do.
    EXPECT_EQ(queue.ProcessTheATCqueue(win::HWND{}, 0), 1);
    EXPECT_EQ(queue.busy, 0u);
}

TEST_F(Speech, FortyWordsLongerThanTheBufferStreamWhole) {
    std::vector<int> ids;
    for (int id = 1; id <= 40; ++id) {
        Word(id, 0.5);
        ids.push_back(id);
    }
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.QueuePhrase(0, 0, 0);
    for (int id : ids)
        ASSERT_EQ(queue.AppendWord(static_cast<std::uint16_t>(id)), 1);
    queue.speaking = 1;
    const std::size_t from = CapturedFrames();
    Speak();
    EXPECT_EQ(Heard(from), ids);
}

TEST_F(Speech, AStallPlaysSilenceNeverAnEarlierWord) {
    for (int id = 1; id <= 25; ++id)
        Word(id, 0.25);
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.QueuePhrase(0, 0, 0);
    for (int id = 1; id <= 20; ++id)
        queue.AppendWord(static_cast<std::uint16_t>(id));
    Speak();
    // A short second utterance over the first one's bytes, and the program stalls for 1.5 s.
    queue.QueuePhrase(0, 0, 0);
    for (int id = 21; id <= 25; ++id)
        queue.AppendWord(static_cast<std::uint16_t>(id));
    const std::size_t from = CapturedFrames();
    queue.ProcessTheATCqueue(win::HWND{}, 0);
    Run(55);
    queue.ProcessTheATCqueue(win::HWND{}, 0);
    Run(1500);
    Speak();
    EXPECT_EQ(Heard(from), (std::vector<int>{21, 22, 23, 24, 25}));
}

TEST_F(Speech, TheRingHoldsNinetyWords) {
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.QueuePhrase(0, 0, 0);
    for (int i = 0; i < SpeechQueue::kRingSize; ++i)
        ASSERT_EQ(queue.AppendWord(7), 1) << i;
    EXPECT_EQ(queue.AppendWord(7), 0);
    // Appending starts at the play index and wraps from the last slot to the first.
    queue.ClearRing();
    queue.playIndex = 88;
    for (std::uint16_t id : {1, 2, 3})
        queue.AppendWord(id);
    EXPECT_EQ(queue.ring[88], 1);
    EXPECT_EQ(queue.ring[89], 2);
    EXPECT_EQ(queue.ring[0], 3);
}

TEST_F(Speech, TextsNumbersAndFrequenciesBecomeWordIds) {
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    auto words = [&](const std::function<void()>& queueIt) {
        queue.QueuePhrase(0, 0, 0);
        queueIt();
        std::vector<int> out;
        for (int i = 0; i < SpeechQueue::kRingSize && queue.ring[i] != SpeechQueue::kFreeSlot; ++i)
            out.push_back(queue.ring[i]);
        return out;
    };
    std::string runway = "27L";
    EXPECT_EQ(words([&] { queue.QueueText(runway, 0, 0); }), (std::vector<int>{2, 7, 38}));
    EXPECT_EQ(runway, "27L") << "the caller's text stays as it was";
    EXPECT_EQ(words([&] { queue.QueueText("9r", 0, 0); }), (std::vector<int>{9, 39}));
    EXPECT_EQ(words([&] { queue.QueueText("c", 0, 0); }), (std::vector<int>{40}));
    EXPECT_EQ(words([&] { queue.QueueSpelled("Ab.", 0, 100); }), (std::vector<int>{111, 112, 137}));
    const struct {
        std::int16_t n;
        std::vector<int> ids;
    } numbers[] = {{2500, {2, 5, 42}}, {3000, {3, 41}}, {10000, {1, 10, 41}},
                   {120, {1, 2, 10}},  {5, {5}},        {-500, {10, 5, 42}}};
    for (const auto& n : numbers)
        EXPECT_EQ(words([&] { queue.QueueNumber(n.n, 0); }), n.ids) << n.n;
    EXPECT_EQ(words([&] { queue.QueueFrequency("121.80", 0); }), (std::vector<int>{61, 8}));
    EXPECT_EQ(words([&] { queue.QueueFrequency("118.05", 0); }), (std::vector<int>{58, 10, 5}));
    EXPECT_TRUE(words([&] { queue.QueueFrequency("121.8", 0); }).empty());
    EXPECT_TRUE(words([&] { queue.QueueFrequency("x21.80", 0); }).empty());
}

TEST_F(Speech, MissingAndUnfitClipsSpeakAsSilence) {
    Word(1);
    Word(3);
    // A stereo 16-bit clip and one longer than the ring can ever take.
    Clip("atc", 2, std::vector<std::uint8_t>(8000, 0x40), 11025, 2, 16);
    Clip("atc", 4, std::vector<std::uint8_t>(140000, 0x20));
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.QueuePhrase(0, 0, 0);
    for (std::uint16_t id : {1, 2, 9, 4, 3})
        queue.AppendWord(id);
    queue.speaking = 1;
    const std::size_t from = CapturedFrames();
    Speak();
    EXPECT_EQ(Heard(from), (std::vector<int>{1, 3}));
    EXPECT_EQ(queue.IsPlaying(), 0);
}

TEST_F(Speech, WithoutItsSilenceClipTheQueueMakesOne) {
    std::filesystem::remove(folder.Path("atc/195.wav"));
    Word(1);
    Word(2);
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.QueuePhrase(0, 0, 0);
    queue.AppendWord(1);
    queue.AppendWord(77);  // missing too
    queue.AppendWord(2);
    queue.speaking = 1;
    const std::size_t from = CapturedFrames();
    Speak();
    EXPECT_EQ(Heard(from), (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.IsPlaying(), 0) << "the utterance ends";
}

TEST_F(Speech, MuteAndVolumeAsTheSoundDialogUsesThem) {
    Word(1, 1.0);
    ASSERT_EQ(queue.OpenWordFolder("w"), 1);
    queue.volume = -600;
    queue.SetMute(1);
    queue.QueuePhrase(0, 0, 0);
    queue.AppendWord(1);
    queue.ProcessTheATCqueue(win::HWND{}, 0);
    std::int32_t v = 0;
    ASSERT_EQ(queue.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, -10000);
    queue.SetMute(0);
    ASSERT_EQ(queue.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, -600);
    queue.SetVolume(-300);
    ASSERT_EQ(queue.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, -300);
    EXPECT_EQ(queue.Flush(), 1);
    EXPECT_EQ(queue.buffer, nullptr);
    EXPECT_EQ(queue.speaking, 0u);
    // While idle a volume changes nothing.
    queue.SetVolume(-2000);
    EXPECT_EQ(queue.volume, -300);
}

}  // namespace
