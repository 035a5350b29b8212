// Any line through every sentence record (the GPS board's # logs too), raw and
// with a correct checksum added: no crash, and the counts a window sizes itself
// by stay within their arrays.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "logs/dasfa.h"
#include "logs/gpgga.h"
#include "logs/gpposa.h"
#include "logs/hdgla.h"
#include "logs/inposa.h"
#include "logs/lcposa.h"
#include "logs/notcha.h"
#include "logs/ptnta.h"
#include "logs/record_support.h"
#include "logs/synca.h"
#include "logs/toaa.h"
#include "plots/audio.h"
#include "plots/dlora.h"
#include "plots/fft.h"
#include "plots/hdga.h"
#include "plots/psrposa.h"

static void Require(bool ok)
{
    if (!ok) std::abort();
}

static void Check(const char *line, LcposaKindEpochs &epochs)
{
    ToaaRecord toaa;
    if (toaa.Parse(line) == 0) Require(toaa.StationCount >= 0 && toaa.StationCount <= ToaaRecord::MaxStations);
    DasfaRecord dasfa;
    if (dasfa.Parse(line) == 0) {
        Require(dasfa.StationCount >= 0 && dasfa.StationCount <= DasfaRecord::MaxStations);
        FormatReceiverTime(dasfa.Time, dasfa.Date, dasfa.TimeSource);
    }
    GpggaRecord gpgga;
    if (gpgga.Parse(line) == 0) gpgga.ToDegrees();
    GpposaRecord gpposa;
    if (gpposa.Parse(line) == 0) FormatReceiverTime(gpposa.Time, gpposa.Date, gpposa.TimeSource);
    InposaRecord inposa;
    if (inposa.Parse(line) == 0) FormatReceiverTime(inposa.Time, inposa.Date, inposa.TimeSource);
    SyncaRecord synca;
    if (synca.Parse(line) == 0) synca.SourceText();
    HdglaRecord hdgla;
    if (hdgla.Parse(line) == 0) {
        Require(hdgla.StationCount >= 0 && hdgla.StationCount <= HdglaRecord::MaxStations);
        for (int i = 0; i < hdgla.StationCount; ++i) hdgla.Stations[i].Residual();
    }
    NotchaRecord notcha;
    if (notcha.Parse(line) == 0) {
        Require(notcha.BoundedActiveNotches() >= 0 && notcha.BoundedActiveNotches() <= NotchaRecord::MaxNotches);
        Require(notcha.ListedNotches().size() <= static_cast<size_t>(NotchaRecord::MaxNotches));
        for (const NotchBand &band : BuildNotchBands(notcha)) Require(band.From >= 0.0 && band.To <= 200.0 + 1e-9);
    }
    FFTReceived fft;
    if (fft.Parse(line) == 0) {
        Require(fft.ChannelCount >= 0 && static_cast<size_t>(fft.ChannelCount) == fft.Channels.size());
        for (const auto &levels : fft.Channels) Require(levels.size() == static_cast<size_t>(fft.BinCount));
        SpectrumView view = BuildSpectrum(fft);
        AxisLimits level = NextLevelAxis({0.0, 100.0}, view.Lowest, view.Highest);
        AxisLimits frequency = NextFrequencyAxis({0.0, 200.0}, fft, view.Step);
        Require(level.Min <= level.Max && frequency.Min <= frequency.Max);
        IntegrationText(fft);
        ProcessorLoadText(fft);
    }
    PtntaRecord ptnta;
    if (ptnta.Parse(line) == 0) ptnta.QualityText();
    LcrsdaRecord lcrsda;
    if (lcrsda.Parse(line) == 0)
        Require(lcrsda.StoredStations() >= 0 && lcrsda.StoredStations() <= LcrsdaRecord::MaxStations);
    AUDIOReceived audio;
    if (audio.Parse(line) == 0) {
        Require(audio.bitsPerSample >= 1 && audio.bitsPerSample <= 16 && audio.samplePeriod >= 1);
        Require(audio.byteCount == static_cast<int32_t>(audio.samples.size()));
        const int32_t half = 1 << (audio.bitsPerSample - 1);
        for (int32_t i = 0; i < audio.SampleCount(); ++i)
            Require(audio.SampleValue(i) >= -half && audio.SampleValue(i) < half);
    }
    DloraRecord dlora;
    if (dlora.Parse(line) == 0) {
        Require(dlora.StationCount >= 0 && dlora.StationCount <= DloraRecord::MaxStations);
        dlora.SecondsOfDay();
    }
    HdgaRecord hdga;
    if (hdga.Parse(line) == 0) Require(std::strlen(hdga.Version) < sizeof hdga.Version);
    PsrposaRecord psrposa;
    if (psrposa.Parse(line) == 0) {
        Require(std::strlen(psrposa.PositionType) < sizeof psrposa.PositionType);
        if (psrposa.HasSolution()) psrposa.GpsSince1970();
    }
    epochs.AddLine(line);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string body(reinterpret_cast<const char *>(data), size);
    body = body.c_str();   // the router hands lines without NULs
    static LcposaKindEpochs epochs = [] {
        LcposaKindEpochs e;
        for (char k : {'A', 'C', 'D', 'G', 'S'}) e.Accept(k);
        return e;
    }();
    Check(body.c_str(), epochs);
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    std::string line = "$" + body + sum;
    Check(line.c_str(), epochs);
    return 0;
}
