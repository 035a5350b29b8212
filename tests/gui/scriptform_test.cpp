// The script window: loading, the run stepped by its timer, stop, pause and
// close, the report; end to end against a receiver on a TCP/IP socket.
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <map>
#include <sys/stat.h>

#include "gui_test_support.h"
#include "link/datasource.h"
#include "link/scriptform.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_scriptform.h"

class ScriptFormTest : public WindowTest {
protected:
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    TScriptForm *sf = nullptr;
    Ui::TScriptForm *ui = nullptr;

    QString home = QDir::currentPath();

    // The program runs in the test's folder: a log named without its folder lands there.
    void SetUp() override
    {
        WindowTest::SetUp();
        QDir::setCurrent(dir.path());
        CreateForms();
        ui = (sf = ScriptForm)->ui.get();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        QDir::setCurrent(home);
    }
    QString Path(const QString &name) const { return dir.filePath(name); }
    QString Script(const QByteArray &text, const QString &name = "test.scp")
    {
        QFileInfo where(QDir::isAbsolutePath(name) ? name : Path(name));
        QDir().mkpath(where.absolutePath());
        QFile f(where.filePath());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
    void Run(const QString &path) { dialogAnswers << path; sf->LoadScript(); }
    QStringList Memo() const { return ui->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }
    bool WaitForEnd() { return QTest::qWaitFor([&] { return !sf->Running; }, 10000); }
    void ExpectIdle()
    {
        EXPECT_FALSE(sf->Running || sf->Timer1->isActive() || ui->WaitButton->isEnabled());
        EXPECT_TRUE(ui->ChooseButton->isEnabled());
        EXPECT_EQ(ui->CloseButton->text(), "Close");
    }
};

TEST_F(ScriptFormTest, ScriptsThatCannotBeLoadedAreReportedAndNothingStarts)
{
    Script("", "empty.scp");
    QDir().mkpath(Path("folder.scp"));
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe.scp")).constData(), 0600), 0);
    QFile big(Path("big.scp"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(static_cast<qint64>(ScriptSender::MaxScriptSize) + 1));
    const std::pair<QString, QString> cases[] = {
        {"", ""},   // the dialog cancelled
        {Path("missing.scp"), "Cannot open script file"},
        {Path("empty.scp"), "      Empty script file      "},
        {Path("folder.scp"), "Unable to upload scriptfile"},
        {Path("pipe.scp"), "Unable to upload scriptfile"},
        {Path("big.scp"), "Unable to upload scriptfile"},
    };
    for (const auto &[answer, message] : cases) {
        boxes.clear();
        if (!answer.isEmpty()) dialogAnswers << answer;
        sf->LoadScript();
        if (message.isEmpty()) EXPECT_TRUE(boxes.empty());
        else EXPECT_EQ(boxes, (decltype(boxes){{"Error...", message}})) << answer.toStdString();
        ExpectIdle();
        EXPECT_TRUE(Memo().isEmpty());
    }
    Run(Script("% only a comment"));   // ends at once with a full bar, no busy animation
    ASSERT_TRUE(WaitForEnd());
    EXPECT_GT(ui->ProgressBar1->maximum(), 0);
    EXPECT_EQ(ui->ProgressBar1->value(), ui->ProgressBar1->maximum());
    Run(Script("A\n#response never\n#timeout 60\n"));
    ASSERT_TRUE(sf->Running);
    boxes.clear();
    sf->LoadScript();
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "Script already running... Press cancel first"}}));
}

TEST_F(ScriptFormTest, StopOrClosingEndsTheRunAndTheLogStaysOpen)
{
    sf->show();
    QString path = Script("#logfile stop.log\n<b>A</b>\n#response <i>x</i>\n#timeout 60\nB\n");
    Run(path);
    EXPECT_FALSE(ui->ChooseButton->isEnabled());
    EXPECT_EQ(ui->CloseButton->text(), "Stop");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->StatusLabel->text() == "Command sent, waiting for response"; }, 10000));
    EXPECT_EQ(ui->CommandLabel->text(), "<b>A</b>");
    EXPECT_EQ(ui->CommandLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(ui->ResponseLabel->textFormat(), Qt::PlainText);
    ASSERT_TRUE(MainForm->Recording);
    QTest::mouseClick(ui->CloseButton, Qt::LeftButton);
    ExpectIdle();
    EXPECT_TRUE(sf->isVisible());
    EXPECT_TRUE(MainForm->Recording);   // until the user ends it in the main window
    const QStringList memo = Memo();
    ASSERT_TRUE(WouldHaveTicked(sf->Timer1));
    EXPECT_EQ(Memo(), memo);   // no step after the stop

    for (int way = 0; way < 2; ++way) {
        ShowAndWait(sf);
        Run(Script("A\n#response never\n#timeout 60\n"));
        ASSERT_TRUE(sf->Running);
        way == 0 ? (void)sf->close() : QTest::keyClick(sf, Qt::Key_Escape);
        EXPECT_FALSE(sf->isVisible()) << way;
        ExpectIdle();
    }
}

TEST_F(ScriptFormTest, TheReportKeepsItsNewestLines)
{
    QByteArray script;
    for (int i = 0; i < 5100; ++i) script += "C" + QByteArray::number(i) + "\n";
    Run(Script(script));
    sf->Timer1->stop();
    for (int steps = 0; sf->Running && steps < 6000; ++steps) sf->Timer1Timer();
    EXPECT_EQ(Memo().size(), TScriptForm::MaxMemoLines);
    EXPECT_EQ(Memo().last(), "---- End sending script: 5100 of 5100 commands successful ----");
}

TEST_F(ScriptFormTest, ARunPausedWaitsWithoutTimingOutAndAReplyMeanwhileCounts)
{
    Run(Script("ASK\n#response ANSWER\n#timeout 1\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->StatusLabel->text() == "Command sent, waiting for response"; }, 10000));
    QTest::mouseClick(ui->WaitButton, Qt::LeftButton);
    EXPECT_EQ(ui->WaitButton->text(), "Continue");
    QTest::qWait(1500);   // longer than the time-out
    MainForm->ReceiveData("ANSWER\r\n");
    ASSERT_TRUE(WouldHaveTicked(sf->Timer1));
    EXPECT_FALSE(Memo().contains("1 - Command successful"));
    QTest::mouseClick(ui->WaitButton, Qt::LeftButton);
    EXPECT_EQ(ui->WaitButton->text(), "Wait");
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo().last(), "---- End sending script: 1 of 1 commands successful ----");
}

TEST_F(ScriptFormTest, TheLogNeitherReplacesAFileNorTakesOverARecording)
{
    const QString log = Script("older run\n", "kept.log");
    Run(Script("#logfile kept.log\nPING\n", "scripts/test.scp"));   // the name is taken as written
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Memo().contains("1 - Cannot overwrite logfile kept.log"));
    EXPECT_FALSE(MainForm->Recording);
    EXPECT_EQ(ReadBytes(log), "older run\n");
    Run(Script("#logfile /nonexistent-folder/x.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_FALSE(MainForm->Recording);
    EXPECT_TRUE(boxes.empty());   // quietly: only the report says so
    MainForm->SaveDialog1.FileName = Path("own.log");
    ASSERT_TRUE(MainForm->StartRecording(false));
    Run(Script("#logfile script.log\nPING\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Memo().contains("1 - Cannot open logfile, another already opened"));
    EXPECT_FALSE(QFileInfo::exists(Path("script.log")));
}

// A receiver on a TCP/IP socket: every command line is logged and, when it has
// an answer, answered a moment later.
class ScriptOverTcpTest : public ScriptFormTest {
protected:
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    QByteArray pending;
    std::map<QByteArray, QByteArray> replies;   // command -> the receiver's answer
    QStringList events;                          // "rx <command>", "tx <reply>"

    void SetUp() override
    {
        ScriptFormTest::SetUp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { Read(); });
        });
        TDataSourceForm *ds = DataSourceForm;
        ds->RadioTCPIPClick(nullptr);
        ds->ui->Edit6->setText("127.0.0.1");
        ds->ui->Edit7->setText(QString::number(server.serverPort()));
        ds->Button1Click(nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer && ds->ui->Label9->text() == "Connected to 127.0.0.1"; }, 5000));
    }
    void Read()
    {
        pending += peer->readAll();
        for (qsizetype end; (end = pending.indexOf("\r\n")) >= 0;) {
            QByteArray command = pending.left(end);
            pending.remove(0, end + 2);
            events << "rx " + QString::fromLatin1(command);
            if (auto reply = replies.find(command); reply != replies.end())
                QTimer::singleShot(300, peer, [this, answer = reply->second] { Answer(answer); });
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
    replies = {{"LOG A", "$DODU,ACK,LOG A*00"}, {"LOG C", "ignored"}, {"VERSION", "x"}};
    QString path = Script("% end to end\r\n#logfile run.log\r\nLOG A\r\n#response ACK,LOG A\r\nLOG B\r\n"
                          "#response ACK,LOG B\r\n#timeout 0\r\n#tries 2\r\nLOG C\r\n");
    Run(path);
    ASSERT_TRUE(WaitForEnd());
    QString log = Path("run.log");
    EXPECT_EQ(events.mid(0, 5), (QStringList{"rx LOG A", "tx $DODU,ACK,LOG A*00", "rx LOG B", "rx LOG B", "rx LOG C"}));
    EXPECT_EQ(Memo(), (QStringList{"---- Starting script file: " + path + " ----", "1 - Logfile: run.log opened",
                                   "1 - Sending: LOG A", "1 - Awaiting: ACK,LOG A", "1 - Command successful",
                                   "2 - Sending: LOG B", "2 - Awaiting: ACK,LOG B", "2 - Retry 2: LOG B",
                                   "2 - Command FAILED", "3 - Sending: LOG C", "3 - Command successful",
                                   "---- End sending script: 2 of 3 commands successful ----"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadBytes(log).endsWith("ignored\r\n"); }, 10000));
    EXPECT_EQ(ReadBytes(log), "In> LOG A\r\n$DODU,ACK,LOG A*00\r\nIn> LOG B\r\nIn> LOG B\r\nIn> LOG C\r\nignored\r\n");
    EXPECT_TRUE(MainForm->Recording);   // the log stays open after the script

    // The command's own echo is no reply.
    events.clear();
    Run(Script("VERSION\n#response VERSION\n#timeout 0\n"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Memo().last(), "---- End sending script: 0 of 1 commands successful ----");
}
