#include "sim/simulator.h"

#include <algorithm>

#include "sim/sentences.h"

namespace sim {

namespace {
constexpr double kPortBytesPerSecond = 11520.0;   // 115200 baud, 10 bits a byte
constexpr uint64_t kFormsStream = 0x6F6C64666F726D73ull;
constexpr uint64_t kFaultStream = 0x6661756C74730000ull;
constexpr uint64_t kSignalStream = 0x7369676E616C7300ull;
} // namespace

Simulator::Simulator(const SimOptions &options)
    : options_(options), world_(options.seed, options.startUnix), signals_(options.seed ^ kSignalStream),
      forms_(options.seed ^ kFormsStream), faults_(options.seed ^ kFaultStream, options.faultRate, options.faultKinds)
{
}

bool Simulator::Next(Chunk &chunk)
{
    while (pending_.empty()) {
        if (options_.duration > 0 && world_.Epoch() + 1 >= options_.duration) return false;
        MakeEpoch();
    }
    chunk = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

void Simulator::Emit(const std::string &line)
{
    if (line.empty()) return;
    Chunk c;
    c.bytes = faults_.Apply(line);
    // The receiver starts each epoch on the second and sends its lines one after another.
    c.time = world_.Epoch() + std::min(0.95, epochBytes_ / kPortBytesPerSecond);
    epochBytes_ += static_cast<double>(c.bytes.size());
    pending_.push_back(std::move(c));
}

void Simulator::MakeEpoch()
{
    world_.Step();
    epochBytes_ = 0;
    const World &w = world_;
    auto older = [&] { return forms_.Chance(options_.oldForms); };

    Emit(WriteToaa(w, older()));
    Emit(WriteDasfa(w, older()));
    Emit(WriteDlora(w));
    Emit(WriteHdgla(w, older()));
    for (char source : {'L', 'G', 'I'}) Emit(WriteHdga(w, source, older()));
    Emit(WriteGpgga(w));
    Emit(WriteGpposa(w, older()));
    Emit(WritePsrposa(w));
    Emit(WriteInposa(w, older()));
    for (const LoranSolution &s : w.Solutions()) {
        // Both sentences of one solution come in the same form; now and then the
        // residuals come first.
        const bool old = older();
        if (forms_.Chance(0.1)) {
            Emit(WriteLcrsda(w, s, old));
            Emit(WriteLcposa(w, s, old));
        } else {
            Emit(WriteLcposa(w, s, old));
            Emit(WriteLcrsda(w, s, old));
        }
    }
    Emit(WriteSynca(w));
    Emit(WritePtnta(w));
    for (const RmsgMessage &m : w.Rmsg()) Emit(WriteRmsg(w, m, older() ? 1 + forms_.Below(2) : 0));
    if (w.Epoch() % kNotchaEvery == 0) Emit(WriteNotcha(w, signals_.Notches(w), signals_.ActiveNotches(w)));
    if (w.Epoch() % kFftEvery == kFftEvery - 1) {
        const auto spectra = signals_.Spectra(w);
        const bool old = older();
        Emit(WriteFft(w, spectra.first, spectra.second, signals_.ProcessorLoad(), signals_.Gain(w), old,
                      old && forms_.Chance(0.5)));
    }
    Emit(WriteAudio(signals_.Audio(w)));
}

std::string GenerateStream(const SimOptions &options)
{
    if (options.duration <= 0) return "";   // an endless stream does not fit in a string
    Simulator sim(options);
    std::string out;
    Chunk c;
    while (sim.Next(c)) out += c.bytes;
    return out;
}

} // namespace sim
