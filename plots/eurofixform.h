// The Eurofix window: a panel per transmitting station named in the RMSG
// sentences, with its DGPS corrections, UTC time, E-Tran frames and SMS texts,
// laid out in rows ordered by station code; a Stations menu shows or hides them.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <QString>
#include <QStringList>
#include <bitset>
#include <memory>
#include <optional>
#include <vector>

#include "plots/eurofix.h"

#include "sentence/splitters.h"

namespace Ui { class TEurofixForm; }
class AlertSound;
class BeatDrawing;
class LogGrid;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class TEurofixForm;

// One transmitting station and its panel. The window's station list owns it;
// it owns its controls.
class EurofixDataClass {
public:
    static constexpr int MemoLines = 25;

    explicit EurofixDataClass(TEurofixForm *form);
    ~EurofixDataClass();
    EurofixDataClass(const EurofixDataClass &) = delete;
    EurofixDataClass &operator=(const EurofixDataClass &) = delete;

    StationCode Code = 0;
    char Name[12] = {};
    bool Shown = false;
    DgpsCorrectionTable Corrections;
    int32_t DgpsCount = 0;    // types 1 and 4
    int32_t UtcCount = 0;     // type 6
    int32_t ETranCount = 0;   // type 8
    int32_t SmsCount = 0;     // type 5

    // The panel
    QPointer<QGroupBox> GroupBox;
    QTabWidget *PageControl = nullptr;
    QLabel *StationIdValue = nullptr;
    QLabel *HealthValue = nullptr;
    QLabel *DgpsCountValue = nullptr;
    LogGrid *DgpsGrid = nullptr;
    QLabel *UtcTimeValue = nullptr;
    QLabel *UtcCountValue = nullptr;
    QPlainTextEdit *UtcMemo = nullptr;
    QLabel *ETranCountValue = nullptr;
    QPlainTextEdit *ETranMemo = nullptr;
    QLabel *SmsCountValue = nullptr;
    QPlainTextEdit *SmsMemo = nullptr;
    QFrame *AlertPanel = nullptr;
    QLabel *AlertCaption = nullptr;
    QLabel *AlertText = nullptr;
    QTimer *AlertTimer = nullptr;

    int32_t AlertTicks = 0;
    SmsAssembler SmsText;     // the text being received

    // Decodes one message and shows what it carries; always 0.
    int ShowMessage(const char *hex);
    // Every 100 ms while the SMS alert shows: hides it after 101 ticks.
    void AlertTick();
    void SetName(const char *name);

    // The tabs, in the order of the page control.
    enum Tab { DgpsTab, UtcTab, ETranTab, SmsTab, TabCount };
    // What the messages changed, drawn at the window's turn: on the page shown
    // (the others wait until they are shown), or on every page.
    bool Waiting() const { return waiting_.any(); }
    void ShowWaiting(bool everyPage = false);
    // The table is about to change without a message: the grid keeps what it
    // showed after the last one.
    void KeepGridRows();

private:
    void BuildPanel(QWidget *parent);
    QWidget *AddTab(const char *caption);
    void ShowDgps(const char *hex);
    void ShowStationHealth(const char *hex);
    void ShowSms(const char *hex);
    void ShowUtc(const char *hex);
    void ShowETran(const char *hex);
    void RedrawGrid();
    void ShowAlert(const std::string &text);
    void Changed(Tab tab);
    void ShowPage(int tab);
    static void AddLine(QStringList &lines, const QString &line);
    static void ShowLines(QPlainTextEdit *memo, QStringList &lines);

    TEurofixForm *form_;
    std::bitset<TabCount> waiting_;   // by tab
    bool gridWaiting_ = false;
    std::optional<std::vector<DgpsGridRow>> gridRows_;   // kept before an age-out
    std::vector<DgpsGridRow> gridShown_;   // what the grid shows below its headings; blank beyond
    std::optional<QString> stationId_, health_, utcTime_;
    QStringList utcLines_, eTranLines_, smsLines_;   // appended at the window's turn
};

class TEurofixForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TEurofixForm(QWidget *owner = nullptr);
    ~TEurofixForm() override;

    std::unique_ptr<Ui::TEurofixForm> ui;
    QMenu *PopupMenu1 = nullptr;
    QAction *N1 = nullptr;
    QTimer *Timer1 = nullptr;
    AlertSound *MediaPlayer1 = nullptr;

    std::vector<std::unique_ptr<EurofixDataClass>> StationList;   // ascending by Code
    int32_t MaxColumns = 1;   // panels across a window the size of the screen
    int32_t MaxRows = 1;      // panels down it
    int64_t DroppedMessages = 0;   // messages of stations beyond the MaxEurofixStations kept

    // The intake: every RMSG line, whether the window shows or not; what the
    // panels show of it is drawn at the screen-rate beat while the window can be seen.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    // Draws now what waits for the beat.
    void DrawPending();
    BeatDrawing *Drawing() const { return drawing_; }
    // A station has something to draw.
    void StationChanged();
    void ResetAll();
    void LayoutStations();
    void StationItemClick(QAction *item);

    // A station's SMS text is complete: while the window shows, the alert sound
    // (when "SMSAlert.wav" is in the working directory) and the window to the front.
    void SmsCompleted();
    // Where the station panels live.
    QWidget *PanelParent() const;
    QSize ClientSize() const;
    void SetClientSize(int width, int height);
    static double LocalSecondsInHour();

    // Handlers
    void Timer1Timer();
    void Close1Click();
    void AlwaysonTop1Click();
    void Stations1Click();
    void SelectAll1Click();
    void HideAll1Click();
    void FormDestroy();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int MenuHeight() const;
    void SetAllShown(bool shown);
    void ShowDropped();
    void DeleteStationItems();
    void Draw();
    int fixedItems_ = 0;   // items of the Stations menu made at design time
    BeatDrawing *drawing_ = nullptr;
};
