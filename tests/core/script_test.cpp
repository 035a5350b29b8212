#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "link/script.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// ---------------------------------------------------------------------------
// CharBuf and LineBuf
// ---------------------------------------------------------------------------

TEST(CharBuf, AFixedRingKeepsItsNewestBytesAndAGrowingRingKeepsAllInOrder)
{
    for (size_t fixed : {size_t{0}, size_t{7}}) {
        CharBuf ring(fixed);
        std::deque<char> model;
        std::mt19937 random(42);
        size_t largest = 0;
        for (int i = 0; i < 20000; ++i) {
            // Phases of mostly filling, then mostly draining, cross every wrap.
            bool fill = (i / 1500) % 2 == 0 ? random() % 4 != 0 : random() % 4 == 0;
            if (fill) {
                char c = static_cast<char>(random());
                ring.Put(c);
                model.push_back(c);
                if (fixed && model.size() == fixed) model.pop_front();   // full: the oldest goes
            } else {
                char expected = model.empty() ? '\0' : model.front();
                if (!model.empty()) model.pop_front();
                ASSERT_EQ(ring.Get(), expected) << "fixed " << fixed << " step " << i;
            }
            ASSERT_EQ(ring.Count(), model.size()) << "fixed " << fixed << " step " << i;
            largest = std::max(largest, ring.Capacity());
        }
        if (fixed) {
            EXPECT_EQ(largest, fixed);
        } else {
            EXPECT_GT(largest, 300u);   // it grew
            while (ring.Count()) ring.Get();
            for (int i = 0; i < 1000; ++i) ring.Get();   // getting from an empty ring changes nothing
            EXPECT_EQ(ring.Count(), 0u);
            ring.Put('x');
            EXPECT_EQ(ring.Get(), 'x');
        }
    }
}

TEST(CharBuf, AGrowingRingShrinksOnceItsReadIndexWraps)
{
    CharBuf ring(0);
    for (int i = 0; i < 450; ++i) ring.Put(static_cast<char>('a' + i % 26));
    EXPECT_EQ(ring.Capacity(), 500u);
    for (int i = 0; i < 450; ++i) ASSERT_EQ(ring.Get(), static_cast<char>('a' + i % 26));
    for (int i = 0; i < 60; ++i) ring.Put('z');   // the write index wraps, then the read index
    for (int i = 0; i < 60; ++i) ring.Get();
    EXPECT_LT(ring.Capacity(), 500u);
    ring.Reset();
    EXPECT_EQ(ring.Capacity(), 100u);
    EXPECT_EQ(ring.Count(), 0u);
}

namespace {
// Every line the buffer completes, taken as soon as it is ready.
std::vector<std::string> Lines(const std::string &bytes)
{
    LineBuf buffer(0);
    std::vector<std::string> lines;
    for (char c : bytes)
        if (buffer.PutChar(c)) lines.push_back(buffer.GetLine());
    return lines;
}
} // namespace

TEST(LineBuf, EveryKindOfLineEndEndsOneLine)
{
    using V = std::vector<std::string>;
    struct Case {
        std::string bytes;
        V lines;
    };
    const Case cases[] = {
        {"A\r\nB\n", V{"A", "B"}},
        {"A\n\rB\r", V{"A", "B"}},
        {"A\rB\nC\r\n", V{"A", "B", "C"}},
        {"A\r\rB\r", V{"A", "", "B"}},               // two CRs: an empty line between
        {"A\n\nB\n", V{"A", "", "B"}},
        {"A\r\n\r\nB\r\n", V{"A", "", "B"}},
        {"A\r\n\nB\r", V{"A", "", "B"}},
        {std::string("\0A\0B\0\n", 6), V{"AB"}},       // NUL bytes are ignored
        {"no line end", V{}},
        {std::string(250, 'x') + "\n", V{std::string(250, 'x')}},
    };
    for (const Case &c : cases) EXPECT_EQ(Lines(c.bytes), c.lines) << c.bytes;
}

TEST(LineBuf, ALineNotTakenIsReplacedAndClearForgetsEverything)
{
    LineBuf buffer(0);
    for (char c : std::string("first\nsecond\n")) buffer.PutChar(c);
    EXPECT_TRUE(buffer.LineReady());
    EXPECT_EQ(buffer.GetLine(), "second");
    EXPECT_FALSE(buffer.LineReady());
    for (char c : std::string("half")) buffer.PutChar(c);
    buffer.PutChar('\r');
    buffer.Clear();
    EXPECT_FALSE(buffer.LineReady());
    buffer.PutChar('\n');   // no CR is pending any more: this LF ends an (empty) line of its own
    EXPECT_TRUE(buffer.LineReady());
    EXPECT_EQ(buffer.GetLine(), "");
}

// ---------------------------------------------------------------------------
// The language
// ---------------------------------------------------------------------------

TEST(ScriptNumber, ReadsLikePercentI)
{
    struct Case {
        const char *text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"5", 5},           {"010", 8},          {"0x1F", 31},      {"0X1f", 31},         {" -3", -3},
        {"+7", 7},          {"12abc", 12},       {"08", 0},         {"\t4", 4},           {"abc", std::nullopt},
        {"", std::nullopt}, {" ", std::nullopt}, {"-", std::nullopt}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const Case &c : cases) EXPECT_EQ(ScriptNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(DateTimeLogName, PutsTheStampBeforeTheFileNamePart)
{
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(DateTimeLogName("/data/D/run.log", t), "/data/D/20240305_070809_run.log");
    EXPECT_EQ(DateTimeLogName("run.log", t), "20240305_070809_run.log");
    EXPECT_EQ(DateTimeLogName("a/b/", t), "a/b/20240305_070809_");
}

namespace {

// A script sender whose surroundings are recorded; the echo of every sent
// command comes back through CheckResponse the way the router hands it on.
struct TestSender : ScriptSender {
    std::vector<std::string> sent;
    std::vector<std::string> memo;
    std::vector<std::string> logsStarted;
    std::vector<std::string> existing;
    bool recording = false;
    bool logOpens = true;
    std::function<void()> duringSend;
    std::tm now{};

    TestSender()
    {
        now.tm_year = 124;
        now.tm_mon = 11;
        now.tm_mday = 31;
        now.tm_hour = 23;
        now.tm_min = 59;
        now.tm_sec = 58;
    }
    void SendCommand(const std::string &bytes) override
    {
        sent.push_back(bytes);
        CheckResponse(("In> " + bytes.substr(0, bytes.size() - 2)).c_str());
        CheckResponse("");
        if (duringSend) duringSend();
    }
    void AddMemoLine(const std::string &line) override { memo.push_back(line); }
    bool LogRecording() const override { return recording; }
    bool LogFileExists(const std::string &name) const override
    {
        return std::find(existing.begin(), existing.end(), name) != existing.end();
    }
    bool StartLog(const std::string &name) override
    {
        logsStarted.push_back(name);
        if (logOpens) recording = true;
        return logOpens;
    }
    std::tm LocalNow() const override { return now; }

    void Load(const std::string &script)
    {
        ReadScript(script.data(), script.size());
        StartRun();
    }
    // Steps until the run ends; the step count.
    int RunToEnd(int limit = 1000)
    {
        for (int steps = 1; steps <= limit; ++steps)
            if (Step().Ended) {
                EndRun();
                return steps;
            }
        return -1;
    }
};

struct Expected {
    std::string text;
    std::string response;
    int hasResponse;
    int timeout;
    int tries;
};

std::vector<Expected> Read(const std::string &script, TestSender &s)
{
    s.ReadScript(script.data(), script.size());
    std::vector<Expected> out;
    for (const ScriptCommand &c : s.Commands) out.push_back({c.Text, c.Response, c.HasResponse, c.Timeout, c.Tries});
    return out;
}

bool operator==(const Expected &a, const Expected &b)
{
    return a.text == b.text && a.response == b.response && a.hasResponse == b.hasResponse &&
           a.timeout == b.timeout && a.tries == b.tries;
}
void PrintTo(const Expected &e, std::ostream *os)
{
    *os << "{\"" << e.text << "\", \"" << e.response << "\", " << e.hasResponse << ", " << e.timeout << ", "
        << e.tries << "}";
}

} // namespace

TEST(ScriptLanguage, LinesCommentsAndDirectives)
{
    using V = std::vector<Expected>;
    struct Case {
        const char *name;
        std::string script;
        V commands;
    };
    const Case cases[] = {
        {"comments and empty lines", "% a comment\r\n\r\n   \r\n   % indented comment\r\nCMD\r\n", V{{"CMD", "", 0, 2, 1}}},
        {"leading spaces go, tabs and trailing text stay",
         "   LOG TOAA ONTIME 1 % not a comment #nor a directive  \n\tTAB\n",
         V{{"LOG TOAA ONTIME 1 % not a comment #nor a directive  ", "", 0, 2, 1}, {"\tTAB", "", 0, 2, 1}}},
        {"the command's own lines", "A\n#response OK A\n#timeout 7\n#tries 3\nB\n",
         V{{"A", "OK A", 1, 7, 3}, {"B", "", 0, 2, 1}}},
        {"before any command they change nothing", "#timeout 9\n#tries 4\n#response X\nA\n", V{{"A", "", 0, 2, 1}}},
        {"defaults apply below them", "A\n#defaulttimeout 5\n#defaulttries 2\nB\n#timeout 1\nC\n",
         V{{"A", "", 0, 2, 1}, {"B", "", 0, 1, 2}, {"C", "", 0, 5, 2}}},
        {"keywords ignore case, numbers are read as %i", "#DefaultTimeout 010\n#DEFAULTTRIES 0x3\nA\n#TIMEOUT -1\n",
         V{{"A", "", 0, -1, 3}}},
        {"a keyword needs its blank", "A\n#timeout\n#timeout5\n#tries\t4\n", V{{"A", "", 0, 2, 1}}},
        {"unreadable numbers change nothing", "#defaulttimeout abc\n#defaulttries \nA\n#timeout x1\n#tries -\n",
         V{{"A", "", 0, 2, 1}}},
        {"an empty or second reply is ignored", "A\n#response \n#response first\n#response second\n",
         V{{"A", "first", 1, 2, 1}}},
        {"a reply keeps its blanks and case", "A\n#Response   Done, ok  \n", V{{"A", "  Done, ok  ", 1, 2, 1}}},
        {"unknown directives are ignored", "#include x\n#\nA\n#responses x\n", V{{"A", "", 0, 2, 1}}},
        {"CR, LF CR and NUL bytes", std::string("A\rB\n\rC\0D\r\n", 10), V{{"A", "", 0, 2, 1}, {"B", "", 0, 2, 1}, {"CD", "", 0, 2, 1}}},
        {"the last line without a line end counts", "A\nB", V{{"A", "", 0, 2, 1}, {"B", "", 0, 2, 1}}},
        {"the last reply without a line end counts", "A\n#response OK", V{{"A", "OK", 1, 2, 1}}},
        {"nothing but comments", "% one\n%two", V{}},
    };
    for (const Case &c : cases) {
        TestSender s;
        EXPECT_THAT(Read(c.script, s), ElementsAreArray(c.commands)) << c.name;
    }
}

TEST(ScriptLanguage, LogDirectives)
{
    TestSender s;
    Read("#logfile first.log\nA\nB\n#LogFile  my run.log \n#overwritelogfile 1\n#datetimetologfilename 0x1\nC\n", s);
    EXPECT_EQ(s.PendingLogName, " my run.log ");   // the rest of the line; the later one wins
    EXPECT_EQ(s.LogPosition, 1);                    // opens before the third command is sent
    EXPECT_EQ(s.OverwriteLog, 1);
    EXPECT_EQ(s.DateTimePrefix, 1);

    TestSender t;
    Read("#logfile early.log\n#overwritelogfile x\nA\n", t);
    EXPECT_EQ(t.PendingLogName, "early.log");
    EXPECT_EQ(t.LogPosition, -1);
    EXPECT_EQ(t.OverwriteLog, 0);

    t.DefaultTimeout = 9;
    t.EndRun();
    EXPECT_FALSE(t.PendingLogName);
    EXPECT_TRUE(t.Commands.empty());
    EXPECT_EQ(t.DefaultTimeout, 9);   // the defaults stay for the next script
}

// ---------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------

TEST(ScriptRun, ACommandWithoutReplyIsSentAndCountedInOneStep)
{
    TestSender s;
    s.Load("VERSION\n");
    ScriptSender::StepResult r = s.Step();
    EXPECT_FALSE(r.Ended);
    EXPECT_EQ(r.View.Command, "VERSION");
    EXPECT_EQ(r.View.Response, "No response needed");
    EXPECT_EQ(r.View.Timeout, "0/2");
    EXPECT_EQ(r.View.Tries, "1/1");
    EXPECT_EQ(r.View.Status, "Command successful");
    EXPECT_EQ(r.View.Position, 0);
    EXPECT_EQ(r.View.Maximum, 1);
    r = s.Step();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.View.Command, "---");
    EXPECT_EQ(r.View.Timeout, "-/-");
    EXPECT_EQ(r.View.Status, "All commands sent");
    EXPECT_EQ(r.View.Position, 1);
    EXPECT_THAT(s.sent, ElementsAre("VERSION\r\n"));
    EXPECT_THAT(s.memo, ElementsAre("1 - Sending: VERSION", "1 - Command successful",
                                    "---- End sending script: 1 of 1 commands successful ----"));
}

TEST(ScriptRun, TheReplyCompletesTheCommandAndTheNextGoesOutAtTheNextStep)
{
    TestSender s;
    s.Load("LOG A\n#response $DODU,A\nLOG B\n");
    ScriptSender::StepResult r = s.Step();
    EXPECT_EQ(r.View.Status, "Command sent, waiting for response");
    EXPECT_EQ(r.View.Response, "$DODU,A");
    s.Step();
    s.Step();
    s.CheckResponse("$dodu,A,1*00");   // the search is case-sensitive
    r = s.Step();
    EXPECT_EQ(r.View.Timeout, "0/2");
    EXPECT_EQ(r.View.Status, "Command sent, waiting for response");
    EXPECT_THAT(s.sent, ElementsAre("LOG A\r\n"));
    s.CheckResponse("xx$DODU,A,1*00");
    r = s.Step();
    EXPECT_EQ(r.View.Status, "Command successful");
    EXPECT_EQ(r.View.Position, 0);
    EXPECT_THAT(s.sent, ElementsAre("LOG A\r\n"));
    r = s.Step();
    EXPECT_EQ(r.View.Command, "LOG B");
    EXPECT_EQ(r.View.Position, 1);
    EXPECT_THAT(s.sent, ElementsAre("LOG A\r\n", "LOG B\r\n"));
    EXPECT_TRUE(s.Step().Ended);
    EXPECT_THAT(s.memo, ElementsAre("1 - Sending: LOG A", "1 - Awaiting: $DODU,A", "1 - Command successful",
                                    "2 - Sending: LOG B", "2 - Command successful",
                                    "---- End sending script: 2 of 2 commands successful ----"));
}

TEST(ScriptRun, WithTheDefaultsACommandTimesOutAfterElevenStepsAndFailsAtTheNext)
{
    TestSender s;
    s.Load("PING\n#response PONG\n");
    EXPECT_EQ(s.Step().View.Status, "Command sent, waiting for response");
    for (int tick = 1; tick <= 10; ++tick) {
        ScriptSender::StepResult r = s.Step();
        ASSERT_EQ(r.View.Status, "Command sent, waiting for response") << tick;
        ASSERT_EQ(r.View.Timeout, std::to_string(tick / 5) + "/2");
    }
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");   // 2.2 s after sending
    ScriptSender::StepResult r = s.Step();
    EXPECT_EQ(r.View.Status, "Command FAILED");
    EXPECT_EQ(s.FailedCount, 1);
    EXPECT_TRUE(s.Step().Ended);
    EXPECT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(s.memo.back(), "---- End sending script: 0 of 1 commands successful ----");
}

TEST(ScriptRun, ThreeTriesSendThreeTimesThenFail)
{
    TestSender s;
    s.Load("#defaulttimeout 0\nRESET\n#response READY\n#tries 3\n");
    EXPECT_EQ(s.RunToEnd(), 3 * 2 + 1 + 1);   // each attempt a send and a time-out step; the failure; the end
    EXPECT_THAT(s.sent, ElementsAre("RESET\r\n", "RESET\r\n", "RESET\r\n"));
    EXPECT_THAT(s.memo, ElementsAre("1 - Sending: RESET", "1 - Awaiting: READY", "1 - Retry 2: RESET",
                                    "1 - Retry 3: RESET", "1 - Command FAILED",
                                    "---- End sending script: 0 of 1 commands successful ----"));
}

TEST(ScriptRun, TheTryCountShowsOnEveryAttemptAndALateReplyStillCounts)
{
    TestSender s;
    s.Load("#defaulttimeout 0\nRESET\n#response READY\n#tries 2\nNEXT\n");
    s.Step();
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");
    s.CheckResponse("READY");   // between the time-out and the retry
    ScriptSender::StepResult r = s.Step();
    EXPECT_EQ(r.View.Status, "Command successful");
    EXPECT_EQ(r.View.Tries, "1/2");
    EXPECT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(s.RunToEnd(), 2);
    EXPECT_EQ(s.memo.back(), "---- End sending script: 2 of 2 commands successful ----");
}

TEST(ScriptRun, AReplyBeforeTheCommandWentOutAndTheCommandsOwnEchoDoNotCount)
{
    TestSender s;
    // The reply text of the second command arrives while the first is still the current one,
    // and the second command's echo holds its own reply text.
    s.Load("FIRST\n#response FIRST OK\nVERSION\n#response VERSION\n#timeout 0\n");
    s.Step();
    s.CheckResponse("FIRST OK");
    s.Step();                     // first done; the second waits to be sent
    s.CheckResponse("VERSION 7"); // nobody asked yet
    ScriptSender::StepResult r = s.Step();
    EXPECT_EQ(r.View.Status, "Command sent, waiting for response");
    EXPECT_THAT(s.sent, ElementsAre("FIRST\r\n", "VERSION\r\n"));
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");
    EXPECT_EQ(s.Step().View.Status, "Command FAILED");
}

TEST(ScriptRun, ARunEndedWhileACommandIsSentStopsThere)
{
    TestSender s;
    s.Load("A\n#response X\nB\n");
    s.duringSend = [&s] { s.EndRun(); };
    ScriptSender::StepResult r = s.Step();
    EXPECT_FALSE(r.Ended);
    EXPECT_FALSE(s.Running);
    EXPECT_TRUE(s.Commands.empty());
    EXPECT_FALSE(s.Step().Ended);   // nothing runs any more
    EXPECT_EQ(s.sent.size(), 1u);
    s.CheckResponse("X");
}

TEST(ScriptRun, OnlyCommentsEndAtTheFirstStep)
{
    TestSender s;
    s.Load("% nothing to send\n");
    ScriptSender::StepResult r = s.Step();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.View.Position, 0);
    EXPECT_EQ(r.View.Maximum, 0);
    EXPECT_THAT(s.memo, ElementsAre("---- End sending script: 0 of 0 commands successful ----"));
}

TEST(ScriptRun, HugeAndNegativeTimeoutsAndTries)
{
    TestSender s;
    s.Load("A\n#response never\n#timeout 0x7fffffff\n#tries 0x7fffffff\nB\n#response never\n#timeout -5\n#tries -1\n");
    for (int i = 0; i < 20; ++i) s.Step();
    EXPECT_EQ(s.CurrentIndex, 0);
    ScriptSender::StepResult r = s.Step();
    EXPECT_EQ(r.View.Timeout, "4/2147483647");
    EXPECT_EQ(r.View.Status, "Command sent, waiting for response");
    s.CheckResponse("never");
    s.Step();
    EXPECT_EQ(s.Step().View.Status, "Command sent, waiting for response");   // B sent
    EXPECT_EQ(s.Step().View.Status, "Timeout! Resending command");
    EXPECT_EQ(s.Step().View.Status, "Command FAILED");
}

TEST(ScriptRun, TheLogOpensBeforeTheCommandThatFollowsItsDirective)
{
    struct Case {
        const char *name;
        std::string script;
        std::vector<std::string> memo;
    };
    const Case cases[] = {
        {"before the first command", "#logfile /d/run.log\nA\nB\n",
         {"1 - Logfile: /d/run.log opened", "1 - Sending: A", "1 - Command successful", "2 - Sending: B",
          "2 - Command successful", "---- End sending script: 2 of 2 commands successful ----"}},
        {"after the first command", "A\n#logfile /d/run.log\nB\n",
         {"1 - Sending: A", "1 - Command successful", "2 - Logfile: /d/run.log opened", "2 - Sending: B",
          "2 - Command successful", "---- End sending script: 2 of 2 commands successful ----"}},
        {"after the last command", "A\n#logfile /d/run.log\n",
         {"1 - Sending: A", "1 - Command successful", "2 - Logfile: /d/run.log opened",
          "---- End sending script: 1 of 1 commands successful ----"}},
        {"with the date and time", "#datetimetologfilename 1\n#logfile /d/run.log\nA\n",
         {"1 - Logfile: /d/20241231_235958_run.log opened", "1 - Sending: A", "1 - Command successful",
          "---- End sending script: 1 of 1 commands successful ----"}},
    };
    for (const Case &c : cases) {
        TestSender s;
        s.Load(c.script);
        s.RunToEnd();
        EXPECT_EQ(s.memo, c.memo) << c.name;
        EXPECT_EQ(s.logsStarted.size(), 1u) << c.name;
    }
}

TEST(ScriptRun, LogProblemsAreReportedAndTheRunGoesOnWithoutALog)
{
    struct Case {
        const char *name;
        std::string script;
        bool recording;
        bool opens;
        std::string memo;
        size_t started;
    };
    const Case cases[] = {
        {"another log is open", "#logfile /d/old.log\nA\n", true, true,
         "1 - Cannot open logfile, another already opened", 0},
        {"the file exists", "#logfile /d/old.log\nA\n", false, true, "1 - Cannot overwrite logfile /d/old.log", 0},
        {"the file exists, overwriting allowed", "#logfile /d/old.log\n#overwritelogfile 1\nA\n", false, true,
         "1 - Logfile: /d/old.log opened", 1},
        {"the file cannot be made", "#logfile /nowhere/new.log\nA\n", false, false,
         "1 - Cannot open logfile /nowhere/new.log", 1},
    };
    for (const Case &c : cases) {
        TestSender s;
        s.existing = {"/d/old.log"};
        s.recording = c.recording;
        s.logOpens = c.opens;
        s.Load(c.script);
        EXPECT_EQ(s.RunToEnd(), 2) << c.name;
        ASSERT_FALSE(s.memo.empty());
        EXPECT_EQ(s.memo[0], c.memo) << c.name;
        EXPECT_EQ(s.logsStarted.size(), c.started) << c.name;
        EXPECT_EQ(s.memo.back(), "---- End sending script: 1 of 1 commands successful ----") << c.name;
        EXPECT_FALSE(s.PendingLogName);
        EXPECT_EQ(s.OverwriteLog, 0);   // the run's end forgets the script's log settings
    }
}
