// The settings store: one INI file in place of the registry key
// HKEY_CURRENT_USER\software\Dravelon\KAVUAnalyser. Value names are kept as they are.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QSettings;

inline constexpr const char *RegistryKey = "software\\Dravelon\\KAVUAnalyser";

class SettingsStore {
public:
    enum class Mode { ReadOnly, Create };

    // Opens the store. ReadOnly fails (IsOpen false) when nothing was ever stored.
    explicit SettingsStore(Mode mode = Mode::ReadOnly);
    ~SettingsStore();

    bool IsOpen() const { return settings_ != nullptr; }

    bool Has(const QString &name) const;
    std::optional<QString> ReadString(const QString &name) const;     // only a text value
    std::optional<QByteArray> ReadBinary(const QString &name) const;  // only a binary value
    // A whole number stored as text or number; nullopt when missing or not a number.
    std::optional<int> ReadInt(const QString &name) const;
    void WriteString(const QString &name, const QString &value);
    void WriteBinary(const QString &name, const QByteArray &value);
    void WriteInt(const QString &name, int value);
    void Remove(const QString &name);
    void Sync();
    // Writes what was set to the file. A store that could not be opened or
    // written says so through the notifier and gives false.
    bool Commit();

    // The INI file and the folder beside it (e.g. for port links).
    static QString FilePath();
    static QString Folder();
    // Tests point the store at a throw-away file.
    static void SetFilePathForTesting(const QString &path);

private:
    std::unique_ptr<QSettings> settings_;
};
