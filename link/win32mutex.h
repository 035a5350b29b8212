// Win32SynchronizationObject and Win32Mutex: a named, recursive mutex with a
// timed wait. The thread that holds it may take it again (each Wait needs its
// Release); a wait that runs out of time returns false.
#pragma once

#include <pthread.h>

#include <cstdint>
#include <memory>
#include <string>

class Win32SynchronizationObject {
public:
    virtual ~Win32SynchronizationObject() = default;

protected:
    Win32SynchronizationObject() = default;
    Win32SynchronizationObject(const Win32SynchronizationObject &) = delete;
    Win32SynchronizationObject &operator=(const Win32SynchronizationObject &) = delete;

    std::unique_ptr<pthread_mutex_t> handle;   // null until made
    std::string name;
};

class Win32Mutex : public Win32SynchronizationObject {
public:
    // Throws std::runtime_error("createMutex failed") when the mutex cannot be
    // made; with initialOwner the creating thread holds it.
    Win32Mutex(const std::string &name, bool initialOwner);
    ~Win32Mutex() override;

    // True once held; false when timeoutMs passed first.
    bool Wait(uint32_t timeoutMs);
    // Throws std::runtime_error("releaseMutex failed") when the calling thread
    // does not hold the mutex.
    void Release();

    const std::string &Name() const { return name; }
};
