// The TOA/TD plot window fed through the router: source, redraw timing, zoom,
// the checks of its edits and dialogs, the station menus, copies and layout.
#include <QComboBox>
#include <QElapsedTimer>
#include <QScreen>
#include <QScrollBar>
#include <random>

#include "gui_test_support.h"
#include "plots/linedialogs.h"
#include "plots/tdplot.h"
#include "td_lines.h"
#include "ui_linecolordialog.h"
#include "ui_tdplot.h"

class TDPlotTest : public WindowTest {
protected:
    Ui::TTDForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        ui = TDForm->ui.get();
    }
    // n TOAA lines from time t0 with the given stations, TOA growing by 1 ns a line.
    void Toaa(int n, std::vector<std::string> names, double t0 = 0)
    {
        for (int i = 0; i < n; ++i) {
            std::vector<ToaaEntry> entries;
            for (size_t k = 0; k < names.size(); ++k) entries.push_back({names[k], 1000.0 * (k + 1) + 0.001 * i});
            Line(ToaaLine(t0 + i, entries));
        }
    }
    QList<QXYSeries *> Series() const { return TDForm->Chart1->Series(); }
    std::vector<int64_t> Offsets() const
    {
        std::vector<int64_t> offsets;
        for (const auto &s : TDForm->Stations) offsets.push_back(s->Offset);
        return offsets;
    }
};

TEST_F(TDPlotTest, TheSourceChosenIsFedAndChangingItResetsThePlot)
{
    Toaa(3, {"7499X", "7499M"});
    Line(DloraLine("000001", {{"6731Z", 1, 2}}));   // not the selected source
    ASSERT_EQ(TDForm->Stations.size(), 2u);
    EXPECT_EQ(TDForm->Stations[0]->Points.size(), 3u);
    TDForm->ViewAll1Click();
    ui->CheckBox1->setChecked(true);
    ui->DLORA1->trigger();
    EXPECT_TRUE(TDForm->Stations.empty());
    EXPECT_TRUE(Series().isEmpty());
    EXPECT_FALSE(ui->CheckBox1->isChecked() || ui->CheckBox1->isEnabled());
    EXPECT_FALSE(ui->TOAA1->isChecked());
    Line(DloraLine("235959", {{"6731Z", 1, 2}}));
    Toaa(1, {"7499M"});   // ignored now
    ui->DLORA1->trigger();   // the current kind: nothing happens
    EXPECT_EQ(TDForm->Stations.size(), 1u);
    ui->DASFA1->trigger();
    Line(DasfaLine("120000", {{"7499M", 0.5}, {"7499X", 0.25}}));
    EXPECT_EQ(TDForm->Stations.size(), 2u);
}

TEST_F(TDPlotTest, RedrawsAreCoalescedSkippedWhileHiddenAndHeldWhileZoomed)
{
    Toaa(5, {"7499M"});
    TDForm->ViewAll1Click();
    Toaa(5, {"7499M"}, 5);
    ASSERT_TRUE(BeatPassed(TTDForm::RedrawMs));
    EXPECT_EQ(Shown(Series()[0]).size(), 5);   // hidden: not redrawn
    ShowAndWait(TDForm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Shown(Series()[0]).size(), 10);
    Toaa(20, {"7499M"}, 10);
    EXPECT_TRUE(TDForm->RedrawPending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    EXPECT_NEAR(Shown(Series()[0]).at(29).y(), 1000000.0 + 19.0, 1e-6);
    // Showing the window did not take the delay away: the next line still waits.
    Toaa(1, {"7499M"}, 30);
    QCoreApplication::processEvents();
    EXPECT_TRUE(TDForm->RedrawPending());

    ChartView *chart = TDForm->Chart1;
    TDForm->DrawPending();
    DragZoom(chart);
    ASSERT_TRUE(chart->IsZoomed());
    const double zoomedMax = chart->BottomAxis()->max();
    Toaa(5, {"7499M"}, 31);
    TDForm->DrawPending();
    EXPECT_EQ(Shown(Series()[0]).size(), 31);   // zoomed: nothing rebuilt
    EXPECT_EQ(chart->BottomAxis()->max(), zoomedMax);
    RightClick(chart);
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_EQ(Shown(Series()[0]).size(), 36);
    EXPECT_EQ(chart->BottomAxis()->max(), 35.0);
    EXPECT_EQ(ui->Edit4->text(), "36");
}

TEST_F(TDPlotTest, TheEditsAreCheckedBeforeTheyTakeEffect)
{
    Toaa(30, {"7499M", "7499X", "7499Y", "6731Z"});
    TDForm->ViewAll1Click();
    ExpectRefused(ui->Edit1, ui->Button1, {"0", "-3", "abc", "", "99999999999"}, "Illegal value for Number of Points");
    ui->Edit1->setText("10");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);
    for (const auto &s : TDForm->Stations) EXPECT_EQ(s->Points.size(), 10u);
    EXPECT_EQ(TDForm->Stations[0]->Points.front().x, 20.0);

    ui->CheckBox2->setChecked(true);
    ui->CheckBox4->setChecked(true);
    EXPECT_EQ(Offsets(), (std::vector<int64_t>{0, 50, -50, 100}));
    auto shown = [](size_t k) { return Shown(TDForm->Chart1->FindSeries(TDForm->Stations[k]->SeriesTag())).at(1).y(); };
    EXPECT_NEAR(shown(1) - shown(0), 50.0, 1e-6);   // each series lies at its offset
    ExpectRefused(ui->Edit2, ui->Button2, {"-1", "x"}, "Illegal value for Offset");
    ui->Edit2->setText("10");
    QTest::keyClick(ui->Edit2, Qt::Key_Return);
    EXPECT_EQ(Offsets(), (std::vector<int64_t>{0, 10, -10, 20}));
    ui->CheckBox2->setChecked(false);
    EXPECT_FALSE(ui->CheckBox4->isChecked() || ui->CheckBox4->isEnabled() || ui->Edit2->isEnabled());

    QValueAxis *axis = TDForm->Chart1->LeftAxis();
    ui->CheckBox5->setChecked(true);
    ExpectRefused(ui->Edit7, ui->Button3, {"x"}, "   Illegal value for Maximum   ");
    ExpectRefused(ui->Edit8, ui->Button3, {"inf"}, "   Illegal value for Minimum   ");
    ui->Edit7->setText("10");
    ExpectRefused(ui->Edit8, ui->Button3, {"10"}, "   Minimum should be lower than Maximum   ");
    ui->Edit8->setText("-100.5");
    QTest::keyClick(ui->Edit8, Qt::Key_Return);
    EXPECT_EQ(axis->max(), 10.0);
    EXPECT_EQ(axis->min(), -100.5);
    Toaa(3, {"7499M"}, 40);
    TDForm->ViewAll1Click();   // data far above: the fixed axis stays
    EXPECT_EQ(axis->max(), 10.0);
    ui->CheckBox5->setChecked(false);
    EXPECT_GT(axis->max(), 1000000.0);
}

TEST_F(TDPlotTest, TheStationMenusAndTheMasterUntilTheViewsAreReset)
{
    QValueAxis *bottom = TDForm->Chart1->BottomAxis();
    const std::pair<double, double> fresh{bottom->min(), bottom->max()};
    Line(ToaaLine(1, {{"7499M", 1}, {"7499X", 2}, {"7499M", 3}, {"6731Z", 9}}));
    Line(ToaaLine(2, {{"7499M", 1.5}, {"7499X", 2.5}, {"7499M", 3.5}, {"6731Z", 9}}));
    TDForm->Select1Click();   // rebuilt each time the menu opens
    QList<QAction *> chains = ui->SelectChain1->actions();
    ASSERT_EQ(chains.size(), 2);
    chains[1]->trigger();   // 7499
    EXPECT_EQ(Series().size(), 3);
    EXPECT_TRUE(ui->Memo1->toPlainText().split('\n')[1].startsWith("7499M"));
    ui->Select1->actions()[6]->trigger();   // 6731Z
    TDForm->Select1Click();
    ui->HideChain1->actions()[1]->trigger();
    ASSERT_EQ(Series().size(), 1);
    EXPECT_EQ(ChartView::Tag(Series()[0]), 67310800);

    ASSERT_EQ(ui->ComboBox1->itemText(3), "7499M 1");
    ui->ComboBox1->setCurrentIndex(3);
    emit ui->ComboBox1->activated(3);
    ASSERT_EQ(TDForm->Master->Dup, 1);
    TDForm->ViewAll1Click();
    EXPECT_EQ(Shown(TDForm->Chart1->FindSeries(TDForm->Master->SeriesTag())).at(0).y(), 0.0);
    EXPECT_DOUBLE_EQ(Shown(TDForm->Chart1->FindSeries(74990100)).at(1).y(), -2000.0);   // 2 us below the master
    Line(ToaaLine(3, {{"7499M", 1}, {"7499X", 2}, {"7499M", 3}, {"6731Z", 9}, {"9007W", 4}}));
    EXPECT_EQ(ui->ComboBox1->currentText(), "7499M 1");   // a new station keeps the choice
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival Difference (ns)");
    MainForm->ResetViews();   // a new source: the chart starts afresh with no master
    EXPECT_EQ(ui->ComboBox1->currentText(), "None");
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival (ns)");
    EXPECT_EQ(std::make_pair(bottom->min(), bottom->max()), fresh);
    EXPECT_TRUE(TDForm->Stations.empty());
}

TEST_F(TDPlotTest, TheColourDialogChecksItsOffsetsAndHasARowForEverySeries)
{
    Toaa(3, {"7499M", "7499X", "7499Y"});
    TDForm->ViewAll1Click();
    ColorDialog::SetResponder([](ColorDialog &c) { c.Color = QColor(10, 20, 30); return true; });
    ui->CheckBox2->setChecked(true);
    ui->CheckBox4->setChecked(true);
    TLineColorDialog *d = LineColorDialog;
    const std::vector<int64_t> before = Offsets();
    bool stayedOpen = false;
    QTimer::singleShot(0, [&, d] {
        d->RowButton(1)->click();
        d->RowEdit(0)->setText("25");
        d->RowEdit(1)->setText("abc");   // a bad offset keeps the dialog open with its old value
        d->ui->BitBtn1->click();
        stayedOpen = d->isVisible();
        EXPECT_EQ(d->RowEdit(1)->text(), QString::number(before[1]));
        d->RowEdit(2)->setText(" -75 ");
        d->ui->BitBtn1->click();
    });
    ui->LineColor1->trigger();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "   Illegal value for Offset   ")));
    EXPECT_EQ(Offsets(), (std::vector<int64_t>{25, before[1], -75}));
    EXPECT_EQ(Series()[1]->pen().color(), QColor(10, 20, 30));
    QTimer::singleShot(0, [d] { d->RowEdit(0)->setText("1"); d->ui->BitBtn2->click(); });
    ui->LineColor1->trigger();
    EXPECT_EQ(Offsets()[0], 25);   // cancelled

    // A row for every series, however many.
    std::vector<int64_t> offsets(60, 3000000000LL);
    d->Setup(std::vector<QColor>(60, Qt::red), QStringList(60, "x"), 60, true, offsets);
    EXPECT_EQ(d->RowEdit(59)->text(), "3000000000");
    EXPECT_EQ(d->ui->ClientPanel->height(), 24 * 60 + 64);
}

TEST_F(TDPlotTest, TheLayoutGrowsWithTheStatistics)
{
    ShowAndWait(TDForm);
    TDForm->resize(500, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->width() >= 750; }, 10000));
    EXPECT_EQ(ui->GroupBox2->x(), TDForm->Chart1->width() + 16);
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back(std::to_string(5000 + i) + "M");
    Toaa(2, names);
    const int before = TDForm->height();
    TDForm->ViewAll1Click();
    EXPECT_EQ(ui->Memo1->verticalScrollBar()->maximum(), 0);   // as high and as wide as its lines
    EXPECT_EQ(ui->Memo1->horizontalScrollBar()->maximum(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->height() >= ui->GroupBox3->geometry().bottom() + 8; }, 10000));

    // Forty stations: the window stays within the screen and the memo scrolls.
    for (int i = 12; i < 40; ++i) names.push_back(std::to_string(5000 + i) + "M");
    Toaa(2, names, 10);
    TDForm->ViewAll1Click();
    EXPECT_LE(TDForm->frameGeometry().height(), TDForm->screen()->availableGeometry().height());
    EXPECT_GT(ui->Memo1->verticalScrollBar()->maximum(), 0);
    TDForm->HideAll1Click();   // no lines: back to the height it had
    EXPECT_EQ(TDForm->height(), before);
}

// Shown, the plot follows a steady stream on its beat: never two redraws within
// its interval. A redraw that falls due while the window is hidden waits for it
// to show again.
TEST_F(TDPlotTest, TheChartIsRedrawnOnItsBeatAndNotWhileHidden)
{
    ShowAndWait(TDForm);
    Toaa(3, {"7499M"});
    TDForm->ViewAll1Click();
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> redraws;
    OnShown(Series()[0], [&] { redraws.push_back(clock.elapsed()); });
    for (int i = 0; i < 50; ++i) {
        Toaa(1, {"7499M"}, 3 + i);
        QTest::qWait(20);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    ASSERT_GE(redraws.size(), 3u);
    for (size_t i = 1; i < redraws.size(); ++i) EXPECT_GE(redraws[i] - redraws[i - 1], TTDForm::RedrawMs - 5) << i;
    EXPECT_EQ(Shown(Series()[0]).size(), 53);

    Toaa(1, {"7499M"}, 53);
    TDForm->hide();
    ASSERT_TRUE(BeatPassed(TTDForm::RedrawMs));
    EXPECT_EQ(Shown(Series()[0]).size(), 53);
    EXPECT_TRUE(TDForm->RedrawPending());
    ShowAndWait(TDForm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Shown(Series()[0]).size(), 54);

    // Minimised, likewise.
    Toaa(1, {"7499M"}, 54);
    TDForm->showMinimized();
    ASSERT_TRUE(BeatPassed(TTDForm::RedrawMs));
    EXPECT_EQ(Shown(Series()[0]).size(), 54);
    TDForm->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    EXPECT_EQ(Shown(Series()[0]).size(), 55);
}

// Statistics that a line leaves as they were are not set again (their text would
// be laid out anew).
TEST_F(TDPlotTest, StatisticsThatDidNotChangeAreNotSetAgain)
{
    Toaa(3, {"7499M", "7499X"});
    TDForm->ViewAll1Click();
    for (const auto &station : TDForm->Stations) station->Shown = std::string(station->Name) == "7499M";
    TDForm->Redraw();
    int changes = 0;
    QObject::connect(ui->Memo1, &QPlainTextEdit::textChanged, [&] { ++changes; });
    // A point of the hidden station, none used of the shown: a redraw, the statistics as they were.
    Line(ToaaLine(3, {{"7499M", 2000.0, 0x00E2}, {"7499X", 2500.0}}));
    ASSERT_TRUE(TDForm->RedrawPending());
    TDForm->DrawPending();
    EXPECT_EQ(changes, 0);
    Toaa(1, {"7499M", "7499X"}, 4);
    TDForm->DrawPending();
    EXPECT_EQ(changes, 1);
}

// Lines arriving at odd moments while the chart is drawn on its beat: once they
// stop, the chart, its axes and statistics are those of a plot redrawn after
// every line.
TEST_F(TDPlotTest, DrawnOnItsBeatTheChartEndsAsDrawnAfterEveryLine)
{
    ShowAndWait(TDForm);
    TTDForm perLine;
    for (TTDForm *form : {TDForm, &perLine}) {
        form->ui->Edit1->setText("40");
        form->Button1Click();
        form->ui->CheckBox2->setChecked(true);
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    for (int i = 0; i < 120; ++i) {
        std::vector<ToaaEntry> entries{{"7499M", 1000.0 + noise(random)}, {"7499X", 2000.0 + 0.01 * i + noise(random)}};
        if (i >= 50) entries.push_back({"6731Z", 3000.0 - 0.02 * i, i % 7 ? 0x00A2u : 0x00E2u});
        const std::string line = ToaaLine(i, entries);
        Line(line);
        perLine.NewData(line.c_str());
        perLine.Redraw();
        if (i == 5 || i == 60) {
            TDForm->ViewAll1Click();
            perLine.ViewAll1Click();
        }
        QTest::qWait(static_cast<int>(random() % 40));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 10000));
    const QList<QXYSeries *> beat = Series(), every = perLine.Chart1->Series();
    ASSERT_EQ(beat.size(), 3);
    ASSERT_EQ(every.size(), beat.size());
    for (qsizetype s = 0; s < beat.size(); ++s) {
        EXPECT_EQ(beat[s]->name(), every[s]->name());
        EXPECT_EQ(TDForm->Chart1->SeriesPoints(beat[s]), perLine.Chart1->SeriesPoints(every[s])) << s;
    }
    for (auto axis : {&ChartView::BottomAxis, &ChartView::LeftAxis}) {
        EXPECT_EQ((TDForm->Chart1->*axis)()->min(), (perLine.Chart1->*axis)()->min());
        EXPECT_EQ((TDForm->Chart1->*axis)()->max(), (perLine.Chart1->*axis)()->max());
    }
    EXPECT_EQ(ui->Memo1->toPlainText(), perLine.ui->Memo1->toPlainText());
    EXPECT_EQ(ui->Edit4->text(), perLine.ui->Edit4->text());
}

// The clock in the window runs only while it is shown; a tick missed while
// hidden comes when it is shown again.
TEST_F(TDPlotTest, TheClockRunsOnlyWhileTheWindowIsShown)
{
    const QString made = ui->Edit5->text();   // the date as the window was made
    EXPECT_FALSE(TDForm->isVisible());
    EXPECT_FALSE(TDForm->Timer1->isActive());
    TDForm->show();
    EXPECT_TRUE(TDForm->Timer1->isActive());
    EXPECT_EQ(ui->Edit5->text(), made);   // its first tick still to come
    TDForm->close();
    EXPECT_FALSE(TDForm->Timer1->isActive());
    ASSERT_TRUE(WouldHaveTicked(TDForm->Timer1));
    EXPECT_EQ(ui->Edit5->text(), made);
    TDForm->show();
    EXPECT_TRUE(TDForm->Timer1->isActive());
    EXPECT_TRUE(ui->Edit5->text().contains('-'));   // as each tick shows the date
    EXPECT_NE(ui->Edit6->text().trimmed(), "");
}
