#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "plots/tdmodel.h"

namespace {

TDStationClass Station(int32_t key, std::vector<double> ys, std::vector<int32_t> status = {})
{
    TDStationClass s(key, 0);
    for (size_t i = 0; i < ys.size(); ++i)
        s.Points.push_back(TDPoint{double(i), ys[i], i < status.size() ? status[i] : 0});
    return s;
}

std::vector<double> Ys(const std::vector<TDXY> &points)
{
    std::vector<double> ys;
    for (const TDXY &p : points) ys.push_back(p.y);
    return ys;
}

} // namespace

TEST(TDPlotModel, MeanStdUsablePointsAndTheCycleFilter)
{
    TDStationClass s = Station(749901, {1, 2, 3, 4});
    std::vector<TDXY> points;
    TDSeriesResult r = TDPlotModel::BuildStationSeries(s, nullptr, {}, points);
    EXPECT_EQ(r.Mean, 2.5);
    EXPECT_DOUBLE_EQ(r.Std, std::sqrt(1.25));   // of the population
    TDRedrawOptions deviation;
    deviation.DeviationFromMean = true;
    TDPlotModel::BuildStationSeries(s, nullptr, deviation, points);
    EXPECT_EQ(Ys(points), (std::vector<double>{-1.5, -0.5, 0.5, 1.5}));

    TDStationClass mixed = Station(749901, {1, 2, 3, 4, 5}, {0x00A2, 0x00A3, 0x0040, FillerStatus, 0x0000});
    TDPlotModel::BuildStationSeries(mixed, nullptr, {}, points);
    EXPECT_EQ(Ys(points), (std::vector<double>{1, 2, 5}));
    TDRedrawOptions cycle;
    cycle.CycleIdentifiedOnly = true;
    TDPlotModel::BuildStationSeries(mixed, nullptr, cycle, points);
    EXPECT_EQ(Ys(points), (std::vector<double>{1, 5}));

    // A single usable point draws nothing but has a mean; no point at all has none.
    r = TDPlotModel::BuildStationSeries(Station(749901, {7, 8}, {0, FillerStatus}), nullptr, {}, points);
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(r.Mean, 7.0);
    EXPECT_EQ(TDPlotModel::BuildStationSeries(Station(749901, {}), nullptr, {}, points).Mean, 0.0);
}

TEST(TDPlotModel, MasterDifferenceByIndex)
{
    TDStationClass s = Station(749907, {10, 20, 30, 40, 50});
    TDStationClass master = Station(749901, {1, 2, 3, 4}, {0, FillerStatus, 0x01, 0});
    master.Points.push_back(TDPoint{99.0, 5.0, 0});
    std::vector<TDXY> points;
    TDSeriesResult r = TDPlotModel::BuildStationSeries(s, &master, {}, points);
    // Index 1 is a filler of the master: dropped. x stays the station's.
    EXPECT_EQ(Ys(points), (std::vector<double>{9, 27, 36, 45}));
    EXPECT_EQ(points[3].x, 4.0);
    EXPECT_EQ(r.Mean, (9 + 27 + 36 + 45) / 4.0);
    // A master with fewer points limits the indices.
    TDStationClass shortMaster = Station(749901, {1});
    r = TDPlotModel::BuildStationSeries(s, &shortMaster, {}, points);
    EXPECT_EQ(r.Count, 0u);
    EXPECT_EQ(r.Mean, 9.0);
}

TEST(TDPlotModel, FixMeanKeepsTheStoredMeanOnceTheStationHasASeries)
{
    TDStationClass s = Station(749901, {1, 2, 3});
    s.Mean = 10.0;
    TDRedrawOptions o;
    o.DeviationFromMean = true;
    o.FixMean = true;
    std::vector<TDXY> points;
    // No series yet: the station computes its own mean first.
    TDSeriesResult r = TDPlotModel::BuildStationSeries(s, nullptr, o, points);
    EXPECT_EQ(r.Mean, 2.0);
    // With a series: shown against and measured about the stored mean.
    s.HasSeries = true;
    r = TDPlotModel::BuildStationSeries(s, nullptr, o, points);
    EXPECT_EQ(r.Mean, 10.0);
    EXPECT_EQ(Ys(points), (std::vector<double>{-9, -8, -7}));
    EXPECT_DOUBLE_EQ(r.Std, std::sqrt((81 + 64 + 49) / 3.0));
}

TEST(TDPlotModel, OffsetsShiftTheDeviationWithoutOverflow)
{
    TDStationClass s = Station(749901, {1, 2, 3});
    s.Offset = 50;
    TDRedrawOptions o;
    o.DeviationFromMean = true;
    o.OffsetStations = true;
    std::vector<TDXY> points;
    TDSeriesResult r = TDPlotModel::BuildStationSeries(s, nullptr, o, points);
    EXPECT_EQ(Ys(points), (std::vector<double>{49, 50, 51}));
    EXPECT_EQ(r.Mean, 2.0);   // the statistics ignore the offset
    EXPECT_EQ(TDPlotModel::OffsetAt(3, INT32_MAX), 2LL * INT32_MAX);
    EXPECT_EQ(TDPlotModel::OffsetAt(INT32_MAX, INT32_MAX), (static_cast<int64_t>(INT32_MAX) / 2 + 1) * INT32_MAX);
}

TEST(TDPlotModel, AutoscaleMargins)
{
    TDAutoscale big;
    big.Include(-200, 100);
    EXPECT_EQ(big.Top(), 110.0);
    EXPECT_EQ(big.Bottom(), -220.0);
    TDAutoscale positive;
    positive.Include(20, 30);   // 0 is always inside, the margin at least 5
    EXPECT_EQ(positive.Top(), 35.0);
    EXPECT_EQ(positive.Bottom(), -5.0);
}
