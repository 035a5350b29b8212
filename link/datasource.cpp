#include "link/datasource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFocusEvent>
#include <QHostInfo>
#include <QKeyEvent>
#include <QTcpSocket>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/forms.h"
#include "app/mainform.h"
#include "link/commthread.h"
#include "link/linkcheck.h"
#include "link/monitorform.h"
#include "link/win32mutex.h"
#include "platform/plaintext.h"
#include "platform/beatdrawing.h"
#include "ui_monitorform.h"
#include "platform/notifier.h"
#include "platform/settings.h"
#include "platform/trafficpane.h"
#include "ui_datasource.h"

namespace {

// Resets a flag when the scope ends, also by an exception.
struct FlagGuard {
    bool &flag;
    explicit FlagGuard(bool &f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

QString NamePart(const QString &path) { return path.mid(path.lastIndexOf('/') + 1); }

QString FolderPart(const QString &path) { return path.left(path.lastIndexOf('/') + 1); }

// The display shows the text without its carriage returns: every line end
// (CR CR LF, CR LF, LF, or a lone CR) starts one new line.
QString ForView(const QString &text)
{
    QString view = text;
    view.replace(QLatin1String("\r\r\n"), QLatin1String("\n"));
    view.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    view.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return view;
}

} // namespace

TDataSourceForm::TDataSourceForm(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TDataSourceForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    setModal(false);

    // The display is disabled (read-only) but its text stays readable.
    QPalette palette = ui->RichEdit1->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
    ui->RichEdit1->setPalette(palette);
    ui->RichEdit1->SetFollow(TrafficPane::Follow::Bottom);
    ui->RichEdit1->SetWrapped(true);
    DrawTextUnshaped(ui->RichEdit1);

    // The display takes the text at every fourth beat while it can be seen.
    drawing_ = new BeatDrawing(ui->RichEdit1, [this] { ApplyDisplay(); }, BeatDrawing::TrafficMs);

    RxMutex = std::make_unique<Win32Mutex>("", false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { appEnding_ = true; });
    CommThread = std::make_unique<TBackgroundCommThread>(
        [this](const char *data, int length) { OnSerialData(data, length); },
        [this] {
            // Worker thread: the chunk is taken on this window's thread, while the worker waits.
            QMetaObject::invokeMethod(this, &TDataSourceForm::HandOverSerialData, Qt::QueuedConnection);
        },
        [this](const std::string &reason) {
            unsigned generation = serialGeneration_.load();
            QString text = QString::fromLocal8Bit(reason.c_str());
            QMetaObject::invokeMethod(
                this, [this, generation, text] { OnSerialFailure(generation, text); }, Qt::QueuedConnection);
        });

    ClientSocket1 = new QTcpSocket(this);
    ClientSocket1->setObjectName("ClientSocket1");
    ClientSocket1->setReadBufferSize(SocketBacklog);   // beyond it the stream waits in the system
    connect(ClientSocket1, &QTcpSocket::connected, this, &TDataSourceForm::ClientSocket1Connect);
    connect(ClientSocket1, &QTcpSocket::disconnected, this, &TDataSourceForm::ClientSocket1Disconnect);
    connect(ClientSocket1, &QTcpSocket::errorOccurred, this, &TDataSourceForm::ClientSocket1Error);
    connect(ClientSocket1, &QTcpSocket::readyRead, this, &TDataSourceForm::ClientSocket1Read);

    OpenDialog1.DefaultExt = "log";

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TDataSourceForm::Timer1Timer);
    Timer1->start();

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(10);
    connect(Timer2, &QTimer::timeout, this, &TDataSourceForm::Timer2Timer);

    paceClock_.start();

    more_ = new QTimer(this);
    more_->setSingleShot(true);
    more_->setInterval(0);
    connect(more_, &QTimer::timeout, this, &TDataSourceForm::ContinueRoad);

    ReconnectTimer = new QTimer(this);
    ReconnectTimer->setObjectName("ReconnectTimer");
    ReconnectTimer->setSingleShot(true);
    ReconnectTimer->setInterval(ReconnectDelayMs);
    connect(ReconnectTimer, &QTimer::timeout, this, [this] {
        if (!Connected && ui->RadioTCPIP->isChecked() && ui->CheckBox1->isChecked()) Button1Click(ClientSocket1);
    });

    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(ui->Button1); });
    connect(ui->RadioSerial, &QRadioButton::clicked, this, [this] { RadioSerialClick(ui->RadioSerial); });
    connect(ui->RadioTCPIP, &QRadioButton::clicked, this, [this] { RadioTCPIPClick(ui->RadioTCPIP); });
    connect(ui->RadioFile, &QRadioButton::clicked, this, [this] { RadioFileClick(ui->RadioFile); });
    connect(ui->Button3, &QPushButton::clicked, this, &TDataSourceForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TDataSourceForm::Button4Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TDataSourceForm::BitBtn1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TDataSourceForm::Button2Click);
    ui->Edit1->installEventFilter(this);
}

TDataSourceForm::~TDataSourceForm()
{
    drawing_->Discard();
    ui->Edit1->removeEventFilter(this);
    ReconnectTimer->stop();
    Timer1->stop();
    Timer2->stop();
    try {
        CommThread->Stop();
    } catch (const std::exception &) {
        // The port is closed all the same.
    }
    ++serialGeneration_;
    CommThread.reset();
    RxMutex.reset();
    std::free(RxBuffer);
    RxBuffer = nullptr;
    QObject::disconnect(ClientSocket1, nullptr, this, nullptr);
    ClientSocket1->abort();
    CloseWatch();
    if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
    ReplayFile.Close();
    SaveSettings();
}

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

void TDataSourceForm::LoadSettings(const char *key)
{
    if (!key) return;
    if (SettingsKey && *SettingsKey == key) return;
    SettingsKey = key;
    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (!store.IsOpen()) return;

    auto text = [&store](const char *name) -> std::optional<QString> {
        std::optional<QString> v = store.ReadString(name);
        if (!v || v->isEmpty()) return std::nullopt;
        return v;
    };
    auto number = [&text](const char *name) -> std::optional<int> {
        std::optional<QString> v = text(name);
        return v ? StoredNumber(v->toStdString()) : std::nullopt;
    };
    auto index = [&text](const char *name, QComboBox *box) {
        std::optional<QString> v = text(name);
        if (!v) return;
        if (std::optional<int> i = StoredIndex(v->toStdString(), box->count())) box->setCurrentIndex(*i);
    };

    if (std::optional<int> select = number("DS_Select"); select && !Connected) {
        if (*select == 1) RadioSerialClick(nullptr);
        if (*select == 2) RadioTCPIPClick(nullptr);
        if (*select == 3) RadioFileClick(nullptr);
    }
    if (auto v = text("DS_Box1")) ui->ComboBox1->setCurrentText(*v);
    if (auto v = text("DS_Box2")) ui->ComboBox2->setCurrentText(*v);
    index("DS_Box3", ui->ComboBox3);
    index("DS_Box4", ui->ComboBox4);
    index("DS_Box5", ui->ComboBox5);
    if (auto v = text("DS_HostID")) ui->Edit6->setText(*v);
    if (auto v = number("DS_HostPort")) ui->Edit7->setText(QString::number(*v));
    if (auto v = text("DS_InputDirectory")) OpenDialog1.InitialDir = *v;
    if (auto v = text("DS_FileName")) {
        OpenDialog1.FileName = *v;
        ui->Label10->setText(NamePart(*v));
    }
    if (auto v = number("DS_Spin"); v && CheckLinesPerSecond(std::to_string(*v))) {
        ui->Edit1->setText(QString::number(*v));
        Button4Click();
    }
}

void TDataSourceForm::SaveSettings()
{
    if (!SettingsKey) return;
    SettingsStore store(SettingsStore::Mode::Create);
    int select = ui->RadioSerial->isChecked() ? 1 : ui->RadioTCPIP->isChecked() ? 2 : ui->RadioFile->isChecked() ? 3 : 0;
    store.WriteString("DS_Select", QString::number(select));
    store.WriteString("DS_Box1", ui->ComboBox1->currentText());
    store.WriteString("DS_Box2", ui->ComboBox2->currentText());
    store.WriteString("DS_Box3", QString::number(ui->ComboBox3->currentIndex()));
    store.WriteString("DS_Box4", QString::number(ui->ComboBox4->currentIndex()));
    store.WriteString("DS_Box5", QString::number(ui->ComboBox5->currentIndex()));
    store.WriteString("DS_HostID", ui->Edit6->text());
    store.WriteString("DS_HostPort", ui->Edit7->text());
    if (!OpenDialog1.FileName.isEmpty()) {
        store.WriteString("DS_InputDirectory", FolderPart(OpenDialog1.FileName));
        store.WriteString("DS_FileName", OpenDialog1.FileName);
    }
    store.WriteString("DS_Spin", QString::number(LinesPerSecond));
    store.Commit();
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

int TDataSourceForm::GetSourceKind() const
{
    if (!Connected) return 0;
    if (ui->RadioSerial->isChecked()) return 1;
    if (ui->RadioTCPIP->isChecked()) return 2;
    if (ui->RadioFile->isChecked()) return 3;
    return 0;
}

QString TDataSourceForm::GetStatusText() const
{
    if (!Connected) return "No datasource connected";
    if (ui->RadioSerial->isChecked()) return "Serial communication on " + ui->ComboBox1->currentText();
    if (ui->RadioTCPIP->isChecked()) return "TCP/IP on Host: " + ui->Edit6->text() + "  Port: " + ui->Edit7->text();
    if (ui->RadioFile->isChecked()) return "File: " + NamePart(OpenDialog1.FileName) + "  - opened";
    return QString();
}

void TDataSourceForm::EnableSourceChoice(bool enable)
{
    ui->RadioSerial->setEnabled(enable);
    ui->RadioTCPIP->setEnabled(enable);
    ui->RadioFile->setEnabled(enable);
}

void TDataSourceForm::EnableSerialControls(bool enable) { ui->SerialSettings->setEnabled(enable); }
void TDataSourceForm::EnableTcpIpControls(bool enable) { ui->TCPIPSettings->setEnabled(enable); }
void TDataSourceForm::EnableFileControls(bool enable) { ui->FileSettings->setEnabled(enable); }

void TDataSourceForm::RadioSerialClick(QObject *sender)
{
    ui->RadioSerial->setChecked(true);
    EnableSerialControls(true);
    EnableTcpIpControls(false);
    EnableFileControls(false);
    if (MonitorOpen()) MonitorForm->ChooseGroupBox();
    if (sender) activateWindow();
}

void TDataSourceForm::RadioTCPIPClick(QObject *sender)
{
    ui->RadioTCPIP->setChecked(true);
    EnableSerialControls(false);
    EnableTcpIpControls(true);
    EnableFileControls(false);
    if (MonitorOpen()) MonitorForm->ChooseGroupBox();
    if (sender) activateWindow();
}

void TDataSourceForm::RadioFileClick(QObject *sender)
{
    ui->RadioFile->setChecked(true);
    EnableSerialControls(false);
    EnableTcpIpControls(false);
    EnableFileControls(true);
    if (MonitorOpen()) MonitorForm->ChooseGroupBox();
    if (sender) activateWindow();
}

void TDataSourceForm::Button3Click()
{
    if (OpenDialog1.Execute(this)) ui->Label10->setText(NamePart(OpenDialog1.FileName));
}

void TDataSourceForm::Button4Click()
{
    std::optional<int> pace = CheckLinesPerSecond(ui->Edit1->text().toStdString());
    if (!pace) {
        Notifier::Error("Illegal value for Lines per Second", this);
        ui->Edit1->setText(QString::number(LinesPerSecond));
        if (isVisible()) ui->Edit1->setFocus();
        return;
    }
    LinesPerSecond = *pace;
    Timer1->setInterval(ReplayIntervalMs(LinesPerSecond));
    RestartPace();
    if (MonitorOpen()) MonitorForm->ui->Edit1->setText(QString::number(LinesPerSecond));
}

void TDataSourceForm::Edit1KeyPress(char key)
{
    if (key == 13) Button4Click();
}

void TDataSourceForm::Edit1Exit() { Button4Click(); }

bool TDataSourceForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Edit1) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                Edit1KeyPress(13);
                return true;   // Enter here sets the pace; it does not press Send
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Leaving the edit for another control, not the window losing activation.
            auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Edit1Exit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDataSourceForm::BitBtn1Click() { close(); }

QString TDataSourceForm::PortsFolder() const { return SettingsStore::Folder() + "/ports"; }

bool TDataSourceForm::ApplySerialSettings()
{
    QString port = ui->ComboBox1->currentText();
    if (!IsValidPortText(port.toStdString())) {
        Notifier::Error("Invalid comport", this);
        ui->ComboBox1->setCurrentText("COM1");
        ui->ComboBox1->setFocus();
        return true;
    }
    std::string device = ResolvePortName(port.toStdString(), QFile::encodeName(PortsFolder()).toStdString());
    std::optional<uint32_t> baud = CheckBaudText(ui->ComboBox2->currentText().toStdString());
    if (!baud) {
        Notifier::Error("Invalid baudrate", this);
        ui->ComboBox2->setCurrentText("9600");
        ui->ComboBox2->setFocus();
        return true;
    }
    std::optional<uint8_t> bits = CheckDataBitsText(ui->ComboBox4->currentText().toStdString());
    if (!bits) {
        Notifier::Error("Invalid number of databits", this);
        ui->ComboBox4->setCurrentIndex(ui->ComboBox4->findText("8"));
        ui->ComboBox4->setFocus();
        return true;
    }
    static constexpr uint8_t parities[] = {NOPARITY, ODDPARITY, EVENPARITY};
    static constexpr uint8_t stops[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};
    int p = ui->ComboBox3->currentIndex();
    int s = ui->ComboBox5->currentIndex();
    SerialSettings = DCB{*baud, *bits, p >= 0 && p < 3 ? parities[p] : NOPARITY, s >= 0 && s < 3 ? stops[s] : ONESTOPBIT};
    try {
        CommThread->Port.SetPortName(device);
        CommThread->Port.SetDCB(SerialSettings);
    } catch (const ECommError &e) {
        qWarning("Serial settings refused: %s", e.what());
        Notifier::Show("Error", "Cannot open COM-port", this);
        return true;
    }
    return false;
}

bool TDataSourceForm::ApplySocketSettings()
{
    if (!CheckTcpPort(ui->Edit7->text().trimmed().toStdString())) {
        Notifier::Error("Invalid port number", this);
        ui->Edit7->setText("2000");
        ui->Edit7->setFocus();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Connect and disconnect
// ---------------------------------------------------------------------------

void TDataSourceForm::Button1Click(QObject *sender)
{
    ReconnectTimer->stop();
    if (ui->RadioSerial->isChecked()) {
        if (Connected) {
            DisconnectSerial();
        } else {
            if (ApplySerialSettings()) return;
            ConnectSerial();
        }
    } else if (ui->RadioTCPIP->isChecked()) {
        if (Connected) {
            DisconnectSocket();
        } else {
            if (ApplySocketSettings()) return;
            LookUpHost(sender);   // the connect goes on once the name is found
            return;
        }
    } else if (ui->RadioFile->isChecked()) {
        if (Connected) DisconnectFile();
        else ConnectFile();
    }
    FinishConnectAction(sender);
}

void TDataSourceForm::FinishConnectAction(QObject *sender)
{
    // A TCP/IP source resets the views once the host is connected.
    if (Connected && MainForm && !ui->RadioTCPIP->isChecked()) MainForm->ResetViews();
    if (MonitorOpen()) MonitorForm->UpdateCaption();
    if (sender) show();
}

// Every change of the state passes here, however the connection ended, so the
// monitor's caption and buttons always say what this window says.
void TDataSourceForm::ShowConnected(bool connected)
{
    Connected = connected;
    EnableSourceChoice(!connected);
    ui->Button1->setText(connected ? "Disconnect" : "Connect");
    if (!connected) ui->Label9->setText("Disconnected");
    if (MonitorOpen()) MonitorForm->UpdateCaption();
}

void TDataSourceForm::ConnectSerial()
{
    try {
        CommThread->Start();
        CommThread->Port.Flush();
    } catch (const std::exception &e) {
        // Nothing stays half open: no worker, no port.
        qWarning("Serial connect failed: %s", e.what());
        try {
            CommThread->Stop();
        } catch (const std::exception &) {
        }
        ++serialGeneration_;
        Notifier::Show("Error", "Cannot open COM-port", this);
        return;
    }
    DrainRx(true);   // what the last connection left goes on before the new stream
    EnableSerialControls(false);
    ShowConnected(true);
    ui->Label9->setText("Connected to " + ui->ComboBox1->currentText());
}

void TDataSourceForm::DisconnectSerial()
{
    bool failed = false;
    try {
        CommThread->Stop();
    } catch (const std::exception &e) {
        qWarning("Serial disconnect: %s", e.what());
        failed = true;   // the port is released all the same
    }
    ++serialGeneration_;
    EnableSerialControls(true);
    ShowConnected(false);
    if (failed) Notifier::Show("Error", "Cannot close COM-port", this);
}

void TDataSourceForm::OnSerialFailure(unsigned generation, const QString &reason)
{
    if (generation != serialGeneration_.load() || !Connected || !ui->RadioSerial->isChecked()) return;
    QString port = ui->ComboBox1->currentText();
    DisconnectSerial();
    Notifier::Error("   Lost the connection on " + port + "   \n" + reason, this);
}

// The name is looked up before anything changes: only a name that resolves
// opens the socket, so one that does not changes nothing but the message.
void TDataSourceForm::LookUpHost(QObject *sender)
{
    if (lookupId_ >= 0) return;   // the last click's look-up is still running
    QString host = ui->Edit6->text().trimmed();
    if (!QHostAddress(host).isNull()) return ConnectSocket(sender);
    bool show = sender != nullptr;
    lookupId_ = QHostInfo::lookupHost(host, this, [this, show](const QHostInfo &info) {
        lookupId_ = -1;
        if (Connected || !ui->RadioTCPIP->isChecked()) return;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
            Notifier::Error("     Cannot resolve host name     ", this);
        else
            ConnectSocket(show ? this : nullptr);
    });
}

void TDataSourceForm::ConnectSocket(QObject *sender)
{
    ClientSocket1->abort();   // while the source is closed: its events change nothing
    CloseWatch();
    DrainRx(true);   // what the last connection left goes on before the new stream
    socketConnected_ = false;
    EnableTcpIpControls(false);
    ShowConnected(true);
    ui->Label9->setText("Connecting...");
    ClientSocket1->connectToHost(ui->Edit6->text().trimmed(), static_cast<quint16>(ui->Edit7->text().trimmed().toUInt()));
    FinishConnectAction(sender);
}

void TDataSourceForm::DisconnectSocket()
{
    socketConnected_ = false;
    EnableTcpIpControls(true);
    ShowConnected(false);   // before the socket closes: its events now find the source closed
    if (ClientSocket1->state() == QAbstractSocket::ConnectedState) ClientSocket1->flush();
    road_ += ClientSocket1->readAll();   // what has arrived still goes down the road
    ClientSocket1->abort();
    CloseWatch();
    if (!road_.isEmpty()) more_->start();
}

// The socket reports a reset by the peer as an orderly close. A second
// descriptor on the connection, kept from the connect on, outlives the
// socket's own and tells the two apart by the state the connection ended in.
bool TDataSourceForm::ConnectionWasReset() const
{
    tcp_info info{};
    socklen_t size = sizeof info;
    return watch_ >= 0 && ::getsockopt(watch_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 && info.tcpi_state == TCP_CLOSE;
}

void TDataSourceForm::CloseWatch()
{
    if (watch_ >= 0) ::close(watch_);
    watch_ = -1;
}

void TDataSourceForm::SocketFault(SocketErrorKind kind)
{
    Button1Click(ClientSocket1);
    Notifier::Error(SocketErrorText(kind), this);
}

void TDataSourceForm::ClientSocket1Connect()
{
    socketConnected_ = true;
    CloseWatch();
    watch_ = ::fcntl(static_cast<int>(ClientSocket1->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    if (Connected && ui->RadioTCPIP->isChecked() && MainForm) MainForm->ResetViews();
    if (Connected && ui->RadioTCPIP->isChecked()) ui->Label9->setText("Connected to " + ClientSocket1->peerName());
}

void TDataSourceForm::ClientSocket1Disconnect()
{
    // Only a close by the server gets here with the source open; the user's own
    // Disconnect has already closed the source.
    if (!ui->RadioTCPIP->isChecked() || !Connected) return;
    Button1Click(ClientSocket1);
    if (ui->CheckBox1->isChecked()) ReconnectTimer->start();
}

void TDataSourceForm::ClientSocket1Error(QAbstractSocket::SocketError error)
{
    if (!ui->RadioTCPIP->isChecked() || !Connected) return;
    SocketErrorKind kind = SocketErrorKind::General;
    if (!socketConnected_) {
        kind = SocketErrorKind::Connect;
    } else if (error == QAbstractSocket::RemoteHostClosedError) {
        if (!ConnectionWasReset()) return;   // a close, not a fault: see ClientSocket1Disconnect
        kind = SocketErrorKind::Receive;
    } else if (error == QAbstractSocket::NetworkError || error == QAbstractSocket::SocketTimeoutError) {
        kind = SocketErrorKind::Receive;
    }
    SocketFault(kind);
}

QString TDataSourceForm::SocketErrorText(SocketErrorKind kind)
{
    switch (kind) {
    case SocketErrorKind::General: return "       General Socket Error          ";
    case SocketErrorKind::Send: return "       Cannot write to socket        ";
    case SocketErrorKind::Receive: return "       Cannot read from socket       ";
    case SocketErrorKind::Connect: return "       Cannot connect to host        ";
    case SocketErrorKind::Disconnect: return "       Error closing connection      ";
    case SocketErrorKind::Accept: return "       Error accepting client        ";
    case SocketErrorKind::Other: break;
    }
    return QString();
}

void TDataSourceForm::ConnectFile()
{
    if (!ReplayFile.Open(QFile::encodeName(OpenDialog1.FileName).toStdString())) {
        Notifier::Show("Error opening file", "Cannot open file", this);
        return;
    }
    DrainRx(true);   // what the last connection left goes on before the new stream
    if (!Timer1->isActive()) Timer1->start();
    RestartPace();
    if (MonitorOpen()) MonitorForm->SetPlaying();
    EnableFileControls(false);
    ShowConnected(true);
    ui->Label9->setText("Connected");
}

void TDataSourceForm::DisconnectFile()
{
    EnableFileControls(true);
    ShowConnected(false);
    if (MonitorOpen()) MonitorForm->ResetPlayButtons();
    ReplayFile.Close();
}

// ---------------------------------------------------------------------------
// The byte road
// ---------------------------------------------------------------------------

// Runs inside the worker's hand-over: the worker waits until it returns.
void TDataSourceForm::OnSerialData(const char *data, int length)
{
    if (!RxMutex->Wait(1000)) throw std::runtime_error("SerialData overflow");   // the chunk is dropped
    if (length > 0) {
        auto *grown = static_cast<char *>(std::realloc(RxBuffer, static_cast<size_t>(RxCount) + static_cast<size_t>(length)));
        if (!grown) {
            RxMutex->Release();
            throw std::runtime_error("Reallocation error");   // the buffer stays as it was
        }
        RxBuffer = grown;
        std::memcpy(RxBuffer + RxCount, data, static_cast<size_t>(length));
        RxCount += length;
    }
    RxMutex->Release();
    if (!Timer2->isActive()) Timer2->start();
}

// The worker's queued call: takes the chunk it waits with, unless the road is
// so far behind that the worker had better wait (the bytes then stay in the
// driver until a drain has made room).
void TDataSourceForm::HandOverSerialData()
{
    if (appEnding_) return;
    handOverHeld_ = road_.size() >= RoadBacklog;   // the drain leaves the serial bytes be meanwhile
    if (handOverHeld_) {
        if (!Timer2->isActive()) Timer2->start();   // it tries again once the road has room
        return;
    }
    try {
        CommThread->DeliverData();
    } catch (const std::exception &e) {
        ReportIntakeError(QString::fromLatin1(e.what()));
    }
}

// The link goes on; one box at a time, and the road is not held while it is open.
void TDataSourceForm::ReportIntakeError(const QString &text)
{
    qWarning("Serial intake: %s", qPrintable(text));
    if (intakeErrorOpen_) return;
    FlagGuard open(intakeErrorOpen_);
    Notifier::Error(text, this);
}

// The serial bytes gathered since the last drain join the road, as far as it
// has room; true when some are left waiting (or the buffer could not be had).
bool TDataSourceForm::TakeSerialBytes()
{
    if (!RxMutex->Wait(1000)) return true;
    if (RxCount > 0 && road_.size() < RoadBacklog) {
        road_.append(RxBuffer, RxCount);
        RxCount = 0;
    }
    const bool left = RxCount > 0;
    RxMutex->Release();
    return left;
}

// The drain runs only while serial bytes wait: an idle program is not woken a
// hundred times a second.
void TDataSourceForm::Timer2Timer()
{
    const bool left = TakeSerialBytes();
    DrainRx();
    if (handOverHeld_) HandOverSerialData();
    if (!left && !handOverHeld_) Timer2->stop();
}

// Reads only as far ahead of the road as the backlog allows; the rest waits in
// the socket (and the system) until the road has caught up.
void TDataSourceForm::ClientSocket1Read()
{
    char buffer[1024];
    while (road_.size() < SocketBacklog) {
        qint64 n = ClientSocket1->read(buffer, sizeof buffer);
        if (n <= 0) break;
        road_.append(buffer, static_cast<qsizetype>(n));
    }
    DrainRx();
}

void TDataSourceForm::ContinueRoad()
{
    if (ClientSocket1->bytesAvailable() > 0) ClientSocket1Read();
    else DrainRx();
}

void TDataSourceForm::Timer1Timer()
{
    if (!ui->RadioFile->isChecked() || !Connected || ReplayFile.AtEnd()) return;
    if (RoadBusy() || more_->isActive()) return;   // the lines wait in the file until the road is free
    // A step of the monitor sends one line; the running timer sends the lines its
    // pace calls for, in one chunk. After a pause the pace starts again.
    int lines = 1;
    if (Timer1->isActive()) {
        const int64_t now = paceClock_.nsecsElapsed();
        const int64_t idle = std::max<int64_t>(4LL * Timer1->interval(), 250) * 1000000;
        if (now - lastTickNs_ > idle) pace_.Start(now - int64_t{1000000000} / std::max(LinesPerSecond, 1), LinesPerSecond);
        lastTickNs_ = now;
        lines = pace_.Due(now);
    }
    std::string chunk, line;
    int sent = 0;
    for (; sent < lines && ReplayFile.ReadLine(line); ++sent) chunk += line;
    pace_.Sent(sent);
    if (!chunk.empty()) DisplayAndForward(chunk.data(), static_cast<int>(chunk.size()));
}

void TDataSourceForm::RestartPace()
{
    lastTickNs_ = paceClock_.nsecsElapsed();
    pace_.Start(lastTickNs_, LinesPerSecond);
}

// Busy only while this road is handing a chunk on (a box the router opened runs
// the event loop again); a box of another window does not stop the stream.
bool TDataSourceForm::RoadBusy() const { return forwarding_; }

void TDataSourceForm::DisplayAndForward(const char *data, int length)
{
    if (data && length > 0) road_.append(data, length);
    DrainRx();
}

// Hands on what is waiting, in order of arrival, a piece at a time for at most
// TurnBudgetMs (all of it when asked); the rest goes on at the next turn of the
// event loop, and until then the other callers leave it to that turn. Each piece
// is taken out before it is handed on, so a message box opened by the router
// (whose event loop runs the timers and sockets again) can neither repeat nor
// lose bytes: what arrives meanwhile waits on the road.
void TDataSourceForm::DrainRx(bool all)
{
    if (all) TakeSerialBytes();
    if (RoadBusy() || (!all && more_->isActive())) return;
    {
        FlagGuard busy(forwarding_);
        QElapsedTimer clock;
        clock.start();
        while (!road_.isEmpty() && (all || clock.elapsed() < TurnBudgetMs)) {
            QByteArray chunk;
            if (road_.size() <= PieceBytes) {
                chunk.swap(road_);
            } else {
                chunk = road_.left(PieceBytes);
                road_.remove(0, PieceBytes);
            }
            ShowChunk(chunk);
            if (MainForm) MainForm->ReceiveData(chunk);
        }
    }
    if (!road_.isEmpty() || ClientSocket1->bytesAvailable() > 0) more_->start();
}

void TDataSourceForm::ShowChunk(const QByteArray &chunk)
{
    // Only the tail can still be seen: every byte shows as one character or more.
    qsizetype from = chunk.size() > DisplayLimit ? chunk.size() - DisplayLimit : 0;
    // Each byte a Latin-1 character, each LF as CR LF: appended a run between LFs at a time.
    for (qsizetype lf = chunk.indexOf('\n', from);; lf = chunk.indexOf('\n', from)) {
        DisplayText += QLatin1String(chunk.constData() + from, (lf < 0 ? chunk.size() : lf) - from);
        if (lf < 0) break;
        DisplayText += QLatin1String("\r\n");
        from = lf + 1;
    }
    if (DisplayText.size() > DisplayLimit) DisplayText.remove(0, DisplayText.size() - DisplayLimit);
    drawing_->Changed();
}

void TDataSourceForm::ApplyDisplay()
{
    ui->RichEdit1->ShowText(ForView(DisplayText));
}

void TDataSourceForm::SendData(const char *data, int length)
{
    if (!Connected || !data || length < 0) return;
    if (ui->RadioSerial->isChecked()) CommThread->Port.Write(data, static_cast<uint32_t>(length));
    else if (ui->RadioTCPIP->isChecked()) {
        // A peer that stops reading holds the bytes up; past the backlog the write fails.
        if (ClientSocket1->bytesToWrite() + length > SendBacklog || ClientSocket1->write(data, length) != length)
            return SocketFault(SocketErrorKind::Send);
    } else {
        return;   // a replayed file takes no commands
    }
    QByteArray echo = "In> " + QByteArray(data, static_cast<qsizetype>(qstrnlen(data, static_cast<uint>(length))));
    DisplayAndForward(echo.constData(), static_cast<int>(echo.size()));
}

void TDataSourceForm::Button2Click()
{
    QString text = ui->ComboSend->currentText();
    ui->ComboSend->addItem(text);
    while (ui->ComboSend->count() >= 16) ui->ComboSend->removeItem(0);
    ui->ComboSend->setEditText(text);
    QByteArray command = text.toLatin1() + "\r\n";
    SendData(command.constData(), static_cast<int>(command.size()));
    ui->Button2->setFocus();
    ui->ComboSend->setFocus();
}

void TDataSourceForm::ClearDisplay()
{
    DisplayText.clear();
    drawing_->Discard();
    ui->RichEdit1->clear();
}
