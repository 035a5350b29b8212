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
    m.Filter = "$";
    m.AddData("A\nB\r\nC");
    EXPECT_EQ(m.AllText, "A\r\nB\r\nC");
    EXPECT_EQ(m.FilteredText, "A\r\nB\r\n");
    EXPECT_EQ(MonitorText::PendingLine(), "C");
    m.AddData("D\n");
    EXPECT_EQ(m.FilteredText, "A\r\nB\r\nCD\r\n");
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

TEST_F(MonitorTextTest, IncludeExcludeAndTheEmptyFilter)
{
    const std::string lines = "$GPGGA,1\r\n$DODU,TOAA\r\nIn> cmd\r\n";
    m.Mode = MonitorText::FilterMode::Include;
    m.Filter = "";
    m.AddData(lines);
    EXPECT_EQ(m.FilteredText, "");   // an empty filter is contained in no line
    m.Mode = MonitorText::FilterMode::Exclude;
    m.Filter = "gpgga";   // case-sensitive
    m.AddData(lines);
    EXPECT_EQ(m.FilteredText, lines);
}
TEST_F(MonitorTextTest, BothTextsKeepTheirLast10000Characters)
{
    m.Filter = "";
    std::string input;
    for (int i = 0; input.size() < 10500; ++i) input += "line " + std::to_string(i) + "\r\n";
    m.AddData(input);
    ASSERT_EQ(m.AllText.size(), 10000u);
    EXPECT_EQ(m.AllText, input.substr(input.size() - 10000));
    EXPECT_EQ(m.FilteredText, input.substr(input.size() - 10000));
}

TEST_F(MonitorTextTest, ThePendingLineIsCappedAndOutlivesTheWindow)
{
    m.AddData(std::string(12000, 'x'));
    EXPECT_EQ(MonitorText::PendingLine().size(), 10000u);
    MonitorText reopened;   // a new window
    reopened.Filter = "";
    reopened.AddData("y\n");
    EXPECT_EQ(reopened.FilteredText, std::string(9997, 'x') + "y\r\n");
    EXPECT_EQ(reopened.AllText, "y\r\n");
}

TEST(CommandHistory, DuplicatesLimitWalkingAndDropDown)
{
    CommandHistory h;
    EXPECT_EQ(h.Older("x"), "x");
    for (const char *c : {"A", "A", "", "$PDODU,1", "$X", "$P"}) h.Add(c);
    EXPECT_EQ(h.Entries(), (std::vector<std::string>{"A", "$PDODU,1", "$X", "$P"}));
    EXPECT_EQ(h.Older("$X"), "$PDODU,1");
    EXPECT_EQ(h.Older("A"), "A");
    EXPECT_EQ(h.Newer("$P"), "$P");
    EXPECT_EQ(h.Older("zz"), "A");
    EXPECT_EQ(h.Newest("A"), "$P");
    EXPECT_EQ(h.DropDownList("$P"), (std::vector<std::string>{"$P", "$PDODU,1"}));
    EXPECT_EQ(h.DropDownList("q"), (std::vector<std::string>{"q"}));
    for (int i = 0; i < 50; ++i) h.Add("c" + std::to_string(i));
    EXPECT_EQ(h.Entries().size(), 50u);
    EXPECT_EQ(h.Entries().front(), "c0");
}
