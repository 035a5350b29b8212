#pragma once

// A DLORA sentence is recognised by its text: it begins with "$DODU,DLORA," in any case.
bool IsDlora(const char *line);
