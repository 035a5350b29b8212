// The serial worker: one thread per connection. It polls the port every 100 ms,
// takes everything the driver holds (up to the input queue) as one chunk and
// hands it to the owner's thread through a synchronised call: the worker waits
// until the owner's thread has run the callback on it, so while that thread is
// busy the bytes wait in the driver, not in memory. Stop releases a waiting
// hand-over (its chunk dropped) and joins the thread before the port is closed.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/commport.h"

// The worker could not get memory or a thread.
class ECommThrdError : public std::exception {
public:
    explicit ECommThrdError(int systemError);
    uint8_t Code = 0;
    int32_t SystemError;
    const char *what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

class TBackgroundCommThread {
public:
    // Runs on the owner's thread, inside DeliverData, with the chunk the worker waits with.
    using Callback = std::function<void(const char *data, int length)>;
    // Runs on the worker thread when a chunk waits: it arranges for DeliverData
    // to run on the owner's thread (a queued call).
    using Dispatch = std::function<void()>;
    // Once, on the worker thread, when the loop ends on an error (read error,
    // device gone); not after Stop.
    using FailureSink = std::function<void(const std::string &reason)>;

    static constexpr std::chrono::milliseconds PollInterval{100};
    // What one pass takes at most: the driver's input queue.
    static constexpr uint32_t InputQueueBytes = 32768;
    // A pass reads on while bytes keep coming: it ends at a gap of ReadInterval
    // between bytes, or ReadTotal after its first byte.
    static constexpr std::chrono::milliseconds ReadInterval{15};
    static constexpr std::chrono::milliseconds ReadTotal{250};

    TBackgroundCommThread(Callback callback, Dispatch dispatch, FailureSink onFailure);
    ~TBackgroundCommThread();
    TBackgroundCommThread(const TBackgroundCommThread &) = delete;
    TBackgroundCommThread &operator=(const TBackgroundCommThread &) = delete;

    // The port, configured by the owner while it is closed; written from the owner's thread.
    TCommPort Port;

    // Opens the port (its errors propagate) and starts polling. When the thread
    // cannot start, the port is closed again and ECommThrdError is thrown.
    void Start();
    // Releases a waiting hand-over, ends and joins the worker, then closes the
    // port (a close error propagates; the port is closed all the same).
    void Stop();
    // The worker is polling.
    bool Running() const { return running_; }

    // On the owner's thread: runs the callback on the chunk the worker waits
    // with, then lets the worker go on. Nothing when no chunk waits or Stop was
    // asked. An exception from the callback is passed on to the caller after
    // the worker was let go (the chunk is then dropped).
    void DeliverData();
    // A chunk waits for DeliverData.
    bool HandOverWaiting() const;

private:
    enum class HandOver { Idle, Waiting, Running };

    void Execute();
    std::string ReadPass();
    void Deliver(std::string chunk);

    Callback callback_;
    Dispatch dispatch_;
    FailureSink onFailure_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;
    std::condition_variable wake_;   // Stop, and the end of a hand-over
    HandOver handOver_ = HandOver::Idle;
    std::string buffer_;             // the chunk handed over; the worker's own outside a hand-over
};
