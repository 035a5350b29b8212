// Wave output: mono PCM played on the default audio output in blocks of
// WaveBlockRing::BlockSize bytes, each block counted as taken until it has been
// played. Built on QAudioSink in pull mode; between blocks the sink plays
// silence, so it never runs dry and its played position (processedUSecs) tells
// which blocks are through. Everything here runs on the thread that owns the
// object; only the stream the sink reads from is shared, under its own lock.
#pragma once

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>

#include "platform/waveblocks.h"

class QAudioSink;

class WaveOutput : public QObject {
    Q_OBJECT
public:
    static constexpr int BlockCount = WaveBlockRing::BlockCount;
    static constexpr int BlockSize = WaveBlockRing::BlockSize;
    // Blocks count as played when the sink makes no progress for this long
    // (a device that stalls must not keep its owner waiting for ever).
    static constexpr int StallMs = 2000;

    explicit WaveOutput(QObject *parent = nullptr);
    ~WaveOutput() override;   // stops at once

    // Opens the default output at WaveDeviceRate(rate) with WaveDeviceBits(bits)
    // (8-bit unsigned or 16-bit signed little-endian). false: no device, or the
    // device refused; nothing stays open then.
    bool Open(int rate, int bits);
    // As WaveBlockRing::Write: 0 taken, 1 not open, nothing to write or no free block.
    int Write(const uint8_t *data, int length);
    // Stops at once: queued blocks and the partly filled one are dropped.
    void Close();

    // Open and the device has not failed since.
    bool IsOpen() const;
    int FreeBlocks() const { return ring_.FreeBlocks(); }
    QAudioFormat Format() const { return format_; }
    // Bytes of the stream (silence included) the device has played since it opened.
    qint64 PlayedBytes() const { return played_; }

signals:
    // Queued blocks came back (played, or dropped when the device failed).
    void BlocksReturned(int freeBlocks);

private:
    class Stream;
    void Poll();
    void SinkStateChanged();
    void ReturnBlocks(int blocks);

    QAudioFormat format_;
    std::unique_ptr<Stream> stream_;
    std::unique_ptr<QAudioSink> sink_;
    bool failed_ = false;
    WaveBlockRing ring_;
    std::deque<qint64> blockEnds_;   // stream offsets where the queued blocks end
    qint64 played_ = 0;
    QTimer poll_;
    QElapsedTimer sinceProgress_;
};

// The program's one wave output, made when it is opened and gone when closed.
// OpenWaveOutput: 0 opened, 1 failed. WriteWaveOutput: 0 taken, 1 not open,
// nothing to write or no free block.
int OpenWaveOutput(int rate, int bits);
int WriteWaveOutput(const uint8_t *data, int length);
void CloseWaveOutput();
bool IsWaveOutputOpen();
int GetFreeWaveBlocks();
int GetWaveBlockCount();
// The program's wave output while it exists, else null (to watch its blocks).
WaveOutput *ProgramWaveOutput();
