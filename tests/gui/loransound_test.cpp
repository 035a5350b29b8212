// The Loran sound window without an audio device (PulseAudio is pointed at a
// socket where no server listens); playback is tested in tests/audio.
#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMdiArea>
#include <QMediaDevices>

#include "gui_test_support.h"
#include "platform/waveoutput.h"
#include "plots/loransound.h"
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
    // AUDIO lines of 500 8-bit samples at 20 kHz.
    static QByteArray SampleAudio(int lines)
    {
        return QByteArray::fromStdString(Sentence("DODU,LOOP1,AUDIO,20,8," + std::string(668, 'A')) + "\r\n").repeated(lines);
    }
};

} // namespace

TEST_F(LoranSoundTest, ViewItemOpensAnEmptyWindowTheTwinRaisesItAndTilePlacesIt)
{
    MainForm->ReceiveData(SampleAudio(2));   // nothing is kept for the window
    ui->LoranSound2->trigger();
    ASSERT_TRUE(ui->LoranSound1->isChecked());
    EXPECT_EQ(Shown(LoranSoundForm->Series1).size(), 0);
    ChartView *chart = LoranSoundForm->Chart1;
    QCoreApplication::processEvents();
    EXPECT_LE(chart->LeftAxis()->tickInterval(), 64.0);   // -128, -64, 0, 64, 128 at least
    // The longest status fits its label (on two lines if need be).
    QLabel *label = LoranSoundForm->ui->Label1;
    const QRect room = label->contentsRect();
    const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
    EXPECT_TRUE(room.contains(label->fontMetrics().boundingRect(room, wrap, "Status: Waiting for Sound to end")));

    ui->GPGGA1->trigger();
    ui->LoranSound2->trigger();   // already open: brought to the front
    EXPECT_EQ(MainForm->ClientArea->activeSubWindow(), LoranSoundForm);
    QWidget *gpgga = MainForm->WindowOf(ui->GPGGA1);
    MainForm->WindowTileHorizontal1Execute();
    EXPECT_EQ(LoranSoundForm->pos(), QPoint(gpgga->x() + gpgga->width(), 0));
    LoranSoundForm->move(30, 40);   // a stored place wins over the one it takes when created
    MainForm->StorecurrentWindows1Click();
    ui->LoranSound1->trigger();
    MainForm->RestorelastWindows1Click();
    EXPECT_EQ(LoranSoundForm->pos(), QPoint(30, 40));
}

TEST_F(LoranSoundTest, WithoutAnAudioDeviceNothingHangsOrPlays)
{
    if (!QMediaDevices::audioOutputs().isEmpty()) GTEST_SKIP() << "an audio device is present";
    ui->LoranSound1->trigger();
    QPushButton *button = LoranSoundForm->ui->Button2;
    button->click();
    EXPECT_EQ(button->text(), "Disable");
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound enabled");
    QElapsedTimer clock;
    clock.start();
    MainForm->ReceiveData(SampleAudio(40));   // each line tries the device again
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(ProgramWaveOutput(), nullptr);
    EXPECT_EQ(Shown(LoranSoundForm->Series1).size(), 0);   // not played, not charted

    // Disabling and closing do not wait for anything; lines then go nowhere.
    button->click();
    EXPECT_EQ(button->text(), "Enable");
    EXPECT_EQ(LoranSoundForm->ui->Label1->text(), "Status: Sound disabled");
    QPointer<TLoranSoundForm> window = LoranSoundForm;
    window->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ui->LoranSound1->isChecked());
    MainForm->ReceiveData(SampleAudio(3));
}
