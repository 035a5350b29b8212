#include "logs/logform.h"

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <cstdarg>
#include <cstdio>

#include "logs/loggridaccessible.h"
#include "platform/glyphtable.h"
#include "platform/labeltext.h"
#include "platform/fonts.h"
#include "platform/beatdrawing.h"
#include "sentence/fields.h"

namespace {

// Draws a cell below the headings as the styled delegate draws it (no
// selection, focus or decoration; left and vertically centred; cut at the
// cell's edge), from the text the grid keeps laid out. The headings, and
// anything the grid has not laid out, take the styled delegate's own way.
class LaidOutDelegate : public QStyledItemDelegate {
public:
    explicit LaidOutDelegate(LogGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const LogGrid::LaidOut *cell = index.row() > 0 ? grid_->LaidOutAt(index.row(), index.column()) : nullptr;
        constexpr QStyle::State marked = QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver;
        // A text taller than its cell is placed by rules of its own, lines
        // through or under a text are drawn by the style.
        const QFont &font = grid_->font();
        if (!cell || (option.state & marked) || option.direction != Qt::LeftToRight || LineHeight() > option.rect.height() ||
            font.underline() || font.overline() || font.strikeOut())
            return QStyledItemDelegate::paint(painter, option, index);
        if (cell->text.isEmpty()) return;
        QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(option.state & QStyle::State_Active)) group = QPalette::Inactive;
        const QStyle *style = grid_->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
        const QPoint at(option.rect.x() + margin, option.rect.y() + (option.rect.height() - LineHeight()) / 2);
        const QColor colour = option.palette.color(group, QPalette::Text);
        if (cell->run) {
            // A text that ends inside its cell, short of the margin, needs no cut.
            const bool cut = at.x() + cell->run->width > option.rect.right() + 1 - margin;
            if (cut) {
                painter->save();
                painter->setClipRect(option.rect);
            }
            painter->setPen(colour);
            painter->drawGlyphRun(at, cell->run->glyphs);
            if (cut) painter->restore();
            return;
        }
        painter->save();
        painter->setClipRect(option.rect);
        painter->setFont(grid_->font());
        painter->setPen(colour);
        painter->drawStaticText(at, cell->layout);
        painter->restore();
    }

private:
    // The height of a line of text in the grid's font, in whole pixels as the
    // style centres it.
    int LineHeight() const
    {
        if (heightFont_ != grid_->font()) {
            heightFont_ = grid_->font();
            height_ = qRound(QFontMetricsF(heightFont_).height());
        }
        return height_;
    }

    LogGrid *grid_;
    mutable QFont heightFont_;
    mutable int height_ = 0;
};

// A cell's item keeps its text outside the item's role values: the grid sets
// it quietly, with no variant compared and stored and no model notified for
// every cell (the grid draws the cell again itself). A text set through the
// item (setText, setData) still tells the model.
class CellItem : public QTableWidgetItem {
public:
    explicit CellItem(const QString &text) : text_(text) {}
    QVariant data(int role) const override
    {
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(text_) : QTableWidgetItem::data(role);
    }
    void setData(int role, const QVariant &value) override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return QTableWidgetItem::setData(role, value);
        const QString text = value.toString();
        if (text == text_) return;
        text_ = text;
        if (QTableWidget *table = tableWidget()) {
            const QModelIndex at = table->indexFromItem(this);
            emit table->model()->dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
        }
    }
    void SetQuietly(const QString &text) { text_ = text; }

private:
    QString text_;
};

// Whether a text of single-byte characters reads the same as a QString (the
// UTF-8 of a text with any other byte is not compared).
bool SameAscii(const QString &shown, const std::string &text)
{
    if (static_cast<size_t>(shown.size()) != text.size()) return false;
    const QChar *q = shown.constData();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || q[i].unicode() != c) return false;
    }
    return true;
}

}   // namespace

LogGrid::LogGrid(QWidget *parent) : QTableWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(LogGridAccessible), true);
    Q_UNUSED(accessible);
    setItemDelegate(new LaidOutDelegate(this));
    setEnabled(false);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    setFont(QFont("Courier New", 8));
    setWordWrap(false);
    // Cells are padded to their column's width in characters: a text that still
    // runs past its cell is cut off at the cell's edge, never shortened with an
    // ellipsis that would hide its last digits.
    setTextElideMode(Qt::ElideNone);
    // Disabled only against the user: the cells are drawn in the normal colours,
    // not greyed out.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::Base, QPalette::Button,
                                     QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    setPalette(pal);
    setFrameShape(QFrame::Box);
    setLineWidth(GridLineWidth);
}

void LogGrid::SetRowCount(int rows)
{
    if (rows < 1) rows = 1;
    int old = rowCount();
    setRowCount(rows);
    if (laidOut_.size() > static_cast<size_t>(rows)) laidOut_.resize(static_cast<size_t>(rows));
    for (int r = old; r < rows; ++r) setRowHeight(r, RowPitch());
    for (int c = 0; c < columnCount(); ++c)
        if (QTableWidgetItem *it = item(0, c)) it->setBackground(palette().button());
}

int LogGrid::FittingHeight() const
{
    return verticalHeader()->length() + 2 * frameWidth();
}

void LogGrid::SetColumnWidths(std::initializer_list<int> widths)
{
    setColumnCount(static_cast<int>(widths.size()));
    for (std::vector<LaidOut> &row : laidOut_)
        if (row.size() > widths.size()) row.resize(widths.size());
    int c = 0;
    for (int w : widths) setColumnWidth(c++, w);
}

void LogGrid::SetHeadings(std::initializer_list<const char *> headings)
{
    int c = 0;
    for (const char *h : headings) {
        SetCellText(c, 0, h);
        item(0, c)->setBackground(palette().button());
        ++c;
    }
}

void LogGrid::SetCellText(int column, int row, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    if (laidOut_.size() <= static_cast<size_t>(row)) laidOut_.resize(static_cast<size_t>(row) + 1);
    std::vector<LaidOut> &cells = laidOut_[static_cast<size_t>(row)];
    if (cells.size() <= static_cast<size_t>(column)) cells.resize(static_cast<size_t>(column) + 1);
    LaidOut &cell = cells[static_cast<size_t>(column)];
    QTableWidgetItem *it = item(row, column);
    if (it && cell.text == text) return;
    cell.text = text;
    LayOut(cell);
    if (!it) {
        it = new CellItem(text);
        it->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(row, column, it);
        return;
    }
    // The item's text changes quietly: the cell alone is drawn again, without
    // the model's change signals running through the view for every cell.
    if (auto *own = dynamic_cast<CellItem *>(it)) {
        own->SetQuietly(text);
    } else {
        const bool quiet = model()->blockSignals(true);
        it->setText(text);
        model()->blockSignals(quiet);
    }
    viewport()->update(visualItemRect(it));
}

void LogGrid::LayOut(LaidOut &cell) const
{
    if ((cell.run = GlyphTable::For(font()).Lay(cell.text))) {
        // Not made anew when already empty: a static text allocates as it is made.
        if (!cell.layout.text().isEmpty()) cell.layout = QStaticText();
        return;
    }
    cell.layout = QStaticText(cell.text);
    cell.layout.setTextFormat(Qt::PlainText);
}

const LogGrid::LaidOut *LogGrid::LaidOutAt(int row, int column) const
{
    if (row < 0 || column < 0 || static_cast<size_t>(row) >= laidOut_.size()) return nullptr;
    const std::vector<LaidOut> &cells = laidOut_[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < cells.size() && item(row, column) ? &cells[static_cast<size_t>(column)] : nullptr;
}

void LogGrid::paintEvent(QPaintEvent *event)
{
    // The table draws the grid lines across each rectangle of the part to be
    // drawn. Across a rectangle one pixel high or wide (the strip of a grid line
    // beside cells drawn again, as changed cells and a window moving away from
    // the grid leave it) those lines have no length, and Qt 6.4 puts such a
    // line as a pixel right of and below its point: a speck of the line's colour
    // in the next cell. Drawn as the rectangle around the part, the lines run
    // their full length; the painter is still clipped to the part itself.
    QPaintEvent whole(event->region().boundingRect());
    QTableWidget::paintEvent(&whole);
}

void LogGrid::changeEvent(QEvent *event)
{
    QTableWidget::changeEvent(event);
    // Laid out again in the new font.
    if (event->type() == QEvent::FontChange) {
        for (std::vector<LaidOut> &cells : laidOut_)
            for (LaidOut &cell : cells) LayOut(cell);
    }
}

void LogGrid::SetCell(int column, int row, const std::string &text, int width)
{
    const std::string padded = PadAlign(text, width, 3);
    // A cell that already reads the same is left as it is, the text not converted.
    if (const LaidOut *cell = LaidOutAt(row, column); cell && SameAscii(cell->text, padded)) return;
    SetCellText(column, row, QString::fromStdString(padded));
}

QString LogGrid::Cell(int column, int row) const
{
    QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void LogGrid::BlankRowsFrom(int firstRow)
{
    for (int r = std::max(firstRow, 1); r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (item(r, c)) SetCellText(c, r, QString());
}

LogForm::LogForm(QAction *menuItem, QWidget *parent)
    : MdiChildForm(menuItem, parent), labelText_(new LabelText(this)), drawing_(new BeatDrawing(this, [this] {
          std::function<void()> show;
          show.swap(pending_);
          if (show) show();
      }))
{
    Client()->setFont(DialogFont());
}

// Nothing is drawn once the window's parts are going.
LogForm::~LogForm() { drawing_->Discard(); }

void LogForm::Present(std::function<void()> show)
{
    pending_ = std::move(show);
    drawing_->Changed();
}

void LogForm::DrawPending() { drawing_->DrawPending(); }

void LogForm::FitGrid()
{
    if (!Grid) return;
    int height = Grid->FittingHeight();
    const QScreen *screen = this->screen();
    const int room = screen ? screen->availableGeometry().height() - FrameSize().height() - Grid->y() - 2 - ExtraBottom
                            : height;
    const bool scrolls = height > room;
    if (scrolls) {
        // Whole rows only, so the last one shown is never cut.
        const int frame = 2 * Grid->frameWidth();
        height = frame + std::max(1, (room - frame) / Grid->RowPitch()) * Grid->RowPitch();
    }
    Grid->setFixedHeight(height);
    ShowRowsBar(scrolls);
    SetClientHeight(Grid->y() + Grid->height() + 2 + ExtraBottom);
    Grid->clearSelection();
    Grid->setCurrentCell(-1, -1);
}

// The grid itself takes no input, so its rows are scrolled from a bar of the
// window's own, beside the grid, that follows the grid's hidden one.
void LogForm::ShowRowsBar(bool shown)
{
    if (shown && !rowsBar_) {
        widthWithoutBar_ = ClientWidth();
        rowsBar_ = new QScrollBar(Qt::Vertical, Client());
        rowsBar_->setObjectName("RowsBar");
        QScrollBar *inner = Grid->verticalScrollBar();
        connect(inner, &QScrollBar::rangeChanged, rowsBar_, &QScrollBar::setRange);
        connect(inner, &QScrollBar::valueChanged, rowsBar_, &QScrollBar::setValue);
        connect(rowsBar_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
        rowsBar_->setRange(inner->minimum(), inner->maximum());
        rowsBar_->setPageStep(inner->pageStep());
    }
    if (!rowsBar_) return;
    const int barWidth = rowsBar_->sizeHint().width();
    rowsBar_->setGeometry(Grid->geometry().right() + 1, Grid->y(), barWidth, Grid->height());
    rowsBar_->setVisible(shown);
    SetClientWidth(shown ? std::max(widthWithoutBar_, rowsBar_->geometry().right() + 3) : widthWithoutBar_);
}

void LogForm::FitRows(int count, int minimumRows)
{
    if (!Grid) return;
    // Bounded: a count from the line never builds a huge grid.
    int rows = std::clamp(count, 0, 10000) + 1;
    if (rows == Grid->RowCount()) return;
    Grid->SetRowCount(std::max(rows, minimumRows));
    FitGrid();
}

void LogForm::PlaceAt(int left, int top)
{
    place_ = QPoint(left, top);
    placePending_ = true;
    move(place_);
}

void LogForm::showEvent(QShowEvent *event)
{
    MdiChildForm::showEvent(event);
    if (!labelsWatched_) {
        // The labels' texts are drawn from the font's glyphs laid out once.
        labelsWatched_ = true;
        for (QLabel *label : Client()->findChildren<QLabel *>()) labelText_->Watch(label);
    }
    if (placePending_) {
        placePending_ = false;
        move(place_);
    }
}

std::string Printf(const char *format, ...)
{
    char small[128];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    // "%9.7lf" of a huge double runs to some 320 characters.
    std::string text(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(static_cast<size_t>(n));
    return text;
}
