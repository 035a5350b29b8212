#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plots/gpshistory.h"
#include "plots/psrposa.h"
#include "position_lines.h"

using position_lines::Psrposa;

namespace {

GeoPosition Fix(double lat, double lon) { return GeoPosition(lat, lon, 0.0); }

int FilledSlots(const GpsHistory &h)
{
    int n = 0;
    for (int i = 0; i < GpsHistory::Slots; ++i) n += h.Filled(i);
    return n;
}

SyncaRecord Synca(const std::string &source, int utcSync, double samples, int h, int m, int s)
{
    SyncaRecord r;
    std::snprintf(r.SyncSource, sizeof r.SyncSource, "%s", source.c_str());
    r.UtcSync = utcSync;
    r.SampleCount = samples;
    r.Hour = h;
    r.Minute = m;
    r.Second = s;
    return r;
}

} // namespace

TEST(GpsHistory, InterpolatesBetweenTheFixesAroundATime)
{
    GpsHistory h;
    h.AddGps(Fix(52.0, 4.0), 100.0);
    h.AddGps(Fix(52.0, 4.000010), 101.0);
    GeoPosition out(1, 2, 3);
    ASSERT_TRUE(h.InterpolateAt(&out, 100.25));
    EXPECT_NEAR(out.Longitude, 4.0000025, 1e-12);
    out = GeoPosition(7, 8, 9);
    for (double t : {99.0, 101.5, 100.0}) EXPECT_FALSE(h.InterpolateAt(&out, t)) << t;
    EXPECT_EQ(out.Latitude, 7.0);
    // The latest fix before and the earliest after are taken, whatever the slot order.
    GpsHistory g;
    g.AddGps(Fix(50.0, 4.0), 110.0);
    g.AddGps(Fix(51.0, 4.0), 100.0);
    g.AddGps(Fix(52.0, 4.0), 104.0);
    g.AddGps(Fix(53.0, 4.0), 106.0);
    ASSERT_TRUE(g.InterpolateAt(&out, 105.0));
    EXPECT_DOUBLE_EQ(out.Latitude, 52.5);
    g.Reset();
    EXPECT_FALSE(g.InterpolateAt(&out, 105.0));
}

TEST(GpsHistory, InterpolatesAcrossMidnightAndTheDateLine)
{
    GpsHistory h;
    h.AddGps(Fix(52.0, 4.0), 86399.5);
    h.AddGps(Fix(53.0, 4.0), 86400.5);   // stored as 0.5 s of the next day
    EXPECT_DOUBLE_EQ(h.Times[1], 0.5);
    EXPECT_EQ(FilledSlots(h), 2);        // the purge measured across midnight
    GeoPosition out;
    ASSERT_TRUE(h.InterpolateAt(&out, 0.0));
    EXPECT_DOUBLE_EQ(out.Latitude, 52.5);
    ASSERT_TRUE(h.InterpolateAt(&out, 86399.75));
    EXPECT_DOUBLE_EQ(out.Latitude, 52.25);

    GpsHistory d;
    d.AddGps(Fix(10.0, 179.9999), 10.0);
    d.AddGps(Fix(10.0, -179.9999), 11.0);
    ASSERT_TRUE(d.InterpolateAt(&out, 10.25));
    EXPECT_NEAR(out.Longitude, 179.99995, 1e-9);
    ASSERT_TRUE(d.InterpolateAt(&out, 10.75));
    EXPECT_NEAR(out.Longitude, -179.99995, 1e-9);
    ASSERT_TRUE(d.InterpolateAt(&out, 10.5));
    EXPECT_GE(out.Longitude, -180.0);
    EXPECT_LE(out.Longitude, 180.0);
    EXPECT_NEAR(std::fabs(out.Longitude), 180.0, 1e-9);
}

TEST(GpsHistory, KeepsThirtySecondsAndTwentyFixes)
{
    GpsHistory h;
    h.AddGps(Fix(1, 1), 100.0);
    h.AddGps(Fix(2, 2), 130.0);   // 30 s older stays
    EXPECT_EQ(FilledSlots(h), 2);
    h.AddGps(Fix(3, 3), 131.0);   // now the first is 31 s older: gone
    EXPECT_TRUE(FilledSlots(h) == 2 && !h.Filled(0));

    GpsHistory ring;
    for (int i = 0; i < 21; ++i) ring.AddGps(Fix(i, i), 1000.0 + i);
    EXPECT_EQ(ring.Positions[0].Latitude, 20.0);   // the 21st overwrote the first
    EXPECT_EQ(FilledSlots(ring), 20);
}

TEST(GpsHistory, SyncaTiesTheReceiverClockToUtc)
{
    GpsHistory h;
    h.AddGps(Fix(52.0, 4.0), 43208.0);
    h.AddGps(Fix(52.0, 4.0001), 43209.0);
    GeoPosition out;
    for (const SyncaRecord &bad : {Synca("NONE", 1, 18148000.0, 12, 0, 20), Synca("LORANUTC", 0, 18148000.0, 12, 0, 20),
                                   Synca("LORANUTC", 1, 0.0, 12, 0, 20), Synca("LORAN", 1, 18148000.0, 12, 0, 20)})
        h.StoreSynca(bad);
    EXPECT_FALSE(h.InterpolateAtSync(&out, 30.5));
    // Sample count 18148000 (45.37 s) was 12:00:20 UTC, so receiver time 33.87 s is 43208.5.
    h.StoreSynca(Synca("loranUTC2", 1, 18148000.0, 12, 0, 20));   // six letters, any case
    ASSERT_TRUE(h.InterpolateAtSync(&out, 33.87));
    EXPECT_NEAR(out.Longitude, 4.00005, 1e-9);
    h.StoreSynca(Synca("LORANUTC", 0, 1.0, 0, 0, 0));   // a later rejected record leaves it alone
    ASSERT_TRUE(h.InterpolateAtSync(&out, 33.87));
    EXPECT_NEAR(out.Longitude, 4.00005, 1e-9);
}

TEST(Psrposa, ReadsTheSolutionRefusesOtherShapesAndCountsBadFields)
{
    PsrposaRecord r;
    ASSERT_EQ(r.Parse(Psrposa().c_str()), 0);
    EXPECT_DOUBLE_EQ(r.GpsSince1970(), 1439 * 604800.0 + 388822.0 + 315964800.0);
    ASSERT_EQ(r.Parse(Psrposa("NONEXISTENT").c_str()), 0);   // parses; only the first four letters count
    EXPECT_FALSE(r.HasSolution());
    std::string short30 = Psrposa(), long32 = Psrposa();
    short30.erase(short30.find(",0,03*"), 2);
    long32.insert(long32.find('*'), ",7");
    for (const std::string &line : {short30, long32, "$" + Psrposa().substr(1)}) EXPECT_EQ(r.Parse(line.c_str()), 1);
    // A bad field keeps the value before; nothing is cleared first.
    EXPECT_EQ(r.Parse(Psrposa("SINGLE", "north", "4.3", "x").c_str()), 2);
    EXPECT_EQ(r.Week, 1439);
    ASSERT_EQ(r.Parse(Psrposa(std::string(60, 'T')).c_str()), 0);   // a long type is cut to 39 characters
    EXPECT_EQ(std::string(r.PositionType), std::string(39, 'T'));
}
