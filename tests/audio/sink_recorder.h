// What reaches the test server's null sink, recorded from its monitor with
// parec (48 kHz, mono, signed 16-bit), and what can be measured in it.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class SinkRecorder {
public:
    static constexpr int Rate = 48000;
    using Clock = std::chrono::steady_clock;

    bool Start()
    {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] {
            raw_ += parec_.readAllStandardOutput();
            arrivals_.emplace_back(Clock::now(), raw_.size() / 2);
        });
        parec_.start("parec", {"-d", "test_sink.monitor", "--format=s16le", "--rate=48000", "--channels=1",
                               "--latency-msec=20", "--raw"});
        // The capture may take a while to begin: it has begun once data comes.
        return parec_.waitForStarted(5000) && parec_.waitForReadyRead(10000);
    }
    void Stop()
    {
        parec_.terminate();
        parec_.waitForFinished(5000);
        raw_ += parec_.readAllStandardOutput();
    }
    std::vector<int16_t> Samples() const
    {
        const auto *s = reinterpret_cast<const int16_t *>(raw_.constData());
        return {s, s + raw_.size() / 2};
    }
    // The samples recorded so far at the end no louder than 1000.
    long QuietAtEnd() const
    {
        const auto *s = reinterpret_cast<const int16_t *>(raw_.constData());
        long n = raw_.size() / 2;
        while (n > 0 && std::abs(static_cast<int>(s[n - 1])) <= 1000) --n;
        return raw_.size() / 2 - n;
    }
    // When the data came: arrival, samples so far.
    const std::vector<std::pair<Clock::time_point, long>> &Arrivals() const { return arrivals_; }

private:
    QProcess parec_;
    QByteArray raw_;
    std::vector<std::pair<Clock::time_point, long>> arrivals_;
};

struct Span { long begin = 0, end = 0; double Seconds() const { return double(end - begin) / SinkRecorder::Rate; } };

// Stretches louder than level; quieter runs shorter than bridge samples inside them are bridged.
inline std::vector<Span> LoudSpans(const std::vector<int16_t> &s, int level, long bridge)
{
    std::vector<Span> spans;
    for (long i = 0; i < static_cast<long>(s.size()); ++i) {
        if (std::abs(static_cast<int>(s[i])) <= level) continue;
        if (spans.empty() || i - spans.back().end > bridge) spans.push_back({i, i});
        spans.back().end = i + 1;
    }
    return spans;
}

// The test sink's state as the server reports it: RUNNING, IDLE or SUSPENDED.
inline QString SinkState()
{
    QProcess pactl;
    pactl.start("pactl", {"list", "short", "sinks"});
    if (!pactl.waitForFinished(10000)) return "(pactl did not answer)";
    for (const QByteArray &line : pactl.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 5 && fields[1] == "test_sink") return QString::fromLatin1(fields[4]);
    }
    return "(no test_sink)";
}

// The longest run of samples no louder than level inside the span.
inline long LongestQuiet(const std::vector<int16_t> &s, Span span, int level)
{
    long longest = 0, run = 0;
    for (long i = span.begin; i < span.end; ++i) {
        run = std::abs(static_cast<int>(s[i])) <= level ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The span without its first and last 5 ms: its mean, its RMS, and how much of
// it is a tone of the given frequency (1: all of it), found by correlation in
// windows of 20 ms (a sample lost in the capture only costs its window).
struct Tone { double mean = 0, rms = 0, match = 0; };
inline Tone MeasureTone(const std::vector<int16_t> &s, Span span, double frequency)
{
    const long edge = SinkRecorder::Rate / 200, from = span.begin + edge, to = span.end - edge;
    Tone t;
    std::complex<double> sum = 0;
    double square = 0, found = 0;
    for (long i = from; i < to; ++i) {
        t.mean += s[i];
        square += static_cast<double>(s[i]) * s[i];
        sum += static_cast<double>(s[i]) * std::polar(1.0, -2 * M_PI * frequency * i / SinkRecorder::Rate);
        if ((i - from) % (SinkRecorder::Rate / 50) == 0 || i == to - 1) found += std::abs(std::exchange(sum, 0));
    }
    const double n = static_cast<double>(to - from);
    t.mean /= n;
    t.rms = std::sqrt(square / n);
    t.match = t.rms > 0 ? found / n * std::sqrt(2.0) / t.rms : 0;
    return t;
}

// An AUDIO sentence body with n samples of a sine (at `scale` of the width's full
// scale) continuing from sample `first` of the stream.
inline std::string AudioBody(int period, int bits, double frequency, long first, int n, double scale = 1.0)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const double top = scale * ((1 << (bits - 1)) - 1), rate = 400000.0 / period;
    std::string text;
    uint32_t held = 0;
    int bitsHeld = 0;
    for (long i = first; i < first + n; ++i) {
        const long v = std::lround(top * std::sin(2 * M_PI * frequency * i / rate));
        held = (held << bits) | (static_cast<uint32_t>(v) & ((1u << bits) - 1));
        for (bitsHeld += bits; bitsHeld >= 6; bitsHeld -= 6) text += alphabet[(held >> (bitsHeld - 6)) & 63];
        held &= (1u << bitsHeld) - 1;
    }
    if (bitsHeld > 0) text += alphabet[(held << (6 - bitsHeld)) & 63];
    return "DODU,LOOP1,AUDIO," + std::to_string(period) + "," + std::to_string(bits) + "," + text;
}
