// Sound played for real into a PulseAudio null sink (tools/pulse_start.sh, the
// CTest fixture "pulse"), recorded from the sink's monitor.
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMediaDevices>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

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

class LoranSoundAudioTest : public WindowTest {
protected:
    Ui::TMainForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_FALSE(QMediaDevices::audioOutputs().isEmpty()) << "no test server: is PULSE_SERVER set?";
        CreateForms();
        MainForm->show();
        ui = MainForm->ui.get();
    }
    // The sample's lines: its AUDIO lines (500 8-bit samples at 20 kHz) or the others.
    static std::vector<QByteArray> SampleLines(int lines, bool audio = true)
    {
        QFile f(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        std::vector<QByteArray> out;
        while (!f.atEnd() && static_cast<int>(out.size()) < lines) {
            QByteArray line = f.readLine();
            if (line.startsWith("$DODU,LOOP1,AUDIO,") == audio) out.push_back(line);
        }
        return out;
    }
    void Feed(const std::vector<QByteArray> &lines)
    {
        for (const QByteArray &l : lines) MainForm->ReceiveData(l);
    }
    void Feed(const std::string &body) { MainForm->ReceiveData(QByteArray::fromStdString(Sentence(body) + "\r\n")); }
    void OpenAndEnable()
    {
        ui->LoranSound1->trigger();
        LoranSoundForm->ui->Button2->click();
    }
    static bool AllPlayed(int ms) { return QTest::qWaitFor([] { return GetFreeWaveBlocks() == GetWaveBlockCount(); }, ms); }
    QString Status() const { return LoranSoundForm->ui->Label1->text(); }
    // What the sink got once everything queued was played, and its stretches of sound.
    SinkRecorder recorder;
    std::vector<int16_t> heard;
    std::vector<Span> Heard()
    {
        EXPECT_TRUE(AllPlayed(15000));
        // The capture lags the device: it holds all once silence follows the last sound.
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.QuietAtEnd() >= SinkRecorder::Rate / 10; }, 10000));
        recorder.Stop();
        heard = recorder.Samples();
        return LoudSpans(heard, 1000, SinkRecorder::Rate / 200);
    }
};

} // namespace

TEST_F(LoranSoundAudioTest, AStreamAtThePlaybackRatePlaysWithoutAGap)
{
    ASSERT_TRUE(recorder.Start());
    ui->TDPlot1->trigger();
    OpenAndEnable();
    // Five blocks of a 440 Hz tone at 8 kHz in lines of 32 ms, handed over in
    // batches every 200 ms (the lines complete by then, the sample's other
    // sentences between them); the GUI thread is busy 120 ms of every 400.
    constexpr int kLine = 256, kLines = 5 * 4096 / kLine;
    const std::vector<QByteArray> others = SampleLines(400, false);
    int fed = 0, batches = 0, loads = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (clock.elapsed() >= 200 * (batches + 1)) {
            for (++batches; fed < kLines && (fed + 1) * kLine / 8 <= clock.elapsed(); ++fed) {
                Feed(AudioBody(50, 8, 440, fed * kLine, kLine, 0.8));
                for (int k = 0; k < 8; ++k) MainForm->ReceiveData(others[(fed * 8 + k) % others.size()]);
            }
        } else if (clock.elapsed() >= 400 * loads + 230) {
            for (++loads; clock.elapsed() < 400 * loads - 50;) {
            }
        }
    });
    pace.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fed == kLines; }, 20000));
    const std::vector<Span> spans = Heard();
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].Seconds(), 5 * 4096 / 8000.0, 0.01);
    // No quiet run longer than one sample period of the stream.
    EXPECT_LE(LongestQuiet(heard, spans[0], 1000), SinkRecorder::Rate / 8000);
}

TEST_F(LoranSoundAudioTest, EachFormatPlaysAtItsOwnRateCentredAtFullScale)
{
    // Full-scale sines in whole blocks; each step changes the rate or the width.
    struct Segment { int period, bits; double frequency; int samples; };
    const Segment segments[] = {{50, 6, 500, 4096}, {20, 8, 1000, 4096}, {20, 12, 1500, 4096}, {50, 16, 700, 2048}};
    ASSERT_TRUE(recorder.Start());
    OpenAndEnable();
    for (const Segment &g : segments)
        for (int i = 0; i < g.samples; i += 256) Feed(AudioBody(g.period, g.bits, g.frequency, i, 256));
    Feed(AudioBody(50, 16, 700, 2048, 255));   // a part block is never heard
    // Disabling closes the output once the blocks are back: none may be cut short.
    LoranSoundForm->ui->Button2->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "Status: Sound disabled"; }, 15000));
    const std::vector<Span> spans = Heard();
    ASSERT_EQ(spans.size(), std::size(segments));
    for (size_t k = 0; k < spans.size(); ++k) {
        SCOPED_TRACE(k);
        const Segment &g = segments[k];
        const int rate = 400000 / g.period, device = WaveDeviceRate(rate);
        EXPECT_NEAR(spans[k].Seconds(), static_cast<double>(g.samples) / device, 0.01);
        const Tone tone = MeasureTone(heard, spans[k], g.frequency * device / rate);
        EXPECT_GT(tone.match, 0.9);
        EXPECT_LT(std::abs(tone.mean), 0.01 * 32768);
        EXPECT_GT(tone.rms * std::sqrt(2.0), 32768 * std::pow(10.0, -1 / 20.0));   // within 1 dB of full scale
    }
}

TEST_F(LoranSoundAudioTest, AStalledDeviceDoesNotKeepItsBlocks)
{
    WaveOutput output;
    ASSERT_TRUE(output.Open(8000, 8));
    ASSERT_EQ(QProcess::execute("pactl", {"suspend-sink", "test_sink", "1"}), 0);
    const std::shared_ptr<void> resume(nullptr, [](void *) { QProcess::execute("pactl", {"suspend-sink", "test_sink", "0"}); });
    ASSERT_TRUE(QTest::qWaitFor([] { return SinkState() == "SUSPENDED"; }, 10000)) << SinkState().toStdString();
    std::vector<uint8_t> tone(3 * WaveOutput::BlockSize, 200);
    ASSERT_EQ(output.Write(tone.data(), static_cast<int>(tone.size())), 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.FreeBlocks() == WaveOutput::BlockCount; }, 15000));
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_LT(output.PlayedBytes(), 3 * WaveOutput::BlockSize);   // given back unplayed
}

TEST_F(LoranSoundAudioTest, LinesArePlayedAndChartedWhileSoundIsEnabled)
{
    ui->LoranSound1->trigger();
    Feed(SampleLines(3));    // sound disabled: not played, not charted
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(LoranSoundForm->Chart1->ShownPoints(LoranSoundForm->Series1).size(), 0);

    LoranSoundForm->ui->Button2->click();
    const std::vector<QByteArray> lines = SampleLines(9);
    Feed(lines);
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 1);   // 9 x 500 bytes: one full block
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));   // the chart's beat
    EXPECT_LE(LoranSoundForm->Chart1->LeftAxis()->tickInterval(), 64.0);   // ticks stay readable
    AUDIOReceived last;
    ASSERT_EQ(last.Parse(lines.back().trimmed().constData()), 0);
    ChartView *chart = LoranSoundForm->Chart1;
    const QList<QPointF> points = chart->SeriesPoints(LoranSoundForm->Series1);
    ASSERT_EQ(points.size(), 500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_DOUBLE_EQ(points[i].x(), i * 0.05) << i;   // 20 x 2.5 us per sample
        ASSERT_EQ(points[i].y(), last.SampleValue(i)) << i;
    }
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->max(), 501 * 0.05);

    // Disabling waits for the queued block, without blocking anything.
    LoranSoundForm->ui->Button2->click();
    EXPECT_EQ(Status(), "Status: Waiting for Sound to end");
    EXPECT_FALSE(LoranSoundForm->ui->Button2->isEnabled());
    Feed(SampleLines(2));   // not played while disabled
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "Status: Sound disabled"; }, 10000));
    EXPECT_TRUE(LoranSoundForm->ui->Button2->isEnabled());
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, ClosingWaitsForTheSoundThenFreesTheWindow)
{
    OpenAndEnable();
    Feed(SampleLines(20));   // two blocks queued
    QPointer<TLoranSoundForm> window = LoranSoundForm;
    window->close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(Status(), "Status: Waiting for Sound to end");
    ASSERT_TRUE(Drawn(window->ChartDrawing()));   // the chart's beat
    const qsizetype points = window->Chart1->ShownPoints(window->Series1).size();
    Feed(SampleLines(12));   // lines arriving meanwhile are left alone
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 2);
    window->close();         // a second close just keeps waiting
    EXPECT_EQ(window->Chart1->ShownPoints(window->Series1).size(), points);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 10000));
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, TheMenuOrANewSourceStopsTheSoundAtOnceAndBadLinesAreIgnored)
{
    OpenAndEnable();
    Feed(SampleLines(30));
    MainForm->ResetViews();   // a new source: its first good line opens the output in its own format
    for (const char *bad : {"DODU,LOOP1,AUDIO,20,8,fw!", "DODU,LOOP1,AUDIO,0,8,fw", "DODU,LOOP1,AUDIO,20,17,fw", "DODU,LOOP1,AUDIO,20,8"})
        Feed(bad);
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(LoranSoundForm->Chart1->ShownPoints(LoranSoundForm->Series1).size(), 0);
    Feed(AudioBody(50, 16, 440, 0, 300));
    ASSERT_TRUE(IsWaveOutputOpen());
    EXPECT_EQ(ProgramWaveOutput()->Format().sampleRate(), 8000);
    ui->LoranSound1->trigger();
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
}

TEST_F(LoranSoundAudioTest, ZoomKeepsTheAxesAndTheRightButtonPansAlongTime)
{
    OpenAndEnable();
    Feed(SampleLines(1));
    ChartView *chart = LoranSoundForm->Chart1;
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));
    QCoreApplication::processEvents();
    const QRectF area = chart->chart()->plotArea();
    auto at = [&](double fx, double fy) {
        return chart->mapFromScene(area.topLeft() + QPointF(area.width() * fx, area.height() * fy));
    };
    auto drag = [&](Qt::MouseButton button, QPoint a, QPoint b) {
        QTest::mousePress(chart->viewport(), button, {}, a);
        QTest::mouseMove(chart->viewport(), (a + b) / 2);
        QTest::mouseMove(chart->viewport(), b);
        QTest::mouseRelease(chart->viewport(), button, {}, b);
    };
    drag(Qt::LeftButton, at(0.2, 0.2), at(0.6, 0.7));
    ASSERT_TRUE(LoranSoundForm->Zoomed);
    const double x0 = chart->BottomAxis()->min(), x1 = chart->BottomAxis()->max(), y0 = chart->LeftAxis()->min();
    // A 12-bit line of 4 samples at 40 x 2.5 us: new points, same axes.
    const std::string line = "DODU,LOOP1,AUDIO,40,12,f/gAAAAB";
    Feed(line);
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));   // the chart's beat
    EXPECT_EQ(chart->PointCount(LoranSoundForm->Series1), 4);
    EXPECT_EQ(chart->BottomAxis()->min(), x0);
    EXPECT_EQ(chart->LeftAxis()->min(), y0);

    // Dragging with the right button moves the time axis only, here by half its width.
    drag(Qt::RightButton, at(0.6, 0.5), at(0.1, 0.8));
    EXPECT_NEAR(chart->BottomAxis()->min(), x0 + (x1 - x0) / 2, (x1 - x0) / 50);
    EXPECT_NEAR(chart->BottomAxis()->max() - chart->BottomAxis()->min(), x1 - x0, 1e-9);
    EXPECT_EQ(chart->LeftAxis()->min(), y0);
    EXPECT_TRUE(LoranSoundForm->Zoomed);

    // A right click undoes the zoom: the next line sets the axes again.
    drag(Qt::RightButton, at(0.5, 0.5), at(0.5, 0.5));
    EXPECT_FALSE(LoranSoundForm->Zoomed);
    Feed(line);
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));   // the chart's beat
    EXPECT_EQ(chart->LeftAxis()->min(), -2048.0);
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->max(), 5 * 0.1);
    const QList<QPointF> points = chart->SeriesPoints(LoranSoundForm->Series1);
    ASSERT_EQ(points.size(), 4);
    EXPECT_EQ(points[1].y(), -2048);   // 0x800
}

TEST_F(LoranSoundAudioTest, TheChartFollowsAtItsBeatAndNotWhileMinimised)
{
    OpenAndEnable();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    int replaced = 0;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> times;
    QObject::connect(LoranSoundForm->Chart1, &ChartView::PointsShown, [&] {
        ++replaced;
        times.push_back(clock.elapsed());
    });
    const std::vector<QByteArray> lines = SampleLines(12);
    MainForm->ReceiveData(lines[0]);
    EXPECT_EQ(replaced, 1);   // after a quiet spell, at once
    for (size_t i = 1; i < 6; ++i) {
        MainForm->ReceiveData(lines[i]);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));
    // The others wait for the chart's beat (more than one on a slow machine).
    EXPECT_TRUE(AtMostOnceAPeriod(times, TLoranSoundForm::ChartPeriodMs));
    const int before = replaced;

    // Minimised, the window charts nothing; restored, it charts the newest line.
    LoranSoundForm->showMinimized();
    Feed(std::vector<QByteArray>(lines.begin() + 6, lines.end()));
    ASSERT_TRUE(BeatPassed(TLoranSoundForm::ChartPeriodMs));
    EXPECT_EQ(replaced, before);
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount() - 1) << "played all the same";
    LoranSoundForm->showNormal();
    ASSERT_TRUE(Drawn(LoranSoundForm->ChartDrawing()));
    EXPECT_EQ(replaced, before + 1);
    AUDIOReceived last;
    ASSERT_EQ(last.Parse(lines.back().trimmed().constData()), 0);
    const QList<QPointF> points = LoranSoundForm->Chart1->SeriesPoints(LoranSoundForm->Series1);
    ASSERT_EQ(points.size(), 500);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(points[i].y(), last.SampleValue(i)) << i;
    EXPECT_DOUBLE_EQ(LoranSoundForm->Chart1->BottomAxis()->max(), 501 * 0.05);
}
