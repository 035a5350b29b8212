#include "plots/linedialogs.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <exception>

#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/spinbutton.h"
#include "ui_linecolordialog.h"
#include "ui_linewidthdialog.h"

namespace {

// A dialog with a title but no border icons, its size fixed.
void FixedDialogFrame(QDialog *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void OkCancelButtons(QDialog *dialog, QPushButton *ok, QPushButton *cancel)
{
    ok->setIcon(dialog->style()->standardIcon(QStyle::SP_DialogOkButton));
    cancel->setIcon(dialog->style()->standardIcon(QStyle::SP_DialogCancelButton));
}

} // namespace

// ---------------------------------------------------------------------------
// Line width
// ---------------------------------------------------------------------------

TLineWidthDialog::TLineWidthDialog(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TLineWidthDialog>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    FixedDialogFrame(this);
    setFixedSize(size());
    OkCancelButtons(this, ui->BitBtn1, ui->BitBtn2);
    connect(ui->CSpinButton1, &SpinButton::UpClick, this, &TLineWidthDialog::CSpinButton1UpClick);
    connect(ui->CSpinButton1, &SpinButton::DownClick, this, &TLineWidthDialog::CSpinButton1DownClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

TLineWidthDialog::~TLineWidthDialog() = default;

void TLineWidthDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TLineWidthDialog::FormShow() { ui->Edit1->setText(QString::number(Width)); }

void TLineWidthDialog::CSpinButton1UpClick()
{
    if (Width < 10) ++Width;
    ui->Edit1->setText(QString::number(Width));
}

void TLineWidthDialog::CSpinButton1DownClick()
{
    if (Width > 1) --Width;
    ui->Edit1->setText(QString::number(Width));
}

// ---------------------------------------------------------------------------
// Line colour and offset
// ---------------------------------------------------------------------------

TLineColorDialog::TLineColorDialog(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TLineColorDialog>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    FixedDialogFrame(this);
    OkCancelButtons(this, ui->BitBtn1, ui->BitBtn2);
    ui->ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TLineColorDialog::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    FitToScreen();
}

TLineColorDialog::~TLineColorDialog() { FormDestroy(); }

void TLineColorDialog::FormDestroy() { DeleteRows(); }

void TLineColorDialog::DeleteRows()
{
    for (QLabel *w : labels_) delete w;
    for (QFrame *w : swatches_) delete w;
    for (QPushButton *w : buttons_) delete w;
    for (QLineEdit *w : edits_) delete w;
    labels_.clear();
    swatches_.clear();
    buttons_.clear();
    edits_.clear();
    RowCount = 0;
}

void TLineColorDialog::Fill(QFrame *swatch, const QColor &colour)
{
    swatch->setStyleSheet(QString("QFrame { background-color: %1; border: 1px solid black; }").arg(colour.name()));
}

void TLineColorDialog::Setup(const std::vector<QColor> &colours, const QStringList &titles, int32_t count,
                             bool offsetsEditable, const std::vector<int64_t> &offsets)
{
    DeleteRows();
    try {
        if (count < 0) count = 0;
        RowCount = count;
        Colours.assign(static_cast<size_t>(count), QColor(Qt::black));
        Offsets.assign(static_cast<size_t>(count), 0);
        for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
            if (i < colours.size()) Colours[i] = colours[i];
            if (i < offsets.size()) Offsets[i] = offsets[i];
        }
        BuildRows(titles, offsetsEditable);
    } catch (const std::exception &) {
        DeleteRows();
        Notifier::Error("   Cannot create TLineColorDialog   ", this);
    }
    const int rows = RowCount;
    ui->BitBtn1->move(ui->BitBtn1->x(), 24 * rows + 31);
    ui->BitBtn2->move(ui->BitBtn2->x(), 24 * rows + 31);
    ui->ClientPanel->setFixedSize(ui->ClientPanel->width(), 24 * rows + 64);
    FitToScreen();
    update();
}

void TLineColorDialog::BuildRows(const QStringList &titles, bool offsetsEditable)
{
    QWidget *panel = ui->ClientPanel;
    const size_t count = static_cast<size_t>(RowCount);
    labels_.reserve(count);
    swatches_.reserve(count);
    buttons_.reserve(count);
    edits_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const int row = static_cast<int>(i);
        const QString title = row < titles.size() ? titles[row] : QString();

        auto *label = new QLabel(title, panel);
        label->setObjectName(QString("RowLabel%1").arg(row));
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(8, 24 * row + 26, 40, 16);
        label->setToolTip(title);
        // Titles such as "7499M 1" are wider than the room before the swatch:
        // a smaller face keeps them whole.
        QFont font = label->font();
        while (font.pointSizeF() > 5.0 && QFontMetrics(font).horizontalAdvance(title) > label->width()) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
            label->setFont(font);
        }
        labels_.push_back(label);

        auto *swatch = new QFrame(panel);
        swatch->setObjectName(QString("RowShape%1").arg(row));
        swatch->setGeometry(48, 24 * row + 24, 17, 17);
        Fill(swatch, Colours[i]);
        swatches_.push_back(swatch);

        auto *button = new QPushButton("Change", panel);
        button->setObjectName(QString("RowButton%1").arg(row));
        button->setGeometry(72, 24 * row + 24, 57, 17);
        button->setProperty("Tag", row);
        connect(button, &QPushButton::clicked, this, [this, row] { ChangeButtonClick(row); });
        buttons_.push_back(button);

        auto *edit = new QLineEdit(QString::number(Offsets[i]), panel);
        edit->setObjectName(QString("RowEdit%1").arg(row));
        edit->setGeometry(136, 24 * row + 22, 69, 21);
        edit->setEnabled(offsetsEditable);
        edits_.push_back(edit);

        for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(swatch),
                           static_cast<QWidget *>(button), static_cast<QWidget *>(edit)})
            w->show();
    }
}

// The dialog is as large as its rows, but never taller than the screen: the
// rows then scroll.
void TLineColorDialog::FitToScreen()
{
    QSize content = ui->ClientPanel->size();
    int limit = 100000;
    if (QScreen *s = screen()) limit = std::max(200, s->availableGeometry().height() - 80);
    int height = std::min(content.height(), limit);
    int width = content.width();
    if (height < content.height()) width += ui->ScrollBox->verticalScrollBar()->sizeHint().width();
    ui->ScrollBox->setGeometry(0, 0, width, height);
    setFixedSize(width, height);
}

void TLineColorDialog::ChangeButtonClick(int row)
{
    if (row < 0 || row >= RowCount) return;
    ColorDialog1.Color = Colours[static_cast<size_t>(row)];
    if (!ColorDialog1.Execute(this)) return;
    Colours[static_cast<size_t>(row)] = ColorDialog1.Color;
    Fill(swatches_[static_cast<size_t>(row)], ColorDialog1.Color);
}

void TLineColorDialog::BitBtn1Click()
{
    for (size_t i = 0; i < static_cast<size_t>(RowCount); ++i) {
        bool ok = false;
        qlonglong value = edits_[i]->text().trimmed().toLongLong(&ok, 10);
        if (!ok) {
            Notifier::Error("   Illegal value for Offset   ", this);
            edits_[i]->setText(QString::number(Offsets[i]));
            ui->ScrollBox->ensureWidgetVisible(edits_[i]);
            edits_[i]->setFocus();
            return;   // the dialog stays open
        }
        Offsets[i] = value;
    }
    accept();
}
