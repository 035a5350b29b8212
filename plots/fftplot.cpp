#include "plots/fftplot.h"

#include <QAreaSeries>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QMenuBar>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "logs/notcha.h"
#include "platform/beatdrawing.h"
#include "platform/chartview.h"
#include "platform/plaintext.h"
#include "ui_fftplot.h"

namespace {

// The colours of the window: the class library's grey, silver, green and lime,
// and the spectrum of loop 1 (0x40FF00 as blue-green-red).
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor OverlayGreen(0, 128, 0);
const QColor Loop1Colour(0, 255, 64);
const QColor Loop2Colour(0, 255, 0);

// The area spans the whole height of the level axis's usual range.
constexpr double OverlayBottom = -100.0;
constexpr double OverlayTop = 100.0;

constexpr int MinClientWidth = 760;

AxisLimits Limits(const QValueAxis *axis) { return {axis->min(), axis->max()}; }

QList<QPointF> ToPoints(const std::vector<SpectrumPoint> &line)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(line.size()));
    for (const SpectrumPoint &p : line) points.append(QPointF(p.x, p.y));
    return points;
}

} // namespace

TFFTForm::TFFTForm(QWidget *owner) : QMainWindow(owner), ui(std::make_unique<Ui::TFFTForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    // A window of its own, though owned by the main window.
    setWindowFlags(Qt::Window);
    Chart1 = ui->Chart1;
    Chart2 = ui->Chart2;

    QPalette dark = ui->ClientPanel->palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Silver);
    ui->ClientPanel->setPalette(dark);
    ui->ClientPanel->setAutoFillBackground(true);

    StyleChart(Chart1, "Measured Frequency Spectrum H-field Loop 1", Loop1Colour, 0);
    StyleChart(Chart2, "Measured Frequency Spectrum H-field Loop 2", Loop2Colour, 1);

    connect(ui->Close1, &QAction::triggered, this, &TFFTForm::Close1Click);
    connect(ui->AlwaysonTop1, &QAction::triggered, this, &TFFTForm::AlwaysonTop1Click);
    connect(ui->ShowNotchdata1, &QAction::triggered, this, &TFFTForm::ShowNotchdata1Click);
    connect(ui->CopyLoop1ToClipboard, &QAction::triggered, this, &TFFTForm::CopyLoop1ToClipboardClick);
    connect(ui->CopyLoop2ToClipboard, &QAction::triggered, this, &TFFTForm::CopyLoop2ToClipboardClick);
    connect(Chart1, &ChartView::ZoomedIn, this, &TFFTForm::Chart1Zoom);
    connect(Chart1, &ChartView::ZoomUndone, this, &TFFTForm::Chart1UndoZoom);
    // Whatever changes one chart's ranges (a zoom, its undo, a new spectrum)
    // shows in the other as well.
    for (QValueAxis *axis : {Chart1->LeftAxis(), Chart1->BottomAxis()})
        connect(axis, &QValueAxis::rangeChanged, this, &TFFTForm::Chart1AfterDraw);
    for (QValueAxis *axis : {Chart2->LeftAxis(), Chart2->BottomAxis()})
        connect(axis, &QValueAxis::rangeChanged, this, &TFFTForm::Chart2AfterDraw);
    for (int c = 0; c < 2; ++c) {
        ChartView *chart = c ? Chart2 : Chart1;
        for (QValueAxis *axis : {chart->LeftAxis(), chart->BottomAxis()})
            connect(axis, &QValueAxis::rangeChanged, this, [this, c] { PlaceNotches(c); });
    }
    for (ChartView *chart : {Chart1, Chart2}) {
        chart->installEventFilter(this);
        chart->viewport()->installEventFilter(this);
        chart->viewport()->setMouseTracking(true);
    }

    // Construction state
    ui->VersionLabel->clear();
    ui->IntegrationLabel->clear();
    ui->GainLabel->setText("Gain set at: --");
    ui->ProcessorLoadLabel->setText("Processor Load: --%");
    ui->FrequencyLabel->setText("-- kHz");
    ui->dBLabel->setText("-- dB");
    Zoomed = false;
    ShownChannels = 1;
    level_ = std::make_unique<QValueAxis>();
    frequency_ = std::make_unique<QValueAxis>();
    drawing_ = new BeatDrawing(this, [this] { Draw(); });
    resize(788, 552 + MenuHeight());
    FormResize();
    UpdateCopyMenu();
}

TFFTForm::~TFFTForm()
{
    drawing_->Discard();
    // The axes' signals must not reach a half-destroyed window.
    for (ChartView *chart : {Chart1, Chart2}) {
        chart->removeEventFilter(this);
        chart->viewport()->removeEventFilter(this);
        for (QValueAxis *axis : {chart->LeftAxis(), chart->BottomAxis()}) disconnect(axis, nullptr, this, nullptr);
    }
}

void TFFTForm::StyleChart(ChartView *view, const QString &title, const QColor &line, int index)
{
    QChart *chart = view->chart();
    chart->setTitle(title);
    chart->setTitleBrush(Silver);
    chart->setBackgroundBrush(Qt::black);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 2, 8, 2));
    chart->legend()->setVisible(false);
    view->SetBackColor(Qt::black);
    view->setBackgroundBrush(Qt::black);
    for (QValueAxis *axis : {view->BottomAxis(), view->LeftAxis()}) {
        axis->setLinePenColor(Grey);
        axis->setGridLinePen(QPen(QColor(72, 72, 72), 1, Qt::DotLine));
        axis->setLabelsColor(Silver);
        axis->setTitleBrush(Silver);
    }
    view->BottomAxis()->setTitleText("Frequency (kHz)");
    view->LeftAxis()->setTitleText("Amplitude (dB)");
    view->SetXRange(0.0, 200.0);
    view->SetYRange(0.0, 100.0);

    // Series 0: the notch overlay, one area per overlap colour, behind the spectrum.
    for (int c = 0; c < OverlayColours; ++c) {
        QAreaSeries *area = view->AddAreaSeries(OverlayTag, "Notches");
        area->setPen(Qt::NoPen);
        area->setColor(QColor(static_cast<QRgb>(NotchBandColour(c + 1))));
        area->setBorderColor(Qt::transparent);
        overlay_[index][c] = area;
    }
    // Series 1: the spectrum.
    QLineSeries *spectrum = view->AddLineSeries(SpectrumTag, title);
    QPen pen(line);
    pen.setWidth(1);
    spectrum->setPen(pen);
    spectrum_[index] = spectrum;
}

// ---------------------------------------------------------------------------
// Intake
// ---------------------------------------------------------------------------

void TFFTForm::NewData(const SentenceLine &line)
{
    NotchaRecord notches;
    if (notches.Parse(line) == 0) {
        notches_ = BuildNotchBands(notches);
        drawing_->Changed();
    }
    if (Received.Parse(line) != 0 || Received.ChannelCount <= 0) return;
    TakeSpectrum();
    drawing_->Changed();
}

void TFFTForm::DrawPending() { drawing_->DrawPending(); }

void TFFTForm::Draw()
{
    if (notches_) ShowNotches(*notches_);
    notches_.reset();
    if (waiting_) ShowSpectrum();
    waiting_.reset();
}

void TFFTForm::ShowNotches(const std::vector<NotchBand> &bands)
{
    // The same bands again change nothing: Qt Charts would lay the overlay out
    // again and repaint both plot areas.
    auto same = [](const NotchBand &a, const NotchBand &b) {
        return a.From == b.From && a.To == b.To && a.Notches == b.Notches;
    };
    if (shownNotches_ && std::equal(bands.begin(), bands.end(), shownNotches_->begin(), shownNotches_->end(), same))
        return;
    shownNotches_ = bands;
    for (int chart = 0; chart < 2; ++chart) PlaceNotches(chart, true);
}

// The bands reach from 100 dB below to 100 dB above zero and the overlay from
// 0 to 200 kHz, but past the axes' ranges by a 200th of them at most: the
// plot area clips the overlay to the same pixels (however little it reaches
// past it), and a new set of bands repaints the plot area only, not the titles
// and labels around it.
QRectF TFFTForm::OverlaySpan(int chart) const
{
    const ChartView *view = chart ? Chart2 : Chart1;
    const QRectF full(QPointF(0.0, OverlayBottom), QPointF(200.0, OverlayTop));
    const QValueAxis *x = view->BottomAxis(), *y = view->LeftAxis();
    const double width = x->max() - x->min(), height = y->max() - y->min();
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height))) return full;
    const double mx = width / 200, my = height / 200;
    return QRectF(QPointF(x->min() - mx, y->min() - my), QPointF(x->max() + mx, y->max() + my)) & full;
}

void TFFTForm::PlaceNotches(int chart, bool force)
{
    if (!shownNotches_) return;
    const QRectF span = OverlaySpan(chart);
    if (!force && span == overlaySpan_[chart]) return;
    overlaySpan_[chart] = span;
    const double bottom = span.top(), top = span.bottom();   // the axis' units: top() is the lower end
    auto within = [&](double x) { return std::clamp(x, span.left(), span.right()); };
    for (int c = 0; c < OverlayColours; ++c) {
        QList<QPointF> upper{{span.left(), bottom}};
        for (const NotchBand &band : *shownNotches_) {
            if (std::min(band.Notches, OverlayColours) != c + 1) continue;
            upper << QPointF(within(band.From), bottom) << QPointF(within(band.From), top)
                  << QPointF(within(band.To), top) << QPointF(within(band.To), bottom);
        }
        upper << QPointF(span.right(), bottom);
        const QList<QPointF> lower{{span.left(), bottom}, {span.right(), bottom}};
        overlay_[chart][c]->upperSeries()->replace(upper);
        overlay_[chart][c]->lowerSeries()->replace(lower);
    }
}

void TFFTForm::TakeSpectrum()
{
    Waiting w;
    w.View = BuildSpectrum(Received);
    // A spectrum without points (FFT length 0) clears the curves but has no
    // levels or bins to scale the axes to: they stay as they are.
    if (!Zoomed && w.View.PointCount() > 0) {
        if (!axesWaiting_) {
            level_->setRange(Chart1->LeftAxis()->min(), Chart1->LeftAxis()->max());
            frequency_->setRange(Chart1->BottomAxis()->min(), Chart1->BottomAxis()->max());
        }
        const AxisLimits level = NextLevelAxis(Limits(level_.get()), w.View.Lowest, w.View.Highest);
        const AxisLimits frequency = NextFrequencyAxis(Limits(frequency_.get()), Received, w.View.Step);
        // As the chart's axes take them.
        if (const auto y = ChartView::YRangeFor(level.Min, level.Max)) level_->setRange(y->first, y->second);
        const auto x = ChartView::XRangeFor(frequency.Min, frequency.Max);
        frequency_->setRange(x.first, x.second);
        axesWaiting_ = true;
    }
    w.Version = QString::fromLatin1(Received.Version);
    w.Integration = QString::fromStdString(IntegrationText(Received));
    w.Gain = QString::fromStdString(GainText(Received));
    w.Load = QString::fromStdString(ProcessorLoadText(Received));
    w.Channels = Received.ChannelCount;
    waiting_ = std::move(w);
}

void TFFTForm::ShowSpectrum()
{
    const Waiting &w = *waiting_;
    if (axesWaiting_) {
        axesWaiting_ = false;
        for (ChartView *chart : {Chart1, Chart2}) {
            chart->SetYRange(level_->min(), level_->max());
            chart->SetXRange(frequency_->min(), frequency_->max());
        }
    }
    Chart1->SetSeriesPoints(spectrum_[0], ToPoints(w.View.Loop[0]));
    Chart2->SetSeriesPoints(spectrum_[1], ToPoints(w.View.Loop[1]));

    ui->VersionLabel->setText(w.Version);
    ui->IntegrationLabel->setText(w.Integration);
    ui->GainLabel->setText(w.Gain);
    ui->ProcessorLoadLabel->setText(w.Load);
    if (w.Channels != ShownChannels) {
        ShownChannels = w.Channels;
        FormResize();
        UpdateCopyMenu();
    }
}

// ---------------------------------------------------------------------------
// Charts
// ---------------------------------------------------------------------------

void TFFTForm::CopyAxes(ChartView *from, ChartView *to)
{
    if (coupling_) return;
    coupling_ = true;
    const QValueAxis *fl = from->LeftAxis(), *fb = from->BottomAxis();
    if (fl->min() != to->LeftAxis()->min() || fl->max() != to->LeftAxis()->max()) to->SetYRange(fl->min(), fl->max());
    if (fb->min() != to->BottomAxis()->min() || fb->max() != to->BottomAxis()->max())
        to->SetXRange(fb->min(), fb->max());
    coupling_ = false;
}

void TFFTForm::Chart1Resize() { CopyAxes(Chart1, Chart2); }

void TFFTForm::Chart2Resize() { CopyAxes(Chart2, Chart1); }

void TFFTForm::Chart1AfterDraw() { CopyAxes(Chart1, Chart2); }

void TFFTForm::Chart2AfterDraw() { CopyAxes(Chart2, Chart1); }

void TFFTForm::ShowMouse(ChartView *view, const QPoint &at)
{
    QChart *chart = view->chart();
    const QPointF p = chart->mapFromScene(view->mapToScene(at));
    const QRectF area = chart->plotArea();
    const MouseReading reading = ReadMouse(p.x(), p.y(), {area.left(), area.top(), area.right(), area.bottom()},
                                           Limits(view->BottomAxis()), Limits(view->LeftAxis()));
    if (!reading.Inside) return;
    ui->FrequencyLabel->setText(QString::fromStdString(reading.Frequency));
    ui->dBLabel->setText(QString::fromStdString(reading.Level));
}

void TFFTForm::Chart1MouseMove(const QPoint &at) { ShowMouse(Chart1, at); }

void TFFTForm::Chart2MouseMove(const QPoint &at) { ShowMouse(Chart2, at); }

void TFFTForm::Chart1Zoom() { Zoomed = true; }

void TFFTForm::Chart1UndoZoom() { Zoomed = false; }

bool TFFTForm::eventFilter(QObject *watched, QEvent *event)
{
    // A zoom starts from what the stream has shown by now.
    if (event->type() == QEvent::MouseButtonPress) DrawPending();
    if (event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        if (watched == Chart1->viewport()) Chart1MouseMove(at);
        if (watched == Chart2->viewport()) Chart2MouseMove(at);
    } else if (event->type() == QEvent::Resize) {
        if (watched == Chart1) Chart1Resize();
        if (watched == Chart2) Chart2Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------

void TFFTForm::Close1Click() { close(); }

void TFFTForm::AlwaysonTop1Click()
{
    // Qt has already flipped the item; the window's style follows it.
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    ui->AlwaysonTop1->setChecked(onTop);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show();
}

void TFFTForm::ShowNotchdata1Click()
{
    const bool shown = ui->ShowNotchdata1->isChecked();
    for (auto &chart : overlay_)
        for (QAreaSeries *area : chart) area->setVisible(shown);
}

void TFFTForm::CopyLoop1ToClipboardClick()
{
    DrawPending();
    Chart1->CopyChartToClipboard();
}

void TFFTForm::CopyLoop2ToClipboardClick()
{
    DrawPending();
    Chart2->CopyChartToClipboard();
}

void TFFTForm::UpdateCopyMenu()
{
    const bool two = ShownChannels >= 2;
    ui->CopyLoop1ToClipboard->setText(two ? "Copy Channel &1 to Clipboard" : "Copy FFT Spectrum to Clipboard");
    ui->CopyLoop2ToClipboard->setVisible(two);
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

void TFFTForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

int TFFTForm::MenuHeight() const
{
    // Before the first show the menu bar has no height of its own yet.
    const QWidget *menu = menuWidget();
    if (!menu) return 0;
    return menu->isVisible() ? menu->height() : menu->sizeHint().height();
}

void TFFTForm::FormResize()
{
    if (resizing_) return;
    resizing_ = true;
    const int menu = MenuHeight();
    const bool two = ShownChannels >= 2;
    int clientWidth = std::max(width(), MinClientWidth);
    int clientHeight = std::max(height() - menu, two ? 400 : 300);
    if (clientWidth != width() || clientHeight != height() - menu) resize(clientWidth, clientHeight + menu);

    const int top = Chart1->y();
    const int chartHeight = two ? (clientHeight - top) / 2 : clientHeight - top;
    Chart1->setGeometry(0, top, clientWidth, chartHeight);
    Chart2->setGeometry(0, top + chartHeight, clientWidth, chartHeight);
    Chart2->setVisible(two);

    QGroupBox *boxes[] = {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3, ui->GroupBox4, ui->GroupBox5};
    int widths = 0;
    for (QGroupBox *box : boxes) widths += box->width();
    int left = (clientWidth - widths - 10) / 2;
    for (QGroupBox *box : boxes) {
        box->move(left, box->y());
        left += box->width() + 2;
    }
    resizing_ = false;
}
