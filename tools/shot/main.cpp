// kavu-shot: opens the usual windows, feeds them part of a recorded log and
// saves a picture of the screen. A development tool for the README's pictures.
//   kavu-shot <log file> <bytes of it to feed> <out.png> [plots]
// With "plots" the picture shows the plot windows instead of the log windows.
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/application.h"
#include "app/forms.h"
#include "app/mainform.h"
#include "link/monitorform.h"
#include "plots/eurofixform.h"
#include "plots/fftplot.h"
#include "plots/headingform.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "ui_mainform.h"

int main(int argc, char **argv)
{
    KavuApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: kavu-shot <log file> <bytes> <out.png>\n");
        return 2;
    }
    QFile log(argv[1]);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QByteArray data = log.read(QByteArray(argv[2]).toLongLong());
    QString out = argv[3];
    bool plots = argc > 4 && QByteArray(argv[4]) == "plots";

    CreateForms();
    MainForm->show();
    MainForm->All1Click();   // the default logs, tiled
    // Without a window manager nothing maximises: give the frame the left of the screen.
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The frame takes what the TD plot, at its narrowest, leaves free.
    MainForm->setGeometry(0, 0, screen.width() - 780, screen.height());
    MainForm->ui->GPGGA1->trigger();
    for (qsizetype at = 0; at < data.size(); at += 1024) MainForm->ReceiveData(data.mid(at, 1024));
    QCoreApplication::processEvents();
    MainForm->WindowTileHorizontal1Execute();
    TDForm->ViewAll1Click();
    TDForm->show();
    TDForm->setGeometry(MainForm->width() + 4, 0, screen.width() - MainForm->width() - 8, screen.height() * 6 / 10);
    HeadingForm->move(MainForm->width() + 4, TDForm->frameGeometry().bottom() + 4);
    if (plots) {
        // The plot windows side by side over the frame, none covering another.
        PositionForm->show();
        PositionForm->move(0, 0);
        const QRect position = PositionForm->frameGeometry();
        FFTForm->show();
        FFTForm->setGeometry(position.right() + 4, 0, screen.width() - position.right() - 4, position.height());
        HeadingForm->show();
        HeadingForm->move(0, position.bottom() + 4);
        EurofixForm->show();
        EurofixForm->move(HeadingForm->frameGeometry().right() + 4, position.bottom() + 4);
        TDForm->hide();
    }
    if (MonitorForm) MonitorForm->RefreshPanes();

    QTimer::singleShot(1500, [out] {
        QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        bool ok = shot.save(out);
        std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(out));
        QCoreApplication::quit();
    });
    int rc = app.exec();
    DestroyForms();
    return rc;
}
