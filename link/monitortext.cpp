#include "link/monitortext.h"

#include <algorithm>

namespace {
void KeepTail(std::string &s, size_t max)
{
    if (s.size() > max) s.erase(0, s.size() - max);
}
} // namespace

std::string &MonitorText::PendingLine()
{
    static std::string pending;
    return pending;
}

bool MonitorText::Passes(const std::string &line) const
{
    bool contains = !Filter.empty() && line.find(Filter) != std::string::npos;
    return Mode == FilterMode::Include ? contains : !contains;
}

void MonitorText::AddData(std::string_view chunk)
{
    std::string &pending = PendingLine();
    size_t start = 0;
    for (size_t lf = chunk.find('\n', start); lf != std::string::npos; lf = chunk.find('\n', start)) {
        // A CR that came at the end of the previous chunk belongs to this LF.
        const bool crBefore = lf == start ? !pending.empty() && pending.back() == '\r' : chunk[lf - 1] == '\r';
        const size_t was = pending.size();
        pending.append(chunk.substr(start, lf - start));
        if (!crBefore) pending += '\r';
        pending += '\n';
        AllText.append(pending, was, std::string::npos);
        if (Passes(pending)) FilteredText += pending;
        pending.clear();
        start = lf + 1;
    }
    if (start < chunk.size()) {
        AllText.append(chunk.substr(start));
        pending.append(chunk.substr(start));
        KeepTail(pending, MaxText);
    }
    KeepTail(AllText, MaxText);
    KeepTail(FilteredText, MaxText);
}

void MonitorText::ClearAll()
{
    AllText.clear();
    FilteredText.clear();
}

void CommandHistory::Add(const std::string &command)
{
    if (!command.empty() && std::find(entries_.begin(), entries_.end(), command) == entries_.end())
        entries_.push_back(command);
    while (entries_.size() > MaxEntries) entries_.erase(entries_.begin());
}

std::string CommandHistory::Oldest(const std::string &text) const { return entries_.empty() ? text : entries_.front(); }

std::string CommandHistory::Newest(const std::string &text) const { return entries_.empty() ? text : entries_.back(); }

std::string CommandHistory::Older(const std::string &text) const
{
    if (entries_.empty()) return text;
    auto it = std::find(entries_.begin(), entries_.end(), text);
    if (it != entries_.end() && it != entries_.begin()) return *(it - 1);
    return entries_.front();
}

std::string CommandHistory::Newer(const std::string &text) const
{
    if (entries_.empty()) return text;
    auto it = std::find(entries_.begin(), entries_.end(), text);
    if (it != entries_.end() && it + 1 != entries_.end()) return *(it + 1);
    return entries_.back();
}

std::vector<std::string> CommandHistory::DropDownList(const std::string &typed) const
{
    if (typed.empty()) return entries_;
    std::vector<std::string> list{typed};
    for (const std::string &e : entries_)
        if (e != typed && e.compare(0, typed.size(), typed) == 0) list.push_back(e);
    return list;
}
