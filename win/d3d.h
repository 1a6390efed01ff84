// The 3D device of the first interface version: devices enumerated by the Direct3D object of a
// full-screen device, texture formats, a device made on a back surface, viewports, materials,
// texture handles and execute buffers. An execute buffer is read exactly as the program lays it
// out: 32-byte transformed-and-lit vertices at the front, then instructions {u8 opcode, u8 size,
// u16 count} each followed by count records of size bytes.
//
// Every device decodes what it executes; what happens with the decoded work is the renderer's
// business: the recorder keeps every instruction for the tests, the software drawer rasterizes
// the triangles (perspective-correct textures, fog, 1555, 4444 and 8-bit palettized textures)
// into the surface the device was made on. theDirect3DFaults makes the stand-in refuse what
// real drivers refused.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win/ddraw.h"

namespace win {

// ---- Execute-buffer records (byte layouts) -------------------------------------------------
inline constexpr std::uint8_t D3DOP_POINT = 1;
inline constexpr std::uint8_t D3DOP_LINE = 2;
inline constexpr std::uint8_t D3DOP_TRIANGLE = 3;
inline constexpr std::uint8_t D3DOP_MATRIXLOAD = 4;
inline constexpr std::uint8_t D3DOP_MATRIXMULTIPLY = 5;
inline constexpr std::uint8_t D3DOP_STATETRANSFORM = 6;
inline constexpr std::uint8_t D3DOP_STATELIGHT = 7;
inline constexpr std::uint8_t D3DOP_STATERENDER = 8;
inline constexpr std::uint8_t D3DOP_PROCESSVERTICES = 9;
inline constexpr std::uint8_t D3DOP_TEXTURELOAD = 10;
inline constexpr std::uint8_t D3DOP_EXIT = 11;
inline constexpr std::uint8_t D3DOP_BRANCHFORWARD = 12;
inline constexpr std::uint8_t D3DOP_SPAN = 13;
inline constexpr std::uint8_t D3DOP_SETSTATUS = 14;

inline constexpr std::uint32_t D3DPROCESSVERTICES_TRANSFORMLIGHT = 0x00;
inline constexpr std::uint32_t D3DPROCESSVERTICES_TRANSFORM = 0x01;
inline constexpr std::uint32_t D3DPROCESSVERTICES_COPY = 0x02;
inline constexpr std::uint32_t D3DPROCESSVERTICES_OPMASK = 0x07;
inline constexpr std::uint32_t D3DPROCESSVERTICES_UPDATEEXTENTS = 0x08;

inline constexpr std::uint16_t D3DTRIFLAG_START = 0x00;
inline constexpr std::uint16_t D3DTRIFLAG_ODD = 0x1E;
inline constexpr std::uint16_t D3DTRIFLAG_EVEN = 0x1F;
inline constexpr std::uint16_t D3DTRIFLAG_EDGEENABLE1 = 0x100;
inline constexpr std::uint16_t D3DTRIFLAG_EDGEENABLE2 = 0x200;
inline constexpr std::uint16_t D3DTRIFLAG_EDGEENABLE3 = 0x400;

inline constexpr std::size_t kInstructionSize = 4;
inline constexpr std::size_t kStateSize = 8;
inline constexpr std::size_t kTriangleSize = 8;
inline constexpr std::size_t kProcessVerticesSize = 16;
inline constexpr std::size_t kTLVertexSize = 32;

struct D3DINSTRUCTION {
    std::uint8_t bOpcode = 0;
    std::uint8_t bSize = 0;
    std::uint16_t wCount = 0;
};
struct D3DSTATE {
    std::uint32_t dwArg0 = 0;  // the state
    std::uint32_t dwArg1 = 0;  // its value
};
struct D3DTRIANGLE {
    std::uint16_t v1 = 0;
    std::uint16_t v2 = 0;
    std::uint16_t v3 = 0;
    std::uint16_t wFlags = 0;
};
struct D3DPROCESSVERTICES {
    std::uint32_t dwFlags = 0;
    std::uint16_t wStart = 0;
    std::uint16_t wDest = 0;
    std::uint32_t dwCount = 0;
    std::uint32_t dwReserved = 0;
};
struct D3DTLVERTEX {
    float sx = 0, sy = 0, sz = 0, rhw = 0;
    std::uint32_t color = 0;     // ARGB
    std::uint32_t specular = 0;  // fog factor in the alpha byte
    float tu = 0, tv = 0;
};

// Little-endian readers and writers of those records at a byte address.
void WriteInstruction(std::uint8_t* at, std::uint8_t opcode, std::uint8_t size,
                      std::uint16_t count);
void WriteState(std::uint8_t* at, std::uint32_t state, std::uint32_t value);
void WriteTriangle(std::uint8_t* at, std::uint16_t a, std::uint16_t b, std::uint16_t c,
                   std::uint16_t flags);
void WriteProcessVertices(std::uint8_t* at, const D3DPROCESSVERTICES& p);
void WriteTLVertex(std::uint8_t* at, const D3DTLVERTEX& v);
D3DTLVERTEX ReadTLVertex(const std::uint8_t* at);

// ---- Render states and their values ---------------------------------------------------------
inline constexpr std::uint32_t D3DRENDERSTATE_TEXTUREHANDLE = 1;
inline constexpr std::uint32_t D3DRENDERSTATE_ANTIALIAS = 2;
inline constexpr std::uint32_t D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4;
inline constexpr std::uint32_t D3DRENDERSTATE_ZENABLE = 7;
inline constexpr std::uint32_t D3DRENDERSTATE_FILLMODE = 8;
inline constexpr std::uint32_t D3DRENDERSTATE_SHADEMODE = 9;
inline constexpr std::uint32_t D3DRENDERSTATE_MONOENABLE = 11;
inline constexpr std::uint32_t D3DRENDERSTATE_ZWRITEENABLE = 14;
inline constexpr std::uint32_t D3DRENDERSTATE_TEXTUREMAG = 17;
inline constexpr std::uint32_t D3DRENDERSTATE_TEXTUREMIN = 18;
inline constexpr std::uint32_t D3DRENDERSTATE_TEXTUREMAPBLEND = 21;
inline constexpr std::uint32_t D3DRENDERSTATE_CULLMODE = 22;
inline constexpr std::uint32_t D3DRENDERSTATE_ZFUNC = 23;
inline constexpr std::uint32_t D3DRENDERSTATE_DITHERENABLE = 26;
inline constexpr std::uint32_t D3DRENDERSTATE_FOGENABLE = 28;
inline constexpr std::uint32_t D3DRENDERSTATE_SPECULARENABLE = 29;
inline constexpr std::uint32_t D3DRENDERSTATE_FOGCOLOR = 34;
inline constexpr std::uint32_t kRenderStateCount = 128;

inline constexpr std::uint32_t D3DCULL_NONE = 1;
inline constexpr std::uint32_t D3DSHADE_FLAT = 1;
inline constexpr std::uint32_t D3DSHADE_GOURAUD = 2;
inline constexpr std::uint32_t D3DCMP_LESSEQUAL = 4;
inline constexpr std::uint32_t D3DFILTER_NEAREST = 1;
inline constexpr std::uint32_t D3DTBLEND_MODULATE = 2;
inline constexpr std::uint32_t D3DFILL_SOLID = 3;
inline constexpr std::uint32_t D3DANTIALIAS_NONE = 0;

inline constexpr std::uint32_t D3DCOLOR_MONO = 1;
inline constexpr std::uint32_t D3DCOLOR_RGB = 2;
inline constexpr std::uint32_t D3DPTEXTURECAPS_PERSPECTIVE = 0x01;
inline constexpr std::uint32_t D3DCLEAR_TARGET = 0x01;
inline constexpr std::uint32_t D3DCLEAR_ZBUFFER = 0x02;
inline constexpr std::uint32_t D3DEXECUTE_CLIPPED = 0x01;
inline constexpr std::uint32_t D3DEXECUTE_UNCLIPPED = 0x02;
inline constexpr std::uint32_t D3DDEB_BUFSIZE = 0x01;
inline constexpr std::uint32_t D3DDEB_CAPS = 0x02;
inline constexpr std::uint32_t D3DDEB_LPDATA = 0x04;

inline constexpr HRESULT D3DERR_EXECUTE_LOCKED = MakeDDHResult(712);
inline constexpr HRESULT D3DERR_EXECUTE_FAILED = MakeDDHResult(716);
inline constexpr HRESULT D3DERR_TEXTURE_CREATE_FAILED = MakeDDHResult(731);
inline constexpr HRESULT D3DERR_SCENE_IN_SCENE = MakeDDHResult(790);
inline constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MakeDDHResult(791);

// ---- Descriptions ---------------------------------------------------------------------------
struct D3DPRIMCAPS {
    std::uint32_t dwSize = 56;
    std::uint32_t dwTextureCaps = 0;
};
struct D3DDEVICEDESC {
    std::uint32_t dwSize = 172;
    std::uint32_t dwFlags = 0;
    std::uint32_t dcmColorModel = 0;  // 0: no such device
    std::uint32_t dwDevCaps = 0;
    D3DPRIMCAPS dpcTriCaps;
    std::uint32_t dwDeviceRenderBitDepth = 0;
    std::uint32_t dwDeviceZBufferBitDepth = 0;
};
struct D3DEXECUTEBUFFERDESC {
    std::uint32_t dwSize = 20;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwCaps = 0;
    std::uint32_t dwBufferSize = 0;
    void* lpData = nullptr;
};
struct D3DRECT {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct D3DSTATUS {
    std::uint32_t dwFlags = 0;
    std::uint32_t dwStatus = 0;
    D3DRECT drExtent;
};
struct D3DEXECUTEDATA {
    std::uint32_t dwSize = 48;
    std::uint32_t dwVertexOffset = 0;
    std::uint32_t dwVertexCount = 0;
    std::uint32_t dwInstructionOffset = 0;
    std::uint32_t dwInstructionLength = 0;
    std::uint32_t dwHVertexOffset = 0;
    D3DSTATUS dsStatus;
};
struct D3DVIEWPORT {
    std::uint32_t dwSize = 44;
    std::uint32_t dwX = 0, dwY = 0, dwWidth = 0, dwHeight = 0;
    float dvScaleX = 0, dvScaleY = 0, dvMaxX = 0, dvMaxY = 0, dvMinZ = 0, dvMaxZ = 0;
};
struct D3DCOLORVALUE {
    float r = 0, g = 0, b = 0, a = 0;
};
struct D3DMATERIAL {
    std::uint32_t dwSize = 80;
    D3DCOLORVALUE diffuse, ambient, specular, emissive;
    float power = 0;
    std::uint32_t hTexture = 0;
    std::uint32_t dwRampSize = 0;
};

using D3DTEXTUREHANDLE = std::uint32_t;
using D3DMATERIALHANDLE = std::uint32_t;

// ---- What a device does with its decoded work -----------------------------------------------
struct D3DRecordedInstruction {
    std::uint8_t opcode = 0;
    std::uint8_t size = 0;
    std::uint16_t count = 0;
    std::vector<D3DSTATE> states;
    std::vector<D3DTRIANGLE> triangles;
    std::vector<D3DPROCESSVERTICES> process;
};
struct D3DRecordedExecute {
    D3DEXECUTEDATA data;
    std::uint32_t flags = 0;
    std::vector<D3DTLVERTEX> vertices;  // the vertex area as given
    std::vector<D3DRecordedInstruction> instructions;
    bool ok = false;  // the stream was whole and ended with an exit
};

class Direct3DDevice;
class Direct3DTexture;

class D3DRenderer {
public:
    virtual ~D3DRenderer() = default;
    virtual void BeginExecute(const D3DRecordedExecute&) {}
    virtual void Triangle(Direct3DDevice& device, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                          const D3DTLVERTEX& c) = 0;
    virtual void Clear(Direct3DDevice& device, const D3DRECT& rect, std::uint32_t flags,
                       std::uint32_t colour) = 0;
};

// Keeps every execute and clear (the tests' device).
class D3DRecorder : public D3DRenderer {
public:
    void BeginExecute(const D3DRecordedExecute& e) override { executes.push_back(e); }
    void Triangle(Direct3DDevice&, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                  const D3DTLVERTEX& c) override {
        drawn.push_back({a, b, c});
    }
    void Clear(Direct3DDevice&, const D3DRECT& rect, std::uint32_t flags,
               std::uint32_t colour) override {
        clears.push_back({rect, flags, colour});
    }
    struct Tri {
        D3DTLVERTEX a, b, c;
    };
    struct ClearCall {
        D3DRECT rect;
        std::uint32_t flags;
        std::uint32_t colour;
    };
    std::vector<D3DRecordedExecute> executes;
    std::vector<Tri> drawn;
    std::vector<ClearCall> clears;
};

// Rasterizes into the device's surface (16-bit 5-6-5).
class D3DSoftwareDrawer : public D3DRenderer {
public:
    void Triangle(Direct3DDevice& device, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                  const D3DTLVERTEX& c) override;
    void Clear(Direct3DDevice& device, const D3DRECT& rect, std::uint32_t flags,
               std::uint32_t colour) override;
};

// ---- Objects --------------------------------------------------------------------------------
class Direct3DExecuteBuffer : public DDObject {
public:
    HRESULT Lock(D3DEXECUTEBUFFERDESC* desc);
    HRESULT Unlock();
    HRESULT SetExecuteData(const D3DEXECUTEDATA* data);
    [[nodiscard]] bool IsLocked() const { return locked_; }

private:
    friend class Direct3DDevice;
    std::vector<std::uint8_t> bytes_;
    D3DEXECUTEDATA data_;
    bool locked_ = false;
    bool dataSet_ = false;
};

class Direct3DMaterial : public DDObject {
public:
    ~Direct3DMaterial() override;
    HRESULT SetMaterial(const D3DMATERIAL* material);
    HRESULT GetHandle(Direct3DDevice* device, D3DMATERIALHANDLE* out);
    D3DMATERIAL material;
    D3DMATERIALHANDLE handle = 0;
    Direct3DDevice* device = nullptr;
};

class Direct3DViewport : public DDObject {
public:
    ~Direct3DViewport() override;
    HRESULT SetViewport(const D3DVIEWPORT* viewport);
    HRESULT Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags);
    HRESULT SetBackground(D3DMATERIALHANDLE material);
    D3DVIEWPORT viewport;
    D3DMATERIALHANDLE background = 0;
    Direct3DDevice* device = nullptr;  // set by AddViewport
};

class Direct3DTexture : public DDObject {
public:
    ~Direct3DTexture() override;
    HRESULT GetHandle(Direct3DDevice* device, D3DTEXTUREHANDLE* out);
    // Copies the source texture's pixels into this one (both the same size and format).
    HRESULT Load(Direct3DTexture* source);
    DirectDrawSurface* surface = nullptr;  // referenced
    Direct3DDevice* device = nullptr;
    D3DTEXTUREHANDLE handle = 0;
};

// QueryInterface of a surface for its texture interface.
HRESULT QueryTexture(DirectDrawSurface* surface, Direct3DTexture** out);

using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* guid, const char* description, const char* name,
                                             D3DDEVICEDESC* hardware, D3DDEVICEDESC* software,
                                             void* context);
using LPD3DENUMTEXTUREFORMATSCALLBACK = HRESULT (*)(DDSURFACEDESC* desc, void* context);

class Direct3DDevice : public DDObject {
public:
    ~Direct3DDevice() override;
    HRESULT CreateExecuteBuffer(D3DEXECUTEBUFFERDESC* desc, Direct3DExecuteBuffer** out,
                                void* outer);
    HRESULT Execute(Direct3DExecuteBuffer* buffer, Direct3DViewport* viewport, std::uint32_t flags);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT AddViewport(Direct3DViewport* viewport);
    HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, void* context);

    [[nodiscard]] bool InScene() const { return inScene_; }
    [[nodiscard]] DirectDrawSurface* Target() const { return target_; }
    [[nodiscard]] std::uint32_t RenderState(std::uint32_t s) const {
        return s < kRenderStateCount ? states_[s] : 0;
    }
    [[nodiscard]] Direct3DTexture* TextureFor(D3DTEXTUREHANDLE h) const;
    [[nodiscard]] const D3DMATERIAL* MaterialFor(D3DMATERIALHANDLE h) const;
    D3DRenderer* renderer = nullptr;  // not owned; the drawer when null

private:
    friend HRESULT QueryDevice(DirectDrawSurface*, const GUID&, Direct3DDevice**);
    friend class Direct3DTexture;
    friend class Direct3DMaterial;
    friend class Direct3DViewport;
    DirectDrawSurface* target_ = nullptr;  // referenced
    bool inScene_ = false;
    std::uint32_t states_[kRenderStateCount] = {};
    std::vector<Direct3DTexture*> textures_;    // handle - 1
    std::vector<Direct3DMaterial*> materials_;  // handle - 1
    std::vector<Direct3DViewport*> viewports_;
    std::vector<D3DTLVERTEX> working_;
    D3DSoftwareDrawer drawer_;
};

// The device GUIDs the stand-in reports.
extern const GUID IID_IDirect3DRGBDevice;
extern const GUID IID_IDirect3DHALDevice;

class Direct3D : public DDObject {
public:
    ~Direct3D() override;
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context);
    HRESULT CreateViewport(Direct3DViewport** out, void* outer);
    HRESULT CreateMaterial(Direct3DMaterial** out, void* outer);
    DirectDraw* owner = nullptr;  // referenced
};

// QueryInterface of the full-screen device for the 3D interface, and of a surface for a device.
HRESULT QueryDirect3D(DirectDraw* directDraw, Direct3D** out);
HRESULT QueryDevice(DirectDrawSurface* surface, const GUID& deviceGuid, Direct3DDevice** out);

struct Direct3DFaults {
    bool queryFails = false;        // no 3D interface
    bool softwareRgbDevice = true;  // an RGB software device is reported
    bool hardwareDevice = false;    // a hardware device is reported
    std::int32_t extraDevices = 0;  // further software devices reported
    bool with1555 = true;
    bool with4444 = true;
    std::int32_t extraFormats = 0;  // further palettized formats reported
    bool executeBufferFails = false;
    bool deviceFails = false;
};
extern Direct3DFaults theDirect3DFaults;
// The renderer new devices start with (null: each device's own software drawer).
extern D3DRenderer* theDefaultD3DRenderer;

// Decodes an execute buffer's bytes as the device would; the tests read batches through it.
D3DRecordedExecute DecodeExecuteBuffer(const std::uint8_t* bytes, std::size_t size,
                                       const D3DEXECUTEDATA& data);

void ResetDirect3DStandIn();

}  // namespace win
