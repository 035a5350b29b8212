#include "sim/faults.h"

#include <sstream>
#include <vector>

#include "sim/text.h"

namespace sim {

bool ParseFaultKinds(const std::string &list, unsigned *kinds)
{
    unsigned k = 0;
    std::stringstream ss(list);
    std::string name;
    while (std::getline(ss, name, ',')) {
        if (name == "checksum") k |= kFaultChecksum;
        else if (name == "truncate") k |= kFaultTruncate;
        else if (name == "garbage") k |= kFaultGarbage;
        else if (name == "long") k |= kFaultLong;
        else if (name == "all") k |= kAllFaults;
        else return false;
    }
    if (k == 0) return false;
    *kinds = k;
    return true;
}

FaultInjector::FaultInjector(uint64_t seed, double rate, unsigned kinds) : rng_(seed), rate_(rate), kinds_(kinds) {}

std::string FaultInjector::Apply(const std::string &line)
{
    if (kinds_ == 0 || rate_ <= 0.0 || !rng_.Chance(rate_)) return line + "\r\n";
    std::vector<unsigned> enabled;
    for (unsigned k : {kFaultChecksum, kFaultTruncate, kFaultGarbage, kFaultLong})
        if (kinds_ & k) enabled.push_back(k);
    const unsigned kind = enabled[static_cast<size_t>(rng_.Below(static_cast<int>(enabled.size())))];
    ++injected_;
    const size_t star = line.rfind('*');
    switch (kind) {
    case kFaultChecksum: {
        std::string bad = line;
        if (star == std::string::npos || star + 3 > line.size()) return "!" + line + "\r\n";
        // Change the first two checksum digits to another value.
        const unsigned old = static_cast<unsigned>(std::stoul(line.substr(star + 1, 2), nullptr, 16));
        const unsigned now = old ^ static_cast<unsigned>(1 + rng_.Below(255));
        const std::string digits = Format(line[0] == '#' ? "%02x" : "%02X", now);
        bad[star + 1] = digits[0];
        bad[star + 2] = digits[1];
        return bad + "\r\n";
    }
    case kFaultTruncate: {
        // The line breaks off before its checksum, as when a connection drops bytes.
        const size_t end = star == std::string::npos || star < 2 ? line.size() / 2 + 1 : star;
        const size_t cut = 1 + static_cast<size_t>(rng_.Below(static_cast<int>(end - 1)));
        return line.substr(0, cut) + "\r\n";
    }
    case kFaultGarbage: {
        std::string burst;
        const int n = 1 + rng_.Below(48);
        for (int i = 0; i < n; ++i) burst += static_cast<char>(rng_.Below(256));
        const size_t at = static_cast<size_t>(rng_.Below(static_cast<int>(line.size() + 1)));
        return line.substr(0, at) + burst + line.substr(at) + "\r\n";
    }
    default: {
        // A run of printable characters far longer than any sentence, then the clean line.
        const size_t n = kLongMin + static_cast<size_t>(rng_.Below(static_cast<int>(kLongMax - kLongMin)));
        std::string junk = "$";
        junk.reserve(n + 2);
        while (junk.size() < n) {
            char c = static_cast<char>(rng_.Below(10) == 0 ? ',' : ' ' + 1 + rng_.Below(94));
            junk += c == '*' ? '+' : c;   // no checksum marker: the line never passes
        }
        return junk + "\r\n" + line + "\r\n";
    }
    }
}

} // namespace sim
