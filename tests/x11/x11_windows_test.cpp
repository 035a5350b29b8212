// The windows on a real X server with a real window manager (tools/x11_run.sh
// starts Xvfb and openbox): the titles the server holds, the layout once the
// window manager has given the frame its maximised size, and the pixels the
// server shows against the windows repainted whole.
#include <QDir>
#include <QMdiArea>
#include <QPointer>
#include <QRegularExpression>
#include <QStyle>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <cstring>

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

// The caret's place at the start of a pane's newest line (the last one that is
// not empty).
QRect NewestLine(const TrafficPane *pane)
{
    const QString &text = pane->toPlainText();
    const qsizetype end = text.endsWith('\n') ? text.size() - 1 : text.size();
    return pane->CaretRect(static_cast<int>(text.lastIndexOf('\n', end - 1) + 1));
}

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
    EXPECT_TRUE(QTest::qWaitFor([] {
        return !MainForm->ClientArea->verticalScrollBar()->isVisible() && !MainForm->ClientArea->horizontalScrollBar()->isVisible();
    }, 5000));
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
    TrafficPane *pane = MonitorForm->ui->RichEdit1;
    auto onServer = [&] {
        const QPoint at = port->mapTo(MainForm, QPoint());
        return MainForm->screen()->grabWindow(MainForm->winId(), at.x(), at.y(), port->width(), port->height()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto shownWhole = [&](qsizetype at) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return onServer() == port->grab().toImage().convertToFormat(QImage::Format_RGB32); }, 3000)) << at;
        const QRect line = NewestLine(pane);
        EXPECT_TRUE(line.top() >= 0 && line.bottom() < port->height()) << at << ": " << line.top() << ".." << line.bottom();
        EXPECT_TRUE(port->rect().contains(pane->CaretRect())) << at << ": caret at " << pane->CaretRect().y() << " of " << port->height();
    };
    // Short lines that fill the pane, then one wider than the pane: the
    // horizontal bar comes, the newest line stays whole above it. At heights
    // a row apart, so that the bar covers part of the bottom row at some.
    const int rowHeight = pane->RowHeight();
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
        ASSERT_TRUE(QTest::qWaitFor([] { return !DataSourceForm->Drawing()->Pending(); }, 5000));
        // Once drawn, the server shows what the display shows drawn whole.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const QPoint at = port->mapTo(DataSourceForm, QPoint());
            const QImage shown = DataSourceForm->screen()->grabWindow(DataSourceForm->winId(), at.x(), at.y(), port->width(), port->height()).toImage();
            return shown.convertToFormat(QImage::Format_RGB32) == port->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }, 5000)) << i;
    }
}

namespace {

// The whole screen as the X server holds it (xcb reads the root window's pixels).
QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

std::vector<QWidget *> ShownWindows()
{
    std::vector<QWidget *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible()) out.push_back(w);
    return out;
}

// Nothing is waiting to be drawn at the beat where it can be seen.
bool BeatsDone()
{
    for (QWidget *top : ShownWindows()) {
        QList<QObject *> objects = top->findChildren<QObject *>();
        objects << top;
        for (QObject *o : objects) {
            if (auto *d = qobject_cast<BeatDrawing *>(o); d && d->Pending() && BeatDrawing::InSight(qobject_cast<QWidget *>(d->parent())))
                return false;
        }
    }
    return true;
}

// The screen once the windows are drawn and still: nothing waits at the beat and
// three grabs in a row, with the event loop run between them, are the same.
QImage StillScreen()
{
    QImage last = Screen();
    int same = 0;
    const bool still = QTest::qWaitFor([&] {
        QCoreApplication::sendPostedEvents();
        QImage now = Screen();
        same = BeatsDone() && now == last ? same + 1 : 0;
        last = now;
        return same >= 3;
    }, 20000);
    EXPECT_TRUE(still) << "the screen did not come to rest";
    return last;
}

// Every repeating timer of the windows stopped while the screen is compared:
// the clocks that show the PC time (the status bar's, the plots'), the ages that
// count on, an alert's blinking. A tick between the two grabs is no fault of the
// drawing, and with them stopped nothing need be masked. Started again when this goes.
class TimersHeld {
public:
    TimersHeld()
    {
        for (QWidget *top : ShownWindows())
            for (QTimer *t : top->findChildren<QTimer *>())
                if (t->isActive() && !t->isSingleShot()) {
                    t->stop();
                    held_.emplace_back(t);
                }
    }
    ~TimersHeld()
    {
        for (const QPointer<QTimer> &t : held_)
            if (t) t->start();
    }

private:
    std::vector<QPointer<QTimer>> held_;
};

// Every window repainted whole: every widget marked for painting, then each
// window painted at once.
void RepaintEverything()
{
    for (QWidget *top : ShownWindows()) {
        for (QWidget *w : top->findChildren<QWidget *>()) w->update();
        top->update();
    }
    for (QWidget *top : ShownWindows()) top->repaint();
}

// Where two screens differ: the pixel count and the rectangle around them, both
// screens and the difference written to a folder that is named.
std::string Difference(const QImage &drawn, const QImage &whole, const QString &moment)
{
    if (drawn.size() != whole.size()) return "the screens differ in size";
    QImage marked = whole.convertToFormat(QImage::Format_RGB32);
    long count = 0;
    QRect box;
    for (int y = 0; y < drawn.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(drawn.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(whole.constScanLine(y));
        auto *m = reinterpret_cast<QRgb *>(marked.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x) {
            const bool differs = (a[x] & 0xffffff) != (b[x] & 0xffffff);
            m[x] = differs ? qRgb(255, 0, 0) : qRgb(qGray(b[x]) / 2 + 128, qGray(b[x]) / 2 + 128, qGray(b[x]) / 2 + 128);
            if (differs) {
                ++count;
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    if (count == 0) return {};
    QString slug = moment;
    slug.replace(QRegularExpression("[^A-Za-z0-9]+"), "-");
    const QString dir = QDir::temp().filePath(QString("kavu-x11-%1-%2").arg(QCoreApplication::applicationPid()).arg(slug));
    QDir().mkpath(dir);
    drawn.save(dir + "/drawn.png");
    whole.save(dir + "/repainted.png");
    marked.save(dir + "/difference.png");
    return QString("%1 pixels differ within %2,%3 %4x%5; the screens are in %6")
        .arg(count).arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height()).arg(dir).toStdString();
}

// What the screen shows now is what it shows once every window is repainted whole.
void ExpectAsRepainted(const QString &moment)
{
    SCOPED_TRACE(moment.toStdString());
    TimersHeld held;
    const QImage drawn = StillScreen();
    RepaintEverything();
    const QImage whole = StillScreen();
    EXPECT_EQ(Difference(drawn, whole, moment), "") << moment.toStdString();
}

// Drags the window by its title bar with the mouse, through the points given.
void DragTitle(QMdiSubWindow *sub, const std::vector<QPoint> &moves)
{
    const QPoint grip(sub->width() / 2, sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub) / 2);
    QTest::mousePress(sub, Qt::LeftButton, Qt::NoModifier, grip);
    QPoint at = grip;
    for (const QPoint &step : moves) {
        at += step;
        QMouseEvent move(QEvent::MouseMove, at, sub->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(sub, &move);
        StillScreen();   // each step drawn before the next
    }
    QTest::mouseRelease(sub, Qt::LeftButton, Qt::NoModifier, at);
}

// The rows the pane can scroll through, against a plain-text edit of its size
// holding the same text: both show the last line whole above the scroll bar.
void ExpectLastLineWhole(TrafficPane *pane, const char *name)
{
    SCOPED_TRACE(name);
    EXPECT_TRUE(pane->horizontalScrollBar()->isVisible()) << "lines longer than the pane";
    const QRect line = NewestLine(pane);
    EXPECT_TRUE(line.top() >= 0 && line.bottom() < pane->viewport()->height()) << line.top() << ".." << line.bottom();
}

} // namespace

// Every window open and overlapping as Tile leaves them, the sample streamed in:
// at each moment a user may look, what the screen shows is what it shows once
// every window is repainted whole.
TEST_F(X11Test, EveryWindowShowsWhatAFullRepaintShows)
{
    QApplication::setCursorFlashTime(0);   // a caret that blinks is no fault either
    const QSize screen = MainForm->screen()->availableGeometry().size();
    ui->All1->trigger();   // Show Default Logs
    for (QAction *item : ui->View1->actions())
        if (item->isCheckable() && !item->isChecked() && item != ui->LoranSound1) item->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return MainForm->frameGeometry().size() == screen; }, 10000));
    for (QWidget *w : ShownWindows()) ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << w->windowTitle().toStdString();
    ui->Tile1->trigger();
    ASSERT_GE(MainForm->ClientArea->subWindowList().size(), 12);
    ASSERT_NE(MonitorForm, nullptr);
    // The plots, each a window of its own, laid over the frame and over each other.
    const std::vector<std::pair<QAction *, QWidget *>> plots{
        {ui->TDPlot1, TDForm}, {ui->PositionPlot1, PositionForm}, {ui->FFTplot1, FFTForm}, {ui->EurofixData1, EurofixForm}, {ui->HDGA1, HeadingForm}};
    for (size_t i = 0; i < plots.size(); ++i) {
        plots[i].first->trigger();
        QWidget *plot = plots[i].second;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(plot)) << plot->windowTitle().toStdString();
        const QPoint place(520 + 70 * int(i), 60 + 90 * int(i));
        plot->move(place);
        plot->raise();
        EXPECT_TRUE(QTest::qWaitFor([&] { return plot->frameGeometry().topLeft() == place; }, 10000))
            << plot->windowTitle().toStdString() << " at " << plot->frameGeometry().x() << "," << plot->frameGeometry().y();
    }

    const QByteArray sample = SampleBytes();
    ASSERT_FALSE(sample.isEmpty());
    qsizetype at = 0;
    auto feedLines = [&](int lines) {
        for (int n = 0; n < lines && at < sample.size(); n += 20) {
            qsizetype end = at;
            for (int k = 0; k < 20 && end >= 0; ++k) end = sample.indexOf('\n', end + 1);
            end = end < 0 ? sample.size() : end + 1;
            MainForm->ReceiveData(sample.mid(at, end - at));
            at = end;
            QCoreApplication::processEvents();
        }
    };
    feedLines(1750);
    ExpectAsRepainted("during the stream, 1750 lines in");
    feedLines(1250);
    ExpectAsRepainted("paused, 3000 lines in");
    feedLines(1000000);
    ExpectAsRepainted("after the end of the file");

    // The monitor's newest line, once its lines are longer than its panes.
    ExpectLastLineWhole(MonitorForm->ui->RichEdit1, "left pane");
    ExpectLastLineWhole(MonitorForm->ui->RichEdit2, "right pane");

    // A log window and a plot minimised and restored.
    QMdiSubWindow *gpposa = nullptr;
    for (QMdiSubWindow *sub : MainForm->ClientArea->subWindowList())
        if (sub->windowTitle().contains("GPPOSA")) gpposa = sub;
    ASSERT_NE(gpposa, nullptr);
    gpposa->showMinimized();
    StillScreen();
    gpposa->showNormal();
    TDForm->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([] { return TDForm->windowHandle() && !TDForm->windowHandle()->isExposed(); }, 10000));
    TDForm->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(TDForm));
    ExpectAsRepainted("after minimise and restore");

    // The top window dragged over another and away again.
    QMdiSubWindow *top = MainForm->ClientArea->subWindowList(QMdiArea::StackingOrder).last();
    const QPoint home = top->pos();
    DragTitle(top, {{60, 40}, {120, 80}, {180, 120}, {-180, -120}, {-120, -80}, {-60, -40}});
    EXPECT_EQ(top->pos(), home);
    ExpectAsRepainted("after a window was dragged over another and away");

    // A new Eurofix station's first message (a DGPS correction): its panel shows it.
    const size_t stations = EurofixForm->StationList.size();
    MainForm->ReceiveData(QByteArray::fromStdString(Sentence("DODU,RMSGA,1.0,12.5,6731X,11070021064049143973,0,1") + "\r\n"));
    ASSERT_EQ(EurofixForm->StationList.size(), stations + 1);
    ExpectAsRepainted("after a new Eurofix station's first message");
    for (const auto &station : EurofixForm->StationList) {
        if (std::strcmp(station->Name, "6731X") != 0) continue;
        EXPECT_EQ(station->PageControl->currentIndex(), 0);   // the DGPS page
        EXPECT_EQ(station->DgpsCountValue->text(), QString("1")) << "# Messages";
        EXPECT_FALSE(station->DgpsGrid->Cell(0, 1).trimmed().isEmpty()) << "the correction's row";
    }
}
