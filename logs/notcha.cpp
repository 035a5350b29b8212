#include "logs/notcha.h"

#include "sentence/recognise.h"

bool IsNotcha(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && FieldIs(log, 0, "DODU") && FieldIs(log, 1, "NOTCHA");
}
