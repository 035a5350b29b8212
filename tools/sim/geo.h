// Geodesy for the simulator: distances and bearings on the WGS-84 ellipsoid,
// and small local offsets in metres around a point.
#pragma once

namespace sim {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kSpeedOfLight = 299792458.0;   // m/s

struct LatLon {
    double lat = 0.0;   // degrees, north positive
    double lon = 0.0;   // degrees, east positive
};

struct DistanceBearing {
    double metres = 0.0;
    double azimuth = 0.0;   // degrees clockwise from north at the first point, [0, 360)
};

// Vincenty's inverse formula (converges for every pair the simulator uses:
// none is near-antipodal).
DistanceBearing Inverse(LatLon from, LatLon to);

// Metres per degree of latitude and of longitude at a latitude (radii of curvature).
double MetresPerDegreeLat(double latDeg);
double MetresPerDegreeLon(double latDeg);

// A point north and east of a reference point, in metres; good to millimetres
// over the few hundred metres the receiver moves.
LatLon Offset(LatLon ref, double north, double east);

// Wraps an angle into [0, 360).
double Wrap360(double deg);
// Wraps an angle difference into [-180, 180).
double Wrap180(double deg);

} // namespace sim
