#include <cstdio>
#include <exception>

#include "app/application.h"
#include "app/forms.h"
#include "app/mainform.h"

int main(int argc, char **argv)
{
    KavuApplication app(argc, argv);
    int rc = 1;
    try {
        CreateForms();
        MainForm->show();
        if (app.arguments().contains("--ready")) {
            std::setvbuf(stdout, nullptr, _IOLBF, 0);
            std::printf("ready\n");
        }
        rc = app.exec();
    } catch (const std::exception &e) {
        KavuApplication::ShowException(e.what());
    } catch (...) {
        KavuApplication::ShowException("Unknown error");
    }
    DestroyForms();
    return rc;
}
