#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>
#include <sys/stat.h>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "link/datasource.h"
#include "link/scriptform.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_scriptform.h"

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void WriteAll(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class ScriptFormTest : public WindowTest {
protected:
    QTemporaryDir dir;
    TScriptForm *sf = nullptr;
    Ui::TScriptForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        sf = ScriptForm;
        ui = sf->ui.get();
    }
    QString Path(const QString &name) const { return dir.filePath(name); }
    QString Script(const QByteArray &text, const QString &name = "test.scp")
    {
        WriteAll(Path(name), text);
        return Path(name);
    }
    void Run(const QString &path)
    {
        dialogAnswers << path;
        sf->LoadScript();
    }
    QStringList Memo() const { return ui->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }
    bool WaitForEnd(int ms = 10000)
    {
        return QTest::qWaitFor([&] { return !sf->Running; }, ms);
    }
    void ExpectIdle()
    {
        EXPECT_FALSE(sf->Running);
        EXPECT_FALSE(sf->Timer1->isActive());
        EXPECT_TRUE(ui->ChooseButton->isEnabled());
        EXPECT_FALSE(ui->WaitButton->isEnabled());
        EXPECT_EQ(ui->WaitButton->text(), "Wait");
        EXPECT_EQ(TScriptForm::Tag(ui->WaitButton), 1);
        EXPECT_EQ(ui->CloseButton->text(), "Close");
        EXPECT_EQ(TScriptForm::Tag(ui->CloseButton), 0);
    }
};

// ---------------------------------------------------------------------------
// The dialog
// ---------------------------------------------------------------------------

TEST_F(ScriptFormTest, IsMadeAtStartUpIdle)
{
    EXPECT_EQ(sf->parent(), MainForm);
    EXPECT_FALSE(sf->isVisible());
    EXPECT_EQ(sf->windowTitle(), "Scripting...");
    const std::pair<QLabel *, const char *> labels[] = {
        {ui->Label2, "Command:"},      {ui->Label6, "Response:"},       {ui->Label7, "Timeout:"},
        {ui->Label1, "Number of tries:"}, {ui->Label5, "Status:"},      {ui->Label3, "Progress:"},
        {ui->CommandLabel, "---"},     {ui->ResponseLabel, "---"},      {ui->TimeoutLabel, "-/-"},
        {ui->TryLabel, "-/-"},         {ui->StatusLabel, "All commands sent"}, {ui->ProgressLabel, "(0/0)"},
    };
    for (auto [label, text] : labels) EXPECT_EQ(label->text(), text) << label->objectName().toStdString();
    EXPECT_EQ(ui->ProgressBar1->maximum(), 1);
    EXPECT_EQ(ui->ProgressBar1->value(), 1);
    EXPECT_EQ(ui->ChooseButton->text(), "Choose");
    EXPECT_EQ(ui->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(ui->Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(sf->Timer1->interval(), 1500);
    EXPECT_EQ(sf->OpenScriptDialog.Title, "Open script file");
    EXPECT_EQ(sf->OpenScriptDialog.DefaultExt, "scp");
    EXPECT_EQ(sf->OpenScriptDialog.Filter, "Script files (*.scp)|*.scp|Text files (*.txt)|*.txt|All files (*.*)|*.*");
    EXPECT_EQ(sf->DefaultTimeout, 2);
    EXPECT_EQ(sf->DefaultTries, 1);
    ExpectIdle();
}

TEST_F(ScriptFormTest, SendScriptShowsTheDialogModallyWithTheLastScriptFolder)
{
    WriteSetting("ScriptDirectory", dir.path() + "/");
    bool shownModal = false;
    QString initialDir;
    QTimer::singleShot(0, [&] {
        shownModal = sf->isVisible() && sf->isModal();
        initialDir = sf->OpenScriptDialog.InitialDir;
        QTest::mouseClick(ui->CloseButton, Qt::LeftButton);
    });
    MainForm->ui->Script1->setEnabled(true);
    MainForm->ui->Script1->trigger();
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(sf->isVisible());
    EXPECT_EQ(sf->ScriptKey, std::string(RegistryKey));
    EXPECT_EQ(initialDir, dir.path() + "/");
}

TEST_F(ScriptFormTest, TheFolderOfTheLastScriptIsStoredWhenTheDialogGoes)
{
    QTemporaryDir other;
    WriteAll(other.filePath("x.scp"), "% nothing\n");
    sf->SetScriptKey(RegistryKey);
    Run(other.filePath("x.scp"));
    ASSERT_TRUE(WaitForEnd());
    DestroyForms();
    SettingsStore store;
    EXPECT_EQ(store.ReadString("ScriptDirectory"), other.path() + "/");
}

TEST_F(ScriptFormTest, NoFolderIsStoredWithoutAKeyOrAChosenScript)
{
    sf->SetScriptKey(RegistryKey);
    DestroyForms();
    SettingsStore store;
    EXPECT_FALSE(store.Has("ScriptDirectory"));
}

TEST_F(ScriptFormTest, ScriptsThatCannotBeLoadedAreReportedAndNothingStarts)
{
    WriteAll(Path("empty.scp"), "");
    QDir().mkpath(Path("folder.scp"));
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe.scp")).constData(), 0600), 0);
    {
        QFile big(Path("big.scp"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(static_cast<qint64>(ScriptSender::MaxScriptSize) + 1));
    }
    struct Case {
        QString answer;   // empty: the dialog is cancelled
        QString message;
    };
    const Case cases[] = {
        {"", ""},
        {Path("missing.scp"), "Cannot open script file"},
        {Path("empty.scp"), "      Empty script file      "},
        {Path("folder.scp"), "Unable to upload scriptfile"},
        {Path("pipe.scp"), "Unable to upload scriptfile"},
        {Path("big.scp"), "Unable to upload scriptfile"},
    };
    for (const Case &c : cases) {
        boxes.clear();
        if (!c.answer.isEmpty()) dialogAnswers << c.answer;
        sf->LoadScript();
        if (c.message.isEmpty()) EXPECT_TRUE(boxes.empty());
        else EXPECT_EQ(boxes, (decltype(boxes){{"Error...", c.message}})) << c.answer.toStdString();
        ExpectIdle();
        EXPECT_TRUE(sf->Commands.empty());
        EXPECT_TRUE(Memo().isEmpty());
    }

    Run(Script("A\n#response never\n#timeout 60\n"));
    ASSERT_TRUE(sf->Running);
    boxes.clear();
    sf->LoadScript();
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "Script already running... Press cancel first"}}));
    EXPECT_EQ(sf->CommandCount(), 1);
}

TEST_F(ScriptFormTest, ARunStartsWithItsReportAndButtons)
{
    QString path = Script("A\n#response never\n#timeout 60\nB\n");
    Run(path);
    EXPECT_TRUE(sf->Running);
    EXPECT_TRUE(sf->Timer1->isActive());
    EXPECT_EQ(sf->Timer1->interval(), 10);
    EXPECT_FALSE(ui->ChooseButton->isEnabled());
    EXPECT_TRUE(ui->WaitButton->isEnabled());
    EXPECT_EQ(ui->CloseButton->text(), "Stop");
    EXPECT_EQ(TScriptForm::Tag(ui->CloseButton), 1);
    EXPECT_EQ(ui->ProgressBar1->value(), 0);
    EXPECT_EQ(ui->ProgressBar1->maximum(), 2);
    EXPECT_EQ(Memo(), QStringList{"---- Starting script file: " + path + " ----"});

    ASSERT_TRUE(QTest::qWaitFor([&] { return sf->Timer1->interval() == 200; }, 2000));
    EXPECT_EQ(ui->CommandLabel->text(), "A");
    EXPECT_EQ(ui->ResponseLabel->text(), "never");
    EXPECT_EQ(ui->TimeoutLabel->text(), "0/60");
    EXPECT_EQ(ui->TryLabel->text(), "1/1");
    EXPECT_EQ(ui->StatusLabel->text(), "Command sent, waiting for response");
    EXPECT_EQ(ui->ProgressLabel->text(), "(0/2)");
}

TEST_F(ScriptFormTest, StopEndsTheRunAndKeepsTheDialogAndItsLogOpen)
{
    sf->show();
    Run(Script("#logfile stop.log\nA\n#response never\n#timeout 60\nB\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->StatusLabel->text() == "Command sent, waiting for response"; }, 2000));
    ASSERT_TRUE(MainForm->Recording);
    QTest::mouseClick(ui->CloseButton, Qt::LeftButton);
    ExpectIdle();
    EXPECT_TRUE(sf->Commands.empty());
    EXPECT_TRUE(sf->isVisible());
    EXPECT_TRUE(MainForm->Recording);   // until the user ends it in the main window
    QStringList memo = Memo();
    QTest::qWait(300);
    EXPECT_EQ(Memo(), memo);   // no step after the stop
    QTest::mouseClick(ui->CloseButton, Qt::LeftButton);
    EXPECT_FALSE(sf->isVisible());
}

TEST_F(ScriptFormTest, ClosingTheDialogAnyWayEndsTheRun)
{
    for (int way = 0; way < 2; ++way) {
        sf->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sf));
        Run(Script("A\n#response never\n#timeout 60\n"));
        ASSERT_TRUE(sf->Running);
        if (way == 0) sf->close();
        else QTest::keyClick(sf, Qt::Key_Escape);
        EXPECT_FALSE(sf->isVisible()) << way;
        ExpectIdle();
    }
}

TEST_F(ScriptFormTest, WithoutAConnectionCommandsFailAndTheRouterStillHandsOnReplies)
{
    Run(Script("Q1\n#response R1\n#timeout 0\nQ2\n#response R2\n#timeout 60\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->CommandLabel->text() == "Q2"; }, 3000));
    MainForm->ReceiveData("partial R");
    QTest::qWait(300);
    EXPECT_TRUE(sf->Running);
    MainForm->ReceiveData("2 and more\r\n");
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo().mid(1), (QStringList{"1 - Sending: Q1", "1 - Awaiting: R1", "1 - Command FAILED", "2 - Sending: Q2",
                                          "2 - Awaiting: R2", "2 - Command successful",
                                          "---- End sending script: 1 of 2 commands successful ----"}));
    EXPECT_EQ(ui->CommandLabel->text(), "---");
    EXPECT_EQ(ui->ResponseLabel->text(), "---");
    EXPECT_EQ(ui->TimeoutLabel->text(), "-/-");
    EXPECT_EQ(ui->TryLabel->text(), "-/-");
    EXPECT_EQ(ui->StatusLabel->text(), "All commands sent");
    EXPECT_EQ(ui->ProgressLabel->text(), "(2/2)");
    EXPECT_EQ(ui->ProgressBar1->value(), 2);
    ExpectIdle();
}

TEST_F(ScriptFormTest, AScriptOfCommentsEndsAtOnceWithAFullBar)
{
    Run(Script("% only a comment"));
    ASSERT_TRUE(WaitForEnd(1000));
    EXPECT_EQ(Memo().last(), "---- End sending script: 0 of 0 commands successful ----");
    EXPECT_EQ(ui->ProgressLabel->text(), "(0/0)");
    EXPECT_EQ(ui->ProgressBar1->value(), ui->ProgressBar1->maximum());
    EXPECT_GT(ui->ProgressBar1->maximum(), 0);   // no busy animation
}

TEST_F(ScriptFormTest, CommandsAndRepliesShowAsPlainText)
{
    Run(Script("<b>bold</b>\n#response <i>x</i>\n#timeout 60\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->CommandLabel->text() == "<b>bold</b>"; }, 2000));
    EXPECT_EQ(ui->CommandLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(ui->ResponseLabel->textFormat(), Qt::PlainText);
}

TEST_F(ScriptFormTest, TheReportKeepsItsNewestLines)
{
    QByteArray script;
    for (int i = 0; i < 5100; ++i) script += "C" + QByteArray::number(i) + "\n";
    Run(Script(script));
    sf->Timer1->stop();
    int steps = 0;
    while (sf->Running && steps < 6000) {
        sf->Timer1Timer();
        ++steps;
    }
    EXPECT_FALSE(sf->Running);
    QStringList memo = Memo();
    EXPECT_EQ(memo.size(), TScriptForm::MaxMemoLines);
    EXPECT_EQ(memo.last(), "---- End sending script: 5100 of 5100 commands successful ----");
    EXPECT_EQ(memo[memo.size() - 3], "5100 - Sending: C5099");
}

// ---------------------------------------------------------------------------
// End to end: a receiver on a TCP/IP socket
// ---------------------------------------------------------------------------

class ScriptOverTcpTest : public ScriptFormTest {
protected:
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    QByteArray pending;
    std::map<QByteArray, QByteArray> replies;   // command -> the receiver's answer
    int replyDelayMs = 300;
    QStringList events;                          // "rx <command>", "tx <reply>"

    void SetUp() override
    {
        ScriptFormTest::SetUp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { Receive(); });
        });
        TDataSourceForm *ds = DataSourceForm;
        ds->RadioTCPIPClick(nullptr);
        ds->ui->Edit6->setText("127.0.0.1");
        ds->ui->Edit7->setText(QString::number(server.serverPort()));
        ds->Button1Click(nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer && ds->ui->Label9->text() == "Connected to 127.0.0.1"; }, 5000));
        MainForm->File1Click();
        ASSERT_TRUE(MainForm->ui->Script1->isEnabled());
    }
    // The receiver: every command line is logged and, when it has an answer,
    // answered a moment later.
    void Receive()
    {
        pending += peer->readAll();
        for (qsizetype end; (end = pending.indexOf("\r\n")) >= 0;) {
            QByteArray command = pending.left(end);
            pending.remove(0, end + 2);
            events << "rx " + QString::fromLatin1(command);
            auto reply = replies.find(command);
            if (reply == replies.end()) continue;
            QByteArray answer = reply->second;
            QTimer::singleShot(replyDelayMs, peer, [this, answer] { Answer(answer); });
        }
    }
    void Answer(const QByteArray &answer)
    {
        events << "tx " + QString::fromLatin1(answer);
        peer->write(answer + "\r\n");
    }
};

TEST_F(ScriptOverTcpTest, EachCommandGoesOutOnlyAfterItsReplyOrItsLastTryAndTheLogRecordsTheRun)
{
    replies = {{"LOG A", "$DODU,ACK,LOG A*00"}, {"LOG C", "ignored"}};
    QString path = Script("% end to end\r\n"
                          "#logfile run.log\r\n"
                          "LOG A\r\n"
                          "#response ACK,LOG A\r\n"
                          "LOG B\r\n"
                          "#response ACK,LOG B\r\n"
                          "#timeout 0\r\n"
                          "#tries 2\r\n"
                          "LOG C\r\n");
    Run(path);
    ASSERT_TRUE(WaitForEnd());
    QString log = Path("run.log");
    EXPECT_EQ(events.mid(0, 5), (QStringList{"rx LOG A", "tx $DODU,ACK,LOG A*00", "rx LOG B", "rx LOG B", "rx LOG C"}));
    EXPECT_EQ(Memo(), (QStringList{"---- Starting script file: " + path + " ----", "1 - Logfile: " + log + " opened",
                                   "1 - Sending: LOG A", "1 - Awaiting: ACK,LOG A", "1 - Command successful",
                                   "2 - Sending: LOG B", "2 - Awaiting: ACK,LOG B", "2 - Retry 2: LOG B",
                                   "2 - Command FAILED", "3 - Sending: LOG C", "3 - Command successful",
                                   "---- End sending script: 2 of 3 commands successful ----"}));
    EXPECT_TRUE(MainForm->Recording);   // the log stays open after the script
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 6; }, 2000));
    EXPECT_EQ(events[5], "tx ignored");   // the answer nobody waited for
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(log).endsWith("ignored\r\n"); }, 2000));
    EXPECT_EQ(ReadAll(log), "In> LOG A\r\n$DODU,ACK,LOG A*00\r\nIn> LOG B\r\nIn> LOG B\r\nIn> LOG C\r\nignored\r\n");
}

TEST_F(ScriptOverTcpTest, ARunPausedWaitsWithoutTimingOutAndAReplyMeanwhileCounts)
{
    replies = {{"NEXT", "done"}};
    Run(Script("ASK\n#response ANSWER\n#timeout 1\nNEXT\n#response done\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("rx ASK"); }, 2000));
    QTest::mouseClick(ui->WaitButton, Qt::LeftButton);
    EXPECT_EQ(ui->WaitButton->text(), "Continue");
    EXPECT_EQ(TScriptForm::Tag(ui->WaitButton), 0);
    EXPECT_FALSE(sf->Timer1->isActive());
    QTest::qWait(1500);   // longer than the time-out
    Answer("ANSWER");
    QTest::qWait(300);
    EXPECT_EQ(ui->StatusLabel->text(), "Command sent, waiting for response");
    EXPECT_FALSE(Memo().contains("1 - Command successful"));

    QTest::mouseClick(ui->WaitButton, Qt::LeftButton);
    EXPECT_EQ(ui->WaitButton->text(), "Wait");
    EXPECT_EQ(TScriptForm::Tag(ui->WaitButton), 1);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(events, (QStringList{"rx ASK", "tx ANSWER", "rx NEXT", "tx done"}));
    EXPECT_EQ(Memo().last(), "---- End sending script: 2 of 2 commands successful ----");
    EXPECT_FALSE(Memo().join('\n').contains("Retry"));
}

TEST_F(ScriptOverTcpTest, TheLogNameCanCarryTheDateAndTime)
{
    QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    Run(Script("#datetimetologfilename 1\n#logfile " + Path("stamped.log").toUtf8() + "\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QStringList found = QDir(dir.path()).entryList({"*stamped.log"}, QDir::Files);
    ASSERT_EQ(found.size(), 1);
    QRegularExpressionMatch m = QRegularExpression("^(\\d{8}_\\d{6})_stamped\\.log$").match(found[0]);
    ASSERT_TRUE(m.hasMatch()) << found[0].toStdString();
    QDateTime stamp = QDateTime::fromString(m.captured(1), "yyyyMMdd_HHmmss");
    EXPECT_TRUE(stamp >= before && stamp <= after) << found[0].toStdString();
    EXPECT_EQ(Memo()[1], "1 - Logfile: " + Path(found[0]) + " opened");
    EXPECT_EQ(ReadAll(Path(found[0])), "In> PING\r\n");
}

TEST_F(ScriptOverTcpTest, AnExistingLogIsReplacedOnlyWhenTheScriptAllowsIt)
{
    QString log = Path("kept.log");
    WriteAll(log, "older run\n");
    Run(Script("#logfile kept.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo()[1], "1 - Cannot overwrite logfile " + log);
    EXPECT_EQ(Memo().last(), "---- End sending script: 1 of 1 commands successful ----");
    EXPECT_FALSE(MainForm->Recording);
    EXPECT_EQ(ReadAll(log), "older run\n");
    EXPECT_EQ(events, QStringList{"rx PING"});

    Run(Script("#overwritelogfile 1\n#logfile kept.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Memo().contains("1 - Logfile: " + log + " opened"));
    EXPECT_EQ(ReadAll(log), "In> PING\r\n");
}

TEST_F(ScriptOverTcpTest, ALogIsNotOpenedOverARecordingAlreadyRunning)
{
    QString own = Path("own.log");
    MainForm->SaveDialog1.FileName = own;
    ASSERT_TRUE(MainForm->StartRecording(false));
    Run(Script("#logfile script.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo()[1], "1 - Cannot open logfile, another already opened");
    EXPECT_FALSE(QFileInfo::exists(Path("script.log")));
    EXPECT_EQ(MainForm->SaveDialog1.FileName, own);
    EXPECT_EQ(ReadAll(own), "In> PING\r\n");
}

TEST_F(ScriptOverTcpTest, ALogThatCannotBeMadeIsReportedAndTheRunGoesOn)
{
    Run(Script("#logfile /nonexistent-folder/x.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo()[1], "1 - Cannot open logfile /nonexistent-folder/x.log");
    EXPECT_TRUE(boxes.empty());   // quietly: only the report says so
    EXPECT_EQ(events, QStringList{"rx PING"});
    EXPECT_FALSE(MainForm->Recording);
}

TEST_F(ScriptOverTcpTest, TheCommandsOwnEchoIsNoReply)
{
    Run(Script("VERSION\n#response VERSION\n#timeout 0\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(events, QStringList{"rx VERSION"});
    EXPECT_EQ(Memo().mid(1), (QStringList{"1 - Sending: VERSION", "1 - Awaiting: VERSION", "1 - Command FAILED",
                                          "---- End sending script: 0 of 1 commands successful ----"}));
}
