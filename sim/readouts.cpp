// Readouts drawn over the finished picture, the frame-rate meter, and the loading screen.
#include "sim/readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "cockpit/cockpit_switches.h"
#include "core/resource_volume.h"
#include "cockpit/gps_display.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "gfx/bitmap.h"
#include "gfx/bitmap_draw.h"
#include "gfx/cds_surface.h"
#include "gfx/dd_surface.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "gfx/tod_palette.h"
#include "nav/lat_lon.h"
#include "nav/sms_database.h"
#include "sim/sim_world.h"
#include "sim/slew.h"
#include "ts/light_set.h"
#include "win/compositor.h"
#include "win/file_api.h"
#include "win/gdi.h"
#include "win/input.h"
#include "world/terrain_services.h"

namespace sim {

namespace {

std::unique_ptr<gfx::GFXBitmap> theLoadingBitmap;
std::unique_ptr<gfx::GFXPalette> theLoadingPalette;
bool theLoadingArtTried = false;

std::uint32_t ShadowComponent(std::uint32_t c) {
    return c > 128 ? c - 170 : c + 170;
}

// One shadowed line on a device context.
void ShadowedTextOn(win::HDC dc, int x, int y, std::string_view text, std::uint32_t colour,
                    int period) {
    if (!dc) return;
    const ReadoutColours c = ReadoutColoursFor(colour, period);
    win::SetBkMode(dc, win::TRANSPARENT);
    win::SetTextColor(dc, c.shadow);
    win::TextOut(dc, x + 1, y + 1, text);
    win::SetTextColor(dc, c.text);
    win::TextOut(dc, x, y, text);
}

void DrawShadowedText(int x, int y, std::string_view text, std::uint32_t colour, int period) {
    gfx::GFXSurface* target = gfx::GetDrawSurface();
    if (target == nullptr) return;
    if (auto* surface = dynamic_cast<gfx::GFXCDSSurface*>(target)) {
        gfx::GFXSurfaceLock lock(*surface);
        surface->GetDC();
        ShadowedTextOn(surface->GetMemoryDC(), x, y, text, colour, period);
        surface->ReleaseDC();
        return;
    }
    // A full-screen buffer: DirectDraw gives its device context only while the buffer is not
    // locked, so the text is drawn without the lock.
    if (target->kind != gfx::kSurfaceKindDirectDraw || target->lockCount != 0) return;
    target->GetDC();
    if (target->dc != nullptr)
        ShadowedTextOn(gfx::FromSurfaceDeviceContext(target->dc), x, y, text, colour, period);
    target->ReleaseDC();
}

}  // namespace

int BrakesReadoutX(int y) {
    // The word stands at the left edge unless the GPS window covers that place; then it stands
    // just right of the window, so it is never drawn over the bezel.
    const cockpit::GpsDisplay& gps = cockpit::theGpsDisplay;
    constexpr int kLeft = 2;
    if (!gps.Shown()) return kLeft;
    const bool across = y + kBrakesReadoutHeight > gps.Y() && y < gps.Y() + gps.Height();
    if (!across || kLeft + kBrakesReadoutWidth <= gps.X()) return kLeft;
    return std::min(gps.X() + gps.Width() + 4, 640 - kBrakesReadoutWidth);
}

ReadoutColours ReadoutColoursFor(std::uint32_t colour, int dayPeriod) {
    std::uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (dayPeriod == 0 || dayPeriod == 2 || dayPeriod == 3) {
        r = 255 - r;
        g = 255 - g;
        b = 255 - b;
    }
    ReadoutColours out;
    out.text = r | (g << 8) | (b << 16);
    out.shadow = ShadowComponent(r) | (ShadowComponent(g) << 8) | (ShadowComponent(b) << 16);
    return out;
}

float FrameRateFor(std::int32_t sumMs) {
    return static_cast<float>(1000.0 / (sumMs * 0.1 + 1.0));
}

// ---- values ---------------------------------------------------------------------------------

double SimWorld::GetMagneticHeadingDegrees() const {
    const int angle = static_cast<int>(flight::theFlightModelState.fmHead) -
                      static_cast<int>(world::theMagneticVariation);
    // The difference of two 16-bit angles spans two turns: wrapped to one, 0 to under 360.
    const double degrees = std::fmod(angle * 0.005493298, 360.0);
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

int SimWorld::GetMagneticHeading() const {
    const int h = static_cast<int>(GetMagneticHeadingDegrees()) % 360;
    return h == 0 ? 360 : h;
}

int SimWorld::GetReadoutAltitude() const {
    const double value = flight::GetAircraftAltitude() * 1.2890625 + 0.5;
    if (theSlewControl.IsActive()) return static_cast<int>(value);
    return static_cast<int>(value * 0.1) * 10;
}

int SimWorld::GetReadoutAirspeed() const {
    return static_cast<int>(flight::IndicatedAirspeedKnots());
}

int SimWorld::GetReadoutVerticalSpeed() const {
    return static_cast<int>(flight::theFlightStep.averagedVerticalSpeed * 0.0625 *
                            0.05466666618982951 * 0.1) *
           10;
}

std::string SimWorld::StatusLineText() const {
    char buf[128];
    std::snprintf(buf, sizeof buf, "Hdg: %3d \xb0M   Alt: %d MSL   IAS: %3d Kts   VSI: %3d fpm",
                  GetMagneticHeading(), GetReadoutAltitude(), GetReadoutAirspeed(),
                  GetReadoutVerticalSpeed());
    return buf;
}

std::string SimWorld::SlewReadoutText() const {
    std::string lat, lon;
    nav::FormatLatLon(&lat, &lon, flight::theFlightModelState.fmPosX,
                      flight::theFlightModelState.fmPosZ);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s   %s    %d MSL", lat.c_str(), lon.c_str(),
                  GetReadoutAltitude());
    return buf;
}

std::string SimWorld::FrameRateText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2.2f fps", static_cast<double>(frameRate));
    return buf;
}

// ---- per frame ------------------------------------------------------------------------------

void SimWorld::MeasureFrameRate() {
    const std::uint32_t now = time.GetMilliseconds();
    frameTimeSum += static_cast<std::int32_t>(now - lastFrameTime);
    if (++frameCount >= 10) {
        frameRate = FrameRateFor(frameTimeSum);
        frameTimeSum = 0;
        frameCount = 0;
    }
    lastFrameTime = now;
}

void SimWorld::ForEachReadout(
    const std::function<void(int x, int y, std::string_view text, std::uint32_t colour)>& visit) {
    // In a window on a larger screen the menu band lies over the picture's top rows: the lines
    // at the top go just below it.
    const int top = win::MenuBandDrop(window);
    if (theSlewControl.IsActive())
        visit(2, top, SlewReadoutText(), 0);
    else if (statusLine != 0)
        // Every view shows the world, the panel views above the panel: the line goes over it
        // in each.
        visit(2, top, StatusLineText(), 0);
    if (pauseRequested == 0 && AreBrakesOn()) {
        const int bottom = aircraft != nullptr
                               ? aircraft->GetViewportBottom(GetViewMode(), GetLookDirection())
                               : 480;
        visit(BrakesReadoutX(bottom - 18), bottom - 18, "Brakes", 255);
    }
    if (frameRateShown != 0) visit(568, top, FrameRateText(), 0);
    // After a crash nothing flies until a flight is loaded: the way on is told.
    if (cockpit::theCrashShown != 0) visit(2, top + 18, kCrashHint, 255);
}

void SimWorld::DrawReadouts() {
    const int period = GetDayPeriod();
    ForEachReadout([period](int x, int y, std::string_view text, std::uint32_t colour) {
        DrawShadowedText(x, y, text, colour, period);
    });
    // While the debug keys step from runway to runway, the runway the aircraft stands on.
    if (nav::theSmsDatabase.IsStepped()) nav::theSmsDatabase.DrawRunwayReadout(0);
}

void SimWorld::DrawReadoutText(int x, int y, const std::string& text, std::uint32_t colour) {
    DrawShadowedText(x, y, text, colour, GetDayPeriod());
}

void SimWorld::FinishFrame(int warmUp) {
    if (lightSet) lightSet->Deactivate();
    if (drawTarget && gfx::theCurrentDrawTarget == drawTarget.get()) drawTarget->End();
    if (warmUp != 0) return;
    DrawReadouts();
    if (restoreArrow != 0) {
        restoreArrow = 0;
        win::SetCursor(win::LoadCursor({}, win::IDC_ARROW));
    }
    // A flip chain turns only at its front: in full screen the primary shows the back buffer
    // just drawn (its FlipCopy also seeds the other buffers after the switch).
    gfx::GFXSurface* shown = gfx::theDisplayMode == gfx::kDisplayFullScreen
                                 ? gfx::GetDisplaySurface()
                                 : gfx::GetDrawSurface();
    if (shown != nullptr) shown->FlipCopy();
    if (flight::theFlightFreezeFrames != 0) --flight::theFlightFreezeFrames;
}

// ---- loading screen -------------------------------------------------------------------------

void SimWorld::SetLoadingScreen(int on) {
    loadingScreen = on != 0 ? 1 : 0;
    if (loadingScreen != 0) {
        ShowLoadingScreen(window);
    } else {
        // The world's colours come back with the next frame.
        MarkPaletteDirty();
        theLoadingBitmap.reset();
        // The display surface and its flip chain keep pointing at the loading picture's colours
        // until something else sets their palette (entering full screen reads them): they stay
        // until then.
        bool inUse = false;
        for (const gfx::GFXSurface* s : {gfx::GetDisplaySurface(), gfx::GetDrawSurface()})
            if (s != nullptr && theLoadingPalette && s->palette == theLoadingPalette.get())
                inUse = true;
        if (!inUse) theLoadingPalette.reset();
        theLoadingArtTried = false;
    }
}

void SimWorld::ReleaseLoadingScreen() {
    theLoadingBitmap.reset();
    theLoadingPalette.reset();
    theLoadingArtTried = false;
}

namespace {
constexpr char kLoadingArt[] = "Art\\Intro\\loading.bmp";
constexpr char kLoadingColours[] = "Art\\Intro\\loading.pal";
}  // namespace

void SimWorld::ShowLoadingScreen(win::HWND) {
    if (!theLoadingArtTried) {
        theLoadingArtTried = true;
        theLoadingBitmap = gfx::GFXBitmap::LoadNew(kLoadingArt);
        // Colours the display may still show from the last time go only when new ones came.
        auto palette = gfx::GFXPalette::LoadNew(kLoadingColours);
        const bool paletteRead = palette != nullptr;
        if (palette) theLoadingPalette = std::move(palette);
        // Art that is there and cannot be read is named with the installation's damaged files;
        // the start goes on without its picture.
        for (const auto& [file, read] : {std::pair{kLoadingArt, theLoadingBitmap != nullptr},
                                         std::pair{kLoadingColours, paletteRead}})
            if (!read && (win::GetFileAttributes(file) != win::INVALID_FILE_ATTRIBUTES ||
                          win::IsOtherThanPlainFile(file)))
                core::ReportDamagedFile(file);
    }
    if (!theLoadingBitmap || !theLoadingPalette) return;
    gfx::GFXSurface* surface = gfx::GetDrawSurface();
    if (surface == nullptr) return;
    {
        gfx::GFXSurfaceLock lock(*surface);
        surface->clipRect = gfx::GFXRect{0, 0, 639, 479};
        gfx::SoftDrawBitmap(surface, theLoadingBitmap.get(), gfx::GFXPoint{0, 0}, 0);
    }
    if (gfx::GFXSurface* display = gfx::GetDisplaySurface())
        display->SetPalette(theLoadingPalette.get(), 0, 256, 1);
    surface->FlipCopy();
    loadingShown = true;
}

}  // namespace sim
