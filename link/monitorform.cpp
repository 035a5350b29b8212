#include "link/monitorform.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "app/application.h"
#include "app/forms.h"
#include "link/datasource.h"
#include "platform/beatdrawing.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "platform/trafficview.h"
#include "ui_datasource.h"
#include "ui_monitorform.h"

namespace {
const char *const kFrozenHint = "Press right mouse button to continue monitor update";
} // namespace

// The integer of a rate edit; text that is no integer is reported as the
// conversion error it is, and gives nothing.
std::optional<int> TMonitorForm::ReadInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) return value;
    KavuApplication::ShowException(("'" + text + "' is not a valid integer value").toLocal8Bit().constData());
    return std::nullopt;
}

void HistoryComboBox::showPopup()
{
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
}

TMonitorForm::TMonitorForm(QAction *menuItem, QWidget *parent)
    : MdiChildForm(menuItem, parent), ui(std::make_unique<Ui::TMonitorForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("Serial Monitor");
    // No smaller than 400 x 160, title bar and borders included.
    SetSizeable(400 - FrameSize().width(), 160 - FrameSize().height());
    ui->ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ui->ComboBox1->OnDropDown = [this] { ComboBox1DropDown(); };
    ui->ComboBox1->lineEdit()->installEventFilter(this);
    ui->ComboBox1->installEventFilter(this);
    ui->Edit1->installEventFilter(this);
    for (TrafficView *pane : {ui->RichEdit1, ui->RichEdit2}) {
        pane->installEventFilter(this);
        pane->viewport()->installEventFilter(this);
        pane->setContextMenuPolicy(Qt::NoContextMenu);
        // The bars paint every pixel of themselves: a bar that changes repaints
        // alone, not the frame window's area, the window and its boxes under it.
        for (QScrollBar *bar : {pane->verticalScrollBar(), pane->horizontalScrollBar()}) bar->setAttribute(Qt::WA_OpaquePaintEvent);
        DrawTextUnshaped(pane);
    }

    connect(ui->Button5, &QPushButton::clicked, this, &TMonitorForm::Button5Click);
    connect(ui->ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, &TMonitorForm::Button5Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TMonitorForm::Button1Click);
    connect(ui->Edit1, &QLineEdit::returnPressed, this, &TMonitorForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TMonitorForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TMonitorForm::Button2Click);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TMonitorForm::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TMonitorForm::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &TMonitorForm::SpeedButton3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TMonitorForm::Button4Click);
    connect(ui->RadioButton1, &QRadioButton::clicked, this, &TMonitorForm::RadioButton1Click);
    connect(ui->RadioButton2, &QRadioButton::clicked, this, &TMonitorForm::RadioButton2Click);
    connect(ui->Edit2, &QLineEdit::textChanged, this, [this](const QString &t) { Text.Filter = t.toStdString(); });

    // The panes take the traffic at every fourth beat while they can be seen.
    drawing_ = new BeatDrawing(ui->RichEdit1, [this] { RefreshPanes(); }, BeatDrawing::TrafficMs);

    ready_ = true;
    FormCreate();
    FocusControls();
}

TMonitorForm::~TMonitorForm()
{
    drawing_->Discard();
    if (MonitorForm == this) MonitorForm = nullptr;
}

void TMonitorForm::FormCreate()
{
    move(375, 247);
    resize(483, 284);
    ChooseGroupBox();
    if (DataSourceForm && DataSourceForm->ui->RadioFile->isChecked()) {
        if (!DataSourceForm->Connected) ResetPlayButtons();
        else if (DataSourceForm->Timer1->isActive()) SetPlaying();
        else SetPausing();
    }
    if (DataSourceForm) {
        if (std::optional<int> pace = ReadInteger(DataSourceForm->ui->Edit1->text())) ui->Edit1->setText(QString::number(*pace));
    }
    UpdateCaption();
    FormResize();
}

void TMonitorForm::showEvent(QShowEvent *event)
{
    MdiChildForm::showEvent(event);
    ChooseGroupBox();
}

void TMonitorForm::resizeEvent(QResizeEvent *event)
{
    MdiChildForm::resizeEvent(event);
    FormResize();
}

void TMonitorForm::FormResize()
{
    if (!ready_) return;
    int w = std::max(ClientWidth(), Client()->minimumWidth());
    int h = std::max(ClientHeight(), Client()->minimumHeight());
    int commandHeight = ui->GroupBox2->height();
    ui->GroupBox1->setGeometry(2, 0, w - 4, h - commandHeight - 6);
    int half = w / 2 - 3;
    int below = ui->GroupBox1->height() + 3;
    ui->GroupBox2->setGeometry(2, below, half, commandHeight);
    ui->GroupBox3->setGeometry(2, below, half, commandHeight);
    ui->GroupBox4->setGeometry(2 + half + 2, below, half, commandHeight);
    int paneWidth = ui->GroupBox1->width() / 2 - 12;
    int paneHeight = ui->GroupBox1->height() - 24;
    ui->RichEdit1->setGeometry(8, 18, paneWidth, paneHeight);
    ui->RichEdit2->setGeometry(8 + paneWidth + 8, 18, paneWidth, paneHeight);
    int groupWidth = ui->GroupBox2->width();
    ui->Button5->move(groupWidth - 156, ui->Button5->y());
    ui->Button2->move(groupWidth - 84, ui->Button2->y());
    ui->ComboBox1->setGeometry(8, ui->ComboBox1->y(), std::max(groupWidth - 156 - 14 - 8, 20), ui->ComboBox1->height());
    int selectWidth = ui->GroupBox4->contentsRect().width();
    ui->Button4->move(selectWidth - 55, ui->Button4->y());
    int radioLeft = ui->Button4->x() - 64;
    ui->RadioButton1->move(radioLeft, ui->RadioButton1->y());
    ui->RadioButton2->move(radioLeft, ui->RadioButton2->y());
    ui->Edit2->setGeometry(8, ui->Edit2->y(), std::max(radioLeft - 16 - 8, 10), ui->Edit2->height());
}

// ---------------------------------------------------------------------------
// Traffic
// ---------------------------------------------------------------------------

void TMonitorForm::AddData(const QByteArray &chunk)
{
    Text.AddData(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())));
    drawing_->Changed();
}

namespace {
QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }
} // namespace

// The pane takes the text as the traffic goes on, with its end in view; the
// view draws only the rows that changed.
void TMonitorForm::UpdatePane(TrafficView *pane, const std::string &text)
{
    const QString shown = Latin1(text);
    if (shown != pane->Text()) pane->ShowText(shown, TrafficView::Follow::End);
}

void TMonitorForm::RefreshPanes()
{
    // A pane with the focus is frozen so the user can read and select in it.
    if (!ui->RichEdit1->hasFocus()) UpdatePane(ui->RichEdit1, Text.AllText);
    if (!ui->RichEdit2->hasFocus()) UpdatePane(ui->RichEdit2, Text.FilteredText);
}

void TMonitorForm::ClearAll()
{
    Text.ClearAll();
    ui->RichEdit1->clear();
    ui->RichEdit2->clear();
}

void TMonitorForm::Button4Click()
{
    Text.ClearFiltered();
    ui->RichEdit2->clear();
}

void TMonitorForm::RadioButton1Click()
{
    ui->RadioButton1->setChecked(true);
    Text.Mode = MonitorText::FilterMode::Include;
}

void TMonitorForm::RadioButton2Click()
{
    ui->RadioButton2->setChecked(true);
    Text.Mode = MonitorText::FilterMode::Exclude;
}

void TMonitorForm::PaneEnter(TrafficView *pane) { pane->setToolTip(kFrozenHint); }

void TMonitorForm::PaneExit(TrafficView *pane, const std::string &text)
{
    pane->setToolTip(pane == ui->RichEdit1 ? "All received data" : "Filtered data");
    pane->setPlainText(Latin1(text));
    pane->ShowEnd();
}

void TMonitorForm::ResumePanes() { FocusControls(); }

// "Set" while the file controls are shown, else the command line. Asked of the
// controls' own state, so it holds before the window is shown too.
void TMonitorForm::FocusControls()
{
    if (ui->GroupBox3->isVisibleTo(this)) ui->Button1->setFocus();
    else ui->ComboBox1->setFocus();
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

void TMonitorForm::Button5Click()
{
    QString command = ui->ComboBox1->currentText();
    History.Add(command.toStdString());
    if (DataSourceForm) {
        QByteArray bytes = (command + "\r\n").toLatin1();
        DataSourceForm->SendData(bytes.constData(), static_cast<int>(bytes.size()));
    }
    ui->Button5->setFocus();
    ui->ComboBox1->setFocus();
}

void TMonitorForm::ComboBox1KeyUp(int key)
{
    std::string text = ui->ComboBox1->currentText().toStdString();
    std::string next;
    switch (key) {
    case Qt::Key_PageUp: next = History.Oldest(text); break;
    case Qt::Key_PageDown: next = History.Newest(text); break;
    case Qt::Key_Up: next = History.Older(text); break;
    case Qt::Key_Down: next = History.Newer(text); break;
    default: return;
    }
    ui->ComboBox1->setEditText(QString::fromStdString(next));
    ui->ComboBox1->lineEdit()->selectAll();
}

void TMonitorForm::ComboBox1DropDown()
{
    QString typed = ui->ComboBox1->currentText();
    ui->ComboBox1->clear();
    for (const std::string &entry : History.DropDownList(typed.toStdString()))
        ui->ComboBox1->addItem(QString::fromStdString(entry));
    ui->ComboBox1->setEditText(typed);
}

// ---------------------------------------------------------------------------
// Source control
// ---------------------------------------------------------------------------

void TMonitorForm::Button2Click()
{
    if (!DataSourceForm) return;
    DataSourceForm->LoadSettings(RegistryKey);
    DataSourceForm->Button1Click(nullptr);
}

void TMonitorForm::Button1Click()
{
    if (!DataSourceForm) return;
    std::optional<int> value = ReadInteger(ui->Edit1->text());
    if (!value) return;
    DataSourceForm->ui->Edit1->setText(QString::number(*value));
    DataSourceForm->Button4Click();
    ui->Edit1->setText(QString::number(DataSourceForm->ui->Edit1->text().trimmed().toInt()));
}

void TMonitorForm::SpeedButton1Click()
{
    if (DataSourceForm) DataSourceForm->Timer1->start();
    SetPlaying();
}

void TMonitorForm::SpeedButton2Click()
{
    if (DataSourceForm) DataSourceForm->Timer1->stop();
    SetPausing();
}

void TMonitorForm::SpeedButton3Click()
{
    if (DataSourceForm) {
        DataSourceForm->Timer1->stop();
        DataSourceForm->Timer1Timer();
    }
    SetPausing();
}

void TMonitorForm::SetPlaying()
{
    ui->SpeedButton1->setEnabled(false);
    ui->SpeedButton2->setEnabled(true);
    ui->SpeedButton3->setEnabled(true);
}

void TMonitorForm::SetPausing()
{
    ui->SpeedButton1->setEnabled(true);
    ui->SpeedButton2->setEnabled(false);
    ui->SpeedButton3->setEnabled(true);
}

void TMonitorForm::ResetPlayButtons()
{
    for (QToolButton *b : {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3}) b->setEnabled(false);
}

void TMonitorForm::ChooseGroupBox()
{
    bool file = DataSourceForm && DataSourceForm->ui->RadioFile->isChecked();
    if (!file) ResetPlayButtons();
    ui->GroupBox3->setVisible(file);
    ui->GroupBox2->setVisible(!file);
}

void TMonitorForm::UpdateCaption()
{
    QString status = DataSourceForm ? DataSourceForm->GetStatusText() : QString("No datasource connected");
    setWindowTitle("Monitor: " + status);
    if (DataSourceForm) {
        ui->Button2->setText(DataSourceForm->ui->Button1->text());
        ui->Button3->setText(DataSourceForm->ui->Button1->text());
    }
}

bool TMonitorForm::eventFilter(QObject *watched, QEvent *event)
{
    // The frame filters its children's events from the start, before the layout exists.
    if (!ready_) return MdiChildForm::eventFilter(watched, event);
    QEvent::Type type = event->type();
    if ((watched == ui->ComboBox1->lineEdit() || watched == ui->ComboBox1) && type == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            ComboBox1KeyUp(key);
            return true;
        }
    }
    if (watched == ui->Edit1 && type == QEvent::FocusOut && ui->GroupBox3->isVisible()) {
        // Leaving the edit for another control; not a box or another window taking the focus.
        auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Button1Click();
    }
    for (TrafficView *pane : {ui->RichEdit1, ui->RichEdit2}) {
        const std::string &text = pane == ui->RichEdit1 ? Text.AllText : Text.FilteredText;
        if (watched == pane && type == QEvent::FocusIn) PaneEnter(pane);
        if (watched == pane && type == QEvent::FocusOut) PaneExit(pane, text);
        if (watched == pane->viewport() && type == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            ResumePanes();
    }
    return MdiChildForm::eventFilter(watched, event);
}
