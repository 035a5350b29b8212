#include "logs/notcha.h"

#include <algorithm>

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsNotcha(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && FieldIs(log, 0, "DODU") && FieldIs(log, 1, "NOTCHA");
}

void NotchaRecord::Clear()
{
    Version[0] = '\0';
    Timestamp = 0.0;
    NumNotches = 0;
    ActiveNotches = 0;
    for (NotchEntry &n : Notches) n = NotchEntry{};
}

int NotchaRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int NotchaRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    if (!f.Ok() || f.Count() < 6 || !f.Is(0, "DODU") || !f.Is(1, "NOTCHA")) return 1;
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    f.Copy(2, Version, rule);
    f.Convert(3, ParseDouble, &Timestamp, rule);
    f.Convert(4, ParseInt, &NumNotches, rule);
    f.Convert(5, ParseInt, &ActiveNotches, rule);
    if (NumNotches > MaxNotches) NumNotches = MaxNotches;
    for (int i = 0; i < NumNotches; ++i) {
        f.Convert(6 + 2 * i, ParseFloat, &Notches[i].Frequency, rule);
        f.Convert(7 + 2 * i, ParseFloat, &Notches[i].Bandwidth, rule);
    }
    return f.Bad;
}

std::vector<int> NotchaRecord::ListedNotches() const
{
    std::vector<int> listed;
    for (int i = 0; i < std::min(NumNotches, MaxNotches); ++i)
        if (Notches[i].Frequency > 0.0f && Notches[i].Bandwidth > 0.0f) listed.push_back(i);
    return listed;
}

int NotchaRecord::BoundedActiveNotches() const
{
    return std::clamp(ActiveNotches, 0, std::clamp(NumNotches, 0, MaxNotches));
}
