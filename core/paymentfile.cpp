#include "paymentfile.h"

#include "conversions.h"
#include "formatting.h"
#include "knerror.h"

#include <array>

namespace kn {

namespace {
QStringView columns(QStringView line, qsizetype first, qsizetype width)
{
    const qsizetype start = first - 1;
    if (start >= line.size())
        return {};
    return line.mid(start, std::min(width, line.size() - start));
}

// A field of at most 16 characters without its commas, kept on the stack.
class CommaFreeField {
public:
    explicit CommaFreeField(QStringView field)
    {
        for (QChar c : field.left(qsizetype(units_.size()))) {
            if (c != u',')
                units_[std::size_t(size_++)] = c.unicode();
        }
    }
    QStringView view() const { return QStringView(units_.data(), size_); }

private:
    std::array<char16_t, 16> units_{};
    qsizetype size_ = 0;
};

// The text with every "," removed ("1,234,567.00" gives "1234567.00").
CommaFreeField RemoveCommas(QStringView amountField)
{
    return CommaFreeField(amountField);
}
} // namespace

PaymentHeader readPaymentHeader(QStringView line)
{
    return PaymentHeader{columns(line, 2, 3).toString(), columns(line, 5, 3).toString(),
                         trimBlanks(columns(line, 113, 30))};
}

TransRecordPtr readPaymentLine(QStringView line, const RegionalSettings& regional, TransRecordBlocks& blocks)
{
    TransRecordPtr record = blocks.make();
    try {
        record->TransDate = parseDateText(columns(line, 2, 10), regional);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the date in columns 2-11 is '%1'").arg(columns(line, 2, 10)));
    }
    record->KaprinAccount = trimBlanks(columns(line, 13, 6));
    record->PaidTo = trimBlanks(columns(line, 20, 30));

    const QString ledger = trimBlanks(columns(line, 51, 30));
    record->GLAccount_Full = ledger;
    if (const qsizetype comma = ledger.indexOf(u','); comma >= 0) {
        record->GLAccount = trimBlanks(QStringView(ledger).left(comma));
        record->GLDetails = trimBlanks(QStringView(ledger).mid(comma + 1));
    } else {
        record->GLAccount = ledger;
    }

    try {
        record->Amount = parseMoneyText(RemoveCommas(columns(line, 82, 16)).view(), regional);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the amount in columns 82-97 is '%1' (decimal separator '%2')")
                                   .arg(columns(line, 82, 16), regional.decimalSeparator()));
    }
    record->InvoiceNo = columns(line, 99, 27).toString();
    record->PaymentFor = trimBlanks(columns(line, 127, 45));
    return record;
}

} // namespace kn
