// Calendar and GPS time for the simulator. Times are whole or fractional
// seconds since 1970-01-01 00:00:00 UTC (leap seconds not counted).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct CivilTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0;
    double second = 0.0;          // with fraction
    double secondOfDay = 0.0;     // with fraction
};

CivilTime ToCivil(double unixSeconds);
int64_t DaysFromCivil(int year, int month, int day);

// "YYYYMMDDhhmmss" to Unix seconds; false when the text is no valid time or
// the year lies outside 2000..2063 (the Eurofix year field holds 2000..2063).
bool ParseStartTime(const std::string &text, double *unixSeconds);

// GPS minus UTC in seconds at that time (the leap seconds since 1980).
int GpsLeapSeconds(double unixSeconds);

struct GpsTime {
    int week = 0;
    double secondsOfWeek = 0.0;
};
GpsTime ToGpsTime(double unixSeconds);

// Receiver text forms.
std::string Hhmmss(double secondOfDay);          // "hhmmss.ss"
std::string DdmmyyNoLeadingZero(const CivilTime &t);   // the integer ddmmyy, as the receiver writes it
std::string Ddmmyy(const CivilTime &t);          // six digits

} // namespace sim
