// What the user types into the data-source window and what the settings store
// holds for it: checks, and the mapping of port names to devices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// "COM" followed by a whole number (in any case), or an absolute device path.
bool IsValidPortText(const std::string &text);
// The device a port text names: an absolute path as it is; COMn the link file
// "comn" (lower case) in portsFolder when there is one, else /dev/ttyS(n-1);
// an empty text when it names no device.
std::string ResolvePortName(const std::string &text, const std::string &portsFolder);

std::optional<uint32_t> CheckBaudText(const std::string &text);     // a whole number, at least 110
std::optional<uint8_t> CheckDataBitsText(const std::string &text);  // 5 to 8
std::optional<uint16_t> CheckTcpPort(const std::string &text);      // 1 to 65535
std::optional<int> CheckLinesPerSecond(const std::string &text);    // 1 to 500
// The replay tick for a pace: 1000 / lines per second, in whole milliseconds.
int ReplayIntervalMs(int linesPerSecond);

// How many replayed lines a tick sends: those the time since the pace started
// calls for at the set rate, less those sent. One tick sends at most 200 ms worth
// (at least one line); what a late tick owes beyond that is dropped from the
// account, so the replay never runs faster than its rate to catch up.
class ReplayPace {
public:
    void Start(int64_t nowNs, int linesPerSecond);
    int Due(int64_t nowNs);
    void Sent(int lines) { sent_ += lines; }

private:
    int64_t start_ = 0;
    int64_t sent_ = 0;
    int rate_ = 1;
};

// A stored value: a whole number, or an index below count.
std::optional<int> StoredNumber(const std::string &value);
std::optional<int> StoredIndex(const std::string &value, int count);
