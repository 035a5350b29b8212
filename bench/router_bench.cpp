// Router throughput on a mixed stream of every sentence type it knows, with
// no windows behind it, and the splitter alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/router.h"
#include "sentence/splitters.h"

namespace {

std::string Sentence(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + body + sum;
}

const std::vector<std::string> &MixedLines()
{
    static const std::vector<std::string> lines = {
        Sentence("DODU,TOAA,1.2,1234.50,1.00,1.00,LOCKED,1.2e-7,12.5,13.1,3,"
                 "7499M,80.1,12.3,0.5,0.1,0.9,00A3,12345.6789,0.01,3600.0,"
                 "7499X,70.2,10.1,0.4,0.2,0.8,00A3,23456.7891,0.02,3600.0,"
                 "7499Y,60.3,9.7,0.3,0.3,0.7,00A3,34567.8912,0.03,3600.0"),
        Sentence("DODU,DLORA,1,7499M,12345.6789,7499X,23456.7891"),
        Sentence("DODU,DASFA,1.0,123456.00,061226,G,3,7499M,0.1,1,7499X,0.2,1,7499Y,0.3,1"),
        Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
        Sentence("DODU,HDGA,1.0,123.4,1,124.0,1,122.9,1"),
        Sentence("HDGLA,1.0,2,7499M,1,2,3,4,5,6,7499X,1,2,3,4,5,6"),
        Sentence("PTNTA,20261206123456,2,T4,1,12,0,0,3"),
        Sentence("DODU,SYNCA,1.0,123456.00,061226,G,1"),
        Sentence("DODU,RMSGA,1,7499M,0123456789ABCDEF0123456789"),
        Sentence("DODU,GPPOSA,1.0,123456.00,061226,G,52.1234567,4.1234567,12.3,8"),
        Sentence("DODU,INPOSA,1.0,123456.00,061226,G,52.1234567,4.1234567,12.3"),
        Sentence("DODU,LCPOSA,1.0,123456.00,061226,G,A,52.1234567,4.1234567,12.3"),
        Sentence("DODU,LCRSDA,1.0,123456.00,061226,A,2,7499M,0.1,7499X,0.2"),
        Sentence("DODU,FFTA,1.0,0,16,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"),
        Sentence("DODU,NOTCHA,1.0,2,75000,1,0.5,125000,1,0.5"),
        Sentence("DODU,1.0,AUDIO,8000,AAECAwQFBgcICQoLDA0ODw=="),
        "#PSRPOSA,COM1,0,55.0,FINESTEERING,1419,340033.000,00000040,6145,2724;SOL_COMPUTED,SINGLE,"
        "51.11636418888,-114.03832502643,1064.9520,-16.2712,WGS84,1.6961,1.3636,3.6869,\"\",0.000,0.000,8,8,0,0,0,0,0,0*d3f37f5c",
    };
    return lines;
}

std::string MixedStream(size_t bytes)
{
    std::string s;
    while (s.size() < bytes)
        for (const std::string &l : MixedLines()) s += l + "\r\n";
    return s;
}

struct NullTarget : RouteTarget {
    size_t routed = 0;
    void Route(SentenceType, const char *) override { ++routed; }
};

void BM_Router(benchmark::State &state)
{
    std::string stream = MixedStream(1 << 20);
    size_t lines = 0;
    for (char c : stream) lines += c == '\n';
    NullTarget target;
    SentenceRouter router(target);
    const size_t chunk = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        for (size_t i = 0; i < stream.size(); i += chunk)
            router.Feed(stream.data() + i, std::min(chunk, stream.size() - i));
    }
    benchmark::DoNotOptimize(target.routed);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Router)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_Splitter(benchmark::State &state)
{
    const std::vector<std::string> &lines = MixedLines();
    size_t bytes = 0, n = 0;
    for (auto _ : state) {
        for (const std::string &l : lines) {
            NovatelLogClass s(l.c_str());
            benchmark::DoNotOptimize(s.FieldCount);
            bytes += l.size();
            ++n;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Splitter);

} // namespace
