#pragma once

#include "bench/paymentfilebuilder.h"
#include "core/knexport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

// Readable failure messages: bytes and texts print as text with CR and LF made visible.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << QByteArray(bytes).replace("\r", "\\r").replace("\n", "\\n\n").toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* os)
{
    PrintTo(text.toUtf8(), os);
}

namespace kn::testing {

using payments::headerLine;
using payments::Payment;
using payments::paymentLine;
using payments::paymentWith;

// The number of the KNError the call throws, 0 when it throws none.
int errorNumber(const std::function<void()>& call);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// Limits the size of files this process writes, as a full disk would; restored on leaving.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

// The lines joined with CR LF after each, in windows-1252.
QByteArray crlfLines(const QStringList& lines);
QString dataPath(const QString& name);

// The example payment file the writers' example goldens are made of.
inline const QString kExample = QStringLiteral(KN_EXAMPLES_DIR "/payments.txt");

// What the import says before any writer begins.
inline const QStringList kImportEvents = {QStringLiteral("Reading the Kaprin File..."), QStringLiteral("Importing Kaprin File..."),
                                          QStringLiteral("Kaprin File Import Complete...")};

// A whole conversion's events: the import's, the writer's own statuses, the file's opening, its
// transactions and closing, and the completion.
inline QStringList conversionEvents(const QStringList& writerStatuses, const QString& closing = QStringLiteral("Closing the file..."))
{
    return kImportEvents + writerStatuses +
           QStringList{QStringLiteral("Opening the Export File..."), QStringLiteral("Processing transactions..."), closing,
                       QStringLiteral("<ProcessComplete>")};
}

// A converter pinned for tests: a named locale, an INI settings store and a clock of its own, a
// scratch folder, and every event recorded in order.
class Harness {
public:
    explicit Harness(const QString& localeName = QStringLiteral("en_US"), QDate today = QDate(2014, 9, 2));

    KNExport& converter() { return *converter_; }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString writePayments(const QStringList& detailLines, const QString& header = headerLine());
    // Converts and records the outcome; a thrown KNError is kept in `failure`.
    bool convert(const QString& code, const QString& input, const QString& output,
                 const QString& title = QStringLiteral("Package"), const QString& currency = QStringLiteral("CAD"));

    QStringList events;
    std::optional<KNError> failure;

private:
    QTemporaryDir dir_;
    std::unique_ptr<KNExport> converter_;
};

// One package's writer run straight on records built in the test, for what a payment file cannot
// hold: a time of day, an empty invoice number, fractions under a "," decimal separator.
struct WriterSetup {
    QString locale = QStringLiteral("en_US");
    PaymentHeader header{QStringLiteral("042"), QStringLiteral("KPN"), QStringLiteral("1060")};
    QString currency = QStringLiteral("CAD");
    QString fileName = QStringLiteral("GLEXP20140825.txt");
};

struct WriterRun {
    bool result = false;
    std::optional<KNError> failure;
    QByteArray bytes;
    ConversionAudit audit;
};

WriterRun runWriter(const QString& code, const QList<TransRecord>& records, const WriterSetup& setup = {});

// A payment of 125.00 to City Hydro on 25 August 2014, ledger account "5100|10|AB", invoice
// "INV-1", memo "Electricity".
TransRecord sampleRecord(const QString& payee = QStringLiteral("City Hydro"));

// The lines of an output file without their CR LF, decoded from windows-1252.
QStringList outputLines(const QByteArray& bytes);

// Compares bytes with tests/data/<name>. A mismatch leaves the actual bytes in the temporary
// folder's kn-golden-actual/<name>, to compare and, once checked, to copy over.
::testing::AssertionResult matchesGolden(const QByteArray& actual, const QString& name);

} // namespace kn::testing
