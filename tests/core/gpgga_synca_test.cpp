#include <gtest/gtest.h>

#include <string>

#include "logs/gpgga.h"
#include "logs/synca.h"
#include "sentence_text.h"

TEST(GpggaRecord, GoodLineAndFieldsAfterTheUnits)
{
    GpggaRecord r;
    ASSERT_EQ(r.Parse(Sentence("GPGGA,123456.78,5212.3456,S,00430.0000,W,4,9,1.2,15.5,M,47.1,M,3.5,0123,extra").c_str()), 0);
    EXPECT_EQ(r.Time, 123456.78);
    EXPECT_EQ(r.Latitude, 5212.3456);
    EXPECT_EQ(r.LatHemisphere, 'S');
    EXPECT_EQ(r.Longitude, 430.0);
    EXPECT_EQ(r.LonHemisphere, 'W');
    EXPECT_EQ(r.FixQuality, 4);
    EXPECT_EQ(r.Satellites, 9);
    EXPECT_EQ(r.HDOP, 1.2f);
    EXPECT_EQ(r.Altitude, 15.5f);
    EXPECT_EQ(r.Undulation, 47.1f);
    EXPECT_EQ(r.DgpsAge, 3.5f);
    EXPECT_EQ(r.DgpsStation, 123);
    auto [lat, lon] = r.ToDegrees();
    EXPECT_DOUBLE_EQ(lat, -(52 + 12.3456 / 60));
    EXPECT_DOUBLE_EQ(lon, -4.5);
}

TEST(GpggaRecord, NoFixShortLinesAndBadFields)
{
    GpggaRecord noFix;   // empty fields keep the reset values
    ASSERT_EQ(noFix.Parse(Sentence("GPGGA,,,,,,0,,,,M,,M,,").c_str()), 0);
    EXPECT_EQ(noFix.LatHemisphere, 'N');
    EXPECT_EQ(noFix.LonHemisphere, 'E');
    EXPECT_EQ(noFix.DgpsStation, 0);

    GpggaRecord shortLine;
    ASSERT_EQ(shortLine.Parse(Sentence("gpgga,1,2,N,3,E,1,5,0.9").c_str()), 0);
    EXPECT_EQ(shortLine.HDOP, 0.9f);
    EXPECT_EQ(shortLine.Altitude, 0.0f);

    GpggaRecord units;   // the unit fields are never read
    EXPECT_EQ(units.Parse(Sentence("GPGGA,1,2,N,3,E,1,5,0.9,1,metres,2,feet,3,4").c_str()), 0);

    for (const char *body : {"GPGGA,1,2,N,3,E,1,5,0.9x", "GPGGA,1,2,NS,3,E", "GPGGA,1,2,N,3,E,1.5", "GNGGA,1", "DODU,GPGGA"}) {
        GpggaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
    }
    EXPECT_STREQ(FixQualityText(0), "No Fix");
    EXPECT_STREQ(FixQualityText(2), "DGPS");
    EXPECT_STREQ(FixQualityText(4), "eLoran");
    for (int q : {3, 5, 6, -1}) EXPECT_STREQ(FixQualityText(q), "Unknown") << q;
}

TEST(GpggaRecord, ToDegreesHemispheres)
{
    GpggaRecord r;
    r.Latitude = 5212.3456;
    r.Longitude = 430.0;
    r.LatHemisphere = 's';   // only upper case turns the sign
    r.LonHemisphere = 'E';
    auto [lat, lon] = r.ToDegrees();
    EXPECT_DOUBLE_EQ(lat, 52 + 12.3456 / 60);
    EXPECT_DOUBLE_EQ(lon, 4.5);
}

TEST(SyncaRecord, FullLineShortLineAndTexts)
{
    SyncaRecord r;
    std::string line = Sentence("DODU,SYNCA,V3,12.5,LORANUTC,2024,2,29,23,59,58,4000000,1,37,-0.5,DETAILTEXT12");
    ASSERT_EQ(r.Parse(line.c_str()), 0);
    EXPECT_STREQ(r.Version, "V3");
    EXPECT_EQ(r.Year, 2024);
    EXPECT_EQ(r.Day, 29);
    EXPECT_EQ(r.Second, 58);
    EXPECT_EQ(r.UtcSync, 1);
    EXPECT_EQ(r.LeapSeconds, 37);
    EXPECT_EQ(r.Offset, -0.5f);
    EXPECT_STREQ(r.SourceDetail, "DETAILTEX");
    EXPECT_EQ(r.SourceText(), "LORANUTC : DETAILTEX");
    EXPECT_DOUBLE_EQ(r.LoranTime(), 10.0);

    SyncaRecord shortLine;
    ASSERT_EQ(shortLine.Parse(Sentence("DODU,SYNCA,V,1,GPS").c_str()), 0);
    EXPECT_EQ(shortLine.Year, 2000);
    EXPECT_EQ(shortLine.Month, 1);
    EXPECT_EQ(shortLine.Day, 1);
    EXPECT_EQ(shortLine.Hour, 0);
    EXPECT_EQ(shortLine.SourceText(), "GPS");
    EXPECT_EQ(shortLine.LoranTime(), 0.0);

    for (const char *body : {"DODU,SYNCA,V,1,GPS,20x4", "DODU,SYNCA,V,1,GPS,2024,1,1,1,1,1,1,yes", "DODU,SYNCB,V",
                             "DODU"}) {
        SyncaRecord bad;
        EXPECT_EQ(bad.Parse(Sentence(body).c_str()), 1) << body;
    }
}
