#pragma once

#include "sentence/splitters.h"

// A NOTCHA sentence.
bool IsNotcha(const NovatelLogClass &log);
