#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/waveblocks.h"
#include "plots/audio.h"
#include "sentence_text.h"

namespace {

// Packs signed samples of `bits` bits into Base64, most significant bit first,
// the way the receiver sends them (a second reading of the format, by bit string).
std::string PackBase64(const std::vector<int> &samples, int bits, bool pad = true)
{
    std::string bitText;
    for (int v : samples) {
        const uint32_t word = static_cast<uint32_t>(v) & ((1u << bits) - 1u);
        for (int b = bits - 1; b >= 0; --b) bitText += ((word >> b) & 1u) ? '1' : '0';
    }
    while (bitText.size() % 6) bitText += '0';
    const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bitText.size(); i += 6) out += alphabet[std::stoi(bitText.substr(i, 6), nullptr, 2)];
    while (pad && out.size() % 4) out += '=';
    return out;
}

std::string AudioLine(const std::string &period, const std::string &bits, const std::string &data,
                      const std::string &name = "LOOP1")
{
    return Sentence("DODU," + name + ",AUDIO," + period + "," + bits + "," + data);
}

std::vector<uint8_t> Bytes(const AUDIOReceived &a) { return std::vector<uint8_t>(a.samples.begin(), a.samples.end()); }

} // namespace

TEST(AudioRecord, RecognisedAndRefusedLines)
{
    EXPECT_FALSE(IsAudio(NovatelLogClass(Sentence("DODU,AUDIO").c_str())));
    EXPECT_FALSE(IsAudioLine("$$$$$DODU,x,AUDIO"));   // DODU must start within 5 characters
    EXPECT_FALSE(IsAudioLine(("$DODU," + std::string(40, 'n') + ",AUDIO").c_str()));
    EXPECT_FALSE(IsAudioLine(nullptr));
    AUDIOReceived a;
    EXPECT_EQ(a.Parse(Sentence("DODU,LOOP1,AUDIO,20,8").c_str()), 1);   // five fields
    EXPECT_EQ(a.Parse(nullptr), 1);
    // Widths outside 1..16, and no sample period to play at.
    for (const char *bits : {"0", "17", "-8", "99999999999", "8x"}) EXPECT_GE(a.Parse(AudioLine("20", bits, "fw").c_str()), 1) << bits;
    for (const char *period : {"0", "", "-20"}) EXPECT_GE(a.Parse(AudioLine(period, "8", "fw").c_str()), 1) << period;
}

TEST(AudioRecord, NarrowSamplesBecomeOffsetBinaryAndNoneIsLost)
{
    AUDIOReceived a;
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "gA==").c_str()), 0);
    EXPECT_STREQ(a.name, "LOOP1");
    EXPECT_EQ(a.SampleRate(), 20000);
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0x00}));   // -128
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "fw").c_str()), 0);
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0xFF}));   // +127
    ASSERT_EQ(a.Parse(AudioLine("20", "6", "A/").c_str()), 0);
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{32, 31}));
    // Narrow samples outnumber the bytes of 8-bit ones: none of them is lost.
    ASSERT_EQ(a.Parse(AudioLine("20", "6", "ABCDEFGH").c_str()), 0);
    EXPECT_EQ(a.byteCount, 8);
    EXPECT_EQ(a.SampleValue(7), 7);
}

TEST(AudioRecord, EveryWidthDecodesWhatWasPacked)
{
    std::mt19937 random(7);
    for (int bits = 1; bits <= 16; ++bits) {
        const int lo = -(1 << (bits - 1)), hi = (1 << (bits - 1)) - 1;
        std::vector<int> values = {lo, hi, 0};
        std::uniform_int_distribution<int> pick(lo, hi);
        // 102 samples: a whole number of characters for every width, no fill bits.
        for (int i = 0; i < 99; ++i) values.push_back(pick(random));

        AUDIOReceived a;
        ASSERT_EQ(a.Parse(AudioLine("36", std::to_string(bits), PackBase64(values, bits)).c_str()), 0) << bits;
        ASSERT_EQ(a.SampleCount(), static_cast<int>(values.size())) << bits;
        EXPECT_EQ(a.sampleWidth, bits > 8 ? 16 : 8);
        for (size_t i = 0; i < values.size(); ++i) {
            ASSERT_EQ(a.SampleValue(static_cast<int>(i)), values[i]) << bits << " bits, sample " << i;
            if (bits <= 8) {
                ASSERT_EQ(a.samples[i], values[i] + (1 << (bits - 1)));
            } else {   // signed 16-bit, low byte first
                const int16_t word = static_cast<int16_t>(a.samples[2 * i] | (a.samples[2 * i + 1] << 8));
                ASSERT_EQ(word, values[i]);
            }
        }
    }
}

TEST(AudioRecord, OddLengthsAndPadding)
{
    AUDIOReceived a;
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "f").c_str()), 0);  // 6 bits: not a whole sample
    EXPECT_EQ(a.byteCount, 0);
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "g=A").c_str()), 0);   // "=" is skipped wherever it is
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0x00}));
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "gAB").c_str()), 0);   // 18 bits: two samples, 2 bits left over
    EXPECT_EQ(a.byteCount, 2);
    ASSERT_EQ(a.Parse(AudioLine("20", "16", "gAA").c_str()), 0);  // 18 bits: one 16-bit sample
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0x00, 0x80}));
    EXPECT_EQ(a.SampleValue(0), -32768);
}

TEST(AudioRecord, BadBase64StopsTheDecodingAndCounts)
{
    AUDIOReceived a;
    EXPECT_EQ(a.Parse(AudioLine("20", "8", "gAAA!fw").c_str()), 1);
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0x00, 0x80, 0x80}));   // what came before stays
    EXPECT_EQ(a.Parse(AudioLine("20", "8", "fw\x80\xff").c_str()), 1);   // bytes above 127
    EXPECT_EQ(a.Parse(AudioLine("x", "8", "fw!").c_str()), 2);   // a bad period counts too
}

TEST(AudioRecord, HugeValuesAndLongLines)
{
    AUDIOReceived a;
    ASSERT_EQ(a.Parse(AudioLine("99999999999", "16", "fw").c_str()), 0);   // clamped, not wrapped
    EXPECT_EQ(a.samplePeriod, INT32_MAX);
    EXPECT_EQ(a.SampleRate(), 0);
    ASSERT_EQ(a.Parse(AudioLine("1", "1", "/").c_str()), 0);
    EXPECT_EQ(a.SampleRate(), 400000);
    // A name longer than the record holds is cut to 19 characters.
    ASSERT_EQ(a.Parse(AudioLine("20", "8", "fw", std::string(40, 'N')).c_str()), 0);
    EXPECT_EQ(std::string(a.name), std::string(19, 'N'));

    // The longest line the router passes on.
    const std::string data(99960, 'f');
    for (int bits : {8, 16, 3}) {
        ASSERT_EQ(a.Parse(AudioLine("20", std::to_string(bits), data).c_str()), 0);
        const int samples = static_cast<int>(data.size() * 6 / bits);
        EXPECT_EQ(a.SampleCount(), samples) << bits;
        EXPECT_EQ(a.byteCount, bits > 8 ? 2 * samples : samples);
    }
}

TEST(WaveBlocks, OnlyFullBlocksAreQueued)
{
    WaveBlockRing ring;
    std::vector<std::vector<uint8_t>> queued;
    auto queue = [&](const uint8_t *b, int n) { queued.emplace_back(b, b + n); };
    std::vector<uint8_t> data(3 * 4096);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 4096);

    EXPECT_EQ(ring.Write(data.data(), 4095, queue), 0);   // stays in the first block
    EXPECT_TRUE(queued.empty());
    EXPECT_EQ(ring.Write(data.data() + 4095, 1, queue), 0);   // one more byte queues it
    EXPECT_EQ(queued.at(0), std::vector<uint8_t>(data.begin(), data.begin() + 4096));
    // Two and a half blocks in one write: two queued, the rest waits.
    EXPECT_EQ(ring.Write(data.data(), 2 * 4096 + 2048, queue), 0);
    ASSERT_EQ(queued.size(), 3u);
    EXPECT_EQ(queued[2], std::vector<uint8_t>(data.begin() + 4096, data.begin() + 8192));
    EXPECT_EQ(ring.FreeBlocks(), 17);

    EXPECT_EQ(ring.Write(nullptr, 5, queue), 1);
}

TEST(WaveBlocks, NoFreeBlockDropsTheRest)
{
    WaveBlockRing ring;
    int queued = 0;
    std::vector<uint8_t> lastBlock;
    auto queue = [&](const uint8_t *b, int n) {
        ++queued;
        lastBlock.assign(b, b + n);
    };
    const std::vector<uint8_t> ones(4096, 1), twos(3 * 4096, 2), threes(4096, 3);
    for (int i = 0; i < 19; ++i) ASSERT_EQ(ring.Write(ones.data(), 4096, queue), 0);
    EXPECT_EQ(ring.FreeBlocks(), 1);
    // The last free block is filled and queued, then there is no room left.
    EXPECT_EQ(ring.Write(twos.data(), static_cast<int>(twos.size()), queue), 1);
    EXPECT_EQ(queued, 20);
    EXPECT_EQ(ring.FreeBlocks(), 0);
    EXPECT_EQ(ring.CurrentBlock(), 0);   // round the ring
    EXPECT_EQ(ring.Write(threes.data(), 1, queue), 1);
    EXPECT_EQ(queued, 20);

    // A returned block takes new data only: the dropped bytes are gone.
    ring.Returned(1);
    EXPECT_EQ(ring.FreeBlocks(), 1);
    EXPECT_EQ(ring.Write(threes.data(), 4096, queue), 0);
    EXPECT_EQ(queued, 21);
    EXPECT_EQ(lastBlock, threes);

    ring.Returned(50);   // never more than the ring holds
    EXPECT_EQ(ring.FreeBlocks(), 20);
}

TEST(WaveBlocks, DeviceRatesAndWidths)
{
    for (auto [rate, device] : {std::pair{0, 8000}, {-5, 8000}, {8000, 8000}, {8001, 11025}, {11025, 11025},
                                {11026, 22050}, {22050, 22050}, {22051, 44100}, {400000, 44100}})
        EXPECT_EQ(WaveDeviceRate(rate), device) << rate;
    EXPECT_EQ(WaveDeviceBits(8), 8);
    EXPECT_EQ(WaveDeviceBits(9), 16);
}
