#pragma once

#include "sentence/splitters.h"

// An HDGA heading sentence, bare or behind DODU.
bool IsHdga(const NovatelLogClass &log);

// One heading of one source.
//   DODU form: DODU,HDGA,version,time,value,source,heading,heading std,quality
//   bare form: HDGA,time,value,source,heading,heading std,quality
// Missing or empty fields keep their reset values.
struct HdgaRecord {
    char Version[20];   // DODU form only, at most 19 characters
    double Time;
    float Value;        // carried by the sentence, shown nowhere
    char Source;        // 'L' eLoran, 'G' GPS, 'I' inertial; anything else is not valid
    float Heading;      // degrees
    float HeadingStd;   // degrees
    float Quality;

    HdgaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no HDGA sentence, else the number of fields that did
    // not convert (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};
