#include "plots/headingform.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "platform/labeltext.h"
#include "platform/beatdrawing.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "plots/compassview.h"
#include "ui_headingform.h"

namespace {

const char *const OffsetNames[HeadingColumns::Count] = {"HF_Offset_0", "HF_Offset_1", "HF_Offset_2"};

// The needle colours, as the source names are coloured.
QColor SourceColour(char source)
{
    switch (source) {
    case 'L': return QColor(255, 0, 0);
    case 'G': return QColor(0, 128, 0);
    case 'I': return QColor(0, 0, 255);
    default: return QColor();
    }
}

QString Text(const std::string &s) { return QString::fromStdString(s); }

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

THeadingForm::THeadingForm(QWidget *owner) : QWidget(owner), ui(std::make_unique<Ui::THeadingForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    // A window of its own with a fixed border, though owned by the main window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(287, 373);
    // The values' texts are drawn from the font's glyphs.
    auto *labelText = new LabelText(this);
    for (QLabel *label : findChildren<QLabel *>()) labelText->Watch(label);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addAction(ui->AlwaysonTop1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);

    drawing_ = new BeatDrawing(this, [this] { Draw(); });
    connect(Timer1, &QTimer::timeout, this, &THeadingForm::Timer1Timer);
    connect(ui->AlwaysonTop1, &QAction::triggered, this, &THeadingForm::AlwaysonTop1Click);
    connect(ui->Button1, &QPushButton::clicked, this, &THeadingForm::Button1Click);

    LoadOffsets();
    FormCreate();
    Timer1->start();
}

THeadingForm::~THeadingForm()
{
    drawing_->Discard();
    FormDestroy();
}

void THeadingForm::FormCreate()
{
    SourceLabels = {ui->SourceLabel0, ui->SourceLabel1, ui->SourceLabel2};
    TimeLabels = {ui->TimeLabel0, ui->TimeLabel1, ui->TimeLabel2};
    HeadingLabels = {ui->HeadingLabel0, ui->HeadingLabel1, ui->HeadingLabel2};
    HeadingStdLabels = {ui->HeadingStdLabel0, ui->HeadingStdLabel1, ui->HeadingStdLabel2};
    QualityLabels = {ui->QualityLabel0, ui->QualityLabel1, ui->QualityLabel2};
    OffsetLabels = {ui->OffsetLabel0, ui->OffsetLabel1, ui->OffsetLabel2};
    OffsetEdits = {ui->OffsetEdit0, ui->OffsetEdit1, ui->OffsetEdit2};
    for (int c = 0; c < HeadingColumns::Count; ++c)
        texts_[c] = {SourceLabels[c]->text(), TimeLabels[c]->text(), HeadingLabels[c]->text(),
                     HeadingStdLabels[c]->text(), QualityLabels[c]->text(), OffsetLabels[c]->text(), QColor()};
    for (QLineEdit *edit : OffsetEdits) {
        edit->hide();
        edit->installEventFilter(this);
    }
    Button1Tag = 0;
    ui->Button1->setText("Offset:");
    ui->Button1->hide();
    PaintDial();
}

void THeadingForm::FormDestroy()
{
    Timer1->stop();
    SaveOffsets();
}

// ---------------------------------------------------------------------------
// Offsets in the settings
// ---------------------------------------------------------------------------

void THeadingForm::LoadOffsets()
{
    for (int i = 0; i < HeadingColumns::Count; ++i) Columns.offset[i] = HeadingColumns::DefaultOffsets[i];
    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (!store.IsOpen()) return;
    for (int i = 0; i < HeadingColumns::Count; ++i) {
        std::optional<QString> text = store.ReadString(OffsetNames[i]);
        if (!text || text->isEmpty()) continue;
        // A value that is no offset the user could have set is ignored on its own.
        if (std::optional<float> value = ReadOffset(text->trimmed().toStdString())) Columns.offset[i] = *value;
    }
}

void THeadingForm::SaveOffsets()
{
    SettingsStore store(SettingsStore::Mode::Create);
    for (int i = 0; i < HeadingColumns::Count; ++i)
        store.WriteString(OffsetNames[i], Text(OffsetSettingText(Columns.offset[i])));
    store.Commit();
}

// ---------------------------------------------------------------------------
// Intake
// ---------------------------------------------------------------------------

void THeadingForm::NewData(const SentenceLine &line)
{
    HdgaRecord record;
    if (record.Parse(line) != 0) return;
    const HeadingColumns::Update update = Columns.Take(record);
    const int c = update.Column;
    if (c < 0) return;

    // The texts are made at the window's turn, from the newest line of each column.
    Unformatted &u = unformatted_[c];
    u.Time = record.Time;
    u.TimeWaiting = true;
    ShowSource(c, record.Source);
    drawing_->Changed();
    if (!update.HeadingShown) return;

    u.Heading = Columns.shownHeading[c];
    u.HeadingStd = record.HeadingStd;
    u.Quality = record.Quality;
    u.Offset = update.Offset;
    u.HeadingWaiting = true;

    if (ui->Button1->isHidden()) ui->Button1->show();
    if (Button1Tag == 1 && OffsetEdits[c]->isHidden()) {
        FormatTexts(c);
        OffsetEdits[c]->setText(texts_[c].Offset);
        OffsetEdits[c]->show();
    }
    DrawNeedles();
}

void THeadingForm::FormatTexts(int column)
{
    Unformatted &u = unformatted_[column];
    ColumnText &t = texts_[column];
    if (u.TimeWaiting) t.Time = Text(HeadingTimeText(u.Time));
    if (u.HeadingWaiting) {
        t.Heading = Text(HeadingValueText(u.Heading));
        t.HeadingStd = Text(HeadingValueText(u.HeadingStd));
        t.Quality = Text(HeadingValueText(u.Quality));
        t.Offset = Text(HeadingValueText(u.Offset));
    }
    u.TimeWaiting = u.HeadingWaiting = false;
}

void THeadingForm::ShowSource(int column, char source)
{
    texts_[column].Source = source == 'G' ? "GPS" : source == 'I' ? "Inertial" : source == 'L' ? "eLoran" : "Not valid";
    // "Not valid" keeps whatever colour the label had.
    const QColor colour = SourceColour(source);
    if (colour.isValid()) texts_[column].SourceColour = colour;
}

void THeadingForm::DrawPending() { drawing_->DrawPending(); }

// The labels and needles as the lines and the user left them.
void THeadingForm::Draw()
{
    auto set = [](QLabel *label, const QString &text) {
        if (label->text() != text) label->setText(text);
    };
    for (int c = 0; c < HeadingColumns::Count; ++c) {
        FormatTexts(c);
        const ColumnText &t = texts_[c];
        set(SourceLabels[c], t.Source);
        set(TimeLabels[c], t.Time);
        set(HeadingLabels[c], t.Heading);
        set(HeadingStdLabels[c], t.HeadingStd);
        set(QualityLabels[c], t.Quality);
        set(OffsetLabels[c], t.Offset);
        QLabel *label = SourceLabels[c];
        if (t.SourceColour.isValid() && label->palette().color(QPalette::WindowText) != t.SourceColour) {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, t.SourceColour);
            label->setPalette(p);
        }
    }
    if (needlesWaiting_) ui->PaintBox1->SetNeedles(Needles());
    needlesWaiting_ = false;
}

// ---------------------------------------------------------------------------
// Offsets typed by the user
// ---------------------------------------------------------------------------

void THeadingForm::Button1Click()
{
    SetOffsetsOrOpenEdits();
    drawing_->Changed();
}

void THeadingForm::SetOffsetsOrOpenEdits()
{
    if (Button1Tag == 0) {
        ui->Button1->setText("Set");
        Button1Tag = 1;
        // Right to left, so the first column's edit ends with the focus. Only a
        // known source has an offset to set.
        for (int c = HeadingColumns::Count - 1; c >= 0; --c) {
            if (!Columns.Settable(c)) continue;
            FormatTexts(c);
            OffsetEdits[c]->setText(texts_[c].Offset);
            OffsetEdits[c]->show();
            OffsetEdits[c]->setFocus();
        }
        return;
    }

    for (int c = 0; c < HeadingColumns::Count; ++c) {
        QLineEdit *edit = OffsetEdits[c];
        if (edit->isHidden()) continue;
        std::optional<float> value = ReadOffset(edit->text().toStdString());
        FormatTexts(c);
        if (!value) {
            Notifier::Error("    Illegal value for Offset    ", this);
            edit->setText(texts_[c].Offset);
            edit->setFocus();
            return;
        }
        if (!Columns.SetOffset(c, *value)) continue;
        DrawNeedles();
        texts_[c].Offset = Text(HeadingValueText(*value));
        texts_[c].Heading = Text(HeadingValueText(Columns.shownHeading[c]));
    }
    ui->Button1->setText("Offset:");
    Button1Tag = 0;
    for (QLineEdit *edit : OffsetEdits) edit->hide();
}

void THeadingForm::EditKeyUp(int key)
{
    if (IsEnter(key)) Button1Click();
}

bool THeadingForm::eventFilter(QObject *watched, QEvent *event)
{
    for (int c = 0; c < HeadingColumns::Count; ++c) {
        if (watched != OffsetEdits[c]) continue;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (!IsEnter(key->key()) || key->isAutoRepeat()) break;
            // Only the release of an Enter pressed here counts: the release of the
            // Enter that closed a message box must not open it again.
            if (event->type() == QEvent::KeyPress) {
                enterDown_[c] = true;
            } else if (enterDown_[c]) {
                enterDown_[c] = false;
                EditKeyUp(key->key());
            }
        } else if (event->type() == QEvent::FocusOut) {
            enterDown_[c] = false;
        }
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Ageing
// ---------------------------------------------------------------------------

void THeadingForm::Timer1Timer()
{
    const unsigned freed = Columns.Tick();
    if (!freed) return;
    for (int c = 0; c < HeadingColumns::Count; ++c)
        if (freed & (1u << c)) EmptyColumn(c);
    if (Columns.AllFree()) {
        ui->Button1->hide();
        Button1Tag = 1;
        Button1Click();   // closes the edits, the caption back to "Offset:"
    }
    DrawNeedles();
}

void THeadingForm::EmptyColumn(int column)
{
    const QColor colour = texts_[column].SourceColour;
    unformatted_[column] = Unformatted{};
    texts_[column] = ColumnText{};
    texts_[column].SourceColour = colour;   // an empty label keeps its colour
    OffsetEdits[column]->hide();
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void THeadingForm::PaintDial()
{
    ui->PaintBox1->InvalidateDial();
    ui->Image1->setPixmap(ui->PaintBox1->DialPicture(devicePixelRatioF()));
}

void THeadingForm::DrawNeedles()
{
    needlesWaiting_ = true;
    drawing_->Changed();
}

std::vector<CompassView::Needle> THeadingForm::Needles() const
{
    std::vector<CompassView::Needle> needles;
    for (char letter : NeedleOrder) {
        const int c = Columns.ColumnOf(letter);
        if (c < 0) continue;
        if (std::optional<NeedlePolygon> polygon = NeedleAt(Columns.shownHeading[c], NeedleShapeOf(letter)))
            needles.push_back({*polygon, SourceColour(letter)});
    }
    return needles;
}

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

void THeadingForm::AlwaysonTop1Click()
{
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    ui->AlwaysonTop1->setChecked(onTop);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show();
}

void THeadingForm::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
    event->accept();
}

void THeadingForm::showEvent(QShowEvent *event)
{
    // Centred on the main window the first time it shows.
    if (!placed_) {
        placed_ = true;
        if (QWidget *owner = parentWidget()) {
            const QRect own = frameGeometry();
            move(owner->frameGeometry().center() - QPoint(own.width() / 2, own.height() / 2));
        }
    }
    QWidget::showEvent(event);
}
