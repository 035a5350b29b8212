// The TD plot under a day of TOAA lines: 86,400 points kept per station, ten
// stations shown, every line through the router and the intake with the event
// loop running between lines, as the replay and the serial link deliver them.
// Reports the GUI time per line and the memory the run added (run one
// benchmark per process for a clean memory figure: --benchmark_filter=...).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/application.h"
#include "app/forms.h"
#include "app/mainform.h"
#include "platform/settings.h"
#include "plots/tdplot.h"
#include "ui_tdplot.h"

namespace {

constexpr int Stations = 10;
constexpr int LinesPerDay = 86400;

// Resident and peak memory of this process in MB.
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

class ToaaStream {
public:
    std::string Line(int second)
    {
        static const char *const names[Stations] = {"7499M", "7499X", "7499Y", "7499Z", "6731M",
                                                    "6731X", "6731Y", "6731Z", "9007M", "9007X"};
        char head[160];
        std::snprintf(head, sizeof head, "DODU,TOAA,V2.1,%d.00,1.00,1.00,LOCKED,1.2e-7,12.5,13.1,%d", second, Stations);
        std::string body = head;
        for (int k = 0; k < Stations; ++k) {
            char entry[160];
            const double toa = 10000.0 * (k + 1) + 0.05 * std::sin(second / (600.0 + 37 * k)) + noise_(random_);
            std::snprintf(entry, sizeof entry, ",%s,80.1,12.3,0.5,0.1,0.9,%04X,%.4f,0.01,3600.0", names[k],
                          second % 97 == 0 ? 0xA3 : 0xA2, toa);
            body += entry;
        }
        unsigned sum = 0;
        for (unsigned char c : body) sum ^= c;
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        return "$" + body + tail;
    }

private:
    std::mt19937 random_{7};
    std::normal_distribution<double> noise_{0.0, 0.002};
};

void SetNumberOfPoints(int n)
{
    TDForm->ui->Edit1->setText(QString::number(n));
    TDForm->ui->Button1->click();
}

// range(0): 1 window shown, 0 hidden.
void BM_TDPlotDayOfToaa(benchmark::State &state)
{
    const bool shown = state.range(0) != 0;
    for (auto _ : state) {
        CreateForms();
        SetNumberOfPoints(LinesPerDay);
        if (shown) TDForm->show();
        QApplication::processEvents();
        ToaaStream stream;
        MainForm->ReceiveData(QByteArray::fromStdString(stream.Line(0)));
        TDForm->ViewAll1Click();
        QApplication::processEvents();
        const double rssStart = StatusMB("VmRSS:");
        double rssPeak = rssStart;

        std::chrono::duration<double> gui{0};
        for (int second = 1; second < LinesPerDay; ++second) {
            const QByteArray line = QByteArray::fromStdString(stream.Line(second));
            const auto t0 = std::chrono::steady_clock::now();
            MainForm->ReceiveData(line);
            QApplication::processEvents();
            gui += std::chrono::steady_clock::now() - t0;
            if (second % 4096 == 0) rssPeak = std::max(rssPeak, StatusMB("VmRSS:"));
        }
        const auto t0 = std::chrono::steady_clock::now();
        TDForm->DrawPending();
        QApplication::processEvents();
        gui += std::chrono::steady_clock::now() - t0;
        rssPeak = std::max(rssPeak, StatusMB("VmRSS:"));

        state.SetIterationTime(gui.count());
        state.counters["ms_per_line"] = 1000.0 * gui.count() / LinesPerDay;
        state.counters["rss_added_MB"] = StatusMB("VmRSS:") - rssStart;
        state.counters["rss_peak_added_MB"] = rssPeak - rssStart;
        state.counters["points_per_station"] = static_cast<double>(TDForm->Stations[0]->Points.size());
        DestroyForms();
    }
}
BENCHMARK(BM_TDPlotDayOfToaa)->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// One full redraw of ten stations with a day of points each.
void BM_TDPlotRedrawFullDay(benchmark::State &state)
{
    CreateForms();
    SetNumberOfPoints(LinesPerDay);
    TDForm->show();
    ToaaStream stream;
    for (int second = 0; second < LinesPerDay; ++second)
        MainForm->ReceiveData(QByteArray::fromStdString(stream.Line(second)));
    TDForm->ViewAll1Click();
    QApplication::processEvents();
    for (auto _ : state) {
        TDForm->Redraw();
        QApplication::processEvents();   // paints
    }
    DestroyForms();
}
BENCHMARK(BM_TDPlotRedrawFullDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    KavuApplication app(argc, argv);
    QTemporaryDir settings{QDir::tempPath() + "/kavu-XXXXXX"};
    SettingsStore::SetFilePathForTesting(settings.filePath("Dravelon/KAVUAnalyser.ini"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
