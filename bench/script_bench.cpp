// Reading a script whose one command line is very long: linear in its size.
#include <benchmark/benchmark.h>

#include <string>

#include "link/script.h"

namespace {

class QuietSender : public ScriptSender {
protected:
    void SendCommand(const std::string &) override {}
    void AddMemoLine(const std::string &) override {}
    bool LogRecording() const override { return false; }
    bool LogFileExists(const std::string &) const override { return false; }
    bool StartLog(const std::string &) override { return false; }
    std::tm LocalNow() const override { return {}; }
};

void ReadScriptWithOneLongLine(benchmark::State &state)
{
    std::string script = "%% one long command\r\n" + std::string(static_cast<size_t>(state.range(0)), 'x') + "\r\n";
    for (auto _ : state) {
        QuietSender sender;
        sender.ReadScript(script.data(), script.size());
        benchmark::DoNotOptimize(sender.Commands);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(script.size()));
}
BENCHMARK(ReadScriptWithOneLongLine)->Arg(1 << 20)->Arg(2 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

} // namespace
