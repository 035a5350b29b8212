#include "plots/audio.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <new>

#include "logs/record_support.h"
#include "sentence/fields.h"
#include "sentence/recognise.h"

bool IsAudio(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && FieldIs(log, 2, "AUDIO");
}

bool IsAudioLine(const char *line)
{
    return line && ContainsWithin(line, "DODU", 5) && ContainsWithin(line, "AUDIO", 40);
}

namespace {

constexpr int8_t kInvalid = -1;
constexpr int8_t kPadding = -2;

// The value of each Base64 character (RFC 4648), kPadding for "=".
constexpr std::array<int8_t, 256> MakeBase64Values()
{
    std::array<int8_t, 256> values{};
    for (int8_t &v : values) v = kInvalid;
    const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; alphabet[i]; ++i) values[static_cast<unsigned char>(alphabet[i])] = static_cast<int8_t>(i);
    values['='] = kPadding;
    return values;
}
constexpr std::array<int8_t, 256> kBase64Values = MakeBase64Values();

} // namespace

void AUDIOReceived::Clear()
{
    name[0] = '\0';
    samplePeriod = 0;
    bitsPerSample = 0;
    samples.clear();
    samples.shrink_to_fit();
    byteCount = 0;
    sampleWidth = 8;
}

int AUDIOReceived::Parse(const char *line) { return Parse(SentenceLine(line)); }

int AUDIOReceived::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 6 || !f.Is(0, "DODU") || !f.Is(2, "AUDIO")) return 1;
    Clear();
    f.Copy(1, name, EmptyRule::Skip);
    f.Convert(3, ParseInt, &samplePeriod, EmptyRule::Skip);
    f.Convert(4, ParseInt, &bitsPerSample, EmptyRule::Skip);
    if (bitsPerSample < 1 || bitsPerSample > 16) return f.Bad + 1;
    // Without a sample period there is no sample rate to play or chart at.
    if (samplePeriod < 1) return f.Bad + 1;

    const char *text = f.Text(5);
    const size_t length = std::strlen(text);
    const int bits = bitsPerSample;
    sampleWidth = bits > 8 ? 16 : 8;
    const int bytesPerSample = sampleWidth / 8;
    // Room for every sample the text can carry, whatever its width.
    const uint64_t capacity = static_cast<uint64_t>(length) * 6 / static_cast<uint64_t>(bits) * bytesPerSample;
    if (capacity > static_cast<uint64_t>(INT32_MAX)) return f.Bad + 1;
    try {
        samples.resize(static_cast<size_t>(capacity));
    } catch (const std::bad_alloc &) {
        return f.Bad + 1;
    } catch (const std::length_error &) {
        return f.Bad + 1;
    }

    int failures = f.Bad;
    const uint32_t half = 1u << (bits - 1);
    const uint32_t full = 1u << bits;
    uint32_t accumulator = 0;   // fewer than bits + 6 bits (at most 21)
    int held = 0;
    size_t n = 0;   // bytes written
    uint8_t *out = samples.data();
    for (size_t i = 0; i < length; ++i) {
        const int8_t value = kBase64Values[static_cast<unsigned char>(text[i])];
        if (value == kInvalid) {
            ++failures;
            break;
        }
        if (value == kPadding) continue;
        accumulator = (accumulator << 6) | static_cast<uint32_t>(value);
        held += 6;
        while (held >= bits) {
            held -= bits;
            const uint32_t sample = accumulator >> held;
            accumulator &= (1u << held) - 1u;
            if (n + bytesPerSample > capacity) continue;
            if (sampleWidth == 8) {
                // Flipping the sign bit turns two's complement into offset binary.
                out[n++] = static_cast<uint8_t>(sample ^ half);
            } else {
                const int32_t signedValue =
                    (sample & half) ? static_cast<int32_t>(sample) - static_cast<int32_t>(full) : static_cast<int32_t>(sample);
                const uint16_t word = static_cast<uint16_t>(static_cast<int16_t>(signedValue));
                out[n++] = static_cast<uint8_t>(word & 0xFF);
                out[n++] = static_cast<uint8_t>(word >> 8);
            }
        }
    }
    samples.resize(n);
    byteCount = static_cast<int32_t>(samples.size());
    return failures;
}

int32_t AUDIOReceived::SampleValue(int32_t i) const
{
    if (i < 0 || i >= SampleCount()) return 0;
    if (sampleWidth == 16) {
        const uint16_t word = static_cast<uint16_t>(samples[2 * i] | (samples[2 * i + 1] << 8));
        return static_cast<int16_t>(word);
    }
    return static_cast<int32_t>(samples[i]) - (1 << (bitsPerSample - 1));
}

std::vector<uint8_t> PlayedSamples(const AUDIOReceived &audio)
{
    std::vector<uint8_t> out;
    if (audio.bitsPerSample < 1 || audio.bitsPerSample > 16) return out;
    const int32_t count = audio.SampleCount();
    const int32_t scale = 1 << (audio.sampleWidth - audio.bitsPerSample);
    out.reserve(static_cast<size_t>(count) * (audio.sampleWidth / 8));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = audio.SampleValue(i) * scale;
        if (audio.sampleWidth == 8) {
            out.push_back(static_cast<uint8_t>(v + 128));
        } else {
            const auto word = static_cast<uint16_t>(static_cast<int16_t>(v));
            out.push_back(static_cast<uint8_t>(word & 0xFF));
            out.push_back(static_cast<uint8_t>(word >> 8));
        }
    }
    return out;
}
