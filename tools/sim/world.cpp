#include "sim/world.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kPrimaryFactor = 1.000338;          // refractive index of air at the ground
constexpr double kCarrierWavelength = 2997.92458;    // metres at 100 kHz
constexpr int kKinds = 5;
const char kKindLetters[kKinds + 1] = "CASDG";

int KindIndex(char kind)
{
    for (int i = 0; i < kKinds; ++i)
        if (kKindLetters[i] == kind) return i;
    return 0;
}

struct SatelliteView {
    int prn;
    double rise, set;   // seconds since the start
    double prcAmplitude, prcPeriod, prcPhase, prcBias;
    int iode;
};

const std::vector<SatelliteView> &Satellites()
{
    static const std::vector<SatelliteView> sats = {
        {2, -1e9, 470, 12.0, 900, 0.3, -4.1, 41},  {5, -1e9, 1e9, 6.5, 1300, 1.2, 2.2, 17},
        {9, -1e9, 1e9, 9.1, 1100, 2.1, -1.5, 88},  {12, -1e9, 1e9, 4.4, 1700, 0.7, 5.3, 130},
        {14, -1e9, 1e9, 15.2, 800, 4.0, -7.7, 203}, {17, -1e9, 1e9, 7.7, 1500, 5.1, 0.9, 64},
        {21, -1e9, 1e9, 11.3, 950, 2.9, 3.6, 251}, {24, -1e9, 1e9, 5.9, 1250, 3.3, -2.8, 9},
        {26, -1e9, 1e9, 8.8, 1050, 1.8, 1.4, 112}, {29, 230, 1e9, 21.0, 700, 0.1, -9.2, 77},
        {30, -1e9, 1e9, 3.7, 2000, 4.4, 6.6, 190},
    };
    return sats;
}

} // namespace

std::string ChainStation::Id() const
{
    return std::to_string(gri) + suffix;
}

const std::vector<Transmitter> &Transmitters()
{
    // Illustrative sites: plausible positions for a north-west European network.
    static const std::vector<Transmitter> t = {
        {"Lessay", {49.1466, -1.5064}, 1.1, 0.62, 804, "LESSAY EUROFIX TEST TRANSMISSION"},
        {"Soustons", {43.7356, -1.3781}, 0.0, 0.91, 0, nullptr},
        {"Sylt", {54.8079, 8.2947}, 1.1, 0.48, 803, "SYLT: DGPS SERVICE NOMINAL. HAVE A NICE DAY"},
        {"Vaerlandet", {61.2970, 4.6963}, 0.0, 0.71, 0, nullptr},
        {"Ejde", {62.2993, -7.0885}, 1.5, 0.83, 0, nullptr},
        {"Bo", {68.6336, 14.4633}, 0.0, 1.12, 0, nullptr},
        {"Jan Mayen", {70.9147, -8.7322}, 0.0, 1.05, 0, nullptr},
        {"Anthorn", {54.9116, -3.2782}, 0.8, 0.57, 0, nullptr},
    };
    return t;
}

const std::vector<ChainStation> &ChainStations()
{
    // Three chains, some transmitters dual-rated; emission delays illustrative.
    static const std::vector<ChainStation> s = {
        {0, 6731, 'M', 0.0},     {1, 6731, 'X', 13000.0}, {2, 6731, 'Y', 27300.0}, {7, 6731, 'Z', 42100.0},
        {2, 7499, 'M', 0.0},     {0, 7499, 'X', 15000.0}, {3, 7499, 'Y', 39000.0},
        {4, 9007, 'M', 0.0},     {6, 9007, 'W', 14000.0}, {5, 9007, 'X', 27000.0}, {3, 9007, 'Y', 51000.0},
    };
    return s;
}

LatLon ReferencePosition() { return {52.0116, 4.3571}; }

World::World(uint64_t seed, double startUnix)
    : startUnix_(startUnix), rng_(seed), powerUp_(startUnix - 25.37)
{
    const auto &chain = ChainStations();
    models_.resize(chain.size());
    stations_.resize(chain.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        StationModel &m = models_[i];
        m.asfAmplitude = rng_.Uniform(0.02, 0.06);
        m.asfPeriod = rng_.Uniform(1200.0, 3600.0);
        m.asfPhase = rng_.Uniform(0.0, 2.0 * kPi);
        m.mapError = rng_.Normal(0.015);
        m.calibrationError = rng_.Normal(0.004);
        m.acquireAt = 1e9;
        m.cycleIdAt = 1e9;
        m.lockStart = 0;
        m.flipped = rng_.Chance(0.5);
        if (Transmitters()[chain[i].transmitter].name == std::string("Jan Mayen")) m.fade = GaussMarkov(2.0, 90.0);
        m.fade.Start(rng_);
        m.asfWander.Start(rng_);
        m.toaNoise.Start(rng_);
        m.ecd.Start(rng_);
    }
    asfCalibrated_.assign(chain.size(), 0.0);
    dloraVar_.assign(chain.size(), 0.0);
    dloraRate_.assign(chain.size(), 0.0);
    clockWander_.Start(rng_);
    noise1_.Start(rng_);
    noise2_.Start(rng_);
    compassErr_.Start(rng_);
    inertialErr_.Start(rng_);
    syncOffset_.Start(rng_);
    gpsN_.Start(rng_);
    gpsE_.Start(rng_);
    gpsU_.Start(rng_);
    dgpsN_.Start(rng_);
    dgpsE_.Start(rng_);
    dgpsU_.Start(rng_);
    hdopWander_.Start(rng_);
    correctionTime_.fill(-1e9);
    for (size_t i = 0; i < chain.size(); ++i)
        if (chain[i].suffix == 'M' && Transmitters()[chain[i].transmitter].eurofixId != 0)
            eurofix_.push_back({static_cast<int>(i), 0, 0, static_cast<int>(i) % 8, 0});
}

void World::Step()
{
    ++epoch_;
    MoveTruth();
    StepClock();
    StepStations();
    StepEurofix();
    StepDlora();
    StepGps();
    StepSolutions();
    StepHeading();
}

void World::MoveTruth()
{
    // A slow figure of eight, about 240 m by 140 m, once round in 15 minutes.
    const double t = Elapsed();
    const double w = 2.0 * kPi / 900.0;
    const double north = 110.0 * std::sin(w * t) + 12.0 * std::sin(3.1 * w * t + 0.5);
    const double east = 70.0 * std::sin(2.0 * w * t) + 9.0 * std::cos(1.7 * w * t) - 9.0;
    vNorth_ = 110.0 * w * std::cos(w * t) + 12.0 * 3.1 * w * std::cos(3.1 * w * t + 0.5);
    vEast_ = 140.0 * w * std::cos(2.0 * w * t) - 9.0 * 1.7 * w * std::sin(1.7 * w * t);
    const double aNorth = -110.0 * w * w * std::sin(w * t) - 12.0 * 9.61 * w * w * std::sin(3.1 * w * t + 0.5);
    const double aEast = -280.0 * w * w * std::sin(2.0 * w * t) - 9.0 * 2.89 * w * w * std::cos(1.7 * w * t);
    truePos_ = Offset(ReferencePosition(), north, east);
    trueSpeed_ = std::hypot(vNorth_, vEast_);
    trueHeading_ = Wrap360(std::atan2(vEast_, vNorth_) / kDeg);
    headingRate_ = (vNorth_ * aEast - vEast_ * aNorth) / (trueSpeed_ * trueSpeed_) / kDeg;
    trueHeight_ = 2.0 + 0.3 * std::sin(w * t);
}

void World::StepClock()
{
    const double t = Elapsed();
    clockUs_ = 0.42 + 0.0006 * t + clockWander_.Step(rng_, 1.0);
    uptime_ = Utc() - powerUp_ + clockUs_ * 1e-6;
    noise1_.Step(rng_, 1.0);
    noise2_.Step(rng_, 1.0);
    syncOffset_.Step(rng_, 1.0);
    compass_ = Wrap360(trueHeading_ + 0.6 + compassErr_.Step(rng_, 1.0));
    inertial_ = Wrap360(trueHeading_ + 0.4 + inertialErr_.Step(rng_, 1.0));

    // PPS of the timing receiver: free running at first, then disciplined.
    if (t < 60)
        ppsOffset_ = 37.4e-6 - 0.35e-6 * t + rng_.Normal(20e-9);
    else
        ppsOffset_ = 16.4e-6 * std::exp(-(t - 60) / 8.0) + rng_.Normal(9e-9);
}

int World::TimingQuality() const
{
    if (Elapsed() < 5) return 0;
    return Elapsed() < 60 ? 1 : 2;
}

double World::AsfVariation(size_t i, double t) const
{
    const StationModel &m = models_[i];
    return m.asfAmplitude * std::sin(2.0 * kPi * t / m.asfPeriod + m.asfPhase) + m.asfWander.value;
}

void World::StepStations()
{
    const auto &chain = ChainStations();
    const auto &tx = Transmitters();
    const double t = Elapsed();

    // Rank the stations by strength once, to stagger their acquisition.
    std::vector<double> snrNow(chain.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        StationModel &m = models_[i];
        StationEpoch &s = stations_[i];
        const Transmitter &x = tx[chain[i].transmitter];
        const DistanceBearing db = Inverse(truePos_, x.position);
        const double km = db.metres / 1000.0;
        s.distance = db.metres;
        s.azimuth = db.azimuth;
        m.fade.Step(rng_, 1.0);
        m.asfWander.Step(rng_, 1.0);
        m.toaNoise.Step(rng_, 1.0);
        m.ecd.Step(rng_, 1.0);
        double extraFade = 0.0;
        if (std::string(x.name) == "Jan Mayen") extraFade = 4.5 * std::sin(2.0 * kPi * t / 170.0);
        s.ss = 133.0 + x.powerDb - 20.0 * std::log10(km) - 0.0035 * km + m.fade.value + extraFade;
        s.snr = s.ss - 60.0 + rng_.Normal(0.3);
        snrNow[i] = s.snr;
    }

    for (size_t i = 0; i < chain.size(); ++i) {
        StationModel &m = models_[i];
        StationEpoch &s = stations_[i];
        const ChainStation &c = chain[i];
        const Transmitter &x = tx[c.transmitter];

        // Acquisition, cycle identification, loss of signal.
        if (!s.acquired) {
            if (m.acquireAt > 1e8 && s.snr > -7.0) {
                int stronger = 0;
                for (double v : snrNow) stronger += v > s.snr;
                m.acquireAt = t + 2.0 + stronger + (s.snr < 0 ? 6.0 : 0.0) + rng_.Uniform(0.0, 2.0);
            }
            if (t >= m.acquireAt) {
                s.acquired = true;
                s.cycleIdentified = false;
                m.lockStart = t;
                m.cycleIdAt = t + (s.snr > 10 ? 12.0 : s.snr > 0 ? 20.0 : 35.0) + rng_.Uniform(0.0, 4.0);
            }
        } else if (s.snr < -8.5) {
            s.acquired = false;
            s.cycleIdentified = false;
            m.acquireAt = 1e9;
        }
        if (s.acquired && !s.cycleIdentified && t >= m.cycleIdAt) s.cycleIdentified = true;

        s.asfTrue = x.asfBase + AsfVariation(i, t);
        s.asfMap = x.asfBase + m.mapError;
        s.propagation = s.distance * kPrimaryFactor / kSpeedOfLight * 1e6 + s.asfTrue;
        s.sigmaNs = 10.0 + 60.0 * std::pow(10.0, -s.snr / 20.0);
        s.bq = 1.0 / (1.0 + std::exp(-s.snr / 5.0));
        s.ecd = std::clamp(0.25 - 0.00035 * s.distance / 1000.0 + m.ecd.value, -0.95, 0.95);
        if (!s.acquired) {
            s.state = kStateNoSignal;
            s.toa = 0.0;
            s.doppler = 0.0;
            s.lockTime = 0.0;
            s.ciq = 0.0;
            continue;
        }
        s.lockTime = t - m.lockStart;
        s.ciq = s.cycleIdentified ? std::min(0.999, 0.9 + 0.004 * s.snr + rng_.Normal(0.01))
                                  : std::min(0.85, 0.3 + 0.02 * s.lockTime);
        s.state = kStateTracking;
        if (!s.cycleIdentified) s.state |= kStateCycleUnknown;
        else s.state |= kStateUsed;
        if (x.eurofixId != 0 && c.suffix == 'M' && s.cycleIdentified) s.state |= kStateEurofix;
        s.toa = c.emissionDelay + s.propagation + clockUs_ + m.toaNoise.value * s.sigmaNs * 1e-3;
        const double rangeRate = -(vNorth_ * std::cos(s.azimuth * kDeg) + vEast_ * std::sin(s.azimuth * kDeg));
        s.doppler = -rangeRate / kCarrierWavelength + rng_.Normal(2e-5);
    }
}

std::vector<int> World::VisiblePrns() const
{
    std::vector<int> prns;
    for (const SatelliteView &s : Satellites())
        if (Elapsed() >= s.rise && Elapsed() < s.set) prns.push_back(s.prn);
    return prns;
}

DgpsCorrection World::CorrectionFor(int prn) const
{
    DgpsCorrection c;
    for (const SatelliteView &s : Satellites()) {
        if (s.prn != prn) continue;
        const double t = Elapsed();
        const double w = 2.0 * kPi / s.prcPeriod;
        c.prn = prn;
        c.prcMetres = s.prcBias + s.prcAmplitude * std::sin(w * t + s.prcPhase);
        c.rrcMetresPerSecond = s.prcAmplitude * w * std::cos(w * t + s.prcPhase);
        c.iode = s.iode;
        c.udreClass = s.prcAmplitude > 14.0 ? 1 : 0;
        // The modified Z-count is GPS time within the hour.
        c.zcountSeconds = std::fmod(Utc() + GpsLeapSeconds(Utc()), 3600.0);
    }
    return c;
}

void World::StepEurofix()
{
    rmsg_.clear();
    const double t = Elapsed();
    for (EurofixState &e : eurofix_) {
        const StationEpoch &s = stations_[e.station];
        if (!s.Usable()) continue;
        const Transmitter &x = Transmitters()[ChainStations()[e.station].transmitter];
        const int pos = e.sequence % 60;
        const int minute = e.sequence / 60;
        ++e.sequence;
        const std::string sms = x.smsText ? x.smsText : "";
        const int chunks = std::min(8, static_cast<int>((sms.size() + 5) / 6));
        const double utcRef = Utc() + 0.0246813;   // the pulse group the time refers to
        const CivilTime ct = ToCivil(std::floor(utcRef));
        const double secondsInHour = std::fmod(utcRef, 3600.0);
        const int hourOfYear =
            static_cast<int>((DaysFromCivil(ct.year, ct.month, ct.day) - DaysFromCivil(ct.year, 1, 1)) * 24 + ct.hour);
        std::string hex;
        if (pos == 0) {
            hex = EncodeHealth(x.eurofixId, std::string(x.name) == "Sylt" ? 0 : 2);
        } else if (pos == 5 || pos == 15 || pos == 25 || pos == 35) {
            const int subtype = pos == 5 ? 1 : pos == 15 ? 2 : pos == 25 ? 0 : 3;
            hex = EncodeUtc(subtype, secondsInHour, hourOfYear, ct.year, GpsLeapSeconds(Utc()), 0);
        } else if (pos == 10 || pos == 30) {
            hex = EncodeETran(e.etran);
            e.etran = (e.etran + 1) % 8;
        } else if (pos == 20) {
            hex = EncodeType2(static_cast<uint32_t>(rng_.Next()));
        } else if (pos >= 40 && pos < 40 + chunks && minute % 2 == 1) {
            const int k = pos - 40;
            hex = EncodeSms(k, k == chunks - 1, sms.substr(static_cast<size_t>(k) * 6, 6));
        } else {
            const std::vector<int> prns = VisiblePrns();
            const int prn = prns[e.nextPrn % prns.size()];
            ++e.nextPrn;
            hex = EncodeDgps(CorrectionFor(prn));
            // The GPS receiver takes its corrections from the first Eurofix station.
            if (&e == &eurofix_.front()) correctionTime_[prn] = t;
        }
        const int corrected = rng_.Chance(0.85) ? 0 : 1 + rng_.Below(2);
        rmsg_.push_back({e.station, hex, corrected});
    }
}

void World::StepDlora()
{
    const double t = Elapsed();
    dlora_.clear();
    if (t < kDloraStart) return;
    // The reference station sends fresh corrections every ten seconds; in between
    // the receiver carries them forward with their rates.
    if (!dloraAvailable_ || t - dloraSnapshotTime_ >= 10.0) {
        dloraAvailable_ = true;
        dloraSnapshotTime_ = t;
        for (size_t i = 0; i < stations_.size(); ++i) {
            const StationModel &m = models_[i];
            dloraVar_[i] = AsfVariation(i, t) + rng_.Normal(0.002);
            dloraRate_[i] = m.asfAmplitude * 2.0 * kPi / m.asfPeriod * std::cos(2.0 * kPi * t / m.asfPeriod + m.asfPhase);
        }
    }
    const double age = t - dloraSnapshotTime_;
    for (size_t i = 0; i < stations_.size(); ++i)
        if (stations_[i].Usable())
            dlora_.push_back({static_cast<int>(i), -dloraVar_[i] * 1000.0, -dloraRate_[i] * age * 1000.0});
}

void World::StepGps()
{
    const double t = Elapsed();
    gpsN_.Step(rng_, 1.0);
    gpsE_.Step(rng_, 1.0);
    gpsU_.Step(rng_, 1.0);
    dgpsN_.Step(rng_, 1.0);
    dgpsE_.Step(rng_, 1.0);
    dgpsU_.Step(rng_, 1.0);
    hdopWander_.Step(rng_, 1.0);
    gps_.prns = VisiblePrns();
    gps_.fix = t >= kGpsFirstFix;
    if (!gps_.fix) {
        gps_ = GpsEpoch{};
        gps_.prns = VisiblePrns();
        gps_.satellites = static_cast<int>(std::min<size_t>(3, static_cast<size_t>(t / 2)));
        return;
    }
    // DGPS when at least four satellites in view have corrections younger than 40 s.
    int corrected = 0;
    double newest = -1e9;
    for (int prn : gps_.prns) {
        if (t - correctionTime_[prn] < 40.0) ++corrected;
        newest = std::max(newest, correctionTime_[prn]);
    }
    gps_.dgps = corrected >= 4;
    gps_.dgpsAge = gps_.dgps ? t - newest : 0.0;
    const double n = gps_.dgps ? dgpsN_.value : gpsN_.value;
    const double e = gps_.dgps ? dgpsE_.value : gpsE_.value;
    const double u = gps_.dgps ? dgpsU_.value : gpsU_.value;
    gps_.position = Offset(truePos_, n, e);
    gps_.height = trueHeight_ + u;
    gps_.undulation = Undulation();
    const double vn = vNorth_ + rng_.Normal(0.03), ve = vEast_ + rng_.Normal(0.03);
    gps_.speed = std::hypot(vn, ve);
    gps_.course = Wrap360(std::atan2(ve, vn) / kDeg);
    gps_.satellites = std::min<int>(12, static_cast<int>(gps_.prns.size()));
    gps_.hdop = 0.55 + 4.0 / gps_.satellites + hdopWander_.value;
    gps_.vdop = 1.55 * gps_.hdop;
    gps_.pdop = std::hypot(gps_.hdop, gps_.vdop);
}

bool World::Solve(LoranSolution &s, const std::vector<double> &asfModel, LatLon start)
{
    const auto &chain = ChainStations();
    const auto &tx = Transmitters();
    std::vector<int> used;
    for (size_t i = 0; i < stations_.size(); ++i)
        if (stations_[i].Usable()) used.push_back(static_cast<int>(i));
    // Dual-rated transmitters appear under two stations: the geometry needs
    // three different transmitters besides four measurements.
    std::vector<int> sites;
    for (int i : used)
        if (std::find(sites.begin(), sites.end(), chain[i].transmitter) == sites.end()) sites.push_back(chain[i].transmitter);
    if (used.size() < 4 || sites.size() < 3) return false;

    // Pseudoranges in metres: the measured TOA without emission delay and the
    // ASF this solution believes in.
    std::vector<double> z(used.size()), w(used.size());
    for (size_t k = 0; k < used.size(); ++k) {
        const int i = used[k];
        z[k] = (stations_[i].toa - chain[i].emissionDelay - asfModel[i]) * 1e-6 * kSpeedOfLight / kPrimaryFactor;
        const double sigma = stations_[i].sigmaNs * 0.3;   // metres
        w[k] = 1.0 / (sigma * sigma);
    }

    LatLon pos = start;
    double bias = s.clockMetres;
    std::vector<double> az(used.size()), d(used.size());
    double Q[3][3] = {};
    for (int iter = 0; iter < 5; ++iter) {
        double N[3][3] = {}, b[3] = {}, U[3][3] = {};
        for (size_t k = 0; k < used.size(); ++k) {
            const DistanceBearing db = Inverse(pos, tx[chain[used[k]].transmitter].position);
            d[k] = db.metres;
            az[k] = db.azimuth;
            const double h[3] = {-std::cos(az[k] * kDeg), -std::sin(az[k] * kDeg), 1.0};
            const double r = z[k] - (d[k] + bias);
            for (int a = 0; a < 3; ++a) {
                b[a] += w[k] * h[a] * r;
                for (int c = 0; c < 3; ++c) {
                    N[a][c] += w[k] * h[a] * h[c];
                    U[a][c] += h[a] * h[c];
                }
            }
        }
        // Solve N x = b by Cramer's rule (3 x 3), and invert U for the HDOP.
        auto det3 = [](const double m[3][3]) {
            return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                   m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        };
        const double dn = det3(N), du = det3(U);
        if (std::fabs(dn) < 1e-30 || std::fabs(du) < 1e-30) return false;
        double x[3];
        for (int col = 0; col < 3; ++col) {
            double M[3][3];
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) M[r][c] = c == col ? b[r] : N[r][c];
            x[col] = det3(M) / dn;
        }
        Q[0][0] = (U[1][1] * U[2][2] - U[1][2] * U[2][1]) / du;
        Q[1][1] = (U[0][0] * U[2][2] - U[0][2] * U[2][0]) / du;
        pos = Offset(pos, x[0], x[1]);
        bias += x[2];
        if (std::hypot(x[0], x[1]) < 0.01) break;
    }

    if (!(Q[0][0] + Q[1][1] < 100.0)) return false;   // no usable geometry
    s.valid = true;
    s.position = pos;
    s.clockMetres = bias;
    s.hdop = std::sqrt(std::max(0.0, Q[0][0] + Q[1][1]));
    s.stations = used;
    s.residuals.resize(used.size());
    s.weights.resize(used.size());
    double wsum = 0;
    for (double v : w) wsum += v;
    for (size_t k = 0; k < used.size(); ++k) {
        const DistanceBearing db = Inverse(pos, tx[chain[used[k]].transmitter].position);
        s.residuals[k] = z[k] - (db.metres + bias);
        s.weights[k] = w[k] / wsum;
    }
    return true;
}

void World::StepSolutions()
{
    const double t = Elapsed();
    solutions_.clear();
    const size_t n = stations_.size();
    int acquired = 0, usable = 0;
    for (const StationEpoch &s : stations_) {
        acquired += s.acquired;
        usable += s.Usable();
    }

    if (t == kCalibrated)
        for (size_t i = 0; i < n; ++i) asfCalibrated_[i] = stations_[i].asfTrue + models_[i].calibrationError;

    auto finish = [&](LoranSolution &s) {
        LoranSolution &last = lastSolutions_[KindIndex(s.kind)];
        // Velocity from successive positions, smoothed as a vector.
        double &vn = smoothedVel_[KindIndex(s.kind)];
        double &ve = smoothedHdg_[KindIndex(s.kind)];
        if (s.kind == 'C' || !last.valid || lastSolutionEpoch_[KindIndex(s.kind)] != epoch_ - 1) {
            vn = 0.0;
            ve = 0.0;
        } else {
            const double north = (s.position.lat - last.position.lat) * MetresPerDegreeLat(s.position.lat);
            const double east = (s.position.lon - last.position.lon) * MetresPerDegreeLon(s.position.lat);
            vn = 0.9 * vn + 0.1 * north;
            ve = 0.9 * ve + 0.1 * east;
        }
        s.velocity = std::hypot(vn, ve);
        s.heading = Wrap360(std::atan2(ve, vn) / kDeg);
        last = s;
        lastSolutionEpoch_[KindIndex(s.kind)] = epoch_;
        solutions_.push_back(s);
    };

    std::vector<double> none(n, 0.0), map(n), diff(n);
    for (size_t i = 0; i < n; ++i) {
        map[i] = stations_[i].asfMap;
        double corr = 0.0;
        for (const DloraEntry &e : dlora_)
            if (e.station == static_cast<int>(i)) corr = -(e.valueA + e.valueB) * 1e-3;
        diff[i] = map[i] + corr;
    }
    struct Job { char kind; const std::vector<double> *asf; bool on; };
    const Job jobs[] = {
        {'A', &none, true},
        {'S', &map, true},
        {'D', &diff, dloraAvailable_},
        {'G', &asfCalibrated_, t >= kCalibrated},
    };
    for (const Job &j : jobs) {
        if (!j.on || usable < 4) continue;
        LoranSolution s;
        s.kind = j.kind;
        const LoranSolution &last = lastSolutions_[KindIndex(j.kind)];
        s.clockMetres = last.valid ? last.clockMetres : 0.0;
        if (Solve(s, *j.asf, last.valid ? last.position : ReferencePosition())) finish(s);
    }

    if (solutions_.empty()) {
        // Before the cycles are identified only a coarse position is available.
        if (acquired >= 3) {
            LoranSolution c;
            c.kind = 'C';
            c.valid = true;
            c.position = Offset(truePos_, 140.0 + rng_.Normal(90.0), -60.0 + rng_.Normal(90.0));
            c.hdop = 2.5 + rng_.Uniform(0.0, 0.5);
            for (size_t i = 0; i < n; ++i)
                if (stations_[i].acquired) c.stations.push_back(static_cast<int>(i));
            c.residuals.assign(c.stations.size(), 0.0);
            c.weights.assign(c.stations.size(), 1.0 / static_cast<double>(c.stations.size()));
            for (size_t k = 0; k < c.stations.size(); ++k) c.residuals[k] = rng_.Normal(120.0);
            finish(c);
        }
    }
}

const LoranSolution *World::Solution(char kind) const
{
    for (const LoranSolution &s : solutions_)
        if (s.kind == kind) return &s;
    return nullptr;
}

bool World::CoarseOnly() const { return solutions_.size() == 1 && solutions_[0].kind == 'C'; }

void World::StepHeading()
{
    // The loop antennas measure the direction of arrival of each station relative
    // to the antenna, 180 degrees ambiguous until the ambiguity is solved. The
    // antenna is mounted 45 degrees off the vehicle axis.
    const double t = Elapsed();
    const double antenna = Wrap360(trueHeading_ + AntennaOffset());
    loops_ = LoopHeading{};
    loops_.ambiguitySolved = t >= kAmbiguitySolved;
    struct Meas { int i; double relative, sigma; };
    std::vector<Meas> meas;
    for (size_t i = 0; i < stations_.size(); ++i) {
        const StationEpoch &s = stations_[i];
        if (!s.Usable()) continue;
        const double sigma = 0.8 + 8.0 * std::pow(10.0, -s.snr / 20.0);
        double rel = Wrap360(s.azimuth - antenna + rng_.Normal(sigma));
        if (!loops_.ambiguitySolved && models_[i].flipped) rel = Wrap360(rel + 180.0);
        meas.push_back({static_cast<int>(i), rel, sigma});
    }
    if (meas.size() < 3) return;
    loops_.valid = true;

    // Weighted circular mean of the single-station headings; on doubled angles
    // while the ambiguity is open (the result may then be 180 degrees off).
    const double factor = loops_.ambiguitySolved ? 1.0 : 2.0;
    double sx = 0, sy = 0, wsum = 0;
    for (const Meas &m : meas) {
        const double w = 1.0 / (m.sigma * m.sigma);
        const double h = (stations_[m.i].azimuth - m.relative) * factor * kDeg;
        sx += w * std::cos(h);
        sy += w * std::sin(h);
        wsum += w;
    }
    double heading = Wrap360(std::atan2(sy, sx) / kDeg / factor);
    if (!loops_.ambiguitySolved && std::fabs(Wrap180(heading - antenna)) > 90.0) heading = Wrap360(heading + 180.0);
    loops_.heading = heading;
    loops_.std = std::sqrt(1.0 / wsum);
    loops_.quality = 1.0 / (1.0 + loops_.std);
    for (const Meas &m : meas) {
        const StationEpoch &s = stations_[m.i];
        HeadingStation h;
        h.station = m.i;
        h.beamOrientation = s.azimuth;
        h.measured = Wrap360(m.relative + heading);
        h.quality = std::clamp(100.0 * s.bq, 0.0, 100.0);
        h.calculated = Wrap360(s.azimuth - m.relative);
        h.beamNull = 12.0 + 0.6 * s.snr + rng_.Normal(0.5);
        h.weight = 1.0 / (m.sigma * m.sigma) / wsum;
        loops_.stations.push_back(h);
    }
}

} // namespace sim
