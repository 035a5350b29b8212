#include "logs/labeltext.h"

#include <QEvent>
#include <QGlyphRun>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <vector>

#include "platform/glyphtable.h"

void LabelText::Watch(QLabel *label) { label->installEventFilter(this); }

bool LabelText::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        if (auto *label = qobject_cast<QLabel *>(watched)) return Draw(label);
    return false;
}

bool LabelText::Draw(QLabel *label)
{
    const QString text = label->text();
    // What the label draws by rules of its own: no text, a rich text, a frame,
    // margins, wrapping, a mnemonic, a disabled, centred or right-to-left text,
    // a font with lines.
    if (text.isEmpty() || (label->alignment() & Qt::AlignHCenter) || label->textFormat() != Qt::PlainText || label->frameWidth() != 0 || label->margin() != 0 ||
        label->indent() > 0 || label->wordWrap() || label->buddy() || !label->isEnabled() ||
        label->layoutDirection() != Qt::LeftToRight)
        return false;
    const QFont font = label->font();
    if (font.underline() || font.overline() || font.strikeOut()) return false;
    const GlyphTable &table = GlyphTable::For(font);
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    glyphs.reserve(static_cast<size_t>(text.size()));
    positions.reserve(static_cast<size_t>(text.size()));
    qreal x = 0, inked = 0;
    int before = -1;
    for (QChar c : text) {
        if (!table.Placed(c)) return false;
        const int i = c.unicode() - GlyphTable::First;
        if (before >= 0 && table.kerned[before][i]) return false;
        before = i;
        glyphs.push_back(table.glyph[i]);
        positions.emplace_back(x, table.ascent);
        x += table.advance[i];
        if (c != QLatin1Char(' ')) inked = x;   // the width a line counts: trailing spaces left out
    }
    const QRect r = label->contentsRect();
    const Qt::Alignment align = label->alignment();
    qreal left = 0, top = 0;
    if (align & Qt::AlignBottom) top = r.height() - table.height;
    else if (align & Qt::AlignVCenter) top = (r.height() - table.height) / 2;
    if (align & Qt::AlignRight) left = r.width() - inked;
    // A text that does not fit is cut at the label's edge, by the label.
    if (left < 0 || top < 0 || left + x > r.width() || top + table.height > r.height()) return false;

    QPainter painter(label);
    QStyleOption option;
    option.initFrom(label);
    painter.setPen(QPen(option.palette.brush(label->foregroundRole()), painter.pen().widthF()));
    QGlyphRun run;
    run.setRawFont(table.raw);
    run.setRawData(glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
    painter.drawGlyphRun(QPointF(r.x() + left, r.y() + top), run);
    return true;
}
