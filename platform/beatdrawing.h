// Drawing a view at the screen-rate beat. The data tells the view that it
// changed; the view is drawn at once when it has drawn nothing for its period,
// else at the first beat after that, once for all the changes meanwhile. One
// beat every 50 ms serves every view: the views due at a beat are drawn in the
// same turn of the event loop, so the frame around them is painted once for all
// of them. A view that cannot be seen (hidden, minimised, in a minimised
// window, or covered whole by the other windows of its frame) draws nothing
// until it comes into sight, and then draws once, at once.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

class BeatDrawing : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 BeatMs = 50;
    // Panes of scrolling traffic are drawn every fourth beat: text that runs
    // past is read no faster, and each drawing lays out the lines that came in
    // and moves the window's pixels.
    static constexpr qint64 TrafficMs = 4 * BeatMs;

    // draw shows the view's data as it stands; periodMs is the shortest time
    // between two drawings (a multiple of the beat).
    BeatDrawing(QWidget *view, std::function<void()> draw, qint64 periodMs = BeatMs);
    ~BeatDrawing() override;

    // The data changed: the view is drawn at its next turn.
    void Changed();
    // Draws now what waits, seen or not (before the user acts on what the view shows).
    void DrawPending();
    // Forgets what waits (the data was reset and drawn as such).
    void Discard();
    bool Pending() const { return pending_; }
    // Drawings since the view was made.
    int Drawings() const { return drawings_; }

    // Whether any of the widget can be seen: visible, no window around it
    // minimised, and not covered whole by the windows above it in its frame.
    static bool InSight(const QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Schedule();
    void WaitForBeat(qint64 notBeforeMs);
    void WatchForSight();
    void StopWatching();

    QWidget *view_;
    std::function<void()> draw_;
    qint64 periodMs_;
    bool pending_ = false;
    bool atBeat_ = false;   // waits for a beat
    bool seen_ = false;     // in sight when last looked at
    int drawings_ = 0;
    QElapsedTimer drawn_;
    std::vector<QPointer<QObject>> watched_;
};
