// Value labels that change with every line draw their text, in their own
// paint, as one run of glyphs from the font's glyph table in place of laying
// the text out at each paint. What they show is what the label draws itself;
// a text the table cannot place exactly, or a label set up otherwise than a
// plain one-line text, is drawn by the label as always.
#pragma once

#include <QObject>

class QLabel;

class LabelText : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The labels' paint events go through this object.
    void Watch(QLabel *label);
    // Draws the label's text as QLabel::paintEvent would; false when the label
    // must draw itself.
    static bool Draw(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
