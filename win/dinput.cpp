#include "win/dinput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/backend.h"

namespace win {

namespace {

constexpr std::array<std::uint8_t, 8> kAxisTail = {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0};
constexpr std::array<std::uint8_t, 8> kEffectTail = {0x9A, 0xD0, 0x00, 0xA0,
                                                     0xC9, 0xA0, 0x6E, 0x35};
// Our own instance and product identifiers of the machine's sticks: the index is in data1.
constexpr std::array<std::uint8_t, 8> kStickTail = {'z', 'e', 'p', 'h', 's', 't', 'c', 'k'};
constexpr std::uint32_t kInstanceBase = 0x7A690000u;
constexpr std::uint32_t kProductBase = 0x7A690100u;
constexpr std::uint32_t kMaxSticks = 16;

std::int32_t theObjectsAlive = 0;

}  // namespace

const GUID GUID_XAxis = MakeGuid(0xA36D02E0u, 0xC9F3, 0x11CF, kAxisTail);
const GUID GUID_YAxis = MakeGuid(0xA36D02E1u, 0xC9F3, 0x11CF, kAxisTail);
const GUID GUID_ZAxis = MakeGuid(0xA36D02E2u, 0xC9F3, 0x11CF, kAxisTail);
const GUID GUID_RzAxis = MakeGuid(0xA36D02E3u, 0xC9F3, 0x11CF, kAxisTail);
const GUID GUID_Slider = MakeGuid(0xA36D02E4u, 0xC9F3, 0x11CF, kAxisTail);
const GUID GUID_Joystick = MakeGuid(0x6F1D2B70u, 0xD5A0, 0x11CF, kAxisTail);
const GUID GUID_ConstantForce = MakeGuid(0x13541C20u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_RampForce = MakeGuid(0x13541C21u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Square = MakeGuid(0x13541C22u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Sine = MakeGuid(0x13541C23u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Triangle = MakeGuid(0x13541C24u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_SawtoothUp = MakeGuid(0x13541C25u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_SawtoothDown = MakeGuid(0x13541C26u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Spring = MakeGuid(0x13541C27u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Damper = MakeGuid(0x13541C28u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Inertia = MakeGuid(0x13541C29u, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Friction = MakeGuid(0x13541C2Au, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_CustomForce = MakeGuid(0x13541C2Bu, 0x8E33, 0x11D0, kEffectTail);
const GUID IID_IDirectInput = MakeGuid(0x89521360u, 0xAA8A, 0x11CF, kAxisTail);
const GUID IID_IDirectInputDevice = MakeGuid(0x5944E680u, 0xC92E, 0x11CF, kAxisTail);
const GUID IID_IDirectInputDevice2 = MakeGuid(0x5944E682u, 0xC92E, 0x11CF, kAxisTail);
const GUID IID_IDirectInputEffect =
    MakeGuid(0xE7E1F7C0u, 0x88D2, 0x11D0, kEffectTail);

DirectInputFaults theDirectInputFaults;

std::int32_t DirectInputObjectsAlive() {
    return theObjectsAlive;
}

DIObject::DIObject() {
    ++theObjectsAlive;
}

DIObject::~DIObject() {
    --theObjectsAlive;
}

std::uint32_t DIObject::Release() {
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- the kept parameter record and its conversion ------------------------------------------

struct DIEffectRecord {
    GUID guid;
    platform::HapticType type = platform::HapticType::Constant;
    std::uint32_t flags = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;
    std::uint32_t duration = INFINITE;
    std::uint32_t samplePeriod = 0;
    std::uint32_t gain = DI_FFNOMINALMAX;
    std::uint32_t triggerButton = DIEB_NOTRIGGER;
    std::uint32_t triggerRepeat = 0;
    std::vector<std::uint32_t> axes;
    std::vector<std::int32_t> directions;
    bool hasEnvelope = false;
    DIENVELOPE envelope;
    bool hasTypeParams = false;
    DICONSTANTFORCE constant;
    DIPERIODIC periodic;
    std::vector<DICONDITION> conditions;

    int id = -1;  // the device's effect; -1 while not downloaded
    bool started = false;
    std::uint32_t startMs = 0;
    std::uint32_t iterations = 0;
    bool hasSent = false;
    platform::HapticEffect sent;

    [[nodiscard]] std::uint32_t TypeParamsSize() const {
        if (!hasTypeParams) return 0;
        if (platform::IsCondition(type))
            return static_cast<std::uint32_t>(conditions.size()) * kDIConditionSize;
        return platform::IsPeriodic(type) ? kDIPeriodicSize : kDIConstantForceSize;
    }
};

struct DIDeviceCore {
    int joystickIndex = -1;
    std::unique_ptr<platform::HapticDevice> haptic;
    std::uint32_t features = 0;
    struct FormatObject {
        std::uint32_t offset;
        std::uint32_t type;
    };
    std::vector<FormatObject> format;
    bool formatSet = false;
    bool acquired = false;
    bool actuatorsOn = true;
    bool paused = false;
    std::vector<IDirectInputEffect*> effects;  // created and not released, in order

    // The button a trigger offset names in the data format (1 for the first button), 0 none.
    [[nodiscard]] std::uint16_t ButtonAt(std::uint32_t offset) const {
        if (offset == DIEB_NOTRIGGER) return 0;
        std::uint16_t ordinal = 0;
        for (const FormatObject& o : format) {
            if ((o.type & DIDFT_BUTTON) == 0) continue;
            ++ordinal;
            if (o.offset == offset) return ordinal;
        }
        return 0;
    }
};

namespace {

std::optional<platform::HapticType> TypeOf(const GUID& g) {
    using platform::HapticType;
    static const std::pair<const GUID*, HapticType> kTypes[] = {
        {&GUID_ConstantForce, HapticType::Constant}, {&GUID_Sine, HapticType::Sine},
        {&GUID_Triangle, HapticType::Triangle},      {&GUID_SawtoothUp, HapticType::SawtoothUp},
        {&GUID_SawtoothDown, HapticType::SawtoothDown}, {&GUID_Spring, HapticType::Spring},
        {&GUID_Damper, HapticType::Damper},          {&GUID_Inertia, HapticType::Inertia},
        {&GUID_Friction, HapticType::Friction}};
    for (const auto& [guid, type] : kTypes)
        if (*guid == g) return type;
    return std::nullopt;
}

// The effect GUIDs of the interface this machine has no device effect for.
bool IsKnownButMissing(const GUID& g) {
    return g == GUID_Square || g == GUID_RampForce || g == GUID_CustomForce;
}

// A nominal value -10000..10000 with the effect's gain folded in, in the device's +-32767.
std::int16_t Level(std::int64_t nominal, std::uint32_t gain) {
    nominal = std::clamp<std::int64_t>(nominal, -DI_FFNOMINALMAX, DI_FFNOMINALMAX);
    return static_cast<std::int16_t>(nominal * gain / DI_FFNOMINALMAX * 32767 / DI_FFNOMINALMAX);
}

// 0..10000 of a range in the device's 0..65535.
std::uint16_t Fraction(std::int64_t nominal) {
    nominal = std::clamp<std::int64_t>(nominal, 0, DI_FFNOMINALMAX);
    return static_cast<std::uint16_t>(nominal * 65535 / DI_FFNOMINALMAX);
}

std::uint32_t Milliseconds(std::uint32_t micros, std::uint32_t most) {
    return std::min<std::uint32_t>(static_cast<std::uint32_t>((std::uint64_t{micros} + 500) / 1000),
                                   most);
}

std::int32_t FoldHundredths(std::int64_t v) {
    v %= 36000;
    return static_cast<std::int32_t>(v < 0 ? v + 36000 : v);
}

std::int32_t PolarDirection(const DIEffectRecord& r) {
    if (r.directions.empty()) return 0;
    if (r.flags & DIEFF_POLAR) return FoldHundredths(r.directions[0]);
    // Cartesian: x to the right, y toward the user; the polar angle turns clockwise from
    // "away from the user".
    double x = 0, y = 0;
    for (std::size_t i = 0; i < r.directions.size() && i < r.axes.size(); ++i)
        (r.axes[i] == 0 ? x : y) = r.directions[i];
    if (r.axes.empty() && !r.directions.empty()) x = r.directions[0];
    if (x == 0 && y == 0) return 0;
    const double degrees = std::atan2(x, -y) * 180 / std::numbers::pi;
    return FoldHundredths(std::llround(degrees * 100));
}

platform::HapticEffect ToHaptic(const DIEffectRecord& r, const DIDeviceCore& core) {
    platform::HapticEffect e;
    e.type = r.type;
    e.length =
        r.duration == INFINITE ? platform::kHapticInfinity : Milliseconds(r.duration, 0xFFFFFFFEu);
    e.button = core.ButtonAt(r.triggerButton);
    e.interval = static_cast<std::uint16_t>(Milliseconds(r.triggerRepeat, 0xFFFF));
    if (platform::IsCondition(r.type)) {
        // One record per axis in the axes' order (records beyond the effect's axes go nowhere);
        // a single record serves every axis.
        static constexpr std::uint32_t kBothAxes[2] = {0, 4};
        const std::uint32_t* axes = r.axes.empty() ? kBothAxes : r.axes.data();
        const std::size_t axisCount = r.axes.empty() ? 2 : r.axes.size();
        for (std::size_t i = 0; i < axisCount; ++i) {
            if (r.conditions.size() != 1 && i >= r.conditions.size()) break;
            const DICONDITION& c = r.conditions.size() == 1 ? r.conditions[0] : r.conditions[i];
            const std::size_t a = axes[i] == 4 ? 1 : 0;
            e.right[a] = Level(c.lPositiveCoefficient, r.gain);
            e.left[a] = Level(c.lNegativeCoefficient, r.gain);
            e.center[a] = Level(c.lOffset, DI_FFNOMINALMAX);
            e.rightSaturation[a] = Fraction(c.dwPositiveSaturation);
            e.leftSaturation[a] = Fraction(c.dwNegativeSaturation);
            e.deadband[a] = Fraction(c.lDeadBand);
        }
        return e;
    }
    e.direction = PolarDirection(r);
    if (r.hasEnvelope) {
        e.attackLength = static_cast<std::uint16_t>(Milliseconds(r.envelope.dwAttackTime, 0xFFFF));
        e.fadeLength = static_cast<std::uint16_t>(Milliseconds(r.envelope.dwFadeTime, 0xFFFF));
        e.attackLevel = static_cast<std::uint16_t>(Level(r.envelope.dwAttackLevel, r.gain));
        e.fadeLevel = static_cast<std::uint16_t>(Level(r.envelope.dwFadeLevel, r.gain));
    }
    if (platform::IsPeriodic(r.type)) {
        e.magnitude = Level(r.periodic.dwMagnitude, r.gain);
        e.offset = Level(r.periodic.lOffset, r.gain);
        e.phase = static_cast<std::uint16_t>(r.periodic.dwPhase % 36000);
        e.period = static_cast<std::uint16_t>(std::max<std::uint32_t>(
            Milliseconds(r.periodic.dwPeriod, 0xFFFF), 1));
    } else {
        e.level = Level(r.constant.lMagnitude, r.gain);
    }
    return e;
}

std::uint32_t DinputNowMs() {
    return platform::CurrentBackend().GetClock().Milliseconds();
}

// Checks the parts of `in` that `flags` names against the effect.
HRESULT Check(const DIEffectRecord& r, const DIEFFECT& in, std::uint32_t flags) {
    if ((flags & DIEP_GAIN) && in.dwGain > static_cast<std::uint32_t>(DI_FFNOMINALMAX))
        return DIERR_INVALIDPARAM;
    if (flags & DIEP_AXES) {
        // The stick's force axes are x (offset 0) and y (offset 4).
        if (in.cAxes < 1 || in.cAxes > 2 || in.rgdwAxes == nullptr ||
            (in.dwFlags & DIEFF_OBJECTOFFSETS) == 0)
            return DIERR_INVALIDPARAM;
        for (std::uint32_t i = 0; i < in.cAxes; ++i)
            if (in.rgdwAxes[i] != 0 && in.rgdwAxes[i] != 4) return DIERR_INVALIDPARAM;
    }
    if (flags & DIEP_DIRECTION) {
        const std::uint32_t system = in.dwFlags & (DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL);
        if (system == DIEFF_SPHERICAL) return DIERR_UNSUPPORTED;
        if ((system != DIEFF_CARTESIAN && system != DIEFF_POLAR) || in.rglDirection == nullptr ||
            in.cAxes < 1 || (system == DIEFF_POLAR && in.cAxes != 2))
            return DIERR_INVALIDPARAM;
    }
    if ((flags & DIEP_ENVELOPE) && in.lpEnvelope != nullptr &&
        in.lpEnvelope->dwSize != kDIEnvelopeSize)
        return DIERR_INVALIDPARAM;
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        const std::uint32_t cb = in.cbTypeSpecificParams;
        if (in.lpvTypeSpecificParams == nullptr) return DIERR_INVALIDPARAM;
        if (platform::IsCondition(r.type)) {
            if (cb == 0 || cb % kDIConditionSize != 0 || cb > 2 * kDIConditionSize)
                return DIERR_INVALIDPARAM;
        } else if (cb != (platform::IsPeriodic(r.type) ? kDIPeriodicSize : kDIConstantForceSize)) {
            return DIERR_INVALIDPARAM;
        }
    }
    return DI_OK;
}

// Merges the parts of `in` that `flags` names into `r`; nothing changes when one is invalid.
// The record's lists keep their storage, so a change allocates nothing.
HRESULT Merge(DIEffectRecord& r, const DIEFFECT& in, std::uint32_t flags) {
    if (const HRESULT c = Check(r, in, flags); FAILED(c)) return c;
    if (flags & DIEP_DURATION) r.duration = in.dwDuration;
    if (flags & DIEP_SAMPLEPERIOD) r.samplePeriod = in.dwSamplePeriod;
    if (flags & DIEP_GAIN) r.gain = in.dwGain;
    if (flags & DIEP_TRIGGERBUTTON) r.triggerButton = in.dwTriggerButton;
    if (flags & DIEP_TRIGGERREPEATINTERVAL) r.triggerRepeat = in.dwTriggerRepeatInterval;
    if (flags & DIEP_AXES) r.axes.assign(in.rgdwAxes, in.rgdwAxes + in.cAxes);
    if (flags & DIEP_DIRECTION) {
        const std::uint32_t system = in.dwFlags & (DIEFF_CARTESIAN | DIEFF_POLAR);
        r.flags = (r.flags & ~(DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL)) | system;
        r.directions.assign(in.rglDirection, in.rglDirection + std::min<std::uint32_t>(in.cAxes, 2));
    }
    if (flags & DIEP_ENVELOPE) {
        r.hasEnvelope = in.lpEnvelope != nullptr;
        if (r.hasEnvelope) r.envelope = *in.lpEnvelope;
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        const void* p = in.lpvTypeSpecificParams;
        if (platform::IsCondition(r.type)) {
            const auto* c = static_cast<const DICONDITION*>(p);
            r.conditions.assign(c, c + in.cbTypeSpecificParams / kDIConditionSize);
        } else if (platform::IsPeriodic(r.type)) {
            r.periodic = *static_cast<const DIPERIODIC*>(p);
        } else {
            r.constant = *static_cast<const DICONSTANTFORCE*>(p);
        }
        r.hasTypeParams = true;
    }
    return DI_OK;
}

}  // namespace

// ---- effects -------------------------------------------------------------------------------

IDirectInputEffect::IDirectInputEffect(std::shared_ptr<DIDeviceCore> core, const GUID& guid)
    : core_(std::move(core)), record_(std::make_unique<DIEffectRecord>()) {
    record_->guid = guid;
    record_->type = *TypeOf(guid);
}

IDirectInputEffect::~IDirectInputEffect() {
    Unload();
    std::erase(core_->effects, this);
}

HRESULT IDirectInputEffect::GetEffectGuid(GUID* out) const {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = record_->guid;
    return DI_OK;
}

HRESULT IDirectInputEffect::GetParameters(DIEFFECT* out, std::uint32_t flags) const {
    if (out == nullptr || out->dwSize != kDIEffectSize) return DIERR_INVALIDPARAM;
    const DIEffectRecord& r = *record_;
    HRESULT result = DI_OK;
    if (flags & DIEP_DURATION) out->dwDuration = r.duration;
    if (flags & DIEP_SAMPLEPERIOD) out->dwSamplePeriod = r.samplePeriod;
    if (flags & DIEP_GAIN) out->dwGain = r.gain;
    if (flags & DIEP_TRIGGERBUTTON) out->dwTriggerButton = r.triggerButton;
    if (flags & DIEP_TRIGGERREPEATINTERVAL) out->dwTriggerRepeatInterval = r.triggerRepeat;
    if (flags & (DIEP_AXES | DIEP_DIRECTION)) {
        const auto need = static_cast<std::uint32_t>(
            std::max(r.axes.size(), (flags & DIEP_DIRECTION) ? r.directions.size() : 0));
        if (out->cAxes < need) {
            out->cAxes = need;
            result = DIERR_MOREDATA;
        } else {
            if ((flags & DIEP_AXES) && out->rgdwAxes != nullptr)
                std::copy(r.axes.begin(), r.axes.end(), out->rgdwAxes);
            if ((flags & DIEP_DIRECTION) && out->rglDirection != nullptr) {
                std::fill(out->rglDirection, out->rglDirection + out->cAxes, 0);
                std::copy(r.directions.begin(), r.directions.end(), out->rglDirection);
                out->dwFlags = (out->dwFlags & ~(DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL)) |
                               (r.flags & (DIEFF_CARTESIAN | DIEFF_POLAR));
            }
            if (need > 0) out->cAxes = need;
        }
    }
    if (flags & DIEP_ENVELOPE) {
        if (!r.hasEnvelope)
            out->lpEnvelope = nullptr;
        else if (out->lpEnvelope != nullptr)
            *out->lpEnvelope = r.envelope;
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        const std::uint32_t need = r.TypeParamsSize();
        if (out->cbTypeSpecificParams < need) {
            out->cbTypeSpecificParams = need;
            return DIERR_MOREDATA;
        }
        if (need > 0 && out->lpvTypeSpecificParams == nullptr) return DIERR_INVALIDPARAM;
        out->cbTypeSpecificParams = need;
        if (platform::IsCondition(r.type))
            std::copy(r.conditions.begin(), r.conditions.end(),
                      static_cast<DICONDITION*>(out->lpvTypeSpecificParams));
        else if (need == kDIPeriodicSize)
            *static_cast<DIPERIODIC*>(out->lpvTypeSpecificParams) = r.periodic;
        else if (need == kDIConstantForceSize)
            *static_cast<DICONSTANTFORCE*>(out->lpvTypeSpecificParams) = r.constant;
    }
    return result;
}

HRESULT IDirectInputEffect::SetParameters(const DIEFFECT* in, std::uint32_t flags) {
    if (in == nullptr || in->dwSize != kDIEffectSize) return DIERR_INVALIDPARAM;
    if (const HRESULT r = Merge(*record_, *in, flags); FAILED(r)) return r;
    if (flags & DIEP_NODOWNLOAD) return DI_DOWNLOADSKIPPED;
    if (record_->id < 0) {
        if (!record_->hasTypeParams) return DI_DOWNLOADSKIPPED;
        if (const HRESULT r = Download(); FAILED(r)) return r;
    } else if (const HRESULT r = Send(); FAILED(r)) {
        return r;
    }
    if (flags & DIEP_START) return Start(1, 0);
    return DI_OK;
}

// The whole record goes to the device, unless the device already has exactly it.
HRESULT IDirectInputEffect::Send() {
    DIEffectRecord& r = *record_;
    if (!core_->haptic) return DIERR_INPUTLOST;
    const platform::HapticEffect e = ToHaptic(r, *core_);
    if (r.hasSent && r.sent == e) return DI_OK;
    if (!core_->haptic->UpdateEffect(r.id, e)) return DIERR_INPUTLOST;
    r.sent = e;
    r.hasSent = true;
    return DI_OK;
}

HRESULT IDirectInputEffect::Download() {
    DIEffectRecord& r = *record_;
    if (r.id >= 0) return DI_OK;
    if (!core_->haptic) return DIERR_INPUTLOST;
    if (!r.hasTypeParams) return DIERR_INCOMPLETEEFFECT;
    const platform::HapticEffect e = ToHaptic(r, *core_);
    r.id = core_->haptic->NewEffect(e);
    if (r.id < 0) return DIERR_DEVICEFULL;
    r.sent = e;
    r.hasSent = true;
    return DI_OK;
}

HRESULT IDirectInputEffect::Unload() {
    DIEffectRecord& r = *record_;
    if (r.id >= 0 && core_->haptic) core_->haptic->DestroyEffect(r.id);
    r.id = -1;
    r.started = false;
    r.hasSent = false;
    return DI_OK;
}

HRESULT IDirectInputEffect::Start(std::uint32_t iterations, std::uint32_t flags) {
    if (iterations == 0) return DIERR_INVALIDPARAM;
    if (const HRESULT r = Download(); FAILED(r)) return r;
    platform::HapticDevice& device = *core_->haptic;
    if (flags & DIES_SOLO) {
        device.StopAll();
        for (IDirectInputEffect* e : core_->effects)
            e->record_->started = false;
    }
    const std::uint32_t times = iterations == INFINITE ? platform::kHapticInfinity : iterations;
    if (!device.RunEffect(record_->id, times)) return DIERR_INPUTLOST;
    record_->started = true;
    record_->startMs = DinputNowMs();
    record_->iterations = iterations;
    return DI_OK;
}

HRESULT IDirectInputEffect::Stop() {
    DIEffectRecord& r = *record_;
    if (r.id < 0) return DI_OK;
    if (!core_->haptic) return DIERR_INPUTLOST;
    r.started = false;
    return core_->haptic->StopEffect(r.id) ? DI_OK : DIERR_INPUTLOST;
}

HRESULT IDirectInputEffect::GetEffectStatus(std::uint32_t* status) {
    if (status == nullptr) return DIERR_INVALIDPARAM;
    *status = 0;
    const DIEffectRecord& r = *record_;
    if (r.id < 0) return DI_OK;
    if (!core_->haptic) return DIERR_INPUTLOST;
    const int device = core_->haptic->EffectStatus(r.id);
    bool playing = device > 0;
    if (device < 0) {
        // The device cannot tell: our own record, ended by the effect's length.
        playing = r.started;
        if (playing && r.duration != INFINITE && r.iterations != INFINITE) {
            const std::uint64_t lasts =
                std::uint64_t{Milliseconds(r.duration, 0xFFFFFFFEu)} * r.iterations;
            playing = DinputNowMs() - r.startMs < lasts;
        }
    }
    if (playing) *status = DIEGES_PLAYING;
    return DI_OK;
}

// ---- devices -------------------------------------------------------------------------------

IDirectInputDevice::IDirectInputDevice(std::shared_ptr<DIDeviceCore> core)
    : core_(std::move(core)) {}

// Effects still alive lose their device effects and answer "lost" from now on.
IDirectInputDevice::~IDirectInputDevice() {
    for (IDirectInputEffect* e : core_->effects)
        e->Unload();
    core_->haptic.reset();
}

HRESULT IDirectInputDevice::QueryInterface(const GUID& iid, void** out) {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    const bool second = iid == IID_IDirectInputDevice2 && !theDirectInputFaults.queryInterfaceFails;
    if (!second && !(iid == IID_IDirectInputDevice)) return E_NOINTERFACE;
    AddRef();
    // Every device object of this machine has the second interface.
    if (second)
        *out = static_cast<IDirectInputDevice2*>(this);
    else
        *out = this;
    return DI_OK;
}

HRESULT IDirectInputDevice::SetDataFormat(const DIDATAFORMAT* f) {
    if (f == nullptr || f->dwSize != 24 || f->dwObjSize != 16 || f->dwDataSize % 4 != 0 ||
        (f->dwNumObjs > 0 && f->rgodf == nullptr) || theDirectInputFaults.dataFormatFails)
        return DIERR_INVALIDPARAM;
    if (core_->acquired) return DIERR_ACQUIRED;
    std::vector<DIDeviceCore::FormatObject> objects;
    for (std::uint32_t i = 0; i < f->dwNumObjs; ++i) {
        const DIOBJECTDATAFORMAT& o = f->rgodf[i];
        const std::uint32_t size = (o.dwType & DIDFT_BUTTON) ? 1 : 4;
        if (o.dwOfs + size > f->dwDataSize) return DIERR_INVALIDPARAM;
        objects.push_back({o.dwOfs, o.dwType});
    }
    core_->format = std::move(objects);
    core_->formatSet = true;
    return DI_OK;
}

HRESULT IDirectInputDevice::SetCooperativeLevel(HWND window, std::uint32_t flags) {
    const std::uint32_t access = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const std::uint32_t focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (!window || (access != DISCL_EXCLUSIVE && access != DISCL_NONEXCLUSIVE) ||
        (focus != DISCL_FOREGROUND && focus != DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    return DI_OK;
}

HRESULT IDirectInputDevice::SetProperty(std::uint32_t property, const DIPROPHEADER* header) {
    if (header == nullptr || header->dwHeaderSize != 16) return DIERR_INVALIDPARAM;
    if (property != DIPROP_AUTOCENTER) return DIERR_UNSUPPORTED;
    if (header->dwSize != 20 || header->dwHow != DIPH_DEVICE || header->dwObj != 0)
        return DIERR_INVALIDPARAM;
    const auto* p = reinterpret_cast<const DIPROPDWORD*>(header);
    if (p->dwData > DIPROPAUTOCENTER_ON) return DIERR_INVALIDPARAM;
    if (!core_->haptic || (core_->features & platform::kHapticAutocenter) == 0)
        return DI_PROPNOEFFECT;
    return core_->haptic->SetAutocenter(p->dwData == DIPROPAUTOCENTER_ON ? 100 : 0)
               ? DI_OK
               : DIERR_INPUTLOST;
}

HRESULT IDirectInputDevice::Acquire() {
    if (!core_->formatSet) return DIERR_INVALIDPARAM;
    if (theDirectInputFaults.acquireFails) return DIERR_OTHERAPPHASPRIO;
    if (core_->acquired) return S_FALSE;
    core_->acquired = true;
    return DI_OK;
}

HRESULT IDirectInputDevice::Unacquire() {
    if (!core_->acquired) return DI_NOEFFECT;
    core_->acquired = false;
    return DI_OK;
}

IDirectInputDevice2::IDirectInputDevice2(std::shared_ptr<DIDeviceCore> core)
    : IDirectInputDevice(std::move(core)) {}

HRESULT IDirectInputDevice2::CreateEffect(const GUID& effectGuid, const DIEFFECT* effect,
                                          IDirectInputEffect** out, void* outer) {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer != nullptr) return DIERR_NOAGGREGATION;
    const auto type = TypeOf(effectGuid);
    if (!type) return IsKnownButMissing(effectGuid) ? DIERR_UNSUPPORTED : DIERR_DEVICENOTREG;
    if (!core_->haptic) return DIERR_UNSUPPORTED;
    if ((core_->features & platform::HapticTypeBit(*type)) == 0) return DIERR_UNSUPPORTED;
    auto* e = new IDirectInputEffect(core_, effectGuid);
    core_->effects.push_back(e);
    if (effect != nullptr) {
        const HRESULT r = e->SetParameters(effect, DIEP_ALLPARAMS);
        if (FAILED(r)) {
            e->Release();
            return r;
        }
    }
    *out = e;
    return DI_OK;
}

HRESULT IDirectInputDevice2::SendForceFeedbackCommand(std::uint32_t flags) {
    if (!core_->haptic) return DIERR_INPUTLOST;
    platform::HapticDevice& device = *core_->haptic;
    const bool canPause = (core_->features & platform::kHapticPause) != 0;
    const bool hasGain = (core_->features & platform::kHapticGain) != 0;
    bool ok = true;
    switch (flags) {
        case DISFFC_RESET:
            for (IDirectInputEffect* e : core_->effects)
                e->Unload();
            ok = device.StopAll();
            if (core_->paused || !core_->actuatorsOn) ok = (canPause ? device.Unpause() : true) && ok;
            core_->paused = false;
            core_->actuatorsOn = true;
            break;
        case DISFFC_STOPALL:
            ok = device.StopAll();
            for (IDirectInputEffect* e : core_->effects)
                e->record_->started = false;
            break;
        case DISFFC_PAUSE:
            if (!canPause) return DIERR_UNSUPPORTED;
            ok = device.Pause();
            core_->paused = ok;
            break;
        case DISFFC_CONTINUE:
            if (!canPause) return DIERR_UNSUPPORTED;
            ok = device.Unpause();
            core_->paused = !ok && core_->paused;
            break;
        case DISFFC_SETACTUATORSON:
            ok = canPause ? device.Unpause() : (!hasGain || device.SetGain(100));
            core_->actuatorsOn = true;
            break;
        case DISFFC_SETACTUATORSOFF:
            ok = canPause ? device.Pause() : (!hasGain || device.SetGain(0));
            core_->actuatorsOn = false;
            break;
        default:
            return DIERR_INVALIDPARAM;
    }
    return ok ? DI_OK : DIERR_INPUTLOST;
}

HRESULT IDirectInputDevice2::GetForceFeedbackState(std::uint32_t* state) {
    if (state == nullptr) return DIERR_INVALIDPARAM;
    *state = 0;
    if (!core_->haptic) return DIERR_INPUTLOST;
    std::uint32_t s = DIGFFS_POWERON | DIGFFS_SAFETYSWITCHON | DIGFFS_USERFFSWITCHON;
    s |= core_->actuatorsOn ? DIGFFS_ACTUATORSON : DIGFFS_ACTUATORSOFF;
    if (core_->paused) s |= DIGFFS_PAUSED;
    if (core_->effects.empty()) s |= DIGFFS_EMPTY;
    bool playing = false;
    for (IDirectInputEffect* e : core_->effects) {
        std::uint32_t status = 0;
        playing = playing || (SUCCEEDED(e->GetEffectStatus(&status)) && status != 0);
    }
    if (!playing) s |= DIGFFS_STOPPED;
    *state = s;
    return DI_OK;
}

HRESULT IDirectInputDevice2::EnumCreatedEffectObjects(LPDIENUMEFFECTSINOBJCALLBACK callback,
                                                      void* ref, std::uint32_t flags) {
    if (callback == nullptr || flags != 0) return DIERR_INVALIDPARAM;
    // The callback may release what it is given: walk a copy and skip the ones gone meanwhile.
    const std::vector<IDirectInputEffect*> all = core_->effects;
    for (IDirectInputEffect* e : all) {
        if (std::find(core_->effects.begin(), core_->effects.end(), e) == core_->effects.end())
            continue;
        if (callback(e, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT IDirectInputDevice2::Poll() {
    return core_->haptic ? DI_NOEFFECT : DIERR_INPUTLOST;
}

// ---- the interface object ------------------------------------------------------------------

HRESULT IDirectInput::EnumDevices(std::uint32_t devType, LPDIENUMDEVICESCALLBACK callback,
                                  void* ref, std::uint32_t flags) {
    if (callback == nullptr) return DIERR_INVALIDPARAM;
    if (devType != 0 && devType != DIDEVTYPE_JOYSTICK) return DI_OK;
    platform::Joysticks& sticks = platform::CurrentBackend().GetJoysticks();
    const int count = std::min(sticks.Count(), static_cast<int>(kMaxSticks));
    for (int i = 0; i < count; ++i) {
        platform::JoystickInfo info;
        if (!sticks.GetInfo(i, &info)) continue;
        if ((flags & DIEDFL_FORCEFEEDBACK) && !info.haptic) continue;
        DIDEVICEINSTANCE d;
        d.guidInstance = MakeGuid(kInstanceBase + static_cast<std::uint32_t>(i), 0, 0, kStickTail);
        d.guidProduct = MakeGuid(kProductBase + static_cast<std::uint32_t>(i), 0, 0, kStickTail);
        d.dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_TRADITIONAL << 8);
        std::snprintf(d.tszInstanceName, sizeof d.tszInstanceName, "%s", info.name.c_str());
        std::snprintf(d.tszProductName, sizeof d.tszProductName, "%s", info.name.c_str());
        if (info.haptic) d.guidFFDriver = d.guidProduct;
        if (callback(&d, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT IDirectInput::CreateDevice(const GUID& instance, IDirectInputDevice** out, void* outer) {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer != nullptr) return DIERR_NOAGGREGATION;
    const std::uint32_t index = instance.data1 - kInstanceBase;
    platform::JoystickInfo info;
    if (instance.data4 != kStickTail || index >= kMaxSticks ||
        !platform::CurrentBackend().GetJoysticks().GetInfo(static_cast<int>(index), &info))
        return DIERR_DEVICENOTREG;
    auto core = std::make_shared<DIDeviceCore>();
    core->joystickIndex = static_cast<int>(index);
    if (info.haptic) core->haptic = platform::CurrentBackend().GetHaptics().Open(core->joystickIndex);
    if (core->haptic) core->features = core->haptic->Features();
    *out = new IDirectInputDevice2(std::move(core));
    return DI_OK;
}

HRESULT DirectInputCreate(HINSTANCE instance, std::uint32_t version, IDirectInput** out,
                          void* outer) {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (!instance) return DIERR_INVALIDPARAM;
    if (outer != nullptr) return DIERR_NOAGGREGATION;
    if (version > DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version < 0x0300) return DIERR_BETADIRECTINPUTVERSION;
    if (theDirectInputFaults.createFails) return DIERR_GENERIC;
    *out = new IDirectInput();
    return DI_OK;
}

}  // namespace win
