#include "app/formatsi.h"

#include <cmath>
#include <cstdio>

std::string FormatSI(float value, int digits)
{
    static const char *const prefixes[] = {"a", "f", "p", "n", "\u00b5", "m", "", "k", "M", "G", "T", "P", "E"};
    if (!std::isfinite(value)) return "N/A";
    int index = 6;
    while (std::fabs(value) > 0.0f && std::fabs(value) < 1.0f && index >= 0) {
        value *= 1000.0f;
        --index;
    }
    while (std::fabs(value) > 1000.0f && index <= 12) {
        value *= 0.001f;
        ++index;
    }
    if (index < 0 || index > 12) return "N/A";
    float magnitude = std::fabs(value);
    int precision = magnitude >= 100.0f ? digits - 3 : magnitude >= 10.0f ? digits - 2 : digits - 1;
    if (precision < 0) precision = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f ", digits + 2, precision, static_cast<double>(value));
    return std::string(buf) + prefixes[index];
}
