// Test helper: TOAA, DLORA and DASFA sentences for the TD plot.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sentence_text.h"

struct ToaaEntry {
    std::string name;
    double toa = 0.0;         // microseconds
    unsigned state = 0x00A2;  // bit 0x40 and 0x01 clear
};

inline std::string Number(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

inline std::string Hex(unsigned v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

// Current layout; `announced` defaults to the number of entries.
inline std::string ToaaLine(double timestamp, const std::vector<ToaaEntry> &entries, int announced = -1)
{
    std::string s = "DODU,TOAA,V2.1," + Number(timestamp) + ",1.0,2.0,LOCKED,1.5e-7,3.5,4.5," +
                    std::to_string(announced < 0 ? static_cast<int>(entries.size()) : announced);
    for (const ToaaEntry &e : entries)
        s += "," + e.name + ",10.5,3.25,0.125,-0.5,0.75," + Hex(e.state) + "," + Number(e.toa) + ",-1.5e-3,100.25";
    return Sentence(s);
}

struct DloraEntry {
    std::string name;
    double a = 0.0, b = 0.0;
    std::string status = "0001";
};

inline std::string DloraLine(const std::string &time, const std::vector<DloraEntry> &entries, int announced = -1,
                             const std::string &address = "DODU,DLORA")
{
    std::string s = address + ",1.5," + time + ",241206,TEXT,1.0,2.0,3,4.0," +
                    std::to_string(announced < 0 ? static_cast<int>(entries.size()) : announced);
    for (const DloraEntry &e : entries) s += "," + e.name + "," + Number(e.a) + "," + Number(e.b) + "," + e.status;
    return Sentence(s);
}

struct DasfaEntry {
    std::string name;
    double dasf = 0.0;   // microseconds
};

inline std::string DasfaLine(const std::string &time, const std::vector<DasfaEntry> &entries, int announced = -1)
{
    std::string s = "DODU,DASFA,V1," + time + ",061226,G,52.1,4.3," +
                    std::to_string(announced < 0 ? static_cast<int>(entries.size()) : announced);
    for (const DasfaEntry &e : entries) s += "," + e.name + "," + Number(e.dasf) + ",0.5";
    return Sentence(s);
}
