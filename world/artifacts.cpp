#include "world/artifacts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/pool_alloc.h"
#include "ts/detail_parts.h"
#include "ts/engine_pools.h"
#include "ts/face_draw.h"
#include "ts/perspective_camera.h"
#include "ts/shape.h"
#include "world/obj_shadow.h"
#include "world/runway_shape.h"
#include "world/scenery_settings.h"
#include "world/scenery_services.h"

namespace world {

namespace {

core::PoolAlloc& ArtifactPool() {
    static core::PoolAlloc pool(static_cast<std::uint16_t>(sizeof(Artifact)), 2000);
    return pool;
}

core::PoolAlloc& AnimPool() {
    static core::PoolAlloc pool(static_cast<std::uint16_t>(sizeof(ArtifactAnim)), 20000);
    return pool;
}

static_assert(sizeof(ArtifactBuilding) == sizeof(Artifact), "buildings share the artifacts' pool");

void ScenePosition(const double world[3], ts::Vector3F* out) {
    double offset[2];
    theSceneryServices.sceneOffset(offset);
    *out = ts::Vector3F{static_cast<float>(world[0] - offset[0]),
                        static_cast<float>(world[1] - offset[1]), static_cast<float>(world[2])};
}

// The sequence state of an instance as the beacon lights address it.
struct InstanceSequences {
    ts::TSSequenceState* s;
    [[nodiscard]] int Count() const { return s != nullptr ? s->Count() : 0; }
    [[nodiscard]] bool Has(int i) const { return s != nullptr && s->Has(i); }
    [[nodiscard]] int Length(int i) const { return s != nullptr ? s->Length(i) : 0; }
    void SetValue(int i, std::uint32_t v) {
        if (s != nullptr) s->SetValue(i, v);
    }
};

// Draws with the far objects' outline for the call.
class FarOutline {
public:
    explicit FarOutline(bool on) : on(on) {
        if (!on) return;
        savedThreshold = ts::theOutlineThreshold;
        savedColour = ts::theOutlineColour;
        ts::theOutlineThreshold = 50;
        ts::theOutlineColour = kFarObjectOutline;
    }
    ~FarOutline() {
        if (!on) return;
        ts::theOutlineThreshold = savedThreshold;
        ts::theOutlineColour = savedColour;
    }
    FarOutline(const FarOutline&) = delete;
    FarOutline& operator=(const FarOutline&) = delete;

private:
    bool on;
    std::int32_t savedThreshold = -1;
    std::uint32_t savedColour = 0;
};

}  // namespace

// ---- Artifact -------------------------------------------------------------------------------

void* Artifact::operator new(std::size_t size) {
    return ts::PoolNew(ArtifactPool(), size);
}

void Artifact::operator delete(void* block, std::size_t size) {
    ts::PoolDelete(ArtifactPool(), block, size);
}

void Artifact::ReservePool(std::int32_t count) {
    if (count > 0) ArtifactPool().Reset(static_cast<std::uint16_t>(std::min(count, 65535)));
}

std::uint16_t Artifact::PoolCapacity() {
    return ArtifactPool().Capacity();
}

Artifact::Artifact() = default;

Artifact::~Artifact() = default;

void Artifact::AttachShape(ts::TSShape* s) {
    shape = s;
    instance = s != nullptr ? std::make_unique<ts::TSShapeInstance>(s) : nullptr;
}

void Artifact::AttachShadow(int shadowNumber) {
    shadow = std::make_unique<ObjShadow>(Radius(), shadowNumber);
}

void Artifact::RenderShadow() {
    if (!shadow || theSceneryServices.graphicsSetting(kAircraftShadows) == 0) return;
    ts::Vector3F at;
    ScenePosition(position, &at);
    const float p[3] = {at.x, at.y, at.z};
    float light[3];
    theSceneryServices.lightDirection(light);
    shadow->Update(theSceneryServices.terrainGridAt(position), p, rotation, light);
    if (!shadow->IsVisible()) return;
    shadow->Render(ts::kCullUntested);
    if (ts::theCurrentCamera != nullptr) ts::theCurrentCamera->SetTransform(ts::Transform3F{});
}

float Artifact::Radius() const {
    return shape != nullptr ? shape->fRadius : 0.0f;
}

void Artifact::Place(const double worldPosition[3], const float eulerRadians[3]) {
    for (int i = 0; i < 3; ++i) {
        position[i] = worldPosition[i];
        rotation[i] = eulerRadians[i];
    }
}

void Artifact::Ground() {
    if (grounded) return;
    position[2] = theSceneryServices.groundHeight(position[0], position[1]);
    grounded = true;
}

void Artifact::RenderInstance(int cullCode) {
    if (!instance) return;
    ts::Vector3F at;
    ScenePosition(position, &at);
    instance->SetPosition(at);
    instance->SetRotation(ts::Vector3F{rotation[0], rotation[1], rotation[2]});
    instance->Render(cullCode);
}

void Artifact::Render(int cullCode) {
    RenderShadow();
    // Far plain objects (traffic) keep an outline so that they do not vanish.
    const FarOutline outline(static_cast<float>(distance) > kFarObjectDistance);
    RenderInstance(cullCode);
}

void ArtifactBuilding::Render(int cullCode) {
    RenderShadow();
    // Without building (or terrain) textures the walls show their plain colours.
    const bool saved = ts::theUntexturedFaces;
    ts::theUntexturedFaces = theSceneryServices.graphicsSetting(kBuildingTexture) == 0 ||
                             theSceneryServices.graphicsSetting(kTerrainTexture) == 0;
    RenderInstance(cullCode);
    ts::theUntexturedFaces = saved;
}

// ---- ArtifactAnim ---------------------------------------------------------------------------

void* ArtifactAnim::operator new(std::size_t size) {
    return ts::PoolNew(AnimPool(), size);
}

void ArtifactAnim::operator delete(void* block, std::size_t size) {
    ts::PoolDelete(AnimPool(), block, size);
}

void ArtifactAnim::ReservePool(std::int32_t count) {
    if (count > 0) AnimPool().Reset(static_cast<std::uint16_t>(std::min(count, 65535)));
}

std::uint16_t ArtifactAnim::PoolCapacity() {
    return AnimPool().Capacity();
}

void ArtifactAnim::AttachLights(ts::TSShape* s, std::uint8_t lightKind, const std::string& name,
                                std::string* report) {
    AttachShape(s);
    shapeName = name;
    light = BeaconLight{};
    light.kind = lightKind;
    light.DrawIntervals();
    InstanceSequences seq{instance ? instance->GetSequenceState() : nullptr};
    light.SetUp(seq, shapeName, report);
}

void ArtifactAnim::AdvanceLights(std::uint32_t flightSteps, int dayPeriod) {
    InstanceSequences seq{instance ? instance->GetSequenceState() : nullptr};
    light.Advance(seq, flightSteps, dayPeriod);
}

// ---- ArtifactTrans --------------------------------------------------------------------------

void* ArtifactTrans::operator new(std::size_t size) {
    return ::operator new(size);
}

void ArtifactTrans::operator delete(void* block, std::size_t) {
    ::operator delete(block);
}

ArtifactTrans::ArtifactTrans(std::unique_ptr<RunwayShape> r)
    : runway(std::move(r)), box(runway ? runway->Box() : ts::TSBox{}) {
    UpdateNearReach();
}

ArtifactTrans::~ArtifactTrans() = default;

float ArtifactTrans::Radius() const {
    return runway ? runway->Radius() : 0.0f;
}

void ArtifactTrans::RefreshTransform() {
    ts::Matrix3F::SetEulerAngles(ts::Vector3F{rotation[0], rotation[1], rotation[2]}, &matrix);
    inverse = matrix;
    ts::Matrix3F::Transpose(&inverse);
    stale = false;
    UpdateNearReach();
}

// The margin IsNear allows round the box.
constexpr float kNearMargin = 300.0f;

void ArtifactTrans::UpdateNearReach() {
    const float* e = inverse.m;
    nearReachSquared = -1.0;
    // Only a turn about the vertical keeps ground distances: the two ground axes of the object
    // then come from the ground offsets alone, by a rotation.
    if (e[4] != 0.0f || e[5] != 0.0f || e[6] != 0.0f || e[7] != 0.0f || e[8] != 1.0f) return;
    const double x = std::max(std::fabs(static_cast<double>(box.min.x) - kNearMargin),
                              std::fabs(static_cast<double>(box.max.x) + kNearMargin));
    const double y = std::max(std::fabs(static_cast<double>(box.min.y) - kNearMargin),
                              std::fabs(static_cast<double>(box.max.y) + kNearMargin));
    const double reach = 1.01 * std::sqrt(x * x + y * y) + 1.0;
    if (std::isfinite(reach)) nearReachSquared = reach * reach;
}

double ArtifactTrans::NearReach() const {
    if (!runway) return 0.0;
    return nearReachSquared >= 0.0 ? std::sqrt(nearReachSquared)
                                   : std::numeric_limits<double>::infinity();
}

int ArtifactTrans::IsNear(const double p[3]) const {
    if (!runway) return 0;
    if (nearReachSquared >= 0.0) {
        const double dx = p[0] - position[0], dy = p[1] - position[1];
        if (dx * dx + dy * dy > nearReachSquared) return 0;
    }
    // Into the object's frame (rotation only; the offset from its position first).
    const ts::Vector3F d{static_cast<float>(p[0] - position[0]), static_cast<float>(p[1] - position[1]),
                         static_cast<float>(p[2] - position[2])};
    ts::Transform3F back;
    back.matrix = inverse;
    ts::Vector3F local;
    ts::Transform3F::RotatePoint(d, back, &local);
    return local.x >= box.min.x - kNearMargin && local.x <= box.max.x + kNearMargin &&
                   local.y >= box.min.y - kNearMargin && local.y <= box.max.y + kNearMargin
               ? 1
               : 0;
}

void ArtifactTrans::GroundRect(const double sceneOffset[2], float rect[4], bool lights) const {
    const ts::TSBox box = !runway ? ts::TSBox{} : (lights ? runway->LitBox() : runway->Box());
    const float cx = static_cast<float>(position[0] - sceneOffset[0]);
    const float cy = static_cast<float>(position[1] - sceneOffset[1]);
    rect[0] = rect[1] = 1e30f;
    rect[2] = rect[3] = -1e30f;
    ts::Transform3F t;
    t.matrix = matrix;
    for (const float x : {box.min.x, box.max.x})
        for (const float y : {box.min.y, box.max.y}) {
            ts::Vector3F w;
            ts::Transform3F::RotatePoint(ts::Vector3F{x, y, 0.0f}, t, &w);
            rect[0] = std::min(rect[0], cx + w.x);
            rect[1] = std::min(rect[1], cy + w.y);
            rect[2] = std::max(rect[2], cx + w.x);
            rect[3] = std::max(rect[3], cy + w.y);
        }
}

void ArtifactTrans::Render(int cullCode) {
    ts::TSCamera* camera = ts::theCurrentCamera;
    if (camera == nullptr || !runway) return;
    if (stale) RefreshTransform();
    ts::Transform3F placement;
    placement.matrix = matrix;
    ScenePosition(position, &placement.t);
    camera->SetTransform(placement);
    const FarOutline outline(true);
    runway->Render(cullCode);
    camera->SetTransform(ts::Transform3F{});
}

// ---- tiles ----------------------------------------------------------------------------------

void DestroyArtifact(Artifact* a) {
    if (a == nullptr) return;
    // Runways own their shapes; every other shape goes back to the cache.
    if (a->GetKind() != Artifact::Kind::kTrans && a->Shape() != nullptr)
        theSceneryServices.releaseShape(a->Shape());
    delete a;
}

void TileArtifacts::Add(Artifact* a) {
    if (runs.empty() || runs.back().end - runs.back().begin == kRunLength) {
        Run r;
        r.begin = r.end = items.size();
        for (int k = 0; k < 3; ++k)
            r.low[k] = r.high[k] = a->position[k];
        runs.push_back(r);
    }
    Run& r = runs.back();
    for (int k = 0; k < 3; ++k) {
        r.low[k] = std::min(r.low[k], a->position[k]);
        r.high[k] = std::max(r.high[k], a->position[k]);
    }
    r.grounded = r.grounded && a->grounded;
    items.push_back(a);
    r.end = items.size();
}

void TileArtifacts::GroundRun(std::size_t k, const double* p, double reachSquared) {
    Run& r = runs[k];
    if (r.grounded) return;
    bool all = true;
    for (std::size_t i = r.begin; i < r.end; ++i) {
        Artifact* a = items[i];
        if (p != nullptr && !a->grounded) {
            const double dx = a->position[0] - p[0], dy = a->position[1] - p[1];
            if (dx * dx + dy * dy > reachSquared) {
                all = false;
                continue;
            }
        }
        a->Ground();
    }
    if (!all) return;
    r.low[2] = r.high[2] = items[r.begin]->position[2];
    for (std::size_t i = r.begin; i < r.end; ++i) {
        r.low[2] = std::min(r.low[2], items[i]->position[2]);
        r.high[2] = std::max(r.high[2], items[i]->position[2]);
    }
    r.grounded = true;
}

double SquaredDistanceToRun(const TileArtifacts::Run& run, const double p[3], int axes) {
    // Rounding keeps order: low - p is at most x - p for every x at or above low, so each
    // axis's gap, and the sum of their squares, is at most an object's own.
    double sum = 0.0;
    for (int k = 0; k < axes; ++k) {
        double gap = 0.0;
        if (p[k] < run.low[k])
            gap = run.low[k] - p[k];
        else if (p[k] > run.high[k])
            gap = p[k] - run.high[k];
        sum += gap * gap;
    }
    return sum;
}

TileArtifacts::~TileArtifacts() {
    for (Artifact* a : items)
        DestroyArtifact(a);
}

}  // namespace world
