// The chart view every plot uses: Qt Charts with a rubber-band zoom that a right
// click undoes, series found by a tag, series thinned to what the plot area can
// show, axis ranges set by the caller (Qt does not rescale), and copies of the
// chart to the clipboard as PNG and SVG. The line and point series added here
// stay in the chart for its legend and axes but hold no points there: the view
// draws their lines and markers itself, in the series' place, as Qt Charts
// would, without the outline Qt Charts works out for every new set of points.
#pragma once

#include <QChartView>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <optional>
#include <utility>
#include <vector>

class ChartSeriesItem;
class QGraphicsItem;
class QAreaSeries;
class QLineSeries;
class QTimer;
class QValueAxis;
class QWindow;
class QXYSeries;

// Points of a line for a plot area columns pixels wide showing x from x0 to x1:
// per pixel column the first, lowest, highest and last point, in their order, so
// the drawn line looks the same as with every point. Runs of points in one column
// are merged as they come, so x need not be sorted. Points left or right of the
// range share one column each side. Short lines come back unchanged.
QList<QPointF> DecimateForDrawing(const QList<QPointF> &points, double x0, double x1, int columns);

// Points of a scatter plot for a plot area columns x rows pixels showing x0..x1
// and y0..y1: the first point in each pixel, in their order, so the plot looks
// the same as with every point; points outside the ranges are not drawn and left
// out. Short sets come back unchanged.
QList<QPointF> ThinScatterForDrawing(const QList<QPointF> &points, double x0, double x1, double y0, double y1,
                                     int columns, int rows);

class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);
    ~ChartView() override;

    QValueAxis *BottomAxis() const { return bottom_; }
    QValueAxis *LeftAxis() const { return left_; }

    // Series, in chart order, each carrying its owner's tag.
    QLineSeries *AddLineSeries(int tag, const QString &title);
    // An area between an upper and a lower line (filled through the two
    // lines' replace()), carrying its owner's tag. Not among Series().
    QAreaSeries *AddAreaSeries(int tag, const QString &title);
    // A series of points without a line: the marker image is drawn at each point
    // (no graphics item per point, so thousands of points stay quick), filled
    // like a scatter plot.
    QLineSeries *AddPointSeries(int tag, const QString &title, const QImage &marker, const QColor &colour);
    QList<QXYSeries *> Series() const;
    QXYSeries *FindSeries(int tag) const;
    static int Tag(const QAbstractSeries *series);
    // Takes the series off the chart and deletes it.
    void RemoveSeries(QXYSeries *series);
    void RemoveAllSeries();

    // Gives the series new points, thinned for drawing against the current x
    // range and plot width (a series of points: both ranges and the plot size);
    // the full set is kept for a later zoom. A series not added here (an area's
    // lines) is filled with replace().
    void SetSeriesPoints(QXYSeries *series, const QList<QPointF> &points);
    // The number of points the series stands for (before thinning).
    qsizetype PointCount(const QXYSeries *series) const;
    // The full line of the series as given to SetSeriesPoints.
    QList<QPointF> SeriesPoints(const QXYSeries *series) const;
    // The points the series draws (thinned), in the axes' units.
    QList<QPointF> ShownPoints(const QXYSeries *series) const;

    void SetXRange(double min, double max);
    void SetYRange(double min, double max);
    // The range SetXRange(min, max) gives the bottom axis; the one SetYRange
    // gives the left axis, none when it leaves the axis as it is.
    static std::pair<double, double> XRangeFor(double min, double max);
    static std::optional<std::pair<double, double>> YRangeFor(double min, double max);

    // New axis ranges as SetXRange and SetYRange take them (an axis given none
    // keeps its range), then new points for the series given, as SetSeriesPoints.
    // The series drawn here are placed on the plot area only when drawn; one Qt
    // Charts fills that holds points when its axis moves would be laid out for the
    // new range and again for its new points: it is emptied first, and laid out once.
    using Range = std::optional<std::pair<double, double>>;
    void Refill(Range x, Range y, const std::vector<std::pair<QXYSeries *, QList<QPointF>>> &fills);

    // Both axes get the same tick step, about `spacing` pixels apart: a square
    // grid on a chart with as many units per pixel across as up.
    void SetSquareTicks(double spacing);

    bool IsZoomed() const;
    // Leaves the zoomed state (the undo-zoom signal is not emitted).
    void UndoZoom();
    // Shows these ranges while zoomed; an undo still returns to the ranges
    // set before the zoom.
    void SetZoomedRanges(double xmin, double xmax, double ymin, double ymax);

    void SetBackColor(const QColor &colour);
    QColor BackColor() const;

    QImage ChartImage();
    QByteArray ChartSvg();
    // The whole chart to the clipboard as PNG (and Qt image) and as SVG.
    void CopyChartToClipboard();
    // An image of a widget to the clipboard as a bitmap.
    static void CopyWidgetToClipboard(QWidget *widget);

signals:
    // The series was given new points to draw (SetSeriesPoints, or thinned anew
    // for a zoom or another size).
    void PointsShown(QXYSeries *series);
    // A right click left the zoom; the chart shows its unzoomed ranges again.
    void ZoomUndone();
    // The user zoomed in with the rubber band; the axes show the zoomed ranges.
    void ZoomedIn();

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QGraphicsItem *AddToChart(QXYSeries *series);
    void FollowScreen();
    void UseHairlines(bool use);
    void HairlinesFor(QValueAxis *axis);
    int Columns() const;
    int Rows() const;
    void Refine();
    void RefineLater();
    void UpdateTicks(QValueAxis *axis, double min, double max);
    double Spacing(const QValueAxis *axis) const;
    double TickStep(const QValueAxis *axis, double min, double max) const;
    static void ApplyStep(QValueAxis *axis, double min, double max, double step);
    void SquareTicks();
    void SetAxisRange(QValueAxis *axis, double min, double max);

    QValueAxis *bottom_ = nullptr;
    QValueAxis *left_ = nullptr;
    QTimer *refine_ = nullptr;
    double squareSpacing_ = 0.0;   // 0: each axis on its own spacing
    // The axes' one-pixel pens are drawn with zero width (see UseHairlines);
    // which pens of each axis were made so: 1 line, 2 grid, 4 minor grid.
    bool hairlines_ = false;
    QHash<const QValueAxis *, int> thinned_;
    QPointer<QWindow> screenWatched_;   // the window whose screen decides the hairlines
    std::pair<double, double> homeX_{0.0, 1.0};
    std::pair<double, double> homeY_{0.0, 1.0};
    struct Line {
        QList<QPointF> full;
        double x0 = 0, x1 = 0;
        int columns = 0;
        bool scatter = false;
        double y0 = 0, y1 = 0;   // scatter only
        int rows = 0;
    };
    QList<QPointF> Thinned(const Line &line) const;
    void Show(QXYSeries *series, QList<QPointF> points);
    void DrawnSeriesMoved();
    QHash<const QXYSeries *, Line> lines_;
    // The series of points (AddPointSeries): thinned per pixel of both axes.
    QSet<const QXYSeries *> pointSeries_;
    // The series this view draws itself, with the items that draw them.
    QHash<const QXYSeries *, QPointer<ChartSeriesItem>> drawn_;
};
