#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "plots/positionstats.h"

namespace {

const LatLon Centre{52.0, 4.0};
const MetreScale Scale = MetresPerDegree(52.0, 4.0);

// A position north and east of the centre by the given metres (scale at the centre).
XY At(double north, double east) { return XY{Centre.Longitude + east / Scale.Longitude, Centre.Latitude + north / Scale.Latitude}; }

} // namespace

TEST(PositionStatistics, TenOffsetsInMetricMode)
{
    // Offsets 1..10 m north, in a shuffled order: origin and scale are ignored.
    std::vector<int> order(10);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    PointList offsets;
    for (int i : order) offsets.push_back(XY{0.0, static_cast<double>(i)});
    const TrackStatistics s = ComputeStatistics(offsets, Centre, Scale, true);
    EXPECT_DOUBLE_EQ(s.Mean.Latitude, 5.5);
    EXPECT_EQ(s.MeanScale.Latitude, 1.0);
    EXPECT_DOUBLE_EQ(s.Offset, 5.5);
    EXPECT_DOUBLE_EQ(s.RealErr50, 6.0);   // the 6th smallest (index 5)
    EXPECT_DOUBLE_EQ(s.RealErr95, 10.0);  // the largest (index 9)
    // From the mean: 0.5, 0.5, 1.5, 1.5, ... 4.5, 4.5
    EXPECT_DOUBLE_EQ(s.AvgErr50, 2.5);
    EXPECT_DOUBLE_EQ(s.AvgErr95, 4.5);

    const std::vector<std::string> text = StatisticsText(LatLon{52.123456789, -4.5}, s, true);
    const std::vector<std::string> want = {
        "    Current Data:                Statistics:",
        "Lat     :  52.12345679      Lat Off :     5.5 m",
        "Lon     :  -4.50000000      Lon Off :     0.0 m",
        "                            Offset  :     5.5 m",
        "                            Avg Err :     2.5 m (50%)",
        "                                          4.5 m (95%)",
        "                                          4.5 m (99%)",
        "                            Real Err:     6.0 m (50%)",
        "                                         10.0 m (95%)",
        "                                         10.0 m (99%)",
        "                            #Obs    :    10",
    };
    EXPECT_EQ(text, want);
}

TEST(PositionStatistics, PositionsMeasuredFromTheCentreAndTheMean)
{
    // Four positions 30 m north, south, east and west of a point 40 m east of the centre.
    const PointList points{At(30, 40), At(-30, 40), At(0, 70), At(0, 10)};
    const TrackStatistics s = ComputeStatistics(points, Centre, Scale, false);
    EXPECT_NEAR(s.Mean.Latitude, 52.0, 1e-12);
    EXPECT_NEAR((s.Mean.Longitude - 4.0) * Scale.Longitude, 40.0, 1e-9);
    EXPECT_NEAR(s.Offset, 40.0, 1e-6);
    // Scale at the mean differs from the centre's only in the last digits here.
    for (double v : {s.AvgErr50, s.AvgErr95, s.AvgErr99}) EXPECT_NEAR(v, 30.0, 1e-3);
    // From the centre: 10, 50, 50, 70 -> index 2 is 50, index 3 is 70.
    EXPECT_NEAR(s.RealErr50, 50.0, 1e-6);
    EXPECT_NEAR(s.RealErr95, 70.0, 1e-6);
    EXPECT_EQ(StatisticsText(LatLon{52.0, 4.0}, s, false)[1], "Lat     :  52.00000000      Avg Lat :    52.00000000");
}

TEST(PositionStatistics, PercentilesOfTwoHundred)
{
    std::vector<double> sorted(200);
    std::iota(sorted.begin(), sorted.end(), 0.0);
    EXPECT_EQ(PercentileOfSorted(sorted, 99), 198.0);
    EXPECT_EQ(PercentileOfSorted({3.0}, 99), 3.0);
    EXPECT_EQ(PercentileOfSorted({}, 50), 0.0);
    TrackStatistics wide;
    wide.RealErr99 = 12345678.0;   // more digits than fit: exponent form, never cut
    EXPECT_NE(StatisticsText(LatLon{-52.5, 179.1}, wide, false)[9].substr(38).find('E'), std::string::npos);
}

TEST(PositionStatistics, EmptyAndBrokenInput)
{
    const TrackStatistics empty = ComputeStatistics(PointList{}, Centre, Scale, false);
    EXPECT_EQ(empty.Count, 0u);
    EXPECT_EQ(empty.RealErr50, 0.0);
    // A NaN among the points gives NaN means but no crash and a full count.
    const TrackStatistics s = ComputeStatistics(PointList{XY{4.0, 52.0}, XY{NAN, 52.0}}, Centre, Scale, false);
    EXPECT_EQ(s.Count, 2u);
    EXPECT_TRUE(std::isnan(s.Mean.Longitude));

}
