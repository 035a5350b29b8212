#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plots/gpshistory.h"
#include "plots/psrposa.h"
#include "sentence_text.h"

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

// A PSRPOSA log as the GPS board sends it: ten header fields, ";", 21 solution fields.
std::string Psrposa(const std::string &type = "SINGLE", const std::string &lat = "52.01173839695",
                    const std::string &week = "1439", const std::string &extra = "")
{
    return "#PSRPOSA,COM1,0,76.9,FINESTEERING," + week +
           ",388822.000,00000000,6145,2724;SOL_COMPUTED," + type + "," + lat +
           ",4.35719104709,1.9526,43.1000,WGS84,2.1000,1.6800,3.5700,\"\",0.000,0.000,10,10,0,0,0,06,0,03" + extra +
           "*28c97191";
}

} // namespace

TEST(GpsHistory, StartsEmptyAndResetsToZero)
{
    GpsHistory h;
    EXPECT_EQ(FilledSlots(h), 0);
    EXPECT_EQ(h.WriteIndex, 0);
    EXPECT_EQ(h.LastSynca.Year, 0);   // zeroed, not the record's own reset values
    h.AddGps(Fix(52, 4), 100.0);
    h.StoreSynca(Synca("LORANUTC", 1, 10.0, 12, 0, 0));
    h.Reset();
    EXPECT_EQ(FilledSlots(h), 0);
    EXPECT_EQ(h.WriteIndex, 0);
    EXPECT_EQ(h.LastSynca.SampleCount, 0.0);
    EXPECT_EQ(h.Positions[0].Latitude, 0.0);
    GeoPosition out;
    EXPECT_FALSE(h.InterpolateAtSync(&out, 10.0));
}

TEST(GpsHistory, InterpolatesBetweenTheFixesAroundATime)
{
    GpsHistory h;
    h.AddGps(Fix(52.0, 4.0), 100.0);
    h.AddGps(Fix(52.0, 4.000010), 101.0);
    GeoPosition out(1, 2, 3);
    ASSERT_TRUE(h.InterpolateAt(&out, 100.25));
    EXPECT_NEAR(out.Longitude, 4.0000025, 1e-12);
    EXPECT_DOUBLE_EQ(out.Latitude, 52.0);
    EXPECT_EQ(out.Height, 3.0);   // only latitude and longitude are written
    // At the time of a fix, that fix is the one at or after it.
    ASSERT_TRUE(h.InterpolateAt(&out, 101.0));
    EXPECT_DOUBLE_EQ(out.Longitude, 4.000010);
    // Nothing before, or nothing at or after: false, out untouched.
    out = GeoPosition(7, 8, 9);
    EXPECT_FALSE(h.InterpolateAt(&out, 99.0));
    EXPECT_FALSE(h.InterpolateAt(&out, 101.5));
    EXPECT_FALSE(h.InterpolateAt(&out, 100.0));   // 100 itself is "at or after": nothing before
    EXPECT_EQ(out.Latitude, 7.0);
    EXPECT_EQ(out.Longitude, 8.0);
    // The latest fix before and the earliest after are taken, whatever the slot order.
    GpsHistory g;
    g.AddGps(Fix(50.0, 4.0), 110.0);
    g.AddGps(Fix(51.0, 4.0), 100.0);
    g.AddGps(Fix(52.0, 4.0), 104.0);
    g.AddGps(Fix(53.0, 4.0), 106.0);
    ASSERT_TRUE(g.InterpolateAt(&out, 105.0));
    EXPECT_DOUBLE_EQ(out.Latitude, 52.5);
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
    EXPECT_EQ(FilledSlots(h), 2);
    EXPECT_FALSE(h.Filled(0));
    EXPECT_EQ(h.Positions[0].Latitude, 0.0);

    GpsHistory ring;
    for (int i = 0; i < 21; ++i) ring.AddGps(Fix(i, i), 1000.0 + i);
    EXPECT_EQ(ring.WriteIndex, 1);
    EXPECT_EQ(ring.Positions[0].Latitude, 20.0);   // the 21st overwrote the first
    EXPECT_DOUBLE_EQ(ring.Times[0], 1020.0);
    EXPECT_EQ(FilledSlots(ring), 20);

    // A fix without time (-1) counts as no fix and clears what is far from midnight.
    ring.AddGps(Fix(9, 9), -1.0);
    EXPECT_EQ(FilledSlots(ring), 0);
    GeoPosition out;
    EXPECT_FALSE(ring.InterpolateAt(&out, 1010.0));
}

TEST(GpsHistory, SyncaTiesTheReceiverClockToUtc)
{
    GpsHistory h;
    h.AddGps(Fix(52.0, 4.0), 43208.0);
    h.AddGps(Fix(52.0, 4.0001), 43209.0);
    GeoPosition out;
    EXPECT_FALSE(h.InterpolateAtSync(&out, 30.5));   // no SYNCA yet

    for (const SyncaRecord &bad : {Synca("NONE", 1, 18148000.0, 12, 0, 20), Synca("LORANUTC", 0, 18148000.0, 12, 0, 20),
                                   Synca("LORANUTC", 1, 0.0, 12, 0, 20), Synca("LORAN", 1, 18148000.0, 12, 0, 20)})
        h.StoreSynca(bad);
    EXPECT_FALSE(h.InterpolateAtSync(&out, 30.5));

    // Sample count 18148000 (45.37 s) was 12:00:20 UTC, so receiver time 33.87 s is 43208.5.
    h.StoreSynca(Synca("loranUTC2", 1, 18148000.0, 12, 0, 20));   // six letters, any case
    ASSERT_TRUE(h.InterpolateAtSync(&out, 33.87));
    EXPECT_NEAR(out.Longitude, 4.00005, 1e-9);
    // A later rejected record leaves the stored one alone.
    h.StoreSynca(Synca("LORANUTC", 0, 1.0, 0, 0, 0));
    ASSERT_TRUE(h.InterpolateAtSync(&out, 33.87));
    EXPECT_NEAR(out.Longitude, 4.00005, 1e-9);
}

TEST(GpsHistory, ReportsSpansThatNeedUnwrappingFromAbove)
{
    // Unreachable through AddGps (all fixes lie within a minute of each other),
    // so the slots are filled by hand: 08:20 and 22:13 around 14:00.
    GpsHistory h;
    std::vector<std::string> warnings;
    h.Warn = [&](const char *text) { warnings.emplace_back(text); };
    h.Times[0] = 30000.0;
    h.Times[1] = 80000.0;
    GeoPosition out;
    EXPECT_FALSE(h.InterpolateAt(&out, 50000.0));   // the unwrapped span is negative
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "   DEBUG: Diff>SecondsInDay/2???    ");
}

TEST(Psrposa, ReadsTheSolutionOfALog)
{
    PsrposaRecord r;
    ASSERT_EQ(r.Parse(Psrposa().c_str()), 0);
    EXPECT_EQ(r.Week, 1439);
    EXPECT_DOUBLE_EQ(r.Seconds, 388822.0);
    EXPECT_STREQ(r.PositionType, "SINGLE");
    EXPECT_DOUBLE_EQ(r.Position.Latitude, 52.01173839695);
    EXPECT_DOUBLE_EQ(r.Position.Longitude, 4.35719104709);
    EXPECT_DOUBLE_EQ(r.Position.Height, 1.9526);
    EXPECT_TRUE(r.HasSolution());
    EXPECT_DOUBLE_EQ(r.GpsSince1970(), 1439 * 604800.0 + 388822.0 + 315964800.0);

    // "NONE" parses normally; the caller decides.
    ASSERT_EQ(r.Parse(Psrposa("none").c_str()), 0);
    EXPECT_FALSE(r.HasSolution());
    ASSERT_EQ(r.Parse(Psrposa("NONEXISTENT").c_str()), 0);
    EXPECT_FALSE(r.HasSolution());   // only the first four letters count
}

TEST(Psrposa, RefusesOtherShapesAndCountsBadFields)
{
    PsrposaRecord r;
    r.Week = 5;
    std::string short30 = Psrposa();
    short30.erase(short30.find(",0,03*"), 2);   // one field less
    EXPECT_EQ(r.Parse(short30.c_str()), 1);
    EXPECT_EQ(r.Parse(Psrposa("SINGLE", "52.0", "1439", ",7").c_str()), 1);   // 32 fields
    EXPECT_EQ(r.Parse(("$" + Psrposa().substr(1)).c_str()), 1);
    EXPECT_EQ(r.Parse(Psrposa().replace(1, 7, "BESTPOSA").c_str()), 1);
    EXPECT_EQ(r.Parse(nullptr), 1);
    EXPECT_EQ(r.Week, 5);

    // A bad field keeps the value before; nothing is cleared first.
    ASSERT_EQ(r.Parse(Psrposa().c_str()), 0);
    EXPECT_EQ(r.Parse(Psrposa("SINGLE", "north", "x").c_str()), 2);
    EXPECT_EQ(r.Week, 1439);
    EXPECT_DOUBLE_EQ(r.Position.Latitude, 52.01173839695);
    // A long type is cut to 39 characters.
    ASSERT_EQ(r.Parse(Psrposa(std::string(60, 'T')).c_str()), 0);
    EXPECT_EQ(std::string(r.PositionType), std::string(39, 'T'));
}

TEST(Psrposa, TheSplitterSeesThirtyOneFields)
{
    NovatelOEM4LogClass log(Psrposa().c_str());
    EXPECT_EQ(log.FieldCount, PsrposaRecord::FieldCount);
    EXPECT_TRUE(IsPsrposa(log));
}
