#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QLineSeries>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <cmath>

#include "../core/position_lines.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "platform/chartview.h"
#include "plots/positionform.h"
#include "ui_mainform.h"
#include "ui_positionform.h"

using namespace position_lines;

namespace {

const char *const kSample = KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log";

void RightDrag(ChartView *view, QPoint by)
{
    QWidget *port = view->viewport();
    QPoint a = PlotPoint(view, 0.5, 0.5);
    Mouse(port, QEvent::MouseButtonPress, a, Qt::RightButton, Qt::RightButton);
    Mouse(port, QEvent::MouseMove, a + by / 2, Qt::NoButton, Qt::RightButton);
    Mouse(port, QEvent::MouseMove, a + by, Qt::NoButton, Qt::RightButton);
    Mouse(port, QEvent::MouseButtonRelease, a + by, Qt::RightButton, Qt::NoButton);
}

QString Degrees(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10f", v);
    return text;
}

} // namespace

class PositionFormTest : public WindowTest {
protected:
    Ui::TPositionForm *ui = nullptr;
    bool extended = false;   // the DravOutput switch

    void SetUp() override
    {
        WindowTest::SetUp();
        if (extended) WriteSetting("DravOutput", "enabled");
        CreateForms();
        ui = PositionForm->ui.get();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        MaxPoints = 200;
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    void ShowWindow()
    {
        PositionForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(PositionForm));
    }
    PositionPlotModel &Plot() { return PositionForm->Plot; }
    QXYSeries *Series(int index) const { return PositionForm->Chart1->FindSeries(index); }
    qsizetype Count(int index) const { return PositionForm->Chart1->PointCount(Series(index)); }
    QStringList MemoLines(int k) const { return PositionForm->Memo(k)->toPlainText().split('\n'); }
    std::pair<QString, QString> LastBox() const { return boxes.empty() ? std::pair<QString, QString>() : boxes.back(); }
    QValueAxis *XAxis() const { return PositionForm->Chart1->BottomAxis(); }
    QValueAxis *YAxis() const { return PositionForm->Chart1->LeftAxis(); }
    // GPS fix (GPPOSA) at 12:00:ss, metres north of 52 N 4 E.
    void GpsAt(int second, double north = 0.0)
    {
        char time[16];
        std::snprintf(time, sizeof time, "1200%02d.00", second);
        Receive(Gpposa(time, Degrees(52.0 + north / MetresPerDegree(52.0, 4.0).Latitude).toStdString(), "4.0"));
    }
};

class ExtendedPositionFormTest : public PositionFormTest {
protected:
    void SetUp() override
    {
        extended = true;
        PositionFormTest::SetUp();
    }
};

TEST_F(PositionFormTest, StartsWithItsControls)
{
    ShowWindow();
    EXPECT_EQ(PositionForm->windowTitle(), "Position");
    EXPECT_EQ(ui->ClientPanel->size(), QSize(1028, 434));
    EXPECT_EQ(PositionForm->Chart1->size(), QSize(581, 425));
    EXPECT_EQ(XAxis()->titleText(), "Longitude (m)");
    EXPECT_EQ(YAxis()->titleText(), "Latitude (m)");
    EXPECT_EQ(XAxis()->min(), -50.0);
    EXPECT_EQ(XAxis()->max(), 50.0);
    EXPECT_EQ(YAxis()->min(), -50.0);
    EXPECT_EQ(YAxis()->max(), 50.0);

    const QStringList names = {"YAxis",   "XAxis",   "Series8", "Series0", "Series1", "Series2",
                               "Series3", "Series9", "Series4", "Series5", "Series6", "Series7"};
    const QList<QXYSeries *> series = PositionForm->Chart1->Series();
    ASSERT_EQ(series.size(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(series[i]->objectName(), names[i]) << i;
    EXPECT_EQ(series[2]->name(), "Integrated Position");
    EXPECT_EQ(series[6]->name(), "GPS Position");
    EXPECT_EQ(series[9]->name(), "Solution 03 Last Value");
    EXPECT_EQ(series[4]->color(), QColor(0, 255, 64));
    EXPECT_EQ(series[10]->color(), QColor(255, 255, 0));
    EXPECT_EQ(series[0]->count(), 3);
    int legend = 0;
    for (QLegendMarker *m : PositionForm->Chart1->chart()->legend()->markers()) legend += m->isVisible();
    EXPECT_EQ(legend, 5);

    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(MemoLines(k), QStringList{"No Position data"});
        EXPECT_FALSE(PositionForm->SolutionItem(k)->isEnabled());
        EXPECT_FALSE(PositionForm->SolutionItem(k)->isChecked());
    }
    EXPECT_EQ(ui->TabbedNotebook1->tabText(1), "Loran Stand alone");
    EXPECT_EQ(ui->Edit3->text(), "200");
    EXPECT_EQ(ui->Edit1->text(), "   0.00000000");
    EXPECT_EQ(ui->Edit2->text(), "   0.00000000");
    EXPECT_TRUE(ui->Edit5->text().isEmpty());
    EXPECT_TRUE(ui->Edit6->text().isEmpty());
    EXPECT_EQ(ui->GroupBox3->title(), "Date and Time");
    EXPECT_EQ(ui->Label3->text(), "50 m");
    EXPECT_EQ(ui->FollowButton->text(), "Freeze");
    EXPECT_EQ(ui->FollowButton->property("Tag").toInt(), 1);
    EXPECT_TRUE(PositionForm->Timer1->isActive());
    EXPECT_EQ(PositionForm->Timer1->interval(), 1000);
    EXPECT_TRUE(ui->GPPOSA1->isChecked());
    // Without the DravOutput switch: no GPS source choice and no Loran vs GPS.
    EXPECT_FALSE(ui->GPSSource1->menuAction()->isVisible());
    EXPECT_FALSE(ui->LoranvsGPSCheckBox1->isVisible());
}

TEST_F(ExtendedPositionFormTest, TheSwitchShowsTheGpsSourceAndLoranVsGps)
{
    ShowWindow();
    EXPECT_TRUE(ui->GPSSource1->menuAction()->isVisible());
    EXPECT_TRUE(ui->LoranvsGPSCheckBox1->isVisible());
    ui->GPGGA1->trigger();
    EXPECT_EQ(Plot().Source, GpsSource::Gpgga);
    EXPECT_FALSE(ui->GPPOSA1->isChecked());
    ui->PSRPOSA1->trigger();
    EXPECT_EQ(Plot().Source, GpsSource::Psrposa);
    EXPECT_FALSE(ui->GPGGA1->isChecked());
    ui->GPPOSA1->trigger();
    EXPECT_EQ(Plot().Source, GpsSource::Gpposa);
}

TEST_F(PositionFormTest, TheViewItemsShowTheWindow)
{
    EXPECT_FALSE(PositionForm->isVisible());
    MainForm->ui->PositionPlot1->trigger();
    EXPECT_TRUE(PositionForm->isVisible());
    ui->Close1->trigger();
    EXPECT_FALSE(PositionForm->isVisible());
    MainForm->ui->PositionPlot2->trigger();
    EXPECT_TRUE(PositionForm->isVisible());
    EXPECT_EQ(MainForm->WindowOf(MainForm->ui->PositionPlot1), PositionForm);
}

TEST_F(PositionFormTest, TheRouterFeedsTheIntakeWhateverTheMenuShows)
{
    // Every kind the plot reads, with all log windows closed and the plot hidden.
    GpsAt(21);
    GpsAt(22, 10.0);
    Receive(Inposa("120022.00", "52.0", "4.0"));
    Receive(Lcposa("43222.00", 'A', "52.0", "4.0"));
    Receive(Lcrsda("43222.00", 'A'));
    Receive(Lcposa("43222.00", 'S', "52.0", "4.0"));
    Receive(Lcposa("43222.00", 'G', "52.0", "4.0"));
    Receive(Synca("18148000", "12", "0", "20"));
    EXPECT_EQ(Plot().Tracks[4].Points.size(), 2u);
    EXPECT_EQ(Plot().Tracks[0].Points.size(), 1u);
    EXPECT_EQ(Plot().Tracks[1].Points.size(), 1u);
    EXPECT_EQ(Plot().Tracks[1].LoranVsGpsPoints.size(), 1u);
    EXPECT_EQ(Plot().Tracks[2].Points.size(), 1u);
    EXPECT_EQ(Plot().Tracks[3].Points.size(), 1u);
    EXPECT_EQ(Plot().History.LastSynca.Second, 20);
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(PositionForm->SolutionItem(k)->isEnabled()) << k;
        EXPECT_TRUE(PositionForm->SolutionItem(k)->isChecked()) << k;
    }
    EXPECT_EQ(ui->Edit1->text(), "  52.00000000");
    EXPECT_EQ(ui->Edit2->text(), "   4.00000000");

    // Hidden: the chart and memos wait, then show the same as drawing each line.
    EXPECT_TRUE(PositionForm->RedrawPending());
    EXPECT_EQ(Count(6), 0);
    PositionForm->FlushRedraw();
    EXPECT_EQ(Count(6), 2);
    EXPECT_EQ(Count(11), 1);
    EXPECT_NEAR(Series(11)->at(0).y(), 10.0, 1e-3);
    EXPECT_EQ(Count(3), 1);
    EXPECT_EQ(MemoLines(4).size(), 11);
    EXPECT_EQ(MemoLines(4)[10], QString(28, ' ') + "#Obs    :     2");
    EXPECT_EQ(MemoLines(1)[10], QString(28, ' ') + "#Obs    :     1");

    // A GPGGA line while the source is GPPOSA, and a PSRPOSA log, are read and left alone.
    Receive(Gpgga("120023.00", "5200.00000,N", "00400.00000,E"));
    Receive(Psrposa());
    EXPECT_EQ(Plot().Tracks[4].Points.size(), 2u);

    // Opening a source resets the views: the plot empties, the centre stays.
    MainForm->ResetViews();
    PositionForm->FlushRedraw();
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(Plot().Tracks[static_cast<size_t>(k)].Points.empty());
    EXPECT_EQ(Count(6), 0);
    EXPECT_EQ(Count(11), 0);
    EXPECT_EQ(MemoLines(4), QStringList{"No Position data"});
    EXPECT_EQ(Plot().History.LastSynca.SampleCount, 0.0);
    EXPECT_EQ(ui->Edit1->text(), "  52.00000000");
    EXPECT_TRUE(Plot().CentreSet);
}

TEST_F(PositionFormTest, RedrawsAreCoalescedWhileShown)
{
    GpsAt(0);   // pending while hidden: drawn when shown, and the stream stays coalesced
    ShowWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 2000));
    EXPECT_EQ(PositionForm->RedrawTimer()->interval(), 100);
    ui->Reset1->trigger();
    for (int i = 0; i < 20; ++i) GpsAt(i, i);
    EXPECT_TRUE(PositionForm->RedrawPending());
    EXPECT_EQ(Count(6), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 2000));
    EXPECT_EQ(Count(6), 20);
    EXPECT_EQ(YAxis()->min(), -50.0);   // all inside the view
    // Points 40 .. 118 m north: the view jumps at 52 m (to 2..102) and at 104 m (to 54..154).
    for (int i = 20; i < 60; ++i) GpsAt(i, i * 2.0);
    PositionForm->FlushRedraw();
    EXPECT_NEAR(YAxis()->min(), 54.0, 1e-3);
    EXPECT_NEAR(YAxis()->max(), 154.0, 1e-3);
    EXPECT_EQ(XAxis()->min(), -50.0);
    EXPECT_EQ(Count(6), 60);
}

TEST_F(ExtendedPositionFormTest, PsrposaLogsRunTheGpsClock)
{
    ShowWindow();
    PositionForm->Timer1Timer();
    EXPECT_EQ(ui->GroupBox3->title(), "Date and Time");
    EXPECT_EQ(ui->Edit6->text().size(), 14);
    EXPECT_TRUE(ui->Edit5->text().startsWith(' '));

    ui->PSRPOSA1->trigger();
    Receive(Psrposa("NONE"));
    EXPECT_TRUE(PositionForm->Timer1->isActive());   // no solution: the PC clock goes on
    Receive(Psrposa());
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    EXPECT_EQ(ui->GroupBox3->title(), "GPS Date and Time");
    EXPECT_EQ(ui->Edit5->text(), QLocale::system().toString(QDate(2007, 8, 9), " d-MMM-yyyy"));
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
    EXPECT_TRUE(Plot().GpsTimeValid);
    EXPECT_EQ(Plot().Tracks[4].Points.size(), 1u);

    // A reset keeps what the box shows, and the PC clock stays off.
    MainForm->ResetViews();
    EXPECT_FALSE(Plot().GpsTimeValid);
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
    EXPECT_EQ(ui->GroupBox3->title(), "GPS Date and Time");
    EXPECT_FALSE(PositionForm->Timer1->isActive());

    PositionForm->SetGpsTime(0);
    EXPECT_EQ(LastBox(), std::make_pair(QString("Warning..."), QString("   Illegal JulianTime   ")));
    EXPECT_FALSE(Plot().GpsTimeValid);
    PositionForm->SetGpsTime(951782400 + 3600);   // 2000-02-29 01:00:00
    EXPECT_EQ(ui->Edit5->text(), QLocale::system().toString(QDate(2000, 2, 29), " d-MMM-yyyy"));
    EXPECT_EQ(ui->Edit6->text(), "   01:00:00   ");
}

TEST_F(PositionFormTest, TheHistorysSanityChecksShowTheirBox)
{
    // Fixes half a day apart cannot come through the intake; put there by hand.
    GpsHistory &history = Plot().History;
    history.Times[0] = 30000.0;
    history.Times[1] = 80000.0;
    GeoPosition out;
    EXPECT_FALSE(history.InterpolateAt(&out, 50000.0));
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("   DEBUG: Diff>SecondsInDay/2???    ")));
}

TEST_F(PositionFormTest, MaxNumberOfPoints)
{
    ShowWindow();
    for (QString bad : {"0", "-5", "abc", "", "1.5"}) {
        boxes.clear();
        ui->Edit3->setText(bad);
        ui->Button3->click();
        ASSERT_EQ(boxes.size(), 1u) << bad.toStdString();
        EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("Illegal value for Number of Points")));
        EXPECT_EQ(ui->Edit3->text(), "200");
        EXPECT_EQ(MaxPoints, 200);
        EXPECT_TRUE(ui->Edit3->hasFocus());
    }
    for (int i = 0; i < 5; ++i) GpsAt(i, i);
    boxes.clear();
    ui->Edit3->setText("3");
    QTest::keyClick(ui->Edit3, Qt::Key_Return);   // Enter does what "Set" does
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(MaxPoints, 3);
    EXPECT_EQ(Count(6), 3);
    EXPECT_EQ(MemoLines(4)[10], QString(28, ' ') + "#Obs    :     3");
    ui->Edit3->setText("1");
    ui->Button3->click();
    EXPECT_EQ(MaxPoints, 1);
    EXPECT_EQ(Count(6), 1);
}

TEST_F(PositionFormTest, CentreFromTheEdits)
{
    ShowWindow();
    struct Case {
        const char *lat, *lon;
        bool ok;
    };
    for (const Case &c : {Case{"90", "180", true}, Case{"-90", "-180", true}, Case{" 52.5 ", "4.25", true}}) {
        boxes.clear();
        ui->Edit1->setText(c.lat);
        ui->Edit2->setText(c.lon);
        ui->Button1->click();
        EXPECT_TRUE(boxes.empty()) << c.lat;
    }
    EXPECT_EQ(Plot().Centre.Latitude, 52.5);
    EXPECT_EQ(Plot().Centre.Longitude, 4.25);
    EXPECT_TRUE(Plot().CentreSet);
    EXPECT_EQ(ui->Edit1->text(), "  52.50000000");
    EXPECT_EQ(ui->Edit2->text(), "   4.25000000");

    // An invalid latitude stops before the longitude is read.
    ui->Edit1->setText("90.0001");
    ui->Edit2->setText("nonsense");
    ui->Button1->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("Illegal value for Latitude")));
    EXPECT_EQ(ui->Edit1->text(), "  52.5000000000");
    EXPECT_TRUE(ui->Edit1->hasFocus());
    EXPECT_EQ(ui->Edit2->text(), "nonsense");

    for (const char *bad : {"-180.5", "", "nan", "4,5"}) {
        boxes.clear();
        ui->Edit1->setText("10");
        ui->Edit2->setText(bad);
        QTest::keyClick(ui->Edit2, Qt::Key_Return);   // Enter in either edit runs "Set"
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("Illegal value for Longitude")));
        EXPECT_EQ(ui->Edit2->text(), "   4.2500000000");
        EXPECT_TRUE(ui->Edit2->hasFocus());
    }
    EXPECT_EQ(Plot().Centre.Latitude, 52.5);

    // A new centre redraws every kept point about it.
    GpsAt(1, 0.0);
    ui->Edit1->setText("52");
    ui->Edit2->setText("4");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);
    ASSERT_EQ(Count(6), 1);
    EXPECT_NEAR(Series(6)->at(0).y(), 0.0, 1e-6);
    EXPECT_EQ(MemoLines(4)[3], QString(28, ' ') + "Offset  :     0.0 m");
}

TEST_F(PositionFormTest, TheCentreIsSavedAndRestored)
{
    ShowWindow();
    // Nothing stored at all: Restore does nothing.
    ui->Button2->click();
    EXPECT_FALSE(Plot().CentreSet);

    ui->Edit1->setText("52.0117384");
    ui->Edit2->setText("-4.357191");
    ui->Button1->click();
    ui->Button4->click();
    {
        SettingsStore store;
        EXPECT_EQ(store.ReadString("PP_Lat"), QString("52.0117384"));
        EXPECT_EQ(store.ReadString("PP_Lon"), QString("-4.357191"));
    }
    ui->Edit1->setText("10");
    ui->Edit2->setText("20");
    ui->Button1->click();
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Latitude, 52.0117384);
    EXPECT_EQ(Plot().Centre.Longitude, -4.357191);
    EXPECT_EQ(ui->Edit1->text(), "  52.01173840");

    // Only one value stored: only that coordinate changes; a bad one is ignored.
    {
        SettingsStore store(SettingsStore::Mode::Create);
        store.WriteString("PP_Lat", "51.5");
        store.Remove("PP_Lon");
    }
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Latitude, 51.5);
    EXPECT_EQ(Plot().Centre.Longitude, -4.357191);
    WriteSetting("PP_Lat", "north");
    WriteSetting("PP_Lon", "3.5");
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Latitude, 51.5);
    EXPECT_EQ(Plot().Centre.Longitude, 3.5);
    WriteSetting("PP_Lat", "95");
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Latitude, 51.5);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PositionFormTest, SetCentrePositionTakesATracksNewestPosition)
{
    ShowWindow();
    ui->SetPosButton3->click();
    EXPECT_FALSE(Plot().CentreSet);   // no ASF position yet
    GpsAt(1);
    Receive(Lcposa("43210.00", 'S', "52.001", "4.002"));
    ui->SetPosButton3->click();
    EXPECT_EQ(Plot().Centre.Latitude, 52.001);
    EXPECT_EQ(ui->Edit2->text(), "   4.00200000");
    ASSERT_EQ(Count(4), 1);
    EXPECT_NEAR(Series(4)->at(0).x(), 0.0, 1e-9);
    ui->SetPosButton5->click();
    EXPECT_EQ(Plot().Centre.Latitude, 52.0);
}

TEST_F(PositionFormTest, SolutionItemsShowAndHideTracks)
{
    ShowWindow();
    for (int i = 0; i < 4; ++i) GpsAt(i, i);
    PositionForm->FlushRedraw();
    EXPECT_EQ(Count(6), 4);
    ui->Solution051->trigger();
    EXPECT_FALSE(ui->Solution051->isChecked());
    EXPECT_EQ(Count(6), 0);
    EXPECT_EQ(Count(11), 0);
    GpsAt(5, 5);
    PositionForm->FlushRedraw();
    EXPECT_EQ(Count(6), 0);   // still collected, not drawn
    EXPECT_EQ(MemoLines(4)[10], QString(28, ' ') + "#Obs    :     5");
    ui->Solution051->trigger();
    EXPECT_TRUE(ui->Solution051->isChecked());
    EXPECT_EQ(Count(6), 5);
    EXPECT_EQ(Count(11), 1);

    ui->Reset1->trigger();
    EXPECT_EQ(Count(6), 0);
    EXPECT_EQ(MemoLines(4), QStringList{"No Position data"});
    EXPECT_TRUE(ui->Solution051->isEnabled());
}

TEST_F(PositionFormTest, ZoomScaleFollowAndCentre)
{
    ShowWindow();
    GpsAt(0);
    PositionForm->FlushRedraw();
    // A rectangle wider than high: the left axis widens to the same metres.
    Drag(PositionForm->Chart1, 0.1, 0.4, 0.9, 0.6);
    ASSERT_TRUE(Plot().Zoomed);
    EXPECT_NEAR(XAxis()->max() - XAxis()->min(), YAxis()->max() - YAxis()->min(), 1e-6);
    EXPECT_GT(XAxis()->max() - XAxis()->min(), 50.0);
    // While zoomed nothing follows the points.
    GpsAt(1, 400.0);
    PositionForm->FlushRedraw();
    EXPECT_LT(YAxis()->max(), 100.0);
    // The undo returns to the remembered ranges.
    Mouse(PositionForm->Chart1->viewport(), QEvent::MouseButtonPress, PlotPoint(PositionForm->Chart1, 0.5, 0.5),
         Qt::RightButton, Qt::RightButton);
    Mouse(PositionForm->Chart1->viewport(), QEvent::MouseButtonRelease, PlotPoint(PositionForm->Chart1, 0.5, 0.5),
         Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(Plot().Zoomed);
    EXPECT_EQ(XAxis()->min(), -50.0);
    EXPECT_EQ(YAxis()->max(), 50.0);

    ui->UpDown1Up->click();
    EXPECT_EQ(ui->Label3->text(), "100 m");
    EXPECT_EQ(YAxis()->min(), -100.0);
    EXPECT_EQ(XAxis()->max(), 100.0);
    ui->UpDown1Down->click();
    ui->UpDown1Down->click();
    EXPECT_EQ(ui->Label3->text(), "25 m");
    EXPECT_EQ(XAxis()->max(), 25.0);

    ui->FollowButton->click();
    EXPECT_EQ(ui->FollowButton->text(), "Follow");
    EXPECT_EQ(ui->FollowButton->property("Tag").toInt(), 0);
    GpsAt(2, 300.0);
    PositionForm->FlushRedraw();
    EXPECT_EQ(YAxis()->max(), 25.0);
    ui->FollowButton->click();
    EXPECT_EQ(ui->FollowButton->text(), "Freeze");
    GpsAt(3, 300.0);
    PositionForm->FlushRedraw();
    EXPECT_NEAR(YAxis()->max(), 325.0, 1e-3);
    ui->CentreButton->click();
    EXPECT_EQ(YAxis()->min(), -25.0);
    EXPECT_EQ(YAxis()->max(), 25.0);
}

TEST_F(PositionFormTest, TheRightButtonDragsTheUnzoomedChart)
{
    ShowWindow();
    const QRectF area = PositionForm->Chart1->chart()->plotArea();
    RightDrag(PositionForm->Chart1, QPoint(static_cast<int>(area.width() / 4), 0));
    // Dragged right by a quarter of the plot: the view shows 25 m further west.
    EXPECT_NEAR(XAxis()->min(), -75.0, 1.0);
    EXPECT_NEAR(Plot().XMin, XAxis()->min(), 1e-9);
    EXPECT_NEAR(Plot().XMax, XAxis()->max(), 1e-9);
    EXPECT_EQ(Plot().YMin, -50.0);
    ui->CentreButton->click();
    EXPECT_EQ(XAxis()->min(), -50.0);
}

TEST_F(ExtendedPositionFormTest, LoranVsGpsShowsOffsetsFromGps)
{
    ShowWindow();
    GpsAt(21);
    GpsAt(22, 10.0);
    Receive(Lcposa("43222.00", 'G', "52.0", "4.0"));
    ui->LoranvsGPSCheckBox1->click();
    EXPECT_TRUE(Plot().LoranVsGps);
    EXPECT_EQ(Count(6), 0);   // GPS is the reference, not drawn
    ASSERT_EQ(Count(5), 1);
    EXPECT_NEAR(Series(5)->at(0).y(), -5.0, 0.01);
    EXPECT_EQ(MemoLines(3)[1].mid(28, 10), "Lat Off : ");
    EXPECT_EQ(MemoLines(3)[1].mid(38), "   -5.0 m");
    ui->LoranvsGPSCheckBox1->click();
    EXPECT_FALSE(Plot().LoranVsGps);
    EXPECT_EQ(Count(6), 2);
    EXPECT_EQ(MemoLines(3)[1].mid(28, 10), "Avg Lat : ");
}

TEST_F(PositionFormTest, AlwaysOnTopAndTheClipboard)
{
    ShowWindow();
    // The right button on the form itself offers "Always on Top".
    const QPoint empty = ui->ClientPanel->mapTo(PositionForm, QPoint(440, 200));   // between the notebook and the chart
    ASSERT_EQ(PositionForm->childAt(empty), ui->ClientPanel);
    Mouse(ui->ClientPanel, QEvent::MouseButtonPress, QPoint(440, 200), Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(PositionForm->PopupMenu1->isVisible());
    EXPECT_EQ(PositionForm->PopupMenu1->actions(), QList<QAction *>{ui->AlwaysonTop2});
    PositionForm->PopupMenu1->hide();
    ui->AlwaysonTop1->trigger();
    EXPECT_TRUE(PositionForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(ui->AlwaysonTop2->isChecked());
    ui->AlwaysonTop2->trigger();
    EXPECT_FALSE(PositionForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(PositionForm->isVisible());

    QApplication::clipboard()->clear();
    ui->CopytoClipboard1->trigger();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(581, 425));
    ui->CopyWindowtoClipboard1->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(1028, 434));
}

TEST_F(PositionFormTest, TheSampleFillsThePlot)
{
    QFile file(kSample);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray sample = file.readAll();
    ShowWindow();
    for (qsizetype at = 0; at < sample.size(); at += 4096) MainForm->ReceiveData(sample.mid(at, 4096));
    PositionForm->FlushRedraw();

    // The first fix of any kind (an integrated position at 12:00:08) is the centre.
    EXPECT_EQ(ui->Edit1->text(), "  52.01173840");
    EXPECT_EQ(ui->Edit2->text(), "   4.35719100");
    for (int k = 0; k < 5; ++k) {
        const PositionData &t = Plot().Tracks[static_cast<size_t>(k)];
        EXPECT_EQ(t.Points.size(), 200u) << k;
        EXPECT_EQ(Count(PositionPlotModel::TrackSeries(k)), 200) << k;
        EXPECT_EQ(Count(PositionPlotModel::LastValueSeries(k)), 1) << k;
        EXPECT_EQ(MemoLines(k).size(), 11) << k;
        EXPECT_EQ(MemoLines(k)[10], QString(28, ' ') + "#Obs    :   200") << k;
        EXPECT_TRUE(PositionForm->SolutionItem(k)->isChecked()) << k;
    }
    // The eLoran solutions found GPS references for their epochs.
    EXPECT_GT(Plot().Tracks[1].LoranVsGpsPoints.size(), 150u);
    // The view followed the receiver; its newest GPS fix is inside it.
    const QPointF newest = Series(11)->at(0);
    EXPECT_GE(newest.x(), XAxis()->min());
    EXPECT_LE(newest.x(), XAxis()->max());
    EXPECT_GE(newest.y(), YAxis()->min());
    EXPECT_LE(newest.y(), YAxis()->max());

    if (const QByteArray out = qgetenv("KAVU_POSITION_SHOT"); !out.isEmpty()) PositionForm->grab().save(QString(out));
}


TEST(ThinScatterForDrawing, OnePointPerPixelInsideTheRanges)
{
    // A dense cloud: 100,000 points in a 100 x 100 m square shown on 200 x 100 pixels.
    QList<QPointF> cloud;
    for (int i = 0; i < 100000; ++i) cloud.append(QPointF((i * 37) % 1000 * 0.1, (i * 91) % 997 * 0.1));
    const QList<QPointF> out = ThinScatterForDrawing(cloud, 0, 100, 0, 100, 200, 100);
    EXPECT_LE(out.size(), 200 * 100);
    EXPECT_GT(out.size(), 200 * 100 * 8 / 10);   // most pixels are covered
    EXPECT_EQ(out.front(), cloud.front());
    // Each pixel once, and the points keep their order.
    QSet<int> cells;
    qsizetype at = 0;
    for (const QPointF &p : out) {
        const int cell = std::min(static_cast<int>(p.y()), 99) * 200 + std::min(static_cast<int>(p.x() * 2), 199);
        EXPECT_FALSE(cells.contains(cell));
        cells.insert(cell);
        at = cloud.indexOf(p, at);
        ASSERT_GE(at, 0);
    }
    // Outside the ranges, or no number: not drawn.
    QList<QPointF> spread = cloud;
    spread.append(QPointF(500, 50));
    spread.append(QPointF(NAN, 50));
    for (const QPointF &p : ThinScatterForDrawing(spread, 0, 100, 0, 100, 200, 100)) {
        EXPECT_LE(p.x(), 100.0);
        EXPECT_FALSE(std::isnan(p.x()));
    }
    // Few points, or an empty range: unchanged.
    const QList<QPointF> few = cloud.mid(0, 500);
    EXPECT_EQ(ThinScatterForDrawing(few, 0, 100, 0, 100, 200, 100), few);
    EXPECT_EQ(ThinScatterForDrawing(cloud, 0, 100, 5, 5, 200, 100).size(), cloud.size());
}

TEST(ChartViewPoints, LargeSetsAreThinnedAndRefinedWhenTheRangesChange)
{
    ChartView view;
    view.resize(600, 450);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QImage marker(5, 5, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::red);
    QLineSeries *series = view.AddPointSeries(7, "cloud", marker, Qt::red);
    EXPECT_EQ(view.FindSeries(7), series);
    EXPECT_EQ(series->pen().style(), Qt::NoPen);
    view.SetXRange(-50, 50);
    view.SetYRange(-50, 50);
    QList<QPointF> points;
    for (int i = 0; i < 60000; ++i) points.append(QPointF((i % 300) * 0.5 - 75, (i / 300) * 0.5 - 50));
    view.SetSeriesPoints(series, points);
    EXPECT_EQ(view.PointCount(series), 60000);
    const int thinned = series->count();
    EXPECT_LT(thinned, 60000);
    for (const QPointF &p : series->points()) EXPECT_GE(p.x(), -50.0);
    // The view moves west (and then south): points come in from the edge.
    view.SetXRange(-100, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !series->points().isEmpty() && series->at(0).x() < -50.0; }, 2000));
    view.SetYRange(-100, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const QPointF &p : series->points())
            if (p.y() > 0.0) return false;   // what shows lies in the new range
        return series->count() > 0;
    }, 2000));
    // A small set is shown as it is.
    view.SetSeriesPoints(series, points.mid(0, 100));
    EXPECT_EQ(series->count(), 100);
    // The view goes with a thinned series still in it (its kept line went first once).
    view.SetSeriesPoints(series, points);
}

TEST_F(PositionFormTest, TheWindowLayoutKeepsThePositionWindow)
{
    MainForm->show();
    MainForm->ui->PositionPlot1->trigger();
    ui->AlwaysonTop1->trigger();
    PositionForm->move(140, 60);
    MainForm->StorecurrentWindows1Click();
    ui->AlwaysonTop1->trigger();
    ui->Close1->trigger();
    PositionForm->move(400, 400);
    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(PositionForm->isVisible());
    EXPECT_EQ(PositionForm->pos(), QPoint(140, 60));
    EXPECT_TRUE(PositionForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(ui->AlwaysonTop2->isChecked());
    EXPECT_EQ(ui->ClientPanel->size(), QSize(1028, 434));
    EXPECT_TRUE(boxes.empty());
}
