#include "dryrun.h"

#include <QHash>

namespace kn {

namespace {

class DryRunSettingsStore final : public SettingsStore {
public:
    explicit DryRunSettingsStore(std::shared_ptr<SettingsStore> base) : base_(std::move(base)) {}

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override
    {
        const auto kept = written_.constFind(name(application, section, key));
        return kept != written_.cend() ? *kept : base_->read(application, section, key, defaultValue);
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

std::unique_ptr<SettingsStore> makeDryRunSettingsStore(std::shared_ptr<SettingsStore> base)
{
    return std::make_unique<DryRunSettingsStore>(std::move(base));
}

} // namespace kn
