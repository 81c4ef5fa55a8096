#include "settingsstore.h"

#include "knerror.h"

#include <QFileInfo>
#include <QHash>
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
            throw KNError(ErrorCode::PathFileAccessError)
                .withDetail(QStringLiteral("settings file %1 could not be written").arg(settings->fileName()));
    }

private:
    // A file that cannot be read or parsed is refused before anything could rewrite it: QSettings
    // would otherwise write back only what it understood.
    std::unique_ptr<QSettings> open(const QString& application) const
    {
        auto settings = iniPath_.isEmpty()
                            ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                          QStringLiteral("DARODEV"), application)
                            : std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
        const QFileInfo file(settings->fileName());
        QString why;
        if (file.exists() && (!file.isFile() || !file.isReadable()))
            why = QStringLiteral("cannot be read");
        else if (settings->status() == QSettings::AccessError)
            why = QStringLiteral("cannot be read");
        else if (settings->status() == QSettings::FormatError)
            why = QStringLiteral("does not parse as an INI file");
        if (!why.isEmpty())
            throw KNError(ErrorCode::PathFileAccessError)
                .withDetail(QStringLiteral("settings file %1 %2").arg(settings->fileName(), why));
        return settings;
    }

    QString groupKey(const QString& application, const QString& section, const QString& key) const
    {
        if (iniPath_.isEmpty())
            return section + u'/' + key;
        return application + u'/' + section + u'/' + key;
    }

    QString iniPath_;
};

class MemorySettingsStore final : public SettingsStore {
public:
    explicit MemorySettingsStore(std::shared_ptr<SettingsStore> base) : base_(std::move(base)) {}

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override
    {
        const auto kept = written_.constFind(name(application, section, key));
        if (kept != written_.cend())
            return *kept;
        return base_ ? base_->read(application, section, key, defaultValue) : defaultValue;
    }
    void write(const QString& application, const QString& section, const QString& key, const QString& value) override
    {
        written_.insert(name(application, section, key), value);
    }

private:
    static QString name(const QString& application, const QString& section, const QString& key)
    {
        return application + u'\n' + section + u'\n' + key;
    }

    std::shared_ptr<SettingsStore> base_;
    QHash<QString, QString> written_;
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

std::unique_ptr<SettingsStore> makeMemorySettingsStore(std::shared_ptr<SettingsStore> base)
{
    return std::make_unique<MemorySettingsStore>(std::move(base));
}

} // namespace kn
