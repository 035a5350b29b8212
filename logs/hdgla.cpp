#include "logs/hdgla.h"

#include <cmath>

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsHdgla(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && (FieldIs(log, 0, "HDGLA") || (FieldIs(log, 0, "DODU") && FieldIs(log, 1, "HDGLA")));
}

double HdglaResidual(float measuredHeading, float beamOrientation)
{
    return std::fmod(static_cast<double>(measuredHeading) - static_cast<double>(beamOrientation) + 270.0, 180.0) - 90.0;
}

double HdglaRecord::StationEntry::Residual() const
{
    return HdglaResidual(MeasuredHeading, BeamOrientation);
}

void HdglaRecord::Clear()
{
    Version[0] = '\0';
    Timestamp = 0.0;
    UpdateInterval = 0.0f;
    IntegrationTime = 0.0f;
    PositionValid = 0;
    CiPositive = 0.0f;
    CiNegative = 0.0f;
    AmbiguitySolved = 0;
    AntennaUpsideDown = 0;
    Mode = 'N';
    Heading = 0.0f;
    HeadingStd = 0.0f;
    Quality = 0.0f;
    StationCount = 0;
    for (StationEntry &s : Stations) s = StationEntry{};
}

int HdglaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int HdglaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 2) return 1;
    const int base = BareOrDoduDataField(f, "HDGLA");   // the timestamp's field
    if (base == 0) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    if (base == 3) f.Copy(2, Version, rule);
    f.Convert(base, ParseDouble, &Timestamp, rule);
    f.Convert(base + 1, ParseFloat, &UpdateInterval, rule);
    f.Convert(base + 2, ParseFloat, &IntegrationTime, rule);
    f.Convert(base + 3, ParseInt, &PositionValid, rule);
    f.Convert(base + 4, ParseFloat, &CiPositive, rule);
    f.Convert(base + 5, ParseFloat, &CiNegative, rule);
    f.Convert(base + 6, ParseInt, &AmbiguitySolved, rule);
    f.Convert(base + 7, ParseInt, &AntennaUpsideDown, rule);
    f.Convert(base + 8, ParseChar, &Mode, rule);
    f.Convert(base + 9, ParseFloat, &Heading, rule);
    f.Convert(base + 10, ParseFloat, &HeadingStd, rule);
    f.Convert(base + 11, ParseFloat, &Quality, rule);
    f.Convert(base + 12, ParseInt, &StationCount, rule);

    const int first = base + 13;
    GroupPlan plan = PlanGroups(f.Count(), first, StationCount, 7, MaxStations);
    StationCount = plan.Count;
    if (plan.Result == GroupPlan::NoGroups) return f.Bad;
    if (plan.Result == GroupPlan::Refuse) return 1;
    for (int i = 0; i < StationCount && first + 7 * i <= f.Count() && f.Bad == 0; ++i) {
        StationEntry &s = Stations[i];
        int n = first + 7 * i;
        f.Station(n, s.Name, &s.Code, EmptyRule::Strict);
        f.Convert(n + 1, ParseFloat, &s.BeamOrientation, rule);
        f.Convert(n + 2, ParseFloat, &s.MeasuredHeading, rule);
        f.Convert(n + 3, ParseFloat, &s.Quality, rule);
        f.Convert(n + 4, ParseFloat, &s.CalculatedHeading, rule);
        f.Convert(n + 5, ParseFloat, &s.BeamNull, rule);
        f.Convert(n + 6, ParseFloat, &s.Weight, rule);
    }
    return f.Bad;
}
