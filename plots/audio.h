#pragma once

#include <cstdint>
#include <vector>

#include "sentence/splitters.h"

// An AUDIO sentence.
bool IsAudio(const NovatelLogClass &log);

// A raw line that looks like an AUDIO sentence: "DODU" within its first 5
// characters and "AUDIO" within its first 40.
bool IsAudioLine(const char *line);

// One AUDIO sentence: DODU,name,AUDIO,samplePeriod,bitsPerSample,samples.
// The samples are one Base64 bit stream, most significant bit first, cut into
// two's-complement numbers of bitsPerSample bits. Up to 8 bits a sample is kept
// as one byte in offset binary (centred on 2^(bitsPerSample-1)); wider samples
// as one signed 16-bit word, low byte first, sign-extended from their width.
struct AUDIOReceived {
    static constexpr int TicksPerSecond = 400000;   // samplePeriod counts 2.5 us ticks

    char name[20];
    int32_t samplePeriod;
    int32_t bitsPerSample;   // 1..16 in a good line
    std::vector<uint8_t> samples;
    int32_t byteCount;       // bytes in samples
    int32_t sampleWidth;     // 8 or 16

    AUDIOReceived() { Clear(); }
    void Clear();
    // 1 when the line is no AUDIO sentence with at least six fields, else the
    // number of failures (0: good). A sample period below 1 or a width outside
    // 1..16 is a failure, and so is a character outside the Base64 alphabet
    // (the samples before it stay).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split

    // Samples per second; 0 before a good line.
    int32_t SampleRate() const { return samplePeriod > 0 ? TicksPerSecond / samplePeriod : 0; }
    int32_t SampleCount() const { return sampleWidth == 16 ? byteCount / 2 : byteCount; }
    // Sample i as the signed number the receiver sent.
    int32_t SampleValue(int32_t i) const;
};

// The samples as the wave device plays them, centred on zero and scaled to its
// full range whatever their width: 8-bit unsigned (centred on 128) up to 8 bits
// a sample, else 16-bit signed, low byte first.
std::vector<uint8_t> PlayedSamples(const AUDIOReceived &audio);
