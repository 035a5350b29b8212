#include "plots/tdintake.h"

#include <cmath>

#include "logs/dasfa.h"
#include "logs/record_support.h"
#include "logs/toaa.h"
#include "plots/dlora.h"

namespace {

// True when the record's station groups were read: a count of 0, or fewer
// fields than stations announced, leaves the entries as they were cleared.
bool GroupsRead(const RecordFields &f, int countField, int firstGroupField, int groupSize, int limit)
{
    int32_t announced = 0;
    if (!f.Filled(countField) || ParseInt(f.Text(countField), &announced) != 0) return false;
    return PlanGroups(f.Count(), firstGroupField, announced, groupSize, limit).Result == GroupPlan::Read;
}

} // namespace

bool ReadToaaSentence(const SentenceLine &line, TDSentence &out)
{
    out = TDSentence{};
    ToaaRecord r;
    if (r.Parse(line) != 0 || !std::isfinite(r.Timestamp)) return false;
    out.X = r.Timestamp;

    RecordFields f(line);
    const bool old = f.Is(0, "TOAA");
    const int first = old ? 7 : 11;
    if (!GroupsRead(f, old ? 6 : 10, first, 10, ToaaRecord::MaxStations)) return true;
    for (int k = 0; k < r.StationCount; ++k) {
        const ToaaRecord::StationEntry &e = r.Stations[k];
        const int i = first + 10 * k;
        // An empty identifier or TOA left the cleared entry's 0 in place: no measurement.
        if (!f.Filled(i) || !f.Filled(i + 7) || e.Code == 0) continue;
        if (e.State & NotUsedBit || !std::isfinite(1000.0 * e.TOA)) continue;
        out.Add(e.Code, 1000.0 * e.TOA, static_cast<int32_t>(e.State));
    }
    return true;
}

bool ReadDasfaSentence(const SentenceLine &line, TDSentence &out)
{
    out = TDSentence{};
    DasfaRecord r;
    if (r.Parse(line) != 0 || !std::isfinite(r.Time)) return false;
    out.X = HhmmssToSeconds(r.Time);

    RecordFields f(line);
    if (!GroupsRead(f, 8, 9, 3, DasfaRecord::MaxStations)) return true;
    for (int k = 0; k < r.StationCount; ++k) {
        const DasfaRecord::StationEntry &e = r.Stations[k];
        const double y = 1000.0 * static_cast<double>(e.DASF);
        if (e.Code != 0 && std::isfinite(y)) out.Add(e.Code, y, 0);
    }
    return true;
}

bool ReadDloraSentence(const SentenceLine &line, TDSentence &out)
{
    out = TDSentence{};
    DloraRecord r;
    if (r.Parse(line) != 0 || !std::isfinite(r.SecondsOfDay())) return false;
    out.X = r.SecondsOfDay();
    for (int i = 0; i < r.StationCount; ++i) {
        const DloraRecord::StationEntry &e = r.Stations[i];
        const double y = e.ValueA + e.ValueB;
        if (e.Code != 0 && std::isfinite(y)) out.Add(e.Code, y, 0);
    }
    return true;
}
