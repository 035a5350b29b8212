#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// A #PSRPOSA log of the GPS board.
bool IsPsrposa(const NovatelOEM4LogClass &log);

// The GPS board's pseudorange position: 31 fields split at ",", ";" and "*"
// (ten header fields, then the solution), of which these are read:
//   5 GPS week, 6 seconds of the week, 11 position type ("NONE": no solution),
//   12 latitude, 13 longitude, 14 height.
struct PsrposaRecord {
    static constexpr int FieldCount = 31;

    int32_t Week;
    double Seconds;
    GeoPosition Position;   // degrees, metres
    char PositionType[40];

    PsrposaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no PSRPOSA log of 31 fields, else the number of fields
    // that did not convert (0: good). A bad field keeps its previous value; the
    // record is not cleared first.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    // True unless the position type begins with "NONE" (any case).
    bool HasSolution() const;
    // GPS time as seconds since 1970 on the GPS scale (no leap seconds).
    double GpsSince1970() const;
};
