#include "platform/labeltext.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>

#include "platform/glyphtable.h"

void LabelText::Watch(QLabel *label) { label->installEventFilter(this); }

bool LabelText::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint) return false;
    auto *label = qobject_cast<QLabel *>(watched);
    return label && Draw(label);
}

bool LabelText::Draw(QLabel *label)
{
    const QString text = label->text();
    // What the label draws by rules of its own: no text, a rich text, a frame,
    // margins, wrapping, a mnemonic, a disabled, centred or right-to-left text.
    if (text.isEmpty() || (label->alignment() & Qt::AlignHCenter) || label->textFormat() != Qt::PlainText ||
        label->frameWidth() != 0 || label->margin() != 0 || label->indent() > 0 || label->wordWrap() || label->buddy() ||
        !label->isEnabled() || label->layoutDirection() != Qt::LeftToRight)
        return false;
    const GlyphTable &table = GlyphTable::For(label->font());
    const std::optional<GlyphTable::Run> run = table.Lay(text);
    if (!run) return false;
    const QRect r = label->contentsRect();
    const Qt::Alignment align = label->alignment();
    qreal left = 0, top = 0;
    if (align & Qt::AlignBottom) top = r.height() - table.height;
    else if (align & Qt::AlignVCenter) top = (r.height() - table.height) / 2;
    if (align & Qt::AlignRight) left = r.width() - run->inked;
    // A text that does not fit is cut at the label's edge, by the label.
    if (left < 0 || top < 0 || left + run->width > r.width() || top + table.height > r.height()) return false;

    QPainter painter(label);
    QStyleOption option;
    option.initFrom(label);
    painter.setPen(QPen(option.palette.brush(label->foregroundRole()), painter.pen().widthF()));
    painter.drawGlyphRun(QPointF(r.x() + left, r.y() + top), run->glyphs);
    return true;
}
