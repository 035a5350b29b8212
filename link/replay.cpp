#include "link/replay.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    fd_ = fd;
    if (!block_) block_ = std::make_unique<char[]>(BlockSize);
    next_ = end_ = 0;
    ended_ = false;
    return true;
}

void ReplayReader::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    next_ = end_ = 0;
    ended_ = false;
}

// The end is met when a read wanted a byte past the last one (or failed), as
// a stream's end-of-file and error marks are set.
bool ReplayReader::AtEnd() const { return fd_ < 0 || (next_ == end_ && ended_); }

bool ReplayReader::ReadLine(std::string &line)
{
    line.clear();
    if (AtEnd()) return false;
    while (line.size() < MaxLine) {
        if (next_ == end_) {
            ssize_t got;
            do got = ::read(fd_, block_.get(), BlockSize);
            while (got < 0 && errno == EINTR);
            if (got <= 0) {
                ended_ = true;
                break;
            }
            next_ = 0;
            end_ = static_cast<size_t>(got);
        }
        const char *from = block_.get() + next_;
        const size_t room = std::min(end_ - next_, MaxLine - line.size());
        const auto *feed = static_cast<const char *>(std::memchr(from, '\n', room));
        const size_t take = feed ? static_cast<size_t>(feed - from) + 1 : room;
        line.append(from, take);
        next_ += take;
        if (feed) break;
    }
    return !line.empty();
}
