// The FFT window fed through the router: one chart per loop, the notch overlay
// and zoom over both charts.
#include <QAreaSeries>
#include <QSignalSpy>

#include "gui_test_support.h"
#include "logs/notchaform.h"
#include "plots/fftplot.h"
#include "ui_fftplot.h"
#include "ui_notchaform.h"

namespace {

// FFT length 4096, first bin 0, two bins, 1000 averages, 175e6 DSP cycles a
// second, gain 3; loop 1 at 40.5 and 41 dB, loop 2 at 20 and 21.
const std::string kExample = "DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0,21.0";

// A version 1.1 line of one or two channels with the given levels (both loops alike).
std::string Spectrum(const std::vector<double> &levels, int channels = 2, int first = 0, int length = 1024)
{
    std::string s = "DODU,FFTA,1.1," + std::to_string(length) + "," + std::to_string(first) + "," +
                    std::to_string(levels.size()) + ",64,0.25,5," + std::to_string(channels);
    for (int c = 0; c < channels; ++c)
        for (double v : levels) s += "," + std::to_string(v);
    return s;
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
    qsizetype Points(int chart) const { return Shown(FFTForm->Spectrum(chart)).size(); }
    // A line, and what the window shows of it at the next beat.
    void Take(const std::string &body)
    {
        Receive(body);
        FFTForm->DrawPending();
    }
    std::pair<double, double> Axis(int chart, bool levels = true) const
    {
        ChartView *c = chart ? FFTForm->Chart2 : FFTForm->Chart1;
        QValueAxis *a = levels ? c->LeftAxis() : c->BottomAxis();
        return {a->min(), a->max()};
    }
};

TEST_F(FFTPlotTest, EachLoopHasItsChartAndBadLinesKeepThePreviousSpectra)
{
    Receive(kExample);   // taken while hidden, drawn once shown
    EXPECT_EQ(Points(1), 0);
    EXPECT_EQ(ui->IntegrationLabel->text(), "");
    ShowAndWait(FFTForm);
    ASSERT_TRUE(Drawn(FFTForm->Drawing()));
    ASSERT_EQ(Points(1), 2);
    EXPECT_EQ(Shown(FFTForm->Spectrum(1)).at(1), QPointF(0.09765625, 21.0));
    EXPECT_EQ(ui->IntegrationLabel->text(), "1000 * 4096 pts FFT (10.24 s)");
    EXPECT_EQ(ui->ProcessorLoadLabel->text(), "Processor Load: 50.00%");
    EXPECT_EQ(Axis(1), std::make_pair(15.0, 46.0));

    const QString labels = ui->VersionLabel->text() + ui->GainLabel->text();
    for (const std::string &line : {std::string("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0"),
                                    std::string("DODU,FFTA,2.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0,21.0"),
                                    std::string("DODU,FFTA,1.0,-4096,0,2,1000,175000000,7,40.5,41.0,20.0,21.0")}) {
        Take(line);
        EXPECT_EQ(Points(0), 2) << line;
        EXPECT_EQ(ui->VersionLabel->text() + ui->GainLabel->text(), labels) << line;
    }
    Take("DODU,FFTA,1.1,4096,0,2,1000,0.5,3,1,40.5,41.0");   // one channel: one chart
    EXPECT_FALSE(FFTForm->Chart2->isVisible());
    EXPECT_EQ(FFTForm->Chart1->height(), ui->ClientPanel->height() - 48);
    EXPECT_FALSE(ui->CopyLoop2ToClipboard->isVisible());
    EXPECT_EQ(Points(1), 0);
    Take(Spectrum({30, 31}, 3));   // three channels: two are drawn
    EXPECT_TRUE(FFTForm->Chart2->isVisible());
    EXPECT_EQ(Points(1), 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FFTPlotTest, ASpectrumOfLengthZeroClearsTheCurvesAndSaysSo)
{
    ShowAndWait(FFTForm);
    for (std::string length : {"0", ""}) {   // an empty length is read as nothing, and is no error
        Take(kExample);
        const auto axes = std::make_pair(Axis(0), Axis(0, false));
        Take("DODU,FFTA,1.0," + length + ",0,2,1000,175000000,7,40.5,41.0,20.0,21.0");
        EXPECT_EQ(Points(0) + Points(1), 0) << length;
        EXPECT_EQ(ui->IntegrationLabel->text(), "1000 * 0 pts FFT (0.00 s)") << length;
        EXPECT_EQ(ui->GainLabel->text(), "Gain set at: 7") << length;
        EXPECT_EQ(std::make_pair(Axis(0), Axis(0, false)), axes) << "no points, nothing to scale to";
        EXPECT_TRUE(FFTForm->Chart2->isVisible());
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FFTPlotTest, BothChartsZoomTogetherAndNewSpectraLeaveTheZoom)
{
    ShowAndWait(FFTForm);
    Take(Spectrum({20, 40, 60, 50, 30, 45, 35, 25}));
    ChartView *chart = FFTForm->Chart1;
    const auto home = std::make_pair(Axis(0), Axis(0, false));
    Drag(chart, 0.5, 0.5, 0.5, 0.5);   // a click is no zoom
    EXPECT_FALSE(FFTForm->Zoomed);
    DragZoom(FFTForm->Chart2);   // the second chart's zoom shows in the first
    EXPECT_EQ(Axis(0), Axis(1));
    RightClick(FFTForm->Chart2);
    EXPECT_EQ(std::make_pair(Axis(0), Axis(0, false)), home);
    DragZoom(chart);
    ASSERT_TRUE(FFTForm->Zoomed);
    const auto zoomed = std::make_pair(Axis(0), Axis(0, false));
    EXPECT_NE(zoomed, home);
    EXPECT_EQ(std::make_pair(Axis(1), Axis(1, false)), zoomed);
    Take(Spectrum({80, 85, 90, 95, 85, 80, 82, 88}));
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).at(2).y(), 90.0);
    EXPECT_EQ(std::make_pair(Axis(0), Axis(0, false)), zoomed);
    RightClick(chart);
    EXPECT_FALSE(FFTForm->Zoomed);
    EXPECT_EQ(std::make_pair(Axis(1), Axis(1, false)), home);
    Take(Spectrum({80, 85, 90, 95, 85, 80, 82, 88}));
    EXPECT_EQ(Axis(0), std::make_pair(75.0, 100.0));
}

TEST_F(FFTPlotTest, TheNotchOverlayFollowsNotchaLinesWhateverShowsThem)
{
    MainForm->findChild<QAction *>("NOTCHA1")->trigger();
    Take("DODU,NOTCHA,1.0,35.37,1,1,100.0,1.0");
    NOTCHAForm->DrawPending();   // what the window shows within 50 ms
    EXPECT_EQ(NOTCHAForm->ui->NumNotchesLabel->text(), "1");
    const QList<QPointF> band{{0, -100}, {99.5, -100}, {99.5, 100}, {100.51, 100}, {100.51, -100}, {200, -100}};
    EXPECT_EQ(FFTForm->Overlay(1, 0)->upperSeries()->points().size(), band.size());
    EXPECT_NEAR(FFTForm->Overlay(1, 0)->upperSeries()->at(3).x(), 100.51, 1e-9);
    ui->ShowNotchdata1->trigger();
    EXPECT_FALSE(FFTForm->Overlay(0, 0)->isVisible());
    Take("DODU,NOTCHA,1.0,35.37,1,1,150.0,2.0");   // hidden, still followed
    EXPECT_NEAR(FFTForm->Overlay(0, 0)->upperSeries()->at(1).x(), 149.0, 1e-9);
    QSignalSpy replaced(FFTForm->Overlay(0, 0)->upperSeries(), &QXYSeries::pointsReplaced);
    Take("DODU,NOTCHA,1.0,35.37,1,1,150.0,2.0");   // the same bands: the overlay is not laid out again
    EXPECT_EQ(replaced.count(), 0);
    Take("DODU,NOTCHA,1.0,35.37,1,1,160.0,2.0");
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_NEAR(FFTForm->Overlay(0, 0)->upperSeries()->at(1).x(), 159.0, 1e-9);
    Take("DODU,NOTCHA,1.0,35.37,1,1,150.0,2.0");
    Take("DODU,NOTCHA,1.0,35.37,1,1,120.0,x");
    EXPECT_NEAR(FFTForm->Overlay(0, 0)->upperSeries()->at(1).x(), 149.0, 1e-9);
    ui->ShowNotchdata1->trigger();
    EXPECT_TRUE(FFTForm->Overlay(0, 0)->isVisible());
}

namespace {

// The chart as drawn with the overlay's bands reaching from -100 to 100 dB
// (every band's top and bottom moved there), the overlay put back after.
QImage WithFullHeightBands(TFFTForm *form, int chart)
{
    ChartView *view = chart ? form->Chart2 : form->Chart1;
    std::vector<std::pair<QLineSeries *, QList<QPointF>>> kept;
    for (int c = 0; c < TFFTForm::OverlayColours; ++c)
        for (QLineSeries *line : {form->Overlay(chart, c)->upperSeries(), form->Overlay(chart, c)->lowerSeries()}) {
            QList<QPointF> points = line->points();
            kept.emplace_back(line, points);
            double bottom = points.front().y(), top = bottom;
            for (const QPointF &p : points) top = std::max(top, p.y());
            for (QPointF &p : points) p.setY(p.y() == top && top > bottom ? 100.0 : -100.0);
            line->replace(points);
        }
    const QImage image = view->ChartImage();
    for (auto &[line, points] : kept) line->replace(points);
    return image;
}

// The rectangles a widget was repainted in.
class PaintedRegion : public QObject {
public:
    explicit PaintedRegion(QWidget *widget) { widget->installEventFilter(this); }
    QRegion region;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

}   // namespace

// The notch bands look as bands from -100 to 100 dB (the level range inside
// them or around them, zoomed in, at another size), and new bands repaint the
// plot areas, not the titles and labels around them.
TEST_F(FFTPlotTest, NotchBandsLookAsFromMinus100To100dBAndRepaintThePlotAreaOnly)
{
    ShowAndWait(FFTForm);
    Take(Spectrum({20, 40, 60, 50, 30, 45, 35, 25}));
    FFTForm->Chart1->SetXRange(0, 200);   // the bands in sight
    Take("DODU,NOTCHA,1.0,35.37,2,1,100.0,1.0,2,130.0,2.0");
    auto same = [&](const char *what) {
        for (int chart = 0; chart < 2; ++chart) {
            ChartView *view = chart ? FFTForm->Chart2 : FFTForm->Chart1;
            const QImage drawn = view->ChartImage();
            EXPECT_TRUE(drawn == WithFullHeightBands(FFTForm, chart)) << what << " chart " << chart;
        }
    };
    same("home");
    const QImage withBands = FFTForm->Chart1->ChartImage();
    for (int c = 0; c < TFFTForm::OverlayColours; ++c) FFTForm->Overlay(0, c)->setVisible(false);
    EXPECT_FALSE(FFTForm->Chart1->ChartImage() == withBands);   // the bands show
    for (int c = 0; c < TFFTForm::OverlayColours; ++c) FFTForm->Overlay(0, c)->setVisible(true);
    FFTForm->Chart1->SetYRange(-150, 150);   // the bands' ends inside the plot area
    same("wide");
    FFTForm->Chart1->SetYRange(31.3, 47.9);
    same("narrow");
    DragZoom(FFTForm->Chart1);
    same("zoomed");
    RightClick(FFTForm->Chart1);
    FFTForm->resize(FFTForm->width() - 150, FFTForm->height() + 170);
    ASSERT_TRUE(ScreenStill(FFTForm));
    same("resized");

    ChartView *view = FFTForm->Chart1;
    ASSERT_TRUE(ScreenStill(FFTForm));
    PaintedRegion painted(view->viewport());
    Take("DODU,NOTCHA,1.0,35.37,1,1,70.0,1.0");
    ASSERT_TRUE(ScreenStill(FFTForm));
    const QRect area = view->chart()->plotArea().toAlignedRect();
    EXPECT_FALSE(painted.region.isEmpty());
    const QRect around = area.adjusted(-8, -8, 8, 8);
    EXPECT_TRUE((painted.region - around).isEmpty()) << "repainted y " << painted.region.boundingRect().top() << " to "
                                                     << painted.region.boundingRect().bottom();
}
