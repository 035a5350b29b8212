// The entry grid draws its cells from the text it keeps laid out: what it
// shows is, pixel for pixel, what the styled item delegate draws for the same
// cells, drawn whole or in parts as cells change.
#include <QAccessible>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QStyledItemDelegate>

#include "gui_test_support.h"

namespace {

// Ours and one drawn by the styled delegate side by side in one window.
class Grids {
public:
    explicit Grids(int rowHeight)
    {
        auto *layout = new QHBoxLayout(&window_);
        reference_.setItemDelegate(new QStyledItemDelegate(&reference_));
        for (LogGrid *grid : Both()) {
            grid->DefaultRowHeight = rowHeight;
            grid->SetColumnWidths({60, 40, 100, 60});
            grid->SetRowCount(6);
            grid->SetHeadings({"Station", "  A very long heading", "  TOA (us)", ""});
            grid->setFixedSize(grid->columnWidth(0) * 4 + 40, grid->FittingHeight() + 10);
            layout->addWidget(grid);
        }
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    std::vector<LogGrid *> Both() { return {&ours_, &reference_}; }
    // Ours through the grid, the reference's cells that are there already
    // through their items, as a table widget takes them.
    void Set(int column, int row, const QString &text)
    {
        ours_.SetCellText(column, row, text);
        if (QTableWidgetItem *it = reference_.item(row, column)) it->setText(text);
        else reference_.SetCellText(column, row, text);
    }
    void BlankRowsFrom(int firstRow)
    {
        ours_.BlankRowsFrom(firstRow);
        for (int r = firstRow; r < reference_.RowCount(); ++r)
            for (int c = 0; c < reference_.columnCount(); ++c)
                if (QTableWidgetItem *it = reference_.item(r, c)) it->setText(QString());
    }
    // What the grid shows on the screen, as painted so far.
    QImage Shown(LogGrid *grid)
    {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        const QImage screen = window_.screen()->grabWindow(window_.winId()).toImage();
        return screen.copy(QRect(grid->mapTo(&window_, QPoint()), grid->size()));
    }
    void ExpectSame(const std::string &when)
    {
        const QImage ours = Shown(&ours_);
        EXPECT_TRUE(ours == Shown(&reference_)) << when;
        // Drawn whole, too, and what is on the screen is what the grid draws whole.
        const QImage whole = reference_.grab().toImage();
        EXPECT_TRUE(ours_.grab().toImage() == whole) << when;
        EXPECT_TRUE(ours.convertToFormat(QImage::Format_RGB32) == whole.convertToFormat(QImage::Format_RGB32)) << when;
    }

    QWidget window_;
    LogGrid ours_;
    LogGrid reference_;
};

TEST(LogGridTest, DrawsCellsAsTheStyledDelegate)
{
    for (int rowHeight : {15, 20}) {
        const std::string at = "row height " + std::to_string(rowHeight);
        Grids grids(rowHeight);
        grids.ExpectSame(at + ", headings only");
        grids.Set(0, 1, "  WP");
        grids.Set(1, 1, "  12.50");
        grids.Set(2, 1, "123456789012345678901234567890");   // runs past its cell
        grids.Set(3, 1, "0x00FF");
        grids.Set(0, 2, "");
        grids.Set(1, 2, "-1.000e+03");
        grids.Set(0, 4, " (|)_gjpqy");
        grids.Set(1, 4, "25\u00b0 \u00b5s");   // characters past ASCII
        QString printable;
        for (char16_t c = 0x20; c < 0x7f; ++c) printable += QChar(c);
        grids.Set(0, 5, printable);
        grids.Set(1, 5, printable.mid(40));
        grids.Set(2, 5, printable.mid(80));
        grids.Set(3, 5, printable.mid(20));
        grids.ExpectSame(at + ", cells set");
        // The fixed-pitch font's texts are drawn from the glyphs the grid keeps.
        ASSERT_TRUE(grids.ours_.LaidOutAt(5, 2)->run);
        EXPECT_EQ(grids.ours_.LaidOutAt(5, 2)->run->glyphs.glyphIndexes().size(), printable.size() - 80);
        EXPECT_FALSE(grids.ours_.LaidOutAt(4, 1)->run);

        // Some cells change, one is emptied, one stays: drawn in parts.
        grids.Set(1, 1, "  13.75");
        grids.Set(2, 1, "");
        grids.Set(3, 1, "0x00FF");
        grids.ExpectSame(at + ", cells changed");
        grids.Set(2, 3, "  99999.0000");
        grids.ExpectSame(at + ", a cell set first");
        grids.BlankRowsFrom(2);
        grids.ExpectSame(at + ", rows blanked");
        EXPECT_EQ(grids.ours_.Cell(1, 2), "");
        EXPECT_EQ(grids.ours_.Cell(1, 1), "  13.75");

        // Fewer rows, then more: the cells gone come back empty.
        for (LogGrid *grid : grids.Both()) grid->SetRowCount(2);
        grids.Set(1, 1, "  1.00");
        for (LogGrid *grid : grids.Both()) grid->SetRowCount(4);
        grids.Set(0, 3, "  X");
        EXPECT_EQ(grids.ours_.Cell(2, 2), "");
        grids.ExpectSame(at + ", rows taken and added");

        // Another font lays the kept texts out again.
        for (LogGrid *grid : grids.Both()) grid->setFont(QFont("Courier New", 12));
        grids.ExpectSame(at + ", larger font");
        QFont underlined("Courier New", 8);
        underlined.setUnderline(true);
        for (LogGrid *grid : grids.Both()) grid->setFont(underlined);
        grids.ExpectSame(at + ", underlined font");
    }
}

// A cell reads the same through the grid, its item and the model, whichever
// way it was set: padded from a std::string, set as a QString, or through the
// item (which alone tells the model's listeners).
TEST(LogGridTest, ACellReadsAsLastSetWhicheverWayItWasSet)
{
    LogGrid grid;
    grid.SetColumnWidths({60, 60});
    grid.SetRowCount(3);
    // The grid lays out what it is given; a text set through the item is the table's alone.
    auto readsEverywhere = [&](int column, int row, const QString &text, bool byGrid = true) {
        EXPECT_EQ(grid.Cell(column, row), text);
        EXPECT_EQ(grid.item(row, column)->text(), text);
        EXPECT_EQ(grid.model()->data(grid.model()->index(row, column)).toString(), text);
        EXPECT_EQ(grid.model()->data(grid.model()->index(row, column), Qt::EditRole).toString(), text);
        ASSERT_NE(grid.LaidOutAt(row, column), nullptr);
        if (byGrid) {
            EXPECT_EQ(grid.LaidOutAt(row, column)->text, text);
        }
    };
    grid.SetCell(0, 1, "12.5", 6);
    readsEverywhere(0, 1, "  12.5");
    grid.SetCellText(1, 2, "x");
    int told = 0;   // the cells' items are made: the grid tells no more
    QObject::connect(grid.model(), &QAbstractItemModel::dataChanged, [&] { ++told; });
    grid.SetCellText(0, 1, "other");
    readsEverywhere(0, 1, "other");
    grid.SetCell(0, 1, "12.5", 6);   // back to the text set first
    readsEverywhere(0, 1, "  12.5");
    grid.SetCell(0, 1, "12.5", 7);   // the same value padded wider
    readsEverywhere(0, 1, "   12.5");
    grid.SetCell(1, 2, "25\u00b0", 5);   // UTF-8 past ASCII
    readsEverywhere(1, 2, QString::fromUtf8(" 25\u00b0"));   // padded by bytes
    grid.SetCell(1, 2, "25\u00b1", 5);
    readsEverywhere(1, 2, QString::fromUtf8(" 25\u00b1"));
    grid.BlankRowsFrom(2);
    readsEverywhere(1, 2, "");
    EXPECT_EQ(told, 0);

    grid.item(1, 0)->setText("by item");
    readsEverywhere(0, 1, "by item", false);
    EXPECT_EQ(told, 1);
    grid.item(1, 0)->setText("by item");   // unchanged: nothing to tell
    EXPECT_EQ(told, 1);
    grid.item(1, 0)->setData(Qt::ToolTipRole, "tip");
    EXPECT_EQ(grid.item(1, 0)->toolTip(), "tip");
    EXPECT_EQ(grid.item(1, 0)->text(), "by item");
}

}   // namespace

namespace {
QStringList accessibilityWarnings;
void KeepAccessibilityWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && message.contains("QAccessible")) accessibilityWarnings << message;
}
} // namespace

// To assistive technology the grid is the cells it shows, row by row, the
// headings row first: no header cells of its own, which it hides. A reader
// that counted the cells before the grid lost rows and asks for those it
// counted gets nothing for the rows gone, and no complaint.
TEST(LogGridTest, AssistiveTechnologyGetsTheCellsShown)
{
    accessibilityWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(KeepAccessibilityWarnings);
    QAccessible::setActive(true);
    LogGrid grid;
    grid.SetColumnWidths({60, 100, 60});
    grid.SetRowCount(12);
    grid.SetHeadings({" Loran", " Residual (m)", " Weight"});
    for (int row = 1; row < 12; ++row)
        for (int column = 0; column < 3; ++column) grid.SetCellText(column, row, QString::number(row * 10 + column));
    grid.resize(240, grid.FittingHeight());
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_NE(face, nullptr);
    auto expectShown = [&](const std::string &when) {
        ASSERT_EQ(face->childCount(), grid.RowCount() * grid.columnCount()) << when;
        for (int i = 0; i < face->childCount(); ++i) {
            const int row = i / grid.columnCount(), column = i % grid.columnCount();
            QAccessibleInterface *cell = face->child(i);
            ASSERT_NE(cell, nullptr) << when << " " << i;
            EXPECT_EQ(cell->text(QAccessible::Name), grid.Cell(column, row)) << when << " " << i;
            EXPECT_EQ(cell->role(), row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell) << when << " " << i;
            EXPECT_EQ(cell->rect(), QRect(grid.viewport()->mapToGlobal(grid.visualRect(grid.model()->index(row, column)).topLeft()),
                                          grid.visualRect(grid.model()->index(row, column)).size()))
                << when << " " << i;
            EXPECT_EQ(face->indexOfChild(cell), i) << when;
            EXPECT_EQ(cell->parent(), face) << when;
        }
    };
    expectShown("12 rows");
    const int counted = face->childCount();
    grid.SetRowCount(11);
    grid.SetCellText(1, 10, "changed");
    for (int i = 0; i < counted; ++i) {
        QAccessibleInterface *cell = face->child(i);
        EXPECT_EQ(cell != nullptr, i < 11 * 3) << i;
    }
    expectShown("11 rows");
    QAccessible::setActive(false);
    qInstallMessageHandler(previous);
    EXPECT_EQ(accessibilityWarnings, QStringList());
}

// A part of the grid drawn again, as the server asks when a window over it
// moves away while cells change, shows what the grid drawn whole shows: also
// a part made of whole rows beside the one-pixel strip of a grid line, or of a
// cell beside the strip of a column line. A plain table drawn so puts a stray
// pixel of the line's colour inside the next cell (Qt 6.4: the lines across a
// strip one pixel high have no length); the day it no longer does, the grid
// need not draw such parts whole.
TEST(LogGridTest, APartDrawnAgainShowsWhatTheGridDrawnWholeShows)
{
    QWidget window;
    LogGrid grid;
    QTableWidget plain(9, 3);
    grid.SetColumnWidths({40, 70, 70});
    grid.SetRowCount(9);
    grid.SetHeadings({" Num", "Frequency", "Bandwidth"});
    for (int row = 1; row < 5; ++row) {
        grid.SetCellText(0, row, QString("   %1").arg(row));
        grid.SetCellText(1, row, "   75.0");
        grid.SetCellText(2, row, "  0.400");
    }
    plain.horizontalHeader()->hide();
    plain.verticalHeader()->hide();
    plain.verticalHeader()->setMinimumSectionSize(1);
    plain.setFrameShape(QFrame::Box);
    for (int column = 0; column < 3; ++column) plain.setColumnWidth(column, grid.columnWidth(column));
    for (int row = 0; row < 9; ++row) plain.setRowHeight(row, grid.RowPitch());
    auto *layout = new QHBoxLayout(&window);
    for (QTableWidget *table : {static_cast<QTableWidget *>(&grid), &plain}) {
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setFixedSize(184, grid.FittingHeight());
        layout->addWidget(table);
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto shown = [&](QTableWidget *table) {
        QCoreApplication::processEvents();
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return screen.copy(QRect(table->mapTo(&window, QPoint()), table->size()));
    };
    // Each part: rectangles in the cells' area, where row r's line lies at
    // 16 r + 15 and the columns' lines at 39 and 109.
    const std::vector<std::pair<std::string, std::vector<QRect>>> parts{
        {"rows beside a row line's strip", {QRect(8, 31, 172, 1), QRect(0, 32, 180, 15)}},
        {"cells beside row lines' strips",
         {QRect(8, 0, 172, 16), QRect(0, 16, 180, 15), QRect(8, 31, 172, 1), QRect(0, 32, 180, 15), QRect(8, 47, 172, 1),
          QRect(0, 48, 180, 15), QRect(8, 63, 172, 1), QRect(0, 64, 180, 15), QRect(8, 79, 172, 65)}},
        {"a cell beside a column line's strip", {QRect(39, 0, 1, 30), QRect(40, 10, 40, 31)}},
        {"cells and lines", {QRect(40, 16, 69, 15), QRect(110, 48, 70, 16), QRect(0, 100, 180, 20)}},
    };
    for (const auto &[name, rects] : parts) {
        QRegion part;
        for (const QRect &r : rects) part += r;
        for (QTableWidget *table : {static_cast<QTableWidget *>(&grid), &plain}) table->viewport()->repaint(part);
        EXPECT_TRUE(shown(&grid) == grid.grab().toImage().convertToFormat(QImage::Format_RGB32)) << name;
        if (name.find("beside") != std::string::npos) {
            EXPECT_FALSE(shown(&plain) == plain.grab().toImage().convertToFormat(QImage::Format_RGB32)) << name << ": the plain table";
        }
        // Drawn whole again before the next part.
        for (QTableWidget *table : {static_cast<QTableWidget *>(&grid), &plain}) table->viewport()->repaint();
    }
}
