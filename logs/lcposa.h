#pragma once

#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// LCPOSA eLoran position and LCRSDA residual sentences (current or older form).
bool IsLcposa(const NovatelLogClass &log);
bool IsLcrsda(const NovatelLogClass &log);

// The solution-kind letter (field 6) of an LCPOSA or LCRSDA line, or 0:
// 'A' autonomous, 'C' coarse position, 'D' differential eLoran, 'G' GPS
// calibrated, 'S' ASF corrected.
char GetLoranSolutionKind(const char *line);
char GetLoranSolutionKind(const SentenceLine &line);

// The caption of a solution window for a kind ("LCPOSA - Autonomous", ...), or
// nullptr for a letter that is no solution kind.
const char *LoranSolutionCaption(char kind);

// One eLoran position solution.
//   current form: DODU,LCPOSA,version,time,n,source,kind,lat,lon,velocity,heading,
//                 compass,Lorans,HDOP
//   older form:   DODU,version,LCPOS,... (the rest the same)
// At least 14 fields; empty or missing fields keep their reset values.
struct LcposaRecord {
    char Version[20];
    double Time;            // epoch time as sent
    int32_t Field4;         // stored and copied only
    char TimeSource;        // 'N': the time is not UTC
    char SolutionKind;
    GeoPosition Position;   // degrees; the height is never written or copied
    float Velocity;
    float Heading;
    float Compass;
    int32_t LoranCount;
    float HDOP;

    LcposaRecord() { Clear(); }
    void Clear();
    // 1 when the line is no LCPOSA/LCPOS sentence or has fewer than 14 fields (the
    // record is then untouched), else the number of bad fields (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    void CopyFrom(const LcposaRecord &other);
};

// The residuals of the stations used in one solution.
//   current form: DODU,LCRSDA,version,time,n,source,kind,count, then per station
//                 identifier, residual (m), weight
//   older form:   DODU,version,LCRSD,... (the rest the same)
// At least 8 fields. Header fields skip empty fields; a station field that is
// present is always converted (an empty one is bad), one past the line's end is
// skipped. At most 100 stations are stored.
struct LcrsdaRecord {
    static constexpr int MaxStations = 100;

    char Version[20];
    double Time;
    int32_t Field4;
    char TimeSource;
    char SolutionKind;      // NUL after Clear
    int32_t StationCount;   // as sent: may be negative or above 100
    StationCode StationCodes[MaxStations];
    float Residuals[MaxStations];   // metres
    float Weights[MaxStations];

    LcrsdaRecord() { Clear(); }
    void Clear();
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
    void CopyFrom(const LcrsdaRecord &other);
    // The entries that hold stations of the line: StationCount limited to 0..100.
    int StoredStations() const;
};

// Pairs the position and the residuals of one epoch. Each good line sets its own
// countdown to 2; the first line of a new epoch counts the other sentence's
// countdown down. While the other sentence was seen within the last two epochs a
// line waits for its partner of the same time; once the partner has stopped
// coming, lines show alone again. What is shown always belongs to EpochTime: a
// line shown alone clears the shown record of the other sentence.
struct LcposaEpoch {
    double EpochTime;
    LcposaRecord ShownPosition;      // cleared while the epoch shown has none
    LcposaRecord ParsedPosition;     // last good LCPOSA line
    LcrsdaRecord ShownResiduals;     // cleared while the epoch shown has none
    LcrsdaRecord ParsedResiduals;    // last good LCRSDA line
    int32_t PositionCountdown;
    int32_t ResidualCountdown;
    // After AddLine: the shown position is one not shown before (each epoch's
    // position is new once, whether it came before or after its residuals).
    bool NewPosition;

    LcposaEpoch() { Reset(); }
    void Reset();
    // 0: nothing to show; 1: show, on a position line; 2: show, on a residual line.
    // A line that does not parse changes nothing.
    int AddLine(const char *line);
    int AddLine(const SentenceLine &line);

private:
    // Starts the epoch of a line of time t unless it belongs to the one being
    // collected (same time, and its sentence not yet seen in it).
    void Enter(double t, bool &seenThis, int32_t &otherCountdown);
    bool havePosition_;    // the epoch being collected has its position line
    bool haveResiduals_;   // ... and its residual line
    bool positionShown_;   // its position was already shown
};

// The intake of a solution window: the kinds it accepts, each paired in an epoch
// of its own, so a position is only ever shown with residuals of its own kind.
class LcposaKindEpochs {
public:
    static constexpr int MaxKinds = 8;

    struct Added {
        int Result = 0;                    // as LcposaEpoch::AddLine; 0 for kinds not accepted
        char Kind = 0;                     // the line's solution kind
        const LcposaEpoch *Epoch = nullptr;   // the epoch of that kind
    };

    // Appends an accepted kind; false when all eight places are taken.
    bool Accept(char kind);
    bool Accepts(char kind) const;
    int KindCount() const { return count_; }
    Added AddLine(const char *line);
    Added AddLine(const SentenceLine &line);
    void Reset();

private:
    char kinds_[MaxKinds] = {};
    int count_ = 0;
    LcposaEpoch epochs_[MaxKinds];
};
