// The serial worker on a pseudo-terminal: what it hands over, how it waits for
// its owner, and how it ends; the receive-buffer mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "link/commthread.h"
#include "link/win32mutex.h"
#include "pty_pair.h"

namespace {

using namespace std::chrono_literals;

// Waits up to a second for done(), checking every two milliseconds.
bool WaitFor(const std::function<bool()> &done)
{
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(2ms);
    return done();
}

// The owner's side of the hand-over: the test thread plays the GUI thread and
// runs DeliverData when it chooses; the worker's queued calls are counted.
struct Owner {
    std::atomic<int> calls{0};
    std::vector<std::string> chunks;   // touched on the test thread only
    TBackgroundCommThread::Callback Callback()
    {
        return [this](const char *data, int length) { chunks.emplace_back(data, static_cast<size_t>(length)); };
    }
    TBackgroundCommThread::Dispatch Dispatch()
    {
        return [this] { ++calls; };
    }
    std::string All() const
    {
        std::string all;
        for (const std::string &c : chunks) all += c;
        return all;
    }
};

} // namespace

TEST(Win32Mutex, TimesOutOnAnotherThreadsHoldIsReenteredByItsHolderAndRefusesAForeignRelease)
{
    Win32Mutex mutex("", false);
    ASSERT_TRUE(mutex.Wait(0));
    ASSERT_TRUE(mutex.Wait(0));   // the holder takes it again
    std::future<void> other = std::async(std::launch::async, [&] {
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(mutex.Wait(1000));
        auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, 990ms);
        EXPECT_LT(waited, 1500ms);
        try {
            mutex.Release();
            ADD_FAILURE() << "a thread that does not hold the mutex released it";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "releaseMutex failed");
        }
    });
    other.get();
    mutex.Release();
    EXPECT_TRUE(std::async(std::launch::async, [&] { return !mutex.Wait(50); }).get());   // still held once
    mutex.Release();
    EXPECT_TRUE(std::async(std::launch::async, [&] {
        bool got = mutex.Wait(50);
        if (got) mutex.Release();
        return got;
    }).get());
    EXPECT_THROW(mutex.Release(), std::runtime_error);   // one release too many

    Win32Mutex owned("rx", true);   // the creating thread holds it
    EXPECT_EQ(owned.Name(), "rx");
    EXPECT_FALSE(std::async(std::launch::async, [&] { return owned.Wait(50); }).get());
    owned.Release();
}

TEST(CommThread, EverythingWrittenAtOnceArrivesInFewLargeChunksWhileTheOwnerTakesOneAtATime)
{
    PtyPair pty;
    Owner owner;
    TBackgroundCommThread worker(owner.Callback(), owner.Dispatch(), nullptr);
    worker.Port.SetPortName(pty.SlaveName());
    worker.Start();
    const std::string stream = SentenceStream(120000, 3);
    std::thread writer([&] { pty.Write(stream); });

    // The owner is busy for half a second: the worker waits with one chunk in
    // hand and the rest stays in the driver.
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(WaitFor([&] { return worker.HandOverWaiting(); }));
    EXPECT_EQ(owner.calls.load(), 1);
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (owner.All().size() < stream.size() && std::chrono::steady_clock::now() < end) {
        int seen = owner.calls.load();
        worker.DeliverData();
        EXPECT_LE(owner.calls.load() - seen, 1);
        std::this_thread::sleep_for(1ms);
    }
    writer.join();
    EXPECT_EQ(owner.All(), stream);
    ASSERT_GE(owner.chunks.size(), 4u);   // the input queue holds 32768 bytes
    EXPECT_LE(owner.chunks.size(), 8u);
    for (size_t i = 0; i + 1 < owner.chunks.size(); ++i) EXPECT_GT(owner.chunks[i].size(), 4095u) << i;

    // Stop while a chunk waits: it returns at once and the chunk never comes.
    pty.Write("$GPGGA,1*4B\r\n");
    while (!worker.HandOverWaiting() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(worker.HandOverWaiting());
    const auto stopAt = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, 100ms);
    const size_t before = owner.chunks.size();
    worker.DeliverData();
    EXPECT_EQ(owner.chunks.size(), before);
}

TEST(CommThread, AnErrorOfTheOwnersCallbackReachesItsCallerAndTheWorkerGoesOn)
{
    PtyPair pty;
    std::vector<std::string> chunks;
    bool fail = true;
    TBackgroundCommThread worker(
        [&](const char *data, int length) {
            if (fail) throw std::runtime_error("SerialData overflow");
            chunks.emplace_back(data, static_cast<size_t>(length));
        },
        nullptr, nullptr);
    worker.Port.SetPortName(pty.SlaveName());
    worker.Start();
    auto deliverWhenWaiting = [&] {
        ASSERT_TRUE(WaitFor([&] { return worker.HandOverWaiting(); }));
        worker.DeliverData();
    };
    pty.Write("dropped");
    try {
        deliverWhenWaiting();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "SerialData overflow");
    }
    EXPECT_FALSE(worker.HandOverWaiting());
    fail = false;
    pty.Write("next");
    deliverWhenWaiting();
    EXPECT_EQ(chunks, std::vector<std::string>{"next"});
    EXPECT_TRUE(worker.Running());
}

TEST(CommThread, AHangUpEndsTheLoopIsReportedOnceAndTheWorkerServesTheNextPort)
{
    PtyPair pty;
    std::mutex mutex;
    std::string data;
    std::vector<std::string> failures;
    TBackgroundCommThread *self = nullptr;
    TBackgroundCommThread worker(
        [&](const char *chunk, int length) {
            std::lock_guard<std::mutex> lock(mutex);
            data.append(chunk, static_cast<size_t>(length));
        },
        [&] { self->DeliverData(); },   // taken at once, on the worker's own thread
        [&](const std::string &reason) {
            std::lock_guard<std::mutex> lock(mutex);
            failures.push_back(reason);
        });
    self = &worker;
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
    // The loop has ended: its failure is reported as it ends, and nothing after.
    ASSERT_TRUE(WaitFor([&] { return locked([&] { return !failures.empty(); }); }));
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
