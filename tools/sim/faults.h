// Damage for testing the program's input handling: bad checksums, truncated
// lines, bursts of arbitrary bytes and lines far longer than any sentence.
#pragma once

#include <cstdint>
#include <string>

#include "sim/rng.h"

namespace sim {

enum FaultKind : unsigned {
    kFaultChecksum = 1u << 0,
    kFaultTruncate = 1u << 1,
    kFaultGarbage = 1u << 2,
    kFaultLong = 1u << 3,
    kAllFaults = kFaultChecksum | kFaultTruncate | kFaultGarbage | kFaultLong,
};

// "checksum,truncate,garbage,long" (any subset, or "all") to a set of kinds;
// false on an unknown name.
bool ParseFaultKinds(const std::string &list, unsigned *kinds);

class FaultInjector {
public:
    static constexpr size_t kLongMin = 100000;   // longer than the program keeps of a line
    static constexpr size_t kLongMax = 140000;

    FaultInjector(uint64_t seed, double rate, unsigned kinds);

    // The bytes to send for one clean line given without its line end: the line
    // and "\r\n", or with the probability `rate` a damaged version of it.
    std::string Apply(const std::string &line);
    size_t Injected() const { return injected_; }

private:
    Rng rng_;
    double rate_;
    unsigned kinds_;
    size_t injected_ = 0;
};

} // namespace sim
