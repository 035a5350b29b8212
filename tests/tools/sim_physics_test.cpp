// The simulated values agree with each other and with the world they describe:
// positions, times, headings, Eurofix messages, spectra and sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sentence/fields.h"
#include "sim/geo.h"
#include "sim/world.h"
#include "sim_test_support.h"

using namespace simtest;

namespace {

double D(const std::string &s) { return std::stod(s); }

// Per-epoch view of a default stream: the fields of each line, grouped by the
// second (the TOAA line opens every epoch).
struct Epoch {
    std::vector<std::vector<std::string>> sentences;
    std::vector<std::string> board;   // fields of the PSRPOSA log
    const std::vector<std::string> *Find(const std::string &id, size_t from = 0) const
    {
        for (size_t i = from; i < sentences.size(); ++i) {
            const auto &f = sentences[i];
            if (f[0] == id || (f[0] == "DODU" && (f[1] == id || f[2] == id))) return &f;
        }
        return nullptr;
    }
};

std::vector<Epoch> Epochs(double seconds, double oldForms = 0.0)
{
    std::vector<Epoch> epochs;
    for (const std::string &line : Lines(sim::GenerateStream(Options(seconds, oldForms)))) {
        if (line[0] == '#') {
            epochs.back().board = BoardLogFields(line);
            continue;
        }
        std::vector<std::string> f = SentenceFields(line);
        if (f[0] == "TOAA" || (f[0] == "DODU" && f[1] == "TOAA")) epochs.emplace_back();
        epochs.back().sentences.push_back(f);
    }
    return epochs;
}

std::string Format2(const std::string &number)
{
    char b[8];
    std::snprintf(b, sizeof b, "%02d", std::stoi(number));
    return b;
}

double Metres(double lat1, double lon1, double lat2, double lon2)
{
    return sim::Inverse({lat1, lon1}, {lat2, lon2}).metres;
}

const std::vector<Epoch> &TenMinutes()
{
    static const std::vector<Epoch> e = Epochs(600);
    return e;
}

} // namespace

TEST(SimPhysics, GpsScattersByMetresAndMovesSlowlyAroundTheReference)
{
    const sim::LatLon ref = sim::ReferencePosition();
    double lastLat = 0, lastLon = 0;
    int fixes = 0;
    for (const Epoch &e : TenMinutes()) {
        const auto *g = e.Find("GPPOSA");
        ASSERT_NE(g, nullptr);
        if ((*g)[6] == "N") {
            EXPECT_EQ(fixes, 0) << "the fix is lost after it was found";
            continue;
        }
        const double lat = D((*g)[7]), lon = D((*g)[8]);
        EXPECT_LT(Metres(ref.lat, ref.lon, lat, lon), 300.0);
        if (fixes++ > 0) { EXPECT_LT(Metres(lastLat, lastLon, lat, lon), 6.0); }
        lastLat = lat;
        lastLon = lon;
        // The GPS board's log and the GGA sentence report the same fix.
        ASSERT_EQ(e.board.size(), 31u);
        EXPECT_NEAR(D(e.board[12]), lat, 1e-7);
        EXPECT_NEAR(D(e.board[13]), lon, 1e-7);
        const auto *gga = e.Find("GPGGA");
        const double ggaLat = std::floor(D((*gga)[2]) / 100) + std::fmod(D((*gga)[2]), 100.0) / 60.0;
        EXPECT_NEAR(ggaLat, lat, 1e-6);
    }
    EXPECT_GT(fixes, 580);
}

TEST(SimPhysics, LoranSolutionsLieWithinTensOfMetresOfGps)
{
    std::map<char, double> worst;
    for (const Epoch &e : TenMinutes()) {
        const auto *g = e.Find("GPPOSA");
        if ((*g)[6] == "N") continue;
        for (const auto &f : e.sentences) {
            if (f[0] != "DODU" || f[1] != "LCPOSA") continue;
            const double m = Metres(D((*g)[7]), D((*g)[8]), D(f[7]), D(f[8]));
            worst[f[6][0]] = std::max(worst[f[6][0]], m);
            EXPECT_LT(D(f[13]), 5.0) << "HDOP";
        }
    }
    EXPECT_LT(worst['G'], 60.0);
    EXPECT_LT(worst['D'], 60.0);
    EXPECT_LT(worst['S'], 80.0);
    EXPECT_LT(worst['A'], 300.0);
    EXPECT_GT(worst['A'], worst['G']);   // the uncorrected solution is the worst
}

TEST(SimPhysics, PositionAndResidualsOfOneSolutionBelongTogether)
{
    int pairs = 0;
    for (const Epoch &e : Epochs(200, 0.3)) {
        for (size_t i = 0; i < e.sentences.size(); ++i) {
            const auto &p = e.sentences[i];
            const bool position = p[0] == "DODU" && (p[1] == "LCPOSA" || p[2] == "LCPOS");
            if (!position) continue;
            // Its partner stands right before or after it, same time and kind.
            for (size_t j : {i - 1, i + 1}) {
                if (j >= e.sentences.size()) continue;
                const auto &r = e.sentences[j];
                if (!(r[1] == "LCRSDA" || r[2] == "LCRSD") || r[6] != p[6]) continue;
                ++pairs;
                EXPECT_EQ(r[3], p[3]);
                EXPECT_EQ(r[5], p[5]);
                EXPECT_EQ(r[7], p[12]) << "station count";
                double weights = 0;
                for (int k = 0; k < std::stoi(r[7]); ++k) weights += D(r[10 + 3 * k]);
                EXPECT_NEAR(weights, 1.0, 0.02);
            }
        }
    }
    EXPECT_GT(pairs, 500);
}

TEST(SimPhysics, TimesOfArrivalFollowDistanceAndDriftSlowly)
{
    const auto &chain = sim::ChainStations();
    std::map<std::string, double> lastToa;
    for (const Epoch &e : TenMinutes()) {
        const auto &t = e.sentences[0];
        const auto *g = e.Find("GPPOSA");
        const int n = std::stoi(t[10]);
        ASSERT_EQ(n, static_cast<int>(chain.size()));
        for (int k = 0; k < n; ++k) {
            const int f = 11 + 10 * k;
            uint32_t state = 0;
            ASSERT_EQ(ParseHex(t[f + 6].c_str(), &state), 0);
            if (state & 0x40) {
                lastToa.erase(t[f]);
                continue;
            }
            const double toa = D(t[f + 7]);
            if (lastToa.count(t[f])) { EXPECT_LT(std::fabs(toa - lastToa[t[f]]), 0.5) << t[f]; }
            lastToa[t[f]] = toa;
            if ((*g)[6] == "N") continue;
            // Emission delay and the path at the speed of light in air (index 1.000338 at the
            // ground); what remains is the additional secondary factor and the clock, about 1.5 us.
            const auto &cs = chain[static_cast<size_t>(k)];
            ASSERT_EQ(cs.Id(), t[f]);
            const double path = Metres(D((*g)[7]), D((*g)[8]), sim::Transmitters()[cs.transmitter].position.lat,
                                       sim::Transmitters()[cs.transmitter].position.lon) /
                                sim::kSpeedOfLight * 1e6 * 1.000338;
            EXPECT_NEAR(toa - cs.emissionDelay - path, 1.4, 1.0) << t[f];
        }
    }
}

TEST(SimPhysics, ReceiverClockAndUtcAgreeAcrossSentences)
{
    for (const Epoch &e : TenMinutes()) {
        const double uptime = D(e.sentences[0][3]);
        const auto *s = e.Find("SYNCA");
        EXPECT_NEAR(D((*s)[11]) * 2.5e-6, uptime, 0.01);
        EXPECT_EQ((*s)[3], e.sentences[0][3]);
        if ((*s)[4] != "LORANUTC") continue;
        const int utcSecond = std::stoi((*s)[8]) * 3600 + std::stoi((*s)[9]) * 60 + std::stoi((*s)[10]);
        const auto *gga = e.Find("GPGGA");
        const double t = D((*gga)[1]);
        EXPECT_EQ(static_cast<int>(t / 10000) * 3600 + static_cast<int>(std::fmod(t, 10000) / 100) * 60 +
                      static_cast<int>(std::fmod(t, 100)),
                  utcSecond);
        const auto *lc = e.Find("LCPOSA");
        if (lc) { EXPECT_DOUBLE_EQ(D((*lc)[3]), utcSecond); }
        const auto *pt = e.Find("PTNTA");
        EXPECT_EQ((*pt)[1].substr(8), std::string(Format2((*s)[8])) + Format2((*s)[9]) + Format2((*s)[10]));
    }
}

TEST(SimPhysics, HeadingsOfTheThreeSourcesAgree)
{
    int compared = 0;
    for (const Epoch &e : TenMinutes()) {
        std::map<char, double> h;
        for (const auto &f : e.sentences)
            if (f[0] == "DODU" && f[1] == "HDGA") h[f[5][0]] = D(f[6]);
        if (!h.count('L') || !h.count('I') || !h.count('G')) continue;
        ++compared;
        // The loop antenna sits 45 degrees off the vehicle axis; the program's default offset takes it off.
        EXPECT_LT(std::fabs(sim::Wrap180(h['L'] - 45.0 - h['I'])), 15.0);
        EXPECT_LT(std::fabs(sim::Wrap180(h['G'] - h['I'])), 40.0);
        // HDGLA carries the same loop heading, and its residuals stay small.
        const auto *l = e.Find("HDGLA");
        EXPECT_NEAR(D((*l)[12]), h['L'], 0.01);
        // (measured - beam orientation, folded to +-90 degrees; both bearings lie in 0..360).
        for (int k = 0; k < std::stoi((*l)[15]); ++k) {
            const double r = std::fmod(D((*l)[18 + 7 * k]) - D((*l)[17 + 7 * k]) + 720.0 + 90.0, 180.0) - 90.0;
            if (D((*l)[22 + 7 * k]) > 0.05) { EXPECT_LT(std::fabs(r), 30.0) << (*l)[16 + 7 * k]; }
        }
    }
    EXPECT_GT(compared, 500);
}

// ---------------------------------------------------------------------------
// Eurofix messages, read back bit by bit
// ---------------------------------------------------------------------------

namespace {

struct Message {
    std::vector<int> bits;
    long Field(int pos, int width, bool isSigned = false) const
    {
        long v = 0;
        for (int i = 0; i < width; ++i) v |= static_cast<long>(bits[static_cast<size_t>(pos + i)]) << i;
        if (isSigned && (v >> (width - 1)) & 1) v -= 1L << width;
        return v;
    }
};

Message Decode(const std::string &hex)
{
    Message m;
    for (size_t k = 0; k + 1 < hex.size(); k += 2) {
        const int symbol = std::stoi(hex.substr(k, 2), nullptr, 16);
        for (int b = 0; b < 7; ++b) m.bits.push_back((symbol >> b) & 1);
    }
    return m;
}

} // namespace

TEST(SimEurofix, EveryMessageTypeArrivesWithValuesThatFitTheTime)
{
    std::set<long> types, utcSubtypes, etran;
    std::map<std::string, std::string> sms, texts;
    for (const Epoch &e : TenMinutes()) {
        const auto *s = e.Find("SYNCA");
        const bool utc = (*s)[4] == "LORANUTC";
        const double secondsInHour = utc ? std::stoi((*s)[9]) * 60 + std::stoi((*s)[10]) : -1;
        for (const auto &f : e.sentences) {
            if (!(f[0] == "DODU" && (f[1] == "RMSGA" || f[1] == "RMSG" || f[2] == "RMSG"))) continue;
            const std::string &hex = f[5];
            ASSERT_EQ(hex.size(), 20u);
            for (size_t k = 0; k < 20; k += 2) EXPECT_LE(std::stoi(hex.substr(k, 2), nullptr, 16), 0x7F) << hex;
            const Message m = Decode(hex);
            const long type = m.Field(0, 4);
            types.insert(type);
            EXPECT_EQ(hex[1], "0123456789ABCDEF"[type]);
            if (type == 1) {
                EXPECT_GE(m.Field(20, 5), 1);
                EXPECT_LE(std::fabs(m.Field(25, 15, true) * (m.Field(17, 1) ? 0.32 : 0.02)), 50.0);
                if (utc) {
                    // The Z-count is GPS time within the hour (14 leap seconds in 2007).
                    const double z = m.Field(4, 13) * 0.6;
                    EXPECT_LT(std::fabs(sim::Wrap180((z - secondsInHour - 14.0) / 10.0) * 10.0), 1.0);
                }
            } else if (type == 5) {
                const std::string station = f[4];
                for (int i = 0; i < 6; ++i) sms[station] += static_cast<char>(m.Field(8 + 8 * i, 8));
                if (m.Field(7, 1)) {
                    texts[station] = sms[station];
                    sms[station].clear();
                }
            } else if (type == 6) {
                const long sub = m.Field(4, 2);
                utcSubtypes.insert(sub);
                if (utc) { EXPECT_NEAR(m.Field(6, 29) * 1e-5, secondsInHour, 1.0); }
                if (sub == 1) { EXPECT_EQ(m.Field(49, 6), 7); }
                if (sub == 2) {
                    EXPECT_EQ(m.Field(45, 9, true), 14);
                    EXPECT_EQ(m.Field(54, 2, true), 0);
                }
            } else if (type == 8) {
                etran.insert(m.Field(4, 3));
            } else if (type == 4) {
                EXPECT_GT(m.Field(4, 10), 0);
            }
        }
    }
    EXPECT_EQ(types, (std::set<long>{1, 2, 4, 5, 6, 8}));
    EXPECT_EQ(utcSubtypes, (std::set<long>{0, 1, 2, 3}));
    EXPECT_EQ(etran.size(), 8u);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts["7499M"].substr(0, 10), "SYLT: DGPS");
    EXPECT_EQ(texts["6731M"].find("LESSAY EUROFIX TEST TRANSMISSION"), 0u);
}

// ---------------------------------------------------------------------------
// Spectra, notches and sound
// ---------------------------------------------------------------------------

namespace {

std::vector<int> DecodeBase64(const std::string &text)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<int> bytes;
    unsigned acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') continue;
        const size_t v = alphabet.find(c);
        EXPECT_NE(v, std::string::npos) << c;
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<signed char>((acc >> bits) & 0xFF));
        }
    }
    return bytes;
}

} // namespace

TEST(SimSignals, SpectraShowLoranAndTheInterferersTheNotchesSitOn)
{
    std::vector<double> notchFreqs;
    int spectra = 0;
    for (const Epoch &e : Epochs(200, 0.3)) {
        for (const auto &f : e.sentences) {
            if (f[0] != "DODU") continue;
            if (f[1] == "NOTCHA") {
                notchFreqs.clear();
                int active = 0;
                for (int i = 0; i < std::stoi(f[4]); ++i) {
                    const double fr = D(f[6 + 2 * i]), bw = D(f[7 + 2 * i]);
                    if (fr > 0 && bw > 0) {
                        ++active;
                        notchFreqs.push_back(fr);
                    }
                }
                EXPECT_EQ(std::stoi(f[5]), active);
            }
            const bool current = f[1] == "FFTA", older = f[2] == "FFT";
            if (!current && !older) continue;
            ++spectra;
            const int length = std::stoi(f[3]), first = std::stoi(f[4]), bins = std::stoi(f[5]);
            const int values = current ? 10 : 9;
            if (older) {
                EXPECT_NEAR(D(f[7]) / 350e6, 0.52, 0.2);
            } else {
                EXPECT_NEAR(D(f[7]), 0.52, 0.2);
            }
            for (int loop = 0; loop < 2; ++loop) {
                auto level = [&](double kHz) {
                    const int bin = static_cast<int>(std::lround(kHz * length / 400.0)) - first;
                    return D(f[static_cast<size_t>(values + loop * bins + bin)]);
                };
                double band = 0, quiet = 0;
                for (double k = 98; k <= 102; k += 0.5) band += level(k) / 9;
                for (double k = 170; k <= 174; k += 0.5) quiet += level(k) / 9;
                EXPECT_GT(band, quiet + 10.0);
                for (double n : notchFreqs) EXPECT_GT(level(n), quiet + 15.0) << n << " kHz";
            }
        }
    }
    EXPECT_EQ(spectra, 40);
}

TEST(SimSignals, SoundCarriesTheLoranPulseTrain)
{
    int lines = 0;
    for (const Epoch &e : Epochs(60)) {
        const auto *a = e.Find("AUDIO");
        ASSERT_NE(a, nullptr);
        ASSERT_EQ(a->size(), 6u);
        const double rate = 400000.0 / std::stoi((*a)[3]);
        EXPECT_EQ((*a)[4], "8");
        const std::vector<int> s = DecodeBase64((*a)[5]);
        ASSERT_EQ(s.size(), 500u);
        ++lines;
        // Once the 7499 master is tracked its pulses stand well above the noise,
        // one millisecond apart, in groups of eight (nine for the master).
        uint32_t state = 0;
        ASSERT_EQ(ParseHex(e.sentences[0][11 + 10 * 4 + 6].c_str(), &state), 0);
        ASSERT_EQ(e.sentences[0][11 + 10 * 4], "7499M");
        if (state & 0x40) continue;
        std::vector<size_t> pulses;
        for (size_t i = 1; i + 1 < s.size(); ++i)
            if (std::abs(s[i]) > 40 && std::abs(s[i]) >= std::abs(s[i - 1]) && std::abs(s[i]) > std::abs(s[i + 1]))
                pulses.push_back(i);
        EXPECT_GE(pulses.size(), 9u);
        // (The sampled peak of a pulse moves by a sample now and then.)
        const size_t oneMs = static_cast<size_t>(rate / 1000.0);
        int oneMsApart = 0;
        for (size_t k = 1; k < pulses.size(); ++k) oneMsApart += pulses[k] - pulses[k - 1] + 1 - oneMs <= 2;
        EXPECT_GE(oneMsApart, 7);
    }
    EXPECT_EQ(lines, 60);
}
