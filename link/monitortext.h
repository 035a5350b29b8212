// What the serial monitor keeps: the raw traffic, the lines passing the filter
// and the command history. The window only shows these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class MonitorText {
public:
    static constexpr size_t MaxText = 10000;
    enum class FilterMode { Include, Exclude };

    std::string AllText;
    std::string FilteredText;
    std::string Filter = "$";
    FilterMode Mode = FilterMode::Exclude;

    // Appends a received chunk: each LF ends a line (a lone LF is shown as CR LF);
    // whole lines go through the filter; both texts keep their last MaxText characters.
    void AddData(std::string_view chunk);
    void ClearAll();
    void ClearFiltered() { FilteredText.clear(); }

    // The line received since the last LF. One for the whole program: it outlives
    // the window, so a line cut by closing the monitor is completed later.
    static std::string &PendingLine();

private:
    bool Passes(const std::string &line) const;
};

class CommandHistory {
public:
    static constexpr size_t MaxEntries = 50;

    const std::vector<std::string> &Entries() const { return entries_; }
    // A non-empty command not yet in the history goes at the end; the oldest drop out beyond 50.
    void Add(const std::string &command);

    // The text the command line takes for a key; the text itself when the history is empty.
    std::string Oldest(const std::string &text) const;
    std::string Newest(const std::string &text) const;
    std::string Older(const std::string &text) const;   // Up
    std::string Newer(const std::string &text) const;   // Down
    // The drop-down list: the whole history when nothing is typed, else the typed
    // text followed by every entry that begins with it and differs from it.
    std::vector<std::string> DropDownList(const std::string &typed) const;

private:
    std::vector<std::string> entries_;
};
