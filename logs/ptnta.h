#pragma once

#include "sentence/splitters.h"

// A $PTNTA timing sentence.
bool IsPtnta(const NovatelLogClass &log);
