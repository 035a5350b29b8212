// Any bytes as a script file, run to its end with every line of the same bytes
// offered as a reply: no crash, no hang, and the run's counters stay in range.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "link/script.h"

static void Require(bool ok)
{
    if (!ok) std::abort();
}

namespace {
struct FuzzSender : ScriptSender {
    size_t sent = 0;
    bool recording = false;
    void SendCommand(const std::string &bytes) override
    {
        Require(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
        ++sent;
    }
    void AddMemoLine(const std::string &) override {}
    bool LogRecording() const override { return recording; }
    bool LogFileExists(const std::string &name) const override { return name.size() % 2 == 0; }
    bool StartLog(const std::string &) override { return recording = true; }
    std::tm LocalNow() const override { return std::tm{}; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    FuzzSender s;
    s.ReadScript(text, size);
    for (const ScriptCommand &c : s.Commands) Require(!c.Text.empty() && c.Text[0] != ' ');

    // The replies: the same bytes cut at their line ends.
    LineBuf replies(0);
    size_t at = 0;
    s.StartRun();
    for (int step = 0; step < 2000 && s.Running; ++step) {
        while (at < size && !replies.PutChar(text[at])) ++at;
        if (at < size) {
            ++at;
            s.CheckResponse(replies.GetLine().c_str());
        }
        ScriptSender::StepResult r = s.Step();
        Require(s.CurrentIndex >= 0 && s.CurrentIndex <= s.CommandCount());
        Require(s.FailedCount >= 0 && s.FailedCount <= s.CurrentIndex);
        if (r.Ended) s.EndRun();
    }
    return 0;
}
