#include "link/monitorform.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include "app/application.h"
#include "app/forms.h"
#include "link/datasource.h"
#include "platform/beatdrawing.h"
#include "platform/controlwidths.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "platform/trafficpane.h"
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
    // The widths the form gives the controls below the panes, and the gaps
    // between the file controls.
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Button5, ui->Button2, ui->RadioButton1, ui->Button4})
        formWidth_.insert(w, w->width());
    const QWidget *before = nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Edit1, ui->Label1, ui->Button1, ui->SpeedButton2,
                                                        ui->SpeedButton3, ui->SpeedButton1, ui->Button3}) {
        formWidth_.insert(w, w->width());
        fileGaps_.insert(w, before ? w->x() - before->x() - before->width() : 0);
        before = w;
    }
    setWindowTitle("Serial Monitor");
    // No smaller than 400 x 160, title bar and borders included.
    SetSizeable(400 - FrameSize().width(), 160 - FrameSize().height());
    ui->ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ui->ComboBox1->OnDropDown = [this] { ComboBox1DropDown(); };
    ui->ComboBox1->lineEdit()->installEventFilter(this);
    ui->ComboBox1->installEventFilter(this);
    ui->Edit1->installEventFilter(this);
    for (TrafficPane *pane : {ui->RichEdit1, ui->RichEdit2}) {
        pane->installEventFilter(this);
        pane->viewport()->installEventFilter(this);
        // The right button belongs to the monitor (it resumes the panes): no
        // menu of the pane's own, and nothing handed on to the frame.
        pane->setContextMenuPolicy(Qt::PreventContextMenu);
        pane->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
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
    LayCommandControls(ui->GroupBox2->width());
    LayFileControls(ui->GroupBox3->width());
    LaySelectControls(ui->GroupBox4->contentsRect().width());
}

// The controls below the panes keep the places the form gives them while
// their captions fit the widths it gives them; a control whose caption needs
// more grows away from the edge it is aligned to and moves its neighbours on.
// Only a window too narrow for all of them together shortens a caption, and
// every control stays in its group.

namespace {
constexpr int kLeast = 16;   // the least width of a button: still there to be clicked
constexpr int kLeastEdit = 48;   // the command line and the filter: a few characters and the arrow

// The connect button of the data-source window, whose caption both
// "Disconnect" buttons show.
const QStringList kConnectCaptions = {"Connect!", "Connect", "Disconnect"};

void SetLeftAndWidth(QWidget *w, int left, int width) { w->setGeometry(left, w->y(), width, w->height()); }
} // namespace

ControlWidth TMonitorForm::WidthOf(QWidget *control, const QStringList &captions) const
{
    const int needed = captions.isEmpty() ? CaptionWidth(control) : CaptionWidth(control, captions);
    return {std::max(formWidth_.value(control, needed), needed), needed, std::min(kLeast, needed)};
}

// Right-aligned: "Disconnect" ends 8 before the group's edge, "Send" 4 before
// "Disconnect", and the command line ends 14 before "Send".
void TMonitorForm::LayCommandControls(int groupWidth)
{
    const int room = groupWidth - 8 - 8 - 14 - 4 - kLeastEdit;
    const std::vector<int> widths = ShareOut({WidthOf(ui->Button5), WidthOf(ui->Button2, kConnectCaptions)}, room);
    SetLeftAndWidth(ui->Button2, groupWidth - 8 - widths[1], widths[1]);
    SetLeftAndWidth(ui->Button5, ui->Button2->x() - 4 - widths[0], widths[0]);
    SetLeftAndWidth(ui->ComboBox1, 8, std::max(ui->Button5->x() - 14 - 8, kLeastEdit));
}

// Left-aligned, with the gaps the form has between them: the rate and its
// label, "Set", Pause, Single step, Play and "Disconnect".
void TMonitorForm::LayFileControls(int groupWidth)
{
    QWidget *const row[] = {ui->Edit1, ui->Label1, ui->Button1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton1, ui->Button3};
    std::vector<ControlWidth> wanted;
    int gaps = 0;
    for (QWidget *w : row) {
        gaps += fileGaps_.value(w);
        if (w == ui->Edit1) {
            const int width = formWidth_.value(w);   // wide enough for any pace
            wanted.push_back({width, width, width});
        } else {
            wanted.push_back(w == ui->Button3 ? WidthOf(w, kConnectCaptions) : WidthOf(w));
        }
    }
    const std::vector<int> widths = ShareOut(wanted, groupWidth - 8 - gaps - 4);
    int left = 8;
    for (size_t i = 0; i < std::size(row); ++i) {
        left += fileGaps_.value(row[i]);
        SetLeftAndWidth(row[i], left, widths[i]);
        left += widths[i];
    }
}

// Right-aligned: "Clear" ends 7 before the group's client edge, the radio
// buttons end where "Clear" begins, and the filter text ends 16 before them.
void TMonitorForm::LaySelectControls(int clientWidth)
{
    const int room = clientWidth - 8 - 16 - 7 - kLeastEdit;
    const QStringList radios = {ui->RadioButton1->text(), ui->RadioButton2->text()};
    const std::vector<int> widths = ShareOut({WidthOf(ui->RadioButton1, radios), WidthOf(ui->Button4)}, room);
    SetLeftAndWidth(ui->Button4, clientWidth - 7 - widths[1], widths[1]);
    SetLeftAndWidth(ui->RadioButton1, ui->Button4->x() - widths[0], widths[0]);
    SetLeftAndWidth(ui->RadioButton2, ui->Button4->x() - widths[0], widths[0]);
    SetLeftAndWidth(ui->Edit2, 8, std::max(ui->RadioButton1->x() - 16 - 8, kLeastEdit));
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

// The pane takes the text as the traffic goes on: the caret at its end, in view.
void TMonitorForm::UpdatePane(TrafficPane *pane, const std::string &text)
{
    pane->ShowText(Latin1(text));
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

void TMonitorForm::PaneEnter(TrafficPane *pane) { pane->setToolTip(kFrozenHint); }

void TMonitorForm::PaneExit(TrafficPane *pane, const std::string &text)
{
    pane->setToolTip(pane == ui->RichEdit1 ? "All received data" : "Filtered data");
    UpdatePane(pane, text);
}

void TMonitorForm::ResumePanes() { FocusControls(); }

// The right button on a pane, whatever the pane makes of it by itself: the
// press (and a double click) is taken here, so that it travels neither into
// the pane nor up to the frame, which would open its menu and keep the
// release; the release resumes the panes. The context menu request that
// follows a press is taken as well.
bool TMonitorForm::PaneRightButton(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton) return false;
        if (event->type() == QEvent::MouseButtonRelease) ResumePanes();
        mouse->accept();
        return true;
    }
    case QEvent::ContextMenu:
        event->accept();
        return true;
    default:
        return false;
    }
}

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
    for (TrafficPane *pane : {ui->RichEdit1, ui->RichEdit2}) {
        const std::string &text = pane == ui->RichEdit1 ? Text.AllText : Text.FilteredText;
        if (watched == pane && type == QEvent::FocusIn) PaneEnter(pane);
        if (watched == pane && type == QEvent::FocusOut) PaneExit(pane, text);
        if ((watched == pane || watched == pane->viewport()) && PaneRightButton(event)) return true;
    }
    return MdiChildForm::eventFilter(watched, event);
}
