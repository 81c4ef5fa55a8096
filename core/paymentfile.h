#pragma once

#include "audit.h"
#include "codepage.h"
#include "regional.h"
#include "textfile.h"
#include "transrecords.h"

#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace kn {

// The values the import keeps from the payment file's header line.
struct PaymentHeader {
    QString sessionNumber;    // columns 2-4, untrimmed
    QString entrySource;      // columns 5-7, untrimmed
    QString balancingAccount; // columns 113-142, trimmed
};

// A detail line's field: what the user calls it and its columns, counted from 1.
struct PaymentField {
    const char* name;
    int first;
    int last;
};

// The detail line's fields in column order; nothing is read from column 1, the blanks between
// them or past the last one.
enum class PaymentColumn { Date, KaprinAccount, PaidTo, Ledger, Amount, InvoiceNo, PaymentFor };
inline constexpr std::array<PaymentField, 7> kPaymentFields{{{"date", 2, 11},
                                                             {"Kaprin account", 13, 18},
                                                             {"payee", 20, 49},
                                                             {"ledger account", 51, 80},
                                                             {"amount", 82, 97},
                                                             {"invoice number", 99, 125},
                                                             {"payment description", 127, 171}}};
inline constexpr int kLastPaymentColumn = kPaymentFields.back().last;

// Reads one payment file, line by line, into records that keep their texts together. A line
// that fails throws a KNError whose detail names the line, the field and its columns; the
// records read before it stay.
class PaymentFileReader {
public:
    PaymentFileReader(const CodePage& codePage, const RegionalSettings& regional, TransRecords& records,
                      ConversionAudit& audit);

    void readHeader(std::string_view line);
    const PaymentHeader& header() const { return header_; }
    // Room for this many records.
    void reserve(std::size_t count) { records_.reserve(int(count)); }
    // A detail line's bytes without their line end; the header is line 1.
    void readDetail(std::string_view line, int lineNumber);

private:
    TransRecordPtr read(std::string_view line);
    CalDate dateOf(std::string_view field);
    Money amountOf(std::string_view field) const;
    void refuseControlCharacters(std::string_view line) const;

    const CodePage& codePage_;
    const RegionalSettings& regional_;
    TransRecords& records_;
    ConversionAudit& audit_;
    TransRecordStore store_;
    PaymentHeader header_;
    // The regional decimal separator as the code page writes it.
    std::string separator_;
    // Payments come in runs of one date: a date text the same as the last one is not read again.
    std::string lastDateText_;
    CalDate lastDate_;
    bool haveLastDate_ = false;
};

// The whole payment file into the reader, from a file or its bytes in memory: the header's values,
// the records and the audit's import entries. An empty file fails with Input past end of file (62).
void readPaymentFile(TextFileReader& file, PaymentFileReader& reader);

} // namespace kn
