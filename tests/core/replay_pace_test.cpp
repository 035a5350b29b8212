#include <gtest/gtest.h>

#include "link/linkcheck.h"

constexpr int64_t Ms = 1000000;

// Ticks every tickMs for seconds, each sending what is due; the lines sent.
static int64_t Tick(ReplayPace &pace, int64_t fromMs, int tickMs, int seconds)
{
    int64_t total = 0;
    for (int64_t t = fromMs + tickMs, due; t <= fromMs + seconds * 1000; t += tickMs, total += due) pace.Sent(due = pace.Due(t * Ms));
    return total;
}

TEST(ReplayPace, SendsTheSetRateWhateverTheTickAndNeverCatchesUpFasterThanIt)
{
    for (int rate : {1, 24, 500}) {
        for (int tick : {2, 7, 41, 100}) {
            ReplayPace pace;
            pace.Start(0, rate);
            EXPECT_NEAR(Tick(pace, 0, tick, 4), 4 * rate, rate / 5 + 1) << rate << " lines/s, tick " << tick;
        }
    }
    // A tick two seconds late sends 200 ms worth, not the two seconds it missed.
    ReplayPace pace;
    pace.Start(0, 500);
    EXPECT_EQ(Tick(pace, 0, 2, 1), 500);
    EXPECT_EQ(pace.Due(3000 * Ms), 100);
    pace.Sent(100);
    EXPECT_EQ(Tick(pace, 3000, 2, 1), 500);
    // At one line a second a late tick still sends one line.
    pace.Start(0, 1);
    EXPECT_EQ(pace.Due(10000 * Ms), 1);
}
