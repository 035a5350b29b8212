// The log windows tiled over one another in a frame that is not maximised,
// the sample streaming in: what the frame shows at any moment is what it
// shows drawn whole, in every window, the lower ones included.
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui_test_support.h"
#include "link/datasource.h"
#include "platform/beatdrawing.h"
#include "ui_datasource.h"
#include "ui_mainform.h"

namespace {

class OverlapTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->setGeometry(0, 0, 1140, 960);
        ShowAndWait(MainForm);
        Ui::TMainForm *ui = MainForm->ui.get();
        for (QAction *item : {ui->TOAA1, ui->DASFA1, ui->GPPOSA1, ui->NOTCHA1, ui->GPGGA1, ui->INPOSA1, ui->LCPOSA1,
                              ui->LCPOSA2, ui->LCPOSA3, ui->LCPOSA4})
            if (!item->isChecked()) item->trigger();
        ui->Tile1->trigger();
        // DASFA clicked on: it lies over the top of GPPOSA.
        MainForm->ClientArea->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(MainForm->WindowOf(ui->DASFA1)));
    }

    // The sample replayed from its file at 500 lines a second for the time
    // given, then paused, as the monitor's pause button leaves it.
    static void Replay(int ms)
    {
        if (!DataSourceForm->Connected) {
            DataSourceForm->RadioFileClick(nullptr);
            DataSourceForm->OpenDialog1.FileName = KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log";
            DataSourceForm->ui->Edit1->setText("500");
            DataSourceForm->Button4Click();
            DataSourceForm->Button1Click(DataSourceForm->ui->Button1);
            DataSourceForm->hide();   // the frame in sight whole
        } else {
            DataSourceForm->Timer1->start();
        }
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        DataSourceForm->Timer1->stop();
    }

    // Every window in sight has drawn what it was given.
    static bool Settled()
    {
        for (QMdiSubWindow *sub : MainForm->ClientArea->subWindowList())
            for (const BeatDrawing *drawing : sub->findChildren<BeatDrawing *>())
                if (drawing->Pending() && BeatDrawing::InSight(sub)) return false;
        return true;
    }

    // The frame's client area as on screen, with the status bar's clock left out.
    static QImage Shown()
    {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        QWidget *area = MainForm->ClientArea;
        const QPoint at = area->mapTo(MainForm, QPoint());
        return MainForm->screen()->grabWindow(MainForm->winId(), at.x(), at.y(), area->width(), area->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // Shown now, and shown after the whole frame is drawn again, are the same.
    void ExpectAsDrawnWhole(const std::string &when)
    {
        ASSERT_TRUE(QTest::qWaitFor(Settled, 5000)) << when;
        const QImage now = Shown();
        MainForm->update();
        MainForm->repaint();
        const QImage whole = Shown();
        ASSERT_EQ(now.size(), whole.size());
        QRect differs;
        for (int y = 0; y < now.height(); ++y) {
            const auto *a = reinterpret_cast<const QRgb *>(now.constScanLine(y));
            const auto *b = reinterpret_cast<const QRgb *>(whole.constScanLine(y));
            for (int x = 0; x < now.width(); ++x)
                if (a[x] != b[x]) differs |= QRect(x, y, 1, 1);
        }
        QString where;
        if (!differs.isEmpty())
            for (QMdiSubWindow *sub : MainForm->ClientArea->subWindowList(QMdiArea::StackingOrder))
                if (sub->geometry().intersects(differs)) where += " " + sub->windowTitle();
        EXPECT_TRUE(differs.isEmpty()) << when << ": " << differs.width() << "x" << differs.height() << " at "
                                       << differs.x() << "," << differs.y() << " in" << where.toStdString();
    }

};

TEST_F(OverlapTest, TiledLogWindowsShowWhatTheyShowDrawnWhole)
{
    ASSERT_GE(MainForm->ClientArea->subWindowList().size(), 10);
    // The tiles overlap: some window lies partly over another.
    bool overlap = false;
    const QList<QMdiSubWindow *> subs = MainForm->ClientArea->subWindowList();
    for (QMdiSubWindow *a : subs)
        for (QMdiSubWindow *b : subs) overlap = overlap || (a != b && a->geometry().intersects(b->geometry()));
    ASSERT_TRUE(overlap);
    for (const int pause : {1500, 2000, 500, 500, 500, 1000, 1000, 700, 300}) {
        Replay(pause);
        ExpectAsDrawnWhole("paused at " + std::to_string(pause));
    }
}

// A new value in a window that another lies partly over is shown only where
// the window can be seen.
TEST_F(OverlapTest, AValueUnderAnotherWindowStaysUnderIt)
{
    Ui::TMainForm *ui = MainForm->ui.get();
    auto *dasfa = qobject_cast<QMdiSubWindow *>(MainForm->WindowOf(ui->DASFA1));
    auto *gpposa = qobject_cast<QMdiSubWindow *>(MainForm->WindowOf(ui->GPPOSA1));
    ASSERT_TRUE(dasfa && gpposa);
    auto *date = gpposa->findChild<QLabel *>("DateLabel");
    ASSERT_NE(date, nullptr);
    // DASFA's bottom edge across the middle of the date.
    const QPoint at = date->mapTo(MainForm->ClientArea->viewport(), QPoint(0, date->height() / 2));
    dasfa->setGeometry(gpposa->x() + 20, at.y() - 200, 300, 200);
    MainForm->ClientArea->setActiveSubWindow(dasfa);
    ExpectAsDrawnWhole("DASFA over the date");
    for (const char *text : {"31/12/99", "01/01/00 and more", "", "09/08/07"}) {
        date->setText(text);
        ExpectAsDrawnWhole(std::string("date \"") + text + "\"");
    }
}

}   // namespace
