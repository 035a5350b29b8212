#include "plots/gpshistory.h"

#include <cmath>
#include <cstring>
#include <strings.h>

namespace {

// A difference of seconds of day brought into the half day either side.
double WrapDay(double dt)
{
    if (dt < -GpsHistory::HalfDay) return dt + GpsHistory::SecondsInDay;
    if (dt > GpsHistory::HalfDay) return dt - GpsHistory::SecondsInDay;
    return dt;
}

} // namespace

void GpsHistory::Reset()
{
    WriteIndex = 0;
    std::memset(static_cast<void *>(&LastSynca), 0, sizeof LastSynca);
    for (int i = 0; i < Slots; ++i) {
        Positions[i] = LatLon{};
        Times[i] = -1.0;
    }
}

void GpsHistory::StoreSynca(const SyncaRecord &rec)
{
    if (!(rec.SampleCount > 0.0) || rec.UtcSync == 0) return;
    if (strncasecmp(rec.SyncSource, "LORANUTC", 6) != 0) return;
    LastSynca = rec;
}

void GpsHistory::Purge(double now, double maxAge)
{
    for (int i = 0; i < Slots; ++i) {
        const double dt = WrapDay(Times[i] - now);
        if (dt > maxAge || dt < -maxAge) {
            Times[i] = -1.0;
            Positions[i] = LatLon{};
        }
    }
}

void GpsHistory::AddGps(const GeoPosition &fix, double utcSeconds)
{
    // A fix without a usable time (-1 for none) would purge every fix around
    // the true time and could never be interpolated: it is left out.
    if (!(utcSeconds >= 0.0) || !std::isfinite(utcSeconds)) return;
    Purge(utcSeconds, MaxAge);
    Positions[WriteIndex] = LatLon{fix.Latitude, fix.Longitude};
    Times[WriteIndex] = std::fmod(utcSeconds, SecondsInDay);
    WriteIndex = (WriteIndex + 1) % Slots;
}

bool GpsHistory::InterpolateAt(GeoPosition *out, double T) const
{
    int before = -1, after = -1;
    double bestBefore = 0.0, bestAfter = 0.0;
    for (int i = 0; i < Slots; ++i) {
        if (!Filled(i)) continue;
        const double dt = WrapDay(Times[i] - T);
        if (dt < 0) {
            if (before < 0 || dt > bestBefore) {
                before = i;
                bestBefore = dt;
            }
        } else if (dt >= 0) {
            if (after < 0 || dt < bestAfter) {
                after = i;
                bestAfter = dt;
            }
        }
    }
    if (before < 0 || after < 0) return false;

    double span = Times[after] - Times[before];
    if (span < -HalfDay) {
        span += SecondsInDay;
    } else if (span > HalfDay) {
        span -= SecondsInDay;
        if (Warn) Warn("   DEBUG: Diff>SecondsInDay/2???    ");
    }
    double frac = T - Times[before];
    if (frac < -HalfDay) {
        frac += SecondsInDay;
    } else if (frac > HalfDay) {
        frac -= SecondsInDay;
        if (Warn) Warn("   DEBUG: Fraction>SecondsInDay/2???    ");
    }
    if (!(span > 0)) return false;

    const double f = frac / span;
    const LatLon &b = Positions[before];
    const LatLon &a = Positions[after];
    const double latitude = b.Latitude + (a.Latitude - b.Latitude) * f;
    double dlon = a.Longitude - b.Longitude;
    if (dlon < -180.0) dlon += 360.0;
    else if (dlon > 180.0) dlon -= 360.0;
    double longitude = b.Longitude + f * dlon;
    if (longitude < -180.0) longitude += 360.0;
    else if (longitude > 180.0) longitude -= 360.0;
    out->Latitude = latitude;
    out->Longitude = longitude;
    return true;
}

bool GpsHistory::InterpolateAtSync(GeoPosition *out, double t) const
{
    if (!(LastSynca.SampleCount > 0.0) || LastSynca.UtcSync == 0) return false;
    return InterpolateAt(out, SyncedUtcSeconds(t));
}

double GpsHistory::SyncedUtcSeconds(double t) const
{
    const double synced = static_cast<double>(LastSynca.Hour) * 3600.0 + static_cast<double>(LastSynca.Minute) * 60.0 +
                          static_cast<double>(LastSynca.Second);
    // fmod keeps the sign: a sample count of more than a day (or a time long
    // before the SYNCA) gives a negative remainder, which is a day short.
    const double T = std::fmod(synced - SamplePeriod * LastSynca.SampleCount + t + SecondsInDay, SecondsInDay);
    return T < 0.0 ? T + SecondsInDay : T;
}
