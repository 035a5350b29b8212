#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

TEST_F(PositionPlotTest, TheFirstPositionBecomesTheCentreAndLaterOnesPlotInMetres)
{
    EXPECT_EQ(Memo(4), std::vector<std::string>{"No Position data"});
    Feed(Gpposa("120008.00", "52.0117384", "4.3571910"));
    EXPECT_TRUE(plot.CentreSet);
    EXPECT_EQ(plot.Centre.Latitude, 52.0117384);
    EXPECT_NEAR(plot.CentreScale.Latitude, MetresPerDegree(52.0117384, 4.3571910).Latitude, 1e-9);
    ASSERT_EQ(Shown(4).size(), 1u);
    EXPECT_EQ(Shown(4).front().x, 0.0);
    EXPECT_TRUE(plot.TrackEnabled[4]);
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :     1");
    Feed(GpsAt(9, 0, 0));
    const MetreScale s = plot.CentreScale;
    ASSERT_EQ(Shown(4).size(), 2u);
    EXPECT_NEAR(Shown(4).back().y, (52.0 - 52.0117384) * s.Latitude, 1e-6);
    EXPECT_NEAR(Shown(4).back().x, (4.0 - 4.3571910) * s.Longitude, 1e-6);
    // Positions wait for statistics until asked for.
    EXPECT_EQ(Track(4).StatisticsCount, 1u);
    plot.UpdateStatistics();
    EXPECT_EQ(Track(4).StatisticsCount, 2u);
}

TEST_F(PositionPlotTest, GpsFixesComeFromTheChosenSource)
{
    Feed(Gpgga("120010.00", "5200.60000,N", "00421.00000,E"));
    Feed(Gpposa("120010.00", "52.1", "4.1", 'N'));   // no fix
    Feed(Psrposa());
    EXPECT_FALSE(plot.CentreSet);   // GPGGA and PSRPOSA while the source is GPPOSA

    plot.Source = GpsSource::Gpgga;
    Feed(Gpgga("120010.00", "5200.60000,N", "00421.00000,E", 0));   // no fix
    EXPECT_FALSE(plot.CentreSet);
    Feed(Gpgga("120010.00", "5200.60000,S", "00421.00000,W"));
    ASSERT_TRUE(plot.CentreSet);
    EXPECT_DOUBLE_EQ(plot.Centre.Latitude, -52.01);
    EXPECT_DOUBLE_EQ(plot.Centre.Longitude, -4.35);
    EXPECT_DOUBLE_EQ(plot.History.Times[0], 43210.0);

    plot.Source = GpsSource::Psrposa;
    plot.Changed = {};
    Feed(Psrposa("NONE"));
    EXPECT_EQ(Track(4).Points.size(), 1u);
    EXPECT_FALSE(plot.GpsTimeValid);
    Feed(Psrposa("SINGLE"));
    EXPECT_EQ(Track(4).Points.size(), 2u);
    EXPECT_TRUE(plot.Changed.GpsTime);
    EXPECT_EQ(plot.GpsTime, 1439LL * 604800 + 388822 + 315964800);
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
    EXPECT_TRUE(plot.Changed.StopClock);
    EXPECT_FALSE(plot.GpsTimeValid);
    EXPECT_EQ(Track(4).Points.size(), 1u);   // the position itself is good
    plot.Changed = {};
    Feed(Psrposa("SINGLE", "52.0", "4.0", "1439", "1e300"));
    Feed(Psrposa("SINGLE", "52.0", "4.0", "1439", "nan"));
    EXPECT_FALSE(plot.Changed.GpsTime);
    EXPECT_FALSE(plot.Changed.IllegalGpsTime);
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

TEST_F(PositionPlotTest, SolutionsGoToTheirTracks)
{
    Feed(Inposa("120010.00", "52.1", "4.1", "NN"));   // no valid position
    Feed(Lcposa("43210.00", 'C', "52.1", "4.1"));     // kinds without a track
    Feed(Lcposa("43210.00", 'D', "52.1", "4.1"));
    EXPECT_FALSE(plot.CentreSet);
    Feed(Lcposa("43210.00", 'A', "52.1", "4.1"));
    Feed(Lcposa("43210.00", 'S', "52.2", "4.1"));
    Feed(Lcposa("43210.00", 'G', "52.3", "4.1"));
    Feed(Inposa("120010.00", "52.1", "4.1"));
    EXPECT_EQ(Track(0).Points.size(), 1u);
    EXPECT_EQ(Track(1).Points.size(), 1u);
    EXPECT_EQ(Track(2).Points.size(), 1u);
    EXPECT_EQ(Track(3).Last.Latitude, 52.3);
    EXPECT_EQ(plot.Centre.Latitude, 52.1);
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

    // The sample clock: 47.37 s stands for 46.87 s, which is 12:00:21.5 once a
    // usable SYNCA says 18148000 samples (45.37 s) were 12:00:20.
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    Feed(Synca("18148000", "12", "0", "20", "NONE"));
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    EXPECT_TRUE(Track(3).LoranVsGpsPoints.empty());
    Feed(Synca("18148000", "12", "0", "20"));
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    ASSERT_EQ(Track(3).LoranVsGpsPoints.size(), 1u);
    EXPECT_NEAR(Track(3).LoranVsGpsPoints.back().y, -5.0, 0.01);
}

TEST_F(PositionPlotTest, TheViewFollowsScalesAndZooms)
{
    plot.Changed = {};
    plot.AddPosition(-1, NorthEast{0.0, 40.0});
    EXPECT_FALSE(plot.Changed.Axes);   // inside the view: nothing moves
    plot.AddPosition(-1, NorthEast{0.0, 70.0});
    EXPECT_EQ(plot.XMin, 20.0);
    EXPECT_EQ(plot.XMax, 120.0);
    plot.ZoomTo({0, 10, 0, 10});
    plot.AddPosition(0, NorthEast{500.0, 0.0});
    EXPECT_EQ(plot.YMax, 50.0);   // not while zoomed
    plot.UndoZoom();
    plot.AddPosition(0, NorthEast{500.0, 0.0});
    EXPECT_EQ(plot.YMin, 450.0);

    for (int i = 0; i < 30; ++i) plot.StepScale(+1);
    EXPECT_EQ(plot.HalfScale, 500000.0);
    EXPECT_STREQ(ScaleLabels[plot.ScaleIndex], "500 km");
    for (int i = 0; i < 30; ++i) plot.StepScale(-1);
    EXPECT_EQ(plot.ScaleIndex, 0);
    EXPECT_DOUBLE_EQ(plot.XMax - plot.XMin, 2.0);

    const PositionPlotModel::Ranges high = plot.ZoomTo({0, 10, 0, 30});   // equal metres both ways
    EXPECT_EQ(high.XMin, -10.0);
    EXPECT_EQ(high.XMax, 20.0);
    plot.StepScale(+1);   // a step leaves the zoom
    EXPECT_FALSE(plot.Zoomed);
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
}

TEST_F(PositionPlotTest, LoranVsGpsShowsOffsets)
{
    Feed(GpsAt(21, 0, 0));
    Feed(GpsAt(22, 10, 0));
    Feed(Inposa("120022.00", "52.0", "4.0"));
    Feed(Lcposa("43222.00", 'A', "52.0", "4.0"));
    plot.SetLoranVsGps(true);
    EXPECT_TRUE(Shown(4).empty());   // GPS draws nothing, the integrated track has no offsets yet
    EXPECT_TRUE(Shown(0).empty());
    ASSERT_EQ(Shown(1).size(), 1u);
    EXPECT_NEAR(Shown(1).front().y, -5.0, 0.01);
    EXPECT_EQ(Memo(1)[1].substr(28, 10), "Lat Off : ");
    // An epoch without a reference is kept but not drawn.
    Feed(Lcposa("43225.00", 'A', "52.0", "4.0"));
    EXPECT_EQ(Track(1).Points.size(), 2u);
    EXPECT_EQ(Shown(1).size(), 1u);
    // Tracks without offsets do not grow past MaxPoints either.
    plot.SetMaxPoints(3);
    for (int i = 0; i < 10; ++i) Feed(Inposa("120024.00", "52.0", "4.0"));
    EXPECT_EQ(Track(0).Points.size(), 3u);
    plot.SetLoranVsGps(false);
    EXPECT_EQ(Shown(4).size(), 2u);
    EXPECT_EQ(Memo(1)[1].substr(28, 10), "Avg Lat : ");
}

TEST_F(PositionPlotTest, NewCentresAndResets)
{
    EXPECT_FALSE(plot.CentreFromTrack(2));
    Feed(GpsAt(1, 0, 0));
    Feed(Lcposa("43210.00", 'S', "52.001", "4.002"));
    ASSERT_TRUE(plot.CentreFromTrack(2));
    EXPECT_EQ(plot.Centre.Latitude, 52.001);
    EXPECT_NEAR(Shown(2).front().y, 0.0, 1e-9);   // redrawn about the new centre
    EXPECT_NEAR(Shown(4).front().y, -0.001 * plot.CentreScale.Latitude, 1e-6);
    plot.ApplyCentre(-33.9, 18.4);
    EXPECT_NEAR(plot.CentreScale.Latitude, MetresPerDegree(-33.9, 18.4).Latitude, 1e-9);

    plot.Source = GpsSource::Psrposa;
    Feed(Psrposa());
    Feed(Synca("18148000", "12", "0", "20"));
    plot.ResetPlot();
    EXPECT_TRUE(Track(4).Points.empty());
    EXPECT_EQ(Memo(4), std::vector<std::string>{"No Position data"});
    EXPECT_TRUE(plot.History.Filled(0));   // Plot > Reset keeps the history and the clock
    EXPECT_TRUE(plot.GpsTimeValid);
    plot.ResetAll();
    EXPECT_FALSE(plot.History.Filled(0));
    EXPECT_EQ(plot.History.LastSynca.SampleCount, 0.0);
    EXPECT_FALSE(plot.GpsTimeValid);
    EXPECT_EQ(plot.Centre.Latitude, -33.9);
    Feed(Psrposa("SINGLE", "52.5"));   // not taken as a new centre
    EXPECT_EQ(plot.Centre.Latitude, -33.9);
}
