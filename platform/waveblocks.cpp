#include "platform/waveblocks.h"

#include <algorithm>
#include <cstring>

int WaveBlockRing::Write(const uint8_t *data, int length, const QueueBlock &queue)
{
    if (!data || length < 1) return 1;
    for (;;) {
        if (freeBlocks_ == 0) return 1;
        const int room = BlockSize - used_;
        if (length < room) {
            std::memcpy(block_.data() + used_, data, static_cast<size_t>(length));
            used_ += length;
            return 0;
        }
        std::memcpy(block_.data() + used_, data, static_cast<size_t>(room));
        if (queue) queue(block_.data(), BlockSize);
        --freeBlocks_;
        currentBlock_ = (currentBlock_ + 1) % BlockCount;
        used_ = 0;
        data += room;
        length -= room;
        if (length == 0) return 0;
    }
}

bool WaveBlockRing::Flush(const QueueBlock &queue)
{
    if (used_ == 0) return false;
    if (freeBlocks_ == 0) {
        used_ = 0;
        return false;
    }
    if (queue) queue(block_.data(), used_);
    --freeBlocks_;
    currentBlock_ = (currentBlock_ + 1) % BlockCount;
    used_ = 0;
    return true;
}

void WaveBlockRing::Returned(int blocks)
{
    if (blocks > 0) freeBlocks_ = std::min(BlockCount, freeBlocks_ + blocks);
}

void WaveBlockRing::Reset()
{
    freeBlocks_ = BlockCount;
    currentBlock_ = 0;
    used_ = 0;
}

int WaveDeviceRate(int rate)
{
    if (rate <= 8000) return 8000;
    if (rate <= 11025) return 11025;
    if (rate <= 22050) return 22050;
    return 44100;
}

int WaveDeviceBits(int bits) { return bits > 8 ? 16 : 8; }
