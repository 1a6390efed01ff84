// What lies behind the terrain: the sky and ground planes, the horizon band (the dome), the sun,
// the moon and the stars, and the scene's light level and direction. The world owns one Sky; it
// re-syncs with the simulated zulu time and the aircraft's place every frame, draws first, and
// hands the world the light level (for the time-of-day palette) and the sun's direction.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "world/celestial.h"

namespace core {
class ResourceVolume;
}
namespace gfx {
class GFXBitmap;
}

namespace world {

// Palette entries the sky draws with (the world palettes keep these meanings here).
inline constexpr std::uint8_t kGroundColour = 88;
inline constexpr std::uint8_t kSkyColour = 245;
inline constexpr std::uint8_t kAlternativeSkyColour = 244;

// The horizon band: 16 segments of 22.5 degrees round the viewer, textured with the horizon
// bitmap of the cloud-cover class ("hzc-cld.bmp" clear, "hzd-cld.bmp" some cloud, "hz-cld.bmp"
// heavy), each segment taking one quarter of it.
class SkyDome {
public:
    static constexpr float kRadius = 50000.0f;
    static constexpr int kSegments = 16;

    explicit SkyDome(core::ResourceVolume* art);
    ~SkyDome();
    // 0 clear, 1 some cloud, 2 heavy; reloads the bitmap when the class changes.
    void SetCloudiness(int coverClass);
    [[nodiscard]] int Cloudiness() const { return coverClass; }
    [[nodiscard]] const gfx::GFXBitmap* Bitmap() const { return bitmap.get(); }
    [[nodiscard]] static const char* BitmapName(int coverClass);
    // Draws the band round the eye through the current camera.
    void Render(const float eye[3]) const;

private:
    core::ResourceVolume* art;
    int coverClass = -1;
    std::unique_ptr<gfx::GFXBitmap> bitmap;
};

// Marks the sky's own view transform stale, so the next draw rebuilds it from the camera.
void InvalidateSkyMatrix();

class Sky {
public:
    // celestialArt: "Art\3DShapes\Celestial" (sun and moon bitmaps); weatherArt: "Art\Wx" (the
    // horizon bitmaps). Either may be null: what it holds is then not drawn.
    Sky(core::ResourceVolume* celestialArt, core::ResourceVolume* weatherArt);
    ~Sky();
    Sky(const Sky&) = delete;
    Sky& operator=(const Sky&) = delete;

    // Reads the world's zulu date and time and the aircraft's place and sets the sky clock.
    void SyncToSimTime();
    void AddElapsedTime(float seconds) { elapsed += seconds; }
    // Re-syncs and places every body for the observer with a full update.
    void PlaceForObserver(const float position[3]);
    // Takes the sun's light; unless unchanged and not forced: the moon's night flag, the stars
    // made or removed, and the sun's direction handed to the world.
    void UpdateLighting(bool force);
    // Sun light + 0.2 x moon light + 0.05, at most 1.
    [[nodiscard]] float GetAmbientLight() const;
    // "EnableStars", "EnableSun" and "EnableMoon".
    void ApplyGraphicsSettings();
    void SetCloudiness(int coverClass) { dome.SetCloudiness(coverClass); }
    // Draws the sky into the current draw target through the current camera; `alternative`
    // picks the alternative sky colour.
    void Render(bool alternative);

    [[nodiscard]] Sun& GetSun() { return *sun; }
    [[nodiscard]] Moon& GetMoon() { return *moon; }
    [[nodiscard]] bool HasStars() const { return !stars.empty(); }
    [[nodiscard]] int StarCount() const { return static_cast<int>(stars.size()); }
    [[nodiscard]] const SkyDome& Dome() const { return dome; }
    [[nodiscard]] float Elapsed() const { return elapsed; }

private:
    void CreateStars();
    void RemoveStars();
    void RenderBodies();

    std::unique_ptr<Sun> sun;
    std::unique_ptr<Moon> moon;
    std::vector<std::unique_ptr<Star>> stars;
    float sunLight = -1.0f;  // -1 so that the first update always runs
    bool fullUpdate = true;
    SkyDome dome;
    float elapsed = 0.0f;
    float observer[3] = {0.0f, 0.0f, 0.0f};
};

}  // namespace world
