#include "settingsstore.h"

#include "knerror.h"

#include <QSettings>

namespace kn {

namespace {

class QSettingsStore final : public SettingsStore {
public:
    // An empty path means the per-user store, one file per application.
    explicit QSettingsStore(QString iniPath) : iniPath_(std::move(iniPath)) {}

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override
    {
        auto settings = open(application);
        return settings->value(groupKey(application, section, key), defaultValue).toString();
    }

    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) override
    {
        auto settings = open(application);
        settings->setValue(groupKey(application, section, key), value);
        settings->sync();
        if (settings->status() != QSettings::NoError)
            throw KNError(ErrorCode::PathFileAccessError);
    }

private:
    std::unique_ptr<QSettings> open(const QString& application) const
    {
        if (iniPath_.isEmpty())
            return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                               QStringLiteral("DARODEV"), application);
        return std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
    }

    QString groupKey(const QString& application, const QString& section, const QString& key) const
    {
        if (iniPath_.isEmpty())
            return section + u'/' + key;
        return application + u'/' + section + u'/' + key;
    }

    QString iniPath_;
};

} // namespace

std::unique_ptr<SettingsStore> makeUserSettingsStore()
{
    return std::make_unique<QSettingsStore>(QString());
}

std::unique_ptr<SettingsStore> makeIniSettingsStore(const QString& iniPath)
{
    return std::make_unique<QSettingsStore>(iniPath);
}

} // namespace kn
