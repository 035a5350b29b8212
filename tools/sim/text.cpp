#include "sim/text.h"

#include <cstdarg>
#include <cstdio>

namespace sim {

std::string Format(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    const int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(s.data(), s.size() + 1, fmt, ap2);
    va_end(ap2);
    return s;
}

Fields &Fields::Add(const std::string &field)
{
    text_ += ',';
    text_ += field;
    return *this;
}

Fields &Fields::Add(int value) { return Add(std::to_string(value)); }

Fields &Fields::AddF(const char *fmt, double value)
{
    std::string s = Format(fmt, value);
    // A value that rounds to zero is written without a sign.
    if (!s.empty() && s[0] == '-' && s.substr(0, s.find_first_of("eE")).find_first_of("123456789") == std::string::npos)
        s.erase(0, 1);
    return Add(s);
}

unsigned XorChecksum(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    return x;
}

std::string Sentence(const std::string &body)
{
    return "$" + body + Format("*%02X", XorChecksum(body));
}

uint32_t BoardCrc32(const std::string &text)
{
    uint32_t crc = 0;
    for (unsigned char c : text) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

std::string BoardLog(const std::string &header, const std::string &body)
{
    const std::string inner = header + ";" + body;
    return "#" + inner + Format("*%08x", BoardCrc32(inner));
}

std::string PackSamplesBase64(const std::vector<int> &samples, int bitsPerSample)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t acc = 0;
    int bits = 0;
    const uint32_t mask = (1u << bitsPerSample) - 1u;
    for (int s : samples) {
        acc = (acc << bitsPerSample) | (static_cast<uint32_t>(s) & mask);
        bits += bitsPerSample;
        while (bits >= 6) {
            bits -= 6;
            out += alphabet[(acc >> bits) & 0x3F];
        }
        acc &= (1u << bits) - 1u;
    }
    if (bits > 0) out += alphabet[(acc << (6 - bits)) & 0x3F];
    while (out.size() % 4 != 0) out += '=';
    return out;
}

} // namespace sim
