// docs/formats.md describes each package's file and shows the first lines that its writer makes
// of examples/payments.txt. The description is written by hand; the sample lines in the "```text"
// block under each "## <code>" heading come from here, so they cannot drift from the writers.
// The test fails when the committed document differs; scripts/update-formats-doc rewrites it.
#include "prompttestsupport.h"

#include "core/audit.h"
#include "host/auditreport.h"
#include "writers/packagetable.h"

#include <QDir>
#include <QSet>

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

QString fromRepository(const QString& relativePath)
{
    return QDir::cleanPath(dataPath(QStringLiteral("../../") + relativePath));
}

// Header rows (IIF and QIF begin theirs with "!") and the three lines after them. TABs are shown as
// arrows, so that they cannot be taken for blanks.
struct Sample {
    QStringList lines;
    QString audit;
};

const QString kAuditPrefix = QStringLiteral("The audit of the example: ");

Sample sampleOf(const PackageRow& row)
{
    Harness harness;
    // The packages that ask get the demonstration's answers; FAS keeps its number two folders up.
    scriptedPrompter(harness, demoAnswers(QDate(2014, 9, 2)));
    QDir(harness.path(QString())).mkpath(QStringLiteral("export"));
    const QString output = harness.path(QStringLiteral("export/GLEXP20140902.txt"));
    harness.convert(QString::fromLatin1(row.code), fromRepository(QStringLiteral("examples/payments.txt")), output,
                    QString::fromLatin1(row.fullTitle));
    const QStringList lines = outputLines(readBytes(output));
    qsizetype shown = 0;
    while (shown < lines.size() && lines[shown].startsWith(u'!'))
        ++shown;
    QStringList sample = lines.mid(0, shown + 3);
    for (QString& line : sample)
        line.replace(u'\t', QChar(0x2192));
    return {sample, kAuditPrefix + auditSummary(harness.converter().LastAudit()) + u'.'};
}

// The document with every package's sample block made anew; a package without a section gets one
// at the end.
QString withFreshSamples(const QString& document)
{
    QStringList out;
    QSet<QString> described;
    const PackageRow* section = nullptr;
    const QStringList lines = document.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out << lines[i];
        if (lines[i].startsWith(QLatin1String("## "))) {
            section = findPackageRow(packageTable(), lines[i].mid(3).section(u' ', 0, 0));
            if (section != nullptr)
                described << QString::fromLatin1(section->code);
        } else if (lines[i] == QLatin1String("```text") && section != nullptr) {
            const Sample sample = sampleOf(*section);
            out << sample.lines;
            while (i + 1 < lines.size() && lines[i + 1] != QLatin1String("```"))
                ++i;
            out << QStringLiteral("```") << QString() << sample.audit;
            ++i;
            if (i + 2 < lines.size() && lines[i + 1].isEmpty() && lines[i + 2].startsWith(kAuditPrefix))
                i += 2;
            section = nullptr;
        }
    }
    for (const PackageRow& row : packageTable()) {
        if (described.contains(QString::fromLatin1(row.code)))
            continue;
        if (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        out << QString() << QStringLiteral("## %1 %2").arg(QLatin1String(row.code), QLatin1String(row.fullTitle));
        const Sample sample = sampleOf(row);
        out << QString() << QStringLiteral("```text") << sample.lines << QStringLiteral("```") << QString() << sample.audit
            << QString();
    }
    return out.join(u'\n');
}

} // namespace

TEST(FormatsDocument, ShowsWhatEachWriterMakesOfTheExample)
{
    const QString path = fromRepository(QStringLiteral("docs/formats.md"));
    const QString committed = QString::fromUtf8(readBytes(path));
    const QString expected = withFreshSamples(committed);
    if (qEnvironmentVariableIsSet("KN_UPDATE_FORMATS")) {
        writeBytes(path, expected.toUtf8());
        return;
    }
    EXPECT_EQ(committed, expected) << "docs/formats.md is out of date: run scripts/update-formats-doc";
}
