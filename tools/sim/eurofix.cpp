#include "sim/eurofix.h"

#include <cmath>
#include <cstdio>

namespace sim {

void EurofixBits::Put(int pos, int width, int64_t value)
{
    for (int i = 0; i < width && pos + i < 56; ++i) bits_[pos + i] = static_cast<uint8_t>((value >> i) & 1);
}

std::string EurofixBits::Hex() const
{
    // Check bits: a 14-bit CRC of the data bits (polynomial 0x2D0B, illustrative;
    // nothing that reads these sentences looks at them).
    uint8_t all[70];
    for (int i = 0; i < 56; ++i) all[i] = bits_[i];
    unsigned crc = 0;
    for (int i = 0; i < 56; ++i) {
        const unsigned top = ((crc >> 13) & 1u) ^ bits_[i];
        crc = (crc << 1) & 0x3FFFu;
        if (top) crc ^= 0x2D0Bu;
    }
    for (int i = 0; i < 14; ++i) all[56 + i] = static_cast<uint8_t>((crc >> i) & 1u);

    std::string hex;
    for (int k = 0; k < 10; ++k) {
        unsigned symbol = 0;
        for (int b = 0; b < 7; ++b) symbol |= static_cast<unsigned>(all[7 * k + b]) << b;
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", symbol);
        hex += pair;
    }
    return hex;
}

std::string EncodeDgps(const DgpsCorrection &c)
{
    // Scale factor 1 only when a correction does not fit the fine scale.
    const bool coarse = std::fabs(c.prcMetres) > 16383 * 0.02 || std::fabs(c.rrcMetresPerSecond) > 127 * 0.002;
    const double prcStep = coarse ? 0.32 : 0.02;
    const double rrcStep = coarse ? 0.032 : 0.002;
    EurofixBits b;
    b.Put(0, 4, kDgps);
    b.Put(4, 13, std::lround(c.zcountSeconds / 0.6) % 6000);
    b.Put(17, 1, coarse ? 1 : 0);
    b.Put(18, 2, c.udreClass);
    b.Put(20, 5, c.prn);
    b.Put(25, 15, std::lround(c.prcMetres / prcStep));
    b.Put(40, 8, std::lround(c.rrcMetresPerSecond / rrcStep));
    b.Put(48, 8, c.iode);
    return b.Hex();
}

std::string EncodeType2(uint32_t payload)
{
    EurofixBits b;
    b.Put(0, 4, kType2);
    b.Put(4, 32, payload);
    return b.Hex();
}

std::string EncodeHealth(int stationId, int health)
{
    EurofixBits b;
    b.Put(0, 4, kHealth);
    b.Put(4, 10, stationId);
    b.Put(14, 3, health);
    return b.Hex();
}

std::string EncodeSms(int chunk, bool last, const std::string &text)
{
    EurofixBits b;
    b.Put(0, 4, kSms);
    b.Put(4, 3, chunk);
    b.Put(7, 1, last ? 1 : 0);
    for (int i = 0; i < 6; ++i) {
        const unsigned char c = i < static_cast<int>(text.size()) ? static_cast<unsigned char>(text[i]) : ' ';
        b.Put(8 + 8 * i, 8, c);
    }
    return b.Hex();
}

std::string EncodeUtc(int subtype, double secondsInHour, int hourOfYear, int year, int leap, int change)
{
    const int64_t units = static_cast<int64_t>(std::floor(secondsInHour * 1e5));   // 10 microseconds
    EurofixBits b;
    b.Put(0, 4, kUtc);
    b.Put(4, 2, subtype);
    b.Put(6, 29, units);
    if (subtype == 1) {
        b.Put(35, 14, hourOfYear);
        b.Put(49, 6, year - 2000);
    } else if (subtype == 2) {
        const int64_t fraction = std::llround((secondsInHour * 1e5 - static_cast<double>(units)) * 1000.0);   // 10 ns
        b.Put(35, 10, fraction > 1023 ? 1023 : fraction);
        b.Put(45, 9, leap);
        b.Put(54, 2, change);
    }
    return b.Hex();
}

std::string EncodeETran(int etranType)
{
    EurofixBits b;
    b.Put(0, 4, kETran);
    b.Put(4, 3, etranType);
    return b.Hex();
}

} // namespace sim
