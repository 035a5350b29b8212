#include "plots/tdmodel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sentence/numfmt.h"

void TDAutoscale::Include(double minY, double maxY)
{
    top_ = std::max(top_, maxY);
    bottom_ = std::min(bottom_, minY);
}

double TDAutoscale::Top() const { return top_ + std::max(0.1 * std::fabs(top_), 5.0); }

double TDAutoscale::Bottom() const { return bottom_ - std::max(0.1 * std::fabs(bottom_), 5.0); }

namespace TDPlotModel {

TDSeriesResult BuildStationSeries(const TDStationClass &station, const TDStationClass *master,
                                  const TDRedrawOptions &options, std::vector<TDXY> &points)
{
    points.clear();
    const bool cycle = options.CycleIdentifiedOnly;
    const std::deque<TDPoint> &own = station.Points;
    double sum = 0.0;
    if (master) {
        const std::deque<TDPoint> &ref = master->Points;
        auto r = ref.begin();
        for (auto p = own.begin(); p != own.end() && r != ref.end(); ++p, ++r) {
            if (!Usable(p->status, cycle) || !Usable(r->status, cycle)) continue;
            double y = p->y - r->y;
            points.push_back(TDXY{p->x, y});
            sum += y;
        }
    } else {
        for (const TDPoint &p : own) {
            if (!Usable(p.status, cycle)) continue;
            points.push_back(TDXY{p.x, p.y});
            sum += p.y;
        }
    }

    const size_t n = points.size();
    const double average = n ? sum / static_cast<double>(n) : 0.0;
    double shown = 0.0;
    if (options.DeviationFromMean && n) {
        shown = options.FixMean && station.HasSeries ? station.Mean : average;
        if (options.OffsetStations) shown -= static_cast<double>(station.Offset);
    }
    TDSeriesResult result;
    result.Mean = options.FixMean && n >= 2 && station.HasSeries ? station.Mean : average;

    double squares = 0.0;
    if (n >= 2) {
        result.Count = n;
        result.MinX = result.MaxX = points.front().x;
        result.MinY = result.MaxY = points.front().y - shown;
        for (TDXY &p : points) {
            double d = p.y - result.Mean;
            squares += d * d;
            p.y -= shown;
            result.MinX = std::min(result.MinX, p.x);
            result.MaxX = std::max(result.MaxX, p.x);
            result.MinY = std::min(result.MinY, p.y);
            result.MaxY = std::max(result.MaxY, p.y);
        }
    } else {
        points.clear();
    }
    result.Std = n ? std::sqrt(squares / static_cast<double>(n)) : 0.0;
    return result;
}

int64_t OffsetAt(int32_t k, int32_t step)
{
    int64_t q = (static_cast<int64_t>(k) + 1) / 2;
    int64_t value = q * static_cast<int64_t>(step);
    return k % 2 != 0 ? value : -value;
}

const char *const StatisticsHeading = "Station     Mean      Std";

std::string StatisticsLine(const char *name, double mean, double std)
{
    const int nameLength = static_cast<int>(std::strlen(name));
    return std::string(name) + PadAlign(FormatFixed(mean, 12, 1), 18 - nameLength, 3) +
           PadAlign(FormatFixed(std, 8, 1), 9, 3) + " ns";
}

const char *AxisTitle(int sourceKind, bool master)
{
    switch (sourceKind) {
    case 1: return master ? "Differential Loran Difference (ns)" : "Differential Loran (ns)";
    case 2: return master ? "Additional Secondary Factor Difference (ns)" : "Additional Secondary Factor (ns)";
    default: return master ? "Time of Arrival Difference (ns)" : "Time of Arrival (ns)";
    }
}

} // namespace TDPlotModel

namespace {
constexpr uint32_t RoundColours[16] = {
    0xFF0000, // clRed
    0x0000FF, // clBlue
    0x008000, // clGreen
    0xFFFF00, // clYellow
    0x000000, // clBlack
    0x00FFFF, // clAqua
    0xFF00FF, // clFuchsia
    0x808080, // clGray
    0x00FF00, // clLime
    0xC0C0C0, // clSilver
    0x800000, // clMaroon
    0x000080, // clNavy
    0x808000, // clOlive
    0x800080, // clPurple
    0x008080, // clTeal
    0xFFFFFF, // clWhite
};
} // namespace

SeriesPaletteClass SeriesPalette;

uint32_t SeriesPaletteClass::Colour(int slot)
{
    if (slot < 0 || slot >= SlotCount) return 0;
    return RoundColours[slot % 16];
}

int SeriesPaletteClass::Take(const void *owner, uint32_t background)
{
    for (int i = 0; i < SlotCount; ++i) {
        if (owners_[static_cast<size_t>(i)] || Colour(i) == (background & 0xFFFFFF)) continue;
        owners_[static_cast<size_t>(i)] = owner;
        return i;
    }
    return -1;
}

void SeriesPaletteClass::Release(const void *owner)
{
    if (!owner) return;
    for (const void *&o : owners_)
        if (o == owner) o = nullptr;
}

int SeriesPaletteClass::SlotOf(const void *owner) const
{
    for (int i = 0; i < SlotCount; ++i)
        if (owner && owners_[static_cast<size_t>(i)] == owner) return i;
    return -1;
}
