// Allocation failures on demand. The window tests replace the global operator
// new (and its deletes, so every allocation stays a malloc/free pair, also under
// AddressSanitizer); it refuses an allocation only in the thread that asked,
// and only once.
#pragma once

#include <cstddef>

namespace FailingNew {
// The next allocation of exactly `size` bytes fails.
void FailNextOfSize(std::size_t size);
// Once an allocation of exactly `size` bytes has been made, the allocation
// that follows it fails.
void FailAfterSize(std::size_t size);
// Nothing fails any more; true when the armed failure was used.
bool Disarm();
} // namespace FailingNew
