#include "platform/trafficpane.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// Blank around the text, as a text document keeps it.
constexpr int Margin = 4;
// How wide a row may run where lines are not wrapped.
constexpr qreal Unbounded = 1e7;

// The text with each line end one LF.
QString AsDocument(const QString &text)
{
    if (!text.contains(u'\r')) return text;
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

// How many characters at the front of shown go, so that the rest begins next;
// -1 when the two share too little for an edit to be worth it. The start of
// next is looked for in shown, and each place found is checked to the end.
qsizetype FallenOff(QStringView shown, QStringView next)
{
    constexpr qsizetype Probe = 32;
    constexpr int Tries = 16;   // a text of many equal lines has many places to try
    if (next.size() < Probe || shown.size() < Probe) return -1;
    const QStringView probe = next.left(Probe);
    qsizetype from = std::max<qsizetype>(0, shown.size() - next.size());
    for (int tried = 0; tried < Tries; ++tried) {
        const qsizetype at = shown.indexOf(probe, from);
        if (at < 0 || shown.size() - at < Probe) return -1;
        if (shown.mid(at) == next.left(shown.size() - at)) return at;
        from = at + 1;
    }
    return -1;
}

bool InWord(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Draws the glyphs of a run that stand across a view width wide, from left in
// the run (its glyphs in order of their positions): a line much wider than the
// pane costs what the pane shows of it.
void DrawAcross(QPainter &painter, QPointF at, const QGlyphRun &run, qreal left, int width)
{
    const QList<QPointF> positions = run.positions();
    const qreal reach = run.rawFont().averageCharWidth() * 4;   // how far left of its place a glyph may ink
    auto past = [](const QPointF &p, qreal x) { return p.x() < x; };
    const qsizetype from = std::lower_bound(positions.begin(), positions.end(), left - reach, past) - positions.begin();
    const qsizetype to = std::lower_bound(positions.begin() + from, positions.end(), left + width + reach, past) - positions.begin();
    if (from == 0 && to == positions.size()) {
        painter.drawGlyphRun(at, run);
        return;
    }
    if (to <= from) return;
    QGlyphRun part = run;
    part.setGlyphIndexes(run.glyphIndexes().mid(from, to - from));
    part.setPositions(positions.mid(from, to - from));
    painter.drawGlyphRun(at, part);
}

// What a pane is to assistive technology: a read-only text, its caret and selection.
class PaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PaneAccessible(TrafficPane *pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? Pane()->toPlainText() : QAccessibleWidget::text(t);
    }

    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index != 0 || selectionCount() == 0) return;
        *start = std::min(Pane()->Anchor(), Pane()->Position());
        *end = std::max(Pane()->Anchor(), Pane()->Position());
    }
    int selectionCount() const override { return Pane()->Anchor() != Pane()->Position() ? 1 : 0; }
    void addSelection(int start, int end) override { Pane()->Select(start, end); }
    void removeSelection(int index) override
    {
        if (index == 0) Pane()->Select(Pane()->Position(), Pane()->Position());
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0) Pane()->Select(start, end);
    }
    int cursorPosition() const override { return Pane()->Position(); }
    void setCursorPosition(int position) override { Pane()->Select(position, position); }
    QString text(int start, int end) const override
    {
        const QString &all = Pane()->toPlainText();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = std::clamp(end, start, static_cast<int>(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Pane()->toPlainText().size()); }
    QRect characterRect(int offset) const override
    {
        const QRect at = Pane()->CaretRect(offset), next = Pane()->CaretRect(offset + 1);
        const int width = next.y() == at.y() ? std::max(1, next.x() - at.x()) : 1;
        return QRect(Pane()->viewport()->mapToGlobal(at.topLeft()), QSize(width, at.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return Pane()->PositionAt(Pane()->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override
    {
        Pane()->EnsureVisible(end);
        Pane()->EnsureVisible(start);
    }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    TrafficPane *Pane() const { return static_cast<TrafficPane *>(widget()); }
};

QAccessibleInterface *PaneAccessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("TrafficPane") || !object || !object->isWidgetType()) return nullptr;
    return new PaneAccessible(static_cast<TrafficPane *>(object));
}

} // namespace

TrafficPane::TrafficPane(QWidget *parent) : QAbstractScrollArea(parent)
{
    static const bool accessible = (QAccessible::installFactory(PaneAccessibleFactory), true);
    Q_UNUSED(accessible);
    viewport()->setCursor(Qt::IBeamCursor);
    rowHeight_ = std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).height())));
    Replace({}, -1);
    AdjustScrollBars();
}

TrafficPane::~TrafficPane() = default;

void TrafficPane::SetWrapped(bool wrapped)
{
    if (wrapped == wrapped_) return;
    wrapped_ = wrapped;
    LayOutAll();
    AdjustScrollBars();
    Repaint();
}

// ---------------------------------------------------------------------------
// The text and its lines
// ---------------------------------------------------------------------------

void TrafficPane::ShowText(const QString &text)
{
    QString next = AsDocument(text);
    QScrollBar *down = verticalScrollBar(), *across = horizontalScrollBar();
    const int top = down->value(), left = across->value(), rowsBefore = RowCount();
    const bool changed = next != text_;
    const bool hadSelection = anchor_ != position_;
    const QString before = changed && QAccessible::isActive() ? text_ : QString();
    int moved = -1;
    std::vector<int> laid;
    if (changed) std::tie(moved, laid) = Replace(next, text_.isEmpty() ? -1 : FallenOff(text_, next));
    anchor_ = position_ = static_cast<int>(text_.size());

    adjusting_ = true;
    AdjustScrollBars();
    FollowEnd();
    adjusting_ = false;
    if (changed) Announce(before);

    // The pixels: rows kept move with the scroll, rows laid out anew are drawn.
    const int now = down->value();
    if (!changed && !hadSelection && now == top && across->value() == left) return;
    const int h = rowHeight_, height = viewport()->height(), width = viewport()->width();
    const int dy = RowY(0, now) - RowY(moved, top);   // a kept row's move
    if (!changed || moved < 0 || hadSelection || across->value() != left || dy > 0 || -dy >= height) {
        Repaint();
        return;
    }
    // The rows of the lines kept are scrolled as drawn, and only they: the
    // blank below the text stays as it is. Lines laid out anew lie before and
    // after them.
    int first = 0, last = static_cast<int>(lines_.size()) - 1;
    size_t from = 0, to = laid.size();
    while (from < to && laid[from] == first) ++from, ++first;
    while (to > from && laid[to - 1] == last) --to, --last;
    if (first > last) {
        Repaint();
        return;
    }
    const int keptTop = RowY(rowStarts_[first], now), keptBottom = RowY(rowStarts_[last + 1], now);
    if (dy != 0) viewport()->scroll(0, dy, QRect(0, keptTop, width, keptBottom - dy - keptTop) & viewport()->rect());
    // A glyph may reach a little past its row: half a row around each is drawn too.
    QRegion stale;
    for (int line : laid) stale += QRect(0, RowY(rowStarts_[line], now) - h / 2, width, lines_[line].rows * h + h);
    // The blank above the first line, where rows gone from the front stood,
    if (now == 0 && dy != 0) stale += QRect(0, 0, width, Margin + h / 2);
    // and the text that stood below the rows scrolled.
    const int below = keptBottom - dy, endBefore = RowY(rowsBefore, top);
    if (endBefore > below) stale += QRect(0, below - h / 2, width, endBefore - below + h);
    viewport()->update(stale & viewport()->rect());
}

std::pair<int, std::vector<int>> TrafficPane::Replace(const QString &next, qsizetype gone)
{
    text_ = next;
    if (gone < 0) documentWidth_ = 0;
    std::vector<Line> lines;
    for (qsizetype start = 0;;) {
        const qsizetype lf = text_.indexOf(u'\n', start);
        Line line;
        line.start = static_cast<int>(start);
        line.length = static_cast<int>((lf < 0 ? text_.size() : lf) - start);
        lines.push_back(std::move(line));
        if (lf < 0) break;
        start = lf + 1;
    }
    // A line that stood at the same place once gone is taken off the front,
    // as long, is the same text: its layout is kept.
    int moved = -1, rows = 0;
    std::vector<int> laid;
    size_t old = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line &line = lines[i];
        if (gone >= 0) {
            const qsizetype was = line.start + gone;
            while (old < lines_.size() && lines_[old].start < was) ++old;
            if (old < lines_.size() && lines_[old].start == was && lines_[old].length == line.length) {
                if (moved < 0) moved = rowStarts_[old] - rows;
                line.run = std::move(lines_[old].run);
                line.layout = std::move(lines_[old].layout);
                line.rows = lines_[old].rows;
                line.width = lines_[old].width;
                rows += line.rows;
                continue;
            }
        }
        LayOut(line);
        laid.push_back(static_cast<int>(i));
        rows += line.rows;
    }
    lines_ = std::move(lines);
    Count();
    return {moved, laid};
}

void TrafficPane::LayOut(Line &line) const
{
    line.run.reset();
    line.layout.reset();
    if (!wrapped_) line.run = GlyphTable::For(font()).Lay(QStringView(text_).mid(line.start, line.length));
    if (line.run) {
        line.rows = 1;
        line.width = line.run->inked;
    } else {
        line.layout = MakeLayout(line, &line.rows, &line.width);
    }
}

std::unique_ptr<QTextLayout> TrafficPane::MakeLayout(const Line &line, int *rows, qreal *width) const
{
    auto layout = std::make_unique<QTextLayout>(text_.mid(line.start, line.length), font());
    QTextOption option;
    option.setWrapMode(wrapped_ ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal across = wrapped_ ? std::max(1, viewport()->width() - 2 * Margin) : Unbounded;
    *rows = 0;
    *width = 0;
    layout->beginLayout();
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(across);
        row.setPosition(QPointF(0, *rows * rowHeight_));
        *width = std::max(*width, row.naturalTextWidth());
        ++*rows;
    }
    layout->endLayout();
    *rows = std::max(1, *rows);
    return layout;
}

// A plain line is laid out only when asked where its characters lie.
const QTextLayout &TrafficPane::LayoutOf(const Line &line) const
{
    if (!line.layout) {
        int rows = 0;
        qreal width = 0;
        line.layout = MakeLayout(line, &rows, &width);
    }
    return *line.layout;
}

void TrafficPane::LayOutAll()
{
    for (Line &line : lines_) LayOut(line);
    documentWidth_ = 0;
    Count();
}

void TrafficPane::Count()
{
    rowStarts_.resize(lines_.size() + 1);
    int row = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        rowStarts_[i] = row;
        row += lines_[i].rows;
        documentWidth_ = std::max(documentWidth_, lines_[i].width);
    }
    rowStarts_.back() = row;
}

int TrafficPane::LineOfRow(int row) const
{
    const auto after = std::upper_bound(rowStarts_.begin(), rowStarts_.end() - 1, row);
    return std::max(0, static_cast<int>(after - rowStarts_.begin()) - 1);
}

int TrafficPane::LineOfPosition(int position) const
{
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), position, [](int p, const Line &line) { return p < line.start; });
    return std::max(0, static_cast<int>(after - lines_.begin()) - 1);
}

void TrafficPane::Announce(const QString &before)
{
    if (!QAccessible::isActive()) return;
    QAccessibleTextUpdateEvent update(this, 0, before, text_);
    QAccessible::updateAccessibility(&update);
    QAccessibleTextCursorEvent caret(this, position_);
    QAccessible::updateAccessibility(&caret);
}

// ---------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------

void TrafficPane::Select(int anchor, int position)
{
    const int size = static_cast<int>(text_.size());
    anchor = std::clamp(anchor, 0, size);
    position = std::clamp(position, 0, size);
    if (anchor == anchor_ && position == position_) return;
    const bool drawn = anchor_ != position_ || anchor != position;
    anchor_ = anchor;
    position_ = position;
    if (drawn) Repaint();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent selected(this, std::min(anchor_, position_), std::max(anchor_, position_));
        selected.setCursorPosition(position_);
        QAccessible::updateAccessibility(&selected);
    }
}

QString TrafficPane::SelectedText() const
{
    const int from = std::min(anchor_, position_);
    return text_.mid(from, std::max(anchor_, position_) - from);
}

void TrafficPane::copy() const
{
    if (anchor_ != position_) QGuiApplication::clipboard()->setText(SelectedText());
}

// ---------------------------------------------------------------------------
// Where things stand in the view
// ---------------------------------------------------------------------------

// As a text edit shows it: the first line below the blank at the top of the
// text, a later one at the top of the view, each row whole.
int TrafficPane::RowY(int row, int top) const { return (top == 0 ? Margin : 0) + (row - top) * rowHeight_; }

int TrafficPane::RowAt(int y) const
{
    const int from = y - RowY(verticalScrollBar()->value(), verticalScrollBar()->value());
    return verticalScrollBar()->value() + (from < 0 ? -1 : from / rowHeight_);
}

// Rows whole in view (above the horizontal bar when it shows) below a top row.
int TrafficPane::WholeRows(int top) const
{
    return std::max(1, (viewport()->height() - RowY(top, top)) / rowHeight_);
}

// The top row that shows the last one whole.
int TrafficPane::LastTop() const
{
    if (RowCount() <= WholeRows(0)) return 0;
    return std::max(1, RowCount() - WholeRows(1));
}

void TrafficPane::AdjustScrollBars()
{
    const bool was = adjusting_;
    adjusting_ = true;
    QScrollBar *down = verticalScrollBar(), *across = horizontalScrollBar();
    down->setRange(0, LastTop());
    down->setPageStep(WholeRows(1));
    down->setSingleStep(1);
    const int width = viewport()->width();
    across->setRange(0, std::max(0, static_cast<int>(std::ceil(documentWidth_)) + 2 * Margin - width));
    across->setPageStep(width);
    across->setSingleStep(20);
    adjusting_ = was;
}

void TrafficPane::FollowEnd()
{
    if (follow_ == Follow::Bottom) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    EnsureVisible(position_);
}

void TrafficPane::EnsureVisible(int position)
{
    if (lines_.empty()) return;
    position = std::clamp(position, 0, static_cast<int>(text_.size()));
    const int index = LineOfPosition(position);
    const Line &line = lines_[index];
    const QTextLine row = LayoutOf(line).lineForTextPosition(position - line.start);
    if (!row.isValid()) return;
    QScrollBar *down = verticalScrollBar(), *across = horizontalScrollBar();
    const int at = rowStarts_[index] + row.lineNumber();
    if (at < down->value()) down->setValue(at);
    else if (at >= down->value() + WholeRows(down->value())) down->setValue(at < WholeRows(0) ? 0 : std::max(1, at - WholeRows(1) + 1));
    // Across: a caret right of the view to its middle; one left of it as far
    // left as keeps it in view, so that lines show from their start where they can.
    const int x = Margin + static_cast<int>(std::lround(row.cursorToX(position - line.start)));
    const int width = viewport()->width();
    if (x >= across->value() + width) across->setValue(x - width / 2);
    else if (x < across->value()) across->setValue(x - width + std::min(width / 2, 2 * Margin));
}

QRect TrafficPane::CaretRect(int position) const
{
    const int down = verticalScrollBar()->value(), across = horizontalScrollBar()->value();
    if (lines_.empty()) return QRect(Margin - across, RowY(0, down), 1, rowHeight_);
    position = std::clamp(position, 0, static_cast<int>(text_.size()));
    const int index = LineOfPosition(position);
    const Line &line = lines_[index];
    const QTextLayout &layout = LayoutOf(line);
    QTextLine row = layout.lineForTextPosition(position - line.start);
    if (!row.isValid()) row = layout.lineAt(0);
    const qreal x = row.isValid() ? row.cursorToX(position - line.start) : 0;
    const int at = rowStarts_[index] + (row.isValid() ? row.lineNumber() : 0);
    return QRect(Margin + static_cast<int>(std::lround(x)) - across, RowY(at, down), 1, rowHeight_);
}

int TrafficPane::PositionAt(QPoint point) const
{
    if (lines_.empty() || RowCount() == 0) return 0;
    const int at = std::clamp(RowAt(point.y()), 0, RowCount() - 1);
    const int index = LineOfRow(at);
    const Line &line = lines_[index];
    const QTextLine row = LayoutOf(line).lineAt(at - rowStarts_[index]);
    if (!row.isValid()) return line.start;
    return line.start + row.xToCursor(point.x() - Margin + horizontalScrollBar()->value());
}

// ---------------------------------------------------------------------------
// Drawing and scrolling
// ---------------------------------------------------------------------------

void TrafficPane::paintEvent(QPaintEvent *event)
{
    if (RowCount() == 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int h = rowHeight_, top = verticalScrollBar()->value();
    // The lines across each part of the region, with a row on either side for
    // glyphs that reach past their row; each drawn once.
    std::vector<int> shown;
    for (const QRect &part : event->region()) {
        const int first = LineOfRow(std::clamp(RowAt(part.top()) - 1, 0, RowCount() - 1));
        const int last = LineOfRow(std::clamp(RowAt(part.bottom()) + 1, 0, RowCount() - 1));
        for (int index = first; index <= last; ++index) shown.push_back(index);
    }
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    const QPointF origin(Margin - horizontalScrollBar()->value(), RowY(0, top));
    const int width = viewport()->width();
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const int from = std::min(anchor_, position_), to = std::max(anchor_, position_);
    for (int index : shown) {
        const Line &line = lines_[index];
        const QPointF at = origin + QPointF(0, rowStarts_[index] * h);
        const int start = std::max(from, line.start), stop = std::min(to, line.start + line.length);
        if (line.run && stop <= start) {
            DrawAcross(painter, at, line.run->glyphs, -at.x(), width);
            continue;
        }
        QList<QTextLayout::FormatRange> selections;
        if (stop > start) selections.push_back({start - line.start, stop - start, selected});
        LayoutOf(line).draw(&painter, at, selections);
    }
}

void TrafficPane::scrollContentsBy(int dx, int dy)
{
    if (adjusting_) return;
    const int top = verticalScrollBar()->value();
    viewport()->scroll(dx, RowY(0, top) - RowY(0, top + dy));
}

// The view's size changes with the pane's and when a scroll bar comes or goes
// (a line wider than the pane shows the horizontal bar a moment after it came
// in, and the bar takes the bottom row from the view): the end is brought into
// view again, not left under the bar.
void TrafficPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    adjusting_ = true;
    if (wrapped_) LayOutAll();
    AdjustScrollBars();
    if (!hasFocus()) FollowEnd();
    adjusting_ = false;
    Repaint();
}

void TrafficPane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        rowHeight_ = std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).height())));
        adjusting_ = true;
        LayOutAll();
        AdjustScrollBars();
        if (!hasFocus()) FollowEnd();
        adjusting_ = false;
        Repaint();
    } else if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange) {
        Repaint();
    }
}

// ---------------------------------------------------------------------------
// Mouse and keys
// ---------------------------------------------------------------------------

void TrafficPane::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TrafficPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int at = PositionAt(event->position().toPoint());
    Select(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
    selecting_ = true;
}

void TrafficPane::mouseMoveEvent(QMouseEvent *event)
{
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    Select(anchor_, PositionAt(event->position().toPoint()));
}

void TrafficPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !selecting_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    selecting_ = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (anchor_ != position_ && clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

// A double click selects the word under the mouse.
void TrafficPane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const int at = PositionAt(event->position().toPoint());
    int from = at, to = at;
    while (from > 0 && InWord(text_[from - 1])) --from;
    while (to < text_.size() && InWord(text_[to])) ++to;
    Select(from, to);
    selecting_ = false;
}
