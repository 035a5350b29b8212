#include "platform/trafficview.h"

#include "platform/glyphtable.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGlyphRun>
#include <QHash>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <climits>
#include <optional>

// Where a number follows a plain-text edit (QPlainTextEdit, QPlainTextDocumentLayout,
// QWidgetTextControl), it is the same number taken the same way, so the pane
// shows the same pixels and scrolls to the same rows.

namespace {

// A text document's margin around its text.
constexpr qreal Margin = 4;
// Qt's raster engine splits a fill of more than about 96 pixel rows over its
// thread pool, waking every pool thread for a few microseconds of work each:
// the background is filled in lower strips.
constexpr int FillStrip = 64;

// Where a text cursor ends a word (QTextEngine::atWordSeparator).
bool IsWordSeparator(QChar c)
{
    switch (c.unicode()) {
    case '.': case ',': case '?': case '!': case '@': case '#': case '$': case ':': case ';': case '-':
    case '<': case '>': case '[': case ']': case '(': case ')': case '{': case '}': case '=': case '/':
    case '+': case '%': case '&': case '^': case '*': case '\'': case '"': case '`': case '~': case '|':
        return true;
    default:
        return false;
    }
}

// What ends a block when plain text goes into a text document (QTextCursor::insertText).
bool EndsLine(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c.unicode() == 0xfdd0 || c.unicode() == 0xfdd1;
}

// A text document's plain text shows a no-break space as a space.
QString AsPlainText(QString text) { return text.replace(QChar::Nbsp, u' '); }

// As far back in the old lines as a line's layout is looked for.
constexpr size_t ReuseWindow = 512;

// A scroll bar drawn in strips lower than Qt hands to its thread pool. The
// bars change with the text (their range and page), and each change woke the
// pool's threads for fills of a few microseconds each. Each strip is drawn
// whole into an image of its own and copied: the style draws it as it draws
// the bar in one piece (clipped by the painter instead, it draws some edges
// otherwise). A bar under the mouse or held draws itself as it does (its
// hover and press states). A change of range, page or value that leaves the
// slider on the same pixels draws nothing: the text moving on changes the
// numbers at every redraw, the bar's look seldom.
class StripScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override
    {
        if (drawn_ && *drawn_ == CurrentLook()) return;
        QScrollBar::sliderChange(change);
    }

    void paintEvent(QPaintEvent *event) override
    {
        drawn_ = CurrentLook();
        if (underMouse() || isSliderDown() || QGuiApplication::mouseButtons() != Qt::NoButton ||
            style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this)) {
            drawn_.reset();   // drawn in states of the mouse that a change of numbers does not show
            return QScrollBar::paintEvent(event);
        }
        const std::vector<QImage> &pieces = Pieces(*drawn_);
        QPainter painter(this);
        for (size_t i = 0; i < pieces.size(); ++i) {
            const QPoint at(0, static_cast<int>(i) * FillStrip);
            if (event->rect().intersects(QRect(at, pieces[i].deviceIndependentSize().toSize()))) painter.drawImage(at, pieces[i]);
        }
    }

private:
    // What the style draws from: where the slider and the groove lie, and the
    // states that show (the arrows at either end among them).
    struct Look {
        QRect rect, slider;
        int state = 0, active = 0;
        bool atMinimum = false, atMaximum = false, empty = false;
        bool operator==(const Look &) const = default;
    };
    Look CurrentLook() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {option.rect,
                style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                int(option.state),
                int(option.activeSubControls),
                option.sliderPosition == option.minimum,
                option.sliderPosition == option.maximum,
                option.minimum == option.maximum};
    }
    // The bar drawn in strips top to bottom, each whole into an image of its
    // own. The few looks drawn last are kept: a bar whose slider moves to and
    // fro between a few places (the text moving on, a line at a time) copies
    // them again instead of having the style draw them.
    const std::vector<QImage> &Pieces(const Look &look)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        option.subControls = QStyle::SC_All;
        const qreal ratio = devicePixelRatioF();
        const Drawing key{look, palette().cacheKey(), style(), ratio, option.direction, {}};
        auto same = [&](const Drawing &d) { return d.look == key.look && d.palette == key.palette && d.style == key.style && d.ratio == key.ratio && d.direction == key.direction; };
        auto it = std::find_if(drawings_.begin(), drawings_.end(), same);
        if (it != drawings_.end()) {
            std::rotate(drawings_.begin(), it, it + 1);
            return drawings_.front().pieces;
        }
        Drawing drawing = key;
        for (int y = 0; y < height(); y += FillStrip) {
            const QRect strip(0, y, width(), std::min(FillStrip, height() - y));
            QImage piece(strip.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            piece.setDevicePixelRatio(ratio);
            piece.fill(Qt::transparent);
            QPainter into(&piece);
            into.translate(-strip.topLeft());
            style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &into, this);
            into.end();
            drawing.pieces.push_back(std::move(piece));
        }
        if (drawings_.size() >= KeptDrawings) drawings_.pop_back();
        drawings_.insert(drawings_.begin(), std::move(drawing));
        return drawings_.front().pieces;
    }
    struct Drawing {
        Look look;
        qint64 palette = 0;
        const QStyle *style = nullptr;
        qreal ratio = 1;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        std::vector<QImage> pieces;
    };
    static constexpr size_t KeptDrawings = 4;

    std::optional<Look> drawn_;
    std::vector<Drawing> drawings_;   // the latest first
};

} // namespace

TrafficView::TrafficView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBar(new StripScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new StripScrollBar(Qt::Horizontal, this));
    option_ = QTextDocument().defaultTextOption();
    option_.setWrapMode(QTextOption::NoWrap);
    // Every pixel of the viewport is painted here, so Qt may scroll it by copying.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub)
            PageUpDown(action == QAbstractSlider::SliderPageStepAdd);
    });
    lines_.emplace_back();
    lines_.back().hash = qHash(QString());
    starts_ = {0, 1};
}

TrafficView::~TrafficView() = default;

void TrafficView::SetWrapped(bool wrapped)
{
    if (wrapped == wrapped_) return;
    wrapped_ = wrapped;
    option_.setWrapMode(wrapped ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    ForgetLayouts();
    Relayout();
    AdjustScrollBars();
    RepaintAll();
}

// ---------------------------------------------------------------------------
// The text
// ---------------------------------------------------------------------------

void TrafficView::ShowText(const QString &text, Follow follow)
{
    if (text != text_) {
        Replace(text);
        AdjustScrollBars();
    }
    if (follow == Follow::End) EnsureVisible(LastPosition());
    if (follow == Follow::Bottom) SetTopRow(verticalScrollBar()->maximum());
    Present();
}

void TrafficView::setPlainText(const QString &text)
{
    if (text != text_) Replace(text);
    // A text document set anew is one empty line for a moment: the view goes to
    // its top left and the width is measured again.
    documentWidth_ = 0;
    top_ = 0;
    AdjustScrollBars();
    const bool was = adjusting_;
    adjusting_ = true;
    horizontalScrollBar()->setValue(0);
    adjusting_ = was;
    Present();
}

void TrafficView::ShowEnd()
{
    EnsureVisible(LastPosition());
    Present();
}

void TrafficView::Replace(const QString &text)
{
    text_ = text;
    std::vector<Line> next;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !EndsLine(text[i])) continue;
        Line line;
        line.text = text.mid(from, i - from);
        line.hash = qHash(line.text);
        next.push_back(std::move(line));
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
        from = i + 1;
    }
    // A line kept from the text before keeps its layout: lines go in at the
    // end and out at the front, so the search goes on from the last found.
    size_t old = 0;
    for (Line &line : next) {
        for (size_t k = old; k < lines_.size() && k < old + ReuseWindow; ++k) {
            Line &was = lines_[k];
            if (!was.measured || was.hash != line.hash || was.text != line.text) continue;
            line.layout = std::move(was.layout);
            line.height = was.height;
            line.width = was.width;
            line.measured = true;
            line.plain = was.plain;
            old = k + 1;
            break;
        }
    }
    if (next.size() == 1 && lines_.size() != 1) documentWidth_ = next.front().measured ? next.front().width : 0;
    lines_ = std::move(next);
    starts_.assign(lines_.size() + 1, 0);
    for (size_t i = 0; i < lines_.size(); ++i) starts_[i + 1] = starts_[i] + static_cast<int>(lines_[i].text.size()) + 1;
    if (anchor_ != position_) repaintAll_ = true;
    anchor_ = position_ = 0;
    line_ = word_ = {0, 0};
    mightDrag_ = false;
    Relayout();
}

QString TrafficView::toPlainText() const
{
    QString text;
    text.reserve(starts_.back());
    for (const Line &line : lines_) {
        if (&line != &lines_.front()) text += u'\n';
        text += line.text;
    }
    return AsPlainText(text);
}

QString TrafficView::SelectedText() const
{
    const int from = std::min(anchor_, position_), to = std::max(anchor_, position_);
    QString text;
    for (int i = LineOfPosition(from); i < LineCount() && starts_[i] < to; ++i) {
        const int start = std::max(from, starts_[i]) - starts_[i];
        const int end = std::min(to, starts_[i + 1]) - starts_[i];   // the line's end stands for its LF
        text += lines_[i].text.mid(start, std::min<qsizetype>(end, lines_[i].text.size()) - start);
        if (end > lines_[i].text.size()) text += u'\n';
    }
    return AsPlainText(text);
}

void TrafficView::selectAll()
{
    Select(0, LastPosition());
}

void TrafficView::copy() const
{
    if (anchor_ == position_) return;
    auto *data = new QMimeData;
    data->setText(SelectedText());
    QGuiApplication::clipboard()->setMimeData(data);
}

void TrafficView::OfferSelection() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (anchor_ != position_ && clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

// ---------------------------------------------------------------------------
// Layout: a text layout per line, as the plain-text document lays out a block.
// ---------------------------------------------------------------------------

TrafficView::Line &TrafficView::LaidOut(int index) const
{
    Line &line = lines_[static_cast<size_t>(index)];
    if (line.layout) return line;
    line.measured = true;
    line.layout = std::make_unique<QTextLayout>(line.text, font(), viewport());
    QTextLayout &layout = *line.layout;
    layout.setTextOption(option_);
    layout.setCacheEnabled(true);   // drawn again as it is, not shaped again
    const int textWidth = viewport()->width();
    const qreal available = (textWidth > 0 ? qreal(textWidth) : qreal(INT_MAX)) - 2 * Margin;
    qreal height = 0, widest = 0;
    layout.beginLayout();
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLeadingIncluded(true);
        row.setLineWidth(available);
        row.setPosition(QPointF(Margin, height));
        height += row.height();
        if (row.leading() < 0) height += qCeil(row.leading());
        widest = qMax(widest, row.naturalTextWidth() + 2 * Margin);
    }
    layout.endLayout();
    line.height = layout.boundingRect().bottom();
    line.width = widest;
    documentWidth_ = std::max(documentWidth_, widest);
    return line;
}

// The widths of the characters placed by the table, before offset.
qreal TrafficView::PlainX(const QString &text, qsizetype offset) const
{
    qreal x = Margin;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) x += table_->advance[text[i].unicode() - GlyphTable::First];
    return x;
}

TrafficView::Line &TrafficView::Measured(int index) const
{
    Line &line = lines_[static_cast<size_t>(index)];
    if (line.measured) return line;
    const GlyphTable *table = Table();
    if (!table || !table->Places(line.text)) return LaidOut(index);
    // The width a row counts leaves out the spaces it ends with.
    qreal x = 0, inked = 0;
    for (QChar c : line.text) {
        x += table->advance[c.unicode() - GlyphTable::First];
        if (c != u' ') inked = x;
    }
    // Wrapped, a line well inside the pane takes one row as it does unwrapped.
    const int textWidth = viewport()->width();
    if (wrapped_ && textWidth > 0 && x + 1 >= textWidth - 2 * Margin) return LaidOut(index);
    line.measured = line.plain = true;
    line.height = plainRow_.lineHeight;
    line.width = inked + 2 * Margin;
    documentWidth_ = std::max(documentWidth_, line.width);
    return line;
}

// The font's glyph table when it places lines as a text layout does: each of
// its characters by its own glyph, one row as high as an empty line's, the
// widths the sums of the advances. A font drawn with lines across or under
// the text, or that the table cannot serve, is laid out line by line.
const GlyphTable *TrafficView::Table() const
{
    if (tableLooked_) return table_;
    tableLooked_ = true;
    table_ = nullptr;
    plainRow_ = {};
    const QFont f = font();
    if (f.underline() || f.overline() || f.strikeOut()) return nullptr;
    const GlyphTable &table = GlyphTable::For(f);
    QString sample;
    for (char16_t c = GlyphTable::First; c <= GlyphTable::Last; ++c)
        if (table.Placed(QChar(c)) && c != u' ') sample += QChar(c);
    if (sample.isEmpty() || !table.raw.isValid()) return nullptr;
    // Laid out as the view lays out a line, unwrapped.
    auto row = [&](const QString &text, qreal *width, qreal *baseline) {
        QTextLayout layout(text, f, viewport());
        QTextOption option = option_;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLeadingIncluded(true);
        line.setLineWidth(INT_MAX - 2 * Margin);
        line.setPosition(QPointF(Margin, 0));
        const bool one = line.isValid() && !layout.createLine().isValid();
        layout.endLayout();
        *width = line.naturalTextWidth();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        const bool same = text.isEmpty() || (runs.size() == 1 && runs[0].rawFont() == table.raw && !runs[0].positions().isEmpty());
        *baseline = same && !text.isEmpty() ? runs[0].positions()[0].y() : -1;
        if (!same) return PlainRow{};
        return one ? PlainRow{true, line.height(), line.naturalTextRect().height(), layout.boundingRect().bottom(), *baseline} : PlainRow{};
    };
    qreal width = 0, baseline = 0, emptyWidth = 0, emptyBaseline = 0;
    const PlainRow full = row(sample, &width, &baseline), empty = row(QString(), &emptyWidth, &emptyBaseline);
    qreal advances = 0;
    for (QChar c : sample) advances += table.advance[c.unicode() - GlyphTable::First];
    if (!full.valid || !empty.valid || full.height != empty.height || full.natural != empty.natural || full.lineHeight != empty.lineHeight || baseline < 0 ||
        width != advances)
        return nullptr;
    plainRow_ = full;
    return table_ = &table;
}

// A plain line as its text layout draws it: the glyphs of the characters
// across the clip from the table, at the sums of the advances before them.
void TrafficView::DrawPlain(QPainter &painter, const Line &line, QPointF at, const QRect &clip) const
{
    const GlyphTable &table = *table_;
    // Ink may reach past a glyph's advance: a row's height either side is taken along.
    const qreal reach = plainRow_.height, left = clip.left() - at.x() - reach, right = clip.right() + 1 - at.x() + reach;
    glyphs_.clear();
    positions_.clear();
    qreal x = Margin;
    for (QChar c : line.text) {
        if (x > right) break;
        const int i = c.unicode() - GlyphTable::First;
        const qreal advance = table.advance[i];
        if (x + advance >= left && c != u' ') {
            glyphs_.push_back(table.glyph[i]);
            positions_.emplace_back(x, 0);
        }
        x += advance;
    }
    if (glyphs_.empty()) return;
    QGlyphRun run;
    run.setRawFont(table.raw);
    run.setRawData(glyphs_.data(), positions_.data(), static_cast<int>(glyphs_.size()));
    painter.drawGlyphRun(QPointF(at.x(), at.y() + plainRow_.baseline), run);
}

int TrafficView::RowsOf(int line) const
{
    const Line &l = Measured(line);
    return l.plain ? 1 : l.layout->lineCount();
}

std::pair<qreal, qreal> TrafficView::RowSpan(int line, int row) const
{
    const Line &l = Measured(line);
    if (l.plain) return {0, plainRow_.natural};
    const QRectF rect = l.layout->lineAt(row).naturalTextRect();
    return {rect.top(), rect.height()};
}

std::pair<qreal, qreal> TrafficView::RowBox(int line, int row) const
{
    const Line &l = Measured(line);
    if (l.plain) return {0, plainRow_.height};
    const QTextLine r = l.layout->lineAt(row);
    return {r.y(), r.height()};
}

TrafficView::Caret TrafficView::CaretAt(int line, int offset) const
{
    const Line &l = Measured(line);
    if (l.plain) return {PlainX(l.text, offset), 0, plainRow_.height, plainRow_.natural, 0};
    const QTextLine row = l.layout->lineForTextPosition(offset);
    return {row.cursorToX(offset), row.y(), row.height(), row.naturalTextRect().height(), row.lineNumber()};
}

int TrafficView::LinesLaidOut() const
{
    return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [](const Line &line) { return line.layout != nullptr; }));
}

void TrafficView::ForgetLayouts()
{
    for (Line &line : lines_) {
        line.layout.reset();
        line.measured = line.plain = false;
    }
}

// Wrapped lines: every line laid out, to count the rows.
void TrafficView::Relayout()
{
    firstRow_.clear();
    if (!wrapped_) return;
    firstRow_.assign(lines_.size() + 1, 0);
    for (int i = 0; i < LineCount(); ++i) firstRow_[i + 1] = firstRow_[i] + RowsOf(i);
}

int TrafficView::RowCount() const { return wrapped_ ? firstRow_.back() : LineCount(); }

std::pair<int, int> TrafficView::LineOfRow(int row) const
{
    if (!wrapped_) return {std::clamp(row, 0, LineCount() - 1), 0};
    const int line = static_cast<int>(std::upper_bound(firstRow_.begin(), firstRow_.end() - 1, row) - firstRow_.begin()) - 1;
    const int clamped = std::clamp(line, 0, LineCount() - 1);
    return {clamped, std::max(0, row - firstRow_[clamped])};
}

int TrafficView::RowOf(int line, int row) const { return wrapped_ ? firstRow_[line] + row : line; }

// A block's bounding height: the last one has the bottom margin below it.
qreal TrafficView::BoxHeight(int line) const { return Measured(line).height + (line == LineCount() - 1 ? Margin : 0); }

// How far the top row lies below the top of its line, on a whole pixel as a
// text edit scrolls it; the top margin above the first line.
qreal TrafficView::VerticalOffset() const
{
    const auto [line, row] = LineOfRow(top_);
    qreal offset = 0;
    if (row > 0) {
        const auto [y, height] = RowSpan(line, row - 1);
        offset = std::floor(y + height);
    }
    if (line == 0 && row == 0) offset -= Margin;
    return offset;
}

int TrafficView::DocumentWidth() const { return static_cast<int>(documentWidth_); }

int TrafficView::HorizontalOffset() const
{
    const QScrollBar *bar = horizontalScrollBar();
    return isRightToLeft() ? bar->maximum() - bar->value() : bar->value();
}

// ---------------------------------------------------------------------------
// Scrolling
// ---------------------------------------------------------------------------

void TrafficView::AdjustScrollBars()
{
    const bool was = adjusting_;
    adjusting_ = true;
    QScrollBar *bar = verticalScrollBar();
    int maximum = 0, page = 0;
    if (isVisible()) {
        // As many rows as fit from the bottom, margins included.
        const qreal visible = viewport()->height() - Margin - 1;
        qreal y = 0;
        int fromBottom = 0;
        for (int i = LineCount() - 1; i >= 0; --i) {
            const int rows = RowsOf(i);
            y += BoxHeight(i);
            if (y > visible) {
                int row = 0;
                while (row < rows && RowSpan(i, row).first < y - visible) ++row;
                fromBottom += rows - row;
                break;
            }
            fromBottom += rows;
        }
        maximum = std::max(0, RowCount() - fromBottom);
        page = fromBottom;
    } else {
        maximum = std::max(0, RowCount() - 1);
        const int spacing = fontMetrics().lineSpacing();
        page = spacing ? viewport()->height() / spacing : 0;
    }
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    bar->setValue(top_);
    top_ = bar->value();
    widest_ = DocumentWidth();
    horizontalScrollBar()->setRange(0, widest_ - viewport()->width());
    horizontalScrollBar()->setPageStep(viewport()->width());
    adjusting_ = was;
}

void TrafficView::SetTopRow(int row)
{
    const bool was = adjusting_;
    adjusting_ = true;
    verticalScrollBar()->setValue(row);
    top_ = verticalScrollBar()->value();
    adjusting_ = was;
}

void TrafficView::scrollContentsBy(int dx, int)
{
    if (dx) viewport()->scroll(isRightToLeft() ? -dx : dx, 0);
    if (adjusting_ || verticalScrollBar()->value() == top_) return;
    top_ = verticalScrollBar()->value();
    Present();
}

// The caret at the position brought into view as a text edit brings it: the
// rows scrolled as little as it takes, the columns so that it stands in the middle.
void TrafficView::EnsureVisible(int position)
{
    const int line = LineOfPosition(position);
    const Caret caret = CaretAt(line, position - starts_[line]);
    const qreal width = viewport()->width(), height = viewport()->height(), top = VerticalOffset();
    // The caret's line from the top of the top row's line; far off, only the side counts.
    const int first = LineOfRow(top_).first;
    qreal y = 0;
    for (int i = first; i < line && y <= 3 * height; ++i) y += BoxHeight(i);
    for (int i = first; i > line && y >= -3 * height;) y -= BoxHeight(--i);
    const QRect caretRect = QRectF(caret.x, y + caret.y, 1, caret.height)
                                .toRect()
                                .translated(-HorizontalOffset(), -static_cast<int>(top));
    if (caretRect.top() < 0 || caretRect.bottom() > viewport()->rect().bottom()) {
        const qreal rectTop = y + caret.y, rectBottom = rectTop + caret.natural;
        if (rectBottom >= top + height) {
            // The caret's row at the bottom, as many whole rows above as fit.
            qreal h = caret.y + caret.natural;
            int block = line, previous = line;
            while (h < height && block > 0) {
                previous = block;
                h += BoxHeight(--block);
            }
            const int rows = RowsOf(block);
            const qreal offset = block == 0 ? -Margin : 0;
            int row = 0;
            while (row < rows && h - offset - RowSpan(block, row).first > height) ++row;
            if (row >= rows) block = previous, row = 0;
            SetTopRow(RowOf(block, row));
        } else if (rectTop < top) {
            SetTopRow(RowOf(line, caret.row));
        }
    }
    if (caretRect.left() < 0 || caretRect.right() > viewport()->rect().right()) {
        const int x = caretRect.center().x() + HorizontalOffset() - static_cast<int>(width) / 2;
        horizontalScrollBar()->setValue(isRightToLeft() ? horizontalScrollBar()->maximum() - x : x);
    }
}

// A page down or up as a plain-text edit turns it: the first row not wholly
// shown comes to the top, or the page above ends where this one began.
void TrafficView::PageUpDown(bool down)
{
    const qreal offset = VerticalOffset(), height = viewport()->height();
    const int first = LineOfRow(top_).first;
    int block = first, row = 0;
    if (down) {
        qreal h = 0;
        while (h + BoxHeight(block) <= offset + height) {
            if (block + 1 >= LineCount()) return Present();
            h += BoxHeight(block++);
        }
        const int rows = RowsOf(block);
        while (row < rows - 1 && RowSpan(block, row).first + RowSpan(block, row).second <= offset + height - h) ++row;
    } else {
        const qreal top = offset - height;
        qreal h = 0;
        while (h >= top && block > 0) h -= BoxHeight(--block);
        const int rows = RowsOf(block);
        while (row < rows && RowSpan(block, row).first < top - h) ++row;
        if (row == rows) {
            if (block + 1 < LineCount() && block + 1 != first) ++block, row = 0;
            else --row;
        }
    }
    SetTopRow(RowOf(block, row));
    Present();
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

// The viewport top to bottom: rows of the lines from the top row on, blank above
// the first (the top margin) and below the last.
std::vector<TrafficView::Band> TrafficView::Bands() const
{
    std::vector<Band> bands;
    const int height = viewport()->height();
    int y = 0;
    qreal top = -VerticalOffset();
    for (int i = LineOfRow(top_).first; i < LineCount() && top <= height; ++i) {
        const Line &line = Measured(i);
        const int rows = RowsOf(i);
        for (int r = 0; r < rows; ++r) {
            const auto [rowY, rowHeight] = RowBox(i, r);
            const int rowTop = qFloor(top + rowY), rowBottom = std::min(qCeil(top + rowY + rowHeight), height);
            if (rowBottom <= y) continue;
            if (rowTop > y) bands.push_back({y, std::min(rowTop, height) - y, 0, {}, 0, -1});
            if (rowTop >= height) break;
            const int from = std::max(rowTop, y);
            bands.push_back({from, rowBottom - from, rowTop, line.text, line.hash, r});
            y = rowBottom;
        }
        top += line.height;
    }
    if (y < height) bands.push_back({y, height - y, 0, {}, 0, -1});
    return bands;
}

// Whether a row's pixels are on screen already, dy above or below.
bool TrafficView::Kept(const Band &band, int dy) const
{
    const int from = band.y - dy, to = from + band.height;
    auto it = std::upper_bound(shown_.begin(), shown_.end(), from, [](int y, const Band &b) { return y < b.y; });
    return from >= 0 && to <= viewport()->height() && it != shown_.begin() && (--it)->row == band.row && it->y + it->height >= to &&
           it->rowTop == band.rowTop - dy && it->hash == band.hash && it->text == band.text;
}

// The part of a band whose pixels are not on screen already: inside the
// part of the viewport scrolled by dy (moved) dy above or below, elsewhere
// where they stand.
QRegion TrafficView::Stale(const Band &band, int dy, const QRect &moved) const
{
    const int width = viewport()->width();
    const QRect rect(0, band.y, width, band.height);
    const QRect into = moved & moved.translated(0, dy);   // where the scrolled pixels land
    if (band.row < 0) {
        // Blank where it was blank.
        QRegion blank;
        for (const Band &b : shown_) {
            if (b.row >= 0) continue;
            const QRect was(0, b.y, width, b.height);
            blank += QRegion(was.translated(0, dy) & into) + (QRegion(was) - moved);
        }
        return QRegion(rect) - blank;
    }
    const bool kept = into.contains(rect) ? Kept(band, dy) : !moved.intersects(rect) && Kept(band, 0);
    // A row drawn again takes a pixel above and below with it, for ink that reaches over.
    return kept ? QRegion() : QRegion(rect.adjusted(0, -1, 0, 1));
}

// Brings the viewport to the view's state: the rows that stay are scrolled
// into place, the others drawn again.
void TrafficView::Present()
{
    QWidget *port = viewport();
    if (presenting_ || !port->isVisible()) {
        repaintAll_ = true;   // drawn whole when shown, or by the Present under way
        return;
    }
    presenting_ = true;
    std::vector<Band> bands = Bands();
    if (DocumentWidth() != widest_) {   // a wider line came into view
        AdjustScrollBars();
        bands = Bands();
    }
    presenting_ = false;
    if (repaintAll_ || shown_.empty()) {
        repaintAll_ = false;
        port->update();
        shown_ = std::move(bands);
        return;
    }
    // The shift under which most of the rows are found again.
    QMultiHash<size_t, const Band *> was;
    for (const Band &b : shown_)
        if (b.row >= 0) was.insert(b.hash ^ size_t(b.row), &b);
    QHash<int, int> votes;
    for (const Band &b : bands) {
        if (b.row < 0) continue;
        for (auto it = was.constFind(b.hash ^ size_t(b.row)); it != was.cend() && it.key() == (b.hash ^ size_t(b.row)); ++it)
            if ((*it)->row == b.row && (*it)->text == b.text) votes[b.rowTop - (*it)->rowTop] += b.height;
    }
    int dy = 0, best = 0;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it)
        if (it.value() > best || (it.value() == best && std::abs(it.key()) < std::abs(dy))) best = it.value(), dy = it.key();
    // Only the span of the rows found again is scrolled, not the blank around
    // them: the text of a pane that it does not fill moves, the pixels below it stay.
    QRect moved;
    if (dy) {
        for (const Band &b : bands) {
            if (b.row < 0 || !Kept(b, dy)) continue;
            const QRect rect(0, b.y, port->width(), b.height);
            moved |= rect | rect.translated(0, -dy);
        }
    }
    QRegion dirty;
    for (const Band &b : bands) dirty += Stale(b, dy, moved);
    if (!moved.isEmpty()) {
        port->scroll(0, dy, moved);
        dirty += QRegion(moved) - moved.translated(0, dy);   // what the scroll uncovers
    }
    if (!dirty.isEmpty()) port->update(dirty);
    shown_ = std::move(bands);
}

void TrafficView::RepaintAll()
{
    repaintAll_ = true;
    Present();
}

void TrafficView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRegion region = event->region();
    const QBrush base = viewport()->palette().brush(QPalette::Base);
    for (const QRect &r : region)
        for (int y = r.top(); y <= r.bottom(); y += FillStrip)
            painter.fillRect(QRect(r.left(), y, r.width(), std::min(FillStrip, r.bottom() + 1 - y)), base);

    const QPointF origin(-HorizontalOffset(), -VerticalOffset());
    painter.setBrushOrigin(origin);
    painter.setPen(palette().color(QPalette::Text));
    QTextCharFormat selected;
    const int from = std::min(anchor_, position_), to = std::max(anchor_, position_);
    if (from != to) {
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        selected.setBackground(palette().brush(group, QPalette::Highlight));
        selected.setForeground(palette().brush(group, QPalette::HighlightedText));
        QStyleOption option;
        option.initFrom(viewport());
        if (style()->styleHint(QStyle::SH_RichText_FullWidthSelection, &option, viewport()))
            selected.setProperty(QTextFormat::FullWidthSelection, true);
    }
    // The right margin stays clear, as a text edit keeps it.
    const int right = int(origin.x()) + std::max(viewport()->width(), DocumentWidth()) - int(Margin) + 1;
    const int first = LineOfRow(top_).first;
    for (QRect clip : region) {
        clip.setRight(std::min(clip.right(), right));
        painter.setClipRect(clip);
        qreal y = origin.y();
        for (int i = first; i < LineCount() && y <= viewport()->height(); y += BoxHeight(i), ++i) {
            if (y + BoxHeight(i) < clip.top() || y > clip.bottom()) continue;
            QList<QTextLayout::FormatRange> selections;
            const int start = from - starts_[i], end = to - starts_[i], length = starts_[i + 1] - starts_[i];
            if (from != to && start < length && end > 0) selections.append({start, end - start, selected});
            if (selections.isEmpty() && Measured(i).plain) DrawPlain(painter, lines_[i], QPointF(origin.x(), y), clip);
            else LaidOut(i).layout->draw(&painter, QPointF(origin.x(), y), selections, clip);
        }
    }
}

void TrafficView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (event->oldSize().width() != event->size().width()) {
        // Laid out again at the new width, as a text document does.
        documentWidth_ = event->size().width();
        ForgetLayouts();
        Relayout();
    }
    AdjustScrollBars();
    RepaintAll();
}

void TrafficView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    AdjustScrollBars();
    RepaintAll();
}

void TrafficView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
        documentWidth_ = 0;
        tableLooked_ = false;
        ForgetLayouts();
        Relayout();
        AdjustScrollBars();
        RepaintAll();
        break;
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
        RepaintAll();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow()) autoScroll_.stop();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Keys and mouse, as a read-only plain-text edit takes them
// ---------------------------------------------------------------------------

void TrafficView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        OfferSelection();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->key() == Qt::Key_Space) {
        bar->triggerAction(event->modifiers() & Qt::ShiftModifier ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
    } else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Home) {
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
    } else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_End) {
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
    } else {
        return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
}

void TrafficView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(event);
    // Zoom: the font a point larger or smaller per notch.
    const float delta = float(event->angleDelta().y()) / 120.f;
    QFont larger = font();
    const qreal size = larger.pointSizeF() + qreal(delta);
    if (delta == 0.f || size <= 0) return;
    larger.setPointSizeF(size);
    setFont(larger);
}

int TrafficView::HitTest(QPoint point) const
{
    const qreal x = point.x() + HorizontalOffset(), y = point.y() + VerticalOffset();
    int block = LineOfRow(top_).first;
    qreal top = 0;
    while (block + 1 < LineCount() && top + BoxHeight(block) <= y) top += BoxHeight(block++);
    while (block > 0 && top > y) top -= BoxHeight(--block);
    const QTextLayout &layout = *LaidOut(block).layout;
    int offset = 0;
    for (int r = 0; r < layout.lineCount(); ++r) {
        const QTextLine row = layout.lineAt(r);
        const QRectF rect = row.naturalTextRect();
        if (rect.top() > y - top) {
            offset = std::min(offset, row.textStart());
        } else if (rect.bottom() <= y - top) {
            offset = std::max(offset, row.textStart() + row.textLength());
        } else {
            offset = row.xToCursor(x, QTextLine::CursorBetweenCharacters);
            break;
        }
    }
    return starts_[block] + offset;
}

int TrafficView::LineOfPosition(int position) const
{
    const int line = static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), position) - starts_.begin()) - 1;
    return std::clamp(line, 0, LineCount() - 1);
}

// A text cursor's start of the word at a position, and its end of the word from one.
int TrafficView::WordStart(int position) const
{
    const int line = LineOfPosition(position);
    const QString &text = lines_[line].text;
    qsizetype at = position - starts_[line];
    if (at == 0) return position;
    if (at == text.size() && (text[at - 1].isSpace() || IsWordSeparator(text[at - 1]))) return position;
    if (at < text.size()) ++at;
    while (at > 0 && text[at - 1].isSpace()) --at;
    if (at > 0 && IsWordSeparator(text[at - 1])) {
        while (at > 0 && IsWordSeparator(text[at - 1])) --at;
    } else {
        while (at > 0 && !text[at - 1].isSpace() && !IsWordSeparator(text[at - 1])) --at;
    }
    return starts_[line] + static_cast<int>(at);
}

int TrafficView::WordEnd(int position) const
{
    const int line = LineOfPosition(position);
    const QString &text = lines_[line].text;
    qsizetype at = position - starts_[line];
    if (at >= text.size()) return position;
    if (IsWordSeparator(text[at])) {
        while (++at < text.size() && IsWordSeparator(text[at])) {}
    } else {
        while (at < text.size() && !text[at].isSpace() && !IsWordSeparator(text[at])) ++at;
    }
    return starts_[line] + static_cast<int>(at);
}

void TrafficView::Select(int anchor, int position)
{
    anchor = std::clamp(anchor, 0, LastPosition());
    position = std::clamp(position, 0, LastPosition());
    if (anchor == anchor_ && position == position_) return;
    const bool visible = anchor_ != position_ || anchor != position;
    anchor_ = anchor;
    position_ = position;
    if (visible) viewport()->update();
}

// A selection grown from its first line or word keeps that whole and takes
// whole lines towards the mouse, or the nearer end of the word under it.
// (x: the mouse in the document, from the left of the text.)
void TrafficView::ExtendSelection(int position, qreal x)
{
    const auto [from, to] = line_.first < line_.second ? line_ : word_;
    if (from == to) return Select(anchor_, position);
    if (position >= from && position <= to) return Select(from, to);
    const int line = LineOfPosition(position);
    if (line_.first < line_.second) {
        if (position < to) return Select(to, starts_[line]);
        return Select(from, std::min(starts_[line + 1], LastPosition()));
    }
    const QString &text = lines_[line].text;
    const int at = position - starts_[line];
    if (at == text.size() && at > 0 && (text[at - 1].isSpace() || IsWordSeparator(text[at - 1]))) return;
    const int start = WordStart(position), end = WordEnd(start);
    const QTextLayout &layout = *LaidOut(line).layout;
    const QTextLine row = layout.lineForTextPosition(start - starts_[line]);
    if (!row.isValid() || end == start || layout.lineForTextPosition(end - starts_[line]).textStart() != row.textStart()) return;
    const qreal startX = row.cursorToX(start - starts_[line]), endX = row.cursorToX(end - starts_[line]);
    if (x < startX || x > endX) return;   // only over a word
    Select(position < to ? to : from, x - startX < endX - x ? start : end);
}

void TrafficView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return event->ignore();
    const QPoint point = event->position().toPoint();
    pressPoint_ = point;
    mightDrag_ = false;
    pressed_ = true;
    if (tripleClick_.isActive() && (point - tripleClickPoint_).manhattanLength() < QApplication::startDragDistance()) {
        // The third click: the whole line with its end.
        tripleClick_.stop();
        const int line = LineOfPosition(position_);
        line_ = {starts_[line], std::min(starts_[line + 1], LastPosition())};
        return Select(line_.first, line_.second);
    }
    const int hit = HitTest(point);
    if (event->modifiers() == Qt::ShiftModifier) return ExtendSelection(hit, point.x() + HorizontalOffset());
    if (anchor_ != position_ && hit >= std::min(anchor_, position_) && hit <= std::max(anchor_, position_)) {
        mightDrag_ = true;   // the selection may be dragged out
        return;
    }
    line_ = word_ = {0, 0};
    Select(hit, hit);
}

void TrafficView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (!(pressed_ || mightDrag_ || line_.first < line_.second || word_.first < word_.second)) return;
    const QPoint point = event->position().toPoint();
    if (mightDrag_) {
        if ((point - pressPoint_).manhattanLength() <= QApplication::startDragDistance()) return;
        mightDrag_ = pressed_ = false;
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setText(SelectedText());
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction, Qt::CopyAction);
        return;
    }
    if (pressed_ || line_.first < line_.second || word_.first < word_.second) ExtendSelection(HitTest(point), point.x() + HorizontalOffset());
    if (event->source() != Qt::MouseEventNotSynthesized) return;
    if (viewport()->rect().contains(point)) autoScroll_.stop();
    else if (!autoScroll_.isActive()) autoScroll_.start(100, this);
}

void TrafficView::mouseReleaseEvent(QMouseEvent *event)
{
    if (mightDrag_ && event->button() == Qt::LeftButton) {
        // A click in the selection that dragged nothing: the caret goes there.
        mightDrag_ = pressed_ = false;
        const int hit = HitTest(event->position().toPoint());
        Select(hit, hit);
    }
    if (pressed_) {
        pressed_ = false;
        OfferSelection();
    }
    if (autoScroll_.isActive()) {
        autoScroll_.stop();
        EnsureVisible(position_);
        Present();
    }
}

void TrafficView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return event->ignore();
    const QPoint point = event->position().toPoint();
    mightDrag_ = false;
    const int hit = HitTest(point);
    const int line = LineOfPosition(hit);
    const QTextLine row = LaidOut(line).layout->lineForTextPosition(hit - starts_[line]);
    const bool word = row.isValid() && row.textLength() > 0;
    if (word) {
        const int start = WordStart(hit);
        Select(start, WordEnd(start));
    } else {
        Select(hit, hit);
    }
    word_ = {std::min(anchor_, position_), std::max(anchor_, position_)};
    tripleClickPoint_ = point;
    tripleClick_.start(QApplication::doubleClickInterval(), this);
    if (word) OfferSelection();
}

void TrafficView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (anchor_ != position_) viewport()->update();   // the selection in the active colours
}

void TrafficView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    if (anchor_ != position_) viewport()->update();
}

void TrafficView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == tripleClick_.timerId()) {
        tripleClick_.stop();
        return;
    }
    if (event->timerId() != autoScroll_.timerId()) return QAbstractScrollArea::timerEvent(event);
    // Selecting past the edge: the view scrolls towards the mouse, faster the farther it is.
    const QRect visible = viewport()->rect();
    const QPoint point = viewport()->mapFromGlobal(QCursor::pos());
    ExtendSelection(HitTest(point), point.x() + HorizontalOffset());
    const int deltaY = std::max(point.y() - visible.top(), visible.bottom() - point.y()) - visible.height();
    const int deltaX = std::max(point.x() - visible.left(), visible.right() - point.x()) - visible.width();
    int delta = std::max(deltaX, deltaY);
    if (delta < 0) return;
    delta = std::max(delta, 7);
    autoScroll_.start(4900 / (delta * delta), this);
    if (deltaY > 0)
        verticalScrollBar()->triggerAction(point.y() < visible.center().y() ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    if (deltaX > 0)
        horizontalScrollBar()->triggerAction(point.x() < visible.center().x() ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}
