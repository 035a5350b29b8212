#include "platform/controlwidths.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <algorithm>

int CaptionWidth(const QWidget *control, const QStringList &captions)
{
    const QFontMetrics metrics(control->font());
    QString widest;
    int text = 0;
    for (const QString &caption : captions) {
        const int width = metrics.size(Qt::TextShowMnemonic, caption).width();
        if (width > text) text = width, widest = caption;
    }
    const QSize content(text, metrics.height());
    QStyle *style = control->style();
    QStyleOptionButton option;
    option.initFrom(control);
    if (auto *button = qobject_cast<const QPushButton *>(control)) {
        if (button->autoDefault() || button->isDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        // Given no text, the style leaves out the least width it gives every
        // text button: the button is as wide as its caption needs.
        return style->sizeFromContents(QStyle::CT_PushButton, &option, content, control).width();
    }
    if (qobject_cast<const QRadioButton *>(control)) {
        option.text = widest;
        return style->sizeFromContents(QStyle::CT_RadioButton, &option, content, control).width();
    }
    if (qobject_cast<const QToolButton *>(control)) {
        // A tool button's text has a blank's width on either side.
        const QSize padded(text + 2 * metrics.horizontalAdvance(u' '), content.height());
        QStyleOptionToolButton tool;
        tool.initFrom(control);
        tool.toolButtonStyle = Qt::ToolButtonTextOnly;
        return style->sizeFromContents(QStyle::CT_ToolButton, &tool, padded, control).width();
    }
    if (auto *label = qobject_cast<const QLabel *>(control)) {
        const QMargins around = label->contentsMargins();
        return text + 2 * label->margin() + around.left() + around.right();
    }
    return text;
}

int CaptionWidth(const QWidget *control)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control)) return CaptionWidth(control, {button->text()});
    if (auto *label = qobject_cast<const QLabel *>(control)) return CaptionWidth(control, {label->text()});
    return 0;
}

std::vector<int> ShareOut(const std::vector<ControlWidth> &controls, int room)
{
    std::vector<int> widths;
    int preferred = 0, needed = 0, widest = 0;
    for (const ControlWidth &c : controls) {
        const int need = std::max(c.needed, c.least);
        preferred += std::max(c.preferred, need);
        needed += need;
        widest = std::max(widest, need);
    }
    if (room >= needed) {
        const int spare = preferred - needed, kept = std::min(room, preferred) - needed;
        for (const ControlWidth &c : controls) {
            const int need = std::max(c.needed, c.least), extra = std::max(c.preferred, need) - need;
            widths.push_back(need + (spare > 0 ? extra * kept / spare : 0));
        }
        return widths;
    }
    auto shareAt = [&](int cap) {
        int sum = 0;
        for (const ControlWidth &c : controls) sum += std::clamp(cap, c.least, std::max(c.needed, c.least));
        return sum;
    };
    int cap = widest;
    while (cap > 0 && shareAt(cap) > room) --cap;
    for (const ControlWidth &c : controls) widths.push_back(std::clamp(cap, c.least, std::max(c.needed, c.least)));
    return widths;
}
