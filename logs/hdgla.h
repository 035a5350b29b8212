#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// An HDGLA sentence, bare or behind DODU.
bool IsHdgla(const NovatelLogClass &log);

// The loop-antenna heading with the beam measurements of each station.
//   bare form:  HDGLA,timestamp,update,integration,position valid,CI+,CI-,
//               ambiguity solved,upside down,mode,heading,heading std,quality,
//               count, 7 fields per station
//   DODU form:  DODU,HDGLA,version, then the same from the timestamp
// Empty header and station value fields keep their reset values; a station's
// identifier must always be a station.
struct HdglaRecord {
    static constexpr int MaxStations = 30;

    struct StationEntry {
        char Name[6];       // as sent, at most 5 characters
        int32_t Code;       // StationCode of Name
        float BeamOrientation;
        float MeasuredHeading;
        float Quality;
        float CalculatedHeading;
        float BeamNull;
        float Weight;
        // The residual column: see HdglaResidual.
        double Residual() const;
    };

    char Version[20];       // DODU form only
    double Timestamp;
    float UpdateInterval;
    float IntegrationTime;
    int32_t PositionValid;      // non-zero: yes
    float CiPositive;
    float CiNegative;
    int32_t AmbiguitySolved;    // non-zero: yes
    int32_t AntennaUpsideDown;  // non-zero: yes
    char Mode;
    float Heading;
    float HeadingStd;
    float Quality;
    int32_t StationCount;       // 0..30 after Parse
    StationEntry Stations[MaxStations];

    HdglaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no HDGLA sentence, has fewer than 2 fields or its station
    // fields do not come in groups of seven, else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};

// fmod(measured - beam + 270, 180) - 90 in double precision. fmod keeps the sign
// of the dividend, so a difference below -270 gives a residual below -90.
double HdglaResidual(float measuredHeading, float beamOrientation);
