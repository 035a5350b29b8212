#include "log_window_test.h"
#include "logs/syncaform.h"
#include "ui_mainform.h"
#include "ui_syncaform.h"

namespace {

const char *const Synced = "DODU,SYNCA,V1,1234.5,LORANUTC,2007,8,9,23,59,1,4000000,1,14,1.5,DETAILTEXT12";

class SyncaFormTest : public LogWindowTest {
protected:
    void SetUp() override
    {
        WriteSetting("DravOutput", "enabled");
        LogWindowTest::SetUp();
    }
    void Open() { MainForm->ui->SYNCA1->trigger(); }
    Ui::TSYNCAForm &Ui() { return *SYNCAForm->ui; }
};

} // namespace

TEST_F(SyncaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->SYNCA1->isChecked());
    EXPECT_EQ(SYNCAForm->windowTitle(), "SYNCA Logs");
    EXPECT_EQ(Ui().DateLabel->text(), "--/--/--");
    EXPECT_EQ(Ui().TimeLabel->text(), "--:--:--");
    EXPECT_EQ(Ui().SampleCountLabel->text(), "---");
    EXPECT_EQ(SYNCAForm->ClientWidth(), 222);
    EXPECT_EQ(SYNCAForm->ClientHeight(), 151);
    EXPECT_EQ(SYNCAForm->pos(), QPoint(748, 0));
}

TEST_F(SyncaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(Synced);
    Open();
    EXPECT_EQ(Ui().DateLabel->text(), "09/08/2007");
    EXPECT_EQ(Ui().TimeLabel->text(), "23:59:01");
    EXPECT_EQ(Ui().VersionLabel->text(), "V1");
    EXPECT_EQ(Ui().SourceLabel->text(), "LORANUTC : DETAILTEX");
    EXPECT_EQ(Ui().UTCLabel->text(), "Yes");
    EXPECT_EQ(Ui().LeapSecondsLabel->text(), "14");
    EXPECT_EQ(Ui().OffsetLabel->text(), "1.5");
    EXPECT_EQ(Ui().LoranTimeLabel->text(), "10.000000000");
    EXPECT_EQ(Ui().SampleCountLabel->text(), "4000000.000000");
}

TEST_F(SyncaFormTest, AShortLineShowsTheResetValues)
{
    Open();
    Receive(Synced);
    Receive("DODU,SYNCA,V1,1234.5,GPS");
    EXPECT_EQ(Ui().DateLabel->text(), "01/01/2000");
    EXPECT_EQ(Ui().TimeLabel->text(), "00:00:00");
    EXPECT_EQ(Ui().SourceLabel->text(), "GPS");
    EXPECT_EQ(Ui().UTCLabel->text(), "No");
    EXPECT_EQ(Ui().LeapSecondsLabel->text(), "0");
    EXPECT_EQ(Ui().OffsetLabel->text(), "0.0");
    EXPECT_EQ(Ui().LoranTimeLabel->text(), "0.000000000");
    EXPECT_EQ(Ui().SampleCountLabel->text(), "0.000000");
}

TEST_F(SyncaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(Synced);
    Receive("DODU,SYNCA,V2,1,GPS,20x7");
    EXPECT_EQ(Ui().VersionLabel->text(), "V1");
    EXPECT_EQ(Ui().DateLabel->text(), "09/08/2007");
}
