#include "platform/plaintext.h"

#include <QLabel>

void ShowLabelsAsPlainText(QWidget *root)
{
    if (!root) return;
    if (auto *label = qobject_cast<QLabel *>(root)) label->setTextFormat(Qt::PlainText);
    for (QLabel *label : root->findChildren<QLabel *>()) label->setTextFormat(Qt::PlainText);
}
