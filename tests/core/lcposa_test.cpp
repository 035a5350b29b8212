#include <gtest/gtest.h>

#include <string>

#include "logs/lcposa.h"
#include "sentence_text.h"

namespace {

std::string Pos(const std::string &time, char kind = 'A', const std::string &lat = "52.1")
{
    return Sentence("DODU,LCPOSA,V1," + time + ",7,G," + kind + "," + lat + ",4.5,1.5,90.5,91.5,5,1.25");
}

std::string Triples(int n, const std::string &residual = "1.5")
{
    std::string s;
    for (int i = 0; i < n; ++i) s += ",7499" + std::string(i % 2 ? "X" : "M") + "," + residual + ",0.5";
    return s;
}

std::string Rsd(const std::string &time, char kind = 'A', int count = 2, const std::string &residual = "1.5")
{
    return Sentence("DODU,LCRSDA,V1," + time + ",7,G," + kind + "," + std::to_string(count) + Triples(count, residual));
}

} // namespace

TEST(LcposaRecord, BothFormsAndMinimum)
{
    for (std::string line : {Pos("100.5", 'S'), Sentence("DODU,V1,LCPOS,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5,1.25")}) {
        LcposaRecord r;
        ASSERT_EQ(r.Parse(line.c_str()), 0) << line;
        EXPECT_STREQ(r.Version, "V1");
        EXPECT_EQ(r.Time, 100.5);
        EXPECT_EQ(r.Field4, 7);
        EXPECT_EQ(r.TimeSource, 'G');
        EXPECT_EQ(r.SolutionKind, 'S');
        EXPECT_EQ(r.Position.Latitude, 52.1);
        EXPECT_EQ(r.Position.Longitude, 4.5);
        EXPECT_EQ(r.Velocity, 1.5f);
        EXPECT_EQ(r.Compass, 91.5f);
        EXPECT_EQ(r.LoranCount, 5);
        EXPECT_EQ(r.HDOP, 1.25f);
    }
    LcposaRecord r;
    r.LoranCount = 9;
    EXPECT_EQ(r.Parse(Sentence("DODU,LCPOSA,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5").c_str()), 1);
    EXPECT_EQ(r.LoranCount, 9);   // refused lines leave the record alone
    EXPECT_EQ(r.Parse(Sentence("DODU,LCPOS,V1,100.5,7,G,S,52.1,4.5,1.5,90.5,91.5,5,1").c_str()), 1);
    EXPECT_EQ(r.Parse(Pos("100.5", 'S', "52.x").c_str()), 1);
    EXPECT_EQ(r.Parse(Sentence("DODU,LCPOSA,,,,,,,,,,,,").c_str()), 0);
    EXPECT_EQ(r.SolutionKind, 'N');
    EXPECT_EQ(r.TimeSource, 'N');

    LcposaRecord copy;
    copy.Position.Height = 12.0;
    ASSERT_EQ(r.Parse(Pos("1", 'G').c_str()), 0);
    r.Position.Height = 99.0;
    copy.CopyFrom(r);
    EXPECT_EQ(copy.SolutionKind, 'G');
    EXPECT_EQ(copy.Position.Latitude, 52.1);
    EXPECT_EQ(copy.Position.Height, 12.0);   // the height is never copied
}

TEST(LcrsdaRecord, StationsAndTheirEmptyFieldRule)
{
    LcrsdaRecord r;
    ASSERT_EQ(r.Parse(Rsd("100.5", 'D', 2).c_str()), 0);
    EXPECT_EQ(r.SolutionKind, 'D');
    EXPECT_EQ(r.StationCount, 2);
    EXPECT_EQ(r.StationCodes[0], 749901);
    EXPECT_EQ(r.StationCodes[1], 749906);
    EXPECT_EQ(r.Residuals[1], 1.5f);
    EXPECT_EQ(r.Weights[1], 0.5f);

    LcrsdaRecord older;
    ASSERT_EQ(older.Parse(Sentence("DODU,V9,LCRSD,1,2,G,A,1,7499M,1,2").c_str()), 0);
    EXPECT_STREQ(older.Version, "V9");

    struct Case { const char *what; std::string line; int result; int stored; };
    const Case cases[] = {
        {"2 of 3 triples", Sentence("DODU,LCRSDA,V,1,2,G,A,3" + Triples(2)), 0, 3},
        {"a triple cut short", Sentence("DODU,LCRSDA,V,1,2,G,A,2" + Triples(1) + ",7499M"), 0, 2},
        {"extra triples ignored", Sentence("DODU,LCRSDA,V,1,2,G,A,1" + Triples(3)), 0, 1},
        {"120 announced", Sentence("DODU,LCRSDA,V,1,2,G,A,120" + Triples(120)), 0, 100},
        {"huge count", Sentence("DODU,LCRSDA,V,1,2,G,A,2147483647" + Triples(2)), 0, 100},
        {"negative count", Sentence("DODU,LCRSDA,V,1,2,G,A,-2" + Triples(2)), 0, 0},
        {"empty weight", Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5,"), 1, 1},
        {"empty identifier", Sentence("DODU,LCRSDA,V,1,2,G,A,1,,1.5,1"), 1, 1},
        {"letters in a residual", Sentence("DODU,LCRSDA,V,1,2,G,A,1,7499M,1.5m,1"), 1, 1},
        {"7 fields", Sentence("DODU,LCRSDA,V,1,2,G,A"), 1, 0},
    };
    for (const Case &c : cases) {
        LcrsdaRecord s;
        EXPECT_EQ(s.Parse(c.line.c_str()), c.result) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(s.StoredStations(), c.stored) << c.what;
        }
    }
    LcrsdaRecord partial;
    ASSERT_EQ(partial.Parse(Sentence("DODU,LCRSDA,V,1,2,G,A,3" + Triples(2)).c_str()), 0);
    EXPECT_EQ(partial.StationCodes[2], 0);
    LcrsdaRecord many;
    ASSERT_EQ(many.Parse(Sentence("DODU,LCRSDA,V,1,2,G,A,120" + Triples(120)).c_str()), 0);
    EXPECT_EQ(many.StationCount, 120);
    EXPECT_EQ(many.StationCodes[99], 749906);
}

TEST(LoranSolutionKind, FromEitherSentence)
{
    struct Case { std::string line; char kind; };
    const Case cases[] = {
        {Pos("1", 'C'), 'C'},
        {Rsd("1", 'S'), 'S'},
        {Sentence("DODU,V,LCPOS,1,2,G,D"), 'D'},
        {Sentence("DODU,V,LCRSD,1,2,G,G"), 'G'},
        {Sentence("DODU,LCPOSA,V,1,2,G,"), 0},
        {Sentence("DODU,LCPOSA,V,1,2,G,AS"), 0},
        {Sentence("DODU,LCPOSA,V,1,2,G"), 0},
        {Sentence("XODU,LCPOSA,V,1,2,G,A"), 0},
        {Sentence("DODU,INPOSA,V,1,2,G,A"), 0},
        {"$DODU,LCPOSA,V,1,2,G,A*00", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(GetLoranSolutionKind(c.line.c_str()), c.kind) << c.line;
    EXPECT_STREQ(LoranSolutionCaption('A'), "LCPOSA - Autonomous");
    EXPECT_STREQ(LoranSolutionCaption('C'), "LCPOSA - Coarse Position");
    EXPECT_STREQ(LoranSolutionCaption('D'), "LCPOSA - Differential eLoran");
    EXPECT_STREQ(LoranSolutionCaption('G'), "LCPOSA - GPS Calibrated");
    EXPECT_STREQ(LoranSolutionCaption('S'), "LCPOSA - ASF Corrected");
    EXPECT_EQ(LoranSolutionCaption('N'), nullptr);
}

TEST(LcposaEpoch, PositionThenResidualsOfTheSameTime)
{
    LcposaEpoch e;
    EXPECT_EQ(e.AddLine(Pos("1").c_str()), 1);   // nothing waited for yet: shown at once
    EXPECT_EQ(e.AddLine(Rsd("1").c_str()), 2);
    for (int t = 2; t <= 4; ++t) {
        std::string time = std::to_string(t);
        EXPECT_EQ(e.AddLine(Pos(time, 'A', "5" + time).c_str()), 0) << t;
        EXPECT_EQ(e.ResidualCountdown, 1) << t;
        EXPECT_EQ(e.AddLine(Rsd(time, 'A', t).c_str()), 2) << t;
        EXPECT_EQ(e.EpochTime, t);
        EXPECT_EQ(e.ShownPosition.Time, t);
        EXPECT_EQ(e.ShownPosition.Position.Latitude, 50 + t);
        EXPECT_EQ(e.ShownResiduals.Time, t);
        EXPECT_EQ(e.ShownResiduals.StationCount, t);
    }
}

TEST(LcposaEpoch, ResidualsFirst)
{
    LcposaEpoch e;
    EXPECT_EQ(e.AddLine(Rsd("1").c_str()), 2);
    EXPECT_EQ(e.AddLine(Pos("1").c_str()), 1);
    for (int t = 2; t <= 4; ++t) {
        std::string time = std::to_string(t);
        EXPECT_EQ(e.AddLine(Rsd(time, 'A', t).c_str()), 0) << t;
        EXPECT_EQ(e.AddLine(Pos(time).c_str()), 1) << t;
        EXPECT_EQ(e.ShownPosition.Time, t);
        EXPECT_EQ(e.ShownResiduals.Time, t);
        EXPECT_EQ(e.ShownResiduals.StationCount, t);
    }
}

TEST(LcposaEpoch, OnlyPositionsShowAtOnce)
{
    LcposaEpoch e;
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(e.AddLine(Pos(std::to_string(t)).c_str()), 1) << t;
        EXPECT_EQ(e.ShownPosition.Time, t);
        EXPECT_EQ(e.ShownResiduals.StationCount, 0);
        EXPECT_EQ(e.ResidualCountdown, 0);
    }
}

TEST(LcposaEpoch, APartnerThatStops)
{
    LcposaEpoch e;
    e.AddLine(Pos("1", 'A', "51").c_str());
    ASSERT_EQ(e.AddLine(Rsd("1", 'A', 3).c_str()), 2);
    // The residuals stop after epoch 1.
    EXPECT_EQ(e.AddLine(Pos("2", 'A', "52").c_str()), 0);
    EXPECT_EQ(e.ResidualCountdown, 1);
    EXPECT_EQ(e.AddLine(Pos("3", 'A', "53").c_str()), 1);
    EXPECT_EQ(e.ResidualCountdown, 0);
    EXPECT_EQ(e.EpochTime, 3.0);                          // the time of t3 ...
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 51.0);   // ... with the last complete pair
    EXPECT_EQ(e.ShownResiduals.Time, 1.0);
    EXPECT_EQ(e.AddLine(Pos("4", 'A', "54").c_str()), 1);
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 54.0);
    EXPECT_EQ(e.ShownResiduals.Time, 1.0);
    EXPECT_EQ(e.AddLine(Pos("5", 'A', "55").c_str()), 1);
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 55.0);

    // The mirror image: positions stop.
    LcposaEpoch m;
    m.AddLine(Rsd("1", 'A', 1).c_str());
    ASSERT_EQ(m.AddLine(Pos("1").c_str()), 1);
    EXPECT_EQ(m.AddLine(Rsd("2", 'A', 2).c_str()), 0);
    EXPECT_EQ(m.AddLine(Rsd("3", 'A', 3).c_str()), 2);
    EXPECT_EQ(m.ShownResiduals.StationCount, 1);
    EXPECT_EQ(m.AddLine(Rsd("4", 'A', 4).c_str()), 2);
    EXPECT_EQ(m.ShownResiduals.StationCount, 4);
    EXPECT_EQ(m.ShownPosition.Time, 1.0);
}

TEST(LcposaEpoch, ABadLineInBetweenChangesNothing)
{
    LcposaEpoch e;
    e.AddLine(Pos("1").c_str());
    e.AddLine(Rsd("1").c_str());
    ASSERT_EQ(e.AddLine(Pos("2", 'A', "52.5").c_str()), 0);
    // An LCPOSA line of the same epoch with a bad field, and an LCRSDA one.
    EXPECT_EQ(e.AddLine(Pos("2", 'A', "5x").c_str()), 0);
    EXPECT_EQ(e.AddLine(Rsd("2", 'A', 2, "bad").c_str()), 0);
    EXPECT_EQ(e.AddLine(Sentence("DODU,INPOSA,V,1").c_str()), 0);
    EXPECT_EQ(e.AddLine(""), 0);
    EXPECT_EQ(e.ParsedPosition.Position.Latitude, 52.5);
    EXPECT_EQ(e.ResidualCountdown, 1);
    EXPECT_EQ(e.PositionCountdown, 2);
    ASSERT_EQ(e.AddLine(Rsd("2", 'A', 3).c_str()), 2);
    EXPECT_EQ(e.ShownPosition.Position.Latitude, 52.5);
    EXPECT_EQ(e.ShownResiduals.StationCount, 3);
    EXPECT_EQ(e.ShownResiduals.Residuals[0], 1.5f);

    e.Reset();
    EXPECT_EQ(e.EpochTime, 0.0);
    EXPECT_EQ(e.PositionCountdown, 0);
    EXPECT_EQ(e.ResidualCountdown, 0);
    EXPECT_EQ(e.ShownResiduals.StationCount, 0);
    EXPECT_EQ(e.ShownPosition.SolutionKind, 'N');
    EXPECT_EQ(e.ParsedResiduals.SolutionKind, '\0');
}

TEST(LcposaKindEpochs, PairsOnlyTheSameKind)
{
    LcposaKindEpochs asf;
    ASSERT_TRUE(asf.Accept('S'));
    ASSERT_TRUE(asf.Accept('D'));
    ASSERT_TRUE(asf.Accept('S'));   // already there
    EXPECT_EQ(asf.KindCount(), 2);

    // Both kinds every epoch, interleaved; kind C belongs to another window.
    int shown = 0;
    for (int t = 1; t <= 4; ++t) {
        std::string time = std::to_string(t);
        for (const std::string &line : {Pos(time, 'D', "10"), Rsd(time, 'S', 1), Pos(time, 'C', "30"),
                                        Pos(time, 'S', "20"), Rsd(time, 'D', 2), Rsd(time, 'C', 4)}) {
            LcposaKindEpochs::Added a = asf.AddLine(line.c_str());
            char kind = GetLoranSolutionKind(line.c_str());
            EXPECT_EQ(a.Kind, kind);
            if (kind == 'C') {
                EXPECT_EQ(a.Result, 0);
                EXPECT_EQ(a.Epoch, nullptr);
                continue;
            }
            ASSERT_NE(a.Epoch, nullptr);
            if (a.Result == 0) continue;
            ++shown;
            const LcposaEpoch &e = *a.Epoch;
            // What is shown is of the line's kind, or still empty.
            EXPECT_TRUE(e.ShownPosition.SolutionKind == kind || e.ShownPosition.SolutionKind == 'N') << line;
            EXPECT_TRUE(e.ShownResiduals.SolutionKind == kind || e.ShownResiduals.SolutionKind == '\0') << line;
            if (t > 1) {
                EXPECT_EQ(e.ShownPosition.Position.Latitude, kind == 'D' ? 10.0 : 20.0) << line;
                EXPECT_EQ(e.ShownResiduals.StationCount, kind == 'D' ? 2 : 1) << line;
            }
        }
    }
    EXPECT_EQ(shown, 4 + 6);   // every line of the first epoch, then one pair per kind and epoch

    LcposaKindEpochs full;
    for (char k : {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}) EXPECT_TRUE(full.Accept(k));
    EXPECT_FALSE(full.Accept('S'));
    EXPECT_FALSE(full.Accepts('S'));
    EXPECT_EQ(full.AddLine(Pos("1", 'S').c_str()).Result, 0);
}
