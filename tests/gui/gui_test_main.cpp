#include <QDir>
#include <QTemporaryDir>

#include "app/application.h"
#include "gui_test_support.h"

int main(int argc, char **argv)
{
    // Discovery runs this at build time without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    KavuApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir settingsDir{QDir::tempPath() + "/kavu-XXXXXX"};
    SettingsStore::SetFilePathForTesting(settingsDir.filePath("Dravelon/KAVUAnalyser.ini"));
    return RUN_ALL_TESTS();
}
