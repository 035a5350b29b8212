#pragma once

#include <cstdint>

#include "sentence/splitters.h"

#include "sentence/fields.h"

// A DLORA sentence is recognised by its text: it begins with "$DODU,DLORA," in any case.
bool IsDlora(const char *line);

// Differential Loran values per station:
//   DODU,DLORA,version,hhmmss.ss,date,text,f6,f7,f8,f9,count, then per station
//   id,value A,value B,status word (hex, checked but not kept)
// The value plotted for a station is ValueA + ValueB, in ns.
struct DloraRecord {
    static constexpr int MaxStations = 20;

    struct StationEntry {
        StationCode Code;
        double ValueA;
        double ValueB;
    };

    float VersionNumber;
    int32_t Hours;
    int32_t Minutes;
    double Seconds;
    int32_t Date[3];        // the three two-digit groups of the date, as they stand
    char Text[20];
    double Field6;
    double Field7;
    int32_t Field8;
    double Field9;
    int32_t StationCount;   // entries of Stations read, 0..20 after Parse
    StationEntry Stations[MaxStations];

    DloraRecord() { Clear(); }
    void Clear();
    // 1 when the line is no usable DLORA sentence (checksum, fewer than 11 fields,
    // no "$DODU,DLORA" in this case, or a station count that does not match the
    // fields), else the number of fields that failed to convert; 0: all good.
    // Starts from a cleared record.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    // Seconds of the day of the time field.
    double SecondsOfDay() const { return Hours * 3600.0 + Minutes * 60.0 + Seconds; }
};
