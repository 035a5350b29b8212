// The paint box of the heading compass: a cached compass rose with the needles
// on top. The rose is drawn once per device-pixel ratio into a pixmap; painting
// is a blit of that pixmap and a few polygons.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <vector>

#include "plots/compass.h"

class CompassView : public QWidget {
    Q_OBJECT
public:
    explicit CompassView(QWidget *parent = nullptr);

    struct Needle {
        NeedlePolygon Polygon;
        QColor Colour;
    };
    // The needles to draw, in drawing order; repaints where the needles were
    // and where they go, nothing when they lie on the same pixels.
    void SetNeedles(std::vector<Needle> needles);
    const std::vector<Needle> &Needles() const { return needles_; }

    // Forgets the cached rose (its colours changed); the next paint draws it again.
    void InvalidateDial();
    // The rose without needles, at the given device-pixel ratio: what the cache holds.
    QPixmap DialPicture(qreal ratio) const;
    // The ratio the cached rose was last drawn at (0 before the first paint).
    qreal CachedRatio() const { return cache_.isNull() ? 0.0 : cache_.devicePixelRatio(); }

    QSize sizeHint() const override { return {249, 245}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::vector<Needle> needles_;
    QPixmap cache_;
};

// Draws the compass rose in dial pixels (centre at DialCentre, DialCentre) over
// a background of the given colour.
void PaintCompassRose(QPainter &painter, QSize size, const QColor &background);
