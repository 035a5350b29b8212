#include "plots/positionplot.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "logs/gpgga.h"
#include "logs/gpposa.h"
#include "logs/inposa.h"
#include "logs/synca.h"
#include "plots/psrposa.h"

int32_t MaxPoints = 200;

const double ScaleSteps[ScaleStepCount] = {1,    2.5,   5,     10,    25,     50,     100,    250,    500,
                                           1000, 2500, 5000, 10000, 25000, 50000, 100000, 250000, 500000};
const char *const ScaleLabels[ScaleStepCount] = {"1 m",   "2.5 m",  "5 m",   "10 m",  "25 m",   "50 m",
                                                 "100 m", "250 m",  "500 m", "1 km",  "2.5 km", "5 km",
                                                 "10 km", "25 km",  "50 km", "100 km", "250 km", "500 km"};

namespace {

size_t Kept() { return static_cast<size_t>(std::max<int32_t>(MaxPoints, 1)); }

// A position the plot can take: numbers within the ranges of latitude and
// longitude. Anything else (NaN, infinities, 1e300) would spoil the centre, the
// statistics and the chart's coordinates for good.
bool OnEarth(double lat, double lon) { return lat >= -90.0 && lat <= 90.0 && lon >= -180.0 && lon <= 180.0; }

// The point of a list at index, -1 being the newest; null when there is none.
const XY *PointAt(const PointList &points, int index)
{
    if (index == -1) return points.empty() ? nullptr : &points.back();
    if (index < 0 || static_cast<size_t>(index) >= points.size()) return nullptr;
    return &points[static_cast<size_t>(index)];
}

// The eLoran track of a solution kind, or -1.
int LoranTrack(char kind)
{
    switch (kind) {
    case 'A': return 1;
    case 'S': return 2;
    case 'G': return 3;
    default: return -1;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// PositionData
// ---------------------------------------------------------------------------

const PointList &PointSeries::None()
{
    static const PointList none;
    return none;
}

PositionData::PositionData(const PlotWarning &warn)
{
    try {
        Points.Make();
        LoranVsGpsPoints.Make();
    } catch (const std::bad_alloc &) {
        if (warn) warn("No Memory");
    }
    Reset();
}

void PositionData::Reset()
{
    Points.clear();
    LoranVsGpsPoints.clear();
    Reference = LatLon{};
    ReferenceScale = MetreScale{};
    ReferenceValid = false;
    Last = LatLon{};
    LastValid = false;
    Mean = LatLon{};
    MeanScale = MetreScale{};
    Offset = 0.0;
    RealErr50 = AvgErr50 = RealErr95 = AvgErr95 = RealErr99 = AvgErr99 = 0.0;
    StatisticsCount = 0;
}

void PositionData::AddPoint(double lat, double lon)
{
    Points.push_back(XY{lon, lat});
    if (ReferenceValid) {
        LoranVsGpsPoints.push_back(XY{WrapLongitude(lon - Reference.Longitude) * ReferenceScale.Longitude,
                                      (lat - Reference.Latitude) * ReferenceScale.Latitude});
    }
    Last = LatLon{lat, lon};
    LastValid = true;
    // Kept short here too: a track whose statistics do not run in the mode in
    // force (no offsets while Loran vs GPS is shown) would grow without end.
    Points.Trim(Kept());
    LoranVsGpsPoints.Trim(Kept());
}

void PositionData::SetReference(double lat, double lon)
{
    Reference = LatLon{lat, lon};
    ReferenceValid = true;
    ReferenceScale = MetresPerDegree(lat, lon);
}

NorthEast PositionData::GetPoint(int index) const
{
    const XY *p = PointAt(Points.List(), index);
    if (!p || !Centre || !CentreScale) return NorthEast{};
    return NorthEast{(p->y - Centre->Latitude) * CentreScale->Latitude,
                     WrapLongitude(p->x - Centre->Longitude) * CentreScale->Longitude};
}

NorthEast PositionData::GetLoranVsGpsPoint(int index) const
{
    const XY *p = PointAt(LoranVsGpsPoints.List(), index);
    if (!p) return NorthEast{};
    return NorthEast{p->y, p->x};
}

void PositionData::CalcStatistics(bool metric)
{
    Points.Trim(Kept());
    LoranVsGpsPoints.Trim(Kept());
    const TrackStatistics s = ComputeStatistics((metric ? LoranVsGpsPoints : Points).List(), Centre ? *Centre : LatLon{},
                                                CentreScale ? *CentreScale : MetreScale{}, metric);
    Mean = s.Mean;
    MeanScale = s.MeanScale;
    Offset = s.Offset;
    RealErr50 = s.RealErr50;
    AvgErr50 = s.AvgErr50;
    RealErr95 = s.RealErr95;
    AvgErr95 = s.AvgErr95;
    RealErr99 = s.RealErr99;
    AvgErr99 = s.AvgErr99;
    StatisticsCount = s.Count;
}

std::vector<std::string> PositionData::StatisticsLines(bool metric) const
{
    TrackStatistics s;
    s.Mean = Mean;
    s.MeanScale = MeanScale;
    s.Offset = Offset;
    s.RealErr50 = RealErr50;
    s.AvgErr50 = AvgErr50;
    s.RealErr95 = RealErr95;
    s.AvgErr95 = AvgErr95;
    s.RealErr99 = RealErr99;
    s.AvgErr99 = AvgErr99;
    s.Count = StatisticsCount;
    return StatisticsText(Last, s, metric);
}

// ---------------------------------------------------------------------------
// The model: construction and intake
// ---------------------------------------------------------------------------

TrackList::TrackList(const PlotWarning &warn)
{
    for (Slot &track : tracks_) {
        try {
            track = std::make_unique<PositionData>(warn);
        } catch (const std::bad_alloc &) {
            throw std::runtime_error("MemoryError");
        }
    }
}

PositionPlotModel::PositionPlotModel(const PlotWarning &warn) : Tracks(warn)
{
    for (char kind : {'A', 'S', 'G'}) Epochs.Accept(kind);
    Centre = LatLon{};
    CentreScale = MetresPerDegree(0.0, 0.0);
    for (PositionData &t : Tracks) {
        t.Centre = &Centre;
        t.CentreScale = &CentreScale;
    }
    Tracks[GpsTrack].IsGps = true;
    ResetAll();
    ResetTracks();
    ResetScatterPlotSize();
    ResetScatterPlot();
    ShowNoData(-1);
    ShowCentre();
}

void PositionPlotModel::NewData(const SentenceLine &line)
{
    bool plotted = false;
    SyncaRecord synca;
    if (synca.Parse(line) == 0) History.StoreSynca(synca);
    AddIntegrated(line, plotted);
    AddLoran(line, plotted);
    AddGps(line, plotted);
    if (!plotted) return;
    for (int k = 0; k < TrackCount; ++k) {
        PointList &s = Series[TrackSeries(k)];
        if (s.size() <= Kept()) continue;
        TrimOldest(s, Kept());
        MarkSeries(TrackSeries(k));
    }
}

void PositionPlotModel::TakeCentre(double lat, double lon)
{
    Centre = LatLon{lat, lon};
    CentreSet = true;
    ShowCentre();
    ResetScatterPlot();
    ReplotTracks(-1);
}

void PositionPlotModel::EnableTrack(int k)
{
    if (TrackEnabled[static_cast<size_t>(k)]) return;
    TrackEnabled[static_cast<size_t>(k)] = true;
    Tracks[static_cast<size_t>(k)].Shown = true;
    Changed.Menus = true;
}

void PositionPlotModel::AddIntegrated(const SentenceLine &line, bool &plotted)
{
    InposaRecord r;
    if (r.Parse(line) != 0 || !r.PositionValid) return;
    const double lat = r.Position.Latitude, lon = r.Position.Longitude;
    if (!OnEarth(lat, lon)) return;
    if (!CentreSet) TakeCentre(lat, lon);
    PositionData &t = Tracks[0];
    t.AddPoint(lat, lon);
    ShowStatistics(0);
    EnableTrack(0);
    if (!t.Shown || t.Points.empty()) return;   // a track without its lists keeps nothing to draw
    // Only eLoran tracks get a reference, so this is the centre-relative point in both modes.
    AddPosition(0, LoranVsGps && !t.LoranVsGpsPoints.empty() ? t.GetLoranVsGpsPoint(-1) : t.GetPoint(-1));
    plotted = true;
}

void PositionPlotModel::AddLoran(const SentenceLine &line, bool &plotted)
{
    const LcposaKindEpochs::Added added = Epochs.AddLine(line);
    const int k = LoranTrack(added.Kind);
    if (k < 0 || !added.Epoch) return;
    // Each epoch's position once, whichever of its two lines came last.
    if ((added.Result != 1 && added.Result != 2) || !added.Epoch->NewPosition) return;
    const LcposaRecord &s = added.Epoch->ShownPosition;
    const double lat = s.Position.Latitude, lon = s.Position.Longitude;
    if (!OnEarth(lat, lon)) return;
    if (!CentreSet) TakeCentre(lat, lon);

    PositionData &t = Tracks[static_cast<size_t>(k)];
    t.ReferenceValid = false;
    bool haveReference = false;
    // The solution stands for the second before its time stamp: its middle is asked for.
    const double when = s.Time - 0.5;
    GeoPosition g;
    const bool ok = s.TimeSource == 'N' ? History.InterpolateAtSync(&g, when) : History.InterpolateAt(&g, when);
    if (ok) {
        t.SetReference(g.Latitude, g.Longitude);
        haveReference = true;
    }
    t.AddPoint(lat, lon);
    ShowStatistics(k);
    EnableTrack(k);
    if (!t.Shown) return;
    if (!LoranVsGps) {
        if (t.Points.empty()) return;
        AddPosition(k, t.GetPoint(-1));
        plotted = true;
    } else if (haveReference && !t.LoranVsGpsPoints.empty()) {
        AddPosition(k, t.GetLoranVsGpsPoint(-1));
        plotted = true;
    }
}

bool PositionPlotModel::ReadGpsFix(const SentenceLine &line, LatLon &p, double &utcSeconds)
{
    switch (Source) {
    case GpsSource::Gpposa: {
        GpposaRecord r;
        if (r.Parse(line) != 0 || r.PositionMode == 'N') return false;
        p = LatLon{r.Position.Latitude, r.Position.Longitude};
        utcSeconds = r.TimeSource == 'N' ? -1.0 : HhmmssToSeconds(r.Time);
        return true;
    }
    case GpsSource::Gpgga: {
        GpggaRecord r;
        if (r.Parse(line) != 0 || r.FixQuality == 0) return false;
        const auto [lat, lon] = r.ToDegrees();
        p = LatLon{lat, lon};
        utcSeconds = r.HasTime ? HhmmssToSeconds(r.Time) : -1.0;
        return true;
    }
    case GpsSource::Psrposa: {
        PsrposaRecord r;
        if (r.Parse(line) != 0 || !r.HasSolution()) return false;
        p = LatLon{r.Position.Latitude, r.Position.Longitude};
        // GPS time from 1970, whole seconds, no leap seconds; a week or second
        // count beyond any clock is no time at all.
        const double gps = static_cast<double>(r.Week) * 604800.0 + std::trunc(r.Seconds) +
                           static_cast<double>(GpsEpochUnixSeconds);
        int leap = 14;   // GPS - UTC when the log gives no usable time
        if (std::isfinite(gps) && std::fabs(gps) < 9.0e15) {
            SetGpsTime(static_cast<int64_t>(gps));
            leap = GpsMinusUtcSeconds(static_cast<int64_t>(gps));
        }
        Changed.StopClock = true;
        utcSeconds = std::fmod(r.Seconds - leap + 86400.0, 86400.0);
        return true;
    }
    }
    return false;
}

void PositionPlotModel::AddGps(const SentenceLine &line, bool &plotted)
{
    LatLon p;
    double t = -1.0;
    if (!ReadGpsFix(line, p, t)) return;
    if (!OnEarth(p.Latitude, p.Longitude)) return;
    History.AddGps(GeoPosition(p.Latitude, p.Longitude, 0.0), t);
    if (!CentreSet) TakeCentre(p.Latitude, p.Longitude);
    PositionData &g = Tracks[GpsTrack];
    g.AddPoint(p.Latitude, p.Longitude);
    ShowStatistics(GpsTrack);
    EnableTrack(GpsTrack);
    if (g.Shown && !LoranVsGps && !g.Points.empty()) {
        AddPosition(GpsTrack, g.GetPoint(-1));
        plotted = true;
    }
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void PositionPlotModel::AddPosition(int k, NorthEast p)
{
    if (Following && !Zoomed) {
        bool moved = false;
        if (p.East < XMin || p.East > XMax) {
            XMin = p.East - HalfScale;
            XMax = p.East + HalfScale;
            moved = true;
        }
        if (p.North < YMin || p.North > YMax) {
            YMin = p.North - HalfScale;
            YMax = p.North + HalfScale;
            moved = true;
        }
        if (moved) RestoreAxes();
    }
    if (k < 0 || k >= TrackCount) return;
    Series[TrackSeries(k)].push_back(XY{p.East, p.North});
    Series[LastValueSeries(k)] = PointList{XY{p.East, p.North}};
    MarkSeries(TrackSeries(k));
    MarkSeries(LastValueSeries(k));
}

void PositionPlotModel::ResetScatterPlot()
{
    for (PointList &s : Series) s.clear();
    Series[0] = PointList{XY{0, CrossReach}, XY{0, 0}, XY{0, -CrossReach}};
    Series[1] = PointList{XY{CrossReach, 0}, XY{0, 0}, XY{-CrossReach, 0}};
    Changed.SeriesMask = (1u << SeriesCount) - 1;
    RestoreAxes();
}

void PositionPlotModel::ResetScatterPlotSize()
{
    ScaleIndex = 5;
    HalfScale = ScaleSteps[ScaleIndex];
    XMin = YMin = -50.0;
    XMax = YMax = 50.0;
}

void PositionPlotModel::ReplotTracks(int k)
{
    for (int i = 0; i < TrackCount; ++i) {
        if (k != -1 && k != i) continue;
        const PositionData &t = Tracks[static_cast<size_t>(i)];
        if (!t.Shown) continue;
        if (!LoranVsGps) {
            for (size_t j = 0; j < t.Points.size(); ++j) AddPosition(i, t.GetPoint(static_cast<int>(j)));
        } else if (!t.IsGps) {
            for (size_t j = 0; j < t.LoranVsGpsPoints.size(); ++j)
                AddPosition(i, t.GetLoranVsGpsPoint(static_cast<int>(j)));
        }
    }
}

void PositionPlotModel::ResetTracks()
{
    for (PositionData &t : Tracks) t.Reset();
    ResetScatterPlot();
}

void PositionPlotModel::ShowCentre()
{
    CentreScale = MetresPerDegree(Centre.Latitude, Centre.Longitude);
    Changed.Centre = true;
}

void PositionPlotModel::ShowStatistics(int k)
{
    for (int i = 0; i < TrackCount; ++i) {
        if (k != -1 && k != i) continue;
        statisticsPending_ |= 1u << i;
        Changed.MemoMask |= 1u << i;
    }
}

void PositionPlotModel::ShowNoData(int k)
{
    for (int i = 0; i < TrackCount; ++i) {
        if (k != -1 && k != i) continue;
        statisticsPending_ &= ~(1u << i);
        Memos[static_cast<size_t>(i)] = {NoPositionData};
        Changed.MemoMask |= 1u << i;
    }
}

void PositionPlotModel::UpdateStatistics()
{
    for (int i = 0; i < TrackCount; ++i) {
        if (!(statisticsPending_ & (1u << i))) continue;
        PositionData &t = Tracks[static_cast<size_t>(i)];
        const bool metric = LoranVsGps && !t.IsGps;
        if (!t.HasPoints(metric)) {
            ShowNoData(i);
            continue;
        }
        t.CalcStatistics(metric);
        Memos[static_cast<size_t>(i)] = t.StatisticsLines(metric);
    }
    statisticsPending_ = 0;
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

void PositionPlotModel::ResetPlot()
{
    ResetTracks();
    ResetScatterPlotSize();
    ResetScatterPlot();
    ShowNoData(-1);
}

void PositionPlotModel::ResetAll()
{
    History.Reset();
    ResetTracks();
    ResetScatterPlotSize();
    ResetScatterPlot();
    ShowNoData(-1);
    GpsTimeValid = false;
    GpsTime = 0;
}

void PositionPlotModel::ApplyCentre(double lat, double lon)
{
    Centre = LatLon{lat, lon};
    CentreSet = true;
    ShowCentre();
    ResetScatterPlot();
    ReplotTracks(-1);
    ShowStatistics(-1);
}

bool PositionPlotModel::CentreFromTrack(int k)
{
    if (k < 0 || k >= TrackCount) return false;
    const PositionData &t = Tracks[static_cast<size_t>(k)];
    if (!t.LastValid) return false;
    ApplyCentre(t.Last.Latitude, t.Last.Longitude);
    return true;
}

void PositionPlotModel::SetShown(int k, bool shown)
{
    if (k < 0 || k >= TrackCount) return;
    Tracks[static_cast<size_t>(k)].Shown = shown;
    Changed.Menus = true;
    if (shown) {
        ReplotTracks(k);
        return;
    }
    Series[TrackSeries(k)].clear();
    Series[LastValueSeries(k)].clear();
    MarkSeries(TrackSeries(k));
    MarkSeries(LastValueSeries(k));
}

void PositionPlotModel::SetMaxPoints(int32_t n)
{
    MaxPoints = std::max<int32_t>(n, 1);
    // A lower number shows at once: the replay below draws only what is kept.
    for (PositionData &t : Tracks) {
        t.Points.Trim(Kept());
        t.LoranVsGpsPoints.Trim(Kept());
    }
    ResetScatterPlot();
    ReplotTracks(-1);
    ShowStatistics(-1);
}

void PositionPlotModel::SetLoranVsGps(bool on)
{
    LoranVsGps = on;
    ResetScatterPlot();
    ReplotTracks(-1);
    ShowStatistics(-1);
}

void PositionPlotModel::StepScale(int direction)
{
    if (direction > 0) ScaleIndex = std::min(ScaleIndex + 1, ScaleStepCount - 1);
    if (direction < 0) ScaleIndex = std::max(ScaleIndex - 1, 0);
    const double d = ScaleSteps[ScaleIndex] - HalfScale;
    HalfScale = ScaleSteps[ScaleIndex];
    UndoZoom();
    XMin -= d;
    XMax += d;
    YMin -= d;
    YMax += d;
    RestoreAxes();
}

void PositionPlotModel::CentreView()
{
    XMin = YMin = -HalfScale;
    XMax = YMax = HalfScale;
    RestoreAxes();
}

PositionPlotModel::Ranges PositionPlotModel::ZoomTo(Ranges z)
{
    const double rb = z.XMax - z.XMin;
    const double rl = z.YMax - z.YMin;
    if (rl < rb) {
        z.YMin -= (rb - rl) / 2.0;
        z.YMax += (rb - rl) / 2.0;
    } else {
        z.XMin -= (rl - rb) / 2.0;
        z.XMax += (rl - rb) / 2.0;
    }
    Zoomed = true;
    return z;
}

void PositionPlotModel::UndoZoom()
{
    RestoreAxes();
    Zoomed = false;
}

void PositionPlotModel::RememberAxes(Ranges shown)
{
    if (Zoomed) return;
    XMin = shown.XMin;
    XMax = shown.XMax;
    YMin = shown.YMin;
    YMax = shown.YMax;
}

bool PositionPlotModel::SetGpsTime(int64_t t)
{
    if (t < 1) {
        Changed.IllegalGpsTime = true;
        return false;
    }
    GpsTime = t;
    GpsTimeValid = true;
    Changed.GpsTime = true;
    return true;
}
