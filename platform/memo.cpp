#include "platform/memo.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

void TrimMemoLines(QPlainTextEdit *memo, int maxLines)
{
    if (!memo) return;
    QTextDocument *doc = memo->document();
    int surplus = doc->blockCount() - (maxLines > 0 ? maxLines : 0);
    if (surplus <= 0) return;
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    if (surplus >= doc->blockCount()) {
        memo->clear();
        return;
    }
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, surplus);
    cursor.removeSelectedText();
    memo->moveCursor(QTextCursor::End);
    memo->ensureCursorVisible();
}
