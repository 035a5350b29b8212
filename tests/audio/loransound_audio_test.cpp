// Sound played for real: a PulseAudio server with a null sink is started for
// these tests (tools/pulse_start.sh, the CTest fixture "pulse"), and what it
// receives is recorded from the sink's monitor.
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMediaDevices>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "platform/chartview.h"
#include "platform/waveoutput.h"
#include "plots/audio.h"
#include "plots/loransound.h"
#include "sentence_text.h"
#include "sink_recorder.h"
#include "ui_loransound.h"
#include "ui_mainform.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// n samples of a sine of the given frequency, as 8-bit unsigned or 16-bit signed PCM.
std::vector<uint8_t> Sine(int n, double frequency, int rate, int bits, int amplitude)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) {
        const int v = static_cast<int>(std::lround(amplitude * std::sin(2 * kPi * frequency * i / rate)));
        if (bits == 8) {
            out.push_back(static_cast<uint8_t>(128 + v));
        } else {
            const auto w = static_cast<uint16_t>(static_cast<int16_t>(v));
            out.push_back(static_cast<uint8_t>(w & 0xFF));
            out.push_back(static_cast<uint8_t>(w >> 8));
        }
    }
    return out;
}

class AudioTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_FALSE(QMediaDevices::audioOutputs().isEmpty()) << "no test server: is PULSE_SERVER set?";
    }
    void TearDown() override
    {
        CloseWaveOutput();
        WindowTest::TearDown();
    }
    static void Wait(int ms) { QTest::qWait(ms); }
};

class LoranSoundAudioTest : public AudioTest {
protected:
    Ui::TMainForm *ui = nullptr;
    void SetUp() override
    {
        AudioTest::SetUp();
        CreateForms();
        MainForm->show();
        ui = MainForm->ui.get();
    }
    static std::vector<QByteArray> SampleAudio(int lines)
    {
        QFile f(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        std::vector<QByteArray> out;
        while (!f.atEnd() && static_cast<int>(out.size()) < lines) {
            QByteArray line = f.readLine();
            if (line.startsWith("$DODU,LOOP1,AUDIO,")) out.push_back(line);
        }
        return out;
    }
    void Feed(const std::vector<QByteArray> &lines)
    {
        for (const QByteArray &l : lines) MainForm->ReceiveData(l);
    }
    void OpenAndEnable()
    {
        ui->LoranSound1->trigger();
        ASSERT_NE(LoranSoundForm, nullptr);
        LoranSoundForm->ui->Button2->click();
        ASSERT_TRUE(LoranSoundForm->SoundEnabled());
    }
    QString Status() const { return LoranSoundForm->ui->Label1->text(); }
};

} // namespace

TEST_F(AudioTest, FullBlocksArePlayedAndComeBackOnlyWhenPlayed)
{
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    WaveOutput output;
    ASSERT_TRUE(output.Open(20000, 8));
    EXPECT_EQ(output.Format().sampleRate(), 22050);
    EXPECT_EQ(output.Format().sampleFormat(), QAudioFormat::UInt8);
    EXPECT_EQ(output.Format().channelCount(), 1);
    Wait(300);   // the recorder starts on silence

    QSignalSpy returned(&output, &WaveOutput::BlocksReturned);
    const int blocks = 5;
    std::vector<uint8_t> tone = Sine(blocks * WaveOutput::BlockSize, 1000, 22050, 8, 100);
    // A partly filled block after them is never heard.
    std::vector<uint8_t> rest = Sine(WaveOutput::BlockSize - 1, 3000, 22050, 8, 100);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(output.Write(tone.data(), static_cast<int>(tone.size())), 0);
    ASSERT_EQ(output.Write(rest.data(), static_cast<int>(rest.size())), 0);
    EXPECT_EQ(output.FreeBlocks(), WaveOutput::BlockCount - blocks);
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.FreeBlocks() == WaveOutput::BlockCount; }, 10000));
    // Five blocks take 0.93 s to play: none may come back before its time.
    EXPECT_GE(clock.elapsed(), 850);
    EXPECT_GE(returned.size(), 1);
    EXPECT_EQ(returned.last().at(0).toInt(), WaveOutput::BlockCount);
    Wait(300);
    recorder.Stop();
    output.Close();

    const SinkRecorder::Tone heard = recorder.Find();
    EXPECT_EQ(heard.stretches, 1);
    EXPECT_NEAR(heard.seconds, blocks * 4096 / 22050.0, 0.02);
    EXPECT_NEAR(heard.frequency, 1000, 30);
}

TEST_F(AudioTest, ALoneSixteenBitBlockIsPlayedAsSignedSamples)
{
    // 46 ms at 44.1 kHz: less than the device's buffer, so it must not wait for more.
    SinkRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    WaveOutput output;
    ASSERT_TRUE(output.Open(50000, 16));
    EXPECT_EQ(output.Format().sampleRate(), 44100);
    EXPECT_EQ(output.Format().sampleFormat(), QAudioFormat::Int16);
    Wait(300);
    std::vector<uint8_t> tone = Sine(WaveOutput::BlockSize / 2, 1000, 44100, 16, 10000);
    ASSERT_EQ(output.Write(tone.data(), static_cast<int>(tone.size())), 0);
    EXPECT_EQ(output.FreeBlocks(), WaveOutput::BlockCount - 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.FreeBlocks() == WaveOutput::BlockCount; }, 5000));
    Wait(300);
    recorder.Stop();
    output.Close();

    const SinkRecorder::Tone heard = recorder.Find();
    EXPECT_EQ(heard.stretches, 1);
    EXPECT_NEAR(heard.seconds, 2048 / 44100.0, 0.006);
    EXPECT_NEAR(heard.peak, 10000, 1500);   // a sign mistake would show as a full-scale offset
}

TEST_F(AudioTest, AStalledDeviceDoesNotKeepItsBlocks)
{
    WaveOutput output;
    ASSERT_TRUE(output.Open(8000, 8));
    ASSERT_EQ(QProcess::execute("pactl", {"suspend-sink", "test_sink", "1"}), 0);
    struct Resume {
        ~Resume() { QProcess::execute("pactl", {"suspend-sink", "test_sink", "0"}); }
    } resume;
    Wait(200);
    std::vector<uint8_t> tone = Sine(3 * WaveOutput::BlockSize, 500, 8000, 8, 100);
    ASSERT_EQ(output.Write(tone.data(), static_cast<int>(tone.size())), 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.FreeBlocks() == WaveOutput::BlockCount; }, 15000));
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_LT(output.PlayedBytes(), 3 * WaveOutput::BlockSize);   // given back unplayed
}

TEST_F(LoranSoundAudioTest, LinesArePlayedAndChartedWhileSoundIsEnabled)
{
    // Only while the View item is checked do AUDIO lines reach the window.
    Feed(SampleAudio(10));
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    ui->LoranSound1->trigger();
    Feed(SampleAudio(3));   // sound disabled: not played, not charted
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(LoranSoundForm->Series1->count(), 0);

    LoranSoundForm->ui->Button2->click();
    const std::vector<QByteArray> lines = SampleAudio(9);
    Feed(lines);
    ASSERT_TRUE(IsWaveOutputOpen());
    EXPECT_EQ(ProgramWaveOutput()->Format().sampleRate(), 22050);   // 20 kHz samples
    EXPECT_EQ(ProgramWaveOutput()->Format().sampleFormat(), QAudioFormat::UInt8);
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 1);   // 9 x 500 bytes: one full block

    AUDIOReceived last;
    ASSERT_EQ(last.Parse(lines.back().trimmed().constData()), 0);
    ChartView *chart = LoranSoundForm->Chart1;
    const QList<QPointF> points = chart->SeriesPoints(LoranSoundForm->Series1);
    ASSERT_EQ(points.size(), 500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_DOUBLE_EQ(points[i].x(), i * 0.05) << i;   // 20 x 2.5 us per sample
        ASSERT_EQ(points[i].y(), last.SampleValue(i)) << i;
    }
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->min(), 0.0);
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->max(), 501 * 0.05);
    EXPECT_EQ(chart->LeftAxis()->min(), -128.0);
    EXPECT_EQ(chart->LeftAxis()->max(), 128.0);
    EXPECT_EQ(LoranSoundForm->Series1->pen().color(), QColor(Qt::yellow));

    // Disabling waits for the queued block, without blocking anything.
    LoranSoundForm->ui->Button2->click();
    EXPECT_EQ(Status(), "Status: Waiting for Sound to end");
    EXPECT_FALSE(LoranSoundForm->ui->Button2->isEnabled());
    EXPECT_FALSE(LoranSoundForm->SoundEnabled());
    Feed(SampleAudio(2));   // not played while disabled
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "Status: Sound disabled"; }, 10000));
    EXPECT_EQ(LoranSoundForm->ui->Button2->text(), "Enable");
    EXPECT_TRUE(LoranSoundForm->ui->Button2->isEnabled());
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, ClosingWaitsForTheSoundThenFreesTheWindow)
{
    OpenAndEnable();
    Feed(SampleAudio(20));   // two blocks queued
    ASSERT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 2);
    QPointer<TLoranSoundForm> window = LoranSoundForm;
    window->close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(ui->LoranSound1->isChecked());
    EXPECT_EQ(Status(), "Status: Waiting for Sound to end");
    const int points = window->Series1->count();
    Feed(SampleAudio(12));   // lines arriving meanwhile are left alone
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 2);
    window->close();         // a second close just keeps waiting
    EXPECT_FALSE(window.isNull());
    EXPECT_EQ(window->Series1->count(), points);

    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 10000));
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    Feed(SampleAudio(3));
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, TheMenuDeletesAtOnceAndTheSoundStops)
{
    OpenAndEnable();
    Feed(SampleAudio(30));
    ASSERT_TRUE(IsWaveOutputOpen());
    ui->LoranSound1->trigger();
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    EXPECT_EQ(LoranSoundForm, nullptr);
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, WhileZoomedLinesRedrawButLeaveTheAxes)
{
    OpenAndEnable();
    Feed(SampleAudio(1));
    ChartView *chart = LoranSoundForm->Chart1;
    QCoreApplication::processEvents();
    // A rubber-band zoom on the chart.
    const QRectF area = chart->chart()->plotArea();
    QPoint a = chart->mapFromScene(area.topLeft() + QPointF(area.width() * 0.2, area.height() * 0.2));
    QPoint b = chart->mapFromScene(area.topLeft() + QPointF(area.width() * 0.6, area.height() * 0.7));
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, chart->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(chart->viewport(), &e);
    };
    send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (a + b) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    ASSERT_TRUE(LoranSoundForm->Zoomed);
    const double x0 = chart->BottomAxis()->min(), x1 = chart->BottomAxis()->max();
    const double y0 = chart->LeftAxis()->min(), y1 = chart->LeftAxis()->max();

    // A 12-bit line of 4 samples at 40 x 2.5 us: new points, same axes.
    const std::string line = Sentence("DODU,LOOP1,AUDIO,40,12,f/gAAAAB");
    MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n"));
    EXPECT_EQ(chart->PointCount(LoranSoundForm->Series1), 4);
    EXPECT_EQ(chart->BottomAxis()->min(), x0);
    EXPECT_EQ(chart->BottomAxis()->max(), x1);
    EXPECT_EQ(chart->LeftAxis()->min(), y0);
    EXPECT_EQ(chart->LeftAxis()->max(), y1);

    // Undoing the zoom: the next line sets the axes again.
    const QPoint c = chart->mapFromScene(area.center());
    send(QEvent::MouseButtonPress, c, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseButtonRelease, c, Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(LoranSoundForm->Zoomed);
    MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n"));
    EXPECT_EQ(chart->LeftAxis()->min(), -2048.0);
    EXPECT_EQ(chart->LeftAxis()->max(), 2048.0);
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->max(), 5 * 0.1);
    const QList<QPointF> points = chart->SeriesPoints(LoranSoundForm->Series1);
    ASSERT_EQ(points.size(), 4);
    EXPECT_EQ(points[0].y(), 2047);    // 0x7FF
    EXPECT_EQ(points[1].y(), -2048);   // 0x800
    EXPECT_EQ(points[2].y(), 0);
    EXPECT_EQ(points[3].y(), 1);
    EXPECT_DOUBLE_EQ(points[3].x(), 0.3);
}

TEST_F(LoranSoundAudioTest, BadLinesAreIgnored)
{
    OpenAndEnable();
    for (const char *body : {"DODU,LOOP1,AUDIO,20,8,fw!", "DODU,LOOP1,AUDIO,0,8,fw", "DODU,LOOP1,AUDIO,20,17,fw",
                             "DODU,LOOP1,AUDIO,20,8"})
        MainForm->ReceiveData(QByteArray::fromStdString(Sentence(body) + "\r\n"));
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(LoranSoundForm->Series1->count(), 0);
}
