#include "plots/positionform.h"

#include <QActionGroup>
#include <QDateTime>
#include <QLegendMarker>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QValueAxis>
#include <cmath>

#include "app/forms.h"
#include "app/mainform.h"
#include "platform/beatdrawing.h"
#include "platform/chartview.h"
#include "platform/memo.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "sentence/fields.h"
#include "sentence/numfmt.h"
#include "ui_positionform.h"

namespace {

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Colours of the five tracks; the bright green is the BGR value 4259584.
const QColor TrackColours[PositionPlotModel::TrackCount] = {QColor(128, 0, 128), QColor(255, 0, 0), QColor(0, 255, 64),
                                                            QColor(255, 255, 0), QColor(0, 0, 255)};
const char *const TrackTitles[PositionPlotModel::TrackCount] = {"Integrated Position", "Loran Autonomous", "Loran ASF",
                                                                "Loran GPS Calibrated", "GPS Position"};
// Component names of the track series and the last-value series, by track.
const char *const TrackSeriesNames[PositionPlotModel::TrackCount] = {"Series8", "Series0", "Series1", "Series2",
                                                                     "Series3"};
const char *const LastValueSeriesNames[PositionPlotModel::TrackCount] = {"Series9", "Series4", "Series5", "Series6",
                                                                         "Series7"};
// Marker sides in pixels: diamonds of half-size 3 and 5.
constexpr int TrackMarker = 7;
constexpr int LastValueMarker = 11;

// The diamond drawn at each point.
QImage Diamond(int side, const QColor &colour)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const double h = side / 2.0;
    painter.drawPolygon(QPolygonF({QPointF(h, 0), QPointF(side, h), QPointF(h, side), QPointF(0, h)}));
    return image;
}

QString CentreText(double degrees, int decimals)
{
    return QString::fromStdString(PadAlign(FormatFixed(degrees, 15, decimals), 4, 4));
}

// A number typed by the user, '.' as decimal point; nullopt unless within [low, high].
std::optional<double> Degrees(const QString &text, double low, double high)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !(v >= low && v <= high)) return std::nullopt;
    return v;
}

QList<QPointF> ToPoints(const PointList &points)
{
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const XY &p : points) list.append(QPointF(p.x, p.y));
    return list;
}

// The picture in the chart's bottom-right corner.
QPixmap Signature()
{
    QPixmap picture(137, 25);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font("Arial");
    font.setPixelSize(13);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(QColor(160, 160, 160));
    painter.drawText(picture.rect(), Qt::AlignRight | Qt::AlignVCenter, "KAVUAnalyser");
    return picture;
}

} // namespace

TPositionForm::TPositionForm(QWidget *owner)
    : QMainWindow(owner), ui(std::make_unique<Ui::TPositionForm>()),
      Plot([this](const char *text) { Notifier::Error(text, this); })
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    // A window of its own, though owned by the main window; single border,
    // minimise and system menu only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    Chart1 = ui->Chart1;
    ui->Image1->setPixmap(Signature());
    // The five pages' tabs fit the notebook's width in a narrow face.
    QFont tabFont("Arial");
    tabFont.setPointSize(8);
    ui->TabbedNotebook1->tabBar()->setFont(tabFont);
    ui->TabbedNotebook1->tabBar()->setStyleSheet("QTabBar::tab { padding: 3px 5px; }");
    BuildChart();
    Chart1->SetSquareTicks(50.0);

    auto *sources = new QActionGroup(this);
    sources->setExclusive(true);
    for (QAction *a : {ui->GPPOSA1, ui->GPGGA1, ui->PSRPOSA1}) sources->addAction(a);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addAction(ui->AlwaysonTop2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    ticked_.start();
    beat_ = new BeatDrawing(this, [this] { Redraw(); }, RedrawMs);

    connect(Timer1, &QTimer::timeout, this, &TPositionForm::Timer1Timer);
    connect(ui->Close1, &QAction::triggered, this, &TPositionForm::Close1Click);
    connect(ui->AlwaysonTop1, &QAction::triggered, this, &TPositionForm::AlwaysonTop1Click);
    connect(ui->AlwaysonTop2, &QAction::triggered, this, &TPositionForm::AlwaysonTop1Click);
    connect(ui->GPPOSA1, &QAction::triggered, this, &TPositionForm::GPPOSA1Click);
    connect(ui->GPGGA1, &QAction::triggered, this, &TPositionForm::GPGGA1Click);
    connect(ui->PSRPOSA1, &QAction::triggered, this, &TPositionForm::PSRPOSA1Click);
    connect(ui->CopyWindowtoClipboard1, &QAction::triggered, this, &TPositionForm::CopyWindowtoClipboard1Click);
    connect(ui->CopytoClipboard1, &QAction::triggered, this, &TPositionForm::CopytoClipboard1Click);
    connect(ui->Reset1, &QAction::triggered, this, &TPositionForm::Reset1Click);
    connect(ui->Solution011, &QAction::triggered, this, &TPositionForm::Solution011Click);
    connect(ui->Solution021, &QAction::triggered, this, &TPositionForm::Solution021Click);
    connect(ui->Solution031, &QAction::triggered, this, &TPositionForm::Solution031Click);
    connect(ui->Solution041, &QAction::triggered, this, &TPositionForm::Solution041Click);
    connect(ui->Solution051, &QAction::triggered, this, &TPositionForm::Solution051Click);
    connect(ui->FollowButton, &QPushButton::clicked, this, &TPositionForm::FollowButtonClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TPositionForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TPositionForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TPositionForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TPositionForm::Button4Click);
    connect(ui->Edit1, &QLineEdit::returnPressed, this, [this] { Edit1KeyPress(Qt::Key_Return); });
    connect(ui->Edit2, &QLineEdit::returnPressed, this, [this] { Edit1KeyPress(Qt::Key_Return); });
    connect(ui->Edit3, &QLineEdit::returnPressed, this, [this] { Edit3KeyPress(Qt::Key_Return); });
    connect(ui->SetPosButton1, &QPushButton::clicked, this, &TPositionForm::SetPosButton1Click);
    connect(ui->SetPosButton2, &QPushButton::clicked, this, &TPositionForm::SetPosButton2Click);
    connect(ui->SetPosButton3, &QPushButton::clicked, this, &TPositionForm::SetPosButton3Click);
    connect(ui->SetPosButton4, &QPushButton::clicked, this, &TPositionForm::SetPosButton4Click);
    connect(ui->SetPosButton5, &QPushButton::clicked, this, &TPositionForm::SetPosButton5Click);
    connect(ui->LoranvsGPSCheckBox1, &QCheckBox::clicked, this, &TPositionForm::LoranvsGPSCheckBox1Click);
    connect(ui->UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1MouseUp(+1); });
    connect(ui->UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1MouseUp(-1); });
    connect(ui->CentreButton, &QPushButton::clicked, this, &TPositionForm::CentreButtonClick);
    connect(Chart1, &ChartView::ZoomedIn, this, &TPositionForm::Chart1Zoom);
    connect(Chart1, &ChartView::ZoomUndone, this, &TPositionForm::Chart1UndoZoom);
    Chart1->viewport()->installEventFilter(this);
    Plot.History.Warn = [this](const char *text) { Notifier::Error(text, this); };

    // Construction state: the model has reset itself; the controls follow it.
    ui->Edit5->clear();
    ui->Edit6->clear();
    if (MainForm && !MainForm->ExtendedMenus) {
        ui->GPSSource1->menuAction()->setVisible(false);
        ui->LoranvsGPSCheckBox1->setVisible(false);
    }
    ui->Edit3->setText(QString::number(MaxPoints));

    const int height = 434 + MenuHeight();
    setFixedSize(1028, height);
    if (QScreen *s = screen()) move(s->availableGeometry().center() - rect().center());
    Sync();
    Redraw();
}

TPositionForm::~TPositionForm() { beat_->Discard(); }

void TPositionForm::BuildChart()
{
    QChart *chart = Chart1->chart();
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(4, 30, 4, 4));
    // Axis labels with thousands separators and '.' as decimal point ("#,##0.##").
    chart->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    chart->setLocalizeNumbers(true);
    Chart1->BottomAxis()->setTitleText("Longitude (m)");
    Chart1->LeftAxis()->setTitleText("Latitude (m)");

    for (int i = 0; i < 2; ++i) {
        QLineSeries *cross = Chart1->AddLineSeries(i, i == 0 ? "YAxis" : "XAxis");
        cross->setObjectName(i == 0 ? "YAxis" : "XAxis");
        QPen pen(Qt::blue);
        pen.setWidth(1);
        cross->setPen(pen);
        series_[static_cast<size_t>(i)] = cross;
    }
    auto scatter = [this](int index, const char *name, const QString &title, const QColor &colour, int size) {
        QLineSeries *s = Chart1->AddPointSeries(index, title, Diamond(size, colour), colour);
        s->setObjectName(name);
        series_[static_cast<size_t>(index)] = s;
    };
    for (int k = 0; k < PositionPlotModel::TrackCount; ++k)
        scatter(PositionPlotModel::TrackSeries(k), TrackSeriesNames[k], TrackTitles[k], TrackColours[k], TrackMarker);
    for (int k = 0; k < PositionPlotModel::TrackCount; ++k)
        scatter(PositionPlotModel::LastValueSeries(k), LastValueSeriesNames[k],
                QString("Solution %1 Last Value").arg(k + 1, 2, 10, QChar('0')), TrackColours[k], LastValueMarker);
    // Only the tracks appear in the legend.
    for (int i = 0; i < PositionPlotModel::SeriesCount; ++i) {
        const bool track = i >= 2 && i < 7;
        for (QLegendMarker *m : chart->legend()->markers(series_[static_cast<size_t>(i)])) m->setVisible(track);
    }
}

int TPositionForm::MenuHeight() const
{
    const QWidget *menu = menuWidget();
    if (!menu) return 0;
    return menu->isVisible() ? menu->height() : menu->sizeHint().height();
}

QAction *TPositionForm::SolutionItem(int k) const
{
    QAction *items[PositionPlotModel::TrackCount] = {ui->Solution011, ui->Solution021, ui->Solution031,
                                                     ui->Solution041, ui->Solution051};
    return k >= 0 && k < PositionPlotModel::TrackCount ? items[k] : nullptr;
}

QPlainTextEdit *TPositionForm::Memo(int k) const
{
    QPlainTextEdit *memos[PositionPlotModel::TrackCount] = {ui->Memo1, ui->Memo2, ui->Memo3, ui->Memo4, ui->Memo5};
    return k >= 0 && k < PositionPlotModel::TrackCount ? memos[k] : nullptr;
}

// ---------------------------------------------------------------------------
// Intake and the operations other windows call
// ---------------------------------------------------------------------------

void TPositionForm::NewData(const SentenceLine &line)
{
    Plot.NewData(line);
    Sync();
}

void TPositionForm::ResetAll()
{
    Plot.ResetAll();
    Commit();
}

void TPositionForm::SetGpsTime(int64_t t)
{
    Plot.SetGpsTime(t);
    Sync();
}

void TPositionForm::AddPosition(int k, double north, double east)
{
    Plot.AddPosition(k, NorthEast{north, east});
    Commit();
}

void TPositionForm::ResetScatterPlot()
{
    Plot.ResetScatterPlot();
    Commit();
}

void TPositionForm::ResetScatterPlotSize()
{
    Plot.ResetScatterPlotSize();
    Commit();
}

void TPositionForm::ReplotTracks(int k)
{
    Plot.ReplotTracks(k);
    Commit();
}

void TPositionForm::ResetTracks()
{
    Plot.ResetTracks();
    Commit();
}

void TPositionForm::ShowCentre()
{
    Plot.ShowCentre();
    Commit();
}

void TPositionForm::ShowStatistics(int k)
{
    Plot.ShowStatistics(k);
    Commit();
}

void TPositionForm::ShowNoData(int k)
{
    Plot.ShowNoData(k);
    Commit();
}

void TPositionForm::RestoreAxes()
{
    Plot.RestoreAxes();
    Commit();
}

// ---------------------------------------------------------------------------
// From the model to the controls, the chart and the memos
// ---------------------------------------------------------------------------

void TPositionForm::Sync()
{
    PositionPlotModel::Changes &c = Plot.Changed;
    if (c.Menus) {
        c.Menus = false;
        for (int k = 0; k < PositionPlotModel::TrackCount; ++k) {
            SolutionItem(k)->setEnabled(Plot.TrackEnabled[static_cast<size_t>(k)]);
            SolutionItem(k)->setChecked(Plot.Tracks[static_cast<size_t>(k)].Shown);
        }
    }
    if (c.Centre) {
        c.Centre = false;
        ui->Edit1->setText(CentreText(Plot.Centre.Latitude, 8));
        ui->Edit2->setText(CentreText(Plot.Centre.Longitude, 8));
    }
    if (Plot.ScaleIndex != shownScale_) {
        shownScale_ = Plot.ScaleIndex;
        ui->Label3->setText(ScaleLabels[Plot.ScaleIndex]);
    }
    if (c.StopClock) {
        c.StopClock = false;
        pcClock_ = false;
        Timer1->stop();   // the box shows GPS time from now on
    }
    // The GPS clock waits while the window is hidden: shown, it shows the latest time.
    // The time is the one the line brought, whatever comes between (a reset).
    if (c.GpsTime) {
        c.GpsTime = false;
        gpsTimeWaiting_ = Plot.GpsTime;
    }
    if (gpsTimeWaiting_ && isVisible()) {
        ShowClock(*gpsTimeWaiting_, "GPS Date and Time");
        gpsTimeWaiting_.reset();
    }
    if (c.Redraw()) beat_->Changed();
    if (c.IllegalGpsTime) {
        c.IllegalGpsTime = false;
        Notifier::Show("Warning...", "   Illegal JulianTime   ", this);
    }
}

void TPositionForm::Commit()
{
    Sync();
    if (BeatDrawing::InSight(this)) DrawPending();
}

bool TPositionForm::RedrawPending() const { return beat_->Pending(); }

void TPositionForm::DrawPending()
{
    if (beat_->Pending() || Plot.Changed.Redraw()) Redraw();
}

void TPositionForm::Redraw()
{
    beat_->Discard();
    PositionPlotModel::Changes &c = Plot.Changed;
    // The ranges first: what a large series keeps for drawing depends on them.
    ChartView::Range x, y;
    if (c.Axes) {
        c.Axes = false;
        x = std::pair{Plot.XMin, Plot.XMax};
        y = std::pair{Plot.YMin, Plot.YMax};
    }
    std::vector<std::pair<QXYSeries *, QList<QPointF>>> fills;
    for (int i = 0; i < PositionPlotModel::SeriesCount; ++i)
        if (c.SeriesMask & (1u << i))
            fills.emplace_back(series_[static_cast<size_t>(i)], ToPoints(Plot.Series[static_cast<size_t>(i)]));
    c.SeriesMask = 0;
    Chart1->Refill(x, y, fills);
    Plot.UpdateStatistics();
    for (int k = 0; k < PositionPlotModel::TrackCount; ++k) {
        if (!(c.MemoMask & (1u << k))) continue;
        QStringList lines;
        for (const std::string &line : Plot.Memos[static_cast<size_t>(k)]) lines << QString::fromStdString(line);
        // Lines of the statistics that came out the same are not laid out again.
        if (lines != memoLines_[static_cast<size_t>(k)]) {
            memoLines_[static_cast<size_t>(k)] = lines;
            SetMemoLines(Memo(k), lines);
        }
    }
    c.MemoMask = 0;
}

void TPositionForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow();
    Sync();
    if (!pcClock_ || Timer1->isActive()) return;
    // A tick missed while hidden comes now.
    if (ticked_.elapsed() >= Timer1->interval()) Timer1Timer();
    Timer1->start();
}

void TPositionForm::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    Timer1->stop();
}

// ---------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------

void TPositionForm::Close1Click() { close(); }

void TPositionForm::AlwaysonTop1Click()
{
    // Both items flip together; Qt has already flipped the one clicked.
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    ui->AlwaysonTop1->setChecked(onTop);
    ui->AlwaysonTop2->setChecked(onTop);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show();
}

void TPositionForm::ChooseSource(GpsSource source)
{
    Plot.Source = source;
    ui->GPPOSA1->setChecked(source == GpsSource::Gpposa);
    ui->GPGGA1->setChecked(source == GpsSource::Gpgga);
    ui->PSRPOSA1->setChecked(source == GpsSource::Psrposa);
}

void TPositionForm::GPPOSA1Click() { ChooseSource(GpsSource::Gpposa); }

void TPositionForm::GPGGA1Click() { ChooseSource(GpsSource::Gpgga); }

void TPositionForm::PSRPOSA1Click() { ChooseSource(GpsSource::Psrposa); }

void TPositionForm::CopyWindowtoClipboard1Click() { ChartView::CopyWidgetToClipboard(ui->ClientPanel); }

void TPositionForm::CopytoClipboard1Click()
{
    DrawPending();
    Chart1->CopyChartToClipboard();
}

void TPositionForm::Reset1Click()
{
    Plot.ResetPlot();
    Commit();
}

void TPositionForm::SolutionClick(int k)
{
    // The item's check mark follows the track: Qt has flipped it already.
    Plot.SetShown(k, !Plot.Tracks[static_cast<size_t>(k)].Shown);
    Commit();
}

void TPositionForm::Solution011Click() { SolutionClick(0); }

void TPositionForm::Solution021Click() { SolutionClick(1); }

void TPositionForm::Solution031Click() { SolutionClick(2); }

void TPositionForm::Solution041Click() { SolutionClick(3); }

void TPositionForm::Solution051Click() { SolutionClick(4); }

void TPositionForm::mousePressEvent(QMouseEvent *event)
{
    FormMouseDown(event->button(), event->position().toPoint());
    QMainWindow::mousePressEvent(event);
}

void TPositionForm::FormMouseDown(Qt::MouseButton button, const QPoint &at)
{
    if (button == Qt::RightButton) PopupMenu1->popup(mapToGlobal(at));
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

void TPositionForm::FollowButtonClick()
{
    const bool following = ui->FollowButton->property("Tag").toInt() != 0;
    ui->FollowButton->setProperty("Tag", following ? 0 : 1);
    ui->FollowButton->setText(following ? "Follow" : "Freeze");
    Plot.Following = !following;
}

void TPositionForm::FormShow()
{
    // The picture drawn into the chart's background, 10 pixels in from its bottom-right corner.
    const QSize size = Chart1->size();
    if (size.isEmpty()) return;
    QImage background(size, QImage::Format_ARGB32_Premultiplied);
    background.fill(Qt::white);
    const QPixmap picture = ui->Image1->pixmap();
    QPainter painter(&background);
    painter.drawPixmap(size.width() - picture.width() - 10, size.height() - picture.height() - 10, picture);
    painter.end();
    Chart1->chart()->setBackgroundBrush(QBrush(background));
    Chart1->viewport()->update();
}

void TPositionForm::Edit3KeyPress(int key)
{
    if (!IsEnter(key)) return;
    Button3Click();
}

void TPositionForm::Button3Click()
{
    bool ok = false;
    const int n = ui->Edit3->text().trimmed().toInt(&ok, 10);
    if (!ok || n < 1) {
        Notifier::Error("Illegal value for Number of Points", this);
        ui->Edit3->setText(QString::number(MaxPoints));
        ui->Edit3->setFocus();
        return;
    }
    Plot.SetMaxPoints(n);
    Commit();
}

void TPositionForm::Edit1KeyPress(int key)
{
    if (!IsEnter(key)) return;
    Button1Click();
}

void TPositionForm::Button1Click()
{
    const std::optional<double> lat = Degrees(ui->Edit1->text(), -90.0, 90.0);
    if (!lat) {
        Notifier::Error("Illegal value for Latitude", this);
        ui->Edit1->setText(CentreText(Plot.Centre.Latitude, 10));
        ui->Edit1->setFocus();
        return;
    }
    const std::optional<double> lon = Degrees(ui->Edit2->text(), -180.0, 180.0);
    if (!lon) {
        Notifier::Error("Illegal value for Longitude", this);
        ui->Edit2->setText(CentreText(Plot.Centre.Longitude, 10));
        ui->Edit2->setFocus();
        return;
    }
    Plot.ApplyCentre(*lat, *lon);
    Commit();
}

void TPositionForm::Button2Click()
{
    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (!store.IsOpen()) return;
    // A stored value that is missing, empty or no usable number leaves its coordinate alone.
    double lat = Plot.Centre.Latitude, lon = Plot.Centre.Longitude;
    if (std::optional<QString> v = store.ReadString("PP_Lat"); v && !v->isEmpty())
        lat = Degrees(*v, -90.0, 90.0).value_or(lat);
    if (std::optional<QString> v = store.ReadString("PP_Lon"); v && !v->isEmpty())
        lon = Degrees(*v, -180.0, 180.0).value_or(lon);
    Plot.ApplyCentre(lat, lon);
    Commit();
}

void TPositionForm::Button4Click()
{
    SettingsStore store(SettingsStore::Mode::Create);
    store.WriteString("PP_Lat", QString::fromStdString(FormatGeneral(Plot.Centre.Latitude, 15)));
    store.WriteString("PP_Lon", QString::fromStdString(FormatGeneral(Plot.Centre.Longitude, 15)));
    store.Commit();
}

void TPositionForm::SetPosButtonClick(int k)
{
    if (Plot.CentreFromTrack(k)) Commit();
}

void TPositionForm::SetPosButton1Click() { SetPosButtonClick(0); }

void TPositionForm::SetPosButton2Click() { SetPosButtonClick(1); }

void TPositionForm::SetPosButton3Click() { SetPosButtonClick(2); }

void TPositionForm::SetPosButton4Click() { SetPosButtonClick(3); }

void TPositionForm::SetPosButton5Click() { SetPosButtonClick(4); }

void TPositionForm::LoranvsGPSCheckBox1Click()
{
    Plot.SetLoranVsGps(ui->LoranvsGPSCheckBox1->isChecked());
    Commit();
}

void TPositionForm::UpDown1MouseUp(int direction)
{
    // A step leaves the zoom the way the chart's own undo does.
    Chart1->UndoZoom();
    Plot.StepScale(direction);
    Commit();
}

void TPositionForm::CentreButtonClick()
{
    Plot.CentreView();
    Commit();
}

// ---------------------------------------------------------------------------
// Zoom and the right-button drag
// ---------------------------------------------------------------------------

void TPositionForm::Chart1Zoom()
{
    QValueAxis *x = Chart1->BottomAxis();
    QValueAxis *y = Chart1->LeftAxis();
    const PositionPlotModel::Ranges r = Plot.ZoomTo({x->min(), x->max(), y->min(), y->max()});
    Chart1->SetZoomedRanges(r.XMin, r.XMax, r.YMin, r.YMax);
}

void TPositionForm::Chart1UndoZoom()
{
    Plot.UndoZoom();
    Commit();
}

void TPositionForm::Chart1MouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton || Chart1->IsZoomed()) return;
    QValueAxis *x = Chart1->BottomAxis();
    QValueAxis *y = Chart1->LeftAxis();
    Plot.RememberAxes({x->min(), x->max(), y->min(), y->max()});
}

void TPositionForm::PanBy(QPoint pixels)
{
    const QRectF area = Chart1->chart()->plotArea();
    if (area.width() < 1 || area.height() < 1) return;
    QValueAxis *x = Chart1->BottomAxis();
    QValueAxis *y = Chart1->LeftAxis();
    const double dx = -pixels.x() * (x->max() - x->min()) / area.width();
    const double dy = pixels.y() * (y->max() - y->min()) / area.height();
    Chart1->SetXRange(x->min() + dx, x->max() + dx);
    Chart1->SetYRange(y->min() + dy, y->max() + dy);
}

bool TPositionForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Chart1->viewport()) return QMainWindow::eventFilter(watched, event);
    // The right button drags the unzoomed chart; its click undoes a zoom (the chart's own).
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::RightButton && !Chart1->IsZoomed()) {
            panning_ = true;
            panFrom_ = e->position().toPoint();
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (panning_ && (e->buttons() & Qt::RightButton)) {
            const QPoint at = e->position().toPoint();
            PanBy(at - panFrom_);
            panFrom_ = at;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::RightButton) {
            panning_ = false;
            Chart1MouseUp(Qt::RightButton);
        }
        break;
    }
    default: break;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Clocks
// ---------------------------------------------------------------------------

void TPositionForm::ShowClock(int64_t t, const QString &caption)
{
    int year, month, day, hour, minute, second;
    UnixTimeToDateTime(t, &year, &month, &day, &hour, &minute, &second);
    ui->Edit5->setText(QLocale::system().toString(QDate(year, month, day), " d-MMM-yyyy"));
    const QString time = QTime(hour, minute, second).toString("hh:mm:ss");
    ui->Edit6->setText(QString::fromStdString(PadAlign(time.toStdString(), 14, 1)));
    ui->GroupBox3->setTitle(caption);
}

void TPositionForm::Timer1Timer()
{
    ticked_.start();
    const QDateTime now = QDateTime::currentDateTime();
    ui->Edit5->setText(QLocale::system().toString(now.date(), " d-MMM-yyyy"));
    ui->Edit6->setText(QString::fromStdString(PadAlign(now.time().toString("hh:mm:ss").toStdString(), 14, 1)));
    ui->GroupBox3->setTitle("Date and Time");
}
