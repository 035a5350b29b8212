#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
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

    for (float v : {12.3f, -0.1f, -360.0f, 1.0e-7f})   // the stored text reads back exactly
        EXPECT_EQ(ReadOffset(OffsetSettingText(v)), v) << OffsetSettingText(v);
    std::string huge = HeadingTimeText(1e300);   // written whole, not cut at a buffer's end
    EXPECT_EQ(huge.size(), 304u);
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

TEST(CompassColumns, AgesCountOnWithoutOverflow)
{
    HeadingColumns cols;
    cols.Take(Record('L', 1.0f));
    for (int s = 1; s <= 10; ++s) EXPECT_EQ(cols.Tick(), 0u) << s;
    EXPECT_EQ(cols.Tick(), 1u);   // the eleventh silent second frees the column
    EXPECT_TRUE(cols.AllFree());
    cols.age[2] = INT_MAX - 1;   // once free, a column can go on ageing for ever
    for (int s = 0; s < 3; ++s) EXPECT_EQ(cols.Tick(), 0u);
    EXPECT_EQ(cols.age[2], INT_MAX);
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
    EXPECT_EQ(NeedleAt(10.0f, NeedleShapeOf('G'))->SecondWing, (DialPoint{107, 170}));
    EXPECT_FALSE(NeedleAt(std::numeric_limits<float>::infinity(), NeedleShapeOf('L')));
    EXPECT_FALSE(NeedleAt(std::nanf(""), NeedleShapeOf('G')));
}
