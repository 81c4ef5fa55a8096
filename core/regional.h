#pragma once

#include "money.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>

namespace kn {

// The user's regional settings, read once from a QLocale: every writer and conversion takes
// its separators, names, orders and money format from here, never from the process's C locale.
class RegionalSettings {
public:
    // The system's regional settings.
    RegionalSettings();
    explicit RegionalSettings(const QLocale& locale);
    // A named locale such as "en_US" or "fr_CA".
    static RegionalSettings named(const QString& name) { return RegionalSettings(QLocale(name)); }

    const QLocale& locale() const { return locale_; }
    QString name() const { return locale_.name(); }

    // The short date pattern in Qt's notation, its year in four digits ("M/d/yyyy").
    const QString& shortDatePattern() const { return shortDatePattern_; }
    // The separator the short date pattern puts between its first two fields.
    const QString& dateSeparator() const { return dateSeparator_; }
    // The letters 'D', 'M' and 'Y' in the order the short date pattern shows the fields.
    const std::array<char, 3>& dateFieldOrder() const { return dateFieldOrder_; }
    const QString& decimalSeparator() const { return decimalSeparator_; }

    QString monthName(int month, bool abbreviated) const;
    // dayOfWeek as QDate counts it: 1 is Monday, 7 is Sunday.
    QString dayName(int dayOfWeek, bool abbreviated) const;
    // The date in the locale's short date form.
    QString shortDate(QDate date) const;

    // Where the locale's "currency" money format puts the symbol, the sign and the group
    // separators, and how many decimals it shows.
    struct CurrencyLayout {
        QString positivePrefix, positiveSuffix, negativePrefix, negativeSuffix;
        QString groupSeparator;
        // For a whole part of each length (up to the twenty digits an unsigned 64-bit count can
        // have), the places of its separators: bit i for a separator with i digits to its right.
        std::array<std::uint32_t, 21> separatorsAfter{};
        int decimals = 2;
    };
    const CurrencyLayout& currencyLayout() const { return currency_; }

private:
    QLocale locale_;
    QString shortDatePattern_;
    QString dateSeparator_;
    std::array<char, 3> dateFieldOrder_{'M', 'D', 'Y'};
    QString decimalSeparator_;
    CurrencyLayout currency_;
};

} // namespace kn
