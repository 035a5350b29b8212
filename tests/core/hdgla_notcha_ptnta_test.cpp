#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logs/hdgla.h"
#include "logs/notcha.h"
#include "logs/ptnta.h"
#include "sentence_text.h"

namespace {

const char *kHdglaHeader = "1234.5,1.5,2.5,1,0.25,-0.25,1,0,A,123.5,0.5,0.875";

std::string HdglaStations(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += ",7499" + std::string(i % 2 ? "X" : "M") + ",350,10,0.5,12.5,0.75,0.125";
    return s;
}

} // namespace

TEST(HdglaRecord, BareAndDoduForms)
{
    HdglaRecord bare;
    ASSERT_EQ(bare.Parse(Sentence(std::string("HDGLA,") + kHdglaHeader + ",2" + HdglaStations(2)).c_str()), 0);
    HdglaRecord dodu;
    ASSERT_EQ(dodu.Parse(Sentence(std::string("DODU,HDGLA,V4,") + kHdglaHeader + ",2" + HdglaStations(2)).c_str()), 0);
    EXPECT_STREQ(bare.Version, "");
    EXPECT_STREQ(dodu.Version, "V4");
    for (const HdglaRecord *r : {&bare, &dodu}) {
        EXPECT_EQ(r->Timestamp, 1234.5);
        EXPECT_EQ(r->UpdateInterval, 1.5f);
        EXPECT_EQ(r->PositionValid, 1);
        EXPECT_EQ(r->CiNegative, -0.25f);
        EXPECT_EQ(r->AmbiguitySolved, 1);
        EXPECT_EQ(r->AntennaUpsideDown, 0);
        EXPECT_EQ(r->Mode, 'A');
        EXPECT_EQ(r->Heading, 123.5f);
        EXPECT_EQ(r->Quality, 0.875f);
        ASSERT_EQ(r->StationCount, 2);
        EXPECT_STREQ(r->Stations[1].Name, "7499X");
        EXPECT_EQ(r->Stations[1].Code, 749906);
        EXPECT_EQ(r->Stations[1].BeamOrientation, 350.0f);
        EXPECT_EQ(r->Stations[1].MeasuredHeading, 10.0f);
        EXPECT_EQ(r->Stations[1].Weight, 0.125f);
        EXPECT_DOUBLE_EQ(r->Stations[1].Residual(), -160.0);
    }
}

TEST(HdglaRecord, FieldCountsAndStationGroups)
{
    struct Case { const char *what; std::string line; int result; int count; int named; };
    const std::string head = std::string("DODU,HDGLA,V,") + kHdglaHeader;
    const Case cases[] = {
        {"only DODU and HDGLA", Sentence("DODU,HDGLA"), 0, 0, 0},
        {"one field", Sentence("HDGLA"), 1, -1, -1},
        {"one field DODU", Sentence("DODU"), 1, -1, -1},
        {"count 3 without station fields", Sentence(head + ",3"), 0, 3, 0},
        {"one surplus field", Sentence(head + ",2" + HdglaStations(2) + ",x"), 0, 2, 2},
        {"13 station fields", Sentence(head + ",2" + HdglaStations(1) + ",7499M,1,2,3,4,5"), 1, -1, -1},
        {"40 stations", Sentence(head + ",40" + HdglaStations(40)), 0, 30, 30},
        {"negative count", Sentence(head + ",-2" + HdglaStations(2)), 1, -1, -1},
        {"negative count, no fields", Sentence(head + ",-2"), 0, 0, 0},
        {"bad CI positive", Sentence("DODU,HDGLA,V,1,1,1,1,x,1,1,1,A,1,1,1,2" + HdglaStations(2)), 1, -1, 0},
        {"not a station", Sentence(head + ",1,ABC,1,2,3,4,5,6"), 1, -1, -1},
        {"empty name", Sentence(head + ",1,,1,2,3,4,5,6"), 1, -1, -1},
        {"empty station values", Sentence(head + ",1,7499M,,,,,,"), 0, 1, 1},
        {"wrong sentence", Sentence("DODU,HDGA,V"), 1, -1, -1},
    };
    for (const Case &c : cases) {
        HdglaRecord r;
        EXPECT_EQ(r.Parse(c.line.c_str()), c.result) << c.what;
        if (c.count >= 0) {
            EXPECT_EQ(r.StationCount, c.count) << c.what;
        }
        for (int i = 0; c.named >= 0 && i < HdglaRecord::MaxStations; ++i)
            EXPECT_EQ(r.Stations[i].Name[0] != '\0', i < c.named) << c.what << " station " << i;
    }
    // A bad field of station 0 stops station 1.
    HdglaRecord stop;
    EXPECT_EQ(stop.Parse(Sentence(head + ",2,7499M,1,2x,3,4,5,6" + HdglaStations(1)).c_str()), 1);
    EXPECT_STREQ(stop.Stations[1].Name, "");
    // A long name keeps five characters, and only they make the code.
    HdglaRecord longName;
    ASSERT_EQ(longName.Parse(Sentence(head + ",1,7499MQ,1,2,3,4,5,6").c_str()), 0);
    EXPECT_STREQ(longName.Stations[0].Name, "7499M");
    EXPECT_EQ(longName.Stations[0].Code, 749901);

    HdglaRecord cleared;
    ASSERT_EQ(cleared.Parse(Sentence("DODU,HDGLA").c_str()), 0);
    EXPECT_EQ(cleared.Mode, 'N');
    EXPECT_EQ(cleared.Timestamp, 0.0);
    EXPECT_EQ(cleared.PositionValid, 0);
    EXPECT_EQ(cleared.Stations[0].Code, 0);
}

TEST(HdglaRecord, ResidualKeepsTheSignOfCFmod)
{
    struct Case { float measured, beam; double residual; };
    for (Case c : {Case{10, 350, -160.0},   // fmod(-70, 180) - 90
                   {0, 0, 0.0},             // cleared entries show 0
                   {100, 10, -90.0},
                   {45, 0, 45.0},
                   {179, 0, -1.0},
                   {0, 1000, -100.0},      // fmod(-730, 180) = -10: below -90
                   {0, 300, -120.0},        // fmod(-30, 180): negative
                   {0, 359.5f, -179.5}}) {
        EXPECT_DOUBLE_EQ(HdglaResidual(c.measured, c.beam), c.residual) << c.measured << " " << c.beam;
    }
    // Worked in double from the floats, not in float.
    EXPECT_DOUBLE_EQ(HdglaResidual(0.1f, 0.0f), static_cast<double>(0.1f) + 270.0 - 180.0 - 90.0);
}

TEST(NotchaRecord, NotchesListedAndBounded)
{
    NotchaRecord r;
    ASSERT_EQ(r.Parse(Sentence("DODU,NOTCHA,V5,99.5,4,3,70.5,1.25,0,2,110,0.5,120,0.75").c_str()), 0);
    EXPECT_STREQ(r.Version, "V5");
    EXPECT_EQ(r.Timestamp, 99.5);
    EXPECT_EQ(r.NumNotches, 4);
    EXPECT_EQ(r.ActiveNotches, 3);
    EXPECT_EQ(r.Notches[0].Frequency, 70.5f);
    EXPECT_EQ(r.Notches[3].Bandwidth, 0.75f);
    EXPECT_EQ(r.ListedNotches(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(r.BoundedActiveNotches(), 3);

    NotchaRecord zeroBandwidth;
    ASSERT_EQ(zeroBandwidth.Parse(Sentence("DODU,NOTCHA,V,1,2,2,70,0,80,1").c_str()), 0);
    EXPECT_EQ(zeroBandwidth.ListedNotches(), (std::vector<int>{1}));

    NotchaRecord cut;   // the line ends after the first notch
    ASSERT_EQ(cut.Parse(Sentence("DODU,NOTCHA,V,1,3,3,70,1").c_str()), 0);
    EXPECT_EQ(cut.ListedNotches(), (std::vector<int>{0}));

    std::string many = "DODU,NOTCHA,V,1,120,120";
    for (int i = 0; i < 120; ++i) many += "," + std::to_string(10 + i) + ",1";
    NotchaRecord limited;
    ASSERT_EQ(limited.Parse(Sentence(many).c_str()), 0);
    EXPECT_EQ(limited.NumNotches, 100);
    EXPECT_EQ(limited.ListedNotches().size(), 100u);
    EXPECT_EQ(limited.BoundedActiveNotches(), 100);

    // A hostile active count never sizes anything beyond the notches read.
    struct Case { const char *body; int bounded; };
    for (Case c : {Case{"DODU,NOTCHA,V,1,2,2147483647,70,1,80,1", 2}, {"DODU,NOTCHA,V,1,2,-5,70,1,80,1", 0},
                   {"DODU,NOTCHA,V,1,-3,12", 0}, {"DODU,NOTCHA,V,1,,12", 0}, {"DODU,NOTCHA,V,1,20,12", 12}}) {
        NotchaRecord h;
        ASSERT_EQ(h.Parse(Sentence(c.body).c_str()), 0) << c.body;
        EXPECT_EQ(h.BoundedActiveNotches(), c.bounded) << c.body;
        EXPECT_TRUE(h.ListedNotches().size() <= 100u);
    }
}

TEST(NotchaRecord, BadLines)
{
    for (const char *body : {"DODU,NOTCHA,V,1,2", "DODU,NOTCHB,V,1,2,2", "NOTCHA,V,1,2,2,2", "DODU,NOTCHA,V,1,2,2,70,1x",
                             "DODU,NOTCHA,V,1,2.5,2", "DODU,NOTCHA,V,t,2,2"}) {
        NotchaRecord r;
        EXPECT_EQ(r.Parse(Sentence(body).c_str()), 1) << body;
    }
    NotchaRecord empty;
    ASSERT_EQ(empty.Parse(Sentence("DODU,NOTCHA,,,,,").c_str()), 0);
    EXPECT_EQ(empty.NumNotches, 0);
    EXPECT_TRUE(empty.ListedNotches().empty());
}

TEST(PtntaRecord, TimeStampCountsAndPhase)
{
    PtntaRecord r;
    ASSERT_EQ(r.Parse(Sentence("PTNTA,20070809235901,2,x,0012345,-7,1.5,2.5").c_str()), 0);
    EXPECT_EQ(r.Year, 2007);
    EXPECT_EQ(r.Month, 8);
    EXPECT_EQ(r.Day, 9);
    EXPECT_EQ(r.Hour, 23);
    EXPECT_EQ(r.Minute, 59);
    EXPECT_EQ(r.Second, 1);
    EXPECT_STREQ(r.QualityText(), "2: Disciplined");
    EXPECT_EQ(r.PpsCount, 12345);
    EXPECT_EQ(r.Phase, -7);
    EXPECT_DOUBLE_EQ(r.PpsDiff, -7e-9);
    EXPECT_EQ(r.Value6, 1.5f);
    EXPECT_EQ(r.Value7, 2.5f);

    PtntaRecord onlyTime;
    ASSERT_EQ(onlyTime.Parse(Sentence("ptnta,20070809235901").c_str()), 0);
    EXPECT_STREQ(onlyTime.QualityText(), "0: Rb line not locked");
    EXPECT_EQ(onlyTime.PpsCount, 0);
    EXPECT_EQ(onlyTime.Phase, 0);
    EXPECT_EQ(onlyTime.PpsDiff, 0.0);

    PtntaRecord empty;
    ASSERT_EQ(empty.Parse(Sentence("PTNTA").c_str()), 0);
    EXPECT_EQ(empty.Year, 2000);
    EXPECT_EQ(empty.Month, 1);
    EXPECT_EQ(empty.Day, 1);

    for (const char *body : {"PTNTA,2007080923", "PTNTA,20070809235901,1x", "PTNTA,20070809235901,1,,abc",
                             "PTNTA,20070809235901,1,,1,5.5", "PTNTA,20070809235901,1,,1,5,q", "DODU,PTNTA"}) {
        PtntaRecord bad;
        EXPECT_GE(bad.Parse(Sentence(body).c_str()), 1) << body;
    }
    PtntaRecord q;
    for (int quality : {1, 3, -1}) {
        q.Quality = quality;
        EXPECT_STREQ(q.QualityText(), quality == 1 ? "1: Free run" : "Unknown quality") << quality;
    }
}

TEST(PtntaRecord, PpsDifferenceRule)
{
    struct Case { int32_t count; int32_t phase; double nanoseconds; };
    for (Case c : {Case{15, 12, 12}, {15, -600, 2000}, {7499985, -600, -2000}, {15, 510, 510}, {15, -510, -510},
                   {15, 511, 2000}, {15, -511, 2000}, {3750000, 600, -5e8}, {0, 2147483647, 0},
                   {15, -2147483647 - 1, 2000}}) {
        EXPECT_NEAR(PpsDifference(c.count, c.phase) * 1e9, c.nanoseconds, 1e-6) << c.count << " " << c.phase;
    }
    PtntaRecord r;   // Parse uses the same rule
    ASSERT_EQ(r.Parse(Sentence("PTNTA,20070809235901,1,,7499985,-511").c_str()), 0);
    EXPECT_NEAR(r.PpsDiff * 1e9, -2000, 1e-6);
}
