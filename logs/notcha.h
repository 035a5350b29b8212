#pragma once

#include <cstdint>
#include <vector>

#include "sentence/splitters.h"

// A NOTCHA sentence.
bool IsNotcha(const NovatelLogClass &log);

// The receiver's notch filters:
// DODU,NOTCHA,version,time,notches,active, then frequency and bandwidth (kHz)
// per notch. Empty or missing fields keep their reset values; the number of
// notch fields is not checked against the count.
struct NotchaRecord {
    static constexpr int MaxNotches = 100;

    struct NotchEntry {
        float Frequency;    // kHz
        float Bandwidth;    // kHz
    };

    char Version[20];
    double Timestamp;
    int32_t NumNotches;     // as sent, never above 100 after Parse
    int32_t ActiveNotches;  // as sent
    NotchEntry Notches[MaxNotches];

    NotchaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no NOTCHA sentence or has fewer than 6 fields, else the
    // number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split

    // The indexes of the entries read whose frequency and bandwidth are both
    // above 0, in sentence order: the rows of the notch table.
    std::vector<int> ListedNotches() const;
    // The active count limited to the entries read (0..NumNotches): what may
    // size the notch table, whatever count the line claims.
    int BoundedActiveNotches() const;
};
