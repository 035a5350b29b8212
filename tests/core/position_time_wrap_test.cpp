// The position plot at the edges of its clocks and of the map: GPS fixes
// without a usable time, receiver times through SYNCA, and positions either
// side of the 180th meridian.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plots/gpshistory.h"
#include "plots/positionplot.h"
#include "position_lines.h"

using namespace position_lines;

TEST(GpsFixTime, AFixWithoutAUsableTimeIsNotStoredAndRemovesNothing)
{
    struct Row { GpsSource source; std::string bad; };
    const Row rows[] = {
        {GpsSource::Gpposa, Gpposa("120005.00", "52.0", "4.0", 'A', 'N')},   // its time is not UTC
        {GpsSource::Gpgga, Gpgga("", "5200.00000,N", "00400.00000,E")},       // no time at all
    };
    for (const Row &row : rows) {
        PositionPlotModel plot;
        plot.Source = row.source;
        for (int s = 0; s < 10; ++s) {
            const std::string time = "12000" + std::to_string(s) + ".00";
            const bool gga = row.source == GpsSource::Gpgga;
            plot.NewData((gga ? Gpgga(time, "5200.00000,N", "00400.00000,E") : Gpposa(time, "52.0", "4.0")).c_str());
        }
        plot.NewData(row.bad.c_str());
        int filled = 0;
        for (int i = 0; i < GpsHistory::Slots; ++i) filled += plot.History.Filled(i);
        EXPECT_EQ(filled, 10) << row.bad;
        GeoPosition g;
        EXPECT_TRUE(plot.History.InterpolateAt(&g, 43204.5)) << row.bad;
        EXPECT_EQ(plot.Tracks[PositionPlotModel::GpsTrack].Points.size(), 11u) << "the fix is still plotted";
    }
}

TEST(GpsFixTime, AReceiverTimeIsASecondOfTheDay)
{
    struct Row { double samples; int hour; double t, utc; };
    const Row rows[] = {
        {4.0e6, 12, 20.0, 43210.0},
        {4.0e10, 0, 0.0, 72800.0},   // the sample count of a receiver up for more than a day
        {4.0e10, 0, 100005.0, 5.0},
    };
    for (const Row &row : rows) {
        GpsHistory h;
        SyncaRecord r;
        std::snprintf(r.SyncSource, sizeof r.SyncSource, "LORANUTC");
        r.UtcSync = 1;
        r.SampleCount = row.samples;
        r.Hour = row.hour;
        h.StoreSynca(r);
        EXPECT_NEAR(h.SyncedUtcSeconds(row.t), row.utc, 1e-6) << row.samples << " " << row.t;
    }
}

TEST(Antimeridian, DifferencesWrapAndTheMeanIsTakenAroundTheCentre)
{
    // Two positions a thousandth of a degree west and east of the centre.
    struct Row { double centre, west, east, mean; };
    const Row rows[] = {
        {-179.9995, 179.9995, -179.9985, -179.9995},
        {179.9995, 179.9985, -179.9995, 179.9995},
        {180.0, 179.999, -179.999, 180.0},
        {4.0, 3.999, 4.001, 4.0},
    };
    for (const Row &row : rows) {
        const LatLon centre{52.0, row.centre};
        const MetreScale scale = MetresPerDegree(52.0, row.centre);
        PositionData t;
        t.Centre = &centre;
        t.CentreScale = &scale;
        t.SetReference(52.0, row.centre);
        t.AddPoint(52.0, row.west);
        t.AddPoint(52.0, row.east);
        const double metres = 0.001 * scale.Longitude;
        EXPECT_NEAR(t.GetPoint(0).East, -metres, 1e-6) << row.centre;
        EXPECT_NEAR(t.GetPoint(1).East, metres, 1e-6) << row.centre;
        EXPECT_NEAR(t.GetLoranVsGpsPoint(0).East, -metres, 1e-6) << row.centre;
        t.CalcStatistics(false);
        EXPECT_NEAR(std::remainder(t.Mean.Longitude - row.mean, 360.0), 0.0, 1e-9) << t.Mean.Longitude;
        EXPECT_LE(std::fabs(t.Mean.Longitude), 180.0);
        EXPECT_NEAR(t.Offset, 0.0, 1e-3) << row.centre;
        EXPECT_NEAR(t.RealErr99, metres, 1e-6) << row.centre;
        EXPECT_NEAR(t.AvgErr99, metres, 1e-3) << row.centre;
    }
}
