// The Window menu's Tile: log windows in two rows, the serial monitor below
// them or to the right of the second row, whichever leaves it more room.
#pragma once

#include <array>
#include <cstddef>

struct TileWindow {
    bool open = false;
    int left = 0, top = 0, width = 0, height = 0;
};

enum TileSlot : size_t {
    TileToaa, TileDasfa, TileHdgla, TileGpgga, TileLoranSound,
    TileGpposa, TileLcposaCoarse, TileLcposaAutonomous, TileLcposaAsf, TileLcposaCalibrated, TileInposa,
    TileMonitor, TileSlotCount
};

// clientHeight is the frame's client height including the status bar;
// positions are in the client area of the frame. The monitor is never lower
// than monitorMinHeight, and its bottom edge stays 4 above the status bar.
void TileWindows(std::array<TileWindow, TileSlotCount> &windows, int clientWidth, int clientHeight,
                 int statusBarHeight, int monitorMinHeight = 0);

// Where the serial monitor goes when it is opened from the menu.
TileWindow MonitorPlacement(int clientWidth, int clientHeight, int statusBarHeight, int minHeight = 0);
