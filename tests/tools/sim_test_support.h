// Helpers for the simulator tests: streams cut into lines, and lines into fields
// with the program's own splitters.
#pragma once

#include <string>
#include <vector>

#include "sentence/splitters.h"
#include "sim/simulator.h"

namespace simtest {

// Lines without their CR LF; the stream must end with a line end.
inline std::vector<std::string> Lines(const std::string &stream)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < stream.size(); ++i) {
        if (stream[i] != '\r' && stream[i] != '\n') continue;
        if (i > start) lines.push_back(stream.substr(start, i - start));
        start = i + 1;
    }
    return lines;
}

// The fields of a "$" line as the program's sentence splitter cuts them; empty
// when the splitter refuses the line.
inline std::vector<std::string> SentenceFields(const std::string &line)
{
    NovatelLogClass log(line.c_str());
    std::vector<std::string> f;
    if (log.Status != 0) return f;
    for (int i = 0; i < log.FieldCount; ++i) f.emplace_back(log.Fields[i]);
    return f;
}

inline std::vector<std::string> BoardLogFields(const std::string &line)
{
    NovatelOEM4LogClass log(line.c_str());
    std::vector<std::string> f;
    if (log.Status != 0) return f;
    for (int i = 0; i < log.FieldCount; ++i) f.emplace_back(log.Fields[i]);
    return f;
}

inline sim::SimOptions Options(double duration, double oldForms = 0.1, uint64_t seed = 1)
{
    sim::SimOptions o;
    o.seed = seed;
    o.duration = duration;
    o.oldForms = oldForms;
    return o;
}

} // namespace simtest
