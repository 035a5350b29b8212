#include "plots/compass.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "sentence/fields.h"
#include "sentence/numfmt.h"

namespace {

std::string Format(const char *format, double value)
{
    char small[64];
    int n = std::snprintf(small, sizeof small, format, value);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    // A huge value runs to some 320 characters.
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(static_cast<size_t>(n));
    return text;
}

} // namespace

int OffsetIndex(char source)
{
    switch (source) {
    case 'L': return 0;
    case 'G': return 1;
    case 'I': return 2;
    default: return -1;
    }
}

float CorrectedHeading(float heading, float offset)
{
    double r = std::fmod(static_cast<double>(heading) + static_cast<double>(offset) + 360.0, 360.0);
    // fmod keeps the sign of its argument: a heading far below zero stays on the dial.
    if (r < 0.0) r += 360.0;
    float shown = static_cast<float>(r);
    if (shown >= 360.0f || shown == 0.0f) shown = 0.0f;   // also turns -0 into 0
    return shown;
}

bool OffsetAllowed(float value)
{
    return std::isfinite(value) && value >= -360.0f && value <= 360.0f;
}

std::optional<float> ReadOffset(const std::string &text)
{
    float value = 0.0f;
    if (ParseFloat(text.c_str(), &value) != 0 || !OffsetAllowed(value)) return std::nullopt;
    return value;
}

std::string OffsetSettingText(float value) { return FormatGeneral(static_cast<double>(value), 15); }

std::string HeadingTimeText(double time) { return Format("%4.2lf", time); }

std::string HeadingValueText(double value) { return Format("%3.2f", value); }

// ---------------------------------------------------------------------------

int HeadingColumns::ColumnOf(char letter) const
{
    for (int c = 0; c < Count; ++c)
        if (columnSource[c] == letter) return c;
    return -1;
}

bool HeadingColumns::AllFree() const
{
    for (char letter : columnSource)
        if (letter != 0) return false;
    return true;
}

HeadingColumns::Update HeadingColumns::Take(const HdgaRecord &record)
{
    Update update;
    const int index = OffsetIndex(record.Source);
    // A needle at a heading that is no number cannot be drawn: the line goes.
    if (index >= 0 && !std::isfinite(record.Heading)) return update;

    int column = ColumnOf(record.Source);
    if (column < 0) {
        for (int c = 0; c < Count && column < 0; ++c)
            if (columnSource[c] == 0 || columnSource[c] == 'N') column = c;
        if (column < 0) return update;   // three sources shown already
        columnSource[column] = record.Source;
    }
    age[column] = 0;
    update.Column = column;
    if (index < 0) return update;

    shownHeading[column] = CorrectedHeading(record.Heading, offset[index]);
    update.HeadingShown = true;
    update.Offset = offset[index];
    return update;
}

bool HeadingColumns::SetOffset(int column, float value)
{
    if (column < 0 || column >= Count) return false;
    const int index = OffsetIndex(columnSource[column]);
    if (index < 0) return false;
    const float heading = shownHeading[column] - offset[index];
    offset[index] = value;
    shownHeading[column] = CorrectedHeading(heading, value);
    return true;
}

unsigned HeadingColumns::Tick()
{
    unsigned freed = 0;
    for (int c = 0; c < Count; ++c) {
        if (age[c] < INT_MAX) ++age[c];
        if (columnSource[c] != 0 && age[c] > ageLimit) {
            columnSource[c] = 0;
            freed |= 1u << c;
        }
    }
    return freed;
}

// ---------------------------------------------------------------------------

NeedleShape NeedleShapeOf(char source)
{
    switch (source) {
    case 'L': return {110, 15};
    case 'G': return {100, 11};
    case 'I': return {90, 8};
    default: return {};
    }
}

std::optional<NeedlePolygon> NeedleAt(float heading, NeedleShape shape)
{
    if (!std::isfinite(heading)) return std::nullopt;
    // pi as the single-precision constant the dial was always drawn with.
    const double pi = static_cast<double>(3.1415927f);
    const double h = heading;
    const double a = 2.0 * pi * h / 360.0;
    const double b = 2.0 * pi * (h - shape.HalfAngle) / 360.0;
    const double d = 2.0 * pi * (h + shape.HalfAngle) / 360.0;
    const double r = shape.Length;
    // Each offset from the centre is truncated toward zero.
    auto at = [](double dx, double dy) {
        return DialPoint{DialCentre + static_cast<int>(dx), DialCentre + static_cast<int>(dy)};
    };
    NeedlePolygon n;
    n.Tip = at(r * std::sin(a), -r * std::cos(a));
    n.FirstWing = at(-0.5 * r * std::sin(b), 0.5 * r * std::cos(b));
    n.Tail = at(-0.25 * r * std::sin(a), 0.25 * r * std::cos(a));
    n.SecondWing = at(-0.5 * r * std::sin(d), 0.5 * r * std::cos(d));
    return n;
}
