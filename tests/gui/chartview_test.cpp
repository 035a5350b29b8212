// The chart view under the plots: long lines and large point sets thinned for
// drawing and refined when the ranges change; series still on it when it goes.
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
    EXPECT_LT(series->count(), 5000);
    const QRectF area = view.chart()->plotArea();
    view.chart()->zoomIn(QRectF(area.left(), area.top(), 2, area.height()));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const double x0 = view.BottomAxis()->min(), x1 = view.BottomAxis()->max();
        const QList<QPointF> shown = series->points();
        return std::count_if(shown.begin(), shown.end(), [&](QPointF p) { return p.x() >= x0 && p.x() <= x1; }) >= x1 - x0 - 1;
    }, 2000));
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
    EXPECT_LT(series->count(), 60000);
    view->SetXRange(-100, 0);   // the view moves west: points come in from the edge
    ASSERT_TRUE(QTest::qWaitFor([&] { return series->count() > 0 && series->at(0).x() < -50.0; }, 2000));
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
    QObject::connect(moving, &QXYSeries::pointsReplaced, [&] { ++movingChanges; });
    QObject::connect(kept, &QXYSeries::pointsReplaced, [&] { ++keptChanges; });
    const QList<QPointF> next{{0, 0}, {1, 1}, {2, 4}};
    view.Refill(std::pair{0.0, 2.0}, std::pair{-1.0, 5.0}, {{moving, next}});
    EXPECT_EQ(moving->points(), next);
    EXPECT_EQ(kept->count(), 2);   // not given: kept, laid out for the new range
    EXPECT_EQ(movingChanges, 1);
    EXPECT_EQ(keptChanges, 0);
    EXPECT_EQ(view.BottomAxis()->max(), 2.0);
    EXPECT_EQ(view.LeftAxis()->min(), -1.0);
    view.Refill(std::pair{3.0, 3.0}, std::nullopt, {{moving, {{3, 1}}}});   // a single value still shows
    EXPECT_EQ(view.BottomAxis()->min(), 2.0);
    EXPECT_EQ(view.BottomAxis()->max(), 4.0);
    EXPECT_EQ(view.LeftAxis()->max(), 5.0);
    EXPECT_EQ(moving->count(), 1);
}
