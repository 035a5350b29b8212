// The simulator's outputs on real parts: a file, TCP connections on 127.0.0.1,
// a pseudo-terminal, and the kavu-sim program itself.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/outputs.h"
#include "sim_test_support.h"

extern char **environ;

using namespace simtest;

namespace {

using Clock = std::chrono::steady_clock;

// Reads until the other side closes (or fails), at most `limit` bytes, giving up after `seconds`.
std::string ReadAll(int fd, double seconds, size_t limit = SIZE_MAX)
{
    std::string got;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    char buf[65536];
    while (got.size() < limit && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = read(fd, buf, std::min(sizeof buf, limit - got.size()));
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

int Connect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string TempPath(const char *name)
{
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/kavu-sim-test-" + std::to_string(getpid()) + "-" + name;
}

// The kavu-sim program as a child process, its standard output on a pipe.
struct Child {
    pid_t pid = -1;
    int out = -1;

    explicit Child(const std::vector<std::string> &args)
    {
        int p[2];
        if (pipe(p) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, p[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&fa, p[0]);
        std::vector<std::string> all = {KAVU_SIM_EXE};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, KAVU_SIM_EXE, &fa, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(p[1]);
        out = p[0];
    }
    ~Child()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
    // The first line of its output.
    std::string Line(double seconds)
    {
        std::string line;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char c;
            if (read(out, &c, 1) != 1 || c == '\n') break;
            line += c;
        }
        return line;
    }
    // Exit status, or -1 when it did not end in time (or ended by a signal).
    int Wait(double seconds)
    {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (Clock::now() < end) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
};

} // namespace

TEST(SimOutput, FileGetsTheWholeStream)
{
    const std::string path = TempPath("file.log");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(sim::WriteStream(fd, Options(20), 0.0, nullptr), 0);
    close(fd);
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_TRUE(ss.str() == sim::GenerateStream(Options(20)));
    unlink(path.c_str());
}

TEST(SimOutput, PacedStreamTakesItsTime)
{
    const auto start = Clock::now();
    const int fd = open("/dev/null", O_WRONLY);
    EXPECT_EQ(sim::WriteStream(fd, Options(4), 20.0, nullptr), 0);   // 4 s of receiver time, 20 times faster
    close(fd);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(140));
}

TEST(SimOutput, TcpServesOneClientAfterAnotherAndSurvivesOneThatLeaves)
{
    std::promise<int> portPromise;
    std::atomic<bool> stop{false};
    sim::TcpOptions tcp;
    tcp.port = 0;
    tcp.speed = 10.0;
    tcp.maxClients = 2;
    const sim::SimOptions options = Options(10);
    std::thread server([&] {
        EXPECT_EQ(sim::ServeTcp(options, tcp, [&](int port) { portPromise.set_value(port); }, &stop), 0);
    });
    const int port = portPromise.get_future().get();
    ASSERT_GT(port, 0);

    // The first client takes a little and hangs up while the stream runs.
    const int first = Connect(port);
    ASSERT_GE(first, 0);
    const std::string head = ReadAll(first, 5.0, 300);
    close(first);
    EXPECT_EQ(head.size(), 300u);

    // The second one talks back (commands are read and dropped) and gets the stream from its start.
    const int second = Connect(port);
    ASSERT_GE(second, 0);
    const char command[] = "LOG TOAAA ONTIME 1\r\n";
    EXPECT_EQ(send(second, command, sizeof command - 1, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof command - 1));
    const std::string all = ReadAll(second, 20.0);
    close(second);
    server.join();
    const std::string expected = sim::GenerateStream(options);
    EXPECT_EQ(head, expected.substr(0, 300));
    EXPECT_TRUE(all == expected) << all.size() << " of " << expected.size() << " bytes";
}

TEST(SimOutput, PseudoTerminalDeliversTheStreamToAReaderOfItsDevice)
{
    std::promise<std::string> pathPromise;
    std::atomic<bool> stop{false};
    const sim::SimOptions options = Options(10);
    std::thread writer([&] {
        EXPECT_EQ(sim::ServePty(options, 0.0, [&](const std::string &p) { pathPromise.set_value(p); }, &stop), 0);
    });
    const std::string path = pathPromise.get_future().get();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    // Opened the way a serial port is opened.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, "IN> LOG\r\n", 9), 9);   // what the reader sends is taken away
    const std::string expected = sim::GenerateStream(options);
    const std::string got = ReadAll(fd, 20.0, expected.size());
    close(fd);
    stop = true;
    writer.join();
    EXPECT_TRUE(got == expected) << got.size() << " of " << expected.size() << " bytes";
}

// ---------------------------------------------------------------------------
// The program
// ---------------------------------------------------------------------------

TEST(SimProgram, WritesAFile)
{
    const std::string path = TempPath("cli.log");
    Child c({"--duration", "3", "--seed", "5", "-o", path});
    EXPECT_EQ(c.Wait(20), 0);
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_TRUE(ss.str() == sim::GenerateStream(Options(3, 0.1, 5)));
    unlink(path.c_str());
}

TEST(SimProgram, PrintsThePortItPickedAndServesIt)
{
    Child c({"--tcp", "--port", "0", "--clients", "1", "--duration", "5", "--speed", "0"});
    const std::string line = c.Line(10);
    const std::string prefix = "kavu-sim: listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const int port = std::stoi(line.substr(prefix.size()));
    const int fd = Connect(port);
    ASSERT_GE(fd, 0);
    const std::string got = ReadAll(fd, 20);
    close(fd);
    EXPECT_TRUE(got == sim::GenerateStream(Options(5)));
    EXPECT_EQ(c.Wait(10), 0);
}

TEST(SimProgram, PrintsItsSerialDeviceAndEndsCleanlyOnTerm)
{
    Child c({"--pty", "--speed", "20"});
    const std::string line = c.Line(10);
    const std::string prefix = "kavu-sim: serial device ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const int fd = open(line.substr(prefix.size()).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const std::string got = ReadAll(fd, 20, 20000);
    close(fd);
    EXPECT_EQ(got, sim::GenerateStream(Options(60)).substr(0, got.size()));
    EXPECT_EQ(got.size(), 20000u);
    kill(c.pid, SIGTERM);
    EXPECT_EQ(c.Wait(10), 0);
}

TEST(SimProgram, AReaderThatGoesAwayEndsTheProgramQuietly)
{
    Child c({"--duration", "600"});
    EXPECT_EQ(ReadAll(c.out, 10, 1000).size(), 1000u);
    close(c.out);
    c.out = -1;
    EXPECT_EQ(c.Wait(20), 0);   // not killed by SIGPIPE
}

TEST(SimProgram, RefusesBadOptions)
{
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"--speed", "fast"}, {"--tcp", "--pty"}, {"--start", "2007"}, {"--faults", "2"},
             {"--fault-kinds", "noise"}, {"--port", "70000"}, {"--seed"}, {"--unknown"}}) {
        Child c(args);
        EXPECT_EQ(c.Wait(10), 2) << args[0];
    }
    Child help({"--help"});
    EXPECT_NE(help.Line(10).find("usage: kavu-sim"), std::string::npos);
    EXPECT_EQ(help.Wait(10), 0);
}
