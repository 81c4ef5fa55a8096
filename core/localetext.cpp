#include "localetext.h"

#include "codepage.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/unistr.h>

#include <memory>

namespace kn {

namespace {

// Every code unit of the text as a byte of the page, or nothing when one is missing.
bool encodeWhole(const icu::UnicodeString& text, const CodePage& codePage, std::string& out)
{
    std::string bytes;
    for (int32_t i = 0; i < text.length(); ++i) {
        const auto byte = codePage.byteFor(text.charAt(i));
        if (!byte)
            return false;
        bytes.push_back(*byte);
    }
    out = std::move(bytes);
    return !out.empty();
}

std::string normalised(const icu::UnicodeString& character, const CodePage& codePage)
{
    UErrorCode status = U_ZERO_ERROR;
    std::string out;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    if (U_SUCCESS(status) && encodeWhole(nfkc->normalize(character, status), codePage, out) && U_SUCCESS(status))
        return out;

    status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
    if (U_FAILURE(status))
        return {};
    const icu::UnicodeString decomposed = nfkd->normalize(character, status);
    icu::UnicodeString bare;
    for (int32_t i = 0; i < decomposed.length(); i = decomposed.moveIndex32(i, 1)) {
        const UChar32 c = decomposed.char32At(i);
        if ((U_GET_GC_MASK(c) & U_GC_MN_MASK) == 0)
            bare.append(c);
    }
    if (U_SUCCESS(status) && encodeWhole(bare, codePage, out))
        return out;
    return {};
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::string converterFallback(UChar32 character, const CodePage& codePage)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(codePage.name().toLatin1().constData(), &status));
    if (U_FAILURE(status))
        return {};
    ucnv_setFallback(converter.get(), true);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    UChar units[2];
    int32_t length = 0;
    U16_APPEND_UNSAFE(units, length, character);
    char bytes[8];
    const int32_t written = ucnv_fromUChars(converter.get(), bytes, sizeof bytes, units, length, &status);
    if (U_FAILURE(status) || written <= 0)
        return {};
    return std::string(bytes, std::size_t(written));
}

} // namespace

std::string closestInCodePage(char32_t character, const CodePage& codePage)
{
    const auto c = UChar32(character);
    if (u_charType(c) == U_SPACE_SEPARATOR) {
        const auto noBreakSpace = codePage.byteFor(u'\u00A0');
        return std::string(1, noBreakSpace ? *noBreakSpace : ' ');
    }
    if (std::string close = normalised(icu::UnicodeString(c), codePage); !close.empty())
        return close;
    if (std::string close = converterFallback(c, codePage); !close.empty())
        return close;
    return "?";
}

} // namespace kn
