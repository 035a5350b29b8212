// The colour dialog behind a seam: the program asks through QColorDialog;
// tests install a responder that answers instead.
#pragma once

#include <QColor>
#include <functional>

class QWidget;

class ColorDialog {
public:
    QColor Color = Qt::black;   // in: the preset colour; out: the chosen one

    // Runs the dialog; true when the user chose a colour (then in Color).
    bool Execute(QWidget *parent = nullptr);

    // A responder gets the dialog and returns true with Color set, or false for
    // a cancel. An empty responder restores the real dialog.
    using Responder = std::function<bool(ColorDialog &)>;
    static void SetResponder(Responder responder);
};
