#include "plots/audio.h"

#include "sentence/recognise.h"

bool IsAudio(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && FieldIs(log, 2, "AUDIO");
}
