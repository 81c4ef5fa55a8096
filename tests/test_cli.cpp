// The knexport command as a script sees it: exit codes, stderr, files.
#include "clirun.h"
#include "testsupport.h"

#include "core/settingsstore.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace kn::testing;

TEST(Cli, ConvertPrintsEveryStatusAndWritesTheFile)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    const CliRun run = knexport(convert("05", kExample, output, {"--locale=en_US"}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("Reading the Kaprin File...\nImporting Kaprin File...\nKaprin File Import Complete...\n"
                                      "Processing Momentum\nOpening the Export File...\nProcessing transactions...\n"
                                      "Closing the file...\n"
                                      "12 payments read, 11 written to out.txt, 1 left out (line 5: zero amount), 2 changed "
                                      "(line 4: payee \"Staples, Inc.\" written as \"Staples Inc.\"; line 12: payee \"Dr. Ann "
                                      "Smith, CPA\" written as \"Dr. Ann Smith CPA\")\n"));
    EXPECT_TRUE(matchesGolden(readBytes(output), QStringLiteral("momentum_example.txt")));
}

TEST(Cli, ExitCodesTellEachOutcomeApart)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    const QString headerOnly = h.writePayments({});
    const QString empty = h.path(QStringLiteral("empty.txt"));
    writeBytes(empty, QByteArray());
    const QString rememberedBanana = h.path(QStringLiteral("banana.ini"));
    kn::makeIniSettingsStore(rememberedBanana)->write("Kaprin Desk 6", "Settings", "MYOBDate", "banana");
    QDir(h.path(QString())).mkpath(QStringLiteral("fas/exports"));
    const QString history = h.path(QStringLiteral("history.sqlite"));
    struct Case {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString errLine; // empty: not checked; the last line of stderr, or for usage errors a text it holds
        QStringList says = {}; // texts stderr holds
        QStringList neverSays = {};
    };
    const Case cases[] = {
        {"payment file missing", convert("05", h.path("none.txt"), output), 1,
         "knexport: error 53: File not found (KNExport.ImportKNFile)", {"the payment file " + h.path("none.txt") + " does not exist"}},
        {"payment file's folder missing", convert("05", h.path("no/none.txt"), output), 1,
         "knexport: error 76: Path not found (KNExport.ImportKNFile)", {"its folder does not exist"}},
        {"payment file is a folder", convert("05", h.path(QString()), output), 1,
         "knexport: error 75: Path/File access error (KNExport.ImportKNFile)", {"is a folder, not a file"}},
        {"empty payment file", convert("05", empty, output), 1,
         "knexport: error 62: Input past end of file (KNExport.ImportKNFile)", {"empty.txt is empty"}},
        // The output's folder is checked before the payment file is read.
        {"output folder missing", convert("05", h.path("none.txt"), h.path("no/out.txt")), 1,
         "knexport: error 76: Path not found (KNExport.ProcessMomentum)", {"/no does not exist"}},
        {"output is a folder", convert("05", kExample, h.path(QString())), 1,
         "knexport: error 75: Path/File access error (KNExport.ProcessMomentum)", {"is a folder; name a file"}},
        {"bad amount for the region", convert("05", kExample, output, {"--locale", "de_DE"}), 1,
         "knexport: error 13: Type mismatch (KNExport.ImportKNFile)", {"decimal separator is '.', for example --locale en_CA"}},
        {"date pattern without a date letter", convert("01", kExample, output, {"--date-format", "banana"}), 2,
         "holds no day or month letter", {"MM/DD/YYYY"}},
        {"SysPro pattern without a date letter", convert("04", kExample, output, {"--date-format", "xyz"}), 2,
         "DDMMYY, MMDDYY"},
        {"AccPac answer missing", convert("08", kExample, output, {"--fiscal-year", "2014"}), 4, {},
         {"The fiscal period prompt needs --fiscal-period.", "no file was written"}, {"cancelled", "Please try again"}},
        {"FAS answer missing", convert("17", kExample, h.path("fas/exports/gl.csv")), 4, {},
         {"needs --institution-number"}, {"error 53"}},
        {"no records", convert("05", headerOnly, output), 3,
         "knexport: error 999: There are no import records to process (KNExport.ConvertKNtoGLSpecific)"},
        {"code without a writer", convert("99", headerOnly, output), 2, "valid codes: 01, 02, 03"},
        {"unknown option", {"convert", "--package", "05", "--bogus"}, 2, {}},
        {"missing value", {"convert", "--package"}, 2, {}},
        {"missing output", {"convert", "--package", "05", "--input", headerOnly}, 2, {}},
        {"unknown code page", convert("05", headerOnly, output, {"--codepage", "x-none"}), 2, "knexport codepages lists"},
        {"unknown locale", convert("05", headerOnly, output, {"--locale", "xx_QQ"}), 2, {}},
        // A report that cannot be written stops the run before it converts.
        {"report folder missing", convert("05", kExample, output, {"--report", h.path("missing/report.json")}), 2,
         "does not exist"},
        {"report is a folder", convert("05", kExample, output, {"--report", h.path(QString())}), 2, "is a folder"},
        {"strict accounts without accounts", convert("05", kExample, output, {"--strict-accounts"}), 2,
         "--strict-accounts needs --accounts FILE"},
        {"accounts file missing", convert("05", kExample, output, {"--accounts", h.path("none.txt")}), 2, "none.txt"},
        {"no history and a history", convert("05", kExample, output, {"--no-history", "--history", history}), 2,
         "--no-history leaves no history"},
        {"history of an unknown package", {"history", "--package", "99"}, 2, "valid codes"},
        {"history limit not a number", {"history", "--limit", "ten"}, 2, "--limit needs a count"},
        {"unknown command", {"frobnicate"}, 2, {}},
        {"no command", {}, 2, {}},
        // Runs that complete and still have something to say.
        {"remembered pattern without a date letter",
         convert("01", kExample, h.path("myob.txt"), {"--settings", rememberedBanana, "--locale", "en_US"}), 0, {},
         {"warning: the remembered date pattern 'banana'"}},
        {"QuickBooks entries that do not balance", convert("02", kExample, h.path("qb.iif"), {"--locale", "en_US"}), 0, {},
         {"QuickBooks imports a transaction only when its splits add up to zero"}},
        {"FAS blanks a payee's commas",
         convert("17", kExample, h.path("fas/exports/gl.csv"), {"--institution-number", "815001", "--locale", "en_US"}), 0, {},
         {"written as \"Staples  Inc./CR-5521/Returned toner\""}},
    };
    for (const auto& c : cases) {
        const CliRun run = knexport(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err.toStdString();
        if (c.exitCode == 2 && !c.errLine.isEmpty()) {
            EXPECT_TRUE(run.err.contains(c.errLine)) << c.name << "\n" << run.err.toStdString();
        } else if (!c.errLine.isEmpty()) {
            EXPECT_EQ(lastLine(run.err), c.errLine) << c.name;
        }
        for (const QString& text : c.says)
            EXPECT_TRUE(run.err.contains(text)) << c.name << ": " << text.toStdString() << "\n" << run.err.toStdString();
        for (const QString& text : c.neverSays)
            EXPECT_FALSE(run.err.contains(text)) << c.name << ": " << text.toStdString() << "\n" << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(output)) << "no failed run may leave an output file";
}

TEST(Cli, PackagesHelpVersionAndDemo)
{
    const CliRun packages = knexport({"packages"});
    EXPECT_EQ(packages.exitCode, 0);
    EXPECT_EQ(packages.out.count(u'\n'), 17);
    EXPECT_TRUE(packages.out.startsWith(QStringLiteral("01  MYOB Version 11"))) << packages.out.toStdString();

    EXPECT_EQ(knexport({"--help"}).exitCode, 0);
    // A command's help, however it is asked for, names the command, what it requires, the codes
    // and the exit codes.
    for (const QStringList& asked : {QStringList{"help", "convert"}, QStringList{"convert", "--help"}}) {
        const CliRun help = knexport(asked);
        EXPECT_EQ(help.exitCode, 0);
        for (const char* text : {"Usage: knexport convert --package CODE --input PAYMENTS --output FILE [options]",
                                 "Required:", "17  FAS General Ledger", "Exit codes:", "4  a prompt was not answered",
                                 "5  refused before writing", "--refuse-repeat", "--accounts <FILE>"})
            EXPECT_TRUE(help.out.contains(QString::fromUtf8(text))) << text << "\n" << help.out.toStdString();
    }
    const CliRun codePages = knexport({"codepages"});
    EXPECT_EQ(codePages.exitCode, 0);
    EXPECT_TRUE(codePages.out.contains(QStringLiteral("windows-1252"))) << codePages.out.toStdString();
    EXPECT_FALSE(codePages.out.contains(QStringLiteral("UTF-8"))) << "only single-byte pages work";
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
    const QString settings = h.path(QStringLiteral("settings.ini"));
    QDir(h.path(QString())).mkpath(QStringLiteral("a/b"));
    const QString fasOutput = h.path(QStringLiteral("a/b/fas.csv"));
    const QString accpacOutput = h.path(QStringLiteral("accpac.csv"));
    // A prompt left unanswered (exit code 4, its message in ExitCodesTellEachOutcomeApart) keeps the old file.
    writeBytes(accpacOutput, "keep");
    EXPECT_EQ(knexport(convert("08", kExample, accpacOutput, {"--fiscal-year", "2014", "--quiet"})).exitCode, 4);
    EXPECT_EQ(readBytes(accpacOutput), QByteArray("keep"));

    // Each prompt answered by its option, and what the file the answer decides holds.
    const QString year = QString::number(QDate::currentDate().year());
    const std::tuple<const char*, QString, QStringList, QString, QByteArray> answered[] = {
        {"08", accpacOutput, {"--fiscal-year", year, "--fiscal-period", "3"}, accpacOutput,
         QStringLiteral("\"%1\",\"3\"").arg(year).toLatin1()},
        {"17", fasOutput, {"--institution-number", "815001"}, h.path("a/FASINSTNUM"), "815001\r\n"},
        {"01", h.path("myob.txt"), {"--date-format", "DD.MM.YYYY", "--settings", settings}, h.path("myob.txt"),
         ",25.08.2014,\"City Hydro\""},
    };
    for (const auto& [code, output, options, decided, holds] : answered) {
        const CliRun run = knexport(convert(code, kExample, output, options + QStringList{"--locale", "en_US", "--quiet"}));
        EXPECT_EQ(run.exitCode, 0) << code << "\n" << run.err.toStdString();
        EXPECT_TRUE(readBytes(decided).contains(holds)) << code;
    }
    EXPECT_EQ(kn::makeIniSettingsStore(settings)->read("Kaprin Desk 6", "Settings", "MYOBDate", {}), QStringLiteral("DD.MM.YYYY"));
}

TEST(Cli, TheDialogsAreLoadedOnlyWhenARunAsksForThem)
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {"-d", KNEXPORT_PATH});
    ASSERT_TRUE(readelf.waitForFinished(60000));
    const QByteArray needed = readelf.readAllStandardOutput();
    EXPECT_TRUE(needed.contains("libQt6Core")) << needed.toStdString();
    EXPECT_FALSE(needed.contains("libQt6Widgets") || needed.contains("libQt6Gui")) << needed.toStdString();

    // Where nobody can answer a dialog (offscreen) the run is refused as without a display, not left waiting.
    Harness h;
    const std::tuple<const char*, const char*, const char*> environments[] = {
        // DISPLAY, QT_QPA_PLATFORM, what stderr says
        {nullptr, nullptr, "needs a display"},
        {nullptr, "offscreen", "needs a display"},
        {":97", nullptr, "DISPLAY=:97 answers nothing"},
    };
    for (const auto& [display, platform, says] : environments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(variable));
        if (display)
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        if (platform)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        const CliRun run = knexport(convert("05", kExample, h.path("out.txt"), {"--interactive", "--locale", "en_US", "--quiet"}), environment);
        EXPECT_EQ(run.exitCode, 2) << says;
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(says))) << run.err.toStdString();
    }
}

TEST(Cli, ReportHoldsTheWholeAuditAsJson)
{
    Harness h;
    const QString report = h.path(QStringLiteral("report.json"));
    const QString money = h.path(QStringLiteral("money.qif"));
    const CliRun run = knexport(convert("07", kExample, money, {"--locale", "en_US", "--quiet", "--report", report}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject audit = QJsonDocument::fromJson(readBytes(report)).object();
    const QJsonObject leftOut{{"line", 11}, {"payee", "BANK CHARGES"}, {"amount", "15.00"}, {"reason", "payee begins with BANK"}};
    const QJsonObject totals{
        {"debits_read", "1004755.61"}, {"credits_read", "47.10"}, {"debits_written", "1004740.61"}, {"credits_written", "47.10"}};
    const QJsonObject expected{{"package", "07"},        {"input", kExample},          {"output", money},
                               {"payments_read", 12},    {"written", 11},              {"left_out", QJsonArray{leftOut}},
                               {"changed", QJsonArray{}}, {"entries", QJsonArray{}},    {"entries_balance", true},
                               {"totals", totals},       {"totals_overflowed", false},
                               {"already_converted", QJsonArray{}}, {"unknown_accounts", QJsonArray{}},
                               {"warnings", QJsonArray{}}};
    EXPECT_EQ(audit, expected) << readBytes(report).toStdString();

    // A failure part-way is reported too, with what was read before it.
    const QString bad = h.writePayments({paymentWith(QStringLiteral("5100")), paymentWith(QStringLiteral("5100"), QStringLiteral("1x"))});
    const QStringList failing = convert("05", bad, h.path(QStringLiteral("m.txt")), {"--locale", "en_US", "--quiet", "--report", report});
    EXPECT_EQ(knexport(failing).exitCode, 1);
    const QJsonObject failed = QJsonDocument::fromJson(readBytes(report)).object();
    EXPECT_EQ(failed[u"payments_read"].toInt(), 1);
    const QString detail = QStringLiteral("payment file line 3: the amount in columns 82-97 is '              1x' (decimal separator '.')");
    EXPECT_EQ(failed[u"failure"].toObject(), (QJsonObject{{"number", 13}, {"description", "Type mismatch"},
                                                          {"source", "KNExport.ImportKNFile"}, {"detail", detail}}));
}

// The date prompt left unanswered takes its proposal, as the golden file's conversion did.
TEST(Cli, PreviewShowsTheFirstLinesAndWritesNothing)
{
    Harness h;
    const QString settings = h.path(QStringLiteral("settings.ini"));
    const CliRun run = knexport({"preview", "--package", "04", "--input", dataPath(QStringLiteral("payments-prompted.txt")),
                                 "--lines", "2", "--settings", settings, "--locale", "en_US", "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList expected = outputLines(readBytes(dataPath(QStringLiteral("syspro-en_US.txt")))).mid(0, 2);
    EXPECT_EQ(run.out, expected.join(u'\n') + u'\n');
    EXPECT_TRUE(lastLine(run.err).startsWith(QStringLiteral("8 payments read, 7 written to SYSPROGL.txt, 1 left out"))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(settings));
    EXPECT_EQ(QDir(h.path(QString())).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(Cli, ProgressShowsOnATerminalOnly)
{
    Harness h;
    // Quiet silences the statuses, not the progress.
    const QStringList arguments = convert("05", kExample, h.path(QStringLiteral("out.txt")), {"--quiet", "--progress"});
    const CliRun piped = knexport(arguments);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, QString());

    // script(1) gives the run a terminal of its own.
    const auto onATerminal = [](const QString& command) {
        QProcess process;
        process.start(QStringLiteral("script"), {"-qec", QStringLiteral(KNEXPORT_PATH " ") + command, "/dev/null"});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0);
        return process.readAllStandardOutput();
    };
    EXPECT_TRUE(onATerminal(arguments.join(u' ')).contains("100% of 12 payments"));
    // With the status texts, each starts a line of its own and no blank line is left.
    const QByteArray shown = onATerminal(arguments.join(u' ').remove(QStringLiteral("--quiet")));
    EXPECT_TRUE(shown.contains("100% of 12 payments\r\nClosing the file...")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("\r\n\r\n")) << shown.toStdString();
}
