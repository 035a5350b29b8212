#include <QMdiArea>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "logs/toaaform.h"
#include "sentence_text.h"
#include "ui_mainform.h"
#include "ui_toaaform.h"

namespace {

std::string ToaaLine(int stations, const std::string &timestamp = "1234.5", int announced = -1)
{
    std::string body = "DODU,TOAA,V1.2," + timestamp + ",1.0,0.5,LOCKED,1.5e-7,12.5,13.25," +
                       std::to_string(announced < 0 ? stations : announced);
    for (int k = 0; k < stations; ++k)
        body += ",7499" + std::string(1, "MXYZWVUT"[k % 8]) + ",80.1,12.345,101.234,0.1,0.9,A3,12345.67891,-0.0123,3600.5";
    return Sentence(body);
}

class ToaaFormTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    void Open() { MainForm->ui->TOAA1->trigger(); }
    LogGrid *Grid() { return TOAAForm->ui->StringGrid1; }
};

} // namespace

TEST_F(ToaaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->TOAA1->isChecked());
    EXPECT_EQ(TOAAForm->windowTitle(), "TOAA Logs");
    EXPECT_EQ(TOAAForm->ui->ClockStringLabel->text(), "NOSTATION");
    EXPECT_EQ(TOAAForm->ui->VersionLabel->text(), "- - -");
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(Grid()->height(), 116);
    EXPECT_EQ(TOAAForm->ClientHeight(), 170);
    EXPECT_EQ(TOAAForm->ClientWidth(), 742);
    EXPECT_EQ(Grid()->Cell(7, 0), "  TOA (us)");
    EXPECT_EQ(TOAAForm->pos(), QPoint(0, 0));
    EXPECT_FALSE(Grid()->isEnabled());
}

TEST_F(ToaaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(ToaaLine(2));
    Open();
    EXPECT_EQ(TOAAForm->ui->TimeLabel->text(), "1234.50");
    EXPECT_EQ(TOAAForm->ui->VersionLabel->text(), "V1.2");
    EXPECT_EQ(TOAAForm->ui->ClockErrorLabel->text(), "1.5000E-07");
    EXPECT_EQ(TOAAForm->ui->NoiseLoop2Label->text(), "13.25");
    EXPECT_EQ(TOAAForm->ui->NumStationsLabel->text(), "2");
    EXPECT_EQ(Grid()->Cell(0, 1), " 7499M");
    EXPECT_EQ(Grid()->Cell(2, 1), " 12.35");     // fixed (6, 2)
    EXPECT_EQ(Grid()->Cell(3, 1), "101.230");    // fixed (5, 3): five significant digits
    EXPECT_EQ(Grid()->Cell(6, 1), " 0x00A3");
    EXPECT_EQ(Grid()->Cell(7, 2), "  12345.6789");
    EXPECT_EQ(Grid()->Cell(8, 2), "  -1.23E-002");
    EXPECT_EQ(Grid()->Cell(0, 3), "");
    EXPECT_EQ(Grid()->RowCount(), 7);
}

TEST_F(ToaaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(ToaaLine(2));
    std::string bad = ToaaLine(3, "12x4");
    Receive(bad);
    Receive(ToaaLine(3, "1.0", 4));   // station fields do not fit the count
    EXPECT_EQ(TOAAForm->ui->TimeLabel->text(), "1234.50");
    EXPECT_EQ(TOAAForm->ui->NumStationsLabel->text(), "2");
}

TEST_F(ToaaFormTest, GrowsWithStationsAndShrinksWithoutStaleRows)
{
    Open();
    Receive(ToaaLine(10));
    EXPECT_EQ(Grid()->RowCount(), 11);
    EXPECT_EQ(TOAAForm->ClientHeight(), 52 + 11 * 15 + 15 * 1 + 2);
    Receive(ToaaLine(8));
    EXPECT_EQ(Grid()->RowCount(), 9);
    Receive(ToaaLine(1));
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(TOAAForm->ClientHeight(), 170);
    for (int row = 2; row < 7; ++row)
        for (int col = 0; col < 10; ++col) EXPECT_EQ(Grid()->Cell(col, row), "") << row << "," << col;
}

TEST_F(ToaaFormTest, ThirtyStationsAtMost)
{
    Open();
    Receive(ToaaLine(33));
    EXPECT_EQ(TOAAForm->ui->NumStationsLabel->text(), "30");
    EXPECT_EQ(Grid()->RowCount(), 31);
}

TEST_F(ToaaFormTest, LinesReachTheWindowOnlyWhileItsItemIsChecked)
{
    Open();
    MainForm->ui->TOAA1->trigger();   // closed
    Receive(ToaaLine(4));
    Open();
    EXPECT_EQ(TOAAForm->ui->NumStationsLabel->text(), "4");   // from the last-line store
}
