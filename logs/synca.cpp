#include "logs/synca.h"

#include "sentence/recognise.h"

bool IsSynca(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && FieldIs(log, 0, "DODU") && FieldIs(log, 1, "SYNCA");
}
