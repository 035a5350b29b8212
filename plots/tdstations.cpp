#include "plots/tdstations.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

TDStationClass::TDStationClass(int32_t key, int32_t dup) : Key(key), Dup(dup)
{
    char id[8] = {};
    if (CodeToStationId(id, key) != 0) std::snprintf(id, sizeof id, "%d", key % 1000000);
    if (dup >= 1 && dup <= 99) std::snprintf(Name, sizeof Name, "%s %i", id, static_cast<int>(dup));
    else std::snprintf(Name, sizeof Name, "%s", id);
}

void TDStationClass::ClearData()
{
    std::deque<TDPoint>().swap(Points);   // gives the memory back, not just the count
    HasSeries = false;
}

int32_t CompareStationKeys(const TDStationClass &a, const TDStationClass &b)
{
    if (a.Key < b.Key) return -1;
    if (a.Key > b.Key) return 1;
    return 0;
}

TDStationList::Change TDStationList::Add(const TDSentence &sentence)
{
    Change change;
    for (const Ptr &s : list_) s->Updated = false;
    const size_t existing = list_.empty() ? 0 : list_.back()->Points.size();
    const double x = sentence.X;

    for (int i = 0; i < sentence.Count; ++i) {
        const TDSentence::Entry &e = sentence.Entries[static_cast<size_t>(i)];
        if (e.Code == 0) continue;
        int32_t dup = 0;
        TDStationClass *target = nullptr;
        for (const Ptr &s : list_) {
            if (s->Key != e.Code) continue;
            if (s->Updated) {
                ++dup;
                continue;
            }
            target = s.get();
            break;
        }
        if (!target) {
            auto station = std::make_unique<TDStationClass>(e.Code, dup);
            station->Points.assign(existing, TDPoint{x, 0.0, FillerStatus});
            target = station.get();
            list_.push_back(std::move(station));
            change.NewStation = true;
        }
        target->Points.push_back(TDPoint{x, e.Y, e.Status});
        target->Updated = true;
        change.RedrawNeeded = true;
    }
    for (const Ptr &s : list_)
        if (!s->Updated) s->Points.push_back(TDPoint{x, 0.0, FillerStatus});

    // Stable, so stations sharing a Key stay in the order they were made (by Dup).
    if (!std::is_sorted(list_.begin(), list_.end(), [](const Ptr &a, const Ptr &b) { return CompareStationKeys(*a, *b) < 0; }))
        std::stable_sort(list_.begin(), list_.end(), [](const Ptr &a, const Ptr &b) { return CompareStationKeys(*a, *b) < 0; });
    return change;
}

bool TDStationList::Trim(int32_t numberOfPoints)
{
    const size_t keep = numberOfPoints > 0 ? static_cast<size_t>(numberOfPoints) : 0;
    bool dropped = false;
    for (const Ptr &s : list_) {
        if (s->Points.size() <= keep) continue;
        s->Points.erase(s->Points.begin(), s->Points.begin() + static_cast<std::ptrdiff_t>(s->Points.size() - keep));
        dropped = true;
    }
    return dropped;
}

double TDStationList::ContinueTimeOfDay(double secondsOfDay)
{
    constexpr double Day = 86400.0;
    double t = secondsOfDay + dayOffset_;
    // Only a real time of day moves the day count; anything else is passed on.
    if (!(secondsOfDay >= 0.0 && secondsOfDay < Day)) return t;
    if (haveTime_) {
        // One whole day per step is enough: a time of day never jumps further.
        if (t < lastTime_ - Day / 2) {
            dayOffset_ += Day;
            t += Day;
        } else if (t > lastTime_ + Day / 2 && dayOffset_ >= Day) {
            dayOffset_ -= Day;
            t -= Day;
        }
    }
    lastTime_ = t;
    haveTime_ = true;
    return t;
}

void TDStationList::Clear()
{
    list_.clear();
    dayOffset_ = 0.0;
    lastTime_ = 0.0;
    haveTime_ = false;
}

void TDStationList::ClearData()
{
    for (const Ptr &s : list_) s->ClearData();
}

TDStationClass *TDStationList::FindByTag(int32_t tag) const
{
    for (const Ptr &s : list_)
        if (s->SeriesTag() == tag) return s.get();
    return nullptr;
}
