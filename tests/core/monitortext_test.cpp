#include <gtest/gtest.h>

#include "link/monitortext.h"

namespace {
struct MonitorTextTest : ::testing::Test {
    MonitorText m;
    void SetUp() override { MonitorText::PendingLine().clear(); }
};
} // namespace

TEST_F(MonitorTextTest, LoneLfBecomesCrLfAndOnlyWholeLinesAreFiltered)
{
    m.Mode = MonitorText::FilterMode::Exclude;
    m.Filter = "gpgga";   // case-sensitive
    m.AddData("A\n$GPGGA,1\r\nC");
    EXPECT_EQ(m.AllText, "A\r\n$GPGGA,1\r\nC");
    m.AddData("D\n");
    EXPECT_EQ(m.FilteredText, "A\r\n$GPGGA,1\r\nCD\r\n");
    m.Mode = MonitorText::FilterMode::Include;
    m.Filter = "";
    m.AddData("E\n");
    EXPECT_EQ(m.FilteredText, "A\r\n$GPGGA,1\r\nCD\r\n");   // an empty filter is contained in no line
}

TEST_F(MonitorTextTest, AFilteredLineSplitAcrossChunksIsJudgedWhole)
{
    m.Mode = MonitorText::FilterMode::Include;
    m.Filter = "$GPGGA";
    m.AddData("$GP");
    m.AddData("GGA,1*4B\r");
    EXPECT_EQ(m.FilteredText, "");
    m.AddData("\n$DODU,TOAA,1*00\r\n");
    // The CR and the LF arrived in different chunks: still one CR LF.
    EXPECT_EQ(m.FilteredText, "$GPGGA,1*4B\r\n");
    EXPECT_EQ(m.AllText, "$GPGGA,1*4B\r\n$DODU,TOAA,1*00\r\n");
}

TEST_F(MonitorTextTest, TextsKeepTheirLast10000CharactersAndThePendingLineOutlivesTheWindow)
{
    m.Filter = "";
    std::string input;
    for (int i = 0; input.size() < 10500; ++i) input += "line " + std::to_string(i) + "\r\n";
    m.AddData(input);
    EXPECT_EQ(m.AllText, input.substr(input.size() - 10000));
    EXPECT_EQ(m.FilteredText, m.AllText);
    m.AddData(std::string(12000, 'x'));
    EXPECT_EQ(MonitorText::PendingLine().size(), 10000u);
    MonitorText reopened;   // a new window
    reopened.Filter = "";
    reopened.AddData("y\n");
    EXPECT_EQ(reopened.FilteredText, std::string(9997, 'x') + "y\r\n");
    CommandHistory h;   // the history keeps the newest fifty commands
    for (int i = 0; i < 60; ++i) h.Add("c" + std::to_string(i));
    EXPECT_EQ(h.Entries().size(), 50u);
    EXPECT_EQ(h.Entries().front(), "c10");
}
