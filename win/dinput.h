// The input-device interface of force-feedback joysticks: enumerate the sticks, open one, set its
// data format, and create effects on it (constant forces, periodic waves, springs, dampers,
// inertia, friction) that are started, stopped, changed while they play, and released.
//
// Behind it are the machine's sticks and their force feedback (platform Haptics). An effect keeps
// one parameter record: SetParameters merges the parts its mask names and sends the whole record
// to the device, converted to the device's units (magnitudes and coefficients x 32767 / 10000,
// polar directions unchanged, periods and durations from microseconds to milliseconds, the
// per-effect gain folded into the magnitudes since the device has one gain for all); a record the
// device already has is not sent again. What the machine cannot do: device-stored effects and
// square waves do not exist (creation fails); exclusive access and acquisition are accepted and
// change nothing; the actuators are switched by pausing the device (or by its gain when it cannot
// pause); an effect's status comes from the device when it can tell, else from the effect's own
// record of being started and stopped.
//
// The calls keep the names and numeric values of the interface the program was written against
// (version 0x0500); the types are ours. Results are DI_OK (0), a positive success code, or a
// negative error.
#pragma once

#include <cstdint>
#include <memory>

#include "win/guid.h"
#include "win/handles.h"
#include "win/hresult.h"

namespace win {

inline constexpr std::uint32_t DIRECTINPUT_VERSION = 0x0500;
inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

// ---- results -------------------------------------------------------------------------------

inline constexpr HRESULT DI_OK = S_OK;
inline constexpr HRESULT DI_NOTATTACHED = S_FALSE;
inline constexpr HRESULT DI_PROPNOEFFECT = S_FALSE;
inline constexpr HRESULT DI_NOEFFECT = S_FALSE;
inline constexpr HRESULT DI_POLLEDDEVICE = 2;
inline constexpr HRESULT DI_DOWNLOADSKIPPED = 3;
inline constexpr HRESULT DI_EFFECTRESTARTED = 4;
inline constexpr HRESULT DI_TRUNCATED = 8;

inline constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
inline constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
inline constexpr HRESULT DIERR_BADDRIVERVER = static_cast<HRESULT>(0x80070077u);
inline constexpr HRESULT DIERR_DEVICENOTREG = REGDB_E_CLASSNOTREG;
inline constexpr HRESULT DIERR_NOTFOUND = static_cast<HRESULT>(0x80070002u);
inline constexpr HRESULT DIERR_OBJECTNOTFOUND = DIERR_NOTFOUND;
inline constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
inline constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
inline constexpr HRESULT DIERR_GENERIC = E_FAIL;
inline constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
inline constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
inline constexpr HRESULT DIERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x800704DFu);
inline constexpr HRESULT DIERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
inline constexpr HRESULT DIERR_OTHERAPPHASPRIO = E_ACCESSDENIED;
inline constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
inline constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
inline constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
inline constexpr HRESULT DIERR_READONLY = E_ACCESSDENIED;
inline constexpr HRESULT DIERR_HANDLEEXISTS = E_ACCESSDENIED;
inline constexpr HRESULT DIERR_INSUFFICIENTPRIVS = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT DIERR_DEVICEFULL = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT DIERR_MOREDATA = static_cast<HRESULT>(0x80040202u);
inline constexpr HRESULT DIERR_NOTDOWNLOADED = static_cast<HRESULT>(0x80040203u);
inline constexpr HRESULT DIERR_HASEFFECTS = static_cast<HRESULT>(0x80040204u);
inline constexpr HRESULT DIERR_NOTEXCLUSIVEACQUIRED = static_cast<HRESULT>(0x80040205u);
inline constexpr HRESULT DIERR_INCOMPLETEEFFECT = static_cast<HRESULT>(0x80040206u);
inline constexpr HRESULT DIERR_NOTBUFFERED = static_cast<HRESULT>(0x80040207u);
inline constexpr HRESULT DIERR_EFFECTPLAYING = static_cast<HRESULT>(0x80040208u);

// ---- devices and their enumeration ------------------------------------------------------------

inline constexpr std::uint32_t DIDEVTYPE_DEVICE = 1;
inline constexpr std::uint32_t DIDEVTYPE_MOUSE = 2;
inline constexpr std::uint32_t DIDEVTYPE_KEYBOARD = 3;
inline constexpr std::uint32_t DIDEVTYPE_JOYSTICK = 4;
inline constexpr std::uint32_t DIDEVTYPEJOYSTICK_TRADITIONAL = 2;

inline constexpr std::uint32_t DIEDFL_ALLDEVICES = 0x000;
inline constexpr std::uint32_t DIEDFL_ATTACHEDONLY = 0x001;
inline constexpr std::uint32_t DIEDFL_FORCEFEEDBACK = 0x100;

inline constexpr int DIENUM_STOP = 0;
inline constexpr int DIENUM_CONTINUE = 1;

inline constexpr std::uint32_t DISCL_EXCLUSIVE = 0x1;
inline constexpr std::uint32_t DISCL_NONEXCLUSIVE = 0x2;
inline constexpr std::uint32_t DISCL_FOREGROUND = 0x4;
inline constexpr std::uint32_t DISCL_BACKGROUND = 0x8;

// One device as enumeration reports it (580 bytes where the interface defines it).
struct DIDEVICEINSTANCE {
    std::uint32_t dwSize = 580;
    GUID guidInstance;
    GUID guidProduct;
    std::uint32_t dwDevType = 0;
    char tszInstanceName[260] = {};
    char tszProductName[260] = {};
    GUID guidFFDriver;
    std::uint16_t wUsagePage = 0;
    std::uint16_t wUsage = 0;
};
inline constexpr std::uint32_t kDIDeviceInstanceSize = 580;

// ---- data formats ------------------------------------------------------------------------------

inline constexpr std::uint32_t DIDF_ABSAXIS = 0x1;
inline constexpr std::uint32_t DIDF_RELAXIS = 0x2;

inline constexpr std::uint32_t DIDFT_RELAXIS = 0x01;
inline constexpr std::uint32_t DIDFT_ABSAXIS = 0x02;
inline constexpr std::uint32_t DIDFT_AXIS = 0x03;
inline constexpr std::uint32_t DIDFT_PSHBUTTON = 0x04;
inline constexpr std::uint32_t DIDFT_TGLBUTTON = 0x08;
inline constexpr std::uint32_t DIDFT_BUTTON = 0x0C;
inline constexpr std::uint32_t DIDFT_POV = 0x10;
inline constexpr std::uint32_t DIDFT_ANYINSTANCE = 0x00FFFF00;
inline constexpr std::uint32_t DIDFT_OPTIONAL = 0x80000000u;

struct DIOBJECTDATAFORMAT {
    const GUID* pguid = nullptr;  // null: any object of the type
    std::uint32_t dwOfs = 0;
    std::uint32_t dwType = 0;
    std::uint32_t dwFlags = 0;
};

struct DIDATAFORMAT {
    std::uint32_t dwSize = 24;
    std::uint32_t dwObjSize = 16;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwDataSize = 0;
    std::uint32_t dwNumObjs = 0;
    const DIOBJECTDATAFORMAT* rgodf = nullptr;
};

// ---- properties --------------------------------------------------------------------------------

inline constexpr std::uint32_t DIPROP_AUTOCENTER = 9;
inline constexpr std::uint32_t DIPROPAUTOCENTER_OFF = 0;
inline constexpr std::uint32_t DIPROPAUTOCENTER_ON = 1;
inline constexpr std::uint32_t DIPH_DEVICE = 0;
inline constexpr std::uint32_t DIPH_BYOFFSET = 1;

struct DIPROPHEADER {
    std::uint32_t dwSize = 0;
    std::uint32_t dwHeaderSize = 16;
    std::uint32_t dwObj = 0;
    std::uint32_t dwHow = 0;
};

struct DIPROPDWORD {
    DIPROPHEADER diph{20, 16, 0, 0};
    std::uint32_t dwData = 0;
};

// ---- effects -----------------------------------------------------------------------------------

inline constexpr std::int32_t DI_FFNOMINALMAX = 10000;
inline constexpr std::int32_t DI_DEGREES = 100;
inline constexpr std::int32_t DI_SECONDS = 1000000;

inline constexpr std::uint32_t DIEFF_OBJECTIDS = 0x01;
inline constexpr std::uint32_t DIEFF_OBJECTOFFSETS = 0x02;
inline constexpr std::uint32_t DIEFF_CARTESIAN = 0x10;
inline constexpr std::uint32_t DIEFF_POLAR = 0x20;
inline constexpr std::uint32_t DIEFF_SPHERICAL = 0x40;

inline constexpr std::uint32_t DIEP_DURATION = 0x001;
inline constexpr std::uint32_t DIEP_SAMPLEPERIOD = 0x002;
inline constexpr std::uint32_t DIEP_GAIN = 0x004;
inline constexpr std::uint32_t DIEP_TRIGGERBUTTON = 0x008;
inline constexpr std::uint32_t DIEP_TRIGGERREPEATINTERVAL = 0x010;
inline constexpr std::uint32_t DIEP_AXES = 0x020;
inline constexpr std::uint32_t DIEP_DIRECTION = 0x040;
inline constexpr std::uint32_t DIEP_ENVELOPE = 0x080;
inline constexpr std::uint32_t DIEP_TYPESPECIFICPARAMS = 0x100;
inline constexpr std::uint32_t DIEP_ALLPARAMS = 0x1FF;
inline constexpr std::uint32_t DIEP_START = 0x20000000u;
inline constexpr std::uint32_t DIEP_NORESTART = 0x40000000u;
inline constexpr std::uint32_t DIEP_NODOWNLOAD = 0x80000000u;

inline constexpr std::uint32_t DIEB_NOTRIGGER = 0xFFFFFFFFu;

inline constexpr std::uint32_t DIES_SOLO = 0x1;
inline constexpr std::uint32_t DIES_NODOWNLOAD = 0x80000000u;

inline constexpr std::uint32_t DIEGES_PLAYING = 0x1;
inline constexpr std::uint32_t DIEGES_EMULATED = 0x2;

inline constexpr std::uint32_t DISFFC_RESET = 0x01;
inline constexpr std::uint32_t DISFFC_STOPALL = 0x02;
inline constexpr std::uint32_t DISFFC_PAUSE = 0x04;
inline constexpr std::uint32_t DISFFC_CONTINUE = 0x08;
inline constexpr std::uint32_t DISFFC_SETACTUATORSON = 0x10;
inline constexpr std::uint32_t DISFFC_SETACTUATORSOFF = 0x20;

inline constexpr std::uint32_t DIGFFS_EMPTY = 0x001;
inline constexpr std::uint32_t DIGFFS_STOPPED = 0x002;
inline constexpr std::uint32_t DIGFFS_PAUSED = 0x004;
inline constexpr std::uint32_t DIGFFS_ACTUATORSON = 0x010;
inline constexpr std::uint32_t DIGFFS_ACTUATORSOFF = 0x020;
inline constexpr std::uint32_t DIGFFS_POWERON = 0x040;
inline constexpr std::uint32_t DIGFFS_POWEROFF = 0x080;
inline constexpr std::uint32_t DIGFFS_SAFETYSWITCHON = 0x100;
inline constexpr std::uint32_t DIGFFS_USERFFSWITCHON = 0x400;

struct DIENVELOPE {
    std::uint32_t dwSize = 20;
    std::uint32_t dwAttackLevel = 0;
    std::uint32_t dwAttackTime = 0;
    std::uint32_t dwFadeLevel = 0;
    std::uint32_t dwFadeTime = 0;
};

struct DICONSTANTFORCE {
    std::int32_t lMagnitude = 0;
};

struct DIPERIODIC {
    std::uint32_t dwMagnitude = 0;
    std::int32_t lOffset = 0;
    std::uint32_t dwPhase = 0;
    std::uint32_t dwPeriod = 0;
};

struct DICONDITION {
    std::int32_t lOffset = 0;
    std::int32_t lPositiveCoefficient = 0;
    std::int32_t lNegativeCoefficient = 0;
    std::uint32_t dwPositiveSaturation = 0;
    std::uint32_t dwNegativeSaturation = 0;
    std::int32_t lDeadBand = 0;
};

// Sizes as the interface counts them (the records' sizes in the 32-bit layout).
inline constexpr std::uint32_t kDIEffectSize = 52;
inline constexpr std::uint32_t kDIEnvelopeSize = 20;
inline constexpr std::uint32_t kDIConstantForceSize = 4;
inline constexpr std::uint32_t kDIPeriodicSize = 16;
inline constexpr std::uint32_t kDIConditionSize = 24;

struct DIEFFECT {
    std::uint32_t dwSize = kDIEffectSize;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwDuration = 0;  // microseconds, INFINITE
    std::uint32_t dwSamplePeriod = 0;
    std::uint32_t dwGain = 0;
    std::uint32_t dwTriggerButton = DIEB_NOTRIGGER;
    std::uint32_t dwTriggerRepeatInterval = 0;
    std::uint32_t cAxes = 0;
    std::uint32_t* rgdwAxes = nullptr;
    std::int32_t* rglDirection = nullptr;
    DIENVELOPE* lpEnvelope = nullptr;
    std::uint32_t cbTypeSpecificParams = 0;
    void* lpvTypeSpecificParams = nullptr;
};

// ---- identifiers -------------------------------------------------------------------------------

extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Joystick;
extern const GUID GUID_ConstantForce;
extern const GUID GUID_RampForce;
extern const GUID GUID_Square;
extern const GUID GUID_Sine;
extern const GUID GUID_Triangle;
extern const GUID GUID_SawtoothUp;
extern const GUID GUID_SawtoothDown;
extern const GUID GUID_Spring;
extern const GUID GUID_Damper;
extern const GUID GUID_Inertia;
extern const GUID GUID_Friction;
extern const GUID GUID_CustomForce;
extern const GUID IID_IDirectInput;
extern const GUID IID_IDirectInputDevice;
extern const GUID IID_IDirectInputDevice2;
extern const GUID IID_IDirectInputEffect;

// ---- the interfaces ----------------------------------------------------------------------------

// Reference counting of the interface objects: Release answers the count left.
class DIObject {
public:
    DIObject();
    DIObject(const DIObject&) = delete;
    DIObject& operator=(const DIObject&) = delete;
    virtual ~DIObject();
    std::uint32_t AddRef() { return ++refs_; }
    std::uint32_t Release();

private:
    std::uint32_t refs_ = 1;
};

struct DIDeviceCore;
struct DIEffectRecord;

class IDirectInputEffect : public DIObject {
public:
    ~IDirectInputEffect() override;
    HRESULT GetEffectGuid(GUID* out) const;
    // Copies out the parts `flags` names: the axes and directions up to cAxes (DIERR_MOREDATA
    // with the count needed when fewer), the envelope (lpEnvelope set to null when the effect
    // has none), the type-specific block up to its size (DIERR_MOREDATA when smaller).
    HRESULT GetParameters(DIEFFECT* effect, std::uint32_t flags) const;
    HRESULT SetParameters(const DIEFFECT* effect, std::uint32_t flags);
    // iterations: INFINITE or a count; DIES_SOLO stops the device's other effects first.
    HRESULT Start(std::uint32_t iterations, std::uint32_t flags);
    HRESULT Stop();
    HRESULT GetEffectStatus(std::uint32_t* status);
    HRESULT Download();
    HRESULT Unload();

private:
    friend class IDirectInputDevice2;
    friend struct DIDeviceCore;
    IDirectInputEffect(std::shared_ptr<DIDeviceCore> core, const GUID& guid);
    HRESULT Send();
    std::shared_ptr<DIDeviceCore> core_;
    std::unique_ptr<DIEffectRecord> record_;
};

using LPDIENUMEFFECTSINOBJCALLBACK = int (*)(IDirectInputEffect* effect, void* ref);

class IDirectInputDevice : public DIObject {
public:
    ~IDirectInputDevice() override;
    // IID_IDirectInputDevice and IID_IDirectInputDevice2 give this object (counted once more).
    HRESULT QueryInterface(const GUID& iid, void** out);
    HRESULT SetDataFormat(const DIDATAFORMAT* format);
    HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags);
    HRESULT SetProperty(std::uint32_t property, const DIPROPHEADER* header);
    HRESULT Acquire();
    HRESULT Unacquire();

protected:
    explicit IDirectInputDevice(std::shared_ptr<DIDeviceCore> core);
    std::shared_ptr<DIDeviceCore> core_;
};

class IDirectInputDevice2 : public IDirectInputDevice {
public:
    HRESULT CreateEffect(const GUID& effectGuid, const DIEFFECT* effect, IDirectInputEffect** out,
                         void* outer);
    HRESULT SendForceFeedbackCommand(std::uint32_t flags);
    HRESULT GetForceFeedbackState(std::uint32_t* state);
    // Every effect created on the device and not yet released, in order of creation; the
    // callback may release the effect it is given.
    HRESULT EnumCreatedEffectObjects(LPDIENUMEFFECTSINOBJCALLBACK callback, void* ref,
                                     std::uint32_t flags);
    HRESULT Poll();

private:
    friend class IDirectInput;
    explicit IDirectInputDevice2(std::shared_ptr<DIDeviceCore> core);
};

using LPDIENUMDEVICESCALLBACK = int (*)(const DIDEVICEINSTANCE* instance, void* ref);

class IDirectInput : public DIObject {
public:
    // Joysticks only (type 0 or DIDEVTYPE_JOYSTICK); DIEDFL_FORCEFEEDBACK keeps the ones that can
    // push back.
    HRESULT EnumDevices(std::uint32_t devType, LPDIENUMDEVICESCALLBACK callback, void* ref,
                        std::uint32_t flags);
    HRESULT CreateDevice(const GUID& instance, IDirectInputDevice** out, void* outer);
};

HRESULT DirectInputCreate(HINSTANCE instance, std::uint32_t version, IDirectInput** out,
                          void* outer);

// What the stand-in refuses, for tests.
struct DirectInputFaults {
    bool createFails = false;         // DirectInputCreate: DIERR_GENERIC
    bool queryInterfaceFails = false;  // E_NOINTERFACE for the second device interface
    bool dataFormatFails = false;     // SetDataFormat: DIERR_INVALIDPARAM
    bool acquireFails = false;        // Acquire: DIERR_OTHERAPPHASPRIO
};
extern DirectInputFaults theDirectInputFaults;
// Interface objects alive now (tests: nothing is left behind).
[[nodiscard]] std::int32_t DirectInputObjectsAlive();

}  // namespace win
