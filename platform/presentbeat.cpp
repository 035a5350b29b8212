#include "platform/presentbeat.h"

#include <algorithm>

PresentBeat::PresentBeat()
{
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PresentBeat::Beat);
}

PresentBeat &PresentBeat::Instance()
{
    // Never destroyed: its timer must not outlive the event loop's thread data.
    static PresentBeat *beat = new PresentBeat;
    return *beat;
}

void PresentBeat::Request(QObject *client, qint64 notBeforeMs, std::function<void()> show)
{
    PresentBeat &beat = Instance();
    const qint64 due = beat.clock_.elapsed() + std::max<qint64>(notBeforeMs, 0);
    auto it = std::find_if(beat.waiting_.begin(), beat.waiting_.end(), [&](const Entry &e) { return e.client == client; });
    if (it == beat.waiting_.end()) beat.waiting_.push_back({client, due, std::move(show)});
    else *it = {client, std::max(it->due, due), std::move(show)};
    beat.Schedule();
}

void PresentBeat::Cancel(QObject *client)
{
    auto &waiting = Instance().waiting_;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(), [&](const Entry &e) { return e.client == client; }),
                  waiting.end());
}

bool PresentBeat::Waiting(const QObject *client)
{
    const auto &waiting = Instance().waiting_;
    return std::any_of(waiting.begin(), waiting.end(), [&](const Entry &e) { return e.client == client; });
}

// The timer is set for the first beat at or after the earliest due time.
void PresentBeat::Schedule()
{
    if (waiting_.empty()) return timer_.stop();
    qint64 due = waiting_.front().due;
    for (const Entry &e : waiting_) due = std::min(due, e.due);
    const qint64 beat = (due + PeriodMs - 1) / PeriodMs * PeriodMs;
    timer_.start(static_cast<int>(std::max<qint64>(beat - clock_.elapsed(), 0)));
}

void PresentBeat::Beat()
{
    // A late beat still shows only what is due by now; what a show asks for
    // anew waits for a later beat.
    const qint64 now = clock_.elapsed() + 1;
    std::vector<Entry> due;
    auto split = std::stable_partition(waiting_.begin(), waiting_.end(), [&](const Entry &e) { return e.due > now && e.client; });
    std::move(split, waiting_.end(), std::back_inserter(due));
    waiting_.erase(split, waiting_.end());
    for (Entry &e : due)
        if (e.client) e.show();
    Schedule();
}
