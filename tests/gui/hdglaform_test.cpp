#include "log_window_test.h"
#include "logs/hdglaform.h"
#include "ui_hdglaform.h"
#include "ui_mainform.h"

namespace {

std::string HdglaLine(int stations, const std::string &ciPositive = "12.345", int announced = -1)
{
    std::string body = "HDGLA,1234.5,1.0,0.5,1," + ciPositive + ",-3.5,1,0,A,123.4567,0.25,0.875," +
                       std::to_string(announced < 0 ? stations : announced);
    for (int i = 0; i < stations; ++i)
        body += i == 0 ? ",7499M,350,10,45.26,1234567.5,0.5,123456.789" : ",6731Z,10,20,3,4,5,6";
    return body;
}

class HdglaFormTest : public LogWindowTest {
protected:
    void SetUp() override
    {
        WriteSetting("DravOutput", "enabled");
        LogWindowTest::SetUp();
    }
    void Open() { MainForm->ui->HDGLA1->trigger(); }
    Ui::THDGLAForm &Ui() { return *HDGLAForm->ui; }
    LogGrid *Grid() { return HDGLAForm->ui->StringGrid1; }
};

} // namespace

TEST_F(HdglaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->HDGLA1->isChecked());
    EXPECT_EQ(HDGLAForm->windowTitle(), "HDGLA Logs");
    EXPECT_EQ(Ui().PosValidLabel->text(), "No");
    EXPECT_EQ(Ui().HeadingLabel->text(), "0.000");
    EXPECT_EQ(Grid()->Cell(3, 0), " Residual");
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(HDGLAForm->ClientWidth(), 653);
    EXPECT_EQ(HDGLAForm->ClientHeight(), 206);
    EXPECT_EQ(HDGLAForm->pos(), QPoint(32, 32));
}

TEST_F(HdglaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(HdglaLine(2));
    Open();
    EXPECT_EQ(Ui().TimeLabel->text(), "1234.50");
    EXPECT_EQ(Ui().NumStationsLabel->text(), "2");
    EXPECT_EQ(Ui().UpdateTimeLabel->text(), "1.00");
    EXPECT_EQ(Ui().CiPosLabel->text(), "12.35");
    EXPECT_EQ(Ui().CiNegLabel->text(), "-3.50");
    EXPECT_EQ(Ui().PosValidLabel->text(), "Yes");
    EXPECT_EQ(Ui().AmbiguitySolvedLabel->text(), "Yes");
    EXPECT_EQ(Ui().BeamFlippedLabel->text(), "No");
    EXPECT_EQ(Ui().ModeLabel->text(), "A");
    EXPECT_EQ(Ui().HeadingLabel->text(), "123.457");
    EXPECT_EQ(Ui().QualityLabel->text(), "0.875");
    EXPECT_EQ(Grid()->Cell(0, 1), "  7499M");
    EXPECT_EQ(Grid()->Cell(1, 1), "  350.000");
    EXPECT_EQ(Grid()->Cell(3, 1), " -160.000");      // fmod keeps the sign of the dividend
    EXPECT_EQ(Grid()->Cell(4, 1), "     45.3");
    EXPECT_EQ(Grid()->Cell(5, 1), "1234567.500");    // fixed (9, 3): nine significant digits
    EXPECT_EQ(Grid()->Cell(6, 1), "     0.50");
    EXPECT_EQ(Grid()->Cell(7, 1), "123456.789");
    EXPECT_EQ(Grid()->Cell(3, 2), "   10.000");
    EXPECT_EQ(Grid()->Cell(0, 3), "");
}

TEST_F(HdglaFormTest, ABareProprietaryLineShowsTheResetValues)
{
    Open();
    Receive(HdglaLine(2));
    Receive("DODU,HDGLA");
    EXPECT_EQ(Ui().TimeLabel->text(), "0.00");
    EXPECT_EQ(Ui().PosValidLabel->text(), "No");
    EXPECT_EQ(Ui().ModeLabel->text(), "N");
    EXPECT_EQ(Ui().NumStationsLabel->text(), "0");
    for (int row = 1; row < 7; ++row) EXPECT_EQ(Grid()->Cell(0, row), "") << row;

    Receive("DODU,HDGLA,V1,1,1,1,0,0,0,0,0,N,0,0,0,3");   // three stations announced, none sent
    EXPECT_EQ(Ui().NumStationsLabel->text(), "3");
    EXPECT_EQ(Grid()->Cell(3, 3), "    0.000");
    EXPECT_EQ(Grid()->Cell(3, 4), "");
}

TEST_F(HdglaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(HdglaLine(2));
    Receive(HdglaLine(2, "1x"));                      // a bad header field
    Receive(HdglaLine(2) + ",1,2,3,4,5,6");            // thirteen station fields for two stations
    Receive(HdglaLine(3, "12.345", 2).substr(0, 90));  // groups not of seven
    EXPECT_EQ(Ui().CiPosLabel->text(), "12.35");
    EXPECT_EQ(Ui().NumStationsLabel->text(), "2");
    HDGLAForm->ShowData("$HDGLA*00");
    HDGLAForm->ShowData(nullptr);
    EXPECT_EQ(Ui().NumStationsLabel->text(), "2");
}

TEST_F(HdglaFormTest, FewerStationsShrinkTheGridWithoutStaleRows)
{
    Open();
    Receive(HdglaLine(9));
    EXPECT_EQ(Grid()->RowCount(), 10);
    EXPECT_EQ(HDGLAForm->ClientHeight(), 88 + 10 * 15 + 14 + 2);
    Receive(HdglaLine(40));
    EXPECT_EQ(Grid()->RowCount(), 31);
    Receive(HdglaLine(1));
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(HDGLAForm->ClientHeight(), 206);
    for (int row = 2; row < 7; ++row)
        for (int col = 0; col < 8; ++col) EXPECT_EQ(Grid()->Cell(col, row), "") << row << "," << col;
}
