#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGroupBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

#include "../core/pty_pair.h"
#include "../core/sentence_text.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "link/commthread.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_monitorform.h"

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(content);
}

// A server on 127.0.0.1 in a thread of its own, so it sends while the
// program's event loop is busy: one client gets everything at once, then the close.
class BlastServer {
public:
    explicit BlastServer(std::string data) : data_(std::move(data))
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd_, reinterpret_cast<sockaddr *>(&a), len);
        ::listen(fd_, 1);
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            int client = ::accept(fd_, nullptr, nullptr);
            for (size_t done = 0; client >= 0 && done < data_.size();) {
                ssize_t n = ::send(client, data_.data() + done, data_.size() - done, MSG_NOSIGNAL);
                if (n <= 0) break;
                done += size_t(n);
            }
            if (client >= 0) ::close(client);
        });
    }
    ~BlastServer()
    {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    quint16 Port() const { return port_; }

private:
    std::string data_;
    int fd_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
};

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
    // Runs the event loop freely (QTest::qWaitFor sleeps between rounds).
    static bool WaitFor(const std::function<bool()> &done, int ms = 5000)
    {
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (done() || clock.elapsed() > ms) loop.quit();
        });
        check.start(5);
        if (!done()) loop.exec();
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
    void OpenMonitor()
    {
        MainForm->show();
        MainForm->ui->SerialMonitor1->trigger();
    }
    // The monitor says what the data-source window says.
    void ExpectMonitorAgrees(const std::string &how)
    {
        ASSERT_NE(MonitorForm, nullptr) << how;
        EXPECT_EQ(MonitorForm->windowTitle(), "Monitor: " + ds->GetStatusText()) << how;
        EXPECT_EQ(MonitorForm->ui->Button2->text(), ui->Button1->text()) << how;
        EXPECT_EQ(MonitorForm->ui->Button3->text(), ui->Button1->text()) << how;
    }
    void ExpectDisconnected(const std::string &how)
    {
        EXPECT_FALSE(ds->Connected) << how;
        EXPECT_EQ(ui->Label9->text(), "Disconnected") << how;
        EXPECT_TRUE(ui->RadioSerial->isEnabled() && ui->RadioFile->isEnabled()) << how;
        ExpectMonitorAgrees(how);
    }
};

// ---------------------------------------------------------------------------
// Serial
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, TheSerialCheckRejectsWithItsMessagesAndLeavesEverythingElseAlone)
{
    MainForm->ReceiveData("$GPG");   // a partial line a view reset would drop
    struct Case { QComboBox *box; QString text, message, after; };
    const Case cases[] = {
        {ui->ComboBox1, "COMX", "Invalid comport", "COM1"},   {ui->ComboBox1, "COM", "Invalid comport", "COM1"},
        {ui->ComboBox1, "ttyUSB0", "Invalid comport", "COM1"}, {ui->ComboBox2, "100", "Invalid baudrate", "9600"},
        {ui->ComboBox2, "fast", "Invalid baudrate", "9600"},
    };
    for (const Case &c : cases) {
        boxes.clear();
        c.box->setCurrentText(c.text);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << c.text.toStdString();
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), c.message));
        EXPECT_EQ(c.box->currentText(), c.after);
        EXPECT_FALSE(ds->Connected);
    }
    EXPECT_EQ(MainForm->PendingLineLength(), 4);   // no view reset
    EXPECT_FALSE(ds->isVisible());                 // and the window not shown
}

TEST_F(DataSourceTest, EveryWayASerialConnectionEndsLeavesTheMonitorAgreeing)
{
    OpenMonitor();
    PtyPair pty;
    LinkPort(3, pty.SlaveName());
    LinkPort(5, "/dev/no-such-adapter");
    int onPty = DescriptorsOn(pty.SlaveName());
    ui->ComboBox1->setCurrentText("com3");   // any case; the device its link points at
    ui->ComboBox2->setCurrentText("250000");
    for (int i = 0; i < 20; ++i) {
        ds->Button1Click(ui->Button1);
        ASSERT_TRUE(ds->Connected);
        EXPECT_EQ(DescriptorsOn(pty.SlaveName()), onPty + 1);
        ExpectMonitorAgrees("connected");
        ds->Button1Click(ui->Button1);
        ExpectDisconnected("by the user");
    }
    EXPECT_EQ(ds->CommThread->Port.PortName(), (PortsFolder() + "/com3").toStdString());
    EXPECT_EQ(ds->CommThread->Port.Settings().BaudRate, 250000u);
    EXPECT_EQ(DescriptorsOn(pty.SlaveName()), onPty);

    for (const char *port : {"COM5", "/dev/null"}) {   // no device; not a serial port
        boxes.clear();
        ui->ComboBox1->setCurrentText(port);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << port;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error"), QString("Cannot open COM-port")));
        EXPECT_FALSE(ds->CommThread->Running() || ds->CommThread->Port.IsOpen());
        ExpectDisconnected(port);
    }
    EXPECT_TRUE(WaitFor([] { return SerialWorkers() == 0; }, 1000));

    // The receiver hangs up mid-line.
    boxes.clear();
    QString recording = Record();
    ui->ComboBox1->setCurrentText(QString::fromStdString(pty.SlaveName()));
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(ds->Connected);
    pty.CloseOwnSlave();
    pty.Write("$GPGGA,1*4B\r\n$GPG");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() == 17; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    ExpectDisconnected("hung up");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].second.startsWith("   Lost the connection on " + ui->ComboBox1->currentText() + "   \n"));
    EXPECT_TRUE(WaitFor([] { return SerialWorkers() == 0; }, 1000));
    EXPECT_EQ(ReadFile(recording), "$GPGGA,1*4B\r\n$GPG");
}

TEST_F(DataSourceTest, AMegabyteInRandomBurstsArrivesUnchangedAndACommandGoesOutWithItsEcho)
{
    PtyPair pty;
    LinkPort(7, pty.SlaveName());
    QString recording = Record();
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
    EXPECT_TRUE(ds->DisplayText.endsWith(QString::fromStdString(stream.substr(stream.size() - 20)).replace("\n", "\r\n")));

    ui->ComboSend->setEditText("log toaa ontime 1");
    ds->Button2Click();
    EXPECT_EQ(pty.Read(19, 2000), "log toaa ontime 1\r\n");
    EXPECT_TRUE(ReadFile(recording).endsWith("In> log toaa ontime 1\r\n"));
    EXPECT_TRUE(ds->DisplayText.endsWith("In> log toaa ontime 1\r\r\n"));
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
        // While the box is open the event loop runs: more bytes arrive, the drain timer fires.
        MainForm->SaveDialog1.FileName = good;
        MainForm->StartRecording(true);
        pty.Write(later);
        QTest::qWait(400);
        recordedDuringBox = QFileInfo(good).size();
    });
    std::string first = Sentence("PTNTA,1") + "\r\n";
    ds->DisplayAndForward(first.data(), int(first.size()));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(recordedDuringBox, 0);   // nothing went down the road while the box was open
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(good).size() >= qint64(later.size()); }));
    QTest::qWait(150);
    EXPECT_TRUE(ReadFile(good) == QByteArray::fromStdString(later));
    EXPECT_EQ(MainForm->LastLine(SentenceType::Ptnta), Sentence("PTNTA,1"));   // the chunk was still routed
    EXPECT_EQ(boxes.size(), 1u);
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
        qsizetype before = accepted.size();
        ds->Button1Click(ui->Button1);
        EXPECT_EQ(ui->Label9->text(), "Connecting...");
        ASSERT_TRUE(WaitFor([&] { return ui->Label9->text() == "Connected to 127.0.0.1"; }));
        ASSERT_TRUE(WaitFor([&] { return accepted.size() > before; }));
        ExpectMonitorAgrees("connected");
    }
};

TEST_F(SocketTest, EveryWayATcpConnectionEndsIsReportedAndLeavesTheMonitorAgreeing)
{
    OpenMonitor();
    QString recording = Record();
    QByteArray burst = QByteArray::fromStdString(SentenceStream(5000, 1));
    Connect();
    EXPECT_EQ(ds->GetStatusText(), QString("TCP/IP on Host: 127.0.0.1  Port: %1").arg(server.serverPort()));
    accepted.last()->write(burst);
    ui->ComboSend->setEditText("cmd");
    ds->Button2Click();
    QByteArray received;
    ASSERT_TRUE(WaitFor([&] { return (received += accepted.last()->readAll()).size() >= 5; }));
    EXPECT_EQ(received, "cmd\r\n");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= burst.size() + 9; }));
    ds->Button1Click(ui->Button1);
    ExpectDisconnected("by the user");

    Connect();   // the server closes: quietly, keeping the last bytes
    accepted.last()->write("last words\r\n");
    accepted.last()->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    ExpectDisconnected("closed by the server");
    EXPECT_EQ(ReadFile(recording).size(), burst.size() + 9 + 12);
    EXPECT_TRUE(ReadFile(recording).endsWith("last words\r\n"));
    EXPECT_TRUE(boxes.empty());

    const std::pair<std::string, QString> faults[] = {
        {"reset", "       Cannot read from socket       "},
        {"not reading", "       Cannot write to socket        "},
    };
    for (const auto &[how, text] : faults) {
        boxes.clear();
        Connect();
        QTcpSocket *peer = accepted.last();
        if (how == "reset") {
            linger hard{1, 0};
            ::setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            peer->abort();
        } else {
            peer->setReadBufferSize(1);   // takes one byte and then no more
            QByteArray command(64 * 1024, 'c');
            for (int i = 0; i < 400 && boxes.empty(); ++i) {
                ds->SendData(command.constData(), int(command.size()));
                WaitFor([] { return false; }, 5);
            }
        }
        ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); })) << how;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), text)) << how;
        ExpectDisconnected(how);
    }

    boxes.clear();
    server.close();   // refused
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("       Cannot connect to host        ")));
    ExpectDisconnected("refused");
}

TEST_F(SocketTest, AHostThatDoesNotResolveOrABadPortChangesNothingButTheMessage)
{
    OpenMonitor();
    MainForm->ReceiveData("$GPGGA,1*4B\r\n$GPG");   // a partial line waits in the router
    ui->Edit6->setText("no-such-host.invalid");
    for (bool fromMonitor : {false, true}) {
        boxes.clear();
        if (fromMonitor) MonitorForm->ui->Button2->click();
        else ds->Button1Click(ui->Button1);
        EXPECT_EQ(ui->Label9->text(), "Disconnected");
        EXPECT_TRUE(ui->TCPIPSettings->isEnabled());
        ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 15000));
        QTest::qWait(50);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("     Cannot resolve host name     ")));
        EXPECT_TRUE(ui->TCPIPSettings->isEnabled());
        EXPECT_FALSE(ds->isVisible());
        ExpectDisconnected(fromMonitor ? "from the monitor" : "from the window");
        EXPECT_EQ(MainForm->PendingLineLength(), 4);
    }
    for (const char *port : {"20x0", "70000", "0", ""}) {
        boxes.clear();
        ui->Edit7->setText(port);
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << port;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("Invalid port number")));
        EXPECT_EQ(ui->Edit7->text(), "2000");
        ExpectDisconnected(port);
    }
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

    ds->Button1Click(ui->Button1);   // the user's own disconnect
    QTest::qWait(TDataSourceForm::ReconnectDelayMs + 300);
    EXPECT_FALSE(ds->Connected);
    EXPECT_EQ(accepted.size(), 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, TenMegabytesSentAtOnceNeverHoldTheEventLoop)
{
    OpenMonitor();
    const std::string stream = SentenceStream(10 << 20, 3);
    BlastServer peer(stream);
    QString recording = Record();
    UseSocket(peer.Port());
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ds->Button1Click(ui->Button1);
    clock.start();
    tick.start(5);
    bool all = WaitFor([&] { return !ds->Connected && QFileInfo(recording).size() >= qint64(stream.size()); }, 90000);
    tick.stop();
    ASSERT_TRUE(all) << QFileInfo(recording).size() << " of " << stream.size();
    std::printf("[ tcp     ] 10 MB in %lld ms, longest gap %lld ms\n", qint64(clock.elapsed()), longest);
    EXPECT_LE(longest, 100);
    EXPECT_TRUE(ReadFile(recording) == QByteArray::fromStdString(stream));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SocketTest, ABoxOfAnotherWindowDoesNotHoldTheStreamBack)
{
    Connect();
    QString path = Record();
    Notifier::SetSink({});   // a real modal box, as a typing mistake in another window opens
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
}

// ---------------------------------------------------------------------------
// Replay, display, history, settings
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, AReplayHandsOnEveryLineOnceAsItIsInTheFile)
{
    QByteArray content;
    for (int i = 0; i < 2000; ++i) content += QByteArray::fromStdString(Sentence("GPGGA," + std::to_string(i))) + "\r\n";
    content += QByteArray::fromStdString(Sentence("GPGGA," + std::string(70000, '7'))) + "\n" +
               QByteArray("$GPGGA,1*4B\0tail\r\n", 18) + QByteArray::fromStdString(Sentence("GPGGA,z"));   // no line end
    QString path = dir.filePath("run1.log");
    WriteFile(path, content);
    dialogAnswers << path;
    ds->RadioFileClick(nullptr);
    ds->Button3Click();
    ui->Edit1->setText("500");
    ds->Button4Click();
    EXPECT_EQ(ds->Timer1->interval(), 2);
    QString recording = Record();
    ds->Button1Click(ui->Button1);
    ASSERT_TRUE(ds->Connected);
    EXPECT_EQ(ds->GetStatusText(), "File: run1.log  - opened");
    ui->ComboSend->setEditText("ignored");
    ds->Button2Click();   // a replay takes no commands: nothing sent, nothing echoed

    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= content.size(); }, 60000));
    QTest::qWait(50);
    EXPECT_TRUE(ReadFile(recording) == content);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,1*4B");   // ended at its NUL
    EXPECT_EQ(MainForm->PendingLineLength(), int(Sentence("GPGGA,z").size()));
    EXPECT_TRUE(ds->Connected);   // at the end the source stays open
    ds->Button1Click(ui->Button1);
    EXPECT_TRUE(ui->FileSettings->isEnabled());

    for (QString name : {dir.filePath("missing.log"), dir.path(), QString()}) {
        boxes.clear();
        ds->OpenDialog1.FileName = name;
        ds->Button1Click(ui->Button1);
        ASSERT_EQ(boxes.size(), 1u) << name.toStdString();
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error opening file"), QString("Cannot open file")));
        EXPECT_FALSE(ds->Connected);
    }
}

TEST_F(DataSourceTest, TheSetActionChecksLinesPerSecondOnEnterAndOnLeaving)
{
    ds->RadioFileClick(nullptr);
    ui->Edit1->setText("3");
    ds->Button4Click();
    for (const char *bad : {"0", "501", "ten"}) {
        boxes.clear();
        ui->Edit1->setText(bad);
        ds->Button4Click();
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("Illegal value for Lines per Second")));
        EXPECT_EQ(ui->Edit1->text(), "3");
        EXPECT_EQ(ds->Timer1->interval(), 333);
    }
    ds->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ds));
    boxes.clear();
    ui->Edit1->setFocus();
    ui->Edit1->setText("500");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);
    EXPECT_EQ(ds->LinesPerSecond, 500);
    EXPECT_EQ(ui->ComboSend->count(), 0);   // Enter here does not press Send
    ui->Edit1->setText("900");
    ui->Button4->setFocus();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(ui->Edit1->hasFocus());
}

TEST_F(DataSourceTest, TheDisplayKeepsTheLast750CharactersAndTheHistoryTheLast15Commands)
{
    ds->DisplayAndForward("A\nB", 3);
    EXPECT_EQ(ds->DisplayText, "A\r\nB");
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "A\nB");
    std::string text;
    for (int i = 0; i < 800; ++i) text.push_back(char('a' + i % 26));
    ds->DisplayAndForward(text.data(), int(text.size()));
    EXPECT_EQ(ds->DisplayText, QString::fromStdString(text.substr(50)));
    MainForm->ResetViews();
    EXPECT_TRUE(ds->DisplayText.isEmpty() && ui->RichEdit1->toPlainText().isEmpty());

    for (int i = 1; i <= 20; ++i) {
        ui->ComboSend->setEditText(QString("cmd %1").arg(i));
        ds->Button2Click();
    }
    EXPECT_EQ(ui->ComboSend->count(), 15);
    EXPECT_EQ(ui->ComboSend->itemText(0), "cmd 6");
    EXPECT_EQ(ui->ComboSend->currentText(), "cmd 20");
}

TEST_F(DataSourceTest, SettingsAreWrittenOnDestructionAndReadBackOncePerKeyEachBadValueOnItsOwn)
{
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
    const std::pair<const char *, const char *> stored[] = {
        {"DS_Select", "2"}, {"DS_Box1", "COM4"}, {"DS_Box2", "57600"}, {"DS_Box3", "2"}, {"DS_Box4", "2"},
        {"DS_Box5", "1"}, {"DS_HostID", "receiver.local"}, {"DS_HostPort", "4001"},
        {"DS_InputDirectory", "/data/logs/"}, {"DS_FileName", "/data/logs/run1.log"}, {"DS_Spin", "25"}};
    for (auto [name, value] : stored) EXPECT_EQ(SettingsStore().ReadString(name).value_or("-"), value) << name;

    auto shown = [] {
        Ui::TDataSourceForm *u = DataSourceForm->ui.get();
        return QStringList{u->RadioTCPIP->isChecked() && u->TCPIPSettings->isEnabled() ? "tcp" : "serial",
                           u->ComboBox1->currentText(), u->ComboBox2->currentText(), u->ComboBox3->currentText(),
                           u->ComboBox4->currentText(), u->ComboBox5->currentText(), u->Edit6->text(),
                           u->Edit7->text(), DataSourceForm->OpenDialog1.InitialDir, u->Label10->text(),
                           QString::number(DataSourceForm->Timer1->interval())};
    };
    CreateForms();
    MainForm->DataSourceClick();
    const QStringList back{"tcp", "COM4", "57600", "Even", "7", "1.5", "receiver.local", "4001", "/data/logs/", "run1.log", "40"};
    EXPECT_EQ(shown(), back);
    WriteSetting("DS_Box1", "COM9");
    MainForm->DataSourceClick();   // the same key again reads nothing
    EXPECT_EQ(shown(), back);

    DestroyForms();
    QFile::remove(SettingsStore::FilePath());
    for (auto [name, value] : {std::pair{"DS_Select", "9"}, {"DS_Box1", "COM2"}, {"DS_Box2", ""}, {"DS_Box3", "3"},
                               {"DS_Box4", "-1"}, {"DS_Box5", "two"}, {"DS_HostID", "10.0.0.5"},
                               {"DS_HostPort", "20x0"}, {"DS_Spin", "900"}})
        WriteSetting(name, value);
    CreateForms();
    DataSourceForm->LoadSettings(RegistryKey);
    EXPECT_EQ(shown(), (QStringList{"serial", "COM2", "9600", "None", "8", "1", "10.0.0.5", "2000", "", "File name", "1000"}));
    EXPECT_TRUE(boxes.empty());
}
