// Message boxes. The program shows a modal box; tests install a sink that
// records caption and text instead.
#pragma once

#include <QString>
#include <functional>

class QWidget;

class Notifier {
public:
    using Sink = std::function<void(const QString &caption, const QString &text)>;

    // An OK box with the given caption and text (padding blanks kept).
    static void Show(const QString &caption, const QString &text, QWidget *parent = nullptr);
    static void Error(const QString &text, QWidget *parent = nullptr) { Show("Error...", text, parent); }

    // True while a box is open: the data path does not re-enter then.
    static bool BoxOpen();

    // Replaces the box by a sink (tests); an empty sink restores the box.
    static void SetSink(Sink sink);
};
