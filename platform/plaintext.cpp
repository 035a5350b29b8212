#include "platform/plaintext.h"

#include <QFont>
#include <QLabel>

void ShowLabelsAsPlainText(QWidget *root)
{
    if (!root) return;
    if (auto *label = qobject_cast<QLabel *>(root)) label->setTextFormat(Qt::PlainText);
    for (QLabel *label : root->findChildren<QLabel *>()) label->setTextFormat(Qt::PlainText);
}

void DrawTextUnshaped(QWidget *pane)
{
    if (!pane) return;
    QFont font = pane->font();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    pane->setFont(font);
}
