#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineSeries>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <cmath>
#include <functional>

#include "../core/td_lines.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "platform/chartview.h"
#include "platform/colordialog.h"
#include "platform/spinbutton.h"
#include "plots/linedialogs.h"
#include "plots/tdplot.h"
#include "ui_linecolordialog.h"
#include "ui_linewidthdialog.h"
#include "ui_mainform.h"
#include "ui_tdplot.h"

namespace {

// Runs `action` inside the next modal loop (a dialog opened by the caller).
void WhenModal(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

} // namespace

class TDPlotTest : public WindowTest {
protected:
    Ui::TTDForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        ui = TDForm->ui.get();
    }
    void TearDown() override
    {
        ColorDialog::SetResponder({});
        WindowTest::TearDown();
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    // n TOAA lines from time t0 with the given stations, TOA growing by 1 ns a line.
    void Toaa(int n, std::vector<std::string> names, double t0 = 0)
    {
        for (int i = 0; i < n; ++i) {
            std::vector<ToaaEntry> entries;
            for (size_t k = 0; k < names.size(); ++k) entries.push_back({names[k], 1000.0 * (k + 1) + 0.001 * i});
            Receive(ToaaLine(t0 + i, entries));
        }
    }
    void ShowWindow()
    {
        TDForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(TDForm));
    }
    QList<QXYSeries *> Series() const { return TDForm->Chart1->Series(); }
    QStringList MemoLines() const { return ui->Memo1->toPlainText().split('\n'); }
    std::pair<QString, QString> LastBox() const { return boxes.empty() ? std::pair<QString, QString>() : boxes.back(); }
};

TEST_F(TDPlotTest, StartsEmptyWithItsControls)
{
    ShowWindow();
    EXPECT_EQ(TDForm->windowTitle(), "Time Difference - Time of Arrival plots");
    EXPECT_EQ(ui->ClientPanel->size(), QSize(980, 454));
    EXPECT_EQ(TDForm->Chart1->chart()->title(), "Time Difference - Time of Arrival measurements");
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival (ns)");
    EXPECT_EQ(TDForm->Chart1->BottomAxis()->titleText(), "Time since receiver power-up (s)");
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->min(), -5.0);
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->max(), 5.0);
    EXPECT_EQ(ui->Edit1->text(), "200");
    EXPECT_EQ(ui->Edit2->text(), "50");
    EXPECT_EQ(ui->Edit4->text(), "0");
    EXPECT_EQ(MemoLines(), QStringList{"Station     Mean      Std"});
    EXPECT_EQ(ui->ComboBox1->currentText(), "None");
    EXPECT_TRUE(ui->TOAA1->isChecked());
    EXPECT_FALSE(ui->CheckBox4->isEnabled());
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Edit2, ui->Button2, ui->Label5, ui->Label6, ui->Edit7,
                                                       ui->Edit8, ui->Button3})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(TDForm->Timer1->interval(), 1000);
    EXPECT_EQ(ui->Edit6->text().size(), 20);
    EXPECT_EQ(TDForm->SourceKind, 0);
    EXPECT_EQ(TDForm->NumberOfPoints, 200);
    EXPECT_EQ(TDForm->LineWidth, 2);
}

TEST_F(TDPlotTest, TheViewItemsShowTheWindow)
{
    EXPECT_FALSE(TDForm->isVisible());
    MainForm->ui->TDPlot1->trigger();
    EXPECT_TRUE(TDForm->isVisible());
    TDForm->hide();
    MainForm->ui->TOAPlot1->trigger();
    EXPECT_TRUE(TDForm->isVisible());
}

TEST_F(TDPlotTest, TheRouterFeedsTheIntakeAndResetViewsEmptiesIt)
{
    Toaa(3, {"7499X", "7499M"});
    Receive(DloraLine("000001", {{"6731Z", 1, 2}}));   // not the selected source
    ASSERT_EQ(TDForm->Stations.size(), 2u);
    EXPECT_EQ(TDForm->Stations[0]->Points.size(), 3u);
    EXPECT_EQ(ui->ComboBox1->count(), 3);
    EXPECT_EQ(ui->ComboBox1->itemText(1), "7499M");
    MainForm->ResetViews();
    EXPECT_TRUE(TDForm->Stations.empty());
    EXPECT_EQ(ui->ComboBox1->count(), 1);
}

TEST_F(TDPlotTest, ChangingTheSourceResetsEverything)
{
    Toaa(3, {"7499M", "7499X"});
    TDForm->ViewAll1Click();
    ASSERT_EQ(Series().size(), 2);
    ui->CheckBox1->setChecked(true);
    ui->DLORA1->trigger();
    EXPECT_EQ(TDForm->SourceKind, 1);
    EXPECT_TRUE(TDForm->Stations.empty());
    EXPECT_TRUE(Series().isEmpty());
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Differential Loran (ns)");
    EXPECT_FALSE(ui->CheckBox1->isChecked());
    EXPECT_FALSE(ui->CheckBox1->isEnabled());
    EXPECT_TRUE(ui->DLORA1->isChecked());
    EXPECT_FALSE(ui->TOAA1->isChecked());

    Receive(DloraLine("235959", {{"6731Z", 1, 2}}));
    Toaa(1, {"7499M"});   // ignored now
    ASSERT_EQ(TDForm->Stations.size(), 1u);
    ui->DLORA1->trigger();   // the current kind: nothing happens
    EXPECT_EQ(TDForm->Stations.size(), 1u);
    EXPECT_TRUE(ui->DLORA1->isChecked());

    ui->DASFA1->trigger();
    EXPECT_TRUE(TDForm->Stations.empty());
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Additional Secondary Factor (ns)");
    Receive(DasfaLine("120000", {{"7499M", 0.5}, {"7499X", 0.25}}));
    EXPECT_EQ(TDForm->Stations.size(), 2u);
    ui->TOAA1->trigger();
    EXPECT_TRUE(ui->CheckBox1->isEnabled());
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival (ns)");
}

TEST_F(TDPlotTest, RedrawsAreCoalescedAndSkippedWhileHidden)
{
    Toaa(5, {"7499M"});
    TDForm->ViewAll1Click();
    ASSERT_EQ(Series().size(), 1);
    EXPECT_EQ(Series()[0]->count(), 5);
    Toaa(5, {"7499M"}, 5);
    EXPECT_TRUE(TDForm->RedrawPending());
    QTest::qWait(250);
    EXPECT_EQ(Series()[0]->count(), 5);   // hidden: not redrawn
    ShowWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 2000));
    EXPECT_EQ(Series()[0]->count(), 10);
    EXPECT_EQ(ui->Edit4->text(), "10");
    // Shown: many lines, one redraw shortly after, the same picture as line by line.
    Toaa(20, {"7499M"}, 10);
    EXPECT_TRUE(TDForm->RedrawPending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TDForm->RedrawPending(); }, 2000));
    EXPECT_EQ(Series()[0]->count(), 30);
    EXPECT_EQ(Series()[0]->at(29).x(), 29.0);
    EXPECT_NEAR(Series()[0]->at(29).y(), 1000000.0 + 19.0, 1e-6);
    // Showing the window did not take the delay away: the next line still waits.
    Toaa(1, {"7499M"}, 30);
    QCoreApplication::processEvents();
    EXPECT_TRUE(TDForm->RedrawPending());
}

TEST_F(TDPlotTest, ZoomHoldsTheSeriesAndUndoRedraws)
{
    ShowWindow();
    Toaa(20, {"7499M", "7499X"});
    TDForm->ViewAll1Click();
    ChartView *chart = TDForm->Chart1;
    ASSERT_EQ(Series()[0]->count(), 20);
    DragZoom(chart);
    ASSERT_TRUE(chart->IsZoomed());
    const double zoomedMax = chart->BottomAxis()->max();
    EXPECT_LT(zoomedMax, 19.0);
    Toaa(5, {"7499M", "7499X"}, 20);
    TDForm->FlushRedraw();
    EXPECT_EQ(Series()[0]->count(), 20);   // zoomed: nothing rebuilt
    EXPECT_EQ(chart->BottomAxis()->max(), zoomedMax);
    RightClick(chart);
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_EQ(Series()[0]->count(), 25);
    EXPECT_EQ(chart->BottomAxis()->max(), 24.0);
    EXPECT_EQ(ui->Edit4->text(), "25");
    // A right click without a zoom changes nothing.
    RightClick(chart);
    EXPECT_FALSE(chart->IsZoomed());
}

TEST_F(TDPlotTest, NumberOfPointsIsCheckedAndLoweringItTrimsAtOnce)
{
    Toaa(30, {"7499M", "7499X"});
    TDForm->ViewAll1Click();
    for (const char *bad : {"0", "-3", "abc", "", "99999999999"}) {
        boxes.clear();
        ui->Edit1->setText(bad);
        ui->Button1->click();
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "Illegal value for Number of Points")));
        EXPECT_EQ(ui->Edit1->text(), "200");
    }
    boxes.clear();
    ui->Edit1->setText("10");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(TDForm->NumberOfPoints, 10);
    for (const auto &s : TDForm->Stations) EXPECT_EQ(s->Points.size(), 10u);
    EXPECT_EQ(TDForm->Stations[0]->Points.front().x, 20.0);
    EXPECT_EQ(ui->Edit4->text(), "10");
}

TEST_F(TDPlotTest, OffsetsFollowTheSequenceAndTheStepIsChecked)
{
    Toaa(3, {"7499M", "7499X", "7499Y", "6731Z"});
    ui->CheckBox2->setChecked(true);
    EXPECT_TRUE(ui->CheckBox4->isEnabled());
    EXPECT_FALSE(ui->Edit2->isEnabled());
    ui->CheckBox4->setChecked(true);
    EXPECT_TRUE(ui->Edit2->isEnabled());
    EXPECT_TRUE(ui->Button2->isEnabled());
    TDForm->ViewAll1Click();
    std::vector<int64_t> offsets;
    for (const auto &s : TDForm->Stations) offsets.push_back(s->Offset);
    EXPECT_EQ(offsets, (std::vector<int64_t>{0, 50, -50, 100}));
    // Deviation with offsets: each series lies at its offset.
    EXPECT_NEAR(TDForm->Chart1->FindSeries(TDForm->Stations[1]->SeriesTag())->at(1).y(), 50.0, 1e-6);

    for (const char *bad : {"-1", "x"}) {
        boxes.clear();
        ui->Edit2->setText(bad);
        ui->Button2->click();
        EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "Illegal value for Offset")));
        EXPECT_EQ(ui->Edit2->text(), "50");
    }
    ui->Edit2->setText("10");
    QTest::keyClick(ui->Edit2, Qt::Key_Return);
    offsets.clear();
    for (const auto &s : TDForm->Stations) offsets.push_back(s->Offset);
    EXPECT_EQ(offsets, (std::vector<int64_t>{0, 10, -10, 20}));
    EXPECT_EQ(TDForm->OffsetCounter, 4);

    ui->CheckBox2->setChecked(false);
    EXPECT_FALSE(ui->CheckBox4->isChecked());
    EXPECT_FALSE(ui->CheckBox4->isEnabled());
    EXPECT_FALSE(ui->Edit2->isEnabled());
}

TEST_F(TDPlotTest, FixedYAxisIsCheckedBeforeItIsSet)
{
    QValueAxis *axis = TDForm->Chart1->LeftAxis();
    ui->CheckBox5->setChecked(true);
    EXPECT_TRUE(ui->Edit7->isEnabled());
    EXPECT_EQ(ui->Edit7->text(), "5.0");
    EXPECT_EQ(ui->Edit8->text(), "-5.0");

    ui->Edit7->setText("x");
    ui->Button3->click();
    EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "   Illegal value for Maximum   ")));
    EXPECT_EQ(ui->Edit7->text(), "5.0");
    ui->Edit8->setText("inf");
    ui->Button3->click();
    EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "   Illegal value for Minimum   ")));
    EXPECT_EQ(ui->Edit8->text(), "-5.0");
    ui->Edit7->setText("10");
    ui->Edit8->setText("10");
    QTest::keyClick(ui->Edit8, Qt::Key_Return);
    EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "   Minimum should be lower than Maximum   ")));
    EXPECT_EQ(axis->max(), 5.0);
    EXPECT_EQ(boxes.size(), 3u);

    ui->Edit7->setText("100");
    ui->Edit8->setText("-100.5");
    ui->Button3->click();
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(axis->max(), 100.0);
    EXPECT_EQ(axis->min(), -100.5);
    Toaa(3, {"7499M"});
    TDForm->ViewAll1Click();   // data far above: the fixed axis stays
    EXPECT_EQ(axis->max(), 100.0);
    ui->CheckBox5->setChecked(false);
    EXPECT_TRUE(ui->Edit7->text().isEmpty());
    EXPECT_GT(axis->max(), 1000000.0);
}

TEST_F(TDPlotTest, TheMasterIsTheStationOfTheChosenEntry)
{
    Receive(ToaaLine(1, {{"7499M", 1}, {"7499X", 2}, {"7499M", 3}}));
    Receive(ToaaLine(2, {{"7499M", 1.5}, {"7499X", 2.5}, {"7499M", 3.5}}));
    ASSERT_EQ(ui->ComboBox1->count(), 4);
    EXPECT_EQ(ui->ComboBox1->itemText(2), "7499M 1");
    ui->ComboBox1->setCurrentIndex(2);
    emit ui->ComboBox1->activated(2);
    ASSERT_NE(TDForm->Master, nullptr);
    EXPECT_EQ(TDForm->Master->Dup, 1);
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival Difference (ns)");
    TDForm->ViewAll1Click();
    // The master's own line lies at 0; 7499M lies 2 us below it.
    EXPECT_EQ(TDForm->Chart1->FindSeries(TDForm->Master->SeriesTag())->at(0).y(), 0.0);
    EXPECT_DOUBLE_EQ(TDForm->Chart1->FindSeries(74990100)->at(1).y(), -2000.0);
    // A new station rebuilds the list and keeps the choice.
    Receive(ToaaLine(3, {{"7499M", 1}, {"7499X", 2}, {"7499M", 3}, {"6731Z", 9}}));
    EXPECT_EQ(ui->ComboBox1->count(), 5);
    EXPECT_EQ(ui->ComboBox1->currentText(), "7499M 1");
    EXPECT_EQ(TDForm->Master->Dup, 1);
    ui->ComboBox1->setCurrentIndex(0);
    emit ui->ComboBox1->activated(0);
    EXPECT_EQ(TDForm->Master, nullptr);
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), "Time of Arrival (ns)");
}

TEST_F(TDPlotTest, SelectStationsMenuByStationAndByChain)
{
    TDForm->Select1Click();
    EXPECT_TRUE(ui->None1->isVisible());
    EXPECT_FALSE(ui->ViewAll1->isVisible());
    EXPECT_FALSE(ui->SelectChain1->menuAction()->isVisible());

    Toaa(3, {"7499M", "7499X", "6731Z"});
    TDForm->Select1Click();
    EXPECT_FALSE(ui->None1->isVisible());
    EXPECT_TRUE(ui->HideAll1->isVisible());
    QList<QAction *> items = ui->Select1->actions().mid(6);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "6731Z");
    EXPECT_FALSE(items[0]->isChecked());
    QList<QAction *> chains = ui->SelectChain1->actions();
    ASSERT_EQ(chains.size(), 2);
    EXPECT_EQ(chains[0]->text(), "6731");
    EXPECT_EQ(chains[1]->text(), "7499");
    EXPECT_EQ(ui->HideChain1->actions().size(), 2);

    chains[1]->trigger();
    EXPECT_EQ(Series().size(), 2);
    EXPECT_EQ(MemoLines().size(), 3);
    EXPECT_TRUE(MemoLines()[1].startsWith("7499M"));
    items[0]->trigger();
    EXPECT_EQ(Series().size(), 3);
    TDForm->Select1Click();   // rebuilt each time the menu opens
    EXPECT_EQ(ui->Select1->actions().size(), 9);
    EXPECT_TRUE(ui->Select1->actions()[6]->isChecked());
    ui->HideChain1->actions()[1]->trigger();
    EXPECT_EQ(Series().size(), 1);
    EXPECT_EQ(ChartView::Tag(Series()[0]), 67310800);
    ui->HideAll1->trigger();
    EXPECT_TRUE(Series().isEmpty());
    EXPECT_EQ(ui->Edit4->text(), "0");
    ui->ViewAll1->trigger();
    EXPECT_EQ(Series().size(), 3);
}

TEST_F(TDPlotTest, SeriesTakePaletteColoursAndTheResetKeepsTheStations)
{
    Toaa(4, {"7499M", "7499X", "7499Y"});
    TDForm->ViewAll1Click();
    ASSERT_EQ(Series().size(), 3);
    EXPECT_EQ(Series()[0]->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(Series()[1]->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(Series()[2]->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(Series()[0]->pen().width(), 2);
    EXPECT_EQ(Series()[1]->name(), "7499X");
    EXPECT_EQ(MemoLines()[1], "7499M    1000001.5      1.1 ns");

    ColorDialog::SetResponder([](ColorDialog &d) {
        EXPECT_EQ(d.Color, QColor(Qt::white));
        d.Color = QColor(255, 0, 0);
        return true;
    });
    TDForm->BackgroundColor1Click();
    EXPECT_EQ(TDForm->Chart1->BackColor(), QColor(255, 0, 0));
    EXPECT_EQ(Series()[0]->pen().color(), QColor(255, 0, 0));   // existing series keep their colours

    ui->Reset1->trigger();
    EXPECT_EQ(TDForm->Stations.size(), 3u);
    EXPECT_TRUE(TDForm->Stations[0]->Points.empty());
    ASSERT_EQ(Series().size(), 3);
    EXPECT_EQ(Series()[0]->count(), 0);
    EXPECT_EQ(ui->Edit4->text(), "0");
    // New series on a red background: red is skipped; offsets go on with the sequence.
    EXPECT_EQ(Series()[0]->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(TDForm->Stations[0]->Offset, 100);
    Toaa(2, {"7499M", "7499X", "7499Y"}, 10);
    TDForm->FlushRedraw();
    EXPECT_EQ(Series()[0]->count(), 2);
}

TEST_F(TDPlotTest, LineWidthDialogStepsWithinItsLimits)
{
    TLineWidthDialog *d = LineWidthDialog;
    EXPECT_EQ(d->windowTitle(), "Choose Line Width");
    EXPECT_EQ(d->Width, 2);
    for (int i = 0; i < 12; ++i) d->ui->CSpinButton1->UpButton()->click();
    EXPECT_EQ(d->Width, 10);
    EXPECT_EQ(d->ui->Edit1->text(), "10");
    for (int i = 0; i < 12; ++i) d->ui->CSpinButton1->DownButton()->click();
    EXPECT_EQ(d->Width, 1);
    EXPECT_EQ(d->ui->Edit1->text(), "1");

    Toaa(2, {"7499M", "7499X"});
    TDForm->ViewAll1Click();
    WhenModal([d] {
        EXPECT_EQ(d->ui->Edit1->text(), "1");
        d->ui->CSpinButton1->UpButton()->click();
        d->ui->CSpinButton1->UpButton()->click();
        d->ui->CSpinButton1->UpButton()->click();
        d->ui->BitBtn1->click();
    });
    ui->LineWidth1->trigger();
    EXPECT_EQ(TDForm->LineWidth, 4);
    for (QXYSeries *s : Series()) EXPECT_EQ(s->pen().width(), 4);
    // Cancel: the plot keeps its width, the dialog its stepped value.
    WhenModal([d] {
        d->ui->CSpinButton1->UpButton()->click();
        d->ui->BitBtn2->click();
    });
    ui->LineWidth1->trigger();
    EXPECT_EQ(TDForm->LineWidth, 4);
    EXPECT_EQ(d->Width, 5);
    for (QXYSeries *s : Series()) EXPECT_EQ(s->pen().width(), 4);
}

TEST_F(TDPlotTest, LineColorDialogRowsColoursAndOffsets)
{
    Toaa(3, {"7499M", "7499X", "7499Y"});
    TDForm->ViewAll1Click();
    TLineColorDialog *d = LineColorDialog;
    ColorDialog::SetResponder([](ColorDialog &c) {
        EXPECT_EQ(c.Color, QColor(0, 0, 255));
        c.Color = QColor(10, 20, 30);
        return true;
    });
    WhenModal([d] {
        EXPECT_EQ(d->windowTitle(), "Line Color");
        EXPECT_EQ(d->RowCount, 3);
        EXPECT_EQ(d->ui->BitBtn1->y(), 103);
        EXPECT_EQ(d->ui->BitBtn2->y(), 103);
        EXPECT_EQ(d->ui->ClientPanel->height(), 136);
        EXPECT_EQ(d->height(), 136);
        EXPECT_EQ(d->RowLabel(1)->text(), "7499X");
        EXPECT_EQ(d->RowButton(2)->geometry(), QRect(72, 72, 57, 17));
        EXPECT_EQ(d->RowButton(2)->property("Tag").toInt(), 2);
        EXPECT_FALSE(d->RowEdit(0)->isEnabled());   // offsets not in use
        EXPECT_EQ(d->RowEdit(1)->text(), "50");
        d->RowButton(1)->click();
        d->ui->BitBtn1->click();
    });
    ui->LineColor1->trigger();
    EXPECT_EQ(Series()[1]->pen().color(), QColor(10, 20, 30));
    EXPECT_EQ(Series()[0]->pen().color(), QColor(255, 0, 0));

    // With offsets in use: a bad offset keeps the dialog open with its old value.
    ui->CheckBox2->setChecked(true);
    ui->CheckBox4->setChecked(true);
    bool stayedOpen = false;
    WhenModal([&, d] {
        EXPECT_TRUE(d->RowEdit(0)->isEnabled());
        d->RowEdit(0)->setText("25");
        d->RowEdit(1)->setText("abc");
        d->ui->BitBtn1->click();
        stayedOpen = d->isVisible();
        EXPECT_EQ(d->RowEdit(1)->text(), "50");
        EXPECT_EQ(d->Offsets[0], 25);   // rows before the bad one are read
        d->RowEdit(2)->setText(" -75 ");
        d->ui->BitBtn1->click();
    });
    ui->LineColor1->trigger();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(LastBox(), (std::pair<QString, QString>("Error...", "   Illegal value for Offset   ")));
    EXPECT_EQ(TDForm->Stations[0]->Offset, 25);
    EXPECT_EQ(TDForm->Stations[1]->Offset, 50);
    EXPECT_EQ(TDForm->Stations[2]->Offset, -75);

    // Cancel changes nothing.
    WhenModal([d] {
        d->RowEdit(0)->setText("1");
        d->ui->BitBtn2->click();
    });
    ui->LineColor1->trigger();
    EXPECT_EQ(TDForm->Stations[0]->Offset, 25);
}

TEST_F(TDPlotTest, LineColorDialogHasARowForEverySeries)
{
    TLineColorDialog *d = LineColorDialog;
    std::vector<QColor> colours(60, QColor(Qt::red));
    std::vector<int64_t> offsets(60);
    QStringList titles;
    for (int i = 0; i < 60; ++i) {
        titles << QString::number(i);
        offsets[static_cast<size_t>(i)] = 3000000000LL + i;
    }
    d->Setup(colours, titles, 60, true, offsets);
    EXPECT_EQ(d->RowCount, 60);
    ASSERT_NE(d->RowEdit(59), nullptr);
    EXPECT_EQ(d->RowEdit(59)->text(), "3000000059");
    EXPECT_EQ(d->ui->ClientPanel->height(), 24 * 60 + 64);
    EXPECT_LE(d->height(), d->ui->ClientPanel->height());
    d->Setup({}, {}, 0, false, {});
    EXPECT_EQ(d->RowCount, 0);
    EXPECT_EQ(d->RowEdit(0), nullptr);
    EXPECT_EQ(d->ui->BitBtn1->y(), 31);
}

TEST_F(TDPlotTest, CopiesTheChartAsPngAndSvgAndTheWindowAsBitmap)
{
    ShowWindow();
    Toaa(5, {"7499M"});
    TDForm->ViewAll1Click();
    ui->CopytoClipboard1->trigger();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/png"));
    QImage png = QImage::fromData(data->data("image/png"), "PNG");
    EXPECT_EQ(png.size(), TDForm->Chart1->size());
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    QByteArray svg = data->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("7499M"));

    ui->CopyWindowtoClipboard1->trigger();
    QImage bitmap = QApplication::clipboard()->image();
    EXPECT_EQ(bitmap.size(), ui->ClientPanel->size());
}

TEST_F(TDPlotTest, AlwaysOnTopTogglesBothItems)
{
    ShowWindow();
    ui->AlwaysonTop2->trigger();
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(ui->AlwaysonTop2->isChecked());
    EXPECT_TRUE(TDForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(TDForm->isVisible());
    ui->AlwaysonTop1->trigger();
    EXPECT_FALSE(ui->AlwaysonTop1->isChecked());
    EXPECT_FALSE(ui->AlwaysonTop2->isChecked());
    EXPECT_FALSE(TDForm->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(TDPlotTest, TheWindowKeepsItsMinimumAndGrowsWithItsStatistics)
{
    ShowWindow();
    TDForm->resize(500, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->width() >= 750; }, 2000));
    EXPECT_GE(ui->ClientPanel->height(), ui->GroupBox3->geometry().bottom() + 8);
    EXPECT_EQ(ui->GroupBox2->x(), TDForm->Chart1->width() + 16);
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back(std::to_string(5000 + i) + "M");
    Toaa(2, names);
    TDForm->ViewAll1Click();
    EXPECT_EQ(ui->Memo1->height(), 15 * 12 + 35);
    EXPECT_EQ(ui->GroupBox3->height(), ui->Memo1->height() + 24);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->height() >= ui->GroupBox3->y() + ui->GroupBox3->height() + 8; }, 2000));
}

// ---------------------------------------------------------------------------
// Chart view pieces
// ---------------------------------------------------------------------------

TEST(DecimateForDrawing, KeepsEveryColumnsExtremesInOrder)
{
    QList<QPointF> points;
    for (int i = 0; i < 100000; ++i) points.append(QPointF(i, std::sin(i * 0.001) + (i % 1000 == 500 ? 5.0 : 0.0)));
    QList<QPointF> out = DecimateForDrawing(points, 0, 99999, 500);
    EXPECT_LE(out.size(), 4 * 500);
    EXPECT_GE(out.size(), 2 * 500);
    EXPECT_EQ(out.front(), points.front());
    EXPECT_EQ(out.back(), points.back());
    int spikes = 0;
    for (int i = 1; i < out.size(); ++i) {
        EXPECT_LE(out[i - 1].x(), out[i].x());
        if (out[i].y() > 4.0) ++spikes;
    }
    EXPECT_EQ(spikes, 100);   // every one-point spike survives
    // Few points, or no range: unchanged.
    QList<QPointF> few = points.mid(0, 100);
    EXPECT_EQ(DecimateForDrawing(few, 0, 99, 500), few);
    EXPECT_EQ(DecimateForDrawing(points, 5, 5, 500).size(), points.size());
    // Points outside the range are kept as one column each side.
    QList<QPointF> zoomed = DecimateForDrawing(points, 40000, 41000, 100);
    EXPECT_LE(zoomed.size(), 4 * 102);
    EXPECT_EQ(zoomed.front(), points.front());
    EXPECT_EQ(zoomed.back(), points.back());
}

TEST(ChartViewTest, LongLinesAreThinnedAndRefinedOnZoom)
{
    ChartView view;
    view.resize(800, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QList<QPointF> points;
    for (int i = 0; i < 200000; ++i) points.append(QPointF(i * 0.5, std::cos(i * 0.0001)));
    QLineSeries *series = view.AddLineSeries(42, "line");
    EXPECT_EQ(view.FindSeries(42), series);
    EXPECT_EQ(ChartView::Tag(series), 42);
    view.SetXRange(0, 99999.5);
    view.SetYRange(-1.5, 1.5);
    view.SetSeriesPoints(series, points);
    EXPECT_LT(series->count(), 5000);
    EXPECT_EQ(view.PointCount(series), 200000);
    EXPECT_EQ(view.SeriesPoints(series).size(), 200000);
    // Deep zoom: the visible part shows with every point again.
    view.chart()->zoomIn(QRectF(view.chart()->plotArea().left(), view.chart()->plotArea().top(), 2,
                                view.chart()->plotArea().height()));
    ASSERT_TRUE(view.IsZoomed());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const double x0 = view.BottomAxis()->min(), x1 = view.BottomAxis()->max();
        int inside = 0;
        for (const QPointF &p : series->points()) inside += p.x() >= x0 && p.x() <= x1;
        return inside >= (x1 - x0) * 2 - 2;
    }, 2000));
    view.UndoZoom();
    EXPECT_FALSE(view.IsZoomed());
    EXPECT_EQ(view.BottomAxis()->max(), 99999.5);
    view.RemoveSeries(series);
    EXPECT_TRUE(view.Series().isEmpty());
    EXPECT_EQ(view.PointCount(nullptr), 0);
}
