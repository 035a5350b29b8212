#include "sim/signals.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace sim {

namespace {

struct Interferer {
    double frequency;   // kHz
    double level1, level2;   // dB on loop 1 and loop 2
    bool notched;       // the receiver sets a notch on it
    bool intermittent;  // on 3 minutes out of 5
};

const Interferer kInterferers[] = {
    {60.0, 57.0, 54.0, false, false},
    {75.0, 58.0, 52.0, true, false},
    {77.5, 66.0, 61.0, true, false},
    {94.3, 55.0, 60.0, true, true},
    {129.1, 62.0, 58.0, true, false},
    {139.0, 60.0, 57.0, false, false},
};

bool IsOn(const Interferer &i, double t)
{
    if (!i.intermittent) return true;
    const double phase = std::fmod(t, 300.0);
    return phase >= 60.0 && phase < 240.0;
}

// The notch follows its interferer ten seconds late.
bool NotchOn(const Interferer &i, double t)
{
    return i.notched && IsOn(i, t) && IsOn(i, t - 10.0) && t >= 10.0;
}

// Loran-C phase codes, group A and B, for the master and the secondaries.
const int kMasterCode[2][9] = {{1, 1, -1, -1, 1, -1, 1, -1, 1}, {1, -1, -1, 1, 1, 1, 1, 1, -1}};
const int kSecondaryCode[2][8] = {{1, 1, 1, 1, 1, -1, -1, 1}, {1, -1, 1, -1, 1, 1, -1, -1}};

const double kNotchWidth[] = {0, 0.40, 0.40, 0.60, 0.80, 0};

double Db(double power) { return 10.0 * std::log10(power); }
double Power(double db) { return std::pow(10.0, db / 10.0); }

} // namespace

Signals::Signals(uint64_t seed) : rng_(seed) { load_.Start(rng_); }

std::pair<std::vector<double>, std::vector<double>> Signals::Spectra(const World &w)
{
    const double t = w.Elapsed();
    const double antenna = Wrap360(w.TrueHeading() + w.AntennaOffset());
    // The Loran energy a loop picks up depends on where the strong stations lie
    // against the loop's axis.
    double p1 = 0, p2 = 0;
    for (const StationEpoch &s : w.Stations()) {
        const double rel = (s.azimuth - antenna) * kDeg;
        const double p = Power(s.ss - 40.0);
        p1 += p * (0.1 + std::cos(rel) * std::cos(rel));
        p2 += p * (0.1 + std::sin(rel) * std::sin(rel));
    }
    const double peak[2] = {Db(p1), Db(p2)};
    std::vector<double> loops[2];
    for (int c = 0; c < 2; ++c) {
        loops[c].resize(kBinCount);
        const double floorOffset = c == 0 ? (w.NoiseLoop(1) - 60.0) : (w.NoiseLoop(2) - 60.0);
        for (int k = 0; k < kBinCount; ++k) {
            const double f = k * 400.0 / kFftLength;
            double power = Power(18.0 + floorOffset + 9.0 * std::exp(-f / 25.0) + 2.0 * std::exp(-(200.0 - f) / 15.0));
            const double x = (f - 100.0) / 5.5;
            power += Power(peak[c]) * std::exp(-x * x);
            for (const Interferer &i : kInterferers) {
                if (!IsOn(i, t)) continue;
                const double d = (f - i.frequency) / 0.25;
                power += Power(c == 0 ? i.level1 : i.level2) / (1.0 + d * d);
            }
            loops[c][k] = Db(power) + rng_.Normal(0.6);
        }
    }
    return {loops[0], loops[1]};
}

std::vector<Notch> Signals::Notches(const World &w) const
{
    std::vector<Notch> slots(kNotchSlots);
    int k = 0;
    for (size_t i = 0; i < std::size(kInterferers) && k < kNotchSlots; ++i) {
        if (!kInterferers[i].notched) continue;
        if (NotchOn(kInterferers[i], w.Elapsed())) slots[k] = {kInterferers[i].frequency, kNotchWidth[i]};
        ++k;   // each notched interferer keeps its slot
    }
    return slots;
}

int Signals::ActiveNotches(const World &w) const
{
    int n = 0;
    for (const Notch &x : Notches(w)) n += x.frequency > 0 && x.bandwidth > 0;
    return n;
}

std::vector<int> Signals::Audio(const World &w)
{
    const auto &chain = ChainStations();
    const double dt = kSamplePeriod * 2.5;   // microseconds per sample
    std::vector<double> signal(kAudioSamples, 0.0);
    // Which group of the 7499 chain this window shows: A and B groups alternate.
    const int group = w.Epoch() % 2;
    for (size_t i = 0; i < chain.size(); ++i) {
        const ChainStation &c = chain[i];
        const StationEpoch &s = w.Stations()[i];
        if (c.gri != 7499 || !s.acquired) continue;
        const double amplitude = std::min(90.0, 90.0 * std::pow(10.0, (s.snr - 20.0) / 20.0));
        const bool master = c.suffix == 'M';
        const int pulses = master ? 9 : 8;
        for (int p = 0; p < pulses; ++p) {
            const double start = c.emissionDelay + s.propagation + 1000.0 * p + (master && p == 8 ? 1000.0 : 0.0);
            const int sign = master ? kMasterCode[group][p] : kSecondaryCode[group][p];
            for (int n = static_cast<int>(start / dt); n < kAudioSamples && n * dt < start + 300.0; ++n) {
                const double u = (n * dt - start) / 65.0;
                if (u < 0) continue;
                signal[n] += sign * amplitude * u * u * std::exp(2.0 * (1.0 - u));
            }
        }
    }
    std::vector<int> samples(kAudioSamples);
    const int top = (1 << (kAudioBits - 1)) - 1;
    for (int n = 0; n < kAudioSamples; ++n) {
        const double tone = 8.0 * std::sin(2.0 * kPi * 1270.0 * n * dt * 1e-6);
        const double v = std::lround(signal[n] + tone + rng_.Normal(6.0));
        samples[n] = static_cast<int>(std::clamp(v, -top - 1.0, static_cast<double>(top)));
    }
    return samples;
}

} // namespace sim
