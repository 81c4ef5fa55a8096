#include "paymentfile.h"

#include "conversions.h"
#include "formatting.h"
#include "knerror.h"

#include <algorithm>
#include <array>

namespace kn {

namespace {
template <typename Line>
inline Line columns(Line line, qsizetype first, qsizetype width)
{
    const qsizetype start = first - 1;
    if (start >= line.size())
        return {};
    return Line(line.data() + start, std::min(width, line.size() - start));
}

// A field of at most 16 characters as UTF-16, kept on the stack; commas are left out when asked.
class ShortField {
public:
    template <typename Field>
    ShortField(Field field, bool withoutCommas)
    {
        const qsizetype size = std::min(field.size(), qsizetype(units_.size()));
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = field[i];
            if (!withoutCommas || c != u',')
                units_[std::size_t(size_++)] = c.unicode();
        }
    }
    QStringView view() const { return QStringView(units_.data(), size_); }

private:
    std::array<char16_t, 16> units_{};
    qsizetype size_ = 0;
};

// The text with every "," removed ("1,234,567.00" gives "1234567.00").
template <typename Field>
ShortField RemoveCommas(Field amountField)
{
    return ShortField(amountField, true);
}

} // namespace

CalDate PaymentLineReader::dateOf(QStringView text)
{
    if (text.size() == lastDateSize_ && std::equal(text.begin(), text.end(), lastDateText_.begin()))
        return lastDate_;
    const CalDate date = parseDateText(text, regional_);
    // A text too long to keep is converted every time rather than kept in part.
    if (text.size() > qsizetype(lastDateText_.size()))
        return date;
    lastDateSize_ = text.size();
    std::copy_n(text.utf16(), lastDateSize_, lastDateText_.begin());
    lastDate_ = date;
    return date;
}

template <typename Line>
TransRecordPtr PaymentLineReader::readLine(Line line)
{
    CalDate date;
    try {
        date = dateOf(ShortField(columns(line, 2, 10), false).view());
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the date in columns 2-11 is '%1'").arg(columns(line, 2, 10)));
    }
    Money amount;
    try {
        amount = parseMoneyText(RemoveCommas(columns(line, 82, 16)).view(), regional_);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the amount in columns 82-97 is '%1' (decimal separator '%2')")
                                   .arg(columns(line, 82, 16), regional_.decimalSeparator()));
    }

    const Line ledger = trimmedBlanks(columns(line, 51, 30));
    Line account = ledger;
    Line details;
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
    return blocks_.make(texts, amount, date);
}

PaymentHeader readPaymentHeader(QStringView line)
{
    return PaymentHeader{columns(line, 2, 3).toString(), columns(line, 5, 3).toString(),
                         trimBlanks(columns(line, 113, 30))};
}

TransRecordPtr PaymentLineReader::read(QStringView line)
{
    return readLine(line);
}

TransRecordPtr PaymentLineReader::read(QLatin1String line)
{
    return readLine(line);
}

} // namespace kn
