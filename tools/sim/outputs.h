// Where the stream goes: a file descriptor (file or standard output), a TCP
// server on 127.0.0.1 that serves one client after another, or a
// pseudo-terminal that a serial-port reader opens like a real port.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "sim/simulator.h"

namespace sim {

// Releases each chunk at its time divided by the speed (0 = no waiting). When
// the reader falls behind by more than a second the schedule moves with it, so
// a stalled reader does not get a burst of old data afterwards.
class Pacer {
public:
    explicit Pacer(double speed);
    // Waits until the chunk time is due; false when stop was raised meanwhile.
    bool WaitUntil(double streamTime, const std::atomic<bool> *stop);

private:
    double speed_;
    double startNs_;
};

// Result of an output: 0 done (or stopped), otherwise an errno value.
int WriteStream(int fd, const SimOptions &options, double speed, const std::atomic<bool> *stop);

struct TcpOptions {
    int port = 2000;        // 0 = any free port
    double speed = 1.0;
    int maxClients = 0;     // 0 = serve until stopped
};

// Listens on 127.0.0.1; `ready` gets the port once listening. Every client gets
// the stream from its start; a client that goes away ends its turn, not the server.
int ServeTcp(const SimOptions &options, const TcpOptions &tcp, const std::function<void(int port)> &ready,
             const std::atomic<bool> *stop);

// Opens a pseudo-terminal in raw mode; `ready` gets the path of its slave side,
// the device a reader opens. Input from the reader (commands) is read and dropped.
// The stream waits while nobody reads.
int ServePty(const SimOptions &options, double speed, const std::function<void(const std::string &path)> &ready,
             const std::atomic<bool> *stop);

} // namespace sim
