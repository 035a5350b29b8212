// Two readings of the Eurofix layouts against each other: what the simulator
// encodes, the program's decoders read back field for field.
#include <gtest/gtest.h>

#include <string>

#include "plots/rmsg.h"
#include "sim/eurofix.h"

TEST(SimEurofixDecode, DgpsCorrectionsAtBothScales)
{
    struct Case {
        sim::DgpsCorrection c;
        int scale;   // the simulator picks the coarse scale for large corrections
    } cases[] = {
        {{1234.2, 1, 17, -12.34, 0.128, 99}, 0},
        {{0.0, 0, 1, 0.0, 0.0, 0}, 0},
        {{3599.4, 3, 31, 327.66, -0.254, 255}, 0},
        {{60.0, 2, 5, -500.16, 1.6, 7}, 1},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << "PRN " << k.c.prn);
        const std::string hex = sim::EncodeDgps(k.c);
        EXPECT_EQ(GetMessageType(hex.c_str()), EurofixDgps);
        DgpsMessage m;
        ASSERT_EQ(DecodeDgps(m, hex.c_str()), EurofixDecoded);
        const double prcStep = k.scale ? 0.32 : 0.02, rrcStep = k.scale ? 0.032 : 0.002;
        static const double udre[] = {0.5, 2.5, 6.0, 50.0};
        EXPECT_NEAR(m.Correction.Time, k.c.zcountSeconds, 1e-9);
        EXPECT_EQ(m.Correction.Udre, udre[k.c.udreClass]);
        EXPECT_EQ(m.Correction.Prn, k.c.prn);
        EXPECT_NEAR(m.Correction.Prc, k.c.prcMetres, prcStep / 2);
        EXPECT_NEAR(m.Correction.Rrc, k.c.rrcMetresPerSecond, rrcStep / 2);
        EXPECT_EQ(m.Correction.Iode, k.c.iode);
    }
}

TEST(SimEurofixDecode, HealthSmsETranAndType2)
{
    StationHealthMessage h;
    ASSERT_EQ(DecodeStationHealth(h, sim::EncodeHealth(101, 6).c_str()), EurofixDecoded);
    EXPECT_EQ(h.StationId, 101);
    EXPECT_EQ(h.Health, 6);

    SmsMessage s;
    ASSERT_EQ(DecodeSms(s, sim::EncodeSms(3, true, "SYLT:").c_str()), EurofixDecoded);
    EXPECT_EQ(s.Chunk, 3);
    EXPECT_EQ(s.Last, 1);
    EXPECT_STREQ(s.Text, "SYLT: ");

    for (int type = 0; type < 8; ++type) {
        ETranMessage e;
        ASSERT_EQ(DecodeETran(e, sim::EncodeETran(type).c_str()), EurofixDecoded);
        EXPECT_EQ(e.ETranType, type);
    }
    EXPECT_EQ(GetMessageType(sim::EncodeType2(0xDEADBEEF).c_str()), EurofixType2);
}

TEST(SimEurofixDecode, UtcOfEverySubtype)
{
    const double seconds = 2345.678912345;
    for (int subtype = 0; subtype < 4; ++subtype) {
        SCOPED_TRACE(subtype);
        UtcMessage u;
        ASSERT_EQ(DecodeUtc(u, sim::EncodeUtc(subtype, seconds, 4567, 2031, 18, -1).c_str()), EurofixDecoded);
        EXPECT_EQ(u.Subtype, subtype);
        EXPECT_NEAR(u.Seconds, seconds, 1e-5);
        if (subtype == 1) {
            EXPECT_EQ(u.Hours, 4567);
            EXPECT_EQ(u.Year, 31);
        }
        if (subtype == 2) {
            EXPECT_NEAR(u.Seconds + u.Fraction, seconds, 1e-8);
            EXPECT_EQ(u.Leap, 18);
            EXPECT_EQ(u.Change, -1);
        }
    }
}
