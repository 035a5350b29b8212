#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sentence/splitters.h"
#include "sentence_text.h"

namespace {


template <typename Splitter>
std::vector<std::string> FieldsOf(const Splitter &s)
{
    std::vector<std::string> out;
    for (int i = 0; i < s.FieldCount; ++i) out.emplace_back(s.Fields[i]);
    return out;
}

} // namespace

TEST(NovatelLogClass, SplitsAGoodSentence)
{
    NovatelLogClass s(Sentence("GPGGA,1,2").c_str());
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{"GPGGA", "1", "2"}));
}

TEST(NovatelLogClass, EmptyBodyHasChecksumZeroAndOneEmptyField)
{
    NovatelLogClass s("$*00");
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{""}));
}

TEST(NovatelLogClass, ChecksumDigitsAnyCaseAndSingleDigit)
{
    // "A,B" XOR is 0x41 ^ 0x2C ^ 0x42 = 0x2F
    EXPECT_EQ(NovatelLogClass("$A,B*2f").Status, 0);
    EXPECT_EQ(NovatelLogClass("$A,B*2F").Status, 0);
    // "!" alone is 0x21; "$ !" would be 0x20^0x21 = 1: read as the single digit 1
    EXPECT_EQ(NovatelLogClass("$ !*1").Status, 0);
    EXPECT_EQ(NovatelLogClass("$ !*01").Status, 0);
}

TEST(NovatelLogClass, RefusesBadFraming)
{
    for (const char *line : {"$A,B*2E", "$A,B", "A,B*2F", "#A,B*2F", "$A,B*", "$A,B*G1", ""}) {
        NovatelLogClass s(line);
        EXPECT_EQ(s.Status, 2) << line;
        EXPECT_EQ(s.FieldCount, 0) << line;
        EXPECT_EQ(s.Fields, nullptr) << line;
    }
}

TEST(NovatelLogClass, SeparatorsAfterTheStarStillCount)
{
    NovatelLogClass s("$A,B*2F,X");
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{"A", "B", "2F"}));
}

TEST(NovatelLogClass, ConsecutiveSeparatorsGiveEmptyFields)
{
    NovatelLogClass s(Sentence("DODU,,X,,").c_str());
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{"DODU", "", "X", "", ""}));
}

TEST(NMEALogClass, BehavesLikeNovatelLogClass)
{
    std::string line = Sentence("DODU,DLORA,1");
    NMEALogClass s(line.c_str());
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{"DODU", "DLORA", "1"}));
    EXPECT_EQ(NMEALogClass("$A,B*2E").Status, 2);
}

TEST(NovatelOEM4LogClass, SplitsHeaderBodyAndDropsChecksum)
{
    NovatelOEM4LogClass s("#PSRPOSA,a;b,c*1234abcd");
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(FieldsOf(s), (std::vector<std::string>{"PSRPOSA", "a", "b", "c"}));
}

TEST(NovatelOEM4LogClass, RefusesDollarLinesAndHasNoFieldsWithoutSeparator)
{
    EXPECT_EQ(NovatelOEM4LogClass("$A,B*2F").Status, 2);
    NovatelOEM4LogClass bare("#PSRPOSA");
    EXPECT_EQ(bare.Status, 0);
    EXPECT_EQ(bare.FieldCount, 0);
}

TEST(NovatelLogClass, LongLineWithManyFields)
{
    std::string body = "DODU";
    for (int i = 0; i < 5000; ++i) body += "," + std::to_string(i);
    NovatelLogClass s(Sentence(body).c_str());
    ASSERT_EQ(s.Status, 0);
    ASSERT_EQ(s.FieldCount, 5001);
    EXPECT_STREQ(s.Fields[5000], "4999");
}
