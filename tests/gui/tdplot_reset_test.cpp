// The TD plot after the main window resets the views for a new source.
#include <QValueAxis>

#include "gui_test_support.h"
#include "plots/tdplot.h"
#include "td_lines.h"
#include "ui_tdplot.h"

using TDResetTest = WindowTest;

TEST_F(TDResetTest, ResetViewsStartsTheChartAfreshWithTheTitleOfNoMaster)
{
    CreateForms();
    QValueAxis *bottom = TDForm->Chart1->BottomAxis();
    const std::pair<double, double> fresh{bottom->min(), bottom->max()};
    for (double t : {5000.0, 5001.0, 5002.0}) Line(ToaaLine(t, {{"7499M", 1.0}, {"7499X", 2.0}}));
    TDForm->ViewAll1Click();
    QComboBox *master = TDForm->ui->ComboBox1;
    master->setCurrentIndex(1);
    emit master->activated(1);
    ASSERT_EQ(TDForm->Chart1->LeftAxis()->titleText(), QString("Time of Arrival Difference (ns)"));
    ASSERT_EQ(bottom->max(), 5002.0);

    MainForm->ResetViews();
    EXPECT_EQ(master->currentText(), QString("None"));
    EXPECT_EQ(TDForm->Chart1->LeftAxis()->titleText(), QString("Time of Arrival (ns)"));
    EXPECT_EQ(std::make_pair(bottom->min(), bottom->max()), fresh);
}
