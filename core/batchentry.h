#pragma once

#include "formatting.h"

#include <QString>
#include <QStringList>

namespace kn {

// The batch entry line that AccPac Plus and Adagio read, every field but the amount in quotes:
// "E",1,"<date>",0,"<account>", "<part 2>", "<part 3>", "<session>", "<date>", "<payee>",<amount>
inline QString batchEntryLine(const QString& date, const QString& account, const QString& part2, const QString& part3,
                              const QString& session, const QString& payee, const QString& amount)
{
    const QStringList quotedFields = {quoted(account), quoted(part2), quoted(part3),
                                      quoted(session), quoted(date), quoted(payee)};
    return QStringLiteral("\"E\",1,") + quoted(date) + QStringLiteral(",0,") + quotedFields.join(QStringLiteral(", ")) +
           u',' + amount;
}

} // namespace kn
