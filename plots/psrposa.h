#pragma once

#include "sentence/splitters.h"

// A #PSRPOSA log of the GPS board.
bool IsPsrposa(const NovatelOEM4LogClass &log);
