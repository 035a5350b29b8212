#include "platform/memo.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

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

void SetMemoLines(QPlainTextEdit *memo, const QStringList &lines)
{
    if (!memo) return;
    QTextDocument *document = memo->document();
    const int have = document->blockCount();
    const int want = static_cast<int>(std::max<qsizetype>(lines.size(), 1));
    QTextCursor cursor(document);
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    cursor.beginEditBlock();
    QTextBlock block = document->begin();
    for (int i = 0; i < std::min(have, want); ++i, block = block.next()) {
        const QString line = lines.value(i);
        if (block.text() == line) continue;
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(line);
    }
    if (want > have) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText("\n" + lines.mid(have).join('\n'));
    } else if (have > want) {
        // The lines beyond the last wanted go, with the line break before them.
        const QTextBlock last = document->findBlockByNumber(want - 1);
        cursor.setPosition(last.position() + last.length() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undo);
    // The view as a new text leaves it: the cursor at the start, scrolled to the top left.
    if (memo->textCursor() != QTextCursor(document)) memo->setTextCursor(QTextCursor(document));
    memo->verticalScrollBar()->setValue(0);
    memo->horizontalScrollBar()->setValue(0);
}
