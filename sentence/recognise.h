// Helpers for the sentence recognisers: identifier tests on a split line.
#pragma once

#include "sentence/splitters.h"

// Field i of a well-split line equals id, compared without regard to case.
// False when the line did not split or has no field i. Identifiers are ASCII:
// only A..Z fold, whatever the user's locale.
inline bool FieldIs(const detail::FieldSplitter &log, int i, const char *id)
{
    if (log.Status != 0 || i < 0 || i >= log.FieldCount || !log.Fields[i]) return false;
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (const char *a = log.Fields[i], *b = id;; ++a, ++b) {
        const unsigned ca = lower(static_cast<unsigned char>(*a)), cb = lower(static_cast<unsigned char>(*b));
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}
