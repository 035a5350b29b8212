// What the Eurofix window keeps and shows of one transmitting station, apart
// from its widgets: the table of the latest DGPS corrections with its age-out,
// the texts of each message kind, the SMS text being received, and where the
// station panels go.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "plots/rmsg.h"

// The latest correction per satellite, PRN 1 to 32 (entry 0 is never filled).
class DgpsCorrectionTable {
public:
    static constexpr int MaxPrn = 32;

    DgpsCorrection Entries[MaxPrn + 1];
    double LatestTime = 0.0;   // Z-count seconds of the correction stored last
    double MaxAge = 10.0;      // s

    DgpsCorrectionTable() { Clear(); }
    void Clear();
    void SetMaxAge(double maxAge) { MaxAge = maxAge; }
    // Keeps a correction for PRN 1..32; any other PRN is not kept.
    void Store(const DgpsCorrection &correction);
    int IsValid(int prn) const;
    DgpsCorrection *GetEntry(int prn);
    // Clears every entry that is MaxAge or more older than the newest correction,
    // counting the Z-count's wrap each hour (ages lie in -1800 .. 1800 s).
    void AgeOut();
};

// Seconds b - a of two times within the hour, wrapped into -1800 .. 1800.
double WrapWithinHour(double seconds);

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

inline constexpr int DgpsGridColumns = 5;
inline constexpr int DgpsGridRows = 15;   // the heading row and 14 satellites
using DgpsGridRow = std::array<std::string, DgpsGridColumns>;

// The rows of the DGPS grid below its headings: the valid entries by ascending
// PRN, at most DgpsGridRows - 1 of them.
std::vector<DgpsGridRow> DgpsGridRowsOf(const DgpsCorrectionTable &table);

// "UDRE 1m" .. "Not Working" for health 0..7; empty for anything else.
std::string HealthText(int health);
// "E-Tran 0:   Null-frame - Do not use!" .. for E-Tran types 0..7; empty otherwise.
std::string ETranText(int etranType);
// The text with every control character (below 32, 127, and 128 to 159, the
// Latin-1 line and page controls) written as a visible "\xNN": an SMS never
// breaks or rings in its memo line or alert.
std::string VisibleText(const std::string &text);
// "SMS Chunk of Message %d: %-6s    %s", "(End)" on the last chunk; the text as VisibleText.
std::string SmsChunkLine(const SmsMessage &message);

// What a UTC message shows: the value "%11.6lf s" and two memo lines, the time
// by subtype and its difference with the local clock.
struct UtcTexts {
    std::string Value;
    std::string TimeLine;
    std::string DiffLine;
};
// localSeconds: the computer's local time of day in seconds, within its hour.
UtcTexts FormatUtc(const UtcMessage &message, double localSeconds);

// The text of an SMS put together chunk after chunk, in the order they come.
class SmsAssembler {
public:
    // Longest text kept: a text whose last chunk never came keeps only its newest characters.
    static constexpr size_t MaxText = 1024;

    // Adds a chunk; on the last one returns true with the whole text, as
    // VisibleText shows it, in `text` and starts afresh.
    bool Add(const SmsMessage &message, std::string &text);
    const std::string &Pending() const { return pending_; }
    void Clear() { pending_.clear(); }

private:
    std::string pending_;
};

// ---------------------------------------------------------------------------
// Panel layout
// ---------------------------------------------------------------------------

inline constexpr int EurofixPanelWidth = 360;
inline constexpr int EurofixPanelHeight = 450;
inline constexpr int EurofixPanelGap = 8;

// The stations the view keeps, well above any chain plan: a stream that names
// ever new station ids must not make panels without end.
inline constexpr size_t MaxEurofixStations = 64;

struct PanelPlace {
    int X = 0;
    int Y = 0;
};

struct EurofixLayout {
    int PerRow = 1;
    std::vector<PanelPlace> Places;   // one per shown panel, in list order
    int ClientWidth = 200;
    int ClientHeight = 540;
};

// Places `shown` panels in rows of max(maxColumns, (shown - 1) / maxRows + 1)
// and sizes the client area to the panels that fit on the screen (200 x 540
// with none). A maxRows or maxColumns below 1 counts as 1.
EurofixLayout PlanEurofixLayout(int shown, int maxColumns, int maxRows, int screenWidth, int screenHeight);

// How many panels fit across and down a client area.
int EurofixPanelsAcross(int clientWidth);
int EurofixPanelsDown(int clientHeight);

// The window's top-left corner moved so that it stays on the screen: centred
// horizontally in the screen-wide slice that holds its left edge when its right
// edge passes that slice, centred vertically when its bottom passes the screen.
PanelPlace KeepOnScreen(int left, int top, int width, int height, int screenWidth, int screenHeight);
