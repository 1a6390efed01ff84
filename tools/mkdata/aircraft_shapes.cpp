// The aircraft: one parametric builder and a design per type. Designs are written in feet: a
// station s counts back from the nose's tip, heights above the ground under the wheels, x to the
// right. The shape's origin lies over the wing root's quarter chord, at the height the flight
// model keeps the aircraft above the ground (its wheel height, plus the model height offset the
// aircraft adds), so that the wheels stand on the ground; y points forward and z up.
//
// The published figures come from the manufacturers' published data as collected in Jane's All
// the World's Aircraft and the types' encyclopaedia articles (span, length, height, wing area);
// chords, stations, tail and gear layout are our own reading of three-view drawings, fitted to
// those figures.
#include "tools/mkdata/aircraft_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The flight model keeps the aircraft's reference point this high over the ground on its wheels.
constexpr double kWheelHeight = 496.0 / 256.0 / 0.3048;

enum class WingPlace { kHigh, kLow };
enum class TailKind { kConventional, kT, kV };
enum class Power { kNose, kWings, kRear };

struct Station {
    double s, hw, hh, hag, sq;
};

struct Design {
    const char* name;
    const char* prefix;  // of the texture names
    PublishedFigures figures;
    double originHag;
    std::vector<Station> body;
    double windshieldFrom, windshieldTo, windowsFrom, windowsTo, regFrom, regTo;
    // Wing: root leading edge station and chord, tip chord, the constant-chord part of the
    // half span, leading-edge sweep at the tip (ft aft), root chord line height, dihedral.
    WingPlace place;
    double wingS, rootChord, tipChord, kink, sweep, wingHag, dihedral, thickness;
    bool tipTanks;
    // Tail.
    TailKind tail;
    double hSpan, hRootChord, hTipChord, hRootS, hTipS, hHag, hDihedral;
    double vRootS, vRootChord, vTipS, vTipChord, vRootHag, vTopHag;
    // Power: the engines' x (wing engines and rear fans), their nacelle or pod, the propeller.
    Power power;
    double engineX;
    std::vector<Station> nacelle;
    double propS, propHag, propDiameter;
    int blades;
    // Gear: attach heights, axle stations, main track, wheel diameters.
    bool retractable;
    double noseS, noseAttachHag, noseWheel, mainS, track, mainAttachHag, mainWheel;
    bool mainsForward;
    // Livery.
    Rgb base, stripe, trim;
    const char* registration;
};

// ---- the designs ----------------------------------------------------------------------------

const Design& DesignOf(int type) {
    static const Design kDesigns[5] = {
        // Cessna 172 Skyhawk: strut-braced high wing, fixed tricycle gear, one engine.
        {"172", "c172",
         {"Cessna 172 Skyhawk", 36.0 + 1.0 / 12, 27.0 + 2.0 / 12, 8.0 + 11.0 / 12, 174.0,
          "Cessna 172S published data: span 36 ft 1 in, length 27 ft 2 in, height 8 ft 11 in, wing area 174 sq ft"},
         kWheelHeight + 1.0,
         {{0.0, 0, 0, 4.4, 2},       {0.7, 0.55, 0.55, 4.4, 2},   {1.05, 1.2, 1.15, 4.35, 2.4},
          {2.6, 1.5, 1.45, 4.45, 2.6}, {3.6, 1.7, 1.75, 4.8, 2.8}, {5.4, 1.85, 2.25, 5.2, 3.0},
          {7.2, 1.9, 2.25, 5.2, 3.0},  {9.6, 1.8, 2.1, 5.3, 3.0},   {12.0, 1.45, 1.75, 5.45, 2.8},
          {15.0, 1.15, 1.4, 5.5, 2.6}, {18.0, 0.9, 1.15, 5.6, 2.4}, {21.5, 0.65, 0.9, 5.7, 2.2},
          {24.5, 0.45, 0.65, 5.85, 2.2}, {26.0, 0.25, 0.45, 6.0, 2}, {26.6, 0, 0, 6.1, 2}},
         3.6, 5.4, 5.4, 12.0, 15.0, 21.5,
         WingPlace::kHigh, 5.9, 5.19, 3.73, 0.5, 0.35, 7.62, 1.73, 0.13, false,
         TailKind::kConventional, 11.33, 4.0, 2.6, 22.9, 23.5, 5.85, 0.0,
         21.0, 6.0, 24.4, 2.77, 6.55, 8.92,
         Power::kNose, 0.0, {}, 0.8, 4.4, 6.25, 2,
         false, 3.0, 3.2, 1.25, 8.6, 8.25, 3.1, 1.4, false,
         {245, 245, 245}, {150, 30, 35}, {205, 45, 35}, "N7263K"},
        // Beechcraft V35 Bonanza: low wing, V-tail, retractable gear.
        {"bonanza", "bon",
         {"Beechcraft V35B Bonanza", 33.5, 26.0 + 5.0 / 12, 7.0 + 7.0 / 12, 181.0,
          "Beechcraft V35B published data: span 33 ft 6 in, length 26 ft 5 in, height 7 ft 7 in, wing area 181 sq ft"},
         kWheelHeight,
         {{0.0, 0, 0, 3.5, 2},        {0.7, 0.5, 0.5, 3.5, 2},      {1.0, 1.1, 1.1, 3.45, 2.4},
          {3.0, 1.55, 1.35, 3.5, 2.8}, {4.6, 1.85, 1.75, 3.75, 3.0}, {6.3, 2.0, 2.1, 3.9, 3.0},
          {9.0, 2.0, 2.05, 3.95, 3.0}, {11.5, 1.75, 1.8, 4.0, 3.0},  {15.0, 1.25, 1.35, 4.1, 2.6},
          {19.0, 0.85, 1.0, 4.25, 2.4}, {22.5, 0.55, 0.7, 4.4, 2.2}, {25.0, 0.3, 0.45, 4.5, 2},
          {25.8, 0, 0, 4.55, 2}},
         4.6, 6.3, 6.3, 11.5, 14.0, 20.0,
         WingPlace::kLow, 7.4, 6.97, 3.83, 0.0, 0.9, 2.5, 6.0, 0.15, false,
         TailKind::kV, 0.0, 4.4, 2.42, 21.4, 24.0, 4.7, 35.0,
         0.0, 0.0, 0.0, 0.0, 4.7, 7.58,
         Power::kNose, 0.0, {}, 0.75, 3.5, 7.0, 2,
         true, 3.6, 2.4, 1.1, 8.7, 9.6, 2.3, 1.35, false,
         {245, 245, 245}, {40, 70, 150}, {220, 185, 60}, "N8315D"},
        // Beechcraft 58 Baron: low-wing piston twin, retractable gear.
        {"baron", "bar",
         {"Beechcraft 58 Baron", 37.0 + 10.0 / 12, 29.0 + 10.0 / 12, 9.75, 199.2,
          "Beechcraft 58 Baron published data: span 37 ft 10 in, length 29 ft 10 in, height 9 ft 9 in, wing area 199.2 sq ft"},
         kWheelHeight + 1.0,
         {{0.0, 0, 0, 3.9, 2},        {1.5, 0.9, 0.75, 3.9, 2.4},   {3.5, 1.5, 1.2, 4.0, 2.6},
          {6.0, 1.85, 1.6, 4.2, 2.8},  {7.8, 2.0, 2.1, 4.5, 3.0},    {11.0, 2.0, 2.05, 4.55, 3.0},
          {14.5, 1.8, 1.85, 4.6, 3.0}, {18.0, 1.35, 1.45, 4.75, 2.6}, {22.0, 0.95, 1.1, 4.95, 2.4},
          {26.0, 0.6, 0.75, 5.2, 2.2}, {28.4, 0.35, 0.5, 5.35, 2},   {29.2, 0, 0, 5.4, 2}},
         6.0, 7.8, 7.8, 14.5, 18.0, 23.5,
         WingPlace::kLow, 8.6, 6.6, 3.95, 0.0, 0.8, 2.75, 6.0, 0.15, false,
         TailKind::kConventional, 15.9, 4.0, 2.8, 25.0, 26.2, 5.2, 0.0,
         22.8, 5.2, 26.83, 3.0, 5.9, 9.75,
         Power::kWings, 6.3,
         {{3.9, 0, 0, 3.25, 2}, {4.45, 0.45, 0.45, 3.25, 2}, {5.0, 1.0, 1.05, 3.25, 2.4},
          {7.5, 1.15, 1.2, 3.3, 2.6}, {10.5, 1.0, 1.0, 3.3, 2.4}, {13.5, 0.5, 0.55, 3.3, 2}, {14.6, 0, 0, 3.3, 2}},
         4.6, 3.25, 6.5, 3,
         true, 3.4, 2.8, 1.2, 9.6, 12.6, 2.7, 1.5, true,
         {245, 245, 245}, {120, 80, 40}, {200, 160, 70}, "N5820T"},
        // Beechcraft B200 King Air: low-wing turboprop twin, T-tail, retractable gear.
        {"kingair", "kin",
         {"Beechcraft B200 Super King Air", 54.5, 43.75, 15.0, 303.0,
          "Beechcraft B200 published data: span 54 ft 6 in, length 43 ft 9 in, height 15 ft 0 in, wing area 303 sq ft"},
         kWheelHeight,
         {{0.0, 0, 0, 5.0, 2},        {1.5, 1.0, 0.9, 5.0, 2.4},    {4.0, 1.9, 1.6, 5.2, 2.6},
          {7.0, 2.3, 2.15, 5.6, 2.8},  {9.0, 2.45, 2.6, 5.9, 3.0},   {14.0, 2.5, 2.65, 5.95, 3.0},
          {22.0, 2.5, 2.6, 6.0, 3.0},  {27.0, 2.1, 2.2, 6.2, 2.8},   {32.0, 1.5, 1.6, 6.5, 2.6},
          {37.0, 0.95, 1.1, 6.9, 2.4}, {41.0, 0.6, 0.75, 7.2, 2.2},  {43.0, 0, 0, 7.3, 2}},
         7.0, 9.0, 9.0, 22.0, 27.5, 34.0,
         WingPlace::kLow, 15.5, 6.45, 2.9, 0.4, 1.5, 3.95, 6.0, 0.16, false,
         TailKind::kT, 18.4, 5.2, 3.0, 37.6, 39.6, 14.45, 0.0,
         32.5, 8.0, 38.75, 5.0, 8.3, 14.2,
         Power::kWings, 8.2,
         {{10.0, 0, 0, 5.0, 2}, {10.8, 0.6, 0.6, 5.0, 2}, {11.5, 1.3, 1.45, 5.0, 2.4},
          {14.5, 1.35, 1.55, 5.0, 2.6}, {19.0, 1.2, 1.4, 5.0, 2.4}, {23.0, 0.7, 0.8, 5.0, 2}, {25.0, 0, 0, 5.0, 2}},
         11.1, 5.0, 8.21, 3,
         true, 7.5, 3.3, 1.5, 17.0, 16.4, 3.9, 1.9, true,
         {245, 245, 245}, {40, 70, 140}, {120, 130, 150}, "N624KB"},
        // Cessna 525 CitationJet: low wing, two rear-mounted fans, T-tail, retractable gear.
        {"citation", "cit",
         {"Cessna 525 CitationJet", 46.0 + 11.0 / 12, 42.0 + 7.0 / 12, 13.0 + 8.0 / 12, 240.0,
          "Cessna 525 CitationJet published data: span 46 ft 11 in, length 42 ft 7 in, height 13 ft 8 in, wing area 240 sq ft"},
         kWheelHeight + 2.0,
         {{0.0, 0, 0, 5.0, 2},        {2.0, 1.0, 0.9, 5.0, 2.2},    {5.0, 1.9, 1.6, 5.3, 2.4},
          {8.0, 2.3, 2.1, 5.7, 2.6},   {10.0, 2.4, 2.5, 5.9, 2.8},   {15.0, 2.4, 2.45, 5.95, 2.8},
          {20.0, 2.35, 2.4, 6.0, 2.8}, {25.0, 2.0, 2.05, 6.2, 2.6},  {30.0, 1.6, 1.7, 6.5, 2.6},
          {35.0, 1.15, 1.3, 6.9, 2.4}, {39.5, 0.7, 0.8, 7.3, 2.2},   {41.5, 0.3, 0.4, 7.5, 2},
          {42.0, 0, 0, 7.55, 2}},
         8.0, 10.0, 10.0, 20.0, 21.5, 26.0,
         WingPlace::kLow, 15.0, 7.06, 3.18, 0.0, 1.0, 3.95, 4.0, 0.14, false,
         TailKind::kT, 19.0, 4.6, 2.7, 37.2, 39.0, 13.2, 0.0,
         32.5, 7.5, 38.0, 4.58, 8.6, 13.0,
         Power::kRear, 3.95,
         {{26.8, 1.0, 1.0, 7.2, 2}, {27.3, 1.25, 1.25, 7.2, 2}, {31.0, 1.2, 1.2, 7.2, 2},
          {34.0, 0.85, 0.85, 7.2, 2}, {34.6, 0.6, 0.6, 7.2, 2}},
         26.75, 7.2, 2.0, 14,
         true, 6.0, 3.3, 1.4, 18.5, 13.4, 3.5, 1.8, false,
         {245, 245, 245}, {30, 40, 95}, {170, 170, 178}, "N5125Q"},
    };
    return kDesigns[std::clamp(type, 0, 4)];
}

// ---- the part-animation table's frames ------------------------------------------------------

constexpr int kPropTurning[5] = {12, 12, 8, 8, 4};
constexpr int kPropRunning[5] = {12, 12, 8, 8, 2};
constexpr int kGearFrames[5][7] = {{0, 0, 0, 0, 0, 0, 0},
                                   {17, 24, 24, 14, 21, 14, 21},
                                   {17, 23, 23, 15, 24, 16, 24},
                                   {11, 18, 18, 12, 21, 21, 0},
                                   {12, 18, 18, 15, 17, 17, 0}};

}  // namespace

int PartFrames(int type, int entry) {
    type = std::clamp(type, 0, 4);
    switch (entry) {
        case 0:
            return kPropTurning[type];
        case 1:
            return kPropRunning[type];
        case 2:
            return type >= 2 ? kPropTurning[type] : 0;
        case 3:
            return type >= 2 ? kPropRunning[type] : 0;
        case 4:
        case 6:
        case 7:
        case 8:
            return 2;
        case 5:
            return 12;
        default:
            return entry >= 9 && entry <= 15 ? kGearFrames[type][entry - 9] : 0;
    }
}

namespace {

// ---- the builder ----------------------------------------------------------------------------

struct Materials {
    MaterialSet set;
    int base, stripe, trim, glass, windows, registration, tyre, metal, blade, spinner, disc, dark;
    int redDim, redLit, greenDim, greenLit, whiteDim, whiteLit, lampLit;
};

Materials MakeMaterials(const Design& d) {
    Materials m;
    m.base = m.set.Colour(d.base);
    m.stripe = m.set.Colour(d.stripe);
    m.trim = m.set.Colour(d.trim);
    m.glass = m.set.Colour({45, 60, 85});
    m.windows = m.set.Texture(std::string(d.prefix) + "win.bmp", ts::TSMaterial::kFlat, 0, {45, 60, 85});
    m.registration = m.set.Texture(std::string(d.prefix) + "reg.bmp", ts::TSMaterial::kFlat, 0, d.base);
    m.tyre = m.set.Colour({34, 34, 34});
    m.metal = m.set.Colour({160, 160, 160});
    m.blade = m.set.Colour({45, 45, 45});
    m.spinner = m.set.Colour(d.stripe);
    m.dark = m.set.Colour({60, 60, 64});
    m.disc = m.set.Texture("propdisc.bmp", ts::TSMaterial::kUnlit,
                           ts::TSMaterial::kTransparent | ts::TSMaterial::kTranslucent, {120, 120, 120});
    const std::uint32_t u = ts::TSMaterial::kUnlit;
    m.redDim = m.set.Colour({110, 30, 30}, u);
    m.redLit = m.set.Light({255, 40, 30});
    m.greenDim = m.set.Colour({30, 90, 40}, u);
    m.greenLit = m.set.Light({60, 235, 70});
    m.whiteDim = m.set.Colour({140, 140, 140}, u);
    m.whiteLit = m.set.Light({255, 255, 255});
    m.lampLit = m.set.Light({255, 245, 200});
    return m;
}

// Where things are: stations and heights to shape coordinates (feet).
struct Place {
    double yRef;
    double ground;
    [[nodiscard]] Vec At(double x, double s, double hag) const { return {x, yRef - s, hag - ground}; }
};

Station Interpolate(const std::vector<Station>& body, double s) {
    if (s <= body.front().s) return body.front();
    for (std::size_t i = 0; i + 1 < body.size(); ++i) {
        const Station& a = body[i];
        const Station& b = body[i + 1];
        if (s > b.s) continue;
        const double t = (s - a.s) / (b.s - a.s);
        return {s, a.hw + (b.hw - a.hw) * t, a.hh + (b.hh - a.hh) * t, a.hag + (b.hag - a.hag) * t,
                a.sq + (b.sq - a.sq) * t};
    }
    return body.back();
}

// The body's half width at a station and height (0 above or below it).
double HalfWidthAt(const std::vector<Station>& body, double s, double hag) {
    const Station st = Interpolate(body, s);
    if (st.hh <= 0) return 0;
    const double dz = std::fabs((hag - st.hag) / st.hh);
    if (dz >= 1) return 0;
    return st.hw * std::pow(1 - std::pow(dz, st.sq), 1 / st.sq);
}

double TopAt(const std::vector<Station>& body, double s) {
    const Station st = Interpolate(body, s);
    return st.hag + st.hh;
}

// The stations of a body from s0 to s1, with the cuts given inserted.
std::vector<Section> Sections(const std::vector<Station>& body, const Place& at, double x, double s0, double s1,
                              const std::vector<double>& cuts) {
    std::vector<double> stops;
    for (const Station& st : body)
        if (st.s > s0 && st.s < s1) stops.push_back(st.s);
    for (double c : cuts)
        if (c > s0 && c < s1) stops.push_back(c);
    stops.push_back(s0);
    stops.push_back(s1);
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end(), [](double a, double b) { return std::fabs(a - b) < 1e-6; }),
                stops.end());
    std::vector<Section> out;
    for (double s : stops) {
        const Station st = Interpolate(body, s);
        const Vec c = at.At(x, s, st.hag);
        out.push_back(Section{c.y, st.hw, st.hh, c.z, st.sq, c.x});
    }
    return out;
}

// The fuselage's paint: bands round the body by ring point, textures where the windows and the
// registration are.
class BodyPaint final : public LoftPaint {
public:
    BodyPaint(const Design& d, const Materials& m, const std::vector<Section>& sections, const Place& at, int ring)
        : d(d), m(m), sections(sections), at(at), ring(ring) {}

    [[nodiscard]] double StationOf(int i) const { return at.yRef - sections[static_cast<std::size_t>(i)].y; }

    int Material(int i, int j, int n) const override {
        const double s = (StationOf(i) + StationOf(i + 1)) / 2;
        const int band = Band(j, n);
        if (band == kTop && s > d.windshieldFrom && s < d.windshieldTo) return m.glass;
        if (band == kUpper && s > d.windowsFrom && s < d.windowsTo) return m.windows;
        if (band == kUpper && s > d.regFrom && s < d.regTo) return m.registration;
        if (band == kMiddle) return m.stripe;
        return m.base;
    }
    bool Texture(int i, int j, int n, UV t[4]) const override {
        const int band = Band(j, n);
        const double s0 = StationOf(i), s1 = StationOf(i + 1), s = (s0 + s1) / 2;
        double from = 0, to = 0;
        if (band == kUpper && s > d.windowsFrom && s < d.windowsTo) {
            from = d.windowsFrom;
            to = d.windowsTo;
        } else if (band == kUpper && s > d.regFrom && s < d.regTo) {
            from = d.regFrom;
            to = d.regTo;
        } else {
            return false;
        }
        // Text reads from the nose back on the left side and from the tail forward on the right.
        const bool right = j < n / 2;
        auto u = [&](double st) { return right ? (to - st) / (to - from) : (st - from) / (to - from); };
        // Ring point j is the band's upper edge on the right and its lower edge on the left.
        const double vj = right ? 0.0 : 1.0, vk = right ? 1.0 : 0.0;
        t[0] = {u(s0), vj};
        t[1] = {u(s0), vk};
        t[2] = {u(s1), vk};
        t[3] = {u(s1), vj};
        return true;
    }

private:
    enum { kTop, kUpper, kMiddle, kLower };
    // The band of the quad from ring point j: top, upper side (windows), middle (the stripe),
    // lower side and bottom.
    static int Band(int j, int n) {
        double a = 360.0 * (j + 0.5) / n;
        if (a > 180) a = 360 - a;
        if (a < 50) return kTop;
        if (a < 90) return kUpper;
        if (a < 118) return kMiddle;
        return kLower;
    }
    const Design& d;
    const Materials& m;
    const std::vector<Section>& sections;
    const Place& at;
    int ring;
};

class PlainPaint final : public LoftPaint {
public:
    explicit PlainPaint(int material, int stripe = -1) : material(material), stripe(stripe) {}
    int Material(int, int j, int n) const override {
        double a = 360.0 * (j + 0.5) / n;
        if (a > 180) a = 360 - a;
        return stripe >= 0 && a >= 90 && a < 118 ? stripe : material;
    }

private:
    int material;
    int stripe;
};

struct Built {
    std::vector<Piece> pieces;
    MeshBuilder silhouette;  // everything of the near model, for the shadow
};

void AddPiece(Built& b, MeshBuilder& mesh, const char* name) {
    if (mesh.Empty()) return;
    b.silhouette.Append(mesh);
    b.pieces.push_back(MeshPiece(mesh, name));
}

// A flip-book piece; its place in the partition is judged by its first frame.
void AddAnimated(Built& b, int sequence, std::vector<MeshBuilder> frames, const char* name) {
    if (frames.empty()) return;
    Box anchor = frames.front().Bounds();
    b.silhouette.Append(frames.front());
    std::vector<std::unique_ptr<ts::TSPartBase>> parts;
    for (const MeshBuilder& f : frames)
        parts.push_back(f.Empty() ? nullptr : std::unique_ptr<ts::TSPartBase>(f.Build()));
    if (anchor.Empty())
        for (const MeshBuilder& f : frames)
            anchor.Add(f.Bounds());
    b.pieces.push_back(Piece{CellAnimation(sequence, std::move(parts)), anchor, name});
}

// A propeller (or a fan) in a plane of constant y: blades from the hub out, at an angle.
void Blades(MeshBuilder& m, Vec hub, double radius, int blades, double angle, double hubRadius, int material) {
    for (int k = 0; k < blades; ++k) {
        const double a = angle + 2 * kPi * k / blades;
        const double c = std::cos(a), s = std::sin(a);
        const Vec along{c, 0, s}, across{-s, 0, c};
        const double rootWidth = std::max(0.22, radius * 0.09), tipWidth = rootWidth * 0.6;
        const Vec r0 = hub + along * hubRadius, r1 = hub + along * radius;
        m.DoubleQuad(r0 - across * rootWidth, r1 - across * tipWidth, r1 + across * tipWidth,
                     r0 + across * rootWidth, material);
    }
}

void Disc(MeshBuilder& m, Vec hub, double radius, double angle, int material) {
    const double c = std::cos(angle), s = std::sin(angle);
    const Vec u{c * radius, 0, s * radius}, v{-s * radius, 0, c * radius};
    m.DoubleQuad(hub - u - v, hub + u - v, hub + u + v, hub - u + v, material, {0, 1}, {1, 1}, {1, 0}, {0, 0});
}

// The turning and running parts of one propeller.
void Propeller(Built& b, const Materials& mat, int type, int engine, Vec hub, double diameter, int blades,
               double hubRadius) {
    const int turning = engine == 0 ? 0 : 2, running = engine == 0 ? 1 : 3;
    std::vector<MeshBuilder> turn(static_cast<std::size_t>(PartFrames(type, turning)));
    for (std::size_t f = 0; f < turn.size(); ++f) {
        const double angle = 0.3 + (2 * kPi / blades) * static_cast<double>(f) / static_cast<double>(turn.size());
        Blades(turn[f], hub, diameter / 2, blades, angle, hubRadius * 0.8, mat.blade);
        Cylinder(turn[f], hub + Vec{0, 0.12, 0}, hub - Vec{0, 0.12, 0}, hubRadius, 8, mat.spinner, mat.spinner);
    }
    AddAnimated(b, turning, std::move(turn), "propeller");
    std::vector<MeshBuilder> run(static_cast<std::size_t>(PartFrames(type, running)));
    for (std::size_t f = 0; f < run.size(); ++f)
        Disc(run[f], hub + Vec{0, 0.02, 0}, diameter / 2,
             (kPi / blades) * static_cast<double>(f) / static_cast<double>(run.size()) * 1.7, mat.disc);
    AddAnimated(b, running, std::move(run), "propeller disc");
}

// A small lamp box centred on p.
void Lamp(MeshBuilder& m, Vec p, double size, int material) {
    const Vec h{size / 2, size / 2, size / 2};
    Block(m, p - h, p + h, material);
}

// One light location: frames of the entry's sequence, each lit or dim or dark.
void Light(Built& b, int entry, int frames, Vec p, double size, const std::vector<int>& materialPerFrame,
           const char* name) {
    std::vector<MeshBuilder> cells(static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) {
        const int material = materialPerFrame[static_cast<std::size_t>(f) % materialPerFrame.size()];
        if (material >= 0) Lamp(cells[static_cast<std::size_t>(f)], p, size, material);
    }
    AddAnimated(b, entry, std::move(cells), name);
}

// A gear leg folding about its attach point through the frames: frame 0 down, the last up.
struct Leg {
    Vec attach;
    double wheelHag;  // axle height when down (above the ground, as z of the place)
    double wheelRadius;
    int axis;        // 0: folds fore or aft (about x); 1: folds sideways (about y)
    double foldSign;  // direction of the fold
};

MeshBuilder LegFrame(const Materials& mat, const Leg& leg, double fold) {
    MeshBuilder m;
    const Vec axle{leg.attach.x, leg.attach.y, leg.wheelHag};
    const double angle = leg.foldSign * fold * (kPi / 2);
    auto turned = [&](Vec p) { return Rotate(p, leg.attach, leg.axis, angle); };
    const double r = std::max(0.12, leg.wheelRadius * 0.18);
    Cylinder(m, turned(leg.attach), turned(axle + Vec{0, 0, leg.wheelRadius * 0.4}), r, 6, leg.axis == 1 ? mat.metal : mat.metal,
             mat.metal);
    // The wheel turns with the leg: its corners are carried by the same rotation.
    MeshBuilder wheel;
    Wheel(wheel, axle, leg.wheelRadius, leg.wheelRadius * 0.7, mat.tyre, mat.metal);
    wheel.EachFace([&](const Vec* p, int n, int material) {
        if (n == 4)
            m.Quad(turned(p[0]), turned(p[1]), turned(p[2]), turned(p[3]), material);
        else
            m.Tri(turned(p[0]), turned(p[1]), turned(p[2]), material);
    });
    return m;
}

// A gear door: a plate hinged along y, hanging down while the gear is out, closing flat in the
// last part of the retraction.
MeshBuilder DoorFrame(const Materials& mat, Vec hinge, double length, double width, double sideSign, double progress) {
    MeshBuilder m;
    const double close = std::clamp((progress - 0.6) / 0.4, 0.0, 1.0);
    const double a = close * kPi / 2;
    const Vec down{sideSign * width * std::sin(a), 0, -width * std::cos(a)};
    const Vec half{0, length / 2, 0};
    m.DoubleQuad(hinge - half, hinge + half, hinge + half + down, hinge - half + down, mat.base);
    return m;
}

void Gear(Built& b, const Design& d, const Materials& mat, const Place& at, int type) {
    const double mainX = d.track / 2;
    const double bottomNose = Interpolate(d.body, d.noseS).hag - Interpolate(d.body, d.noseS).hh;
    const Leg nose{at.At(0, d.noseS, std::min(d.noseAttachHag, bottomNose + 0.1)), at.At(0, d.noseS, d.noseWheel / 2).z,
                   d.noseWheel / 2, 0, -1};
    const double mainWheelZ = at.At(0, 0, d.mainWheel / 2).z;
    const Leg left{at.At(-mainX, d.mainS, d.mainAttachHag), mainWheelZ, d.mainWheel / 2, d.mainsForward ? 0 : 1,
                   d.mainsForward ? 1.0 : -1.0};
    const Leg right{at.At(mainX, d.mainS, d.mainAttachHag), mainWheelZ, d.mainWheel / 2, d.mainsForward ? 0 : 1,
                    1.0};
    if (!d.retractable) {
        // Fixed gear: the 172's spring legs splay out from the body.
        for (const Leg& l : {left, right}) {
            MeshBuilder m;
            const Vec root = at.At(l.attach.x > 0 ? 1.6 : -1.6, d.mainS - 0.3, d.mainAttachHag);
            const Vec axle{l.attach.x, l.attach.y, l.wheelHag};
            Cylinder(m, root, axle + Vec{l.attach.x > 0 ? -0.25 : 0.25, 0, 0}, 0.13, 5, mat.metal, mat.metal);
            Wheel(m, axle, l.wheelRadius, l.wheelRadius * 0.6, mat.tyre, mat.metal);
            AddPiece(b, m, "main gear");
        }
        MeshBuilder n;
        const Vec axle{0, nose.attach.y, nose.wheelHag};
        Cylinder(n, nose.attach, axle + Vec{0, 0, nose.wheelRadius * 0.5}, 0.14, 6, mat.metal, mat.metal);
        Wheel(n, axle, nose.wheelRadius, nose.wheelRadius * 0.6, mat.tyre, mat.metal);
        AddPiece(b, n, "nose gear");
        return;
    }
    auto legFrames = [&](const Leg& l, int frames) {
        std::vector<MeshBuilder> out;
        for (int f = 0; f < frames; ++f)
            out.push_back(LegFrame(mat, l, frames > 1 ? static_cast<double>(f) / (frames - 1) : 0.0));
        return out;
    };
    AddAnimated(b, 9, legFrames(nose, PartFrames(type, 9)), "nose leg");
    AddAnimated(b, 10, legFrames(left, PartFrames(type, 10)), "left leg");
    AddAnimated(b, 11, legFrames(right, PartFrames(type, 11)), "right leg");
    auto doorFrames = [&](Vec hinge, double length, double width, double side, int frames) {
        std::vector<MeshBuilder> out;
        for (int f = 0; f < frames; ++f)
            out.push_back(DoorFrame(mat, hinge, length, width, side, frames > 1 ? static_cast<double>(f) / (frames - 1) : 0.0));
        return out;
    };
    const double noseBottom = at.At(0, d.noseS, bottomNose).z;
    const Vec noseHingeL{-0.45, nose.attach.y, noseBottom}, noseHingeR{0.45, nose.attach.y, noseBottom};
    const double wingBottom = left.attach.z;
    const Vec leftHinge{left.attach.x - d.mainWheel * 0.55, left.attach.y, wingBottom};
    const Vec rightHinge{right.attach.x + d.mainWheel * 0.55, right.attach.y, wingBottom};
    if (type == 1 || type == 2) {
        AddAnimated(b, 12, doorFrames(noseHingeL, 1.6, 0.5, 1, PartFrames(type, 12)), "nose door");
        AddAnimated(b, 13, doorFrames(leftHinge, 2.0, 0.9, 1, PartFrames(type, 13)), "left door");
        AddAnimated(b, 14, doorFrames(noseHingeR, 1.6, 0.5, -1, PartFrames(type, 14)), "nose door");
        AddAnimated(b, 15, doorFrames(rightHinge, 2.0, 0.9, -1, PartFrames(type, 15)), "right door");
    } else {
        std::vector<MeshBuilder> noseDoors = doorFrames(noseHingeL, 1.8, 0.55, 1, PartFrames(type, 12));
        const std::vector<MeshBuilder> other = doorFrames(noseHingeR, 1.8, 0.55, -1, PartFrames(type, 12));
        for (std::size_t i = 0; i < noseDoors.size(); ++i)
            noseDoors[i].Append(other[i]);
        AddAnimated(b, 12, std::move(noseDoors), "nose doors");
        AddAnimated(b, 13, doorFrames(leftHinge, 2.4, 1.0, 1, PartFrames(type, 13)), "left door");
        AddAnimated(b, 14, doorFrames(rightHinge, 2.4, 1.0, -1, PartFrames(type, 14)), "right door");
    }
}

// The wing's panels on one side (sign -1 left, +1 right): from the root out, split where a
// nacelle stands.
struct WingGeometry {
    double rootX, kinkX, tipX;
    [[nodiscard]] double Chord(const Design& d, double x) const {
        if (x <= kinkX) return d.rootChord;
        return d.rootChord + (d.tipChord - d.rootChord) * (x - kinkX) / (tipX - kinkX);
    }
    [[nodiscard]] double LeadingS(const Design& d, double x) const {
        if (x <= kinkX) return d.wingS;
        return d.wingS + d.sweep * (x - kinkX) / (tipX - kinkX);
    }
    [[nodiscard]] double Hag(const Design& d, double x) const {
        return d.wingHag + std::tan(d.dihedral * kPi / 180) * (x - rootX);
    }
    [[nodiscard]] PanelEnd End(const Design& d, const Place& at, double x, double sign) const {
        return PanelEnd{at.At(sign * x, LeadingS(d, x), Hag(d, x)), Chord(d, x)};
    }
};

WingGeometry WingOf(const Design& d) {
    WingGeometry w;
    const double midChordS = d.wingS + d.rootChord * 0.5;
    w.rootX = d.place == WingPlace::kHigh ? Interpolate(d.body, midChordS).hw
                                           : std::max(0.5, HalfWidthAt(d.body, midChordS, d.wingHag));
    w.tipX = d.figures.span / 2;
    w.kinkX = w.rootX + d.kink * (w.tipX - w.rootX);
    return w;
}

void Wings(Built& b, const Design& d, const Materials& mat, const Place& at, bool far) {
    const WingGeometry w = WingOf(d);
    for (double sign : {-1.0, 1.0}) {
        std::vector<double> stops{w.rootX};
        if (d.power == Power::kWings) {
            const double nacelleHalf = d.nacelle.empty() ? 1.0 : std::max_element(d.nacelle.begin(), d.nacelle.end(),
                                          [](const Station& a, const Station& c) { return a.hw < c.hw; })->hw;
            stops.push_back(d.engineX - nacelleHalf);
            stops.push_back(d.engineX + nacelleHalf);
        }
        if (w.kinkX > w.rootX + 0.1 && (d.power != Power::kWings || w.kinkX > stops.back())) stops.push_back(w.kinkX);
        stops.push_back(w.tipX);
        for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
            // The stretch inside a nacelle is the nacelle's.
            if (d.power == Power::kWings && i == 1) continue;
            MeshBuilder m;
            const bool tip = i + 2 == stops.size();
            if (far)
                m.DoubleQuad(w.End(d, at, stops[i], sign).leadingEdge, w.End(d, at, stops[i + 1], sign).leadingEdge,
                             w.End(d, at, stops[i + 1], sign).leadingEdge + Vec{0, -w.Chord(d, stops[i + 1]), 0},
                             w.End(d, at, stops[i], sign).leadingEdge + Vec{0, -w.Chord(d, stops[i]), 0}, mat.base);
            else
                Panel(m, w.End(d, at, stops[i], sign), w.End(d, at, stops[i + 1], sign), d.thickness, mat.base, mat.base,
                      false, tip);
            AddPiece(b, m, "wing");
        }
        if (d.place == WingPlace::kHigh && !far) {
            // The struts, from the body's lower side to the wing's underside.
            MeshBuilder s;
            const double outX = w.rootX + 0.42 * (w.tipX - w.rootX);
            const Vec low = at.At(sign * (w.rootX - 0.15), d.wingS + 2.6, 3.5);
            const Vec high = at.At(sign * outX, d.wingS + 1.3, w.Hag(d, outX) - d.thickness * d.rootChord * 0.45);
            Cylinder(s, low, high, 0.16, 5, mat.base, mat.base);
            AddPiece(b, s, "strut");
        }
        if (d.tipTanks) {
            MeshBuilder t;
            const double chord = w.Chord(d, w.tipX);
            const Vec front = at.At(sign * (w.tipX + 0.6), w.LeadingS(d, w.tipX) - 1.2, w.Hag(d, w.tipX));
            Cylinder(t, front, front + Vec{0, -(chord + 2.6), 0}, 0.75, far ? 4 : 8, mat.stripe, mat.base);
            AddPiece(b, t, "tip tank");
        }
    }
    if (d.place == WingPlace::kHigh) {
        // The centre section over the cabin.
        MeshBuilder c;
        if (far)
            c.DoubleQuad(w.End(d, at, w.rootX, -1).leadingEdge, w.End(d, at, w.rootX, 1).leadingEdge,
                         w.End(d, at, w.rootX, 1).leadingEdge + Vec{0, -d.rootChord, 0},
                         w.End(d, at, w.rootX, -1).leadingEdge + Vec{0, -d.rootChord, 0}, mat.base);
        else
            Panel(c, PanelEnd{at.At(-w.rootX, d.wingS, d.wingHag), d.rootChord},
                  PanelEnd{at.At(w.rootX, d.wingS, d.wingHag), d.rootChord}, d.thickness, mat.base, mat.base, false,
                  false);
        AddPiece(b, c, "wing centre");
    }
}

void Tail(Built& b, const Design& d, const Materials& mat, const Place& at, bool far) {
    const double finHalf = 0.22;
    if (d.tail == TailKind::kV) {
        const double rootX = std::max(0.25, HalfWidthAt(d.body, d.hRootS + d.hRootChord * 0.5, d.hHag));
        const double rise = d.vTopHag - d.hHag;
        const double out = rise / std::tan(d.hDihedral * kPi / 180);
        for (double sign : {-1.0, 1.0}) {
            MeshBuilder m;
            const PanelEnd root{at.At(sign * rootX, d.hRootS, d.hHag), d.hRootChord};
            const PanelEnd tip{at.At(sign * (rootX + out), d.hTipS, d.vTopHag - 0.1), d.hTipChord};
            if (far)
                m.DoubleQuad(root.leadingEdge, tip.leadingEdge, tip.leadingEdge + Vec{0, -tip.chord, 0},
                             root.leadingEdge + Vec{0, -root.chord, 0}, mat.base);
            else
                Panel(m, root, tip, 0.1, mat.base, mat.base, false, true);
            AddPiece(b, m, "ruddervator");
        }
        return;
    }
    // The fin.
    {
        MeshBuilder m;
        const PanelEnd root{at.At(0, d.vRootS, d.vRootHag), d.vRootChord};
        const PanelEnd tip{at.At(0, d.vTipS, d.vTopHag), d.vTipChord};
        if (far)
            m.DoubleQuad(root.leadingEdge, tip.leadingEdge, tip.leadingEdge + Vec{0, -tip.chord, 0},
                         root.leadingEdge + Vec{0, -root.chord, 0}, mat.base);
        else
            Fin(m, root, tip, 0.1, mat.base);
        // The stripe's colour on the fin's top.
        AddPiece(b, m, "fin");
    }
    const bool tee = d.tail == TailKind::kT;
    const double rootX = tee ? finHalf : std::max(0.25, HalfWidthAt(d.body, d.hRootS + d.hRootChord * 0.5, d.hHag));
    for (double sign : {-1.0, 1.0}) {
        MeshBuilder m;
        const PanelEnd root{at.At(sign * rootX, d.hRootS, d.hHag), d.hRootChord};
        const PanelEnd tip{at.At(sign * d.hSpan / 2, d.hTipS, d.hHag), d.hTipChord};
        if (far)
            m.DoubleQuad(root.leadingEdge, tip.leadingEdge, tip.leadingEdge + Vec{0, -tip.chord, 0},
                         root.leadingEdge + Vec{0, -root.chord, 0}, mat.base);
        else
            Panel(m, root, tip, 0.1, mat.base, mat.base, tee, true);
        AddPiece(b, m, "stabiliser");
    }
}

// The body in three pieces (to the wing's trailing edge, to the tailplane, the tail), the
// spinner of a single engine ahead of the propeller.
void Body(Built& b, const Design& d, const Materials& mat, const Place& at, bool far, int ring) {
    const double propGap = 0.12;
    const double start = d.power == Power::kNose ? d.propS + propGap : 0.0;
    const double wingEnd = d.wingS + d.rootChord;
    const double tailStart = std::min(d.hRootS, d.tail == TailKind::kV ? d.hRootS : d.vRootS) - 0.2;
    const double end = d.body.back().s;
    const bool painted = ring >= 8;
    const std::vector<double> cuts = !painted ? std::vector<double>{}
                                              : std::vector<double>{d.windshieldFrom, d.windshieldTo, d.windowsFrom,
                                                                    d.windowsTo, d.regFrom, d.regTo};
    std::vector<Station> stations = d.body;
    if (far) {
        // Every other station.
        std::vector<Station> fewer;
        for (std::size_t i = 0; i < d.body.size(); ++i)
            if (i % 2 == 0 || i + 1 == d.body.size()) fewer.push_back(d.body[i]);
        stations = fewer;
    }
    const double bounds[4] = {start, wingEnd, tailStart, end};
    for (int piece = 0; piece < 3; ++piece) {
        const std::vector<Section> sections = Sections(stations, at, 0, bounds[piece], bounds[piece + 1], cuts);
        MeshBuilder m;
        if (!painted) {
            Loft(m, sections, ring, PlainPaint(mat.base, mat.stripe), piece == 0, piece == 2);
        } else {
            const BodyPaint paint(d, mat, sections, at, ring);
            Loft(m, sections, ring, paint, piece == 0, piece == 2);
        }
        AddPiece(b, m, "body");
    }
    if (d.power == Power::kNose && !far) {
        MeshBuilder s;
        Loft(s, Sections(d.body, at, 0, 0.0, d.propS - propGap, {}), 8, PlainPaint(mat.spinner), false, true);
        AddPiece(b, s, "spinner");
    }
}

void Engines(Built& b, const Design& d, const Materials& mat, const Place& at, int type, bool far) {
    if (d.power == Power::kNose) {
        if (far) return;
        const Station hubStation = Interpolate(d.body, d.propS);
        Propeller(b, mat, type, 0, at.At(0, d.propS, d.propHag), d.propDiameter, d.blades, std::max(0.3, hubStation.hw * 0.9));
        return;
    }
    for (double sign : {-1.0, 1.0}) {
        const int engine = sign < 0 ? 0 : 1;  // the left engine is engine 0
        const double x = sign * d.engineX;
        if (d.power == Power::kWings) {
            const double gap = 0.12;
            MeshBuilder n;
            Loft(n, Sections(d.nacelle, at, x, far ? d.nacelle.front().s : d.propS + gap, d.nacelle.back().s, {}),
                 far ? 4 : 10, PlainPaint(mat.base, mat.stripe), true, true);
            AddPiece(b, n, "nacelle");
            if (far) continue;
            MeshBuilder s;
            Loft(s, Sections(d.nacelle, at, x, d.nacelle.front().s, d.propS - gap, {}), 8, PlainPaint(mat.spinner),
                 false, true);
            AddPiece(b, s, "spinner");
            Propeller(b, mat, type, engine, at.At(x, d.propS, d.propHag), d.propDiameter, d.blades,
                      std::max(0.3, Interpolate(d.nacelle, d.propS).hw * 0.9));
        } else {
            // A fan pod on a pylon from the rear body.
            MeshBuilder pod;
            Loft(pod, Sections(d.nacelle, at, x, d.nacelle.front().s, d.nacelle.back().s, {}), far ? 5 : 10,
                 PlainPaint(mat.metal), true, true);
            AddPiece(b, pod, "engine pod");
            MeshBuilder pylon;
            const double bodyHalf = HalfWidthAt(d.body, 30.5, d.propHag);
            const double podHalf = d.nacelle[2].hw;
            Block(pylon, at.At(sign > 0 ? bodyHalf - 0.2 : -(d.engineX - podHalf + 0.05), 32.5, d.propHag + 0.25),
                  at.At(sign > 0 ? d.engineX - podHalf + 0.05 : -(bodyHalf - 0.2), 29.0, d.propHag - 0.25), mat.base);
            AddPiece(b, pylon, "pylon");
            if (far) continue;
            const Vec face = at.At(x, d.propS, d.propHag);
            const int turning = engine == 0 ? 0 : 2, running = engine == 0 ? 1 : 3;
            std::vector<MeshBuilder> turn(static_cast<std::size_t>(PartFrames(type, turning)));
            for (std::size_t f = 0; f < turn.size(); ++f) {
                Blades(turn[f], face, d.propDiameter / 2 * 0.95, d.blades,
                       (2 * kPi / d.blades) * static_cast<double>(f) / static_cast<double>(turn.size()), 0.25, mat.dark);
                Cylinder(turn[f], face + Vec{0, 0.05, 0}, face - Vec{0, 0.05, 0}, 0.3, 8, mat.metal, mat.metal);
            }
            AddAnimated(b, turning, std::move(turn), "fan");
            std::vector<MeshBuilder> run(static_cast<std::size_t>(PartFrames(type, running)));
            for (std::size_t f = 0; f < run.size(); ++f)
                Disc(run[f], face + Vec{0, 0.02, 0}, d.propDiameter / 2 * 0.95, 0.6 * static_cast<double>(f), mat.disc);
            AddAnimated(b, running, std::move(run), "fan disc");
        }
    }
}

void Lights(Built& b, const Design& d, const Materials& mat, const Place& at) {
    const WingGeometry w = WingOf(d);
    const double tipS = w.LeadingS(d, w.tipX) + w.Chord(d, w.tipX) * 0.35;
    const double tipHag = w.Hag(d, w.tipX);
    const double extra = d.tipTanks ? 1.4 : 0.0;
    const Vec leftTip = at.At(-(w.tipX + 0.25 + extra), tipS, tipHag);
    const Vec rightTip = at.At(w.tipX + 0.25 + extra, tipS, tipHag);
    Light(b, 4, 2, leftTip, 0.35, {mat.redDim, mat.redLit}, "nav light");
    Light(b, 4, 2, rightTip, 0.35, {mat.greenDim, mat.greenLit}, "nav light");
    const double tailS = d.body.back().s + 0.25;
    Light(b, 4, 2, at.At(0, tailS, d.body.back().hag), 0.3, {mat.whiteDim, mat.whiteLit}, "nav light");
    // Strobes: a double flash at the start of every cycle.
    const std::vector<int> strobe{-1, mat.whiteLit, -1, mat.whiteLit, -1, -1, -1, -1, -1, -1, -1, -1};
    Light(b, 5, 12, leftTip + Vec{0, -0.45, 0}, 0.3, strobe, "strobe");
    Light(b, 5, 12, rightTip + Vec{0, -0.45, 0}, 0.3, strobe, "strobe");
    // The beacon on the top of the tail, above the fin or the tailplane.
    double beaconS = d.vTipS + d.vTipChord * 0.4, beaconHag = d.vTopHag + 0.3;
    if (d.tail == TailKind::kT) beaconHag = d.hHag + 0.7;
    if (d.tail == TailKind::kV) {
        beaconS = d.wingS + d.rootChord * 0.7;
        beaconHag = TopAt(d.body, beaconS) + 0.25;
    }
    Light(b, 6, 2, at.At(0, beaconS, beaconHag), 0.35, {mat.redDim, mat.redLit}, "beacon");
    // Landing lights in the wings' leading edges, the taxi light under the nose.
    const double landingX = w.rootX + 0.35 * (w.tipX - w.rootX) + (d.power == Power::kWings ? 2.0 : 0.0);
    for (double sign : {-1.0, 1.0})
        Light(b, 7, 2, at.At(sign * landingX, w.LeadingS(d, landingX) - 0.3, w.Hag(d, landingX)), 0.4,
              {mat.whiteDim, mat.lampLit}, "landing light");
    const double taxiS = d.noseS - 0.9;
    const Station st = Interpolate(d.body, taxiS);
    Light(b, 8, 2, at.At(0, taxiS, st.hag - st.hh - 0.25), 0.35, {mat.whiteDim, mat.lampLit}, "taxi light");
}

// The near model: every piece, propellers, gear and lights.
std::unique_ptr<ts::TSBSPPart> NearModel(const Design& d, const Materials& mat, const Place& at, int type, Built& b) {
    Body(b, d, mat, at, false, 12);
    Wings(b, d, mat, at, false);
    Tail(b, d, mat, at, false);
    Engines(b, d, mat, at, type, false);
    Gear(b, d, mat, at, type);
    if (type >= 0) Lights(b, d, mat, at);
    return BuildBsp(std::move(b.pieces), 0.5);
}

std::unique_ptr<ts::TSBSPPart> FarModel(const Design& d, const Materials& mat, const Place& at, int type) {
    Built b;
    Body(b, d, mat, at, true, 6);
    Wings(b, d, mat, at, true);
    Tail(b, d, mat, at, true);
    Engines(b, d, mat, at, type, true);
    return BuildBsp(std::move(b.pieces), 0.5);
}

Place PlaceOf(const Design& d) {
    return Place{d.wingS + 0.25 * d.rootChord, d.originHag};
}

// ---- textures -------------------------------------------------------------------------------

Picture WindowPicture(const Design& d) {
    Picture p(64, 16, PaletteIndex(d.base));
    const std::uint8_t glass = PaletteIndex({45, 60, 85});
    const std::uint8_t shine = PaletteIndex({95, 115, 140});
    // Three windows a side, the middle one the largest.
    const int edges[4][2] = {{2, 19}, {22, 43}, {46, 61}, {0, 0}};
    for (int w = 0; w < 3; ++w) {
        p.Fill(edges[w][0], 2, edges[w][1], 13, glass);
        p.Fill(edges[w][0] + 2, 3, edges[w][0] + 5, 5, shine);
    }
    return p;
}

Picture RegistrationPicture(const Design& d) {
    Picture p(128, 16, PaletteIndex(d.base));
    const std::uint8_t ink = PaletteIndex({25, 25, 30});
    const int width = Picture::TextWidth(d.registration, 2);
    p.Text(std::max(0, (128 - width) / 2), 1, d.registration, ink, 2);
    return p;
}

Picture PropDiscPicture() {
    Picture p(64, 64, 0);
    const std::uint8_t grey = PaletteIndex({120, 120, 120});
    const std::uint8_t smear = PaletteIndex({70, 70, 72});
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const double dx = x - 31.5, dy = y - 31.5;
            const double r = std::sqrt(dx * dx + dy * dy);
            if (r > 31.5 || r < 3) continue;
            // Two darker sectors where the blades pass most often in a frame.
            const double a = std::fmod(std::atan2(dy, dx) + 2 * kPi, kPi);
            const bool blade = a < 0.35 || a > kPi - 0.12;
            p.At(x, y) = blade ? smear : grey;
        }
    }
    return p;
}

// A silhouette seen from above onto a square of `half` units round the origin; soft at its
// edge (pixels half covered are dithered).
Picture Silhouette(const MeshBuilder& all, double half) {
    constexpr int kSize = 64, kSub = 4, kFine = kSize * kSub;
    std::vector<std::uint8_t> cover(static_cast<std::size_t>(kFine * kFine), 0);
    const double perPixel = 2 * half / kFine;
    all.EachFace([&](const Vec* p, int n, int) {
        // Fine pixel centres inside the polygon (convex faces: same side of every edge).
        double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
        Vec q[4];
        for (int i = 0; i < n; ++i) {
            q[i] = p[i] * kUnitsPerFoot;
            minX = std::min(minX, q[i].x);
            maxX = std::max(maxX, q[i].x);
            minY = std::min(minY, q[i].y);
            maxY = std::max(maxY, q[i].y);
        }
        const int x0 = std::max(0, static_cast<int>((minX + half) / perPixel)),
                  x1 = std::min(kFine - 1, static_cast<int>((maxX + half) / perPixel) + 1);
        const int y0 = std::max(0, static_cast<int>((half - maxY) / perPixel)),
                  y1 = std::min(kFine - 1, static_cast<int>((half - minY) / perPixel) + 1);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double px = -half + (x + 0.5) * perPixel, py = half - (y + 0.5) * perPixel;
                int sign = 0;
                bool inside = true;
                for (int i = 0; i < n && inside; ++i) {
                    const Vec a = q[i], b = q[(i + 1) % n];
                    const double c = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
                    const int s = c > 0 ? 1 : (c < 0 ? -1 : 0);
                    if (s != 0 && sign != 0 && s != sign) inside = false;
                    if (s != 0) sign = s;
                }
                if (inside) cover[static_cast<std::size_t>(y * kFine + x)] = 1;
            }
        }
    });
    Picture out(kSize, kSize, 0);
    const std::uint8_t shade = PaletteIndex({52, 56, 46});
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int n = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx)
                    n += cover[static_cast<std::size_t>((y * kSub + sy) * kFine + x * kSub + sx)];
            if (n >= kSub * kSub * 3 / 4 || (n >= kSub * kSub / 4 && ((x + y) & 1) == 0)) out.At(x, y) = shade;
        }
    }
    return out;
}

struct MadeAircraft {
    ShapeFiles files;
    Picture shadow{64, 64};
};

MadeAircraft Make(const Design& d, int type) {
    const Materials mat = MakeMaterials(d);
    const Place at = PlaceOf(d);
    Built built;
    auto near = NearModel(d, mat, at, type, built);
    auto far = FarModel(d, mat, at, type);
    auto detail = std::make_unique<ts::TSDetailPart>();
    detail->AddPart(std::move(far));
    detail->AddPart(std::move(near));
    // Below 40 pixels of radius on the screen the far model is drawn.
    detail->fpSizeList = {40.0f, 100000.0f};
    ts::TSShape shape;
    shape.AddPart(std::move(detail));
    for (int e = 0; e < 16; ++e)
        shape.sequenceLengths.push_back(PartFrames(type, e));
    const auto list = mat.set.Build();
    MadeAircraft made;
    made.files = StoreShape(d.name, shape, *list, true);
    made.files.textures[std::string(d.prefix) + "win.bmp"] = BmpFile(WindowPicture(d));
    made.files.textures[std::string(d.prefix) + "reg.bmp"] = BmpFile(RegistrationPicture(d));
    made.files.textures["propdisc.bmp"] = BmpFile(PropDiscPicture());
    made.shadow = Silhouette(built.silhouette, shape.fRadius);
    return made;
}

// ---- traffic --------------------------------------------------------------------------------

struct TrafficModel {
    Design design;
    double heightOffsetFt;  // origin above the wheels
};

const TrafficModel& TrafficOf(int model) {
    static const TrafficModel kModels[5] = {
        // Cessna 182 Skylane: high wing, fixed gear.
        {{"c182_1", "c182",
          {"Cessna 182 Skylane", 36.0, 29.0, 9.0 + 4.0 / 12, 174.0,
           "Cessna 182T published data: span 36 ft, length 29 ft, height 9 ft 4 in, wing area 174 sq ft"},
          4.0,
          {{0.0, 0, 0, 4.5, 2}, {1.1, 1.25, 1.2, 4.45, 2.4}, {3.8, 1.75, 1.8, 4.9, 2.8}, {6.0, 1.95, 2.3, 5.3, 3.0},
           {10.0, 1.85, 2.15, 5.4, 3.0}, {13.0, 1.45, 1.75, 5.5, 2.8}, {19.0, 0.9, 1.15, 5.7, 2.4},
           {26.0, 0.45, 0.65, 6.0, 2.2}, {28.3, 0, 0, 6.2, 2}},
          3.8, 6.0, 6.0, 13.0, 16.0, 23.0,
          WingPlace::kHigh, 6.3, 5.19, 3.73, 0.5, 0.35, 7.75, 1.73, 0.13, false,
          TailKind::kConventional, 13.0, 4.2, 2.7, 24.6, 25.3, 5.95, 0.0,
          22.5, 6.5, 26.2, 2.8, 6.7, 9.33,
          Power::kNose, 0.0, {}, 0.8, 4.5, 6.8, 2,
          false, 3.2, 3.3, 1.3, 9.4, 9.0, 3.2, 1.45, false,
          {245, 245, 245}, {200, 160, 60}, {120, 80, 40}, "N2971S"},
         4.0},
        // Cessna 310: low-wing twin with tip tanks.
        {{"c310_1", "c310",
          {"Cessna 310R", 36.0 + 11.0 / 12, 31.0 + 11.0 / 12, 10.0 + 8.0 / 12, 179.0,
           "Cessna 310R published data: span 36 ft 11 in (over tip tanks), length 31 ft 11 in, height 10 ft 8 in, wing area 179 sq ft"},
          4.0,
          {{0.0, 0, 0, 4.0, 2}, {2.5, 1.2, 0.95, 4.0, 2.4}, {6.0, 1.9, 1.7, 4.4, 2.8}, {8.5, 2.0, 2.1, 4.6, 3.0},
           {13.5, 1.9, 2.0, 4.7, 3.0}, {18.0, 1.4, 1.5, 4.9, 2.6}, {25.0, 0.8, 0.9, 5.3, 2.4},
           {30.0, 0.4, 0.5, 5.6, 2}, {31.0, 0, 0, 5.7, 2}},
          6.0, 8.5, 8.5, 13.5, 16.0, 22.0,
          WingPlace::kLow, 9.0, 6.2, 3.8, 0.0, 0.5, 2.9, 5.0, 0.15, true,
          TailKind::kConventional, 16.0, 4.2, 2.8, 26.0, 27.2, 5.6, 0.0,
          24.0, 5.6, 28.0, 3.0, 6.0, 10.67,
          Power::kWings, 6.2,
          {{4.0, 0, 0, 3.4, 2}, {4.6, 0.45, 0.45, 3.4, 2}, {5.2, 1.0, 1.05, 3.4, 2.4}, {8.0, 1.1, 1.15, 3.45, 2.4},
           {12.0, 0.7, 0.8, 3.45, 2}, {14.0, 0, 0, 3.45, 2}},
          4.75, 3.4, 6.4, 2,
          false, 3.6, 2.9, 1.2, 10.0, 12.4, 2.8, 1.5, false,
          {245, 245, 245}, {190, 40, 40}, {60, 60, 70}, "N310JR"},
         4.0},
        // Piper PA-28-181 Archer: low wing, fixed gear.
        {{"arch_1", "arch",
          {"Piper PA-28-181 Archer", 35.0, 24.0, 7.0 + 3.0 / 12, 170.0,
           "Piper PA-28-181 Archer III published data: span 35 ft, length 24 ft, height 7 ft 3 in, wing area 170 sq ft"},
          3.0,
          {{0.0, 0, 0, 3.3, 2}, {0.9, 1.05, 1.0, 3.3, 2.4}, {3.2, 1.6, 1.35, 3.5, 2.8}, {5.0, 1.9, 1.95, 3.95, 3.0},
           {9.5, 1.9, 1.95, 4.0, 3.0}, {12.0, 1.5, 1.6, 4.1, 2.8}, {17.0, 0.9, 1.0, 4.3, 2.4},
           {22.5, 0.4, 0.55, 4.55, 2}, {23.3, 0, 0, 4.6, 2}},
          3.2, 5.0, 5.0, 12.0, 13.5, 19.0,
          WingPlace::kLow, 6.3, 5.25, 4.4, 0.45, 0.6, 2.35, 7.0, 0.14, false,
          TailKind::kConventional, 12.9, 2.6, 2.6, 20.9, 20.9, 4.55, 0.0,
          19.0, 4.5, 21.8, 2.2, 5.4, 7.25,
          Power::kNose, 0.0, {}, 0.75, 3.3, 6.3, 2,
          false, 2.6, 2.6, 1.2, 7.6, 10.5, 2.1, 1.35, false,
          {245, 245, 245}, {40, 90, 160}, {30, 50, 110}, "N8152P"},
         3.0},
        // Mooney M20J: low wing, its tail's forward-raked fin.
        {{"moon_1", "moon",
          {"Mooney M20J", 36.0 + 1.0 / 12, 24.0 + 8.0 / 12, 8.0 + 4.0 / 12, 167.0,
           "Mooney M20J published data: span 36 ft 1 in, length 24 ft 8 in, height 8 ft 4 in, wing area 167 sq ft"},
          3.0,
          {{0.0, 0, 0, 3.3, 2}, {0.8, 1.0, 0.95, 3.3, 2.4}, {3.2, 1.5, 1.3, 3.45, 2.8}, {5.0, 1.8, 1.7, 3.75, 3.0},
           {9.0, 1.8, 1.7, 3.8, 3.0}, {12.0, 1.4, 1.45, 3.9, 2.8}, {18.0, 0.8, 0.95, 4.15, 2.4},
           {23.2, 0.35, 0.5, 4.4, 2}, {23.9, 0, 0, 4.45, 2}},
          3.2, 5.0, 5.0, 12.0, 13.5, 19.0,
          WingPlace::kLow, 6.4, 5.5, 3.75, 0.0, 0.7, 2.3, 5.5, 0.15, false,
          TailKind::kConventional, 11.7, 3.5, 2.5, 20.8, 21.6, 4.4, 0.0,
          19.6, 4.5, 20.2, 3.2, 5.3, 8.33,
          Power::kNose, 0.0, {}, 0.7, 3.3, 6.2, 2,
          false, 2.8, 2.6, 1.1, 7.8, 9.0, 2.0, 1.3, false,
          {245, 245, 245}, {150, 20, 30}, {220, 180, 60}, "N201MJ"},
         3.0},
        // Learjet 35: low wing with tip tanks, two rear fans, T-tail.
        {{"lear_1", "lear",
          {"Learjet 35A", 39.0 + 6.0 / 12, 48.0 + 8.0 / 12, 12.0 + 3.0 / 12, 253.3,
           "Learjet 35A published data: span 39 ft 6 in (over tip tanks), length 48 ft 8 in, height 12 ft 3 in, wing area 253.3 sq ft"},
          3.5,
          {{0.0, 0, 0, 4.6, 2}, {2.5, 1.0, 0.9, 4.6, 2.2}, {6.0, 1.8, 1.5, 4.9, 2.4}, {9.0, 2.3, 2.1, 5.3, 2.6},
           {12.0, 2.45, 2.5, 5.5, 2.8}, {24.0, 2.45, 2.45, 5.55, 2.8}, {32.0, 1.8, 1.9, 5.9, 2.6},
           {40.0, 1.1, 1.2, 6.4, 2.4}, {46.0, 0.5, 0.6, 6.9, 2}, {47.5, 0, 0, 7.0, 2}},
          9.0, 12.0, 12.0, 24.0, 25.5, 31.0,
          WingPlace::kLow, 18.0, 8.0, 4.4, 0.0, 2.4, 3.3, 3.0, 0.13, true,
          TailKind::kT, 14.7, 4.8, 2.8, 42.5, 44.8, 11.9, 0.0,
          37.5, 8.5, 43.0, 5.6, 7.6, 11.7,
          Power::kRear, 3.9,
          {{32.3, 1.0, 1.0, 6.9, 2}, {32.8, 1.2, 1.2, 6.9, 2}, {37.0, 1.15, 1.15, 6.9, 2},
           {40.0, 0.8, 0.8, 6.9, 2}, {40.6, 0.55, 0.55, 6.9, 2}},
          32.25, 6.9, 1.9, 14,
          false, 6.5, 3.2, 1.3, 22.5, 8.2, 2.9, 1.6, false,
          {245, 245, 245}, {30, 60, 130}, {200, 40, 40}, "N35LJ"},
         3.5},
    };
    return kModels[std::clamp(model, 0, 4)];
}

}  // namespace

const PublishedFigures& AircraftFigures(int type) {
    return DesignOf(type).figures;
}

ShapeFiles MakeAircraftShape(int type) {
    return Make(DesignOf(type), type).files;
}

Picture ShadowPicture(int type) {
    return Make(DesignOf(type), type).shadow;
}

const PublishedFigures& TrafficFigures(int model) {
    return TrafficOf(model).design.figures;
}

double TrafficHeightOffset(int model) {
    return TrafficOf(model).heightOffsetFt * kUnitsPerFoot;
}

ShapeFiles MakeTrafficShape(int model) {
    const Design& d = TrafficOf(model).design;
    const Materials mat = MakeMaterials(d);
    const Place at = PlaceOf(d);
    // One model between the two of the user's aircraft: fewer ring points, still propellers
    // (standing blades) and gear, no lights.
    Built b;
    Body(b, d, mat, at, true, 8);
    Wings(b, d, mat, at, false);
    Tail(b, d, mat, at, true);
    Engines(b, d, mat, at, -1, true);
    Gear(b, d, mat, at, -1);
    if (d.power != Power::kRear) {
        const std::vector<double> xs = d.power == Power::kNose ? std::vector<double>{0.0}
                                                                : std::vector<double>{-d.engineX, d.engineX};
        for (double x : xs) {
            MeshBuilder p;
            Blades(p, at.At(x, d.propS - 0.1, d.propHag), d.propDiameter / 2, d.blades, 0.4, 0.2, mat.blade);
            AddPiece(b, p, "propeller");
        }
    }
    ts::TSShape shape;
    shape.AddPart(BuildBsp(std::move(b.pieces), 0.5));
    const auto list = mat.set.Build();
    ShapeFiles files = StoreShape(d.name, shape, *list, true);
    files.textures[std::string(d.prefix) + "win.bmp"] = BmpFile(WindowPicture(d));
    files.textures[std::string(d.prefix) + "reg.bmp"] = BmpFile(RegistrationPicture(d));
    return files;
}

}  // namespace mkdata
