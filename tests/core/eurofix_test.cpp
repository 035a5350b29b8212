// Eurofix messages: the RMSG record, the bit stream, every decoder, and what
// the Eurofix window keeps and shows of them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "plots/eurofix.h"
#include "plots/rmsg.h"
#include "eurofix_hex.h"
#include "sentence_text.h"

using namespace eurofixtest;

namespace {

std::string Rmsg(const std::string &body) { return Sentence("DODU," + body); }

} // namespace

// ---------------------------------------------------------------------------
// The RMSG sentence
// ---------------------------------------------------------------------------

TEST(RmsgRecord, ReadsEveryAddressForm)
{
    struct Case {
        const char *body;
        const char *version;
    } cases[] = {
        {"RMSGA,1.0,44.37,7499M,71064062340041086F48,0,1", "1.0"},
        {"RMSG,2.5,44.37,7499M,71064062340041086F48,0,1", "2.5"},
        {"v3,RMSG,44.37,7499M,71064062340041086F48,0,1", "v3"},
        {"rmsga,1.0,44.37,7499M,71064062340041086F48,0,1", "1.0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body);
        const std::string line = Rmsg(c.body);
        NovatelLogClass log(line.c_str());
        EXPECT_TRUE(IsRmsg(log));
        RmsgRecord r;
        ASSERT_EQ(r.Parse(line.c_str()), 0);
        EXPECT_STREQ(r.Version, c.version);
        EXPECT_DOUBLE_EQ(r.Time, 44.37);
        EXPECT_STREQ(r.StationId, "7499M");
        EXPECT_EQ(r.Code, 749901);
        EXPECT_STREQ(r.Message, "71064062340041086F48");
        EXPECT_EQ(r.Extra1, 0);
        EXPECT_EQ(r.Extra2, 1);
    }
}

TEST(RmsgRecord, RefusesLinesThatAreNoRmsgSentence)
{
    const std::string good = Rmsg("RMSGA,1.0,44.37,7499M,71064062340041086F48,0,1");
    std::string badSum = good;
    badSum[badSum.size() - 1] = badSum[badSum.size() - 1] == '0' ? '1' : '0';
    const std::string lines[] = {
        badSum,
        Rmsg("RMSGA,1.0,44.37,7499M,71064062340041086F48,0"),   // 7 fields
        Rmsg("RMSGB,1.0,44.37,7499M,71064062340041086F48,0,1"),
        Sentence("DODX,RMSGA,1.0,44.37,7499M,71064062340041086F48,0,1"),
        "",
        "DODU,RMSGA,1.0,44.37,7499M,71064062340041086F48,0,1",
    };
    for (const std::string &line : lines) {
        SCOPED_TRACE(line);
        RmsgRecord r;
        EXPECT_EQ(r.Parse(line.c_str()), 1);
    }
    // The router's test needs three fields only; the record wants all eight.
    NovatelLogClass shortLine(Rmsg("RMSGA,1.0").c_str());
    EXPECT_TRUE(IsRmsg(shortLine));
    NovatelLogClass older(Rmsg("1.0,RMSG").c_str());
    EXPECT_TRUE(IsRmsg(older));
    NovatelLogClass other(Rmsg("SYNCA,1.0").c_str());
    EXPECT_FALSE(IsRmsg(other));
}

TEST(RmsgRecord, CountsBadFieldsSkipsEmptyOnesAndCutsLongTexts)
{
    RmsgRecord r;
    EXPECT_EQ(r.Parse(Rmsg("RMSGA,1.0,x,7499M,11,y,z").c_str()), 3);
    EXPECT_EQ(r.Code, 0) << "no code from a line with bad fields";

    ASSERT_EQ(r.Parse(Rmsg("RMSGA,,,,,,").c_str()), 0);
    EXPECT_STREQ(r.Version, "");
    EXPECT_STREQ(r.StationId, "");
    EXPECT_STREQ(r.Message, "");
    EXPECT_EQ(r.Code, 0);

    ASSERT_EQ(r.Parse(Rmsg("RMSGA,0123456789012345678901,1,7499MXYZ,0123456789ABCDEF01234567,1,2").c_str()), 0);
    EXPECT_STREQ(r.Version, "0123456789012345678");
    EXPECT_STREQ(r.StationId, "7499M");
    EXPECT_EQ(r.Code, 749901);
    EXPECT_STREQ(r.Message, "0123456789ABCDEF0123");

    // A station text that names no station is no error; its code stays 0.
    ASSERT_EQ(r.Parse(Rmsg("RMSGA,1.0,1,ABC,11,1,2").c_str()), 0);
    EXPECT_STREQ(r.StationId, "ABC");
    EXPECT_EQ(r.Code, 0);
}

// ---------------------------------------------------------------------------
// The bit stream
// ---------------------------------------------------------------------------

TEST(EurofixBits, HexDigitsAndPairs)
{
    const std::pair<char, int> digits[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10},
                                           {'f', 15}, {'G', -1}, {' ', -1}, {'\0', -1}, {'-', -1}};
    for (auto [c, v] : digits) EXPECT_EQ(HexDigitValue(c), v) << c;
    EXPECT_EQ(HexPairToInt("7F"), 0x7F);
    EXPECT_EQ(HexPairToInt("ff"), 0xFF);
    EXPECT_EQ(HexPairToInt(""), -1);
    EXPECT_EQ(HexPairToInt("C"), 12);
    EXPECT_EQ(HexPairToInt("3G"), -1);        // a bad second digit is all ones
    EXPECT_EQ(HexPairToInt("G3") & 0x7F, 0x73);
}

TEST(EurofixBits, PairsGiveSevenBitsLeastSignificantFirst)
{
    EurofixBitStream bits;
    HexToBits(bits, "11FF0");   // the trailing single digit is ignored
    const int expected[14] = {1, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(bits[i], expected[i]) << "bit " << i;
    for (int i = 14; i < EurofixStreamBits; ++i) EXPECT_EQ(bits[i], 0) << "bit " << i;

    EXPECT_EQ(EurofixPayloadBits("11FF0"), 14);
    EXPECT_EQ(EurofixPayloadBits(""), 0);
    EXPECT_EQ(EurofixPayloadBits("0123456789ABCDEF0123"), 70);
    EXPECT_EQ(EurofixPayloadBits("0123456789ABCDEF012"), 63);
    EXPECT_EQ(EurofixPayloadBits("01234567 9"), -1);
}

TEST(EurofixBits, FieldsRoundTripSignedAndUnsigned)
{
    struct Case {
        int value, width;
        bool isSigned;
        int read;
    } cases[] = {
        {1, 1, false, 1},           {5, 3, false, 5},          {-1, 15, true, -1},
        {-1, 15, false, 32767},     {16383, 15, true, 16383},  {-16384, 15, true, -16384},
        {2, 2, true, -2},           {-2, 2, true, -2},         {255, 8, false, 255},
        {-128, 8, true, -128},      {0x1FFFFFFF, 29, false, 0x1FFFFFFF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in " << c.width);
        EurofixBitStream bits{};
        EXPECT_EQ(IntToBits(c.value, c.width, bits, 10), 10 + c.width);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(bits[i], 0);
        int out = 12345;
        EXPECT_EQ(BitsToInt(out, c.width, bits, 10, c.isSigned), 10 + c.width);
        EXPECT_EQ(out, c.read);
    }
    // Bits past the stream are dropped when written and read as 0.
    EurofixBitStream bits{};
    EXPECT_EQ(IntToBits(-1, 8, bits, 66), 74);
    int out = 0;
    BitsToInt(out, 8, bits, 66, false);
    EXPECT_EQ(out, 15);
}

TEST(EurofixBits, MessageTypeFromTheSecondCharacter)
{
    const std::pair<const char *, int> cases[] = {
        {"01", 1},  {"09", 9},  {"7A", 10}, {"7F", 15}, {"00", 16}, {"0a", EurofixNoType},
        {"0G", EurofixNoType}, {"1", EurofixNoType}, {"", EurofixNoType},
    };
    for (auto [hex, type] : cases) EXPECT_EQ(GetMessageType(hex), type) << '"' << hex << '"';
    EXPECT_EQ(GetMessageType(nullptr), EurofixNoType);
}

// ---------------------------------------------------------------------------
// Decoders
// ---------------------------------------------------------------------------

TEST(EurofixDecode, DgpsFieldsScalesAndClasses)
{
    DgpsMessage m;
    ASSERT_EQ(DecodeDgps(m, "11000000000000000000"), EurofixDecoded);
    EXPECT_EQ(m.Correction.Valid, 1);
    EXPECT_DOUBLE_EQ(m.Correction.Time, 0.6);
    EXPECT_DOUBLE_EQ(m.Correction.Udre, 0.5);
    EXPECT_EQ(m.Correction.Prn, 0);
    EXPECT_EQ(m.Correction.Prc, 0.0);
    EXPECT_EQ(m.Correction.Rrc, 0.0);
    EXPECT_EQ(m.Correction.Iode, 0);

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
        SCOPED_TRACE(testing::Message() << "PRN " << c.prn);
        const std::string hex = Hex({{0, 4, 1}, {4, 13, c.zcount}, {17, 1, c.scale}, {18, 2, c.udre},
                                     {20, 5, c.prn}, {25, 15, c.prc}, {40, 8, c.rrc}, {48, 8, c.iode}});
        DgpsMessage d;
        ASSERT_EQ(DecodeDgps(d, hex.c_str()), EurofixDecoded);
        EXPECT_NEAR(d.Correction.Time, c.time, 1e-9);
        EXPECT_DOUBLE_EQ(d.Correction.Udre, c.udreMetres);
        EXPECT_EQ(d.Correction.Prn, c.prn);
        EXPECT_NEAR(d.Correction.Prc, c.prcMetres, 1e-9);
        EXPECT_NEAR(d.Correction.Rrc, c.rrcMetres, 1e-9);
        EXPECT_EQ(d.Correction.Iode, c.iode);
    }
}

TEST(EurofixDecode, StationHealthSmsAndETran)
{
    StationHealthMessage h;
    ASSERT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}, {4, 10, 1023}, {14, 3, 7}}).c_str()), EurofixDecoded);
    EXPECT_EQ(h.StationId, 1023);
    EXPECT_EQ(h.Health, 7);
    ASSERT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}, {4, 10, 37}, {14, 3, 2}}).c_str()), EurofixDecoded);
    EXPECT_EQ(h.StationId, 37);
    EXPECT_EQ(h.Health, 2);

    SmsMessage s;
    ASSERT_EQ(DecodeSms(s, SmsHex(6, true, "KaVU!z").c_str()), EurofixDecoded);
    EXPECT_EQ(s.Chunk, 6);
    EXPECT_EQ(s.Last, 1);
    EXPECT_STREQ(s.Text, "KaVU!z");
    ASSERT_EQ(DecodeSms(s, SmsHex(0, false, "HELLO ").c_str()), EurofixDecoded);
    EXPECT_EQ(s.Chunk, 0);
    EXPECT_EQ(s.Last, 0);
    EXPECT_STREQ(s.Text, "HELLO ");

    for (int type = 0; type < 8; ++type) {
        ETranMessage e;
        ASSERT_EQ(DecodeETran(e, Hex({{0, 4, 8}, {4, 3, type}}).c_str()), EurofixDecoded);
        EXPECT_EQ(e.ETranType, type);
    }
}

TEST(EurofixDecode, UtcReadsOnlyItsSubtypesFields)
{
    // 1234.56789 s in 10-microsecond units.
    const long long units = 123456789;
    UtcMessage u;
    u.Hours = 11;
    u.Year = 22;
    u.Fraction = 0.5;
    u.Leap = 33;
    u.Change = 1;
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 0}, {6, 29, units}}).c_str()), EurofixDecoded);
    EXPECT_EQ(u.Subtype, 0);
    EXPECT_NEAR(u.Seconds, 1234.56789, 1e-9);
    EXPECT_EQ(u.Hours, 11);
    EXPECT_EQ(u.Leap, 33);

    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 1}, {6, 29, units}, {35, 14, 4321}, {49, 6, 63}}).c_str()),
              EurofixDecoded);
    EXPECT_EQ(u.Subtype, 1);
    EXPECT_EQ(u.Hours, 4321);
    EXPECT_EQ(u.Year, 63);
    EXPECT_EQ(u.Fraction, 0.5);
    EXPECT_EQ(u.Change, 1);

    struct Case {
        int leap, change;
    } cases[] = {{14, 0}, {-18, -1}, {255, 1}, {-256, -2}};
    for (const Case &c : cases) {
        ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 2}, {6, 29, units}, {35, 10, 1023}, {45, 9, c.leap},
                                    {54, 2, c.change}})
                                   .c_str()),
                  EurofixDecoded);
        EXPECT_EQ(u.Subtype, 2);
        EXPECT_NEAR(u.Fraction, 0.00001023, 1e-15);
        EXPECT_EQ(u.Leap, c.leap);
        EXPECT_EQ(u.Change, c.change);
        EXPECT_EQ(u.Hours, 4321);
    }
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 3}, {6, 29, 0x1FFFFFFF}}).c_str()), EurofixDecoded);
    EXPECT_EQ(u.Subtype, 3);
    EXPECT_NEAR(u.Seconds, 5368.70911, 1e-9);
}

TEST(EurofixDecode, WrongTypeGarbledOrShortLeavesTheRecordAsItWas)
{
    const std::string dgps = Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 9}, {25, 15, 50}});
    DgpsMessage d;
    d.Correction.Prn = 77;
    StationHealthMessage h;
    h.StationId = 77;
    SmsMessage s;
    std::strcpy(s.Text, "keep");
    UtcMessage u;
    u.Seconds = 77;
    ETranMessage e;
    e.ETranType = 77;
    EXPECT_EQ(DecodeStationHealth(h, dgps.c_str()), EurofixWrongType);
    EXPECT_EQ(DecodeSms(s, dgps.c_str()), EurofixWrongType);
    EXPECT_EQ(DecodeUtc(u, dgps.c_str()), EurofixWrongType);
    EXPECT_EQ(DecodeETran(e, dgps.c_str()), EurofixWrongType);

    std::string garbled = dgps;
    garbled[7] = 'x';
    EXPECT_EQ(DecodeDgps(d, garbled.c_str()), EurofixGarbled);
    garbled = dgps;
    garbled[19] = ' ';   // even among the check bits
    EXPECT_EQ(DecodeDgps(d, garbled.c_str()), EurofixGarbled);

    // DGPS and SMS need 8 symbols, UTC 5 (8 for subtypes 1 and 2), health 3, E-Tran 1.
    EXPECT_EQ(DecodeDgps(d, dgps.substr(0, 15).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeSms(s, SmsHex(1, true, "ABCDEF").substr(0, 14).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 0}}).substr(0, 8).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 1}}).substr(0, 14).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 2}}).substr(0, 15).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}}).substr(0, 5).c_str()), EurofixTooShort);
    EXPECT_EQ(DecodeETran(e, ""), EurofixWrongType);
    EXPECT_EQ(DecodeETran(e, "8"), EurofixWrongType);

    EXPECT_EQ(d.Correction.Prn, 77);
    EXPECT_EQ(d.Correction.Valid, 0);
    EXPECT_EQ(h.StationId, 77);
    EXPECT_STREQ(s.Text, "keep");
    EXPECT_EQ(u.Seconds, 77);
    EXPECT_EQ(e.ETranType, 77);

    // What a shorter message carries is enough: 19 digits hold 9 symbols.
    ASSERT_EQ(DecodeDgps(d, dgps.substr(0, 19).c_str()), EurofixDecoded);
    EXPECT_EQ(d.Correction.Prn, 9);
    ASSERT_EQ(DecodeDgps(d, dgps.substr(0, 16).c_str()), EurofixDecoded);
    EXPECT_NEAR(d.Correction.Prc, 1.0, 1e-9);
    ASSERT_EQ(DecodeUtc(u, Hex({{0, 4, 6}, {4, 2, 3}, {6, 29, 100}}).substr(0, 10).c_str()), EurofixDecoded);
    ASSERT_EQ(DecodeStationHealth(h, Hex({{0, 4, 4}, {4, 10, 5}}).substr(0, 6).c_str()), EurofixDecoded);
    ASSERT_EQ(DecodeETran(e, "38"), EurofixDecoded);
    EXPECT_EQ(e.ETranType, 3);
}

TEST(EurofixDecode, LowerCaseDigitsDecodeButGiveNoType)
{
    // The type comes from the second character in upper case only; the decoders
    // read lower-case digits like any others.
    const std::string hex = Hex({{0, 4, 8}, {4, 3, 5}, {7, 7, 0x2B}, {14, 7, 0x7F}});
    std::string lower = hex;
    for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(GetMessageType(hex.c_str()), 8);
    ETranMessage e;
    ASSERT_EQ(DecodeETran(e, lower.c_str()), EurofixDecoded);
    EXPECT_EQ(e.ETranType, 5);
    EXPECT_EQ(GetMessageType("0a000000000000000000"), EurofixNoType);
}

// ---------------------------------------------------------------------------
// DGPS correction table
// ---------------------------------------------------------------------------

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

TEST(DgpsCorrectionTable, StoresPrnOneToThirtyTwoOnly)
{
    DgpsCorrectionTable t;
    EXPECT_EQ(t.MaxAge, 10.0);
    t.Store(Correction(0, 5));
    t.Store(Correction(33, 6));
    t.Store(Correction(-1, 7));
    EXPECT_EQ(t.LatestTime, 0.0);
    t.Store(Correction(32, 8));
    t.Store(Correction(1, 9, 2.5));
    EXPECT_EQ(t.LatestTime, 9.0);
    EXPECT_EQ(t.IsValid(1), 1);
    EXPECT_EQ(t.IsValid(32), 1);
    EXPECT_EQ(t.IsValid(2), 0);
    EXPECT_EQ(t.IsValid(0), 0);
    EXPECT_EQ(t.IsValid(33), 0);
    EXPECT_EQ(t.GetEntry(0), nullptr);
    EXPECT_EQ(t.GetEntry(33), nullptr);
    ASSERT_NE(t.GetEntry(1), nullptr);
    EXPECT_EQ(t.GetEntry(1)->Prc, 2.5);
    t.Clear();
    EXPECT_EQ(t.IsValid(1), 0);
    EXPECT_EQ(t.LatestTime, 0.0);
}

TEST(DgpsCorrectionTable, AgesAgainstTheNewestCorrectionAcrossTheHour)
{
    DgpsCorrectionTable t;
    t.SetMaxAge(40.0);
    t.Store(Correction(5, 100.0));
    t.Store(Correction(6, 139.4));
    t.AgeOut();
    EXPECT_EQ(t.IsValid(5), 1) << "39.4 s old";
    t.Store(Correction(6, 140.0));
    t.AgeOut();
    EXPECT_EQ(t.IsValid(5), 0) << "40.0 s old";
    EXPECT_EQ(t.IsValid(6), 1);

    // 3599.4 s and 10.2 s are 10.8 s apart.
    t.Clear();
    t.Store(Correction(7, 3599.4));
    t.Store(Correction(8, 10.2));
    t.AgeOut();
    EXPECT_EQ(t.IsValid(7), 1);
    t.SetMaxAge(10.9);
    t.AgeOut();
    EXPECT_EQ(t.IsValid(7), 1);
    t.SetMaxAge(10.7);
    t.AgeOut();
    EXPECT_EQ(t.IsValid(7), 0);

    // A correction newer than the latest one (its Z-count ahead) is not aged.
    t.Clear();
    t.SetMaxAge(40.0);
    t.Store(Correction(9, 30.0));
    t.Store(Correction(10, 3500.0));   // 130 s before, across the hour
    t.AgeOut();
    EXPECT_EQ(t.IsValid(9), 1);
    EXPECT_EQ(t.IsValid(10), 1);
    EXPECT_DOUBLE_EQ(WrapWithinHour(3590.0), -10.0);
    EXPECT_DOUBLE_EQ(WrapWithinHour(-3590.0), 10.0);
    EXPECT_DOUBLE_EQ(WrapWithinHour(1800.0), -1800.0);
    EXPECT_DOUBLE_EQ(WrapWithinHour(-1800.0), -1800.0);
}

// ---------------------------------------------------------------------------
// What the panels show
// ---------------------------------------------------------------------------

TEST(EurofixTexts, GridRowsListValidPrnsInOrderAtMostFourteen)
{
    DgpsCorrectionTable t;
    DgpsCorrection c = Correction(12, 1234.8, -3.14159);
    c.Rrc = 0.0126;
    c.Iode = 77;
    t.Store(c);
    t.Store(Correction(3, 1.2, 100.0));
    std::vector<DgpsGridRow> rows = DgpsGridRowsOf(t);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "   3");
    EXPECT_EQ(rows[1], (DgpsGridRow{"  12", "   -3.14", "   0.013", "    77", "  1234.8"}));

    for (int prn = 1; prn <= 20; ++prn) t.Store(Correction(prn, prn));
    rows = DgpsGridRowsOf(t);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows.front()[0], "   1");
    EXPECT_EQ(rows.back()[0], "  14");
}

TEST(EurofixTexts, HealthETranAndSmsLines)
{
    const char *health[] = {"UDRE 1m",   "UDRE 0.75m", "UDRE 0.5m",     "UDRE 0.3m",
                            "UDRE 0.2m", "UDRE 0.1m",  "Not Monitored", "Not Working"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(HealthText(i), health[i]);
    EXPECT_EQ(HealthText(8), "");
    EXPECT_EQ(HealthText(-1), "");
    EXPECT_EQ(ETranText(0), "E-Tran 0:   Null-frame - Do not use!");
    EXPECT_EQ(ETranText(2), "E-Tran 2:   Fast & slow correction for 1 Satellite");
    EXPECT_EQ(ETranText(5), "E-Tran 5:   Ionospheric Grid Point data for 3 points");
    EXPECT_EQ(ETranText(7), "E-Tran 7:   Unknown");
    EXPECT_EQ(ETranText(8), "");

    SmsMessage s;
    s.Chunk = 2;
    s.Last = 1;
    std::strcpy(s.Text, "!     ");
    EXPECT_EQ(SmsChunkLine(s), "SMS Chunk of Message 2: !         (End)");
    s.Last = 0;
    std::strcpy(s.Text, "AB");
    EXPECT_EQ(SmsChunkLine(s), "SMS Chunk of Message 2: AB        ");
}

TEST(EurofixTexts, UtcLinesBySubtype)
{
    UtcMessage u;
    u.Seconds = 1234.56789;
    u.Subtype = 1;
    u.Hours = 4321;
    u.Year = 7;
    UtcTexts t = FormatUtc(u, 1235.06789);
    EXPECT_EQ(t.Value, "1234.567890 s");
    EXPECT_EQ(t.TimeLine, "1 Time: 20:34.567890       s    Hours: 4321 h    Year: 2007");
    EXPECT_EQ(t.DiffLine, "   Diff with local clock: 00:00.500000000 s");

    u.Subtype = 2;
    u.Fraction = 0.00000123;
    u.Leap = -14;
    u.Change = 1;
    t = FormatUtc(u, 1234.56789);
    EXPECT_EQ(t.TimeLine, "2 Time: 20:34.567891230 s    Leap :   -14       Change: 1");
    u.Change = -2;
    EXPECT_EQ(FormatUtc(u, 0).TimeLine, "2 Time: 20:34.567891230 s    Leap :   -14       Change Error");

    u.Subtype = 0;
    u.Seconds = 5.5;
    t = FormatUtc(u, 130.5);
    EXPECT_EQ(t.Value, "   5.500000 s");
    EXPECT_EQ(t.TimeLine, t.Value);
    EXPECT_EQ(t.DiffLine, "   Diff with local clock: 02:05.000000000 s");
    u.Subtype = 3;
    EXPECT_EQ(FormatUtc(u, 0).TimeLine, "   5.500000 s");

    // Across the hour the clocks are close, not nearly an hour apart.
    u.Seconds = 0.25;
    EXPECT_EQ(FormatUtc(u, 3599.75).DiffLine, "   Diff with local clock: 00:-0.500000000 s");
    u.Seconds = 3599.75;
    EXPECT_EQ(FormatUtc(u, 0.25).DiffLine, "   Diff with local clock: 00:00.500000000 s");
}

TEST(EurofixTexts, SmsChunksJoinInArrivalOrder)
{
    SmsAssembler a;
    std::string text = "untouched";
    SmsMessage s;
    std::strcpy(s.Text, "HELLO ");
    EXPECT_FALSE(a.Add(s, text));
    s.Chunk = 1;
    std::strcpy(s.Text, "WORLD ");
    EXPECT_FALSE(a.Add(s, text));
    EXPECT_EQ(text, "untouched");
    s.Chunk = 0;   // numbers do not reorder
    s.Last = 1;
    std::strcpy(s.Text, "!     ");
    ASSERT_TRUE(a.Add(s, text));
    EXPECT_EQ(text, "HELLO WORLD !     ");
    EXPECT_EQ(a.Pending(), "");

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

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

TEST(EurofixLayout, PanelsInRowsAndTheClientArea)
{
    EurofixLayout one = PlanEurofixLayout(1, 4, 2, 1920, 1080);
    ASSERT_EQ(one.Places.size(), 1u);
    EXPECT_EQ(one.Places[0].X, 8);
    EXPECT_EQ(one.Places[0].Y, 8);
    EXPECT_EQ(one.ClientWidth, 368);
    EXPECT_EQ(one.ClientHeight, 466);

    EurofixLayout nine = PlanEurofixLayout(9, 4, 2, 4000, 2000);
    EXPECT_EQ(nine.PerRow, 5);
    ASSERT_EQ(nine.Places.size(), 9u);
    EXPECT_EQ(nine.Places[4].X, 8 + 4 * 368);
    EXPECT_EQ(nine.Places[4].Y, 8);
    EXPECT_EQ(nine.Places[5].X, 8);
    EXPECT_EQ(nine.Places[5].Y, 8 + 458);
    EXPECT_EQ(nine.ClientWidth, 5 * 368);
    EXPECT_EQ(nine.ClientHeight, 8 + 2 * 458);

    // The client area stops at the screen; the panels beyond it are scrolled to.
    EurofixLayout small = PlanEurofixLayout(9, 4, 2, 1000, 900);
    EXPECT_EQ(small.ClientWidth, 2 * 368);
    EXPECT_EQ(small.ClientHeight, 8 + 458);

    EurofixLayout none = PlanEurofixLayout(0, 4, 2, 1920, 1080);
    EXPECT_TRUE(none.Places.empty());
    EXPECT_EQ(none.ClientWidth, 200);
    EXPECT_EQ(none.ClientHeight, 540);

    // A screen too low for one panel: one row per panel count, no division by zero.
    EurofixLayout low = PlanEurofixLayout(3, 0, 0, 1920, 400);
    EXPECT_EQ(low.PerRow, 3);
    EXPECT_EQ(low.ClientHeight, 8);

    EXPECT_EQ(EurofixPanelsAcross(1920), 5);
    EXPECT_EQ(EurofixPanelsDown(1080 - 20), 2);
    EXPECT_EQ(EurofixPanelsDown(400), 0);
}

TEST(EurofixLayout, KeepsTheWindowOnScreen)
{
    struct Case {
        int left, top, width, height;
        int x, y;
    } cases[] = {
        {100, 100, 400, 300, 100, 100},      // fits
        {900, 100, 400, 300, 300, 100},      // right edge out: centred in the screen
        {2100, 100, 400, 300, 2100, 100},    // on the second screen-wide slice, fits there
        {2900, 100, 400, 300, 2300, 100},    // passes the second slice: centred in it
        {-500, 100, 400, 300, -500, 100},    // fits the slice left of the screen
        {-100, 100, 400, 300, -700, 100},    // passes that slice: centred in it
        {100, 700, 400, 300, 100, 250},      // bottom out: centred vertically
        {100, 100, 400, 1000, 100, -100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top);
        PanelPlace p = KeepOnScreen(c.left, c.top, c.width, c.height, 1000, 800);
        EXPECT_EQ(p.X, c.x);
        EXPECT_EQ(p.Y, c.y);
    }
    PanelPlace p = KeepOnScreen(50, 60, 10, 10, 0, 0);
    EXPECT_EQ(p.X, 50);
    EXPECT_EQ(p.Y, 60);
}
