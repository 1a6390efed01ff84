// The draw table of the 3D surfaces: clears through the device, ellipses in software, polygons
// as transformed-and-lit vertices in the execute-buffer batch with their textures from the
// sheet cache, and the frame bracket that opens and closes the device's scene.
#include <algorithm>
#include <cmath>

#include "gfx/d3d_batch.h"
#include "gfx/d3d_draw_table.h"
#include "gfx/d3d_surface.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/raster/poly_clip.h"
#include "gfx/raster/poly_request.h"
#include "gfx/sheet_cache.h"

namespace gfx {

namespace {

D3DFrameState theFrame;

std::int32_t DropLocks(GFXSurface* s) {
    const std::int32_t held = s->lockCount;
    if (held > 0) {
        s->lockCount = 0;
        s->Unlock();
    }
    return held;
}

void RetakeLocks(GFXSurface* s, std::int32_t held) {
    if (held > 0) {
        s->lockCount = held;
        s->Lock();
    }
}

void D3DClear(GFXSurface* s, std::uint32_t colour) {
    if (s == nullptr || s->kind != kSurfaceKindDirect3D) return;
    // Polygons still waiting belong under the clear, not over it.
    if (theFrame.sceneOpen && theD3DBatch != nullptr) theD3DBatch->Flush();
    const std::int32_t held = DropLocks(s);
    auto* d = static_cast<GFXD3DSurface*>(s);
    if (static_cast<std::int32_t>(colour & 0xFF) != d->backgroundIndex)
        GFXD3DSurface::SetBackground(s, colour & 0xFF);
    GFXD3DSurface::ClearTarget(s);
    GFXD3DSurface::ClearDepth(s);
    RetakeLocks(s, held);
}

void NoPixel(GFXSurface*, GFXPoint, std::uint32_t) {}
void NoSegment(GFXSurface*, GFXPoint, GFXPoint, std::uint32_t) {}
void NoShape(GFXSurface*, const GFXRect&, std::uint32_t) {}
void NoBitmap(GFXSurface*, const GFXBitmap*, GFXPoint, std::uint32_t) {}
void NoBitmapPart(GFXSurface*, const GFXBitmap*, const GFXRect&, GFXPoint, std::uint32_t) {}
void NoBitmapScaled(GFXSurface*, const GFXBitmap*, GFXPoint, GFXSize, std::uint32_t) {}
void NoReserved(GFXSurface*, std::uint32_t, std::uint32_t, std::uint32_t) {}
int NoText(GFXSurface*, const GFXFont*, GFXPoint, const char*) {
    return 0;
}
int NoTextInRect(GFXSurface*, const GFXFont*, const GFXRect&, const char*, std::uint32_t) {
    return 0;
}

void D3DEllipse(GFXSurface* s, const GFXRect& r, std::uint32_t colour) {
    if (theSoftwareDrawTable.DrawEllipse != nullptr) theSoftwareDrawTable.DrawEllipse(s, r, colour);
}

void D3DBeginFrame(GFXSurface* s) {
    if (s == nullptr || theD3DDevice == nullptr || theFrame.sceneOpen) return;
    theFrame.heldLocks = DropLocks(s);
    if (!theFrame.clipRecorded) {
        theFrame.clip = s->clipRect;
        theFrame.clipRecorded = true;
    } else if (!(theFrame.clip == s->clipRect)) {
        // Any moved edge moves the viewport.
        CreateD3DViewport(&s->clipRect);
        theFrame.clip = s->clipRect;
    }
    if (theD3DBatch == nullptr) {
        theD3DBatch =
            new D3DBatch(D3DBatch::kVertices, D3DBatch::kInstructionBytes, D3DBatch::kVertexReserve,
                         D3DBatch::kInstructionReserve, theD3DDevice, theD3DViewport);
        if (!theD3DBatch->IsValid()) DestroyD3DBatch();
    }
    if (theD3DBatch == nullptr) {
        RetakeLocks(s, theFrame.heldLocks);
        return;
    }
    if (theTextureCache != nullptr) theTextureCache->BeginFrame(s->palette);
    theD3DDevice->BeginScene();
    theFrame.sceneOpen = true;
}

void D3DEndFrame(GFXSurface* s) {
    if (s == nullptr || !theFrame.sceneOpen) return;
    if (theD3DBatch != nullptr) theD3DBatch->Flush();
    if (theD3DDevice != nullptr) theD3DDevice->EndScene();
    RetakeLocks(s, theFrame.heldLocks);
    theFrame.heldLocks = 0;
    theFrame.sceneOpen = false;
}

std::uint32_t Argb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return 0xFF000000u | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
}

std::uint32_t Component(std::int32_t v16) {
    return static_cast<std::uint32_t>(std::clamp(v16 >> 8, 0, 255));
}

}  // namespace

D3DFrameState& D3DFrame() {
    return theFrame;
}

void D3DDrawPolygon(GFXSurface* s, GFXPolyRequest* q) {
    if (s == nullptr || q == nullptr || !theFrame.sceneOpen || theD3DBatch == nullptr) return;
    const std::uint32_t asked = (q->flags | s->polyForceBits) & s->polyAllowBits;
    if (asked & kPolyOutline) return;  // the 3D table draws no lines
    const std::uint32_t translucent = (asked & kPolyTranslucent) ? 1 : 0;
    const std::uint32_t mode = (asked & ~kPolyTranslucent) | kPoly16Bit;
    q->flags = mode;
    std::int32_t n = q->count;
    const bool attributed =
        (mode & (kPolySmooth | kPolyTextured | kPolyLit | kPolyPixelLight)) != 0;
    if (n < 3 || n > kPolyMaxPoints || q->points == nullptr ||
        (attributed && n > kPolyMaxAttributedPoints))
        return;
    const bool textured = (mode & kPolyTextured) != 0 && q->texture != nullptr && q->texCoords;
    const bool perspective = (mode & kPolyPerspective) != 0;
    const std::int32_t shift = (mode & kPolySubpixel) ? std::clamp(q->subpixelShift, 0, 16) : 0;

    // Texture pairs travel through the clip weighted by the reciprocal depth, so that the
    // crossings land where the perspective puts them.
    GFXTexCoord tex[kPolyMaxPoints];
    const GFXTexCoord* texPointers[kPolyMaxPoints];
    GFXPolyRequest r = *q;
    if (textured) {
        for (std::int32_t i = 0; i < n; ++i) {
            if (q->texCoords[i] == nullptr || q->points[i] == nullptr) return;
            const float w = perspective ? q->points[i]->w : 1.0f;
            tex[i] = GFXTexCoord{q->texCoords[i]->u * w, q->texCoords[i]->v * w};
            texPointers[i] = &tex[i];
        }
        r.texCoords = texPointers;
    }
    const GFXPolyRequest* p = &r;
    if (s->flags & kSurfaceClipRect) {
        const GFXRect& c = s->clipRect;
        const GFXClipBounds bounds{c.left * (1 << shift), c.top * (1 << shift),
                                   (c.right + 1) * (1 << shift), (c.bottom + 1) * (1 << shift)};
        const GFXPolyRequest& cx = ClipPolygonX(r, bounds);
        p = &ClipPolygonY(cx, bounds);
        if (p->count < 3) return;
    }
    n = p->count;
    if (!theD3DBatch->MakeRoom(n, 6)) return;

    win::D3DTEXTUREHANDLE handle = 0;
    if (textured && theTextureCache != nullptr)
        handle = theTextureCache->GetTexture(q->texture, s->palette, translucent, theD3DBatch);

    const GFXPalette* pal = s->palette;
    // Fog: per vertex from the level words, or the palette's shade level for the whole face.
    const bool vertexFog = (mode & (kPolyPixelLight | kPolyLit)) != 0;
    bool fog = vertexFog;
    std::uint32_t fogAlpha = 255;
    std::uint32_t fogColour = 0;
    if (pal != nullptr && pal->shadeTable != nullptr && pal->shadeBits > 0) {
        const std::uint32_t last = (1u << pal->shadeBits) - 1u;
        const std::uint32_t offset = (last << (pal->shadeShift + 8)) + 1u;
        if (offset < pal->ShadeTableSize()) {
            const GFXPaletteEntry& e = pal->entries[pal->shadeTable[offset]];
            fogColour = Argb(e.red, e.green, e.blue);
        }
        if (!vertexFog && pal->shadeLevel != 0) {
            fog = true;
            const std::uint32_t amount =
                std::min(255u, static_cast<std::uint32_t>(pal->shadeLevel) * 256u / last);
            fogAlpha = 255u - amount;
        }
    }
    if (!fog) fogColour = 0;

    std::uint32_t base = 0xFFFFFFFFu;
    if (!textured && pal != nullptr) {
        const GFXPaletteEntry& e = pal->entries[q->colour & 0xFF];
        base = Argb(e.red, e.green, e.blue);
    }
    const float scale = 1.0f / static_cast<float>(1 << shift);
    const float texScaleU =
        textured ? 256.0f / static_cast<float>(std::max(q->texture->width, 1)) : 1.0f;
    const float texScaleV =
        textured ? 256.0f / static_cast<float>(std::max(std::abs(q->texture->height), 1)) : 1.0f;
    const GFXPolyVertex* first = p->vertices != nullptr ? p->vertices[0] : nullptr;
    std::uint8_t* at = theD3DBatch->vertexPtr;
    for (std::int32_t i = 0; i < n; ++i) {
        const GFXScreenPoint& pt = *p->points[i];
        const GFXPolyVertex* vx = p->vertices != nullptr ? p->vertices[i] : nullptr;
        win::D3DTLVERTEX v;
        v.sx = static_cast<float>(pt.x) * scale;
        v.sy = static_cast<float>(pt.y) * scale;
        v.sz = std::min(static_cast<float>(pt.z) * scale * 0.000005f, 0.9999847412109375f);
        v.rhw = 1.0f;
        if (textured) {
            const GFXTexCoord& tc = *p->texCoords[i];
            if (perspective && pt.w != 0.0f) {
                v.tu = tc.u / pt.w;
                v.tv = tc.v / pt.w;
                v.rhw = pt.w;
            } else {
                v.tu = tc.u;
                v.tv = tc.v;
            }
            v.tu *= texScaleU;
            v.tv *= texScaleV;
            if ((mode & kPolySmooth) && vx != nullptr)
                v.color = Argb(Component(vx->r), Component(vx->g), Component(vx->b));
            else if ((mode & kPolyFaceShade) && first != nullptr)
                v.color = Argb(Component(first->r), Component(first->g), Component(first->b));
            else
                v.color = 0xFFFFFFFFu;
        } else {
            std::uint32_t cr = (base >> 16) & 0xFF, cg = (base >> 8) & 0xFF, cb = base & 0xFF;
            if ((mode & kPolySmooth) && vx != nullptr) {
                auto mul = [](std::uint32_t c, std::int32_t f) {
                    const std::int64_t v64 = static_cast<std::int64_t>(c) * std::max(f, 0) >> 16;
                    return static_cast<std::uint32_t>(std::min<std::int64_t>(v64, 255));
                };
                cr = mul(cr, vx->r);
                cg = mul(cg, vx->g);
                cb = mul(cb, vx->b);
            }
            // The mono lighting model reads the intensity in the blue byte.
            v.color = Argb(cr, cg, (cr + 2 * cg + cb) / 4);
        }
        std::uint32_t alpha = fogAlpha;
        if (vertexFog && vx != nullptr)
            alpha = 255u - std::min(255u, static_cast<std::uint32_t>(vx->light) >> 8);
        v.specular = fog ? alpha << 24 : 0xFF000000u;
        win::WriteTLVertex(at + static_cast<std::size_t>(i) * win::kTLVertexSize, v);
    }
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_TEXTUREPERSPECTIVE, perspective ? 1 : 0);
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_FOGENABLE, fog ? 1 : 0);
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_FOGCOLOR, fogColour);
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_MONOENABLE, 1);
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_SHADEMODE,
                                (mode & (kPolySmooth | kPolyPixelLight | kPolyLit))
                                    ? win::D3DSHADE_GOURAUD
                                    : win::D3DSHADE_FLAT);
    theD3DBatch->SetRenderState(win::D3DRENDERSTATE_TEXTUREHANDLE, handle);
    theD3DBatch->AddPolygon(n);
}

void InstallD3DDrawTable() {
    GFXDrawTable& t = theDrawTableD3D;
    t.Clear = &D3DClear;
    t.DrawPixel = &NoPixel;
    t.DrawSegment = &NoSegment;
    t.DrawEllipse = &D3DEllipse;
    t.FillEllipse = &NoShape;
    t.DrawRectangle = &NoShape;
    t.FillRectangle = &NoShape;
    t.DrawBitmap = &NoBitmap;
    t.DrawBitmapPart = &NoBitmapPart;
    t.DrawBitmapScaled = &NoBitmapScaled;
    t.Reserved10 = &NoReserved;
    t.DrawPolygon = &D3DDrawPolygon;
    t.DrawText = &NoText;
    t.DrawTextInRect = &NoTextInRect;
    t.BeginFrame = &D3DBeginFrame;
    t.EndFrame = &D3DEndFrame;
}

void ResetD3DFrame() {
    theFrame = D3DFrameState{};
}

}  // namespace gfx
