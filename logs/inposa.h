#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// An INPOSA sentence (current or older form).
bool IsInposa(const NovatelLogClass &log);

// The integrated (GPS and eLoran) position.
//   new form: DODU,INPOSA,version,time,date,source,modes,lat,lon,height,undulation,
//             velocity,heading,compass,SVs,Lorans,HDOP,quality
//   old form: DODU,version,INPOS,time,date,source,GPS mode,eLoran mode,lat,lon,
//             height,undulation,velocity,heading,compass,SVs,Lorans
// At least 14 fields; empty or missing fields keep their reset values.
struct InposaRecord {
    char Version[20];
    double Time;            // UTC hhmmss.ss as sent
    int32_t Date;           // UTC ddmmyy as a decimal integer
    char TimeSource;        // 'G' GPS, 'L' eLoran, 'N' none
    char Modes[6];          // [0] GPS mode letter, [1] eLoran mode letter (NUL: none)
    int32_t PositionValid;  // 1: a position of a solution that is in use
    GeoPosition Position;   // degrees; the height is never written
    float Height;
    float Undulation;
    float Velocity;
    float Heading;
    float Compass;
    int32_t SVCount;
    int32_t LoranCount;
    float HDOP;             // new form only
    float Quality;          // new form only

    InposaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no INPOSA/INPOS sentence or has fewer than 14 fields (the
    // record is then untouched), else the number of bad fields (0: good).
    // PositionValid needs filled latitude and longitude fields in both forms and a
    // GPS letter other than 'N' or an eLoran letter other than 'N' and NUL.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split

    char GpsMode() const { return Modes[0]; }
    char LoranMode() const { return Modes[1]; }
};

// "Stand alone", "WAAS/EGNOS", "Radiobeacon", "Eurofix", anything else "Not included".
const char *InposaGpsModeText(char mode);
// "Stand alone", "Differential", "GPS Calibrated", "ASF Corrected", anything else "Not included".
const char *InposaLoranModeText(char mode);
