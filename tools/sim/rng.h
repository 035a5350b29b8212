// Deterministic random numbers. The standard library's distributions differ
// between implementations, so the simulator draws everything from its own
// generator (xoshiro256**) and turns the raw bits into numbers itself: the same
// seed gives the same stream on every machine.
#pragma once

#include <cstdint>

namespace sim {

class Rng {
public:
    explicit Rng(uint64_t seed);

    uint64_t Next();
    double Uniform();                          // [0, 1)
    double Uniform(double lo, double hi);      // [lo, hi)
    int Below(int n);                          // 0 .. n-1 (n > 0)
    double Normal();                           // standard normal
    double Normal(double sigma) { return sigma * Normal(); }
    bool Chance(double p) { return Uniform() < p; }

private:
    uint64_t s_[4];
};

// First-order Gauss-Markov process: a slowly wandering error with standard
// deviation sigma and correlation time tau (seconds).
struct GaussMarkov {
    double sigma = 0.0;
    double tau = 1.0;
    double value = 0.0;

    GaussMarkov() = default;
    GaussMarkov(double sigma_, double tau_) : sigma(sigma_), tau(tau_) {}
    // Starts the process in its stationary distribution.
    void Start(Rng &rng) { value = rng.Normal(sigma); }
    double Step(Rng &rng, double dt);
};

} // namespace sim
