// The simulated receiver's output stream: epoch after epoch of sentences in the
// order the receiver sends them, each line with the time (seconds since the
// start) at which it leaves the receiver's 115200 baud port.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "sim/faults.h"
#include "sim/signals.h"
#include "sim/world.h"

namespace sim {

struct SimOptions {
    uint64_t seed = 1;
    double startUnix = 1186660800.0;   // 2007-08-09 12:00:00 UTC
    double duration = 600.0;           // seconds of receiver time; 0 = no end
    double oldForms = 0.1;             // share of sentences sent in their older form
    double faultRate = 0.0;            // share of lines damaged
    unsigned faultKinds = kAllFaults;
};

struct Chunk {
    double time = 0;     // seconds since the start of the stream
    std::string bytes;   // one line with its CR LF (damaged ones may hold anything)
};

class Simulator {
public:
    explicit Simulator(const SimOptions &options);

    // The next piece of the stream; false once the duration has passed.
    bool Next(Chunk &chunk);
    const World &GetWorld() const { return world_; }
    size_t FaultsInjected() const { return faults_.Injected(); }

    static constexpr int kFftEvery = 5;      // seconds
    static constexpr int kNotchaEvery = 10;  // seconds

private:
    void MakeEpoch();
    void Emit(const std::string &line);

    SimOptions options_;
    World world_;
    Signals signals_;
    Rng forms_;
    FaultInjector faults_;
    std::deque<Chunk> pending_;
    double epochBytes_ = 0;
};

// The whole stream at once (for tests); empty for an endless one (duration 0).
std::string GenerateStream(const SimOptions &options);

} // namespace sim
