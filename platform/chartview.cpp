#include "platform/chartview.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBuffer>
#include <QClipboard>
#include <QGraphicsObject>
#include <QLineSeries>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QLegendMarker>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTimer>
#include <QValueAxis>
#include <QWindow>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <vector>

QList<QPointF> DecimateForDrawing(const QList<QPointF> &points, double x0, double x1, int columns)
{
    const qsizetype n = points.size();
    if (columns < 1 || n <= 4 * static_cast<qsizetype>(columns) + 8 || !(x1 > x0) || !std::isfinite(x1 - x0))
        return points;
    const double scale = columns / (x1 - x0);
    auto columnOf = [&](double x) -> qsizetype {
        if (!(x >= x0)) return -1;   // left of the range, or not a number
        if (x > x1) return columns;
        return std::min<qsizetype>(static_cast<qsizetype>((x - x0) * scale), columns - 1);
    };

    QList<QPointF> out;
    out.reserve(std::min<qsizetype>(n, 4 * (static_cast<qsizetype>(columns) + 2) * 2));
    qsizetype first = 0, low = 0, high = 0, last = 0;
    qsizetype column = columnOf(points[0].x());
    auto flush = [&] {
        qsizetype picks[4] = {first, low, high, last};
        std::sort(picks + 1, picks + 3);
        qsizetype previous = -1;
        for (qsizetype i : picks) {
            if (i != previous) out.append(points[i]);
            previous = i;
        }
    };
    for (qsizetype i = 1; i < n; ++i) {
        const QPointF &p = points[i];
        qsizetype c = columnOf(p.x());
        if (c != column) {
            flush();
            column = c;
            first = low = high = last = i;
            continue;
        }
        last = i;
        if (p.y() < points[low].y()) low = i;
        if (p.y() > points[high].y()) high = i;
    }
    flush();
    return out;
}

QList<QPointF> ThinScatterForDrawing(const QList<QPointF> &points, double x0, double x1, double y0, double y1,
                                     int columns, int rows)
{
    const qsizetype n = points.size();
    columns = std::min(columns, 8192);
    rows = std::min(rows, 8192);
    if (columns < 1 || rows < 1 || n <= 4 * static_cast<qsizetype>(columns) + 8 || !(x1 > x0) || !(y1 > y0) ||
        !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0))
        return points;
    const double sx = columns / (x1 - x0), sy = rows / (y1 - y0);
    std::vector<bool> taken(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    QList<QPointF> out;
    for (const QPointF &p : points) {
        // Outside the ranges, or not a number: not drawn.
        if (!(p.x() >= x0 && p.x() <= x1 && p.y() >= y0 && p.y() <= y1)) continue;
        const int c = std::min(static_cast<int>((p.x() - x0) * sx), columns - 1);
        const int r = std::min(static_cast<int>((p.y() - y0) * sy), rows - 1);
        const size_t cell = static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c);
        if (taken[cell]) continue;
        taken[cell] = true;
        out.append(p);
    }
    return out;
}

// One line or point series of a ChartView, drawn in the series' own place in the
// chart (a child of the item Qt Charts keeps for it, which holds no points): the
// line from point to point and the marker image at each point, clipped to the
// plot area, as Qt Charts draws a line series. Its points are placed on the plot
// area only when it is next drawn or its extent is asked for.
class ChartSeriesItem : public QGraphicsObject {
public:
    ChartSeriesItem(QChart *chart, QXYSeries *series, QGraphicsItem *parent)
        : QGraphicsObject(parent), chart_(chart), series_(series)
    {
        setAcceptedMouseButtons(Qt::NoButton);
    }

    void SetPoints(QList<QPointF> points)
    {
        Moved();
        points_ = std::move(points);
    }
    const QList<QPointF> &Points() const { return points_; }

    // The points, the axes' ranges, the plot area or the pen changed.
    void Moved()
    {
        if (!laidOut_) return;   // the scene has not seen the last layout yet
        prepareGeometryChange();
        laidOut_ = false;
    }

    QRectF boundingRect() const override
    {
        LayOut();
        return bounds_;
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        LayOut();
        const QList<QPointF> &at = placed_;
        if (at.isEmpty()) return;
        const QPen pen = series_->pen();
        painter->save();
        painter->setPen(pen);
        painter->setClipRect(clip_);
        if (pen.style() == Qt::SolidLine) {
            // Each segment on its own, in one call.
            QVarLengthArray<QLineF, 1024> lines;
            lines.reserve(at.size());
            for (qsizetype i = 1; i < at.size(); ++i) lines.append(QLineF(at[i - 1], at[i]));
            painter->drawLines(lines.constData(), static_cast<int>(lines.size()));
        } else if (pen.style() != Qt::NoPen) {
            // A pattern runs on along the whole line.
            QPainterPath path(at[0]);
            for (qsizetype i = 1; i < at.size(); ++i) path.lineTo(at[i]);
            painter->drawPath(path);
        }
        const QImage marker = series_->lightMarker();
        if (!marker.isNull()) {
            // Centred on the point, to the nearest pixel.
            const qreal halfWidth = marker.width() / 2.0, halfHeight = marker.height() / 2.0;
            for (const QPointF &p : at)
                painter->drawImage(QPointF(p.x() - halfWidth, p.y() - halfHeight), marker);
        }
        painter->restore();
    }

private:
    void LayOut() const
    {
        if (laidOut_) return;
        laidOut_ = true;
        placed_.clear();
        const QRectF area = chart_->plotArea();
        // The plot area widened by the part of a pixel that lets lines along its
        // edges show, never so far that a line shows outside it.
        clip_ = QRectF(QPointF(0, 0), area.size());
        const qreal x1 = area.x() - int(area.x()), y1 = area.y() - int(area.y());
        const qreal x2 = (clip_.width() + 0.5) - int(clip_.width() + 0.5);
        const qreal y2 = (clip_.height() + 0.5) - int(clip_.height() + 0.5);
        clip_.adjust(-x1, -y1, qMax(x1, x2), qMax(y1, y2));
        bounds_ = QRectF();
        const auto axes = series_->attachedAxes();
        const QValueAxis *xAxis = nullptr, *yAxis = nullptr;
        for (QAbstractAxis *axis : axes) {
            auto *value = qobject_cast<const QValueAxis *>(axis);
            if (value && axis->orientation() == Qt::Horizontal) xAxis = value;
            if (value && axis->orientation() == Qt::Vertical) yAxis = value;
        }
        if (!xAxis || !yAxis || points_.isEmpty()) return;
        const qreal minX = xAxis->min(), minY = yAxis->min();
        const qreal xd = xAxis->max() - minX, yd = yAxis->max() - minY;
        if (xd == 0 || yd == 0) return;   // an empty range: nothing to place
        const qreal deltaX = area.width() / xd, deltaY = area.height() / yd;
        placed_.resize(points_.size());
        double left = qInf(), right = -qInf(), top = qInf(), bottom = -qInf();
        bool finite = true;
        for (qsizetype i = 0; i < points_.size(); ++i) {
            const qreal x = (points_[i].x() - minX) * deltaX;
            const qreal y = area.height() - (points_[i].y() - minY) * deltaY;
            placed_[i] = QPointF(x, y);
            finite = finite && std::isfinite(x) && std::isfinite(y);
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        if (!finite) {
            bounds_ = clip_;   // what a line to no number draws is left to the painter
            return;
        }
        const QImage marker = series_->lightMarker();
        const qreal margin = std::max<qreal>(series_->pen().widthF(), std::max(marker.width(), marker.height())) + 2;
        bounds_ = QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-margin, -margin, margin, margin) & clip_;
    }

    QChart *chart_;
    QXYSeries *series_;
    QList<QPointF> points_;
    mutable bool laidOut_ = false;
    mutable QList<QPointF> placed_;
    mutable QRectF clip_, bounds_;
};

ChartView::ChartView(QWidget *parent) : QChartView(new QChart(), parent)
{
    QChart *c = chart();
    c->setAnimationOptions(QChart::NoAnimation);
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignRight);
    bottom_ = new QValueAxis(c);
    left_ = new QValueAxis(c);
    bottom_->setObjectName("BottomAxis");
    left_->setObjectName("LeftAxis");
    for (QValueAxis *a : {bottom_, left_}) {
        a->setLabelFormat("%.10g");
        a->setRange(0.0, 1.0);
        a->setTickInterval(0.2);
        a->setTickAnchor(0.0);
        a->setTickType(QValueAxis::TicksDynamic);
    }
    c->addAxis(bottom_, Qt::AlignBottom);
    c->addAxis(left_, Qt::AlignLeft);
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    // A right click here undoes the zoom; it opens no menu.
    setContextMenuPolicy(Qt::PreventContextMenu);

    refine_ = new QTimer(this);
    refine_->setSingleShot(true);
    refine_->setInterval(0);
    connect(refine_, &QTimer::timeout, this, &ChartView::Refine);
    connect(bottom_, &QValueAxis::rangeChanged, this, &ChartView::RefineLater);
    connect(left_, &QValueAxis::rangeChanged, this, &ChartView::RefineLater);
    connect(c, &QChart::plotAreaChanged, this, &ChartView::RefineLater);
    for (QValueAxis *a : {bottom_, left_}) {
        // After Qt Charts has given its items the new pen.
        auto thin = [this, a] { HairlinesFor(a); };
        connect(a, &QAbstractAxis::linePenChanged, this, thin, Qt::QueuedConnection);
        connect(a, &QAbstractAxis::gridLinePenChanged, this, thin, Qt::QueuedConnection);
        connect(a, &QAbstractAxis::minorGridLinePenChanged, this, thin, Qt::QueuedConnection);
    }
    UseHairlines(true);
    connect(bottom_, &QValueAxis::rangeChanged, this, &ChartView::DrawnSeriesMoved);
    connect(left_, &QValueAxis::rangeChanged, this, &ChartView::DrawnSeriesMoved);
    connect(c, &QChart::plotAreaChanged, this, &ChartView::DrawnSeriesMoved);
}

void ChartView::DrawnSeriesMoved()
{
    for (ChartSeriesItem *item : std::as_const(drawn_))
        if (item) item->Moved();
}

ChartView::~ChartView()
{
    // The chart and its series go only after this part of the view: nothing
    // they signal on the way may reach the kept lines or the refinement.
    refine_->stop();
    for (QAbstractSeries *s : chart()->series()) disconnect(s, nullptr, this, nullptr);
    disconnect(chart(), nullptr, this, nullptr);
    disconnect(bottom_, nullptr, this, nullptr);
    disconnect(left_, nullptr, this, nullptr);
    // The chart and its series are deleted after this object's members: their
    // destroyed signals must no longer reach the kept lines.
    for (QAbstractSeries *s : chart()->series()) disconnect(s, &QObject::destroyed, this, nullptr);
}

QLineSeries *ChartView::AddLineSeries(int tag, const QString &title)
{
    auto *series = new QLineSeries(chart());
    series->setName(title);
    series->setProperty("Tag", tag);
    // A series deleted elsewhere must not leave its kept line or its drawing behind.
    connect(series, &QObject::destroyed, this, [this, series] {
        lines_.remove(series);
        pointSeries_.remove(series);
        delete drawn_.take(series).data();
    });
    auto *item = new ChartSeriesItem(chart(), series, AddToChart(series));
    drawn_.insert(series, item);
    connect(series, &QXYSeries::penChanged, item, [item] { item->Moved(); });
    connect(series, &QXYSeries::lightMarkerChanged, item, [item] { item->Moved(); });
    return series;
}

// Adds the series to the chart on the view's axes and returns the item Qt
// Charts draws it in, which the view's own drawing of the series goes in, so
// that it lies above the series added before it and below those added after
// it. Qt Charts (6.4.2, Debian 12) makes one child item of the chart for each
// series it is given, in no list of its public interface: it is told by being
// the one child that is new; the chart itself (drawn above every series) when
// no single one is.
QGraphicsItem *ChartView::AddToChart(QXYSeries *series)
{
    QChart *c = chart();
    const QList<QGraphicsItem *> before = c->childItems();
    c->addSeries(series);
    series->attachAxis(bottom_);
    series->attachAxis(left_);
    QGraphicsItem *made = nullptr;
    for (QGraphicsItem *item : c->childItems())
        if (!before.contains(item)) made = made ? c : item;
    return made ? made : c;
}

QAreaSeries *ChartView::AddAreaSeries(int tag, const QString &title)
{
    auto *area = new QAreaSeries(chart());
    // The area owns its lines.
    area->setUpperSeries(new QLineSeries(area));
    area->setLowerSeries(new QLineSeries(area));
    area->setName(title);
    area->setProperty("Tag", tag);
    chart()->addSeries(area);
    area->attachAxis(bottom_);
    area->attachAxis(left_);
    return area;
}

QLineSeries *ChartView::AddPointSeries(int tag, const QString &title, const QImage &marker, const QColor &colour)
{
    QLineSeries *series = AddLineSeries(tag, title);
    pointSeries_.insert(series);
    QPen pen(colour);
    pen.setStyle(Qt::NoPen);
    series->setPen(pen);
    series->setMarkerSize(marker.width());
    series->setLightMarker(marker);
    for (QLegendMarker *m : chart()->legend()->markers(series)) {
        m->setShape(QLegend::MarkerShapeRotatedRectangle);
        m->setBrush(colour);
        m->setPen(Qt::NoPen);
    }
    return series;
}

QList<QXYSeries *> ChartView::Series() const
{
    QList<QXYSeries *> list;
    for (QAbstractSeries *s : chart()->series())
        if (auto *xy = qobject_cast<QXYSeries *>(s)) list.append(xy);
    return list;
}

QXYSeries *ChartView::FindSeries(int tag) const
{
    for (QXYSeries *s : Series())
        if (Tag(s) == tag) return s;
    return nullptr;
}

int ChartView::Tag(const QAbstractSeries *series)
{
    return series ? series->property("Tag").toInt() : 0;
}

void ChartView::RemoveSeries(QXYSeries *series)
{
    if (!series) return;
    lines_.remove(series);
    pointSeries_.remove(series);
    delete drawn_.take(series).data();
    chart()->removeSeries(series);
    delete series;
}

void ChartView::RemoveAllSeries()
{
    for (QXYSeries *s : Series()) RemoveSeries(s);
}

int ChartView::Columns() const
{
    int width = static_cast<int>(chart()->plotArea().width());
    // Before the first layout the plot area is empty: assume a wide one.
    return width >= 16 ? width : std::max(this->width(), 1000);
}

int ChartView::Rows() const
{
    int height = static_cast<int>(chart()->plotArea().height());
    return height >= 16 ? height : std::max(this->height(), 600);
}

QList<QPointF> ChartView::Thinned(const Line &line) const
{
    if (line.scatter) return ThinScatterForDrawing(line.full, line.x0, line.x1, line.y0, line.y1, line.columns, line.rows);
    return DecimateForDrawing(line.full, line.x0, line.x1, line.columns);
}

void ChartView::SetSeriesPoints(QXYSeries *series, const QList<QPointF> &points)
{
    if (!series) return;
    Line line;
    line.x0 = bottom_->min();
    line.x1 = bottom_->max();
    line.columns = Columns();
    line.scatter = series->type() == QAbstractSeries::SeriesTypeScatter || pointSeries_.contains(series);
    line.y0 = left_->min();
    line.y1 = left_->max();
    line.rows = Rows();
    line.full = points;
    QList<QPointF> shown = Thinned(line);
    if (shown.size() == points.size()) {
        lines_.remove(series);
        Show(series, points);
        return;
    }
    lines_[series] = std::move(line);
    Show(series, std::move(shown));
}

void ChartView::Show(QXYSeries *series, QList<QPointF> points)
{
    ChartSeriesItem *item = drawn_.value(series);
    if (!item) {
        series->replace(points);
        return;
    }
    item->SetPoints(std::move(points));
    emit PointsShown(series);
}

qsizetype ChartView::PointCount(const QXYSeries *series) const
{
    auto it = lines_.constFind(series);
    if (it != lines_.constEnd()) return it->full.size();
    return ShownPoints(series).size();
}

QList<QPointF> ChartView::SeriesPoints(const QXYSeries *series) const
{
    auto it = lines_.constFind(series);
    if (it != lines_.constEnd()) return it->full;
    return ShownPoints(series);
}

QList<QPointF> ChartView::ShownPoints(const QXYSeries *series) const
{
    if (const ChartSeriesItem *item = drawn_.value(series)) return item->Points();
    return series ? series->points() : QList<QPointF>();
}

void ChartView::RefineLater()
{
    // A zoom only narrows the range: the ticks are made finer afterwards.
    UpdateTicks(bottom_, bottom_->min(), bottom_->max());
    UpdateTicks(left_, left_->min(), left_->max());
    SquareTicks();
    if (!lines_.isEmpty()) refine_->start();
}

// Thins the kept lines again when the x range or the plot width changed (a zoom,
// its undo or a resize).
void ChartView::Refine()
{
    const double x0 = bottom_->min(), x1 = bottom_->max();
    const double y0 = left_->min(), y1 = left_->max();
    const int columns = Columns(), rows = Rows();
    for (QXYSeries *s : Series()) {
        auto it = lines_.find(s);
        if (it == lines_.end()) continue;
        const bool xSame = it->x0 == x0 && it->x1 == x1 && it->columns == columns;
        if (xSame && (!it->scatter || (it->y0 == y0 && it->y1 == y1 && it->rows == rows))) continue;
        it->x0 = x0;
        it->x1 = x1;
        it->columns = columns;
        it->y0 = y0;
        it->y1 = y1;
        it->rows = rows;
        Show(s, Thinned(*it));
    }
}

// Tick marks at round numbers, about `spacing` pixels apart. Qt walks every
// tick from the anchor, so the interval is always set for a range before the
// axis gets that range (a small interval on a wide range would mean millions
// of ticks).
void ChartView::UpdateTicks(QValueAxis *axis, double min, double max)
{
    ApplyStep(axis, min, max, TickStep(axis, min, max));
}

// The round step (1, 2 or 5 times a power of ten) for about `Spacing` pixels
// between marks; 0 when the range has none.
double ChartView::TickStep(const QValueAxis *axis, double min, double max) const
{
    const QRectF area = chart()->plotArea();
    const double pixels = axis == bottom_ ? area.width() : area.height();
    const double spacing = Spacing(axis);
    const double range = max - min;
    const double marks = pixels >= spacing ? std::min(pixels / spacing, 50.0) : 5.0;
    const double wanted = range / marks;
    double step = 0.0;
    if (range > 0 && std::isfinite(range) && wanted > 0) {
        const double magnitude = std::pow(10.0, std::floor(std::log10(wanted)));
        for (double f : {1.0, 2.0, 5.0, 10.0}) {
            step = f * magnitude;
            if (step >= wanted) break;
        }
    }
    return step;
}

void ChartView::ApplyStep(QValueAxis *axis, double min, double max, double step)
{
    const double anchor = step > 0 ? std::floor(min / step) * step : 0.0;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(anchor) || (max - min) / step > 100.0) {
        // No round interval for this range: a fixed number of ticks is always safe.
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setTickCount(5);
        return;
    }
    axis->setTickInterval(step);
    axis->setTickAnchor(anchor);
    axis->setTickType(QValueAxis::TicksDynamic);
}

double ChartView::Spacing(const QValueAxis *axis) const
{
    if (squareSpacing_ > 0) return squareSpacing_;
    return axis == bottom_ ? 100.0 : 40.0;
}

void ChartView::SetSquareTicks(double spacing)
{
    squareSpacing_ = spacing;
    SquareTicks();
}

// The coarser of the two axes' steps on both: a coarser step never means more ticks.
void ChartView::SquareTicks()
{
    if (!(squareSpacing_ > 0)) return;
    const double step = std::max(TickStep(bottom_, bottom_->min(), bottom_->max()),
                                 TickStep(left_, left_->min(), left_->max()));
    for (QValueAxis *axis : {bottom_, left_}) ApplyStep(axis, axis->min(), axis->max(), step);
}

// A range the axis already shows changes nothing: neither its ticks (the plot
// area's changes set those) nor the drawing, which a new range would redo whole.
void ChartView::SetAxisRange(QValueAxis *axis, double min, double max)
{
    if (axis->min() == min && axis->max() == max) return;
    UpdateTicks(axis, min, max);
    axis->setRange(min, max);
    SquareTicks();
}

std::pair<double, double> ChartView::XRangeFor(double min, double max)
{
    if (max > min) return {min, max};
    // An empty or single-valued range still shows its value.
    const double centre = std::isfinite(min) ? min : 0.0;
    return {centre - 1.0, centre + 1.0};
}

std::optional<std::pair<double, double>> ChartView::YRangeFor(double min, double max)
{
    // An axis never shows a minimum above its maximum.
    if (!(max > min) || !std::isfinite(max - min)) return std::nullopt;
    return std::make_pair(min, max);
}

void ChartView::SetXRange(double min, double max)
{
    homeX_ = XRangeFor(min, max);
    SetAxisRange(bottom_, homeX_.first, homeX_.second);
}

void ChartView::SetYRange(double min, double max)
{
    const auto range = YRangeFor(min, max);
    if (!range) return;
    homeY_ = *range;
    SetAxisRange(left_, min, max);
}

void ChartView::Refill(Range x, Range y, const std::vector<std::pair<QXYSeries *, QList<QPointF>>> &fills)
{
    auto moves = [](const QValueAxis *axis, std::pair<double, double> range) {
        return axis->min() != range.first || axis->max() != range.second;
    };
    const bool xMoves = x && moves(bottom_, XRangeFor(x->first, x->second));
    const std::optional<std::pair<double, double>> shownY = y ? YRangeFor(y->first, y->second) : std::nullopt;
    const bool yMoves = shownY && moves(left_, *shownY);
    // The series drawn here are placed on the plot area only when drawn.
    if (xMoves || yMoves)
        for (const auto &fill : fills)
            if (!drawn_.value(fill.first)) fill.first->clear();
    if (x) SetXRange(x->first, x->second);
    if (y) SetYRange(y->first, y->second);
    for (const auto &[series, points] : fills) SetSeriesPoints(series, points);
}

bool ChartView::IsZoomed() const
{
    return chart()->isZoomed();
}

void ChartView::UndoZoom()
{
    if (!chart()->isZoomed()) return;
    // The ranges before the zoom are the last ones set here.
    UpdateTicks(bottom_, homeX_.first, homeX_.second);
    UpdateTicks(left_, homeY_.first, homeY_.second);
    chart()->zoomReset();
    SquareTicks();
}

void ChartView::SetZoomedRanges(double xmin, double xmax, double ymin, double ymax)
{
    if (!(xmax > xmin) || !(ymax > ymin) || !std::isfinite(xmax - xmin) || !std::isfinite(ymax - ymin)) return;
    SetAxisRange(bottom_, xmin, xmax);
    SetAxisRange(left_, ymin, ymax);
}

void ChartView::SetBackColor(const QColor &colour)
{
    chart()->setPlotAreaBackgroundBrush(colour);
    chart()->setPlotAreaBackgroundVisible(true);
}

QColor ChartView::BackColor() const
{
    return chart()->plotAreaBackgroundBrush().color();
}

// A pen one pixel wide, drawn at one device pixel a unit, draws the same pixels
// as a pen of no width (both are the painter's one-pixel lines), but the extent
// of a line item with a wide pen is worked out from its stroked outline, each
// time it is drawn or moved: the axes' lines, ticks and grid get pens of no
// width while the screen the view is on does not scale them (set when the view
// is shown or moves to another screen, never while it paints).
void ChartView::UseHairlines(bool use)
{
    hairlines_ = use;
    for (QValueAxis *axis : {bottom_, left_}) HairlinesFor(axis);
}

void ChartView::HairlinesFor(QValueAxis *axis)
{
    int &thinned = thinned_[axis];
    auto adjust = [&](QPen pen, int bit, auto set) {
        if (hairlines_ && pen.widthF() == 1.0 && pen.style() != Qt::NoPen) {
            thinned |= bit;
            pen.setWidthF(0);
            (axis->*set)(pen);
        } else if (!hairlines_ && (thinned & bit) && pen.widthF() == 0.0) {
            pen.setWidthF(1);
            (axis->*set)(pen);
        }
        // A pen of no width set from outside stays as it is.
        if (pen.widthF() != 0.0) thinned &= ~bit;
        if (!hairlines_) thinned &= ~bit;
    };
    adjust(axis->linePen(), 1, &QAbstractAxis::setLinePen);
    adjust(axis->gridLinePen(), 2, &QAbstractAxis::setGridLinePen);
    adjust(axis->minorGridLinePen(), 4, &QAbstractAxis::setMinorGridLinePen);
}

void ChartView::showEvent(QShowEvent *event)
{
    QChartView::showEvent(event);
    FollowScreen();
}

void ChartView::FollowScreen()
{
    UseHairlines(devicePixelRatioF() == 1.0);
    QWindow *shownIn = window()->windowHandle();
    if (shownIn && shownIn != screenWatched_) {
        if (screenWatched_) disconnect(screenWatched_, nullptr, this, nullptr);
        screenWatched_ = shownIn;
        connect(shownIn, &QWindow::screenChanged, this, &ChartView::FollowScreen);
    }
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (!chart()->isZoomed()) return;
        UndoZoom();
        Refine();
        emit ZoomUndone();
        return;
    }
    const QPointF xBefore(bottom_->min(), bottom_->max()), yBefore(left_->min(), left_->max());
    QChartView::mouseReleaseEvent(event);
    const bool moved = xBefore != QPointF(bottom_->min(), bottom_->max()) || yBefore != QPointF(left_->min(), left_->max());
    if (event->button() == Qt::LeftButton && moved && chart()->isZoomed()) emit ZoomedIn();
}

QImage ChartView::ChartImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(&painter);
    return image;
}

QByteArray ChartView::ChartSvg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Lines one pixel wide, as set.
    const bool hairlines = hairlines_;
    UseHairlines(false);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size());
    generator.setViewBox(QRect(QPoint(0, 0), size()));
    generator.setTitle(chart()->title());
    QPainter painter(&generator);
    render(&painter);
    painter.end();
    UseHairlines(hairlines);
    return bytes;
}

void ChartView::CopyChartToClipboard()
{
    auto *data = new QMimeData;
    QImage image = ChartImage();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    data->setImageData(image);
    data->setData("image/png", png);
    data->setData("image/svg+xml", ChartSvg());
    QApplication::clipboard()->setMimeData(data);
}

void ChartView::CopyWidgetToClipboard(QWidget *widget)
{
    if (!widget) return;
    QApplication::clipboard()->setImage(widget->grab().toImage());
}
