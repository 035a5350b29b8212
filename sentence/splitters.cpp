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
    unsigned x = 0;
    const char *star = line + 1;
    for (; *star && *star != '*'; ++star) x ^= static_cast<unsigned char>(*star);
    if (*star != '*') return false;
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
// Which bytes separate fields, per splitter kind.
struct SeparatorTable {
    bool is[256] = {};
    explicit SeparatorTable(const char *separators)
    {
        for (const char *p = separators; *p; ++p) is[static_cast<unsigned char>(*p)] = true;
    }
};
} // namespace

FieldSplitter::~FieldSplitter() { std::free(block_); }

void FieldSplitter::Split(const char *line, Separators separators)
{
    static const SeparatorTable sentence(",*"), log(",;*");
    const SeparatorTable &table = separators == Separators::Log ? log : sentence;

    // line[0] is the start character, already checked by the caller.
    const char *body = line + 1;
    size_t length = 0;
    int32_t count = 0;
    for (const char *p = body; *p; ++p, ++length) count += table.is[static_cast<unsigned char>(*p)];
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
    for (char *p = text; field < count; ++p) {
        if (!table.is[static_cast<unsigned char>(*p)]) continue;
        *p = '\0';
        if (++field < count) Fields[field] = p + 1;
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
