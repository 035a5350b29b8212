#pragma once

#include "sentence/splitters.h"

// A $GPGGA fix sentence.
bool IsGpgga(const NovatelLogClass &log);
