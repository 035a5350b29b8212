#include "log_window_test.h"
#include "logs/gpggaform.h"
#include "ui_gpggaform.h"
#include "ui_mainform.h"

namespace {

const char *const Fix = "GPGGA,123519.00,4807.038,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,2.5,0031";

class GpggaFormTest : public LogWindowTest {
protected:
    void Open() { MainForm->ui->GPGGA1->trigger(); }
    Ui::TGPGGAForm &Ui() { return *GPGGAForm->ui; }
};

} // namespace

TEST_F(GpggaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->GPGGA1->isChecked());
    EXPECT_EQ(GPGGAForm->windowTitle(), "GPGGA Logs");
    EXPECT_EQ(Ui().ModeLabel->text(), "No Fix");
    EXPECT_EQ(Ui().LatLabel->text(), "0.00000");
    EXPECT_EQ(Ui().LonCharLabel->text(), "E");
    EXPECT_EQ(Ui().RTCMIDLabel->text(), "");
    EXPECT_EQ(GPGGAForm->ClientWidth(), 159);
    EXPECT_EQ(GPGGAForm->ClientHeight(), 167);
    EXPECT_EQ(GPGGAForm->pos(), QPoint(96, 96));
}

TEST_F(GpggaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(Fix);
    Open();
    EXPECT_EQ(Ui().TimeLabel->text(), "123519.00");
    EXPECT_EQ(Ui().ModeLabel->text(), "GPS");
    EXPECT_EQ(Ui().LatLabel->text(), "4807.03800");
    EXPECT_EQ(Ui().LatCharLabel->text(), "N");
    EXPECT_EQ(Ui().LonLabel->text(), "1131.00000");
    EXPECT_EQ(Ui().LonCharLabel->text(), "W");
    EXPECT_EQ(Ui().NumObsLabel->text(), "8");
    EXPECT_EQ(Ui().HDOPLabel->text(), "0.90");
    EXPECT_EQ(Ui().HeightLabel->text(), "545.40");
    EXPECT_EQ(Ui().UndulationLabel->text(), "46.90");
    EXPECT_EQ(Ui().AgeLabel->text(), "2.50");
    EXPECT_EQ(Ui().RTCMIDLabel->text(), "31");
}

TEST_F(GpggaFormTest, ALineWithoutAFixShowsTheResetValues)
{
    Open();
    Receive(Fix);
    Receive("GPGGA,,,,,,0,,,,,,,,");
    EXPECT_EQ(Ui().TimeLabel->text(), "0.00");
    EXPECT_EQ(Ui().ModeLabel->text(), "No Fix");
    EXPECT_EQ(Ui().LatCharLabel->text(), "N");
    EXPECT_EQ(Ui().LonCharLabel->text(), "E");
    EXPECT_EQ(Ui().RTCMIDLabel->text(), "");
    Receive("gpgga,1,,,,,4");
    EXPECT_EQ(Ui().ModeLabel->text(), "eLoran");
    Receive("GPGGA,1,,,,,5");
    EXPECT_EQ(Ui().ModeLabel->text(), "Unknown");
}

TEST_F(GpggaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(Fix);
    Receive("GPGGA,1,2,S,3,E,1,08,0.9x");   // letters in the HDOP
    Receive("GNGGA,1,2,S,3,E,2");           // another talker
    ReceiveRaw("$GPGGA,1,2,S,3,E,2*00\r\n");  // wrong checksum
    EXPECT_EQ(Ui().TimeLabel->text(), "123519.00");
    EXPECT_EQ(Ui().ModeLabel->text(), "GPS");
}
