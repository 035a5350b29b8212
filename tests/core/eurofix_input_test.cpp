// What the Eurofix decoders take of a message.
#include <gtest/gtest.h>

#include "eurofix_hex.h"
#include "plots/eurofix.h"
#include "plots/rmsg.h"

TEST(EurofixMessage, OnlyTheCharactersThatAreDecodedMustBeHex)
{
    const std::string dgps = eurofixtest::Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 9}});
    const std::pair<std::string, int> rows[] = {
        {dgps.substr(0, 18) + "x", EurofixDecoded},   // the unpaired last character is not read
        {dgps.substr(0, 18) + " ", EurofixDecoded},
        {dgps.substr(0, 17) + "x0", EurofixGarbled},
        {dgps.substr(0, 19) + "x", EurofixGarbled},
    };
    for (const auto &[hex, result] : rows) {
        DgpsMessage d;
        EXPECT_EQ(DecodeDgps(d, hex.c_str()), result) << hex;
        EXPECT_EQ(d.Correction.Prn, result == EurofixDecoded ? 9 : 0) << hex;
    }
}

TEST(EurofixMessage, ControlCharactersOfAnSmsShowAsEscapes)
{
    const SmsMessage s{EurofixSms, 1, 1, {'A', '\n', '\a', '\x85', '\x7f', 'Z', '\0'}};
    EXPECT_EQ(SmsChunkLine(s), "SMS Chunk of Message 1: A\\x0A\\x07\\x85\\x7FZ    (End)");
    SmsAssembler sms;
    std::string shown;
    ASSERT_TRUE(sms.Add(s, shown));
    EXPECT_EQ(shown, "A\\x0A\\x07\\x85\\x7FZ");
}
