#include "sim/timeutil.h"

#include <cmath>
#include <cstdio>

namespace sim {

int64_t DaysFromCivil(int year, int month, int day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = static_cast<unsigned>((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<int64_t>(era) * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilTime ToCivil(double unixSeconds)
{
    CivilTime t;
    const double dayFloor = std::floor(unixSeconds / 86400.0);
    const int64_t days = static_cast<int64_t>(dayFloor);
    t.secondOfDay = unixSeconds - dayFloor * 86400.0;
    if (t.secondOfDay >= 86400.0) t.secondOfDay = 0.0;   // rounding at the very end of a day

    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(y + (t.month <= 2 ? 1 : 0));

    t.hour = static_cast<int>(t.secondOfDay / 3600.0);
    t.minute = static_cast<int>((t.secondOfDay - t.hour * 3600.0) / 60.0);
    t.second = t.secondOfDay - t.hour * 3600.0 - t.minute * 60.0;
    return t;
}

bool ParseStartTime(const std::string &text, double *unixSeconds)
{
    if (text.size() != 14) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    auto num = [&](size_t pos, size_t n) { return std::stoi(text.substr(pos, n)); };
    const int year = num(0, 4), month = num(4, 2), day = num(6, 2);
    const int hour = num(8, 2), minute = num(10, 2), second = num(12, 2);
    if (year < 2000 || year > 2063 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return false;
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > monthDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    *unixSeconds = static_cast<double>(DaysFromCivil(year, month, day)) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
    return true;
}

int GpsLeapSeconds(double unixSeconds)
{
    struct Step { int year, month, leap; };
    static const Step steps[] = {
        {2017, 1, 18}, {2015, 7, 17}, {2012, 7, 16}, {2009, 1, 15}, {2006, 1, 14}, {1999, 1, 13},
    };
    for (const Step &s : steps)
        if (unixSeconds >= static_cast<double>(DaysFromCivil(s.year, s.month, 1)) * 86400.0) return s.leap;
    return 12;
}

GpsTime ToGpsTime(double unixSeconds)
{
    const double gps = unixSeconds - 315964800.0 + GpsLeapSeconds(unixSeconds);
    GpsTime g;
    g.week = static_cast<int>(std::floor(gps / 604800.0));
    g.secondsOfWeek = gps - g.week * 604800.0;
    return g;
}

std::string Hhmmss(double secondOfDay)
{
    // Round to hundredths first so that 59.999 never prints as 60.00.
    const long long cs = std::llround(secondOfDay * 100.0) % 8640000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld%02lld%02lld.%02lld", cs / 360000, cs / 6000 % 60, cs / 100 % 60, cs % 100);
    return buf;
}

std::string DdmmyyNoLeadingZero(const CivilTime &t)
{
    return std::to_string(t.day * 10000 + t.month * 100 + t.year % 100);
}

std::string Ddmmyy(const CivilTime &t)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.day, t.month, t.year % 100);
    return buf;
}

} // namespace sim
