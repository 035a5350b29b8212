#include <gtest/gtest.h>

#include <string>

#include "logs/gpposa.h"
#include "logs/inposa.h"
#include "sentence_text.h"

namespace {

const char *kGpposaData = "123456.78,51226,G,A,52.1234567,4.7654321,10.5,47.25,1.5,90.5,91.5,8,1.1,1.2,1.3";

} // namespace

TEST(GpposaRecord, LongAndShortForms)
{
    GpposaRecord longForm;
    ASSERT_EQ(longForm.Parse(Sentence(std::string("DODU,GPPOSA,V7,") + kGpposaData + ",0.75").c_str()), 0);
    GpposaRecord shortForm;
    ASSERT_EQ(shortForm.Parse(Sentence(std::string("DODU,V7,GPPOS,") + kGpposaData + ",0.75").c_str()), 0);
    for (const GpposaRecord *r : {&longForm, &shortForm}) {
        EXPECT_STREQ(r->Version, "V7");
        EXPECT_EQ(r->Time, 123456.78);
        EXPECT_EQ(r->Date, 51226);
        EXPECT_EQ(r->TimeSource, 'G');
        EXPECT_EQ(r->PositionMode, 'A');
        EXPECT_EQ(r->Position.Latitude, 52.1234567);
        EXPECT_EQ(r->Position.Longitude, 4.7654321);
        EXPECT_EQ(r->Position.Height, 0.0);
        EXPECT_EQ(r->Height, 10.5f);
        EXPECT_EQ(r->Compass, 91.5f);
        EXPECT_EQ(r->SVs, 8);
        EXPECT_EQ(r->HDOP, 1.1f);
        EXPECT_EQ(r->PDOP, 1.3f);
    }
    EXPECT_EQ(longForm.Quality, 0.75f);
    EXPECT_EQ(shortForm.Quality, 0.0f);   // the short form carries no quality
}

TEST(GpposaRecord, FourteenFieldsAndResetValues)
{
    GpposaRecord r;
    ASSERT_EQ(r.Parse(Sentence("DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7").c_str()), 0);
    EXPECT_EQ(r.SVs, 0);
    EXPECT_EQ(r.HDOP, 99.9f);
    EXPECT_EQ(r.VDOP, 99.9f);
    EXPECT_EQ(r.PDOP, 99.9f);
    EXPECT_EQ(r.Quality, 0.0f);

    GpposaRecord empty;
    ASSERT_EQ(empty.Parse(Sentence("DODU,GPPOSA,,,,,,,,,,,,").c_str()), 0);
    EXPECT_STREQ(empty.Version, "");
    EXPECT_EQ(empty.TimeSource, 'N');
    EXPECT_EQ(empty.PositionMode, 'N');

    GpposaRecord longVersion;
    ASSERT_EQ(longVersion.Parse(Sentence("DODU,GPPOSA,ABCDEFGHIJKLMNOPQRSTUVWXY,1,1,G,A,1,2,3,4,5,6,7").c_str()), 0);
    EXPECT_STREQ(longVersion.Version, "ABCDEFGHIJKLMNOPQRS");
}

TEST(GpposaRecord, RefusedLinesLeaveTheRecordAlone)
{
    for (const char *body : {"DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6", "DODU,GPPOS,V,1,1,G,A,1,2,3,4,5,6,7",
                             "XXXX,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7"}) {
        GpposaRecord r;
        r.SVs = 42;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
        EXPECT_EQ(r.SVs, 42) << body;
    }
    for (const char *body : {"DODU,GPPOSA,V,1,1,G,A,1,2,3,4,1.2x,6,7", "DODU,GPPOSA,V,1,1,GPS,A,1,2,3,4,5,6,7",
                             "DODU,GPPOSA,V,1,1.5,G,A,1,2,3,4,5,6,7", "DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q"}) {
        GpposaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
    }
    GpposaRecord shortQuality;   // the short form never reads field 18
    EXPECT_EQ(shortQuality.Parse(Sentence("DODU,V,GPPOS,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q").c_str()), 0);

    EXPECT_STREQ(GpposaModeText('A'), "Stand alone");
    EXPECT_STREQ(GpposaModeText('E'), "Eurofix");
    for (char c : {'N', 'D', 'a'}) EXPECT_STREQ(GpposaModeText(c), "No fix") << c;
}

TEST(InposaRecord, BothForms)
{
    InposaRecord current;
    ASSERT_EQ(current.Parse(Sentence("DODU,INPOSA,V2,123456.78,51226,L,AS,52.5,4.5,1,2,3,4,5,7,3,1.5,0.8").c_str()), 0);
    EXPECT_STREQ(current.Version, "V2");
    EXPECT_EQ(current.GpsMode(), 'A');
    EXPECT_EQ(current.LoranMode(), 'S');
    EXPECT_EQ(current.PositionValid, 1);
    EXPECT_EQ(current.Position.Latitude, 52.5);
    EXPECT_EQ(current.Position.Longitude, 4.5);
    EXPECT_EQ(current.Compass, 5.0f);
    EXPECT_EQ(current.SVCount, 7);
    EXPECT_EQ(current.LoranCount, 3);
    EXPECT_EQ(current.HDOP, 1.5f);
    EXPECT_EQ(current.Quality, 0.8f);

    InposaRecord old;
    ASSERT_EQ(old.Parse(Sentence("DODU,V1,INPOS,123456.78,51226,G,A,D,52.5,4.5,1,2,3,4,5,7,3").c_str()), 0);
    EXPECT_STREQ(old.Version, "V1");
    EXPECT_EQ(old.GpsMode(), 'A');
    EXPECT_EQ(old.LoranMode(), 'D');
    EXPECT_EQ(old.PositionValid, 1);
    EXPECT_EQ(old.Position.Latitude, 52.5);
    EXPECT_EQ(old.Compass, 5.0f);
    EXPECT_EQ(old.SVCount, 7);
    EXPECT_EQ(old.LoranCount, 3);
    EXPECT_EQ(old.HDOP, 0.0f);
    EXPECT_EQ(old.Quality, 0.0f);
}

TEST(InposaRecord, PositionValidity)
{
    struct Case { const char *body; int valid; char gps; char loran; };
    const Case cases[] = {
        {"DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4,5", 1, 'A', '\0'},
        {"DODU,INPOSA,V,1,1,G,NS,52,4,1,2,3,4,5", 1, 'N', 'S'},
        {"DODU,INPOSA,V,1,1,G,NN,52,4,1,2,3,4,5", 0, 'N', 'N'},
        {"DODU,INPOSA,V,1,1,G,N,52,4,1,2,3,4,5", 0, 'N', '\0'},
        {"DODU,INPOSA,V,1,1,G,,52,4,1,2,3,4,5", 0, 'N', '\0'},
        {"DODU,INPOSA,V,1,1,G,AS,,4,1,2,3,4,5", 0, 'A', 'S'},
        {"DODU,INPOSA,V,1,1,G,AS,52,,1,2,3,4,5", 0, 'A', 'S'},
        {"DODU,V,INPOS,1,1,G,A,N,52,4,1,2,3,4,5", 1, 'A', 'N'},
        {"DODU,V,INPOS,1,1,G,N,G,52,4,1,2,3,4,5", 1, 'N', 'G'},
        {"DODU,V,INPOS,1,1,G,N,N,52,4,1,2,3,4,5", 0, 'N', 'N'},
        {"DODU,V,INPOS,1,1,G,,,52,4,1,2,3,4,5", 0, 'N', 'N'},
        // Old form without a latitude or longitude: no position, whatever the modes.
        {"DODU,V,INPOS,1,1,G,A,D,,,1,2,3,4,5", 0, 'A', 'D'},
        {"DODU,V,INPOS,1,1,G,A,D,52,,1,2,3,4,5", 0, 'A', 'D'},
    };
    for (const Case &c : cases) {
        InposaRecord r;
        ASSERT_EQ(r.Parse(Sentence(c.body).c_str()), 0) << c.body;
        EXPECT_EQ(r.PositionValid, c.valid) << c.body;
        EXPECT_EQ(r.GpsMode(), c.gps) << c.body;
        EXPECT_EQ(r.LoranMode(), c.loran) << c.body;
    }
    InposaRecord longModes;
    ASSERT_EQ(longModes.Parse(Sentence("DODU,INPOSA,V,1,1,G,ASXYZQRS,52,4,1,2,3,4,5").c_str()), 0);
    EXPECT_STREQ(longModes.Modes, "ASXYZ");
}

TEST(InposaRecord, RefusedAndBadLinesAndTexts)
{
    for (const char *body : {"DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4", "DODU,INPOS,V,1,1,G,A,52,4,1,2,3,4,5"}) {
        InposaRecord r;
        r.SVCount = 5;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
        EXPECT_EQ(r.SVCount, 5) << body;
    }
    for (const char *body : {"DODU,INPOSA,V,1,1,G,A,5x,4,1,2,3,4,5", "DODU,V,INPOS,1,1,G,AA,N,52,4,1,2,3,4,5",
                             "DODU,V,INPOS,1,1,G,A,N,52,4,1,2,3,4,5,7,3.5", "DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4,5,7,3,1,q"}) {
        InposaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
    }
    EXPECT_STREQ(InposaGpsModeText('W'), "WAAS/EGNOS");
    EXPECT_STREQ(InposaGpsModeText('N'), "Not included");
    EXPECT_STREQ(InposaLoranModeText('G'), "GPS Calibrated");
    EXPECT_STREQ(InposaLoranModeText('S'), "ASF Corrected");
    EXPECT_STREQ(InposaLoranModeText('\0'), "Not included");
    EXPECT_STREQ(InposaLoranModeText('N'), "Not included");

    InposaRecord r;
    ASSERT_EQ(r.Parse(Sentence("DODU,INPOSA,V2,1,51226,L,AS,52.5,4.5,1,2,3,4,5,7,3,1.5,0.8").c_str()), 0);
    r.Clear();
    EXPECT_STREQ(r.Modes, "N");
    EXPECT_EQ(r.TimeSource, 'N');
    EXPECT_EQ(r.PositionValid, 0);
    EXPECT_EQ(r.Position.Latitude, 0.0);
    EXPECT_EQ(r.Quality, 0.0f);
}
