#include "plots/fft.h"

#include "sentence/recognise.h"

bool IsFft(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "FFTA") || FieldIs(log, 2, "FFT"));
}
