#include "platform/notifier.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>

namespace {
Notifier::Sink &CurrentSink()
{
    static Notifier::Sink sink;
    return sink;
}
int openBoxes = 0;

// How wide a window must be for its caption to show whole in a window
// manager's title bar: the caption in bold, as title bars draw it, and beside
// it the window's icon and its iconify, maximise and close buttons, each about
// as wide as the bar is high, with the padding between and around them.
int TitleBarWidth(const QString &caption)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int button = metrics.height() + 8;
    return metrics.horizontalAdvance(caption) + 6 * button;
}
} // namespace

void Notifier::Show(const QString &caption, const QString &text, QWidget *parent)
{
    if (CurrentSink()) {
        CurrentSink()(caption, text);
        return;
    }
    ++openBoxes;
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);   // texts may carry what was received
    // A box sizes itself to its text; a row of the caption's width keeps a short
    // text from cutting the caption in the title bar.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        const int row = TitleBarWidth(caption) - margins.left() - margins.right();
        grid->addItem(new QSpacerItem(row, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
    --openBoxes;
}

bool Notifier::BoxOpen() { return openBoxes > 0; }

void Notifier::SetSink(Sink sink) { CurrentSink() = std::move(sink); }
