#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_monitorform.h"

namespace {

class MonitorTest : public WindowTest {
protected:
    Ui::TMonitorForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        MonitorText::PendingLine().clear();
        CreateForms();
        MainForm->show();
    }
    void Open()
    {
        MainForm->ui->SerialMonitor1->trigger();
        ASSERT_NE(MonitorForm, nullptr);
        ui = MonitorForm->ui.get();
    }
    void Receive(const QByteArray &chunk)
    {
        MainForm->ReceiveData(chunk);
        MonitorForm->RefreshPanes();
    }
    void Type(const QString &command)
    {
        ui->ComboBox1->setEditText(command);
        MonitorForm->Button5Click();
    }
    void Key(int key) { QTest::keyClick(ui->ComboBox1->lineEdit(), static_cast<Qt::Key>(key)); }
    QString Command() const { return ui->ComboBox1->currentText(); }
};

} // namespace

TEST_F(MonitorTest, OpensFromTheViewMenuWithTheCommandGroup)
{
    Open();
    EXPECT_TRUE(MainForm->ui->SerialMonitor1->isChecked());
    EXPECT_EQ(MonitorForm->windowTitle(), "Monitor: No datasource connected");
    EXPECT_TRUE(ui->GroupBox2->isVisible());
    EXPECT_FALSE(ui->GroupBox3->isVisible());
    EXPECT_EQ(ui->Edit2->text(), "$");
    EXPECT_TRUE(ui->RadioButton2->isChecked());
    EXPECT_EQ(ui->Button2->text(), DataSourceForm->ui->Button1->text());
    EXPECT_EQ(ui->Button2->text(), "Connect!");
    MainForm->ui->SerialMonitor1->trigger();
    EXPECT_EQ(MonitorForm, nullptr);
    EXPECT_FALSE(MainForm->ui->SerialMonitor1->isChecked());
}

TEST_F(MonitorTest, ShowsTheRawAndTheFilteredTraffic)
{
    Open();
    Receive("$GPGGA,1*4B\nIn> ver\r\n$DODU");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "$GPGGA,1*4B\nIn> ver\n$DODU");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "In> ver\n");   // Exclude "$"
    MonitorForm->RadioButton1Click();
    Receive(",TOAA*00\r\n");
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "In> ver\n$DODU,TOAA*00\n");
    ui->Button4->click();
    EXPECT_EQ(ui->RichEdit2->toPlainText(), "");
}

TEST_F(MonitorTest, AppendsAreBatchedIntoOneRedraw)
{
    Open();
    for (int i = 0; i < 50; ++i) MainForm->ReceiveData("line\r\n");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "");   // not redrawn per chunk
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(ui->RichEdit1->toPlainText().count("line"), 50);
}

TEST_F(MonitorTest, AFocusedPaneIsFrozenUntilARightClick)
{
    Open();
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

TEST_F(MonitorTest, CommandHistoryWithTheKeys)
{
    Open();
    Type("A");
    Type("B");
    Type("C");
    Type("B");   // already there
    Type("");    // sends CR LF alone, adds nothing
    EXPECT_EQ(MonitorForm->History.Entries(), (std::vector<std::string>{"A", "B", "C"}));
    ui->ComboBox1->setEditText("B");
    Key(Qt::Key_Up);
    EXPECT_EQ(Command(), "A");
    EXPECT_EQ(ui->ComboBox1->lineEdit()->selectedText(), "A");
    Key(Qt::Key_Down);
    EXPECT_EQ(Command(), "B");
    Key(Qt::Key_Down);
    EXPECT_EQ(Command(), "C");
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Command(), "A");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Command(), "C");
    ui->ComboBox1->setEditText("xyz");
    Key(Qt::Key_Up);
    EXPECT_EQ(Command(), "A");
}

TEST_F(MonitorTest, TheDropDownListsMatchingHistory)
{
    Open();
    for (const char *c : {"$PDODU", "$X", "$PTNT"}) Type(c);
    ui->ComboBox1->setEditText("$P");
    MonitorForm->ComboBox1DropDown();
    QStringList items;
    for (int i = 0; i < ui->ComboBox1->count(); ++i) items << ui->ComboBox1->itemText(i);
    EXPECT_EQ(items, (QStringList{"$P", "$PDODU", "$PTNT"}));
    EXPECT_EQ(Command(), "$P");
}

TEST_F(MonitorTest, OpeningASourceOpensTheMonitorEmpty)
{
    QTemporaryDir dir;
    QString path = dir.filePath("replay.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20; ++i) f.write(QString("line %1\r\n").arg(i).toLatin1());
    f.close();

    Open();
    Receive("old\r\n");
    MainForm->ui->SerialMonitor1->trigger();   // closed again
    dialogAnswers << path;
    DataSourceForm->RadioFileClick(nullptr);
    DataSourceForm->Button3Click();
    DataSourceForm->ui->Edit1->setText("1");
    DataSourceForm->Button4Click();
    DataSourceForm->Button1Click(nullptr);
    ASSERT_TRUE(DataSourceForm->Connected);
    ASSERT_NE(MonitorForm, nullptr);
    ui = MonitorForm->ui.get();
    MonitorForm->RefreshPanes();
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "");
    EXPECT_EQ(MonitorForm->windowTitle(), "Monitor: File: replay.txt  - opened");
    EXPECT_TRUE(ui->GroupBox3->isVisible());
    EXPECT_EQ(ui->Button3->text(), "Disconnect");
    EXPECT_EQ(ui->Edit1->text(), "1");

    // Playing: Play off, Pause and Step on.
    EXPECT_FALSE(ui->SpeedButton1->isEnabled());
    EXPECT_TRUE(ui->SpeedButton2->isEnabled());
    EXPECT_TRUE(ui->SpeedButton3->isEnabled());

    ui->SpeedButton2->click();   // Pause
    EXPECT_FALSE(DataSourceForm->Timer1->isActive());
    EXPECT_TRUE(ui->SpeedButton1->isEnabled());
    EXPECT_FALSE(ui->SpeedButton2->isEnabled());

    ui->SpeedButton3->click();   // one line
    ASSERT_TRUE(QTest::qWaitFor([&] { MonitorForm->RefreshPanes(); return ui->RichEdit1->toPlainText() == "line 0\n"; }, 2000));
    EXPECT_FALSE(DataSourceForm->Timer1->isActive());

    ui->Edit1->setText("500");
    ui->Button1->click();   // Set goes through the data-source window's check
    EXPECT_EQ(DataSourceForm->LinesPerSecond, 500);
    ui->Edit1->setText("501");
    ui->Button1->click();
    EXPECT_EQ(boxes.back().second, "Illegal value for Lines per Second");
    EXPECT_EQ(ui->Edit1->text(), "500");

    ui->SpeedButton1->click();   // Play
    EXPECT_TRUE(DataSourceForm->Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { MonitorForm->RefreshPanes(); return ui->RichEdit1->toPlainText().contains("line 19"); }, 3000));

    ui->Button3->click();   // Disconnect through the data-source window
    EXPECT_FALSE(DataSourceForm->Connected);
    EXPECT_EQ(MonitorForm->windowTitle(), "Monitor: No datasource connected");
    EXPECT_FALSE(ui->SpeedButton1->isEnabled());
    EXPECT_FALSE(ui->SpeedButton2->isEnabled());
    EXPECT_FALSE(ui->SpeedButton3->isEnabled());
}
