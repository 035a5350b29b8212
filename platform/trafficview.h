// A read-only pane of received traffic. It looks and behaves as a read-only
// plain-text edit (the same text layout, margins, scrolling by lines, scroll
// bars, mouse selection, keys, copying), but keeping it current costs little:
// each line keeps its text layout, only the rows whose text changed are drawn,
// and rows that only moved are scrolled as pixels already drawn. A line of
// printable ASCII that takes one row is not laid out at all: its width comes
// from the font's advances and it is drawn from the font's glyph table, as a
// text layout would draw it. A plain-text edit lays out and repaints the
// whole pane on any change.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QTextOption>
#include <memory>
#include <vector>

class QPainter;
class QTextLayout;
struct GlyphTable;

class TrafficView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TrafficView(QWidget *parent = nullptr);
    ~TrafficView() override;

    // Where the view goes when it takes a text.
    enum class Follow {
        Stay,     // the rows shown stay where they can, as in a document edited
        End,      // the end of the text is brought into view, as a text edit brings its caret there
        Bottom,   // the vertical scroll bar goes to its maximum
    };
    // Shows the text as a text edit's document edited to it shows it: a CR LF,
    // a lone CR or a LF ends a line; the selection is cleared.
    void ShowText(const QString &text, Follow follow);
    // As a text edit's setPlainText: the text, the view back at the top left.
    void setPlainText(const QString &text);
    void clear() { setPlainText({}); }
    // The end of the text into view, as a text edit brings its caret there.
    void ShowEnd();
    // Lines wider than the pane wrap at a word boundary, or anywhere in a word
    // too long (a plain-text edit's WidgetWidth); otherwise they run on (the default).
    void SetWrapped(bool wrapped);

    const QString &Text() const { return text_; }
    // The lines joined by LF, no-break spaces as spaces: as a text document gives them.
    QString toPlainText() const;
    QString SelectedText() const;
    // How many lines hold a text layout; the others are drawn from the glyph table.
    int LinesLaidOut() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    struct Line {
        QString text;
        size_t hash = 0;
        std::unique_ptr<QTextLayout> layout;   // made when first needed
        qreal height = 0;                      // of the layout
        qreal width = 0;                       // its widest row with a margin on either side
        bool measured = false;                 // height and width known
        bool plain = false;                    // one row, placed and drawn from the glyph table
    };
    // How a text layout lays out a line the glyph table places: one row, its
    // height (as its text line gives it, and of its natural text rectangle),
    // the height of the line and where the baseline lies.
    struct PlainRow {
        bool valid = false;
        qreal height = 0, natural = 0, lineHeight = 0, baseline = 0;
    };
    // Where a caret stands in its line: x, the top of its row and its height
    // (as its text line gives it, and of its natural text rectangle).
    struct Caret {
        qreal x = 0, y = 0, height = 0, natural = 0;
        int row = 0;
    };
    // A horizontal band of the viewport: the visible part of a row, or blank.
    struct Band {
        int y = 0, height = 0;
        int rowTop = 0;   // where the whole row begins (above y when cut by the top)
        QString text;     // the row's line
        size_t hash = 0;
        int row = -1;     // the row inside its line; -1: blank
    };

    void Replace(const QString &text);
    Line &LaidOut(int line) const;
    Line &Measured(int line) const;   // its height and width, laid out only when it must be
    int RowsOf(int line) const;
    // A row's top and height within its line: its natural text rectangle's,
    // and as its text line gives them.
    std::pair<qreal, qreal> RowSpan(int line, int row) const;
    std::pair<qreal, qreal> RowBox(int line, int row) const;
    Caret CaretAt(int line, int offset) const;
    const GlyphTable *Table() const;   // the font's, when plain lines may be drawn from it
    qreal PlainX(const QString &text, qsizetype offset) const;   // a plain line's caret x
    void DrawPlain(QPainter &painter, const Line &line, QPointF at, const QRect &clip) const;
    void ForgetLayouts();
    void Relayout();
    int LineCount() const { return static_cast<int>(lines_.size()); }
    int RowCount() const;
    std::pair<int, int> LineOfRow(int row) const;   // the line and the row inside it
    int RowOf(int line, int row) const;
    qreal BoxHeight(int line) const;
    qreal VerticalOffset() const;
    int HorizontalOffset() const;
    int DocumentWidth() const;
    void AdjustScrollBars();
    void SetTopRow(int row);
    void EnsureVisible(int position);
    void PageUpDown(bool down);
    std::vector<Band> Bands() const;
    bool Kept(const Band &band, int dy) const;
    QRegion Stale(const Band &band, int dy, const QRect &moved) const;
    void Present();
    void RepaintAll();

    int HitTest(QPoint point) const;   // the character position nearest a viewport point
    int LineOfPosition(int position) const;
    int LastPosition() const { return starts_.back() - 1; }
    int WordStart(int position) const;
    int WordEnd(int position) const;
    void Select(int anchor, int position);
    void ExtendSelection(int position, qreal x);
    void OfferSelection() const;   // to the X11 selection clipboard

    QTextOption option_;
    bool wrapped_ = false;
    QString text_;
    mutable std::vector<Line> lines_;
    std::vector<int> starts_;     // each line's first character position; one more: the end
    std::vector<int> firstRow_;   // wrapped: each line's first row; one more: the row count
    int top_ = 0;                 // the row at the top
    bool adjusting_ = false;      // a scroll bar moved by this view itself
    std::vector<Band> shown_;     // what the viewport shows once painted
    bool repaintAll_ = true;
    bool presenting_ = false;
    // The widest line laid out since the text was set or the pane's width
    // changed, as a text document keeps it (lines gone since still count), and
    // what the horizontal scroll bar was given of it.
    mutable qreal documentWidth_ = 0;
    int widest_ = 0;
    // The glyph table of the font and how its lines lie (found when first needed).
    mutable const GlyphTable *table_ = nullptr;
    mutable PlainRow plainRow_;
    mutable bool tableLooked_ = false;
    mutable std::vector<quint32> glyphs_;
    mutable std::vector<QPointF> positions_;

    int anchor_ = 0, position_ = 0;   // the selection, in character positions
    // The line of a triple click and the word of a double click a selection
    // grows from (empty: none); the line goes first.
    std::pair<int, int> line_{0, 0}, word_{0, 0};
    bool pressed_ = false, mightDrag_ = false;
    QPoint pressPoint_, tripleClickPoint_;
    QBasicTimer autoScroll_, tripleClick_;
};
