// The receiver simulator: its stream is read whole by the program's router, a
// seed gives the same stream, and the stream goes out unchanged on a file, a
// TCP connection, a pseudo-terminal and the kavu-sim program's output.
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
#include <fstream>
#include <future>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/router.h"
#include "sim/outputs.h"
#include "sim/simulator.h"

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

sim::SimOptions Options(double duration, double oldForms = 0.1, uint64_t seed = 1)
{
    sim::SimOptions o;
    o.seed = seed;
    o.duration = duration;
    o.oldForms = oldForms;
    return o;
}

size_t LineCount(const std::string &stream)
{
    size_t n = 0;
    for (size_t i = 0; i < stream.size(); ++i) n += stream[i] == '\n' && i > 0 && stream[i - 1] == '\r';
    return n;
}

std::string FileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Reads until the other side closes, at most `limit` bytes, giving up after `seconds`.
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

struct CountingTarget : RouteTarget {
    std::map<SentenceType, int> routed;
    void Route(SentenceType type, const char *) override { ++routed[type]; }
};

} // namespace

TEST(SimStream, TheProgramsRouterTakesEveryLineOfEveryKind)
{
    const std::string stream = sim::GenerateStream(Options(90, 0.3));
    CountingTarget target;
    SentenceRouter router(target);
    // Fed in odd-sized chunks, as a connection delivers them.
    for (size_t i = 0; i < stream.size(); i += 777) router.Feed(stream.data() + i, std::min<size_t>(777, stream.size() - i));
    int routed = 0;
    for (const auto &kv : target.routed) routed += kv.second;
    EXPECT_EQ(routed, static_cast<int>(LineCount(stream)));
    EXPECT_EQ(target.routed.size(), SentenceTypeCount);
}

TEST(SimStream, SameSeedSameStreamOtherSeedOtherStream)
{
    const std::string a = sim::GenerateStream(Options(40, 0.2, 7));
    EXPECT_EQ(a, sim::GenerateStream(Options(40, 0.2, 7)));
    EXPECT_NE(a, sim::GenerateStream(Options(40, 0.2, 8)));
    // A longer run starts with the shorter one.
    EXPECT_EQ(sim::GenerateStream(Options(41, 0.2, 7)).compare(0, a.size(), a), 0);
    // The bundled sample, which the end-to-end test replays, is the default stream.
    EXPECT_TRUE(FileText(std::string(KAVU_SOURCE_DIR) + "/samples/kavu-sim-10min.log") ==
                sim::GenerateStream(sim::SimOptions{}))
        << "regenerate with tools/make-sample.sh";
}

TEST(SimOutput, FileTcpAndPseudoTerminalCarryTheWholeStream)
{
    const sim::SimOptions options = Options(10);
    const std::string expected = sim::GenerateStream(options);

    const std::string path = TempPath("file.log");
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    EXPECT_EQ(sim::WriteStream(file, options, 0.0, nullptr), 0);
    close(file);
    EXPECT_TRUE(FileText(path) == expected);
    unlink(path.c_str());

    // TCP: a client that hangs up early does not end the server; the next one gets it all.
    std::promise<int> portPromise;
    std::atomic<bool> stop{false};
    sim::TcpOptions tcp;
    tcp.port = 0;
    tcp.speed = 10.0;
    tcp.maxClients = 2;
    std::thread server([&] {
        EXPECT_EQ(sim::ServeTcp(options, tcp, [&](int port) { portPromise.set_value(port); }, &stop), 0);
    });
    const int port = portPromise.get_future().get();
    const int first = Connect(port);
    ASSERT_GE(first, 0);
    EXPECT_EQ(ReadAll(first, 5.0, 300), expected.substr(0, 300));
    close(first);
    const int second = Connect(port);
    ASSERT_GE(second, 0);
    const char command[] = "LOG TOAAA ONTIME 1\r\n";   // read and dropped
    EXPECT_EQ(send(second, command, sizeof command - 1, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof command - 1));
    const std::string viaTcp = ReadAll(second, 20.0);
    close(second);
    server.join();
    EXPECT_TRUE(viaTcp == expected) << viaTcp.size() << " of " << expected.size() << " bytes";

    std::promise<std::string> pathPromise;
    std::thread writer([&] {
        EXPECT_EQ(sim::ServePty(options, 0.0, [&](const std::string &p) { pathPromise.set_value(p); }, &stop), 0);
    });
    const int pty = open(pathPromise.get_future().get().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(pty, 0);
    EXPECT_EQ(write(pty, "IN> LOG\r\n", 9), 9);   // what the reader sends is taken away
    const std::string viaPty = ReadAll(pty, 20.0, expected.size());
    close(pty);
    stop = true;
    writer.join();
    EXPECT_TRUE(viaPty == expected) << viaPty.size() << " of " << expected.size() << " bytes";
}

TEST(SimProgram, WritesItsStreamAndEndsQuietlyWhenTheReaderGoes)
{
    auto spawn = [](std::vector<std::string> args, int *out) {
        int p[2];
        if (pipe(p) != 0) return pid_t(-1);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, p[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&fa, p[0]);
        args.insert(args.begin(), KAVU_SIM_EXE);
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, KAVU_SIM_EXE, &fa, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(p[1]);
        *out = p[0];
        return pid;
    };
    auto exitCode = [](pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    int out = -1;
    const pid_t seeded = spawn({"--duration", "3", "--seed", "5"}, &out);
    ASSERT_GT(seeded, 0);
    EXPECT_TRUE(ReadAll(out, 20) == sim::GenerateStream(Options(3, 0.1, 5)));
    close(out);
    EXPECT_EQ(exitCode(seeded), 0);

    const pid_t endless = spawn({"--duration", "600"}, &out);
    ASSERT_GT(endless, 0);
    EXPECT_EQ(ReadAll(out, 10, 1000).size(), 1000u);
    close(out);
    EXPECT_EQ(exitCode(endless), 0);   // not killed by SIGPIPE

    const pid_t refused = spawn({"--tcp", "--pty"}, &out);
    close(out);
    EXPECT_EQ(exitCode(refused), 2);
}
