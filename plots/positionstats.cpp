#include "plots/positionstats.h"

#include <algorithm>
#include <cmath>

#include "sentence/fields.h"
#include "sentence/numfmt.h"

void TrimOldest(PointList &points, size_t max)
{
    while (points.size() > max) points.pop_front();
}

double PercentileOfSorted(const std::vector<double> &sorted, int percent)
{
    if (sorted.empty()) return 0.0;
    const size_t m = sorted.size();
    const size_t index = std::min(m - 1, static_cast<size_t>(percent) * m / 100);
    return sorted[index];
}

TrackStatistics ComputeStatistics(const PointList &points, LatLon origin, MetreScale scale, bool metric)
{
    TrackStatistics s;
    s.Count = points.size();
    if (metric) {
        origin = LatLon{};
        scale = MetreScale{1.0, 1.0};
    }
    if (points.empty()) return s;

    // Longitudes are differences from the origin, wrapped, so a track across the
    // 180th meridian averages to where it lies and not to the other side of the earth.
    auto east = [metric](double x, double from) { return metric ? x - from : WrapLongitude(x - from); };
    double sumY = 0.0, sumX = 0.0;
    for (const XY &p : points) {
        sumY += p.y;
        sumX += east(p.x, origin.Longitude);
    }
    const double n = static_cast<double>(points.size());
    s.Mean = LatLon{sumY / n, sumX / n + origin.Longitude};
    if (!metric) s.Mean.Longitude = WrapLongitude(s.Mean.Longitude);
    s.MeanScale = metric ? MetreScale{1.0, 1.0} : MetresPerDegree(s.Mean.Latitude, s.Mean.Longitude);
    // Planar: degree differences scaled by metres per degree, then Pythagoras.
    auto distance = [](double dx, double dy, MetreScale c) {
        const double east = dx * c.Longitude, north = dy * c.Latitude;
        return std::sqrt(east * east + north * north);
    };
    s.Offset = distance(east(s.Mean.Longitude, origin.Longitude), s.Mean.Latitude - origin.Latitude, scale);

    std::vector<double> real, avg;
    real.reserve(points.size());
    avg.reserve(points.size());
    for (const XY &p : points) {
        real.push_back(distance(east(p.x, origin.Longitude), p.y - origin.Latitude, scale));
        avg.push_back(distance(east(p.x, s.Mean.Longitude), p.y - s.Mean.Latitude, s.MeanScale));
    }
    // A NaN distance (from a NaN mean) sorts last instead of breaking the order.
    auto less = [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; };
    std::sort(real.begin(), real.end(), less);
    std::sort(avg.begin(), avg.end(), less);
    s.RealErr50 = PercentileOfSorted(real, 50);
    s.RealErr95 = PercentileOfSorted(real, 95);
    s.RealErr99 = PercentileOfSorted(real, 99);
    s.AvgErr50 = PercentileOfSorted(avg, 50);
    s.AvgErr95 = PercentileOfSorted(avg, 95);
    s.AvgErr99 = PercentileOfSorted(avg, 99);
    return s;
}

namespace {

std::string F(double v, int decimals, int precision) { return FormatFixed(v, precision, decimals); }
std::string R(const std::string &text, int width) { return PadAlign(text, width, 3); }

} // namespace

std::vector<std::string> StatisticsText(LatLon last, const TrackStatistics &s, bool metric)
{
    const std::string indent(28, ' ');
    const std::string under(38, ' ');
    std::vector<std::string> lines;
    lines.reserve(11);
    lines.push_back("    Current Data:" + R("Statistics:", 27));
    const std::string lat = "Lat     : " + R(F(last.Latitude, 8, 12), 12) + "      ";
    const std::string lon = "Lon     : " + R(F(last.Longitude, 8, 12), 12) + "      ";
    if (metric) {
        lines.push_back(lat + "Lat Off : " + R(F(s.Mean.Latitude, 1, 7), 7) + " m");
        lines.push_back(lon + "Lon Off : " + R(F(s.Mean.Longitude, 1, 7), 7) + " m");
    } else {
        lines.push_back(lat + "Avg Lat : " + R(F(s.Mean.Latitude, 8, 12), 14));
        lines.push_back(lon + "Avg Lon : " + R(F(s.Mean.Longitude, 8, 12), 14));
    }
    lines.push_back(indent + "Offset  : " + R(F(s.Offset, 1, 12), 7) + " m");
    lines.push_back(indent + "Avg Err : " + R(F(s.AvgErr50, 1, 7), 7) + " m (50%)");
    lines.push_back(under + R(F(s.AvgErr95, 1, 7), 7) + " m (95%)");
    lines.push_back(under + R(F(s.AvgErr99, 1, 7), 7) + " m (99%)");
    lines.push_back(indent + "Real Err: " + R(F(s.RealErr50, 1, 7), 7) + " m (50%)");
    lines.push_back(under + R(F(s.RealErr95, 1, 7), 7) + " m (95%)");
    lines.push_back(under + R(F(s.RealErr99, 1, 7), 7) + " m (99%)");
    lines.push_back(indent + "#Obs    : " + R(std::to_string(s.Count), 5));
    return lines;
}
