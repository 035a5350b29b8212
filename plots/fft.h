// The receiver's spectrum of its two H-field loop antennas (FFTA) and what the
// FFT window computes from it and from the notch filters (NOTCHA): the notch
// bands, the axis limits of a new spectrum and the mouse read-out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sentence/splitters.h"

struct NotchaRecord;

// An FFTA spectrum sentence (current or older form).
bool IsFft(const NovatelLogClass &log);

// One FFTA sentence. Two address forms:
//   DODU,FFTA,version,...   and   DODU,version,FFT,...
// then FFT length, first bin, bin count, averages, processor load, gain and the
// levels (dB): version "1.0" / "FFT_1.0" two channels of bin-count values from
// field 9 (field 7 in DSP cycles per second of a 350 MHz processor); version
// "1.1" a channel count in field 9 and the channels from field 10 (field 7
// already a fraction). Any other version carries no values we read.
class FFTReceived {
public:
    static constexpr double SampleRateKHz = 400.0;
    static constexpr double SampleSeconds = 2.5e-6;

    char Version[20];
    int32_t FftLength = 0;        // samples; 0 (or an empty field) places no bin, a negative one is bad
    int32_t FirstBin = 0;
    int32_t BinCount = 0;
    int32_t Averages = 0;
    float ProcessorLoad = 0.0f;   // fraction, 1.0 = 100 %
    int32_t Gain = 0;
    // ChannelCount arrays of BinCount levels (dB). A bin whose field was empty
    // holds NaN: it has no level and is not drawn.
    std::vector<std::vector<float>> Channels;
    int32_t ChannelCount = 0;

    FFTReceived() { Clear(); }
    void Clear();
    // 1 when the line is no FFT sentence (or has fewer than 9 fields), else the
    // number of bad fields (0: good). Value fields are read only when the line
    // holds all of them, so no count in a line sizes more than the line carries.
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};

// An axis as the charting library keeps it: a minimum above the maximum, or a
// maximum below the minimum, is refused and leaves the axis as it was.
struct AxisLimits {
    double Min = 0.0;
    double Max = 0.0;
    bool SetMin(double value);
    bool SetMax(double value);
};

// The spectrum series of a good FFT sentence and what the axes need of it.
struct SpectrumPoint {
    double x;   // kHz
    double y;   // dB
};
struct SpectrumView {
    double Step = 0.0;                      // kHz per bin; 0 when the FFT length is 0
    std::vector<SpectrumPoint> Loop[2];     // loop 1 and loop 2 (the latter only with 2+ channels)
    float Lowest = 100.0f;                  // tracked over the drawn channels, starting at 100 dB
    float Highest = 0.0f;                   // ... and at 0 dB
    size_t PointCount() const { return Loop[0].size() + Loop[1].size(); }
};
SpectrumView BuildSpectrum(const FFTReceived &fft);

// The level axis after a new spectrum: a minimum of lowest - 5 when the lowest
// level lies below the current minimum or more than 10 dB above it, a maximum of
// highest + 5 when the highest lies above the current maximum or more than 10 dB
// below it; the minimum is set first unless it lies above the current maximum.
AxisLimits NextLevelAxis(AxisLimits current, float lowest, float highest);
// The frequency axis after a new spectrum: maximum 400, then minimum
// first bin x step, then maximum (first bin + bin count) x step.
AxisLimits NextFrequencyAxis(AxisLimits current, const FFTReceived &fft, double step);

// The notch bands of a NOTCHA record on a grid of 10 Hz from 0 to 200 kHz: each
// band is a run of grid cells covered by the same number of notches (at least
// one). A notch reaching outside 0 .. 199.99 kHz is left out whole.
struct NotchBand {
    double From = 0.0;   // kHz
    double To = 0.0;     // kHz
    int Notches = 0;     // how many notches cover it
};
constexpr int NotchGridCells = 20000;
constexpr double NotchGridKHz = 0.01;
std::vector<NotchBand> BuildNotchBands(const NotchaRecord &notches);
// The colour of a band covered by that many notches, as 0xRRGGBB: a green that
// brightens from one to four notches; more than four share the brightest.
uint32_t NotchBandColour(int notches);

// The frequency and level under the mouse at (x, y) in a plotting rectangle
// showing the given axis ranges; empty texts when the point lies outside it
// (edges belong to it).
struct PlotRectangle {
    double Left, Top, Right, Bottom;
};
struct MouseReading {
    bool Inside = false;
    std::string Frequency;   // "123.4 kHz"
    std::string Level;       // "56.7 dB"
};
MouseReading ReadMouse(double x, double y, const PlotRectangle &plot, const AxisLimits &bottom, const AxisLimits &left);

// The texts of the window's labels for a good spectrum.
std::string IntegrationText(const FFTReceived &fft);
std::string GainText(const FFTReceived &fft);
std::string ProcessorLoadText(const FFTReceived &fft);
