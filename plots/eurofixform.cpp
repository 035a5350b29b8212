#include "plots/eurofixform.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "logs/logform.h"
#include "platform/alertsound.h"
#include "platform/beatdrawing.h"
#include "platform/memo.h"
#include "platform/plaintext.h"
#include "ui_eurofixform.h"

namespace {

constexpr const char *AlertSoundFile = "SMSAlert.wav";
constexpr int AlertTicksShown = 100;   // ticks of 100 ms after which the alert goes

QSize PrimaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

QLabel *AddLabel(QWidget *parent, int left, int top, const QString &text, int width, const char *name = nullptr)
{
    auto *label = new QLabel(text, parent);
    if (name) label->setObjectName(name);
    label->setGeometry(left, top, width, 16);
    return label;
}

QPlainTextEdit *AddMemo(QWidget *parent, const char *name, int width, int height)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    // One message, one line: a line too long for the memo scrolls rather than wraps.
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setGeometry(8, 56, width, height);
    return memo;
}

QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

// ---------------------------------------------------------------------------
// One station
// ---------------------------------------------------------------------------

EurofixDataClass::EurofixDataClass(TEurofixForm *form) : form_(form)
{
    Corrections.SetMaxAge(40.0);
    BuildPanel(form->PanelParent());
}

EurofixDataClass::~EurofixDataClass()
{
    // The group box takes every other control of the panel with it.
    delete GroupBox.data();
}

void EurofixDataClass::SetName(const char *name)
{
    std::snprintf(Name, sizeof Name, "%s", name);
    GroupBox->setTitle(QString::fromLatin1(Name));
}

QWidget *EurofixDataClass::AddTab(const char *caption)
{
    auto *sheet = new QWidget;
    PageControl->addTab(sheet, caption);
    return sheet;
}

void EurofixDataClass::BuildPanel(QWidget *parent)
{
    GroupBox = new QGroupBox(parent);
    GroupBox->setObjectName("GroupBox");
    GroupBox->setGeometry(0, 0, EurofixPanelWidth, EurofixPanelHeight);
    GroupBox->hide();

    PageControl = new QTabWidget(GroupBox);
    PageControl->setObjectName("PageControl");
    const int pageWidth = GroupBox->width() - 32, pageHeight = GroupBox->height() - 32;
    PageControl->setGeometry(16, 16, pageWidth, pageHeight);
    const int memoWidth = pageWidth - 2 * 8 - 8, memoHeight = pageHeight - 56 - 32;
    const int captionWidth = 170, valueWidth = pageWidth - 180 - 8;

    // A page comes into sight with what waited for it.
    QObject::connect(PageControl, &QTabWidget::currentChanged, GroupBox, [this](int tab) {
        if (tab < 0 || !waiting_[tab]) return;
        if (BeatDrawing::InSight(GroupBox)) ShowPage(tab);
        else form_->StationChanged();
    });

    QWidget *dgps = AddTab("DGPS");
    AddLabel(dgps, 8, 8, "Station ID:", captionWidth);
    StationIdValue = AddLabel(dgps, 180, 8, "No ID", valueWidth, "StationIdValue");
    AddLabel(dgps, 8, 24, "Station Health:", captionWidth);
    HealthValue = AddLabel(dgps, 180, 24, "Not working", valueWidth, "HealthValue");
    AddLabel(dgps, 8, 40, "# Messages", captionWidth);
    DgpsCountValue = AddLabel(dgps, 180, 40, "0", valueWidth, "DgpsCountValue");
    DgpsGrid = new LogGrid(dgps);
    DgpsGrid->setObjectName("DgpsGrid");
    DgpsGrid->DefaultRowHeight = 20;
    DgpsGrid->SetColumnWidths({60, 60, 60, 60, 60});
    DgpsGrid->SetRowCount(DgpsGridRows);
    DgpsGrid->SetHeadings({" SV", "  PRC", "  RRC", " IODE", " Z-Count"});
    const int line = DgpsGrid->GridLineWidth;
    DgpsGrid->setGeometry(8, 56, (60 + line) * DgpsGridColumns + 4, (DgpsGrid->DefaultRowHeight + line) * DgpsGridRows + 4);
    DgpsGrid->setCurrentCell(-1, -1);

    QWidget *utc = AddTab("UTC");
    AddLabel(utc, 8, 8, "UTC Time", captionWidth);
    UtcTimeValue = AddLabel(utc, 180, 8, "No time", valueWidth, "UtcTimeValue");
    AddLabel(utc, 8, 24, "", captionWidth);
    AddLabel(utc, 180, 24, "", valueWidth);
    AddLabel(utc, 8, 40, "# Messages", captionWidth);
    UtcCountValue = AddLabel(utc, 180, 40, "0", valueWidth, "UtcCountValue");
    UtcMemo = AddMemo(utc, "UtcMemo", memoWidth, memoHeight);
    // A time line with its hours, year or leap change is wider than the page: it wraps
    // at a blank, so every field stays in sight.
    UtcMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    QWidget *etran = AddTab("ETRAN");
    AddLabel(etran, 8, 8, "E-TRAN Messages", captionWidth);
    AddLabel(etran, 8, 40, "# Messages", captionWidth);
    ETranCountValue = AddLabel(etran, 180, 40, "0", valueWidth, "ETranCountValue");
    ETranMemo = AddMemo(etran, "ETranMemo", memoWidth, memoHeight);

    QWidget *sms = AddTab("SMS");
    AddLabel(sms, 8, 8, "SMS Messages", captionWidth);
    AddLabel(sms, 8, 40, "# Messages", captionWidth);
    SmsCountValue = AddLabel(sms, 180, 40, "0", valueWidth, "SmsCountValue");
    SmsMemo = AddMemo(sms, "SmsMemo", memoWidth, memoHeight);

    AlertPanel = new QFrame(sms);
    AlertPanel->setObjectName("AlertPanel");
    const int border = 3, panelWidth = pageWidth - 2 * 8 - 24, panelHeight = 100;
    AlertPanel->setGeometry(16, SmsMemo->y() + (memoHeight - panelHeight) / 2, panelWidth, panelHeight);
    AlertPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    AlertPanel->setLineWidth(border);
    AlertPanel->setAutoFillBackground(true);
    AlertCaption = new QLabel("SMS message received:", AlertPanel);
    AlertCaption->setObjectName("AlertCaption");
    AlertCaption->setAlignment(Qt::AlignCenter);
    AlertCaption->setGeometry(8, 8, panelWidth - 16, AlertCaption->sizeHint().height());
    AlertText = new QLabel(AlertPanel);
    AlertText->setObjectName("AlertText");
    AlertText->setAlignment(Qt::AlignCenter);
    AlertText->setWordWrap(true);
    QFont alertFont = AlertText->font();
    alertFont.setPointSize(9);
    alertFont.setBold(true);
    AlertText->setFont(alertFont);
    QPalette red = AlertText->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    AlertText->setPalette(red);
    const int textTop = AlertCaption->y() + AlertCaption->height() + 8;
    AlertText->setGeometry(8, textTop, panelWidth - 16, panelHeight - textTop - border - 4);
    AlertPanel->hide();
    ShowLabelsAsPlainText(GroupBox);

    AlertTimer = new QTimer(GroupBox);
    AlertTimer->setObjectName("AlertTimer");
    AlertTimer->setInterval(100);
    QObject::connect(AlertTimer, &QTimer::timeout, GroupBox, [this] { AlertTick(); });
}

int EurofixDataClass::ShowMessage(const char *hex)
{
    switch (GetMessageType(hex)) {
    case EurofixDgps: ShowDgps(hex); break;
    case EurofixStationHealth: ShowStationHealth(hex); break;
    case EurofixSms: ShowSms(hex); break;
    case EurofixUtc: ShowUtc(hex); break;
    case EurofixETran: ShowETran(hex); break;
    default: break;   // type 2 carries nothing shown; the others are not decoded
    }
    return 0;
}

void EurofixDataClass::ShowDgps(const char *hex)
{
    DgpsMessage message;
    if (DecodeDgps(message, hex) != EurofixDecoded) return;
    ++DgpsCount;
    Corrections.Store(message.Correction);
    RedrawGrid();
}

void EurofixDataClass::RedrawGrid()
{
    gridWaiting_ = true;
    gridRows_.reset();
    Changed(DgpsTab);
}

void EurofixDataClass::KeepGridRows()
{
    if (gridWaiting_ && !gridRows_) gridRows_ = DgpsGridRowsOf(Corrections);
}

void EurofixDataClass::Changed(Tab tab)
{
    waiting_.set(tab);
    form_->StationChanged();
}

void EurofixDataClass::ShowStationHealth(const char *hex)
{
    StationHealthMessage message;
    if (DecodeStationHealth(message, hex) != EurofixDecoded) return;
    ++DgpsCount;
    stationId_ = QString::number(message.StationId);
    health_ = QString::fromStdString(HealthText(message.Health));
    Changed(DgpsTab);
}

void EurofixDataClass::ShowSms(const char *hex)
{
    SmsMessage message;
    if (DecodeSms(message, hex) != EurofixDecoded) return;
    ++SmsCount;
    AddLine(smsLines_, Latin1(SmsChunkLine(message)));
    Changed(SmsTab);
    std::string text;
    if (SmsText.Add(message, text)) ShowAlert(text);
}

void EurofixDataClass::ShowAlert(const std::string &text)
{
    AlertCaption->setText("SMS message received from " + QString::fromLatin1(Name) + ":");
    AlertText->setText(Latin1(text));
    AlertPanel->show();
    AlertPanel->raise();
    AlertTicks = 0;
    AlertTimer->start();
    PageControl->setCurrentIndex(3);
    form_->SmsCompleted();
}

void EurofixDataClass::AlertTick()
{
    if (++AlertTicks > AlertTicksShown) {
        AlertPanel->hide();
        AlertTimer->stop();
    }
}

void EurofixDataClass::ShowUtc(const char *hex)
{
    UtcMessage message;
    if (DecodeUtc(message, hex) != EurofixDecoded) return;
    const UtcTexts texts = FormatUtc(message, TEurofixForm::LocalSecondsInHour());
    ++UtcCount;
    utcTime_ = QString::fromStdString(texts.Value);
    AddLine(utcLines_, QString::fromStdString(texts.TimeLine));
    AddLine(utcLines_, QString::fromStdString(texts.DiffLine));
    Changed(UtcTab);
}

void EurofixDataClass::ShowETran(const char *hex)
{
    ETranMessage message;
    if (DecodeETran(message, hex) != EurofixDecoded) return;
    ++ETranCount;
    AddLine(eTranLines_, QString::fromStdString(ETranText(message.ETranType)));
    Changed(ETranTab);
}

// A memo keeps its last MemoLines lines: older ones waiting need never be shown.
void EurofixDataClass::AddLine(QStringList &lines, const QString &line)
{
    lines.append(line);
    if (lines.size() > MemoLines) lines.removeFirst();
}

void EurofixDataClass::ShowLines(QPlainTextEdit *memo, QStringList &lines)
{
    if (lines.isEmpty()) return;
    // Each message one paragraph, as when appended one by one.
    memo->appendPlainText(lines.join('\n'));
    TrimMemoLines(memo, MemoLines);
    lines.clear();
}

void EurofixDataClass::ShowWaiting(bool everyPage)
{
    for (int tab = 0; tab < TabCount; ++tab)
        if (waiting_[tab] && (everyPage || PageControl->currentIndex() == tab)) ShowPage(tab);
}

void EurofixDataClass::ShowPage(int tab)
{
    waiting_.reset(tab);
    auto set = [](QLabel *label, const QString &text) {
        if (label->text() != text) label->setText(text);
    };
    switch (tab) {
    case DgpsTab:
        set(DgpsCountValue, QString::number(DgpsCount));
        if (stationId_) set(StationIdValue, *stationId_);
        if (health_) set(HealthValue, *health_);
        stationId_.reset();
        health_.reset();
        if (gridWaiting_) {
            std::vector<DgpsGridRow> rows = gridRows_ ? *gridRows_ : DgpsGridRowsOf(Corrections);
            // Only the cells that differ from what the grid shows are set.
            for (size_t r = 0; r < rows.size(); ++r)
                for (int c = 0; c < DgpsGridColumns; ++c)
                    if (r >= gridShown_.size() || gridShown_[r][c] != rows[r][c])
                        DgpsGrid->SetCellText(c, static_cast<int>(r) + 1, QString::fromStdString(rows[r][c]));
            if (gridShown_.size() > rows.size()) DgpsGrid->BlankRowsFrom(static_cast<int>(rows.size()) + 1);
            gridShown_ = std::move(rows);
            gridWaiting_ = false;
            gridRows_.reset();
        }
        break;
    case UtcTab:
        set(UtcCountValue, QString::number(UtcCount));
        if (utcTime_) set(UtcTimeValue, *utcTime_);
        utcTime_.reset();
        ShowLines(UtcMemo, utcLines_);
        break;
    case ETranTab:
        set(ETranCountValue, QString::number(ETranCount));
        ShowLines(ETranMemo, eTranLines_);
        break;
    case SmsTab:
        set(SmsCountValue, QString::number(SmsCount));
        ShowLines(SmsMemo, smsLines_);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------

TEurofixForm::TEurofixForm(QWidget *owner) : QMainWindow(owner), ui(std::make_unique<Ui::TEurofixForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    // A window of its own, though owned by the main window.
    setWindowFlags(Qt::Window);

    N1 = ui->Stations1->addSeparator();
    N1->setObjectName("N1");
    fixedItems_ = static_cast<int>(ui->Stations1->actions().size());

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addAction(ui->AlwaysonTop1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    MediaPlayer1 = new AlertSound(this);
    MediaPlayer1->setObjectName("MediaPlayer1");
    drawing_ = new BeatDrawing(this, [this] { Draw(); });

    connect(Timer1, &QTimer::timeout, this, &TEurofixForm::Timer1Timer);
    connect(ui->Close1, &QAction::triggered, this, &TEurofixForm::Close1Click);
    connect(ui->AlwaysonTop1, &QAction::triggered, this, &TEurofixForm::AlwaysonTop1Click);
    connect(ui->AlwaysonTop2, &QAction::triggered, this, &TEurofixForm::AlwaysonTop1Click);
    connect(ui->Stations1, &QMenu::aboutToShow, this, &TEurofixForm::Stations1Click);
    connect(ui->SelectAll1, &QAction::triggered, this, &TEurofixForm::SelectAll1Click);
    connect(ui->HideAll1, &QAction::triggered, this, &TEurofixForm::HideAll1Click);

    ResetAll();
    // How many panels fit across and down a window the size of the screen.
    const QSize screen = PrimaryScreenSize();
    MaxColumns = std::max(1, EurofixPanelsAcross(screen.width()));
    MaxRows = std::max(1, EurofixPanelsDown(screen.height() - MenuHeight()));
    SetClientSize(200, 540);
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    Timer1->start();
}

TEurofixForm::~TEurofixForm()
{
    drawing_->Discard();
    FormDestroy();
}

void TEurofixForm::FormDestroy()
{
    Timer1->stop();
    StationList.clear();
    DeleteStationItems();
}

QWidget *TEurofixForm::PanelParent() const { return ui->ClientPanel; }

int TEurofixForm::MenuHeight() const
{
    // Before the first show the menu bar has no height of its own yet.
    const QWidget *menu = menuWidget();
    if (!menu) return 0;
    return menu->isVisible() ? menu->height() : menu->sizeHint().height();
}

QSize TEurofixForm::ClientSize() const { return QSize(width(), height() - MenuHeight()); }

void TEurofixForm::SetClientSize(int width, int height) { resize(width, height + MenuHeight()); }

double TEurofixForm::LocalSecondsInHour()
{
    return std::fmod(QTime::currentTime().msecsSinceStartOfDay() / 1000.0, 3600.0);
}

void TEurofixForm::NewData(const SentenceLine &line)
{
    RmsgRecord record;
    if (record.Parse(line) != 0) return;
    bool matched = false;
    for (const auto &station : StationList) {
        if (station->Code != record.Code) continue;
        station->ShowMessage(record.Message);
        matched = true;
    }
    if (matched) return;
    if (StationList.size() >= MaxEurofixStations) {
        ++DroppedMessages;
        ShowDropped();
        return;
    }

    auto station = std::make_unique<EurofixDataClass>(this);
    station->Code = record.Code;
    station->Shown = true;
    char name[12] = {};
    CodeToStationId(name, record.Code);
    station->SetName(name);
    // In the list before its message is shown: a window that draws at once
    // draws the stations of its list.
    EurofixDataClass &added = *station;
    StationList.push_back(std::move(station));
    std::stable_sort(StationList.begin(), StationList.end(),
                     [](const auto &a, const auto &b) { return a->Code < b->Code; });
    added.ShowMessage(record.Message);
    LayoutStations();
}

void TEurofixForm::StationChanged() { drawing_->Changed(); }

void TEurofixForm::DrawPending()
{
    drawing_->DrawPending();
    for (const auto &station : StationList) station->ShowWaiting(true);
}

void TEurofixForm::Draw()
{
    for (const auto &station : StationList) station->ShowWaiting();
}

void TEurofixForm::ResetAll()
{
    if (drawing_) drawing_->Discard();
    StationList.clear();
    DroppedMessages = 0;
    ShowDropped();
    // No panels left to scroll to; the window keeps its size until the next layout.
    ui->ClientPanel->resize(0, 0);
}

void TEurofixForm::ShowDropped()
{
    QString title = "Eurofix messages";
    if (DroppedMessages > 0)
        title += QString(" (%1 stations kept, %2 messages of other stations dropped)")
                     .arg(StationList.size())
                     .arg(DroppedMessages);
    setWindowTitle(title);
}

void TEurofixForm::LayoutStations()
{
    ui->ClientScroll->horizontalScrollBar()->setValue(0);
    ui->ClientScroll->verticalScrollBar()->setValue(0);

    const QSize screen = PrimaryScreenSize();
    const int shown = static_cast<int>(
        std::count_if(StationList.begin(), StationList.end(), [](const auto &s) { return s->Shown; }));
    const EurofixLayout layout = PlanEurofixLayout(shown, MaxColumns, MaxRows, screen.width(), screen.height());

    int right = 0, bottom = 0;
    size_t next = 0;
    for (const auto &station : StationList) {
        if (!station->Shown) {
            station->GroupBox->hide();
            continue;
        }
        const PanelPlace place = layout.Places[next++];
        station->GroupBox->move(place.X, place.Y);
        station->GroupBox->show();
        right = std::max(right, place.X + station->GroupBox->width());
        bottom = std::max(bottom, place.Y + station->GroupBox->height() + EurofixPanelGap);
    }
    ui->ClientPanel->resize(right, bottom);
    SetClientSize(layout.ClientWidth, layout.ClientHeight);

    const QRect frame = frameGeometry();
    const PanelPlace corner =
        KeepOnScreen(frame.left(), frame.top(), frame.width(), frame.height(), screen.width(), screen.height());
    if (corner.X != frame.left() || corner.Y != frame.top()) move(corner.X, corner.Y);
}

void TEurofixForm::SmsCompleted()
{
    if (!isVisible()) return;
    if (QFileInfo::exists(AlertSoundFile)) MediaPlayer1->Play(AlertSoundFile);
    raise();
}

void TEurofixForm::Timer1Timer()
{
    for (const auto &station : StationList) {
        station->KeepGridRows();
        station->Corrections.AgeOut();
    }
}

void TEurofixForm::Close1Click() { close(); }

void TEurofixForm::AlwaysonTop1Click()
{
    // Both items flip together; Qt has already flipped the one clicked.
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    ui->AlwaysonTop1->setChecked(onTop);
    ui->AlwaysonTop2->setChecked(onTop);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show();
}

void TEurofixForm::DeleteStationItems()
{
    const QList<QAction *> items = ui->Stations1->actions();
    for (qsizetype i = fixedItems_; i < items.size(); ++i) {
        ui->Stations1->removeAction(items[i]);
        delete items[i];
    }
}

void TEurofixForm::Stations1Click()
{
    DeleteStationItems();
    for (const auto &station : StationList) {
        QAction *item = ui->Stations1->addAction(QString::fromLatin1(station->Name));
        item->setCheckable(true);
        item->setChecked(station->Shown);
        item->setData(station->Code * 100);
        connect(item, &QAction::triggered, this, [this, item] { StationItemClick(item); });
    }
    const bool none = StationList.empty();
    ui->None1->setVisible(none);
    ui->SelectAll1->setVisible(!none);
    ui->HideAll1->setVisible(!none);
    N1->setVisible(!none);
}

void TEurofixForm::StationItemClick(QAction *item)
{
    const int tag = item->data().toInt();
    for (const auto &station : StationList) {
        if (station->Code * 100 != tag) continue;
        station->Shown = !station->Shown;
        station->GroupBox->setVisible(station->Shown);
    }
    LayoutStations();
}

void TEurofixForm::SetAllShown(bool shown)
{
    for (const auto &station : StationList) station->Shown = shown;
    LayoutStations();
}

void TEurofixForm::SelectAll1Click() { SetAllShown(true); }

void TEurofixForm::HideAll1Click() { SetAllShown(false); }

void TEurofixForm::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
    event->accept();
}
