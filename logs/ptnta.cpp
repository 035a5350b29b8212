#include "logs/ptnta.h"

#include <cmath>
#include <cstdio>

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsPtnta(const NovatelLogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "PTNTA");
}

double PpsDifference(int32_t ppsCount, int32_t phase)
{
    if (phase >= 511 || phase <= -511) {
        const double half = PtntaRecord::CountsPerSecond / 2;
        return (std::fmod(ppsCount + half, PtntaRecord::CountsPerSecond) - half) * (1.0 / PtntaRecord::CountsPerSecond);
    }
    return phase * 1e-9;
}

void PtntaRecord::Clear()
{
    Year = 2000;
    Month = 1;
    Day = 1;
    Hour = 0;
    Minute = 0;
    Second = 0;
    Quality = 0;
    PpsCount = 0;
    Phase = 0;
    PpsDiff = 0.0;
    Value6 = 0.0f;
    Value7 = 0.0f;
}

int PtntaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int PtntaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || !f.Is(0, "PTNTA")) return 1;
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    if (f.Filled(1)) {
        int v[6];
        int n = std::sscanf(f.Text(1), "%4d%2d%2d%2d%2d%2d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
        if (n == 6) {
            Year = v[0];
            Month = v[1];
            Day = v[2];
            Hour = v[3];
            Minute = v[4];
            Second = v[5];
        } else {
            f.Bad = 1;
        }
    }
    f.Convert(2, ParseInt, &Quality, rule);
    if (f.Filled(4)) {
        int count = 0;
        if (std::sscanf(f.Text(4), "%7d", &count) == 1) {
            PpsCount = count;
        } else {
            f.Bad += 1;
        }
    }
    f.Convert(5, ParseInt, &Phase, rule);
    PpsDiff = PpsDifference(PpsCount, Phase);
    f.Convert(6, ParseFloat, &Value6, rule);
    f.Convert(7, ParseFloat, &Value7, rule);
    return f.Bad;
}

const char *PtntaRecord::QualityText() const
{
    switch (Quality) {
    case 0: return "0: Rb line not locked";
    case 1: return "1: Free run";
    case 2: return "2: Disciplined";
    default: return "Unknown quality";
    }
}
