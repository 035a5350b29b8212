// Text that comes from the receiver, a replayed file or the settings file is
// shown as it stands: a label left to guess its format would read a field such
// as "<img src=...>" as markup and load whatever the tag names.
#pragma once

class QWidget;

// Every label in the widget (the widget itself included) shows plain text.
void ShowLabelsAsPlainText(QWidget *root);

// Panes of receiver traffic draw their lines without shaping: the text is
// Latin in a fixed-pitch face, so there are no ligatures or kerning to lose,
// and shaping is much of the cost of laying out each line that comes in.
void DrawTextUnshaped(QWidget *pane);
