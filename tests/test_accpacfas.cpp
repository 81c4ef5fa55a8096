// The AccPac writer with its fiscal period and the FAS writer with its institution number file.
#include "prompttestsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

const QStringList kImportEvents{QStringLiteral("Reading the Kaprin File..."), QStringLiteral("Importing Kaprin File..."),
                                QStringLiteral("Kaprin File Import Complete...")};

QString data(const char* name)
{
    return dataPath(QString::fromLatin1(name));
}

// Runs a test with the process's current folder in the scratch folder, where bare names land.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : previous_(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

TEST(AccPac, FilesMatchTheirGoldens)
{
    struct Case {
        const char* locale;
        const char* input;
        const char* year;
        const char* period;
        const char* golden;
    };
    const Case cases[] = {
        {"en_US", "payments-prompted.txt", " 2014 ", "07", "accpac-en_US.txt"},
        {"fr_CA", "payments-whole.txt", "2017", "15", "accpac-whole-fr_CA.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        Harness h(QString::fromLatin1(c.locale));
        scriptedPrompter(h, ScriptedAnswers{{}, QString::fromLatin1(c.year), QString::fromLatin1(c.period), {}});
        const QString output = h.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(h.convert(QStringLiteral("08"), data(c.input), output, QStringLiteral("AccPac for Windows")));
        EXPECT_TRUE(matchesGolden(output, QString::fromLatin1(c.golden)));
        const QStringList writerEvents{QStringLiteral("Processing AccPac..."), QStringLiteral("Opening the Export File..."),
                                       QStringLiteral("Processing transactions..."), QStringLiteral("Closing the file..."),
                                       QStringLiteral("<ProcessComplete>")};
        EXPECT_EQ(h.events, kImportEvents + writerEvents);
    }
}

TEST(AccPac, AsksUnderThePackagesFullTitle)
{
    Harness h;
    auto prompter = std::make_shared<RecordingPrompter>();
    prompter->fiscalAnswer = FiscalPeriodAnswer{true, QStringLiteral("2014"), QStringLiteral("9")};
    h.converter().setPrompter(prompter);
    ASSERT_TRUE(h.convert(QStringLiteral("08"), data("payments-whole.txt"), h.path(QStringLiteral("out.txt")),
                          QStringLiteral("ACCPAC Advantage Series 5.2")));
    EXPECT_EQ(prompter->fiscalTitles, QStringList{QStringLiteral("ACCPAC Advantage Series 5.2")});
}

TEST(AccPac, TwoDaysGiveFilesThatDifferOnlyInTheEntryDate)
{
    QList<QByteArray> files;
    for (QDate today : {QDate(2014, 9, 2), QDate(2014, 9, 3)}) {
        Harness h(QStringLiteral("en_US"), today);
        h.converter().setPrompter(std::make_shared<ScriptedPrompter>(
            ScriptedAnswers{{}, QStringLiteral("2014"), QStringLiteral("9"), {}}, environmentOf(h, today)));
        ASSERT_TRUE(h.convert(QStringLiteral("08"), data("payments-whole.txt"), h.path(QStringLiteral("out.txt"))));
        files << readBytes(h.path(QStringLiteral("out.txt")));
    }
    const QList<QByteArray> first = files[0].split('\n');
    const QList<QByteArray> second = files[1].split('\n');
    ASSERT_EQ(first.size(), second.size());
    for (qsizetype i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i] == second[i], i != 2) << i;
    EXPECT_TRUE(first[2].endsWith(",0,20140902\r"));
    EXPECT_TRUE(second[2].endsWith(",0,20140903\r"));
}

TEST(AccPac, ARefusedFiscalPeriodRaisesNoStatusAndLeavesTheFile)
{
    struct Case {
        std::optional<QString> year, period;
        const char* why;
    };
    const Case cases[] = {
        {{}, {}, "The fiscal period prompt needs --fiscal-year and --fiscal-period."},
        {QStringLiteral("2014"), {}, "The fiscal period prompt needs --fiscal-period."},
        {QStringLiteral("2010"), QStringLiteral("9"),
         "--fiscal-year \"2010\": Invalid fiscal year. Please try again. Years 2011 to 2017 are accepted."},
        {QStringLiteral("2018"), QStringLiteral("16"),
         "--fiscal-year \"2018\": Invalid fiscal year. Please try again. Years 2011 to 2017 are accepted."},
        {QStringLiteral("2014"), QString(),
         "--fiscal-period \"\": Invalid fiscal period. Please try again. Periods 1 to 15 are accepted."},
        {QStringLiteral("1E999"), QStringLiteral("9"), "--fiscal-year \"1E999\": the number is too large to read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Harness h;
        const auto prompter = scriptedPrompter(h, ScriptedAnswers{{}, c.year, c.period, {}});
        const QString output = h.path(QStringLiteral("out.txt"));
        writeBytes(output, "earlier file\r\n");
        EXPECT_FALSE(h.convert(QStringLiteral("08"), data("payments-whole.txt"), output));
        EXPECT_FALSE(h.failure.has_value());
        EXPECT_EQ(h.events, kImportEvents);
        EXPECT_EQ(readBytes(output), QByteArray("earlier file\r\n"));
        EXPECT_EQ(prompter->lastRefusal(), QString::fromUtf8(c.why));
    }
}

TEST(FAS, FilesMatchTheirGoldens)
{
    struct Case {
        const char* locale;
        const char* input;
        const char* currency;
        const char* golden;
    };
    const Case cases[] = {
        {"en_US", "payments-prompted.txt", "", "fas-en_US.txt"},
        {"de_DE", "payments-whole.txt", "  usd  ", "fas-whole-de_DE.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        Harness h(QString::fromLatin1(c.locale));
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        scriptedPrompter(h, ScriptedAnswers{{}, {}, {}, QStringLiteral("0042001")});
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        ASSERT_TRUE(h.convert(QStringLiteral("17"), data(c.input), output, QStringLiteral("FAS"), QString::fromLatin1(c.currency)));
        EXPECT_TRUE(matchesGolden(output, QString::fromLatin1(c.golden)));
        EXPECT_EQ(readBytes(h.path(QStringLiteral("clinic/FASINSTNUM"))), QByteArray("0042001\r\n"));
        const QStringList writerEvents{QStringLiteral("Processing FAS File..."), QStringLiteral("Opening the Export File..."),
                                       QStringLiteral("Processing transactions..."), QStringLiteral("Closing File..."),
                                       QStringLiteral("<ProcessComplete>")};
        EXPECT_EQ(h.events, kImportEvents + writerEvents);
    }
}

TEST(FAS, InstitutionNumberFileLiesTwoFoldersAboveTheOutput)
{
    Harness h;
    const CurrentFolder inScratch(h.path(QString()));
    const std::pair<QString, QString> cases[] = {
        {h.path(QStringLiteral("clinic/exports/gl.txt")), h.path(QStringLiteral("clinic/FASINSTNUM"))},
        {QStringLiteral("a/b/c/gl.txt"), QStringLiteral("a/b/FASINSTNUM")},
        {QStringLiteral("exports/gl.txt"), QStringLiteral("FASINSTNUM")},
        {QStringLiteral("gl.txt"), QStringLiteral("FASINSTNUM")},
        {QStringLiteral("/exports/gl.txt"), QStringLiteral("/FASINSTNUM")},
        {QStringLiteral("/gl.txt"), QStringLiteral("FASINSTNUM")},
    };
    for (const auto& [output, numberFile] : cases) {
        SCOPED_TRACE(output.toStdString());
        auto prompter = std::make_shared<RecordingPrompter>();
        h.converter().setPrompter(prompter);
        // Unanswered, the conversion stops before it touches any output.
        EXPECT_FALSE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
        EXPECT_EQ(prompter->institutionPaths, QStringList{numberFile});
        ASSERT_TRUE(h.failure.has_value());
        EXPECT_EQ(h.failure->number(), 53);
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ProcessFAS"));
        EXPECT_EQ(h.events.last(), QStringLiteral("Processing FAS File..."));
    }
}

TEST(FAS, ABareOutputNameKeepsBothFilesInTheCurrentFolder)
{
    Harness h;
    const CurrentFolder inScratch(h.path(QString()));
    scriptedPrompter(h, ScriptedAnswers{{}, {}, {}, QStringLiteral(" 815")});
    ASSERT_TRUE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), QStringLiteral("gl.txt")));
    EXPECT_EQ(readBytes(h.path(QStringLiteral("FASINSTNUM"))), QByteArray(" 815\r\n"));
    EXPECT_TRUE(readBytes(h.path(QStringLiteral("gl.txt"))).startsWith(" 815,,,5100,10,DR,,CAD,"));
}

TEST(FAS, AnExistingFileIsReadAsItIsAndNeverRewritten)
{
    Harness h;
    QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
    const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
    const QByteArray content("  0042 \r\nsecond line\r\n");
    writeBytes(numberFile, content);
    auto prompter = std::make_shared<RecordingPrompter>();
    h.converter().setPrompter(prompter);
    const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
    ASSERT_TRUE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
    EXPECT_TRUE(prompter->institutionPaths.isEmpty());
    EXPECT_EQ(readBytes(numberFile), content);
    const QList<QByteArray> lines = readBytes(output).split('\n');
    ASSERT_EQ(lines.size(), 4); // three non-zero payments and what follows the last CR LF
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(lines[i].startsWith("  0042 ,,,")) << lines[i].toStdString();
}

TEST(FAS, AskedOnceUntilTheFileIsDeleted)
{
    Harness h;
    QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
    const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
    const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
    auto prompter = std::make_shared<RecordingPrompter>();
    prompter->institutionFileContent = QByteArray("77\r\n");
    h.converter().setPrompter(prompter);
    for (int run = 0; run < 2; ++run)
        ASSERT_TRUE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
    EXPECT_EQ(prompter->institutionPaths.size(), 1);
    QFile::remove(numberFile);
    ASSERT_TRUE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
    EXPECT_EQ(prompter->institutionPaths.size(), 2);
}

TEST(FAS, NoUsableNumberFailsBeforeTheOutputIsTouched)
{
    struct Case {
        const char* what;
        std::optional<QByteArray> written; // what the prompt leaves in the file
        int error;
    };
    const Case cases[] = {
        {"unanswered", std::nullopt, 53},
        {"empty file", QByteArray(), 62},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        auto prompter = std::make_shared<RecordingPrompter>();
        prompter->institutionFileContent = c.written;
        h.converter().setPrompter(prompter);
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        writeBytes(output, "earlier file\r\n");
        EXPECT_FALSE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output));
        ASSERT_TRUE(h.failure.has_value());
        EXPECT_EQ(h.failure->number(), c.error);
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ProcessFAS"));
        EXPECT_FALSE(h.events.contains(QStringLiteral("<ProcessComplete>")));
        EXPECT_EQ(readBytes(output), QByteArray("earlier file\r\n"));
    }
}

TEST(FAS, ScriptedNumberThatFailsTheChecksIsNotWritten)
{
    struct Case {
        std::optional<QString> number;
        const char* why;
    };
    const Case cases[] = {
        {std::nullopt, "The institution number prompt needs --institution-number; %1 was not written."},
        {QStringLiteral("12A"), "--institution-number \"12A\": Invalid Institution Number: Please enter a numeric Institution Number"},
        {QStringLiteral(" "), "--institution-number \" \": Missing Institution Number: Please enter an Institution Number"},
        {QStringLiteral("12345678901234567890"),
         "--institution-number \"12345678901234567890\": Invalid Institution Number: Please enter an Institution Number "
         "that contains fewer than 20 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Harness h;
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        const auto prompter = scriptedPrompter(h, ScriptedAnswers{{}, {}, {}, c.number});
        EXPECT_FALSE(h.convert(QStringLiteral("17"), data("payments-whole.txt"), h.path(QStringLiteral("clinic/exports/gl.txt"))));
        const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
        EXPECT_FALSE(QFile::exists(numberFile));
        EXPECT_EQ(h.failure->number(), 53);
        EXPECT_EQ(prompter->lastRefusal(), QString::fromUtf8(c.why).replace(QStringLiteral("%1"), numberFile));
    }
}

} // namespace
