#include "app/tile.h"

#include <algorithm>

void TileWindows(std::array<TileWindow, TileSlotCount> &w, int clientWidth, int clientHeight, int statusBarHeight,
                 int monitorMinHeight)
{
    // Row 1: TOAA, DASFA and HDGLA cascaded, then GPGGA and the Loran sound window to the right.
    int right = 0, y1 = 0, cascade = 0;
    auto placeRow1 = [&](TileWindow &win, int left, int top) {
        win.left = left;
        win.top = top;
        right = std::max(right, left + win.width);
        y1 = std::max(y1, top + win.height);
    };
    for (TileSlot s : {TileToaa, TileDasfa, TileHdgla}) {
        if (!w[s].open) continue;
        placeRow1(w[s], 16 * cascade, 16 * cascade);
        ++cascade;
    }
    if (w[TileGpgga].open) placeRow1(w[TileGpgga], right, 0);
    if (w[TileLoranSound].open) {
        int edge = right;
        placeRow1(w[TileLoranSound], edge, 0);
        right = edge;
    }

    // Row 2, left to right.
    int w2 = 0, y2 = 0;
    for (TileSlot s : {TileGpposa, TileLcposaCoarse, TileLcposaAutonomous, TileLcposaAsf, TileLcposaCalibrated, TileInposa}) {
        if (!w[s].open) continue;
        w[s].left = w2;
        w[s].top = y1;
        w2 += w[s].width;
        y2 = y1 + w[s].height;
    }

    TileWindow &m = w[TileMonitor];
    if (!m.open) return;
    int y = std::max({0, y1, y2});
    long long below = static_cast<long long>(clientWidth) * (clientHeight - y - 50);
    long long beside = static_cast<long long>(clientWidth - w2) * (clientHeight - std::max(y1, 0) - 50);
    if (beside < below) {
        m.top = y;
        m.left = 0;
    } else {
        m.top = std::max(y1, 0);
        m.left = w2;
    }
    m.width = clientWidth - 4 - m.left;
    m.height = clientHeight - statusBarHeight - m.top;
    if (m.height < 100) m.height = 100;
    if (m.height > clientHeight / 2) m.height = clientHeight / 2;
    m.height = std::max(m.height - 4, monitorMinHeight);
    int lowest = std::max(clientHeight - m.height - statusBarHeight - 4, 0);
    if (m.top >= lowest) m.top = lowest;
}

TileWindow MonitorPlacement(int clientWidth, int clientHeight, int statusBarHeight, int minHeight)
{
    TileWindow m;
    m.open = true;
    m.width = clientWidth - 4;
    m.height = std::max(std::min(clientHeight / 2, 250) - 4, minHeight);
    m.left = 0;
    m.top = std::max(clientHeight - statusBarHeight - 4 - m.height, 0);
    return m;
}
