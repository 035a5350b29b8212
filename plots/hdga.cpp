#include "plots/hdga.h"

#include "sentence/recognise.h"

bool IsHdga(const NovatelLogClass &log)
{
    return log.FieldCount >= 2 && ((FieldIs(log, 0, "DODU") && FieldIs(log, 1, "HDGA")) || FieldIs(log, 0, "HDGA"));
}
