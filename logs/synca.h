#pragma once

#include <cstdint>
#include <string>

#include "sentence/splitters.h"

// A SYNCA sentence.
bool IsSynca(const NovatelLogClass &log);

// The receiver's sample clock tied to UTC:
// DODU,SYNCA,version,time,source,year,month,day,hour,minute,second,sample count,
// UTC sync,leap seconds,offset,source detail. Empty or missing fields keep their
// reset values, so a short line parses good.
struct SyncaRecord {
    static constexpr double SampleSeconds = 2.5e-6;   // one sample count

    char Version[20];
    double Time;            // stored only
    char SyncSource[20];    // e.g. "LORANUTC"
    int32_t Year;
    int32_t Month;
    int32_t Day;
    int32_t Hour;
    int32_t Minute;
    int32_t Second;
    double SampleCount;     // receiver sample count at that UTC time
    int32_t UtcSync;        // non-zero: synchronised to UTC
    int32_t LeapSeconds;
    float Offset;
    char SourceDetail[10];

    SyncaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no SYNCA sentence, else the number of bad fields (0: good).
    // Field 0 is left to IsSynca.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split

    // The source, with " : " and the detail when there is one.
    std::string SourceText() const;
    // The sample count as seconds on the receiver's sample clock.
    double LoranTime() const { return SampleCount * SampleSeconds; }
};
