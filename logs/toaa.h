#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// A TOAA sentence: $DODU,TOAA,... or the old $TOAA,...
bool IsToaa(const NovatelLogClass &log);

// Times of arrival of the tracked Loran stations behind a timing header.
//   current layout: DODU,TOAA,version,timestamp,update,integration,clock status,
//                   clock error,noise 1,noise 2,count, 10 fields per station
//   old layout:     TOAA,timestamp,update,integration,clock status,clock error,
//                   count, 10 fields per station
// The current layout skips empty fields; the old one converts every field, so an
// empty one is bad there.
struct ToaaRecord {
    static constexpr int MaxStations = 30;

    struct StationEntry {
        char Name[6];       // as sent, at most 5 characters
        int32_t Code;       // StationCode of Name
        float SS;
        float SNR;
        float BQ;
        float ECD;
        float CIQ;
        uint32_t State;     // status word, sent in hexadecimal
        double TOA;         // microseconds
        double Doppler;
        double LockTime;
    };

    char Version[20];       // empty for the old layout
    double Timestamp;       // seconds since receiver power-up
    double UpdateInterval;
    double IntegrationTime;
    char ClockStatus[20];
    double ClockError;
    float NoiseLoop1;       // current layout only
    float NoiseLoop2;       // current layout only
    int32_t StationCount;   // entries of Stations in use, 0..30 after Parse
    StationEntry Stations[MaxStations];

    ToaaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no usable TOAA sentence or its station fields do not come
    // in groups of ten, else the number of bad fields (0: the record is good).
    // Fields the line does not reach keep their earlier values.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};
