// Eurofix messages: the RMSG sentence that carries one, the bit stream of its
// twenty hexadecimal digits and one decoder per message type.
//
// The message text is ten pairs of hexadecimal digits; each pair is one 7-bit
// symbol. Pair k, read as a byte (high digit first), gives its low 7 bits to
// stream bits 7k..7k+6, least significant first. A field of n bits at bit p has
// bit p as its least significant bit; signed fields are two's complement.
#pragma once

#include <array>
#include <cstdint>

#include "sentence/fields.h"
#include "sentence/splitters.h"

// An RMSGA Eurofix message sentence (current or older form).
bool IsRmsg(const NovatelLogClass &log);

//   current forms: DODU,RMSGA,version,time,station,message,extra,extra
//                  DODU,RMSG,version,...
//   older form:    DODU,version,RMSG,...
// Empty fields keep their reset values and count nothing.
struct RmsgRecord {
    char Version[20];
    double Time;            // receiver time of the message, as sent
    char StationId[6];      // as sent, at most 5 characters
    StationCode Code;       // 0 when the station text names no station
    char Message[21];       // at most 20 hexadecimal digits
    int32_t Extra1;
    int32_t Extra2;

    RmsgRecord() { Clear(); }
    void Clear();
    // 1 when the line is no RMSG sentence or has fewer than 8 fields, else the
    // number of fields that did not convert (0: good).
    int Parse(const char *line);
    int Parse(const SentenceLine &line);   // the same, from the router's split
};

// ---------------------------------------------------------------------------
// The bit stream
// ---------------------------------------------------------------------------

inline constexpr int EurofixStreamBits = 70;
using EurofixBitStream = std::array<uint8_t, EurofixStreamBits>;

// Writes bits 0..n-1 of value from position pos on, least significant first;
// returns the position after the last bit. Bits past the stream are dropped.
int IntToBits(int value, int n, EurofixBitStream &bits, int pos);
// Reads n bits (at most 31) from position pos, the first the least significant;
// a signed field whose top bit is 1 is extended with 1s. Returns the position
// after the field. Bits past the stream read as 0.
int BitsToInt(int &out, int n, const EurofixBitStream &bits, int pos, bool isSigned);

// 0..15 for "0".."9", "A".."F", "a".."f"; -1 for any other character.
int HexDigitValue(char c);
// -1 when pair[0] ends the text; the first digit's value alone when pair[1]
// ends it; else (first << 4) | second, a bad digit counting as -1.
int HexPairToInt(const char *pair);
// Every whole pair of hex gives 7 bits, in order; a trailing single character is
// ignored and the rest of the stream is 0.
void HexToBits(EurofixBitStream &bits, const char *hex);

// How many stream bits the whole pairs of hex carry; -1 when a character of
// those pairs is no hexadecimal digit (an unpaired last character is not read).
int EurofixPayloadBits(const char *hex);

// ---------------------------------------------------------------------------
// Message types and their records
// ---------------------------------------------------------------------------

enum EurofixMessageType {
    EurofixNoType = -1,
    EurofixDgps = 1,
    EurofixType2 = 2,
    EurofixStationHealth = 4,
    EurofixSms = 5,
    EurofixUtc = 6,
    EurofixETran = 8,
    EurofixZeroType = 16,   // the digit "0": a type nothing decodes
};

// The type from the message's second character: "1".."9" give 1..9, "A".."F"
// (upper case only) 10..15, "0" gives 16; anything else, a missing character
// included, gives EurofixNoType.
int GetMessageType(const char *hex);

// What a decoder returns.
enum EurofixDecodeResult {
    EurofixDecoded = 0,
    EurofixWrongType = 1,   // the type field is not the decoder's
    EurofixGarbled = 2,     // a character of the message is no hexadecimal digit
    EurofixTooShort = 3,    // the message ends before the fields its type carries
};

// One satellite's differential correction.
struct DgpsCorrection {
    int32_t Valid = 0;    // 1 when the entry holds a correction
    int32_t Prn = 0;
    double Prc = 0.0;     // pseudorange correction, m
    double Rrc = 0.0;     // range-rate correction, m/s
    double Udre = 0.0;    // m
    double Time = 0.0;    // modified Z-count, seconds within the hour
    int32_t Iode = 0;

    void Clear() { *this = DgpsCorrection(); }
};

struct DgpsMessage {
    int32_t Type = EurofixDgps;
    DgpsCorrection Correction;
};

struct Type2Message {
    int32_t Type = EurofixType2;
};

struct StationHealthMessage {
    int32_t Type = EurofixStationHealth;
    int32_t StationId = 0;   // the transmitting station's Eurofix identity
    int32_t Health = 0;      // 0..7
};

struct SmsMessage {
    int32_t Type = EurofixSms;
    int32_t Chunk = 0;       // number of this chunk within its text, 0..7
    int32_t Last = 0;        // 1 on the last chunk of a text
    char Text[7] = {};       // six characters as sent, zero-terminated
};

struct UtcMessage {
    int32_t Type = EurofixUtc;
    int32_t Subtype = 0;
    double Seconds = 0.0;    // seconds within the UTC hour
    int32_t Hours = 0;       // subtype 1: hour count
    int32_t Year = 0;        // subtype 1: years after 2000
    double Fraction = 0.0;   // subtype 2: s, added to Seconds for display
    int32_t Leap = 0;        // subtype 2: leap seconds
    int32_t Change = 0;      // subtype 2: announced change -1, 0, 1 (-2 is none)
};

struct ETranMessage {
    int32_t Type = EurofixETran;
    int32_t ETranType = 0;   // 0..7
};

// Each returns EurofixDecoded and fills the record, or another result and leaves
// the record as it was.
int DecodeDgps(DgpsMessage &message, const char *hex);
int DecodeStationHealth(StationHealthMessage &message, const char *hex);
int DecodeSms(SmsMessage &message, const char *hex);
// Reads the subtype-1 fields only for subtype 1 and the subtype-2 fields only for
// subtype 2; the others keep what the caller put there.
int DecodeUtc(UtcMessage &message, const char *hex);
int DecodeETran(ETranMessage &message, const char *hex);
