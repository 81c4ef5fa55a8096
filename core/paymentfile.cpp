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
    CalDate date;
    try {
        date = parseDateText(columns(line, 2, 10), regional);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the date in columns 2-11 is '%1'").arg(columns(line, 2, 10)));
    }
    Money amount;
    try {
        amount = parseMoneyText(RemoveCommas(columns(line, 82, 16)).view(), regional);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the amount in columns 82-97 is '%1' (decimal separator '%2')")
                                   .arg(columns(line, 82, 16), regional.decimalSeparator()));
    }

    const QStringView ledger = trimmedBlanks(columns(line, 51, 30));
    QStringView account = ledger;
    QStringView details;
    if (const qsizetype comma = ledger.indexOf(u','); comma >= 0) {
        account = trimmedBlanks(ledger.left(comma));
        details = trimmedBlanks(ledger.mid(comma + 1));
    }
    RecordTextViews texts;
    texts[std::size_t(RecordText::KaprinAccount)] = trimmedBlanks(columns(line, 13, 6));
    texts[std::size_t(RecordText::PaidTo)] = trimmedBlanks(columns(line, 20, 30));
    texts[std::size_t(RecordText::GLAccount_Full)] = ledger;
    texts[std::size_t(RecordText::GLAccount)] = account;
    texts[std::size_t(RecordText::GLDetails)] = details;
    texts[std::size_t(RecordText::InvoiceNo)] = columns(line, 99, 27);
    texts[std::size_t(RecordText::PaymentFor)] = trimmedBlanks(columns(line, 127, 45));
    return blocks.make(texts, amount, date);
}

} // namespace kn
