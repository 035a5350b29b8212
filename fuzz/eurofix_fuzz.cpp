// Any text as an RMSG line and as a Eurofix message: no crash, every decoded
// field within what its bits can hold, and a message that is not decoded leaves
// its record untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plots/eurofix.h"
#include "plots/rmsg.h"

static void Require(bool ok)
{
    if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const char *hex = text.c_str();

    RmsgRecord record;
    if (record.Parse(hex) == 0) Require(std::strlen(record.Message) <= 20 && std::strlen(record.StationId) <= 5);

    GetMessageType(hex);
    DgpsMessage dgps;
    dgps.Correction.Prn = -7;
    if (DecodeDgps(dgps, hex) == EurofixDecoded) {
        Require(dgps.Correction.Prn >= 0 && dgps.Correction.Prn <= 31);
        Require(dgps.Correction.Iode >= 0 && dgps.Correction.Iode <= 255);
        DgpsCorrectionTable table;
        table.Store(dgps.Correction);
        table.AgeOut();
        DgpsGridRowsOf(table);
    } else {
        Require(dgps.Correction.Prn == -7);
    }
    StationHealthMessage health;
    if (DecodeStationHealth(health, hex) == EurofixDecoded) Require(HealthText(health.Health) != "");
    SmsMessage sms;
    if (DecodeSms(sms, hex) == EurofixDecoded) {
        Require(sms.Chunk >= 0 && sms.Chunk <= 7 && sms.Text[6] == '\0');
        SmsChunkLine(sms);
        std::string whole;
        SmsAssembler assembler;
        assembler.Add(sms, whole);
    }
    UtcMessage utc;
    if (DecodeUtc(utc, hex) == EurofixDecoded) {
        Require(utc.Subtype >= 0 && utc.Subtype <= 3 && utc.Change >= -2 && utc.Change <= 1);
        FormatUtc(utc, 1800.0);
    }
    ETranMessage etran;
    if (DecodeETran(etran, hex) == EurofixDecoded) Require(ETranText(etran.ETranType) != "");
    return 0;
}
