#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "sentence/fields.h"

TEST(FieldConverters, AcceptOnlyWhollyConvertedNonEmptyFields)
{
    char c = 'q';
    EXPECT_EQ(ParseChar("", &c), 1);
    EXPECT_EQ(ParseChar("ab", &c), 1);
    EXPECT_EQ(c, 'q');
    EXPECT_EQ(ParseChar(" ", &c), 0);
    EXPECT_EQ(c, ' ');

    int32_t i = 42;
    EXPECT_EQ(ParseInt("12x", &i), 1);
    EXPECT_EQ(ParseInt("", &i), 1);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(ParseInt("-7", &i), 0);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(ParseInt(" 5", &i), 0);   // leading white space is the conversion's own
    EXPECT_EQ(i, 5);

    double d = 3.0;
    EXPECT_EQ(ParseDouble("1.5 ", &d), 1);
    EXPECT_EQ(d, 3.0);
    EXPECT_EQ(ParseDouble("-1.5e3", &d), 0);
    EXPECT_EQ(d, -1500.0);

    float f = 0;
    EXPECT_EQ(ParseFloat("0.25", &f), 0);
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(ParseFloat("abc", &f), 1);
}

TEST(FieldConverters, IntegersClampToThirtyTwoBits)
{
    int32_t i = 0;
    EXPECT_EQ(ParseInt("99999999999", &i), 0);
    EXPECT_EQ(i, INT32_MAX);
    EXPECT_EQ(ParseInt("-99999999999", &i), 0);
    EXPECT_EQ(i, INT32_MIN);

    uint32_t h = 0;
    EXPECT_EQ(ParseHex("0x1F", &h), 0);
    EXPECT_EQ(h, 0x1Fu);
    EXPECT_EQ(ParseHex("ffffffff", &h), 0);
    EXPECT_EQ(h, 0xFFFFFFFFu);
    EXPECT_EQ(ParseHex("123456789A", &h), 0);
    EXPECT_EQ(h, 0xFFFFFFFFu);
    EXPECT_EQ(ParseHex("G", &h), 1);
}

TEST(StationCodes, TextToCode)
{
    struct Case { const char *text; int code; };
    for (Case c : {Case{"7499M", 749901}, {"7499z", 749908}, {"7499S", 749920}, {"74991", 749911},
                   {"7499", 749900}, {"7499 ", 749900}, {"7499MX", 749901}, {"9999Y", 999907}}) {
        int32_t code = -1;
        EXPECT_EQ(StationIdToCode(&code, c.text), 0) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
    for (const char *bad : {"7499Q", "3999M", "749", "", "M7499", "-7499"}) {
        int32_t code = -1;
        EXPECT_EQ(StationIdToCode(&code, bad), 1) << bad;
        EXPECT_EQ(code, -1) << bad;
    }
}

TEST(StationCodes, CodeToText)
{
    char out[6] = "xxxxx";
    EXPECT_EQ(CodeToStationId(out, 749909), 0);
    EXPECT_STREQ(out, "7499S");
    EXPECT_EQ(CodeToStationId(out, 749920), 0);
    EXPECT_STREQ(out, "7499S");
    EXPECT_EQ(CodeToStationId(out, 749915), 0);
    EXPECT_STREQ(out, "74995");
    EXPECT_EQ(CodeToStationId(out, 749900), 0);
    EXPECT_STREQ(out, "7499 ");
    strcpy(out, "keep");
    EXPECT_EQ(CodeToStationId(out, 749921), 1);
    EXPECT_EQ(CodeToStationId(out, 399901), 1);
    EXPECT_EQ(CodeToStationId(out, -749901), 1);
    EXPECT_STREQ(out, "keep");
}

TEST(StationCodes, RoundTripOfEveryReadableSuffix)
{
    for (char s : std::string(" MTUVWXYZS0123456789")) {
        char id[6] = {'8', '9', '7', '0', s, 0};
        int32_t code = 0;
        ASSERT_EQ(StationIdToCode(&code, id), 0) << id;
        char back[6];
        ASSERT_EQ(CodeToStationId(back, code), 0);
        EXPECT_STREQ(back, id);
    }
}

TEST(ContainsWithin, OnlyWithinTheFirstNCharacters)
{
    EXPECT_NE(ContainsWithin("$DODU,TOAA", "DODU", 5), nullptr);
    EXPECT_EQ(ContainsWithin("$$DODU,TOAA", "DODU", 5), nullptr);
    const char *line = "ab,DODU";
    EXPECT_EQ(ContainsWithin(line, "DODU", 100), line + 3);
    EXPECT_EQ(ContainsWithin("short", "DODU", 100), nullptr);
}

TEST(PadAlign, Modes)
{
    EXPECT_EQ(PadAlign("abc", 6, 0), "abc   ");
    EXPECT_EQ(PadAlign("abc", 6, 3), "   abc");
    EXPECT_EQ(PadAlign("abc", 6, 1), " abc ");
    EXPECT_EQ(PadAlign("abc", 6, 2), " abc ");
    EXPECT_EQ(PadAlign("12.5", 4, 4), "  12.5");
    EXPECT_EQ(PadAlign("17", 4, 4), "17");
    EXPECT_EQ(PadAlign("  abc\t", 6, 3), "   abc");
    EXPECT_EQ(PadAlign("abcdefgh", 4, 3), "abcdefgh");
    EXPECT_EQ(PadAlign(" abc ", 6, 9), "abc");
}

TEST(GeoPosition, ConstantsAndConstruction)
{
    GeoPosition p;
    EXPECT_EQ(p.Latitude, 0.0);
    GeoPosition q(52.0, 4.5, 10.0);
    EXPECT_EQ(q.Longitude, 4.5);
    EXPECT_NEAR(GeoPosition::SecondEccentricitySquared, 0.0067394981, 1e-9);
}
