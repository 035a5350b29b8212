// The numbers behind the position plot: distances on the WGS-72 ellipsoid, the
// local metres-per-degree scale, and times written as hhmmss.sss, as days or
// as seconds since 1970 turned into calendar fields.
#pragma once

#include <cstdint>

// A position in degrees.
struct LatLon {
    double Latitude = 0.0;
    double Longitude = 0.0;
};

// Metres per degree of latitude, then of longitude.
struct MetreScale {
    double Latitude = 0.0;
    double Longitude = 0.0;
};

// Distance in metres from point 1 to point 2 (degrees) by Bowring's closed-form
// inverse for short lines on WGS-72. It uses the latitude of point 1 only, so it
// is not exactly symmetric; meant for metres to kilometres.
double GeodesicDistance(double lat1, double lon1, double lat2, double lon2);

// The scale at a position, from a 0.0001-degree step along each axis.
MetreScale MetresPerDegree(double lat, double lon);

// A difference of longitudes, or a longitude, brought into (-180, 180] degrees,
// so positions either side of the 180th meridian lie close together.
double WrapLongitude(double degrees);

// hhmmss.sss to seconds of day, fractions kept; a value that is no finite number stays one.
double HhmmssToSeconds(double hhmmss);

// Days since 1970-01-01 (>= 0) to a Gregorian date (month 1..12, day 1..31).
void DaysToDate(int64_t days, int *year, int *month, int *day);

// Seconds since 1970-01-01 00:00:00 to calendar fields.
void UnixTimeToDateTime(int64_t seconds, int *year, int *month, int *day, int *hour, int *minute, int *second);

// Seconds from 1970-01-01 to the start of GPS time (1980-01-06).
inline constexpr int64_t GpsEpochUnixSeconds = 315964800;

// GPS time minus UTC in whole seconds at a GPS time given as seconds since
// 1970-01-01 on the GPS scale (week * 604800 + seconds of week + GpsEpochUnixSeconds).
// From the leap seconds announced up to 2017: 14 s in 2006 to 2008, 18 s since 2017.
int GpsMinusUtcSeconds(int64_t gpsSince1970);
