#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "logs/record_support.h"
#include "sentence_text.h"

TEST(RecordFields, AccessIsBoundedAndRefusesBadLines)
{
    RecordFields f(Sentence("DODU,x,,7").c_str());
    ASSERT_TRUE(f.Ok());
    EXPECT_EQ(f.Count(), 4);
    EXPECT_TRUE(f.Has(2));
    EXPECT_FALSE(f.Filled(2));
    EXPECT_TRUE(f.Filled(3));
    EXPECT_FALSE(f.Has(4));
    EXPECT_FALSE(f.Has(-1));
    EXPECT_STREQ(f.Text(99), "");
    EXPECT_STREQ(f.Text(-5), "");
    EXPECT_TRUE(f.Is(0, "dodu"));
    EXPECT_FALSE(f.Is(9, "dodu"));

    RecordFields badSum("$DODU,x*00");
    EXPECT_FALSE(badSum.Ok());
    EXPECT_EQ(badSum.Count(), 0);
    EXPECT_FALSE(badSum.Has(0));
    RecordFields none(nullptr);
    EXPECT_FALSE(none.Ok());
}

TEST(RecordFields, SkipAndStrictRulesForEmptyAndMissingFields)
{
    RecordFields f(Sentence("X,,1.5,abc").c_str());
    double d = 9.0;
    f.Convert(1, ParseDouble, &d, EmptyRule::Skip);   // empty: kept, not counted
    EXPECT_EQ(f.Bad, 0);
    EXPECT_EQ(d, 9.0);
    f.Convert(1, ParseDouble, &d, EmptyRule::Strict);  // empty: counted
    EXPECT_EQ(f.Bad, 1);
    f.Convert(2, ParseDouble, &d, EmptyRule::Skip);
    EXPECT_EQ(d, 1.5);
    f.Convert(3, ParseDouble, &d, EmptyRule::Skip);    // letters: counted, value kept
    EXPECT_EQ(f.Bad, 2);
    EXPECT_EQ(d, 1.5);
    f.Convert(4, ParseDouble, &d, EmptyRule::Strict);  // past the end: nothing
    f.Convert(4, ParseDouble, &d, EmptyRule::Skip);
    EXPECT_EQ(f.Bad, 2);
}

TEST(RecordFields, TextsAreCutAndStationsCounted)
{
    RecordFields f(Sentence("X,ABCDEFGHIJKLMNOPQRSTUVWXYZ,,7499MXY,QQQ").c_str());
    char version[20] = "old";
    f.Copy(1, version, EmptyRule::Skip);
    EXPECT_STREQ(version, "ABCDEFGHIJKLMNOPQRS");
    f.Copy(2, version, EmptyRule::Skip);
    EXPECT_STREQ(version, "ABCDEFGHIJKLMNOPQRS");
    f.Copy(2, version, EmptyRule::Strict);
    EXPECT_STREQ(version, "");
    EXPECT_EQ(f.Bad, 0);

    char name[6] = "x";
    StationCode code = -1;
    f.Station(3, name, &code, EmptyRule::Strict);
    EXPECT_STREQ(name, "7499M");
    EXPECT_EQ(code, 749901);
    EXPECT_EQ(f.Bad, 0);
    f.Station(2, name, &code, EmptyRule::Skip);         // empty, skipped
    EXPECT_STREQ(name, "7499M");
    EXPECT_EQ(f.Bad, 0);
    f.Station(2, name, &code, EmptyRule::Strict);       // empty, copied and counted
    EXPECT_STREQ(name, "");
    EXPECT_EQ(f.Bad, 1);
    f.Station(4, &code, EmptyRule::Skip);               // not a station
    EXPECT_EQ(f.Bad, 2);
    EXPECT_EQ(code, 749901);
}

TEST(SentenceForms, OlderFormIsTestedFirst)
{
    struct Case { const char *body; SentenceForm::Kind form; int versionField; };
    for (Case c : {Case{"DODU,GPPOSA,1.0,x", SentenceForm::Current, 2},
                   {"dodu,gpposa,1.0,x", SentenceForm::Current, 2},
                   {"DODU,1.0,GPPOS,x", SentenceForm::Older, 1},
                   {"DODU,GPPOSA,GPPOS,x", SentenceForm::Older, 1},
                   {"DODU,GPPOS,1.0,x", SentenceForm::None, -1},
                   {"XXXX,GPPOSA,1.0,x", SentenceForm::None, -1},
                   {"DODU", SentenceForm::None, -1}}) {
        RecordFields f(Sentence(c.body).c_str());
        SentenceForm form = ResolveForm(f, "GPPOSA", "GPPOS");
        EXPECT_EQ(form.Form, c.form) << c.body;
        EXPECT_EQ(form.VersionField, c.versionField) << c.body;
    }
    RecordFields both(Sentence("DODU,DASFA,DASF,x").c_str());
    EXPECT_EQ(ResolveForm(both, "DASFA", "DASF", true).Form, SentenceForm::Current);
}

TEST(StationGroups, QuotientGateAndLimit)
{
    struct Case { int fields; int32_t announced; GroupPlan::Outcome result; int32_t count; };
    // Groups of 10 from field 11, as in TOAA.
    for (Case c : {Case{31, 2, GroupPlan::Read, 2},        // exact
                   {32, 2, GroupPlan::Read, 2},            // one surplus field tolerated
                   {36, 3, GroupPlan::Refuse, 3},          // q = 8
                   {11 + 330, 33, GroupPlan::Read, 30},    // cut to 30
                   {11, 0, GroupPlan::NoGroups, 0},        // no stations
                   {11 + 2, 3, GroupPlan::NoGroups, 3},    // q = 0: header only, count kept
                   {11 + 20, -2, GroupPlan::Refuse, 0},    // negative: q = -10
                   {11 + 6, -7, GroupPlan::NoGroups, 0},   // negative, q = 0: no rows
                   {11 + 20, INT32_MIN, GroupPlan::NoGroups, 0},
                   {11 + 20, INT32_MAX, GroupPlan::NoGroups, 30}}) {
        GroupPlan plan = PlanGroups(c.fields, 11, c.announced, 10);
        EXPECT_EQ(plan.Result, c.result) << c.fields << " " << c.announced;
        EXPECT_EQ(plan.Count, c.count) << c.fields << " " << c.announced;
    }
}

TEST(ReceiverTime, TextsBySource)
{
    struct Case { double time; int32_t date; char source; const char *t, *d, *s; };
    for (Case c : {Case{123456.78, 51226, 'G', "12:34:56.78", "05/12/26", "GPS"},
                   {0.0, 10107, 'L', "00:00:00.00", "01/01/07", "eLoran"},
                   {235959.99, 311299, 'G', "23:59:59.99", "31/12/99", "GPS"},
                   {123456.78, 51226, 'N', "123456.78", "- - -", "None"},
                   {5.0, 0, 'g', "5.00", "- - -", "None"},
                   {-1.0, 51226, 'G', "-1.00", "05/12/26", "GPS"},
                   {240000.0, 51226, 'L', "240000.00", "05/12/26", "eLoran"},
                   {1e300, 51226, 'G', nullptr, "05/12/26", "GPS"}}) {
        ReceiverTimeText text = FormatReceiverTime(c.time, c.date, c.source);
        if (c.t) {
            EXPECT_EQ(text.Time, c.t) << c.time;
        }
        EXPECT_EQ(text.Date, c.d) << c.time;
        EXPECT_EQ(text.Source, c.s) << c.time;
    }
    // Raw times are written in full, however long.
    std::string huge = FormatReceiverTime(1e300, 0, 'G').Time;
    EXPECT_EQ(huge.size(), 301u + 3u);
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
    EXPECT_EQ(FormatReceiverTime(std::numeric_limits<double>::quiet_NaN(), 0, 'G').Time, " nan");
    EXPECT_EQ(FormatReceiverTime(std::numeric_limits<double>::infinity(), 0, 'L').Time, " inf");
}
