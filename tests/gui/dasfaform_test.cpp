#include "app/mainform.h"
#include "gui_test_support.h"
#include "logs/dasfaform.h"
#include "sentence_text.h"
#include "ui_dasfaform.h"
#include "ui_mainform.h"

namespace {

std::string DasfaLine(int stations, const std::string &source = "G", const std::string &lat = "52.1234567",
                      const std::string &dasf = "1234567.891")
{
    std::string body = "DODU,DASFA,V2.1,123456.78,10107," + source + "," + lat + ",4.25," + std::to_string(stations);
    for (int k = 0; k < stations; ++k)
        body += ",7499" + std::string(1, "MXYZWVUT"[k % 8]) + "," + (k == 0 ? dasf : "-12.5") + ",0.98765";
    return Sentence(body);
}

class DasfaFormTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    void Open() { MainForm->ui->DASFA1->trigger(); }
    Ui::TDASFAForm &Ui() { return *DASFAForm->ui; }
    LogGrid *Grid() { return DASFAForm->ui->StringGrid1; }
};

} // namespace

TEST_F(DasfaFormTest, OpensEmptyWithItsInitialTextsAndSize)
{
    Open();
    ASSERT_TRUE(MainForm->ui->DASFA1->isChecked());
    EXPECT_EQ(DASFAForm->windowTitle(), "DASFA Logs");
    EXPECT_EQ(Ui().TimeLabel->text(), "0.00");
    EXPECT_EQ(Ui().SourceLabel->text(), "None");
    EXPECT_EQ(Ui().LatLabel->text(), "- - -");
    EXPECT_EQ(Grid()->Cell(1, 0), " DASF (us)");
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(DASFAForm->ClientWidth(), 238);
    EXPECT_EQ(DASFAForm->ClientHeight(), 120 + 116 + 2);
    EXPECT_EQ(DASFAForm->pos(), QPoint(16, 16));
    EXPECT_FALSE(Grid()->isEnabled());
    // Disabled against the user only: the cells are not greyed out.
    EXPECT_EQ(Grid()->palette().color(QPalette::Disabled, QPalette::Text),
              Grid()->palette().color(QPalette::Active, QPalette::Text));
}

TEST_F(DasfaFormTest, ALineReceivedWhileClosedIsShownOnOpening)
{
    Receive(DasfaLine(2));
    Open();
    EXPECT_EQ(Ui().VersionLabel->text(), "V2.1");
    EXPECT_EQ(Ui().TimeLabel->text(), "12:34:56.78");
    EXPECT_EQ(Ui().DateLabel->text(), "01/01/07");
    EXPECT_EQ(Ui().SourceLabel->text(), "GPS");
    EXPECT_EQ(Ui().LatLabel->text(), "52.1234567");
    EXPECT_EQ(Ui().LonLabel->text(), "4.2500000");
    EXPECT_EQ(Ui().NumStationsLabel->text(), "2");
    EXPECT_EQ(Grid()->Cell(0, 1), " 7499M");
    EXPECT_EQ(Grid()->Cell(1, 1), "1234567.880");   // fixed (9, 3) of a float: nine significant digits
    EXPECT_EQ(Grid()->Cell(2, 1), "  0.9876");      // fixed (9, 4) of the float 0.98765 (0.98764997...)
    EXPECT_EQ(Grid()->Cell(1, 2), " -12.500");
    EXPECT_EQ(Grid()->Cell(0, 3), "");
}

TEST_F(DasfaFormTest, NoTimeSourceAndNoPosition)
{
    Open();
    Receive(DasfaLine(2, "N", ""));
    EXPECT_EQ(Ui().TimeLabel->text(), "123456.78");
    EXPECT_EQ(Ui().DateLabel->text(), "- - -");
    EXPECT_EQ(Ui().SourceLabel->text(), "None");
    EXPECT_EQ(Ui().LatLabel->text(), "- - -");
    EXPECT_EQ(Ui().LonLabel->text(), "- - -");
    Receive(DasfaLine(2, "L"));
    EXPECT_EQ(Ui().SourceLabel->text(), "eLoran");
}

TEST_F(DasfaFormTest, ABadLineChangesNothing)
{
    Open();
    Receive(DasfaLine(3));
    Receive(DasfaLine(1));                          // fewer than 14 fields
    Receive(DasfaLine(2, "G", "52.0", ""));         // an empty station field
    Receive(DasfaLine(2, "G", "5x.0"));             // letters in the latitude
    Receive(Sentence("DODU,DASFA,V9,1,10107,G,1,1,-3,7499M,1,1,7499X,1,1"));   // a negative count
    EXPECT_EQ(Ui().NumStationsLabel->text(), "3");
    EXPECT_EQ(Ui().LatLabel->text(), "52.1234567");
    EXPECT_EQ(Grid()->Cell(0, 3), " 7499Y");
}

TEST_F(DasfaFormTest, GrowsWithStationsAndShrinksWithoutStaleRows)
{
    Open();
    Receive(DasfaLine(12));
    EXPECT_EQ(Grid()->RowCount(), 13);
    EXPECT_EQ(DASFAForm->ClientHeight(), 120 + 13 * 15 + 17 + 2);
    Receive(DasfaLine(33));
    EXPECT_EQ(Ui().NumStationsLabel->text(), "30");
    EXPECT_EQ(Grid()->RowCount(), 31);
    Receive(DasfaLine(2));
    EXPECT_EQ(Grid()->RowCount(), 7);
    EXPECT_EQ(DASFAForm->ClientHeight(), 238);
    for (int row = 3; row < 7; ++row)
        for (int col = 0; col < 3; ++col) EXPECT_EQ(Grid()->Cell(col, row), "") << row << "," << col;
}
