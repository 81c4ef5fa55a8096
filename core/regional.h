#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <array>

namespace kn {

// The user's regional settings, read once from a QLocale: every writer and conversion takes
// its separators, names and orders from here, never from the process's C locale; the currency
// format is read from its locale.
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


private:
    QLocale locale_;
    QString shortDatePattern_;
    QString dateSeparator_;
    std::array<char, 3> dateFieldOrder_{'M', 'D', 'Y'};
    QString decimalSeparator_;
};

} // namespace kn
