#include "sentence/splitters.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

namespace {

// Eight bytes at a time: the line is read in words and the separators found
// with the usual exact zero-byte test (byte order as on every target we build for).
static_assert(std::endian::native == std::endian::little);
constexpr uint64_t Ones = 0x0101010101010101ULL;
constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;

uint64_t Word(const char *p)
{
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in every byte of w that equals c, 0 elsewhere.
uint64_t BytesEqual(uint64_t w, unsigned char c)
{
    const uint64_t t = w ^ (Ones * c);
    return ~(((t & Low7) + Low7) | t | Low7);
}

// The XOR of the bytes in [from, to).
unsigned XorOf(const char *from, const char *to)
{
    uint64_t x = 0;
    for (; to - from >= 8; from += 8) x ^= Word(from);
    x ^= x >> 32;
    x ^= x >> 16;
    x ^= x >> 8;
    unsigned v = static_cast<unsigned>(x & 0xFF);
    for (; from < to; ++from) v ^= static_cast<unsigned char>(*from);
    return v;
}

} // namespace

bool SentenceChecksumOk(const char *line)
{
    if (!line || line[0] != '$') return false;
    const size_t length = std::strlen(line);
    const char *star = static_cast<const char *>(std::memchr(line + 1, '*', length - 1));
    if (!star) return false;
    const unsigned x = XorOf(line + 1, star);
    // "*%02X": up to two hex digits, either case; no digit means no value read.
    int d1 = HexDigit(star[1]);
    if (d1 < 0) return false;
    unsigned value = static_cast<unsigned>(d1);
    int d2 = HexDigit(star[2]);
    if (d2 >= 0) value = value * 16 + static_cast<unsigned>(d2);
    return x == value;
}

namespace detail {

namespace {

// 0x80 in every byte of w that is one of the separators.
inline uint64_t SeparatorMask(uint64_t w, bool log)
{
    uint64_t m = BytesEqual(w, ',') | BytesEqual(w, '*');
    if (log) m |= BytesEqual(w, ';');
    return m;
}

// How many bytes a mask of SeparatorMask marks.
inline int32_t Marked(uint64_t m) { return static_cast<int32_t>(((m >> 7) * Ones) >> 56); }

bool IsSeparator(char c, bool log) { return c == ',' || c == '*' || (log && c == ';'); }

} // namespace

FieldSplitter::~FieldSplitter() { std::free(block_); }

void FieldSplitter::Split(const char *line, Separators separators)
{
    const bool log = separators == Separators::Log;

    // line[0] is the start character, already checked by the caller.
    const char *body = line + 1;
    const size_t length = std::strlen(body);
    int32_t count = 0;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) count += Marked(SeparatorMask(Word(body + i), log));
    for (; i < length; ++i) count += IsSeparator(body[i], log);
    if (count == 0) return;

    // Pointer array and all texts in one allocation: the body is copied once and
    // each separator becomes a field's terminating NUL. The text behind the last
    // separator is no field.
    size_t bytes = sizeof(char *) * static_cast<size_t>(count) + length + 1;
    block_ = std::malloc(bytes);
    if (!block_) {
        Status = 1;
        return;
    }
    Fields = static_cast<char **>(block_);
    char *text = reinterpret_cast<char *>(Fields + count);
    std::memcpy(text, body, length + 1);
    FieldCount = count;
    int32_t field = 0;
    Fields[0] = text;
    auto cut = [&](char *p) {
        *p = '\0';
        if (++field < count) Fields[field] = p + 1;
    };
    for (i = 0; field < count && i + 8 <= length; i += 8)
        for (uint64_t m = SeparatorMask(Word(text + i), log); m && field < count; m &= m - 1)
            cut(text + i + static_cast<size_t>(__builtin_ctzll(m) / 8));
    while (field < count) {   // cut() counts the fields
        if (IsSeparator(text[i], log)) cut(text + i);
        ++i;
    }
}

} // namespace detail

NovatelLogClass::NovatelLogClass(const char *line)
{
    if (!SentenceChecksumOk(line)) {
        Status = 2;
        return;
    }
    Split(line, Separators::Sentence);
}

NMEALogClass::NMEALogClass(const char *line)
{
    if (!SentenceChecksumOk(line)) {
        Status = 2;
        return;
    }
    Split(line, Separators::Sentence);
}

NovatelOEM4LogClass::NovatelOEM4LogClass(const char *line)
{
    if (!line || line[0] != '#') {
        Status = 2;
        return;
    }
    Split(line, Separators::Log);
}
