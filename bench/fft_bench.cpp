// The FFT view's work per line: reading a receiver-sized FFTA line (two loops
// of 512 bins, about 5 KB), its points, and the notch bands of a NOTCHA line.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "logs/notcha.h"
#include "plots/fft.h"

namespace {

std::string Checksummed(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + body + sum;
}

std::string FftLine()
{
    std::string body = "DODU,FFTA,1.1,1024,0,512,1953,0.518,3,2";
    char value[16];
    for (int i = 0; i < 1024; ++i) {
        std::snprintf(value, sizeof value, ",%.1f", 20.0 + (i * 37 % 100) * 0.1);
        body += value;
    }
    return Checksummed(body);
}

void BM_FftParse512Bins2Loops(benchmark::State &state)
{
    const std::string line = FftLine();
    for (auto _ : state) {
        FFTReceived r;
        benchmark::DoNotOptimize(r.Parse(line.c_str()));
        benchmark::DoNotOptimize(r.Channels[1][511]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_FftParse512Bins2Loops);

void BM_FftSpectrumAndAxes(benchmark::State &state)
{
    FFTReceived r;
    r.Parse(FftLine().c_str());
    for (auto _ : state) {
        SpectrumView view = BuildSpectrum(r);
        AxisLimits level = NextLevelAxis({0.0, 100.0}, view.Lowest, view.Highest);
        benchmark::DoNotOptimize(level);
        benchmark::DoNotOptimize(view.Loop[1].back());
    }
}
BENCHMARK(BM_FftSpectrumAndAxes);

void BM_NotchBands(benchmark::State &state)
{
    std::string body = "DODU,NOTCHA,1.0,35.37,100,100";
    char pair[32];
    for (int i = 0; i < 100; ++i) {
        std::snprintf(pair, sizeof pair, ",%.1f,%.3f", 10.0 + i * 1.8, 0.4 + (i % 5) * 0.5);
        body += pair;
    }
    NotchaRecord notches;
    notches.Parse(Checksummed(body).c_str());
    for (auto _ : state) benchmark::DoNotOptimize(BuildNotchBands(notches));
}
BENCHMARK(BM_NotchBands);

} // namespace
