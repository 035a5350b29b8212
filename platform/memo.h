#pragma once

#include <QStringList>

class QPlainTextEdit;

// Deletes the memo's first lines until at most maxLines remain, and keeps it
// so as lines are added; when lines were deleted, the view follows the last line.
void TrimMemoLines(QPlainTextEdit *memo, int maxLines);

// Gives the memo these lines, rewriting only the lines that differ (in one edit,
// without undo history): the lines that stay are not laid out again. Text,
// cursor and view end as setPlainText would leave them.
void SetMemoLines(QPlainTextEdit *memo, const QStringList &lines);
