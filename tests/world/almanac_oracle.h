// An almanac of the test's own, independent of the program's: the sun from the solar series
// with its nutation and aberration terms, the moon from the lunar series with its twenty
// largest longitude and ten largest latitude terms, the sidereal time from the day-and-hour
// formula, and azimuth and elevation for a place. Good to about 0.01 degree for the sun and
// 0.1 degree for the moon (geocentric).
#pragma once

#include <cmath>
#include <numbers>

namespace almanac_oracle {

constexpr double kPi = std::numbers::pi;
inline double D2R(double d) {
    return d * kPi / 180.0;
}
inline double R2D(double r) {
    return r * 180.0 / kPi;
}
inline double Norm360(double d) {
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}
inline double AngleDiff(double a, double b) {
    const double d = Norm360(a - b);
    return d > 180.0 ? 360.0 - d : d;
}

struct Equatorial {
    double ra, dec, longitude;
};

inline double ObliquityOracle(double t) {
    const double seconds = 21.448 - t * (46.8150 + t * (0.00059 - t * 0.001813));
    return 23.0 + (26.0 + seconds / 60.0) / 60.0;
}

inline Equatorial ToEquatorial(double lambda, double beta, double eps) {
    const double l = D2R(lambda), b = D2R(beta), e = D2R(eps);
    const double ra = std::atan2(std::sin(l) * std::cos(e) - std::tan(b) * std::sin(e), std::cos(l));
    const double dec = std::asin(std::sin(b) * std::cos(e) + std::cos(b) * std::sin(e) * std::sin(l));
    return {Norm360(R2D(ra)), R2D(dec), Norm360(lambda)};
}

inline Equatorial SunOracle(double jd) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double l0 = 280.46646 + t * (36000.76983 + t * 0.0003032);
    const double m = D2R(357.52911 + t * (35999.05029 - t * 0.0001537));
    const double c = (1.914602 - t * (0.004817 + t * 0.000014)) * std::sin(m) +
                     (0.019993 - 0.000101 * t) * std::sin(2 * m) + 0.000289 * std::sin(3 * m);
    const double omega = D2R(125.04 - 1934.136 * t);
    const double lambda = l0 + c - 0.00569 - 0.00478 * std::sin(omega);
    const double eps = ObliquityOracle(t) + 0.00256 * std::cos(omega);
    return ToEquatorial(lambda, 0.0, eps);
}

inline Equatorial MoonOracle(double jd) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double lp = 218.3164477 + 481267.88123421 * t;
    const double d = 297.8501921 + 445267.1114034 * t;
    const double m = 357.5291092 + 35999.0502909 * t;
    const double mp = 134.9633964 + 477198.8675055 * t;
    const double f = 93.2720950 + 483202.0175233 * t;
    struct Term {
        int d, m, mp, f;
        double c;
    };
    static const Term kLongitude[] = {
        {0, 0, 1, 0, 6288774}, {2, 0, -1, 0, 1274027}, {2, 0, 0, 0, 658314},
        {0, 0, 2, 0, 213618},  {0, 1, 0, 0, -185116},  {0, 0, 0, 2, -114332},
        {2, 0, -2, 0, 58793},  {2, -1, -1, 0, 57066},  {2, 0, 1, 0, 53322},
        {2, -1, 0, 0, 45758},  {0, 1, -1, 0, -40923},  {1, 0, 0, 0, -34720},
        {0, 1, 1, 0, -30383},  {2, 0, 0, -2, 15327},   {0, 0, 1, 2, -12528},
        {0, 0, 1, -2, 10980},  {4, 0, -1, 0, 10675},   {0, 0, 3, 0, 10034},
        {4, 0, -2, 0, 8548},   {2, 1, -1, 0, -7888}};
    static const Term kLatitude[] = {
        {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602}, {0, 0, 1, -1, 277693},
        {2, 0, 0, -1, 173237}, {2, 0, -1, 1, 55413}, {2, 0, -1, -1, 46271},
        {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},  {2, 0, 1, -1, 9266},
        {0, 0, 2, -1, 8822}};
    double sl = 0.0, sb = 0.0;
    for (const Term& k : kLongitude)
        sl += k.c * std::sin(D2R(k.d * d + k.m * m + k.mp * mp + k.f * f));
    for (const Term& k : kLatitude)
        sb += k.c * std::sin(D2R(k.d * d + k.m * m + k.mp * mp + k.f * f));
    const double lambda = lp + sl / 1e6;
    const double beta = sb / 1e6;
    return ToEquatorial(lambda, beta, ObliquityOracle(t));
}

// Greenwich mean sidereal time in degrees from the day-and-hour form.
inline double SiderealOracle(double jd) {
    const double jd0 = std::floor(jd - 0.5) + 0.5;
    const double hours = (jd - jd0) * 24.0;
    const double d0 = jd0 - 2451545.0;
    const double t = (jd - 2451545.0) / 36525.0;
    const double gmst = 6.697374558 + 0.06570982441908 * d0 + 1.00273790935 * hours +
                        0.000026 * t * t;
    return Norm360(gmst * 15.0);
}

inline void HorizonOracle(const Equatorial& e, double jd, double lat, double eastLon, double* az,
                   double* el) {
    const double h = D2R(SiderealOracle(jd) + eastLon - e.ra);
    const double p = D2R(lat), dec = D2R(e.dec);
    *el = R2D(std::asin(std::sin(p) * std::sin(dec) + std::cos(p) * std::cos(dec) * std::cos(h)));
    *az = Norm360(R2D(std::atan2(-std::sin(h), std::tan(dec) * std::cos(p) - std::sin(p) * std::cos(h))));
}

// The Julian Date of a time in seconds since 1970-01-01 00:00 UTC.
inline double JulianDateOfUnix(double seconds) {
    return 2440587.5 + seconds / 86400.0;
}

}  // namespace almanac_oracle
