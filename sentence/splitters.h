// Sentence splitters: one complete line in, an array of field strings out.
//
// "$" sentences carry a two-digit XOR checksum behind "*" which is tested;
// "#" GPS board logs are split at ",", ";" and "*" without a checksum test.
// A splitter is built for one line, read and thrown away.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace detail {

// Shared machinery of the three splitters. The fields live in one block:
// the pointer array first, then a copy of the line in which every separator
// has become the NUL that ends a field.
class FieldSplitter {
public:
    int32_t FieldCount = 0;
    char **Fields = nullptr;
    int32_t Status = 0;   // 0 ok, 1 out of memory, 2 not this framing or bad checksum

    FieldSplitter(const FieldSplitter &) = delete;
    FieldSplitter &operator=(const FieldSplitter &) = delete;

protected:
    FieldSplitter() = default;
    ~FieldSplitter();
    enum class Separators { Sentence /* , * */, Log /* , ; * */ };
    void Split(const char *line, Separators separators);

private:
    void *block_ = nullptr;
};

} // namespace detail

// True when a "$" line carries the right XOR checksum behind its first "*".
bool SentenceChecksumOk(const char *line);

class NovatelLogClass : public detail::FieldSplitter {
public:
    explicit NovatelLogClass(const char *line);
    static bool CheckSum(const char *line) { return SentenceChecksumOk(line); }
};

// Same behaviour as NovatelLogClass; the DLORA reader uses this one.
class NMEALogClass : public detail::FieldSplitter {
public:
    explicit NMEALogClass(const char *line);
    static bool CheckSum(const char *line) { return SentenceChecksumOk(line); }
};

class NovatelOEM4LogClass : public detail::FieldSplitter {
public:
    explicit NovatelOEM4LogClass(const char *line);
};

// One received line with its two splits, each made at most once and only when
// first asked for. The router makes one per line and hands it to every reader
// of that line, so a line is checked and split once however many read it.
// The text must outlive it.
class SentenceLine {
public:
    explicit SentenceLine(const char *text) : text_(text ? text : "") {}
    SentenceLine(const SentenceLine &) = delete;
    SentenceLine &operator=(const SentenceLine &) = delete;

    const char *Text() const { return text_; }
    const NovatelLogClass &Sentence() const   // the "$" split
    {
        if (!sentence_) sentence_.emplace(text_);
        return *sentence_;
    }
    const NovatelOEM4LogClass &Log() const   // the "#" split
    {
        if (!log_) log_.emplace(text_);
        return *log_;
    }

private:
    const char *text_;
    mutable std::optional<NovatelLogClass> sentence_;
    mutable std::optional<NovatelOEM4LogClass> log_;
};
