#include <QApplication>
#include <QAreaSeries>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QValueAxis>
#include <string>

#include "app/layoutrecord.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "logs/notcha.h"
#include "logs/notchaform.h"
#include "platform/chartview.h"
#include "plots/fftplot.h"
#include "sentence_text.h"
#include "ui_fftplot.h"
#include "ui_mainform.h"
#include "ui_notchaform.h"

namespace {

// The receiver's example: FFT length 4096, first bin 0, two bins, 1000 averages,
// 175e6 DSP cycles a second, gain 3; loop 1 at 40.5 and 41 dB, loop 2 at 20 and 21.
const std::string kExample = Sentence("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0,21.0");

// A version 1.1 line of one or two channels with the given levels (both loops alike).
std::string Spectrum(const std::vector<double> &levels, int channels = 2, int first = 0, int length = 1024)
{
    std::string s = "DODU,FFTA,1.1," + std::to_string(length) + "," + std::to_string(first) + "," +
                    std::to_string(levels.size()) + ",64,0.25,5," + std::to_string(channels);
    for (int c = 0; c < channels; ++c)
        for (double v : levels) s += "," + std::to_string(v);
    return Sentence(s);
}

std::string Notcha(const std::string &pairs, int count)
{
    return Sentence("DODU,NOTCHA,1.0,35.37," + std::to_string(count) + ",1," + pairs);
}

QList<QPointF> Band(double from, double to)
{
    return {{0, -100}, {from, -100}, {from, 100}, {to, 100}, {to, -100}, {200, -100}};
}

QList<QPointF> NoBand() { return {{0, -100}, {200, -100}}; }

void ExpectPoints(const QList<QPointF> &got, const QList<QPointF> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x(), want[i].x(), 1e-9) << i;
        EXPECT_EQ(got[i].y(), want[i].y()) << i;
    }
}

} // namespace

class FFTPlotTest : public WindowTest {
protected:
    Ui::TFFTForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        ui = FFTForm->ui.get();
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    void ShowWindow()
    {
        FFTForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FFTForm));
    }
    QList<QPointF> Points(int chart) const { return FFTForm->Spectrum(chart)->points(); }
    QList<QPointF> Overlay(int chart, int colour) const { return FFTForm->Overlay(chart, colour)->upperSeries()->points(); }
    std::pair<double, double> Levels(int chart) const
    {
        QValueAxis *a = (chart ? FFTForm->Chart2 : FFTForm->Chart1)->LeftAxis();
        return {a->min(), a->max()};
    }
    std::pair<double, double> Frequencies(int chart) const
    {
        QValueAxis *a = (chart ? FFTForm->Chart2 : FFTForm->Chart1)->BottomAxis();
        return {a->min(), a->max()};
    }
    QStringList Labels() const
    {
        return {ui->VersionLabel->text(), ui->IntegrationLabel->text(), ui->GainLabel->text(),
                ui->ProcessorLoadLabel->text()};
    }
};

TEST_F(FFTPlotTest, StartsWithOneChartAndItsInitialTexts)
{
    ShowWindow();
    EXPECT_EQ(FFTForm->windowTitle(), "FFT Plot");
    EXPECT_EQ(ui->ClientPanel->size(), QSize(788, 552));
    EXPECT_EQ(FFTForm->Chart1->geometry(), QRect(0, 48, 788, 504));
    EXPECT_FALSE(FFTForm->Chart2->isVisible());
    EXPECT_EQ(FFTForm->ShownChannels, 1);
    EXPECT_FALSE(FFTForm->Zoomed);
    EXPECT_EQ(Labels(), (QStringList{"", "", "Gain set at: --", "Processor Load: --%"}));
    EXPECT_EQ(ui->FrequencyLabel->text(), "-- kHz");
    EXPECT_EQ(ui->dBLabel->text(), "-- dB");
    EXPECT_EQ(ui->IntegrationLabel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(ui->dBLabel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Five boxes of 150 pixels centred with 2-pixel gaps.
    const QStringList titles{"Version", "Integration", "Gain", "TEVRIN DSP", "Mouse at"};
    QGroupBox *boxes[] = {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3, ui->GroupBox4, ui->GroupBox5};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(boxes[i]->title(), titles[i]);
        EXPECT_EQ(boxes[i]->size(), QSize(150, 41));
        EXPECT_EQ(boxes[i]->x(), 14 + 152 * i);
    }

    for (int c = 0; c < 2; ++c) {
        ChartView *chart = c ? FFTForm->Chart2 : FFTForm->Chart1;
        EXPECT_EQ(chart->chart()->title(), QString("Measured Frequency Spectrum H-field Loop %1").arg(c + 1));
        EXPECT_EQ(chart->BottomAxis()->titleText(), "Frequency (kHz)");
        EXPECT_EQ(chart->LeftAxis()->titleText(), "Amplitude (dB)");
        EXPECT_EQ(Frequencies(c), std::make_pair(0.0, 200.0));
        EXPECT_EQ(Levels(c), std::make_pair(0.0, 100.0));
        EXPECT_FALSE(chart->chart()->legend()->isVisible());
        // Series 0 the notch overlay, series 1 the spectrum.
        QList<QAbstractSeries *> series = chart->chart()->series();
        ASSERT_EQ(series.size(), TFFTForm::OverlayColours + 1);
        EXPECT_EQ(series.first()->type(), QAbstractSeries::SeriesTypeArea);
        EXPECT_EQ(ChartView::Tag(series.first()), TFFTForm::OverlayTag);
        EXPECT_EQ(series.last(), FFTForm->Spectrum(c));
        EXPECT_EQ(chart->FindSeries(TFFTForm::SpectrumTag), FFTForm->Spectrum(c));
    }
    EXPECT_EQ(FFTForm->Spectrum(0)->pen().color(), QColor(0, 255, 64));
    EXPECT_EQ(FFTForm->Spectrum(1)->pen().color(), QColor(0, 255, 0));
    EXPECT_EQ(FFTForm->Overlay(0, 0)->brush().color(), QColor(0, 0x80, 0x38));
    EXPECT_EQ(FFTForm->Overlay(1, 3)->brush().color(), QColor(0, 0xE0, 0x38));

    EXPECT_EQ(ui->Close1->text(), "&Close");
    EXPECT_EQ(ui->AlwaysonTop1->text(), "Always on Top");
    EXPECT_EQ(ui->ShowNotchdata1->text(), "&Show Notch data");
    EXPECT_TRUE(ui->ShowNotchdata1->isChecked());
    EXPECT_EQ(ui->CopyLoop1ToClipboard->text(), "Copy FFT Spectrum to Clipboard");
    EXPECT_FALSE(ui->CopyLoop2ToClipboard->isVisible());
}

TEST_F(FFTPlotTest, TheViewItemsShowItAndCloseHidesIt)
{
    EXPECT_FALSE(FFTForm->isVisible());
    MainForm->ui->FFTplot1->trigger();
    EXPECT_TRUE(FFTForm->isVisible());
    EXPECT_FALSE(MainForm->ui->FFTplot1->isChecked());
    EXPECT_EQ(MainForm->WindowOf(MainForm->ui->FFTplot1), FFTForm);
    ui->Close1->trigger();
    EXPECT_FALSE(FFTForm->isVisible());
    ASSERT_NE(FFTForm, nullptr);   // closing only hides it
    MainForm->ui->FFTPlot2->trigger();
    EXPECT_TRUE(FFTForm->isVisible());
}

TEST_F(FFTPlotTest, TheExampleLineDrawsBothLoopsWhileTheWindowIsHidden)
{
    Receive(kExample);
    ExpectPoints(Points(0), {{0.0, 40.5}, {0.09765625, 41.0}});
    ExpectPoints(Points(1), {{0.0, 20.0}, {0.09765625, 21.0}});
    EXPECT_EQ(Labels(), (QStringList{"1.0", "1000 * 4096 pts FFT (10.24 s)", "Gain set at: 3", "Processor Load: 50.00%"}));
    // Levels 20 to 41 dB: 15 to 46; frequencies of the two bins.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(Levels(c), std::make_pair(15.0, 46.0));
        EXPECT_EQ(Frequencies(c), std::make_pair(0.0, 0.1953125));
    }
    EXPECT_EQ(FFTForm->ShownChannels, 2);
    EXPECT_EQ(ui->CopyLoop1ToClipboard->text(), "Copy Channel &1 to Clipboard");
    EXPECT_TRUE(ui->CopyLoop2ToClipboard->isVisible());

    ShowWindow();
    EXPECT_TRUE(FFTForm->Chart2->isVisible());
    const int clientHeight = ui->ClientPanel->height();
    EXPECT_GE(clientHeight, 400);
    const int half = (clientHeight - 48) / 2;
    EXPECT_EQ(FFTForm->Chart1->geometry(), QRect(0, 48, ui->ClientPanel->width(), half));
    EXPECT_EQ(FFTForm->Chart2->geometry(), QRect(0, 48 + half, ui->ClientPanel->width(), half));
}

TEST_F(FFTPlotTest, OneChannelShowsOneChartAndTwoBringTheSecondBack)
{
    ShowWindow();
    Receive(kExample);
    ASSERT_TRUE(FFTForm->Chart2->isVisible());
    Receive(Sentence("DODU,FFTA,1.1,4096,0,2,1000,0.5,3,1,40.5,41.0"));
    EXPECT_EQ(FFTForm->ShownChannels, 1);
    EXPECT_FALSE(FFTForm->Chart2->isVisible());
    EXPECT_EQ(FFTForm->Chart1->height(), ui->ClientPanel->height() - 48);
    EXPECT_EQ(ui->CopyLoop1ToClipboard->text(), "Copy FFT Spectrum to Clipboard");
    EXPECT_FALSE(ui->CopyLoop2ToClipboard->isVisible());
    EXPECT_EQ(ui->ProcessorLoadLabel->text(), "Processor Load: 50.00%");
    EXPECT_TRUE(Points(1).isEmpty());
    ExpectPoints(Points(0), {{0.0, 40.5}, {0.09765625, 41.0}});

    Receive(Spectrum({30, 31, 32}));
    EXPECT_TRUE(FFTForm->Chart2->isVisible());
    EXPECT_TRUE(ui->CopyLoop2ToClipboard->isVisible());
    EXPECT_EQ(Points(1).size(), 3);
    // Three channels: two are drawn, the layout is the two-chart one.
    Receive(Spectrum({30, 31}, 3));
    EXPECT_EQ(FFTForm->ShownChannels, 3);
    EXPECT_TRUE(FFTForm->Chart2->isVisible());
    EXPECT_EQ(Points(1).size(), 2);
}

TEST_F(FFTPlotTest, LinesThatDoNotParseKeepThePreviousSpectra)
{
    Receive(kExample);
    const QList<QPointF> before = Points(0);
    const QStringList labels = Labels();
    std::string wrongSum = kExample;
    wrongSum.back() = wrongSum.back() == '0' ? '1' : '0';
    for (const std::string &line : {
             Sentence("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0"),   // a value short
             Sentence("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,x,20.0,21.0"),
             Sentence("DODU,FFTA,2.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0,21.0"),   // unknown version
             Sentence("DODU,FFTA,1.0,4096,0,0,1000,175000000,3"),                      // no bins
             Sentence("DODU,FFTA,1.1,4096,0,65536,1,1,1,65536,1,2,3,4"),               // counts beyond the line
             Sentence("DODU,FFTA,1.0,4096,0,2147483647,1,1,1,1,2,3,4"),
             Sentence("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,inf,20.0,21.0"),
             wrongSum,
             Sentence("DODU,FFTA,1.0"),
         }) {
        Receive(line);
        EXPECT_EQ(Points(0), before) << line;
        EXPECT_EQ(Labels(), labels) << line;
        EXPECT_EQ(FFTForm->ShownChannels, 2) << line;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FFTPlotTest, ASpectrumWithoutFftLengthChangesNothing)
{
    Receive(kExample);
    const auto levels = Levels(0), frequencies = Frequencies(0);
    Receive(Sentence("DODU,FFTA,1.0,0,0,2,1000,175000000,7,40.5,41.0,20.0,21.0"));
    EXPECT_EQ(Points(0).size(), 2);
    EXPECT_EQ(ui->GainLabel->text(), "Gain set at: 3");
    EXPECT_EQ(Levels(0), levels);
    EXPECT_EQ(Frequencies(0), frequencies);
}

TEST_F(FFTPlotTest, TheOlderAddressFormAndEmptyLevels)
{
    Receive(Sentence("DODU,FFT_1.0,FFT,1024,10,3,8,35000000,2,40,,42,20,21,22"));
    EXPECT_EQ(ui->VersionLabel->text(), "FFT_1.0");
    EXPECT_EQ(ui->ProcessorLoadLabel->text(), "Processor Load: 10.00%");
    // The bin without a level is left out; bins lie at (first bin + i) x 400/1024 kHz.
    ExpectPoints(Points(0), {{10 * 0.390625, 40}, {12 * 0.390625, 42}});
    EXPECT_EQ(Points(1).size(), 3);
}

TEST_F(FFTPlotTest, TheLevelAxisMovesOnlyBeyondItsMargins)
{
    Receive(Spectrum({20, 40, 60}));
    EXPECT_EQ(Levels(0), std::make_pair(15.0, 65.0));
    Receive(Spectrum({15, 30, 65}));
    Receive(Spectrum({25, 30, 55}));
    EXPECT_EQ(Levels(0), std::make_pair(15.0, 65.0));
    // All above the current maximum: one step to the new range.
    Receive(Spectrum({80, 85, 90}));
    EXPECT_EQ(Levels(0), std::make_pair(75.0, 95.0));
    EXPECT_EQ(Levels(1), std::make_pair(75.0, 95.0));
    // All below 0 dB: the maximum follows the tracking's start at 0 dB.
    Receive(Spectrum({-40, -30, -20}));
    EXPECT_EQ(Levels(0), std::make_pair(-45.0, 5.0));
    // The frequency axis follows the bins sent.
    Receive(Spectrum({20, 40, 60}, 2, 256));
    EXPECT_EQ(Frequencies(0), std::make_pair(100.0, 259 * 0.390625));
    EXPECT_EQ(Frequencies(1), Frequencies(0));
}

TEST_F(FFTPlotTest, WhileZoomedNewSpectraLeaveTheAxes)
{
    ShowWindow();
    Receive(kExample);
    Receive(Spectrum({20, 40, 60, 50, 30, 45, 35, 25}));
    ChartView *chart = FFTForm->Chart1;
    const auto home = std::make_pair(Levels(0), Frequencies(0));
    // A click is no zoom, and the second chart has no say in it.
    const QPoint at = PlotPoint(chart, 0.5, 0.5);
    Mouse(chart->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(chart->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(FFTForm->Zoomed);
    DragZoom(FFTForm->Chart2);
    EXPECT_FALSE(FFTForm->Zoomed);
    EXPECT_EQ(Levels(0), Levels(1));   // but its zoom shows in the first chart too
    RightClick(FFTForm->Chart2);
    EXPECT_EQ(std::make_pair(Levels(0), Frequencies(0)), home);
    DragZoom(chart);
    ASSERT_TRUE(chart->IsZoomed());
    EXPECT_TRUE(FFTForm->Zoomed);
    const auto zoomed = std::make_pair(Levels(0), Frequencies(0));
    EXPECT_NE(zoomed, home);
    // The second chart shows the same ranges.
    EXPECT_EQ(Levels(1), zoomed.first);
    EXPECT_EQ(Frequencies(1), zoomed.second);

    Receive(Spectrum({80, 85, 90, 95, 85, 80, 82, 88}));
    EXPECT_EQ(Points(0)[2].y(), 90.0);   // the curve is new
    EXPECT_EQ(std::make_pair(Levels(0), Frequencies(0)), zoomed);

    RightClick(chart);
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_FALSE(FFTForm->Zoomed);
    EXPECT_EQ(std::make_pair(Levels(0), Frequencies(0)), home);
    EXPECT_EQ(Levels(1), home.first);
    Receive(Spectrum({80, 85, 90, 95, 85, 80, 82, 88}));
    EXPECT_EQ(Levels(0), std::make_pair(75.0, 100.0));
}

TEST_F(FFTPlotTest, TheNotchOverlayComesFromNotchaLines)
{
    Receive(Notcha("100.0,1.0", 1));
    for (int c = 0; c < 2; ++c) {
        ExpectPoints(Overlay(c, 0), Band(99.5, 100.51));
        ExpectPoints(Overlay(c, 1), NoBand());
        EXPECT_EQ(FFTForm->Overlay(c, 0)->lowerSeries()->points(), (QList<QPointF>{{0, -100}, {200, -100}}));
    }
    // Two overlapping notches: the common part in the two-notch colour.
    Receive(Notcha("100.0,1.0,100.5,1.0,0,0,250.0,1.0", 4));
    QList<QPointF> single = Overlay(0, 0);
    ASSERT_EQ(single.size(), 10);
    EXPECT_NEAR(single[1].x(), 99.5, 1e-9);
    EXPECT_NEAR(single[4].x(), 100.0, 1e-9);
    EXPECT_NEAR(single[5].x(), 100.51, 1e-9);
    EXPECT_NEAR(single[8].x(), 101.01, 1e-9);
    ExpectPoints(Overlay(1, 1), Band(100.0, 100.51));

    // An FFTA line leaves the overlay; a NOTCHA line leaves the spectra.
    Receive(kExample);
    EXPECT_EQ(Overlay(0, 1).size(), 6);
    const QStringList labels = Labels();
    Receive(Notcha("150.0,2.0", 1));
    ExpectPoints(Overlay(0, 0), Band(149.0, 151.01));
    EXPECT_EQ(Overlay(0, 1), NoBand());
    EXPECT_EQ(Labels(), labels);
    EXPECT_EQ(Points(0).size(), 2);
    // A bad NOTCHA line changes nothing.
    Receive(Notcha("120.0,x", 1));
    ExpectPoints(Overlay(0, 0), Band(149.0, 151.01));
}

TEST_F(FFTPlotTest, NotchaLinesReachTheLogWindowFirstAndTheOverlayAlways)
{
    MainForm->ui->NOTCHA1->trigger();
    ASSERT_TRUE(MainForm->ui->NOTCHA1->isChecked());
    Receive(Notcha("100.0,1.0", 1));
    EXPECT_EQ(NOTCHAForm->ui->NumNotchesLabel->text(), "1");
    ExpectPoints(Overlay(0, 0), Band(99.5, 100.51));
}

TEST_F(FFTPlotTest, ShowNotchDataHidesTheOverlayWhichStillFollowsTheLines)
{
    ui->ShowNotchdata1->trigger();
    EXPECT_FALSE(ui->ShowNotchdata1->isChecked());
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < TFFTForm::OverlayColours; ++k) EXPECT_FALSE(FFTForm->Overlay(c, k)->isVisible());
    EXPECT_TRUE(FFTForm->Spectrum(0)->isVisible());
    Receive(Notcha("100.0,1.0", 1));
    ExpectPoints(Overlay(1, 0), Band(99.5, 100.51));
    ui->ShowNotchdata1->trigger();
    EXPECT_TRUE(FFTForm->Overlay(1, 0)->isVisible());
}

TEST_F(FFTPlotTest, TheMouseReadsFrequencyAndLevelInsideThePlot)
{
    ShowWindow();
    Receive(Spectrum({20, 40, 60}, 2, 0, 2));   // 0 to 600 kHz, 15 to 65 dB
    ASSERT_EQ(Frequencies(0), std::make_pair(0.0, 600.0));
    ChartView *chart = FFTForm->Chart1;
    Mouse(chart->viewport(), QEvent::MouseMove, PlotPoint(chart, 0.5, 0.5), Qt::NoButton, Qt::NoButton);
    const double kHz = ui->FrequencyLabel->text().section(' ', 0, 0).toDouble();
    const double dB = ui->dBLabel->text().section(' ', 0, 0).toDouble();
    EXPECT_TRUE(ui->FrequencyLabel->text().endsWith(" kHz"));
    EXPECT_TRUE(ui->dBLabel->text().endsWith(" dB"));
    EXPECT_NEAR(kHz, 300.0, 3.0);
    EXPECT_NEAR(dB, 40.0, 1.0);
    // Outside the plot (over the title) the read-out stays.
    const QString shown = ui->FrequencyLabel->text();
    Mouse(chart->viewport(), QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ui->FrequencyLabel->text(), shown);
    // The second chart reads its own axes (the same ranges here), once it is laid out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return FFTForm->Chart2->chart()->plotArea().width() > 100; }, 2000));
    Mouse(FFTForm->Chart2->viewport(), QEvent::MouseMove, PlotPoint(FFTForm->Chart2, 0.01, 0.99), Qt::NoButton,
         Qt::NoButton);
    EXPECT_NEAR(ui->FrequencyLabel->text().section(' ', 0, 0).toDouble(), 6.0, 3.0);
    EXPECT_NEAR(ui->dBLabel->text().section(' ', 0, 0).toDouble(), 15.5, 1.0);
}

TEST_F(FFTPlotTest, TheLoopsGoToTheClipboard)
{
    ShowWindow();
    Receive(kExample);
    ui->CopyLoop1ToClipboard->trigger();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/png"));
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").size(), FFTForm->Chart1->size());
    EXPECT_TRUE(data->data("image/svg+xml").contains("Loop 1"));
    ui->CopyLoop2ToClipboard->trigger();
    data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data("image/svg+xml").contains("Loop 2"));
}

TEST_F(FFTPlotTest, AlwaysOnTopAndTheStoredLayout)
{
    ShowWindow();
    ui->AlwaysonTop1->trigger();
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(FFTForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(FFTForm->isVisible());
    MainForm->StorecurrentWindows1Click();
    ui->AlwaysonTop1->trigger();
    EXPECT_FALSE(ui->AlwaysonTop1->isChecked());
    EXPECT_FALSE(FFTForm->windowFlags() & Qt::WindowStaysOnTopHint);
    {
        SettingsStore store;
        std::optional<QByteArray> bytes = store.ReadBinary("FFTplot1");
        ASSERT_TRUE(bytes);
        std::optional<LayoutRecord> r = LayoutRecord::Decode(bytes->toStdString());
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->Open);
        EXPECT_EQ(r->Style, LayoutRecord::StayOnTop);
        EXPECT_EQ(r->Width, FFTForm->width());
    }
    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(FFTForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FFTPlotTest, TheWindowKeepsItsMinimumSize)
{
    ShowWindow();
    FFTForm->resize(400, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->width() >= 760 && ui->ClientPanel->height() >= 300; }, 2000));
    EXPECT_EQ(FFTForm->Chart1->width(), ui->ClientPanel->width());
    EXPECT_EQ(ui->GroupBox1->x(), (ui->ClientPanel->width() - 760) / 2);
    Receive(kExample);   // two charts need 400 pixels
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui->ClientPanel->height() >= 400; }, 2000));
}

TEST_F(FFTPlotTest, TheSampleFillsTheWindow)
{
    QFile f(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray sample = f.readAll();
    ShowWindow();
    for (qsizetype at = 0, piece = 1; at < sample.size(); at += piece, piece = piece % 1499 + 97)
        MainForm->ReceiveData(sample.mid(at, piece));

    // The last good FFT and NOTCHA lines of the sample are what the window shows
    // (the simulator spoils some lines on purpose).
    FFTReceived expected;
    NotchaRecord notches;
    int spectra = 0;
    for (const QByteArray &line : sample.split('\n')) {
        const std::string text = line.trimmed().toStdString();
        FFTReceived fft;
        if (fft.Parse(text.c_str()) == 0 && fft.ChannelCount > 0) {
            expected = std::move(fft);
            ++spectra;
        }
        NotchaRecord n;
        if (n.Parse(text.c_str()) == 0) notches = n;
    }
    ASSERT_GT(spectra, 100);
    ASSERT_GE(expected.ChannelCount, 2);
    EXPECT_EQ(ui->VersionLabel->text(), QString::fromLatin1(expected.Version));
    EXPECT_EQ(ui->IntegrationLabel->text().toStdString(), IntegrationText(expected));
    ASSERT_EQ(Points(1).size(), expected.BinCount);
    EXPECT_EQ(Points(1).last().y(), expected.Channels[1].back());
    const auto levels = Levels(0);
    EXPECT_LT(levels.first, levels.second);
    const size_t bands = BuildNotchBands(notches).size();
    size_t shown = 0;
    for (int k = 0; k < TFFTForm::OverlayColours; ++k) shown += static_cast<size_t>((Overlay(0, k).size() - 2) / 4);
    EXPECT_EQ(shown, bands);
    EXPECT_TRUE(boxes.empty());
}

TEST(ChartViewTest, GoesWithItsSeriesStillOnIt)
{
    // A plot that keeps its series to the end (the FFT window does) must not
    // have the view's kept lines touched while the chart deletes them.
    auto *view = new ChartView;
    view->resize(400, 300);
    QList<QPointF> points;
    for (int i = 0; i < 50000; ++i) points.append(QPointF(i, i % 17));
    view->SetXRange(0, 49999);
    QLineSeries *line = view->AddLineSeries(5, "kept");
    view->SetSeriesPoints(line, points);
    ASSERT_LT(line->count(), points.size());   // thinned: the view keeps the full line
    QAreaSeries *area = view->AddAreaSeries(6, "area");
    EXPECT_EQ(ChartView::Tag(area), 6);
    EXPECT_EQ(view->Series().size(), 1);
    delete view;
}
