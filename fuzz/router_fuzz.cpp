// Arbitrary bytes in arbitrary chunks through the router's line assembly and chain.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/router.h"

namespace {
struct Sink : RouteTarget {
    bool ScriptRunning() const override { return true; }
    void ScriptLine(const char *line) override
    {
        if (std::strlen(line) > SentenceRouter::MaxLineLength) std::abort();
    }
    void Route(SentenceType, const char *line) override
    {
        if (line[0] != '$' && line[0] != '#') std::abort();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Sink sink;
    SentenceRouter router(sink);
    size_t i = 0;
    while (i < size) {
        // The first byte of each piece says how long the chunk is.
        size_t n = data[i++] % 64 + 1;
        if (n > size - i) n = size - i;
        router.Feed(reinterpret_cast<const char *>(data + i), n);
        i += n;
    }
    return 0;
}
