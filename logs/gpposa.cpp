#include "logs/gpposa.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsGpposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "GPPOSA") || FieldIs(log, 2, "GPPOS"));
}

void GpposaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Date = 0;
    TimeSource = 'N';
    PositionMode = 'N';
    Position.Latitude = 0.0;
    Position.Longitude = 0.0;
    Height = 0.0f;
    Undulation = 0.0f;
    Velocity = 0.0f;
    Heading = 0.0f;
    Compass = 0.0f;
    SVs = 0;
    HDOP = 99.9f;
    VDOP = 99.9f;
    PDOP = 99.9f;
    Quality = 0.0f;
}

int GpposaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int GpposaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 14) return 1;
    SentenceForm form = ResolveForm(f, "GPPOSA", "GPPOS");
    if (!form) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(form.VersionField, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Convert(4, ParseInt, &Date, rule);
    f.Convert(5, ParseChar, &TimeSource, rule);
    f.Convert(6, ParseChar, &PositionMode, rule);
    f.Convert(7, ParseDouble, &Position.Latitude, rule);
    f.Convert(8, ParseDouble, &Position.Longitude, rule);
    f.Convert(9, ParseFloat, &Height, rule);
    f.Convert(10, ParseFloat, &Undulation, rule);
    f.Convert(11, ParseFloat, &Velocity, rule);
    f.Convert(12, ParseFloat, &Heading, rule);
    f.Convert(13, ParseFloat, &Compass, rule);
    f.Convert(14, ParseInt, &SVs, rule);
    f.Convert(15, ParseFloat, &HDOP, rule);
    f.Convert(16, ParseFloat, &VDOP, rule);
    f.Convert(17, ParseFloat, &PDOP, rule);
    if (form.Form == SentenceForm::Current) f.Convert(18, ParseFloat, &Quality, rule);
    return f.Bad;
}

const char *GpposaModeText(char mode)
{
    switch (mode) {
    case 'A': return "Stand alone";
    case 'W': return "WAAS/EGNOS";
    case 'R': return "Radiobeacon";
    case 'E': return "Eurofix";
    default: return "No fix";
    }
}
