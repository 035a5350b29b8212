#include "link/linkcheck.h"

#include <cctype>
#include <sys/stat.h>

#include "sentence/fields.h"

namespace {

std::optional<int32_t> WholeNumber(const std::string &text)
{
    int32_t v = 0;
    if (ParseInt(text.c_str(), &v) != 0) return std::nullopt;
    return v;
}

// The number after "COM", when the text has that form.
std::optional<int32_t> ComNumber(const std::string &text)
{
    if (text.size() < 3) return std::nullopt;
    for (size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return std::nullopt;
    return WholeNumber(text.substr(3));
}

} // namespace

bool IsValidPortText(const std::string &text)
{
    if (!text.empty() && text[0] == '/') return true;
    return ComNumber(text).has_value();
}

std::string ResolvePortName(const std::string &text, const std::string &portsFolder)
{
    if (!text.empty() && text[0] == '/') return text;
    std::optional<int32_t> n = ComNumber(text);
    if (!n || *n < 1) return std::string();
    std::string link = portsFolder + "/com" + std::to_string(*n);
    struct stat st {};
    if (!portsFolder.empty() && ::lstat(link.c_str(), &st) == 0) return link;
    return "/dev/ttyS" + std::to_string(*n - 1);
}

std::optional<uint32_t> CheckBaudText(const std::string &text)
{
    std::optional<int32_t> v = WholeNumber(text);
    if (!v || *v < 110) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

std::optional<uint8_t> CheckDataBitsText(const std::string &text)
{
    std::optional<int32_t> v = WholeNumber(text);
    if (!v || *v < 5 || *v > 8) return std::nullopt;
    return static_cast<uint8_t>(*v);
}

std::optional<uint16_t> CheckTcpPort(const std::string &text)
{
    std::optional<int32_t> v = WholeNumber(text);
    if (!v || *v < 1 || *v > 65535) return std::nullopt;
    return static_cast<uint16_t>(*v);
}

std::optional<int> CheckLinesPerSecond(const std::string &text)
{
    std::optional<int32_t> v = WholeNumber(text);
    if (!v || *v < 1 || *v > 500) return std::nullopt;
    return *v;
}

int ReplayIntervalMs(int linesPerSecond) { return linesPerSecond > 0 ? 1000 / linesPerSecond : 1000; }

void ReplayPace::Start(int64_t nowNs, int linesPerSecond)
{
    start_ = nowNs;
    sent_ = 0;
    rate_ = linesPerSecond > 0 ? linesPerSecond : 1;
}

int ReplayPace::Due(int64_t nowNs)
{
    const int64_t elapsed = nowNs > start_ ? nowNs - start_ : 0;
    const int64_t called = static_cast<int64_t>(static_cast<long double>(elapsed) * rate_ / 1e9L);
    const int64_t most = rate_ / 5 > 1 ? rate_ / 5 : 1;
    if (called - sent_ > most) sent_ = called - most;
    return static_cast<int>(called - sent_);
}

std::optional<int> StoredNumber(const std::string &value) { return WholeNumber(value); }

std::optional<int> StoredIndex(const std::string &value, int count)
{
    std::optional<int32_t> v = WholeNumber(value);
    if (!v || *v < 0 || *v >= count) return std::nullopt;
    return *v;
}
