// Value labels that change with every line draw their text from a table of
// the font's glyphs and advances, laid out once for the font, in place of
// laying the text out at each paint. What they show is what the label draws
// itself; a text the table cannot place exactly, or a label set up otherwise
// than a plain one-line text, is drawn by the label as always.
#pragma once

#include <QObject>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

class QLabel;
class QPainter;
class QWidget;

class LabelText : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The labels' paint events go through this object.
    void Watch(QLabel *label);
    // The labels directly in container (a widget that paints nothing but its
    // background) fill their own background and so are painted alone when
    // their text changes, not with the container and every window beneath
    // it. Only where every pixel stays as it was: the container fills a plain
    // colour, no widget lies over the label, and what lies beneath it is
    // labels, which the label draws beneath its text (clipped to itself) as
    // they draw themselves. The others are left as they are.
    void FillBehind(QWidget *container);
    // Draws the label's text as QLabel::paintEvent would (with the painter
    // given, or one of its own); false when the label must draw itself.
    static bool Draw(QLabel *label, QPainter *into = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The label fills its background; false when it may not.
    static bool MayFill(const QLabel *label);
    void Fill(QLabel *label, bool fill);
    void DrawBeneath(QLabel *label, QPainter &painter);
    // What each label watched is to this object.
    enum Role { Text = 1, Filled = 2, Beneath = 4 };
    void Mark(QLabel *label, int role, bool on);

    QHash<QObject *, int> roles_;
    // What a filled label last drew of the labels beneath it, and what they were then.
    struct Underlay {
        struct Label {
            const QLabel *label;
            QRect place;
            QString text;
            bool enabled;
            bool operator==(const Label &) const = default;
        };
        QImage picture;
        QRect covered;
        QColor fill;
        std::vector<Label> labels;
        bool valid = false;
    };
    QHash<QObject *, Underlay> underlays_;
};
