#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <future>
#include <sys/socket.h>
#include <ctime>
#include <thread>

#include "../core/pty_pair.h"
#include "gui_test_support.h"
#include "link/commthread.h"
#include "link/datasource.h"
#include "platform/beatdrawing.h"
#include "link/win32mutex.h"
#include "link/monitorform.h"
#include "ui_datasource.h"
#include "ui_mainform.h"
#include "ui_monitorform.h"

namespace {

// A server in a thread of its own, so it sends while the program's event loop
// is busy: one client gets all the bytes at once, then the close.
struct BlastServer {
    std::promise<quint16> port;
    std::thread thread;
    explicit BlastServer(const QByteArray &data) : thread([this, data] {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port.set_value(server.serverPort());
        if (!server.waitForNewConnection(30000)) return;
        QTcpSocket *client = server.nextPendingConnection();
        client->write(data);
        while (client->bytesToWrite() > 0 && client->waitForBytesWritten(30000)) {}
        client->disconnectFromHost();
    }) {}
    ~BlastServer() { thread.join(); }
};

} // namespace

class DataSourceTest : public WindowTest {
protected:
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
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
        QObject::connect(&check, &QTimer::timeout, [&] { if (done() || clock.elapsed() > ms) loop.quit(); });
        check.start(5);
        if (!done()) loop.exec();
        return done();
    }
    void ConnectSerial(const QString &port)
    {
        ui->ComboBox1->setCurrentText(port);
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
        EXPECT_EQ(MonitorForm->ui->Button2->text() + MonitorForm->ui->Button3->text(), ui->Button1->text().repeated(2)) << how;
        MainForm->File1Click();   // scripts only for a live receiver
        EXPECT_EQ(MainForm->ui->Script1->isEnabled(), ds->GetSourceKind() == 1 || ds->GetSourceKind() == 2) << how;
    }
    void ExpectDisconnected(const std::string &how)
    {
        EXPECT_TRUE(!ds->Connected && ui->Label9->text() == "Disconnected") << how;
        EXPECT_TRUE(ui->RadioSerial->isEnabled() && ui->RadioFile->isEnabled()) << how;
        ExpectMonitorAgrees(how);
    }
};

// ---------------------------------------------------------------------------
// Serial
// ---------------------------------------------------------------------------

TEST_F(DataSourceTest, ASerialStreamArrivesWholeAndEveryWayItEndsLeavesTheMonitorAgreeing)
{
    OpenMonitor();
    PtyPair pty;
    LinkPort(3, pty.SlaveName());
    LinkPort(5, "/dev/no-such-adapter");
    int onPty = DescriptorsOn(pty.SlaveName());
    MainForm->ReceiveData("$GPG");   // a partial line a view reset would drop
    ui->ComboBox3->setCurrentText("Even");   // the pty has no parity
    struct Case { QComboBox *box; QString text, caption, message, after; };
    for (const Case &c : {Case{ui->ComboBox1, "COMX", "Error...", "Invalid comport", "COM1"},
                          Case{ui->ComboBox2, "100", "Error...", "Invalid baudrate", "9600"},
                          Case{ui->ComboBox1, "COM5", "Error", "Cannot open COM-port", "COM5"},   // no device
                          Case{ui->ComboBox1, "/dev/null", "Error", "Cannot open COM-port", "/dev/null"},
                          Case{ui->ComboBox1, "com3", "Error", "Cannot open COM-port", "com3"}}) {
        boxes.clear();
        c.box->setCurrentText(c.text);
        ds->Button1Click(ui->Button1);
        EXPECT_EQ(boxes, (decltype(boxes){{c.caption, c.message}})) << c.text.toStdString();
        EXPECT_EQ(c.box->currentText(), c.after);
        EXPECT_FALSE(ds->CommThread->Running() || ds->CommThread->Port.IsOpen());
        ExpectDisconnected(c.text.toStdString());
        EXPECT_TRUE(c.caption == "Error" || (MainForm->PendingLineLength() == 4 && !ds->isVisible()));   // rejected: no reset, not shown
    }
    ui->ComboBox3->setCurrentText("None");
    for (int i = 0; i < 20; ++i) {
        ConnectSerial("com3");   // any case; the device its link points at
        EXPECT_EQ(DescriptorsOn(pty.SlaveName()), onPty + 1);
        ds->Button1Click(ui->Button1);
        ExpectDisconnected("by the user");
    }
    EXPECT_EQ(ds->CommThread->Port.PortName(), (PortsFolder() + "/com3").toStdString());
    EXPECT_EQ(DescriptorsOn(pty.SlaveName()), onPty);

    // A megabyte in random bursts, a command, then the receiver hangs up mid-line.
    boxes.clear();
    QString recording = Record();
    ConnectSerial(QString::fromStdString(pty.SlaveName()));
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
    EXPECT_TRUE(ds->DisplayText.endsWith(QString::fromStdString(stream.substr(stream.size() - 20)).replace("\n", "\r\n")));
    ui->ComboSend->setEditText("log toaa ontime 1");
    ds->Button2Click();
    EXPECT_EQ(pty.Read(19, 2000), "log toaa ontime 1\r\n");
    EXPECT_TRUE(ds->DisplayText.endsWith("In> log toaa ontime 1\r\r\n"));
    pty.CloseOwnSlave();
    pty.Write("$GPGGA,1*4B\r\n$GPG");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() == qint64(stream.size()) + 23 + 17; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    ExpectDisconnected("hung up");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].second.startsWith("   Lost the connection on " + ui->ComboBox1->currentText() + "   \n"));
    EXPECT_TRUE(WaitFor([] { return SerialWorkers() == 0; }, 10000));
    EXPECT_TRUE(ReadBytes(recording) == QByteArray::fromStdString(stream + "In> log toaa ontime 1\r\n$GPGGA,1*4B\r\n$GPG"));
}

// An idle program is not woken to drain nothing: the drain timer runs while
// serial bytes wait and stops once they are handed on.
TEST_F(DataSourceTest, TheDrainTimerRunsOnlyWhileSerialBytesWait)
{
    PtyPair pty;
    LinkPort(5, pty.SlaveName());
    QString recording = Record();
    EXPECT_FALSE(ds->Timer2->isActive());
    ConnectSerial(QString::fromStdString(pty.SlaveName()));
    EXPECT_FALSE(ds->Timer2->isActive());
    bool ran = false;
    QObject::connect(ds->Timer2, &QTimer::timeout, [&] { ran = true; });
    pty.Write("$GPGGA,1*4B\r\n");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() == 13; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(WaitFor([&] { return !ds->Timer2->isActive(); }, 10000));
    ds->Button1Click(ui->Button1);
    EXPECT_FALSE(ds->Timer2->isActive());
}

TEST_F(DataSourceTest, BytesArrivingWhileTheRouterShowsABoxAreNeitherRepeatedNorLost)
{
    PtyPair pty;
    LinkPort(9, pty.SlaveName());
    ConnectSerial("COM9");
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
    EXPECT_TRUE(ReadBytes(good) == QByteArray::fromStdString(later));
    EXPECT_EQ(MainForm->LastLine(SentenceType::Ptnta), Sentence("PTNTA,1"));   // the chunk was still routed
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(DataSourceTest, ABusyWindowHoldsTheBytesInTheDriverAndAHeldBufferDropsOnlyTheChunkItCouldNotTake)
{
    PtyPair pty;
    LinkPort(4, pty.SlaveName());
    QString recording = Record();
    ConnectSerial("COM4");
    const std::string stream = SentenceStream(120000, 11);
    std::thread writer([&] { pty.Write(stream); });
    // The window is busy (the event loop does not run): the worker waits with
    // one chunk in hand, the rest in the driver.
    const auto busyFrom = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    while (!ds->CommThread->HandOverWaiting() && std::chrono::steady_clock::now() < busyFrom + std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(ds->CommThread->HandOverWaiting());
    EXPECT_EQ(ds->RxCount, 0);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= qint64(stream.size()); }));
    writer.join();
    EXPECT_TRUE(ReadBytes(recording) == QByteArray::fromStdString(stream));

    // Another thread holds the buffer past the hand-over's wait: that chunk is
    // dropped and said so, and the chunks after it arrive.
    std::promise<void> held, release;
    std::thread holder([&] {
        ds->RxMutex->Wait(1000);
        held.set_value();
        release.get_future().wait();
        ds->RxMutex->Release();
    });
    held.get_future().wait();
    pty.Write("$GPGGA,2*48\r\n");
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    release.set_value();
    holder.join();
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "SerialData overflow"}}));
    EXPECT_EQ(ds->RxCount, 0);
    pty.Write("$GPGGA,3*49\r\n");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() > qint64(stream.size()); }));
    EXPECT_TRUE(ReadBytes(recording) == QByteArray::fromStdString(stream + "$GPGGA,3*49\r\n"));
    EXPECT_TRUE(ds->Connected);
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
    ui->CheckBox1->setChecked(true);   // automatic reconnect
    Connect();
    Notifier::SetSink({});   // a real modal box of another window does not hold the stream back
    QTimer::singleShot(0, [&] { accepted.last()->write("$GPGGA,2*48\r\n"); });
    QTimer::singleShot(400, [&] { QApplication::activeModalWidget()->close(); });
    Notifier::Error("    Illegal value for Offset    ");
    EXPECT_EQ(ReadBytes(recording), "$GPGGA,2*48\r\n");
    Notifier::SetSink([this](const QString &c, const QString &t) { boxes.emplace_back(c, t); });
    ui->ComboSend->setEditText("cmd");
    ds->Button2Click();
    QByteArray received;
    ASSERT_TRUE(WaitFor([&] { return (received += accepted.last()->readAll()).size() >= 5; }));
    EXPECT_EQ(received, "cmd\r\n");
    accepted.last()->write("last words\r\n");   // the server closes: quietly, keeping the last bytes
    accepted.last()->disconnectFromHost();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected; }));
    ExpectDisconnected("closed by the server");
    EXPECT_EQ(ReadBytes(recording), "$GPGGA,2*48\r\nIn> cmd\r\nlast words\r\n");
    ASSERT_TRUE(WaitFor([&] { return ui->Label9->text() == "Connected to 127.0.0.1"; }));   // and after a while again
    EXPECT_GE(clock.elapsed(), TDataSourceForm::ReconnectDelayMs - 50);
    ds->Button1Click(ui->Button1);
    ExpectDisconnected("by the user");
    ASSERT_TRUE(WouldHaveTicked(ds->ReconnectTimer));
    EXPECT_TRUE(!ds->Connected && accepted.size() == 2);   // never after the user's own disconnect
    EXPECT_TRUE(boxes.empty());
    ui->CheckBox1->setChecked(false);

    for (const auto &[how, text] : {std::pair<std::string, QString>{"reset", "       Cannot read from socket       "},
                                    {"not reading", "       Cannot write to socket        "}}) {
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
        EXPECT_TRUE(ui->Label9->text() == "Disconnected" && ui->TCPIPSettings->isEnabled());   // also while looking up
        ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 15000));
        QTest::qWait(50);
        EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "     Cannot resolve host name     "}}));
        EXPECT_TRUE(ui->TCPIPSettings->isEnabled() && !ds->isVisible());
        ExpectDisconnected(fromMonitor ? "from the monitor" : "from the window");
        EXPECT_EQ(MainForm->PendingLineLength(), 4);
    }
    boxes.clear();
    ui->Edit7->setText("70000");
    ds->Button1Click(ui->Button1);
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "Invalid port number"}}));
    EXPECT_EQ(ui->Edit7->text(), "2000");
    ExpectDisconnected("bad port");
}

TEST_F(DataSourceTest, TenMegabytesSentAtOnceNeverHoldTheEventLoop)
{
    OpenMonitor();
    const QByteArray stream = QByteArray::fromStdString(SentenceStream(10 << 20, 3));
    BlastServer peer(stream);
    QString recording = Record();
    UseSocket(peer.port.get_future().get());
    // The gaps between the ticks of a 5 ms timer, in the time this thread ran:
    // time the machine gave to others is no hold of the event loop.
    auto ran = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    };
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestWall = 0, lastWall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, ran() - last), last = ran();
        longestWall = std::max(longestWall, clock.elapsed() - lastWall), lastWall = clock.elapsed();
    });
    ds->Button1Click(ui->Button1);
    clock.start();
    last = ran();
    tick.start(5);
    ASSERT_TRUE(WaitFor([&] { return !ds->Connected && QFileInfo(recording).size() >= stream.size(); }, 90000));
    std::printf("[ tcp     ] 10 MB in %lld ms, longest gap %lld ms run, %lld ms in all\n", qint64(clock.elapsed()), longest, longestWall);
    EXPECT_LE(longest, 100);
    EXPECT_TRUE(ReadBytes(recording) == stream);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataSourceTest, AReplayHandsOnEveryLineOnceAsItIsInTheFile)
{
    QByteArray content = QByteArray::fromStdString(Sentence("GPGGA,first")) + "\r\n";
    for (int i = 0; i < 500; ++i) content += QByteArray::fromStdString(Sentence("GPGGA," + std::to_string(i))) + "\r\n";
    content += QByteArray::fromStdString(Sentence("GPGGA," + std::string(70000, '7'))) + "\n" +
               QByteArray("$GPGGA,1*4B\0tail\r\n", 18) + QByteArray::fromStdString(Sentence("GPGGA,z"));   // no line end
    QFile file(dir.filePath("run1.log"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    dialogAnswers << file.fileName();
    ds->RadioFileClick(nullptr);
    ds->Button3Click();
    ds->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ds));
    ui->Edit1->setFocus();
    ui->Edit1->setText("0");
    ui->Button4->setFocus();   // leaving the edit runs Set, and the edit gets the focus back
    EXPECT_TRUE(boxes.size() == 1 && ui->Edit1->text() == "1" && ui->Edit1->hasFocus());
    ui->Edit1->setText("500");
    QTest::keyClick(ui->Edit1, Qt::Key_Return);   // Enter runs Set, not Send
    EXPECT_TRUE(ds->Timer1->interval() == 2 && ui->ComboSend->count() == 0);
    boxes.clear();
    QString recording = Record();
    MainForm->ReceiveData("old\r\n");
    ds->Button1Click(ui->Button1);   // opens the monitor, empty, with its file controls
    ASSERT_TRUE(ds->Connected && MonitorForm);
    ExpectMonitorAgrees("connected");
    Ui::TMonitorForm *m = MonitorForm->ui.get();
    MonitorForm->RefreshPanes();
    EXPECT_TRUE(m->RichEdit1->toPlainText().isEmpty() && !m->GroupBox3->isHidden());
    auto buttons = [m] { return QString("%1%2%3").arg(m->SpeedButton1->isEnabled()).arg(m->SpeedButton2->isEnabled()).arg(m->SpeedButton3->isEnabled()); };
    EXPECT_EQ(buttons(), "011");   // playing
    m->SpeedButton2->click();      // pause
    EXPECT_EQ(buttons(), "101");
    m->SpeedButton3->click();      // one line
    EXPECT_FALSE(ds->Timer1->isActive());
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), Sentence("GPGGA,first"));
    m->Edit1->setText("501");
    m->Button1->click();           // Set goes through this window's check
    EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "Illegal value for Lines per Second"}}));
    EXPECT_TRUE(m->Edit1->text() == "500" && ds->Timer1->interval() == 2);
    ui->ComboSend->setEditText("ignored");
    ds->Button2Click();            // a replay takes no commands: nothing sent, nothing echoed
    m->SpeedButton1->click();      // play
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(recording).size() >= content.size() + 5; }, 60000));
    QTest::qWait(50);
    EXPECT_TRUE(ReadBytes(recording) == "old\r\n" + content);
    EXPECT_EQ(MainForm->LastLine(SentenceType::Gpgga), "$GPGGA,1*4B");   // ended at its NUL
    EXPECT_EQ(MainForm->PendingLineLength(), int(Sentence("GPGGA,z").size()));
    EXPECT_TRUE(ds->Connected);    // at the end the source stays open
    m->Button3->click();
    ExpectDisconnected("from the monitor");
    EXPECT_EQ(buttons(), "000");

    boxes.clear();
    ds->OpenDialog1.FileName = dir.path();   // a folder
    ds->Button1Click(ui->Button1);
    EXPECT_EQ(boxes, (decltype(boxes){{"Error opening file", "Cannot open file"}}));
    EXPECT_FALSE(ds->Connected);
}

// Minimised, the window's display takes nothing; restored, it shows at once
// the text that came meanwhile.
TEST_F(DataSourceTest, AMinimisedDisplayTakesNothingUntilRestored)
{
    ds->show();
    ds->DisplayAndForward("one\n", 4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->RichEdit1->toPlainText() == "one\n"; }, 10000));
    ds->showMinimized();
    ASSERT_TRUE(ds->isMinimized());
    for (int i = 0; i < 20; ++i) ds->DisplayAndForward("two\n", 4);
    ASSERT_TRUE(BeatPassed(BeatDrawing::TrafficMs));
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\n");
    ds->showNormal();
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "one\n" + QString("two\n").repeated(20));
}

TEST_F(DataSourceTest, TheDisplayKeepsTheLast750CharactersAndTheHistoryTheLast15Commands)
{
    std::string text = "A\nB";
    for (int i = 0; i < 800; ++i) text.push_back(char('a' + i % 26));
    ds->DisplayAndForward(text.data(), 3);
    ds->show();   // a hidden window takes the text when shown
    EXPECT_EQ(ui->RichEdit1->toPlainText(), "A\nB");   // shown as A, CR LF, B
    ds->DisplayAndForward(text.data() + 3, 800);
    EXPECT_EQ(ds->DisplayText, QString::fromStdString(text.substr(53)));
    MainForm->ResetViews();
    EXPECT_TRUE(ds->DisplayText.isEmpty() && ui->RichEdit1->toPlainText().isEmpty());
    // Each byte a Latin-1 character, each LF as CR LF, at either end of a chunk and in a row too.
    const char bytes[] = "\nx\r\n\n\xe9\0y\n";
    ds->DisplayAndForward(bytes, sizeof bytes - 1);
    EXPECT_EQ(ds->DisplayText, QString::fromLatin1("\r\nx\r\r\n\r\n\xe9\0y\r\n", 13));
    MainForm->ResetViews();
    for (int i = 1; i <= 20; ++i) {
        ui->ComboSend->setEditText(QString("cmd %1").arg(i));
        ds->Button2Click();
    }
    EXPECT_EQ(ui->ComboSend->itemText(0) + " " + ui->ComboSend->itemText(14) + " " + ui->ComboSend->currentText(), "cmd 6 cmd 20 cmd 20");
}

TEST_F(DataSourceTest, SettingsAreReadOncePerKeyWrittenBackOnDestructionAndABadValueIsIgnoredOnItsOwn)
{
    const std::pair<const char *, const char *> stored[] = {
        {"DS_Select", "2"}, {"DS_Box1", "COM4"}, {"DS_Box2", "57600"}, {"DS_Box3", "2"}, {"DS_Box4", "2"},
        {"DS_Box5", "1"}, {"DS_HostID", "receiver.local"}, {"DS_HostPort", "4001"},
        {"DS_InputDirectory", "/data/logs/"}, {"DS_FileName", "/data/logs/run1.log"}, {"DS_Spin", "25"}};
    auto shown = [] {
        Ui::TDataSourceForm *u = DataSourceForm->ui.get();
        return QStringList{u->RadioTCPIP->isChecked() && u->TCPIPSettings->isEnabled() ? "tcp" : "serial",
                           u->ComboBox1->currentText(), u->ComboBox2->currentText(), u->ComboBox3->currentText(),
                           u->ComboBox4->currentText(), u->ComboBox5->currentText(), u->Edit6->text(),
                           u->Edit7->text(), DataSourceForm->OpenDialog1.InitialDir, u->Label10->text(),
                           QString::number(DataSourceForm->Timer1->interval())};
    };
    for (auto [name, value] : stored) WriteSetting(name, value);
    MainForm->DataSourceClick();
    const QStringList back{"tcp", "COM4", "57600", "Even", "7", "1.5", "receiver.local", "4001", "/data/logs/", "run1.log", "40"};
    EXPECT_EQ(shown(), back);
    QFile::remove(SettingsStore::FilePath());
    WriteSetting("DS_Box1", "COM9");
    MainForm->DataSourceClick();   // the same key again reads nothing
    EXPECT_EQ(shown(), back);
    DestroyForms();
    for (auto [name, value] : stored) EXPECT_EQ(SettingsStore().ReadString(name).value_or("-"), value) << name;

    QFile::remove(SettingsStore::FilePath());
    for (auto [name, value] : {std::pair{"DS_Select", "9"}, {"DS_Box1", "COM2"}, {"DS_Box2", ""}, {"DS_Box3", "3"},
                               {"DS_Box4", "-1"}, {"DS_Box5", "two"}, {"DS_HostPort", "20x0"}, {"DS_Spin", "900"}})
        WriteSetting(name, value);
    CreateForms();
    DataSourceForm->LoadSettings(RegistryKey);
    EXPECT_EQ(shown(), (QStringList{"serial", "COM2", "9600", "None", "8", "1", "127.0.0.1", "2000", "", "File name", "1000"}));
    EXPECT_TRUE(boxes.empty());
}
