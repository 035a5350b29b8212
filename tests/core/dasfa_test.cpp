#include <gtest/gtest.h>

#include <string>

#include "logs/dasfa.h"
#include "sentence_text.h"

namespace {

std::string Stations(int n)
{
    std::string s;
    for (int k = 0; k < n; ++k) s += ",7499" + std::string(k % 2 ? "X" : "M") + "," + std::to_string(k) + ".25,0.5";
    return s;
}

std::string Current(int count, int n, const std::string &head = "123456.78,51226,G,52.1,4.3")
{
    return Sentence("DODU,DASFA,V1," + head + "," + std::to_string(count) + Stations(n));
}

} // namespace

TEST(DasfaRecord, BothFormsReadTheSameData)
{
    for (std::string line : {Current(2, 2), Sentence("DODU,V1,DASF,123456.78,51226,G,52.1,4.3,2" + Stations(2))}) {
        DasfaRecord r;
        ASSERT_EQ(r.Parse(line.c_str()), 0) << line;
        EXPECT_STREQ(r.Version, "V1");
        EXPECT_EQ(r.Time, 123456.78);
        EXPECT_EQ(r.Date, 51226);
        EXPECT_EQ(r.TimeSource, 'G');
        EXPECT_EQ(r.Latitude, 52.1);
        EXPECT_EQ(r.Longitude, 4.3);
        EXPECT_EQ(r.PositionValid, 1);
        ASSERT_EQ(r.StationCount, 2);
        EXPECT_STREQ(r.Stations[1].Name, "7499X");
        EXPECT_EQ(r.Stations[1].Code, 749906);
        EXPECT_EQ(r.Stations[1].DASF, 1.25f);
        EXPECT_EQ(r.Stations[1].Quality, 0.5f);
    }
}

TEST(DasfaRecord, MinimumOfFourteenFieldsAndIdentifiers)
{
    struct Case { std::string line; int result; };
    const Case cases[] = {
        {Current(1, 1), 1},                                                    // 12 fields
        {Sentence("DODU,DASFA,V,1,1,G,1,1,1,7499M,1,2,x,y"), 1},               // 14 fields, q = 5
        {Sentence("DODU,DASFA,V,1,1,G,1,1,0,x,y,z,w,v"), 0},                   // 14 fields, no stations
        {Sentence("DODU,DASF,V,1,1,G,1,1,2" + Stations(2)), 1},                // identifier in the wrong place
        {Sentence("XXXX,DASFA,V,1,1,G,1,1,2" + Stations(2)), 1},
        {Sentence("dodu,dasfa,V,1,1,G,1,1,2" + Stations(2)), 0},
    };
    for (const Case &c : cases) {
        DasfaRecord r;
        EXPECT_EQ(r.Parse(c.line.c_str()), c.result) << c.line;
    }
}

TEST(DasfaRecord, StationGroupRule)
{
    struct Case { const char *what; std::string line; int result; int count; };
    const Case cases[] = {
        {"surplus field tolerated", Sentence("DODU,DASFA,V,1,1,G,1,1,2" + Stations(2) + ",7"), 0, 2},
        {"4 announced, 3 present: q = 2", Current(4, 3), 1, -1},
        {"33 cut to 30", Current(33, 33), 0, 30},
        {"fewer fields than stations", Sentence("DODU,DASFA,V,1,1,G,1,1,9,7499M,1,2,7499M,1"), 0, 9},
        {"negative count", Current(-2, 2), 1, -1},
        {"negative count, q = 0", Sentence("DODU,DASFA,V,1,1,G,1,1,-9,7499M,1,2,7499M,1"), 0, 0},
    };
    for (const Case &c : cases) {
        DasfaRecord r;
        EXPECT_EQ(r.Parse(c.line.c_str()), c.result) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(r.StationCount, c.count) << c.what;
        }
    }
    DasfaRecord stop;   // a bad header field stops the stations
    EXPECT_EQ(stop.Parse(Current(2, 2, "1,1,G,5x,1").c_str()), 1);
    EXPECT_STREQ(stop.Stations[0].Name, "");
}

TEST(DasfaRecord, EmptyFieldsHeaderSkippedStationsStrict)
{
    DasfaRecord r;
    ASSERT_EQ(r.Parse(Current(2, 2, ",,,,").c_str()), 0);
    EXPECT_EQ(r.Time, 0.0);
    EXPECT_EQ(r.TimeSource, 'N');
    EXPECT_EQ(r.PositionValid, 0);

    DasfaRecord noLat;
    ASSERT_EQ(noLat.Parse(Current(2, 2, "1,1,G,,4.3").c_str()), 0);
    EXPECT_EQ(noLat.PositionValid, 0);
    DasfaRecord badLat;   // counted, but the flag only looks at presence
    EXPECT_EQ(badLat.Parse(Sentence("DODU,DASFA,V,1,1,G,5x,4.3,0,a,b,c,d,e").c_str()), 1);
    EXPECT_EQ(badLat.PositionValid, 1);

    for (const char *stations : {",7499M,,0.5,7499M,1,2", ",7499M,1,,7499M,1,2", ",,1,2,7499M,1,2",
                                 ",7499M,1x,0.5,7499M,1,2", ",ABC,1,0.5,7499M,1,2"}) {
        DasfaRecord s;
        EXPECT_EQ(s.Parse(Sentence(std::string("DODU,DASFA,V,1,1,G,1,1,2") + stations).c_str()), 1) << stations;
    }
}

TEST(DasfaRecord, LettersInHeaderFieldsAndReset)
{
    for (const char *head : {"1x,1,G,1,1", "1,1.5,G,1,1", "1,1,GG,1,1", "1,1,G,1,e"}) {
        DasfaRecord r;
        EXPECT_EQ(r.Parse(Current(2, 2, head).c_str()), 1) << head;
    }
    DasfaRecord r;
    ASSERT_EQ(r.Parse(Current(2, 2).c_str()), 0);
    r.Clear();
    EXPECT_STREQ(r.Version, "");
    EXPECT_EQ(r.Time, 0.0);
    EXPECT_EQ(r.Date, 0);
    EXPECT_EQ(r.TimeSource, 'N');
    EXPECT_EQ(r.Latitude, 0.0);
    EXPECT_EQ(r.PositionValid, 0);
    EXPECT_EQ(r.StationCount, 0);
    EXPECT_STREQ(r.Stations[0].Name, "");
    EXPECT_EQ(r.Stations[1].DASF, 0.0f);
}
