#pragma once

// Builds payment file lines in the exact fixed columns, for tests and the benchmark's generator.

#include <QString>

namespace kn::payments {

inline QString field(const QString& text, int width)
{
    return text.leftJustified(width, u' ', true);
}

inline QString headerLine(const QString& session = QStringLiteral("042"), const QString& source = QStringLiteral("KPN"),
                          const QString& balancingAccount = QStringLiteral("1060"))
{
    return u'H' + field(session, 3) + field(source, 3) + field(QString(), 15) + field(QStringLiteral("Test Clinic"), 30) +
           field(QString(), 60) + field(balancingAccount, 30) + field(QString(), 30);
}

struct Payment {
    QString date = QStringLiteral("2014/08/25");
    QString payee = QStringLiteral("City Hydro");
    QString ledger = QStringLiteral("5100");
    QString amount = QStringLiteral("125.00");
    QString invoice;
    QString purpose;
    QString account = QStringLiteral("100234");
};

inline QString paymentLine(const Payment& p)
{
    return u'D' + field(p.date, 10) + u' ' + field(p.account, 6) + u' ' + field(p.payee, 30) + u' ' + field(p.ledger, 30) +
           u' ' + p.amount.rightJustified(16, u' ', true) + u' ' + field(p.invoice, 27) + u' ' + field(p.purpose, 45);
}

// The default payment with another ledger account and amount.
inline QString paymentWith(const QString& ledger, const QString& amount = QStringLiteral("125.00"))
{
    Payment p;
    p.ledger = ledger;
    p.amount = amount;
    return paymentLine(p);
}

} // namespace kn::payments
