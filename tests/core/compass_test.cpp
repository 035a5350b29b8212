#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

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

TEST(CompassHeading, OffsetIsAddedAndTheResultStaysOnTheDial)
{
    EXPECT_EQ(CorrectedHeading(350.0f, 20.0f), 10.0f);
    EXPECT_EQ(CorrectedHeading(30.0f, -45.0f), 345.0f);
    EXPECT_EQ(CorrectedHeading(0.0f, 0.0f), 0.0f);
    // Headings sent as -180..180 and the widest offsets stay within [0, 360).
    EXPECT_EQ(CorrectedHeading(-180.0f, -360.0f), 180.0f);
    EXPECT_EQ(CorrectedHeading(-10.0f, -45.0f), 305.0f);
    EXPECT_EQ(CorrectedHeading(720.5f, 360.0f), 0.5f);
    float zero = CorrectedHeading(360.0f, -360.0f);
    EXPECT_EQ(zero, 0.0f);
    EXPECT_FALSE(std::signbit(zero));   // never shown as "-0.00"
    float nearlyFull = CorrectedHeading(359.99999f, 0.0001f);
    EXPECT_GE(nearlyFull, 0.0f);
    EXPECT_LT(nearlyFull, 360.0f);
}

TEST(CompassHeading, OffsetsTheUserMaySet)
{
    EXPECT_EQ(ReadOffset("360"), 360.0f);
    EXPECT_EQ(ReadOffset("-360"), -360.0f);
    EXPECT_EQ(ReadOffset("-45.00"), -45.0f);
    EXPECT_EQ(ReadOffset("1e2"), 100.0f);
    for (const char *bad : {"360.5", "-360.01", "", "abc", "12,5", "5 ", "nan", "NAN", "inf", "-inf", "1e40"})
        EXPECT_FALSE(ReadOffset(bad).has_value()) << bad;
    EXPECT_FALSE(OffsetAllowed(std::numeric_limits<float>::quiet_NaN()));
}

TEST(CompassHeading, StoredOffsetTextReadsBackExactly)
{
    EXPECT_EQ(OffsetSettingText(-45.0f), "-45");
    EXPECT_EQ(OffsetSettingText(0.0f), "0");
    EXPECT_EQ(OffsetSettingText(12.5f), "12.5");
    for (float v : {12.3f, -0.1f, 359.99f, -360.0f, 1.0e-7f})
        EXPECT_EQ(ReadOffset(OffsetSettingText(v)), v) << OffsetSettingText(v);
}

TEST(CompassHeading, ColumnTexts)
{
    EXPECT_EQ(HeadingTimeText(28.37), "28.37");
    EXPECT_EQ(HeadingTimeText(1.0), "1.00");
    EXPECT_EQ(HeadingValueText(10.0), "10.00");
    EXPECT_EQ(HeadingValueText(-45.0), "-45.00");
    EXPECT_EQ(HeadingValueText(0.304), "0.30");
    // A huge time is written whole, not cut at a buffer's end.
    std::string huge = HeadingTimeText(1e300);
    EXPECT_EQ(huge.size(), 304u);
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
}

TEST(CompassColumns, SourcesTakeColumnsInTurn)
{
    HeadingColumns cols;
    cols.offset[1] = 20.0f;
    HeadingColumns::Update g = cols.Take(Record('G', 350.0f));
    EXPECT_EQ(g.Column, 0);
    EXPECT_TRUE(g.HeadingShown);
    EXPECT_EQ(g.Offset, 20.0f);
    EXPECT_EQ(cols.shownHeading[0], 10.0f);

    HeadingColumns::Update l = cols.Take(Record('L', 30.0f));
    EXPECT_EQ(l.Column, 1);
    EXPECT_EQ(l.Offset, -45.0f);   // the default
    EXPECT_EQ(cols.shownHeading[1], 345.0f);
    EXPECT_EQ(cols.Take(Record('G', 0.0f)).Column, 0);   // keeps its column
    EXPECT_EQ(cols.Take(Record('I', 0.0f)).Column, 2);
    // A fourth source finds no column.
    HeadingColumns::Update x = cols.Take(Record('X', 0.0f));
    EXPECT_EQ(x.Column, -1);
    EXPECT_EQ(cols.columnSource[0], 'G');
    EXPECT_EQ(cols.columnSource[1], 'L');
    EXPECT_EQ(cols.columnSource[2], 'I');
}

TEST(CompassColumns, NotValidSourcesShowNoHeadingAndGiveWayToOthers)
{
    HeadingColumns cols;
    HeadingColumns::Update n = cols.Take(Record('N', 123.0f));
    EXPECT_EQ(n.Column, 0);
    EXPECT_FALSE(n.HeadingShown);
    EXPECT_EQ(cols.shownHeading[0], 0.0f);
    EXPECT_FALSE(cols.Settable(0));
    EXPECT_EQ(cols.Take(Record('N', 1.0f)).Column, 0);
    // Letters are compared exactly: 'g' is not GPS. It is not valid either, and
    // like any new letter it takes over the column held by 'N'.
    HeadingColumns::Update lower = cols.Take(Record('g', 10.0f));
    EXPECT_EQ(lower.Column, 0);
    EXPECT_FALSE(lower.HeadingShown);
    EXPECT_EQ(cols.columnSource[0], 'g');
    // 'g' keeps its column; a known source takes the next free one.
    EXPECT_EQ(cols.Take(Record('L', 10.0f)).Column, 1);
    EXPECT_TRUE(cols.Settable(1));
    EXPECT_FALSE(cols.Settable(0));
    EXPECT_FALSE(cols.Settable(2));
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
    ASSERT_EQ(cols.shownHeading[1], 10.0f);
    EXPECT_TRUE(cols.SetOffset(1, 0.0f));
    EXPECT_EQ(cols.offset[1], 0.0f);
    EXPECT_NEAR(cols.shownHeading[1], 350.0f, 1e-4);
    EXPECT_TRUE(cols.SetOffset(1, 360.0f));
    EXPECT_NEAR(cols.shownHeading[1], 350.0f, 1e-4);
    EXPECT_TRUE(cols.SetOffset(1, -360.0f));
    EXPECT_GE(cols.shownHeading[1], 0.0f);
    EXPECT_NEAR(cols.shownHeading[1], 350.0f, 1e-4);
    // The next line of the source uses the new offset.
    cols.Take(Record('G', 100.0f));
    EXPECT_EQ(cols.shownHeading[1], 100.0f);

    EXPECT_FALSE(cols.SetOffset(0, 5.0f));   // 'X': no offset of its own
    EXPECT_FALSE(cols.SetOffset(2, 5.0f));   // free
    EXPECT_FALSE(cols.SetOffset(3, 5.0f));
    EXPECT_FALSE(cols.SetOffset(-1, 5.0f));
    EXPECT_EQ(cols.offset[0], -45.0f);
    EXPECT_EQ(cols.offset[2], 0.0f);
}

TEST(CompassNeedle, ShapesOfTheSources)
{
    EXPECT_EQ(NeedleShapeOf('L').Length, 110);
    EXPECT_EQ(NeedleShapeOf('L').HalfAngle, 15);
    EXPECT_EQ(NeedleShapeOf('G').Length, 100);
    EXPECT_EQ(NeedleShapeOf('G').HalfAngle, 11);
    EXPECT_EQ(NeedleShapeOf('I').Length, 90);
    EXPECT_EQ(NeedleShapeOf('I').HalfAngle, 8);
    EXPECT_EQ(NeedleShapeOf('N').Length, 0);
}

TEST(CompassNeedle, EloranNeedleAtNorth)
{
    auto n = NeedleAt(0.0f, NeedleShapeOf('L'));
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Tip, (DialPoint{124, 14}));
    EXPECT_EQ(n->FirstWing, (DialPoint{138, 177}));
    EXPECT_EQ(n->Tail, (DialPoint{124, 151}));
    EXPECT_EQ(n->SecondWing, (DialPoint{110, 177}));
}

TEST(CompassNeedle, PointsClockwiseFromUpWithOffsetsTruncatedTowardZero)
{
    // South: the wings lie above the centre, their negative offsets truncated
    // toward zero (-14.2 -> -14, -53.1 -> -53), not rounded down.
    auto s = NeedleAt(180.0f, NeedleShapeOf('L'));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Tip, (DialPoint{124, 233}));   // 110 * -cos(pi as a float) is just below 110
    EXPECT_EQ(s->FirstWing, (DialPoint{110, 71}));
    EXPECT_EQ(s->Tail, (DialPoint{124, 97}));
    EXPECT_EQ(s->SecondWing, (DialPoint{138, 71}));

    auto g = NeedleAt(10.0f, NeedleShapeOf('G'));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Tip, (DialPoint{141, 26}));
    EXPECT_EQ(g->FirstWing, (DialPoint{124, 173}));
    EXPECT_EQ(g->Tail, (DialPoint{120, 148}));
    EXPECT_EQ(g->SecondWing, (DialPoint{107, 170}));

    auto east = NeedleAt(90.0f, NeedleShapeOf('I'));
    auto west = NeedleAt(270.0f, NeedleShapeOf('I'));
    ASSERT_TRUE(east && west);
    EXPECT_EQ(east->Tip, (DialPoint{213, 124}));
    EXPECT_EQ(west->Tip, (DialPoint{35, 124}));
    EXPECT_EQ(west->Tail, (DialPoint{146, 124}));
}

TEST(CompassNeedle, NoNeedleForAHeadingThatIsNoNumber)
{
    EXPECT_FALSE(NeedleAt(std::numeric_limits<float>::infinity(), NeedleShapeOf('L')));
    EXPECT_FALSE(NeedleAt(std::nanf(""), NeedleShapeOf('G')));
}
