#include <gtest/gtest.h>

#include "app/layoutrecord.h"
#include "app/tile.h"

TEST(LayoutRecord, LittleEndianAtFixedOffsetsClosedOnesZeroOtherSizesRefused)
{
    LayoutRecord r;
    r.Width = 99;   // ignored: not open
    EXPECT_EQ(r.Encode(), std::string("\x01", 1) + std::string(35, '\0'));
    r.Open = true;
    r.Style = LayoutRecord::StayOnTop;
    r.Height = 0x0102;
    r.Top = -8;
    r.State = LayoutRecord::Maximized;
    std::string b = r.Encode();
    ASSERT_EQ(b.size(), 36u);
    EXPECT_EQ(b.substr(0, 9), std::string("\x01\0\0\0\x01\0\0\0\x03", 9));
    EXPECT_EQ(b.substr(24, 4), "\xF8\xFF\xFF\xFF");   // -8
    auto back = LayoutRecord::Decode(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Height, 0x0102);
    EXPECT_EQ(back->State, LayoutRecord::Maximized);
    for (size_t size : {0u, 35u, 37u}) EXPECT_FALSE(LayoutRecord::Decode(std::string(size, '\0'))) << size;
}

TEST(Tile, MonitorIsRaisedToFitAboveTheStatusBar)
{
    std::array<TileWindow, TileSlotCount> w{};
    w[TileToaa] = {true, 0, 0, 200, 500};
    w[TileMonitor] = {true, 0, 0, 10, 10};
    TileWindows(w, 400, 600, 20);
    const TileWindow &m = w[TileMonitor];
    // Below the row there are only 80 pixels: raised to 100, less 4, then moved up.
    EXPECT_EQ(m.height, 96);
    EXPECT_EQ(m.top, 600 - 96 - 20 - 4);
}
