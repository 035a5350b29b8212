// The arithmetic of the TD plot's redraw, apart from any window: which points
// are usable, the difference to the master station, mean, standard deviation,
// display offsets, the left-axis range, the statistics lines and the series
// palette.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plots/tdstations.h"

struct TDXY {
    double x;
    double y;
};

struct TDRedrawOptions {
    bool CycleIdentifiedOnly = false;   // "&Plot Cycle Idented stations only"
    bool DeviationFromMean = false;     // "&Deviation from Mean"
    bool FixMean = false;               // "Fix &Mean"
    bool OffsetStations = false;        // "&Offset individual stations"
};

struct TDSeriesResult {
    double Mean = 0.0;      // statistics mean; becomes the station's Mean
    double Std = 0.0;       // population standard deviation about Mean
    size_t Count = 0;       // points of the series (0 below two usable points)
    double MinX = 0.0, MaxX = 0.0, MinY = 0.0, MaxY = 0.0;   // of the series points, when Count > 0
};

// The left axis when it follows the data: 0 and every series' extremes, with a
// margin of 10 % (at least 5) above and below.
class TDAutoscale {
public:
    void Include(double minY, double maxY);
    double Top() const;
    double Bottom() const;

private:
    double top_ = 0.0;
    double bottom_ = 0.0;
};

namespace TDPlotModel {

// A point is usable when bit 0x40 is clear and, when only cycle-identified
// points are wanted, bit 0x01 as well.
inline bool Usable(int32_t status, bool cycleIdentifiedOnly)
{
    return (status & NotUsedBit) == 0 && !(cycleIdentifiedOnly && (status & CycleUnidentifiedBit));
}

// Fills points with what the station's series shows (x, y minus the display
// mean) and returns its statistics. With a master, point k is used only when
// the master's point k is usable too, and is the difference of the two.
TDSeriesResult BuildStationSeries(const TDStationClass &station, const TDStationClass *master,
                                  const TDRedrawOptions &options, std::vector<TDXY> &points);

// The k-th offset of the sequence 0, +s, -s, +2s, -2s, ... in 64 bits.
int64_t OffsetAt(int32_t k, int32_t step);

extern const char *const StatisticsHeading;   // "Station     Mean      Std"
// Name, mean and standard deviation as one line of the statistics memo.
std::string StatisticsLine(const char *name, double mean, double std);

// Left-axis title by source kind (0 TOAA, 1 DLORA, 2 DASFA) and master.
const char *AxisTitle(int sourceKind, bool master);

} // namespace TDPlotModel

// The colours handed to new series: three rounds of the same 16 colours, each
// slot free or recording the series that uses it.
class SeriesPaletteClass {
public:
    static constexpr int SlotCount = 48;
    // 0xRRGGBB of a slot.
    static uint32_t Colour(int slot);
    // The first free slot whose colour differs from the background, now taken
    // by owner; -1 when there is none.
    int Take(const void *owner, uint32_t background);
    // Frees the slot that records owner (if any).
    void Release(const void *owner);
    int SlotOf(const void *owner) const;

private:
    std::array<const void *, SlotCount> owners_{};
};

extern SeriesPaletteClass SeriesPalette;
