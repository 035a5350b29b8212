#include "logs/inposa.h"

#include "sentence/recognise.h"

bool IsInposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "INPOSA") || FieldIs(log, 2, "INPOS"));
}
