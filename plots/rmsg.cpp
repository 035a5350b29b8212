#include "plots/rmsg.h"

#include "sentence/recognise.h"

bool IsRmsg(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "RMSGA") || FieldIs(log, 1, "RMSG") || FieldIs(log, 2, "RMSG"));
}
