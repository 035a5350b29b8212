#include "sim/outputs.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace sim {

namespace {

double NowNs()
{
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

bool Stopped(const std::atomic<bool> *stop) { return stop && stop->load(); }

// Writes everything to a blocking or non-blocking descriptor, waiting for room
// and reading away what the other side sends (drainFd, -1 = none). Returns 0 or an errno.
int WriteAll(int fd, const std::string &bytes, int drainFd, bool socket, const std::atomic<bool> *stop)
{
    size_t done = 0;
    while (done < bytes.size()) {
        if (Stopped(stop)) return 0;
        const ssize_t n = socket ? send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT)
                                 : write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
        pollfd p[2] = {{fd, POLLOUT, 0}, {drainFd, POLLIN, 0}};
        poll(p, drainFd >= 0 ? 2 : 1, 100);
        if (drainFd >= 0 && (p[1].revents & POLLIN)) {
            char sink[512];
            if (read(drainFd, sink, sizeof sink) == 0 && socket) return ECONNRESET;
        }
    }
    return 0;
}

// Reads away whatever the other side sent; false when it has closed the connection.
bool Drain(int fd)
{
    char sink[512];
    for (;;) {
        const ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n > 0) continue;
        if (n == 0) return false;
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
}

} // namespace

Pacer::Pacer(double speed) : speed_(speed), startNs_(NowNs()) {}

bool Pacer::WaitUntil(double streamTime, const std::atomic<bool> *stop)
{
    if (speed_ <= 0.0) return !Stopped(stop);
    for (;;) {
        if (Stopped(stop)) return false;
        const double dueNs = startNs_ + streamTime / speed_ * 1e9;
        const double now = NowNs();
        if (now - dueNs > 1e9) startNs_ += now - dueNs;   // the reader stalled: carry on from here
        if (now >= dueNs) return true;
        const double waitNs = std::min(dueNs - now, 100e6);
        std::this_thread::sleep_for(std::chrono::nanoseconds(static_cast<long long>(waitNs)));
    }
}

int WriteStream(int fd, const SimOptions &options, double speed, const std::atomic<bool> *stop)
{
    Simulator sim(options);
    Pacer pacer(speed);
    Chunk c;
    std::string batch;
    while (sim.Next(c)) {
        if (speed <= 0.0) {
            // Unpaced: write in large blocks.
            batch += c.bytes;
            if (batch.size() < (1u << 16)) continue;
        } else {
            if (!pacer.WaitUntil(c.time, stop)) return 0;
            batch = c.bytes;
        }
        if (int err = WriteAll(fd, batch, -1, false, stop)) return err;
        batch.clear();
        if (Stopped(stop)) return 0;
    }
    return WriteAll(fd, batch, -1, false, stop);
}

int ServeTcp(const SimOptions &options, const TcpOptions &tcp, const std::function<void(int port)> &ready,
             const std::atomic<bool> *stop)
{
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (server < 0) return errno;
    const int one = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(tcp.port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(server, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(server, 4) != 0 ||
        getsockname(server, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        const int err = errno;
        close(server);
        return err;
    }
    ready(ntohs(addr.sin_port));

    int served = 0;
    while (!Stopped(stop) && (tcp.maxClients == 0 || served < tcp.maxClients)) {
        pollfd p{server, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const int client = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ++served;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::fprintf(stderr, "kavu-sim: client %d connected\n", served);

        Simulator sim(options);
        Pacer pacer(tcp.speed);
        Chunk c;
        bool open = true;
        while (open && sim.Next(c)) {
            if (!pacer.WaitUntil(c.time, stop)) break;
            open = Drain(client) && WriteAll(client, c.bytes, client, true, stop) == 0;
        }
        if (open && !Stopped(stop)) shutdown(client, SHUT_WR);
        close(client);
        std::fprintf(stderr, "kavu-sim: client %d %s\n", served, open ? "served" : "went away");
    }
    close(server);
    return 0;
}

int ServePty(const SimOptions &options, double speed, const std::function<void(const std::string &path)> &ready,
             const std::atomic<bool> *stop)
{
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return errno;
    // Raw on both sides, so that the line discipline passes every byte as it is.
    for (int fd : {master, slave}) {
        termios t{};
        if (tcgetattr(fd, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd, TCSANOW, &t);
        }
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    // Our own slave descriptor stays open so that the device lives while readers come and go.
    ready(name);

    Simulator sim(options);
    Pacer pacer(speed);
    Chunk c;
    int err = 0;
    while (sim.Next(c)) {
        if (!pacer.WaitUntil(c.time, stop)) break;
        if ((err = WriteAll(master, c.bytes, master, false, stop)) != 0) break;
    }
    // Let a reader take what is still queued before the device goes away. The
    // reader's queue can look empty for a moment while the kernel moves the next
    // bytes into it, so it must stay empty for a second; half a minute at most.
    for (int i = 0, idle = 0; i < 600 && idle < 20 && !Stopped(stop); ++i) {
        int queued = 0;
        if (ioctl(slave, FIONREAD, &queued) != 0) break;
        idle = queued == 0 ? idle + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    close(slave);
    close(master);
    return err;
}

} // namespace sim
