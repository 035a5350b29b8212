// The windows on a real X server with a real window manager (tools/x11_run.sh
// starts Xvfb and openbox): the titles the server holds, and the layout once
// the window manager has given the frame its maximised size.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>

#include "app/aboutbox.h"
#include "gui_test_support.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "link/scriptform.h"
#include "plots/eurofixform.h"
#include "plots/fftplot.h"
#include "plots/headingform.h"
#include "plots/linedialogs.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "platform/beatdrawing.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_monitorform.h"

namespace {

// One property of a window as the X server holds it: the text after " = " in
// xprop's answer, with a string's quotes and escapes taken away.
QString XProperty(QWidget *w, const char *name)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(w->winId()), name});
    if (!xprop.waitForFinished(5000)) return "(xprop did not answer)";
    QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    qsizetype eq = out.indexOf(" = ");
    if (eq < 0) return "(no " + QString(name) + ")";
    QString value = out.mid(eq + 3);
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"') && !value.contains("\", \"")) {
        value = value.mid(1, value.size() - 2);
        value.replace("\\\"", "\"").replace("\\\\", "\\");
    }
    return value;
}

void ExpectServerTitle(QWidget *w, const QString &caption)
{
    SCOPED_TRACE(caption.toStdString());
    EXPECT_EQ(XProperty(w, "_NET_WM_NAME"), caption);
    EXPECT_EQ(XProperty(w, "WM_NAME"), caption);
}

class X11Test : public WindowTest {
protected:
    Ui::TMainForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        ui = MainForm->ui.get();
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }
};

// Where each child of the frame is: "caption: left,top width x height".
QStringList ChildPlaces()
{
    QStringList places;
    for (QMdiSubWindow *w : MainForm->ClientArea->subWindowList()) {
        QRect r = w->geometry();
        places << QString("%1: %2,%3 %4x%5").arg(w->windowTitle()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    places.sort();
    return places;
}

} // namespace

TEST_F(X11Test, TheServerHoldsEachCaptionAsItIsWithoutTheApplicationsName)
{
    ExpectServerTitle(MainForm, "Dravelon's Integrated eLoran/GPS/Eurofix Receiver Log Analyser");
    const std::vector<QWidget *> windows{DataSourceForm, TDForm,      PositionForm, LineWidthDialog, LineColorDialog,
                                         AboutBox,       EurofixForm, HeadingForm,  FFTForm,         ScriptForm};
    for (QWidget *w : windows) {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        ExpectServerTitle(w, w->windowTitle());
        w->hide();
    }
    // The program's name on the desktop is its class.
    EXPECT_TRUE(XProperty(MainForm, "WM_CLASS").endsWith(", \"Roduz/Everore Ved Ovuvozed\"")) << XProperty(MainForm, "WM_CLASS").toStdString();

    // A message box, while it is open.
    Notifier::SetSink({});
    bool seen = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); }, 5000));
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
        ExpectServerTitle(box, "Error...");
        seen = true;
        box->accept();
    });
    Notifier::Error("    Illegal value    ", MainForm);
    EXPECT_TRUE(seen);
}

TEST_F(X11Test, ShowDefaultLogsTilesInTheFrameTheWindowManagerMaximised)
{
    const QSize screen = MainForm->screen()->availableGeometry().size();
    ASSERT_NE(MainForm->frameGeometry().size(), screen);
    ui->All1->trigger();
    QWidget *monitor = MainForm->WindowOf(ui->SerialMonitor1);
    ASSERT_NE(monitor, nullptr);
    // Wait for the maximised frame and the monitor inside its client area.
    QWidget *area = MainForm->ClientArea->viewport();
    auto inside = [&] { return QRect(QPoint(), area->size()).contains(monitor->geometry()); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return MainForm->frameGeometry().size() == screen && inside(); }, 5000))
        << "frame " << MainForm->frameGeometry().width() << "x" << MainForm->frameGeometry().height() << ", client "
        << area->width() << "x" << area->height() << ", monitor at " << monitor->x() << "," << monitor->y() << " "
        << monitor->width() << "x" << monitor->height();
    QTest::qWait(300);
    EXPECT_FALSE(MainForm->ClientArea->verticalScrollBar()->isVisible());
    EXPECT_FALSE(MainForm->ClientArea->horizontalScrollBar()->isVisible());
    // The same layout as the Window menu's Tile gives in that frame.
    const QStringList tiled = ChildPlaces();
    ui->Tile1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(ChildPlaces(), tiled);
    EXPECT_EQ(tiled.size(), 7);
}

// On a real X server the monitor's pane, kept current as the traffic runs,
// shows what it shows drawn whole, its newest line whole above the bar.
TEST_F(X11Test, TheMonitorPaneShowsWhatItShowsDrawnWhole)
{
    MainForm->resize(1100, 900);
    ui->SerialMonitor1->trigger();
    ASSERT_NE(MonitorForm, nullptr);
    MonitorForm->setGeometry(0, 0, 700, 420);
    QWidget *port = MonitorForm->ui->RichEdit1->viewport();
    // The whole pane in the frame's client area, nothing over it.
    auto clear = [&] {
        const QRect pane(port->mapTo(MainForm->ClientArea->viewport(), QPoint()), port->size());
        return port->isVisible() && QRect(QPoint(), MainForm->ClientArea->viewport()->size()).contains(pane);
    };
    ASSERT_TRUE(QTest::qWaitFor(clear, 5000));
    QPlainTextEdit *pane = MonitorForm->ui->RichEdit1;
    auto onServer = [&] {
        const QPoint at = port->mapTo(MainForm, QPoint());
        return MainForm->screen()->grabWindow(MainForm->winId(), at.x(), at.y(), port->width(), port->height()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto shownWhole = [&](qsizetype at) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return onServer() == port->grab().toImage().convertToFormat(QImage::Format_RGB32); }, 3000)) << at;
        QTextBlock newest = pane->document()->lastBlock();
        if (newest.text().isEmpty() && newest.previous().isValid()) newest = newest.previous();
        const QRect line = pane->cursorRect(QTextCursor(newest));
        EXPECT_TRUE(line.top() >= 0 && line.bottom() < port->height()) << at << ": " << line.top() << ".." << line.bottom();
        EXPECT_TRUE(port->rect().contains(pane->cursorRect())) << at << ": caret at " << pane->cursorRect().y() << " of " << port->height();
    };
    // Short lines that fill the pane, then one wider than the pane: the
    // horizontal bar comes, the newest line stays whole above it. At heights
    // a row apart, so that the bar covers part of the bottom row at some.
    const int rowHeight = pane->fontMetrics().lineSpacing();
    for (int height = 420; height < 420 + rowHeight; height += 2) {
        MonitorForm->resize(700, height);
        MainForm->ResetViews();
        for (int n = 0; n < 40; ++n) MainForm->ReceiveData("In> ver\r\n");
        MonitorForm->RefreshPanes();
        shownWhole(height);
        ASSERT_FALSE(pane->horizontalScrollBar()->isVisible());
        MainForm->ReceiveData("$DODU,GPPOSA,1.4,000025.37,,N,N,,,,,,,43.95,0,99.90,99.90,99.90,0.00*2A" + QByteArray(200, '0') + "\r\n");
        MonitorForm->RefreshPanes();
        shownWhole(height);
        ASSERT_TRUE(pane->horizontalScrollBar()->isVisible());
    }
    // Chunks that cut lines (the view jumps sideways to the caret), then whole lines.
    const QByteArray sample = SampleBytes().left(40000);
    qsizetype i = 0;
    for (; i < 20000; i += 1500) {
        MainForm->ReceiveData(sample.mid(i, 1500));
        MonitorForm->RefreshPanes();
        shownWhole(i);
    }
    for (int lines = 1; i < sample.size(); lines = lines % 6 + 1) {
        qsizetype end = i;
        for (int n = 0; n < lines && end >= 0; ++n) end = sample.indexOf('\n', end + 1);
        if (end < 0) break;
        MainForm->ReceiveData(sample.mid(i, end + 1 - i));
        i = end + 1;
        MonitorForm->RefreshPanes();
        shownWhole(i);
    }
    ASSERT_TRUE(pane->horizontalScrollBar()->isVisible());
}

// The data-source window's display, wrapped, as its text moves on.
TEST_F(X11Test, TheDataSourceDisplayShowsWhatItShowsDrawnWhole)
{
    DataSourceForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(DataSourceForm));
    QWidget *port = DataSourceForm->ui->RichEdit1->viewport();
    const QByteArray sample = SampleBytes().left(6000);
    for (qsizetype i = 0; i < sample.size(); i += 331) {
        DataSourceForm->DisplayAndForward(sample.constData() + i, static_cast<int>(std::min<qsizetype>(331, sample.size() - i)));
        ASSERT_TRUE(QTest::qWaitFor([] { return !DataSourceForm->Drawing()->Pending(); }, 2000));
        const QPoint at = port->mapTo(DataSourceForm, QPoint());
        auto onServer = [&] {
            return DataSourceForm->screen()->grabWindow(DataSourceForm->winId(), at.x(), at.y(), port->width(), port->height()).toImage().convertToFormat(QImage::Format_RGB32);
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return onServer() == port->grab().toImage().convertToFormat(QImage::Format_RGB32); }, 3000)) << i;
    }
}
