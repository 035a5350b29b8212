#include "log_window_test.h"
#include "logs/ptntaform.h"
#include "ui_mainform.h"
#include "ui_ptntaform.h"

namespace {

std::string PtntaLine(const std::string &quality, const std::string &count, const std::string &phase)
{
    return "PTNTA,20070809235901," + quality + ",," + count + "," + phase + ",1.5,2.5";
}

class PtntaFormTest : public LogWindowTest {
protected:
    void SetUp() override
    {
        WriteSetting("DravOutput", "enabled");
        LogWindowTest::SetUp();
    }
    void Open() { MainForm->ui->PTNTA1->trigger(); }
    Ui::TPTNTAForm &Ui() { return *PTNTAForm->ui; }
};

} // namespace

TEST_F(PtntaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->PTNTA1->isChecked());
    EXPECT_EQ(PTNTAForm->windowTitle(), "PTNTA Logs");
    EXPECT_EQ(Ui().DateLabel->text(), "--/--/--");
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "---");
    EXPECT_EQ(PTNTAForm->ClientWidth(), 222);
    EXPECT_EQ(PTNTAForm->ClientHeight(), 104);
    EXPECT_EQ(PTNTAForm->pos(), QPoint(748, 177));
}

TEST_F(PtntaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(PtntaLine("2", "0012345", "12"));
    Open();
    EXPECT_EQ(Ui().DateLabel->text(), "09/08/2007");
    EXPECT_EQ(Ui().TimeLabel->text(), "23:59:01");
    EXPECT_EQ(Ui().QualityLabel->text(), "2: Disciplined");
    EXPECT_EQ(Ui().PPSLabel->text(), "0012345");
    EXPECT_EQ(Ui().PhaseLabel->text(), "+012");
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "12 ns");
}

TEST_F(PtntaFormTest, ThePpsDifferenceTakesTheCountFromAPhaseOf511)
{
    Open();
    Receive(PtntaLine("1", "15", "-600"));
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "2000 ns");
    EXPECT_EQ(Ui().QualityLabel->text(), "1: Free run");
    Receive(PtntaLine("3", "7499985", "-600"));
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "-2000 ns");
    EXPECT_EQ(Ui().QualityLabel->text(), "Unknown quality");
    Receive(PtntaLine("0", "15", "510"));
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "510 ns");
    Receive(PtntaLine("0", "15", "-511"));
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "2000 ns");
    Receive(PtntaLine("0", "15", "-7"));
    EXPECT_EQ(Ui().PhaseLabel->text(), "-007");
    Receive("PTNTA,20070809235901");
    EXPECT_EQ(Ui().QualityLabel->text(), "0: Rb line not locked");
    EXPECT_EQ(Ui().PPSLabel->text(), "0000000");
    EXPECT_EQ(Ui().PhaseLabel->text(), "+000");
    EXPECT_EQ(Ui().PPSDiffLabel->text(), "0 ns");
}

TEST_F(PtntaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(PtntaLine("2", "0012345", "12"));
    Receive("PTNTA,2007080923");                        // fewer than six numbers
    Receive(PtntaLine("2", "x", "12"));                 // no PPS count
    Receive(PtntaLine("2", "0012345", "1x"));
    EXPECT_EQ(Ui().TimeLabel->text(), "23:59:01");
    EXPECT_EQ(Ui().PhaseLabel->text(), "+012");
}
