// The AccPac writer with its fiscal period and the FAS writer with its institution number file.
#include "prompttestsupport.h"

#include <QDir>

using namespace kn;
using namespace kn::testing;

namespace {

const QStringList kImportEvents{QStringLiteral("Reading the Kaprin File..."), QStringLiteral("Importing Kaprin File..."),
                                QStringLiteral("Kaprin File Import Complete...")};

QString data(const char* name)
{
    return dataPath(QString::fromLatin1(name));
}

TEST(AccPacAndFAS, FilesStatusTextsAndTheNumberFileMatch)
{
    const std::tuple<const char*, const char*, const char*, ScriptedAnswers, const char*, const char*> cases[] = {
        // package, locale, payment file, answers, currency, golden
        {"08", "en_US", "payments-prompted.txt", {{}, " 2014 ", "07", {}}, "CAD", "accpac-en_US.txt"},
        {"08", "fr_CA", "payments-whole.txt", {{}, "2017", "15", {}}, "CAD", "accpac-whole-fr_CA.txt"},
        {"17", "en_US", "payments-prompted.txt", {{}, {}, {}, "0042001"}, "", "fas-en_US.txt"},
        {"17", "de_DE", "payments-whole.txt", {{}, {}, {}, "0042001"}, "  usd  ", "fas-whole-de_DE.txt"},
    };
    for (const auto& [code, locale, input, answers, currency, golden] : cases) {
        SCOPED_TRACE(golden);
        const bool fas = QLatin1String(code) == u"17";
        Harness h(QString::fromLatin1(locale));
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        scriptedPrompter(h, answers);
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        ASSERT_TRUE(h.convert(QLatin1String(code), data(input), output, QStringLiteral("Package"), QLatin1String(currency)));
        EXPECT_TRUE(matchesGolden(readBytes(output), QString::fromLatin1(golden)));
        EXPECT_EQ(readBytes(h.path(QStringLiteral("clinic/FASINSTNUM"))), fas ? QByteArray("0042001\r\n") : QByteArray());
        const QStringList writerEvents{fas ? QStringLiteral("Processing FAS File...") : QStringLiteral("Processing AccPac..."),
                                       QStringLiteral("Opening the Export File..."), QStringLiteral("Processing transactions..."),
                                       fas ? QStringLiteral("Closing File...") : QStringLiteral("Closing the file..."),
                                       QStringLiteral("<ProcessComplete>")};
        EXPECT_EQ(h.events, kImportEvents + writerEvents);
    }
}

TEST(AccPac, ARefusedFiscalPeriodRaisesNoStatusAndLeavesTheFile)
{
    const std::tuple<std::optional<QString>, std::optional<QString>, const char*> cases[] = {
        // year, period, why the scripted prompter refused (null: a prompter that refuses every answer)
        {{}, {}, nullptr},
        {{}, {}, "The fiscal period prompt needs --fiscal-year and --fiscal-period."},
        {QStringLiteral("2014"), {}, "The fiscal period prompt needs --fiscal-period."},
        {QStringLiteral("2010"), QStringLiteral("9"),
         "--fiscal-year \"2010\": Invalid fiscal year. Please try again. Years 2011 to 2017 are accepted."},
        {QStringLiteral("2014"), QString(),
         "--fiscal-period \"\": Invalid fiscal period. Please try again. Periods 1 to 15 are accepted."},
        {QStringLiteral("1E999"), QStringLiteral("9"), "--fiscal-year \"1E999\": the number is too large to read."},
    };
    for (const auto& [year, period, why] : cases) {
        SCOPED_TRACE(why ? why : "recording prompter");
        Harness h;
        const auto recording = std::make_shared<RecordingPrompter>();
        h.converter().setPrompter(recording);
        const auto scripted = why ? scriptedPrompter(h, ScriptedAnswers{{}, year, period, {}}) : nullptr;
        const QString output = h.path(QStringLiteral("out.txt"));
        writeBytes(output, "earlier file\r\n");
        const QString title = QStringLiteral("ACCPAC Advantage Series 5.2");
        EXPECT_FALSE(h.convert(QStringLiteral("08"), data("payments-whole.txt"), output, title));
        EXPECT_FALSE(h.failure.has_value());
        EXPECT_EQ(h.events, kImportEvents);
        EXPECT_EQ(readBytes(output), QByteArray("earlier file\r\n"));
        if (scripted)
            EXPECT_EQ(scripted->lastRefusal(), QString::fromUtf8(why));
        else // asked under the package's full title
            EXPECT_EQ(recording->fiscalTitles, QStringList{title});
    }
}

TEST(FAS, InstitutionNumberFileLiesTwoFoldersAboveTheOutput)
{
    Harness h;
    // Bare names land in the process's current folder: the scratch folder for this test.
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(h.path(QString()));
    const std::pair<QString, QString> cases[] = {
        {h.path(QStringLiteral("clinic/exports/gl.txt")), h.path(QStringLiteral("clinic/FASINSTNUM"))},
        {QStringLiteral("a/b/c/gl.txt"), QStringLiteral("a/b/FASINSTNUM")},
        {QStringLiteral("exports/gl.txt"), QStringLiteral("FASINSTNUM")},
        {QStringLiteral("gl.txt"), QStringLiteral("FASINSTNUM")},
        {QStringLiteral("/exports/gl.txt"), QStringLiteral("/FASINSTNUM")},
        {QStringLiteral("/gl.txt"), QStringLiteral("FASINSTNUM")},
    };
    for (const auto& [output, numberFile] : cases) {
        auto prompter = std::make_shared<RecordingPrompter>();
        h.converter().setPrompter(prompter);
        EXPECT_FALSE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
        EXPECT_EQ(prompter->institutionPaths, QStringList{numberFile}) << output.toStdString();
    }
    QDir::setCurrent(previousFolder);
}

TEST(FAS, AnExistingFileIsReadAsItIsAndNeverRewritten)
{
    Harness h;
    QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
    const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
    writeBytes(numberFile, "  0042 \r\nsecond line\r\n");
    auto prompter = std::make_shared<RecordingPrompter>();
    h.converter().setPrompter(prompter);
    const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
    ASSERT_TRUE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
    EXPECT_TRUE(prompter->institutionPaths.isEmpty());
    EXPECT_EQ(readBytes(numberFile), QByteArray("  0042 \r\nsecond line\r\n"));
    const QStringList lines = outputLines(readBytes(output));
    EXPECT_EQ(lines.size(), 3); // the three non-zero payments
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith(QStringLiteral("  0042 ,,,"))) << line.toStdString();
}

TEST(FAS, NoUsableNumberFailsBeforeTheOutputIsTouched)
{
    const std::tuple<std::optional<QString>, std::optional<QByteArray>, int, const char*> cases[] = {
        // the number given, a number file already there, the error, why the number went unwritten
        {std::nullopt, std::nullopt, 53, "The institution number prompt needs --institution-number; %1 was not written."},
        {QStringLiteral("12A"), std::nullopt, 53,
         "--institution-number \"12A\": Invalid Institution Number: Please enter a numeric Institution Number"},
        {QStringLiteral("42"), QByteArray(), 62, ""},
    };
    for (const auto& [number, existing, error, why] : cases) {
        SCOPED_TRACE(why);
        Harness h;
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
        if (existing)
            writeBytes(numberFile, *existing);
        const auto prompter = scriptedPrompter(h, ScriptedAnswers{{}, {}, {}, number});
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        writeBytes(output, "earlier file\r\n");
        EXPECT_FALSE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
        ASSERT_TRUE(h.failure.has_value());
        EXPECT_EQ(h.failure->number(), error);
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ProcessFAS"));
        EXPECT_EQ(h.events.last(), QStringLiteral("Processing FAS File..."));
        EXPECT_EQ(readBytes(output), QByteArray("earlier file\r\n"));
        EXPECT_EQ(QFile::exists(numberFile), existing.has_value());
        EXPECT_EQ(prompter->lastRefusal(), QString::fromUtf8(why).replace(QStringLiteral("%1"), numberFile));
    }
}

} // namespace
