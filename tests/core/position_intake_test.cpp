// The position plot's intake at its edges: eLoran epochs in either order, GPS
// fixes without a usable time, receiver times, and the 180th meridian.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "app/router.h"
#include "plots/positionplot.h"
#include "position_lines.h"

using namespace position_lines;

TEST(LoranEpochs, EachEpochOnceAndShownWithItsOwnData)
{
    // "P3": the autonomous position of epoch 3 (latitude 53); "R3": its residuals.
    const std::pair<const char *, std::vector<double>> rows[] = {
        {"P1 R1 P2 R2 R3 P3 P4 R4 R5 P5 R6 P6", {51, 52, 53, 54, 55, 56}},
        {"R1 P1 R2 P2 P3 R3 R4 P4", {51, 52, 53, 54}},
        {"P1 R1 P2 P3 P4", {51, 53, 54}},     // the residuals stop: P2 waits in vain
        {"R1 P1 R2 R3 R4 P4 R5", {51, 54}},   // the positions stop, then come back
        {"P1 P2 P3", {51, 52, 53}},
    };
    for (const auto &[lines, expected] : rows) {
        PositionPlotModel plot;
        LcposaEpoch e;
        std::istringstream tokens(lines);
        for (std::string token; tokens >> token;) {
            const std::string t = token.substr(1), lat = std::to_string(50 + std::stoi(t));
            const std::string line = token[0] == 'R' ? Lcrsda(t, 'A') : Lcposa(t, 'A', lat, "4");
            plot.NewData(line.c_str());
            if (!e.AddLine(line.c_str())) continue;
            EXPECT_TRUE(e.ShownPosition.SolutionKind == 'N' || e.ShownPosition.Time == e.EpochTime) << lines << token;
            EXPECT_TRUE(!e.ShownResiduals.SolutionKind || e.ShownResiduals.Time == e.EpochTime) << lines << token;
        }
        std::vector<double> plotted;
        for (const XY &p : plot.Tracks[1].Points) plotted.push_back(p.y);
        EXPECT_EQ(plotted, expected) << lines;
        EXPECT_EQ(plot.Series[PositionPlotModel::TrackSeries(1)].size(), expected.size()) << lines;
    }
}

TEST(LoranEpochs, TheSampleThroughTheRouterPlotsEveryEpochOnce)
{
    struct Target : RouteTarget {
        PositionPlotModel plot;
        std::set<double> epochs;   // of the autonomous solution
        void Route(SentenceType type, const char *line) override
        {
            plot.NewData(line);
            LcposaRecord r;
            if (type == SentenceType::Lcposa && r.Parse(line) == 0 && r.SolutionKind == 'A') epochs.insert(r.Time);
        }
    };
    const int32_t kept = MaxPoints;
    MaxPoints = 100000;
    auto target = std::make_unique<Target>();
    SentenceRouter router(*target);
    std::ifstream in(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log", std::ios::binary);
    router.Feed(std::string(std::istreambuf_iterator<char>(in), {}));
    target->plot.UpdateStatistics();
    MaxPoints = kept;

    const size_t epochs = target->epochs.size();
    EXPECT_GT(epochs, 500u);
    EXPECT_EQ(target->plot.Tracks[1].Points.size(), epochs);
    EXPECT_EQ(target->plot.Series[PositionPlotModel::TrackSeries(1)].size(), epochs);
    const std::string obs = target->plot.Memos[1].back();
    EXPECT_EQ(std::stoul(obs.substr(obs.find(':') + 1)), epochs) << obs;
}

TEST(GpsFixTime, AFixWithoutAUsableTimeIsNotStoredAndRemovesNothing)
{
    for (const GpsSource source : {GpsSource::Gpposa, GpsSource::Gpgga}) {
        const bool gga = source == GpsSource::Gpgga;
        auto fix = [gga](const std::string &time, char source) {
            return gga ? Gpgga(time, "5200.00000,N", "00400.00000,E") : Gpposa(time, "52.0", "4.0", 'A', source);
        };
        PositionPlotModel plot;
        plot.Source = source;
        for (int s = 0; s < 10; ++s) plot.NewData(fix("12000" + std::to_string(s) + ".00", 'G').c_str());
        plot.NewData(fix(gga ? "" : "120005.00", 'N').c_str());   // no time, or one that is not UTC
        int filled = 0;
        for (int i = 0; i < GpsHistory::Slots; ++i) filled += plot.History.Filled(i);
        EXPECT_EQ(filled, 10) << gga;
        GeoPosition g;
        EXPECT_TRUE(plot.History.InterpolateAt(&g, 43204.5)) << gga;
    }
}

TEST(GpsFixTime, AReceiverTimeIsASecondOfTheDay)
{
    // SYNCA: a sample count (2.5 us each) was hh:00:00 UTC; the receiver time t; its UTC second of day.
    const double rows[][4] = {{4.0e6, 12, 20.0, 43210.0}, {4.0e10, 0, 0.0, 72800.0}, {4.0e10, 0, 100005.0, 5.0}};
    for (const auto &[samples, hour, t, utc] : rows) {
        GpsHistory h;
        h.LastSynca.SampleCount = samples;
        h.LastSynca.UtcSync = 1;
        h.LastSynca.Hour = static_cast<int>(hour);
        EXPECT_NEAR(h.SyncedUtcSeconds(t), utc, 1e-6) << samples << " " << t;
    }
}

TEST(Antimeridian, DifferencesWrapAndTheMeanIsTakenAroundTheCentre)
{
    // A centre and two positions a thousandth of a degree west and east of it; their mean.
    const double rows[][4] = {{-179.9995, 179.9995, -179.9985, -179.9995},
                              {179.9995, 179.9985, -179.9995, 179.9995},
                              {180.0, 179.999, -179.999, 180.0},
                              {4.0, 3.999, 4.001, 4.0}};
    for (const auto &[centreLon, west, east, mean] : rows) {
        const LatLon centre{52.0, centreLon};
        const MetreScale scale = MetresPerDegree(52.0, centreLon);
        PositionData t;
        t.Centre = &centre;
        t.CentreScale = &scale;
        t.SetReference(52.0, centreLon);
        t.AddPoint(52.0, west);
        t.AddPoint(52.0, east);
        const double metres = 0.001 * scale.Longitude;
        EXPECT_NEAR(t.GetPoint(0).East, -metres, 1e-6) << centreLon;
        EXPECT_NEAR(t.GetPoint(1).East, metres, 1e-6) << centreLon;
        EXPECT_NEAR(t.GetLoranVsGpsPoint(0).East, -metres, 1e-6) << centreLon;
        t.CalcStatistics(false);
        EXPECT_NEAR(std::remainder(t.Mean.Longitude - mean, 360.0), 0.0, 1e-9) << t.Mean.Longitude;
        EXPECT_LE(std::fabs(t.Mean.Longitude), 180.0);
        EXPECT_NEAR(t.Offset, 0.0, 1e-3) << centreLon;
        EXPECT_NEAR(t.RealErr99, metres, 1e-6) << centreLon;
        EXPECT_NEAR(t.AvgErr99, metres, 1e-3) << centreLon;
    }
}
