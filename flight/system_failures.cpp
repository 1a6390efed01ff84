#include "flight/system_failures.h"

#include <array>
#include <new>
#include <string>

#include "core/ini_file.h"
#include "core/numeric.h"
#include "core/pool_alloc.h"
#include "flight/flight_hooks.h"

namespace flight {

SysRelElectrical theElectricalSystem;
SysRelPitotStatic thePitotStaticSystem;
SysRelPower thePowerSystem;
SysRelVacuum theVacuumSystem;

namespace {

void ShowWithMessageBox(const char* text) {
    theFlightHooks.showMessage(text);
}

core::PoolAlloc& SysRelPool() {
    static core::PoolAlloc pool(static_cast<std::uint16_t>(sizeof(SystemReliability)), 4);
    return pool;
}

int ClampPercent(int value) {
    return value < 0 ? 0 : value > 100 ? 100 : value;
}

// Where each instrument lives: its system and its place there, and its settings stem.
struct InstrumentPlace {
    SysRelSubSystem* system;
    int index;
    const char* stem;
};

const std::array<InstrumentPlace, kInstrumentCount>& Places() {
    static const std::array<InstrumentPlace, kInstrumentCount> places = {{
        {&theElectricalSystem, 0, "adf"},
        {&theElectricalSystem, 1, "dme"},
        {&theElectricalSystem, 2, "nav1"},
        {&theElectricalSystem, 3, "nav2"},
        {&theElectricalSystem, 4, "trans"},
        {&theElectricalSystem, 5, "tc"},
        {&thePitotStaticSystem, 0, "as"},
        {&thePitotStaticSystem, 1, "alt"},
        {&thePitotStaticSystem, 2, "vs"},
        {&thePowerSystem, 0, "left"},
        {&thePowerSystem, 1, "right"},
        {&theVacuumSystem, 0, "att"},
        {&theVacuumSystem, 1, "head"},
    }};
    return places;
}

InstrumentFlags& Flags(Instrument i) {
    const InstrumentPlace& p = Places()[static_cast<std::size_t>(i)];
    return p.system->Instrument(p.index);
}

// The systems in settings order, each with its percentage key and the first of its instruments.
struct SystemKeys {
    SysRelSubSystem* system;
    const char* percentKey;
    int firstInstrument;
};
const std::array<SystemKeys, 4>& Systems() {
    static const std::array<SystemKeys, 4> systems = {{
        {&theElectricalSystem, "elecPct", 0},
        {&thePitotStaticSystem, "pitotPct", 6},
        {&thePowerSystem, "powerPct", 9},
        {&theVacuumSystem, "vacPct", 11},
    }};
    return systems;
}

// A failure takes down every instrument that may fail and has not failed yet.
void FailInstruments(SysRelSubSystem& system) {
    for (int i = 0; i < system.InstrumentCount(); ++i) {
        InstrumentFlags& f = system.Instrument(i);
        if (f.mayFail != 0 && f.failed == 0) f.failed = 1;
    }
}

int FailIfRolled(SysRelSubSystem& system, int rolled) {
    if (rolled != 0) FailInstruments(system);
    return rolled;
}

void ClearFailures(SysRelSubSystem& system) {
    system.timer.Reload();
    for (int i = 0; i < system.InstrumentCount(); ++i)
        system.Instrument(i).failed = 0;
}

}  // namespace

void (*theSystemFailureReport)(const char* text) = &ShowWithMessageBox;

// ---- timer and systems ------------------------------------------------------------------------

void FailureTimer::SetPeriod(int pct, std::int32_t base) {
    if (pct <= 0 || pct >= 100)
        reload = 1;
    else
        reload = base * 60 / (100 - pct);
}

void SysRelSubSystem::SetPercent(int value) {
    StorePercent(value);
    timer.SetPeriod(percent);
}

void SysRelSubSystem::StorePercent(int value) {
    percent = static_cast<std::int8_t>(ClampPercent(value));
}

void SysRelSubSystem::Reset() {
    timer.Reload();
}

int SysRelSubSystem::Update() {
    if (percent >= 100) return 0;
    // A period of 1 fails at once; one above 32768 can fail only on a roll of 0.
    const std::int32_t period = timer.current > 0 ? timer.current : 1;
    return (core::rand() % period) == 0 ? 1 : 0;
}

void SysRelElectrical::Reset() {
    ClearFailures(*this);
}

int SysRelElectrical::Update() {
    return FailIfRolled(*this, SysRelSubSystem::Update());
}

void SysRelPitotStatic::Reset() {
    ClearFailures(*this);
}

int SysRelPitotStatic::Update() {
    return FailIfRolled(*this, SysRelSubSystem::Update());
}

void SysRelPower::Reset() {
    ClearFailures(*this);
}

int SysRelPower::Update() {
    return FailIfRolled(*this, SysRelSubSystem::Update());
}

void SysRelVacuum::Reset() {
    ClearFailures(*this);
}

int SysRelVacuum::Update() {
    return FailIfRolled(*this, SysRelSubSystem::Update());
}

// ---- the reliability object ---------------------------------------------------------------------

void SystemReliability::Update() {
    theElectricalSystem.Update();
    if (theFlightHooks.pitotHeatOn() == 0) thePitotStaticSystem.Update();
    thePowerSystem.Update();
    theVacuumSystem.Update();
}

void SystemReliabilityDebug::Update() {
    SysRelSubSystem* systems[] = {&theElectricalSystem, &thePitotStaticSystem, &thePowerSystem,
                                  &theVacuumSystem};
    for (SysRelSubSystem* s : systems) {
        if (s->Update() != 0) theSystemFailureReport("System has frozen");
    }
}

std::unique_ptr<SystemReliability> SystemReliability::Create(int debugAllowed) {
    if (debugAllowed != 0 && core::theIniFile.GetInt("Debug", "SysRel", 0) != 0)
        return std::unique_ptr<SystemReliability>(new SystemReliabilityDebug);
    return std::unique_ptr<SystemReliability>(new SystemReliability);
}

void* SystemReliability::operator new(std::size_t size) {
    // Objects of the pool's size come from the pool; any other size from the heap.
    void* p = size == SysRelPool().ElementSize() ? SysRelPool().Alloc() : ::operator new(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void SystemReliability::operator delete(void* p, std::size_t size) {
    if (size == SysRelPool().ElementSize())
        SysRelPool().Free(p);
    else
        ::operator delete(p);
}

void SystemReliability::ResetAll() {
    theElectricalSystem.Reset();
    thePitotStaticSystem.Reset();
    thePowerSystem.Reset();
    theVacuumSystem.Reset();
}

void SystemReliability::ResetPitotStatic() {
    thePitotStaticSystem.Reset();
}

int SystemReliability::GetMayFail(Instrument i) {
    return Flags(i).mayFail;
}

void SystemReliability::SetMayFail(Instrument i, int flag) {
    Flags(i).mayFail = static_cast<std::uint8_t>(flag);
}

bool SystemReliability::IsWorking(Instrument i) {
    return Flags(i).failed == 0;
}

// ---- settings -----------------------------------------------------------------------------------

int LoadReliabilitySettings(core::IniFile& file, int withState) {
    static constexpr const char* kSection = "Reliability";
    const auto& places = Places();
    for (const SystemKeys& s : Systems()) {
        // A loaded percentage waits for the next reset of the periods, as the dialog does it.
        s.system->StorePercent(file.GetInt(kSection, s.percentKey, 100));
        for (int i = 0; i < s.system->InstrumentCount(); ++i) {
            const std::string key =
                std::string(places[static_cast<std::size_t>(s.firstInstrument + i)].stem) +
                "MayFail";
            s.system->Instrument(i).mayFail =
                static_cast<std::uint8_t>(file.GetInt(kSection, key.c_str(), 0));
        }
    }
    if (withState != 0) {
        for (const InstrumentPlace& p : places) {
            const std::string key = std::string(p.stem) + "State";
            p.system->Instrument(p.index).failed =
                static_cast<std::uint8_t>(file.GetInt(kSection, key.c_str(), 0));
        }
    }
    return 1;
}

int SaveReliabilitySettings(core::IniFile& file, int withState) {
    static constexpr const char* kSection = "Reliability";
    const auto& places = Places();
    int ok = 1;
    for (const SystemKeys& s : Systems()) {
        if (file.PutInt(kSection, s.percentKey, s.system->Percent()) == 0) ok = 0;
        for (int i = 0; i < s.system->InstrumentCount(); ++i) {
            const std::string key =
                std::string(places[static_cast<std::size_t>(s.firstInstrument + i)].stem) +
                "MayFail";
            if (file.PutInt(kSection, key.c_str(), s.system->Instrument(i).mayFail) == 0) ok = 0;
        }
    }
    if (withState != 0) {
        for (const InstrumentPlace& p : places) {
            const std::string key = std::string(p.stem) + "State";
            if (file.PutInt(kSection, key.c_str(), p.system->Instrument(p.index).failed) == 0)
                ok = 0;
        }
    }
    return ok;
}

void ResetSystemFailures() {
    for (const SystemKeys& s : Systems()) {
        s.system->StorePercent(100);
        s.system->timer = FailureTimer{};
        for (int i = 0; i < s.system->InstrumentCount(); ++i)
            s.system->Instrument(i) = InstrumentFlags{};
    }
}

}  // namespace flight
