// A settings file as any program may have left it: read, and written only when it read.
#include "fuzzinput.h"

#include "core/knerror.h"
#include "core/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    const QString key = input.takeText();
    const QByteArray bytes = input.rest();
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    const auto store = makeIniSettingsStore(path);
    bool read = false;
    try {
        store->read(QStringLiteral("Kaprin Desk 6"), QStringLiteral("Settings"), key, QString());
        read = true;
    } catch (const KNError&) {
    }
    try {
        if (read)
            store->write(QStringLiteral("Kaprin Desk 6"), QStringLiteral("Settings"), QStringLiteral("MYOBDate"), key);
    } catch (const KNError&) {
    }
    // A file that did not read is never rewritten.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    if (!read && file.readAll() != bytes)
        std::abort();
    return 0;
}
