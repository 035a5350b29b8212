// kavu-sim: a simulated eLoran/GPS/Eurofix receiver for first runs, tests and
// benchmarks. It writes the receiver's sentence stream to a file or standard
// output, serves it on a TCP port of 127.0.0.1, or sends it through a
// pseudo-terminal as a serial port would.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/outputs.h"

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

const char kUsage[] =
    "usage: kavu-sim [options]\n"
    "  -o, --output FILE      write the stream to FILE (\"-\" or none: standard output)\n"
    "      --tcp              serve the stream on 127.0.0.1, one client after another\n"
    "      --port N           TCP port (default 2000; 0 = pick a free one and print it)\n"
    "      --pty              send the stream through a pseudo-terminal and print its device\n"
    "      --seed N           random seed (default 1); the same seed gives the same stream\n"
    "      --duration S       seconds of receiver time (default 600 for a file, endless otherwise)\n"
    "      --speed X          1 real time, 10 ten times faster, 0 as fast as possible\n"
    "                         (default 0 for a file, 1 for --tcp and --pty)\n"
    "      --start TIME       UTC start as YYYYMMDDhhmmss (default 20070809120000)\n"
    "      --old-forms P      share of sentences in their older form, 0..1 (default 0.1)\n"
    "      --faults P         share of lines damaged, 0..1 (default 0)\n"
    "      --fault-kinds LIST checksum,truncate,garbage,long or all (default all)\n"
    "      --clients N        with --tcp: stop after N clients (default 0: never)\n"
    "  -h, --help             this text\n";

int Usage(const char *problem)
{
    if (!problem) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "kavu-sim: %s (see kavu-sim --help)\n", problem);
    return 2;
}

bool ToDouble(const std::string &s, double lo, double hi, double *out)
{
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end != '\0' || errno != 0 || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    sim::SimOptions options;
    sim::TcpOptions tcp;
    std::string output = "-";
    bool useTcp = false, usePty = false, haveOutput = false, havePort = false, haveClients = false;
    double duration = -1, speed = -1;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        const size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        auto next = [&]() -> bool {
            if (!value.empty() || eq != std::string::npos) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        double d = 0;
        if (arg == "-h" || arg == "--help") return Usage(nullptr);
        if (arg == "--tcp") {
            useTcp = true;
        } else if (arg == "--pty") {
            usePty = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!next() || value.empty()) return Usage("--output needs a file name");
            output = value;
            haveOutput = true;
        } else if (arg == "--port") {
            if (!next() || !ToDouble(value, 0, 65535, &d) || d != static_cast<int>(d)) return Usage("bad --port");
            tcp.port = static_cast<int>(d);
            havePort = true;
        } else if (arg == "--seed") {
            char *end = nullptr;
            errno = 0;
            if (!next() || value.empty() || value[0] == '-') return Usage("bad --seed");
            options.seed = std::strtoull(value.c_str(), &end, 10);
            if (*end != '\0' || errno != 0) return Usage("bad --seed");
        } else if (arg == "--duration") {
            if (!next() || !ToDouble(value, 0, 1e7, &duration)) return Usage("bad --duration");
        } else if (arg == "--speed") {
            if (!next() || !ToDouble(value, 0, 1e6, &speed)) return Usage("bad --speed");
        } else if (arg == "--start") {
            if (!next() || !sim::ParseStartTime(value, &options.startUnix)) return Usage("bad --start");
        } else if (arg == "--old-forms") {
            if (!next() || !ToDouble(value, 0, 1, &options.oldForms)) return Usage("bad --old-forms");
        } else if (arg == "--faults") {
            if (!next() || !ToDouble(value, 0, 1, &options.faultRate)) return Usage("bad --faults");
        } else if (arg == "--fault-kinds") {
            if (!next() || !sim::ParseFaultKinds(value, &options.faultKinds)) return Usage("bad --fault-kinds");
        } else if (arg == "--clients") {
            if (!next() || !ToDouble(value, 0, 1e9, &d) || d != static_cast<int>(d)) return Usage("bad --clients");
            tcp.maxClients = static_cast<int>(d);
            haveClients = true;
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }
    if (havePort || haveClients) useTcp = true;
    if (useTcp + usePty + haveOutput > 1) return Usage("choose one of --output, --tcp and --pty");
    const bool live = useTcp || usePty;
    options.duration = duration >= 0 ? duration : live ? 0.0 : 600.0;
    if (speed < 0) speed = live ? 1.0 : 0.0;
    tcp.speed = speed;

    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);   // a reader that goes away is an error return, not the end

    int err = 0;
    if (useTcp) {
        err = sim::ServeTcp(options, tcp, [](int port) {
            std::printf("kavu-sim: listening on 127.0.0.1:%d\n", port);
            std::fflush(stdout);
        }, &g_stop);
    } else if (usePty) {
        err = sim::ServePty(options, speed, [](const std::string &path) {
            std::printf("kavu-sim: serial device %s\n", path.c_str());
            std::fflush(stdout);
        }, &g_stop);
    } else {
        int fd = STDOUT_FILENO;
        if (output != "-") {
            fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                std::fprintf(stderr, "kavu-sim: cannot open %s: %s\n", output.c_str(), std::strerror(errno));
                return 1;
            }
        }
        err = sim::WriteStream(fd, options, speed, &g_stop);
        if (fd != STDOUT_FILENO && close(fd) != 0 && err == 0) err = errno;
        if (err == EPIPE) err = 0;   // the reader has all it wanted
    }
    if (err != 0) {
        std::fprintf(stderr, "kavu-sim: %s\n", std::strerror(err));
        return 1;
    }
    return 0;
}
