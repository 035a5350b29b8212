#include "link/replay.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReplayReader::Open(const std::string &path)
{
    Close();
    // Non-blocking, so that opening a pipe cannot hang before it is refused.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        ::close(fd);
        return false;
    }
    return true;
}

void ReplayReader::Close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool ReplayReader::AtEnd() const { return !file_ || std::feof(file_) || std::ferror(file_); }

bool ReplayReader::ReadLine(std::string &line)
{
    line.clear();
    if (AtEnd()) return false;
    // Gathered a block at a time, not grown a byte at a time.
    char block[256];
    size_t n = 0;
    int c;
    while (line.size() + n < MaxLine && (c = getc_unlocked(file_)) != EOF) {
        block[n++] = static_cast<char>(c);
        if (c == '\n') break;
        if (n == sizeof block) {
            line.append(block, n);
            n = 0;
        }
    }
    line.append(block, n);
    return !line.empty();
}
