#pragma once

#include <QString>

#include <memory>

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
// A store that keeps what is written in memory until it is released and touches no file: it reads
// back what was written, else what `base` holds (nothing when null). Over the user's store it is a
// dry run that saves nothing; alone, it serves conversions run wholly in memory.
std::unique_ptr<SettingsStore> makeMemorySettingsStore(std::shared_ptr<SettingsStore> base = nullptr);

} // namespace kn
