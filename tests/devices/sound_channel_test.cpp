// Sound as a whole and the effect channels: opening (or not), priorities, muting, fades and the
// "Sound" section.
#include <gtest/gtest.h>

#include "sound_fixture.h"

namespace {

using namespace devices;
using devicestest::SoundFixture;
using devicestest::ToneBytes;

class Channels : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        Clip("fx", 40, ToneBytes(500, 1.0));
        Clip("fx", 41, ToneBytes(900, 1.0));
        Clip("fx", 42, ToneBytes(700, 0.2));
    }
    double Level(std::size_t from) {
        return testsupport::Rms(testsupport::Channel(Captured(), 0, from));
    }
};

TEST_F(Channels, EnabledZeroOpensNoDeviceAndEveryCallIsQuiet) {
    core::theIniFile.PutInt("Sound", "Enabled", 0);
    EXPECT_EQ(InitSound(win::HWND{}), 0);
    EXPECT_FALSE(IsSoundOpen());
    EXPECT_EQ(win::DirectSoundLibraryLoads(), 0);
    EXPECT_EQ(theEffectSound.Play(40, 0, 0, 0, 1, 0), 1);  // skipped counts as done
    EXPECT_EQ(theEffectSound.buffer, nullptr);
    EXPECT_EQ(theLeftEngineSound.RaiseLevel(200, -200), 1) << "an engine start completes silently";
    EXPECT_EQ(theLeftEngineSound.LowerFrequency(-500, 9000), 1);
    Run(500);
    EXPECT_FALSE(machine.Sound().EverOpened());
}

TEST_F(Channels, AMoreImportantSoundIsNotInterrupted) {
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    ASSERT_EQ(theAmbientSound.Play(40, 0, 0, 0, 1, 5), 1);
    EXPECT_EQ(theAmbientSound.Play(41, 0, 0, 0, 1, 10), 0) << "10 is less important than 5";
    EXPECT_EQ(theAmbientSound.effectId, 40);
    EXPECT_EQ(theAmbientSound.Play(41, 0, 0, 0, 1, 5), 1) << "an equal priority replaces";
    EXPECT_EQ(theAmbientSound.effectId, 41);
    EXPECT_EQ(theAmbientSound.Play(40, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(theAmbientSound.effectId, 40);
    // A stopped sound gives way to anything; a missing clip plays nothing and says so.
    theAmbientSound.Stop();
    EXPECT_EQ(theAmbientSound.effectId, 0);
    EXPECT_EQ(theAmbientSound.Play(99, 0, 0, 0, 1, 20), 0);
    EXPECT_EQ(theAmbientSound.buffer, nullptr);
}

TEST_F(Channels, MutedChannelsSkipOneShotsAndStartLoopsSilent) {
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    theEffectSound.SetMute(1);
    EXPECT_EQ(theEffectSound.Play(42, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(theEffectSound.buffer, nullptr) << "a muted one-shot plays nothing";
    theEffectSound.categoryVolume = -100;
    ASSERT_EQ(theEffectSound.Play(40, 0, -300, 0, 1, 0), 1);
    std::int32_t v = 0;
    ASSERT_EQ(theEffectSound.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, -10000);
    Run(100);
    const std::size_t at = CapturedFrames();
    Run(300);
    EXPECT_EQ(Level(at), 0);
    theEffectSound.SetMute(0);
    ASSERT_EQ(theEffectSound.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, -400) << "unmuting gives back the group's volume plus the clip's level";
    const std::size_t on = CapturedFrames();
    Run(300);
    EXPECT_GT(Level(on), 1000);
}

TEST_F(Channels, FadesReportTheirEnds) {
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    ASSERT_EQ(theLeftEngineSound.Play(40, 0, -800, 0, 1, 0), 1);
    int steps = 0;
    while (theLeftEngineSound.RaiseLevel(200, -200) == 0)
        ++steps;
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(theLeftEngineSound.level, -200);
    steps = 0;
    while (theLeftEngineSound.LowerLevel(-100, -1000) == 0)
        ++steps;
    EXPECT_EQ(steps, 7);
    EXPECT_EQ(theLeftEngineSound.level, -1000);
    ASSERT_EQ(theLeftEngineSound.SetFrequency(10000), 1);
    EXPECT_EQ(theLeftEngineSound.LowerFrequency(-500, 9000), 0);
    EXPECT_EQ(theLeftEngineSound.GetFrequency(), 9500);
    EXPECT_EQ(theLeftEngineSound.LowerFrequency(-600, 9000), 1);
    EXPECT_EQ(theLeftEngineSound.GetFrequency(), 9000);
}

TEST_F(Channels, TheSoundSectionIsKeptAndItsBadValuesHeld) {
    core::IniFile file(folder.Path("s.ini").c_str());
    file.PutString("Sound", "engVol", "loud");
    file.PutInt("Sound", "effVol", -50000);
    file.PutInt("Sound", "atcVol", 500);
    file.PutInt("Sound", "engMute", 7);
    file.PutInt("Sound", "engLeftPrevFreq", 250000);
    file.PutInt("Sound", "engLeftPrevVol", 99);
    ASSERT_EQ(LoadSoundSettings(file), 1);
    EXPECT_EQ(theLeftStarterSound.categoryVolume, 0);  // text reads as 0
    EXPECT_EQ(theEffectSound.categoryVolume, -10000);
    EXPECT_EQ(theSystemsSound.categoryVolume, -10000);
    EXPECT_EQ(theEnginesMuted, 1u);
    EXPECT_EQ(theAmbientSound.muted, 1u);
    EXPECT_EQ(theLeftEngineSound.frequency, 0);
    EXPECT_EQ(theLeftEngineSound.lastLevel, 0);
    core::IniFile out(folder.Path("out.ini").c_str());
    EXPECT_EQ(SaveSoundSettings(out), 1);
    EXPECT_EQ(out.GetInt("Sound", "effVol", 1), -10000);
    EXPECT_EQ(out.GetInt("Sound", "atcVol", 1), 100);
    EXPECT_EQ(out.GetInt("Sound", "engMute", 0), 1);
    theEnginesMuted = 0;
    for (SoundChannel* c : {&theLeftStarterSound, &theRightStarterSound, &theLeftEngineSound,
                            &theRightEngineSound, &theAmbientSound})
        c->muted = 0;
}

TEST_F(Channels, PausingSuspendsAndTheUsersChoiceHolds) {
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    SuspendSound();
    EXPECT_FALSE(IsSoundOpen());
    EXPECT_TRUE(IsSoundSuspended());
    ResumeSound();
    EXPECT_TRUE(IsSoundOpen());
    EXPECT_FALSE(IsSoundSuspended());
    theSoundOffByUser = 1;
    SwitchSound(1);
    SuspendSound();
    EXPECT_FALSE(IsSoundSuspended()) << "sound the user turned off is not the pause's to resume";
    theSoundOffByUser = 0;
}

}  // namespace
