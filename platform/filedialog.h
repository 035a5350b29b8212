// Open and save dialogs behind a seam: the program asks the user through
// QFileDialog; tests install a responder that answers instead.
#pragma once

#include <QString>
#include <functional>

class QWidget;

class FileDialog {
public:
    enum class Kind { Open, Save };

    Kind DialogKind = Kind::Open;
    QString Title;
    QString Filter;        // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    QString DefaultExt;    // without the dot
    QString InitialDir;
    QString FileName;      // in: proposed name; out: the chosen name
    bool OverwritePrompt = false;

    explicit FileDialog(Kind kind = Kind::Open) : DialogKind(kind) {}

    // Runs the dialog; true when the user confirmed a name (then in FileName).
    bool Execute(QWidget *parent = nullptr);

    // A responder gets the dialog and returns true with FileName set, or false
    // for a cancel. An empty responder restores the real dialog.
    using Responder = std::function<bool(FileDialog &)>;
    static void SetResponder(Responder responder);

    // "Text files (*.txt)|*.txt|..." in Qt's form "Text files (*.txt);;...".
    static QString QtFilter(const QString &filter);
};
