// Processor-speed detail presets: the processor's clock rate is measured at start and a fixed
// set of scenery graphics settings picked for it, so a slow machine starts with little detail.
#pragma once

#include <cstdint>

namespace sim {

class AutoComplex {
public:
    virtual ~AutoComplex() = default;
    // Writes the preset's fourteen values into the current graphics profile.
    virtual void Apply() const;
    [[nodiscard]] virtual int MHz() const = 0;
    [[nodiscard]] virtual const std::int32_t* Values() const = 0;
};

class AutoComplex90 final : public AutoComplex {
public:
    [[nodiscard]] int MHz() const override { return 90; }
    [[nodiscard]] const std::int32_t* Values() const override;
};
class AutoComplex133 final : public AutoComplex {
public:
    [[nodiscard]] int MHz() const override { return 133; }
    [[nodiscard]] const std::int32_t* Values() const override;
};
class AutoComplex166 final : public AutoComplex {
public:
    [[nodiscard]] int MHz() const override { return 166; }
    [[nodiscard]] const std::int32_t* Values() const override;
};
class AutoComplex200 final : public AutoComplex {
public:
    [[nodiscard]] int MHz() const override { return 200; }
    [[nodiscard]] const std::int32_t* Values() const override;
};

// The presets in descending order of rate.
extern const AutoComplex* const theAutoComplexPresets[4];

// MHz, or -1 when it cannot be measured (four attempts).
int DetectProcessorSpeed();
// One attempt: four samples, -1 when any fails or they disagree.
int MeasureProcessorSpeed();
// The verdict on four samples: their snapped mean, or -1 when one is off by more than 1/32.
int JudgeSpeedSamples(const std::int64_t samples[4]);
int SnapProcessorSpeed(int mhz);
// The preset applied for `mhz`, or null below 90 MHz.
const AutoComplex* PresetFor(int mhz);
void ApplyAutoComplexity(int mhz);

// Replaces the one-sample measurement (tests); null restores the processor's own.
void SetSpeedSampler(std::int64_t (*sampler)());

}  // namespace sim
