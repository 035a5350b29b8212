#pragma once

class QPlainTextEdit;

// Deletes the memo's first lines until at most maxLines remain; when lines
// were deleted, the view follows the last line again.
void TrimMemoLines(QPlainTextEdit *memo, int maxLines);
