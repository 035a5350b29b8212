#pragma once

#include "sentence/splitters.h"

// An INPOSA sentence (current or older form).
bool IsInposa(const NovatelLogClass &log);
