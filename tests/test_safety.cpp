// The checks before an import file is written: earlier conversions of the same payments from the
// history, and payments to accounts the package does not know.
#include "clirun.h"
#include "testsupport.h"

#include "safety/history.h"
#include "safety/knownaccounts.h"
#include "safety/safetychecks.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace kn::testing;

namespace {

const QStringList kLocale{QStringLiteral("--locale"), QStringLiteral("en_US")};

QStringList threePayments()
{
    return {paymentWith(QStringLiteral("5100"), QStringLiteral("125.00")),
            paymentWith(QStringLiteral("5200"), QStringLiteral("-40.00")),
            paymentWith(QStringLiteral("6100"), QStringLiteral("89.95"))};
}

QString writeFile(const Harness& h, const QString& name, const QStringList& details, const QString& header = headerLine())
{
    const QString path = h.path(name);
    writeBytes(path, crlfLines(QStringList{header} + details));
    return path;
}

// A quiet run in en_US that records into `history`, then any other options.
QStringList withHistory(const QString& history, const QStringList& more = {})
{
    return kLocale + QStringList{"--history", history, "--quiet"} + more;
}

QJsonArray historyOf(const QString& history, const QStringList& more = {})
{
    const CliRun run = knexport(QStringList{"history", "--json", "--history", history} + more);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

// Moves the records a conversion left in the history's write-ahead log into the file itself, as
// SQLite's next automatic checkpoint would: the file then holds the whole history.
void checkpoint(const QString& history)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "checkpoint");
        db.setDatabaseName(history);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("checkpoint");
    ASSERT_FALSE(QFile::exists(history + "-wal"));
}

} // namespace

TEST(Safety, RepeatsAreFoundByTheirPaymentsAndOnlyThem)
{
    struct Case {
        const char* name;
        QString secondCode;
        QStringList secondDetails; // empty: the first file again
        QString secondHeader;
        QStringList options;
        int exitCode;
        QString match; // empty: no warning
        int recorded;  // conversions in the history afterwards
    };
    QStringList reordered = threePayments();
    std::swap(reordered[0], reordered[2]);
    const Case cases[] = {
        {"same file", "05", {}, {}, {}, 0, "same payment file", 2},
        {"same session and totals, other bytes", "05", reordered, headerLine(), {}, 0, "same session, count and totals", 2},
        {"one payment more", "05", threePayments() + QStringList{paymentWith("5100", "1.00")}, headerLine(), {}, 0, {}, 2},
        {"another session", "05", threePayments(), headerLine("043"), {}, 0, {}, 2},
        {"another package", "07", threePayments(), headerLine(), {}, 0, {}, 2},
        {"refused", "05", {}, {}, {"--refuse-repeat"}, 5, "same payment file", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString history = h.path("history.sqlite");
        const QString first = writeFile(h, "first.txt", threePayments());
        const QString firstOutput = h.path("first-out.txt");
        ASSERT_EQ(knexport(convert("05", first, firstOutput, withHistory(history))).exitCode, 0);

        const QString second = c.secondDetails.isEmpty() ? first : writeFile(h, "second.txt", c.secondDetails, c.secondHeader);
        const QString output = h.path("second-out.txt");
        const QString report = h.path("report.json");
        const CliRun run = knexport(convert(c.secondCode, second, output,
                                            withHistory(history, QStringList{"--report", report} + c.options)));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(QFile::exists(output), c.exitCode == 0);
        const QJsonArray earlier = QJsonDocument::fromJson(readBytes(report)).object()[u"already_converted"].toArray();
        if (c.match.isEmpty()) {
            EXPECT_FALSE(run.err.contains("converted")) << run.err.toStdString();
            EXPECT_TRUE(earlier.isEmpty());
        } else {
            EXPECT_TRUE(run.err.contains(QStringLiteral("into %1 (%2); importing both posts the payments twice")
                                             .arg(QDir::toNativeSeparators(firstOutput), c.match)))
                << run.err.toStdString();
            ASSERT_EQ(earlier.size(), 1);
            EXPECT_EQ(earlier[0][u"output"].toString(), firstOutput);
            EXPECT_EQ(earlier[0][u"match"].toString(), c.match);
        }
        if (c.exitCode == 5) {
            EXPECT_TRUE(run.err.startsWith("knexport: refused: these payments were converted for Momentum Accounting (05) before"))
                << run.err.toStdString();
        }
        EXPECT_EQ(historyOf(history).size(), c.recorded);
    }
}

TEST(Safety, HistoryHoldsWhatWasConvertedAndFindsAFilesEarlierConversions)
{
    Harness h;
    const QString history = h.path("history.sqlite");
    const QString input = writeFile(h, "payments.txt", threePayments());
    const QString output = h.path("MOMGL.txt");
    ASSERT_EQ(knexport(convert("05", input, output, withHistory(history))).exitCode, 0);
    ASSERT_EQ(knexport(convert("07", input, h.path("m.qif"), withHistory(history))).exitCode, 0);

    const QJsonArray all = historyOf(history);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0][u"package"].toString(), "07"); // newest first
    const QJsonObject momentum = historyOf(history, {"--package", "05"}).at(0).toObject();
    const auto fingerprint = kn::fingerprintFile(output);
    ASSERT_TRUE(fingerprint);
    const QJsonObject expected{{"package", "05"},
                               {"title", "Momentum Accounting"},
                               {"input", input},
                               {"input_size", QFileInfo(input).size()},
                               {"input_fingerprint", kn::fingerprintFile(input)->fingerprint.toHex()},
                               {"session", "042"},
                               {"entry_source", "KPN"},
                               {"payments_read", 3},
                               {"written", 3},
                               {"debits_read", "214.95"},
                               {"credits_read", "40.00"},
                               {"output", output},
                               {"output_size", QFileInfo(output).size()},
                               {"output_fingerprint", fingerprint->fingerprint.toHex()},
                               {"time", momentum[u"time"]}};
    EXPECT_EQ(momentum, expected);
    EXPECT_EQ(historyOf(history, {"--limit", "1"}).size(), 1);
    // What was written is fingerprinted as it goes out, or read again when a writer went back in it
    // (the Excel 97-2003 workbook completes its header last).
    for (const char* name : {"aimsi.xls", "aimsi.xlsx", "fas/exports/gl.csv"}) {
        const QString written = h.path(name);
        QDir().mkpath(QFileInfo(written).absolutePath());
        const QString code = QString::fromLatin1(name).startsWith("fas") ? "17" : "16";
        ASSERT_EQ(knexport(convert(code, input, written, withHistory(history, {"--institution-number", "815001"}))).exitCode, 0);
        EXPECT_EQ(historyOf(history, {"--limit", "1"}).at(0)[u"output_fingerprint"].toString(),
                  kn::fingerprintFile(written)->fingerprint.toHex())
            << name;
    }
    // A changed file has no earlier conversion; the file converted twice has two.
    const QString changed = writeFile(h, "changed.txt", threePayments() + QStringList{paymentWith("5100")});
    EXPECT_EQ(historyOf(history, {"--input", changed}).size(), 0);
    const QJsonArray ofInput = historyOf(history, {"--input", input});
    ASSERT_EQ(ofInput.size(), 5);
    EXPECT_EQ(ofInput[4][u"match"].toString(), "same payment file");
}

TEST(Safety, FourConversionsAtOnceAreAllRecorded)
{
    Harness h;
    const QString history = h.path("history.sqlite");
    const QString input = writeFile(h, "payments.txt", threePayments());
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", h.path("data"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(KNEXPORT_PATH),
                       convert("05", input, h.path(QStringLiteral("out%1.txt").arg(i)), withHistory(history)));
        runs.push_back(std::move(process));
    }
    for (const auto& process : runs) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0);
        const QByteArray err = process->readAllStandardError();
        EXPECT_FALSE(err.contains("history")) << err.toStdString(); // no history warning
    }
    EXPECT_EQ(historyOf(history).size(), 4);
}

// A history that cannot be used costs neither the conversion nor a byte of the file.
TEST(Safety, AnUnusableHistoryLeavesTheConversionCompleteAndTheFileAsItWas)
{
    struct Case {
        const char* name;
        std::function<void(const QString& history)> spoil;
        QString why;
    };
    std::unique_ptr<QSqlDatabase> locker;
    const Case cases[] = {
        {"not a database", [](const QString& history) { writeBytes(history, "payee,amount\r\nCity Hydro,125.00\r\n"); },
         "file is not a database"},
        {"corrupt",
         [](const QString& history) {
             QByteArray bytes = readBytes(history);
             bytes.replace(100, bytes.size() - 100, QByteArray(bytes.size() - 100, '\xA5'));
             writeBytes(history, bytes);
         },
         "malformed"},
        {"read-only", [](const QString& history) { QFile::setPermissions(history, QFile::ReadOwner | QFile::ReadGroup); },
         "the file is read-only"},
        {"locked",
         [&locker](const QString& history) {
             locker = std::make_unique<QSqlDatabase>(QSqlDatabase::addDatabase("QSQLITE", "locker"));
             locker->setDatabaseName(history);
             ASSERT_TRUE(locker->open());
             QSqlQuery lock(*locker);
             ASSERT_TRUE(lock.exec("PRAGMA locking_mode=EXCLUSIVE"));
             ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
             ASSERT_TRUE(lock.exec("SELECT count(*) FROM conversions"));
         },
         "database is locked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString history = h.path("history.sqlite");
        const QString input = writeFile(h, "payments.txt", threePayments());
        kn::SafetyOptions options;
        options.historyPath = history;
        options.historyBusyTimeoutMs = 100;
        h.converter().setChecks(kn::makeSafetyChecks(options));
        QStringList warnings;
        h.converter().setWarningHandler([&](const QString& text) { warnings << text; });
        ASSERT_TRUE(h.convert("05", input, h.path("first.txt")));
        ASSERT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();

        checkpoint(history);
        c.spoil(history);
        const QByteArray before = readBytes(history);
        const QString output = h.path("out.txt");
        EXPECT_TRUE(h.convert("05", input, output)) << (h.failure ? h.failure->description().toStdString() : "");
        EXPECT_EQ(readBytes(output), readBytes(h.path("first.txt")));
        EXPECT_TRUE(readBytes(history) == before); // not printed: a database of binary pages
        ASSERT_FALSE(warnings.isEmpty());
        EXPECT_TRUE(warnings.last().startsWith(QStringLiteral("the history %1 cannot be written (").arg(history)))
            << warnings.join('\n').toStdString();
        EXPECT_TRUE(warnings.last().contains(c.why)) << warnings.join('\n').toStdString();
        EXPECT_TRUE(warnings.last().endsWith("; this conversion is not in the history"));
        EXPECT_EQ(h.converter().LastAudit().warnings.last(), warnings.last());
        if (locker) {
            locker->close();
            locker.reset();
            QSqlDatabase::removeDatabase("locker");
        }
    }
}

TEST(Safety, KnownAccountsAreReadFromEachShape)
{
    const QStringList expected{"5100", "5200-20", "Office Supplies", "6100"};
    const struct {
        const char* name;
        QByteArray bytes;
    } shapes[] = {
        {"one a line", "5100\n  5200-20  \r\n\nOffice Supplies\n6100\n"},
        {"CSV with a title", "Account Number,Name\r\n5100,Hydro\r\n\"5200-20\",Phone\r\n\"Office Supplies\",\"Pens, paper\"\r\n6100,x\r\n"},
        {"tab-separated with a title", "!ACCNT\tNAME\tACCNTTYPE\n5100\tHydro\tEXP\n5200-20 \tPhone\tEXP\nOffice Supplies\tx\tEXP\n6100\t\t\n"},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const kn::KnownAccounts accounts = kn::KnownAccounts::fromFileBytes(shape.bytes);
        EXPECT_EQ(accounts.count(), expected.size());
        for (const QString& account : expected)
            EXPECT_TRUE(accounts.knows(account)) << account.toStdString();
        EXPECT_TRUE(accounts.knows(" office supplies ")); // case and blanks do not matter
        EXPECT_FALSE(accounts.knows("Account Number"));
        EXPECT_FALSE(accounts.knows("5100-10"));
    }
    // A first line that is an account stays one.
    EXPECT_TRUE(kn::KnownAccounts::fromFileBytes("1000,Cash\n2000,Payables\n").knows("1000"));
}

TEST(Safety, UnknownAccountsAreListedAndStrictAccountsRefuses)
{
    Harness h;
    const QString accounts = h.path("accounts.csv");
    writeBytes(accounts, "Account,Description\r\n5100,Hydro\r\n6100,Supplies\r\n");
    QStringList details = threePayments();
    for (int i = 0; i < 11; ++i)
        details << paymentWith(QStringLiteral("7%1").arg(i, 3, 10, QLatin1Char('0')));
    const QString input = writeFile(h, "payments.txt", details);
    const QString output = h.path("out.txt");
    const QString report = h.path("report.json");

    const CliRun listed = knexport(convert("05", input, output, kLocale + QStringList{"--no-history", "--accounts", accounts, "--report", report}));
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.err.contains("; 12 payments go to accounts the package does not know (line 3: 5200; line 5: 7000; "))
        << listed.err.toStdString();
    const QJsonArray unknown = QJsonDocument::fromJson(readBytes(report)).object()[u"unknown_accounts"].toArray();
    ASSERT_EQ(unknown.size(), 12);
    EXPECT_EQ(unknown[0].toObject(),
              (QJsonObject{{"line", 3}, {"account", "5200"}, {"payee", "City Hydro"}, {"amount", "-40.00"}}));

    QFile::remove(output);
    const CliRun strict =
        knexport(convert("05", input, output, kLocale + QStringList{"--no-history", "--accounts", accounts, "--strict-accounts"}));
    EXPECT_EQ(strict.exitCode, 5);
    EXPECT_EQ(lastLine(strict.err),
              "knexport: refused: 12 payments go to accounts the package does not know (line 3: 5200; line 5: 7000; "
              "line 6: 7001; line 7: 7002; line 8: 7003; line 9: 7004; line 10: 7005; line 11: 7006; line 12: 7007; "
              "line 13: 7008; and 2 more); nothing was written");
    EXPECT_FALSE(QFile::exists(output));
}
