#include "platform/trafficpane.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

// The text as a document holds it once set: each line end one LF.
QString AsDocument(const QString &text)
{
    if (!text.contains(u'\r')) return text;
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

// The document's text, each block end an LF (no-break spaces kept as they are).
QString DocumentText(const QTextDocument *document)
{
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// How many characters at the front of shown go, so that the rest begins next;
// -1 when the two share too little for an edit to be worth it. The start of
// next is looked for in shown, and each place found is checked to the end.
qsizetype FallenOff(QStringView shown, QStringView next)
{
    constexpr qsizetype Probe = 32;
    constexpr int Tries = 16;   // a text of many equal lines has many places to try
    if (next.size() < Probe || shown.size() < Probe) return -1;
    const QStringView probe = next.left(Probe);
    qsizetype from = std::max<qsizetype>(0, shown.size() - next.size());
    for (int tried = 0; tried < Tries; ++tried) {
        const qsizetype at = shown.indexOf(probe, from);
        if (at < 0 || shown.size() - at < Probe) return -1;
        if (shown.mid(at) == next.left(shown.size() - at)) return at;
        from = at + 1;
    }
    return -1;
}

} // namespace

TrafficPane::TrafficPane(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // An edit kept for undo would hold every line that ever went through.
    setUndoRedoEnabled(false);
}

void TrafficPane::ShowText(const QString &text)
{
    QTextDocument *doc = document();
    const QString next = AsDocument(text);
    const QString shown = DocumentText(doc);
    if (next != shown) {
        const qsizetype gone = FallenOff(shown, next);
        if (gone < 0) {
            setPlainText(next);
        } else {
            // Two edits, not one block of them: the layout then lays out again
            // only the lines each touched, not everything between the two.
            QTextCursor edit(doc);
            edit.setPosition(static_cast<int>(gone), QTextCursor::KeepAnchor);
            edit.removeSelectedText();
            edit.movePosition(QTextCursor::End);
            edit.insertText(next.mid(shown.size() - gone));
        }
    }
    moveCursor(QTextCursor::End);
    FollowEnd();
}

void TrafficPane::FollowEnd()
{
    if (follow_ == Follow::Caret) {
        ensureCursorVisible();
    } else {
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

// A line wider than the pane shows the horizontal bar a moment after it came
// in, and the bar takes the bottom row from the view: the end is brought into
// view again, not left under the bar. So too when the pane is made smaller.
void TrafficPane::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    if (!hasFocus()) FollowEnd();
}
