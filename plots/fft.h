#pragma once

#include "sentence/splitters.h"

// An FFTA spectrum sentence (current or older form).
bool IsFft(const NovatelLogClass &log);
