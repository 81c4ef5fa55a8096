#include "controltext.h"

#include "codepage.h"
#include "knerror.h"

#include <QString>

#include <algorithm>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The field the column lies in; none for column 1, the blanks between fields and past the last.
const Field* fieldAt(qsizetype column)
{
    for (const Field& field : kFields) {
        if (column >= field.first && column <= field.last)
            return &field;
    }
    return nullptr;
}

// The bytes above "~" that keep a line from reading as printable Latin-1 are those from DEL up to
// DEL + this span: DEL and the C1 controls where the page reads its bytes from 0xA0 as Latin-1,
// every one of them where it reads only ASCII so.
std::uint8_t unprintableHighSpan(const CodePage& codePage)
{
    return codePage.latin1ReadsAsItself() ? 0x9F - 0x7F : 0xFF - 0x7F;
}

bool unprintableHigh(std::uint8_t byte, std::uint8_t span)
{
    return std::uint8_t(byte - 0x7F) <= span;
}

std::size_t firstLineBreak(std::string_view bytes, std::size_t from)
{
    const std::size_t lf = bytes.find('\n', from);
    const std::size_t cr = bytes.substr(0, lf).find('\r', from);
    return std::min({cr, lf, bytes.size()});
}

} // namespace

LineScan scanLine(std::string_view bytes, const CodePage& codePage)
{
    const bool readable = codePage.asciiReadsAsItself();
    const std::uint8_t span = unprintableHighSpan(codePage);
    const char* const data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    bool printable = true;
    // Sixteen bytes at a time up to the first byte below a blank, which is the line's end when it
    // is a CR or an LF; the unprintable high bytes before it are counted on the way.
    bool stopped = false;
#ifdef __SSE2__
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i highSpan = _mm_set1_epi8(char(span));
    const auto unprintableHighs = [&](__m128i chunk) {
        const __m128i fromDel = _mm_sub_epi8(chunk, del);
        return _mm_cmpeq_epi8(_mm_min_epu8(fromDel, highSpan), fromDel);
    };
    __m128i highs = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const auto controls = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(chunk, lastControl), lastControl)));
        if (controls != 0) {
            const auto at = unsigned(__builtin_ctz(controls));
            const auto before = unsigned(_mm_movemask_epi8(unprintableHighs(chunk))) & ((1u << at) - 1);
            printable = before == 0;
            i += at;
            stopped = true;
            break;
        }
        highs = _mm_or_si128(highs, unprintableHighs(chunk));
    }
    printable = printable && _mm_movemask_epi8(highs) == 0;
#endif
    if (!stopped) {
        for (; i < size; ++i) {
            const auto byte = std::uint8_t(data[i]);
            if (byte < 0x20)
                break;
            printable = printable && !unprintableHigh(byte, span);
        }
    }
    if (i < size && data[i] != '\n' && data[i] != '\r')
        return {firstLineBreak(bytes, i), false};
    return {i, readable && printable};
}

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
        const Field* field = fieldAt(i + 1);
        // Columns that are not read may hold anything.
        if (field != nullptr && ((unit < 0x20 && unit != u'\t') || unit == 0x7F))
            throw KNError(ErrorCode::TypeMismatch)
                .withDetail(QStringLiteral("the %1 in columns %2-%3 holds the control character 0x%4 at column %5")
                                .arg(QLatin1String(field->name))
                                .arg(field->first)
                                .arg(field->last)
                                .arg(unsigned(unit), 2, 16, QLatin1Char('0'))
                                .arg(i + 1));
    }
}

bool readsAsPrintableLatin1(std::string_view bytes, const CodePage& codePage)
{
    // A CR or LF is a control character too: such bytes are no line that reads as it stands.
    const LineScan scan = scanLine(bytes, codePage);
    return scan.end == bytes.size() && scan.printableLatin1;
}

} // namespace kn
