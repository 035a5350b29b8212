// Any line through the three splitters: no crash, and fields within the line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sentence/splitters.h"

template <typename Splitter>
static void Check(const std::string &line)
{
    Splitter s(line.c_str());
    if (s.Status != 0) {
        if (s.FieldCount != 0 || s.Fields != nullptr) std::abort();
        return;
    }
    size_t total = 0;
    for (int i = 0; i < s.FieldCount; ++i) total += std::strlen(s.Fields[i]) + 1;
    if (total > line.size()) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string line(reinterpret_cast<const char *>(data), size);
    line = line.c_str();   // the router hands lines without NULs
    Check<NovatelLogClass>(line);
    Check<NMEALogClass>(line);
    Check<NovatelOEM4LogClass>(line);
    return 0;
}
