#include "platform/beatdrawing.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegion>
#include <QWidget>

BeatDrawing::BeatDrawing(QWidget *view, std::function<void()> draw, qint64 periodMs)
    : QObject(view), view_(view), draw_(std::move(draw)), periodMs_(periodMs)
{
}

BeatDrawing::~BeatDrawing()
{
    PresentBeat::Cancel(this);
    StopWatching();
}

void BeatDrawing::Changed()
{
    pending_ = true;
    Schedule();
}

void BeatDrawing::Schedule()
{
    if (!pending_ || PresentBeat::Waiting(this)) return;
    if (!InSight(view_)) return WatchForSight();
    const qint64 since = drawn_.isValid() ? drawn_.elapsed() : periodMs_;
    if (since >= periodMs_) DrawPending();
    else PresentBeat::Request(this, periodMs_ - since, [this] {
        if (InSight(view_)) DrawPending();
        else WatchForSight();
    });
}

void BeatDrawing::DrawPending()
{
    PresentBeat::Cancel(this);
    StopWatching();
    if (!pending_) return;
    pending_ = false;
    draw_();
    ++drawings_;
    drawn_.start();
}

void BeatDrawing::Discard()
{
    pending_ = false;
    PresentBeat::Cancel(this);
    StopWatching();
}

namespace {

bool Minimised(const QWidget *w) { return w->windowState() & Qt::WindowMinimized; }

// The frame's windows above this one leave none of it to be seen.
bool CoveredInFrame(const QMdiSubWindow *sub)
{
    const QMdiArea *area = sub->mdiArea();
    if (!area) return false;
    QRegion left = QRegion(sub->geometry()) & QRegion(area->viewport()->rect());
    const QList<QMdiSubWindow *> order = area->subWindowList(QMdiArea::StackingOrder);   // bottom first
    for (qsizetype i = order.indexOf(const_cast<QMdiSubWindow *>(sub)) + 1; i > 0 && i < order.size(); ++i) {
        const QMdiSubWindow *above = order[i];
        if (above->isVisible() && !Minimised(above)) left -= above->geometry();
    }
    return left.isEmpty();
}

} // namespace

bool BeatDrawing::InSight(const QWidget *widget)
{
    if (!widget || !widget->isVisible()) return false;
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (Minimised(w)) return false;
        if (auto *sub = qobject_cast<const QMdiSubWindow *>(w); sub && CoveredInFrame(sub)) return false;
    }
    return true;
}

// Out of sight, the view waits for whatever may bring it into sight: its
// windows shown or restored, or the windows of its frame moved, hidden,
// minimised or raised.
void BeatDrawing::WatchForSight()
{
    if (!watched_.empty()) return;
    auto watch = [this](QObject *o) {
        o->installEventFilter(this);
        watched_.emplace_back(o);
    };
    for (QWidget *w = view_; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (w == view_ || w->isWindow() || qobject_cast<QMdiSubWindow *>(w)) watch(w);
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w); sub && sub->mdiArea())
            for (QMdiSubWindow *other : sub->mdiArea()->subWindowList())
                if (other != sub) watch(other);
    }
}

void BeatDrawing::StopWatching()
{
    for (const QPointer<QObject> &o : watched_)
        if (o) o->removeEventFilter(this);
    watched_.clear();
}

bool BeatDrawing::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::ZOrderChange:
        // Seen once the event has taken effect: at the next beat.
        if (pending_ && !PresentBeat::Waiting(this))
            PresentBeat::Request(this, 0, [this] {
                if (InSight(view_)) DrawPending();
            });
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
