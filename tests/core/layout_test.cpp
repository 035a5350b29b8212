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
    EXPECT_EQ(b.substr(16, 2), "\x02\x01");
    EXPECT_EQ(b.substr(24, 4), "\xF8\xFF\xFF\xFF");   // -8
    EXPECT_EQ(b[32], 2);
    auto back = LayoutRecord::Decode(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Top, -8);
    EXPECT_EQ(back->Width, 99);
    for (size_t size : {0u, 35u, 37u}) EXPECT_FALSE(LayoutRecord::Decode(std::string(size, '\0'))) << size;
}
TEST(Tile, OnlyTheMonitorGoesTopLeftFullWidthHalfHeight)
{
    std::array<TileWindow, TileSlotCount> w{};
    w[TileMonitor] = {true, 300, 300, 400, 200};
    TileWindows(w, 1000, 600, 20);
    EXPECT_EQ(w[TileMonitor].left, 0);
    EXPECT_EQ(w[TileMonitor].top, 0);
    EXPECT_EQ(w[TileMonitor].width, 996);
    EXPECT_EQ(w[TileMonitor].height, 296);
    TileWindow m = MonitorPlacement(800, 700, 20);   // half the client height at most 250
    EXPECT_EQ(m.height, 246);
    EXPECT_EQ(m.top, 700 - 250 - 20);
    EXPECT_EQ(MonitorPlacement(800, 300, 20).height, 146);
}
namespace {
std::array<TileWindow, TileSlotCount> TwoRows()
{
    std::array<TileWindow, TileSlotCount> w{};
    w[TileToaa] = {true, 0, 0, 750, 170};
    w[TileHdgla] = {true, 0, 0, 500, 150};
    w[TileGpgga] = {true, 0, 0, 200, 120};
    w[TileLoranSound] = {true, 0, 0, 100, 200};
    w[TileGpposa] = {true, 0, 0, 300, 180};
    w[TileInposa] = {true, 0, 0, 250, 190};
    w[TileMonitor] = {true, 0, 0, 10, 10};
    return w;
}
} // namespace

TEST(Tile, RowOneCascadesThenGpggaAndLoranSoundToTheRightAndTheMonitorBelow)
{
    auto w = TwoRows();
    TileWindows(w, 1200, 800, 20);
    EXPECT_EQ(w[TileHdgla].left, 16);   // second of the cascade, DASFA being closed
    EXPECT_EQ(w[TileGpgga].left, 750);
    EXPECT_EQ(w[TileLoranSound].left, 950);
    EXPECT_EQ(w[TileGpposa].top, 200);  // below the tallest of row 1
    EXPECT_EQ(w[TileInposa].left, 300);
    EXPECT_FALSE(w[TileDasfa].open);
    const TileWindow &m = w[TileMonitor];
    EXPECT_EQ(m.top, 390);
    EXPECT_EQ(m.width, 1196);
    EXPECT_EQ(m.height, 386);
}
TEST(Tile, MonitorGoesRightOfRowTwoWhenThatIsLarger)
{
    auto w = TwoRows();
    TileWindows(w, 2000, 800, 20);
    const TileWindow &m = w[TileMonitor];
    EXPECT_EQ(m.left, 550);
    EXPECT_EQ(m.top, 200);
    EXPECT_EQ(m.width, 2000 - 4 - 550);
    EXPECT_EQ(m.height, 396);
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
