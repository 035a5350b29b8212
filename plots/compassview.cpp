#include "plots/compassview.h"

#include <QEvent>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int FaceRadius = 119;   // the bottom edge allows no more
constexpr double Pi = 3.14159265358979323846;

QPointF OnDial(double degrees, double radius)
{
    double a = degrees * Pi / 180.0;
    return {DialCentre + 0.5 + radius * std::sin(a), DialCentre + 0.5 - radius * std::cos(a)};
}

bool SameNeedles(const std::vector<CompassView::Needle> &a, const std::vector<CompassView::Needle> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CompassView::Needle &x, const CompassView::Needle &y) {
        const NeedlePolygon &p = x.Polygon, &q = y.Polygon;
        return p.Tip == q.Tip && p.FirstWing == q.FirstWing && p.Tail == q.Tail && p.SecondWing == q.SecondWing &&
               x.Colour == y.Colour;
    });
}

// The pixels the needles and the hub over them touch: the corners, the
// one-pixel outline and its smoothed edge around them.
QRect NeedlesArea(const std::vector<CompassView::Needle> &needles)
{
    if (needles.empty()) return {};
    QRect area(DialCentre - 3, DialCentre - 3, 7, 7);   // the hub
    for (const CompassView::Needle &n : needles)
        for (DialPoint d : {n.Polygon.Tip, n.Polygon.FirstWing, n.Polygon.Tail, n.Polygon.SecondWing})
            area |= QRect(d.X, d.Y, 1, 1);
    return area.adjusted(-2, -2, 2, 2);
}

} // namespace

void PaintCompassRose(QPainter &p, QSize size, const QColor &background)
{
    p.save();
    p.fillRect(QRect(QPoint(0, 0), size), background);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre(DialCentre + 0.5, DialCentre + 0.5);

    // Face and rim
    p.setPen(QPen(QColor(64, 64, 64), 2));
    p.setBrush(QColor(250, 250, 246));
    p.drawEllipse(centre, FaceRadius - 1, FaceRadius - 1);
    p.setPen(QPen(QColor(200, 200, 196), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 60, 60);

    // Ticks: every 5 degrees, longer every 10, longest every 30
    for (int deg = 0; deg < 360; deg += 5) {
        double inner = deg % 30 == 0 ? FaceRadius - 14 : deg % 10 == 0 ? FaceRadius - 9 : FaceRadius - 6;
        p.setPen(QPen(QColor(64, 64, 64), deg % 30 == 0 ? 2 : 1));
        p.drawLine(OnDial(deg, inner), OnDial(deg, FaceRadius - 2));
    }

    // Cardinal letters and the degrees between them
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    const char *cardinal[] = {"N", "E", "S", "W"};
    for (int i = 0; i < 4; ++i) {
        QPointF at = OnDial(90.0 * i, FaceRadius - 26);
        p.drawText(QRectF(at.x() - 12, at.y() - 10, 24, 20), Qt::AlignCenter, cardinal[i]);
    }
    font.setBold(false);
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(QColor(80, 80, 80));
    for (int deg = 30; deg < 360; deg += 30) {
        if (deg % 90 == 0) continue;
        QPointF at = OnDial(deg, FaceRadius - 24);
        p.drawText(QRectF(at.x() - 12, at.y() - 8, 24, 16), Qt::AlignCenter, QString::number(deg));
    }
    p.restore();
}

CompassView::CompassView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CompassView::SetNeedles(std::vector<Needle> needles)
{
    // Needles that lie on the same pixels leave the picture as it is; else only
    // where the old needles were and the new ones go is drawn again.
    if (SameNeedles(needles, needles_)) return;
    const QRect area = NeedlesArea(needles_) | NeedlesArea(needles);
    needles_ = std::move(needles);
    update(area);
}

void CompassView::InvalidateDial()
{
    cache_ = QPixmap();
    update();
}

QPixmap CompassView::DialPicture(qreal ratio) const
{
    QPixmap picture(size() * ratio);
    picture.setDevicePixelRatio(ratio);
    QPainter p(&picture);
    PaintCompassRose(p, size(), palette().color(QPalette::Window));
    return picture;
}

void CompassView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) cache_ = QPixmap();
    QWidget::changeEvent(event);
}

void CompassView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // What is painted on decides the ratio: the screen, or a picture rendered at
    // another scale (then the painter's scale says so, not the widget).
    const QTransform t = p.deviceTransform();
    qreal ratio = std::hypot(t.m11(), t.m12());
    if (!(ratio > 0.0)) ratio = p.device()->devicePixelRatioF();
    if (cache_.isNull() || cache_.devicePixelRatio() != ratio || cache_.deviceIndependentSize() != QSizeF(size()))
        cache_ = DialPicture(ratio);
    p.drawPixmap(0, 0, cache_);

    p.setRenderHint(QPainter::Antialiasing, true);
    for (const Needle &n : needles_) {
        // Through the middle of each corner pixel, so the one-pixel outline stays sharp.
        auto at = [](DialPoint d) { return QPointF(d.X + 0.5, d.Y + 0.5); };
        const NeedlePolygon &g = n.Polygon;
        const QPointF corners[] = {at(g.Tip), at(g.FirstWing), at(g.Tail), at(g.SecondWing)};
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(n.Colour);
        p.drawPolygon(corners, 4);
    }
    if (!needles_.empty()) {
        // The hub
        p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(DialCentre + 0.5, DialCentre + 0.5));
    }
}
