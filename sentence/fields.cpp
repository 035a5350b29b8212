#include "sentence/fields.h"

#include <cctype>
#include <cerrno>
#include <climits>
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

int ParseHex(const char *field, uint32_t *out)
{
    if (!field || !*field) return 1;
    char *end = nullptr;
    long long v = std::strtoll(field, &end, 16);
    if (*end != '\0') return 1;
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
    char *end = nullptr;
    long long v = std::strtoll(field, &end, 10);
    if (*end != '\0') return 1;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    *out = static_cast<int32_t>(v);
    return 0;
}

int ParseDouble(const char *field, double *out)
{
    if (!field || !*field) return 1;
    char *end = nullptr;
    double v = std::strtod(field, &end);
    if (*end != '\0') return 1;
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
    char head[6] = {};
    std::strncpy(head, text, 5);
    int number = 0;
    char suffix = 0;
    int n = std::sscanf(head, "%d%c", &number, &suffix);
    if (n < 1) return 1;
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
