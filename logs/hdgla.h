#pragma once

#include "sentence/splitters.h"

// An HDGLA sentence, bare or behind DODU.
bool IsHdgla(const NovatelLogClass &log);
