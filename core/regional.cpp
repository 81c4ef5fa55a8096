#include "regional.h"

#include <algorithm>

namespace kn {

namespace {

QString separatorOf(const QString& pattern)
{
    qsizetype i = 0;
    while (i < pattern.size() && !pattern[i].isLetter())
        ++i;
    while (i < pattern.size() && pattern[i].isLetter())
        ++i;
    const qsizetype start = i;
    while (i < pattern.size() && !pattern[i].isLetter() && pattern[i] != u'\'')
        ++i;
    return i > start ? pattern.mid(start, i - start) : QStringLiteral("/");
}

std::array<char, 3> fieldOrderOf(const QString& pattern)
{
    std::array<char, 3> order{};
    std::size_t found = 0;
    for (QChar c : pattern) {
        char field = 0;
        if (c == u'd')
            field = 'D';
        else if (c == u'M' || c == u'L')
            field = 'M';
        else if (c == u'y')
            field = 'Y';
        if (field != 0 && found < order.size() && std::find(order.begin(), order.begin() + found, field) == order.begin() + found)
            order[found++] = field;
    }
    if (found < order.size())
        return {'M', 'D', 'Y'};
    return order;
}

// Qt's short formats keep two-digit years ("M/d/yy"), losing the century a payment's date needs; a
// lone "yy" becomes "yyyy", the form regional short dates take on the desktops this tool serves.
// Quoted literal text is left as it is.
QString withFullYear(const QString& pattern)
{
    QString widened;
    widened.reserve(pattern.size() + 2);
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            quoted = !quoted;
            widened += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        widened += pattern.mid(i, run);
        if (!quoted && c == u'y' && run == 2)
            widened += QStringLiteral("yy");
        i += run;
    }
    return widened;
}

} // namespace

namespace {
// A process started without regional settings (LANG=C) gets the "C" locale, whose short date
// "d MMM yyyy" no accounting package reads; such a user gets the settings of en_US instead.
QLocale systemLocale()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system;
}
} // namespace

RegionalSettings::RegionalSettings() : RegionalSettings(systemLocale()) {}

RegionalSettings::RegionalSettings(const QLocale& locale)
    : locale_(locale),
      shortDatePattern_(withFullYear(locale.dateFormat(QLocale::ShortFormat))),
      dateSeparator_(separatorOf(shortDatePattern_)),
      dateFieldOrder_(fieldOrderOf(shortDatePattern_)),
      decimalSeparator_(locale.decimalPoint())
{
}

QString RegionalSettings::monthName(int month, bool abbreviated) const
{
    return locale_.monthName(month, abbreviated ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString RegionalSettings::dayName(int dayOfWeek, bool abbreviated) const
{
    return locale_.dayName(dayOfWeek, abbreviated ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString RegionalSettings::shortDate(QDate date) const
{
    return locale_.toString(date, shortDatePattern_);
}

} // namespace kn
