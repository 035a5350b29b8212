// Widgets that change often and paint only part of their rectangle (a line
// edit's rounded frame, a label's text, a scroll bar) make Qt repaint every
// ancestor beneath them, up to one that fills its own background, and the
// siblings there. A widget given to PaintAlone draws what its ancestors paint
// beneath it itself, from a picture of their drawing kept while none of them
// repaints, and so is painted alone when it changes. What is shown stays the
// same pixel for pixel: the picture is what the ancestors draw there, and the
// widget draws itself over it as before.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QList>

class QWidget;

class PaintAlone : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The widgets still watched are painted with their ancestors again.
    ~PaintAlone() override;
    // Only where nothing but its ancestors lies beneath or over the widget
    // (now and whenever it is painted; a widget that comes to lie there turns
    // the widget back to being painted with its ancestors); false, and the
    // widget left as it was, otherwise.
    bool Watch(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Backdrop {
        QList<QPointer<QWidget>> ancestors;   // nearest first, the last one fills its background
        QImage picture;
        QPoint place;   // the widget's place in the last ancestor when the picture was drawn
        bool valid = false;
    };
    static QList<QPointer<QWidget>> Ancestors(const QWidget *widget);
    static bool Alone(const QWidget *widget, const QList<QPointer<QWidget>> &ancestors);
    void Draw(QWidget *widget, Backdrop &backdrop, const QRegion &region);
    void Release(QWidget *widget);   // forgotten, as it stands
    void LetGo(QWidget *widget);     // forgotten and painted with its ancestors again

    QHash<QWidget *, Backdrop> backdrops_;
    QHash<QWidget *, QList<QWidget *>> above_;   // an ancestor and the watched widgets it lies beneath
    bool drawing_ = false;   // the ancestors are being drawn into a picture
};
