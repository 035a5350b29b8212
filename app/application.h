// The application object: an exception that escapes an event handler is shown
// to the user and the program goes on.
#pragma once

#include <QApplication>

inline constexpr const char *ApplicationTitle = "Roduz/Everore Ved Ovuvozed";

class KavuApplication : public QApplication {
public:
    KavuApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    static void ShowException(const char *what);
};
