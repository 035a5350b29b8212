// Eurofix messages as the receiver reports them in RMSG sentences: 56 data bits
// and 14 check bits, sent as ten 7-bit symbols, each symbol written as two
// hexadecimal digits (twenty digits in all). Bit 7k of the stream is the least
// significant bit of symbol k; a field of n bits at bit p has its least
// significant bit at p; signed fields are two's complement.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

class EurofixBits {
public:
    // Writes the low width bits of value at bit position pos (0..55).
    void Put(int pos, int width, int64_t value);
    // Adds the check bits (56..69) and writes the twenty hexadecimal digits.
    std::string Hex() const;

private:
    uint8_t bits_[70] = {};
};

enum EurofixType { kDgps = 1, kType2 = 2, kHealth = 4, kSms = 5, kUtc = 6, kETran = 8 };

struct DgpsCorrection {
    double zcountSeconds = 0;   // GPS seconds within the hour, stored in 0.6 s steps
    int udreClass = 0;          // 0..3
    int prn = 1;                // 1..32
    double prcMetres = 0;
    double rrcMetresPerSecond = 0;
    int iode = 0;               // 0..255
};

std::string EncodeDgps(const DgpsCorrection &c);
std::string EncodeType2(uint32_t payload);
std::string EncodeHealth(int stationId, int health);
// chunk 0..7; text: up to six characters, padded with blanks.
std::string EncodeSms(int chunk, bool last, const std::string &text);
// UTC time: seconds within the UTC hour (10 ns resolution overall).
// Subtype 1 also carries the hour of the year and the year; subtype 2 the
// leap seconds and an announced change (-1, 0, 1); subtypes 0 and 3 only the seconds.
std::string EncodeUtc(int subtype, double secondsInHour, int hourOfYear, int year, int leap, int change);
std::string EncodeETran(int etranType);

} // namespace sim
