// The received-data router: assembles lines from raw chunks, checks and splits
// each line and hands it, by sentence type, to whoever shows that type.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "sentence/splitters.h"

enum class SentenceType {
    Toaa, Dlora, Dasfa, Gpgga, Hdga, Hdgla, Ptnta, Synca, Rmsg,
    Gpposa, Inposa, Lcposa /* LCPOSA or LCRSDA */, Fft, Notcha, Audio, Psrposa,
};
constexpr size_t SentenceTypeCount = static_cast<size_t>(SentenceType::Psrposa) + 1;

// What the router calls for each line. The main window implements it.
class RouteTarget {
public:
    virtual ~RouteTarget() = default;
    // A running script sees every line end, empty lines included.
    virtual bool ScriptRunning() const { return false; }
    virtual void ScriptLine(const char * /*line*/) {}
    // One recognised line of the given type (called after the last-line store).
    virtual void Route(SentenceType type, const char *line) = 0;
    // The same with the line's splits, made once by the router, for targets that
    // hand them on to the readers of the line.
    virtual void RouteLine(SentenceType type, const SentenceLine &line) { Route(type, line.Text()); }
};

class SentenceRouter {
public:
    static constexpr int MaxLineLength = 99999;

    explicit SentenceRouter(RouteTarget &target);

    // Walks the chunk: CR or LF ends a line; longer lines are cut at 99,999 characters.
    void Feed(const char *data, size_t length);
    void Feed(const std::string &chunk) { Feed(chunk.data(), chunk.size()); }
    // Drops a partially assembled line.
    void ResetLine() { LineLength = 0; }
    int PendingLineLength() const { return LineLength; }

    // The newest line of a log-window type (TOAA, NOTCHA, GPGGA, HDGLA, PTNTA,
    // SYNCA, DASFA, GPPOSA, INPOSA); empty when none arrived or for other types.
    const std::string &LastLine(SentenceType type) const { return lastLines_[static_cast<size_t>(type)]; }

private:
    void FeedNow(const char *data, size_t length);
    void HandleLine(const char *text, size_t length);
    void Deliver(SentenceType type, const SentenceLine &line, size_t length, bool store);

    RouteTarget &target_;
    std::unique_ptr<char[]> LineBuffer;   // MaxLineLength characters and a NUL
    int LineLength = 0;
    std::array<std::string, SentenceTypeCount> lastLines_;
    bool feeding_ = false;       // guards against re-entry from a modal box in a handler
    std::string deferred_;       // chunks that arrived during re-entry, fed afterwards in order
};
