#include "logs/gpgga.h"

#include "sentence/recognise.h"

bool IsGpgga(const NovatelLogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "GPGGA");
}
