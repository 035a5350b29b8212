// The "Position" window: the receiver's position solutions (integrated,
// eLoran autonomous, ASF corrected and GPS calibrated, GPS) as points in metres
// around a centre position, with statistics per solution, the centre with its
// stored copy, the scale, zoom and the GPS or PC clock.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "plots/positionplot.h"

#include "sentence/splitters.h"

namespace Ui { class TPositionForm; }
class BeatDrawing;
class ChartView;
class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QXYSeries;

class TPositionForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TPositionForm(QWidget *owner = nullptr);
    ~TPositionForm() override;

    // The chart moves with every position: it is redrawn at most this often (a
    // reader follows it no faster; each redraw lays out and paints its tracks anew).
    static constexpr qint64 RedrawMs = 200;

    std::unique_ptr<Ui::TPositionForm> ui;
    ChartView *Chart1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QTimer *Timer1 = nullptr;   // the PC clock, until GPS time comes
    QElapsedTimer ticked_;   // since the PC clock last showed the time (or the window was made)
    std::optional<int64_t> gpsTimeWaiting_;   // a GPS time not yet shown (the window hidden)
    int shownScale_ = -1;   // the scale index Label3 shows
    // Tracks, intake and what the chart shows.
    PositionPlotModel Plot;

    // The intake: every GPGGA, SYNCA, GPPOSA, INPOSA, LCPOSA, LCRSDA and PSRPOSA
    // line, whether the window shows or not.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    // The main window's reset of the views.
    void ResetAll();
    void SetGpsTime(int64_t secondsSince1970);

    void AddPosition(int k, double north, double east);
    void ResetScatterPlot();
    void ResetScatterPlotSize();
    void ReplotTracks(int k);
    void ResetTracks();
    void ShowCentre();
    void ShowStatistics(int k);
    void ShowNoData(int k);
    void RestoreAxes();

    // Chart and memos follow the model a few times a second; this brings them up to date now.
    void DrawPending();
    bool RedrawPending() const;

    // Handlers
    void Close1Click();
    void AlwaysonTop1Click();
    void GPPOSA1Click();
    void GPGGA1Click();
    void PSRPOSA1Click();
    void CopyWindowtoClipboard1Click();
    void CopytoClipboard1Click();
    void Reset1Click();
    void Solution011Click();
    void Solution021Click();
    void Solution031Click();
    void Solution041Click();
    void Solution051Click();
    void FollowButtonClick();
    void FormShow();
    void Button3Click();
    void Edit3KeyPress(int key);
    void Button1Click();
    void Edit1KeyPress(int key);
    void Button2Click();
    void Button4Click();
    void SetPosButton1Click();
    void SetPosButton2Click();
    void SetPosButton3Click();
    void SetPosButton4Click();
    void SetPosButton5Click();
    // A button pressed on the form itself (not on one of its controls).
    void FormMouseDown(Qt::MouseButton button, const QPoint &at);
    void Chart1MouseUp(Qt::MouseButton button);
    void Chart1Zoom();
    void Chart1UndoZoom();
    void LoranvsGPSCheckBox1Click();
    void Timer1Timer();
    // direction: +1 the right arrow (larger), -1 the left arrow (smaller).
    void UpDown1MouseUp(int direction);
    void CentreButtonClick();

    QAction *SolutionItem(int k) const;
    QPlainTextEdit *Memo(int k) const;

protected:
    // The PC clock runs only while the window is shown.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildChart();
    // Mirrors what the model changed into the controls at once, and asks for
    // a redraw of chart and memos.
    void Sync();
    // Sync, then the redraw at once while the window shows.
    void Commit();
    void Redraw();
    int MenuHeight() const;
    void SolutionClick(int k);
    void SetPosButtonClick(int k);
    void ChooseSource(GpsSource source);
    void ShowClock(int64_t secondsSince1970, const QString &caption);
    void PanBy(QPoint pixels);

    std::array<QXYSeries *, PositionPlotModel::SeriesCount> series_{};
    BeatDrawing *beat_ = nullptr;
    std::array<QStringList, PositionPlotModel::TrackCount> memoLines_;   // what each memo was last given
    bool panning_ = false;
    bool pcClock_ = true;   // the box shows the PC clock (no GPS time yet)
    QPoint panFrom_;
};
