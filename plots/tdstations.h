// What the TD plot keeps per station and how one received sentence becomes
// points. Plain C++; the window (plots/tdplot.h) owns one TDStationList.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "sentence/fields.h"

// One stored point. Status is the TOAA state word of the entry, 0 for DLORA and
// DASFA points, FillerStatus for a filler.
struct TDPoint {
    double x;
    double y;
    int32_t status;
};

inline constexpr int32_t FillerStatus = 0xFFFF;   // bits 0x40 and 0x01 set: never shown
inline constexpr int32_t NotUsedBit = 0x40;       // TOAA: entry not used
inline constexpr int32_t CycleUnidentifiedBit = 0x01;

class TDStationClass {
public:
    int32_t Key = 0;        // StationCode
    int32_t Dup = 0;        // 0 for the first station with this Key, 1, 2 ... for repeats in one sentence
    char Name[12] = {};     // "7499M", "7499M 1", ...
    std::deque<TDPoint> Points;   // oldest first
    double Mean = 0.0;
    double Std = 0.0;
    int64_t Offset = 0;     // display offset in ns
    bool Shown = false;
    bool HasSeries = false;
    bool Updated = false;

    TDStationClass() = default;
    TDStationClass(int32_t key, int32_t dup);

    // Empties the points; the station loses its series.
    void ClearData();
    // The tag of the chart series that draws this station: Key * 100 + Dup mod 100.
    int32_t SeriesTag() const { return Key * 100 + Dup % 100; }
};

// -1, 0 or 1 as a's Key is below, equal to or above b's.
int32_t CompareStationKeys(const TDStationClass &a, const TDStationClass &b);

// The points one sentence contributes: one x for all, one entry per station.
struct TDSentence {
    static constexpr int MaxEntries = 30;
    struct Entry {
        StationCode Code;
        double Y;
        int32_t Status;
    };
    double X = 0.0;
    int Count = 0;
    std::array<Entry, MaxEntries> Entries{};

    void Add(StationCode code, double y, int32_t status)
    {
        if (Count < MaxEntries) Entries[static_cast<size_t>(Count++)] = Entry{code, y, status};
    }
};

// All stations of the plot, sorted by Key, with the k-th point of every station
// belonging to the same sentence.
class TDStationList {
public:
    using Ptr = std::unique_ptr<TDStationClass>;

    struct Change {
        bool NewStation = false;
        bool RedrawNeeded = false;
    };

    // Adds one sentence: a point to every station, fillers where a station got
    // none, new stations padded with fillers, then the sort.
    Change Add(const TDSentence &sentence);
    // Drops the oldest points until no station holds more than numberOfPoints.
    // True when a point was dropped.
    bool Trim(int32_t numberOfPoints);
    // Time of day that continues across midnight: a step of more than half a
    // day against the previous time is taken as a change of day.
    double ContinueTimeOfDay(double secondsOfDay);

    // Deletes every station (and the day count of the time axis).
    void Clear();
    // Empties every station's points, keeping the stations.
    void ClearData();

    size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }
    TDStationClass *operator[](size_t i) const { return list_[i].get(); }
    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }
    TDStationClass *FindByTag(int32_t tag) const;

private:
    std::vector<Ptr> list_;
    double dayOffset_ = 0.0;
    double lastTime_ = 0.0;
    bool haveTime_ = false;
};
