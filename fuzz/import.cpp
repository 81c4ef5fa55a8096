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
        TransRecordBlocks blocks;
        while (!file.atEnd()) {
            const QString line = file.readLine();
            try {
                refuseControlCharacters(line);
                records.Append(readPaymentLine(line, regional, blocks));
            } catch (const KNError&) {
            }
        }
    } catch (const KNError&) {
    }
    return 0;
}
