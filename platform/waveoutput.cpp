#include "platform/waveoutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QByteArray>
#include <QIODevice>
#include <QMediaDevices>
#include <cstring>
#include <mutex>

// What the sink reads: the queued blocks in order, silence when none is waiting.
// Every byte handed out has its offset, so a block's end is known when it is queued.
class WaveOutput::Stream : public QIODevice {
public:
    explicit Stream(char silence) : silence_(silence) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

    // Queues bytes behind those waiting; returns the stream offset just past them.
    qint64 Append(const uint8_t *data, int size)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.append(reinterpret_cast<const char *>(data), size);
        return served_ + pending_.size() - taken_;
    }
    // Forgets what waits unplayed (a stalled device will not play it).
    void Discard()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.clear();
        taken_ = 0;
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return pending_.size() - taken_ + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (maxSize <= 0) return 0;
        std::lock_guard<std::mutex> lock(mutex_);
        const qint64 waiting = pending_.size() - taken_;
        const qint64 n = std::min(maxSize, waiting);
        if (n > 0) std::memcpy(data, pending_.constData() + taken_, static_cast<size_t>(n));
        taken_ += n;
        // Drop what was handed out, at the latest once it outgrows what may wait.
        if (taken_ == pending_.size() || taken_ > 2 * WaveOutput::BlockCount * WaveOutput::BlockSize) {
            pending_.remove(0, taken_);
            taken_ = 0;
        }
        if (n < maxSize) std::memset(data + n, silence_, static_cast<size_t>(maxSize - n));
        served_ += maxSize;
        return maxSize;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    mutable std::mutex mutex_;
    QByteArray pending_;
    qint64 taken_ = 0;    // bytes of pending_ already handed out
    qint64 served_ = 0;   // bytes handed out since the start
    const char silence_;
};

WaveOutput::WaveOutput(QObject *parent) : QObject(parent)
{
    poll_.setInterval(20);
    connect(&poll_, &QTimer::timeout, this, &WaveOutput::Poll);
}

WaveOutput::~WaveOutput() { Close(); }

bool WaveOutput::Open(int rate, int bits)
{
    Close();
    QAudioFormat format;
    format.setSampleRate(WaveDeviceRate(rate));
    format.setChannelCount(1);
    format.setSampleFormat(WaveDeviceBits(bits) == 16 ? QAudioFormat::Int16 : QAudioFormat::UInt8);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) return false;

    format_ = format;
    stream_ = std::make_unique<Stream>(format.sampleFormat() == QAudioFormat::UInt8 ? char(0x80) : char(0));
    sink_ = std::make_unique<QAudioSink>(device, format);
    connect(sink_.get(), &QAudioSink::stateChanged, this, &WaveOutput::SinkStateChanged);
    sink_->start(stream_.get());
    if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
        Close();
        return false;
    }
    return true;
}

int WaveOutput::Write(const uint8_t *data, int length)
{
    if (!IsOpen()) return 1;
    const bool wasIdle = blockEnds_.empty();
    const int result = ring_.Write(data, length, [this](const uint8_t *block, int size) {
        blockEnds_.push_back(stream_->Append(block, size));
    });
    if (wasIdle && !blockEnds_.empty()) {
        sinceProgress_.start();
        poll_.start();
    }
    return result;
}

void WaveOutput::Close()
{
    poll_.stop();
    if (sink_) {
        disconnect(sink_.get(), nullptr, this, nullptr);
        sink_->stop();
        sink_.reset();
    }
    stream_.reset();
    format_ = QAudioFormat();
    failed_ = false;
    ring_.Reset();
    blockEnds_.clear();
    played_ = 0;
}

bool WaveOutput::IsOpen() const { return sink_ && !failed_; }

void WaveOutput::Poll()
{
    if (!sink_ || blockEnds_.empty()) {
        poll_.stop();
        return;
    }
    const qint64 bytesPerSecond = format_.bytesForDuration(1000000);
    const qint64 played = sink_->processedUSecs() * bytesPerSecond / 1000000;
    if (played > played_) {
        played_ = played;
        sinceProgress_.start();
    }
    int returned = 0;
    while (!blockEnds_.empty() && blockEnds_.front() <= played_) {
        blockEnds_.pop_front();
        ++returned;
    }
    if (!blockEnds_.empty() && sinceProgress_.elapsed() > StallMs) {
        returned += static_cast<int>(blockEnds_.size());
        blockEnds_.clear();
        stream_->Discard();   // their bytes go too, or a silent stall would pile them up
    }
    ReturnBlocks(returned);
}

// A sink that stops by itself has lost its device: what was queued will not be played.
void WaveOutput::SinkStateChanged()
{
    if (!sink_ || sink_->state() != QAudio::StoppedState || sink_->error() == QAudio::NoError) return;
    failed_ = true;
    const int queued = static_cast<int>(blockEnds_.size());
    blockEnds_.clear();
    ReturnBlocks(queued);
}

void WaveOutput::ReturnBlocks(int blocks)
{
    if (blockEnds_.empty()) poll_.stop();
    if (blocks <= 0) return;
    ring_.Returned(blocks);
    emit BlocksReturned(ring_.FreeBlocks());
}

// ---------------------------------------------------------------------------
// The program's wave output
// ---------------------------------------------------------------------------

namespace {
std::unique_ptr<WaveOutput> programOutput;
} // namespace

int OpenWaveOutput(int rate, int bits)
{
    if (!programOutput) programOutput = std::make_unique<WaveOutput>();
    if (programOutput->Open(rate, bits)) return 0;
    programOutput.reset();
    return 1;
}

int WriteWaveOutput(const uint8_t *data, int length)
{
    return programOutput ? programOutput->Write(data, length) : 1;
}

void CloseWaveOutput() { programOutput.reset(); }

bool IsWaveOutputOpen() { return programOutput && programOutput->IsOpen(); }

int GetFreeWaveBlocks() { return programOutput ? programOutput->FreeBlocks() : WaveOutput::BlockCount; }

int GetWaveBlockCount() { return WaveOutput::BlockCount; }

WaveOutput *ProgramWaveOutput() { return programOutput.get(); }
