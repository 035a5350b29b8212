#pragma once

#include <cstdint>

#include "sentence/splitters.h"

// A $PTNTA timing sentence.
bool IsPtnta(const NovatelLogClass &log);

// The state of a time reference:
// PTNTA,YYYYMMDDhhmmss,quality,-,PPS count (7 digits),phase,value,value.
// Empty or missing fields keep their reset values.
struct PtntaRecord {
    static constexpr double CountsPerSecond = 7.5e6;

    int32_t Year;
    int32_t Month;
    int32_t Day;
    int32_t Hour;
    int32_t Minute;
    int32_t Second;
    int32_t Quality;
    int32_t PpsCount;       // PPS output against the reference, 7.5 MHz counts
    int32_t Phase;          // nanoseconds
    double PpsDiff;         // seconds, see PpsDifference
    float Value6;           // stored only
    float Value7;           // stored only

    PtntaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no PTNTA sentence, else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    // "0: Rb line not locked", "1: Free run", "2: Disciplined", else "Unknown quality".
    const char *QualityText() const;
};

// The PPS difference in seconds: the phase while |phase| is below 511 ns;
// from 511 on, the count folded into half a second either side of the reference.
double PpsDifference(int32_t ppsCount, int32_t phase);
