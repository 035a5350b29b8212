#pragma once

#include "sentence/splitters.h"

// LCPOSA eLoran position and LCRSDA residual sentences (current or older form).
bool IsLcposa(const NovatelLogClass &log);
bool IsLcrsda(const NovatelLogClass &log);
