// The bundled sample replayed through the router with every window open: each
// log window must end up showing exactly the checked-in text. Run with
// KAVU_UPDATE_GOLDEN=1 to write the expected texts again (on purpose only).
#include <QDir>

#include "gui_test_support.h"

namespace {

const char *const kGoldenDir = KAVU_SOURCE_DIR "/tests/golden";

const std::vector<std::pair<const char *, QString>> kWindows = {
    {"TOAA1", "toaa"},     {"DASFA1", "dasfa"},   {"HDGLA1", "hdgla"},   {"NOTCHA1", "notcha"},
    {"PTNTA1", "ptnta"},   {"SYNCA1", "synca"},   {"GPPOSA1", "gpposa"}, {"LCPOSA1", "lcposa-coarse"},
    {"LCPOSA2", "lcposa-autonomous"}, {"LCPOSA3", "lcposa-asf"}, {"LCPOSA4", "lcposa-calibrated"},
    {"INPOSA1", "inposa"}, {"GPGGA1", "gpgga"},
};

QString GoldenPath(const QString &name) { return QString(kGoldenDir) + "/" + name + ".txt"; }

LogForm *Open(const char *item)
{
    QAction *action = MainForm->findChild<QAction *>(item);
    action->trigger();
    return action->isChecked() ? qobject_cast<LogForm *>(MainForm->WindowOf(action)) : nullptr;
}

} // namespace

class GoldenTest : public WindowTest {};

TEST_F(GoldenTest, TheSampleFillsEveryLogWindowAsExpected)
{
    CreateForms();
    MainForm->show();
    std::vector<LogForm *> forms;
    for (auto &[item, name] : kWindows) {
        forms.push_back(Open(item));
        ASSERT_NE(forms.back(), nullptr) << item;
    }
    Item("SerialMonitor1")->trigger();
    Item("TDPlot1")->trigger();
    ASSERT_GT(FeedSample().size(), 1000000);
    QCoreApplication::processEvents();

    bool update = qEnvironmentVariableIsSet("KAVU_UPDATE_GOLDEN");
    if (update) QDir().mkpath(kGoldenDir);
    for (size_t i = 0; i < kWindows.size(); ++i) {
        QString path = GoldenPath(kWindows[i].second);
        QByteArray shown = Dump(forms[i]).toUtf8();
        if (update) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
            f.write(shown);
            continue;
        }
        EXPECT_EQ(shown.toStdString(), ReadBytes(path).toStdString()) << "differs from " << path.toStdString();
    }
    EXPECT_TRUE(boxes.empty());
}

// Received while every window was closed: a window opened afterwards shows the
// last line of its kind just as if it had been open all along. The Loran
// solution windows pair positions with residuals and keep no such line.
TEST_F(GoldenTest, WindowsOpenedAfterTheSampleShowItsLastLines)
{
    CreateForms();
    MainForm->show();
    FeedSample();
    for (auto &[item, name] : kWindows) {
        if (QString(item).startsWith("LCPOSA")) continue;
        LogForm *form = Open(item);
        ASSERT_NE(form, nullptr) << item;
        EXPECT_EQ(Dump(form).toStdString(), ReadBytes(GoldenPath(name)).toStdString()) << item;
    }
    EXPECT_TRUE(boxes.empty());
}
