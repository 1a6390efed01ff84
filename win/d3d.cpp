// The 3D device: enumeration, objects, execute-buffer decoding and the software drawer.
#include "win/d3d.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace win {

Direct3DFaults theDirect3DFaults;
D3DRenderer* theDefaultD3DRenderer = nullptr;
const GUID IID_IDirect3DRGBDevice{
    0xA4665C60u, 0x2673, 0x11CF, {0xA3, 0x1A, 0, 0xAA, 0, 0xB9, 0x33, 0x56}};
const GUID IID_IDirect3DHALDevice{
    0x84E63DE0u, 0x46AA, 0x11CF, {0x81, 0x6F, 0, 0, 0xC0, 0x20, 0x15, 0x6E}};

namespace {

// Little-endian fields; this layer sits below the core's helpers.
std::uint16_t Rd16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Rd32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
void Wr16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Wr32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t FloatBits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}
float BitsFloat(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

}  // namespace

// ---- Record layouts -------------------------------------------------------------------------

void WriteInstruction(std::uint8_t* at, std::uint8_t opcode, std::uint8_t size,
                      std::uint16_t count) {
    at[0] = opcode;
    at[1] = size;
    Wr16(at + 2, count);
}

void WriteState(std::uint8_t* at, std::uint32_t state, std::uint32_t value) {
    Wr32(at, state);
    Wr32(at + 4, value);
}

void WriteTriangle(std::uint8_t* at, std::uint16_t a, std::uint16_t b, std::uint16_t c,
                   std::uint16_t flags) {
    Wr16(at, a);
    Wr16(at + 2, b);
    Wr16(at + 4, c);
    Wr16(at + 6, flags);
}

void WriteProcessVertices(std::uint8_t* at, const D3DPROCESSVERTICES& p) {
    Wr32(at, p.dwFlags);
    Wr16(at + 4, p.wStart);
    Wr16(at + 6, p.wDest);
    Wr32(at + 8, p.dwCount);
    Wr32(at + 12, p.dwReserved);
}

void WriteTLVertex(std::uint8_t* at, const D3DTLVERTEX& v) {
    Wr32(at, FloatBits(v.sx));
    Wr32(at + 4, FloatBits(v.sy));
    Wr32(at + 8, FloatBits(v.sz));
    Wr32(at + 12, FloatBits(v.rhw));
    Wr32(at + 16, v.color);
    Wr32(at + 20, v.specular);
    Wr32(at + 24, FloatBits(v.tu));
    Wr32(at + 28, FloatBits(v.tv));
}

D3DTLVERTEX ReadTLVertex(const std::uint8_t* at) {
    D3DTLVERTEX v;
    v.sx = BitsFloat(Rd32(at));
    v.sy = BitsFloat(Rd32(at + 4));
    v.sz = BitsFloat(Rd32(at + 8));
    v.rhw = BitsFloat(Rd32(at + 12));
    v.color = Rd32(at + 16);
    v.specular = Rd32(at + 20);
    v.tu = BitsFloat(Rd32(at + 24));
    v.tv = BitsFloat(Rd32(at + 28));
    return v;
}

D3DRecordedExecute DecodeExecuteBuffer(const std::uint8_t* bytes, std::size_t size,
                                       const D3DEXECUTEDATA& data) {
    D3DRecordedExecute e;
    e.data = data;
    const std::uint64_t vStart = data.dwVertexOffset;
    const std::uint64_t vEnd = vStart + std::uint64_t{data.dwVertexCount} * kTLVertexSize;
    if (bytes == nullptr || vEnd > size) return e;
    for (std::uint32_t i = 0; i < data.dwVertexCount; ++i)
        e.vertices.push_back(ReadTLVertex(bytes + vStart + i * kTLVertexSize));
    std::uint64_t at = data.dwInstructionOffset;
    const std::uint64_t end = at + data.dwInstructionLength;
    if (end > size) return e;
    while (at + kInstructionSize <= end) {
        D3DRecordedInstruction in;
        in.opcode = bytes[at];
        in.size = bytes[at + 1];
        in.count = Rd16(bytes + at + 2);
        at += kInstructionSize;
        const std::uint64_t body = std::uint64_t{in.size} * in.count;
        if (at + body > end) return e;  // a record runs past the instructions
        const std::uint8_t* p = bytes + at;
        switch (in.opcode) {
            case D3DOP_STATERENDER:
                if (in.size != kStateSize) return e;
                for (std::uint16_t i = 0; i < in.count; ++i)
                    in.states.push_back(D3DSTATE{Rd32(p + i * 8), Rd32(p + i * 8 + 4)});
                break;
            case D3DOP_TRIANGLE:
                if (in.size != kTriangleSize) return e;
                for (std::uint16_t i = 0; i < in.count; ++i)
                    in.triangles.push_back(D3DTRIANGLE{Rd16(p + i * 8), Rd16(p + i * 8 + 2),
                                                       Rd16(p + i * 8 + 4), Rd16(p + i * 8 + 6)});
                break;
            case D3DOP_PROCESSVERTICES:
                if (in.size != kProcessVerticesSize) return e;
                for (std::uint16_t i = 0; i < in.count; ++i)
                    in.process.push_back(D3DPROCESSVERTICES{
                        Rd32(p + i * 16), Rd16(p + i * 16 + 4), Rd16(p + i * 16 + 6),
                        Rd32(p + i * 16 + 8), Rd32(p + i * 16 + 12)});
                break;
            default:
                break;
        }
        at += body;
        const bool exit = in.opcode == D3DOP_EXIT;
        e.instructions.push_back(std::move(in));
        if (exit) {
            e.ok = true;
            return e;
        }
    }
    return e;
}

// ---- Execute buffers, materials, viewports, textures ----------------------------------------

HRESULT Direct3DExecuteBuffer::Lock(D3DEXECUTEBUFFERDESC* desc) {
    if (desc == nullptr || desc->dwSize != 20) return DDERR_INVALIDPARAMS;
    if (locked_) return D3DERR_EXECUTE_LOCKED;
    locked_ = true;
    desc->dwBufferSize = static_cast<std::uint32_t>(bytes_.size());
    desc->lpData = bytes_.data();
    desc->dwFlags |= D3DDEB_LPDATA;
    return DD_OK;
}

HRESULT Direct3DExecuteBuffer::Unlock() {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    return DD_OK;
}

HRESULT Direct3DExecuteBuffer::SetExecuteData(const D3DEXECUTEDATA* data) {
    if (data == nullptr || data->dwSize != 48) return DDERR_INVALIDPARAMS;
    data_ = *data;
    dataSet_ = true;
    return DD_OK;
}

HRESULT Direct3DMaterial::SetMaterial(const D3DMATERIAL* m) {
    if (m == nullptr || m->dwSize != 80) return DDERR_INVALIDPARAMS;
    material = *m;
    return DD_OK;
}

Direct3DMaterial::~Direct3DMaterial() {
    if (device != nullptr && handle != 0 && handle <= device->materials_.size())
        device->materials_[handle - 1] = nullptr;
}

HRESULT Direct3DMaterial::GetHandle(Direct3DDevice* d, D3DMATERIALHANDLE* out) {
    if (d == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    if (handle == 0) {
        d->materials_.push_back(this);
        handle = static_cast<D3DMATERIALHANDLE>(d->materials_.size());
        device = d;
    }
    *out = handle;
    return DD_OK;
}

Direct3DViewport::~Direct3DViewport() {
    if (device != nullptr) {
        auto& v = device->viewports_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

HRESULT Direct3DViewport::SetViewport(const D3DVIEWPORT* vp) {
    if (vp == nullptr || vp->dwSize != 44) return DDERR_INVALIDPARAMS;
    if (device == nullptr) return DDERR_GENERIC;  // not added to a device yet
    viewport = *vp;
    return DD_OK;
}

HRESULT Direct3DViewport::SetBackground(D3DMATERIALHANDLE material) {
    background = material;
    return DD_OK;
}

HRESULT Direct3DViewport::Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags) {
    if (device == nullptr || (count > 0 && rects == nullptr)) return DDERR_INVALIDPARAMS;
    std::uint32_t colour = 0;
    if (const D3DMATERIAL* m = device->MaterialFor(background)) {
        auto c = [](float f) {
            return static_cast<std::uint32_t>(std::clamp(f, 0.0f, 1.0f) * 255.0f + 0.5f);
        };
        colour = 0xFF000000u | (c(m->diffuse.r) << 16) | (c(m->diffuse.g) << 8) | c(m->diffuse.b);
    }
    D3DRenderer* r = device->renderer;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (r != nullptr)
            r->Clear(*device, rects[i], flags, colour);
        else
            device->drawer_.Clear(*device, rects[i], flags, colour);
    }
    return DD_OK;
}

Direct3DTexture::~Direct3DTexture() {
    if (device != nullptr && handle != 0 && handle <= device->textures_.size())
        device->textures_[handle - 1] = nullptr;
    if (surface != nullptr) surface->Release();
}

HRESULT Direct3DTexture::GetHandle(Direct3DDevice* d, D3DTEXTUREHANDLE* out) {
    if (d == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    if (handle == 0) {
        d->textures_.push_back(this);
        handle = static_cast<D3DTEXTUREHANDLE>(d->textures_.size());
        device = d;
    }
    *out = handle;
    return DD_OK;
}

HRESULT Direct3DTexture::Load(Direct3DTexture* source) {
    if (source == nullptr || source->surface == nullptr || surface == nullptr)
        return DDERR_INVALIDPARAMS;
    DDSURFACEDESC to, from;
    surface->GetSurfaceDesc(&to);
    source->surface->GetSurfaceDesc(&from);
    if (to.dwWidth != from.dwWidth || to.dwHeight != from.dwHeight ||
        to.ddpfPixelFormat.dwRGBBitCount != from.ddpfPixelFormat.dwRGBBitCount)
        return DDERR_INVALIDPARAMS;
    const RECT all{0, 0, static_cast<std::int32_t>(to.dwWidth),
                   static_cast<std::int32_t>(to.dwHeight)};
    if (FAILED(surface->Blt(&all, source->surface, &all, 0, nullptr))) return DDERR_GENERIC;
    // The palette of an 8-bit texture travels with it.
    DirectDrawPalette* pal = nullptr;
    if (SUCCEEDED(source->surface->GetPalette(&pal))) {
        surface->SetPalette(pal);
        pal->Release();
    }
    return DD_OK;
}

HRESULT QueryTexture(DirectDrawSurface* surface, Direct3DTexture** out) {
    if (surface == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(surface->Caps() & DDSCAPS_TEXTURE)) return DDERR_UNSUPPORTED;
    auto* t = new Direct3DTexture();
    surface->AddRef();
    t->surface = surface;
    *out = t;
    return DD_OK;
}

// ---- Device ---------------------------------------------------------------------------------

Direct3DDevice::~Direct3DDevice() {
    for (Direct3DTexture* t : textures_) {
        if (t == nullptr) continue;
        t->device = nullptr;
        t->handle = 0;
    }
    for (Direct3DViewport* v : viewports_)
        v->device = nullptr;
    for (Direct3DMaterial* m : materials_) {
        if (m == nullptr) continue;
        m->device = nullptr;
        m->handle = 0;
    }
    if (target_ != nullptr) target_->Release();
}

Direct3DTexture* Direct3DDevice::TextureFor(D3DTEXTUREHANDLE h) const {
    return h != 0 && h <= textures_.size() ? textures_[h - 1] : nullptr;
}

const D3DMATERIAL* Direct3DDevice::MaterialFor(D3DMATERIALHANDLE h) const {
    return h != 0 && h <= materials_.size() && materials_[h - 1] != nullptr
               ? &materials_[h - 1]->material
               : nullptr;
}

HRESULT Direct3DDevice::CreateExecuteBuffer(D3DEXECUTEBUFFERDESC* desc, Direct3DExecuteBuffer** out,
                                            void*) {
    if (desc == nullptr || out == nullptr || desc->dwSize != 20 ||
        !(desc->dwFlags & D3DDEB_BUFSIZE) || desc->dwBufferSize == 0 ||
        desc->dwBufferSize > (16u << 20))
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (theDirect3DFaults.executeBufferFails) return DDERR_OUTOFMEMORY;
    auto* b = new Direct3DExecuteBuffer();
    b->bytes_.assign(desc->dwBufferSize, 0);
    *out = b;
    return DD_OK;
}

HRESULT Direct3DDevice::BeginScene() {
    if (inScene_) return D3DERR_SCENE_IN_SCENE;
    inScene_ = true;
    return DD_OK;
}

HRESULT Direct3DDevice::EndScene() {
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    return DD_OK;
}

HRESULT Direct3DDevice::AddViewport(Direct3DViewport* viewport) {
    if (viewport == nullptr) return DDERR_INVALIDPARAMS;
    viewport->device = this;
    viewports_.push_back(viewport);
    return DD_OK;
}

HRESULT Direct3DDevice::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback,
                                           void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    std::vector<DDSURFACEDESC> formats;
    auto add = [&](std::uint32_t flags, std::uint32_t bits, std::uint32_t r, std::uint32_t g,
                   std::uint32_t b, std::uint32_t a) {
        DDSURFACEDESC d;
        d.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        d.ddpfPixelFormat.dwFlags = flags;
        d.ddpfPixelFormat.dwRGBBitCount = bits;
        d.ddpfPixelFormat.dwRBitMask = r;
        d.ddpfPixelFormat.dwGBitMask = g;
        d.ddpfPixelFormat.dwBBitMask = b;
        d.ddpfPixelFormat.dwRGBAlphaBitMask = a;
        formats.push_back(d);
    };
    add(DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0);
    add(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (theDirect3DFaults.with1555)
        add(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    if (theDirect3DFaults.with4444)
        add(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    for (std::int32_t i = 0; i < theDirect3DFaults.extraFormats; ++i)
        add(DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0);
    for (DDSURFACEDESC& d : formats)
        if (callback(&d, context) == DDENUMRET_CANCEL) break;
    return DD_OK;
}

HRESULT Direct3DDevice::Execute(Direct3DExecuteBuffer* buffer, Direct3DViewport* viewport,
                                std::uint32_t flags) {
    if (buffer == nullptr || viewport == nullptr || viewport->device != this)
        return DDERR_INVALIDPARAMS;
    if (buffer->locked_) return D3DERR_EXECUTE_LOCKED;
    if (!buffer->dataSet_) return D3DERR_EXECUTE_FAILED;
    D3DRecordedExecute e =
        DecodeExecuteBuffer(buffer->bytes_.data(), buffer->bytes_.size(), buffer->data_);
    e.flags = flags;
    D3DRenderer* r = renderer != nullptr ? renderer : &drawer_;
    r->BeginExecute(e);
    for (const D3DRecordedInstruction& in : e.instructions) {
        for (const D3DSTATE& s : in.states)
            if (s.dwArg0 < kRenderStateCount) states_[s.dwArg0] = s.dwArg1;
        for (const D3DPROCESSVERTICES& p : in.process) {
            if (std::uint64_t{p.wStart} + p.dwCount > e.vertices.size()) continue;
            if (working_.size() < std::size_t{p.wDest} + p.dwCount)
                working_.resize(std::size_t{p.wDest} + p.dwCount);
            std::copy(e.vertices.begin() + p.wStart, e.vertices.begin() + p.wStart + p.dwCount,
                      working_.begin() + p.wDest);
        }
        for (const D3DTRIANGLE& t : in.triangles) {
            if (t.v1 >= working_.size() || t.v2 >= working_.size() || t.v3 >= working_.size())
                continue;
            r->Triangle(*this, working_[t.v1], working_[t.v2], working_[t.v3]);
        }
    }
    return e.ok ? DD_OK : D3DERR_EXECUTE_FAILED;
}

// ---- Direct3D -------------------------------------------------------------------------------

Direct3D::~Direct3D() {
    if (owner != nullptr) owner->Release();
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    auto report = [&](const GUID& g, const char* desc, const char* name, bool hardware) {
        D3DDEVICEDESC hw, sw;
        D3DDEVICEDESC& d = hardware ? hw : sw;
        d.dcmColorModel = D3DCOLOR_RGB;
        d.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE;
        d.dwDeviceRenderBitDepth = 0x400;  // 16 bits
        d.dwDeviceZBufferBitDepth = hardware ? 0x400 : 0;
        GUID copy = g;
        return callback(&copy, desc, name, &hw, &sw, context);
    };
    if (theDirect3DFaults.softwareRgbDevice &&
        report(IID_IDirect3DRGBDevice, "Software RGB emulation", "RGB Emulation", false) ==
            DDENUMRET_CANCEL)
        return DD_OK;
    for (std::int32_t i = 0; i < theDirect3DFaults.extraDevices; ++i)
        if (report(IID_IDirect3DRGBDevice, "Further software device with a long description",
                   "A software device whose name is long", false) == DDENUMRET_CANCEL)
            return DD_OK;
    if (theDirect3DFaults.hardwareDevice)
        report(IID_IDirect3DHALDevice, "Hardware acceleration", "Direct3D HAL", true);
    return DD_OK;
}

HRESULT Direct3D::CreateViewport(Direct3DViewport** out, void*) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = new Direct3DViewport();
    return DD_OK;
}

HRESULT Direct3D::CreateMaterial(Direct3DMaterial** out, void*) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = new Direct3DMaterial();
    return DD_OK;
}

HRESULT QueryDirect3D(DirectDraw* dd, Direct3D** out) {
    if (dd == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (theDirect3DFaults.queryFails) return DDERR_UNSUPPORTED;
    auto* d = new Direct3D();
    dd->AddRef();
    d->owner = dd;
    *out = d;
    return DD_OK;
}

HRESULT QueryDevice(DirectDrawSurface* surface, const GUID& guid, Direct3DDevice** out) {
    if (surface == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (theDirect3DFaults.deviceFails || !(surface->Caps() & DDSCAPS_3DDEVICE) ||
        (guid != IID_IDirect3DRGBDevice && guid != IID_IDirect3DHALDevice))
        return DDERR_UNSUPPORTED;
    auto* d = new Direct3DDevice();
    surface->AddRef();
    d->target_ = surface;
    d->renderer = theDefaultD3DRenderer;
    *out = d;
    return DD_OK;
}

void ResetDirect3DStandIn() {
    theDirect3DFaults = Direct3DFaults{};
    theDefaultD3DRenderer = nullptr;
}

// ---- Software drawer ------------------------------------------------------------------------

namespace {

struct Colour {
    float r, g, b, a;
};

Colour FromArgb(std::uint32_t c) {
    return Colour{static_cast<float>((c >> 16) & 0xFF) / 255.0f,
                  static_cast<float>((c >> 8) & 0xFF) / 255.0f,
                  static_cast<float>(c & 0xFF) / 255.0f, static_cast<float>(c >> 24) / 255.0f};
}

// A texel of a locked texture, as colour and alpha.
Colour Texel(const DDSURFACEDESC& d, const std::uint8_t* bits, const DirectDrawPalette* pal,
             float u, float v) {
    const std::int32_t w = static_cast<std::int32_t>(d.dwWidth);
    const std::int32_t h = static_cast<std::int32_t>(d.dwHeight);
    // Coordinates wrap, as the program's texture addressing does.
    std::int32_t x = static_cast<std::int32_t>(std::floor(u * static_cast<float>(w))) % w;
    std::int32_t y = static_cast<std::int32_t>(std::floor(v * static_cast<float>(h))) % h;
    if (x < 0) x += w;
    if (y < 0) y += h;
    const DDPIXELFORMAT& f = d.ddpfPixelFormat;
    if (f.dwFlags & DDPF_PALETTEINDEXED8) {
        const std::uint8_t i = bits[y * d.lPitch + x];
        if (pal == nullptr) return Colour{0, 0, 0, 1};
        const PALETTEENTRY& e = pal->entries[i];
        return Colour{e.peRed / 255.0f, e.peGreen / 255.0f, e.peBlue / 255.0f, 1};
    }
    const std::uint32_t p = Rd16(bits + y * d.lPitch + x * 2);
    auto channel = [p](std::uint32_t mask) {
        if (mask == 0) return 1.0f;
        std::uint32_t m = mask, shift = 0;
        while (!(m & 1u))
            m >>= 1, ++shift;
        return static_cast<float>((p & mask) >> shift) / static_cast<float>(m);
    };
    return Colour{channel(f.dwRBitMask), channel(f.dwGBitMask), channel(f.dwBBitMask),
                  (f.dwFlags & DDPF_ALPHAPIXELS) ? channel(f.dwRGBAlphaBitMask) : 1.0f};
}

std::uint16_t To565(const Colour& c) {
    auto q = [](float v, int max) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 1.0f) * static_cast<float>(max) +
                                          0.5f);
    };
    return static_cast<std::uint16_t>((q(c.r, 31) << 11) | (q(c.g, 63) << 5) | q(c.b, 31));
}

Colour From565(std::uint16_t p) {
    return Colour{static_cast<float>((p >> 11) & 31) / 31.0f,
                  static_cast<float>((p >> 5) & 63) / 63.0f, static_cast<float>(p & 31) / 31.0f, 1};
}

}  // namespace

void D3DSoftwareDrawer::Clear(Direct3DDevice& device, const D3DRECT& rect, std::uint32_t flags,
                              std::uint32_t colour) {
    if (!(flags & D3DCLEAR_TARGET) || device.Target() == nullptr) return;
    DirectDrawSurface* s = device.Target();
    if (s->Depth() != 16) return;
    DDBLTFX fx;
    fx.dwFillColor = To565(FromArgb(colour));
    RECT r{std::max(rect.x1, 0), std::max(rect.y1, 0), std::min(rect.x2, s->Width()),
           std::min(rect.y2, s->Height())};
    if (r.left < r.right && r.top < r.bottom) s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx);
}

void D3DSoftwareDrawer::Triangle(Direct3DDevice& device, const D3DTLVERTEX& a, const D3DTLVERTEX& b,
                                 const D3DTLVERTEX& c) {
    DirectDrawSurface* target = device.Target();
    if (target == nullptr || target->Depth() != 16 || target->IsLocked()) return;
    DDSURFACEDESC td;
    if (FAILED(target->Lock(nullptr, &td, DDLOCK_WAIT, nullptr))) return;
    auto* dst = static_cast<std::uint8_t*>(td.lpSurface);

    Direct3DTexture* texture = device.TextureFor(device.RenderState(D3DRENDERSTATE_TEXTUREHANDLE));
    DDSURFACEDESC xd;
    const std::uint8_t* texels = nullptr;
    DirectDrawPalette* pal = nullptr;
    if (texture != nullptr && texture->surface != nullptr &&
        SUCCEEDED(texture->surface->Lock(nullptr, &xd, DDLOCK_WAIT, nullptr))) {
        texels = static_cast<const std::uint8_t*>(xd.lpSurface);
        texture->surface->GetPalette(&pal);
    }
    const bool perspective = device.RenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE) != 0;
    const bool gouraud = device.RenderState(D3DRENDERSTATE_SHADEMODE) != D3DSHADE_FLAT;
    const bool fog = device.RenderState(D3DRENDERSTATE_FOGENABLE) != 0;
    const Colour fogColour = FromArgb(device.RenderState(D3DRENDERSTATE_FOGCOLOR));

    // Pixel centres at integer coordinates; a pixel is drawn when its centre lies inside the
    // triangle, or on an edge the triangle owns, so that triangles sharing an edge draw each
    // pixel of it once.
    auto edge = [](const D3DTLVERTEX& p0, const D3DTLVERTEX& p1, float x, float y) {
        return (p1.sx - p0.sx) * (y - p0.sy) - (p1.sy - p0.sy) * (x - p0.sx);
    };
    const float signedArea = edge(b, c, a.sx, a.sy);
    const float sign = signedArea < 0 ? -1.0f : 1.0f;
    const float area = signedArea * sign;
    auto owns = [sign](const D3DTLVERTEX& p0, const D3DTLVERTEX& p1) {
        const float dx = sign * (p1.sx - p0.sx), dy = sign * (p1.sy - p0.sy);
        return dy > 0 || (dy == 0 && dx < 0);
    };
    const bool ownA = owns(b, c), ownB = owns(c, a), ownC = owns(a, b);
    if (std::isfinite(area) && area != 0.0f) {
        const std::int32_t w = target->Width(), h = target->Height();
        const float minX = std::min({a.sx, b.sx, c.sx}), maxX = std::max({a.sx, b.sx, c.sx});
        const float minY = std::min({a.sy, b.sy, c.sy}), maxY = std::max({a.sy, b.sy, c.sy});
        const std::int32_t x0 =
            std::max(0, static_cast<std::int32_t>(std::ceil(std::max(minX, -1.0f))));
        const std::int32_t x1 =
            std::min(w - 1, static_cast<std::int32_t>(std::floor(std::min(maxX, 1e6f))));
        const std::int32_t y0 =
            std::max(0, static_cast<std::int32_t>(std::ceil(std::max(minY, -1.0f))));
        const std::int32_t y1 =
            std::min(h - 1, static_cast<std::int32_t>(std::floor(std::min(maxY, 1e6f))));
        const Colour ca = FromArgb(a.color), cb = FromArgb(b.color), cc = FromArgb(c.color);
        const float fa = static_cast<float>(a.specular >> 24) / 255.0f;
        const float fb = static_cast<float>(b.specular >> 24) / 255.0f;
        const float fc = static_cast<float>(c.specular >> 24) / 255.0f;
        for (std::int32_t y = y0; y <= y1; ++y) {
            auto* row = dst + y * td.lPitch;
            for (std::int32_t x = x0; x <= x1; ++x) {
                const float px = static_cast<float>(x), py = static_cast<float>(y);
                const float ea = edge(b, c, px, py) * sign;
                const float eb = edge(c, a, px, py) * sign;
                const float ec = edge(a, b, px, py) * sign;
                if (ea < 0 || eb < 0 || ec < 0) continue;
                if ((ea == 0 && !ownA) || (eb == 0 && !ownB) || (ec == 0 && !ownC)) continue;
                const float wa = ea / area, wb = eb / area, wc = ec / area;
                Colour col = gouraud ? Colour{wa * ca.r + wb * cb.r + wc * cc.r,
                                              wa * ca.g + wb * cb.g + wc * cc.g,
                                              wa * ca.b + wb * cb.b + wc * cc.b, 1}
                                     : ca;
                if (texels != nullptr) {
                    float u, v;
                    if (perspective) {
                        const float q = wa * a.rhw + wb * b.rhw + wc * c.rhw;
                        u = (wa * a.tu * a.rhw + wb * b.tu * b.rhw + wc * c.tu * c.rhw) / q;
                        v = (wa * a.tv * a.rhw + wb * b.tv * b.rhw + wc * c.tv * c.rhw) / q;
                    } else {
                        u = wa * a.tu + wb * b.tu + wc * c.tu;
                        v = wa * a.tv + wb * b.tv + wc * c.tv;
                    }
                    if (!std::isfinite(u) || !std::isfinite(v)) continue;
                    const Colour t = Texel(xd, texels, pal, u, v);
                    col = Colour{col.r * t.r, col.g * t.g, col.b * t.b, t.a};
                }
                if (fog) {
                    const float f = gouraud ? wa * fa + wb * fb + wc * fc : fa;
                    col.r = col.r * f + fogColour.r * (1 - f);
                    col.g = col.g * f + fogColour.g * (1 - f);
                    col.b = col.b * f + fogColour.b * (1 - f);
                }
                if (col.a <= 0.0f) continue;  // a transparent texel
                std::uint8_t* p = row + x * 2;
                if (col.a < 1.0f) {
                    const Colour under = From565(Rd16(p));
                    col.r = col.r * col.a + under.r * (1 - col.a);
                    col.g = col.g * col.a + under.g * (1 - col.a);
                    col.b = col.b * col.a + under.b * (1 - col.a);
                }
                Wr16(p, To565(col));
            }
        }
    }
    if (pal != nullptr) pal->Release();
    if (texels != nullptr) texture->surface->Unlock(nullptr);
    target->Unlock(nullptr);
}

}  // namespace win
