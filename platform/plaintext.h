// Text that comes from the receiver, a replayed file or the settings file is
// shown as it stands: a label left to guess its format would read a field such
// as "<img src=...>" as markup and load whatever the tag names.
#pragma once

class QWidget;

// Every label in the widget (the widget itself included) shows plain text.
void ShowLabelsAsPlainText(QWidget *root);
