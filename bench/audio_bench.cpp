// Decoding AUDIO sentences: the simulator's 500 samples a second, and the
// longest line the router passes on.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "plots/audio.h"

namespace {

std::string AudioLine(int characters, int bits)
{
    std::string body = "DODU,LOOP1,AUDIO,20," + std::to_string(bits) + ",";
    for (int i = 0; i < characters; ++i) body += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[(i * 37) % 64];
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + body + sum;
}

void BM_AudioParse(benchmark::State &state)
{
    const std::string line = AudioLine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        AUDIOReceived a;
        benchmark::DoNotOptimize(a.Parse(line.c_str()));
        benchmark::DoNotOptimize(a.byteCount);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
// 668 characters: 500 8-bit samples, one line a second from the simulator.
BENCHMARK(BM_AudioParse)->Args({668, 8})->Args({99960, 8})->Args({99960, 12})->Args({99960, 3});

} // namespace
