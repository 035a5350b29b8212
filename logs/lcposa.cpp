#include "logs/lcposa.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsLcposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "LCPOSA") || FieldIs(log, 2, "LCPOS"));
}

bool IsLcrsda(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "LCRSDA") || FieldIs(log, 2, "LCRSD"));
}

char GetLoranSolutionKind(const char *line) { return GetLoranSolutionKind(SentenceLine(line)); }

char GetLoranSolutionKind(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 7 || !f.Is(0, "DODU")) return 0;
    if (!f.Is(2, "LCPOS") && !f.Is(2, "LCRSD") && !f.Is(1, "LCPOSA") && !f.Is(1, "LCRSDA")) return 0;
    char kind = 0;
    f.Convert(6, ParseChar, &kind, EmptyRule::Skip);
    return f.Bad ? 0 : kind;
}

const char *LoranSolutionCaption(char kind)
{
    switch (kind) {
    case 'A': return "LCPOSA - Autonomous";
    case 'C': return "LCPOSA - Coarse Position";
    case 'D': return "LCPOSA - Differential eLoran";
    case 'G': return "LCPOSA - GPS Calibrated";
    case 'S': return "LCPOSA - ASF Corrected";
    default: return nullptr;
    }
}

// ---------------------------------------------------------------------------

void LcposaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Field4 = 0;
    TimeSource = 'N';
    SolutionKind = 'N';
    Position.Latitude = 0.0;
    Position.Longitude = 0.0;
    Velocity = 0.0f;
    Heading = 0.0f;
    Compass = 0.0f;
    LoranCount = 0;
    HDOP = 0.0f;
}

int LcposaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int LcposaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 14) return 1;
    SentenceForm form = ResolveForm(f, "LCPOSA", "LCPOS");
    if (!form) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(form.VersionField, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Convert(4, ParseInt, &Field4, rule);
    f.Convert(5, ParseChar, &TimeSource, rule);
    f.Convert(6, ParseChar, &SolutionKind, rule);
    f.Convert(7, ParseDouble, &Position.Latitude, rule);
    f.Convert(8, ParseDouble, &Position.Longitude, rule);
    f.Convert(9, ParseFloat, &Velocity, rule);
    f.Convert(10, ParseFloat, &Heading, rule);
    f.Convert(11, ParseFloat, &Compass, rule);
    f.Convert(12, ParseInt, &LoranCount, rule);
    f.Convert(13, ParseFloat, &HDOP, rule);
    return f.Bad;
}

void LcposaRecord::CopyFrom(const LcposaRecord &other)
{
    CopyText(Version, other.Version);
    Time = other.Time;
    Field4 = other.Field4;
    TimeSource = other.TimeSource;
    SolutionKind = other.SolutionKind;
    Position.Latitude = other.Position.Latitude;
    Position.Longitude = other.Position.Longitude;
    Velocity = other.Velocity;
    Heading = other.Heading;
    Compass = other.Compass;
    LoranCount = other.LoranCount;
    HDOP = other.HDOP;
}

// ---------------------------------------------------------------------------

void LcrsdaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Field4 = 0;
    TimeSource = 'N';
    SolutionKind = '\0';
    StationCount = 0;
    for (int i = 0; i < MaxStations; ++i) {
        StationCodes[i] = 0;
        Residuals[i] = 0.0f;
        Weights[i] = 0.0f;
    }
}

int LcrsdaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int LcrsdaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 8) return 1;
    SentenceForm form = ResolveForm(f, "LCRSDA", "LCRSD");
    if (!form) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(form.VersionField, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Convert(4, ParseInt, &Field4, rule);
    f.Convert(5, ParseChar, &TimeSource, rule);
    f.Convert(6, ParseChar, &SolutionKind, rule);
    f.Convert(7, ParseInt, &StationCount, rule);
    for (int i = 0; i < StoredStations(); ++i) {
        int first = 8 + 3 * i;
        if (!f.Has(first)) break;   // the line has ended: nothing further to convert
        f.Station(first, &StationCodes[i], EmptyRule::Strict);
        f.Convert(first + 1, ParseFloat, &Residuals[i], EmptyRule::Strict);
        f.Convert(first + 2, ParseFloat, &Weights[i], EmptyRule::Strict);
    }
    return f.Bad;
}

void LcrsdaRecord::CopyFrom(const LcrsdaRecord &other)
{
    *this = other;
}

int LcrsdaRecord::StoredStations() const
{
    if (StationCount < 0) return 0;
    return StationCount < MaxStations ? StationCount : MaxStations;
}

// ---------------------------------------------------------------------------

void LcposaEpoch::Reset()
{
    EpochTime = 0.0;
    ShownPosition.Clear();
    ParsedPosition.Clear();
    ShownResiduals.Clear();
    ParsedResiduals.Clear();
    PositionCountdown = 0;
    ResidualCountdown = 0;
    NewPosition = false;
    havePosition_ = haveResiduals_ = positionShown_ = false;
}

void LcposaEpoch::Enter(double t, bool &seenThis, int32_t &otherCountdown)
{
    const bool started = havePosition_ || haveResiduals_;
    if (started && t == EpochTime && !seenThis) return;
    // A new epoch: only now does the other sentence's countdown run down, so an
    // epoch whose lines come in the other order than the last one's still pairs.
    EpochTime = t;
    havePosition_ = haveResiduals_ = positionShown_ = false;
    if (otherCountdown > 0) --otherCountdown;
}

int LcposaEpoch::AddLine(const char *line) { return AddLine(SentenceLine(line)); }

int LcposaEpoch::AddLine(const SentenceLine &line)
{
    NewPosition = false;
    // Each sentence is parsed into a record of its own and kept only when good,
    // so a bad line never spoils the record waiting for its partner.
    LcposaRecord position;
    if (position.Parse(line) == 0) {
        ParsedPosition.CopyFrom(position);
        PositionCountdown = 2;
        Enter(position.Time, havePosition_, ResidualCountdown);
        havePosition_ = true;
        if (haveResiduals_) {
            ShownResiduals.CopyFrom(ParsedResiduals);
        } else if (ResidualCountdown == 0) {
            ShownResiduals.Clear();   // shown alone: no residuals of this epoch
        } else {
            return 0;                 // waits for its residuals
        }
        ShownPosition.CopyFrom(ParsedPosition);
        NewPosition = !positionShown_;
        positionShown_ = true;
        return 1;
    }

    LcrsdaRecord residuals;
    if (residuals.Parse(line) == 0) {
        ParsedResiduals.CopyFrom(residuals);
        ResidualCountdown = 2;
        Enter(residuals.Time, haveResiduals_, PositionCountdown);
        haveResiduals_ = true;
        if (havePosition_) {
            ShownPosition.CopyFrom(ParsedPosition);
            NewPosition = !positionShown_;
            positionShown_ = true;
        } else if (PositionCountdown == 0) {
            ShownPosition.Clear();    // shown alone: no position of this epoch
        } else {
            return 0;                 // waits for its position
        }
        ShownResiduals.CopyFrom(ParsedResiduals);
        return 2;
    }
    return 0;
}

// ---------------------------------------------------------------------------

bool LcposaKindEpochs::Accept(char kind)
{
    if (Accepts(kind)) return true;
    if (count_ >= MaxKinds) return false;
    kinds_[count_] = kind;
    epochs_[count_].Reset();
    ++count_;
    return true;
}

bool LcposaKindEpochs::Accepts(char kind) const
{
    for (int i = 0; i < count_; ++i)
        if (kinds_[i] == kind) return true;
    return false;
}

LcposaKindEpochs::Added LcposaKindEpochs::AddLine(const char *line) { return AddLine(SentenceLine(line)); }

LcposaKindEpochs::Added LcposaKindEpochs::AddLine(const SentenceLine &line)
{
    Added added;
    added.Kind = GetLoranSolutionKind(line);
    for (int i = 0; i < count_; ++i) {
        if (kinds_[i] != added.Kind || added.Kind == 0) continue;
        added.Result = epochs_[i].AddLine(line);
        added.Epoch = &epochs_[i];
        break;
    }
    return added;
}

void LcposaKindEpochs::Reset()
{
    for (int i = 0; i < count_; ++i) epochs_[i].Reset();
}
