// What a chart pays to take k new points into a series of n and drop its k
// oldest, on a shown chart view: the whole series again through replace(), or
// removePoints() plus an append() of the new points. Also a new axis range with
// the series full, against Refill, which sets it while the series are empty; and
// a new spectrum drawn by Qt Charts or by the view itself. Run on
// the platform the window would use (QT_QPA_PLATFORM).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QValueAxis>

#include "platform/chartview.h"
#include "platform/memo.h"

namespace {

QList<QPointF> Wave(int from, int n)
{
    QList<QPointF> points;
    points.reserve(n);
    for (int i = from; i < from + n; ++i) points.append(QPointF(i, (i * 37) % 101));
    return points;
}

// range(0): points kept; range(1): new points per redraw; range(2): 0 replace(), 1 remove + append.
void BM_ChartTakeNewPoints(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0)), k = static_cast<int>(state.range(1));
    const bool append = state.range(2) != 0;
    ChartView view;
    view.resize(800, 400);
    view.show();
    QLineSeries *series = view.AddLineSeries(1, "s");
    view.SetXRange(0, 1e9);
    view.SetYRange(-1, 102);
    int first = 0;
    series->replace(Wave(first, n));
    QApplication::processEvents();
    for (auto _ : state) {
        first += k;
        if (append) {
            series->removePoints(0, k);
            series->append(Wave(first + n - k, k));
        } else {
            series->replace(Wave(first, n));
        }
    }
    state.SetLabel(append ? "removePoints + append" : "replace");
}
BENCHMARK(BM_ChartTakeNewPoints)->ArgsProduct({{200, 2000}, {1, 4}, {0, 1}});

// range(0): series of 200 points; range(1): 0 range set with the series full, 1 through Refill.
void BM_ChartNewRange(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    const bool emptyFirst = state.range(1) != 0;
    ChartView view;
    view.resize(800, 400);
    view.show();
    std::vector<QLineSeries *> series;
    for (int s = 0; s < lines; ++s) series.push_back(view.AddLineSeries(s + 1, "s"));
    int first = 0;
    for (QLineSeries *s : series) s->replace(Wave(first, 200));
    QApplication::processEvents();
    for (auto _ : state) {
        ++first;
        if (emptyFirst) {
            std::vector<std::pair<QXYSeries *, QList<QPointF>>> fills;
            for (QLineSeries *s : series) fills.emplace_back(s, Wave(first, 200));
            view.Refill(std::pair{double(first), first + 199.0}, std::nullopt, fills);
            continue;
        }
        view.SetXRange(first, first + 199);
        for (QLineSeries *s : series) view.SetSeriesPoints(s, Wave(first, 200));
    }
    state.SetLabel(emptyFirst ? "Refill (emptied first)" : "range, then points");
}
BENCHMARK(BM_ChartNewRange)->ArgsProduct({{10}, {0, 1}});

// A new spectrum of 512 points (range(0)) into a line series on a shown chart,
// drawn after each: range(1) 0 through the series' replace() (Qt Charts lays out
// and draws it), 1 through SetSeriesPoints (the view draws it); range(2) 1 a
// series of points with a marker image instead of a line.
void BM_ChartNewSpectrum(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    const bool own = state.range(1) != 0, points = state.range(2) != 0;
    ChartView view;
    view.resize(800, 400);
    view.show();
    QImage marker(7, 7, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::blue);
    QLineSeries *series = points ? view.AddPointSeries(1, "s", marker, Qt::blue) : view.AddLineSeries(1, "s");
    view.SetXRange(0, n);
    view.SetYRange(-1, 102);
    QApplication::processEvents();
    int first = 0;
    for (auto _ : state) {
        ++first;
        QList<QPointF> wave = Wave(first, n);
        for (QPointF &p : wave) p.rx() -= first;
        if (own) view.SetSeriesPoints(series, wave);
        else series->replace(wave);
        view.viewport()->repaint();
    }
    state.SetLabel(std::string(own ? "SetSeriesPoints" : "replace") + (points ? ", points" : ", line"));
}
BENCHMARK(BM_ChartNewSpectrum)->ArgsProduct({{512}, {0, 1}, {0, 1}});

// A statistics memo of eleven lines, eight of which change at each redraw, on a
// shown window: range(0) 0 setPlainText, 1 SetMemoLines; range(1) 1 painted after each.
void BM_MemoStatistics(benchmark::State &state)
{
    const bool lines = state.range(0) != 0;
    QPlainTextEdit memo;
    memo.resize(260, 200);
    memo.show();
    QApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        ++n;
        QStringList text;
        for (int i = 0; i < 11; ++i)
            text << QString("Line %1 :   %2 m").arg(i).arg(i < 3 ? 1.0 * i : 0.1 * n + i, 0, 'f', 1);
        if (lines) SetMemoLines(&memo, text);
        else memo.setPlainText(text.join('\n'));
        if (state.range(1)) memo.repaint();
    }
    state.SetLabel(lines ? "SetMemoLines" : "setPlainText");
}
BENCHMARK(BM_MemoStatistics)->ArgsProduct({{0, 1}, {0, 1}});

} // namespace
