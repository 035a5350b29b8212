#pragma once

class QPlainTextEdit;

// Deletes the memo's first lines until at most maxLines remain, and keeps it
// so as lines are added; when lines were deleted, the view follows the last line.
void TrimMemoLines(QPlainTextEdit *memo, int maxLines);
