#include "plots/eurofix.h"

#include <cmath>
#include <cstdio>

namespace {

template <typename... Args> std::string Format(const char *pattern, Args... args)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

} // namespace

// ---------------------------------------------------------------------------
// DGPS corrections
// ---------------------------------------------------------------------------

void DgpsCorrectionTable::Clear()
{
    for (DgpsCorrection &entry : Entries) entry.Clear();
    LatestTime = 0.0;
}

void DgpsCorrectionTable::Store(const DgpsCorrection &correction)
{
    if (correction.Prn < 1 || correction.Prn > MaxPrn) return;
    Entries[correction.Prn] = correction;
    LatestTime = correction.Time;
}

int DgpsCorrectionTable::IsValid(int prn) const
{
    return prn >= 1 && prn <= MaxPrn ? Entries[prn].Valid : 0;
}

DgpsCorrection *DgpsCorrectionTable::GetEntry(int prn)
{
    return prn >= 1 && prn <= MaxPrn ? &Entries[prn] : nullptr;
}

double WrapWithinHour(double seconds)
{
    if (seconds < -1800.0) seconds += 3600.0;
    if (seconds >= 1800.0) seconds -= 3600.0;
    return seconds;
}

void DgpsCorrectionTable::AgeOut()
{
    for (int prn = 1; prn <= MaxPrn; ++prn) {
        DgpsCorrection &entry = Entries[prn];
        if (!entry.Valid) continue;
        if (WrapWithinHour(LatestTime - entry.Time) >= MaxAge) entry.Clear();
    }
}

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

std::vector<DgpsGridRow> DgpsGridRowsOf(const DgpsCorrectionTable &table)
{
    std::vector<DgpsGridRow> rows;
    for (int prn = 1; prn <= DgpsCorrectionTable::MaxPrn && rows.size() < DgpsGridRows - 1; ++prn) {
        if (!table.IsValid(prn)) continue;
        const DgpsCorrection &c = table.Entries[prn];
        rows.push_back({Format("%4d", c.Prn), Format("%8.2lf", c.Prc), Format("%8.3lf", c.Rrc),
                        Format("%6d", c.Iode), Format("%8.1lf", c.Time)});
    }
    return rows;
}

std::string HealthText(int health)
{
    static const char *const texts[8] = {"UDRE 1m",   "UDRE 0.75m", "UDRE 0.5m",     "UDRE 0.3m",
                                         "UDRE 0.2m", "UDRE 0.1m",  "Not Monitored", "Not Working"};
    return health >= 0 && health < 8 ? texts[health] : "";
}

std::string ETranText(int etranType)
{
    static const char *const texts[8] = {
        "E-Tran 0:   Null-frame - Do not use!",
        "E-Tran 1:   Fast corrections for 2 Satellites",
        "E-Tran 2:   Fast & slow correction for 1 Satellite",
        "E-Tran 3:   Slow correction for 1 Satellite",
        "E-Tran 4:   Ionospheric Grid Mask",
        "E-Tran 5:   Ionospheric Grid Point data for 3 points",
        "E-Tran 6:   Unknown",
        "E-Tran 7:   Unknown",
    };
    return etranType >= 0 && etranType < 8 ? texts[etranType] : "";
}

std::string VisibleText(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 32 && u != 127 && (u < 128 || u >= 160)) out += c;
        else out += Format("\\x%02X", u);
    }
    return out;
}

std::string SmsChunkLine(const SmsMessage &message)
{
    char text[7] = {};
    for (int i = 0; i < 6; ++i) text[i] = message.Text[i];
    return Format("SMS Chunk of Message %d: %-6s    %s", message.Chunk, VisibleText(text).c_str(),
                  message.Last == 1 ? "(End)" : "");
}

UtcTexts FormatUtc(const UtcMessage &message, double localSeconds)
{
    UtcTexts out;
    out.Value = Format("%11.6lf s", message.Seconds);
    const int m = static_cast<int>(message.Seconds / 60.0);
    const double s = std::fmod(message.Seconds, 60.0);
    switch (message.Subtype) {
    case 1:
        out.TimeLine = Format("1 Time: %02d:%09.6lf       s    Hours: %4d h    Year: %4d", m, s, message.Hours,
                              message.Year + 2000);
        break;
    case 2:
        if (message.Change >= -1 && message.Change <= 1)
            out.TimeLine = Format("2 Time: %02d:%012.9lf s    Leap :  %4d       Change: %d", m, s + message.Fraction,
                                  message.Leap, message.Change);
        else
            out.TimeLine =
                Format("2 Time: %02d:%012.9lf s    Leap :  %4d       Change Error", m, s + message.Fraction, message.Leap);
        break;
    default:
        out.TimeLine = out.Value;
        break;
    }
    // Both clocks count seconds within their hour: a difference across the hour
    // boundary is a small one, not nearly an hour.
    const double d = WrapWithinHour(localSeconds - message.Seconds);
    out.DiffLine = Format("   Diff with local clock: %02d:%012.9lf s", static_cast<int>(d / 60.0), std::fmod(d, 60.0));
    return out;
}

bool SmsAssembler::Add(const SmsMessage &message, std::string &text)
{
    char chunk[7] = {};
    for (int i = 0; i < 6; ++i) chunk[i] = message.Text[i];
    pending_ += chunk;
    if (pending_.size() > MaxText) pending_.erase(0, pending_.size() - MaxText);
    if (message.Last != 1) return false;
    text = VisibleText(pending_);
    pending_.clear();
    return true;
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

int EurofixPanelsAcross(int clientWidth) { return (clientWidth - EurofixPanelGap) / (EurofixPanelWidth + EurofixPanelGap); }

int EurofixPanelsDown(int clientHeight)
{
    return (clientHeight - EurofixPanelGap) / (EurofixPanelHeight + EurofixPanelGap);
}

EurofixLayout PlanEurofixLayout(int shown, int maxColumns, int maxRows, int screenWidth, int screenHeight)
{
    EurofixLayout layout;
    if (shown < 0) shown = 0;
    if (maxColumns < 1) maxColumns = 1;
    if (maxRows < 1) maxRows = 1;
    const int needed = shown > 0 ? (shown - 1) / maxRows + 1 : 1;
    layout.PerRow = maxColumns > needed ? maxColumns : needed;

    const int stepX = EurofixPanelWidth + EurofixPanelGap;
    const int stepY = EurofixPanelHeight + EurofixPanelGap;
    int width = 0, height = EurofixPanelGap;
    for (int i = 0; i < shown; ++i) {
        const int row = i / layout.PerRow, column = i % layout.PerRow;
        layout.Places.push_back({EurofixPanelGap + column * stepX, EurofixPanelGap + row * stepY});
        if (row == 0 && width + stepX <= screenWidth) width += stepX;
        if (column == 0 && height + stepY <= screenHeight) height += stepY;
    }
    if (shown > 0) {
        layout.ClientWidth = width;
        layout.ClientHeight = height;
    }
    return layout;
}

PanelPlace KeepOnScreen(int left, int top, int width, int height, int screenWidth, int screenHeight)
{
    PanelPlace place{left, top};
    if (screenWidth > 0) {
        // The slice of the desktop, one screen wide, that holds the left edge.
        long long slice = 0;
        if (left < 0) slice = -((-static_cast<long long>(left) + screenWidth - 1) / screenWidth);
        else if (left > screenWidth) slice = (static_cast<long long>(left) - 1) / screenWidth;
        const long long sliceLeft = slice * screenWidth;
        if (static_cast<long long>(left) + width > sliceLeft + screenWidth)
            place.X = static_cast<int>(sliceLeft + (screenWidth - width) / 2);
    }
    if (screenHeight > 0 && static_cast<long long>(top) + height > screenHeight) place.Y = (screenHeight - height) / 2;
    return place;
}
