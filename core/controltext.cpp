#include "controltext.h"

#include "codepage.h"
#include "knerror.h"

#include <QString>

#include <cstdint>

namespace kn {

namespace {

struct Field {
    qsizetype first;
    qsizetype last;
    const char* name;
};

// The detail line's fields, columns counted from 1.
constexpr Field kFields[] = {{2, 11, "date"},        {13, 18, "Kaprin account"}, {20, 49, "payee"},
                             {51, 80, "ledger account"}, {82, 97, "amount"},    {99, 125, "invoice number"},
                             {127, 171, "payment description"}};

QString fieldAt(qsizetype column)
{
    for (const Field& field : kFields) {
        if (column >= field.first && column <= field.last)
            return QStringLiteral("the %1 in columns %2-%3").arg(QLatin1String(field.name)).arg(field.first).arg(field.last);
    }
    return QStringLiteral("the blank between fields");
}

// True when every byte is a printable ASCII character (a blank to "~").
bool isPrintableAscii(std::string_view bytes)
{
    // Without a branch per byte: 0x20-0x7E are the bytes that stay below 0x5F once 0x20 is taken off.
    // The flags are kept in a byte, so that the loop runs on whole vectors of bytes.
    std::uint8_t outside = 0;
    for (const char byte : bytes)
        outside |= std::uint8_t(std::uint8_t(std::uint8_t(byte) - 0x20) >= 0x5F);
    return outside == 0;
}

} // namespace

void refuseControlCharacters(QStringView line)
{
    // One pass without a branch per character finds whether there is anything to report at all.
    const char16_t* units = line.utf16();
    unsigned anyControl = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t unit = units[i];
        anyControl |= unsigned(unit < 0x20) & unsigned(unit != u'\t');
        anyControl |= unsigned(unit == 0x7F);
    }
    if (anyControl == 0)
        return;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t unit = line[i].unicode();
        if ((unit < 0x20 && unit != u'\t') || unit == 0x7F)
            throw KNError(ErrorCode::TypeMismatch)
                .withDetail(QStringLiteral("%1 holds the control character 0x%2 at column %3")
                                .arg(fieldAt(i + 1))
                                .arg(unsigned(unit), 2, 16, QLatin1Char('0'))
                                .arg(i + 1));
    }
}

bool readsAsPrintableLatin1(std::string_view bytes, const CodePage& codePage)
{
    if (!codePage.latin1ReadsAsItself())
        return codePage.asciiReadsAsItself() && isPrintableAscii(bytes);
    // Bytes 0x80-0x9F are the C1 controls in Latin-1 and other characters in windows-1252.
    std::uint8_t outside = 0;
    for (const char byte : bytes) {
        const auto value = std::uint8_t(byte);
        outside |= std::uint8_t(std::uint8_t(value - 0x20) >= 0x5F) & std::uint8_t(value < 0xA0);
    }
    return outside == 0;
}

} // namespace kn
