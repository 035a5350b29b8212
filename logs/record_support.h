// What every sentence record shares: bounded access to the fields of a split
// line with a running count of bad fields, the two empty-field rules, the two
// forms of the DODU position sentences, the gate for repeated station groups and
// the texts of a receiver time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// How a converter treats an empty field.
//   Skip:   an empty or missing field keeps the record's value and counts nothing.
//   Strict: every field that exists is converted, so an empty one counts as bad;
//           a missing field (the line ended) counts nothing.
enum class EmptyRule { Skip, Strict };

// Copies at most size - 1 characters of src into dst and always terminates it.
void CopyText(char *dst, size_t size, const char *src);
template <size_t N> void CopyText(char (&dst)[N], const char *src) { CopyText(dst, N, src); }

// One "$" line split by NovatelLogClass, read through bounds-checked accessors.
// Bad adds up the converters' results (0 good, 1 bad) of everything read.
class RecordFields {
public:
    explicit RecordFields(const char *line);            // splits the line itself
    explicit RecordFields(const SentenceLine &line);    // reads the line's shared split
    RecordFields(const RecordFields &) = delete;
    RecordFields &operator=(const RecordFields &) = delete;

    bool Ok() const { return log_.Status == 0; }   // checksum right and split well
    int Count() const { return Ok() ? log_.FieldCount : 0; }
    bool Has(int i) const { return i >= 0 && i < Count(); }
    bool Filled(int i) const { return Has(i) && log_.Fields[i][0] != '\0'; }
    const char *Text(int i) const { return Has(i) ? log_.Fields[i] : ""; }
    const NovatelLogClass &Split() const { return log_; }
    bool Is(int i, const char *id) const;   // field i exists and equals id, any case

    template <typename T> void Convert(int i, int (*converter)(const char *, T *), T *out, EmptyRule rule)
    {
        if (rule == EmptyRule::Skip ? Filled(i) : Has(i)) Bad += converter(Text(i), out);
    }
    // Text fields never count. Skip: copied when filled. Strict: copied when present.
    template <size_t N> void Copy(int i, char (&dst)[N], EmptyRule rule)
    {
        if (rule == EmptyRule::Skip ? Filled(i) : Has(i)) CopyText(dst, Text(i));
    }
    // A station identifier: its text cut into name (when given) and its code, the
    // code's conversion counted (an empty identifier is bad under Strict).
    template <size_t N> void Station(int i, char (&name)[N], StationCode *code, EmptyRule rule)
    {
        StationInto(i, name, N, code, rule);
    }
    void Station(int i, StationCode *code, EmptyRule rule) { StationInto(i, nullptr, 0, code, rule); }

    int Bad = 0;

private:
    void StationInto(int i, char *name, size_t size, StationCode *code, EmptyRule rule);

    std::optional<SentenceLine> own_;
    const NovatelLogClass &log_;
};

// The two forms of GPPOSA, INPOSA, LCPOSA and LCRSDA (and DASFA):
//   current DODU,<current id>,version,...   the version in field 2
//   older   DODU,version,<older id>,...     the version in field 1
struct SentenceForm {
    enum Kind { None, Current, Older };
    Kind Form = None;
    int VersionField = -1;
    explicit operator bool() const { return Form != None; }
};
// The older form is tested first unless currentFirst is set.
SentenceForm ResolveForm(const RecordFields &f, const char *currentId, const char *olderId,
                         bool currentFirst = false);

// The two forms of HDGA and HDGLA: bare <id>,data... or DODU,<id>,version,data...
// The first data field (1 or 3), or 0 when the line is neither.
int BareOrDoduDataField(const RecordFields &f, const char *id);

// Repeated station groups behind a count field. The quotient
// (field count - first group field) / announced count must be the group size;
// a count of 0, or fewer fields than stations announced (quotient 0), reads no
// group; any other quotient refuses the line. Count is the announced count
// limited to 0..limit: a negative count never reaches a loop bound or a grid.
struct GroupPlan {
    enum Outcome { NoGroups, Read, Refuse };
    Outcome Result = NoGroups;
    int32_t Count = 0;
};
GroupPlan PlanGroups(int fieldCount, int firstGroupField, int32_t announced, int groupSize, int32_t limit = 30);

// The receiver time of DASFA, GPPOSA and INPOSA as the windows show it. For
// source 'G' or 'L' and a time of day (0 <= time < 240000) the time reads
// "hh:mm:ss.cc", the date "dd/mm/yy" and the source "GPS" or "eLoran"; any other
// source shows the raw time "%4.2lf", "- - -" and "None". A 'G' or 'L' time that
// is no time of day (negative, a day or more, not finite) shows as the raw time;
// its date and source are shown as usual.
struct ReceiverTimeText {
    std::string Time;
    std::string Date;
    std::string Source;
};
ReceiverTimeText FormatReceiverTime(double time, int32_t date, char source);
