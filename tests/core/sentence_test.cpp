// Sentences: the splitters, bounded field access, the
// sentence forms and station groups, and the number notations.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "app/formatsi.h"
#include "logs/record_support.h"
#include "sentence/fields.h"
#include "sentence/numfmt.h"
#include "sentence/splitters.h"
#include "sentence_text.h"

namespace {
template <typename Splitter> std::vector<std::string> FieldsOf(const Splitter &s)
{
    std::vector<std::string> out;
    for (int i = 0; i < s.FieldCount; ++i) out.emplace_back(s.Fields[i]);
    return out;
}
using V = std::vector<std::string>;
} // namespace

TEST(Splitters, FieldsChecksumsAndFraming)
{
    EXPECT_EQ(FieldsOf(NovatelLogClass(Sentence("DODU,,X,,").c_str())), (V{"DODU", "", "X", "", ""}));
    // "A,B" gives 0x2F, in either case; "$ !" gives 1, read as a single digit too.
    for (const char *line : {"$A,B*2f", "$A,B*2F", "$ !*1", "$ !*01"}) EXPECT_EQ(NovatelLogClass(line).Status, 0) << line;
    EXPECT_EQ(FieldsOf(NovatelLogClass("$A,B*2F,X")), (V{"A", "B", "2F"}));   // separators after the star still count
    for (const char *line : {"$A,B*2E", "$A,B", "A,B*2F", "#A,B*2F", "$A,B*", "$A,B*G1", ""}) {
        NovatelLogClass s(line);
        EXPECT_TRUE(s.Status == 2 && s.FieldCount == 0 && s.Fields == nullptr) << line;
    }
    std::string body = "DODU";
    for (int i = 0; i < 5000; ++i) body += "," + std::to_string(i);
    NovatelLogClass many(Sentence(body).c_str());
    ASSERT_EQ(many.FieldCount, 5001);
    EXPECT_STREQ(many.Fields[5000], "4999");

    EXPECT_EQ(FieldsOf(NovatelOEM4LogClass("#PSRPOSA,a;b,c*1234abcd")), (V{"PSRPOSA", "a", "b", "c"}));
    EXPECT_EQ(NovatelOEM4LogClass("$A,B*2F").Status, 2);
    EXPECT_EQ(NovatelOEM4LogClass("#PSRPOSA").FieldCount, 0);
}

TEST(StationCodes, TextsAndCodesBothWays)
{
    int32_t got = -1;
    EXPECT_EQ(StationIdToCode(&got, "7499MX"), 0);   // the sixth character is never read
    EXPECT_EQ(got, 749901);
    for (const char *bad : {"7499Q", "3999M", "749", "", "M7499", "-7499"}) {
        int32_t got = -1;
        EXPECT_EQ(StationIdToCode(&got, bad), 1) << bad;
        EXPECT_EQ(got, -1) << bad;
    }
    for (char s : std::string(" MTUVWXYZS0123456789")) {
        char id[6] = {'8', '9', '7', '0', s, 0};
        int32_t code = 0;
        ASSERT_EQ(StationIdToCode(&code, id), 0) << id;
        char back[6];
        ASSERT_EQ(CodeToStationId(back, code), 0);
        EXPECT_STREQ(back, id);
    }
    char out[6] = "keep";
    for (int bad : {749921, 399901, -749901}) EXPECT_EQ(CodeToStationId(out, bad), 1) << bad;
    EXPECT_STREQ(out, "keep");
}

TEST(RecordFields, BoundedAccessEmptyRulesAndCutTexts)
{
    EXPECT_FALSE(RecordFields(nullptr).Ok());
    RecordFields g(Sentence("X,,1.5,abc,ABCDEFGHIJKLMNOPQRSTUVWXYZ,7499MXY").c_str());
    double d = 9.0;
    g.Convert(1, ParseDouble, &d, EmptyRule::Skip);     // empty: kept, not counted
    EXPECT_EQ(g.Bad, 0);
    g.Convert(1, ParseDouble, &d, EmptyRule::Strict);   // empty: counted
    EXPECT_EQ(g.Bad, 1);
    g.Convert(3, ParseDouble, &d, EmptyRule::Skip);     // letters: counted, value kept
    g.Convert(9, ParseDouble, &d, EmptyRule::Strict);   // past the end: nothing
    EXPECT_STREQ(g.Text(-1), "");
    EXPECT_EQ(g.Bad, 2);
    EXPECT_EQ(d, 9.0);
    char version[20] = "old";
    g.Copy(4, version, EmptyRule::Skip);
    EXPECT_STREQ(version, "ABCDEFGHIJKLMNOPQRS");
    char name[6] = "x";
    StationCode code = -1;
    g.Station(5, name, &code, EmptyRule::Strict);
    EXPECT_STREQ(name, "7499M");
    EXPECT_EQ(code, 749901);
    g.Station(3, &code, EmptyRule::Skip);   // not a station
    EXPECT_EQ(g.Bad, 3);
    EXPECT_EQ(code, 749901);
}

TEST(RecordFields, FormsGroupsAndReceiverTimes)
{
    struct Form {
        const char *body;
        SentenceForm::Kind form;
        int versionField;
    };
    for (Form c : {Form{"dodu,gpposa,1.0,x", SentenceForm::Current, 2}, {"DODU,GPPOSA,GPPOS,x", SentenceForm::Older, 1},
                   {"DODU,GPPOS,1.0,x", SentenceForm::None, -1}, {"DODU", SentenceForm::None, -1}}) {
        RecordFields f(Sentence(c.body).c_str());
        SentenceForm form = ResolveForm(f, "GPPOSA", "GPPOS");
        EXPECT_EQ(form.Form, c.form) << c.body;
        EXPECT_EQ(form.VersionField, c.versionField) << c.body;
    }
    struct Group {
        int fields;
        int32_t announced;
        GroupPlan::Outcome result;
        int32_t count;
    };
    for (Group c : {Group{32, 2, GroupPlan::Read, 2}, {36, 3, GroupPlan::Refuse, 3},
                    {11 + 330, 33, GroupPlan::Read, 30}, {11 + 2, 3, GroupPlan::NoGroups, 3},
                    {11 + 20, -2, GroupPlan::Refuse, 0}, {11 + 6, -7, GroupPlan::NoGroups, 0},
                    {11 + 20, INT32_MIN, GroupPlan::NoGroups, 0}, {11 + 20, INT32_MAX, GroupPlan::NoGroups, 30}}) {
        GroupPlan plan = PlanGroups(c.fields, 11, c.announced, 10);
        EXPECT_EQ(plan.Result, c.result) << c.fields << " " << c.announced;
        EXPECT_EQ(plan.Count, c.count) << c.fields << " " << c.announced;
    }
    struct Time {
        double time;
        int32_t date;
        char source;
        const char *t, *d, *s;
    };
    for (Time c : {Time{0.0, 10107, 'L', "00:00:00.00", "01/01/07", "eLoran"}, {5.0, 0, 'g', "5.00", "- - -", "None"},
                   {240000.0, 51226, 'L', "240000.00", "05/12/26", "eLoran"}}) {
        ReceiverTimeText text = FormatReceiverTime(c.time, c.date, c.source);
        EXPECT_EQ(text.Time, c.t) << c.time;
        EXPECT_EQ(text.Date, c.d) << c.time;
        EXPECT_EQ(text.Source, c.s) << c.time;
    }
    // Raw times are written in full, however long.
    std::string huge = FormatReceiverTime(1e300, 0, 'G').Time;
    EXPECT_EQ(huge.size(), 301u + 3u);
    EXPECT_EQ(FormatReceiverTime(std::numeric_limits<double>::quiet_NaN(), 0, 'G').Time, " nan");
}

TEST(NumberNotations, FixedExponentGeneralAndSI)
{
    const std::pair<std::string, std::string> cases[] = {
        {FormatFixed(101.234, 5, 3), "101.230"},     {FormatFixed(-2.5, 6, 2), "-2.50"},
        {FormatFixed(9.99996, 5, 4), "10.0000"},     {FormatFixed(0.125, 6, 2), "0.13"},
        {FormatFixed(-0.001, 6, 2), "0.00"},         {FormatFixed(5.0, 6, 0), "5"},
        {FormatFixed(1234567.0, 6, 2), "1.23457E6"}, {FormatFixed(-1e20, 9, 2), "-1E20"},
        {FormatFixed(std::nan(""), 6, 2), "NAN"},    {FormatFixed(-INFINITY, 6, 2), "-INF"},
        {FormatExponent(0.0, 5, 2), "0.0000E+00"},   {FormatExponent(1.2345678e-7, 5, 2), "1.2346E-07"},
        {FormatExponent(-42.0, 3, 3), "-4.20E+001"}, {FormatExponent(9.9999, 3, 2), "1.00E+01"},
        {FormatExponent(1e123, 3, 2), "1.00E+123"},  {FormatGeneral(-4.25), "-4.25"},
        {FormatGeneral(1e20), "1E20"},               {FormatGeneral(100.0), "100"},
        {FormatSI(0.0f, 4), " 0.000 "},              {FormatSI(1234.0f, 4), " 1.234 k"},
        {FormatSI(0.5f, 1), "500 m"},                {FormatSI(2e-6f, 1), "  2 \u00b5"},
        {FormatSI(1e-30f, 3), "N/A"},                {FormatSI(1e30f, 3), "N/A"},
    };
    for (const auto &[got, want] : cases) EXPECT_EQ(got, want);
}
