// A settings write that fails is shown, never lost in silence: the settings
// file is put where it cannot be made (below a regular file; a read-only
// folder would not stop the root user).
#include <QDir>
#include <QTemporaryDir>

#include "gui_test_support.h"
#include "link/datasource.h"
#include "plots/positionform.h"

class SettingsWriteTest : public WindowTest {
protected:
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    const QString kept = SettingsStore::FilePath();
    QString blocked;

    void SetUp() override
    {
        WindowTest::SetUp();
        QFile file(dir.filePath("file"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        blocked = dir.filePath("file/Dravelon/KAVUAnalyser.ini");
        SettingsStore::SetFilePathForTesting(blocked);
        CreateForms();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        SettingsStore::SetFilePathForTesting(kept);
    }
};

TEST_F(SettingsWriteTest, EveryFailedWriteShowsWhereItFailed)
{
    const std::pair<QString, QString> failed{"Error...", "Cannot store the settings in " + blocked};
    MainForm->StorecurrentWindows1Click();
    PositionForm->Button4Click();
    EXPECT_EQ(boxes, (std::vector<std::pair<QString, QString>>(2, failed)));
    boxes.clear();
    DataSourceForm->LoadSettings(RegistryKey);
    DestroyForms();   // the data-source window and the compass store theirs
    EXPECT_EQ(boxes, (std::vector<std::pair<QString, QString>>(2, failed)));
}
