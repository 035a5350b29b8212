// The router with every record behind it, fed in 1024-byte chunks:
//  - 200,000 GPGGA lines, timed against gpsd's gpsdecode on the same file in the
//    same run (skipped when gpsdecode is not installed);
//  - a simulated day of every sentence type, made once by kavu-sim and kept in
//    the build folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/router.h"
#include "logs/dasfa.h"
#include "logs/gpgga.h"
#include "logs/gpposa.h"
#include "logs/hdgla.h"
#include "logs/inposa.h"
#include "logs/lcposa.h"
#include "logs/notcha.h"
#include "logs/ptnta.h"
#include "logs/synca.h"
#include "logs/toaa.h"
#include "plots/audio.h"
#include "plots/dlora.h"
#include "plots/fft.h"
#include "plots/hdga.h"
#include "plots/psrposa.h"
#include "plots/rmsg.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string text(static_cast<size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

std::string Checksummed(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X\r\n", x);
    return "$" + body + sum;
}

// 200,000 fixes a second apart, wandering a little, written to the build folder.
const std::string &GpggaPath()
{
    static const std::string path = [] {
        std::string p = KAVU_BINARY_DIR "/gpgga-200k.log";
        std::string text;
        char body[160];
        for (int i = 0; i < 200000; ++i) {
            const int s = i % 86400;
            std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%09.4f,N,%010.4f,E,%d,%02d,%.1f,%.1f,M,%.1f,M,,",
                          s / 3600, s / 60 % 60, s % 60, 5158.1234 + (i % 997) * 0.0001, 425.4321 + (i % 991) * 0.0001,
                          1 + i % 2, 5 + i % 7, 0.8 + (i % 9) * 0.1, 10.0 + (i % 13) * 0.1, 46.9);
            text += Checksummed(body);
        }
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }();
    return path;
}

// A day of receiver time from the simulator, made on first use.
const std::string &DayPath()
{
    static const std::string path = [] {
        std::string p = KAVU_BINARY_DIR "/sim-day.log";
        if (std::ifstream(p).good()) return p;
        std::string command = "\"" KAVU_SIM_EXE "\" --duration 86400 -o \"" + p + ".part\" && mv \"" + p + ".part\" \"" + p + "\"";
        if (std::system(command.c_str()) != 0) return std::string();
        return p;
    }();
    return path;
}

// Every record the program reads from each sentence type, parsed as the views do.
struct RecordsTarget : RouteTarget {
    size_t good = 0;
    FFTReceived fft;
    LcposaEpoch epoch;

    template <typename Record, typename Line> void Take(const Line &line)
    {
        Record r;
        good += r.Parse(line) == 0;
    }
    template <typename Line> void Parse(SentenceType type, const Line &line)
    {
        switch (type) {
        case SentenceType::Toaa: Take<ToaaRecord>(line); break;
        case SentenceType::Dlora: Take<DloraRecord>(line); break;
        case SentenceType::Dasfa: Take<DasfaRecord>(line); break;
        case SentenceType::Gpgga: Take<GpggaRecord>(line); break;
        case SentenceType::Hdga: Take<HdgaRecord>(line); break;
        case SentenceType::Hdgla: Take<HdglaRecord>(line); break;
        case SentenceType::Ptnta: Take<PtntaRecord>(line); break;
        case SentenceType::Synca: Take<SyncaRecord>(line); break;
        case SentenceType::Rmsg: Take<RmsgRecord>(line); break;
        case SentenceType::Gpposa: Take<GpposaRecord>(line); break;
        case SentenceType::Inposa: Take<InposaRecord>(line); break;
        case SentenceType::Lcposa: good += epoch.AddLine(line) != 0; break;
        case SentenceType::Fft: good += fft.Parse(line) == 0; break;
        case SentenceType::Notcha: Take<NotchaRecord>(line); break;
        case SentenceType::Audio: Take<AUDIOReceived>(line); break;
        case SentenceType::Psrposa: Take<PsrposaRecord>(line); break;
        }
    }
    void Route(SentenceType type, const char *line) override { Parse(type, line); }
    void RouteLine(SentenceType type, const SentenceLine &line) override { Parse(type, line); }
};

size_t CountLines(const std::string &text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Feeds the text in 1024-byte chunks; returns the seconds it took.
double FeedAll(const std::string &text, RecordsTarget &target)
{
    SentenceRouter router(target);
    const auto start = Clock::now();
    for (size_t i = 0; i < text.size(); i += 1024) router.Feed(text.data() + i, std::min<size_t>(1024, text.size() - i));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// gpsdecode reading the file, median of three runs; 0 when it is not installed.
double GpsdecodeSeconds(const std::string &path)
{
    static const double seconds = [&] {
        if (std::system("command -v gpsdecode >/dev/null 2>&1") != 0) return 0.0;
        const std::string command = "gpsdecode < \"" + path + "\" > /dev/null 2>&1";
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            if (std::system(command.c_str()) != 0) return 0.0;
            runs.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
        std::sort(runs.begin(), runs.end());
        return runs[1];
    }();
    return seconds;
}

void RunFile(benchmark::State &state, const std::string &path, bool versusGpsdecode)
{
    const std::string text = path.empty() ? std::string() : ReadFile(path);
    if (text.empty()) {
        state.SkipWithError("input file could not be made");
        return;
    }
    const double lines = static_cast<double>(CountLines(text));
    double seconds = 0.0;
    RecordsTarget target;
    for (auto _ : state) {
        const double s = FeedAll(text, target);
        state.SetIterationTime(s);
        seconds += s;
    }
    benchmark::DoNotOptimize(target.good);
    const double rate = lines * static_cast<double>(state.iterations()) / seconds;
    state.counters["lines/s"] = rate;
    state.counters["good/line"] = static_cast<double>(target.good) / (lines * static_cast<double>(state.iterations()));
    if (!versusGpsdecode) return;
    const double gpsdecode = GpsdecodeSeconds(path);
    if (gpsdecode <= 0.0) {
        state.SetLabel("gpsdecode not installed: no comparison");
        return;
    }
    state.counters["gpsdecode_lines/s"] = lines / gpsdecode;
    state.counters["x_gpsdecode"] = rate / (lines / gpsdecode);
}

void BM_RouterRecords_Gpgga200k(benchmark::State &state) { RunFile(state, GpggaPath(), true); }
BENCHMARK(BM_RouterRecords_Gpgga200k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RouterRecords_SimulatedDay(benchmark::State &state) { RunFile(state, DayPath(), false); }
BENCHMARK(BM_RouterRecords_SimulatedDay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
