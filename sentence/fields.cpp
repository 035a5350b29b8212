#include "sentence/fields.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const double GeoPosition::SecondEccentricitySquared =
    GeoPosition::SemiMajorAxis * GeoPosition::SemiMajorAxis /
        (GeoPosition::SemiMinorAxis * GeoPosition::SemiMinorAxis) - 1.0;

int ParseChar(const char *field, char *out)
{
    if (!field || field[0] == '\0' || field[1] != '\0') return 1;
    *out = field[0];
    return 0;
}

namespace {

// The plain forms ("-12", "3.25", "1e-7") are read with from_chars; what it
// leaves aside (a blank or "+" in front, "0x", "inf", "nan", a value out of
// range, a bad field) goes to the C library, which decides as it always has.
bool FastInteger(const char *field, long long *v, int base = 10)
{
    const char *end = field + std::strlen(field);
    auto [ptr, ec] = std::from_chars(field, end, *v, base);
    return ec == std::errc() && ptr == end;
}

// "-ddd.ddd" with at most 15 digits: the digits are an exact integer and the
// power of ten an exact double, so one division rounds correctly, as strtod does.
bool ShortDecimal(const char *p, double *v)
{
    const bool negative = *p == '-';
    p += negative;
    uint64_t digits = 0;
    int count = 0, decimals = -1;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + static_cast<uint64_t>(*p - '0');
            if (++count > 15) return false;
            decimals += decimals >= 0;
        } else if (*p == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (*p != '\0' || count == 0) return false;
    static constexpr double Powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double value = static_cast<double>(digits);
    if (decimals > 0) value /= Powers[decimals];
    *v = negative ? -value : value;
    return true;
}

bool FastDouble(const char *field, double *v)
{
    if (ShortDecimal(field, v)) return true;
    const char *end = field + std::strlen(field);
    auto [ptr, ec] = std::from_chars(field, end, *v);
    return ec == std::errc() && ptr == end && std::isfinite(*v);
}

} // namespace

int ParseHex(const char *field, uint32_t *out)
{
    if (!field || !*field) return 1;
    long long v = 0;
    if (!FastInteger(field, &v, 16)) {
        char *end = nullptr;
        v = std::strtoll(field, &end, 16);
        if (*end != '\0') return 1;
    }
    // The receiver's words are 32 bits: anything wider is clamped, a negative
    // value keeps its 32-bit two's complement form as a 32-bit strtol gave it.
    if (v > 0xFFFFFFFFLL) v = 0xFFFFFFFFLL;
    if (v < INT32_MIN) v = INT32_MIN;
    *out = static_cast<uint32_t>(v);
    return 0;
}

int ParseInt(const char *field, int32_t *out)
{
    if (!field || !*field) return 1;
    long long v = 0;
    if (!FastInteger(field, &v)) {
        char *end = nullptr;
        v = std::strtoll(field, &end, 10);
        if (*end != '\0') return 1;
    }
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    *out = static_cast<int32_t>(v);
    return 0;
}

int ParseDouble(const char *field, double *out)
{
    if (!field || !*field) return 1;
    double v = 0.0;
    if (!FastDouble(field, &v)) {
        char *end = nullptr;
        v = std::strtod(field, &end);
        if (*end != '\0') return 1;
    }
    *out = v;
    return 0;
}

int ParseFloat(const char *field, float *out)
{
    double v = 0.0;
    if (ParseDouble(field, &v)) return 1;
    *out = static_cast<float>(v);
    return 0;
}

int StationIdToCode(int32_t *code, const char *text)
{
    if (!text) return 1;
    // "%d%c" over the first five characters: blanks, a sign and at least one
    // digit, then the character behind the number when there is one.
    const char *p = text, *stop = text + strnlen(text, 5);
    while (p < stop && std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (p < stop && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == stop || *p < '0' || *p > '9') return 1;
    int number = 0;
    for (; p < stop && *p >= '0' && *p <= '9'; ++p) number = number * 10 + (*p - '0');
    if (negative) number = -number;
    const int n = p < stop ? 2 : 1;
    const char suffix = n == 2 ? *p : 0;
    if (n == 1) {
        if (number >= 40000 && number <= 99999) {
            *code = (number / 10) * 100 + 10 + number % 10;
            return 0;
        }
        if (number >= 4000 && number <= 9999) {
            *code = number * 100;
            return 0;
        }
        return 1;
    }
    if (number < 4000 || number > 9999) return 1;
    int index;
    switch (std::toupper(static_cast<unsigned char>(suffix))) {
    case ' ': index = 0; break;
    case 'M': index = 1; break;
    case 'T': index = 2; break;
    case 'U': index = 3; break;
    case 'V': index = 4; break;
    case 'W': index = 5; break;
    case 'X': index = 6; break;
    case 'Y': index = 7; break;
    case 'Z': index = 8; break;
    case 'S': index = 20; break;
    default: return 1;
    }
    *code = number * 100 + index;
    return 0;
}

int CodeToStationId(char *out, int32_t code)
{
    int gri = code / 100;
    int index = code % 100;
    if (gri < 4000 || gri > 9999 || index < 0 || index > 20) return 1;
    static const char suffixes[] = " MTUVWXYZS0123456789S";
    std::snprintf(out, 6, "%4d%c", gri, suffixes[index]);
    return 0;
}

const char *ContainsWithin(const char *line, const char *text, int n)
{
    if (!line || !text || n < 0) return nullptr;
    size_t limit = static_cast<size_t>(n);
    size_t textLength = std::strlen(text);
    size_t lineLength = strnlen(line, limit);
    if (textLength > lineLength) return nullptr;
    for (size_t i = 0; i + textLength <= lineLength; ++i)
        if (std::memcmp(line + i, text, textLength) == 0) return line + i;
    return nullptr;
}

std::string PadAlign(const std::string &text, int width, char mode)
{
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    std::string s = text.substr(first, last - first);
    int length = static_cast<int>(s.size());
    switch (mode) {
    case 0:
        if (width - length > 0) s.append(static_cast<size_t>(width - length), ' ');
        break;
    case 1:
    case 2: {
        int n = (width - length) / 2;
        if (n > 0) s = std::string(static_cast<size_t>(n), ' ') + s + std::string(static_cast<size_t>(n), ' ');
        break;
    }
    case 3:
        if (width - length > 0) s.insert(0, static_cast<size_t>(width - length), ' ');
        break;
    case 4: {
        size_t p = s.find('.');
        if (p != std::string::npos && width - static_cast<int>(p) > 0)
            s.insert(0, static_cast<size_t>(width - static_cast<int>(p)), ' ');
        break;
    }
    default:
        break;
    }
    return s;
}
