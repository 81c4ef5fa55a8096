#include "testsupport.h"

#include "core/codepage.h"
#include "writers/packagetable.h"

#include <QDir>
#include <QFileInfo>

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
    converter_->setPackageTable(packageTable());
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

TransRecord sampleRecord(const QString& payee)
{
    const QString ledger = QStringLiteral("5100|10|AB");
    return TransRecord({QStringLiteral("100234"), payee, ledger, ledger, QString(), QStringLiteral("INV-1"), QStringLiteral("Electricity")},
                       Money::fromWhole(125),
                       CalDate::fromYmd(2014, 8, 25));
}

WriterRun runWriter(const QString& code, const QList<TransRecord>& records, const WriterSetup& setup)
{
    TransRecords collection;
    for (const TransRecord& record : records)
        collection.Append(std::make_shared<TransRecord>(record));
    QTemporaryDir dir;
    const QString output = dir.filePath(setup.fileName);
    const RegionalSettings regional = RegionalSettings::named(setup.locale);
    const CodePage codePage;
    const auto settings = makeIniSettingsStore(dir.filePath(QStringLiteral("settings.ini")));
    RefusingPrompter prompter;
    const FixedClock clock(QDate(2014, 9, 2));
    const QString title = QStringLiteral("Package");
    const QString application = QStringLiteral("Kaprin Desk 6");
    WriterRun run;
    AuditRecorder recorder(run.audit);
    const WriterContext context{collection, setup.header, setup.currency, title, output, application, regional, codePage,
                                *settings, WriterPrompter{prompter, {regional, codePage, clock}}, clock,
                                [](const QString&) {}, recorder};
    const PackageRow* row = findPackageRow(packageTable(), code);
    EXPECT_NE(row, nullptr) << code.toStdString();
    if (row == nullptr)
        return run;
    try {
        run.result = runLedgerWriter(*row, context);
    } catch (const KNError& error) {
        run.failure = error;
    }
    run.bytes = readBytes(output);
    return run;
}

QStringList outputLines(const QByteArray& bytes)
{
    static const CodePage windows1252;
    QStringList lines = windows1252.decode(std::string_view(bytes.constData(), std::size_t(bytes.size())))
                            .split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

::testing::AssertionResult matchesGolden(const QByteArray& actual, const QString& name)
{
    if (QFile::exists(dataPath(name)) && readBytes(dataPath(name)) == actual)
        return ::testing::AssertionSuccess();
    const QDir actualFolder(QDir::temp().filePath(QStringLiteral("kn-golden-actual")));
    actualFolder.mkpath(QStringLiteral("."));
    QFile file(actualFolder.filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(actual);
    return ::testing::AssertionFailure() << name.toStdString() << " differs; the output is in "
                                         << QFileInfo(file).absoluteFilePath().toStdString();
}

} // namespace kn::testing
