#include "plots/rmsg.h"

#include "logs/record_support.h"
#include "sentence/recognise.h"

bool IsRmsg(const NovatelLogClass &log)
{
    return log.FieldCount >= 3 && FieldIs(log, 0, "DODU") && (FieldIs(log, 1, "RMSGA") || FieldIs(log, 1, "RMSG") || FieldIs(log, 2, "RMSG"));
}

void RmsgRecord::Clear()
{
    Version[0] = '\0';
    Time = 0.0;
    StationId[0] = '\0';
    Code = 0;
    Message[0] = '\0';
    Extra1 = 0;
    Extra2 = 0;
}

int RmsgRecord::Parse(const char *line) { return Parse(SentenceLine(line)); }

int RmsgRecord::Parse(const SentenceLine &line)
{
    RecordFields f(line);
    const bool current = f.Is(1, "RMSG") || f.Is(1, "RMSGA");
    const bool older = f.Is(2, "RMSG");
    if (!f.Ok() || f.Count() < 8 || !f.Is(0, "DODU") || !(current || older)) return 1;
    Clear();
    const EmptyRule rule = EmptyRule::Skip;
    if (current) f.Copy(2, Version, rule);
    if (older) f.Copy(1, Version, rule);
    f.Convert(3, ParseDouble, &Time, rule);
    f.Copy(4, StationId, rule);
    f.Copy(5, Message, rule);
    f.Convert(6, ParseInt, &Extra1, rule);
    f.Convert(7, ParseInt, &Extra2, rule);
    // A station text that names no station leaves the code at 0.
    if (f.Bad == 0 && StationId[0] != '\0') StationIdToCode(&Code, StationId);
    return f.Bad;
}

// ---------------------------------------------------------------------------
// The bit stream
// ---------------------------------------------------------------------------

int IntToBits(int value, int n, EurofixBitStream &bits, int pos)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < n; ++i, ++pos) {
        const uint8_t bit = i < 32 ? static_cast<uint8_t>((v >> i) & 1u) : 0;
        if (pos >= 0 && pos < EurofixStreamBits) bits[static_cast<size_t>(pos)] = bit;
    }
    return pos;
}

int BitsToInt(int &out, int n, const EurofixBitStream &bits, int pos, bool isSigned)
{
    if (n < 0) n = 0;
    if (n > 31) n = 31;
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++pos) {
        if (pos >= 0 && pos < EurofixStreamBits && bits[static_cast<size_t>(pos)]) v |= 1u << i;
    }
    if (isSigned && n > 0 && (v >> (n - 1)) & 1u) v |= ~((1u << n) - 1u);
    out = static_cast<int32_t>(v);
    return pos;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int HexPairToInt(const char *pair)
{
    if (pair[0] == '\0') return -1;
    const int high = HexDigitValue(pair[0]);
    if (pair[1] == '\0') return high;
    // A bad digit counts as -1 (all ones), as the stream always took it.
    return (high * 16) | HexDigitValue(pair[1]);
}

void HexToBits(EurofixBitStream &bits, const char *hex)
{
    bits.fill(0);
    int pos = 0;
    for (const char *p = hex; p[0] != '\0' && p[1] != '\0' && pos < EurofixStreamBits; p += 2)
        pos = IntToBits(HexPairToInt(p), 7, bits, pos);
}

int EurofixPayloadBits(const char *hex)
{
    // The characters of the whole pairs the stream takes; an unpaired last one is never read.
    constexpr int MaxPairs = (EurofixStreamBits + 6) / 7;
    int pairs = 0;
    for (const char *p = hex; pairs < MaxPairs && p[0] != '\0' && p[1] != '\0'; p += 2, ++pairs)
        if (HexDigitValue(p[0]) < 0 || HexDigitValue(p[1]) < 0) return -1;
    const int bits = pairs * 7;
    return bits < EurofixStreamBits ? bits : EurofixStreamBits;
}

int GetMessageType(const char *hex)
{
    if (!hex || hex[0] == '\0') return EurofixNoType;
    const char c = hex[1];
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c == '0') return EurofixZeroType;
    return EurofixNoType;
}

// ---------------------------------------------------------------------------
// Decoders
// ---------------------------------------------------------------------------

namespace {

// The stream of one message read field after field.
class FieldReader {
public:
    explicit FieldReader(const char *hex) : payload_(EurofixPayloadBits(hex)) { HexToBits(bits_, hex); }

    // Checks the message before any field is read: its characters, its type and
    // that it carries at least the first `needed` bits.
    int Check(int type, int needed)
    {
        if (payload_ < 0) return EurofixGarbled;
        if (Unsigned(4) != type) return EurofixWrongType;
        return Carries(needed) ? EurofixDecoded : EurofixTooShort;
    }
    bool Carries(int bits) const { return payload_ >= bits; }
    int Unsigned(int n) { return Read(n, false); }
    int Signed(int n) { return Read(n, true); }

private:
    int Read(int n, bool isSigned)
    {
        int value = 0;
        pos_ = BitsToInt(value, n, bits_, pos_, isSigned);
        return value;
    }

    EurofixBitStream bits_{};
    int payload_;
    int pos_ = 0;
};

} // namespace

int DecodeDgps(DgpsMessage &message, const char *hex)
{
    FieldReader r(hex);
    if (int result = r.Check(EurofixDgps, 56)) return result;
    static const double udreMetres[4] = {0.5, 2.5, 6.0, 50.0};
    DgpsCorrection &c = message.Correction;
    const int zcount = r.Unsigned(13);
    const int scale = r.Unsigned(1);
    const int udre = r.Unsigned(2);
    const int prn = r.Unsigned(5);
    const int prc = r.Signed(15);
    const int rrc = r.Signed(8);
    const int iode = r.Unsigned(8);
    c.Valid = 1;
    c.Time = zcount * 0.6;
    c.Udre = udreMetres[udre & 3];
    c.Prn = prn;
    c.Prc = prc * (scale ? 0.32 : 0.02);
    c.Rrc = rrc * (scale ? 0.032 : 0.002);
    c.Iode = iode;
    message.Type = EurofixDgps;
    return EurofixDecoded;
}

int DecodeStationHealth(StationHealthMessage &message, const char *hex)
{
    FieldReader r(hex);
    if (int result = r.Check(EurofixStationHealth, 17)) return result;
    message.Type = EurofixStationHealth;
    message.StationId = r.Unsigned(10);
    message.Health = r.Unsigned(3);
    return EurofixDecoded;
}

int DecodeSms(SmsMessage &message, const char *hex)
{
    FieldReader r(hex);
    if (int result = r.Check(EurofixSms, 56)) return result;
    message.Type = EurofixSms;
    message.Chunk = r.Unsigned(3);
    message.Last = r.Unsigned(1);
    for (int i = 0; i < 6; ++i) message.Text[i] = static_cast<char>(r.Unsigned(8));
    message.Text[6] = '\0';
    return EurofixDecoded;
}

int DecodeUtc(UtcMessage &message, const char *hex)
{
    FieldReader r(hex);
    if (int result = r.Check(EurofixUtc, 35)) return result;
    const int subtype = r.Unsigned(2);
    const int units = r.Unsigned(29);
    if ((subtype == 1 && !r.Carries(55)) || (subtype == 2 && !r.Carries(56))) return EurofixTooShort;
    message.Type = EurofixUtc;
    message.Subtype = subtype;
    message.Seconds = units * 0.00001;
    if (subtype == 1) {
        message.Hours = r.Unsigned(14);
        message.Year = r.Unsigned(6);
    } else if (subtype == 2) {
        message.Fraction = r.Unsigned(10) * 0.00000001;
        message.Leap = r.Signed(9);
        message.Change = r.Signed(2);
    }
    return EurofixDecoded;
}

int DecodeETran(ETranMessage &message, const char *hex)
{
    FieldReader r(hex);
    if (int result = r.Check(EurofixETran, 7)) return result;
    message.Type = EurofixETran;
    message.ETranType = r.Unsigned(3);
    return EurofixDecoded;
}
