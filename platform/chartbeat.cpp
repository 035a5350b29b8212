#include "platform/chartbeat.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

ChartBeat::ChartBeat(QWidget *window, std::function<void()> redraw)
    : QObject(window), window_(window), redraw_(std::move(redraw))
{
    window_->installEventFilter(this);
}

ChartBeat::~ChartBeat() { PresentBeat::Cancel(this); }

bool ChartBeat::Drawable() const
{
    if (!window_->isVisible() || window_->isMinimized()) return false;
    const QWindow *handle = window_->windowHandle();
    return !handle || handle->isExposed();
}

void ChartBeat::Request()
{
    pending_ = true;
    if (!Drawable() || PresentBeat::Waiting(this)) return;
    Schedule(drawn_.isValid() ? IntervalMs - drawn_.elapsed() : 0);
}

void ChartBeat::Drawn()
{
    pending_ = false;
    PresentBeat::Cancel(this);
    drawn_.restart();
}

void ChartBeat::Schedule(qint64 waitMs)
{
    PresentBeat::Request(this, waitMs, [this] { Beat(); });
}

void ChartBeat::Beat()
{
    // Hidden meanwhile: it stays pending until shown.
    if (pending_ && Drawable()) redraw_();
}

// Seen again: what came meanwhile is drawn at the next beat.
void ChartBeat::Resume()
{
    if (pending_ && Drawable() && !PresentBeat::Waiting(this)) Schedule(0);
}

bool ChartBeat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_) {
        if (event->type() == QEvent::Show) {
            // The native window exists from the first show on; its exposure is watched from then.
            if (QWindow *handle = window_->windowHandle(); handle && handle != handle_) {
                handle_ = handle;
                handle->installEventFilter(this);
            }
            Resume();
        } else if (event->type() == QEvent::WindowStateChange) {
            Resume();
        }
    } else if (watched == handle_ && event->type() == QEvent::Expose) {
        Resume();
    }
    return QObject::eventFilter(watched, event);
}
