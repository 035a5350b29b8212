#include "logs/record_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sentence/recognise.h"

void CopyText(char *dst, size_t size, const char *src)
{
    if (size == 0) return;
    size_t n = src ? strnlen(src, size - 1) : 0;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
}

RecordFields::RecordFields(const char *line) : own_(std::in_place, line), log_(own_->Sentence()) {}

RecordFields::RecordFields(const SentenceLine &line) : log_(line.Sentence()) {}

bool RecordFields::Is(int i, const char *id) const
{
    return Has(i) && FieldIs(log_, i, id);
}

void RecordFields::StationInto(int i, char *name, size_t size, StationCode *code, EmptyRule rule)
{
    if (!(rule == EmptyRule::Skip ? Filled(i) : Has(i))) return;
    // The code comes from the text as stored: at most five characters.
    char cut[6];
    CopyText(cut, Text(i));
    if (name) CopyText(name, size, cut);
    Bad += StationIdToCode(code, cut);
}

int BareOrDoduDataField(const RecordFields &f, const char *id)
{
    if (f.Is(0, id)) return 1;
    if (f.Is(0, "DODU") && f.Is(1, id)) return 3;
    return 0;
}

SentenceForm ResolveForm(const RecordFields &f, const char *currentId, const char *olderId, bool currentFirst)
{
    SentenceForm form;
    if (!f.Is(0, "DODU")) return form;
    bool older = f.Is(2, olderId);
    bool current = f.Is(1, currentId);
    if (older && (!currentFirst || !current)) {
        form.Form = SentenceForm::Older;
        form.VersionField = 1;
    } else if (current) {
        form.Form = SentenceForm::Current;
        form.VersionField = 2;
    }
    return form;
}

GroupPlan PlanGroups(int fieldCount, int firstGroupField, int32_t announced, int groupSize, int32_t limit)
{
    GroupPlan plan;
    plan.Count = std::clamp<int32_t>(announced, 0, limit);
    if (announced == 0) return plan;
    // Integer division truncating toward zero, done wide so no count overflows it.
    long long quotient = (static_cast<long long>(fieldCount) - firstGroupField) / announced;
    if (quotient == 0) return plan;
    plan.Result = quotient == groupSize ? GroupPlan::Read : GroupPlan::Refuse;
    return plan;
}

namespace {

// "%4.2lf" in full: the largest double takes some 310 characters.
std::string RawTime(double time)
{
    char buf[400];
    std::snprintf(buf, sizeof buf, "%4.2lf", time);
    return buf;
}

} // namespace

ReceiverTimeText FormatReceiverTime(double time, int32_t date, char source)
{
    ReceiverTimeText text;
    if (source != 'G' && source != 'L') {
        text.Time = RawTime(time);
        text.Date = "- - -";
        text.Source = "None";
        return text;
    }
    char buf[64];
    if (time >= 0.0 && time < 240000.0) {
        double a = (time + 0.001) * 0.0001;
        int hours = static_cast<int>(a);
        double b = (a - hours) * 100.0;
        int minutes = static_cast<int>(b);
        double c = (b - minutes) * 100.0;
        int seconds = static_cast<int>(c);
        int hundredths = std::clamp(static_cast<int>((c - seconds) * 100.0), 0, 99);
        std::snprintf(buf, sizeof buf, "%02i:%02i:%02i.%02i", hours, minutes, seconds, hundredths);
        text.Time = buf;
    } else {
        text.Time = RawTime(time);
    }
    std::snprintf(buf, sizeof buf, "%02i/%02i/%02i", (date / 10000) % 100, (date / 100) % 100, date % 100);
    text.Date = buf;
    text.Source = source == 'G' ? "GPS" : "eLoran";
    return text;
}
