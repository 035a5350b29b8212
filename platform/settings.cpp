#include "platform/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/notifier.h"

namespace {
QString &OverridePath()
{
    static QString path;
    return path;
}
} // namespace

QString SettingsStore::FilePath()
{
    if (!OverridePath().isEmpty()) return OverridePath();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + "/Dravelon/KAVUAnalyser.ini";
}

QString SettingsStore::Folder() { return QFileInfo(FilePath()).absolutePath(); }

void SettingsStore::SetFilePathForTesting(const QString &path) { OverridePath() = path; }

SettingsStore::SettingsStore(Mode mode)
{
    QString path = FilePath();
    if (mode == Mode::ReadOnly && !QFileInfo::exists(path)) return;
    if (mode == Mode::Create) QDir().mkpath(QFileInfo(path).absolutePath());
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings_->status() != QSettings::NoError) settings_.reset();
}

SettingsStore::~SettingsStore()
{
    if (settings_) settings_->sync();
}

bool SettingsStore::Has(const QString &name) const { return settings_ && settings_->contains(name); }

std::optional<QString> SettingsStore::ReadString(const QString &name) const
{
    if (!Has(name)) return std::nullopt;
    QVariant v = settings_->value(name);
    if (v.typeId() != QMetaType::QString) return std::nullopt;
    return v.toString();
}

std::optional<QByteArray> SettingsStore::ReadBinary(const QString &name) const
{
    if (!Has(name)) return std::nullopt;
    QVariant v = settings_->value(name);
    if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
    return v.toByteArray();
}

std::optional<int> SettingsStore::ReadInt(const QString &name) const
{
    if (!Has(name)) return std::nullopt;
    bool ok = false;
    int v = settings_->value(name).toString().trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

void SettingsStore::WriteString(const QString &name, const QString &value)
{
    if (settings_) settings_->setValue(name, value);
}

void SettingsStore::WriteBinary(const QString &name, const QByteArray &value)
{
    if (settings_) settings_->setValue(name, value);
}

void SettingsStore::WriteInt(const QString &name, int value)
{
    if (settings_) settings_->setValue(name, value);
}

void SettingsStore::Remove(const QString &name)
{
    if (settings_) settings_->remove(name);
}

void SettingsStore::Sync()
{
    if (settings_) settings_->sync();
}

bool SettingsStore::Commit()
{
    Sync();
    if (settings_ && settings_->status() == QSettings::NoError) return true;
    Notifier::Error("Cannot store the settings in " + QDir::toNativeSeparators(FilePath()));
    return false;
}
