#include "tools/mkdata/shape_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "core/endian.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979323846;

ts::Vector3F Units(Vec p) {
    return ts::Vector3F{static_cast<float>(p.x * kUnitsPerFoot), static_cast<float>(p.y * kUnitsPerFoot),
                        static_cast<float>(p.z * kUnitsPerFoot)};
}

bool Same(Vec a, Vec b) {
    return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9 && std::fabs(a.z - b.z) < 1e-9;
}

double Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace

Vec Cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Length(Vec a) {
    return std::sqrt(Dot(a, a));
}

Vec Normalised(Vec a) {
    const double l = Length(a);
    return l > 0 ? a * (1.0 / l) : Vec{0, 0, 1};
}

Vec Rotate(Vec p, Vec pivot, int axis, double radians) {
    const Vec d = p - pivot;
    const double c = std::cos(radians), s = std::sin(radians);
    Vec r = d;
    if (axis == 0) r = {d.x, d.y * c - d.z * s, d.y * s + d.z * c};
    if (axis == 1) r = {d.x * c + d.z * s, d.y, -d.x * s + d.z * c};
    if (axis == 2) r = {d.x * c - d.y * s, d.x * s + d.y * c, d.z};
    return pivot + r;
}

void Box::Add(Vec p) {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

void Box::Add(const Box& b) {
    if (b.Empty()) return;
    Add(b.min);
    Add(b.max);
}

// ---- meshes ---------------------------------------------------------------------------------

void MeshBuilder::Quad(Vec a, Vec b, Vec c, Vec d, int material, UV ta, UV tb, UV tc, UV td) {
    // Corners that coincide make a triangle, or nothing.
    Vec p[4] = {a, b, c, d};
    UV t[4] = {ta, tb, tc, td};
    Face f{};
    f.count = 0;
    for (int i = 0; i < 4; ++i) {
        if (f.count > 0 && Same(f.p[f.count - 1], p[i])) continue;
        if (i == 3 && Same(p[i], f.p[0])) continue;
        f.p[f.count] = p[i];
        f.t[f.count] = t[i];
        ++f.count;
    }
    if (f.count < 3) return;
    const Vec n = f.count == 4 ? Cross(f.p[2] - f.p[0], f.p[3] - f.p[1]) : Cross(f.p[1] - f.p[0], f.p[2] - f.p[0]);
    if (Length(n) < 1e-9) return;
    f.material = material;
    faces.push_back(f);
    for (int i = 0; i < f.count; ++i)
        bounds.Add(f.p[i]);
}

void MeshBuilder::Tri(Vec a, Vec b, Vec c, int material, UV ta, UV tb, UV tc) {
    Quad(a, b, c, c, material, ta, tb, tc, tc);
}

void MeshBuilder::DoubleQuad(Vec a, Vec b, Vec c, Vec d, int material, UV ta, UV tb, UV tc, UV td) {
    Quad(a, b, c, d, material, ta, tb, tc, td);
    Quad(d, c, b, a, material, td, tc, tb, ta);
}

void MeshBuilder::Append(const MeshBuilder& other) {
    for (const Face& f : other.faces)
        faces.push_back(f);
    bounds.Add(other.bounds);
}

std::unique_ptr<ts::TSMesh> MeshBuilder::Build() const {
    if (faces.empty()) return nullptr;
    auto mesh = std::make_unique<ts::TSMesh>();
    std::map<std::tuple<long long, long long, long long>, int> corners;
    std::map<std::pair<float, float>, int> coords;
    std::vector<Vec> normalSums;
    auto key = [](Vec p) {
        return std::make_tuple(std::llround(p.x * 1e6), std::llround(p.y * 1e6), std::llround(p.z * 1e6));
    };
    auto corner = [&](Vec p, Vec n) {
        auto [it, added] = corners.emplace(key(p), static_cast<int>(mesh->vertices.size()));
        if (added) {
            mesh->vertices.push_back(ts::TSMesh::Vertex{Units(p), {}});
            normalSums.push_back({});
        }
        normalSums[static_cast<std::size_t>(it->second)] = normalSums[static_cast<std::size_t>(it->second)] + n;
        return it->second;
    };
    auto coord = [&](UV t) {
        const std::pair<float, float> k{static_cast<float>(t.u), static_cast<float>(t.v)};
        auto [it, added] = coords.emplace(k, static_cast<int>(mesh->texCoords.size()));
        if (added) mesh->texCoords.push_back(ts::TSMesh::TexCoord{k.first, k.second});
        return it->second;
    };
    std::vector<std::pair<Vec, Vec>> centres;  // added after the corners
    for (const Face& f : faces) {
        const Vec n = Normalised(f.count == 4 ? Cross(f.p[2] - f.p[0], f.p[3] - f.p[1])
                                              : Cross(f.p[1] - f.p[0], f.p[2] - f.p[0]));
        // Faces are stored clockwise as seen from their front, the order the polygon routines
        // fill: the corners given counter-clockwise go in reverse (the first stays first).
        ts::TSMesh::Face out;
        Vec centre{};
        static constexpr int kReverse[2][4] = {{0, 2, 1, 1}, {0, 3, 2, 1}};
        for (int i = 0; i < 4; ++i) {
            const int k = kReverse[f.count == 4 ? 1 : 0][i];
            out.v[i] = corner(f.p[k], n);
            out.t[i] = coord(f.t[k]);
        }
        for (int i = 0; i < f.count; ++i)
            centre = centre + f.p[i];
        centres.emplace_back(centre * (1.0 / f.count), n);
        out.material = f.material;
        mesh->faces.push_back(out);
    }
    for (std::size_t i = 0; i < mesh->vertices.size(); ++i) {
        const Vec n = Normalised(normalSums[i]);
        mesh->vertices[i].n = ts::Vector3F{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)};
    }
    for (std::size_t i = 0; i < centres.size(); ++i) {
        mesh->faces[i].centre = static_cast<std::int32_t>(mesh->vertices.size());
        const Vec n = centres[i].second;
        mesh->vertices.push_back(ts::TSMesh::Vertex{
            Units(centres[i].first),
            ts::Vector3F{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)}});
    }
    FitSphere(*mesh);
    return mesh;
}

Piece MeshPiece(const MeshBuilder& mesh, std::string name) {
    return Piece{mesh.Build(), mesh.Bounds(), std::move(name)};
}

void FitSphere(ts::TSPartBase& part) {
    // Children first, then the box over them (not over the list's own old centre).
    part.ComputeBounds();
    ts::TSBox box = part.box;
    if (auto* list = dynamic_cast<ts::TSPartList*>(&part)) {
        bool any = false;
        for (int i = 0; i < list->PartCount(); ++i) {
            ts::TSPartBase* child = list->Part(i);
            if (child == nullptr || (child->fRadius <= 0 && dynamic_cast<ts::TSNullPart*>(child) != nullptr))
                continue;
            FitSphere(*child);
            const ts::TSBox& b = child->box;
            if (!any) {
                box = b;
                any = true;
            }
            box.min = ts::Vector3F{std::min(box.min.x, b.min.x), std::min(box.min.y, b.min.y), std::min(box.min.z, b.min.z)};
            box.max = ts::Vector3F{std::max(box.max.x, b.max.x), std::max(box.max.y, b.max.y), std::max(box.max.z, b.max.z)};
        }
    }
    const ts::Vector3F c{(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, (box.min.z + box.max.z) / 2};
    part.fCenter = c;
    float r = 0;
    if (auto* mesh = dynamic_cast<ts::TSMesh*>(&part)) {
        for (const auto& v : mesh->vertices)
            r = std::max(r, ts::VectorLength(v.p - c));
    } else {
        r = ts::VectorLength(box.max - c);
    }
    part.fRadius = r;
    part.ComputeBounds();
}

// ---- the partition --------------------------------------------------------------------------

namespace {

double Axis(Vec v, int a) {
    return a == 0 ? v.x : (a == 1 ? v.y : v.z);
}

struct BspMaker {
    std::vector<Piece>& pieces;
    double tolerance;
    ts::TSBSPPart& bsp;
    std::vector<std::unique_ptr<ts::TSPartBase>> children;

    std::uint32_t Child(std::unique_ptr<ts::TSPartBase> part) {
        children.push_back(std::move(part));
        return ts::TSBSPPart::kPart | static_cast<std::uint32_t>(children.size() - 1);
    }

    std::uint32_t Make(const std::vector<int>& set) {
        if (set.size() == 1) return Child(std::move(pieces[static_cast<std::size_t>(set[0])].part));
        // The most even split; y first, then x, then z among equals.
        int bestAxis = -1;
        double bestPlane = 0;
        std::size_t bestBalance = ~std::size_t{0};
        std::vector<int> bestFront, bestBack;
        for (int axis : {1, 0, 2}) {
            std::vector<double> candidates;
            for (int i : set) {
                candidates.push_back(Axis(pieces[static_cast<std::size_t>(i)].box.min, axis));
                candidates.push_back(Axis(pieces[static_cast<std::size_t>(i)].box.max, axis));
            }
            std::sort(candidates.begin(), candidates.end());
            for (double p : candidates) {
                std::vector<int> front, back;
                bool parted = true;
                for (int i : set) {
                    const Box& b = pieces[static_cast<std::size_t>(i)].box;
                    const bool below = Axis(b.max, axis) <= p + tolerance;
                    const bool above = Axis(b.min, axis) >= p - tolerance;
                    if (below && above) {
                        (Axis(b.Centre(), axis) >= p ? front : back).push_back(i);
                    } else if (below) {
                        back.push_back(i);
                    } else if (above) {
                        front.push_back(i);
                    } else {
                        parted = false;
                        break;
                    }
                }
                if (!parted || front.empty() || back.empty()) continue;
                const std::size_t balance = front.size() > back.size() ? front.size() - back.size()
                                                                       : back.size() - front.size();
                if (balance < bestBalance) {
                    bestBalance = balance;
                    bestAxis = axis;
                    bestPlane = p;
                    bestFront = front;
                    bestBack = back;
                }
            }
        }
        if (bestAxis < 0) {
            // Nothing parts them: one list, in the order given.
            auto list = std::make_unique<ts::TSPartList>();
            for (int i : set)
                list->AddPart(std::move(pieces[static_cast<std::size_t>(i)].part));
            return Child(std::move(list));
        }
        const auto node = static_cast<std::uint32_t>(bsp.nodes.size());
        bsp.nodes.push_back(ts::TSBSPPart::Node{});
        bsp.transforms.push_back(-1);
        ts::TSBSPPart::Node n;
        n.normal = ts::Vector3F{bestAxis == 0 ? 1.0f : 0.0f, bestAxis == 1 ? 1.0f : 0.0f, bestAxis == 2 ? 1.0f : 0.0f};
        n.coeff = static_cast<float>(bestPlane * kUnitsPerFoot);
        n.front = Make(bestFront);
        n.back = Make(bestBack);
        bsp.nodes[node] = n;
        return node;
    }
};

}  // namespace

std::unique_ptr<ts::TSBSPPart> BuildBsp(std::vector<Piece> pieces, double tolerance) {
    auto bsp = std::make_unique<ts::TSBSPPart>();
    std::vector<int> all;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (pieces[i].part) all.push_back(static_cast<int>(i));
    if (all.empty()) return bsp;
    BspMaker maker{pieces, tolerance, *bsp, {}};
    const std::uint32_t root = maker.Make(all);
    if ((root & ts::TSBSPPart::kPart) != 0) {
        // A single piece: one node whose both sides draw it.
        bsp->nodes.push_back(ts::TSBSPPart::Node{ts::Vector3F{0, 0, 1}, 0, root, ts::TSBSPPart::kNothing});
        bsp->transforms.push_back(-1);
    }
    for (auto& c : maker.children)
        bsp->AddPart(std::move(c));
    FitSphere(*bsp);
    return bsp;
}

std::unique_ptr<ts::TSCellAnimPart> CellAnimation(int sequence, std::vector<std::unique_ptr<ts::TSPartBase>> frames) {
    auto part = std::make_unique<ts::TSCellAnimPart>();
    part->animSequence = sequence;
    std::vector<std::int32_t> cells;
    for (auto& f : frames) {
        if (!f) f = std::make_unique<ts::TSNullPart>();
        cells.push_back(part->PartCount());
        part->AddPart(std::move(f));
    }
    part->SetCells(static_cast<std::int32_t>(cells.size()), cells.data());
    FitSphere(*part);
    return part;
}

// ---- solids ---------------------------------------------------------------------------------

namespace {

// A quad turned to face away from a point inside the solid.
void Outward(MeshBuilder& m, Vec a, Vec b, Vec c, Vec d, Vec inside, int material, UV ta = {},
             UV tb = {}, UV tc = {}, UV td = {}) {
    const Vec n = Cross(c - a, d - b);
    const Vec centre = (a + b + c + d) * 0.25;
    if (Dot(n, centre - inside) >= 0)
        m.Quad(a, b, c, d, material, ta, tb, tc, td);
    else
        m.Quad(d, c, b, a, material, td, tc, tb, ta);
}

void OutwardTri(MeshBuilder& m, Vec a, Vec b, Vec c, Vec inside, int material) {
    const Vec n = Cross(b - a, c - a);
    const Vec centre = (a + b + c) * (1.0 / 3.0);
    if (Dot(n, centre - inside) >= 0)
        m.Tri(a, b, c, material);
    else
        m.Tri(c, b, a, material);
}

double SignedPower(double v, double e) {
    return v < 0 ? -std::pow(-v, e) : std::pow(v, e);
}

}  // namespace

Vec RingPoint(const Section& s, int j, int n) {
    const double a = 2 * kPi * j / n;
    const double e = 2.0 / s.squareness;
    return {s.x + s.halfWidth * SignedPower(std::sin(a), e), s.y, s.z + s.halfHeight * SignedPower(std::cos(a), e)};
}

void Loft(MeshBuilder& m, const std::vector<Section>& sections, int n, const LoftPaint& paint, bool capFirst,
          bool capLast) {
    for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
        const Section& s0 = sections[i];
        const Section& s1 = sections[i + 1];
        const Vec inside{(s0.x + s1.x) / 2, (s0.y + s1.y) / 2, (s0.z + s1.z) / 2};
        for (int j = 0; j < n; ++j) {
            const Vec a = RingPoint(s0, j, n), b = RingPoint(s0, (j + 1) % n, n);
            const Vec c = RingPoint(s1, (j + 1) % n, n), d = RingPoint(s1, j, n);
            UV t[4];
            const int material = paint.Material(static_cast<int>(i), j, n);
            if (paint.Texture(static_cast<int>(i), j, n, t))
                Outward(m, a, b, c, d, inside, material, t[0], t[1], t[2], t[3]);
            else
                Outward(m, a, b, c, d, inside, material);
        }
    }
    // Open ends are closed with a fan.
    for (std::size_t e : {std::size_t{0}, sections.size() - 1}) {
        const Section& s = sections[e];
        if (s.halfWidth <= 0 && s.halfHeight <= 0) continue;
        if ((e == 0 && !capFirst) || (e != 0 && !capLast)) continue;
        const Section& other = sections[e == 0 ? 1 : e - 1];
        const Vec centre{s.x, s.y, s.z};
        const Vec inside{other.x, other.y, other.z};
        const int material = paint.Material(e == 0 ? 0 : static_cast<int>(e) - 1, 0, n);
        for (int j = 0; j < n; ++j)
            OutwardTri(m, centre, RingPoint(s, j, n), RingPoint(s, (j + 1) % n, n), inside, material);
    }
}

void Panel(MeshBuilder& m, PanelEnd root, PanelEnd tip, double thickness, int top, int bottom,
           bool capRoot, bool capTip) {
    // Upper and lower surfaces at fractions of the chord, as fractions of the thickness.
    static constexpr double kAt[5] = {0.0, 0.12, 0.35, 0.7, 1.0};
    static constexpr double kUpper[5] = {0.0, 0.55, 0.62, 0.4, 0.02};
    static constexpr double kLower[5] = {0.0, 0.32, 0.38, 0.22, 0.02};
    Vec span = tip.leadingEdge - root.leadingEdge;
    if (span.x < 0) span = span * -1.0;
    Vec up = Normalised(Cross(Vec{0, -1, 0}, span));
    if (up.z < 0) up = up * -1.0;
    auto point = [&](const PanelEnd& e, int k, bool upper) {
        const double t = thickness * e.chord * (upper ? kUpper[k] : -kLower[k]);
        return e.leadingEdge + Vec{0, -e.chord * kAt[k], 0} + up * t;
    };
    Vec inside = (root.leadingEdge + tip.leadingEdge) * 0.5 + Vec{0, -(root.chord + tip.chord) * 0.25, 0};
    for (int k = 0; k < 4; ++k) {
        Outward(m, point(root, k, true), point(root, k + 1, true), point(tip, k + 1, true), point(tip, k, true),
                inside, top);
        Outward(m, point(root, k, false), point(root, k + 1, false), point(tip, k + 1, false),
                point(tip, k, false), inside, bottom);
    }
    // The trailing edge's small face.
    Outward(m, point(root, 4, true), point(root, 4, false), point(tip, 4, false), point(tip, 4, true), inside, bottom);
    for (const auto& [end, cap, other] : {std::tuple{root, capRoot, tip}, std::tuple{tip, capTip, root}}) {
        if (!cap) continue;
        const Vec away = end.leadingEdge + Vec{0, -end.chord * 0.4, 0};
        const Vec in = away + (other.leadingEdge - end.leadingEdge) * 0.5;
        for (int k = 1; k < 4; ++k) {
            OutwardTri(m, point(end, 0, true), point(end, k, true), point(end, k + 1, true), in, top);
            OutwardTri(m, point(end, 0, false), point(end, k, false), point(end, k + 1, false), in, bottom);
        }
        Outward(m, point(end, 0, true), point(end, 4, true), point(end, 4, false), point(end, 0, false), in, bottom);
    }
}

void Fin(MeshBuilder& m, PanelEnd root, PanelEnd tip, double thickness, int side) {
    static constexpr double kAt[5] = {0.0, 0.15, 0.4, 0.75, 1.0};
    static constexpr double kHalf[5] = {0.0, 0.42, 0.5, 0.3, 0.03};
    auto point = [&](const PanelEnd& e, int k, double s) {
        return e.leadingEdge + Vec{s * thickness * e.chord * kHalf[k], -e.chord * kAt[k], 0};
    };
    const Vec inside = (root.leadingEdge + tip.leadingEdge) * 0.5 + Vec{0, -(root.chord + tip.chord) * 0.25, 0};
    for (int k = 0; k < 4; ++k) {
        Outward(m, point(root, k, 1), point(root, k + 1, 1), point(tip, k + 1, 1), point(tip, k, 1), inside, side);
        Outward(m, point(root, k, -1), point(root, k + 1, -1), point(tip, k + 1, -1), point(tip, k, -1), inside, side);
    }
    Outward(m, point(root, 4, 1), point(root, 4, -1), point(tip, 4, -1), point(tip, 4, 1), inside, side);
    // The tip's cap.
    const Vec in = inside;
    for (int k = 0; k < 4; ++k)
        Outward(m, point(tip, k, 1), point(tip, k + 1, 1), point(tip, k + 1, -1), point(tip, k, -1), in, side);
}

void Block(MeshBuilder& m, Vec a, Vec b, int material) {
    const Vec c = (a + b) * 0.5;
    const Vec p[8] = {{a.x, a.y, a.z}, {b.x, a.y, a.z}, {b.x, b.y, a.z}, {a.x, b.y, a.z},
                      {a.x, a.y, b.z}, {b.x, a.y, b.z}, {b.x, b.y, b.z}, {a.x, b.y, b.z}};
    static constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                         {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    for (const auto& f : kFaces)
        Outward(m, p[f[0]], p[f[1]], p[f[2]], p[f[3]], c, material);
}

void Cylinder(MeshBuilder& m, Vec a, Vec b, double radius, int sides, int material, int capMaterial) {
    const Vec axis = Normalised(b - a);
    const Vec helper = std::fabs(axis.z) < 0.9 ? Vec{0, 0, 1} : Vec{1, 0, 0};
    const Vec u = Normalised(Cross(axis, helper));
    const Vec v = Cross(axis, u);
    const Vec centre = (a + b) * 0.5;
    auto ring = [&](Vec base, int j) {
        const double t = 2 * kPi * j / sides;
        return base + u * (radius * std::cos(t)) + v * (radius * std::sin(t));
    };
    for (int j = 0; j < sides; ++j) {
        Outward(m, ring(a, j), ring(a, j + 1), ring(b, j + 1), ring(b, j), centre, material);
        OutwardTri(m, a, ring(a, j), ring(a, j + 1), centre, capMaterial);
        OutwardTri(m, b, ring(b, j), ring(b, j + 1), centre, capMaterial);
    }
}

void Wheel(MeshBuilder& m, Vec centre, double radius, double width, int tyre, int hub) {
    Cylinder(m, centre - Vec{width / 2, 0, 0}, centre + Vec{width / 2, 0, 0}, radius, 8, tyre, hub);
}

// ---- pictures -------------------------------------------------------------------------------

namespace {

// 5 x 7 capitals, digits, '-' and '/', a row per byte (bit 4 the leftmost column).
struct Glyph {
    char c;
    std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}}, {'C', {14, 17, 16, 16, 16, 17, 14}},
    {'D', {30, 17, 17, 17, 17, 17, 30}}, {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}}, {'I', {14, 4, 4, 4, 4, 4, 14}},
    {'J', {7, 2, 2, 2, 2, 18, 12}},      {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}}, {'O', {14, 17, 17, 17, 17, 17, 14}},
    {'P', {30, 17, 17, 30, 16, 16, 16}}, {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},       {'U', {17, 17, 17, 17, 17, 17, 14}},
    {'V', {17, 17, 17, 17, 17, 10, 4}},  {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},     {'0', {14, 17, 19, 21, 25, 17, 14}},
    {'1', {4, 12, 4, 4, 4, 4, 14}},      {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},   {'6', {6, 8, 16, 30, 17, 17, 14}},
    {'7', {31, 1, 2, 4, 8, 8, 8}},       {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'-', {0, 0, 0, 31, 0, 0, 0}},       {'/', {1, 1, 2, 4, 8, 16, 16}},
};

const Glyph* GlyphOf(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

}  // namespace

void Picture::Fill(int x0, int y0, int x1, int y1, std::uint8_t colour) {
    for (int y = std::max(y0, 0); y <= std::min(y1, height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x)
            At(x, y) = colour;
}

int Picture::TextWidth(const std::string& text, int scale) {
    return static_cast<int>(text.size()) * 6 * scale - scale;
}

void Picture::Text(int x, int y, const std::string& text, std::uint8_t colour, int scale) {
    for (char c : text) {
        if (const Glyph* g = GlyphOf(c)) {
            for (int r = 0; r < 7; ++r)
                for (int col = 0; col < 5; ++col)
                    if ((g->rows[r] >> (4 - col)) & 1)
                        Fill(x + col * scale, y + r * scale, x + col * scale + scale - 1, y + r * scale + scale - 1, colour);
        }
        x += 6 * scale;
    }
}

Bytes BmpFile(const Picture& p) {
    const int stride = (p.width + 3) & ~3;
    const std::uint32_t offset = 14 + 40 + 1024;
    const std::uint32_t size = offset + static_cast<std::uint32_t>(stride * p.height);
    Bytes b(size, 0);
    b[0] = 'B';
    b[1] = 'M';
    core::WriteU32(&b[2], size);
    core::WriteU32(&b[10], offset);
    core::WriteU32(&b[14], 40);
    core::WriteU32(&b[18], static_cast<std::uint32_t>(p.width));
    core::WriteU32(&b[22], static_cast<std::uint32_t>(p.height));
    core::WriteU16(&b[26], 1);
    core::WriteU16(&b[28], 8);
    core::WriteU32(&b[34], static_cast<std::uint32_t>(stride * p.height));
    core::WriteU32(&b[46], 256);
    const std::vector<Rgb> colours = WorldColours(0);
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = colours[static_cast<std::size_t>(i)].b;
        b[55 + 4 * i] = colours[static_cast<std::size_t>(i)].g;
        b[56 + 4 * i] = colours[static_cast<std::size_t>(i)].r;
    }
    // Rows bottom up.
    for (int y = 0; y < p.height; ++y)
        std::memcpy(&b[offset + static_cast<std::size_t>(stride) * (p.height - 1 - y)],
                    &p.pixels[static_cast<std::size_t>(y) * p.width], static_cast<std::size_t>(p.width));
    return b;
}

std::uint8_t PaletteIndex(Rgb colour) {
    static const std::vector<Rgb> day = WorldColours(0);
    int best = kFirstWorldEntry;
    long bestDistance = -1;
    // Only the world's paints: the cockpit views put the panel's own colours into 10..73, and
    // the entries of fixed meaning keep their own light (the stars' white stays bright at
    // night, where a white paint must darken with the rest).
    for (int i = kFirstWorldEntry; i < kLastFreeEntry; ++i) {
        if (IsFixedEntry(i)) continue;
        const Rgb& c = day[static_cast<std::size_t>(i)];
        const long dr = c.r - colour.r, dg = c.g - colour.g, db = c.b - colour.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// ---- materials and files --------------------------------------------------------------------

int MaterialSet::Colour(Rgb colour, std::uint32_t shading) {
    return Add(shading, PaletteIndex(colour));
}

int MaterialSet::Light(Rgb colour) {
    // The window system's full colours and the stars' white: no palette darkens them.
    int best = kStarEntry;
    long bestDistance = -1;
    for (int i : {kStarEntry, 246, 249, 250, 251, 255}) {
        const Rgb c = i == kStarEntry ? WorldColours(0)[kStarEntry] : StaticColour(i);
        const long dr = c.r - colour.r, dg = c.g - colour.g, db = c.b - colour.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return Add(ts::TSMaterial::kUnlit, static_cast<std::uint8_t>(best));
}

int MaterialSet::Add(std::uint32_t shading, std::uint8_t index) {
    const Entry e{ts::TSMaterial::kPalette, shading, index, 0, {}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& x = entries[i];
        if (x.type == e.type && x.shading == e.shading && x.index == e.index) return static_cast<int>(i);
    }
    entries.push_back(e);
    return Count() - 1;
}

int MaterialSet::Texture(const std::string& name, std::uint32_t shading, std::uint32_t flags, Rgb fallback) {
    const Entry e{ts::TSMaterial::kTexture, shading, PaletteIndex(fallback), flags, name};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& x = entries[i];
        if (x.type == e.type && x.shading == e.shading && x.texture == e.texture && x.flags == e.flags)
            return static_cast<int>(i);
    }
    entries.push_back(e);
    return Count() - 1;
}

std::unique_ptr<ts::TSMaterialList> MaterialSet::Build() const {
    auto list = std::make_unique<ts::TSMaterialList>();
    for (const Entry& e : entries) {
        auto m = std::make_unique<ts::TSMaterial>();
        m->type = e.type;
        m->shading = e.shading;
        m->paletteIndex = e.index;
        m->flags = e.flags;
        m->textureName = e.texture;
        list->Add(std::move(m));
    }
    return list;
}

ShapeFiles StoreShape(const std::string& name, ts::TSShape& shape, const ts::TSMaterialList& materials,
                      bool aroundOrigin) {
    FitSphere(shape);
    if (aroundOrigin) {
        float r = 0;
        for (float x : {shape.box.min.x, shape.box.max.x})
            for (float y : {shape.box.min.y, shape.box.max.y})
                for (float z : {shape.box.min.z, shape.box.max.z})
                    r = std::max(r, ts::VectorLength(ts::Vector3F{x, y, z}));
        shape.fCenter = ts::Vector3F{};
        shape.fRadius = r;
    }
    ShapeFiles files;
    files.name = name;
    files.dts = CollectBytes([&](core::StreamIO& s) { return ts::ClassItem::storeObject(&shape, s, 1) != 0; });
    files.dml = CollectBytes([&](core::StreamIO& s) { return ts::ClassItem::storeObject(&materials, s, 1) != 0; });
    return files;
}

}  // namespace mkdata
