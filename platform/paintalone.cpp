#include "platform/paintalone.h"

#include <QEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace {

// A widget Qt paints without anything beneath it.
bool FillsItself(const QWidget *w)
{
    if (w->isWindow() || w->testAttribute(Qt::WA_OpaquePaintEvent) || w->testAttribute(Qt::WA_PaintOnScreen)) return true;
    return w->autoFillBackground() && w->palette().brush(w->backgroundRole()).isOpaque();
}

}   // namespace

QList<QPointer<QWidget>> PaintAlone::Ancestors(const QWidget *widget)
{
    QList<QPointer<QWidget>> chain;
    for (QWidget *w = widget->parentWidget(); w; w = w->parentWidget()) {
        chain << w;
        if (FillsItself(w)) return chain;
    }
    return {};
}

// Nothing lies over or beneath the widget but its ancestors: no sibling of it
// or of an ancestor meets its rectangle.
bool PaintAlone::Alone(const QWidget *widget, const QList<QPointer<QWidget>> &ancestors)
{
    if (ancestors.isEmpty() || !widget->mask().isEmpty() || widget->internalWinId()) return false;
    const QWidget *node = widget;
    for (const QPointer<QWidget> &parent : ancestors) {
        if (!parent || node->parentWidget() != parent) return false;
        const QRect place(widget->mapTo(parent, QPoint()), widget->size());
        for (const QObject *o : parent->children()) {
            const auto *sibling = qobject_cast<const QWidget *>(o);
            if (!sibling || sibling == node || sibling->isWindow() || sibling->isHidden()) continue;
            if (sibling->geometry().intersects(place)) return false;
        }
        node = parent;
    }
    return true;
}

PaintAlone::~PaintAlone()
{
    for (QWidget *widget : backdrops_.keys()) LetGo(widget);
}

bool PaintAlone::Watch(QWidget *widget)
{
    if (!widget || widget->isWindow() || FillsItself(widget) || backdrops_.contains(widget)) return false;
    const QList<QPointer<QWidget>> ancestors = Ancestors(widget);
    if (!Alone(widget, ancestors)) return false;
    backdrops_.insert(widget, {ancestors, {}, {}, false});
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this, widget] { Release(widget); });
    for (QWidget *a : ancestors) {
        if (!above_.contains(a)) {
            a->installEventFilter(this);
            connect(a, &QObject::destroyed, this, [this, a] { above_.remove(a); });
        }
        above_[a] << widget;
    }
    return true;
}

void PaintAlone::Release(QWidget *widget)
{
    const auto it = backdrops_.find(widget);
    if (it == backdrops_.end()) return;
    for (const QPointer<QWidget> &a : it->ancestors)
        if (a && above_.contains(a)) {
            above_[a].removeAll(widget);
            if (above_[a].isEmpty()) {
                above_.remove(a);
                a->removeEventFilter(this);
            }
        }
    backdrops_.erase(it);
}

// The widget painted with its ancestors again, as before it was watched.
void PaintAlone::LetGo(QWidget *widget)
{
    Release(widget);
    widget->removeEventFilter(this);
    widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
    widget->update();
}

// The ancestors' drawing beneath the widget, farthest first, each as it paints
// itself there (the farthest with its background), then the widget's part of it.
void PaintAlone::Draw(QWidget *widget, Backdrop &backdrop, const QRegion &region)
{
    QPainter painter(widget);
    QWidget *last = backdrop.ancestors.last();
    const QPoint place = widget->mapTo(last, QPoint());
    const qreal ratio = widget->devicePixelRatioF();
    const QImage *device = dynamic_cast<const QImage *>(painter.paintEngine()->paintDevice());
    const QImage::Format format = device ? device->format() : QImage::Format_RGB32;
    if (!backdrop.valid || backdrop.place != place || backdrop.picture.size() != widget->size() * ratio ||
        backdrop.picture.devicePixelRatio() != ratio || backdrop.picture.format() != format) {
        backdrop.picture = QImage(widget->size() * ratio, format);
        backdrop.picture.setDevicePixelRatio(ratio);
        drawing_ = true;
        for (qsizetype i = backdrop.ancestors.size() - 1; i >= 0; --i) {
            QWidget *a = backdrop.ancestors[i];
            const QRect there(widget->mapTo(a, QPoint()), widget->size());
            a->render(&backdrop.picture, QPoint(), QRegion(there),
                      a == last ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
        }
        drawing_ = false;
        backdrop.place = place;
        backdrop.valid = true;
    }
    painter.setClipRegion(region);
    painter.drawImage(0, 0, backdrop.picture);
}

bool PaintAlone::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = static_cast<QWidget *>(watched);
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint && !drawing_) {
        // An ancestor repaints: what it draws beneath the widgets over it may have changed.
        if (const auto it = above_.constFind(widget); it != above_.constEnd())
            for (QWidget *over : *it) backdrops_[over].valid = false;
        const auto own = backdrops_.find(widget);
        if (own == backdrops_.end()) return false;
        if (Alone(widget, own->ancestors)) {
            Draw(widget, *own, static_cast<QPaintEvent *>(event)->region());
        } else {
            LetGo(widget);   // something came to lie beneath or over it
        }
        return false;
    }
    // A style that polishes the widget may take the attribute off again.
    if ((type == QEvent::Polish || type == QEvent::StyleChange || type == QEvent::Show) && backdrops_.contains(widget))
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
    if (type == QEvent::ParentChange && backdrops_.contains(widget)) LetGo(widget);
    return false;
}
