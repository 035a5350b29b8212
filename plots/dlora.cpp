#include "plots/dlora.h"

#include <strings.h>

bool IsDlora(const char *line)
{
    return line && strncasecmp(line, "$DODU,DLORA,", 12) == 0;
}
