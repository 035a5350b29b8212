#include "logs/dasfa.h"

#include "sentence/recognise.h"

bool IsDasfa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "DASFA") || FieldIs(log, 2, "DASF"));
}
