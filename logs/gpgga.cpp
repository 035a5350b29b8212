#include "logs/gpgga.h"

#include <cmath>

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsGpgga(const NovatelLogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "GPGGA");
}

void GpggaRecord::Clear()
{
    Time = 0.0;
    HasTime = false;
    Latitude = 0.0;
    LatHemisphere = 'N';
    Longitude = 0.0;
    LonHemisphere = 'E';
    FixQuality = 0;
    Satellites = 0;
    HDOP = 0.0f;
    Altitude = 0.0f;
    Undulation = 0.0f;
    DgpsAge = 0.0f;
    DgpsStation = 0;
}

int GpggaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int GpggaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || !f.Is(0, "GPGGA")) return 1;
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Convert(1, ParseDouble, &Time, rule);
    HasTime = f.Filled(1);
    f.Convert(2, ParseDouble, &Latitude, rule);
    f.Convert(3, ParseChar, &LatHemisphere, rule);
    f.Convert(4, ParseDouble, &Longitude, rule);
    f.Convert(5, ParseChar, &LonHemisphere, rule);
    f.Convert(6, ParseInt, &FixQuality, rule);
    f.Convert(7, ParseInt, &Satellites, rule);
    f.Convert(8, ParseFloat, &HDOP, rule);
    f.Convert(9, ParseFloat, &Altitude, rule);
    f.Convert(11, ParseFloat, &Undulation, rule);
    f.Convert(13, ParseFloat, &DgpsAge, rule);
    f.Convert(14, ParseInt, &DgpsStation, rule);
    return f.Bad;
}

namespace {

double DegreesMinutes(double v)
{
    double degrees = std::floor(v * 0.01);
    return degrees + (v - degrees * 100.0) * (1.0 / 60.0);
}

} // namespace

std::pair<double, double> GpggaRecord::ToDegrees() const
{
    double latitude = DegreesMinutes(Latitude);
    double longitude = DegreesMinutes(Longitude);
    if (LatHemisphere == 'S') latitude = -latitude;
    if (LonHemisphere == 'W') longitude = -longitude;
    return {latitude, longitude};
}

const char *FixQualityText(int32_t quality)
{
    switch (quality) {
    case 0: return "No Fix";
    case 1: return "GPS";
    case 2: return "DGPS";
    case 4: return "eLoran";
    default: return "Unknown";
    }
}
