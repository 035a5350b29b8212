#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "link/script.h"

TEST(CharBuf, AFixedRingKeepsItsNewestBytesAndAGrowingRingKeepsAllInOrder)
{
    for (size_t fixed : {size_t{0}, size_t{7}}) {
        CharBuf ring(fixed);
        std::deque<char> model;
        std::mt19937 random(42);
        size_t largest = 0;
        for (int i = 0; i < 20000; ++i) {
            // Phases of mostly filling, then mostly draining, cross every wrap.
            if ((i / 1500) % 2 == 0 ? random() % 4 != 0 : random() % 4 == 0) {
                const char c = static_cast<char>(random());
                ring.Put(c);
                model.push_back(c);
                if (fixed && model.size() == fixed) model.pop_front();   // full: the oldest goes
            } else {
                ASSERT_EQ(ring.Get(), model.empty() ? '\0' : model.front()) << "fixed " << fixed << " step " << i;
                if (!model.empty()) model.pop_front();
            }
            ASSERT_EQ(ring.Count(), model.size()) << "fixed " << fixed << " step " << i;
            largest = std::max(largest, ring.Capacity());
        }
        EXPECT_EQ(largest > 300, fixed == 0) << "a fixed ring never grows, a growing one did";
    }
}

TEST(LineBuf, EveryKindOfLineEndEndsOneLine)
{
    using V = std::vector<std::string>;
    const std::pair<std::string, V> cases[] = {
        {"A\r\nB\n", V{"A", "B"}},         {"A\n\rB\r", V{"A", "B"}},        {"A\rB\nC\r\n", V{"A", "B", "C"}},
        {"A\r\rB\r", V{"A", "", "B"}},     {"A\n\nB\n", V{"A", "", "B"}},    {"A\r\n\r\nB\r\n", V{"A", "", "B"}},
        {"A\r\n\nB\r", V{"A", "", "B"}},   {std::string("\0A\0B\0\n", 6), V{"AB"}},   {"no line end", V{}},
        {std::string(250, 'x') + "\n", V{std::string(250, 'x')}},
    };
    for (const auto &[bytes, lines] : cases) {
        LineBuf buffer(0);
        V got;
        for (char c : bytes)
            if (buffer.PutChar(c)) got.push_back(buffer.GetLine());
        EXPECT_EQ(got, lines) << bytes;
    }
    LineBuf buffer(0);
    for (char c : std::string("half\r")) buffer.PutChar(c);
    buffer.Clear();
    EXPECT_FALSE(buffer.LineReady());
    EXPECT_TRUE(buffer.PutChar('\n'));   // no CR is pending any more: this LF ends an (empty) line of its own
}

TEST(ScriptNumber, ReadsLikePercentI)
{
    const std::pair<const char *, std::optional<int>> cases[] = {
        {"5", 5},           {"010", 8},          {"0x1F", 31},      {"0X1f", 31},         {" -3", -3},
        {"+7", 7},          {"12abc", 12},       {"08", 0},         {"\t4", 4},           {"abc", std::nullopt},
        {"", std::nullopt}, {" ", std::nullopt}, {"-", std::nullopt}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto &[text, value] : cases) EXPECT_EQ(ScriptNumber(text), value) << '"' << text << '"';
}

namespace {

// A script sender whose surroundings are recorded; the echo of every sent
// command comes back through CheckResponse the way the router hands it on.
struct TestSender : ScriptSender {
    std::vector<std::string> sent, memo;
    std::function<void()> duringSend;

    void SendCommand(const std::string &bytes) override
    {
        sent.push_back(bytes);
        CheckResponse(("In> " + bytes.substr(0, bytes.size() - 2)).c_str());
        CheckResponse("");
        if (duringSend) duringSend();
    }
    void AddMemoLine(const std::string &line) override { memo.push_back(line); }
    bool LogRecording() const override { return false; }
    bool LogFileExists(const std::string &) const override { return false; }
    bool StartLog(const std::string &) override { return true; }
    std::tm LocalNow() const override { return std::tm{58, 59, 23, 31, 11, 124, 0, 0, 0, 0, nullptr}; }
    void Load(const std::string &script)
    {
        ReadScript(script.data(), script.size());
        StartRun();
    }
    // Steps until the run ends; the step count.
    int RunToEnd()
    {
        for (int steps = 1; steps <= 1000; ++steps)
            if (Step().Ended) {
                EndRun();
                return steps;
            }
        return -1;
    }
    // The commands read, one "text|reply|has reply|time-out|tries" each.
    std::vector<std::string> Read(const std::string &script)
    {
        ReadScript(script.data(), script.size());
        std::vector<std::string> out;
        for (const ScriptCommand &c : Commands)
            out.push_back(c.Text + "|" + c.Response + "|" + std::to_string(c.HasResponse) + "|" +
                          std::to_string(c.Timeout) + "|" + std::to_string(c.Tries));
        return out;
    }
};

} // namespace

TEST(ScriptLanguage, LinesCommentsAndDirectives)
{
    using V = std::vector<std::string>;
    const std::pair<std::string, V> cases[] = {
        {"% a comment\r\n\r\n   \r\n   % indented\r\nCMD\r\n", V{"CMD||0|2|1"}},
        {"   LOG TOAA ONTIME 1 % not a comment  \n\tTAB\n", V{"LOG TOAA ONTIME 1 % not a comment  ||0|2|1", "\tTAB||0|2|1"}},
        {"#timeout 9\nA\n#response OK A\n#timeout 7\n#tries 3\nB\n", V{"A|OK A|1|7|3", "B||0|2|1"}},
        {"A\n#defaulttimeout 5\n#defaulttries 2\nB\n#timeout 1\nC\n", V{"A||0|2|1", "B||0|1|2", "C||0|5|2"}},
        {"#DefaultTimeout 010\n#DEFAULTTRIES 0x3\nA\n#TIMEOUT -1\n", V{"A||0|-1|3"}},
        {"A\n#timeout\n#timeout5\n#tries\t4\n#tries -\n#defaulttries \n", V{"A||0|2|1"}},
        {"A\n#response \n#Response   Done, ok  \n#response second\n", V{"A|  Done, ok  |1|2|1"}},
        {std::string("A\rB\n\rC\0D\r\n", 10), V{"A||0|2|1", "B||0|2|1", "CD||0|2|1"}},
        {"A\n#response OK", V{"A|OK|1|2|1"}},
    };
    for (const auto &[script, commands] : cases) {
        TestSender s;
        EXPECT_EQ(s.Read(script), commands) << script;
    }
    TestSender s;
    s.Read("#logfile first.log\nA\nB\n#LogFile  my run.log \n#overwritelogfile 1\n#datetimetologfilename 0x1\nC\n");
    EXPECT_EQ(s.PendingLogName, " my run.log ");   // the rest of the line; the later one wins
    EXPECT_EQ(s.LogPosition, 1);                    // opens before the third command is sent
    EXPECT_EQ(s.OverwriteLog, 1);
    EXPECT_EQ(s.DateTimePrefix, 1);
}

TEST(ScriptRun, TimeOutsAndTries)
{
    TestSender s;
    s.Load("PING\n#response PONG\n");
    EXPECT_EQ(s.Step().View.Status, "Command sent, waiting for response");
    for (int tick = 1; tick <= 10; ++tick) ASSERT_EQ(s.Step().View.Timeout, std::to_string(tick / 5) + "/2");
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");   // 2.2 s after sending
    EXPECT_EQ(s.Step().View.Status, "Command FAILED");

    TestSender t;
    t.Load("#defaulttimeout 0\nRESET\n#response READY\n#tries 3\n");
    EXPECT_EQ(t.RunToEnd(), 3 * 2 + 1 + 1);   // each attempt a send and a time-out step; the failure; the end
    EXPECT_EQ(t.sent.size(), 3u);
    EXPECT_EQ(t.memo.back(), "---- End sending script: 0 of 1 commands successful ----");

    TestSender late;   // a reply between the time-out and the retry still counts
    late.Load("#defaulttimeout 0\nRESET\n#response READY\n#tries 2\n");
    late.Step();
    late.Step();
    late.CheckResponse("READY");
    EXPECT_EQ(late.Step().View.Status, "Command successful");
    EXPECT_EQ(late.sent.size(), 1u);
}

TEST(ScriptRun, AReplyBeforeTheCommandWentOutDoesNotCount)
{
    TestSender s;
    s.Load("FIRST\n#response FIRST OK\nVERSION\n#response VERSION 7\n#timeout 0\n");
    s.Step();
    s.CheckResponse("FIRST OK");
    s.Step();                     // first done; the second waits to be sent
    s.CheckResponse("VERSION 7"); // nobody asked yet
    EXPECT_EQ(s.Step().View.Status, "Command sent, waiting for response");
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");
}

TEST(ScriptRun, ARunEndedWhileACommandIsSentStopsThere)
{
    TestSender s;
    s.Load("A\n#response X\nB\n");
    s.duringSend = [&s] { s.EndRun(); };
    EXPECT_FALSE(s.Step().Ended);
    EXPECT_FALSE(s.Running);
    EXPECT_TRUE(s.Commands.empty());
    EXPECT_FALSE(s.Step().Ended);   // nothing runs any more
    EXPECT_EQ(s.sent.size(), 1u);
    s.CheckResponse("X");
}

TEST(ScriptRun, HugeAndNegativeTimeoutsAndTries)
{
    TestSender s;
    s.Load("A\n#response never\n#timeout 0x7fffffff\n#tries 0x7fffffff\nB\n#response never\n#timeout -5\n#tries -1\n");
    for (int i = 0; i < 20; ++i) s.Step();
    EXPECT_EQ(s.CurrentIndex, 0);
    EXPECT_EQ(s.Step().View.Timeout, "4/2147483647");
    s.CheckResponse("never");
    s.Step();
    EXPECT_EQ(s.Step().View.Status, "Command sent, waiting for response");   // B sent
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");
    EXPECT_EQ(s.Step().View.Status, "Command FAILED");
}
