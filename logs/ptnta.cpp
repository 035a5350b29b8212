#include "logs/ptnta.h"

#include "sentence/recognise.h"

bool IsPtnta(const NovatelLogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "PTNTA");
}
