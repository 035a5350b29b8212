#include "platform/waveoutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QByteArray>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>

namespace {

// How much the server is asked to hold ahead of what it plays. With 150 ms a
// busy machine (two busy loops a core) starved the feed or the server long
// enough for the sound to break off in 2 of 10 plays; 500 ms never did.
constexpr int kDeviceBufferMs = 500;
// How long after its end a block counts as played (the device's estimate of
// what it has played is a little early), and how much silence follows the old
// format before the device is reopened in a new one.
constexpr int kTailMs = 40;
constexpr int kPollMs = 10;

// A block on its way to the device, with the format it is played in.
struct Chunk {
    QAudioFormat format;
    QByteArray bytes;
    qsizetype taken = 0;   // bytes already handed to the device
};

char SilenceOf(const QAudioFormat &format) { return format.sampleFormat() == QAudioFormat::UInt8 ? char(0x80) : char(0); }

} // namespace

// Feeds the device on the output's own thread. The owner queues blocks from its
// thread; everything else here runs on the player's thread, where the sink
// pulls what it plays through Pull.
class WaveOutput::Player : public QObject {
public:
    Player(WaveOutput *owner, const QAudioDevice &device, int generation)
        : owner_(owner), device_(device), generation_(generation)
    {
    }

    // Any thread. The poll wakes with the first block after a quiet spell.
    void Queue(const QAudioFormat &format, const uint8_t *data, int size)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back({format, QByteArray(reinterpret_cast<const char *>(data), size)});
        if (polling_) return;
        polling_ = true;
        QMetaObject::invokeMethod(this, &Player::Resume, Qt::QueuedConnection);
    }

    bool Start(const QAudioFormat &format)
    {
        poll_ = new QTimer(this);
        poll_->setInterval(kPollMs);
        connect(poll_, &QTimer::timeout, this, &Player::Poll);
        return OpenSink(format);
    }

    void Stop()
    {
        if (poll_) poll_->stop();
        stopped_ = true;
        CloseSink();
    }

private:
    // What the sink reads: the player's stream, never running dry.
    class Pull : public QIODevice {
    public:
        explicit Pull(Player *player) : player_(player) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
        bool isSequential() const override { return true; }
        qint64 bytesAvailable() const override { return BlockSize + QIODevice::bytesAvailable(); }

    protected:
        qint64 readData(char *data, qint64 maxSize) override { return player_->Read(data, maxSize); }
        qint64 writeData(const char *, qint64) override { return -1; }

    private:
        Player *player_;
    };

    bool OpenSink(const QAudioFormat &format)
    {
        format_ = format;
        served_ = played_ = lastEnd_ = 0;
        owner_->played_ = 0;
        lead_ = 0;
        dry_ = true;
        pull_ = std::make_unique<Pull>(this);
        sink_ = std::make_unique<QAudioSink>(device_, format);
        sink_->setBufferSize(format.bytesForDuration(kDeviceBufferMs * 1000));
        connect(sink_.get(), &QAudioSink::stateChanged, this, &Player::SinkStateChanged);
        sink_->start(pull_.get());
        if (sink_->error() == QAudio::NoError && sink_->state() != QAudio::StoppedState) return true;
        CloseSink();
        return false;
    }

    void CloseSink()
    {
        if (sink_) {
            disconnect(sink_.get(), nullptr, this, nullptr);
            sink_->stop();
            sink_.reset();
        }
        pull_.reset();
    }

    // The stream: queued blocks of the present format in order, silence when
    // none is waiting, and a lead of silence before sound that follows silence.
    qint64 Read(char *data, qint64 maxSize)
    {
        if (maxSize <= 0) return 0;
        qint64 n = 0;
        std::lock_guard<std::mutex> lock(mutex_);
        while (n < maxSize) {
            if (lead_ > 0) {
                const qint64 k = std::min(lead_, maxSize - n);
                std::memset(data + n, SilenceOf(format_), static_cast<size_t>(k));
                lead_ -= k;
                n += k;
                continue;
            }
            if (waiting_.empty() || waiting_.front().format != format_) {
                dry_ = true;
                break;
            }
            if (dry_) {
                dry_ = false;
                lead_ = format_.bytesForDuration(LeadMs * 1000);
                continue;
            }
            Chunk &c = waiting_.front();
            const qint64 k = std::min(c.bytes.size() - c.taken, maxSize - n);
            std::memcpy(data + n, c.bytes.constData() + c.taken, static_cast<size_t>(k));
            c.taken += k;
            n += k;
            if (c.taken == c.bytes.size()) {
                waiting_.pop_front();
                lastEnd_ = served_ + n;
                ends_.push_back(lastEnd_);
            }
        }
        if (n < maxSize) std::memset(data + n, SilenceOf(format_), static_cast<size_t>(maxSize - n));
        served_ += maxSize;
        return maxSize;
    }

    // Gives back the blocks the device has played, drops them when it stalls,
    // and reopens the device when what waits is in another format.
    void Poll()
    {
        if (!sink_) return;
        const qint64 played = sink_->processedUSecs() * format_.bytesForDuration(1000000) / 1000000;
        if (played > played_) {
            played_ = played;
            owner_->played_ = played;
            progress_.start();
        }
        const qint64 tail = format_.bytesForDuration(kTailMs * 1000);
        int returned = 0;
        while (!ends_.empty() && ends_.front() + tail <= played_) {
            ends_.pop_front();
            ++returned;
        }
        std::optional<QAudioFormat> next;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const bool busy = !ends_.empty() || !waiting_.empty();
            if (!busy) {
                // Nothing out and nothing waiting: the device plays silence by
                // itself; the next block queued wakes the poll again.
                polling_ = false;
                poll_->stop();
            }
            if (!busy || !progress_.isValid()) progress_.start();
            if (busy && progress_.elapsed() > StallMs) {
                // Their bytes go too, or a silent stall would pile them up.
                returned += static_cast<int>(ends_.size() + waiting_.size());
                ends_.clear();
                waiting_.clear();
            }
            if (ends_.empty() && !waiting_.empty() && waiting_.front().format != format_ && played_ >= lastEnd_ + tail)
                next = waiting_.front().format;
        }
        if (next) {
            CloseSink();
            if (!OpenSink(*next)) returned += Fail();
        }
        GiveBack(returned);
    }

    // The first block after a quiet spell: the device's progress counts from now.
    void Resume()
    {
        if (stopped_ || !sink_ || owner_->failed_ || poll_->isActive()) return;
        progress_.start();
        poll_->start();
    }

    // A sink that stops by itself has lost its device: what was queued will not be played.
    void SinkStateChanged()
    {
        if (!sink_ || sink_->state() != QAudio::StoppedState || sink_->error() == QAudio::NoError) return;
        GiveBack(Fail());
    }

    int Fail()
    {
        owner_->failed_ = true;
        poll_->stop();
        std::lock_guard<std::mutex> lock(mutex_);
        const int blocks = static_cast<int>(ends_.size() + waiting_.size());
        ends_.clear();
        waiting_.clear();
        return blocks;
    }

    void GiveBack(int blocks)
    {
        if (blocks <= 0) return;
        WaveOutput *owner = owner_;
        const int generation = generation_;
        QMetaObject::invokeMethod(
            owner, [owner, generation, blocks] { owner->Returned(generation, blocks); }, Qt::QueuedConnection);
    }

    WaveOutput *const owner_;
    const QAudioDevice device_;
    const int generation_;
    QTimer *poll_ = nullptr;
    std::unique_ptr<Pull> pull_;
    std::unique_ptr<QAudioSink> sink_;
    QAudioFormat format_;
    QElapsedTimer progress_;    // since the device last played on
    std::deque<qint64> ends_;   // stream offsets where the blocks handed out end
    qint64 served_ = 0;         // bytes handed to the device in its present format
    qint64 played_ = 0;         // of those, played
    qint64 lastEnd_ = 0;

    std::mutex mutex_;          // guards waiting_, and with it what Read and Poll do with it
    std::deque<Chunk> waiting_;
    qint64 lead_ = 0;           // silence still to come before the next block
    bool dry_ = true;           // the last bytes handed out were silence
    bool polling_ = false;      // the poll runs, or is on its way
    bool stopped_ = false;      // on the player's thread
};

WaveOutput::WaveOutput(QObject *parent) : QObject(parent) { thread_.setObjectName("wave output"); }

WaveOutput::~WaveOutput() { Close(); }

bool WaveOutput::Open(int rate, int bits)
{
    QAudioFormat format;
    format.setSampleRate(WaveDeviceRate(rate));
    format.setChannelCount(1);
    format.setSampleFormat(WaveDeviceBits(bits) == 16 ? QAudioFormat::Int16 : QAudioFormat::UInt8);
    if (IsOpen()) {
        if (format == format_) return true;
        if (!device_.isFormatSupported(format)) return false;
        ring_.Flush([this](const uint8_t *block, int size) { player_->Queue(format_, block, size); });
        format_ = format;
        return true;
    }

    Close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) return false;
    device_ = device;
    format_ = format;
    player_ = new Player(this, device, generation_);
    player_->moveToThread(&thread_);
    thread_.start();
    bool started = false;
    QMetaObject::invokeMethod(
        player_, [this, &started, format] { started = player_->Start(format); }, Qt::BlockingQueuedConnection);
    if (!started) Close();
    return started;
}

int WaveOutput::Write(const uint8_t *data, int length)
{
    if (!IsOpen()) return 1;
    return ring_.Write(data, length, [this](const uint8_t *block, int size) { player_->Queue(format_, block, size); });
}

void WaveOutput::Close()
{
    if (player_) {
        QMetaObject::invokeMethod(player_, [this] { player_->Stop(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete player_;
        player_ = nullptr;
    }
    ++generation_;
    format_ = QAudioFormat();
    failed_ = false;
    ring_.Reset();
    played_ = 0;
}

bool WaveOutput::IsOpen() const { return player_ && !failed_; }

void WaveOutput::Returned(int generation, int blocks)
{
    if (generation != generation_ || blocks <= 0) return;
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
    if (!programOutput->IsOpen()) programOutput.reset();
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
