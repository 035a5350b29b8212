// Router throughput on a mixed stream of every sentence type it knows, with
// no windows behind it, and the splitter alone.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/router.h"
#include "sentence/splitters.h"

namespace {

// The bundled ten-minute sample of the receiver simulator: every sentence type
// the router knows, in the proportions a receiver sends them.
const std::string &SampleStream()
{
    static const std::string stream = [] {
        std::ifstream in(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return stream;
}

const std::vector<std::string> &MixedLines()
{
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> out;
        std::istringstream in(SampleStream());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) out.push_back(line);
        }
        return out;
    }();
    return lines;
}

struct NullTarget : RouteTarget {
    size_t routed = 0;
    void Route(SentenceType, const char *) override { ++routed; }
};

void BM_Router(benchmark::State &state)
{
    const std::string &stream = SampleStream();
    if (stream.empty()) {
        state.SkipWithError("samples/kavu-sim-10min.log not found");
        return;
    }
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
