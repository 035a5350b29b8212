// The simulated world: a receiver moving slowly around a reference position,
// the Loran chains it tracks, the GPS it uses, its clock and its position and
// heading solutions. One Step() is one receiver epoch (one second); the
// sentence writers read the state of the current epoch.
//
// The chains, the transmitter positions, the emission delays, the Eurofix
// identities and the reference position are illustrative: plausible values for
// north-west Europe, not a description of any real transmitter.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/eurofix.h"
#include "sim/geo.h"
#include "sim/rng.h"
#include "sim/timeutil.h"

namespace sim {

struct Transmitter {
    const char *name;
    LatLon position;
    double powerDb;       // relative to the usual 250 kW
    double asfBase;       // additional secondary factor on the path to the reference position, microseconds
    int eurofixId;        // Eurofix station identity (10 bits), 0 = no Eurofix
    const char *smsText;  // text the station broadcasts now and then, or null
};

// One station of a chain: a transmitter under a group repetition interval.
struct ChainStation {
    int transmitter;
    int gri;                // in tens of microseconds, as in the station identifier
    char suffix;            // M, W, X, Y, Z
    double emissionDelay;   // microseconds after the master
    std::string Id() const; // "7499M"
};

const std::vector<Transmitter> &Transmitters();
const std::vector<ChainStation> &ChainStations();
LatLon ReferencePosition();

// Status word bits of a station in the TOAA sentence (the program looks at the
// first two: 0x40 = no usable measurement, 0x01 = cycle not yet identified).
constexpr uint32_t kStateCycleUnknown = 0x0001;
constexpr uint32_t kStateTracking = 0x0002;
constexpr uint32_t kStateUsed = 0x0020;
constexpr uint32_t kStateNoSignal = 0x0040;
constexpr uint32_t kStateEurofix = 0x0080;

struct StationEpoch {
    bool acquired = false;
    bool cycleIdentified = false;
    double ss = 0, snr = 0;          // field strength dBuV/m, signal-to-noise ratio dB
    double bq = 0, ecd = 0, ciq = 0; // blend quality, envelope-to-cycle difference (us), cycle identification quality
    uint32_t state = kStateNoSignal;
    double toa = 0;                  // microseconds into the group repetition interval
    double doppler = 0;              // Hz at the 100 kHz carrier
    double lockTime = 0;             // seconds since lock
    double distance = 0;             // metres, receiver to transmitter (truth)
    double azimuth = 0;              // degrees, receiver to transmitter (truth)
    double propagation = 0;          // microseconds of the path, without clock
    double asfTrue = 0;              // microseconds
    double asfMap = 0;               // the receiver's ASF table value, microseconds
    double sigmaNs = 0;              // standard deviation of the TOA noise
    bool Usable() const { return acquired && cycleIdentified; }
};

struct LoranSolution {
    char kind = 'A';
    bool valid = false;
    LatLon position;
    double clockMetres = 0;
    double hdop = 0;
    double velocity = 0;             // m/s, from successive solutions
    double heading = 0;              // degrees, from successive solutions
    std::vector<int> stations;       // indexes into ChainStations()
    std::vector<double> residuals;   // metres
    std::vector<double> weights;     // sum 1
};

struct GpsEpoch {
    bool fix = false;
    bool dgps = false;               // corrected with Eurofix DGPS
    LatLon position;
    double height = 0;               // above mean sea level, metres
    double undulation = 0;           // geoid above ellipsoid, metres
    double speed = 0, course = 0;    // m/s, degrees
    int satellites = 0;
    double hdop = 99.9, vdop = 99.9, pdop = 99.9;
    double dgpsAge = 0;              // seconds since the newest correction
    std::vector<int> prns;           // satellites in view
};

struct HeadingStation {
    int station;                     // index into ChainStations()
    double beamOrientation;          // bearing of the station, degrees
    double measured;                 // measured direction of arrival, earth frame, degrees
    double quality;                  // 0..100
    double calculated;               // heading this station alone gives, degrees
    double beamNull;                 // beam-to-null ratio, dB
    double weight;                   // sum 1
};

struct LoopHeading {
    bool valid = false;              // enough stations
    bool ambiguitySolved = false;
    double heading = 0;              // of the antenna, degrees
    double std = 0;                  // degrees
    double quality = 0;
    std::vector<HeadingStation> stations;
};

struct RmsgMessage {
    int station;                     // index into ChainStations()
    std::string hex;
    int correctedSymbols;
};

struct DloraEntry {
    int station;
    double valueA, valueB;           // nanoseconds
};

class World {
public:
    World(uint64_t seed, double startUnix);

    // Advances to the next epoch; the first call makes epoch 0.
    void Step();

    int Epoch() const { return epoch_; }
    double Elapsed() const { return epoch_; }          // seconds since the start
    double Utc() const { return startUnix_ + epoch_; } // Unix seconds of this epoch
    CivilTime Civil() const { return ToCivil(Utc()); }
    double Uptime() const { return uptime_; }          // receiver seconds since power-up, on its own clock
    bool GpsTimeKnown() const { return gps_.fix || epoch_ >= kGpsFirstFix; }
    bool LoranUtcSynced() const { return epoch_ >= kLoranUtcSync; }
    bool UtcKnown() const { return GpsTimeKnown() || LoranUtcSynced(); }

    // Truth.
    LatLon TruePosition() const { return truePos_; }
    double TrueSpeed() const { return trueSpeed_; }
    double TrueHeading() const { return trueHeading_; }
    double HeadingRate() const { return headingRate_; }
    double TrueHeight() const { return trueHeight_; }
    double Undulation() const { return 43.1; }

    // Receiver clock and noise.
    double ClockErrorUs() const { return clockUs_; }
    double NoiseLoop(int loop) const { return loop == 1 ? noise1_.value + 60.2 : noise2_.value + 59.4; }
    double Compass() const { return compass_; }

    const std::vector<StationEpoch> &Stations() const { return stations_; }
    const std::vector<LoranSolution> &Solutions() const { return solutions_; }   // this epoch's valid ones
    const LoranSolution *Solution(char kind) const;
    bool CoarseOnly() const;
    const GpsEpoch &Gps() const { return gps_; }
    const LoopHeading &Loops() const { return loops_; }
    double AntennaOffset() const { return 45.0; }   // loop antenna mounted 45 degrees off the vehicle axis
    double InertialHeading() const { return inertial_; }

    bool DloraAvailable() const { return dloraAvailable_; }
    const std::vector<DloraEntry> &Dlora() const { return dlora_; }
    double DloraAge() const { return Elapsed() - dloraSnapshotTime_; }

    const std::vector<RmsgMessage> &Rmsg() const { return rmsg_; }

    // Timing receiver: PPS offset against the reference in seconds, and its quality code.
    int TimingQuality() const;
    double PpsOffset() const { return ppsOffset_; }

    // Sample-clock count (2.5 us per count) at this epoch's UTC second.
    double SampleCountAtUtc() const { return (uptime_) / 2.5e-6; }
    double SyncOffsetNs() const { return syncOffset_.value; }

    static constexpr int kGpsFirstFix = 8;
    static constexpr int kLoranUtcSync = 20;
    static constexpr int kDloraStart = 30;
    static constexpr int kCalibrated = 90;
    static constexpr int kAmbiguitySolved = 45;

private:
    void MoveTruth();
    void StepClock();
    void StepStations();
    void StepGps();
    void StepSolutions();
    void StepHeading();
    void StepDlora();
    void StepEurofix();
    bool Solve(LoranSolution &s, const std::vector<double> &asfModel, LatLon start);
    std::vector<int> VisiblePrns() const;
    DgpsCorrection CorrectionFor(int prn) const;

    double startUnix_;
    int epoch_ = -1;
    Rng rng_;

    LatLon truePos_;
    double trueSpeed_ = 0, trueHeading_ = 0, headingRate_ = 0, trueHeight_ = 0;
    double vNorth_ = 0, vEast_ = 0;

    double powerUp_;         // Unix time of the receiver's power-up
    double uptime_ = 0;
    double clockUs_ = 0;
    GaussMarkov clockWander_{0.02, 120.0};
    GaussMarkov noise1_{0.4, 30.0}, noise2_{0.4, 30.0};
    GaussMarkov compassErr_{0.8, 20.0};
    GaussMarkov inertialErr_{0.15, 30.0};
    GaussMarkov syncOffset_{4.0, 60.0};
    double compass_ = 0, inertial_ = 0;
    double ppsOffset_ = 0;

    struct StationModel {
        double asfAmplitude, asfPeriod, asfPhase;   // slow temporal ASF variation, microseconds
        double mapError;                            // error of the receiver's ASF table, microseconds
        double calibrationError;                    // error of the GPS calibration, microseconds
        double acquireAt;                           // seconds since start
        double cycleIdAt;
        double lockStart;
        bool flipped;                               // loop ambiguity before it is solved
        GaussMarkov fade{0.6, 40.0};
        GaussMarkov asfWander{0.006, 300.0};
        GaussMarkov toaNoise{1.0, 4.0};             // unit process, scaled by the SNR
        GaussMarkov ecd{0.04, 60.0};
    };
    std::vector<StationModel> models_;
    std::vector<StationEpoch> stations_;
    double AsfVariation(size_t i, double t) const;

    std::vector<LoranSolution> solutions_;
    std::array<LoranSolution, 5> lastSolutions_;   // by kind, for the start point and the velocity
    std::array<double, 5> smoothedVel_{}, smoothedHdg_{};   // north and east m/s, by kind
    std::array<int, 5> lastSolutionEpoch_{-10, -10, -10, -10, -10};
    std::vector<double> asfCalibrated_;

    GpsEpoch gps_;
    GaussMarkov gpsN_{2.2, 90.0}, gpsE_{1.6, 90.0}, gpsU_{3.5, 90.0};
    GaussMarkov dgpsN_{0.6, 60.0}, dgpsE_{0.5, 60.0}, dgpsU_{1.0, 60.0};
    GaussMarkov hdopWander_{0.08, 120.0};

    LoopHeading loops_;

    bool dloraAvailable_ = false;
    double dloraSnapshotTime_ = 0;
    std::vector<double> dloraVar_, dloraRate_;
    std::vector<DloraEntry> dlora_;

    struct EurofixState {
        int station;              // index into ChainStations()
        int sequence = 0;         // messages sent
        size_t nextPrn = 0;
        int etran = 0;
        int smsCount = 0;
    };
    std::vector<EurofixState> eurofix_;
    std::vector<RmsgMessage> rmsg_;
    std::array<double, 33> correctionTime_;   // elapsed seconds of the newest correction per PRN, -1e9 none
};

} // namespace sim
