#include "app/router.h"

#include <algorithm>
#include <cstring>

#include "logs/dasfa.h"
#include "logs/gpgga.h"
#include "logs/gpposa.h"
#include "logs/hdgla.h"
#include "logs/inposa.h"
#include "logs/lcposa.h"
#include "logs/notcha.h"
#include "logs/ptnta.h"
#include "logs/synca.h"
#include "logs/toaa.h"
#include "plots/audio.h"
#include "plots/dlora.h"
#include "plots/fft.h"
#include "plots/hdga.h"
#include "plots/psrposa.h"
#include "plots/rmsg.h"

SentenceRouter::SentenceRouter(RouteTarget &target)
    : target_(target), LineBuffer(new char[MaxLineLength + 1])
{
    LineBuffer[0] = '\0';
}

void SentenceRouter::Feed(const char *data, size_t length)
{
    if (feeding_) {
        // A handler opened a modal box and the event loop delivered more data:
        // keep it, in order, for when the current chunk is done.
        deferred_.append(data, length);
        return;
    }
    feeding_ = true;
    struct Release {
        bool &flag;
        ~Release() { flag = false; }
    } release{feeding_};
    FeedNow(data, length);
    while (!deferred_.empty()) {
        std::string next;
        next.swap(deferred_);
        FeedNow(next.data(), next.size());
    }
}

void SentenceRouter::FeedNow(const char *data, size_t length)
{
    const char *p = data;
    const char *end = data + length;
    while (p < end) {
        // Copy up to the next line end in one go; the rest of an overlong line is dropped.
        const char *stop = p;
        while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
        size_t room = static_cast<size_t>(MaxLineLength - LineLength);
        size_t n = std::min(static_cast<size_t>(stop - p), room);
        std::memcpy(LineBuffer.get() + LineLength, p, n);
        LineLength += static_cast<int>(n);
        if (stop == end) break;
        LineBuffer[LineLength] = '\0';
        // The next line starts empty even when a handler throws.
        LineLength = 0;
        p = stop + 1;
        HandleLine(LineBuffer.get());
    }
}

void SentenceRouter::Deliver(SentenceType type, const char *line, bool store)
{
    if (store) lastLines_[static_cast<size_t>(type)] = line;
    target_.Route(type, line);
}

void SentenceRouter::HandleLine(const char *line)
{
    if (target_.ScriptRunning()) target_.ScriptLine(line);
    if (line[0] == '\0') return;

    {
        NovatelLogClass log(line);
        if (log.Status == 0 && log.FieldCount >= 1) {
            if (IsToaa(log)) Deliver(SentenceType::Toaa, line, true);
            // First match of the chain decides.
            if (IsDlora(line)) Deliver(SentenceType::Dlora, line, false);
            else if (IsDasfa(log)) Deliver(SentenceType::Dasfa, line, true);
            else if (IsGpgga(log)) Deliver(SentenceType::Gpgga, line, true);
            else if (IsHdga(log)) Deliver(SentenceType::Hdga, line, false);
            else if (IsHdgla(log)) Deliver(SentenceType::Hdgla, line, true);
            else if (IsPtnta(log)) Deliver(SentenceType::Ptnta, line, true);
            else if (IsSynca(log)) Deliver(SentenceType::Synca, line, true);
            else if (IsRmsg(log)) Deliver(SentenceType::Rmsg, line, false);
            else if (IsGpposa(log)) Deliver(SentenceType::Gpposa, line, true);
            else if (IsInposa(log)) Deliver(SentenceType::Inposa, line, true);
            else if (IsLcposa(log) || IsLcrsda(log)) Deliver(SentenceType::Lcposa, line, false);
            else if (IsFft(log)) Deliver(SentenceType::Fft, line, false);
            else if (IsNotcha(log)) Deliver(SentenceType::Notcha, line, true);
            else if (IsAudio(log)) Deliver(SentenceType::Audio, line, false);
        }
    }
    NovatelOEM4LogClass oem4(line);
    if (IsPsrposa(oem4)) Deliver(SentenceType::Psrposa, line, false);
}
