// The FFT window: the measured spectra of the receiver's two H-field loop
// antennas (FFTA), one chart per loop, with the notch filters (NOTCHA) laid
// over them as shaded bands, and the version, integration, gain, DSP load and
// the frequency and level under the mouse above the charts.
#pragma once

#include <QMainWindow>
#include <QRectF>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "plots/fft.h"

#include "sentence/splitters.h"

namespace Ui { class TFFTForm; }
class BeatDrawing;
class ChartView;
class QAreaSeries;
class QLineSeries;
class QValueAxis;

class TFFTForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TFFTForm(QWidget *owner = nullptr);
    ~TFFTForm() override;

    std::unique_ptr<Ui::TFFTForm> ui;
    ChartView *Chart1 = nullptr;
    ChartView *Chart2 = nullptr;

    FFTReceived Received;        // the last FFTA sentence
    int32_t ShownChannels = 1;   // the channel count the layout was made for
    bool Zoomed = false;         // Chart1 zoomed by the user: new spectra leave the axes

    // Series tags: every chart holds the notch overlay (one area per overlap
    // colour, all tagged 0) and then the spectrum (tag 1).
    static constexpr int OverlayTag = 0;
    static constexpr int SpectrumTag = 1;
    static constexpr int OverlayColours = 4;

    // Takes one FFTA or NOTCHA line, whether the window shows or not; what it
    // changes is drawn at the screen-rate beat while the window can be seen.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    // Draws now what the lines left waiting.
    void DrawPending();
    BeatDrawing *Drawing() const { return drawing_; }
    void UpdateCopyMenu();

    QLineSeries *Spectrum(int chart) const { return spectrum_[chart]; }
    QAreaSeries *Overlay(int chart, int colour) const { return overlay_[chart][colour]; }

    // Handlers
    void FormResize();
    void Chart1Resize();
    void Chart2Resize();
    void Chart1AfterDraw();
    void Chart2AfterDraw();
    void Chart1MouseMove(const QPoint &at);
    void Chart2MouseMove(const QPoint &at);
    void Chart1Zoom();
    void Chart1UndoZoom();
    void Close1Click();
    void AlwaysonTop1Click();
    void ShowNotchdata1Click();
    void CopyLoop1ToClipboardClick();
    void CopyLoop2ToClipboardClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void StyleChart(ChartView *chart, const QString &title, const QColor &line, int index);
    void ShowNotches(const std::vector<NotchBand> &bands);
    // The chart's overlay for the shown bands, when its ranges changed how far
    // the bands reach.
    void PlaceNotches(int chart, bool force = false);
    QRectF OverlaySpan(int chart) const;
    // The spectrum of Received as it waits for the beat, with the axes it moves to.
    void TakeSpectrum();
    void ShowSpectrum();
    void Draw();
    void CopyAxes(ChartView *from, ChartView *to);
    void ShowMouse(ChartView *chart, const QPoint &at);
    int MenuHeight() const;

    QLineSeries *spectrum_[2] = {};
    QAreaSeries *overlay_[2][OverlayColours] = {};
    QRectF overlaySpan_[2];   // the overlay's extent in each chart, in the axes' units
    bool coupling_ = false;
    bool resizing_ = false;

    BeatDrawing *drawing_ = nullptr;
    std::optional<std::vector<NotchBand>> notches_;   // the overlay waiting to be drawn
    std::optional<std::vector<NotchBand>> shownNotches_;   // the overlay the charts show
    // The newest spectrum waiting to be drawn, and what the labels say of it.
    struct Waiting {
        SpectrumView View;
        QString Version, Integration, Gain, Load;
        int32_t Channels = 1;
    };
    std::optional<Waiting> waiting_;
    // The ranges the first chart's axes get once the waiting spectra are drawn:
    // each spectrum moves them on from where the one before left them.
    std::unique_ptr<QValueAxis> level_, frequency_;
    bool axesWaiting_ = false;
};
