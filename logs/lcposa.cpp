#include "logs/lcposa.h"

#include "sentence/recognise.h"

bool IsLcposa(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "LCPOSA") || FieldIs(log, 2, "LCPOS"));
}

bool IsLcrsda(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "LCRSDA") || FieldIs(log, 2, "LCRSD"));
}
