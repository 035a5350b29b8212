#include "log_window_test.h"
#include "logs/gpposaform.h"
#include "ui_gpposaform.h"
#include "ui_mainform.h"

namespace {

const char *const LongForm =
    "DODU,GPPOSA,V1.0,123456.78,51226,G,A,52.1234567,4.7654321,12.5,46.25,0.5,123.456,359.9,9,1.2,2.3,3.4,0.01";

class GpposaFormTest : public LogWindowTest {
protected:
    void Open() { MainForm->ui->GPPOSA1->trigger(); }
    Ui::TGPPOSAForm &Ui() { return *GPPOSAForm->ui; }
};

} // namespace

TEST_F(GpposaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->GPPOSA1->isChecked());
    EXPECT_EQ(GPPOSAForm->windowTitle(), "GPPOSA");
    EXPECT_EQ(Ui().SourceLabel->text(), "None");
    EXPECT_EQ(Ui().ModeLabel->text(), "No fix");
    EXPECT_EQ(Ui().LatLabel->text(), "0.0000000");
    EXPECT_EQ(Ui().QualityLabel->text(), "0.00");
    EXPECT_EQ(GPPOSAForm->ClientWidth(), 159);
    EXPECT_EQ(GPPOSAForm->ClientHeight(), 280);
    EXPECT_EQ(GPPOSAForm->pos(), QPoint(0, 0));
}

TEST_F(GpposaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(LongForm);
    Open();
    EXPECT_EQ(Ui().VersionLabel->text(), "V1.0");
    EXPECT_EQ(Ui().TimeLabel->text(), "12:34:56.78");
    EXPECT_EQ(Ui().DateLabel->text(), "05/12/26");
    EXPECT_EQ(Ui().SourceLabel->text(), "GPS");
    EXPECT_EQ(Ui().ModeLabel->text(), "Stand alone");
    EXPECT_EQ(Ui().LatLabel->text(), "52.1234567");
    EXPECT_EQ(Ui().LonLabel->text(), "4.7654321");
    EXPECT_EQ(Ui().HeightLabel->text(), "12.50");
    EXPECT_EQ(Ui().UndulationLabel->text(), "46.25");
    EXPECT_EQ(Ui().VelocityLabel->text(), "0.50");
    EXPECT_EQ(Ui().HeadingLabel->text(), "123.46");
    EXPECT_EQ(Ui().CompassLabel->text(), "359.90");
    EXPECT_EQ(Ui().NumSVLabel->text(), "9");
    EXPECT_EQ(Ui().HDOPLabel->text(), "1.20");
    EXPECT_EQ(Ui().VDOPLabel->text(), "2.30");
    EXPECT_EQ(Ui().PDOPLabel->text(), "3.40");
    EXPECT_EQ(Ui().QualityLabel->text(), "0.01");
}

TEST_F(GpposaFormTest, ShortFormWithoutTimeOrDops)
{
    Open();
    Receive("DODU,V0.9,GPPOS,123456.78,51226,,W,52.1,4.2,1,2,3,4,5");
    EXPECT_EQ(Ui().VersionLabel->text(), "V0.9");
    EXPECT_EQ(Ui().TimeLabel->text(), "123456.78");
    EXPECT_EQ(Ui().DateLabel->text(), "- - -");
    EXPECT_EQ(Ui().SourceLabel->text(), "None");
    EXPECT_EQ(Ui().ModeLabel->text(), "WAAS/EGNOS");
    EXPECT_EQ(Ui().NumSVLabel->text(), "0");
    EXPECT_EQ(Ui().HDOPLabel->text(), "99.90");
    EXPECT_EQ(Ui().QualityLabel->text(), "- - -");
}

TEST_F(GpposaFormTest, ATimeOutsideADayShowsRaw)
{
    Open();
    Receive("DODU,GPPOSA,V1.0,1e300,51226,G,A,52,4,1,2,3,4,5,9,1,2,3,1");
    QString time = GPPOSAForm->ui->TimeLabel->text();
    EXPECT_GT(time.size(), 300);
    EXPECT_TRUE(time.startsWith("1000000000000000052")) << time.left(40).toStdString();
    EXPECT_TRUE(time.endsWith(".00"));
    EXPECT_EQ(Ui().DateLabel->text(), "05/12/26");
    EXPECT_EQ(Ui().SourceLabel->text(), "GPS");
    Receive("DODU,GPPOSA,V1.0,-5,51226,L,A,52,4,1,2,3,4,5,9,1,2,3,1");
    EXPECT_EQ(Ui().TimeLabel->text(), "-5.00");
    EXPECT_EQ(Ui().SourceLabel->text(), "eLoran");
}

TEST_F(GpposaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(LongForm);
    Receive("DODU,GPPOSA,V2,1,51226,G,E,52,4,12,46,1.2x,123,359,9,1,2,3,1");   // letters in the velocity
    Receive("DODU,GPPOSA,V2,1,51226,G,E,52,4,12,46,1");                       // fewer than 14 fields
    EXPECT_EQ(Ui().VersionLabel->text(), "V1.0");
    EXPECT_EQ(Ui().ModeLabel->text(), "Stand alone");
}
