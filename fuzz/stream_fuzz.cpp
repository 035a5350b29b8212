// A received stream (the sample's lines, mutated) through the router into the
// models that keep state from line to line: the TD station lists and their
// series, the position plot with its GPS history, the heading columns, the
// serial monitor's text and the Eurofix stations. The first byte picks the
// options a user could have set. No crash, and what each model keeps stays
// within its bounds.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/router.h"
#include "link/monitortext.h"
#include "plots/compass.h"
#include "plots/eurofix.h"
#include "plots/positionplot.h"
#include "plots/rmsg.h"
#include "plots/tdintake.h"
#include "plots/tdmodel.h"

namespace {

void Require(bool ok)
{
    if (!ok) std::abort();
}

struct EurofixStation {
    DgpsCorrectionTable Corrections;
    SmsAssembler Sms;
};

struct Models : RouteTarget {
    unsigned options;
    TDStationList td[3];   // TOAA, DLORA, DASFA
    PositionPlotModel position;
    HeadingColumns heading;
    std::map<StationCode, EurofixStation> eurofix;
    int lines = 0;

    explicit Models(unsigned o) : options(o)
    {
        position.Source = static_cast<GpsSource>(o % 3);
        position.SetLoranVsGps(o & 4);
        position.SetMaxPoints(o & 8 ? 3 : 200);
    }

    void Route(SentenceType type, const char *line) override
    {
        switch (type) {
        case SentenceType::Toaa: Td(0, line); break;
        case SentenceType::Dlora: Td(1, line); break;
        case SentenceType::Dasfa: Td(2, line); break;
        case SentenceType::Gpgga: case SentenceType::Gpposa: case SentenceType::Inposa:
        case SentenceType::Lcposa: case SentenceType::Synca: case SentenceType::Psrposa: Position(line); break;
        case SentenceType::Hdga: Heading(line); break;
        case SentenceType::Rmsg: Eurofix(line); break;
        default: break;
        }
        if (++lines % 64 == 0) Tick();
    }

    void Td(int kind, const char *line)
    {
        TDSentence s;
        const bool ok = kind == 0 ? ReadToaaSentence(line, s) : kind == 1 ? ReadDloraSentence(line, s)
                                                                          : ReadDasfaSentence(line, s);
        if (ok && kind > 0) s.X = td[kind].ContinueTimeOfDay(s.X);
        if (ok) td[kind].Add(s);
        td[kind].Trim(options & 16 ? 5 : 500);
    }

    void Position(const char *line)
    {
        position.NewData(line);
        if (position.Changed.Redraw()) position.UpdateStatistics();
        position.Changed = {};
        for (const PositionData &t : position.Tracks) Require(t.Points.size() <= static_cast<size_t>(MaxPoints));
    }

    void Heading(const char *line)
    {
        HdgaRecord record;
        if (record.Parse(line) != 0) return;
        const HeadingColumns::Update u = heading.Take(record);
        Require(u.Column >= -1 && u.Column < HeadingColumns::Count);
        if (u.HeadingShown) Require(heading.shownHeading[u.Column] >= 0.0f && heading.shownHeading[u.Column] < 360.0f);
    }

    void Eurofix(const char *line)
    {
        RmsgRecord r;
        if (r.Parse(line) != 0) return;
        auto at = eurofix.find(r.Code);
        if (at == eurofix.end()) {
            if (eurofix.size() >= MaxEurofixStations) return;
            at = eurofix.emplace(r.Code, EurofixStation{}).first;
            at->second.Corrections.SetMaxAge(40.0);
        }
        EurofixStation &s = at->second;
        DgpsMessage dgps;
        StationHealthMessage health;
        SmsMessage sms;
        UtcMessage utc;
        ETranMessage etran;
        std::string text;
        if (DecodeDgps(dgps, r.Message) == EurofixDecoded) {
            s.Corrections.Store(dgps.Correction);
            Require(DgpsGridRowsOf(s.Corrections).size() < DgpsGridRows);
        } else if (DecodeStationHealth(health, r.Message) == EurofixDecoded) {
            HealthText(health.Health);
        } else if (DecodeSms(sms, r.Message) == EurofixDecoded) {
            s.Sms.Add(sms, text);
            Require(s.Sms.Pending().size() <= SmsAssembler::MaxText);
        } else if (DecodeUtc(utc, r.Message) == EurofixDecoded) {
            FormatUtc(utc, 1234.5);
        } else if (DecodeETran(etran, r.Message) == EurofixDecoded) {
            ETranText(etran.ETranType);
        }
        const EurofixLayout layout = PlanEurofixLayout(static_cast<int>(eurofix.size()), 4, 2, 1600, 900);
        Require(layout.Places.size() == eurofix.size());
    }

    // What the windows' timers and redraws do now and then.
    void Tick()
    {
        heading.Tick();
        for (auto &entry : eurofix) entry.second.Corrections.AgeOut();
        TDRedrawOptions o{(options & 32) != 0, (options & 64) != 0, (options & 128) != 0, (options & 2) != 0};
        std::vector<TDXY> points;
        for (TDStationList &list : td) {
            TDAutoscale scale;
            const TDStationClass *master = list.empty() ? nullptr : list[static_cast<size_t>(lines) % list.size()];
            for (const auto &station : list) {
                const TDSeriesResult r = TDPlotModel::BuildStationSeries(*station, master, o, points);
                Require(r.Count == points.size());
                if (r.Count > 0) scale.Include(r.MinY, r.MaxY);
                TDPlotModel::StatisticsLine(station->Name, r.Mean, r.Std);
            }
            Require(!(scale.Bottom() > scale.Top()));
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    Models models(data[0]);
    SentenceRouter router(models);
    MonitorText monitor;
    monitor.Mode = data[0] & 1 ? MonitorText::FilterMode::Include : MonitorText::FilterMode::Exclude;
    MonitorText::PendingLine().clear();
    const char *text = reinterpret_cast<const char *>(data + 1);
    for (size_t at = 0, n; at < size - 1; at += n) {
        n = std::min<size_t>(size - 1 - at, 97);   // chunks as a port delivers them
        router.Feed(text + at, n);
        monitor.AddData(std::string(text + at, n));
        Require(monitor.AllText.size() <= MonitorText::MaxText && monitor.FilteredText.size() <= MonitorText::MaxText);
    }
    models.Tick();
    return 0;
}
