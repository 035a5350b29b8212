#include <QAccessible>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QDir>
#include <QTemporaryDir>
#include <random>

#include "gui_test_support.h"
#include "app/application.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "platform/beatdrawing.h"
#include "platform/trafficpane.h"
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

namespace {

QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// The pane shows the text, its caret at the end and the newest line whole in
// view, above the horizontal bar; and the screen shows what the pane shows
// drawn whole, however the rows came there.
void ExpectNewestLineWhole(QAbstractScrollArea *area, const QString &text, const std::string &what)
{
    auto *pane = qobject_cast<TrafficPane *>(area);
    ASSERT_NE(pane, nullptr) << what << ": not a traffic pane";
    // Once what waits is drawn (a bar that comes takes room from the view at
    // the next turn), the part of the pane the window shows (the monitor may
    // reach past the frame) is what the pane shows drawn whole.
    QWidget *port = pane->viewport(), *window = port->window();
    auto drawnWhole = [&] {
        const QRect seen = port->visibleRegion().boundingRect() & port->rect();
        const QPoint at = port->mapTo(window, seen.topLeft());
        const QImage shown = window->screen()->grabWindow(window->winId(), at.x(), at.y(), seen.width(), seen.height()).toImage();
        return !seen.isEmpty() && shown.convertToFormat(QImage::Format_RGB32) == port->grab(seen).toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_TRUE(QTest::qWaitFor(drawnWhole, 3000)) << what;

    QString lines = text;
    lines.replace("\r\n", "\n").replace('\r', '\n');
    EXPECT_EQ(pane->toPlainText(), lines) << what;
    EXPECT_EQ(pane->Position(), lines.size()) << what;
    EXPECT_TRUE(port->rect().contains(pane->CaretRect())) << what << ": caret at " << pane->CaretRect().y() << " of " << port->height();
    const qsizetype end = lines.endsWith('\n') ? lines.size() - 1 : lines.size();
    const QRect newest = pane->CaretRect(static_cast<int>(lines.lastIndexOf('\n', end - 1) + 1));
    EXPECT_TRUE(newest.top() >= 0 && newest.bottom() <= port->rect().bottom()) << what << ": " << newest.top() << ".." << newest.bottom() << " of " << port->height();
}

} // namespace

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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->toPlainText().isEmpty(); }, 10000));
    EXPECT_EQ(ui->RichEdit1->toPlainText().count("line"), 50);
}

// Minimised, the monitor lays out and draws nothing; restored, its panes show
// at once all that came meanwhile, as a monitor left open shows it.
TEST_F(MonitorTest, AMinimisedMonitorPreparesNothingAndShowsAllOnRestore)
{
    Receive("one\r\n");
    MonitorForm->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->isVisible(); }, 10000));
    for (int i = 0; i < 20; ++i) MainForm->ReceiveData("two\r\nIn> three\r\n");
    ASSERT_TRUE(BeatPassed(BeatDrawing::TrafficMs));
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\n");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "one\n");
    MonitorForm->showNormal();
    ASSERT_TRUE(ui->RichEdit1->isVisible());
    const QString all = "one\n" + QString("two\nIn> three\n").repeated(20);
    EXPECT_EQ(ui->RichEdit1->toPlainText(), all);
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "one\n" + QString("two\nIn> three\n").repeated(20));
    // The newest line in view, as in a pane shown throughout.
    ExpectNewestLineWhole(ui->RichEdit1, Latin1(MonitorForm->Text.AllText), "restored");
}


// Lines longer than the panes are wide (the horizontal bars show): each pane
// has its newest line whole above the bar while the traffic runs, when the
// window is made smaller and once a pane that had the focus lets it go; in
// the monitor as it opens and at the size it is made with.
TEST_F(MonitorTest, ThePanesShowTheNewestLineWholeAndWhatTheyShowDrawnWhole)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MonitorForm));
    // Short lines that fill the panes, then one wider than they are: the bar comes.
    for (int n = 0; n < 40; ++n) Receive("In> ver\r\n");
    for (TrafficPane *pane : {ui->RichEdit1, ui->RichEdit2}) ASSERT_FALSE(pane->horizontalScrollBar()->isVisible());
    Receive("In> " + QByteArray(300, '0') + "\r\n");
    for (auto [pane, text] : std::initializer_list<std::pair<QAbstractScrollArea *, QString>>{
             {ui->RichEdit1, Latin1(MonitorForm->Text.AllText)}, {ui->RichEdit2, Latin1(MonitorForm->Text.FilteredText)}})
        ExpectNewestLineWhole(pane, text, "the bar come: " + pane->objectName().toStdString());
    const QByteArray sample = SampleBytes().left(60000);
    std::mt19937 rng(5);
    auto panes = [&] {
        return std::vector<std::pair<QAbstractScrollArea *, QString>>{{ui->RichEdit1, Latin1(MonitorForm->Text.AllText)},
                                                                      {ui->RichEdit2, Latin1(MonitorForm->Text.FilteredText)}};
    };
    for (bool opened : {true, false}) {
        if (!opened) {   // made smaller, the end stays in view
            MonitorForm->resize(483, 284);
            for (auto [pane, text] : panes()) ExpectNewestLineWhole(pane, text, "made smaller: " + pane->objectName().toStdString());
        }
        const std::string size = std::to_string(MonitorForm->width()) + "x" + std::to_string(MonitorForm->height());
        MainForm->ResetViews();
        int checked = 0;
        for (qsizetype i = 0; i < sample.size();) {
            const qsizetype n = 1 + rng() % 2000;
            Receive(sample.mid(i, n));
            i += n;
            if (rng() % 4 != 0) continue;
            for (auto [pane, text] : panes())
                ExpectNewestLineWhole(pane, text, size + " " + pane->objectName().toStdString() + " at " + std::to_string(i));
            ++checked;
        }
        EXPECT_GE(checked, 10);
        for (auto [pane, text] : panes()) ASSERT_TRUE(pane->horizontalScrollBar()->isVisible()) << pane->objectName().toStdString();
    }
    // Focused (frozen) while more comes, then left: the whole text, its end in view.
    MonitorForm->setFocus();
    QApplication::setActiveWindow(MainForm);
    ui->RichEdit2->setFocus();
    ASSERT_TRUE(ui->RichEdit2->hasFocus());
    Receive(SampleBytes().mid(sample.size(), 5000));
    ui->ComboBox1->setFocus();
    for (auto [pane, text] : panes()) ExpectNewestLineWhole(pane, text, pane->objectName().toStdString() + " after the focus");
}

// To assistive technology each traffic pane is text: a text role, its whole
// text and the caret at its end, a selection made through it, the character
// and the line at a point, as a read-only text edit offers them.
TEST_F(MonitorTest, ThePanesAreTextToAssistiveTechnology)
{
    QAccessible::setActive(true);
    DataSourceForm->show();
    const QByteArray traffic = "$GPGGA,1*4B\r\nIn> ver\r\nlast, cut";
    DataSourceForm->DisplayAndForward(traffic.constData(), static_cast<int>(traffic.size()));
    MonitorForm->RefreshPanes();
    ASSERT_TRUE(QTest::qWaitFor([] { return !DataSourceForm->Drawing()->Pending(); }, 2000));
    const std::pair<QAbstractScrollArea *, QString> panes[] = {{ui->RichEdit1, "$GPGGA,1*4B\nIn> ver\nlast, cut"},
                                                               {ui->RichEdit2, "In> ver\n"},   // Exclude "$"
                                                               {DataSourceForm->ui->RichEdit1, "$GPGGA,1*4B\nIn> ver\nlast, cut"}};
    for (auto [pane, shown] : panes) {
        const std::string what = pane->parentWidget()->objectName().toStdString() + "." + pane->objectName().toStdString();
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(pane);
        ASSERT_NE(face, nullptr) << what;
        EXPECT_TRUE(face->role() == QAccessible::EditableText || face->role() == QAccessible::StaticText) << what << " role " << face->role();
        EXPECT_TRUE(face->state().readOnly || face->state().disabled) << what;
        EXPECT_EQ(face->text(QAccessible::Value), shown) << what;
        QAccessibleTextInterface *text = face->textInterface();
        ASSERT_NE(text, nullptr) << what;
        EXPECT_EQ(text->characterCount(), shown.size()) << what;
        EXPECT_EQ(text->text(0, text->characterCount()).replace(QChar::ParagraphSeparator, '\n'), shown) << what;
        EXPECT_EQ(text->cursorPosition(), shown.size()) << what;
        text->setSelection(0, 3, 7);
        EXPECT_EQ(text->selectionCount(), 1) << what;
        EXPECT_EQ(static_cast<TrafficPane *>(pane)->SelectedText(), shown.mid(3, 4)) << what;
        const int ver = static_cast<int>(shown.indexOf("ver"));
        const QRect v = text->characterRect(ver);
        EXPECT_TRUE(v.isValid() && v.width() > 1) << what;
        EXPECT_EQ(text->offsetAtPoint(v.topLeft() + QPoint(1, v.height() / 2)), ver) << what;
        int start = 0, end = 0;
        EXPECT_EQ(text->textAtOffset(ver, QAccessible::LineBoundary, &start, &end).trimmed(), "In> ver") << what;
        text->removeSelection(0);
        EXPECT_EQ(text->selectionCount(), 0) << what;
    }
    QAccessible::setActive(false);
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

// In a focused (frozen) pane the user selects with the mouse, or all with the
// keys, and copies; the traffic that comes meanwhile leaves the selection be.
TEST_F(MonitorTest, AFrozenPaneKeepsWhatTheUserSelectsAndCopies)
{
    MonitorForm->setFocus();
    QApplication::setActiveWindow(MainForm);
    Receive("$GPGGA,120001.00,5200.1,N*47\r\nIn> ver\r\n");
    TrafficPane *pane = ui->RichEdit1;
    auto at = [&](int position) { return pane->CaretRect(position).center(); };
    QWidget *port = pane->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, at(0));
    Mouse(port, QEvent::MouseMove, at(3), Qt::NoButton, Qt::LeftButton);
    Mouse(port, QEvent::MouseMove, at(6), Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(port, Qt::LeftButton, {}, at(6));
    ASSERT_TRUE(pane->hasFocus());
    EXPECT_EQ(pane->SelectedText(), "$GPGGA");
    Receive("more\r\n");
    EXPECT_EQ(pane->SelectedText(), "$GPGGA");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "$GPGGA,120001.00,5200.1,N*47\nIn> ver\n");
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
        ASSERT_TRUE(QTest::qWaitFor([] { return MonitorForm->isVisible(); }, 10000));
        Ui::TMonitorForm *m = MonitorForm->ui.get();
        EXPECT_FALSE(m->GroupBox3->isHidden());
        EXPECT_EQ(m->Edit1->text(), "25");
        EXPECT_TRUE(QTest::qWaitFor([m] { return m->Button1->hasFocus(); }, 10000)) << reopened;
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
