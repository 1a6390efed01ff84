// System failures: the failure periods, the rolls with the seeded generator, resets, the debug
// report, and the "Reliability" section.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "core/numeric.h"
#include "flight/system_failures.h"

namespace {

using flight::Instrument;
using flight::SystemReliability;

std::vector<std::string> theReports;
void RecordReport(const char* text) {
    theReports.emplace_back(text);
}

class Failures : public ::testing::Test {
protected:
    void SetUp() override {
        flight::ResetSystemFailures();
        cockpit::thePitotHeatOn = 0;
        core::srand(1);
        theReports.clear();
        flight::theSystemFailureReport = &RecordReport;
    }
    void TearDown() override {
        flight::ResetSystemFailures();
        cockpit::thePitotHeatOn = 0;
    }
    static void AllMayFail() {
        for (int i = 0; i < flight::kInstrumentCount; ++i)
            SystemReliability::SetMayFail(static_cast<Instrument>(i), 1);
    }
    static std::string Path(const char* name) {
        const std::string p = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::remove(p.c_str());
        return p;
    }
};

TEST_F(Failures, PeriodFromPercent) {
    const struct {
        int percent;
        int period;
    } cases[] = {{0, 1}, {100, 1}, {50, 1080}, {90, 5400}, {1, 545}, {99, 54000}};
    for (const auto& c : cases) {
        flight::FailureTimer t;
        t.SetPeriod(c.percent);
        EXPECT_EQ(t.reload, c.period) << c.percent;
        EXPECT_EQ(t.current, 900);  // only a reload moves the current period
    }
    SystemReliability::SetElectricalReliability(150);
    EXPECT_EQ(SystemReliability::GetElectricalReliability(), 100);
    SystemReliability::SetVacuumReliability(-5);
    EXPECT_EQ(SystemReliability::GetVacuumReliability(), 0);
    EXPECT_EQ(flight::theVacuumSystem.timer.reload, 1);
}

TEST_F(Failures, NeverAtFullReliabilityAtOnceAtZero) {
    AllMayFail();
    const std::uint32_t state = core::TheRandom().State();
    auto r = SystemReliability::Create(0);
    for (int i = 0; i < 100; ++i)
        r->Update();
    EXPECT_EQ(core::TheRandom().State(), state);  // no roll at 100 percent
    for (int i = 0; i < flight::kInstrumentCount; ++i)
        EXPECT_TRUE(SystemReliability::IsWorking(static_cast<Instrument>(i)));

    SystemReliability::SetPowerReliability(0);
    r->Update();
    EXPECT_TRUE(SystemReliability::IsLeftEngineWorking());  // the period waits for a reset
    SystemReliability::ResetAll();
    r->Update();
    EXPECT_FALSE(SystemReliability::IsLeftEngineWorking());
    EXPECT_FALSE(SystemReliability::IsRightEngineWorking());
    EXPECT_TRUE(SystemReliability::IsAdfWorking());
}

TEST_F(Failures, FailureWithoutMayFailKeepsInstrumentsWorking) {
    SystemReliability::SetElectricalReliability(0);
    SystemReliability::ResetAll();
    EXPECT_EQ(flight::theElectricalSystem.Update(), 1);
    EXPECT_TRUE(SystemReliability::IsNav1Working());
    SystemReliability::SetNav1MayFail(1);
    EXPECT_EQ(flight::theElectricalSystem.Update(), 1);
    EXPECT_FALSE(SystemReliability::IsNav1Working());
    EXPECT_TRUE(SystemReliability::IsDmeWorking());
    // Failed stays failed; a reset clears it and keeps the may-fail flag.
    SystemReliability::SetElectricalReliability(100);
    flight::theElectricalSystem.Update();
    EXPECT_FALSE(SystemReliability::IsNav1Working());
    SystemReliability::ResetAll();
    EXPECT_TRUE(SystemReliability::IsNav1Working());
    EXPECT_EQ(SystemReliability::GetNav1MayFail(), 1);
}

TEST_F(Failures, PitotHeatKeepsThePitotStaticSystemFromRolling) {
    AllMayFail();
    SystemReliability::SetPitotStaticReliability(0);
    SystemReliability::ResetAll();
    cockpit::thePitotHeatOn = 1;
    auto plain = SystemReliability::Create(0);
    plain->Update();
    EXPECT_TRUE(SystemReliability::IsAirspeedWorking());
    flight::SystemReliabilityDebug debug;
    debug.Update();  // the debug variant rolls it anyway
    EXPECT_FALSE(SystemReliability::IsAltimeterWorking());
    SystemReliability::ResetPitotStatic();
    EXPECT_TRUE(SystemReliability::IsAltimeterWorking());
}

TEST_F(Failures, DebugReportsEverySystemThatFailed) {
    SystemReliability::SetElectricalReliability(0);
    SystemReliability::SetVacuumReliability(0);
    SystemReliability::ResetAll();
    flight::SystemReliabilityDebug debug;
    debug.Update();
    EXPECT_EQ(theReports, (std::vector<std::string>{"System has frozen", "System has frozen"}));
}

// With the same seed and settings the same instruments fail at the same seconds.
TEST_F(Failures, ReproducibleRunAfterRun) {
    auto run = [](std::uint32_t seed) {
        flight::ResetSystemFailures();
        AllMayFail();
        SystemReliability::SetElectricalReliability(95);
        SystemReliability::SetPitotStaticReliability(97);
        SystemReliability::SetPowerReliability(99);
        SystemReliability::SetVacuumReliability(96);
        SystemReliability::ResetAll();
        core::srand(seed);
        auto r = SystemReliability::Create(0);
        std::vector<int> failedAt(flight::kInstrumentCount, -1);
        for (int second = 0; second < 20000; ++second) {
            r->Update();
            for (int i = 0; i < flight::kInstrumentCount; ++i)
                if (failedAt[i] < 0 && !SystemReliability::IsWorking(static_cast<Instrument>(i)))
                    failedAt[i] = second;
        }
        return failedAt;
    };
    const std::vector<int> first = run(7);
    EXPECT_EQ(run(7), first);
    EXPECT_NE(run(8), first);
    // Instruments of one system fail together.
    EXPECT_EQ(first[0], first[5]);
    EXPECT_EQ(first[9], first[10]);
    int failed = 0;
    for (int t : first)
        failed += t >= 0;
    EXPECT_GT(failed, 0);
}

TEST_F(Failures, ReliabilitySectionRoundTrips) {
    const std::string path = Path("reliability_test.ini");
    SystemReliability::SetElectricalReliability(30);
    SystemReliability::SetPitotStaticReliability(60);
    SystemReliability::SetPowerReliability(80);
    SystemReliability::SetVacuumReliability(0);
    SystemReliability::SetDmeMayFail(1);
    SystemReliability::SetVerticalSpeedMayFail(1);
    SystemReliability::SetHeadingMayFail(1);
    SystemReliability::ResetAll();
    flight::theVacuumSystem.Update();  // heading fails
    core::IniFile file(path.c_str());
    ASSERT_EQ(flight::SaveReliabilitySettings(file, 1), 1);

    const flight::FailureTimer electricalTimer = flight::theElectricalSystem.timer;
    flight::ResetSystemFailures();
    ASSERT_EQ(flight::LoadReliabilitySettings(file, 1), 1);
    EXPECT_EQ(SystemReliability::GetElectricalReliability(), 30);
    EXPECT_EQ(SystemReliability::GetPitotStaticReliability(), 60);
    EXPECT_EQ(SystemReliability::GetPowerReliability(), 80);
    EXPECT_EQ(SystemReliability::GetVacuumReliability(), 0);
    EXPECT_EQ(SystemReliability::GetDmeMayFail(), 1);
    EXPECT_EQ(SystemReliability::GetVerticalSpeedMayFail(), 1);
    EXPECT_EQ(SystemReliability::GetAdfMayFail(), 0);
    EXPECT_FALSE(SystemReliability::IsHeadingWorking());
    // Loading leaves both periods as they were.
    EXPECT_EQ(flight::theElectricalSystem.timer.reload, 900);
    EXPECT_NE(electricalTimer.reload, 900);

    // Without state, the failed flags stay as they are.
    SystemReliability::ResetAll();
    ASSERT_EQ(flight::LoadReliabilitySettings(file, 0), 1);
    EXPECT_TRUE(SystemReliability::IsHeadingWorking());
}

TEST_F(Failures, LoadingClampsAndDefaults) {
    const std::string path = Path("reliability_bad.ini");
    core::IniFile file(path.c_str());
    file.PutInt("Reliability", "elecPct", 150);
    file.PutInt("Reliability", "pitotPct", -5);
    file.PutString("Reliability", "powerPct", "lots");
    ASSERT_EQ(flight::LoadReliabilitySettings(file, 1), 1);
    EXPECT_EQ(SystemReliability::GetElectricalReliability(), 100);
    EXPECT_EQ(SystemReliability::GetPitotStaticReliability(), 0);
    EXPECT_EQ(SystemReliability::GetPowerReliability(), 0);
    EXPECT_EQ(SystemReliability::GetVacuumReliability(), 100);  // absent: the default
}

}  // namespace
