#include "sentence/splitters.h"

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

bool SentenceChecksumOk(const char *line)
{
    if (!line || line[0] != '$') return false;
    const char *star = std::strchr(line, '*');
    if (!star) return false;
    unsigned x = 0;
    for (const char *p = line + 1; p < star; ++p) x ^= static_cast<unsigned char>(*p);
    // "*%02X": up to two hex digits, either case; no digit means no value read.
    int d1 = HexDigit(star[1]);
    if (d1 < 0) return false;
    unsigned value = static_cast<unsigned>(d1);
    int d2 = HexDigit(star[2]);
    if (d2 >= 0) value = value * 16 + static_cast<unsigned>(d2);
    return x == value;
}

namespace detail {

FieldSplitter::~FieldSplitter() { std::free(block_); }

void FieldSplitter::Split(const char *line, const char *separators)
{
    // line[0] is the start character, already checked by the caller.
    const char *body = line + 1;
    size_t length = std::strlen(body);
    int32_t count = 0;
    for (const char *p = body; *p; ++p)
        if (std::strchr(separators, *p)) ++count;
    if (count == 0) return;

    // Pointer array and all texts in one allocation: the texts together never
    // need more than the body's length plus a NUL per field.
    size_t bytes = sizeof(char *) * static_cast<size_t>(count) + length + static_cast<size_t>(count);
    block_ = std::malloc(bytes);
    if (!block_) {
        Status = 1;
        return;
    }
    Fields = static_cast<char **>(block_);
    char *text = reinterpret_cast<char *>(Fields + count);
    FieldCount = count;
    const char *p = body;
    for (int32_t i = 0; i < count; ++i) {
        size_t n = std::strcspn(p, separators);
        std::memcpy(text, p, n);
        text[n] = '\0';
        Fields[i] = text;
        text += n + 1;
        p += n + 1;   // past the separator
    }
}

} // namespace detail

NovatelLogClass::NovatelLogClass(const char *line)
{
    if (!SentenceChecksumOk(line)) {
        Status = 2;
        return;
    }
    Split(line, ",*");
}

NMEALogClass::NMEALogClass(const char *line)
{
    if (!SentenceChecksumOk(line)) {
        Status = 2;
        return;
    }
    Split(line, ",*");
}

NovatelOEM4LogClass::NovatelOEM4LogClass(const char *line)
{
    if (!line || line[0] != '#') {
        Status = 2;
        return;
    }
    Split(line, ",;*");
}
