// Test helper: a pseudo-terminal pair standing in for a receiver on a serial
// line. The code under test opens the slave by name; the test drives the master.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>

#include "sentence_text.h"

class PtyPair {
public:
    PtyPair()
    {
        char name[128] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        name_ = name;
        MakeRaw(master_);
        MakeRaw(slave_);   // no echo or line-end translation before the port is configured
    }
    ~PtyPair()
    {
        CloseMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    const std::string &SlaveName() const { return name_; }
    // The slave end this helper holds itself (the code under test opens its own).
    void CloseOwnSlave()
    {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    // The receiver hangs up.
    void CloseMaster()
    {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // Blocks until every byte is written.
    void Write(const std::string &data) const
    {
        size_t done = 0;
        while (done < data.size()) {
            ssize_t n = ::write(master_, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw std::runtime_error("write to pty master failed");
            done += static_cast<size_t>(n);
        }
    }

    // Reads from the master until want bytes arrived or timeoutMs passed.
    std::string Read(size_t want, int timeoutMs) const
    {
        std::string got;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < want && std::chrono::steady_clock::now() < end) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 10) <= 0) continue;
            char buf[4096];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

private:
    static void MakeRaw(int fd)
    {
        termios t {};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }

    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

// Entries of a /proc folder of this process for which keep(path of the entry) holds.
template <typename Keep> int CountEntries(const char *folder, Keep keep)
{
    int n = 0;
    if (DIR *d = ::opendir(folder)) {
        while (dirent *e = ::readdir(d))
            if (e->d_name[0] != '.' && keep(std::string(folder) + "/" + e->d_name)) ++n;
        ::closedir(d);
    }
    return n;
}
inline int OpenDescriptors() { return CountEntries("/proc/self/fd", [](const std::string &) { return true; }); }
inline int Threads() { return CountEntries("/proc/self/task", [](const std::string &) { return true; }); }
// Open descriptors of this process on the given device.
inline int DescriptorsOn(const std::string &device)
{
    return CountEntries("/proc/self/fd", [&](const std::string &link) {
        char target[256] = {};
        ssize_t len = ::readlink(link.c_str(), target, sizeof target - 1);
        return len > 0 && device == std::string(target, static_cast<size_t>(len));
    });
}
// Threads of this process with the serial worker's name.
inline int SerialWorkers()
{
    return CountEntries("/proc/self/task", [](const std::string &task) {
        char name[32] = {};
        FILE *f = std::fopen((task + "/comm").c_str(), "r");
        bool worker = f && std::fgets(name, sizeof name, f) && std::string(name) == "serial worker\n";
        if (f) std::fclose(f);
        return worker;
    });
}

// A stream of receiver-like sentences with CR LF line ends, size bytes long.
inline std::string SentenceStream(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    auto r = [&rng] { return static_cast<unsigned>(rng() % 1000); };
    std::string out;
    out.reserve(size + 128);
    unsigned n = 0;
    while (out.size() < size) {
        char body[128];
        std::snprintf(body, sizeof body, "GPGGA,%06u,4807.%03u,N,01131.%03u,E,1,08,0.9,%u.4,M,46.9,M,,", n++,
                      r(), r(), r());
        out += Sentence(body) + "\r\n";
    }
    out.resize(size);
    return out;
}
