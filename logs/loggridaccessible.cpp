#include "logs/loggridaccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include "logs/logform.h"

// A table view tells assistive technology of its header views, shown or not:
// a corner, a column heading per column (the model's numbers) and a row
// heading per row. The grid hides them and shows its headings in row 0, and
// its rows come and go with each line; a reader holding the count of cells
// from before asked for cells of rows gone. Here the grid is the cells it
// shows, and a cell asked for past them is none.

namespace {

class CellAccessible : public QAccessibleInterface {
public:
    CellAccessible(LogGrid *grid, int row, int column) : grid_(grid), row_(row), column_(column) {}

    bool isValid() const override { return grid_ && row_ < grid_->rowCount() && column_ < grid_->columnCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? grid_->Cell(column_, row_) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid() || !grid_->isVisible()) return {};
        const QRect cell = grid_->visualRect(grid_->model()->index(row_, column_));
        return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return row_ == 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !isValid() || !grid_->isVisible();
        return state;
    }

    int Index() const { return row_ * (grid_ ? grid_->columnCount() : 0) + column_; }

private:
    QPointer<LogGrid> grid_;
    int row_, column_;
};

class GridAccessible : public QAccessibleWidget {
public:
    explicit GridAccessible(LogGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override
    {
        for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return Grid()->rowCount() * Grid()->columnCount(); }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = Grid()->columnCount();
        if (index < 0 || index >= childCount() || columns == 0) return nullptr;
        const auto at = std::make_pair(index / columns, index % columns);
        if (auto known = cells_.constFind(at); known != cells_.constEnd()) return QAccessible::accessibleInterface(*known);
        auto *cell = new CellAccessible(Grid(), at.first, at.second);
        cells_.insert(at, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->isValid() || child->parent() != this) return -1;
        return static_cast<const CellAccessible *>(child)->Index();
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex at = Grid()->indexAt(Grid()->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row() * Grid()->columnCount() + at.column()) : nullptr;
    }

private:
    LogGrid *Grid() const { return static_cast<LogGrid *>(widget()); }
    mutable QHash<std::pair<int, int>, QAccessible::Id> cells_;   // [row, column], made as asked for
};

} // namespace

QAccessibleInterface *LogGridAccessible(const QString &, QObject *object)
{
    auto *grid = qobject_cast<LogGrid *>(object);
    return grid ? new GridAccessible(grid) : nullptr;
}
