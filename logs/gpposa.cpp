#include "logs/gpposa.h"

#include "sentence/recognise.h"

bool IsGpposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "GPPOSA") || FieldIs(log, 2, "GPPOS"));
}
