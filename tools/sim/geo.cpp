#include "sim/geo.h"

#include <cmath>

namespace sim {

namespace {
constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257223563;
constexpr double kB = kA * (1.0 - kF);
constexpr double kE2 = kF * (2.0 - kF);
} // namespace

DistanceBearing Inverse(LatLon from, LatLon to)
{
    const double L = (to.lon - from.lon) * kDeg;
    const double U1 = std::atan((1.0 - kF) * std::tan(from.lat * kDeg));
    const double U2 = std::atan((1.0 - kF) * std::tan(to.lat * kDeg));
    const double sinU1 = std::sin(U1), cosU1 = std::cos(U1);
    const double sinU2 = std::sin(U2), cosU2 = std::cos(U2);

    double lambda = L, sinSigma = 0, cosSigma = 1, sigma = 0, cos2Alpha = 1, cos2SigmaM = 0;
    double sinLambda = 0, cosLambda = 1;
    for (int i = 0; i < 200; ++i) {
        sinLambda = std::sin(lambda);
        cosLambda = std::cos(lambda);
        const double a = cosU2 * sinLambda;
        const double b = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::sqrt(a * a + b * b);
        if (sinSigma == 0.0) return {};   // the same point
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cos2Alpha = 1.0 - sinAlpha * sinAlpha;
        cos2SigmaM = cos2Alpha != 0.0 ? cosSigma - 2.0 * sinU1 * sinU2 / cos2Alpha : 0.0;
        const double C = kF / 16.0 * cos2Alpha * (4.0 + kF * (4.0 - 3.0 * cos2Alpha));
        const double prev = lambda;
        lambda = L + (1.0 - C) * kF * sinAlpha *
                         (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - prev) < 1e-13) break;
    }
    const double u2 = cos2Alpha * (kA * kA - kB * kB) / (kB * kB);
    const double A = 1.0 + u2 / 16384.0 * (4096.0 + u2 * (-768.0 + u2 * (320.0 - 175.0 * u2)));
    const double B = u2 / 1024.0 * (256.0 + u2 * (-128.0 + u2 * (74.0 - 47.0 * u2)));
    const double dSigma =
        B * sinSigma *
        (cos2SigmaM + B / 4.0 *
                          (cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM) -
                           B / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) *
                               (-3.0 + 4.0 * cos2SigmaM * cos2SigmaM)));
    DistanceBearing r;
    r.metres = kB * A * (sigma - dSigma);
    r.azimuth = Wrap360(std::atan2(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda) / kDeg);
    return r;
}

double MetresPerDegreeLat(double latDeg)
{
    const double s = std::sin(latDeg * kDeg);
    const double w = 1.0 - kE2 * s * s;
    return kA * (1.0 - kE2) / (w * std::sqrt(w)) * kDeg;
}

double MetresPerDegreeLon(double latDeg)
{
    const double s = std::sin(latDeg * kDeg);
    return kA / std::sqrt(1.0 - kE2 * s * s) * std::cos(latDeg * kDeg) * kDeg;
}

LatLon Offset(LatLon ref, double north, double east)
{
    return {ref.lat + north / MetresPerDegreeLat(ref.lat), ref.lon + east / MetresPerDegreeLon(ref.lat)};
}

double Wrap360(double deg)
{
    double r = std::fmod(deg, 360.0);
    if (r < 0.0) r += 360.0;
    if (r >= 360.0) r -= 360.0;
    return r;
}

double Wrap180(double deg)
{
    double r = Wrap360(deg + 180.0) - 180.0;
    return r;
}

} // namespace sim
