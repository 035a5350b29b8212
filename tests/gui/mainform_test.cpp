// The main window: recording, router, locale,
// and exceptions escaping a handler.
#include <QDir>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <stdexcept>

#include "app/formatsi.h"
#include "gui_test_support.h"
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
