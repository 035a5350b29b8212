// The data-source window ("Data Connect:"): chooses, opens and closes the source
// of the receiver's text (serial port, TCP/IP server, replayed log file), shows
// the latest received text, hands every received byte to the main window's
// router and sends command lines to the receiver.
#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "link/commport.h"
#include "link/linkcheck.h"
#include "link/replay.h"
#include "platform/filedialog.h"

namespace Ui { class TDataSourceForm; }
class BeatDrawing;
class QTcpSocket;
class QTimer;
class TBackgroundCommThread;
class Win32Mutex;

class TDataSourceForm : public QDialog {
    Q_OBJECT
public:
    explicit TDataSourceForm(QWidget *owner = nullptr);
    ~TDataSourceForm() override;

    std::unique_ptr<Ui::TDataSourceForm> ui;

    bool Connected = false;
    ReplayReader ReplayFile;
    std::unique_ptr<TBackgroundCommThread> CommThread;
    // Serial bytes handed over by the worker since the last drain, touched only
    // while RxMutex is held: one heap block, grown with every chunk and kept by a
    // drain, which only sets RxCount to 0.
    std::unique_ptr<Win32Mutex> RxMutex;
    char *RxBuffer = nullptr;
    int RxCount = 0;
    int LinesPerSecond = 1;
    static constexpr int DisplayLimit = 750;
    QString DisplayText;
    std::optional<std::string> SettingsKey;
    DCB SerialSettings;

    QTcpSocket *ClientSocket1 = nullptr;
    FileDialog OpenDialog1{FileDialog::Kind::Open};
    QTimer *Timer1 = nullptr;            // replay tick
    QTimer *Timer2 = nullptr;            // drain, every 10 ms while serial bytes wait
    QTimer *ReconnectTimer = nullptr;    // "Automatic reconnect" after a remote close

    static constexpr int ReconnectDelayMs = 1000;
    // The road never holds the event loop much longer than this: what is left
    // waits for the next turn (and a TCP stream waits in the socket).
    static constexpr int TurnBudgetMs = 10;
    static constexpr qsizetype PieceBytes = 8 * 1024;        // handed on in one go
    static constexpr qsizetype SocketBacklog = 256 * 1024;   // read from the socket ahead of the road
    // Past this the drain leaves the serial bytes where they are and the worker's
    // next hand-over waits, so the bytes wait in the driver.
    static constexpr qsizetype RoadBacklog = 256 * 1024;
    static constexpr qint64 SendBacklog = 1024 * 1024;       // unsent command bytes a peer may hold up

    // Settings
    void LoadSettings(const char *key);
    void SaveSettings();

    int GetSourceKind() const;
    QString GetStatusText() const;

    // Connect / disconnect; sender is null when no control or event asked.
    void Button1Click(QObject *sender);
    void RadioSerialClick(QObject *sender);
    void RadioTCPIPClick(QObject *sender);
    void RadioFileClick(QObject *sender);
    void EnableSourceChoice(bool enable);
    void EnableSerialControls(bool enable);
    void EnableTcpIpControls(bool enable);
    void EnableFileControls(bool enable);
    void Button3Click();
    void Button4Click();
    void Edit1KeyPress(char key);
    void Edit1Exit();
    void BitBtn1Click();
    bool ApplySerialSettings();   // true = rejected
    bool ApplySocketSettings();   // true = rejected

    // Socket events
    void ClientSocket1Connect();
    void ClientSocket1Disconnect();
    void ClientSocket1Error(QAbstractSocket::SocketError error);
    void ClientSocket1Read();

    // The byte road
    void OnSerialData(const char *data, int length);
    void Timer2Timer();
    void Timer1Timer();
    void DisplayAndForward(const char *data, int length);
    void SendData(const char *data, int length);
    void Button2Click();
    void ClearDisplay();
    const BeatDrawing *Drawing() const { return drawing_; }

    // The socket's error kinds and their texts.
    enum class SocketErrorKind { General, Send, Receive, Connect, Disconnect, Accept, Other };
    static QString SocketErrorText(SocketErrorKind kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectSerial();
    void DisconnectSerial();
    void LookUpHost(QObject *sender);
    void ConnectSocket(QObject *sender);
    void DisconnectSocket();
    void SocketFault(SocketErrorKind kind);
    bool ConnectionWasReset() const;
    void CloseWatch();
    void FinishConnectAction(QObject *sender);
    void ConnectFile();
    void DisconnectFile();
    void ShowConnected(bool connected);
    void OnSerialFailure(unsigned generation, const QString &reason);
    void HandOverSerialData();
    void ReportIntakeError(const QString &text);
    bool TakeSerialBytes();
    void DrainRx(bool all = false);
    void ContinueRoad();
    void ShowChunk(const QByteArray &chunk);
    bool RoadBusy() const;
    QString PortsFolder() const;

    // Received bytes not yet handed on, whichever the source: serial bytes from
    // the drain, socket reads, replayed lines and sent commands, waiting while
    // the road is busy (a message box is open or the router is still handling
    // the previous piece).
    QByteArray road_;
    std::atomic<unsigned> serialGeneration_{0};   // a failure of a closed connection is ignored
    bool handOverHeld_ = false;        // a worker's chunk waits until the road has room
    bool appEnding_ = false;           // nothing is delivered once the application is ending
    bool intakeErrorOpen_ = false;     // an intake error is on the screen
    bool forwarding_ = false;
    bool socketConnected_ = false;
    int lookupId_ = -1;                // a host name being looked up
    int watch_ = -1;                   // second descriptor on the connection (see ConnectionWasReset)
    QTimer *more_ = nullptr;           // continues the road on the next turn
    ReplayPace pace_;
    QElapsedTimer paceClock_;
    int64_t lastTickNs_ = 0;
    BeatDrawing *drawing_ = nullptr;   // the display's turns to take DisplayText
    void ApplyDisplay();
    void RestartPace();
};
