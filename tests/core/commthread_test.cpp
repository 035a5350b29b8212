// The serial worker on a pseudo-terminal: what it hands over, and how it ends.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "link/commthread.h"
#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;

// Waits up to a second for done(), checking every two milliseconds.
bool WaitFor(const std::function<bool()> &done)
{
    const auto end = std::chrono::steady_clock::now() + 1s;
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(2ms);
    return done();
}

} // namespace

TEST(CommThread, AHangUpEndsTheLoopIsReportedOnceAndTheWorkerServesTheNextPort)
{
    PtyPair pty;
    std::mutex mutex;
    std::string data;
    std::vector<std::string> failures;
    TBackgroundCommThread worker(
        [&](std::string chunk) {
            std::lock_guard<std::mutex> lock(mutex);
            data += chunk;
        },
        [&](const std::string &reason) {
            std::lock_guard<std::mutex> lock(mutex);
            failures.push_back(reason);
        });
    auto locked = [&](auto f) {
        std::lock_guard<std::mutex> lock(mutex);
        return f();
    };
    worker.Port.SetPortName(pty.SlaveName());
    worker.Start();
    pty.CloseOwnSlave();
    pty.Write("$GPGGA,1*4B\r\n");
    ASSERT_TRUE(WaitFor([&] { return locked([&] { return !data.empty(); }); }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !worker.Running(); }));
    std::this_thread::sleep_for(250ms);
    locked([&] {
        EXPECT_EQ(failures.size(), 1u);
        EXPECT_NE(failures.at(0).find("hung up"), std::string::npos);
        EXPECT_EQ(data, "$GPGGA,1*4B\r\n");
        return 0;
    });
    EXPECT_TRUE(worker.Port.IsOpen());   // the owner closes it
    worker.Stop();
    EXPECT_FALSE(worker.Port.IsOpen());

    PtyPair other;
    worker.Port.SetPortName(other.SlaveName());
    worker.Start();
    other.Write("again");
    EXPECT_TRUE(WaitFor([&] { return locked([&] { return data.size() == 13 + 5; }); }));
    worker.Stop();

    const int threads = Threads();   // a failed start leaves no thread and a closed port
    worker.Port.SetPortName("/dev/no-such-serial-device");
    EXPECT_THROW(worker.Start(), ECommError);
    EXPECT_FALSE(worker.Running() || worker.Port.IsOpen());
    EXPECT_EQ(Threads(), threads);
}
