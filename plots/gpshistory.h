// The last GPS fixes, from which the GPS position at the epoch of an eLoran
// solution is interpolated, and the last SYNCA record that ties the receiver's
// sample clock to UTC.
#pragma once

#include <functional>

#include "logs/synca.h"
#include "plots/geodesy.h"
#include "sentence/fields.h"

class GpsHistory {
public:
    static constexpr int Slots = 20;
    static constexpr double MaxAge = 30.0;           // seconds a fix is kept around the newest
    static constexpr double SecondsInDay = 86400.0;
    static constexpr double HalfDay = 43200.0;
    static constexpr double SamplePeriod = 2.5e-6;   // one SYNCA sample count

    LatLon Positions[Slots];   // degrees; an empty slot holds 0, 0
    double Times[Slots];       // UTC second of day; not above -0.5: empty
    int WriteIndex = 0;        // the slot the next fix overwrites
    SyncaRecord LastSynca;     // the last accepted SYNCA; all zero until one is

    // Receives the texts of the two sanity checks of the interpolation.
    std::function<void(const char *text)> Warn;

    GpsHistory() { Reset(); }
    void Reset();

    // Keeps the record when it has a sample count, is synchronised to UTC and
    // its source begins like "LORANUTC".
    void StoreSynca(const SyncaRecord &rec);
    // Drops the fixes more than maxAge seconds from `now`, across midnight, then
    // stores latitude and longitude of the fix at utcSeconds (modulo a day). A
    // fix without a usable time (negative, as -1 for none, or not finite) is not
    // stored and removes nothing.
    void AddGps(const GeoPosition &fix, double utcSeconds);
    void Purge(double now, double maxAge);

    // The GPS position at a UTC second of day, linear between the latest fix
    // before it and the earliest at or after it; false (out untouched) when
    // either is missing. Only latitude and longitude are written.
    bool InterpolateAt(GeoPosition *out, double utcSeconds) const;
    // The same at a time on the receiver's sample clock, through the last SYNCA.
    bool InterpolateAtSync(GeoPosition *out, double receiverSeconds) const;
    // A time on the receiver's sample clock as a UTC second of day in [0, 86400),
    // through the last SYNCA (meaningful once one is stored).
    double SyncedUtcSeconds(double receiverSeconds) const;

    bool Filled(int slot) const { return Times[slot] > -0.5; }
};
