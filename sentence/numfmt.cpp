#include "sentence/numfmt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// |v| as a string of significant decimal digits and the decimal exponent of the
// first one: v = 0.d1d2d3... * 10^(exponent + 1).
struct Decimal {
    std::string digits;
    int exponent = 0;
};

constexpr int kMaxDigits = 17;

Decimal ToDecimal(double v)
{
    // The exactly rounded digits, as printf's %.16e gives them, without its cost.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, kMaxDigits - 1);
    Decimal d;
    d.digits.reserve(kMaxDigits);
    const char *p = buf;
    for (; p != r.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
    if (p != r.ptr) std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, r.ptr, d.exponent);
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero. keep may be 0
// (the result is 0 or a single 1 one place up) or negative (the result is 0).
Decimal RoundTo(Decimal d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size())) return d;
    if (keep < 0) return Decimal{"0", 0};
    bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++d.digits[static_cast<size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.pop_back();
            if (d.digits.empty()) d.digits = "1";
            ++d.exponent;
        }
    }
    if (d.digits.empty() || d.digits.find_first_not_of('0') == std::string::npos) return Decimal{"0", 0};
    return d;
}

bool IsZero(const Decimal &d) { return d.digits == "0" || d.digits.find_first_not_of('0') == std::string::npos; }

std::string NonFinite(double v)
{
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string ExponentText(const Decimal &d, int mantissaDigits, bool showPlus, int expDigits, bool stripZeros)
{
    std::string mant = d.digits;
    mant.resize(static_cast<size_t>(std::max(mantissaDigits, 1)), '0');
    std::string s(1, mant[0]);
    std::string rest = mant.substr(1);
    if (stripZeros) {
        while (!rest.empty() && rest.back() == '0') rest.pop_back();
    }
    if (!rest.empty()) s += "." + rest;
    int e = IsZero(d) ? 0 : d.exponent;
    s += 'E';
    if (e < 0) s += '-';
    else if (showPlus) s += '+';
    std::string ed = std::to_string(std::abs(e));
    if (static_cast<int>(ed.size()) < expDigits) ed.insert(0, static_cast<size_t>(expDigits) - ed.size(), '0');
    return s + ed;
}

} // namespace

std::string FormatExponent(double value, int precision, int expDigits)
{
    if (!std::isfinite(value)) return NonFinite(value);
    precision = std::clamp(precision, 1, kMaxDigits);
    Decimal d = RoundTo(ToDecimal(value), precision);
    std::string s = ExponentText(d, precision, true, expDigits, false);
    return (value < 0 && !IsZero(d)) ? "-" + s : s;
}

std::string FormatGeneral(double value, int precision)
{
    if (!std::isfinite(value)) return NonFinite(value);
    precision = std::clamp(precision, 1, kMaxDigits);
    Decimal d = RoundTo(ToDecimal(value), precision);
    if (IsZero(d)) return "0";
    std::string sign = value < 0 ? "-" : "";
    if (d.exponent >= precision || d.exponent < -5)
        return sign + ExponentText(d, precision, false, 0, true);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string s;
    if (d.exponent < 0) {
        s = "0." + std::string(static_cast<size_t>(-d.exponent - 1), '0') + digits;
    } else {
        size_t intDigits = static_cast<size_t>(d.exponent) + 1;
        if (digits.size() <= intDigits) s = digits + std::string(intDigits - digits.size(), '0');
        else s = digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    }
    return sign + s;
}

std::string FormatFixed(double value, int precision, int decimals)
{
    if (!std::isfinite(value)) return NonFinite(value);
    precision = std::clamp(precision, 1, kMaxDigits);
    decimals = std::clamp(decimals, 0, 18);
    Decimal exact = ToDecimal(value);
    Decimal d = value == 0.0 ? Decimal{"0", 0} : RoundTo(exact, precision);
    if (!IsZero(d) && d.exponent + 1 > precision) {
        std::string s = ExponentText(d, precision, false, 0, true);
        return value < 0 ? "-" + s : s;
    }
    // Round once, at whichever is coarser: p significant digits or d decimals.
    if (value != 0.0) d = RoundTo(exact, std::min(precision, exact.exponent + 1 + decimals));
    std::string intPart, fracPart;
    if (IsZero(d)) {
        intPart = "0";
    } else if (d.exponent < 0) {
        intPart = "0";
        fracPart = std::string(static_cast<size_t>(-d.exponent - 1), '0') + d.digits;
    } else {
        size_t intDigits = static_cast<size_t>(d.exponent) + 1;
        std::string digits = d.digits;
        if (digits.size() < intDigits) digits.append(intDigits - digits.size(), '0');
        intPart = digits.substr(0, intDigits);
        fracPart = digits.substr(intDigits);
    }
    fracPart.resize(static_cast<size_t>(decimals), '0');
    std::string s = (value < 0 && !IsZero(d)) ? "-" + intPart : intPart;
    if (decimals > 0) s += "." + fracPart;
    return s;
}
