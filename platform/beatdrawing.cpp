#include "platform/beatdrawing.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {

// The one clock of the beat: the drawings due by a beat are drawn at it, in the
// order they asked.
class Beat {
public:
    static Beat &Instance()
    {
        // Never destroyed: its timer must not outlive the event loop's thread data.
        static Beat *beat = new Beat;
        return *beat;
    }

    // Calls the drawing's AtBeat at the first beat at least notBeforeMs from now.
    void Request(BeatDrawing *drawing, qint64 notBeforeMs, std::function<void()> atBeat)
    {
        const qint64 due = clock_.elapsed() + std::max<qint64>(notBeforeMs, 0);
        auto it = Find(drawing);
        if (it == waiting_.end()) waiting_.push_back({drawing, due, std::move(atBeat)});
        else *it = {drawing, std::max(it->due, due), std::move(atBeat)};
        Schedule();
    }
    void Cancel(const BeatDrawing *drawing)
    {
        if (auto it = Find(drawing); it != waiting_.end()) waiting_.erase(it);
    }

private:
    struct Entry {
        QPointer<BeatDrawing> drawing;
        qint64 due;   // ms on clock_
        std::function<void()> atBeat;
    };

    Beat()
    {
        clock_.start();
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Run(); });
    }
    std::vector<Entry>::iterator Find(const BeatDrawing *drawing)
    {
        return std::find_if(waiting_.begin(), waiting_.end(), [&](const Entry &e) { return e.drawing == drawing; });
    }

    // The timer is set for the first beat at or after the earliest due time.
    void Schedule()
    {
        if (waiting_.empty()) return timer_.stop();
        qint64 due = waiting_.front().due;
        for (const Entry &e : waiting_) due = std::min(due, e.due);
        const qint64 beat = (due + BeatDrawing::BeatMs - 1) / BeatDrawing::BeatMs * BeatDrawing::BeatMs;
        timer_.start(static_cast<int>(std::max<qint64>(beat - clock_.elapsed(), 0)));
    }

    void Run()
    {
        // A late beat still draws only what is due by now; what a drawing asks
        // for anew waits for a later beat.
        const qint64 now = clock_.elapsed() + 1;
        std::vector<Entry> due;
        auto split = std::stable_partition(waiting_.begin(), waiting_.end(), [&](const Entry &e) { return e.due > now && e.drawing; });
        std::move(split, waiting_.end(), std::back_inserter(due));
        waiting_.erase(split, waiting_.end());
        for (Entry &e : due)
            if (e.drawing) e.atBeat();
        Schedule();
    }

    QElapsedTimer clock_;
    QTimer timer_;
    std::vector<Entry> waiting_;
};

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

BeatDrawing::BeatDrawing(QWidget *view, std::function<void()> draw, qint64 periodMs)
    : QObject(view), view_(view), draw_(std::move(draw)), periodMs_(periodMs)
{
}

BeatDrawing::~BeatDrawing()
{
    Beat::Instance().Cancel(this);
    StopWatching();
}

void BeatDrawing::Changed()
{
    pending_ = true;
    Schedule();
}

// From the first change until it is drawn the view watches for what may take it
// out of sight or bring it into sight, so a change looks at its sight once.
void BeatDrawing::Schedule()
{
    if (!pending_ || atBeat_) return;
    if (watched_.empty()) seen_ = InSight(view_);
    const qint64 since = drawn_.isValid() ? drawn_.elapsed() : periodMs_;
    if (seen_ && since >= periodMs_) return DrawPending();
    WatchForSight();
    if (seen_) WaitForBeat(periodMs_ - since);
}

void BeatDrawing::WaitForBeat(qint64 notBeforeMs)
{
    atBeat_ = true;
    Beat::Instance().Request(this, notBeforeMs, [this] {
        atBeat_ = false;
        seen_ = InSight(view_);
        if (seen_) return DrawPending();
        // Out of sight: watched from now on with the windows the frame holds now,
        // one of which may be what covers the view.
        StopWatching();
        WatchForSight();
    });
}

void BeatDrawing::DrawPending()
{
    const bool pending = pending_;
    Discard();
    if (!pending) return;
    drawn_.start();
    ++drawings_;
    draw_();
}

void BeatDrawing::Discard()
{
    pending_ = false;
    atBeat_ = false;
    Beat::Instance().Cancel(this);
    StopWatching();
}

bool BeatDrawing::InSight(const QWidget *widget)
{
    if (!widget || !widget->isVisible()) return false;
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (Minimised(w)) return false;
        if (auto *sub = qobject_cast<const QMdiSubWindow *>(w); sub && CoveredInFrame(sub)) return false;
    }
    return true;
}

// What may bring the view into sight or take it out: its windows shown, hidden,
// minimised or restored, and the windows of its frame moved, hidden, minimised
// or raised.
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
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::ZOrderChange: {
        if (!pending_) break;
        // Come into sight: drawn now, before the window is painted.
        const bool seen = InSight(view_);
        if (seen && !seen_) {
            DrawPending();
            break;
        }
        seen_ = seen;
        // Some changes take effect only once delivered: looked at again at the next beat.
        if (!seen && !atBeat_) WaitForBeat(0);
        break;
    }
    case QEvent::Hide:
        // A hide comes also while windows are taken down: never drawn inside it.
        if (!pending_) break;
        seen_ = InSight(view_);
        if (!atBeat_) WaitForBeat(0);
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
