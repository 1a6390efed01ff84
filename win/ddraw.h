// The full-screen display device: one object per program that takes the display window for
// itself, sets a display mode (shown as a 640×480 logical picture in desktop full screen), and
// hands out surfaces: a primary surface with a chain of back buffers to flip through, plain
// off-screen surfaces, and 256-entry palettes attached to surfaces. Surfaces are locked to reach
// their pixels, filled and copied with Blt and BltFast, drawn on through a device context, and
// may be lost (and restored) when the device is taken away. What the primary shows goes to the
// cooperative window's client surface, which the compositor puts on the screen.
//
// The calls keep the names and numeric values of the interface the program was written against;
// the types are ours. Results are HRESULT-style codes: DD_OK (0) or a negative error.
// theDirectDrawFaults lets tests make the device refuse what real drivers refuse.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "win/gdi.h"
#include "win/guid.h"
#include "win/hresult.h"
#include "win/window.h"
#include "win/window_surface.h"

namespace win {

inline constexpr HRESULT MakeDDHResult(std::uint32_t code) {
    return static_cast<HRESULT>(0x88760000u | code);
}

inline constexpr HRESULT DD_OK = 0;
inline constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDHResult(225);
inline constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDHResult(380);
inline constexpr HRESULT DDERR_SURFACEBUSY = MakeDDHResult(430);
inline constexpr HRESULT DDERR_SURFACELOST = MakeDDHResult(450);
inline constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDHResult(572);
inline constexpr HRESULT DDERR_NOTLOCKED = MakeDDHResult(584);
inline constexpr HRESULT DDERR_NOTFOUND = MakeDDHResult(255);

// Cooperative levels.
inline constexpr std::uint32_t DDSCL_FULLSCREEN = 0x01;
inline constexpr std::uint32_t DDSCL_ALLOWREBOOT = 0x02;
inline constexpr std::uint32_t DDSCL_NOWINDOWCHANGES = 0x04;
inline constexpr std::uint32_t DDSCL_NORMAL = 0x08;
inline constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10;
inline constexpr std::uint32_t DDSCL_ALLOWMODEX = 0x40;

// Surface description fields.
inline constexpr std::uint32_t DDSD_CAPS = 0x01;
inline constexpr std::uint32_t DDSD_HEIGHT = 0x02;
inline constexpr std::uint32_t DDSD_WIDTH = 0x04;
inline constexpr std::uint32_t DDSD_PITCH = 0x08;
inline constexpr std::uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
inline constexpr std::uint32_t DDSD_LPSURFACE = 0x800;
inline constexpr std::uint32_t DDSD_PIXELFORMAT = 0x1000;

// Surface capabilities.
inline constexpr std::uint32_t DDSCAPS_BACKBUFFER = 0x04;
inline constexpr std::uint32_t DDSCAPS_COMPLEX = 0x08;
inline constexpr std::uint32_t DDSCAPS_FLIP = 0x10;
inline constexpr std::uint32_t DDSCAPS_FRONTBUFFER = 0x20;
inline constexpr std::uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr std::uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr std::uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr std::uint32_t DDSCAPS_TEXTURE = 0x1000;
inline constexpr std::uint32_t DDSCAPS_3DDEVICE = 0x2000;
inline constexpr std::uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;
inline constexpr std::uint32_t DDSCAPS_WRITEONLY = 0x10000;
inline constexpr std::uint32_t DDSCAPS_ALLOCONLOAD = 0x4000000;

inline constexpr std::uint32_t DDCAPS_3D = 0x01;

inline constexpr std::uint32_t DDLOCK_WAIT = 0x01;
inline constexpr std::uint32_t DDFLIP_WAIT = 0x01;
inline constexpr std::uint32_t DDBLT_COLORFILL = 0x400;
inline constexpr std::uint32_t DDBLT_WAIT = 0x1000000;
inline constexpr std::uint32_t DDBLTFAST_NOCOLORKEY = 0x00;
inline constexpr std::uint32_t DDBLTFAST_WAIT = 0x10;
inline constexpr std::uint32_t DDWAITVB_BLOCKBEGIN = 0x01;
inline constexpr std::uint32_t DDPCAPS_8BIT = 0x04;
inline constexpr std::uint32_t DDPCAPS_ALLOW256 = 0x40;

// Pixel-format flags.
inline constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x01;
inline constexpr std::uint32_t DDPF_PALETTEINDEXED8 = 0x20;
inline constexpr std::uint32_t DDPF_RGB = 0x40;

struct DDPIXELFORMAT {
    std::uint32_t dwSize = 32;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwFourCC = 0;
    std::uint32_t dwRGBBitCount = 0;
    std::uint32_t dwRBitMask = 0;
    std::uint32_t dwGBitMask = 0;
    std::uint32_t dwBBitMask = 0;
    std::uint32_t dwRGBAlphaBitMask = 0;
};

struct DDSCAPS {
    std::uint32_t dwCaps = 0;
};

struct DDSURFACEDESC {
    std::uint32_t dwSize = 108;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwHeight = 0;
    std::uint32_t dwWidth = 0;
    std::int32_t lPitch = 0;
    std::uint32_t dwBackBufferCount = 0;
    void* lpSurface = nullptr;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

// The capability record; only the fields the program reads are kept.
struct DDCAPS {
    std::uint32_t dwSize = 316;
    std::uint32_t dwCaps = 0;
    std::uint32_t dwCaps2 = 0;
    std::uint32_t dwVidMemTotal = 0;
    std::uint32_t dwVidMemFree = 0;
    DDSCAPS ddsCaps;
};

struct DDBLTFX {
    std::uint32_t dwSize = 100;
    std::uint32_t dwFillColor = 0;
};

class DirectDraw;
class DirectDrawSurface;

// Reference counting of the device objects: Release answers the count left.
class DDObject {
public:
    DDObject();
    DDObject(const DDObject&) = delete;
    DDObject& operator=(const DDObject&) = delete;
    virtual ~DDObject();
    std::uint32_t AddRef() { return ++refs_; }
    std::uint32_t Release();

private:
    std::uint32_t refs_ = 1;
};

class DirectDrawPalette : public DDObject {
public:
    HRESULT SetEntries(std::uint32_t flags, std::uint32_t start, std::uint32_t count,
                       const PALETTEENTRY* entries);
    HRESULT GetEntries(std::uint32_t flags, std::uint32_t start, std::uint32_t count,
                       PALETTEENTRY* entries) const;

    std::array<PALETTEENTRY, 256> entries{};
    std::uint32_t caps = 0;
    std::shared_ptr<struct DDDeviceState> device;
};

// The pixels of one buffer; a flip exchanges buffers between the members of a chain. 8-bit
// buffers are DIB sections held in a memory DC so that GDI can draw on them.
struct DDBuffer {
    DDBuffer() = default;
    DDBuffer(const DDBuffer&) = delete;
    DDBuffer& operator=(const DDBuffer&) = delete;
    ~DDBuffer();
    std::uint8_t* bits = nullptr;
    std::int32_t pitch = 0;
    std::vector<std::uint8_t> memory;  // 16-bit and wider buffers
    HDC dc;
    HBITMAP bitmap;
    HBITMAP previous;
};

using LPDDENUMSURFACESCALLBACK = HRESULT (*)(DirectDrawSurface* surface, const DDSURFACEDESC* desc,
                                             void* context);
inline constexpr HRESULT DDENUMRET_CANCEL = 0;
inline constexpr HRESULT DDENUMRET_OK = 1;

class DirectDrawSurface : public DDObject {
public:
    ~DirectDrawSurface() override;

    HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, std::uint32_t flags, void* event);
    HRESULT Unlock(void* pointer);
    HRESULT Flip(DirectDrawSurface* target, std::uint32_t flags);
    HRESULT Blt(const RECT* destRect, DirectDrawSurface* source, const RECT* sourceRect,
                std::uint32_t flags, const DDBLTFX* fx);
    HRESULT BltFast(std::uint32_t x, std::uint32_t y, DirectDrawSurface* source,
                    const RECT* sourceRect, std::uint32_t flags);
    HRESULT GetAttachedSurface(const DDSCAPS* caps, DirectDrawSurface** out);
    HRESULT EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK callback);
    HRESULT SetPalette(DirectDrawPalette* palette);
    HRESULT GetPalette(DirectDrawPalette** out);
    HRESULT GetDC(HDC* out);
    HRESULT ReleaseDC(HDC dc);
    HRESULT IsLost() const;
    HRESULT Restore();
    HRESULT GetSurfaceDesc(DDSURFACEDESC* out) const;
    HRESULT GetPixelFormat(DDPIXELFORMAT* out) const;

    // The stand-in's own view: the buffer shown or written now (tests read pixels through it).
    [[nodiscard]] const DDBuffer* Buffer() const { return buffer_.get(); }
    [[nodiscard]] std::uint32_t Caps() const { return caps_; }
    [[nodiscard]] std::int32_t Width() const { return width_; }
    [[nodiscard]] std::int32_t Height() const { return height_; }
    [[nodiscard]] std::int32_t Depth() const { return depth_; }
    [[nodiscard]] bool IsLocked() const { return locked_; }
    void MarkLost() { lost_ = true; }
    // Sends the picture of a primary surface to the cooperative window.
    void Show();

private:
    friend class DirectDraw;
    std::shared_ptr<struct DDDeviceState> device_;
    std::unique_ptr<DDBuffer> buffer_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t depth_ = 8;
    std::uint32_t caps_ = 0;
    DDPIXELFORMAT format_;
    const DDBuffer* gdiBuffer_ = nullptr;
    bool locked_ = false;
    bool lost_ = false;
    bool dcOut_ = false;
    DirectDrawPalette* palette_ = nullptr;
    // Flip chain: the primary owns the back buffers, in flip order.
    std::vector<DirectDrawSurface*> backBuffers_;
    DirectDrawSurface* owner_ = nullptr;
};

// Test faults: a driver that refuses what real ones refused.
struct DirectDrawFaults {
    bool libraryMissing = false;            // the device library cannot be loaded
    bool createFails = false;               // DirectDrawCreate fails
    std::int32_t maxBackBuffers = 3;        // chains with more back buffers are refused
    bool noVideoMemory = false;             // every video-memory request is refused
    std::int32_t videoMemorySurfaces = -1;  // video-memory surfaces allowed at once (-1: any)
    std::int32_t videoTextures = -1;        // video-memory textures allowed at once (-1: any)
    bool writeOnlyCaps = false;             // capabilities carry DDSCAPS_WRITEONLY
    bool displayModeFails = false;
    bool paletteFails = false;
    bool secondary3DDriver = false;  // enumeration reports a secondary 3D driver
    std::uint32_t primaryCaps = 0;   // driver caps of the primary display driver
};
extern DirectDrawFaults theDirectDrawFaults;

// What the device did, for tests and the headless runner.
struct DirectDrawStats {
    std::int32_t liveObjects = 0;  // devices, surfaces and palettes alive
    std::int32_t flips = 0;
    std::int32_t verticalBlankWaits = 0;
    std::int32_t shows = 0;  // pictures sent to the window
    std::int32_t devicesCreated = 0;
    const GUID* lastDriver = nullptr;
};
extern DirectDrawStats theDirectDrawStats;

class DirectDraw : public DDObject {
public:
    explicit DirectDraw(const GUID* driver);
    ~DirectDraw() override;

    HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags);
    HRESULT GetCaps(DDCAPS* driver, DDCAPS* hel);
    HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);
    HRESULT RestoreDisplayMode();
    HRESULT CreateSurface(const DDSURFACEDESC* desc, DirectDrawSurface** out, void* outer);
    HRESULT CreatePalette(std::uint32_t flags, const PALETTEENTRY* entries, DirectDrawPalette** out,
                          void* outer);
    HRESULT WaitForVerticalBlank(std::uint32_t flags, void* event);
    HRESULT GetGDISurface(DirectDrawSurface** out);

    [[nodiscard]] bool IsSecondary() const { return secondary_; }
    [[nodiscard]] const std::shared_ptr<DDDeviceState>& State() const { return state_; }
    // Every surface made by this device becomes lost (a mode change by someone else).
    void LoseAllSurfaces();

private:
    std::shared_ptr<DDDeviceState> state_;
    bool secondary_ = false;
};

// Shared by a device and everything it made (a surface may outlive its device's last Release).
struct DDDeviceState {
    HWND window;
    std::uint32_t cooperativeFlags = 0;
    std::int32_t width = 640;
    std::int32_t height = 480;
    std::int32_t depth = 8;
    bool modeSet = false;
    bool maximisedByUs = false;
    std::int32_t videoSurfaces = 0;
    std::int32_t videoTextures = 0;
    std::vector<DirectDrawSurface*> surfaces;
    DirectDrawSurface* gdiSurface = nullptr;  // the primary's buffer GDI sees
    DirectDrawSurface* primary = nullptr;
    // The window's own picture format, given back when the display mode is restored.
    bool formatSaved = false;
    SurfaceFormat savedFormat = SurfaceFormat::Indexed8;
    void GiveBackWindowFormat();
};

// The driver GUIDs the stand-in reports: a secondary 3D driver when the faults say so.
extern const GUID theSecondaryDriverGuid;

using LPDDENUMCALLBACK = int (*)(GUID* guid, const char* description, const char* name,
                                 void* context);

// The entry points of the device library.
struct DirectDrawLibrary {
    HRESULT (*DirectDrawCreate)(GUID* driver, DirectDraw** out, void* outer) = nullptr;
    HRESULT (*DirectDrawEnumerate)(LPDDENUMCALLBACK callback, void* context) = nullptr;
};

// Loads the device library ("DDRAW.DLL"): null when it is missing. Counted; FreeDirectDrawLibrary
// undoes one load.
const DirectDrawLibrary* LoadDirectDrawLibrary();
void FreeDirectDrawLibrary();
[[nodiscard]] std::int32_t DirectDrawLibraryLoads();

HRESULT DirectDrawCreate(GUID* driver, DirectDraw** out, void* outer);
HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context);

// Resets faults and statistics (tests).
void ResetDirectDrawStandIn();

}  // namespace win
