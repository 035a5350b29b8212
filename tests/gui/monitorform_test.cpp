#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

#include "gui_test_support.h"
#include "app/application.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "platform/beatdrawing.h"
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
    ASSERT_TRUE(BeatsPassed(BeatDrawing::TrafficMs));
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

TEST_F(MonitorTest, AFocusedPaneIsFrozenUntilARightClick)
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
