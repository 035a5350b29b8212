// The main window: recording, router, locale,
// and exceptions escaping a handler.
#include <QDir>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <stdexcept>

#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMenu>

#include "app/formatsi.h"
#include "gui_test_support.h"
#include "link/monitorform.h"
#include "logs/dasfaform.h"
#include "plots/eurofixform.h"
#include "plots/loransound.h"
#include "ui_loransound.h"
#include "ui_monitorform.h"
#include "platform/locale.h"
#include "sentence/fields.h"
#include "sentence/numfmt.h"
#include "ui_mainform.h"

class MainFormTest : public WindowTest {};

TEST_F(MainFormTest, RecordingWritesTheStreamExactlyAsReceivedAndStopsOnAFullDisk)
{
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    QString path = dir.filePath("log.txt");
    CreateForms();
    MainForm->Save1Click();   // the dialog cancelled
    EXPECT_FALSE(MainForm->Recording);
    dialogAnswers << path;
    MainForm->Save1Click();
    ASSERT_TRUE(MainForm->Recording);
    EXPECT_TRUE(MainForm->StartRecording(false));   // already recording: nothing changes
    QByteArray chunk1("$GPGGA,1*4B\r\nIn> cmd\n"), chunk2("\x01\x02\xff\r", 4);
    MainForm->ReceiveData(chunk1);
    MainForm->ReceiveData(QByteArray());
    MainForm->ReceiveData(chunk2);
    MainForm->Timer1Timer();
    EXPECT_EQ(MainForm->StatusBar1->PanelText(0), "  25 B logged to log.txt");
    MainForm->BytesLogged = 123456.0f;
    EXPECT_EQ(MainForm->LoggedText(), " 123.5 kB logged to log.txt");
    MainForm->Save1Click();
    EXPECT_FALSE(MainForm->Recording);
    EXPECT_EQ(MainForm->StatusBar1->PanelText(0), "No data recording");
    EXPECT_EQ(ReadBytes(path), chunk1 + chunk2);

    MainForm->SaveDialog1.FileName = "/nonexistent-dir/x/log.txt";
    EXPECT_FALSE(MainForm->StartRecording(true));   // quietly
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(MainForm->StartRecording(false));
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("   Cannot open file to save loginfo   ")));
    dialogAnswers << "/dev/full";
    MainForm->Save1Click();
    ASSERT_TRUE(MainForm->Recording);
    MainForm->ReceiveData("$GPGGA,1*4B\r\n");
    EXPECT_FALSE(MainForm->Recording);
    EXPECT_EQ(MainForm->StatusBar1->PanelText(0), "No data recording");
    EXPECT_EQ(LastBox(), std::make_pair(QString("Error..."), QString("   Cannot write to output file   \n           Closing file!")));
}

TEST_F(MainFormTest, TheRouterGoesOnAfterAnExceptionAndResetViewsDropsThePartialLine)
{
    CreateForms();
    QTimer::singleShot(0, [] { throw std::runtime_error("view failed"); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 5000));
    EXPECT_EQ(boxes, (decltype(boxes){{"Roduz/Everore Ved Ovuvozed", "view failed"}}));
    MainForm->ReceiveData("$GPGGA,1*4B\r\n$GPG");
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,1*4B");
    EXPECT_EQ(MainForm->PendingLineLength(), 4);
    MainForm->ResetViews();
    EXPECT_EQ(MainForm->PendingLineLength(), 0);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,1*4B");   // the store survives
}

// The main window's popup menu belongs to a right press on the frame's own
// area and to one on its status bar; a right press inside a child window stays
// there, used or not, and the Eurofix window keeps its own menu.
TEST_F(MainFormTest, ThePopupMenuOpensFromTheFrameAndItsStatusBarOnly)
{
    CreateForms();
    MainForm->show();
    Ui::TMainForm *ui = MainForm->ui.get();
    ui->DASFA1->trigger();
    ui->LoranSound1->trigger();
    ui->SerialMonitor1->trigger();
    ASSERT_TRUE(DASFAForm && LoranSoundForm && MonitorForm);
    MainForm->WindowTileHorizontal1Execute();
    QCoreApplication::processEvents();
    // The right press a user makes: through the application, so that an
    // unused press travels up as it would.
    auto menuAfterRightPress = [](QWidget *w, QPoint at) {
        QTest::mousePress(w, Qt::RightButton, Qt::NoModifier, at);
        QWidget *popup = QApplication::activePopupWidget();
        QTest::mouseRelease(w, Qt::RightButton, Qt::NoModifier, at);
        if (popup) popup->close();
        return popup;
    };
    const std::pair<QWidget *, const char *> children[] = {
        {DASFAForm->Grid, "DASFA grid"}, {DASFAForm->Client(), "DASFA window"},
        {LoranSoundForm->ui->Label1, "Loran sound label"}, {LoranSoundForm->Client(), "Loran sound window"},
        {MonitorForm->ui->GroupBox1, "monitor data group"}, {MonitorForm->ui->GroupBox4, "monitor select group"},
        {MonitorForm->Client(), "monitor window"}, {MonitorForm, "monitor title bar"}};
    for (auto [w, name] : children) {
        ASSERT_TRUE(w->isVisible()) << name;
        const QPoint at = w == MonitorForm ? QPoint(w->width() / 2, MonitorForm->FrameSize().height() / 2) : QPoint(2, 2);
        EXPECT_EQ(menuAfterRightPress(w, at), nullptr) << name;
    }
    // A free spot of the frame's client area.
    QWidget *area = MainForm->ClientArea->viewport();
    QPoint free(-1, -1);
    for (int y = area->height() - 1; y > 0 && free.x() < 0; y -= 4)
        for (int x = area->width() - 1; x > 0 && free.x() < 0; x -= 4)
            if (!area->childAt(x, y)) free = QPoint(x, y);
    ASSERT_GE(free.x(), 0);
    EXPECT_EQ(menuAfterRightPress(area, free), MainForm->PopupMenu1);
    EXPECT_EQ(menuAfterRightPress(MainForm->StatusBar1, QPoint(5, 5)), MainForm->PopupMenu1);

    EurofixForm->show();
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), EurofixForm->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(EurofixForm, &request);
    EXPECT_EQ(QApplication::activePopupWidget(), EurofixForm->PopupMenu1);
    if (QWidget *popup = QApplication::activePopupWidget()) popup->close();
}

TEST(Locale, ADecimalCommaLocaleChangesNeitherParsingNorDisplay)
{
    // A German locale (decimal comma) built in a throw-away folder, the whole
    // process switched to it as the user's environment would.
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    QString target = dir.filePath("de_DE.UTF-8");
    ASSERT_EQ(std::system(QString("localedef -i de_DE -f UTF-8 '%1' >/dev/null 2>&1").arg(target).toLocal8Bit().constData()), 0);
    qputenv("LOCPATH", dir.path().toLocal8Bit());
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    double d = 0;
    ASSERT_EQ(ParseDouble("1,5", &d), 0) << "the comma locale is not in effect";
    UseDotDecimalSeparator();
    EXPECT_EQ(ParseDouble("1,5", &d), 1);
    EXPECT_EQ(ParseDouble("1.5", &d), 0);
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(FormatFixed(1.5, 6, 2), "1.50");
    EXPECT_EQ(FormatExponent(-1.5, 5, 2), "-1.5000E+00");
    EXPECT_EQ(FormatSI(1234.0f, 4), " 1.234 k");
    EXPECT_EQ(QLocale().toString(1.5), "1.5");
    std::setlocale(LC_ALL, "C");
    qunsetenv("LOCPATH");
}
