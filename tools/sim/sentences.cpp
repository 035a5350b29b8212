#include "sim/sentences.h"

#include <algorithm>
#include <cmath>

#include "sim/text.h"

namespace sim {

namespace {

// Version texts the receiver puts into its sentences.
const char kToaaVersion[] = "2.1";
const char kDasfaVersion[] = "1.3";
const char kHdgaVersion[] = "1.0";
const char kHdglaVersion[] = "1.2";
const char kSyncaVersion[] = "1.1";
const char kRmsgVersion[] = "1.0";
const char kGpposaVersion[] = "1.4";
const char kInposaVersion[] = "1.4";
const char kLcposaVersion[] = "1.5";
const char kNotchaVersion[] = "1.0";

// The header of a sentence that exists in a current form (DODU, identifier,
// version) and an older one (DODU, version, identifier without its final A).
Fields DoduHeader(const char *identifier, const char *oldIdentifier, const char *version, bool older)
{
    Fields f("DODU");
    if (older) f.Add(version).Add(oldIdentifier);
    else f.Add(identifier).Add(version);
    return f;
}

// UTC time, date and source as most position sentences carry them; before the
// receiver knows UTC it counts its own time from power-up and sends no date.
struct TimeTriple {
    std::string time, date;
    char source;
};

TimeTriple ReceiverTime(const World &w)
{
    if (!w.UtcKnown()) return {Hhmmss(std::fmod(w.Uptime(), 86400.0)), "", 'N'};
    const CivilTime c = w.Civil();
    return {Hhmmss(c.secondOfDay), DdmmyyNoLeadingZero(c), w.GpsTimeKnown() ? 'G' : 'L'};
}

// ddmm.mmmmm or dddmm.mmmmm and the hemisphere letter.
std::pair<std::string, char> NmeaAngle(double deg, int degreeDigits, char positive, char negative)
{
    const long long units = std::llround(std::fabs(deg) * 60.0 * 1e5);   // 1e-5 minutes
    const long long d = units / 6000000, rest = units % 6000000;
    return {Format("%0*lld%02lld.%05lld", degreeDigits, d, rest / 100000, rest % 100000), deg < 0 ? negative : positive};
}

// The best position the receiver has: GPS, else the ASF corrected eLoran solution.
bool BestPosition(const World &w, LatLon *p)
{
    if (w.Gps().fix) {
        *p = w.Gps().position;
        return true;
    }
    if (const LoranSolution *s = w.Solution('S')) {
        *p = s->position;
        return true;
    }
    return false;
}

const char *ClockStatus(const World &w)
{
    int acquired = 0, usable = 0;
    for (const StationEpoch &s : w.Stations()) {
        acquired += s.acquired;
        usable += s.Usable();
    }
    if (usable >= 4) return w.LoranUtcSynced() ? "UTCLOCK" : "LOCKED";
    return acquired > 0 ? "ACQUIRE" : "SEARCH";
}

} // namespace

std::string WriteToaa(const World &w, bool older)
{
    Fields f = older ? Fields("TOAA") : Fields("DODU");
    if (!older) f.Add("TOAA").Add(kToaaVersion);
    f.AddF("%.2f", w.Uptime()).Add("1.00").Add("4.00").Add(ClockStatus(w)).AddF("%.4E", w.ClockErrorUs() * 1e-6);
    if (!older) f.AddF("%.2f", w.NoiseLoop(1)).AddF("%.2f", w.NoiseLoop(2));
    const auto &chain = ChainStations();
    f.Add(static_cast<int>(chain.size()));
    for (size_t i = 0; i < chain.size(); ++i) {
        const StationEpoch &s = w.Stations()[i];
        f.Add(chain[i].Id()).AddF("%.2f", s.ss).AddF("%.2f", s.snr).AddF("%.3f", s.bq).AddF("%.3f", s.ecd);
        f.AddF("%.3f", s.ciq).Add(Format("%04X", s.state)).AddF("%.4f", s.toa).AddF("%.3E", s.doppler);
        f.AddF("%.2f", s.lockTime);
    }
    return Sentence(f.Text());
}

std::string WriteDasfa(const World &w, bool older)
{
    const auto &chain = ChainStations();
    std::vector<size_t> list;
    for (size_t i = 0; i < chain.size(); ++i)
        if (w.Stations()[i].Usable()) list.push_back(i);
    if (list.size() < 2) return "";
    Fields f("DODU");
    if (older) f.Add(kDasfaVersion).Add("DASF");
    else f.Add("DASFA").Add(kDasfaVersion);
    const TimeTriple tt = ReceiverTime(w);
    f.Add(tt.time).Add(tt.date).Add(tt.source);
    LatLon p;
    if (BestPosition(w, &p)) f.AddF("%.7f", p.lat).AddF("%.7f", p.lon);
    else f.Add("").Add("");
    f.Add(static_cast<int>(list.size()));
    for (size_t i : list) {
        const StationEpoch &s = w.Stations()[i];
        // The ASF the receiver applies: its table, plus the differential correction when it has one.
        double dasf = s.asfMap;
        for (const DloraEntry &e : w.Dlora())
            if (e.station == static_cast<int>(i)) dasf -= (e.valueA + e.valueB) * 1e-3;
        f.Add(chain[i].Id()).AddF("%.3f", dasf).AddF("%.3f", std::clamp(0.55 + 0.015 * s.snr, 0.1, 0.95));
    }
    return Sentence(f.Text());
}

std::string WriteDlora(const World &w)
{
    if (!w.DloraAvailable() || !w.UtcKnown()) return "";
    const CivilTime c = w.Civil();
    Fields f("DODU");
    // Reference station text, position, number and the age of its corrections.
    f.Add("DLORA").Add("1.0").Add(Hhmmss(c.secondOfDay)).Add(Ddmmyy(c)).Add("HOEK");
    f.Add("51.977500").Add("4.133300").Add(2).AddF("%.1f", w.DloraAge());
    f.Add(static_cast<int>(w.Dlora().size()));
    for (const DloraEntry &e : w.Dlora())
        f.Add(ChainStations()[e.station].Id()).AddF("%.1f", e.valueA).AddF("%.1f", e.valueB).Add("0000");
    return Sentence(f.Text());
}

std::string WriteGpgga(const World &w)
{
    const GpsEpoch &g = w.Gps();
    Fields f("GPGGA");
    if (!g.fix) {
        f.Add(w.UtcKnown() ? Hhmmss(w.Civil().secondOfDay) : "").Add("").Add("").Add("").Add("");
        f.Add(0).Add(Format("%02d", g.satellites)).Add("99.9").Add("").Add("M").Add("").Add("M").Add("").Add("");
        return Sentence(f.Text());
    }
    const auto lat = NmeaAngle(g.position.lat, 2, 'N', 'S');
    const auto lon = NmeaAngle(g.position.lon, 3, 'E', 'W');
    f.Add(Hhmmss(w.Civil().secondOfDay)).Add(lat.first).Add(lat.second).Add(lon.first).Add(lon.second);
    f.Add(g.dgps ? 2 : 1).Add(Format("%02d", g.satellites)).AddF("%.1f", g.hdop);
    f.AddF("%.1f", g.height).Add("M").AddF("%.1f", g.undulation).Add("M");
    if (g.dgps) f.AddF("%.1f", g.dgpsAge).Add(Format("%04d", Transmitters()[ChainStations()[4].transmitter].eurofixId));
    else f.Add("").Add("");
    return Sentence(f.Text());
}

std::string WriteHdga(const World &w, char source, bool older)
{
    double heading = 0, std = 0, quality = 0;
    switch (source) {
    case 'L':
        if (!w.Loops().valid || !w.Loops().ambiguitySolved) return "";
        heading = w.Loops().heading;
        std = w.Loops().std;
        quality = w.Loops().quality;
        break;
    case 'G':
        if (!w.Gps().fix || w.Gps().speed < 0.2) return "";
        heading = w.Gps().course;
        std = std::min(30.0, 0.042 / w.Gps().speed / kDeg);
        quality = 0.9;
        break;
    case 'I':
        if (w.Elapsed() < 3) return "";
        heading = w.InertialHeading();
        std = 0.3;
        quality = 0.99;
        break;
    default:
        return "";
    }
    Fields f = older ? Fields("HDGA") : Fields("DODU");
    if (!older) f.Add("HDGA").Add(kHdgaVersion);
    f.AddF("%.2f", w.Uptime()).AddF("%.2f", w.HeadingRate()).Add(source);
    f.AddF("%.2f", heading).AddF("%.2f", std).AddF("%.2f", quality);
    return Sentence(f.Text());
}

std::string WriteHdgla(const World &w, bool older)
{
    const LoopHeading &h = w.Loops();
    Fields f = older ? Fields("HDGLA") : Fields("DODU");
    if (!older) f.Add("HDGLA").Add(kHdglaVersion);
    const char mode = !h.valid ? 'N' : h.ambiguitySolved ? 'A' : 'U';
    f.AddF("%.2f", w.Uptime()).Add("1.00").Add("8.00").Add(w.Solution('S') ? 1 : 0);
    f.AddF("%.2f", 1.96 * h.std).AddF("%.2f", -1.96 * h.std).Add(h.ambiguitySolved ? 1 : 0).Add(0).Add(mode);
    f.AddF("%.3f", h.heading).AddF("%.3f", h.std).AddF("%.3f", h.quality);
    f.Add(static_cast<int>(h.stations.size()));
    for (const HeadingStation &s : h.stations) {
        f.Add(ChainStations()[s.station].Id()).AddF("%.3f", s.beamOrientation).AddF("%.3f", s.measured);
        f.AddF("%.1f", s.quality).AddF("%.3f", s.calculated).AddF("%.2f", s.beamNull).AddF("%.3f", s.weight);
    }
    return Sentence(f.Text());
}

std::string WritePtnta(const World &w)
{
    const CivilTime c = w.Civil();
    const double offset = w.PpsOffset();
    const long long phase = std::clamp<long long>(std::llround(offset * 1e9), -999, 999);
    long long count = std::llround(offset * 7.5e6) % 7500000;
    if (count < 0) count += 7500000;
    Fields f("PTNTA");
    f.Add(Format("%04d%02d%02d%02d%02d%02d", c.year, c.month, c.day, c.hour, c.minute, static_cast<int>(c.second)));
    f.Add(w.TimingQuality()).Add(1).Add(Format("%07lld", count)).Add(Format("%lld", phase));
    // Frequency offset (ppb) and oscillator temperature (degrees C).
    f.AddF("%.3f", offset * 1e3).AddF("%.1f", 41.0 + 0.002 * w.Elapsed());
    return Sentence(f.Text());
}

std::string WriteSynca(const World &w)
{
    Fields f("DODU");
    f.Add("SYNCA").Add(kSyncaVersion).AddF("%.2f", w.Uptime());
    const char *source = w.LoranUtcSynced() ? "LORANUTC" : w.GpsTimeKnown() ? "GPSUTC" : "NONE";
    f.Add(source);
    if (w.UtcKnown()) {
        const CivilTime c = w.Civil();
        f.Add(c.year).Add(c.month).Add(c.day).Add(c.hour).Add(c.minute).Add(static_cast<int>(c.second));
    } else {
        for (int i = 0; i < 6; ++i) f.Add("");
    }
    f.AddF("%.3f", w.SampleCountAtUtc()).Add(w.UtcKnown() ? 1 : 0).Add(GpsLeapSeconds(w.Utc()));
    f.AddF("%.1f", w.SyncOffsetNs());
    f.Add(w.LoranUtcSynced() ? ChainStations()[4].Id() : w.GpsTimeKnown() ? "GPS" : "");
    return Sentence(f.Text());
}

std::string WriteRmsg(const World &w, const RmsgMessage &m, int form)
{
    Fields f("DODU");
    if (form == 0) f.Add("RMSGA").Add(kRmsgVersion);
    else if (form == 1) f.Add("RMSG").Add(kRmsgVersion);
    else f.Add(kRmsgVersion).Add("RMSG");
    // Receiver time, station, message, corrected symbols, check passed.
    f.AddF("%.2f", w.Uptime()).Add(ChainStations()[m.station].Id()).Add(m.hex).Add(m.correctedSymbols).Add(1);
    return Sentence(f.Text());
}

std::string WriteGpposa(const World &w, bool older)
{
    const GpsEpoch &g = w.Gps();
    Fields f = DoduHeader("GPPOSA", "GPPOS", kGpposaVersion, older);
    if (g.fix) {
        const CivilTime c = w.Civil();
        f.Add(Hhmmss(c.secondOfDay)).Add(DdmmyyNoLeadingZero(c)).Add('G').Add(g.dgps ? 'E' : 'A');
        f.AddF("%.7f", g.position.lat).AddF("%.7f", g.position.lon).AddF("%.2f", g.height).AddF("%.2f", g.undulation);
        f.AddF("%.2f", g.speed).AddF("%.2f", g.course).AddF("%.2f", w.Compass()).Add(g.satellites);
        f.AddF("%.2f", g.hdop).AddF("%.2f", g.vdop).AddF("%.2f", g.pdop);
        if (!older) f.AddF("%.2f", g.dgps ? 0.95 : 0.80);
    } else {
        const TimeTriple tt = ReceiverTime(w);
        f.Add(tt.time).Add(tt.date).Add(w.UtcKnown() ? tt.source : 'N').Add('N');
        for (int i = 0; i < 6; ++i) f.Add("");   // latitude .. heading
        f.AddF("%.2f", w.Compass()).Add(g.satellites).Add("99.90").Add("99.90").Add("99.90");
        if (!older) f.Add("0.00");
    }
    return Sentence(f.Text());
}

std::string WriteInposa(const World &w, bool older)
{
    const GpsEpoch &g = w.Gps();
    const LoranSolution *loran = w.Solution('G');
    if (!loran) loran = w.Solution('D');
    if (!loran) loran = w.Solution('S');
    const char gpsLetter = !g.fix ? 'N' : g.dgps ? 'E' : 'A';
    const char loranLetter = loran ? loran->kind : 'N';

    // The integrated position leans on GPS and lets eLoran pull a little.
    bool have = true;
    LatLon p;
    if (g.fix && loran) {
        p.lat = 0.85 * g.position.lat + 0.15 * loran->position.lat;
        p.lon = 0.85 * g.position.lon + 0.15 * loran->position.lon;
    } else if (g.fix) {
        p = g.position;
    } else if (loran) {
        p = loran->position;
    } else {
        have = false;
    }
    Fields f = DoduHeader("INPOSA", "INPOS", kInposaVersion, older);
    const TimeTriple tt = ReceiverTime(w);
    f.Add(tt.time).Add(tt.date).Add(tt.source);
    if (older) f.Add(gpsLetter).Add(loranLetter);
    else f.Add(std::string{gpsLetter, loranLetter});
    if (have) f.AddF("%.7f", p.lat).AddF("%.7f", p.lon);
    else f.Add("").Add("");
    if (g.fix) f.AddF("%.2f", g.height).AddF("%.2f", g.undulation).AddF("%.2f", g.speed).AddF("%.2f", g.course);
    else if (loran) f.Add("").Add("").AddF("%.2f", loran->velocity).AddF("%.2f", loran->heading);
    else f.Add("").Add("").Add("").Add("");
    f.AddF("%.2f", w.Compass()).Add(g.fix ? g.satellites : 0).Add(loran ? static_cast<int>(loran->stations.size()) : 0);
    if (!older) {
        const double hdop = g.fix ? 0.9 * g.hdop : loran ? loran->hdop : 99.9;
        f.AddF("%.2f", hdop).AddF("%.2f", have ? (g.fix && loran ? 0.97 : 0.75) : 0.0);
    }
    return Sentence(f.Text());
}

namespace {

// Time, field-4 integer and time source of the Loran solution sentences: the
// UTC second of the day (and the date) once the receiver has UTC from eLoran,
// otherwise the seconds of its sample clock with source 'N'. The older forms
// always carry the sample-clock time; SYNCA relates it to UTC.
Fields LoranHeader(const World &w, const char *identifier, const char *oldIdentifier, bool older, char kind)
{
    Fields f = DoduHeader(identifier, oldIdentifier, kLcposaVersion, older);
    if (w.LoranUtcSynced() && !older) {
        const CivilTime c = w.Civil();
        f.AddF("%.2f", c.secondOfDay).Add(DdmmyyNoLeadingZero(c)).Add('L');
    } else {
        f.AddF("%.2f", w.Uptime()).Add(0).Add('N');
    }
    f.Add(kind);
    return f;
}

} // namespace

std::string WriteLcposa(const World &w, const LoranSolution &s, bool older)
{
    Fields f = LoranHeader(w, "LCPOSA", "LCPOS", older, s.kind);
    f.AddF("%.7f", s.position.lat).AddF("%.7f", s.position.lon).AddF("%.2f", s.velocity).AddF("%.2f", s.heading);
    f.AddF("%.2f", w.Compass()).Add(static_cast<int>(s.stations.size())).AddF("%.2f", s.hdop);
    return Sentence(f.Text());
}

std::string WriteLcrsda(const World &w, const LoranSolution &s, bool older)
{
    Fields f = LoranHeader(w, "LCRSDA", "LCRSD", older, s.kind);
    f.Add(static_cast<int>(s.stations.size()));
    for (size_t k = 0; k < s.stations.size(); ++k)
        f.Add(ChainStations()[s.stations[k]].Id()).AddF("%.2f", s.residuals[k]).AddF("%.3f", s.weights[k]);
    return Sentence(f.Text());
}

std::string WriteFft(const World &, const std::vector<double> &loop1, const std::vector<double> &loop2, double load,
                     int gain, bool older, bool fftPrefix)
{
    Fields f("DODU");
    if (older) f.Add(fftPrefix ? "FFT_1.0" : "1.0").Add("FFT");
    else f.Add("FFTA").Add("1.1");
    f.Add(Signals::kFftLength).Add(0).Add(static_cast<int>(loop1.size())).Add(Signals::kAverages);
    // The older version gives the DSP load in cycles per second of its 350 MHz processor.
    if (older) f.AddF("%.0f", load * 350e6);
    else f.AddF("%.3f", load);
    f.Add(gain);
    if (!older) f.Add(2);
    for (double v : loop1) f.AddF("%.1f", v);
    for (double v : loop2) f.AddF("%.1f", v);
    return Sentence(f.Text());
}

std::string WriteNotcha(const World &w, const std::vector<Notch> &notches, int active)
{
    Fields f("DODU");
    f.Add("NOTCHA").Add(kNotchaVersion).AddF("%.2f", w.Uptime()).Add(static_cast<int>(notches.size())).Add(active);
    for (const Notch &n : notches) f.AddF("%.1f", n.frequency).AddF("%.3f", n.bandwidth);
    return Sentence(f.Text());
}

std::string WriteAudio(const std::vector<int> &samples)
{
    Fields f("DODU");
    f.Add("LOOP1").Add("AUDIO").Add(Signals::kSamplePeriod).Add(Signals::kAudioBits);
    f.Add(PackSamplesBase64(samples, Signals::kAudioBits));
    return Sentence(f.Text());
}

std::string WritePsrposa(const World &w)
{
    const GpsEpoch &g = w.Gps();
    const bool timeKnown = w.GpsTimeKnown();
    const GpsTime gt = ToGpsTime(w.Utc());
    Fields header("PSRPOSA");
    header.Add("COM1").Add(0).AddF("%.1f", 58.5 + std::fmod(w.Elapsed() * 7.3, 20.0));
    header.Add(timeKnown ? "FINESTEERING" : "UNKNOWN").Add(timeKnown ? gt.week : 0);
    header.AddF("%.3f", timeKnown ? gt.secondsOfWeek : 0.0).Add("00000000").Add("6145").Add("2724");
    Fields body(g.fix ? "SOL_COMPUTED" : "INSUFFICIENT_OBS");
    if (g.fix) {
        const double sigmaH = g.dgps ? 0.7 : 2.1;
        body.Add(g.dgps ? "PSRDIFF" : "SINGLE").AddF("%.11f", g.position.lat).AddF("%.11f", g.position.lon);
        body.AddF("%.4f", g.height).AddF("%.4f", g.undulation).Add("WGS84");
        body.AddF("%.4f", sigmaH).AddF("%.4f", sigmaH * 0.8).AddF("%.4f", sigmaH * 1.7);
        body.Add(g.dgps ? "\"803\"" : "\"\"").AddF("%.3f", g.dgps ? g.dgpsAge : 0.0).Add("0.000");
        body.Add(g.satellites).Add(g.satellites).Add(0).Add(0).Add(0).Add("06").Add(0).Add("03");
    } else {
        body.Add("NONE").Add("0.00000000000").Add("0.00000000000").Add("0.0000").Add("0.0000").Add("WGS84");
        body.Add("0.0000").Add("0.0000").Add("0.0000").Add("\"\"").Add("0.000").Add("0.000");
        body.Add(g.satellites).Add(0).Add(0).Add(0).Add(0).Add("00").Add(0).Add("00");
    }
    return BoardLog(header.Text(), body.Text());
}

} // namespace sim
