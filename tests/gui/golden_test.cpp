// The bundled sample replayed through the router with every window open: each
// log window must end up showing exactly the checked-in text. Run with
// KAVU_UPDATE_GOLDEN=1 to write the expected texts again (on purpose only).
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <algorithm>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "link/monitorform.h"
#include "logs/logform.h"
#include "plots/tdplot.h"
#include "ui_mainform.h"

namespace {

const char *const kSample = KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log";
const char *const kGoldenDir = KAVU_SOURCE_DIR "/tests/golden";

// A window's caption, its labels top to bottom and left to right, then its grid.
QString Dump(LogForm *form)
{
    QStringList out;
    out << "caption: " + form->windowTitle();
    QList<QLabel *> labels = form->Client()->findChildren<QLabel *>();
    std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    for (QLabel *label : labels)
        if (!label->objectName().startsWith("Label")) out << label->objectName() + ": " + label->text();
    if (LogGrid *grid = form->Grid) {
        for (int r = 0; r < grid->RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->columnCount(); ++c) cells << grid->Cell(c, r);
            out << "|" + cells.join("|") + "|";
        }
    }
    return out.join("\n") + "\n";
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class GoldenTest : public WindowTest {};

TEST_F(GoldenTest, TheSampleFillsEveryLogWindowAsExpected)
{
    QByteArray sample = ReadFile(kSample);
    ASSERT_GT(sample.size(), 1000000) << kSample;

    CreateForms();
    MainForm->show();
    Ui::TMainForm &ui = *MainForm->ui;
    const std::vector<std::pair<QAction *, QString>> windows = {
        {ui.TOAA1, "toaa"},    {ui.DASFA1, "dasfa"},        {ui.HDGLA1, "hdgla"},     {ui.NOTCHA1, "notcha"},
        {ui.PTNTA1, "ptnta"},  {ui.SYNCA1, "synca"},        {ui.GPPOSA1, "gpposa"},   {ui.LCPOSA1, "lcposa-coarse"},
        {ui.LCPOSA2, "lcposa-autonomous"}, {ui.LCPOSA3, "lcposa-asf"}, {ui.LCPOSA4, "lcposa-calibrated"},
        {ui.INPOSA1, "inposa"}, {ui.GPGGA1, "gpgga"},
    };
    for (auto &[item, name] : windows) {
        item->trigger();
        ASSERT_TRUE(item->isChecked()) << name.toStdString();
    }
    ui.SerialMonitor1->trigger();
    ui.TDPlot1->trigger();

    // In pieces of odd sizes, as a serial port or a socket would deliver them.
    for (qsizetype at = 0, piece = 1; at < sample.size(); at += piece, piece = piece % 1499 + 97)
        MainForm->ReceiveData(sample.mid(at, piece));
    QCoreApplication::processEvents();

    bool update = qEnvironmentVariableIsSet("KAVU_UPDATE_GOLDEN");
    if (update) QDir().mkpath(kGoldenDir);
    for (auto &[item, name] : windows) {
        auto *form = qobject_cast<LogForm *>(MainForm->WindowOf(item));
        ASSERT_NE(form, nullptr) << name.toStdString();
        QString path = QString(kGoldenDir) + "/" + name + ".txt";
        QByteArray shown = Dump(form).toUtf8();
        if (update) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
            f.write(shown);
            continue;
        }
        EXPECT_EQ(shown.toStdString(), ReadFile(path).toStdString()) << "differs from " << path.toStdString();
    }
    EXPECT_TRUE(boxes.empty());
}
