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
        const char *stop = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!stop) stop = end;
        if (const void *cr = std::memchr(p, '\r', static_cast<size_t>(stop - p))) stop = static_cast<const char *>(cr);
        size_t room = static_cast<size_t>(MaxLineLength - LineLength);
        size_t n = std::min(static_cast<size_t>(stop - p), room);
        std::memcpy(LineBuffer.get() + LineLength, p, n);
        LineLength += static_cast<int>(n);
        if (stop == end) break;
        LineBuffer[LineLength] = '\0';
        const size_t lineLength = static_cast<size_t>(LineLength);
        // The next line starts empty even when a handler throws.
        LineLength = 0;
        p = stop + 1;
        HandleLine(LineBuffer.get(), lineLength);
    }
}

void SentenceRouter::Deliver(SentenceType type, const SentenceLine &line, size_t length, bool store)
{
    // The stored text keeps its capacity: a copy, no allocation. A NUL inside
    // the line ends its text, for the store as for every reader.
    if (store) lastLines_[static_cast<size_t>(type)].assign(line.Text(), strnlen(line.Text(), length));
    target_.RouteLine(type, line);
}

void SentenceRouter::HandleLine(const char *text, size_t length)
{
    if (target_.ScriptRunning()) target_.ScriptLine(text);
    if (text[0] == '\0') return;

    // One split per line, shared by the recognisers and every reader of the line.
    const SentenceLine line(text);
    const NovatelLogClass &log = line.Sentence();
    if (log.Status == 0 && log.FieldCount >= 1) {
        if (IsToaa(log)) Deliver(SentenceType::Toaa, line, length, true);
        // First match of the chain decides.
        if (IsDlora(text)) Deliver(SentenceType::Dlora, line, length, false);
        else if (IsDasfa(log)) Deliver(SentenceType::Dasfa, line, length, true);
        else if (IsGpgga(log)) Deliver(SentenceType::Gpgga, line, length, true);
        else if (IsHdga(log)) Deliver(SentenceType::Hdga, line, length, false);
        else if (IsHdgla(log)) Deliver(SentenceType::Hdgla, line, length, true);
        else if (IsPtnta(log)) Deliver(SentenceType::Ptnta, line, length, true);
        else if (IsSynca(log)) Deliver(SentenceType::Synca, line, length, true);
        else if (IsRmsg(log)) Deliver(SentenceType::Rmsg, line, length, false);
        else if (IsGpposa(log)) Deliver(SentenceType::Gpposa, line, length, true);
        else if (IsInposa(log)) Deliver(SentenceType::Inposa, line, length, true);
        else if (IsLcposa(log) || IsLcrsda(log)) Deliver(SentenceType::Lcposa, line, length, false);
        else if (IsFft(log)) Deliver(SentenceType::Fft, line, length, false);
        else if (IsNotcha(log)) Deliver(SentenceType::Notcha, line, length, true);
        else if (IsAudio(log)) Deliver(SentenceType::Audio, line, length, false);
    }
    // Only a "#" line splits as a log; the PSRPOSA test refuses every other.
    if (text[0] == '#' && IsPsrposa(line.Log())) Deliver(SentenceType::Psrposa, line, length, false);
}
