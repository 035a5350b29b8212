#pragma once

#include "sentence/splitters.h"

// An AUDIO sentence.
bool IsAudio(const NovatelLogClass &log);
