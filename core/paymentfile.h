#pragma once

#include "regional.h"
#include "transrecords.h"

#include <QStringView>

namespace kn {

// The values the import keeps from the payment file's header line.
struct PaymentHeader {
    QString sessionNumber;    // columns 2-4, untrimmed
    QString entrySource;      // columns 5-7, untrimmed
    QString balancingAccount; // columns 113-142, trimmed
};

// The payment file's fixed columns, counted from 1. A field that lies partly or wholly past the
// end of a short line gives only the characters that are there.
PaymentHeader readPaymentHeader(QStringView line);
// One detail line as a record taken from `blocks`; a date or amount that does not convert fails
// with Type mismatch.
TransRecordPtr readPaymentLine(QStringView line, const RegionalSettings& regional, TransRecordBlocks& blocks);
// The same for a line of printable ASCII, read as it stands in the file.
TransRecordPtr readPaymentLine(QLatin1String line, const RegionalSettings& regional, TransRecordBlocks& blocks);

} // namespace kn
