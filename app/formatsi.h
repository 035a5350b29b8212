#pragma once

#include <string>

// A number with an engineering prefix ("123.5 k"); "N/A" beyond atto..exa.
std::string FormatSI(float value, int digits);
