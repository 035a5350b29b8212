#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "logs/notcha.h"
#include "plots/fft.h"
#include "sentence_text.h"

namespace {

// DODU,FFTA,<version>,<header>,<values>, checksummed.
std::string FftLine(const std::string &version, const std::string &header, const std::string &values,
                    bool olderForm = false)
{
    std::string address = olderForm ? "DODU," + version + ",FFT" : "DODU,FFTA," + version;
    return Sentence(address + "," + header + (values.empty() ? "" : "," + values));
}

// The example receiver line: FFT length 4096, first bin 0, two bins, 1000
// averages, 175e6 DSP cycles a second, gain 3.
const char *kHeader10 = "4096,0,2,1000,175000000,3";
const char *kValues10 = "40.5,41.0,20.0,21.0";

std::string Values(int count, double level = 30.0)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += (i ? "," : "") + std::to_string(level + i % 7);
    return s;
}

} // namespace

TEST(FFTReceived, BothVersionsAndLinesThatAreNoFftSentence)
{
    FFTReceived r;
    ASSERT_EQ(r.Parse(FftLine("FFT_1.0", kHeader10, kValues10, true).c_str()), 0);
    EXPECT_FLOAT_EQ(r.ProcessorLoad, 0.5f);   // 175e6 cycles of 350e6
    ASSERT_EQ(r.Parse(FftLine("1.1", "1024,10,2,8,0.25,7,3", "1,2,3,4,5,6").c_str()), 0);
    ASSERT_EQ(r.ChannelCount, 3);   // 1.1 carries its channel count and the load as sent
    EXPECT_EQ(r.ProcessorLoad, 0.25f);
    EXPECT_EQ(r.Channels[2], (std::vector<float>{5.0f, 6.0f}));
    for (const char *header : {"1024,0,2,8,0.25,7,-2", "1024,0,0,8,0.25,7,2"}) {
        EXPECT_EQ(r.Parse(FftLine("1.1", header, "1,2,3,4").c_str()), 0) << header;
        EXPECT_TRUE(r.Channels.empty());   // no channels, or no bins: a good line without channels
    }
    const std::string good = FftLine("1.0", kHeader10, kValues10);
    std::string wrongSum = good;
    wrongSum.back() = wrongSum.back() == '0' ? '1' : '0';
    for (const std::string &line : {wrongSum, good.substr(0, good.find('*')), Sentence("DODU,FFTA,1.0,4096,0,2,1000")}) {
        r.Parse(good.c_str());
        EXPECT_EQ(r.Parse(line.c_str()), 1) << line;
        EXPECT_EQ(r.ChannelCount, 2) << "a refused line leaves the record as it was";
    }
}

TEST(FFTReceived, BadAndMissingFieldsAreCounted)
{
    struct Case { const char *what; std::string line; int result; int channels; };
    const Case cases[] = {
        {"one value short (1.0)", FftLine("1.0", kHeader10, "40.5,41.0,20.0"), 1, 0},
        {"one value short (1.1)", FftLine("1.1", "4096,0,2,1000,0.5,3,2", "1,2,3"), 1, 0},
        {"bad FFT length", FftLine("1.0", "4k,0,2,1000,175000000,3", kValues10), 1, 0},
        {"FFT length 0 (good, with nothing to place)", FftLine("1.0", "0,0,2,1000,175000000,3", kValues10), 0, 2},
        {"negative FFT length", FftLine("1.0", "-1024,0,2,1000,175000000,3", kValues10), 1, 0},
        {"no FFT length (skipped)", FftLine("1.0", ",0,2,1000,175000000,3", kValues10), 0, 2},
        {"bad gain", FftLine("1.1", "4096,0,2,1000,0.5,x,1", "1,2"), 1, 0},
        {"bad channel count", FftLine("1.1", "4096,0,2,1000,0.5,3,two", "1,2"), 1, 0},
        {"two bad values (1.0 counts each)", FftLine("1.0", kHeader10, "40.5,x,20.0,y"), 2, 2},
        {"two bad values (1.1 stops at the first)", FftLine("1.1", "4096,0,2,1000,0.5,3,2", "1,x,3,y"), 1, 2},
        {"an infinite level", FftLine("1.0", kHeader10, "40.5,inf,20.0,21.0"), 1, 2},
        {"a level beyond the float range", FftLine("1.0", kHeader10, "40.5,1e39,20.0,21.0"), 1, 2},
        {"not a number", FftLine("1.1", "4096,0,2,1000,0.5,3,1", "nan,1"), 1, 1},
        {"an infinite load", FftLine("1.1", "4096,0,2,1000,inf,3,1", "1,2"), 1, 0},
        {"extra fields are fine", FftLine("1.0", kHeader10, std::string(kValues10) + ",9,9"), 0, 2},
    };
    for (const Case &c : cases) {
        FFTReceived r;
        EXPECT_EQ(r.Parse(c.line.c_str()), c.result) << c.what;
        EXPECT_EQ(r.ChannelCount, c.channels) << c.what;
        EXPECT_EQ(r.Channels.size(), static_cast<size_t>(c.channels)) << c.what;
    }
}

TEST(FFTReceived, HugeCountsSizeNothingTheLineDoesNotCarry)
{
    struct Case { const char *what; std::string line; };
    const Case cases[] = {
        {"bin count at the int32 limit", FftLine("1.0", "4096,0,2147483647,1,1,1", "1,2,3,4")},
        {"bin count beyond int32", FftLine("1.0", "4096,0,99999999999,1,1,1", "1,2,3,4")},
        {"count product wrapping to 0 in 32 bits", FftLine("1.1", "4096,0,65536,1,1,1,65536", "1,2,3,4")},
        {"count product wrapping to a small number", FftLine("1.1", "4096,0,65536,1,1,1,65537", "1,2,3,4")},
        {"negative bin count (1.0)", FftLine("1.0", "4096,0,-5,1,1,1", "1,2,3,4")},
        {"negative bin count (1.1)", FftLine("1.1", "4096,0,-5,1,1,1,2", "1,2,3,4")},
        {"most negative bin count", FftLine("1.1", "4096,0,-2147483648,1,1,1,2147483647", "1,2")},
    };
    for (const Case &c : cases) {
        FFTReceived r;
        EXPECT_EQ(r.Parse(c.line.c_str()), 1) << c.what;
        EXPECT_EQ(r.ChannelCount, 0) << c.what;
        EXPECT_EQ(r.Channels.capacity(), 0u) << c.what;
    }
    // A first bin near the int32 limit does not wrap.
    FFTReceived r;
    ASSERT_EQ(r.Parse(FftLine("1.1", "4096,2147483647,2,1,0.5,3,1", "1,2").c_str()), 0);
    SpectrumView view = BuildSpectrum(r);
    EXPECT_GT(view.Loop[0][1].x, view.Loop[0][0].x);
}

TEST(FftAxes, TheFrequencyAxisSetsItsMaximumFirst)
{
    FFTReceived r;
    // A spectrum wholly above the shown range: with the maximum at 400 first,
    // the new minimum is not refused.
    ASSERT_EQ(r.Parse(FftLine("1.1", "1024,256,256,1,0.5,3,1", Values(256)).c_str()), 0);
    AxisLimits a = NextFrequencyAxis({0.0, 50.0}, r, 0.390625);
    EXPECT_EQ(a.Min, 100.0);
    EXPECT_EQ(a.Max, 200.0);
    AxisLimits plain{0.0, 50.0};   // minimum first would be refused
    EXPECT_FALSE(plain.SetMin(100.0));
}

TEST(FftAxes, NoSpectrumEverLeavesAMinimumAboveTheMaximum)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> any(-5000, 5000);
    std::uniform_real_distribution<float> level(-200.0f, 300.0f);
    AxisLimits levels{0.0, 100.0}, frequencies{0.0, 200.0};
    for (int round = 0; round < 5000; ++round) {
        FFTReceived r;
        r.FftLength = any(random);
        r.FirstBin = any(random);
        r.BinCount = any(random);
        const double step = r.FftLength ? 400.0f / static_cast<float>(r.FftLength) : 0.0;
        frequencies = NextFrequencyAxis(frequencies, r, step);
        float a = level(random), b = level(random);
        levels = NextLevelAxis(levels, std::min({a, b, 100.0f}), std::max({a, b, 0.0f}));
        ASSERT_LE(frequencies.Min, frequencies.Max) << round;
        ASSERT_LE(levels.Min, levels.Max) << round;
    }
}

namespace {

NotchaRecord Notches(const std::vector<std::pair<float, float>> &list)
{
    NotchaRecord r;
    r.NumNotches = static_cast<int32_t>(list.size());
    for (size_t i = 0; i < list.size(); ++i) r.Notches[i] = {list[i].first, list[i].second};
    return r;
}

} // namespace

TEST(NotchBands, CellsOverlapsAndTheFloatFields)
{
    std::vector<NotchBand> bands = BuildNotchBands(Notches({{100.0f, 1.0f}, {100.5f, 1.0f}, {150.0f, 0.5f}}));
    ASSERT_EQ(bands.size(), 4u);
    // Cells 9950 to 10050: from 99.5 kHz to the end of cell 10050; the overlap a band of its own.
    EXPECT_DOUBLE_EQ(bands[0].From, 99.5);
    EXPECT_DOUBLE_EQ(bands[1].To, 100.51);
    EXPECT_EQ(bands[1].Notches, 2);
    EXPECT_EQ(NotchBandColour(6), 0x00E038u);
    // Float fields: 75.0 - 0.200000003 kHz truncates to the cell below 74.8 kHz.
    NotchaRecord r;
    ASSERT_EQ(r.Parse(Sentence("DODU,NOTCHA,1.0,35.37,1,1,75.0,0.400").c_str()), 0);
    EXPECT_NEAR(BuildNotchBands(r).at(0).From, 74.79, 1e-9);
    // The mouse read-out of a plot of no width is the axis minimum.
    MouseReading m = ReadMouse(10, 20, {10, 20, 10, 20}, {3.0, 9.0}, {1.0, 2.0});
    EXPECT_EQ(m.Frequency, "3.0 kHz");
}

TEST(NotchBands, NotchesWithoutWidthOrOutsideTheRangeAreLeftOut)
{
    const float nan = std::nanf(""), inf = INFINITY;
    // No width, below 0 kHz, ending at 200 kHz, no number, or too far for the grid.
    EXPECT_TRUE(BuildNotchBands(Notches({{0.0f, 1.0f}, {100.0f, 0.0f}, {100.0f, -1.0f}, {0.1f, 0.4f}, {199.99f, 0.02f},
                                         {nan, 1.0f}, {100.0f, nan}, {inf, 1.0f}, {3e9f, 1.0f}, {100.0f, 3e9f}}))
                    .empty());

    // Just inside both ends: a band from 0 and a band to the end of the grid.
    std::vector<NotchBand> edges = BuildNotchBands(Notches({{0.002f, 0.01f}, {199.99f, 0.01f}}));
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0].From, 0.0);
    EXPECT_DOUBLE_EQ(edges[1].To, 200.0);

    // Only the notches read count, at most 100 of them.
    NotchaRecord r = Notches({{100.0f, 1.0f}, {50.0f, 1.0f}});
    r.NumNotches = 5000;
    EXPECT_EQ(BuildNotchBands(r).size(), 2u);
    r.NumNotches = -3;
    EXPECT_TRUE(BuildNotchBands(r).empty());
}
