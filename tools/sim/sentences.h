// One writer per sentence type: each turns the state of the current epoch into
// a complete line ("$...*hh" or "#...*crc"), without the line end. Where a type
// has an older form, `older` selects it.
#pragma once

#include <string>
#include <vector>

#include "sim/signals.h"
#include "sim/world.h"

namespace sim {

std::string WriteToaa(const World &w, bool older);
std::string WriteDasfa(const World &w, bool older);   // empty when fewer than two stations have a DASF
std::string WriteDlora(const World &w);               // empty while no corrections are available
std::string WriteGpgga(const World &w);
// The heading of one source ('L' eLoran, 'G' GPS, 'I' inertial); empty when that source has none.
std::string WriteHdga(const World &w, char source, bool older);
std::string WriteHdgla(const World &w, bool older);
std::string WritePtnta(const World &w);
std::string WriteSynca(const World &w);
// form 0: "RMSGA", 1: "RMSG" with the version behind it, 2: the version, then "RMSG".
std::string WriteRmsg(const World &w, const RmsgMessage &m, int form);
std::string WriteGpposa(const World &w, bool older);
std::string WriteInposa(const World &w, bool older);
std::string WriteLcposa(const World &w, const LoranSolution &s, bool older);
std::string WriteLcrsda(const World &w, const LoranSolution &s, bool older);
// Current form: version "1.1" with a channel count; older form: version "1.0"
// (or "FFT_1.0" when fftPrefix) with the DSP load in cycles per second.
std::string WriteFft(const World &w, const std::vector<double> &loop1, const std::vector<double> &loop2, double load,
                     int gain, bool older, bool fftPrefix);
std::string WriteNotcha(const World &w, const std::vector<Notch> &notches, int active);
std::string WriteAudio(const std::vector<int> &samples);
std::string WritePsrposa(const World &w);

} // namespace sim
