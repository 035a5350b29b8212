#include "link/commthread.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <pthread.h>
#include <system_error>

namespace {

std::string Describe(const ECommError &e)
{
    if (e.SystemError == EIO) return std::string("The device hung up or was disconnected (") + strerrordesc_np(EIO) + ")";
    return e.what();
}

} // namespace

ECommThrdError::ECommThrdError(int systemError) : SystemError(systemError)
{
    const char *reason = strerrordesc_np(systemError);
    text_ = std::string("The serial worker failed (") + (reason ? reason : "unknown error") + ")";
}

TBackgroundCommThread::TBackgroundCommThread(ChunkSink onChunk, FailureSink onFailure)
    : onChunk_(std::move(onChunk)), onFailure_(std::move(onFailure))
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
    stop_ = false;
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
        }
        wake_.notify_all();
        worker_.join();
    }
    running_ = false;
    Port.Close();
}

void TBackgroundCommThread::Execute()
{
    pthread_setname_np(pthread_self(), "serial worker");
    std::string failure;
    try {
        while (!stop_) {
            uint32_t n = Port.BytesAvailable();
            if (n > 0) {
                std::string chunk(n, '\0');
                uint32_t got = Port.Read(chunk.data(), n);
                if (got > 0) {
                    chunk.resize(got);
                    onChunk_(std::move(chunk));
                }
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
