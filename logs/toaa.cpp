#include "logs/toaa.h"

#include "sentence/recognise.h"

bool IsToaa(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && ((FieldIs(log, 0, "DODU") && FieldIs(log, 1, "TOAA")) || FieldIs(log, 0, "TOAA"));
}
