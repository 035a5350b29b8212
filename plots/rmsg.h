#pragma once

#include "sentence/splitters.h"

// An RMSGA Eurofix message sentence (current or older form).
bool IsRmsg(const NovatelLogClass &log);
