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
    const PointList &LastValue(int k) const
    {
        return plot.Series[static_cast<size_t>(PositionPlotModel::LastValueSeries(k))];
    }
    // A GPS fix (GPPOSA) at hh:mm:ss 12:00:ss, north and east of 52 N 4 E by whole metres.
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

TEST_F(PositionPlotTest, StartsEmptyWithTheCrossAndFiftyMetres)
{
    EXPECT_FALSE(plot.CentreSet);
    EXPECT_EQ(plot.HalfScale, 50.0);
    EXPECT_EQ(plot.ScaleIndex, 5);
    EXPECT_EQ(plot.XMin, -50.0);
    EXPECT_EQ(plot.YMax, 50.0);
    EXPECT_EQ(plot.Series[0].size(), 3u);
    EXPECT_EQ(plot.Series[0].front().y, 600000.0);
    EXPECT_EQ(plot.Series[1].back().x, -600000.0);
    for (int k = 0; k < 5; ++k) {
        EXPECT_FALSE(Track(k).Shown);
        EXPECT_FALSE(plot.TrackEnabled[static_cast<size_t>(k)]);
        EXPECT_EQ(Memo(k), std::vector<std::string>{"No Position data"});
    }
    EXPECT_TRUE(Track(4).IsGps);
    EXPECT_FALSE(Track(3).IsGps);
    EXPECT_NEAR(plot.CentreScale.Longitude, 111319.0, 1.0);
}

TEST_F(PositionPlotTest, TheFirstPositionBecomesTheCentre)
{
    plot.Changed = {};
    Feed(Gpposa("120008.00", "52.0117384", "4.3571910"));
    EXPECT_TRUE(plot.CentreSet);
    EXPECT_EQ(plot.Centre.Latitude, 52.0117384);
    EXPECT_EQ(plot.Centre.Longitude, 4.3571910);
    EXPECT_TRUE(plot.Changed.Centre);
    EXPECT_TRUE(plot.Changed.Menus);
    EXPECT_NEAR(plot.CentreScale.Latitude, MetresPerDegree(52.0117384, 4.3571910).Latitude, 1e-9);
    ASSERT_EQ(Shown(4).size(), 1u);
    EXPECT_EQ(Shown(4).front().x, 0.0);
    EXPECT_EQ(Shown(4).front().y, 0.0);
    EXPECT_EQ(LastValue(4).size(), 1u);
    EXPECT_TRUE(plot.TrackEnabled[4]);
    EXPECT_TRUE(Track(4).Shown);
    EXPECT_EQ(Memo(4).size(), 11u);
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :     1");

    // A later position does not move the centre; it plots in metres from it.
    Feed(GpsAt(9, 0, 0));
    const MetreScale s = plot.CentreScale;
    ASSERT_EQ(Shown(4).size(), 2u);
    EXPECT_NEAR(Shown(4).back().y, (52.0 - 52.0117384) * s.Latitude, 1e-6);
    EXPECT_NEAR(Shown(4).back().x, (4.0 - 4.3571910) * s.Longitude, 1e-6);
    EXPECT_EQ(LastValue(4).size(), 1u);
    EXPECT_EQ(LastValue(4).front().x, Shown(4).back().x);
}

TEST_F(PositionPlotTest, GpsFixesComeFromTheChosenSource)
{
    Feed(Gpgga("120010.00", "5200.60000,N", "00421.00000,E"));
    EXPECT_FALSE(plot.CentreSet);   // GPGGA while the source is GPPOSA
    Feed(Gpposa("120010.00", "52.1", "4.1", 'N'));
    EXPECT_FALSE(plot.CentreSet);   // GPPOSA without a fix
    Feed(Psrposa());
    EXPECT_FALSE(plot.CentreSet);

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
    Feed(Psrposa("none"));
    EXPECT_EQ(Track(4).Points.size(), 1u);
    EXPECT_FALSE(plot.Changed.StopClock);
    EXPECT_FALSE(plot.GpsTimeValid);
    Feed(Psrposa("SINGLE"));
    EXPECT_EQ(Track(4).Points.size(), 2u);
    EXPECT_TRUE(plot.Changed.StopClock);
    EXPECT_TRUE(plot.Changed.GpsTime);
    EXPECT_TRUE(plot.GpsTimeValid);
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

TEST_F(PositionPlotTest, IntegratedPositionsNeedAValidPosition)
{
    Feed(Inposa("120010.00", "52.1", "4.1", "NN"));
    EXPECT_TRUE(Track(0).Points.empty());
    Feed(Inposa("120010.00", "", "", "AN"));
    EXPECT_TRUE(Track(0).Points.empty());
    Feed(Inposa("120010.00", "52.1", "4.1"));
    EXPECT_EQ(Track(0).Points.size(), 1u);
    EXPECT_TRUE(plot.TrackEnabled[0]);
    EXPECT_EQ(Shown(0).size(), 1u);
}

TEST_F(PositionPlotTest, LoranKindsGoToTheirTracks)
{
    Feed(Lcposa("43210.00", 'C', "52.1", "4.1"));
    Feed(Lcposa("43210.00", 'D', "52.1", "4.1"));
    EXPECT_FALSE(plot.CentreSet);
    Feed(Lcposa("43210.00", 'A', "52.1", "4.1"));
    Feed(Lcposa("43210.00", 'S', "52.2", "4.1"));
    Feed(Lcposa("43210.00", 'G', "52.3", "4.1"));
    Feed(Lcposa("43211.00", 'A', "52.1", "4.2"));
    EXPECT_EQ(Track(1).Points.size(), 2u);
    EXPECT_EQ(Track(2).Points.size(), 1u);
    EXPECT_EQ(Track(3).Points.size(), 1u);
    EXPECT_EQ(Track(3).Last.Latitude, 52.3);
    EXPECT_EQ(plot.Centre.Latitude, 52.1);
    for (int k = 1; k <= 3; ++k) EXPECT_TRUE(plot.TrackEnabled[static_cast<size_t>(k)]);
    EXPECT_FALSE(plot.TrackEnabled[0]);
}

TEST_F(PositionPlotTest, LoranPairsAddOnePointPerEpoch)
{
    // Position then residuals of each epoch: the position waits for its partner.
    Feed(Lcposa("43210.00", 'A', "52.1", "4.1"));
    Feed(Lcrsda("43210.00", 'A'));
    EXPECT_EQ(Track(1).Points.size(), 2u);   // the first position shows alone, then with its partner
    for (int t = 43211; t < 43215; ++t) {
        Feed(Lcposa(std::to_string(t) + ".00", 'A', "52.1", "4.1"));
        const size_t before = Track(1).Points.size();
        Feed(Lcrsda(std::to_string(t) + ".00", 'A'));
        EXPECT_EQ(Track(1).Points.size(), before + 1) << t;
    }
    EXPECT_EQ(Track(1).Points.size(), 6u);
    // Residuals alone (position countdown 0) never add a point.
    PositionPlotModel fresh;
    fresh.NewData(Lcrsda("43210.00", 'S').c_str());
    fresh.NewData(Lcrsda("43211.00", 'S').c_str());
    EXPECT_TRUE(fresh.Tracks[2].Points.empty());
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
    EXPECT_TRUE(Track(2).ReferenceValid);
    EXPECT_NEAR(Track(2).Reference.Latitude, 52.0 + 5.0 / s.Latitude, 1e-9);
    EXPECT_NEAR(Track(2).LoranVsGpsPoints.back().y, 15.0, 0.01);
    EXPECT_NEAR(Track(2).LoranVsGpsPoints.back().x, 0.0, 1e-6);
    // 43223 stands for 43222.5, after the newest fix: no reference, the position is still kept.
    Feed(Lcposa("43223.00", 'S', lat, "4.0"));
    EXPECT_FALSE(Track(2).ReferenceValid);
    EXPECT_EQ(Track(2).LoranVsGpsPoints.size(), 1u);
    EXPECT_EQ(Track(2).Points.size(), 2u);
}

TEST_F(PositionPlotTest, TheSampleClockNeedsASynca)
{
    Feed(GpsAt(21, 0, 0));
    Feed(GpsAt(22, 10, 0));
    // Receiver time 47.37 s stands for 46.87 s, which is 12:00:21.5 once the SYNCA says
    // 18148000 samples (45.37 s) were 12:00:20.
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    EXPECT_TRUE(Track(3).LoranVsGpsPoints.empty());
    Feed(Synca("18148000", "12", "0", "20", "NONE"));
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    EXPECT_TRUE(Track(3).LoranVsGpsPoints.empty());
    Feed(Synca("18148000", "12", "0", "20"));
    Feed(Lcposa("47.37", 'G', "52.0", "4.0", 'N'));
    ASSERT_EQ(Track(3).LoranVsGpsPoints.size(), 1u);
    EXPECT_NEAR(Track(3).LoranVsGpsPoints.back().y, -5.0, 0.01);
}

TEST_F(PositionPlotTest, TheViewFollowsTheNewestPoint)
{
    plot.Changed = {};
    plot.AddPosition(-1, NorthEast{0.0, 40.0});
    EXPECT_FALSE(plot.Changed.Axes);   // inside the view: nothing moves
    plot.AddPosition(-1, NorthEast{0.0, 70.0});
    EXPECT_TRUE(plot.Changed.Axes);
    EXPECT_EQ(plot.XMin, 20.0);
    EXPECT_EQ(plot.XMax, 120.0);
    EXPECT_EQ(plot.YMin, -50.0);
    EXPECT_EQ(plot.YMax, 50.0);
    for (const PointList &s : plot.Series) EXPECT_LE(s.size(), 3u);   // k = -1 draws nothing

    plot.Following = false;
    plot.AddPosition(0, NorthEast{500.0, 0.0});
    EXPECT_EQ(plot.YMax, 50.0);
    plot.Following = true;
    plot.ZoomTo({0, 10, 0, 10});
    plot.AddPosition(0, NorthEast{500.0, 0.0});
    EXPECT_EQ(plot.YMax, 50.0);   // not while zoomed
    plot.UndoZoom();
    plot.AddPosition(0, NorthEast{500.0, 0.0});
    EXPECT_EQ(plot.YMin, 450.0);
    EXPECT_EQ(plot.YMax, 550.0);
}

TEST_F(PositionPlotTest, ScaleStepsAndCentring)
{
    plot.StepScale(+1);
    EXPECT_EQ(plot.HalfScale, 100.0);
    EXPECT_EQ(plot.XMin, -100.0);
    EXPECT_EQ(plot.YMax, 100.0);
    EXPECT_STREQ(ScaleLabels[plot.ScaleIndex], "100 m");
    for (int i = 0; i < 30; ++i) plot.StepScale(+1);
    EXPECT_EQ(plot.HalfScale, 500000.0);
    EXPECT_STREQ(ScaleLabels[plot.ScaleIndex], "500 km");
    for (int i = 0; i < 30; ++i) plot.StepScale(-1);
    EXPECT_EQ(plot.HalfScale, 1.0);
    EXPECT_EQ(plot.ScaleIndex, 0);
    EXPECT_DOUBLE_EQ(plot.XMax - plot.XMin, 2.0);

    plot.ZoomTo({0, 1, 0, 1});
    plot.StepScale(+1);   // a step leaves the zoom
    EXPECT_FALSE(plot.Zoomed);
    plot.XMin = 100;
    plot.XMax = 105;
    plot.CentreView();
    EXPECT_EQ(plot.XMin, -2.5);
    EXPECT_EQ(plot.XMax, 2.5);
    EXPECT_EQ(plot.YMin, -2.5);
}

TEST_F(PositionPlotTest, AZoomSpansEqualMetres)
{
    const PositionPlotModel::Ranges wide = plot.ZoomTo({0, 20, 0, 10});
    EXPECT_TRUE(plot.Zoomed);
    EXPECT_EQ(wide.XMin, 0.0);
    EXPECT_EQ(wide.XMax, 20.0);
    EXPECT_EQ(wide.YMin, -5.0);
    EXPECT_EQ(wide.YMax, 15.0);
    const PositionPlotModel::Ranges high = plot.ZoomTo({0, 10, 0, 30});
    EXPECT_EQ(high.XMin, -10.0);
    EXPECT_EQ(high.XMax, 20.0);
    // The remembered ranges are untouched and come back with the undo.
    EXPECT_EQ(plot.XMin, -50.0);
    plot.RememberAxes({1, 2, 3, 4});
    EXPECT_EQ(plot.XMin, -50.0);   // not while zoomed
    plot.UndoZoom();
    plot.RememberAxes({1, 2, 3, 4});
    EXPECT_EQ(plot.XMin, 1.0);
    EXPECT_EQ(plot.YMax, 4.0);
}

TEST_F(PositionPlotTest, TracksKeepMaxPointsPoints)
{
    for (int i = 0; i < 201; ++i) Feed(GpsAt(i % 60, i * 0.01, 0));
    EXPECT_EQ(Track(4).Points.size(), 200u);
    EXPECT_EQ(Shown(4).size(), 200u);
    EXPECT_EQ(LastValue(4).size(), 1u);
    EXPECT_NEAR(Shown(4).front().y, 0.01, 1e-4);   // the first one went
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :   200");

    plot.SetMaxPoints(50);
    EXPECT_EQ(MaxPoints, 50);
    EXPECT_EQ(Track(4).Points.size(), 50u);
    EXPECT_EQ(Shown(4).size(), 50u);   // at once, not with the next position
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :    50");
    EXPECT_NEAR(Shown(4).back().y, 2.0, 1e-4);
}

TEST_F(PositionPlotTest, LoranVsGpsShowsOffsets)
{
    Feed(GpsAt(21, 0, 0));
    Feed(GpsAt(22, 10, 0));
    Feed(Inposa("120022.00", "52.0", "4.0"));
    Feed(Lcposa("43222.00", 'A', "52.0", "4.0"));
    plot.SetLoranVsGps(true);
    // The GPS track draws nothing, the integrated one has no offsets to replay.
    EXPECT_TRUE(Shown(4).empty());
    EXPECT_TRUE(Shown(0).empty());
    ASSERT_EQ(Shown(1).size(), 1u);
    EXPECT_NEAR(Shown(1).front().y, -5.0, 0.01);
    EXPECT_EQ(Memo(0), std::vector<std::string>{"No Position data"});
    EXPECT_EQ(Memo(4).size(), 11u);                     // GPS keeps its position text
    EXPECT_EQ(Memo(1)[1].substr(28, 10), "Lat Off : ");

    Feed(GpsAt(23, 20, 0));
    EXPECT_TRUE(Shown(4).empty());
    Feed(Inposa("120023.00", "52.0", "4.0"));
    ASSERT_EQ(Shown(0).size(), 1u);   // drawn at its place from the centre
    EXPECT_NEAR(Shown(0).front().y, 0.0, 1e-6);
    // An epoch without a reference is kept but not drawn.
    Feed(Lcposa("43225.00", 'A', "52.0", "4.0"));
    EXPECT_EQ(Track(1).Points.size(), 2u);
    EXPECT_EQ(Shown(1).size(), 1u);

    // Tracks without offsets do not grow past MaxPoints either.
    plot.SetMaxPoints(3);
    for (int i = 0; i < 10; ++i) Feed(Inposa("120024.00", "52.0", "4.0"));
    EXPECT_EQ(Track(0).Points.size(), 3u);

    plot.SetLoranVsGps(false);
    EXPECT_EQ(Shown(4).size(), 3u);
    EXPECT_EQ(Memo(1)[1].substr(28, 10), "Avg Lat : ");
}

TEST_F(PositionPlotTest, StatisticsAreWorkedOutWhenAskedFor)
{
    Feed(GpsAt(1, 0, 0));
    Feed(GpsAt(2, 10, 0));
    EXPECT_EQ(Track(4).StatisticsCount, 0u);   // not yet: positions may still come
    plot.UpdateStatistics();
    EXPECT_EQ(Track(4).StatisticsCount, 2u);
    EXPECT_NEAR(Track(4).Offset, 5.0, 1e-3);
    EXPECT_NEAR(Track(4).RealErr50, 10.0, 1e-3);
    // The last word wins: no data after statistics, statistics after no data.
    plot.ShowStatistics(4);
    plot.ShowNoData(4);
    EXPECT_EQ(Memo(4), std::vector<std::string>{"No Position data"});
    plot.ShowNoData(-1);
    plot.ShowStatistics(-1);
    EXPECT_EQ(Memo(4).size(), 11u);
    EXPECT_EQ(Memo(0), std::vector<std::string>{"No Position data"});   // no positions: no data
}

TEST_F(PositionPlotTest, HiddenTracksKeepCollecting)
{
    Feed(GpsAt(1, 0, 0));
    Feed(GpsAt(2, 1, 0));
    plot.SetShown(4, false);
    EXPECT_TRUE(Shown(4).empty());
    EXPECT_TRUE(LastValue(4).empty());
    Feed(GpsAt(3, 2, 0));
    EXPECT_TRUE(Shown(4).empty());
    EXPECT_EQ(Track(4).Points.size(), 3u);
    EXPECT_EQ(Memo(4)[10], std::string(28, ' ') + "#Obs    :     3");
    EXPECT_TRUE(plot.TrackEnabled[4]);   // the user's choice stays
    EXPECT_FALSE(Track(4).Shown);
    plot.SetShown(4, true);
    EXPECT_EQ(Shown(4).size(), 3u);
    EXPECT_EQ(LastValue(4).size(), 1u);
    EXPECT_NEAR(LastValue(4).front().y, 2.0, 1e-4);
}

TEST_F(PositionPlotTest, CentreFromATrackAndByHand)
{
    EXPECT_FALSE(plot.CentreFromTrack(2));
    EXPECT_FALSE(plot.CentreSet);
    Feed(GpsAt(1, 0, 0));
    Feed(Lcposa("43210.00", 'S', "52.001", "4.002"));
    ASSERT_TRUE(plot.CentreFromTrack(2));
    EXPECT_EQ(plot.Centre.Latitude, 52.001);
    EXPECT_EQ(plot.Centre.Longitude, 4.002);
    ASSERT_EQ(Shown(2).size(), 1u);
    EXPECT_NEAR(Shown(2).front().y, 0.0, 1e-9);   // redrawn about the new centre
    EXPECT_NEAR(Shown(4).front().y, -0.001 * plot.CentreScale.Latitude, 1e-6);
    plot.UpdateStatistics();
    EXPECT_NEAR(Track(4).Offset, std::hypot(0.001 * plot.CentreScale.Latitude, 0.002 * plot.CentreScale.Longitude),
                1e-6);

    plot.ApplyCentre(-33.9, 18.4);
    EXPECT_EQ(plot.Centre.Latitude, -33.9);
    EXPECT_NEAR(plot.CentreScale.Latitude, MetresPerDegree(-33.9, 18.4).Latitude, 1e-9);
}

TEST_F(PositionPlotTest, ResetsKeepTheCentre)
{
    plot.Source = GpsSource::Psrposa;
    Feed(Psrposa());
    Feed(Synca("18148000", "12", "0", "20"));
    plot.StepScale(+1);
    const LatLon centre = plot.Centre;
    plot.ResetPlot();
    EXPECT_TRUE(Track(4).Points.empty());
    EXPECT_TRUE(Shown(4).empty());
    EXPECT_EQ(plot.HalfScale, 50.0);
    EXPECT_EQ(Memo(4), std::vector<std::string>{"No Position data"});
    EXPECT_TRUE(plot.History.Filled(0));   // Plot > Reset keeps the history and the clock
    EXPECT_TRUE(plot.GpsTimeValid);
    EXPECT_TRUE(plot.TrackEnabled[4]);

    plot.ResetAll();
    EXPECT_FALSE(plot.History.Filled(0));
    EXPECT_EQ(plot.History.LastSynca.SampleCount, 0.0);
    EXPECT_FALSE(plot.GpsTimeValid);
    EXPECT_EQ(plot.GpsTime, 0);
    EXPECT_TRUE(plot.CentreSet);
    EXPECT_EQ(plot.Centre.Latitude, centre.Latitude);
    // The next position is not taken as a new centre.
    Feed(Psrposa("SINGLE", "52.5"));
    EXPECT_EQ(plot.Centre.Latitude, centre.Latitude);
}
