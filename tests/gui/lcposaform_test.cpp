#include <QCoreApplication>

#include "log_window_test.h"
#include "logs/lcposaform.h"
#include "sentence/numfmt.h"
#include "ui_lcposaform.h"
#include "ui_mainform.h"

namespace {

std::string Position(char kind, double time, const std::string &lat = "52.1234567")
{
    return "DODU,LCPOSA,V1.4," + FormatGeneral(time) + ",0,G," + std::string(1, kind) + "," + lat +
           ",4.5,1.256,270.5,12.25,5,1.75";
}

// Residual lines: stations as id,residual,weight triples.
std::string Residuals(char kind, double time, int count, const std::string &stations)
{
    return "DODU,LCRSDA,V1.4," + FormatGeneral(time) + ",0,G," + std::string(1, kind) + "," +
           std::to_string(count) + (stations.empty() ? "" : "," + stations);
}

class LcposaFormTest : public LogWindowTest {
protected:
    QAction *Item(int i)
    {
        QAction *items[] = {MainForm->ui->LCPOSA1, MainForm->ui->LCPOSA2, MainForm->ui->LCPOSA3,
                            MainForm->ui->LCPOSA4};
        return items[i];
    }
    void OpenAll()
    {
        for (int i = 0; i < 4; ++i) Item(i)->trigger();
    }
    Ui::TLCPOSAForm &Ui(int i) { return *LCPOSAForms[i]->ui; }
    LogGrid *Grid(int i) { return LCPOSAForms[i]->ui->StringGrid1; }
    void ExpectNoRowsFrom(int window, int first)
    {
        for (int row = first; row < Grid(window)->RowCount(); ++row)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(Grid(window)->Cell(col, row), "") << "window " << window << " row " << row;
    }
};

} // namespace

TEST_F(LcposaFormTest, FourWindowsOpenEmptyAndCascaded)
{
    Receive(Position('C', 100));   // no replay for these windows
    OpenAll();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(Item(i)->isChecked());
        EXPECT_EQ(LCPOSAForms[i]->windowTitle(), "LCPOSA Logs");
        EXPECT_EQ(LCPOSAForms[i]->ClientWidth(), 224);
        EXPECT_EQ(LCPOSAForms[i]->ClientHeight(), 280);
        EXPECT_EQ(LCPOSAForms[i]->pos(), QPoint(16 + 16 * i, 16 + 16 * i));
        EXPECT_EQ(Grid(i)->RowCount(), 11);
        EXPECT_EQ(Ui(i).TimeLabel->text(), "0.00");
        EXPECT_EQ(Ui(i).VersionLabel->text(), "       ");
    }
    EXPECT_EQ(Grid(0)->Cell(1, 0), " Residual (m)");
    LCPOSAForms[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Item(1)->isChecked());
}

TEST_F(LcposaFormTest, PositionAndResidualsOfOneEpochShowTogether)
{
    OpenAll();
    Receive(Position('A', 100.5));   // nothing waits for a partner yet: shown at once
    EXPECT_EQ(Ui(1).TimeLabel->text(), "100.50");
    EXPECT_EQ(Ui(1).LatLabel->text(), "52.1234567");
    EXPECT_EQ(Ui(1).VersionLabel->text(), "V1.4");
    EXPECT_EQ(Ui(1).DOPLabel->text(), "1.75");
    EXPECT_EQ(Ui(1).VelocityLabel->text(), "1.26");
    EXPECT_EQ(Ui(1).HeadingLabel->text(), "270.50");
    EXPECT_EQ(Ui(1).CompassHeadingLabel->text(), "12.25");
    EXPECT_EQ(Ui(1).NumLoranLabel->text(), "5");
    EXPECT_EQ(LCPOSAForms[1]->windowTitle(), "LCPOSA - Autonomous");
    ExpectNoRowsFrom(1, 1);

    Receive(Residuals('A', 100.5, 3, "7499M,12.345,0.9,6731Z,-3.5,0.25,7499X,0,1"));
    EXPECT_EQ(Grid(1)->Cell(0, 1), " 7499M");
    EXPECT_EQ(Grid(1)->Cell(1, 1), "   12.35");
    EXPECT_EQ(Grid(1)->Cell(2, 1), "    0.90");
    EXPECT_EQ(Grid(1)->Cell(1, 2), "   -3.50");
    EXPECT_EQ(Grid(1)->Cell(0, 3), " 7499X");

    Receive(Position('A', 101.5, "53.0"));   // waits for its residuals
    EXPECT_EQ(Ui(1).TimeLabel->text(), "100.50");
    EXPECT_EQ(Ui(1).LatLabel->text(), "52.1234567");
    Receive(Residuals('A', 101.5, 1, "8970W,1.5,0.5"));
    EXPECT_EQ(Ui(1).TimeLabel->text(), "101.50");
    EXPECT_EQ(Ui(1).LatLabel->text(), "53.0000000");
    EXPECT_EQ(Grid(1)->Cell(0, 1), " 8970W");
    ExpectNoRowsFrom(1, 2);   // fewer stations: no stale rows
    EXPECT_EQ(Grid(1)->RowCount(), 11);

    // The other windows saw none of it.
    for (int i : {0, 2, 3}) EXPECT_EQ(Ui(i).TimeLabel->text(), "0.00") << i;
}

TEST_F(LcposaFormTest, ResidualsFirstThenThePosition)
{
    OpenAll();
    Receive(Residuals('G', 7, 1, "7499M,1,1"));
    Receive(Position('G', 7));
    Receive(Residuals('G', 8, 1, "7499Y,2,1"));   // waits for its position
    EXPECT_EQ(Grid(3)->Cell(0, 1), " 7499M");
    Receive(Position('G', 8, "51.5"));
    EXPECT_EQ(Ui(3).TimeLabel->text(), "8.00");
    EXPECT_EQ(Ui(3).LatLabel->text(), "51.5000000");
    EXPECT_EQ(Grid(3)->Cell(0, 1), " 7499Y");
    EXPECT_EQ(LCPOSAForms[3]->windowTitle(), "LCPOSA - GPS Calibrated");
}

TEST_F(LcposaFormTest, AMixedStreamReachesEachWindowByKind)
{
    OpenAll();
    const struct { char kind; const char *lat; const char *station; } kinds[] = {
        {'C', "50.0", "5930M"}, {'A', "51.0", "6731M"}, {'S', "52.0", "7499M"}, {'G', "53.0", "8970M"},
    };
    for (double t : {10.0, 11.0})
        for (const auto &k : kinds) {
            Receive(Position(k.kind, t, k.lat));
            Receive(Residuals(k.kind, t, 1, std::string(k.station) + ",1.0,1.0"));
        }
    const char *titles[] = {"LCPOSA - Coarse Position", "LCPOSA - Autonomous", "LCPOSA - ASF Corrected",
                            "LCPOSA - GPS Calibrated"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(LCPOSAForms[i]->windowTitle(), titles[i]);
        EXPECT_EQ(Ui(i).TimeLabel->text(), "11.00");
        EXPECT_EQ(Ui(i).LatLabel->text(), QString(kinds[i].lat) + "000000");
        EXPECT_EQ(Grid(i)->Cell(0, 1), QString(" ") + kinds[i].station);
    }

    // A differential solution goes to the ASF window alone, and is never shown
    // with the ASF-corrected residuals.
    Receive(Position('D', 12, "54.0"));
    EXPECT_EQ(LCPOSAForms[2]->windowTitle(), "LCPOSA - Differential eLoran");
    EXPECT_EQ(Ui(2).LatLabel->text(), "54.0000000");
    ExpectNoRowsFrom(2, 1);
    Receive(Residuals('D', 12, 1, "9610M,4,0.5"));
    EXPECT_EQ(Grid(2)->Cell(0, 1), " 9610M");
    for (int i : {0, 1, 3}) EXPECT_EQ(Ui(i).TimeLabel->text(), "11.00") << i;
}

TEST_F(LcposaFormTest, ABadLineChangesNothing)
{
    OpenAll();
    Receive(Position('C', 1));
    Receive(Residuals('C', 1, 1, "7499M,1,1"));
    Receive(Position('C', 2, "5x.0"));                    // letters in the latitude
    Receive(Residuals('C', 2, 2, "7499M,1,,7499X,1,1"));  // an empty weight
    EXPECT_EQ(Ui(0).TimeLabel->text(), "1.00");
    EXPECT_EQ(Ui(0).LatLabel->text(), "52.1234567");
    EXPECT_EQ(Grid(0)->Cell(0, 1), " 7499M");
    ExpectNoRowsFrom(0, 2);
}

TEST_F(LcposaFormTest, MissingStationsAndMoreThanTenStations)
{
    OpenAll();
    Receive(Residuals('A', 5, 3, "7499M,1,1,7499X,2,2"));   // the third station is missing
    EXPECT_EQ(Grid(1)->Cell(0, 2), " 7499X");
    EXPECT_EQ(Grid(1)->Cell(0, 3), "      ");   // no station: an empty name, padded
    EXPECT_EQ(Grid(1)->Cell(1, 3), "    0.00");

    std::string many;
    for (int i = 0; i < 40; ++i) many += std::string(many.empty() ? "" : ",") + "7499M," + std::to_string(i) + ",1";
    Receive(Residuals('A', 6, 40, many));
    EXPECT_EQ(Grid(1)->RowCount(), 11);
    EXPECT_EQ(LCPOSAForms[1]->ClientHeight(), 280);
    EXPECT_EQ(Grid(1)->Cell(1, 10), "    9.00");
    Receive(Residuals('A', 7, -5, ""));   // a negative count stores no station
    ExpectNoRowsFrom(1, 1);
}
