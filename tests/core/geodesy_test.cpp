#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>

#include "plots/geodesy.h"

namespace {

// WGS-72, worked out independently of the code under test.
constexpr double A = 6378135.0;
constexpr double B = 6356750.52;
const double E2 = 1.0 - (B * B) / (A * A);   // first eccentricity squared
const double Pi = std::acos(-1.0);

double Rad(double degrees) { return degrees * Pi / 180.0; }
// Radius of curvature in the meridian and in the prime vertical.
double M(double lat) { return A * (1 - E2) / std::pow(1 - E2 * std::pow(std::sin(Rad(lat)), 2), 1.5); }
double N(double lat) { return A / std::sqrt(1 - E2 * std::pow(std::sin(Rad(lat)), 2)); }

// Meridian arc from lat1 to lat2 by Simpson's rule.
double MeridianArc(double lat1, double lat2)
{
    const int n = 1000;
    const double h = (lat2 - lat1) / n;
    double sum = M(lat1) + M(lat2);
    for (int i = 1; i < n; ++i) sum += (i % 2 ? 4 : 2) * M(lat1 + i * h);
    return sum * Rad(h) / 3;
}

} // namespace

TEST(Geodesy, DistancesAgreeWithTheEllipsoid)
{
    EXPECT_EQ(GeodesicDistance(52.0, 4.36, 52.0, 4.36), 0.0);
    // Along the equator the short-line formula is exact: a times the angle.
    EXPECT_NEAR(GeodesicDistance(0.0, 4.0, 0.0, 4.01), A * Rad(0.01), 1e-6);
    // North along a meridian, 0.01 degree (about 1.1 km) at 52 degrees.
    EXPECT_NEAR(GeodesicDistance(52.0, 4.0, 52.01, 4.0), MeridianArc(52.0, 52.01), 1e-3);
    // A diagonal of about 1 km: planar at the middle latitude is good to far below a millimetre.
    const double north = M(52.0025) * Rad(0.005), east = N(52.0025) * std::cos(Rad(52.0025)) * Rad(0.01);
    EXPECT_NEAR(GeodesicDistance(52.0, 4.0, 52.005, 4.01), std::hypot(north, east), 1e-3);
    // Far outside its range the formula still gives a number, and a NaN stays NaN.
    EXPECT_TRUE(std::isfinite(GeodesicDistance(10.0, 0.0, -10.0, 180.0)));
    EXPECT_TRUE(std::isnan(GeodesicDistance(NAN, 0.0, 1.0, 1.0)));
}

TEST(Geodesy, MetresPerDegree)
{
    const MetreScale s = MetresPerDegree(52.0, 4.0);
    EXPECT_NEAR(s.Latitude, M(52.00005) * Rad(1.0), 0.01);
    EXPECT_NEAR(s.Longitude, N(52.0) * std::cos(Rad(52.0)) * Rad(1.0), 0.01);
    EXPECT_NEAR(MetresPerDegree(0.0, 0.0).Longitude, A * Rad(1.0), 1e-6);
    // Each place asked for in turn, again or not, gets its own scale.
    for (auto [lat, lon] : {std::pair{52.0, 4.0}, {52.0, 4.0}, {10.0, 4.0}, {52.0, 4.0}, {52.0, 100.0}, {-52.0, 100.0}}) {
        const MetreScale got = MetresPerDegree(lat, lon);
        EXPECT_EQ(got.Latitude, 10000.0 * GeodesicDistance(lat, lon, lat + 0.0001, lon)) << lat << " " << lon;
        EXPECT_EQ(got.Longitude, 10000.0 * GeodesicDistance(lat, lon, lat, lon + 0.0001)) << lat << " " << lon;
    }
    EXPECT_TRUE(std::isnan(MetresPerDegree(NAN, 4.0).Latitude));
    EXPECT_EQ(MetresPerDegree(52.0, 4.0).Latitude, s.Latitude);
}
TEST(TimeConversion, HhmmssToSeconds)
{
    EXPECT_DOUBLE_EQ(HhmmssToSeconds(235959.99), 86399.99);
    EXPECT_NEAR(HhmmssToSeconds(120008.37), 43208.37, 1e-9);
}
TEST(TimeConversion, DaysToDateIsTheGregorianCalendar)
{
    using namespace std::chrono;
    const sys_days epoch = sys_days(year{1970} / January / 1);
    // Every day from 1970 to 2400: leap years, centuries, the 400-year cycle.
    for (int64_t d = 0; d < 157000; ++d) {
        const year_month_day want(epoch + days(d));
        int y = 0, m = 0, day = 0;
        DaysToDate(d, &y, &m, &day);
        ASSERT_EQ(y, static_cast<int>(want.year())) << d;
        ASSERT_EQ(m, static_cast<int>(static_cast<unsigned>(want.month()))) << d;
        ASSERT_EQ(day, static_cast<int>(static_cast<unsigned>(want.day()))) << d;
    }
}

TEST(TimeConversion, UnixTimeToDateTime)
{
    struct Case {
        int64_t t;
        int y, mo, d, h, mi, s;
    };
    for (const Case &c : {Case{951782400, 2000, 2, 29, 0, 0, 0}, Case{1186660822, 2007, 8, 9, 12, 0, 22},
                          Case{86399, 1970, 1, 1, 23, 59, 59}, Case{4102444800, 2100, 1, 1, 0, 0, 0}}) {
        int y, mo, d, h, mi, s;
        UnixTimeToDateTime(c.t, &y, &mo, &d, &h, &mi, &s);
        EXPECT_EQ((std::array<int, 6>{y, mo, d, h, mi, s}), (std::array<int, 6>{c.y, c.mo, c.d, c.h, c.mi, c.s}))
            << c.t;
    }
}

TEST(TimeConversion, GpsMinusUtcFollowsTheLeapSeconds)
{
    auto gps = [](int64_t unixUtc, int offset) { return unixUtc + offset; };
    EXPECT_EQ(GpsMinusUtcSeconds(GpsEpochUnixSeconds), 0);
    // August 2007 (GPS week 1439): 14 s, the value receivers of that time used.
    EXPECT_EQ(GpsMinusUtcSeconds(1439 * 604800LL + 388822 + GpsEpochUnixSeconds), 14);
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1136073600, 14)), 14);        // 2006-01-01 00:00:00 UTC
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1136073599, 13)), 13);        // a second before
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1230767999, 14)), 14);        // 2008-12-31 23:59:59 UTC
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1230768000, 15)), 15);        // 2009-01-01
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1483228800, 18)), 18);        // 2017-01-01
    EXPECT_EQ(GpsMinusUtcSeconds(gps(1718000000, 18)), 18);        // 2024
}
