// What reaches the test server's null sink, recorded from its monitor with
// parec (48 kHz, mono, signed 16-bit), and the tones found in it.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

class SinkRecorder {
public:
    static constexpr int Rate = 48000;

    bool Start()
    {
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] { raw_ += parec_.readAllStandardOutput(); });
        parec_.start("parec", {"-d", "test_sink.monitor", "--format=s16le", "--rate=48000", "--channels=1",
                               "--latency-msec=20", "--raw"});
        return parec_.waitForStarted(5000);
    }
    void Stop()
    {
        if (parec_.state() == QProcess::NotRunning) return;
        parec_.terminate();
        if (!parec_.waitForFinished(5000)) parec_.kill();
        raw_ += parec_.readAllStandardOutput();
    }
    ~SinkRecorder()
    {
        Stop();
    }

    std::vector<int16_t> Samples() const
    {
        std::vector<int16_t> s(static_cast<size_t>(raw_.size() / 2));
        if (!s.empty()) std::memcpy(s.data(), raw_.constData(), s.size() * 2);
        return s;
    }

    // Sound above `level`: total duration in seconds of the stretches where
    // the signal is louder than level, gaps shorter than 5 ms bridged.
    struct Tone {
        double seconds = 0;
        int stretches = 0;
        int peak = 0;
        double frequency = 0;   // from the zero crossings inside the stretches
    };
    Tone Find(int level = 1000) const
    {
        const std::vector<int16_t> s = Samples();
        Tone t;
        const long gap = Rate / 200;
        long start = -1, last = -1, inside = 0, crossings = 0;
        auto close = [&] {
            if (start < 0) return;
            inside += last - start + 1;
            ++t.stretches;
            for (long i = start + 1; i <= last; ++i)
                if ((s[i - 1] < 0) != (s[i] < 0)) ++crossings;
        };
        for (long i = 0; i < static_cast<long>(s.size()); ++i) {
            const int v = std::abs(static_cast<int>(s[i]));
            if (v > t.peak) t.peak = v;
            if (v <= level) continue;
            if (start >= 0 && i - last > gap) {
                close();
                start = -1;
            }
            if (start < 0) start = i;
            last = i;
        }
        close();
        t.seconds = static_cast<double>(inside) / Rate;
        if (inside > 0) t.frequency = crossings / 2.0 / t.seconds;
        return t;
    }

private:
    QProcess parec_;
    QByteArray raw_;
};
