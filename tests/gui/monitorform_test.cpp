#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QDir>
#include <QTemporaryDir>

#include "gui_test_support.h"
#include "app/application.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "platform/presentbeat.h"
#include "platform/trafficview.h"
#include <QScrollBar>
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_monitorform.h"

class MonitorTest : public WindowTest {
protected:
    Ui::TMonitorForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        MonitorText::PendingLine().clear();
        CreateForms();
        MainForm->show();
        MainForm->ui->SerialMonitor1->trigger();
        ASSERT_NE(MonitorForm, nullptr);
        ui = MonitorForm->ui.get();
    }
    void Receive(const QByteArray &chunk)
    {
        MainForm->ReceiveData(chunk);
        MonitorForm->RefreshPanes();
    }
};

TEST_F(MonitorTest, ShowsTheRawAndTheFilteredTrafficBatchedIntoOneRedraw)
{
    Receive("$GPGGA,1*4B\nIn> ver\r\n$DODU");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "$GPGGA,1*4B\nIn> ver\n$DODU");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "In> ver\n");   // Exclude "$"
    ui->RadioButton1->click();
    Receive(",TOAA*00\r\n");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "In> ver\n$DODU,TOAA*00\n");
    ui->Button4->click();
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "");

    MainForm->ResetViews();
    for (int i = 0; i < 50; ++i) MainForm->ReceiveData("line\r\n");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "");   // not redrawn per chunk
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(ui->RichEdit1->toPlainText().count("line"), 50);
}

// Minimised, the monitor lays out and draws nothing; restored, its panes show
// at once all that came meanwhile, as a monitor left open shows it.
TEST_F(MonitorTest, AMinimisedMonitorPreparesNothingAndShowsAllOnRestore)
{
    Receive("one\r\n");
    MonitorForm->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->isVisible(); }, 2000));
    for (int i = 0; i < 20; ++i) MainForm->ReceiveData("two\r\nIn> three\r\n");
    QTest::qWait(3 * PresentBeat::TrafficMs);
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\n");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "one\n");
    MonitorForm->showNormal();
    ASSERT_TRUE(ui->RichEdit1->isVisible());
    const QString all = "one\n" + QString("two\nIn> three\n").repeated(20);
    EXPECT_EQ(ui->RichEdit1->toPlainText(), all);
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "one\n" + QString("two\nIn> three\n").repeated(20));
    // Where a pane shown throughout, given the text a chunk at a time, stands.
    TrafficView open;
    open.setFont(ui->RichEdit1->font());
    open.resize(ui->RichEdit1->size());
    open.show();
    QString text = "one\r\n";
    open.ShowText(text, TrafficView::Follow::End);
    for (int i = 0; i < 20; ++i) open.ShowText(text += "two\r\nIn> three\r\n", TrafficView::Follow::End);
    EXPECT_EQ(ui->RichEdit1->verticalScrollBar()->value(), open.verticalScrollBar()->value());
    EXPECT_TRUE(ui->RichEdit1->viewport()->grab().toImage() == open.viewport()->grab().toImage());
}

TEST_F(MonitorTest, AFocusedPaneIsFrozenUntilARightClickThatOpensNoMenu)
{
    MonitorForm->setFocus();
    QApplication::setActiveWindow(MainForm);
    Receive("one\r\n");
    ui->RichEdit1->setFocus();
    ASSERT_TRUE(ui->RichEdit1->hasFocus());
    EXPECT_EQ(ui->RichEdit1->toolTip(), "Press right mouse button to continue monitor update");
    Receive("two\r\n");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\n");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "one\ntwo\n");   // the other pane goes on
    QTest::mouseClick(ui->RichEdit1->viewport(), Qt::RightButton);
    EXPECT_TRUE(ui->ComboBox1->hasFocus());
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\ntwo\n");

    // The right click opens no menu, neither the pane's own nor the main
    // window's; it hands the focus to the controls every time, on a frozen pane
    // or not, so the pane goes on showing the traffic.
    auto rightClick = [](QAbstractScrollArea *pane) {
        QWidget *port = pane->viewport();
        const QPoint at = port->rect().center();
        QTest::mousePress(port, Qt::RightButton, Qt::NoModifier, at);
        const bool menuOnPress = QApplication::activePopupWidget() != nullptr;
        QTest::mouseRelease(port, Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, port->mapToGlobal(at));
        QApplication::sendEvent(port, &menu);
        const bool menuAfter = QApplication::activePopupWidget() != nullptr;
        while (QWidget *popup = QApplication::activePopupWidget()) popup->close();
        return !menuOnPress && !menuAfter;
    };
    int line = 2;
    for (bool file : {false, true}) {
        if (file) DataSourceForm->RadioFileClick(nullptr);
        QWidget *expected = file ? static_cast<QWidget *>(ui->Button1) : ui->ComboBox1;
        for (int p = 0; p < 2; ++p) {
            QAbstractScrollArea *pane = p == 0 ? static_cast<QAbstractScrollArea *>(ui->RichEdit1) : ui->RichEdit2;
            auto shown = [&] { return p == 0 ? ui->RichEdit1->toPlainText() : ui->RichEdit2->toPlainText(); };
            for (bool frozen : {true, true, false, false}) {
                const std::string where = std::string(file ? "file" : "command") + " controls, " +
                                          pane->objectName().toStdString() + (frozen ? ", frozen" : "");
                if (frozen) pane->setFocus();
                else ui->Edit2->setFocus();
                ASSERT_EQ(pane->hasFocus(), frozen) << where;
                Receive(QByteArray::number(++line) + "\r\n");
                EXPECT_TRUE(rightClick(pane)) << where << ": a menu opened";
                EXPECT_TRUE(expected->hasFocus()) << where;
                EXPECT_FALSE(pane->hasFocus()) << where;
                Receive(QByteArray::number(++line) + "\r\n");
                EXPECT_TRUE(shown().endsWith(QString::number(line) + "\n")) << where;
            }
        }
    }
}

namespace {

// The room a control draws its caption in, as its style lays it out.
QRect CaptionRoom(QWidget *w)
{
    QStyleOptionButton option;
    option.initFrom(w);
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        if (b->autoDefault() || b->isDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        return w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
    }
    if (qobject_cast<QRadioButton *>(w)) return w->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, w);
    if (qobject_cast<QLabel *>(w)) return static_cast<QLabel *>(w)->contentsRect();
    const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    return w->rect().adjusted(frame, frame, -frame, -frame);
}

// Every caption a control can show: the disconnect buttons show the data-source
// window's connect button's.
QStringList Captions(QWidget *w)
{
    if (w->objectName() == "Button2" || w->objectName() == "Button3") return {"Connect!", "Connect", "Disconnect"};
    if (auto *b = qobject_cast<QAbstractButton *>(w)) return {b->text()};
    if (auto *l = qobject_cast<QLabel *>(w)) return {l->text()};
    return {};
}

} // namespace

// At the size the window opens with every control shows its whole caption in
// the font it is drawn with; at the least size every control stays inside its
// group and clear of the others, and the captions stay whole in the groups
// that have room for all their controls (the file controls need more than half
// the least width, so theirs may shorten there).
TEST_F(MonitorTest, EveryControlShowsItsWholeCaptionAndStaysReachableAtTheLeastSize)
{
    const QSize least = MonitorForm->minimumSize();
    EXPECT_EQ(least, QSize(400, 160));
    for (bool atLeast : {false, true}) {
        if (atLeast) MonitorForm->resize(least);
        ASSERT_EQ(MonitorForm->size(), atLeast ? least : MonitorForm->size());
        for (QGroupBox *group : {ui->GroupBox2, ui->GroupBox3, ui->GroupBox4}) {
            const std::string where = (atLeast ? "least size, " : "opening size, ") + group->objectName().toStdString();
            EXPECT_TRUE(MonitorForm->Client()->rect().contains(group->geometry())) << where;
            const QRect inside = group->rect().adjusted(2, 2, -2, -2);
            const QList<QWidget *> controls = group->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget *w : controls) {
                const std::string name = where + ", " + w->objectName().toStdString();
                EXPECT_TRUE(inside.contains(w->geometry())) << name << " lies outside its group";
                EXPECT_GE(w->width(), 12) << name;
                for (QWidget *other : controls)
                    EXPECT_TRUE(other == w || !other->geometry().intersects(w->geometry()))
                        << name << " runs into " << other->objectName().toStdString();
                if (atLeast && group == ui->GroupBox3) continue;
                const QRect room = CaptionRoom(w);
                for (const QString &caption : Captions(w))
                    EXPECT_LE(QFontMetrics(w->font()).horizontalAdvance(caption), room.width())
                        << name << " cuts \"" << caption.toStdString() << "\" (" << w->width() << " wide)";
            }
        }
    }
}

TEST_F(MonitorTest, TheCommandLineKeysWalkTheHistoryAndTheDropDownListsMatches)
{
    for (const char *c : {"A", "$PDODU", "$PTNT", "A", ""}) {
        ui->ComboBox1->setEditText(c);
        MonitorForm->Button5Click();
    }
    EXPECT_EQ(MonitorForm->History.Entries(), (std::vector<std::string>{"A", "$PDODU", "$PTNT"}));
    ui->ComboBox1->setEditText("$PDODU");
    const std::pair<Qt::Key, const char *> keys[] = {
        {Qt::Key_Up, "A"}, {Qt::Key_Down, "$PDODU"}, {Qt::Key_Down, "$PTNT"}, {Qt::Key_PageUp, "A"}, {Qt::Key_PageDown, "$PTNT"}};
    for (auto [key, expected] : keys) {
        QTest::keyClick(ui->ComboBox1->lineEdit(), key);
        EXPECT_EQ(ui->ComboBox1->currentText(), expected);
        EXPECT_EQ(ui->ComboBox1->lineEdit()->selectedText(), expected);
    }
    ui->ComboBox1->setEditText("$P");
    ui->ComboBox1->showPopup();
    QStringList items;
    for (int i = 0; i < ui->ComboBox1->count(); ++i) items << ui->ComboBox1->itemText(i);
    EXPECT_EQ(items, (QStringList{"$P", "$PDODU", "$PTNT"}));
    EXPECT_EQ(ui->ComboBox1->currentText(), "$P");
    ui->ComboBox1->hidePopup();
}

// Opened while a log file is replayed: the file controls, the focus on "Set",
// and the data-source window's pace in the rate edit.
TEST_F(MonitorTest, OpenedDuringAReplayItTakesTheDataSourcePaceAndFocusesSet)
{
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    QFile log(dir.filePath("replay.log"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly) && log.write("$GPGGA,1*4B\r\n") > 0);
    log.close();
    MainForm->ui->SerialMonitor1->trigger();   // closed
    ASSERT_EQ(MonitorForm, nullptr);
    TDataSourceForm *ds = DataSourceForm;
    ds->RadioFileClick(nullptr);
    ds->OpenDialog1.FileName = log.fileName();
    ds->ui->Edit1->setText("25");
    ds->Button4Click();
    QApplication::setActiveWindow(MainForm);
    ds->Button1Click(nullptr);   // the replay opens the monitor
    ASSERT_TRUE(ds->Connected && MonitorForm);
    for (int reopened = 0; reopened < 2; ++reopened) {
        ASSERT_TRUE(QTest::qWaitFor([] { return MonitorForm->isVisible(); }, 2000));
        Ui::TMonitorForm *m = MonitorForm->ui.get();
        EXPECT_FALSE(m->GroupBox3->isHidden());
        EXPECT_EQ(m->Edit1->text(), "25");
        EXPECT_TRUE(QTest::qWaitFor([m] { return m->Button1->hasFocus(); }, 2000)) << reopened;
        MainForm->ui->SerialMonitor1->trigger();   // closed, and opened from the menu
        MainForm->ui->SerialMonitor1->trigger();
    }

    // A pace being typed in the data-source window that is no integer.
    MainForm->ui->SerialMonitor1->trigger();
    ds->ui->Edit1->setText("2x");
    boxes.clear();
    MainForm->ui->SerialMonitor1->trigger();
    ASSERT_TRUE(MonitorForm);
    EXPECT_EQ(boxes, (decltype(boxes){{ApplicationTitle, "'2x' is not a valid integer value"}}));
    EXPECT_EQ(MonitorForm->ui->Edit1->text(), "");   // nothing set
    EXPECT_EQ(ds->LinesPerSecond, 25);
    ds->Button1Click(nullptr);
}
