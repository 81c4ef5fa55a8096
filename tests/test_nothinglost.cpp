// Hostile runs of the knexport command: whatever fails, the payment file and any earlier output
// stay exactly as they were and nothing is left beside them.
#include "clirun.h"
#include "testsupport.h"

#include "core/codepage.h"
#include "core/localetext.h"
#include "core/regional.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace kn;
using namespace kn::testing;

namespace {

QStringList paymentsPast(int count)
{
    return QStringList(count, paymentLine(Payment{}));
}

enum class Output { Absent, Kept, IsPaymentFile };

struct Row {
    const char* name;
    QString package;
    QStringList detailLines;
    // Makes the output path (an old file, a link) and returns it; extra arguments go in `extra`.
    std::function<QString(Harness&, const QString& payments, QStringList& extra)> prepare;
    int exitCode;
    QString lastLine;
    QString detail; // a text the line before the last holds
    Output output;
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

const QByteArray kOldOutput = "the import file of yesterday\r\n";

QString oldOutput(Harness& h)
{
    const QString output = h.path(QStringLiteral("out.txt"));
    writeBytes(output, kOldOutput);
    return output;
}

QString keepOldOutput(Harness& h, const QString&, QStringList&)
{
    return oldOutput(h);
}

} // namespace

TEST(NothingLost, HostileRunsKeepThePaymentFileAndTheOldOutput)
{
    const QStringList one{paymentLine(Payment{})};
    Payment withNul;
    withNul.payee = QStringLiteral("City") + QChar(0) + QStringLiteral("Hydro");
    const QString settingsBroken = QStringLiteral("[Kaprin Desk 6/Settings\nMYOBDate=DD.MM.YYYY\n");

    const Row rows[] = {
        {"output is the payment file", "05", one, [](Harness&, const QString& payments, QStringList&) { return payments; },
         1, "knexport: error 5: Invalid procedure call or argument (KNExport.ConvertKNtoGLSpecific)",
         "is the payment file being read", Output::IsPaymentFile},
        {"the payment file by another spelling", "05", one,
         [](Harness& h, const QString&, QStringList&) { return h.path(QStringLiteral("./sub/../payments.txt")); }, 1,
         "knexport: error 5: Invalid procedure call or argument (KNExport.ConvertKNtoGLSpecific)",
         "is the payment file being read", Output::IsPaymentFile},
        {"a symbolic link to the payment file", "05", one,
         [](Harness& h, const QString& payments, QStringList&) {
             const QString link = h.path(QStringLiteral("out.txt"));
             QFile::link(payments, link);
             return link;
         },
         1, "knexport: error 5: Invalid procedure call or argument (KNExport.ConvertKNtoGLSpecific)",
         "is the payment file being read", Output::IsPaymentFile},
        {"QuickBooks overflows over an old file", "02", paymentsPast(32768), keepOldOutput, 1,
         "knexport: error 6: Overflow (KNExport.ProcessQuickBooks1999)", {}, Output::Kept},
        {"Peachtree overflows over an old file", "06", paymentsPast(32768), keepOldOutput, 1,
         "knexport: error 6: Overflow (KNExport.ProcessPeachtree)", {}, Output::Kept},
        {"Tronia overflows over an old file", "14", paymentsPast(32768), keepOldOutput, 1,
         "knexport: error 6: Overflow (KNExport.ProcessTronia)", {}, Output::Kept},
        {"the disk fills up", "05", paymentsPast(2000), keepOldOutput, 1, "knexport: error 61: Disk full (KNExport.ProcessMomentum)",
         {}, Output::Kept, 64 * 1024},
        {"the old output is read-only", "05", one,
         [](Harness& h, const QString&, QStringList&) {
             const QString output = oldOutput(h);
             QFile::setPermissions(output, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
             return output;
         },
         1, "knexport: error 75: Path/File access error (KNExport.ProcessMomentum)", {}, Output::Kept},
        {"a control character in a payment line", "05", {paymentLine(Payment{}), paymentLine(withNul)}, keepOldOutput, 1,
         "knexport: error 13: Type mismatch (KNExport.ImportKNFile)",
         "payment file line 3: the payee in columns 20-49 holds the control character 0x00 at column 24", Output::Kept},
        {"settings that do not parse", "01", one,
         [settingsBroken](Harness& h, const QString&, QStringList& extra) {
             writeBytes(h.path(QStringLiteral("settings.ini")), settingsBroken.toUtf8());
             extra << "--settings" << h.path(QStringLiteral("settings.ini"));
             return h.path(QStringLiteral("out.txt"));
         },
         1, "knexport: error 75: Path/File access error (KNExport.ProcessMYOB11)", "settings.ini does not parse",
         Output::Absent},
        {"settings that cannot be read", "01", one,
         [](Harness& h, const QString&, QStringList& extra) {
             QDir(h.path({})).mkdir(QStringLiteral("settings.ini"));
             extra << "--settings" << h.path(QStringLiteral("settings.ini"));
             return oldOutput(h);
         },
         1, "knexport: error 75: Path/File access error (KNExport.ProcessMYOB11)", "settings.ini cannot be read",
         Output::Kept},
        {"a failed conversion saves no answer", "01", one,
         [](Harness& h, const QString&, QStringList& extra) {
             extra << "--settings" << h.path(QStringLiteral("settings.ini")) << "--date-format" << "DD.MM.YYYY";
             return h.path(QStringLiteral("no such folder/out.txt"));
         },
         1, "knexport: error 76: Path not found (KNExport.ProcessMYOB11)", {}, Output::Absent},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        QDir(h.path({})).mkdir(QStringLiteral("sub"));
        const QString payments = h.writePayments(row.detailLines);
        const QByteArray paymentBytes = readBytes(payments);
        QStringList extra;
        const QString output = row.prepare(h, payments, extra);
        const QStringList before = QDir(h.path({})).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const QByteArray settingsBefore = readBytes(h.path(QStringLiteral("settings.ini")));
        const QFile::Permissions modeBefore = QFileInfo(output).permissions();

        const CliRun run = knexport(QStringList{"convert", "--package", row.package, "--input", payments, "--output", output,
                                                "--locale", "en_US", "--date-format", "M/D/YYYY", "--quiet"} + extra,
                                    QProcessEnvironment::systemEnvironment(), row.fileSizeLimit);
        const QStringList err = outputLinesOf(run.err);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
        EXPECT_EQ(err.last(), row.lastLine);
        if (!row.detail.isEmpty()) {
            EXPECT_TRUE(err.size() > 1 && err[err.size() - 2].contains(row.detail)) << run.err.toStdString();
        }

        EXPECT_EQ(readBytes(payments), paymentBytes) << "the payment file changed";
        switch (row.output) {
        case Output::Absent:
            EXPECT_FALSE(QFileInfo::exists(output));
            break;
        case Output::Kept:
            EXPECT_EQ(readBytes(output), kOldOutput);
            EXPECT_EQ(QFileInfo(output).permissions(), modeBefore);
            break;
        case Output::IsPaymentFile:
            EXPECT_EQ(readBytes(output), paymentBytes);
            break;
        }
        EXPECT_EQ(readBytes(h.path(QStringLiteral("settings.ini"))), settingsBefore) << "the settings file changed";
        EXPECT_EQ(QDir(h.path({})).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before)
            << "a file was left behind";
    }
}

TEST(NothingLost, AKilledConversionLeavesTheOldFile)
{
    Harness h;
    const QString payments = h.writePayments(paymentsPast(200000));
    const QString output = oldOutput(h);
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(KNEXPORT_PATH), {"convert", "--package", "05", "--input", payments, "--output", output,
                                                  "--locale", "en_US"});
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

TEST(NothingLost, ALocalesTextsTakeTheClosestFormTheCodePageHas)
{
    struct Case {
        const char* codePage;
        char32_t character;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"windows-1252", U'\u202F', "\xA0"}, // narrow no-break space, the French grouping
        {"windows-1252", U'\u2009', "\xA0"}, // thin space
        {"ibm-437", U'\u202F', "\xFF"},      // this page's own no-break space
        {"us-ascii", U'\u202F', " "},
        {"windows-1252", U'\uFFE5', "\xA5"}, // fullwidth yen sign, the Japanese currency sign
        {"windows-1252", U'\u0151', "o"},    // o with double acute, in a Hungarian month name
        {"windows-1250", U'\u0151', "\xF5"}, // held by the page itself
        {"windows-1252", U'\U0001D400', "A"}, // mathematical bold A, outside the BMP
        {"windows-1252", U'\u4E00', "?"},    // nothing close
    };
    for (const Case& c : cases) {
        const CodePage page(QString::fromLatin1(c.codePage));
        const QString text = QString::fromUcs4(&c.character, 1);
        EXPECT_EQ(page.encode(text), c.bytes) << c.codePage << " U+" << std::hex << unsigned(c.character);
    }

    const CodePage windows1252;
    const RegionalSettings french = RegionalSettings::named(QStringLiteral("fr_FR"));
    EXPECT_FALSE(windows1252.encode(french.locale().toString(1234567)).contains('?'));
}
