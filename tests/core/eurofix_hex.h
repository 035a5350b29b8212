// Test helper: Eurofix messages built from their fields, bit by bit.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace eurofixtest {

struct Field {
    int pos;
    int width;
    long long value;
};

// Twenty hexadecimal digits of a 70-bit stream carrying the fields: bit 7k+b is bit b of pair k.
inline std::string Hex(const std::vector<Field> &fields)
{
    int bits[70] = {};
    for (const Field &f : fields)
        for (int i = 0; i < f.width; ++i) bits[f.pos + i] = static_cast<int>((f.value >> i) & 1);
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

inline std::string SmsHex(int chunk, bool last, const char *six)
{
    std::vector<Field> fields = {{0, 4, 5}, {4, 3, chunk}, {7, 1, last ? 1 : 0}};
    for (int c = 0; c < 6; ++c) fields.push_back({8 + 8 * c, 8, static_cast<unsigned char>(six[c])});
    return Hex(fields);
}

} // namespace eurofixtest
