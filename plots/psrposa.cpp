#include "plots/psrposa.h"

#include <strings.h>

#include "logs/record_support.h"
#include "plots/geodesy.h"
#include "sentence/recognise.h"

bool IsPsrposa(const NovatelOEM4LogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "PSRPOSA");
}

void PsrposaRecord::Clear()
{
    Week = 0;
    Seconds = 0.0;
    Position = GeoPosition();
    PositionType[0] = '\0';
}

int PsrposaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int PsrposaRecord::Parse(const SentenceLine &line)
{
    const NovatelOEM4LogClass &log = line.Log();
    if (log.Status != 0 || log.FieldCount != FieldCount || !FieldIs(log, 0, "PSRPOSA")) return 1;
    int bad = 0;
    bad += ParseInt(log.Fields[5], &Week);
    bad += ParseDouble(log.Fields[6], &Seconds);
    CopyText(PositionType, log.Fields[11]);
    bad += ParseDouble(log.Fields[12], &Position.Latitude);
    bad += ParseDouble(log.Fields[13], &Position.Longitude);
    bad += ParseDouble(log.Fields[14], &Position.Height);
    return bad;
}

bool PsrposaRecord::HasSolution() const { return strncasecmp(PositionType, "NONE", 4) != 0; }

double PsrposaRecord::GpsSince1970() const
{
    return static_cast<double>(Week) * 604800.0 + Seconds + static_cast<double>(GpsEpochUnixSeconds);
}
