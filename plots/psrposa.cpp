#include "plots/psrposa.h"

#include "sentence/recognise.h"

bool IsPsrposa(const NovatelOEM4LogClass &log)
{
    return log.FieldCount >= 1 && FieldIs(log, 0, "PSRPOSA");
}
