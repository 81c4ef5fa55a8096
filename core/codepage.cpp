#include "codepage.h"

#include "knerror.h"
#include "localetext.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cctype>


namespace kn {

namespace {
struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

} // namespace

CodePage::CodePage(const QString& name) : name_(name)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(name.toLatin1().constData(), &status));
    if (U_FAILURE(status) || !converter || ucnv_getMaxCharSize(converter.get()) != 1)
        throw KNError(ErrorCode::InvalidProcedureCall);

    auto fromUnicode = std::make_shared<std::vector<unsigned char>>(0x10000, 0);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = char(byte);
        UChar out[2] = {0, 0};
        status = U_ZERO_ERROR;
        const int32_t length = ucnv_toUChars(converter.get(), out, 2, &in, 1, &status);
        // A byte the code page leaves undefined reads as U+FFFD, never as itself.
        toUnicode_[std::size_t(byte)] = (U_SUCCESS(status) && length == 1) ? char16_t(out[0]) : u'\uFFFD';
    }
    // Encoding goes through the same mapping in reverse, so every byte written reads back as the
    // character it came from; the first byte wins where two bytes read as one character.
    for (int byte = 255; byte >= 0; --byte) {
        const char16_t unit = toUnicode_[std::size_t(byte)];
        if (unit != u'\uFFFD')
            (*fromUnicode)[unit] = static_cast<unsigned char>(byte);
    }
    asciiControls_ = true;
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t unit = toUnicode_[std::size_t(byte)];
        controls_[std::size_t(byte)] = (unit < 0x20 && unit != u'\t') || unit == 0x7F;
        asciiControls_ = asciiControls_ && controls_[std::size_t(byte)] == ((byte < 0x20 && byte != '\t') || byte == 0x7F);
    }
    for (int byte = 0x20; byte < 0x7F; ++byte) {
        if (toUnicode_[std::size_t(byte)] != char16_t(byte))
            throw KNError(ErrorCode::InvalidProcedureCall)
                .withDetail(QStringLiteral("the code page %1 does not read printable ASCII as itself").arg(name));
    }
    fromUnicode_ = std::move(fromUnicode);
    asciiReadsAsItself_ = true;
    for (int byte = 0; byte < 0x80; ++byte)
        asciiReadsAsItself_ = asciiReadsAsItself_ && toUnicode_[std::size_t(byte)] == char16_t(byte);
    latin1ReadsAsItself_ = asciiReadsAsItself_;
    for (int byte = 0xA0; byte < 0x100; ++byte)
        latin1ReadsAsItself_ = latin1ReadsAsItself_ && toUnicode_[std::size_t(byte)] == char16_t(byte);
}

bool CodePage::readsAsLatin1(std::string_view bytes) const
{
    // Comparisons the compiler does many bytes at a time where only the C1 bytes read otherwise.
    if (latin1ReadsAsItself_) {
        std::uint8_t c1 = 0;
        for (const char c : bytes)
            c1 |= std::uint8_t(std::uint8_t(std::uint8_t(c) - 0x80) < 0x20);
        return c1 == 0 || std::all_of(bytes.begin(), bytes.end(), [this](char byte) { return readsAsLatin1(byte); });
    }
    return std::all_of(bytes.begin(), bytes.end(), [this](char byte) { return readsAsLatin1(byte); });
}

bool CodePage::holdsControl(std::string_view bytes) const
{
    // Comparisons the compiler does many bytes at a time: a third of the import's time at
    // 1,000,000 lines went to looking each byte up in the table.
    if (asciiControls_) {
        std::uint8_t any = 0;
        for (const char c : bytes) {
            const auto byte = std::uint8_t(c);
            any |= std::uint8_t((byte < 0x20) & (byte != '\t')) | std::uint8_t(byte == 0x7F);
        }
        return any != 0;
    }
    return std::any_of(bytes.begin(), bytes.end(), [this](char byte) { return readsAsControl(byte); });
}

QString CodePage::decode(std::string_view bytes) const
{
    QString text;
    decode(bytes, text);
    return text;
}

void CodePage::decode(std::string_view bytes, QString& text) const
{
    text.resize(qsizetype(bytes.size()));
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (asciiReadsAsItself_) {
        unsigned char high = 0;
        for (std::size_t i = 0; i < size; ++i)
            high |= in[i];
        if (high < 0x80) {
            std::copy_n(in, size, out);
            return;
        }
    }
    for (std::size_t i = 0; i < size; ++i)
        out[i] = toUnicode_[in[i]];
}

bool CodePage::encodeAppend(QStringView text, std::string& out) const
{
    // The table holds only the page's own round trips: a byte found there reads back as the
    // character it came from. Only a character the page lacks is written as something else.
    const auto& table = *fromUnicode_;
    bool exact = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const unsigned char byte = table[unit];
        if (byte != 0 || unit == 0) {
            out.push_back(char(byte));
            continue;
        }
        exact = false;
        char32_t character = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            character = QChar::surrogateToUcs4(unit, text[++i].unicode());
        out += closestInCodePage(character, *this);
    }
    return exact;
}

bool CodePage::encodeEachUnit(QStringView text, std::string& out) const
{
    const auto& table = *fromUnicode_;
    bool exact = true;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const unsigned char byte = table[unit];
        if (byte != 0 || unit == 0) {
            out.push_back(char(byte));
            continue;
        }
        exact = false;
        // Not as ASCII punctuation or a blank, which writers read as separators ("|", ",", "-").
        const std::string closest = c.isSurrogate() ? std::string() : closestInCodePage(unit, *this);
        const bool separatorLike = closest.size() == 1 && std::uint8_t(closest[0]) < 0x80 && !std::isalnum(std::uint8_t(closest[0]));
        out.push_back(closest.size() == 1 && !separatorLike ? closest[0] : '?');
    }
    return exact;
}

std::optional<char> CodePage::byteFor(char16_t unit) const
{
    const unsigned char byte = (*fromUnicode_)[unit];
    if (byte == 0 && unit != 0)
        return std::nullopt;
    return char(byte);
}

QByteArray CodePage::encode(QStringView text) const
{
    std::string bytes;
    encodeAppend(text, bytes);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace kn
