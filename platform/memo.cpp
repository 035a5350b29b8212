#include "platform/memo.h"

#include <QPlainTextEdit>
#include <QTextCursor>

void TrimMemoLines(QPlainTextEdit *memo, int maxLines)
{
    if (!memo) return;
    if (maxLines <= 0) {
        memo->clear();
        return;
    }
    // The memo keeps the cap from now on: the oldest lines go as new ones come,
    // with no undo history piling up behind them.
    int before = memo->document()->blockCount();
    if (memo->maximumBlockCount() != maxLines) memo->setMaximumBlockCount(maxLines);
    if (before > maxLines) {
        memo->moveCursor(QTextCursor::End);
        memo->ensureCursorVisible();
    }
}
