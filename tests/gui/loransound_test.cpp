// The Loran sound window on a machine without an audio device (the test run
// points PulseAudio at a socket where no server listens). Playback itself is
// tested against a real server in tests/audio.
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "platform/chartview.h"
#include "platform/waveoutput.h"
#include "plots/loransound.h"
#include "sentence_text.h"
#include "ui_loransound.h"
#include "ui_mainform.h"

namespace {

class LoranSoundTest : public WindowTest {
protected:
    Ui::TMainForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
        ui = MainForm->ui.get();
    }
    void Settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The AUDIO lines of the ten-minute sample (500 8-bit samples at 20 kHz each).
    static QByteArray SampleAudio(int lines)
    {
        QFile f(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray out;
        while (!f.atEnd() && lines > 0) {
            QByteArray line = f.readLine();
            if (!line.startsWith("$DODU,LOOP1,AUDIO,")) continue;
            out += line;
            --lines;
        }
        return out;
    }
    // Run by hand on a machine with sound, the tests without a device are skipped.
    static bool HaveAudioDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }
};

} // namespace

TEST_F(LoranSoundTest, ViewItemOpensAnEmptyWindowAndClosesIt)
{
    MainForm->ReceiveData(SampleAudio(2));   // nothing is kept for the window
    ui->LoranSound1->trigger();
    ASSERT_TRUE(ui->LoranSound1->isChecked());
    ASSERT_NE(LoranSoundForm, nullptr);
    EXPECT_EQ(MainForm->WindowOf(ui->LoranSound1), LoranSoundForm);
    EXPECT_EQ(LoranSoundForm->windowTitle(), "Loran Sound");
    EXPECT_EQ(LoranSoundForm->Client()->size(), QSize(256, 178));
    EXPECT_EQ(LoranSoundForm->pos(), QPoint(600, 0));
    EXPECT_EQ(LoranSoundForm->ui->Button2->text(), "Enable");
    EXPECT_FALSE(LoranSoundForm->SoundEnabled());
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound disabled");
    EXPECT_EQ(LoranSoundForm->Series1->count(), 0);
    EXPECT_EQ(LoranSoundForm->Chart1->BottomAxis()->titleText(), "time (ms)");
    EXPECT_EQ(LoranSoundForm->Chart1->BottomAxis()->max(), 25.0);
    EXPECT_EQ(LoranSoundForm->Chart1->LeftAxis()->min(), -128.0);
    EXPECT_EQ(LoranSoundForm->Chart1->LeftAxis()->max(), 128.0);
    EXPECT_FALSE(LoranSoundForm->Zoomed);

    ui->LoranSound1->trigger();
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    EXPECT_EQ(LoranSoundForm, nullptr);
    EXPECT_TRUE(MainForm->ClientArea->subWindowList().isEmpty());
}

TEST_F(LoranSoundTest, CloseBoxFreesItAndThePopupTwinOpensOrRaises)
{
    ui->LoranSound2->trigger();
    ASSERT_TRUE(ui->LoranSound1->isChecked());
    QPointer<TLoranSoundForm> first = LoranSoundForm;
    ui->GPGGA1->trigger();
    ui->LoranSound2->trigger();   // already open: brought to the front
    EXPECT_EQ(LoranSoundForm, first);
    EXPECT_EQ(MainForm->ClientArea->activeSubWindow(), first.data());

    first->close();
    Settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    // The router trusts the item only: AUDIO lines now go nowhere.
    MainForm->ReceiveData(SampleAudio(3));
    ui->LoranSound1->trigger();
    EXPECT_TRUE(ui->LoranSound1->isChecked());
    EXPECT_NE(LoranSoundForm, first.data());
}

TEST_F(LoranSoundTest, TileAndLayoutTakeTheWindowAlong)
{
    ui->GPGGA1->trigger();
    ui->LoranSound1->trigger();
    QWidget *gpgga = MainForm->WindowOf(ui->GPGGA1);
    MainForm->WindowTileHorizontal1Execute();
    EXPECT_EQ(LoranSoundForm->pos(), QPoint(gpgga->x() + gpgga->width(), 0));

    LoranSoundForm->move(30, 40);
    MainForm->StorecurrentWindows1Click();
    ui->LoranSound1->trigger();
    ASSERT_FALSE(ui->LoranSound1->isChecked());
    MainForm->RestorelastWindows1Click();
    ASSERT_TRUE(ui->LoranSound1->isChecked());
    EXPECT_EQ(LoranSoundForm->pos(), QPoint(30, 40));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LoranSoundTest, EnableAndDisableWithNothingPlaying)
{
    ui->LoranSound1->trigger();
    QPushButton *button = LoranSoundForm->ui->Button2;
    button->click();
    EXPECT_TRUE(LoranSoundForm->SoundEnabled());
    EXPECT_EQ(button->property("Tag").toInt(), 1);
    EXPECT_EQ(button->text(), "Disable");
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound enabled");
    button->click();
    EXPECT_FALSE(LoranSoundForm->SoundEnabled());
    EXPECT_EQ(button->text(), "Enable");
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound disabled");
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(LoranSoundTest, WithoutAnAudioDeviceNothingHangsOrPlays)
{
    if (HaveAudioDevice()) GTEST_SKIP() << "an audio device is present";
    EXPECT_EQ(OpenWaveOutput(20000, 8), 1);
    EXPECT_FALSE(IsWaveOutputOpen());
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(GetFreeWaveBlocks(), GetWaveBlockCount());
    const uint8_t byte = 0x80;
    EXPECT_EQ(WriteWaveOutput(&byte, 1), 1);
    WaveOutput output;
    EXPECT_FALSE(output.Open(400000, 16));
    EXPECT_EQ(output.Write(&byte, 1), 1);

    ui->LoranSound1->trigger();
    LoranSoundForm->ui->Button2->click();
    QElapsedTimer clock;
    clock.start();
    MainForm->ReceiveData(SampleAudio(40));   // each line tries the device again
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(IsWaveOutputOpen());
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound enabled");
    EXPECT_EQ(LoranSoundForm->Series1->count(), 0);   // not played, not charted

    // Disabling and closing do not wait for anything.
    LoranSoundForm->ui->Button2->click();
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound disabled");
    QPointer<TLoranSoundForm> window = LoranSoundForm;
    window->close();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ui->LoranSound1->isChecked());
}
