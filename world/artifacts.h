// The scenery objects as render items: an Artifact places one shape instance at a world
// position (buildings, towers, traffic aircraft), an ArtifactAnim adds the blinking warning
// lights of obstacles and beacons, an ArtifactBuilding draws buildings, and an ArtifactTrans
// carries a runway with its own transform. Artifacts and buildings share a pool ("NumArt"),
// animated ones have their own ("NumArtAnim"); runways come from the heap. Positions are world
// units (x, y on the ground, z up, from the world's south-west corner); drawing turns them into
// the scene frame of the current camera.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ts/maths.h"
#include "ts/part_tree.h"
#include "world/airport_records.h"
#include "world/beacon_light.h"

namespace ts {
class TSShape;
class TSShapeInstance;
}  // namespace ts

namespace world {

class ObjShadow;
class RunwayShape;

// Objects farther than this (4,000 ft in shape units) keep their outline.
inline constexpr float kFarObjectDistance = 3103.0303f;
inline constexpr std::uint32_t kFarObjectOutline = 77;

class Artifact : public ts::TSRenderItem {
public:
    enum class Kind : std::uint8_t { kPlain, kAnim, kBuilding, kTrans };

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    // Pool capacities from "MemControl" ("NumArt", "NumArtAnim"): a count of 0 or less keeps
    // the default (2000 and 20000).
    static void ReservePool(std::int32_t count);
    [[nodiscard]] static std::uint16_t PoolCapacity();

    Artifact();
    ~Artifact() override;
    Artifact(const Artifact&) = delete;
    Artifact& operator=(const Artifact&) = delete;

    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t*) override {}
    [[nodiscard]] virtual Kind GetKind() const { return Kind::kPlain; }

    // Makes the shape's instance (the shape stays the cache's; its owner releases it).
    void AttachShape(ts::TSShape* shape);
    // Gives the object a ground shadow of the shape's radius (picture "shad<number>.bmp"),
    // drawn before it while "AircraftShadows" is on.
    void AttachShadow(int shadowNumber);
    [[nodiscard]] ObjShadow* Shadow() const { return shadow.get(); }
    [[nodiscard]] ts::TSShape* Shape() const { return shape; }
    [[nodiscard]] ts::TSShapeInstance* Instance() const { return instance.get(); }
    [[nodiscard]] virtual float Radius() const;
    void Place(const double worldPosition[3], const float eulerRadians[3]);
    // Stands the object on the ground under it, where its height was left to find (an object
    // placed on the ground gets its height when something first comes near it: the ground of the
    // hundreds of airports in a tile window lies in terrain blocks decoded for them alone).
    void Ground();

    std::uint8_t tileId = kNoTile;
    bool grounded = true;  // false while the ground's height is still to find
    double position[3] = {0.0, 0.0, 0.0};
    float rotation[3] = {0.0f, 0.0f, 0.0f};
    std::int32_t distance = 0;  // to the viewer, last computed within the near objects' reach

protected:
    // The shape instance placed in the scene frame and drawn.
    void RenderInstance(int cullCode);
    // The shadow cast along the scene's light onto the terrain under the object.
    void RenderShadow();

    ts::TSShape* shape = nullptr;
    std::unique_ptr<ts::TSShapeInstance> instance;
    std::unique_ptr<ObjShadow> shadow;
};

class ArtifactBuilding final : public Artifact {
public:
    void Render(int cullCode) override;
    [[nodiscard]] Kind GetKind() const override { return Kind::kBuilding; }
};

class ArtifactAnim final : public Artifact {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void ReservePool(std::int32_t count);
    [[nodiscard]] static std::uint16_t PoolCapacity();

    [[nodiscard]] Kind GetKind() const override { return Kind::kAnim; }
    // Attaches the shape and sets up its lights for the light kind.
    void AttachLights(ts::TSShape* s, std::uint8_t lightKind, const std::string& name,
                      std::string* report);
    // One frame near the viewer: the lights blink by the flight-step count at night.
    void AdvanceLights(std::uint32_t flightSteps, int dayPeriod);
    [[nodiscard]] const BeaconLight& Light() const { return light; }
    [[nodiscard]] const std::string& ShapeName() const { return shapeName; }

private:
    BeaconLight light;
    std::string shapeName;
};

class ArtifactTrans final : public Artifact {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    explicit ArtifactTrans(std::unique_ptr<RunwayShape> runway);
    ~ArtifactTrans() override;

    void Render(int cullCode) override;
    [[nodiscard]] Kind GetKind() const override { return Kind::kTrans; }
    [[nodiscard]] float Radius() const override;
    [[nodiscard]] const RunwayShape* Runway() const { return runway.get(); }
    // The world transform from the rotation and position (scene frame on drawing).
    void RefreshTransform();
    // Whether a world position, taken into the object's own frame, lies within 300 units of
    // its bounding box in both ground axes.
    [[nodiscard]] int IsNear(const double worldPosition[3]) const;
    // A ground distance from its position beyond which no place is near; infinite when the
    // rotation does more than turn about the vertical.
    [[nodiscard]] double NearReach() const;
    // The ground rectangle (scene units) its box covers, through its transform: the pavement's,
    // or with `lights` the pavement's and its lights'.
    void GroundRect(const double sceneOffset[2], float rect[4], bool lights = false) const;

    bool stale = true;

private:
    std::unique_ptr<RunwayShape> runway;
    // The pavement's box, kept here: the searches for the runway under a place test every
    // runway of the window each frame, and reach it without going through the shape.
    ts::TSBox box;
    ts::Matrix3F matrix;   // object to world rotation
    ts::Matrix3F inverse;  // and back
    // While the rotation only turns about the vertical, the square of a ground distance beyond
    // which no place can be near (the box's farthest corner with its margin, and room for the
    // rounding): most runways are rejected without the rotation. Negative: no quick test.
    double nearReachSquared = -1.0;
    void UpdateNearReach();
};

// The artifacts of one terrain tile, owned by the tile: destroyed with it, each shape given
// back to the cache. The objects of a tile stand where they were placed before they were
// added; the list keeps, for every run of consecutive items, the box their positions span, so
// a frame passes over a run that lies wholly out of reach without visiting its objects.
class TileArtifacts {
public:
    static constexpr std::size_t kRunLength = 16;
    struct Run {
        std::size_t begin = 0;
        std::size_t end = 0;
        double low[3] = {0.0, 0.0, 0.0};
        double high[3] = {0.0, 0.0, 0.0};
        // Every object's height is the ground's (and the heights span low[2]..high[2]).
        bool grounded = true;
    };

    TileArtifacts() = default;
    ~TileArtifacts();
    TileArtifacts(const TileArtifacts&) = delete;
    TileArtifacts& operator=(const TileArtifacts&) = delete;

    void Add(Artifact* a);
    [[nodiscard]] const std::vector<Artifact*>& Items() const { return items; }
    [[nodiscard]] std::size_t Size() const { return items.size(); }
    // The runs in the items' order, together covering every item once.
    [[nodiscard]] const std::vector<Run>& Runs() const { return runs; }
    // Stands the objects of run `k` within `reachSquared` of p over the ground on their ground
    // (Artifact::Ground); once all of them stand, the run spans their heights. Without p, all.
    void GroundRun(std::size_t k, const double* p = nullptr, double reachSquared = 0.0);

private:
    std::vector<Artifact*> items;
    std::vector<Run> runs;
};

// The square of the distance from p to the nearest point of a run's box, never more than the
// square of any of its objects' distances as computed from their positions; with `axes` 2, over
// the ground alone (what a run's objects are from p whatever their heights).
[[nodiscard]] double SquaredDistanceToRun(const TileArtifacts::Run& run, const double p[3],
                                          int axes = 3);

// Gives the artifact's shape back to the cache (runways own theirs) and deletes it.
void DestroyArtifact(Artifact* a);

}  // namespace world
