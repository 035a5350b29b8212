// One beat every 50 ms for the views that take a stream at screen rate: the
// views due at a beat are drawn in the same turn of the event loop, so the
// frame around them is painted once for all of them, not once for each.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

class PresentBeat : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 PeriodMs = 50;
    // Panes of scrolling traffic are redrawn every fourth beat: text that runs
    // past is read no faster, and each redraw lays out and draws the lines that
    // came in and moves the window's pixels.
    static constexpr qint64 TrafficMs = 4 * PeriodMs;

    // The time from now until TrafficMs have passed since shown (at once when
    // nothing was shown yet).
    static qint64 TrafficWait(const QElapsedTimer &shown) { return shown.isValid() ? TrafficMs - shown.elapsed() : 0; }

    // Calls show at the first beat at least notBeforeMs from now (the newest
    // show replaces one a client already waits with); nothing for a client
    // destroyed meanwhile.
    static void Request(QObject *client, qint64 notBeforeMs, std::function<void()> show);
    // Forgets what the client waits with.
    static void Cancel(QObject *client);
    static bool Waiting(const QObject *client);

private:
    struct Entry {
        QPointer<QObject> client;
        qint64 due;   // ms on clock_
        std::function<void()> show;
    };
    PresentBeat();
    static PresentBeat &Instance();
    void Schedule();
    void Beat();

    QElapsedTimer clock_;
    QTimer timer_;
    std::vector<Entry> waiting_;
};
