// Date and number patterns as a user or a settings file may give them.
#include "fuzzinput.h"

#include "core/caldate.h"
#include "core/conversions.h"
#include "writers/formatting.h"
#include "core/knerror.h"
#include "core/money.h"
#include "core/regional.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    const RegionalSettings regional =
        RegionalSettings::named(QString::fromLatin1(fuzz::kLocales[input.choose(std::size(fuzz::kLocales))]));
    int64_t units = 0;
    const QByteArray amount = input.take();
    std::memcpy(&units, amount.constData(), std::min<std::size_t>(sizeof units, std::size_t(amount.size())));
    const QString datePattern = input.takeText();
    const QString numberPattern = input.takeText();
    const QString numericText = input.takeText();
    try {
        formatDatePattern(CalDate::fromYmd(2014, 8, 25), datePattern, regional);
        formatDatePattern(CalDate::fromYmd(1899, 12, 30), datePattern, regional);
    } catch (const KNError&) {
    }
    try {
        formatNumber(Money::fromUnits(units), numberPattern, regional);
    } catch (const KNError&) {
    }
    try {
        formatNumericText(numericText, numberPattern, regional);
    } catch (const KNError&) {
    }
    try {
        parseMoneyText(numericText, regional);
    } catch (const KNError&) {
    }
    return 0;
}
