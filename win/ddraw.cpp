// The full-screen display device. Surfaces keep their pixels in buffers that flips exchange;
// the primary's buffer is what the cooperative window shows.
#include "win/ddraw.h"

#include <algorithm>
#include <cstring>

#include "win/compositor.h"
#include "win/window_surface.h"

namespace win {

DirectDrawFaults theDirectDrawFaults;
DirectDrawStats theDirectDrawStats;
const GUID theSecondaryDriverGuid{0x5A3D0001u, 0x3D3D, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};

namespace {

std::int32_t theLibraryLoads = 0;

std::int32_t BytesPerPixel(std::int32_t depth) {
    return (depth + 7) / 8;
}

bool IsVideoTexture(std::uint32_t caps) {
    return (caps & DDSCAPS_TEXTURE) && (caps & (DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD));
}

std::unique_ptr<DDBuffer> MakeBuffer(std::int32_t width, std::int32_t height, std::int32_t depth) {
    auto b = std::make_unique<DDBuffer>();
    if (depth == 8) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biBitCount = 8;
        void* bits = nullptr;
        b->dc = CreateCompatibleDC(HDC{});
        if (b->dc) b->bitmap = CreateDIBSection(b->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!b->bitmap || bits == nullptr) {
            if (b->dc) DeleteDC(b->dc);
            b->dc = HDC{};
            return nullptr;
        }
        b->previous = SelectObject(b->dc, b->bitmap);
        b->bits = static_cast<std::uint8_t*>(bits);
        b->pitch = (width + 3) & ~3;
        std::memset(b->bits, 0, static_cast<std::size_t>(b->pitch) * height);
        return b;
    }
    b->pitch = (width * BytesPerPixel(depth) + 3) & ~3;
    b->memory.assign(static_cast<std::size_t>(b->pitch) * height, 0);
    b->bits = b->memory.data();
    return b;
}

// The primary of a chain, or the surface itself.
DirectDrawSurface* ChainOwner(DirectDrawSurface* s, DirectDrawSurface* owner) {
    return owner != nullptr ? owner : s;
}

void ExpandPixel16(std::uint16_t v, std::uint32_t* out) {
    const std::uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    *out = ((r * 255 / 31) << 16) | ((g * 255 / 63) << 8) | (b * 255 / 31);
}

}  // namespace

DDObject::DDObject() {
    ++theDirectDrawStats.liveObjects;
}

DDObject::~DDObject() {
    --theDirectDrawStats.liveObjects;
}

std::uint32_t DDObject::Release() {
    if (refs_ == 0) return 0;
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

DDBuffer::~DDBuffer() {
    if (dc) {
        if (previous) SelectObject(dc, previous);
        DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
}

// ---- Palettes -------------------------------------------------------------------------------

HRESULT DirectDrawPalette::SetEntries(std::uint32_t, std::uint32_t start, std::uint32_t count,
                                      const PALETTEENTRY* source) {
    if (source == nullptr || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::copy(source, source + count, entries.begin() + start);
    // A palette on the primary recolours the screen at once.
    if (device && device->primary && device->primary->GetPalette(nullptr) == DD_OK) {
        DirectDrawPalette* shown = nullptr;
        device->primary->GetPalette(&shown);
        if (shown == this) device->primary->Show();
        if (shown) shown->Release();
    }
    return DD_OK;
}

HRESULT DirectDrawPalette::GetEntries(std::uint32_t, std::uint32_t start, std::uint32_t count,
                                      PALETTEENTRY* out) const {
    if (out == nullptr || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::copy(entries.begin() + start, entries.begin() + start + count, out);
    return DD_OK;
}

// ---- Surfaces -------------------------------------------------------------------------------

DirectDrawSurface::~DirectDrawSurface() {
    for (DirectDrawSurface* back : backBuffers_) {
        back->owner_ = nullptr;
        delete back;
    }
    if (palette_) palette_->Release();
    if (device_) {
        if (caps_ & DDSCAPS_VIDEOMEMORY) --device_->videoSurfaces;
        if (IsVideoTexture(caps_)) --device_->videoTextures;
        auto& list = device_->surfaces;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (device_->primary == this) device_->primary = nullptr;
        if (device_->gdiSurface == this) device_->gdiSurface = nullptr;
    }
}

HRESULT DirectDrawSurface::IsLost() const {
    const DirectDrawSurface* o = owner_ != nullptr ? owner_ : this;
    return o->lost_ || lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT DirectDrawSurface::Restore() {
    DirectDrawSurface* o = ChainOwner(this, owner_);
    o->lost_ = false;
    for (DirectDrawSurface* b : o->backBuffers_)
        b->lost_ = false;
    lost_ = false;
    return DD_OK;
}

HRESULT DirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC* desc, std::uint32_t, void*) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    if (IsLost() != DD_OK) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    GetSurfaceDesc(desc);
    std::uint8_t* p = buffer_->bits;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->right > width_ || rect->bottom > height_ ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return DDERR_INVALIDPARAMS;
        p += rect->top * buffer_->pitch + rect->left * BytesPerPixel(depth_);
    }
    desc->lpSurface = p;
    desc->dwFlags |= DDSD_LPSURFACE;
    locked_ = true;
    return DD_OK;
}

HRESULT DirectDrawSurface::Unlock(void*) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    if (caps_ & DDSCAPS_PRIMARYSURFACE) Show();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* out) const {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = DDSURFACEDESC{};
    out->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    out->dwWidth = static_cast<std::uint32_t>(width_);
    out->dwHeight = static_cast<std::uint32_t>(height_);
    out->lPitch = buffer_->pitch;
    out->ddsCaps.dwCaps = caps_;
    out->dwBackBufferCount = static_cast<std::uint32_t>(backBuffers_.size());
    GetPixelFormat(&out->ddpfPixelFormat);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPixelFormat(DDPIXELFORMAT* out) const {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = format_;
    return DD_OK;
}

HRESULT DirectDrawSurface::Flip(DirectDrawSurface* target, std::uint32_t flags) {
    // The program presents through the buffer it draws into, the chain's first back buffer: a
    // flip asked of a chain member flips the whole chain.
    if (owner_ != nullptr && (caps_ & DDSCAPS_FLIP)) return owner_->Flip(target, flags);
    if (!(caps_ & DDSCAPS_FLIP) || owner_ != nullptr || backBuffers_.empty()) return DDERR_NOTFOUND;
    if (IsLost() != DD_OK) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    for (DirectDrawSurface* b : backBuffers_)
        if (b->locked_ || b->dcOut_) return DDERR_SURFACEBUSY;
    if (target != nullptr) {
        if (std::find(backBuffers_.begin(), backBuffers_.end(), target) == backBuffers_.end())
            return DDERR_INVALIDPARAMS;
        std::swap(buffer_, target->buffer_);
    } else {
        // The first back buffer comes to the front; the old front goes to the end of the chain.
        std::unique_ptr<DDBuffer> front = std::move(buffer_);
        buffer_ = std::move(backBuffers_[0]->buffer_);
        for (std::size_t i = 0; i + 1 < backBuffers_.size(); ++i)
            backBuffers_[i]->buffer_ = std::move(backBuffers_[i + 1]->buffer_);
        backBuffers_.back()->buffer_ = std::move(front);
    }
    ++theDirectDrawStats.flips;
    Show();
    return DD_OK;
}

HRESULT DirectDrawSurface::Blt(const RECT* destRect, DirectDrawSurface* source,
                               const RECT* sourceRect, std::uint32_t flags, const DDBLTFX* fx) {
    if (IsLost() != DD_OK || (source && source->IsLost() != DD_OK)) return DDERR_SURFACELOST;
    if (locked_ || (source && source->locked_)) return DDERR_SURFACEBUSY;
    const RECT d = destRect ? *destRect : RECT{0, 0, width_, height_};
    if (d.left < 0 || d.top < 0 || d.right > width_ || d.bottom > height_ || d.left > d.right ||
        d.top > d.bottom)
        return DDERR_INVALIDPARAMS;
    const std::int32_t bpp = BytesPerPixel(depth_);
    if (flags & DDBLT_COLORFILL) {
        if (fx == nullptr) return DDERR_INVALIDPARAMS;
        for (std::int32_t y = d.top; y < d.bottom; ++y) {
            std::uint8_t* row = buffer_->bits + y * buffer_->pitch;
            for (std::int32_t x = d.left; x < d.right; ++x)
                std::memcpy(row + x * bpp, &fx->dwFillColor, static_cast<std::size_t>(bpp));
        }
    } else {
        if (source == nullptr || source->depth_ != depth_) return DDERR_INVALIDPARAMS;
        const RECT s = sourceRect ? *sourceRect : RECT{0, 0, source->width_, source->height_};
        if (s.left < 0 || s.top < 0 || s.right > source->width_ || s.bottom > source->height_ ||
            s.left >= s.right || s.top >= s.bottom)
            return DDERR_INVALIDPARAMS;
        const std::int32_t dw = d.right - d.left, dh = d.bottom - d.top;
        const std::int32_t sw = s.right - s.left, sh = s.bottom - s.top;
        // Nearest-pixel scaling through a copy, so that a surface may blit onto itself.
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(dw) * dh * bpp);
        for (std::int32_t y = 0; y < dh; ++y)
            for (std::int32_t x = 0; x < dw; ++x)
                std::memcpy(&rows[(static_cast<std::size_t>(y) * dw + x) * bpp],
                            source->buffer_->bits + (s.top + y * sh / dh) * source->buffer_->pitch +
                                (s.left + x * sw / dw) * bpp,
                            static_cast<std::size_t>(bpp));
        for (std::int32_t y = 0; y < dh; ++y)
            std::memcpy(buffer_->bits + (d.top + y) * buffer_->pitch + d.left * bpp,
                        &rows[static_cast<std::size_t>(y) * dw * bpp],
                        static_cast<std::size_t>(dw) * bpp);
    }
    if (caps_ & DDSCAPS_PRIMARYSURFACE) Show();
    return DD_OK;
}

HRESULT DirectDrawSurface::BltFast(std::uint32_t x, std::uint32_t y, DirectDrawSurface* source,
                                   const RECT* sourceRect, std::uint32_t) {
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    const RECT s = sourceRect ? *sourceRect : RECT{0, 0, source->width_, source->height_};
    const std::int64_t right = static_cast<std::int64_t>(x) + (s.right - s.left);
    const std::int64_t bottom = static_cast<std::int64_t>(y) + (s.bottom - s.top);
    if (right > width_ || bottom > height_) return DDERR_INVALIDPARAMS;
    const RECT d{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                 static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
    return Blt(&d, source, &s, 0, nullptr);
}

HRESULT DirectDrawSurface::GetAttachedSurface(const DDSCAPS* caps, DirectDrawSurface** out) {
    if (caps == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || backBuffers_.empty()) return DDERR_NOTFOUND;
    *out = backBuffers_[0];
    backBuffers_[0]->AddRef();
    return DD_OK;
}

HRESULT DirectDrawSurface::EnumAttachedSurfaces(void* context, LPDDENUMSURFACESCALLBACK callback) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    // The attached surfaces stay owned by the primary: the callback gets no reference.
    for (DirectDrawSurface* b : backBuffers_) {
        DDSURFACEDESC desc;
        b->GetSurfaceDesc(&desc);
        if (callback(b, &desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::SetPalette(DirectDrawPalette* palette) {
    if (palette != nullptr && depth_ != 8) return DDERR_UNSUPPORTED;
    if (palette) palette->AddRef();
    if (palette_) palette_->Release();
    palette_ = palette;
    if (caps_ & DDSCAPS_PRIMARYSURFACE) Show();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPalette(DirectDrawPalette** out) {
    if (palette_ == nullptr) return DDERR_NOPALETTEATTACHED;
    if (out != nullptr) {
        palette_->AddRef();
        *out = palette_;
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::GetDC(HDC* out) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = HDC{};
    if (IsLost() != DD_OK) return DDERR_SURFACELOST;
    if (dcOut_ || locked_) return DDERR_SURFACEBUSY;
    if (!buffer_->dc) return DDERR_UNSUPPORTED;
    // GDI sees the colours of the palette on the chain's primary.
    const DirectDrawSurface* o = owner_ != nullptr ? owner_ : this;
    if (o->palette_ != nullptr) {
        RGBQUAD quads[256];
        for (int i = 0; i < 256; ++i)
            quads[i] = RGBQUAD{o->palette_->entries[i].peBlue, o->palette_->entries[i].peGreen,
                               o->palette_->entries[i].peRed, 0};
        SetDIBColorTable(buffer_->dc, 0, 256, quads);
    }
    dcOut_ = true;
    *out = buffer_->dc;
    return DD_OK;
}

HRESULT DirectDrawSurface::ReleaseDC(HDC dc) {
    if (!dcOut_ || dc != buffer_->dc) return DDERR_INVALIDPARAMS;
    dcOut_ = false;
    if (caps_ & DDSCAPS_PRIMARYSURFACE) Show();
    return DD_OK;
}

// Only rows that differ from the window's are copied, and they are noted for the screen as the
// whole-picture copy of a window notes them; a flip that changed nothing leaves the window
// undrawn, so the screen is not presented again for the same picture.
void DirectDrawSurface::Show() {
    if (!(caps_ & DDSCAPS_PRIMARYSURFACE) || !device_ || !device_->window) return;
    WindowSurface* ws = GetWindowSurface(device_->window);
    if (ws == nullptr) return;
    if (!device_->formatSaved) {
        device_->formatSaved = true;
        device_->savedFormat = ws->format;
    }
    const int w = std::min(ws->width, width_), h = std::min(ws->height, height_);
    const SurfaceFormat format = depth_ == 8 ? SurfaceFormat::Indexed8 : SurfaceFormat::Rgb32;
    bool changed = ws->format != format;
    if (changed) SetWindowSurfaceFormat(device_->window, format);
    ws = GetWindowSurface(device_->window);
    const bool tracked = !changed && ws->rowsSerial == ws->contentSerial &&
                         ws->rowsChanged.size() == static_cast<std::size_t>(ws->height);
    auto noteRow = [&](int y) {
        if (tracked) ws->rowsChanged[static_cast<std::size_t>(y)] = 1;
        changed = true;
    };
    if (depth_ == 8) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* to = &ws->indices[static_cast<std::size_t>(y) * ws->width];
            const std::uint8_t* from = buffer_->bits + y * buffer_->pitch;
            if (std::memcmp(to, from, static_cast<std::size_t>(w)) == 0) continue;
            std::memcpy(to, from, static_cast<std::size_t>(w));
            noteRow(y);
        }
        if (palette_ != nullptr) {
            std::array<std::uint32_t, 256> colours{};
            for (int i = 0; i < 256; ++i) {
                const PALETTEENTRY& e = palette_->entries[i];
                colours[i] =
                    (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
            }
            if (colours != ws->palette) SetWindowSurfacePalette(device_->window, colours);
        }
    } else {
        std::vector<std::uint32_t> row(static_cast<std::size_t>(std::max(w, 0)));
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* from = buffer_->bits + y * buffer_->pitch;
            for (int x = 0; x < w; ++x) {
                std::uint16_t v = 0;
                std::memcpy(&v, from + x * 2, 2);
                ExpandPixel16(v, &row[static_cast<std::size_t>(x)]);
            }
            std::uint32_t* to = &ws->pixels[static_cast<std::size_t>(y) * ws->width];
            if (std::memcmp(to, row.data(), row.size() * 4) == 0) continue;
            std::memcpy(to, row.data(), row.size() * 4);
            noteRow(y);
        }
    }
    ++theDirectDrawStats.shows;
    if (!changed) return;
    MarkWindowSurfaceDrawn(device_->window);
    if (tracked) ws->rowsSerial = ws->contentSerial;
    RequestPresent();
}

// ---- The device -----------------------------------------------------------------------------

DirectDraw::DirectDraw(const GUID* driver) : state_(std::make_shared<DDDeviceState>()) {
    secondary_ = driver != nullptr;
    ++theDirectDrawStats.devicesCreated;
}

void DDDeviceState::GiveBackWindowFormat() {
    if (formatSaved && window) SetWindowSurfaceFormat(window, savedFormat);
    formatSaved = false;
}

DirectDraw::~DirectDraw() {
    // Surfaces may live on; they keep the shared state but lose the window.
    state_->GiveBackWindowFormat();
    state_->window = HWND{};
}

void DirectDraw::LoseAllSurfaces() {
    for (DirectDrawSurface* s : state_->surfaces)
        s->MarkLost();
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, std::uint32_t flags) {
    if ((flags & DDSCL_EXCLUSIVE) && !(flags & DDSCL_FULLSCREEN)) return DDERR_INVALIDPARAMS;
    if ((flags & DDSCL_EXCLUSIVE) && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    state_->window = window;
    state_->cooperativeFlags = flags;
    return DD_OK;
}

HRESULT DirectDraw::GetCaps(DDCAPS* driver, DDCAPS* hel) {
    if ((driver && driver->dwSize != 316) || (hel && hel->dwSize != 316))
        return DDERR_INVALIDPARAMS;
    if (driver) {
        *driver = DDCAPS{};
        driver->dwCaps = secondary_ ? DDCAPS_3D : theDirectDrawFaults.primaryCaps;
        driver->dwVidMemTotal = theDirectDrawFaults.noVideoMemory ? 0 : 4u << 20;
        driver->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_OFFSCREENPLAIN |
                                 DDSCAPS_3DDEVICE | DDSCAPS_TEXTURE |
                                 (theDirectDrawFaults.writeOnlyCaps ? DDSCAPS_WRITEONLY : 0);
    }
    if (hel) {
        *hel = DDCAPS{};
        hel->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    }
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
    if (!(state_->cooperativeFlags & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    if (theDirectDrawFaults.displayModeFails) return DDERR_UNSUPPORTED;
    if ((bpp != 8 && bpp != 16) || width == 0 || height == 0 || width > 4096 || height > 4096)
        return DDERR_INVALIDPARAMS;
    state_->width = static_cast<std::int32_t>(width);
    state_->height = static_cast<std::int32_t>(height);
    state_->depth = static_cast<std::int32_t>(bpp);
    state_->modeSet = true;
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    state_->modeSet = false;
    state_->GiveBackWindowFormat();
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(const DDSURFACEDESC* desc, DirectDrawSurface** out, void*) {
    if (desc == nullptr || out == nullptr || desc->dwSize != 108 || !(desc->dwFlags & DDSD_CAPS))
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const std::uint32_t caps = desc->ddsCaps.dwCaps;
    const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
    // Without an explicit request a surface lives in system memory, the primary included.
    const bool video = (caps & (DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD)) != 0;
    std::int32_t w = state_->width, h = state_->height, depth = state_->depth;
    DDPIXELFORMAT format;
    if (!primary) {
        if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT) || desc->dwWidth == 0 ||
            desc->dwHeight == 0 || desc->dwWidth > 4096 || desc->dwHeight > 4096)
            return DDERR_INVALIDPARAMS;
        w = static_cast<std::int32_t>(desc->dwWidth);
        h = static_cast<std::int32_t>(desc->dwHeight);
    } else if (state_->primary != nullptr) {
        return DDERR_SURFACEBUSY;  // one primary per device
    }
    if (desc->dwFlags & DDSD_PIXELFORMAT) {
        format = desc->ddpfPixelFormat;
        depth = (format.dwFlags & DDPF_PALETTEINDEXED8)
                    ? 8
                    : static_cast<std::int32_t>(format.dwRGBBitCount);
        if (depth != 8 && depth != 16) return DDERR_INVALIDPARAMS;
    } else if (depth == 8) {
        format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        format.dwRGBBitCount = 8;
    } else {
        format.dwFlags = DDPF_RGB;
        format.dwRGBBitCount = 16;
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    }
    std::uint32_t backCount = 0;
    if (primary && (caps & DDSCAPS_FLIP)) {
        if (!(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount == 0 ||
            !(caps & DDSCAPS_COMPLEX))
            return DDERR_INVALIDPARAMS;
        backCount = desc->dwBackBufferCount;
        if (static_cast<std::int32_t>(backCount) > theDirectDrawFaults.maxBackBuffers)
            return DDERR_OUTOFVIDEOMEMORY;
    }
    if (primary && !(state_->cooperativeFlags & DDSCL_EXCLUSIVE) && backCount > 0)
        return DDERR_NOEXCLUSIVEMODE;
    if (video) {
        if (theDirectDrawFaults.noVideoMemory) return DDERR_OUTOFVIDEOMEMORY;
        const std::int32_t limit = theDirectDrawFaults.videoMemorySurfaces;
        if (limit >= 0 && state_->videoSurfaces + 1 > limit) return DDERR_OUTOFVIDEOMEMORY;
        const std::int32_t textures = theDirectDrawFaults.videoTextures;
        if (IsVideoTexture(caps) && textures >= 0 && state_->videoTextures + 1 > textures)
            return DDERR_OUTOFVIDEOMEMORY;
    }

    auto make = [&](std::uint32_t surfaceCaps) -> DirectDrawSurface* {
        std::unique_ptr<DDBuffer> buffer = MakeBuffer(w, h, depth);
        if (!buffer) return nullptr;
        auto* s = new DirectDrawSurface();
        s->device_ = state_;
        s->buffer_ = std::move(buffer);
        s->width_ = w;
        s->height_ = h;
        s->depth_ = depth;
        s->format_ = format;
        s->caps_ = surfaceCaps;
        state_->surfaces.push_back(s);
        return s;
    };
    std::uint32_t ownCaps = caps & ~DDSCAPS_ALLOCONLOAD;
    if (video)
        ownCaps = (ownCaps & ~DDSCAPS_SYSTEMMEMORY) | DDSCAPS_VIDEOMEMORY;
    else
        ownCaps |= DDSCAPS_SYSTEMMEMORY;
    if (theDirectDrawFaults.writeOnlyCaps && video) ownCaps |= DDSCAPS_WRITEONLY;
    DirectDrawSurface* s = make(primary && backCount ? ownCaps | DDSCAPS_FRONTBUFFER : ownCaps);
    if (s == nullptr) return DDERR_OUTOFMEMORY;
    if (video) ++state_->videoSurfaces;
    if (IsVideoTexture(ownCaps)) ++state_->videoTextures;
    for (std::uint32_t i = 0; i < backCount; ++i) {
        const std::uint32_t backCaps = (ownCaps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) |
                                       (i == 0 ? DDSCAPS_BACKBUFFER : 0);
        DirectDrawSurface* b = make(backCaps);
        if (b == nullptr) {
            s->Release();
            return DDERR_OUTOFMEMORY;
        }
        b->owner_ = s;
        s->backBuffers_.push_back(b);
        if (video) ++state_->videoSurfaces;
    }
    if (primary) {
        state_->primary = s;
        state_->gdiSurface = s;
        s->gdiBuffer_ = s->buffer_.get();
    }
    *out = s;
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(std::uint32_t flags, const PALETTEENTRY* entries,
                                  DirectDrawPalette** out, void*) {
    if (out == nullptr || entries == nullptr || !(flags & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (theDirectDrawFaults.paletteFails) return DDERR_OUTOFMEMORY;
    auto* p = new DirectDrawPalette();
    p->caps = flags;
    p->device = state_;
    std::copy(entries, entries + 256, p->entries.begin());
    *out = p;
    return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(std::uint32_t, void*) {
    ++theDirectDrawStats.verticalBlankWaits;
    return DD_OK;
}

HRESULT DirectDraw::GetGDISurface(DirectDrawSurface** out) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    DirectDrawSurface* p = state_->primary;
    if (p == nullptr) return DDERR_NOTFOUND;
    // GDI keeps drawing into the buffer that was in front when the primary was made.
    DirectDrawSurface* holder = p;
    if (p->buffer_.get() != p->gdiBuffer_)
        for (DirectDrawSurface* b : p->backBuffers_)
            if (b->buffer_.get() == p->gdiBuffer_) holder = b;
    holder->AddRef();
    *out = holder;
    return DD_OK;
}

// ---- The library ----------------------------------------------------------------------------

HRESULT DirectDrawCreate(GUID* driver, DirectDraw** out, void*) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (theDirectDrawFaults.createFails) return DDERR_GENERIC;
    if (driver != nullptr &&
        !(theDirectDrawFaults.secondary3DDriver && *driver == theSecondaryDriverGuid))
        return DDERR_INVALIDPARAMS;
    *out = new DirectDraw(driver);
    theDirectDrawStats.lastDriver = driver != nullptr ? &theSecondaryDriverGuid : nullptr;
    return DD_OK;
}

HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    if (!callback(nullptr, "Primary Display Driver", "display", context)) return DD_OK;
    if (theDirectDrawFaults.secondary3DDriver) {
        GUID g = theSecondaryDriverGuid;
        callback(&g, "Secondary 3D Accelerator", "accel3d", context);
    }
    return DD_OK;
}

const DirectDrawLibrary* LoadDirectDrawLibrary() {
    static const DirectDrawLibrary library{&DirectDrawCreate, &DirectDrawEnumerate};
    if (theDirectDrawFaults.libraryMissing) return nullptr;
    ++theLibraryLoads;
    return &library;
}

void FreeDirectDrawLibrary() {
    if (theLibraryLoads > 0) --theLibraryLoads;
}

std::int32_t DirectDrawLibraryLoads() {
    return theLibraryLoads;
}

void ResetDirectDrawStandIn() {
    theDirectDrawFaults = DirectDrawFaults{};
    theDirectDrawStats = DirectDrawStats{};
}

}  // namespace win
