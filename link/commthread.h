// The serial worker: one thread per connection. It polls the port every 100 ms
// and hands each chunk it read, everything the driver held at that moment, to
// its owner. Stop joins the thread before the port is closed.
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
    // Both run on the worker thread: the owner hands a copy over to its own thread.
    using ChunkSink = std::function<void(std::string chunk)>;
    // Once, when the loop ends on an error (read error, device gone); not after Stop.
    using FailureSink = std::function<void(const std::string &reason)>;

    static constexpr std::chrono::milliseconds PollInterval{100};

    TBackgroundCommThread(ChunkSink onChunk, FailureSink onFailure);
    ~TBackgroundCommThread();
    TBackgroundCommThread(const TBackgroundCommThread &) = delete;
    TBackgroundCommThread &operator=(const TBackgroundCommThread &) = delete;

    // The port, configured by the owner while it is closed; written from the owner's thread.
    TCommPort Port;

    // Opens the port (its errors propagate) and starts polling. When the thread
    // cannot start, the port is closed again and ECommThrdError is thrown.
    void Start();
    // Ends and joins the worker, then closes the port (a close error propagates;
    // the port is closed all the same).
    void Stop();
    // The worker is polling.
    bool Running() const { return running_; }

private:
    void Execute();

    ChunkSink onChunk_;
    FailureSink onFailure_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};
