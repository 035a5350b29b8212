// The two number notations every window uses. The decimal separator is always '.'.
//
// FormatFixed(v, p, d): v rounded to p significant digits (and to d decimals),
//   written with exactly d digits after the point; when the integer part needs
//   more than p digits the value is written in exponent form instead.
// FormatExponent(v, p, d): "-" when negative, one digit, ".", p - 1 digits, "E",
//   the exponent's sign and at least d exponent digits.
#pragma once

#include <string>

std::string FormatFixed(double value, int precision, int decimals);
std::string FormatExponent(double value, int precision, int expDigits);
// General form with up to `precision` significant digits (trailing zeros dropped),
// switching to exponent form for very large or small magnitudes.
std::string FormatGeneral(double value, int precision = 15);
