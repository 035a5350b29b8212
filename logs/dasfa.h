#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// A DASFA sentence (current or older form).
bool IsDasfa(const NovatelLogClass &log);

// DASF value and quality per tracked Loran station, with UTC time, date, time
// source and the receiver position.
//   current form: DODU,DASFA,version,time,date,source,lat,lon,count, 3 fields per station
//   older form:   DODU,version,DASF,... (the rest the same)
// Header fields skip empty fields; station fields are all converted, so an empty
// one is bad. A line needs at least 14 fields (two stations' worth).
struct DasfaRecord {
    static constexpr int MaxStations = 30;

    struct StationEntry {
        char Name[6];       // as sent, at most 5 characters
        int32_t Code;       // StationCode of Name
        float DASF;         // microseconds
        float Quality;
    };

    char Version[20];
    double Time;            // UTC hhmmss.ss as sent
    int32_t Date;           // UTC ddmmyy as a decimal integer
    char TimeSource;        // 'G' GPS, 'L' eLoran, anything else: no time
    double Latitude;
    double Longitude;
    int32_t PositionValid;  // 1 when both position fields were filled
    int32_t StationCount;   // entries of Stations in use, 0..30 after Parse
    StationEntry Stations[MaxStations];

    DasfaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no usable DASFA sentence or its station fields do not
    // come in groups of three, else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};
