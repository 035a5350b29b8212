#pragma once

#include "sentence/splitters.h"

// A TOAA sentence: $DODU,TOAA,... or the old $TOAA,...
bool IsToaa(const NovatelLogClass &log);
