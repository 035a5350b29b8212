#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "app/router.h"
#include "sentence_text.h"

namespace {

struct RecordingTarget : RouteTarget {
    bool script = false;
    std::vector<std::string> scriptLines;
    std::vector<std::pair<SentenceType, std::string>> routed;

    bool ScriptRunning() const override { return script; }
    void ScriptLine(const char *line) override { scriptLines.emplace_back(line); }
    void Route(SentenceType type, const char *line) override { routed.emplace_back(type, line); }
};

struct RouterTest : ::testing::Test {
    RecordingTarget target;
    SentenceRouter router{target};

    void Feed(const std::string &s) { router.Feed(s); }
    std::vector<SentenceType> Types() const
    {
        std::vector<SentenceType> t;
        for (auto &r : target.routed) t.push_back(r.first);
        return t;
    }
};

using ST = SentenceType;

} // namespace

TEST_F(RouterTest, EveryRowOfTheChainIsRecognised)
{
    const std::pair<const char *, std::vector<ST>> rows[] = {
        {"DODU,TOAA,1", {ST::Toaa}},     {"TOAA,1", {ST::Toaa}},           {"DODU,DLORA,1", {ST::Dlora}},
        {"DODU,1,DASF,2", {ST::Dasfa}},  {"GPGGA,1", {ST::Gpgga}},         {"HDGA,1", {ST::Hdga}},
        {"DODU,HDGLA,1", {ST::Hdgla}},   {"PTNTA,1", {ST::Ptnta}},         {"DODU,SYNCA,1", {ST::Synca}},
        {"DODU,RMSG,1", {ST::Rmsg}},     {"DODU,1,RMSG,2", {ST::Rmsg}},    {"DODU,1,GPPOS,2", {ST::Gpposa}},
        {"DODU,INPOSA,1", {ST::Inposa}}, {"DODU,1,LCPOS,2", {ST::Lcposa}}, {"DODU,LCRSDA,1", {ST::Lcposa}},
        {"DODU,FFTA,1", {ST::Fft}},      {"DODU,1,FFT,2", {ST::Fft}},      {"DODU,NOTCHA,1", {ST::Notcha}},
        {"DODU,1,AUDIO,2", {ST::Audio}}, {"dodu,toaa,1", {ST::Toaa}},      {"DODU,UNKNOWN,1", {}},
        {"GPRMC,1", {}},
        // A line that is both a TOAA and, by field 2, an AUDIO line; DLORA before DASF: the first match decides.
        {"TOAA,x,AUDIO,1", {ST::Toaa}},  {"DODU,DLORA,DASF,1", {ST::Dlora}},
        // Two fields are enough for TOAA, HDGA, SYNCA and NOTCHA; the others need a third.
        {"DODU,HDGA", {ST::Hdga}},       {"DODU,NOTCHA", {ST::Notcha}},    {"DODU,DASFA", {}},   {"HDGA", {}},
        {"DODU,RMSGA", {}},              {"DODU,LCPOSA", {}},              {"DODU,FFTA", {}},
    };
    for (const auto &[body, types] : rows) {
        target.routed.clear();
        Feed(Sentence(body) + "\r\n");
        EXPECT_EQ(Types(), types) << body;
    }
}

TEST_F(RouterTest, BadChecksumsAndForeignLinesReachNothing)
{
    std::string good = Sentence("DODU,DLORA,1");
    std::string bad = good;
    bad[bad.size() - 1] = bad[bad.size() - 1] == '0' ? '1' : '0';
    Feed(bad + "\r\n" + "In> $DODU,TOAA,1\r\n" + "garbage\n");
    EXPECT_TRUE(target.routed.empty());
    Feed("#PSRPOSA,COM1,0;SOL_COMPUTED,SINGLE,52.1,4.3,10*1234abcd\n#PSRPOS,1*0\n#BESTPOSA,1;2*0\n");
    ASSERT_EQ(target.routed.size(), 1u);   // board logs go by their own splitter
    EXPECT_EQ(target.routed[0].first, ST::Psrposa);
}

TEST_F(RouterTest, LastLineStoreKeepsTheNewestOfEachLogWindowType)
{
    std::string t1 = Sentence("DODU,TOAA,1"), t2 = Sentence("DODU,TOAA,2");
    std::string n = Sentence("DODU,NOTCHA,1"), h = Sentence("DODU,HDGA,1");
    Feed(t1 + "\n" + n + "\n" + t2 + "\n" + h + "\n");
    EXPECT_EQ(router.LastLine(ST::Toaa), t2);
    EXPECT_EQ(router.LastLine(ST::Notcha), n);
    EXPECT_TRUE(router.LastLine(ST::Hdga).empty());   // no log window: not stored
}

TEST_F(RouterTest, LineEndsAndChunking)
{
    std::string s = Sentence("GPGGA,1");
    target.script = true;
    Feed(s + "\r\n" + s + "\n" + s + "\r");
    EXPECT_EQ(target.routed.size(), 3u);
    // CR LF gives the line and an empty one, which only the script sees.
    EXPECT_EQ(target.scriptLines, (std::vector<std::string>{s, "", s, s}));

    // A sentence split anywhere, also between CR and LF, is handled once, whole.
    for (size_t cut = 0; cut <= s.size() + 2; ++cut) {
        target.routed.clear();
        std::string whole = s + "\r\n";
        Feed(whole.substr(0, cut));
        Feed(whole.substr(cut));
        ASSERT_EQ(target.routed.size(), 1u) << cut;
        EXPECT_EQ(target.routed[0].second, s);
    }
    Feed(s.substr(0, 5));   // a partial line the reset drops
    router.ResetLine();
    Feed(s + "\n");
    EXPECT_EQ(target.routed.size(), 2u);
}

TEST_F(RouterTest, LongLinesAreCutNotDropped)
{
    target.script = true;
    std::string line(100005, 'x');
    Feed(line + "\n");
    ASSERT_EQ(target.scriptLines.size(), 1u);
    EXPECT_EQ(target.scriptLines[0], std::string(99999, 'x'));
    EXPECT_EQ(router.PendingLineLength(), 0);
}

TEST_F(RouterTest, NulEndsTheLineTextAndEmptyChunksChangeNothing)
{
    target.script = true;
    std::string s = Sentence("GPGGA,1");
    std::string chunk = s + std::string(1, '\0') + "tail\n" + std::string(1, '\0') + "x\n";
    router.Feed(chunk.data(), chunk.size());
    router.Feed("", 0);
    EXPECT_EQ(target.routed.size(), 1u);
    EXPECT_EQ(target.scriptLines, (std::vector<std::string>{s, ""}));   // a line that starts with a NUL counts as empty
}

namespace {
// A target that feeds the router again from inside a handler, as a modal box
// spinning the event loop would.
struct ReentrantTarget : RouteTarget {
    SentenceRouter *router = nullptr;
    std::vector<std::string> lines;
    bool reentered = false;
    void Route(SentenceType, const char *line) override
    {
        lines.emplace_back(line);
        if (!reentered) {
            reentered = true;
            std::string more = Sentence("GPGGA,2") + "\n";
            router->Feed(more);
        }
    }
};
} // namespace

TEST(RouterReentry, DataArrivingInsideAHandlerIsKeptInOrder)
{
    ReentrantTarget target;
    SentenceRouter router(target);
    target.router = &router;
    router.Feed(Sentence("GPGGA,1") + "\n" + Sentence("GPGGA,3") + "\n");
    EXPECT_EQ(target.lines, (std::vector<std::string>{Sentence("GPGGA,1"), Sentence("GPGGA,3"), Sentence("GPGGA,2")}));
}

namespace {
struct ThrowingTarget : RouteTarget {
    int calls = 0;
    void Route(SentenceType, const char *) override
    {
        if (++calls == 1) throw std::runtime_error("view failed");
    }
};
} // namespace

TEST(RouterExceptions, AThrowingViewEndsTheChunkAndTheNextLineStartsEmpty)
{
    ThrowingTarget target;
    SentenceRouter router(target);
    std::string s = Sentence("GPGGA,1");
    EXPECT_THROW(router.Feed(s + "\n" + s + "\n"), std::runtime_error);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(router.PendingLineLength(), 0);
    router.Feed(s + "\n");
    EXPECT_EQ(target.calls, 2);
}
