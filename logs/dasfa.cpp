#include "logs/dasfa.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsDasfa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "DASFA") || FieldIs(log, 2, "DASF"));
}

void DasfaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Date = 0;
    TimeSource = 'N';
    Latitude = 0.0;
    Longitude = 0.0;
    PositionValid = 0;
    StationCount = 0;
    for (StationEntry &s : Stations) s = StationEntry{};
}

int DasfaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int DasfaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 14) return 1;
    SentenceForm form = ResolveForm(f, "DASFA", "DASF", true);
    if (!form) return 1;

    Clear();
    const EmptyRule header = EmptyRule::Skip;
    f.Copy(form.VersionField, Version, header);
    f.Convert(3, ParseDouble, &Time, header);
    f.Convert(4, ParseInt, &Date, header);
    f.Convert(5, ParseChar, &TimeSource, header);
    f.Convert(6, ParseDouble, &Latitude, header);
    f.Convert(7, ParseDouble, &Longitude, header);
    f.Convert(8, ParseInt, &StationCount, header);
    PositionValid = f.Filled(6) && f.Filled(7) ? 1 : 0;

    const int first = 9;
    GroupPlan plan = PlanGroups(f.Count(), first, StationCount, 3, MaxStations);
    StationCount = plan.Count;
    if (plan.Result == GroupPlan::NoGroups) return f.Bad;
    if (plan.Result == GroupPlan::Refuse) return 1;
    for (int k = 0; k < StationCount && f.Bad == 0; ++k) {
        StationEntry &s = Stations[k];
        int i = first + 3 * k;
        f.Station(i, s.Name, &s.Code, EmptyRule::Strict);
        f.Convert(i + 1, ParseFloat, &s.DASF, EmptyRule::Strict);
        f.Convert(i + 2, ParseFloat, &s.Quality, EmptyRule::Strict);
    }
    return f.Bad;
}
