// The position plot on the GUI thread: the bundled sample through the router,
// and a day of one-second solutions (GPS, integrated and three eLoran kinds)
// with "Max number of points" at 86,400, the window shown and the event loop
// running between seconds as the link delivers them. Reports the GUI time per
// line or per second of data, the memory the run added, and the time of one
// full redraw of five day-long tracks. (main() is the TD plot benchmark's.)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/forms.h"
#include "app/mainform.h"
#include "plots/positionform.h"
#include "ui_positionform.h"

namespace {

constexpr int SecondsPerDay = 86400;

double StatusMB(const char *key)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f) return 0.0;
    char line[256];
    double kb = 0.0;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0) kb = std::atof(line + n + 1);
    std::fclose(f);
    return kb / 1024.0;
}

std::string Checksummed(const std::string &body)
{
    unsigned sum = 0;
    for (unsigned char c : body) sum ^= c;
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// One second of a receiver driving slowly around 52 N 4 E: GPS, integrated and
// the three plotted eLoran solutions, each with its own noise.
class SolutionStream {
public:
    std::string Second(int t)
    {
        const double lat = 52.0 + 0.002 * std::sin(t / 900.0), lon = 4.36 + 0.003 * std::cos(t / 1100.0);
        const int hh = t / 3600, mm = t / 60 % 60, ss = t % 60;
        char time[16], text[256];
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", hh, mm, ss);
        std::string out;
        std::snprintf(text, sizeof text, "DODU,GPPOSA,1.4,%s,90807,G,A,%.7f,%.7f,1.95,43.10,1.38,43.31,45.17,10,0.93,1.45,1.72,0.80",
                      time, lat + gps_(random_), lon + gps_(random_));
        out += Checksummed(text);
        std::snprintf(text, sizeof text, "DODU,INPOSA,1.4,%s,90807,G,AN,%.7f,%.7f,1.95,43.10,1.38,43.31,45.17,10,0,0.84,0.75",
                      time, lat + gps_(random_), lon + gps_(random_));
        out += Checksummed(text);
        for (char kind : {'A', 'S', 'G'}) {
            std::snprintf(text, sizeof text, "DODU,LCPOSA,1.5,%d.00,90807,L,%c,%.7f,%.7f,0.00,0.00,45.24,5,1.43", t, kind,
                          lat + loran_(random_), lon + loran_(random_));
            out += Checksummed(text);
        }
        return out;
    }

private:
    std::mt19937 random_{11};
    std::normal_distribution<double> gps_{0.0, 0.00002};
    std::normal_distribution<double> loran_{0.0, 0.0002};
};

void SetMaxPoints(int n)
{
    PositionForm->ui->Edit3->setText(QString::number(n));
    PositionForm->ui->Button3->click();
}

void BM_PositionPlotSample(benchmark::State &state)
{
    QFile file(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no sample");
        return;
    }
    const QByteArray sample = file.readAll();
    const double lines = static_cast<double>(sample.count('\n'));
    for (auto _ : state) {
        CreateForms();
        PositionForm->show();
        QApplication::processEvents();
        const auto t0 = std::chrono::steady_clock::now();
        for (qsizetype at = 0; at < sample.size(); at += 1024) {
            MainForm->ReceiveData(sample.mid(at, 1024));
            QApplication::processEvents();
        }
        PositionForm->DrawPending();
        QApplication::processEvents();
        const std::chrono::duration<double> gui = std::chrono::steady_clock::now() - t0;
        state.SetIterationTime(gui.count());
        state.counters["us_per_line"] = 1e6 * gui.count() / lines;
        DestroyForms();
    }
}
BENCHMARK(BM_PositionPlotSample)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PositionPlotDayOfSolutions(benchmark::State &state)
{
    for (auto _ : state) {
        CreateForms();
        SetMaxPoints(SecondsPerDay);
        PositionForm->show();
        QApplication::processEvents();
        SolutionStream stream;
        const double rssStart = StatusMB("VmRSS:");
        std::chrono::duration<double> gui{0};
        for (int t = 0; t < SecondsPerDay; ++t) {
            const QByteArray second = QByteArray::fromStdString(stream.Second(t));
            const auto t0 = std::chrono::steady_clock::now();
            MainForm->ReceiveData(second);
            QApplication::processEvents();
            gui += std::chrono::steady_clock::now() - t0;
        }
        PositionForm->DrawPending();
        state.SetIterationTime(gui.count());
        state.counters["ms_per_second_of_data"] = 1000.0 * gui.count() / SecondsPerDay;
        state.counters["rss_added_MB"] = StatusMB("VmRSS:") - rssStart;
        state.counters["points_per_track"] = static_cast<double>(PositionForm->Plot.Tracks[1].Points.size());
        DestroyForms();
    }
}
BENCHMARK(BM_PositionPlotDayOfSolutions)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// A new centre with five day-long tracks: every point replayed, the statistics
// of all tracks, and the chart drawn.
void BM_PositionPlotNewCentreFullDay(benchmark::State &state)
{
    CreateForms();
    SetMaxPoints(SecondsPerDay);
    PositionForm->show();
    SolutionStream stream;
    for (int t = 0; t < SecondsPerDay; ++t) MainForm->ReceiveData(QByteArray::fromStdString(stream.Second(t)));
    PositionForm->DrawPending();
    QApplication::processEvents();
    bool north = false;
    for (auto _ : state) {
        PositionForm->ui->Edit1->setText(north ? "52.001" : "52.0");
        PositionForm->ui->Edit2->setText("4.36");
        PositionForm->ui->Button1->click();
        QApplication::processEvents();   // paints
        north = !north;
    }
    DestroyForms();
}
BENCHMARK(BM_PositionPlotNewCentreFullDay)->Unit(benchmark::kMillisecond);

} // namespace
