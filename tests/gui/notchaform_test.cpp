#include "log_window_test.h"
#include "logs/notchaform.h"
#include "ui_mainform.h"
#include "ui_notchaform.h"

namespace {

// Notches as frequency,bandwidth pairs.
std::string NotchaLine(int notches, const std::string &active, const std::string &pairs)
{
    return "DODU,NOTCHA,V2,1234.567," + std::to_string(notches) + "," + active + (pairs.empty() ? "" : "," + pairs);
}

std::string Pairs(int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += std::string(s.empty() ? "" : ",") + std::to_string(90 + i) + ".5,0.25";
    return s;
}

class NotchaFormTest : public LogWindowTest {
protected:
    void Open() { MainForm->ui->NOTCHA1->trigger(); }
    Ui::TNOTCHAForm &Ui() { return *NOTCHAForm->ui; }
    LogGrid *Grid() { return NOTCHAForm->ui->StringGrid1; }
    void ExpectNoRowsFrom(int first)
    {
        for (int row = first; row < Grid()->RowCount(); ++row)
            for (int col = 0; col < 3; ++col) EXPECT_EQ(Grid()->Cell(col, row), "") << row << "," << col;
    }
};

} // namespace

TEST_F(NotchaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->NOTCHA1->isChecked());
    EXPECT_EQ(NOTCHAForm->windowTitle(), "NOTCHA Logs");
    EXPECT_EQ(Ui().TimeLabel->text(), "0");
    EXPECT_EQ(Ui().VersionLabel->text(), "- - -");
    EXPECT_EQ(Grid()->Cell(0, 0), " Num");
    EXPECT_EQ(Grid()->RowCount(), 9);
    EXPECT_EQ(NOTCHAForm->ClientWidth(), 190);
    EXPECT_EQ(NOTCHAForm->ClientHeight(), 68 + 9 * 15 + 13 + 2);
    EXPECT_EQ(NOTCHAForm->pos(), QPoint(0, 0));
}

TEST_F(NotchaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(NotchaLine(4, "3", "100.5,0.25,0,0.5,110.26,1.125,12345.67,2"));
    Open();
    EXPECT_EQ(Ui().TimeLabel->text(), "1234.57");
    EXPECT_EQ(Ui().VersionLabel->text(), "V2");
    EXPECT_EQ(Ui().NumNotchesLabel->text(), "4");
    EXPECT_EQ(Ui().ActiveNotchesLabel->text(), "3");
    // Entry 1 has no frequency: rows 1 to 3 list entries 0, 2 and 3.
    EXPECT_EQ(Grid()->Cell(0, 1), "   0");
    EXPECT_EQ(Grid()->Cell(1, 1), "  100.5");
    EXPECT_EQ(Grid()->Cell(2, 1), "  0.250");
    EXPECT_EQ(Grid()->Cell(0, 2), "   2");
    EXPECT_EQ(Grid()->Cell(1, 2), "  110.3");
    EXPECT_EQ(Grid()->Cell(2, 2), "  1.125");
    EXPECT_EQ(Grid()->Cell(1, 3), "12345.7");   // fixed (6, 1): six significant digits
    EXPECT_EQ(Grid()->Cell(2, 3), "  2.000");
    ExpectNoRowsFrom(4);
    EXPECT_EQ(Grid()->RowCount(), 9);
}

TEST_F(NotchaFormTest, ZeroBandwidthAndShortLines)
{
    Open();
    Receive(NotchaLine(3, "3", "100,0,200,1"));   // the line ends after the second notch
    EXPECT_EQ(Grid()->Cell(0, 1), "   1");
    ExpectNoRowsFrom(2);
    Receive(NotchaLine(120, "2", Pairs(120)));
    EXPECT_EQ(Ui().NumNotchesLabel->text(), "100");
}

TEST_F(NotchaFormTest, TheActiveCountSizesTheGridWithinTheNotchesRead)
{
    Open();
    Receive(NotchaLine(12, "12", Pairs(12)));
    EXPECT_EQ(Grid()->RowCount(), 13);
    EXPECT_EQ(NOTCHAForm->ClientHeight(), 68 + 13 * 15 + 17 + 2);
    EXPECT_EQ(Grid()->Cell(0, 12), "  11");
    Receive(NotchaLine(2, "2000000000", Pairs(2)));   // a hostile count
    EXPECT_EQ(Ui().ActiveNotchesLabel->text(), "2000000000");
    EXPECT_EQ(Grid()->RowCount(), 9);
    ExpectNoRowsFrom(3);
    Receive(NotchaLine(100, "100000", Pairs(100)));
    EXPECT_EQ(Grid()->RowCount(), 101);
    Receive(NotchaLine(2, "-7", Pairs(2)));
    EXPECT_EQ(Grid()->RowCount(), 9);
    EXPECT_EQ(Grid()->Cell(0, 2), "   1");
    ExpectNoRowsFrom(3);
}

TEST_F(NotchaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(NotchaLine(1, "1", "100.5,0.25"));
    Receive(NotchaLine(1, "1", "100.5,0.2x"));   // letters in a bandwidth
    Receive("DODU,NOTCHA,V3,1,1");                // fewer than six fields
    EXPECT_EQ(Ui().VersionLabel->text(), "V2");
    EXPECT_EQ(Grid()->Cell(1, 1), "  100.5");
}
