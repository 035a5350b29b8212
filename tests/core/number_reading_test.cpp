// The field converters against the C library calls they stand for: every field
// of the fuzz seeds and of the bundled sample, and the odd forms, accepted or
// refused alike and read to the same bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sentence/fields.h"

TEST(NumberReading, EveryFieldReadsAsTheCLibraryReadsIt)
{
    std::vector<std::string> fields = {"", " 1.5", "+1.5", "1.5 ", "1e400", "-1e400", "1e-400", "0x1p3", "inf", "-nan",
                                       "NaN(12)", ".", "-", "5.", ".5", "-0", "-.0", "0x1F", "-1f", "99999999999",
                                       "-99999999999", "123456789012345678901", "9007199254740993", "1234567.8901234",
                                       "0.1000000000000000055511151231257827", "12.345e2", " 7499M", "+7499M", "-7499",
                                       "74991", "749", "7499MX", "7499 ", "7499\t"};
    for (const char *path : {KAVU_SOURCE_DIR "/fuzz/seeds/mixed.txt", KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log"}) {
        std::ifstream in(path);
        fields.emplace_back();
        for (char c; in.get(c);) {
            if (std::strchr(",;*\r\n", c)) fields.emplace_back();
            else fields.back() += c;
        }
    }
    ASSERT_GT(fields.size(), 100000u);
    for (const std::string &field : fields) {
        const char *s = field.c_str();
        char *end = nullptr;
        const double dr = std::strtod(s, &end);
        const int refused = !*s || *end;
        double d = 7;
        float f = 7;
        ASSERT_EQ(ParseDouble(s, &d), refused) << s;
        ASSERT_EQ(ParseFloat(s, &f), refused) << s;
        const float fr = static_cast<float>(dr);
        ASSERT_TRUE(refused || (!std::memcmp(&d, &dr, sizeof d) && !std::memcmp(&f, &fr, sizeof f))) << s;
        ASSERT_TRUE(!refused || (d == 7 && f == 7)) << s;   // a refused field leaves the value alone

        const long long ir = std::strtoll(s, &end, 10);
        int32_t i = 7;
        ASSERT_EQ(ParseInt(s, &i), !*s || *end) << s;
        ASSERT_TRUE(!*s || *end || i == std::clamp<long long>(ir, INT32_MIN, INT32_MAX)) << s;
        const long long hr = std::strtoll(s, &end, 16);
        uint32_t h = 7;
        ASSERT_EQ(ParseHex(s, &h), !*s || *end) << s;
        ASSERT_TRUE(!*s || *end || h == static_cast<uint32_t>(std::clamp<long long>(hr, INT32_MIN, 0xFFFFFFFFLL))) << s;

        // A station identifier: "%d%c" over its first five characters.
        char head[6] = {}, suffix = 0;
        int number = 0;
        std::strncpy(head, s, 5);
        const int scanned = std::sscanf(head, "%d%c", &number, &suffix);
        const bool gri = number >= 4000 && number <= 9999;
        const bool known = scanned == 2 && std::strchr(" MTUVWXYZS", std::toupper(static_cast<unsigned char>(suffix)));
        const bool ok = (scanned == 1 && (gri || (number >= 40000 && number <= 99999))) || (gri && known);
        int32_t code = -1;
        ASSERT_EQ(StationIdToCode(&code, s), ok ? 0 : 1) << s;
        ASSERT_TRUE(!ok || code / 100 == (gri ? number : number / 10)) << s;
    }
}
