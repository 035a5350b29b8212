#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/commthread.h"
#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Collects what the worker hands over, as the owner's thread would.
struct Collector {
    std::mutex mutex;
    std::string data;
    std::vector<size_t> chunkSizes;
    std::vector<std::string> failures;

    TBackgroundCommThread::ChunkSink ChunkSink()
    {
        return [this](std::string chunk) {
            std::lock_guard<std::mutex> lock(mutex);
            chunkSizes.push_back(chunk.size());
            data += chunk;
        };
    }
    TBackgroundCommThread::FailureSink FailureSink()
    {
        return [this](const std::string &reason) {
            std::lock_guard<std::mutex> lock(mutex);
            failures.push_back(reason);
        };
    }
    size_t Size()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return data.size();
    }
    size_t Failures()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return failures.size();
    }
    bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds limit)
    {
        auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > end) return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
};

struct CommThreadTest : ::testing::Test {
    PtyPair pty;
    Collector got;
    TBackgroundCommThread worker{got.ChunkSink(), got.FailureSink()};

    void SetUp() override { worker.Port.SetPortName(pty.SlaveName()); }
};

} // namespace

TEST_F(CommThreadTest, AHangUpEndsTheLoopAndIsReportedOnce)
{
    worker.Start();
    pty.CloseOwnSlave();
    pty.Write("$GPGGA,1*4B\r\n");
    ASSERT_TRUE(got.WaitFor([&] { return got.Size() > 0; }, 1s));
    pty.CloseMaster();
    ASSERT_TRUE(got.WaitFor([&] { return got.Failures() > 0; }, 1s));
    ASSERT_TRUE(got.WaitFor([&] { return !worker.Running(); }, 1s));
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(got.Failures(), 1u);
    EXPECT_NE(got.failures[0].find("hung up"), std::string::npos) << got.failures[0];
    EXPECT_EQ(got.data, "$GPGGA,1*4B\r\n");
    EXPECT_TRUE(worker.Port.IsOpen());   // the owner closes it
    worker.Stop();
    EXPECT_FALSE(worker.Port.IsOpen());

    // The same worker serves the next connection.
    PtyPair other;
    worker.Port.SetPortName(other.SlaveName());
    worker.Start();
    other.Write("again");
    EXPECT_TRUE(got.WaitFor([&] { return got.Size() == 13 + 5; }, 1s));
    worker.Stop();
}

TEST_F(CommThreadTest, AFailedStartLeavesNoThreadAndAClosedPort)
{
    int threads = Threads();
    worker.Port.SetPortName("/dev/no-such-serial-device");
    try {
        worker.Start();
        FAIL() << "started";
    } catch (const ECommError &e) {
        EXPECT_EQ(e.Code, 8);
    }
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(worker.Port.IsOpen());
    EXPECT_EQ(Threads(), threads);
}
