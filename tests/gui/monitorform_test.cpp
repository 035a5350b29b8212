#include <QComboBox>
#include <QLineEdit>
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->RichEdit1->toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(ui->RichEdit1->toPlainText().count("line"), 50);
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

TEST_F(MonitorTest, TheFileControlsPlayPauseStepSetAndDisconnectAReplay)
{
    QTemporaryDir dir;
    QString path = dir.filePath("replay.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20; ++i) f.write(QString("line %1\r\n").arg(i).toLatin1());
    f.close();

    Receive("old\r\n");
    MainForm->ui->SerialMonitor1->trigger();   // closed again: opening the source opens it
    dialogAnswers << path;
    DataSourceForm->RadioFileClick(nullptr);
    DataSourceForm->Button3Click();
    DataSourceForm->Button1Click(nullptr);
    ASSERT_TRUE(DataSourceForm->Connected);
    ASSERT_NE(MonitorForm, nullptr);
    ui = MonitorForm->ui.get();
    MonitorForm->RefreshPanes();
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "");
    EXPECT_EQ(MonitorForm->windowTitle(), "Monitor: File: replay.txt  - opened");
    EXPECT_TRUE(ui->GroupBox3->isVisible());
    EXPECT_EQ(ui->Button3->text(), "Disconnect");
    auto buttons = [&] {
        return QString("%1%2%3").arg(ui->SpeedButton1->isEnabled()).arg(ui->SpeedButton2->isEnabled()).arg(ui->SpeedButton3->isEnabled());
    };
    EXPECT_EQ(buttons(), "011");   // playing

    ui->SpeedButton2->click();   // Pause
    EXPECT_FALSE(DataSourceForm->Timer1->isActive());
    EXPECT_EQ(buttons(), "101");
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
    EXPECT_EQ(buttons(), "000");
}
