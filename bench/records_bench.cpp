// Parsing the longest log-window sentences into their records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "logs/hdgla.h"
#include "logs/lcposa.h"
#include "logs/toaa.h"

namespace {

std::string Checksummed(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + body + sum;
}

std::string ToaaLine()
{
    std::string body = "DODU,TOAA,1.2,1234.50,1.00,1.00,LOCKED,1.2e-7,12.5,13.1,30";
    for (int k = 0; k < 30; ++k) body += ",7499M,80.1,12.3,0.5,0.1,0.9,00A3,12345.6789,0.01,3600.0";
    return Checksummed(body);
}

void BM_ToaaParse30Stations(benchmark::State &state)
{
    const std::string line = ToaaLine();
    for (auto _ : state) {
        ToaaRecord r;
        benchmark::DoNotOptimize(r.Parse(line.c_str()));
        benchmark::DoNotOptimize(r.Stations[29].TOA);
    }
}
BENCHMARK(BM_ToaaParse30Stations);

void BM_HdglaParse30Stations(benchmark::State &state)
{
    std::string body = "DODU,HDGLA,1,1234.5,1,1,1,0.2,0.1,1,0,A,123.4,0.5,0.9,30";
    for (int k = 0; k < 30; ++k) body += ",7499M,350,10,0.5,12.5,0.75,0.125";
    const std::string line = Checksummed(body);
    for (auto _ : state) {
        HdglaRecord r;
        benchmark::DoNotOptimize(r.Parse(line.c_str()));
    }
}
BENCHMARK(BM_HdglaParse30Stations);

void BM_LcposaEpochPair(benchmark::State &state)
{
    const std::string position = Checksummed("DODU,LCPOSA,1,100.0,7,G,S,52.1,4.5,1.5,90.5,91.5,5,1.25");
    std::string residuals = "DODU,LCRSDA,1,100.0,7,G,S,10";
    for (int k = 0; k < 10; ++k) residuals += ",7499M,1.5,0.5";
    residuals = Checksummed(residuals);
    LcposaEpoch epoch;
    for (auto _ : state) {
        benchmark::DoNotOptimize(epoch.AddLine(position.c_str()));
        benchmark::DoNotOptimize(epoch.AddLine(residuals.c_str()));
    }
}
BENCHMARK(BM_LcposaEpochPair);

} // namespace
