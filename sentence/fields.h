// Field converters, Loran station codes, the position triple and small text tools.
#pragma once

#include <cstdint>
#include <string>

// Converters: 0 when the field is non-empty and its whole text converts (the
// value is stored), 1 otherwise (the output is left untouched).
int ParseChar(const char *field, char *out);
int ParseHex(const char *field, uint32_t *out);   // base 16, clamped to 0..0xFFFFFFFF
int ParseInt(const char *field, int32_t *out);    // base 10, clamped to the int32 range
int ParseDouble(const char *field, double *out);
int ParseFloat(const char *field, float *out);

// A Loran station as GRI * 100 + suffix index (blank 0, M 1, T..Z 2..8, S 20, digit 10..19).
using StationCode = int32_t;

int StationIdToCode(int32_t *code, const char *text);   // 0 ok, 1 error (code untouched)
int CodeToStationId(char *out, int32_t code);            // 0 ok (6 bytes written), 1 error

// The first occurrence of text lying entirely within the first n characters of line,
// or nullptr. The line is only read.
const char *ContainsWithin(const char *line, const char *text, int n);

// Trims blanks and control characters from both ends, then aligns to width:
// mode 0 left, 1 or 2 centred, 3 right, 4 on the decimal point; text is never cut.
std::string PadAlign(const std::string &text, int width, char mode);

// WGS-84 geodetic position: latitude and longitude in degrees, height in metres.
struct GeoPosition {
    double Latitude = 0.0;
    double Longitude = 0.0;
    double Height = 0.0;

    GeoPosition() = default;
    GeoPosition(double latitude, double longitude, double height)
        : Latitude(latitude), Longitude(longitude), Height(height) {}

    static constexpr double SemiMajorAxis = 6378137.0;           // a, metres
    static constexpr double SemiMinorAxis = 6356752.31;          // b, metres
    static constexpr double Flattening = 1.0 / 298.257223563;
    static constexpr double EccentricitySquared = 0.00669437999013;
    static constexpr double EarthRotationRate = 7.2921151467e-5; // rad/s
    static constexpr double GM = 3.986005e14;                    // m^3/s^2
    static constexpr double SpeedOfLight = 299792458.0;          // m/s
    static constexpr double Pi = 3.1415926535897932;
    static const double SecondEccentricitySquared;               // a^2/b^2 - 1
};
