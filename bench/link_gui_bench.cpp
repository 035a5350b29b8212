// The serial road end to end: bytes written at a pseudo-terminal's master go
// through the port, the polling worker, the hand-over to the GUI thread, the
// drain and the data-source window to the main window's router.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <thread>

#include "../tests/core/pty_pair.h"
#include "app/application.h"
#include "app/forms.h"
#include "app/mainform.h"
#include "link/datasource.h"
#include "platform/notifier.h"
#include "platform/settings.h"
#include "ui_datasource.h"

namespace {

std::string Gpgga(const std::string &body)
{
    std::string text = "GPGGA," + body;
    unsigned x = 0;
    for (unsigned char c : text) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X", x);
    return "$" + text + sum;
}

// The program's windows on the offscreen platform, connected to COM1 -> a pty.
struct SerialRoad {
    QTemporaryDir settings{QDir::tempPath() + "/kavu-XXXXXX"};
    PtyPair pty;

    SerialRoad()
    {
        static int argc = 1;
        static char name[] = "kavu_bench";
        static char *argv[] = {name, nullptr};
        if (!QApplication::instance()) {
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            new KavuApplication(argc, argv);
        }
        Notifier::SetSink([](const QString &, const QString &) {});
        SettingsStore::SetFilePathForTesting(settings.filePath("Dravelon/KAVUAnalyser.ini"));
        QString ports = SettingsStore::Folder() + "/ports";
        QDir().mkpath(ports);
        QFile::link(QString::fromStdString(pty.SlaveName()), ports + "/com1");
        CreateForms();
        DataSourceForm->ui->ComboBox2->setCurrentText("115200");
        DataSourceForm->Button1Click(nullptr);
    }
    ~SerialRoad()
    {
        DestroyForms();
        Notifier::SetSink({});
    }
    bool Connected() const { return DataSourceForm && DataSourceForm->Connected; }

    // Runs the event loop until done (or 60 s passed).
    static bool Until(const std::function<bool()> &done)
    {
        QEventLoop loop;
        QTimer check;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (done() || clock.elapsed() > 60000) loop.quit();
        });
        check.start(1);
        if (!done()) loop.exec();
        return done();
    }
};

void BM_PtyToRouterThroughput(benchmark::State &state)
{
    SerialRoad road;
    if (!road.Connected()) {
        state.SkipWithError("cannot connect to the pty");
        return;
    }
    const size_t size = static_cast<size_t>(state.range(0));
    int round = 0;
    for (auto _ : state) {
        std::string marker = Gpgga("end" + std::to_string(round++));
        std::string stream = SentenceStream(size, static_cast<unsigned>(round)) + "\r\n" + marker + "\r\n";
        std::thread writer([&] { road.pty.Write(stream); });
        bool arrived = SerialRoad::Until([&] { return MainForm->LastLine(SentenceType::Gpgga) == marker; });
        writer.join();
        if (!arrived) {
            state.SkipWithError("the stream did not arrive");
            break;
        }
        state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(stream.size()));
    }
}
BENCHMARK(BM_PtyToRouterThroughput)->Arg(120000)->Arg(1 << 20)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The GUI thread's share of one chunk: the hand-over's append to the receive
// buffer, then the drain that takes it down the road to the router.
void BM_SerialChunkOnGuiThread(benchmark::State &state)
{
    SerialRoad road;
    const std::string chunk = SentenceStream(static_cast<size_t>(state.range(0)), 7);
    for (auto _ : state) {
        DataSourceForm->OnSerialData(chunk.data(), static_cast<int>(chunk.size()));
        DataSourceForm->Timer2Timer();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(chunk.size()));
}
BENCHMARK(BM_SerialChunkOnGuiThread)->Arg(1024)->Arg(32768)->Unit(benchmark::kMicrosecond);

// A line written at a random moment of the 100 ms poll: the time until the router has it.
void BM_PtyToRouterLatency(benchmark::State &state)
{
    SerialRoad road;
    if (!road.Connected()) {
        state.SkipWithError("cannot connect to the pty");
        return;
    }
    std::mt19937 rng(5);
    int round = 0;
    double worst = 0.0, best = 1e9;
    for (auto _ : state) {
        std::string line = Gpgga("latency" + std::to_string(round++));
        QElapsedTimer wait;
        wait.start();
        const qint64 phase = static_cast<qint64>(rng() % 100);
        SerialRoad::Until([&] { return wait.elapsed() >= phase; });
        auto start = std::chrono::steady_clock::now();
        road.pty.Write(line + "\r\n");
        bool arrived = SerialRoad::Until([&] { return MainForm->LastLine(SentenceType::Gpgga) == line; });
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!arrived) {
            state.SkipWithError("the line did not arrive");
            break;
        }
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds);
        best = std::min(best, seconds);
    }
    state.counters["min_ms"] = best * 1000.0;
    state.counters["max_ms"] = worst * 1000.0;
}
BENCHMARK(BM_PtyToRouterLatency)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
