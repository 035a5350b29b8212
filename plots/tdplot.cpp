#include "plots/tdplot.h"

#include <QActionGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QScreen>
#include <QtMath>
#include <QTimer>
#include <QValueAxis>
#include <cmath>
#include <exception>
#include <limits>
#include <set>
#include <utility>

#include "app/forms.h"
#include "platform/beatdrawing.h"
#include "platform/chartview.h"
#include "platform/memo.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "plots/linedialogs.h"
#include "plots/tdintake.h"
#include "sentence/fields.h"
#include "sentence/numfmt.h"
#include "ui_tdplot.h"

namespace {

QColor PaletteColour(int slot)
{
    return QColor(static_cast<QRgb>(SeriesPaletteClass::Colour(slot)));
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The time axis of an empty chart.
constexpr std::pair<double, double> FreshXRange{0.0, 1.0};

} // namespace

TTDForm::TTDForm(QWidget *owner) : QMainWindow(owner), ui(std::make_unique<Ui::TTDForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    // A window of its own, though owned by the main window (closing that ends the program).
    setWindowFlags(Qt::Window);
    Chart1 = ui->Chart1;
    QChart *chart = Chart1->chart();
    chart->setTitle("Time Difference - Time of Arrival measurements");
    chart->setBackgroundBrush(Qt::white);
    Chart1->SetBackColor(Qt::white);
    Chart1->BottomAxis()->setTitleText("Time since receiver power-up (s)");
    Chart1->SetYRange(-10, 10);

    auto *sources = new QActionGroup(this);
    sources->setExclusive(true);
    for (QAction *a : {ui->TOAA1, ui->DLORA1, ui->DASFA1}) sources->addAction(a);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addAction(ui->AlwaysonTop2);
    fixedItems_ = static_cast<int>(ui->Select1->actions().size());

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    ticked_.start();
    beat_ = new BeatDrawing(this, [this] { Redraw(); }, RedrawMs);

    connect(Timer1, &QTimer::timeout, this, &TTDForm::Timer1Timer);
    connect(ui->Close1, &QAction::triggered, this, &TTDForm::Close1Click);
    connect(ui->AlwaysonTop1, &QAction::triggered, this, &TTDForm::AlwaysonTop1Click);
    connect(ui->AlwaysonTop2, &QAction::triggered, this, &TTDForm::AlwaysonTop1Click);
    connect(ui->TOAA1, &QAction::triggered, this, &TTDForm::TOAA1Click);
    connect(ui->DLORA1, &QAction::triggered, this, &TTDForm::DLORA1Click);
    connect(ui->DASFA1, &QAction::triggered, this, &TTDForm::DASFA1Click);
    connect(ui->CopyWindowtoClipboard1, &QAction::triggered, this, &TTDForm::CopyWindowtoClipboard1Click);
    connect(ui->CopytoClipboard1, &QAction::triggered, this, &TTDForm::CopytoClipboard1Click);
    connect(ui->Select1, &QMenu::aboutToShow, this, &TTDForm::Select1Click);
    connect(ui->ViewAll1, &QAction::triggered, this, &TTDForm::ViewAll1Click);
    connect(ui->HideAll1, &QAction::triggered, this, &TTDForm::HideAll1Click);
    connect(ui->Reset1, &QAction::triggered, this, &TTDForm::Reset1Click);
    connect(ui->LineWidth1, &QAction::triggered, this, &TTDForm::LineWidth1Click);
    connect(ui->LineColor1, &QAction::triggered, this, &TTDForm::LineColor1Click);
    connect(ui->BackgroundColor1, &QAction::triggered, this, &TTDForm::BackgroundColor1Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TTDForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TTDForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TTDForm::Button3Click);
    connect(ui->Edit1, &QLineEdit::returnPressed, this, [this] { Edit1KeyPress(Qt::Key_Return); });
    connect(ui->Edit2, &QLineEdit::returnPressed, this, [this] { Edit2KeyPress(Qt::Key_Return); });
    connect(ui->Edit7, &QLineEdit::returnPressed, this, [this] { Edit7KeyPress(Qt::Key_Return); });
    connect(ui->Edit8, &QLineEdit::returnPressed, this, [this] { Edit7KeyPress(Qt::Key_Return); });
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TTDForm::CheckBox1Click);
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TTDForm::CheckBox2Click);
    connect(ui->CheckBox3, &QCheckBox::toggled, this, &TTDForm::CheckBox3Click);
    connect(ui->CheckBox4, &QCheckBox::toggled, this, &TTDForm::CheckBox4Click);
    connect(ui->CheckBox5, &QCheckBox::toggled, this, &TTDForm::CheckBox5Click);
    connect(ui->ComboBox1, &QComboBox::activated, this, &TTDForm::ComboBox1Change);
    connect(Chart1, &ChartView::ZoomUndone, this, &TTDForm::Chart1UndoZoom);

    // Construction state
    SourceKind = 0;
    ui->TOAA1->setChecked(true);
    NumberOfPoints = 200;
    ui->Edit1->setText(QString::number(NumberOfPoints));
    OffsetStep = 50;
    ui->Edit2->setText(QString::number(OffsetStep));
    OffsetCounter = 0;
    Master = nullptr;
    LineWidth = 2;
    ui->CheckBox4->setChecked(false);
    ui->CheckBox4->setEnabled(false);
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Edit2, ui->Button2, ui->Label5, ui->Label6, ui->Edit7,
                                                       ui->Edit8, ui->Button3})
        w->setEnabled(false);
    ui->Edit7->clear();
    ui->Edit8->clear();
    FillDateAndTime(" ddd d MMM yyyy");
    ui->ComboBox1->addItem("None", -1);
    ui->ComboBox1->setCurrentIndex(0);

    resize(980, 454 + MenuHeight());
    if (QScreen *s = screen()) move(s->availableGeometry().center() - rect().center());
    ResetAll();
    UpdateAxisTitle();
}

TTDForm::~TTDForm()
{
    beat_->Discard();
    FormDestroy();
}

void TTDForm::FormDestroy()
{
    beat_->Discard();
    RemoveAllChartSeries();
    Master = nullptr;
    Stations.Clear();
    const QList<QAction *> items = ui->Select1->actions();
    for (int i = fixedItems_; i < items.size(); ++i) delete items[i];
    for (QMenu *m : {ui->SelectChain1, ui->HideChain1}) {
        const QList<QAction *> chain = m->actions();
        for (QAction *a : chain) delete a;
    }
}

// ---------------------------------------------------------------------------
// Intake
// ---------------------------------------------------------------------------

void TTDForm::NewData(const SentenceLine &line)
{
    switch (SourceKind) {
    case 0: AddToaa(line); break;
    case 1: AddDlora(line); break;
    case 2: AddDasfa(line); break;
    default: break;
    }
}

void TTDForm::AddToaa(const SentenceLine &line)
{
    TDSentence sentence;
    Intake(ReadToaaSentence(line, sentence) ? &sentence : nullptr);
}

void TTDForm::AddDlora(const SentenceLine &line)
{
    TDSentence sentence;
    if (!ReadDloraSentence(line, sentence)) return Intake(nullptr);
    sentence.X = Stations.ContinueTimeOfDay(sentence.X);
    Intake(&sentence);
}

void TTDForm::AddDasfa(const SentenceLine &line)
{
    TDSentence sentence;
    if (!ReadDasfaSentence(line, sentence)) return Intake(nullptr);
    sentence.X = Stations.ContinueTimeOfDay(sentence.X);
    Intake(&sentence);
}

void TTDForm::Intake(const TDSentence *sentence)
{
    TDStationList::Change change;
    if (sentence) change = Stations.Add(*sentence);
    if (Stations.Trim(NumberOfPoints)) change.RedrawNeeded = true;
    if (change.NewStation) RebuildMasterList();
    if (change.RedrawNeeded) beat_->Changed();
}

bool TTDForm::RedrawPending() const { return beat_->Pending(); }

void TTDForm::DrawPending() { beat_->DrawPending(); }

// ---------------------------------------------------------------------------
// Redraw
// ---------------------------------------------------------------------------

TDRedrawOptions TTDForm::Options() const
{
    TDRedrawOptions o;
    o.CycleIdentifiedOnly = ui->CheckBox1->isChecked();
    o.DeviationFromMean = ui->CheckBox2->isChecked();
    o.FixMean = ui->CheckBox3->isChecked();
    o.OffsetStations = ui->CheckBox4->isChecked();
    return o;
}

void TTDForm::RemoveChartSeries(QXYSeries *series)
{
    SeriesPalette.Release(series);
    Chart1->RemoveSeries(series);
}

void TTDForm::RemoveAllChartSeries()
{
    for (QXYSeries *s : Chart1->Series()) RemoveChartSeries(s);
}

void TTDForm::Redraw()
{
    beat_->Discard();
    if (Chart1->IsZoomed()) return;

    const TDRedrawOptions options = Options();
    QStringList memo{TDPlotModel::StatisticsHeading};
    size_t largest = 0;
    TDAutoscale scale;
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -minX;
    std::vector<TDXY> scratch;
    std::vector<std::pair<QXYSeries *, QList<QPointF>>> filled;

    auto build = [&](QXYSeries *series, TDStationClass *station) {
        TDSeriesResult r = TDPlotModel::BuildStationSeries(*station, Master, options, scratch);
        station->Mean = r.Mean;
        station->Std = r.Std;
        memo << QString::fromStdString(TDPlotModel::StatisticsLine(station->Name, r.Mean, r.Std));
        largest = std::max(largest, r.Count);
        if (r.Count) {
            scale.Include(r.MinY, r.MaxY);
            minX = std::min(minX, r.MinX);
            maxX = std::max(maxX, r.MaxX);
        }
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(scratch.size()));
        for (const TDXY &p : scratch) points.append(QPointF(p.x, p.y));
        filled.emplace_back(series, std::move(points));
    };

    for (QXYSeries *series : Chart1->Series()) {
        TDStationClass *station = Stations.FindByTag(ChartView::Tag(series));
        if (station && station->Shown) {
            build(series, station);
            continue;
        }
        if (station) station->HasSeries = false;
        RemoveChartSeries(series);
    }
    const QColor background = Chart1->BackColor();
    for (const auto &owned : Stations) {
        TDStationClass *station = owned.get();
        if (!station->Shown || station->HasSeries) continue;
        QLineSeries *series = Chart1->AddLineSeries(station->SeriesTag(), station->Name);
        QPen pen = series->pen();
        int slot = SeriesPalette.Take(series, background.rgb() & 0xFFFFFF);
        if (slot >= 0) pen.setColor(PaletteColour(slot));
        pen.setWidth(LineWidth);
        series->setPen(pen);
        station->Offset = TDPlotModel::OffsetAt(OffsetCounter, OffsetStep);
        ++OffsetCounter;
        build(series, station);
        station->HasSeries = true;
    }

    ShowStatistics(memo, largest);
    ChartView::Range x, y;
    if (maxX >= minX) x = std::pair{minX, maxX};
    if (!ui->CheckBox5->isChecked()) y = std::pair{scale.Bottom(), scale.Top()};
    Chart1->Refill(x, y, filled);
}

// Lines that did not change are not laid out again.
void TTDForm::ShowStatistics(const QStringList &lines, size_t largest)
{
    const QString count = QString::number(largest);
    if (ui->Edit4->text() != count) ui->Edit4->setText(count);
    if (lines == statistics_) return;
    statistics_ = lines;
    SetMemoLines(ui->Memo1, statistics_);
    FitStatistics();
}

void TTDForm::RebuildMasterList()
{
    QComboBox *box = ui->ComboBox1;
    const QString remembered = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    box->addItem("None", -1);
    box->setCurrentIndex(0);
    Master = nullptr;
    for (const auto &owned : Stations) {
        TDStationClass *station = owned.get();
        const QString name = QString::fromLatin1(station->Name);
        box->addItem(name, station->SeriesTag());
        if (name == remembered) {
            box->setCurrentIndex(box->count() - 1);
            Master = station;
        }
    }
}

void TTDForm::ResetAll()
{
    beat_->Discard();
    Master = nullptr;
    Stations.Clear();
    RebuildMasterList();
    RemoveAllChartSeries();
    // No master is left, and no time of the previous source.
    UpdateAxisTitle();
    Chart1->SetXRange(FreshXRange.first, FreshXRange.second);
    Redraw();
}

void TTDForm::UpdateAxisTitle()
{
    Chart1->LeftAxis()->setTitleText(TDPlotModel::AxisTitle(SourceKind, ui->ComboBox1->currentIndex() > 0));
    // DLORA and DASFA times are times of day, continued across midnight.
    Chart1->BottomAxis()->setTitleText(SourceKind == 0 ? "Time since receiver power-up (s)" : "Time of day (s)");
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

void TTDForm::Close1Click() { close(); }

void TTDForm::Edit1KeyPress(int key)
{
    if (!IsEnter(key)) return;
    ui->Button1->setFocus();
    Button1Click();
}

void TTDForm::Edit2KeyPress(int key)
{
    if (!IsEnter(key)) return;
    ui->Button2->setFocus();
    Button2Click();
}

void TTDForm::Edit7KeyPress(int key)
{
    if (!IsEnter(key)) return;
    ui->Button3->setFocus();
    Button3Click();
}

void TTDForm::Button1Click()
{
    DrawPending();
    bool ok = false;
    int value = ui->Edit1->text().trimmed().toInt(&ok, 10);
    if (!ok || value < 1) {
        Notifier::Error("Illegal value for Number of Points", this);
        ui->Edit1->setText(QString::number(NumberOfPoints));
        ui->Edit1->setFocus();
        return;
    }
    NumberOfPoints = value;
    // A lower number takes effect now, not only with the next line.
    Stations.Trim(NumberOfPoints);
    Redraw();
}

void TTDForm::Button2Click()
{
    DrawPending();
    bool ok = false;
    int value = ui->Edit2->text().trimmed().toInt(&ok, 10);
    if (!ok || value < 0) {
        Notifier::Error("Illegal value for Offset", this);
        ui->Edit2->setText(QString::number(OffsetStep));
        ui->Edit2->setFocus();
        return;
    }
    OffsetStep = value;
    OffsetCounter = 0;
    for (const auto &station : Stations) {
        if (!station->Shown) continue;
        station->Offset = TDPlotModel::OffsetAt(OffsetCounter, OffsetStep);
        ++OffsetCounter;
    }
    Redraw();
}

QString TTDForm::AxisText(double value) const { return QString::fromStdString(FormatFixed(value, 18, 1)); }

void TTDForm::Button3Click()
{
    DrawPending();
    QValueAxis *axis = Chart1->LeftAxis();
    bool ok = false;
    double maximum = ui->Edit7->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(maximum)) {
        Notifier::Error("   Illegal value for Maximum   ", this);
        ui->Edit7->setText(AxisText(axis->max()));
        ui->Edit7->setFocus();
        return;
    }
    double minimum = ui->Edit8->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(minimum)) {
        Notifier::Error("   Illegal value for Minimum   ", this);
        ui->Edit8->setText(AxisText(axis->min()));
        ui->Edit8->setFocus();
        return;
    }
    if (!(minimum < maximum)) {
        Notifier::Error("   Minimum should be lower than Maximum   ", this);
        ui->Edit8->setText(AxisText(axis->min()));
        ui->Edit8->setFocus();
        return;
    }
    Chart1->UndoZoom();
    Chart1->SetYRange(minimum, maximum);
    Redraw();
}

void TTDForm::CheckBox1Click()
{
    DrawPending();
    Redraw();
}

void TTDForm::CheckBox2Click()
{
    DrawPending();
    if (ui->CheckBox2->isChecked()) {
        ui->CheckBox4->setEnabled(true);
        const bool offsets = ui->CheckBox4->isChecked();
        ui->Edit2->setEnabled(offsets);
        ui->Button2->setEnabled(offsets);
    } else {
        ui->CheckBox4->setEnabled(false);
        ui->CheckBox4->setChecked(false);
        ui->Edit2->setEnabled(false);
        ui->Button2->setEnabled(false);
    }
    Redraw();
}

void TTDForm::CheckBox3Click()
{
    DrawPending();
    Redraw();
}

void TTDForm::CheckBox4Click()
{
    DrawPending();
    const bool offsets = ui->CheckBox4->isChecked();
    ui->Edit2->setEnabled(offsets);
    ui->Button2->setEnabled(offsets);
    Redraw();
}

void TTDForm::CheckBox5Click()
{
    DrawPending();
    const bool fixed = ui->CheckBox5->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Label5, ui->Label6, ui->Edit7, ui->Edit8, ui->Button3})
        w->setEnabled(fixed);
    if (fixed) {
        ui->Edit7->setText(AxisText(Chart1->LeftAxis()->max()));
        ui->Edit8->setText(AxisText(Chart1->LeftAxis()->min()));
        return;
    }
    ui->Edit7->clear();
    ui->Edit8->clear();
    Redraw();
}

void TTDForm::ComboBox1Change()
{
    DrawPending();
    // The entry itself says which station: "7499M 1" is the second 7499M.
    const int tag = ui->ComboBox1->currentData().toInt();
    Master = ui->ComboBox1->currentIndex() > 0 ? Stations.FindByTag(tag) : nullptr;
    UpdateAxisTitle();
    Redraw();
}

void TTDForm::Chart1UndoZoom() { Redraw(); }

void TTDForm::CopytoClipboard1Click() { Chart1->CopyChartToClipboard(); }

void TTDForm::CopyWindowtoClipboard1Click() { ChartView::CopyWidgetToClipboard(ui->ClientPanel); }

// ---------------------------------------------------------------------------
// Station selection
// ---------------------------------------------------------------------------

void TTDForm::Select1Click()
{
    const QList<QAction *> items = ui->Select1->actions();
    for (int i = fixedItems_; i < items.size(); ++i) delete items[i];
    for (const auto &owned : Stations) {
        TDStationClass *station = owned.get();
        QAction *item = ui->Select1->addAction(QString::fromLatin1(station->Name));
        item->setCheckable(true);
        item->setChecked(station->Shown);
        item->setProperty("Tag", station->SeriesTag());
        connect(item, &QAction::triggered, this, [this, item] { ToggleStationClick(item); });
    }
    const bool none = Stations.empty();
    ui->None1->setVisible(none);
    for (QAction *a : ui->Select1->actions().mid(0, fixedItems_))
        if (a != ui->None1) a->setVisible(!none);
    BuildChainMenus();
}

void TTDForm::BuildChainMenus()
{
    for (QMenu *m : {ui->SelectChain1, ui->HideChain1}) {
        const QList<QAction *> chain = m->actions();
        for (QAction *a : chain) delete a;
    }
    std::set<int32_t> chains;
    for (const auto &station : Stations) chains.insert(station->Key / 100);
    for (int32_t gri : chains) {
        QAction *select = ui->SelectChain1->addAction(QString::number(gri));
        select->setProperty("Tag", gri);
        connect(select, &QAction::triggered, this, [this, select] { SelectChainClick(select); });
        QAction *hide = ui->HideChain1->addAction(QString::number(gri));
        hide->setProperty("Tag", gri);
        connect(hide, &QAction::triggered, this, [this, hide] { HideChainClick(hide); });
    }
}

void TTDForm::ToggleStationClick(QAction *item)
{
    DrawPending();
    const int tag = item->property("Tag").toInt();
    for (const auto &station : Stations)
        if (station->SeriesTag() == tag) station->Shown = !station->Shown;
    Redraw();
}

void TTDForm::SetShown(bool shown, int chain)
{
    DrawPending();
    for (const auto &station : Stations)
        if (chain < 0 || station->Key / 100 == chain) station->Shown = shown;
    Redraw();
}

void TTDForm::SelectChainClick(QAction *item) { SetShown(true, item->property("Tag").toInt()); }

void TTDForm::HideChainClick(QAction *item) { SetShown(false, item->property("Tag").toInt()); }

void TTDForm::ViewAll1Click() { SetShown(true, -1); }

void TTDForm::HideAll1Click() { SetShown(false, -1); }

// ---------------------------------------------------------------------------
// Source, reset, options
// ---------------------------------------------------------------------------

void TTDForm::ChooseSource(uint8_t kind)
{
    QAction *items[3] = {ui->TOAA1, ui->DLORA1, ui->DASFA1};
    if (kind == SourceKind) {
        items[kind]->setChecked(true);
        return;
    }
    ResetAll();
    SourceKind = kind;
    items[kind]->setChecked(true);
    UpdateAxisTitle();
    if (kind == 0) {
        ui->CheckBox1->setEnabled(true);
    } else {
        ui->CheckBox1->setEnabled(false);
        ui->CheckBox1->setChecked(false);
    }
}

void TTDForm::TOAA1Click() { ChooseSource(0); }

void TTDForm::DLORA1Click() { ChooseSource(1); }

void TTDForm::DASFA1Click() { ChooseSource(2); }

void TTDForm::Reset1Click()
{
    beat_->Discard();
    Stations.ClearData();
    RemoveAllChartSeries();
    Redraw();
}

void TTDForm::ColorDialog1Show() { ColorDialog1.Color = Chart1->BackColor(); }

void TTDForm::BackgroundColor1Click()
{
    DrawPending();
    ColorDialog1.Color = Chart1->BackColor();
    ColorDialog1Show();
    if (!ColorDialog1.Execute(this)) return;
    Chart1->SetBackColor(ColorDialog1.Color);
    Redraw();
}

void TTDForm::LineWidth1Click()
{
    if (!LineWidthDialog) return;
    if (LineWidthDialog->exec() != QDialog::Accepted) return;
    LineWidth = LineWidthDialog->Width;
    for (QXYSeries *s : Chart1->Series()) {
        QPen pen = s->pen();
        pen.setWidth(LineWidth);
        s->setPen(pen);
    }
}

void TTDForm::LineColor1Click()
{
    if (!LineColorDialog) return;
    DrawPending();
    try {
        const QList<QXYSeries *> list = Chart1->Series();
        std::vector<QColor> colours;
        std::vector<int64_t> offsets;
        std::vector<int> tags;
        QStringList titles;
        for (QXYSeries *s : list) {
            const int tag = ChartView::Tag(s);
            const TDStationClass *station = Stations.FindByTag(tag);
            colours.push_back(s->pen().color());
            titles << s->name();
            offsets.push_back(station ? station->Offset : 0);
            tags.push_back(tag);
        }
        LineColorDialog->Setup(colours, titles, static_cast<int32_t>(list.size()), ui->CheckBox4->isChecked(), offsets);
        // Lines arriving while the dialog is open may change the series: they
        // are found again by their tags afterwards.
        if (LineColorDialog->exec() == QDialog::Accepted) {
            const size_t rows = std::min<size_t>(tags.size(), static_cast<size_t>(LineColorDialog->RowCount));
            for (size_t i = 0; i < rows; ++i) {
                if (QXYSeries *s = Chart1->FindSeries(tags[i])) {
                    QPen pen = s->pen();
                    pen.setColor(LineColorDialog->Colours[i]);
                    s->setPen(pen);
                }
                if (TDStationClass *station = Stations.FindByTag(tags[i]))
                    station->Offset = LineColorDialog->Offsets[i];
            }
        }
    } catch (const std::exception &) {
        Notifier::Error("   Cannot allocate memory   ", this);
    }
    Redraw();
}

void TTDForm::AlwaysonTop1Click()
{
    // Both items flip together; Qt has already flipped the one clicked.
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    ui->AlwaysonTop1->setChecked(onTop);
    ui->AlwaysonTop2->setChecked(onTop);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show();
}

void TTDForm::FillDateAndTime(const QString &dateFormat)
{
    ticked_.start();
    const QDateTime now = QDateTime::currentDateTime();
    ui->Edit5->setText(QLocale::system().toString(now.date(), dateFormat));
    ui->Edit6->setText(QString::fromStdString(PadAlign(now.time().toString("hh:mm:ss").toStdString(), 20, 1)));
}

void TTDForm::Timer1Timer() { FillDateAndTime(" ddd d-MMM-yyyy"); }

void TTDForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (Timer1->isActive()) return;
    // A tick missed while hidden comes now.
    if (ticked_.elapsed() >= Timer1->interval()) Timer1Timer();
    Timer1->start();
}

void TTDForm::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    Timer1->stop();
}

void TTDForm::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
    event->accept();
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

void TTDForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

int TTDForm::MenuHeight() const
{
    // Before the first show the menu bar has no height of its own yet.
    const QWidget *menu = menuWidget();
    if (!menu) return 0;
    return menu->isVisible() ? menu->height() : menu->sizeHint().height();
}

// The statistics memo as high and as wide as its lines in its own font. The
// window grows for it as far as the screen allows (past that the memo scrolls),
// and shrinks back to its earlier height when the lines go again.
void TTDForm::FitStatistics()
{
    QPlainTextEdit *memo = ui->Memo1;
    QAbstractTextDocumentLayout *layout = memo->document()->documentLayout();
    qreal lines = 0.0, line = 0.0;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        line = layout->blockBoundingRect(block).height();   // lays the line out
        lines += line;
    }
    const int frame = 2 * memo->frameWidth();
    int height = qCeil(lines + 2 * memo->document()->documentMargin()) + frame;
    bool scrolls = false;
    if (QScreen *s = screen()) {
        const int border = std::max(0, frameGeometry().height() - this->height());
        const int room = s->availableGeometry().height() - border - MenuHeight() - ui->GroupBox3->y() - 24 - 8;
        scrolls = height > room;
        if (scrolls) height = std::max(room, qCeil(line) + frame);
    }
    // Never narrower than laid out; the three boxes on the right stay one column.
    int wide = std::max(StatisticsMemoWidth, qCeil(layout->documentSize().width()) + frame);
    if (scrolls) wide += memo->verticalScrollBar()->sizeHint().width();
    // Bars only where the text cannot fit: a bar that is not needed would itself
    // take the room that makes the other one appear.
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (wide != memo->width()) {
        for (QGroupBox *box : {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3})
            box->resize(wide + 2 * memo->x(), box->height());
        memo->resize(wide, memo->height());
        FormResize();
    }
    memo->resize(memo->width(), height);
    ui->GroupBox3->resize(ui->GroupBox3->width(), height + 24);

    const int needed = ui->GroupBox3->y() + ui->GroupBox3->height() + 8;
    const int client = this->height() - MenuHeight();
    if (grownFrom_ && client != grownTo_) grownFrom_ = 0;   // the user has sized it since
    if (needed > client) {
        if (!grownFrom_) grownFrom_ = client;
        FormResize();
        grownTo_ = this->height() - MenuHeight();
    } else if (grownFrom_ && needed < client) {
        const int back = std::max(grownFrom_, needed);
        if (back == grownFrom_) grownFrom_ = 0;
        resize(width(), back + MenuHeight());
        grownTo_ = back;
    }
}

void TTDForm::FormResize()
{
    static thread_local bool inside = false;
    if (inside) return;
    inside = true;
    const int menu = MenuHeight();
    int clientWidth = width();
    int clientHeight = height() - menu;
    const int statisticsBottom = ui->GroupBox3->y() + ui->GroupBox3->height();
    bool grow = false;
    if (clientWidth < 750) {
        clientWidth = 750;
        grow = true;
    }
    if (clientHeight < statisticsBottom + 8) {
        clientHeight = statisticsBottom + 8;
        grow = true;
    }
    if (grow) resize(clientWidth, clientHeight + menu);
    if (QScreen *s = screen()) {
        const QRect free = s->availableGeometry();
        if (frameGeometry().bottom() > free.bottom())
            move(x(), std::max(free.top(), free.top() + (free.height() - frameGeometry().height()) / 2));
    }
    const int chartWidth = clientWidth - ui->GroupBox2->width() - 24;
    for (QGroupBox *box : {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3}) box->move(chartWidth + 16, box->y());
    Chart1->setGeometry(Chart1->x(), Chart1->y(), chartWidth, clientHeight - 8);
    inside = false;
}
