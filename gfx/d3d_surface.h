// Full screen through a 3D device: the layer binds the full-screen device a second time (a
// secondary 3D-capable driver when there is one), enumerates 3D devices and texture formats,
// chooses a device, makes the flipping front/back pair with the device on the back surface and
// sets the first render states. GFXD3DSurface is the surface over those two platform surfaces;
// its draw table hands polygons to the device (d3d_draw_table.cpp).
#pragma once

#include <cstdint>

#include "gfx/dd_surface.h"
#include "win/d3d.h"

namespace gfx {

class SheetCache;

struct D3DDeviceRecord {
    char name[30] = {};         // always terminated
    char description[50] = {};  // always terminated
    win::D3DDEVICEDESC desc;
    win::GUID guid;
    std::uint32_t isHardware = 0;
    std::uint32_t perspectiveTextures = 0;
    std::uint32_t hasDepthBuffer = 0;
};

struct D3DTextureFormatRecord {
    win::DDSURFACEDESC desc;
    std::uint32_t palettised8 = 0;
    std::uint32_t redBits = 0, blueBits = 0, greenBits = 0, alphaBits = 0;
    std::uint32_t redShift = 0, greenShift = 0, blueShift = 0, alphaShift = 0;
};

inline constexpr std::int32_t kMaxD3DDevices = 5;
inline constexpr std::int32_t kMaxTextureFormats = 40;

extern const win::DirectDrawLibrary* theD3DModule;
extern win::DirectDraw* theD3DDirectDraw;
extern win::DirectDrawSurface* theD3DFrontSurface;
extern win::DirectDrawSurface* theD3DBackSurface;
extern std::int32_t theD3DWidth;
extern std::int32_t theD3DHeight;
extern std::int32_t theD3DDepth;
extern std::int32_t theD3DWriteOnly;
extern win::Direct3D* theDirect3D;
extern win::Direct3DDevice* theD3DDevice;
extern win::Direct3DViewport* theD3DViewport;
extern SheetCache* theTextureCache;
extern D3DDeviceRecord theD3DDevices[kMaxD3DDevices];
extern std::int32_t theD3DDeviceCount;
extern std::int32_t theD3DDeviceChoice;
extern std::int32_t theD3DHardware;
extern D3DTextureFormatRecord theTextureFormats[kMaxTextureFormats];
extern std::int32_t theTextureFormatCount;
extern std::int32_t theTextureFormat1555;
extern std::int32_t theTextureFormat4444;
extern win::DDCAPS theD3DDriverCaps;
extern win::DDCAPS theD3DHelCaps;

int InitDirect3DLayer(win::HWND window);
int SetD3DDisplayMode(std::int32_t width, std::int32_t height, std::int32_t depth);
void GetD3DDisplayMode(std::int32_t* width, std::int32_t* height, std::int32_t* depth);
void RestoreD3DDisplayMode();
class GFXD3DSurface;
// Makes the front/back pair (count is always made 2), the device, viewport, texture cache and
// first render states. 1, or 0 with nothing made.
int CreateD3DChain(GFXD3DSurface** out, std::int32_t count);
int CreateD3DViewport(const GFXRect* rect);
int ChooseTextureFormats();
void ReleaseDirect3D();

class GFXD3DSurface : public GFXDDSurface {
public:
    GFXD3DSurface();
    ~GFXD3DSurface() override;

    static const GFXDrawTable* SetDrawTable(const GFXDrawTable* table);
    static void ClearTarget(GFXSurface* surface);
    static void ClearDepth(GFXSurface* surface);
    static void SetBackground(GFXSurface* surface, std::uint32_t index);

    void Unlock() override;
    GFXDeviceContext GetDC() override;
    [[nodiscard]] const GFXDrawTable* GetDrawTable() override;
    void Flip() override;
    void FlipCopy() override { Flip(); }

    win::Direct3DMaterial* material = nullptr;
    win::D3DMATERIALHANDLE materialHandle = 0;
    std::int32_t backgroundIndex = -1;  // the palette index the background was made from

protected:
    void ApplyPalette(GFXDDSurface* primary, std::int32_t first, std::int32_t count) override;
    win::DirectDraw* Device() const override { return theD3DDirectDraw; }
};

}  // namespace gfx
