// Test helper: Eurofix messages built from their fields, bit by bit.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

namespace eurofixtest {

struct Field {
    int pos;
    int width;
    long long value;
};

// Twenty hexadecimal digits of a 70-bit stream: bit 7k+b is bit b of pair k.
inline std::string Pack(const int (&bits)[70])
{
    std::string hex;
    for (int k = 0; k < 10; ++k) {
        int symbol = 0;
        for (int b = 0; b < 7; ++b) symbol |= bits[7 * k + b] << b;
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", symbol);
        hex += pair;
    }
    return hex;
}

inline void Put(int (&bits)[70], const Field &f)
{
    for (int i = 0; i < f.width; ++i) bits[f.pos + i] = static_cast<int>((f.value >> i) & 1);
}

// A message carrying the given fields.
inline std::string Hex(std::initializer_list<Field> fields)
{
    int bits[70] = {};
    for (const Field &f : fields) Put(bits, f);
    return Pack(bits);
}

inline std::string SmsHex(int chunk, bool last, const char *six)
{
    int bits[70] = {};
    Put(bits, {0, 4, 5});
    Put(bits, {4, 3, chunk});
    Put(bits, {7, 1, last ? 1 : 0});
    for (int c = 0; c < 6; ++c) Put(bits, {8 + 8 * c, 8, static_cast<unsigned char>(six[c])});
    return Pack(bits);
}

} // namespace eurofixtest
