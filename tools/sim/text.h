// Text helpers: printf into strings, sentence framing with the XOR checksum,
// GPS-board log framing with its CRC-32, and Base64 sample packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

std::string Format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Appends "," and the text to a field list under construction.
class Fields {
public:
    explicit Fields(std::string first) : text_(std::move(first)) {}
    Fields &Add(const std::string &field);
    Fields &Add(const char *field) { return Add(std::string(field)); }
    Fields &Add(int value);
    Fields &Add(char letter) { return Add(std::string(1, letter)); }
    Fields &AddF(const char *fmt, double value);   // one number with a printf pattern
    const std::string &Text() const { return text_; }

private:
    std::string text_;
};

// XOR of every character of the body (the text between "$" and "*").
unsigned XorChecksum(const std::string &body);
// "$" + body + "*" + two upper-case hexadecimal digits.
std::string Sentence(const std::string &body);

// The GPS board's 32-bit CRC (reflected polynomial 0xEDB88320, no final inversion).
uint32_t BoardCrc32(const std::string &text);
// "#" + header + ";" + body + "*" + eight lower-case hexadecimal digits of the CRC
// over everything between "#" and "*".
std::string BoardLog(const std::string &header, const std::string &body);

// Packs two's-complement samples of the given width (1..16 bits) into one bit
// stream, most significant bit first, and writes it as Base64 (RFC 4648, "="
// padding to a multiple of four characters).
std::string PackSamplesBase64(const std::vector<int> &samples, int bitsPerSample);

} // namespace sim
