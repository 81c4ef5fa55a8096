#pragma once

#include "regional.h"
#include "transrecords.h"

#include <QStringView>

#include <array>

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
// Reads detail lines into records taken from its own blocks. Payments come in runs of one date,
// so a date text that reads as the line before's is converted only once.
class PaymentLineReader {
public:
    explicit PaymentLineReader(const RegionalSettings& regional) : regional_(regional) {}

    // One detail line as a record; a date or amount that does not convert fails with Type mismatch.
    TransRecordPtr read(QStringView line);
    // The same for a line of printable Latin-1, read as it stands in the file.
    TransRecordPtr read(QLatin1String line);

private:
    template <typename Line>
    TransRecordPtr readLine(Line line);
    template <typename Field>
    CalDate dateOf(Field text);

    const RegionalSettings& regional_;
    TransRecordBlocks blocks_;
    // The last date text that converted, and its date; a size of -1 while there is none.
    std::array<char16_t, 16> lastDateText_{};
    qsizetype lastDateSize_ = -1;
    CalDate lastDate_;
};

} // namespace kn
