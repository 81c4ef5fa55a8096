// The payment-file import from raw bytes: a header and detail lines in a fuzzed locale.
#include "fuzzinput.h"

#include "core/codepage.h"
#include "core/controltext.h"
#include "core/knerror.h"
#include "core/paymentfile.h"
#include "core/regional.h"
#include "core/textfile.h"
#include "core/transrecords.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    static const QTemporaryDir folder;
    const RegionalSettings regional =
        RegionalSettings::named(QString::fromLatin1(fuzz::kLocales[input.choose(std::size(fuzz::kLocales))]));
    const CodePage codePage(QString::fromLatin1(fuzz::kCodePages[input.choose(std::size(fuzz::kCodePages))]));
    const QString path = folder.filePath(QStringLiteral("payments.txt"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(input.rest());
    }
    try {
        TextFileReader file(path, codePage);
        if (file.atEnd())
            return 0;
        readPaymentHeader(file.readLine());
        TransRecords records;
        // One reader for each way of reading a line, so that neither reuses the other's date.
        PaymentLineReader decodedReader(regional);
        PaymentLineReader latin1Reader(regional);
        while (!file.atEnd()) {
            const auto [bytes, printableLatin1] = file.readLineBytes();
            // The reader's one-pass look at a line must agree with the rule it stands for.
            if (printableLatin1 != readsAsPrintableLatin1(bytes, codePage))
                std::abort();
            const QString line = codePage.decode(bytes);
            int failure = 0;
            TransRecordPtr record;
            try {
                refuseControlCharacters(line);
                record = decodedReader.read(line);
                records.Append(record);
            } catch (const KNError& error) {
                failure = error.number();
            }
            // A line of printable Latin-1 read as it stands must give the same record or failure.
            if (printableLatin1) {
                try {
                    const TransRecordPtr latin1 = latin1Reader.read(QLatin1String(bytes.data(), qsizetype(bytes.size())));
                    if (failure != 0 || latin1->Amount != record->Amount || !(latin1->TransDate == record->TransDate))
                        std::abort();
                    for (std::size_t i = 0; i < RecordTextCount; ++i) {
                        if (!(latin1->text(RecordText(i)) == record->text(RecordText(i))))
                            std::abort();
                    }
                } catch (const KNError& error) {
                    if (error.number() != failure)
                        std::abort();
                }
            }
        }
    } catch (const KNError&) {
    }
    return 0;
}
