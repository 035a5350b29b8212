#include <gtest/gtest.h>

#include <string>

#include "plots/hdga.h"
#include "sentence_text.h"

namespace {

bool Recognised(const std::string &line)
{
    NovatelLogClass log(line.c_str());
    return log.Status == 0 && IsHdga(log);
}

} // namespace

TEST(HdgaRecognise, DoduAndBareFormsInAnyCase)
{
    EXPECT_TRUE(Recognised(Sentence("DODU,HDGA,1.0,28.37,0.04,I,44.89,0.30,0.99")));
    EXPECT_TRUE(Recognised(Sentence("HDGA,44.37,0.01,G,44.67,1.80,0.90")));
    EXPECT_TRUE(Recognised(Sentence("dodu,hdga")));
    EXPECT_TRUE(Recognised(Sentence("hdga,1")));
    EXPECT_FALSE(Recognised(Sentence("HDGA")));   // one field
    EXPECT_FALSE(Recognised(Sentence("DODU,HDGLA,1.0,1")));
    EXPECT_FALSE(Recognised(Sentence("HDGLA,1,2")));
    EXPECT_FALSE(Recognised(Sentence("DODU,1.0,HDGA")));
    EXPECT_FALSE(Recognised("$HDGA,44.37,0.01,G,44.67,1.80,0.90*00"));
}

TEST(HdgaRecord, BothFormsReadTheSameFields)
{
    HdgaRecord dodu;
    ASSERT_EQ(dodu.Parse(Sentence("DODU,HDGA,1.0,28.37,0.04,I,44.89,0.30,0.99").c_str()), 0);
    EXPECT_STREQ(dodu.Version, "1.0");
    EXPECT_EQ(dodu.Time, 28.37);
    EXPECT_EQ(dodu.Value, 0.04f);
    EXPECT_EQ(dodu.Source, 'I');
    EXPECT_EQ(dodu.Heading, 44.89f);
    EXPECT_EQ(dodu.HeadingStd, 0.30f);
    EXPECT_EQ(dodu.Quality, 0.99f);

    HdgaRecord bare;
    ASSERT_EQ(bare.Parse(Sentence("hdga,44.37,-0.01,G,344.67,1.80,0.90").c_str()), 0);
    EXPECT_STREQ(bare.Version, "");
    EXPECT_EQ(bare.Time, 44.37);
    EXPECT_EQ(bare.Value, -0.01f);
    EXPECT_EQ(bare.Source, 'G');
    EXPECT_EQ(bare.Heading, 344.67f);
    EXPECT_EQ(bare.HeadingStd, 1.80f);
    EXPECT_EQ(bare.Quality, 0.90f);
}

TEST(HdgaRecord, OtherLinesAreRefused)
{
    HdgaRecord r;
    EXPECT_EQ(r.Parse(Sentence("DODU,HDGLA,1.0,28.37").c_str()), 1);
    EXPECT_EQ(r.Parse(Sentence("DODU").c_str()), 1);
    EXPECT_EQ(r.Parse(Sentence("GPGGA,1,2,3").c_str()), 1);
    EXPECT_EQ(r.Parse(Sentence("DODU,1.0,HDGA,28.37").c_str()), 1);
    EXPECT_EQ(r.Parse("$DODU,HDGA,1.0,28.37,0.04,I,44.89,0.30,0.99*00"), 1);
    EXPECT_EQ(r.Parse("DODU,HDGA,1.0,28.37,0.04,I,44.89,0.30,0.99"), 1);   // no "$"
    EXPECT_EQ(r.Parse(""), 1);
    EXPECT_EQ(r.Parse(nullptr), 1);
}

TEST(HdgaRecord, MissingAndEmptyFieldsKeepTheirResetValues)
{
    HdgaRecord r;
    ASSERT_EQ(r.Parse(Sentence("DODU,HDGA,1.0,28.37,0.04,G,44.89,0.30,0.99").c_str()), 0);
    // The record is cleared before each line: nothing of the last one remains.
    ASSERT_EQ(r.Parse(Sentence("DODU,HDGA").c_str()), 0);
    EXPECT_STREQ(r.Version, "");
    EXPECT_EQ(r.Time, 0.0);
    EXPECT_EQ(r.Source, 'N');
    EXPECT_EQ(r.Heading, 0.0f);
    EXPECT_EQ(r.Quality, 0.0f);

    ASSERT_EQ(r.Parse(Sentence("HDGA,,,,12.5,,").c_str()), 0);
    EXPECT_EQ(r.Source, 'N');
    EXPECT_EQ(r.Heading, 12.5f);
    EXPECT_EQ(r.HeadingStd, 0.0f);

    // A bare line with only its identifier still parses.
    EXPECT_EQ(r.Parse(Sentence("HDGA").c_str()), 0);
}

TEST(HdgaRecord, EachBadFieldCountsOnce)
{
    HdgaRecord r;
    EXPECT_EQ(r.Parse(Sentence("HDGA,12:00,x,GG,1.2.3,,0.9q").c_str()), 5);
    EXPECT_EQ(r.Parse(Sentence("DODU,HDGA,1.0,28.37,0.04,LL,44.89,0.30,0.99").c_str()), 1);
    EXPECT_EQ(r.Parse(Sentence("DODU,HDGA,1.0,28.37,0.04,L,north,0.30,0.99").c_str()), 1);
    // The version is text and never bad; it is cut to 19 characters.
    ASSERT_EQ(r.Parse(Sentence("DODU,HDGA,ABCDEFGHIJKLMNOPQRSTUVWXYZ,1").c_str()), 0);
    EXPECT_STREQ(r.Version, "ABCDEFGHIJKLMNOPQRS");
    // Fields beyond the record's are ignored.
    EXPECT_EQ(r.Parse(Sentence("HDGA,1,2,L,3,4,5,junk,more").c_str()), 0);
}
