// The FFT window: the measured spectra of the receiver's two H-field loop
// antennas (FFTA), one chart per loop, with the notch filters (NOTCHA) laid
// over them as shaded bands, and the version, integration, gain, DSP load and
// the frequency and level under the mouse above the charts.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <vector>

#include "plots/fft.h"

#include "sentence/splitters.h"

namespace Ui { class TFFTForm; }
class ChartView;
class QAreaSeries;
class QLineSeries;

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

    // Takes one FFTA or NOTCHA line, whether the window shows or not.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
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
    void ShowSpectrum();
    void CopyAxes(ChartView *from, ChartView *to);
    void ShowMouse(ChartView *chart, const QPoint &at);
    int MenuHeight() const;

    QLineSeries *spectrum_[2] = {};
    QAreaSeries *overlay_[2][OverlayColours] = {};
    bool coupling_ = false;
    bool resizing_ = false;
};
