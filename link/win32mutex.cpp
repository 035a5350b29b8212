#include "link/win32mutex.h"

#include <cerrno>
#include <ctime>
#include <stdexcept>

Win32Mutex::Win32Mutex(const std::string &mutexName, bool initialOwner)
{
    auto made = std::make_unique<pthread_mutex_t>();
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) throw std::runtime_error("createMutex failed");
    int rc = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (rc == 0) rc = pthread_mutex_init(made.get(), &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (rc != 0) throw std::runtime_error("createMutex failed");
    if (initialOwner && pthread_mutex_lock(made.get()) != 0) {
        pthread_mutex_destroy(made.get());
        throw std::runtime_error("createMutex failed");
    }
    handle = std::move(made);
    name = mutexName;
}

Win32Mutex::~Win32Mutex()
{
    // A mutex still held by this thread is let go first: destroying a locked
    // mutex is not allowed.
    while (pthread_mutex_unlock(handle.get()) == 0) {}
    pthread_mutex_destroy(handle.get());
}

bool Win32Mutex::Wait(uint32_t timeoutMs)
{
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        ++deadline.tv_sec;
        deadline.tv_nsec -= 1000000000L;
    }
    int rc;
    do {
        rc = pthread_mutex_clocklock(handle.get(), CLOCK_MONOTONIC, &deadline);
    } while (rc == EINTR);
    return rc == 0;
}

void Win32Mutex::Release()
{
    if (pthread_mutex_unlock(handle.get()) != 0) throw std::runtime_error("releaseMutex failed");
}
