#include "plots/geodesy.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double A72 = 6378135.0;      // WGS-72 semi-major axis, metres
constexpr double B72 = 6356750.52;     // WGS-72 semi-minor axis, metres

double Radians(double degrees) { return (1.0 / 180.0) * degrees * Pi; }

} // namespace

double GeodesicDistance(double lat1, double lon1, double lat2, double lon2)
{
    const double e2 = (A72 * A72 - B72 * B72) / B72 / B72;   // second eccentricity squared
    const double C = std::sqrt(1.0 + e2);
    const double phi1 = Radians(lat1), lambda1 = Radians(lon1);
    const double phi2 = Radians(lat2), lambda2 = Radians(lon2);
    const double dphi = phi2 - phi1;
    const double dlambda = lambda2 - lambda1;

    const double c = std::cos(phi1);
    const double A = std::sqrt(1.0 + e2 * c * c * c * c);
    const double B = std::sqrt(1.0 + e2 * c * c);
    const double w = A * dlambda / 2.0;
    const double D = (dphi / (2.0 * B)) * (1.0 + (0.75 * e2 / (B * B)) * dphi * std::sin(2.0 * (phi1 + dphi / 3.0)));
    const double E = std::sin(D) * std::cos(w);
    const double F = (std::sin(w) / A) * (B * std::cos(phi1) * std::cos(D) - std::sin(phi1) * std::sin(D));
    // Rounding may lift the root a hair above 1 far outside the formula's range:
    // asin stays defined (a NaN stays NaN).
    double s = std::sqrt(E * E + F * F);
    if (s > 1.0) s = 1.0;
    const double sigma = 2.0 * std::asin(s);
    return A72 * C * sigma / (B * B);
}

MetreScale MetresPerDegree(double lat, double lon)
{
    // The place asked for last is answered as before: each solution kind of an
    // epoch takes the same reference.
    thread_local std::optional<std::pair<std::pair<uint64_t, uint64_t>, MetreScale>> last;
    const std::pair<uint64_t, uint64_t> place{std::bit_cast<uint64_t>(lat), std::bit_cast<uint64_t>(lon)};
    if (last && last->first == place) return last->second;
    MetreScale scale;
    scale.Latitude = 10000.0 * GeodesicDistance(lat, lon, lat + 0.0001, lon);
    scale.Longitude = 10000.0 * GeodesicDistance(lat, lon, lat, lon + 0.0001);
    last.emplace(place, scale);
    return scale;
}

double WrapLongitude(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d <= -180.0) d += 360.0;
    else if (d > 180.0) d -= 360.0;
    return d;
}

double HhmmssToSeconds(double hhmmss)
{
    if (!std::isfinite(hhmmss)) return hhmmss;
    double hours = std::floor(hhmmss / 10000.0);
    double rest = hhmmss - hours * 10000.0;
    double minutes = std::floor(rest / 100.0);
    double seconds = rest - minutes * 100.0;
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

void DaysToDate(int64_t days, int *year, int *month, int *day)
{
    static const int first[12] = {0, 31, 61, 92, 122, 153, 184, 214, 245, 275, 306, 337};
    // Days counted from 1 March of year 0, in 64 bits so no input overflows.
    int64_t n = days + 719468;
    int64_t y = 400 * (n / 146097);
    int64_t r = n % 146097;
    int leap = 0;
    if (r == 146096) {   // the 29 February closing a 400-year cycle
        leap = 1;
        r -= 1;
    }
    y += 100 * (r / 36524);
    r %= 36524;
    y += 4 * (r / 1461);
    r %= 1461;
    if (r == 1460) {
        leap = 1;
        r -= 1;
    }
    y += r / 365;
    r %= 365;
    int m = r == 61 ? 2 : r == 122 ? 4 : static_cast<int>((9 * r) / 275);
    if (m < 0) m = 0;    // only for days before year 0, which no caller passes
    if (m > 11) m = 11;
    *day = static_cast<int>(r - first[m] + leap + 1);
    int mon = m + 3;
    if (mon > 12) {
        mon -= 12;
        y += 1;
    }
    *month = mon;
    *year = static_cast<int>(y);
}

void UnixTimeToDateTime(int64_t seconds, int *year, int *month, int *day, int *hour, int *minute, int *second)
{
    *second = static_cast<int>(seconds % 60);
    *minute = static_cast<int>((seconds / 60) % 60);
    *hour = static_cast<int>((seconds / 3600) % 24);
    DaysToDate(seconds / 86400, year, month, day);
}

int GpsMinusUtcSeconds(int64_t gpsSince1970)
{
    // UTC day (days since 1970) from which each value holds.
    struct Step {
        int64_t utcDay;
        int offset;
    };
    static const Step steps[] = {
        {4199, 1},   // 1981-07-01
        {4564, 2},   // 1982-07-01
        {4929, 3},   // 1983-07-01
        {5660, 4},   // 1985-07-01
        {6574, 5},   // 1988-01-01
        {7305, 6},   // 1990-01-01
        {7670, 7},   // 1991-01-01
        {8217, 8},   // 1992-07-01
        {8582, 9},   // 1993-07-01
        {8947, 10},  // 1994-07-01
        {9496, 11},  // 1996-01-01
        {10043, 12}, // 1997-07-01
        {10592, 13}, // 1999-01-01
        {13149, 14}, // 2006-01-01
        {14245, 15}, // 2009-01-01
        {15522, 16}, // 2012-07-01
        {16617, 17}, // 2015-07-01
        {17167, 18}, // 2017-01-01
    };
    int offset = 0;
    for (const Step &s : steps) {
        // The step's UTC midnight as GPS time: GPS runs `offset` seconds ahead from then on.
        if (gpsSince1970 >= s.utcDay * 86400 + s.offset) offset = s.offset;
    }
    return offset;
}
