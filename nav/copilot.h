// The copilot: its settings (the "CoPilot" section of a situation: the master flag and six
// categories of help) and its take-off calls, spoken through the ATC speaker while a departure
// runs: the rising airspeed in steps of ten knots and "rotate" for the piston and turboprop
// aircraft, a fixed set of jet calls for the CitationJet.
#pragma once

#include <cstdint>

namespace core {
class IniFile;
}

namespace nav {

struct CopilotSettings {
    CopilotSettings();

    // Arms the take-off calls for the current aircraft.
    void ResetCallouts();
    // One step of the take-off calls (nothing while the master flag is 0).
    void TickCallouts();
    void TickTakeoffSpeeds();

    // The six categories of help ("Takeoff", "Radios", "Navigation", "Advice", "Altitude",
    // "Heading") and the master flag ("CoPilot").
    std::int32_t takeoff = 0;
    std::int32_t radios = 0;
    std::int32_t navigation = 0;
    std::int32_t advice = 0;
    std::int32_t altitude = 0;
    std::int32_t heading = 0;
    std::int32_t master = 0;
    std::int32_t spare = 0;

    // The jet's calls still to come and the values that set them off.
    std::int32_t enginePending = 0;
    std::int32_t firstSpeedPending = 0;
    std::int32_t secondSpeedPending = 0;
    std::int32_t decisionPending = 0;
    std::int32_t rotatePending = 0;  // also the other aircraft's rotate call
    std::int32_t climbSpeedPending = 0;
    std::int32_t climbPending = 0;
    std::int32_t engineAt = 0;
    std::int32_t firstSpeedAt = 0;
    std::int32_t secondSpeedAt = 0;
    std::int32_t decisionAt = 0;
    std::int32_t rotateAt = 0;
    std::int32_t climbSpeedAt = 0;

    std::int32_t lastSpeedCalled = 0;
    std::int32_t rotateSpeed = 0;

    // Advice already given this session: taxi, line-up, base (cleared by each session start).
    std::int32_t taxiAdviceGiven = 0;
    std::int32_t lineUpAdviceGiven = 0;
    std::int32_t baseAdviceGiven = 0;
};

extern CopilotSettings theCopilotSettings;

// The copilot's radio and navigation help switches on the controllers' presets: the next
// facility's frequency in COM1's standby window ("Radios"), the next plan node's station in
// NAV1's or the ADF's ("Navigation"), for the copilot (or the pilot) to swap into use.
void ApplyCopilotPresets(const CopilotSettings& c);

int LoadCopilotSettings(core::IniFile& file);
int SaveCopilotSettings(core::IniFile& file);

}  // namespace nav
