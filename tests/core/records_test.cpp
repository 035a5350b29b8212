// The log records: which lines each one takes, how many fields it finds bad,
// how many stations it keeps, the values it reads and the rules it works out.
#include <gtest/gtest.h>

#include <string>
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
std::string OldToaa(int count, int n) { return Sentence("TOAA,1234.5,1.0,2.0,LOCKED,1.5e-7," + std::to_string(count) + ToaaStations(n)); }
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
        {Parse<GpggaRecord>, Sentence("GPGGA,,,,,,0,,,,M,,M,,"), 0},
        {Parse<GpggaRecord>, Sentence("gpgga,1,2,N,3,E,1,5,0.9"), 0},
        {Parse<GpggaRecord>, Sentence("GPGGA,1,2,N,3,E,1,5,0.9,1,metres,2,feet,3,4"), 0},
        {Parse<GpggaRecord>, Sentence("GPGGA,1,2,N,3,E,1,5,0.9x"), 1},
        {Parse<GpggaRecord>, Sentence("GPGGA,1,2,NS,3,E"), 1},
        {Parse<GpggaRecord>, Sentence("GPGGA,1,2,N,3,E,1.5"), 1},
        {Parse<GpggaRecord>, Sentence("GNGGA,1"), 1},
        {Parse<GpggaRecord>, Sentence("DODU,GPGGA"), 1},
        {Parse<SyncaRecord>, Sentence("DODU,SYNCA,V,1,GPS"), 0},
        {Parse<SyncaRecord>, Sentence("DODU,SYNCA,V,1,GPS,20x4"), 1},
        {Parse<SyncaRecord>, Sentence("DODU,SYNCA,V,1,GPS,2024,1,1,1,1,1,1,yes"), 1},
        {Parse<SyncaRecord>, Sentence("DODU,SYNCB,V"), 1},
        // HDGA: bare or DODU form, each bad field counted once.
        {Parse<HdgaRecord>, Sentence("DODU,HDGA"), 0},
        {Parse<HdgaRecord>, Sentence("HDGA"), 0},
        {Parse<HdgaRecord>, Sentence("HDGA,1,2,L,3,4,5,junk,more"), 0},
        {Parse<HdgaRecord>, Sentence("HDGA,12:00,x,GG,1.2.3,,0.9q"), 5},
        {Parse<HdgaRecord>, Sentence("DODU,HDGA,1.0,28.37,0.04,LL,44.89,0.30,0.99"), 1},
        {Parse<HdgaRecord>, Sentence("DODU,1.0,HDGA,28.37"), 1},
        {Parse<HdgaRecord>, Sentence("DODU,HDGLA,1.0,28.37"), 1},
        {Parse<HdgaRecord>, badSum, 1},
        {Parse<HdgaRecord>, "DODU,HDGA,1.0,28.37", 1},
        // TOAA: the station group gate, cut to 30, a bad field stops the stations.
        {Parse<ToaaRecord>, Toaa(2, 2), 0, 2},
        {Parse<ToaaRecord>, Toaa(2, 2, ",9"), 0, 2},
        {Parse<ToaaRecord>, Toaa(3, 2, ",7499M,1,2,3,4"), 1},
        {Parse<ToaaRecord>, Toaa(33, 33), 0, 30},
        {Parse<ToaaRecord>, OldToaa(31, 31), 0, 30},
        {Parse<ToaaRecord>, Toaa(3, 0), 0, 3},
        {Parse<ToaaRecord>, Toaa(-2, 2), 1},
        {Parse<ToaaRecord>, Toaa(-3, 0), 0, 0},
        {Parse<ToaaRecord>, Toaa(2000000000, 2), 0, 30},
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,V,12x4,1.0,2.0,S,1.0,1,1,2" + ToaaStations(2)), 1},
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,V,1,1,1,S,1,1,1,1,ABC,1,2,3,4,5,6,7,8,9"), 1},
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,,1.5,1.0,,,,3.5,,1,7499M,,2,3,4,5,6,7,8,9"), 0, 1},
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,S,,0"), 1},   // the old layout counts empty fields
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,S,1,1,7499M,,2,3,4,5,6,7,8,9"), 1},
        {Parse<ToaaRecord>, Sentence("TOAA,1,1,1,,1,0"), 0},   // except in text
        {Parse<ToaaRecord>, Sentence("DODU,TOAA,V,1,1,1,S,1,1,1"), 1},
        {Parse<ToaaRecord>, Sentence("dodu,toaa,V,1,1,1,S,1,1,1,0"), 0},
        // DASFA: 14 fields at least; header fields may be empty, station fields not.
        {Parse<DasfaRecord>, Dasfa(2, 2), 0, 2},
        {Parse<DasfaRecord>, Sentence("DODU,V1,DASF,1,1,G,1,1,2" + Groups(2, ",1,2")), 0, 2},
        {Parse<DasfaRecord>, Dasfa(1, 1), 1},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,0,x,y,z,w,v"), 0, 0},
        {Parse<DasfaRecord>, Dasfa(4, 3), 1},
        {Parse<DasfaRecord>, Dasfa(33, 33), 0, 30},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,9,7499M,1,2,7499M,1"), 0, 9},
        {Parse<DasfaRecord>, Dasfa(2, 2, ",,,,"), 0, 2},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,2,7499M,,0.5,7499M,1,2"), 1},
        {Parse<DasfaRecord>, Sentence("DODU,DASFA,V,1,1,G,1,1,2,ABC,1,0.5,7499M,1,2"), 1},
        {Parse<DasfaRecord>, Dasfa(2, 2, "1,1.5,G,1,1"), 1},
        // HDGLA: two fields are enough; groups of seven.
        {Parse<HdglaRecord>, Sentence("DODU,HDGLA"), 0, 0},
        {Parse<HdglaRecord>, Sentence("HDGLA"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",3"), 0, 3},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",2" + HdglaStations(2) + ",x"), 0, 2},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",2" + HdglaStations(1) + ",7499M,1,2,3,4,5"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",40" + HdglaStations(40)), 0, 30},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",-2" + HdglaStations(2)), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",1,,1,2,3,4,5,6"), 1},
        {Parse<HdglaRecord>, Sentence(kHdglaHead + ",1,7499M,,,,,,"), 0, 1},
        // NOTCHA: a hostile active count never sizes anything beyond the notches read.
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2,2147483647,70,1,80,1"), 0, 2},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2,-5,70,1,80,1"), 0, 0},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,-3,12"), 0, 0},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,20,12"), 0, 12},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,,,,,"), 0, 0},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2"), 1},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2,2,70,1x"), 1},
        {Parse<NotchaRecord>, Sentence("DODU,NOTCHA,V,1,2.5,2"), 1},
        {Parse<PtntaRecord>, Sentence("PTNTA"), 0},
        {Parse<PtntaRecord>, Sentence("PTNTA,2007080923"), 1},
        {Parse<PtntaRecord>, Sentence("PTNTA,20070809235901,1,,1,5.5"), 1},
        {Parse<PtntaRecord>, Sentence("DODU,PTNTA"), 1},
        // LCPOSA needs 14 fields; LCRSDA keeps at most 100 triples, what is there of them.
        {Parse<LcposaRecord>, Sentence("DODU,LCPOSA,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5"), 1},
        {Parse<LcposaRecord>, Sentence("DODU,LCPOS,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5,1"), 1},
        {Parse<LcposaRecord>, Sentence("DODU,LCPOSA,,,,,,,,,,,,"), 0},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,3" + Groups(2, ",1.5,0.5")), 0, 3},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,1" + Groups(3, ",1.5,0.5")), 0, 1},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,120" + Groups(120, ",1.5,0.5")), 0, 100},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,2147483647" + Groups(2, ",1.5,0.5")), 0, 100},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,-2" + Groups(2, ",1.5,0.5")), 0, 0},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5,"), 1},
        {Parse<LcrsdaRecord>, Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5m,1"), 1},
        // GPPOSA and INPOSA: 14 fields at least; the short form never reads field 18.
        {Parse<GpposaRecord>, Sentence("DODU,GPPOSA,,,,,,,,,,,,"), 0},
        {Parse<GpposaRecord>, Sentence("DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6"), 1},
        {Parse<GpposaRecord>, Sentence("DODU,GPPOS,V,1,1,G,A,1,2,3,4,5,6,7"), 1},
        {Parse<GpposaRecord>, Sentence("DODU,GPPOSA,V,1,1,GPS,A,1,2,3,4,5,6,7"), 1},
        {Parse<GpposaRecord>, Sentence("DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q"), 1},
        {Parse<GpposaRecord>, Sentence("DODU,V,GPPOS,1,1,G,A,1,2,3,4,5,6,7,8,9,9,9,q"), 0},
        {Parse<InposaRecord>, Sentence("DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4"), 1},
        {Parse<InposaRecord>, Sentence("DODU,V,INPOS,1,1,G,AA,N,52,4,1,2,3,4,5"), 1},
        {Parse<InposaRecord>, Sentence("DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4,5,7,3,1,q"), 1},
    };
    for (const Case &c : cases) {
        const Outcome o = c.parse(c.line);
        EXPECT_EQ(o.result, c.result) << c.line;
        if (c.kept >= 0) {
            EXPECT_EQ(o.kept, c.kept) << c.line;
        }
    }
}

TEST(Records, ValuesOfGoodLines)
{
    GpggaRecord g;
    ASSERT_EQ(g.Parse(Sentence("GPGGA,123456.78,5212.3456,S,00430.0000,W,4,9,1.2,15.5,M,47.1,M,3.5,0123").c_str()), 0);
    EXPECT_EQ(g.Satellites, 9);
    EXPECT_EQ(g.DgpsStation, 123);
    auto [lat, lon] = g.ToDegrees();
    EXPECT_DOUBLE_EQ(lat, -(52 + 12.3456 / 60));
    EXPECT_DOUBLE_EQ(lon, -4.5);
    g.LatHemisphere = 's';   // only upper case turns the sign
    EXPECT_DOUBLE_EQ(g.ToDegrees().first, 52 + 12.3456 / 60);

    SyncaRecord s;
    ASSERT_EQ(s.Parse(Sentence("DODU,SYNCA,V3,12.5,LORANUTC,2024,2,29,23,59,58,4000000,1,37,-0.5,DETAILTEXT12").c_str()), 0);
    EXPECT_EQ(s.LeapSeconds, 37);
    EXPECT_EQ(s.SourceText(), "LORANUTC : DETAILTEX");
    EXPECT_DOUBLE_EQ(s.LoranTime(), 10.0);

    HdgaRecord h;
    ASSERT_EQ(h.Parse(Sentence("hdga,44.37,-0.01,G,344.67,1.80,0.90").c_str()), 0);
    EXPECT_EQ(h.Source, 'G');
    EXPECT_EQ(h.Heading, 344.67f);
    ASSERT_EQ(h.Parse(Sentence("DODU,HDGA").c_str()), 0);   // cleared before each line
    EXPECT_EQ(h.Heading, 0.0f);
    EXPECT_EQ(h.Source, 'N');

    ToaaRecord t;
    ASSERT_EQ(t.Parse(Toaa(2, 2).c_str()), 0);
    EXPECT_EQ(t.ClockError, 1.5e-7);
    EXPECT_EQ(t.Stations[1].Code, 749906);
    EXPECT_EQ(t.Stations[0].State, 0x1A2Bu);
    EXPECT_EQ(t.Stations[0].TOA, 12000.1234);
    ASSERT_EQ(t.Parse(OldToaa(0, 0).c_str()), 0);   // the old layout leaves version and noise alone
    EXPECT_STREQ(t.Version, "V2.1");

    DasfaRecord d;
    ASSERT_EQ(d.Parse(Dasfa(2, 2, "1,1,G,,4.3").c_str()), 0);
    EXPECT_EQ(d.PositionValid, 0);
    EXPECT_EQ(d.Stations[1].DASF, 1.25f);

    HdglaRecord l;
    ASSERT_EQ(l.Parse(Sentence(kHdglaHead + ",2" + HdglaStations(1) + ",7499MQ,350,10,0.5,12.5,0.75,0.125").c_str()), 0);
    EXPECT_EQ(l.Mode, 'A');
    EXPECT_STREQ(l.Stations[1].Name, "7499M");   // five characters, and only they make the code
    EXPECT_DOUBLE_EQ(l.Stations[1].Residual(), -160.0);

    GpposaRecord p;
    ASSERT_EQ(p.Parse(Sentence("DODU,V7,GPPOS,123456.78,51226,G,A,52.1234567,4.7654321,10.5,47.25,1.5,90.5,91.5,8,1.1,1.2,1.3,0.75").c_str()), 0);
    EXPECT_EQ(p.Position.Latitude, 52.1234567);
    EXPECT_EQ(p.Position.Height, 0.0);
    EXPECT_EQ(p.Height, 10.5f);
    EXPECT_EQ(p.PDOP, 1.3f);
    EXPECT_EQ(p.Quality, 0.0f);   // the short form carries no quality
    ASSERT_EQ(p.Parse(Sentence("DODU,GPPOSA,V,1,1,G,A,1,2,3,4,5,6,7").c_str()), 0);
    EXPECT_EQ(p.HDOP, 99.9f);

    LcposaRecord c;
    c.LoranCount = 9;
    EXPECT_EQ(c.Parse(Sentence("DODU,LCPOSA,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5").c_str()), 1);
    EXPECT_EQ(c.LoranCount, 9);   // refused lines leave the record alone
    LcposaRecord copy;
    copy.Position.Height = 12.0;
    ASSERT_EQ(c.Parse(Pos("1", 'G').c_str()), 0);
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
    const Row rows[] = {
        {"DODU,INPOSA,V,1,1,G,A,52,4,1,2,3,4,5", 1, 'A', '\0'},
        {"DODU,INPOSA,V,1,1,G,NS,52,4,1,2,3,4,5", 1, 'N', 'S'},
        {"DODU,INPOSA,V,1,1,G,NN,52,4,1,2,3,4,5", 0, 'N', 'N'},
        {"DODU,INPOSA,V,1,1,G,,52,4,1,2,3,4,5", 0, 'N', '\0'},
        {"DODU,INPOSA,V,1,1,G,AS,52,,1,2,3,4,5", 0, 'A', 'S'},
        {"DODU,V,INPOS,1,1,G,N,G,52,4,1,2,3,4,5", 1, 'N', 'G'},
        {"DODU,V,INPOS,1,1,G,N,N,52,4,1,2,3,4,5", 0, 'N', 'N'},
        {"DODU,V,INPOS,1,1,G,A,D,52,,1,2,3,4,5", 0, 'A', 'D'},   // no longitude: no position
    };
    for (const Row &r : rows) {
        InposaRecord p;
        ASSERT_EQ(p.Parse(Sentence(r.body).c_str()), 0) << r.body;
        EXPECT_EQ(p.PositionValid, r.valid) << r.body;
        EXPECT_EQ(p.GpsMode(), r.gps) << r.body;
        EXPECT_EQ(p.LoranMode(), r.loran) << r.body;
    }
}

TEST(Records, ResidualAndPpsDifferenceRules)
{
    struct Residual {
        float measured, beam;
        double residual;
    };
    for (Residual c : {Residual{10, 350, -160.0}, {100, 10, -90.0}, {45, 0, 45.0}, {179, 0, -1.0}, {0, 1000, -100.0},
                       {0, 300, -120.0}, {0, 359.5f, -179.5}})
        EXPECT_DOUBLE_EQ(HdglaResidual(c.measured, c.beam), c.residual) << c.measured << " " << c.beam;
    // Worked in double from the floats, not in float.
    EXPECT_DOUBLE_EQ(HdglaResidual(0.1f, 0.0f), static_cast<double>(0.1f) + 270.0 - 180.0 - 90.0);

    struct Pps {
        int32_t count, phase;
        double nanoseconds;
    };
    for (Pps c : {Pps{15, 12, 12}, {15, -600, 2000}, {7499985, -600, -2000}, {15, 510, 510}, {15, -510, -510},
                  {15, 511, 2000}, {15, -511, 2000}, {3750000, 600, -5e8}, {0, 2147483647, 0}, {15, -2147483647 - 1, 2000}})
        EXPECT_NEAR(PpsDifference(c.count, c.phase) * 1e9, c.nanoseconds, 1e-6) << c.count << " " << c.phase;
    PtntaRecord r;
    ASSERT_EQ(r.Parse(Sentence("PTNTA,20070809235901,2,x,7499985,-511").c_str()), 0);
    EXPECT_EQ(r.Hour, 23);
    EXPECT_STREQ(r.QualityText(), "2: Disciplined");
    EXPECT_NEAR(r.PpsDiff * 1e9, -2000, 1e-6);

    NotchaRecord n;
    ASSERT_EQ(n.Parse(Sentence("DODU,NOTCHA,V5,99.5,4,3,70.5,1.25,0,2,110,0.5,120,0.75").c_str()), 0);
    EXPECT_EQ(n.ListedNotches(), (std::vector<int>{0, 2, 3}));   // a notch without frequency is not listed
    std::string many = "DODU,NOTCHA,V,1,120,120";
    for (int i = 0; i < 120; ++i) many += "," + std::to_string(10 + i) + ",1";
    ASSERT_EQ(n.Parse(Sentence(many).c_str()), 0);
    EXPECT_EQ(n.NumNotches, 100);
    EXPECT_EQ(n.ListedNotches().size(), 100u);
}

TEST(LcposaEpoch, PositionAndResidualsOfAnEpochShowTogether)
{
    LcposaEpoch e;
    EXPECT_EQ(e.AddLine(Pos("1").c_str()), 1);   // nothing waited for yet: shown at once
    EXPECT_EQ(e.AddLine(Rsd("1").c_str()), 2);
    for (int t = 2; t <= 3; ++t) {
        const std::string time = std::to_string(t);
        EXPECT_EQ(e.AddLine(Pos(time, 'A', "5" + time).c_str()), 0) << t;
        EXPECT_EQ(e.AddLine(Rsd(time, 'A', t).c_str()), 2) << t;
        EXPECT_EQ(e.ShownPosition.Position.Latitude, 50 + t);
        EXPECT_EQ(e.ShownResiduals.StationCount, t);
    }
    // A bad line of the same epoch in between changes nothing.
    ASSERT_EQ(e.AddLine(Pos("4", 'A', "54").c_str()), 0);
    EXPECT_EQ(e.AddLine(Pos("4", 'A', "5x").c_str()), 0);
    EXPECT_EQ(e.AddLine(Rsd("4", 'A', 2, "bad").c_str()), 0);
    EXPECT_EQ(e.AddLine(""), 0);
    ASSERT_EQ(e.AddLine(Rsd("4", 'A', 4).c_str()), 2);
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 54.0);
    e.Reset();
    EXPECT_EQ(e.ResidualCountdown, 0);
    EXPECT_EQ(e.ShownPosition.SolutionKind, 'N');

    LcposaEpoch first;   // residuals first
    EXPECT_EQ(first.AddLine(Rsd("1").c_str()), 2);
    EXPECT_EQ(first.AddLine(Pos("1").c_str()), 1);
    EXPECT_EQ(first.AddLine(Rsd("2", 'A', 2).c_str()), 0);
    EXPECT_EQ(first.AddLine(Pos("2").c_str()), 1);
    EXPECT_EQ(first.ShownResiduals.Time, 2.0);
}

TEST(LcposaEpoch, KindsPairOnlyWithTheirOwnKind)
{
    EXPECT_EQ(GetLoranSolutionKind(Sentence("DODU,V,LCRSD,1,2,G,G").c_str()), 'G');
    EXPECT_EQ(GetLoranSolutionKind(Sentence("DODU,LCPOSA,V,1,2,G,AS").c_str()), 0);
    EXPECT_EQ(GetLoranSolutionKind(Sentence("DODU,INPOSA,V,1,2,G,A").c_str()), 0);
    LcposaKindEpochs asf;
    ASSERT_TRUE(asf.Accept('S'));
    ASSERT_TRUE(asf.Accept('D'));
    int shown = 0;
    for (int t = 1; t <= 4; ++t) {
        const std::string time = std::to_string(t);
        for (const std::string &line : {Pos(time, 'D', "10"), Rsd(time, 'S', 1), Pos(time, 'C', "30"),
                                        Pos(time, 'S', "20"), Rsd(time, 'D', 2), Rsd(time, 'C', 4)}) {
            LcposaKindEpochs::Added a = asf.AddLine(line.c_str());
            const char kind = GetLoranSolutionKind(line.c_str());
            if (kind == 'C') {   // another window's kind
                EXPECT_EQ(a.Epoch, nullptr);
                continue;
            }
            ASSERT_NE(a.Epoch, nullptr);
            if (a.Result == 0) continue;
            ++shown;
            if (t > 1) {
                EXPECT_EQ(a.Epoch->ShownPosition.Position.Latitude, kind == 'D' ? 10.0 : 20.0) << line;
                EXPECT_EQ(a.Epoch->ShownResiduals.StationCount, kind == 'D' ? 2 : 1) << line;
            }
        }
    }
    EXPECT_EQ(shown, 4 + 6);   // every line of the first epoch, then one pair per kind and epoch
    LcposaKindEpochs full;
    for (char k : {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}) EXPECT_TRUE(full.Accept(k));
    EXPECT_FALSE(full.Accept('S'));
}
