#pragma once

#include "sentence/splitters.h"

// A SYNCA sentence.
bool IsSynca(const NovatelLogClass &log);
