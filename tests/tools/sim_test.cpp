// The receiver simulator: the program's router takes its whole stream, and a
// seed gives the same stream (the bundled sample the end-to-end test replays
// is the default one).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/router.h"
#include "sim/simulator.h"

namespace {

sim::SimOptions Options(double duration, double oldForms, uint64_t seed = 1)
{
    sim::SimOptions o;
    o.seed = seed;
    o.duration = duration;
    o.oldForms = oldForms;
    return o;
}

struct CountingTarget : RouteTarget {
    std::map<SentenceType, int> routed;
    void Route(SentenceType type, const char *) override { ++routed[type]; }
};

} // namespace

TEST(SimStream, TheProgramsRouterTakesEveryLineOfEveryKind)
{
    const std::string stream = sim::GenerateStream(Options(90, 0.3));
    CountingTarget target;
    SentenceRouter router(target);
    // Fed in odd-sized chunks, as a connection delivers them.
    for (size_t i = 0; i < stream.size(); i += 777) router.Feed(stream.data() + i, std::min<size_t>(777, stream.size() - i));
    int routed = 0, lines = 0;
    for (const auto &kv : target.routed) routed += kv.second;
    for (size_t i = 1; i < stream.size(); ++i) lines += stream[i] == '\n' && stream[i - 1] == '\r';
    EXPECT_EQ(routed, lines);
    EXPECT_EQ(target.routed.size(), SentenceTypeCount);
}

TEST(SimStream, SameSeedSameStreamOtherSeedOtherStream)
{
    const std::string a = sim::GenerateStream(Options(40, 0.2, 7));
    EXPECT_EQ(a, sim::GenerateStream(Options(40, 0.2, 7)));
    EXPECT_NE(a, sim::GenerateStream(Options(40, 0.2, 8)));
    // A longer run starts with the shorter one.
    EXPECT_EQ(sim::GenerateStream(Options(41, 0.2, 7)).compare(0, a.size(), a), 0);
    std::stringstream sample;
    sample << std::ifstream(std::string(KAVU_SOURCE_DIR) + "/samples/kavu-sim-10min.log", std::ios::binary).rdbuf();
    EXPECT_TRUE(sample.str() == sim::GenerateStream(sim::SimOptions{})) << "regenerate with tools/make-sample.sh";
}
