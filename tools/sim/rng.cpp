#include "sim/rng.h"

#include <cmath>

namespace sim {

namespace {

uint64_t SplitMix(uint64_t &x)
{
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

} // namespace

Rng::Rng(uint64_t seed)
{
    uint64_t x = seed;
    for (uint64_t &s : s_) s = SplitMix(x);
}

uint64_t Rng::Next()
{
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

double Rng::Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

int Rng::Below(int n) { return static_cast<int>(Uniform() * n); }

double Rng::Normal()
{
    // Box-Muller; one value per call keeps the stream easy to reason about.
    double u1 = Uniform();
    while (u1 <= 0.0) u1 = Uniform();
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
}

double GaussMarkov::Step(Rng &rng, double dt)
{
    const double a = std::exp(-dt / tau);
    value = a * value + std::sqrt(1.0 - a * a) * rng.Normal(sigma);
    return value;
}

} // namespace sim
