#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "plots/compass.h"
#include "sentence_text.h"

namespace {

HdgaRecord Record(char source, float heading)
{
    HdgaRecord r;
    r.Source = source;
    r.Heading = heading;
    return r;
}

} // namespace

TEST(CompassHeading, OffsetsTextsAndTheDial)
{
    for (auto [heading, offset, shown] : {std::tuple{350.0f, 20.0f, 10.0f}, {30.0f, -45.0f, 345.0f}, {-180.0f, -360.0f, 180.0f},
                                          {-10.0f, -45.0f, 305.0f}, {720.5f, 360.0f, 0.5f}})
        EXPECT_EQ(CorrectedHeading(heading, offset), shown) << heading << " " << offset;
    float zero = CorrectedHeading(360.0f, -360.0f);
    EXPECT_EQ(zero, 0.0f);
    EXPECT_FALSE(std::signbit(zero));   // never shown as "-0.00"
    float nearlyFull = CorrectedHeading(359.99999f, 0.0001f);
    EXPECT_GE(nearlyFull, 0.0f);
    EXPECT_LT(nearlyFull, 360.0f);

    EXPECT_EQ(ReadOffset("-360"), -360.0f);
    EXPECT_EQ(ReadOffset("1e2"), 100.0f);
    for (const char *bad : {"360.5", "-360.01", "", "abc", "12,5", "5 ", "nan", "inf", "1e40"})
        EXPECT_FALSE(ReadOffset(bad).has_value()) << bad;
    for (float v : {12.3f, -0.1f, 359.99f, -360.0f, 1.0e-7f})   // the stored text reads back exactly
        EXPECT_EQ(ReadOffset(OffsetSettingText(v)), v) << OffsetSettingText(v);
    EXPECT_EQ(OffsetSettingText(-45.0f), "-45");

    EXPECT_EQ(HeadingValueText(-45.0), "-45.00");
    EXPECT_EQ(HeadingValueText(0.304), "0.30");
    std::string huge = HeadingTimeText(1e300);   // written whole, not cut at a buffer's end
    EXPECT_EQ(huge.size(), 304u);
}
TEST(CompassColumns, SourcesTakeColumnsInTurn)
{
    HeadingColumns cols;
    cols.offset[1] = 20.0f;
    HeadingColumns::Update g = cols.Take(Record('G', 350.0f));
    EXPECT_EQ(g.Column, 0);
    EXPECT_EQ(g.Offset, 20.0f);
    EXPECT_EQ(cols.shownHeading[0], 10.0f);
    EXPECT_EQ(cols.Take(Record('L', 30.0f)).Offset, -45.0f);   // the default
    EXPECT_EQ(cols.shownHeading[1], 345.0f);
    EXPECT_EQ(cols.Take(Record('G', 0.0f)).Column, 0);   // keeps its column
    EXPECT_EQ(cols.Take(Record('I', 0.0f)).Column, 2);
    EXPECT_EQ(cols.Take(Record('X', 0.0f)).Column, -1);   // a fourth source finds none
}
TEST(CompassColumns, NotValidSourcesShowNoHeadingAndGiveWayToOthers)
{
    HeadingColumns cols;
    HeadingColumns::Update n = cols.Take(Record('N', 123.0f));
    EXPECT_EQ(n.Column, 0);
    EXPECT_FALSE(n.HeadingShown);
    EXPECT_FALSE(cols.Settable(0));
    // 'g' is not GPS: not valid either, and like any new letter it takes over the column held by 'N'.
    EXPECT_EQ(cols.Take(Record('g', 10.0f)).Column, 0);
    EXPECT_EQ(cols.columnSource[0], 'g');
    EXPECT_EQ(cols.Take(Record('L', 10.0f)).Column, 1);
    EXPECT_TRUE(cols.Settable(1));
    EXPECT_FALSE(cols.Settable(0));
}
TEST(CompassColumns, AHeadingThatIsNoNumberDropsTheLine)
{
    HeadingColumns cols;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(cols.Take(Record('G', inf)).Column, -1);
    EXPECT_EQ(cols.Take(Record('L', std::nanf(""))).Column, -1);
    EXPECT_TRUE(cols.AllFree());
    // Shown or not, a not-valid source's heading is never used.
    EXPECT_EQ(cols.Take(Record('N', inf)).Column, 0);
    // A source already shown keeps its heading and its age.
    EXPECT_EQ(cols.Take(Record('G', 90.0f)).Column, 0);
    cols.Tick();
    EXPECT_EQ(cols.Take(Record('G', inf)).Column, -1);
    EXPECT_EQ(cols.shownHeading[0], 90.0f);
    EXPECT_EQ(cols.age[0], 1);
}

TEST(CompassColumns, ElevenSilentSecondsFreeAColumn)
{
    HeadingColumns cols;
    for (int s = 0; s < 30; ++s) {
        cols.Take(Record('L', 1.0f));
        EXPECT_EQ(cols.Tick(), 0u);
    }
    cols.Take(Record('G', 1.0f));
    for (int s = 1; s <= 10; ++s) {
        cols.Take(Record('L', 1.0f));
        EXPECT_EQ(cols.Tick(), 0u) << s;
    }
    EXPECT_EQ(cols.Tick(), 2u);   // the eleventh second without GPS
    EXPECT_EQ(cols.columnSource[1], 0);
    EXPECT_FALSE(cols.AllFree());
    EXPECT_EQ(cols.age[0], 2);   // eLoran last came two ticks ago
    for (int s = 3; s <= 10; ++s) EXPECT_EQ(cols.Tick(), 0u);
    EXPECT_EQ(cols.Tick(), 1u);
    EXPECT_TRUE(cols.AllFree());
    // Once free, a column can go on ageing for ever.
    cols.age[2] = INT_MAX - 1;
    for (int s = 0; s < 3; ++s) EXPECT_EQ(cols.Tick(), 0u);
    EXPECT_EQ(cols.age[2], INT_MAX);
}

TEST(CompassColumns, ANewOffsetMovesTheShownHeading)
{
    HeadingColumns cols;
    cols.offset[1] = 20.0f;
    cols.Take(Record('X', 0.0f));
    cols.Take(Record('G', 350.0f));   // column 1, shown 10
    EXPECT_TRUE(cols.SetOffset(1, -360.0f));
    EXPECT_GE(cols.shownHeading[1], 0.0f);
    EXPECT_NEAR(cols.shownHeading[1], 350.0f, 1e-4);
    cols.Take(Record('G', 100.0f));   // the next line uses the new offset
    EXPECT_EQ(cols.shownHeading[1], 100.0f);
    for (int column : {0, 2, 3, -1}) EXPECT_FALSE(cols.SetOffset(column, 5.0f)) << column;
    EXPECT_EQ(cols.offset[0], -45.0f);
}
TEST(CompassNeedle, PointsClockwiseFromUpWithOffsetsTruncatedTowardZero)
{
    auto n = NeedleAt(0.0f, NeedleShapeOf('L'));
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Tip, (DialPoint{124, 14}));
    EXPECT_EQ(n->FirstWing, (DialPoint{138, 177}));
    // South: the wings lie above the centre, their negative offsets truncated
    // toward zero (-14.2 -> -14, -53.1 -> -53), not rounded down.
    auto s = NeedleAt(180.0f, NeedleShapeOf('L'));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Tip, (DialPoint{124, 233}));   // 110 * -cos(pi as a float) is just below 110
    EXPECT_EQ(s->FirstWing, (DialPoint{110, 71}));
    EXPECT_EQ(s->Tail, (DialPoint{124, 97}));
    auto g = NeedleAt(10.0f, NeedleShapeOf('G'));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Tip, (DialPoint{141, 26}));
    EXPECT_EQ(g->SecondWing, (DialPoint{107, 170}));
    auto west = NeedleAt(270.0f, NeedleShapeOf('I'));
    ASSERT_TRUE(west);
    EXPECT_EQ(west->Tip, (DialPoint{35, 124}));
    EXPECT_EQ(NeedleShapeOf('N').Length, 0);
}
TEST(CompassNeedle, NoNeedleForAHeadingThatIsNoNumber)
{
    EXPECT_FALSE(NeedleAt(std::numeric_limits<float>::infinity(), NeedleShapeOf('L')));
    EXPECT_FALSE(NeedleAt(std::nanf(""), NeedleShapeOf('G')));
}
