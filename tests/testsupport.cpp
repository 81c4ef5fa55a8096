#include "testsupport.h"

#include "core/codepage.h"

#include <gtest/gtest.h>

namespace kn::testing {

int errorNumber(const std::function<void()>& call)
{
    try {
        call();
    } catch (const KNError& error) {
        return error.number();
    }
    return 0;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray crlfLines(const QStringList& lines)
{
    static const CodePage windows1252;
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += windows1252.encode(line) + "\r\n";
    return bytes;
}

QString dataPath(const QString& name)
{
    return QStringLiteral(KN_TEST_DATA "/") + name;
}

Harness::Harness(const QString& localeName, QDate today) : converter_(std::make_unique<KNExport>())
{
    converter_->setRegionalSettings(RegionalSettings::named(localeName));
    converter_->setSettingsStore(makeIniSettingsStore(dir_.filePath(QStringLiteral("settings.ini"))));
    converter_->setClock(std::make_shared<FixedClock>(today));
    QObject::connect(converter_.get(), &KNExport::Status, [this](const QString& text) { events << text; });
    QObject::connect(converter_.get(), &KNExport::ProcessComplete, [this] { events << QStringLiteral("<ProcessComplete>"); });
    QObject::connect(converter_.get(), &KNExport::Error, [this](int number, const QString& description, const QString& location) {
        events << QStringLiteral("<Error %1 %2 %3>").arg(number).arg(description, location);
    });
}

QString Harness::writePayments(const QStringList& detailLines, const QString& header)
{
    const QString input = path(QStringLiteral("payments.txt"));
    writeBytes(input, crlfLines(QStringList{header} + detailLines));
    return input;
}

bool Harness::convert(const QString& code, const QString& input, const QString& output, const QString& title,
                      const QString& currency)
{
    events.clear();
    failure.reset();
    try {
        return converter_->ConvertKNtoGLSpecific(code, input, output, title, currency);
    } catch (const KNError& error) {
        failure = error;
        return false;
    }
}

} // namespace kn::testing
