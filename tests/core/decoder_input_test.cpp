// What the FFT and Eurofix readers accept of a line: the FFT length, the
// characters of a message that are decoded, and the characters of an SMS.
#include <gtest/gtest.h>

#include <string>

#include "eurofix_hex.h"
#include "plots/eurofix.h"
#include "plots/fft.h"
#include "plots/rmsg.h"
#include "sentence_text.h"

TEST(FftLength, ALengthNotAboveZeroMakesTheLineBad)
{
    for (const std::string length : {"-1024", "0", ""}) {
        FFTReceived r;
        const std::string line = Sentence("DODU,FFTA,1.0," + length + ",0,2,1953,175000000,3,40.5,41.0,20.0,21.0");
        EXPECT_EQ(r.Parse(line.c_str()), 1) << length;
    }
}

TEST(EurofixMessage, OnlyTheCharactersThatAreDecodedMustBeHex)
{
    const std::string dgps = eurofixtest::Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 9}});
    struct Row { std::string hex; int result; };
    const Row rows[] = {
        {dgps.substr(0, 18) + "x", EurofixDecoded},   // the unpaired last character is not read
        {dgps.substr(0, 18) + " ", EurofixDecoded},
        {dgps.substr(0, 17) + "x0", EurofixGarbled},
        {dgps.substr(0, 19) + "x", EurofixGarbled},
    };
    for (const Row &row : rows) {
        DgpsMessage d;
        EXPECT_EQ(DecodeDgps(d, row.hex.c_str()), row.result) << row.hex;
        EXPECT_EQ(d.Correction.Prn, row.result == EurofixDecoded ? 9 : 0) << row.hex;
    }
}

TEST(EurofixMessage, ControlCharactersOfAnSmsShowAsEscapes)
{
    SmsMessage s;
    s.Chunk = 1;
    s.Last = 1;
    const char text[7] = {'A', '\n', '\a', '\x85', '\x7f', 'Z', '\0'};
    std::copy(text, text + 7, s.Text);
    EXPECT_EQ(SmsChunkLine(s), "SMS Chunk of Message 1: A\\x0A\\x07\\x85\\x7FZ    (End)");
    SmsAssembler sms;
    std::string shown;
    ASSERT_TRUE(sms.Add(s, shown));
    EXPECT_EQ(shown, "A\\x0A\\x07\\x85\\x7FZ");
}
