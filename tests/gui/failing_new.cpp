#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace {

enum class Mode { Off, SizeFails, AfterSize, NextFails };

// Plain values only: reading them allocates nothing.
thread_local Mode mode = Mode::Off;
thread_local std::size_t armedSize = 0;
thread_local bool used = false;

bool Refuse(std::size_t size)
{
    switch (mode) {
    case Mode::Off: return false;
    case Mode::SizeFails:
        if (size != armedSize) return false;
        break;
    case Mode::AfterSize:
        if (size == armedSize) mode = Mode::NextFails;
        return false;
    case Mode::NextFails: break;
    }
    mode = Mode::Off;
    used = true;
    return true;
}

void *Allocate(std::size_t size)
{
    if (Refuse(size)) throw std::bad_alloc();
    for (;;) {
        if (void *p = std::malloc(size ? size : 1)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void *AllocateOrNull(std::size_t size) noexcept
{
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}

} // namespace

void FailingNew::FailNextOfSize(std::size_t size)
{
    armedSize = size;
    used = false;
    mode = Mode::SizeFails;
}

void FailingNew::FailAfterSize(std::size_t size)
{
    armedSize = size;
    used = false;
    mode = Mode::AfterSize;
}

bool FailingNew::Disarm()
{
    mode = Mode::Off;
    return used;
}

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return AllocateOrNull(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return AllocateOrNull(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }
