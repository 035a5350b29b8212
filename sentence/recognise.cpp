#include "sentence/recognise.h"

#include <strings.h>

bool FieldIs(const detail::FieldSplitter &log, int i, const char *id)
{
    if (log.Status != 0 || i < 0 || i >= log.FieldCount || !log.Fields[i]) return false;
    return strcasecmp(log.Fields[i], id) == 0;
}
