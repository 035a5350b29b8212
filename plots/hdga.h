#pragma once

#include "sentence/splitters.h"

// An HDGA heading sentence.
bool IsHdga(const NovatelLogClass &log);
