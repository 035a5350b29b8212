#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/formatsi.h"
#include "sentence/numfmt.h"

TEST(FormatFixed, RoundsToSignificantDigitsThenPadsDecimals)
{
    EXPECT_EQ(FormatFixed(101.234, 5, 3), "101.230");
    EXPECT_EQ(FormatFixed(1.23456, 6, 2), "1.23");
    EXPECT_EQ(FormatFixed(0.0, 6, 2), "0.00");
    EXPECT_EQ(FormatFixed(-2.5, 6, 2), "-2.50");
    EXPECT_EQ(FormatFixed(123456.789, 9, 2), "123456.79");
    EXPECT_EQ(FormatFixed(9.99996, 5, 4), "10.0000");
    EXPECT_EQ(FormatFixed(0.125, 6, 2), "0.13");    // half away from zero
    EXPECT_EQ(FormatFixed(-0.001, 6, 2), "0.00");   // no minus on a zero
    EXPECT_EQ(FormatFixed(12345.678, 12, 4), "12345.6780");
    EXPECT_EQ(FormatFixed(5.0, 6, 0), "5");
}

TEST(FormatFixed, TooManyIntegerDigitsGoesToExponentForm)
{
    EXPECT_EQ(FormatFixed(1234567.0, 6, 2), "1.23457E6");
    EXPECT_EQ(FormatFixed(-1e20, 9, 2), "-1E20");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 6, 2), "NAN");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 6, 2), "-INF");
}

TEST(FormatExponent, MantissaDigitsAndExponentWidth)
{
    EXPECT_EQ(FormatExponent(0.0, 5, 2), "0.0000E+00");
    EXPECT_EQ(FormatExponent(1.2345678e-7, 5, 2), "1.2346E-07");
    EXPECT_EQ(FormatExponent(-42.0, 3, 3), "-4.20E+001");
    EXPECT_EQ(FormatExponent(9.9999, 3, 2), "1.00E+01");
    EXPECT_EQ(FormatExponent(1e123, 3, 2), "1.00E+123");
}

TEST(FormatGeneral, ShortestUpToPrecision)
{
    EXPECT_EQ(FormatGeneral(52.5), "52.5");
    EXPECT_EQ(FormatGeneral(-4.25), "-4.25");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(100.0), "100");
}

TEST(FormatSI, PrefixesWidthsAndLimits)
{
    EXPECT_EQ(FormatSI(0.0f, 4), " 0.000 ");
    EXPECT_EQ(FormatSI(1234.0f, 4), " 1.234 k");
    EXPECT_EQ(FormatSI(0.5f, 1), "500 m");
    EXPECT_EQ(FormatSI(5.0f, 1), "  5 ");
    EXPECT_EQ(FormatSI(123456.0f, 4), " 123.5 k");
    EXPECT_EQ(FormatSI(2e-6f, 1), "  2 \u00b5");
    EXPECT_EQ(FormatSI(1e-30f, 3), "N/A");
    EXPECT_EQ(FormatSI(1e30f, 3), "N/A");
}
