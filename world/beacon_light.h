// The warning lights of obstacles and airport beacons: how an animated object's light kind sets
// up the sequences of its shape (which frame shows on, off, white or red) and how it blinks,
// timed by flight steps with two intervals drawn per light so that neighbouring lights drift
// apart. Written against any sequence state with Count, Has, Length and SetValue (the shape
// instance's, or a test's).
#pragma once

#include <cstdint>
#include <string>

namespace world {

inline constexpr std::uint16_t kNoBlinking = 0xFFFF;

struct BeaconLight {
    std::uint8_t kind = 0;          // light kind 0..7 of the obstacle record
    std::uint16_t mode = 0;         // 0..3, or kNoBlinking
    std::int16_t interval[2] = {6, 12};  // flight steps: after turning off, after turning on
    std::uint8_t phase = 1;
    std::uint32_t nextSwitch = 0;   // flight-step count of the next change

    // Draws the two intervals: 6..7 and 12..15 flight steps.
    void DrawIntervals();

    // Sets the shape's sequences for the light kind and picks the mode. A shape that lacks the
    // third frame a white-and-red light needs is reported in `report` (when given).
    template <typename Sequences>
    void SetUp(Sequences& s, const std::string& shapeName, std::string* report);

    // One frame in which the object is near: past the switch count the phase flips and the
    // next switch is set, never behind the current count; nothing by full day or without
    // blinking.
    template <typename Sequences>
    void Advance(Sequences& s, std::uint32_t flightSteps, int dayPeriod);
};

// ---- templates ------------------------------------------------------------------------------

template <typename Sequences>
void BeaconLight::SetUp(Sequences& s, const std::string& shapeName, std::string* report) {
    const int n = s.Count();
    auto set = [&](int sequence, std::uint32_t frame) {
        if (s.Has(sequence)) s.SetValue(sequence, frame);
    };
    switch (kind) {
        case 0:
        case 1:
            if (n > 2 && s.Has(2)) {
                set(0, 1);
                set(1, 1);
                set(2, 0);
                mode = 2;
                return;
            }
            break;
        case 2:
        case 7:
            if (n > 0) {
                set(0, 0);
                set(1, 0);
                if (n < 3) {
                    mode = 0;
                } else if (s.Length(2) > 2) {
                    set(2, 2);
                    mode = 3;
                } else {
                    if (report != nullptr)
                        *report = "Bad shape: " + shapeName + " lacks extended white/red sequence";
                    set(2, 1);
                    mode = 0;
                }
                return;
            }
            break;
        case 3:
        case 4:
            if (n > 0) {
                set(0, 0);
                if (s.Has(0)) mode = 0;
                set(1, 0);
                if (n >= 3 && s.Has(2)) {
                    set(2, 1);
                    mode = 2;
                }
                return;
            }
            break;
        case 5:
            if (n > 2 && s.Has(2)) {
                set(0, 1);
                set(1, 1);
                set(2, 0);
                mode = kNoBlinking;
                return;
            }
            break;
        case 6:
            if (n > 0) {
                for (int i = 0; i < 3; ++i)
                    set(i, 1);
                mode = kNoBlinking;
                return;
            }
            break;
        default:
            break;
    }
    set(0, 0);
    if (s.Has(0)) mode = 0;
    set(1, 0);
    if (s.Has(2)) {
        set(2, 1);
        mode = 2;
    }
}

template <typename Sequences>
void BeaconLight::Advance(Sequences& s, std::uint32_t flightSteps, int dayPeriod) {
    if (mode == kNoBlinking || dayPeriod == 1) return;
    if (static_cast<std::int32_t>(flightSteps - nextSwitch) < 0) return;
    phase = phase != 0 ? 0 : 1;
    nextSwitch += static_cast<std::uint32_t>(phase == 0 ? interval[0] : interval[1]);
    // A light that fell behind (the object was out of sight) starts again from now rather
    // than flashing to catch up.
    if (static_cast<std::int32_t>(nextSwitch - flightSteps) < 0) nextSwitch = flightSteps;
    if (mode == 3) {
        if (s.Has(0)) s.SetValue(0, phase);
        if (s.Has(2)) s.SetValue(2, phase != 0 ? 1u : 2u);
    } else if (s.Has(mode)) {
        s.SetValue(mode, phase);
    }
}

}  // namespace world
