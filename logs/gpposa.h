#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// A GPPOSA sentence (current or older form).
bool IsGpposa(const NovatelLogClass &log);

// The GPS position solution.
//   long form:  DODU,GPPOSA,version,time,date,source,mode,lat,lon,height,undulation,
//               velocity,heading,compass,SVs,HDOP,VDOP,PDOP,quality
//   short form: DODU,version,GPPOS,... up to PDOP (a quality field is not read)
// At least 14 fields; empty or missing fields keep their reset values.
struct GpposaRecord {
    char Version[20];
    double Time;            // UTC hhmmss.ss as sent
    int32_t Date;           // UTC ddmmyy as a decimal integer
    char TimeSource;        // 'G' GPS, 'L' eLoran, 'N' none
    char PositionMode;      // 'A' stand alone, 'W' WAAS/EGNOS, 'R' radiobeacon, 'E' Eurofix, else no fix
    GeoPosition Position;   // degrees; the height is never written
    float Height;
    float Undulation;
    float Velocity;
    float Heading;
    float Compass;
    int32_t SVs;
    float HDOP;
    float VDOP;
    float PDOP;
    float Quality;          // long form only

    GpposaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no GPPOSA/GPPOS sentence or has fewer than 14 fields (the
    // record is then untouched), else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};

// The position mode as the window names it: "Stand alone", "WAAS/EGNOS",
// "Radiobeacon", "Eurofix", any other letter "No fix".
const char *GpposaModeText(char mode);
