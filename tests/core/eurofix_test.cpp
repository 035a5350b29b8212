// Eurofix messages: the RMSG record, the bit stream, the decoders, the DGPS
// table and what the Eurofix window shows of them.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "eurofix_hex.h"
#include "plots/eurofix.h"
#include "plots/rmsg.h"
#include "sentence_text.h"

using namespace eurofixtest;

TEST(RmsgRecord, AddressFormsRefusalsAndCutTexts)
{
    RmsgRecord r;
    EXPECT_EQ(r.Parse(Sentence("DODU,1.0,RMSG,44.37,7499M,7106406234,0,1").c_str()), 0);
    EXPECT_EQ(r.Parse(Sentence("DODU,RMSGA,1.0,44.37,7499M,7106,0").c_str()), 1);   // seven fields
    EXPECT_EQ(r.Parse(Sentence("DODU,RMSGA,1.0,x,7499M,11,y,z").c_str()), 3);
    EXPECT_EQ(r.Code, 0) << "no code from a line with bad fields";
    ASSERT_EQ(r.Parse(Sentence("DODU,RMSGA,0123456789012345678901,1,7499MXYZ,0123456789ABCDEF01234567,1,2").c_str()), 0);
    EXPECT_STREQ(r.Version, "0123456789012345678");
    EXPECT_STREQ(r.StationId, "7499M");
    EXPECT_STREQ(r.Message, "0123456789ABCDEF0123");
}

TEST(EurofixBits, DigitsPairsFieldsAndTypes)
{
    for (auto [c, v] : {std::pair{'0', 0}, {'9', 9}, {'A', 10}, {'f', 15}, {'G', -1}, {'\0', -1}})
        EXPECT_EQ(HexDigitValue(c), v) << c;
    EXPECT_EQ(HexPairToInt("3G"), -1);   // a bad second digit is all ones

    EurofixBitStream bits;
    HexToBits(bits, "11FF0");   // seven bits a pair, least significant first; a lone digit is ignored
    const int expected[14] = {1, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < EurofixStreamBits; ++i) EXPECT_EQ(bits[i], i < 14 ? expected[i] : 0) << "bit " << i;
    EXPECT_EQ(EurofixPayloadBits("01234567 9"), -1);

    EurofixBitStream b{};   // bits past the stream are dropped when written and read as 0
    EXPECT_EQ(IntToBits(-1, 8, b, 66), 74);
    int out = 0;
    BitsToInt(out, 8, b, 66, false);
    EXPECT_EQ(out, 15);

    for (auto [hex, type] : {std::pair{"01", 1}, {"7F", 15}, {"00", 16}, {"0a", EurofixNoType}, {"1", EurofixNoType}})
        EXPECT_EQ(GetMessageType(hex), type) << hex;
    EXPECT_EQ(GetMessageType(nullptr), EurofixNoType);
}

TEST(EurofixDecode, DgpsScalesAndClasses)
{
    struct Case {
        int zcount, scale, udre, prn, prc, rrc, iode;
        double time, udreMetres, prcMetres, rrcMetres;
    } cases[] = {
        {5999, 0, 1, 17, -1, -1, 200, 3599.4, 2.5, -0.02, -0.002},
        {1, 1, 2, 31, -1, 127, 1, 0.6, 6.0, -0.32, 4.064},
        {8191, 0, 3, 1, 16383, -128, 255, 4914.6, 50.0, 327.66, -0.256},
        {100, 1, 0, 5, -16384, 1, 7, 60.0, 0.5, -5242.88, 0.032},
    };
    for (const Case &c : cases) {
        const std::string hex = Hex({{0, 4, 1}, {4, 13, c.zcount}, {17, 1, c.scale}, {18, 2, c.udre},
                                     {20, 5, c.prn}, {25, 15, c.prc}, {40, 8, c.rrc}, {48, 8, c.iode}});
        DgpsMessage d;
        ASSERT_EQ(DecodeDgps(d, hex.c_str()), EurofixDecoded);
        EXPECT_EQ(d.Correction.Valid, 1);
        EXPECT_NEAR(d.Correction.Time, c.time, 1e-9) << c.prn;
        EXPECT_DOUBLE_EQ(d.Correction.Udre, c.udreMetres) << c.prn;
        EXPECT_EQ(d.Correction.Prn, c.prn);
        EXPECT_NEAR(d.Correction.Prc, c.prcMetres, 1e-9) << c.prn;
        EXPECT_NEAR(d.Correction.Rrc, c.rrcMetres, 1e-9) << c.prn;
        EXPECT_EQ(d.Correction.Iode, c.iode);
    }
}

TEST(EurofixDecode, HealthSmsETranAndUtcSubtypes)
{
    StationHealthMessage h;
    ASSERT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}, {4, 10, 1023}, {14, 3, 7}}).c_str()), EurofixDecoded);
    EXPECT_EQ(h.StationId, 1023);
    EXPECT_EQ(h.Health, 7);
    SmsMessage s;
    ASSERT_EQ(DecodeSms(s, SmsHex(6, true, "KaVU!z").c_str()), EurofixDecoded);
    EXPECT_EQ(s.Chunk, 6);
    EXPECT_STREQ(s.Text, "KaVU!z");

    const long long units = 123456789;   // 1234.56789 s in 10-microsecond units
    UtcMessage u;
    u.Hours = 11;
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 0}, {6, 29, units}}).c_str()), EurofixDecoded);
    EXPECT_NEAR(u.Seconds, 1234.56789, 1e-9);
    EXPECT_EQ(u.Hours, 11);   // only the subtype's own fields are read
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 1}, {6, 29, units}, {35, 14, 4321}, {49, 6, 63}}).c_str()), EurofixDecoded);
    EXPECT_EQ(u.Hours, 4321);
    EXPECT_EQ(u.Year, 63);
    for (auto [leap, change] : {std::pair{14, 0}, {-18, -1}, {255, 1}, {-256, -2}}) {
        ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 2}, {6, 29, units}, {35, 10, 1023}, {45, 9, leap}, {54, 2, change}}).c_str()),
                  EurofixDecoded);
        EXPECT_NEAR(u.Fraction, 0.00001023, 1e-15);
        EXPECT_EQ(u.Leap, leap);
        EXPECT_EQ(u.Change, change);
    }
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 3}, {6, 29, 0x1FFFFFFF}}).c_str()), EurofixDecoded);
    EXPECT_NEAR(u.Seconds, 5368.70911, 1e-9);
}

TEST(EurofixDecode, WrongTypeGarbledOrShortLeavesTheRecordAsItWas)
{
    const std::string dgps = Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 9}, {25, 15, 50}});
    DgpsMessage d;
    d.Correction.Prn = 77;
    StationHealthMessage h;
    h.StationId = 77;
    UtcMessage u;
    u.Seconds = 77;
    EXPECT_EQ(DecodeStationHealth(h, dgps.c_str()), EurofixWrongType);
    std::string garbled = dgps;
    garbled[19] = ' ';   // even among the check bits
    EXPECT_EQ(DecodeDgps(d, garbled.c_str()), EurofixGarbled);
    // DGPS needs 8 symbols, UTC 5 (8 for subtypes 1 and 2), health 3.
    EXPECT_EQ(DecodeDgps(d, dgps.substr(0, 15).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 0}}).substr(0, 8).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 2}}).substr(0, 15).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}}).substr(0, 5).c_str()), EurofixTooShort);
    EXPECT_EQ(d.Correction.Prn + h.StationId + u.Seconds, 3 * 77);
    ASSERT_EQ(DecodeDgps(d, dgps.substr(0, 16).c_str()), EurofixDecoded);   // 16 digits hold 8 symbols
    EXPECT_EQ(d.Correction.Prn, 9);
}
namespace {
DgpsCorrection Correction(int prn, double time, double prc = 1.0)
{
    DgpsCorrection c;
    c.Valid = 1;
    c.Prn = prn;
    c.Time = time;
    c.Prc = prc;
    return c;
}
} // namespace

TEST(DgpsCorrectionTable, PrnBoundsAndAgeingAcrossTheHour)
{
    DgpsCorrectionTable t;
    for (int prn : {0, 33, -1}) t.Store(Correction(prn, 5));
    EXPECT_EQ(t.LatestTime, 0.0);
    EXPECT_EQ(t.IsValid(33), 0);
    EXPECT_EQ(t.GetEntry(33), nullptr);
    // 3599.4 s and 10.2 s are 10.8 s apart.
    t.Clear();
    t.Store(Correction(7, 3599.4));
    t.Store(Correction(8, 10.2));
    t.SetMaxAge(10.9);
    t.AgeOut();
    EXPECT_EQ(t.IsValid(7), 1);
    t.SetMaxAge(10.7);
    t.AgeOut();
    EXPECT_EQ(t.IsValid(7), 0);
    // A correction whose Z-count is ahead of the latest one is not aged.
    t.Clear();
    t.SetMaxAge(40.0);
    t.Store(Correction(9, 30.0));
    t.Store(Correction(10, 3500.0));
    t.AgeOut();
    EXPECT_EQ(t.IsValid(9) + t.IsValid(10), 2);
    EXPECT_DOUBLE_EQ(WrapWithinHour(3590.0), -10.0);
    EXPECT_DOUBLE_EQ(WrapWithinHour(-3590.0), 10.0);
    EXPECT_DOUBLE_EQ(WrapWithinHour(1800.0), -1800.0);
}

TEST(EurofixTexts, BoundsAcrossTheHourAndTheSmsCap)
{
    DgpsCorrectionTable t;
    for (int prn = 1; prn <= 20; ++prn) t.Store(Correction(prn, prn));
    EXPECT_EQ(DgpsGridRowsOf(t).size(), 14u);
    EXPECT_EQ(HealthText(8) + HealthText(-1) + ETranText(8), "");
    UtcMessage u;
    u.Seconds = 1234.56789;
    // Across the hour the clocks are close, not nearly an hour apart.
    for (auto [sent, local, diff] : {std::tuple{5.5, 130.5, "02:05.000000000"}, {0.25, 3599.75, "00:-0.500000000"},
                                     {3599.75, 0.25, "00:00.500000000"}}) {
        u.Seconds = sent;
        EXPECT_EQ(FormatUtc(u, local).DiffLine, std::string("   Diff with local clock: ") + diff + " s");
    }

    SmsAssembler a;
    SmsMessage s;
    std::string text = "untouched";
    std::strcpy(s.Text, "HELLO ");
    EXPECT_FALSE(a.Add(s, text));
    EXPECT_EQ(text, "untouched");
    s.Last = 1;
    std::strcpy(s.Text, "!");
    ASSERT_TRUE(a.Add(s, text));
    EXPECT_EQ(text, "HELLO !");
    // A text whose last chunk never comes keeps only its newest characters.
    s.Last = 0;
    std::strcpy(s.Text, "abcdef");
    for (int i = 0; i < 1000; ++i) a.Add(s, text);
    EXPECT_EQ(a.Pending().size(), SmsAssembler::MaxText);
    s.Last = 1;
    std::strcpy(s.Text, "XYZ");
    ASSERT_TRUE(a.Add(s, text));
    EXPECT_EQ(text.size(), SmsAssembler::MaxText);
    EXPECT_EQ(text.substr(text.size() - 9), "abcdefXYZ");
}

TEST(EurofixLayout, AScreenTooLowForOnePanelDividesByNothing)
{
    EXPECT_EQ(PlanEurofixLayout(3, 0, 0, 1920, 400).PerRow, 3);
    EXPECT_EQ(EurofixPanelsDown(400), 0);
    EXPECT_EQ(KeepOnScreen(50, 60, 10, 10, 0, 0).X, 50);
}
