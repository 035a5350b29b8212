// The position window fed through the router: the intake whatever shows, redraw
// timing, the checks of its edits, the centre, zoom, drag, follow and scale,
// Loran against GPS, the GPS clock, and drawing large point sets.
#include <QClipboard>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QToolButton>
#include <QValueAxis>
#include <cmath>

#include "gui_test_support.h"
#include "plots/positionform.h"
#include "position_lines.h"
#include "ui_positionform.h"

using namespace position_lines;

class PositionFormTest : public WindowTest {
protected:
    Ui::TPositionForm *ui = nullptr;

    void Start(bool extended = false)
    {
        if (extended) WriteSetting("DravOutput", "enabled");
        CreateForms();
        ui = PositionForm->ui.get();
        ShowAndWait(PositionForm);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        MaxPoints = 200;
    }
    PositionPlotModel &Plot() { return PositionForm->Plot; }
    QXYSeries *Series(int index) const { return PositionForm->Chart1->FindSeries(index); }
    qsizetype Count(int index) const { return PositionForm->Chart1->PointCount(Series(index)); }
    QString Memo(int k, int line) const { return PositionForm->Memo(k)->toPlainText().split('\n').value(line); }
    std::pair<double, double> Y() const { return {PositionForm->Chart1->LeftAxis()->min(), PositionForm->Chart1->LeftAxis()->max()}; }
    double XMin() const { return PositionForm->Chart1->BottomAxis()->min(); }
    // GPS fix (GPPOSA) at 12:00:ss, metres north of 52 N 4 E.
    void GpsAt(int second, double north = 0.0)
    {
        char time[16], lat[32];
        std::snprintf(time, sizeof time, "1200%02d.00", second);
        std::snprintf(lat, sizeof lat, "%.10f", 52.0 + north / MetresPerDegree(52.0, 4.0).Latitude);
        Line(Gpposa(time, lat, "4.0"));
    }
    void ExpectRefused(QLineEdit *edit, QPushButton *set, std::initializer_list<const char *> bad, const QString &message,
                       const QString &shownAfter)
    {
        for (const char *text : bad) {
            boxes.clear();
            edit->setText(text);
            set->click();
            EXPECT_EQ(boxes, (decltype(boxes){{"Error...", message}})) << text;
            EXPECT_EQ(edit->text(), shownAfter) << text;
            EXPECT_TRUE(edit->hasFocus());
        }
    }
};

TEST_F(PositionFormTest, EverySolutionIsReadWhileHiddenAndDrawnWhenShown)
{
    CreateForms();
    ui = PositionForm->ui.get();
    GpsAt(21);
    GpsAt(22, 10.0);
    Line(Inposa("120022.00", "52.0", "4.0"));
    Line(Lcposa("43222.00", 'A', "52.0", "4.0"));
    Line(Lcrsda("43222.00", 'A'));
    Line(Lcposa("43222.00", 'S', "52.0", "4.0"));
    Line(Lcposa("43222.00", 'G', "52.0", "4.0"));
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(PositionForm->SolutionItem(k)->isChecked()) << k;
    EXPECT_EQ(Plot().Tracks[1].LoranVsGpsPoints.size(), 1u);   // one epoch, its two lines
    EXPECT_EQ(ui->Edit1->text(), "  52.00000000");
    EXPECT_TRUE(PositionForm->RedrawPending());
    EXPECT_EQ(Count(6), 0);
    ShowAndWait(PositionForm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 2000));
    EXPECT_EQ(Count(6), 2);
    EXPECT_NEAR(Series(11)->at(0).y(), 10.0, 1e-3);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     2");

    // Shown: the stream is coalesced into redraws at their interval.
    EXPECT_EQ(PositionForm->RedrawTimer()->interval(), 100);
    for (int i = 0; i < 20; ++i) GpsAt(i + 23, i);
    EXPECT_TRUE(PositionForm->RedrawPending());
    EXPECT_EQ(Count(6), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 2000));
    EXPECT_EQ(Count(6), 22);

    // Opening a source empties the plot and keeps the centre.
    MainForm->ResetViews();
    PositionForm->FlushRedraw();
    EXPECT_EQ(Count(6) + Count(11), 0);
    EXPECT_EQ(Memo(4, 0), "No Position data");
    EXPECT_EQ(ui->Edit1->text(), "  52.00000000");
}

TEST_F(PositionFormTest, TheEditsAreCheckedAndTheCentreIsSetStoredAndRestored)
{
    Start();
    ExpectRefused(ui->Edit3, ui->Button3, {"0", "-5", "abc", "", "1.5"}, "Illegal value for Number of Points", "200");
    for (int i = 0; i < 5; ++i) GpsAt(i, i);
    ui->Edit3->setText("3");
    QTest::keyClick(ui->Edit3, Qt::Key_Return);   // Enter does what "Set" does
    EXPECT_EQ(Count(6), 3);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     3");

    ui->Edit2->setText("4.25");
    ExpectRefused(ui->Edit1, ui->Button1, {"90.0001", "", "4,5"}, "Illegal value for Latitude", "  52.0000000000");
    ui->Edit1->setText("-90");
    ExpectRefused(ui->Edit2, ui->Button1, {"-180.5", "nan"}, "Illegal value for Longitude", "   4.0000000000");
    boxes.clear();
    ui->Edit1->setText(" 52.0117384 ");
    ui->Edit2->setText("-4.357191");
    QTest::keyClick(ui->Edit2, Qt::Key_Return);
    EXPECT_EQ(Plot().Centre.Latitude, 52.0117384);
    ui->Button4->click();
    EXPECT_EQ(SettingsStore().ReadString("PP_Lon"), "-4.357191");
    ui->SetPosButton5->click();   // the newest GPS position
    EXPECT_NEAR(Plot().Centre.Latitude, 52.0 + 4.0 / MetresPerDegree(52.0, 4.0).Latitude, 1e-9);
    EXPECT_NEAR(Series(11)->at(0).y(), 0.0, 1e-6);
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Longitude, -4.357191);
    EXPECT_EQ(ui->Edit1->text(), "  52.01173840");
    // A bad stored value is ignored on its own.
    WriteSetting("PP_Lat", "95");
    WriteSetting("PP_Lon", "3.5");
    ui->Button2->click();
    EXPECT_EQ(Plot().Centre.Latitude, 52.0117384);
    EXPECT_EQ(Plot().Centre.Longitude, 3.5);
    ui->SetPosButton3->click();   // no ASF position yet
    EXPECT_EQ(Plot().Centre.Longitude, 3.5);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PositionFormTest, ZoomDragScaleFollowAndSolutionItems)
{
    Start();
    GpsAt(0);
    PositionForm->FlushRedraw();
    Drag(PositionForm->Chart1, 0.1, 0.4, 0.9, 0.6);   // wider than high: the left axis widens to the same metres
    ASSERT_TRUE(Plot().Zoomed);
    EXPECT_NEAR(PositionForm->Chart1->BottomAxis()->max() - XMin(), Y().second - Y().first, 1e-6);
    GpsAt(1, 400.0);
    PositionForm->FlushRedraw();
    EXPECT_LT(Y().second, 100.0);   // zoomed: nothing follows
    RightClick(PositionForm->Chart1);
    EXPECT_FALSE(Plot().Zoomed);
    EXPECT_EQ(Y(), std::make_pair(-50.0, 50.0));
    Drag(PositionForm->Chart1, 0.5, 0.5, 0.75, 0.5, Qt::RightButton);   // a quarter of the plot: 25 m west
    EXPECT_NEAR(XMin(), -75.0, 1.0);
    EXPECT_NEAR(Plot().XMin, XMin(), 1e-9);

    ui->UpDown1Up->click();
    EXPECT_EQ(ui->Label3->text(), "100 m");
    ui->UpDown1Down->click();
    ui->UpDown1Down->click();
    EXPECT_EQ(ui->Label3->text(), "25 m");
    ui->CentreButton->click();
    EXPECT_EQ(Y(), std::make_pair(-25.0, 25.0));
    ui->FollowButton->click();
    EXPECT_EQ(ui->FollowButton->text(), "Follow");
    GpsAt(2, 300.0);
    PositionForm->FlushRedraw();
    EXPECT_EQ(Y().second, 25.0);
    ui->FollowButton->click();
    GpsAt(3, 300.0);
    PositionForm->FlushRedraw();
    EXPECT_NEAR(Y().second, 325.0, 1e-3);

    ui->Solution051->trigger();   // GPS hidden: still collected, not drawn
    GpsAt(5, 5);
    PositionForm->FlushRedraw();
    EXPECT_EQ(Count(6) + Count(11), 0);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     5");
    ui->Solution051->trigger();
    EXPECT_EQ(Count(6), 5);
    ui->Reset1->trigger();
    EXPECT_EQ(Count(6), 0);
    EXPECT_TRUE(ui->Solution051->isEnabled());
}

TEST_F(PositionFormTest, TheGpsSourceLoranAgainstGpsAndTheGpsClock)
{
    Start(true);
    GpsAt(21);
    GpsAt(22, 10.0);
    Line(Lcposa("43222.00", 'G', "52.0", "4.0"));
    ui->LoranvsGPSCheckBox1->click();
    EXPECT_EQ(Count(6), 0);   // GPS is the reference, not drawn
    EXPECT_NEAR(Series(5)->at(0).y(), -5.0, 0.01);
    EXPECT_EQ(Memo(3, 1).mid(28), "Lat Off :    -5.0 m");
    ui->LoranvsGPSCheckBox1->click();
    EXPECT_EQ(Count(6), 2);

    ui->PSRPOSA1->trigger();
    EXPECT_FALSE(ui->GPPOSA1->isChecked());
    Line(Psrposa("NONE"));
    EXPECT_TRUE(PositionForm->Timer1->isActive());   // no solution: the PC clock goes on
    Line(Psrposa());
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    EXPECT_EQ(ui->GroupBox3->title(), "GPS Date and Time");
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
    EXPECT_EQ(Plot().Tracks[4].Points.size(), 3u);
    MainForm->ResetViews();   // the box keeps what it shows, the PC clock stays off
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    PositionForm->SetGpsTime(0);
    EXPECT_EQ(LastBox(), std::make_pair(QString("Warning..."), QString("   Illegal JulianTime   ")));
    PositionForm->SetGpsTime(951782400 + 3600);   // 2000-02-29 01:00:00
    EXPECT_EQ(ui->Edit5->text(), QLocale::system().toString(QDate(2000, 2, 29), " d-MMM-yyyy"));

    // Fixes half a day apart cannot come through the intake; put there by hand.
    Plot().History.Times[0] = 30000.0;
    Plot().History.Times[1] = 80000.0;
    GeoPosition out;
    EXPECT_FALSE(Plot().History.InterpolateAt(&out, 50000.0));
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("   DEBUG: Diff>SecondsInDay/2???    ")));
}

TEST_F(PositionFormTest, TheFormsMenuAndCopies)
{
    Start();
    ASSERT_EQ(PositionForm->childAt(ui->ClientPanel->mapTo(PositionForm, QPoint(440, 200))), ui->ClientPanel);
    Mouse(ui->ClientPanel, QEvent::MouseButtonPress, QPoint(440, 200), Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(PositionForm->PopupMenu1->isVisible());
    PositionForm->PopupMenu1->hide();
    QApplication::clipboard()->clear();
    ui->CopytoClipboard1->trigger();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), PositionForm->Chart1->size());
    ui->CopyWindowtoClipboard1->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), ui->ClientPanel->size());
}

TEST_F(PositionFormTest, TheSampleFillsThePlot)
{
    Start();
    FeedSample();
    PositionForm->FlushRedraw();
    EXPECT_EQ(ui->Edit1->text(), "  52.01173840");   // the first fix of any kind is the centre
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(Count(PositionPlotModel::TrackSeries(k)), 200) << k;
        EXPECT_EQ(Memo(k, 10), QString(28, ' ') + "#Obs    :   200") << k;
    }
    EXPECT_GT(Plot().Tracks[1].LoranVsGpsPoints.size(), 150u);
    const QPointF newest = Series(11)->at(0);   // the view followed the receiver
    EXPECT_GE(newest.y(), Y().first);
    EXPECT_LE(newest.y(), Y().second);
}

TEST(ChartViewPoints, LargeSetsAreThinnedPerPixelAndRefinedWhenTheRangesChange)
{
    QList<QPointF> cloud;   // 100,000 points in a 100 x 100 m square on 200 x 100 pixels
    for (int i = 0; i < 100000; ++i) cloud.append(QPointF((i * 37) % 1000 * 0.1, (i * 91) % 997 * 0.1));
    cloud.append(QPointF(500, 50));
    cloud.append(QPointF(NAN, 50));
    const QList<QPointF> out = ThinScatterForDrawing(cloud, 0, 100, 0, 100, 200, 100);
    EXPECT_GT(out.size(), 200 * 100 * 8 / 10);
    QSet<int> cells;
    for (const QPointF &p : out) {
        ASSERT_LE(p.x(), 100.0);   // outside the ranges, or no number: not drawn
        cells.insert(std::min(static_cast<int>(p.y()), 99) * 200 + std::min(static_cast<int>(p.x() * 2), 199));
    }
    EXPECT_EQ(cells.size(), out.size());   // each pixel once
    EXPECT_EQ(ThinScatterForDrawing(cloud.mid(0, 500), 0, 100, 0, 100, 200, 100), cloud.mid(0, 500));

    ChartView view;
    view.resize(600, 450);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QImage marker(5, 5, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::red);
    QLineSeries *series = view.AddPointSeries(7, "cloud", marker, Qt::red);
    view.SetXRange(-50, 50);
    view.SetYRange(-50, 50);
    QList<QPointF> points;
    for (int i = 0; i < 60000; ++i) points.append(QPointF((i % 300) * 0.5 - 75, (i / 300) * 0.5 - 50));
    view.SetSeriesPoints(series, points);
    EXPECT_LT(series->count(), 60000);
    view.SetXRange(-100, 0);   // the view moves west: points come in from the edge
    ASSERT_TRUE(QTest::qWaitFor([&] { return series->count() > 0 && series->at(0).x() < -50.0; }, 2000));
    view.SetSeriesPoints(series, points.mid(0, 100));
    EXPECT_EQ(series->count(), 100);
    view.SetSeriesPoints(series, points);   // the view goes with a thinned series still in it
}
