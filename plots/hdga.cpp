#include "plots/hdga.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsHdga(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && ((FieldIs(log, 0, "DODU") && FieldIs(log, 1, "HDGA")) || FieldIs(log, 0, "HDGA"));
}

void HdgaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    Value = 0.0f;
    Source = 'N';
    Heading = 0.0f;
    HeadingStd = 0.0f;
    Quality = 0.0f;
}

int HdgaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int HdgaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok()) return 1;
    const int base = BareOrDoduDataField(f, "HDGA");   // the time's field
    if (base == 0) return 1;

    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    if (base == 3) f.Copy(2, Version, rule);
    f.Convert(base, ParseDouble, &Time, rule);
    f.Convert(base + 1, ParseFloat, &Value, rule);
    f.Convert(base + 2, ParseChar, &Source, rule);
    f.Convert(base + 3, ParseFloat, &Heading, rule);
    f.Convert(base + 4, ParseFloat, &HeadingStd, rule);
    f.Convert(base + 5, ParseFloat, &Quality, rule);
    return f.Bad;
}
