#include "app/application.h"

#include <QFont>
#include <QIcon>
#include <exception>

#include "platform/locale.h"
#include "platform/notifier.h"

KavuApplication::KavuApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The title is the program's name on the desktop: the application name, which
    // the window class (what a task bar names the program by) is made of. It is
    // no display name, which would be appended to every window's caption. The
    // desktop file is named without the title's slash. The settings file has a
    // path of its own (platform/settings.cpp).
    setOrganizationName("Dravelon");
    setApplicationName(ApplicationTitle);
    setDesktopFileName("KAVUAnalyser");
    UseDotDecimalSeparator();
    Q_INIT_RESOURCE(resources);
    // Every text on whole pixels, as the windows' dialog font is (see platform/fonts.h).
    QFont font = QApplication::font();
    font.setHintingPreference(QFont::PreferFullHinting);
    QApplication::setFont(font);
    // The program's picture on every window: the frame, its children, the plots and the dialogs.
    setWindowIcon(QIcon(":/forms/program.svg"));
}

void KavuApplication::ShowException(const char *what)
{
    Notifier::Show(ApplicationTitle, QString::fromLocal8Bit(what && *what ? what : "Unknown error"));
}

bool KavuApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown error");
    }
    return false;
}
