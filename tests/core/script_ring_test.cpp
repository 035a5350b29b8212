#include <gtest/gtest.h>

#include <string>

#include "link/script.h"

// A megabyte-long script line: the ring grows a few dozen times, not once per
// hundred bytes, and gives the line back as it was put.
TEST(CharBuf, AGrowingRingGrowsGeometricallyAndKeepsALongLineWhole)
{
    LineBuf lines;
    CharBuf ring;
    std::string line(1 << 20, ' ');
    for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
    int growths = 0;
    for (char c : line) {
        size_t before = ring.Capacity();
        ring.Put(c);
        growths += ring.Capacity() != before;
        lines.PutChar(c);
    }
    EXPECT_LE(growths, 20);
    ASSERT_EQ(ring.Count(), line.size());
    std::string back;
    while (ring.Count()) back.push_back(ring.Get());
    EXPECT_EQ(back, line);
    ASSERT_TRUE(lines.PutChar('\n'));
    EXPECT_EQ(lines.GetLine(), line);
}
