#pragma once

#include "sentence/splitters.h"

// A DASFA sentence (current or older form).
bool IsDasfa(const NovatelLogClass &log);
