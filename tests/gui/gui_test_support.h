// Shared fixture of the window tests: a fresh set of windows per test, message
// boxes and file dialogs answered by the test, settings in a throw-away file.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <ostream>
#include <utility>
#include <vector>

#include "app/forms.h"
#include "platform/filedialog.h"
#include "platform/notifier.h"
#include "platform/settings.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

class WindowTest : public ::testing::Test {
protected:
    std::vector<std::pair<QString, QString>> boxes;   // caption, text
    QStringList dialogAnswers;                        // next file names; empty means cancel

    void SetUp() override
    {
        QFile::remove(SettingsStore::FilePath());
        Notifier::SetSink([this](const QString &c, const QString &t) { boxes.emplace_back(c, t); });
        FileDialog::SetResponder([this](FileDialog &d) {
            if (dialogAnswers.isEmpty()) return false;
            d.FileName = dialogAnswers.takeFirst();
            return true;
        });
    }
    void TearDown() override
    {
        DestroyForms();
        Notifier::SetSink({});
        FileDialog::SetResponder({});
    }
    void WriteSetting(const QString &name, const QString &value)
    {
        SettingsStore store(SettingsStore::Mode::Create);
        store.WriteString(name, value);
    }
};
