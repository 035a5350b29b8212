#include <gtest/gtest.h>

#include <cmath>

#include "plots/positionplot.h"
#include "position_lines.h"

using namespace position_lines;

namespace {

class PositionPlotTest : public ::testing::Test {
protected:
    PositionPlotModel plot;

    void TearDown() override { MaxPoints = 200; }
    void Feed(const std::string &line) { plot.NewData(line.c_str()); }
    const PositionData &Track(int k) const { return plot.Tracks[static_cast<size_t>(k)]; }
    const std::vector<std::string> &Memo(int k)
    {
        plot.UpdateStatistics();
        return plot.Memos[static_cast<size_t>(k)];
    }
    const PointList &Shown(int k) const { return plot.Series[static_cast<size_t>(PositionPlotModel::TrackSeries(k))]; }
    // A GPS fix (GPPOSA) at 12:00:ss, north and east of 52 N 4 E by whole metres.
    std::string GpsAt(int second, double northMetres = 0.0, double eastMetres = 0.0) const
    {
        const MetreScale s = MetresPerDegree(52.0, 4.0);
        char lat[32], lon[32], time[16];
        std::snprintf(lat, sizeof lat, "%.10f", 52.0 + northMetres / s.Latitude);
        std::snprintf(lon, sizeof lon, "%.10f", 4.0 + eastMetres / s.Longitude);
        std::snprintf(time, sizeof time, "1200%02d.00", second);
        return Gpposa(time, lat, lon);
    }
};

} // namespace

TEST_F(PositionPlotTest, GpsFixesComeFromTheChosenSource)
{
    Feed(Gpposa("120010.00", "52.1", "4.1", 'N'));   // no fix
    EXPECT_FALSE(plot.CentreSet);
    plot.Source = GpsSource::Gpgga;
    Feed(Gpgga("120010.00", "5200.60000,S", "00421.00000,W"));
    ASSERT_TRUE(plot.CentreSet);
    EXPECT_DOUBLE_EQ(plot.Centre.Latitude, -52.01);
    EXPECT_DOUBLE_EQ(plot.Centre.Longitude, -4.35);
    EXPECT_DOUBLE_EQ(plot.History.Times[0], 43210.0);

    plot.Source = GpsSource::Psrposa;
    Feed(Psrposa("NONE"));
    Feed(Psrposa("SINGLE"));
    EXPECT_EQ(Track(4).Points.size(), 2u);
    // 388822 s of the week is 43222 s of the GPS day; UTC was 14 s behind in 2007.
    EXPECT_DOUBLE_EQ(plot.History.Times[1], 43208.0);
    // Seconds of the week are cut to whole seconds for the clock, not for the history.
    Feed(Psrposa("SINGLE", "52.0", "4.0", "1439", "388823.900"));
    EXPECT_EQ(plot.GpsTime, 1439LL * 604800 + 388823 + 315964800);
    EXPECT_NEAR(plot.History.Times[2], 43209.9, 1e-9);
}

TEST_F(PositionPlotTest, AGpsTimeOutsideEveryClock)
{
    plot.Source = GpsSource::Psrposa;
    Feed(Psrposa("SINGLE", "52.0", "4.0", "-600"));   // before 1970
    EXPECT_TRUE(plot.Changed.IllegalGpsTime);
    EXPECT_FALSE(plot.GpsTimeValid);
    EXPECT_EQ(Track(4).Points.size(), 1u);   // the position itself is good
    plot.Changed = {};
    Feed(Psrposa("SINGLE", "52.0", "4.0", "1439", "1e300"));
    Feed(Psrposa("SINGLE", "52.0", "4.0", "1439", "nan"));
    EXPECT_FALSE(plot.Changed.GpsTime || plot.Changed.IllegalGpsTime);
    EXPECT_EQ(Track(4).Points.size(), 3u);
    // Far in the future the clock still works (no 32-bit overflow).
    Feed(Psrposa("SINGLE", "52.0", "4.0", "4000"));
    EXPECT_EQ(plot.GpsTime, 4000LL * 604800 + 388822 + 315964800);
}

TEST_F(PositionPlotTest, PositionsOffTheEarthAreLeftOut)
{
    Feed(Gpposa("120010.00", "nan", "4.1"));
    Feed(Gpposa("120011.00", "1e300", "4.1"));
    Feed(Inposa("120010.00", "52.1", "inf"));
    Feed(Inposa("120010.00", "52.1", "180.5"));
    Feed(Lcposa("43210.00", 'A', "-90.1", "4.1"));
    EXPECT_FALSE(plot.CentreSet);
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(Track(k).Points.empty());
    EXPECT_FALSE(plot.History.Filled(0));   // nor do they become GPS references
    Feed(Lcposa("43211.00", 'A', "-90", "-180"));
    EXPECT_EQ(Track(1).Points.size(), 1u);
}

TEST_F(PositionPlotTest, AnEpochBetweenTwoFixesGetsAGpsReference)
{
    Feed(GpsAt(21, 0, 0));    // 43221: the centre
    Feed(GpsAt(22, 10, 0));   // 43222, 10 m north
    const MetreScale s = plot.CentreScale;
    char lat[32];
    std::snprintf(lat, sizeof lat, "%.10f", 52.0 + 20.0 / s.Latitude);   // 20 m north of the centre
    // Time 43222 stands for 43221.5, half way: the GPS reference is 5 m north.
    Feed(Lcposa("43222.00", 'S', lat, "4.0"));
    ASSERT_EQ(Track(2).LoranVsGpsPoints.size(), 1u);
    EXPECT_NEAR(Track(2).Reference.Latitude, 52.0 + 5.0 / s.Latitude, 1e-9);
    EXPECT_NEAR(Track(2).LoranVsGpsPoints.back().y, 15.0, 0.01);
    // 43223 stands for 43222.5, after the newest fix: no reference, the position is still kept.
    Feed(Lcposa("43223.00", 'S', lat, "4.0"));
    EXPECT_FALSE(Track(2).ReferenceValid);
    EXPECT_EQ(Track(2).LoranVsGpsPoints.size(), 1u);
    EXPECT_EQ(Track(2).Points.size(), 2u);
}

TEST_F(PositionPlotTest, CoarseSolutionsHaveNoTrackAndNoDataHasTheLastWord)
{
    Feed(Lcposa("43210.00", 'C', "52.1", "4.1"));
    EXPECT_FALSE(plot.CentreSet);
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(Track(k).Points.empty()) << k;
    Feed(GpsAt(1, 0, 0));
    plot.ShowStatistics(4);
    plot.ShowNoData(4);
    EXPECT_EQ(Memo(4), std::vector<std::string>{"No Position data"});
}

TEST_F(PositionPlotTest, TracksKeepMaxPointsPoints)
{
    for (int i = 0; i < 201; ++i) Feed(GpsAt(i % 60, i * 0.01, 0));
    EXPECT_EQ(Track(4).Points.size(), 200u);
    EXPECT_NEAR(Shown(4).front().y, 0.01, 1e-4);   // the first one went
    plot.SetMaxPoints(50);
    EXPECT_EQ(Track(4).Points.size(), 50u);
    EXPECT_EQ(Shown(4).size(), 50u);   // at once, not with the next position
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :    50");
    // Tracks that draw no offsets in the Loran-versus-GPS view do not grow past it either.
    plot.SetLoranVsGps(true);
    plot.SetMaxPoints(3);
    for (int i = 0; i < 10; ++i) Feed(Inposa("120024.00", "52.0", "4.0"));
    EXPECT_EQ(Track(0).Points.size(), 3u);
    for (int i = 0; i < 30; ++i) plot.StepScale(+1);   // the scale stops at its ends
    EXPECT_STREQ(ScaleLabels[plot.ScaleIndex], "500 km");
    for (int i = 0; i < 30; ++i) plot.StepScale(-1);
    EXPECT_EQ(plot.ScaleIndex, 0);
}

TEST_F(PositionPlotTest, NewCentresAndResets)
{
    Feed(GpsAt(1, 0, 0));
    Feed(Lcposa("43210.00", 'S', "52.001", "4.002"));
    ASSERT_TRUE(plot.CentreFromTrack(2));
    EXPECT_NEAR(Shown(4).front().y, -0.001 * plot.CentreScale.Latitude, 1e-6);
    plot.Source = GpsSource::Psrposa;
    Feed(Psrposa());
    Feed(Synca("18148000", "12", "0", "20"));
    plot.ResetPlot();
    EXPECT_TRUE(Track(4).Points.empty());
    EXPECT_TRUE(plot.History.Filled(0));   // Plot > Reset keeps the history and the clock
    EXPECT_TRUE(plot.GpsTimeValid);
    plot.ResetAll();
    EXPECT_EQ(plot.History.LastSynca.SampleCount, 0.0);
    EXPECT_FALSE(plot.GpsTimeValid || plot.History.Filled(0));
    Feed(Psrposa("SINGLE", "52.5"));   // not taken as a new centre
    EXPECT_EQ(plot.Centre.Latitude, 52.001);
}
