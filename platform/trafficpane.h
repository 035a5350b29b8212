// A read-only pane of receiver traffic: the last characters of the stream as
// lines of text that, unless the pane has the focus, keep their end in view as
// the stream runs and as the pane's size changes. Keeping it current costs what
// changed: each line is laid out once (a line of characters the font's glyph
// table places, not wrapped, is not laid out at all but drawn from the table),
// rows that only moved are scrolled as the pixels already drawn, and only rows
// whose text is new are drawn. The user selects with the mouse (a word with a
// double click), selects all and copies with the keys; to assistive technology
// it is a read-only text whose caret stands at the end of the selection.
#pragma once

#include <QAbstractScrollArea>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/glyphtable.h"

class QTextLayout;

class TrafficPane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TrafficPane(QWidget *parent = nullptr);
    ~TrafficPane() override;

    // Where the view goes as the text moves on.
    enum class Follow {
        Caret,    // the caret whole in view (see EnsureVisible)
        Bottom,   // the last row whole in view; the columns stay
    };
    void SetFollow(Follow follow) { follow_ = follow; }
    // Lines wider than the pane go on in the rows below, broken at a word
    // boundary where there is one (otherwise they run on past the right edge).
    void SetWrapped(bool wrapped);

    // Shows text (a CR LF, a lone CR or a LF ends a line) with the caret at its
    // end and the view following it. Where the text is the one shown with
    // characters gone at the front and new ones at the end, only the lines
    // that came in or changed are laid out and drawn.
    void ShowText(const QString &text);
    void clear() { ShowText({}); }
    // The lines joined by LF.
    const QString &toPlainText() const { return text_; }

    // The selection in character positions of the text; the caret stands at position.
    int Anchor() const { return anchor_; }
    int Position() const { return position_; }
    void Select(int anchor, int position);
    QString SelectedText() const;
    void selectAll() { Select(0, static_cast<int>(text_.size())); }
    void copy() const;

    // The caret before a character position, in viewport coordinates: a pixel
    // wide and a row high.
    QRect CaretRect(int position) const;
    QRect CaretRect() const { return CaretRect(position_); }
    // The character position nearest a point of the viewport.
    int PositionAt(QPoint point) const;
    // The row of a character position brought into view, scrolled as little as
    // it takes; a column right of the view brought to its middle, one left of
    // it as far left as keeps it in view.
    void EnsureVisible(int position);
    int RowHeight() const { return rowHeight_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct Line {
        int start = 0, length = 0;   // in text_
        int rows = 1;
        qreal width = 0;             // of its widest row
        std::optional<GlyphTable::Run> run;            // a plain line, as the glyph table lays it
        mutable std::unique_ptr<QTextLayout> layout;   // any other line; a plain one once a caret or selection needs it
    };

    // Puts next in place of the text; gone: how many characters of the text
    // shown fell off its front for next to follow on (-1: nothing kept). Gives
    // the rows the kept lines moved up by and the lines laid out anew.
    std::pair<int, std::vector<int>> Replace(const QString &next, qsizetype gone);
    void LayOut(Line &line) const;
    const QTextLayout &LayoutOf(const Line &line) const;
    std::unique_ptr<QTextLayout> MakeLayout(const Line &line, int *rows, qreal *width) const;
    void LayOutAll();
    void Count();
    int RowCount() const { return rowStarts_.empty() ? 0 : rowStarts_.back(); }
    int LineOfRow(int row) const;
    int LineOfPosition(int position) const;
    int RowY(int row, int top) const;   // where a row's top stands in the view with top at the top
    int RowAt(int y) const;             // the row at a height of the view
    int WholeRows(int top) const;
    int LastTop() const;
    void AdjustScrollBars();
    void FollowEnd();
    void Repaint() { viewport()->update(); }
    void Announce(const QString &before);   // the text changed, to assistive technology

    QString text_;
    std::vector<Line> lines_;
    std::vector<int> rowStarts_;   // each line's first row; one more: the row count
    qreal documentWidth_ = 0;
    int rowHeight_ = 1;
    bool wrapped_ = false;
    Follow follow_ = Follow::Caret;
    bool adjusting_ = false;       // the scroll bars set by the pane, the pixels moved by it
    int anchor_ = 0, position_ = 0;
    bool selecting_ = false;
};
