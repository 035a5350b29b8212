#include <gtest/gtest.h>

#include <cmath>

#include "plots/dlora.h"
#include "plots/tdintake.h"
#include "plots/tdstations.h"
#include "td_lines.h"

namespace {

// What the window does with a line of the given kind, without the window.
bool Feed(TDStationList &list, int kind, const std::string &line, int numberOfPoints = 200)
{
    TDSentence s;
    const bool ok = kind == 0 ? ReadToaaSentence(line.c_str(), s) : ReadDasfaSentence(line.c_str(), s);
    if (ok) {
        if (kind != 0) s.X = list.ContinueTimeOfDay(s.X);
        list.Add(s);
    }
    list.Trim(numberOfPoints);
    return ok;
}

std::vector<std::string> Names(const TDStationList &list)
{
    std::vector<std::string> names;
    for (const auto &s : list) names.push_back(s->Name);
    return names;
}

} // namespace

TEST(DloraRecord, FourFieldsPerAnnouncedStationAtMostTwentyRead)
{
    DloraRecord r;
    std::string shortLine = DloraLine("123456.5", {{"7499M", 1, 2}}, 2);   // 7 station fields for 2
    shortLine = Sentence(shortLine.substr(1, shortLine.find('*') - 1) + ",7499X,1,2");
    // A count whose fourfold wraps to the field count in 32 bits, and a negative one, never match.
    for (const std::string &line : {shortLine, DloraLine("123456.5", {{"7499M", 1, 2}, {"7499X", 1, 2}, {"7499Y", 1, 2}}, 1073741827),
                                    Sentence("DODU,DLORA,1.5,000001,241206,T,1,2,3,4,-1073741823")}) {
        EXPECT_NE(r.Parse(line.c_str()), 0) << line;
        EXPECT_EQ(r.StationCount, 0) << line;
    }
    std::vector<DloraEntry> many;
    for (int i = 0; i < 23; ++i) many.push_back({std::to_string(5000 + i) + "M", double(i), 0.0});
    ASSERT_EQ(r.Parse(DloraLine("000001", many).c_str()), 0);
    EXPECT_EQ(r.StationCount, 20);
    EXPECT_EQ(r.Stations[19].Code, 501901);
    // A bad status word in the second station: one failure, one entry read, the third cleared.
    EXPECT_EQ(r.Parse(DloraLine("000001", {{"7499M", 1, 2}, {"7499X", 1, 2, "ZZ"}, {"7499Y", 1, 2}}).c_str()), 1);
    EXPECT_EQ(r.StationCount, 1);
    EXPECT_EQ(r.Stations[2].Code, 0);
    EXPECT_EQ(r.Parse(Sentence("DODU,DLORA,x,,,T,a,2,3,4,0").c_str()), 4);   // one failure each
}

TEST(TDReaders, PointsInNanosecondsAtTheTimeOfTheLine)
{
    TDSentence s;
    ASSERT_TRUE(ReadToaaSentence(ToaaLine(1234.5, {{"7499M", 12345.678, 0x00A3}, {"7499X", 2.0, 0x0040}}).c_str(), s));
    ASSERT_EQ(s.Count, 1);   // the entry with state bit 0x40 gives no point
    EXPECT_DOUBLE_EQ(s.Entries[0].Y, 12345678.0);
    ASSERT_TRUE(ReadToaaSentence(Sentence("TOAA,99.0,1.0,2.0,LOCKED,1.5e-7,1,7499Y,10.5,3.25,0.125,-0.5,0.75,00A2,1.5,0,0").c_str(), s));
    EXPECT_DOUBLE_EQ(s.Entries[0].Y, 1500.0);
    EXPECT_FALSE(ReadToaaSentence(DasfaLine("120000", {{"7499M", 1}, {"7499X", 2}}).c_str(), s));
    EXPECT_EQ(s.Count, 0);

    ASSERT_TRUE(ReadDasfaSentence(DasfaLine("123456.78", {{"7499M", 0.25}, {"7499X", -1.5}}).c_str(), s));
    EXPECT_NEAR(s.X, 12 * 3600 + 34 * 60 + 56.78, 1e-9);
    // Ten announced, two stations' fields: quotient 0, nothing read.
    ASSERT_TRUE(ReadDasfaSentence(DasfaLine("000000", {{"7499M", 0.25}, {"7499X", -1.5}}, 10).c_str(), s));
    EXPECT_EQ(s.Count, 0);

    ASSERT_TRUE(ReadDloraSentence(DloraLine("000010", {{"7499M", 10.25, 0.5}}).c_str(), s));
    EXPECT_EQ(s.Entries[0].Y, 10.75);   // the sum of both values
}

TEST(TDReaders, EntriesNotReallyReadAndValuesThatAreNoNumbersGiveNoPoints)
{
    TDSentence s;
    // Three stations announced, no station fields: the record is good but reads no entry.
    ASSERT_TRUE(ReadToaaSentence(ToaaLine(1.0, {}, 3).c_str(), s));
    EXPECT_EQ(s.Count, 0);
    // Empty identifier, empty TOA, NaN and a TOA too big for nanoseconds: no point at all.
    std::string line = "DODU,TOAA,V2.1,5.0,1.0,2.0,LOCKED,1.5e-7,3.5,4.5,5,"
                       ",10.5,3.25,0.125,-0.5,0.75,00A2,11.0,0,0,"
                       "7499X,10.5,3.25,0.125,-0.5,0.75,00A2,,0,0,"
                       "7499M,10.5,3.25,0.125,-0.5,0.75,00A2,nan,0,0,"
                       "7499M,10.5,3.25,0.125,-0.5,0.75,00A2,1e308,0,0,"
                       "7499Y,10.5,3.25,0.125,-0.5,0.75,00A2,33.0,0,0";
    ASSERT_TRUE(ReadToaaSentence(Sentence(line).c_str(), s));
    ASSERT_EQ(s.Count, 1);
    EXPECT_EQ(s.Entries[0].Code, 749907);
    EXPECT_DOUBLE_EQ(s.Entries[0].Y, 33000.0);
    EXPECT_FALSE(ReadToaaSentence(ToaaLine(NAN, {{"7499M", 1}}).c_str(), s));
    EXPECT_FALSE(ReadDasfaSentence(DasfaLine("inf", {{"7499M", 1}, {"7499X", 2}}).c_str(), s));
    ASSERT_TRUE(ReadDloraSentence(Sentence("DODU,DLORA,1.5,000001,241206,T,1,2,3,4,1,7499M,1e308,1e308,0").c_str(), s));
    EXPECT_EQ(s.Count, 0);
}

TEST(TDStationList, FillersKeepTheIndicesAligned)
{
    TDStationList list;
    for (int i = 0; i < 3; ++i) Feed(list, 0, ToaaLine(i, {{"7499M", 1.0 + i}}));
    // 7499X first seen at the fourth sentence: three fillers at the new x, then its point.
    Feed(list, 0, ToaaLine(3, {{"7499M", 4}, {"7499X", 40}}));
    TDStationClass *x = list[1];
    ASSERT_EQ(x->Points.size(), 4u);
    EXPECT_EQ(x->Points[0].x, 3.0);
    EXPECT_EQ(x->Points[2].status, FillerStatus);
    // 7499M drops out for two sentences and comes back: fillers in between.
    Feed(list, 0, ToaaLine(4, {{"7499X", 41}}));
    Feed(list, 0, ToaaLine(5, {{"7499X", 42}, {"7499M", 7, 0x0040}}));   // state 0x40: not a point
    Feed(list, 0, ToaaLine(6, {{"7499X", 43}, {"7499M", 8}}));
    TDStationClass *m = list[0];
    ASSERT_EQ(m->Points.size(), 7u);
    ASSERT_EQ(x->Points.size(), 7u);
    EXPECT_EQ(m->Points[5].status, FillerStatus);
    EXPECT_EQ(m->Points[5].x, 5.0);
}

TEST(TDStationList, DuplicateCodesInOneSentenceMakeNumberedStations)
{
    TDStationList list;
    Feed(list, 0, ToaaLine(1, {{"7499M", 1}, {"7499X", 5}, {"7499M", 2}}));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"7499M", "7499M 1", "7499X"}));
    EXPECT_EQ(list[1]->SeriesTag(), 74990101);
    EXPECT_DOUBLE_EQ(list[1]->Points.back().y, 2000.0);
    // Next sentence: the first entry feeds Dup 0, the second Dup 1, whatever the list order.
    Feed(list, 0, ToaaLine(2, {{"7499M", 3}, {"7499M", 4}}));
    EXPECT_DOUBLE_EQ(list[0]->Points.back().y, 3000.0);
    EXPECT_DOUBLE_EQ(list[1]->Points.back().y, 4000.0);
    EXPECT_EQ(list[2]->Points.back().status, FillerStatus);
    // Only one 7499M now: the duplicate gets a filler.
    Feed(list, 0, ToaaLine(3, {{"7499M", 5}}));
    EXPECT_EQ(list[1]->Points.back().status, FillerStatus);
    EXPECT_EQ(list.FindByTag(74990101), list[1]);
}

TEST(TDStationList, TrimKeepsTheNewestPointsAndALowerNumberCutsAtOnce)
{
    TDStationList list;
    for (int i = 0; i < 201; ++i) Feed(list, 0, ToaaLine(i, {{"7499M", double(i)}}), 200);
    EXPECT_EQ(list[0]->Points.size(), 200u);
    EXPECT_EQ(list[0]->Points.front().x, 1.0);
    EXPECT_FALSE(Feed(list, 0, "garbage", 50));   // a refused line still trims
    EXPECT_EQ(list[0]->Points.size(), 50u);
    EXPECT_FALSE(list.Trim(50));
    list[0]->HasSeries = true;   // cleared data starts a new series
    list.ClearData();
    EXPECT_TRUE(list[0]->Points.empty() && !list[0]->HasSeries);
}

TEST(TDStationList, TimeOfDayContinuesAcrossMidnight)
{
    TDStationList list;
    for (const char *time : {"235958", "235959", "000001"}) Feed(list, 2, DasfaLine(time, {{"7499M", 1}, {"7499X", 2}}));
    const auto &p = list[0]->Points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].x, 86399.0);
    EXPECT_EQ(p[2].x, 86401.0);
    // Not a time of day: passed on, the day count untouched.
    EXPECT_EQ(list.ContinueTimeOfDay(-5.0), 86395.0);
    // A small step back stays a step back; a late line from before midnight goes back a day.
    EXPECT_EQ(list.ContinueTimeOfDay(1.0), 86401.0);
    EXPECT_EQ(list.ContinueTimeOfDay(86399.0), 86399.0);
}
