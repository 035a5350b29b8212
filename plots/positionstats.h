// Statistics of a position track: mean, the distance of the mean from an
// origin, and the 50, 95 and 99 % values of the distances of the points from
// the origin ("Real Err") and from their mean ("Avg Err"), with the memo text.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "plots/geodesy.h"

// A point of a track: x = longitude or metres east, y = latitude or metres north.
struct XY {
    double x = 0.0;
    double y = 0.0;
};
using PointList = std::deque<XY>;

// Deletes the oldest points while more than max remain.
void TrimOldest(PointList &points, size_t max);

struct TrackStatistics {
    LatLon Mean;              // mean y (Latitude) and mean x (Longitude): degrees, or metres in metric mode
    MetreScale MeanScale;     // scale at Mean; 1, 1 in metric mode
    double Offset = 0.0;      // metres from the origin to Mean
    double RealErr50 = 0.0, AvgErr50 = 0.0, RealErr95 = 0.0, AvgErr95 = 0.0, RealErr99 = 0.0, AvgErr99 = 0.0;
    size_t Count = 0;
};

// Statistics of points about origin. Position mode: degrees, scaled by `scale`
// (the origin's) for distances from the origin and by the scale at the mean for
// distances from the mean. Metric mode: metres, origin and scales ignored (the
// origin is 0, 0, the scale 1). All distances are planar. The p % value of m
// sorted distances is the one at index p * m / 100 (integer division, from 0).
TrackStatistics ComputeStatistics(const PointList &points, LatLon origin, MetreScale scale, bool metric);

// The value at index p * m / 100 of m distances sorted ascending.
double PercentileOfSorted(const std::vector<double> &sorted, int percent);

// The eleven lines of a track's memo: the newest position (degrees) and the
// statistics of `count` points in the given mode.
std::vector<std::string> StatisticsText(LatLon last, const TrackStatistics &s, bool metric);

inline constexpr const char *NoPositionData = "No Position data";
