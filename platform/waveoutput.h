// Wave output: mono PCM played on the default audio output in blocks of
// WaveBlockRing::BlockSize bytes, each block counted as taken until it has been
// played. The device is fed from a thread of its own (a QAudioSink in pull mode
// there), so a busy GUI thread never starves it. Between blocks it plays
// silence; sound that follows silence is led by LeadMs of silence, so that
// later blocks arriving up to that late still join it without a gap.
// The blocks and the format belong to the thread that owns the object.
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/waveblocks.h"

class WaveOutput : public QObject {
    Q_OBJECT
public:
    static constexpr int BlockCount = WaveBlockRing::BlockCount;
    static constexpr int BlockSize = WaveBlockRing::BlockSize;
    // Blocks count as played when the device makes no progress for this long
    // (a device that stalls must not keep its owner waiting for ever).
    static constexpr int StallMs = 2000;
    static constexpr int LeadMs = 200;

    explicit WaveOutput(QObject *parent = nullptr);
    ~WaveOutput() override;   // stops at once

    // Opens the default output at WaveDeviceRate(rate) with WaveDeviceBits(bits)
    // (8-bit unsigned or 16-bit signed little-endian). While open in another
    // format, what was written before (the partly filled block too) is played to
    // its end first, then the device is reopened in the new one; later writes
    // are in the new format. false: no device, or the device refused the format.
    bool Open(int rate, int bits);
    // As WaveBlockRing::Write: 0 taken, 1 not open, nothing to write or no free block.
    int Write(const uint8_t *data, int length);
    // Stops at once: queued blocks and the partly filled one are dropped.
    void Close();

    // Open and the device has not failed since.
    bool IsOpen() const;
    int FreeBlocks() const { return ring_.FreeBlocks(); }
    // The format of what is written now.
    QAudioFormat Format() const { return format_; }
    // Bytes (silence included) the device has played in its present format, as
    // last seen while blocks were out.
    qint64 PlayedBytes() const { return played_.load(); }

signals:
    // Queued blocks came back (played, or dropped when the device failed).
    void BlocksReturned(int freeBlocks);

private:
    class Player;
    // Blocks a player of this generation (one per opening) has finished with.
    void Returned(int generation, int blocks);

    QAudioDevice device_;
    QAudioFormat format_;
    WaveBlockRing ring_;
    QThread thread_;
    Player *player_ = nullptr;   // lives on thread_
    int generation_ = 0;
    std::atomic<bool> failed_{false};
    std::atomic<qint64> played_{0};
};

// The program's one wave output, made when it is opened and gone when closed.
// OpenWaveOutput: 0 opened (or reopening in the new format once the queued
// sound is played), 1 failed. WriteWaveOutput: 0 taken, 1 not open, nothing
// to write or no free block.
int OpenWaveOutput(int rate, int bits);
int WriteWaveOutput(const uint8_t *data, int length);
void CloseWaveOutput();
bool IsWaveOutputOpen();
int GetFreeWaveBlocks();
int GetWaveBlockCount();
// The program's wave output while it exists, else null (to watch its blocks).
WaveOutput *ProgramWaveOutput();
