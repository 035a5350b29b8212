#include "link/commthread.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <pthread.h>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string Describe(const ECommError &e)
{
    if (e.SystemError == EIO) return std::string("The device hung up or was disconnected (") + strerrordesc_np(EIO) + ")";
    return e.what();
}

// The highest level below the most urgent one that the system grants this
// thread; without the privilege the thread keeps the level it has.
void RaisePriority()
{
    const id_t self = static_cast<id_t>(gettid());
    const int current = getpriority(PRIO_PROCESS, self);
    for (int nice = -19; nice < current; ++nice)
        if (setpriority(PRIO_PROCESS, self, nice) == 0) return;
}

} // namespace

ECommThrdError::ECommThrdError(int systemError) : SystemError(systemError)
{
    const char *reason = strerrordesc_np(systemError);
    text_ = std::string("The serial worker failed (") + (reason ? reason : "unknown error") + ")";
}

TBackgroundCommThread::TBackgroundCommThread(Callback callback, Dispatch dispatch, FailureSink onFailure)
    : callback_(std::move(callback)), dispatch_(std::move(dispatch)), onFailure_(std::move(onFailure))
{
    Port.SetPortName("COM1");
    Port.SetDCB(DCB{115200, 8, NOPARITY, ONESTOPBIT});
}

TBackgroundCommThread::~TBackgroundCommThread()
{
    try {
        Stop();
    } catch (const std::exception &) {
        // The port is closed all the same.
    }
}

void TBackgroundCommThread::Start()
{
    if (running_) return;
    if (worker_.joinable()) {   // a loop that ended on an error: start afresh
        worker_.join();
        try {
            Port.Close();
        } catch (const ECommError &) {
        }
    }
    Port.Open();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
        handOver_ = HandOver::Idle;
    }
    running_ = true;
    try {
        worker_ = std::thread(&TBackgroundCommThread::Execute, this);
    } catch (const std::system_error &e) {
        running_ = false;
        try {
            Port.Close();
        } catch (const ECommError &) {
        }
        throw ECommThrdError(e.code().value());
    }
}

void TBackgroundCommThread::Stop()
{
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
            if (handOver_ == HandOver::Waiting) handOver_ = HandOver::Idle;   // its chunk is dropped
        }
        wake_.notify_all();
        worker_.join();
    }
    running_ = false;
    Port.Close();
}

void TBackgroundCommThread::DeliverData()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (handOver_ != HandOver::Waiting || stop_) return;
    handOver_ = HandOver::Running;
    lock.unlock();
    std::exception_ptr error;
    try {
        callback_(buffer_.data(), static_cast<int>(buffer_.size()));
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    handOver_ = HandOver::Idle;
    lock.unlock();
    wake_.notify_all();
    if (error) std::rethrow_exception(error);
}

bool TBackgroundCommThread::HandOverWaiting() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return handOver_ == HandOver::Waiting;
}

// Waits until the owner's thread has taken the chunk, or Stop released it.
void TBackgroundCommThread::Deliver(std::string chunk)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) return;
        buffer_ = std::move(chunk);
        handOver_ = HandOver::Waiting;
    }
    if (dispatch_) dispatch_();
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return handOver_ == HandOver::Idle || stop_; });
}

// Everything the driver holds, reading on while more keeps coming, up to the
// input queue. A read error after the first bytes ends the pass with what it
// has; the next pass meets the error again and ends the loop.
std::string TBackgroundCommThread::ReadPass()
{
    std::string chunk(InputQueueBytes, '\0');
    uint32_t got = Port.Read(chunk.data(), InputQueueBytes);
    const auto end = std::chrono::steady_clock::now() + ReadTotal;
    while (got > 0 && got < InputQueueBytes && !stop_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !Port.WaitForInput(static_cast<int>(std::min(left, ReadInterval).count()))) break;
        uint32_t more = 0;
        try {
            more = Port.Read(chunk.data() + got, InputQueueBytes - got);
        } catch (const ECommError &) {
        }
        if (more == 0) break;
        got += more;
    }
    chunk.resize(got);
    return chunk;
}

void TBackgroundCommThread::Execute()
{
    pthread_setname_np(pthread_self(), "serial worker");
    RaisePriority();
    std::string failure;
    try {
        while (!stop_) {
            if (Port.BytesAvailable() > 0) {
                std::string chunk = ReadPass();
                if (!chunk.empty()) Deliver(std::move(chunk));
            } else if (Port.HungUp()) {
                failure = "The device hung up or was disconnected";
                break;
            }
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, PollInterval, [this] { return stop_.load(); });
        }
    } catch (const ECommError &e) {
        failure = Describe(e);
    } catch (const std::bad_alloc &) {
        failure = ECommThrdError(ENOMEM).what();
    } catch (const std::exception &e) {
        failure = e.what();
    }
    running_ = false;
    if (!failure.empty() && !stop_ && onFailure_) onFailure_(failure);
}
