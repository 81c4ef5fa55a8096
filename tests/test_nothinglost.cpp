// Hostile runs of the knexport command: whatever fails, the payment file and any earlier output
// stay exactly as they were and nothing is left beside them.
#include "clirun.h"
#include "prompttestsupport.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace kn;
using namespace kn::testing;
using namespace Qt::StringLiterals;

namespace {

QStringList paymentsPast(int count)
{
    return QStringList(count, paymentLine(Payment{}));
}

// Absent: no output before or after; Kept: an old output, there before, stays; IsPaymentFile: the
// output names the payment file, which stays.
enum class Output { Absent, Kept, IsPaymentFile };

struct Row {
    const char* name;
    QString package;
    QStringList detailLines;
    const char* output; // in the scratch folder, which holds payments.txt
    std::function<void(Harness&)> prepare; // run after the payment file and any old output are written
    QString lastLine;
    QString detail; // a text the line before the last holds
    Output kind;
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

const QByteArray kOldOutput = "the import file of yesterday\r\n";

// settings.ini leads into a plain file as if it were a folder: it reads as empty and cannot be written.
void unsavableSettings(Harness& h)
{
    writeBytes(h.path(QStringLiteral("plain")), "not a folder\n");
    QFile::link(h.path(QStringLiteral("plain/settings.ini")), h.path(QStringLiteral("settings.ini")));
}

} // namespace

// Every run is given a settings file and a date pattern that MYOB would save, had it come that far.
TEST(NothingLost, HostileRunsKeepThePaymentFileAndTheOldOutput)
{
    const QStringList one{paymentLine(Payment{})};
    Payment withNul;
    withNul.payee = QStringLiteral("City") + QChar(0) + QStringLiteral("Hydro");
    // knexport refuses such an output as a usage error before reading anything.
    const QString sameFile = QStringLiteral("Run 'knexport --help' for the commands, 'knexport COMMAND --help' for their options.");
    const QString never = QStringLiteral("the payment file is never written over");
    const QString settingsError = QStringLiteral("knexport: error 75: Path/File access error (KNExport.ProcessMYOB11)");

    const Row rows[] = {
        {"output is the payment file", "05", one, "payments.txt", {}, sameFile, never, Output::IsPaymentFile},
        {"the payment file by another spelling", "05", one, "./sub/../payments.txt", {}, sameFile, never, Output::IsPaymentFile},
        {"a symbolic link to the payment file", "05", one, "out.txt",
         [](Harness& h) { QFile::link(h.path(u"payments.txt"_s), h.path(u"out.txt"_s)); }, sameFile, never, Output::IsPaymentFile},
        {"the disk fills up", "05", paymentsPast(2000), "out.txt", {}, "knexport: error 61: Disk full (KNExport.ProcessMomentum)",
         {}, Output::Kept, 64 * 1024},
        {"the old output is read-only", "05", one, "out.txt",
         [](Harness& h) { QFile::setPermissions(h.path(u"out.txt"_s), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther); },
         "knexport: error 75: Path/File access error (KNExport.ProcessMomentum)", {}, Output::Kept},
        {"a control character in a payment line", "05", one + QStringList{paymentLine(withNul)}, "out.txt", {},
         "knexport: error 13: Type mismatch (KNExport.ImportKNFile)",
         "payment file line 3: the payee in columns 20-49 holds the control character 0x00 at column 24", Output::Kept},
        {"settings that do not parse", "01", one, "out.txt",
         [](Harness& h) { writeBytes(h.path(u"settings.ini"_s), "[Kaprin Desk 6/Settings\nMYOBDate=DD.MM.YYYY\n"); },
         settingsError, "settings.ini does not parse", Output::Absent},
        {"settings that cannot be read", "01", one, "out.txt",
         [](Harness& h) { QDir(h.path({})).mkdir(QStringLiteral("settings.ini")); }, settingsError,
         "settings.ini cannot be read", Output::Kept},
        // MYOB and SysPro save the chosen pattern before the export file is opened: a save that
        // fails fails the writer.
        {"settings that cannot be saved", "01", one, "out.txt", unsavableSettings, settingsError,
         "settings.ini could not be written", Output::Kept},
        {"SysPro's settings that cannot be saved", "04", one, "out.txt", unsavableSettings,
         "knexport: error 75: Path/File access error (KNExport.ProcessSysPro)", "settings.ini could not be written",
         Output::Kept},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        QDir(h.path({})).mkdir(QStringLiteral("sub"));
        const QString payments = h.writePayments(row.detailLines);
        const QByteArray paymentBytes = readBytes(payments);
        const QString output = h.path(QLatin1String(row.output));
        if (row.kind == Output::Kept)
            writeBytes(output, kOldOutput);
        if (row.prepare)
            row.prepare(h);
        const auto entries = [&h] { return QDir(h.path({})).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); };
        const QStringList before = entries();
        const QByteArray settingsBefore = readBytes(h.path(QStringLiteral("settings.ini")));
        const QFile::Permissions modeBefore = QFileInfo(output).permissions();

        const CliRun run = knexport(convert(row.package, payments, output,
                                            {"--locale", "en_US", "--date-format", "DD.MM.YYYY", "--settings",
                                             h.path(QStringLiteral("settings.ini")), "--quiet"}),
                                    QProcessEnvironment::systemEnvironment(), row.fileSizeLimit);
        const QStringList err = outputLinesOf(run.err);
        EXPECT_EQ(run.exitCode, row.kind == Output::IsPaymentFile ? 2 : 1) << run.err.toStdString();
        EXPECT_EQ(err.last(), row.lastLine);
        if (!row.detail.isEmpty()) {
            EXPECT_TRUE(err.size() > 1 && err[err.size() - 2].contains(row.detail)) << run.err.toStdString();
        }

        EXPECT_EQ(readBytes(payments), paymentBytes) << "the payment file changed";
        switch (row.kind) {
        case Output::Absent:
            EXPECT_FALSE(QFileInfo::exists(output));
            break;
        case Output::Kept:
            EXPECT_EQ(readBytes(output), kOldOutput);
            EXPECT_EQ(QFileInfo(output).permissions(), modeBefore);
            break;
        case Output::IsPaymentFile:
            EXPECT_EQ(readBytes(output), paymentBytes);
            EXPECT_EQ(err.size(), 2) << "a usage error, no error number";
            break;
        }
        EXPECT_EQ(readBytes(h.path(QStringLiteral("settings.ini"))), settingsBefore) << "the settings file changed";
        EXPECT_EQ(entries(), before) << "a file was left behind";
    }
}

// MYOB and SysPro save the chosen pattern before the export file is opened: a failure after the
// save leaves the pattern saved (through the library: knexport checks the output's folder before
// it converts).
TEST(NothingLost, TheDatePatternIsSavedBeforeTheFileIsOpened)
{
    for (const auto& [package, savedKey] : {std::pair{"01", "MYOBDate"}, std::pair{"04", "SysProDate"}}) {
        SCOPED_TRACE(package);
        Harness h;
        auto settings = std::make_shared<RecordingSettings>();
        h.converter().setSettingsStore(settings);
        scriptedPrompter(h, ScriptedAnswers{QStringLiteral("DD/MM/YYYY"), {}, {}, {}});
        const QString output = h.path(QStringLiteral("missing/OUT.txt"));
        EXPECT_FALSE(h.convert(QLatin1String(package), h.writePayments({paymentLine(Payment{})}), output));
        EXPECT_EQ(h.failure ? h.failure->number() : 0, 76);
        EXPECT_EQ(settings->values[kSettingsApp + QLatin1String(savedKey)], QStringLiteral("DD/MM/YYYY"));
        EXPECT_FALSE(QFileInfo::exists(output));
    }
}

TEST(NothingLost, AKilledConversionLeavesTheOldFile)
{
    Harness h;
    const QString payments = h.writePayments(paymentsPast(200000));
    const QString output = h.path(QStringLiteral("out.txt"));
    writeBytes(output, kOldOutput);
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(KNEXPORT_PATH), convert("05", payments, output, {"--locale", "en_US"}));
    QByteArray err;
    while (!err.contains("Processing transactions...") && process.waitForReadyRead(60000))
        err += process.readAllStandardError();
    process.kill();
    process.waitForFinished(60000);
    if (process.exitStatus() == QProcess::NormalExit)
        GTEST_SKIP() << "the conversion ended before it could be killed";
    EXPECT_EQ(readBytes(output), kOldOutput);
    EXPECT_EQ(QDir(h.path({})).entryList(QDir::Files | QDir::Hidden), (QStringList{"out.txt", "payments.txt"}));
}
