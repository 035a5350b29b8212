// The block accounting of the wave output, without the device: data is gathered
// into blocks of BlockSize bytes; a full block is handed to the device and stays
// taken until the device gives it back. Only full blocks are played, so a partly
// filled block waits for more data.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

class WaveBlockRing {
public:
    static constexpr int BlockCount = 20;
    static constexpr int BlockSize = 4096;
    // Receives each block that became full, to be played.
    using QueueBlock = std::function<void(const uint8_t *block, int size)>;

    // 0: the data was taken. 1: nothing to write, or no free block; then the
    // data not yet placed is dropped (blocks filled before that are queued).
    int Write(const uint8_t *data, int length, const QueueBlock &queue);
    // Queues the partly filled block as it stands (its data ends there); false
    // when it is empty, or no block is free (its bytes are dropped then).
    bool Flush(const QueueBlock &queue);
    // The device has finished with blocks queued before.
    void Returned(int blocks);
    // Every block free and empty again.
    void Reset();

    // Blocks not queued to the device (the one being filled included).
    int FreeBlocks() const { return freeBlocks_; }
    int QueuedBlocks() const { return BlockCount - freeBlocks_; }
    int CurrentBlock() const { return currentBlock_; }
    // Bytes already placed in the block being filled.
    int FillLevel() const { return used_; }

private:
    std::array<uint8_t, BlockSize> block_{};
    int freeBlocks_ = BlockCount;
    int currentBlock_ = 0;
    int used_ = 0;
};

// The rate a wave device is opened at for samples at `rate` per second:
// 8000, 11025, 22050 or 44100, the first at or above the rate (44100 above that).
int WaveDeviceRate(int rate);
// The device's sample width: 16 bits when more than 8 are asked for, else 8.
int WaveDeviceBits(int bits);
