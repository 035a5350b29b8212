#include "app/application.h"

#include <QFont>
#include <QIcon>
#include <exception>

#include "platform/locale.h"
#include "platform/notifier.h"

KavuApplication::KavuApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The program's name on the desktop: its application name, desktop file and
    // window class. No display name: Qt would append it to every window's caption.
    setOrganizationName("Dravelon");
    setApplicationName("KAVUAnalyser");
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
