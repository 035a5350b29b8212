#include "logs/labeltext.h"

#include <QEvent>
#include <QGlyphRun>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOption>
#include <optional>
#include <vector>

#include "platform/glyphtable.h"

namespace {

// The brush a widget fills its background with before its children are drawn
// over it, when that is all it paints beneath them and it is one plain colour;
// none otherwise (no fill of its own, a gradient, a pattern, a see-through colour).
QBrush PlainFill(const QWidget *w)
{
    if (!w || w->testAttribute(Qt::WA_OpaquePaintEvent) || w->testAttribute(Qt::WA_NoSystemBackground) ||
        w->testAttribute(Qt::WA_StyledBackground) || w->testAttribute(Qt::WA_TranslucentBackground))
        return QBrush();
    QBrush brush;
    if (w->autoFillBackground()) brush = w->palette().brush(w->backgroundRole());
    else if (w->isWindow()) brush = w->palette().brush(QPalette::Window);
    if (brush.style() != Qt::SolidPattern || !brush.isOpaque()) return QBrush();
    return brush;
}

// A widget Qt counts as painting every pixel of its own.
bool Opaque(const QWidget *w)
{
    return w->testAttribute(Qt::WA_OpaquePaintEvent) || w->autoFillBackground() || w->testAttribute(Qt::WA_PaintOnScreen);
}

}   // namespace

void LabelText::Watch(QLabel *label) { Mark(label, Text, true); }

void LabelText::Mark(QLabel *label, int role, bool on)
{
    auto it = roles_.find(label);
    if (it == roles_.end()) {
        if (!on) return;
        it = roles_.insert(label, 0);
        label->installEventFilter(this);
        connect(label, &QObject::destroyed, this, [this](QObject *gone) {
            roles_.remove(gone);
            underlays_.remove(gone);
        });
    }
    *it = on ? *it | role : *it & ~role;
}

bool LabelText::MayFill(const QLabel *label)
{
    const QWidget *parent = label->parentWidget();
    if (!parent || label->isWindow() || label->internalWinId() || !label->mask().isEmpty() || Opaque(label) ||
        PlainFill(parent).style() == Qt::NoBrush)
        return false;
    const QRect place = label->geometry();
    bool above = false;
    for (const QObject *o : parent->children()) {
        if (o == label) {
            above = true;
            continue;
        }
        const auto *sibling = qobject_cast<const QWidget *>(o);
        if (!sibling || sibling->isWindow() || !sibling->geometry().intersects(place)) continue;
        // A widget over the label, shown or not, would be hidden by it or
        // keep it from being painted alone; beneath it only labels that do
        // not fill their own background, which it draws again.
        const auto *beneath = qobject_cast<const QLabel *>(sibling);
        if (above || !beneath || Opaque(beneath) || beneath->internalWinId() || !beneath->mask().isEmpty()) return false;
    }
    return true;
}

void LabelText::Fill(QLabel *label, bool fill)
{
    label->setAttribute(Qt::WA_OpaquePaintEvent, fill);
    Mark(label, Filled, fill);
    underlays_.remove(label);
    if (!fill) return;
    const QRect place = label->geometry();
    for (QObject *o : label->parentWidget()->children()) {
        if (o == label) break;
        if (auto *beneath = qobject_cast<QLabel *>(o); beneath && beneath->geometry().intersects(place))
            Mark(beneath, Beneath, true);
    }
}

void LabelText::FillBehind(QWidget *container)
{
    QList<QLabel *> labels, fill;
    for (QObject *o : container->children())
        if (auto *label = qobject_cast<QLabel *>(o)) labels << label;
    for (QLabel *label : labels)
        if (MayFill(label)) fill << label;
    // A label the filled ones hide whole would change unseen (Qt paints no
    // part of it): those over it stay as they are.
    for (bool again = true; again;) {
        again = false;
        for (qsizetype i = 0; i < labels.size(); ++i) {
            if (fill.contains(labels[i])) continue;
            QRegion shown(labels[i]->geometry());
            for (qsizetype j = i + 1; j < labels.size(); ++j)
                if (fill.contains(labels[j])) shown -= labels[j]->geometry();
            if (!shown.isEmpty() || labels[i]->geometry().isEmpty()) continue;
            for (qsizetype j = i + 1; j < labels.size(); ++j)
                if (labels[j]->geometry().intersects(labels[i]->geometry()) && fill.removeOne(labels[j])) again = true;
        }
    }
    for (QLabel *label : fill) Fill(label, true);
}

namespace {
bool drawingBeneath = false;   // labels beneath a filled one are being drawn into it
}

// The container's colour, then the parts of the shown labels beneath the label
// as they draw themselves over it, bottom first. What they draw is kept while
// they stay as they are.
void LabelText::DrawBeneath(QLabel *label, QPainter &painter)
{
    const QWidget *parent = label->parentWidget();
    // A container that no longer fills its background itself (its filling
    // turned off since) has what is beneath it in the label's own colour.
    QBrush fill = PlainFill(parent);
    if (fill.style() == Qt::NoBrush) fill = label->palette().brush(label->backgroundRole());
    if (fill.style() == Qt::SolidPattern) painter.fillRect(label->rect(), fill.color());
    else painter.fillRect(label->rect(), fill);
    const QRect place = label->geometry();
    std::vector<Underlay::Label> now;
    QRect covered;
    for (QObject *o : parent->children()) {
        if (o == label) break;
        const auto *beneath = qobject_cast<const QLabel *>(o);
        if (!beneath || !beneath->isVisible() || !beneath->geometry().intersects(place)) continue;
        now.push_back({beneath, beneath->geometry(), beneath->text(), beneath->isEnabled()});
        covered |= beneath->geometry() & place;
    }
    if (now.empty()) return;
    // Drawn over the colour in a picture of their own, in the form the label
    // is drawn in, as they would be drawn where they are.
    const qreal ratio = label->devicePixelRatioF();
    const QImage *device = dynamic_cast<const QImage *>(painter.paintEngine()->paintDevice());
    const QImage::Format format = device ? device->format() : QImage::Format_RGB32;
    Underlay &kept = underlays_[label];
    if (!kept.valid || kept.labels != now || kept.covered != covered || kept.fill != fill.color() ||
        kept.picture.devicePixelRatio() != ratio || kept.picture.format() != format) {
        kept.picture = QImage(covered.size() * ratio, format);
        kept.picture.setDevicePixelRatio(ratio);
        kept.picture.fill(fill.color());
        drawingBeneath = true;
        for (const Underlay::Label &b : now) {
            auto *beneath = const_cast<QLabel *>(b.label);
            const QRect both = b.place & covered;
            beneath->render(&kept.picture, both.topLeft() - covered.topLeft(), QRegion(both.translated(-b.place.topLeft())),
                            QWidget::DrawChildren);
        }
        drawingBeneath = false;
        kept = {kept.picture, covered, fill.color(), std::move(now), true};
    }
    painter.drawImage(covered.topLeft() - place.topLeft(), kept.picture);
}

bool LabelText::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    const int roles = label ? roles_.value(label) : 0;
    switch (event->type()) {
    case QEvent::Paint:
        if (roles & Beneath && !drawingBeneath) {
            // Qt paints the label only where no opaque label lies over it:
            // those over it draw their part of it again.
            const QRect place = label->geometry();
            bool above = false;
            for (QObject *o : label->parentWidget()->children()) {
                above = above || o == label;
                auto *over = qobject_cast<QLabel *>(o);
                if (above && over && roles_.value(over) & Filled && over->geometry().intersects(place)) {
                    underlays_[over].valid = false;
                    over->update((over->geometry() & place).translated(-over->pos()));
                }
            }
        }
        if (roles & Filled) {
            // What is beneath and the text with one painter; the label draws a text the table cannot.
            QPainter painter(label);
            DrawBeneath(label, painter);
            return Draw(label, &painter);
        }
        return roles & Text && Draw(label);
    // A container whose colour is no longer a plain one paints beneath the label again.
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        if (roles & Filled) {
            Fill(label, false);
            if (MayFill(label)) Fill(label, true);
            else label->update();
        }
        break;
    default: break;
    }
    return false;
}

bool LabelText::Draw(QLabel *label, QPainter *into)
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

    std::optional<QPainter> own;
    QPainter &painter = into ? *into : own.emplace(label);
    QStyleOption option;
    option.initFrom(label);
    painter.setPen(QPen(option.palette.brush(label->foregroundRole()), painter.pen().widthF()));
    QGlyphRun run;
    run.setRawFont(table.raw);
    run.setRawData(glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
    painter.drawGlyphRun(QPointF(r.x() + left, r.y() + top), run);
    return true;
}
