// The chart view under the plots: long lines and large point sets thinned for
// drawing and refined when the ranges change; series still on it when it goes.
#include <QAreaSeries>
#include <QGraphicsEffect>
#include <QGraphicsLineItem>
#include <QScopeGuard>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <cmath>

#include "gui_test_support.h"

TEST(ChartView, LinesKeepEveryColumnsExtremesAndShowEveryPointWhenZoomedIn)
{
    QList<QPointF> points;
    for (int i = 0; i < 100000; ++i) points.append(QPointF(i, std::sin(i * 0.001) + (i % 1000 == 500 ? 5.0 : 0.0)));
    QList<QPointF> out = DecimateForDrawing(points, 0, 99999, 500);
    EXPECT_LE(out.size(), 4 * 500);
    EXPECT_EQ(out.back(), points.back());
    EXPECT_EQ(std::count_if(out.begin(), out.end(), [](QPointF p) { return p.y() > 4.0; }), 100);   // every spike
    EXPECT_EQ(DecimateForDrawing(points, 5, 5, 500).size(), points.size());

    ChartView view;
    view.resize(800, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QLineSeries *series = view.AddLineSeries(42, "line");
    view.SetXRange(0, 99999);
    view.SetYRange(-1.5, 6);
    view.SetSeriesPoints(series, points);
    EXPECT_LT(Shown(series).size(), 5000);
    const QRectF area = view.chart()->plotArea();
    view.chart()->zoomIn(QRectF(area.left(), area.top(), 2, area.height()));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const double x0 = view.BottomAxis()->min(), x1 = view.BottomAxis()->max();
        const QList<QPointF> shown = Shown(series);
        return std::count_if(shown.begin(), shown.end(), [&](QPointF p) { return p.x() >= x0 && p.x() <= x1; }) >= x1 - x0 - 1;
    }, 10000));
    view.UndoZoom();
    EXPECT_EQ(view.BottomAxis()->max(), 99999.0);
}

TEST(ChartView, PointSetsAreThinnedToOnePointAPixelInsideTheRanges)
{
    QList<QPointF> cloud;   // 100,000 points in a 100 x 100 m square on 200 x 100 pixels
    for (int i = 0; i < 100000; ++i) cloud.append(QPointF((i * 37) % 1000 * 0.1, (i * 91) % 997 * 0.1));
    cloud.append(QPointF(500, 50));
    cloud.append(QPointF(NAN, 50));
    const QList<QPointF> out = ThinScatterForDrawing(cloud, 0, 100, 0, 100, 200, 100);
    EXPECT_GT(out.size(), 200 * 100 * 8 / 10);
    QSet<int> cells;
    for (const QPointF &p : out) {
        ASSERT_LE(p.x(), 100.0);   // outside the ranges, or no number: not drawn
        cells.insert(std::min(static_cast<int>(p.y()), 99) * 200 + std::min(static_cast<int>(p.x() * 2), 199));
    }
    EXPECT_EQ(cells.size(), out.size());   // each pixel once

    auto *view = new ChartView;
    view->resize(600, 450);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    QImage marker(5, 5, QImage::Format_ARGB32_Premultiplied);
    QLineSeries *series = view->AddPointSeries(7, "cloud", marker, Qt::red);
    view->SetXRange(-50, 50);
    view->SetYRange(-50, 50);
    QList<QPointF> points;
    for (int i = 0; i < 60000; ++i) points.append(QPointF((i % 300) * 0.5 - 75, (i / 300) * 0.5 - 50));
    view->SetSeriesPoints(series, points);
    EXPECT_LT(Shown(series).size(), 60000);
    view->SetXRange(-100, 0);   // the view moves west: points come in from the edge
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shown(series).size() > 0 && Shown(series).at(0).x() < -50.0; }, 10000));
    view->SetSeriesPoints(view->AddLineSeries(5, "kept"), points);
    view->AddAreaSeries(6, "area");
    delete view;   // goes with thinned series and an area still on it
}

// A range the axis already shows is not set again: ticks a window chose for
// it stay, and nothing of the chart is laid out anew.
TEST(ChartView, TheRangeAnAxisShowsIsNotSetAgain)
{
    ChartView view;
    view.resize(600, 400);
    view.SetXRange(0, 10);
    view.SetYRange(-128, 128);
    view.LeftAxis()->setTickInterval(64);
    view.LeftAxis()->setTickAnchor(-128);
    view.BottomAxis()->setTickInterval(5);
    view.SetYRange(-128, 128);
    view.SetXRange(0, 10);
    EXPECT_EQ(view.LeftAxis()->tickInterval(), 64.0);
    EXPECT_EQ(view.LeftAxis()->tickAnchor(), -128.0);
    EXPECT_EQ(view.BottomAxis()->tickInterval(), 5.0);
    view.SetXRange(0, 200);   // a new range gets its own ticks
    EXPECT_NE(view.BottomAxis()->tickInterval(), 5.0);
}

// New ranges with new points: the series given are laid out once, for their new
// points (emptied while the axes move), and end as set one after the other.
TEST(ChartView, ARefillEndsAsRangesThenPointsSetOneAfterTheOther)
{
    ChartView view;
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QLineSeries *moving = view.AddLineSeries(1, "moving"), *kept = view.AddLineSeries(2, "kept");
    view.SetSeriesPoints(moving, {{0, 0}, {1, 1}});
    view.SetSeriesPoints(kept, {{0, 0.5}, {1, 0.5}});
    int movingChanges = 0, keptChanges = 0;
    OnShown(moving, [&] { ++movingChanges; });
    OnShown(kept, [&] { ++keptChanges; });
    const QList<QPointF> next{{0, 0}, {1, 1}, {2, 4}};
    view.Refill(std::pair{0.0, 2.0}, std::pair{-1.0, 5.0}, {{moving, next}});
    EXPECT_EQ(Shown(moving), next);
    EXPECT_EQ(Shown(kept).size(), 2);   // not given: kept, laid out for the new range
    EXPECT_EQ(movingChanges, 1);
    EXPECT_EQ(keptChanges, 0);
    EXPECT_EQ(view.BottomAxis()->max(), 2.0);
    EXPECT_EQ(view.LeftAxis()->min(), -1.0);
    view.Refill(std::pair{3.0, 3.0}, std::nullopt, {{moving, {{3, 1}}}});   // a single value still shows
    EXPECT_EQ(view.BottomAxis()->min(), 2.0);
    EXPECT_EQ(view.BottomAxis()->max(), 4.0);
    EXPECT_EQ(view.LeftAxis()->max(), 5.0);
    EXPECT_EQ(Shown(moving).size(), 1);
}

namespace {

int DifferentPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

QImage Diamond(int size, QColor colour)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const double h = size / 2.0;
    painter.drawPolygon(QPolygonF{{h, 0}, {double(size), h}, {h, double(size)}, {0, h}});
    return image;
}

// What the screen shows of the view, as the window system has it.
QImage OnScreen(ChartView &view)
{
    return QGuiApplication::primaryScreen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

}   // namespace

// The view draws its line and point series itself. The same points drawn by Qt
// Charts (given to the series with replace()) must look the same to the pixel:
// lines of one and two pixels, a dashed line, a line with a gap of no numbers
// and points far outside the ranges, marker images on the plot area's edges,
// an area under them; unzoomed, zoomed in and at another size. New points and
// ranges also reach the screen without leftovers of the old ones.
TEST(ChartView, SeriesDrawnByTheViewLookAsQtChartsDrawsThem)
{
    ChartView own, qt;
    std::vector<QXYSeries *> series[2];
    std::vector<QList<QPointF>> given;
    QList<QPointF> wave, gap, dashed, cloud, upper, lower;
    for (int i = 0; i < 3000; ++i) wave.append(QPointF(i * 0.01 - 2, std::sin(i * 0.013) * 12 + (i % 700 == 0 ? 40 : 0)));
    gap = {{-5, -1}, {1, 2}, {2, NAN}, {NAN, 3}, {3, -4}, {4.5, 9.99}, {1e9, 5}, {5, -1e9}, {9, 9}};
    dashed = {{0, -9}, {3, 8}, {6, -9}, {10, 10}};
    for (int i = 0; i < 400; ++i) cloud.append(QPointF((i * 37) % 101 * 0.1, (i * 91) % 211 * 0.1 - 10.5));
    cloud.append({{0, -10}, {10, 10}, {0, 10}, {10, -10}, {10.2, 0}});
    for (int i = 0; i <= 20; ++i) {
        upper.append(QPointF(i * 0.5, 3 + (i % 3)));
        lower.append(QPointF(i * 0.5, -3));
    }
    for (int v = 0; v < 2; ++v) {
        ChartView &view = v ? qt : own;
        view.resize(640, 420);
        view.SetBackColor(Qt::black);
        view.SetXRange(0, 10);
        view.SetYRange(-10, 10);
        QAreaSeries *area = view.AddAreaSeries(1, "area");
        area->setColor(QColor(0, 0, 128));
        area->setPen(Qt::NoPen);
        area->upperSeries()->replace(upper);
        area->lowerSeries()->replace(lower);
        QLineSeries *line = view.AddLineSeries(2, "wave");
        line->setPen(QPen(Qt::yellow, 1));
        QLineSeries *thick = view.AddLineSeries(3, "gap");
        thick->setPen(QPen(Qt::red, 2));
        QLineSeries *dash = view.AddLineSeries(4, "dashed");
        dash->setPen(QPen(Qt::green, 1, Qt::DashLine));
        QLineSeries *points = view.AddPointSeries(5, "points", Diamond(7, Qt::cyan), Qt::cyan);
        series[v] = {line, thick, dash, points};
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    given = {wave, gap, dashed, cloud};
    auto fill = [&] {
        for (size_t k = 0; k < given.size(); ++k) own.SetSeriesPoints(series[0][k], given[k]);
        QApplication::processEvents();
        for (size_t k = 0; k < given.size(); ++k) {
            EXPECT_EQ(series[0][k]->count(), 0);   // nothing for Qt Charts to lay out
            series[1][k]->replace(own.ShownPoints(series[0][k]));
        }
        QApplication::processEvents();
    };
    fill();
    EXPECT_LT(own.ShownPoints(series[0][0]).size(), wave.size());   // thinned
    EXPECT_EQ(DifferentPixels(own.ChartImage(), qt.ChartImage()), 0);

    const QRectF area = own.chart()->plotArea();
    for (ChartView *view : {&own, &qt}) view->chart()->zoomIn(QRectF(area.left() + 100.3, area.top() + 50, 140, 200));
    ASSERT_TRUE(ScreenStill(&own) && ScreenStill(&qt));
    fill();
    EXPECT_EQ(DifferentPixels(own.ChartImage(), qt.ChartImage()), 0);

    for (ChartView *view : {&own, &qt}) {
        view->UndoZoom();
        view->resize(571, 333);
    }
    QApplication::processEvents();
    given[1] = {{1, 1}, {2, -2}};   // the old line must go from the screen
    given[3] = {{5, 5}};
    fill();
    EXPECT_EQ(DifferentPixels(own.ChartImage(), qt.ChartImage()), 0);
    EXPECT_EQ(DifferentPixels(OnScreen(own), OnScreen(qt)), 0);
    own.SetXRange(-3, 7);
    qt.SetXRange(-3, 7);
    fill();
    EXPECT_EQ(DifferentPixels(OnScreen(own), OnScreen(qt)), 0);
    for (int v = 0; v < 2; ++v) series[v][0]->setPen(QPen(Qt::magenta, 3));   // a new colour and width
    QApplication::processEvents();
    EXPECT_EQ(DifferentPixels(OnScreen(own), OnScreen(qt)), 0);
    EXPECT_FALSE(OnScreen(own).isNull());
}

namespace {

// The view as Qt draws a graphics view: its viewport filled with the palette's
// colour, then the view's background brush, then the scene, every item drawn
// whole by itself (a shadow as Qt Charts makes it), the axes' lines with pens
// one pixel wide.
QImage FilledAndRendered(ChartView &view)
{
    QList<QGraphicsEffect *> effects;
    QList<QGraphicsLineItem *> hairlines;
    for (QGraphicsItem *item : view.scene()->items()) {
        QGraphicsEffect *effect = item->graphicsEffect();
        if (effect && effect->isEnabled() && !qobject_cast<QGraphicsDropShadowEffect *>(effect)) effects.append(effect);
        auto *line = qgraphicsitem_cast<QGraphicsLineItem *>(item);
        if (line && line->pen().widthF() == 0.0) hairlines.append(line);
    }
    auto width = [&](qreal w) {
        for (QGraphicsLineItem *line : hairlines) {
            QPen pen = line->pen();
            pen.setWidthF(w);
            line->setPen(pen);
        }
    };
    width(1);
    for (QGraphicsEffect *effect : effects) effect->setEnabled(false);
    const auto enable = qScopeGuard([&] {
        for (QGraphicsEffect *effect : effects) effect->setEnabled(true);
        width(0);
    });
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    image.fill(view.viewport()->palette().brush(view.viewport()->backgroundRole()).color());
    QPainter painter(&image);
    painter.setRenderHints(view.renderHints());
    if (view.backgroundBrush().style() != Qt::NoBrush) painter.fillRect(image.rect(), view.backgroundBrush());
    view.scene()->render(&painter, image.rect(), view.mapToScene(view.viewport()->rect()).boundingRect());
    painter.end();
    return image;
}

}   // namespace

// Whatever the chart's backgrounds (rounded, with margins, hidden or
// see-through, with a shadow), the screen shows what Qt draws of the view,
// never what it showed before; a copy as a drawing has the lines as set.
TEST(ChartView, TheScreenShowsWhatQtDrawsOfTheViewInEveryStyle)
{
    ChartView view;
    view.resize(420, 300);
    view.SetXRange(0, 10);
    view.SetYRange(-1, 1);
    QLineSeries *line = view.AddLineSeries(1, "line");
    view.SetSeriesPoints(line, {{0, -1}, {10, 1}});
    view.BottomAxis()->setGridLinePen(QPen(Qt::darkGray, 1, Qt::DotLine));
    view.LeftAxis()->setLinePen(QPen(Qt::red, 2));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QChart *chart = view.chart();
    // Lines as set in a copy of the chart as a drawing.
    const QByteArray svg = view.ChartSvg();
    EXPECT_FALSE(svg.contains("non-scaling-stroke"));
    EXPECT_EQ(view.ChartSvg(), svg);
    EXPECT_EQ(view.LeftAxis()->linePen().widthF(), 2.0);
    struct Style {
        QColor chart;
        qreal roundness;
        QMargins margins;
        QBrush view;
        bool shown;
        QColor plotArea;   // none: not shown
        QPen plotAreaPen = Qt::NoPen;
    };
    const Style styles[] = {
        {Qt::white, chart->backgroundRoundness(), chart->margins(), Qt::NoBrush, true, QColor()},
        {Qt::white, chart->backgroundRoundness(), chart->margins(), Qt::NoBrush, true, Qt::white},
        {Qt::black, 0, QMargins(4, 2, 8, 2), Qt::black, true, Qt::black},
        {Qt::yellow, 30, QMargins(20, 10, 20, 10), QColor(90, 0, 90), true, Qt::blue, QPen(Qt::red, 5)},
        {QColor(255, 0, 0, 128), 8, QMargins(), Qt::NoBrush, true, QColor(0, 0, 255, 100)},
        {Qt::green, 12, QMargins(), QColor(0, 0, 90), false, Qt::darkGreen},
    };
    auto apply = [&](const Style &style) {
        chart->setBackgroundBrush(style.chart);
        chart->setBackgroundRoundness(style.roundness);
        chart->setMargins(style.margins);
        chart->setBackgroundVisible(style.shown);
        view.setBackgroundBrush(style.view);
        chart->setPlotAreaBackgroundVisible(style.plotArea.isValid());
        if (style.plotArea.isValid()) chart->setPlotAreaBackgroundBrush(style.plotArea);
        chart->setPlotAreaBackgroundPen(style.plotAreaPen);
        EXPECT_TRUE(ScreenStill(&view));
    };
    const Style stale{Qt::cyan, 0, QMargins(), Qt::cyan, true, Qt::magenta};   // what must not stay on the screen
    for (size_t k = 0; k < std::size(styles); ++k) {
        apply(stale);
        apply(styles[k]);
        EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "style " << k;
    }
    // The plot area moves with new ranges, a zoom and another size.
    view.SetYRange(-1000, 1000);
    ASSERT_TRUE(ScreenStill(&view));
    EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "new range";
    const QRectF area = chart->plotArea();
    chart->zoomIn(QRectF(area.left() + 10, area.top() + 10, 60, 40));
    ASSERT_TRUE(ScreenStill(&view));
    EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "zoomed";
    view.resize(333, 251);
    ASSERT_TRUE(ScreenStill(&view));
    EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "resized";
    // New points alone: a repaint about the plot area.
    apply({QColor(0, 0, 90), 4, QMargins(), Qt::NoBrush, true, Qt::white});
    for (const QList<QPointF> &points : {QList<QPointF>{{0, 1}, {10, -1}}, QList<QPointF>{{-5, -2000}, {20, 2000}}}) {
        view.SetSeriesPoints(line, points);
        ASSERT_TRUE(ScreenStill(&view));
        EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "new points";
    }
    chart->setDropShadowEnabled(true);   // a shadow draws the background otherwise
    ASSERT_TRUE(ScreenStill(&view));
    EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "shadow";
    chart->setDropShadowEnabled(false);
    ASSERT_TRUE(ScreenStill(&view));
    chart->setPlotAreaBackgroundBrush(Qt::white);
    ASSERT_TRUE(ScreenStill(&view));
    EXPECT_EQ(DifferentPixels(OnScreen(view), FilledAndRendered(view)), 0) << "no shadow";
}

// What the view's own drawing of its series rests on: Qt Charts 6.4.2 (Debian
// 12) gives each series added to a chart one new child item of the chart, the
// later series' above the earlier ones'. A Qt that stops doing so fails here.
TEST(ChartView, QtChartsMakesOneItemOfTheChartForEachSeriesInTheOrderAdded)
{
    QChart chart;
    QList<QGraphicsItem *> made;
    for (int i = 0; i < 3; ++i) {
        const QList<QGraphicsItem *> before = chart.childItems();
        chart.addSeries(new QLineSeries(&chart));
        QList<QGraphicsItem *> fresh;
        for (QGraphicsItem *item : chart.childItems())
            if (!before.contains(item)) fresh.append(item);
        ASSERT_EQ(fresh.size(), 1) << "series " << i;
        made.append(fresh.front());
    }
    // The children in the order they are drawn.
    const QList<QGraphicsItem *> drawn = chart.childItems();
    for (int i = 1; i < 3; ++i) EXPECT_GT(drawn.indexOf(made[i]), drawn.indexOf(made[i - 1])) << "series " << i;
}
