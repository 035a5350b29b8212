// The program as a user leaves it running, a simulator log replayed through the
// data-source window at 24 and at 500 lines/s, with either every window a user
// opens (the log windows, the monitor, the TD plot, the position plot, the FFT
// spectrum, the Eurofix view, the compass and the Loran sound window with sound
// enabled) or only the main window and the monitor. Each result is labelled
// with the platform it ran on: "xcb" is what the user runs (the script
// bench/session_x.sh starts Xvfb and the test audio server for it), "offscreen"
// draws into memory only. Two runs per case:
//  - plain: CPU seconds per wall second of the program and of the X server (its
//    process id in KAVU_XSERVER_PID), lines delivered per second (the recording
//    counts them, as it counts every line), the resident size and the growth
//    of it and of the heap over the run;
//  - probed: the longest stall of the GUI thread (a 1 ms timer's worst gap) and
//    the time from a TOAA line's arrival to its time on the TOAA window's label
//    (which is painted in the same turn of the event loop), both seen by that timer.
// KAVU_SESSION_LOG names the log (bench/session_x.sh makes a 30-minute one;
// without it the bundled 10-minute sample, about 28 s at 500 lines/s);
// KAVU_SESSION_SECONDS sets the length of a plain run (default 10 s, 60 s from
// bench/session_x.sh; a probed run takes half of it); KAVU_SESSION_RSS_EVERY=N
// follows the resident size over a plain run; KAVU_SESSION_SHOT=/dir/%1.png
// saves the screen at the end of each plain run; KAVU_SESSION_TD_STATIONS=1
// shows every station on the TD plot (as a user who reads it would) before a
// plain run with every window measures.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/mainform.h"
#include "link/datasource.h"
#include "logs/toaaform.h"
#include "platform/notifier.h"
#include "plots/eurofixform.h"
#include "plots/fftplot.h"
#include "plots/headingform.h"
#include "plots/loransound.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
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

// CPU seconds the X server has used, from /proc (-1 without one).
double XServerCpuSeconds()
{
    const QByteArray pid = qgetenv("KAVU_XSERVER_PID");
    if (pid.isEmpty()) return -1;
    QFile stat("/proc/" + pid + "/stat");
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command (which may hold spaces): state is field 3, utime 14, stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return -1;
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks;
}

// The bytes the heap has handed out and not taken back (glibc's count, the
// large blocks it maps on their own included).
double HeapMegabytes()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

double ResidentMegabytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return 0;
    return fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QString ReplayedLog()
{
    const QString log = qEnvironmentVariable("KAVU_SESSION_LOG");
    return log.isEmpty() ? QStringLiteral(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log") : log;
}

// With KAVU_SESSION_RSS_EVERY=N, a plain run prints "rss <case> <seconds> <MB>
// heap <MB>" to standard error every N seconds: the resident size and what the
// heap holds, to follow both over a long run.
int RssEveryMs()
{
    return 1000 * std::max(0, qEnvironmentVariableIntValue("KAVU_SESSION_RSS_EVERY"));
}

int RunMs()
{
    const int seconds = qEnvironmentVariableIntValue("KAVU_SESSION_SECONDS");
    return 1000 * (seconds > 0 ? seconds : 10);
}

void Label(benchmark::State &state, bool every)
{
    state.SetLabel(QGuiApplication::platformName().toStdString() + (every ? ", every window" : ", main window and monitor"));
}

// Rows of windows left to right, none over another where the area has room
// (the bench script's screen has). The Eurofix view widens as stations come in.
void PlaceSideBySide(const std::vector<QWidget *> &windows, const QRect &area)
{
    constexpr int Gap = 8;
    int x = area.left(), y = area.top(), rowHeight = 0;
    for (QWidget *w : windows) {
        const QSize size = w->frameGeometry().size().expandedTo(w->size());
        const int width = w == EurofixForm ? std::max(size.width(), 760) : size.width();
        if (x > area.left() && x + width > area.right()) {
            x = area.left();
            y += rowHeight + Gap;
            rowHeight = 0;
        }
        w->move(x, y);
        x += width + Gap;
        rowHeight = std::max(rowHeight, size.height());
    }
}

void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Session {
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};

    // every: every window a user opens; otherwise the main window and the monitor.
    explicit Session(bool every)
    {
        Notifier::SetSink([](const QString &, const QString &) {});
        CreateForms();
        // The frame takes the left half of the screen, the other windows the right.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        MainForm->setGeometry(0, 0, screen.width() / 2, screen.height());
        MainForm->show();
        std::vector<QWidget *> windows;
        if (every) {
            for (QAction *item : MainForm->ui->View1->actions())
                if (item->isCheckable() && !item->isChecked()) item->trigger();
            MainForm->WindowTileHorizontal1Execute();   // side by side: each can be drawn
            if (LoranSoundForm && !LoranSoundForm->SoundEnabled()) LoranSoundForm->Button2Click();
            for (QAction *item : {MainForm->ui->PositionPlot1, MainForm->ui->FFTplot1, MainForm->ui->TDPlot1,
                                  MainForm->ui->EurofixData1, MainForm->ui->HDGA1})
                item->trigger();
            windows = {PositionForm, FFTForm, TDForm, EurofixForm, HeadingForm};
        } else {
            for (QAction *item : MainForm->ui->View1->actions())
                if (item->isCheckable() && item->isChecked()) item->trigger();
            MainForm->ui->SerialMonitor1->trigger();
            MainForm->WindowTileHorizontal1Execute();
        }
        DataSourceForm->show();
        windows.push_back(DataSourceForm);
        PlaceSideBySide(windows, QRect(screen.width() / 2, 0, screen.width() / 2, screen.height()));
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
        DataSourceForm->OpenDialog1.FileName = ReplayedLog();
        DataSourceForm->ui->Edit1->setText(QString::number(linesPerSecond));
        DataSourceForm->Button4Click();
        DataSourceForm->Button1Click(DataSourceForm->ui->Button1);
    }
    qint64 RecordedLines()
    {
        fflush(nullptr);
        QFile f(dir.filePath("recorded.txt"));
        if (!f.open(QIODevice::ReadOnly)) return 0;
        // In pieces: the whole file at once would take as much memory as the run.
        qint64 lines = 0;
        while (!f.atEnd()) lines += f.read(1 << 16).count('\n');
        return lines;
    }
};

// Arguments: lines per second (0: nothing arriving), 1 for every window or 0
// for the main window and the monitor.
void BM_EveryWindowReplay(benchmark::State &state)
{
    const int rate = static_cast<int>(state.range(0));
    const bool every = state.range(1) != 0;
    Label(state, every);
    for (auto _ : state) {
        Session session(every);
        RunEventLoop(500);   // the windows settle
        if (rate > 0) session.Replay(rate);
        if (rate > 0 && every && qEnvironmentVariableIsSet("KAVU_SESSION_TD_STATIONS")) {
            RunEventLoop(1500);   // the stations of the sample have come in
            TDForm->ViewAll1Click();
        }
        const double cpu0 = CpuSeconds(), x0 = XServerCpuSeconds();
        const double rss0 = ResidentMegabytes(), heap0 = HeapMegabytes();
        QElapsedTimer wall;
        wall.start();
        QTimer rssSampler;
        if (RssEveryMs() > 0) {
            const std::string name = std::to_string(rate) + (every ? "/every" : "/monitor");
            QObject::connect(&rssSampler, &QTimer::timeout, [&wall, name] {
                fprintf(stderr, "rss %s %.0f %.1f heap %.1f\n", name.c_str(), static_cast<double>(wall.elapsed()) * 1e-3,
                        ResidentMegabytes(), HeapMegabytes());
            });
            fprintf(stderr, "rss %s 0 %.1f heap %.1f\n", name.c_str(), rss0, heap0);
            rssSampler.start(RssEveryMs());
        }
        RunEventLoop(RunMs());
        rssSampler.stop();
        const double cpu = CpuSeconds() - cpu0, x = XServerCpuSeconds() - x0;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        state.counters["cpu_%"] = 100.0 * cpu / seconds;
        state.counters["x_cpu_%"] = x0 < 0 ? -1.0 : 100.0 * x / seconds;
        const double rss = ResidentMegabytes();
        state.counters["rss_MB"] = rss;
        state.counters["rss_growth_MB"] = rss - rss0;
        // What the program holds on to; the resident size also keeps freed pages the heap has not given back.
        state.counters["heap_growth_MB"] = HeapMegabytes() - heap0;
        state.counters["lines/s"] = static_cast<double>(session.RecordedLines()) / seconds;
        // A picture of the screen at the end of the run, to see what was drawn.
        const QString shot = qEnvironmentVariable("KAVU_SESSION_SHOT");
        if (!shot.isEmpty() && QGuiApplication::primaryScreen())
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                shot.arg(QString::number(rate) + (every ? "-every" : "-monitor")));
    }
}
BENCHMARK(BM_EveryWindowReplay)
    ->Args({0, 1})->Args({24, 1})->Args({500, 1})->Args({0, 0})->Args({24, 0})->Args({500, 0})
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_EveryWindowReplayProbed(benchmark::State &state)
{
    const int rate = static_cast<int>(state.range(0));
    const bool every = state.range(1) != 0;
    Label(state, every);
    for (auto _ : state) {
        Session session(every);
        RunEventLoop(500);
        QElapsedTimer clock;
        clock.start();
        // Without the TOAA window only the stall is measured.
        QLabel *label = TOAAForm ? TOAAForm->ui->TimeLabel : nullptr;
        QString shown = label ? label->text() : QString();
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
            if (label && label->text() != shown) {
                shown = label->text();
                for (qint64 t : arrivals) l.push_back(static_cast<double>(now - t));
                arrivals.clear();
            }
        });
        session.Replay(rate);
        probe.start(1);
        RunEventLoop(RunMs() / 2);
        probe.stop();
        std::sort(l.begin(), l.end());
        state.SetIterationTime(static_cast<double>(clock.elapsed()) * 1e-3);
        state.counters["stall_max_ms"] = static_cast<double>(worst);
        state.counters["drawn"] = static_cast<double>(l.size());
        state.counters["latency_median_ms"] = l.empty() ? -1.0 : l[l.size() / 2];
        state.counters["latency_max_ms"] = l.empty() ? -1.0 : l.back();
    }
}
BENCHMARK(BM_EveryWindowReplayProbed)
    ->Args({24, 1})->Args({500, 1})->Args({24, 0})->Args({500, 0})
    ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
