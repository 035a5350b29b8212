// Test helper: the sentences the position plot reads, as the receiver writes them.
#pragma once

#include <string>

#include "sentence_text.h"

namespace position_lines {

// GPS position solution; time hhmmss.ss, source 'G' or 'N', mode 'A' or 'N'.
inline std::string Gpposa(const std::string &time, const std::string &lat, const std::string &lon, char mode = 'A',
                          char source = 'G')
{
    return Sentence("DODU,GPPOSA,1.4," + time + ",90807," + source + "," + mode + "," + lat + "," + lon +
                    ",1.95,43.10,1.38,43.31,45.17,10,0.93,1.45,1.72,0.80");
}

// Integrated position; modes "AN" (GPS stand alone, no eLoran) or "NN" (none).
inline std::string Inposa(const std::string &time, const std::string &lat, const std::string &lon,
                          const std::string &modes = "AN")
{
    return Sentence("DODU,INPOSA,1.4," + time + ",90807,G," + modes + "," + lat + "," + lon +
                    ",1.95,43.10,1.38,43.31,45.17,10,0,0.84,0.75");
}

// NMEA fix: lat "ddmm.mmmmm,N" (or S), lon "dddmm.mmmmm,E" (or W).
inline std::string Gpgga(const std::string &time, const std::string &lat, const std::string &lon, int quality = 1)
{
    return Sentence("GPGGA," + time + "," + lat + "," + lon + "," + std::to_string(quality) + ",10,0.9,2.0,M,43.1,M,,");
}

// eLoran position of a solution kind; time in seconds of day (source 'L') or on
// the receiver's sample clock (source 'N').
inline std::string Lcposa(const std::string &time, char kind, const std::string &lat, const std::string &lon,
                          char source = 'L')
{
    return Sentence("DODU,LCPOSA,1.5," + time + ",90807," + source + "," + kind + "," + lat + "," + lon +
                    ",0.00,0.00,45.24,5,1.43");
}

inline std::string Lcrsda(const std::string &time, char kind, char source = 'L')
{
    return Sentence("DODU,LCRSDA,1.5," + time + ",90807," + source + "," + kind + ",2,7499M,-0.59,0.190,7499X,1.2,0.2");
}

// Sample count `samples` was hh:mm:ss UTC.
inline std::string Synca(const std::string &samples, const std::string &hh, const std::string &mm, const std::string &ss,
                         const std::string &source = "LORANUTC", const std::string &utcSync = "1")
{
    return Sentence("DODU,SYNCA,1.1,45.37," + source + ",2007,8,9," + hh + "," + mm + "," + ss + "," + samples + "," +
                    utcSync + ",14,2.9,7499M");
}

// The GPS board's position log: 31 fields.
inline std::string Psrposa(const std::string &type = "SINGLE", const std::string &lat = "52.01173839695",
                           const std::string &lon = "4.35719104709", const std::string &week = "1439",
                           const std::string &seconds = "388822.000")
{
    return "#PSRPOSA,COM1,0,76.9,FINESTEERING," + week + "," + seconds + ",00000000,6145,2724;SOL_COMPUTED," + type +
           "," + lat + "," + lon + ",1.9526,43.1000,WGS84,2.1000,1.6800,3.5700,\"\",0.000,0.000,10,10,0,0,0,06,0,03*28c97191";
}

} // namespace position_lines
