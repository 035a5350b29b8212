// Loran Sound: the sampled antenna signal of AUDIO sentences, played on the
// wave output while sound is enabled and charted against time.
#pragma once

#include <QCloseEvent>
#include <QPointer>
#include <memory>

#include "app/mdichild.h"
#include "plots/audio.h"

#include "sentence/splitters.h"

namespace Ui { class TLoranSoundForm; }
class BeatDrawing;
class ChartView;
class QLineSeries;
class WaveOutput;

class TLoranSoundForm : public MdiChildForm {
    Q_OBJECT
public:
    explicit TLoranSoundForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TLoranSoundForm() override;

    std::unique_ptr<Ui::TLoranSoundForm> ui;
    ChartView *Chart1 = nullptr;
    QLineSeries *Series1 = nullptr;
    bool Zoomed = false;

    // The chart follows the stream at most this often: its whole line moves with
    // every sentence, faster than it can be read.
    static constexpr qint64 ChartPeriodMs = 200;

    // One AUDIO line from the router (only while the window's View item is checked).
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    // A new source: the queued sound stops, the chart starts empty and the next
    // line opens the output in its own format.
    void ResetAll();
    // Button2's Tag: 1 while sound is enabled.
    bool SoundEnabled() const;
    // Sound is being disabled or the window closed, once the queued blocks are played.
    bool WaitingForSoundToEnd() const { return waiting_ != Waiting::None; }
    // Charts now the newest line still waiting for the chart's turn.
    void DrawPending();
    BeatDrawing *ChartDrawing() const { return chartDrawing_; }

    // Handlers
    void FormCreate();
    void FormClose(QCloseEvent *event);
    void FormDestroy();
    void Button2Click();
    void Chart1Zoom();
    void Chart1UndoZoom();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    enum class Waiting { None, Disable, Close };
    void SetSoundTag(int tag);
    void ShowSamples(const AUDIOReceived &audio);
    // Shows that the queued sound is being waited for, or ends the wait at once
    // when nothing is queued.
    void WaitForSoundToEnd(Waiting why);
    void SoundBlocksReturned();
    void SoundEnded();
    // The right button drags the chart along the time axis.
    bool PanEvent(QEvent *event);
    void PanBy(int pixels);
    // Ticks of the sample axis at powers of two, as many as have room.
    void SampleTicks();

    Waiting waiting_ = Waiting::None;
    int soundTag_ = 0;   // Button2's Tag, read with every line
    QPointer<WaveOutput> connectedOutput_;   // the output whose returned blocks reach this window
    BeatDrawing *chartDrawing_ = nullptr;
    AUDIOReceived charted_;   // the newest line played, charted at the chart's turn
    bool placePending_ = true;
    QObject *panArea_ = nullptr;   // the chart's viewport, compared only
    bool panning_ = false;
    bool panned_ = false;   // the right button moved the chart since it was pressed
    int panFrom_ = 0;
};
