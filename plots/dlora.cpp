#include "plots/dlora.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "sentence/splitters.h"

bool IsDlora(const char *line)
{
    return line && strncasecmp(line, "$DODU,DLORA,", 12) == 0;
}

void DloraRecord::Clear()
{
    std::memset(this, 0, sizeof *this);
}

int DloraRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int DloraRecord::Parse(const SentenceLine &line)
{
    Clear();
    // NMEALogClass splits exactly as NovatelLogClass does: the shared split serves.
    const NovatelLogClass &log = line.Sentence();
    if (log.Status != 0 || log.FieldCount < 11 || !std::strstr(line.Text(), "$DODU,DLORA")) return 1;
    char **f = log.Fields;

    int bad = 0;
    bad += ParseFloat(f[2], &VersionNumber);
    // A scan that stops short leaves the rest of the fields as they were.
    if (std::sscanf(f[3], "%02d%02d%lf", &Hours, &Minutes, &Seconds) != 3) ++bad;
    if (std::sscanf(f[4], "%02d%02d%02d", &Date[0], &Date[1], &Date[2]) != 3) ++bad;
    std::strncpy(Text, f[5], sizeof Text - 1);
    Text[sizeof Text - 1] = '\0';
    bad += ParseDouble(f[6], &Field6);
    bad += ParseDouble(f[7], &Field7);
    bad += ParseInt(f[8], &Field8);
    bad += ParseDouble(f[9], &Field9);
    int32_t announced = 0;
    bad += ParseInt(f[10], &announced);

    // Four fields per station, compared in 64 bits: a huge announced count must
    // not wrap around to a small product.
    if (static_cast<int64_t>(log.FieldCount) - 11 != 4 * static_cast<int64_t>(announced)) {
        StationCount = 0;
        return bad + 1;
    }
    int32_t wanted = announced > MaxStations ? MaxStations : announced;
    StationCount = 0;
    for (int32_t i = 0; i < wanted && bad == 0; ++i) {
        int first = 11 + 4 * i;
        StationEntry &s = Stations[i];
        uint32_t status = 0;
        bad += StationIdToCode(&s.Code, f[first]);
        bad += ParseDouble(f[first + 1], &s.ValueA);
        bad += ParseDouble(f[first + 2], &s.ValueB);
        bad += ParseHex(f[first + 3], &status);
        if (bad == 0) StationCount = i + 1;
    }
    return bad;
}
