// A log file replayed line by line: each read hands on one line as it is in the
// file, its line feed and any NUL bytes included.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class ReplayReader {
public:
    // The longest piece one read hands on; a longer line comes in pieces.
    static constexpr size_t MaxLine = 65535;

    ReplayReader() = default;
    ~ReplayReader() { Close(); }
    ReplayReader(const ReplayReader &) = delete;
    ReplayReader &operator=(const ReplayReader &) = delete;

    // Opens a regular file for reading; a missing file, a folder, a device or a
    // pipe is refused.
    bool Open(const std::string &path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // The end of the file (or a read error) has been met.
    bool AtEnd() const;
    // Up to and including the next line feed, at most MaxLine bytes; false when
    // nothing was left to read.
    bool ReadLine(std::string &line);

private:
    static constexpr size_t BlockSize = 65536;
    // The file is read a block at a time; a line is taken from the block with
    // one search for its end.
    int fd_ = -1;
    std::unique_ptr<char[]> block_;
    size_t next_ = 0, end_ = 0;   // the bytes of the block not yet handed on
    bool ended_ = false;          // a read found no more bytes, or failed
};
