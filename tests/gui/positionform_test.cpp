// The position window fed through the router: the intake whatever shows, redraw
// timing, the checks of its edits, the centre, zoom, drag, follow and scale,
// Loran against GPS, the GPS clock, and drawing large point sets.
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <random>

#include "failing_new.h"
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
    void TearDown() override { WindowTest::TearDown(); MaxPoints = 200; }
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Count(6), 2);
    EXPECT_NEAR(Shown(Series(11)).at(0).y(), 10.0, 1e-3);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     2");

    // Shown: the stream is coalesced into redraws at their interval.
    for (int i = 0; i < 20; ++i) GpsAt(i + 23, i);
    EXPECT_LE(Count(6), 3);   // the first at once when the interval has passed (a slow machine), the rest wait
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Count(6), 22);

    // Opening a source empties the plot and keeps the centre.
    MainForm->ResetViews();
    PositionForm->DrawPending();
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
    EXPECT_TRUE(ui->Edit1->hasFocus());
    ui->Edit1->setText("-90");
    ExpectRefused(ui->Edit2, ui->Button1, {"-180.5", "nan"}, "Illegal value for Longitude", "   4.0000000000");
    EXPECT_TRUE(ui->Edit2->hasFocus());
    boxes.clear();
    ui->Edit1->setText(" 52.0117384 ");
    ui->Edit2->setText("-4.357191");
    QTest::keyClick(ui->Edit2, Qt::Key_Return);
    EXPECT_EQ(Plot().Centre.Latitude, 52.0117384);
    ui->Button4->click();
    EXPECT_EQ(SettingsStore().ReadString("PP_Lon"), "-4.357191");
    ui->SetPosButton5->click();   // the newest GPS position
    EXPECT_NEAR(Plot().Centre.Latitude, 52.0 + 4.0 / MetresPerDegree(52.0, 4.0).Latitude, 1e-9);
    EXPECT_NEAR(Shown(Series(11)).at(0).y(), 0.0, 1e-6);
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

TEST_F(PositionFormTest, ZoomDragAndSolutionItems)
{
    Start();
    GpsAt(0);
    PositionForm->DrawPending();
    Drag(PositionForm->Chart1, 0.1, 0.4, 0.9, 0.6);   // wider than high: the left axis widens to the same metres
    ASSERT_TRUE(Plot().Zoomed);
    EXPECT_NEAR(PositionForm->Chart1->BottomAxis()->max() - XMin(), Y().second - Y().first, 1e-6);
    GpsAt(1, 400.0);
    PositionForm->DrawPending();
    EXPECT_LT(Y().second, 100.0);   // zoomed: nothing follows
    RightClick(PositionForm->Chart1);
    EXPECT_FALSE(Plot().Zoomed);
    EXPECT_EQ(Y(), std::make_pair(-50.0, 50.0));
    Drag(PositionForm->Chart1, 0.5, 0.5, 0.75, 0.5, Qt::RightButton);   // a quarter of the plot: 25 m west
    EXPECT_NEAR(XMin(), -75.0, 1.0);
    EXPECT_NEAR(Plot().XMin, XMin(), 1e-9);

    ui->Solution051->trigger();   // GPS hidden: still collected, not drawn
    GpsAt(5, 5);
    PositionForm->DrawPending();
    EXPECT_EQ(Count(6) + Count(11), 0);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     3");
    ui->Solution051->trigger();
    EXPECT_EQ(Count(6), 3);
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
    EXPECT_NEAR(Shown(Series(5)).at(0).y(), -5.0, 0.01);
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

    // Fixes half a day apart cannot come through the intake; put there by hand.
    Plot().History.Times[0] = 30000.0;
    Plot().History.Times[1] = 80000.0;
    GeoPosition out;
    EXPECT_FALSE(Plot().History.InterpolateAt(&out, 50000.0));
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("   DEBUG: Diff>SecondsInDay/2???    ")));
}

// Memory running out while the window is made: a track whose point lists cannot
// be made is reported and the window goes on without them; a track that cannot
// be allocated at all ends the window's construction.
TEST_F(PositionFormTest, AllocationFailuresWhileTheWindowIsMade)
{
    Start();
    FailingNew::FailNextOfSize(sizeof(PositionData));
    try {
        std::unique_ptr<TPositionForm> window(new TPositionForm(MainForm));
        ADD_FAILURE() << "made without its track";
    } catch (const std::exception &e) {
        EXPECT_STREQ(e.what(), "MemoryError");
    }
    EXPECT_TRUE(FailingNew::Disarm());

    boxes.clear();
    FailingNew::FailAfterSize(sizeof(PositionData));   // the integrated track's first list
    auto window = std::make_unique<TPositionForm>(MainForm);
    EXPECT_TRUE(FailingNew::Disarm());
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "No Memory"}}));
    window->NewData(Inposa("120000.00", "52.0", "4.0").c_str());
    window->NewData(Gpposa("120000.00", "52.0", "4.0").c_str());
    window->DrawPending();
    EXPECT_TRUE(window->Plot.Tracks[0].Points.empty());
    EXPECT_EQ(window->Plot.Tracks[4].Points.size(), 1u);
    EXPECT_EQ(window->Chart1->PointCount(window->Chart1->FindSeries(PositionPlotModel::TrackSeries(0))), 0);
    EXPECT_EQ(window->Chart1->PointCount(window->Chart1->FindSeries(PositionPlotModel::TrackSeries(4))), 1);
}

// Shown, the plot follows a steady stream on its beat: never two redraws within
// its interval. A redraw that falls due while the window is hidden waits for it
// to show again.
TEST_F(PositionFormTest, TheChartIsRedrawnOnItsBeatAndNotWhileHidden)
{
    Start();
    GpsAt(0);
    PositionForm->DrawPending();
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> redraws;
    OnShown(Series(6), [&] { redraws.push_back(clock.elapsed()); });
    for (int i = 1; i < 50; ++i) {
        GpsAt(i, 0.1 * i);
        QTest::qWait(20);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    ASSERT_GE(redraws.size(), 3u);
    for (size_t i = 1; i < redraws.size(); ++i) EXPECT_GE(redraws[i] - redraws[i - 1], TPositionForm::RedrawMs - 5) << i;
    EXPECT_EQ(Count(6), 50);

    GpsAt(50);
    PositionForm->hide();
    ASSERT_TRUE(BeatPassed(TPositionForm::RedrawMs));
    EXPECT_EQ(Count(6), 50);
    EXPECT_TRUE(PositionForm->RedrawPending());
    ShowAndWait(PositionForm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Count(6), 51);

    // Minimised, likewise.
    GpsAt(51);
    PositionForm->showMinimized();
    ASSERT_TRUE(BeatPassed(TPositionForm::RedrawMs));
    EXPECT_EQ(Count(6), 51);
    PositionForm->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Count(6), 52);
}

// Statistics asked for again that come out the same are not set again (their
// text would be laid out anew).
TEST_F(PositionFormTest, StatisticsThatDidNotChangeAreNotSetAgain)
{
    Start();
    GpsAt(0);
    GpsAt(1, 3.0);
    PositionForm->DrawPending();
    int changes = 0;
    QObject::connect(PositionForm->Memo(4), &QPlainTextEdit::textChanged, [&] { ++changes; });
    PositionForm->ShowStatistics(4);
    EXPECT_EQ(changes, 0);
    // New statistics: the heading line stays as it was.
    const QTextBlock heading = PositionForm->Memo(4)->document()->begin();
    const int revision = heading.revision();
    GpsAt(2, 7.0);
    PositionForm->DrawPending();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(PositionForm->Memo(4)->document()->begin().revision(), revision);
    EXPECT_EQ(Memo(4, 10), QString(28, ' ') + "#Obs    :     3");
}

// Lines of every solution arriving at odd moments while the chart is drawn on its
// beat, the view following them: once they stop, the chart, its axes and the
// statistics are those of a plot redrawn after every line.
TEST_F(PositionFormTest, DrawnOnItsBeatTheChartEndsAsDrawnAfterEveryLine)
{
    Start();
    MaxPoints = 30;
    TPositionForm perLine;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> noise(-2e-5, 2e-5);
    for (int i = 0; i < 150; ++i) {
        char time[16], seconds[16], lat[32], lon[32];
        std::snprintf(time, sizeof time, "12%02d%02d.00", i / 60, i % 60);
        std::snprintf(seconds, sizeof seconds, "%d.00", 43200 + i);
        std::snprintf(lat, sizeof lat, "%.9f", 52.0 + 2e-5 * i + noise(random));
        std::snprintf(lon, sizeof lon, "%.9f", 4.0 + noise(random));
        std::vector<std::string> lines{Gpposa(time, lat, lon), Inposa(time, lat, lon)};
        if (i % 3 == 0) lines.push_back(Lcposa(seconds, 'A', lat, lon));
        for (const std::string &line : lines) {
            Line(line);
            perLine.NewData(line.c_str());
            perLine.DrawPending();
        }
        QTest::qWait(static_cast<int>(random() % 30));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !PositionForm->RedrawPending(); }, 10000));
    for (int i = 0; i < PositionPlotModel::SeriesCount; ++i)
        EXPECT_EQ(PositionForm->Chart1->SeriesPoints(Series(i)),
                  perLine.Chart1->SeriesPoints(perLine.Chart1->FindSeries(i))) << i;
    EXPECT_GT(Count(6), 20);
    for (auto axis : {&ChartView::BottomAxis, &ChartView::LeftAxis}) {
        EXPECT_EQ((PositionForm->Chart1->*axis)()->min(), (perLine.Chart1->*axis)()->min());
        EXPECT_EQ((PositionForm->Chart1->*axis)()->max(), (perLine.Chart1->*axis)()->max());
    }
    for (int k = 0; k < PositionPlotModel::TrackCount; ++k)
        EXPECT_EQ(PositionForm->Memo(k)->toPlainText(), perLine.Memo(k)->toPlainText()) << k;
}

// The PC clock runs only while the window is shown, and not again once GPS time
// came, even while hidden; the GPS time shows once the window is.
TEST_F(PositionFormTest, ThePcClockRunsOnlyWhileTheWindowIsShown)
{
    CreateForms();
    ui = PositionForm->ui.get();
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    ShowAndWait(PositionForm);
    EXPECT_TRUE(PositionForm->Timer1->isActive());
    PositionForm->hide();
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    ui->PSRPOSA1->trigger();
    const QString before = ui->Edit6->text();
    Line(Psrposa());
    EXPECT_EQ(ui->Edit6->text(), before);   // the GPS clock waits too
    PositionForm->show();
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
}

TEST_F(PositionFormTest, AHiddenWindowShowsTheGpsTimeItsLineBroughtAndItsClockCatchesUp)
{
    CreateForms();
    ui = PositionForm->ui.get();
    ShowAndWait(PositionForm);
    // Hidden for less than the clock's second, but more than a second after its
    // last tick: the time is shown as the window comes back.
    PositionForm->Timer1Timer();
    QTest::qWait(700);
    PositionForm->hide();
    ui->Edit6->setText("x");
    QTest::qWait(500);
    PositionForm->show();
    EXPECT_NE(ui->Edit6->text(), "x");
    // A GPS time that came while hidden is the one shown, a reset between or not.
    PositionForm->hide();
    ui->PSRPOSA1->trigger();
    Line(Psrposa());
    MainForm->ResetViews();
    PositionForm->show();
    EXPECT_EQ(ui->Edit6->text(), "   12:00:22   ");
}
