// The TD plot: per Loran station a time series of the time of arrival (TOAA),
// the differential Loran value (DLORA) or the additional secondary factor
// (DASFA), optionally against a master station, as deviation from the mean and
// with display offsets, with mean and standard deviation per station.
#pragma once

#include <QList>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointF>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/colordialog.h"
#include "plots/tdmodel.h"
#include "plots/tdstations.h"

#include "sentence/splitters.h"

namespace Ui { class TTDForm; }
class BeatDrawing;
class ChartView;
class QMenu;
class QTimer;
class QXYSeries;

class TTDForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TTDForm(QWidget *owner = nullptr);
    ~TTDForm() override;

    // The chart moves with every line: it is redrawn at most this often (a reader
    // follows it no faster; each redraw lays out and paints every series anew).
    static constexpr qint64 RedrawMs = 200;

    std::unique_ptr<Ui::TTDForm> ui;
    ChartView *Chart1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QTimer *Timer1 = nullptr;
    QElapsedTimer ticked_;   // since the clock last showed the time (or the window was made)
    ColorDialog ColorDialog1;

    uint8_t SourceKind = 0;          // 0 TOAA, 1 DLORA, 2 DASFA
    int32_t NumberOfPoints = 200;    // most points kept per station
    int32_t OffsetStep = 50;         // ns
    int32_t OffsetCounter = 0;       // position in the offset sequence
    TDStationList Stations;
    TDStationClass *Master = nullptr;
    int32_t LineWidth = 2;

    // The intake: every TOAA, DLORA and DASFA line, whether the window shows or not.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    void AddToaa(const SentenceLine &line);
    void AddDlora(const SentenceLine &line);
    void AddDasfa(const SentenceLine &line);

    void Redraw();
    // Runs a redraw that the intake asked for and that has not run yet.
    void DrawPending();
    bool RedrawPending() const;
    void RebuildMasterList();
    void ResetAll();
    void UpdateAxisTitle();
    void BuildChainMenus();
    TDRedrawOptions Options() const;

    // Handlers
    void Close1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Edit1KeyPress(int key);
    void Edit2KeyPress(int key);
    void Edit7KeyPress(int key);
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void FormResize();
    void FormDestroy();
    void Chart1UndoZoom();
    void CopytoClipboard1Click();
    void CopyWindowtoClipboard1Click();
    void Select1Click();
    void ToggleStationClick(QAction *item);
    void SelectChainClick(QAction *item);
    void HideChainClick(QAction *item);
    void ViewAll1Click();
    void HideAll1Click();
    void Reset1Click();
    void BackgroundColor1Click();
    void ColorDialog1Show();
    void LineWidth1Click();
    void LineColor1Click();
    void Timer1Timer();
    void TOAA1Click();
    void DLORA1Click();
    void DASFA1Click();
    void ComboBox1Change();
    void AlwaysonTop1Click();

protected:
    // The clock runs only while the window is shown.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void Intake(const TDSentence *sentence);
    void ShowStatistics(const QStringList &lines, size_t largest);
    int MenuHeight() const;
    void FitStatistics();
    static constexpr int StatisticsMemoWidth = 209;
    void ChooseSource(uint8_t kind);
    void RemoveChartSeries(QXYSeries *series);
    void RemoveAllChartSeries();
    void SetShown(bool shown, int chain /* -1: every station */);
    void FillDateAndTime(const QString &dateFormat);
    QString AxisText(double value) const;

    BeatDrawing *beat_ = nullptr;
    QStringList statistics_;   // the lines the statistics memo was last given
    int grownFrom_ = 0;   // client height before the statistics made the window taller (0: not grown)
    int grownTo_ = 0;     // the client height they made it
    int fixedItems_ = 0;   // items of "Select Stations" made at design time
};
