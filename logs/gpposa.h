#pragma once

#include "sentence/splitters.h"

// A GPPOSA sentence (current or older form).
bool IsGpposa(const NovatelLogClass &log);
