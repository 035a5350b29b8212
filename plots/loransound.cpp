#include "plots/loransound.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPen>
#include <QPushButton>
#include <QValueAxis>
#include <cmath>

#include "app/forms.h"
#include "platform/beatdrawing.h"
#include "platform/chartview.h"
#include "platform/plaintext.h"
#include "platform/waveoutput.h"
#include "plots/audio.h"
#include "ui_loransound.h"

namespace {
constexpr int kLeft = 600;
constexpr int kTop = 0;
constexpr double kTicksPerMs = AUDIOReceived::TicksPerSecond / 1000.0;
} // namespace

TLoranSoundForm::TLoranSoundForm(QAction *menuItem, QWidget *parent)
    : MdiChildForm(menuItem, parent), ui(std::make_unique<Ui::TLoranSoundForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("Loran Sound");
    SetClientSize(256, 178);
    Chart1 = ui->Chart1;

    QChart *chart = Chart1->chart();
    chart->legend()->setVisible(false);
    chart->setBackgroundBrush(Qt::black);
    chart->setMargins(QMargins(2, 2, 6, 2));
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    Chart1->setBackgroundBrush(Qt::black);
    Chart1->setFrameShape(QFrame::NoFrame);
    Chart1->SetBackColor(Qt::black);
    QFont small = font();
    small.setPointSize(7);
    for (QValueAxis *axis : {Chart1->BottomAxis(), Chart1->LeftAxis()}) {
        axis->setLabelsFont(small);
        axis->setTitleFont(small);
        axis->setLabelsColor(Qt::white);
        axis->setTitleBrush(Qt::white);
        axis->setGridLineColor(QColor(80, 80, 80));
    }
    Chart1->BottomAxis()->setTitleText("time (ms)");
    Series1 = Chart1->AddLineSeries(1, "Series1");
    Series1->setObjectName("Series1");
    Series1->setPen(QPen(Qt::yellow, 1));

    // After the chart view's own tick choice.
    for (QValueAxis *axis : {Chart1->BottomAxis(), Chart1->LeftAxis()})
        connect(axis, &QValueAxis::rangeChanged, this, &TLoranSoundForm::SampleTicks);
    connect(chart, &QChart::plotAreaChanged, this, &TLoranSoundForm::SampleTicks);
    chartDrawing_ = new BeatDrawing(Chart1, [this] { ShowSamples(charted_); }, ChartPeriodMs);
    panArea_ = Chart1->viewport();
    panArea_->installEventFilter(this);

    connect(ui->Button2, &QPushButton::clicked, this, &TLoranSoundForm::Button2Click);
    connect(Chart1, &ChartView::ZoomUndone, this, &TLoranSoundForm::Chart1UndoZoom);
    // The chart tells of a rubber-band zoom only through its axes.
    for (QValueAxis *axis : {Chart1->BottomAxis(), Chart1->LeftAxis()})
        connect(axis, &QValueAxis::rangeChanged, this, [this] {
            if (!Zoomed && Chart1->IsZoomed()) Chart1Zoom();
        });

    FormCreate();
}

TLoranSoundForm::~TLoranSoundForm()
{
    chartDrawing_->Discard();
    FormDestroy();
}

// The View item's check mark is cleared by the frame child itself.
void TLoranSoundForm::FormDestroy()
{
    // Deleted without being closed (from the menu, or with the main window):
    // the queued sound is not waited for.
    if (ProgramWaveOutput()) CloseWaveOutput();
    if (LoranSoundForm == this) LoranSoundForm = nullptr;
}

void TLoranSoundForm::FormCreate()
{
    move(kLeft, kTop);
    SetSoundTag(0);
    Zoomed = false;
    Chart1->SetXRange(0, 25);
    Chart1->SetYRange(-128, 128);
    SampleTicks();
}

void TLoranSoundForm::showEvent(QShowEvent *event)
{
    MdiChildForm::showEvent(event);
    // The frame places a child when it is added: take our place again.
    if (placePending_) {
        placePending_ = false;
        move(kLeft, kTop);
    }
}

bool TLoranSoundForm::SoundEnabled() const { return soundTag_ == 1; }

void TLoranSoundForm::SetSoundTag(int tag)
{
    ui->Button2->setProperty("Tag", tag);
    soundTag_ = tag;
    ui->Button2->setText(tag == 1 ? "Disable" : "Enable");
    ui->Label1->setText(tag == 1 ? "Status: Sound enabled" : "Status: Sound disabled");
}

void TLoranSoundForm::NewData(const SentenceLine &line)
{
    AUDIOReceived audio;
    if (!IsAudioLine(line.Text()) || audio.Parse(line) != 0) return;
    if (!SoundEnabled() || WaitingForSoundToEnd()) return;

    // A line in another format than the one before is played once those before it are.
    if (OpenWaveOutput(audio.SampleRate(), audio.sampleWidth) != 0) return;
    // Connected once to each output made, not looked up again with every line.
    if (WaveOutput *output = ProgramWaveOutput(); output != connectedOutput_) {
        connect(output, &WaveOutput::BlocksReturned, this, &TLoranSoundForm::SoundBlocksReturned,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        connectedOutput_ = output;
    }
    const std::vector<uint8_t> played = PlayedSamples(audio);
    WriteWaveOutput(played.data(), static_cast<int>(played.size()));
    charted_ = std::move(audio);
    chartDrawing_->Changed();
}

void TLoranSoundForm::DrawPending() { chartDrawing_->DrawPending(); }

void TLoranSoundForm::ResetAll()
{
    CloseWaveOutput();
    if (WaitingForSoundToEnd()) SoundEnded();
    chartDrawing_->Discard();
    Chart1->SetSeriesPoints(Series1, {});
    Chart1->UndoZoom();
    Zoomed = false;
    Chart1->SetXRange(0, 25);
    Chart1->SetYRange(-128, 128);
    SampleTicks();
}

// The samples against their time in milliseconds; the axes follow the line
// unless the user has zoomed in.
void TLoranSoundForm::ShowSamples(const AUDIOReceived &audio)
{
    const int32_t count = audio.SampleCount();
    const double half = static_cast<double>(1 << (audio.bitsPerSample - 1));
    const double msPerSample = audio.samplePeriod / kTicksPerMs;
    if (!Zoomed) {
        Chart1->SetYRange(-half, half);
        Chart1->SetXRange(0, (count + 1) * msPerSample);
    }
    QList<QPointF> points;
    points.reserve(count);
    for (int32_t i = 0; i < count; ++i) points.append(QPointF(i * msPerSample, audio.SampleValue(i)));
    Chart1->SetSeriesPoints(Series1, points);
}

void TLoranSoundForm::Button2Click()
{
    if (WaitingForSoundToEnd()) return;
    if (SoundEnabled()) {
        ui->Button2->setProperty("Tag", 0);
        soundTag_ = 0;
        if (IsWaveOutputOpen()) {
            WaitForSoundToEnd(Waiting::Disable);
            return;
        }
        CloseWaveOutput();
        SetSoundTag(0);
    } else {
        SetSoundTag(1);
    }
}

void TLoranSoundForm::closeEvent(QCloseEvent *event) { FormClose(event); }

// Closing waits for the queued sound to be played, then frees the window.
void TLoranSoundForm::FormClose(QCloseEvent *event)
{
    if (waiting_ == Waiting::Close) {
        event->ignore();
        return;
    }
    if (IsWaveOutputOpen() && GetFreeWaveBlocks() != GetWaveBlockCount()) {
        event->ignore();
        WaitForSoundToEnd(Waiting::Close);
        return;
    }
    CloseWaveOutput();
    MdiChildForm::closeEvent(event);
}

void TLoranSoundForm::WaitForSoundToEnd(Waiting why)
{
    waiting_ = why;
    ui->Label1->setText("Status: Waiting for Sound to end");
    ui->Label1->repaint();
    // Nothing can be switched until the sound has ended.
    ui->Button2->setEnabled(false);
    if (GetFreeWaveBlocks() == GetWaveBlockCount()) SoundEnded();
}

void TLoranSoundForm::SoundBlocksReturned()
{
    if (WaitingForSoundToEnd() && GetFreeWaveBlocks() == GetWaveBlockCount()) SoundEnded();
}

void TLoranSoundForm::SoundEnded()
{
    const Waiting why = waiting_;
    waiting_ = Waiting::None;
    CloseWaveOutput();
    ui->Button2->setEnabled(true);
    SetSoundTag(0);
    if (why == Waiting::Close) close();
}

void TLoranSoundForm::SampleTicks()
{
    QValueAxis *axis = Chart1->LeftAxis();
    const double range = axis->max() - axis->min();
    if (!(range > 0) || !std::isfinite(range)) return;
    // Four intervals or fewer, and room for a label in each.
    const double pixels = std::max(Chart1->chart()->plotArea().height(), 1.0);
    double step = std::exp2(std::ceil(std::log2(range / 4)));
    while (step * pixels / range < 20 && step < range) step *= 2;
    axis->setTickAnchor(std::ceil(axis->min() / step) * step);
    axis->setTickInterval(step);
    axis->setTickType(QValueAxis::TicksDynamic);
}

bool TLoranSoundForm::eventFilter(QObject *watched, QEvent *event)
{
    // A zoom or a pan starts from what the stream has shown by now.
    if (watched == panArea_ && event->type() == QEvent::MouseButtonPress) DrawPending();
    if (watched == panArea_ && PanEvent(event)) return true;
    return MdiChildForm::eventFilter(watched, event);
}

// A right drag pans; a right click without a drag is left to the chart (it undoes a zoom).
bool TLoranSoundForm::PanEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *e = static_cast<QMouseEvent *>(event);
    const int x = qRound(e->position().x());
    if (type == QEvent::MouseButtonPress && e->button() == Qt::RightButton) {
        panning_ = true;
        panned_ = false;
        panFrom_ = x;
    } else if (type == QEvent::MouseMove && panning_ && (e->buttons() & Qt::RightButton)) {
        // A click that wobbles a pixel or two is still a click.
        if (!panned_ && std::abs(x - panFrom_) < QApplication::startDragDistance()) return false;
        PanBy(x - panFrom_);
        panned_ = true;
        panFrom_ = x;
    } else if (type == QEvent::MouseButtonRelease && e->button() == Qt::RightButton && panning_) {
        panning_ = false;
        return panned_;
    }
    return false;
}

void TLoranSoundForm::PanBy(int pixels)
{
    const double width = Chart1->chart()->plotArea().width();
    if (width < 1) return;
    QValueAxis *x = Chart1->BottomAxis();
    QValueAxis *y = Chart1->LeftAxis();
    const double dx = -pixels * (x->max() - x->min()) / width;
    Chart1->SetZoomedRanges(x->min() + dx, x->max() + dx, y->min(), y->max());
    SampleTicks();
}

void TLoranSoundForm::Chart1Zoom() { Zoomed = true; }

void TLoranSoundForm::Chart1UndoZoom() { Zoomed = false; }
