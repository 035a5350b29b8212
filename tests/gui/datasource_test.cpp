#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <random>
#include <thread>

#include "../core/pty_pair.h"
#include "../core/sentence_text.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "link/commthread.h"
#include "link/datasource.h"
#include "ui_datasource.h"
#include "ui_mainform.h"

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
}

QStringList Items(QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

} // namespace

class DataSourceTest : public WindowTest {
protected:
    QTemporaryDir dir;
    TDataSourceForm *ds = nullptr;
    Ui::TDataSourceForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        QDir(PortsFolder()).removeRecursively();
        QDir().mkpath(PortsFolder());
        CreateForms();
        ds = DataSourceForm;
        ui = ds->ui.get();
    }
    static QString PortsFolder() { return SettingsStore::Folder() + "/ports"; }
    // Points COMn at a device, the way a user points it at a USB adapter.
    static void LinkPort(int n, const std::string &device)
    {
        QFile::link(QString::fromStdString(device), PortsFolder() + QString("/com%1").arg(n));
    }
    // Records what reaches the router.
    QString Record()
    {
        QString path = dir.filePath("stream.txt");
        MainForm->SaveDialog1.FileName = path;
        EXPECT_TRUE(MainForm->StartRecording(true));
        return path;
    }
    // Runs the event loop freely (QTest::qWaitFor sleeps between rounds, which
    // would slow the replay timer down) until done or ms passed.
    static bool WaitFor(const std::function<bool()> &done, int ms = 5000)
    {
        if (done()) return true;
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (done() || clock.elapsed() > ms) loop.quit();
        });
        check.start(5);
        loop.exec();
        return done();
    }
    void ConnectSerial(int n)
    {
        ui->ComboBox1->setCurrentText(QString("COM%1").arg(n));
        ds->Button1Click(ui->Button1);
        ASSERT_TRUE(ds->Connected) << (boxes.empty() ? "" : boxes.back().second.toStdString());
    }
    void UseSocket(quint16 port)
    {
        ds->RadioTCPIPClick(nullptr);
        ui->Edit6->setText("127.0.0.1");
        ui->Edit7->setText(QString::number(port));
    }
    void UseFile(const QString &path, int linesPerSecond)
    {
        dialogAnswers << path;
        ds->RadioFileClick(nullptr);
        ds->Button3Click();
        ui->Edit1->setText(QString::number(linesPerSecond));
        ds->Button4Click();
    }
};

// ---------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, IsMadeAtStartUpWithItsDefaults)
{
    EXPECT_EQ(ds->parent(), MainForm);
    EXPECT_FALSE(ds->isVisible());
    EXPECT_EQ(ds->windowTitle(), "Data Connect:");
    EXPECT_EQ(ui->GroupBox1->title(), " Data Connection: ");
    EXPECT_EQ(ui->FileSettings->title(), " Settings: ");
    EXPECT_EQ(ui->GroupBox2->title(), " Monitor: ");
    EXPECT_TRUE(ui->RadioSerial->isChecked());
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_EQ(ui->Button1->text(), "Connect!");
    EXPECT_TRUE(ui->Button2->isDefault());
    EXPECT_EQ(Items(ui->ComboBox1).size(), 16);
    EXPECT_EQ(ui->ComboBox1->currentText() + ui->ComboBox2->currentText() + ui->ComboBox3->currentText() +
                  ui->ComboBox4->currentText() + ui->ComboBox5->currentText(),
              "COM19600None81");
    EXPECT_EQ(ui->Edit6->text() + ":" + ui->Edit7->text(), "127.0.0.1:2000");
    EXPECT_EQ(ui->Edit1->text(), "1");
    EXPECT_TRUE(ui->SerialSettings->isEnabled());
    EXPECT_FALSE(ui->TCPIPSettings->isEnabled());
    EXPECT_FALSE(ui->FileSettings->isEnabled());
    EXPECT_TRUE(ds->Timer1->isActive());
    EXPECT_EQ(ds->Timer1->interval(), 1000);
    EXPECT_TRUE(ds->Timer2->isActive());
    EXPECT_EQ(ds->Timer2->interval(), 10);
    EXPECT_EQ(ds->GetSourceKind(), 0);
    EXPECT_EQ(ds->GetStatusText(), "No datasource connected");
}

TEST_F(DataSourceTest, TheRadiosChooseOneSettingsGroupAndTheMenuItemShowsTheWindow)
{
    ds->RadioFileClick(nullptr);
    EXPECT_TRUE(ui->RadioFile->isChecked());
    EXPECT_TRUE(ui->FileSettings->isEnabled());
    EXPECT_FALSE(ui->SerialSettings->isEnabled());
    QTest::mouseClick(ui->RadioTCPIP, Qt::LeftButton);
    EXPECT_TRUE(ui->TCPIPSettings->isEnabled());
    EXPECT_FALSE(ui->FileSettings->isEnabled());

    MainForm->ui->DataSource->trigger();
    EXPECT_TRUE(ds->isVisible());
    EXPECT_EQ(ds->SettingsKey, std::string(RegistryKey));
    ds->BitBtn1Click();
    EXPECT_FALSE(ds->isVisible());
}

// ---------------------------------------------------------------------------
// Serial
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, TheSerialCheckRejectsWithItsMessagesAndLeavesEverythingElseAlone)
{
    MainForm->ReceiveData("$GPG");   // a partial line a view reset would drop
    struct Case {
        QComboBox *box;
        int index;
        QString text, message, after;
    };
    const Case cases[] = {
        {ui->ComboBox1, -1, "COMX", "Invalid comport", "COM1"},
        {ui->ComboBox1, -1, "COM", "Invalid comport", "COM1"},
        {ui->ComboBox1, -1, "ttyUSB0", "Invalid comport", "COM1"},
        {ui->ComboBox2, -1, "100", "Invalid baudrate", "9600"},
        {ui->ComboBox2, -1, "fast", "Invalid baudrate", "9600"},
        {ui->ComboBox4, -1, "", "Invalid number of databits", "8"},
    };
    for (const Case &c : cases) {
        boxes.clear();
        if (c.box->isEditable()) c.box->setCurrentText(c.text);
        else c.box->setCurrentIndex(c.index);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << c.text.toStdString();
        EXPECT_EQ(boxes[0].first, "Error...");
        EXPECT_EQ(boxes[0].second, c.message);
        EXPECT_EQ(c.box->currentText(), c.after);
        EXPECT_FALSE(ds->Connected);
    }
    EXPECT_EQ(MainForm->PendingLineLength(), 4);   // no view reset
    EXPECT_FALSE(ds->isVisible());                 // and the window not shown
    EXPECT_EQ(ui->Button1->text(), "Connect!");
}

TEST_F(DataSourceTest, AComNameInAnyCaseOpensTheDeviceItsLinkPointsAt)
{
    PtyPair pty;
    LinkPort(3, pty.SlaveName());
    ui->ComboBox1->setCurrentText("com3");
    ui->ComboBox2->setCurrentText("250000");
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(ds->Connected);
    EXPECT_EQ(ds->CommThread->Port.PortName(), (PortsFolder() + "/com3").toStdString());
    EXPECT_EQ(ds->CommThread->Port.Settings().BaudRate, 250000u);
    EXPECT_EQ(ui->Label9->text(), "Connected to com3");
    EXPECT_EQ(ds->GetSourceKind(), 1);
    EXPECT_EQ(ds->GetStatusText(), "Serial communication on com3");
    EXPECT_FALSE(ui->RadioTCPIP->isEnabled());
    EXPECT_FALSE(ui->SerialSettings->isEnabled());
    EXPECT_TRUE(ds->isVisible());
    ds->Button1Click(ui->Button1);
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_EQ(ui->Button1->text(), "Connect");
    EXPECT_TRUE(ui->RadioTCPIP->isEnabled());
    EXPECT_FALSE(ds->CommThread->Port.IsOpen());

    // An absolute device path works too.
    ui->ComboBox1->setCurrentText(QString::fromStdString(pty.SlaveName()));
    ds->Button1Click(ui->Button1);
    EXPECT_TRUE(ds->Connected);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, AConnectThatFailsLeavesNoPortOrWorkerBehind)
{
    PtyPair pty;
    LinkPort(4, pty.SlaveName());
    LinkPort(5, "/dev/no-such-adapter");
    int onPty = DescriptorsOn(pty.SlaveName());
    int onNull = DescriptorsOn("/dev/null");
    struct Case { const char *port; int parity; };
    for (Case c : {Case{"COM5", 0}, Case{"COM4", 2} /* the pty has no parity */, Case{"/dev/null", 0}}) {
        boxes.clear();
        ui->ComboBox1->setCurrentText(c.port);
        ui->ComboBox3->setCurrentIndex(c.parity);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << c.port;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error"), QString("Cannot open COM-port")));
        EXPECT_FALSE(ds->Connected);
        EXPECT_FALSE(ds->CommThread->Running());
        EXPECT_FALSE(ds->CommThread->Port.IsOpen());
        EXPECT_EQ(ui->Label9->text(), "Disconnected");
        EXPECT_TRUE(ui->RadioFile->isEnabled());
    }
    EXPECT_EQ(SerialWorkers(), 0);
    EXPECT_EQ(DescriptorsOn(pty.SlaveName()), onPty);
    EXPECT_EQ(DescriptorsOn("/dev/null"), onNull);
}

TEST_F(DataSourceTest, AMegabyteInRandomBurstsReachesTheRouterUnchangedAndInOrder)
{
    PtyPair pty;
    LinkPort(7, pty.SlaveName());
    QString recording = Record();
    ui->ComboBox2->setCurrentText("115200");
    ConnectSerial(7);
    std::string stream = SentenceStream(1 << 20, 5);
    std::thread writer([&] {
        std::mt19937 rng(17);
        for (size_t done = 0; done < stream.size();) {
            size_t burst = std::min<size_t>(1 + rng() % 20000, stream.size() - done);
            pty.Write(stream.substr(done, burst));
            done += burst;
            if (rng() % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 40));
        }
    });
    bool all = WaitFor([&] { return QFileInfo(recording).size() >= qint64(stream.size()); }, 120000);
    writer.join();
    ASSERT_TRUE(all) << QFileInfo(recording).size() << " of " << stream.size();
    EXPECT_TRUE(ReadFile(recording) == QByteArray::fromStdString(stream));
    std::string lastLine = stream.substr(0, stream.rfind("\r\n"));
    lastLine = lastLine.substr(lastLine.rfind('\n') + 1);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), lastLine);
    QString tail = QString::fromStdString(stream.substr(stream.size() - 20)).replace("\n", "\r\n");
    EXPECT_TRUE(ds->DisplayText.endsWith(tail));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, ASentCommandGoesOutWithCrLfAndItsEchoTravelsTheRoad)
{
    PtyPair pty;
    LinkPort(2, pty.SlaveName());
    QString recording = Record();
    ConnectSerial(2);
    MainForm->File1Click();
    EXPECT_TRUE(MainForm->ui->Script1->isEnabled());
    ui->ComboSend->setEditText("log toaa ontime 1");
    ds->Button2Click();
    EXPECT_EQ(pty.Read(19, 2000), "log toaa ontime 1\r\n");
    EXPECT_EQ(ReadFile(recording), "In> log toaa ontime 1\r\n");
    EXPECT_EQ(ui->ComboSend->currentText(), "log toaa ontime 1");
    EXPECT_TRUE(ds->DisplayText.startsWith("In> log toaa ontime 1\r\r\n"));

    pty.Write("$GPGGA,1*4B\r\n");
    ASSERT_TRUE(WaitFor([&] { return MainForm->LastLine(SentenceType::Gpgga) == "$GPGGA,1*4B"; }));
    EXPECT_EQ(ReadFile(recording), "In> log toaa ontime 1\r\n$GPGGA,1*4B\r\n");
}

TEST_F(DataSourceTest, AReceiverThatHangsUpMidStreamEndsInDisconnectedWithAMessage)
{
    PtyPair pty;
    LinkPort(6, pty.SlaveName());
    QString recording = Record();
    ConnectSerial(6);
    EXPECT_TRUE(WaitFor([] { return SerialWorkers() == 1; }, 1000));
    pty.CloseOwnSlave();
    pty.Write("$GPGGA,1*4B\r\n$GPG");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() == 17; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_EQ(ui->Button1->text(), "Connect");
    EXPECT_TRUE(ui->RadioSerial->isEnabled());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Error...");
    EXPECT_TRUE(boxes[0].second.startsWith("   Lost the connection on COM6   \n")) << boxes[0].second.toStdString();
    EXPECT_TRUE(boxes[0].second.contains("hung up")) << boxes[0].second.toStdString();
    EXPECT_FALSE(ds->CommThread->Port.IsOpen());
    EXPECT_TRUE(WaitFor([&] { return SerialWorkers() == 0; }, 1000));
    EXPECT_EQ(ReadFile(recording), "$GPGGA,1*4B\r\n$GPG");
}

TEST_F(DataSourceTest, AHundredConnectDisconnectCyclesLeaveNoThreadOrDescriptorBehind)
{
    PtyPair pty;
    LinkPort(8, pty.SlaveName());
    ui->ComboBox1->setCurrentText("COM8");
    int descriptors = DescriptorsOn(pty.SlaveName());
    for (int i = 0; i < 100; ++i) {
        ds->Button1Click(ui->Button1);
        ASSERT_TRUE(ds->Connected);
        ASSERT_EQ(DescriptorsOn(pty.SlaveName()), descriptors + 1);   // the port itself
        if (i % 10 == 0) {
            pty.Write("$GPGGA,1*4B\r\n");
            QTest::qWait(120);
        }
        ds->Button1Click(ui->Button1);
        ASSERT_FALSE(ds->Connected);
    }
    EXPECT_TRUE(WaitFor([&] { return SerialWorkers() == 0; }, 1000));
    EXPECT_EQ(DescriptorsOn(pty.SlaveName()), descriptors);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, BytesArrivingWhileTheRouterShowsABoxAreNeitherRepeatedNorLost)
{
    PtyPair pty;
    LinkPort(9, pty.SlaveName());
    ConnectSerial(9);
    dialogAnswers << "/dev/full";
    MainForm->Save1Click();   // recording that fails on the first chunk: the router opens a box
    ASSERT_TRUE(MainForm->Recording);

    QString good = dir.filePath("after-box.txt");
    const std::string later = SentenceStream(3000, 9);
    qint64 recordedDuringBox = -1;
    Notifier::SetSink([&](const QString &caption, const QString &text) {
        boxes.emplace_back(caption, text);
        if (!text.startsWith("   Cannot write to output file")) return;
        // While the box is open, the event loop runs: more bytes arrive and the
        // drain timer fires.
        MainForm->SaveDialog1.FileName = good;
        MainForm->StartRecording(true);
        pty.Write(later);
        QTest::qWait(400);
        recordedDuringBox = QFileInfo(good).size();
    });
    std::string first = Sentence("PTNTA,1") + "\r\n";
    ds->DisplayAndForward(first.data(), int(first.size()));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().second, "   Cannot write to output file   \n           Closing file!");
    size_t shown = boxes.size();
    EXPECT_EQ(recordedDuringBox, 0);   // nothing went down the road while the box was open
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(good).size() >= qint64(later.size()); }));
    QTest::qWait(150);
    EXPECT_TRUE(ReadFile(good) == QByteArray::fromStdString(later));
    EXPECT_EQ(MainForm->LastLine(SentenceType::Ptnta), Sentence("PTNTA,1"));   // the chunk was still routed
    EXPECT_EQ(boxes.size(), shown);
}

// ---------------------------------------------------------------------------
// TCP/IP
// ---------------------------------------------------------------------------

class SocketTest : public DataSourceTest {
protected:
    QTcpServer server;
    QList<QTcpSocket *> accepted;

    void SetUp() override
    {
        DataSourceTest::SetUp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = server.nextPendingConnection()) accepted << s;
        });
        UseSocket(server.serverPort());
    }
    void Connect()
    {
        ds->Button1Click(ui->Button1);
        EXPECT_EQ(ui->Label9->text(), "Connecting...");
        ASSERT_TRUE(WaitFor([&] { return ui->Label9->text() == "Connected to 127.0.0.1"; }));
        ASSERT_TRUE(WaitFor([&] { return !accepted.isEmpty(); }));
    }
};

TEST_F(SocketTest, ABurstArrivesWholeAndACommandGoesOutWithCrLf)
{
    QString recording = Record();
    Connect();
    EXPECT_EQ(ds->GetSourceKind(), 2);
    EXPECT_EQ(ds->GetStatusText(), QString("TCP/IP on Host: 127.0.0.1  Port: %1").arg(server.serverPort()));
    EXPECT_FALSE(ui->TCPIPSettings->isEnabled());
    MainForm->File1Click();
    EXPECT_TRUE(MainForm->ui->Script1->isEnabled());

    QByteArray burst = QByteArray::fromStdString(SentenceStream(5000, 1));
    accepted[0]->write(burst);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= burst.size(); }));
    EXPECT_EQ(ReadFile(recording), burst);

    ui->ComboSend->setEditText("cmd");
    ds->Button2Click();
    QByteArray received;
    ASSERT_TRUE(WaitFor([&] { return (received += accepted[0]->readAll()).size() >= 5; }));
    EXPECT_EQ(received, "cmd\r\n");
    EXPECT_EQ(ReadFile(recording), burst + "In> cmd\r\n");

    ds->Button1Click(ui->Button1);
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    MainForm->File1Click();
    EXPECT_FALSE(MainForm->ui->Script1->isEnabled());
}

TEST_F(SocketTest, ARefusedConnectionShowsItsMessageOnceAndReturnsToDisconnected)
{
    quint16 port = server.serverPort();
    server.close();
    UseSocket(port);
    ds->Button1Click(ui->Button1);
    EXPECT_EQ(ui->Label9->text(), "Connecting...");
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    QTest::qWait(100);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("       Cannot connect to host        ")));
    EXPECT_FALSE(ds->Connected);
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_EQ(ui->Button1->text(), "Connect");
    EXPECT_TRUE(ui->RadioSerial->isEnabled());
    EXPECT_TRUE(ui->TCPIPSettings->isEnabled());
}

TEST_F(SocketTest, ARemoteCloseDisconnectsQuietlyAndKeepsTheLastBytes)
{
    QString recording = Record();
    Connect();
    accepted[0]->write("$GPGGA,1*4B\r\nlast words\r\n");
    accepted[0]->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ReadFile(recording), "$GPGGA,1*4B\r\nlast words\r\n");
    QTest::qWait(TDataSourceForm::ReconnectDelayMs + 300);
    EXPECT_FALSE(ds->Connected);
    EXPECT_EQ(accepted.size(), 1);
}

TEST_F(SocketTest, AutomaticReconnectFollowsARemoteCloseAfterADelayButNeverTheUsersDisconnect)
{
    ui->CheckBox1->setChecked(true);
    Connect();
    QElapsedTimer clock;
    clock.start();
    accepted[0]->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    ASSERT_TRUE(WaitFor([&] { return accepted.size() == 2; }, 5000));
    EXPECT_GE(clock.elapsed(), TDataSourceForm::ReconnectDelayMs - 50);
    ASSERT_TRUE(WaitFor([&] { return ui->Label9->text() == "Connected to 127.0.0.1"; }));
    EXPECT_TRUE(ds->Connected);

    ds->Button1Click(ui->Button1);   // the user's own disconnect
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    QTest::qWait(TDataSourceForm::ReconnectDelayMs + 300);
    EXPECT_FALSE(ds->Connected);
    EXPECT_EQ(accepted.size(), 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SocketTest, AnUnresolvableHostOrABadPortIsReported)
{
    ui->Edit6->setText("no-such-host.invalid");
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 15000));
    EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("     Cannot resolve host name     ")));
    EXPECT_FALSE(ds->Connected);
    EXPECT_EQ(ui->Label9->text(), "Disconnected");

    for (const char *port : {"20x0", "70000", "0", ""}) {
        boxes.clear();
        ui->Edit7->setText(port);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << port;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("Invalid port number")));
        EXPECT_EQ(ui->Edit7->text(), "2000");
        EXPECT_FALSE(ds->Connected);
        EXPECT_EQ(ui->Label9->text(), "Disconnected");
    }
}

// ---------------------------------------------------------------------------
// Replay
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, TwoThousandLinesAt500PerSecondArriveOnceAndInOrder)
{
    QByteArray content;
    for (int i = 0; i < 2000; ++i) content += QByteArray::fromStdString(Sentence("GPGGA," + std::to_string(i))) + "\r\n";
    QString path = dir.filePath("run1.log");
    WriteFile(path, content);
    UseFile(path, 500);
    EXPECT_EQ(ui->Label10->text(), "run1.log");
    EXPECT_EQ(ds->Timer1->interval(), 2);
    QString recording = Record();
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(ds->Connected);
    EXPECT_EQ(ui->Label9->text(), "Connected");
    EXPECT_EQ(ds->GetSourceKind(), 3);
    EXPECT_EQ(ds->GetStatusText(), "File: run1.log  - opened");
    MainForm->File1Click();
    EXPECT_FALSE(MainForm->ui->Script1->isEnabled());

    ui->ComboSend->setEditText("ignored");
    ds->Button2Click();   // a replay takes no commands: nothing sent, nothing echoed

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= content.size(); }, 60000));
    std::printf("[ replay  ] 2000 lines in %lld ms\n", static_cast<long long>(clock.elapsed()));
    QTest::qWait(50);
    EXPECT_TRUE(ReadFile(recording) == content);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), Sentence("GPGGA,1999"));
    // At the end the source stays open and the ticks do nothing.
    EXPECT_TRUE(ds->Connected);
    EXPECT_EQ(ui->Button1->text(), "Disconnect");
    ds->Button1Click(ui->Button1);
    EXPECT_EQ(ui->Label9->text(), "Disconnected");
    EXPECT_TRUE(ui->FileSettings->isEnabled());
}

TEST_F(DataSourceTest, ReplayHandsOnLinesAsTheyAreInTheFile)
{
    std::string longLine = Sentence("GPGGA," + std::string(70000, '7'));
    QByteArray content = QByteArray::fromStdString(Sentence("GPGGA,a")) + "\r\n" +
                         QByteArray::fromStdString(longLine) + "\n" +
                         QByteArray("$GPGGA,1*4B\0tail\r\n", 18) +
                         QByteArray::fromStdString(Sentence("GPGGA,z"));   // no line end
    QString path = dir.filePath("odd.log");
    WriteFile(path, content);
    UseFile(path, 500);
    QString recording = Record();
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= content.size(); }));
    QTest::qWait(50);
    EXPECT_TRUE(ReadFile(recording) == content);
    // The router ends the NUL line at its NUL; the last line has no end yet.
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,1*4B");
    EXPECT_EQ(MainForm->PendingLineLength(), int(Sentence("GPGGA,z").size()));
}

TEST_F(DataSourceTest, AFileThatCannotBeReplayedIsReported)
{
    ds->RadioFileClick(nullptr);
    for (QString name : {dir.filePath("missing.log"), dir.path(), QString()}) {
        boxes.clear();
        ds->OpenDialog1.FileName = name;
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << name.toStdString();
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error opening file"), QString("Cannot open file")));
        EXPECT_FALSE(ds->Connected);
        EXPECT_EQ(ui->Label9->text(), "Disconnected");
    }
}

TEST_F(DataSourceTest, TheSetActionChecksLinesPerSecond)
{
    ds->RadioFileClick(nullptr);
    ui->Edit1->setText("3");
    ds->Button4Click();
    EXPECT_EQ(ds->Timer1->interval(), 333);
    for (const char *bad : {"0", "501", "ten"}) {
        boxes.clear();
        ui->Edit1->setText(bad);
        ds->Button4Click();
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("Illegal value for Lines per Second")));
        EXPECT_EQ(ui->Edit1->text(), "3");
        EXPECT_EQ(ds->LinesPerSecond, 3);
        EXPECT_EQ(ds->Timer1->interval(), 333);
    }

    // Enter in the edit runs Set (and sends nothing); leaving it with a bad
    // value shows the error and brings the focus back.
    ds->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ds));
    boxes.clear();
    ui->Edit1->setFocus();
    ui->Edit1->setText("500");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);
    EXPECT_EQ(ds->LinesPerSecond, 500);
    EXPECT_EQ(ui->ComboSend->count(), 0);
    ui->Edit1->setText("900");
    ui->Button4->setFocus();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ui->Edit1->text(), "500");
    EXPECT_TRUE(ui->Edit1->hasFocus());
}

// ---------------------------------------------------------------------------
// Display and history
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, TheDisplayShowsLineEndsAsCrLfAndKeepsTheLast750Characters)
{
    QString recording = Record();
    ds->DisplayAndForward("A\nB", 3);
    EXPECT_EQ(ds->DisplayText, "A\r\nB");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "A\nB");
    EXPECT_EQ(ReadFile(recording), "A\nB");

    std::string text;
    for (int i = 0; i < 800; ++i) text.push_back(char('a' + i % 26));
    ds->DisplayAndForward(text.data(), int(text.size()));
    EXPECT_EQ(ds->DisplayText, QString::fromStdString(text.substr(50)));
    std::string big(100000, 'x');
    big += "\nend";
    ds->DisplayAndForward(big.data(), int(big.size()));
    EXPECT_EQ(ds->DisplayText.size(), 750);
    EXPECT_TRUE(ds->DisplayText.endsWith("x\r\nend"));

    MainForm->ResetViews();
    EXPECT_TRUE(ds->DisplayText.isEmpty());
    EXPECT_TRUE(ui->RichEdit1->toPlainText().isEmpty());
}

TEST_F(DataSourceTest, TheHistoryKeepsTheLast15CommandsAlsoWhileDisconnected)
{
    QString recording = Record();
    for (int i = 1; i <= 20; ++i) {
        ui->ComboSend->setEditText(QString("cmd %1").arg(i));
        ds->Button2Click();
        EXPECT_EQ(ui->ComboSend->currentText(), QString("cmd %1").arg(i));
    }
    QStringList expected;
    for (int i = 6; i <= 20; ++i) expected << QString("cmd %1").arg(i);
    EXPECT_EQ(Items(ui->ComboSend), expected);
    EXPECT_EQ(ReadFile(recording), "");   // nothing sent, nothing echoed

    ds->show();   // Enter in the command line presses Send
    ASSERT_TRUE(QTest::qWaitForWindowActive(ds));
    ui->ComboSend->setEditText("by enter");
    QTest::keyClick(ui->ComboSend->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Items(ui->ComboSend).last(), "by enter");
}

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, SettingsAreWrittenOnDestructionAndReadBackOncePerKey)
{
    DestroyForms();   // without LoadSettings nothing of the data source is written
    {
        SettingsStore store;
        for (const char *name : {"DS_Select", "DS_Box1", "DS_HostID", "DS_FileName", "DS_Spin"})
            EXPECT_FALSE(store.Has(name)) << name;
    }
    CreateForms();
    ds = DataSourceForm;
    ui = ds->ui.get();
    MainForm->DataSourceClick();
    ds->RadioTCPIPClick(nullptr);
    ui->ComboBox1->setCurrentText("COM4");
    ui->ComboBox2->setCurrentText("57600");
    ui->ComboBox3->setCurrentIndex(2);
    ui->ComboBox4->setCurrentIndex(2);
    ui->ComboBox5->setCurrentIndex(1);
    ui->Edit6->setText("receiver.local");
    ui->Edit7->setText("4001");
    ds->OpenDialog1.FileName = "/data/logs/run1.log";
    ui->Edit1->setText("25");
    ds->Button4Click();
    DestroyForms();

    {
        SettingsStore store;
        auto value = [&](const char *name) { return store.ReadString(name).value_or("<missing>"); };
        EXPECT_EQ(value("DS_Select"), "2");
        EXPECT_EQ(value("DS_Box1"), "COM4");
        EXPECT_EQ(value("DS_Box2"), "57600");
        EXPECT_EQ(value("DS_Box3"), "2");
        EXPECT_EQ(value("DS_Box4"), "2");
        EXPECT_EQ(value("DS_Box5"), "1");
        EXPECT_EQ(value("DS_HostID"), "receiver.local");
        EXPECT_EQ(value("DS_HostPort"), "4001");
        EXPECT_EQ(value("DS_InputDirectory"), "/data/logs/");
        EXPECT_EQ(value("DS_FileName"), "/data/logs/run1.log");
        EXPECT_EQ(value("DS_Spin"), "25");
    }

    CreateForms();
    ds = DataSourceForm;
    ui = ds->ui.get();
    MainForm->DataSourceClick();
    EXPECT_TRUE(ui->RadioTCPIP->isChecked());
    EXPECT_TRUE(ui->TCPIPSettings->isEnabled());
    EXPECT_FALSE(ui->SerialSettings->isEnabled());
    EXPECT_EQ(ui->ComboBox1->currentText(), "COM4");
    EXPECT_EQ(ui->ComboBox2->currentText(), "57600");
    EXPECT_EQ(ui->ComboBox3->currentText(), "Even");
    EXPECT_EQ(ui->ComboBox4->currentText(), "7");
    EXPECT_EQ(ui->ComboBox5->currentText(), "1.5");
    EXPECT_EQ(ui->Edit6->text(), "receiver.local");
    EXPECT_EQ(ui->Edit7->text(), "4001");
    EXPECT_EQ(ds->OpenDialog1.InitialDir, "/data/logs/");
    EXPECT_EQ(ds->OpenDialog1.FileName, "/data/logs/run1.log");
    EXPECT_EQ(ui->Label10->text(), "run1.log");
    EXPECT_EQ(ds->LinesPerSecond, 25);
    EXPECT_EQ(ds->Timer1->interval(), 40);

    // The same key again reads nothing.
    WriteSetting("DS_Box1", "COM9");
    MainForm->DataSourceClick();
    EXPECT_EQ(ui->ComboBox1->currentText(), "COM4");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, ABadStoredValueIsIgnoredOnItsOwn)
{
    WriteSetting("DS_Select", "9");
    WriteSetting("DS_Box1", "COM2");
    WriteSetting("DS_Box2", "");
    WriteSetting("DS_Box3", "3");
    WriteSetting("DS_Box4", "-1");
    WriteSetting("DS_Box5", "two");
    WriteSetting("DS_HostID", "10.0.0.5");
    WriteSetting("DS_HostPort", "20x0");
    WriteSetting("DS_Spin", "fast");
    ds->LoadSettings(RegistryKey);
    EXPECT_TRUE(ui->RadioSerial->isChecked());
    EXPECT_EQ(ui->ComboBox1->currentText(), "COM2");
    EXPECT_EQ(ui->ComboBox2->currentText(), "9600");
    EXPECT_EQ(ui->ComboBox3->currentText(), "None");
    EXPECT_EQ(ui->ComboBox4->currentText(), "8");
    EXPECT_EQ(ui->ComboBox5->currentText(), "1");
    EXPECT_EQ(ui->Edit6->text(), "10.0.0.5");
    EXPECT_EQ(ui->Edit7->text(), "2000");
    EXPECT_EQ(ds->LinesPerSecond, 1);
    EXPECT_TRUE(boxes.empty());

    DestroyForms();
    QFile::remove(SettingsStore::FilePath());
    WriteSetting("DS_Spin", "900");
    WriteSetting("DS_HostPort", " 4002");
    CreateForms();
    DataSourceForm->LoadSettings(RegistryKey);
    EXPECT_EQ(DataSourceForm->LinesPerSecond, 1);
    EXPECT_EQ(DataSourceForm->ui->Edit7->text(), "4002");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SocketTest, AHostThatDoesNotResolveLeavesTheViewsAsTheyWere)
{
    MainForm->ReceiveData("$GPGGA,1*4B\r\n$GPG");   // a partial line waits in the router
    ui->Edit6->setText("no-such-host.invalid");
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 15000));
    EXPECT_EQ(boxes[0].second, "     Cannot resolve host name     ");
    EXPECT_EQ(MainForm->PendingLineLength(), 4);
}

TEST_F(SocketTest, ABoxOfAnotherWindowDoesNotHoldTheStreamBack)
{
    Connect();
    QString path = dir.filePath("during-box.txt");
    MainForm->SaveDialog1.FileName = path;
    ASSERT_TRUE(MainForm->StartRecording(true));
    // A real modal box, as a user's typing mistake in another window opens.
    Notifier::SetSink({});
    qint64 recordedDuringBox = -1;
    QTimer::singleShot(0, [&] {
        accepted.first()->write("$GPGGA,2*48\r\n");
        QTimer::singleShot(400, [&] {
            recordedDuringBox = QFileInfo(path).size();
            if (QWidget *box = QApplication::activeModalWidget()) box->close();
        });
    });
    Notifier::Error("    Illegal value for Offset    ");
    EXPECT_EQ(recordedDuringBox, 13);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,2*48");
}
