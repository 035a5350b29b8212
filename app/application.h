// The application object: an exception that escapes an event handler is shown
// to the user and the program goes on.
#pragma once

#include <QApplication>

// The application's title: its name on the desktop and the caption of the box
// that shows an exception no handler caught. It is never added to a window's
// caption. It holds a slash, so nothing may make a path of it: a temporary
// file or folder is always given its own name pattern.
inline constexpr const char *ApplicationTitle = "Roduz/Everore Ved Ovuvozed";

class KavuApplication : public QApplication {
public:
    KavuApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    static void ShowException(const char *what);
};
