#include <gtest/gtest.h>

#include <string>

#include "logs/toaa.h"
#include "sentence_text.h"

namespace {

std::string StationFields(int k)
{
    // Name, SS, SNR, B-Q, ECD, CI-Q, State, TOA, Doppler, LockTime
    std::string name = k % 2 ? "7499X" : "7499M";
    return name + "," + std::to_string(10 + k) + ".5,3.25,0.125,-0.5,0.75,1A2B," + std::to_string(12000 + k) +
           ".1234,-1.5e-3,100.25";
}

std::string Stations(int n)
{
    std::string s;
    for (int k = 0; k < n; ++k) s += "," + StationFields(k);
    return s;
}

// Current layout header with `count` announced and `n` stations' fields.
std::string Current(int count, int n, const std::string &extra = "")
{
    return Sentence("DODU,TOAA,V2.1,1234.5,1.0,2.0,LOCKED,1.5e-7,3.5,4.5," + std::to_string(count) + Stations(n) +
                    extra);
}

std::string Old(int count, int n, const std::string &extra = "")
{
    return Sentence("TOAA,1234.5,1.0,2.0,LOCKED,1.5e-7," + std::to_string(count) + Stations(n) + extra);
}

} // namespace

TEST(ToaaRecord, CurrentLayoutReadsHeaderAndStations)
{
    ToaaRecord r;
    ASSERT_EQ(r.Parse(Current(2, 2).c_str()), 0);
    EXPECT_STREQ(r.Version, "V2.1");
    EXPECT_EQ(r.Timestamp, 1234.5);
    EXPECT_EQ(r.UpdateInterval, 1.0);
    EXPECT_EQ(r.IntegrationTime, 2.0);
    EXPECT_STREQ(r.ClockStatus, "LOCKED");
    EXPECT_EQ(r.ClockError, 1.5e-7);
    EXPECT_EQ(r.NoiseLoop1, 3.5f);
    EXPECT_EQ(r.NoiseLoop2, 4.5f);
    ASSERT_EQ(r.StationCount, 2);
    EXPECT_STREQ(r.Stations[0].Name, "7499M");
    EXPECT_EQ(r.Stations[0].Code, 749901);
    EXPECT_EQ(r.Stations[0].SS, 10.5f);
    EXPECT_EQ(r.Stations[0].SNR, 3.25f);
    EXPECT_EQ(r.Stations[0].BQ, 0.125f);
    EXPECT_EQ(r.Stations[0].ECD, -0.5f);
    EXPECT_EQ(r.Stations[0].CIQ, 0.75f);
    EXPECT_EQ(r.Stations[0].State, 0x1A2Bu);
    EXPECT_EQ(r.Stations[0].TOA, 12000.1234);
    EXPECT_EQ(r.Stations[0].Doppler, -1.5e-3);
    EXPECT_EQ(r.Stations[0].LockTime, 100.25);
    EXPECT_STREQ(r.Stations[1].Name, "7499X");
    EXPECT_EQ(r.Stations[1].Code, 749906);
    EXPECT_EQ(r.Stations[1].TOA, 12001.1234);
}

TEST(ToaaRecord, OldLayoutLeavesVersionAndNoiseAlone)
{
    ToaaRecord r;
    ASSERT_EQ(r.Parse(Old(1, 1).c_str()), 0);
    EXPECT_STREQ(r.Version, "");
    EXPECT_EQ(r.NoiseLoop1, 0.0f);
    EXPECT_EQ(r.Timestamp, 1234.5);
    EXPECT_STREQ(r.ClockStatus, "LOCKED");
    ASSERT_EQ(r.StationCount, 1);
    EXPECT_STREQ(r.Stations[0].Name, "7499M");

    // Parse does not clear: the old layout keeps what an earlier line left.
    ToaaRecord reused;
    ASSERT_EQ(reused.Parse(Current(0, 0).c_str()), 0);
    ASSERT_EQ(reused.Parse(Old(0, 0).c_str()), 0);
    EXPECT_STREQ(reused.Version, "V2.1");
    EXPECT_EQ(reused.NoiseLoop2, 4.5f);
}

TEST(ToaaRecord, StationGroupRule)
{
    struct Case { const char *what; std::string line; int result; int count; int readNames; };
    std::string cut29 = Current(3, 2, "," + StationFields(2).substr(0, StationFields(2).rfind(',')));
    const Case cases[] = {
        {"exact", Current(2, 2), 0, 2, 2},
        {"one surplus field tolerated", Current(2, 2, ",9"), 0, 2, 2},
        {"q = 8 refused", Current(3, 2, ",7499M,1,2,3,4"), 1, -1, -1},
        {"33 stations cut to 30", Current(33, 33), 0, 30, 30},
        {"old layout cut to 30", Old(31, 31), 0, 30, 30},
        {"count 0", Current(0, 0), 0, 0, 0},
        {"count without station fields", Current(3, 0), 0, 3, 0},
        {"negative count with fields refused", Current(-2, 2), 1, -1, -1},
        {"negative count without fields", Current(-3, 0), 0, 0, 0},
        {"huge count", Current(2000000000, 2), 0, 30, 0},
    };
    for (const Case &c : cases) {
        ToaaRecord r;
        EXPECT_EQ(r.Parse(c.line.c_str()), c.result) << c.what;
        if (c.result != 0) continue;
        EXPECT_EQ(r.StationCount, c.count) << c.what;
        for (int k = 0; k < ToaaRecord::MaxStations; ++k)
            EXPECT_EQ(r.Stations[k].Name[0] != '\0', k < c.readNames) << c.what << " station " << k;
    }
    ToaaRecord r;
    EXPECT_EQ(r.Parse(cut29.c_str()), 1);   // 3 stations, 29 station fields: q = 9
}

TEST(ToaaRecord, ABadFieldStopsTheStations)
{
    // Letters in the timestamp: no station is read.
    ToaaRecord header;
    std::string line = Sentence("DODU,TOAA,V,12x4,1.0,2.0,S,1.0,1,1,2" + Stations(2));
    EXPECT_EQ(header.Parse(line.c_str()), 1);
    EXPECT_STREQ(header.Stations[0].Name, "");

    // A bad field in station 0: station 1 is not read.
    ToaaRecord station;
    line = Sentence("DODU,TOAA,V,1,1.0,2.0,S,1.0,1,1,2,7499M,1,2,3,4,5,XYZ,7,8,9," + StationFields(1));
    EXPECT_EQ(station.Parse(line.c_str()), 1);
    EXPECT_STREQ(station.Stations[0].Name, "7499M");
    EXPECT_STREQ(station.Stations[1].Name, "");

    // A station name that is no station id.
    ToaaRecord name;
    line = Sentence("DODU,TOAA,V,1,1.0,2.0,S,1.0,1,1,1,ABC,1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(name.Parse(line.c_str()), 1);
}

TEST(ToaaRecord, EmptyFieldsCurrentVersusOldLayout)
{
    ToaaRecord current;
    std::string line = Sentence("DODU,TOAA,,1.5,1.0,,,,3.5,,1,7499M,,2,3,4,5,6,7,8,9");
    ASSERT_EQ(current.Parse(line.c_str()), 0);
    EXPECT_EQ(current.ClockError, 0.0);
    EXPECT_EQ(current.IntegrationTime, 0.0);
    EXPECT_STREQ(current.ClockStatus, "");
    EXPECT_EQ(current.Stations[0].SS, 0.0f);
    EXPECT_EQ(current.Stations[0].SNR, 2.0f);

    // An empty count field keeps 0: no stations, header only.
    ToaaRecord noCount;
    EXPECT_EQ(noCount.Parse(Sentence("DODU,TOAA,V,1,1,1,S,1,1,1,").c_str()), 0);
    EXPECT_EQ(noCount.StationCount, 0);

    // The old layout counts every empty field, header or station.
    for (const char *body : {"TOAA,1,1,1,S,,0", "TOAA,,1,1,S,1,0", "TOAA,1,1,1,S,1,",
                             "TOAA,1,1,1,S,1,1,7499M,,2,3,4,5,6,7,8,9", "TOAA,1,1,1,S,1,1,,1,2,3,4,5,6,7,8,9"}) {
        ToaaRecord old;
        EXPECT_GE(old.Parse(Sentence(body).c_str()), 1) << body;
    }
    ToaaRecord emptyStatus;   // a text field is never bad
    EXPECT_EQ(emptyStatus.Parse(Sentence("TOAA,1,1,1,,1,0").c_str()), 0);
}

TEST(ToaaRecord, LettersInNumericFields)
{
    // Each numeric header field of the current layout in turn.
    for (int field = 3; field <= 10; ++field) {
        if (field == 6) continue;   // clock status is text
        std::string fields[] = {"DODU", "TOAA", "V", "1", "1", "1", "S", "1", "1", "1", "0"};
        fields[field] = "1a";
        std::string body;
        for (const std::string &s : fields) body += (body.empty() ? "" : ",") + s;
        ToaaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << "field " << field;
    }
    // Each numeric station field.
    for (int field = 1; field <= 9; ++field) {
        std::string station[] = {"7499M", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        station[field] = "x";
        std::string body = "DODU,TOAA,V,1,1,1,S,1,1,1,1";
        for (const std::string &s : station) body += "," + s;
        ToaaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << "station field " << field;
    }
}

TEST(ToaaRecord, NotATOAALineAndReset)
{
    for (std::string line : {std::string(""), std::string("garbage"), Sentence("DODU,TOAA,V,1,1,1,S,1,1,1"),
                             Sentence("TOAA,1,1,1,S,1"), Sentence("DODU,DASFA,V,1,1,1,S,1,1,1,0"),
                             Current(0, 0).replace(3, 1, "X")}) {
        ToaaRecord r;
        EXPECT_EQ(r.Parse(line.c_str()), 1) << line;
    }
    ToaaRecord lower;
    EXPECT_EQ(lower.Parse(Sentence("dodu,toaa,V,1,1,1,S,1,1,1,0").c_str()), 0);

    ToaaRecord r;
    ASSERT_EQ(r.Parse(Current(3, 3).c_str()), 0);
    r.Clear();
    EXPECT_STREQ(r.Version, "");
    EXPECT_STREQ(r.ClockStatus, "");
    EXPECT_EQ(r.Timestamp, 0.0);
    EXPECT_EQ(r.ClockError, 0.0);
    EXPECT_EQ(r.NoiseLoop1, 0.0f);
    EXPECT_EQ(r.StationCount, 0);
    for (const ToaaRecord::StationEntry &s : r.Stations) {
        EXPECT_STREQ(s.Name, "");
        EXPECT_EQ(s.Code, 0);
        EXPECT_EQ(s.State, 0u);
        EXPECT_EQ(s.TOA, 0.0);
        EXPECT_EQ(s.LockTime, 0.0);
    }
}
