// The windows that live from start-up to the end: shown from both their View
// items, kept on top from their own menus, and stored with the window layout.
#include <QScreen>

#include "gui_test_support.h"

class FixedWindowsTest : public WindowTest {};

TEST_F(FixedWindowsTest, ShownFromTheViewMenuKeptOnTopAndRestoredWithTheLayout)
{
    CreateForms();
    MainForm->show();
    const struct {
        const char *item, *twin;
        qsizetype onTopItems;
    } windows[] = {{"EurofixData1", "EurofixData2", 2}, {"HDGA1", "HDGA2", 1}, {"FFTplot1", "FFTPlot2", 1},
                   {"TDPlot1", "TOAPlot1", 2},          {"PositionPlot1", "PositionPlot2", 2}};
    for (const auto &f : windows) {
        SCOPED_TRACE(f.item);
        QWidget *w = MainForm->WindowOf(Item(f.item));
        ASSERT_NE(w, nullptr);
        Item(f.twin)->trigger();
        EXPECT_TRUE(w->isVisible());
        if (w == MainForm->WindowOf(Item("HDGA1"))) {   // the compass first shows centred on the main window
            EXPECT_LE((w->frameGeometry().center() - MainForm->frameGeometry().center()).manhattanLength(), 2);
        }
        w->hide();
        Item(f.item)->trigger();
        ASSERT_TRUE(w->isVisible());
        EXPECT_FALSE(Item(f.item)->isChecked());
        QList<QAction *> onTop;
        for (const char *name : {"AlwaysonTop1", "AlwaysonTop2"})
            if (QAction *a = w->findChild<QAction *>(name)) onTop << a;
        ASSERT_EQ(onTop.size(), f.onTopItems);
        onTop.last()->trigger();
        for (QAction *a : onTop) EXPECT_TRUE(a->isChecked());
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(w->isVisible());
        w->move(140, 60);
        const QSize size = w->size();
        MainForm->StorecurrentWindows1Click();

        onTop.first()->trigger();
        for (QAction *a : onTop) EXPECT_FALSE(a->isChecked());
        EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
        w->move(400, 300);
        w->hide();
        MainForm->RestorelastWindows1Click();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->pos(), QPoint(140, 60));
        EXPECT_EQ(w->size(), size.boundedTo(w->screen()->availableGeometry().size()).expandedTo(w->minimumSize()));
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
        for (QAction *a : onTop) EXPECT_TRUE(a->isChecked());
        onTop.first()->trigger();
        w->hide();
    }
    MainForm->All1Click();   // Show Default Logs brings the compass along
    EXPECT_TRUE(MainForm->WindowOf(Item("HDGA1"))->isVisible());
    EXPECT_TRUE(boxes.empty());
}
