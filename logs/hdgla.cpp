#include "logs/hdgla.h"

#include "sentence/recognise.h"

bool IsHdgla(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && (FieldIs(log, 0, "HDGLA") || (FieldIs(log, 0, "DODU") && FieldIs(log, 1, "HDGLA")));
}
