// Readers of the three sentence kinds the TD plot draws. Each is true when the
// line is a good sentence of its kind; the sentence then holds the entries that
// are real measurements: entries the record did not read, station code 0, an
// empty identifier or value field, a value that is no finite number and TOAA
// entries with state bit 0x40 are left out; a time that is no finite number
// refuses the line. DLORA and DASFA x are seconds of the day (not yet continued across
// midnight, see TDStationList::ContinueTimeOfDay).
#pragma once

#include "plots/geodesy.h"   // HhmmssToSeconds
#include "plots/tdstations.h"
#include "sentence/splitters.h"

bool ReadToaaSentence(const SentenceLine &line, TDSentence &out);
bool ReadDloraSentence(const SentenceLine &line, TDSentence &out);
bool ReadDasfaSentence(const SentenceLine &line, TDSentence &out);
inline bool ReadToaaSentence(const char *line, TDSentence &out) { return ReadToaaSentence(SentenceLine(line), out); }
inline bool ReadDloraSentence(const char *line, TDSentence &out) { return ReadDloraSentence(SentenceLine(line), out); }
inline bool ReadDasfaSentence(const char *line, TDSentence &out) { return ReadDasfaSentence(SentenceLine(line), out); }

