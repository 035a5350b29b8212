// A traffic pane kept current at the traffic beat: each round the receiver's
// lines of one beat come in, the pane takes its text (what fell off the front
// removed, what came in added) and paints. As the monitor's pane (unwrapped,
// the last 10000 characters, the caret at the end in view) and as the
// data-source window's display (disabled, wrapped, the last 750 characters, at
// the bottom), at the lines one beat brings at 24 and at 500 lines/s. On the
// platform the program would use (QT_QPA_PLATFORM).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>

#include "link/monitortext.h"
#include "platform/plaintext.h"
#include "platform/trafficpane.h"

namespace {

QList<QByteArray> SampleLines()
{
    QFile file(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
    if (!file.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray &line : lines) line += '\n';
    return lines;
}

// Arguments: lines a beat; 1 for the display, 0 for the monitor's pane.
void BM_TrafficPaneBeat(benchmark::State &state)
{
    const QList<QByteArray> lines = SampleLines();
    const int perBeat = static_cast<int>(state.range(0));
    const bool display = state.range(1) != 0;
    TrafficPane pane;
    DrawTextUnshaped(&pane);
    pane.setEnabled(!display);
    pane.SetFollow(display ? TrafficPane::Follow::Bottom : TrafficPane::Follow::Caret);
    pane.SetWrapped(display);
    pane.resize(display ? QSize(732, 162) : QSize(940, 937));
    pane.show();
    MonitorText text;
    MonitorText::PendingLine().clear();
    QString shown;
    qsizetype next = 0;
    auto beat = [&] {
        for (int i = 0; i < perBeat; ++i) text.AddData(lines[next++ % lines.size()].toStdString());
        shown = QString::fromLatin1(text.AllText.data(), static_cast<qsizetype>(text.AllText.size()));
        if (display) shown = shown.right(750).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        pane.ShowText(shown);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    };
    for (int i = 0; i < 50; ++i) beat();
    for (auto _ : state) beat();
    state.SetLabel(QGuiApplication::platformName().toStdString() + (display ? ", display" : ", monitor pane"));
}
BENCHMARK(BM_TrafficPaneBeat)->ArgsProduct({{5, 100}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace
