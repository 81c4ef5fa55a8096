// The knexport command as a script sees it: exit codes, stderr, files.
#include "testsupport.h"

#include "core/settingsstore.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace kn::testing;

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun knexport(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KNEXPORT_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QString lastLine(const QString& text)
{
    return text.trimmed().split(u'\n').last();
}

} // namespace

TEST(Cli, ConvertPrintsEveryStatusAndWritesTheFile)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    const CliRun run = knexport({"convert", "--package", "05", "--input", KN_EXAMPLES_DIR "/payments.txt", "--output", output,
                              "--locale=en_US"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("Reading the Kaprin File...\nImporting Kaprin File...\nKaprin File Import Complete...\n"
                                      "Processing Momentum\nOpening the Export File...\nProcessing transactions...\n"
                                      "Closing the file...\n"));
    EXPECT_EQ(readBytes(output), readBytes(dataPath(QStringLiteral("momentum_example.txt"))));

    const CliRun quiet = knexport({"convert", "--package", "05", "--input", KN_EXAMPLES_DIR "/payments.txt", "--output", output,
                                "--locale", "en_US", "--quiet"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, QString());
}

TEST(Cli, ExitCodesTellEachOutcomeApart)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    const QString headerOnly = h.writePayments({});
    struct Case {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString errLine; // empty: not checked; the last line of stderr, or for usage errors a text it holds
    };
    const Case cases[] = {
        {"missing payment file", {"convert", "--package", "05", "--input", h.path("none.txt"), "--output", output}, 1,
         "knexport: error 53: File not found (KNExport.ImportKNFile)"},
        {"output folder missing", {"convert", "--package", "05", "--input", KN_EXAMPLES_DIR "/payments.txt", "--output",
                                   h.path("no/out.txt"), "--locale", "en_US"}, 1,
         "knexport: error 76: Path not found (KNExport.ProcessMomentum)"},
        {"bad amount for the region", {"convert", "--package", "05", "--input", KN_EXAMPLES_DIR "/payments.txt", "--output",
                                       output, "--locale", "de_DE"}, 1,
         "knexport: error 13: Type mismatch (KNExport.ImportKNFile)"},
        {"no records", {"convert", "--package", "05", "--input", headerOnly, "--output", output}, 3,
         "knexport: error 999: There are no import records to process (KNExport.ConvertKNtoGLSpecific)"},
        {"code without a writer", {"convert", "--package", "99", "--input", headerOnly, "--output", output}, 2,
         "valid codes: 01, 02, 03"},
        {"unknown option", {"convert", "--package", "05", "--bogus"}, 2, {}},
        {"missing value", {"convert", "--package"}, 2, {}},
        {"missing output", {"convert", "--package", "05", "--input", headerOnly}, 2, {}},
        {"unknown code page", {"convert", "--package", "05", "--input", headerOnly, "--output", output, "--codepage", "x-none"}, 1,
         "knexport: error 5: Invalid procedure call or argument (KNExport.CodePage)"},
        {"unknown locale", {"convert", "--package", "05", "--input", headerOnly, "--output", output, "--locale", "xx_QQ"}, 2, {}},
        {"unknown command", {"frobnicate"}, 2, {}},
        {"no command", {}, 2, {}},
    };
    for (const auto& c : cases) {
        const CliRun run = knexport(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err.toStdString();
        if (c.exitCode == 2 && !c.errLine.isEmpty()) {
            EXPECT_TRUE(run.err.contains(c.errLine)) << c.name << "\n" << run.err.toStdString();
        } else if (!c.errLine.isEmpty()) {
            EXPECT_EQ(lastLine(run.err), c.errLine) << c.name;
        }
    }
    EXPECT_FALSE(QFile::exists(output)) << "no failed run may leave an output file";
}

TEST(Cli, ExplainsWhereThePaymentFileIsWrong)
{
    Harness h;
    Payment p;
    p.amount = QStringLiteral("12x");
    const CliRun run = knexport({"convert", "--package", "05", "--input", h.writePayments({paymentLine(Payment{}), paymentLine(p)}),
                              "--output", h.path("out.txt"), "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("payment file line 3: the amount in columns 82-97 is '             12x'")))
        << run.err.toStdString();
}

TEST(Cli, PackagesHelpVersionAndDemo)
{
    const CliRun packages = knexport({"packages"});
    EXPECT_EQ(packages.exitCode, 0);
    EXPECT_EQ(packages.out.count(u'\n'), 17);
    EXPECT_TRUE(packages.out.startsWith(QStringLiteral("01  MYOB Version 11"))) << packages.out.toStdString();

    EXPECT_EQ(knexport({"--help"}).exitCode, 0);
    EXPECT_TRUE(knexport({"--version"}).out.startsWith(QStringLiteral("knexport ")));

    Harness h;
    const QString folder = h.path(QStringLiteral("demo"));
    const CliRun demo = knexport({"demo", "--output-dir", folder});
    EXPECT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/MOMGL.txt")));
    EXPECT_TRUE(demo.out.contains(QStringLiteral("files written from"))) << demo.out.toStdString();
}

TEST(Cli, PromptAnswersComeFromOptions)
{
    Harness h;
    const QString input = QStringLiteral(KN_EXAMPLES_DIR "/payments.txt");
    const QString settings = h.path(QStringLiteral("settings.ini"));
    QDir(h.path(QString())).mkpath(QStringLiteral("a/b"));
    const QString fasOutput = h.path(QStringLiteral("a/b/fas.csv"));
    const QString accpacOutput = h.path(QStringLiteral("accpac.csv"));
    writeBytes(accpacOutput, "keep");

    const CliRun refused = knexport({"convert", "--package", "08", "--input", input, "--output", accpacOutput, "--fiscal-year",
                                     "2014", "--quiet"});
    EXPECT_EQ(refused.exitCode, 4) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--fiscal-period"))) << refused.err.toStdString();
    EXPECT_EQ(readBytes(accpacOutput), QByteArray("keep"));

    const QString year = QString::number(QDate::currentDate().year());
    const CliRun accpac = knexport({"convert", "--package", "08", "--input", input, "--output", accpacOutput, "--fiscal-year",
                                    year, "--fiscal-period", "3", "--locale", "en_US", "--quiet"});
    EXPECT_EQ(accpac.exitCode, 0) << accpac.err.toStdString();
    EXPECT_TRUE(readBytes(accpacOutput).contains(QStringLiteral("\"%1\",\"3\"").arg(year).toLatin1()));

    const CliRun noNumber = knexport({"convert", "--package", "17", "--input", input, "--output", fasOutput, "--quiet"});
    EXPECT_EQ(noNumber.exitCode, 1);
    EXPECT_EQ(lastLine(noNumber.err), QStringLiteral("knexport: error 53: File not found (KNExport.ProcessFAS)"));
    EXPECT_FALSE(QFile::exists(fasOutput));

    const CliRun fas = knexport({"convert", "--package", "17", "--input", input, "--output", fasOutput,
                                 "--institution-number", "815001", "--locale", "en_US", "--quiet"});
    EXPECT_EQ(fas.exitCode, 0) << fas.err.toStdString();
    EXPECT_EQ(readBytes(h.path(QStringLiteral("a/FASINSTNUM"))), QByteArray("815001\r\n"));

    const CliRun myob = knexport({"convert", "--package", "01", "--input", input, "--output", h.path("myob.txt"),
                                  "--date-format", "DD.MM.YYYY", "--settings", settings, "--locale", "en_US", "--quiet"});
    EXPECT_EQ(myob.exitCode, 0) << myob.err.toStdString();
    EXPECT_TRUE(readBytes(h.path("myob.txt")).contains(",25.08.2014,\"City Hydro\""));
    EXPECT_EQ(kn::makeIniSettingsStore(settings)->read("Kaprin Desk 6", "Settings", "MYOBDate", {}), QStringLiteral("DD.MM.YYYY"));
}

TEST(Cli, InteractiveNeedsADisplay)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(variable));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KNEXPORT_PATH), {"convert", "--interactive", "--package", "01", "--input", "x", "--output", "y"});
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("needs a display"));
}
