// The log records: which lines each one takes, how many fields it finds bad,
// how many stations it keeps, the values it reads and the rules it works out.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "logs/dasfa.h"
#include "logs/gpgga.h"
#include "logs/gpposa.h"
#include "logs/hdgla.h"
#include "logs/inposa.h"
#include "logs/lcposa.h"
#include "logs/notcha.h"
#include "logs/ptnta.h"
#include "logs/synca.h"
#include "logs/toaa.h"
#include "plots/hdga.h"
#include "sentence_text.h"

namespace {

// n repetitions of a station group, the name alternating between 7499M and 7499X.
std::string Groups(int n, const std::string &rest)
{
    std::string s;
    for (int k = 0; k < n; ++k) s += ",7499" + std::string(k % 2 ? "X" : "M") + rest;
    return s;
}
std::string ToaaStations(int n) { return Groups(n, ",10.5,3.25,0.125,-0.5,0.75,1A2B,12000.1234,-1.5e-3,100.25"); }
std::string Toaa(int count, int n, const std::string &extra = "")
{
    return Sentence("DODU,TOAA,V2.1,1234.5,1.0,2.0,LOCKED,1.5e-7,3.5,4.5," + std::to_string(count) + ToaaStations(n) + extra);
}
std::string Dasfa(int count, int n, const std::string &head = "123456.78,51226,G,52.1,4.3")
{
    return Sentence("DODU,DASFA,V1," + head + "," + std::to_string(count) + Groups(n, ",1.25,0.5"));
}
const std::string kHdglaHead = "DODU,HDGLA,V,1234.5,1.5,2.5,1,0.25,-0.25,1,0,A,123.5,0.5,0.875";
std::string HdglaStations(int n) { return Groups(n, ",350,10,0.5,12.5,0.75,0.125"); }
std::string Pos(const std::string &time, char kind = 'A', const std::string &lat = "52.1")
{
    return Sentence("DODU,LCPOSA,V1," + time + ",7,G," + kind + "," + lat + ",4.5,1.5,90.5,91.5,5,1.25");
}
std::string Rsd(const std::string &time, char kind = 'A', int count = 2, const std::string &residual = "1.5")
{
    return Sentence("DODU,LCRSDA,V1," + time + ",7,G," + kind + "," + std::to_string(count) + Groups(count, "," + residual + ",0.5"));
}

int Kept(const ToaaRecord &r) { return r.StationCount; }
int Kept(const DasfaRecord &r) { return r.StationCount; }
int Kept(const HdglaRecord &r) { return r.StationCount; }
int Kept(const LcrsdaRecord &r) { return r.StoredStations(); }
int Kept(const NotchaRecord &r) { return r.BoundedActiveNotches(); }
template <class R> int Kept(const R &) { return -1; }

struct Outcome {
    int result, kept;
};
template <class R> Outcome Parse(const std::string &line)
{
    R r;
    const int result = r.Parse(line.c_str());
    return {result, Kept(r)};
}

struct Case {
    Outcome (*parse)(const std::string &);
    std::string line;
    int result;
    int kept = -1;   // stations (notches) kept; -1: not checked
};

} // namespace

TEST(Records, WhatEachRecordTakesAndCounts)
{
    std::string badSum = Sentence("DODU,HDGA,1.0,28.37");
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    const Case cases[] = {
        // GPGGA: the unit fields are never read; anything else bad refuses the line.
        {Parse<GpggaRecord>, Sentence("GPGGA,1,2,N,3,E,1,5,0.9x"), 1},
        // HDGA: bare or DODU form, each bad field counted once.
        {Parse<HdgaRecord>, Sentence("HDGA,12:00,x,GG,1.2.3,,0.9q"), 5},
        {Parse<HdgaRecord>, badSum, 1},
        {Parse<HdgaRecord>, "DODU,HDGA,1.0,28.37", 1},
        // TOAA: the station group gate, cut to 30, a bad field stops the stations.
        {Parse<ToaaRecord>, Toaa(3, 2, ",7499M,1,2,3,4"), 1},
        {Parse<ToaaRecord>, Toaa(33, 33), 0, 30},
        {Parse<ToaaRecord>, Toaa(3, 0), 0, 3},
        {Parse<ToaaRecord>, Toaa(-2, 2), 1},
        {Parse<ToaaRecord>, Toaa(2000000000, 2), 0, 30},
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,V,1,1,1,S,1,1,1,1,ABC,1,2,3,4,5,6,7,8,9"), 1},
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,,1.5,1.0,,,,3.5,,1,7499M,,2,3,4,5,6,7,8,9"), 0, 1},
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,S,,0"), 1},   // the old layout counts empty fields
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,S,1,1,7499M,,2,3,4,5,6,7,8,9"), 1},
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,,1,0"), 0},   // except in text
        // DASFA: 14 fields at least; header fields may be empty, station fields not.
        {Parse<DasfaRecord>, Dasfa(1, 1), 1},
        {Parse<DasfaRecord>, Dasfa(4, 3), 1},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,9,7499M,1,2,7499M,1"), 0, 9},
        {Parse<DasfaRecord>, Dasfa(2, 2, ",,,,"), 0, 2},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,2,7499M,,0.5,7499M,1,2"), 1},
        {Parse<DasfaRecord>, Dasfa(2, 2, "1,1.5,G,1,1"), 1},
        // HDGLA: two fields are enough; groups of seven.
        {Parse<HdglaRecord>, Sentence("DODU,HDGLA"), 0, 0},
        {Parse<HdglaRecord>, Sentence("HDGLA"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",2" + HdglaStations(2) + ",x"), 0, 2},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",2" + HdglaStations(1) + ",7499M,1,2,3,4,5"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",1,,1,2,3,4,5,6"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",1,7499M,,,,,,"), 0, 1},
        // NOTCHA: a hostile active count never sizes anything beyond the notches read.
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2,2147483647,70,1,80,1"), 0, 2},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2,-5,70,1,80,1"), 0, 0},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,20,12"), 0, 12},
        {Parse<PtntaRecord>, Sentence("PTNTA,20070809235901,1,,1,5.5"), 1},
        // LCPOSA needs 14 fields; LCRSDA keeps at most 100 triples, what is there of them.
        {Parse<LcposaRecord>, Sentence("DODU,LCPOSA,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5"), 1},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,3" + Groups(2, ",1.5,0.5")), 0, 3},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,120" + Groups(120, ",1.5,0.5")), 0, 100},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,-2" + Groups(2, ",1.5,0.5")), 0, 0},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5,"), 1},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5m,1"), 1},
        // GPPOSA and INPOSA: 14 fields at least; the short form never reads field 18.
        {Parse<GpposaRecord>, Sentence("DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q"), 1},
        {Parse<GpposaRecord>, Sentence("DODU,V,GPPOS,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q"), 0},
        {Parse<InposaRecord>, Sentence("DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4"), 1},
        {Parse<InposaRecord>, Sentence("DODU,V,INPOS,1,1,G,AA,N,52,4,1,2,3,4,5"), 1},
    };
    for (const Case &c : cases) {
        const Outcome o = c.parse(c.line);
        EXPECT_EQ(o.result, c.result) << c.line;
        if (c.kept >= 0) {
            EXPECT_EQ(o.kept, c.kept) << c.line;
        }
    }
}

TEST(Records, ABadStationFieldStopsTheStationsAfterIt)
{
    ToaaRecord t;
    EXPECT_EQ(t.Parse(Sentence("DODU,TOAA,V,1,1,1,S,1,1,1,2,7499M,1,2,3,4,5,XYZ,7,8,9" + ToaaStations(1)).c_str()), 1);
    EXPECT_STREQ(t.Stations[1].Name, "");
    HdglaRecord l;
    EXPECT_EQ(l.Parse(Sentence(kHdglaHead + ",2,7499M,1,2x,3,4,5,6" + HdglaStations(1)).c_str()), 1);
    EXPECT_STREQ(l.Stations[1].Name, "");
    DasfaRecord d;
    EXPECT_EQ(d.Parse(Sentence("DODU,DASFA,V,1,1,G,1,1,2,7499M,x,0.5,7499M,1,2").c_str()), 1);
    EXPECT_STREQ(d.Stations[1].Name, "");
    // A long name keeps five characters, and only they make the code.
    ASSERT_EQ(t.Parse(Toaa(2, 2).c_str()), 0);
    t.Clear();
    EXPECT_STREQ(t.Stations[1].Name, "");
    ASSERT_EQ(l.Parse(Sentence(kHdglaHead + ",1,7499MQ,350,10,0.5,12.5,0.75,0.125").c_str()), 0);
    EXPECT_EQ(l.Stations[0].Code, 749901);
    EXPECT_DOUBLE_EQ(l.Stations[0].Residual(), -160.0);

    LcposaRecord c, copy;
    copy.Position.Height = 12.0;
    ASSERT_EQ(c.Parse(Pos("1", 'G').c_str()), 0);
    c.LoranCount = 9;
    EXPECT_EQ(c.Parse(Sentence("DODU,LCPOSA,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5").c_str()), 1);
    EXPECT_EQ(c.LoranCount, 9);   // refused lines leave the record alone
    copy.CopyFrom(c);
    EXPECT_EQ(copy.Position.Latitude, 52.1);
    EXPECT_EQ(copy.Position.Height, 12.0);   // the height is never copied
}

TEST(Records, IntegratedPositionValidity)
{
    struct Row {
        const char *body;
        int valid;
        char gps, loran;
    };
    for (const Row &r : {Row{"DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4,5", 1, 'A', '\0'}, Row{"DODU,INPOSA,V,1,1,G,NN,52,4,1,2,3,4,5", 0, 'N', 'N'},
                         Row{"DODU,V,INPOS,1,1,G,N,G,52,4,1,2,3,4,5", 1, 'N', 'G'}, Row{"DODU,V,INPOS,1,1,G,A,D,52,,1,2,3,4,5", 0, 'A', 'D'}}) {
        InposaRecord p;
        ASSERT_EQ(p.Parse(Sentence(r.body).c_str()), 0) << r.body;
        EXPECT_EQ(p.PositionValid, r.valid) << r.body;
        EXPECT_EQ(std::string() + p.GpsMode() + p.LoranMode(), std::string() + r.gps + r.loran) << r.body;
    }
}

TEST(Records, ResidualPpsDifferenceAndNotchRules)
{
    for (auto [measured, beam, residual] : {std::tuple{10.0f, 350.0f, -160.0}, {100.0f, 10.0f, -90.0}, {179.0f, 0.0f, -1.0},
                                            {0.0f, 1000.0f, -100.0}, {0.0f, 300.0f, -120.0}, {0.0f, 359.5f, -179.5}})
        EXPECT_DOUBLE_EQ(HdglaResidual(measured, beam), residual) << measured << " " << beam;
    // Worked in double from the floats, not in float.
    EXPECT_DOUBLE_EQ(HdglaResidual(0.1f, 0.0f), static_cast<double>(0.1f) + 270.0 - 180.0 - 90.0);
    for (auto [count, phase, ns] : {std::tuple{15, 12, 12.0}, {15, -600, 2000.0}, {7499985, -600, -2000.0}, {15, 510, 510.0},
                                    {15, -511, 2000.0}, {3750000, 600, -5e8}, {0, 2147483647, 0.0}, {15, -2147483647 - 1, 2000.0}})
        EXPECT_NEAR(PpsDifference(count, phase) * 1e9, ns, 1e-6) << count << " " << phase;
    PtntaRecord r;
    ASSERT_EQ(r.Parse(Sentence("PTNTA,20070809235901,2,x,7499985,-511").c_str()), 0);
    EXPECT_EQ(r.Hour, 23);
    EXPECT_NEAR(r.PpsDiff * 1e9, -2000, 1e-6);

    NotchaRecord n;
    ASSERT_EQ(n.Parse(Sentence("DODU,NOTCHA,V5,99.5,4,3,70.5,1.25,0,2,110,0.5,120,0.75").c_str()), 0);
    EXPECT_EQ(n.ListedNotches(), (std::vector<int>{0, 2, 3}));   // a notch without frequency is not listed
    std::string many = "DODU,NOTCHA,V,1,120,120";
    for (int i = 0; i < 120; ++i) many += "," + std::to_string(10 + i) + ",1";
    ASSERT_EQ(n.Parse(Sentence(many).c_str()), 0);
    EXPECT_EQ(n.ListedNotches().size(), 100u);
}

TEST(LcposaEpoch, ABadLineOfTheEpochInBetweenChangesNothing)
{
    LcposaEpoch e;
    e.AddLine(Pos("1").c_str());
    e.AddLine(Rsd("1").c_str());
    EXPECT_EQ(e.AddLine(Pos("2", 'A', "52").c_str()), 0);
    // A bad line of the same epoch in between changes nothing.
    EXPECT_EQ(e.AddLine(Pos("2", 'A', "5x").c_str()), 0);
    EXPECT_EQ(e.AddLine(Rsd("2", 'A', 2, "bad").c_str()), 0);
    ASSERT_EQ(e.AddLine(Rsd("2", 'A', 3).c_str()), 2);
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 52.0);
    EXPECT_EQ(e.ShownResiduals.StationCount, 3);
}
