// Helpers for the sentence recognisers: identifier tests on a split line.
#pragma once

#include "sentence/splitters.h"

// Field i of a well-split line equals id, compared without regard to case.
// False when the line did not split or has no field i.
bool FieldIs(const detail::FieldSplitter &log, int i, const char *id);
