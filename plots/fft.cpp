#include "plots/fft.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <exception>

#include "logs/notcha.h"
#include "logs/record_support.h"
#include "sentence/numfmt.h"
#include "sentence/recognise.h"

bool IsFft(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "FFTA") || FieldIs(log, 2, "FFT"));
}

// ---------------------------------------------------------------------------
// The record
// ---------------------------------------------------------------------------

namespace {

constexpr float NoLevel = std::numeric_limits<float>::quiet_NaN();

// A level or load: a number that converts and is finite ("inf", "nan" or a
// value beyond the float range is no level anyone can draw).
void ConvertFinite(RecordFields &f, int i, float *out)
{
    if (!f.Filled(i)) return;
    float v = 0.0f;
    if (ParseFloat(f.Text(i), &v) != 0 || !std::isfinite(v)) {
        ++f.Bad;
        return;
    }
    *out = v;
}

} // namespace

void FFTReceived::Clear()
{
    Channels.clear();
    Channels.shrink_to_fit();
    ChannelCount = 0;
    Version[0] = '\0';
    FftLength = 0;
    FirstBin = 0;
    BinCount = 0;
    Averages = 0;
    ProcessorLoad = 0.0f;
    Gain = 0;
}

int FFTReceived::Parse(const char *line) { return Parse(SentenceLine(line)); }

int FFTReceived::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 9 || !f.Is(0, "DODU") || !(f.Is(1, "FFTA") || f.Is(2, "FFT"))) return 1;
    // The level arrays of the last spectrum are filled again in place: a stream
    // of spectra of one size allocates nothing.
    std::vector<std::vector<float>> arrays;
    arrays.swap(Channels);
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(f.Is(1, "FFTA") ? 2 : 1, Version, rule);

    const bool version10 = strcasecmp(Version, "1.0") == 0 || strcasecmp(Version, "FFT_1.0") == 0;
    const bool version11 = strcasecmp(Version, "1.1") == 0;
    if (!version10 && !version11) return 0;

    f.Convert(3, ParseInt, &FftLength, rule);
    // Bins lie at k x 400/N kHz: a length of 0 (or none) places no bin and the
    // spectrum is drawn empty; a negative one is no length at all.
    if (FftLength < 0) ++f.Bad;
    f.Convert(4, ParseInt, &FirstBin, rule);
    f.Convert(5, ParseInt, &BinCount, rule);
    f.Convert(6, ParseInt, &Averages, rule);
    ConvertFinite(f, 7, &ProcessorLoad);
    f.Convert(8, ParseInt, &Gain, rule);

    int32_t channels = 2;
    int firstValue = 9;
    if (version10) {
        // DSP cycles per second of a 350 MHz processor.
        ProcessorLoad = static_cast<float>(ProcessorLoad * (1.0 / 350000000.0));
    } else {
        channels = 0;
        f.Convert(9, ParseInt, &channels, rule);
        firstValue = 10;
    }
    if (f.Bad != 0 || BinCount == 0 || channels <= 0) return f.Bad;
    if (BinCount < 0) return f.Bad + 1;   // no array has a negative size

    // The line must hold every value before anything is sized by the counts.
    const int64_t needed = static_cast<int64_t>(channels) * BinCount + firstValue;
    if (f.Count() < needed) return f.Bad + 1;

    try {
        arrays.resize(static_cast<size_t>(channels));
        for (std::vector<float> &levels : arrays) levels.assign(static_cast<size_t>(BinCount), NoLevel);
        Channels.swap(arrays);
    } catch (const std::exception &) {   // bad_alloc, length_error
        Channels.clear();
        return f.Bad + 1;
    }
    ChannelCount = channels;
    for (int c = 0; c < channels; ++c) {
        std::vector<float> &levels = Channels[static_cast<size_t>(c)];
        for (int i = 0; i < BinCount; ++i) {
            const int before = f.Bad;
            ConvertFinite(f, firstValue + c * BinCount + i, &levels[static_cast<size_t>(i)]);
            // Version 1.1 stops at the first bad value; 1.0 counts them all.
            if (version11 && f.Bad != before) return f.Bad;
        }
    }
    return f.Bad;
}

// ---------------------------------------------------------------------------
// Spectrum and axes
// ---------------------------------------------------------------------------

bool AxisLimits::SetMin(double value)
{
    if (!(value <= Max)) return false;
    Min = value;
    return true;
}

bool AxisLimits::SetMax(double value)
{
    if (!(value >= Min)) return false;
    Max = value;
    return true;
}

SpectrumView BuildSpectrum(const FFTReceived &fft)
{
    SpectrumView view;
    if (fft.ChannelCount <= 0) return view;
    const float step = fft.FftLength != 0 ? static_cast<float>(FFTReceived::SampleRateKHz) / static_cast<float>(fft.FftLength)
                                          : 0.0f;
    view.Step = step;
    if (step == 0.0f) return view;
    const int drawn = std::min(fft.ChannelCount, 2);
    for (int c = 0; c < drawn; ++c) {
        const std::vector<float> &levels = fft.Channels[static_cast<size_t>(c)];
        std::vector<SpectrumPoint> &line = view.Loop[c];
        line.reserve(levels.size());
        for (size_t i = 0; i < levels.size(); ++i) {
            const float level = levels[i];
            if (std::isnan(level)) continue;   // an empty field: no level for this bin
            const double x = static_cast<double>(static_cast<int64_t>(fft.FirstBin) + static_cast<int64_t>(i)) * step;
            line.push_back({x, level});
            view.Lowest = std::min(view.Lowest, level);
            view.Highest = std::max(view.Highest, level);
        }
    }
    return view;
}

AxisLimits NextLevelAxis(AxisLimits current, float lowest, float highest)
{
    const double low = lowest, high = highest;
    const bool moveMin = low < current.Min || low > current.Min + 10.0;
    const bool moveMax = high > current.Max || high < current.Max - 10.0;
    const double newMin = low - 5.0, newMax = high + 5.0;
    AxisLimits axis = current;
    if (moveMin && newMin > current.Max) {
        if (moveMax) axis.SetMax(newMax);
        axis.SetMin(newMin);
        return axis;
    }
    if (moveMin) axis.SetMin(newMin);
    if (moveMax) axis.SetMax(newMax);
    return axis;
}

AxisLimits NextFrequencyAxis(AxisLimits current, const FFTReceived &fft, double step)
{
    AxisLimits axis = current;
    axis.SetMax(FFTReceived::SampleRateKHz);
    axis.SetMin(static_cast<double>(fft.FirstBin) * step);
    axis.SetMax((static_cast<double>(fft.FirstBin) + static_cast<double>(fft.BinCount)) * step);
    return axis;
}

// ---------------------------------------------------------------------------
// Notch bands
// ---------------------------------------------------------------------------

std::vector<NotchBand> BuildNotchBands(const NotchaRecord &notches)
{
    std::vector<int16_t> cover(NotchGridCells, 0);
    const int count = std::clamp(notches.NumNotches, 0, NotchaRecord::MaxNotches);
    for (int n = 0; n < count; ++n) {
        const double frequency = notches.Notches[n].Frequency;
        const double bandwidth = notches.Notches[n].Bandwidth;
        if (!(frequency > 0.0) || !(bandwidth > 0.0)) continue;
        const double lo = (frequency - 0.5 * bandwidth) * 100.0;
        const double hi = (frequency + 0.5 * bandwidth) * 100.0;
        // Both ends truncate toward zero; the tests are made before converting,
        // so a value far outside (or not a number) is never turned into an int.
        if (!(lo > -1.0) || !(hi < NotchGridCells)) continue;
        const int first = static_cast<int>(lo), last = static_cast<int>(hi);
        for (int j = first; j <= last; ++j) ++cover[static_cast<size_t>(j)];
    }

    std::vector<NotchBand> bands;
    int runStart = 0;
    for (int j = 1; j <= NotchGridCells; ++j) {
        const int before = cover[static_cast<size_t>(j - 1)];
        const int here = j < NotchGridCells ? cover[static_cast<size_t>(j)] : 0;
        if (here == before && j < NotchGridCells) continue;
        if (before > 0) bands.push_back({runStart * 10 * 0.001, j * 10 * 0.001, before});
        runStart = j;
    }
    return bands;
}

uint32_t NotchBandColour(int notches)
{
    // Blue 0x38, red 0; green 0x80, 0xA0, 0xC0, 0xE0 for one to four notches.
    static const uint32_t green[4] = {0x80, 0xA0, 0xC0, 0xE0};
    const int k = std::clamp(notches, 1, 4) - 1;
    return (green[k] << 8) | 0x38;
}

// ---------------------------------------------------------------------------
// Mouse read-out and labels
// ---------------------------------------------------------------------------

MouseReading ReadMouse(double x, double y, const PlotRectangle &plot, const AxisLimits &bottom, const AxisLimits &left)
{
    MouseReading reading;
    const double width = plot.Right - plot.Left, height = plot.Bottom - plot.Top;
    const float kHzPerPixel = width != 0.0 ? static_cast<float>((bottom.Max - bottom.Min) / width) : 0.0f;
    const float dBPerPixel = height != 0.0 ? static_cast<float>((left.Max - left.Min) / height) : 0.0f;
    if (!(x >= plot.Left && x <= plot.Right && y >= plot.Top && y <= plot.Bottom)) return reading;
    reading.Inside = true;
    reading.Frequency = FormatFixed((x - plot.Left) * kHzPerPixel + bottom.Min, 5, 1) + " kHz";
    reading.Level = FormatFixed((plot.Bottom - y) * dBPerPixel + left.Min, 5, 1) + " dB";
    return reading;
}

std::string IntegrationText(const FFTReceived &fft)
{
    const double seconds = static_cast<double>(fft.FftLength) * fft.Averages * FFTReceived::SampleSeconds;
    return std::to_string(fft.Averages) + " * " + std::to_string(fft.FftLength) + " pts FFT (" +
           FormatFixed(seconds, 4, 2) + " s)";
}

std::string GainText(const FFTReceived &fft) { return "Gain set at: " + std::to_string(fft.Gain); }

std::string ProcessorLoadText(const FFTReceived &fft)
{
    return "Processor Load: " + FormatFixed(100.0 * fft.ProcessorLoad, 4, 2) + "%";
}
