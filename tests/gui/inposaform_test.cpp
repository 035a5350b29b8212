#include "log_window_test.h"
#include "logs/inposaform.h"
#include "ui_inposaform.h"
#include "ui_mainform.h"

namespace {

const char *const NewForm = "DODU,INPOSA,V3,123456.78,51226,L,AS,52.5,4.5,10,20,30,40,50,7,3,1.25,0.5";

class InposaFormTest : public LogWindowTest {
protected:
    void Open() { MainForm->ui->INPOSA1->trigger(); }
    Ui::TINPOSAForm &Ui() { return *INPOSAForm->ui; }
};

} // namespace

TEST_F(InposaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->INPOSA1->isChecked());
    EXPECT_EQ(INPOSAForm->windowTitle(), "INPOSA");
    EXPECT_EQ(Ui().DateLabel->text(), "0.00");
    EXPECT_EQ(Ui().SourceLabel->text(), "- - -");
    EXPECT_EQ(Ui().LoranModeLabel->text(), "No fix");
    EXPECT_EQ(INPOSAForm->ClientWidth(), 159);
    EXPECT_EQ(INPOSAForm->ClientHeight(), 280);
    EXPECT_EQ(INPOSAForm->pos(), QPoint(80, 80));
}

TEST_F(InposaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(NewForm);
    Open();
    EXPECT_EQ(Ui().VersionLabel->text(), "V3");
    EXPECT_EQ(Ui().TimeLabel->text(), "12:34:56.78");
    EXPECT_EQ(Ui().DateLabel->text(), "05/12/26");
    EXPECT_EQ(Ui().SourceLabel->text(), "eLoran");
    EXPECT_EQ(Ui().GPSModeLabel->text(), "Stand alone");
    EXPECT_EQ(Ui().LoranModeLabel->text(), "ASF Corrected");
    EXPECT_EQ(Ui().LatLabel->text(), "52.5000000");
    EXPECT_EQ(Ui().HeightLabel->text(), "10.00");
    EXPECT_EQ(Ui().CompassLabel->text(), "50.00");
    EXPECT_EQ(Ui().NumSVLabel->text(), "7");
    EXPECT_EQ(Ui().NumLoranLabel->text(), "3");
    EXPECT_EQ(Ui().HDOPLabel->text(), "1.25");
    EXPECT_EQ(Ui().QualityLabel->text(), "0.50");
}

TEST_F(InposaFormTest, OldFormCarriesNoHdopOrQuality)
{
    Open();
    Receive(NewForm);
    Receive("DODU,V2,INPOS,123456.78,51226,G,N,D,52.5,4.5,10,20,30,40,50,7,3");
    EXPECT_EQ(Ui().VersionLabel->text(), "V2");
    EXPECT_EQ(Ui().SourceLabel->text(), "GPS");
    EXPECT_EQ(Ui().GPSModeLabel->text(), "Not included");
    EXPECT_EQ(Ui().LoranModeLabel->text(), "Differential");
    EXPECT_EQ(Ui().HDOPLabel->text(), "0.00");
    EXPECT_EQ(Ui().QualityLabel->text(), "- - -");
    Receive("DODU,INPOSA,V3,123456.78,51226,N,A,52.5,4.5,10,20,30,40,50,7,3,1.25,0.5");
    EXPECT_EQ(Ui().GPSModeLabel->text(), "Stand alone");
    EXPECT_EQ(Ui().LoranModeLabel->text(), "Not included");   // a one-letter modes field
    EXPECT_EQ(Ui().TimeLabel->text(), "123456.78");
    EXPECT_EQ(Ui().SourceLabel->text(), "None");
}

TEST_F(InposaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(NewForm);
    Receive("DODU,INPOSA,V4,1,51226,L,AS,52.x,4.5,10,20,30,40,50,7,3,1.25,0.5");
    Receive("DODU,INPOSA,V4,1,51226,L,AS,52,4.5,10");
    EXPECT_EQ(Ui().VersionLabel->text(), "V3");
    EXPECT_EQ(Ui().LatLabel->text(), "52.5000000");
}
