// The SDL machine's sound card and sticks on a machine without either: SDL's dummy audio driver
// takes the sound in real time, the queue is kept about 90 ms deep, and a machine without sticks
// simply has none (and no force feedback).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <vector>

#include "platform/backend.h"

namespace {

using namespace platform;

TEST(SdlAudio, TheDummyCardKeepsAboutNinetyMillisecondsQueued) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::unique_ptr<Backend> sdl = CreateSdlBackend();
    if (!sdl) GTEST_SKIP() << "SDL cannot start";
    Audio& card = sdl->GetAudio();
    EXPECT_EQ(card.FramesDue(), 0u) << "closed";
    if (!card.Open(AudioFormat{11025, 2})) GTEST_SKIP() << "no SDL audio driver at all";
    EXPECT_TRUE(card.IsOpen());
    // Nothing queued yet: it wants about 90 ms.
    const std::size_t due = card.FramesDue();
    EXPECT_GE(due, 950u);
    EXPECT_LE(due, 1000u);
    const std::vector<std::int16_t> sound(2 * due, 100);
    ASSERT_TRUE(card.Feed(sound.data(), sound.size()));
    EXPECT_LT(card.FramesDue(), due);
    card.Close();
    EXPECT_FALSE(card.IsOpen());
    EXPECT_FALSE(card.Feed(sound.data(), sound.size()));

    Joysticks& sticks = sdl->GetJoysticks();
    const int n = sticks.Count();
    JoystickInfo info;
    JoystickState state;
    EXPECT_FALSE(sticks.GetInfo(n, &info));
    EXPECT_FALSE(sticks.Read(n, &state));
    EXPECT_FALSE(sticks.Read(-1, &state));
    // No stick there, so nothing pushes back.
    EXPECT_EQ(sdl->GetHaptics().Open(n), nullptr);
    EXPECT_EQ(sdl->GetHaptics().Open(-1), nullptr);
}

}  // namespace
