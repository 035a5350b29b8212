#pragma once

#include <cstdint>
#include <utility>

#include "sentence/splitters.h"

// A $GPGGA fix sentence.
bool IsGpgga(const NovatelLogClass &log);

// The NMEA GGA fix: GPGGA,time,lat,N/S,lon,E/W,quality,satellites,HDOP,altitude,
// unit,undulation,unit,age,station. Empty fields keep their reset values, so a
// line without a fix parses good.
struct GpggaRecord {
    double Time;            // UTC hhmmss.ss as sent
    bool HasTime;           // the time field was filled
    double Latitude;        // ddmm.mmmm as sent
    char LatHemisphere;     // 'N' or 'S'
    double Longitude;       // dddmm.mmmm as sent
    char LonHemisphere;     // 'E' or 'W'
    int32_t FixQuality;     // 0 no fix, 1 GPS, 2 DGPS, 4 eLoran
    int32_t Satellites;
    float HDOP;
    float Altitude;
    float Undulation;
    float DgpsAge;
    int32_t DgpsStation;    // 0: none

    GpggaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no GPGGA sentence, else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    // Latitude and longitude in signed decimal degrees ('S' and 'W' negative).
    std::pair<double, double> ToDegrees() const;
};

// The fix quality as the window names it: "No Fix", "GPS", "DGPS", "eLoran", else "Unknown".
const char *FixQualityText(int32_t quality);
