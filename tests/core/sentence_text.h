// Test helper: builds checksummed sentences.
#pragma once

#include <cstdio>
#include <string>

inline std::string Sentence(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + body + sum;
}
