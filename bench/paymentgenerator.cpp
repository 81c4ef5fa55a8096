#include "paymentgenerator.h"

#include "paymentfilebuilder.h"

#include <QDate>
#include <QFile>

#include <stdexcept>

namespace kn::bench {

void writePaymentFile(const QString& path, int count, DateOrder order)
{
    static const char* const payees[] = {"City Hydro", "Bell Canada", "Staples, Inc.", "Rogers Wireless",
                                         "Landmark Properties", "Café Dépôt Montréal", "EXCH ADJ USD 1.3120",
                                         "Canada Revenue Agency"};
    static const char* const ledgers[] = {"5100-10", "5200-20|01|TEL", "6100|200", "6300-15-02", "5400-00, Office rent", "7900"};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(payments::headerLine().toLatin1() + "\r\n");
    const QDate first(2014, 1, 1);
    for (int i = 0; i < count; ++i) {
        payments::Payment p;
        const int day = (order == DateOrder::Reversed ? count - 1 - i : i) / 40;
        p.date = first.addDays(day).toString(QStringLiteral("yyyy/MM/dd"));
        p.payee = QString::fromUtf8(payees[i % 8]);
        p.ledger = QString::fromLatin1(ledgers[i % 6]);
        p.amount = QStringLiteral("%1.%2").arg((i * 7919) % 100000 - 2000).arg(i % 100, 2, 10, QChar(u'0'));
        p.invoice = QStringLiteral("INV-%1").arg(i);
        p.purpose = QStringLiteral("Payment %1").arg(i);
        file.write(payments::paymentLine(p).toLatin1() + "\r\n");
    }
}

} // namespace kn::bench
