// Loran sound played for real: five blocks of 8 kHz 8-bit AUDIO lines sent at
// the playback rate through the router, recorded from a PulseAudio null sink
// (a private server is started when PULSE_SERVER is not set). Reports the
// longest gap in the sound and the mean and longest time from the line that
// completes a block to the start of its sound (the capture's own delay, about
// 20 ms, included). range(0): milliseconds of every 100 the GUI thread is kept busy.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/forms.h"
#include "app/mainform.h"
#include "platform/waveoutput.h"
#include "plots/loransound.h"
#include "sentence_text.h"
#include "sink_recorder.h"
#include "ui_loransound.h"
#include "ui_mainform.h"

namespace {

// About when sample i was captured: its chunk's arrival, less what followed it there.
SinkRecorder::Clock::time_point Heard(const SinkRecorder &recorder, long i)
{
    for (const auto &[at, total] : recorder.Arrivals())
        if (total > i) return at - std::chrono::microseconds((total - i) * 1000000 / SinkRecorder::Rate);
    return SinkRecorder::Clock::now();
}

// The test server, when the environment names none.
struct PulseServer {
    QTemporaryDir dir{"/tmp/kavu-bench-pulse-XXXXXX"};
    bool started = false;
    PulseServer()
    {
        if (qEnvironmentVariableIsSet("PULSE_SERVER")) return;
        started = QProcess::execute(KAVU_SOURCE_DIR "/tools/pulse_start.sh", {dir.path()}) == 0;
        qputenv("PULSE_SERVER", ("unix:" + dir.path() + "/native").toUtf8());
    }
    ~PulseServer()
    {
        if (started) QProcess::execute(KAVU_SOURCE_DIR "/tools/pulse_start.sh", {dir.path(), "stop"});
    }
};

void BM_LoranSoundStream(benchmark::State &state)
{
    static PulseServer server;
    if (QMediaDevices::audioOutputs().isEmpty()) {
        state.SkipWithError("no audio server");
        return;
    }
    constexpr int kLine = 256, kPerBlock = 4096 / kLine, kLines = 5 * kPerBlock;
    const int load = static_cast<int>(state.range(0));
    double gapMs = 0, meanMs = 0, worstMs = 0;
    for (auto _ : state) {
        CreateForms();
        MainForm->ui->LoranSound1->trigger();
        LoranSoundForm->ui->Button2->click();
        SinkRecorder recorder;
        recorder.Start();
        QTest::qWait(300);
        std::vector<SinkRecorder::Clock::time_point> completed;
        int fed = 0;
        QElapsedTimer clock, busy;
        clock.start();
        busy.start();
        QTimer pace;
        QObject::connect(&pace, &QTimer::timeout, [&] {
            for (; fed < kLines && clock.elapsed() >= (fed + 1) * kLine / 8; ++fed) {
                MainForm->ReceiveData(QByteArray::fromStdString(Sentence(AudioBody(50, 8, 440, fed * kLine, kLine, 0.8)) + "\r\n"));
                if ((fed + 1) % kPerBlock == 0) completed.push_back(SinkRecorder::Clock::now());
            }
            if (busy.elapsed() < 100) return;
            busy.start();
            while (busy.elapsed() < load) {
            }
        });
        pace.start(5);
        if (!QTest::qWaitFor([&] { return fed == kLines; }, 20000) ||
            !QTest::qWaitFor([] { return GetFreeWaveBlocks() == GetWaveBlockCount(); }, 10000))
            state.SkipWithError("the sound did not end");
        QTest::qWait(300);
        recorder.Stop();
        DestroyForms();

        const std::vector<int16_t> s = recorder.Samples();
        const std::vector<Span> spans = LoudSpans(s, 1000, SinkRecorder::Rate / 200);
        if (spans.empty()) {
            state.SkipWithError("nothing was heard");
            return;
        }
        const Span all{spans.front().begin, spans.back().end};
        gapMs = LongestQuiet(s, all, 1000) * 1000.0 / SinkRecorder::Rate;
        worstMs = meanMs = 0;
        // Block k begins k blocks after the first sound (as it does in a seamless stream).
        for (size_t k = 0; k < completed.size(); ++k) {
            const long start = all.begin + static_cast<long>(k) * 4096 * (SinkRecorder::Rate / 8000);
            const double ms = std::chrono::duration<double, std::milli>(Heard(recorder, start) - completed[k]).count();
            meanMs += ms / static_cast<double>(completed.size());
            worstMs = std::max(worstMs, ms);
        }
    }
    state.counters["longest_gap_ms"] = gapMs;
    state.counters["mean_latency_ms"] = meanMs;
    state.counters["max_latency_ms"] = worstMs;
}
BENCHMARK(BM_LoranSoundStream)->Arg(0)->Arg(40)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
