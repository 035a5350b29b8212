// What every log window shares: a frame child made from its View item, value
// labels above, and a grid of one row per entry of the last good line under a
// row of headings.
#pragma once

#include <QLabel>
#include <QScrollBar>
#include <QStaticText>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mdichild.h"
#include "platform/glyphtable.h"

class BeatDrawing;
class LabelText;

// The entry grid: disabled (no focus, selection or editing), no scroll bars,
// Courier New 8 pt, row 0 the headings. Each cell below the headings keeps its
// text laid out, so a cell drawn again costs no shaping and a cell whose text
// is set unchanged is not drawn again.
class LogGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit LogGrid(QWidget *parent = nullptr);

    int DefaultRowHeight = 15;
    int GridLineWidth = 1;

    int RowCount() const { return rowCount(); }
    void SetRowCount(int rows);
    void SetColumnWidths(std::initializer_list<int> widths);
    void SetHeadings(std::initializer_list<const char *> headings);
    // A cell right-justified to width (PadAlign mode 3).
    void SetCell(int column, int row, const std::string &text, int width);
    void SetCellText(int column, int row, const QString &text);
    QString Cell(int column, int row) const;
    // Empties every cell of the rows from firstRow to the last.
    void BlankRowsFrom(int firstRow);
    // A row of DefaultRowHeight pixels and its grid line.
    int RowPitch() const { return DefaultRowHeight + GridLineWidth; }
    // Every row and the frame around them, as the table draws them: no band below the last row.
    int FittingHeight() const;

    // A cell's text as set and laid out in the grid's font; null outside the
    // cells set so far.
    struct LaidOut {
        QString text;
        // The glyphs of the font's table when it places the text; else the
        // text laid out for itself.
        std::optional<GlyphTable::Run> run;
        QStaticText layout;
    };
    const LaidOut *LaidOutAt(int row, int column) const;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void LayOut(LaidOut &cell) const;

    std::vector<std::vector<LaidOut>> laidOut_;   // [row][column], rows and columns as set so far
};

class LogForm : public MdiChildForm {
    Q_OBJECT
public:
    explicit LogForm(QAction *menuItem, QWidget *parent = nullptr);
    ~LogForm() override;

    // Sizes the grid to its rows and the window to the grid (plus ExtraBottom). A
    // window never grows taller than the screen: past that the grid shows the rows
    // that fit and a scroll bar beside it reaches the others.
    void FitGrid();
    // Rows for the entries of a line: count + 1, raised to minimumRows; the grid is
    // resized only when count + 1 differs from its row count.
    void FitRows(int count, int minimumRows);

    LogGrid *Grid = nullptr;   // set by the window once its layout is built
    int ExtraBottom = 0;

    // Shows now what the newest good line left waiting (see Present).
    void DrawPending();

protected:
    // Puts the window at the top left of the frame's client area.
    void MoveToTopLeft() { PlaceAt(0, 0); }
    // Puts the window at (left, top) of the frame's client area. The frame places
    // a child when it is added, so the place is taken again when it is first shown.
    void PlaceAt(int left, int top);
    void showEvent(QShowEvent *event) override;
    // Shows a good line's state through show at the window's beat (only the
    // newest state; a window out of sight shows it when it comes into sight).
    void Present(std::function<void()> show);

private:
    void ShowRowsBar(bool shown);

    QPoint place_;
    bool placePending_ = false;
    bool labelsWatched_ = false;
    LabelText *labelText_;   // draws the labels' texts
    QScrollBar *rowsBar_ = nullptr;
    int widthWithoutBar_ = 0;
    std::function<void()> pending_;   // the newest good line's state, not shown yet
    BeatDrawing *drawing_;
};

// A value as the C library's printf writes it, whatever its length.
std::string Printf(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A label's text from a std::string.
inline void SetText(QLabel *label, const std::string &text) { label->setText(QString::fromStdString(text)); }
