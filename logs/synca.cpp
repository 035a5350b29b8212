#include "logs/synca.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsSynca(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && FieldIs(log, 0, "DODU") && FieldIs(log, 1, "SYNCA");
}

void SyncaRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    SyncSource[0] = '\0';
    Year = 2000;
    Month = 1;
    Day = 1;
    Hour = 0;
    Minute = 0;
    Second = 0;
    SampleCount = 0.0;
    UtcSync = 0;
    LeapSeconds = 0;
    Offset = 0.0f;
    SourceDetail[0] = '\0';
}

int SyncaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int SyncaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 2 || !f.Is(1, "SYNCA")) return 1;
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(2, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Copy(4, SyncSource, rule);
    f.Convert(5, ParseInt, &Year, rule);
    f.Convert(6, ParseInt, &Month, rule);
    f.Convert(7, ParseInt, &Day, rule);
    f.Convert(8, ParseInt, &Hour, rule);
    f.Convert(9, ParseInt, &Minute, rule);
    f.Convert(10, ParseInt, &Second, rule);
    f.Convert(11, ParseDouble, &SampleCount, rule);
    f.Convert(12, ParseInt, &UtcSync, rule);
    f.Convert(13, ParseInt, &LeapSeconds, rule);
    f.Convert(14, ParseFloat, &Offset, rule);
    f.Copy(15, SourceDetail, rule);
    return f.Bad;
}

std::string SyncaRecord::SourceText() const
{
    std::string text = SyncSource;
    if (SourceDetail[0]) text += std::string(" : ") + SourceDetail;
    return text;
}
