#pragma once

#include <QString>

#include <map>
#include <memory>
#include <tuple>

namespace kn {

// Remembered answers, by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Fails with Path/File access error (75), the detail naming the file and why, when the store
    // cannot be read or does not parse; such a store is then never written.
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
    // Fails with the file system's number when the store cannot be written.
    virtual void write(const QString& application, const QString& section, const QString& key,
                       const QString& value) = 0;
};

// The current user's own settings store (QSettings' native per-user location).
std::unique_ptr<SettingsStore> makeUserSettingsStore();
// A store kept in one INI file, for scripted runs and tests: "[<application>/<section>]" groups.
std::unique_ptr<SettingsStore> makeIniSettingsStore(const QString& iniPath);

// Holds the answers of one conversion until it has succeeded: a conversion that fails saves
// nothing. Reads see the held answers first.
class PendingSettings final : public SettingsStore {
public:
    explicit PendingSettings(SettingsStore& store) : store_(store) {}

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) override;
    void commit();

private:
    SettingsStore& store_;
    std::map<std::tuple<QString, QString, QString>, QString> pending_;
};

} // namespace kn
