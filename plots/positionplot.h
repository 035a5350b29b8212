// The position plot apart from its window: five solution tracks around a centre
// position, the intake of GPGGA, SYNCA, GPPOSA, INPOSA, LCPOSA/LCRSDA and
// PSRPOSA lines, the Loran-minus-GPS offsets against an interpolated GPS
// reference, and what the chart shows (its twelve series and axis ranges) as
// plain lists that the window copies to the chart.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logs/lcposa.h"
#include "plots/geodesy.h"
#include "plots/gpshistory.h"
#include "plots/positionstats.h"

// The most points a track, and a track series on the chart, keeps (at least 1).
extern int32_t MaxPoints;

inline constexpr int ScaleStepCount = 18;
// The possible half sides of the shown square, metres, and their labels.
extern const double ScaleSteps[ScaleStepCount];
extern const char *const ScaleLabels[ScaleStepCount];

// A point of the plot: metres north and east of the centre (or of the GPS reference).
struct NorthEast {
    double North = 0.0;
    double East = 0.0;
};

// Error texts the plot reports (shown in a message box by the window).
using PlotWarning = std::function<void(const char *text)>;

// A track's list of points, made with its track. A list that could not be made
// reads as empty and keeps nothing.
class PointSeries {
public:
    // Throws std::bad_alloc when there is no memory for it.
    void Make() { list_ = std::make_unique<PointList>(); }
    bool Made() const { return list_ != nullptr; }
    const PointList &List() const { return list_ ? *list_ : None(); }

    size_t size() const { return List().size(); }
    bool empty() const { return List().empty(); }
    const XY &operator[](size_t i) const { return List()[i]; }
    const XY &back() const { return List().back(); }
    PointList::const_iterator begin() const { return List().begin(); }
    PointList::const_iterator end() const { return List().end(); }

    void push_back(const XY &p) { if (list_) list_->push_back(p); }
    void clear() { if (list_) list_->clear(); }
    // Deletes the oldest points while more than max remain.
    void Trim(size_t max) { if (list_) TrimOldest(*list_, max); }

private:
    static const PointList &None();
    std::unique_ptr<PointList> list_;
};

// One solution track.
class PositionData {
public:
    PointSeries Points;                      // x = longitude, y = latitude, oldest first
    const LatLon *Centre = nullptr;          // the plot's centre
    const MetreScale *CentreScale = nullptr; // metres per degree there
    bool Shown = false;                      // plotted (its Plot-menu item is checked)
    bool IsGps = false;                      // only the GPS track
    PointSeries LoranVsGpsPoints;            // x = east, y = north, metres from the GPS reference
    LatLon Reference;                        // GPS position of the epoch being added
    MetreScale ReferenceScale;
    bool ReferenceValid = false;
    LatLon Last;                             // newest position added
    bool LastValid = false;
    // Statistics of the last CalcStatistics
    LatLon Mean;                             // degrees, or metres north/east in metric mode
    MetreScale MeanScale;
    double Offset = 0.0;
    double RealErr50 = 0.0, AvgErr50 = 0.0, RealErr95 = 0.0, AvgErr95 = 0.0, RealErr99 = 0.0, AvgErr99 = 0.0;
    size_t StatisticsCount = 0;              // points the statistics ran over

    // Makes the two point lists; when there is no memory for them, `warn` is
    // told "No Memory" and the track goes on without them.
    explicit PositionData(const PlotWarning &warn = {});
    PositionData(const PositionData &) = delete;
    PositionData &operator=(const PositionData &) = delete;
    // Empties both lists and zeroes reference, last position and statistics;
    // Shown, IsGps and the two pointers stay.
    void Reset();
    // Appends the position, and its offset from the reference while that is valid.
    void AddPoint(double lat, double lon);
    void SetReference(double lat, double lon);
    // Metres from the centre of kept position `index` (-1: the newest); 0, 0 when there is none.
    NorthEast GetPoint(int index) const;
    // Kept offset `index` (-1: the newest); 0, 0 when there is none.
    NorthEast GetLoranVsGpsPoint(int index) const;

    bool HasPoints(bool metric) const { return metric ? !LoranVsGpsPoints.empty() : !Points.empty(); }
    // Trims both lists to MaxPoints, then fills Mean .. AvgErr99 from the offsets
    // (metric) or from the positions about the centre.
    void CalcStatistics(bool metric);
    // The memo text of the last statistics.
    std::vector<std::string> StatisticsLines(bool metric) const;
};

// The five tracks, each allocated on its own. A track that cannot be allocated
// ends the construction with the exception "MemoryError".
class TrackList {
public:
    static constexpr size_t Count = 5;
    explicit TrackList(const PlotWarning &warn);

    PositionData &operator[](size_t k) { return *tracks_[k]; }
    const PositionData &operator[](size_t k) const { return *tracks_[k]; }
    size_t size() const { return Count; }

    template <class Track, class Slot>
    class Iterator {
    public:
        explicit Iterator(Slot *slot) : slot_(slot) {}
        Track &operator*() const { return **slot_; }
        Iterator &operator++() { ++slot_; return *this; }
        bool operator==(const Iterator &other) const { return slot_ == other.slot_; }

    private:
        Slot *slot_;
    };
    using Slot = std::unique_ptr<PositionData>;
    Iterator<PositionData, Slot> begin() { return Iterator<PositionData, Slot>(tracks_.data()); }
    Iterator<PositionData, Slot> end() { return Iterator<PositionData, Slot>(tracks_.data() + Count); }
    Iterator<const PositionData, const Slot> begin() const { return Iterator<const PositionData, const Slot>(tracks_.data()); }
    Iterator<const PositionData, const Slot> end() const { return Iterator<const PositionData, const Slot>(tracks_.data() + Count); }

private:
    std::array<Slot, Count> tracks_;
};

enum class GpsSource { Gpposa, Gpgga, Psrposa };

class PositionPlotModel {
public:
    static constexpr int TrackCount = 5;
    static constexpr int GpsTrack = 4;
    static constexpr int SeriesCount = 12;
    static constexpr int TrackSeries(int k) { return k + 2; }
    static constexpr int LastValueSeries(int k) { return k + 7; }
    static constexpr double CrossReach = 600000.0;   // metres each way of the centre cross

    // `warn` is told of the tracks' lists that cannot be made; a track that
    // cannot be allocated throws "MemoryError".
    explicit PositionPlotModel(const PlotWarning &warn = {});
    PositionPlotModel(const PositionPlotModel &) = delete;
    PositionPlotModel &operator=(const PositionPlotModel &) = delete;

    // ---- State ----
    double HalfScale = 50.0;
    int ScaleIndex = 5;
    bool Zoomed = false;
    double XMin = -50.0, XMax = 50.0;   // bottom axis, metres east
    double YMin = -50.0, YMax = 50.0;   // left axis, metres north
    LatLon Centre;
    MetreScale CentreScale;
    LcposaKindEpochs Epochs;            // pairs LCPOSA and LCRSDA of kinds 'A', 'S' and 'G'
    bool CentreSet = false;
    bool GpsTimeValid = false;
    int64_t GpsTime = 0;                // seconds since 1970 on the GPS scale
    bool LoranVsGps = false;
    TrackList Tracks;
    GpsHistory History;

    // The controls the intake reads or sets
    GpsSource Source = GpsSource::Gpposa;
    bool Following = true;                          // the axes follow the newest point
    std::array<bool, TrackCount> TrackEnabled{};    // its Plot-menu item is enabled

    // What the chart shows: 0 and 1 the centre cross, k + 2 the points of
    // track k, k + 7 its newest point (x east, y north).
    std::array<PointList, SeriesCount> Series;
    // The memo text of each track, up to date after UpdateStatistics.
    std::array<std::vector<std::string>, TrackCount> Memos;

    // What changed since the window last looked (it clears these).
    struct Changes {
        unsigned SeriesMask = 0;   // bit i: Series[i]
        unsigned MemoMask = 0;     // bit k: Memos[k]
        bool Axes = false;         // XMin .. YMax are to be shown
        bool Centre = false;       // Centre is to be shown in the edits
        bool Menus = false;        // TrackEnabled or a track's Shown changed
        bool GpsTime = false;      // GpsTime was set from a PSRPOSA log
        bool IllegalGpsTime = false;   // a PSRPOSA log gave a GPS time below 1
        bool StopClock = false;        // a PSRPOSA fix arrived: the PC clock stops for good
        bool Redraw() const { return SeriesMask || MemoMask || Axes; }
    } Changed;

    // ---- Intake ----
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { if (line) NewData(SentenceLine(line)); }

    // ---- Drawing ----
    void AddPosition(int k, NorthEast p);
    void ResetScatterPlot();
    void ResetScatterPlotSize();
    void ReplotTracks(int k);
    void ResetTracks();
    void RestoreAxes() { Changed.Axes = true; }
    void ShowCentre();
    // Asks for the statistics of track k (-1: all) in the mode in force; they
    // are worked out by UpdateStatistics, once however many positions came since.
    void ShowStatistics(int k);
    void ShowNoData(int k);
    // The statistics asked for: each track's numbers and memo text.
    void UpdateStatistics();

    // ---- Controls ----
    // Plot > Reset: tracks and chart emptied, scale back to 50 m.
    void ResetPlot();
    // The main window's reset of the views: also the GPS history and clock.
    void ResetAll();
    // A new centre, then everything redrawn about it.
    void ApplyCentre(double lat, double lon);
    // The centre from track k's newest position; false when it has none.
    bool CentreFromTrack(int k);
    // Plot-menu item k checked or unchecked.
    void SetShown(int k, bool shown);
    // "Max number of points": n >= 1 (the caller checks).
    void SetMaxPoints(int32_t n);
    void SetLoranVsGps(bool on);
    // One scale step: +1 larger, -1 smaller; the view grows or shrinks about its middle.
    void StepScale(int direction);
    // The centre back in the middle of the view.
    void CentreView();
    // The chart was zoomed to these ranges: the narrower axis is widened so both
    // span the same metres; the result is what the chart is to show.
    struct Ranges {
        double XMin, XMax, YMin, YMax;
    };
    Ranges ZoomTo(Ranges zoom);
    void UndoZoom();
    // The user moved the unzoomed view: it is remembered.
    void RememberAxes(Ranges shown);
    // The GPS clock: false (nothing set) for a time below 1.
    bool SetGpsTime(int64_t secondsSince1970);

private:
    void TakeCentre(double lat, double lon);
    void EnableTrack(int k);
    void AddIntegrated(const SentenceLine &line, bool &plotted);
    void AddLoran(const SentenceLine &line, bool &plotted);
    void AddGps(const SentenceLine &line, bool &plotted);
    bool ReadGpsFix(const SentenceLine &line, LatLon &p, double &utcSeconds);
    void MarkSeries(int i) { Changed.SeriesMask |= 1u << i; }

    unsigned statisticsPending_ = 0;   // bit k: track k's statistics are asked for
};
