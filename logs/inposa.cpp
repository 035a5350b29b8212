#include "logs/inposa.h"

#include <cstring>

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsInposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "INPOSA") || FieldIs(log, 2, "INPOS"));
}

void InposaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Date = 0;
    TimeSource = 'N';
    std::memset(Modes, 0, sizeof Modes);
    Modes[0] = 'N';
    PositionValid = 0;
    Position.Latitude = 0.0;
    Position.Longitude = 0.0;
    Height = 0.0f;
    Undulation = 0.0f;
    Velocity = 0.0f;
    Heading = 0.0f;
    Compass = 0.0f;
    SVCount = 0;
    LoranCount = 0;
    HDOP = 0.0f;
    Quality = 0.0f;
}

int InposaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int InposaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 14) return 1;
    SentenceForm form = ResolveForm(f, "INPOSA", "INPOS");
    if (!form) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(form.VersionField, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Convert(4, ParseInt, &Date, rule);
    f.Convert(5, ParseChar, &TimeSource, rule);

    // The old form sends the two mode letters in fields of their own, so the
    // position fields sit one further on.
    const bool old = form.Form == SentenceForm::Older;
    int lat;
    if (old) {
        Modes[0] = 'N';
        Modes[1] = 'N';
        f.Convert(6, ParseChar, &Modes[0], rule);
        f.Convert(7, ParseChar, &Modes[1], rule);
        lat = 8;
    } else {
        if (f.Filled(6)) std::strncpy(Modes, f.Text(6), 5);
        Modes[5] = '\0';
        lat = 7;
    }
    f.Convert(lat, ParseDouble, &Position.Latitude, rule);
    f.Convert(lat + 1, ParseDouble, &Position.Longitude, rule);
    // A solution without its latitude or longitude is no position: without this
    // an old-form line with empty position fields would put a point at 0, 0.
    bool inUse = Modes[0] != 'N' || (Modes[1] != '\0' && Modes[1] != 'N');
    PositionValid = inUse && f.Filled(lat) && f.Filled(lat + 1) ? 1 : 0;

    int i = lat + 2;
    f.Convert(i++, ParseFloat, &Height, rule);
    f.Convert(i++, ParseFloat, &Undulation, rule);
    f.Convert(i++, ParseFloat, &Velocity, rule);
    f.Convert(i++, ParseFloat, &Heading, rule);
    f.Convert(i++, ParseFloat, &Compass, rule);
    f.Convert(i++, ParseInt, &SVCount, rule);
    f.Convert(i++, ParseInt, &LoranCount, rule);
    if (!old) {
        f.Convert(i++, ParseFloat, &HDOP, rule);
        f.Convert(i++, ParseFloat, &Quality, rule);
    }
    return f.Bad;
}

const char *InposaGpsModeText(char mode)
{
    switch (mode) {
    case 'A': return "Stand alone";
    case 'W': return "WAAS/EGNOS";
    case 'R': return "Radiobeacon";
    case 'E': return "Eurofix";
    default: return "Not included";
    }
}

const char *InposaLoranModeText(char mode)
{
    switch (mode) {
    case 'A': return "Stand alone";
    case 'D': return "Differential";
    case 'G': return "GPS Calibrated";
    case 'S': return "ASF Corrected";
    default: return "Not included";
    }
}
