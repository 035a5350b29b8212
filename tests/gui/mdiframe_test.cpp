// The frames of the windows inside the main window: a control that changes is
// painted over its own window's client, not over the frame (title bar, borders),
// and the client looks as the frame beneath it made it look. A value shows as
// its label draws it.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/mdichild.h"
#include "gui_test_support.h"
#include "ui_mainform.h"

class MdiFrameTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->resize(1600, 1000);
        ShowAndWait(MainForm);
        // Every window of the View menu, side by side, with the sample's values in them.
        for (QAction *item : MainForm->ui->View1->actions())
            if (item->isCheckable() && !item->isChecked()) item->trigger();
        MainForm->WindowTileHorizontal1Execute();
        int n = 0;
        for (const QByteArray &line : SampleBytes().split('\n')) {
            MainForm->ReceiveData(line + '\n');
            if (++n == 3000) break;
        }
        ASSERT_TRUE(BeatPassed(BeatDrawing::TrafficMs));   // the beat draws the windows
        ASSERT_TRUE(ScreenStill(MainForm));
    }
    QList<QMdiSubWindow *> Children() const { return MainForm->ClientArea->subWindowList(); }
};

TEST_F(MdiFrameTest, ChangedValuesShowAsTheLabelsDrawThem)
{
    int checked = 0;
    for (QMdiSubWindow *sub : Children()) {
        auto *child = qobject_cast<LogForm *>(sub);
        if (!child) continue;
        ++checked;
        MainForm->ClientArea->setActiveSubWindow(sub);   // on top: nothing covers the labels
        ASSERT_TRUE(ScreenStill(MainForm));
        ExpectLabelsShowAsDrawnByThemselves(child->Client(), sub->windowTitle().toStdString());
    }
    EXPECT_GE(checked, 10);
}
