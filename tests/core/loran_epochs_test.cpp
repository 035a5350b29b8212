// eLoran epochs: shown, plotted and counted once whatever the order of their two lines.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "app/router.h"
#include "plots/positionplot.h"
#include "position_lines.h"

TEST(LoranEpochs, EachEpochOnceAndShownWithItsOwnData)
{
    // "P3": the autonomous position of epoch 3 (latitude 53); "R3": its residuals.
    const std::pair<const char *, std::vector<double>> rows[] = {
        {"P1 R1 P2 R2 R3 P3 P4 R4 R5 P5 R6 P6", {51, 52, 53, 54, 55, 56}},
        {"R1 P1 R2 P2 P3 R3 R4 P4", {51, 52, 53, 54}},
        {"P1 R1 P2 P3 P4", {51, 53, 54}},     // the residuals stop: P2 waits in vain
        {"R1 P1 R2 R3 R4 P4 R5", {51, 54}},   // the positions stop, then come back
        {"P1 P2 P3", {51, 52, 53}},
    };
    for (const auto &[lines, expected] : rows) {
        PositionPlotModel plot;
        LcposaEpoch e;
        std::istringstream tokens(lines);
        for (std::string token; tokens >> token;) {
            const std::string t = token.substr(1), lat = std::to_string(50 + std::stoi(t));
            const std::string line = token[0] == 'R' ? position_lines::Lcrsda(t, 'A') : position_lines::Lcposa(t, 'A', lat, "4");
            plot.NewData(line.c_str());
            if (!e.AddLine(line.c_str())) continue;
            EXPECT_TRUE(e.ShownPosition.SolutionKind == 'N' || e.ShownPosition.Time == e.EpochTime) << lines << token;
            EXPECT_TRUE(!e.ShownResiduals.SolutionKind || e.ShownResiduals.Time == e.EpochTime) << lines << token;
        }
        std::vector<double> plotted;
        for (const XY &p : plot.Tracks[1].Points) plotted.push_back(p.y);
        EXPECT_EQ(plotted, expected) << lines;
        EXPECT_EQ(plot.Series[PositionPlotModel::TrackSeries(1)].size(), expected.size()) << lines;
    }
}

TEST(LoranEpochs, TheSampleThroughTheRouterPlotsEveryEpochOnce)
{
    struct Target : RouteTarget {
        PositionPlotModel plot;
        std::set<double> epochs;   // of the autonomous solution
        void Route(SentenceType type, const char *line) override
        {
            plot.NewData(line);
            LcposaRecord r;
            if (type == SentenceType::Lcposa && r.Parse(line) == 0 && r.SolutionKind == 'A') epochs.insert(r.Time);
        }
    };
    const int32_t kept = MaxPoints;
    MaxPoints = 100000;
    auto target = std::make_unique<Target>();
    SentenceRouter router(*target);
    std::ifstream in(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log", std::ios::binary);
    router.Feed(std::string(std::istreambuf_iterator<char>(in), {}));
    target->plot.UpdateStatistics();
    MaxPoints = kept;

    const size_t epochs = target->epochs.size();
    EXPECT_GT(epochs, 500u);
    EXPECT_EQ(target->plot.Tracks[1].Points.size(), epochs);
    EXPECT_EQ(target->plot.Series[PositionPlotModel::TrackSeries(1)].size(), epochs);
    const std::string obs = target->plot.Memos[1].back();
    EXPECT_EQ(std::stoul(obs.substr(obs.find(':') + 1)), epochs) << obs;
}
