// The two lift and drag coefficient tables and their lookup by angle of attack.
#include <cmath>
#include <vector>

#include "flight/aircraft_parameters.h"
#include "flight/flight_model_state.h"

namespace flight {

FlightModelState theFlightModelState;
AeroLookupResult theAeroLookup;

namespace {

struct Knot {
    double alpha;
    double value;
};

// The shape of each table is fixed by these rows; the rows between them follow a straight line
// for lift (the linear range rises 0.102 per degree for the piston and turboprop wing, 0.098
// for the jet's) and a smooth monotone curve for drag that reaches 1.28 broadside.
constexpr Knot kPropLift[] = {{-90, 0.0}, {-20, -0.2},   {-15, -1.1}, {-10, -0.77}, {0, 0.25},
                              {5, 0.76},  {10, 1.27},    {12, 1.44},  {14, 1.575},  {14.9, 1.59862},
                              {15, 1.5},  {18, 1.10871}, {20, 0.7},   {30, 0.6},    {45, 0.45},
                              {60, 0.3},  {90, 0.0}};
constexpr Knot kPropDrag[] = {{-90, 1.28},   {-20, 0.031},  {-15, 0.01865}, {-10, 0.01079},
                              {0, 0.00601},  {5, 0.00735},  {10, 0.012},    {14.9, 0.02049},
                              {15, 0.02071}, {18, 0.0281},  {20, 0.03398},  {30, 0.21199},
                              {45, 0.47899}, {60, 0.74599}, {90, 1.28}};
constexpr Knot kJetLift[] = {{-90, 0.0}, {-20, -0.8},   {-15, -0.89634}, {-10, -0.63},  {0, 0.35},
                             {5, 0.84},  {10, 1.33},    {13, 1.51},      {15, 1.57435}, {18, 1.6},
                             {20, 1.5},  {30, 1.28571}, {45, 0.96429},   {60, 0.64286}, {90, 0.0}};
constexpr Knot kJetDrag[] = {{-90, 1.28},   {-20, 0.05707}, {-15, 0.02337}, {-10, 0.00897},
                             {0, 0.00299},  {5, 0.00474},   {10, 0.016},    {15, 0.04111},
                             {18, 0.06761}, {20, 0.09137},  {30, 0.26117},  {45, 0.51588},
                             {60, 0.77059}, {90, 1.28}};

template <std::size_t N>
double Linear(const Knot (&k)[N], double x) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (x <= k[i + 1].alpha) {
            const double t = (x - k[i].alpha) / (k[i + 1].alpha - k[i].alpha);
            return k[i].value + (k[i + 1].value - k[i].value) * t;
        }
    }
    return k[N - 1].value;
}

// Monotone cubic (Fritsch-Carlson) through the knots: smooth, and never overshoots a knot.
template <std::size_t N>
double Smooth(const Knot (&k)[N], double x) {
    double slope[N];
    double secant[N];
    for (std::size_t i = 0; i + 1 < N; ++i)
        secant[i] = (k[i + 1].value - k[i].value) / (k[i + 1].alpha - k[i].alpha);
    slope[0] = secant[0];
    slope[N - 1] = secant[N - 2];
    for (std::size_t i = 1; i + 1 < N; ++i) {
        if (secant[i - 1] * secant[i] <= 0.0) {
            slope[i] = 0.0;
        } else {
            slope[i] = 2.0 / (1.0 / secant[i - 1] + 1.0 / secant[i]);
        }
    }
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (x <= k[i + 1].alpha) {
            const double h = k[i + 1].alpha - k[i].alpha;
            const double t = (x - k[i].alpha) / h;
            const double t2 = t * t;
            const double t3 = t2 * t;
            return (2 * t3 - 3 * t2 + 1) * k[i].value + (t3 - 2 * t2 + t) * h * slope[i] +
                   (-2 * t3 + 3 * t2) * k[i + 1].value + (t3 - t2) * h * slope[i + 1];
        }
    }
    return k[N - 1].value;
}

// Row i's angle: whole degrees from -90 to -20, tenths from -20 to +20, whole degrees to +90.
double RowAlpha(int i) {
    if (i <= 70) return -90.0 + i;
    if (i <= 470) return (i - 270) / 10.0;
    return 20.0 + (i - 470);
}

template <std::size_t NL, std::size_t ND>
std::vector<AeroCoefficientRow> BuildTable(const Knot (&lift)[NL], const Knot (&drag)[ND]) {
    std::vector<AeroCoefficientRow> rows(kAeroRows);
    for (int i = 0; i < kAeroRows; ++i) {
        const double a = RowAlpha(i);
        rows[i] = AeroCoefficientRow{a, Linear(lift, a), Smooth(drag, a)};
    }
    return rows;
}

const std::vector<AeroCoefficientRow>& PropTable() {
    static const std::vector<AeroCoefficientRow> table = BuildTable(kPropLift, kPropDrag);
    return table;
}

const std::vector<AeroCoefficientRow>& JetTable() {
    static const std::vector<AeroCoefficientRow> table = BuildTable(kJetLift, kJetDrag);
    return table;
}

constexpr double kDegreesPerUnit = 0.005493298176225006;  // 360 / 65536
// The jet's table is read this many degrees below the angle of attack.
constexpr double kJetAlphaOffset = 3.57;

}  // namespace

const AeroCoefficientRow* AeroCoefficientTable(int aircraftType) {
    return aircraftType == 4 ? JetTable().data() : PropTable().data();
}

int FindAeroRow(const AeroCoefficientRow* table, double x) {
    // The search rounds away from zero to the grid: for x >= 0 the first row at or above x, for
    // x < 0 the first row at or below x. Angles past the table's ends read its end rows.
    if (!(x == x)) return kAeroZeroRow;
    if (x >= 0.0) {
        if (x >= table[kAeroRows - 1].alpha) return kAeroRows - 1;
        int i = kAeroZeroRow;
        // Jump close to the answer, then settle it with the search's own comparisons.
        if (x > 20.0) {
            i = 470 + static_cast<int>(x - 20.0) - 1;
        } else {
            i = kAeroZeroRow + static_cast<int>(x * 10.0) - 1;
        }
        if (i < kAeroZeroRow) i = kAeroZeroRow;
        while (i > kAeroZeroRow && table[i - 1].alpha >= x)
            --i;
        while (i < kAeroRows - 1 && table[i].alpha < x)
            ++i;
        return i;
    }
    if (x <= table[0].alpha) return 0;
    int i = kAeroZeroRow - 1;
    if (x < -20.0) {
        i = 70 - static_cast<int>(-x - 20.0) + 1;
    } else {
        i = kAeroZeroRow + static_cast<int>(x * 10.0) + 1;
    }
    if (i > kAeroZeroRow - 1) i = kAeroZeroRow - 1;
    while (i < kAeroZeroRow - 1 && table[i + 1].alpha <= x)
        ++i;
    while (i > 0 && table[i].alpha > x)
        --i;
    return i;
}

namespace {

// The row of the table's greatest lift within 30 degrees of zero (or, for `highest` false, its
// most negative lift), found once for each table.
const AeroCoefficientRow& ExtremeLiftRow(int aircraftType, bool highest) {
    static int found[2][2] = {{-1, -1}, {-1, -1}};
    int& row = found[aircraftType == 4 ? 1 : 0][highest ? 1 : 0];
    const AeroCoefficientRow* table = AeroCoefficientTable(aircraftType);
    if (row < 0) {
        row = kAeroZeroRow;
        const int step = highest ? 1 : -1;
        for (int i = kAeroZeroRow; i >= 0 && i < kAeroRows && std::abs(table[i].alpha) <= 30.0;
             i += step)
            if (highest ? table[i].cl > table[row].cl : table[i].cl < table[row].cl) row = i;
    }
    return table[row];
}

}  // namespace

const AeroCoefficientRow& PeakLiftRow(int aircraftType) {
    return ExtremeLiftRow(aircraftType, true);
}

double PeakLiftAlphaDegrees(int aircraftType, bool positive) {
    const double offset = aircraftType == 4 ? kJetAlphaOffset : 0.0;
    return ExtremeLiftRow(aircraftType, positive).alpha + offset;
}

double DegreesBeyondPeakLift() {
    const int type = FlightModelBaseType();
    return theAeroLookup.alphaDegrees - (type == 4 ? kJetAlphaOffset : 0.0) -
           PeakLiftRow(type).alpha;
}

void LookupAeroCoefficients() {
    const FlightModelState& s = theFlightModelState;
    const std::int32_t pitch = static_cast<std::int16_t>(s.fmPitch);
    std::int32_t sum;
    if (s.fmInvert) {
        sum = pitch - s.fmWndANG - s.fmElvAlpha - theAircraftParameters.apIncidence;
    } else {
        sum = s.fmElvAlpha - pitch + s.fmWndANG + theAircraftParameters.apIncidence;
    }
    // The sum of four angles can pass half a turn; wrapped to 16 bits it stays an angle.
    const std::int16_t word = static_cast<std::int16_t>(sum & 0xFFFF);
    theAeroLookup.alphaWord = word;
    double alpha = word * kDegreesPerUnit;
    const double reference = -s.fmAllowWA * kDegreesPerUnit;
    theAeroLookup.alphaDegrees = alpha;
    theAeroLookup.referenceDegrees = reference;
    const int type = FlightModelBaseType();
    const AeroCoefficientRow* table = AeroCoefficientTable(type);
    if (type == 4) alpha -= kJetAlphaOffset;
    const AeroCoefficientRow& row = table[FindAeroRow(table, alpha)];
    theAeroLookup.cl = row.cl;
    theAeroLookup.cd = row.cd;
    theAeroLookup.referenceCd = table[FindAeroRow(table, reference)].cd;
}

}  // namespace flight
