// The heading compass without its window: which column shows which source,
// the per-source offsets, the ageing of the columns, and the needle geometry.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "plots/hdga.h"

// ---------------------------------------------------------------------------
// Headings and offsets
// ---------------------------------------------------------------------------

// Index of a source's offset: 'L' 0, 'G' 1, 'I' 2; -1 for any other letter.
int OffsetIndex(char source);

// heading + offset brought into [0, 360).
float CorrectedHeading(float heading, float offset);

// An offset the user may set: a finite number of degrees in [-360, 360].
bool OffsetAllowed(float value);
// The offset typed into an edit or stored in the settings; nullopt when it is no
// number (an empty text included) or not allowed.
std::optional<float> ReadOffset(const std::string &text);
// An offset as it is stored in the settings (general form, 15 digits).
std::string OffsetSettingText(float value);

// The texts of the columns: "%4.2lf" for the time, "%3.2f" for the rest.
std::string HeadingTimeText(double time);
std::string HeadingValueText(double value);

// ---------------------------------------------------------------------------
// The three columns
// ---------------------------------------------------------------------------

class HeadingColumns {
public:
    static constexpr int Count = 3;
    static constexpr float DefaultOffsets[Count] = {-45.0f, 0.0f, 0.0f};

    std::array<char, Count> columnSource{};     // letter owning each column; 0 = free
    std::array<float, Count> shownHeading{};    // corrected heading last shown, [0, 360)
    std::array<float, Count> offset{DefaultOffsets[0], DefaultOffsets[1], DefaultOffsets[2]};   // by OffsetIndex
    std::array<int, Count> age{};               // seconds since each column was last updated
    int ageLimit = 10;

    struct Update {
        int Column = -1;            // -1: the line was dropped
        bool HeadingShown = false;  // only for 'L', 'G' and 'I'
        float Offset = 0.0f;        // the offset that was added
    };
    // Takes a good record: the column of its source (or the first free one),
    // whose age starts again; for a known source the corrected heading is kept.
    // A line is dropped when no column is free, or when a known source sends a
    // heading that is no finite number.
    Update Take(const HdgaRecord &record);

    // The column holding a letter, or -1.
    int ColumnOf(char letter) const;
    bool Owned(int column) const { return columnSource[column] != 0; }
    // A column with a known source, whose offset the user may set.
    bool Settable(int column) const { return OffsetIndex(columnSource[column]) >= 0; }
    bool AllFree() const;

    // A new offset for the source of a settable column: the shown heading moves
    // with it. False (nothing changed) for any other column.
    bool SetOffset(int column, float value);

    // One second passes: returns a bit per column freed now (more than ageLimit
    // seconds without a line of its source).
    unsigned Tick();
};

// ---------------------------------------------------------------------------
// Needles
// ---------------------------------------------------------------------------

// The dial's centre pixel; 0 degrees points up, angles turn clockwise.
inline constexpr int DialCentre = 124;

struct DialPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const DialPoint &) const = default;
};

struct NeedleShape {
    int Length = 0;      // R, pixels from the centre to the tip
    int HalfAngle = 0;   // W, degrees between the axis and each wing
};
// 'L' R 110 W 15, 'G' R 100 W 11, 'I' R 90 W 8; a zero shape for other letters.
NeedleShape NeedleShapeOf(char source);

// The needle polygon: tip, first wing, tail, second wing, in dial pixels.
struct NeedlePolygon {
    DialPoint Tip, FirstWing, Tail, SecondWing;
};
// nullopt when the heading is no finite number.
std::optional<NeedlePolygon> NeedleAt(float heading, NeedleShape shape);

// The letters in drawing order: inertial ends on top.
inline constexpr char NeedleOrder[HeadingColumns::Count] = {'L', 'G', 'I'};
