// The program as a user leaves it running: every window open, the bundled
// sample replayed through the data-source window at 24 and at 500 lines/s, on
// the offscreen platform. Two runs per rate:
//  - plain: CPU seconds per wall second and lines delivered per second (the
//    recording counts them, as it counts every line);
//  - probed: the longest stall of the GUI thread (a 1 ms timer's worst gap) and
//    the time from a TOAA line's arrival to its time on the TOAA window's label
//    (which is painted in the same turn of the event loop), both seen by that timer.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "app/forms.h"
#include "app/mainform.h"
#include "link/datasource.h"
#include "logs/toaaform.h"
#include "platform/notifier.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_toaaform.h"

namespace {

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Session {
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};

    Session()
    {
        Notifier::SetSink([](const QString &, const QString &) {});
        CreateForms();
        MainForm->show();
        for (QAction *item : MainForm->ui->View1->actions())
            if (item->isCheckable() && !item->isChecked()) item->trigger();
        MainForm->WindowTileHorizontal1Execute();   // side by side: each can be drawn
        DataSourceForm->show();
        MainForm->SaveDialog1.FileName = dir.filePath("recorded.txt");
        MainForm->StartRecording(true);
    }
    ~Session()
    {
        MainForm->StopRecording(true);
        DestroyForms();
        Notifier::SetSink({});
    }
    void Replay(int linesPerSecond)
    {
        DataSourceForm->RadioFileClick(nullptr);
        DataSourceForm->OpenDialog1.FileName = KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log";
        DataSourceForm->ui->Edit1->setText(QString::number(linesPerSecond));
        DataSourceForm->Button4Click();
        DataSourceForm->Button1Click(DataSourceForm->ui->Button1);
    }
    qint64 RecordedLines()
    {
        fflush(nullptr);
        QFile f(dir.filePath("recorded.txt"));
        if (!f.open(QIODevice::ReadOnly)) return 0;
        return f.readAll().count('\n');
    }
};

constexpr int RunMs = 10000;

void BM_EveryWindowReplay(benchmark::State &state)
{
    const int rate = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Session session;
        RunEventLoop(500);   // the windows settle
        if (rate > 0) session.Replay(rate);   // 0: every window open, nothing arriving
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        RunEventLoop(RunMs);
        const double cpu = CpuSeconds() - cpu0;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        state.counters["cpu_%"] = 100.0 * cpu / seconds;
        state.counters["lines/s"] = static_cast<double>(session.RecordedLines()) / seconds;
    }
}
BENCHMARK(BM_EveryWindowReplay)->Arg(0)->Arg(24)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_EveryWindowReplayProbed(benchmark::State &state)
{
    const int rate = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Session session;
        RunEventLoop(500);
        QElapsedTimer clock;
        clock.start();
        QLabel *label = TOAAForm->ui->TimeLabel;
        QString shown = label->text();
        std::vector<qint64> arrivals;   // ms, not yet on the label
        std::vector<double> l;          // ms from arrival to the label
        std::string lastToaa = MainForm->LastLine(SentenceType::Toaa);
        qint64 previous = clock.elapsed(), worst = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - previous);
            previous = now;
            if (MainForm->LastLine(SentenceType::Toaa) != lastToaa) {
                lastToaa = MainForm->LastLine(SentenceType::Toaa);
                arrivals.push_back(now);
            }
            if (label->text() != shown) {
                shown = label->text();
                for (qint64 t : arrivals) l.push_back(static_cast<double>(now - t));
                arrivals.clear();
            }
        });
        session.Replay(rate);
        probe.start(1);
        RunEventLoop(RunMs / 2);
        probe.stop();
        std::sort(l.begin(), l.end());
        state.SetIterationTime(static_cast<double>(clock.elapsed()) * 1e-3);
        state.counters["stall_max_ms"] = static_cast<double>(worst);
        state.counters["drawn"] = static_cast<double>(l.size());
        state.counters["latency_median_ms"] = l.empty() ? -1.0 : l[l.size() / 2];
        state.counters["latency_max_ms"] = l.empty() ? -1.0 : l.back();
    }
}
BENCHMARK(BM_EveryWindowReplayProbed)->Arg(24)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
