#include "platform/notifier.h"

#include <QApplication>
#include <QMessageBox>

namespace {
Notifier::Sink &CurrentSink()
{
    static Notifier::Sink sink;
    return sink;
}
int openBoxes = 0;
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
    box.exec();
    --openBoxes;
}

bool Notifier::BoxOpen() { return openBoxes > 0; }

void Notifier::SetSink(Sink sink) { CurrentSink() = std::move(sink); }
