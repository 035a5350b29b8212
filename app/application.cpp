#include "app/application.h"

#include <exception>

#include "platform/locale.h"
#include "platform/notifier.h"

KavuApplication::KavuApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setOrganizationName("Dravelon");
    setApplicationName("KAVUAnalyser");
    setApplicationDisplayName(ApplicationTitle);
    UseDotDecimalSeparator();
    Q_INIT_RESOURCE(resources);
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
