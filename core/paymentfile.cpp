#include "paymentfile.h"

#include "conversions.h"
#include "knerror.h"
#include "textfile.h"

#include <algorithm>

namespace kn {

namespace {

// The field's bytes; a field that lies partly or wholly past the end of a short line gives only
// the bytes that are there.
std::string_view columns(std::string_view line, int first, int last)
{
    const auto start = std::size_t(first - 1);
    if (start >= line.size())
        return {};
    return line.substr(start, std::size_t(last - first + 1));
}

std::string_view field(std::string_view line, PaymentColumn which)
{
    const PaymentField& f = kPaymentFields[std::size_t(which)];
    return columns(line, f.first, f.last);
}

QString columnsText(const PaymentField& f)
{
    return QStringLiteral("columns %1-%2").arg(f.first).arg(f.last);
}

// Plain loops: string_view's find_first_not_of calls memchr once per character. Fields end in
// long runs of blanks, passed over eight at a time (one comparison each).
std::string_view trimmedBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (text.ends_with("        "))
        text.remove_suffix(8);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The amount field (16 bytes) with every "," removed ("1,234,567.00" gives "1234567.00").
struct RemoveCommas {
    explicit RemoveCommas(std::string_view text)
        : size(std::size_t(std::remove_copy(text.begin(), text.begin() + std::min(text.size(), sizeof bytes), bytes, ',') - bytes))
    {
    }
    std::string_view view() const { return std::string_view(bytes, size); }
    char bytes[16];
    std::size_t size;
};

} // namespace

PaymentFileReader::PaymentFileReader(const CodePage& codePage, const RegionalSettings& regional,
                                     TransRecords& records, ConversionAudit& audit)
    : codePage_(codePage), regional_(regional), records_(records), audit_(audit),
      separator_(codePage.encode(regional.decimalSeparator()).toStdString())
{
    // A separator the page lacks cannot stand in the file; its stand-in must not read as one.
    if (codePage.decode(separator_) != regional.decimalSeparator())
        separator_.clear();
}

void PaymentFileReader::readHeader(std::string_view line)
{
    header_ = PaymentHeader{codePage_.decode(columns(line, 2, 4)), codePage_.decode(columns(line, 5, 7)),
                         codePage_.decode(trimmedBlanks(columns(line, 113, 142)))};
}

void PaymentFileReader::readDetail(std::string_view line, int lineNumber)
{
    try {
        TransRecordPtr record = read(line);
        record->PaymentFileLine = lineNumber;
        if (line.size() > std::size_t(kLastPaymentColumn))
            audit_.changed.append({lineNumber, QStringLiteral("past column %1").arg(kLastPaymentColumn),
                                   codePage_.decode(line.substr(kLastPaymentColumn)), QString()});
        ++audit_.paymentsRead;
        if (!addToTotals(record->Amount, audit_.debitsRead, audit_.creditsRead))
            audit_.totalsOverflowed = true;
        records_.Append(std::move(record));
    } catch (const KNError& error) {
        const QString where = QStringLiteral("payment file line %1").arg(lineNumber);
        throw error.withDetail(error.detail().isEmpty() ? where : where + QStringLiteral(": ") + error.detail());
    }
}

// A read field holding a control character (NUL, ESC, DEL...) is refused with Type mismatch (13):
// copied on, such a byte would end or split a record in the package that reads the import file,
// and a blank in its place would change the payment unseen. A TAB is text the payment service
// may put in a name, and is kept.
void PaymentFileReader::refuseControlCharacters(std::string_view line) const
{
    if (!codePage_.holdsControl(line))
        return;
    for (const PaymentField& f : kPaymentFields) {
        const std::string_view bytes = columns(line, f.first, f.last);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char16_t unit = codePage_.decodeByte(bytes[i]);
            if (codePage_.readsAsControl(bytes[i]))
                throw KNError(ErrorCode::TypeMismatch)
                    .withDetail(QStringLiteral("the %1 in %2 holds the control character 0x%3 at column %4")
                                    .arg(QLatin1String(f.name), columnsText(f))
                                    .arg(unsigned(unit), 2, 16, QLatin1Char('0'))
                                    .arg(std::size_t(f.first) + i));
        }
    }
}

CalDate PaymentFileReader::dateOf(std::string_view text)
{
    if (haveLastDate_ && text == lastDateText_)
        return lastDate_;
    const CalDate date = parseDateText(codePage_.decode(text), regional_);
    lastDateText_ = text;
    lastDate_ = date;
    haveLastDate_ = true;
    return date;
}

Money PaymentFileReader::amountOf(std::string_view text) const
{
    return parseMoney(RemoveCommas(text).view(), separator_);
}

TransRecordPtr PaymentFileReader::read(std::string_view line)
{
    refuseControlCharacters(line);
    CalDate date;
    const std::string_view dateText = field(line, PaymentColumn::Date);
    try {
        date = dateOf(dateText);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the date in %1 is '%2'")
                                   .arg(columnsText(kPaymentFields[std::size_t(PaymentColumn::Date)]),
                                        codePage_.decode(dateText)));
    }
    Money amount;
    const std::string_view amountText = field(line, PaymentColumn::Amount);
    try {
        amount = amountOf(amountText);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the amount in %1 is '%2' (decimal separator '%3')")
                                   .arg(columnsText(kPaymentFields[std::size_t(PaymentColumn::Amount)]),
                                        codePage_.decode(amountText), regional_.decimalSeparator()));
    }

    const std::string_view ledger = trimmedBlanks(field(line, PaymentColumn::Ledger));
    std::string_view account = ledger;
    std::string_view details;
    if (const std::size_t comma = ledger.find(','); comma != std::string_view::npos) {
        account = trimmedBlanks(ledger.substr(0, comma));
        details = trimmedBlanks(ledger.substr(comma + 1));
    }
    RecordBytes texts;
    texts[std::size_t(RecordText::KaprinAccount)] = trimmedBlanks(field(line, PaymentColumn::KaprinAccount));
    texts[std::size_t(RecordText::PaidTo)] = trimmedBlanks(field(line, PaymentColumn::PaidTo));
    texts[std::size_t(RecordText::GLAccount_Full)] = ledger;
    texts[std::size_t(RecordText::GLAccount)] = account;
    texts[std::size_t(RecordText::GLDetails)] = details;
    texts[std::size_t(RecordText::InvoiceNo)] = field(line, PaymentColumn::InvoiceNo);
    texts[std::size_t(RecordText::PaymentFor)] = trimmedBlanks(field(line, PaymentColumn::PaymentFor));
    return store_.add(texts, codePage_, codePage_.readsAsLatin1(line.substr(0, kLastPaymentColumn)), amount, date);
}

void readPaymentFile(TextFileReader& file, PaymentFileReader& reader)
{
    const std::string_view header = file.readLineBytes();
    reader.readHeader(header);
    // Room for lines of half the header's length, up to a few million, so the collection never
    // moves as it fills.
    reader.reserve(std::min(file.fileSize() / (header.size() / 2 + 2), std::size_t(1) << 22));
    for (int lineNumber = 2; !file.atEnd(); ++lineNumber)
        reader.readDetail(file.readLineBytes(), lineNumber);
}

} // namespace kn
