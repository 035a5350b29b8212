// What the receiver's loop antennas hear: the spectra of both loops with the
// noise floor, the Loran energy around 100 kHz and a few interferers; the notch
// filters it sets on the interferers; and short stretches of the sampled
// signal (a Loran pulse train) for the sound window.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "sim/rng.h"
#include "sim/world.h"

namespace sim {

struct Notch {
    double frequency = 0;   // kHz; 0 = slot unused
    double bandwidth = 0;   // kHz
};

class Signals {
public:
    static constexpr int kFftLength = 1024;        // 400 kHz sampling: 0.390625 kHz per bin
    static constexpr int kBinCount = 512;          // 0 .. 200 kHz
    static constexpr int kAverages = 1953;         // about 5 s of signal
    static constexpr int kNotchSlots = 6;
    static constexpr int kSamplePeriod = 20;       // 2.5 us units: 20 kHz
    static constexpr int kAudioSamples = 500;      // 25 ms
    static constexpr int kAudioBits = 8;

    explicit Signals(uint64_t seed);

    // Levels in dB of loop 1 and loop 2, kBinCount bins from bin 0.
    std::pair<std::vector<double>, std::vector<double>> Spectra(const World &w);
    std::vector<Notch> Notches(const World &w) const;
    int ActiveNotches(const World &w) const;
    double ProcessorLoad() { return load_.Step(rng_, 1.0) + 0.52; }
    int Gain(const World &w) const { return w.Elapsed() < 4 ? 5 : 3; }
    // Signed samples of kAudioBits bits, starting at a group repetition interval
    // of the 7499 chain.
    std::vector<int> Audio(const World &w);

private:
    Rng rng_;
    GaussMarkov load_{0.03, 30.0};
};

} // namespace sim
