// The redraws of a window whose chart moves with every line: on the present
// beat, at most one every IntervalMs (a reader follows a moving chart no faster,
// and each redraw lays out and paints every series anew), only when its data
// changed, and none while the window is hidden, minimised or not mapped on the
// screen: it catches up at the first beat after it is shown again.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/presentbeat.h"

class QWidget;
class QWindow;

class ChartBeat : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 IntervalMs = 4 * PresentBeat::PeriodMs;

    // redraw brings the window's chart up to date; it calls Drawn().
    ChartBeat(QWidget *window, std::function<void()> redraw);
    ~ChartBeat() override;

    // The data changed: a redraw at the first beat IntervalMs after the last one
    // (at once when none was drawn yet), or when the window can be seen again.
    void Request();
    bool Pending() const { return pending_; }
    // The window redrew (on the beat or on its own): nothing is pending, and the
    // next redraw waits its interval.
    void Drawn();
    // Shown, not minimised and mapped (a window the X server does not show gets
    // nothing drawn; one merely covered by another cannot be told apart).
    bool Drawable() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Schedule(qint64 waitMs);
    void Beat();
    void Resume();

    QWidget *window_;
    QPointer<QWindow> handle_;   // the window's native window, watched for exposure
    std::function<void()> redraw_;
    QElapsedTimer drawn_;
    bool pending_ = false;
};
