// System failures: four aircraft systems (electrical, pitot-static, engine power, vacuum) each
// fail at random by their reliability percentage, about once a simulated second, taking down the
// instruments the user allowed to fail. Gauges, radios and engines ask whether theirs still works.
// The state lives in four global systems, so every SystemReliability gives the same answers.
#pragma once

#include <cstdint>
#include <memory>

namespace core {
class IniFile;
}

namespace flight {

struct FailureTimer {
    static constexpr std::int32_t kBaseInterval = 900;
    std::int32_t current = kBaseInterval;
    std::int32_t reload = kBaseInterval;
    // reload = base x 60 / (100 - percent); 1 for 0 and 100 percent.
    void SetPeriod(int percent, std::int32_t base = kBaseInterval);
    void Reload() { current = reload; }
};

// {may fail, failed} of one instrument.
struct InstrumentFlags {
    std::uint8_t mayFail = 0;
    std::uint8_t failed = 0;
};

class SysRelSubSystem {
public:
    virtual ~SysRelSubSystem() = default;
    // Period back to the reload period, every failed flag cleared (may-fail flags stay).
    virtual void Reset();
    // Rolls for a failure; 1 when the system failed (also when no instrument could).
    virtual int Update();

    [[nodiscard]] int Percent() const { return percent; }
    // Clamps to 0..100, stores it and sets the reload period.
    void SetPercent(int value);
    // Stores the clamped percentage alone, as loading a situation does.
    void StorePercent(int value);

    [[nodiscard]] int InstrumentCount() const { return count; }
    [[nodiscard]] InstrumentFlags& Instrument(int i) { return instruments[i]; }
    [[nodiscard]] const InstrumentFlags& Instrument(int i) const { return instruments[i]; }

    FailureTimer timer;

protected:
    SysRelSubSystem(InstrumentFlags* flags, int instrumentCount)
        : instruments(flags), count(instrumentCount) {}

private:
    InstrumentFlags* instruments;
    int count;
    std::int8_t percent = 100;
};

// ADF, DME, NAV1, NAV2, transponder, turn coordinator.
class SysRelElectrical : public SysRelSubSystem {
public:
    SysRelElectrical() : SysRelSubSystem(flags, 6) {}
    void Reset() override;
    int Update() override;

private:
    InstrumentFlags flags[6];
};

// Airspeed, altimeter, vertical speed.
class SysRelPitotStatic : public SysRelSubSystem {
public:
    SysRelPitotStatic() : SysRelSubSystem(flags, 3) {}
    void Reset() override;
    int Update() override;

private:
    InstrumentFlags flags[3];
};

// Left and right engine.
class SysRelPower : public SysRelSubSystem {
public:
    SysRelPower() : SysRelSubSystem(flags, 2) {}
    void Reset() override;
    int Update() override;

private:
    InstrumentFlags flags[2];
};

// Attitude and heading indicators.
class SysRelVacuum : public SysRelSubSystem {
public:
    SysRelVacuum() : SysRelSubSystem(flags, 2) {}
    void Reset() override;
    int Update() override;

private:
    InstrumentFlags flags[2];
};

extern SysRelElectrical theElectricalSystem;
extern SysRelPitotStatic thePitotStaticSystem;
extern SysRelPower thePowerSystem;
extern SysRelVacuum theVacuumSystem;

// The thirteen instruments, in the order of the settings.
enum class Instrument {
    Adf,
    Dme,
    Nav1,
    Nav2,
    Transponder,
    TurnCoordinator,
    Airspeed,
    Altimeter,
    VerticalSpeed,
    LeftEngine,
    RightEngine,
    Attitude,
    Heading
};
inline constexpr int kInstrumentCount = 13;

class SystemReliability {
public:
    virtual ~SystemReliability() = default;
    // Electrical, then pitot-static unless the pitot heat is on, then power, then vacuum.
    virtual void Update();

    // The debug variant when `debugAllowed` and the settings' "Debug" "SysRel" are both non-zero.
    [[nodiscard]] static std::unique_ptr<SystemReliability> Create(int debugAllowed);

    static void ResetAll();
    static void ResetPitotStatic();

    static int GetElectricalReliability() { return theElectricalSystem.Percent(); }
    static void SetElectricalReliability(int pct) { theElectricalSystem.SetPercent(pct); }
    static int GetPitotStaticReliability() { return thePitotStaticSystem.Percent(); }
    static void SetPitotStaticReliability(int pct) { thePitotStaticSystem.SetPercent(pct); }
    static int GetPowerReliability() { return thePowerSystem.Percent(); }
    static void SetPowerReliability(int pct) { thePowerSystem.SetPercent(pct); }
    static int GetVacuumReliability() { return theVacuumSystem.Percent(); }
    static void SetVacuumReliability(int pct) { theVacuumSystem.SetPercent(pct); }

    static int GetMayFail(Instrument i);
    static void SetMayFail(Instrument i, int flag);
    static bool IsWorking(Instrument i);

    static int GetAdfMayFail() { return GetMayFail(Instrument::Adf); }
    static void SetAdfMayFail(int f) { SetMayFail(Instrument::Adf, f); }
    static bool IsAdfWorking() { return IsWorking(Instrument::Adf); }
    static int GetDmeMayFail() { return GetMayFail(Instrument::Dme); }
    static void SetDmeMayFail(int f) { SetMayFail(Instrument::Dme, f); }
    static bool IsDmeWorking() { return IsWorking(Instrument::Dme); }
    static int GetNav1MayFail() { return GetMayFail(Instrument::Nav1); }
    static void SetNav1MayFail(int f) { SetMayFail(Instrument::Nav1, f); }
    static bool IsNav1Working() { return IsWorking(Instrument::Nav1); }
    static int GetNav2MayFail() { return GetMayFail(Instrument::Nav2); }
    static void SetNav2MayFail(int f) { SetMayFail(Instrument::Nav2, f); }
    static bool IsNav2Working() { return IsWorking(Instrument::Nav2); }
    static int GetTransponderMayFail() { return GetMayFail(Instrument::Transponder); }
    static void SetTransponderMayFail(int f) { SetMayFail(Instrument::Transponder, f); }
    static bool IsTransponderWorking() { return IsWorking(Instrument::Transponder); }
    static int GetTurnCoordinatorMayFail() { return GetMayFail(Instrument::TurnCoordinator); }
    static void SetTurnCoordinatorMayFail(int f) { SetMayFail(Instrument::TurnCoordinator, f); }
    static bool IsTurnCoordinatorWorking() { return IsWorking(Instrument::TurnCoordinator); }
    static int GetAirspeedMayFail() { return GetMayFail(Instrument::Airspeed); }
    static void SetAirspeedMayFail(int f) { SetMayFail(Instrument::Airspeed, f); }
    static bool IsAirspeedWorking() { return IsWorking(Instrument::Airspeed); }
    static int GetAltimeterMayFail() { return GetMayFail(Instrument::Altimeter); }
    static void SetAltimeterMayFail(int f) { SetMayFail(Instrument::Altimeter, f); }
    static bool IsAltimeterWorking() { return IsWorking(Instrument::Altimeter); }
    static int GetVerticalSpeedMayFail() { return GetMayFail(Instrument::VerticalSpeed); }
    static void SetVerticalSpeedMayFail(int f) { SetMayFail(Instrument::VerticalSpeed, f); }
    static bool IsVerticalSpeedWorking() { return IsWorking(Instrument::VerticalSpeed); }
    static int GetLeftEngineMayFail() { return GetMayFail(Instrument::LeftEngine); }
    static void SetLeftEngineMayFail(int f) { SetMayFail(Instrument::LeftEngine, f); }
    static bool IsLeftEngineWorking() { return IsWorking(Instrument::LeftEngine); }
    static int GetRightEngineMayFail() { return GetMayFail(Instrument::RightEngine); }
    static void SetRightEngineMayFail(int f) { SetMayFail(Instrument::RightEngine, f); }
    static bool IsRightEngineWorking() { return IsWorking(Instrument::RightEngine); }
    static int GetAttitudeMayFail() { return GetMayFail(Instrument::Attitude); }
    static void SetAttitudeMayFail(int f) { SetMayFail(Instrument::Attitude, f); }
    static bool IsAttitudeWorking() { return IsWorking(Instrument::Attitude); }
    static int GetHeadingMayFail() { return GetMayFail(Instrument::Heading); }
    static void SetHeadingMayFail(int f) { SetMayFail(Instrument::Heading, f); }
    static bool IsHeadingWorking() { return IsWorking(Instrument::Heading); }

    // Instances come from the class's own pool.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size);
};

// Shows a failure report with no owner window; the program's message box by default.
extern void (*theSystemFailureReport)(const char* text);

// Updates every system and shows "System has frozen" for each one that failed.
class SystemReliabilityDebug : public SystemReliability {
public:
    void Update() override;
};

// The "Reliability" section: percentages and may-fail flags, and the failed flags when asked.
int LoadReliabilitySettings(core::IniFile& file, int withState);
int SaveReliabilitySettings(core::IniFile& file, int withState);

// Puts the four systems back to their start state (tests and a fresh world).
void ResetSystemFailures();

}  // namespace flight
