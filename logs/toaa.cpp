#include "logs/toaa.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsToaa(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && ((FieldIs(log, 0, "DODU") && FieldIs(log, 1, "TOAA")) || FieldIs(log, 0, "TOAA"));
}

void ToaaRecord::Clear()
{
    Version[0] = '\0';
    Timestamp = 0.0;
    UpdateInterval = 0.0;
    IntegrationTime = 0.0;
    ClockStatus[0] = '\0';
    ClockError = 0.0;
    NoiseLoop1 = 0.0f;
    NoiseLoop2 = 0.0f;
    StationCount = 0;
    for (StationEntry &s : Stations) s = StationEntry{};
}

int ToaaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int ToaaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok()) return 1;

    EmptyRule rule;
    int first;
    if (f.Count() >= 7 && f.Is(0, "TOAA")) {
        rule = EmptyRule::Strict;
        f.Convert(1, ParseDouble, &Timestamp, rule);
        f.Convert(2, ParseDouble, &UpdateInterval, rule);
        f.Convert(3, ParseDouble, &IntegrationTime, rule);
        f.Copy(4, ClockStatus, rule);
        f.Convert(5, ParseDouble, &ClockError, rule);
        f.Convert(6, ParseInt, &StationCount, rule);
        first = 7;
    } else if (f.Count() >= 11 && f.Is(0, "DODU") && f.Is(1, "TOAA")) {
        rule = EmptyRule::Skip;
        f.Copy(2, Version, rule);
        f.Convert(3, ParseDouble, &Timestamp, rule);
        f.Convert(4, ParseDouble, &UpdateInterval, rule);
        f.Convert(5, ParseDouble, &IntegrationTime, rule);
        f.Copy(6, ClockStatus, rule);
        f.Convert(7, ParseDouble, &ClockError, rule);
        f.Convert(8, ParseFloat, &NoiseLoop1, rule);
        f.Convert(9, ParseFloat, &NoiseLoop2, rule);
        f.Convert(10, ParseInt, &StationCount, rule);
        first = 11;
    } else {
        return 1;
    }

    GroupPlan plan = PlanGroups(f.Count(), first, StationCount, 10, MaxStations);
    StationCount = plan.Count;
    if (plan.Result == GroupPlan::NoGroups) return f.Bad;
    if (plan.Result == GroupPlan::Refuse) return 1;
    for (int k = 0; k < StationCount && f.Bad == 0; ++k) {
        StationEntry &s = Stations[k];
        int i = first + 10 * k;
        f.Station(i, s.Name, &s.Code, rule);
        f.Convert(i + 1, ParseFloat, &s.SS, rule);
        f.Convert(i + 2, ParseFloat, &s.SNR, rule);
        f.Convert(i + 3, ParseFloat, &s.BQ, rule);
        f.Convert(i + 4, ParseFloat, &s.ECD, rule);
        f.Convert(i + 5, ParseFloat, &s.CIQ, rule);
        f.Convert(i + 6, ParseHex, &s.State, rule);
        f.Convert(i + 7, ParseDouble, &s.TOA, rule);
        f.Convert(i + 8, ParseDouble, &s.Doppler, rule);
        f.Convert(i + 9, ParseDouble, &s.LockTime, rule);
    }
    return f.Bad;
}
